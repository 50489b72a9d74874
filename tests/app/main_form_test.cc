// The window's commands and the enabled states they leave, with a scripted toolkit.
#include "app/main_form.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::TScriptedToolkit;
using testing::WriteFile;
using Items = std::vector<std::string>;

constexpr int kDat = 1, kTrc = 2, kLst = 3, kLog = 4;  // filter positions

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() : form(toolkit) { form.FormCreate(); }

  void Add(Items files, int filter) {
    toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{std::move(files), filter});
    form.Invoke(&TMainForm::BAddLogClick);
  }
  void CancelAdd() {
    toolkit.DialogAnswers.push_back(std::nullopt);
    form.Invoke(&TMainForm::BAddLogClick);
  }
  // BClearAll, BRemLog, BProcess, BSaveList
  std::vector<bool> ListCommands() const {
    return {form.BClearAll.Enabled, form.BRemLog.Enabled, form.BProcess.Enabled,
            form.BSaveList.Enabled};
  }

  TScriptedToolkit toolkit;
  TMainForm form;
  TempDir dir;
};

const std::vector<bool> kAllOn = {true, true, true, true};
const std::vector<bool> kAllOff = {false, false, false, false};

TEST_F(MainFormTest, StartsAsDeclared) {
  EXPECT_TRUE(form.BAddLog.Enabled);
  EXPECT_TRUE(form.BExit.Enabled);
  EXPECT_EQ(ListCommands(), kAllOff);
  EXPECT_FALSE(form.Stop.Enabled);
  EXPECT_FALSE(form.SaveLog.Enabled);
  EXPECT_EQ(form.Extracted.Caption, "Extracted: 0");
  EXPECT_EQ(form.CurrentFormat, 0);
  EXPECT_EQ(form.Progress.Position, 0);
  EXPECT_EQ(form.Total.Position, 0);
  EXPECT_EQ(form.Total.Max, 100);
  EXPECT_EQ(form.SelectLog.FilterIndex, 1);
  EXPECT_EQ(form.SelectLog.Title, "Select file...");
  ASSERT_EQ(form.SelectLog.Filters.size(), 4u);
  EXPECT_EQ(form.SelectLog.Filters[0].Text, "Motocross packages (*.dat)");
  EXPECT_EQ(form.SelectLog.Filters[1].Text, "EXE Text (*.trc)");
  EXPECT_EQ(form.SelectLog.Filters[2].Text, "Project list files (*.lst)");
  EXPECT_EQ(form.SelectLog.Filters[3].Pattern, "*.log");
  EXPECT_EQ(form.SaveRes.Title, "Select target...");
  EXPECT_EQ(form.SaveLST.DefaultExt, "lst");
  // Image indexes of the tool buttons.
  EXPECT_EQ(form.BAddLog.ImageIndex, 0);
  EXPECT_EQ(form.BSaveList.ImageIndex, 1);
  EXPECT_EQ(form.BRemLog.ImageIndex, 2);
  EXPECT_EQ(form.BProcess.ImageIndex, 3);
  EXPECT_EQ(form.BExit.ImageIndex, 4);
  EXPECT_EQ(form.BClearAll.ImageIndex, 5);
}

TEST_F(MainFormTest, AddAppendsWithTheSameFilterAndEmptiesOnAFormatChange) {
  Add({"/g/a.dat", "/g/b.dat"}, kDat);
  EXPECT_EQ(form.CurrentFormat, 2);
  EXPECT_EQ(ListCommands(), kAllOn);
  Add({"/g/a.dat"}, kDat);  // the same file again is listed twice
  EXPECT_EQ(form.LogList.Items, (Items{"/g/a.dat", "/g/b.dat", "/g/a.dat"}));

  Add({"/t/menus.trc"}, kTrc);
  EXPECT_EQ(form.LogList.Items, (Items{"/t/menus.trc"}));
  EXPECT_EQ(form.CurrentFormat, 3);
  EXPECT_EQ(form.SelectLog.FilterIndex, kTrc);
  // The dialog opens at the filter in force.
  CancelAdd();
  EXPECT_EQ(toolkit.DialogsShown.back().FilterIndex, kTrc);
  EXPECT_EQ(form.SelectLog.FilterIndex, kTrc);
}

