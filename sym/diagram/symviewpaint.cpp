// Painting of the diagram window: WM_PAINT through the canvas's off-screen
// buffer, the fixed order of OnDraw, the watermark per paper page, the focus
// and selection marks, and page selection for the print dialog.
//
// A paint draws only what meets its invalid rectangle: the diagram's spatial
// index hands over the symbols near the area (each still asked its own
// visibility, so the same symbols are drawn as by a walk over the whole
// collection), and the area is set on the canvas for the length of the paint
// so that symbols skip their labels, compartments and children outside it.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvlib/sprofilerhelper.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symprintpages.h"
#include "sym/diagram/symrectindex.h"
#include "sym/diagram/symview.h"
#include "sym/render/symdrawarea.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfsymbol.h"
#include "win/winuser.h"

namespace {

int g_waitCursors = 0;

// The name a failing symbol is shown by.
SString NameOf(ISSymbol* s) {
  if (SSymBase* b = SSymBase::FromInterface(s)) return b->GetDispName();
  return SString();
}

// Shows a drawing failure once; later dialogs of the session are off.
void ShowAndSilence(const char* format, const SString& name, const SException& e) {
  SExceptionDialog::Show("SSymView::OnDraw", __FILE__, __LINE__,
                         SString::Format(format, name.ToUtf8().c_str()) + SString(u"\n") + e.GetText());
  SExceptionDialog::SetActive(false);
}

// The wait cursor while a large buffered drawing runs.
class WaitCursor {
 public:
  explicit WaitCursor(bool show) : m_show(show) {
    if (m_show) ++g_waitCursors;
  }
  ~WaitCursor() = default;

 private:
  bool m_show;
};

// A sunken edge around a rectangle: dark above and left, light below and right.
void DrawSunkenEdge(SDC& dc, const RECT& rc) {
  if (rc.right - rc.left < 2 || rc.bottom - rc.top < 2) return;
  const struct {
    int color;
    int inset;
  } rings[] = {{COLOR_BTNSHADOW, 0}, {COLOR_3DDKSHADOW, 1}};
  const int lights[] = {COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT};
  for (int i = 0; i < 2; ++i) {
    const int d = rings[i].inset;
    const RECT r{rc.left + d, rc.top + d, rc.right - d, rc.bottom - d};
    SPen dark(PS_SOLID, 1, ::GetSysColor(rings[i].color));
    SPen light(PS_SOLID, 1, ::GetSysColor(lights[i]));
    {
      SSelectScope pen(dc, dark);
      dc.MoveTo(r.left, r.bottom - 1);
      dc.LineTo(r.left, r.top);
      dc.LineTo(r.right - 1, r.top);
    }
    {
      SSelectScope pen(dc, light);
      dc.MoveTo(r.right - 1, r.top);
      dc.LineTo(r.right - 1, r.bottom - 1);
      dc.LineTo(r.left - 1, r.bottom - 1);
    }
  }
}

}  // namespace

int SSymView::GetWaitCursorCount() { return g_waitCursors; }

// ---- WM_PAINT ------------------------------------------------------------------------------------

void SSymView::OnPaint() {
  // Suppressed after an activation: the paint is put off (validated and
  // remembered) so that WM_PAINT does not come back for ever.
  if (DeferPaintWhileSuppressed()) return;
  const bool suppressed = (m_nState & StateSuspended) != 0;
  const bool buffered = GetEnableDoubleBuffering() != 0;
  std::unique_ptr<SProfilerHelper> profile;
  if (!suppressed) {
    profile = std::make_unique<SProfilerHelper>("ViewPaint");
    m_bProfile = 0;
  }
  // A lock held around the paint (a canvas lock of a tool) is put back after it.
  SDC* held = m_canvas.IsLocked() ? m_canvas.GetCanvasDC() : nullptr;
  if (buffered && held) m_canvas.Unlock();
  {
    SPaintDC dc(m_hWnd);
    if (!dc.GetSafeHdc()) return;
    m_canvas.m_bOffScreen = buffered ? 1 : 0;
    m_canvas.m_rcCopy = dc.m_ps.rcPaint;
    m_canvas.Lock(dc);
    m_background.DrawBackground(m_canvas.GetCanvasDC(), dc.m_ps.rcPaint, dc.m_ps.fErase, 1);
    if (!suppressed) {
      SSymRect area = m_canvas.DPtoVP(dc.m_ps.rcPaint);
      area.Normalize();
      area.Inflate(300, 300);
      OnDraw(area);
    }
    m_canvas.Unlock();
  }
  profile.reset();
  if (buffered) {
    m_canvas.m_bOffScreen = 0;
    if (held) m_canvas.Lock(*held);
  }
}

