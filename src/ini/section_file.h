// The section file reader: holds one INI-like section file at a time, whole, in memory.
//
//   [Name]            header line, matched without regard to letter case
//   Key=Value         a line that begins with Key=, key matched byte for byte; the value is the
//                     rest of the line, untrimmed
//   [END OF Name]     end line, matched byte for byte with Name spelled as asked
//
// A body is every line between the first header line of its name and the first end line after
// it; the first key line in the body counts. A body without its end line makes a lookup that
// finds no key line fail with "List index out of bounds (%d)", the number of lines in place.
//
// Opening a file writes the one open before back to its path (every line followed by CR LF)
// and only then loads the new one. A file whose load stopped at a NUL byte is never written
// back, since its lines are shorter than the file on disk.
#pragma once

#include <optional>
#include <string>

#include "platform/text_lines.h"

namespace skerrow {

class TSectionReader {
 public:
  // Writes back the open file, if any (as CloseSectionFile), then makes path the open file,
  // loading its lines unless startEmpty is set or nothing exists at path. A failed write-back
  // ("Cannot create file %s") leaves the previous file open; a path that cannot be read as a
  // file ("Cannot open file %s") leaves no file open.
  void OpenSectionFile(const std::string& path, bool startEmpty = false);
  // Writes the open file back to SectionPath and drops it; nothing when no file is open.
  void CloseSectionFile();
  bool SectionExists(const std::string& name) const;
  // The value of the first key line of key in the section's body, or the empty text.
  std::string ReadValue(const std::string& section, const std::string& key) const;

  bool IsOpen() const { return SectionLines.has_value(); }

  std::optional<TStringList> SectionLines;
  std::string SectionPath;

 private:
  int HeaderIndex(const std::string& name) const;  // first header line of name, or -1

  // The open file must not be written back: its load stopped at a NUL byte, so the lines held
  // are shorter than the file on disk.
  bool keep_on_disk_ = false;
};

}  // namespace skerrow
