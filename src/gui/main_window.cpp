#include "gui/main_window.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyledItemDelegate>
#include <QTextEdit>
#include <QToolButton>

#include "gui/drop_list_box.h"
#include "gui/icons.h"
#include "gui/qt_toolkit.h"

namespace skerrow {

namespace {

// The window's design, in pixels of the client area.
constexpr int kToolBarHeight = 26;
constexpr int kToolButtonWidth = 23;
constexpr int kToolButtonHeight = 22;
constexpr int kListTop = kToolBarHeight;
constexpr int kListHeight = 189;
constexpr int kItemHeight = 13;
constexpr int kResultsTop = kListTop + kListHeight;
constexpr int kGroupHeight = 66;
constexpr int kGroupTop = TMainForm::kClientHeight - kGroupHeight;
constexpr int kResultsHeight = kGroupTop - kResultsTop;  // 183

// List rows of the designed item height.
class TItemHeightDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(qMax(kItemHeight, option.fontMetrics.height()));
    return size;
  }
};

}  // namespace

TMainWindow::TMainWindow(TQtToolkit& toolkit, THandlerSet& handlers, QWidget* parent)
    : QWidget(parent), toolkit_(toolkit), form_(toolkit, handlers) {
  toolkit_.Attach(this);
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromLatin1(TMainForm::kTitle));
  setWindowIcon(ApplicationIcon());
  // A fixed frame with a close box only.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(TMainForm::kClientWidth, TMainForm::kClientHeight);

  tool_bar_ = new QWidget(this);
  tool_bar_->setObjectName(QStringLiteral("ToolBar1"));
  tool_bar_->setGeometry(0, 0, TMainForm::kClientWidth, kToolBarHeight);
  // Left to right, as on the tool bar.
  MakeToolButton("BAddLog", form_.BAddLog, 0, &TMainForm::BAddLogClick);
  MakeToolButton("BSaveList", form_.BSaveList, 1, &TMainForm::BSaveListClick);
  MakeToolButton("BRemLog", form_.BRemLog, 2, &TMainForm::BRemLogClick);
  MakeToolButton("BClearAll", form_.BClearAll, 3, &TMainForm::BClearAllClick);
  MakeToolButton("BProcess", form_.BProcess, 4, &TMainForm::BProcessClick);
  MakeToolButton("BExit", form_.BExit, 5, &TMainForm::BExitClick);

  log_list_ = new TDropListBox(this);
  log_list_->setObjectName(QStringLiteral("LogList"));
  log_list_->setGeometry(0, kListTop, TMainForm::kClientWidth, kListHeight);
  log_list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  log_list_->setSortingEnabled(false);
  log_list_->setUniformItemSizes(true);
  log_list_->setItemDelegate(new TItemHeightDelegate(log_list_));
  log_list_->AcceptsDrops = [this] { return !form_.Running(); };
  connect(log_list_, &QListWidget::itemSelectionChanged, this, &TMainWindow::ListSelectionChanged);
  connect(log_list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!syncing_) form_.LogList.ItemIndex = row;
  });
  connect(log_list_, &TDropListBox::FilesDropped, this, &TMainWindow::DropFiles);
  connect(log_list_, &TDropListBox::DeletePressed, this, [this] {
    if (form_.BRemLog.Enabled) Run(&TMainForm::BRemLogClick);
  });

  results_ = new QTextEdit(this);
  results_->setObjectName(QStringLiteral("Results"));
  results_->setGeometry(0, kResultsTop, TMainForm::kClientWidth, kResultsHeight);
  // What the pane shows is what Save results writes: plain text, no pasted formatting.
  results_->setAcceptRichText(false);
  results_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  results_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  connect(results_, &QTextEdit::textChanged, this, [this] {
    if (!syncing_) form_.Results.Text = ToBytes(results_->toPlainText());
  });

  BuildStatusGroup();

  form_.FormCreate();
  SyncFromModels();
  log_list_->setFocus();
  CentreOnScreen();
}

TMainWindow::~TMainWindow() {
  form_.FormDestroy();
  toolkit_.Attach(nullptr);
}

QToolButton* TMainWindow::MakeToolButton(const char* name, const TToolButton& model, int left,
                                         void (TMainForm::*command)()) {
  auto* button = new QToolButton(tool_bar_);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(left * kToolButtonWidth, 2, kToolButtonWidth, kToolButtonHeight);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setIconSize(QSize(16, 16));
  button->setIcon(ToolButtonIcon(model.ImageIndex));
  button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  button->setAccessibleName(QString::fromLatin1(name + 1));  // "AddLog", "SaveList", ...
  connect(button, &QToolButton::clicked, this, [this, command] { Run(command); });
  tool_buttons_.emplace_back(button, &model);
  return button;
}

