// The one error type of the system: an exception that carries the message text shown to the
// user. Only a front end's error display catches it.
#pragma once

#include <stdexcept>
#include <string>

namespace skerrow {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// The system's own message texts.
[[noreturn]] void ThrowCannotOpen(const std::string& path);    // "Cannot open file %s"
[[noreturn]] void ThrowCannotCreate(const std::string& path);  // "Cannot create file %s"
[[noreturn]] void ThrowReadError();                            // "Stream read error"
[[noreturn]] void ThrowWriteError();                           // "Stream write error"
[[noreturn]] void ThrowListIndex(long long index);             // "List index out of bounds (%d)"

}  // namespace skerrow
