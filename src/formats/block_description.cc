#include "formats/block_description.h"

#include <optional>

#include "platform/error.h"
#include "platform/number_text.h"

namespace skerrow {

float AddSingle(float a, float b) {
  // Stored through a volatile float, the sum cannot stay in a wider register. Where the sum is
  // first formed in extended precision (x87), the store rounds it again; for an addition that
  // equals one rounding, as 64 bits of mantissa exceed 2 * 24 + 2.
  volatile float sum = a + b;
  return sum;
}

std::string HexText(uint64_t value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + digits;
}

void ThrowBlockError(const TBlock& block, const std::string& problem) {
  throw Error(block.Section() + ": " + problem);
}

void CheckGlyphBlockInside(const TBlock& block, int64_t executableSize) {
  const uint64_t end = uint64_t{block.Offset} + block.Size;
  if (end > static_cast<uint64_t>(executableSize)) {
    ThrowBlockError(block, "Offset " + HexText(block.Offset) + " + Size " + HexText(block.Size) +
                               " runs past the end of the executable (" +
                               HexText(static_cast<uint64_t>(executableSize)) + " bytes)");
  }
}

uint32_t GetU32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

void PutU32(unsigned char* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

namespace {

// The settings of the walk. Each one is replaced only when its key is there and its value
// parses; until some block has given it, it has no value at all.
struct TWalkSettings {
  std::optional<uint32_t> Offset;
  std::optional<uint32_t> Size;
  std::optional<int32_t> Mode;
  std::optional<uint32_t> BlockSize;

  void Read(const TSectionReader& description, const std::string& section) {
    if (auto v = ParseHex0x(description.ReadValue(section, "Offset"))) Offset = v;
    if (auto v = ParseHex0x(description.ReadValue(section, "Size"))) Size = v;
    if (auto v = ParseDecimal(description.ReadValue(section, "Mode"))) Mode = v;
    if (auto v = ParseHex0x(description.ReadValue("Init", "BlockSize"))) BlockSize = v;
  }
};

void Require(const TBlock& block, bool given, const char* setting) {
  if (!given) ThrowBlockError(block, std::string(setting) + " is not given");
}

}  // namespace

void WalkBlocks(const TSectionReader& description,
                const std::function<void(const TBlock&)>& visit) {
  TWalkSettings settings;
  for (int32_t n = 0;; ++n) {
    TBlock block;
    block.Number = n;
    if (!description.SectionExists(block.Section())) return;
    settings.Read(description, block.Section());

    block.Offset = settings.Offset.value_or(0);
    block.Size = settings.Size.value_or(0);
    block.Mode = settings.Mode.value_or(0);
    block.BlockSize = settings.BlockSize.value_or(0);

    Require(block, settings.Mode.has_value(), "Mode");
    // Only text and glyph blocks touch the executable; other modes need nothing more.
    if (block.IsText() || block.IsGlyph()) {
      Require(block, settings.Offset.has_value(), "Offset");
      Require(block, settings.Size.has_value(), "Size");
    }
    if (block.IsGlyph()) {
      Require(block, settings.BlockSize.has_value(), "BlockSize");
      if (block.BlockSize == 0) ThrowBlockError(block, "BlockSize is 0");
    }
    if (block.IsText() && block.Size > kTextBlockCapacity) {
      ThrowBlockError(block,
                      "Size " + HexText(block.Size) + " is over the 256 bytes of a text block");
    }
    visit(block);
  }
}

}  // namespace skerrow
