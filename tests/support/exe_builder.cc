#include "support/exe_builder.h"

#include <bit>
#include <stdexcept>

namespace skerrow::testing {

ExeBuilder::ExeBuilder(size_t size) : data_(size, '\0') {
  for (size_t i = 0; i < size; ++i) data_[i] = static_cast<char>(i * 7 + 1);
}

ExeBuilder& ExeBuilder::Bytes(size_t offset, const std::string& bytes) {
  if (offset + bytes.size() > data_.size()) throw std::out_of_range("ExeBuilder::Bytes");
  data_.replace(offset, bytes.size(), bytes);
  return *this;
}

ExeBuilder& ExeBuilder::U32(size_t offset, uint32_t value) {
  data_ = WithU32(std::move(data_), offset, value);
  return *this;
}

ExeBuilder& ExeBuilder::F32(size_t offset, float value) {
  return U32(offset, std::bit_cast<uint32_t>(value));
}

ExeBuilder& ExeBuilder::Record(size_t offset, uint32_t reference,
                               const std::array<float, 6>& values) {
  U32(offset, reference);
  for (size_t i = 0; i < values.size(); ++i) F32(offset + 4 + 4 * i, values[i]);
  return *this;
}

uint32_t U32At(const std::string& data, size_t offset) {
  if (offset + 4 > data.size()) throw std::out_of_range("U32At");
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data[offset + i]);
  return value;
}

float F32At(const std::string& data, size_t offset) {
  return std::bit_cast<float>(U32At(data, offset));
}

std::string WithU32(std::string data, size_t offset, uint32_t value) {
  if (offset + 4 > data.size()) throw std::out_of_range("WithU32");
  for (int i = 0; i < 4; ++i) data[offset + i] = static_cast<char>(value >> (8 * i));
  return data;
}

std::string WithF32(std::string data, size_t offset, float value) {
  return WithU32(std::move(data), offset, std::bit_cast<uint32_t>(value));
}

std::string IdentityCodeTable() {
  std::string table(256, '\0');
  for (int i = 0; i < 256; ++i) table[i] = static_cast<char>(i);
  return table;
}

}  // namespace skerrow::testing
