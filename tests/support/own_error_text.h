// The texts the system's own errors begin with: what a test or a fuzz target accepts as a
// failure reported the system's way.
#pragma once

#include <array>
#include <string_view>

namespace skerrow::testing {

inline bool IsOwnErrorText(std::string_view text) {
  static constexpr std::array<std::string_view, 11> kOwnTexts = {
      "Cannot open file ",
      "Cannot create file ",
      "Stream read error",
      "Stream write error",
      "List index out of bounds (",
      "Malformed package ",
      "Package too large",
      "Block#",
      "The code table ",
      "Unable to create directory",
      "Failed to Save Stream",
  };
  for (std::string_view prefix : kOwnTexts) {
    if (text.starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace skerrow::testing
