// The editing window's side of the tool protocol: switching tools, the
// flip between the pointer tool and the last other tool, the trackers the
// window makes for its tools, the mouse passed on to the current tool, and
// the site through which the tools reach the window.
#include <new>

#include "kvcore/sexception.h"
#include "kvcore/stoolbar.h"
#include "sym/edit/symviewedit.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtoolstd.h"
#include "sym/tools/symtoolview.h"
#include "sym/tools/symtrackerpoly.h"
#include "win/wininput.h"
#include "win/winuser.h"

// ---- switching tools -------------------------------------------------------------------------------

void SSymViewEdit::SetTool(const SClassInfo* record, unsigned long parameter) {
  // The tool pushed out of the previous place, unless it fills another.
  auto dropPrevious = [this] {
    if (m_pPreviousTool && m_pPreviousTool != m_pDefaultTool && m_pPreviousTool != m_pCurrentTool)
      delete m_pPreviousTool;
    m_pPreviousTool = nullptr;
  };
  bool doubleClick = SToolBar::IsButtonDblClicked() != 0;
  if (!record) {
    if (m_pCurrentTool != m_pDefaultTool) {
      dropPrevious();
      m_pPreviousTool = m_pCurrentTool;
      if (m_pPreviousTool) m_pPreviousTool->Disactivate();
      m_pCurrentTool = m_pDefaultTool;
      if (m_pCurrentTool) m_pCurrentTool->Activate(this);
      return;
    }
    if (!doubleClick) return;
  } else if (m_pCurrentTool && m_pCurrentTool->GetClassInfo() == record) {
    if (!doubleClick) {
      m_pCurrentTool->SetToolParam(parameter);
      return;
    }
  } else {
    // A record without a creation function, or of a class that is no tool,
    // leaves the tools as they are.
    SSymToolBase* made = nullptr;
    const bool swapBack = m_pPreviousTool && m_pPreviousTool->GetClassInfo() == record;
    if (!swapBack) {
      SObject* object = record->CreateObject();
      made = dynamic_cast<SSymToolBase*>(object);
      if (!made) {
        delete object;
        return;
      }
    }
    if (m_pCurrentTool && m_pCurrentTool != m_pDefaultTool) m_pCurrentTool->Disactivate();
    if (swapBack) {
      std::swap(m_pCurrentTool, m_pPreviousTool);
    } else {
      dropPrevious();
      m_pPreviousTool = m_pCurrentTool;
      m_pCurrentTool = made;
    }
    m_pCurrentTool->SetToolParam(parameter);
    m_pCurrentTool->Activate(this);
    return;
  }
  // A toolbar double-click: the current tool sees it, then the previous
  // tool comes back and keeps the selection.
  if (m_pCurrentTool) m_pCurrentTool->Activate(this);
  SToolBar::ClearButtonDblClick();
  if (m_pPreviousTool && m_pPreviousTool != m_pCurrentTool) {
    if (m_pCurrentTool) m_pCurrentTool->Disactivate();
    std::swap(m_pCurrentTool, m_pPreviousTool);
    SSymToolBase::SetRestoreTool(1);
    m_pCurrentTool->Activate(this);
    SSymToolBase::SetRestoreTool(0);
  }
}

void SSymViewEdit::OnToolFlip() {
  if (!m_pPreviousTool || m_bFlipLocked) return;
  if (m_pCurrentTool != m_pDefaultTool) {
    SSymToolBase* left = m_pCurrentTool;
    if (left) left->Disactivate();
    if (m_pPreviousTool != m_pDefaultTool && m_pPreviousTool != left) delete m_pPreviousTool;
    m_pPreviousTool = left;
    m_pCurrentTool = m_pDefaultTool;
  } else {
    m_pCurrentTool = m_pPreviousTool;
  }
  ClearSelection();
  if (m_pCurrentTool) m_pCurrentTool->Activate(this);
}

// ---- the tool commands -------------------------------------------------------------------------------

const SClassInfo* SSymViewEdit::GetToolRecord(UINT id) {
  static const SClassInfo* const records[] = {
      &SSymToolLasso::__clsinf,     &SSymToolGrabber::__clsinf,   &SSymToolZoomIn::__clsinf,
      &SSymToolZoomOut::__clsinf,   &SSymToolProperties::__clsinf, &SSymToolDelete::__clsinf,
      &SSymToolRectangle::__clsinf, &SSymToolEllipse::__clsinf,   &SSymToolLine::__clsinf,
      &SSymToolArc::__clsinf,       &SSymToolPolyline::__clsinf,  &SSymToolPolygon::__clsinf,
      &SSymToolRoundRect::__clsinf, &SSymToolText::__clsinf,
  };
  return id >= CmdToolFirst && id <= CmdToolLast ? records[id - CmdToolFirst] : nullptr;
}

void SSymViewEdit::OnToolBasic(UINT id) {
  if (const SClassInfo* record = GetToolRecord(id)) SetTool(record, 0);
}

