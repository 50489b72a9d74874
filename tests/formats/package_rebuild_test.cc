#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "formats/format_handlers.h"
#include "platform/error.h"
#include "support/error_of.h"
#include "support/file_size_limit.h"
#include "support/package_builder.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;
using testing::BuildPackage;
using testing::DecodePackage;
using testing::Le32;
using testing::MakeDirs;
using testing::ReadFile;
using testing::Scrambled;
using testing::TDecodedEntry;
using testing::TempDir;
using testing::TPackageEntry;
using testing::TPackageLayout;
using testing::TRecordingHost;
using testing::WriteFile;

using testing::ErrorOf;

std::set<std::string> NamesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& item : fs::directory_iterator(folder)) {
    names.insert(item.path().filename().string());
  }
  return names;
}

class PackageRebuild : public ::testing::Test {
 protected:
  PackageRebuild() : source_(dir_.File("src/p.dat")), out_(dir_.File("out")) {
    MakeDirs(dir_.File("src"));
    MakeDirs(out_);
    state_.OutputDir = out_;
    state_.Host = &host_;
  }

  // The replay's part: the log's lines, and the source open at position 0.
  void Prepare(const std::string& sourceBytes, std::vector<std::string> lines) {
    WriteFile(source_, sourceBytes);
    state_.CurrentSource = source_;
    state_.SourceStream = std::make_unique<TFileStream>(source_, TFileStream::Mode::kReadWrite);
    state_.ScriptList = TStringList(std::move(lines));
  }

  std::string Output() const { return out_ + "/p.dat"; }

  int32_t Rebuild(int32_t firstLine = 0) { return RebuildPackage(state_, Output(), firstLine); }

  std::string Replacement(const std::string& name, const std::string& bytes) {
    WriteFile(dir_.File(name), bytes);
    return dir_.File(name);
  }

  TempDir dir_;
  std::string source_;
  std::string out_;
  TRecordingHost host_;
  TProcessState state_;
};

TEST_F(PackageRebuild, WorkedExampleWithAFiveByteReplacement) {
  const std::string source = BuildPackage({{std::string("a.tga\0", 6), "xyz"}});
  ASSERT_EQ(source.size(), 29u);
  Prepare(source, {Replacement("new.tga", "HELLO")});
  EXPECT_EQ(Rebuild(), 1);
  const std::string rebuilt = ReadFile(Output());
  ASSERT_EQ(rebuilt.size(), 31u);
  EXPECT_EQ(rebuilt.substr(0, 22), source.substr(0, 22));
  EXPECT_EQ(rebuilt.substr(22, 4), Scrambled(Le32(5)));
  EXPECT_EQ(rebuilt.substr(26), "HELLO");
  EXPECT_EQ(host_.Statuses, std::vector<std::string>{"Processing p.dat..."});
  EXPECT_EQ(ReadFile(source_), source);  // only read
}

// What each entry's line names.
enum class Line { kMissing, kEmpty, kFile };

struct RebuildCase {
  const char* what;
  std::vector<TPackageEntry> entries;
  TPackageLayout layout;
  std::vector<Line> lines;
  std::vector<std::string> replacements;  // contents, for the kFile lines in order
  bool identical;                         // the rebuilt package is the source byte for byte
};

