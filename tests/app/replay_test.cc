// The replay of result logs and project lists: keyword lines, the format in force, the source
// stream and the lines each handler consumes.
#include <gtest/gtest.h>

#include "app/main_form.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "support/recording_handlers.h"
#include "support/scripted_toolkit.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::CwdGuard;
using testing::TempDir;
using testing::THandlerCall;
using testing::TRecordingHandlers;
using testing::TScriptedToolkit;
using testing::WriteFile;
using Items = std::vector<std::string>;

class ReplayTest : public ::testing::Test {
 protected:
  ReplayTest() : form(toolkit, handlers) {
    form.FormCreate();
    form.State.OutputDir = dir.File("out");
  }

  // Writes a log of these lines (CR LF) and replays it directly.
  std::string WriteLog(const Items& lines, const std::string& name = "run.log") {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    WriteFile(dir.File(name), text);
    return dir.File(name);
  }
  void Replay(const Items& lines) { form.ReplayLog(WriteLog(lines)); }
  std::string Source(const std::string& name, const std::string& bytes = "data") {
    WriteFile(dir.File(name), bytes);
    return dir.File(name);
  }
  std::vector<std::string> Handlers() const {
    std::vector<std::string> names;
    for (const auto& call : handlers.Calls) names.push_back(call.Handler);
    return names;
  }

  CwdGuard cwd;
  TempDir dir;
  TScriptedToolkit toolkit;
  TRecordingHandlers handlers;
  TMainForm form;
};

TEST_F(ReplayTest, PackageLogCallsTheRebuildWithItsOutputPathAndResumesBehindItsEntries) {
  const std::string a = Source("a.dat"), b = Source("b b.dat");
  handlers.EntriesPerPackage = 2;
  Replay(
      {"#Format: DAT", "#Source: " + a, "e0", "e1", "#Format: DAT", "#Source: " + b, "f0", "f1"});
  ASSERT_EQ(handlers.Calls.size(), 2u);
  const THandlerCall& first = handlers.Calls[0];
  EXPECT_EQ(first.Handler, "RebuildPackage");
  EXPECT_EQ(first.Path, JoinPath(dir.File("out"), "a.dat"));
  EXPECT_EQ(first.FirstLine, 2);
  EXPECT_TRUE(first.SourceOpen);
  EXPECT_EQ(first.CurrentSource, a);
  // A path with blanks is the whole argument, and so is its file name part.
  EXPECT_EQ(handlers.Calls[1].Path, JoinPath(dir.File("out"), "b b.dat"));
  EXPECT_EQ(handlers.Calls[1].FirstLine, 6);
  EXPECT_EQ(form.State.CurrentSource, b);
  EXPECT_EQ(form.State.SourceStream, nullptr);  // closed after each line
  // Keyword lines are replaced by their arguments.
  EXPECT_EQ(form.State.ScriptList.At(0), "DAT");
  EXPECT_EQ(form.State.ScriptList.At(1), a);
}

TEST_F(ReplayTest, ResumesAtTheReturnedLineSoMixedLogsKeepTheirFormats) {
  const std::string pkg = Source("p.dat"), trc = Source("t.trc");
  handlers.EntriesPerPackage = 1;
  Replay({"#Format: DAT", "#Source: " + pkg, "entry", "#Format: TRC", "#Source: " + trc});
  EXPECT_EQ(Handlers(), (Items{"RebuildPackage", "InsertExeText"}));
  EXPECT_EQ(handlers.Calls[1].FirstLine, 5);
}

TEST_F(ReplayTest, OnlyExactKeywordsCount) {
  const std::string src = Source("x.trc");
  const struct {
    const char* name;
    Items lines;
    Items calls;
  } cases[] = {
      {"lower-case keyword", {"#format: TRC", "#Source: " + src}, {}},
      {"glued keyword", {"#Format: TRC", "#Source:" + src}, {}},
      {"lower-case format name", {"#Format: trc", "#Source: " + src}, {}},
      {"no format name", {"#Format: ", "#Source: " + src}, {}},
      {"source before any format", {"#Source: " + src}, {}},
      {"target line is accepted and ignored",
       {"#Format: TRC", "#Target x", "#Source: " + src},
       {"InsertExeText"}},
      {"format name is its first word",
       {"#Format: TRC  trailing", "#Source: " + src},
       {"InsertExeText"}},
      {"tab as separator", {"#Format:\tTRC", "#Source:\t" + src}, {"InsertExeText"}},
      {"indented keyword lines", {"  #Format: TRC", "\t#Source: " + src}, {"InsertExeText"}},
      {"blank lines and plain paths",
       {"", "   ", src, "#Format: TRC", "#Source: " + src},
       {"InsertExeText"}},
      {"a later format line switches off", {"#Format: TRC", "#Format: ZIP", "#Source: " + src}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    handlers.Calls.clear();
    form.State.CurrentSource.clear();
    Replay(c.lines);
    EXPECT_EQ(Handlers(), c.calls);
    if (!c.calls.empty()) {
      EXPECT_EQ(handlers.Calls[0].CurrentSource, src);
    }
  }
}

TEST_F(ReplayTest, SourceWithoutAFormatIsOpenedAndRecordedAll) {
  const std::string src = Source("x.dat");
  Replay({"#Source: " + src});
  EXPECT_TRUE(handlers.Calls.empty());
  EXPECT_EQ(form.State.CurrentSource, src);
  EXPECT_EQ(form.CurrentMessage.Caption, "Processing x.dat...");
}

TEST_F(ReplayTest, MissingPackageEndsTheReplayWithCannotOpen) {
  const std::string missing = dir.File("gone.dat");
  try {
    Replay({"#Format: DAT", "#Source: " + missing, "entry"});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + missing);
  }
  EXPECT_TRUE(handlers.Calls.empty());
  EXPECT_EQ(form.State.CurrentSource, missing);
}

