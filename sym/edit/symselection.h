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
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection : public ISSymSelection {
 public:
  explicit SSymSelection(SSymView* view = nullptr);
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

  // Moves the selected symbols by `offset` as one undoable step of the
  // diagram's session (a symbol that lies in another selected symbol moves
  // with it, not once more on its own; redraw as for ISSymbol::MoveBy); with
  // `update` non-zero the diagram then follows the move (UpdateSymMove) with
  // the moved symbols and the selection's editing view, inside the same
  // step. Nothing for an empty selection or one without a diagram.
  void MoveBy(const SSymSize& offset, int redraw, int update);

  // The diagram the notifications name (counted; null allowed).
  void SetDiagram(ISSymDiagram* diagram) { m_diagram = diagram; }
  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }

  // ---- taking symbols out and the block's extent ----
  // Takes a symbol out (redraw: its handles are erased, here nothing to
  // erase); sends the change notification when it was selected.
  void Remove(ISSymbol* symbol, int redraw);
  // The union of the selected symbols' clip rectangles; all 0 when empty.
  SSymRect GetClipRect() const;

 private:
  void NotifyChanged();

  SSymView* m_pView;
  SComWrap<ISSymDiagram> m_diagram;
  SComTable<ISSymbol> m_symbols;
};
