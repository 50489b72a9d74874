#include "platform/text_lines.h"

#include <cstring>

#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/replace_file.h"

namespace skerrow {

namespace {

char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  TFileStream file(path, TFileStream::Mode::kRead);
  std::string data;
  char block[65536];
  for (;;) {
    const size_t n = file.Read(block, sizeof block);
    if (n == 0) break;
    data.append(block, n);
  }
  return data;
}

void TStringList::LoadFromFile(const std::string& path) {
  SetText(ReadWholeFile(path));
}

void TStringList::SetText(const std::string& text) {
  lines_.clear();
  const size_t nul = text.find('\0');
  stopped_at_nul_ = nul != std::string::npos;
  const size_t end = stopped_at_nul_ ? nul : text.size();
  size_t start = 0;
  size_t i = 0;
  while (i < end) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.emplace_back(text, start, i - start);
      i += (c == '\r' && i + 1 < end && text[i + 1] == '\n') ? 2 : 1;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < end) lines_.emplace_back(text, start, end - start);
}

std::string TStringList::Text() const {
  size_t size = 0;
  for (const auto& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void TStringList::SaveToFile(const std::string& path) const {
  ReplaceFile(path, Text());
}

const std::string& TStringList::At(long long i) const {
  if (i < 0 || i >= static_cast<long long>(lines_.size())) ThrowListIndex(i);
  return lines_[static_cast<size_t>(i)];
}

void TStringList::Set(long long i, std::string line) {
  if (i < 0 || i >= static_cast<long long>(lines_.size())) ThrowListIndex(i);
  lines_[static_cast<size_t>(i)] = std::move(line);
}

void TStringList::Delete(long long i) {
  if (i < 0 || i >= static_cast<long long>(lines_.size())) ThrowListIndex(i);
  lines_.erase(lines_.begin() + i);
}

int TStringList::IndexOf(const std::string& text, int from) const {
  for (size_t i = from < 0 ? 0 : static_cast<size_t>(from); i < lines_.size(); ++i) {
    if (SameText(lines_[i], text)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace skerrow
