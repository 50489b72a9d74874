#include "app/handler_set.h"

#include "formats/format_handlers.h"

namespace skerrow {

void THandlerSet::ExtractPackage(TProcessState& state, const std::string& path) {
  skerrow::ExtractPackage(state, path);
}

int32_t THandlerSet::RebuildPackage(TProcessState& state, const std::string& outputPath,
                                    int32_t firstLine) {
  return skerrow::RebuildPackage(state, outputPath, firstLine);
}

void THandlerSet::ExtractExeText(TProcessState& state, const std::string& path) {
  skerrow::ExtractExeText(state, path);
}

int32_t THandlerSet::InsertExeText(TProcessState& state, const std::string& outputPath,
                                   int32_t firstLine) {
  return skerrow::InsertExeText(state, outputPath, firstLine);
}

THandlerSet& DefaultHandlers() {
  static THandlerSet handlers;
  return handlers;
}

}  // namespace skerrow
