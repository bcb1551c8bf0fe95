#include "kvlib/slibmodule.h"

SComModulePart::~SComModulePart() { RunTermFuncs(); }

void SComModulePart::AddTermFunc(TermFunc func, DWORD_PTR data) {
  if (!func) return;
  std::lock_guard<std::recursive_mutex> g(m_lock);
  m_termFuncs.emplace_back(func, data);
}

void SComModulePart::RunTermFuncs() {
  std::vector<std::pair<TermFunc, DWORD_PTR>> funcs;
  {
    std::lock_guard<std::recursive_mutex> g(m_lock);
    funcs.swap(m_termFuncs);
  }
  for (auto it = funcs.rbegin(); it != funcs.rend(); ++it) it->first(it->second);
}

int SComModulePart::GetObjectCount() const {
  int n = 0;
  if (m_pObjMap)
    while (m_pObjMap[n].pclsid) ++n;
  return n;
}

void SLibModuleState::Init(HINSTANCE instance, const SObjectMapEntry* objectMap) {
  SetInstanceHandle(instance);
  m_pObjMap = objectMap;
  ++m_nInit;
}

void SLibModuleState::Term() {
  ++m_nTerm;
  RunTermFuncs();
}