TEST_F(ReplayTest, MissingDescriptionStillRunsTheInsertionWithoutAStream) {
  Replay({"#Format: TRC", "#Source: " + dir.File("gone.trc")});
  ASSERT_EQ(handlers.Calls.size(), 1u);
  EXPECT_FALSE(handlers.Calls[0].SourceOpen);
}

TEST_F(ReplayTest, SourceThatCannotBeOpenedForWritingIsRefused) {
  testing::MakeDirs(dir.File("folder.dat"));
  try {
    Replay({"#Format: DAT", "#Source: " + dir.File("folder.dat")});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("folder.dat"));
  }
}

TEST_F(ReplayTest, LongPathsAndWordsAreTakenWhole) {
  const std::string folder = std::string(200, 'd') + "/" + std::string(200, 'e');
  testing::MakeDirs(dir.File(folder));
  const std::string src = Source(folder + "/x.trc");
  Replay({"#Format: TRC", "#Source: " + src});
  ASSERT_EQ(handlers.Calls.size(), 1u);
  EXPECT_EQ(handlers.Calls[0].CurrentSource, src);
}

TEST_F(ReplayTest, BarsFollowTheLines) {
  const struct {
    const char* name;
    Items lines;
    std::vector<int> total;  // Total after each line
  } cases[] = {
      {"empty file", {}, {}},
      {"one line", {"x"}, {100}},
      {"two lines", {"#Format: TRC", "#Source: none"}, {0, 100}},
      {"five lines", {"a", "b", "c", "d", "e"}, {0, 25, 50, 75, 100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> total;
    toolkit.OnProcessMessages = [&] { total.push_back(form.Total.Position); };
    form.Progress.SetPosition(0);
    Replay(c.lines);
    EXPECT_EQ(total, c.total);
    EXPECT_EQ(form.Progress.Position, static_cast<int>(c.lines.size()));
    EXPECT_EQ(form.CurrentMessage.Caption.rfind("Processing ", 0), 0u);
  }
  toolkit.OnProcessMessages = nullptr;
  // The per-file bar stops at its maximum.
  form.Progress.SetPosition(99);
  Replay({"a", "b", "c"});
  EXPECT_EQ(form.Progress.Position, 100);
}

TEST_F(ReplayTest, HandlerErrorsAndTooFewLinesEndTheReplay) {
  const std::string src = Source("x.dat");
  handlers.FailOn[src] = "List index out of bounds (3)";
  EXPECT_THROW(Replay({"#Format: DAT", "#Source: " + src, "e0", "#Source: " + src}), Error);
  EXPECT_EQ(handlers.Calls.size(), 1u);
  EXPECT_THROW(form.ReplayLog(dir.File("missing.log")), Error);
}

TEST_F(ReplayTest, ProjectListRunReplaysEveryNamedLogIntoTheOneFolder) {
  CwdGuard guard;
  const std::string a = Source("a.dat"), b = Source("b.dat");
  handlers.EntriesPerPackage = 1;
  const std::string log1 = WriteLog({"#Format: DAT", "#Source: " + a, "x"}, "one.log");
  const std::string log2 = WriteLog({"#Format: DAT", "#Source: " + b, "y"}, "two.log");
  WriteFile(dir.File("p.lst"), log1 + "\r\n" + log2 + "\r\n");
  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{dir.File("p.lst")}, 3});
  form.Invoke(&TMainForm::BAddLogClick);
  testing::MakeDirs(dir.File("out"));
  toolkit.FolderAnswers.push_back(dir.File("out"));
  ASSERT_TRUE(form.Invoke(&TMainForm::BProcessClick));
  ASSERT_EQ(handlers.Calls.size(), 2u);
  EXPECT_EQ(handlers.Calls[0].Path, JoinPath(dir.File("out"), "a.dat"));
  EXPECT_EQ(handlers.Calls[1].Path, JoinPath(dir.File("out"), "b.dat"));
  EXPECT_FALSE(testing::Exists(dir.File("out/result.log")));
}

TEST_F(ReplayTest, StopEndsTheReplayAfterTheSourceLineInHand) {
  const std::string a = Source("a.trc");
  handlers.During = [&](TProcessState&) { form.Invoke(&TMainForm::StopClick); };
  WriteLog({"#Format: TRC", "#Source: " + a, "#Format: TRC", "#Source: " + a}, "s.log");
  toolkit.DialogAnswers.push_back(TScriptedToolkit::TDialogAnswer{{dir.File("s.log")}, 4});
  form.Invoke(&TMainForm::BAddLogClick);
  toolkit.FolderAnswers.push_back(dir.path());
  ASSERT_TRUE(form.Invoke(&TMainForm::BProcessClick));
  EXPECT_EQ(handlers.Calls.size(), 1u);
  EXPECT_TRUE(form.WasStopped());
}

}  // namespace
}  // namespace skerrow
