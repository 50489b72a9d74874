#include "app/format_table.h"

#include "platform/text_lines.h"

namespace skerrow {

const TFilterRow& FilterAt(int filterPosition) {
  if (filterPosition < 1 || filterPosition > static_cast<int>(kFilterTable.size())) {
    return kFilterTable[0];
  }
  return kFilterTable[static_cast<size_t>(filterPosition - 1)];
}

int FilterPositionOfFormat(uint8_t code) {
  for (size_t i = 0; i < kFilterTable.size(); ++i) {
    if (kFilterTable[i].FormatCode == code) return static_cast<int>(i + 1);
  }
  return 0;
}

int FilterPositionOfExt(const std::string& ext) {
  if (ext.size() < 2) return 0;  // "" or a bare "."
  for (size_t i = 0; i < kFilterTable.size(); ++i) {
    // Every pattern is "*" followed by the extension.
    if (SameText(ext, kFilterTable[i].Pattern + 1)) return static_cast<int>(i + 1);
  }
  return 0;
}

std::string FormatLine(const std::string& formatName) {
  return std::string(kKeywordFormat) + " " + formatName;
}

std::string SourceLine(const std::string& path) {
  return std::string(kKeywordSource) + " " + path;
}

}  // namespace skerrow
