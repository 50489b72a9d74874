// The batch run: Process asks for the output folder, hands every input file to the handler of
// the list's format, collects the result log and saves it after an extraction run.
#include "app/format_table.h"
#include "app/main_form.h"
#include "platform/paths.h"

namespace skerrow {

namespace {

// Keeps the commands that change the input list or start a run disabled while a run is in
// progress, and gives them back their states afterwards, also when an error ends the run.
class TRunGuard {
 public:
  TRunGuard(bool& running, std::initializer_list<TToolButton*> commands) : running_(running) {
    running_ = true;
    for (TToolButton* command : commands) {
      saved_.push_back({command, command->Enabled});
      command->Enabled = false;
    }
  }
  ~TRunGuard() {
    running_ = false;
    for (const auto& [command, enabled] : saved_) command->Enabled = enabled;
  }
  TRunGuard(const TRunGuard&) = delete;
  TRunGuard& operator=(const TRunGuard&) = delete;

 private:
  bool& running_;
  std::vector<std::pair<TToolButton*, bool>> saved_;
};

}  // namespace

void TMainForm::BProcessClick() {
  if (running_ || LogList.Count() == 0) return;
  Results.Text.clear();
  State.ResultList.Clear();
  State.WrittenEntryPaths.clear();
  State.OutputDir = GetCurrentDir();
  stop_requested_ = false;
  stopped_ = false;

  if (SelectOutputFolder(State.OutputDir)) {
    SetCurrentDir(State.OutputDir);
    Total.SetPosition(0);
    Total.SetMax(100);
    RunFiles();
    CurrentMessage.Caption.clear();
    Extracted.Caption.clear();
    Progress.SetPosition(0);
    Total.SetPosition(0);
  }

  if (!State.ResultList.Empty() && CurrentFormat != kFormatLog && CurrentFormat != kFormatList) {
    State.ResultList.SaveToFile(JoinPath(State.OutputDir, "result.log"));
  }
  toolkit_.ShowMessage("Process status:", stopped_ ? kStoppedText : kCompleteText,
                       TMessageIcon::kInformation);
}

void TMainForm::RunFiles() {
  TRunGuard guard(running_, {&BAddLog, &BRemLog, &BClearAll, &BSaveList, &BProcess});
  for (int i = 0; i < LogList.Count(); ++i) {
    const std::string item = LogList.Items[static_cast<size_t>(i)];
    State.ResultList.Add(FormatLine(FilterAt(SelectLog.FilterIndex).FormatName));
    State.ResultList.Add(SourceLine(item));
    OnProcessFile(CurrentFormat, item);
    const int n = LogList.Count();
    if (n > 0) Total.SetPosition(i * 100 / n);
    toolkit_.ProcessMessages();
    if (stop_requested_) {
      if (i + 1 < LogList.Count()) stopped_ = true;
      break;
    }
  }
}

void TMainForm::ProcessFile(uint8_t formatCode, const std::string& path) {
  toolkit_.FocusResults();
  SaveLog.Enabled = false;
  Stop.Enabled = true;
  switch (formatCode) {
    case kFormatPackage:
      handlers_.ExtractPackage(State, path);
      break;
    case kFormatText:
      handlers_.ExtractExeText(State, path);
      break;
    case kFormatLog:
    case kFormatList:
      ReplayLog(path);
      break;
    default:
      break;
  }
  Stop.Enabled = false;
  if (!Results.Text.empty()) SaveLog.Enabled = true;
}

// The folder chooser: a folder that does not exist is created, with its parents, once the
// user agrees; declining returns to the chooser.
bool TMainForm::SelectOutputFolder(std::string& folder) {
  for (;;) {
    std::string field = folder;
    if (!toolkit_.BrowseForFolder("Select Directory", field)) return false;
    if (!IsDirectory(field)) {
      if (!toolkit_.AskYesNo("Confirm", "The specified directory does not exist. Create it?")) {
        continue;
      }
      folder = field;
      ForceDirectories(field);  // a failure shows when a handler writes into the folder
      return true;
    }
    folder = field;
    return true;
  }
}

}  // namespace skerrow
