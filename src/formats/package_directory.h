// The layout of a game package (.dat) and the one reader of its directory, shared by the
// extraction and the rebuild.
//
// All integers are little-endian unsigned 32-bit values; offsets count from the first byte of
// the file.
//
//   offset 0   EntryCount                 plain
//   offset 4   EntryCount entries, back to back, each:
//                NameLength               scrambled
//                Name (NameLength bytes)  scrambled; the name is the text before its first NUL
//                DataOffset               scrambled  -+
//                Reserved                 scrambled   | the 12-byte entry record
//                DataSize                 scrambled  -+
//   then       the data region            plain; entry i's data are the DataSize bytes at its
//                                         DataOffset, wherever that points
//
// The head of a package is everything before entry 0's data: the count, the directory, and
// whatever lies between the directory and the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_stream.h"

namespace skerrow {

inline constexpr int64_t kEntryCountSize = 4;
inline constexpr int64_t kNameLengthSize = 4;
inline constexpr int64_t kEntryRecordSize = 12;
// The smallest directory entry: a NameLength of 0 and the record.
inline constexpr int64_t kMinEntrySize = kNameLengthSize + kEntryRecordSize;
// Offsets and sizes are 32-bit fields, so no package position may pass this.
inline constexpr uint64_t kMaxPackageSize = 0xFFFFFFFFu;

// An entry record as plain values.
struct TEntryRecord {
  uint32_t DataOffset = 0;
  uint32_t Reserved = 0;
  uint32_t DataSize = 0;
};

// The 12 stored bytes of a record (scrambled) and back.
void EncodeEntryRecord(const TEntryRecord& record, char out[kEntryRecordSize]);
TEntryRecord DecodeEntryRecord(const char in[kEntryRecordSize]);

// Reads the directory strictly in order, one entry per ReadEntry(), through a small buffer of
// its own. It keeps its own read position, so the caller may move the stream anywhere between
// two entries (to copy the entry's data, say).
//
// Every length is checked against the file's size before anything is allocated for it: a
// directory, a name or a record that would run past the end of the file is a
// "Stream read error".
class TPackageDirectory {
 public:
  enum class Names { kRead, kSkip };

  // Reads EntryCount at offset 0. A count whose smallest possible directory does not fit the
  // file is a "Stream read error" at once. The stream must outlive the reader.
  TPackageDirectory(TFileStream& package, Names names);

  uint32_t EntryCount() const { return entry_count_; }
  int64_t FileSize() const { return file_size_; }

  // Reads the next entry's NameLength, its name (or skips it unread) and its record. Call it at
  // most EntryCount() times.
  void ReadEntry();

  // Of the entry read last:
  uint32_t Index() const { return index_; }
  uint32_t NameLength() const { return name_length_; }
  const std::string& Name() const { return name_; }  // empty when names are skipped
  int64_t RecordPosition() const { return record_position_; }
  const TEntryRecord& Record() const { return record_; }
  // Whether the entry's data lie wholly inside the file.
  bool DataInFile() const;

  // Where the next entry begins; after the last entry, the end of the directory.
  int64_t Position() const { return position_; }

  // The buffer through which the directory is read.
  static constexpr size_t kReadBufferSize = 64 * 1024;

 private:
  void Read(void* out, size_t count);
  void Skip(uint64_t count);

  TFileStream& package_;
  const Names names_;
  const int64_t file_size_;
  uint32_t entry_count_ = 0;
  uint32_t entries_read_ = 0;

  int64_t position_ = 0;
  std::unique_ptr<char[]> buffer_;
  int64_t buffer_start_ = 0;  // file offset of buffer_[0]
  size_t buffer_length_ = 0;

  uint32_t index_ = 0;
  uint32_t name_length_ = 0;
  std::string name_;  // reused for every entry
  int64_t record_position_ = 0;
  TEntryRecord record_;
};

}  // namespace skerrow
