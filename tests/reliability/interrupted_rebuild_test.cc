// A rebuild killed with SIGKILL midway: the package at the output path stays the earlier one;
// what the dead process leaves is only its hidden temporary file beside it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/package_builder.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::BuildPackage;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// The first file in folder other than except, with its size; empty when there is none.
std::pair<std::string, uintmax_t> OtherFile(const std::string& folder, const std::string& except) {
  for (const auto& item : std::filesystem::directory_iterator(folder)) {
    const std::string name = item.path().filename().string();
    std::error_code error;
    if (name != except) return {name, std::filesystem::file_size(item.path(), error)};
  }
  return {};
}

TEST(InterruptedRebuild, SigkillMidwayLeavesTheEarlierPackageAtTheOutputPath) {
  TempDir dir;
  testing::MakeDirs(dir.File("src"));
  testing::MakeDirs(dir.File("out"));
  const std::string source = dir.File("src/p.dat");
  const std::string source_bytes = BuildPackage({{"a.tga", "one"}, {"b.tga", "two"}});
  WriteFile(source, source_bytes);
  // Entry 0 takes a big file, entry 1 a FIFO nobody writes to: the rebuild stops in the open
  // of the FIFO with the big entry written into its temporary file, and is killed there.
  const std::string big = dir.File("big.tga");
  const uintmax_t big_size = 4u << 20;
  WriteFile(big, std::string(big_size, 'b'));
  const std::string held = dir.File("held.tga");
  ASSERT_EQ(::mkfifo(held.c_str(), 0600), 0);
  const std::string log = dir.File("run.log");
  WriteFile(log, "#Format: DAT\r\n#Source: " + source + "\r\n" + big + "\r\n" + held + "\r\n");
  const std::string out = dir.File("out");
  WriteFile(out + "/p.dat", "an earlier package");

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::freopen("/dev/null", "w", stdout);
    ::freopen("/dev/null", "w", stderr);
    ::execl(SKERROW_BATCH_PATH, "skerrow-batch", "--out", out.c_str(), log.c_str(), nullptr);
    ::_exit(127);
  }
  // Wait (at most 30 s) for the temporary file to hold the big entry.
  std::pair<std::string, uintmax_t> pending;
  for (int i = 0; i < 3000 && pending.second < big_size; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    pending = OtherFile(out, "p.dat");
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_GE(pending.second, big_size) << "the rebuild never reached its second entry";
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

  EXPECT_EQ(ReadFile(out + "/p.dat"), "an earlier package");
  EXPECT_EQ(ReadFile(source), source_bytes);
  // The leftover is hidden and names the package it was for.
  EXPECT_TRUE(pending.first.starts_with(".p.dat.")) << pending.first;
}

}  // namespace
}  // namespace skerrow
