#include "kvcore/sregistry.h"

#include <cstring>

namespace {

// The text of string-typed data: up to the first terminator.
SString TextOf(const std::vector<BYTE>& data) {
  std::u16string s(data.size() / 2, u'\0');
  if (!s.empty()) std::memcpy(s.data(), data.data(), s.size() * 2);
  const auto end = s.find(u'\0');
  if (end != std::u16string::npos) s.resize(end);
  return SString(std::move(s));
}

}  // namespace

SRegistry::SRegistry(HKEY root, const SString& path, int create) { Init(root, path, create); }

int SRegistry::Init(HKEY root, const SString& path, int create, int) {
  Done();
  HKEY key = nullptr;
  LONG st = create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                     nullptr, &key, nullptr)
                   : RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (st != ERROR_SUCCESS) return -static_cast<int>(st);
  m_key = key;
  m_path = path;
  return 0;
}

void SRegistry::Done() {
  if (m_key) RegCloseKey(m_key);
  m_key = nullptr;
  m_path.Empty();
}

LONG SRegistry::GetBinary(const SString& name, std::vector<BYTE>& data, DWORD* type) const {
  data.clear();
  if (!m_key) return ERROR_INVALID_HANDLE;
  DWORD size = 0, t = 0;
  LONG st = RegQueryValueExW(m_key, name.c_str(), nullptr, &t, nullptr, &size);
  if (st != ERROR_SUCCESS) return st;
  data.resize(size);
  st = RegQueryValueExW(m_key, name.c_str(), nullptr, &t, data.data(), &size);
  if (st != ERROR_SUCCESS) {
    data.clear();
    return st;
  }
  data.resize(size);
  if (type) *type = t;
  return ERROR_SUCCESS;
}

LONG SRegistry::GetProfile(const SString& name, long* value, long def) const {
  if (!value) return ERROR_INVALID_PARAMETER;
  *value = def;
  std::vector<BYTE> data;
  DWORD type = 0;
  LONG st = GetBinary(name, data, &type);
  if (st != ERROR_SUCCESS) return st;
  if (type == REG_DWORD && data.size() == 4) {
    DWORD d;
    std::memcpy(&d, data.data(), 4);
    *value = static_cast<long>(static_cast<LONG>(d));
    return ERROR_SUCCESS;
  }
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    *value = TextOf(data).ToLONG();
    return ERROR_SUCCESS;
  }
  return ERROR_INVALID_DATA;
}

LONG SRegistry::GetProfile(const SString& name, SString& value, const SString& def) const {
  std::vector<BYTE> data;
  DWORD type = 0;
  LONG st = GetBinary(name, data, &type);
  if (st == ERROR_SUCCESS) {
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
      value = TextOf(data);
      return ERROR_SUCCESS;
    }
    if (type == REG_DWORD && data.size() == 4) {
      DWORD d;
      std::memcpy(&d, data.data(), 4);
      value = SString::FromInt(static_cast<LONG>(d));
      return ERROR_SUCCESS;
    }
    st = ERROR_INVALID_DATA;
  }
  value = def;
  return st;
}

LONG SRegistry::WriteBinary(const SString& name, DWORD type, const void* data, DWORD size) {
  if (!m_key) return ERROR_INVALID_HANDLE;
  return RegSetValueExW(m_key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

LONG SRegistry::WriteProfile(const SString& name, long value) {
  const DWORD d = static_cast<DWORD>(value);
  return WriteBinary(name, REG_DWORD, &d, sizeof d);
}

LONG SRegistry::WriteProfile(const SString& name, const SString& value) {
  return WriteBinary(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.GetLength() + 1) * 2));
}

LONG SRegistry::DeleteProfile(const SString& name) {
  if (!m_key) return ERROR_INVALID_HANDLE;
  return RegDeleteValueW(m_key, name.c_str());
}

LONG SRegistry::GetEnumValue(DWORD index, SString& name, SString& value, DWORD& type) const {
  if (!m_key) return ERROR_INVALID_HANDLE;
  DWORD cch = 256, size = 0;
  std::u16string buf;
  LONG st;
  // Name length is unknown up front: grow until it fits.
  for (;;) {
    buf.assign(cch, u'\0');
    DWORD n = cch;
    st = RegEnumValueW(m_key, index, buf.data(), &n, nullptr, &type, nullptr, &size);
    if (st != ERROR_MORE_DATA) {
      buf.resize(st == ERROR_SUCCESS ? n : 0);
      break;
    }
    if (cch > 0x100000) return st;
    cch *= 4;
  }
  if (st != ERROR_SUCCESS) return st;
  name = SString(buf);
  std::vector<BYTE> data;
  GetBinary(name, data, &type);
  value.Empty();
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    value = TextOf(data);
  } else if (type == REG_DWORD && data.size() == 4) {
    DWORD d;
    std::memcpy(&d, data.data(), 4);
    value = SString::FromInt(static_cast<LONG>(d));
  } else if (type == REG_MULTI_SZ) {
    std::u16string s(data.size() / 2, u'\0');
    if (!s.empty()) std::memcpy(s.data(), data.data(), s.size() * 2);
    while (!s.empty() && s.back() == 0) s.pop_back();
    for (auto& c : s)
      if (c == 0) c = u'\n';
    value = SString(s);
  }
  return ERROR_SUCCESS;
}

LONG SRegistry::GetEnumKey(DWORD index, SString& name) const {
  if (!m_key) return ERROR_INVALID_HANDLE;
  for (DWORD cch = 256;; cch *= 4) {
    std::u16string buf(cch, u'\0');
    DWORD n = cch;
    LONG st = RegEnumKeyExW(m_key, index, buf.data(), &n, nullptr, nullptr, nullptr, nullptr);
    if (st == ERROR_SUCCESS) {
      buf.resize(n);
      name = SString(buf);
    }
    if (st != ERROR_MORE_DATA || cch > 0x100000) return st;
  }
}
