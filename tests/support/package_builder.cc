#include "support/package_builder.h"

#include <stdexcept>

namespace skerrow::testing {

namespace {

// The key is written out here rather than taken from the code under test, so that a wrong
// key there cannot cancel out.
constexpr char kKey = 0x5D;

uint32_t LoadLe32(const std::string& bytes, size_t at) {
  if (at + 4 > bytes.size()) throw std::runtime_error("package cut short");
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

std::string Scrambled(std::string bytes) {
  for (char& c : bytes) c = static_cast<char>(c ^ kKey);
  return bytes;
}

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}

uint32_t DirectoryEnd(const std::vector<TPackageEntry>& entries) {
  uint32_t end = 4;
  for (const TPackageEntry& e : entries) end += 16 + static_cast<uint32_t>(e.NameField.size());
  return end;
}

std::string BuildPackage(const std::vector<TPackageEntry>& entries, const TPackageLayout& layout) {
  std::string directory = Le32(layout.EntryCount.value_or(static_cast<uint32_t>(entries.size())));
  std::string data;
  const uint32_t dataStart = DirectoryEnd(entries) + static_cast<uint32_t>(layout.Gap.size());
  for (const TPackageEntry& e : entries) {
    uint32_t offset;
    if (e.DataOffset) {
      offset = *e.DataOffset;
    } else {
      offset = dataStart + static_cast<uint32_t>(data.size());
      data += e.Data;
    }
    const uint32_t nameLength = e.NameLength.value_or(static_cast<uint32_t>(e.NameField.size()));
    directory += Scrambled(Le32(nameLength) + e.NameField);
    directory += Scrambled(Le32(offset) + Le32(e.Reserved) +
                           Le32(e.DataSize.value_or(static_cast<uint32_t>(e.Data.size()))));
  }
  return directory + layout.Gap + data;
}

std::vector<TDecodedEntry> DecodePackage(const std::string& bytes) {
  std::vector<TDecodedEntry> entries;
  const uint32_t count = LoadLe32(bytes, 0);
  size_t at = 4;
  for (uint32_t i = 0; i < count; ++i) {
    const std::string plainLength = Scrambled(bytes.substr(at, 4));
    const uint32_t nameLength = LoadLe32(plainLength, 0);
    at += 4;
    if (at + nameLength + 12 > bytes.size()) throw std::runtime_error("package cut short");
    TDecodedEntry e;
    e.NameField = Scrambled(bytes.substr(at, nameLength));
    at += nameLength;
    const std::string record = Scrambled(bytes.substr(at, 12));
    at += 12;
    e.DataOffset = LoadLe32(record, 0);
    e.Reserved = LoadLe32(record, 4);
    e.DataSize = LoadLe32(record, 8);
    if (static_cast<uint64_t>(e.DataOffset) + e.DataSize <= bytes.size()) {
      e.Data = bytes.substr(e.DataOffset, e.DataSize);
    }
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace skerrow::testing
