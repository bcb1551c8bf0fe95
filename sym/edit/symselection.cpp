#include "sym/edit/symselection.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/snotify.h"
#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symrectindex.h"
#include "sym/edit/symviewedit.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfrouter.h"

namespace {
// Owner chains are short; a longer one is a loop in the owner links.
constexpr int kMaxOwnerDepth = 256;

// Whether one of the owners above the symbol is selected as well: such a
// symbol moves with that owner and must not move once more on its own.
bool OwnerSelected(ISSymbol* symbol, const SSymSelection& selection) {
  SComWrap<ISSymbol> at(symbol);
  for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) return false;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) return false;  // the diagram
    if (selection.Contains(up.Get())) return true;
    at = up;
  }
  return false;
}

// The sub-object mark behind a symbol of the mark type, or null.
SSymSelSubSym* AsMark(ISSymbol* symbol) {
  return symbol && symbol->GetSymbolType() == SSymSelection::MarkType
             ? dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(symbol))
             : nullptr;
}

// The lane type: a lane draws its handles around its separator line too.
constexpr int kLaneType = 14;

// Where a symbol's handles must reach to show on the canvas: its visible
// area (diagram units) widened by a handle's size on every side (handles are
// squares centred on the points of the symbol's rectangle).
SSymRect HandleReach(SSymCanvas& canvas) {
  SSymRect r = canvas.GetViewportVP();
  const SSymSize h = canvas.GetHandleSize();
  r.Inflate(h.cx < 0 ? -h.cx : h.cx, h.cy < 0 ? -h.cy : h.cy);
  return r;
}

// Whether a member's handles (for a mark, its row) may show on the canvas,
// `reach` being the canvas's HandleReach.
bool HandlesShowIn(SSymCanvas& canvas, const SSymRect& reach, ISSymbol* symbol) {
  // A mark is always asked: it draws its row again, with the symbols above
  // it, and a selection holds few of them. A lane's handles lie within its
  // active rectangle; any other symbol's on its clip rectangle (a shared
  // edge counts).
  const int type = symbol->GetSymbolType();
  if (type == SSymSelection::MarkType) return true;
  SSymRect r = type == kLaneType ? symbol->GetActiveRect(canvas, 1) : symbol->GetClipRect(1, 0);
  r.Normalize();
  return r.GetMaxX() >= reach.GetMinX() && reach.GetMaxX() >= r.GetMinX() && r.GetMaxY() >= reach.GetMinY() &&
         reach.GetMaxY() >= r.GetMinY();
}
}  // namespace

int SSymEditableOwners(ISSymbol* symbol, ISSymDiagram* diagram) {
  if (!symbol) return 0;
  // Sub-objects and ports belong to their symbol's face, not to its content.
  if (symbol->IsSubObject()) return 1;
  // A child of a composite is selectable only while every composite it lies
  // in shows its content as editable. The owners met on the way up (the
  // list is made only below a top-level symbol: most symbols asked lie on
  // the diagram itself, and are not asked whether they are ports either).
  std::vector<SComWrap<ISSymbol>> met;
  ISSymbol* at = symbol;
  for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) break;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) break;  // the diagram
    if (met.empty()) {
      if (!SComWrap<ISSymPort>(symbol).IsNull()) return 1;
      met.emplace_back(symbol);
    }
    for (const auto& m : met)
      if (SRepAreSameObjects(m, up)) return 1;  // a loop in the owner links ends the walk
    if (!SComWrap<ISSymCompSym>(up).IsNull() && !SSymIsEditable(up, nullptr, diagram)) return 0;
    met.push_back(up);
    at = met.back().Get();
  }
  return 1;
}

