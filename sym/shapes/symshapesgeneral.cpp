// The general and flowchart shapes: identity, outline, margins and growth to
// a text for each.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "kvcore/sdrawbackground.h"
#include "sym/shapes/symshape.h"
#include "sym/shapes/symshapemap.h"
#include "sym/symbol/symsolid.h"

namespace {
LONG Trunc(double v) { return static_cast<LONG>(v); }
SSymRect Norm(const SSymRect& rect) {
  SSymRect r = rect;
  r.Normalize();
  return r;
}
void Close(SSymListPt& pts) { pts.Add(pts.GetAt(0)); }
SSymRect Insets(LONG l, LONG t, LONG r, LONG b) { return SSymRect(l, t, r, b); }
// The base hit test of the primitive-drawn shapes for an outline test f:
// not transparent, inside the outline grown by 72; transparent, between
// the outline grown and shrunk by 300.
template <class F>
int OutlineHit(const SSymRect& r, int* part, int transparent, F inside) {
  bool hit;
  if (!transparent) {
    SSymRect g = r;
    g.Inflate(72, 72);
    hit = inside(g);
  } else {
    SSymRect g = r, s = r;
    g.Inflate(300, 300);
    s.Inflate(-300, -300);
    hit = inside(g) && !inside(s);
  }
  if (hit && part) *part = -1;
  return hit ? 1 : 0;
}
}  // namespace

// ---- rectangle, ellipse, rounded rectangle, oval ----
SSymShapeRectangle::SSymShapeRectangle() {
  SetIdentity(3, "{600858ED-983F-42dc-9228-DB7014108060}", 2707, 6000, 4800);
}
void SSymShapeRectangle::Draw(SSymCanvas& canvas, const SSymRect& rect, int) { canvas.Rectangle(rect); }

SSymShapeEllipse::SSymShapeEllipse() { SetIdentity(5, "{812BFC65-CDD7-4edc-ACB7-FD819A4A14A5}", 2708, 6000, 4800); }
void SSymShapeEllipse::Draw(SSymCanvas& canvas, const SSymRect& rect, int) { canvas.Ellipse(rect); }
int SSymShapeEllipse::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                  int transparent) const {
  if (IsPtInHandle(canvas, rect, pt.x, pt.y, part)) return 1;
  return OutlineHit(Norm(rect), part, transparent, [&](const SSymRect& e) { return IsPtInEllipse(pt, e); });
}
int SSymShapeEllipse::GetIntersection(int*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  return IntersectsEllipse(seg, Norm(rect), at) ? 1 : 0;
}
SSymRect SSymShapeEllipse::GetMargin(const SSymRect& rect) const {
  const LONG hw = ShapeW(rect) / 2, hh = ShapeH(rect) / 2;
  if (std::abs(hw - hh) >= 20) return Insets(Trunc(0.25 * hw), Trunc(0.25 * hh), Trunc(0.25 * hw), Trunc(0.25 * hh));
  return Insets(100, 100, 100, 100);
}
int SSymShapeEllipse::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), H = ShapeH(r);
  if (std::abs((r.x2 - r.x1) - (r.y1 - r.y2)) >= 40)
    ShapeResize(r, Trunc(W / 0.75), Trunc(H / 0.75));
  else
    ShapeResize(r, W + 100, W + 100);
  return 1;
}

SSymShapeRoundRect::SSymShapeRoundRect() {
  SetIdentity(4, "{CACC6BAC-5B54-47c3-9F61-320EC28ADFA3}", 2713, 6000, 4800);
}
void SSymShapeRoundRect::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  canvas.RoundRect(rect, SSymSize(-1, -1));
}
int SSymShapeRoundRect::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                    int transparent) const {
  if (IsPtInHandle(canvas, rect, pt.x, pt.y, part)) return 1;
  return OutlineHit(Norm(rect), part, transparent,
                    [&](const SSymRect& e) { return IsPtInRoundRect(pt, e, SSymSize(0, 0)); });
}
int SSymShapeRoundRect::GetIntersection(int*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  return IntersectsRoundRect(seg, Norm(rect), at, SSymSize(0, 0)) ? 1 : 0;
}
SSymRect SSymShapeRoundRect::GetMargin(const SSymRect& rect) const {
  const LONG m = std::min(ShapeW(rect), ShapeH(rect)) / 16;
  return Insets(m, 0, m, 0);
}
int SSymShapeRoundRect::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), H = ShapeH(r);
  ShapeResize(r, W + 2 * (std::min(W, H) / 15), H);
  return 1;
}

