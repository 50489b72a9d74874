// The real window on the offscreen platform: the widgets follow TMainForm's models, clicks,
// keys and drops reach its commands, and a whole batch run is watched through the widgets with
// every dialog and box answered by the test.
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <deque>
#include <functional>
#include <optional>

#include "app/format_table.h"
#include "gui/drop_list_box.h"
#include "gui/folder_chooser.h"
#include "gui/icons.h"
#include "gui/main_window.h"
#include "gui/qt_toolkit.h"
#include "platform/error.h"
#include "support/package_builder.h"

namespace skerrow {
namespace {

const QStringList kSelectLogFilters = {"Motocross packages (*.dat)", "EXE Text (*.trc)",
                                       "Project list files (*.lst)", "Log files (*.log)"};

// What the window showed at one moment.
struct TSeen {
  int Progress = -1;
  int Total = -1;
  QString Message;
  QString Extracted;
  bool Stop = false;
  bool Add = false;
  bool Process = false;
  bool Visible = false;
};

// A box as the test saw it, with the window behind it.
struct TBox {
  QString Title;
  QString Text;
  QMessageBox::Icon Icon;
  TSeen Window;
};

// The Qt toolkit with the user replaced: each dialog is set up by the real code and then
// handed to the test's answer instead of being shown.
class TScriptedToolkit : public TQtToolkit {
 public:
  // Answers the file dialogs; the default cancels.
  std::function<bool(QFileDialog&, QStringList&, QString&)> FileAnswer;
  // Folders typed into the folder chooser, one per showing; none left cancels it.
  std::deque<QString> FolderAnswers;
  QStringList ChooserTitles, ChooserStarts;
  // Yes or No for the questions, in order; none left answers Yes.
  std::deque<bool> QuestionAnswers;
  std::vector<TBox> Boxes;
  std::function<TSeen()> Look;  // what the window shows now
  std::function<void()> AfterMessages;

 protected:
  bool RunFileDialog(QFileDialog& dialog, QStringList& files, QString& nameFilter) override {
    return FileAnswer ? FileAnswer(dialog, files, nameFilter) : false;
  }
  bool RunFolderChooser(TFolderChooser& chooser) override {
    ChooserTitles << chooser.windowTitle();
    ChooserStarts << chooser.Folder();
    if (FolderAnswers.empty()) return false;
    chooser.PathField()->setText(FolderAnswers.front());
    FolderAnswers.pop_front();
    return true;
  }
  int RunMessageBox(QMessageBox& box) override {
    Boxes.push_back({box.windowTitle(), box.text(), box.icon(), Look ? Look() : TSeen()});
    if (box.icon() != QMessageBox::Question) return QMessageBox::Ok;
    bool yes = true;
    if (!QuestionAnswers.empty()) {
      yes = QuestionAnswers.front();
      QuestionAnswers.pop_front();
    }
    return yes ? QMessageBox::Yes : QMessageBox::No;
  }

 public:
  void ProcessMessages() override {
    TQtToolkit::ProcessMessages();
    if (AfterMessages) AfterMessages();
  }
};

// A package handler that moves the per-file bar in four steps, letting messages run at each,
// and gives the test a turn in the middle of every file.
class TStepHandlers : public THandlerSet {
 public:
  std::vector<std::string> Handled;
  std::function<void(const std::string&)> During;

