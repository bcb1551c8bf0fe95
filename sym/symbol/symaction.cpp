#include "sym/symbol/symaction.h"

#include <algorithm>

#include "kvrep/srepobject.h"
#include "sym/symbol/symbase.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Links attached to a symbol, as repository objects.
void CollectLinks(SRepObjectBag& objects, ISSymbol* symbol) {
  if (!symbol || symbol->IsSubObject()) return;
  SComWrap<ISSymLinkable> l(symbol);
  if (l.IsNull()) return;
  const SComBag<ISSymLink>& links = l->GetLinks();
  for (int i = 0; i < links.GetCount(); ++i) {
    RepObjWrap o(links.GetAt(i));
    if (!o.IsNull()) objects.Add(o.Get());
  }
}

bool SameList(const SSymListPt& a, const SSymListPt& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (!(a.GetAt(i) == b.GetAt(i))) return false;
  return true;
}

SSymRect Normalized(SSymRect r) {
  r.Normalize();
  return r;
}
}  // namespace

// Matches the composite symbol's class, whose single selected symbol
// recomputes its rectangle after a move.
static bool IsCompositeClass(ISSymbol* symbol) {
  RepObjWrap o(symbol);
  CLSID c{};
  return !o.IsNull() && o->GetCLSID(&c) == S_OK && c == CLSID_SSymComposite;
}

bool SSymActionIsGone(IUnknown* target) {
  if (!target) return true;
  SComOut<ISSymbol> s;
  ISRepObject* o = nullptr;
  if (target->QueryInterface(IID_ISSymbol, s.Void()) == S_OK && s) {
    o = SSymGetRepObject(s);
  } else {
    RepObjWrap w(target);
    o = w.Get();
  }
  return o && o->IsDeleted();
}

void SSymActionCollect(SRepObjectBag& objects, ISSymbol* symbol) {
  if (ISRepObject* o = SSymGetRepObject(symbol)) objects.Add(o);
}

SFixedAlloc SSymActionMove::s_alloc(sizeof(SSymActionMove), 0, "SSymActionMove");
SFixedAlloc SSymActionHide::s_alloc(sizeof(SSymActionHide), 0, "SSymActionHide");
SFixedAlloc SSymActionProtect::s_alloc(sizeof(SSymActionProtect), 0, "SSymActionProtect");
SFixedAlloc SSymActionInvLink::s_alloc(sizeof(SSymActionInvLink), 0, "SSymActionInvLink");
SFixedAlloc SSymActionFormat::s_alloc(sizeof(SSymActionFormat), 0, "SSymActionFormat");
SFixedAlloc SSymActionFontStyle::s_alloc(sizeof(SSymActionFontStyle), 0, "SSymActionFontStyle");
SFixedAlloc SSymActionTextStyle::s_alloc(sizeof(SSymActionTextStyle), 0, "SSymActionTextStyle");
SFixedAlloc SSymActionLineStyle::s_alloc(sizeof(SSymActionLineStyle), 0, "SSymActionLineStyle");
SFixedAlloc SSymActionSize::s_alloc(sizeof(SSymActionSize), 0, "SSymActionSize");
SFixedAlloc SSymActionPoly::s_alloc(sizeof(SSymActionPoly), 0, "SSymActionPoly");
SFixedAlloc SSymActionText::s_alloc(sizeof(SSymActionText), 0, "SSymActionText");
SFixedAlloc SSymActionGroup::s_alloc(sizeof(SSymActionGroup), 0, "SSymActionGroup");
SFixedAlloc SSymActionShadow::s_alloc(sizeof(SSymActionShadow), 0, "SSymActionShadow");
SFixedAlloc SSymActionAttach::s_alloc(sizeof(SSymActionAttach), 0, "SSymActionAttach");

// ---- SSymActionBase ---------------------------------------------------------------------------
SSymActionBase::SSymActionBase() { m_type = SSymAction_Set; }

void SSymActionBase::AddSymbol(ISSymbol* symbol) {
  if (!symbol) return;
  m_symbols.Add(symbol);
  if (const std::optional<SRepFacet> f = SymbolFacet()) FacetAdded(symbol, *f);
}

void SSymActionBase::CollectObjects(SRepObjectBag& objects) {
  for (int i = 0; i < m_symbols.GetCount(); ++i) SSymActionCollect(objects, m_symbols.GetOrderAt(i));
}

