// Runs the real skerrow-batch program and collects what it printed and its exit status.
#pragma once

#include <string>
#include <vector>

namespace skerrow::testing {

struct TBatchResult {
  int ExitCode = -1;
  std::string Out;
  std::string Err;
};

// Runs skerrow-batch with args in the folder cwd (the current one when empty).
TBatchResult RunBatch(const std::vector<std::string>& args, const std::string& cwd = "");

}  // namespace skerrow::testing
