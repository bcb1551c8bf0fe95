// The diagram window: creation and subclassing, the message map, binding to
// a diagram, the collection sink, activation; and the site and queries
// through which the canvases and the symbol core reach it.
#include "sym/diagram/symview.h"

#include <memory>
#include <new>

#include "kvcore/sdlg.h"
#include "kvcore/sexception.h"
#include "kvlib/slibimagelist.h"
#include "kvrep/srepobject.h"
#include "sym/diagram/symdiagram.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/symbol/symintfview.h"
#include "win/winuser.h"

namespace {
const char16_t kClassName[] = u"SSymView";
}  // namespace

SSymView* SSymView::m_pActiveView = nullptr;
int SSymView::m_bCaptureInProgress = 0;

SClassInfo SSymView::__clsinf("SSymView", sizeof(SSymView), &SWnd::__clsinf, &SSymView::CreateObject);

SWndBag& SSymView::GetHookBag() {
  static SWndBag bag;
  return bag;
}

// clang-format off
KV_BEGIN_MESSAGE_MAP(SSymView, SWnd)
  KV_ON_WM_CREATE()
  KV_ON_WM_DESTROY()
  KV_ON_WM_PAINT()
  KV_ON_WM_ERASEBKGND()
  KV_ON_WM_SIZE()
  KV_ON_WM_HSCROLL()
  KV_ON_WM_VSCROLL()
  KV_ON_WM_SETFOCUS()
  KV_ON_WM_KILLFOCUS()
  KV_ON_WM_LBUTTONDOWN()
  KV_ON_WM_LBUTTONUP()
  KV_ON_WM_RBUTTONUP()
  KV_ON_WM_MOUSEMOVE()
  KV_ON_WM_MOUSEWHEEL()
  KV_ON_COMMAND(SSymView::CmdPrevView, OnPrevView)
  KV_ON_COMMAND(SSymView::CmdNextView, OnNextView)
  KV_ON_UPDATE_COMMAND_UI(SSymView::CmdPrevView, OnUpdatePrevView)
  KV_ON_UPDATE_COMMAND_UI(SSymView::CmdNextView, OnUpdateNextView)
  KV_ON_COMMAND(SSymView::CmdViewRedraw, OnViewRedraw)
KV_END_MESSAGE_MAP()
// clang-format on

// ---- construction and creation -----------------------------------------------------------------

SSymView::SSymView() = default;

SSymView::~SSymView() {
  if (m_pActiveView == this) m_pActiveView = nullptr;
  // A view destroyed while bound (never created as a window, or deleted by
  // its owner) leaves its diagram and the collection's sink list; the
  // references dropped meanwhile must not delete it a second time.
  m_bDestroying = true;
  Unbind();
}

SObject* SSymView::CreateObject() {
  SSymView* view = new (std::nothrow) SSymView();
  if (!view) throw SEOutOfMemory(__func__, "sym/h/symview", __LINE__);
  return view;
}

void SSymView::RegisterClass() {
  WNDCLASSW wc{};
  if (GetClassInfoW(nullptr, kClassName, &wc)) return;
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_GLOBALCLASS;
  wc.lpfnWndProc = &SSymView::WndProcHook;
  wc.hInstance = nullptr;
  wc.lpszClassName = kClassName;
  if (!RegisterClassW(&wc)) throw SException(SString(u"Unable to register class"), __func__, __FILE__, __LINE__);
}

void SSymView::RegisterViewClass() {
  try {
    RegisterClass();
  } catch (...) {
  }
}

