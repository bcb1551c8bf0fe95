// A whole editing session played with the headless mouse in an editing
// window, through the window's own message handling: click, Shift-click,
// rubber band, a drag-move of the selection (the window's drag and drop),
// a resize by a handle, a vertex drag and a link end re-attached. Each step
// that changes the diagram is one undo step that undo and redo take back
// and give again exactly, and every step leaves only the diagram's own
// picture on the window. A drag-move that ends badly (Esc, the other
// button, the capture taken, a drop outside the window, the window
// destroyed) leaves the diagram as it was or changed by one step, and no
// outline behind.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <vector>

#include "kvcore/sdataobject.h"
#include "support/link_fixture.h"
#include "support/session_state.h"
#include "support/tools_fixture.h"
#include "sym/edit/symdatasource.h"
#include "sym/links/sympolyline.h"
#include "sym/symbol/symbase.h"
#include "sym/tools/symtool.h"
#include "win/winclip.h"
#include "win/winoledata.h"

namespace {

KvInputItem Move(DWORD dt, POINT at) { return KvMouseItem(dt, WM_MOUSEMOVE, at.x, at.y); }
KvInputItem Mouse(DWORD dt, UINT message, POINT at) { return KvMouseItem(dt, message, at.x, at.y); }
KvInputItem Key(DWORD dt, UINT message, UINT key) { return KvKeyItem(dt, message, key); }

// A press at `from`, moves in four steps to `to` and the release there.
std::vector<KvInputItem> DragScript(POINT from, POINT to, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
  std::vector<KvInputItem> s{Mouse(0, down, from)};
  for (int i = 1; i <= 4; ++i)
    s.push_back(Move(DWORD(10 * i), {from.x + (to.x - from.x) * i / 4, from.y + (to.y - from.y) * i / 4}));
  s.push_back(Mouse(50, up, to));
  return s;
}

std::vector<KvInputItem> Click(POINT at) { return {Mouse(0, WM_LBUTTONDOWN, at), Mouse(5, WM_LBUTTONUP, at)}; }

// A window whose timer runs an action: something that happens while a
// drag's loop dispatches messages.
class TTimerWindow {
 public:
  TTimerWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"TestDragTimer";
    RegisterClassW(&wc);
    m_hwnd = CreateWindowExW(0, u"TestDragTimer", u"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  // Runs `action` once, `ms` from now.
  void At(DWORD ms, std::function<void()> action) {
    s_action = std::move(action);
    SetTimer(m_hwnd, 1, ms, nullptr);
  }

 private:
  static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
      KillTimer(hwnd, 1);
      if (auto a = std::exchange(s_action, nullptr)) a();
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  static inline std::function<void()> s_action;
  HWND m_hwnd = nullptr;
};

class PointerSession : public LinkFixtureOf<ToolsFixture> {
 protected:
  void SetUp() override {
    LinkFixtureOf<ToolsFixture>::SetUp();
    m_view = OpenEdit();
    m_hwnd = m_view->GetSafeHwnd();
    m_a = PutBox(Area({60, 60}, {140, 120}));
    m_b = PutBox(Area({220, 60}, {300, 120}));
    m_c = PutBox(Area({220, 190}, {300, 250}));
    const SSymRect a = m_a->GetClipRect(0, 0), b = m_b->GetClipRect(0, 0);
    const LONG y = (a.y1 + a.y2) / 2;
    m_link = PutLink(m_a, m_b, SSymListPt({SSymPoint(a.GetMaxX(), y), SSymPoint(b.GetMinX(), y)}));
    Repainted();
  }
  SSymRect Area(POINT from, POINT to) {
    const SSymPoint p = Logical(m_view, from), q = Logical(m_view, to);
    return SSymRect(p.x, p.y, q.x, q.y);
  }
  POINT Client(const SSymPoint& p) { return m_view->GetCanvas().VPtoDP(p); }
  POINT Centre(SSymBase* s) { return Client(s->GetClipRect(0, 0).GetCenter()); }

  // Plays the script (times after now, client points of the window) through
  // the window system's dispatch, as the host's message loop would, and
  // lets time pass after it so that the next press is no double click.
  void Play(std::vector<KvInputItem> items) {
    const DWORD now = GetTickCount() + 1;
    for (KvInputItem& i : items) {
      i.time += now;
      if (i.message >= WM_MOUSEFIRST && i.message <= WM_MOUSELAST) i.pt = Screen(m_view, i.pt);
    }
    ASSERT_TRUE(KvPlayInput(items));
    MSG m{};
    while (KvPendingInput() > 0 && GetMessageW(&m, nullptr, 0, 0) > 0) {
      if (m.message == WM_CANCELMODE) break;
      DispatchMessageW(&m);
    }
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    KvClearInput();
    KvAdvanceClock(1000);
  }