TEST_F(MainFormTest, CancelledAddEnablesOnlyWhenTheListHasItems) {
  CancelAdd();
  EXPECT_EQ(ListCommands(), kAllOff);
  EXPECT_EQ(form.CurrentFormat, 0);

  Add({"/g/a.dat"}, kDat);
  form.BRemLog.Enabled = form.BProcess.Enabled = form.BSaveList.Enabled = false;
  CancelAdd();
  EXPECT_EQ(ListCommands(), kAllOn);
}

TEST_F(MainFormTest, ProjectListReplacesTheListWithItsLinesFromTheFirstFileOnly) {
  const std::string first = dir.File("p.lst"), second = dir.File("q.lst");
  WriteFile(first, "a\r\n\r\nb");  // an empty line is an empty item; no final break is fine
  WriteFile(second, "other\r\n");
  Add({"/x.log"}, kLog);
  Add({first, second}, kLst);
  EXPECT_EQ(form.CurrentFormat, 4);
  EXPECT_EQ(form.LogList.Items, (Items{"a", "", "b"}));
  EXPECT_EQ(ListCommands(), kAllOn);
}

TEST_F(MainFormTest, UnreadableProjectListShowsTheErrorAndLeavesCommandsDisabled) {
  Add({"/g/a.dat"}, kDat);
  Add({dir.File("missing.lst")}, kLst);
  ASSERT_EQ(toolkit.Messages.size(), 1u);
  EXPECT_EQ(toolkit.Messages[0].Text, "Cannot open file " + dir.File("missing.lst") + ".");
  EXPECT_EQ(toolkit.Messages[0].Title, "skerrow");
  EXPECT_EQ(toolkit.Messages[0].Icon, TMessageIcon::kError);
  EXPECT_EQ(form.CurrentFormat, 4);
  EXPECT_TRUE(form.LogList.Items.empty());  // the format change emptied it
  EXPECT_FALSE(form.BRemLog.Enabled);
  EXPECT_FALSE(form.BProcess.Enabled);
  EXPECT_FALSE(form.BSaveList.Enabled);
}

TEST_F(MainFormTest, RemoveTakesTheSelectedItemsAndMakesTheLastOneCurrent) {
  Add({"1", "2", "3", "4"}, kDat);
  form.LogList.Select(1);
  form.LogList.Select(2);
  form.Invoke(&TMainForm::BRemLogClick);
  EXPECT_EQ(form.LogList.Items, (Items{"1", "4"}));
  EXPECT_EQ(form.LogList.ItemIndex, 1);
  EXPECT_EQ(form.LogList.Selected, (std::vector<bool>{false, false}));
  EXPECT_EQ(ListCommands(), kAllOn);

  // Nothing selected: nothing removed, the last item becomes current.
  form.LogList.ItemIndex = 0;
  form.Invoke(&TMainForm::BRemLogClick);
  EXPECT_EQ(form.LogList.Items, (Items{"1", "4"}));
  EXPECT_EQ(form.LogList.ItemIndex, 1);

  form.LogList.Select(0);
  form.LogList.Select(1);
  form.Invoke(&TMainForm::BRemLogClick);
  EXPECT_TRUE(form.LogList.Items.empty());
  EXPECT_EQ(form.LogList.ItemIndex, -1);
  EXPECT_EQ(ListCommands(), kAllOff);
  EXPECT_EQ(form.CurrentFormat, 2);

  // The format stays, so the same filter appends to the empty list.
  Add({"5"}, kDat);
  EXPECT_EQ(form.LogList.Items, (Items{"5"}));
}

