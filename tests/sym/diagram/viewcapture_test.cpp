#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvlib/sliboleconst.h"
#include "support/view_fixture.h"

namespace {

using Names = std::vector<std::string>;

// One step of a scripted drag, `dt` milliseconds after the press: a mouse
// message at a client point of the view, or a key.
struct Input {
  DWORD dt;
  UINT message;
  POINT at;
  UINT key = 0;
};
Input Mouse(DWORD dt, UINT message, POINT at) { return Input{dt, message, at}; }
Input Key(DWORD dt, UINT message, UINT key) { return Input{dt, message, {0, 0}, key}; }

class ViewCaptureTest : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    SSymView::m_nAutoScrollPace = 0;
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
  }
  void TearDown() override {
    SExceptionDialog::SetQuiet(false);
    ViewFixture::TearDown();
  }
  // Presses at `from`, plays the rest and runs the tool's capture.
  DWORD Drag(SSymView* v, TCaptureTool& tool, POINT from, const std::vector<Input>& script, int waitForDrag = 0) {
    PressAt(v, from);
    m_pressed = GetTickCount();
    std::vector<KvInputItem> items;
    for (const Input& i : script) {
      if (i.key) {
        items.push_back(KvKeyItem(m_pressed + i.dt, i.message, i.key));
      } else {
        const POINT s = Screen(v, i.at);
        items.push_back(KvMouseItem(m_pressed + i.dt, i.message, s.x, s.y));
      }
    }
    EXPECT_TRUE(KvPlayInput(items));
    const DWORD result = v->CaptureMouse(&tool, waitForDrag);
    KvClearInput();
    return result;
  }
  // After every capture: nothing held, no timer left, the flag down.
  void ExpectAllGivenBack(SSymView* v, HWND holder = nullptr) {
    EXPECT_EQ(GetCapture(), holder);
    EXPECT_EQ(SSymView::m_bCaptureInProgress, 0);
    EXPECT_FALSE(KillTimer(v->GetSafeHwnd(), SSymView::TimerScrollStart));
    EXPECT_FALSE(KillTimer(v->GetSafeHwnd(), SSymView::TimerScrollRepeat));
  }
  SSymPoint Logical(SSymView* v, POINT client) { return v->GetCanvas().DPtoVP(client); }
  DWORD m_pressed = 0;
};

constexpr POINT kFrom{200, 150};
constexpr POINT kTo{240, 170};

TEST_F(ViewCaptureTest, ADragEndsInADropAtTheReleasePoint) {
  SSymView* v = OpenView();
  TCaptureTool tool;
  const DWORD result = Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)});
  EXPECT_EQ(result, 1u);
  EXPECT_EQ(tool.Names(), (Names{"start", "over", "query", "over", "query", "drop"}));
  EXPECT_EQ(tool.calls[0].point, Logical(v, kFrom));
  EXPECT_EQ(tool.calls[2].message, WM_MOUSEMOVE);
  EXPECT_EQ(tool.calls[2].flags, SMouseFlags::Left);
  EXPECT_EQ(tool.calls[4].message, WM_LBUTTONUP);
  EXPECT_EQ(tool.calls[5].point, Logical(v, kTo));
  EXPECT_EQ(tool.calls[5].flags, 0u);
  ExpectAllGivenBack(v);
  v->DestroyWindow();
}