// ---- watching the diagram's top-level symbols ------------------------------------------------------
class SSymSelection::TopLevelWatch final : public ISRepClassColSink {
 public:
  TopLevelWatch(const SSymSelection& selection, ISSymDiagram* diagram) : m_selection(selection) {
    ISRepClassCol* col = nullptr;
    if (diagram && SUCCEEDED(diagram->GetSymbols(&col)) && col) {
      m_col = col;  // the reference GetSymbols gave
      m_col->Advise(this);
    }
  }
  ~TopLevelWatch() { Drop(); }
  TopLevelWatch(const TopLevelWatch&) = delete;
  TopLevelWatch& operator=(const TopLevelWatch&) = delete;
  // False once the collection is gone: the index cannot be relied on.
  bool IsWatching() const { return m_col != nullptr; }

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown) return E_NOINTERFACE;
    *ppv = static_cast<IUnknown*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT OnObjColInsert(ISRepClassCol*, ISRepObject*, int) override { return Stale(); }
  HRESULT OnObjColMove(ISRepClassCol*, int, int) override { return S_OK; }  // still top-level
  HRESULT OnObjColRemove(ISRepClassCol*, ISRepObject*) override { return Stale(); }
  HRESULT OnObjColDelete(ISRepClassCol*) override {
    Drop();
    return Stale();
  }

 private:
  HRESULT Stale() {
    m_selection.m_bPlacesStale = true;
    return S_OK;
  }
  void Drop() {
    if (!m_col) return;
    m_col->Unadvise(this);
    m_col->Release();
    m_col = nullptr;
  }
  const SSymSelection& m_selection;
  ISRepClassCol* m_col = nullptr;  // counted
};

// ---- construction ------------------------------------------------------------------------------------
SClassInfo SSymSelection::__clsinf("SSymSelection", sizeof(SSymSelection), &SObject::__clsinf,
                                   &SSymSelection::CreateObject);

SSymSelection::SSymSelection(SSymView* view, int flag) : m_pView(view), m_nFlag(flag) {}

SObject* SSymSelection::CreateObject() { return new (std::nothrow) SSymSelection(); }

SSymSelection::~SSymSelection() {
  delete m_pWatch;
  for (ISSymbol* s : m_order) s->Release();
  for (ISSymbol* s : m_clearedOrder) s->Release();
}

void SSymSelection::SetDiagram(ISSymDiagram* diagram) {
  if (diagram == m_diagram.Get()) return;
  delete m_pWatch;
  m_pWatch = nullptr;
  m_diagram = diagram;
  Changed();
}

// ---- changing the set -------------------------------------------------------------------------------
void SSymSelection::InsertAt(std::size_t index, ISSymbol* symbol) {
  symbol->AddRef();
  m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_order.size())), symbol);
  m_members.Insert(symbol);
  Changed();
}

void SSymSelection::EraseAt(std::size_t index) {
  ISSymbol* s = m_order[index];
  m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(index));
  m_members.Erase(s);
  Changed();
  s->Release();
}

std::size_t SSymSelection::PlaceFor(ISSymbol* symbol) const {
  if (symbol->GetSymbolType() == PoolType) return 0;
  if (!SComWrap<ISSymLink>(symbol).IsNull())
    return !m_order.empty() && m_order.front()->GetSymbolType() == PoolType ? 1 : 0;
  return m_order.size();
}

void SSymSelection::DrawHandlesOf(ISSymbol* symbol) {
  if (m_nBatch > 0) {
    ToggleInBatch(symbol);
    return;
  }
  // A symbol outside the window leaves nothing to draw: no context is made
  // for it (a large selection mostly lies outside).
  SSymCanvas& canvas = m_pView->GetCanvas();
  if (!HandlesShowIn(canvas, HandleReach(canvas), symbol)) return;
  SSymView::LockCanvas lock(m_pView);
  symbol->DrawHandles(canvas);
}

void SSymSelection::ToggleInBatch(ISSymbol* symbol) {
  // Erased by a Clear and drawn again: nothing changes on the screen.
  if (!m_cleared.IsEmpty() && m_cleared.Erase(symbol)) return;
  // Whether the handles show is settled now, with the window as the batch
  // found it: nothing in a bulk change moves a symbol or the window.
  if (!HandlesShowIn(m_pView->GetCanvas(), m_batchReach, symbol)) return;
  if (std::uint32_t* at = m_batchAt.Find(symbol)) {
    m_batch[*at].second = !m_batch[*at].second;
    return;
  }
  m_batchAt.Set(symbol, static_cast<std::uint32_t>(m_batch.size()));
  m_batch.emplace_back(SComWrap<ISSymbol>(symbol), true);
}

void SSymSelection::BeginHandleBatch() {
  if (!m_pView) return;
  if (m_nBatch++ == 0) m_batchReach = HandleReach(m_pView->GetCanvas());
}

