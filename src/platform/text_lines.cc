#include "platform/text_lines.h"

#include <algorithm>
#include <cstring>
#include <memory>

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
  data.reserve(static_cast<size_t>(file.SizeAtOpen()));
  char block[65536];
  for (;;) {
    const size_t n = file.Read(block, sizeof block);
    if (n == 0) break;
    data.append(block, n);
  }
  return data;
}

namespace {

constexpr size_t kLoadBlockSize = 1 << 20;

// The first CR or LF in [p, end), or end. Two library scans beat a loop over the bytes.
const char* FindBreak(const char* p, const char* end) {
  const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
  const char* stop = lf ? static_cast<const char*>(lf) : end;
  const void* cr = std::memchr(p, '\r', static_cast<size_t>(stop - p));
  return cr ? static_cast<const char*>(cr) : stop;
}

size_t CountByte(const char* p, const char* end, char c) {
  size_t count = 0;
  while (const void* hit = std::memchr(p, c, static_cast<size_t>(end - p))) {
    ++count;
    p = static_cast<const char*>(hit) + 1;
  }
  return count;
}

// Reads the file from its start block by block and calls onBlock(begin, end, last) with the
// text of each, which a NUL byte ends; last tells that it did. Returns whether one did.
template <typename OnBlock>
bool ForEachBlock(TFileStream& file, const std::unique_ptr<char[]>& block, OnBlock onBlock) {
  file.Seek(0);
  for (;;) {
    const size_t n = file.Read(block.get(), kLoadBlockSize);
    if (n == 0) return false;
    const char* p = block.get();
    const char* nul = static_cast<const char*>(std::memchr(p, '\0', n));
    onBlock(p, nul ? nul : p + n, nul != nullptr);
    if (nul) return true;
  }
}

// About as many lines as the file holds, read ahead to size the list: exact when every line
// ends alike (CR LF, LF or CR), too few only when the endings are mixed.
size_t EstimateLineCount(TFileStream& file, const std::unique_ptr<char[]>& block) {
  size_t lf = 0, cr = 0;
  bool text = false;
  ForEachBlock(file, block, [&](const char* p, const char* end, bool) {
    text = text || end > p;
    lf += CountByte(p, end, '\n');
    cr += CountByte(p, end, '\r');
  });
  // A last line without a break counts too.
  return std::max(lf, cr) + (text ? 1 : 0);
}

// Splits the file into lines as SetText splits a whole text, reading it block by block, and
// calls onLine(begin, length) for each. Returns whether a NUL byte ended the text.
template <typename OnLine>
bool ForEachLine(TFileStream& file, const std::unique_ptr<char[]>& block, OnLine onLine) {
  std::string partial;   // the start of a line that goes on in the next block
  bool afterCr = false;  // the block before ended in a CR: an LF at once belongs to it
  const bool stopped = ForEachBlock(file, block, [&](const char* p, const char* end, bool last) {
    if (afterCr && p < end && *p == '\n') ++p;
    afterCr = false;
    while (p < end) {
      const char* brk = FindBreak(p, end);
      if (brk == end) {
        partial.append(p, static_cast<size_t>(end - p));
        break;
      }
      if (partial.empty()) {
        onLine(p, static_cast<size_t>(brk - p));
      } else {
        partial.append(p, static_cast<size_t>(brk - p));
        onLine(partial.data(), partial.size());
        partial.clear();
      }
      if (*brk == '\r') {
        if (brk + 1 == end && !last) {
          afterCr = true;
        } else if (brk + 1 < end && brk[1] == '\n') {
          ++brk;
        }
      }
      p = brk + 1;
    }
  });
  if (!partial.empty()) onLine(partial.data(), partial.size());
  return stopped;
}

}  // namespace

void TStringList::LoadFromFile(const std::string& path) {
  // Two passes over the file: the first counts the line breaks, so that the list is made once
  // at its final size, and the text is never held whole beside its lines. A log of many
  // entries is then little more than its lines in memory.
  TFileStream file(path, TFileStream::Mode::kRead);
  std::unique_ptr<char[]> block(new char[kLoadBlockSize]);
  std::vector<std::string> lines;
  lines.reserve(EstimateLineCount(file, block));
  stopped_at_nul_ =
      ForEachLine(file, block, [&](const char* text, size_t n) { lines.emplace_back(text, n); });
  lines_ = std::move(lines);
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
