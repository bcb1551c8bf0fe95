// Placing the diagram on printed pages: fitting its symbols to a grid of
// pages, centring them on the pages they cover, moving them all at once.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/render/symcanv.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }
long long Width(const SSymRect& r) { return std::llabs(static_cast<long long>(r.x2) - r.x1) + 1; }
long long Height(const SSymRect& r) { return std::llabs(static_cast<long long>(r.y1) - r.y2) + 1; }

// One undo step on the diagram while it lives, when asked for.
std::unique_ptr<SRepCreateContext> StepOn(ISSymDiagram* diagram, int undoable) {
  if (!undoable || !diagram) return nullptr;
  RepObjWrap object(diagram);
  return object.IsNull() ? nullptr : std::make_unique<SRepCreateContext>(object.Get(), 0, 1, 0);
}
}  // namespace

void SSymViewEdit::MoveAllSymbols(const SSymSize& offset, int redraw, int undoable) {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram || !m_pSelection) return;
  auto step = StepOn(diagram, undoable);
  LockCanvas lock(this);
  m_pSelection->Clear(0);
  SComOut<ISRepClassCol> all;
  if (diagram->GetSymbols(&all) == S_OK && all) {
    for (LONG i = 0; i < all->GetCount(); ++i) {
      SComOut<ISRepObject> o;
      if (all->Item(i, &o) != S_OK || !o) continue;
      SComWrap<ISSymbol> s(o.Get());
      if (!s.IsNull()) m_pSelection->Add(s.Get(), 0);
    }
  }
  m_pSelection->MoveBy(offset, redraw, undoable);
  m_pSelection->Clear(redraw);
  UpdateScrollBars(1);
  if (redraw && !(m_nState & StateSuspended)) InvalidateAll((m_nState & StateAllowErase) ? 1 : 0);
}

void SSymViewEdit::CenterInPages(int undoable) {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram || diagram->GetCount() == 0) return;
  SSymRect symbols = diagram->GetClipRect();
  symbols.Normalize();
  const SSymRect pages = m_canvas.GetPaperRect(symbols);
  SSymSize offset;
  {
    LockCanvas lock(this);
    offset = SSymSize(Mid(pages.x1, pages.x2) - Mid(symbols.x1, symbols.x2),
                      Mid(pages.y1, pages.y2) - Mid(symbols.y1, symbols.y2));
  }
  MoveAllSymbols(offset, 1, undoable);
  ScaleToUsedPages();
}

void SSymViewEdit::FitToPages(int across, int down, int undoable) {
  ISSymDiagram* diagram = GetDiagramPtr();
  if (!diagram || diagram->GetCount() == 0) return;
  SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(diagram);
  const SSymSize paper = m_canvas.GetPaperSize();
  if (paper.cx <= 0 || paper.cy <= 0) return;
  // The page area: one page centred on the origin, extra pages to the right
  // and to the top when their number is odd.
  long long left = -(paper.cx / 2), right = paper.cx / 2, bottom = -(paper.cy / 2), top = paper.cy / 2;
  if (across > 1) {
    const int k = (across - 1) / 2;
    left -= static_cast<long long>(k) * paper.cx;
    right += static_cast<long long>(across - k - 1) * paper.cx;
  }
  if (down > 1) {
    const int k = (down - 1) / 2;
    bottom -= static_cast<long long>(k) * paper.cy;
    top += static_cast<long long>(down - k - 1) * paper.cy;
  }
  SSymRect symbols = diagram->GetClipRect();
  symbols.Normalize();
  const bool inside = symbols.x1 >= left && symbols.x2 <= right && symbols.y2 >= bottom && symbols.y1 <= top;
  if (inside && GetScale() == 100.0) return;
  const long long areaW = right - left + 1, areaH = top - bottom + 1;
  long long zoom = std::min(areaW * 100 / (Width(symbols) + 2000), areaH * 100 / (Height(symbols) + 2000));
  OnToolFlip();
  const LONG stored = impl ? impl->GetEffectiveScale() : 100;
  if (zoom != stored) zoom = std::clamp<long long>(zoom, 2, 5000);
  if (zoom <= 0) zoom = stored;
  auto step = StepOn(diagram, undoable);
  {
    LockCanvas lock(this);
    const SSymPoint target(static_cast<LONG>((left + right) / 2 * 100 / zoom),
                           static_cast<LONG>((bottom + top) / 2 * 100 / zoom));
    MoveAllSymbols(SSymSize(target.x - Mid(symbols.x1, symbols.x2), target.y - Mid(symbols.y1, symbols.y2)), 0, 0);
  }
  if (impl && zoom != stored) impl->SetScale(static_cast<LONG>(zoom));
  ScaleToUsedPages();
}
