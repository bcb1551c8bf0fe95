#include "sym/layout/symedgerouter.h"

#include <algorithm>
#include <vector>

#include <set>

#include "kvlib/suserregistry.h"
#include "kvrep/srepsession.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/layout/symlayoutengine.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The repository collections under which a model object keeps its
// diagrams and sub-folders.
constexpr LONG kFolderMembers[] = {0x2000024, 0x200002e};
// Folders nest shallowly; the bound keeps a corrupt cyclic tree finite.
constexpr int kMaxFolderDepth = 64;
}  // namespace

SSymEdgeRouter& SSymEdgeRouter::Instance() {
  static SSymEdgeRouter router;
  return router;
}

const char16_t* SSymEdgeRouter::EngineName() { return SSymLayoutEngine::FileName(); }

bool SSymEdgeRouter::IsEngineLocked() const { return SSymLayoutEngine::IsLocked(); }

const SString& SSymEdgeRouter::GetEngineMessage() const { return SSymLayoutEngine::GetMessage(); }

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

void SSymEdgeRouter::ResetEngine(const SString& fileName) { SSymLayoutEngine::Reset(fileName); }

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
  if (SSymLayoutEngine::IsLocked()) return m_crossings;
  LayoutLibrary library = LoadLayoutLibrary(SSymLayoutEngine::File(), "SDoRetrieveIntersections");
  if (library.m_mixedCallers) return m_crossings;  // loading forbidden: links draw without bridges
  if (ResolveLayoutAssemblies(library)) {
    auto retrieve = reinterpret_cast<SDoRetrieveIntersectionsFn>(library.m_entry);
    for (auto& [link, table] : m_crossings) link->Release();
    m_crossings.clear();
    SSymCallEngine("SSymEdgeRouter::ComputeIntersections", [&] { retrieve(links, this); });
  } else {
    SSymLayoutEngine::ReportFailure(library);
  }
  ReleaseLayoutLibrary(library);
  return m_crossings;
}

namespace {
// Empties the symbols to route at the end of a scope, whatever the engine
// did: otherwise they would be routed again and again.
class EmptyAtEnd {
 public:
  explicit EmptyAtEnd(SComBag<ISSymbol>& bag) : m_bag(bag) {}
  ~EmptyAtEnd() { m_bag.RemoveAll(); }
  EmptyAtEnd(const EmptyAtEnd&) = delete;
  EmptyAtEnd& operator=(const EmptyAtEnd&) = delete;

 private:
  SComBag<ISSymbol>& m_bag;
};
}  // namespace

bool SSymEdgeRouter::CallEdgeRoutingMethod() {
  SComWrap<ISSymDiagram> diagram = FirstDiagram();
  const ISSymDispPref* pref = diagram.IsNull() ? nullptr : SSymGetDispPrefPtr(diagram.Get());
  if (!pref || !pref->ActivatesLinkRouting()) {
    m_symbols.RemoveAll();
    return false;
  }
  // A call made while the engine works (its own writes end a context): the
  // running call routes these symbols and empties them.
  if (SSymLayoutEngine::IsWorking()) return false;
  EmptyAtEnd empty(m_symbols);
  if (SSymLayoutEngine::IsLockedOut()) return false;
  LayoutLibrary library = LoadLayoutLibrary(SSymLayoutEngine::File(), "SDoEdgeRouting");
  if (library.m_mixedCallers) return false;
  int result = 1;
  if (ResolveLayoutAssemblies(library)) {
    auto route = reinterpret_cast<SDoEdgeRoutingFn>(library.m_entry);
    SSymCallEngine("SSymEdgeRouter::CallEdgeRoutingMethod", [&] { result = route(m_symbols); });
  } else {
    SSymLayoutEngine::ReportFailure(library);
  }
  ReleaseLayoutLibrary(library);
  return result == 0;
}

void SSymEdgeRouter::UnsyncDiagram(ISSymDiagram* diagram) {
  if (SSymLayoutEngine::IsUnsyncLocked() || !diagram) return;
  // The engine is not loaded only to forget a diagram it never saw.
  LayoutLibrary library = LoadLayoutLibrary(SSymLayoutEngine::File(), "SDoUnsyncDiagram", true);
  if (library.m_mixedCallers) return;
  if (ResolveLayoutAssemblies(library)) {
    auto unsync = reinterpret_cast<SDoUnsyncDiagramFn>(library.m_entry);
    SSymCallEngine("SSymEdgeRouter::UnsyncDiagram", [&] { unsync(diagram); }, true);
    ++m_unsyncCount;
  } else {
    SSymLayoutEngine::ReportFailure(library, true);
  }
  ReleaseLayoutLibrary(library);
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