// ---- OnDraw --------------------------------------------------------------------------------------

void SSymView::GatherSymbols(const SSymRect& area, std::vector<ISSymbol*>& out) {
  out.clear();
  std::vector<SSymRectIndex::Found> found;
  SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(m_pDiagram);
  SSymRectIndex* index = impl ? impl->GetRectIndex() : nullptr;
  if (index) {
    if (!index->Collect(area, SSymRectIndex::ViewMargin(m_canvas), found)) index->CollectAll(found);
  } else {
    ISRepClassCol* col = nullptr;
    if (SUCCEEDED(m_pDiagram->GetSymbols(&col)) && col) {
      for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
        ISRepObject* obj = nullptr;
        if (FAILED(col->Item(i, &obj)) || !obj) continue;
        ISSymbol* s = nullptr;
        obj->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&s));
        obj->Release();
        if (!s) continue;
        found.push_back({s, false});
        s->Release();  // the collection holds it
      }
      col->Release();
    }
  }
  for (const SSymRectIndex::Found& f : found)
    if (f.symbol->IsVisibleInRect(m_canvas, area)) {
      f.symbol->AddRef();
      out.push_back(f.symbol);
    }
}

SSymRect SSymView::GetPagesRect() {
  if (m_canvas.GetPaperSize().cx <= 0 || m_canvas.GetPaperSize().cy <= 0)
    m_canvas.SetPaperSize(m_canvas.GetDefPaperSize());
  SSymRect used = m_pDiagram ? m_pDiagram->GetClipRect() : SSymRect(0, 0, 0, 0);
  return m_canvas.GetPaperRect(used);
}

