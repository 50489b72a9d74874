#include "formats/block_description.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "platform/error.h"
#include "support/section_file_writer.h"
#include "support/temp_dir.h"

namespace skerrow {

void PrintTo(const TBlock& b, std::ostream* os) {
  *os << "{N " << b.Number << " Offset " << b.Offset << " Size " << b.Size << " Mode " << b.Mode
      << " B " << b.BlockSize << "}";
}

namespace {

using testing::SectionFileWriter;

TEST(BlockGlyphTest, ReferencesAndLetterCodes) {
  EXPECT_EQ(GlyphReference('A'), 0x48A340u);
  EXPECT_EQ(GlyphReference('H'), 0x48A340u + 16 * 7);
  EXPECT_EQ(GlyphReference(0), 0x48A340u - 16 * 65);
  EXPECT_EQ(LetterCode(0x48A340u), 65);
  EXPECT_EQ(LetterCode(0x48A340u + 16 * 25), 90);
  EXPECT_EQ(LetterCode(0x48A340u - 16), 64);
  EXPECT_EQ(LetterCode(0x48A340u - 16 * 65), 0);
  // Within a glyph's 16 bytes the letter stays the same.
  EXPECT_EQ(LetterCode(0x48A340u + 16 * 7 + 15), 'H');
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(LetterCode(GlyphReference(static_cast<uint8_t>(c))), c) << c;
  }
}

TEST(BlockGlyphTest, ConstantsHoldTheirExactValues) {
  EXPECT_EQ(static_cast<double>(kLetterWidth), 0.037500001490116119);
  EXPECT_EQ(static_cast<double>(kLetterAdvance), 0.02500000037252903);
  EXPECT_EQ(static_cast<double>(kSpaceAdvance), 0.05000000074505806);
}

TEST(BlockGlyphTest, AddSingleRoundsOnceToSinglePrecision) {
  // Expected bit patterns worked out with a single rounding of the exact sum.
  EXPECT_EQ(std::bit_cast<uint32_t>(AddSingle(1.0f, kLetterWidth)), 0x3F84CCCDu);
  EXPECT_EQ(std::bit_cast<uint32_t>(AddSingle(std::bit_cast<float>(0xBF59999Au), kLetterAdvance)),
            0xBF533334u);
  // Summed step by step in single precision the error grows; with more precision kept it
  // would end at 0xBF599999 instead.
  float x = std::bit_cast<float>(0xBF666666u);  // -0.9
  x = AddSingle(x, kLetterAdvance);
  x = AddSingle(x, kLetterAdvance);
  EXPECT_EQ(std::bit_cast<uint32_t>(x), 0xBF59999Au);
}

struct WalkCase {
  const char* name;
  std::string description;
  std::vector<TBlock> blocks;  // the blocks visited, before the error if there is one
  std::string error = "";
};

void PrintTo(const WalkCase& c, std::ostream* os) {
  *os << c.name;
}

class BlockWalkTest : public ::testing::TestWithParam<WalkCase> {};

TEST_P(BlockWalkTest, VisitsBlocksWithCarriedSettings) {
  const WalkCase& c = GetParam();
  testing::TempDir dir;
  testing::WriteFile(dir.File("d.trc"), c.description);
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("d.trc"));

  std::vector<TBlock> visited;
  std::string error;
  try {
    WalkBlocks(reader, [&](const TBlock& block) { visited.push_back(block); });
  } catch (const Error& e) {
    error = e.what();
  }
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(visited, c.blocks);
}

std::string Init(const std::string& blockSize = "0x1C") {
  return SectionFileWriter().Init({{"Source", "g.exe"}, {"BlockSize", blockSize}}).Text();
}

std::string Block(int n, const testing::KeyLines& keys) {
  return SectionFileWriter().Section("Block#" + std::to_string(n), keys).Text();
}

