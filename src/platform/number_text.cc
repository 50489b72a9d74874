#include "platform/number_text.h"

#include <cmath>
#include <cstdio>

namespace skerrow {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<uint32_t> ParseHex0x(const std::string& text) {
  if (text.size() < 3 || text[0] != '0' || text[1] != 'x') return std::nullopt;
  uint32_t value = 0;
  size_t i = 2;
  for (; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) break;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  if (i == 2) return std::nullopt;
  return value;
}

std::optional<int32_t> ParseDecimal(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t first_digit = i;
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (i == first_digit) return std::nullopt;
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

std::string FormatFloat(float value) {
  if (std::isinf(value)) return value < 0 ? "-INF" : "+INF";
  if (std::isnan(value)) return std::signbit(value) ? "-NAN" : "+NAN";
  // The C library prints doubles exactly rounded, "-0.000000" included.
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", static_cast<double>(value));
  return text;
}

std::string Hex8(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

}  // namespace skerrow
