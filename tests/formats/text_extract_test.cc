#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <limits>

#include "formats/block_description.h"
#include "formats/format_handlers.h"
#include "platform/error.h"
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

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

// The description and the executable lie in in/, the run writes into out/, its working folder;
// the description names the executable by a path relative to the working folder.
class ExeTextExtractTest : public ::testing::Test {
 protected:
  ExeTextExtractTest() {
    testing::MakeDirs(dir_.File("in"));
    testing::MakeDirs(dir_.File("out"));
    state_.OutputDir = dir_.File("out");
    SetCurrentDir(state_.OutputDir);
  }

  static SectionFileWriter Description(const std::string& blockSize = "0x1C") {
    SectionFileWriter d;
    d.Init({{"Source", "../in/game.exe"}, {"BlockSize", blockSize}});
    return d;
  }

  void Extract(const SectionFileWriter& description, const std::string& exe,
               const std::string& name = "menu.trc") {
    description.Save(In(name));
    WriteFile(In("game.exe"), exe);
    ExtractExeText(state_, In(name));
  }

  std::string In(const std::string& name) const { return dir_.File("in/" + name); }
  std::string Out(const std::string& name) const { return dir_.File("out/" + name); }

  testing::TempDir dir_;
  testing::CwdGuard cwd_;
  TProcessState state_;
};

TEST_F(ExeTextExtractTest, TextBlocksEndAtTheirFirstZeroByte) {
  const std::string exe = ExeBuilder(0x100)
                              .Bytes(0x10, std::string("HELLO\0xy", 8))
                              .Bytes(0x20, "ABCD")
                              .Bytes(0x30, std::string("\0BC", 3))
                              .Bytes(0xFC, "WXYZ")
                              .Data();
  Extract(Description()
              .Block(0, 0x10, 8, 1)
              .Block(1, 0x20, 4, 1)
              .Block(2, 0x30, 3, 1)
              .Block(3, 0xFC, 0x10, 1),  // reaches past the end of the file
          exe);

  EXPECT_EQ(ReadFile(Out("menu.txt")),
            CrLfLines({"[Block#0]", "Value=HELLO", "[End of Block#0]", "[Block#1]", "Value=ABCD",
                       "[End of Block#1]", "[Block#2]", "Value=", "[End of Block#2]", "[Block#3]",
                       "Value=WXYZ", "[End of Block#3]"}));
  EXPECT_TRUE(testing::Exists(Out("Vals.txt")));
  EXPECT_EQ(ReadFile(Out("Vals.txt")), "");
  EXPECT_EQ(state_.Sections.SectionPath, In("menu.trc"));  // stays the open section file
}

TEST_F(ExeTextExtractTest, GlyphBlockReadsWholeRecordsAndZerosPastTheEnd) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // Size = 3 * B + 1: three whole records and one byte of a fourth, which is also the last
  // byte of the file, so the fourth record reads 27 zero bytes after it.
  const std::string exe =
      ExeBuilder(0x40 + 3 * 0x1C + 1)
          .Record(0x40, GlyphReference('H'), {1.5f, 0.025f, -0.0f, inf, -inf, nan})
          .Record(0x5C, GlyphReference('I'),
                  {std::bit_cast<float>(0xFFC00000u), 0.0f, -1.25f, 100.0f, 1e-7f, 2.0f})
          .Record(0x78, kGlyphBase - 16 * 65, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, -0.5f})
          .Bytes(0x94, "\x40")
          .Data();
  Extract(Description().Block(0, 0x40, 3 * 0x1C + 1, 2), exe);

  EXPECT_EQ(ReadFile(Out("menu.txt")),
            CrLfLines({"[Block#0]", std::string("Value=HI\0\x11", 10), "[End of Block#0]"}));
  std::vector<std::string> values = {
      "[Block#0]",          "Value 0.0=1.500000",  "Value 0.1=0.025000",   "Value 0.2=-0.000000",
      "Value 0.3=+INF",     "Value 0.4=-INF",      "Value 0.5=+NAN",       "Value 1.0=-NAN",
      "Value 1.1=0.000000", "Value 1.2=-1.250000", "Value 1.3=100.000000", "Value 1.4=0.000000",
      "Value 1.5=2.000000", "Value 2.0=0.500000",  "Value 2.1=0.500000",   "Value 2.2=0.500000",
      "Value 2.3=0.500000", "Value 2.4=0.500000",  "Value 2.5=-0.500000"};
  for (int i = 0; i < 6; ++i) values.push_back("Value 3." + std::to_string(i) + "=0.000000");
  values.push_back("[End of Block#0]");
  EXPECT_EQ(ReadFile(Out("Vals.txt")), CrLfLines(values));
}

