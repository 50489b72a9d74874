// A file written in place of another, the way git's lock files are: created beside the final
// path under a name of its own, and renamed over it only when complete. Until Commit() the
// final path is untouched; a pending file that is never committed is removed.
#pragma once

#include <memory>
#include <string>

#include "platform/file_stream.h"

namespace skerrow {

class TPendingFile {
 public:
  // Creates the file beside finalPath ("Cannot create file %s" with finalPath). When it will
  // replace a file, it takes that file's permissions.
  explicit TPendingFile(const std::string& finalPath);
  ~TPendingFile();
  TPendingFile(const TPendingFile&) = delete;
  TPendingFile& operator=(const TPendingFile&) = delete;

  TFileStream& Stream() { return *stream_; }

  // Something exists at the final path, which the rename replaces.
  bool Replaces() const { return replaces_; }

  // Renames the file over the final path ("Cannot create file %s"). When it replaces a file,
  // its data reach the disk first, so a crash leaves the old file or the new one, never a cut
  // one.
  void Commit();

 private:
  std::string final_path_;
  std::string temp_path_;
  std::unique_ptr<TFileStream> stream_;
  bool replaces_ = false;
  bool committed_ = false;
};

}  // namespace skerrow
