// The input list's widget: a list box that takes files dropped onto it and reports the Delete
// key. What a drop or a Delete does is the window's logic; this widget only reports them.
#pragma once

#include <QListWidget>
#include <QStringList>
#include <functional>

namespace skerrow {

class TDropListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TDropListBox(QWidget* parent = nullptr);

  // Whether a drop would be taken now (not during a batch run, for instance).
  std::function<bool()> AcceptsDrops;

 signals:
  // The local files of a drop, in the order the drag carried them.
  void FilesDropped(const QStringList& paths);
  void DeletePressed();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool Wanted(const QMimeData* data) const;
  // Drag enter and drag move alike: a wanted drag is taken as a copy, any other refused.
  void AcceptAsCopyIfWanted(QDragMoveEvent* event) const;
};

}  // namespace skerrow
