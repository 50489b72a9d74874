// InsertExeText: the edited text of every block, mapped through the code table, back into the
// executable in place.
//
// A text block receives the first Size bytes of the mapped text followed by zero bytes. A glyph
// block receives one letter per record, in text order: its glyph reference at the record's
// start, and, when another character follows the letter, its letter position x and
// x + LetterWidth in bytes 4..7 and 12..15 of the record before. The next letter lies
// LetterAdvance further on, or SpaceAdvance when a space follows the letter; that space takes
// no record. All arithmetic on positions is single precision.
//
// Every block is checked and every write computed before the first byte is written, so a
// description or target that fails anywhere leaves the executable as it was.
#include <bit>
#include <cstring>
#include <vector>

#include "formats/block_description.h"
#include "formats/format_handlers.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace skerrow {

namespace {

// The writes of one insertion, in the order they are to be made.
class TPatchPlan {
 public:
  explicit TPatchPlan(TFileStream& exe) : exe_(exe), size_(exe.Size()) {}

  // Four bytes as the executable will hold them once the writes planned so far are made;
  // bytes past its end read as zero.
  uint32_t ReadU32(int64_t position) {
    unsigned char bytes[4] = {};
    exe_.Seek(position);
    exe_.Read(bytes, sizeof bytes);
    for (const TWrite& write : writes_) {
      for (int64_t i = 0; i < 4; ++i) {
        const int64_t at = position + i - write.Position;
        if (at >= 0 && at < static_cast<int64_t>(write.Bytes.size())) {
          bytes[i] = static_cast<unsigned char>(write.Bytes[static_cast<size_t>(at)]);
        }
      }
    }
    return GetU32(bytes);
  }

  // A write must stay inside the executable: it is patched, never extended.
  void Write(const TBlock& block, int64_t position, const void* bytes, size_t count) {
    if (count == 0) return;
    if (position < 0 || position + static_cast<int64_t>(count) > size_) {
      ThrowBlockError(block, "a write at " + HexText(static_cast<uint64_t>(position)) +
                                 " would lie past the end of the executable (" +
                                 HexText(static_cast<uint64_t>(size_)) + " bytes)");
    }
    writes_.push_back({position, std::string(static_cast<const char*>(bytes), count)});
  }

  void WriteU32(const TBlock& block, int64_t position, uint32_t value) {
    unsigned char bytes[4];
    PutU32(bytes, value);
    Write(block, position, bytes, sizeof bytes);
  }

  void Apply() {
    for (const TWrite& write : writes_) {
      exe_.Seek(write.Position);
      exe_.WriteBuffer(write.Bytes.data(), write.Bytes.size());
    }
  }

 private:
  struct TWrite {
    int64_t Position;
    std::string Bytes;
  };

  TFileStream& exe_;
  const int64_t size_;
  std::vector<TWrite> writes_;
};

// The text of block N: the line after the first line that reads "[Block#N]" in any letter
// case, less its first six characters ("Value=" as extraction writes it).
std::string BlockText(const TStringList& target, const std::string& targetPath,
                      const TBlock& block) {
  const std::string header = "[" + block.Section() + "]";
  const int index = target.IndexOf(header);
  if (index < 0) {
    ThrowBlockError(block, "the target text file " + targetPath + " has no line " + header);
  }
  const std::string& line = target.At(index + 1);  // "List index out of bounds (%d)"
  return line.size() > 6 ? line.substr(6) : std::string();
}

void PlanGlyphBlock(TPatchPlan& plan, const TBlock& block, const unsigned char* text,
                    size_t length) {
  const int64_t offset = block.Offset;
  const int64_t b = block.BlockSize;
  const int64_t first_positions = offset - b + 4;
  if (first_positions < 0) {
    ThrowBlockError(block,
                    "the letter positions before the block would lie before the start "
                    "of the executable (Offset " +
                        HexText(block.Offset) + ", BlockSize " + HexText(block.BlockSize) + ")");
  }
  const uint64_t count = block.Size / block.BlockSize;

  float x = std::bit_cast<float>(plan.ReadU32(first_positions));
  size_t pos = 0;
  for (uint64_t r = 0; r < count && pos < length; ++r) {
    const int64_t record = offset + static_cast<int64_t>(r) * b;
    plan.WriteU32(block, record, GlyphReference(text[pos++]));
    if (pos == length) break;  // the last letter: nothing follows, so it gets no positions

    float next;
    if (text[pos] == 0x20) {
      next = AddSingle(x, kSpaceAdvance);
      ++pos;
    } else {
      next = AddSingle(x, kLetterAdvance);
    }
    const int64_t before = record - b;
    plan.WriteU32(block, before + 4, std::bit_cast<uint32_t>(x));
    plan.WriteU32(block, before + 12, std::bit_cast<uint32_t>(AddSingle(x, kLetterWidth)));
    x = next;
  }
}

}  // namespace

int32_t InsertExeText(TProcessState& state, const std::string& /*outputPath*/, int32_t firstLine) {
  // The replay holds the description itself open; it is read through the reader instead.
  state.SourceStream.reset();

  TSectionReader& description = state.Sections;
  const bool described = IsRegularFile(state.CurrentSource);
  description.OpenSectionFile(state.CurrentSource);
  // A missing description reads as empty; it is dropped at once, so that no later write-back
  // creates a file at a path the user never had.
  if (!described) description.SectionLines.reset();
  TFileStream exe(description.ReadValue("Init", "Source"), TFileStream::Mode::kReadWrite);

  const std::string target_path = description.ReadValue("Init", "Target");
  TStringList target;
  target.LoadFromFile(target_path);

  const std::string code_table_path = description.ReadValue("Init", "CodeTable");
  const std::string code_table = ReadWholeFile(code_table_path);
  if (code_table.size() < kCodeTableSize) {
    throw Error("The code table " + code_table_path + " holds " +
                std::to_string(code_table.size()) + " bytes; it needs 256");
  }

  TPatchPlan plan(exe);
  WalkBlocks(description, [&](const TBlock& block) {
    if (!block.IsText() && !block.IsGlyph()) return;  // listed only, never written

    const std::string text = BlockText(target, target_path, block);
    if (text.size() > kMaxTextLength) {
      ThrowBlockError(block,
                      "its text has " + std::to_string(text.size()) + " characters, more than 255");
    }
    unsigned char mapped[kTextBlockCapacity] = {};
    for (size_t i = 0; i < text.size(); ++i) {
      mapped[i] = static_cast<unsigned char>(code_table[static_cast<unsigned char>(text[i])]);
    }

    if (block.IsGlyph()) {
      CheckGlyphBlockInside(block, exe.Size());
      PlanGlyphBlock(plan, block, mapped, text.size());
    } else {
      plan.Write(block, block.Offset, mapped, block.Size);
    }
  });
  plan.Apply();
  return firstLine;
}

}  // namespace skerrow