SSymShapeOvale::SSymShapeOvale() { SetIdentity(20, "{86CF8200-80B7-44a2-B39A-DA43ED2182D2}", 2900, 6000, 4000); }
void SSymShapeOvale::Draw(SSymCanvas& canvas, const SSymRect& rect, int) { canvas.Oval(rect); }
int SSymShapeOvale::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                int transparent) const {
  if (IsPtInHandle(canvas, rect, pt.x, pt.y, part)) return 1;
  const LONG H = ShapeH(Norm(rect));
  return OutlineHit(Norm(rect), part, transparent,
                    [&](const SSymRect& e) { return IsPtInRoundRect(pt, e, SSymSize(Trunc(0.75 * H), H)); });
}
int SSymShapeOvale::GetIntersection(int*, const SSymRect& rect, const SSymSegment& seg, SSymPoint* at) const {
  const LONG H = ShapeH(Norm(rect));
  if (H < 70) return 0;
  return IntersectsRoundRect(seg, Norm(rect), at, SSymSize(Trunc(0.75 * H), H - 60)) ? 1 : 0;
}
SSymRect SSymShapeOvale::GetMargin(const SSymRect& rect) const {
  const LONG hw = ShapeW(rect) / 2, hh = ShapeH(rect) / 2, c = Trunc(0.75 * hh);
  if (hw <= c) return Insets(Trunc(0.25 * hw), Trunc(0.25 * hh), Trunc(0.25 * hw), Trunc(0.25 * hh));
  if (hw > 2 * hh) return Insets(c, 0, c, 0);
  const double t = static_cast<double>(hw - c) / static_cast<double>(2 * hh - c);
  const LONG lr = Trunc(0.25 * hw + t * (c - 0.25 * hw)), tb = Trunc(0.25 * hh * (1 - t));
  return Insets(lr, tb, lr, tb);
}
int SSymShapeOvale::AdjustRectToText(SSymRect& r) const {
  const SSymRect text = Norm(r);
  const LONG W = ShapeW(text), H = ShapeH(text);
  // Wider than the oval's own 3:2 proportion: grow by twice the insets, then
  // give back a tenth of the insets a step while the text still fits with
  // room to spare on both sides.
  if (static_cast<long long>(W) * 2 > static_cast<long long>(H) * 3) {
    SSymRect m = GetMargin(text);
    SSymRect g = text;
    g.x1 -= 2 * m.x1;
    g.x2 += 2 * m.x2;
    g.y1 += 2 * m.y1 + 150;
    g.y2 -= 2 * m.y2 + 150;
    for (int guard = 0; guard < 100; ++guard) {
      m = GetMargin(g);
      const LONG step = std::max<LONG>(std::max(m.x1, m.y1) / 10, 150);
      const LONG spareX = (ShapeW(g) - m.x1 - m.x2) - W, spareY = (ShapeH(g) - m.y1 - m.y2) - H;
      if (spareX <= 2 * 74 + 2 * step || spareY <= 2 * 74) break;
      g.x1 += step;
      g.x2 -= step;
    }
    r = g;
  } else {
    ShapeResize(r, W + W / 2, H + H / 2);
  }
  return 1;
}

// ---- polygon shapes ----
#define KV_NO_GROWTH(Name) \
  int Name::AdjustRectToText(SSymRect&) const { return 0; }
#define KV_PLAIN_DRAW(Name) \
  void Name::Draw(SSymCanvas& canvas, const SSymRect& rect, int t) { SSymShapePolygon::Draw(canvas, rect, t); }

SSymShapeTriangle1::SSymShapeTriangle1() {
  SetIdentity(21, "{FED0224A-C1E7-4df6-9921-9C42CC108C85}", 2901, 6000, 4800);
}
int SSymShapeTriangle1::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({(r.x1 + r.x2) >> 1, r.y1});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeTriangle1::GetMargin(const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  return Insets(((r.x2 - r.x1) >> 2) + 300, (r.y1 - r.y2) >> 1, ((r.x2 - r.x1) >> 2) + 300, 150);
}
KV_NO_GROWTH(SSymShapeTriangle1)
KV_PLAIN_DRAW(SSymShapeTriangle1)

SSymShapeTriangle2::SSymShapeTriangle2() {
  SetIdentity(22, "{BDDF06F7-2272-42cb-A4CE-1112219501BA}", 2902, 6000, 4800);
}
int SSymShapeTriangle2::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1, r.y1});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeTriangle2::GetMargin(const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  return Insets(300, (r.y1 - r.y2) >> 1, ((r.x2 - r.x1) >> 1) + 300, 150);
}
KV_NO_GROWTH(SSymShapeTriangle2)
KV_PLAIN_DRAW(SSymShapeTriangle2)

