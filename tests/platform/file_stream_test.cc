#include "platform/file_stream.h"

#include <gtest/gtest.h>

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
}

}  // namespace
}  // namespace skerrow