void SSymView::OnDraw(const SSymRect& area) {
  try {
    if (!m_pDiagram) {
      DrawMarks();
      return;
    }
    LockPaint lock(this, 0);
    SSymRect a = area;
    a.Normalize();
    SSymDrawArea limit(m_canvas, a);

    // First drawing of a symbol in the area initialises it.
    std::vector<ISSymbol*> symbols;
    GatherSymbols(a, symbols);
    for (ISSymbol* s : symbols) {
      try {
        SComWrap<ISSymbolInit> init(s);
        if (!init.IsNull() && !init->IsSymInitialized()) init->InitialSym(s);
      } catch (const SException& e) {
        ShowAndSilence("Initialization of symbol %s.\nDisplay of exception dialogs is disactivated for this session",
                       NameOf(s), e);
      }
    }
    // Initialising may have moved symbols: gather again.
    for (ISSymbol* s : symbols) s->Release();
    GatherSymbols(a, symbols);
    struct Release {
      std::vector<ISSymbol*>& v;
      ~Release() {
        for (ISSymbol* s : v) s->Release();
      }
    } release{symbols};

    const int drawing = m_nState & StateDrawing;
    m_nState |= StateDrawing;
    SSymDispPref* pref = GetDispPrefPtr();

    if (m_nState & StatePageSelect) {
      const SSymRect pages = GetPagesRect();
      const SSymSize paper = m_canvas.GetPaperSize();
      m_canvas.SetPen(SSymPen());
      SSymBrush white;
      m_canvas.SetBrush(white, 0);
      for (LONG x = pages.x1; x < pages.x2 && paper.cx > 0; x += paper.cx)
        for (LONG y = pages.y1; y > pages.y2 && paper.cy > 0; y -= paper.cy)
          m_canvas.Rectangle(SSymRect(x, y, x + paper.cx, y - paper.cy));
    }

    // The watermark: on paper pages when pages are shown or the context asks
    // for it (a report), on the whole area when the preferences say so.
    if (pref && m_watermark.HasPicture()) {
      SDC* dc = m_canvas.GetCanvasDC();
      const bool onPages = (m_nState & StatePageSelect) || (dc && dc->m_nFlag);
      if (onPages) DrawWatermark(Intersect(a, GetPagesRect()));
      else if (pref->GetWatermarkOnScreen()) DrawWatermark(a);
    }

    WaitCursor wait(m_canvas.m_bOffScreen && symbols.size() > 100);

    if (m_nState & StateDrawnOnce) {
      // Later drawings bring swimlane heights in step where the preferences
      // give symbol behaviours; the standard preferences give none. Small
      // differences are let be, so that this costs one measurement.
      if (pref && pref->GetSymbolBehaviors(GUID_NULL) != 0) m_pDiagram->AdjustSwimHeight(0);
    } else {
      m_nState |= StateDrawnOnce;
    }

    // Bridges: computed for the links among the symbols drawn, above 60 percent.
    if (pref && pref->ShowsLinkIntersections() && m_canvas.GetZoom() > 60.0) {
      try {
        if (ISSymEdgeRouter* router = SSymGetEdgeRouter()) {
          SComBag<ISSymbol> bag;
          for (ISSymbol* s : symbols) bag.Add(s);
          router->ComputeBridges(bag);
          ++m_nBridgeComputations;
        }
      } catch (const SException& e) {
        SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(m_pDiagram);
        SExceptionDialog::Show("SSymView::OnDraw", __FILE__, __LINE__,
                               SString::Format("Computing link intersections for %s%s",
                                               impl ? impl->GetDispName().ToUtf8().c_str() : "",
                                               e.GetText().ToUtf8().c_str()));
      }
    }

    std::vector<ISSymbol*> second;
    for (ISSymbol* s : symbols) {
      try {
        s->Draw(m_canvas);
        if (s->Needs2ndDraw(m_canvas)) second.push_back(s);
      } catch (const SException& e) {
        ShowAndSilence("Drawing of symbol %s.\nDisplay of exception dialogs is disactivated for this session",
                       NameOf(s), e);
      }
    }
    for (ISSymbol* s : second) {
      try {
        s->DrawSecondPass(m_canvas);
      } catch (const SException& e) {
        ShowAndSilence("Second drawing of symbol %s.\nDisplay of exception dialogs is disactivated for this session",
                       NameOf(s), e);
      }
    }
    DrawAfterSymbols(a);
    if (m_nState & StatePageSelect) DrawPageMarks();
    DrawMarks();
    m_nState = (m_nState & ~StateDrawing) | drawing;
  } catch (const SException& e) {
    if (SExceptionDialog::IsActive())
      ShowAndSilence("Drawing of a view.%s\nDisplay of exception dialogs is disactivated for this session", SString(),
                     e);
  }
}

void SSymView::DrawPageMarks() {
  SSymPrintPages* dlg = m_pPrintDlg;
  if (!dlg) return;
  const SSymRect pages = GetPagesRect();
  const SSymSize paper = m_canvas.GetPaperSize();
  if (paper.cx <= 0 || paper.cy <= 0) return;
  for (int row = 0; row < dlg->GetPageRows(); ++row)
    for (int col = 0; col < dlg->GetPageCols(); ++col) {
      int* cell = dlg->GetPage(row, col);
      if (!cell || !*cell) continue;
      const LONG left = pages.x1 + col * paper.cx, top = pages.y1 - row * paper.cy;
      const LONG right = left + paper.cx, bottom = top - paper.cy;
      const LONG d = std::min(paper.cx / 20, paper.cy / 20);
      const LONG xa = left + d, xb = right - d, ya = bottom + d, yb = top - d;
      // A sheet with its top-right corner folded.
      const SSymListPt sheet({SSymPoint(xb - 2 * d, yb), SSymPoint(xa, yb), SSymPoint(xa, ya), SSymPoint(xb, ya),
                              SSymPoint(xb, yb - 2 * d), SSymPoint(xb - 2 * d, yb), SSymPoint(xb - 2 * d, yb - 2 * d),
                              SSymPoint(xb, yb - 2 * d)});
      m_canvas.SetPen(SSymFormat().m_pen);
      m_canvas.Polyline(sheet, 0);
    }
}