void SSymActionBase::CollectFacets(SRepFacetSink& facets) {
  const std::optional<SRepFacet> f = SymbolFacet();
  if (!f) return;
  for (int i = 0; i < m_symbols.GetCount(); ++i) facets.Add(m_symbols.GetOrderAt(i), *f);
}

// ---- SSymKeptLinks -----------------------------------------------------------------------------
std::vector<SSymKeptLinks::State> SSymKeptLinks::Of(ISSymbol* symbol) {
  std::vector<State> out;
  SComWrap<ISSymLinkable> l(symbol);
  if (l.IsNull()) return out;
  const SComBag<ISSymLink>& links = l->GetLinks();
  for (int i = 0; i < links.GetCount(); ++i) {
    SComWrap<ISSymbol> link(links.GetAt(i));
    SSymBase* base = SSymBase::FromInterface(link);
    SComWrap<ISSymPolyline> poly(link);
    if (!base || poly.IsNull()) continue;
    out.push_back(State{link, SSymPointsAccess::Get(poly.Get()), base->m_rect});
  }
  return out;
}

void SSymKeptLinks::Set(std::vector<State> states) {
  m_states.clear();
  m_kept.clear();
  for (State& s : states) Keep(std::move(s));
}

void SSymKeptLinks::Keep(State state) {
  const void* key = SSymBase::FromInterface(state.link);
  const auto at = std::lower_bound(m_kept.begin(), m_kept.end(), key);
  if (at != m_kept.end() && *at == key) return;
  m_kept.insert(at, key);
  m_states.push_back(std::move(state));
}

void SSymKeptLinks::Add(ISSymbol* symbol) {
  if (!symbol) return;
  if (!SComWrap<ISSymLink>(symbol).IsNull()) {
    SSymBase* base = SSymBase::FromInterface(symbol);
    SComWrap<ISSymPolyline> poly(symbol);
    if (base && !poly.IsNull()) Keep(State{SComWrap<ISSymbol>(symbol), SSymPointsAccess::Get(poly.Get()), base->m_rect});
  }
  for (State& s : Of(symbol)) Keep(std::move(s));
}

std::vector<SSymKeptLinks::State> SSymKeptLinks::Now() const {
  std::vector<State> now;
  now.reserve(m_states.size());
  for (const State& k : m_states) {
    SSymBase* base = SSymBase::FromInterface(k.link);
    SComWrap<ISSymPolyline> poly(k.link);
    now.push_back(State{k.link, poly.IsNull() ? SSymListPt() : SSymPointsAccess::Get(poly.Get()),
                        base ? base->m_rect : SSymRect()});
  }
  return now;
}

void SSymKeptLinks::Give(std::vector<State> now) {
  for (std::size_t i = 0; i < m_states.size() && i < now.size(); ++i) {
    State& k = m_states[i];
    SSymBase* base = SSymBase::FromInterface(k.link);
    SComWrap<ISSymPolyline> poly(k.link);
    if (!base || poly.IsNull() || SSymActionIsGone(k.link) || k.points.GetCount() == 0) continue;
    SSymPointsAccess::Set(poly.Get(), k.points);
    base->PutRect(k.rect);
    k = std::move(now[i]);
  }
}

void SSymKeptLinks::Collect(SRepObjectBag& objects) {
  for (State& k : m_states) SSymActionCollect(objects, k.link);
}

// ---- SSymActionMove ----------------------------------------------------------------------------
SSymActionMove::SSymActionMove(ISSymSelection* selection) : m_pSelection(selection) { m_type = SSymAction_Move; }

