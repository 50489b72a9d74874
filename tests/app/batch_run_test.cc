// The batch run: the output folder, the dispatch, the result log, the bars and the closing box.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/paths.h"
#include "support/recording_handlers.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::CwdGuard;
using testing::Exists;
using testing::ReadFile;
using testing::TempDir;
using testing::TRecordingHandlers;
using testing::TScriptedToolkit;
using testing::WriteFile;
using Items = std::vector<std::string>;

class BatchRunTest : public ::testing::Test {
 protected:
  BatchRunTest() : form(toolkit, handlers) { form.FormCreate(); }

  void Add(Items files, int filter) {
    toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{std::move(files), filter});
    form.Invoke(&TMainForm::BAddLogClick);
  }
  bool Process(std::optional<std::string> folder) {
    toolkit.FolderAnswers.push_back(folder);
    return form.Invoke(&TMainForm::BProcessClick);
  }
  std::string Log() const { return ReadFile(dir.File("out/result.log")); }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const auto& m : toolkit.Messages) texts.push_back(m.Text);
    return texts;
  }

  CwdGuard cwd;
  TempDir dir;
  TScriptedToolkit toolkit;
  TRecordingHandlers handlers;
  TMainForm form;
};

TEST_F(BatchRunTest, DispatchesEveryFileAndWritesTheLogOnlyAfterExtraction) {
  const struct {
    int filter;
    const char* handler;
    const char* formatLine;
    bool writesLog;
  } cases[] = {
      {1, "ExtractPackage", "#Format: DAT", true},
      {2, "ExtractExeText", "#Format: TRC", true},
      {4, nullptr, "#Format: ", false},  // result logs: the replay
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.formatLine);
    const std::string out = dir.File("out");
    testing::MakeDirs(out);
    WriteFile(out + "/result.log", "earlier");
    WriteFile(dir.File("a.log"), "");
    WriteFile(dir.File("b.log"), "");
    handlers.Calls.clear();
    toolkit.Messages.clear();
    Add({dir.File("a.log"), dir.File("b.log")}, c.filter);
    ASSERT_TRUE(Process(out));
    const std::string expected = std::string(c.formatLine) + "\r\n#Source: " + dir.File("a.log") +
                                 "\r\n" + c.formatLine + "\r\n#Source: " + dir.File("b.log") +
                                 "\r\n";
    EXPECT_EQ(Log(), c.writesLog ? expected : "earlier");
    if (c.handler) {
      ASSERT_EQ(handlers.Calls.size(), 2u);
      EXPECT_EQ(handlers.Calls[0].Handler, c.handler);
      EXPECT_EQ(handlers.Calls[1].Path, dir.File("b.log"));
      EXPECT_EQ(handlers.Calls[0].OutputDir, out);
      EXPECT_TRUE(SameFile(handlers.Calls[0].WorkingDir, out));
    } else {
      EXPECT_TRUE(handlers.Calls.empty());
    }
    EXPECT_EQ(MessageTexts(), Items{"Operation complete!"});
    EXPECT_EQ(toolkit.Messages[0].Title, "Process status:");
    EXPECT_TRUE(SameFile(GetCurrentDir(), out));
  }
}

TEST_F(BatchRunTest, OverallBarShowsTheShareFinishedBeforeEachFile) {
  Add({"a.dat", "b.dat", "c.dat", "d.dat"}, 1);
  std::vector<int> seen;
  toolkit.OnProcessMessages = [&] { seen.push_back(form.Total.Position); };
  std::vector<bool> stopDuring;
  handlers.During = [&](TProcessState&) { stopDuring.push_back(form.Stop.Enabled); };
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_EQ(seen, (std::vector<int>{0, 25, 50, 75}));
  EXPECT_EQ(stopDuring, (std::vector<bool>(4, true)));
  EXPECT_EQ(form.Total.Position, 0);
  EXPECT_EQ(form.Progress.Position, 0);
  EXPECT_FALSE(form.Stop.Enabled);
  EXPECT_EQ(form.Extracted.Caption, "");
  EXPECT_EQ(form.CurrentMessage.Caption, "");
  EXPECT_EQ(toolkit.FocusCalls, 4);
}

TEST_F(BatchRunTest, CancelledChooserHandlesNothingButStillCompletes) {
  Add({"a.dat"}, 1);
  form.Results.Text = "typed";
  form.CurrentMessage.Caption = "kept";
  form.Total.SetPosition(40);
  ASSERT_TRUE(Process(std::nullopt));
  EXPECT_TRUE(handlers.Calls.empty());
  EXPECT_EQ(form.Results.Text, "");
  EXPECT_EQ(form.State.ResultList.Count(), 0);
  EXPECT_EQ(form.CurrentMessage.Caption, "kept");
  EXPECT_EQ(form.Extracted.Caption, "Extracted: 0");
  EXPECT_EQ(form.Total.Position, 40);
  EXPECT_EQ(MessageTexts(), Items{"Operation complete!"});
  EXPECT_FALSE(Exists(dir.File("result.log")));
  // The chooser opened at the working folder.
  EXPECT_EQ(toolkit.FoldersOffered, Items{GetCurrentDir()});
}

TEST_F(BatchRunTest, AnErrorInTheSecondFileEndsTheRunWithoutALog) {
  Add({"a.dat", "b.dat", "c.dat"}, 1);
  handlers.FailOn["b.dat"] = "Stream read error";
  EXPECT_FALSE(Process(dir.path()));
  ASSERT_EQ(handlers.Calls.size(), 2u);
  EXPECT_EQ(MessageTexts(), Items{"Stream read error."});
  EXPECT_FALSE(Exists(dir.File("result.log")));
  EXPECT_TRUE(form.Stop.Enabled);
  EXPECT_FALSE(form.Running());
  EXPECT_EQ(form.State.ResultList.Count(), 4);
  // The commands came back.
  EXPECT_TRUE(form.BAddLog.Enabled);
  EXPECT_TRUE(form.BProcess.Enabled);
}

