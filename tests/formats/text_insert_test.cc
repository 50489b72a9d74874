#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <utility>
#include <vector>

#include "formats/block_description.h"
#include "formats/format_handlers.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "support/exe_builder.h"
#include "support/section_file_writer.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::ExeBuilder;
using testing::OpenFileCount;
using testing::ReadFile;
using testing::SectionFileWriter;
using testing::WriteFile;

// Letter positions from x0 = 0.5, each sum rounded once to single precision (worked out
// independently of the code under test).
constexpr uint32_t kX0 = 0x3F000000;    // 0.5
constexpr uint32_t kX0W = 0x3F09999A;   // x0 + LetterWidth
constexpr uint32_t kXA = 0x3F066666;    // x0 + LetterAdvance
constexpr uint32_t kXAW = 0x3F100000;   //   + LetterWidth
constexpr uint32_t kXS = 0x3F0CCCCD;    // x0 + SpaceAdvance
constexpr uint32_t kXSW = 0x3F166667;   //   + LetterWidth
constexpr uint32_t kXSA = 0x3F133333;   // x0 + SpaceAdvance + LetterAdvance
constexpr uint32_t kXSAW = 0x3F1CCCCD;  //   + LetterWidth

// The glyph block of the tests: records of 0x1C bytes from 0x40; the first letter's positions
// lie at 0x28 and 0x30, in the 0x1C bytes before the block.
constexpr uint32_t kB = 0x1C;
constexpr uint32_t kGlyphs = 0x40;
constexpr uint32_t Rec(int r) {
  return kGlyphs + r * kB;
}

using Writes = std::vector<std::pair<uint32_t, uint32_t>>;  // offset, 32-bit value

std::string Patched(std::string exe, const Writes& writes) {
  for (const auto& [offset, value] : writes) exe = testing::WithU32(std::move(exe), offset, value);
  return exe;
}

std::string TargetFor(const std::vector<std::string>& texts) {
  std::string target;
  for (size_t n = 0; n < texts.size(); ++n) {
    const std::string section = "Block#" + std::to_string(n);
    target += "[" + section + "]\r\nValue=" + texts[n] + "\r\n[End of " + section + "]\r\n";
  }
  return target;
}

SectionFileWriter InsertDescription(const std::string& blockSize = "0x1C") {
  SectionFileWriter d;
  d.Init({{"Source", "../in/game.exe"},
          {"Target", "menu.txt"},
          {"CodeTable", "../in/codes.bin"},
          {"BlockSize", blockSize}});
  return d;
}

// The description, the executable and the code table lie in in/; the target text file lies
// in out/, the working folder of the run, as extraction wrote it there.
class ExeTextInsertTest : public ::testing::Test {
 protected:
  ExeTextInsertTest() {
    testing::MakeDirs(dir_.File("in"));
    testing::MakeDirs(dir_.File("out"));
    state_.OutputDir = dir_.File("out");
    SetCurrentDir(state_.OutputDir);
    state_.CurrentSource = In("menu.trc");
  }

  static SectionFileWriter Description(const std::string& blockSize = "0x1C") {
    return InsertDescription(blockSize);
  }

  static std::string GlyphExe() {
    ExeBuilder exe(0x200);
    exe.F32(0x28, 0.5f);
    for (int r = 0; r < 6; ++r) {
      exe.Record(Rec(r), GlyphReference(static_cast<uint8_t>('a' + r)),
                 {9.0f, 9.0f, 9.0f, 9.0f, 9.0f, 9.0f});
    }
    return exe.Data();
  }

  // Writes the files, runs the insertion and returns the executable's bytes afterwards.
  std::string Insert(const SectionFileWriter& description, const std::string& target,
                     const std::string& exe,
                     const std::string& codeTable = testing::IdentityCodeTable()) {
    description.Save(In("menu.trc"));
    WriteFile(Out("menu.txt"), target);
    WriteFile(In("codes.bin"), codeTable);
    WriteFile(In("game.exe"), exe);
    EXPECT_EQ(InsertExeText(state_, Out("menu.trc"), 7), 7);
    return ReadFile(In("game.exe"));
  }