SSymShapeParallelogram::SSymShapeParallelogram() {
  SetIdentity(23, "{0D9ACD9A-DA28-4696-A285-79C658E902C9}", 2903, 7200, 4000);
}
int SSymShapeParallelogram::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG d = ShapeW(r) >> 2;
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1 + d, r.y1});
  p.Add({r.x2, r.y1});
  p.Add({r.x2 - d, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeParallelogram::GetMargin(const SSymRect& rect) const {
  const LONG d = ShapeW(rect) >> 2;
  return Insets(d, 150, d, 150);
}
KV_NO_GROWTH(SSymShapeParallelogram)
KV_PLAIN_DRAW(SSymShapeParallelogram)

SSymShapeTrapezoid::SSymShapeTrapezoid() {
  SetIdentity(24, "{C39EC9C7-C320-4a21-AEA6-8BEF4859F961}", 2904, 7200, 4000);
}
int SSymShapeTrapezoid::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG d = ShapeW(r) >> 2;
  p.RemoveAll();
  p.Add({r.x1, r.y1});
  p.Add({r.x2, r.y1});
  p.Add({r.x2 - d, r.y2});
  p.Add({r.x1 + d, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeTrapezoid::GetMargin(const SSymRect& rect) const {
  const LONG d = ShapeW(rect) >> 2;
  return Insets(d, 150, d, 150);
}
KV_NO_GROWTH(SSymShapeTrapezoid)
KV_PLAIN_DRAW(SSymShapeTrapezoid)

SSymShapeDiamond::SSymShapeDiamond() { SetIdentity(25, "{EBD33877-F890-452d-AC70-AA6BB5E0BE8B}", 2905, 6000, 4800); }
int SSymShapeDiamond::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG cx = (r.x1 + r.x2) / 2, cy = (r.y1 + r.y2) / 2;
  p.RemoveAll();
  p.Add({r.x1, cy});
  p.Add({cx, r.y1});
  p.Add({r.x2, cy});
  p.Add({cx, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeDiamond::GetMargin(const SSymRect& rect) const {
  const LONG W = ShapeW(rect), H = ShapeH(rect);
  const LONG tb = std::max<LONG>(H / 4, 600);
  return Insets(W / 6, tb, W / 6, tb);
}
int SSymShapeDiamond::AdjustRectToText(SSymRect& r) const {
  const LONG H = ShapeH(r);
  ShapeResize(r, (std::abs(r.x2 - r.x1) * 3 + 3) / 2, H + 2 * std::max<LONG>(H / 2, 600));
  return 1;
}
KV_PLAIN_DRAW(SSymShapeDiamond)

namespace {
// The pentagon's side inset s and shoulder drop d.
void PentagonUnits(const SSymRect& r, LONG& s, LONG& d) {
  const LONG W = ShapeW(r), H = ShapeH(r);
  s = (W - Trunc(W / 1.62)) >> 1;
  d = Trunc(Trunc(H / 1.54) * 0.59);
}
}  // namespace

SSymShapePentagon::SSymShapePentagon() {
  SetIdentity(26, "{540438B1-6411-43da-BC96-1DF556918FA2}", 2906, 6000, 4800);
}
int SSymShapePentagon::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  LONG s, d;
  PentagonUnits(r, s, d);
  p.RemoveAll();
  p.Add({r.x1 + s, r.y2});
  p.Add({r.x1, r.y1 - d});
  p.Add({r.x1 + ShapeW(r) / 2, r.y1});
  p.Add({r.x2, r.y1 - d});
  p.Add({r.x2 - s, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapePentagon::GetMargin(const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  LONG s, d;
  PentagonUnits(r, s, d);
  const long long W = ShapeW(r);
  // The product reaches past 32 bits for shapes near 100,000 units.
  const long long top = static_cast<long long>(d) * (W / 2 - s) * 2 / W;
  return Insets(s, static_cast<LONG>(top), s, 600);
}
KV_NO_GROWTH(SSymShapePentagon)
KV_PLAIN_DRAW(SSymShapePentagon)

SSymShapeHexagon::SSymShapeHexagon() { SetIdentity(27, "{E02D25A9-4138-442a-836A-C49D36EA9FE3}", 2907, 7200, 4000); }
int SSymShapeHexagon::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG q = ShapeW(r) >> 2, m = r.y2 + (ShapeH(r) >> 1);
  p.RemoveAll();
  p.Add({r.x1, m});
  p.Add({r.x1 + q, r.y1});
  p.Add({r.x2 - q, r.y1});
  p.Add({r.x2, m});
  p.Add({r.x2 - q, r.y2});
  p.Add({r.x1 + q, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeHexagon::GetMargin(const SSymRect& rect) const {
  const LONG W = ShapeW(rect), H = ShapeH(rect);
  return Insets((W >> 3) + 300, H >> 2, (W >> 3) + 300, H >> 2);
}
KV_NO_GROWTH(SSymShapeHexagon)
KV_PLAIN_DRAW(SSymShapeHexagon)

SSymShapeOctagon::SSymShapeOctagon() { SetIdentity(28, "{5F487F5A-6C75-4b28-BD96-4598AFA1D008}", 2908, 6000, 4800); }
int SSymShapeOctagon::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG m = std::min(ShapeW(r), ShapeH(r));
  const LONG k = (m - Trunc(m / 2.41)) >> 1;
  p.RemoveAll();
  p.Add({r.x1, r.y2 + k});
  p.Add({r.x1, r.y1 - k});
  p.Add({r.x1 + k, r.y1});
  p.Add({r.x2 - k, r.y1});
  p.Add({r.x2, r.y1 - k});
  p.Add({r.x2, r.y2 + k});
  p.Add({r.x2 - k, r.y2});
  p.Add({r.x1 + k, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeOctagon::GetMargin(const SSymRect& rect) const {
  const LONG m = std::min(ShapeW(rect), ShapeH(rect));
  const LONG j = (m - Trunc(m / 2.41)) >> 2;
  return Insets(j + 300, j, j + 300, j);
}
KV_NO_GROWTH(SSymShapeOctagon)
KV_PLAIN_DRAW(SSymShapeOctagon)

namespace {
SSymPoint Cross(const SSymPoint& a, const SSymPoint& b, const SSymPoint& c, const SSymPoint& d) {
  SSymPoint out = a;
  Intersects(SSymSegment(a, b), SSymSegment(c, d), &out);
  return out;
}
// The star's corners and inner points in drawing order.
void Star5Points(const SSymRect& r, SSymPoint out[10], LONG& d) {
  LONG s;
  PentagonUnits(r, s, d);
  const SSymPoint A{r.x1 + s, r.y2}, B{r.x1, r.y1 - d}, C{r.x1 + ShapeW(r) / 2, r.y1}, D{r.x2, r.y1 - d},
      E{r.x2 - s, r.y2};
  out[0] = A;
  out[1] = Cross(A, C, B, E);
  out[2] = B;
  out[3] = Cross(B, D, C, A);
  out[4] = C;
  out[5] = Cross(C, E, D, B);
  out[6] = D;
  out[7] = Cross(D, A, E, C);
  out[8] = E;
  out[9] = Cross(E, B, A, D);
}
}  // namespace

SSymShapeStar5::SSymShapeStar5() { SetIdentity(29, "{B0DC8C9A-6D01-4f2e-888A-ED40F196CA95}", 2909, 6000, 6000, 1); }
int SSymShapeStar5::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  SSymPoint pts[10];
  LONG d;
  Star5Points(Norm(rect), pts, d);
  p.RemoveAll();
  for (const auto& q : pts) p.Add(q);
  Close(p);
  return 1;
}
SSymRect SSymShapeStar5::GetMargin(const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  SSymPoint pts[10];
  LONG d;
  Star5Points(r, pts, d);
  return Insets(pts[1].x - r.x1 + 300, d + 150, pts[1].x - r.x1 + 300, pts[9].y - r.y2);
}
KV_NO_GROWTH(SSymShapeStar5)
KV_PLAIN_DRAW(SSymShapeStar5)

SSymShapeStar6::SSymShapeStar6() { SetIdentity(30, "{AE4F5DD1-74F8-4e01-AE73-816DFDA3E581}", 2910, 6000, 6000, 1); }
int SSymShapeStar6::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG W = ShapeW(r), H = ShapeH(r), w3 = W / 3, w6 = W / 6, q = H >> 2, cx = r.x1 + W / 2;
  p.RemoveAll();
  for (SSymPoint pt : {SSymPoint(cx, r.y2), SSymPoint(r.x1 + w3, r.y2 + q), SSymPoint(r.x1, r.y2 + q),
                       SSymPoint(r.x1 + w6, r.y2 + H / 2), SSymPoint(r.x1, r.y1 - q), SSymPoint(r.x1 + w3, r.y1 - q),
                       SSymPoint(cx, r.y1), SSymPoint(r.x2 - w3, r.y1 - q), SSymPoint(r.x2, r.y1 - q),
                       SSymPoint(r.x2 - w6, r.y2 + H / 2), SSymPoint(r.x2, r.y2 + q), SSymPoint(r.x2 - w3, r.y2 + q)})
    p.Add(pt);
  Close(p);
  return 1;
}
SSymRect SSymShapeStar6::GetMargin(const SSymRect& rect) const {
  const LONG W = ShapeW(rect), H = ShapeH(rect);
  return Insets(W / 6 + 300, H >> 2, W / 6 + 300, (H >> 2) + 150);
}
KV_NO_GROWTH(SSymShapeStar6)
KV_PLAIN_DRAW(SSymShapeStar6)

SSymShapeManualInput::SSymShapeManualInput() {
  SetIdentity(44, "{391D7CCE-9869-4741-8F10-BC0B63033C51}", 2924, 7200, 4000);
}
int SSymShapeManualInput::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1, r.y1 - (ShapeH(r) >> 2)});
  p.Add({r.x2, r.y1});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeManualInput::GetMargin(const SSymRect& rect) const {
  return Insets(300, ShapeH(rect) >> 2, 300, 150);
}
KV_NO_GROWTH(SSymShapeManualInput)
KV_PLAIN_DRAW(SSymShapeManualInput)

SSymShapeCard::SSymShapeCard() { SetIdentity(45, "{1520B4CD-7C6F-4d4c-85A6-A341CE8A7CFF}", 2925, 7200, 4000); }
int SSymShapeCard::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1, r.y1 - (ShapeH(r) >> 2)});
  p.Add({r.x1 + (ShapeW(r) >> 2), r.y1});
  p.Add({r.x2, r.y1});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeCard::GetMargin(const SSymRect& rect) const { return Insets(300, ShapeH(rect) >> 2, 300, 150); }
KV_NO_GROWTH(SSymShapeCard)
KV_PLAIN_DRAW(SSymShapeCard)

SSymShapeConnector::SSymShapeConnector() {
  SetIdentity(52, "{8A82FCD8-1177-43b1-BA27-1E98502DC0C5}", 2932, 3000, 4800);
}
int SSymShapeConnector::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG cx = r.x1 + (ShapeW(r) >> 1), q = ShapeH(r) >> 2;
  p.RemoveAll();
  p.Add({cx, r.y2});
  p.Add({r.x1, r.y2 + q});
  p.Add({r.x1, r.y1});
  p.Add({r.x2, r.y1});
  p.Add({r.x2, r.y2 + q});
  Close(p);
  return 1;
}
SSymRect SSymShapeConnector::GetMargin(const SSymRect& rect) const { return Insets(300, 150, 300, ShapeH(rect) >> 2); }
KV_NO_GROWTH(SSymShapeConnector)
KV_PLAIN_DRAW(SSymShapeConnector)

namespace {
LONG FolderTab(const SSymRect& r) {
  LONG t = ShapeH(r) / 6;
  if (2 * t > (ShapeW(r) >> 1)) t = ShapeW(r) >> 3;
  return t;
}
}  // namespace

SSymShapeFolder::SSymShapeFolder() { SetIdentity(37, "{19801F30-C5B5-461d-9216-238443038E2D}", 2917, 6000, 4800); }
int SSymShapeFolder::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG t = FolderTab(r), half = ShapeW(r) >> 1;
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1, r.y1 - t});
  p.Add({r.x1 + t, r.y1});
  p.Add({r.x1 + half - t, r.y1});
  p.Add({r.x1 + half, r.y1 - t});
  p.Add({r.x2, r.y1 - t});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeFolder::GetMargin(const SSymRect& rect) const { return Insets(0, 0, 0, FolderTab(Norm(rect))); }
void SSymShapeFolder::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapePolygon::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  const LONG t = FolderTab(r);
  canvas.Line({r.x1, r.y1 - t}, {r.x1 + (ShapeW(r) >> 1), r.y1 - t});
}
KV_NO_GROWTH(SSymShapeFolder)

namespace {
LONG FileCorner(const SSymRect& r) { return std::min(ShapeW(r) / 6, ShapeH(r) / 6); }
}  // namespace

SSymShapeFile::SSymShapeFile() { SetIdentity(38, "{D3365B00-9B05-46a3-899B-E20D7BA6D0C6}", 2918, 4800, 6000); }
int SSymShapeFile::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG c = FileCorner(r);
  p.RemoveAll();
  p.Add({r.x1, r.y2});
  p.Add({r.x1, r.y1});
  p.Add({r.x2 - c, r.y1});
  p.Add({r.x2, r.y1 - c});
  p.Add({r.x2, r.y2});
  Close(p);
  return 1;
}
SSymRect SSymShapeFile::GetMargin(const SSymRect& rect) const { return Insets(300, 150, FileCorner(Norm(rect)), 150); }
void SSymShapeFile::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  SSymShapePolygon::Draw(canvas, rect, transparent);
  const SSymRect r = Norm(rect);
  const LONG c = FileCorner(r);
  canvas.Line({r.x2 - c, r.y1}, {r.x2 - c, r.y1 - c});
  canvas.Line({r.x2 - c, r.y1 - c}, {r.x2, r.y1 - c});
}
KV_NO_GROWTH(SSymShapeFile)

