#include "sym/composite/symswimgroup.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "kvrep/srepsession.h"
#include "sym/composite/symswimpool.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symcoll.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfview.h"

KV_SYM_DEFINE_CLASS_TABLES(SSymSwimGroup)
KV_SYM_IMPLEMENT_POOL(SSymSwimGroup, g_symClasses[SYMCLS_SSymSwimGroup].poolBlocks);
KV_SYM_REGISTER(SSymSwimGroup, &SSymCreateStd<SSymSwimGroup>);

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
// Owner chains and nestings deeper than this are taken for cycles.
constexpr int kMaxDepth = 64;

SSymSwimGroupDialogOpener g_groupDialogOpener = nullptr;

SSymRect ClipOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

bool SameObject(IUnknown* a, IUnknown* b) { return a && b && (a == b || SRepAreSameObjects(a, b)); }

// The members of a holder's SubSymbols collection, in order.
std::vector<SComWrap<ISSymbol>> SubSymbolsOf(ISRepObject* holder) {
  std::vector<SComWrap<ISSymbol>> out;
  SComOut<ISRepClassCol> col;
  if (!holder || holder->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) != S_OK || !item) continue;
    SComWrap<ISSymbol> s(item.Get());
    if (!s.IsNull()) out.push_back(s);
  }
  return out;
}

SComOut<ISRepClassCol> SubSymbolsCol(ISRepObject* holder) {
  SComOut<ISRepClassCol> col;
  if (holder && holder->GetCollection(SymAttr::Symbols, &col) != S_OK) col.Reset();
  return col;
}

bool IsLane(ISSymbol* s) { return s && !SComWrap<ISSwimlane>(s).IsNull(); }
bool IsGroup(ISSymbol* s) { return s && s->GetSymbolType() == SSymSwimGroup::TypeCode; }

// The pool of a symbol: the first symbol of the pool's type up its owner
// chain (the symbol itself not counted); null when there is none.
ISSymbol* PoolAbove(ISSymbol* symbol) {
  SComWrap<ISSymbol> at(symbol);
  for (int depth = 0; !at.IsNull() && depth < kMaxDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) return nullptr;
    at = SComWrap<ISSymbol>(owner.Get());
    if (!at.IsNull() && at->GetSymbolType() == SSymSwimLane::TypeCode) return at.Get();  // held by the chain
  }
  return nullptr;
}

long long CornerMoves(const SSymRect& a, const SSymRect& b) {
  return std::llabs(static_cast<long long>(a.x1) - b.x1) + std::llabs(static_cast<long long>(a.y1) - b.y1) +
         std::llabs(static_cast<long long>(a.x2) - b.x2) + std::llabs(static_cast<long long>(a.y2) - b.y2);
}

void WriteRect(ISSymbol* s, const SSymRect& r) {
  if (SSymBase* base = SSymBase::FromInterface(s)) base->PutRect(r);
}
}  // namespace

SSymSwimGroupDialogOpener SSymSetSwimGroupDialogOpener(SSymSwimGroupDialogOpener opener) {
  return std::exchange(g_groupDialogOpener, opener);
}

// ---- owner face ---------------------------------------------------------------------------------
HRESULT SSymSwimGroupOwner::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  SSymSwimGroup* self = GetOwnerT();
  if (!self) return E_INVALIDARG;
  if (!IsLane(symbol) && !IsGroup(symbol)) return E_INVALIDARG;
  if (SameObject(symbol, self->Sym())) return E_INVALIDARG;
  // A group that holds this one would come to hold itself.
  if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(symbol))
    if (group->Contains(self->Sym(), 1)) return E_INVALIDARG;
  // Lanes move between the groups of their own pool only.
  ISSymbol* pool = self->GetSwimSym();
  ISSymbol* theirs = PoolAbove(symbol);
  if (theirs && !SameObject(theirs, pool)) return E_INVALIDARG;
  if (Contains(symbol, 0)) return S_FALSE;
  if (const HRESULT hr = SSymCheckNesting(symbol, self->Sym()); FAILED(hr)) return hr;
  SComOut<ISSymOwner> from;
  if (symbol->GetOwner(&from) == S_OK && from) from->Remove(symbol);
  SComOut<ISRepClassCol> col = SubSymbolsCol(self->Obj());
  RepObjWrap obj(symbol);
  if (!col || obj.IsNull()) return E_FAIL;
  return col->Insert(obj, -1);
}

