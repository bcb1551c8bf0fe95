// SSymView: the window that shows one diagram. It owns the screen canvas
// every symbol draws on, listens to the diagram's symbol collection so that
// inserted, moved and removed symbols are repainted, answers hit tests and
// paints itself. A window created from outside by the class name "SSymView"
// gets a view of its own through the class's window procedure hook.
//
// Drawing is governed by three scoped locks:
//   SSymView::LockCanvas   a client context for the canvas outside WM_PAINT;
//   SSymView::LockPaint    no invalidation and no drawing while it is held;
//   __LockDrawAllSessionViewsObject  a paint lock on every diagram window of
//                          a repository session, made by the factory the
//                          library installs into the repository when it loads.
//
// The canvases reach the view through ISSymViewSite and the symbol core
// through ISSymViewQueries; this folder fills both when the library loads.
#pragma once

#include <optional>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/spicture.h"
#include "kvcore/stable.h"
#include "kvcore/swnd.h"
#include "kvrep/srepintf.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanvview.h"
#include "sym/render/symviewsite.h"
#include "win/windef.h"

struct ISSymbol;
struct ISSymDiagram;
class ISSymViewCapture;
class SSymDispPref;
class SSymPrintPages;

// The view's own identity: QueryInterface for it yields the view object.
inline constexpr IID IID_SSymView = MakeGUID("{09DC07B8-CC35-4E4C-BF3E-7179BF8AFD1B}");

class SSymView : public SWnd, public ISRepClassColSink {
 public:
  // State word bits.
  enum : int {
    StateActive = 0x1,                                   // the last OnActivate argument
    StateActivatedOnce = 0x2,                            // a suppressed view was activated once
    StateThumbTrack = 0x4,                               // a scroll thumb is being dragged
    StateScrollBars = 0x8,                               // the window has scroll bars
    StateAllowErase = ISSymViewSite::StateAllowErase,    // 0x10: invalidations erase; collection changes repaint
    StateDrawing = 0x20,                                 // OnDraw is running
    StateSuspended = ISSymViewSite::StateSuspended,      // 0x40: no invalidation, no symbol drawing
    StatePageSelect = 0x80,                              // pages are drawn and clicked as cells
    StateCtrlSelectable = 0x100,                         // the view behaves as a dialog control
    StateFocusMark = 0x200,                              // a focus rectangle while focused
    StateSelectionMark = 0x400,                          // with StateCtrlSelected, a selection rectangle
    StateCtrlSelected = 0x800,                           // see StateSelectionMark
    StateDrawnOnce = 0x1000,                             // the view has drawn its diagram once
    StatePreview = 0x2000,                               // a dialog's sample: the wheel neither scrolls nor zooms it
  };

  // Command ids of the view's own commands.
  enum : UINT { CmdPrevView = 2515, CmdNextView = 2516, CmdViewRedraw = 2520 };

  static constexpr int HistorySize = 10;
  struct HistoryEntry {
    LONG x = 0, y = 0;  // view centre
    double zoom = 100.0;
  };

  // One invalidation reaching the window: the whole window (whole set) or a
  // device rectangle. Kept in a log that tests and hosts read.
  struct Invalidation {
    bool whole = false;
    RECT rect = {0, 0, 0, 0};
    int erase = 0;
  };

  // ---- drawing locks ----
  // A client context of the view's window attached to the canvas for the
  // scope, unless the canvas is locked already: a lock inside another one
  // uses the context the outer lock attached and makes none of its own.
  class LockCanvas {
   public:
    explicit LockCanvas(SSymView* view);
    ~LockCanvas();
    LockCanvas(const LockCanvas&) = delete;
    LockCanvas& operator=(const LockCanvas&) = delete;
    bool Attached() const { return m_bAttached != 0; }

   private:
    SSymView* m_pView;
    std::optional<SClientDC> m_dc;  // made only when this lock attaches
    int m_bAttached = 0;
  };