void SSymView::DrawMarks() {
  if ((m_nState & StateFocusMark) && m_hWnd && ::GetFocus() == m_hWnd) DrawFocusMark();
  if ((m_nState & StateSelectionMark) && (m_nState & StateCtrlSelected)) DrawSelectionMark();
  if (m_background.GetBorder() && m_hWnd) {
    SDC* dc = m_canvas.GetCanvasDC();
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    if (dc) DrawSunkenEdge(*dc, rc);
  }
}

// ---- the watermark and the marks -----------------------------------------------------------------

void SSymView::DrawWatermark(const SSymRect& area) {
  SSymRect a = Intersect(area, m_viewport);
  a.Normalize();
  if (m_canvas.GetPaperSize().cx <= 0 || m_canvas.GetPaperSize().cy <= 0)
    m_canvas.SetPaperSize(m_canvas.GetDefPaperSize());
  const SSymRect paper = m_canvas.GetPaperRect(a);
  const SSymSize size = m_canvas.GetPaperSize();
  if (size.cx <= 0 || size.cy <= 0) return;
  const LONG cols = (paper.x2 - paper.x1 + 1) / size.cx, rows = (paper.y1 - paper.y2 + 1) / size.cy;
  for (LONG c = 0; c < cols; ++c)
    for (LONG r = 0; r < rows; ++r) {
      const SSymRect page(paper.x1 + c * size.cx, paper.y1 - r * size.cy, paper.x1 + (c + 1) * size.cx,
                          paper.y1 - (r + 1) * size.cy);
      m_canvas.DrawBackground(m_watermark, page, a, 0, 1);
    }
}

void SSymView::DrawFocusMark() {
  if (!m_hWnd) return;
  LockCanvas lock(this);
  SDC* dc = m_canvas.GetCanvasDC();
  if (!dc) return;
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  if (m_background.GetBorder()) ::InflateRect(&rc, -2, -2);
  dc->DrawFocusRect(&rc);
}

void SSymView::DrawSelectionMark() {
  if (!m_hWnd) return;
  LockCanvas lock(this);
  SDC* dc = m_canvas.GetCanvasDC();
  if (!dc) return;
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  if (m_background.GetBorder()) ::InflateRect(&rc, -3, -3);
  SPen pen(PS_SOLID, 1, ::GetSysColor(COLOR_ACTIVECAPTION));
  SSelectScope p(*dc, pen);
  SSelectScope b(*dc, ::GetStockObject(NULL_BRUSH));
  dc->Rectangle(rc.left, rc.top, rc.right, rc.bottom);
}

// ---- page selection ------------------------------------------------------------------------------

void SSymView::OnLButtonUp(UINT, POINT pt) {
  if (!(m_nState & StatePageSelect) || !m_pPrintDlg || !m_pDiagram) return;
  const SSymPoint p = m_canvas.DPtoVP(pt);
  const SSymRect pages = GetPagesRect();
  const SSymSize paper = m_canvas.GetPaperSize();
  if (paper.cx <= 0 || paper.cy <= 0 || !pages.PtInRect(p)) return;
  const int col = static_cast<int>((static_cast<long long>(p.x) - pages.x1) / paper.cx);
  const int row = static_cast<int>((static_cast<long long>(pages.y1) - p.y) / paper.cy);
  int* cell = m_pPrintDlg->GetPage(row, col);
  if (!cell) return;
  *cell = *cell == 0 ? 1 : 0;
  const LONG left = pages.x1 + col * paper.cx, top = pages.y1 - row * paper.cy;
  m_canvas.InvalidateRectLP(SSymRect(left, top, left + paper.cx, top - paper.cy), 1);
  m_pPrintDlg->SetSelect();
}

void SSymView::OnRButtonUp(UINT, POINT) {
  if (!(m_nState & StatePageSelect) || !m_pPrintDlg) return;
  for (int& cell : m_pPrintDlg->GetPages()) cell = cell == 0 ? 1 : 0;
  m_canvas.Invalidate(1);
  m_pPrintDlg->SetSelect();
}
