// Trackers driven through the editing window's mouse capture, as the tools
// drive them: every way a drag ends (a drop, Esc, the other button, the end
// of input, the capture taken away, the window destroyed) ends the track
// once and leaves no feedback on the window.
#include <gtest/gtest.h>

#include "support/tools_fixture.h"
#include "sym/tools/symtracker.h"

namespace {

constexpr POINT kFrom{100, 100};

KvInputItem Move(DWORD dt, POINT at) { return KvMouseItem(dt, WM_MOUSEMOVE, at.x, at.y); }
KvInputItem Mouse(DWORD dt, UINT message, POINT at) { return KvMouseItem(dt, message, at.x, at.y); }

class TrackCapture : public ToolsFixture {
 protected:
  TTrackTool MoverTool(SSymViewEdit* v) {
    const SSymRect box(Logical(v, {60, 140}).x, Logical(v, {60, 140}).y, Logical(v, {160, 60}).x,
                       Logical(v, {160, 60}).y);
    return TTrackTool([v, box](const SSymPoint& p) -> SSymTrackerBase* { return v->CreateTrackerMove(p, box); });
  }
};

enum class Midway { Nothing, LoseCapture, OtherWindowTakesIt };

struct EndCase {
  const char* name;
  std::vector<KvInputItem> script;
  Midway midway;
  DWORD result;
  int drops;
};

TEST_F(TrackCapture, EveryEndTakesTheFeedbackAwayOnce) {
  const EndCase cases[] = {
      {"drop", {Move(10, {150, 130}), Mouse(20, WM_LBUTTONUP, {150, 130})}, Midway::Nothing, ISSymViewCapture::Drop, 1},
      {"escape", {Move(10, {150, 130}), KvKeyItem(20, WM_KEYDOWN, VK_ESCAPE)}, Midway::Nothing, ISSymViewCapture::Cancel, 0},
      {"other button",
       {Move(10, {150, 130}), Mouse(20, WM_RBUTTONDOWN, {150, 130})},
       Midway::Nothing,
       ISSymViewCapture::Cancel,
       0},
      {"end of input", {Move(10, {150, 130}), Move(20, {170, 140})}, Midway::Nothing, ISSymViewCapture::Cancel, 0},
      {"capture released",
       {Move(10, {150, 130}), Move(20, {170, 140}), Mouse(30, WM_LBUTTONUP, {170, 140})},
       Midway::LoseCapture,
       ISSymViewCapture::Cancel,
       0},
      {"capture taken",
       {Move(10, {150, 130}), Move(20, {170, 140}), Mouse(30, WM_LBUTTONUP, {170, 140})},
       Midway::OtherWindowTakesIt,
       ISSymViewCapture::Cancel,
       0},
  };
  SSymViewEdit* v = OpenEdit();
  const HWND hwnd = v->GetSafeHwnd();
  for (const EndCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<unsigned char> before = SurfaceBytes(hwnd);
    TTrackTool tool = MoverTool(v);
    int moves = 0;
    bool drawn = false;
    tool.query = [&](UINT message) -> DWORD {
      // The feedback is on the window while the drag runs.
      drawn = drawn || SurfaceBytes(hwnd) != before;
      if (message == WM_MOUSEMOVE && ++moves == 1) {
        if (c.midway == Midway::LoseCapture) ReleaseCapture();
        if (c.midway == Midway::OtherWindowTakesIt) SetCapture(m_frame);
      }
      return message == WM_LBUTTONUP ? ISSymViewCapture::Drop
             : message == WM_RBUTTONDOWN ? ISSymViewCapture::Cancel
                                         : ISSymViewCapture::Continue;
    };
    EXPECT_EQ(Drag(v, tool, kFrom, c.script), c.result);
    EXPECT_TRUE(drawn);
    EXPECT_EQ(tool.drops, c.drops);
    EXPECT_EQ(tool.cancels, 1 - c.drops);
    EXPECT_EQ(tool.tracker, nullptr);
    EXPECT_EQ(SurfaceBytes(hwnd), before);
    ReleaseCapture();
  }
}

TEST_F(TrackCapture, TheDropReadsTheLastTrackedRectangle) {
  SSymViewEdit* v = OpenEdit();
  TTrackTool tool = MoverTool(v);
  EXPECT_EQ(Drag(v, tool, kFrom, {Move(10, {130, 110}), Mouse(20, WM_LBUTTONUP, {150, 130})}), ISSymViewCapture::Drop);
  ASSERT_FALSE(tool.accepted.empty());
  EXPECT_EQ(tool.accepted.back(), Logical(v, {150, 130}));
  // The outline moved by the pointer's way, one unit wider and taller.
  const SSymPoint from = Logical(v, kFrom), to = Logical(v, {150, 130});
  const LONG left = Logical(v, {60, 140}).x + (to.x - from.x);
  EXPECT_EQ(tool.last.x1, left);
  EXPECT_EQ(tool.last.y2, Logical(v, {60, 140}).y + (to.y - from.y));
}

TEST_F(TrackCapture, AWindowDestroyedDuringTheDragEndsItAsCancelled) {
  SSymViewEdit* v = OpenEdit();
  const HWND hwnd = v->GetSafeHwnd();
  TTrackTool tool = MoverTool(v);
  tool.query = [hwnd](UINT message) -> DWORD {
    if (message == WM_MOUSEMOVE) ::DestroyWindow(hwnd);
    return ISSymViewCapture::Continue;
  };
  EXPECT_EQ(Drag(v, tool, kFrom, {Move(10, {150, 130}), Move(20, {160, 130}), Mouse(30, WM_LBUTTONUP, {160, 130})}),
            ISSymViewCapture::Cancel);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(tool.cancels, 1);
  EXPECT_EQ(tool.drops, 0);
  EXPECT_EQ(tool.tracker, nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TrackCapture, AStartWithoutTrackerEndsAtOnceWithoutDrawing) {
  SSymViewEdit* v = OpenEdit();
  const std::vector<unsigned char> before = SurfaceBytes(v->GetSafeHwnd());
  TTrackTool tool([](const SSymPoint&) -> SSymTrackerBase* { return nullptr; });
  EXPECT_EQ(Drag(v, tool, kFrom, {Move(10, {150, 130}), Mouse(20, WM_LBUTTONUP, {150, 130})}), ISSymViewCapture::Cancel);
  EXPECT_EQ(tool.cancels, 1);
  EXPECT_TRUE(tool.accepted.empty());
  EXPECT_EQ(SurfaceBytes(v->GetSafeHwnd()), before);
}

}  // namespace