  std::string In(const std::string& name) const { return dir_.File("in/" + name); }
  std::string Out(const std::string& name) const { return dir_.File("out/" + name); }

  testing::TempDir dir_;
  testing::CwdGuard cwd_;
  TProcessState state_;
};

struct GlyphCase {
  const char* name;
  std::string text;
  uint32_t size;  // of the block
  Writes writes;  // every 32-bit value that changes
};

void PrintTo(const GlyphCase& c, std::ostream* os) {
  *os << c.name;
}

class ExeTextGlyphTest : public ExeTextInsertTest,
                         public ::testing::WithParamInterface<GlyphCase> {};

TEST_P(ExeTextGlyphTest, PlacesExactlyTheTextsLetters) {
  const GlyphCase& c = GetParam();
  const std::string exe = GlyphExe();
  const std::string after =
      Insert(Description().Block(0, kGlyphs, c.size, 2), TargetFor({c.text}), exe);
  EXPECT_EQ(after, Patched(exe, c.writes));
}

const uint32_t kH = GlyphReference('H');
const uint32_t kI = GlyphReference('I');
const uint32_t kJ = GlyphReference('J');
const uint32_t kSpace = GlyphReference(' ');

INSTANTIATE_TEST_SUITE_P(
    Texts, ExeTextGlyphTest,
    ::testing::Values(
        // The last letter has nothing after it, so it gets no positions.
        GlyphCase{"HI", "HI", 4 * kB, {{Rec(0), kH}, {Rec(1), kI}, {0x28, kX0}, {0x30, kX0W}}},
        GlyphCase{"SpaceWidensTheStep",
                  "H IJ",
                  4 * kB,
                  {{Rec(0), kH},
                   {0x28, kX0},
                   {0x30, kX0W},
                   {Rec(1), kI},
                   {Rec(0) + 4, kXS},
                   {Rec(0) + 12, kXSW},
                   {Rec(2), kJ}}},
        GlyphCase{"SpaceBeforeTheLastLetter",
                  "H I",
                  4 * kB,
                  {{Rec(0), kH}, {Rec(1), kI}, {0x28, kX0}, {0x30, kX0W}}},
        GlyphCase{"LettersBeyondTheRecordsAreDropped",
                  "HIJ",
                  2 * kB + 5,  // the remainder is no record
                  {{Rec(0), kH},
                   {0x28, kX0},
                   {0x30, kX0W},
                   {Rec(1), kI},
                   {Rec(0) + 4, kXA},
                   {Rec(0) + 12, kXAW}}},
        GlyphCase{"SecondBlankIsPlacedAsALetter",
                  "H  I",
                  4 * kB,
                  {{Rec(0), kH},
                   {0x28, kX0},
                   {0x30, kX0W},
                   {Rec(1), kSpace},
                   {Rec(0) + 4, kXS},
                   {Rec(0) + 12, kXSW},
                   {Rec(2), kI}}},
        GlyphCase{"LeadingBlankIsPlacedAsALetter",
                  " H",
                  4 * kB,
                  {{Rec(0), kSpace}, {0x28, kX0}, {0x30, kX0W}, {Rec(1), kH}}},
        GlyphCase{"TrailingBlankGivesTheLastLetterItsPositions",
                  "HI ",
                  4 * kB,
                  {{Rec(0), kH},
                   {0x28, kX0},
                   {0x30, kX0W},
                   {Rec(1), kI},
                   {Rec(0) + 4, kXA},
                   {Rec(0) + 12, kXAW}}},
        GlyphCase{"OneLetter", "H", 4 * kB, {{Rec(0), kH}}}, GlyphCase{"EmptyText", "", 4 * kB, {}},
        GlyphCase{"BlockSmallerThanARecord", "HI", kB - 1, {}}),
    [](const ::testing::TestParamInfo<GlyphCase>& info) { return info.param.name; });

