// A toolkit whose dialogs answer from a script the test writes, and which records every
// message box and every time pending messages were let run.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/toolkit.h"

namespace skerrow::testing {

struct TShownMessage {
  std::string Title;
  std::string Text;
  TMessageIcon Icon;
};

class TScriptedToolkit : public TToolkit {
 public:
  // The answer to the next file dialog: files and the filter shown; nullopt cancels.
  struct TDialogAnswer {
    std::vector<std::string> Files;
    int FilterIndex = 0;  // 0 keeps the dialog's own
  };
  std::deque<std::optional<TDialogAnswer>> DialogAnswers;
  // The answers of the folder chooser, in turn: a folder text, or nullopt for Cancel.
  std::deque<std::optional<std::string>> FolderAnswers;
  std::deque<bool> YesNoAnswers;
  // Runs inside ProcessMessages, as a user's click would.
  std::function<void()> OnProcessMessages;

  std::vector<TShownMessage> Messages;
  std::vector<std::string> FoldersOffered;  // the folder each chooser opened at
  std::vector<std::string> Questions;
  std::vector<TFileDialog> DialogsShown;  // as they were when opened
  int ProcessMessagesCalls = 0;
  int FocusCalls = 0;
  int CloseCalls = 0;

  bool ExecuteDialog(TFileDialog& dialog) override;
  bool BrowseForFolder(const std::string& title, std::string& folder) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override;
  void ProcessMessages() override;
  void FocusResults() override { ++FocusCalls; }
  void CloseMainWindow() override { ++CloseCalls; }
  std::string ApplicationTitle() const override { return "skerrow"; }
};

}  // namespace skerrow::testing