  // Suppresses invalidation and drawing of a view while held. Locks nest:
  // only the outermost release lets the view draw again.
  class LockPaint {
   public:
    LockPaint() = default;
    LockPaint(SSymView* view, int redraw) { Lock(view, redraw); }
    ~LockPaint() { Release(m_bRedraw); }
    LockPaint(const LockPaint&) = delete;
    LockPaint& operator=(const LockPaint&) = delete;
    // 1 when this is the outermost lock of the view, else 0 (0 without a view).
    int Lock(SSymView* view, int redraw);
    // The suppressed bit as it was while locked (0 without a view).
    int Release(int redraw);
    SSymView* GetView() const { return m_pView; }

   private:
    SSymView* m_pView = nullptr;
    int m_bRedraw = 0;
    int m_nSuspended = 0;  // the suppressed bit before the lock
    int m_nErase = 0;      // the erase bit before the lock
  };

  SSymView();
  ~SSymView() override;

  // A new view (the creator of the class record).
  static SObject* CreateObject();
  // Registers the window class "SSymView" once per process; throws when it
  // cannot. RegisterViewClass swallows the failure.
  static void RegisterClass();
  static void RegisterViewClass();
  // The window procedure of the class: the first message of a window made
  // by class name gives it a view of its own.
  static LRESULT WndProcHook(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The view behind an automation pointer, or null.
  static SSymView* PostOleInCast(IUnknown* unk);

  // ---- IUnknown (the object deletes itself when the count falls to zero) ----
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // ---- collection sink ----
  HRESULT OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) override;
  HRESULT OnObjColMove(ISRepClassCol* col, int from, int to) override;
  HRESULT OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) override;
  HRESULT OnObjColDelete(ISRepClassCol* col) override;
  HRESULT OnObjColRefresh(ISRepClassCol*) { return S_OK; }

  // ---- state and accessors ----
  int GetState() const { return m_nState; }
  void SetState(int state) { m_nState = state; }
  SSymCanvasView& GetCanvas() { return m_canvas; }
  SSymCanvasView* GetCanvasPtr() { return &m_canvas; }
  SDrawBackground* GetDrawBackground() { return &m_background; }
  SDrawBackground* GetDrawWatermark() { return &m_watermark; }
  // The diagram (not counted), or null.
  ISSymDiagram* GetDiagramPtr() const { return m_pDiagram; }
  HRESULT GetDiagram(void** out, const GUID& iid);
  SSymDispPref* GetDispPrefPtr();
  const SSymRect& GetViewportRect() const { return m_viewport; }
  void SetActiveView(int active);
  int SetCtrlSelected(int selected);
  SSymPrintPages* GetPrintDlg() const { return m_pPrintDlg; }
  void SetPrintDlg(SSymPrintPages* dlg) { m_pPrintDlg = dlg; }
  UINT GetHistoryCount() const { return m_nHistCount; }
  UINT GetHistoryPos() const { return m_nHistPos; }
  // True while a repaint was put off because the view was suppressed.
  bool IsRepaintDue() const { return m_bRepaintDue; }
  // Shows every hidden symbol of the diagram (one undo step in a session).
  void OnShowHiddenSymbols();

  // ---- invalidation: every repaint request of the view passes here ----
  // Nothing while suppressed; the erase flag is kept only when erasing is
  // allowed. Reaches the window when there is one.
  void InvalidateAll(int erase);
  void InvalidateRect(const RECT& rc, int erase);
  using SWnd::InvalidateRect;
  const std::vector<Invalidation>& GetInvalidations() const { return m_invalidations; }
  void ClearInvalidations() { m_invalidations.clear(); }

  // ---- virtual operations ----
  virtual void ScaleSave();
  virtual void ScalePrevView();
  virtual void ScaleNextView();
  virtual void ScaleTo(double zoom, const SSymPoint& center);
  virtual void ScaleTo(double zoom);
  virtual void ScaleToRect(const SSymRect& r, int margin);
  virtual void ScaleOutToRect(const SSymRect& r);
  virtual void ScalePageSize(double) {}
  virtual void UpdateScrollBars(int range);
  virtual void OnScroll(const SSymSize& d, int invalidate, int save);
  virtual void OnScroll(int cx, int cy, int invalidate, int save);
  virtual void OnDraw(const SSymRect& area);
  virtual void SetViewportRect(SSymRect& r);
  virtual void OnActivate(int active);
  virtual void Close();
  // Runs a drag of the tool in a loop of its own on the window's messages:
  // 1 after a drop, else the value that cancelled it (ISSymViewCapture::Cancel
  // when the view, the user or the system cancelled).
  virtual DWORD CaptureMouse(ISSymViewCapture* tool, int waitForDrag);
  virtual void ContextMenu();
  virtual void SetDiagram(ISSymDiagram* diagram);
  virtual void NotifyRemove(ISSymbol*) {}
  virtual SWnd* GetMenuWnd() { return this; }
  virtual int GetEnableDoubleBuffering() { return m_bDoubleBuffering; }
  virtual void SetEnableDoubleBuffering(int on) { m_bDoubleBuffering = on; }
  virtual void DrawWatermark(const SSymRect& area);
  virtual void DrawFocusMark();
  virtual void DrawSelectionMark();
  virtual void DrawAfterSymbols(const SSymRect&) {}
  virtual void ScaleToUsedPages();
  // The symbol under a logical point (no reference of its own), or null.
  // Lines are asked last; a symbol that reports an inner symbol answers it.
  // Bit 1 of flags passes `part` on to the symbols.
  virtual ISSymbol* HitTest(const SSymPoint& point, unsigned long flags, int* part);

  // ---- SWnd overrides ----
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
  void PostNcDestroy() override;
  void OnKillFocus(SWnd* newWnd) override;

  // ---- message handlers ----
  int OnCreate(LPCREATESTRUCTW cs);
  void OnDestroy();
  void OnPaint();
  BOOL OnEraseBkgnd(SDC*) { return 0; }
  void OnSize(UINT type, int cx, int cy);
  void OnHScroll(UINT code, UINT pos, SWnd* bar);
  void OnVScroll(UINT code, UINT pos, SWnd* bar);
  void OnSetFocus(SWnd* old);
  void OnLButtonDown(UINT flags, POINT pt);
  void OnLButtonUp(UINT flags, POINT pt);
  void OnRButtonUp(UINT flags, POINT pt);
  void OnMouseMove(UINT flags, POINT pt);
  BOOL OnMouseWheel(UINT flags, short delta, POINT pt);
  void OnPrevView();
  void OnNextView();
  void OnUpdatePrevView(SCmdUI* ui);
  void OnUpdateNextView(SCmdUI* ui);
  void OnViewRedraw();
  // The canvas's paper from the diagram's printable page and print scale.
  void UpdatePaperSize();
  // Sends the owner window (not a dialog) the diagram's small icon.
  void ShowDiagramIcon();
  // The canvas's paper from the diagram's printable page at a print scale
  // in percent (above 0): at 50 one page holds twice the diagram's width.
  void SetPaperScale(double percent);

  // How many times a drawing showed the wait cursor (more than 100 symbols
  // drawn buffered), and how many drawings of this view computed bridges.
  static int GetWaitCursorCount();
  int GetBridgeComputations() const { return m_nBridgeComputations; }

  // The active view, or null.
  static SSymView* m_pActiveView;
  // Set while a mouse capture runs (WM_CANCELMODE is then kept for it).
  static int m_bCaptureInProgress;
  // Auto-scroll ticks skipped since the last scroll of a capture (shared by
  // both axes and every view).
  static int m_nAutoScrollPace;
  // The timers of a capture's auto-scroll: the first tick, then the repeats.
  enum : UINT_PTR { TimerScrollStart = 100, TimerScrollRepeat = 101 };
  // The views the class's window procedure hook made.
  static SWndBag& GetHookBag();

  int m_bBackgroundPicture = 0;  // a further setting asking for a background picture

  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 protected:
  // Invalidates the symbol's active rectangle (logical units) under a canvas
  // lock, when erasing is allowed; E_NOINTERFACE objects are not symbols.
  HRESULT InvalidateSymbol(ISRepObject* obj);
  // Leaves the diagram: unsubscribes, removes the view from it, drops the
  // reference. False when there was no diagram.
  bool Unbind();
  // Of a WM_PAINT while suppressed after an activation: the update region
  // is validated and the repaint remembered (RepaintIfDue brings it back),
  // so that the window does not receive WM_PAINT over and over. True when
  // the paint was put off.
  bool DeferPaintWhileSuppressed();
  // A paint request put off while suppressed is due again once the last
  // paint lock is released.
  void RepaintIfDue();
  // Takes the display preferences' colours and pictures into the painters.
  void ApplyDispPref();
  // The symbols visible in the area, in drawing order, each with a reference.
  void GatherSymbols(const SSymRect& area, std::vector<ISSymbol*>& out);
  // The whole paper pages covering the diagram's extent.
  SSymRect GetPagesRect();
  // The folded-sheet markers of the selected print pages.
  void DrawPageMarks();
  // The focus and selection marks and the sunken edge of a bordered background.
  void DrawMarks();
  // Of a capture with a wait for the drag: non-zero once the mouse moved or
  // the drag delay passed, 0 for a click, Esc or a capture lost meanwhile.
  int StartCapture();
  // The scroll information a bar of the view shows (range, page, position),
  // also for a view without scroll bars. False when the window shows no
  // logical width (height) on that axis.
  bool ComputeScrollInfo(int bar, SCROLLINFO& si);
  // WM_HSCROLL and WM_VSCROLL: one step of `code` on the bar.
  void ScrollByCode(int bar, UINT code, int thumb);
  // Moves the view centre so that the window stays inside the viewport.
  void KeepInViewport();

  SSymCanvasView m_canvas;
  ISSymDiagram* m_pDiagram = nullptr;  // counted
  int m_nState = StateScrollBars;
  unsigned char m_bProfile = 0;
  SDrawBackground m_background;
  SDrawBackground m_watermark;
  UINT m_nHistCount = 0;
  UINT m_nHistPos = 0;
  HistoryEntry m_history[HistorySize];
  SSymPrintPages* m_pPrintDlg = nullptr;
  int m_bDoubleBuffering = 1;
  SIcon m_icon;
  SSymRect m_viewport{SSymCanvas::MinX, SSymCanvas::MaxY, SSymCanvas::MaxX, SSymCanvas::MinY};

 private:
  friend class LockPaint;
  ULONG m_cRef = 0;
  bool m_bDestroying = false;
  bool m_bRepaintDue = false;
  int m_nBridgeComputations = 0;
  std::vector<Invalidation> m_invalidations;
};

// Paint locks on every diagram window among a session's views, released
// (with a repaint) when the object is destroyed.
class __LockDrawAllSessionViewsObject : public SRepSession::LockDrawAllViews::ObjectBase {
 public:
  explicit __LockDrawAllSessionViewsObject(const SComTable<ISRepSessionView>& views);
  ~__LockDrawAllSessionViewsObject() override;
  __LockDrawAllSessionViewsObject(const __LockDrawAllSessionViewsObject&) = delete;
  __LockDrawAllSessionViewsObject& operator=(const __LockDrawAllSessionViewsObject&) = delete;
  int GetCount() const { return m_locks.GetCount(); }

  // The factory the library installs into the repository session.
  struct Factory {
    SRepSession::LockDrawAllViews::ObjectBase* operator()(SComTable<ISRepSessionView>& views) const {
      return new __LockDrawAllSessionViewsObject(views);
    }
  };

 private:
  void ReleaseAll();
  STable<SSymView::LockPaint*> m_locks;
};
