// The editing window: construction, creation and destruction with its tools,
// tooltip and drop target, the binding to a diagram, and the routing of
// commands and of the messages it looks at before they are dispatched.
#include "sym/edit/symviewedit.h"

#include <algorithm>
#include <new>

#include "kvcore/sexception.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symmovesite.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfformat.h"
#include "sym/tools/symtool.h"
#include "win/wininput.h"
#include "win/winuser.h"

int g_nExportInColor = 2;

// The host makes its editing windows itself: the record creates none.
KV_IMPLEMENT_CLASSINFO(SSymViewEdit, SSymView);

// clang-format off
KV_BEGIN_MESSAGE_MAP(SSymViewEdit, SSymView)
  KV_ON_WM_CREATE()
  KV_ON_WM_DESTROY()
  KV_ON_WM_MOUSEMOVE()
  KV_ON_WM_LBUTTONDOWN()
  KV_ON_WM_LBUTTONUP()
  KV_ON_WM_LBUTTONDBLCLK()
  KV_ON_WM_RBUTTONDOWN()
  KV_ON_WM_RBUTTONUP()
  KV_MOUSE_ENTRY(WM_RBUTTONDBLCLK, OnRButtonDblClk)
  KV_ON_WM_SETCURSOR()
  KV_ON_WM_TIMER()
  KV_ON_UPDATE_COMMAND_UI(SSymViewEdit::CmdPreview, OnUpdatePreview)
  KV_ON_UPDATE_COMMAND_UI(SSymViewEdit::CmdOleLinks, OnUpdatePreview)
  KV_ON_COMMAND(SSymViewEdit::CmdViewZoomSel, OnViewZoomSel)
  KV_ON_COMMAND(SSymViewEdit::CmdViewPage, OnViewPage)
  KV_ON_COMMAND(SSymViewEdit::CmdViewUsed, OnViewUsed)
  KV_ON_COMMAND(SSymViewEdit::CmdViewAllPages, OnViewAllPages)
  KV_ON_COMMAND(SSymViewEdit::CmdViewGlobal, OnViewGlobal)
  KV_ON_COMMAND(SSymViewEdit::CmdViewZoomIn, OnViewZoomIn)
  KV_ON_COMMAND(SSymViewEdit::CmdViewZoomOut, OnViewZoomOut)
  KV_ON_COMMAND_RANGE(SSymViewEdit::CmdViewScaleFirst, SSymViewEdit::CmdViewScaleLast, OnViewScaleX)
  KV_ON_COMMAND_RANGE(SSymViewEdit::CmdViewScaleActual, SSymViewEdit::CmdViewScaleActual, OnViewScaleX)
  KV_ON_COMMAND(SSymViewEdit::CmdCtrlSubstract, OnCtrlSubstract)
  KV_ON_COMMAND(SSymViewEdit::CmdActvSwimlane, OnActvSwimlane)
  KV_ON_COMMAND(SSymViewEdit::CmdDesactvSwimlane, OnDesactvSwimlane)
  KV_ON_COMMAND(SSymViewEdit::CmdToolPointer, OnToolPointer)
  KV_ON_COMMAND_RANGE(SSymViewEdit::CmdToolFirst, SSymViewEdit::CmdToolLast, OnToolBasic)
  KV_ON_UPDATE_COMMAND_UI(SSymViewEdit::CmdToolPointer, OnUpdateToolPointer)
  KV_ON_UPDATE_COMMAND_UI_RANGE(SSymViewEdit::CmdToolFirst, SSymViewEdit::CmdToolLast, OnUpdateToolBasic)
KV_END_MESSAGE_MAP()
// clang-format on

namespace {
// Tooltip settings: the widest tip in pixels and the delays in milliseconds.
constexpr int kTipWidth = 300;
constexpr int kTipAutoPop = 32767;
constexpr int kTipInitial = 200;
constexpr int kTipReshow = 200;
// The mouse messages the tooltip is shown (WM_MOUSEMOVE .. WM_MBUTTONDBLCLK).
constexpr UINT kFirstMouseMessage = 0x200;
constexpr UINT kLastMouseMessage = 0x209;
// The diagram's put-off work: fitting symbols to their texts, a layout.
constexpr LONG kFlagAdjustText = 1;
constexpr LONG kFlagAutoLayout = 2;
}  // namespace

// ---- construction ---------------------------------------------------------------------------------

SSymViewEdit::SSymViewEdit(SSymSelection* selection)
    : m_pSelection(selection ? selection : new SSymSelection(this)),
      m_dispatch(m_pSelection),
      m_pToolClass(&SSymToolPointer::__clsinf) {
  if (g_nExportInColor == 2) {
    // The user's copy first, else the machine's (copied to the user).
    SUserRegistry registry(SUserRegistry::sApplicationGeneral);
    long value = 1;
    registry.GetProfile(SString(u"ExportInColor"), &value, 1);
    g_nExportInColor = static_cast<int>(value);
  }
  // Nothing is drawn until the window is first activated.
  m_nState |= StateSuspended;
}