SSymShapeMultiRect::SSymShapeMultiRect() {
  SetIdentity(66, "{4DBD9D95-6C58-4aae-ABC7-D0232362627F}", 2946, 6000, 4800);
}
int SSymShapeMultiRect::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG e = std::min(ShapeW(r), ShapeH(r)) / 8;
  p.RemoveAll();
  for (SSymPoint pt : {SSymPoint(r.x1, r.y2), SSymPoint(r.x1, r.y1 - e), SSymPoint(r.x1 + e, r.y1 - e),
                       SSymPoint(r.x1 + e, r.y1), SSymPoint(r.x2, r.y1), SSymPoint(r.x2, r.y2 + e),
                       SSymPoint(r.x2 - e, r.y2 + e), SSymPoint(r.x2 - e, r.y2)})
    p.Add(pt);
  Close(p);
  return 1;
}
SSymRect SSymShapeMultiRect::GetMargin(const SSymRect& rect) const {
  const LONG e = std::min(ShapeW(rect), ShapeH(rect)) / 8;
  return Insets(300, 150, e + 300, e + 150);
}
void SSymShapeMultiRect::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  const LONG e = std::min(ShapeW(r), ShapeH(r)) / 8;
  canvas.Rectangle(SSymRect(r.x1 + e, r.y1, r.x2, r.y2 + e));
  canvas.Rectangle(SSymRect(r.x1, r.y1 - e, r.x2 - e, r.y2));
}
int SSymShapeMultiRect::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), H = ShapeH(r), e = std::min(W, H) / 7;
  ShapeResize(r, W + e + 600, H + e + 300);
  return 1;
}

