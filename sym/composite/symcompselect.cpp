#include "sym/composite/symcompselect.h"

#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvrep/srepobject.h"
#include "sym/composite/symcompupdate.h"
#include "sym/symbol/symintfowner.h"

namespace {
void AddChildren(ISSymbol* composite, ISSymSelection& selection, std::vector<SComWrap<ISSymbol>>& walked) {
  SComWrap<ISSymCompSym> comp(composite);
  if (comp.IsNull()) return;
  for (const auto& w : walked)
    if (SRepAreSameObjects(w, composite)) return;
  walked.emplace_back(composite);
  SComTable<ISSymbol> children;
  comp->GetAllChildren(children, 0);
  for (int i = 0; i < children.GetCount(); ++i) {
    ISSymbol* child = children.GetAt(i);
    if (!child || !IsSymInCompAncestors(child, composite)) continue;
    selection.Add(child, 1);
    AddChildren(child, selection, walked);
  }
}
}  // namespace

void AddCompChildrenToSel(ISSymbol* composite, ISSymSelection& selection) {
  std::vector<SComWrap<ISSymbol>> walked;
  AddChildren(composite, selection, walked);
}
