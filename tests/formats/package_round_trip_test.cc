// Extraction and rebuild together: what a package run writes into result.log, replayed, gives
// the packages back.
#include <gtest/gtest.h>

#include "formats/format_handlers.h"
#include "platform/paths.h"
#include "support/package_builder.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::BuildPackage;
using testing::DecodePackage;
using testing::MakeDirs;
using testing::ReadFile;
using testing::TDecodedEntry;
using testing::TempDir;
using testing::TPackageEntry;
using testing::TRecordingHost;
using testing::WriteFile;

class PackageRoundTrip : public ::testing::Test {
 protected:
  PackageRoundTrip() : work_(dir_.File("work")), rebuilt_(dir_.File("rebuilt")) {
    MakeDirs(work_);
    MakeDirs(rebuilt_);
    state_.Host = &host_;
  }

  std::string WritePackage(const std::string& name, const std::vector<TPackageEntry>& entries) {
    const std::string path = dir_.File(name);
    WriteFile(path, BuildPackage(entries));
    return path;
  }

  // The batch run's part of a package run: its lines around each extraction.
  void ExtractRun(const std::vector<std::string>& packages) {
    state_.ResultList.Clear();
    state_.WrittenEntryPaths.clear();
    state_.OutputDir = work_;
    for (const std::string& package : packages) {
      state_.ResultList.Add("#Format: DAT");
      state_.ResultList.Add("#Source: " + package);
      ExtractPackage(state_, package);
    }
    state_.ResultList.SaveToFile(JoinPath(work_, "result.log"));
  }

  // The replay's part: every source line handed to the rebuild, going on behind its lines.
  void ReplayRun() {
    state_.OutputDir = rebuilt_;
    state_.ScriptList.LoadFromFile(JoinPath(work_, "result.log"));
    for (int i = 0; i < state_.ScriptList.Count();) {
      const std::string line = state_.ScriptList.At(i);
      if (line.rfind("#Source: ", 0) != 0) {
        ++i;
        continue;
      }
      state_.CurrentSource = line.substr(9);
      state_.SourceStream =
          std::make_unique<TFileStream>(state_.CurrentSource, TFileStream::Mode::kReadWrite);
      i = RebuildPackage(state_, JoinPath(rebuilt_, FileNamePart(state_.CurrentSource)), i + 1);
      state_.SourceStream.reset();
    }
  }

  std::string Rebuilt(const std::string& package) const {
    return ReadFile(JoinPath(rebuilt_, FileNamePart(package)));
  }

  TempDir dir_;
  std::string work_;
  std::string rebuilt_;
  TRecordingHost host_;
  TProcessState state_;
};

TEST_F(PackageRoundTrip, TenThousandEntriesComeBackByteForByte) {
  const std::vector<std::string> names = {"road.tga", "ROAD.TGA",  "engine.wav",
                                          "README",   "",          std::string("\0hidden.txt", 11),
                                          "dup.txt",  "dup.txt",   "maps.old\\track",
                                          "a.tar.gz", "trailing.", "x:y.bin"};
  std::vector<TPackageEntry> entries;
  uint32_t seed = 12345;
  for (int i = 0; i < 10000; ++i) {
    seed = seed * 1103515245 + 12345;
    const size_t size = i == 17 ? 0 : (seed >> 16) % 300;
    std::string data(size, '\0');
    for (size_t k = 0; k < size; ++k) data[k] = static_cast<char>((seed >> 8) + k * 31 + i);
    entries.push_back({names[i % names.size()], data, seed});
  }
  const std::string package = WritePackage("big.dat", entries);
  ExtractRun({package});
  ASSERT_EQ(state_.ResultList.Count(), 10002);
  ReplayRun();
  EXPECT_TRUE(Rebuilt(package) == ReadFile(package));

  // Editing three entry files changes exactly those entries.
  const std::vector<std::pair<int, std::string>> edits = {
      {0, "edited first"}, {17, std::string(5000, 'E')}, {9999, ""}};
  for (const auto& [index, bytes] : edits) WriteFile(state_.ResultList.At(2 + index), bytes);
  ReplayRun();
  const std::vector<TDecodedEntry> before = DecodePackage(ReadFile(package));
  const std::vector<TDecodedEntry> after = DecodePackage(Rebuilt(package));
  ASSERT_EQ(after.size(), before.size());
  size_t changed = 0;
  for (size_t i = 0; i < after.size(); ++i) {
    ASSERT_EQ(after[i].NameField, before[i].NameField);
    ASSERT_EQ(after[i].Reserved, before[i].Reserved);
    if (after[i].Data != before[i].Data) ++changed;
  }
  EXPECT_EQ(changed, 3u);
  for (const auto& [index, bytes] : edits) EXPECT_EQ(after[index].Data, bytes);
}

TEST_F(PackageRoundTrip, TwoPackagesOfOneRunEachComeBackWithTheirOwnData) {
  // Both have an entry 0 of type tga, and the same entry 1 path but for the extension's case.
  const std::string sounds =
      WritePackage("sounds.dat", {{"a.tga", "sounds 0", 1}, {"b.wav", "sounds 1", 2}});
  const std::string menu = WritePackage(
      "menu.dat", {{"c.tga", "menu 0", 3}, {"d.WAV", "menu 1", 4}, {"e.wav", "menu 2", 5}});
  ExtractRun({sounds, menu});
  EXPECT_EQ(
      state_.ResultList.Lines(),
      (std::vector<std::string>{"#Format: DAT", "#Source: " + sounds, work_ + "/tga/00000000.tga",
                                work_ + "/wav/00000001.wav", "#Format: DAT", "#Source: " + menu,
                                work_ + "/tga/00000000_2.tga", work_ + "/WAV/00000001.WAV",
                                work_ + "/wav/00000002.wav"}));
  ReplayRun();
  EXPECT_EQ(Rebuilt(sounds), ReadFile(sounds));
  EXPECT_EQ(Rebuilt(menu), ReadFile(menu));

  // An edit of one package's entry 0 reaches that package only.
  WriteFile(work_ + "/tga/00000000_2.tga", "new menu 0");
  ReplayRun();
  EXPECT_EQ(Rebuilt(sounds), ReadFile(sounds));
  EXPECT_EQ(DecodePackage(Rebuilt(menu))[0].Data, "new menu 0");
}

}  // namespace
}  // namespace skerrow
