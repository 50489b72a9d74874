// Byte-string paths and the folder services of the operating system.
//
// Paths are taken byte for byte and never normalised. Every rule that splits a path treats
// "\", "/" and ":" as separators on every platform, so a name read from a game file can never
// reach outside the folder it is joined to. Joining uses the platform's own separator.
#pragma once

#include <string>

namespace skerrow {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// True for "\", "/" and ":".
bool IsPathSeparator(char c);

// The text after the last separator ("C:\notes\run1.txt" gives "run1.txt").
std::string FileNamePart(const std::string& path);

// From the last "." that no separator follows, dot included; empty when there is none.
std::string ExtractExt(const std::string& path);

// Replaces the extension of the file name part by ext (dot included), or appends ext when the
// name has none: "menu.old.trc" gives "menu.old.txt".
std::string ChangeExt(const std::string& path, const std::string& ext);

// a + separator + b, as plain concatenation: a root "C:\" or "/" gives a doubled separator.
std::string JoinPath(const std::string& a, const std::string& b);

// Something of any kind (file, folder, with any attributes) exists at path.
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
bool IsRegularFile(const std::string& path);

// Creates one folder; false when that failed.
bool CreateDir(const std::string& path);

// Creates path with every missing parent, parents first. Raises "Unable to create directory"
// for an empty path; returns whether the folder exists afterwards.
bool ForceDirectories(const std::string& path);

std::string GetCurrentDir();
bool SetCurrentDir(const std::string& path);

// A path made absolute against the working folder (no other normalisation).
std::string AbsolutePath(const std::string& path);

// Both paths name one existing file (same device and inode).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace skerrow
