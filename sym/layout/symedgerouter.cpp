#include "sym/layout/symedgerouter.h"

#include <algorithm>
#include <vector>

#include <set>

#include "kvlib/slibmsgbox.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/layout/symlayoutengine.h"

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
using UnsyncFn = void (*)(ISSymDiagram*);

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The repository collections under which a model object keeps its
// diagrams and sub-folders.
constexpr LONG kFolderMembers[] = {0x2000024, 0x200002e};
// Folders nest shallowly; the bound keeps a corrupt cyclic tree finite.
constexpr int kMaxFolderDepth = 64;

using Engine = SSymLayoutEngine;
}  // namespace

SSymEdgeRouter& SSymEdgeRouter::Instance() {
  static SSymEdgeRouter router;
  return router;
}

const char16_t* SSymEdgeRouter::EngineName() { return SSymLayoutEngine::FileName(); }

SString SSymEdgeRouter::EngineFile() const { return m_engineFile.IsEmpty() ? SString(EngineName()) : m_engineFile; }

void SSymEdgeRouter::AddSymbol(const SComWrap<ISSymbol>& symbol) {
  if (!symbol.IsNull()) m_symbols.Add(symbol.Get());
}

void SSymEdgeRouter::AddDiagram(const SComWrap<ISSymDiagram>& diagram) {
  if (diagram.IsNull()) return;
  SComOut<ISRepClassCol> col;
  if (FAILED(diagram->GetSymbols(&col)) || !col) return;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (FAILED(col->Item(i, &item)) || !item) continue;
    AddSymbol(SComWrap<ISSymbol>(item.Get()));
  }
}

bool SSymEdgeRouter::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

void SSymEdgeRouter::Clear() {
  m_symbols.RemoveAll();
  for (auto& [link, table] : m_crossings) link->Release();
  m_crossings.clear();
  ClearBridgesIndex();
}

void SSymEdgeRouter::ResetEngine(const SString& fileName) {
  m_engineLocked = false;
  m_unsyncLocked = false;
  m_reported = false;
  m_message = SString();
  m_engineFile = fileName;
}

void SSymEdgeRouter::ReportEngineFailure(bool& lock, const SSymLayoutEngine& engine) {
  lock = true;
  if (m_reported) return;
  m_reported = true;
  // A missing engine is not an outdated one: the user has to build or
  // install it, not replace it.
  m_message = SSymLoadString(engine.IsLoaded() ? 1480 : 1479);
  m_message.Replace(SString(u"%s"), SSymLayoutEngine::SharedObjectName(EngineFile()));
  SLibMsgBox::Error(m_message);
}

SComWrap<ISSymDiagram> SSymEdgeRouter::FirstDiagram() {
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    ISSymbol* symbol = m_symbols.GetAt(i);
    SComOut<ISSymDiagram> diagram;
    if (symbol && SUCCEEDED(symbol->GetDiagram(&diagram)) && diagram) return SComWrap<ISSymDiagram>(diagram.Get());
  }
  return SComWrap<ISSymDiagram>();
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
    Engine engine(EngineFile());
    if (auto retrieve = engine.Entry<RetrieveFn>("SDoRetrieveIntersections")) {
      // Locked while the engine works, so that a notification raised meanwhile
      // does not call it again; cleared also when the call throws.
      FlagFor lock(m_engineLocked);
      for (auto& [link, table] : m_crossings) link->Release();
      m_crossings.clear();
      retrieve(links, this);
    } else {
      ReportEngineFailure(m_engineLocked, engine);
    }
  }
  return m_crossings;
}

bool SSymEdgeRouter::CallEdgeRoutingMethod() {
  SComWrap<ISSymDiagram> diagram = FirstDiagram();
  const ISSymDispPref* pref = diagram.IsNull() ? nullptr : SSymGetDispPrefPtr(diagram.Get());
  if (!pref || !pref->ActivatesLinkRouting()) {
    m_symbols.RemoveAll();
    return false;
  }
  if (m_engineLocked) return true;
  Engine engine(EngineFile());
  auto route = engine.Entry<RoutingFn>("SDoEdgeRouting");
  if (!route) {
    ReportEngineFailure(m_engineLocked, engine);
    return true;
  }
  int result = 1;
  {
    FlagFor lock(m_engineLocked);
    result = route(m_symbols);
  }
  m_symbols.RemoveAll();
  return result == 0;
}

