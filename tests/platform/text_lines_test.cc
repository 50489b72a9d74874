#include "platform/text_lines.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Lines = std::vector<std::string>;

TEST(TextLines, LoadSplitsAtEveryKindOfBreak) {
  struct Case {
    const char* name;
    std::string bytes;
    Lines lines;
    bool nul;
  } cases[] = {
      {"crlf", "a\r\n\r\nb\r\n", {"a", "", "b"}, false},
      {"no final break", "a\r\n\r\nb", {"a", "", "b"}, false},
      {"lone lf", "a\nb\n", {"a", "b"}, false},
      {"lone cr", "a\rb\r", {"a", "b"}, false},
      {"lf then cr is two breaks", "a\n\rb", {"a", "", "b"}, false},
      {"cr cr lf", "a\r\r\nb", {"a", "", "b"}, false},
      {"nul ends the text", std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}, true},
      {"nul at start", std::string("\0a", 2), {}, true},
      {"empty", "", {}, false},
      {"only a break", "\r\n", {""}, false},
      {"blanks kept", "  x  \r\n", {"  x  "}, false},
      {"high bytes", "\xE9t\xE9\n", {"\xE9t\xE9"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TStringList list;
    list.Add("old");
    list.SetText(c.bytes);
    EXPECT_EQ(list.Lines(), c.lines);
    EXPECT_EQ(list.LoadStoppedAtNul(), c.nul);
  }
}

TEST(TextLines, SaveEndsEveryLineWithCrLfAndReplacesTheFile) {
  TempDir dir;
  const std::string path = dir.File("list.lst");
  WriteFile(path, "a much longer earlier content");
  TStringList list(Lines{"C:\\a.log", "C:\\b.log"});
  list.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), "C:\\a.log\r\nC:\\b.log\r\n");

  TStringList back;
  back.LoadFromFile(path);
  EXPECT_EQ(back.Lines(), list.Lines());

  TStringList().SaveToFile(path);
  EXPECT_EQ(ReadFile(path), "");
}

// Files are loaded in blocks of a megabyte: breaks, long lines and NUL bytes at and across the
// block edges must split exactly as the same text in one piece does.
TEST(TextLines, LoadFromFileSplitsAcrossBlocksAsTheWholeText) {
  constexpr size_t kBlock = 1 << 20;
  const std::string filler(kBlock - 1, 'x');  // puts the next byte last in the first block
  const std::string longLine(2 * kBlock + 7, 'y');
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"cr lf split between blocks", filler + "\r\nb\r\n"},
      {"lone cr last in a block", filler + "\rb"},
      {"cr last, cr first", filler + "\r\rb"},
      {"lf last in a block", filler + "\n\nb"},
      {"a line over three blocks", "a\r\n" + longLine + "\r\nz"},
      {"a line over blocks without a final break", "a\n" + longLine},
      {"nul first in a block", filler + "a" + std::string(1, '\0') + "more\r\n"},
      {"nul right after a cr last in a block", filler + "\r" + std::string(1, '\0') + "\nz"},
      {"nul in a later block of a long line", longLine + std::string(1, '\0') + "z\r\n"},
      {"exactly one block", std::string(kBlock, 'q')},
  };
  TempDir dir;
  for (const auto& [what, text] : cases) {
    SCOPED_TRACE(what);
    WriteFile(dir.File("big.log"), text);
    TStringList whole;
    whole.SetText(text);
    TStringList loaded;
    loaded.Add("old");
    loaded.LoadFromFile(dir.File("big.log"));
    EXPECT_EQ(loaded.Lines(), whole.Lines());
    EXPECT_EQ(loaded.LoadStoppedAtNul(), whole.LoadStoppedAtNul());
  }
}

TEST(TextLines, FileErrorsCarryThePath) {
  TempDir dir;
  TStringList list;
  try {
    list.LoadFromFile(dir.File("missing.log"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("missing.log"));
  }
  try {
    list.LoadFromFile(dir.path());  // a folder is no file
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.path());
  }
  try {
    list.SaveToFile(dir.File("no/such/folder.txt"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + dir.File("no/such/folder.txt"));
  }
}

TEST(TextLines, IndexAccessAndCaseInsensitiveFind) {
  TStringList list(Lines{"[Block#0]", "Value=x", "[BLOCK#1]"});
  EXPECT_EQ(list.IndexOf("[block#1]"), 2);
  EXPECT_EQ(list.IndexOf("[Block#0]", 1), -1);
  EXPECT_EQ(list.IndexOf("[Block#"), -1);
  EXPECT_EQ(list.At(1), "Value=x");
  for (long long bad : {-1LL, 3LL, 100LL}) {
    try {
      list.At(bad);
      FAIL();
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(bad) + ")");
    }
  }
  EXPECT_TRUE(SameText("ABC", "abc"));
  EXPECT_FALSE(SameText("ABC", "abd"));
  EXPECT_FALSE(SameText("AB", "ABC"));
}

}  // namespace
}  // namespace skerrow
