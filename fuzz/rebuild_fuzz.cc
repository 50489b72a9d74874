// Package rebuild from a source package and the entry lines of a log.
//
// Parts: 0 in/src.dat, the source package; 1 the entry lines (replayed from line 0); 2 and on
// in/r1, in/r2, ... replacement files, which lines name as "../in/r1" (the working folder is
// out/). out/src.dat holds an earlier package before the rebuild.
//
// Checks: only the system's own errors; nothing outside out/ created or changed, so the source
// and every replacement file stay byte for byte; a failed rebuild leaves the earlier package
// as it was and no other file in out/; a rebuild that succeeds leaves only the new package,
// which re-reads to the source's entry count with every entry's data from its line's file or
// the source.
#include <cstdint>
#include <optional>

#include "formats/format_handlers.h"
#include "fuzz_support.h"
#include "platform/paths.h"
#include "support/package_builder.h"
#include "support/recording_host.h"

using namespace skerrow;
using namespace skerrow::fuzz;

namespace {

const std::string kEarlierPackage = "earlier package bytes";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 2, 6);
  const std::string source = scratch.In("src.dat");
  const std::string output = scratch.Out("src.dat");
  WriteFile(source, parts[0]);
  for (size_t i = 2; i < parts.size(); ++i)
    WriteFile(scratch.In("r" + std::to_string(i - 1)), parts[i]);
  WriteFile(output, kEarlierPackage);
  const TTree before = Snapshot(scratch.Root());

  testing::THostedState run(scratch.Out());
  TProcessState& state = run.State;
  state.CurrentSource = source;
  state.ScriptList.SetText(parts[1]);
  // What each line names, read before the rebuild (a line may name the output itself).
  std::vector<std::optional<std::string>> named;
  for (const std::string& line : state.ScriptList.Lines()) {
    named.push_back(PathExists(line) ? std::optional(ReadFile(line)) : std::nullopt);
  }
  bool rebuilt = false;
  try {
    state.SourceStream = std::make_unique<TFileStream>(source, TFileStream::Mode::kReadWrite);
    const int32_t next = RebuildPackage(state, output, 0);
    rebuilt = true;
    state.SourceStream.reset();
    std::vector<testing::TDecodedEntry> original, entries;
    try {
      original = testing::DecodePackage(parts[0]);
      entries = testing::DecodePackage(ReadFile(output));
    } catch (const std::exception&) {
      Fail("a rebuilt package or its source does not decode");
    }
    if (entries.size() != original.size() || next != static_cast<int32_t>(entries.size())) {
      Fail("the rebuilt package does not hold the source's entry count");
    }
    for (size_t e = 0; e < entries.size(); ++e) {
      const std::string expected = named.at(e) ? *named[e] : original[e].Data;
      if (entries[e].Data != expected) Fail("entry " + std::to_string(e) + " holds other data");
      if (entries[e].NameField != original[e].NameField) Fail("an entry name changed");
    }
  } catch (const std::exception& error) {
    CheckSystemError(error);
  }
  state.SourceStream.reset();

  const TTree after = Snapshot(scratch.Root());
  CheckOutsideOutput(before, after);
  size_t in_output = 0;
  for (const auto& [path, content] : after) in_output += path.starts_with("out/");
  if (in_output != 1) Fail("files left in the output folder beside the package");
  if (!rebuilt && ReadFile(output) != kEarlierPackage)
    Fail("a failed rebuild changed the earlier package");
  return 0;
}