  SessionState State() { return SessionState::Take(m_diagram, m_seen); }
  int Steps() const { return SymFixture::m_session->GetUndoCount(); }
  // The surface as a fresh paint leaves it.
  std::vector<unsigned char> Repainted() {
    m_view->InvalidateAll(1);
    ::UpdateWindow(m_hwnd);
    return SurfaceBytes(m_hwnd);
  }
  // What the window shows once its own repaint is done equals a fresh
  // paint: no outline or handle left behind.
  void ExpectCleanSurface(const char* step) {
    ::UpdateWindow(m_hwnd);
    const std::vector<unsigned char> left = SurfaceBytes(m_hwnd);
    EXPECT_TRUE(left == Repainted()) << step << ": feedback left on the window";
    EXPECT_FALSE(m_view->IsDropActive()) << step;
  }
  // Runs a step; when it changes the diagram it must be exactly one undo
  // step that undo and redo take back and give again exactly.
  void Step(const char* name, bool changes, const std::function<void()>& act) {
    SCOPED_TRACE(name);
    const SessionState before = State();
    const int steps = Steps();
    act();
    ExpectCleanSurface(name);
    const SessionState after = State();
    if (!changes) {
      EXPECT_EQ(Steps(), steps);
      EXPECT_EQ(SessionState::Diff(before, after), "");
      return;
    }
    ASSERT_EQ(Steps(), steps + 1);
    EXPECT_NE(SessionState::Diff(before, after), "");
    ASSERT_EQ(SymFixture::m_session->Undo(), S_OK);
    EXPECT_EQ(SessionState::Diff(before, State()), "");
    ASSERT_EQ(SymFixture::m_session->Redo(), S_OK);
    EXPECT_EQ(SessionState::Diff(after, State()), "");
    ExpectCleanSurface(name);
  }
  bool Selected(SSymBase* s) { return m_view->GetSelection()->Contains(s->Sym()); }

