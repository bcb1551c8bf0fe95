#include "sym/links/symarrow.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "sym/foundation/sympropmap.h"
#include "sym/links/sympolybase.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintflink.h"

KV_SYM_ACCESSORS(SSymArrow){};
KV_SYM_DEFINE_CLASS_TABLES(SSymArrow)
KV_SYM_IMPLEMENT_POOL(SSymArrow, g_symClasses[SYMCLS_SSymArrow].poolBlocks);
KV_SYM_REGISTER(SSymArrow, nullptr);

namespace {
// The canvas kind of the SVG export canvas.
constexpr int kSvgCanvas = 9;
// The mitre limit of a double line's arrowheads: SVG's own default.
constexpr FLOAT kDoubleLineMiter = 4.0f;

SSymPoint Offset(const SSymPoint& p, long long dx, long long dy) {
  return SSymPoint(SSymTruncate(static_cast<double>(p.x + dx)), SSymTruncate(static_cast<double>(p.y + dy)));
}
// Held within the 32-bit range.
LONG Fit(long long v) { return SSymTruncate(static_cast<double>(v)); }
// Halved toward zero, summed in 64 bits.
LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }

// A figure placed from its model: its base and corners, and how the figure
// itself gets there (shifted tip onto tip, then turned about the tip or,
// upright, slid along the line).
struct Placed {
  SSymPoint base;
  SSymPoint corner[4];
  SSymSize move;
  bool baseSet = false;  // an upright figure on a line without length keeps the base it was given
  bool turned = false;
  SSymMatrix turn;
  bool slid = false;
  SSymSize slide;
};

Placed Place(const SSymTabArrow::ArrowEntry& e, bool rotate, const SSymPoint& tip, const SSymPoint& toward) {
  Placed p;
  const long long dx0 = static_cast<long long>(tip.x) - e.m_ptModelTip.x;
  const long long dy0 = static_cast<long long>(tip.y) - e.m_ptModelTip.y;
  p.move = SSymSize(Fit(dx0), Fit(dy0));
  p.base = Offset(e.m_ptModelBase, dx0, dy0);
  for (int i = 0; i < 4; ++i) p.corner[i] = Offset(e.m_ptModelCorner[i], dx0, dy0);
  if (rotate) {
    p.turned = true;
    p.turn.SetRotatePt(tip, p.base, toward);
    p.base = p.turn.Transform(p.base);
    p.baseSet = true;
    for (SSymPoint& c : p.corner) c = p.turn.Transform(c);
    return p;
  }
  // Upright: the figure keeps its orientation and slides along the line so
  // that the midpoint of its tip and base lies on it. The squared extents
  // are taken in doubles: in 32 bits they overflow past about 46,000 units.
  const double dx = static_cast<double>(toward.x) - tip.x, dy = static_cast<double>(toward.y) - tip.y;
  const double dd = dx * dx + dy * dy;
  if (dd == 0) return p;
  const double ex = static_cast<double>(p.base.x) - tip.x, ey = static_cast<double>(p.base.y) - tip.y;
  const double r = std::sqrt((ex * ex + ey * ey) / dd);
  const long long tx = tip.x + static_cast<long long>(std::trunc(dx * r));
  const long long ty = tip.y + static_cast<long long>(std::trunc(r * dy));
  const long long sx = (tx - p.base.x) / 2, sy = (ty - p.base.y) / 2;
  p.base = Offset(p.base, sx, sy);
  p.baseSet = true;
  for (SSymPoint& c : p.corner) c = Offset(c, sx, sy);
  p.slid = true;
  p.slide = SSymSize(Fit(sx), Fit(sy));
  return p;
}

// The rectangle around a placed figure's corners.
SSymRect CornerRect(const SSymPoint* c) {
  SSymRect a(c[0].x, c[0].y, c[2].x, c[2].y), b(c[1].x, c[1].y, c[3].x, c[3].y);
  return Union(a.Normalize(), b.Normalize());
}
}  // namespace

void SSymArrowRelease::operator()(SSymArrow* arrow) const {
  if (arrow) arrow->Release();
}

