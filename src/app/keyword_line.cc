#include "app/keyword_line.h"

#include "app/format_table.h"

namespace skerrow {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// [begin, end) of the first word, or begin == end when there is none.
std::pair<size_t, size_t> FirstWordSpan(const std::string& text) {
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  return {begin, end};
}

}  // namespace

std::string FirstWord(const std::string& text) {
  const auto [begin, end] = FirstWordSpan(text);
  return text.substr(begin, end - begin);
}

TKeywordLine ParseKeywordLine(const std::string& line) {
  const auto [begin, end] = FirstWordSpan(line);
  const std::string word = line.substr(begin, end - begin);
  TKeywordLine parsed;
  if (word != kKeywordFormat && word != kKeywordSource && word != kKeywordTarget) return parsed;
  parsed.Keyword = word;
  // The one separator after the keyword is skipped, whatever it is; the rest is the argument.
  if (end + 1 < line.size()) parsed.Argument = line.substr(end + 1);
  return parsed;
}

}  // namespace skerrow
