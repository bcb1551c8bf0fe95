#include "sym/foundation/sdsym.h"

#include <cstdio>
#include <cstdlib>

#include "kvcore/scomwrap.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/snotify.h"
#include "kvlib/slibmodule.h"
#include "sym/foundation/symmetadata.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symterminators.h"
#include "win/winloader.h"

namespace {
// Module data kept by the raw entry hook.
HINSTANCE s_hInstance = nullptr;
// A module-local marker: its address lies inside this library, whatever the
// other modules of the process export.
const char s_moduleMarker = 0;

bool s_bSymbolResized = false;
bool s_bSymFirstCreation = true;

// The library's module object: the user-interface library's module state,
// plus one counted interface reference of its own.
class SSymModule : public SLibModuleState {
 public:
  // The first start-up initialiser: built from the kept instance handle.
  SSymModule() { Init(s_hInstance, nullptr); }

 private:
  SComOut<IUnknown> m_pUnk;  // released with the module
};

// The library's object map: empty (its first entry is the end entry).
const SObjectMapEntry s_objectMap[] = {{nullptr, nullptr}};

// The raw entry hook runs first on load and last on unload.
__attribute__((constructor(101))) void RawAttach() {
  RawDllMainHook(KvModuleHandleFromAddress(&s_moduleMarker), DLL_PROCESS_ATTACH, nullptr);
}
__attribute__((destructor(101))) void RawDetach() { RawDllMainHook(s_hInstance, DLL_PROCESS_DETACH, nullptr); }

// The first start-up initialiser of the library (the raw entry hook has run).
SSymModule g_symModule __attribute__((init_priority(102)));
}  // namespace


BOOL RawDllMainHook(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    s_hInstance = instance;
    SNotificationManager::Notify(34, instance, 0);
  } else if (reason == DLL_PROCESS_DETACH) {
    SNotificationManager::Notify(37, instance, 0);
  }
  return TRUE;
}

HINSTANCE SSymGetInstanceHandle() { return s_hInstance; }

SModuleState* SSymGetModuleState() { return &g_symModule; }
SLibModuleState* SSymGetLibModuleState() { return &g_symModule; }

BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    // Every registered class must be whole before the repository can reach
    // its attributes: a declared attribute left unbound would read as empty
    // and never be written. A library built so is refused at once.
    const std::vector<std::string> faults = SSymCheckClassBindings();
    if (!faults.empty()) {
      for (const std::string& fault : faults) std::fprintf(stderr, "kvsym16: %s\n", fault.c_str());
      std::fprintf(stderr, "kvsym16: %zu attribute binding fault(s); the library cannot load\n", faults.size());
      std::abort();
    }
    DisableThreadLibraryCalls(instance);
    g_symModule.Init(instance, s_objectMap);
    SSymRegisterMetadata();
    SNotificationManager::Notify(35, instance, 0);
  } else if (reason == DLL_PROCESS_DETACH) {
    SNotificationManager::Notify(36, instance, 0);
    try {
      SSymRunTerminator(SSymTerminatorSlot::SymArrow);
      SSymRunTerminator(SSymTerminatorSlot::PictureManager);
      SSymRunTerminator(SSymTerminatorSlot::SharedDC);
      SSymRunTerminator(SSymTerminatorSlot::SwimSelection);
      if (SSymUnloadObserver observer = SSymGetUnloadObserver()) observer("Term");
      g_symModule.Term();
    } catch (...) {
      // Nothing may leave the unload: any failure ends the block and is shown.
      SExceptionDialog("int __stdcall DllMain(struct HINSTANCE__ *,unsigned long,void *)", "sym/src/sdsym", 178,
                       SString("End of Sym DLL"));
    }
  }
  return TRUE;
}

// ---- module-wide flags ---------------------------------------------------------
bool g_IsSymbolResized() { return s_bSymbolResized; }
bool g_IsSymFirstCreation() { return s_bSymFirstCreation; }

SetSymbolResized::SetSymbolResized(bool value) : SFlagScope(s_bSymbolResized, value) {}
SetSymFirstCreation::SetSymFirstCreation(bool value) : SFlagScope(s_bSymFirstCreation, value) {}
