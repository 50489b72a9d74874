// The format handlers as the window calls them. The default set calls the real handlers; tests
// put in their own to watch the dispatch and the replay.
#pragma once

#include <cstdint>
#include <string>

#include "formats/process_state.h"

namespace skerrow {

class THandlerSet {
 public:
  virtual ~THandlerSet() = default;
  virtual void ExtractPackage(TProcessState& state, const std::string& path);
  virtual int32_t RebuildPackage(TProcessState& state, const std::string& outputPath,
                                 int32_t firstLine);
  virtual void ExtractExeText(TProcessState& state, const std::string& path);
  virtual int32_t InsertExeText(TProcessState& state, const std::string& outputPath,
                                int32_t firstLine);
};

// The handlers of the format modules.
THandlerSet& DefaultHandlers();

}  // namespace skerrow
