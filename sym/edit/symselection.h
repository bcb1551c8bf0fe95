// SSymSelection: the selection of an editing view (its symbols in order, Add
// and Clear), in its least form until the editing subsystem brings the real
// one. The symbol core's records reach it through ISSymSelection.
#pragma once

#include "kvcore/scomds.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection : public ISSymSelection {
 public:
  explicit SSymSelection(SSymView* view = nullptr);
  ~SSymSelection() override;

  // Adds a symbol once (redraw: handles drawn, here nothing to draw).
  void Add(ISSymbol* symbol, int redraw) override;
  void Clear(int redraw) override;
  int GetCount() const override { return m_symbols.GetCount(); }
  ISSymbol* GetAt(int i) const override { return m_symbols.GetAt(i); }
  bool Contains(ISSymbol* symbol) const override;
  SSymView* GetView() const override { return m_pView; }

 private:
  SSymView* m_pView;
  SComTable<ISSymbol> m_symbols;
};
