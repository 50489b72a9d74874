// Paths from files the system did not write: entry names that look like paths never steer a
// write outside the output folder, and a log naming paths elsewhere is only ever read there.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "app/main_form.h"
#include "formats/format_handlers.h"
#include "reliability/own_errors.h"
#include "support/exe_builder.h"
#include "support/package_builder.h"
#include "support/recording_host.h"
#include "support/scripted_toolkit.h"
#include "support/section_file_writer.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

namespace fs = std::filesystem;
using testing::BuildPackage;
using testing::OutcomeOf;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

// Every file below root with its bytes, by path relative to root.
std::map<std::string, std::string> FilesBelow(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    if (item.is_regular_file()) {
      files[fs::relative(item.path(), root).string()] = ReadFile(item.path().string());
    }
  }
  return files;
}

std::map<std::string, std::string> Outside(std::map<std::string, std::string> files) {
  std::erase_if(files, [](const auto& file) {
    return file.first.starts_with("out/") || file.first == "run.log";
  });
  return files;
}

bool Inside(const std::string& path, const std::string& folder) {
  const fs::path relative = fs::path(path).lexically_normal().lexically_relative(folder);
  return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

TEST(BadPaths, EntryNamesNeverLeaveTheOutputFolder) {
  TempDir dir;
  testing::MakeDirs(dir.File("out"));
  const std::vector<std::string> names = {"../up.tga",
                                          "..\\up.tga",
                                          "../../../../tmp/x.wav",
                                          "/etc/abs.tga",
                                          "\\abs.tga",
                                          "C:\\boot.ini",
                                          "C:rel.tga",
                                          "D:",
                                          "..",
                                          ".",
                                          "a/../../b.tga",
                                          "\\\\server\\share\\x.tga",
                                          "x.",
                                          "x..",
                                          "tga/../../y.tga",
                                          "a.b/c",
                                          "a.b\\c",
                                          "a.b:c",
                                          "a.../b",
                                          "..tga",
                                          "a.tga/..",
                                          std::string("ok.tga\0../../z", 14)};
  std::vector<testing::TPackageEntry> entries;
  for (const std::string& name : names) entries.push_back({name, "data of " + name});
  const std::string package = dir.File("p.dat");
  WriteFile(package, BuildPackage(entries));
  const auto before = FilesBelow(dir.path());

  testing::THostedState run(dir.File("out"));
  TProcessState& state = run.State;
  ExtractPackage(state, package);

  ASSERT_EQ(state.ResultList.Count(), static_cast<int>(names.size()));
  for (int i = 0; i < state.ResultList.Count(); ++i) {
    const std::string& path = state.ResultList.At(i);
    SCOPED_TRACE(names[i]);
    EXPECT_TRUE(Inside(path, dir.File("out"))) << path;
    EXPECT_EQ(ReadFile(path), "data of " + names[i]);
  }
  EXPECT_EQ(Outside(FilesBelow(dir.path())), before);
}

class LogNamingOtherFolders : public ::testing::Test {
 protected:
  LogNamingOtherFolders() {
    for (const char* folder : {"src", "elsewhere", "out"}) testing::MakeDirs(dir.File(folder));
    form.FormCreate();
    form.State.OutputDir = dir.File("out");
  }
  std::string Replay(const std::string& lines) {
    WriteFile(dir.File("run.log"), lines);
    return OutcomeOf([&] { form.ReplayLog(dir.File("run.log")); });
  }

  testing::CwdGuard cwd;
  TempDir dir;
  testing::TScriptedToolkit toolkit;
  TMainForm form{toolkit};
};

TEST_F(LogNamingOtherFolders, ReplacementFilesAreReadNeverWritten) {
  const std::string source = dir.File("src/p.dat");
  WriteFile(source, BuildPackage({{"a.tga", "one"}, {"b.tga", "two"}, {"c.tga", "three"}}));
  const std::string edited = dir.File("elsewhere/a.tga");
  WriteFile(edited, "edited");
  // One line names an edited file in another folder, one a file that does not exist there,
  // one the source package itself.
  const std::string missing = dir.File("elsewhere/missing.tga");
  const auto before = FilesBelow(dir.path());
  EXPECT_EQ(Replay("#Format: DAT\r\n#Source: " + source + "\r\n" + edited + "\r\n" + missing +
                   "\r\n" + source + "\r\n"),
            "");
  EXPECT_EQ(Outside(FilesBelow(dir.path())), Outside(before));
  const auto entries = testing::DecodePackage(ReadFile(dir.File("out/p.dat")));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Data, "edited");
  EXPECT_EQ(entries[1].Data, "two");
  EXPECT_EQ(entries[2].Data, ReadFile(source));
}

TEST_F(LogNamingOtherFolders, MissingDescriptionIsNeverCreated) {
  // A text insertion whose description is gone fails; no later run may create that file.
  const std::string gone = dir.File("elsewhere/gone.trc");
  EXPECT_EQ(Replay("#Format: TRC\r\n#Source: " + gone + "\r\n"), "Cannot open file ");

  const std::string exe = dir.File("src/game.exe");
  WriteFile(exe, testing::ExeBuilder(0x100).Data());
  WriteFile(dir.File("src/menu.txt"), "[Block#0]\r\nValue=HI\r\n");
  WriteFile(dir.File("src/codes.bin"), testing::IdentityCodeTable());
  const std::string description = dir.File("src/menu.trc");
  testing::SectionFileWriter()
      .Init({{"Source", exe},
             {"Target", dir.File("src/menu.txt")},
             {"CodeTable", dir.File("src/codes.bin")}})
      .Block(0, 0x20, 0x8, 1)
      .Save(description);
  EXPECT_EQ(Replay("#Format: TRC\r\n#Source: " + description + "\r\n"), "");
  EXPECT_EQ(ReadFile(exe).substr(0x20, 8), std::string("HI\0\0\0\0\0\0", 8));
  EXPECT_FALSE(testing::Exists(gone));
}

}  // namespace
}  // namespace skerrow