  void ExtractPackage(TProcessState& state, const std::string& path) override {
    Handled.push_back(path);
    state.Host->SetStatus(ProcessingText(path));
    state.Host->SetProgressMax(100);
    for (int step = 1; step <= 4; ++step) {
      state.Host->SetProgressPosition(step * 25);
      state.Host->ProcessMessages();
      if (step == 2 && During) During(path);
    }
  }
};

template <class Widget>
Widget* Child(QWidget& window, const char* name) {
  auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
  if (widget == nullptr) qFatal("no widget %s", name);
  return widget;
}

QStringList Items(QListWidget* list) {
  QStringList items;
  for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
  return items;
}

QList<int> SelectedRows(QListWidget* list) {
  QList<int> rows;
  for (int row = 0; row < list->count(); ++row) {
    if (list->item(row)->isSelected()) rows << row;
  }
  return rows;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

// The window with its scripted toolkit and handlers, shown on the offscreen screen.
struct TWindowFixture {
  TScriptedToolkit toolkit;
  TStepHandlers handlers;
  TMainWindow window;

  // With the format modules' own handlers when real is set.
  explicit TWindowFixture(bool real = false)
      : window(toolkit, real ? DefaultHandlers() : static_cast<THandlerSet&>(handlers)) {
    toolkit.Look = [this] { return Look(); };
    window.show();
  }

  QToolButton* Button(const char* name) { return Child<QToolButton>(window, name); }
  TDropListBox* List() { return Child<TDropListBox>(window, "LogList"); }

  TSeen Look() {
    TSeen seen;
    seen.Progress = Child<QProgressBar>(window, "Progress")->value();
    seen.Total = Child<QProgressBar>(window, "Total")->value();
    seen.Message = Child<QLabel>(window, "CurrentMessage")->text();
    seen.Extracted = Child<QLabel>(window, "Extracted")->text();
    seen.Stop = Child<QPushButton>(window, "Stop")->isEnabled();
    seen.Add = Button("BAddLog")->isEnabled();
    seen.Process = Button("BProcess")->isEnabled();
    seen.Visible = window.isVisible();
    return seen;
  }

  // Add through the tool button, the dialog answered with files under filter.
  void Add(const QStringList& files, const QString& filter) {
    toolkit.FileAnswer = [files, filter](QFileDialog&, QStringList& chosen, QString& shown) {
      chosen = files;
      shown = filter;
      return true;
    };
    QTest::mouseClick(Button("BAddLog"), Qt::LeftButton);
    toolkit.FileAnswer = nullptr;
  }

  bool ListCommandsEnabled() {
    return Button("BRemLog")->isEnabled() && Button("BProcess")->isEnabled() &&
           Button("BSaveList")->isEnabled() && Button("BClearAll")->isEnabled();
  }
  bool ListCommandsDisabled() {
    return !Button("BRemLog")->isEnabled() && !Button("BProcess")->isEnabled() &&
           !Button("BSaveList")->isEnabled() && !Button("BClearAll")->isEnabled();
  }
};

// Offers local files to the list as a drag would; returns whether the list took the drag.
bool Drop(TDropListBox* list, const QList<QUrl>& urls, const QString& text = QString()) {
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  if (!text.isEmpty()) data.setText(text);
  const QPoint at = list->viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(list->viewport(), &drop);
  return drop.isAccepted();
}

QList<QUrl> Urls(const QStringList& paths) {
  QList<QUrl> urls;
  for (const auto& path : paths) urls << QUrl::fromLocalFile(path);
  return urls;
}

bool IsGrey(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      if (c.alpha() > 0 && (qAbs(c.red() - c.green()) > 2 || qAbs(c.green() - c.blue()) > 2)) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

// A check inside a dialog answer, which must not return early from the answer.
#define EXPECT_DIALOG(condition) Note((condition), #condition)

class TMainWindowTest : public QObject {
  Q_OBJECT

 private:
  QString saved_cwd_;
  std::optional<QTemporaryDir> scratch_;
  QString Scratch(const QString& name) const { return scratch_->filePath(name); }

 private slots:
  // A batch run makes its output folder the working folder: every test starts in a scratch
  // folder of its own and leaves the working folder as it found it.
  void init() {
    dialog_failures_.clear();
    saved_cwd_ = QDir::currentPath();
    scratch_.emplace();
    QVERIFY(scratch_->isValid());
    QDir::setCurrent(scratch_->path());
  }
  void cleanup() {
    QDir::setCurrent(saved_cwd_);
    scratch_.reset();
  }

  void windowIsLaidOutAsDesigned() {
    TWindowFixture f;
    QWidget& w = f.window;
    QCOMPARE(w.windowTitle(), QStringLiteral("Skerrow"));
    QCOMPARE(w.size(), QSize(688, 464));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(w.windowFlags() & Qt::WindowCloseButtonHint);
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    const QRect desktop = w.screen()->availableGeometry();
    QVERIFY((w.frameGeometry().center() - desktop.center()).manhattanLength() <= 2);

    const struct {
      const char* name;
      QRect geometry;
    } layout[] = {
        {"ToolBar1", {0, 0, 688, 26}},   {"LogList", {0, 26, 688, 189}},
        {"Results", {0, 215, 688, 183}}, {"GroupBox1", {0, 398, 688, 66}},
        {"SaveLog", {506, 10, 105, 19}}, {"Stop", {612, 10, 71, 19}},
        {"Progress", {12, 32, 671, 13}}, {"Total", {12, 48, 671, 13}},
    };
    for (const auto& item : layout) {
      QCOMPARE(Child<QWidget>(w, item.name)->geometry(), item.geometry);
    }
    QCOMPARE(Child<QLabel>(w, "CurrentMessage")->pos(), QPoint(12, 16));
    QCOMPARE(Child<QLabel>(w, "Extracted")->pos(), QPoint(334, 14));
    QCOMPARE(Child<QGroupBox>(w, "GroupBox1")->title(), QStringLiteral(" Process "));

    // The six tool buttons, left to right, flat, images only, in their starting states.
    const struct {
      const char* name;
      bool enabled;
    } buttons[] = {{"BAddLog", true},    {"BSaveList", false}, {"BRemLog", false},
                   {"BClearAll", false}, {"BProcess", false},  {"BExit", true}};
    int left = -1;
    for (const auto& b : buttons) {
      QToolButton* button = f.Button(b.name);
      QVERIFY2(button->x() > left, b.name);
      left = button->x();
      QVERIFY(button->autoRaise());
      QVERIFY(button->text().isEmpty() && button->toolTip().isEmpty());
      QVERIFY(!button->icon().isNull());
      QCOMPARE(button->iconSize(), QSize(16, 16));
      QVERIFY(button->geometry().bottom() < 26);
      QCOMPARE(button->isEnabled(), b.enabled);
    }

    TDropListBox* list = f.List();
    QCOMPARE(list->count(), 0);
    QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!list->isSortingEnabled());
    auto* results = Child<QTextEdit>(w, "Results");
    QVERIFY(!results->isReadOnly());
    QVERIFY(results->toPlainText().isEmpty());
    QCOMPARE(results->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    const TSeen seen = f.Look();
    QCOMPARE(seen.Progress, 0);
    QCOMPARE(seen.Total, 0);
    QCOMPARE(Child<QProgressBar>(w, "Total")->maximum(), 100);
    QVERIFY(seen.Message.isEmpty());
    QCOMPARE(seen.Extracted, QStringLiteral("Extracted: 0"));
    QVERIFY(!seen.Stop);
    QVERIFY(!Child<QPushButton>(w, "SaveLog")->isEnabled());
    QCOMPARE(Child<QPushButton>(w, "SaveLog")->text(), QStringLiteral("Save results"));
  }

  void addOpensTheFilterInForceAndTakesTheConfirmedFilter() {
    TWindowFixture f;
    QStringList shownFilters;
    f.toolkit.FileAnswer = [&](QFileDialog& d, QStringList& files, QString& filter) {
      shownFilters << d.selectedNameFilter();
      if (shownFilters.size() == 1) {
        // How SelectLog is set up.
        EXPECT_DIALOG(d.windowTitle() == "Select file...");
        EXPECT_DIALOG(d.acceptMode() == QFileDialog::AcceptOpen);
        EXPECT_DIALOG(d.fileMode() == QFileDialog::ExistingFiles);
        EXPECT_DIALOG(d.nameFilters() == kSelectLogFilters);
        EXPECT_DIALOG(d.defaultSuffix().isEmpty());
      }
      files = QStringList{"/g/result.log", "/h/result.log"};
      filter = kSelectLogFilters[3];
      return shownFilters.size() == 1;  // the second showing is cancelled
    };
    QTest::mouseClick(f.Button("BAddLog"), Qt::LeftButton);
    QTest::mouseClick(f.Button("BAddLog"), Qt::LeftButton);
    QCOMPARE(dialog_failures_, QStringList());
    QCOMPARE(shownFilters, (QStringList{kSelectLogFilters[0], kSelectLogFilters[3]}));
    QCOMPARE(Items(f.List()), (QStringList{"/g/result.log", "/h/result.log"}));
    QCOMPARE(f.window.Form().CurrentFormat, kFormatLog);
    // Cancelling Add over a list that holds items leaves its commands enabled.
    QVERIFY(f.ListCommandsEnabled());
  }

  void listButtonsAndSelectionFollowTheModels() {
    TWindowFixture f;
    TDropListBox* list = f.List();
    f.Add({"/g/a.dat", "/g/b.dat", "/g/c.dat", "/g/d.dat"}, kSelectLogFilters[0]);
    QCOMPARE(Items(list), (QStringList{"/g/a.dat", "/g/b.dat", "/g/c.dat", "/g/d.dat"}));
    QVERIFY(f.ListCommandsEnabled());

    // A click, then a Ctrl-click toggling a second item: the model learns the selection.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(1)).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(2)).center());
    QCOMPARE(f.window.Form().LogList.Selected, (std::vector<bool>{false, true, true, false}));

    QTest::mouseClick(f.Button("BRemLog"), Qt::LeftButton);
    QCOMPARE(Items(list), (QStringList{"/g/a.dat", "/g/d.dat"}));
    QCOMPARE(SelectedRows(list), QList<int>());
    QCOMPARE(list->currentRow(), 1);

    // Adding the same file again lists it twice; another filter starts the list anew.
    f.Add({"/g/a.dat"}, kSelectLogFilters[0]);
    QCOMPARE(Items(list), (QStringList{"/g/a.dat", "/g/d.dat", "/g/a.dat"}));
    f.Add({"/g/menus.trc"}, kSelectLogFilters[1]);
    QCOMPARE(Items(list), (QStringList{"/g/menus.trc"}));

    QTest::mouseClick(f.Button("BClearAll"), Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QVERIFY(f.ListCommandsDisabled());

    // Cancelling Add over the empty list leaves the commands disabled.
    QTest::mouseClick(f.Button("BAddLog"), Qt::LeftButton);
    QVERIFY(f.ListCommandsDisabled());
  }

  void deleteKeyRemovesTheSelectedItems() {
    TWindowFixture f;
    TDropListBox* list = f.List();
    f.Add({"/g/1.dat", "/g/2.dat", "/g/3.dat", "/g/4.dat"}, kSelectLogFilters[0]);
    list->item(1)->setSelected(true);
    list->item(2)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Items(list), (QStringList{"/g/1.dat", "/g/4.dat"}));
    QCOMPARE(list->currentRow(), 1);

    // With nothing selected Delete removes nothing.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Items(list), (QStringList{"/g/1.dat", "/g/4.dat"}));

    list->item(0)->setSelected(true);
    list->item(1)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(list->count(), 0);
    QVERIFY(f.ListCommandsDisabled());
  }

  void saveListWritesTheProjectList() {
    TWindowFixture f;
    f.Add({"/g/a.log", "/g/b.log"}, kSelectLogFilters[3]);
    const QString target = Scratch("run.lst");
    f.toolkit.FileAnswer =
        SaveAnswer("Select file...", "Project list files (*.lst)", "lst", target);
    QTest::mouseClick(f.Button("BSaveList"), Qt::LeftButton);
    QCOMPARE(dialog_failures_, QStringList());
    QCOMPARE(ReadAll(target), QByteArray("/g/a.log\r\n/g/b.log\r\n"));
    QVERIFY(f.toolkit.Boxes.empty());
  }

  void batchRunMovesTheBarsAndEndsWithTheCompletionBox() {
    TWindowFixture f;
    f.Add({"/g/a.dat", "/g/b.dat", "/g/c.dat"}, kSelectLogFilters[0]);
    const QString out = Scratch("out/run");
    f.toolkit.FolderAnswers = {out, out};
    f.toolkit.QuestionAnswers = {false, true};  // No returns to the chooser, then Yes
    std::vector<TSeen> seen;
    f.toolkit.AfterMessages = [&] { seen.push_back(f.Look()); };

    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);

    // The chooser opened twice at the working folder; the folder was created after the Yes.
    QCOMPARE(f.toolkit.ChooserTitles, (QStringList{"Select Directory", "Select Directory"}));
    QCOMPARE(f.toolkit.ChooserStarts, (QStringList{QDir::toNativeSeparators(scratch_->path()),
                                                   QDir::toNativeSeparators(scratch_->path())}));
    QVERIFY(QFileInfo(out).isDir());
    QCOMPARE(f.handlers.Handled, (std::vector<std::string>{"/g/a.dat", "/g/b.dat", "/g/c.dat"}));

    // The window followed every step: the per-file bar in its four steps, the overall bar at
    // the share of files finished, the status line, Stop enabled and the commands disabled.
    QList<int> progress, total;
    for (const TSeen& s : seen) {
      if (progress.isEmpty() || progress.back() != s.Progress) progress << s.Progress;
      if (total.isEmpty() || total.back() != s.Total) total << s.Total;
      QVERIFY(!s.Add && !s.Process);
    }
    QCOMPARE(progress, (QList<int>{25, 50, 75, 100, 25, 50, 75, 100, 25, 50, 75, 100}));
    QCOMPARE(total, (QList<int>{0, 33, 66}));
    QCOMPARE(seen.front().Message, QStringLiteral("Processing a.dat..."));
    QCOMPARE(seen.back().Message, QStringLiteral("Processing c.dat..."));
    QVERIFY(seen.front().Stop);

    QCOMPARE(f.toolkit.Boxes.size(), size_t{3});
    for (int i : {0, 1}) {
      QCOMPARE(f.toolkit.Boxes[i].Icon, QMessageBox::Question);
      QCOMPARE(f.toolkit.Boxes[i].Text,
               QStringLiteral("The specified directory does not exist. Create it?"));
    }
    const TBox& done = f.toolkit.Boxes[2];
    QCOMPARE(done.Title, QStringLiteral("Process status:"));
    QCOMPARE(done.Text, QStringLiteral("Operation complete!"));
    QCOMPARE(done.Icon, QMessageBox::Information);
    // Behind the box the window already shows the run's end.
    QCOMPARE(done.Window.Progress, 0);
    QCOMPARE(done.Window.Total, 0);
    QVERIFY(done.Window.Message.isEmpty());
    QVERIFY(done.Window.Extracted.isEmpty());

    QCOMPARE(ReadAll(out + "/result.log"),
             QByteArray("#Format: DAT\r\n#Source: /g/a.dat\r\n#Format: DAT\r\n#Source: /g/b.dat\r\n"
                        "#Format: DAT\r\n#Source: /g/c.dat\r\n"));
    const TSeen after = f.Look();
    QVERIFY(after.Add && after.Process && !after.Stop);
    QVERIFY(f.ListCommandsEnabled());
    QCOMPARE(QDir::currentPath(), QFileInfo(out).absoluteFilePath());
  }

  void packageRunExtractsThroughTheWindow() {
    TWindowFixture f(true);
    std::vector<testing::TPackageEntry> entries;
    for (int i = 0; i < 8; ++i) {
      entries.push_back({std::string("e.tga\0", 6), std::string(100 + i, static_cast<char>(i))});
    }
    QVERIFY(QDir(scratch_->path()).mkpath("game"));
    QVERIFY(QDir(scratch_->path()).mkpath("out"));
    const QString menu = Scratch("game/menu.dat"), sounds = Scratch("game/sounds.dat");
    for (const QString& path : {menu, sounds}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(QByteArray::fromStdString(testing::BuildPackage(entries)));
    }
    f.Add({menu, sounds}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {Scratch("out")};
    std::vector<TSeen> seen;
    f.toolkit.AfterMessages = [&] { seen.push_back(f.Look()); };

    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);

    QCOMPARE(f.toolkit.Boxes.size(), size_t{1});
    QCOMPARE(f.toolkit.Boxes[0].Text, QStringLiteral("Operation complete!"));
    QCOMPARE(ReadAll(Scratch("out/tga/00000007.tga")), QByteArray(107, '\7'));
    const QByteArray log = ReadAll(Scratch("out/result.log"));
    QVERIFY2(log.startsWith("#Format: DAT\r\n#Source: " + menu.toLocal8Bit() + "\r\n"),
             log.constData());
    QCOMPARE(log.count("#Source: "), 2);

    // Both bars moved while the packages were extracted, and the status line named each.
    QSet<int> progress, total;
    QSet<QString> messages;
    for (const TSeen& s : seen) {
      progress << s.Progress;
      total << s.Total;
      messages << s.Message;
    }
    QVERIFY2(progress.size() >= 4, qPrintable(QString::number(progress.size())));
    QCOMPARE(total, (QSet<int>{0, 50}));
    QVERIFY(messages.contains("Processing menu.dat..."));
    QVERIFY(messages.contains("Processing sounds.dat..."));
  }

  void cancellingTheChooserHandlesNoFile() {
    TWindowFixture f;
    f.Add({"/g/a.dat"}, kSelectLogFilters[0]);
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);  // no folder answer: cancelled
    QVERIFY(f.handlers.Handled.empty());
    QCOMPARE(f.toolkit.Boxes.size(), size_t{1});
    QCOMPARE(f.toolkit.Boxes[0].Text, QStringLiteral("Operation complete!"));
    QCOMPARE(f.Look().Extracted, QStringLiteral("Extracted: 0"));
    QVERIFY(!QFile::exists(Scratch("result.log")));
  }

  void stopPressedDuringARunEndsItAfterTheFileInHand() {
    TWindowFixture f;
    f.Add({"/g/a.dat", "/g/b.dat", "/g/c.dat"}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {scratch_->path()};
    auto* stop = Child<QPushButton>(f.window, "Stop");
    bool stopSeenDisabled = false;
    f.handlers.During = [&](const std::string& path) {
      if (path != "/g/a.dat") return;
      // A click waiting in the queue, handled when the run lets messages run.
      QMetaObject::invokeMethod(stop, &QPushButton::click, Qt::QueuedConnection);
      f.toolkit.ProcessMessages();
      stopSeenDisabled = !stop->isEnabled();
    };
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);
    QVERIFY(stopSeenDisabled);
    QCOMPARE(f.handlers.Handled, (std::vector<std::string>{"/g/a.dat"}));
    QCOMPARE(f.toolkit.Boxes.back().Text, QString::fromLatin1(TMainForm::kStoppedText));
    QCOMPARE(ReadAll(Scratch("result.log")), QByteArray("#Format: DAT\r\n#Source: /g/a.dat\r\n"));
  }

  void closingDuringARunClosesTheWindowAfterTheRun_data() {
    QTest::addColumn<bool>("byExitButton");
    QTest::newRow("close box") << false;
    QTest::newRow("Exit button") << true;
  }
  void closingDuringARunClosesTheWindowAfterTheRun() {
    QFETCH(bool, byExitButton);
    TWindowFixture f;
    f.Add({"/g/a.dat", "/g/b.dat"}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {scratch_->path()};
    bool visibleAfterClose = false;
    f.handlers.During = [&](const std::string& path) {
      if (path != "/g/a.dat") return;
      if (byExitButton) {
        QMetaObject::invokeMethod(f.Button("BExit"), &QToolButton::click, Qt::QueuedConnection);
      } else {
        QMetaObject::invokeMethod(&f.window, &QWidget::close, Qt::QueuedConnection);
      }
      f.toolkit.ProcessMessages();
      visibleAfterClose = f.window.isVisible();
    };
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);
    QVERIFY(visibleAfterClose);
    QCOMPARE(f.handlers.Handled.size(), size_t{2});
    QCOMPARE(f.toolkit.Boxes.back().Text, QStringLiteral("Operation complete!"));
    QVERIFY(f.toolkit.Boxes.back().Window.Visible);
    QVERIFY(!f.window.isVisible());
  }

  void errorDisplayShowsTheMessageWithItsFullStop_data() {
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Cannot open file /g/b.dat"
                            << "Cannot open file /g/b.dat.";
    QTest::newRow("full stop") << "Stream read error."
                               << "Stream read error.";
    QTest::newRow("exclamation") << "Unable to go on!"
                                 << "Unable to go on!";
  }
  void errorDisplayShowsTheMessageWithItsFullStop() {
    QFETCH(QString, message);
    QFETCH(QString, shown);
    TWindowFixture f;
    f.Add({"/g/a.dat", "/g/b.dat", "/g/c.dat"}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {scratch_->path()};
    f.handlers.During = [&](const std::string& path) {
      if (path == "/g/b.dat") throw Error(ToBytes(message));
    };
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);
    QCOMPARE(f.toolkit.Boxes.size(), size_t{1});
    const TBox& box = f.toolkit.Boxes[0];
    QCOMPARE(box.Title, QCoreApplication::applicationName());
    QCOMPARE(box.Text, shown);
    QCOMPARE(box.Icon, QMessageBox::Critical);
    // The run ended there: the third file untouched, Stop left enabled, no result log.
    QCOMPARE(f.handlers.Handled.size(), size_t{2});
    QVERIFY(f.Look().Stop);
    QCOMPARE(f.Look().Progress, 50);
    QVERIFY(!QFile::exists(Scratch("result.log")));
    // The window takes commands again.
    QVERIFY(f.Look().Add);
  }

  void droppedFilesAreAddedByTheirKind() {
    TWindowFixture f;
    TDropListBox* list = f.List();
    QVERIFY(Drop(list, Urls({"/g/a.dat", "/g/B.DAT"})));
    QCOMPARE(Items(list), (QStringList{"/g/a.dat", "/g/B.DAT"}));
    QCOMPARE(f.window.Form().CurrentFormat, kFormatPackage);
    QVERIFY(f.ListCommandsEnabled());

    QVERIFY(Drop(list, Urls({"/g/menus.trc"})));
    QCOMPARE(Items(list), (QStringList{"/g/menus.trc"}));
    QCOMPARE(f.window.Form().SelectLog.FilterIndex, 2);

    // Mixed kinds are refused with a message and change nothing.
    QVERIFY(Drop(list, Urls({"/g/a.dat", "/g/result.log"})));
    QCOMPARE(f.toolkit.Boxes.size(), size_t{1});
    QCOMPARE(f.toolkit.Boxes[0].Text, QString::fromLatin1(TMainForm::kMixedDropText) + ".");
    QCOMPARE(f.toolkit.Boxes[0].Icon, QMessageBox::Critical);
    QCOMPARE(Items(list), (QStringList{"/g/menus.trc"}));

    // Only local files are taken at all.
    QVERIFY(!Drop(list, {QUrl("https://example.org/a.dat")}));
    QVERIFY(!Drop(list, {}, "just some text"));
    QCOMPARE(Items(list), (QStringList{"/g/menus.trc"}));
  }

  void dropsAreRefusedDuringARun() {
    TWindowFixture f;
    f.Add({"/g/a.dat"}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {scratch_->path()};
    std::optional<bool> taken;
    f.handlers.During = [&](const std::string&) { taken = Drop(f.List(), Urls({"/g/b.dat"})); };
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);
    QCOMPARE(taken, std::optional<bool>(false));
    QCOMPARE(Items(f.List()), (QStringList{"/g/a.dat"}));
  }

  void saveResultsWritesThePaneAsRichText() {
    TWindowFixture f;
    auto* results = Child<QTextEdit>(f.window, "Results");
    auto* saveLog = Child<QPushButton>(f.window, "SaveLog");
    f.Add({"/g/a.dat"}, kSelectLogFilters[0]);
    f.toolkit.FolderAnswers = {scratch_->path()};
    // The user types into the pane while the file is handled.
    f.handlers.During = [&](const std::string&) { QTest::keyClicks(results, "abc"); };
    QTest::mouseClick(f.Button("BProcess"), Qt::LeftButton);
    QCOMPARE(results->toPlainText(), QStringLiteral("abc"));
    QVERIFY(saveLog->isEnabled());

    const QString target = Scratch("run1.txt");
    f.toolkit.FileAnswer = SaveAnswer("Select target...", "Text files (*.txt)", "txt", target);
    f.toolkit.Boxes.clear();
    QTest::mouseClick(saveLog, Qt::LeftButton);
    QCOMPARE(dialog_failures_, QStringList());
    const QByteArray rtf = ReadAll(target);
    QVERIFY2(rtf.startsWith("{\\rtf1") && rtf.contains("abc"), rtf.constData());
    QCOMPARE(f.toolkit.Boxes.size(), size_t{1});
    QCOMPARE(f.toolkit.Boxes[0].Title, QStringLiteral("Operation status"));
    QCOMPARE(f.toolkit.Boxes[0].Text, QStringLiteral("run1.txt"));
    QCOMPARE(f.toolkit.Boxes[0].Icon, QMessageBox::Information);
    QVERIFY(!saveLog->isEnabled());
  }

  // The folder chooser itself, shown for real and worked by a user's clicks and keys.
  void folderChooserReturnsTheFieldEvenForAFolderNotYetThere() {
    TQtToolkit toolkit;
    TMainWindow window(toolkit);
    QVERIFY(QDir(scratch_->path()).mkdir("picked"));
    const QString start = QDir::toNativeSeparators(scratch_->path());
    const QString typed = QDir::toNativeSeparators(Scratch("new/deeper"));
    QString title, field, fieldAfterPick;
    QTimer::singleShot(0, [&] {
      auto* chooser = qobject_cast<TFolderChooser*>(QApplication::activeModalWidget());
      if (chooser == nullptr) return;
      title = chooser->windowTitle();
      field = chooser->PathField()->text();
      // Picking a folder in the tree puts its full path into the field.
      auto* folders = qobject_cast<QFileSystemModel*>(chooser->FolderTree()->model());
      chooser->FolderTree()->setCurrentIndex(folders->index(Scratch("picked")));
      fieldAfterPick = chooser->PathField()->text();
      chooser->PathField()->clear();
      QTest::keyClicks(chooser->PathField(), typed);
      chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    std::string folder = ToBytes(scratch_->path());
    QVERIFY(toolkit.BrowseForFolder("Select Directory", folder));
    QCOMPARE(title, QStringLiteral("Select Directory"));
    QCOMPARE(field, start);
    QCOMPARE(fieldAfterPick, QDir::toNativeSeparators(Scratch("picked")));
    QCOMPARE(FromBytes(folder), typed);
    QVERIFY(!QFileInfo::exists(typed));  // creating it is the run's business

    QTimer::singleShot(0, [&] {
      if (auto* chooser = qobject_cast<TFolderChooser*>(QApplication::activeModalWidget())) {
        chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
      }
    });
    std::string unchanged = "/kept";
    QVERIFY(!toolkit.BrowseForFolder("Select Directory", unchanged));
    QCOMPARE(unchanged, std::string("/kept"));
  }

  void toolImagesAreSharpAtEachScaleAndGreyWhenDisabled() {
    for (int index = 0; index < kToolImageCount; ++index) {
      for (bool disabled : {false, true}) {
        QSvgRenderer svg(ToolImagePath(index, disabled));
        QVERIFY2(svg.isValid(), qPrintable(ToolImagePath(index, disabled)));
        QCOMPARE(svg.defaultSize(), QSize(16, 16));
      }
      const QIcon icon = ToolButtonIcon(index);
      for (qreal scale : {1.0, 2.0}) {
        // Drawn for the scale, not a 16-pixel image blown up.
        const QPixmap normal = icon.pixmap(QSize(16, 16), scale, QIcon::Normal);
        const QPixmap grey = icon.pixmap(QSize(16, 16), scale, QIcon::Disabled);
        QCOMPARE(normal.size(), QSize(16, 16) * scale);
        QCOMPARE(grey.size(), QSize(16, 16) * scale);
        QVERIFY(!IsGrey(normal.toImage()));
        QVERIFY(IsGrey(grey.toImage()));
      }
      const QImage one = icon.pixmap(QSize(16, 16), 1.0).toImage();
      const QImage two = icon.pixmap(QSize(16, 16), 2.0).toImage();
      QVERIFY(two != one.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
  }

 private:
  // Checks made inside a dialog answer, reported after the dialog has returned.
  QStringList dialog_failures_;
  void Note(bool ok, const char* what) {
    if (!ok) dialog_failures_ << QString::fromLatin1(what);
  }

  // The answer to a save dialog that must be set up with this title, this one filter and its
  // suffix, and ask before it overwrites: target is chosen.
  std::function<bool(QFileDialog&, QStringList&, QString&)> SaveAnswer(const QString& title,
                                                                       const QString& filter,
                                                                       const QString& suffix,
                                                                       const QString& target) {
    return [=, this](QFileDialog& d, QStringList& files, QString& shown) {
      EXPECT_DIALOG(d.windowTitle() == title);
      EXPECT_DIALOG(d.acceptMode() == QFileDialog::AcceptSave);
      EXPECT_DIALOG(d.nameFilters() == QStringList{filter});
      EXPECT_DIALOG(d.defaultSuffix() == suffix);
      EXPECT_DIALOG(!d.testOption(QFileDialog::DontConfirmOverwrite));
      files = QStringList{target};
      shown = d.nameFilters().front();
      return true;
    };
  }
};

}  // namespace skerrow

QTEST_MAIN(skerrow::TMainWindowTest)
#include "main_window_test.moc"
