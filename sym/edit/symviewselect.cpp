// The editing window's selection rules: which symbols may be selected,
// selecting and unselecting them, and trimming the selection to what an
// operation (copy, move, clone, protect, hide, flip) may act on. Also the
// grouping test, the delete filter and the outline of a pool's heading band
// under the pointer.
#include <algorithm>
#include <map>
#include <vector>

#include "kvcore/sexceptionhook.h"
#include "kvcore/snotify.h"
#include "kvrep/srepiter.h"
#include "kvrep/srepvariant.h"
#include "sym/diagram/symdisppref.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symcoll.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfplace.h"

namespace {
constexpr int kPoolType = SSymSelection::PoolType;
constexpr int kSeparatorType = 13;
constexpr int kTreeLineType = 15;
constexpr int kSwimGroupType = 17;
constexpr int kMarkType = SSymSelection::MarkType;
// Owner chains are short; a longer one is a loop in the owner links.
constexpr int kMaxOwnerDepth = 256;
// How far a pool's heading band reaches out of the pool, and how much wider
// than the band its repaint is.
constexpr LONG kHeadingBand = 1200;
constexpr LONG kBandRepaint = 75;

using Symbols = std::vector<SComWrap<ISSymbol>>;

// The members of an owner's (a diagram's, a symbol's) Symbols collection,
// taken before a walk that may change the selection.
Symbols SymbolsOf(IUnknown* owner) {
  Symbols out;
  SComWrap<ISRepObject, &IID_ISRepObject> obj(owner);
  if (obj.IsNull() || obj->HasCollection(SymAttr::Symbols) != S_OK) return out;
  for (SRepIter<ISSymbol> it(obj, SymAttr::Symbols); !it.IsDone(); ++it)
    if (it.Get()) out.push_back(it.Current());
  return out;
}

// The symbol that owns `symbol` (counted), or empty for the diagram or none.
SComWrap<ISSymbol> OwnerSymbol(ISSymbol* symbol) {
  SComOut<ISSymOwner> owner;
  if (!symbol || FAILED(symbol->GetOwner(&owner)) || !owner) return SComWrap<ISSymbol>();
  return SComWrap<ISSymbol>(owner.Get());
}

// Whether an owner above the symbol, up to the top, is a member of the set.
bool OwnerSelected(ISSymbol* symbol, const SSymSelection& selection) {
  SComWrap<ISSymbol> at = OwnerSymbol(symbol);
  for (int depth = 0; depth < kMaxOwnerDepth && !at.IsNull(); ++depth) {
    if (selection.Contains(at.Get())) return true;
    at = OwnerSymbol(at.Get());
  }
  return false;
}

// The pool above a symbol (counted), or empty.
SComWrap<ISSymbol> PoolAbove(ISSymbol* symbol) {
  SComWrap<ISSymbol> at = OwnerSymbol(symbol);
  for (int depth = 0; depth < kMaxOwnerDepth && !at.IsNull(); ++depth) {
    if (at->GetSymbolType() == kPoolType) return at;
    at = OwnerSymbol(at.Get());
  }
  return SComWrap<ISSymbol>();
}

// Whether the symbol answers the interface.
bool Answers(ISSymbol* symbol, REFIID iid) {
  void* face = nullptr;
  if (FAILED(symbol->QueryInterface(iid, &face)) || !face) return false;
  static_cast<IUnknown*>(face)->Release();
  return true;
}

// A sub-object, or a mark that stands for one: the selection holds either
// these only or none of them.
bool IsSubSelection(ISSymbol* symbol) { return symbol->GetSymbolType() == kMarkType || symbol->IsSubObject(); }

// Takes out of the selection, walking it in order, every member the rule
// names; `erase` erases their handles.
template <class Rule>
void RemoveWhere(SSymSelection& selection, int erase, Rule rule) {
  for (int i = 0; i < selection.GetCount(); ++i) {
    SComWrap<ISSymbol> s(selection.GetAt(i));
    if (!rule(s.Get())) continue;
    selection.Remove(s.Get(), erase);
    --i;
  }
}

// The children of a selected tree or composite, at every depth.
Symbols ChildrenOf(ISSymbol* symbol) {
  SComTable<ISSymbol> table(8, 8);
  SComWrap<ISSymTree> tree(symbol);
  if (!tree.IsNull()) {
    tree->GetAllChildren(table, 1, 0);
  } else {
    SComWrap<ISSymCompSym> comp(symbol);
    if (!comp.IsNull()) comp->GetAllChildren(table, 1);
  }
  Symbols out;
  for (ISSymbol* c : table)
    if (c) out.emplace_back(c);
  return out;
}

// The one pool whose heading band is outlined, library-wide.
SComWrap<ISSymbol>& SwimHighlight() {
  static SComWrap<ISSymbol> pool;
  return pool;
}

// A pool's heading band: its clip rectangle stretched out of its heading side.
SSymRect HeadingBand(ISSymbol* pool, int vertical) {
  SSymRect r = pool->GetClipRect(0, 0);
  r.Normalize();
  if (vertical) r.y1 += kHeadingBand;
  else r.x1 -= kHeadingBand;
  return r;
}
}  // namespace

