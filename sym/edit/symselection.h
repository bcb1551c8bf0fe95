// SSymSelection: the selection of an editing view (its symbols in order, Add
// and Clear), in its least form until the editing subsystem brings the real
// one. The symbol core's records and the diagram reach it through
// ISSymSelection.
//
// Every change of the set (a symbol added, the set emptied) sends the
// selection-change notification with the selection's diagram while the
// library-wide switch is on; a selection without a diagram sends none.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sobject.h"
#include "kvcore/sptrset.h"
#include "sym/foundation/symallowopt.h"
#include "sym/foundation/symformat.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection : public SObject, public ISSymSelection {
  KV_DECLARE_CLASSINFO()

 public:
  explicit SSymSelection(SSymView* view = nullptr);
  // The creator of the class record: a selection with no view, or null
  // when it cannot be allocated.
  static SObject* CreateObject();
  // Lets go of the diagram and the symbols; sends no notification.
  ~SSymSelection() override;

  // Adds a symbol once (redraw: handles drawn, here nothing to draw). While
  // the selection has a view, a symbol the view refuses (CanSelect) is not
  // added.
  void Add(ISSymbol* symbol, int redraw) override;
  void Clear(int redraw) override;
  int GetCount() const override { return m_symbols.GetCount(); }
  ISSymbol* GetAt(int i) const override { return m_symbols.GetAt(i); }
  bool Contains(ISSymbol* symbol) const override;
  SSymView* GetView() const override { return m_pView; }
  int CanSelect(ISSymbol* symbol) override;

  // The diagram the notifications name (counted; null allowed).
  void SetDiagram(ISSymDiagram* diagram) { m_diagram = diagram; }
  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }

  // ---- taking symbols out, the block's extent and moving the block ----
  // Takes a symbol out (redraw: its handles are erased, here nothing to
  // erase); sends the change notification when it was selected.
  void Remove(ISSymbol* symbol, int redraw);
  // The union of the selected symbols' clip rectangles; all 0 when empty.
  SSymRect GetClipRect() const;
  // Moves every selected symbol by the offset as one undoable step of the
  // first symbol's session (redraw: each symbol redraws as it moves); the
  // diagram then follows the move in the same step (UpdateSymMove, with the
  // moved symbols and the selection's view when it is an editing window).
  HRESULT MoveBy(const SSymSize& offset, int redraw, int flag);

  // ---- applying a format (sym/edit/symselectformat.cpp) ----
  // Gives every selected symbol the parts of `newFormat` that differ from
  // `oldFormat` (the values the format sheet opened with), that the allow
  // options let change and that the symbol has, as one undoable step. A
  // part the new format marks as mixed (a colour 0xFF000000, an arrowhead
  // 255, a tri-state 2, a negative width, ...) or leaves as it was keeps
  // each symbol's own value. E_POINTER for a missing format or a selection
  // without a diagram; CO_E_OBJNOTCONNECTED, and nothing written, when a
  // selected symbol was deleted meanwhile; S_FALSE for an empty selection.
  HRESULT UpdateLayoutFormat(const SSymFormat* oldFormat, const SSymFormat* newFormat,
                             const SSymAllowOption* allow);

 private:
  void NotifyChanged();

  SSymView* m_pView;
  SComWrap<ISSymDiagram> m_diagram;
  SComTable<ISSymbol> m_symbols;
  // The same symbols as a set: whether one is selected without a scan.
  SPtrSet<ISSymbol> m_members;
};
