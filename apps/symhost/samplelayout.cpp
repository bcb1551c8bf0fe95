// The automatic layout row of the sample sheet. Seven numbered boxes of
// different sizes are made scattered over the row and handed to the model
// diagram as the symbols to lay out, among all the diagram holds. The
// diagram chooses the layout: without the external engine it is its own,
// which puts unlinked symbols in a row, in the order given, one spacing
// below the symbols that stay.
#include "apps/symhost/samplelayout.h"

#include <algorithm>
#include <string>

#include "sym/layout/symautolayout.h"

namespace {
constexpr LONG kRowW = 8 * 10800 + 7 * 1800;
constexpr LONG kRowTitleH = 2100, kTitleGap = 300, kRowGap = 1500;
constexpr DWORD kInk = RGB(0x2F, 0x55, 0x97);
constexpr DWORD kHeading = RGB(0x1F, 0x3A, 0x5F);
const SString kArial(u"Arial");

// The scattered boxes: left, offset below the row's top, width, height.
struct Scatter {
  LONG x, below, w, h;
};
constexpr Scatter kBoxes[] = {
    {0, 0, 6000, 2400},        {52000, 5200, 4800, 3000}, {21000, 9000, 7200, 2000}, {80000, 1500, 5000, 2600},
    {36000, 2500, 6000, 3000}, {9000, 7000, 4200, 2000},  {66000, 8200, 6600, 2400},
};
}  // namespace

std::vector<ISSymbol*> SBuildLayoutRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  SHostBox* title = diagram.AddCaption(SSymRect(0, top0, kRowW, top0 - kRowTitleH),
                                       SString(u"Automatic layout: seven boxes made scattered, placed by the "
                                               u"diagram's own layout in a row below the rest"),
                                       SSymFont(kArial, 11, SSymFont::Bold), 0x120);
  title->SetFontColor(SSymColor(kHeading), 0);
  made.push_back(title->Sym());
  const LONG top = top0 - kRowTitleH - kTitleGap;

  SComTable<ISSymbol> boxes;
  int number = 0;
  for (const Scatter& s : kBoxes) {
    SHostBox* b = diagram.AddBox(SSymRect(s.x, top - s.below, s.x + s.w, top - s.below - s.h), SHostBox::RoundRect);
    b->SetPen(SSymPen(SSymPen::Solid, 20, SSymColor(kInk)), 0);
    b->SetBrush(SSymBrush(SSymColor(RGB(0xE2, 0xEF, 0xDA))), 0);
    b->SetShadowStyle(0, 0);
    b->SetText(SString(std::to_string(++number).c_str()), 0);
    b->SetFont(SSymFont(kArial, 10, SSymFont::Bold), 0);
    boxes.Add(b->Sym());
    made.push_back(b->Sym());
  }
  ISSymDiagram* model = diagram.Model()->Diagram();
  SSymAutoLayoutParam param(model, &boxes);
  param.LoadDefaultOptions();
  model->AutoLayout(param);
  // The layout centres what it places on the origin; the row's left edge
  // goes back under its title, where the sheet begins.
  LONG left = 0;
  for (int i = 0; i < boxes.GetCount(); ++i) {
    const LONG x = boxes.GetAt(i)->GetClipRect(0, 0).GetMinX();
    left = i == 0 ? x : std::min(left, x);
  }
  for (int i = 0; i < boxes.GetCount(); ++i) boxes.GetAt(i)->MoveBy(SSymSize(-left, 0), 0);
  return made;
}
