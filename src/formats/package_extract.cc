// ExtractPackage: every entry of a package into an entry file of its own under OutputDir.
//
// Entry i with extension ext (from the last "." of its name that no "\", "/" or ":" follows)
// goes to
//   <OutputDir>/<ext without the dot>/<i as eight upper-case hex digits><ext>
// and an entry without extension straight into OutputDir (its type folder part is empty, so
// the joined path holds a doubled separator). Since ext never holds a separator, and its
// dot is the last one of the name, the type folder is a single plain name below OutputDir
// (never "." or ".."; empty for a name ending in a dot, which also lands in OutputDir): a
// name can never steer a write outside the output folder.
//
// Packages extracted in one batch run never replace each other's entry files: when the
// regular entry path was already written in this run, the entry goes to
// <type folder>/<eight hex digits>_<n><ext> with the smallest n from 2 on not yet written in
// this run. The result log names the file actually written.
#include <unordered_set>

#include "formats/format_handlers.h"
#include "formats/package_directory.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/number_text.h"
#include "platform/paths.h"

namespace skerrow {

namespace {

std::string NumberedPath(const std::string& folder, const std::string& digits, uint64_t n,
                         const std::string& ext) {
  return JoinPath(folder, digits + "_" + std::to_string(n) + ext);
}

// The path for the entry whose regular path is regular. Numbered paths are only ever taken
// in order, so the taken ones for one regular path are always 2..m without a gap; the first
// free n is found by doubling and then bisecting, so many packages in one run cost only a
// few look-ups per entry.
std::string UnwrittenEntryPath(const std::unordered_set<std::string>& written,
                               const std::string& folder, const std::string& digits,
                               const std::string& ext, const std::string& regular) {
  if (!written.contains(regular)) return regular;
  auto taken = [&](uint64_t n) { return written.contains(NumberedPath(folder, digits, n, ext)); };
  uint64_t low = 1;  // taken (the regular path counts as 1)
  uint64_t high = 2;
  while (taken(high)) {
    low = high;
    high *= 2;
  }
  while (high - low > 1) {  // low taken, high free
    const uint64_t mid = low + (high - low) / 2;
    (taken(mid) ? low : high) = mid;
  }
  return NumberedPath(folder, digits, high, ext);
}

}  // namespace

void ExtractPackage(TProcessState& state, const std::string& packagePath) {
  THandlerHost& host = *state.Host;
  TFileStream package(packagePath, TFileStream::Mode::kRead);
  TPackageDirectory directory(package, TPackageDirectory::Names::kRead);
  const uint32_t count = directory.EntryCount();

  host.SetStatus(ProcessingText(packagePath));
  host.SetProgressPosition(0);
  host.SetProgressMax(100);

  // The type folders this package's entries went to: each is looked for, and made when
  // missing, once per package rather than once per entry.
  std::unordered_set<std::string> typeFolders;
  for (uint32_t i = 0; i < count; ++i) {
    directory.ReadEntry();
    const std::string ext = ExtractExt(directory.Name());
    const std::string digits = Hex8(i);
    const std::string folder = JoinPath(state.OutputDir, ext.empty() ? ext : ext.substr(1));
    // A failed creation shows up below as the entry file that cannot be created.
    if (typeFolders.insert(folder).second && !PathExists(folder)) CreateDir(folder);
    const std::string entryPath = UnwrittenEntryPath(state.WrittenEntryPaths, folder, digits, ext,
                                                     JoinPath(folder, digits + ext));

    const TEntryRecord& record = directory.Record();
    if (!directory.DataInFile()) ThrowReadError();
    {
      // Opened without cutting it first: should the entry path name the package itself, it is
      // refused untouched rather than truncated while it is being read.
      TFileStream entry(entryPath, TFileStream::Mode::kCreateKeep);
      if (entry.SameFileAs(package)) ThrowCannotCreate(entryPath);
      if (entry.SizeAtOpen() != 0) entry.Truncate(0);
      state.WrittenEntryPaths.insert(entryPath);
      package.Seek(record.DataOffset);
      entry.CopyFrom(package, record.DataSize);
    }
    state.ResultList.Add(entryPath);

    const int v = static_cast<int>(static_cast<uint64_t>(i) * 100 / count);
    if (v != host.ProgressPosition()) {
      host.SetProgressPosition(v);
      host.ProcessMessages();
    }
  }
}

}  // namespace skerrow
