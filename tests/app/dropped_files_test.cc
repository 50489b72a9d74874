// Files dropped onto the input list: the kind comes from the extensions, the rest is Add.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/format_table.h"
#include "app/main_form.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::TempDir;

// Answers nothing on its own: every dialog is cancelled, the output folder is the one given,
// and every box is recorded.
class TRecordingToolkit : public TToolkit {
 public:
  struct TBox {
    std::string Title, Text;
    TMessageIcon Icon;
  };
  std::string OutputFolder;
  std::vector<TBox> Boxes;

  bool ExecuteDialog(TFileDialog&) override { return false; }
  bool BrowseForFolder(const std::string&, std::string& folder) override {
    folder = OutputFolder;
    return true;
  }
  bool AskYesNo(const std::string&, const std::string&) override { return true; }
  void ShowMessage(const std::string& title, const std::string& text, TMessageIcon icon) override {
    Boxes.push_back({title, text, icon});
  }
  void ProcessMessages() override {}
  void FocusResults() override {}
  void CloseMainWindow() override {}
  std::string ApplicationTitle() const override { return "skerrow"; }
};

// Records the files the run hands on; a callback may act in the middle of a run.
class TRecordingHandlers : public THandlerSet {
 public:
  std::vector<std::string> Extracted;
  std::function<void()> DuringRun;
  void ExtractPackage(TProcessState&, const std::string& path) override { Record(path); }
  void ExtractExeText(TProcessState&, const std::string& path) override { Record(path); }

 private:
  void Record(const std::string& path) {
    Extracted.push_back(path);
    if (DuringRun) DuringRun();
  }
};

struct Fixture {
  TRecordingToolkit toolkit;
  TRecordingHandlers handlers;
  TMainForm form{toolkit, handlers};
  Fixture() { form.FormCreate(); }
  bool Drop(const std::vector<std::string>& paths) {
    return form.Invoke([&] { form.AddDroppedFiles(paths); });
  }
  bool ListCommandsEnabled() const {
    return form.BClearAll.Enabled && form.BRemLog.Enabled && form.BProcess.Enabled &&
           form.BSaveList.Enabled;
  }
};

TEST(FilterPositionOfExt, NamesTheFilterOfEachKnownExtension) {
  const struct {
    const char* ext;
    int position;
  } cases[] = {{".dat", 1}, {".DAT", 1}, {".Trc", 2}, {".lst", 3},  {".log", 4},
               {".txt", 0}, {".", 0},    {"", 0},     {".dat2", 0}, {"dat", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    EXPECT_EQ(FilterPositionOfExt(c.ext), c.position);
  }
}

TEST(DroppedFiles, AreAddedUnderTheFilterTheirExtensionNames) {
  const struct {
    std::vector<std::string> files;
    int filter;
    uint8_t format;
  } cases[] = {
      {{"/g/a.dat", "/g/B.DAT"}, 1, kFormatPackage},
      {{"/g/menus.trc"}, 2, kFormatText},
      {{"/w/result.log", "/x/result.Log"}, 4, kFormatLog},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.files.front());
    Fixture f;
    ASSERT_TRUE(f.Drop(c.files));
    EXPECT_EQ(f.form.LogList.Items, c.files);
    EXPECT_EQ(f.form.SelectLog.FilterIndex, c.filter);
    EXPECT_EQ(f.form.CurrentFormat, c.format);
    EXPECT_TRUE(f.ListCommandsEnabled());
  }
}

TEST(DroppedFiles, OfTheKindInForceAppendAndOfAnotherKindReplaceTheList) {
  Fixture f;
  ASSERT_TRUE(f.Drop({"/g/a.dat"}));
  ASSERT_TRUE(f.Drop({"/g/b.dat", "/g/a.dat"}));
  EXPECT_EQ(f.form.LogList.Items, (std::vector<std::string>{"/g/a.dat", "/g/b.dat", "/g/a.dat"}));

  ASSERT_TRUE(f.Drop({"/g/menus.trc"}));
  EXPECT_EQ(f.form.LogList.Items, (std::vector<std::string>{"/g/menus.trc"}));
  EXPECT_EQ(f.form.CurrentFormat, kFormatText);
}

