#include "ini/section_file.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "platform/replace_file.h"

namespace skerrow {

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