// ---- selecting --------------------------------------------------------------------------------------
void SSymViewEdit::SelectSymbol(ISSymbol* symbol, int exclusive) {
  if (!symbol || symbol->IsProtected() || symbol->IsHidden()) return;
  KvReportingScope(
      "SSymViewEdit::SelectSymbol", __FILE__, __LINE__, [](const SString& text) { return text; },
      [&]() -> HRESULT {
        LockCanvas lock(this);
        SSymSelection& sel = *GetSelection();
        if (sel.GetCount() == 1 && sel.GetAt(0) == symbol) return S_OK;
        if (sel.GetCount() > 0) {
          const bool sub = IsSubSelection(symbol);
          if (sub != IsSubSelection(sel.GetAt(0))) exclusive = 1;
          if (sub && sel.GetCount() == 1) m_bLongClick = 0;
          if (exclusive) {
            sel.Redraw(&GetCanvas());
            sel.Clear(1);
          }
        }
        if (!sel.Contains(symbol)) {
          if (exclusive && !IsSubSelection(symbol)) m_bLongClick = 0;
          sel.Add(symbol, 1);
        } else {
          sel.Remove(symbol, 1);
        }
        return S_OK;
      });
}

void SSymViewEdit::UnselectSymbol(ISSymbol* symbol) {
  if (!symbol) return;
  SSymSelection& sel = *GetSelection();
  if (sel.Contains(symbol)) {
    sel.Remove(symbol, 0);
    return;
  }
  if (sel.GetCount() == 1 && SComWrap<ISSymOwner>(symbol).IsNull()) {
    SComWrap<ISSymGroup> group(sel.GetAt(0));
    if (!group.IsNull() && group->Contains(symbol, 0)) {
      if (SSymCollection* members = group->GetListSym()) members->Remove(symbol);
      if (group->GetCount() > 0) group->RecomputeClipRect(1);
    }
  }
  // The marks of the symbol's sub-objects go with it.
  RemoveWhere(sel, 0, [symbol](ISSymbol* s) {
    if (s->GetSymbolType() != kMarkType) return false;
    auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(s));
    return mark && SRepAreSameObjects(mark->GetOwnerSymbol(), symbol);
  });
}

void SSymViewEdit::ClearSelection() {
  LockCanvas lock(this);
  GetSelection()->Clear(1);
}

int SSymViewEdit::SelectionContains(ISSymbol* symbol) { return symbol && GetSelection()->Contains(symbol, 1) ? 1 : 0; }

int SSymViewEdit::IsSymInSelection(const SSymSelection& selection, ISSymbol* symbol) {
  if (!symbol) return 0;
  if (selection.Contains(symbol)) return 1;
  return OwnerSelected(symbol, selection) ? 1 : 0;
}

int SSymViewEdit::CanSelect(ISSymbol* symbol) {
  if (!symbol || symbol->IsProtected() || symbol->IsHidden()) return 0;
  if (const SSymSelection* sel = GetSelection(); sel->GetCount() > 0) {
    const bool marks = sel->GetAt(0)->GetSymbolType() == kMarkType;
    if (marks != (symbol->GetSymbolType() == kMarkType)) return 0;
  }
  return SSymEditableOwners(symbol, GetDiagramPtr());
}

