#include "app/main_form.h"

#include "app/format_table.h"
#include "app/rtf_writer.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"
#include "platform/text_lines.h"

namespace skerrow {

namespace {

// The three file dialogs as the window declares them. Built whole, with designated
// initialisers, rather than member by member.
TFileDialog SelectLogDialog() {
  TFileDialog dialog{.DialogKind = TFileDialog::Kind::kOpen,
                     .Title = "Select file...",
                     .FilterIndex = 1,
                     .DefaultExt = "*",
                     .AllowMultiSelect = true,
                     .MustExist = true};
  for (const auto& row : kFilterTable) dialog.Filters.push_back({row.Text, row.Pattern});
  return dialog;
}

TFileDialog SaveListDialog() {
  return {.DialogKind = TFileDialog::Kind::kSave,
          .Title = "Select file...",
          .Filters = {{"Project list files (*.lst)", "*.lst"}},
          .DefaultExt = "lst",
          .OverwritePrompt = true,
          .Resizable = true};
}

TFileDialog SaveResultsDialog() {
  return {.DialogKind = TFileDialog::Kind::kSave,
          .Title = "Select target...",
          .Filters = {{"Text files (*.txt)", "*.txt"}},
          .DefaultExt = "txt",
          .OverwritePrompt = true};
}

}  // namespace

TMainForm::TMainForm(TToolkit& toolkit, THandlerSet& handlers)
    : SelectLog(SelectLogDialog()),
      SaveLST(SaveListDialog()),
      SaveRes(SaveResultsDialog()),
      toolkit_(toolkit),
      handlers_(handlers) {
  State.Host = this;
}

void TMainForm::FormCreate() {
  OnProcessFile = [this](uint8_t code, const std::string& path) { ProcessFile(code, path); };
  State.ResultList.Clear();
  State.ScriptList.Clear();
}

void TMainForm::FormDestroy() {
  State.ResultList.Clear();
  State.ScriptList.Clear();
  State.SourceStream.reset();
}

void TMainForm::EnableListCommands(bool enabled) {
  BClearAll.Enabled = enabled;
  BRemLog.Enabled = enabled;
  BProcess.Enabled = enabled;
  BSaveList.Enabled = enabled;
}

void TMainForm::BAddLogClick() {
  if (running_) return;
  BRemLog.Enabled = false;
  BProcess.Enabled = false;
  BSaveList.Enabled = false;
  if (toolkit_.ExecuteDialog(SelectLog)) AddChosenFiles();
  if (LogList.Count() > 0) EnableListCommands(true);
}

// What a confirmed SelectLog adds: SelectLog.Files under the filter in force.
void TMainForm::AddChosenFiles() {
  const uint8_t code = FilterAt(SelectLog.FilterIndex).FormatCode;
  if (code != CurrentFormat) LogList.Clear();
  CurrentFormat = code;
  if (code == kFormatList) {
    TStringList list;
    list.LoadFromFile(SelectLog.FileName());
    LogList.SetItems(std::move(list.Lines()));
  } else {
    for (const auto& file : SelectLog.Files) LogList.Add(file);
  }
}

void TMainForm::AddDroppedFiles(const std::vector<std::string>& paths) {
  if (running_ || paths.empty()) return;
  int position = 0;
  for (const auto& path : paths) {
    const int own = FilterPositionOfExt(ExtractExt(path));
    if (own == 0 || (position != 0 && own != position)) throw Error(kMixedDropText);
    position = own;
  }
  BRemLog.Enabled = false;
  BProcess.Enabled = false;
  BSaveList.Enabled = false;
  SelectLog.FilterIndex = position;
  SelectLog.Files = paths;
  AddChosenFiles();
  if (LogList.Count() > 0) EnableListCommands(true);
}

void TMainForm::BSaveListClick() {
  if (running_) return;
  if (!toolkit_.ExecuteDialog(SaveLST)) return;
  TStringList(LogList.Items).SaveToFile(SaveLST.FileName());
}

void TMainForm::BRemLogClick() {
  if (running_) return;
  std::vector<std::string> kept;
  for (int i = 0; i < LogList.Count(); ++i) {
    if (!LogList.Selected[static_cast<size_t>(i)])
      kept.push_back(LogList.Items[static_cast<size_t>(i)]);
  }
  LogList.SetItems(std::move(kept));
  if (LogList.Count() > 0) {
    LogList.ItemIndex = LogList.Count() - 1;
  } else {
    EnableListCommands(false);
  }
}

void TMainForm::BClearAllClick() {
  if (running_) return;
  LogList.Clear();
  EnableListCommands(false);
}

void TMainForm::BExitClick() {
  if (CloseQuery()) toolkit_.CloseMainWindow();
}

bool TMainForm::CloseQuery() {
  if (!running_) return true;
  close_after_run_ = true;
  return false;
}

void TMainForm::StopClick() {
  Stop.Enabled = false;
  if (running_) stop_requested_ = true;
}

void TMainForm::SaveLogClick() {
  if (!toolkit_.ExecuteDialog(SaveRes)) return;
  const std::string path = SaveRes.FileName();
  {
    TFileStream file(path, TFileStream::Mode::kCreate);
    const std::string rtf = PlainTextToRtf(Results.Text);
    try {
      file.WriteBuffer(rtf.data(), rtf.size());
    } catch (const Error&) {
      throw Error("Failed to Save Stream");
    }
  }
  toolkit_.ShowMessage("Operation status", FileNamePart(path), TMessageIcon::kInformation);
  SaveLog.Enabled = false;
}

std::string TMainForm::ErrorDisplayText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

void TMainForm::ShowException(const std::exception& error) {
  toolkit_.ShowMessage(toolkit_.ApplicationTitle(), ErrorDisplayText(error.what()),
                       TMessageIcon::kError);
}

bool TMainForm::Invoke(void (TMainForm::*command)()) {
  return Invoke([this, command] { (this->*command)(); });
}

bool TMainForm::Invoke(const std::function<void()>& command) {
  bool ok = true;
  try {
    command();
  } catch (const std::exception& error) {
    ok = false;
    ShowException(error);
  }
  if (close_after_run_ && !running_) {
    close_after_run_ = false;
    toolkit_.CloseMainWindow();
  }
  return ok;
}

}  // namespace skerrow
