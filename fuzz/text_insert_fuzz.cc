// Text insertion into a small executable.
//
// Parts: 0 the description after its fixed first lines, 1 in/game.exe, 2 in/menu.txt the
// target text, 3 in/codes.bin the code table. The description in/menu.trc begins "[Init]",
// "Source=../in/game.exe", "Target=../in/menu.txt", "CodeTable=../in/codes.bin"; part 0 goes
// on from there (BlockSize, the end of Init, the blocks).
//
// Checks: only the system's own errors; the executable is the one file that may change, and
// only in place (its size stays); an insertion that fails leaves it byte for byte; nothing is
// created anywhere, out/ stays empty.
#include <cstdint>

#include "formats/format_handlers.h"
#include "fuzz_support.h"
#include "support/recording_host.h"

using namespace skerrow;
using namespace skerrow::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 4, 4);
  const std::string description = scratch.In("menu.trc");
  const std::string exe = scratch.In("game.exe");
  WriteFile(description,
            "[Init]\r\nSource=../in/game.exe\r\nTarget=../in/menu.txt\r\n"
            "CodeTable=../in/codes.bin\r\n" +
                parts[0]);
  WriteFile(exe, parts[1]);
  WriteFile(scratch.In("menu.txt"), parts[2]);
  WriteFile(scratch.In("codes.bin"), parts[3]);
  const TTree before = Snapshot(scratch.Root());

  bool inserted = false;
  {
    testing::THostedState run(scratch.Out());
    TProcessState& state = run.State;
    state.CurrentSource = description;
    state.SourceStream = std::make_unique<TFileStream>(description, TFileStream::Mode::kReadWrite);
    try {
      if (InsertExeText(state, scratch.Out("menu.trc"), 7) != 7) Fail("insertion consumed lines");
      inserted = true;
    } catch (const std::exception& error) {
      CheckSystemError(error);
    }
    state.Sections.SectionLines.reset();  // the reader's write-back has a target of its own
  }

  const TTree after = Snapshot(scratch.Root());
  CheckOutsideOutput(before, after, {"in/game.exe"});
  const std::string patched = ReadFile(exe);
  if (patched.size() != parts[1].size()) Fail("the executable changed its size");
  if (!inserted && patched != parts[1]) Fail("a failed insertion changed the executable");
  for (const auto& [path, content] : after) {
    if (path.starts_with("out/")) Fail("insertion created " + path);
  }
  return 0;
}