void SSymViewEdit::OnUpdateToolPointer(SCmdUI* ui) {
  if (!ui) return;
  ui->Enable(TRUE);
  ui->SetCheck(m_pCurrentTool && m_pCurrentTool == m_pDefaultTool ? 1 : 0);
}

void SSymViewEdit::OnUpdateToolBasic(SCmdUI* ui) {
  if (!ui) return;
  ui->Enable(TRUE);
  const SClassInfo* record = GetToolRecord(ui->m_nID);
  ui->SetCheck(record && m_pCurrentTool && m_pCurrentTool->GetClassInfo() == record ? 1 : 0);
}

// ---- trackers --------------------------------------------------------------------------------------

SSymTrackerMover* SSymViewEdit::CreateTrackerMove(const SSymPoint& point, const SSymRect& rect) {
  auto* tracker = new (std::nothrow) SSymTrackerMover(&m_canvas, point, rect);
  if (!tracker)
    throw SEOutOfMemory("SSymTrackerMover* SSymViewEdit::CreateTrackerMove(const SSymPoint&, const SSymRect&)",
                        "sym/edit/symviewtools", __LINE__);
  return tracker;
}

SSymTrackerSizer* SSymViewEdit::CreateTrackerSize(ISSymbol* symbol, const SSymPoint& point, int handle) {
  if (!symbol) return nullptr;
  SComWrap<ISSymCustomShape> keep(symbol);
  if (!keep.IsNull() && keep->GetKeepSize()) return nullptr;
  const int proportions = !keep.IsNull() && keep->GetKeepAspect() ? 1 : 0;
  const unsigned int mode = !keep.IsNull() && keep->GetKeepCenter() ? unsigned(SSymTrackerSizer::ModeKeepCenter) : 0u;
  auto* tracker = new (std::nothrow)
      SSymTrackerSizer(&m_canvas, SnapToGrid(point), symbol->GetClipRect(0, 0), handle, proportions, mode);
  if (!tracker)
    throw SEOutOfMemory("SSymTrackerSizer* SSymViewEdit::CreateTrackerSize(ISSymbol*, const SSymPoint&, int)",
                        "sym/edit/symviewtools", __LINE__);
  return tracker;
}

SSymTrackerPoly* SSymViewEdit::CreateTrackerPoly(ISSymPolyline* symbol, int vertex, const SSymPoint& point,
                                                 int control) {
  if (!symbol) return nullptr;
  SSymListPt points;
  if (FAILED(symbol->GetListPt(points))) return nullptr;
  SComWrap<ISSymBrush> filled(symbol);
  auto* tracker = new (std::nothrow)
      SSymTrackerPoly(&m_canvas, points, vertex, SnapToGrid(point), symbol, filled.IsNull() ? 0 : 1, control);
  if (!tracker)
    throw SEOutOfMemory("SSymTrackerPoly* SSymViewEdit::CreateTrackerPoly(ISSymPolyline*, int, const SSymPoint&, int)",
                        "sym/edit/symviewtools", __LINE__);
  return tracker;
}

// ---- the mouse -------------------------------------------------------------------------------------

void SSymViewEdit::OnMouseMove(UINT flags, POINT pt) {
  SSymView::OnMouseMove(flags, pt);
  const SSymPoint p = m_canvas.DPtoVP(pt);
  if (m_pCurrentTool) m_pCurrentTool->MouseMove(p, SMouseFlags(flags));
  DrawSwimSelection(p);
}

void SSymViewEdit::OnLButtonDown(UINT flags, POINT pt) {
  m_bLeftPressed = 1;
  if (m_pCurrentTool) m_pCurrentTool->MouseLBtnDown(m_canvas.DPtoVP(pt), SMouseFlags(flags));
}

void SSymViewEdit::OnLButtonUp(UINT flags, POINT pt) {
  if (m_pCurrentTool) m_pCurrentTool->MouseLBtnUp(m_canvas.DPtoVP(pt), SMouseFlags(flags));
}

void SSymViewEdit::OnLButtonDblClk(UINT flags, POINT pt) {
  if (m_pCurrentTool) m_pCurrentTool->MouseLBtnDblClk(m_canvas.DPtoVP(pt), SMouseFlags(flags));
}

void SSymViewEdit::OnRButtonDown(UINT flags, POINT pt) {
  if (m_pCurrentTool) m_pCurrentTool->MouseRBtnDown(m_canvas.DPtoVP(pt), SMouseFlags(flags));
}

void SSymViewEdit::OnRButtonUp(UINT flags, POINT pt) {
  if (m_pCurrentTool) m_pCurrentTool->MouseRBtnUp(m_canvas.DPtoVP(pt), SMouseFlags(flags));
  m_bFlipLocked = 0;
}

void SSymViewEdit::OnRButtonDblClk(UINT flags, POINT pt) {
  if (m_pCurrentTool) m_pCurrentTool->MouseRBtnDblClk(m_canvas.DPtoVP(pt), SMouseFlags(flags));
  m_bFlipLocked = 1;
}

