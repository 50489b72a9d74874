// Numbers in text: the "0x%X" and "%d" readings of description values, the "%f" printing of
// glyph values, and eight-digit upper-case hexadecimal entry numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace skerrow {

// "0x" (zero, lower-case x) then hexadecimal digits of either case, up to the first other
// character. Anything else fails: "0X1F", "1F", " 0x1F", "0x". Digits past 32 bits keep the
// low 32 bits.
std::optional<uint32_t> ParseHex0x(const std::string& text);

// Optional blanks, an optional sign, decimal digits, up to the first other character; read as
// a 32-bit signed number (wrapping modulo 2^32). No digits fails.
std::optional<int32_t> ParseDecimal(const std::string& text);

// Fixed notation with six digits after the point and correct rounding; "-0.000000" for
// negative zero; "+INF", "-INF", "+NAN", "-NAN".
std::string FormatFloat(float value);

// Exactly eight upper-case hexadecimal digits, zero-padded: 26 gives "0000001A".
std::string Hex8(uint32_t value);

}  // namespace skerrow