void SSymViewEdit::SelectTypeOf(int kind) {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram) return;
  SSymSelection& sel = *GetSelection();
  {
    SSymSelChangeNotifyOff quiet;
    LockCanvas lock(this);
    SSymSelHandleBatch batch(&sel);
    for (const auto& s : SymbolsOf(diagram)) {
      if (s->GetSymbolType() == kPoolType && kind != kPoolType) {
        // Inside a pool: its lanes and lane groups, at any depth of groups.
        Symbols inside = SymbolsOf(s.Get());
        for (std::size_t i = 0; i < inside.size(); ++i) {
          ISSymbol* c = inside[i].Get();
          if (c->GetSymbolType() == kind && !sel.Contains(c)) sel.Add(c, 1);
          if (c->GetSymbolType() == kSwimGroupType) {
            Symbols more = SymbolsOf(c);
            inside.insert(inside.end(), more.begin(), more.end());
          }
        }
        continue;
      }
      if (s->GetSymbolType() == kind && !sel.Contains(s.Get())) sel.Add(s.Get(), 1);
    }
  }
  if (SSymGetSelChangeNotify()) SNotificationManager::Notify(SSymNotifySelChanged, diagram, 0);
}

void SSymViewEdit::OnSelectAll() {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram) return;
  SSymSelection& sel = *GetSelection();
  {
    SSymSelChangeNotifyOff quiet;
    LockCanvas lock(this);
    SSymSelHandleBatch batch(&sel);
    sel.Clear(1);
    for (const auto& s : SymbolsOf(diagram)) sel.Add(s.Get(), 1);
  }
  if (SSymGetSelChangeNotify()) SNotificationManager::Notify(SSymNotifySelChanged, diagram, 0);
}

int SSymViewEdit::GetCompViewMenuID(ISSymbol* symbol, int* mask, int* opensDiagram) {
  ISSymDiagram* diagram = GetDiagramPtr();
  SSymDispPref* prefs = symbol && diagram ? GetDispPrefPtr() : nullptr;
  int compView = 0;
  if (!prefs || !prefs->HaveCompViewMenu(symbol, compView)) return 0;
  SComWrap<ISSymObject> shown(symbol);
  SComOut<ISRepObject> model;
  if (shown.IsNull() || shown->GetModelObject(&model) != S_OK || !model) return 0;
  if (!diagram->HasCompositeBehavior(model.Get())) return 0;
  // The pop-up's positions: 0 none, 1 read-only, 2 editable, 3 the
  // separator, 4 hidden symbols, 5 all children, 6 adjust to read-only.
  constexpr int kShowHidden = 1 << 4, kAllChildren = 1 << 5, kAdjustReadOnly = 1 << 6;
  UINT mode = CmdCompNone;
  int notApplying = 0;
  SComWrap<ISSymCompSym> comp(symbol);
  if (comp.IsNull()) {
    // A symbol that only shows its model object's parts has no children to
    // show, complete or adjust.
    notApplying = kShowHidden | kAllChildren | kAdjustReadOnly;
  } else {
    const bool editable = SSymIsEditable(symbol, model.Get(), diagram) != 0;
    mode = editable ? CmdCompEditable : CmdCompReadOnly;
    if (editable) notApplying |= kAdjustReadOnly;
    if (!comp->HasHiddenChildrenSym()) notApplying |= kShowHidden;
    if (comp->HasAllChildrenSym(0)) notApplying |= kAllChildren;
  }
  if (mask) *mask = notApplying;
  if (opensDiagram) *opensDiagram = IsObjHasDiagram(model.Get());
  return static_cast<int>(mode);
}

bool SSymViewEdit::IsMultiSelectionAllowed(UINT id) {
  static constexpr UINT kSingle[] = {109,  110,  115,  2104, 2105, 2107, 2300, 2301, 2302, 2304, 2322,
                                      2324, 2344, 2345, 2348, 2400, 2411, 2415};
  static constexpr std::pair<UINT, UINT> kRanges[] = {{2221, 2225}, {2310, 2315}, {2320, 2321},
                                                       {2327, 2330}, {2332, 2341}};
  if (std::find(std::begin(kSingle), std::end(kSingle), id) != std::end(kSingle)) return true;
  for (const auto& [low, high] : kRanges)
    if (id >= low && id <= high) return true;
  return false;
}

bool SSymViewEdit::IsSingleSelectionAllowed(UINT id) {
  return !(id == 2107 || id == 2304 || id == 2320 || (id >= 2332 && id <= 2341));
}

