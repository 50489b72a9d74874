// What the reliability tests accept as a failure: a skerrow::Error whose text is one of the
// system's own messages, and a guard that ends the test program should an operation hang.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "support/own_error_text.h"

namespace skerrow::testing {

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