TEST_F(ViewCaptureTest, EveryOtherEndIsACancel) {
  constexpr DWORD seven = 7;
  struct Case {
    const char* name;
    std::vector<Input> script;
    std::function<void(TCaptureTool&, SSymView*)> setup;
    DWORD result;
    Names names;
  };
  const Case cases[] = {
      {"Esc", {Mouse(10, WM_MOUSEMOVE, kTo), Key(20, WM_KEYDOWN, VK_ESCAPE), Mouse(30, WM_LBUTTONUP, kTo)},
       nullptr, ISSymViewCapture::Cancel, {"start", "over", "query", "cancel"}},
      {"right button", {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_RBUTTONDOWN, kTo)},
       nullptr, ISSymViewCapture::Cancel, {"start", "over", "query", "over", "query", "cancel"}},
      {"input runs out: cancel mode", {Mouse(10, WM_MOUSEMOVE, kTo)},
       nullptr, ISSymViewCapture::Cancel, {"start", "over", "query", "cancel"}},
      {"cancel mode sent while the loop runs", {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)},
       [](TCaptureTool& t, SSymView* v) {
         t.over = [v](const SSymPoint&) {
           v->SendMessage(WM_CANCELMODE);
           return 1;
         };
       },
       ISSymViewCapture::Cancel, {"start", "over", "query", "cancel"}},
      {"the tool refuses a point", {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)},
       [](TCaptureTool& t, SSymView*) { t.over = [](const SSymPoint&) { return 0; }; },
       ISSymViewCapture::Cancel, {"start", "over", "cancel"}},
      {"the tool answers another value", {Mouse(10, WM_MOUSEMOVE, kTo)},
       [](TCaptureTool& t, SSymView*) { t.query = [](UINT) { return seven; }; },
       seven, {"start", "over", "query", "cancel"}},
      {"the tool refuses to start", {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)},
       [](TCaptureTool& t, SSymView*) { t.start = 0; },
       ISSymViewCapture::Cancel, {"start", "cancel"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymView* v = OpenView();
    TCaptureTool tool;
    if (c.setup) c.setup(tool, v);
    EXPECT_EQ(Drag(v, tool, kFrom, c.script), c.result);
    EXPECT_EQ(tool.Names(), c.names);
    ExpectAllGivenBack(v);
    v->DestroyWindow();
  }
}

TEST_F(ViewCaptureTest, CancelModeWhileTheToolAsksTheUserReachesTheWindowItself) {
  SSymView* v = OpenView();
  TCaptureTool tool;
  int flagDuringQuery = -1;
  HWND heldAfter = reinterpret_cast<HWND>(1);
  tool.query = [&](UINT) -> DWORD {
    // A dialog of the tool: the window handles cancel mode as it always
    // does, giving up the mouse, and the drag ends with the capture lost.
    flagDuringQuery = SSymView::m_bCaptureInProgress;
    v->SendMessage(WM_CANCELMODE);
    heldAfter = GetCapture();
    return 0;
  };
  EXPECT_EQ(Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)}),
            ISSymViewCapture::Cancel);
  EXPECT_EQ(flagDuringQuery, 0);
  EXPECT_EQ(heldAfter, nullptr);
  EXPECT_EQ(tool.Names(), (Names{"start", "over", "query", "cancel"}));
  ExpectAllGivenBack(v);
  v->DestroyWindow();
}

TEST_F(ViewCaptureTest, TheMouseHeldOrTakenByAnotherWindowCancels) {
  SSymView* v = OpenView();
  // Held before the drag: refused at once, the holder keeps it.
  SetCapture(m_frame);
  TCaptureTool refused;
  EXPECT_EQ(v->CaptureMouse(&refused, 0), ISSymViewCapture::Cancel);
  EXPECT_EQ(refused.Names(), (Names{"cancel"}));
  ExpectAllGivenBack(v, m_frame);
  ReleaseCapture();

  // Taken during the drag: the loop ends and leaves the mouse where it went.
  TCaptureTool tool;
  tool.query = [&](UINT) -> DWORD {
    SetCapture(m_frame);
    return 0;
  };
  EXPECT_EQ(Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)}),
            ISSymViewCapture::Cancel);
  EXPECT_EQ(tool.Names(), (Names{"start", "over", "query", "cancel"}));
  ExpectAllGivenBack(v, m_frame);
  v->DestroyWindow();
}

