// skerrow-make-demo DIR: writes a small made-up game to try Skerrow on.
//
//   DIR/game/data/menu.dat      a package of three entries
//   DIR/game/data/sounds.dat    a package of two entries
//   DIR/game/mudflap.exe        a fake executable: three text blocks, one glyph block
//   DIR/text/menus.trc          its block description
//   DIR/text/codes.bin          the code table: identity, plus "_" -> blank, Latin-1 e-acute ->
//   0x80 DIR/text/menus-edited.txt   an edited block text file, ready to be put back
//   DIR/text/broken.trc         a description whose glyph block is placed wrongly
//
// Nothing here comes from a real game: the names, the bytes and the layout are invented for
// the demo. The descriptions name the executable and the code table by absolute paths, so
// they work whichever output folder a run chooses; Target is the block text file's own name,
// which a run finds in its output folder.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "formats/block_description.h"
#include "platform/error.h"
#include "platform/file_stream.h"
#include "platform/paths.h"

namespace {

using namespace skerrow;

void Save(const std::string& path, const std::string& bytes) {
  TFileStream file(path, TFileStream::Mode::kCreate);
  file.WriteBuffer(bytes.data(), bytes.size());
}

std::string Le32(uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

void PutLe32(std::string& bytes, size_t offset, uint32_t value) {
  bytes.replace(offset, 4, Le32(value));
}

// A package: the entry count, the directory (every byte XOR 0x5D), then the entries' data.
std::string Package(const std::vector<std::pair<std::string, std::string>>& entries) {
  constexpr char kScrambleKey = 0x5D;
  size_t head = 4;
  for (const auto& [name, data] : entries) head += 4 + name.size() + 1 + 12;
  std::string directory;
  std::string region;
  for (const auto& [name, data] : entries) {
    const std::string field = name + std::string(1, '\0');
    directory += Le32(static_cast<uint32_t>(field.size())) + field;
    directory += Le32(static_cast<uint32_t>(head + region.size()));  // DataOffset
    directory += Le32(0);                                            // Reserved
    directory += Le32(static_cast<uint32_t>(data.size()));           // DataSize
    region += data;
  }
  for (char& c : directory) c ^= kScrambleKey;
  return Le32(static_cast<uint32_t>(entries.size())) + directory + region;
}

// The executable's layout.
constexpr uint32_t kExeSize = 0x600;
constexpr uint32_t kRecord = 0x1C;  // BlockSize
struct TTextBlock {
  uint32_t Offset, Size;
  const char* Text;
};
constexpr TTextBlock kTexts[] = {
    {0x200, 0x20, "START RACE"}, {0x220, 0x20, "OPTIONS"}, {0x240, 0x10, "QUIT"}};
constexpr uint32_t kGlyphOffset = 0x300;
constexpr const char* kGlyphText = "PRESS START";  // ten letters, the blank a wider step
constexpr uint32_t kGlyphRecords = 10;

// A glyph record's six values as the demo game uses them: left, top, right, bottom of the
// letter on screen, then two unused ones.
std::string GlyphValues(float x) {
  std::string bytes;
  for (float v : {x, 0.80f, AddSingle(x, kLetterWidth), 0.85f, 0.0f, 0.0f}) {
    bytes += Le32(std::bit_cast<uint32_t>(v));
  }
  return bytes;
}

std::string Executable() {
  std::string exe(kExeSize, '\0');
  const std::string banner = "MZ Mudflap Moto demo executable - made up for Skerrow, not a program";
  exe.replace(0, banner.size(), banner);
  for (uint32_t i = 0x80; i < 0x200; ++i) exe[i] = static_cast<char>(i * 37 + 11);  // "code"
  for (const TTextBlock& t : kTexts) exe.replace(t.Offset, std::string(t.Text).size(), t.Text);

  // The letters go one per record; the positions of the letter in record r stand in the record
  // before it, the first letter's in the record before the block.
  float x = -0.25f;
  uint32_t r = 0;
  const std::string text = kGlyphText;
  for (size_t pos = 0; pos < text.size(); ++pos) {
    if (text[pos] == ' ') continue;
    const uint32_t record = kGlyphOffset + r * kRecord;
    PutLe32(exe, record, GlyphReference(static_cast<uint8_t>(text[pos])));
    exe.replace(record - kRecord + 4, 24, GlyphValues(x));
    const bool gap = pos + 1 < text.size() && text[pos + 1] == ' ';
    x = AddSingle(x, gap ? kSpaceAdvance : kLetterAdvance);
    ++r;
  }
  return exe;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string Hex(uint32_t value) {
  return HexText(value);
}

std::vector<std::string> BlockSection(int n, uint32_t offset, uint32_t size, int mode) {
  const std::string name = "Block#" + std::to_string(n);
  return {"[" + name + "]", "Offset=" + Hex(offset), "Size=" + Hex(size),
          "Mode=" + std::to_string(mode), "[END OF " + name + "]"};
}

std::string Description(const std::string& dir, const std::string& target, uint32_t glyphOffset) {
  std::vector<std::string> lines = {"; Mudflap Moto (demo): the menu texts of the executable",
                                    "[Init]",
                                    "Source=" + JoinPath(JoinPath(dir, "game"), "mudflap.exe"),
                                    "Target=" + target,
                                    "CodeTable=" + JoinPath(JoinPath(dir, "text"), "codes.bin"),
                                    "BlockSize=" + Hex(kRecord),
                                    "[END OF Init]"};
  int n = 0;
  for (const TTextBlock& t : kTexts) {
    for (auto& line : BlockSection(n++, t.Offset, t.Size, kTextMode)) lines.push_back(line);
  }
  for (auto& line : BlockSection(n++, glyphOffset, kGlyphRecords * kRecord, kGlyphMode)) {
    lines.push_back(line);
  }
  // A block still being looked into: listed with an empty text, never read or written.
  for (auto& line : BlockSection(n, 0x400, 0x40, 0)) lines.push_back(line);
  return Lines(lines);
}

std::string CodeTable() {
  std::string table(256, '\0');
  for (int i = 0; i < 256; ++i) table[i] = static_cast<char>(i);
  table['_'] = ' ';                       // an underscore is a blank: a word gap in glyph text
  table[0xE9] = static_cast<char>(0x80);  // the game's font keeps e-acute at 0x80
  return table;
}

std::string EditedText() {
  return Lines({"[Block#0]", "Value=GO RACING", "[End of Block#0]", "[Block#1]", "Value=SETTINGS",
                "[End of Block#1]", "[Block#2]", "Value=EXIT", "[End of Block#2]", "[Block#3]",
                "Value=PUSH_BUTTON", "[End of Block#3]", "[Block#4]",
                "Value=", "[End of Block#4]"});
}

void MakeDemo(const std::string& dir) {
  const std::string game = JoinPath(dir, "game");
  const std::string data = JoinPath(game, "data");
  const std::string text = JoinPath(dir, "text");
  for (const std::string& folder : {data, text}) {
    if (!ForceDirectories(folder)) throw Error("Unable to create directory " + folder);
  }

  Save(JoinPath(data, "menu.dat"),
       Package({{"title.tga", "TGA? no: the demo title picture, made up\n"},
                {"intro.txt", "Welcome to Mudflap Moto!\r\nMind the puddles.\r\n"},
                {"menu.fnt", std::string("FNT\0\x10\x20", 6)}}));
  Save(JoinPath(data, "sounds.dat"),
       Package({{"horn.wav", "RIFF-ish horn, made up"}, {"engine.wav", "brrm brrm brrm"}}));
  Save(JoinPath(game, "mudflap.exe"), Executable());
  Save(JoinPath(text, "menus.trc"), Description(dir, "menus.txt", kGlyphOffset));
  // The glyph block placed at 0x8: its first letter's positions would lie before the file.
  Save(JoinPath(text, "broken.trc"), Description(dir, "broken.txt", 0x8));
  Save(JoinPath(text, "codes.bin"), CodeTable());
  Save(JoinPath(text, "menus-edited.txt"), EditedText());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: skerrow-make-demo DIR\n  writes a made-up game into DIR\n");
    return 2;
  }
  try {
    const std::string dir = skerrow::AbsolutePath(argv[1]);
    MakeDemo(dir);
    std::printf("Demo game written to %s\n", dir.c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skerrow-make-demo: %s\n", e.what());
    return 1;
  }
}
