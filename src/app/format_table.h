// The kinds of input file: the open dialog's filter table, the format code each filter
// assigns, the format name a run writes, and the result log's keywords.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/controls.h"

namespace skerrow {

// Format codes.
inline constexpr uint8_t kFormatNone = 0;     // no Add confirmed yet
inline constexpr uint8_t kFormatLog = 1;      // result logs (.log)
inline constexpr uint8_t kFormatPackage = 2;  // packages (.dat)
inline constexpr uint8_t kFormatText = 3;     // block description files (.trc)
inline constexpr uint8_t kFormatList = 4;     // project lists (.lst)
inline constexpr uint8_t kFormatUnknown = 5;  // replay only: no known format in force

struct TFilterRow {
  const char* Text;
  const char* Pattern;
  uint8_t FormatCode;
  const char* FormatName;
};

// Indexed by filter position less one.
inline constexpr std::array<TFilterRow, 4> kFilterTable = {{
    {"Motocross packages (*.dat)", "*.dat", kFormatPackage, "DAT"},
    {"EXE Text (*.trc)", "*.trc", kFormatText, "TRC"},
    {"Project list files (*.lst)", "*.lst", kFormatList, ""},
    {"Log files (*.log)", "*.log", kFormatLog, ""},
}};

inline constexpr const char* kKeywordFormat = "#Format:";
inline constexpr const char* kKeywordSource = "#Source:";
inline constexpr const char* kKeywordTarget = "#Target";

// The filter row at a filter position (1 to 4); out-of-range positions give the first row.
const TFilterRow& FilterAt(int filterPosition);

// The filter position whose format code is code, or 0.
int FilterPositionOfFormat(uint8_t code);

// The filter position whose pattern matches the extension ext (dot included, any letter
// case: ".DAT" gives 1), or 0.
int FilterPositionOfExt(const std::string& ext);

// "#Format: " + name and "#Source: " + path.
std::string FormatLine(const std::string& formatName);
std::string SourceLine(const std::string& path);

}  // namespace skerrow
