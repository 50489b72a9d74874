// What the window's logic asks of a toolkit: dialogs, the folder chooser, message boxes, the
// error display, the keyboard focus, closing the window and letting pending messages run.
// The Qt window, the headless batch front end and the tests' scripted toolkit implement it.
#pragma once

#include <string>

#include "app/controls.h"

namespace skerrow {

enum class TMessageIcon { kInformation, kError, kQuestion };

class TToolkit {
 public:
  virtual ~TToolkit() = default;

  // Shows an open or save dialog. On confirmation it returns true, with dialog.Files holding
  // the chosen paths and dialog.FilterIndex the filter shown when the user confirmed; on
  // cancel it returns false and changes nothing.
  virtual bool ExecuteDialog(TFileDialog& dialog) = 0;

  // The folder chooser's own dialog, opened at folder. On confirmation it returns true with
  // the text of its path field in folder (which need not exist yet).
  virtual bool BrowseForFolder(const std::string& title, std::string& folder) = 0;

  // A question with Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;

  // A modal message box with an OK button, owned by the main window.
  virtual void ShowMessage(const std::string& title, const std::string& text,
                           TMessageIcon icon) = 0;

  // Handles every window message already waiting, then returns at once.
  virtual void ProcessMessages() = 0;

  virtual void FocusResults() = 0;
  virtual void CloseMainWindow() = 0;

  // The application's title, which the error display uses.
  virtual std::string ApplicationTitle() const = 0;
};

}  // namespace skerrow
