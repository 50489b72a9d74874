// The folder chooser of a batch run: the drives and the folder tree, the files of the selected
// folder, and an editable field holding the selected folder's full path. The user may type the
// path of a folder that does not exist yet; the chooser returns the field's text as it stands
// (whether to create the folder is asked afterwards, by the run).
#pragma once

#include <QDialog>
#include <QString>

class QFileSystemModel;
class QLineEdit;
class QListView;
class QTreeView;

namespace skerrow {

class TFolderChooser : public QDialog {
  Q_OBJECT

 public:
  explicit TFolderChooser(QWidget* parent = nullptr);

  // Opens the chooser at folder: the field holds it, and the tree shows it when it exists.
  void SetFolder(const QString& folder);
  // The text of the path field.
  QString Folder() const;

  QLineEdit* PathField() const { return path_field_; }
  QTreeView* FolderTree() const { return folder_tree_; }

 private:
  void ShowFolder(const QString& folder);
  void FolderPicked(const QModelIndex& index);
  void PathEdited(const QString& text);

  QFileSystemModel* folders_;
  QFileSystemModel* files_;
  QLineEdit* path_field_;
  QTreeView* folder_tree_;
  QListView* file_list_;
  bool showing_ = false;  // the tree is being moved to the field's folder
};

}  // namespace skerrow