SSymArrowPtr SSymArrow::Make(SSymPolyBase* owner, int type, int dest) {
  SSymArrowPtr p(new SSymArrow(owner, type, dest));
  p->AddRef();
  return p;
}

SSymArrowPtr SSymArrow::Make(SSymPolyBase* owner, const SSymArrow* source, int dest) {
  SSymArrowPtr p(new SSymArrow(owner, source, dest));
  p->AddRef();
  return p;
}

SSymArrow::SSymArrow(SSymPolyBase* owner, int type, int dest)
    : SSymStd(SSymRect(-2000, 2000, 2000, -2000), nullptr, CLSID_SSymArrow), m_pOwner(owner), m_dest(dest) {
  m_type = type;
  m_pEntry = SSymTabArrow::GetEntry(type);
  Init();
}

SSymArrow::SSymArrow(SSymPolyBase* owner, const SSymArrow* source, int dest)
    : SSymStd(SSymRect(-2000, 2000, 2000, -2000), nullptr, CLSID_SSymArrow), m_pOwner(owner), m_dest(dest) {
  if (source) {
    m_type = source->m_type;
    m_pEntry = source->m_pEntry;
  } else {
    m_pEntry = SSymTabArrow::GetEntry(m_type);
  }
  Init();
}

void SSymArrow::Init() {
  m_bRotate = IsUprightType(m_type) ? 0 : 1;
  if (m_pEntry) {
    // The working figure is shared by every arrow of the type and still lies
    // where the last one placed it: a new arrow starts from the model.
    SSymTabArrow::ResetEntry(*m_pEntry);
    m_ptTip = m_pEntry->m_ptModelTip;
    m_ptBase = m_pEntry->m_ptModelBase;
    SetArrowClipRect();
  }
  // Without redraw: the arrow is made inside its owner's construction, and
  // it is drawn only as part of the owner.
  if (m_pOwner) SSymStd::SetPen(m_pOwner->GetPen(), 0);
}

// ---- placement ---------------------------------------------------------------------------------------
void SSymArrow::UpdateArrowPos() {
  if (!AimOnLine()) return;
  SetPosition(m_ptTip, m_ptBase);
  SetArrowClipRect();
}

void SSymArrow::PlaceOnLine() {
  if (!AimOnLine() || !m_pEntry) return;
  const Placed p = Place(*m_pEntry, m_bRotate != 0, m_ptTip, m_ptBase);
  if (p.baseSet) m_ptBase = p.base;
  if (const SSymRect r = CornerRect(p.corner); r != m_rect) m_rect = r;
}

bool SSymArrow::AimOnLine() {
  if (!m_pOwner) return false;
  // Read in place: placing the arrow and asking the ends leave the points
  // as they are, and a copy per placement was an allocation per hit test.
  const SSymListPt& pts = m_pOwner->ListPoints();
  const int n = pts.GetCount();
  // Checked before the owner is asked for its link face: an owner under
  // construction (no points yet) holds no reference that a query could
  // give back.
  if (n < 2) return false;
  SComWrap<ISSymLink> link(m_pOwner->Sym());
  const int h = n / 2;
  auto onEnd = [&](int end, int at, int from, int to) {
    m_ptTip = pts[at];
    m_ptBase = pts[end == 0 ? to : from];
    if (link.IsNull()) return;
    SComOut<ISSymbol> sym;
    if (FAILED(link->GetAttachSym(end, &sym)) || !sym) return;
    SComWrap<ISSymLinkable> linkable(sym.Get());
    SSymPoint p = m_ptTip;
    if (GetTipOnSymbol(linkable.Get(), SSymSegment(pts[from], pts[to]), &p)) m_ptTip = p;
  };
  switch (m_dest) {
    case ArrowMiddleToSource:
    case ArrowMiddleToDestination:
      if (n % 2) {
        m_ptTip = pts[h];
        m_ptBase = pts[m_dest == ArrowMiddleToSource ? h + 1 : h - 1];
      } else {
        m_ptTip = SSymPoint(Mid(pts[h - 1].x, pts[h].x), Mid(pts[h - 1].y, pts[h].y));
        m_ptBase = pts[m_dest == ArrowMiddleToSource ? h : h - 1];
      }
      break;
    case ArrowDestination: onEnd(1, n - 1, n - 2, n - 1); break;
    default: onEnd(0, 0, 0, 1); break;
  }
  return true;
}

