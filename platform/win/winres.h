// Module resources. A module registers its resources (type, name, bytes) in a
// process-wide table keyed by its instance handle (see win/winloader.h for
// how a module knows its handle); FindResource, LoadResource, SizeofResource
// and LockResource answer from that table. The bytes are not copied: they
// stay where the module keeps them, so a module unregisters its resources
// before it unloads (KvResourceRegistration does both).
//
// Types and names are either texts (compared without case) or numbers given
// as MAKEINTRESOURCE values (pointer values below 0x10000).
#pragma once

#include <cstdint>
#include <string>

#include "win/windef.h"

inline bool IS_INTRESOURCE(const void* p) { return reinterpret_cast<std::uintptr_t>(p) <= 0xFFFF; }
inline LPWSTR MAKEINTRESOURCEW(unsigned id) {
  return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(id & 0xFFFF));
}
inline LPSTR MAKEINTRESOURCEA(unsigned id) {
  return reinterpret_cast<LPSTR>(static_cast<std::uintptr_t>(id & 0xFFFF));
}
#define MAKEINTRESOURCE(id) MAKEINTRESOURCEW(id)

// Null when the module has no such resource.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
inline HRSRC FindResource(HMODULE module, LPCWSTR name, LPCWSTR type) { return FindResourceW(module, name, type); }
// A handle whose LockResource gives the bytes; null for a null resource.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The byte count; 0 for a null resource.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// The first byte; null for a null handle.
LPVOID LockResource(HGLOBAL loaded);

// ---- helpers of this platform layer ------------------------------------------
// Registers one resource of a module; a later registration of the same
// (module, type, name) replaces it. False for a null module or null bytes.
bool KvRegisterResource(HMODULE module, LPCWSTR type, LPCWSTR name, const void* data, DWORD size);
// Forgets every resource of a module.
void KvUnregisterResources(HMODULE module);
// The number of resources registered for a module.
int KvResourceCount(HMODULE module);

// Registers one resource for as long as the object lives.
class KvResourceRegistration {
 public:
  KvResourceRegistration(HMODULE module, LPCWSTR type, LPCWSTR name, const void* data, DWORD size);
  ~KvResourceRegistration();
  KvResourceRegistration(const KvResourceRegistration&) = delete;
  KvResourceRegistration& operator=(const KvResourceRegistration&) = delete;

 private:
  static LPCWSTR Keep(LPCWSTR p, std::u16string& copy);
  HMODULE m_module;
  std::u16string m_typeText, m_nameText;  // copies of text keys
  LPCWSTR m_type;
  LPCWSTR m_name;
};
// Forgets one resource.
void KvUnregisterResource(HMODULE module, LPCWSTR type, LPCWSTR name);