// ---- life ---------------------------------------------------------------------------------------
SSymSwimGroup::SSymSwimGroup(ISRepSession* session) : SRepFaces(session, CLSID_SSymSwimGroup) {
  m_textStyle = GroupTextStyle;
}

// The copy keeps the heading size; the model object is the pool's to give.
SSymSwimGroup::SSymSwimGroup(const SSymSwimGroup& source) : SRepFaces(source), m_nHeadSize(source.m_nHeadSize) {
  m_textStyle = GroupTextStyle;
}

SSymSwimGroup::~SSymSwimGroup() { DropGroupObject(); }

void SSymSwimGroup::DropGroupObject() {
  RepObjWrap held;
  std::swap(held, m_pGroupObj);
  if (held.IsNull()) return;
  // Advised twice (two masks): let go of both.
  for (int i = 0; i < 2 && held->Unadvise(this) == S_OK; ++i) {
  }
}

std::vector<SComWrap<ISSymbol>> SSymSwimGroup::Members() { return SubSymbolsOf(Obj()); }

ISSymDiagram* SSymSwimGroup::DiagramNoRef() {
  SComOut<ISSymDiagram> d;
  if (Sym()->GetDiagram(&d) != S_OK || !d) return nullptr;
  return d.Get();  // the diagram outlives the call: it holds the group
}

HRESULT SSymSwimGroup::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISRepObject* diagram = GetDiagramObject();
  if (!diagram) return S_FALSE;
  return diagram->QueryInterface(IID_ISSymDiagram, reinterpret_cast<void**>(out)) == S_OK && *out ? S_OK : S_FALSE;
}

ISSymbol* SSymSwimGroup::GetSwimSym() { return PoolAbove(Sym()); }

int SSymSwimGroup::Orientation() {
  SComWrap<ISSymSwimPool> pool(GetSwimSym());
  return pool.IsNull() ? 1 : pool->IsVertical();
}

LONG SSymSwimGroup::HeadingHeight() { return SSymSwimHeadingHeight(DiagramNoRef()); }

void SSymSwimGroup::RefreshPool(int redraw) {
  SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym());
  if (!pool) return;
  SSymDeftCanvas screen;
  pool->GetHeadSize(screen);
  pool->ArrangeLanes(redraw);
}

// ---- members ------------------------------------------------------------------------------------
void SSymSwimGroup::GetAllLane(SUnsortedComBag<ISSymbol>& bag, int all) {
  static thread_local int depth = 0;
  if (depth > kMaxDepth) return;
  ++depth;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (!all && m->IsHidden()) continue;
    if (SSymSwimGroup* group = FromInterface(m.Get())) group->GetAllLane(bag, all);
    else if (IsLane(m.Get())) bag.Add(m.Get());
  }
  --depth;
}

void SSymSwimGroup::GetAllGrp(SUnsortedComBag<ISSymbol>& bag) {
  static thread_local int depth = 0;
  if (depth > kMaxDepth) return;
  ++depth;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (SSymSwimGroup* group = FromInterface(m.Get())) {
      bag.Add(m.Get());
      group->GetAllGrp(bag);
    }
  }
  --depth;
}

int SSymSwimGroup::GetGrpLevel() {
  static thread_local int depth = 0;
  if (depth > kMaxDepth) return 1;
  ++depth;
  int deepest = 0;
  for (const SComWrap<ISSymbol>& m : Members())
    if (SSymSwimGroup* group = FromInterface(m.Get())) deepest = std::max(deepest, group->GetGrpLevel());
  --depth;
  return 1 + deepest;
}

// ---- the model object ---------------------------------------------------------------------------
void SSymSwimGroup::SetObject(ISRepObject* object) {
  if (object == m_pGroupObj.Get() || SameObject(object, m_pGroupObj.Get())) return;
  DropGroupObject();
  if (!object) return;
  m_pGroupObj = RepObjWrap(object);
  object->Advise(AdviseNameMask, this);
  object->Advise(AdviseParentMask, this);
}

