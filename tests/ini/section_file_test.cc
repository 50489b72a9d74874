#include "ini/section_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/error.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct LookupCase {
  const char* name;
  std::string file;  // LF line breaks
  std::string section;
  std::string key;
  bool exists;                       // SectionExists(section)
  std::optional<std::string> value;  // ReadValue(section, key), or none when it fails
  std::string error = "";            // the failure's text
};

void PrintTo(const LookupCase& c, std::ostream* os) {
  *os << c.name;
}

class SectionLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(SectionLookupTest, FindsSectionsAndKeys) {
  const LookupCase& c = GetParam();
  TempDir dir;
  WriteFile(dir.File("a.trc"), c.file);
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));

  EXPECT_EQ(reader.SectionExists(c.section), c.exists);
  if (c.value) {
    EXPECT_EQ(reader.ReadValue(c.section, c.key), *c.value);
  } else {
    try {
      reader.ReadValue(c.section, c.key);
      ADD_FAILURE() << "ReadValue did not fail";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.error.c_str());
    }
  }
}

const std::string kAlpha = "[Alpha]\nColour=red\nPath=a=b\n[END OF Alpha]\n";

INSTANTIATE_TEST_SUITE_P(
    Syntax, SectionLookupTest,
    ::testing::Values(
        LookupCase{"Plain", kAlpha, "Alpha", "Colour", true, "red"},
        LookupCase{"ValueWithEquals", kAlpha, "Alpha", "Path", true, "a=b"},
        LookupCase{"MissingKey", kAlpha, "Alpha", "Size", true, ""},
        LookupCase{"MissingSection", kAlpha, "Beta", "Colour", false, ""},
        LookupCase{"KeyCaseCounts", kAlpha, "Alpha", "colour", true, ""},
        LookupCase{"HeaderAnyCase", "[INIT]\nSource=x\n[END OF Init]\n", "Init", "Source", true,
                   "x"},
        LookupCase{"BlanksInsideHeader", "[ Init ]\nSource=x\n[END OF Init]\n", "Init", "Source",
                   false, ""},
        LookupCase{"BlankAfterHeader", "[Init] \nSource=x\n[END OF Init]\n", "Init", "Source",
                   false, ""},
        LookupCase{"EndLineOtherCaseDoesNotClose",
                   "[Init]\n[End of Init]\nSource=x\n[END OF Init]\n", "Init", "Source", true, "x"},
        LookupCase{"EndLineOtherCaseRunsOff", "[Init]\n[End of Init]\nA=1\n", "Init", "Source",
                   true, std::nullopt, "List index out of bounds (3)"},
        LookupCase{"EndLineSpelledAsAsked", "[block#1]\nOffset=0x10\n[END OF block#1]\n", "Block#1",
                   "Size", true, std::nullopt, "List index out of bounds (3)"},
        LookupCase{"KeyFoundBeforeMissingEndLine", "[Init]\nSource=x\n", "Init", "Source", true,
                   "x"},
        LookupCase{"EmptyValue", "[A]\nPath=\nPath=late\n[END OF A]\n", "A", "Path", true, ""},
        LookupCase{"TrailingBlanksKept", "[A]\nPath=x  \n[END OF A]\n", "A", "Path", true, "x  "},
        LookupCase{"FirstKeyLineCounts", "[A]\nK=1\nK=2\n[END OF A]\n", "A", "K", true, "1"},
        LookupCase{"FirstSectionCounts", "[A]\n[END OF A]\n[A]\nK=2\n[END OF A]\n", "A", "K", true,
                   ""},
        LookupCase{"KeyBeforeHeader", "K=1\n[A]\n[END OF A]\n", "A", "K", true, ""},
        LookupCase{"KeyAfterEndLine", "[A]\n[END OF A]\nK=1\n", "A", "K", true, ""},
        // Key= counts only at the start of the line.
        LookupCase{"KeyInsideOtherKey", "[B]\nBlockSize=0x1C\nSize=0x4\n[END OF B]\n", "B", "Size",
                   true, "0x4"},
        LookupCase{"IndentedKey", "[B]\n  Size=0x4\n[END OF B]\n", "B", "Size", true, ""},
        // Only the section's own end line closes it.
        LookupCase{"NestedSectionBelongsToBoth", "[A]\n[B]\nK=b\n[END OF B]\n[END OF A]\n", "A",
                   "K", true, "b"},
        LookupCase{"CrLfAndLoneCr", "[A]\r\nX=1\rK=v\r\n[END OF A]\r\n", "A", "K", true, "v"},
        LookupCase{"EmptyFile", "", "A", "K", false, ""}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return info.param.name; });