TEST_F(PackageRebuild, LaysTheDataOutAnewBehindTheHead) {
  const uint32_t threeEntries = testing::DirectoryEnd({{"a.tga"}, {"b.wav"}, {"c"}});
  const std::vector<RebuildCase> cases = {
      {"packed, nothing replaced",
       {{"a.tga", "alpha", 7}, {"b.wav", "", 8}, {std::string("c\0xy", 4), "gamma", 9}},
       {},
       {Line::kMissing, Line::kEmpty, Line::kMissing},
       {},
       true},
      {"packed behind a gap, nothing replaced",
       {{"a.tga", "alpha"}, {"b.wav", "beta"}, {"c", "gamma"}},
       {{}, "GAP!"},
       {Line::kMissing, Line::kMissing, Line::kMissing},
       {},
       true},
      {"kept data out of order move to their new offsets",
       {{"a.tga", "aa", 1, threeEntries + 6, 2},
        {"b.wav", "bbbb", 2, threeEntries + 2, 4},
        {"c", "cc", 3, threeEntries, 2}},
       {{}, "ccbbbbaa"},
       {Line::kEmpty, Line::kMissing, Line::kEmpty},
       {},
       false},
      {"a larger replacement shifts what follows",
       {{"a.tga", "alpha", 11}, {"b.wav", "beta", 12}, {"c", "gamma", 13}},
       {},
       {Line::kFile, Line::kMissing, Line::kMissing},
       {std::string(100000, 'L')},
       false},
      {"a smaller and an empty replacement",
       {{"a.tga", "alpha"}, {"b.wav", "beta", 0xFFFFFFFF}, {"c", "gamma"}},
       {},
       {Line::kFile, Line::kFile, Line::kMissing},
       {"s", ""},
       false},
      {"shared data become separate copies; stray bytes are dropped",
       {{"a.tga", "", 5, threeEntries + 3, 4},
        {"b.wav", "", 6, threeEntries + 3, 4},
        {"c", "", 7, threeEntries, 0}},
       {{}, "---SHAR---"},
       {Line::kMissing, Line::kMissing, Line::kFile},
       {"own"},
       false},
      {"kept runs on both sides of a replacement",
       {{"a.tga", "alpha"}, {"b.wav", "beta"}, {"c", "gamma"}, {"d.tga", "delta"}},
       {},
       {Line::kMissing, Line::kEmpty, Line::kFile, Line::kMissing},
       {std::string(5000, 'R')},
       false},
      {"every line a replacement, of other types",
       {{"a.tga", "1"}, {"b.wav", "2"}, {"c", "3"}},
       {},
       {Line::kFile, Line::kFile, Line::kFile},
       {"wav bytes", "no extension", "tga bytes"},
       false},
  };
  for (const RebuildCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string source = BuildPackage(c.entries, c.layout);
    const std::vector<TDecodedEntry> before = DecodePackage(source);
    std::vector<std::string> lines = {"junk line", "#Source: elsewhere"};  // firstLine 2
    std::vector<std::string> expectedData;
    size_t next = 0;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      switch (c.lines[i]) {
        case Line::kMissing:
          lines.push_back(dir_.File("missing/" + std::to_string(i)));
          expectedData.push_back(before[i].Data);
          break;
        case Line::kEmpty:
          lines.push_back("");
          expectedData.push_back(before[i].Data);
          break;
        case Line::kFile:
          lines.push_back(Replacement("r" + std::to_string(i), c.replacements[next]));
          expectedData.push_back(c.replacements[next++]);
          break;
      }
    }
    lines.push_back("#Format: DAT");
    Prepare(source, lines);
    EXPECT_EQ(Rebuild(2), 2 + static_cast<int32_t>(c.entries.size()));

    const std::string rebuilt = ReadFile(Output());
    if (c.identical) {
      EXPECT_EQ(rebuilt, source);
    }
    const std::vector<TDecodedEntry> after = DecodePackage(rebuilt);
    ASSERT_EQ(after.size(), before.size());
    uint32_t offset = before[0].DataOffset;  // the head keeps its length
    for (size_t i = 0; i < after.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(after[i].NameField, before[i].NameField);
      EXPECT_EQ(after[i].Reserved, before[i].Reserved);
      EXPECT_EQ(after[i].DataOffset, offset);
      EXPECT_EQ(after[i].Data, expectedData[i]);
      offset += after[i].DataSize;
    }
    EXPECT_EQ(rebuilt.size(), offset);
    // Outside the records the head is the source's, byte for byte (names, gap and all).
    std::string headWithoutRecords = rebuilt.substr(0, before[0].DataOffset);
    std::string sourceHead = source.substr(0, before[0].DataOffset);
    size_t at = 4;
    for (const TDecodedEntry& e : before) {
      at += 4 + e.NameField.size();
      headWithoutRecords.replace(at, 12, 12, '.');
      sourceHead.replace(at, 12, 12, '.');
      at += 12;
    }
    EXPECT_EQ(headWithoutRecords, sourceHead);
    EXPECT_EQ(NamesIn(out_), std::set<std::string>{"p.dat"});  // no temporary file left
  }
}

TEST_F(PackageRebuild, PackageWithoutEntriesIsItsCount) {
  Prepare(Le32(0) + "whatever follows", {});
  EXPECT_EQ(Rebuild(7), 7);
  EXPECT_EQ(ReadFile(Output()), Le32(0));
  EXPECT_EQ(host_.Statuses, std::vector<std::string>{"Processing p.dat..."});
  EXPECT_EQ(host_.Positions, std::vector<int>{0});
}

