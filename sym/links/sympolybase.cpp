#include "sym/links/sympolybase.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>
#include <cstdlib>

#include "kvcore/scascade.h"
#include "kvrep/sreppropmap.h"
#include "sym/foundation/sympropmap.h"
#include "kvcore/sdc.h"
#include "sym/links/symlinehit.h"
#include "sym/links/symlinetext.h"
#include "sym/links/symlinkutil.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfrouter.h"

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
  // The rectangle follows the points at once: a position or size read back
  // after the points measures from it, and would otherwise move them.
  p->RecomputeClipRect(0, 0);
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
    : SRepFaces(SSymRect(a.x, a.y, b.x, b.y), session, clsid) {
  ListPt.Add(a);
  ListPt.Add(b);
  m_state = (m_state & ~DWORD(1)) | 2;
  RecomputeClipRect(0, 0);
}

SSymPolyBase::SSymPolyBase(const SSymListPt& pts, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(pts.GetCount() >= 2 ? SSymRect(pts[0].x, pts[0].y, pts[1].x, pts[1].y) : SSymRect(), session, clsid),
      ListPt(pts) {
  m_state = (m_state & ~DWORD(1)) | 2;
  RecomputeClipRect(0, 0);
}

SSymPolyBase::SSymPolyBase(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {
  m_state = (m_state & ~DWORD(1)) | 2;
}

SSymPolyBase::SSymPolyBase(const SSymPolyBase& source)
    : SRepFaces(source), ListPt(source.ListPt), LineStyle(source.LineStyle), ARState(0) {
  for (size_t i = 0; i < m_arrows.size(); ++i)
    if (source.m_arrows[i])
      m_arrows[i] = SSymArrow::Make(this, source.m_arrows[i].get(), static_cast<int>(i));
  m_state = (m_state & ~DWORD(1)) | 2;
}

SSymPolyBase::~SSymPolyBase() = default;

void SSymPolyBase::MarkModified() {
  // The repository's changed flag: the symbol's own state word has its
  // drawing-suppressed bit at the same value, which would stop every later
  // drawing and redraw of the line.
  SetChanged();
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
    // An undo or a redo of a points record (a route written after an edit,
    // say) gives the points back without the cascade; the rectangle is
    // theirs, so it follows them here, as it did when they were first set.
    if (IsInUndoContext()) RecomputeClipRect(0, 0);
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
  // The arrowheads are placed on the points first: an arrow keeps the
  // extent of its last placement, which an undo or a redo of the points
  // does not repeat, so the rectangle would depend on the history.
  const bool place = ListPt.GetCount() >= 2;
  for (const auto& arrow : m_arrows) {
    if (!arrow) continue;
    if (place) arrow->PlaceOnLine();
    SSymRect a = arrow->GetClipRect(0, 0);
    a.Normalize();
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
  PutRect(r);
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
    cur = SSymArrow::Make(this, type, slot);
    cur->PlaceOnLine();
  }
  return 1;
}

void SSymPolyBase::DelSymArrow(int slot) {
  if (slot >= 0 && slot < 4) m_arrows[static_cast<size_t>(slot)].reset();
}

HRESULT SSymPolyBase::SetSymArrow(int endMask, long type, int redraw) {
  int changed = 0;
  if (endMask == 0) {
    for (int slot : {0, 1, 3, 2}) {
      changed |= m_arrows[static_cast<size_t>(slot)] ? 1 : 0;
      DelSymArrow(slot);
    }
  } else {
    if (endMask & 1) changed |= AddSymArrow(0, type);
    if (endMask & 2) changed |= AddSymArrow(1, type);
    if (endMask & 8) changed |= AddSymArrow(3, type);
    if (endMask & 4) changed |= AddSymArrow(2, type);
  }
  // An arrowhead is part of the line's extent: those who keep the extent
  // (the diagram's index) hear of the change, asked to redraw or not.
  if (changed) MarkModified();
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
  if (!matrix.IsFinite()) return E_INVALIDARG;
  if (redraw) Redraw(nullptr);
  for (int i = 0; i < ListPt.GetCount(); ++i) ListPt[i] = matrix.Transform(ListPt[i]);
  SSymRect r = m_rect;
  r.Normalize();
  const SSymPoint a = matrix.Transform(SSymPoint(r.x1, r.y1));
  const SSymPoint b = matrix.Transform(SSymPoint(r.x2, r.y2));
  PutRect(SSymRect(a.x, a.y, b.x, b.y));
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

// Every line has its points, corner style, routing state and arrowheads, and
// the widths of its three labels. The link position and size only repeat the
// base symbol's position and size under codes of their own, so a line does
// not offer them as attributes of its own.
HRESULT SSymPolyBase::HasAttribute(LONG id) {
  switch (id) {
    case SymAttr::ListPt:
    case SymAttr::LineStyle:
    case SymAttr::Arrows:
    case SymAttr::ARState:
    case SymAttr::IsARSupported:
    case SymAttr::CtrTxtWidth:
    case SymAttr::SrcTxtWidth:
    case SymAttr::DstTxtWidth: return S_OK;
    case SymAttr::LnkPos:
    case SymAttr::LnkSize: return S_FALSE;
    default: return SSymBase::HasAttribute(id);
  }
}

// ---- redraw and the active rectangle ------------------------------------------------------------------
HRESULT SSymPolyBase::Redraw(SSymCanvas* canvas) {
  if (m_state & StateNoRedraw) return S_FALSE;
  SSymStd::Redraw(nullptr);
  if (canvas)
    for (const auto& a : m_arrows)
      if (a) a->Redraw(canvas);
  return S_OK;
}

SSymRect SSymPolyBase::GetActiveRect(SSymCanvas& canvas, int a) {
  SSymRect r = SSymStd::GetActiveRect(canvas, a);
  // An arrowhead made before the line had its points still lies where it
  // was made, around the origin: one away from the line is placed on the
  // line's end first (as drawing places it), and a line without two points
  // has none.
  if (ListPt.GetCount() < 2) return r;
  const SSymRect line = ListPt.GetBoundRect().Normalize();
  for (const auto& arrow : m_arrows) {
    if (!arrow) continue;
    SSymRect ar = arrow->GetClipRect(0, 0);
    if (!ar.Normalize().Intersects(line)) {
      arrow->PlaceOnLine();
      ar = arrow->GetClipRect(0, 0);
      ar.Normalize();
    }
    r = Union(r, ar);
  }
  return r;
}

// ---- drawing ---------------------------------------------------------------------------------------------
LONG SSymPolyBase::BridgeRadius() {
  ISSymEdgeRouter* router = SSymGetEdgeRouter();
  return router ? router->GetBridgeRadius() : 400;
}

void SSymPolyBase::DrawPolyLine(SSymCanvas& canvas) {
  ISSymEdgeRouter* router = SSymGetEdgeRouter();
  SSymCrossings crossings;
  if (router && IsLink() && ShowsBridges() && canvas.GetZoom() > 60) crossings = router->GetIntersections(Sym());
  const int radius = static_cast<int>(BridgeRadius());
  canvas.SetPen(m_pen);
  bool bridged = false;
  SSymListPt bridges;
  switch (LineStyle) {
    case SSymLineStyle::RoundCorner:
      if (crossings.GetCount() > 0) {
        bridges = canvas.PolylineWithBridges(ListPt, crossings, radius, 1);
        bridged = true;
      } else {
        canvas.RoundPolyline(ListPt);
      }
      break;
    case SSymLineStyle::Bezier:
    case SSymLineStyle::BezierPerpendicularArrow: {
      SSymListPt copy = ListPt;
      SComWrap<ISSymLink> link(Sym());
      if (LineStyle == SSymLineStyle::Bezier && !link.IsNull() && copy.GetCount() > 2) {
        const int n = copy.GetCount();
        for (int end = 0; end < 2; ++end) {
          SComOut<ISSymbol> s;
          link->GetAttachSym(end, &s);
          SComWrap<ISSymLinkable> l(s.Get());
          if (l.IsNull()) continue;
          const SSymSegment seg = end == 0 ? SSymSegment(copy[0], copy[1]) : SSymSegment(copy[n - 2], copy[n - 1]);
          SSymPoint at = end == 0 ? copy[0] : copy[n - 1];
          if (l->GetIntersection(seg, &at)) (end == 0 ? copy[0] : copy[n - 1]) = at;
        }
      }
      canvas.PolyBezier(copy, 0, 0);
      break;
    }
    default:
      if (crossings.GetCount() > 0) {
        bridges = canvas.PolylineWithBridges(ListPt, crossings, radius, 0);
        bridged = true;
      } else {
        canvas.Polyline(ListPt, 0);
      }
      break;
  }
  if (bridged && router) router->UpdateBridgesIndex(Sym(), bridges);
}

namespace {
// Puts the stored list back when a drawing or hit test leaves, also by an
// exception.
class KeepList {
 public:
  explicit KeepList(SSymListPt& list) : m_list(list), m_kept(list) {}
  ~KeepList() { m_list = m_kept; }
  KeepList(const KeepList&) = delete;
  KeepList& operator=(const KeepList&) = delete;
  const SSymListPt& Kept() const { return m_kept; }

 private:
  SSymListPt& m_list;
  SSymListPt m_kept;
};

// A pen width that draws a double line: above 0 with w + 1 a multiple of 75
// (74, 149, 224 ...).
bool IsDoubleLineWidth(LONG w) { return w > 0 && (static_cast<long long>(w) + 1) % 75 == 0; }

bool HasFace(IUnknown* unk, REFIID iid) {
  if (!unk) return false;
  void* p = nullptr;
  if (FAILED(unk->QueryInterface(iid, &p)) || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}
}  // namespace

namespace {
// The size of an arrowhead along the diagram axes: its placed extent, with
// the model's own width and height traded when the figure lies turned by a
// quarter turn. A model whose tip and base share an axis measures along the
// line from tip to base.
SSymSize GetArrowExtent(const SSymArrow* arrow) {
  if (!arrow) return SSymSize(0, 0);
  SSymRect placed = const_cast<SSymArrow*>(arrow)->GetClipRect(0, 0);
  placed.Normalize();
  const long long cw = static_cast<long long>(placed.x2) - placed.x1 + 1;
  const long long ch = static_cast<long long>(placed.y1) - placed.y2 + 1;
  const SSymTabArrow::ArrowEntry* e = SSymTabArrow::GetEntry(arrow->GetType());
  const SSymPoint ul = e->m_ptModelCorner[0], lr = e->m_ptModelCorner[2];
  long long left = std::min(ul.x, lr.x), right = std::max(ul.x, lr.x);
  long long bottom = std::min(ul.y, lr.y), top = std::max(ul.y, lr.y);
  const long long mw = right - left + 1, mh = top - bottom + 1;
  const SSymPoint tip = e->m_ptModelTip, base = e->m_ptModelBase;
  if (tip.x == base.x) {
    bottom = std::min(tip.y, base.y);
    top = std::max(tip.y, base.y);
  } else if (tip.y == base.y) {
    left = std::min(tip.x, base.x);
    right = std::max(tip.x, base.x);
  }
  if (mw == ch && mh == cw) return SSymSize(static_cast<LONG>(top - bottom + 1), static_cast<LONG>(right - left + 1));
  return SSymSize(static_cast<LONG>(right - left + 1), static_cast<LONG>(top - bottom + 1));
}
}  // namespace

LONG SSymPolyBase::PullBackLength(SHORT factor, LONG width, bool glow) {
  if (glow) return 225;
  if (factor > 0) return static_cast<LONG>(static_cast<double>(factor) * width * 0.5);
  return width;
}

SSymPoint SSymPolyBase::PullBack(const SSymPoint& e, const SSymPoint& from, const SSymPoint& toward, LONG len) {
  if (len == 0) return e;
  // In doubles: on long segments the products overflow 32 bits.
  const double dx = static_cast<double>(toward.x) - from.x;
  const double dy = static_cast<double>(toward.y) - from.y;
  const double l = std::sqrt(dx * dx + dy * dy);
  if (l <= 1.0) return e;
  const double mx = std::trunc(dx * len / l), my = std::trunc(dy * len / l);
  return SSymPoint(static_cast<LONG>(std::clamp(e.x + mx, -2147483648.0, 2147483647.0)),
                   static_cast<LONG>(std::clamp(e.y + my, -2147483648.0, 2147483647.0)));
}

int SSymPolyBase::FindPerpPoint(ISSymbol* symbol, SSymPoint& point, SSymPoint& outline, SSymSize& extent) {
  extent.cx += 225;
  extent.cy += 225;
  if (!symbol) return 0;
  SSymBase* base = SSymBase::FromInterface(symbol);
  const int form = base ? base->GetSymbolFormType() : 79;
  const SSymRect r = symbol->GetClipRect(1, 0);
  const SSymPoint o = outline;
  point = o;
  const LONG m = std::max(extent.cx, extent.cy);
  if (form == 5) {
    const long long cx = (static_cast<long long>(r.x1) + r.x2) / 2, cy = (static_cast<long long>(r.y1) + r.y2) / 2;
    const double a = static_cast<double>((std::llabs(static_cast<long long>(r.x2) - r.x1) + 1) / 2);
    const double b = static_cast<double>((std::llabs(static_cast<long long>(r.y1) - r.y2) + 1) / 2);
    const long long dx = point.x - cx, dy = point.y - cy;
    if (dx == 0) point.y += dy > 0 ? m : -m;
    else if (dy == 0) point.x += dx > 0 ? m : -m;
    else if (b > 0) {
      const double k = (a * a * static_cast<double>(dy)) / (b * b * static_cast<double>(dx));
      const double u = m / std::sqrt(k * k + 1);
      const LONG mx = static_cast<LONG>(std::trunc(u)), my = static_cast<LONG>(std::trunc(std::fabs(k * u)));
      point.x += dx > 0 ? mx : -mx;
      point.y += dy > 0 ? my : -my;
    }
    return 1;
  }
  if (form != 3 && form != 4) return 0;
  if (m == 0) return 0;
  auto near = [](long long v, long long edge) { return std::llabs(v - edge) < 60; };
  int side = 0;  // 1 left, 2 right, 3 top, 4 bottom
  if (near(o.x, r.x1) || o.x <= static_cast<long long>(r.x1) - 60) side = 1;
  else if (near(o.x, r.x2) || o.x >= static_cast<long long>(r.x2) + 60) side = 2;
  else if (near(o.y, r.y1) || o.y >= static_cast<long long>(r.y1) + 60) side = 3;
  else if (near(o.y, r.y2) || o.y <= static_cast<long long>(r.y2) - 60) side = 4;
  if (side == 0) return 0;
  if (side <= 2) {
    point.x += side == 1 ? -m : m;
    extent.cy -= 225;
    const long long h = extent.cy;
    long long t;
    if (std::llabs(static_cast<long long>(r.y1) - r.y2) + 1 <= h) t = (static_cast<long long>(r.y1) + r.y2) / 2;
    else t = std::clamp<long long>(point.y, r.y2 + h / 2, r.y1 - h / 2);
    if (t != point.y) point.y = outline.y = static_cast<LONG>(t);
  } else {
    point.y += side == 3 ? m : -m;
    extent.cx -= 225;
    const long long h = extent.cx;
    long long t;
    if (std::llabs(static_cast<long long>(r.x2) - r.x1) + 1 <= h) t = (static_cast<long long>(r.x1) + r.x2) / 2;
    else t = std::clamp<long long>(point.x, r.x1 + h / 2, r.x2 - h / 2);
    if (t != point.x) point.x = outline.x = static_cast<LONG>(t);
  }
  return 1;
}

int SSymPolyBase::ConstructTempListPt(SSymListPt* list, int) {
  SComWrap<ISSymLink> link(Sym());
  if (link.IsNull()) return 0;
  // The stored list is kept aside only while a given list stands in for it.
  SSymListPt kept;
  if (list) {
    kept = ListPt;
    ListPt = *list;
  }
  int result = 0;
  const LONG w = m_pen.m_width;
  const bool wide = w > 0, glow = m_shadowStyle == 2;
  const bool perpStyle = LineStyle == SSymLineStyle::NormalPerpendicularArrow ||
                         LineStyle == SSymLineStyle::BezierPerpendicularArrow;
  const bool bezier = ListPt.GetCount() > 2 && LineStyle == SSymLineStyle::Bezier;
  auto finish = [&]() {
    if (list) {
      *list = ListPt;
      ListPt = kept;
    }
    return result;
  };
  if (bezier || ListPt.GetCount() < 2) return finish();
  for (int end = 0; end < 2; ++end) {
    SComOut<ISSymbol> sym;
    link->GetAttachSym(end, &sym);
    if (!sym) return finish();
    SComWrap<ISSymLinkable> linkable(sym.Get());
    const int slot = end == 0 ? 2 : 3;
    const SSymArrow* arrow = m_arrows[static_cast<size_t>(slot)].get();
    const bool shorten = (wide || glow) && arrow;
    const bool perpendicular = perpStyle && arrow;
    if (!(wide || glow || perpendicular || (!linkable.IsNull() && linkable->LinkableReserved2() == 1))) continue;
    if (linkable.IsNull()) continue;
    const int n = ListPt.GetCount();
    const int i0 = end == 0 ? 0 : n - 1;  // the end point
    const int i1 = end == 0 ? 1 : n - 2;  // its neighbour
    SSymPoint e = ListPt[i0];
    const SSymSegment seg = end == 0 ? SSymSegment(ListPt[0], ListPt[1]) : SSymSegment(ListPt[n - 2], ListPt[n - 1]);
    if (!linkable->GetIntersection(seg, &e)) continue;
    SSymPoint o = e;
    if (shorten) {
      if (const SSymTabArrow::ArrowEntry* entry = SSymTabArrow::GetEntry(arrow->GetType()); entry->m_bShortenLine)
        e = PullBack(e, ListPt[i0], ListPt[i1], PullBackLength(entry->m_nWidthFactor, w, glow));
    }
    if (perpendicular) {
      SSymSize extent = GetArrowExtent(arrow);
      SSymPoint p = o;
      if (FindPerpPoint(sym.Get(), p, o, extent)) {
        if (o.x == p.x) p.x = e.x;
        else if (o.y == p.y) p.y = e.y;
        if (end == 0) {
          ListPt.Insert(1, p);
          result |= 2;
        } else {
          ListPt.Insert(ListPt.GetCount() - 1, p);
          result |= 4;
        }
      }
    }
    SSymPoint& stored = end == 0 ? ListPt[0] : ListPt[ListPt.GetCount() - 1];
    if (!IsPointNear(stored, e)) {
      stored = e;
      result |= end == 0 ? 1 : 8;
    }
  }
  return finish();
}

HRESULT SSymPolyBase::DrawSymbol(SSymCanvas& canvas) {
  if (!(m_state & StateInitialized)) InitialSym(Sym());
  if (ListPt.GetCount() < 2) return S_OK;
  KeepList keep(ListPt);
  const int n = keep.Kept().GetCount();
  if (LineStyle == SSymLineStyle::Corner || LineStyle == SSymLineStyle::RoundCorner) {
    SComWrap<ISSymLink> link(Sym());
    if (link.IsNull()) {
      ListPt.FormatLink();
    } else {
      SComOut<ISSymbol> a, b;
      link->GetAttachSym(0, &a);
      link->GetAttachSym(1, &b);
      if (a && b) {
        auto rect = [](ISSymbol* s) {
          return HasFace(s, IID_ISSymPolyline) ? SSymRect(0, 0, 0, 0) : s->GetClipRect(0, 0);
        };
        ListPt.FormatLink(1, 1, rect(a.Get()), rect(b.Get()));
      }
    }
  }
  ConstructTempListPt(nullptr, 0);
  UpdateListPt();
  DrawPolyLine(canvas);
  const LONG w = m_pen.m_width;
  const bool doubleLine = IsDoubleLineWidth(w);
  if (doubleLine) {
    // The core of a double line in the background colour, on the same path
    // as the line itself: with ends pulled back by the core's own narrower
    // width, and arrowheads of its own, the core would reach past the line's
    // arrowheads and cut a notch into the symbol at the end. A core that is
    // itself a double width gets its own core in turn. The pen is put back
    // also when the drawing throws.
    const SSymPen saved = m_pen;
    struct PenBack {
      SSymPolyBase& self;
      SSymCanvas& canvas;
      SSymPen pen;
      ~PenBack() {
        self.m_pen = pen;
        canvas.SetPen(pen);
      }
    } back{*this, canvas, saved};
    SDC* dc = canvas.GetCanvasDC();
    const SSymColor background(dc ? dc->GetBkColor() : 0xFFFFFF);
    for (LONG core = w; IsDoubleLineWidth(core);) {
      core = std::max<LONG>(core - 150, 0);
      m_pen = SSymPen{1, core, background};
      DrawPolyLine(canvas);
    }
  }
  ListPt = keep.Kept();
  {
    // SVG output pulls no line end back for the arrowheads, nor does a
    // double line: its arrowheads place their outlines on the symbols.
    const LONG width = m_pen.m_width;
    if (canvas.GetCanvasType() == 9 || doubleLine) m_pen.m_width = 0;
    const int r = ConstructTempListPt(nullptr, 0);
    m_pen.m_width = width;
    // A bend added at one end only: a copy of the other end keeps the middle
    // arrowheads at the middle of the drawn path.
    if (ListPt.GetCount() == n + 1) {
      if (r & 2) ListPt.Add(ListPt[ListPt.GetCount() - 1]);
      else if (r & 4) ListPt.Insert(0, ListPt[0]);
    }
  }
  if ((m_pen.m_style & 0xFFFF) != 7 && n >= 2) {
    struct DoubleArrows {
      SSymPolyBase& self;
      SSymCanvas& canvas;
      bool active;
      LONG width;
      ~DoubleArrows() {
        if (!active) return;
        self.m_doubleLineArrows = false;
        self.m_pen.m_width = width;
        canvas.SetPen(self.m_pen);
      }
    } doubleArrows{*this, canvas, doubleLine, w};
    if (doubleLine) {
      m_doubleLineArrows = true;
      m_pen.m_width = w + 1;
      canvas.SetPen(m_pen);
    }
    for (const auto& a : m_arrows)
      if (a) a->DrawSymbol(canvas);
  }
  return S_OK;
}

HRESULT SSymPolyBase::DrawShadow(SSymCanvas& canvas) {
  if (ListPt.GetCount() < 2) return S_OK;
  KeepList keep(ListPt);
  ConstructTempListPt(nullptr, 0);
  canvas.SetPen(m_shadowPen);
  switch (LineStyle) {
    case SSymLineStyle::RoundCorner: canvas.RoundPolyline(ListPt); break;
    case SSymLineStyle::Bezier:
    case SSymLineStyle::BezierPerpendicularArrow: canvas.PolyBezier(ListPt, 0, 0); break;
    default: canvas.Polyline(ListPt, 0); break;
  }
  ListPt = keep.Kept();
  ConstructTempListPt(nullptr, 0);
  if ((m_shadowPen.m_style & 0xFFFF) != 7) {
    const bool offsetShadow = m_shadowStyle == 1 || m_shadowStyle == 3;
    for (const auto& a : m_arrows)
      if (a) {
        if (offsetShadow) a->DrawShadow(canvas);
        else a->DrawSymbol(canvas);
      }
  }
  return S_OK;
}

namespace {
// A bend of a perpendicular arrowhead leaves the segments: a line of such a
// style is never narrowed to its stored points.
bool LeavesItsSegments(LONG style) {
  return style == SSymLineStyle::NormalPerpendicularArrow || style == SSymLineStyle::BezierPerpendicularArrow;
}

// How far the line a hit test asks reaches beyond the boxes of the stored
// segments at any zoom, apart from half a handle square and the bridges
// and their margin, when a router is loaded): the ends moved along their
// segments onto the outlines and back under the arrowheads.
long long ReachBeyondPoints(SSymPolyBase& line) {
  const long long reach = 2;
  LONG pullBack = 0;
  const bool glow = line.GetShadowStyle() == 2;
  const LONG width = line.m_pen.m_width;
  if (width > 0 || glow)
    for (int slot = 2; slot < 4; ++slot)
      if (const SSymArrow* a = line.GetArrowHead(slot))
        if (const SSymTabArrow::ArrowEntry* entry = SSymTabArrow::GetEntry(a->GetType()); entry && entry->m_bShortenLine)
          pullBack = std::max(pullBack, std::abs(SSymPolyBase::PullBackLength(entry->m_nWidthFactor, width, glow)));
  return reach + pullBack;
}

// Calls f(x1, y1, x2, y2) with the box of each stored segment (of the point
// alone for a single point, of the control points' hull for a curve), until
// f answers true; answers whether one did.
template <class F>
bool AnySegmentBox(const SSymListPt& pts, LONG style, F f) {
  const int n = pts.GetCount();
  if (n == 0) return false;
  if (style == SSymLineStyle::Bezier) {
    // A curve stays within the hull of its control points.
    const SSymRect b = pts.GetBoundRect();
    return f(std::min<long long>(b.x1, b.x2), std::min<long long>(b.y1, b.y2), std::max<long long>(b.x1, b.x2),
             std::max<long long>(b.y1, b.y2));
  }
  if (n == 1) return f(pts[0].x, pts[0].y, pts[0].x, pts[0].y);
  for (int k = 0; k + 1 < n; ++k) {
    const SSymPoint a = pts[k], b = pts[k + 1];
    if (f(std::min<long long>(a.x, b.x), std::min<long long>(a.y, b.y), std::max<long long>(a.x, b.x),
          std::max<long long>(a.y, b.y)))
      return true;
  }
  return false;
}

// False when pt lies too far from every segment of line for the line itself
// (its handles and bridges included) to answer a hit test on canvas;
// computed from the stored points alone, without building the drawn line.
bool g_lineHitShortcuts = true;

bool IsPtNearPoints(SSymPolyBase& line, SSymCanvas& canvas, const SSymPoint& pt) {
  if (line.ListPt.GetCount() == 0) return false;
  if (LeavesItsSegments(line.LineStyle)) return true;
  const SSymSize sq = canvas.m_scaler.DPtoVP(SIZE{6, 6});
  const long long reach = std::max(std::llabs(sq.cx), std::llabs(sq.cy)) / 2 + ReachBeyondPoints(line);
  const long long x = pt.x, y = pt.y;
  auto near = [&](long long r) {
    return AnySegmentBox(line.ListPt, line.LineStyle, [&](long long x1, long long y1, long long x2, long long y2) {
      return x >= x1 - r && x <= x2 + r && y >= y1 - r && y <= y2 + r;
    });
  };
  if (near(reach)) return true;
  // Bridges need a router, and reach further. Whether the diagram shows
  // them (a lookup of its preferences) is asked only for a point within
  // their reach.
  ISSymEdgeRouter* router = SSymGetEdgeRouter();
  if (!router || !line.IsLink()) return false;
  return near(reach + 2LL * std::max<LONG>(router->GetBridgeRadius(), 0) + 64) && line.ShowsBridges();
}
}  // namespace

void SSymSetLineHitShortcuts(bool enabled) { g_lineHitShortcuts = enabled; }
bool SSymLineHitShortcuts() { return g_lineHitShortcuts; }

bool SSymPolyBase::GetHitBoxes(std::vector<SSymRect>& out, std::size_t& segments) {
  segments = 0;
  if (!ListPt.IsEmpty() && LeavesItsSegments(LineStyle)) return false;
  const std::size_t from = out.size();
  if (!ListPt.IsEmpty()) {
    // The bridges' margin (64) is taken whether a router is loaded or not:
    // the boxes stay right when one is loaded later.
    const long long reach = ReachBeyondPoints(*this) + 64;
    auto clamp = [](long long v) { return static_cast<LONG>(std::clamp<long long>(v, -0x7FFFFFFF, 0x7FFFFFFF)); };
    AnySegmentBox(ListPt, LineStyle, [&](long long x1, long long y1, long long x2, long long y2) {
      out.emplace_back(clamp(x1 - reach), clamp(y2 + reach), clamp(x2 + reach), clamp(y1 - reach));
      return false;
    });
  }
  segments = out.size() - from;
  if (const auto* labels = dynamic_cast<const SSymLineTextHelper*>(this)) labels->AppendLabelRects(out);
  return true;
}

BOOL SSymPolyBase::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  // Most lines a hit test asks lie elsewhere: a point away from every
  // segment can only hit a label, and whether the line is hidden (a walk up
  // its owners) or clipped matters only for a label that is hit.
  // A link whose end a composite symbol clips away answers nothing.
  auto endClipped = [this] {
    SComWrap<ISSymLink> link(Sym());
    if (link.IsNull()) return false;
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> s;
      link->GetAttachSym(end, &s);
      SSymPoint p;
      link->GetAttachPoint(p, end);
      if (IsPtClippedByComposite(s.Get(), p)) return true;
    }
    return false;
  };
  if (g_lineHitShortcuts && !IsPtNearPoints(*this, canvas, pt)) {
    if (!sub) return 0;
    *sub = nullptr;
    int part = 0;
    IsPtInSubSym(canvas, pt, handle ? handle : &part, sub);
    if (*sub && (IsHidden() || endClipped())) {
      (*sub)->Release();
      *sub = nullptr;
    }
    return *sub ? 1 : 0;
  }
  if (IsHidden() || endClipped()) return 0;
  RecomputeClipRect(0, 0);
  BOOL hit = 0;
  if (!ListPt.IsEmpty() && GetActiveRect(canvas, 0).PtInRect(pt)) {
    KeepList keep(ListPt);
    const int n = keep.Kept().GetCount();
    const int r = ConstructTempListPt(nullptr, 0);
    if (r & 1) ListPt.Insert(0, keep.Kept()[0]);
    if (r & 8) ListPt.Add(keep.Kept()[n - 1]);
    const int s = ((r & 1) ? 1 : 0) + ((r & 2) ? 1 : 0);
    // Handle numbers of the stored list: point i is i, segment i is n + i.
    auto pointNumber = [&](int k) {
      if (k == 0) return 0;
      if (k <= s) return n;
      if (k - s <= n - 2) return k - s;
      return n - 1;
    };
    auto segmentNumber = [&](int k) {
      if (k < s) return n;
      if (k - s <= n - 2) return n + (k - s);
      return 2 * n - 2;
    };
    const SSymSize sq = canvas.m_scaler.DPtoVP(SIZE{6, 6});
    SSymRect R(0, std::abs(sq.cy), std::abs(sq.cx), 0);
    const int m = ListPt.GetCount();
    if (handle) {
      for (int k = 0; k < m && !hit; ++k) {
        R.SetCenter(ListPt[k]);
        if (R.PtInRect(pt)) {
          *handle = pointNumber(k);
          hit = 1;
        }
      }
    }
    if (!hit) {
      R.SetCenter(pt);
      SSymListPt bridges;
      ISSymEdgeRouter* router = SSymGetEdgeRouter();
      if (router && IsLink() && ShowsBridges()) bridges = router->GetBridges(Sym());
      const double r = static_cast<double>(BridgeRadius());
      const double tol = std::max(std::abs(static_cast<double>(R.x2) - R.x1), std::abs(static_cast<double>(R.y1) - R.y2)) / 2;
      bool inGap = false;
      for (int k = 0; k + 1 < m && !hit && !inGap; ++k) {
        const SSymSegment seg(ListPt[k], ListPt[k + 1]);
        bool onBridge = false;
        for (int q = 0; q + 3 < bridges.GetCount() && !onBridge && !inGap; q += 4) {
          const SSymPoint a = bridges[q], b = bridges[q + 1], c = bridges[q + 2], d = bridges[q + 3];
          if (!Intersects(seg, SSymRect(a.x - 32, a.y + 32, a.x + 32, a.y - 32), nullptr)) continue;
          // The arcs' centres lie r in from each end of the span a-d.
          const double sx = static_cast<double>(d.x) - a.x, sy = static_cast<double>(d.y) - a.y;
          const double len = std::hypot(sx, sy);
          if (len <= 0) continue;
          const double ux = sx / len, uy = sy / len;
          const double cax = a.x + ux * r, cay = a.y + uy * r, cdx = d.x - ux * r, cdy = d.y - uy * r;
          // Only the half of each circle on the bridge's side of the span.
          const double side = (static_cast<double>(b.x) - a.x) * uy - (static_cast<double>(b.y) - a.y) * ux;
          const double ptSide = (static_cast<double>(pt.x) - a.x) * uy - (static_cast<double>(pt.y) - a.y) * ux;
          const bool sameSide = side == 0 || (side > 0) == (ptSide > 0) || std::abs(ptSide) <= tol;
          auto onArc = [&](double cx, double cy) {
            return sameSide && std::abs(std::hypot(pt.x - cx, pt.y - cy) - r) <= tol;
          };
          if (onArc(cax, cay) || onArc(cdx, cdy) || Intersects(SSymSegment(b, c), R, nullptr)) onBridge = true;
          else if (Intersects(SSymSegment(a, d), R, nullptr)) inGap = true;  // under the bridge: not on the line
        }
        if (onBridge || (!inGap && Intersects(seg, R, nullptr))) {
          if (handle) *handle = segmentNumber(k);
          hit = 1;
        }
      }
    }
    if (!hit && LineStyle == SSymLineStyle::Bezier) {
      int index = -1;
      std::vector<SSymPoint> pts;
      for (int k = 0; k < m; ++k) pts.push_back(ListPt[k]);
      if (IsPtOnBezier(pt, pts, R, &index)) {
        if (handle) *handle = index;
        hit = 1;
      }
    }
  }
  if (!hit && sub) {
    *sub = nullptr;
    int part = 0;
    IsPtInSubSym(canvas, pt, handle ? handle : &part, sub);
    if (*sub) hit = 1;
  }
  return hit;
}