LRESULT SSymView::WndProcHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A view made through CreateEx is bound before its first message and
  // passes here only what its map leaves to the class procedure. Any other
  // window is one created by class name from outside: it gets a view.
  if (SWnd::FromHandlePermanent(hwnd)) return DefWindowProcW(hwnd, message, wParam, lParam);
  SSymView* view = new SSymView();
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
  if (!view->SubclassWindow(hwnd)) {
    delete view;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  GetHookBag().Add(view);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

SSymView* SSymView::PostOleInCast(IUnknown* unk) {
  if (!unk) return nullptr;
  void* out = nullptr;
  const HRESULT hr = unk->QueryInterface(IID_SSymView, &out);
  if (hr == E_NOINTERFACE) return nullptr;
  if (FAILED(hr)) throw SECOMException(__func__, __FILE__, __LINE__, hr);
  auto* view = static_cast<SSymView*>(out);
  if (view) view->Release();
  return view;
}

BOOL SSymView::PreCreateWindow(CREATESTRUCTW& cs) {
  SWnd::PreCreateWindow(cs);
  if (cs.style & WS_BORDER) {
    cs.style &= ~static_cast<LONG>(WS_BORDER);
    cs.dwExStyle |= WS_EX_CLIENTEDGE;
  }
  RegisterClass();
  if (!cs.lpszClass) cs.lpszClass = kClassName;
  return TRUE;
}

void SSymView::PostNcDestroy() {
  if (m_pActiveView == this) m_pActiveView = nullptr;
  GetHookBag().Remove(this);
  Release();  // the reference taken at creation
}

// ---- IUnknown -------------------------------------------------------------------------------

HRESULT SSymView::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISRepClassColSink) {
    *ppv = static_cast<ISRepClassColSink*>(this);
  } else if (iid == IID_SSymView) {
    *ppv = this;
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG SSymView::AddRef() { return ++m_cRef; }

ULONG SSymView::Release() {
  const ULONG n = m_cRef ? --m_cRef : 0;
  if (n == 0 && !m_bDestroying) delete this;
  return n;
}

// ---- state and accessors --------------------------------------------------------------------

HRESULT SSymView::GetDiagram(void** out, const GUID& iid) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!m_pDiagram) return E_POINTER;
  return m_pDiagram->QueryInterface(iid, out);
}

SSymDispPref* SSymView::GetDispPrefPtr() {
  if (!m_pDiagram) return nullptr;
  SSymDiagramImpl* d = SSymDiagramImpl::FromDiagram(m_pDiagram);
  if (!d || d->IsDeleted() || d->IsDeleting()) return nullptr;
  return d->GetDispPrefPtr();
}

void SSymView::SetActiveView(int active) {
  if (active)
    m_pActiveView = this;
  else if (m_pActiveView == this)
    m_pActiveView = nullptr;
}

int SSymView::SetCtrlSelected(int selected) {
  if (!(m_nState & StateCtrlSelectable)) return 0;
  const int before = (m_nState & StateCtrlSelected) ? 1 : 0;
  if (selected)
    m_nState |= StateCtrlSelected;
  else
    m_nState &= ~StateCtrlSelected;
  if (before != (selected ? 1 : 0) && !(m_nState & StateSuspended)) InvalidateAll(m_nState & StateAllowErase);
  return before;
}

// ---- invalidation ---------------------------------------------------------------------------

void SSymView::InvalidateAll(int erase) {
  if (m_nState & StateSuspended) return;
  Invalidation inv;
  inv.whole = true;
  inv.erase = (m_nState & StateAllowErase) && erase ? 1 : 0;
  m_invalidations.push_back(inv);
  if (m_hWnd) SWnd::InvalidateRect(nullptr, inv.erase);
}

void SSymView::InvalidateRect(const RECT& rc, int erase) {
  if (m_nState & StateSuspended) return;
  Invalidation inv;
  inv.rect = rc;
  inv.erase = (m_nState & StateAllowErase) && erase ? 1 : 0;
  m_invalidations.push_back(inv);
  if (m_hWnd) SWnd::InvalidateRect(&rc, inv.erase);
}

void SSymView::RepaintIfDue() {
  if (!m_bRepaintDue || (m_nState & StateSuspended)) return;
  m_bRepaintDue = false;
  InvalidateAll(1);
}

// ---- binding to a diagram -------------------------------------------------------------------

bool SSymView::Unbind() {
  if (!m_pDiagram) return false;
  ISSymDiagram* d = m_pDiagram;
  m_pDiagram = nullptr;
  ISRepClassCol* col = nullptr;
  if (SUCCEEDED(d->GetSymbols(&col)) && col) {
    col->Unadvise(this);
    col->Release();
  }
  d->RemoveView(this);
  d->Release();
  return true;
}

