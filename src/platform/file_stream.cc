#include "platform/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/error.h"

namespace skerrow {

namespace {

int OpenFlags(TFileStream::Mode mode) {
  switch (mode) {
    case TFileStream::Mode::kRead:
      return O_RDONLY;
    case TFileStream::Mode::kReadWrite:
      return O_RDWR;
    case TFileStream::Mode::kCreate:
      return O_RDWR | O_CREAT | O_TRUNC;
    case TFileStream::Mode::kCreateKeep:
      return O_RDWR | O_CREAT;
  }
  return O_RDONLY;
}

}  // namespace

TFileStream::TFileStream(const std::string& path, Mode mode) : path_(path) {
  if (!path.empty()) fd_ = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC, 0666);
  if (fd_ < 0 || !Examine()) {
    if (mode == Mode::kCreate || mode == Mode::kCreateKeep) ThrowCannotCreate(path);
    ThrowCannotOpen(path);
  }
}

TFileStream::TFileStream(TAdopt, const std::string& path, int fd) : path_(path), fd_(fd) {
  if (!Examine()) ThrowCannotOpen(path);
}

bool TFileStream::Examine() {
  struct stat st;
  // A folder opened read-only would succeed on POSIX; it is no file to stream.
  if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_at_open_ = static_cast<int64_t>(st.st_size);
  device_ = static_cast<uint64_t>(st.st_dev);
  inode_ = static_cast<uint64_t>(st.st_ino);
  return true;
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::unique_ptr<TFileStream> TFileStream::OpenIfExists(const std::string& path) {
  if (path.empty()) return nullptr;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) return std::unique_ptr<TFileStream>(new TFileStream(TAdopt{}, path, fd));
  // These two say for certain that nothing is there; for any other failure (no access, say)
  // a look-up tells whether something exists that cannot be opened.
  if (errno == ENOENT || errno == ENOTDIR) return nullptr;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return nullptr;
  ThrowCannotOpen(path);
}

size_t TFileStream::Read(void* buffer, size_t count) {
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::pread(fd_, out + done, count - done, position_ + done);
    // A pipe has no positions (a log handed over through a named pipe): read it in order.
    if (n < 0 && errno == ESPIPE) n = ::read(fd_, out + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  position_ += static_cast<int64_t>(done);
  return done;
}

void TFileStream::ReadBuffer(void* buffer, size_t count) {
  if (Read(buffer, count) != count) ThrowReadError();
}

void TFileStream::WriteBuffer(const void* buffer, size_t count) {
  const char* in = static_cast<const char*>(buffer);
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pwrite(fd_, in + done, count - done, position_ + done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  position_ += static_cast<int64_t>(done);
  if (done != count) ThrowWriteError();
}

void TFileStream::Seek(int64_t position) {
  position_ = position < 0 ? 0 : position;
}

int64_t TFileStream::Size() const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

bool TFileStream::SameFileAs(const TFileStream& other) const {
  return device_ == other.device_ && inode_ == other.inode_;
}

void TFileStream::Truncate(int64_t size) {
  if (::ftruncate(fd_, size) != 0) ThrowWriteError();
}

void TFileStream::Sync() {
  ::fsync(fd_);
}

void TFileStream::CopyFrom(TFileStream& source, uint64_t count) {
  if (count == 0) return;
  if (KernelCopy(source, count)) return;
  BufferCopy(source, count);
}

// copy_file_range lets the kernel move the bytes (or share extents) without a trip through
// user memory. Returns true when all bytes were copied; false with count holding what is left
// when the kernel refused, so the caller falls back to buffered copying.
bool TFileStream::KernelCopy(TFileStream& source, uint64_t& count) {
#ifdef __linux__
  while (count > 0) {
    loff_t in = source.position_;
    loff_t out = position_;
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, 1u << 30));
    const ssize_t n = ::copy_file_range(source.fd_, &in, fd_, &out, chunk, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == ENOSPC || errno == EFBIG || errno == EDQUOT) ThrowWriteError();
      return false;  // EXDEV, EINVAL, ENOSYS, EOPNOTSUPP...: copy by hand
    }
    if (n == 0) ThrowReadError();  // the source ended early
    source.position_ += n;
    position_ += n;
    count -= static_cast<uint64_t>(n);
  }
  return true;
#else
  (void)source;
  (void)count;
  return false;
#endif
}

void TFileStream::BufferCopy(TFileStream& source, uint64_t count) {
  // One block for the whole program: an extraction opens a stream per entry, and a block of
  // its own for each would be allocated and freed again thousands of times.
  thread_local std::unique_ptr<char[]> block;
  if (!block) block.reset(new char[kCopyBlockSize]);
  while (count > 0) {
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(count, kCopyBlockSize));
    source.ReadBuffer(block.get(), chunk);
    WriteBuffer(block.get(), chunk);
    count -= chunk;
  }
}

}  // namespace skerrow