BOOL SSymViewEdit::OnSetCursor(SWnd* wnd, UINT hitTest, UINT message) {
  if (wnd == this && LRESULT(hitTest) == HTCLIENT && m_pCurrentTool) {
    POINT at{};
    GetCursorPos(&at);
    ::ScreenToClient(m_hWnd, &at);
    HCURSOR cursor = nullptr;
    if (m_pCurrentTool->SetCursor(m_canvas.DPtoVP(at), SMouseFlags(), &cursor)) {
      ::SetCursor(cursor);
      return TRUE;
    }
  }
  return SSymView::OnSetCursor(wnd, hitTest, message);
}

// ---- in-place editing and the status bar -------------------------------------------------------

namespace {
// The window's own reading of "EditInPlace".
int g_nViewEditInPlace = 0;
}  // namespace

void SSymViewEdit::OnTimer(UINT_PTR id) {
  if (id != TimerEditInPlace) {
    SSymView::OnTimer(id);
    return;
  }
  ::KillTimer(m_hWnd, TimerEditInPlace);
  m_bLongClick = 0;
  if (m_pSelection->GetCount() == 1) EnableEditInPlace(m_pSelection->GetAt(0), m_currentPoint);
}

int SSymViewEdit::EnableEditInPlace(ISSymbol* symbol, const SSymPoint& point) {
  if (!SSymIsEditInPlaceOn(g_nViewEditInPlace) || !symbol) return 0;
  SComWrap<ISSymbol> held(symbol);  // the editor may change the selection
  return SSymStartEditInPlace(this, symbol, point, nullptr);
}

void SSymViewEdit::ShowStatusBarText(ISSymbol* symbol) {
  if (!m_hWnd) return;
  const DWORD pos = GetMessagePos();
  POINT at{GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos))};
  ::ScreenToClient(m_hWnd, &at);
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  if (at.x < client.left || at.x >= client.right || at.y < client.top || at.y >= client.bottom) return;
  if (!symbol) symbol = HitTest(m_canvas.DPtoVP(at), 0, nullptr);
  SString text;
  SComWrap<ISSymTooltip> tip(symbol);
  if (tip.IsNull() || !tip->GetTooltip(text)) text = SString();
  if (m_pShellView) m_pShellView->SetStatusBarText(text);
}

// ---- the site the tools reach the window through -----------------------------------------------

namespace {
struct ToolViewSiteInstaller {
  ToolViewSiteInstaller() {
    SSymToolViewSite site;
    site.view = [](SSymViewEdit* v) -> SSymView* { return v; };
    site.clearSelection = [](SSymViewEdit* v) { v->ClearSelection(); };
    site.selectSymbol = [](SSymViewEdit* v, ISSymbol* symbol, int exclusive) { v->SelectSymbol(symbol, exclusive); };
    site.selectionContains = [](SSymViewEdit* v, ISSymbol* symbol) { return v->SelectionContains(symbol); };
    // What the pointer tool's clicks, hover and cursors ask.
    site.selection = [](SSymViewEdit* v) -> ISSymSelection* { return v->GetSelection(); };
    site.unselect = [](SSymViewEdit* v, ISSymbol* symbol, int draw) { v->GetSelection()->Remove(symbol, draw); };
    site.selectAll = [](SSymViewEdit* v) { v->OnSelectAll(); };
    site.canSelect = [](SSymViewEdit* v, ISSymbol* symbol) { return v->CanSelect(symbol); };
    site.scale = [](SSymViewEdit* v) { return v->GetScale(); };
    site.closeCompView = [](SSymViewEdit* v) {
      SSymView* comp = v->GetCompView();
      if (!comp) return;
      v->SetCompView(nullptr);
      comp->SetDiagram(nullptr);
      if (comp->GetSafeHwnd()) comp->DestroyWindow();
    };
    site.showStatusText = [](SSymViewEdit* v, ISSymbol* symbol) { v->ShowStatusBarText(symbol); };
    site.isEditArmed = [](SSymViewEdit* v) { return v->IsLongClick(); };
    site.setEditArmed = [](SSymViewEdit* v, int armed) { v->SetLongClick(armed); };
    site.setEditPoint = [](SSymViewEdit* v, const SSymPoint& point) { v->SetCurrentPoint(point); };
    site.dragSelection = [](SSymViewEdit* v, const SSymPoint& p) { return v->DragSelection(p); };
    site.flipTools = [](SSymViewEdit* v) { v->OnToolFlip(); };

    // What its captures ask.
    site.snapToGrid = [](SSymViewEdit* v, const SSymPoint& p) { return v->SnapToGrid(p); };
    site.createTrackerSize = [](SSymViewEdit* v, ISSymbol* symbol, const SSymPoint& p, int handle) {
      return v->CreateTrackerSize(symbol, p, handle);
    };
    site.createTrackerPoly = [](SSymViewEdit* v, ISSymPolyline* symbol, int vertex, const SSymPoint& p, int control) {
      return v->CreateTrackerPoly(symbol, vertex, p, control);
    };

    SSymSetToolViewSite(site);
  }
  ~ToolViewSiteInstaller() { SSymSetToolViewSite(SSymToolViewSite{}); }
} g_toolViewSiteInstaller;
}  // namespace