ISRepObject* SSymSwimGroup::GetObjectW() {
  if (!m_pGroupObj.IsNull()) return m_pGroupObj.Get();
  SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym());
  if (!pool || pool->m_nGroupType != 1) return m_pGroupObj.Get();
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 1);
  if (lanes.GetOrderCount() == 0) return nullptr;
  ISSymbol* first = lanes.GetOrderAt(0);
  SComWrap<ISSymObject> host(first);
  SComWrap<ISSwimlane> lane(first);
  if (host.IsNull() || lane.IsNull()) return nullptr;
  SComOut<ISRepObject> model;
  if (host->GetModelObject(&model) != S_OK || !model) return nullptr;
  const LONG parentCol = lane->GetParentCollectionId();
  RepObjWrap o(model.Get());
  SComWrap<ISSymbol> s(first);
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    SComOut<ISRepClassCol> col;
    if (parentCol == 0 || o->GetCollection(parentCol, &col) != S_OK || !col || col->GetCount() == 0) break;
    SComOut<ISRepObject> parent;
    if (col->Item(0, &parent) != S_OK || !parent) break;
    SComOut<ISSymOwner> owner;
    if (s->GetOwner(&owner) != S_OK || !owner) break;
    SComWrap<ISSymbol> t(owner.Get());
    if (t.IsNull() || SameObject(t.Get(), pool->Sym())) break;
    SSymSwimGroup* group = FromInterface(t.Get());
    if (!group) break;
    group->SetObject(parent.Get());
    s = t;
    o = RepObjWrap(parent.Get());
  }
  return m_pGroupObj.Get();
}

// ---- arrangement --------------------------------------------------------------------------------
void SSymSwimGroup::ArrangeLanes(int redraw) {
  if (IsDeleting() || IsDeleted() || g_bInSwimGroupUpdate) return;
  ISSymbol* pool = GetSwimSym();
  if (!pool) return;
  const std::vector<SComWrap<ISSymbol>> members = Members();
  if (members.empty()) return;
  SComOut<ISSymOwner> owner;
  if (Sym()->GetOwner(&owner) != S_OK || !owner) return;
  const int o = Orientation();

  const SSymRect entry = ClipOf(Sym());
  SSymRect g = entry;
  // The start edge follows the owner: the pool's start, or the inside of
  // the enclosing group's heading band.
  SComWrap<ISSymbol> ownerSym(owner.Get());
  if (SameObject(ownerSym.Get(), pool)) {
    const SSymRect p = ClipOf(pool);
    if (o == 0) g.x1 = p.x1;
    else g.y1 = p.y1;
  } else if (SSymSwimGroup* up = FromInterface(ownerSym.Get())) {
    const SSymRect u = ClipOf(ownerSym.Get());
    if (o == 0) g.x1 = u.x1 + up->m_nHeadSize;
    else g.y1 = u.y1 - up->m_nHeadSize;
  }
  if (m_nHeadSize == 0) {
    if (!DiagramNoRef()) return;
    m_nHeadSize = HeadingHeight();
  }
  // The members' span across the lanes, below the heading band.
  const LONG from = o == 0 ? g.x1 + m_nHeadSize : g.y1 - m_nHeadSize;
  const LONG to = o == 0 ? g.x2 : g.y2;
  const LONG start = o == 0 ? g.y2 : g.x1;
  LONG p = start;
  {
    SCurrentContextChange none(Obj(), nullptr);
    for (const SComWrap<ISSymbol>& m : members) {
      if (m->IsHidden()) continue;
      if (SSymSwimGroup* nested = FromInterface(m.Get())) nested->ArrangeLanes(redraw);
      const SSymRect r = ClipOf(m.Get());
      const LONG d = o == 0 ? p - r.y2 : p - r.x1;
      if (d != 0) m->MoveBy(o == 0 ? SSymSize(0, d) : SSymSize(d, 0), redraw);
      p = o == 0 ? r.y1 + d : r.x2 + d;  // members abut
      SSymRect span = ClipOf(m.Get());
      const SSymRect before = span;
      if (o == 0) {
        span.x1 = from;
        span.x2 = to;
      } else {
        span.y1 = from;
        span.y2 = to;
      }
      if (span != before) WriteRect(m.Get(), span);
    }
  }
  SSymRect covering = g;
  if (o == 0) {
    covering.y2 = start;
    covering.y1 = p;
  } else {
    covering.x1 = start;
    covering.x2 = p;
  }
  if (CornerMoves(covering, entry) > ArrangeTolerance) PutRect(covering);
  if (redraw) Sym()->Redraw(nullptr);
}

