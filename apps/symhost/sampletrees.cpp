// The trees and format previews row of the sample sheet. Each tree is a
// package of a sample model shown as a node of the host's package tree; its
// three sub-packages are its children, whose branch line is placed beside it
// from the diagram's tree orientation. Showing packages, the nodes get the
// library's whole tree drawing: the expand box, the branch line, a
// connector to each child, the children. A second tree has its branch
// dragged toward the parent past the minimum distance (the line stops there
// and the children follow) and a third is collapsed, which hides its
// children and its line and leaves a plus in its expand box. The format
// previews show a demonstration rectangle with stacked sample texts and a
// demonstration polyline with its three labels.
#include "apps/symhost/sampletrees.h"

#include "apps/symhost/model/hostpackagetree.h"
#include "sym/shapes/symdemo.h"

namespace {
constexpr LONG kRowW = 8 * 10800 + 7 * 1800;
constexpr LONG kRowTitleH = 2100, kTitleGap = 300, kRowGap = 1500, kRowH = 6000;
constexpr DWORD kInk = RGB(0x2F, 0x55, 0x97);

SHostBox* Label(SHostDiagram& diagram, const SSymRect& r, const char16_t* text, int size, LONG style) {
  SHostBox* b = diagram.AddBox(r);
  b->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  b->SetTransparent(1);
  b->SetShadowStyle(0, 0);
  b->SetText(SString(text), 0);
  b->SetFont(SSymFont(SString(u"Arial"), size, size > 9 ? SSymFont::Bold : 0), 0);
  b->SetFontColor(SSymColor(RGB(0x1F, 0x3A, 0x5F)), 0);
  b->SetTextStyle(style, 0);
  return b;
}

void Styled(SSymStd& s, DWORD fill) {
  s.SetPen(SSymPen(SSymPen::Solid, 20, SSymColor(kInk)), 0);
  if (auto* solid = dynamic_cast<SSymSolid*>(&s)) solid->SetBrush(SSymBrush(SSymColor(fill)), 0);
  s.m_shadowStyle = 0;
}

// A node of the package `package` on rect, styled with `fill` (counted for
// the caller), or null.
SHostPackageTree* Node(SHostDiagram& diagram, ISRepObject* package, const SSymRect& rect, DWORD fill) {
  SHostPackageTree* node = SHostNewPackageTree(diagram.Session(), package, rect.GetCenter());
  if (!node) return nullptr;
  node->PutRect(rect);
  Styled(*node, fill);
  node->SetFont(SSymFont(SString(u"Arial"), 8, 0), 0);
  return node;
}

// A tree of the package `name` (made in `model`) with its parent at
// (x, top) and three sub-packages as children to its right; null when the
// model refuses the packages.
SHostPackageTree* Tree(SHostDiagram& diagram, ISRepObject* model, const char16_t* name, LONG x, LONG top) {
  SRepObject* package = SHostAddPackage(model, SString(name));
  SHostPackageTree* parent =
      package ? Node(diagram, package, SSymRect(x, top - 1800, x + 6000, top - 4200), RGB(0xDD, 0xEB, 0xF7)) : nullptr;
  if (!parent) return nullptr;
  diagram.Adopt(parent->Sym());
  const char16_t* names[] = {u"first", u"second", u"third"};
  for (int i = 0; i < 3; ++i) {
    const LONG y = top - i * 2200;
    SRepObject* sub = SHostAddPackage(package, SString(names[i]));
    SHostPackageTree* child =
        sub ? Node(diagram, sub, SSymRect(x + 9600, y, x + 15600, y - 1600), RGB(0xFC, 0xE4, 0xD6)) : nullptr;
    if (!child) continue;
    parent->Tree().Add(child->Sym());
    child->Release();  // the tree keeps it
  }
  if (ISSymbol* line = parent->Tree().GetBranchLine()) {
    SComWrap<ISSymPen> pen(line);
    if (!pen.IsNull()) pen->SetPen(SSymPen(SSymPen::Solid, 40, SSymColor(kInk)), 0);
  }
  if (SComWrap<ISRepObject, &IID_ISRepObject> line(parent->Tree().GetBranchLine()); !line.IsNull())
    line->SetAttribute(SymAttr::Distance, SRepVariant::Long(2500));
  parent->Tree().UpdateTreeLine();
  return parent;
}
}  // namespace

std::vector<ISSymbol*> SBuildTreeRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  Label(diagram, SSymRect(0, top0, kRowW, top0 - kRowTitleH), u"Trees (branch beside the parent; dragged to the nearest distance; collapsed) and format previews", 11, 0x120);
  const LONG top = top0 - kRowTitleH - kTitleGap;
  // An empty frame keeps the whole row inside the sheet: the children and
  // lines are drawn by their trees, not by the sheet.
  SHostBox* frame = Label(diagram, SSymRect(0, top, kRowW, top - kRowH), u"", 8, 0x120);
  made.push_back(frame->Sym());

  // The trees show packages of a model of their own (the session keeps it).
  SHostPackage* model = SHostNewModel(diagram.Session(), SString(u"Trees"));
  if (model) {
    ISRepObject* m = static_cast<ISRepObjectBase*>(model);
    if (SHostPackageTree* open = Tree(diagram, m, u"parent", 0, top)) made.push_back(open->Sym());
    // Dragged 3000 toward the parent from 2500 away: stops at the minimum
    // distance, and the children come 1500 nearer with it.
    if (SHostPackageTree* dragged = Tree(diagram, m, u"dragged", 19800, top)) {
      if (ISSymbol* line = dragged->Tree().GetBranchLine()) line->MoveBy(SSymSize(-3000, 0), 0);
      made.push_back(dragged->Sym());
    }
    if (SHostPackageTree* closed = Tree(diagram, m, u"collapsed", 39600, top)) {
      closed->Tree().Show(0, 1, 0);
      made.push_back(closed->Sym());
    }
    model->Release();
  }
  // The format previews.
  auto* rect = new SSymDemoRect(SSymRect(61200, top, 74400, top - kRowH), diagram.Session());
  rect->AddRef();
  Styled(*rect, RGB(0xFF, 0xFF, 0xFF));
  rect->SetNbText(3);
  const char16_t* samples[] = {u"Sample text", u"Second sample", u"Third sample"};
  for (int i = 0; i < 3; ++i) rect->GetSubText(i)->_SetText(SString(samples[i]));
  rect->GetSubText(1)->_SetFontColor(SSymColor(RGB(0xC0, 0x39, 0x2B)));
  diagram.Adopt(rect->Sym());
  made.push_back(rect->Sym());

  SSymListPt pts{SSymPoint(78000, top - 1200), SSymPoint(84000, top - 4800), SSymPoint(91800, top - 1800)};
  auto* poly = new SSymDemoPoly(pts, diagram.Session());
  poly->AddRef();
  poly->SetPen(SSymPen(SSymPen::Solid, 30, SSymColor(kInk)), 0);
  poly->m_shadowStyle = 0;
  poly->SetNbText(3);
  diagram.Adopt(poly->Sym());
  made.push_back(poly->Sym());
  return made;
}
