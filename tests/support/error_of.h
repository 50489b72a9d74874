// The message of the skerrow::Error that an action raises, or "(no error)".
#pragma once

#include <functional>
#include <string>

#include "platform/error.h"

namespace skerrow::testing {

inline std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace skerrow::testing
