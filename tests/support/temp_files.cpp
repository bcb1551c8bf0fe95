#include "support/temp_files.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kvtest {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

fs::path KeepFolder(const char* sub) {
  const char* root = std::getenv("KV_KEEP_PICTURES");
  if (!root || !*root) return {};
  fs::path folder = sub ? fs::path(root) / sub : fs::path(root);
  std::error_code ec;
  fs::create_directories(folder, ec);
  return ec ? fs::path() : folder;
}

TempDir::TempDir(const char* prefix) {
  std::string tmpl = std::string("/tmp/") + prefix + "_XXXXXX";
  if (::mkdtemp(tmpl.data())) path = tmpl;
}

TempDir::~TempDir() {
  if (path.empty()) return;
  std::error_code ec;
  // Folders a test made read-only are opened again so that they can go.
  for (auto it = fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path, ec);
}

std::vector<std::string> TempDir::Entries(const fs::path& folder) const {
  std::vector<std::string> v;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

}  // namespace kvtest
