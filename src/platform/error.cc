#include "platform/error.h"

namespace skerrow {

void ThrowCannotOpen(const std::string& path) {
  throw Error("Cannot open file " + path);
}
void ThrowCannotCreate(const std::string& path) {
  throw Error("Cannot create file " + path);
}
void ThrowReadError() {
  throw Error("Stream read error");
}
void ThrowWriteError() {
  throw Error("Stream write error");
}
void ThrowListIndex(long long index) {
  throw Error("List index out of bounds (" + std::to_string(index) + ")");
}

}  // namespace skerrow