TEST_F(ExeTextInsertTest, CodeTableDecidesWhatIsASpace) {
  std::string table = testing::IdentityCodeTable();
  table['_'] = ' ';
  table[' '] = '#';
  table += "bytes after the first 256 are ignored";
  const std::string exe = GlyphExe();
  const std::string after =
      Insert(Description().Block(0, kGlyphs, 4 * kB, 2), TargetFor({"H_I J"}), exe, table);
  EXPECT_EQ(after, Patched(exe, {{Rec(0), kH},
                                 {0x28, kX0},
                                 {0x30, kX0W},
                                 {Rec(1), kI},
                                 {Rec(0) + 4, kXS},
                                 {Rec(0) + 12, kXSW},
                                 {Rec(2), GlyphReference('#')},
                                 {Rec(1) + 4, kXSA},
                                 {Rec(1) + 12, kXSAW},
                                 {Rec(3), kJ}}));
}

TEST_F(ExeTextInsertTest, PositionsAccumulateInSinglePrecision) {
  // 34 letters from x0 = -0.9; the step after T is a space. Bit patterns worked out with one
  // rounding per sum; summing with more precision would drift from them by the tenth letter.
  const std::string text = "ABCDEFGHIJKLMNOPQRST UVWXYZABCDEFGH";
  ExeBuilder exe(0x400);
  exe.U32(kGlyphs - kB + 4, 0xBF666666);
  const std::string before = exe.Data();
  const std::string after =
      Insert(Description().Block(0, kGlyphs, 34 * kB, 2), TargetFor({text}), before);

  const std::vector<std::pair<int, uint32_t>> x = {
      {0, 0xBF666666},  {1, 0xBF600000},  {9, 0xBF2CCCD0}, {16, 0xBF000006},
      {19, 0xBED999A5}, {20, 0xBEC0000B}, {32, 0xBD9999BE}};
  for (const auto& [r, bits] : x) {
    EXPECT_EQ(testing::U32At(after, Rec(r) - kB + 4), bits) << "letter " << r;
  }
  EXPECT_EQ(testing::U32At(after, Rec(0) - kB + 12), 0xBF5CCCCCu);
  EXPECT_EQ(testing::U32At(after, Rec(32) - kB + 12), 0xBD1999E2u);
  EXPECT_EQ(testing::U32At(after, Rec(33)), GlyphReference('H'));
  // The last letter has no positions; its record's own bytes stay.
  EXPECT_EQ(testing::U32At(after, Rec(33) + 4), testing::U32At(before, Rec(33) + 4));
  EXPECT_EQ(after.substr(Rec(34)), before.substr(Rec(34)));
}

TEST_F(ExeTextInsertTest, FirstPositionsMayStartTheFile) {
  // Offset - B + 4 = 0: the first letter's positions are the file's first bytes.
  const std::string exe = ExeBuilder(0x100).F32(0, 0.5f).Data();
  const std::string after =
      Insert(Description().Block(0, kB - 4, 2 * kB, 2), TargetFor({"HI"}), exe);
  EXPECT_EQ(after, Patched(exe, {{kB - 4, kH}, {2 * kB - 4, kI}, {0, kX0}, {8, kX0W}}));
}

TEST_F(ExeTextInsertTest, TextBlocksTakeTheirSizeOfTheMappedText) {
  std::string table = testing::IdentityCodeTable();
  for (char c = 'a'; c <= 'z'; ++c) table[static_cast<unsigned char>(c)] = c - 'a' + 'A';
  const std::string exe = ExeBuilder(0x100).Data();
  const std::string target =
      "[Block#0]\r\nValue=hello\r\n"
      "[block#1]\nValue=HELLO\n"
      "[BLOCK#2]\rValue:ABC\r"
      "[Block#3]\r\nvalue=XYZ\r\n"
      "[Block#4]\r\nValue\r\n"
      "[Block#6]\r\nValue=unused\r\n";
  SectionFileWriter d = Description();
  d.Block(0, 0x10, 8, 1)
      .Block(1, 0x20, 3, 1)
      .Block(2, 0x30, 3, 1)
      .Block(3, 0x40, 4, 1)
      .Block(4, 0x50, 4, 1)
      .Section("Block#5", {{"Mode", "7"}});  // listed only: needs no text
  const std::string after = Insert(d, target, exe, table);

  std::string expected = exe;
  expected.replace(0x10, 8, std::string("HELLO\0\0\0", 8));
  expected.replace(0x20, 3, "HEL");
  expected.replace(0x30, 3, "ABC");
  expected.replace(0x40, 4, std::string("XYZ\0", 4));
  expected.replace(0x50, 4, std::string(4, '\0'));
  EXPECT_EQ(after, expected);
}

