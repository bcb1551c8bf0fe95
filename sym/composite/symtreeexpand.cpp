// Expanding and collapsing a tree: the hit test of the expand box, the click
// that toggles it, and the showing and hiding of the children. Hiding keeps
// the symbols and their places; expanding a tree that has no child symbols
// yet creates them from the model.
#include "kvrep/srepsession.h"
#include "sym/composite/symtreeimpl.h"
#include "sym/composite/symtreeutil.h"
#include "sym/symbol/symintflink.h"

using namespace SSymTreeUtil;

int SSymTreeImpl::InExpendZone(const SSymPoint& point) {
  const SSymRect box = GetExpandBox();
  return point.x >= box.GetMinX() && point.x <= box.GetMaxX() && point.y >= box.GetMinY() && point.y <= box.GetMaxY()
             ? 1
             : 0;
}

int SSymTreeImpl::DoAction(const SSymPoint& point) {
  if (!InExpendZone(point)) return 0;
  if (HasChildren()) {
    SRepCreateContext step(m_symbol.Obj(), 1, 1, 0);
    Expand(0, 1);
  } else {
    Expand(1, 1);
  }
  return 1;
}

HRESULT SSymTreeImpl::Expand(int show, int recursive) {
  RepObjWrap model = ModelOf(m_symbol.Sym());
  if (model.IsNull() || model->IsShortcut()) return S_FALSE;
  SComOut<ISRepSession> session;
  if (model->GetSession(&session) != S_OK || !session) return S_FALSE;
  SRepCreateContext step(session.Get(), 1, 1, 0);
  SComTable<ISSymbol> listed;
  GetAllChildren(listed, recursive, 0);
  if (listed.GetCount() == 0) {
    Complete(1, 1);
    return S_OK;
  }
  for (int i = 0; i < listed.GetCount(); ++i) listed.GetAt(i)->Show(show);
  // Showing a symbol does not show its links: those whose two ends are
  // visible again come back with it.
  if (show)
    for (int i = 0; i < listed.GetCount(); ++i) ShowLinksBetweenVisible(listed.GetAt(i));
  return S_OK;
}

int SSymTreeImpl::IsExpand(int recursive) {
  TreeDepth depth;
  if (!depth.ok) return 1;
  SComTable<ISSymbol> listed;
  GetAllChildren(listed, recursive, 0);
  for (int i = 0; i < listed.GetCount(); ++i) {
    ISSymbol* child = listed.GetAt(i);
    if (child->IsHidden()) return 0;
    if (!recursive) continue;
    SComWrap<ISSymTree> sub(child);
    if (!sub.IsNull() && !sub->IsExpand(recursive)) return 0;
  }
  return 1;
}

void SSymTreeImpl::ShowLinksBetweenVisible(ISSymbol* symbol) {
  SComWrap<ISSymLinkable> linkable(symbol);
  if (linkable.IsNull()) return;
  // A copy: showing a link may change the table.
  SComBag<ISSymLink> links(linkable->GetLinks());
  for (int i = 0; i < links.GetCount(); ++i) {
    ISSymLink* link = links.GetAt(i);
    SComOut<ISSymbol> a, b;
    link->GetAttachSym(0, &a);
    link->GetAttachSym(1, &b);
    if (!a || !b || a->IsHidden() || b->IsHidden()) continue;
    SComWrap<ISSymbol> linkSym(link);
    if (!linkSym.IsNull()) linkSym->Show(1);
  }
}

HRESULT SSymTreeImpl::Show(int show, int recursive, int quiet) {
  TreeDepth depth;
  if (!depth.ok) return E_UNEXPECTED;
  ISSymbol* self = m_symbol.Sym();
  if (!quiet) self->Redraw(nullptr);
  for (const auto& child : ChildrenOf(this)) {
    if (!quiet) {
      child->Show(show);
      if (show) ShowLinksBetweenVisible(child.Get());
    }
    if (recursive) {
      SComWrap<ISSymTree> sub(child);
      if (!sub.IsNull()) sub->Show(show, recursive, quiet);
    }
  }
  if (!quiet) self->Redraw(nullptr);
  return S_OK;
}
