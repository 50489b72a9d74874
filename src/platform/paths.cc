#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/error.h"

namespace skerrow {

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/' || c == ':';
}

namespace {

// Index just past the last separator: where the file name part begins.
size_t NameStart(const std::string& path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i;
  }
  return 0;
}

// Index of the extension's dot, or npos.
size_t ExtStart(const std::string& path) {
  const size_t name = NameStart(path);
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name) return std::string::npos;
  return dot;
}

}  // namespace

std::string FileNamePart(const std::string& path) {
  return path.substr(NameStart(path));
}

std::string ExtractExt(const std::string& path) {
  const size_t dot = ExtStart(path);
  return dot == std::string::npos ? std::string() : path.substr(dot);
}

std::string ChangeExt(const std::string& path, const std::string& ext) {
  const size_t dot = ExtStart(path);
  return (dot == std::string::npos ? path : path.substr(0, dot)) + ext;
}

std::string JoinPath(const std::string& a, const std::string& b) {
  std::string joined;
  joined.reserve(a.size() + 1 + b.size());
  joined += a;
  joined += kPathSeparator;
  joined += b;
  return joined;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CreateDir(const std::string& path) {
  return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) throw Error("Unable to create directory");
  // Walk up to the first folder that exists, then create the rest parents first.
  std::vector<std::string> missing;
  std::string current = path;
  while (!current.empty() && !IsDirectory(current)) {
    missing.push_back(current);
    size_t cut = current.find_last_of('/');
    while (cut != std::string::npos && cut > 0 && current[cut - 1] == '/') --cut;
    if (cut == std::string::npos || cut == 0) break;
    current.resize(cut);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) CreateDir(*it);
  return IsDirectory(path);
}

std::string GetCurrentDir() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

bool SetCurrentDir(const std::string& path) {
  return !path.empty() && ::chdir(path.c_str()) == 0;
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  return JoinPath(GetCurrentDir(), path);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (a.empty() || b.empty()) return false;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace skerrow
