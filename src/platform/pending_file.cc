#include "platform/pending_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/error.h"
#include "platform/paths.h"

namespace skerrow {

TPendingFile::TPendingFile(const std::string& finalPath) : final_path_(finalPath) {
  const size_t cut = finalPath.rfind(kPathSeparator);
  const std::string folder = cut == std::string::npos ? "" : finalPath.substr(0, cut + 1);
  // The file's own name, shortened, tells a user whose leftover this is should the process be
  // killed midway.
  const std::string name = FileNamePart(finalPath).substr(0, 64);
  struct stat existing;
  replaces_ = ::stat(finalPath.c_str(), &existing) == 0;
  const bool replacesFile = replaces_ && S_ISREG(existing.st_mode);
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100 && !stream_; ++attempt) {
    const std::string candidate = folder + "." + name + ".skerrow-" + std::to_string(::getpid()) +
                                  "-" + std::to_string(++serial);
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      ThrowCannotCreate(finalPath);
    }
    if (replacesFile) ::fchmod(fd, existing.st_mode & 07777);
    ::close(fd);
    temp_path_ = candidate;
    try {
      stream_ = std::make_unique<TFileStream>(candidate, TFileStream::Mode::kReadWrite);
    } catch (const Error&) {
      ::unlink(candidate.c_str());  // a throwing constructor runs no destructor
      ThrowCannotCreate(finalPath);
    }
  }
  if (!stream_) ThrowCannotCreate(finalPath);
}

TPendingFile::~TPendingFile() {
  stream_.reset();
  if (!committed_ && !temp_path_.empty()) ::unlink(temp_path_.c_str());
}

void TPendingFile::Commit() {
  if (replaces_) stream_->Sync();
  stream_.reset();
  if (::rename(temp_path_.c_str(), final_path_.c_str()) != 0) ThrowCannotCreate(final_path_);
  committed_ = true;
}

}  // namespace skerrow
