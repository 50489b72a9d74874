#include "gui/qt_toolkit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "gui/folder_chooser.h"
#include "gui/main_window.h"

namespace skerrow {

std::string ToBytes(const QString& text) {
  return QFile::encodeName(text).toStdString();
}

QString FromBytes(const std::string& bytes) {
  return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string PathToBytes(const QString& path) {
  return ToBytes(QDir::toNativeSeparators(path));
}

QWidget* TQtToolkit::Owner() const {
  return window_;
}

void TQtToolkit::SyncWindow() {
  if (window_ != nullptr) window_->SyncFromModels();
}

QString TQtToolkit::NameFilter(const TFilter& filter) {
  const QString text = FromBytes(filter.Text);
  const QString pattern = FromBytes(filter.Pattern);
  // The filter texts already name their pattern, as in "Log files (*.log)".
  if (text.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))) return text;
  return text + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

void TQtToolkit::Configure(QFileDialog& qt, const TFileDialog& model) {
  const bool open = model.DialogKind == TFileDialog::Kind::kOpen;
  qt.setWindowTitle(FromBytes(model.Title));
  qt.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  if (open && model.MustExist) {
    qt.setFileMode(model.AllowMultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  } else {
    qt.setFileMode(QFileDialog::AnyFile);
  }
  qt.setOption(QFileDialog::DontConfirmOverwrite, !model.OverwritePrompt);
  qt.setSizeGripEnabled(model.Resizable);

  QStringList filters;
  for (const auto& filter : model.Filters) filters << NameFilter(filter);
  qt.setNameFilters(filters);
  if (model.FilterIndex >= 1 && model.FilterIndex <= filters.size()) {
    qt.selectNameFilter(filters.at(model.FilterIndex - 1));
  }
  // "*" asks for no particular extension.
  if (!model.DefaultExt.empty() && model.DefaultExt != "*") {
    qt.setDefaultSuffix(FromBytes(model.DefaultExt));
  }
  qt.setDirectory(QDir::currentPath());
}

bool TQtToolkit::RunFileDialog(QFileDialog& dialog, QStringList& files, QString& nameFilter) {
  if (dialog.exec() != QDialog::Accepted) return false;
  files = dialog.selectedFiles();
  nameFilter = dialog.selectedNameFilter();
  return true;
}

bool TQtToolkit::ExecuteDialog(TFileDialog& dialog) {
  SyncWindow();
  QFileDialog qt(Owner());
  Configure(qt, dialog);
  QStringList files;
  QString nameFilter;
  if (!RunFileDialog(qt, files, nameFilter)) return false;
  dialog.Files.clear();
  for (const auto& file : files) dialog.Files.push_back(PathToBytes(file));
  const qsizetype position = qt.nameFilters().indexOf(nameFilter);
  if (position >= 0) dialog.FilterIndex = static_cast<int>(position) + 1;
  return true;
}

bool TQtToolkit::RunFolderChooser(TFolderChooser& chooser) {
  return chooser.exec() == QDialog::Accepted;
}

bool TQtToolkit::BrowseForFolder(const std::string& title, std::string& folder) {
  SyncWindow();
  TFolderChooser chooser(Owner());
  chooser.setWindowTitle(FromBytes(title));
  chooser.SetFolder(FromBytes(folder));
  if (!RunFolderChooser(chooser)) return false;
  folder = ToBytes(chooser.Folder());
  return true;
}

int TQtToolkit::RunMessageBox(QMessageBox& box) {
  return box.exec();
}

bool TQtToolkit::AskYesNo(const std::string& title, const std::string& text) {
  SyncWindow();
  QMessageBox box(QMessageBox::Question, FromBytes(title), FromBytes(text),
                  QMessageBox::Yes | QMessageBox::No, Owner());
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Yes);
  return RunMessageBox(box) == QMessageBox::Yes;
}

void TQtToolkit::ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) {
  SyncWindow();
  const QMessageBox::Icon qtIcon = icon == TMessageIcon::kError      ? QMessageBox::Critical
                                   : icon == TMessageIcon::kQuestion ? QMessageBox::Question
                                                                     : QMessageBox::Information;
  QMessageBox box(qtIcon, FromBytes(title), FromBytes(text), QMessageBox::Ok, Owner());
  box.setTextFormat(Qt::PlainText);
  RunMessageBox(box);
}

void TQtToolkit::ProcessMessages() {
  SyncWindow();
  QApplication::processEvents();
}

void TQtToolkit::FocusResults() {
  if (window_ != nullptr) window_->FocusResults();
}

void TQtToolkit::CloseMainWindow() {
  if (window_ != nullptr) window_->close();
}

std::string TQtToolkit::ApplicationTitle() const {
  // The program file's name without its extension, unless the program names itself otherwise.
  return ToBytes(QCoreApplication::applicationName());
}

}  // namespace skerrow
