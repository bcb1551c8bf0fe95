// SUserRegistry: the host application's per-user settings. Each section is
// a key with a user copy (HKEY_CURRENT_USER) and a machine-wide copy
// (HKEY_LOCAL_MACHINE) at the same path; reads prefer the user copy and fall
// back to the machine copy, copying it to the user when copying is allowed.
// Defaults are given by the callers.
#pragma once

#include "kvcore/sregistry.h"
#include "kvcore/sstring.h"

class SUserRegistry {
 public:
  // The application's root (ends with a backslash) and its sections.
  static const SString sApplicationRoot;        // "Software\KvSym\Host\"
  static const SString sApplicationGeneral;     // root + "General"
  static const SString sApplicationDialogPref;  // root + "DialogPreferences\" (ends with a backslash)

  // Opens the section `key` (a path below both hives). The user key is
  // created when missing; the machine key is only opened.
  explicit SUserRegistry(const SString& key, bool allowCopy = true);

  bool IsUserOpen() const { return m_user.IsOpen(); }
  bool IsMachineOpen() const { return m_machine.IsOpen(); }
  bool CanCopy() const { return m_allowCopy; }

  // The read rule: the user's value; when missing and copying is allowed,
  // the machine value copied to the user and the user's value read again;
  // otherwise the machine value. ERROR_SUCCESS when a value was read, else
  // the error of the last read with the default in the out value.
  LONG GetProfile(const SString& name, long* value, long def);
  LONG GetProfile(const SString& name, SString* value, const SString& def);
  LONG GetProfile(const SString& name, SString& value, const SString& def) { return GetProfile(name, &value, def); }

  // Writes to the user copy; ERROR_INVALID_HANDLE when it is not open.
  LONG WriteProfile(const SString& name, long value) { return m_user.WriteProfile(name, value); }
  LONG WriteProfile(const SString& name, const SString& value) { return m_user.WriteProfile(name, value); }

  // Copies the machine value `name` (any type) to the user copy.
  // ERROR_SUCCESS when copied; ERROR_FILE_NOT_FOUND when there is no
  // machine value; ERROR_ACCESS_DENIED when copying is not allowed.
  LONG CopyHKLM(const SString& name);

  SRegistry& GetUser() { return m_user; }
  SRegistry& GetMachine() { return m_machine; }

 private:
  template <class T, class D>
  LONG Read(const SString& name, T* value, const D& def);

  SRegistry m_user;
  SRegistry m_machine;
  bool m_allowCopy;
};