INSTANTIATE_TEST_SUITE_P(
    Walk, BlockWalkTest,
    ::testing::Values(
        WalkCase{"NoBlocks", Init(), {}},
        WalkCase{"StopsAtGap",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}, {"Mode", "1"}}) +
                     Block(1, {{"Offset", "0x20"}}) + Block(3, {{"Offset", "0x30"}}),
                 {{0, 0x10, 8, 1, 0x1C}, {1, 0x20, 8, 1, 0x1C}}},
        WalkCase{"SectionsInAnyOrderAndHeaderCase",
                 Block(1, {{"Mode", "2"}}) +
                     "[block#0]\r\nOffset=0xab\r\nSize=0x1C\r\nMode=7\r\n"
                     "[END OF Block#0]\r\n" +
                     Init(),
                 {{0, 0xAB, 0x1C, 7, 0x1C}, {1, 0xAB, 0x1C, 2, 0x1C}}},
        WalkCase{"UnparsedValuesCarryOver",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}, {"Mode", "1"}}) +
                     Block(1, {{"Offset", "0X1F00"}, {"Size", " 0x4"}, {"Mode", "x"}}) +
                     Block(2, {{"Offset", "0x1F00zz"}, {"Size", "4"}, {"Mode", " -2"}}),
                 {{0, 0x10, 8, 1, 0x1C}, {1, 0x10, 8, 1, 0x1C}, {2, 0x1F00, 8, -2, 0x1C}}},
        WalkCase{"OtherModesNeedNoPlace",
                 SectionFileWriter().Init({{"Source", "g.exe"}}).Text() + Block(0, {{"Mode", "7"}}),
                 {{0, 0, 0, 7, 0}}},
        WalkCase{"ModeMissingInFirstBlock",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}}),
                 {},
                 "Block#0: Mode is not given"},
        WalkCase{"ModeUnparsedInFirstBlock",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}, {"Mode", "one"}}),
                 {},
                 "Block#0: Mode is not given"},
        WalkCase{"OffsetGivenByNoBlockSoFar",
                 Init() + Block(0, {{"Mode", "7"}}) + Block(1, {{"Size", "0x8"}, {"Mode", "1"}}),
                 {{0, 0, 0, 7, 0x1C}},
                 "Block#1: Offset is not given"},
        WalkCase{"SizeMissing",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Mode", "2"}}),
                 {},
                 "Block#0: Size is not given"},
        WalkCase{"BlockSizeMissingForFirstGlyphBlock",
                 SectionFileWriter().Init({{"Source", "g.exe"}}).Text() +
                     Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}, {"Mode", "1"}}) +
                     Block(1, {{"Mode", "2"}}),
                 {{0, 0x10, 8, 1, 0}},
                 "Block#1: BlockSize is not given"},
        WalkCase{"GlyphBlockSizeZero",
                 Init("0x0") + Block(0, {{"Offset", "0x10"}, {"Size", "0x8"}, {"Mode", "1"}}) +
                     Block(1, {{"Mode", "7"}}) + Block(2, {{"Mode", "2"}}),
                 {{0, 0x10, 8, 1, 0}, {1, 0x10, 8, 7, 0}},
                 "Block#2: BlockSize is 0"},
        WalkCase{"TextBlockOf256Bytes",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x100"}, {"Mode", "1"}}),
                 {{0, 0x10, 0x100, 1, 0x1C}}},
        WalkCase{"TextBlockOver256Bytes",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x101"}, {"Mode", "1"}}),
                 {},
                 "Block#0: Size 0x101 is over the 256 bytes of a text block"},
        WalkCase{"LargeGlyphBlockIsNoTextBlock",
                 Init() + Block(0, {{"Offset", "0x10"}, {"Size", "0x1000"}, {"Mode", "2"}}),
                 {{0, 0x10, 0x1000, 2, 0x1C}}}),
    [](const ::testing::TestParamInfo<WalkCase>& info) { return info.param.name; });

}  // namespace
}  // namespace skerrow