TEST_F(ViewCaptureTest, AToolClosingTheWindowEndsTheDragSafely) {
  SSymView* v = OpenView();
  const HWND hwnd = v->GetSafeHwnd();
  TCaptureTool tool;
  tool.query = [hwnd](UINT) -> DWORD {
    DestroyWindow(hwnd);  // the view's own reference goes with its window
    return 0;
  };
  EXPECT_EQ(Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)}),
            ISSymViewCapture::Cancel);
  EXPECT_EQ(tool.Names(), (Names{"start", "over", "query", "cancel"}));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(SSymView::m_bCaptureInProgress, 0);
}

TEST_F(ViewCaptureTest, WaitingForTheDragEndsOnAClickAndStartsOnAMoveOrTheDelay) {
  struct Case {
    const char* name;
    std::vector<Input> script;
    DWORD result;
    Names names;
  } const cases[] = {
      {"release before moving", {Mouse(10, WM_LBUTTONUP, kFrom), Mouse(20, WM_MOUSEMOVE, kTo)},
       ISSymViewCapture::Cancel, {"cancel"}},
      {"Esc before moving", {Key(10, WM_KEYDOWN, VK_ESCAPE), Mouse(20, WM_MOUSEMOVE, kTo)},
       ISSymViewCapture::Cancel, {"cancel"}},
      {"a move starts it", {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)},
       1, {"start", "over", "query", "drop"}},
      {"the delay starts it", {Mouse(500, WM_LBUTTONUP, kFrom)}, 1, {"start", "over", "query", "drop"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymView* v = OpenView();
    TCaptureTool tool;
    EXPECT_EQ(Drag(v, tool, kFrom, c.script, 1), c.result);
    EXPECT_EQ(tool.Names(), c.names);
    if (c.result == 1 && c.script.size() == 1) {
      EXPECT_GT(tool.calls[0].time - m_pressed, g_oleConst.m_nDragDelay) << "started once the delay passed";
    }
    ExpectAllGivenBack(v);
    v->DestroyWindow();
  }
}

TEST_F(ViewCaptureTest, AModifierKeyAsksTheToolAgainAtTheSamePoint) {
  SSymView* v = OpenView();
  TCaptureTool tool;
  Drag(v, tool, kFrom,
       {Mouse(10, WM_MOUSEMOVE, kTo), Key(20, WM_KEYDOWN, VK_SHIFT), Key(30, WM_KEYUP, VK_SHIFT),
        Key(40, WM_KEYDOWN, 'A'), Mouse(50, WM_LBUTTONUP, kTo)});
  std::vector<TCaptureCall> queries;
  for (const TCaptureCall& c : tool.calls)
    if (c.what == "query") queries.push_back(c);
  ASSERT_EQ(queries.size(), 4u) << "a key other than a modifier is no point";
  EXPECT_EQ(queries[1].message, WM_KEYDOWN);
  EXPECT_EQ(queries[1].point, Logical(v, kTo));
  EXPECT_EQ(queries[1].flags, SMouseFlags::Left | SMouseFlags::Shift);
  EXPECT_EQ(queries[2].message, WM_KEYUP);
  EXPECT_EQ(queries[2].flags, SMouseFlags::Left);
  EXPECT_EQ(tool.Count("drop"), 1);
  v->DestroyWindow();
}

TEST_F(ViewCaptureTest, AnExceptionOfTheToolIsShownAndTheDragGoesOn) {
  SSymView* v = OpenView();
  TCaptureTool tool;
  tool.query = [](UINT m) -> DWORD {
    if (m == WM_MOUSEMOVE) throw SException(SString(u" the tool broke"), SString());
    return m == WM_LBUTTONUP ? 1 : 0;
  };
  EXPECT_EQ(Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo), Mouse(20, WM_LBUTTONUP, kTo)}), 1u);
  ASSERT_EQ(SExceptionDialog::Log().size(), 1u);
  EXPECT_EQ(SExceptionDialog::Log()[0].text.Left(27), SString(u"Tool mouse capture continue"));

  // One addressed further out passes on, with everything given back.
  int target = 0;
  TCaptureTool passing;
  passing.query = [&](UINT) -> DWORD { throw STargetedException(&target); };
  EXPECT_THROW(Drag(v, passing, kFrom, {Mouse(10, WM_MOUSEMOVE, kTo)}), STargetedException);
  EXPECT_EQ(passing.Names(), (Names{"start", "over", "query", "cancel"}));
  ExpectAllGivenBack(v);
  KvClearInput();
  v->DestroyWindow();
}

