// The state that one program shares between the batch run, the replay and the format
// handlers. The window owns one; tests make their own, so they can run side by side.
#pragma once

#include <memory>
#include <string>
#include <unordered_set>

#include "formats/handler_host.h"
#include "ini/section_file.h"
#include "platform/file_stream.h"
#include "platform/text_lines.h"

namespace skerrow {

struct TProcessState {
  std::string OutputDir;                      // the output folder of the current batch run
  std::string CurrentSource;                  // the source path of the last replayed source line
  std::unique_ptr<TFileStream> SourceStream;  // the replayed source, or none
  TStringList ResultList;                     // the lines of the result log being built
  TStringList ScriptList;                     // the lines of the log being replayed
  TSectionReader Sections;                    // the open section file
  // Entry files written by the package extractions of the current batch run, so a later
  // package never replaces one of them. The batch run empties it at its start.
  std::unordered_set<std::string> WrittenEntryPaths;
  THandlerHost* Host = nullptr;
};

}  // namespace skerrow
