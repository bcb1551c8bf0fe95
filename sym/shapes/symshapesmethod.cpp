// The shapes of particular modelling notations. Most start from a general
// shape's constructor and keep its identifier and name.
#include <algorithm>
#include <cstdlib>

#include "kvcore/sdrawbackground.h"
#include "sym/shapes/symshape.h"
#include "sym/shapes/symshapemap.h"

namespace {
SSymRect Norm(const SSymRect& rect) {
  SSymRect r = rect;
  r.Normalize();
  return r;
}
// The current brush, or the default white solid brush when none is set.
SSymBrush CurrentBrush(const SSymCanvas& canvas) {
  SSymBrush b(SSymColor(0xFFFFFF));
  canvas.GetBrush(b);
  return b;
}
SSymPen CurrentPen(const SSymCanvas& canvas) {
  SSymPen p(SSymPen::Solid, 0, SSymColor(0));
  canvas.GetPen(p);
  return p;
}
COLORREF Lighter(COLORREF c) { return SDrawGradient::GetMediumColor(c, 0xFFFFFF, 70, 100); }
// Restores the pen and brush a drawing changed.
struct PenBrushScope {
  SSymCanvas& canvas;
  SSymPen pen;
  SSymBrush brush;
  explicit PenBrushScope(SSymCanvas& c) : canvas(c), pen(CurrentPen(c)), brush(CurrentBrush(c)) {}
  ~PenBrushScope() {
    canvas.SetPen(pen);
    canvas.SetBrush(brush, 0);
  }
};
// Draws another shape of the library (what a temporary predefined symbol of
// that type would show).
void DrawShapeOfType(SSymCanvas& canvas, int type, const SSymRect& r) {
  if (SSymShape* s = SSymPictureManager::FindSymbolShape(type)) s->Draw(canvas, r, 0);
}
}  // namespace

SSymShapeXMLFile::SSymShapeXMLFile() { SetShapeType(80); }
void SSymShapeXMLFile::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeFile::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  const LONG W = ShapeW(r), H = ShapeH(r), row = H / 9;
  if (row <= 0) return;
  PenBrushScope scope(canvas);
  const SSymColor light(Lighter(CurrentPen(canvas).GetColor().GetColor()));
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, light));
  canvas.SetFontColor(light);
  SSymFont font;
  canvas.GetFont(font);
  const LONG left = r.x1 + W / 8, right = r.x2 - W / 4;
  // Five tag rows: "<", a body, ">".
  for (int i = 0; i < 5; ++i) {
    const LONG y = r.y1 - (2 + i) * row;
    const LONG indent = (i == 0 || i == 4) ? 0 : W / 10;
    canvas.DrawText(SSymRect(left + indent, y + row / 2, left + indent + row, y - row / 2), SString(u"<"), 0);
    canvas.Polyline(SSymListPt{{left + indent + row, y}, {right - row, y}}, 0);
    canvas.DrawText(SSymRect(right - row, y + row / 2, right, y - row / 2), SString(u">"), 0);
  }
  canvas.DrawText(SSymRect(left, r.y2 + 2 * row, r.x2 - W / 8, r.y2 + row / 2), SString(u"XML"), 0);
}

SSymShapeFlatFile::SSymShapeFlatFile() { SetShapeType(81); }
void SSymShapeFlatFile::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeFile::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  const LONG s = ShapeH(r) / 12, m = ShapeW(r) / 8;
  const SSymPen saved = CurrentPen(canvas);
  canvas.SetPen(SSymPen(SSymPen::Dot, 0, SSymColor(Lighter(saved.GetColor().GetColor()))));
  for (int i = 0; i < 8; ++i) {
    const LONG y = r.y1 - 3 * s - i * s;
    canvas.Line({r.x1 + m, y}, {r.x2 - m, y});
  }
  canvas.SetPen(saved);
}