int SSymViewEdit::IsSwimlaneSymbol(ISSymbol* symbol) {
  if (!symbol) return 0;
  return symbol->GetSymbolType() == kSwimGroupType || !SComWrap<ISSwimlane>(symbol).IsNull() ? 1 : 0;
}

// ---- trimming the selection for an operation -----------------------------------------------------------
void SSymViewEdit::UpdateSelection(SSymSelection& selection, int operation) {
  if (selection.GetCount() == 0) return;
  switch (operation) {
    case OpFlip:
      // Pools, their separators and lanes keep their layout; complex and
      // slave symbols follow their masters.
      RemoveWhere(selection, 0, [](ISSymbol* s) {
        const int type = s->GetSymbolType();
        return type == kPoolType || type == kSeparatorType || !SComWrap<ISSwimlane>(s).IsNull() ||
               Answers(s, IID_ISSymComplex) || Answers(s, IID_ISSymSlave);
      });
      break;
    case OpProtect:
      // A tree's lines and nodes are protected with the tree, not one by one.
      RemoveWhere(selection, 1, [](ISSymbol* s) {
        if (s->GetSymbolType() == kTreeLineType) return true;
        ISRepObject* o = SSymGetRepObject(s);
        SComOut<ISRepObject> parent;
        return o && SUCCEEDED(o->GetParent(&parent)) && parent && !SComWrap<ISSymTree>(parent.Get()).IsNull();
      });
      break;
    case OpClone:
      // A symbol inside a selected composite is cloned with it.
      RemoveWhere(selection, 1, [&selection](ISSymbol* s) {
        SComWrap<ISSymbol> at(s);
        for (int depth = 0; depth < kMaxOwnerDepth; ++depth) {
          SComOut<ISSymOwner> owner;
          if (FAILED(at->GetOwner(&owner)) || !owner || SComWrap<ISSymCompSym>(owner.Get()).IsNull()) return false;
          SComWrap<ISSymbol> comp(owner.Get());
          if (comp.IsNull()) return false;
          if (selection.Contains(comp.Get(), 0)) return true;
          at = comp;
        }
        return false;
      });
      break;
    case OpCopy:
    case OpMove:
      TrimForCopyOrMove(selection, operation);
      break;
    default:  // hiding, and codes no operation uses
      break;
  }
}

void SSymViewEdit::TrimForCopyOrMove(SSymSelection& selection, int operation) {
  // 1. Tree lines go with their trees; a line moved alone stays.
  RemoveWhere(selection, 0, [&selection, operation](ISSymbol* s) {
    return s->GetSymbolType() == kTreeLineType && !(operation == OpMove && selection.GetCount() == 1);
  });

  // 2, 3. What lies inside a selected tree or composite, at any depth, goes
  // with it and leaves the selection.
  Symbols work;
  SPtrSet<ISSymbol> inWork;
  for (int i = 0; i < selection.GetCount(); ++i) {
    ISSymbol* s = selection.GetAt(i);
    if (!SComWrap<ISSymTree>(s).IsNull() || !SComWrap<ISSymCompSym>(s).IsNull()) {
      work.emplace_back(s);
      inWork.Insert(s);
    }
  }
  for (const auto& taken : work) {
    if (!inWork.Contains(taken.Get())) continue;  // taken out as a child of an earlier one
    for (const auto& child : ChildrenOf(taken.Get())) {
      if (selection.Contains(child.Get())) selection.Remove(child.Get(), 0);
      inWork.Erase(child.Get());
    }
    inWork.Erase(taken.Get());
  }

  // 4. The links between selected symbols come along; a lane or lane group
  // inside a selected symbol goes with that symbol.
  if (ISSymDiagram* diagram = GetDiagramPtr()) {
    for (const auto& s : SymbolsOf(diagram)) {
      if (selection.Contains(s.Get())) continue;
      SComWrap<ISSymLink> link(s);
      if (link.IsNull()) continue;
      SComOut<ISSymbol> from, to;
      if (FAILED(link->GetAttachSym(0, &from)) || FAILED(link->GetAttachSym(1, &to))) continue;
      if (IsSymInSelection(selection, from.Get()) && IsSymInSelection(selection, to.Get())) selection.Add(s.Get(), 1);
    }
  }
  RemoveWhere(selection, 1,
              [this, &selection](ISSymbol* s) { return IsSwimlaneSymbol(s) && OwnerSelected(s, selection); });
  if (operation != OpMove) return;

  // 5. The pools of the selected lanes and lane groups.
  Symbols pools;
  SPtrSet<ISSymbol> seen;
  for (int i = 0; i < selection.GetCount(); ++i) {
    ISSymbol* s = selection.GetAt(i);
    if (!IsSwimlaneSymbol(s)) continue;
    SComWrap<ISSymbol> pool;
    if (!SComWrap<ISSwimlane>(s).IsNull()) pool = OwnerSymbol(s);
    else if (s->GetSymbolType() == kSwimGroupType) pool = PoolAbove(s);
    if (!pool.IsNull() && seen.Insert(pool.Get())) pools.push_back(pool);
  }
  // 6. A symbol in a lane moves with a selected lane, group or pool above it.
  RemoveWhere(selection, 1, [this, &selection](ISSymbol* s) {
    if (IsSwimlaneSymbol(s) || s->GetSymbolType() == kPoolType || s->IsSubObject()) return false;
    SComWrap<ISSymbol> owner = OwnerSymbol(s);
    return !owner.IsNull() && IsSwimlaneSymbol(owner.Get()) && OwnerSelected(s, selection);
  });
  // 7. Every lane of a pool selected: the pool moves instead.
  for (const auto& pool : pools) {
    if (selection.Contains(pool.Get())) continue;
    const Symbols lanes = SymbolsOf(pool.Get());
    if (lanes.empty()) continue;
    bool all = true;
    for (const auto& l : lanes) all = all && selection.Contains(l.Get());
    if (!all) continue;
    for (const auto& l : lanes) selection.Remove(l.Get(), 1);
    selection.Add(pool.Get(), 1);
  }
}

