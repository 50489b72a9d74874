#include "formats/handler_host.h"

#include "platform/paths.h"

namespace skerrow {

std::string ProcessingText(const std::string& path) {
  return "Processing " + FileNamePart(path) + "...";
}

}  // namespace skerrow
