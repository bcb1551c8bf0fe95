// The SVG export canvas.
#include "sym/render/symcanvsvg.h"

#include <algorithm>

KV_IMPLEMENT_CLASSINFO(SSymCanvasSVG, SSymCanvas);

namespace {
int ClampInt(double v) { return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0)); }
constexpr double kSvgScale = 0.013333333333333334;  // 96 / 7200

// Forces precise rounding for the life of the scope.
struct PreciseScope {
  int old;
  PreciseScope() : old(SSymCanvas::SetPreciseMode(1)) {}
  ~PreciseScope() { SSymCanvas::SetPreciseMode(old); }
};
}  // namespace

SSymCanvasSVG::SSymCanvasSVG() = default;

SSymCanvasSVG::~SSymCanvasSVG() {
  if (m_bLocked) SSymCanvas::Unlock();
}

int SSymCanvasSVG::Lock(const SSymRect& area) {
  if (m_bLocked) SSymCanvas::Unlock();
  m_rcLocked = area;
  m_rcLocked.Normalize();
  m_rcLocked.Inflate(150, 150);
  const double w = std::abs(static_cast<double>(m_rcLocked.x2) - m_rcLocked.x1);
  const double h = std::abs(static_cast<double>(m_rcLocked.y1) - m_rcLocked.y2);
  const int W = ClampInt((w + 1) * 96 / 7200 + 0.5), H = ClampInt((h + 1) * 96 / 7200 + 0.5);
  m_rcSvg = RECT{0, 0, W, H};
  m_sizeMm = SIZE{ClampInt((w + 1) * 25.4 / 7200), ClampInt((h + 1) * 25.4 / 7200)};
  m_dZoom = 100.0;
  m_nZoom = 100;
  m_scaleX = m_scaleY = kSvgScale;
  m_ptOrg = POINT{0, H};
  m_sizeDP = SIZE{W, H};
  m_sizeVP = SIZE{ClampInt(w + 1), ClampInt(h + 1)};
  m_rcView = SSymRect(m_rcLocked.GetMinX(), m_rcLocked.GetMinY(), m_rcLocked.GetMaxX(), m_rcLocked.GetMaxY());
  BuildTransformationMatrices();
  if (!m_svg.CreateDocument(m_rcSvg)) return 0;
  // A bitmap of the area starts its hatches at the area's top-left corner.
  SSymRect n(area);
  n.Normalize();
  m_svg.GetDocument().SetHatchOrigin(VPtoDP(SSymPoint(n.x1, n.y1)));
  SSymCanvas::Lock(m_screenDC);
  return 1;
}

void SSymCanvasSVG::Unlock(SSVG& target) {
  SSymCanvas::Unlock();
  m_svg.Detach(target);
}

void SSymCanvasSVG::BeginSymbol(const SString& id) { m_svg.CreateGraphicElement(id, 1, 1, 1); }
void SSymCanvasSVG::BeginLink(const SString& href, int self) { m_svg.CreateLinkElement(href, 1, 1, 1, self); }
void SSymCanvasSVG::EndLink() { m_svg.SetHasCurrentElement(0); }

// ---- drawing state ----------------------------------------------------------------------------

void SSymCanvasSVG::SetPen(const SSymPen& pen) {
  SSymCanvas::SetPen(pen);
  m_svg.SetPen(pen);
}

void SSymCanvasSVG::SetBrush(const SSymBrush& brush, int dark) {
  SSymCanvas::SetBrush(brush, dark);
  m_svg.SetBrush(brush);
  m_svg.SetUseFillEffect(UseFillEffect());
}

void SSymCanvasSVG::SetFont(const SSymFont& font) {
  SSymCanvas::SetFont(font);
  m_svg.SetFontInfo(font);
  m_svg.SetFont(LookupFont(font));
}

void SSymCanvasSVG::SetFontColor(SSymColor color) {
  if (m_pDC) m_pDC->SetTextColor(m_bColor ? color.GetColor() : 0);
  m_svg.SetTextColor(color);
}

// ---- conversions ----------------------------------------------------------------------------------

RECT SSymCanvasSVG::PictureRect(const SSymRect& r) const {
  PreciseScope precise;
  return VPtoDP(r);
}

int SSymCanvasSVG::Points(const SSymListPt& pts) {
  const int n = pts.GetCount();
  if (n <= 0) return 0;
  TransformLstPt(pts);
  return GetListPoints() ? n : 0;
}

// ---- shapes ---------------------------------------------------------------------------------------

void SSymCanvasSVG::Line(const SSymPoint& a, const SSymPoint& b) { m_svg.Line(VPtoDP(a), VPtoDP(b)); }

void SSymCanvasSVG::Arc(const SSymRect& r, const SSymPoint& start, const SSymPoint& end) {
  m_svg.Arc(VPtoDP(r), VPtoDP(start), VPtoDP(end));
}

void SSymCanvasSVG::Pie(const SSymRect& r, const SSymPoint& start, const SSymPoint& end, const SSymRect& area) {
  m_svg.Pie(VPtoDP(r), VPtoDP(start), VPtoDP(end), VPtoDP(area));
}

void SSymCanvasSVG::Ellipse(const SSymRect& r) { m_svg.Ellipse(VPtoDP(r)); }

void SSymCanvasSVG::Rectangle(const SSymRect& r) { m_svg.Rectangle(VPtoDP(r)); }

void SSymCanvasSVG::Oval(const SSymRect& r) {
  const RECT box = VPtoDP(r);
  const LONG bh = box.bottom - box.top;
  const SIZE corner{static_cast<LONG>(0.75 * bh), bh};
  if (corner.cx != 0 && corner.cy != 0)
    m_svg.RoundRect(box, corner);
  else
    m_svg.Rectangle(box);
}

