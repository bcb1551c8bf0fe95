// Zoom of the editing window: steps in and out, the fixed table, fitting
// the symbols, the selection and the pages. Every zoom ends in the diagram
// window's ScaleTo or ScaleToRect, which hold it within 2 .. 5000 percent.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "sym/edit/symviewedit.h"
#include "sym/symbol/symintfowner.h"
#include "sym/tools/symtool.h"

namespace {
struct TableZoom {
  UINT id;
  double percent;
};
constexpr TableZoom kZoomTable[] = {{2500, 25},  {2501, 33},  {2502, 50},  {2503, 66},
                                    {2504, 75},  {2505, 100}, {2506, 125}, {2507, 150},
                                    {2508, 175}, {2509, 200}, {2510, 400}, {2531, 100}};

// The extent of the whole drawing area.
const SSymRect kAllPages(-900000, 900000, 900000, -900000);

// Inclusive extents.
long long Width(const SSymRect& r) { return std::llabs(static_cast<long long>(r.x2) - r.x1) + 1; }
long long Height(const SSymRect& r) { return std::llabs(static_cast<long long>(r.y1) - r.y2) + 1; }
}  // namespace

double SSymViewEdit::GetTableScale(UINT id) {
  for (const TableZoom& z : kZoomTable)
    if (z.id == id) return z.percent;
  return 0;
}

double SSymViewEdit::GetScale() { return m_canvas.GetZoom(); }

void SSymViewEdit::SetScale(double percent) { ScaleTo(percent); }

void SSymViewEdit::ScaleToExtent(const SSymRect& r) {
  // At actual size the window shows V * zoom / 100 of the diagram: when
  // that holds r in both directions, r is shown at actual size about its
  // centre; otherwise the window fits r.
  SSymRect v = m_canvas.GetViewportVP();
  const double shown = GetScale() / 100.0;
  if (Width(v) * shown <= static_cast<double>(Width(r)) || Height(v) * shown <= static_cast<double>(Height(r))) {
    ScaleToRect(r, 1);
    return;
  }
  const SSymPoint centre(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                         static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
  ScaleTo(100.0, centre);
}

void SSymViewEdit::ScaleToSymbols() {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram) throw SECOMException(__func__, __FILE__, __LINE__, E_POINTER);
  if (diagram->GetCount() == 0) {
    ScaleTo(100.0, SSymPoint(0, 0));
    return;
  }
  ScaleToExtent(diagram->GetClipRect());
}

void SSymViewEdit::ScaleToSelection() {
  LockCanvas lock(this);
  ScaleToExtent(m_pSelection->GetClipRect());
}

void SSymViewEdit::ScaleToCurrentPage() {
  const SSymPoint at = m_pCurrentTool ? m_pCurrentTool->GetPressPoint() : SSymPoint();
  ScaleToRect(m_canvas.GetPaperRect(at), 1);
}

void SSymViewEdit::ScaleToAllPages() { ScaleToRect(kAllPages, 1); }

void SSymViewEdit::ScalePageSize(double percent) {
  SetPaperScale(std::clamp(percent, MinPageScale, MaxPageScale));
  ScaleToUsedPages();
}

// ---- the commands ---------------------------------------------------------------------------------

template <class F>
void SSymViewEdit::RunZoomCommand(const char* name, F&& zoom) {
  try {
    LockCanvas lock(this);
    std::forward<F>(zoom)();
  } catch (const SException& e) {
    SExceptionDialog::Show(name, __FILE__, __LINE__, e.GetText());
  }
}

void SSymViewEdit::OnViewZoomIn() {
  RunZoomCommand(__func__, [this] { SetScale(GetScale() * ZoomStep); });
}

void SSymViewEdit::OnViewZoomOut() {
  RunZoomCommand(__func__, [this] { SetScale(GetScale() / ZoomStep); });
}

void SSymViewEdit::OnViewScaleX(UINT id) {
  const double percent = GetTableScale(id);
  if (percent <= 0) return;  // not an id of the table
  RunZoomCommand(__func__, [this, percent] { SetScale(percent); });
}

void SSymViewEdit::OnViewZoomSel() {
  RunZoomCommand(__func__, [this] { ScaleToSelection(); });
}

void SSymViewEdit::OnViewGlobal() {
  RunZoomCommand(__func__, [this] { ScaleToSymbols(); });
}

void SSymViewEdit::OnViewUsed() {
  RunZoomCommand(__func__, [this] { ScaleToUsedPages(); });
}

void SSymViewEdit::OnViewPage() {
  RunZoomCommand(__func__, [this] { ScaleToCurrentPage(); });
}

void SSymViewEdit::OnViewAllPages() {
  RunZoomCommand(__func__, [this] { ScaleToAllPages(); });
}