int SSymArrow::GetTipOnSymbol(ISSymLinkable* symbol, const SSymSegment& segment, SSymPoint* point) {
  if (!symbol || !point || !symbol->GetIntersection(segment, point)) return 0;
  LONG pull = 0;
  if (m_pOwner && m_pOwner->GetShadowStyle() == 2) {
    pull = 225;
  } else if (m_pOwner && m_pOwner->DrawsDoubleLineArrows()) {
    pull = DoubleLinePull(m_pOwner->GetPen().m_width);
  } else if (m_pOwner) {
    const LONG w = m_pOwner->GetPen().m_width;
    const SSymTabArrow::ArrowEntry* e = SSymTabArrow::GetEntry(m_type);
    if (w > 0 && e->m_nWidthFactor != 0) pull = SSymTruncate(static_cast<double>(e->m_nWidthFactor) * w);
  }
  if (pull != 0) {
    // In doubles: the products overflow 32 bits on long segments.
    const double dx = static_cast<double>(m_ptBase.x) - m_ptTip.x, dy = static_cast<double>(m_ptBase.y) - m_ptTip.y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len > 1.0)
      *point =
          Offset(*point, static_cast<long long>(pull * dx / len * 0.5), static_cast<long long>(pull * dy / len * 0.5));
  }
  return 1;
}

LONG SSymArrow::DoubleLinePull(LONG width) const {
  // The outline reaches past the figure's tip by half the pen width over the
  // sine of half the tip's angle when the tip is mitred, times that sine
  // when the mitre is cut off (the angle from the model: half its claimed
  // height against its length from tip to base). The pull is twice the
  // reach, as the other pulls count: the outline then meets the symbol.
  if (!m_pEntry || width <= 0) return 0;
  const SSymTabArrow::ArrowEntry& e = *m_pEntry;
  const double len = std::hypot(static_cast<double>(e.m_ptModelBase.x) - e.m_ptModelTip.x,
                                static_cast<double>(e.m_ptModelBase.y) - e.m_ptModelTip.y);
  const double half = std::abs(static_cast<double>(e.m_ptModelCorner[0].y) - e.m_ptModelCorner[2].y) / 2;
  if (len <= 0 || half <= 0) return 0;
  const double sine = half / std::hypot(len, half);
  return SSymTruncate(1.0 / sine <= kDoubleLineMiter ? width / sine : width * sine);
}

void SSymArrow::SetPosition(const SSymPoint& tip, const SSymPoint& toward) {
  if (!m_pEntry) return;
  SSymTabArrow::ArrowEntry& e = *m_pEntry;
  SSymTabArrow::ResetEntry(e);
  const Placed p = Place(e, m_bRotate != 0, tip, toward);
  if (e.m_pSymbol) {
    e.m_pSymbol->MoveBy(p.move);
    if (p.turned) e.m_pSymbol->Transform(p.turn);
    if (p.slid) e.m_pSymbol->MoveBy(p.slide);
  }
  e.m_ptTip = tip;
  e.m_ptBase = p.base;
  std::copy(std::begin(p.corner), std::end(p.corner), std::begin(e.m_ptCorner));
  m_ptTip = tip;
  if (p.baseSet) m_ptBase = p.base;
}

int SSymArrow::SymArrowToLine(const SSymPoint& tip, const SSymPoint& toward) {
  m_ptTip = tip;
  if (!m_pEntry) {
    m_ptBase = tip;
    return 1;
  }
  SSymTabArrow::ResetEntry(*m_pEntry);
  const double bx = static_cast<double>(m_pEntry->m_ptBase.x) - m_pEntry->m_ptTip.x;
  const double by = static_cast<double>(m_pEntry->m_ptBase.y) - m_pEntry->m_ptTip.y;
  const LONG len = SSymTruncate(std::sqrt(bx * bx + by * by) + 0.5);
  const SSymPoint flat = Offset(tip, len, 0);
  SSymMatrix m;
  m.SetRotatePt(tip, flat, toward);
  m_ptBase = m.Transform(flat);
  return 1;
}

