// SRegistry: one open registry key with typed reads and writes of its values.
#pragma once

#include <vector>

#include "kvcore/sstring.h"
#include "win/winreg.h"

class SRegistry {
 public:
  SRegistry() = default;
  // Opens (create = 0) or opens and creates (create != 0) the key `path`
  // below `root`; see Init.
  SRegistry(HKEY root, const SString& path, int create = 0);
  ~SRegistry() { Done(); }
  SRegistry(const SRegistry&) = delete;
  SRegistry& operator=(const SRegistry&) = delete;

  // Opens the key `path` below `root`, creating missing keys when `create`
  // is not 0. 0 on success; on failure the negated Windows error code
  // (for instance -2 for a missing key) and the object stays closed.
  // `readOnly` is accepted for callers that pass an access word.
  int Init(HKEY root, const SString& path, int create, int readOnly = 0);
  // Closes the key; safe to call twice.
  void Done();
  bool IsOpen() const { return m_key != nullptr; }
  HKEY GetKey() const { return m_key; }
  const SString& GetPath() const { return m_path; }

  // Reads return ERROR_SUCCESS (0) or the Windows error code; on failure the
  // out value receives the default. A number reads REG_DWORD values and the
  // decimal text of string values; a text reads string values and the
  // decimal text of REG_DWORD values.
  LONG GetProfile(const SString& name, long* value, long def) const;
  LONG GetProfile(const SString& name, SString& value, const SString& def) const;
  LONG GetProfile(const SString& name, SString* value, const SString& def) const {
    return value ? GetProfile(name, *value, def) : ERROR_INVALID_PARAMETER;
  }
  // Raw bytes of any value; ERROR_FILE_NOT_FOUND when it is missing.
  LONG GetBinary(const SString& name, std::vector<BYTE>& data, DWORD* type = nullptr) const;

  // Writes REG_DWORD (number) or REG_SZ (text) values.
  LONG WriteProfile(const SString& name, long value);
  LONG WriteProfile(const SString& name, const SString& value);
  LONG WriteProfile(const SString& name, const char16_t* value) { return WriteProfile(name, SString(value)); }
  LONG WriteProfile(const SString& name, const char* value) { return WriteProfile(name, SString(value)); }
  LONG WriteBinary(const SString& name, DWORD type, const void* data, DWORD size);
  LONG DeleteProfile(const SString& name);

  // Enumeration from index 0: ERROR_SUCCESS while entries remain, then
  // ERROR_NO_MORE_ITEMS. The value comes as text (REG_DWORD as decimal,
  // REG_MULTI_SZ with its strings joined by '\n', other types empty).
  LONG GetEnumValue(DWORD index, SString& name, SString& value, DWORD& type) const;
  LONG GetEnumKey(DWORD index, SString& name) const;

 private:
  HKEY m_key = nullptr;
  SString m_path;
};