void SSymView::SetDiagram(ISSymDiagram* diagram) {
  if (m_pDiagram) {
    if (diagram != m_pDiagram) {
      if (diagram) diagram->AddRef();  // held while the old one is left
      Unbind();
      m_pDiagram = diagram;
      if (diagram && !(m_nState & StateSuspended)) InvalidateAll(m_nState & StateAllowErase);
    }
  } else {
    if (diagram && (m_nState & StateSuspended) && (m_nState & StateActivatedOnce)) m_nState &= ~StateSuspended;
    if (diagram) diagram->AddRef();
    m_pDiagram = diagram;
  }
  if (m_pDiagram) {
    if (!m_pDiagram->ContainsView(this)) {
      m_pDiagram->AddView(this);
      ISRepClassCol* col = nullptr;
      if (SUCCEEDED(m_pDiagram->GetSymbols(&col)) && col) {
        col->Advise(this);
        col->Release();
      }
    }
    ApplyDispPref();
    ShowDiagramIcon();
  } else if (!(m_nState & StateSuspended) && (m_nState & StateActivatedOnce)) {
    // A view activated once shows nothing while it has no diagram.
    m_nState |= StateSuspended;
  }
  RepaintIfDue();
}

void SSymView::ShowDiagramIcon() {
  // The frame that holds the window shows the diagram's icon; dialogs keep their own.
  SWnd* owner = GetOwner();
  if (!owner) owner = GetParent();  // a child window's owner is its parent
  SSymDiagramImpl* diagram = SSymDiagramImpl::FromDiagram(m_pDiagram);
  if (!owner || !diagram || dynamic_cast<SDlg*>(owner)) return;
  m_icon.Attach(SLibImageList::GetSmallImageList().ExtractIcon(diagram->GetImageIndex()));
  owner->SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon.GetIcon()));
}

void SSymView::ApplyDispPref() {
  SSymDispPref* pref = GetDispPrefPtr();
  SSymDiagramImpl* diagram = SSymDiagramImpl::FromDiagram(m_pDiagram);
  if (!pref || !diagram) return;
  SSymBrush brush;
  brush.SetColor(SSymColor(pref->GetWinColor()));
  m_canvas.SetBkBrush(brush);
  // A painter's picture changes hands through the diagram, which may keep
  // the pictures its windows show.
  auto exchange = [diagram](SDrawBackground& painter, const SString& file) {
    const void* old = painter.GetPicture();
    painter.LoadPicture(file);
    if (painter.GetPicture() != old) {
      diagram->RemovePicture(old);
      diagram->AddPicture(painter.GetPicture());
    }
  };
  m_background.SetBackColor(pref->GetWinColor(), 0);
  exchange(m_background, pref->GetBackBitmapFile());
  m_background.SetDrawMode(pref->GetDrawBackMode());
  m_background.SetGradientMode(pref->GetGradientMode());
  m_background.SetGradientColors(pref->GetWinColor(), pref->GetGradientEndColor());
  exchange(m_watermark, pref->GetWatermarkBitmapFile());
  m_watermark.SetDrawMode(pref->GetDrawWatermarkMode());
}

// ---- collection sink ------------------------------------------------------------------------

namespace {
bool IsSymbolCollection(ISRepClassCol* col) { return col && col->GetCollectionId() == SSymDiagramMem::IdSymbols; }
}  // namespace

HRESULT SSymView::InvalidateSymbol(ISRepObject* obj) {
  if (!obj || !(m_nState & StateAllowErase) || (m_nState & StateSuspended)) return S_OK;
  ISSymbol* symbol = nullptr;
  const HRESULT hr = obj->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&symbol));
  if (hr == E_NOINTERFACE) return S_OK;
  if (FAILED(hr) || !symbol) throw SECOMException(__func__, __FILE__, __LINE__, FAILED(hr) ? hr : E_POINTER);
  {
    LockCanvas lock(this);
    const SSymRect r = symbol->GetActiveRect(m_canvas, 1);
    m_canvas.InvalidateRectLP(r, 1);
  }
  symbol->Release();
  return S_OK;
}

HRESULT SSymView::OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int) {
  if (!IsSymbolCollection(col)) return S_OK;
  return InvalidateSymbol(obj);
}

HRESULT SSymView::OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) {
  if (!IsSymbolCollection(col)) return S_OK;
  return InvalidateSymbol(obj);
}

HRESULT SSymView::OnObjColMove(ISRepClassCol* col, int from, int to) {
  if (!IsSymbolCollection(col) || !(m_nState & StateAllowErase)) return S_OK;
  for (int pos : {to, from}) {
    ISRepObject* obj = nullptr;
    if (SUCCEEDED(col->Item(pos, &obj)) && obj) {
      InvalidateSymbol(obj);
      obj->Release();
    }
  }
  return S_OK;
}

