// What the reliability tests accept as a failure: a skerrow::Error whose text is one of the
// system's own messages, and a guard that ends the test program should an operation hang.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "platform/error.h"

namespace skerrow::testing {

inline bool IsOwnErrorText(std::string_view text) {
  static constexpr std::array<std::string_view, 10> kOwnTexts = {
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
  };
  for (std::string_view prefix : kOwnTexts) {
    if (text.starts_with(prefix)) return true;
  }
  return false;
}

// Runs action: "" when it succeeds, the error text when it raises the system's own error; any
// other exception fails the test.
inline std::string OutcomeOf(const std::function<void()>& action) {
  try {
    action();
    return std::string();
  } catch (const Error& error) {
    EXPECT_TRUE(IsOwnErrorText(error.what())) << error.what();
    return error.what();
  } catch (const std::exception& error) {
    ADD_FAILURE() << "not an error of the system: " << error.what();
    return error.what();
  }
}

// Ends the whole test program (SIGALRM) when the scope is not left within the given time: a
// hang fails the run instead of stalling it.
class HangGuard {
 public:
  explicit HangGuard(unsigned seconds) { ::alarm(seconds); }
  ~HangGuard() { ::alarm(0); }
  HangGuard(const HangGuard&) = delete;
  HangGuard& operator=(const HangGuard&) = delete;
};

}  // namespace skerrow::testing
