// Format handlers that record how the window called them, and can be told to fail, to consume
// lines or to run something (a click, a progress step) while they run.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/handler_set.h"

namespace skerrow::testing {

struct THandlerCall {
  std::string Handler;  // "ExtractPackage", "RebuildPackage", "ExtractExeText", "InsertExeText"
  std::string Path;     // the input path, or the output path of a replay handler
  int FirstLine = -1;
  std::string CurrentSource;
  bool SourceOpen = false;
  std::string OutputDir;
  std::string WorkingDir;
};

class TRecordingHandlers : public THandlerSet {
 public:
  std::vector<THandlerCall> Calls;
  // Calls whose input path is a key raise this message.
  std::map<std::string, std::string> FailOn;
  // Lines a RebuildPackage consumes (its package's entry count).
  int EntriesPerPackage = 0;
  // Runs inside every handler call.
  std::function<void(TProcessState&)> During;

  void ExtractPackage(TProcessState& state, const std::string& path) override;
  int32_t RebuildPackage(TProcessState& state, const std::string& outputPath,
                         int32_t firstLine) override;
  void ExtractExeText(TProcessState& state, const std::string& path) override;
  int32_t InsertExeText(TProcessState& state, const std::string& outputPath,
                        int32_t firstLine) override;

 private:
  void Record(TProcessState& state, const char* handler, const std::string& path, int firstLine,
              const std::string& failKey);
};

}  // namespace skerrow::testing