int SSymSwimGroup::GetHeadSize(SSymCanvas& canvas) {
  ISSymDiagram* diagram = DiagramNoRef();
  ISSymDispPref* prefs = diagram ? SSymGetDispPrefPtr(diagram) : nullptr;
  if (!prefs) return m_nHeadSize;
  SString title;
  GetText(title);
  int measured;
  if (prefs->GetSwimlaneHeadingMode() == HeadingWrapped) {
    const SSymRect r = ClipOf(Sym());
    const LONG length = prefs->GetSwimlaneVert() ? r.x2 - r.x1 + 1 : r.y1 - r.y2 + 1;
    measured = std::abs(static_cast<int>(canvas.GetWrapTextExtent(title, m_font, length).cy));
  } else {
    measured = canvas.GetTextHeight(title, m_font);
  }
  m_nHeadSize = std::max(measured, MinHeadSize);
  int extent = 0;
  const LONG h = SSymSwimHeadingHeight(diagram);
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (SSymSwimGroup* nested = FromInterface(m.Get())) extent = std::max(extent, nested->GetHeadSize(canvas));
    else if (IsLane(m.Get())) extent = std::max(extent, static_cast<int>(h));
  }
  return m_nHeadSize + extent;
}

void SSymSwimGroup::Ungroup() {
  ISSymbol* pool = GetSwimSym();
  if (!pool) return;
  RepObjWrap hold(Obj());  // the group deletes itself on the way
  // The members take the group's place in the collection that holds it: the
  // pool's, or the enclosing group's for a nested group.
  SComOut<ISSymOwner> owner;
  SComWrap<ISSymbol> ownerSym;
  if (Sym()->GetOwner(&owner) == S_OK && owner) ownerSym = SComWrap<ISSymbol>(owner.Get());
  owner.Reset();
  RepObjWrap holder(ownerSym.IsNull() ? pool : ownerSym.Get());
  SComOut<ISRepClassCol> into = SubSymbolsCol(holder.Get());
  SComOut<ISRepClassCol> mine = SubSymbolsCol(Obj());
  if (into && mine) {
    const LONG at = into->GetPos(Obj());
    LONG p = at < 0 ? into->GetCount() : at + 1;
    {
      // The group must not delete itself as it empties.
      SSymSwimGroupUpdate restructuring;
      while (mine->GetCount() > 0) {
        SComOut<ISRepObject> first;
        if (mine->Item(0, &first) != S_OK || !first) break;
        if (mine->Remove(0) != S_OK) break;
        if (into->Insert(first.Get(), p) != S_OK) {
          // Not taken: back where it was, so no member is lost.
          mine->Insert(first.Get(), 0);
          break;
        }
        ++p;
      }
    }
    if (mine->GetCount() > 0) return;  // kept, with what it still holds
  }
  Delete();
  if (SSymSwimLane* p = SSymSwimLane::FromInterface(pool)) p->ArrangeLanes(1);
}

ISSymbol* SSymSwimGroup::GetLanePosition(const SSymPoint& pt, SComBag<ISSymbol>* excluded, int& index) {
  const int o = Orientation();
  const SSymRect g = ClipOf(Sym());
  const bool inside = o == 0 ? (g.y2 < pt.y && pt.y < g.y1) : (g.x1 < pt.x && pt.x < g.x2);
  if (!inside) return nullptr;
  index = 0;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (excluded && excluded->Contains(m.Get())) continue;
    if (SSymSwimGroup* nested = FromInterface(m.Get())) {
      int inner = 0;
      if (ISSymbol* found = nested->GetLanePosition(pt, excluded, inner)) {
        index = inner;
        return found;
      }
      ++index;
      continue;
    }
    const SSymRect r = m->GetClipRect(0, 0);
    const bool before = o == 0 ? pt.y < (r.y1 + r.y2) / 2 : pt.x < (r.x1 + r.x2) / 2;
    if (before) return Sym();
    ++index;
  }
  return Sym();
}

