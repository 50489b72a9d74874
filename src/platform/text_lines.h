// A list of 8-bit text lines, loaded from and saved to whole text files.
//
// Loading: a line ends at CR LF, a lone CR or a lone LF; a NUL byte ends the text; empty
// lines count; a line break at the very end adds no empty line. Saving: every line followed
// by CR LF, the last one included, replacing the file.
#pragma once

#include <string>
#include <vector>

namespace skerrow {

class TStringList {
 public:
  TStringList() = default;
  explicit TStringList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Replaces every line with the lines of the file ("Cannot open file %s").
  void LoadFromFile(const std::string& path);
  // Replaces every line with the lines of text.
  void SetText(const std::string& text);
  // Writes the lines to path, creating it or replacing it whole (ReplaceFile): a failed save
  // leaves the file that stood there as it was.
  void SaveToFile(const std::string& path) const;
  // The lines as they would be saved.
  std::string Text() const;

  // True when the last load stopped at a NUL byte, so the lines are shorter than the file.
  bool LoadStoppedAtNul() const { return stopped_at_nul_; }

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  // Line i, or "List index out of bounds (%d)".
  const std::string& At(long long i) const;
  void Set(long long i, std::string line);
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Delete(long long i);
  void Clear() {
    lines_.clear();
    stopped_at_nul_ = false;
  }

  // Index of the first line equal to text without regard to letter case, or -1. The search
  // begins at line from.
  int IndexOf(const std::string& text, int from = 0) const;

  const std::vector<std::string>& Lines() const { return lines_; }
  std::vector<std::string>& Lines() { return lines_; }

 private:
  std::vector<std::string> lines_;
  bool stopped_at_nul_ = false;
};

// Letter-case-insensitive equality of two byte strings (ASCII letters fold).
bool SameText(const std::string& a, const std::string& b);

// The whole content of a file ("Cannot open file %s").
std::string ReadWholeFile(const std::string& path);

}  // namespace skerrow