void TMainWindow::BuildStatusGroup() {
  group_box_ = new QGroupBox(QStringLiteral(" Process "), this);
  group_box_->setObjectName(QStringLiteral("GroupBox1"));
  group_box_->setGeometry(0, kGroupTop, TMainForm::kClientWidth, kGroupHeight);
  // A classic group frame: the caption sits on the frame's top line, so the controls keep
  // their designed places below it.
  group_box_->setStyleSheet(QStringLiteral(
      "QGroupBox#GroupBox1 { border: 1px solid palette(mid); border-radius: 2px;"
      " margin-top: 6px; }"
      "QGroupBox#GroupBox1::title { subcontrol-origin: margin; subcontrol-position: top left;"
      " left: 7px; padding: 0px; background-color: palette(window); }"));

  current_message_ = new QLabel(group_box_);
  current_message_->setObjectName(QStringLiteral("CurrentMessage"));
  current_message_->move(12, 16);
  // Long status texts stop short of the buttons.
  current_message_->setMaximumWidth(490);

  extracted_ = new QLabel(group_box_);
  extracted_->setObjectName(QStringLiteral("Extracted"));
  extracted_->move(334, 14);

  save_log_ = new QPushButton(FromBytes(form_.SaveLog.Caption), group_box_);
  save_log_->setObjectName(QStringLiteral("SaveLog"));
  save_log_->setGeometry(506, 10, 105, 19);
  connect(save_log_, &QPushButton::clicked, this, [this] { Run(&TMainForm::SaveLogClick); });

  stop_ = new QPushButton(FromBytes(form_.Stop.Caption), group_box_);
  stop_->setObjectName(QStringLiteral("Stop"));
  stop_->setGeometry(612, 10, 71, 19);
  connect(stop_, &QPushButton::clicked, this, [this] { Run(&TMainForm::StopClick); });

  progress_ = new QProgressBar(group_box_);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setGeometry(12, 32, 671, 13);
  progress_->setTextVisible(false);

  total_ = new QProgressBar(group_box_);
  total_->setObjectName(QStringLiteral("Total"));
  total_->setGeometry(12, 48, 671, 13);
  total_->setTextVisible(false);
}

void TMainWindow::CentreOnScreen() {
  const QScreen* screen_now = screen();
  if (screen_now == nullptr) return;
  QRect frame = frameGeometry();
  frame.moveCenter(screen_now->availableGeometry().center());
  move(frame.topLeft());
}

void TMainWindow::showEvent(QShowEvent* event) {
  // The frame's size is known once the window is shown: centre the whole window, frame too.
  if (!centred_) {
    centred_ = true;
    CentreOnScreen();
  }
  QWidget::showEvent(event);
}

void TMainWindow::Run(void (TMainForm::*command)()) {
  form_.Invoke(command);
  SyncFromModels();
}

void TMainWindow::DropFiles(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(PathToBytes(path));
  form_.Invoke([this, &files] { form_.AddDroppedFiles(files); });
  SyncFromModels();
}

void TMainWindow::FocusResults() {
  results_->setFocus();
}

void TMainWindow::closeEvent(QCloseEvent* event) {
  // During a batch run the window closes once the run is over.
  if (form_.CloseQuery()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TMainWindow::ListSelectionChanged() {
  if (syncing_) return;
  for (int row = 0; row < log_list_->count() && row < form_.LogList.Count(); ++row) {
    form_.LogList.Select(row, log_list_->item(row)->isSelected());
  }
}

void TMainWindow::SyncFromModels() {
  syncing_ = true;
  for (const auto& [button, model] : tool_buttons_) button->setEnabled(model->Enabled);
  SyncList();
  if (ToBytes(results_->toPlainText()) != form_.Results.Text) {
    results_->setPlainText(FromBytes(form_.Results.Text));
  }
  const QString message = FromBytes(form_.CurrentMessage.Caption);
  if (current_message_->text() != message) {
    current_message_->setText(message);
    current_message_->adjustSize();
  }
  const QString extracted = FromBytes(form_.Extracted.Caption);
  if (extracted_->text() != extracted) {
    extracted_->setText(extracted);
    extracted_->adjustSize();
  }
  stop_->setEnabled(form_.Stop.Enabled);
  save_log_->setEnabled(form_.SaveLog.Enabled);
  SyncBar(progress_, form_.Progress);
  SyncBar(total_, form_.Total);
  syncing_ = false;
}

void TMainWindow::SyncList() {
  const TListBox& model = form_.LogList;
  if (shown_items_ != model.Items) {
    log_list_->clear();
    for (const auto& item : model.Items) log_list_->addItem(FromBytes(item));
    shown_items_ = model.Items;
  }
  for (int row = 0; row < model.Count(); ++row) {
    QListWidgetItem* item = log_list_->item(row);
    const bool selected = model.Selected[static_cast<size_t>(row)];
    if (item->isSelected() != selected) item->setSelected(selected);
  }
  const QModelIndex current = model.ItemIndex >= 0 && model.ItemIndex < model.Count()
                                  ? log_list_->model()->index(model.ItemIndex, 0)
                                  : QModelIndex();
  if (log_list_->currentIndex() != current) {
    log_list_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  }
}

void TMainWindow::SyncBar(QProgressBar* bar, const TProgressBar& model) {
  // An empty range shows an empty bar (Qt would show a busy one).
  const int maximum = model.Max > model.Min ? model.Max : model.Min + 1;
  if (bar->minimum() != model.Min || bar->maximum() != maximum) bar->setRange(model.Min, maximum);
  if (bar->value() != model.Position) bar->setValue(model.Position);
}

}  // namespace skerrow