HRESULT SSymActionMove::Execute() {
  std::vector<SSymKeptLinks::State> now = m_links.Now();
  if (!m_group.IsNull() && m_group->GetCount() == 0) m_group = nullptr;
  if (!m_group.IsNull()) {
    SComWrap<ISSymbol> g(m_group);
    if (!g.IsNull() && !SSymActionIsGone(g)) {
      HRESULT hr = g->MoveBy(m_offset, 1);
      if (hr != S_OK) return hr;
    }
  } else {
    std::vector<SComWrap<ISSymbol>> links, others, moved;
    for (int i = 0; i < m_symbols.GetCount(); ++i) {
      ISSymbol* s = m_symbols.GetOrderAt(i);
      if (SSymActionIsGone(s)) continue;
      (SComWrap<ISSymLink>(s).IsNull() ? others : links).emplace_back(s);
    }
    for (auto* list : {&links, &others})
      for (auto& s : *list) {
        HRESULT hr = s->MoveBy(m_offset, 1);
        if (hr != S_OK) {
          // Whole or nothing: what moved goes back, the offset stays.
          for (auto it = moved.rbegin(); it != moved.rend(); ++it)
            (*it)->MoveBy(SSymSize(-m_offset.cx, -m_offset.cy), 1);
          return hr;
        }
        moved.push_back(s);
      }
    if (ISSymSelection* sel = GetSelection())
      if (sel->GetCount() == 1 && IsCompositeClass(sel->GetAt(0))) {
        SComWrap<ISSymGroup> g(sel->GetAt(0));
        if (!g.IsNull()) g->RecomputeClipRect(1);
      }
    for (auto& s : links) {
      SComWrap<ISSymPolyline> poly(s);
      SComWrap<ISSymLink> link(s);
      if (poly.IsNull() || link.IsNull()) continue;
      const LONG style = poly->GetLineStyle();
      if (style != 1 && style != 2) continue;
      SComOut<ISSymbol> a0, a1;
      link->GetAttachSym(0, &a0);
      const bool in0 = a0 && Contains(a0);
      bool reroute = !in0;
      if (in0) {
        link->GetAttachSym(1, &a1);
        reroute = !(a1 && Contains(a1));
      }
      if (reroute) {
        SSymPoint pt;
        link->GetAttachPoint(pt, 0);
        link->SetAttachPoint(0, pt, 1);
      }
    }
  }
  m_links.Give(std::move(now));
  m_offset = SSymSize(-m_offset.cx, -m_offset.cy);
  return S_OK;
}

void SSymActionMove::Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const {
  SRep_Rect r = value.GetRECT();
  r.x1 += m_offset.cx;
  r.x2 += m_offset.cx;
  r.y1 += m_offset.cy;
  r.y2 += m_offset.cy;
  value.SetRECT(r);
}

void SSymActionMove::CollectObjects(SRepObjectBag& objects) {
  if (!m_group.IsNull()) {
    RepObjWrap g(m_group);
    if (!g.IsNull()) objects.Add(g.Get());
  }
  if (ISSymSelection* sel = GetSelection())
    for (int i = 0; i < sel->GetCount(); ++i) {
      SSymActionCollect(objects, sel->GetAt(i));
      CollectLinks(objects, sel->GetAt(i));
    }
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    SSymActionCollect(objects, m_symbols.GetOrderAt(i));
    CollectLinks(objects, m_symbols.GetOrderAt(i));
  }
  m_links.Collect(objects);
}

// ---- set records ---------------------------------------------------------------------------------
HRESULT SSymActionHide::Execute() {
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    ISSymbol* s = m_symbols.GetOrderAt(i);
    if (!SSymActionIsGone(s)) s->Show(m_bShow);
  }
  m_bShow = !m_bShow;
  return S_OK;
}

SSymActionProtect::SSymActionProtect(const SUnsortedComBag<ISSymbol>& symbols, int protect, ISSymSelection* selection)
    : m_bProtect(protect), m_pSelection(selection) {
  for (int i = 0; i < symbols.GetCount(); ++i) AddSymbol(symbols.GetOrderAt(i));
}

HRESULT SSymActionProtect::Execute() {
  ISSymSelection* sel = ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr;
  if (!m_bProtect && sel) sel->Clear(1);
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    ISSymbol* s = m_symbols.GetOrderAt(i);
    if (SSymActionIsGone(s)) continue;
    s->ProtectSymbol(m_bProtect);
    if (!m_bProtect && sel) sel->Add(s, 1);
  }
  if (!m_bProtect) {
    m_bProtect = 1;
  } else {
    if (sel) sel->Clear(1);
    m_bProtect = 0;
  }
  return S_OK;
}

SSymActionInvLink::SSymActionInvLink(const SUnsortedComBag<ISSymbol>& links) {
  for (int i = 0; i < links.GetCount(); ++i) AddSymbol(links.GetOrderAt(i));
}

HRESULT SSymActionInvLink::Execute() {
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    SComWrap<ISSymLink> link(m_symbols.GetOrderAt(i));
    if (!link.IsNull() && !SSymActionIsGone(link)) link->InverseLink();
  }
  return S_OK;
}