SSymShapeProcessArrow::SSymShapeProcessArrow() {
  SetIdentity(76, "{CB5FCC88-BFEB-4d57-9FFF-4DE0E4D58DDF}", 2950, 7200, 4000);
}
int SSymShapeProcessArrow::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG hh = ShapeH(r) >> 1, a = std::min(hh, ShapeW(r) >> 2);
  p.RemoveAll();
  for (SSymPoint pt : {SSymPoint(r.x1, r.y2), SSymPoint(r.x2 - a, r.y2), SSymPoint(r.x2, r.y2 + hh),
                       SSymPoint(r.x2 - a, r.y1), SSymPoint(r.x1, r.y1), SSymPoint(r.x1 + a, r.y2 + hh)})
    p.Add(pt);
  Close(p);
  return 1;
}
SSymRect SSymShapeProcessArrow::GetMargin(const SSymRect& rect) const {
  const LONG a = std::min(ShapeW(rect) >> 2, ShapeH(rect) >> 1);
  return Insets(a, 150, a >> 1, 150);
}
int SSymShapeProcessArrow::AdjustRectToText(SSymRect& rect) const {
  SSymRect r = Norm(rect);
  r.y1 += 150;
  r.y2 -= 150;
  const LONG hh = ShapeH(r) / 2, a = std::min<LONG>((std::abs(r.x2 - r.x1) + hh + 1) >> 2, hh);
  r.x1 -= a;
  r.x2 += a / 2;
  rect = r;
  return 1;
}
KV_PLAIN_DRAW(SSymShapeProcessArrow)

// ---- 3D rectangle and cube ----
SSymShape3DRectangle::SSymShape3DRectangle() {
  SetIdentity(34, "{13F9FF38-A4D1-4e06-9ABB-47150CF9D317}", 2914, 6000, 4800);
}
int SSymShape3DRectangle::GetDepth(const SSymRect& rect) const {
  const int divisor = GetDepthDivisor() > 0 ? GetDepthDivisor() : 1;
  LONG d = std::min(ShapeW(rect), ShapeH(rect)) / divisor;
  if (GetLargestDepth() > 0) d = std::min<LONG>(d, GetLargestDepth());
  if (GetSmallestDepth() > 0) d = std::max<LONG>(d, GetSmallestDepth());
  return d;
}
int SSymShape3DRectangle::GetPolygon(const SSymRect& rect, SSymListPt& p) const {
  const SSymRect r = Norm(rect);
  const LONG d = GetDepth(r);
  p.RemoveAll();
  for (SSymPoint pt : {SSymPoint(r.x1, r.y2), SSymPoint(r.x1, r.y1 - d + 1), SSymPoint(r.x1 + d, r.y1),
                       SSymPoint(r.x2, r.y1), SSymPoint(r.x2, r.y2 + d), SSymPoint(r.x2 - d + 1, r.y2)})
    p.Add(pt);
  Close(p);
  return 1;
}
SSymRect SSymShape3DRectangle::GetMargin(const SSymRect& rect) const {
  const LONG d = GetDepth(Norm(rect));
  return Insets(0, 0, d, d);
}
namespace {
COLORREF Shade(COLORREF c, int step) {
  auto ch = [&](int shift) { return std::max(0, static_cast<int>((c >> shift) & 0xFF) - step); };
  return static_cast<COLORREF>(ch(0) | (ch(8) << 8) | (ch(16) << 16));
}
}  // namespace
void SSymShape3DRectangle::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  const SSymRect r = Norm(rect);
  const LONG d = GetDepth(r);
  SSymPen savedPen;
  const int hadPen = canvas.GetPen(savedPen);
  SSymBrush savedBrush;
  const int hadBrush = canvas.GetBrush(savedBrush);
  canvas.SetPen(SSymPen(savedPen.GetStyle(), savedPen.GetWidth(), savedPen.GetColor()));
  SSymBrush face(SSymColor(0xFFFFFF));
  if (!transparent && hadBrush && savedBrush.m_style == SSymBrush::Solid) face = savedBrush;
  const COLORREF base = face.m_color.GetColor();
  // The top face, then the right face, each a shade darker than the front.
  SSymListPt top{{r.x1, r.y1 - d + 1}, {r.x1 + d, r.y1}, {r.x2, r.y1}, {r.x2 - d + 1, r.y1 - d + 1}};
  Close(top);
  SSymListPt right{{r.x2 - d + 1, r.y1 - d + 1}, {r.x2, r.y1}, {r.x2, r.y2 + d}, {r.x2 - d + 1, r.y2}};
  Close(right);
  if (transparent) {
    canvas.Polyline(top, 0);
    canvas.Polyline(right, 0);
  } else {
    canvas.SetBrush(SSymBrush(SSymColor(Shade(base, 20))), 0);
    canvas.Polygon(top);
    canvas.SetBrush(SSymBrush(SSymColor(Shade(base, 40))), 0);
    canvas.Polygon(right);
    canvas.SetBrush(face, 0);
  }
  canvas.Rectangle(SSymRect(r.x1, r.y1 - d + 1, r.x2 - d + 1, r.y2));
  canvas.Line({r.x2 - d + 1, r.y1 - d + 1}, {r.x2, r.y1});
  if (hadPen) canvas.SetPen(savedPen);
  if (hadBrush) canvas.SetBrush(savedBrush, 0);
}
void SSymShape3DRectangle::DrawShadow(SSymCanvas& canvas, const SSymRect& rect, int) {
  SSymListPt p;
  if (GetPolygon(rect, p)) canvas.Polygon(p);
}
int SSymShape3DRectangle::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), H = ShapeH(r);
  const int divisor = GetDepthDivisor() - 1 > 0 ? GetDepthDivisor() - 1 : 1;
  LONG d = std::min(W, H) / divisor;
  if (GetLargestDepth() > 0) d = std::min<LONG>(d, GetLargestDepth());
  ShapeResize(r, W + d, H + d);
  return 1;
}

