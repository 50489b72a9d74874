// Outputs the system may not write: a read-only output folder, a read-only executable, an
// executable that is running, and a disk that fills up. Each ends with the system's own error
// and leaves every file that stood before as it was.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "formats/format_handlers.h"
#include "reliability/own_errors.h"
#include "support/exe_builder.h"
#include "support/file_size_limit.h"
#include "support/package_builder.h"
#include "support/recording_host.h"
#include "support/section_file_writer.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::BuildPackage;
using testing::ExeBuilder;
using testing::IdentityCodeTable;
using testing::OutcomeOf;
using testing::ReadFile;
using testing::SectionFileWriter;
using testing::TempDir;
using testing::TRecordingHost;
using testing::WriteFile;

constexpr uid_t kNobody = 65534;

// Runs action in a child process, as user nobody when this process is root (for whom no mode
// bit refuses anything), and returns its outcome text. nullopt: the user cannot be changed.
std::optional<std::string> OutcomeAsUser(const std::function<void()>& action) {
  int pipe_fds[2];
  if (::pipe(pipe_fds) != 0) return std::nullopt;
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::close(pipe_fds[0]);
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(3);
    }
    std::string text;
    try {
      action();
      text = "ok";
    } catch (const std::exception& error) {
      text = error.what();
    }
    (void)!::write(pipe_fds[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(pipe_fds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(pipe_fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 3) return std::nullopt;
  return text;
}

class RefusedOutput : public ::testing::Test {
 protected:
  RefusedOutput() {
    state_.Host = &host_;
    out_ = dir_.File("out");
    testing::MakeDirs(out_);
    state_.OutputDir = out_;
    // Everyone may pass through and read; only the owner (root, or this user) may write.
    std::filesystem::permissions(dir_.path(), std::filesystem::perms(0755));
  }

  // A description of one text block at 0x20 and one glyph block at 0x60 in game.exe.
  std::string Description(const std::string& exe) {
    const std::string path = dir_.File("menu.trc");
    WriteFile(dir_.File("menu.txt"), "[Block#0]\r\nValue=HELLO\r\n[Block#1]\r\nValue=AB\r\n");
    WriteFile(dir_.File("codes.bin"), IdentityCodeTable());
    SectionFileWriter()
        .Init({{"Source", exe},
               {"Target", dir_.File("menu.txt")},
               {"CodeTable", dir_.File("codes.bin")},
               {"BlockSize", "0x1C"}})
        .Block(0, 0x20, 0x10, 1)
        .Block(1, 0x60, 0x38, 2)
        .Save(path);
    for (const char* name : {"menu.trc", "menu.txt", "codes.bin"}) {
      std::filesystem::permissions(dir_.File(name), std::filesystem::perms(0644));
    }
    return path;
  }

  std::string Insert(const std::string& description) {
    state_.CurrentSource = description;
    return OutcomeOf([&] { InsertExeText(state_, dir_.File("out/menu.trc"), 0); });
  }

  TempDir dir_;
  std::string out_;
  TProcessState state_;
  TRecordingHost host_;
};

TEST_F(RefusedOutput, ReadOnlyOutputFolderRefusesExtractionAndRebuild) {
  const std::string package = dir_.File("p.dat");
  const std::string bytes = BuildPackage({{"a.tga", "one"}, {"b", "two"}});
  WriteFile(package, bytes);
  WriteFile(out_ + "/p.dat", "an earlier package");
  std::filesystem::permissions(package, std::filesystem::perms(0644));
  std::filesystem::permissions(out_ + "/p.dat", std::filesystem::perms(0644));
  std::filesystem::permissions(out_, std::filesystem::perms(0555));

  const auto extracted = OutcomeAsUser([&] { ExtractPackage(state_, package); });
  if (!extracted) GTEST_SKIP() << "cannot run as another user";
  EXPECT_EQ(*extracted, "Cannot create file " + out_ + "/tga/00000000.tga");

  const auto rebuilt = OutcomeAsUser([&] {
    state_.ScriptList = TStringList({"", ""});
    state_.SourceStream = std::make_unique<TFileStream>(package, TFileStream::Mode::kRead);
    RebuildPackage(state_, out_ + "/p.dat", 0);
  });
  EXPECT_EQ(rebuilt, "Cannot create file " + out_ + "/p.dat");

  std::filesystem::permissions(out_, std::filesystem::perms(0755));
  EXPECT_EQ(ReadFile(package), bytes);
  EXPECT_EQ(ReadFile(out_ + "/p.dat"), "an earlier package");
  std::vector<std::string> names;
  for (const auto& item : std::filesystem::directory_iterator(out_)) {
    names.push_back(item.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"p.dat"});
}

TEST_F(RefusedOutput, ReadOnlyExecutableIsNotOpened) {
  const std::string exe = dir_.File("game.exe");
  const std::string bytes = ExeBuilder(0x100).Data();
  WriteFile(exe, bytes);
  std::filesystem::permissions(exe, std::filesystem::perms(0444));
  const std::string description = Description(exe);

  const auto outcome = OutcomeAsUser([&] {
    state_.CurrentSource = description;
    InsertExeText(state_, dir_.File("out/menu.trc"), 0);
  });
  if (!outcome) GTEST_SKIP() << "cannot run as another user";
  EXPECT_EQ(*outcome, "Cannot open file " + exe);
  EXPECT_EQ(ReadFile(exe), bytes);
}

TEST_F(RefusedOutput, RunningExecutableIsNotOpened) {
  // Linux refuses to open a running program's file for writing (ETXTBSY), root included.
  const std::string exe = dir_.File("game.exe");
  std::filesystem::copy_file("/bin/sleep", exe);
  const std::string bytes = ReadFile(exe);
  const std::string description = Description(exe);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::execl(exe.c_str(), "game.exe", "30", nullptr);
    ::_exit(127);
  }
  // The file is busy once the child has exec'd it; wait for that (at most 10 s).
  bool running = false;
  std::error_code error;
  for (int i = 0; i < 1000 && !running; ++i) {
    running = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error) == exe;
    if (!running) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string outcome = Insert(description);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ASSERT_TRUE(running);
  EXPECT_EQ(outcome, "Cannot open file " + exe);
  EXPECT_EQ(ReadFile(exe), bytes);
}

TEST_F(RefusedOutput, FullDiskDuringTextExtractionKeepsTheEarlierTextFiles) {
  const std::string exe = dir_.File("game.exe");
  WriteFile(exe, ExeBuilder(0x4000).Data());
  SectionFileWriter description;
  description.Init({{"Source", exe}, {"BlockSize", "0x1C"}});
  for (int n = 0; n < 64; ++n) description.Block(n, 0x100 + 0x80 * n, 0x80, n % 2 ? 2 : 1);
  const std::string path = dir_.File("menu.trc");
  description.Save(path);
  const std::string description_bytes = ReadFile(path);
  WriteFile(out_ + "/menu.txt", "earlier text");
  WriteFile(out_ + "/Vals.txt", "earlier values");
  {
    testing::FileSizeLimit full(4096);
    EXPECT_EQ(OutcomeOf([&] { ExtractExeText(state_, path); }), "Stream write error");
  }
  state_.Sections.SectionLines.reset();
  EXPECT_EQ(ReadFile(out_ + "/menu.txt"), "earlier text");
  EXPECT_EQ(ReadFile(out_ + "/Vals.txt"), "earlier values");
  EXPECT_EQ(ReadFile(path), description_bytes);
}

TEST_F(RefusedOutput, FullDiskNeverCutsAFileThatIsReplacedWhole) {
  // The result log, and a section file written back with CR LF in place of its LF.
  const std::string log = out_ + "/result.log";
  const std::string section = dir_.File("menu.trc");
  const std::string long_line(8000, 'x');
  for (const auto& [path, save] : std::vector<std::pair<std::string, std::function<void()>>>{
           {log, [&] { TStringList({long_line}).SaveToFile(log); }},
           {section, [&] {
              state_.Sections.OpenSectionFile(section);
              state_.Sections.CloseSectionFile();
            }}}) {
    SCOPED_TRACE(path);
    const std::string earlier = "[Init]\n" + long_line + "\n";
    WriteFile(path, earlier);
    {
      testing::FileSizeLimit full(4096);
      EXPECT_EQ(OutcomeOf(save), "Stream write error");
    }
    EXPECT_EQ(ReadFile(path), earlier);
    EXPECT_FALSE(testing::Exists(path + ".skerrow-new"));
  }
}

}  // namespace
}  // namespace skerrow
