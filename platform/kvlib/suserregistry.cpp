#include "kvlib/suserregistry.h"

const SString SUserRegistry::sApplicationRoot(u"Software\\KvSym\\Host\\");
const SString SUserRegistry::sApplicationGeneral(u"Software\\KvSym\\Host\\General");
const SString SUserRegistry::sApplicationDialogPref(u"Software\\KvSym\\Host\\DialogPreferences\\");

SUserRegistry::SUserRegistry(const SString& key, bool allowCopy) : m_allowCopy(allowCopy) {
  m_user.Init(HKEY_CURRENT_USER, key, 1);
  m_machine.Init(HKEY_LOCAL_MACHINE, key, 0);
}

template <class T, class D>
LONG SUserRegistry::Read(const SString& name, T* value, const D& def) {
  LONG st = m_user.GetProfile(name, value, def);
  if (st == ERROR_SUCCESS) return st;
  if (m_allowCopy && m_user.IsOpen() && CopyHKLM(name) == ERROR_SUCCESS) {
    st = m_user.GetProfile(name, value, def);
    if (st == ERROR_SUCCESS) return st;
  }
  if (m_machine.IsOpen()) st = m_machine.GetProfile(name, value, def);
  return st;
}

LONG SUserRegistry::GetProfile(const SString& name, long* value, long def) {
  if (!value) return ERROR_INVALID_PARAMETER;
  return Read(name, value, def);
}

LONG SUserRegistry::GetProfile(const SString& name, SString* value, const SString& def) {
  if (!value) return ERROR_INVALID_PARAMETER;
  return Read(name, value, def);
}

LONG SUserRegistry::CopyHKLM(const SString& name) {
  if (!m_allowCopy) return ERROR_ACCESS_DENIED;
  if (!m_user.IsOpen()) return ERROR_INVALID_HANDLE;
  if (!m_machine.IsOpen()) return ERROR_FILE_NOT_FOUND;
  std::vector<BYTE> data;
  DWORD type = 0;
  LONG st = m_machine.GetBinary(name, data, &type);
  if (st != ERROR_SUCCESS) return st;
  return m_user.WriteBinary(name, type, data.data(), static_cast<DWORD>(data.size()));
}