SSymViewEdit::~SSymViewEdit() {
  DeleteTools();
  if (m_pCompView) {
    m_pCompView->SetDiagram(nullptr);
    if (m_pCompView->GetSafeHwnd()) m_pCompView->DestroyWindow();
    m_pCompView = nullptr;
  }
  m_pDropTracker.reset();
  m_pDropLock.reset();
  delete m_pSelection;
  m_pSelection = nullptr;
  m_dropTarget.Revoke();
}

void SSymViewEdit::DeleteTools() {
  // One tool may fill several slots: each is deleted once.
  if (m_pDefaultTool) {
    if (m_pCurrentTool == m_pDefaultTool) m_pCurrentTool = nullptr;
    if (m_pPreviousTool == m_pDefaultTool) m_pPreviousTool = nullptr;
    delete m_pDefaultTool;
    m_pDefaultTool = nullptr;
  }
  if (m_pCurrentTool) {
    if (m_pPreviousTool == m_pCurrentTool) m_pPreviousTool = nullptr;
    delete m_pCurrentTool;
    m_pCurrentTool = nullptr;
  }
  delete m_pPreviousTool;
  m_pPreviousTool = nullptr;
}

// ---- the window -----------------------------------------------------------------------------------

BOOL SSymViewEdit::PreCreateWindow(CREATESTRUCTW& cs) {
  if (!SSymView::PreCreateWindow(cs)) return FALSE;
  cs.style |= WS_HSCROLL | WS_VSCROLL;
  return TRUE;
}

int SSymViewEdit::OnCreate(LPCREATESTRUCTW cs) {
  if (!m_pDefaultTool && m_pToolClass) {
    SObject* made = m_pToolClass->CreateObject();
    m_pDefaultTool = dynamic_cast<SSymToolBase*>(made);
    if (!m_pDefaultTool) delete made;  // a class that is no tool
    m_pCurrentTool = m_pDefaultTool;
  }
  if (const int result = SSymView::OnCreate(cs)) return result;
  m_canvas.SetPaperSize(SSymSize(DefPaperWidth, DefPaperHeight));
  m_dropTarget.Register(this, this);
  if (!m_pToolTip) {
    auto* tip = new (std::nothrow) SToolTipCtrl();
    if (tip && tip->Create(this) && tip->AddTool(this, LPSTR_TEXTCALLBACKW)) {
      tip->SetMaxTipWidth(kTipWidth);
      tip->SetDelayTime(TTDT_AUTOPOP, kTipAutoPop);
      tip->SetDelayTime(TTDT_INITIAL, kTipInitial);
      tip->SetDelayTime(TTDT_RESHOW, kTipReshow);
      m_pToolTip = tip;
    } else {
      delete tip;  // the window goes on without a tooltip
    }
  }
  PostCreate();
  return 0;
}

void SSymViewEdit::OnDestroy() {
  if (m_pDefaultTool) m_pDefaultTool->Disactivate();
  if (m_pCurrentTool) m_pCurrentTool->Disactivate();
  if (m_pPreviousTool) m_pPreviousTool->Disactivate();
  EndDropFeedback();  // a drag over the window ends with it
  SSymView::OnDestroy();
  m_dropTarget.Revoke();
  delete m_pToolTip;
  m_pToolTip = nullptr;
}

HWND SSymViewEdit::GetRoutingWindow() const { return m_pShellView ? m_pShellView->GetSiteWindow() : nullptr; }

SWnd* SSymViewEdit::GetRoutingWndPtr() const {
  HWND hwnd = GetRoutingWindow();
  return hwnd ? SWnd::FromHandle(hwnd) : nullptr;
}

// ---- commands and messages ------------------------------------------------------------------------

BOOL SSymViewEdit::OnCmdMsg(UINT id, int code, void* extra, SCmdHandlerInfo* info) {
  if (SSymView::OnCmdMsg(id, code, extra, info)) return TRUE;
  return GetSelectionCmdTarget()->OnCmdMsg(id, code, extra, info);
}

BOOL SSymViewEdit::PreTranslateMessage(MSG* msg) {
  if (!msg) return FALSE;
  if (m_pToolTip && msg->message >= kFirstMouseMessage && msg->message <= kLastMouseMessage) {
    m_pToolTip->RelayEvent(msg);
    return SSymView::PreTranslateMessage(msg);
  }
  if (msg->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && (msg->wParam == 'N' || msg->wParam == 'I') &&
      m_pSelection->GetCount() == 1) {
    // A selected row of a symbol: Ctrl+N appends a row object, Ctrl+I
    // inserts one above the row, which needs an object of its own.
    ISSymbol* selected = m_pSelection->GetAt(0);
    const int append = msg->wParam == 'N' ? 1 : 0;
    if (selected && selected->GetSymbolType() == SSymSelSubSym::SymbolType) {
      auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(selected));
      if (mark && (append || mark->GetObject()) && mark->AddNewSubObj(append, *m_pSelection)) return TRUE;
    }
  }
  return SSymView::PreTranslateMessage(msg);
}