void SSymArrow::SetArrowClipRect() {
  if (!m_pEntry) return;
  if (const SSymRect r = CornerRect(m_pEntry->m_ptCorner); r != m_rect) m_rect = r;
}

// ---- moves ---------------------------------------------------------------------------------------------
HRESULT SSymArrow::MoveBy(const SSymSize& offset, int redraw) {
  if (redraw) Redraw(nullptr);
  m_ptTip = Offset(m_ptTip, offset.cx, offset.cy);
  m_ptBase = Offset(m_ptBase, offset.cx, offset.cy);
  SSymRect r = m_rect;
  r.Normalize();
  const SSymPoint a = Offset(SSymPoint(r.x1, r.y1), offset.cx, offset.cy);
  const SSymPoint b = Offset(SSymPoint(r.x2, r.y2), offset.cx, offset.cy);
  m_rect = SSymRect(a.x, a.y, b.x, b.y);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymArrow::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  m_ptTip = matrix.Transform(m_ptTip);
  m_ptBase = matrix.Transform(m_ptBase);
  SSymRect r = m_rect;
  m_rect = matrix.Transform(r.Normalize());
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- drawing ----------------------------------------------------------------------------------------------
HRESULT SSymArrow::DrawSymbol(SSymCanvas& canvas) {
  if (!m_pEntry || !m_pEntry->m_pSymbol || !m_pOwner) return S_OK;
  SSymArrowFigure& figure = *m_pEntry->m_pSymbol;
  const SSymPen pen = m_pOwner->GetPen();
  figure.SetPenWidthColor(pen.m_width, pen.m_color);
  // A double line's wide pen keeps its mitred corners but cuts a sharp tip
  // off (as SVG's own limit does): a mitre there would run a spike far past
  // the tip.
  struct MiterScope {
    HDC dc = nullptr;
    FLOAT old = 10.0f;
    ~MiterScope() {
      if (dc) ::SetMiterLimit(dc, old, nullptr);
    }
  } miter;
  if (m_pOwner->DrawsDoubleLineArrows())
    if (SDC* dc = canvas.GetCanvasDC(); dc && dc->GetSafeHdc() && ::SetMiterLimit(dc->GetSafeHdc(), kDoubleLineMiter, &miter.old))
      miter.dc = dc->GetSafeHdc();
  bool blackFill = false;
  if (m_pEntry->m_bFillLineColor) {
    blackFill = !canvas.m_bColor && !canvas.m_bBlackFill;
    figure.SetFillColor(pen.m_color);
  }
  {
    // In SVG output only the open figures keep the pull-back of the pen: the
    // owner's width is 0 while the arrow is placed, and put back also when
    // the placement throws.
    struct WidthBack {
      SSymPolyBase* owner;
      LONG width;
      bool active;
      ~WidthBack() {
        if (active) owner->m_pen.m_width = width;
      }
    } back{m_pOwner, pen.m_width,
           canvas.GetCanvasType() == kSvgCanvas && figure.GetSymbolType() != 1 && pen.m_width != 0};
    if (back.active) m_pOwner->m_pen.m_width = 0;
    UpdateArrowPos();
  }
  if (!blackFill) {
    figure.Draw(canvas);
    return S_OK;
  }
  struct BlackFill {
    SSymCanvas& canvas;
    explicit BlackFill(SSymCanvas& c) : canvas(c) { canvas.m_bBlackFill = 1; }
    ~BlackFill() { canvas.m_bBlackFill = 0; }
  } scope(canvas);
  figure.Draw(canvas);
  return S_OK;
}

HRESULT SSymArrow::DrawShadow(SSymCanvas& canvas) {
  if (!m_pEntry || !m_pEntry->m_pSymbol || !m_pOwner) return S_OK;
  m_pEntry->m_pSymbol->SetShadow(m_pOwner->GetShadow());
  UpdateArrowPos();
  m_pEntry->m_pSymbol->DrawShadow(canvas);
  return S_OK;
}
