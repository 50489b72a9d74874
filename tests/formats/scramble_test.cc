#include "formats/scramble.h"

#include <gtest/gtest.h>

#include <string>

namespace skerrow {
namespace {

TEST(Scramble, XorsEveryByteWithTheKeyAndUndoesItself) {
  std::string bytes("\x00\x5D\x05\xFF", 4);
  Scramble(bytes.data(), 4);
  EXPECT_EQ(bytes, std::string("\x5D\x00\x58\xA2", 4));  // 0 is stored as the key, the key as 0
  Scramble(bytes.data(), 4);
  EXPECT_EQ(bytes, std::string("\x00\x5D\x05\xFF", 4));

  Scramble(bytes.data(), 0);
  EXPECT_EQ(bytes, std::string("\x00\x5D\x05\xFF", 4));
  Scramble(bytes.data(), 2);  // only the first length bytes
  EXPECT_EQ(bytes, std::string("\x5D\x00\x05\xFF", 4));
}

}  // namespace
}  // namespace skerrow