SSymShapeDataAccApp::SSymShapeDataAccApp() { SetShapeType(82); }
void SSymShapeDataAccApp::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeRoundRect::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  PenBrushScope scope(canvas);
  SSymRect inner = r;
  inner.Inflate(-(ShapeW(r) / 8), -(ShapeH(r) / 8));
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0x808080)));
  canvas.SetBrush(SSymBrush(SSymColor(Lighter(scope.brush.m_color.GetColor()))), 0);
  canvas.Ellipse(inner);
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0xC0C0C0)));
  canvas.SetBrush(SSymBrush(SSymColor(0xFFFFFF)), 0);
  SSymRect store = inner;
  store.Inflate(-(ShapeW(inner) / 4), -(ShapeH(inner) / 5));
  DrawShapeOfType(canvas, 32, store);
}

SSymShapeCnctData::SSymShapeCnctData() {
  SetShapeType(83);
  SetDefaultWidth(6000);
  SetDefaultHeight(6000);
}
void SSymShapeCnctData::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  const SSymRect r = Norm(rect);
  {
    PenBrushScope scope(canvas);
    canvas.SetPen(SSymPen(scope.pen.GetStyle(), scope.pen.GetWidth(), SSymColor(0x808080)));
    canvas.SetBrush(SSymBrush(SSymColor(0xC0C0C0)), 0);
    SSymShapeDataStore::Draw(canvas, r, transparent);
  }
  const LONG W = ShapeW(r), H = ShapeH(r);
  const LONG ix = static_cast<LONG>(W / 2.3), iy = static_cast<LONG>(H / 2.3);
  SSymRect inner(r.x1 + ix, r.y1 - iy, r.x2 - ix, r.y2 + iy);
  inner.Normalize();
  const LONG cw = ShapeW(inner), ch = ShapeH(inner);
  if (cw < 3 || ch < 3) return;
  for (int row = -1; row <= 1; ++row)
    for (int col = -1; col <= 1; ++col) {
      SSymRect cell = inner;
      cell.OffsetRect(col * cw, row * ch);
      cell.Inflate(-(cw / 8), -(ch / 8));
      DrawShapeOfType(canvas, 33, cell);
    }
}

SSymShapeBussPrcs::SSymShapeBussPrcs() { SetShapeType(84); }
void SSymShapeBussPrcs::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  {
    PenBrushScope scope(canvas);
    SSymBrush fixed(3, 0, SSymColor(0xEAE5E1));
    canvas.SetBrush(fixed, 0);
    canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0x97908B)));
    canvas.Ellipse(r);
  }
  // A rounded rectangle inside, with a header and a footer line cut at its
  // rounded sides and a divider down the middle.
  SSymRect box = r;
  box.Inflate(-(ShapeW(r) / 5), -(ShapeH(r) / 5));
  const SSymSize corner(ShapeW(box) / 3, ShapeH(box) / 3);
  canvas.RoundRect(box, corner);
  const LONG yTop = box.y1 - ShapeH(box) / 4, yBottom = box.y2 + ShapeH(box) / 4, cx = (box.x1 + box.x2) / 2;
  SSymPoint l1(box.x1, yTop), r1(box.x2, yTop), l2(box.x1, yBottom), r2(box.x2, yBottom);
  IntersectsRoundRect(SSymSegment(cx, yTop, box.x1 - 1, yTop), box, &l1, corner);
  IntersectsRoundRect(SSymSegment(cx, yBottom, box.x2 + 1, yBottom), box, &r2, corner);
  canvas.Line(l1, r1);
  canvas.Line(l2, r2);
  canvas.Line({cx, yTop}, {cx, yBottom});
}

namespace {
// The shaded ellipse that the relocated and transferred processes carry.
void ShadedEllipse(SSymCanvas& canvas, const SSymRect& r, const SSymBrush& brush) {
  SSymRect e = r;
  e.Inflate(-(ShapeW(r) / 8), -(ShapeH(r) / 8));
  canvas.SetBrush(SSymBrush(SSymColor(Lighter(brush.m_color.GetColor()))), 0);
  canvas.Ellipse(e);
}
}  // namespace

