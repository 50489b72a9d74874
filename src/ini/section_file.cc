#include "ini/section_file.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"

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

// Writes text over the file at path the way a lock file does: into a file beside it, renamed
// over it when complete, so a failed write never leaves the file cut short. Where no file can
// be made beside it (a folder that only allows writing the file itself) or the path is a link,
// the file is rewritten in place.
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
    const std::string temp = path + ".skerrow-new";
    bool written = false;
    try {
      TFileStream file(temp, TFileStream::Mode::kCreate);
      file.WriteBuffer(text.data(), text.size());
      file.Sync();
      written = true;
    } catch (const Error&) {
    }
    if (written) {
      fs::permissions(temp, fs::status(path, ec).permissions(), ec);
      fs::rename(temp, path, ec);
      if (!ec) return;
    }
    fs::remove(temp, ec);
  }
  TFileStream file(path, TFileStream::Mode::kCreate);
  file.WriteBuffer(text.data(), text.size());
}

}  // namespace

void TSectionReader::OpenSectionFile(const std::string& path, bool startEmpty) {
  // A failed write-back leaves here with the previous file still open under its path.
  CloseSectionFile();

  TStringList lines;
  if (!startEmpty && PathExists(path)) {
    // A folder or an unreadable file raises "Cannot open file %s". Nothing is open then, so no
    // later write-back can touch any path.
    lines.LoadFromFile(path);
  }
  keep_on_disk_ = lines.LoadStoppedAtNul();
  SectionLines = std::move(lines);
  SectionPath = path;
}

void TSectionReader::CloseSectionFile() {
  if (!SectionLines) return;
  if (!keep_on_disk_) ReplaceFile(SectionPath, SectionLines->Text());
  SectionLines.reset();
  SectionPath.clear();
  keep_on_disk_ = false;
}

int TSectionReader::HeaderIndex(const std::string& name) const {
  if (!SectionLines) return -1;
  return SectionLines->IndexOf("[" + name + "]");
}

bool TSectionReader::SectionExists(const std::string& name) const {
  return HeaderIndex(name) >= 0;
}

std::string TSectionReader::ReadValue(const std::string& section, const std::string& key) const {
  const int header = HeaderIndex(section);
  if (header < 0) return std::string();
  const std::string end_line = "[END OF " + section + "]";
  const std::string key_start = key + "=";
  const std::vector<std::string>& lines = SectionLines->Lines();
  for (size_t i = static_cast<size_t>(header) + 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line == end_line) return std::string();
    // A key line begins with Key=; the same text later in a line (BlockSize= while Size is
    // asked for, or an indented key) makes no key line.
    if (line.compare(0, key_start.size(), key_start) == 0) return line.substr(key_start.size());
  }
  // The body has no end line and no key line of key: the lookup runs off the list.
  ThrowListIndex(static_cast<long long>(lines.size()));
}

}  // namespace skerrow
