#include "formats/format_handlers.h"
#include "platform/error.h"

namespace skerrow {

void ExtractExeText(TProcessState&, const std::string&) {
  throw Error("Executable text extraction is not part of this build");
}

int32_t InsertExeText(TProcessState&, const std::string&, int32_t) {
  throw Error("Executable text insertion is not part of this build");
}

}  // namespace skerrow
