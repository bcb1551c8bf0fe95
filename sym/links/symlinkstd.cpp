#include "sym/links/symlinkstd.h"

#include <memory>
#include <utility>

#include "kvcore/scascade.h"
#include "kvcore/sexception.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sympropmap.h"
#include "sym/links/symlabelfields.h"
#include "sym/links/symlinkutil.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdrawarea.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfowner.h"

namespace {
using LabelFields = SSymLabelFields<SSymLinkStd>;

SSymPoint CentreOf(const SSymRect& r) {
  return SSymPoint(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                   static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
}
bool IsSinglePoint(const SSymRect& r) { return r.x1 == r.x2 && r.y1 == r.y2; }
bool IsHiddenLabel(const SSymSubText& t) { return (t.GetFlags() & SSymSubsFlag::Hidden) != 0; }

// Two end segments point the same way: both horizontal, or neither and
// with the same truncated slope dx / dy.
bool SameDirection(const SSymPoint& e1, const SSymPoint& n1, const SSymPoint& e2, const SSymPoint& n2) {
  const long long dx1 = static_cast<long long>(n1.x) - e1.x, dy1 = static_cast<long long>(n1.y) - e1.y;
  const long long dx2 = static_cast<long long>(n2.x) - e2.x, dy2 = static_cast<long long>(n2.y) - e2.y;
  if ((dy1 == 0) != (dy2 == 0)) return false;
  if (dy1 == 0) return true;
  return dx1 / dy1 == dx2 / dy2;
}
}  // namespace

KV_SYM_ACCESSORS(SSymLinkStd) {
  KV_SYM_FIELD_PLACE(CtrTxtOffset, LabelFields::offset<0>);
  KV_SYM_FIELD_PLACE(SrcTxtOffset, LabelFields::offset<1>);
  KV_SYM_FIELD_PLACE(DstTxtOffset, LabelFields::offset<2>);
  KV_SYM_FIELD_PLACE(CtrTxtWidth, LabelFields::width<0>);
  KV_SYM_FIELD_PLACE(SrcTxtWidth, LabelFields::width<1>);
  KV_SYM_FIELD_PLACE(DstTxtWidth, LabelFields::width<2>);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymLinkStd)
KV_SYM_IMPLEMENT_POOL(SSymLinkStd, g_symClasses[SYMCLS_SSymLinkStd].poolBlocks);
// Only the concrete link classes are made through the session.
KV_SYM_REGISTER(SSymLinkStd, nullptr);

// ---- construction ------------------------------------------------------------------------------
SSymLinkStd::SSymLinkStd(ISSymLinkable* src, ISSymLinkable* dst, const SSymPoint& from, const SSymPoint& to,
                         int arrowMask, int arrow, ISRepSession* session, const CLSID& clsid)
    : SSymLinkStd(src, dst, SSymListPt{from, to}, arrowMask, arrow, session, clsid) {}

SSymLinkStd::SSymLinkStd(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
                         ISRepSession* session, const CLSID& clsid)
    : SRepFaces(src, dst, pts, arrowMask, arrow, session, clsid) {
  InitLstValue();
}

SSymLinkStd::SSymLinkStd(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { InitLstValue(); }

SSymLinkStd::SSymLinkStd(const SSymLinkStd& source) : SRepFaces(source) {
  InitLstValue();
  for (int i = 0; i < TextCount; ++i) {
    m_texts[i].offset = source.m_texts[i].offset;
    SSymSubText* from = source.m_texts[i].text;
    if (!from) continue;
    auto* copy = new SSymSubText();
    copy->AddRef();
    copy->InitializeSubSym();
    copy->SetParent(this, false);
    copy->_SetText(from->Text());
    copy->_SetTextStyle(from->GetTextStyle());
    copy->_SetFont(from->GetFont());
    copy->SetRect(from->GetClipRect(0, 0));
    // Installed as it stands: the copy's faces are not all built yet, so
    // the label must not be placed through them now.
    m_texts[i].text = copy;
  }
}

SSymLinkStd::~SSymLinkStd() {
  for (int i = 0; i < TextCount; ++i) {
    if (SSymSubText* label = std::exchange(m_texts[i].text, nullptr)) {
      label->Delete();
      DropLabel(label);
    }
  }
}

// ---- attributes ---------------------------------------------------------------------------------------
HRESULT SSymLinkStd::HasAttribute(LONG id) {
  switch (id) {
    case SymAttr::CtrTxtOffset:
    case SymAttr::SrcTxtOffset:
    case SymAttr::DstTxtOffset:
    case SymAttr::CtrTxtWidth:
    case SymAttr::SrcTxtWidth:
    case SymAttr::DstTxtWidth:
    case SymAttr::Src:
    case SymAttr::Dst: return S_OK;
    default: return SSymPolyBase::HasAttribute(id);
  }
}

HRESULT SSymLinkStd::GetAttributeDefault(LONG id, SRepVariant* value) {
  const bool offset = id == SymAttr::CtrTxtOffset || id == SymAttr::SrcTxtOffset || id == SymAttr::DstTxtOffset;
  const bool width = id == SymAttr::CtrTxtWidth || id == SymAttr::SrcTxtWidth || id == SymAttr::DstTxtWidth;
  if (!offset && !width) return SSymBase::GetAttributeDefault(id, value);
  if (!value) return E_POINTER;
  // The metamodel's defaults: no offset, no width.
  if (offset) value->SetPOINT(SRep_Point{0, 0});
  else value->SetLONG(-1);
  return S_OK;
}

HRESULT SSymLinkStd::SetAttribute(LONG id, const SRepVariant& value) {
  if (id == SymAttr::Pos && !(m_state & StateInitialized) && m_endSymbol[0].IsNull() && m_endSymbol[1].IsNull()) {
    SRep_Point p{};
    return SRepFromVariant(value, p);
  }
  return SSymLinkBase::SetAttribute(id, value);
}

void SSymLinkStd::OnUpdateAttribute(LONG id) {
  int index = -1;
  if (id == SymAttr::CtrTxtOffset) index = 0;
  else if (id == SymAttr::SrcTxtOffset) index = 1;
  else if (id == SymAttr::DstTxtOffset) index = 2;
  if (index >= 0 && (m_state & StateInitialized) && m_texts[index].text && !InLockoutContext() &&
      !IsInUndoContext() && g_IsDefaultAllowed())
    RepositionSymText(index);
  SSymBase::OnUpdateAttribute(id);
}

// ---- labels as sub-objects ---------------------------------------------------------------------------
ISSymbol* SSymLinkStd::GetSubSymbol(int index) const {
  SSymSubText* label = GetLabel(index);
  return label ? label->SymFace() : nullptr;
}

BOOL SSymLinkStd::IsDropPossible(ISSymbol* symbol, SSymPoint point) {
  const int i = IndexOf(symbol);
  return i < 0 ? 1 : IsCorrectDistance(i, point);
}

bool SSymLinkStd::EndsCutOff() {
  for (int end = 0; end < 2; ++end) {
    SComOut<ISSymbol> s;
    if (FAILED(GetAttachSym(end, &s)) || !s || s->IsHidden()) return true;
    SSymPoint p;
    GetAttachPoint(p, end);
    if (IsPtClippedByComposite(s.Get(), p)) return true;
  }
  return false;
}

HRESULT SSymLinkStd::IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (!sub) return E_POINTER;
  // Whether the link is hidden or its ends cut off is asked only for a label
  // under the point: most links a hit test asks have none there.
  for (int i = 0; i < TextCount; ++i) {
    SSymSubText* t = m_texts[i].text;
    int part = handle ? *handle : 0;
    if (!t || !t->IsPtInSym(canvas, pt, handle ? &part : nullptr, nullptr)) continue;
    if (IsSinglePoint(t->GetClipRect(0, 0))) continue;
    if (IsHidden() || EndsCutOff()) return 1;
    if (handle) *handle = part;
    *sub = t->SymFace();
    (*sub)->AddRef();
    return S_OK;
  }
  return S_OK;
}

HRESULT SSymLinkStd::OnSubSymResize(ISSymbol* sub, int redraw) {
  const int i = IndexOf(sub);
  if (i >= 0) {
    if (redraw) RepositionSymText(i);
    else AdjustTextPos(i);
  }
  if (sub) RedrawSubSym(sub);
  return S_OK;
}

HRESULT SSymLinkStd::OnSubSymMove(ISSymbol* sub, int redraw) {
  if (KeepMovedLabel(sub) >= 0 && redraw) RedrawSubSym(sub);
  return S_OK;
}

HRESULT SSymLinkStd::RedrawSubSym(ISSymbol* sub) {
  // The owner repaints the label's area; asking the label itself would come
  // straight back here.
  if (!sub) return S_OK;
  SComOut<ISSymOwner> owner;
  if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) owner->SymRedraw(sub);
  return S_OK;
}

