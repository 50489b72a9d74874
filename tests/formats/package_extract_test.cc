#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

#include "formats/format_handlers.h"
#include "platform/error.h"
#include "platform/number_text.h"
#include "platform/paths.h"
#include "support/error_of.h"
#include "support/file_size_limit.h"
#include "support/package_builder.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;
using testing::BuildPackage;
using testing::Exists;
using testing::MakeDirs;
using testing::ReadFile;
using testing::TempDir;
using testing::TPackageEntry;
using testing::TPackageLayout;
using testing::TRecordingHost;
using testing::WriteFile;

using testing::ErrorOf;

// Folders and files below root, as paths relative to it.
std::set<std::string> Tree(const std::string& root) {
  std::set<std::string> found;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    found.insert(fs::relative(item.path(), root).string() + (item.is_directory() ? "/" : ""));
  }
  return found;
}

class PackageExtract : public ::testing::Test {
 protected:
  PackageExtract() : out_(dir_.File("out")) {
    MakeDirs(out_);
    state_.OutputDir = out_;
    state_.Host = &host_;
  }

  std::string WritePackage(const std::string& name, const std::vector<TPackageEntry>& entries,
                           const TPackageLayout& layout = {}) {
    const std::string path = dir_.File(name);
    WriteFile(path, BuildPackage(entries, layout));
    return path;
  }

  TempDir dir_;
  std::string out_;
  TRecordingHost host_;
  TProcessState state_;
};

TEST_F(PackageExtract, WorkedExample) {
  const std::string path = WritePackage("menu.dat", {{std::string("a.tga\0", 6), "xyz"}});
  ASSERT_EQ(ReadFile(path).size(), 29u);
  ExtractPackage(state_, path);
  EXPECT_EQ(state_.ResultList.Lines(), std::vector<std::string>{out_ + "/tga/00000000.tga"});
  EXPECT_EQ(ReadFile(out_ + "/tga/00000000.tga"), "xyz");
  EXPECT_EQ(host_.Statuses, std::vector<std::string>{"Processing menu.dat..."});
  EXPECT_EQ(host_.Maximum, 100);
}

TEST_F(PackageExtract, NamesGiveTypeFolderAndEntryPath) {
  struct Case {
    std::string nameField;
    std::string entryPath;  // below out_; "/" + digits when the entry lands in out_ itself
  };
  const std::vector<Case> cases = {
      {"grass.tga", "/tga/00000000.tga"},
      {"README", "//00000001"},
      {"maps.old\\track", "//00000002"},
      {"maps.old/track", "//00000003"},
      {"disk.a:b", "//00000004"},
      {"", "//00000005"},
      {std::string("\0x.wav", 6), "//00000006"},  // empty name
      {"ROAD.TGA", "/TGA/00000007.TGA"},
      {"name.", "//00000008."},  // a dot alone: no type folder, straight into out_
      {"odd.\x01\xff", "/\x01\xff/00000009.\x01\xff"},
      {std::string("x.tga\0.wav", 10), "/tga/0000000A.tga"},  // after the NUL nothing counts
      {"grass.tga", "/tga/0000000B.tga"},                     // the same name again
      {"..", "//0000000C."},
      {"a..", "//0000000D."},
      {"..\\..\\evil", "//0000000E"},
      {"x./etc", "//0000000F"},
  };
  std::vector<TPackageEntry> entries;
  for (size_t i = 0; i < cases.size(); ++i) {
    entries.push_back({cases[i].nameField, "data" + std::to_string(i)});
  }
  while (entries.size() < 26) entries.push_back({"f.bin", ""});
  entries.push_back({"track.tar.gz", "gz data"});  // entry 26
  ExtractPackage(state_, WritePackage("p.dat", entries));

  ASSERT_EQ(state_.ResultList.Count(), 27);
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].nameField);
    EXPECT_EQ(state_.ResultList.At(i), out_ + cases[i].entryPath);
    EXPECT_EQ(ReadFile(out_ + cases[i].entryPath), "data" + std::to_string(i));
  }
  EXPECT_EQ(state_.ResultList.At(26), out_ + "/gz/0000001A.gz");
  EXPECT_EQ(ReadFile(out_ + "/gz/0000001A.gz"), "gz data");

  // Nothing was written anywhere but in the type folders and out_ itself.
  std::set<std::string> folders;
  for (const std::string& item : Tree(dir_.path())) {
    if (item.back() == '/') folders.insert(item);
  }
  EXPECT_EQ(folders, (std::set<std::string>{"out/", "out/tga/", "out/TGA/", "out/\x01\xff/",
                                            "out/bin/", "out/gz/"}));
}

