#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "support/temp_dir.h"

namespace skerrow {
namespace {

using testing::TempDir;

struct NameCase {
  const char* path;
  const char* name;
  const char* ext;
  const char* txt;  // ChangeExt(path, ".txt")
};

TEST(Paths, NameExtensionAndChangeTreatEverySeparatorAlike) {
  const NameCase cases[] = {
      {"C:\\notes\\run1.txt", "run1.txt", ".txt", "C:\\notes\\run1.txt"},
      {"/home/u/menu.trc", "menu.trc", ".trc", "/home/u/menu.txt"},
      {"menu.old.trc", "menu.old.trc", ".trc", "menu.old.txt"},
      {"README", "README", "", "README.txt"},
      {"maps.old\\track", "track", "", "maps.old\\track.txt"},
      {"maps.old/track", "track", "", "maps.old/track.txt"},
      {"C:x.dat", "x.dat", ".dat", "C:x.txt"},
      {"drive.d:name", "name", "", "drive.d:name.txt"},
      {"ROAD.TGA", "ROAD.TGA", ".TGA", "ROAD.txt"},
      {"track.tar.gz", "track.tar.gz", ".gz", "track.tar.txt"},
      {"", "", "", ".txt"},
      {"dir\\", "", "", "dir\\.txt"},
      {".hidden", ".hidden", ".hidden", ".txt"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(FileNamePart(c.path), c.name);
    EXPECT_EQ(ExtractExt(c.path), c.ext);
    EXPECT_EQ(ChangeExt(c.path, ".txt"), c.txt);
  }
}

TEST(Paths, JoinIsPlainConcatenation) {
  EXPECT_EQ(JoinPath("/out", "tga"), std::string("/out") + kPathSeparator + "tga");
  EXPECT_EQ(JoinPath("/", "result.log"), std::string("/") + kPathSeparator + "result.log");
  EXPECT_EQ(JoinPath("/out", ""), std::string("/out") + kPathSeparator);
}

TEST(Paths, ExistsCreateAndForce) {
  TempDir dir;
  const std::string a = dir.File("a");
  EXPECT_FALSE(PathExists(a));
  EXPECT_TRUE(CreateDir(a));
  EXPECT_TRUE(PathExists(a));
  EXPECT_TRUE(IsDirectory(a));
  EXPECT_FALSE(CreateDir(a));                // already there
  EXPECT_FALSE(CreateDir(dir.File("x/y")));  // one level only

  const std::string deep = dir.File("b/c/d");
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(IsDirectory(deep));
  EXPECT_TRUE(ForceDirectories(deep));  // nothing to do

  testing::WriteFile(dir.File("f"), "x");
  EXPECT_TRUE(PathExists(dir.File("f")));
  EXPECT_FALSE(IsDirectory(dir.File("f")));
  EXPECT_FALSE(ForceDirectories(dir.File("f/g")));  // a file stands in the way
  EXPECT_FALSE(PathExists(""));
}

TEST(Paths, ForceDirectoriesRefusesAnEmptyPath) {
  try {
    ForceDirectories("");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Unable to create directory");
  }
}

TEST(Paths, WorkingFolderAndSameFile) {
  TempDir dir;
  testing::CwdGuard guard;
  ASSERT_TRUE(SetCurrentDir(dir.path()));
  EXPECT_TRUE(SameFile(GetCurrentDir(), dir.path()));
  EXPECT_FALSE(SetCurrentDir(dir.File("missing")));

  testing::WriteFile(dir.File("p.dat"), "x");
  testing::WriteFile(dir.File("q.dat"), "x");
  EXPECT_TRUE(SameFile(dir.File("p.dat"), "p.dat"));
  EXPECT_TRUE(SameFile(dir.File("p.dat"), dir.path() + "//./p.dat"));
  EXPECT_FALSE(SameFile(dir.File("p.dat"), dir.File("q.dat")));
  EXPECT_FALSE(SameFile(dir.File("p.dat"), dir.File("missing")));
  EXPECT_EQ(AbsolutePath("p.dat"), JoinPath(GetCurrentDir(), "p.dat"));
  EXPECT_EQ(AbsolutePath("/abs"), "/abs");
}

}  // namespace
}  // namespace skerrow
