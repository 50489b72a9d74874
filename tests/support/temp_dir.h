// A scratch folder for one test, removed with everything in it when the test ends, and small
// helpers to put bytes into files and take them out again.
#pragma once

#include <string>

namespace skerrow::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Restores the working folder when it goes out of scope.
class CwdGuard {
 public:
  CwdGuard();
  ~CwdGuard();

 private:
  std::string saved_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);  // empty when missing
bool Exists(const std::string& path);
void MakeDirs(const std::string& path);
// How many files this process holds open: a leak check around an operation.
int OpenFileCount();

}  // namespace skerrow::testing
