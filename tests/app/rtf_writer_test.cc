// The results pane saved as Rich Text Format, read back by a real RTF reader.
#include "app/rtf_writer.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/temp_dir.h"

namespace skerrow {
namespace {

TEST(RtfWriter, EscapesControlWordsBracesAndHighBytes) {
  const std::string rtf = PlainTextToRtf("a\\b{c}\xE9\r\nd\ne\tf");
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi", 0), 0u);
  EXPECT_NE(rtf.find("a\\\\b\\{c\\}\\'e9\\par\r\nd\\par\r\ne\\tab f"), std::string::npos);
  EXPECT_EQ(rtf.back(), '\n');
  EXPECT_EQ(rtf[rtf.size() - 3], '}');
}

TEST(RtfWriter, RealReaderFindsThePaneText) {
  if (std::FILE* probe = std::fopen("/usr/bin/unrtf", "rb")) {
    std::fclose(probe);
  } else {
    GTEST_SKIP() << "unrtf is not installed (tools/deps.sh installs it)";
  }
  testing::TempDir dir;
  testing::WriteFile(dir.File("pane.rtf"),
                     PlainTextToRtf("Results of {run} 1\nC:\\Game\\menu.dat\ncaf\xE9"));
  const std::string command = "/usr/bin/unrtf --text " + dir.File("pane.rtf") + " 2>/dev/null";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string text;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  ASSERT_EQ(::pclose(pipe), 0);
  EXPECT_NE(text.find("Results of {run} 1"), std::string::npos) << text;
  EXPECT_NE(text.find("C:\\Game\\menu.dat"), std::string::npos) << text;
  EXPECT_NE(text.find("caf\xE9"), std::string::npos) << text;  // the same byte back
}

}  // namespace
}  // namespace skerrow
