// The README's walkthrough of the demo game, run as a user runs it: skerrow-make-demo, then
// skerrow-batch for both round trips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/run_batch.h"
#include "support/temp_dir.h"

#ifndef SKERROW_MAKE_DEMO_PATH
#define SKERROW_MAKE_DEMO_PATH "skerrow-make-demo"
#endif

namespace skerrow {
namespace {

using testing::ReadFile;
using testing::RunBatch;
using testing::TempDir;
using testing::WriteFile;

std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string BlockText(const std::vector<std::string>& values) {
  std::vector<std::string> lines;
  for (size_t n = 0; n < values.size(); ++n) {
    const std::string section = "Block#" + std::to_string(n);
    lines.insert(lines.end(),
                 {"[" + section + "]", "Value=" + values[n], "[End of " + section + "]"});
  }
  return CrLfLines(lines);
}

class DemoWalkthrough : public ::testing::Test {
 protected:
  DemoWalkthrough() {
    const std::string command =
        std::string("'") + SKERROW_MAKE_DEMO_PATH + "' '" + Demo("") + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
  }

  // Runs skerrow-batch in the scratch folder and expects it to complete.
  void Run(const std::vector<std::string>& args) {
    const auto result = RunBatch(args, dir_.path());
    EXPECT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out, "Operation complete!\n");
  }

  std::string Demo(const std::string& name) const { return dir_.File("demo/" + name); }
  std::string File(const std::string& name) const { return dir_.File(name); }

  TempDir dir_;
};

TEST_F(DemoWalkthrough, PackagesComeBackWithTheEditedEntry) {
  Run({"--out", "work", "demo/game/data/menu.dat", "demo/game/data/sounds.dat"});
  ASSERT_EQ(ReadFile(File("work/txt/00000001.txt")),
            "Welcome to Mudflap Moto!\r\nMind the puddles.\r\n");
  EXPECT_TRUE(testing::Exists(File("work/wav/00000001.wav")));
  WriteFile(File("work/txt/00000001.txt"), "Willkommen bei Mudflap Moto!\r\n");

  Run({"--out", "out", "work/result.log"});
  EXPECT_EQ(ReadFile(File("out/sounds.dat")), ReadFile(Demo("game/data/sounds.dat")));
  EXPECT_NE(ReadFile(File("out/menu.dat")), ReadFile(Demo("game/data/menu.dat")));

  Run({"--out", "check", "out/menu.dat"});
  EXPECT_EQ(ReadFile(File("check/txt/00000001.txt")), "Willkommen bei Mudflap Moto!\r\n");
  EXPECT_EQ(ReadFile(File("check/tga/00000000.tga")), ReadFile(File("work/tga/00000000.tga")));
}

TEST_F(DemoWalkthrough, TextGoesIntoTheExecutableAndComesBack) {
  const std::string exe_path = Demo("game/mudflap.exe");
  const std::string original = ReadFile(exe_path);

  Run({"--out", "work", "demo/text/menus.trc"});
  EXPECT_EQ(ReadFile(File("work/menus.txt")),
            BlockText({"START RACE", "OPTIONS", "QUIT", "PRESSSTART", ""}));
  const std::string vals = ReadFile(File("work/Vals.txt"));
  EXPECT_EQ(vals.rfind("[Block#3]\r\nValue 0.0=-0.225000\r\nValue 0.1=0.800000\r\n", 0), 0u)
      << vals;
  EXPECT_NE(vals.find("Value 9.5=0.000000\r\n[End of Block#3]\r\n"), std::string::npos);

  std::filesystem::copy_file(Demo("text/menus-edited.txt"), File("work/menus.txt"),
                             std::filesystem::copy_options::overwrite_existing);
  Run({"--out", "work", "work/result.log"});
  const std::string patched = ReadFile(exe_path);
  ASSERT_EQ(patched.size(), original.size());
  EXPECT_NE(patched, original);
  // Only the blocks and the glyph positions before them changed.
  EXPECT_EQ(patched.substr(0, 0x200), original.substr(0, 0x200));
  EXPECT_EQ(patched.substr(0x250, 0x2E0 - 0x250), original.substr(0x250, 0x2E0 - 0x250));
  EXPECT_EQ(patched.substr(0x300 + 10 * 0x1C), original.substr(0x300 + 10 * 0x1C));

  // Text blocks come back exactly; in the glyph block the underscore, a blank through the code
  // table, was stored as a wider step and does not come back as a letter.
  Run({"--out", "check", "demo/text/menus.trc"});
  EXPECT_EQ(ReadFile(File("check/menus.txt")),
            BlockText({"GO RACING", "SETTINGS", "EXIT", "PUSHBUTTON", ""}));
}

TEST_F(DemoWalkthrough, BadBlockLeavesTheExecutableAlone) {
  const std::string exe_path = Demo("game/mudflap.exe");
  const std::string original = ReadFile(exe_path);
  Run({"--out", "bad", "demo/text/broken.trc"});  // reading the misplaced block does no harm

  const auto result = RunBatch({"--out", "bad", "bad/result.log"}, dir_.path());
  EXPECT_EQ(result.ExitCode, 1);
  EXPECT_NE(result.Err.find("Block#3: the letter positions before the block would lie before "
                            "the start of the executable"),
            std::string::npos)
      << result.Err;
  EXPECT_EQ(result.Out, "");
  EXPECT_EQ(ReadFile(exe_path), original);
}

}  // namespace
}  // namespace skerrow
