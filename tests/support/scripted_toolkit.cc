#include "support/scripted_toolkit.h"

#include <stdexcept>

namespace skerrow::testing {

bool TScriptedToolkit::ExecuteDialog(TFileDialog& dialog) {
  DialogsShown.push_back(dialog);
  if (DialogAnswers.empty()) throw std::logic_error("a dialog opened that the test did not expect");
  auto answer = DialogAnswers.front();
  DialogAnswers.pop_front();
  if (!answer) return false;
  dialog.Files = answer->Files;
  if (answer->FilterIndex != 0) dialog.FilterIndex = answer->FilterIndex;
  return true;
}

bool TScriptedToolkit::BrowseForFolder(const std::string&, std::string& folder) {
  FoldersOffered.push_back(folder);
  if (FolderAnswers.empty()) throw std::logic_error("a folder chooser the test did not expect");
  auto answer = FolderAnswers.front();
  FolderAnswers.pop_front();
  if (!answer) return false;
  folder = *answer;
  return true;
}

bool TScriptedToolkit::AskYesNo(const std::string&, const std::string& text) {
  Questions.push_back(text);
  if (YesNoAnswers.empty()) throw std::logic_error("a question the test did not expect");
  const bool yes = YesNoAnswers.front();
  YesNoAnswers.pop_front();
  return yes;
}

void TScriptedToolkit::ShowMessage(const std::string& title, const std::string& text,
                                   TMessageIcon icon) {
  Messages.push_back({title, text, icon});
}

void TScriptedToolkit::ProcessMessages() {
  ++ProcessMessagesCalls;
  if (OnProcessMessages) OnProcessMessages();
}

}  // namespace skerrow::testing