SSymShapeRlctPrcs::SSymShapeRlctPrcs() { SetShapeType(85); }
void SSymShapeRlctPrcs::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  PenBrushScope scope(canvas);
  ShadedEllipse(canvas, r, scope.brush);
  canvas.SetBrush(SSymBrush(SSymColor(Lighter(scope.pen.GetColor().GetColor()))), 0);
  // An arrow pointing right.
  const LONG W = ShapeW(r), H = ShapeH(r), cx = (r.x1 + r.x2) / 2, cy = (r.y1 + r.y2) / 2;
  SSymListPt arrow{{cx - W / 8, cy + H / 16}, {cx + W / 16, cy + H / 16}, {cx + W / 16, cy + H / 8},
                   {cx + W / 6, cy}, {cx + W / 16, cy - H / 8}};
  canvas.BeginPath();
  canvas.Polyline(arrow, 0);
  canvas.CloseFigure();
  canvas.EndPath();
  canvas.FillPath(r);
}

SSymShapeTrsfPrcs::SSymShapeTrsfPrcs() { SetShapeType(86); }
void SSymShapeTrsfPrcs::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  PenBrushScope scope(canvas);
  ShadedEllipse(canvas, r, scope.brush);
  canvas.SetBrush(SSymBrush(SSymColor(Lighter(scope.pen.GetColor().GetColor()))), 0);
  SSymRect in = r;
  in.Inflate(-(ShapeW(r) / 4), -(ShapeH(r) / 4));
  const LONG W = ShapeW(r), H = ShapeH(r);
  const LONG e8 = H / 8, e16 = H / 16, w32 = W / 32;
  // Two bent arrows: one along the top turning down, one along the bottom
  // turning up.
  for (int k = 0; k < 2; ++k) {
    const int sgn = k == 0 ? 1 : -1;
    const LONG y = k == 0 ? in.y1 : in.y2, xa = k == 0 ? in.x1 : in.x2, xb = k == 0 ? in.x2 : in.x1;
    canvas.BeginPath();
    canvas.Polyline(SSymListPt{{xa, y}, {xb - sgn * e8, y}}, 0);
    canvas.Arc(SSymRect(xb - sgn * 2 * e8, y, xb, y - sgn * 2 * e8), {xb - sgn * e8, y}, {xb, y - sgn * e8});
    canvas.Polyline(SSymListPt{{xb, y - sgn * e8}, {xb + sgn * w32, y - sgn * e8}, {xb - sgn * e16, y - sgn * (e8 + e16)},
                               {xb - sgn * (e8 + w32), y - sgn * e8}, {xb - sgn * e16, y - sgn * e8},
                               {xb - sgn * e16, y - sgn * e16}, {xa, y - sgn * e16}},
                    0);
    canvas.CloseFigure();
    canvas.EndPath();
    canvas.FillPath(r);
  }
}

SSymShapeYourdon::SSymShapeYourdon() { SetShapeType(87); }
void SSymShapeYourdon::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.FillRect(r, CurrentBrush(canvas));
  canvas.Line({r.x1, r.y1}, {r.x2, r.y1});
  canvas.Line({r.x1, r.y2}, {r.x2, r.y2});
}

SSymShapeGane::SSymShapeGane() { SetShapeType(88); }
void SSymShapeGane::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeYourdon::Draw(canvas, rect, transparent);
  // The notation's store is open on the right and closed on the left: the
  // left side line, from the first corner down the left edge.
  const SSymRect r = Norm(rect);
  canvas.Line({r.x1, r.y1}, {r.x1, r.y2});
}

SSymShapeActor1::SSymShapeActor1() { SetIdentity(89, "", 0, 6000, 4800); }
void SSymShapeActor1::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  SSymRect r = Norm(rect);
  const LONG u = ShapeH(r) / 3;
  if (u <= 0) return;
  if (ShapeW(r) != 2 * u) {
    r.SetSize(2 * u, 3 * u);
    r.Normalize();
  }
  const LONG cx = (r.x1 + r.x2) / 2, cy = (r.y1 + r.y2) / 2, T = r.y1;
  canvas.Ellipse(SSymRect(cx - u / 2, T, cx + u / 2, T - u));
  canvas.Line({cx, T - u}, {cx, T - 2 * u});
  canvas.Line({r.x1, cy}, {r.x2, cy});
  canvas.Line({r.x1, r.y2}, {cx, T - 2 * u});
  canvas.Line({r.x2, r.y2}, {cx, T - 2 * u});
}