int SSymViewEdit::EnableSelectionCmd(SCmdUI* ui, int enable) {
  if (ui) ui->Enable(enable);
  return enable;
}

void SSymViewEdit::OnUpdatePreview(SCmdUI* ui) {
  if (ui) ui->Enable(FALSE);
}

// ---- the diagram ----------------------------------------------------------------------------------

void SSymViewEdit::SetDiagram(ISSymDiagram* diagram) {
  SSymView::SetDiagram(diagram);
  ISSymDiagram* bound = GetDiagramPtr();
  // The selection names the window's diagram, none included.
  m_pSelection->SetDiagram(bound);
  if (!bound) return;
  if (m_pCurrentTool) m_pCurrentTool->Activate(this);
  LockCanvas lock(this);
  // The diagram's zoom: a Scale of 0 or below (unset or damaged) counts as
  // actual size, and the canvas holds it within its limits.
  const LONG scale = bound->GetScale();
  m_canvas.SetZoomLevel(scale > 0 ? static_cast<double>(scale) : 100.0, m_canvas.GetViewCenter());
  UpdatePaperSize();
  WorkOffDiagramFlags(bound);
}

void SSymViewEdit::WorkOffDiagramFlags(ISSymDiagram* diagram) {
  const LONG flags = diagram->GetFlags();
  if (!(flags & (kFlagAdjustText | kFlagAutoLayout))) return;
  HCURSOR before = ::SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (flags & kFlagAdjustText) {
    for (ISSymbol* s : DiagramSymbols(diagram)) {
      SComWrap<ISSymAdjust> adjust(s);
      if (!adjust.IsNull()) adjust->AdjustText(m_canvas, 0, 0);
    }
  }
  if (flags & kFlagAutoLayout) {
    SRepCreateContext step(static_cast<ISRepObject*>(diagram), 1, 1, 1);
    diagram->AutoLayout();
  }
  diagram->SetFlags(flags & ~(kFlagAdjustText | kFlagAutoLayout));
  ::SetCursor(before);
}

void SSymViewEdit::NotifyRemove(ISSymbol* symbol) {
  if (symbol && m_pSelection->Contains(symbol)) m_pSelection->Remove(symbol, 0);
}

void SSymViewEdit::GetSession(ISRepSession** out) {
  if (!out) return;
  if (ISSymDiagram* d = GetDiagramPtr()) d->GetSession(out);
}

int SSymViewEdit::IsObjHasDiagram(ISRepObject* object) {
  if (!object) return 0;
  return SRepIsKindOf(object, NoDiagramClass) ? 0 : 1;
}

ISSymbol* SSymViewEdit::AttachSymbol(ISSymbol* symbol, int setDefaults) {
  ISSymDiagram* d = GetDiagramPtr();
  return d ? d->AttachSymbol(symbol, setDefaults) : nullptr;
}

// ---- a move with the mouse, and the swimlane switch ----------------------------------------------

SSymPoint SSymViewEdit::GetDropPoint() const {
  return m_pMoveTracker ? m_pMoveTracker->GetCurrentPoint() : SSymPoint();
}

void SSymViewEdit::OnActvSwimlane() { ShowSwimlanes(1); }

void SSymViewEdit::OnDesactvSwimlane() { ShowSwimlanes(0); }

void SSymViewEdit::ShowSwimlanes(int show) {
  ISSymDiagram* diagram = GetDiagramPtr();
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!diagram || !prefs || !prefs->IsSupportSwimSymbol()) return;
  prefs->SetShowSwimlane(show);
  diagram->ApplyDispPref();
  InvalidateAll(1);
}

void MoveSymbolsNotInBag(SSymViewEdit* view, const SComBag<ISSymbol>& moved, const SSymSize& offset) {
  if (!view) return;
  SSymDiagramImpl* diagram = SSymDiagramImpl::FromDiagram(view->GetDiagramPtr());
  if (!diagram) return;
  const SComTable<ISSymbol> pools = diagram->GetSwimLaneList();
  for (int i = 0; i < pools.GetCount(); ++i) {
    ISSymbol* pool = pools.GetAt(i);
    if (pool && !moved.Contains(pool)) pool->MoveBy(offset, 1);
  }
}

// ---- the diagram's way to the window after a move --------------------------------------------------
namespace {
bool GetDrop(SSymViewEdit* view, SSymRect& outline, SSymPoint& drop) {
  SSymTrackerMover* tracker = view ? view->GetMoveTracker() : nullptr;
  if (!tracker) return false;
  outline = tracker->GetRect();
  drop = view->GetDropPoint();
  return true;
}

struct MoveSiteInstaller {
  MoveSiteInstaller() { SSymSetMoveSite(SSymMoveSite{&GetDrop, &MoveSymbolsNotInBag}); }
  ~MoveSiteInstaller() { SSymSetMoveSite(SSymMoveSite{}); }
} g_moveSiteInstaller;
}  // namespace
