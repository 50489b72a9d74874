// TMainForm: the main window without its pixels. Every control is a model, every command a
// method; what only a toolkit can do (dialogs, boxes, pumping messages) goes through TToolkit.
// The Qt window and the batch front end drive this very class.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/handler_set.h"
#include "app/toolkit.h"
#include "formats/handler_host.h"
#include "formats/process_state.h"

namespace skerrow {

class TMainForm : private THandlerHost {
 public:
  explicit TMainForm(TToolkit& toolkit, THandlerSet& handlers = DefaultHandlers());
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  static constexpr const char* kTitle = "Skerrow";
  static constexpr int kClientWidth = 688;
  static constexpr int kClientHeight = 464;

  // Controls, in the window's declaration order. (ToolBar1, the image lists and GroupBox1
  // carry no state and live in the real window only.)
  TToolButton BAddLog{0, true};
  TToolButton BRemLog{2, false};
  TToolButton BProcess{3, false};
  TToolButton BExit{4, true};
  TListBox LogList;
  TFileDialog SelectLog;
  TFileDialog SaveLST;
  TToolButton BSaveList{1, false};
  TRichEdit Results;
  TProgressBar Progress;
  TLabel CurrentMessage;
  TButton Stop{"Stop", false};
  TButton SaveLog{"Save results", false};
  TFileDialog SaveRes;
  TLabel Extracted{"Extracted: 0"};
  TProgressBar Total;
  TToolButton BClearAll{5, false};

  // Further fields.
  std::function<void(uint8_t, const std::string&)> OnProcessFile;
  uint8_t CurrentFormat = 0;
  uint8_t ReplayFormat = 0;

  // The state the batch run shares with the handlers: OutputDir, CurrentSource, SourceStream,
  // ResultList, ScriptList and the open section file.
  TProcessState State;

  // Command handlers. They raise errors; Invoke runs one and shows what it raises.
  void FormCreate();
  void FormDestroy();
  void BAddLogClick();
  void BSaveListClick();
  void BRemLogClick();
  void BClearAllClick();
  void BProcessClick();
  void BExitClick();
  void StopClick();
  void SaveLogClick();

  // The batch run's per-file dispatch and the replay of one result log.
  void ProcessFile(uint8_t formatCode, const std::string& path);
  void ReplayLog(const std::string& path);

  // Files dropped onto the input list, added as Add adds the files its dialog returns, under
  // the filter that their extension names (which also becomes the filter in force). A drop
  // whose files are not all of one known kind is refused with kMixedDropText before anything
  // changes; during a run a drop is ignored, as Add is.
  void AddDroppedFiles(const std::vector<std::string>& paths);
  static constexpr const char* kMixedDropText =
      "Only files of one kind can be dropped: all .dat, all .trc, all .lst or all .log";

  // Runs a command; an error it raises is shown by the error display. Returns false then.
  bool Invoke(void (TMainForm::*command)());
  bool Invoke(const std::function<void()>& command);

  // The error display's text: the message, with "." added when its last byte sorts after ".".
  static std::string ErrorDisplayText(const std::string& message);
  void ShowException(const std::exception& error);

  // A batch run is in progress (its commands then stay disabled).
  bool Running() const { return running_; }
  // The window asks whether it may close now; during a run it closes after the run.
  bool CloseQuery();
  // The last run ended early because Stop was pressed.
  bool WasStopped() const { return stopped_; }

  static constexpr const char* kCompleteText = "Operation complete!";
  static constexpr const char* kStoppedText =
      "Operation stopped: the run ended after the file in hand.";

 private:
  // THandlerHost, for the format handlers.
  void SetStatus(const std::string& text) override { CurrentMessage.Caption = text; }
  int ProgressPosition() const override { return Progress.Position; }
  void SetProgressPosition(int position) override { Progress.SetPosition(position); }
  void SetProgressMax(int maximum) override { Progress.SetMax(maximum); }
  void ProcessMessages() override { toolkit_.ProcessMessages(); }

  void AddChosenFiles();
  bool SelectOutputFolder(std::string& folder);
  void EnableListCommands(bool enabled);
  void RunFiles();
  void ReplaySourceLine(int& line, const std::string& source);

  TToolkit& toolkit_;
  THandlerSet& handlers_;
  bool running_ = false;
  bool stop_requested_ = false;
  bool stopped_ = false;
  bool close_after_run_ = false;
};

}  // namespace skerrow
