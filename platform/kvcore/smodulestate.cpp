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

SString SModuleState::LoadString(UINT id) const {
  if (!m_pStrings) return SString();
  auto it = m_pStrings->find(id);
  return it == m_pStrings->end() || !it->second ? SString() : SString(it->second);
}

namespace {
// Everything runs on the user-interface thread; the switch is per thread
// all the same so that a worker never sees another thread's module.
thread_local SModuleState* t_currentModule = nullptr;
}  // namespace

SModuleState* SGetCurrentModuleState() { return t_currentModule; }

SString LoadString(UINT id) { return t_currentModule ? t_currentModule->LoadString(id) : SString(); }

SSetModuleState::SSetModuleState(SModuleState* state) : m_pPrevious(t_currentModule) { t_currentModule = state; }
SSetModuleState::~SSetModuleState() { t_currentModule = m_pPrevious; }