TEST_F(MainFormTest, ClearAllEmptiesTheListAndKeepsTheFormat) {
  Add({"a", "b"}, kTrc);
  form.Invoke(&TMainForm::BClearAllClick);
  EXPECT_TRUE(form.LogList.Items.empty());
  EXPECT_EQ(ListCommands(), kAllOff);
  EXPECT_EQ(form.CurrentFormat, 3);
  // An Add that leaves the list empty does not disable Clear all.
  form.BClearAll.Enabled = true;
  CancelAdd();
  EXPECT_TRUE(form.BClearAll.Enabled);
}

TEST_F(MainFormTest, SaveListWritesOnePathPerLine) {
  Add({"C:\\a.log", "C:\\b.log"}, kLog);
  const std::string path = dir.File("list.lst");
  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{path}, 0});
  EXPECT_TRUE(form.Invoke(&TMainForm::BSaveListClick));
  EXPECT_EQ(ReadFile(path), "C:\\a.log\r\nC:\\b.log\r\n");
  EXPECT_TRUE(toolkit.Messages.empty());

  toolkit.DialogAnswers.push_back(std::nullopt);  // cancelled: nothing happens
  EXPECT_TRUE(form.Invoke(&TMainForm::BSaveListClick));

  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{dir.File("no/x.lst")}, 0});
  EXPECT_FALSE(form.Invoke(&TMainForm::BSaveListClick));
  EXPECT_EQ(toolkit.Messages.back().Text, "Cannot create file " + dir.File("no/x.lst") + ".");
}

TEST_F(MainFormTest, SaveResultsWritesRichTextAndNamesTheFile) {
  form.Results.Text = "abc";
  form.SaveLog.Enabled = true;
  const std::string path = dir.File("run1.txt");
  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{path}, 0});
  form.Invoke(&TMainForm::SaveLogClick);
  const std::string rtf = ReadFile(path);
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.find("abc"), std::string::npos);
  EXPECT_NE(rtf, "abc");
  ASSERT_EQ(toolkit.Messages.size(), 1u);
  EXPECT_EQ(toolkit.Messages[0].Title, "Operation status");
  EXPECT_EQ(toolkit.Messages[0].Text, "run1.txt");
  EXPECT_EQ(toolkit.Messages[0].Icon, TMessageIcon::kInformation);
  EXPECT_FALSE(form.SaveLog.Enabled);

  // A file that cannot be created: no box, SaveLog stays enabled.
  form.SaveLog.Enabled = true;
  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{dir.File("no/r.txt")}, 0});
  form.Invoke(&TMainForm::SaveLogClick);
  EXPECT_EQ(toolkit.Messages.back().Icon, TMessageIcon::kError);
  EXPECT_TRUE(form.SaveLog.Enabled);
}

TEST_F(MainFormTest, StopDisablesItselfAndExitClosesTheWindow) {
  form.Stop.Enabled = true;
  form.Invoke(&TMainForm::StopClick);
  EXPECT_FALSE(form.Stop.Enabled);
  form.Invoke(&TMainForm::BExitClick);
  EXPECT_EQ(toolkit.CloseCalls, 1);
}

TEST(ErrorDisplay, AddsAFullStopOnlyAfterBytesSortingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Stream read error", "Stream read error."},
      {"Operation complete!", "Operation complete!"},
      {"Done.", "Done."},
      {"", ""},
      {"List index out of bounds (3)", "List index out of bounds (3)"},
      {"Cannot open file ", "Cannot open file "},
      {"Cannot open file C:\\x", "Cannot open file C:\\x."},
      {"ends in a digit 7", "ends in a digit 7."},
      {"high byte \xE9", "high byte \xE9."},
      {"slash/", "slash/."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TMainForm::ErrorDisplayText(c.message), c.shown) << c.message;
  }
}

}  // namespace
}  // namespace skerrow