HRESULT SSymView::OnObjColDelete(ISRepClassCol* col) {
  if (!IsSymbolCollection(col) || !m_pDiagram) return S_OK;
  // Closing the window may unbind the view (and, for a view made for its
  // window, delete it): both the diagram and the view are held until the
  // binding has been left exactly once.
  ISSymDiagram* held = m_pDiagram;
  held->AddRef();
  AddRef();
  Close();
  Unbind();
  held->Release();
  Release();
  return S_OK;
}

// ---- activation and closing -----------------------------------------------------------------

void SSymView::OnActivate(int active) {
  if (active && (m_nState & StateSuspended) && !(m_nState & (StateActivatedOnce | StateAllowErase))) {
    m_nState &= ~StateSuspended;
    m_nState |= StateActivatedOnce | StateAllowErase;
  }
  if (!(m_nState & StateSuspended)) InvalidateAll(m_nState & StateAllowErase);
  if (active)
    m_nState |= StateActive;
  else
    m_nState &= ~StateActive;
  RepaintIfDue();
}

void SSymView::Close() {
  if (!m_hWnd) return;
  const HWND parent = ::GetParent(m_hWnd);
  if (parent) ::SendMessageW(parent, WM_CLOSE, 0, 0);
}

void SSymView::ContextMenu() {
  try {
    const DWORD pos = GetMessagePos();
    SWnd::OnContextMenu(this, POINT{GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos))});
  } catch (...) {
  }
}

void SSymView::OnShowHiddenSymbols() {
  if (!m_pDiagram) return;
  ISRepClassCol* col = nullptr;
  if (FAILED(m_pDiagram->GetSymbols(&col)) || !col) return;
  std::vector<ISSymbol*> hidden;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    ISRepObject* obj = nullptr;
    if (FAILED(col->Item(i, &obj)) || !obj) continue;
    ISSymbol* s = nullptr;
    if (SUCCEEDED(obj->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&s))) && s) {
      if (s->IsHidden())
        hidden.push_back(s);
      else
        s->Release();
    }
    obj->Release();
  }
  col->Release();
  if (hidden.empty()) return;
  ISRepSession* session = nullptr;
  ISRepObject* diagramObj = nullptr;
  if (SUCCEEDED(m_pDiagram->QueryInterface(IID_ISRepObject, reinterpret_cast<void**>(&diagramObj))) && diagramObj) {
    diagramObj->GetSession(&session);
    diagramObj->Release();
  }
  {
    // In a session the symbols' own records of their visibility join one
    // step, so that one undo hides them all again.
    std::unique_ptr<SRepCreateContext> ctx;
    if (session) ctx = std::make_unique<SRepCreateContext>(session);
    for (ISSymbol* s : hidden) s->Show(1);
  }
  for (ISSymbol* s : hidden) s->Release();
  if (session) session->Release();
}

// ---- messages -------------------------------------------------------------------------------

BOOL SSymView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_CANCELMODE && m_bCaptureInProgress) {
    // The capture loop takes it from the queue.
    PostMessage(WM_CANCELMODE);
    if (result) *result = 0;
    return TRUE;
  }
  return SWnd::OnWndMsg(message, wParam, lParam, result);
}

int SSymView::OnCreate(LPCREATESTRUCTW cs) {
  if (SWnd::OnCreate(cs) == -1) return -1;
  AddRef();
  m_canvas.Init(this);
  m_background.SetWindow(m_hWnd);
  if (GetStyle() & (WS_HSCROLL | WS_VSCROLL))
    m_nState |= StateScrollBars;
  else
    m_nState &= ~StateScrollBars;
  RECT rc{};
  GetClientRect(&rc);
  m_canvas.SetSizeDP(SIZE{rc.right - rc.left, rc.bottom - rc.top});
  UpdateScrollBars(1);
  return 0;
}

void SSymView::OnDestroy() {
  SWnd::OnDestroy();
  Unbind();
  m_nState |= StateSuspended;
}

void SSymView::OnSize(UINT, int cx, int cy) {
  m_canvas.SetSizeDP(SIZE{cx, cy});
  UpdateScrollBars(1);
}

void SSymView::OnSetFocus(SWnd* old) {
  SWnd::OnSetFocus(old);
  if (m_nState & StateFocusMark) DrawFocusMark();
}