int SSymViewEdit::UpdateSelectionCount(const SSymSelection& selection) {
  int count = selection.GetCount();
  for (int i = 0; i < selection.GetCount(); ++i)
    if (!SSymGetRepObject(selection.GetAt(i))) --count;
  return std::max(count, 0);
}

void SSymViewEdit::UpdateDeleteSelection(SSymCollection& symbols) {
  // Tree lines belong to their trees: a delete never takes one alone.
  bool removed = false;
  const SSymCollection copy(symbols);
  for (int i = copy.GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = copy.GetAt(i);
    if (s && s->GetSymbolType() == kTreeLineType) {
      symbols.Remove(s);
      removed = true;
    }
  }
  if (removed) InvalidateAll(1);
}

int SSymViewEdit::CanGroupSelection(const SSymCollection& symbols) {
  int counted = 0;
  SComWrap<ISRepObject, &IID_ISRepObject> pool;
  for (int i = 0; i < symbols.GetCount(); ++i) {
    ISSymbol* s = symbols.GetAt(i);
    if (!s || s->IsSubObject() || !SComWrap<ISSymSwimPool>(s).IsNull()) return 0;
    SComOut<ISSymOwner> owner;
    const bool owned = SUCCEEDED(s->GetOwner(&owner)) && owner;
    const bool top = owned && !SComWrap<ISSymDiagram>(owner.Get()).IsNull();
    const bool lane = !SComWrap<ISSwimlane>(s).IsNull();
    if (!top && !lane) return 0;
    if (lane && pool.IsNull()) {
      pool = SComWrap<ISRepObject, &IID_ISRepObject>(owner.Get());
      SRepVariant groupType;
      // A pool that groups its lanes by their parents takes no user groups.
      if (pool.IsNull() || (SUCCEEDED(pool->GetAttribute(SymAttr::Group, &groupType)) && groupType.GetINT64() != 0))
        return 0;
    }
    ++counted;
  }
  if (!pool.IsNull()) {
    // Only adjacent lanes of that one pool group, and never with other symbols.
    const Symbols members = SymbolsOf(pool.Get());
    std::vector<int> places;
    for (int i = 0; i < symbols.GetCount(); ++i) {
      ISSymbol* s = symbols.GetAt(i);
      SComOut<ISSymOwner> owner;
      if (SComWrap<ISSwimlane>(s).IsNull() || FAILED(s->GetOwner(&owner)) || !owner ||
          !SRepAreSameObjects(owner.Get(), pool.Get()))
        return 0;
      const auto at = std::find_if(members.begin(), members.end(),
                                   [s](const SComWrap<ISSymbol>& m) { return SRepAreSameObjects(m.Get(), s); });
      if (at == members.end()) return 0;
      places.push_back(static_cast<int>(at - members.begin()));
    }
    std::sort(places.begin(), places.end());
    for (std::size_t i = 1; i < places.size(); ++i)
      if (places[i] != places[i - 1] + 1) return 0;
  }
  return counted > 1 ? 1 : 0;
}

