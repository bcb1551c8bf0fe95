// Automatic layout entry of the diagram: whether a layout may run on a
// selection, the options of a programmatic run, the cleaning of the
// selection, and the choice between the library's own layout and the
// external engine. The layouts themselves live in sym/layout.
#include <memory>
#include <new>

#include "kvlib/sprofilerhelper.h"
#include "sym/diagram/symdiagram.h"
#include "sym/layout/symautolayout.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
constexpr int kTypeTreeLine = 15;

// Puts the caller's tables back into the parameters on every way out: the
// parameters may point at the call's own tables meanwhile.
class RestoreTables {
 public:
  explicit RestoreTables(SSymAutoLayoutParam& param)
      : m_param(param), m_subset(param.m_pSubset), m_scope(param.m_pScope) {}
  ~RestoreTables() {
    m_param.m_pSubset = m_subset;
    m_param.m_pScope = m_scope;
  }
  RestoreTables(const RestoreTables&) = delete;
  RestoreTables& operator=(const RestoreTables&) = delete;

 private:
  SSymAutoLayoutParam& m_param;
  SComTable<ISSymbol>* m_subset;
  SComTable<ISSymbol>* m_scope;
};

bool IsLane(IUnknown* unk) { return unk && !SComWrap<ISSwimlane>(unk).IsNull(); }
}  // namespace

bool SSymDiagramImpl::CanAutoLayout(const SComTable<ISSymbol>* selection) {
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !prefs->IsCheckSwimPoolForLayout(0)) return true;
  const SComTable<ISSymbol> pools = GetSwimLaneList();
  for (int p = 0; p < pools.GetCount(); ++p) {
    ISSymbol* pool = pools.GetAt(p);
    if (!pool) continue;
    if (!selection || selection->IsEmpty()) return false;
    for (int i = 0; i < selection->GetCount(); ++i) {
      ISSymbol* s = selection->GetAt(i);
      if (!s) continue;
      if (SRepAreSameObjects(s, pool) || IsLane(s)) return false;
      SComOut<ISSymOwner> owner;
      if (SUCCEEDED(s->GetOwner(&owner)) && IsLane(owner.Get())) return false;
    }
  }
  return true;
}

bool SSymDiagramImpl::AutoLayout() { return Diagram()->AutoLayout(-1, -1, false); }

bool SSymDiagramImpl::AutoLayout(short style, short orientation, bool createSynonyms) {
  ISSymDiagram* self = Diagram();
  SSymAutoLayoutParam param(self, nullptr, nullptr);
  param.LoadDefaultOptions();
  {
    std::unique_ptr<SSymAutoLayout> layout(self->CreateAutoLayoutMgr(nullptr));
    if (!layout) return false;
    const SSymAutoLayoutOptionTable& table = layout->GetOptionTable();
    if (table.HasStyle(style)) param.m_options.m_nStyle = style;
    SList<SSymAutoLayoutPlacement::Placement> placements;
    layout->GetAvailablePlacements(param.m_options.m_nStyle, placements);
    const LONG placement = SSymAutoLayoutPlacement::TopToBottom + orientation;
    for (SSymAutoLayoutPlacement::Placement p : placements)
      if (p == placement) param.m_options.m_nPlacement = placement;
    // The caller decides on synonyms only where the layout kind lets the
    // user: a table that fixes the option must allow them, a table that
    // does not leaves the choice to the Basic style.
    const bool choosable = table.m_bSynonymsFixed ? table.m_bSynonymsAvailable != 0
                                                  : param.m_options.m_nStyle == SSymAutoLayoutStyle::Basic;
    if (choosable) param.SetCreateSynonyms(createSynonyms);
  }
  return self->AutoLayout(param);
}

bool SSymDiagramImpl::AutoLayout(SSymAutoLayoutParam& param) {
  SProfilerHelper profile("SSymDiagAutoLayout");
  ISSymDiagram* self = Diagram();
  RestoreTables restore(param);
  // The call's own tables: declared after `restore`, so that the parameters
  // name the caller's tables again before these go.
  SComTable<ISSymbol> selection(5, 5);
  SComTable<ISSymbol> symbols(5, 5);

  // The selection as the layout sees it: tree lines go with their trees, and
  // a node of a tree stands for the whole tree, laid out once.
  if (param.m_pSubset && !param.m_pSubset->IsEmpty()) {
    for (int i = 0; i < param.m_pSubset->GetCount(); ++i) {
      ISSymbol* s = param.m_pSubset->GetAt(i);
      if (!s || s->GetSymbolType() == kTypeTreeLine) continue;
      SComWrap<ISSymTree> tree(s);
      if (tree.IsNull()) {
        selection.Add(s);
        continue;
      }
      ISSymbol* top = tree->GetParentSym(1);
      if (!top) top = s;
      if (!selection.Contains(top)) selection.Add(top);
    }
    param.m_pSubset = &selection;
  }

  if (!self->CanAutoLayout(param.m_pSubset)) return false;

  // A selection is laid out among all the diagram's symbols unless the
  // caller named the symbols to consider.
  if (param.m_pSubset && !param.m_pScope) {
    for (SRepObject* item : Collection(IdSymbols)->Items()) {
      SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
      if (!s.IsNull()) symbols.Add(s.Get());
    }
    param.m_pScope = &symbols;
  }

  std::unique_ptr<SSymAutoLayout> layout(self->CreateAutoLayoutMgr(&param));
  if (!layout) return false;
  return layout->Invoke() != 0;
}

SSymAutoLayout* SSymDiagramImpl::CreateAutoLayoutMgr(SSymAutoLayoutParam* param) {
  // The layout object keeps a copy: of the caller's parameters, or of
  // fresh ones on the diagram.
  SSymAutoLayoutParam copy = param ? *param : SSymAutoLayoutParam(Diagram());
  if (SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms(param, nullptr))
    return new (std::nothrow) SSymAutoLayout(copy);
  return new (std::nothrow) SSymAutoLayoutGeneral(copy);
}