// ---- rectangles -----------------------------------------------------------------------------------------
SSymRect SSymLinkStd::GetClipRect(int a, int b) {
  SSymRect r = SSymBase::GetClipRect(a, b);
  ForEachLabel([&](int, SSymSubText& t) {
    SSymRect l = t.GetClipRect(0, 0);
    if (IsSinglePoint(l)) return;
    l.Normalize();
    r.Normalize();
    r = Union(r, l);
  });
  return r;
}

SSymRect SSymLinkStd::GetActiveRect(SSymCanvas& canvas, int a) {
  SSymRect r = SSymPolyBase::GetActiveRect(canvas, a);
  ForEachLabel([&](int, SSymSubText& t) {
    if (!t.IsInitialized()) return;
    SSymRect l = t.GetActiveRect(canvas, 0);
    l.Normalize();
    r.Normalize();
    r = Union(r, l);
  });
  return r;
}

void SSymLinkStd::RecomputeClipRect(int a, int b) {
  if (b) {
    ForEachLabel([&](int i, SSymSubText& t) {
      if (!IsHiddenLabel(t) && t.IsInitialized()) RepositionSymText(i);
    });
  }
  SSymPolyBase::RecomputeClipRect(0, 0);
  (void)a;
  SSymRect all = m_rect;
  all.Normalize();
  bool any = false;
  ForEachLabel([&](int, SSymSubText& t) {
    if (!t.IsInitialized()) return;
    SSymRect r = t.GetClipRect(0, 0);
    if (IsSinglePoint(r)) return;
    r.Normalize();
    all = Union(all, r);
    any = true;
  });
  if (any) PutRect(all);
}