TEST_F(BatchRunTest, MissingFolderIsCreatedWithItsParentsOnlyAfterYes) {
  Add({"a.trc"}, 2);
  const std::string deep = dir.File("new/deeper");
  toolkit.FolderAnswers = {deep, deep};
  toolkit.YesNoAnswers = {false, true};  // No returns to the chooser
  ASSERT_TRUE(form.Invoke(&TMainForm::BProcessClick));
  EXPECT_EQ(toolkit.Questions, Items(2, "The specified directory does not exist. Create it?"));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_EQ(form.State.OutputDir, deep);
  EXPECT_EQ(ReadFile(deep + "/result.log"), "#Format: TRC\r\n#Source: a.trc\r\n");
}

TEST_F(BatchRunTest, EmptyFolderFieldCannotBeCreated) {
  Add({"a.trc"}, 2);
  toolkit.FolderAnswers = {std::string()};
  toolkit.YesNoAnswers = {true};
  EXPECT_FALSE(form.Invoke(&TMainForm::BProcessClick));
  EXPECT_EQ(MessageTexts(), Items{"Unable to create directory."});
  EXPECT_TRUE(handlers.Calls.empty());
  EXPECT_EQ(form.State.OutputDir, "");
}

TEST_F(BatchRunTest, FolderEndingInASeparatorJoinsAsItIs) {
  Add({"a.dat"}, 1);
  ASSERT_TRUE(Process(dir.path() + "/"));
  EXPECT_EQ(ReadFile(dir.File("result.log")), "#Format: DAT\r\n#Source: a.dat\r\n");
}

TEST_F(BatchRunTest, UnwritableResultLogIsReportedWithoutTheClosingBox) {
  Add({"a.dat"}, 1);
  testing::MakeDirs(dir.File("result.log"));  // a folder where the log should go
  EXPECT_FALSE(Process(dir.path()));
  EXPECT_EQ(MessageTexts(), Items{"Cannot create file " + dir.path() + "/result.log."});
}

TEST_F(BatchRunTest, CommandsStayDisabledDuringARunAndComeBackAfterIt) {
  Add({"a.dat", "b.dat"}, 1);
  std::vector<bool> during;
  handlers.During = [&](TProcessState&) {
    during = {form.BAddLog.Enabled, form.BRemLog.Enabled, form.BClearAll.Enabled,
              form.BSaveList.Enabled, form.BProcess.Enabled};
    // Clicks that reach the window anyway change nothing.
    form.Invoke(&TMainForm::BClearAllClick);
    form.Invoke(&TMainForm::BProcessClick);
    form.Invoke(&TMainForm::BAddLogClick);
  };
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_EQ(during, std::vector<bool>(5, false));
  EXPECT_EQ(handlers.Calls.size(), 2u);
  EXPECT_EQ(form.LogList.Count(), 2);
  EXPECT_TRUE(form.BAddLog.Enabled && form.BRemLog.Enabled && form.BClearAll.Enabled &&
              form.BSaveList.Enabled && form.BProcess.Enabled);
}

TEST_F(BatchRunTest, StopEndsTheRunAfterTheFileInHandAndLogsOnlyFinishedFiles) {
  Add({"a.dat", "b.dat", "c.dat"}, 1);
  handlers.During = [&](TProcessState& state) {
    state.ResultList.Add("entry of " + state.ResultList.At(state.ResultList.Count() - 1));
    if (handlers.Calls.size() == 1) form.Invoke(&TMainForm::StopClick);
  };
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_EQ(handlers.Calls.size(), 1u);
  EXPECT_TRUE(form.WasStopped());
  EXPECT_EQ(ReadFile(dir.File("result.log")),
            "#Format: DAT\r\n#Source: a.dat\r\nentry of #Source: a.dat\r\n");
  EXPECT_EQ(MessageTexts(), Items{TMainForm::kStoppedText});

  // The next run starts afresh.
  handlers.During = nullptr;
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_EQ(handlers.Calls.size(), 4u);
  EXPECT_FALSE(form.WasStopped());
}

TEST_F(BatchRunTest, ExitDuringARunClosesTheWindowAfterTheClosingBox) {
  Add({"a.dat", "b.dat"}, 1);
  handlers.During = [&](TProcessState&) {
    form.Invoke(&TMainForm::BExitClick);
    EXPECT_EQ(toolkit.CloseCalls, 0);
  };
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_EQ(handlers.Calls.size(), 2u);  // the run went on to its end
  EXPECT_EQ(MessageTexts(), Items{"Operation complete!"});
  EXPECT_EQ(toolkit.CloseCalls, 1);
}

TEST_F(BatchRunTest, SaveResultsIsOfferedAfterAFileWhenThePaneHasText) {
  Add({"a.dat"}, 1);
  handlers.During = [&](TProcessState&) { form.Results.Text = "notes"; };
  ASSERT_TRUE(Process(dir.path()));
  EXPECT_TRUE(form.SaveLog.Enabled);
  handlers.During = nullptr;
  ASSERT_TRUE(Process(dir.path()));  // the run empties the pane first
  EXPECT_FALSE(form.SaveLog.Enabled);
}

}  // namespace
}  // namespace skerrow