TEST_F(PackageRebuild, PerFileBarShowsTheShareOfEntriesFinished) {
  Prepare(BuildPackage(std::vector<TPackageEntry>(4, {"a.b", "x"})), {"", "", "", ""});
  host_.Position = 60;
  Rebuild();
  EXPECT_EQ(host_.Positions, (std::vector<int>{0, 25, 50, 75}));
  EXPECT_EQ(host_.PumpedAt, (std::vector<int>{25, 50, 75}));
  EXPECT_EQ(host_.Maximum, 100);
}

TEST_F(PackageRebuild, ReplacesAnEarlierPackageOnlyWhenComplete) {
  WriteFile(Output(), "an earlier package");
  Prepare(BuildPackage({{"a.tga", "one"}}), {""});
  Rebuild();
  EXPECT_EQ(ReadFile(Output()), BuildPackage({{"a.tga", "one"}}));
  Rebuild();  // the same replay again gives the same package
  EXPECT_EQ(ReadFile(Output()), BuildPackage({{"a.tga", "one"}}));
  EXPECT_EQ(NamesIn(out_), std::set<std::string>{"p.dat"});
}

TEST_F(PackageRebuild, FailuresLeaveTheSourceAndAnyEarlierPackageAsTheyWere) {
  const std::string good = BuildPackage({{"a.tga", "one"}, {"b.wav", "two"}});
  const uint32_t dirEnd = testing::DirectoryEnd({{"a.tga"}, {"b.wav"}});
  struct Case {
    const char* what;
    std::string source;
    std::vector<std::string> lines;  // "@folder" names a folder
    std::string error;               // "$src" stands for the source path
  };
  const std::vector<Case> cases = {
      {"lines run out", good, {"x", ""}, "List index out of bounds (2)"},
      {"a line names a folder", good, {"x", "", "@folder"}, "Cannot open file @folder"},
      {"kept data past the end",
       BuildPackage({{"a.tga", "one"}, {"b.wav", "", 0, dirEnd, 100}}),
       {"x", "", ""},
       "Stream read error"},
      {"entry 0 data inside the directory",
       BuildPackage({{"a.tga", "", 0, dirEnd - 1, 1}, {"b.wav", "two"}}),
       {"x", "", ""},
       "Malformed package $src: entry 0 data start inside the directory"},
      {"entry 0 data at the first record",
       BuildPackage({{"a.tga", "", 0, 4 + 4 + 5, 1}, {"b.wav", "two"}}),
       {"x", "", ""},
       "Malformed package $src: entry 0 data start inside the directory"},
      {"head past the end",
       BuildPackage({{"a.tga", "", 0, 5000, 1}, {"b.wav", "two"}}),
       {"x", "", ""},
       "Stream read error"},
      {"huge name length",
       BuildPackage({{"a.tga", "one"}, {"b.wav", "two", 0, {}, {}, 0xFFFFFFF0}}),
       {"x", "", ""},
       "Stream read error"},
      {"directory cut short", good.substr(0, dirEnd - 1), {"x", "", ""}, "Stream read error"},
      {"count too large",
       BuildPackage({{"a.tga", "one"}}, TPackageLayout{1000000, ""}),
       {"x", ""},
       "Stream read error"},
  };
  const std::string folder = dir_.File("folder");
  MakeDirs(folder);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(Output(), "an earlier package");
    std::vector<std::string> lines = c.lines;
    for (std::string& line : lines) {
      if (line == "@folder") line = folder;
    }
    Prepare(c.source, lines);
    std::string expected = c.error;
    if (expected.find("@folder") != std::string::npos) expected = "Cannot open file " + folder;
    if (expected.find("$src") != std::string::npos)
      expected.replace(expected.find("$src"), 4, source_);
    EXPECT_EQ(ErrorOf([&] { Rebuild(1); }), expected);
    EXPECT_EQ(ReadFile(Output()), "an earlier package");
    EXPECT_EQ(NamesIn(out_), std::set<std::string>{"p.dat"});
    EXPECT_EQ(ReadFile(source_), c.source);
  }
}

