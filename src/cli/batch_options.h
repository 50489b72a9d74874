// The command line of skerrow-batch:  --out DIR [--kind dat|trc|lst|log] FILE...
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skerrow {

struct TBatchOptions {
  std::string OutputDir;
  int FilterPosition = 0;  // of the open dialog's filter table
  std::vector<std::string> Files;
  bool Help = false;
  bool Version = false;
};

// Parses the arguments (without the program name). A usage error is returned as its message.
struct TParsedOptions {
  std::optional<TBatchOptions> Options;
  std::string UsageError;
};
TParsedOptions ParseBatchOptions(const std::vector<std::string>& args);

extern const char* const kBatchUsage;

}  // namespace skerrow
