#include "sym/layout/symedgerouter.h"

#include <algorithm>
#include <vector>

#include "kvlib/suserregistry.h"
#include "sym/foundation/symstrings.h"
#include "win/winloader.h"

namespace {
// Sets a flag for a scope and puts the former value back, also when the
// engine throws.
class FlagFor {
 public:
  explicit FlagFor(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
  ~FlagFor() { m_flag = m_old; }
  FlagFor(const FlagFor&) = delete;
  FlagFor& operator=(const FlagFor&) = delete;

 private:
  bool& m_flag;
  bool m_old;
};

using RetrieveFn = int (*)(SComBag<ISSymbol>&, ISWeightedSymPointTableMap*);
using RoutingFn = int (*)(SComBag<ISSymbol>&);
using ResolveFn = void (*)(int);

// The engine, loaded for one call and freed at the end of the scope.
class Engine {
 public:
  explicit Engine(const SString& file) : m_module(LoadLibraryW(reinterpret_cast<LPCWSTR>(file.c_str()))) {
    if (m_module) m_resolve = reinterpret_cast<ResolveFn>(GetProcAddress(m_module, "SResolveAssemblies"));
    if (m_resolve) m_resolve(1);
  }
  ~Engine() {
    if (m_resolve) m_resolve(0);
    if (m_module) FreeLibrary(m_module);
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;
  template <class F>
  F Entry(const char* name) const {
    return m_module && m_resolve ? reinterpret_cast<F>(GetProcAddress(m_module, name)) : nullptr;
  }

 private:
  HMODULE m_module;
  ResolveFn m_resolve = nullptr;
};
}  // namespace

SSymEdgeRouter& SSymEdgeRouter::Instance() {
  static SSymEdgeRouter router;
  return router;
}

const char16_t* SSymEdgeRouter::EngineName() { return u"kvlayout16.dll"; }

void SSymEdgeRouter::AddSymbol(const SComWrap<ISSymbol>& symbol) {
  if (!symbol.IsNull()) m_symbols.Add(symbol.Get());
}

bool SSymEdgeRouter::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

void SSymEdgeRouter::Clear() {
  m_symbols.RemoveAll();
  for (auto& [link, table] : m_crossings) link->Release();
  m_crossings.clear();
  for (auto& [link, pts] : m_bridges) link->Release();
  m_bridges.clear();
}

void SSymEdgeRouter::ResetEngine(const SString& fileName) {
  m_engineLocked = false;
  m_reported = false;
  m_engineFile = fileName;
}

void SSymEdgeRouter::SetAt(ISSymbol* link, const SSymCrossings& crossings) {
  if (!link) return;
  auto it = m_crossings.find(link);
  if (it == m_crossings.end()) {
    link->AddRef();
    m_crossings.emplace(link, crossings);
  } else {
    it->second = crossings;
  }
}

SSymEdgeRouter::CrossingMap SSymEdgeRouter::ComputeIntersections(SComBag<ISSymbol>& links) {
  ClearBridgesIndex();
  if (!m_engineLocked) {
    Engine engine(m_engineFile.IsEmpty() ? SString(EngineName()) : m_engineFile);
    if (auto retrieve = engine.Entry<RetrieveFn>("SDoRetrieveIntersections")) {
      // Locked while the engine works, so that a notification raised meanwhile
      // does not call it again; cleared also when the call throws.
      FlagFor lock(m_engineLocked);
      for (auto& [link, table] : m_crossings) link->Release();
      m_crossings.clear();
      retrieve(links, this);
    } else {
      m_engineLocked = true;
      if (!m_reported) {
        m_reported = true;
        m_message = SSymLoadString(1480);
        m_message.Replace(SString(u"%s"), SString(EngineName()));
      }
    }
  }
  return m_crossings;
}

bool SSymEdgeRouter::CallEdgeRoutingMethod() {
  if (m_engineLocked) return true;
  Engine engine(m_engineFile.IsEmpty() ? SString(EngineName()) : m_engineFile);
  auto route = engine.Entry<RoutingFn>("SDoEdgeRouting");
  if (!route) {
    m_engineLocked = true;
    return true;
  }
  int result = 1;
  {
    FlagFor lock(m_engineLocked);
    result = route(m_symbols);
  }
  if (result != 0) return false;
  m_symbols.RemoveAll();
  return true;
}

SSymCrossings SSymEdgeRouter::GetIntersections(ISSymbol* link) {
  auto it = m_crossings.find(link);
  if (it == m_crossings.end()) return SSymCrossings();
  std::vector<SWeighted<SSymPoint, double>> v;
  for (int i = 0; i < it->second.GetCount(); ++i) v.push_back(it->second[i]);
  std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.m_weight < b.m_weight; });
  SSymCrossings out;
  for (const auto& w : v) out.Add(w);
  return out;
}

SSymListPt SSymEdgeRouter::GetBridges(ISSymbol* link) {
  auto it = m_bridges.find(link);
  return it == m_bridges.end() ? SSymListPt() : it->second;
}

void SSymEdgeRouter::UpdateBridgesIndex(ISSymbol* link, const SSymListPt& points) {
  if (!link) return;
  auto it = m_bridges.find(link);
  if (it == m_bridges.end()) {
    link->AddRef();
    m_bridges.emplace(link, points);
  } else {
    it->second = points;
  }
}

void SSymEdgeRouter::ClearBridgesIndex() {
  for (auto& [link, pts] : m_bridges) link->Release();
  m_bridges.clear();
}

LONG SSymEdgeRouter::GetBridgeRadius() {
  if (m_radius < 0) {
    long radius = 400;
    SUserRegistry reg(SUserRegistry::sApplicationGeneral);
    reg.GetProfile(SString("BridgesRadius"), &radius, 400);
    m_radius = radius > 0 ? static_cast<LONG>(radius) : 400;
  }
  return m_radius;
}

namespace {
// Installs the router for the symbol core at load and takes it back before
// the router itself is destroyed (it was made first, so it dies last).
struct RouterInstaller {
  RouterInstaller() { SSymSetEdgeRouter(&SSymEdgeRouter::Instance()); }
  ~RouterInstaller() {
    SSymSetEdgeRouter(nullptr);
    SSymEdgeRouter::Instance().Clear();
  }
} g_routerInstaller;
}  // namespace