// ---- drawing --------------------------------------------------------------------------------------------
HRESULT SSymLinkStd::DrawSymbol(SSymCanvas& canvas) {
  if (IsHidden() || EndsCutOff()) return S_OK;
  SSymLinkBase::DrawSymbol(canvas);
  // Redrawn clipped over a symbol (DrawOverSymbol, the only time the ends
  // go unchecked) the link's labels follow unclipped: not here as well.
  if (g_bCheckLinkEndsOnDraw) DrawSubSymbol(canvas);
  return S_OK;
}

void SSymLinkStd::DrawSubSymbol(SSymCanvas& canvas) {
  bool inComposite = false;
  {
    SComOut<ISSymOwner> owner;
    if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) {
      SComWrap<ISSymCompSym> comp(owner.Get());
      inComposite = !comp.IsNull();
    }
  }
  ForEachLabel([&](int i, SSymSubText& t) {
    if (!t.IsInitialized()) t.InitializeSubSym();
    t.SetFlag(SSymSubsFlag::LabelWidth, true);
    t._SetTp(i);
    // Inside a composite the label is drawn without its frame bit.
    const LONG style = t.GetTextStyle();
    // A label outside the area being painted would be clipped whole.
    if (!SSymDrawArea::Meets(canvas, t.GetActiveRect(canvas, 0))) return;
    if (inComposite) t.SetTextStyle(style & ~0x800, 1);
    t.Draw(canvas);
    if (inComposite) t.SetTextStyle(style, 1);
  });
}

HRESULT SSymLinkStd::Redraw(SSymCanvas*) {
  if (m_state & StateNoRedraw) return 1;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(Sym()->GetDiagram(&diagram)) || !diagram) return S_OK;
  SSymBase::Redraw(nullptr);
  return S_OK;
}

