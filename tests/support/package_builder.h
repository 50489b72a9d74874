// Packages built in code, for tests, fuzzers and benchmarks: a list of entries in, the bytes of
// the .dat file out; and a plain decoder of such bytes to check what a rebuild wrote.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skerrow::testing {

struct TPackageEntry {
  std::string NameField;  // the stored name field, plain, NUL bytes and all
  std::string Data = "";
  uint32_t Reserved = 0;
  // Stored in place of the true values, for packages that share data or are malformed. An
  // entry with a DataOffset of its own gets no bytes in the data region.
  std::optional<uint32_t> DataOffset = std::nullopt;
  std::optional<uint32_t> DataSize = std::nullopt;
  std::optional<uint32_t> NameLength = std::nullopt;
};

struct TPackageLayout {
  std::optional<uint32_t> EntryCount = std::nullopt;  // stored in place of the number of entries
  std::string Gap = "";  // bytes between the directory and the data region
};

// Count, scrambled directory, then the data of every entry without an explicit offset, packed
// in entry order.
std::string BuildPackage(const std::vector<TPackageEntry>& entries,
                         const TPackageLayout& layout = {});

// 4 + the size of every directory entry: where packed data begin when there is no gap.
uint32_t DirectoryEnd(const std::vector<TPackageEntry>& entries);

struct TDecodedEntry {
  std::string NameField;  // unscrambled, whole
  uint32_t DataOffset = 0;
  uint32_t Reserved = 0;
  uint32_t DataSize = 0;
  std::string Data;  // empty when DataOffset and DataSize run past the end
};

// Decodes a well-formed package; throws std::runtime_error when the directory is cut short.
std::vector<TDecodedEntry> DecodePackage(const std::string& bytes);

// The plain bytes of a scrambled field, and back.
std::string Scrambled(std::string bytes);
std::string Le32(uint32_t value);

}  // namespace skerrow::testing
