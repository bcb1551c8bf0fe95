// Drawing, hit testing and snapping in the editing window: the page grid
// and the snap grid under the symbols, the selection's handles over them, a
// hit test that knows the selection, and points and rectangles brought to
// the diagram's grid.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "sym/diagram/symdisppref.h"
#include "sym/edit/symviewedit.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
// The grid size snapping uses: the preferences' while snapping is on with a
// grid above 0, else 0 (no snapping). A negative stored size counts as none.
LONG SnapStep(const SSymDispPref* prefs) {
  if (!prefs || !prefs->GetSnapGrid()) return 0;
  return std::max<LONG>(prefs->GetGridSize(), 0);
}
}  // namespace

// ---- snapping -------------------------------------------------------------------------------------

SSymPoint SSymViewEdit::SnapToGrid(const SSymPoint& point) {
  const LONG g = SnapStep(GetDispPrefPtr());
  if (g == 0) return point;
  return SSymPoint(SSymSnapToStep(point.x, g), SSymSnapToStep(point.y, g));
}

SSymRect SSymViewEdit::SnapToGrid(const SSymRect& rect) {
  const LONG g = SnapStep(GetDispPrefPtr());
  if (g == 0) return rect;
  SSymRect r = rect;
  // The lower-left corner to the grid, the rectangle moved with it.
  const LONG minX = std::min(r.x1, r.x2), minY = std::min(r.y1, r.y2);
  const LONG dx = SSymSnapToStep(minX, g) - minX, dy = SSymSnapToStep(minY, g) - minY;
  r.x1 += dx, r.x2 += dx, r.y1 += dy, r.y2 += dy;
  // Then the far corner, where it stands.
  LONG& farX = r.x2 >= r.x1 ? r.x2 : r.x1;
  LONG& farY = r.y1 >= r.y2 ? r.y1 : r.y2;
  farX = SSymSnapToStep(farX, g);
  farY = SSymSnapToStep(farY, g);
  return r;
}

// ---- drawing --------------------------------------------------------------------------------------

bool SSymViewEdit::IsSnapGridVisible(LONG size) const {
  if (size <= 0) return false;
  return SSymTruncate(static_cast<double>(size) * m_canvas.GetZoom() / 100.0) >= MinGridSpacing;
}

void SSymViewEdit::OnDraw(const SSymRect& area) {
  SSymDispPref* prefs = GetDispPrefPtr();
  // A drawing context of its own (a report, a print) shows no page grid.
  SDC* dc = m_canvas.GetCanvasDC();
  if (!(dc && dc->m_nFlag) && prefs && prefs->GetShowPage()) {
    m_canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
    m_canvas.DrawPaperGrid(area);
  }
  if (prefs && prefs->GetDisplayGrid() && IsSnapGridVisible(prefs->GetGridSize())) DrawSnapGrid(area);
  SSymView::OnDraw(area);
  if (m_nState & StateActive) {
    // Handles toggle: drawing them once shows them.
    for (int i = 0; i < m_pSelection->GetCount(); ++i)
      if (ISSymbol* s = m_pSelection->GetAt(i)) s->DrawHandles(m_canvas);
  }
}

void SSymViewEdit::DrawSnapGrid(const SSymRect& area) {
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs) return;  // no diagram, a deleted one, or no preferences
  const long long g = prefs->GetGridSize();
  if (g <= 0) return;
  // The grid points from the area's lower-left corner, brought to the grid
  // whether or not snapping is on, so that every paint draws the same grid.
  const LONG minX = std::min(area.x1, area.x2), minY = std::min(area.y1, area.y2);
  const long long x0 = SSymSnapToStep(minX, static_cast<LONG>(g));
  const long long y0 = SSymSnapToStep(minY, static_cast<LONG>(g));
  const long long cols = (std::llabs(static_cast<long long>(area.x2) - area.x1) + 1) / g;
  const long long rows = (std::llabs(static_cast<long long>(area.y1) - area.y2) + 1) / g;
  const SSymColor black(0);
  for (long long i = 0; i <= cols; ++i)
    for (long long j = 0; j <= rows; ++j) {
      const long long x = x0 + i * g, y = y0 + j * g;
      if (x > INT32_MAX || y > INT32_MAX) continue;
      m_canvas.SetPixel(SSymPoint(static_cast<LONG>(x), static_cast<LONG>(y)), black.GetColor());
    }
}

// ---- hit testing ----------------------------------------------------------------------------------

ISSymbol* SSymViewEdit::HitTest(const SSymPoint& point, unsigned long flags, int* part) {
  int* const partArg = (flags & 1) ? part : nullptr;
  // The selected symbols from the last to the first (through the diagram's
  // index where the selection can use it). Symbols asked may measure their
  // texts: the canvas is locked to draw while they are asked (the walk over
  // the diagram locks it only when it finds a symbol near the point).
  auto inSelection = [&]() -> ISSymbol* {
    LockCanvas lock(this);
    return m_pSelection->HitTest(m_canvas, point, partArg);
  };
  if (flags == 0 || flags == 1) {
    if (m_pSelection->GetCount() > 0)
      if (ISSymbol* hit = inSelection()) return hit;
    return SSymView::HitTest(point, flags, part);
  }
  if (flags & 2) return inSelection();
  LockCanvas lock(this);
  // The unselected symbols of the diagram in its order.
  const SComTable<ISSymbol> symbols = DiagramSymbols(GetDiagramPtr());
  for (ISSymbol* s : symbols) {
    if (!s || m_pSelection->Contains(s)) continue;
    SComOut<ISSymbol> sub;
    if (!s->IsPtInSym(m_canvas, point, partArg, &sub)) continue;
    if (sub && !m_pSelection->Contains(sub.Get())) return sub.Get();  // the diagram holds it
    return s;
  }
  return nullptr;
}

SComTable<ISSymbol> SSymViewEdit::DiagramSymbols(ISSymDiagram* diagram) {
  SComTable<ISSymbol> symbols;
  ISRepClassCol* col = nullptr;
  if (!diagram || FAILED(diagram->GetSymbols(&col)) || !col) return symbols;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> obj;
    if (SUCCEEDED(col->Item(i, &obj)) && obj) {
      SComWrap<ISSymbol> symbol(obj.Get());
      if (!symbol.IsNull()) symbols.Add(symbol.Get());
    }
  }
  col->Release();
  return symbols;
}
