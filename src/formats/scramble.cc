#include "formats/scramble.h"

namespace skerrow {

void Scramble(void* buffer, uint32_t length) {
  auto* bytes = static_cast<uint8_t*>(buffer);
  for (uint32_t i = 0; i < length; ++i) bytes[i] ^= ScrambleKey;
}

}  // namespace skerrow
