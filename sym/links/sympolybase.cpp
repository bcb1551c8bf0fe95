#include "sym/links/sympolybase.h"

#include <algorithm>
#include <cstdlib>

#include "kvcore/scascade.h"
#include "kvrep/sreppropmap.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintflink.h"

namespace {
// The point list as a repository value, and back.
HRESULT GetListField(SRepObject* o, SRepVariant& out) {
  const auto* p = dynamic_cast<SSymPolyBase*>(o);
  if (!p) return E_INVALIDARG;
  SRep_PtList pts;
  for (int i = 0; i < p->ListPt.GetCount(); ++i) pts.pts.push_back(SRep_Point{p->ListPt[i].x, p->ListPt[i].y});
  out.SetPLst(pts);
  return S_OK;
}
HRESULT SetListField(SRepObject* o, const SRepVariant& in) {
  auto* p = dynamic_cast<SSymPolyBase*>(o);
  if (!p) return E_INVALIDARG;
  SRep_PtList pts;
  const HRESULT hr = SRepFromVariant(in, pts);
  if (FAILED(hr)) return hr;
  SSymListPt list;
  for (const auto& q : pts.pts) list.Add(SSymPoint(q.x, q.y));
  SSymPolyBase::ClampPoints(list);
  p->ListPt = list;
  return S_OK;
}
const SRepField s_listField{&GetListField, &SetListField};

// The slot of an end mask, or -1.
int SlotOfMask(int mask) {
  switch (mask) {
    case 1: return 0;
    case 2: return 1;
    case 4: return 2;
    case 8: return 3;
    default: return -1;
  }
}
}  // namespace

KV_SYM_ACCESSORS(SSymPolyBase) {
  KV_SYM_FIELD_PLACE(ListPt, s_listField);
  KV_SYM_FIELD(LineStyle, LineStyle);
  KV_SYM_FIELD(ARState, ARState);
  KV_SYM_GETSET(Arrows, GetArrows, SetArrows);
  KV_SYM_GET(IsARSupported, GetIsARSupported);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymPolyBase)
KV_SYM_IMPLEMENT_POOL(SSymPolyBase, g_symClasses[SYMCLS_SSymPolyBase].poolBlocks);
KV_SYM_REGISTER(SSymPolyBase, &SSymCreateStd<SSymPolyBase>);

// ---- construction ------------------------------------------------------------------------------
SSymPolyBase::SSymPolyBase(const SSymPoint& a, const SSymPoint& b, ISRepSession* session, const CLSID& clsid)
    : SSymStd(SSymRect(a.x, a.y, b.x, b.y), session, clsid) {
  ListPt.Add(a);
  ListPt.Add(b);
  m_state = (m_state & ~DWORD(1)) | 2;
  RecomputeClipRect(0, 0);
}

SSymPolyBase::SSymPolyBase(const SSymListPt& pts, ISRepSession* session, const CLSID& clsid)
    : SSymStd(pts.GetCount() >= 2 ? SSymRect(pts[0].x, pts[0].y, pts[1].x, pts[1].y) : SSymRect(), session, clsid),
      ListPt(pts) {
  m_state = (m_state & ~DWORD(1)) | 2;
  RecomputeClipRect(0, 0);
}

SSymPolyBase::SSymPolyBase(ISRepSession* session, const CLSID& clsid) : SSymStd(session, clsid) {
  m_state = (m_state & ~DWORD(1)) | 2;
}

SSymPolyBase::SSymPolyBase(const SSymPolyBase& source)
    : SSymStd(source), ISSymPolyline(), ISSymLine(), ListPt(source.ListPt), LineStyle(source.LineStyle), ARState(0) {
  for (size_t i = 0; i < m_arrows.size(); ++i)
    if (source.m_arrows[i])
      m_arrows[i] = std::make_unique<SSymArrowHead>(source.m_arrows[i]->GetType(), static_cast<int>(i));
  m_state = (m_state & ~DWORD(1)) | 2;
}

SSymPolyBase::~SSymPolyBase() = default;

HRESULT SSymPolyBase::InternalQueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_ISSymPolyline) {
    *ppv = static_cast<ISSymPolyline*>(this);
    AddRef();
    return S_OK;
  }
  if (iid == IID_ISSymLine) {
    *ppv = static_cast<ISSymLine*>(this);
    AddRef();
    return S_OK;
  }
  return SSymStd::InternalQueryInterface(iid, ppv);
}

void SSymPolyBase::MarkModified() {
  m_state |= 4;
  SetSessionModified();
}

// ---- pen and line style --------------------------------------------------------------------------
HRESULT SSymPolyBase::SetPen(const SSymPen& pen, int redraw) {
  SSymPen p = pen;
  if (p.m_style == 0) p.m_style = 1;
  return SSymStd::SetPen(p, redraw);
}

