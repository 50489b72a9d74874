// Package extraction of one or two packages in one run.
//
// Parts: 0 in/a.dat, 1 in/b.dat (when present; extracted second, so the clash rule runs).
//
// Checks: only the system's own errors; nothing outside out/ created or changed (the packages
// stay byte for byte); every entry file the result list names lies inside out/ and holds the
// entry's data; a package extracted whole lists exactly its entries.
#include <cstdint>
#include <set>

#include "formats/format_handlers.h"
#include "fuzz_support.h"
#include "support/package_builder.h"
#include "support/recording_host.h"

using namespace skerrow;
using namespace skerrow::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 1, 2);
  std::vector<std::string> packages;
  for (size_t i = 0; i < parts.size(); ++i) {
    packages.push_back(scratch.In(i == 0 ? "a.dat" : "b.dat"));
    WriteFile(packages.back(), parts[i]);
  }
  const TTree before = Snapshot(scratch.Root());

  testing::THostedState run(scratch.Out());
  TProcessState& state = run.State;
  std::set<std::string> written;
  for (size_t i = 0; i < packages.size(); ++i) {
    const int first = state.ResultList.Count();
    try {
      ExtractPackage(state, packages[i]);
    } catch (const std::exception& error) {
      CheckSystemError(error);
      break;
    }
    // Extracted whole: one line per entry, each file holding that entry's bytes.
    std::vector<testing::TDecodedEntry> entries;
    try {
      entries = testing::DecodePackage(parts[i]);
    } catch (const std::exception&) {
      Fail("a package extracted whole does not decode");
    }
    if (state.ResultList.Count() - first != static_cast<int>(entries.size())) {
      Fail("the result list does not list every entry once");
    }
    for (size_t e = 0; e < entries.size(); ++e) {
      const std::string& path = state.ResultList.At(first + static_cast<long long>(e));
      if (!written.insert(path).second) Fail("one entry file written twice in a run: " + path);
      if (ReadFile(path) != entries[e].Data) Fail("entry file does not hold its data: " + path);
    }
  }
  for (const std::string& path : state.ResultList.Lines()) {
    if (!IsInside(path, scratch.Out())) Fail("entry file outside the output folder: " + path);
  }
  CheckOutsideOutput(before, Snapshot(scratch.Root()));
  return 0;
}