void SSymSwimGroup::RotateAt(const SSymPoint& pt) {
  SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym());
  if (!pool) return;
  const int o = pool->IsVertical();
  SSymRect r = ClipOf(Sym());
  const LONG w = r.Width(), h = r.Height();
  r.SetWidth(h);
  r.SetHeight(w);
  const SSymPoint corner = r.GetPoint(o ? 6 : 4);
  r.OffsetRect(pt.x - corner.x, pt.y - corner.y);
  SetAttrRect(r);
  SSymPoint a = r.GetPoint(o ? 6 : 4);
  for (const SComWrap<ISSymbol>& m : Members()) {
    const SSymRect old = m->GetClipRect(0, 0);
    if (SSymSwimGroup* nested = FromInterface(m.Get())) nested->RotateAt(a);
    else pool->RotateLaneAt(m.Get(), a);
    if (o) a.x += std::abs(old.y1 - old.y2);
    else a.y += std::abs(old.x2 - old.x1);
  }
}

// ---- formats ------------------------------------------------------------------------------------
HRESULT SSymSwimGroup::SetFormat(const SSymFormatEx& format) {
  const HRESULT hr = SSymSolidText::SetFormat(format);
  RefreshPool(1);
  return hr;
}

void SSymSwimGroup::SetAllFormat(const SSymFormatEx& format) {
  // The caller's record is not touched: the group's title font is taken in
  // a copy of it.
  SSymFormatEx own(format);
  if (own.m_fonts.GetCount() > 1) {
    const SSymFonts* name = own.m_fonts.Find(SString(u"DisplayName"));
    const SSymFonts* text = SSymFormatTextFont(own.m_fonts);
    if (name && text && name != text) const_cast<SSymFonts*>(text)->Copy(*name);
  }
  SSymSolidText::SetFormat(own);
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (SSymSwimGroup* nested = FromInterface(m.Get())) nested->SetAllFormat(format);
    else m->SetFormat(format);
  }
  RefreshPool(1);
}

// ---- drawing and hit tests ----------------------------------------------------------------------
HRESULT SSymSwimGroup::Draw(SSymCanvas& canvas) {
  if (!GetSwimSym()) return 0;
  if (IsHidden()) return 1;
  const int o = Orientation();
  if (m_nHeadSize == 0 && DiagramNoRef()) m_nHeadSize = HeadingHeight();
  const SSymRect r = ClipOf(Sym());
  canvas.SetBrush(m_brush, 0);
  canvas.Rectangle(r);
  SSymRect head = r;
  SSymFont font = m_font;
  if (o == 0) {
    head.x2 = r.x1 + m_nHeadSize;
    font.m_angle = 900;  // the title runs up the band
  } else {
    head.y2 = r.y1 - m_nHeadSize;
    font.m_angle = 0;
  }
  canvas.SetFont(font);
  canvas.SetFontColor(SSymColor(m_fontColor));
  LONG style = m_textStyle;
  ISSymDispPref* prefs = DiagramNoRef() ? SSymGetDispPrefPtr(DiagramNoRef()) : nullptr;
  const int mode = prefs ? prefs->GetSwimlaneHeadingMode() : 0;
  if (mode == HeadingWrapped) style = (style & ~0x2000) | 0x1000;
  else if (mode == HeadingOneLine) style = (style & ~0x1000) | 0x2000;
  SString title;
  GetText(title);
  canvas.DrawText(head, title, static_cast<int>(style));
  for (const SComWrap<ISSymbol>& m : Members()) m->Draw(canvas);
  return 0;
}

HRESULT SSymSwimGroup::DrawHandles(SSymCanvas& canvas) {
  SCurrentContextChange none(GetDiagramObject(), nullptr);
  if (!IsHidden()) canvas.DrawHandles(Sym()->GetClipRect(1, 0));
  return 0;
}

