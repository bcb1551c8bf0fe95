// The external layout engine: a plug-in loaded by name for one call and
// freed right after it. Every call goes the same way: load the module and
// resolve its "SResolveAssemblies" entry and the operation's entry; call
// SResolveAssemblies(1); set the engine lock; call the operation; clear the
// lock; call SResolveAssemblies(0) and free the module.
//
// The engine lock is one flag for the whole process, shared by the layout
// run and the link router's routing and crossings: a call that comes while
// the engine works (a notification raised by the engine's own writes) does
// nothing, and an engine found out of date locks it out for the rest of the
// process, so that the user is told once. Forgetting a diagram has a lock
// of its own.
//
// A call that cannot reach the engine (locked, loading forbidden in this
// process, out of date) is a failure, never a success: the caller then
// knows that nothing moved.
#pragma once

#include <string>

#include "kvcore/scomds.h"
#include "kvcore/sexceptionhook.h"
#include "kvcore/sstring.h"
#include "win/winloader.h"

// The entry points every engine exports by name, with C linkage. Each
// answers a code, 0 on success; an engine never lets an exception out.
class SSymAutoLayoutParam;
struct ISSymbol;
struct ISSymDiagram;
class ISWeightedSymPointTableMap;
extern "C" {
using SResolveAssembliesFn = int (*)(int load);
using SIsAutoLayoutAvailableFn = int (*)();
using SDoAutoLayoutFn = int (*)(SSymAutoLayoutParam& param);
using SDoEdgeRoutingFn = int (*)(SComBag<ISSymbol>& symbols);
using SDoRetrieveIntersectionsFn = int (*)(SComBag<ISSymbol>& links, ISWeightedSymPointTableMap* out);
using SDoUnsyncDiagramFn = int (*)(ISSymDiagram* diagram);
}

// The handle of one load: the operation's entry, the module, the
// resolution entry, and whether loading is forbidden in this process.
struct LayoutLibrary {
  void (*m_entry)() = nullptr;
  HMODULE m_module = nullptr;
  SResolveAssembliesFn m_resolve = nullptr;
  bool m_mixedCallers = false;
};

// Loads the engine file and resolves "SResolveAssemblies" and `entry`.
// Nothing is loaded when loading is forbidden (DotNetMixedCallerDisabled),
// nor, with `onlyIfLoaded`, when the engine is not in the process already:
// both answer a handle with m_mixedCallers set.
LayoutLibrary LoadLayoutLibrary(const SString& file, const char* entry, bool onlyIfLoaded = false);
// Calls SResolveAssemblies(1): false when an entry is missing or the call
// threw.
bool ResolveLayoutAssemblies(const LayoutLibrary& library);
// Calls SResolveAssemblies(0) (an exception of it is dropped) and frees the
// module; the handle is cleared.
void ReleaseLayoutLibrary(LayoutLibrary& library);

class SSymLayoutEngine {
 public:
  // The engine's name (string 1478), mapped by the loader to the plug-in
  // beside the library.
  static const char16_t* FileName() { return u"kvlayout16.dll"; }
  // The name of the file the loader opens for `file` (no folder): the name a
  // user finds on disk, "libkvlayout16.so" for the engine's own name.
  static SString SharedObjectName(const SString& file) {
    const std::string mapped = KvMapLibraryName(file.ToUtf8());
    const std::size_t slash = mapped.rfind('/');
    return SString::FromUtf8(slash == std::string::npos ? mapped : mapped.substr(slash + 1));
  }
  // The file the bridge loads: FileName(), unless a test or host chose
  // another with Reset.
  static SString File();

  // The engine lock: set while the engine works or after the engine was
  // found out of date (for the rest of the process).
  static bool IsLocked() { return s_working || s_lockedOut; }
  static bool IsWorking() { return s_working; }
  static bool IsLockedOut() { return s_lockedOut; }
  static bool IsUnsyncLocked() { return s_unsyncLocked; }

  // Sets the engine lock (or the unsync lock) for a scope; cleared also
  // when the engine throws.
  class WorkScope {
   public:
    explicit WorkScope(bool unsync = false) : m_flag(unsync ? s_unsyncLocked : s_working) { m_flag = true; }
    ~WorkScope() { m_flag = false; }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

   private:
    bool& m_flag;
  };

  // The engine could not be used: locks it out (the unsync lock for
  // `unsync`) and shows the failure once per process, naming the shared
  // object the loader looked for: absent (string 1479) when nothing was
  // loaded, else not up to date (string 1480).
  static void ReportFailure(const LayoutLibrary& library, bool unsync = false);
  // The message shown (empty while there was none).
  static const SString& GetMessage() { return s_message; }

  // For tests and hosts: forget the locks and the message, and load the
  // engine from `file` (empty: FileName()).
  static void Reset(const SString& file);

 private:
  static bool s_working;
  static bool s_lockedOut;
  static bool s_unsyncLocked;
  static bool s_reported;
  static SString s_message;
  static SString s_file;
};

// Runs an engine call: sets the engine lock (or the unsync lock) for its
// length and reports an exception it lets out through the exception dialog
// while the engine is still loaded (the exception may live in it). False
// when the call threw.
template <class Call>
bool SSymCallEngine(const char* function, Call&& call, bool unsync = false) {
  SSymLayoutEngine::WorkScope lock(unsync);
  try {
    call();
    return true;
  } catch (...) {
    VectoredExceptionReporter::Report(function, __FILE__, __LINE__, nullptr);
  }
  return false;
}
