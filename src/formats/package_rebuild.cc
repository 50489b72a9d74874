// RebuildPackage: a new package from the source package in SourceStream and the entry lines
// of ScriptList.
//
// The head of the source (count, directory, anything up to entry 0's data) is copied byte for
// byte; each entry record in the copy is then rewritten in place with the entry's new
// DataOffset and DataSize, its Reserved kept. Behind the head the entries' data follow packed
// in entry order: the whole file that the entry's line names when something exists there,
// otherwise the entry's own data from the source.
//
// The new package is written to a file beside outputPath and renamed over it only once it is
// complete; any failure removes that file, so a package already at outputPath stays as it was.
// When it replaces a package, its data are flushed to the disk before the rename, so that a
// crash leaves the old package or the new one, never a cut one. A package written where none
// was is renamed without the flush: a crash can then cost only the new package, which the
// same replay writes again from the untouched source and entry files, and flushing a package
// of a gigabyte would take longer than writing it.
//
// Kept entries whose data follow each other in the source are copied in one go, and a record
// that comes out as it was in the source is not written again: an unedited package is one copy
// of its head and one of its data.
#include <sys/stat.h>

#include "formats/format_handlers.h"
#include "formats/package_directory.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "platform/pending_file.h"

namespace skerrow {

namespace {

// Kept entries' data, copied from the source to the end of the new package, gathered into
// runs: an entry whose data begin where the run's end in the source is joins it.
class TKeptRun {
 public:
  TKeptRun(TFileStream& source, TFileStream& out) : source_(source), out_(out) {}

  void Add(int64_t sourceOffset, int64_t outOffset, uint64_t size) {
    if (size == 0) return;
    if (size_ > 0 && sourceOffset == source_start_ + static_cast<int64_t>(size_) &&
        outOffset == out_start_ + static_cast<int64_t>(size_)) {
      size_ += size;
      return;
    }
    Flush();
    source_start_ = sourceOffset;
    out_start_ = outOffset;
    size_ = size;
  }

  void Flush() {
    if (size_ == 0) return;
    const uint64_t size = size_;
    size_ = 0;  // never copied twice, also when the copy fails
    source_.Seek(source_start_);
    out_.Seek(out_start_);
    out_.CopyFrom(source_, size);
  }

 private:
  TFileStream& source_;
  TFileStream& out_;
  int64_t source_start_ = 0;
  int64_t out_start_ = 0;
  uint64_t size_ = 0;
};

// Whether path names the very file that stream has open (same device and inode): POSIX lets
// a file be opened twice, so the exclusive open of the source does not keep the rebuild from
// writing over it.
bool IsFileOf(const std::string& path, const TFileStream& stream) {
  struct stat a, b;
  return ::stat(path.c_str(), &a) == 0 && ::fstat(stream.Handle(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Walks the whole directory once before anything is created, so that a directory running
// past the end of the file, or a head that does not hold every entry record, is refused up
// front. Returns the head length: entry 0's DataOffset, or 4 for a package without entries.
int64_t CheckedHeadLength(TFileStream& source) {
  TPackageDirectory directory(source, TPackageDirectory::Names::kSkip);
  if (directory.EntryCount() == 0) return kEntryCountSize;
  int64_t head = 0;
  for (uint32_t i = 0; i < directory.EntryCount(); ++i) {
    directory.ReadEntry();
    if (i == 0) head = directory.Record().DataOffset;
  }
  if (head < directory.Position()) {
    throw Error("Malformed package " + source.Path() + ": entry 0 data start inside the directory");
  }
  if (head > directory.FileSize()) ThrowReadError();
  return head;
}

}  // namespace

int32_t RebuildPackage(TProcessState& state, const std::string& outputPath, int32_t firstLine) {
  if (!state.SourceStream) ThrowCannotOpen(state.CurrentSource);
  TFileStream& source = *state.SourceStream;
  THandlerHost& host = *state.Host;
  // A folder at outputPath could never be replaced; say so before the package is written.
  if (IsFileOf(outputPath, source) || IsDirectory(outputPath)) ThrowCannotCreate(outputPath);

  const int64_t headLength = CheckedHeadLength(source);
  TPendingFile pending(outputPath);
  TFileStream& out = pending.Stream();
  source.Seek(0);
  out.CopyFrom(source, static_cast<uint64_t>(headLength));

  host.SetStatus(ProcessingText(outputPath));
  host.SetProgressPosition(0);
  host.SetProgressMax(100);

  TPackageDirectory directory(source, TPackageDirectory::Names::kSkip);
  const uint32_t count = directory.EntryCount();
  TKeptRun kept(source, out);
  int64_t end = headLength;
  for (uint32_t i = 0; i < count; ++i) {
    try {
      directory.ReadEntry();
      const std::string& line = state.ScriptList.At(static_cast<long long>(firstLine) + i);

      const std::unique_ptr<TFileStream> replacement = TFileStream::OpenIfExists(line);
      const TEntryRecord stored = directory.Record();
      if (!replacement && !directory.DataInFile()) ThrowReadError();
      const uint64_t size = replacement ? static_cast<uint64_t>(replacement->SizeAtOpen())
                                        : static_cast<uint64_t>(stored.DataSize);
      if (static_cast<uint64_t>(end) + size > kMaxPackageSize) {
        throw Error("Package too large: " + outputPath + " would pass 4 GiB");
      }

      TEntryRecord record = stored;
      record.DataOffset = static_cast<uint32_t>(end);
      record.DataSize = static_cast<uint32_t>(size);
      // The head copy holds the stored record already.
      if (record.DataOffset != stored.DataOffset || record.DataSize != stored.DataSize) {
        char bytes[kEntryRecordSize];
        EncodeEntryRecord(record, bytes);
        out.Seek(directory.RecordPosition());
        out.WriteBuffer(bytes, sizeof bytes);
      }

      if (replacement) {
        kept.Flush();
        out.Seek(end);
        out.CopyFrom(*replacement, size);
      } else {
        kept.Add(stored.DataOffset, end, size);
      }
      end += static_cast<int64_t>(size);
    } catch (...) {
      // The kept data gathered so far go first, so a failure among them (a full disk) is the
      // error reported, as it would be had they been copied entry by entry.
      kept.Flush();
      throw;
    }

    const int v = static_cast<int>(static_cast<uint64_t>(i) * 100 / count);
    if (v != host.ProgressPosition()) {
      host.SetProgressPosition(v);
      host.ProcessMessages();
    }
  }
  kept.Flush();

  pending.Commit();
  return static_cast<int32_t>(static_cast<int64_t>(firstLine) + count);
}

}  // namespace skerrow
