// SLibModuleState: the module state of a library built on the core module
// state, with a small module part in the manner of the compiler's template
// library: the object map the module serves, a lock, and a list of
// functions run at termination.
#pragma once

#include <mutex>
#include <vector>

#include "kvcore/smodulestate.h"

// One entry of a module's object map; a map ends with an entry whose class
// identifier is null.
struct SObjectMapEntry {
  const CLSID* pclsid;
  HRESULT (*create)(void* outer, REFIID riid, void** ppv);
};

// The module part: object map, lock and term list.
class SComModulePart {
 public:
  using TermFunc = void (*)(DWORD_PTR data);

  SComModulePart() = default;
  // Runs whatever is left in the term list.
  ~SComModulePart();
  SComModulePart(const SComModulePart&) = delete;
  SComModulePart& operator=(const SComModulePart&) = delete;

  // Adds a function run at termination; the last added runs first.
  void AddTermFunc(TermFunc func, DWORD_PTR data);
  // Runs and empties the term list.
  void RunTermFuncs();

  const SObjectMapEntry* GetObjectMap() const { return m_pObjMap; }
  // The entries before the end entry (0 for no map).
  int GetObjectCount() const;
  std::recursive_mutex& GetLock() { return m_lock; }

 protected:
  const SObjectMapEntry* m_pObjMap = nullptr;

 private:
  std::recursive_mutex m_lock;
  std::vector<std::pair<TermFunc, DWORD_PTR>> m_termFuncs;
};

class SLibModuleState : public SModuleState, public SComModulePart {
 public:
  SLibModuleState() = default;
  ~SLibModuleState() override = default;

  // Sets the instance (and resource) handle and the object map (null: none).
  // May run more than once; the last call decides.
  void Init(HINSTANCE instance, const SObjectMapEntry* objectMap);
  // Runs the term list. The module stays usable; its destructor runs the
  // functions added after Term.
  void Term();

  int GetInitCount() const { return m_nInit; }
  int GetTermCount() const { return m_nTerm; }

 private:
  int m_nInit = 0;
  int m_nTerm = 0;
};
