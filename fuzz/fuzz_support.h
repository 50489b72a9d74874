// What every fuzz target shares: the fuzz bytes cut into files, a scratch tree to put them in,
// snapshots of that tree, and the checks that turn a broken invariant into a crash.
//
// Input layout: the bytes are cut at every kPartSeparator into parts; part i becomes the i-th
// file of the target (each target says which file is which). A target ignores parts it has
// no use for.
//
// Scratch tree, made once per process and emptied before each input:
//   <root>/in/    the files made from the parts (sources, logs, descriptions, executables)
//   <root>/out/   the output folder, and the working folder while a handler runs, as in a
//                 batch run; logs name their files relative to it ("../in/a.dat")
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow::fuzz {

inline constexpr std::string_view kPartSeparator = "\n--8<--\n";

std::vector<std::string> SplitParts(const uint8_t* data, size_t size);
// Parts joined by the separator: how the seed generator writes an input.
std::string JoinParts(const std::vector<std::string>& parts);

class TScratch {
 public:
  TScratch();
  // Empties in/ and out/ and makes out/ the working folder.
  void Reset();
  // Reset, then the input cut into its parts: at most `most`, and empty ones added up to
  // `fewest`.
  std::vector<std::string> Start(const uint8_t* data, size_t size, size_t fewest, size_t most);
  const std::string& Root() const { return root_; }
  std::string In(const std::string& name) const { return root_ + "/in/" + name; }
  std::string Out() const { return root_ + "/out"; }
  std::string Out(const std::string& name) const { return root_ + "/out/" + name; }

 private:
  std::string root_;
};

// The scratch process-wide (libFuzzer runs one input at a time).
TScratch& Scratch();

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);  // empty unless a regular file

// Every folder and regular file below root, by path relative to root: "d" for a folder,
// "f" + the bytes for a file.
using TTree = std::map<std::string, std::string>;
TTree Snapshot(const std::string& root);

[[noreturn]] void Fail(const std::string& what);

// The exception must be a skerrow::Error whose text begins with one of the system's own.
void CheckSystemError(const std::exception& error);

// Nothing below root but out/ was created, removed or changed, except the files named in
// mayChange (relative paths), which may change but not appear or vanish.
void CheckOutsideOutput(const TTree& before, const TTree& after,
                        const std::set<std::string>& mayChange = {});

// path, made absolute against the working folder and lexically normalised, lies strictly
// inside folder.
bool IsInside(const std::string& path, const std::string& folder);

}  // namespace skerrow::fuzz