SSymShapeCube::SSymShapeCube() {
  SetIdentity(33, "{A7C3965F-D57F-4c0d-9C8F-FA72C4E64B35}", 2913, 6000, 6000);
  m_nDivisor = 5;
  m_nLargest = 0;
}
SSymRect SSymShapeCube::GetMargin(const SSymRect& rect) const {
  const LONG edge = SSymGet3DCubeEdge(Norm(rect));
  return Insets(0, 0, edge, edge + 150);
}
int SSymShapeCube::AdjustRectToText(SSymRect& r) const {
  const LONG W = ShapeW(r), H = ShapeH(r), q = std::min(W, H) / 4;
  ShapeResize(r, W + q, H + q);
  return 1;
}

// ---- rectangles with inner lines ----
SSymShapePredefinedProcess::SSymShapePredefinedProcess() {
  SetIdentity(39, "{E3A31275-64DA-4fef-BA03-3A7196C35895}", 2919, 7200, 4000);
}
void SSymShapePredefinedProcess::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  const LONG e = ShapeW(r) >> 3;
  canvas.Line({r.x1 + e, r.y1}, {r.x1 + e, r.y2});
  canvas.Line({r.x2 - e, r.y1}, {r.x2 - e, r.y2});
}
SSymRect SSymShapePredefinedProcess::GetMargin(const SSymRect& rect) const {
  const LONG e = (ShapeW(rect) >> 3) + 300;
  return Insets(e, 150, e, 150);
}

SSymShapeInternalStorage::SSymShapeInternalStorage() {
  SetIdentity(40, "{53029A09-C90D-4582-93A4-BD00828939C8}", 2920, 7200, 4000);
}
void SSymShapeInternalStorage::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  canvas.Rectangle(r);
  canvas.Line({r.x1 + (ShapeW(r) >> 3), r.y1}, {r.x1 + (ShapeW(r) >> 3), r.y2});
  canvas.Line({r.x1, r.y1 - (ShapeH(r) >> 3)}, {r.x2, r.y1 - (ShapeH(r) >> 3)});
}
SSymRect SSymShapeInternalStorage::GetMargin(const SSymRect& rect) const {
  return Insets((ShapeW(rect) >> 3) + 300, (ShapeH(rect) >> 3) + 150, 300, 150);
}

// ---- path shapes ----
SSymShapeDocument::SSymShapeDocument() {
  SetIdentity(41, "{40A0A819-CA42-4901-A2D7-2D4768C8199C}", 2921, 7200, 4000);
}
int SSymShapeDocument::BuildPath(SSymCanvas& canvas, const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  const LONG t = ShapeH(r) / 10, q = ShapeW(r) / 4;
  SSymListPt p{{r.x2, r.y2 + 2 * t}, {r.x2, r.y2 + 2 * t}, {r.x2, r.y1},         {r.x2, r.y1},
               {r.x1, r.y1},         {r.x1, r.y1},         {r.x1, r.y2 + t},     {r.x1, r.y2 + t},
               {r.x1 + q, r.y2},     {r.x1 + 3 * q, r.y2 + 3 * t}, {r.x2, r.y2 + 2 * t}};
  if (!canvas.BeginPath()) return 0;
  canvas.PolyBezier(p, 0, 0);
  canvas.CloseFigure();
  return canvas.EndPath();
}
SSymRect SSymShapeDocument::GetMargin(const SSymRect& rect) const { return Insets(0, ShapeH(rect) / 5, 0, 0); }
int SSymShapeDocument::AdjustRectToText(SSymRect& r) const {
  ShapeResize(r, ShapeW(r), (std::abs(r.y1 - r.y2) * 5 + 5) / 4);
  return 1;
}

SSymShapeMultiDocument::SSymShapeMultiDocument() {
  SetIdentity(42, "{4DBD9D94-6C58-4aae-ABC7-D0232362627F}", 2922, 7200, 4800);
}
void SSymShapeMultiDocument::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  const SSymRect r = Norm(rect);
  const LONG s = std::min(ShapeW(r), ShapeH(r)) / 10;
  canvas.Rectangle(SSymRect(r.x1 + 2 * s, r.y1, r.x2, r.y2 + 2 * s));
  canvas.Rectangle(SSymRect(r.x1 + s, r.y1 - s, r.x2 - s, r.y2 + s));
  const SSymRect front(r.x1, r.y1 - 2 * s, r.x2 - 2 * s, r.y2);
  if (!SSymShapeDocument::BuildPath(canvas, front)) return;
  if (transparent)
    canvas.StrokePath();
  else
    canvas.StrokeAndFillPath(front);
}
int SSymShapeMultiDocument::BuildPath(SSymCanvas& canvas, const SSymRect& rect) const {
  // The silhouette of the three pages.
  const SSymRect r = Norm(rect);
  const LONG s = std::min(ShapeW(r), ShapeH(r)) / 10;
  SSymListPt p{{r.x1, r.y2},         {r.x1, r.y1 - 2 * s}, {r.x1 + s, r.y1 - 2 * s}, {r.x1 + s, r.y1 - s},
               {r.x1 + 2 * s, r.y1 - s}, {r.x1 + 2 * s, r.y1}, {r.x2, r.y1},         {r.x2, r.y2 + 2 * s},
               {r.x2 - s, r.y2 + 2 * s}, {r.x2 - s, r.y2 + s}, {r.x2 - 2 * s, r.y2 + s}, {r.x2 - 2 * s, r.y2}};
  if (!canvas.BeginPath()) return 0;
  canvas.Polygon(p);
  return canvas.EndPath();
}
SSymRect SSymShapeMultiDocument::GetMargin(const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  const LONG m = std::min(ShapeW(r), ShapeH(r)) / 5;
  return Insets(300, m + 150, m + 300, (std::abs(r.y1 - r.y2) - m + 1) / 5);
}

