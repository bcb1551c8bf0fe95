#include "sym/edit/symselection.h"

SSymSelection::SSymSelection(SSymView* view) : m_pView(view) {}

SSymSelection::~SSymSelection() = default;

void SSymSelection::Add(ISSymbol* symbol, int) {
  if (symbol && !Contains(symbol)) m_symbols.Add(symbol);
}

void SSymSelection::Clear(int) { m_symbols.RemoveAll(); }

bool SSymSelection::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }
