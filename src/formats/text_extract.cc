// ExtractExeText: every block of a description out of the executable, into the block text
// file (named after the description, extension ".txt") and Vals.txt in the output folder.
//
//   block text file           Vals.txt (glyph blocks only)
//   [Block#0]                 [Block#1]
//   Value=<text or letters>   Value 0.0=<%f>  ... Value 0.5=<%f>, six lines per record
//   [End of Block#0]          [End of Block#1]
//
// Both files are gathered in memory and written only after the last block, so a failing block
// leaves neither half-written.
#include <bit>
#include <cstring>

#include "formats/block_description.h"
#include "formats/format_handlers.h"
#include "platform/file_stream.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace skerrow {

namespace {

// One letter per record. Each record is read 28 bytes from its start, whatever B is, and a
// remainder shorter than B counts as one more record; bytes past the executable read as zero.
std::string ReadGlyphBlock(TFileStream& exe, const TBlock& block, TStringList& values) {
  std::string letters;
  values.Add("[" + block.Section() + "]");
  uint64_t k = 0;
  for (uint64_t consumed = 0; consumed < block.Size; consumed += block.BlockSize, ++k) {
    unsigned char record[kGlyphRecordRead] = {};
    exe.Seek(static_cast<int64_t>(block.Offset + k * block.BlockSize));
    exe.Read(record, sizeof record);
    letters += static_cast<char>(LetterCode(GetU32(record)));
    for (int i = 0; i < 6; ++i) {
      const float value = std::bit_cast<float>(GetU32(record + 4 + 4 * i));
      values.Add("Value " + std::to_string(k) + "." + std::to_string(i) + "=" + FormatFloat(value));
    }
  }
  values.Add("[End of " + block.Section() + "]");
  return letters;
}

// The bytes before the first zero byte of the Size read; where the executable ends first,
// the bytes not read stay zero, so the text ends there.
std::string ReadTextBlock(TFileStream& exe, const TBlock& block) {
  char buffer[kTextBlockCapacity] = {};
  exe.Seek(block.Offset);
  exe.Read(buffer, block.Size);
  return std::string(buffer, strnlen(buffer, block.Size));
}

}  // namespace

void ExtractExeText(TProcessState& state, const std::string& descriptionPath) {
  TSectionReader& description = state.Sections;
  const bool described = IsRegularFile(descriptionPath);
  description.OpenSectionFile(descriptionPath);
  // A missing description reads as empty; it is dropped at once, so that no later write-back
  // creates a file at a path the user never had.
  if (!described) description.SectionLines.reset();
  TFileStream exe(description.ReadValue("Init", "Source"), TFileStream::Mode::kRead);
  const int64_t exe_size = exe.Size();

  TStringList text_lines;
  TStringList value_lines;
  WalkBlocks(description, [&](const TBlock& block) {
    std::string text;
    if (block.IsGlyph()) {
      CheckGlyphBlockInside(block, exe_size);
      text = ReadGlyphBlock(exe, block, value_lines);
    } else if (block.IsText()) {
      text = ReadTextBlock(exe, block);
    }
    text_lines.Add("[" + block.Section() + "]");
    text_lines.Add("Value=" + text);
    text_lines.Add("[End of " + block.Section() + "]");
  });

  text_lines.SaveToFile(
      JoinPath(state.OutputDir, ChangeExt(FileNamePart(descriptionPath), ".txt")));
  value_lines.SaveToFile(JoinPath(state.OutputDir, "Vals.txt"));
}

}  // namespace skerrow
