#include "formats/package_directory.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/error.h"
#include "support/error_of.h"
#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::BuildPackage;
using testing::Le32;
using testing::Scrambled;
using testing::TempDir;
using testing::TPackageEntry;
using testing::TPackageLayout;
using testing::WriteFile;

using testing::ErrorOf;

TEST(PackageDirectory, WorkedExampleMatchesTheBuilder) {
  // One entry named a.tga holding xyz: 29 bytes.
  const std::string expected = Le32(1) + Scrambled(Le32(6) + std::string("a.tga\0", 6)) +
                               Scrambled(Le32(26) + Le32(0) + Le32(3)) + "xyz";
  ASSERT_EQ(expected.size(), 29u);
  EXPECT_EQ(expected.substr(4, 4), std::string("\x5B\x5D\x5D\x5D", 4));  // NameLength 6
  EXPECT_EQ(BuildPackage({{std::string("a.tga\0", 6), "xyz"}}), expected);
}

TEST(PackageDirectory, RecordsEncodeScrambledLittleEndian) {
  char stored[kEntryRecordSize];
  EncodeEntryRecord({0x11223344, 7, 5}, stored);
  EXPECT_EQ(std::string(stored, sizeof stored), Scrambled(Le32(0x11223344) + Le32(7) + Le32(5)));
  const TEntryRecord back = DecodeEntryRecord(stored);
  EXPECT_EQ(back.DataOffset, 0x11223344u);
  EXPECT_EQ(back.Reserved, 7u);
  EXPECT_EQ(back.DataSize, 5u);
}

TEST(PackageDirectory, ReadsEveryEntryInOrder) {
  TempDir dir;
  const std::string longName(3 * TPackageDirectory::kReadBufferSize + 5, 'n');
  const std::vector<TPackageEntry> entries = {
      {std::string("road.tga\0junk", 13), "abc", 9},
      {"", "", 0},
      {std::string("\0x.wav", 6), "q", 0xFFFFFFFF},
      {longName + ".bin", "long"},
      {"README", "r"},
  };
  WriteFile(dir.File("p.dat"), BuildPackage(entries));
  TFileStream stream(dir.File("p.dat"), TFileStream::Mode::kRead);
  TPackageDirectory d(stream, TPackageDirectory::Names::kRead);
  ASSERT_EQ(d.EntryCount(), entries.size());

  const std::vector<std::string> names = {"road.tga", "", "", longName + ".bin", "README"};
  int64_t position = 4;
  uint32_t dataOffset = testing::DirectoryEnd(entries);
  for (uint32_t i = 0; i < d.EntryCount(); ++i) {
    stream.Seek(1);  // the caller may move the stream between entries
    d.ReadEntry();
    EXPECT_EQ(d.Index(), i);
    EXPECT_EQ(d.Name(), names[i]) << i;
    EXPECT_EQ(d.NameLength(), entries[i].NameField.size());
    position += 4 + static_cast<int64_t>(entries[i].NameField.size());
    EXPECT_EQ(d.RecordPosition(), position);
    position += 12;
    EXPECT_EQ(d.Position(), position);
    EXPECT_EQ(d.Record().DataOffset, dataOffset);
    EXPECT_EQ(d.Record().DataSize, entries[i].Data.size());
    EXPECT_EQ(d.Record().Reserved, entries[i].Reserved);
    EXPECT_TRUE(d.DataInFile());
    dataOffset += static_cast<uint32_t>(entries[i].Data.size());
  }
}

TEST(PackageDirectory, SkippingNamesKeepsTheSamePositions) {
  TempDir dir;
  WriteFile(dir.File("p.dat"), BuildPackage({{"a.tga", "1"}, {"bb.wav", "22"}}));
  TFileStream stream(dir.File("p.dat"), TFileStream::Mode::kRead);
  TPackageDirectory d(stream, TPackageDirectory::Names::kSkip);
  d.ReadEntry();
  EXPECT_EQ(d.Name(), "");
  EXPECT_EQ(d.RecordPosition(), 4 + 4 + 5);
  d.ReadEntry();
  EXPECT_EQ(d.RecordPosition(), 4 + 21 + 4 + 6);
  EXPECT_EQ(d.Record().DataSize, 2u);
}

TEST(PackageDirectory, LengthsBeyondTheFileAreReadErrors) {
  struct Case {
    const char* what;
    std::string bytes;
    int goodEntries;  // entries read before the error
  };
  const std::vector<Case> cases = {
      {"empty file", "", 0},
      {"count cut short", "\x01\x00", 0},
      {"count the file cannot hold", BuildPackage({{"a", "x"}}, TPackageLayout{2, ""}), 0},
      {"count of 4G", Le32(0xFFFFFFFF) + std::string(100, '\0'), 0},
      {"huge name length",
       BuildPackage({{"a", "x", 0, {}, {}, 0xFFFFFFF0}}) + std::string(100, '\0'), 0},
      {"name running into the end", BuildPackage({{"abc", ""}, {"abc", "", 0, {}, {}, 4}}), 1},
      {"record cut short", BuildPackage({{"a.b", "", 0}}).substr(0, 4 + 4 + 3 + 11), 0},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(dir.File("p.dat"), c.bytes);
    TFileStream stream(dir.File("p.dat"), TFileStream::Mode::kRead);
    int good = 0;
    EXPECT_EQ(ErrorOf([&] {
                TPackageDirectory d(stream, TPackageDirectory::Names::kRead);
                for (uint32_t i = 0; i < d.EntryCount(); ++i, ++good) d.ReadEntry();
              }),
              "Stream read error");
    EXPECT_EQ(good, c.goodEntries);
  }
}

TEST(PackageDirectory, DataPastTheEndIsToldApart) {
  TempDir dir;
  const std::vector<TPackageEntry> entries = {
      {"a", "xy"},                           // ends exactly at the end of the file
      {"b", "", 0, 0, 0},                    // empty at offset 0
      {"c", "", 0, 0xFFFFFFFF, 0},           // empty, but past the end
      {"d", "", 0, 0xFFFFFFFF, 0xFFFFFFFF},  // the sum does not wrap
      {"e", "", 0, 10, 82},                  // one byte past the end of the 91-byte file
  };
  WriteFile(dir.File("p.dat"), BuildPackage(entries));
  TFileStream stream(dir.File("p.dat"), TFileStream::Mode::kRead);
  TPackageDirectory d(stream, TPackageDirectory::Names::kSkip);
  std::vector<bool> inFile;
  for (uint32_t i = 0; i < d.EntryCount(); ++i) {
    d.ReadEntry();
    inFile.push_back(d.DataInFile());
  }
  EXPECT_EQ(inFile, (std::vector<bool>{true, true, false, false, false}));
}

}  // namespace
}  // namespace skerrow