TEST_F(ExeTextInsertTest, ClosesTheSourceStreamAndKeepsTheDescriptionOpen) {
  Description().Save(In("menu.trc"));
  WriteFile(Out("menu.txt"), "");
  WriteFile(In("codes.bin"), testing::IdentityCodeTable());
  WriteFile(In("game.exe"), "exe");
  state_.SourceStream =
      std::make_unique<TFileStream>(In("menu.trc"), TFileStream::Mode::kReadWrite);
  EXPECT_EQ(InsertExeText(state_, Out("menu.trc"), 3), 3);
  EXPECT_FALSE(state_.SourceStream);
  EXPECT_EQ(state_.Sections.SectionPath, In("menu.trc"));
  EXPECT_EQ(ReadFile(In("game.exe")), "exe");
}

TEST_F(ExeTextInsertTest, RoundTripThroughTheBlockTextFile) {
  ExeBuilder exe(0x200);
  exe.Bytes(0x10, std::string("MENU\0", 5)).F32(0x28, 0.5f);
  for (int r = 0; r < 4; ++r) exe.U32(Rec(r), GlyphReference(static_cast<uint8_t>('A' + r)));
  WriteFile(In("game.exe"), exe.Data());
  WriteFile(In("codes.bin"), testing::IdentityCodeTable());
  Description().Block(0, 0x10, 0x10, 1).Block(1, kGlyphs, 4 * kB, 2).Save(In("menu.trc"));

  ExtractExeText(state_, In("menu.trc"));
  EXPECT_EQ(ReadFile(Out("menu.txt")), TargetFor({"MENU", "ABCD"}));
  WriteFile(Out("menu.txt"), TargetFor({"START RACE", "H I"}));
  InsertExeText(state_, Out("menu.trc"), 0);
  ExtractExeText(state_, In("menu.trc"));
  // The space after H is a wider step, not a letter; records after the text keep theirs.
  EXPECT_EQ(ReadFile(Out("menu.txt")), TargetFor({"START RACE", "HICD"}));
}

struct InsertFailure {
  const char* name;
  std::string description;
  std::string target;
  std::string error;
  std::string codeTable = testing::IdentityCodeTable();
};

void PrintTo(const InsertFailure& c, std::ostream* os) {
  *os << c.name;
}

class ExeTextInsertFailureTest : public ExeTextInsertTest,
                                 public ::testing::WithParamInterface<InsertFailure> {};

TEST_P(ExeTextInsertFailureTest, LeavesTheExecutableAsItWas) {
  const InsertFailure& c = GetParam();
  const std::string exe = GlyphExe();
  WriteFile(In("menu.trc"), c.description);
  WriteFile(Out("menu.txt"), c.target);
  WriteFile(In("codes.bin"), c.codeTable);
  WriteFile(In("game.exe"), exe);
  const int open_files = OpenFileCount();
  try {
    InsertExeText(state_, Out("menu.trc"), 0);
    ADD_FAILURE() << "the insertion did not fail";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), c.error);
  }
  EXPECT_EQ(OpenFileCount(), open_files);  // nothing stays open after the error
  EXPECT_EQ(ReadFile(In("game.exe")), exe);
}

std::string Desc(SectionFileWriter d) {
  return d.Text();
}

// A valid text block 0 that would be written if block 1 were not refused.
SectionFileWriter WithGoodBlock0(const std::string& blockSize = "0x1C") {
  SectionFileWriter d = InsertDescription(blockSize);
  d.Block(0, 0x100, 8, 1);
  return d;
}

const std::string kTwoTexts = TargetFor({"HELLO", "HI"});

