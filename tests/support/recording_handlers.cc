#include "support/recording_handlers.h"

#include "platform/error.h"
#include "platform/paths.h"

namespace skerrow::testing {

void TRecordingHandlers::Record(TProcessState& state, const char* handler, const std::string& path,
                                int firstLine, const std::string& failKey) {
  Calls.push_back({handler, path, firstLine, state.CurrentSource, state.SourceStream != nullptr,
                   state.OutputDir, GetCurrentDir()});
  if (During) During(state);
  const auto fail = FailOn.find(failKey);
  if (fail != FailOn.end()) throw Error(fail->second);
}

void TRecordingHandlers::ExtractPackage(TProcessState& state, const std::string& path) {
  Record(state, "ExtractPackage", path, -1, path);
}

int32_t TRecordingHandlers::RebuildPackage(TProcessState& state, const std::string& outputPath,
                                           int32_t firstLine) {
  Record(state, "RebuildPackage", outputPath, firstLine, state.CurrentSource);
  return firstLine + EntriesPerPackage;
}

void TRecordingHandlers::ExtractExeText(TProcessState& state, const std::string& path) {
  Record(state, "ExtractExeText", path, -1, path);
}

int32_t TRecordingHandlers::InsertExeText(TProcessState& state, const std::string& outputPath,
                                          int32_t firstLine) {
  state.SourceStream.reset();  // as the real insertion does before reading the description
  Record(state, "InsertExeText", outputPath, firstLine, state.CurrentSource);
  return firstLine;
}

}  // namespace skerrow::testing
