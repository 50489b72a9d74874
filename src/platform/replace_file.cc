#include "platform/replace_file.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "platform/pending_file.h"

namespace skerrow {

namespace {

namespace fs = std::filesystem;

std::string ReadAll(TFileStream& file) {
  std::string data;
  char block[65536];
  file.Seek(0);
  for (;;) {
    const size_t n = file.Read(block, sizeof block);
    if (n == 0) break;
    data.append(block, n);
  }
  return data;
}

}  // namespace

void ReplaceFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  if (!PathExists(path)) {
    TFileStream file(path, TFileStream::Mode::kCreate);
    file.WriteBuffer(text.data(), text.size());
    return;
  }
  // What stands there must be a file this process may write: a read-only or locked file, or a
  // folder, fails like a file that cannot be created.
  std::unique_ptr<TFileStream> existing;
  try {
    existing = std::make_unique<TFileStream>(path, TFileStream::Mode::kReadWrite);
  } catch (const Error&) {
    ThrowCannotCreate(path);
  }
  if (ReadAll(*existing) == text) return;  // already as it would be written
  existing.reset();

  if (!fs::is_symlink(path, ec)) {
    std::optional<TPendingFile> pending;
    try {
      pending.emplace(path);
    } catch (const Error&) {
      // No file can be made beside it: the file itself is rewritten below.
    }
    if (pending) {
      // A short write (a full disk) leaves here, and the old file stays whole.
      pending->Stream().WriteBuffer(text.data(), text.size());
      pending->Commit();
      return;
    }
  }
  TFileStream file(path, TFileStream::Mode::kCreate);
  file.WriteBuffer(text.data(), text.size());
}

}  // namespace skerrow