void SSymSelection::EndHandleBatch() {
  if (!m_pView || m_nBatch == 0 || --m_nBatch > 0) return;
  std::vector<std::pair<SComWrap<ISSymbol>, bool>> toggled;
  toggled.swap(m_batch);
  m_batchAt.Clear();
  std::deque<ISSymbol*> cleared;
  cleared.swap(m_clearedOrder);
  SPtrSet<ISSymbol> left;
  std::swap(left, m_cleared);
  // The cleared members' references go once their handles are settled.
  struct Release {
    std::deque<ISSymbol*>& symbols;
    ~Release() {
      for (ISSymbol* s : symbols) s->Release();
    }
  } release{cleared};
  SSymCanvas& canvas = m_pView->GetCanvas();
  std::vector<ISSymbol*> draw;
  for (const auto& [s, odd] : toggled)
    if (odd) draw.push_back(s.Get());
  if (!left.IsEmpty())
    for (ISSymbol* s : cleared)
      if (left.Contains(s) && HandlesShowIn(canvas, m_batchReach, s)) draw.push_back(s);
  if (draw.empty()) return;
  SSymView::LockCanvas lock(m_pView);
  try {
    for (ISSymbol* s : draw) s->DrawHandles(canvas);
  } catch (...) {
    // The batch closes from a scope's end, which must not throw: handles
    // left half drawn are put right by a paint of the whole window.
    m_pView->InvalidateAll(1);
  }
}

void SSymSelection::Add(ISSymbol* symbol, int draw) {
  if (!symbol || Contains(symbol)) return;
  if (m_pView && !CanSelect(symbol)) return;
  InsertAt(PlaceFor(symbol), symbol);
  if (draw && m_pView) DrawHandlesOf(symbol);
  NotifyChanged();
}

void SSymSelection::Insert(int index, ISSymbol* symbol, int draw) {
  if (!symbol || !m_pView || Contains(symbol) || !CanSelect(symbol)) return;
  const std::size_t at = index < 0 ? m_order.size() : static_cast<std::size_t>(index);
  InsertAt(at, symbol);
  if (draw) DrawHandlesOf(symbol);
  NotifyChanged();
}

void SSymSelection::Remove(ISSymbol* symbol, int draw) {
  if (!symbol) return;
  // Only a member is erased or deleted: a mark that is not (or no longer)
  // selected belongs to whoever holds it, and its handles are not on the
  // screen to be erased.
  if (Contains(symbol)) {
    SComWrap<ISSymbol> keep(symbol);  // the set's reference may be the last
    EraseAt(static_cast<std::size_t>(std::find(m_order.begin(), m_order.end(), symbol) - m_order.begin()));
    if (symbol->GetSymbolType() == MarkType) {
      if (SSymSelSubSym* mark = AsMark(symbol); mark && m_pView) {
        SSymView::LockCanvas lock(m_pView);
        mark->RemoveFromSelection(m_pView->GetCanvas());
      }
      if (ISRepObject* o = SSymGetRepObject(symbol)) o->Delete();
    } else if (draw && m_pView) {
      DrawHandlesOf(symbol);  // handles toggle: drawn again, they are erased
    }
  }
  NotifyChanged();
}

void SSymSelection::RemoveSubSymbols() {
  const std::size_t before = m_order.size();
  for (std::size_t i = m_order.size(); i-- > 0;)
    if (!SSymGetRepObject(m_order[i])) EraseAt(i);
  if (m_order.size() != before) NotifyChanged();
}

void SSymSelection::Clear(int draw) {
  std::vector<SComWrap<ISSymbol>> marks;
  for (ISSymbol* s : m_order)
    if (s->GetSymbolType() == MarkType) marks.emplace_back(s);
  if (draw && marks.empty() && m_pView && !m_order.empty()) {
    if (m_nBatch > 0 && m_clearedOrder.empty()) {
      // The members are kept aside, handles and all, until the batch closes.
      std::swap(m_members, m_cleared);
      m_members.Reserve(m_cleared.Size());
      m_clearedOrder.swap(m_order);
      Changed();
      NotifyChanged();
      return;
    }
    if (m_nBatch > 0) {
      for (ISSymbol* s : m_order) ToggleInBatch(s);
    } else {
      SSymView::LockCanvas lock(m_pView);
      DrawHandles(m_pView->GetCanvas());
    }
  }
  std::deque<ISSymbol*> gone;
  gone.swap(m_order);
  m_members.Clear();
  Changed();
  for (ISSymbol* s : gone) s->Release();

  if (draw && !marks.empty()) {
    // Each owner is drawn again once, however many of its marks went.
    SPtrSet<ISSymbol> seen;
    std::vector<SSymSelSubSym*> owners;  // one mark of each owner
    for (const auto& m : marks) {
      SSymSelSubSym* mark = AsMark(m.Get());
      if (mark && mark->GetOwnerSymbol() && seen.Insert(mark->GetOwnerSymbol())) owners.push_back(mark);
      if (ISRepObject* o = SSymGetRepObject(m.Get())) o->Delete();
    }
    if (m_pView && !owners.empty()) {
      SSymView::LockCanvas lock(m_pView);
      SSymCanvas& canvas = m_pView->GetCanvas();
      for (SSymSelSubSym* mark : owners) mark->RedrawOwnerShape(canvas);
    }
  }
  NotifyChanged();
}

