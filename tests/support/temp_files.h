// Temporary folders and file reading for tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "kvcore/sstring.h"

namespace kvtest {

namespace fs = std::filesystem;

// The whole content of a file (empty when it cannot be read).
std::string ReadFile(const fs::path& p);

// Where a test may leave a picture for a person to look at: the folder named
// by KV_KEEP_PICTURES (with `sub` inside it, both created), or an empty path
// when the variable is unset, and then nothing is kept. A test run otherwise
// leaves no file behind.
fs::path KeepFolder(const char* sub = nullptr);

// A fresh folder under /tmp named after `prefix`, removed with its content
// (read-only folders inside it included).
class TempDir {
 public:
  explicit TempDir(const char* prefix = "kvtest");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  SString Name(const char* name) const { return SString((path / name).string()); }
  // The entries of the folder (or of another folder), sorted by name.
  std::vector<std::string> Files() const { return Entries(path); }
  std::vector<std::string> Entries(const fs::path& folder) const;

  fs::path path;
};

}  // namespace kvtest