// ---- geometry changes ------------------------------------------------------------------------------------
HRESULT SSymLinkStd::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  if (redraw) Redraw(nullptr);
  ForEachLabel([&](int, SSymSubText& t) { t.Transform(matrix, 0); });
  if (ListPt.GetCount() > 2) {
    for (int i = 1; i + 1 < ListPt.GetCount(); ++i) ListPt[i] = matrix.Transform(ListPt[i]);
    RecomputePoints(1, 0, 1, 1);
    MarkModified();
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkStd::MoveLinkPt(ISSymLinkable* moved, const SSymSize& offset, int redraw) {
  const HRESULT hr = SSymLinkBase::MoveLinkPt(moved, offset, redraw);
  if (!g_IsInitLineTextOffset()) RecomputePoints(1, 0, 0, 1);
  for (int i = 0; i < TextCount; ++i) AdjustTextPos(i);
  return hr;
}

HRESULT SSymLinkStd::SetListPt(const SSymListPt& pts, int redraw, int a, int) {
  if (pts.IsEmpty() || m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull())
    return SSymLinkBase::SetListPt(pts, redraw, a, 0);
  // Where the end labels' segments ran before, for the labels the user placed.
  SSymPoint oldEnd[TextCount], oldNext[TextCount];
  bool watched[TextCount] = {false, false, false};
  for (int i = 1; i < TextCount; ++i)
    if (m_texts[i].text && m_texts[i].offset != SSymPoint(0, 0))
      watched[i] = GetIntersectPoint(i, oldEnd[i], oldNext[i]) != 0;
  SSymListPt copy = pts;
  const bool movingAll = IsSymInMovingSelection(Sym()) && IsSymInMovingSelection(m_endSymbol[0].Get()) &&
                         IsSymInMovingSelection(m_endSymbol[1].Get());
  if (!InLockoutContext() && !IsInUndoContext() && !movingAll) {
    for (int end = 0; end < 2; ++end) {
      if (m_linkable[end].IsNull()) continue;
      SSymPoint& p = end == 0 ? copy[0] : copy[copy.GetCount() - 1];
      SSymPoint q = p;
      if (m_linkable[end]->GetDefAttachPt(this, end, q)) p = q;
    }
  }
  const HRESULT hr = SSymLinkBase::SetListPt(copy, redraw, a, 0);
  // A user-placed end label whose end segment turned is put back in place;
  // the source label first, one label per change.
  for (int i = 1; i < TextCount; ++i) {
    if (!watched[i]) continue;
    SSymPoint e, n;
    if (!GetIntersectPoint(i, e, n)) continue;
    if (!SameDirection(oldEnd[i], oldNext[i], e, n)) {
      AdjustTextPos(i);
      break;
    }
  }
  return hr;
}

void SSymLinkStd::RecomputePoints(int a, int b, int c, int d) {
  if (IsInUndoContext()) return;
  ISRepContext* ctx = OpenContext();
  const bool undo = ctx && b && ctx->IsRecording();
  SSymPoint before[TextCount];
  if (undo) ForEachLabel([&](int i, SSymSubText& t) { before[i] = CentreOf(t.GetClipRect(0, 0)); });
  SSymLinkBase::RecomputePoints(a, b, c, d);
  ForEachLabel([&](int i, SSymSubText& t) {
    if (!IsHiddenLabel(t) && t.IsInitialized()) RepositionSymText(i);
  });
  if (a) RecomputeClipRect(b, 0);
  if (!undo) return;
  // Each label gets a move record of its own, carrying its own way back: a
  // shared record has a single offset and would send every label back by
  // the last one's displacement.
  ForEachLabel([&](int i, SSymSubText& t) {
    const SSymPoint now = CentreOf(t.GetClipRect(0, 0));
    const SSymSize back(before[i].x - now.x, before[i].y - now.y);
    if (back.cx == 0 && back.cy == 0) return;
    auto move = std::make_unique<SSymActionMove>();
    move->AddSymbol(t.SymFace());
    move->m_offset = back;
    ctx->AddAction(std::move(move));
  });
}

void SSymLinkStd::AttachSymbol(int end, ISSymLinkable* linkable) {
  SSymLinkBase::AttachSymbol(end, linkable);
  if (m_endSymbol[0].IsNull() || m_endSymbol[1].IsNull()) return;
  ForEachLabel([&](int i, SSymSubText&) { RepositionSymText(i); });
}

HRESULT SSymLinkStd::SetSymArrow(int endMask, long type, int redraw) {
  if (type == -1) {
    if (endMask == 0) return S_OK;
    int values[4] = {24, 24, 24, 1};
    if (GetNotationValue(values)) type = endMask == 4 ? values[1] : endMask == 8 ? values[2] : values[0];
  }
  if (static_cast<unsigned long>(type) > static_cast<unsigned long>(SSymArrowType::Last)) return S_OK;
  bool passage = false;
  if (g_IsDefaultAllowed() && (endMask & 3) && m_texts[0].offset == SSymPoint(0, 0)) {
    const bool had = GetArrow(endMask) != SSymArrowType::None;
    const bool has = type != SSymArrowType::None;
    passage = had != has;
  }
  const HRESULT hr = SSymPolyBase::SetSymArrow(endMask, type, redraw);
  if (passage && m_texts[0].text) RepositionSymText(0);
  return hr;
}
