#include "cli/headless_toolkit.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "app/main_form.h"

namespace skerrow {

namespace {

std::atomic<int> g_interrupts{0};

void OnInterrupt(int) {
  if (g_interrupts.fetch_add(1) >= 1) ::_exit(130);
}

}  // namespace

THeadlessToolkit::THeadlessToolkit(std::vector<std::string> files, int filterPosition,
                                   std::string outputDir)
    : files_(std::move(files)),
      filter_position_(filterPosition),
      output_dir_(std::move(outputDir)),
      show_status_(::isatty(STDERR_FILENO) == 1) {}

void THeadlessToolkit::InstallInterruptHandler() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  action.sa_flags = SA_RESTART;  // a read or open in progress goes on; the run stops after it
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

bool THeadlessToolkit::ExecuteDialog(TFileDialog& dialog) {
  // Only the open dialog of Add has an answer on the command line.
  if (dialog.DialogKind != TFileDialog::Kind::kOpen) return false;
  dialog.Files = files_;
  dialog.FilterIndex = filter_position_;
  return true;
}

bool THeadlessToolkit::BrowseForFolder(const std::string&, std::string& folder) {
  folder = output_dir_;
  return true;
}

bool THeadlessToolkit::AskYesNo(const std::string&, const std::string&) {
  return true;  // a missing output folder is created
}

void THeadlessToolkit::ShowMessage(const std::string&, const std::string& text, TMessageIcon icon) {
  ClearStatus();
  if (icon == TMessageIcon::kError) {
    error_shown_ = true;
    std::cerr << "skerrow-batch: " << text << std::endl;
  } else {
    std::cout << text << std::endl;
  }
}

void THeadlessToolkit::ProcessMessages() {
  if (g_interrupts.load() > 0 && !stop_pressed_ && form_ != nullptr) {
    stop_pressed_ = true;
    form_->StopClick();
    if (show_status_) std::cerr << "\nStopping after the file in hand...\n";
  }
  if (!show_status_ || form_ == nullptr) return;
  const std::string status = form_->CurrentMessage.Caption + "  " +
                             std::to_string(form_->Progress.Position) + "%  (run " +
                             std::to_string(form_->Total.Position) + "%)";
  if (status == last_status_) return;
  last_status_ = status;
  std::fprintf(stderr, "\r\033[K%s", status.c_str());
  std::fflush(stderr);
}

void THeadlessToolkit::ClearStatus() {
  if (show_status_ && !last_status_.empty()) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    last_status_.clear();
  }
}

}  // namespace skerrow