TEST_F(PackageRebuild, DiskFullLeavesNoPartialPackage) {
  WriteFile(Output(), "an earlier package");
  const std::string big = Replacement("big", std::string(10000, 'b'));
  for (const std::vector<std::string>& lines :
       {std::vector<std::string>{big, ""}, std::vector<std::string>{"", big}}) {
    Prepare(BuildPackage({{"a.tga", "one"}, {"b.tga", "two"}}), lines);
    testing::FileSizeLimit full(4096);
    EXPECT_EQ(ErrorOf([&] { Rebuild(); }), "Stream write error");
    EXPECT_EQ(ReadFile(Output()), "an earlier package");
    EXPECT_EQ(NamesIn(out_), std::set<std::string>{"p.dat"});
  }
}

// Kept data are copied in runs, a little later than their entries are handled: a full disk
// among them is still the error, also when a later entry fails on its own.
TEST_F(PackageRebuild, DiskFullAmongKeptDataComesBeforeALaterError) {
  WriteFile(Output(), "an earlier package");
  Prepare(BuildPackage({{"a.tga", std::string(6000, 'a')}, {"b.tga", "two"}}), {""});
  testing::FileSizeLimit full(4096);
  EXPECT_EQ(ErrorOf([&] { Rebuild(); }), "Stream write error");
  EXPECT_EQ(ReadFile(Output()), "an earlier package");
  EXPECT_EQ(NamesIn(out_), std::set<std::string>{"p.dat"});
}

TEST_F(PackageRebuild, NeverWritesOverItsOwnSource) {
  const std::string source = BuildPackage({{"a.tga", "one"}});
  Prepare(source, {dir_.File("replacement")});
  WriteFile(dir_.File("replacement"), "other data");
  // The output folder is the source folder; or the output path is a link to the source.
  const std::string hardLink = out_ + "/hard.dat";
  const std::string symLink = out_ + "/sym.dat";
  ASSERT_EQ(::link(source_.c_str(), hardLink.c_str()), 0);
  ASSERT_EQ(::symlink(source_.c_str(), symLink.c_str()), 0);
  for (const std::string& path : {source_, hardLink, symLink}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ErrorOf([&] { RebuildPackage(state_, path, 0); }), "Cannot create file " + path);
    EXPECT_EQ(ReadFile(source_), source);
  }
  EXPECT_EQ(NamesIn(dir_.File("src")), std::set<std::string>{"p.dat"});
  EXPECT_EQ(NamesIn(out_), (std::set<std::string>{"hard.dat", "sym.dat"}));
  EXPECT_TRUE(host_.Statuses.empty());
}

TEST_F(PackageRebuild, OutputThatCannotBeCreated) {
  Prepare(BuildPackage({{"a.tga", "one"}}), {""});
  for (const std::string& path : {dir_.File("no/such/folder/p.dat"), out_}) {
    EXPECT_EQ(ErrorOf([&] { RebuildPackage(state_, path, 0); }), "Cannot create file " + path);
  }
  EXPECT_TRUE(NamesIn(out_).empty());
}

TEST_F(PackageRebuild, NoSourceOpen) {
  state_.CurrentSource = dir_.File("gone.dat");
  state_.ScriptList = TStringList({""});
  EXPECT_EQ(ErrorOf([&] { Rebuild(); }), "Cannot open file " + dir_.File("gone.dat"));
  EXPECT_TRUE(NamesIn(out_).empty());
}

TEST_F(PackageRebuild, RefusesToPass4GiB) {
  // A sparse replacement file of 4 GiB: refused before a byte of it is copied.
  const std::string big = dir_.File("big.bin");
  {
    const int fd = ::open(big.c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, int64_t{1} << 32), 0);
    ::close(fd);
  }
  const std::string source = BuildPackage({{"a.tga", "one"}, {"b.tga", "two"}});
  const std::string expected = "Package too large: " + Output() + " would pass 4 GiB";
  Prepare(source, {"", big});
  EXPECT_EQ(ErrorOf([&] { Rebuild(); }), expected);
  EXPECT_EQ(NamesIn(out_), std::set<std::string>{});

  // Kept entry 0 ends at 49; a replacement ending one byte past the last 32-bit position.
  ASSERT_EQ(source.size(), 52u);
  ASSERT_EQ(::truncate(big.c_str(), 0xFFFFFFFFll - 48), 0);
  Prepare(source, {"", big});
  EXPECT_EQ(ErrorOf([&] { Rebuild(); }), expected);
  EXPECT_EQ(NamesIn(out_), std::set<std::string>{});
}

}  // namespace
}  // namespace skerrow