// ---- the heading band of a pool under the pointer --------------------------------------------------------
ISSymbol* SSymViewEdit::GetSwimHighlight() { return SwimHighlight().Get(); }

void SSymViewEdit::DrawSwimSelection(const SSymPoint& point) {
  if (!IsPointerToolActive()) return;
  SComWrap<ISSymbol>& lit = SwimHighlight();
  if (!lit.IsNull()) {
    ISRepObject* o = SSymGetRepObject(lit.Get());
    if (!o || o->IsDeleting() || o->IsDeleted()) {
      lit = SComWrap<ISSymbol>();
      return;
    }
  }
  SSymDispPref* pref = GetDispPrefPtr();
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!pref || !diagram || !pref->IsSupportSwimSymbol()) return;
  const int vertical = pref->GetSwimlaneVert();
  for (const auto& s : SymbolsOf(diagram)) {
    if (s->IsHidden() || s->GetSymbolType() != kPoolType) continue;
    const SSymRect band = HeadingBand(s.Get(), vertical);
    if (!band.PtInRect(point)) continue;
    if (lit.IsNull() || !SRepAreSameObjects(lit.Get(), s.Get())) {
      lit = s;
      // A dashed bracket in the pool's pen around the band, open toward the pool.
      LockCanvas lock(this);
      SSymCanvas& canvas = GetCanvas();
      SSymPen saved;
      canvas.GetPen(saved);
      canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
      SComWrap<ISSymPen> pen(s.Get());
      SSymPen dash = pen.IsNull() ? SSymPen() : pen->GetPen();
      dash.SetStyle(SSymPen::Dash);
      canvas.SetPen(dash);
      const SSymRect p = s->GetClipRect(0, 0);
      if (vertical) {
        canvas.Line(SSymPoint(band.x1, p.y1), SSymPoint(band.x1, band.y1));
        canvas.Line(SSymPoint(band.x1, band.y1), SSymPoint(band.x2, band.y1));
        canvas.Line(SSymPoint(band.x2, band.y1), SSymPoint(band.x2, p.y1));
      } else {
        canvas.Line(SSymPoint(p.x1, band.y1), SSymPoint(band.x1, band.y1));
        canvas.Line(SSymPoint(band.x1, band.y1), SSymPoint(band.x1, band.y2));
        canvas.Line(SSymPoint(band.x1, band.y2), SSymPoint(p.x1, band.y2));
      }
      canvas.SetPen(saved);
    }
    return;
  }
  if (lit.IsNull()) return;
  SSymRect area = HeadingBand(lit.Get(), vertical);
  if (vertical) {
    area.x1 -= kBandRepaint;
    area.x2 += kBandRepaint;
  } else {
    area.y1 += kBandRepaint;
    area.y2 -= kBandRepaint;
  }
  InvalidateRect(GetCanvas().VPtoDP(area), 1);
  lit = SComWrap<ISSymbol>();
}

// ---- swapping the selection for a while --------------------------------------------------------------------
void SSymSelectionChangeHelper::EmptySelection() {
  if (!m_pView) return;
  SSymSelection* sel = m_pView->GetSelection();
  for (int i = 0; i < sel->GetCount(); ++i) m_saved.Add(sel->GetAt(i));
  sel->Clear(0);
}

void SSymSelectionChangeHelper::ChangeSelection(const SComBag<ISSymbol>& symbols) {
  if (!m_pView) return;
  EmptySelection();
  for (int i = 0; i < symbols.GetCount(); ++i) m_pView->GetSelection()->Add(symbols.GetAt(i), 0);
}

void SSymSelectionChangeHelper::RestoreSelection() {
  if (!m_pView) return;
  SSymSelection* sel = m_pView->GetSelection();
  sel->Clear(0);
  for (int i = 0; i < m_saved.GetCount(); ++i) sel->Add(m_saved.GetAt(i), 0);
}