SSymShapeCompnt::SSymShapeCompnt() { SetShapeType(90); }
void SSymShapeCompnt::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  if (ShapeW(r) <= 1500 || ShapeH(r) <= 1500) return;
  const LONG R = r.x2, T = r.y1;
  canvas.Polyline(SSymListPt{{R - 1300, T - 480}, {R - 1300, T - 300}, {R - 300, T - 300}, {R - 300, T - 1300},
                             {R - 1300, T - 1300}, {R - 1300, T - 1120}},
                  0);
  canvas.Rectangle(SSymRect(R - 1600, T - 700, R - 1100, T - 480));
  canvas.Line({R - 1300, T - 700}, {R - 1300, T - 900});
  canvas.Rectangle(SSymRect(R - 1600, T - 1120, R - 1100, T - 900));
}
SSymRect SSymShapeCompnt::GetMargin(const SSymRect&) const { return SSymRect(300, 300, 1600, 300); }
int SSymShapeCompnt::AdjustRectToText(SSymRect& r) const {
  r.Normalize();
  r.x1 -= 300;
  r.x2 += 1600;
  r.y2 -= 300;
  r.y1 += 300;
  return 1;
}

namespace {
// The square of the smaller side, centred in the rectangle.
SSymRect CentredSquare(const SSymRect& rect) {
  SSymRect r = Norm(rect);
  const LONG side = std::min(ShapeW(r), ShapeH(r));
  if (ShapeW(r) != ShapeH(r)) ShapeResize(r, side, side);
  return r;
}
}  // namespace

SSymShapeEnd::SSymShapeEnd() { SetShapeType(91); }
void SSymShapeEnd::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymBrush saved = CurrentBrush(canvas);
  SSymRect r = CentredSquare(rect);
  if (canvas.m_nFlags != 0) {
    canvas.Ellipse(r);
    return;
  }
  const SSymPen savedPen = CurrentPen(canvas);
  canvas.SetBrush(SSymBrush(SSymColor(0xFFFFFF)), 0);
  canvas.Ellipse(r);
  r.Inflate(-300, -300);
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, saved.m_color));
  canvas.SetBrush(saved, 0);
  canvas.Ellipse(r);
  canvas.SetPen(savedPen);
}

SSymShapeFlowEnd::SSymShapeFlowEnd() { SetShapeType(92); }
void SSymShapeFlowEnd::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymBrush saved = CurrentBrush(canvas);
  const SSymRect r = CentredSquare(rect);
  if (canvas.m_nFlags != 0) {
    canvas.Ellipse(r);
    return;
  }
  const SSymPen savedPen = CurrentPen(canvas);
  canvas.SetBrush(SSymBrush(SSymColor(0xFFFFFF)), 0);
  canvas.Ellipse(r);
  const SSymPoint c = r.GetCenter();
  SSymPoint cut[4] = {{r.x1, r.y1}, {r.x2, r.y1}, {r.x2, r.y2}, {r.x1, r.y2}};
  for (auto& p : cut) {
    SSymPoint at = p;
    if (IntersectsEllipse(SSymSegment(c, p), r, &at)) p = at;
  }
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, saved.m_color));
  canvas.Line(cut[0], cut[2]);
  canvas.Line(cut[1], cut[3]);
  canvas.SetPen(savedPen);
  canvas.SetBrush(saved, 0);
}

namespace {
// The dome's ellipse box: the rectangle with its bottom moved down by its
// height (plus one), so the upper half stands on the rectangle's bottom.
SSymRect DomeBox(const SSymRect& rect) {
  SSymRect box = rect;
  box.y2 = std::min(rect.y1, rect.y2) - std::abs(rect.y1 - rect.y2) - 1;
  return box;
}
void DrawDome(SSymCanvas& canvas, const SSymRect& rect) {
  const SSymRect box = DomeBox(rect);
  const SSymRect r = Norm(rect);
  canvas.Pie(box, {r.x2, r.y2}, {r.x1, r.y2}, r);
}
}  // namespace

