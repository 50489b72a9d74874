#include "app/rtf_writer.h"

namespace skerrow {

std::string PlainTextToRtf(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
      "{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    switch (c) {
      case '\\':
      case '{':
      case '}':
        rtf += '\\';
        rtf += static_cast<char>(c);
        break;
      case '\r':
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        [[fallthrough]];
      case '\n':
        rtf += "\\par\r\n";
        break;
      case '\t':
        rtf += "\\tab ";
        break;
      default:
        if (c >= 0x80 || c < 0x20) {
          rtf += "\\'";
          rtf += kHex[c >> 4];
          rtf += kHex[c & 15];
        } else {
          rtf += static_cast<char>(c);
        }
    }
  }
  rtf += "\\par\r\n}\r\n";
  return rtf;
}

}  // namespace skerrow
