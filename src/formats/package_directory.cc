#include "formats/package_directory.h"

#include <algorithm>
#include <cstring>

#include "formats/scramble.h"
#include "platform/error.h"

namespace skerrow {

namespace {

uint32_t LoadLE32(const char* p) {
  const auto* b = reinterpret_cast<const uint8_t*>(p);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}

void StoreLE32(uint32_t value, char* p) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

void EncodeEntryRecord(const TEntryRecord& record, char out[kEntryRecordSize]) {
  StoreLE32(record.DataOffset, out);
  StoreLE32(record.Reserved, out + 4);
  StoreLE32(record.DataSize, out + 8);
  Scramble(out, kEntryRecordSize);
}

TEntryRecord DecodeEntryRecord(const char in[kEntryRecordSize]) {
  char plain[kEntryRecordSize];
  std::memcpy(plain, in, sizeof plain);
  Scramble(plain, sizeof plain);
  return TEntryRecord{LoadLE32(plain), LoadLE32(plain + 4), LoadLE32(plain + 8)};
}

TPackageDirectory::TPackageDirectory(TFileStream& package, Names names)
    : package_(package),
      names_(names),
      file_size_(package.Size()),
      buffer_(new char[kReadBufferSize]) {
  char count[kEntryCountSize];
  Read(count, sizeof count);
  entry_count_ = LoadLE32(count);
  // Every entry takes at least 16 bytes, so a count the file cannot hold is known at once,
  // before a single entry is handled.
  if (static_cast<uint64_t>(entry_count_) * kMinEntrySize >
      static_cast<uint64_t>(file_size_ - position_)) {
    ThrowReadError();
  }
}

void TPackageDirectory::ReadEntry() {
  index_ = entries_read_++;
  char length[kNameLengthSize];
  Read(length, sizeof length);
  Scramble(length, sizeof length);
  name_length_ = LoadLE32(length);
  // The name and the record must both fit what is left of the file; check before the name
  // buffer grows.
  if (static_cast<uint64_t>(name_length_) + kEntryRecordSize >
      static_cast<uint64_t>(file_size_ - position_)) {
    ThrowReadError();
  }
  if (names_ == Names::kRead) {
    name_.resize(name_length_);
    Read(name_.data(), name_.size());
    Scramble(name_.data(), name_length_);
    name_.resize(std::strlen(name_.c_str()));  // the text before the first NUL
  } else {
    Skip(name_length_);
  }
  record_position_ = position_;
  char record[kEntryRecordSize];
  Read(record, sizeof record);
  record_ = DecodeEntryRecord(record);
}

bool TPackageDirectory::DataInFile() const {
  return static_cast<uint64_t>(record_.DataOffset) + record_.DataSize <=
         static_cast<uint64_t>(file_size_);
}

void TPackageDirectory::Read(void* out, size_t count) {
  char* dest = static_cast<char*>(out);
  while (count > 0) {
    if (position_ < buffer_start_ ||
        position_ >= buffer_start_ + static_cast<int64_t>(buffer_length_)) {
      package_.Seek(position_);
      buffer_start_ = position_;
      buffer_length_ = package_.Read(buffer_.get(), kReadBufferSize);
      if (buffer_length_ == 0) ThrowReadError();
    }
    const size_t offset = static_cast<size_t>(position_ - buffer_start_);
    const size_t chunk = std::min(count, buffer_length_ - offset);
    std::memcpy(dest, buffer_.get() + offset, chunk);
    dest += chunk;
    count -= chunk;
    position_ += static_cast<int64_t>(chunk);
  }
}

void TPackageDirectory::Skip(uint64_t count) {
  position_ += static_cast<int64_t>(count);
}

}  // namespace skerrow
