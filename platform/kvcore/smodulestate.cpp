#include "kvcore/smodulestate.h"

#include "win/winres.h"

namespace {
SResourceBytes BytesOf(HINSTANCE module, HRSRC res) {
  SResourceBytes out;
  if (!res) return out;
  out.data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
  out.size = out.data ? SizeofResource(module, res) : 0;
  return out;
}
}  // namespace

SResourceBytes SModuleState::FindResourceBytes(LPCWSTR type, UINT id) const {
  return BytesOf(m_hResource, FindResourceW(m_hResource, MAKEINTRESOURCEW(id), type));
}

SResourceBytes SModuleState::FindResourceBytes(LPCSTR type, UINT id) const {
  return BytesOf(m_hResource, FindResourceA(m_hResource, MAKEINTRESOURCEA(id), type));
}