void SSymEdgeRouter::UnsyncDiagram(ISSymDiagram* diagram) {
  if (m_unsyncLocked || !diagram) return;
  // The engine is not loaded only to forget a diagram it never saw.
  const SString file = EngineFile();
  if (!GetModuleHandleW(file.c_str())) return;
  Engine engine(file);
  auto unsync = engine.Entry<UnsyncFn>("SDoUnsyncDiagram");
  if (!unsync) {
    ReportEngineFailure(m_unsyncLocked, engine);
    return;
  }
  {
    FlagFor lock(m_unsyncLocked);
    unsync(diagram);
  }
  ++m_unsyncCount;
}

// ---- notifications ---------------------------------------------------------------------------------------------
HRESULT SSymEdgeRouter::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid != IID_IUnknown && iid != IID_ISNotificationSink) return E_NOINTERFACE;
  *ppv = static_cast<ISNotificationSink*>(this);
  return S_OK;
}

HRESULT SSymEdgeRouter::OnNotify(int code, void* ptr, unsigned long num) {
  auto* session = static_cast<ISRepSession*>(ptr);
  if (code == SRepNotifyContextEnded) return OnNotify(session, reinterpret_cast<ISRepContext*>(num));
  if (code == SRepNotifyForgetObject) return OnNotify(session, reinterpret_cast<ISRepObject*>(num));
  return S_OK;
}

HRESULT SSymEdgeRouter::OnNotify(ISRepSession* session, ISRepContext* context) {
  SComWrap<ISSymDiagram> diagram = FirstDiagram();
  const ISSymDispPref* pref = diagram.IsNull() ? nullptr : SSymGetDispPrefPtr(diagram.Get());
  const bool needed = pref && (pref->ActivatesLinkRouting() || pref->ShowsLinkIntersections());
  if (!needed) return S_OK;
  UnsyncDiagram(diagram.Get());
  // Lockouts and the replay of steps never reroute: what they change was
  // routed when it was first done.
  const int kind = SRepGetContextKind(context);
  if (context && kind != 1 && kind != 2) {
    SCurrentContextChange current(session, context);
    CallEdgeRoutingMethod();
  }
  return S_OK;
}

HRESULT SSymEdgeRouter::OnNotify(ISRepSession*, ISRepObject* object) {
  if (object) {
    std::set<ISRepObject*> seen;
    std::vector<std::pair<RepObjWrap, int>> todo{{RepObjWrap(object), 0}};
    while (!todo.empty()) {
      auto [at, depth] = todo.back();
      todo.pop_back();
      if (at.IsNull() || !seen.insert(at.Get()).second) continue;
      if (SComWrap<ISSymDiagram> diagram(at.Get()); !diagram.IsNull()) UnsyncDiagram(diagram.Get());
      if (depth >= kMaxFolderDepth) continue;
      for (LONG id : kFolderMembers) {
        SComOut<ISRepClassCol> col;
        if (FAILED(at->GetCollection(id, &col)) || !col) continue;
        for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
          SComOut<ISRepObject> item;
          if (SUCCEEDED(col->Item(i, &item)) && item) todo.emplace_back(RepObjWrap(item.Get()), depth + 1);
        }
      }
    }
  }
  Clear();
  return S_OK;
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
// Installs the router for the symbol core and advises it for the
// repository's notifications at load; at unload takes both back before the
// router itself is destroyed (it was made first, so it dies last) and lets
// go of what it holds.
struct RouterInstaller {
  RouterInstaller() {
    SSymSetEdgeRouter(&SSymEdgeRouter::Instance());
    SNotificationManager::Advise(&SSymEdgeRouter::Instance());
  }
  ~RouterInstaller() {
    SNotificationManager::UnadviseAll(&SSymEdgeRouter::Instance());
    SSymSetEdgeRouter(nullptr);
    SSymEdgeRouter::Instance().OnNotify(nullptr, static_cast<ISRepObject*>(nullptr));
  }
} g_routerInstaller;
}  // namespace