  SSymViewEdit* m_view = nullptr;
  HWND m_hwnd = nullptr;
  SSymRectangle* m_a = nullptr;
  SSymRectangle* m_b = nullptr;
  SSymRectangle* m_c = nullptr;
  SSymLinkBase* m_link = nullptr;
  std::set<SRepObject*> m_seen;
};

TEST_F(PointerSession, EveryStepIsExactlyOneUndoStepAndLeavesNoFeedback) {
  Step("click", false, [&] { Play(Click(Centre(m_a))); });
  EXPECT_TRUE(Selected(m_a));
  EXPECT_EQ(m_view->GetSelection()->GetCount(), 1);

  Step("shift-click", false, [&] {
    std::vector<KvInputItem> s{Key(0, WM_KEYDOWN, VK_SHIFT)};
    for (KvInputItem i : Click(Centre(m_c))) s.push_back(KvMouseItem(i.time + 1, i.message, i.pt.x, i.pt.y));
    s.push_back(Key(10, WM_KEYUP, VK_SHIFT));
    Play(s);
  });
  EXPECT_TRUE(Selected(m_a));
  EXPECT_TRUE(Selected(m_c));

  // A band around the two upper boxes (from empty space) selects them alone.
  Step("rubber band", false, [&] { Play(DragScript({30, 30}, {330, 150})); });
  EXPECT_TRUE(Selected(m_a));
  EXPECT_TRUE(Selected(m_b));
  EXPECT_FALSE(Selected(m_c));

  // Dragging the selection by one of its boxes moves both by the way the
  // pointer went, the link with them; the selection stays.
  const SSymRect a0 = m_a->GetClipRect(0, 0), b0 = m_b->GetClipRect(0, 0);
  const POINT from = Centre(m_a), to{from.x + 40, from.y - 40};
  Step("drag-move", true, [&] { Play(DragScript(from, to)); });
  const SSymPoint p = Logical(m_view, from), q = Logical(m_view, to);
  const SSymSize moved(q.x - p.x, q.y - p.y);
  EXPECT_EQ(m_a->GetClipRect(0, 0), SSymRect(a0.x1 + moved.cx, a0.y1 + moved.cy, a0.x2 + moved.cx, a0.y2 + moved.cy));
  EXPECT_EQ(m_b->GetClipRect(0, 0), SSymRect(b0.x1 + moved.cx, b0.y1 + moved.cy, b0.x2 + moved.cx, b0.y2 + moved.cy));
  EXPECT_EQ(End(m_link, 0), m_a->Sym());
  EXPECT_EQ(End(m_link, 1), m_b->Sym());
  EXPECT_TRUE(Selected(m_a));
  EXPECT_TRUE(Selected(m_b));

  // A resize of the lower box by its lower-right handle.
  Play(Click(Centre(m_c)));
  const SSymRect c0 = m_c->GetClipRect(0, 0);
  SSymRect c = c0;
  const POINT corner = Client(c.GetPoint(4));
  Step("resize", true, [&] { Play(DragScript(corner, {corner.x + 40, corner.y + 30})); });
  EXPECT_GT(m_c->GetClipRect(0, 0).Width(), c0.Width());
  EXPECT_GT(m_c->GetClipRect(0, 0).Height(), c0.Height());

  // A vertex of a line moved.
  SSymPolyline* line = New<SSymPolyline>(CLSID_SSymPolyline);
  {
    SCurrentContextChange outside(Session(), nullptr);
    line->SetListPt(SSymListPt({Logical(m_view, {40, 280}), Logical(m_view, {120, 200}), Logical(m_view, {180, 280})}),
                    0, 0, 0);
  }
  m_diagram->Add(line->Sym());
  Repainted();
  Play(Click({80, 240}));
  ASSERT_TRUE(Selected(line));
  const SSymPoint vertex = line->ListPt[1];
  Step("vertex", true, [&] { Play(DragScript({120, 200}, {130, 170})); });
  EXPECT_NE(line->ListPt[1], vertex);
  EXPECT_EQ(line->ListPt[0], Logical(m_view, {40, 280}));

  // The link's end moved from the upper right box to the lower box.
  Play(Click(Client(m_link->GetClipRect(0, 0).GetCenter())));
  ASSERT_TRUE(Selected(m_link));
  const POINT end = Client(Last(m_link));
  Step("re-attach", true, [&] { Play(DragScript(end, Centre(m_c))); });
  EXPECT_EQ(End(m_link, 1), m_c->Sym());
  EXPECT_EQ(End(m_link, 0), m_a->Sym());
}

TEST_F(PointerSession, ADragMoveGoesByTheSnappedOffset) {
  if (!m_view->GetDispPrefPtr()) m_diagram->SetDispPrefPtr(new TDispPref(nullptr, SString(u"TST"), 0));
  SSymDispPref* prefs = m_view->GetDispPrefPtr();
  ASSERT_NE(prefs, nullptr);
  prefs->m_bSnapGrid = 1;
  prefs->m_nGridSize = 500;
  Play(Click(Centre(m_a)));
  const SSymRect a0 = m_a->GetClipRect(0, 0);
  const POINT from = Centre(m_a), to{from.x + 33, from.y + 47};
  Step("snapped move", true, [&] { Play(DragScript(from, to)); });
  const SSymPoint p = m_view->SnapToGrid(Logical(m_view, from)), q = m_view->SnapToGrid(Logical(m_view, to));
  const LONG dx = q.x - p.x, dy = q.y - p.y;
  EXPECT_EQ(dx % 500, 0);
  EXPECT_EQ(m_a->GetClipRect(0, 0), SSymRect(a0.x1 + dx, a0.y1 + dy, a0.x2 + dx, a0.y2 + dy));
}

TEST_F(PointerSession, AClickOnTheSelectionDragsNothingAndReachesTheRelease) {
  Play(Click(Centre(m_a)));
  const SSymRect a0 = m_a->GetClipRect(0, 0);
  // A second click, and a wobble inside the drag rectangle, move nothing.
  Step("click again", false, [&] { Play(Click(Centre(m_a))); });
  const POINT c = Centre(m_a);
  Step("wobble", false, [&] {
    Play({Mouse(0, WM_LBUTTONDOWN, c), Move(10, {c.x + 2, c.y - 2}), Mouse(20, WM_LBUTTONUP, {c.x + 2, c.y - 2})});
  });
  EXPECT_EQ(m_a->GetClipRect(0, 0), a0);
  EXPECT_TRUE(Selected(m_a));
  EXPECT_EQ(GetCapture(), nullptr);
}

// ---- drags that end badly ----------------------------------------------------------------------------

TEST_F(PointerSession, ADragMoveThatEndsBadlyLeavesTheDiagramOrOneStepAndNoOutline) {
  enum class Midway { Nothing, TakeCapture, LoseCapture };
  struct Case {
    const char* name;
    std::vector<KvInputItem> script;  // after the selection's press at (100, 90)
    Midway midway;
    bool moves;
  };
  const POINT c{100, 90};
  const std::vector<Case> cases = {
      {"esc", {Move(10, {130, 130}), Move(20, {150, 150}), Key(30, WM_KEYDOWN, VK_ESCAPE), Mouse(40, WM_LBUTTONUP, {150, 150})},
       Midway::Nothing, false},
      {"other button",
       {Move(10, {130, 130}), Mouse(20, WM_RBUTTONDOWN, {130, 130}), Mouse(30, WM_RBUTTONUP, {130, 130}),
        Mouse(40, WM_LBUTTONUP, {130, 130})},
       Midway::Nothing, false},
      {"dropped on the frame outside the window",
       {Move(10, {200, 120}), Move(20, {450, 150}), Mouse(30, WM_LBUTTONUP, {450, 150})}, Midway::Nothing, false},
      {"dropped outside every window",
       {Move(10, {200, 120}), Move(20, {1500, 1500}), Mouse(30, WM_LBUTTONUP, {1500, 1500})}, Midway::Nothing, false},
      {"no release before the input ends", {Move(10, {130, 130}), Move(20, {150, 150})}, Midway::Nothing, false},
      {"capture taken by another window",
       {Move(10, {130, 130}), Move(30, {150, 150}), Mouse(40, WM_LBUTTONUP, {150, 150})}, Midway::TakeCapture, true},
      {"capture released", {Move(10, {130, 130}), Move(30, {150, 150}), Mouse(40, WM_LBUTTONUP, {150, 150})},
       Midway::LoseCapture, true},
  };
  TTimerWindow timer;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Play(Click(c));
    ASSERT_TRUE(Selected(m_a));
    const SSymRect a0 = m_a->GetClipRect(0, 0);
    const SessionState before = State();
    const int steps = Steps();
    // Midway the outline is shown; then the capture may go elsewhere.
    bool shown = false;
    timer.At(20, [&] {
      shown = m_view->IsDropActive();
      if (k.midway == Midway::TakeCapture) SetCapture(m_frame);
      if (k.midway == Midway::LoseCapture) ReleaseCapture();
    });
    std::vector<KvInputItem> s{Mouse(0, WM_LBUTTONDOWN, c)};
    s.insert(s.end(), k.script.begin(), k.script.end());
    Play(s);
    EXPECT_TRUE(shown);
    ExpectCleanSurface(k.name);
    EXPECT_EQ(Steps(), steps + (k.moves ? 1 : 0));
    if (!k.moves) {
      EXPECT_EQ(SessionState::Diff(before, State()), "");
      EXPECT_EQ(m_a->GetClipRect(0, 0), a0);
    } else {
      ASSERT_EQ(SymFixture::m_session->Undo(), S_OK);
      EXPECT_EQ(SessionState::Diff(before, State()), "");
    }
    EXPECT_EQ(KvDropTargetCount(), 1u);
    ReleaseCapture();
  }
}

TEST_F(PointerSession, AWindowDestroyedDuringTheDragEndsItWithTheDiagramAsBefore) {
  Play(Click({100, 90}));
  ASSERT_TRUE(Selected(m_a));
  const SessionState before = State();
  const int steps = Steps();
  TTimerWindow timer;
  bool shown = false;
  timer.At(25, [&] {
    shown = m_view->IsDropActive();
    ::DestroyWindow(m_hwnd);
  });
  Play({Mouse(0, WM_LBUTTONDOWN, {100, 90}), Move(10, {130, 130}), Move(20, {140, 140}), Move(40, {150, 150}),
        Mouse(50, WM_LBUTTONUP, {150, 150})});
  EXPECT_TRUE(shown);
  EXPECT_FALSE(::IsWindow(m_hwnd));
  EXPECT_EQ(Steps(), steps);
  EXPECT_EQ(SessionState::Diff(before, State()), "");
  EXPECT_EQ(KvDropTargetCount(), 0u);
  EXPECT_EQ(GetCapture(), nullptr);
  m_view = nullptr;
}

// ---- what the drag carries, and data the window refuses ------------------------------------------

TEST_F(PointerSession, TheDragDataCarriesTheSymbolsTheStartAndTheBounds) {
  m_view->SelectSymbol(m_a->Sym(), 1);
  m_view->SelectSymbol(m_b->Sym(), 0);
  SComTable<ISSymbol> symbols;
  symbols.Add(m_a->Sym());
  symbols.Add(m_b->Sym());
  const SSymPoint start(1234, 5678);
  SSymDataSource* data = new SSymDataSource(m_hwnd, Session(), symbols, start, m_view->GetSelection());
  EXPECT_EQ(data->GetSymbolCount(), 2);
  EXPECT_EQ(data->GetSymbolAt(1), m_b->Sym());
  EXPECT_EQ(data->GetObjectCount(), 2);
  _SREPDATADESCRIPTOR d{};
  d.cbSize = sizeof d;
  ASSERT_EQ(data->GetDescriptor(&d), S_OK);
  const SSymRect bound = m_view->GetSelection()->GetClipRect();
  EXPECT_EQ(SSymRect(d.x1, d.y1, d.x2, d.y2), bound);
  EXPECT_EQ(SSymPoint(d.x, d.y), start);
  EXPECT_EQ(d.cbSize, sizeof d);
  // Read as any data object: the object descriptor and the private mark.
  for (CLIPFORMAT f : {CLIPFORMAT(RegisterClipboardFormatW(CFSTR_OBJECTDESCRIPTOR)), CLIPFORMAT(SSymDragFormat())}) {
    FORMATETC fe{f, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(data->QueryGetData(&fe), S_OK);
  }
  FORMATETC fe{CLIPFORMAT(SSymDragFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m{};
  ASSERT_EQ(data->GetData(&fe, &m), S_OK);
  const auto* mark = static_cast<const SSymDataSource::DragMark*>(GlobalLock(m.hGlobal));
  EXPECT_EQ(mark->window, m_hwnd);
  EXPECT_EQ(mark->process, SSymDataSource::ProcessMark());
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  // Each face reaches the same object.
  void* face = nullptr;
  ASSERT_EQ(static_cast<IDataObject*>(data)->QueryInterface(IID_ISSymDataSrc, &face), S_OK);
  EXPECT_EQ(static_cast<ISSymDataSrc*>(face), static_cast<ISSymDataSrc*>(data));
  static_cast<ISSymDataSrc*>(face)->Release();
  data->Release();
}

// Runs a drag of `data` with a press at `from` in the frame and the moves
// and release given, over the editing window.
DWORD DragOver(IDataObject* data, HWND over, const std::vector<POINT>& path) {
  std::vector<KvInputItem> s;
  const DWORD now = GetTickCount() + 1;
  DWORD t = now;
  for (POINT p : path) {
    ClientToScreen(over, &p);
    s.push_back(KvMouseItem(t += 10, WM_MOUSEMOVE, p.x, p.y));
  }
  POINT last = path.back();
  ClientToScreen(over, &last);
  s.push_back(KvMouseItem(t += 10, WM_LBUTTONUP, last.x, last.y));
  KvSetKeyState(VK_LBUTTON, true);
  EXPECT_TRUE(KvPlayInput(s));
  SDropSource* source = SDropSource::Create();
  DWORD effect = 99;
  ::DoDragDrop(data, source, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
  source->Release();
  KvClearInput();
  KvSetKeyState(VK_LBUTTON, false);
  return effect;
}

TEST_F(PointerSession, SymbolsFromAnotherWindowAndOtherDataAreRefusedAndNothingIsLost) {
  auto* other = new SSymViewEdit();
  ASSERT_TRUE(other->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{400, 0, 780, 300}, SWnd::FromHandle(m_frame), 8));
  other->SetDiagram(m_diagram->Diagram());
  m_view->SelectSymbol(m_a->Sym(), 1);
  const SessionState before = State();
  const int steps = Steps();
  const std::vector<unsigned char> surface = Repainted();

  // Symbols of the other window, dragged over this one.
  SComTable<ISSymbol> symbols;
  symbols.Add(m_a->Sym());
  SSymDataSource* foreign =
      new SSymDataSource(other->GetSafeHwnd(), Session(), symbols, Logical(m_view, {100, 90}), m_view->GetSelection());
  EXPECT_EQ(DragOver(foreign, m_hwnd, {{100, 90}, {150, 150}, {160, 160}}), DROPEFFECT_NONE);
  EXPECT_EQ(foreign->GetDropResult(), 0);
  foreign->Release();
  // Text from another program.
  SDataObject* text = SDataObject::Create();
  ASSERT_EQ(text->SetGlobal(CF_TEXT, "abc", 4), S_OK);
  EXPECT_EQ(DragOver(text, m_hwnd, {{100, 90}, {150, 150}, {160, 160}}), DROPEFFECT_NONE);
  text->Release();

  EXPECT_EQ(Steps(), steps);
  EXPECT_EQ(SessionState::Diff(before, State()), "");
  EXPECT_EQ(SurfaceBytes(m_hwnd), surface);
  other->DestroyWindow();
}

}  // namespace