HRESULT SSymActionAdjust::Execute() {
  for (int i = 0; i < m_symbols.GetCount(); ++i) {
    SComWrap<ISSymAdjust> a(m_symbols.GetOrderAt(i));
    if (!a.IsNull() && !SSymActionIsGone(a)) a->SetAdjust(m_bAdjusted, 1);
  }
  m_bAdjusted = !m_bAdjusted;
  return S_OK;
}

// ---- SSymActionFormat -------------------------------------------------------------------------------
SSymActionFormat::SSymActionFormat(ISRepContext* context) {
  m_type = SSymAction_Format;
  m_context.Assign(context);
}

SSymActionFormat::~SSymActionFormat() = default;

void SSymActionFormat::AddSymbol(ISSymbol* symbol, SSymFormatEx format) {
  if (!symbol) return;
  auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.symbol.Get() == symbol; });
  if (it != m_entries.end()) {
    it->format = std::move(format);
    return;
  }
  m_entries.push_back(Entry{SComWrap<ISSymbol>(symbol), std::move(format)});
}

const SSymFormatEx* SSymActionFormat::Find(ISSymbol* symbol) const {
  for (const Entry& e : m_entries)
    if (e.symbol.Get() == symbol) return &e.format;
  return nullptr;
}

HRESULT SSymActionFormat::ApplyEntry(Entry& e, bool repeat) {
  ISSymbol* s = e.symbol;
  SSymBase* base = SSymBase::FromInterface(s);
  s->Redraw(nullptr);
  SSymFormatEx current;
  s->GetFormat(current);
  current.m_flags = e.format.m_flags;
  const DWORD oldState = base ? base->m_state : 0;
  if (repeat && base) base->m_state &= ~0x3F8u;
  s->SetFormat(e.format);
  if (repeat && base) base->m_state |= (e.format.m_flags >> 15) & 0x3F8u;
  const DWORD flags = e.format.m_flags;
  if (!((flags & 0x80) && e.format.m_textFlag == 1)) {
    const SSymRect now = s->GetClipRect(0, 0);
    const LONG w = now.Width(), h = now.Height();
    if (!RepObjWrap(s).IsNull() && (w != e.format.m_size.cx || h != e.format.m_size.cy) && (flags & 0x800) &&
        SComWrap<ISSymPolyline>(s).IsNull()) {
      SSymRect target = now;
      target.SetSize(e.format.m_size.cx, e.format.m_size.cy);
      HRESULT hr;
      if (base) {
        hr = base->TransformOnto(target, 1);
      } else {
        SSymMatrix m;
        m.SetTransform(now, target);
        hr = s->Transform(m, 1);
      }
      if (hr != S_OK) {
        s->SetFormat(current);
        if (base) base->m_state = oldState;
        return hr;
      }
      current.m_size = SSymSize(w, h);
    }
  }
  // The entry now holds what was overwritten; the flag word stays.
  const DWORD keep = e.format.m_flags;
  e.format = current;
  e.format.m_flags = keep;
  s->Redraw(nullptr);
  return S_OK;
}

HRESULT SSymActionFormat::Execute() {
  struct CustomScope {
    explicit CustomScope(bool on) {
      if (on) g_SymApplyCustomSymbol = 1;
    }
    ~CustomScope() { g_SymApplyCustomSymbol = 0; }
  } scope(m_bApplyCustomSymbol != 0);
  const bool repeat = m_bExecuted || (m_context && m_context->IsRecording());
  std::vector<Entry*> done;
  for (Entry& e : m_entries) {
    if (SSymActionIsGone(e.symbol)) continue;
    HRESULT hr = ApplyEntry(e, repeat);
    if (hr != S_OK) {
      // Whole or nothing: the entries applied so far are applied again,
      // which puts their symbols back and their entries as they were.
      for (auto it = done.rbegin(); it != done.rend(); ++it) ApplyEntry(**it, repeat);
      return hr;
    }
    done.push_back(&e);
  }
  m_bExecuted = 1;
  return S_OK;
}

void SSymActionFormat::CollectObjects(SRepObjectBag& objects) {
  for (Entry& e : m_entries) SSymActionCollect(objects, e.symbol);
}

// ---- one-value records --------------------------------------------------------------------------------
SSymTextAccess::Value SSymTextAccess::Get(Face* f) {
  SString now;
  f->GetText(now);
  return now;
}
HRESULT SSymTextAccess::Set(Face* f, const Value& v) {
  f->SetText(v, 1);
  return S_OK;
}

