#include "platform/file_stream.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/error.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(FileStream, OpenModesAndTheirErrors) {
  TempDir dir;
  const std::string path = dir.File("f.bin");
  EXPECT_EQ(ErrorOf([&] { TFileStream s(path, TFileStream::Mode::kRead); }),
            "Cannot open file " + path);
  EXPECT_EQ(ErrorOf([&] { TFileStream s(path, TFileStream::Mode::kReadWrite); }),
            "Cannot open file " + path);
  EXPECT_EQ(ErrorOf([&] { TFileStream s(dir.path(), TFileStream::Mode::kRead); }),
            "Cannot open file " + dir.path());
  EXPECT_EQ(ErrorOf([&] { TFileStream s(dir.path(), TFileStream::Mode::kCreate); }),
            "Cannot create file " + dir.path());
  EXPECT_EQ(ErrorOf([&] { TFileStream s("", TFileStream::Mode::kRead); }), "Cannot open file ");

  WriteFile(path, "old content");
  { TFileStream s(path, TFileStream::Mode::kCreate); }
  EXPECT_EQ(ReadFile(path), "");  // truncated
}

TEST(FileStream, OpenIfExistsTellsNothingThereFromWhatCannotBeRead) {
  TempDir dir;
  WriteFile(dir.File("f.bin"), "12345");
  EXPECT_EQ(TFileStream::OpenIfExists(""), nullptr);
  EXPECT_EQ(TFileStream::OpenIfExists(dir.File("missing")), nullptr);
  EXPECT_EQ(TFileStream::OpenIfExists(dir.File("missing/f.bin")), nullptr);
  EXPECT_EQ(TFileStream::OpenIfExists(dir.File("f.bin/under-a-file")), nullptr);
  EXPECT_EQ(ErrorOf([&] { TFileStream::OpenIfExists(dir.path()); }),
            "Cannot open file " + dir.path());
  const std::unique_ptr<TFileStream> file = TFileStream::OpenIfExists(dir.File("f.bin"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->SizeAtOpen(), 5);
  char buf[5];
  file->ReadBuffer(buf, 5);
  EXPECT_EQ(std::string(buf, 5), "12345");
}

TEST(FileStream, CreateKeepLeavesTheContentAndSameFileComparesInodes) {
  TempDir dir;
  WriteFile(dir.File("f.bin"), "12345");
  {
    TFileStream kept(dir.File("f.bin"), TFileStream::Mode::kCreateKeep);
    EXPECT_EQ(kept.SizeAtOpen(), 5);
    TFileStream reader(dir.File("f.bin"), TFileStream::Mode::kRead);
    TFileStream other(dir.File("new.bin"), TFileStream::Mode::kCreateKeep);
    EXPECT_TRUE(kept.SameFileAs(reader));
    EXPECT_FALSE(kept.SameFileAs(other));
    EXPECT_EQ(other.SizeAtOpen(), 0);
    kept.Truncate(2);
  }
  EXPECT_EQ(ReadFile(dir.File("f.bin")), "12");
  EXPECT_EQ(ReadFile(dir.File("new.bin")), "");
  EXPECT_EQ(ErrorOf([&] { TFileStream s(dir.path(), TFileStream::Mode::kCreateKeep); }),
            "Cannot create file " + dir.path());
}

TEST(FileStream, ExactReadsWritesAndPositions) {
  TempDir dir;
  const std::string path = dir.File("f.bin");
  WriteFile(path, "0123456789");
  TFileStream s(path, TFileStream::Mode::kReadWrite);
  EXPECT_EQ(s.Size(), 10);
  char buf[4] = {};
  s.Seek(6);
  s.ReadBuffer(buf, 4);
  EXPECT_EQ(std::string(buf, 4), "6789");
  EXPECT_EQ(s.Position(), 10);
  EXPECT_EQ(ErrorOf([&] { s.ReadBuffer(buf, 1); }), "Stream read error");
  s.Seek(8);
  EXPECT_EQ(s.Read(buf, 4), 2u);  // short at the end
  s.Seek(2);
  s.WriteBuffer("ab", 2);
  s.Seek(12);  // past the end: the gap fills with zeros
  s.WriteBuffer("z", 1);
  EXPECT_EQ(ReadFile(path), std::string("01ab456789\0\0z", 13));
}

TEST(FileStream, CopyMovesExactlyCountBytesFromBothPositions) {
  TempDir dir;
  std::string data(3 * TFileStream::kCopyBlockSize + 123, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + i / 251);
  WriteFile(dir.File("src"), data);
  TFileStream src(dir.File("src"), TFileStream::Mode::kRead);
  TFileStream dst(dir.File("dst"), TFileStream::Mode::kCreate);
  dst.WriteBuffer("head", 4);
  src.Seek(5);
  dst.CopyFrom(src, data.size() - 10);
  EXPECT_EQ(src.Position(), static_cast<int64_t>(data.size() - 5));
  EXPECT_EQ(dst.Position(), static_cast<int64_t>(data.size() - 6));
  EXPECT_EQ(ReadFile(dir.File("dst")), "head" + data.substr(5, data.size() - 10));

  dst.CopyFrom(src, 0);  // nothing
  EXPECT_EQ(ErrorOf([&] { dst.CopyFrom(src, 6); }), "Stream read error");

  // Positions at the same offset within their pages, where the kernel may do the copying.
  TFileStream aligned(dir.File("aligned"), TFileStream::Mode::kCreate);
  aligned.WriteBuffer("abc", 3);
  src.Seek(4096 + 3);
  aligned.CopyFrom(src, 2 * TFileStream::kCopyBlockSize);
  EXPECT_EQ(src.Position(), static_cast<int64_t>(4096 + 3 + 2 * TFileStream::kCopyBlockSize));
  EXPECT_EQ(aligned.Position(), static_cast<int64_t>(3 + 2 * TFileStream::kCopyBlockSize));
  EXPECT_EQ(ReadFile(dir.File("aligned")),
            "abc" + data.substr(4096 + 3, 2 * TFileStream::kCopyBlockSize));
  src.Seek(static_cast<int64_t>(data.size()) - 2);
  aligned.Seek(static_cast<int64_t>(data.size()) - 2 - 4096);  // lined up again, source short
  EXPECT_EQ(ErrorOf([&] { aligned.CopyFrom(src, 3); }), "Stream read error");
}

}  // namespace
}  // namespace skerrow
