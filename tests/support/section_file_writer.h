// Builds section files and block descriptions line by line, for tests.
//
//   SectionFileWriter w;
//   w.Init({{"Source", "game.exe"}, {"BlockSize", "0x1C"}}).Block(0, 0x40, 0x20, 1);
//   w.Save(path);
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace skerrow::testing {

using KeyLines = std::vector<std::pair<std::string, std::string>>;

class SectionFileWriter {
 public:
  // "[name]", one "Key=Value" line per pair, "[END OF name]".
  SectionFileWriter& Section(const std::string& name, const KeyLines& keys);
  SectionFileWriter& Init(const KeyLines& keys) { return Section("Init", keys); }
  // Block#n with Offset and Size as "0x%X" and Mode as "%d".
  SectionFileWriter& Block(int n, uint32_t offset, uint32_t size, int mode);
  SectionFileWriter& Line(const std::string& line);

  // Every line followed by lineBreak.
  std::string Text(const std::string& lineBreak = "\r\n") const;
  void Save(const std::string& path, const std::string& lineBreak = "\r\n") const;

 private:
  std::vector<std::string> lines_;
};

// "0x" + upper-case hexadecimal digits.
std::string Hex(uint32_t value);

}  // namespace skerrow::testing
