// skerrow-fuzz-seeds DIR: writes the starting corpus of every fuzz target into DIR/<target>/,
// made with the builders the tests use, in the part layout each target reads.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "support/exe_builder.h"
#include "support/package_builder.h"
#include "support/section_file_writer.h"

using namespace skerrow::fuzz;
using namespace skerrow::testing;

namespace {

void Seed(const std::string& dir, const std::string& target, int n,
          const std::vector<std::string>& parts) {
  std::filesystem::create_directories(dir + "/" + target);
  WriteFile(dir + "/" + target + "/seed" + std::to_string(n), JoinParts(parts));
}

// Names that try to leave the output folder, and plain ones.
std::string OddPackage() {
  return BuildPackage({{"menu.tga", "TGA-DATA"},
                       {"readme", "plain"},
                       {std::string("..\\..\\evil.txt\0pad", 18), "evil"},
                       {"../../up.wav", "up"},
                       {"C:\\boot.ini", "boot"},
                       {"/abs/x.y", "abs"},
                       {"name..", "dots"},
                       {"a.b:c", "colon"}});
}

std::string SmallPackage() {
  return BuildPackage({{"logo.tga", "LOGO"}, {"tune.wav", "RIFF...."}, {"x.tga", ""}});
}

std::string Description(const KeyLines& more_init) {
  SectionFileWriter w;
  for (const auto& [key, value] : more_init) w.Line(key + "=" + value);
  w.Line("[END OF Init]");
  w.Block(0, 0x20, 0x10, 1).Block(1, 0x60, 0x38, 2).Block(2, 0x40, 0x8, 3);
  return w.Text();
}

std::string Exe() {
  return ExeBuilder(0x100)
      .Bytes(0x20, std::string("START\0", 6))
      .Record(0x60, 0x48A340, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f})
      .Record(0x7C, 0x48A350, {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f})
      .Data();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skerrow-fuzz-seeds DIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string small = SmallPackage(), odd = OddPackage();

  Seed(dir, "extract_fuzz", 0, {small});
  Seed(dir, "extract_fuzz", 1, {odd, small});
  Seed(dir, "extract_fuzz", 2, {BuildPackage({})});
  Seed(dir, "extract_fuzz", 3, {BuildPackage({{"big.tga", "x", 0, std::nullopt, 0x7FFFFFFF}})});

  Seed(dir, "rebuild_fuzz", 0, {small, "../in/r1\r\nmissing\r\n../in/r2\r\n", "NEW LOGO", ""});
  Seed(dir, "rebuild_fuzz", 1, {odd, "/nowhere/x\r\nsrc.dat\r\n../in/src.dat\r\n..\r\n", "r"});
  Seed(dir, "rebuild_fuzz", 2, {BuildPackage({}), ""});
  Seed(dir, "rebuild_fuzz", 3,
       {BuildPackage({{"a.tga", "aa"}, {"b.tga", "bb"}}, {std::nullopt, "GAP"}), "x\r\ny\r\n"});

  Seed(dir, "replay_fuzz", 0,
       {"#Format: DAT\r\n#Source: ../in/f1\r\n../in/f2\r\nmissing\r\n../out/x\r\n", small,
        "EDITED"});
  Seed(dir, "replay_fuzz", 1,
       {"#Format: TRC\r\n#Source: ../in/f1\r\n",
        Description({{"[Init]", ""},
                     {"Source", "../in/f2"},
                     {"Target", "../in/f3"},
                     {"CodeTable", "../in/f4"},
                     {"BlockSize", "0x1C"}}),
        Exe(), "[Block#0]\r\nValue=HELLO\r\n[Block#1]\r\nValue=AB C\r\n", IdentityCodeTable()});
  Seed(dir, "replay_fuzz", 2,
       {"#Format: DAT\r\n#Source: ../in/f1\r\n../in/f3\r\n../in/f3\r\n../in/f3\r\n"
        "#Format: DAT\r\n#Source: ../in/f2\r\n\r\n\r\n\r\n",
        small, odd, "R"});

  const std::string ini = SectionFileWriter()
                              .Init({{"Source", "game.exe"}, {"BlockSize", "0x1C"}})
                              .Block(0, 0x10, 0x20, 1)
                              .Line("[Open]")
                              .Line("Key=never ends")
                              .Text();
  Seed(dir, "section_fuzz", 0,
       {ini, "Init\tSource\ninit\tBlockSize\nBlock#0\tSize\nOpen\tMissing\nNone\n", "[b]\r\n"});
  Seed(dir, "section_fuzz", 1, {std::string("[A]\nK=v\0[B]\n", 12), "A\tK\nB\tK\n", ""});

  const std::string tail = Description({{"BlockSize", "0x1C"}});
  Seed(dir, "text_extract_fuzz", 0, {tail, Exe()});
  Seed(dir, "text_extract_fuzz", 1, {Description({{"BlockSize", "0x0"}}), Exe()});

  const std::string target = "[Block#0]\r\nValue=HELLO\r\n[Block#1]\r\nValue=AB C\r\n";
  Seed(dir, "text_insert_fuzz", 0, {tail, Exe(), target, IdentityCodeTable()});
  Seed(dir, "text_insert_fuzz", 1, {tail, Exe(), "[Block#0]\r\n", "short"});
  return 0;
}
