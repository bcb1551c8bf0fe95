// The row of polygons and polylines on the sample sheet: filled and
// transparent polygons with straight and Bezier outlines, and polylines
// carrying their three labels. The symbols are made through the library's
// class functions and set up through their interfaces only.
#include "apps/symhost/samplelines.h"

#include "kvrep/srepintf.h"
#include "sym/foundation/symlistpt.h"
#include "sym/symbol/symintfformat.h"

namespace {
constexpr LONG kCellW = 10800, kCellH = 5400, kGapX = 1800;
constexpr LONG kRowTitleH = 2100, kTitleGap = 300, kRowGap = 1500;
constexpr DWORD kLineInk = RGB(0x2F, 0x55, 0x97);

// The points of a figure given in a cell's own coordinates (origin at the
// cell's top-left corner, y downward in tenths of the cell), moved into the
// cell at (x, top).
SSymListPt InCell(LONG x, LONG top, std::initializer_list<std::pair<int, int>> tenths) {
  SSymListPt pts;
  for (const auto& [tx, ty] : tenths) pts.Add(SSymPoint(x + kCellW * tx / 10, top - kCellH * ty / 10));
  return pts;
}

void SetText(ISSymbol* sym, LONG id, const char16_t* text) {
  SComWrap<ISRepObject, &IID_ISRepObject> obj(sym);
  if (obj.IsNull()) return;
  SRepVariant v;
  v.SetTEXT(SString(text));
  obj->SetAttribute(id, v);
}

ISSymbol* AddLine(SHostDiagram& diagram, REFCLSID clsid, const SSymListPt& pts, LONG style) {
  ISSymbol* sym = diagram.AddSymbol(clsid, pts.GetBoundRect());
  if (!sym) return nullptr;
  SComWrap<ISSymPen> pen(sym);
  if (!pen.IsNull()) pen->SetPen(SSymPen(SSymPen::Solid, 30, SSymColor(kLineInk)), 0);
  SComWrap<ISSymLine> line(sym);
  if (!line.IsNull()) line->SetLineStyle(style, 0);
  SComWrap<ISSymPolyline> poly(sym);
  if (!poly.IsNull()) poly->SetListPt(pts, 0, 0);
  return sym;
}

ISSymbol* AddPolygon(SHostDiagram& diagram, const SSymListPt& pts, LONG style, DWORD fill, bool transparent) {
  ISSymbol* sym = AddLine(diagram, CLSID_SSymPolygon, pts, style);
  SComWrap<ISSymBrush> brush(sym);
  if (brush.IsNull()) return sym;
  const SSymBrush b{SSymColor(fill)};
  brush->SetBrush(b, 0);
  if (transparent) brush->SetFillMode(1);
  return sym;
}

ISSymbol* AddPolyline(SHostDiagram& diagram, const SSymListPt& pts, LONG style, const char16_t* centre,
                      const char16_t* source, const char16_t* destination) {
  ISSymbol* sym = AddLine(diagram, CLSID_SSymPolyline, pts, style);
  if (!sym) return nullptr;
  SComWrap<ISSymFont> font(sym);
  if (!font.IsNull()) {
    font->SetFont(SSymFont(SString(u"Arial"), 8), 0);
    font->SetFontColor(SSymColor(RGB(0x20, 0x20, 0x20)), 0);
  }
  SetText(sym, SymAttr::CtrText, centre);
  SetText(sym, SymAttr::SrcText, source);
  SetText(sym, SymAttr::DstText, destination);
  return sym;
}
}  // namespace

std::vector<ISSymbol*> SBuildLineRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  SHostBox* title = diagram.AddBox(SSymRect(0, top0, 8 * kCellW + 7 * kGapX, top0 - kRowTitleH));
  title->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  title->SetTransparent(1);
  title->SetShadowStyle(0, 0);
  title->SetText(SString(u"Polygons and polylines with their labels"), 0);
  title->SetFont(SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0);
  title->SetFontColor(SSymColor(RGB(0x1F, 0x3A, 0x5F)), 0);
  title->SetTextStyle(0x120, 0);
  const LONG top = top0 - kRowTitleH - kTitleGap;
  auto cell = [&](int i) { return i * (kCellW + kGapX); };
  auto keep = [&](ISSymbol* s) {
    if (s) made.push_back(s);
  };
  // Filled polygons: straight corners, then the same outline as a closed
  // Bezier curve; then a transparent one.
  keep(AddPolygon(diagram, InCell(cell(0), top, {{1, 2}, {5, 0}, {9, 3}, {8, 9}, {2, 10}}), 0,
                  RGB(0xDD, 0xEB, 0xF7), false));
  keep(AddPolygon(diagram, InCell(cell(1), top, {{1, 2}, {5, 0}, {9, 3}, {8, 9}, {2, 10}}), 3,
                  RGB(0xFC, 0xE4, 0xD6), false));
  keep(AddPolygon(diagram, InCell(cell(2), top, {{0, 5}, {3, 0}, {10, 2}, {7, 10}}), 0, RGB(0xE2, 0xF0, 0xD9),
                  true));
  // Polylines with a centre, a source and a destination label.
  keep(AddPolyline(diagram, InCell(cell(3), top, {{0, 8}, {5, 2}, {10, 8}}), 0, u"centre", u"source",
                   u"destination"));
  keep(AddPolyline(diagram, InCell(cell(4), top, {{0, 5}, {10, 5}}), 0, u"flat line", u"from", u"to"));
  keep(AddPolyline(diagram, InCell(cell(5), top, {{0, 9}, {3, 1}, {7, 9}, {10, 1}}), 3, u"Bezier", u"start",
                   u"end"));
  ISSymbol* arrowed = AddPolyline(diagram, InCell(cell(6), top, {{0, 1}, {4, 1}, {4, 9}, {10, 9}}), 0,
                                  u"three segments", u"a", u"b");
  // An arrowhead at the destination end.
  if (SComWrap<ISSymPolyline> poly(arrowed); !poly.IsNull()) poly->SetArrow(8, 0, 0);
  keep(arrowed);
  return made;
}
