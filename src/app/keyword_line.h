// The grammar of a result log line as the replay reads it.
//
// The first word of a line is its first run of characters other than blank, tab, vertical tab
// and form feed. A keyword line is one whose first word is "#Format:", "#Source:" or "#Target",
// letter case included; its argument begins one separator character after the keyword and
// runs to the end of the line, blanks included. A keyword glued to its argument
// ("#Source:C:\x") is a different word, so that line is no keyword line.
#pragma once

#include <string>

namespace skerrow {

struct TKeywordLine {
  std::string Keyword;   // the first word when it is a keyword, else empty
  std::string Argument;  // the text after the keyword and its separator
};

// The first word of text, or empty.
std::string FirstWord(const std::string& text);

// Splits a line. A keyword line indented by white space is read as if it began at its
// keyword: the argument starts one character after the keyword wherever it stands.
TKeywordLine ParseKeywordLine(const std::string& line);

}  // namespace skerrow
