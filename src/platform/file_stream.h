// A file opened for one operation: exact reads and writes that raise the system's own errors,
// 64-bit positions, and a bounded-block copy between two streams.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace skerrow {

class TFileStream {
 public:
  enum class Mode { kRead, kReadWrite, kCreate, kCreateKeep };

  // kRead and kReadWrite open an existing file ("Cannot open file %s"); kCreate creates the
  // file or truncates an existing one, kCreateKeep creates it or opens it as it is ("Cannot
  // create file %s"). Folders never open.
  TFileStream(const std::string& path, Mode mode);

  // The file at path open for reading, or none when nothing at all exists there. Something
  // that exists but cannot be read as a file (a folder, no access) is "Cannot open file %s".
  // One open instead of a look-up followed by an open.
  static std::unique_ptr<TFileStream> OpenIfExists(const std::string& path);
  ~TFileStream();
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  const std::string& Path() const { return path_; }
  int Handle() const { return fd_; }

  // Reads up to count bytes; returns how many were read (fewer only at the end of the file).
  size_t Read(void* buffer, size_t count);
  // Reads exactly count bytes or raises "Stream read error".
  void ReadBuffer(void* buffer, size_t count);
  // Writes exactly count bytes or raises "Stream write error".
  void WriteBuffer(const void* buffer, size_t count);

  void Seek(int64_t position);
  int64_t Position() const { return position_; }
  int64_t Size() const;
  // The size the file had when it was opened, without asking the system again.
  int64_t SizeAtOpen() const { return size_at_open_; }
  // Both streams have the very same file open (device and inode).
  bool SameFileAs(const TFileStream& other) const;
  // Cuts the file to size bytes.
  void Truncate(int64_t size);

  // Copies exactly count bytes from source's position to this stream's position, in bounded
  // blocks; both positions advance. A short source raises "Stream read error", a short
  // target "Stream write error".
  void CopyFrom(TFileStream& source, uint64_t count);

  // Flushes the file's data to the disk.
  void Sync();

  // Size of the block buffer that copies use when the kernel cannot copy by itself.
  static constexpr size_t kCopyBlockSize = 1 << 20;

 private:
  struct TAdopt {};
  TFileStream(TAdopt, const std::string& path, int fd);
  // Checks what open() gave: a folder is closed again. Returns whether fd_ is a file.
  bool Examine();

  bool KernelCopy(TFileStream& source, uint64_t& count);
  void BufferCopy(TFileStream& source, uint64_t count);

  std::string path_;
  int fd_ = -1;
  int64_t position_ = 0;
  int64_t size_at_open_ = 0;
  uint64_t device_ = 0;
  uint64_t inode_ = 0;
};

}  // namespace skerrow