TEST_F(ExeTextExtractTest, RecordsShorterThanTheirValuesReadIntoTheNextRecord) {
  // B = 8: a record's six values are the 24 bytes after its reference, whatever follows.
  ExeBuilder exe(0x40);
  for (int r = 0; r < 5; ++r) exe.F32(0x10 + 4 * r, static_cast<float>(r));
  exe.U32(0x08, GlyphReference('A')).U32(0x10, GlyphReference('B'));
  Extract(Description("0x8").Block(0, 0x8, 0x10, 2), exe.Data());

  EXPECT_EQ(ReadFile(Out("menu.txt")), CrLfLines({"[Block#0]", "Value=AB", "[End of Block#0]"}));
  const std::string vals = ReadFile(Out("Vals.txt"));
  // Record 0 at 0x08: value 0 at 0x0C (pattern), value 1 at 0x10 (the reference of B).
  EXPECT_NE(vals.find("Value 0.2=1.000000\r\n"), std::string::npos) << vals;
  EXPECT_NE(vals.find("Value 1.0=1.000000\r\n"), std::string::npos) << vals;
  EXPECT_NE(vals.find("Value 1.2=3.000000\r\n"), std::string::npos) << vals;
}

TEST_F(ExeTextExtractTest, WalkWithOtherModesGapsAndCarriedSettings) {
  const std::string exe = ExeBuilder(0x100)
                              .Record(0x10, GlyphReference('A'), {1, 2, 3, 4, 5, 6})
                              .Record(0x40, GlyphReference('Z'), {7, 8, 9, 10, 11, 12})
                              .Data();
  SectionFileWriter d = Description();
  d.Block(0, 0x10, 0x1C, 2)
      .Section("Block#1", {{"Offset", "0X40"}, {"Size", "0x0"}})  // Offset and Mode carried
      .Section("Block#2", {{"Mode", "7"}})
      .Block(3, 0x40, 0x1C, 2)
      .Block(5, 0x80, 0x8, 1);  // after the gap: never read
  Extract(d, exe);

  EXPECT_EQ(ReadFile(Out("menu.txt")),
            CrLfLines({"[Block#0]", "Value=A", "[End of Block#0]", "[Block#1]",
                       "Value=", "[End of Block#1]", "[Block#2]", "Value=", "[End of Block#2]",
                       "[Block#3]", "Value=Z", "[End of Block#3]"}));
  std::vector<std::string> values = {"[Block#0]"};
  for (int i = 0; i < 6; ++i) {
    values.push_back("Value 0." + std::to_string(i) + "=" + std::to_string(i + 1) + ".000000");
  }
  values.insert(values.end(), {"[End of Block#0]", "[Block#1]", "[End of Block#1]", "[Block#3]"});
  for (int i = 0; i < 6; ++i) {
    values.push_back("Value 0." + std::to_string(i) + "=" + std::to_string(i + 7) + ".000000");
  }
  values.push_back("[End of Block#3]");
  EXPECT_EQ(ReadFile(Out("Vals.txt")), CrLfLines(values));
}

