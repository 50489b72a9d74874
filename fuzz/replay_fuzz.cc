// The replay of a result log through the window's ReplayLog with the real handlers.
//
// Parts: 0 in/result.log; 1 and on in/f1, in/f2, ... the files it may name, as "../in/f1"
// (the working folder is out/): packages, descriptions, executables, target texts, code
// tables.
//
// Checks: only the system's own errors; nothing created outside out/; outside out/ nothing
// changes unless a "TRC" format line is in the log, since only text insertion patches files
// where they lie (its executable, and the description the section reader writes back); a
// package rebuilt into out/ leaves no temporary file beside it.
#include <cstdint>
#include <set>

#include "app/main_form.h"
#include "fuzz_support.h"
#include "support/scripted_toolkit.h"

using namespace skerrow;
using namespace skerrow::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TScratch& scratch = Scratch();
  const std::vector<std::string> parts = scratch.Start(data, size, 1, 6);
  const std::string log = scratch.In("result.log");
  WriteFile(log, parts[0]);
  std::set<std::string> may_change;
  const bool inserts = parts[0].find("TRC") != std::string::npos;
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string name = "f" + std::to_string(i);
    WriteFile(scratch.In(name), parts[i]);
    if (inserts) may_change.insert("in/" + name);
  }
  if (inserts) may_change.insert("in/result.log");
  const TTree before = Snapshot(scratch.Root());

  {
    testing::TScriptedToolkit toolkit;
    TMainForm form(toolkit);
    form.FormCreate();
    form.State.OutputDir = scratch.Out();
    try {
      form.ReplayLog(log);
    } catch (const std::exception& error) {
      CheckSystemError(error);
    }
    form.State.SourceStream.reset();
    form.FormDestroy();
  }

  const TTree after = Snapshot(scratch.Root());
  CheckOutsideOutput(before, after, may_change);
  for (const auto& [path, content] : after) {
    if (path.starts_with("out/") && path.find(".skerrow-") != std::string::npos) {
      Fail("a temporary file left in the output folder: " + path);
    }
  }
  return 0;
}