INSTANTIATE_TEST_SUITE_P(
    Failures, ExeTextInsertFailureTest,
    ::testing::Values(
        InsertFailure{"GlyphBlockSizeZero", Desc(WithGoodBlock0("0x0").Block(1, kGlyphs, kB, 2)),
                      kTwoTexts, "Block#1: BlockSize is 0"},
        InsertFailure{"TextBlockTooLarge", Desc(WithGoodBlock0().Block(1, 0x10, 0x101, 1)),
                      kTwoTexts, "Block#1: Size 0x101 is over the 256 bytes of a text block"},
        InsertFailure{"TextTooLong", Desc(WithGoodBlock0().Block(1, 0x10, 0x10, 1)),
                      TargetFor({"HELLO", std::string(256, 'x')}),
                      "Block#1: its text has 256 characters, more than 255"},
        InsertFailure{"ShortCodeTable", Desc(WithGoodBlock0()), kTwoTexts,
                      "The code table ../in/codes.bin holds 255 bytes; it needs 256",
                      testing::IdentityCodeTable().substr(0, 255)},
        InsertFailure{"PositionsBeforeTheFile", Desc(WithGoodBlock0().Block(1, 0x17, kB, 2)),
                      kTwoTexts,
                      "Block#1: the letter positions before the block would lie before the "
                      "start of the executable (Offset 0x17, BlockSize 0x1C)"},
        InsertFailure{
            "ModeMissing",
            Desc(InsertDescription().Section("Block#0", {{"Offset", "0x10"}, {"Size", "0x4"}})),
            kTwoTexts, "Block#0: Mode is not given"},
        InsertFailure{"BlockSizeMissing",
                      Desc(SectionFileWriter()
                               .Init({{"Source", "../in/game.exe"},
                                      {"Target", "menu.txt"},
                                      {"CodeTable", "../in/codes.bin"}})
                               .Block(0, 0x100, 8, 1)
                               .Block(1, kGlyphs, kB, 2)),
                      kTwoTexts, "Block#1: BlockSize is not given"},
        InsertFailure{"BlockMissingInTarget", Desc(WithGoodBlock0().Block(1, 0x10, 4, 1)),
                      TargetFor({"HELLO"}),
                      "Block#1: the target text file menu.txt has no line [Block#1]"},
        InsertFailure{"BlockHeaderIsTheLastLine", Desc(WithGoodBlock0().Block(1, 0x10, 4, 1)),
                      TargetFor({"HELLO"}) + "[Block#1]", "List index out of bounds (4)"},
        InsertFailure{"GlyphBlockPastTheEnd", Desc(WithGoodBlock0().Block(1, 0x1F0, 0x20, 2)),
                      kTwoTexts,
                      "Block#1: Offset 0x1F0 + Size 0x20 runs past the end of the executable "
                      "(0x200 bytes)"},
        InsertFailure{"TextBlockPastTheEnd", Desc(WithGoodBlock0().Block(1, 0x1FE, 4, 1)),
                      kTwoTexts,
                      "Block#1: a write at 0x1FE would lie past the end of the executable "
                      "(0x200 bytes)"},
        // With B = 4 the second position of the last record's letter lies past the block.
        InsertFailure{"PositionPastTheEnd", Desc(WithGoodBlock0("0x4").Block(1, 0x1F8, 8, 2)),
                      kTwoTexts,
                      "Block#1: a write at 0x200 would lie past the end of the executable "
                      "(0x200 bytes)"},
        InsertFailure{"NoExecutable", "[Init]\r\nSource=../in/missing.exe\r\n[END OF Init]\r\n",
                      kTwoTexts, "Cannot open file ../in/missing.exe"},
        InsertFailure{"NoTarget",
                      "[Init]\r\nSource=../in/game.exe\r\nTarget=missing.txt\r\n[END OF Init]\r\n",
                      kTwoTexts, "Cannot open file missing.txt"},
        InsertFailure{"NoCodeTable",
                      "[Init]\r\nSource=../in/game.exe\r\nTarget=menu.txt\r\n[END OF Init]\r\n",
                      kTwoTexts, "Cannot open file "},
        InsertFailure{"BodyWithoutEndLine",
                      Desc(WithGoodBlock0()) + "[Block#1]\r\nOffset=0x10\r\nSize=0x4\r\n",
                      kTwoTexts, "List index out of bounds (14)"}),
    [](const ::testing::TestParamInfo<InsertFailure>& info) { return info.param.name; });

}  // namespace
}  // namespace skerrow