TEST_F(ExeTextExtractTest, DescriptionWithoutBlocksWritesTwoEmptyFiles) {
  WriteFile(Out("Vals.txt"), "old values");
  Extract(Description(), ExeBuilder(0x10).Data(), "tips");
  EXPECT_EQ(ReadFile(Out("tips.txt")), "");
  EXPECT_TRUE(testing::Exists(Out("tips.txt")));
  EXPECT_EQ(ReadFile(Out("Vals.txt")), "");
}

TEST_F(ExeTextExtractTest, BlockTextFileIsNamedAfterTheDescription) {
  const std::string exe = ExeBuilder(0x20).Bytes(0, std::string("AB\0", 3)).Data();
  Extract(Description().Block(0, 0, 4, 1), exe, "menu.old.trc");
  EXPECT_EQ(ReadFile(Out("menu.old.txt")),
            CrLfLines({"[Block#0]", "Value=AB", "[End of Block#0]"}));
  EXPECT_FALSE(testing::Exists(Out("menu.old.trc.txt")));
}

struct ExtractFailure {
  const char* name;
  std::string description;  // empty: no description file at all
  std::string error;
};

void PrintTo(const ExtractFailure& c, std::ostream* os) {
  *os << c.name;
}

class ExeTextExtractFailureTest : public ExeTextExtractTest,
                                  public ::testing::WithParamInterface<ExtractFailure> {};

TEST_P(ExeTextExtractFailureTest, LeavesTheOutputFilesAlone) {
  const ExtractFailure& c = GetParam();
  WriteFile(In("game.exe"), ExeBuilder(0x100).Data());
  if (!c.description.empty()) WriteFile(In("menu.trc"), c.description);
  WriteFile(Out("menu.txt"), "old text");
  WriteFile(Out("Vals.txt"), "old values");
  const int open_files = OpenFileCount();
  try {
    ExtractExeText(state_, In("menu.trc"));
    ADD_FAILURE() << "the extraction did not fail";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), c.error);
  }
  EXPECT_EQ(OpenFileCount(), open_files);  // nothing stays open after the error
  EXPECT_EQ(ReadFile(Out("menu.txt")), "old text");
  EXPECT_EQ(ReadFile(Out("Vals.txt")), "old values");
}

std::string Init(const std::string& source = "../in/game.exe") {
  return SectionFileWriter().Init({{"Source", source}, {"BlockSize", "0x1C"}}).Text();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ExeTextExtractFailureTest,
    ::testing::Values(
        ExtractFailure{"NoExecutable", Init("../in/missing.exe"),
                       "Cannot open file ../in/missing.exe"},
        ExtractFailure{"NoDescription", "", "Cannot open file "},
        ExtractFailure{"ExecutableIsAFolder", Init(".."), "Cannot open file .."},
        ExtractFailure{"GlyphBlockSizeZero",
                       SectionFileWriter()
                           .Init({{"Source", "../in/game.exe"}, {"BlockSize", "0x0"}})
                           .Block(0, 0x10, 4, 1)
                           .Block(1, 0x20, 4, 2)
                           .Text(),
                       "Block#1: BlockSize is 0"},
        ExtractFailure{"TextBlockTooLarge",
                       Init() + SectionFileWriter().Block(0, 0, 0x101, 1).Text(),
                       "Block#0: Size 0x101 is over the 256 bytes of a text block"},
        ExtractFailure{"GlyphBlockPastTheEnd",
                       Init() + SectionFileWriter().Block(0, 0xF0, 0x11, 2).Text(),
                       "Block#0: Offset 0xF0 + Size 0x11 runs past the end of the executable "
                       "(0x100 bytes)"},
        ExtractFailure{
            "NoModeInFirstBlock",
            Init() +
                SectionFileWriter().Section("Block#0", {{"Offset", "0x0"}, {"Size", "0x4"}}).Text(),
            "Block#0: Mode is not given"},
        ExtractFailure{"BodyWithoutEndLine", Init() + "[Block#0]\r\nOffset=0x0\r\nSize=0x4\r\n",
                       "List index out of bounds (7)"}),
    [](const ::testing::TestParamInfo<ExtractFailure>& info) { return info.param.name; });

}  // namespace
}  // namespace skerrow