void SSymView::OnKillFocus(SWnd* newWnd) {
  SWnd::OnKillFocus(newWnd);
  if (m_nState & StateFocusMark) DrawFocusMark();
}

void SSymView::OnLButtonDown(UINT, POINT) {
  if (!(m_nState & StateCtrlSelectable)) return;
  if (GetFocus() != this) SetFocus();
  const int id = GetDlgCtrlID();
  SWnd* parent = GetParent();
  if (id > 0 && parent) parent->SendMessage(WM_COMMAND, WPARAM(id), reinterpret_cast<LPARAM>(m_hWnd));
}

void SSymView::OnMouseMove(UINT flags, POINT pt) { SWnd::OnMouseMove(flags, pt); }

void SSymView::OnPrevView() {
  LockCanvas lock(this);
  ScalePrevView();
}

void SSymView::OnNextView() {
  LockCanvas lock(this);
  ScaleNextView();
}

void SSymView::OnUpdatePrevView(SCmdUI* ui) {
  if (ui) ui->Enable(m_nHistCount > 0 && m_nHistPos > 0);
}

void SSymView::OnUpdateNextView(SCmdUI* ui) {
  if (ui) ui->Enable(m_nHistCount != 0 && m_nHistPos < m_nHistCount);
}

void SSymView::OnViewRedraw() {
  if (!(m_nState & StateSuspended)) InvalidateAll(m_nState & StateAllowErase);
}

// ---- site and queries of the lower layers ---------------------------------------------------

namespace {
class ViewSite final : public ISSymViewSite {
 public:
  int GetState(SSymView* view) override { return view->GetState(); }
  SDrawBackground* GetDrawBackground(SSymView* view) override { return view->GetDrawBackground(); }
  SDrawBackground* GetDrawWatermark(SSymView* view) override { return view->GetDrawWatermark(); }
  bool HasBackgroundPicture(SSymView* view) override { return view->m_bBackgroundPicture != 0; }
  HWND GetSafeHwnd(SSymView* view) override { return view->GetSafeHwnd(); }
  void InvalidateAll(SSymView* view, int erase) override { view->InvalidateAll(erase); }
  void InvalidateRect(SSymView* view, const RECT& rc, int erase) override { view->InvalidateRect(rc, erase); }
};

// A plain view is no editing view and ignores removals. Its canvas is there
// to draw on once it has a window; a view without one measures on a canvas
// made for the purpose, on the screen.
class ViewQueries final : public ISSymViewQueries {
 public:
  bool IsEditView(SSymView*) override { return false; }
  void NotifyRemove(SSymView* view, ISSymbol* symbol) override {
    if (view) view->NotifyRemove(symbol);
  }
  SSymCanvasView* GetCanvas(SSymView* view) override {
    return view && view->GetSafeHwnd() ? view->GetCanvasPtr() : nullptr;
  }
  SSymSize PixelsToUnits(SSymView* view, SIZE pixels) override {
    SSymCanvasView* canvas = GetCanvas(view);
    return canvas ? canvas->DPtoVP(pixels) : SSymScreenPixelsToUnits(pixels);
  }
  SSymCanvas* LockCanvas(SSymView* view, std::unique_ptr<SSymCanvas>& own) override {
    SSymCanvasView* canvas = GetCanvas(view);
    if (canvas && canvas->IsLocked()) return canvas;
    own = std::make_unique<SSymDeftCanvas>();
    return own.get();
  }
};

struct ViewInstaller {
  ViewSite site;
  ViewQueries queries;
  ViewInstaller() {
    SSymSetViewSite(&site);
    SSymSetViewQueries(&queries);
    SRepSession::LockDrawAllViews::CreateObject = __LockDrawAllSessionViewsObject::Factory();
  }
  ~ViewInstaller() {
    SSymSetViewSite(nullptr);
    SSymSetViewQueries(nullptr);
    SRepSession::LockDrawAllViews::CreateObject = nullptr;
  }
} g_viewInstaller;
}  // namespace

bool SSymView::DeferPaintWhileSuppressed() {
  if (!(m_nState & StateSuspended) || !(m_nState & StateActivatedOnce)) return false;
  if (m_hWnd) ::ValidateRect(m_hWnd, nullptr);
  m_bRepaintDue = true;
  return true;
}