void SSymSelection::NotifyChanged() {
  if (!m_diagram.IsNull() && SSymGetSelChangeNotify())
    SNotificationManager::Notify(SSymNotifySelChanged, m_diagram.Get(), 0);
}

// ---- questions ---------------------------------------------------------------------------------------
ISSymbol* SSymSelection::GetAt(int i) const {
  return i >= 0 && i < GetCount() ? m_order[static_cast<std::size_t>(i)] : nullptr;
}

bool SSymSelection::Contains(ISSymbol* symbol, int deep) const {
  if (Contains(symbol)) return true;
  if (!deep || !symbol) return false;
  for (ISSymbol* s : m_order) {
    SComWrap<ISSymGroup> group(s);
    if (!group.IsNull() && group->Contains(symbol, deep)) return true;
  }
  return false;
}

int SSymSelection::CountRepSymbols() const {
  int count = GetCount();
  for (ISSymbol* s : m_order) {
    if (SSymGetRepObject(s)) continue;
    if (s->IsSubObject()) {
      SComOut<ISSymbol> main;
      if (SUCCEEDED(s->GetMainSymbol(&main)) && main && !SComWrap<ISSymPolyline>(main.Get()).IsNull()) continue;
    }
    --count;
  }
  return std::max(count, 0);
}

int SSymSelection::CanSelect(ISSymbol* symbol) {
  if (auto* edit = dynamic_cast<SSymViewEdit*>(m_pView)) return edit->CanSelect(symbol);
  if (!symbol || symbol->IsHidden()) return 0;
  return SSymEditableOwners(symbol, m_diagram.Get());
}

void SSymSelection::UpdatePlaces() const {
  if (!m_bPlacesStale) return;
  m_places.clear();
  m_places.reserve(m_order.size());
  m_nested.clear();
  int place = 0;
  for (ISSymbol* s : m_order) {
    m_places.emplace(s, place++);
    SComOut<ISSymOwner> owner;
    const bool top = SUCCEEDED(s->GetOwner(&owner)) && owner && SRepAreSameObjects(owner.Get(), m_diagram.Get());
    if (!top) m_nested.push_back(s);
  }
  m_bPlacesStale = false;
}

