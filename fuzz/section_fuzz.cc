// The section file reader: load, look-ups, and the write-back when the next file is opened.
//
// Parts: 0 in/a.ini, the file read; 1 the look-ups, one per line, "Section<TAB>Key" (a line
// without a TAB asks SectionExists only); 2 in/b.ini, the file opened next.
//
// Checks: a look-up raises nothing but "List index out of bounds ("; a value found is the
// rest of a line that begins with Key=; a section found has its header line; opening b.ini
// writes a.ini back as its lines with CR LF, or leaves it untouched when its load stopped at a
// NUL byte; nothing else below the scratch root is created or changed.
#include <cstdint>

#include "fuzz_support.h"
#include "ini/section_file.h"

using namespace skerrow;
using namespace skerrow::fuzz;

namespace {

bool SameLetters(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 3, 3);
  const std::string a = scratch.In("a.ini"), b = scratch.In("b.ini");
  WriteFile(a, parts[0]);
  WriteFile(b, parts[2]);
  const TTree before = Snapshot(scratch.Root());

  TSectionReader reader;
  reader.OpenSectionFile(a);
  const TStringList lines = *reader.SectionLines;
  const bool nul_cut = lines.LoadStoppedAtNul();

  TStringList queries;
  queries.SetText(parts[1]);
  for (const std::string& query : queries.Lines()) {
    const size_t tab = query.find('\t');
    const std::string section = query.substr(0, tab);
    const bool exists = reader.SectionExists(section);
    bool header = false;
    for (const std::string& line : lines.Lines()) header |= SameLetters(line, "[" + section + "]");
    if (exists != header) Fail("SectionExists disagrees with the lines: " + section);
    if (tab == std::string::npos) continue;
    const std::string key = query.substr(tab + 1);
    try {
      const std::string value = reader.ReadValue(section, key);
      if (!value.empty()) {
        bool found = false;
        for (const std::string& line : lines.Lines()) found |= line == key + "=" + value;
        if (!found) Fail("a value that no key line holds: " + value);
      }
    } catch (const std::exception& error) {
      CheckSystemError(error);
      if (!std::string(error.what()).starts_with("List index out of bounds (")) {
        Fail("a look-up raised " + std::string(error.what()));
      }
    }
  }

  try {
    reader.OpenSectionFile(b);
  } catch (const std::exception& error) {
    CheckSystemError(error);
  }
  const std::string written = ReadFile(a);
  if (nul_cut ? written != parts[0] : written != lines.Text()) {
    Fail(nul_cut ? "a file cut at a NUL was written back" : "the write-back is not the lines");
  }
  reader.SectionLines.reset();  // no second write-back: b.ini stays as it was
  CheckOutsideOutput(before, Snapshot(scratch.Root()), {"in/a.ini"});
  return 0;
}