// ---- auto-scroll --------------------------------------------------------------------------------

// The inner rectangle of a 400 x 300 view: (11, 11) to (389, 289).
TEST_F(ViewCaptureTest, AutoScrollIsPacedByTheDistanceBeyondTheEdge) {
  struct Case {
    const char* name;
    POINT at;
    int skipped;  // ticks skipped between two scrolls
    int dx, dy;   // the direction the view moves
  } const cases[] = {
      {"right at the right edge", {389, 150}, 20, 1, 0},
      {"1 pixel beyond it", {390, 150}, 19, 1, 0},
      {"65 pixels beyond it", {454, 150}, 0, 1, 0},
      {"100 pixels left of the left edge", {-89, 150}, 0, -1, 0},
      {"20 pixels below the lower edge", {200, 309}, 12, 0, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymView* v = OpenView();
    SSymView::m_nAutoScrollPace = 0;
    const SSymPoint before = v->GetCanvas().GetViewCenter();
    TCaptureTool tool;
    EXPECT_EQ(Drag(v, tool, kFrom, {Mouse(10, WM_MOUSEMOVE, c.at), Mouse(2010, WM_LBUTTONUP, c.at)}), 1u);
    const int ticks = tool.Count("query", WM_TIMER);
    const int scrolls = tool.Count("pre");
    ASSERT_GT(ticks, 30);
    EXPECT_EQ(scrolls, ticks / (c.skipped + 1));
    EXPECT_EQ(tool.Count("post"), scrolls);
    // The first tick comes after the inset's milliseconds, the next after the repeat period.
    std::vector<DWORD> at;
    for (const TCaptureCall& k : tool.calls)
      if (k.what == "query" && k.message == WM_TIMER) at.push_back(k.time - m_pressed);
    EXPECT_EQ(at[0], 10 + g_oleConst.m_nDragScrollInset);
    EXPECT_EQ(at[1] - at[0], g_oleConst.m_nDragScrollInterval);
    const SSymPoint after = v->GetCanvas().GetViewCenter();
    EXPECT_EQ((after.x > before.x) - (after.x < before.x), c.dx);
    EXPECT_EQ((after.y > before.y) - (after.y < before.y), c.dy);
    ExpectAllGivenBack(v);
    v->DestroyWindow();
  }
}

TEST_F(ViewCaptureTest, InsideTheInnerRectangleNothingScrollsAndTheTimersStop) {
  SSymView* v = OpenView();
  TCaptureTool tool;
  const SSymPoint before = v->GetCanvas().GetViewCenter();
  Drag(v, tool, kFrom,
       {Mouse(10, WM_MOUSEMOVE, POINT{12, 288}), Mouse(1000, WM_MOUSEMOVE, POINT{395, 150}),
        Mouse(1300, WM_MOUSEMOVE, POINT{388, 150}), Mouse(3000, WM_LBUTTONUP, POINT{388, 150})});
  for (const TCaptureCall& c : tool.calls)
    if (c.message == WM_TIMER) {
      EXPECT_GT(c.time - m_pressed, 1000u) << "no tick before the cursor left the inner rectangle";
      EXPECT_LE(c.time - m_pressed, 1300u) << "no tick after it came back";
    }
  EXPECT_GT(tool.Count("query", WM_TIMER), 0);
  EXPECT_EQ(v->GetCanvas().GetViewCenter().y, before.y);
  EXPECT_EQ(tool.Count("drop"), 1);
  ExpectAllGivenBack(v);
  v->DestroyWindow();
}

}  // namespace
