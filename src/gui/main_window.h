// The main window on Qt Widgets: TMainForm's controls as real widgets, laid out as the window
// is designed. Widgets show what the models hold; every click, key and drop goes to TMainForm.
// No behaviour of the window lives here.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "app/handler_set.h"
#include "app/main_form.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QToolButton;

namespace skerrow {

class TDropListBox;
class TQtToolkit;

class TMainWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TMainWindow(TQtToolkit& toolkit, THandlerSet& handlers = DefaultHandlers(),
                       QWidget* parent = nullptr);
  ~TMainWindow() override;

  TMainForm& Form() { return form_; }

  // Makes every widget show its model. Runs after every command, whenever pending messages
  // are let run, and before any modal dialog or box is shown.
  void SyncFromModels();
  void FocusResults();

  // Places the window at the centre of its screen.
  void CentreOnScreen();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QToolButton* MakeToolButton(const char* name, const TToolButton& model, int left,
                              void (TMainForm::*command)());
  void BuildStatusGroup();
  void Run(void (TMainForm::*command)());
  void DropFiles(const QStringList& paths);
  void SyncList();
  static void SyncBar(QProgressBar* bar, const TProgressBar& model);
  void ListSelectionChanged();

  TQtToolkit& toolkit_;
  TMainForm form_;

  QWidget* tool_bar_ = nullptr;
  std::vector<std::pair<QToolButton*, const TToolButton*>> tool_buttons_;
  TDropListBox* log_list_ = nullptr;
  QTextEdit* results_ = nullptr;
  QGroupBox* group_box_ = nullptr;
  QLabel* current_message_ = nullptr;
  QLabel* extracted_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* save_log_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QProgressBar* total_ = nullptr;

  std::vector<std::string> shown_items_;  // the list items the widget shows
  bool syncing_ = false;                  // widgets are being set from the models
  bool centred_ = false;                  // placed at the screen's centre on first showing
};

}  // namespace skerrow
