#include "kvcore/sfile.h"

#include <filesystem>
#include <system_error>

namespace {
constexpr HRESULT HResultFromErrno(int e) {
  return static_cast<HRESULT>(0x80070000u | (static_cast<unsigned>(e) & 0xFFFFu));
}
}  // namespace

HRESULT SFile::CreateFilePath(const SString& name, SString& out, int create) {
  out.Empty();
  SString n = name;
  n.Replace(u'\\', u'/');
  if (n.IsEmpty() || n.GetAt(n.GetLength() - 1) == u'/') return E_INVALIDARG;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(n.ToUtf8()), ec);
  if (ec) return HResultFromErrno(ec.value());
  p = p.lexically_normal();
  if (create && p.has_parent_path()) {
    std::filesystem::create_directories(p.parent_path(), ec);
    if (ec) return HResultFromErrno(ec.value());
  }
  out = SString(p.string());
  return S_OK;
}
