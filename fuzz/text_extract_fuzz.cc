// The block description walk with text extraction.
//
// Parts: 0 the description after its fixed first lines, 1 in/game.exe. The description
// in/menu.trc begins "[Init]", "Source=../in/game.exe" (so the executable is always the one
// made here; a later Source line never counts); part 0 goes on from there with BlockSize, the
// end of Init and the blocks, or anything else.
//
// Checks: only the system's own errors; nothing outside out/ created or changed (the
// executable and the description stay byte for byte); out/ holds menu.txt and Vals.txt after
// an extraction that succeeds, and nothing at all after one that fails.
#include <cstdint>

#include "formats/format_handlers.h"
#include "fuzz_support.h"
#include "support/recording_host.h"

using namespace skerrow;
using namespace skerrow::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 2, 2);
  const std::string description = scratch.In("menu.trc");
  WriteFile(description, "[Init]\r\nSource=../in/game.exe\r\n" + parts[0]);
  WriteFile(scratch.In("game.exe"), parts[1]);
  const TTree before = Snapshot(scratch.Root());

  bool extracted = false;
  {
    testing::THostedState run(scratch.Out());
    TProcessState& state = run.State;
    try {
      ExtractExeText(state, description);
      extracted = true;
    } catch (const std::exception& error) {
      CheckSystemError(error);
    }
    state.Sections.SectionLines.reset();  // the reader's write-back has a target of its own
  }

  const TTree after = Snapshot(scratch.Root());
  CheckOutsideOutput(before, after);
  size_t in_output = 0;
  for (const auto& [path, content] : after) in_output += path.starts_with("out/");
  const bool both = after.contains("out/menu.txt") && after.contains("out/Vals.txt");
  if (extracted ? !(both && in_output == 2) : in_output != 0) {
    Fail(extracted ? "an extraction without its two files" : "a failed extraction left files");
  }
  return 0;
}
