#include "gui/folder_chooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace skerrow {

TFolderChooser::TFolderChooser(QWidget* parent)
    : QDialog(parent),
      folders_(new QFileSystemModel(this)),
      files_(new QFileSystemModel(this)),
      path_field_(new QLineEdit(this)),
      folder_tree_(new QTreeView(this)),
      file_list_(new QListView(this)) {
  setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
  resize(560, 400);

  path_field_->setObjectName(QStringLiteral("folderPath"));
  auto* field_label = new QLabel(tr("&Folder:"), this);
  field_label->setBuddy(path_field_);

  // The root of the tree is the drives (on Windows) or "/" (elsewhere).
  folders_->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
  folders_->setRootPath(QString());
  folders_->setReadOnly(true);
  folder_tree_->setObjectName(QStringLiteral("folderTree"));
  folder_tree_->setModel(folders_);
  for (int column = 1; column < folders_->columnCount(); ++column) folder_tree_->hideColumn(column);
  folder_tree_->setHeaderHidden(true);

  // The files of the selected folder, shown for orientation only.
  files_->setFilter(QDir::Files | QDir::NoDotAndDotDot);
  files_->setReadOnly(true);
  file_list_->setObjectName(QStringLiteral("folderFiles"));
  file_list_->setModel(files_);
  file_list_->setSelectionMode(QAbstractItemView::NoSelection);
  file_list_->setFocusPolicy(Qt::NoFocus);

  auto* split = new QSplitter(this);
  split->addWidget(folder_tree_);
  split->addWidget(file_list_);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(field_label);
  layout->addWidget(path_field_);
  layout->addWidget(split, 1);
  layout->addWidget(buttons);

  connect(folder_tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { FolderPicked(current); });
  connect(path_field_, &QLineEdit::textEdited, this, &TFolderChooser::PathEdited);
}

void TFolderChooser::SetFolder(const QString& folder) {
  path_field_->setText(QDir::toNativeSeparators(folder));
  ShowFolder(folder);
}

QString TFolderChooser::Folder() const {
  return path_field_->text();
}

// Moves the tree and the file list to folder, when it exists, leaving the field alone.
void TFolderChooser::ShowFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (folder.isEmpty() || !info.isDir()) return;
  const QString path = info.absoluteFilePath();
  const QModelIndex index = folders_->index(path);
  if (!index.isValid()) return;
  showing_ = true;
  folder_tree_->setCurrentIndex(index);
  folder_tree_->scrollTo(index);
  showing_ = false;
  files_->setRootPath(path);
  file_list_->setRootIndex(files_->index(path));
}

void TFolderChooser::FolderPicked(const QModelIndex& index) {
  if (showing_ || !index.isValid()) return;
  const QString path = folders_->filePath(index);
  path_field_->setText(QDir::toNativeSeparators(path));
  files_->setRootPath(path);
  file_list_->setRootIndex(files_->index(path));
}

void TFolderChooser::PathEdited(const QString& text) {
  ShowFolder(QDir::fromNativeSeparators(text));
}

}  // namespace skerrow
