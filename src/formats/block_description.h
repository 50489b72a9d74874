// The block description (.trc): which file is the game executable, where its text blocks lie
// and how each block is stored. A section file:
//
//   [Init]
//   Source=game.exe        the executable (read by extraction, patched in place by insertion)
//   Target=menu.txt        the edited block text file (insertion)
//   CodeTable=codes.bin    256 bytes: the game's code for every text byte (insertion)
//   BlockSize=0x1C         B, the length of one glyph record, "0x%X"
//   [END OF Init]
//   [Block#0]              Block#0, Block#1, ... up to the first missing number
//   Offset=0x1000          where the block begins, "0x%X"
//   Size=0x20              its length in bytes, "0x%X"
//   Mode=1                 1 text block, 2 glyph block, else listed with an empty text; "%d"
//   [END OF Block#0]
//
// A text block is Size bytes of 8-bit text, ended by a zero byte where shorter. A glyph block
// is a run of B-byte records: a 32-bit glyph reference, then six single-precision values.
// Insertion places letter positions into bytes 4..7 and 12..15 of the record before a letter's
// own, so the first letter's positions lie in the B bytes before the block.
//
// A block's setting that is missing or does not parse carries over from the block before.
#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <string>

#include "ini/section_file.h"

namespace skerrow {

inline constexpr uint32_t kGlyphBase = 0x48A340;  // the glyph of letter code 65 ("A")
inline constexpr uint32_t kGlyphStride = 16;      // consecutive letter codes lie this far apart
inline constexpr uint32_t kLetterWidthBits = 0x3D19999A;    // 0.0375
inline constexpr uint32_t kLetterAdvanceBits = 0x3CCCCCCD;  // 0.025
inline constexpr uint32_t kSpaceAdvanceBits = 0x3D4CCCCD;   // 0.05
inline constexpr float kLetterWidth = std::bit_cast<float>(kLetterWidthBits);
inline constexpr float kLetterAdvance = std::bit_cast<float>(kLetterAdvanceBits);
inline constexpr float kSpaceAdvance = std::bit_cast<float>(kSpaceAdvanceBits);

inline constexpr int32_t kTextMode = 1;
inline constexpr int32_t kGlyphMode = 2;
inline constexpr uint32_t kTextBlockCapacity = 256;  // the text buffer, its zero included
inline constexpr size_t kMaxTextLength = kTextBlockCapacity - 1;
inline constexpr size_t kCodeTableSize = 256;
inline constexpr size_t kGlyphRecordRead = 28;  // the reference and six values

// GlyphBase + 16 * (code - 65), modulo 2^32.
inline constexpr uint32_t GlyphReference(uint8_t code) {
  return kGlyphBase + kGlyphStride * (static_cast<uint32_t>(code) - 65u);
}
// The inverse: ((reference - GlyphBase) >> 4) + 65, low 8 bits.
inline constexpr uint8_t LetterCode(uint32_t reference) {
  return static_cast<uint8_t>(((reference - kGlyphBase) >> 4) + 65u);
}

// fl32(a + b): the sum rounded once to single precision, whatever precision the compiler
// would keep intermediate values in.
float AddSingle(float a, float b);

// One block of the walk with the settings in force for it.
struct TBlock {
  int32_t Number = 0;
  uint32_t Offset = 0;
  uint32_t Size = 0;
  int32_t Mode = 0;
  uint32_t BlockSize = 0;  // B

  bool IsText() const { return Mode == kTextMode; }
  bool IsGlyph() const { return Mode == kGlyphMode; }
  std::string Section() const { return "Block#" + std::to_string(Number); }
  bool operator==(const TBlock&) const = default;
};

// "0x" + upper-case hexadecimal digits, as the description writes its numbers.
std::string HexText(uint64_t value);

// "Block#N: " + problem, as an error.
[[noreturn]] void ThrowBlockError(const TBlock& block, const std::string& problem);

// A glyph block must lie within the executable; only the bytes that its last records read
// past the block's end may lie past the file's end (they read as zero).
void CheckGlyphBlockInside(const TBlock& block, int64_t executableSize);

// Little-endian 32-bit numbers in a byte buffer.
uint32_t GetU32(const unsigned char* bytes);
void PutU32(unsigned char* bytes, uint32_t value);

// Visits Block#0, Block#1, ... of the open description in order, each with its settings read
// anew (Offset, Size, Mode from the block's section, BlockSize from Init). Before a block is
// handed on it is refused when a setting it needs has been given by no block so far, when a
// glyph block has BlockSize 0, or when a text block is larger than 256 bytes.
void WalkBlocks(const TSectionReader& description, const std::function<void(const TBlock&)>& visit);

}  // namespace skerrow
