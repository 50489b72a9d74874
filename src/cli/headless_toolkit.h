// The toolkit of skerrow-batch: dialogs answered from the command line, the closing message to
// stdout, errors to stderr, the status line to stderr when it is a terminal, and Ctrl-C as the
// Stop button.
#pragma once

#include <string>
#include <vector>

#include "app/toolkit.h"

namespace skerrow {

class TMainForm;

class THeadlessToolkit : public TToolkit {
 public:
  THeadlessToolkit(std::vector<std::string> files, int filterPosition, std::string outputDir);

  void Attach(TMainForm* form) { form_ = form; }
  bool ErrorShown() const { return error_shown_; }

  // Makes the first SIGINT press Stop and a second one end the program at once.
  static void InstallInterruptHandler();

  bool ExecuteDialog(TFileDialog& dialog) override;
  bool BrowseForFolder(const std::string& title, std::string& folder) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override;
  void ProcessMessages() override;
  void FocusResults() override {}
  void CloseMainWindow() override {}
  std::string ApplicationTitle() const override { return "skerrow-batch"; }

 private:
  void ClearStatus();

  std::vector<std::string> files_;
  int filter_position_;
  std::string output_dir_;
  TMainForm* form_ = nullptr;
  bool error_shown_ = false;
  bool stop_pressed_ = false;
  bool show_status_ = false;
  std::string last_status_;
};

}  // namespace skerrow
