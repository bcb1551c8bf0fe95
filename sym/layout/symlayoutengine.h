// SSymLayoutEngine: the external layout engine, a plug-in loaded for one
// call and freed at the end of the scope. The engine resolves what it needs
// through its "SResolveAssemblies" entry (1 on load, 0 before it is freed);
// an engine that lacks that entry, or whose resolution throws, answers none
// of its entries. The link router and the automatic layout both reach the
// engine this way.
#pragma once

#include "kvcore/sstring.h"
#include "win/winloader.h"

class SSymLayoutEngine {
 public:
  // The engine's file name (mapped by the loader to the plug-in beside the library).
  static const char16_t* FileName() { return u"kvlayout16.dll"; }

  // An engine whose SResolveAssemblies throws counts as not resolved (its
  // entries are not answered), like one that lacks it.
  explicit SSymLayoutEngine(const SString& file) : m_module(LoadLibraryW(file.c_str())) {
    if (m_module) m_resolve = reinterpret_cast<ResolveFn>(GetProcAddress(m_module, "SResolveAssemblies"));
    if (!m_resolve) return;
    try {
      m_resolve(1);
      m_resolved = true;
    } catch (...) {
      m_resolved = false;
    }
  }
  // Never throws: an exception of the engine's release is dropped, as the
  // module is freed anyway.
  ~SSymLayoutEngine() {
    if (m_resolve) {
      try {
        m_resolve(0);
      } catch (...) {
      }
    }
    if (m_module) FreeLibrary(m_module);
  }
  SSymLayoutEngine(const SSymLayoutEngine&) = delete;
  SSymLayoutEngine& operator=(const SSymLayoutEngine&) = delete;
  template <class F>
  F Entry(const char* name) const {
    return m_resolved ? reinterpret_cast<F>(GetProcAddress(m_module, name)) : nullptr;
  }

 private:
  using ResolveFn = void (*)(int);

  HMODULE m_module;
  ResolveFn m_resolve = nullptr;
  bool m_resolved = false;
};

