// Inputs cut short at every byte of a small sample: a package (extracted and rebuilt), a
// result log (replayed) and a block description (extracted). Each cut ends with one of the
// system's own errors or succeeds; none hangs, and none harms a file that stood before.
#include <gtest/gtest.h>

#include <filesystem>

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

using testing::BuildPackage;
using testing::HangGuard;
using testing::OutcomeOf;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

class TruncatedInput : public ::testing::Test {
 protected:
  TruncatedInput() {
    testing::MakeDirs(dir_.File("in"));
    state_.Host = &host_;
  }
  // A fresh, empty output folder for one cut.
  std::string FreshOutput() {
    std::filesystem::remove_all(dir_.File("out"));
    testing::MakeDirs(dir_.File("out"));
    state_ = TProcessState();
    state_.Host = &host_;
    state_.OutputDir = dir_.File("out");
    return state_.OutputDir;
  }

  HangGuard guard_{120};
  testing::CwdGuard cwd_;
  TempDir dir_;
  TProcessState state_;
  testing::TRecordingHost host_;
};

TEST_F(TruncatedInput, PackageCutAnywhere) {
  const std::string whole = BuildPackage(
      {{"menu.tga", "TGA-DATA"}, {std::string("x.wav\0pad", 9), "RIFF"}, {"readme", ""}});
  const std::string package = dir_.File("in/p.dat");
  int extracted = 0, rebuilt = 0;
  for (size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    const std::string cut = whole.substr(0, n);
    WriteFile(package, cut);
    const std::string out = FreshOutput();
    extracted += OutcomeOf([&] { ExtractPackage(state_, package); }).empty();

    FreshOutput();
    WriteFile(out + "/p.dat", "an earlier package");
    state_.ScriptList = TStringList({"", "", ""});
    state_.CurrentSource = package;
    state_.SourceStream = std::make_unique<TFileStream>(package, TFileStream::Mode::kReadWrite);
    const std::string outcome = OutcomeOf([&] { RebuildPackage(state_, out + "/p.dat", 0); });
    state_.SourceStream.reset();
    if (outcome.empty()) {
      ++rebuilt;
      EXPECT_EQ(ReadFile(out + "/p.dat"), cut);  // every entry taken from the source
    } else {
      EXPECT_EQ(ReadFile(out + "/p.dat"), "an earlier package");
    }
    EXPECT_EQ(ReadFile(package), cut);
  }
  // Only the whole package (its data intact) goes through.
  EXPECT_EQ(extracted, 1);
  EXPECT_EQ(rebuilt, 1);
}

TEST_F(TruncatedInput, LogCutAnywhere) {
  const std::string source = dir_.File("in/p.dat");
  const std::string package = BuildPackage({{"a.tga", "one"}, {"b.tga", "two"}});
  WriteFile(source, package);
  WriteFile(dir_.File("in/a.tga"), "edited");
  const std::string whole = "#Format: DAT\r\n#Source: " + source + "\r\n" + dir_.File("in/a.tga") +
                            "\r\n\r\n#Format: TRC\r\n#Source: " + dir_.File("in/none.trc") + "\r\n";
  const std::string log = dir_.File("in/run.log");
  for (size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    WriteFile(log, whole.substr(0, n));
    FreshOutput();
    testing::TScriptedToolkit toolkit;
    TMainForm form(toolkit);
    form.FormCreate();
    form.State.OutputDir = dir_.File("out");
    OutcomeOf([&] { form.ReplayLog(log); });
    EXPECT_EQ(ReadFile(source), package);
    EXPECT_FALSE(testing::Exists(dir_.File("in/none.trc")));
  }
}

TEST_F(TruncatedInput, DescriptionCutAnywhere) {
  const std::string exe = dir_.File("in/game.exe");
  const std::string exe_bytes =
      testing::ExeBuilder(0x100).Record(0x60, 0x48A340, {1, 2, 3, 4, 5, 6}).Data();
  WriteFile(exe, exe_bytes);
  const std::string whole = testing::SectionFileWriter()
                                .Init({{"Source", exe}, {"BlockSize", "0x1C"}})
                                .Block(0, 0x20, 0x10, 1)
                                .Block(1, 0x60, 0x38, 2)
                                .Text();
  const std::string description = dir_.File("in/menu.trc");
  int extracted = 0;
  for (size_t n = 0; n <= whole.size(); ++n) {
    SCOPED_TRACE(n);
    WriteFile(description, whole.substr(0, n));
    FreshOutput();
    extracted += OutcomeOf([&] { ExtractExeText(state_, description); }).empty();
    state_.Sections.SectionLines.reset();
    EXPECT_EQ(ReadFile(exe), exe_bytes);
  }
  EXPECT_GT(extracted, 0);
}

}  // namespace
}  // namespace skerrow
