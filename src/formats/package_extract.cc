#include "formats/format_handlers.h"
#include "platform/error.h"

namespace skerrow {

void ExtractPackage(TProcessState&, const std::string&) {
  throw Error("Package extraction is not part of this build");
}

int32_t RebuildPackage(TProcessState&, const std::string&, int32_t) {
  throw Error("Package rebuild is not part of this build");
}

}  // namespace skerrow
