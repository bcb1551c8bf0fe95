// SSymLayoutEngine: the external layout engine, a plug-in loaded for one
// call and freed at the end of the scope. The engine resolves what it needs
// through its "SResolveAssemblies" entry (1 on load, 0 before it is freed);
// an engine that lacks that entry, or whose resolution throws, answers none
// of its entries. The link router and the automatic layout both reach the
// engine this way.
#pragma once

#include <string>

#include "kvcore/sstring.h"
#include "win/winloader.h"

class SSymLayoutEngine {
 public:
  // The engine's file name (mapped by the loader to the plug-in beside the library).
  static const char16_t* FileName() { return u"kvlayout16.dll"; }
  // The name of the file the loader opens for `file` (no folder): the name a
  // user finds on disk, "libkvlayout16.so" for the engine's own name.
  static SString SharedObjectName(const SString& file) {
    const std::string mapped = KvMapLibraryName(file.ToUtf8());
    const std::size_t slash = mapped.rfind('/');
    return SString::FromUtf8(slash == std::string::npos ? mapped : mapped.substr(slash + 1));
  }

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
  // False when the file could not be loaded at all (absent, or not a
  // loadable module); true for an engine that loaded, outdated or not.
  bool IsLoaded() const { return m_module != nullptr; }
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

