// The toolkit of the real window: TMainForm's dialogs, boxes and message pumping done with Qt.
// Every modal dialog and box is shown through one virtual Run... call, so a test can answer it
// in place of a user after the dialog has been set up exactly as the user would see it.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "app/toolkit.h"

class QFileDialog;
class QMessageBox;
class QWidget;

namespace skerrow {

class TFolderChooser;
class TMainWindow;

// File names cross between Qt and the core in the local 8-bit encoding of file names.
std::string ToBytes(const QString& text);
QString FromBytes(const std::string& bytes);
// The same for a path, with the platform's own separators.
std::string PathToBytes(const QString& path);

class TQtToolkit : public TToolkit {
 public:
  TQtToolkit() = default;
  TQtToolkit(const TQtToolkit&) = delete;
  TQtToolkit& operator=(const TQtToolkit&) = delete;

  // The window that owns the dialogs and boxes and whose widgets follow the models.
  void Attach(TMainWindow* window) { window_ = window; }

  bool ExecuteDialog(TFileDialog& dialog) override;
  bool BrowseForFolder(const std::string& title, std::string& folder) override;
  bool AskYesNo(const std::string& title, const std::string& text) override;
  void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override;
  void ProcessMessages() override;
  void FocusResults() override;
  void CloseMainWindow() override;
  std::string ApplicationTitle() const override;

  // Sets up a Qt file dialog as the model describes it: title, open or save, the filters in
  // their order with the filter in force selected, default suffix, and the checks.
  static void Configure(QFileDialog& qt, const TFileDialog& model);
  // The Qt name filter of one filter row, "Text (pattern)".
  static QString NameFilter(const TFilter& filter);

 protected:
  // Shows a configured file dialog; on confirmation fills files (full paths, in the dialog's
  // order) and nameFilter (the filter shown at that moment) and returns true.
  virtual bool RunFileDialog(QFileDialog& dialog, QStringList& files, QString& nameFilter);
  virtual bool RunFolderChooser(TFolderChooser& chooser);
  // Shows a box and returns the standard button that closed it.
  virtual int RunMessageBox(QMessageBox& box);

  QWidget* Owner() const;

 private:
  void SyncWindow();

  TMainWindow* window_ = nullptr;
};

}  // namespace skerrow