HRESULT SSymPolyBase::SetLineStyle(LONG style, int redraw) {
  if (style == LineStyle) return S_OK;
  if (redraw) Redraw(nullptr);
  LineStyle = style;
  RecomputePoints(0, 0, 1, 1);
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- the point list -------------------------------------------------------------------------------
void SSymPolyBase::ClampPoints(SSymListPt& pts) {
  for (int i = 0; i < pts.GetCount(); ++i) {
    SSymPoint& p = pts[i];
    for (LONG SSymPoint::*c : {&SSymPoint::x, &SSymPoint::y}) {
      const LONG v = p.*c;
      if (v >= -CoordLimit && v <= CoordLimit) continue;
      const LONG side = v < 0 ? -1 : 1;
      if (i == 0) {
        p.*c = side * CoordClamp;
        continue;
      }
      // 6,000 beyond the previous point towards this coordinate's own side,
      // kept inside the limit.
      const long long prev = pts[i - 1].*c;
      const long long next = prev + side * 6000LL;
      p.*c = static_cast<LONG>(std::clamp<long long>(next, -CoordClamp, CoordClamp));
    }
  }
}

HRESULT SSymPolyBase::SetListPt(const SSymListPt& pts, int redraw, int a, int) {
  if (ISRepContext* ctx = OpenContext(); ctx && !ListPt.IsEmpty() && !IsNewInLockout()) {
    if (ctx->IsRecording()) {
      ctx->AddAction(std::make_unique<SSymActionPoly>(Sym(), ListPt));
    } else if (InLockoutContext()) {
      SSymListPt pending = pts;
      ClampPoints(pending);
      ctx->AddAction(std::make_unique<SSymActionPoly>(Sym(), pending));
      return S_OK;
    }
  }
  if (redraw) Redraw(nullptr);
  ListPt = pts;
  if (g_IsCascadeAllowed() && !IsInUndoContext()) {
    if (IsLink() && ListPt.GetCount() > 1) {
      SComWrap<ISSymLink> link(Sym());
      for (int end = 0; end < 2 && !link.IsNull(); ++end) {
        SComOut<ISSymbol> s;
        if (FAILED(link->GetAttachSym(end, &s)) || !s) continue;
        SComWrap<ISSymLinkable> linkable(s.Get());
        if (linkable.IsNull()) continue;
        SSymPoint& p = end == 0 ? ListPt[0] : ListPt[ListPt.GetCount() - 1];
        SSymPoint q = p;
        if (linkable->GetDefAttachPt(link.Get(), end, q)) p = q;
      }
    }
    ClampPoints(ListPt);
    RecomputeClipRect(0, 0);
    RecomputePoints(1, a, 1, redraw);
    MarkModified();
  } else {
    ClampPoints(ListPt);
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

void SSymPolyBase::RecomputePoints(int a, int, int, int) {
  if (LineStyle == SSymLineStyle::Corner || LineStyle == SSymLineStyle::RoundCorner) ListPt.FormatLink();
  if (!(LineStyle == 0 && a == 0)) RecomputeClipRect(0, 0);
}

void SSymPolyBase::RecomputeClipRect(int, int) {
  if (ListPt.IsEmpty()) return;
  SSymRect r = ListPt.GetBoundRect();
  LONG w = r.Width();
  LONG h = r.Height();
  for (const auto& arrow : m_arrows) {
    if (!arrow) continue;
    const SSymRect a = arrow->GetClipRect();
    if (a.IsDegenerate()) continue;
    w = std::max(w, a.Width());
    h = std::max(h, a.Height());
  }
  if (ShowsBridges()) {
    const LONG extra = 2 * BridgeRadius();
    w += extra;
    h += extra;
  }
  if (w != r.Width() || h != r.Height()) r.SetSize(w, h);
  if (r.y1 == r.y2) r.y1 += 100;
  if (r.x1 == r.x2) r.x2 += 100;
  if (r != m_rect) m_rect = r;
}

// ---- arrowheads ---------------------------------------------------------------------------------------
LONG SSymPolyBase::GetArrow(int endMask) {
  const int slot = SlotOfMask(endMask);
  if (slot < 0 || !m_arrows[static_cast<size_t>(slot)]) return SSymArrowType::None;
  return m_arrows[static_cast<size_t>(slot)]->GetType();
}

int SSymPolyBase::AddSymArrow(int slot, long rawType) {
  if (slot < 0 || slot > 3) return 0;
  const int type = SSymArrowType::Sanitize(rawType);
  auto& cur = m_arrows[static_cast<size_t>(slot)];
  if (cur && cur->GetType() == type) return 0;
  if (cur) {
    Redraw(nullptr);
    cur.reset();
  }
  if (type != SSymArrowType::None) {
    cur = std::make_unique<SSymArrowHead>(type, slot);
    cur->UpdateArrowPos(ListPt);
  }
  return 1;
}

void SSymPolyBase::DelSymArrow(int slot) {
  if (slot >= 0 && slot < 4) m_arrows[static_cast<size_t>(slot)].reset();
}

HRESULT SSymPolyBase::SetSymArrow(int endMask, long type, int redraw) {
  if (endMask == 0) {
    for (int slot : {0, 1, 3, 2}) DelSymArrow(slot);
  } else {
    if (endMask & 1) AddSymArrow(0, type);
    if (endMask & 2) AddSymArrow(1, type);
    if (endMask & 8) AddSymArrow(3, type);
    if (endMask & 4) AddSymArrow(2, type);
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

LONG SSymPolyBase::GetArrows() {
  DWORD word = 0;
  for (int slot = 0; slot < 4; ++slot) {
    const auto& a = m_arrows[static_cast<size_t>(slot)];
    const DWORD b = a ? static_cast<DWORD>(a->GetType() + 1) & 0xFF : 0;
    word |= b << (8 * (3 - slot));
  }
  return static_cast<LONG>(word);
}

HRESULT SSymPolyBase::SetArrows(LONG word) {
  const auto w = static_cast<DWORD>(word);
  for (int byte = 0; byte < 4; ++byte) {
    const int slot = 3 - byte;
    const DWORD b = (w >> (8 * byte)) & 0xFF;
    if (b == 0) DelSymArrow(slot);
    else AddSymArrow(slot, static_cast<long>(b) - 1);
  }
  return S_OK;
}

// ---- moves and transforms ------------------------------------------------------------------------
HRESULT SSymPolyBase::MoveBy(const SSymSize& offset, int redraw) {
  if (offset.cx == 0 && offset.cy == 0) return S_OK;
  if (!CreateUndoMove(offset)) return S_OK;
  if (redraw) Redraw(nullptr);
  for (int i = 0; i < ListPt.GetCount(); ++i) {
    ListPt[i].x += offset.cx;
    ListPt[i].y += offset.cy;
  }
  RecomputePoints(1, 0, 0, 1);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymPolyBase::Transform(const SSymMatrix& matrix, int redraw) {
  if (redraw) Redraw(nullptr);
  for (int i = 0; i < ListPt.GetCount(); ++i) ListPt[i] = matrix.Transform(ListPt[i]);
  SSymRect r = m_rect;
  r.Normalize();
  const SSymPoint a = matrix.Transform(SSymPoint(r.x1, r.y1));
  const SSymPoint b = matrix.Transform(SSymPoint(r.x2, r.y2));
  m_rect = SSymRect(a.x, a.y, b.x, b.y);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- format ----------------------------------------------------------------------------------------------
HRESULT SSymPolyBase::GetFormat(SSymFormatEx& format) {
  format.m_lineStyle = LineStyle;
  format.m_arrows[0] = GetArrow(4);
  format.m_arrows[1] = GetArrow(2);
  format.m_arrows[2] = GetArrow(8);
  format.m_points.clear();
  for (int i = 0; i < ListPt.GetCount(); ++i) format.m_points.push_back(ListPt[i]);
  format.m_flags |= SSymFormatEx::FlagLineStyle | SSymFormatEx::FlagArrows;
  return SSymStd::GetFormat(format);
}

HRESULT SSymPolyBase::SetFormat(const SSymFormatEx& format) {
  bool changed = false;
  if ((format.m_flags & SSymFormatEx::FlagLineStyle) && format.m_lineStyle != LineStyle) {
    LONG style = format.m_lineStyle;
    if (!IsLink() && style > 7) style -= 7;
    SetLineStyle(style, 1);
    changed = true;
  }
  if (format.m_flags & SSymFormatEx::FlagArrows) {
    const int masks[3] = {4, 2, 8};
    for (int i = 0; i < 3; ++i) {
      const int type = SSymArrowType::Sanitize(format.m_arrows[i]);
      if (type != GetArrow(masks[i])) {
        SetArrow(masks[i], type, 0);
        changed = true;
      }
    }
  }
  if (changed) MarkModified();
  return SSymStd::SetFormat(format);
}

HRESULT SSymPolyBase::HasAttribute(LONG id) { return SSymStd::HasAttribute(id); }

// ---- drawing ---------------------------------------------------------------------------------------------
void SSymPolyBase::DrawPolyLine(SSymCanvas& canvas) {
  canvas.SetPen(m_pen);
  switch (LineStyle) {
    case SSymLineStyle::RoundCorner:
      canvas.RoundPolyline(ListPt);
      break;
    case SSymLineStyle::Bezier:
    case SSymLineStyle::BezierPerpendicularArrow: {
      SSymListPt copy = ListPt;
      canvas.PolyBezier(copy, 0, 0);
      break;
    }
    default:
      canvas.Polyline(ListPt, 0);
      break;
  }
}

HRESULT SSymPolyBase::DrawSymbol(SSymCanvas& canvas) {
  if (ListPt.GetCount() < 2) return S_OK;
  UpdateListPt();
  DrawPolyLine(canvas);
  for (const auto& a : m_arrows)
    if (a) a->Draw(canvas);
  return S_OK;
}
