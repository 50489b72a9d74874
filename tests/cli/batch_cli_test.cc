// skerrow-batch as a user runs it: its usage errors, its exit codes and what it prints.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

#include "support/run_batch.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::Exists;
using testing::ReadFile;
using testing::RunBatch;
using testing::TempDir;
using testing::WriteFile;

TEST(BatchCli, UsageErrorsExitWithTwo) {
  TempDir dir;
  WriteFile(dir.File("a.log"), "");
  WriteFile(dir.File("b.dat"), "");
  const struct {
    const char* name;
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {"unknown option", {"--frobnicate", "--out", "o", "a.log"}, "unknown option --frobnicate"},
      {"no --out", {"a.log"}, "no output folder"},
      {"--out without value", {"a.log", "--out"}, "--out needs a value"},
      {"no files", {"--out", "o"}, "no input files"},
      {"mixed kinds", {"--out", "o", "a.log", "b.dat"}, "different kinds"},
      {"unknown extension", {"--out", "o", "notes.txt"}, "cannot tell the kind"},
      {"unknown kind", {"--out", "o", "--kind", "zip", "a.log"}, "unknown kind"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto result = RunBatch(c.args, dir.path());
    EXPECT_EQ(result.ExitCode, 2);
    EXPECT_NE(result.Err.find(c.says), std::string::npos) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_FALSE(Exists(dir.File("o")));
  }
}

TEST(BatchCli, HelpAndVersion) {
  const auto help = RunBatch({"--help"});
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Out.find("--out DIR"), std::string::npos);
  const auto version = RunBatch({"--version"});
  EXPECT_EQ(version.ExitCode, 0);
  EXPECT_EQ(version.Out.rfind("skerrow-batch ", 0), 0u);
}

TEST(BatchCli, LogsOfNoKnownFormatCompleteAndLeaveTheResultLogAlone) {
  TempDir dir;
  WriteFile(dir.File("a.log"), "#Format: dat\r\n#Source: " + dir.File("x.dat") + "\r\n");
  WriteFile(dir.File("b.log"), "just a line\r\n");
  testing::MakeDirs(dir.File("out"));
  WriteFile(dir.File("out/result.log"), "earlier run\r\n");
  const auto result = RunBatch({"--out", "out", "a.log", "b.log"}, dir.path());
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Out, "Operation complete!\n");
  EXPECT_EQ(result.Err, "");
  EXPECT_EQ(ReadFile(dir.File("out/result.log")), "earlier run\r\n");
}

TEST(BatchCli, MissingPackageInALogEndsWithCannotOpen) {
  TempDir dir;
  const std::string missing = dir.File("gone.dat");
  WriteFile(dir.File("a.log"), "#Format: DAT\r\n#Source: " + missing + "\r\nentry\r\n");
  const auto result = RunBatch({"--out", dir.File("new/out"), dir.File("a.log")});
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "skerrow-batch: Cannot open file " + missing + ".\n");
  EXPECT_EQ(result.Out, "");
  EXPECT_TRUE(Exists(dir.File("new/out")));  // the output folder was made first
}

TEST(BatchCli, ProjectListReplaysTheLogsItNames) {
  TempDir dir;
  const std::string missing = dir.File("second.dat");
  WriteFile(dir.File("one.log"), "#Format: TXT\r\n#Source: whatever\r\n");
  WriteFile(dir.File("two.log"), "#Format: DAT\r\n#Source: " + missing + "\r\n");
  WriteFile(dir.File("list.lst"), dir.File("one.log") + "\r\n" + dir.File("two.log") + "\r\n");
  // The second log is reached: its missing package is what ends the run.
  const auto result = RunBatch({"--out", dir.File("out"), dir.File("list.lst")});
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_EQ(result.Err, "skerrow-batch: Cannot open file " + missing + ".\n");

  WriteFile(dir.File("list.lst"), dir.File("one.log") + "\r\n");
  const auto ok = RunBatch({"--out", dir.File("out"), "--kind", "lst", dir.File("list.lst")});
  EXPECT_EQ(ok.ExitCode, 0);
  EXPECT_EQ(ok.Out, "Operation complete!\n");
  EXPECT_FALSE(Exists(dir.File("out/result.log")));
}

// Ctrl-C presses Stop: the run finishes the file in hand, skips the rest and says so.
TEST(BatchCli, InterruptStopsAfterTheFileInHand) {
  TempDir dir;
  const std::string fifo = dir.File("first.log");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Handling the second log would fail: its package is missing.
  WriteFile(dir.File("second.log"), "#Format: DAT\r\n#Source: " + dir.File("gone.dat") + "\r\n");
  WriteFile(dir.File("list.lst"), fifo + "\r\n" + dir.File("second.log") + "\r\n");
  testing::MakeDirs(dir.File("out"));

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const int out = ::open(dir.File("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::execl(SKERROW_BATCH_PATH, SKERROW_BATCH_PATH, "--out", dir.File("out").c_str(),
            dir.File("list.lst").c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  // A reader that gave up early must fail the test, not kill it.
  std::signal(SIGPIPE, SIG_IGN);
  // The pipe opens for writing once the program has opened it to read the first log. Wait
  // for that, but not for ever, and not for a program that has already ended.
  int writer = -1;
  for (int tries = 0; writer < 0 && tries < 2000; ++tries) {
    writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) break;
    int early = 0;
    if (::waitpid(pid, &early, WNOHANG) == pid) FAIL() << "skerrow-batch ended before reading";
    ::usleep(10000);
  }
  if (writer < 0) ::kill(pid, SIGKILL);
  ASSERT_GE(writer, 0) << "skerrow-batch never opened the first log";
  ::fcntl(writer, F_SETFL, 0);
  ASSERT_EQ(::kill(pid, SIGINT), 0);
  const std::string log = "#Format: \r\n#Source: nothing\r\n";
  ASSERT_EQ(::write(writer, log.data(), log.size()), static_cast<ssize_t>(log.size()));
  ::close(writer);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(dir.File("stdout")),
            "Operation stopped: the run ended after the file in hand.\n");
}

}  // namespace
}  // namespace skerrow
