// The type-library manager: libraries register the metamodel resource that
// describes their persistent classes.
//
// The manager reads the resource bytes through a lookup that the library
// side installs once (SRepSetResourceLookup) before it registers: given the
// module-state pointer it passes to RegisterTypeLib, the resource id and the
// resource type, the lookup answers the bytes (an empty span when absent).
// Tests may register bytes directly with RegisterBytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "win/windef.h"

using SRepResourceLookup = std::span<const std::uint8_t> (*)(void* moduleState, UINT id, LPCWSTR type);
void SRepSetResourceLookup(SRepResourceLookup lookup);

// One class record of a metamodel.
struct SRepMetaClass {
  std::string code;
  std::string name;
  DWORD flags = 0;
  GUID clsid = GUID_NULL;
  std::vector<std::string> parents;
  std::vector<GUID> parentIds;
};

// One registration.
struct SRepTypeLib {
  void* moduleState = nullptr;
  UINT id = 0;
  UINT lang = 0;
  std::u16string type;
  std::vector<std::uint8_t> bytes;
  std::string moduleCode;              // from the header ("Sym")
  std::vector<SRepMetaClass> classes;  // classes read before the first member list
  DWORD classCount = 0;                // the header's class count
};

struct ISRepTypeLibManager {
  // Registers the metamodel resource (id, type) of the module whose state is
  // given. E_POINTER for a null type, E_FAIL when the bytes cannot be had,
  // STG_E_READFAULT when they are not a metamodel. Registering the same
  // module and id again replaces the earlier registration.
  virtual HRESULT RegisterTypeLib(void* moduleState, UINT id, UINT lang, LPCWSTR type) = 0;
  virtual HRESULT RegisterBytes(void* moduleState, UINT id, std::span<const std::uint8_t> bytes) = 0;
  virtual int GetCount() const = 0;
  virtual const SRepTypeLib* GetAt(int i) const = 0;
  virtual void Clear() = 0;

 protected:
  ~ISRepTypeLibManager() = default;
};

// The process-wide manager, or null while disabled (tests of a library frame
// without a manager).
ISRepTypeLibManager* GetTypeLibManager();
void SRepEnableTypeLibManager(bool enabled);