TEST_F(PackageExtract, EntryDataAreTakenWhereverTheyLie) {
  // Data before the entry's own record, overlapping data, and an empty entry.
  const std::vector<TPackageEntry> entries = {
      {"a.bin", "", 0, 0, 8},  // the first eight bytes of the package itself
      {"b.bin", "0123456789"},
      {"c.bin", "", 0, testing::DirectoryEnd({{"a.bin"}, {"b.bin"}, {"c.bin"}, {"d.bin"}}) + 4, 3},
      {"d.bin", ""},
  };
  const std::string path = WritePackage("p.dat", entries);
  ExtractPackage(state_, path);
  EXPECT_EQ(ReadFile(out_ + "/bin/00000000.bin"), ReadFile(path).substr(0, 8));
  EXPECT_EQ(ReadFile(out_ + "/bin/00000001.bin"), "0123456789");
  EXPECT_EQ(ReadFile(out_ + "/bin/00000002.bin"), "456");
  EXPECT_TRUE(Exists(out_ + "/bin/00000003.bin"));
  EXPECT_EQ(ReadFile(out_ + "/bin/00000003.bin"), "");
  EXPECT_EQ(state_.ResultList.Count(), 4);
}

TEST_F(PackageExtract, PerFileBarShowsTheShareOfEntriesFinished) {
  struct Case {
    int entries;
    std::vector<int> positions;  // every position set, the initial 0 included
  };
  std::vector<int> twoHundred = {0};
  for (int v = 1; v < 100; ++v) twoHundred.push_back(v);
  const std::vector<Case> cases = {
      {0, {0}},          {1, {0}}, {3, {0, 33, 66}}, {4, {0, 25, 50, 75}},
      {200, twoHundred},  // every other entry changes the bar
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entries);
    TRecordingHost host;
    host.Position = 40;  // left over from the file before
    state_.Host = &host;
    state_.WrittenEntryPaths.clear();
    ExtractPackage(state_, WritePackage("p.dat", std::vector<TPackageEntry>(c.entries, {"a.b"})));
    EXPECT_EQ(host.Positions, c.positions);
    // Messages run exactly when the bar moved, after it moved.
    EXPECT_EQ(host.PumpedAt, std::vector<int>(c.positions.begin() + 1, c.positions.end()));
    EXPECT_EQ(host.Statuses, std::vector<std::string>{"Processing p.dat..."});
  }
}

TEST_F(PackageExtract, EmptyPackageWritesNothing) {
  ExtractPackage(state_, WritePackage("empty.dat", {}, TPackageLayout{{}, "trailing bytes"}));
  EXPECT_TRUE(state_.ResultList.Empty());
  EXPECT_TRUE(Tree(out_).empty());
  EXPECT_EQ(host_.Statuses, std::vector<std::string>{"Processing empty.dat..."});
}

