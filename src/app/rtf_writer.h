// The results pane as a Rich Text Format document: a proper header, "\", "{" and "}" escaped,
// bytes above 127 as \'hh (Windows-1252), tabs as \tab and line breaks as \par.
#pragma once

#include <string>

namespace skerrow {

std::string PlainTextToRtf(const std::string& text);

}  // namespace skerrow