SSymShapePie::SSymShapePie() { SetIdentity(16, "", 0, 6000, 4800); }
void SSymShapePie::Draw(SSymCanvas& canvas, const SSymRect& rect, int) { DrawDome(canvas, Norm(rect)); }

SSymShapeInhrComp::SSymShapeInhrComp() { SetIdentity(93, "", 0, 6000, 4800); }
void SSymShapeInhrComp::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  SSymRect r = Norm(rect);
  DrawDome(canvas, r);
  const SSymRect box = Norm(DomeBox(r));
  const LONG H = std::abs(r.y1 - r.y2), h = 3 * (H + 1) / 5;
  if (std::abs(h - (H + 1)) != 1) ShapeResize(r, ShapeW(r), h);
  const LONG b = r.y2, cx = (r.x1 + r.x2) / 2;
  SSymPoint right(box.x2, b), left(box.x1, b);
  IntersectsEllipse(SSymSegment(cx, b, box.x2, b), box, &right);
  IntersectsEllipse(SSymSegment(cx, b, box.x1, b), box, &left);
  canvas.Line(left, right);
}

SSymShapeInhrIDEF::SSymShapeInhrIDEF() { SetIdentity(94, "", 0, 6000, 4800); }
void SSymShapeInhrIDEF::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  SSymRect circle(r.x1, r.y1, r.x2, r.y2 + 350);
  const LONG side = std::abs(r.y1 - r.y2) - 349;
  if (side > 0) {
    ShapeResize(circle, side, ShapeH(circle));
    canvas.Ellipse(circle);
  }
  canvas.Line({r.x2, r.y2 + 350}, {r.x1, r.y2 + 350});
}

SSymShapeInhrIDEFComp::SSymShapeInhrIDEFComp() { SetShapeType(95); }
void SSymShapeInhrIDEFComp::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeInhrIDEF::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  canvas.Line({r.x2, r.y2}, {r.x1, r.y2});
}

SSymShapeEnvelope::SSymShapeEnvelope() {
  SetIdentity(77, "{84EE356E-B3FC-400c-A3F2-C004C394B4BC}", 2951, 6000, 4800);
  if (GetDefaultWidth() >= 1) SetDefaultHeight(GetDefaultWidth() * 2 / 3);
}
void SSymShapeEnvelope::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  canvas.Polyline(SSymListPt{{r.x1, r.y1}, r.GetCenter(), {r.x2, r.y1}}, 0);
}

SSymShapeERType::SSymShapeERType() { SetIdentity(19, "{CB0800E0-00C1-4d72-8FF3-D5E933E00783}", 2953, 6000, 4800); }
LONG SSymShapeERType::PointDepth(const SSymRect& r) {
  return std::min(ShapeW(r) >> 2, ShapeH(r) >> 1);
}
void SSymShapeERType::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  const LONG h = ShapeH(r) >> 1, d = PointDepth(r);
  canvas.Rectangle(r);
  canvas.Polyline(SSymListPt{{r.x1 + d, r.y2}, {r.x1, r.y2 + h}, {r.x1 + d, r.y1}}, 0);
}
SSymRect SSymShapeERType::GetMargin(const SSymRect& rect) const { return SSymRect(PointDepth(Norm(rect)), 0, 0, 0); }
int SSymShapeERType::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), h = ShapeH(r) >> 1;
  const LONG S = W + h;
  const LONG w = (S >> 2) < h ? static_cast<LONG>(static_cast<long long>(W) * 4 / 3) : S;
  if (w - W == 1) return 1;
  r.Normalize();
  // The left edge takes the smaller half of the growth (half less one half,
  // truncated), the right edge the rest.
  r.x1 -= (w - W - 1) / 2;
  r.x2 = r.x1 + w - 1;
  return 1;
}

SSymShapeRType::SSymShapeRType() { SetIdentity(78, "{E71C8513-6CA8-4d56-B76D-67F7950EFC70}", 2952, 6000, 4800); }
void SSymShapeRType::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapeERType::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  const LONG h = ShapeH(r) >> 1, d = PointDepth(r);
  canvas.Polyline(SSymListPt{{r.x2 - d, r.y2}, {r.x2, r.y2 + h}, {r.x2 - d, r.y1}}, 0);
}
