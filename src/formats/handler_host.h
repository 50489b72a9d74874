// What the format handlers may ask of the window while they run: the status line, the
// per-file bar, and letting pending window messages run. The window's logic implements it;
// the handlers know nothing else of it.
#pragma once

#include <string>

namespace skerrow {

class THandlerHost {
 public:
  virtual ~THandlerHost() = default;

  virtual void SetStatus(const std::string& text) = 0;  // CurrentMessage
  virtual int ProgressPosition() const = 0;             // Progress
  virtual void SetProgressPosition(int position) = 0;
  virtual void SetProgressMax(int maximum) = 0;
  virtual void ProcessMessages() = 0;
};

// "Processing " + the file name part of path + "...".
std::string ProcessingText(const std::string& path);

}  // namespace skerrow