SSymPointsAccess::Value SSymPointsAccess::Get(Face* f) {
  SSymListPt now;
  f->GetListPt(now);
  return now;
}
HRESULT SSymPointsAccess::Set(Face* f, const Value& v) {
  f->SetListPt(v, 1, 0);
  return S_OK;
}
bool SSymPointsAccess::Same(const Value& a, const Value& b) { return SameList(a, b); }

SSymRectAccess::Value SSymRectAccess::Get(Face* f) {
  RepObjWrap o(f);
  SRepVariant v;
  if (!o.IsNull() && o->GetAttribute(0x02010001, &v) == S_OK && v.GetType() == SRepVT_RECT)
    return Normalized(SSymBase::RectOf(v));
  return Normalized(f->GetClipRect(0, 0));
}
HRESULT SSymRectAccess::Set(Face* f, const Value& v) {
  if (SSymBase* base = SSymBase::FromInterface(f)) return base->TransformOnto(v, 1);
  SSymMatrix m;
  m.SetTransform(Get(f), v);
  return f->Transform(m, 1);
}

SSymActionSize::SSymActionSize(ISSymbol* symbol, const SSymRect& rect)
    : SSymActionValue(symbol, Normalized(rect), SSymAction_Size, 1332, "SSymActionSize") {}

HRESULT SSymActionSize::Execute() {
  std::vector<LinkState> now = m_links.Now();
  const HRESULT hr = SSymActionValue::Execute();
  if (hr != S_OK) return hr;
  m_links.Give(std::move(now));
  return S_OK;
}

void SSymActionSize::CollectObjects(SRepObjectBag& objects) {
  SSymActionValue::CollectObjects(objects);
  m_links.Collect(objects);
}

void SSymActionSize::Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const {
  value = SSymBase::RectValue(m_value);
}

void SSymActionPoly::Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const {
  SRep_PtList pts;
  for (int i = 0; i < m_value.GetCount(); ++i) pts.pts.push_back(SRep_Point{m_value.GetAt(i).x, m_value.GetAt(i).y});
  value.SetPLst(pts);
}

void SSymActionText::CollectObjects(SRepObjectBag& objects) {
  SComWrap<ISSymbol> s(m_face);
  if (!s.IsNull() && !s->IsSubObject()) SSymActionCollect(objects, s);
}

// ---- SSymActionShadow -----------------------------------------------------------------------------------------
int SSymActionShadow::Add(ISSymbol* symbol, SHORT style) {
  auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.symbol.Get() == symbol; });
  if (it != m_entries.end()) {
    it->style = style;
  } else {
    it = m_entries.insert(m_entries.end(), Entry{SComWrap<ISSymbol>(symbol), style});
  }
  return static_cast<int>(it - m_entries.begin());
}

HRESULT SSymActionShadow::Execute() {
  for (Entry& e : m_entries) {
    SComWrap<ISSymShadow> sh(e.symbol);
    if (sh.IsNull() || SSymActionIsGone(e.symbol)) continue;
    SSymSwapValue<SSymShadowAccess>(sh.Get(), e.style);
  }
  return S_OK;
}

void SSymActionShadow::CollectObjects(SRepObjectBag& objects) {
  for (Entry& e : m_entries) SSymActionCollect(objects, e.symbol);
}

// ---- SSymActionAttach -------------------------------------------------------------------------------------------
SSymActionAttach::SSymActionAttach(ISSymLink* link, int end, ISSymLinkable* a, SSymPoint ptA, ISSymLinkable* b,
                                   SSymPoint ptB)
    : m_link(link), m_end(end), m_a(a), m_ptA(ptA), m_b(b), m_ptB(ptB) {
  m_type = SSymAction_Attach;
}

HRESULT SSymActionAttach::Execute() {
  if (m_link.IsNull() || SSymActionIsGone(m_link)) return S_OK;
  SComWrap<ISSymLinkable> keptB = m_b;
  const SSymPoint keptPtB = m_ptB;
  m_b = m_a;
  m_ptB = m_ptA;
  if (m_b.IsNull()) m_link->DetachEnd(m_end);
  else m_link->AttachSym(m_end, m_b, m_ptB);
  m_a = keptB;
  m_ptA = keptPtB;
  return S_OK;
}

void SSymActionAttach::CollectObjects(SRepObjectBag& objects) {
  SComWrap<ISSymbol> s(m_link);
  SSymActionCollect(objects, s);
}

