// The editing window's tools. An editing window always has one current
// tool: it receives the window's mouse events and cursor requests, decides
// what a click or a drag means and, for a drag, runs the window's mouse
// capture with itself as the ISSymViewCapture. Tools are made by their
// classes' records (SClassInfo::CreateObject) when the window first switches
// to them; the window keeps the pointer tool, the current and the previous
// tool (SSymViewEdit::SetTool).
//
// This header holds the base every tool derives from, the view state guard
// of the tools that suspend the window's repaint on collection changes, and
// the pointer family (pointer, lasso, grabber); the tools that create
// symbols, zoom, show properties and delete are in symtoolstd.h.
#pragma once

#include <memory>

#include "kvcore/scomwrap.h"
#include "kvcore/sobject.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfcapture.h"
#include "win/windef.h"

struct ISSymbol;
struct ISRepObject;
class SModuleState;
class SSymView;
class SSymViewEdit;
class SSymTrackerBase;

class SSymToolBase : public SObject {
  KV_DECLARE_CLASSINFO()

 public:
  // The symbol type of plain symbols, every tool's type until it sets one.
  static constexpr int DefaultSymbolType = 79;

  ~SSymToolBase() override;
  SSymToolBase(const SSymToolBase&) = delete;
  SSymToolBase& operator=(const SSymToolBase&) = delete;

  // The second argument of SSymViewEdit::SetTool; no tool of the library
  // takes one.
  virtual void SetToolParam(unsigned long) {}
  virtual void SetSymbolType(int type) { m_nSymbolType = type; }
  virtual int GetSymbolType() const { return m_nSymbolType; }
  // Starts serving the window: remembers it, takes its diagram's session
  // and has the window ask for the cursor again. Nothing for no window or
  // while the toolbar reports a double-click (the tool is already serving).
  virtual void Activate(SSymViewEdit* view);
  // Stops serving the window and lets the session go; harmless when the
  // tool serves none.
  virtual void Disactivate();
  // The tool's cursor: a cursor resource of a module (by name or number,
  // the module made current for the load), or a cursor given. A resource
  // that cannot be loaded leaves the tool without a cursor. Loaded cursors
  // are shared and never destroyed by the tool.
  virtual void SetCursor(const char16_t* name, SModuleState* module);
  virtual void SetCursor(unsigned int id, SModuleState* module);
  virtual void SetCursor(HCURSOR cursor) { m_hCursor = cursor; }
  // The cursor over the window's client area at `point`: the tool's own
  // (null hides the mouse cursor); answers 1.
  virtual int SetCursor(const SSymPoint& point, SMouseFlags flags, HCURSOR* cursor);

  virtual void MouseMove(const SSymPoint&, SMouseFlags) {}
  virtual void MouseLBtnDown(const SSymPoint&, SMouseFlags) {}
  virtual void MouseLBtnUp(const SSymPoint&, SMouseFlags) {}
  virtual void MouseLBtnDblClk(const SSymPoint&, SMouseFlags) {}
  // The base notes where the button went down.
  virtual void MouseRBtnDown(const SSymPoint& point, SMouseFlags) { m_pressPoint = point; }
  virtual void MouseRBtnUp(const SSymPoint&, SMouseFlags) {}
  virtual void MouseRBtnDblClk(const SSymPoint&, SMouseFlags) {}
  // Whether the command of the tool may be enabled for the window.
  virtual int CanBeEnabled(SSymViewEdit*) { return 1; }

  SSymViewEdit* GetView() const { return m_pView; }
  bool IsActive() const { return m_pView != nullptr; }
  ISRepSession* GetSession() const { return m_session; }
  HCURSOR GetCursor() const { return m_hCursor; }
  // Where a button last went down (diagram units); (0, 0) before any.
  const SSymPoint& GetPressPoint() const { return m_pressPoint; }

  // The flag the window raises while it activates a tool it brings back as
  // the previous one, so that the tool keeps the selection. Process-wide.
  static void SetRestoreTool(int restore);
  static int IsRestoreTool();

 protected:
  SSymToolBase() = default;
  explicit SSymToolBase(HCURSOR cursor) : m_hCursor(cursor) {}
  SSymToolBase(unsigned int id, SModuleState* module);
  SSymToolBase(const char16_t* name, SModuleState* module);

  // The window's selection, through the window; nothing (or 0) while the
  // tool serves no window.
  void ClearSelection();
  void SelectSymbol(ISSymbol* symbol, int exclusive);
  int SelectionContains(ISSymbol* symbol) const;
  // The window as a diagram window (canvas, hit test, capture); null while
  // the tool serves no window.
  SSymView* GetDiagramView() const;

  SSymPoint m_pressPoint;

 private:
  SSymViewEdit* m_pView = nullptr;
  SComWrap<ISRepSession, &IID_ISRepSession> m_session;
  int m_nSymbolType = DefaultSymbolType;
  HCURSOR m_hCursor = nullptr;
};

// The callbacks of a tool that drags, with the answers shared by the
// pointer and zoom tools: the left button's release drops, the right
// button's press cancels, anything else goes on. The other callbacks do
// nothing until a tool gives them a body.
class SSymToolCapture : public ISSymViewCapture {
 public:
  int CaptureOver(SMouseFlags, const SSymPoint&) override { return 1; }
  DWORD CaptureQueryContinue(UINT message, SMouseFlags flags, const SSymPoint& point) override;
  int CaptureStart(SMouseFlags, const SSymPoint&) override { return 1; }
  void CapturePreScroll() override {}
  void CapturePostScroll() override {}
  void CaptureCancel() override {}
  void CaptureDrop(SMouseFlags, const SSymPoint&) override {}
};