namespace {
// Points of the half of the ellipse of box e from angle a0 to a1 (radians).
void AddArc(SSymListPt& p, const SSymRect& e, double a0, double a1, int steps = 16) {
  const double cx = (e.x1 + e.x2) / 2.0, cy = (e.y1 + e.y2) / 2.0;
  const double rx = std::abs(e.x2 - e.x1) / 2.0, ry = std::abs(e.y1 - e.y2) / 2.0;
  for (int i = 0; i <= steps; ++i) {
    const double a = a0 + (a1 - a0) * i / steps;
    p.Add({static_cast<LONG>(std::lround(cx + rx * std::cos(a))), static_cast<LONG>(std::lround(cy + ry * std::sin(a)))});
  }
}
constexpr double kPi = 3.14159265358979323846;
}  // namespace

SSymShapeDataStore::SSymShapeDataStore() {
  SetIdentity(32, "{7F45AF8D-C38F-4e2d-ABB9-7B8F26DB8D04}", 2912, 6000, 6000);
}
void SSymShapeDataStore::Draw(SSymCanvas& canvas, const SSymRect& rect, int transparent) {
  const SSymRect r = Norm(rect);
  const LONG e = ShapeH(r) / 8;
  // The body with the lower half of the bottom ellipse, then the whole top
  // ellipse over it.
  SSymListPt body;
  AddArc(body, SSymRect(r.x1, r.y1, r.x2, r.y1 - 2 * e), kPi, 0);
  AddArc(body, SSymRect(r.x1, r.y2 + 2 * e, r.x2, r.y2), 0, -kPi);
  Close(body);
  if (transparent)
    canvas.Polyline(body, 0);
  else
    canvas.Polygon(body);
  canvas.Ellipse(SSymRect(r.x1, r.y1, r.x2, r.y1 - 2 * e));
}
int SSymShapeDataStore::BuildPath(SSymCanvas& canvas, const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  const LONG e = ShapeH(r) / 8;
  SSymListPt p;
  AddArc(p, SSymRect(r.x1, r.y1, r.x2, r.y1 - 2 * e), kPi, 0);
  AddArc(p, SSymRect(r.x1, r.y2 + 2 * e, r.x2, r.y2), 0, -kPi);
  if (!canvas.BeginPath()) return 0;
  canvas.Polygon(p);
  return canvas.EndPath();
}
int SSymShapeDataStore::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                    int) const {
  if (IsPtInHandle(canvas, rect, pt.x, pt.y, part)) return 1;
  const SSymRect r = Norm(rect);
  const LONG e = ShapeH(r) / 8;
  const bool hit = SSymRect(r.x1, r.y1 - e, r.x2, r.y2 + e).PtInRect(pt) ||
                   IsPtInEllipse(pt, SSymRect(r.x1, r.y1, r.x2, r.y1 - 2 * e)) ||
                   IsPtInEllipse(pt, SSymRect(r.x1, r.y2 + 2 * e, r.x2, r.y2));
  if (hit && part) *part = -1;
  return hit ? 1 : 0;
}
SSymRect SSymShapeDataStore::GetMargin(const SSymRect& rect) const {
  const LONG e = ShapeH(rect) / 8;
  return Insets(300, e, 300, 2 * e);
}
int SSymShapeDataStore::AdjustRectToText(SSymRect& rect) const {
  SSymRect r = Norm(rect);
  const LONG H = ShapeH(r);
  r.x1 -= 300;
  r.x2 += 300;
  r.y1 += 2 * (H / 5);
  r.y2 -= H / 5;
  rect = r;
  return 1;
}

SSymShapeActor::SSymShapeActor() { SetIdentity(35, "{46FD450A-E22D-4795-859F-1F7E9FFDEDFB}", 2915, 1920, 4800, 1); }
int SSymShapeActor::BuildPath(SSymCanvas& canvas, const SSymRect& rect) const {
  SSymRect r = Norm(rect);
  const LONG H = ShapeH(r), u = H / 5;
  if (ShapeW(r) != 2 * u) r.SetSize(2 * u, H);
  r.Normalize();
  const LONG rad = (u - u / 24) / 2, cx = (r.x1 + r.x2) / 2, t = u / 6 > 0 ? u / 6 : 1;
  if (!canvas.BeginPath()) return 0;
  canvas.Ellipse(SSymRect(cx - rad, r.y1, cx + rad, r.y1 - 2 * rad));
  // Neck, arms, body and legs as one outline in units of a fifth.
  const LONG neck = r.y1 - 2 * rad, arms = r.y1 - u - u / 4, hip = r.y2 + 2 * u;
  SSymListPt body{{cx - t, neck}, {cx + t, neck}, {cx + t, arms + t}, {r.x2, arms + t}, {r.x2, arms - t},
                  {cx + t, arms - t}, {cx + t, hip}, {r.x2, r.y2}, {r.x2 - 2 * t, r.y2}, {cx, hip - 2 * t},
                  {r.x1 + 2 * t, r.y2}, {r.x1, r.y2}, {cx - t, hip}, {cx - t, arms - t}, {r.x1, arms - t},
                  {r.x1, arms + t}, {cx - t, arms + t}};
  canvas.Polygon(body);
  return canvas.EndPath();
}

