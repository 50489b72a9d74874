// The four format handlers, each a free operation over the shared state.
//
//   ExtractPackage  a package (.dat) into entry files under OutputDir; entry lines to ResultList
//   RebuildPackage  SourceStream and the entry lines of ScriptList into a new package
//   ExtractExeText  a block description (.trc): executable text into OutputDir
//   InsertExeText   the edited text of the description at CurrentSource into the executable
//
// The two replay handlers take the index of the line after their source line and return the
// index of the first line they did not consume.
#pragma once

#include <cstdint>
#include <string>

#include "formats/process_state.h"

namespace skerrow {

void ExtractPackage(TProcessState& state, const std::string& packagePath);
int32_t RebuildPackage(TProcessState& state, const std::string& outputPath, int32_t firstLine);
void ExtractExeText(TProcessState& state, const std::string& descriptionPath);
int32_t InsertExeText(TProcessState& state, const std::string& outputPath, int32_t firstLine);

}  // namespace skerrow
