#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/error.h"
#include "support/own_error_text.h"

namespace skerrow::fuzz {

namespace fs = std::filesystem;

std::vector<std::string> SplitParts(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t cut = bytes.find(kPartSeparator, start);
    if (cut == std::string_view::npos) break;
    parts.emplace_back(bytes.substr(start, cut - start));
    start = cut + kPartSeparator.size();
  }
  parts.emplace_back(bytes.substr(start));
  return parts;
}

std::string JoinParts(const std::vector<std::string>& parts) {
  std::string joined;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) joined += kPartSeparator;
    joined += parts[i];
  }
  return joined;
}

TScratch::TScratch() {
  std::string pattern = (fs::temp_directory_path() / "skerrow-fuzz-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make the scratch folder");
  root_ = pattern;
  // Leave no scratch tree behind when the fuzzer ends normally.
  static std::string at_exit_root;
  at_exit_root = root_;
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(at_exit_root, ignored);
  });
}

void TScratch::Reset() {
  if (::chdir(root_.c_str()) != 0) Fail("cannot enter the scratch folder");
  for (const char* name : {"in", "out"}) {
    std::error_code error;
    fs::remove_all(root_ + "/" + name, error);
    // A handler might have made a folder unwritable; make it writable and try again.
    if (error) {
      fs::permissions(root_ + "/" + name, fs::perms::owner_all, fs::perm_options::add, error);
      fs::remove_all(root_ + "/" + name, error);
    }
    fs::create_directory(root_ + "/" + name);
  }
  // Anything else a faulty handler left at the root goes too.
  for (const auto& item : fs::directory_iterator(root_)) {
    const std::string name = item.path().filename().string();
    if (name != "in" && name != "out") fs::remove_all(item.path());
  }
  if (::chdir(Out().c_str()) != 0) Fail("cannot enter the output folder");
}

std::vector<std::string> TScratch::Start(const uint8_t* data, size_t size, size_t fewest,
                                         size_t most) {
  Reset();
  std::vector<std::string> parts = SplitParts(data, size);
  if (parts.size() > most) parts.resize(most);
  if (parts.size() < fewest) parts.resize(fewest);
  return parts;
}

TScratch& Scratch() {
  static TScratch scratch;
  return scratch;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) Fail("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::string();  // a folder reads as nothing
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

TTree Snapshot(const std::string& root) {
  TTree tree;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string relative = fs::relative(it->path(), root).string();
    const fs::file_status status = it->symlink_status();
    if (fs::is_directory(status)) {
      tree[relative] = "d";
    } else if (fs::is_regular_file(status)) {
      tree[relative] = "f" + ReadFile(it->path().string());
    } else {
      tree[relative] = "?";  // nothing the system makes
    }
  }
  return tree;
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** invariant broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void CheckSystemError(const std::exception& error) {
  const auto* own = dynamic_cast<const skerrow::Error*>(&error);
  const std::string_view text = error.what();
  if (own == nullptr) Fail("an error not of the system's own type: " + std::string(text));
  if (skerrow::testing::IsOwnErrorText(text)) return;
  Fail("an error text not of the system's own: " + std::string(text));
}

namespace {

bool InOutput(const std::string& relative) {
  return relative == "out" || relative.starts_with("out/");
}

}  // namespace

void CheckOutsideOutput(const TTree& before, const TTree& after,
                        const std::set<std::string>& mayChange) {
  for (const auto& [path, content] : after) {
    if (InOutput(path)) continue;
    const auto was = before.find(path);
    if (was == before.end()) Fail("created outside the output folder: " + path);
    if (was->second != content && !mayChange.contains(path)) {
      Fail("changed outside the output folder: " + path);
    }
  }
  for (const auto& [path, content] : before) {
    if (!InOutput(path) && !after.contains(path))
      Fail("removed outside the output folder: " + path);
  }
}

bool IsInside(const std::string& path, const std::string& folder) {
  const fs::path p = fs::absolute(path).lexically_normal();
  const fs::path f = fs::absolute(folder).lexically_normal();
  const fs::path relative = p.lexically_relative(f);
  if (relative.empty() || relative == ".") return false;
  return *relative.begin() != "..";
}

}  // namespace skerrow::fuzz
