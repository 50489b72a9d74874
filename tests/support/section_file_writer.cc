#include "support/section_file_writer.h"

#include <cstdio>

#include "support/temp_dir.h"

namespace skerrow::testing {

SectionFileWriter& SectionFileWriter::Section(const std::string& name, const KeyLines& keys) {
  lines_.push_back("[" + name + "]");
  for (const auto& [key, value] : keys) lines_.push_back(key + "=" + value);
  lines_.push_back("[END OF " + name + "]");
  return *this;
}

SectionFileWriter& SectionFileWriter::Block(int n, uint32_t offset, uint32_t size, int mode) {
  return Section("Block#" + std::to_string(n),
                 {{"Offset", Hex(offset)}, {"Size", Hex(size)}, {"Mode", std::to_string(mode)}});
}

SectionFileWriter& SectionFileWriter::Line(const std::string& line) {
  lines_.push_back(line);
  return *this;
}

std::string SectionFileWriter::Text(const std::string& lineBreak) const {
  std::string text;
  for (const auto& line : lines_) text += line + lineBreak;
  return text;
}

void SectionFileWriter::Save(const std::string& path, const std::string& lineBreak) const {
  WriteFile(path, Text(lineBreak));
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace skerrow::testing
