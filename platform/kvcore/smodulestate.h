// SModuleState: what a module knows of itself: its instance handle, the
// handle its resources are found in, and resource lookup.
#pragma once

#include <map>

#include "kvcore/sstring.h"
#include "win/windef.h"

// The bytes of one resource (null and 0 when there is none).
struct SResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
  explicit operator bool() const { return data != nullptr; }
};

class SModuleState {
 public:
  SModuleState() = default;
  explicit SModuleState(HINSTANCE instance) : m_hInstance(instance), m_hResource(instance) {}
  virtual ~SModuleState() = default;
  SModuleState(const SModuleState&) = delete;
  SModuleState& operator=(const SModuleState&) = delete;

  HINSTANCE GetInstanceHandle() const { return m_hInstance; }
  // Sets the instance handle; the resource handle follows it.
  void SetInstanceHandle(HINSTANCE instance) { m_hInstance = m_hResource = instance; }
  HINSTANCE GetResourceHandle() const { return m_hResource; }
  void SetResourceHandle(HINSTANCE resources) { m_hResource = resources; }

  // The resource of the given type text and number in the module's resources.
  SResourceBytes FindResourceBytes(LPCWSTR type, UINT id) const;
  SResourceBytes FindResourceBytes(LPCSTR type, UINT id) const;

  // The module's string table: texts by string id. A module that owns
  // texts installs its table once; the table must outlive the module state.
  void SetStringTable(const std::map<UINT, const char*>* table) { m_pStrings = table; }
  // The text of id in this module's table; empty when absent.
  SString LoadString(UINT id) const;

 private:
  HINSTANCE m_hInstance = nullptr;
  HINSTANCE m_hResource = nullptr;
  const std::map<UINT, const char*>* m_pStrings = nullptr;
};

// The module whose resources the calls of the current thread use; null
// until a module is switched to.
SModuleState* SGetCurrentModuleState();
// The text of id in the current module's string table; empty when there is
// no current module or the id is absent.
SString LoadString(UINT id);

// Switches the current module state for a scope and restores the previous
// one when it ends.
class SSetModuleState {
 public:
  explicit SSetModuleState(SModuleState* state);
  ~SSetModuleState();
  SSetModuleState(const SSetModuleState&) = delete;
  SSetModuleState& operator=(const SSetModuleState&) = delete;

 private:
  SModuleState* m_pPrevious;
};
