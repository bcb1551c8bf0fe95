#include "sym/layout/symlayoutengine.h"

#include "kvcore/sloadlib.h"
#include "kvlib/slibmsgbox.h"
#include "kvlib/sprofilerhelper.h"
#include "sym/foundation/symstrings.h"

bool SSymLayoutEngine::s_working = false;
bool SSymLayoutEngine::s_lockedOut = false;
bool SSymLayoutEngine::s_unsyncLocked = false;
bool SSymLayoutEngine::s_reported = false;
SString SSymLayoutEngine::s_message;
SString SSymLayoutEngine::s_file;

LayoutLibrary LoadLayoutLibrary(const SString& file, const char* entry, bool onlyIfLoaded) {
  LayoutLibrary library;
  library.m_mixedCallers = DotNetMixedCallerDisabled();
  // Forgetting a diagram never loads the engine for that alone.
  if (!library.m_mixedCallers && onlyIfLoaded && !GetModuleHandleW(file.c_str())) library.m_mixedCallers = true;
  if (library.m_mixedCallers) return library;
  {
    SProfilerHelper profile("MixedLoadLibrary");
    library.m_module = LoadLibraryW(file.c_str());
  }
  if (!library.m_module) return library;
  library.m_resolve = reinterpret_cast<SResolveAssembliesFn>(GetProcAddress(library.m_module, "SResolveAssemblies"));
  library.m_entry = GetProcAddress(library.m_module, entry);
  return library;
}

bool ResolveLayoutAssemblies(const LayoutLibrary& library) {
  if (!library.m_entry || !library.m_resolve) return false;
  try {
    library.m_resolve(1);
    return true;
  } catch (...) {
    return false;
  }
}

void ReleaseLayoutLibrary(LayoutLibrary& library) {
  library.m_entry = nullptr;
  if (!library.m_module) return;
  const HMODULE module = library.m_module;
  library.m_module = nullptr;
  if (library.m_resolve) {
    try {
      library.m_resolve(0);
    } catch (...) {
      // The module is freed anyway.
    }
    library.m_resolve = nullptr;
  }
  FreeLibrary(module);
}

SString SSymLayoutEngine::File() { return s_file.IsEmpty() ? SString(FileName()) : s_file; }

void SSymLayoutEngine::ReportFailure(const LayoutLibrary& library, bool unsync) {
  (unsync ? s_unsyncLocked : s_lockedOut) = true;
  if (s_reported) return;
  s_reported = true;
  // A missing engine is not an outdated one: the user has to build or
  // install it, not replace it.
  s_message = SSymLoadString(library.m_module ? 1480 : 1479);
  s_message.Replace(SString(u"%s"), SharedObjectName(File()));
  SLibMsgBox::Error(s_message);
}

void SSymLayoutEngine::Reset(const SString& file) {
  s_working = false;
  s_lockedOut = false;
  s_unsyncLocked = false;
  s_reported = false;
  s_message = SString();
  s_file = file;
}
