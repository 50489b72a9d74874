// Writing a whole file over the one at a path without ever leaving it cut short.
#pragma once

#include <string>

namespace skerrow {

// Writes text to path the way a lock file does: into a file beside it, renamed over it when
// complete, the old file's permissions kept. A new path is simply created. Where no file can
// be made beside it (a folder that only allows writing the file itself) or the path is a link,
// the file is rewritten in place. A file already holding text is left alone. A file there
// that this process may not write raises "Cannot create file %s"; a short write raises
// "Stream write error" and leaves the old file as it was.
void ReplaceFile(const std::string& path, const std::string& text);

}  // namespace skerrow
