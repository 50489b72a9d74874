// The byte scrambling of package directories: every byte of a directory field is stored as
// the plain byte XOR ScrambleKey. The entry count and the entries' data are stored plain.
//
// Because the XOR works byte by byte, a scrambled little-endian 32-bit field holds the plain
// value with each of its four bytes XOR the key, and one call both scrambles and unscrambles.
#pragma once

#include <cstdint>

namespace skerrow {

inline constexpr uint8_t ScrambleKey = 0x5D;

// XORs length bytes of buffer with ScrambleKey, in place. A length of 0 changes nothing.
void Scramble(void* buffer, uint32_t length);

}  // namespace skerrow