ISSymbol* SSymSelection::HitTest(SSymCanvas& canvas, const SSymPoint& point, int* handle) const {
  if (m_order.empty()) return nullptr;
  // The diagram's spatial index names the top-level symbols near the point;
  // of those, the members are asked, with the members the index does not
  // hold, latest in selection order first, as a walk over the set would.
  if (SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(m_diagram.Get())) {
    if (!m_pWatch) const_cast<SSymSelection*>(this)->m_pWatch = new TopLevelWatch(*this, m_diagram.Get());
    std::vector<SSymRectIndex::Found>& found = m_found;
    if (m_pWatch->IsWatching() && impl->GetRectIndex()->CollectHits(canvas, point, found)) {
      UpdatePlaces();
      std::vector<std::pair<int, ISSymbol*>>& asked = m_asked;
      asked.clear();
      // The places hold every member: one look-up tells membership and place.
      for (const SSymRectIndex::Found& f : found)
        if (auto at = m_places.find(f.symbol); at != m_places.end()) asked.emplace_back(at->second, f.symbol);
      for (ISSymbol* s : m_nested) asked.emplace_back(m_places.at(s), s);
      std::sort(asked.begin(), asked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
      for (const auto& [place, s] : asked)
        if (s->IsPtInSym(canvas, point, handle, nullptr)) return s;
      return nullptr;
    }
  }
  for (auto it = m_order.rbegin(); it != m_order.rend(); ++it)
    if ((*it)->IsPtInSym(canvas, point, handle, nullptr)) return *it;
  return nullptr;
}

// ---- drawing ------------------------------------------------------------------------------------------
void SSymSelection::DrawHandles(SSymCanvas& canvas) const {
  const SSymRect reach = HandleReach(canvas);
  for (ISSymbol* s : m_order)
    if (HandlesShowIn(canvas, reach, s)) s->DrawHandles(canvas);
}

void SSymSelection::Draw(SSymCanvas& canvas) const {
  if (m_diagram.IsNull()) throw SECOMException("SSymSelection::Draw", __FILE__, __LINE__, E_POINTER);
  SSymDispPref* pref = m_diagram->GetDispPrefPtr();
  if (pref && pref->ShowsLinkIntersections() && canvas.GetZoom() > BridgeZoom) {
    try {
      if (ISSymEdgeRouter* router = SSymGetEdgeRouter()) {
        SComBag<ISSymbol> bag;
        for (ISSymbol* s : m_order) bag.Add(s);
        router->ComputeBridges(bag);
      }
    } catch (const SException& e) {
      SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(m_diagram.Get());
      SExceptionDialog::Show("SSymSelection::Draw", __FILE__, __LINE__,
                             SString::Format("Computing link intersections for %s%s",
                                             impl ? impl->GetDispName().ToUtf8().c_str() : "",
                                             e.GetText().ToUtf8().c_str()));
    }
  }
  for (ISSymbol* s : m_order) s->Draw(canvas);
  for (ISSymbol* s : m_order) s->DrawSecondPass(canvas);
}

void SSymSelection::Redraw(SSymCanvas* canvas) const {
  for (ISSymbol* s : m_order) s->Redraw(canvas);
}

void SSymSelection::SortSymbolTable(ISSymbol** table, int (*compare)(ISSymbol*, ISSymbol*), int low, int high) {
  if (!table || !compare) return;
  while (low < high) {
    ISSymbol* pivot = table[high];
    int i = low, j = high - 1;
    for (;;) {
      while (i < high && compare(table[i], pivot) < 0) ++i;
      while (j > low && compare(table[j], pivot) > 0) --j;
      if (i >= j) break;
      std::swap(table[i], table[j]);
      ++i;
      --j;
    }
    std::swap(table[i], table[high]);
    // The smaller part by recursion, the larger by the loop: the stack stays
    // shallow even for a table that is already in order.
    if (i - low < high - i) {
      SortSymbolTable(table, compare, low, i - 1);
      low = i + 1;
    } else {
      SortSymbolTable(table, compare, i + 1, high);
      high = i - 1;
    }
  }
}

// ---- the block ----------------------------------------------------------------------------------------
SSymRect SSymSelection::GetClipRect() const {
  SSymRect r(0, 0, 0, 0);
  for (ISSymbol* s : m_order) r = Union(r, s->GetClipRect(1, 1));
  return r;
}

HRESULT SSymSelection::MoveBy(const SSymSize& offset, int redraw, int) {
  if (m_order.empty() || (offset.cx == 0 && offset.cy == 0)) return S_OK;
  // A copy: a move may change the membership (a symbol taken into a lane).
  // A symbol whose owner is selected too moves with that owner only.
  // Links move after the symbols they attach to, whatever their place in
  // the selection: their ends are then where the move leaves them.
  SComTable<ISSymbol> moved;
  for (int links = 0; links < 2; ++links)
    for (ISSymbol* s : m_order)
      if (SComWrap<ISSymLink>(s).IsNull() == (links == 0) && !OwnerSelected(s, *this)) moved.Add(s);
  // One step of the session the symbols live in; symbols without a session
  // move without a record.
  std::unique_ptr<SRepCreateOrReuseContext> step;
  if (ISRepObject* o = SSymGetRepObject(moved.GetAt(0))) step = std::make_unique<SRepCreateOrReuseContext>(o);
  HRESULT result = S_OK;
  for (ISSymbol* s : moved) {
    const HRESULT hr = s->MoveBy(offset, redraw);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  // The diagram's follow-up belongs to the same step.
  if (!m_diagram.IsNull()) {
    SComBag<ISSymbol> bag;
    for (ISSymbol* s : moved) bag.Add(s);
    m_diagram->UpdateSymMove(bag, offset, dynamic_cast<SSymViewEdit*>(m_pView));
  }
  return result;
}
