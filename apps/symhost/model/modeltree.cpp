#include "apps/symhost/model/modeltree.h"

#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/hostpackagetree.h"

namespace {
constexpr DWORD kInk = RGB(0x2F, 0x55, 0x97);
constexpr LONG kTitleH = 1500, kTitleGap = 600;

void Style(ISSymbol* node, DWORD fill) {
  auto* box = dynamic_cast<SHostBox*>(SSymBase::FromInterface(node));
  if (!box) return;
  box->SetPen(SSymPen(SSymPen::Solid, 20, SSymColor(kInk)), 0);
  box->SetBrush(SSymBrush(SSymColor(fill)), 0);
}
}  // namespace

void SAddModelTree(SHostDiagram& diagram, ISRepObject* model, LONG x, LONG y, std::vector<ISSymbol*>& made) {
  SHostModelDiagram* view = diagram.Model();
  if (!view || !model) return;
  SRepObject* sales = SHostAddPackage(model, SString(u"Sales"));
  SHostAddPackage(sales, SString(u"Quotes"));
  SHostAddPackage(sales, SString(u"Returns"));
  SRepObject* billing = SHostAddPackage(model, SString(u"Billing"));
  SHostAddPackage(billing, SString(u"Payments"));

  SHostBox* title = diagram.AddCaption(SSymRect(x, y, x + 14400, y - kTitleH), SString(u"Package hierarchy"),
                                       SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0x120);
  made.push_back(title->Sym());
  // The root shows the model; completing it makes a node for every package
  // below, level by level, and lays each level out below its parent.
  ISSymbol* root = view->AttachObject(model, SSymPoint(0, 0), 1);
  SComWrap<ISSymTree> tree(root);
  if (tree.IsNull()) return;
  tree->Complete(1, 1);
  tree->LayoutChildrenSym(1);
  SSymFormat branch;
  branch.m_pen = SSymPen(SSymPen::Solid, 30, SSymColor(kInk));
  tree->SetBranchFormat(branch, 1);
  Style(root, RGB(0xDD, 0xEB, 0xF7));
  SComTable<ISSymbol> nodes;
  tree->GetAllChildren(nodes, 1, 0);
  for (int i = 0; i < nodes.GetCount(); ++i) Style(nodes.GetAt(i), RGB(0xFC, 0xE4, 0xD6));
  // "Billing" collapsed: its box shows a plus and its child is hidden.
  for (int i = 0; i < nodes.GetCount(); ++i) {
    SComWrap<ISSymObject> shows(nodes.GetAt(i));
    SComOut<ISRepObject> object;
    if (shows.IsNull() || shows->GetModelObject(&object) != S_OK || object.Get() != static_cast<ISRepObject*>(billing))
      continue;
    SComWrap<ISSymTree>(nodes.GetAt(i))->Expand(0, 1);
  }
  // The whole tree moves under the title, its left edge at x.
  const SSymRect all = tree->GetChildrenRect();
  root->MoveBy(SSymSize(x - all.GetMinX(), y - kTitleH - kTitleGap - all.GetMaxY()), 0);
  // An invisible frame keeps the children, which the root draws, inside the
  // picture.
  SSymRect frame = tree->GetChildrenRect();
  frame.Inflate(600, 600);
  SHostBox* keep = diagram.AddBox(frame);
  keep->SetPen(SSymPen(SSymPen::NoLine, 0, SSymColor(0)), 0);
  keep->SetTransparent(1);
  keep->SetShadowStyle(0, 0);
  made.push_back(keep->Sym());
  diagram.Track(root);
  made.push_back(root);
}
