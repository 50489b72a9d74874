#include "platform/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace skerrow {
namespace {

TEST(NumberText, HexNeedsALowerCaseZeroXPrefix) {
  struct Case {
    const char* text;
    std::optional<uint32_t> value;
  } cases[] = {
      {"0x1F", 0x1F},
      {"0x1f00", 0x1F00},
      {"0xABCDEF12", 0xABCDEF12},
      {"0x10 rest", 0x10},
      {"0x7g", 7},
      {"0x0", 0},
      {"0X1F", std::nullopt},
      {"1F", std::nullopt},
      {" 0x1F", std::nullopt},
      {"0x", std::nullopt},
      {"", std::nullopt},
      {"0xg", std::nullopt},
      {"0x123456789", 0x23456789},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseHex0x(c.text), c.value);
  }
}

TEST(NumberText, DecimalTakesBlanksSignAndDigits) {
  struct Case {
    const char* text;
    std::optional<int32_t> value;
  } cases[] = {
      {"1", 1},
      {"  2", 2},
      {"-3", -3},
      {"+4", 4},
      {"7x", 7},
      {"12 34", 12},
      {"", std::nullopt},
      {"x1", std::nullopt},
      {"-", std::nullopt},
      {" ", std::nullopt},
      {"2147483647", 2147483647},
      {"-2147483648", std::numeric_limits<int32_t>::min()},
      {"4294967297", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseDecimal(c.text), c.value);
  }
}

TEST(NumberText, FloatPrintsSixDigitsAndSpecialValues) {
  struct Case {
    float value;
    const char* text;
  } cases[] = {
      {1.5f, "1.500000"},
      {0.025f, "0.025000"},
      {std::bit_cast<float>(0x3D19999Au), "0.037500"},
      {-0.0f, "-0.000000"},
      {0.0f, "0.000000"},
      {-2.25f, "-2.250000"},
      {0.0000005f, "0.000000"},  // 4.99999987e-07 rounds down
      {0.0000015f, "0.000002"},  // 1.50000005e-06 rounds up
      {16777216.0f, "16777216.000000"},
      {std::numeric_limits<float>::infinity(), "+INF"},
      {-std::numeric_limits<float>::infinity(), "-INF"},
      {std::bit_cast<float>(0x7FC00000u), "+NAN"},
      {std::bit_cast<float>(0xFFC00000u), "-NAN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatFloat(c.value), c.text);
  }
}

TEST(NumberText, Hex8IsUpperCaseAndZeroPadded) {
  EXPECT_EQ(Hex8(0), "00000000");
  EXPECT_EQ(Hex8(26), "0000001A");
  EXPECT_EQ(Hex8(0xFFFFFFFFu), "FFFFFFFF");
}

}  // namespace
}  // namespace skerrow