TEST_F(PackageExtract, FailuresStopAtTheEntryInHand) {
  struct Case {
    const char* what;
    std::vector<TPackageEntry> entries;
    TPackageLayout layout;
    std::string prepare;      // put below the output folder first: a folder when it ends in "/"
    std::string createError;  // the entry path below the output folder, or "" for a read error
    int linesBefore;          // entries finished before the failure
  };
  const std::vector<Case> cases = {
      {"data past the end", {{"a.tga", "ok"}, {"b.tga", "", 0, 10, 1000}}, {}, "", "", 1},
      {"offset past the end", {{"a.tga", "ok"}, {"b.tga", "", 0, 0xFFFFFFF0, 0}}, {}, "", "", 1},
      {"huge name", {{"a.tga", "ok"}, {"b.tga", "", 0, {}, {}, 0xFFFFFFF0}}, {}, "", "", 1},
      {"count too large", {{"a.tga", "ok"}, {"b.tga", "ok"}}, {40, ""}, "", "", 0},
      {"file where the type folder should be",
       {{"a.wav", "ok"}, {"b.tga", "x"}},
       {},
       "/tga",
       "/tga/00000001.tga",
       1},
      {"folder where the entry file should be", {{"a", "ok"}}, {}, "//00000000/", "//00000000", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const std::string out = dir.File("out");
    MakeDirs(out);
    if (!c.prepare.empty() && c.prepare.back() == '/') MakeDirs(out + c.prepare);
    if (!c.prepare.empty() && c.prepare.back() != '/') WriteFile(out + c.prepare, "a file");
    const std::string path = dir.File("p.dat");
    WriteFile(path, BuildPackage(c.entries, c.layout));
    testing::THostedState run(out);
    TProcessState& state = run.State;
    EXPECT_EQ(
        ErrorOf([&] { ExtractPackage(state, path); }),
        c.createError.empty() ? "Stream read error" : "Cannot create file " + out + c.createError);
    EXPECT_EQ(state.ResultList.Count(), c.linesBefore);
    if (c.linesBefore == 1) {
      EXPECT_EQ(ReadFile(state.ResultList.At(0)), "ok");
    }
    // The entry that failed left no file behind.
    EXPECT_FALSE(Exists(out + "/tga/00000001.tga"));
  }
}

TEST_F(PackageExtract, DiskFullKeepsWhatWasWritten) {
  const std::string path =
      WritePackage("p.dat", {{"a.tga", "small"}, {"b.tga", std::string(10000, 'b')}});
  {
    testing::FileSizeLimit full(4096);
    EXPECT_EQ(ErrorOf([&] { ExtractPackage(state_, path); }), "Stream write error");
  }
  EXPECT_EQ(state_.ResultList.Lines(), std::vector<std::string>{out_ + "/tga/00000000.tga"});
  EXPECT_EQ(ReadFile(out_ + "/tga/00000001.tga"), std::string(4096, 'b'));
}

TEST_F(PackageExtract, MissingPackage) {
  const std::string path = dir_.File("none.dat");
  EXPECT_EQ(ErrorOf([&] { ExtractPackage(state_, path); }), "Cannot open file " + path);
  EXPECT_TRUE(host_.Statuses.empty());
  EXPECT_TRUE(Tree(out_).empty());
}

TEST_F(PackageExtract, NeverTruncatesThePackageItIsReading) {
  // A package that was itself extracted as an entry file, extracted again into the same
  // output folder: its entry 0 would be written over it.
  MakeDirs(out_ + "/dat");
  const std::string path = out_ + "/dat/00000000.dat";
  const std::string bytes = BuildPackage({{"inner.dat", "payload"}});
  WriteFile(path, bytes);
  EXPECT_EQ(ErrorOf([&] { ExtractPackage(state_, path); }), "Cannot create file " + path);
  EXPECT_EQ(ReadFile(path), bytes);
}

TEST_F(PackageExtract, AgainInALaterRunGivesTheSameFilesAndLines) {
  const std::string path = WritePackage("p.dat", {{"a.tga", "1"}, {"b", "2"}});
  ExtractPackage(state_, path);
  const std::vector<std::string> first = state_.ResultList.Lines();
  WriteFile(first[0], "edited");
  state_.ResultList.Clear();
  state_.WrittenEntryPaths.clear();  // what the batch run does at its start
  ExtractPackage(state_, path);
  EXPECT_EQ(state_.ResultList.Lines(), first);
  EXPECT_EQ(ReadFile(first[0]), "1");
}

// Type folders are looked for once per package: one removed after a run, or between two
// packages of one run, is made again when the next package needs it.
TEST_F(PackageExtract, TypeFolderRemovedInBetweenIsMadeAgain) {
  const std::string first = WritePackage("p.dat", {{"a.tga", "1"}, {"b.tga", "2"}});
  const std::string second = WritePackage("q.dat", {{"c.tga", "3"}});
  ExtractPackage(state_, first);
  const std::vector<std::string> lines = state_.ResultList.Lines();
  std::filesystem::remove_all(JoinPath(state_.OutputDir, "tga"));
  ExtractPackage(state_, second);  // the same run
  EXPECT_EQ(ReadFile(JoinPath(state_.OutputDir, "tga/00000000_2.tga")), "3");
  std::filesystem::remove_all(JoinPath(state_.OutputDir, "tga"));
  state_.ResultList.Clear();
  state_.WrittenEntryPaths.clear();  // a new run
  ExtractPackage(state_, first);
  EXPECT_EQ(state_.ResultList.Lines(), lines);
  EXPECT_EQ(ReadFile(lines[0]), "1");
  EXPECT_EQ(ReadFile(lines[1]), "2");
}

// An entry file from earlier is cut to the entry's data, never written over in part.
TEST_F(PackageExtract, LongerEarlierEntryFileIsReplacedWhole) {
  const std::string path = WritePackage("p.dat", {{"a.tga", "new"}});
  MakeDirs(JoinPath(state_.OutputDir, "tga"));
  WriteFile(JoinPath(state_.OutputDir, "tga/00000000.tga"), "a much longer earlier file");
  ExtractPackage(state_, path);
  EXPECT_EQ(ReadFile(JoinPath(state_.OutputDir, "tga/00000000.tga")), "new");
}

TEST_F(PackageExtract, LaterPackagesOfOneRunNeverReplaceEarlierEntryFiles) {
  const std::string a = WritePackage("a.dat", {{"x.tga", "A0"}, {"y.wav", "A1"}});
  const std::string b = WritePackage("b.dat", {{"z.tga", "B0"}, {"w.txt", "B1"}, {"v", "B2"}});
  const std::string c = WritePackage("c.dat", {{"q.TGA", "C0"}, {"r.tga", "C1"}, {"s", "C2"}});
  ExtractPackage(state_, a);
  ExtractPackage(state_, b);
  ExtractPackage(state_, c);
  ExtractPackage(state_, a);  // the same package twice in one run
  const std::vector<std::string> expected = {
      "/tga/00000000.tga",   "/wav/00000001.wav",                    // a
      "/tga/00000000_2.tga", "/txt/00000001.txt",   "//00000002",    // b
      "/TGA/00000000.TGA",   "/tga/00000001.tga",   "//00000002_2",  // c
      "/tga/00000000_3.tga", "/wav/00000001_2.wav",                  // a again
  };
  const std::vector<std::string> contents = {"A0", "A1", "B0", "B1", "B2",
                                             "C0", "C1", "C2", "A0", "A1"};
  ASSERT_EQ(state_.ResultList.Count(), static_cast<int>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(state_.ResultList.At(i), out_ + expected[i]);
    EXPECT_EQ(ReadFile(out_ + expected[i]), contents[i]);
  }
}

TEST_F(PackageExtract, ManyClashingPackagesTakeNumbersInOrder) {
  const std::string path = WritePackage("p.dat", {{"x.tga", "same"}});
  for (int n = 1; n <= 40; ++n) {
    ExtractPackage(state_, path);
    const std::string expected =
        n == 1 ? "/tga/00000000.tga" : "/tga/00000000_" + std::to_string(n) + ".tga";
    EXPECT_EQ(state_.ResultList.Lines().back(), out_ + expected);
  }
  EXPECT_EQ(Tree(out_ + "/tga").size(), 40u);
}

}  // namespace
}  // namespace skerrow