void SSymCanvasSVG::RoundRect(const SSymRect& r, const SSymSize& c) {
  const RECT box = VPtoDP(r);
  SIZE corner{c.cx, c.cy};
  if (c.cx > 0 || c.cy >= 1) corner = VPtoDP(c);
  const LONG quarter = std::min(box.right - box.left + 1, box.bottom - box.top + 1) >> 2;
  if (corner.cx < 1) corner.cx = quarter;
  if (corner.cy < 1) corner.cy = quarter;
  m_svg.RoundRect(box, corner);
}

void SSymCanvasSVG::FillRect(const SSymRect& r, const SSymBrush& brush) {
  const SSymPen pen = m_pen;
  const SSymBrush saved = m_brush;
  SetPen(SSymPen(SSymPen::NoLine, pen.m_width, pen.m_color));
  SetBrush(brush, 0);
  m_svg.Rectangle(VPtoDP(r));
  SetPen(pen);
  SetBrush(saved, 0);
}

void SSymCanvasSVG::Polyline(const SSymListPt& pts, int) {
  const int n = Points(pts);
  if (n) m_svg.Polyline(GetListPoints(), n);
}

void SSymCanvasSVG::RoundPolyline(const SSymListPt& pts) {
  if (pts.GetCount() == 2) {
    Polyline(pts, 0);
    return;
  }
  const int n = Points(pts);
  if (n) m_svg.RoundPolyline(GetListPoints(), n);
}

void SSymCanvasSVG::PolyBezier(const SSymListPt& pts, int, int) {
  if (pts.GetCount() == 2) {
    Polyline(pts, 0);
    return;
  }
  const int n = Points(pts);
  if (n) m_svg.PolyBezier(GetListPoints(), n);
}

void SSymCanvasSVG::Polygon(const SSymListPt& pts) {
  const int n = Points(pts);
  if (n) m_svg.Polygon(GetListPoints(), n);
}

// ---- pictures and text ------------------------------------------------------------------------------

void SSymCanvasSVG::DrawImage(const SSymRect& r, Gdiplus::Image* image, SPictureInfo* pic) {
  if (!image || !pic) return;
  m_svg.DrawImage(VPtoDP(r), image, pic);
}

void SSymCanvasSVG::DrawIcon(const SSymRect& r, SIconFile* icon, SPictureInfo* pic) {
  if (icon) m_svg.DrawIcon(PictureRect(r), icon, pic);
}

void SSymCanvasSVG::DrawIcon(const SSymRect& r, HICON icon, unsigned flags) {
  if (icon) m_svg.DrawIcon(PictureRect(r), icon, flags);
}

void SSymCanvasSVG::DrawCursor(const SSymRect& r, SCursorFile* cursor, SPictureInfo* pic) {
  if (cursor) m_svg.DrawCursor(PictureRect(r), cursor, pic);
}

void SSymCanvasSVG::DrawBitmap(const SSymRect& r, SBitmap* bitmap) {
  if (bitmap) m_svg.DrawBitmap(PictureRect(r), bitmap);
}

void SSymCanvasSVG::DrawMetaFile(const SSymRect& r, const SMetaFile& mf) { m_svg.DrawMetaFile(PictureRect(r), mf); }

void SSymCanvasSVG::DrawText(const SSymRect& r, const SString& text, int style) {
  if (text.IsEmpty()) return;
  // An opaque background is the canvas's background colour, as on a device
  // context; none over a background picture.
  if (HasBackgroundBitmap()) style &= ~0x800;
  m_svg.SetTextBackColor(m_bkBrush.GetColor());
  // Glyphs filled with the brush: a gradient brush fills them in SVG too.
  m_svg.SetTextGradient(m_bFillText && UseFillEffect());
  // Truncating styles cut each line with an ellipsis as on every other target.
  if (m_font.m_angle == 0 && !(style & 0x1000) && (style & 0x2000)) {
    const SString cut = TruncateLines(r, text);
    if (!cut.IsEmpty()) m_svg.DrawText(VPtoDP(r), cut, style & ~0x2000);
    return;
  }
  m_svg.DrawText(VPtoDP(r), text, style);
}

void SSymCanvasSVG::DrawRtfText(const SSymRect& r, const SString& rtf, int first, int last, int* end) {
  if (rtf.IsEmpty()) return;
  SMetaFile mf;
  if (RTFToEMF(mf, rtf, r, first, last, end, nullptr)) DrawMetaFile(r, mf);
}

// ---- paths -----------------------------------------------------------------------------------------------

int SSymCanvasSVG::BeginPath() {
  m_bDrawingPath = 1;
  m_svg.BeginPath();
  return 1;
}

int SSymCanvasSVG::EndPath() {
  m_bDrawingPath = 0;
  m_svg.EndPath();
  return 1;
}

int SSymCanvasSVG::AbortPath() {
  m_bDrawingPath = 0;
  m_svg.AbortPath();
  return 1;
}

int SSymCanvasSVG::CloseFigure() {
  m_svg.CloseFigure();
  return 1;
}

int SSymCanvasSVG::FillPath(const SSymRect& r) {
  m_svg.FillPath(VPtoDP(r));
  return 1;
}

int SSymCanvasSVG::StrokeAndFillPath(const SSymRect& r) {
  m_svg.StrokeAndFillPath(VPtoDP(r));
  return 1;
}

int SSymCanvasSVG::StrokePath() {
  m_svg.StrokePath();
  return 1;
}