BOOL SSymSwimGroup::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (!GetSwimSym()) return 0;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (!m->IsPtInSym(canvas, pt, handle, sub)) continue;
    if (sub && !*sub) {
      *sub = m.Get();
      m->AddRef();
    }
    return 1;
  }
  // The band is H thick, whatever the group's own heading size.
  const LONG h = HeadingHeight();
  SSymRect r = ClipOf(Sym());
  if (Orientation() == 0) r.x2 = r.x1 + h;
  else r.y2 = r.y1 - h;
  return pt.x >= r.x1 && pt.x <= r.x2 && pt.y <= r.y1 && pt.y >= r.y2 ? 1 : 0;
}

// ---- moving and showing -------------------------------------------------------------------------
HRESULT SSymSwimGroup::MoveBy(const SSymSize& offset, int redraw) {
  if (!GetSwimSym()) return E_FAIL;
  SSymSize by = offset;
  // A group the user drags moves along the pool's axis only.
  ISSymDiagram* diagram = DiagramNoRef();
  if (diagram && SSymViewSelectionContains(diagram->GetFirstView(), Sym())) {
    if (Orientation()) by.cy = 0;
    else by.cx = 0;
  }
  const HRESULT hr = SSymBase::MoveBy(by, redraw);
  for (const SComWrap<ISSymbol>& m : Members()) m->MoveBy(by, redraw);
  return hr;
}

int SSymSwimGroup::CreateUndoMove(const SSymSize& offset) {
  SComOut<ISSymSwimPool> pool;
  if (_GetOwner(pool.Void(), IID_ISSymSwimPool) != S_OK || !pool) return 1;
  return SSymSolidText::CreateUndoMove(offset);
}

HRESULT SSymSwimGroup::Show(int show) {
  const HRESULT hr = SSymBase::Show(show);
  if (!show)
    for (const SComWrap<ISSymbol>& m : Members()) m->Show(0);
  return hr;
}

HRESULT SSymSwimGroup::SetAdjust(bool, int redraw) {
  if (redraw) Sym()->Redraw(nullptr);
  return S_OK;
}

// ---- title --------------------------------------------------------------------------------------
HRESULT SSymSwimGroup::GetText(SString& text) {
  if (ISRepObject* object = GetObjectW()) {
    SRepVariant v;
    text = object->GetAttribute(IdDisplayName, &v) == S_OK ? v.GetAsText() : SString();
    return S_OK;
  }
  return SSymSolidText::GetText(text);
}

HRESULT SSymSwimGroup::SetText(const SString& text, int notify) {
  bool changed = false;
  HRESULT hr = S_OK;
  if (ISRepObject* object = GetObjectW()) {
    hr = object->SetAttribute(IdDisplayName, SRepVariant::Text(text));
    changed = hr == S_OK;
  } else if (text != m_text) {
    hr = SSymSolidText::SetText(text, 1);
    changed = SUCCEEDED(hr);
  }
  if (notify && changed)
    if (ISSymDiagram* diagram = DiagramNoRef()) diagram->AdjustSwimHeight(1);
  return hr;
}

HRESULT SSymSwimGroup::EditInPlace(SSymView* view, const SSymPoint&) {
  ISSymDiagram* diagram = DiagramNoRef();
  if (!view || !diagram) return E_POINTER;
  std::unique_ptr<ISSymInPlaceEditor> controller(SSymCreateInPlaceEditor());
  if (!controller) return E_OUTOFMEMORY;
  const LONG h = HeadingHeight();
  SSymRect band = ClipOf(Sym());
  if (Orientation() == 0) band.x2 = band.x1 + h;
  else band.y2 = band.y1 - h;
  SString title;
  GetText(title);
  if (ISRepObject* object = GetObjectW()) {
    if (controller->CreateAttrCtrl(object, IdDisplayName, view, m_font, band, SSymSize(0, 0)) < 0) return E_FAIL;
  } else {
    controller->CreateTextCtrl(view, m_font, title, TextFace(), band);
  }
  return controller->Execute(0) < 0 ? E_FAIL : S_OK;
}

HRESULT SSymSwimGroup::DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) {
  if (ISRepObject* object = GetObjectW()) {
    SComWrap<ISVerbSource> verbs(object);
    return verbs.IsNull() ? 0 : verbs->DoVerb(verb, message, window, rect);
  }
  if (g_groupDialogOpener) g_groupDialogOpener(Sym());
  return 0;
}