TEST(SectionFileTest, LfOnlyFileIsWrittenBackWithCrLf) {
  TempDir dir;
  WriteFile(dir.File("a.trc"), "[A]\nK=v\n\r[END OF A]");
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));
  EXPECT_EQ(reader.ReadValue("A", "K"), "v");

  reader.OpenSectionFile(dir.File("b.trc"));
  EXPECT_EQ(ReadFile(dir.File("a.trc")), "[A]\r\nK=v\r\n\r\n[END OF A]\r\n");
  // Written beside and renamed: nothing else is left in the folder.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"a.trc"});
}

TEST(SectionFileTest, MissingPathOpensEmptyAndIsCreatedOnWriteBack) {
  TempDir dir;
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("new.trc"));
  EXPECT_TRUE(reader.IsOpen());
  EXPECT_FALSE(reader.SectionExists("Init"));
  EXPECT_EQ(reader.ReadValue("Init", "Source"), "");
  EXPECT_FALSE(testing::Exists(dir.File("new.trc")));

  reader.OpenSectionFile(dir.File("other.trc"));
  ASSERT_TRUE(testing::Exists(dir.File("new.trc")));
  EXPECT_EQ(ReadFile(dir.File("new.trc")), "");
}

TEST(SectionFileTest, EmptyFileStaysEmpty) {
  TempDir dir;
  WriteFile(dir.File("a.trc"), "");
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));
  reader.OpenSectionFile(dir.File("a.trc"));  // writes back, then loads again
  EXPECT_EQ(ReadFile(dir.File("a.trc")), "");
  EXPECT_FALSE(reader.SectionExists("A"));
}

TEST(SectionFileTest, ReopeningTheSamePathSeesTheSameLines) {
  TempDir dir;
  WriteFile(dir.File("a.trc"), "[A]\nK=v\n[END OF A]\n");
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));
  reader.OpenSectionFile(dir.File("a.trc"));
  EXPECT_EQ(reader.ReadValue("A", "K"), "v");
  EXPECT_EQ(reader.SectionPath, dir.File("a.trc"));
}

TEST(SectionFileTest, FileCutShortByNulIsNeverWrittenBack) {
  TempDir dir;
  const std::string bytes = std::string("[A]\nK=v\n", 8) + std::string(1, '\0') + "[B]\nJ=w\n";
  WriteFile(dir.File("a.trc"), bytes);
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));
  EXPECT_EQ(reader.ReadValue("A", "K"), "v");
  EXPECT_FALSE(reader.SectionExists("B"));

  reader.OpenSectionFile(dir.File("b.trc"));
  EXPECT_EQ(ReadFile(dir.File("a.trc")), bytes);
  // The next file is an ordinary one again and is written back.
  reader.OpenSectionFile(dir.File("c.trc"));
  EXPECT_TRUE(testing::Exists(dir.File("b.trc")));
}

TEST(SectionFileTest, FailedWriteBackKeepsThePreviousFileOpen) {
  TempDir dir;
  testing::MakeDirs(dir.File("gone"));
  const std::string previous = dir.File("gone/a.trc");
  WriteFile(previous, "[A]\nK=v\n[END OF A]\n");
  WriteFile(dir.File("b.trc"), "[B]\nJ=w\n[END OF B]\n");
  TSectionReader reader;
  reader.OpenSectionFile(previous);
  std::filesystem::remove_all(dir.File("gone"));

  for (int attempt = 0; attempt < 2; ++attempt) {
    try {
      reader.OpenSectionFile(dir.File("b.trc"));
      ADD_FAILURE() << "the write-back did not fail";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot create file " + previous);
    }
    EXPECT_EQ(reader.SectionPath, previous);
    EXPECT_EQ(reader.ReadValue("A", "K"), "v");
    EXPECT_FALSE(reader.SectionExists("B"));
  }

  // Once the cause is gone the write-back succeeds and the new file opens.
  testing::MakeDirs(dir.File("gone"));
  reader.OpenSectionFile(dir.File("b.trc"));
  EXPECT_EQ(ReadFile(previous), "[A]\r\nK=v\r\n[END OF A]\r\n");
  EXPECT_EQ(reader.ReadValue("B", "J"), "w");
}

TEST(SectionFileTest, FolderPathFailsAndNothingIsWrittenLater) {
  TempDir dir;
  testing::MakeDirs(dir.File("folder"));
  WriteFile(dir.File("a.trc"), "[A]\nK=v\n[END OF A]\n");
  TSectionReader reader;
  reader.OpenSectionFile(dir.File("a.trc"));
  try {
    reader.OpenSectionFile(dir.File("folder"));
    ADD_FAILURE() << "a folder opened";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("folder"));
  }
  EXPECT_FALSE(reader.IsOpen());
  // a.trc was written back before the load; whatever changes it now stays.
  EXPECT_EQ(ReadFile(dir.File("a.trc")), "[A]\r\nK=v\r\n[END OF A]\r\n");
  WriteFile(dir.File("a.trc"), "edited\n");

  reader.OpenSectionFile(dir.File("b.trc"));
  EXPECT_EQ(ReadFile(dir.File("a.trc")), "edited\n");
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
}

}  // namespace
}  // namespace skerrow
