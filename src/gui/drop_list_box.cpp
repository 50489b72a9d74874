#include "gui/drop_list_box.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace skerrow {

TDropListBox::TDropListBox(QWidget* parent) : QListWidget(parent) {
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

// A drag of local files only; which kinds they are is judged at the drop.
bool TDropListBox::Wanted(const QMimeData* data) const {
  if (data == nullptr || !data->hasUrls() || data->urls().isEmpty()) return false;
  if (AcceptsDrops && !AcceptsDrops()) return false;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return false;
  }
  return true;
}

void TDropListBox::dragEnterEvent(QDragEnterEvent* event) {
  AcceptAsCopyIfWanted(event);
}

void TDropListBox::dragMoveEvent(QDragMoveEvent* event) {
  AcceptAsCopyIfWanted(event);
}

void TDropListBox::AcceptAsCopyIfWanted(QDragMoveEvent* event) const {
  if (Wanted(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TDropListBox::dropEvent(QDropEvent* event) {
  if (!Wanted(event->mimeData())) {
    event->ignore();
    return;
  }
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) paths << url.toLocalFile();
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit FilesDropped(paths);
}

void TDropListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    emit DeletePressed();
    event->accept();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace skerrow