SSymShapeActress::SSymShapeActress() {
  SetIdentity(36, "{54E925B7-9DB5-4627-9B35-39BC61185FA7}", 2916, 2560, 4800, 1);
}
int SSymShapeActress::BuildPath(SSymCanvas& canvas, const SSymRect& rect) const {
  const SSymRect r = Norm(rect);
  const LONG H = ShapeH(r), u = H / 5, rad = (u - u / 24) / 2, cx = (r.x1 + r.x2) / 2, t = u / 6 > 0 ? u / 6 : 1;
  if (!canvas.BeginPath()) return 0;
  canvas.Ellipse(SSymRect(cx - rad, r.y1, cx + rad, r.y1 - 2 * rad));
  const LONG neck = r.y1 - 2 * rad, arms = r.y1 - u - u / 4, hem = r.y2 + u;
  // A dress widening to the hem, the arms out to the sides, two legs.
  SSymListPt body{{cx - t, neck}, {cx + t, neck}, {cx + t, arms + t}, {r.x2, arms + t}, {r.x2, arms - t},
                  {cx + 2 * t, arms - t}, {r.x2 - t, hem}, {cx + 2 * t, hem}, {cx + 2 * t, r.y2}, {cx + t, r.y2},
                  {cx + t, hem}, {cx - t, hem}, {cx - t, r.y2}, {cx - 2 * t, r.y2}, {cx - 2 * t, hem}, {r.x1 + t, hem},
                  {cx - 2 * t, arms - t}, {r.x1, arms - t}, {r.x1, arms + t}, {cx - t, arms + t}};
  canvas.Polygon(body);
  return canvas.EndPath();
}

// ---- analysis shapes ----
int SSymShapeAnalysis::IsPtInShape(const SSymCanvas& canvas, const SSymRect& rect, const SSymPoint& pt, int* part,
                                   int transparent) const {
  const SSymRect e = GetEllipseRect(Norm(rect));
  if (SSymShape* ellipse = SSymPictureManager::FindSymbolShape(5))
    return ellipse->IsPtInShape(canvas, e, pt, part, transparent);
  return SSymShape::IsPtInShape(canvas, e, pt, part, transparent);
}
int SSymShapeAnalysis::GetIntersection(SSymCanvas* canvas, const SSymRect& rect, const SSymSegment& seg,
                                       SSymPoint* at) const {
  const SSymRect e = GetEllipseRect(Norm(rect));
  if (SSymShape* ellipse = SSymPictureManager::FindSymbolShape(5)) return ellipse->GetIntersection(canvas, e, seg, at);
  return SSymShape::GetIntersection(canvas, e, seg, at);
}
int SSymShapeAnalysis::GetIntersection(int* canAnswer, const SSymRect& rect, const SSymSegment& seg,
                                       SSymPoint* at) const {
  const SSymRect e = GetEllipseRect(Norm(rect));
  if (SSymShape* ellipse = SSymPictureManager::FindSymbolShape(5))
    return ellipse->GetIntersection(canAnswer, e, seg, at);
  return SSymShape::GetIntersection(canAnswer, e, seg, at);
}

SSymShapeBoundaryObject::SSymShapeBoundaryObject() {
  SetIdentity(67, "{F484BE66-5979-4526-B648-DE124B8F20FC}", 2947, 4000, 3200, 1);
}
SSymRect SSymShapeBoundaryObject::GetEllipseRect(const SSymRect& r) const {
  return SSymRect(r.x1 + ShapeW(r) / 5, r.y1, r.x2, r.y2);
}
void SSymShapeBoundaryObject::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  const LONG f = ShapeW(r) / 5, s = ShapeH(r) / 6, cy = (r.y1 + r.y2) / 2;
  canvas.Line({r.x1, cy}, {r.x1 + f, cy});
  canvas.Line({r.x1, r.y1 - s}, {r.x1, r.y2 + s});
  canvas.Ellipse(GetEllipseRect(r));
}

SSymShapeEntityObject::SSymShapeEntityObject() {
  SetIdentity(68, "{ECCCABA7-4934-4f10-BDB9-883F5122D1CA}", 2948, 3200, 3200, 1);
}
SSymRect SSymShapeEntityObject::GetEllipseRect(const SSymRect& r) const { return r; }
void SSymShapeEntityObject::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  const LONG s = ShapeH(r) / 6;
  canvas.Ellipse(r);
  canvas.Line({r.x1 + s, r.y2}, {r.x2 - s, r.y2});
}

SSymShapeControlObject::SSymShapeControlObject() {
  SetIdentity(69, "{2EAD1D30-079F-43e8-BAE6-3418F8CF89B0}", 2949, 3200, 3500, 1);
}
SSymRect SSymShapeControlObject::GetEllipseRect(const SSymRect& r) const {
  const LONG b = static_cast<LONG>(static_cast<long long>(ShapeH(r)) * 300 / 3500);
  return SSymRect(r.x1, r.y1 - b, r.x2, r.y2);
}
void SSymShapeControlObject::Draw(SSymCanvas& canvas, const SSymRect& rect, int) {
  const SSymRect r = Norm(rect);
  const SSymRect e = GetEllipseRect(r);
  const LONG a = static_cast<LONG>(static_cast<long long>(ShapeW(r)) * 800 / 3200);
  const LONG b = r.y1 - e.y1 > 0 ? r.y1 - e.y1 : 1;
  canvas.Ellipse(e);
  // The arrowhead sits on the ellipse's top, where the vertical through the
  // centre leaves it.
  const LONG cx = (r.x1 + r.x2) / 2;
  SSymPoint top(cx, e.y1);
  IntersectsEllipse(SSymSegment(cx, (e.y1 + e.y2) / 2, cx, r.y1 + 1), e, &top);
  SSymListPt head{{top.x + a / 2, top.y + b}, {top.x - a / 2, top.y}, {top.x + a / 2, top.y - b}};
  canvas.Polyline(head, 0);
}