TEST(DroppedFiles, OfMixedOrUnknownKindsAreRefusedAndChangeNothing) {
  const std::vector<std::vector<std::string>> drops = {
      {"/g/a.dat", "/w/result.log"},
      {"/g/a.dat", "/g/notes.txt"},
      {"/g/notes.txt"},
      {"/g/folder"},
      {"/g/a.dat", "/g/menus.trc", "/g/b.dat"},
  };
  for (const auto& drop : drops) {
    SCOPED_TRACE(drop.back());
    Fixture f;
    ASSERT_TRUE(f.Drop({"/g/first.trc"}));
    EXPECT_FALSE(f.Drop(drop));
    ASSERT_EQ(f.toolkit.Boxes.size(), 1u);
    EXPECT_EQ(f.toolkit.Boxes[0].Title, "skerrow");
    EXPECT_EQ(f.toolkit.Boxes[0].Text, std::string(TMainForm::kMixedDropText) + ".");
    EXPECT_EQ(f.toolkit.Boxes[0].Icon, TMessageIcon::kError);
    EXPECT_EQ(f.form.LogList.Items, (std::vector<std::string>{"/g/first.trc"}));
    EXPECT_EQ(f.form.SelectLog.FilterIndex, 2);
    EXPECT_EQ(f.form.CurrentFormat, kFormatText);
    EXPECT_TRUE(f.ListCommandsEnabled());
  }
}

TEST(DroppedFiles, AProjectListReplacesTheListWithTheLinesOfTheFirst) {
  TempDir dir;
  testing::WriteFile(dir.File("one.lst"), "a.log\r\n\r\nb.log\r\n");
  testing::WriteFile(dir.File("two.lst"), "c.log\r\n");
  Fixture f;
  ASSERT_TRUE(f.Drop({"/g/x.dat"}));
  ASSERT_TRUE(f.Drop({dir.File("one.lst"), dir.File("two.lst")}));
  EXPECT_EQ(f.form.LogList.Items, (std::vector<std::string>{"a.log", "", "b.log"}));
  EXPECT_EQ(f.form.CurrentFormat, kFormatList);
}

TEST(DroppedFiles, AProjectListThatCannotBeReadFailsAsAddDoes) {
  TempDir dir;
  Fixture f;
  const std::string missing = dir.File("missing.lst");
  EXPECT_FALSE(f.Drop({missing}));
  ASSERT_EQ(f.toolkit.Boxes.size(), 1u);
  EXPECT_EQ(f.toolkit.Boxes[0].Text, "Cannot open file " + missing + ".");
  EXPECT_EQ(f.form.CurrentFormat, kFormatList);
  EXPECT_FALSE(f.form.BProcess.Enabled);
}

TEST(DroppedFiles, SetTheFormatNameThatTheNextRunWrites) {
  TempDir dir;
  testing::CwdGuard cwd;
  Fixture f;
  f.toolkit.OutputFolder = dir.path();
  ASSERT_TRUE(f.Drop({"/g/a.dat"}));
  ASSERT_TRUE(f.Drop({"/g/menus.trc"}));
  ASSERT_TRUE(f.form.Invoke(&TMainForm::BProcessClick));
  EXPECT_EQ(f.handlers.Extracted, (std::vector<std::string>{"/g/menus.trc"}));
  EXPECT_EQ(testing::ReadFile(dir.File("result.log")), "#Format: TRC\r\n#Source: /g/menus.trc\r\n");
}

TEST(DroppedFiles, AreIgnoredDuringARun) {
  TempDir dir;
  testing::CwdGuard cwd;
  Fixture f;
  f.toolkit.OutputFolder = dir.path();
  ASSERT_TRUE(f.Drop({"/g/a.dat", "/g/b.dat"}));
  bool dropped = false;
  f.handlers.DuringRun = [&] {
    if (!dropped) dropped = f.Drop({"/g/menus.trc"});
  };
  ASSERT_TRUE(f.form.Invoke(&TMainForm::BProcessClick));
  EXPECT_TRUE(dropped);  // no error shown for it either
  EXPECT_EQ(f.handlers.Extracted, (std::vector<std::string>{"/g/a.dat", "/g/b.dat"}));
  EXPECT_EQ(f.form.LogList.Items, (std::vector<std::string>{"/g/a.dat", "/g/b.dat"}));
  EXPECT_EQ(f.form.CurrentFormat, kFormatPackage);
}

}  // namespace
}  // namespace skerrow