void SSymActionAttach::CollectFacets(SRepFacetSink& facets) {
  if (!m_link.IsNull()) facets.Add(m_link, SRepFacet::LinkEnd(m_end));
}

void SSymActionAttach::Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const {
  value.SetIOBJECT(m_a.IsNull() ? nullptr : RepObjWrap(m_a).Get());
}

// ---- SSymActionGroup ------------------------------------------------------------------------------------------------
SSymActionGroup::SSymActionGroup(ActionType kind, ISSymDiagram* diagram, ISSymSelection& selection)
    : m_kind(kind), m_diagram(diagram), m_pSelection(selection.GetView() ? &selection : nullptr) {
  m_type = SSymAction_Group;
}

void SSymActionGroup::CollectObjects(SRepObjectBag& objects) {
  for (Record& r : m_records) {
    RepObjWrap g(r.group);
    if (!g.IsNull()) objects.Add(g.Get());
    for (Member& m : r.members) SSymActionCollect(objects, m.symbol);
  }
}

HRESULT SSymActionGroup::Execute() {
  if (m_diagram.IsNull()) return S_OK;
  SComOut<ISRepClassCol> symbols;
  if (m_diagram->GetSymbols(&symbols) != S_OK || !symbols) return S_OK;
  if (ISSymSelection* sel = ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr) sel->Clear(1);
  if (m_kind == Group) {
    RunGroup(symbols);
    m_kind = Ungroup;
  } else {
    RunUngroup(symbols);
    m_kind = Group;
  }
  return S_OK;
}

void SSymActionGroup::RunGroup(ISRepClassCol* symbols) {
  ISSymSelection* sel = ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr;
  for (Record& r : m_records) {
    RepObjWrap g(r.group);
    SComOut<ISRepClassCol> members;
    if (g.IsNull() || SSymActionIsGone(g) || g->GetCollection(SymAttr::Symbols, &members) != S_OK || !members)
      continue;
    if (r.pos < 0) r.pos = symbols->GetCount();
    if (symbols->GetPos(g) < 0) symbols->Insert(g, r.pos < symbols->GetCount() ? r.pos : -1);
    for (Member& m : r.members) {
      RepObjWrap mo(m.symbol);
      if (mo.IsNull() || mo->IsDeleted()) continue;
      const LONG at = symbols->GetPos(mo);
      if (m.pos < 0) m.pos = at;
      if (at >= 0) {
        m_diagram->Remove(m.symbol);
        if (at < r.pos) --r.pos;
      }
      if (members->GetPos(mo) < 0) members->Insert(mo, -1);
    }
    r.group->RecomputeClipRect(0);
    if (sel) sel->Add(SComWrap<ISSymbol>(r.group), 1);
  }
}

void SSymActionGroup::RunUngroup(ISRepClassCol* symbols) {
  ISSymSelection* sel = ISSymSelection::IsAlive(m_pSelection) ? m_pSelection : nullptr;
  for (int ri = m_records.GetCount() - 1; ri >= 0; --ri) {
    Record& r = m_records.GetAt(ri);
    RepObjWrap g(r.group);
    SComOut<ISRepClassCol> members;
    if (g.IsNull() || SSymActionIsGone(g) || g->GetCollection(SymAttr::Symbols, &members) != S_OK || !members)
      continue;
    if (r.pos < 0) r.pos = symbols->GetPos(g);
    LONG running = symbols->GetCount();
    for (int mi = r.members.GetCount() - 1; mi >= 0; --mi) {
      Member& m = r.members.GetAt(mi);
      RepObjWrap mo(m.symbol);
      if (mo.IsNull() || mo->IsDeleted()) continue;
      const LONG at = members->GetPos(mo);
      if (at >= 0) members->Remove(at);
      LONG pos = m.pos;
      if (pos < 0) {
        if (!SComWrap<ISSymLink>(m.symbol).IsNull()) {
          pos = 0;
          ++running;
        } else {
          pos = running++;
        }
      }
      if (pos > symbols->GetCount()) pos = symbols->GetCount();
      if (symbols->GetPos(mo) < 0) symbols->Insert(mo, pos);
      if (pos <= r.pos) ++r.pos;
      if (sel) sel->Add(m.symbol, 1);
    }
    const LONG gat = symbols->GetPos(g);
    if (gat >= 0) symbols->Remove(gat);
  }
}
