// SModuleState: what a module knows of itself: its instance handle, the
// handle its resources are found in, and resource lookup.
#pragma once

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

 private:
  HINSTANCE m_hInstance = nullptr;
  HINSTANCE m_hResource = nullptr;
};
