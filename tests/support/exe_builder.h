// A made-up game executable for the text tests: a filler of known bytes with text blocks,
// glyph records and floats placed at chosen offsets.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace skerrow::testing {

class ExeBuilder {
 public:
  // size bytes, every one a pattern byte (offset * 7 + 1, low 8 bits), so a stray write shows.
  explicit ExeBuilder(size_t size);

  ExeBuilder& Bytes(size_t offset, const std::string& bytes);
  ExeBuilder& U32(size_t offset, uint32_t value);
  ExeBuilder& F32(size_t offset, float value);
  // A glyph record: the reference, then the six values.
  ExeBuilder& Record(size_t offset, uint32_t reference, const std::array<float, 6>& values);

  const std::string& Data() const { return data_; }

 private:
  std::string data_;
};

uint32_t U32At(const std::string& data, size_t offset);
float F32At(const std::string& data, size_t offset);
// data with value put at offset, little-endian.
std::string WithU32(std::string data, size_t offset, uint32_t value);
std::string WithF32(std::string data, size_t offset, float value);

// 256 bytes mapping every byte to itself.
std::string IdentityCodeTable();

}  // namespace skerrow::testing
