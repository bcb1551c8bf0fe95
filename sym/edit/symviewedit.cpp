#include "sym/edit/symviewedit.h"

SSymViewEdit::SSymViewEdit() : m_selection(this) {}

SSymViewEdit::~SSymViewEdit() {
  // The selection lets go of its symbols, quietly, before the window
  // leaves its diagram.
  m_selection.SetDiagram(nullptr);
  m_selection.Clear(0);
}

void SSymViewEdit::SetDiagram(ISSymDiagram* diagram) {
  SSymView::SetDiagram(diagram);
  m_selection.SetDiagram(GetDiagramPtr());
}