// Suspends flag 0x10 of an editing window's state word (StateAllowErase:
// collection changes repaint) while the lasso or grabber reworks symbols,
// and puts the former value back.
class SSymToolViewState {
 public:
  SSymToolViewState() = default;
  ~SSymToolViewState() { Release(); }
  SSymToolViewState(const SSymToolViewState&) = delete;
  SSymToolViewState& operator=(const SSymToolViewState&) = delete;

  // Gives the bit back to the window held before, then clears it on `view`:
  // 1 when it was clear already, 0 when it was set. No window: 0.
  int Bind(SSymViewEdit* view);
  // Writes the saved bit back into the window held and forgets it.
  void Release();
  SSymViewEdit* GetView() const { return m_pView; }

  static constexpr int Flag = 0x10;

 private:
  SSymViewEdit* m_pView = nullptr;
  int m_bSaved = 1;
};

// The tool that selects, moves and sizes: the window's default tool.
// Clicks, hover and cursors are in symtoolpointer.cpp; the captures it runs
// (resize, vertex and link-end drags, rubber band) in symtoolpointerdrag.cpp.
class SSymToolPointer : public SSymToolBase, public SSymToolCapture {
  KV_DECLARE_CLASSINFO()

 public:
  SSymToolPointer();
  ~SSymToolPointer() override;

  // What the current or next capture does.
  enum CaptureMode { CaptureNone = 0, CaptureResize = 1, CaptureBand = 2, CaptureVertex = 3 };

  // ---- clicks, hover and cursors
  void Activate(SSymViewEdit* view) override;
  using SSymToolBase::SetCursor;
  int SetCursor(const SSymPoint& point, SMouseFlags flags, HCURSOR* cursor) override;
  void MouseMove(const SSymPoint& point, SMouseFlags flags) override;
  void MouseLBtnDown(const SSymPoint& point, SMouseFlags flags) override;
  void MouseLBtnUp(const SSymPoint& point, SMouseFlags flags) override;
  void MouseLBtnDblClk(const SSymPoint& point, SMouseFlags flags) override;
  void MouseRBtnDown(const SSymPoint& point, SMouseFlags flags) override;
  void MouseRBtnUp(const SSymPoint& point, SMouseFlags flags) override;
  void MouseRBtnDblClk(const SSymPoint& point, SMouseFlags flags) override;
  // Opens the in-place editor of the symbol at the point; 0 when none opened.
  virtual int EnableEditInPlace(ISSymbol* symbol, const SSymPoint& point);
  // Shows the properties of a model object (its open verb in the window).
  virtual void EditProperties(ISRepObject* object);
  // The user's "EditInPlace" setting is read once per process; this makes
  // the next use read it again.
  static void ForgetEditInPlaceSetting();

  // ---- the captures
  int CaptureOver(SMouseFlags flags, const SSymPoint& point) override;
  int CaptureStart(SMouseFlags flags, const SSymPoint& point) override;
  void CapturePreScroll() override;
  void CapturePostScroll() override;
  void CaptureCancel() override;
  void CaptureDrop(SMouseFlags flags, const SSymPoint& point) override;

  int GetCaptureMode() const { return m_nCaptureMode; }
  SSymTrackerBase* GetTracker() const { return m_pTracker.get(); }

 protected:
  int m_nCaptureMode = CaptureNone;
  // The symbol a resize or vertex capture works on; not counted, set only
  // for the length of the capture.
  ISSymbol* m_pDragSym = nullptr;
  HCURSOR m_hArrow = nullptr;
  HCURSOR m_hMove = nullptr;
  // One per selection handle, clockwise from the upper left corner.
  HCURSOR m_hHandle[8] = {};
  HCURSOR m_hPoolBorderV = nullptr;  // resource 132
  HCURSOR m_hPoolBorderH = nullptr;  // resource 131
  // The part (handle, vertex) a hit test reported for the symbol worked on.
  int m_nSubPart = 0;
  // The feedback of the running capture.
  std::unique_ptr<SSymTrackerBase> m_pTracker;
  // The symbol the last left release left as the only selected one; not
  // counted.
  ISSymbol* m_pEditCandidate = nullptr;

 private:
  // The cursor over the point (null: the window's own).
  HCURSOR CursorAt(SSymView* view, const SSymPoint& point) const;
  HCURSOR HandleCursor(ISSymbol* symbol, int handle) const;
  HCURSOR PoolBorderCursor(ISSymbol* pool) const;
  // Runs the window's capture in the mode given.
  DWORD RunCapture(int mode, int waitForDrag);
  // Shift on a row while rows are selected: the rows from the last selected
  // one to the point.
  void SelectRun(SSymView* view, const SSymPoint& point);
  // Forgets the edit candidate, stops the window's edit timer and clears
  // its armed flag.
  void Disarm();
};

// The user's "EditInPlace" setting (application's general section), read
// into `state` on first use: 0 unread, 1 off (the value "no" in any case),
// 2 on (any other value, or none). True when on.
bool SSymIsEditInPlaceOn(int& state);
// Starts in-place editing of the symbol at the point in the window: the
// editor of the symbol (of its owner for a sub-object whose owner is not a
// link), else that of its sub-object under the point, whose part goes to
// `part` (may be null). 1 when an editor started, 0 otherwise.
int SSymStartEditInPlace(SSymView* view, ISSymbol* symbol, const SSymPoint& point, int* part);

class SSymToolLasso : public SSymToolPointer {
  KV_DECLARE_CLASSINFO()
};

class SSymToolGrabber : public SSymToolPointer {
  KV_DECLARE_CLASSINFO()
};