// ---- repository ---------------------------------------------------------------------------------
void SSymSwimGroup::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  SSymSolid::OnCollectionInsert(id, other, pos);
  if (InLockoutContext()) return;
  SRepSession* session = GetSessionImpl();
  if (session && session->IsArrangeSuppressed()) return;
  SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym());
  if (!pool) return;
  if (id == SymAttr::Symbols) {
    SSymDeftCanvas screen;
    pool->GetHeadSize(screen);
  }
  if (id == SymAttr::Symbols || id == SymAttr::ParentColl) pool->ArrangeLanes(1);
}

void SSymSwimGroup::OnCollectionRemove(LONG id, ISRepObject* other) {
  SSymSolid::OnCollectionRemove(id, other);
  if (id != SymAttr::Symbols) return;
  RepObjWrap hold(Obj());  // a group that deletes itself lives to the end of the notice
  if (!SRepSession::m_pUndoContext && !IsDeleting() && !IsDeleted() && !g_bInSwimGroupUpdate) {
    int left = 0;
    for (const SComWrap<ISSymbol>& m : Members())
      if (!SameObject(m.Get(), other)) ++left;
    if (left == 0) {
      SRepSession* session = GetSessionImpl();
      ISRepContext* undo = session ? SRepGetUndoContext(session) : nullptr;
      if (!(undo && undo->IsKeepObject(Obj()))) Delete();
    }
  }
  if (SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym())) pool->ArrangeLanes(1);
}

HRESULT SSymSwimGroup::Delete() {
  SRepSession* session = GetSessionImpl();
  if (!session || session->IsHandlingSuppressed()) return SSymBase::Delete();
  // Without a diagram nothing is deleted, and the group keeps its model
  // object: a refused deletion leaves the group as it was.
  if (!DiagramNoRef()) return 1;
  RepObjWrap hold(Obj());
  if (!InLockoutContext()) DropGroupObject();
  SSymSwimLane* pool = SSymSwimLane::FromInterface(GetSwimSym());
  SComWrap<ISSymbol> poolSym(pool ? pool->Sym() : nullptr);  // kept while the group leaves it
  auto poolLevel = [pool]() {
    int level = 0;
    if (pool)
      for (const SComWrap<ISSymbol>& m : pool->Members())
        if (SSymSwimGroup* g = FromInterface(m.Get())) level = std::max(level, g->GetGrpLevel());
    return level;
  };
  const int levelBefore = poolLevel();
  SComOut<ISSymOwner> owner;
  if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) {
    owner->Remove(Sym());
    // An enclosing group left empty goes too.
    SComWrap<ISSymbol> ownerSym(owner.Get());
    if (SSymSwimGroup* up = FromInterface(ownerSym.Get()))
      if (up->Members().empty() && !up->IsDeleting() && !up->IsDeleted()) up->Delete();
  }
  const HRESULT hr = SSymBase::Delete();
  if (!InLockoutContext() && pool && !pool->IsDeleting() && !pool->IsDeleted() && poolLevel() < levelBefore) {
    SSymDeftCanvas screen;
    pool->GetHeadSize(screen);
    pool->ArrangeLanes(0);
  }
  return hr;
}

HRESULT SSymSwimGroup::OnDelete(ISRepObject*, int) {
  // Rebuilding the pool's parent groups belongs to the pool; without it the
  // group lets go of the object that is going.
  SRepSession* session = GetSessionImpl();
  if ((session && session->IsHandlingSuppressed()) || InLockoutContext() || m_pGroupObj.IsNull()) return S_OK;
  if (!IsInUndoContext()) DropGroupObject();
  return S_OK;
}

HRESULT SSymSwimGroup::OnChange(ISRepObject*, LONG id) {
  SRepSession* session = GetSessionImpl();
  if ((session && session->IsHandlingSuppressed()) || InLockoutContext() || m_pGroupObj.IsNull()) return S_OK;
  if (id == IdDisplayName) {
    if (ISSymbol* pool = GetSwimSym()) pool->Redraw(nullptr);
    if (ISSymDiagram* diagram = DiagramNoRef()) diagram->AdjustSwimHeight(1);
  }
  return S_OK;
}
