#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "kvcore/sprintercache.h"
#include "support/view_fixture.h"

namespace {

class ViewZoomTest : public ViewFixture {
 protected:
  // A viewport of 7200 x 75 units a side: one scroll unit is 75 units, one
  // pixel at zoom 100 on the 96 dpi screen, so scroll positions come out exact.
  static constexpr LONG kHalf = 270000;
  static SSymRect ExactViewport() { return SSymRect(-kHalf, kHalf - 1, kHalf - 1, -kHalf); }
  SSymView* OpenBarView(int cx = 400, int cy = 300) {
    SSymView* v = OpenView(WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, cx, cy);
    SSymRect port = ExactViewport();
    v->SetViewportRect(port);
    v->UpdateScrollBars(1);
    return v;
  }
  static SCROLLINFO Bar(SSymView* v, int bar) {
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(v->GetSafeHwnd(), bar, &si));
    return si;
  }
  // Zoom 100 about the origin, the window's left and top edges on whole
  // scroll units (and whole pixels).
  static void Home(SSymView* v) {
    v->GetCanvas().SetZoomLevel(100, SSymPoint(0, 0));
    const SSymRect r = Shown(v);
    const LONG dx = ((r.x1 + kHalf) % 75 + 75) % 75, dy = (((kHalf - 1) - r.y1) % 75 + 75) % 75;
    v->GetCanvas().SetZoomLevel(100, SSymPoint(-dx, dy));
    v->UpdateScrollBars(1);
  }
  static SSymRect Shown(SSymView* v) {
    SSymRect r = v->GetCanvas().GetViewportVP();
    return r.Normalize();
  }
};

// ---- zoom and history ---------------------------------------------------------------------------

TEST_F(ViewZoomTest, ZoomRequestsAreHeldWithinTheLimitsAndNoNumberChangesNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double request;
    double zoom;  // afterwards
    UINT saved;   // history entries added
  } const cases[] = {
      {150, 150, 1}, {1, 2, 1}, {0, 2, 1}, {-40, 2, 1}, {6000, 5000, 1}, {inf, 5000, 1}, {-inf, 2, 1},
      {nan, 100, 0}, {100, 100, 0},  // the zoom as it is: no history entry
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request);
    SSymView* v = OpenView();
    v->ScaleTo(c.request);
    EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), c.zoom);
    EXPECT_EQ(v->GetHistoryCount(), c.saved);
    EXPECT_EQ(v->GetInvalidations().size(), c.saved) << "a change repaints";
    v->ScaleTo(c.request, SSymPoint(7200, 0));
    EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), std::isnan(c.request) ? 100.0 : c.zoom);
    v->DestroyWindow();
  }
}

TEST_F(ViewZoomTest, AViewWithoutAWindowZoomsAndScrollsItsCanvas) {
  SSymView v;
  v.ScaleTo(300);
  v.ScaleTo(200, SSymPoint(7200, 0));
  v.OnMouseWheel(0, -WHEEL_DELTA, POINT{0, 0});
  EXPECT_DOUBLE_EQ(v.GetCanvas().GetZoom(), 200.0);
  EXPECT_EQ(v.GetHistoryCount(), 2u);
  TCaptureTool tool;
  EXPECT_EQ(v.CaptureMouse(&tool, 0), ISSymViewCapture::Cancel) << "no mouse to capture";
  EXPECT_EQ(tool.calls.size(), 1u);
  EXPECT_EQ(v.CaptureMouse(nullptr, 0), ISSymViewCapture::Cancel);
}

TEST_F(ViewZoomTest, AZoomWithinAHundredthAtTheSameCentreIsNoChange) {
  SSymView* v = OpenView();
  const SSymPoint c = v->GetCanvas().GetViewCenter();
  v->ScaleTo(100.004, c);
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 100.0);
  EXPECT_EQ(v->GetHistoryCount(), 0u);
  v->ScaleTo(100.004, SSymPoint(c.x + 7200, c.y));  // a new centre is a change
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 100.004);
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(c.x + 7200, c.y));
  EXPECT_EQ(v->GetHistoryCount(), 1u);
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, TheHistoryKeepsTenViewsAndWalksBackAndForth) {
  SSymView* v = OpenView();
  for (int i = 1; i <= 11; ++i) v->ScaleTo(100 + 10 * i);  // saves 100, 110, ..., 200
  EXPECT_EQ(v->GetHistoryCount(), 10u);
  EXPECT_EQ(v->GetHistoryPos(), 10u);
  // The oldest (100) went: walking back reaches 110 and stops there.
  for (int i = 10; i >= 1; --i) {
    v->ScalePrevView();
    EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 100 + 10 * i);
  }
  EXPECT_EQ(v->GetHistoryPos(), 0u);
  v->ScalePrevView();
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 110.0);
  v->ScaleNextView();
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 110.0) << "next applies the entry at the position";
  EXPECT_EQ(v->GetHistoryPos(), 1u);
  EXPECT_EQ(v->GetHistoryCount(), 10u) << "walking saves nothing";
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, PreviousAndNextWithThreeEntriesAndTheirCommands) {
  SSymView* v = OpenView();
  v->ScaleTo(200);
  v->ScaleTo(300);
  v->ScaleTo(400);  // entries 100, 200, 300; position 3
  struct Step {
    UINT command;
    double zoom;
    UINT pos;
  } const steps[] = {
      {SSymView::CmdPrevView, 300, 2}, {SSymView::CmdNextView, 300, 3}, {SSymView::CmdNextView, 300, 3},
      {SSymView::CmdPrevView, 300, 2}, {SSymView::CmdPrevView, 200, 1}, {SSymView::CmdPrevView, 100, 0},
      {SSymView::CmdPrevView, 100, 0},
  };
  for (const Step& s : steps) {
    SendMessageW(v->GetSafeHwnd(), WM_COMMAND, s.command, 0);
    EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), s.zoom);
    EXPECT_EQ(v->GetHistoryPos(), s.pos);
  }
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, AZoomAboutACentreKeepsTheWindowInsideTheViewport) {
  SSymView* v = OpenView();
  SSymRect port(-36000, 36000, 36000, -36000);
  v->SetViewportRect(port);
  // Near the right and the lower border: pushed back 150 units inside
  // (to the unit the window's halves allow).
  v->ScaleTo(100, SSymPoint(35000, -35000));
  SSymRect r = Shown(v);
  EXPECT_NEAR(r.x2, 36000 - 150, 1);
  EXPECT_NEAR(r.y2, -36000 + 150, 1);
  // Near the left and the upper border.
  v->ScaleTo(100, SSymPoint(-35000, 35000));
  r = Shown(v);
  EXPECT_NEAR(r.x1, -36000 + 150, 1);
  EXPECT_NEAR(r.y1, 36000 - 150, 1);
  // Zoomed out beyond the viewport: centred on 0 on both axes.
  v->ScaleTo(20, SSymPoint(30000, 30000));
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(0, 0));
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, FittingARectangleAndTheUsedPages) {
  SSymView* v = OpenView();
  const SSymRect target(-72000, 36000, 72000, -36000);
  v->ScaleToRect(target, 0);
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(0, 0));
  EXPECT_EQ(v->GetHistoryCount(), 1u);
  const double tight = v->GetCanvas().GetZoom();
  v->ScaleToRect(target, 1);
  EXPECT_NEAR(v->GetCanvas().GetZoom(), tight * 0.95, tight * 1e-3) << "a 5 % margin";
  EXPECT_TRUE(Shown(v).ContainsRect(target));
  v->ScaleOutToRect(target);
  EXPECT_NEAR(v->GetCanvas().GetZoom(), tight * 0.95 * 0.95 * 1.05, tight * 1e-3) << "the window's area into the rectangle";
  EXPECT_EQ(v->GetHistoryCount(), 3u);

  AddTo<TSym>(m_diagram, SSymRect(0, 3600, 100000, 0));  // over two pages across
  v->ScaleToUsedPages();
  SSymRect used(0, 3600, 100000, 0);
  const SSymRect pages = v->GetCanvas().GetPaperRect(used);
  EXPECT_TRUE(Shown(v).ContainsRect(pages));
  EXPECT_GT(pages.Width(), 100000);
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, ASuppressedViewZoomsAndScrollsWithoutRepainting) {
  SSymView* v = OpenBarView();
  v->SetState(v->GetState() | SSymView::StateSuspended);
  v->ClearInvalidations();
  KvClearInvalidationLog();
  v->ScaleTo(300);
  v->ScaleTo(200, SSymPoint(7200, 7200));
  SendMessageW(v->GetSafeHwnd(), WM_VSCROLL, SB_PAGEDOWN, 0);
  v->ScalePrevView();
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 200.0);
  EXPECT_TRUE(v->GetInvalidations().empty());
  v->DestroyWindow();
}

// ---- scroll bars --------------------------------------------------------------------------------

TEST_F(ViewZoomTest, TheBarsSpanTheViewportWithAPageForTheShownPart) {
  SSymView* v = OpenBarView();
  for (double zoom : {100.0, 50.0, 400.0}) {
    SCOPED_TRACE(zoom);
    v->ScaleTo(zoom, SSymPoint(-36000, 36000));
    const SSymRect r = Shown(v);
    for (int bar : {SB_HORZ, SB_VERT}) {
      const SCROLLINFO si = Bar(v, bar);
      EXPECT_EQ(si.nMin, -3600);
      EXPECT_EQ(si.nMax, 3600);
      const long long shown = bar == SB_HORZ ? r.Width() : r.Height();
      EXPECT_EQ(si.nPage, UINT(shown * 7200 / (2 * kHalf)));
      // From the viewport's left border, or from its top for the vertical bar.
      const long long from = bar == SB_HORZ ? r.x1 + kHalf : (kHalf - 1) - r.y1;
      EXPECT_EQ(si.nPos, int(std::lround(from / 75.0)) - 3600);
    }
  }
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, AWindowLargerThanTheViewportCannotScrollAndStaysCentred) {
  SSymView* v = OpenBarView();
  SSymRect port(-7200, 7200, 7200, -7200);  // a fifth of the window
  v->SetViewportRect(port);
  v->UpdateScrollBars(1);
  for (int bar : {SB_HORZ, SB_VERT}) EXPECT_EQ(Bar(v, bar).nPage, 7201u);
  v->GetCanvas().SetZoomLevel(100, SSymPoint(3000, -2000));
  SendMessageW(v->GetSafeHwnd(), WM_HSCROLL, SB_LINEDOWN, 0);
  SendMessageW(v->GetSafeHwnd(), WM_VSCROLL, SB_PAGEUP, 0);
  // Centred on 0 to the pixel (75 units): scrolls move by whole pixels.
  EXPECT_NEAR(v->GetCanvas().GetViewCenter().x, 0, 75);
  EXPECT_NEAR(v->GetCanvas().GetViewCenter().y, 0, 75);
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, EachScrollCodeMovesTheWindowToWhereTheBarSays) {
  struct Case {
    const char* name;
    UINT code;
    int thumb;
    std::function<int(int pos, int page)> to;  // the position asked for (before the bar's own clamp)
    UINT saved;                                // history entries per bar
  };
  const auto line = [](int page) { return std::max(page / 40, 1); };
  const auto last = [](int page) { return 3600 - page + 150; };
  const Case cases[] = {
      {"line up", SB_LINEUP, 0, [&](int p, int page) { return p - line(page); }, 1},
      {"line down", SB_LINEDOWN, 0, [&](int p, int page) { return p + line(page); }, 1},
      {"page up", SB_PAGEUP, 0, [](int p, int page) { return p - 2 * page / 5; }, 1},
      {"page down", SB_PAGEDOWN, 0, [](int p, int page) { return p + 2 * page / 5; }, 1},
      {"thumb position", SB_THUMBPOSITION, 1000, [](int, int) { return 1000; }, 0},
      {"thumb beyond the end", SB_THUMBPOSITION, 30000, [&](int, int page) { return last(page); }, 0},
      {"top", SB_TOP, 0, [](int, int) { return -3600; }, 1},
      {"bottom", SB_BOTTOM, 0, [&](int, int page) { return last(page); }, 1},
      {"end of scroll", SB_ENDSCROLL, 0, nullptr, 0},
      {"unknown code", 9, 0, nullptr, 0},
      {"unknown code far out", 0xFFFF, 0, nullptr, 0},
  };
  // The margin the start of a bar's range keeps, in logical units.
  const int margin = int((-150 - (2.0 * kHalf - 1) * 150) / 7200);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymView* v = OpenBarView();  // a history of its own
    Home(v);
    const SSymRect before = Shown(v);
    const UINT saved = v->GetHistoryCount();
    const SCROLLINFO hx = Bar(v, SB_HORZ), vy = Bar(v, SB_VERT);
    SendMessageW(v->GetSafeHwnd(), WM_HSCROLL, MAKEWPARAM(int(c.code), c.thumb & 0xFFFF), 0);
    SendMessageW(v->GetSafeHwnd(), WM_VSCROLL, MAKEWPARAM(int(c.code), c.thumb & 0xFFFF), 0);
    EXPECT_EQ(v->GetHistoryCount() - saved, 2 * c.saved);
    const SSymRect r = Shown(v);
    if (!c.to) {
      EXPECT_EQ(r, before);
      v->DestroyWindow();
      continue;
    }
    // The left and top edges stand where the positions say (to the unit the
    // window's halves and whole pixels allow).
    const int px = c.to(hx.nPos, int(hx.nPage)), py = c.to(vy.nPos, int(vy.nPage));
    EXPECT_NEAR(r.x1, -kHalf + (px + 3600) * 75 + (px == -3600 ? margin : 0), 1);
    EXPECT_NEAR(r.y1, (kHalf - 1) - (py + 3600) * 75 - (py == -3600 ? margin : 0), 1);
    v->DestroyWindow();
  }
}

TEST_F(ViewZoomTest, DraggingTheThumbSavesOneViewAndALineIsNeverZero) {
  SSymView* v = OpenBarView();
  const HWND h = v->GetSafeHwnd();
  for (int pos : {100, 200, 300}) SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), 0);
  EXPECT_EQ(v->GetHistoryCount(), 1u);
  EXPECT_TRUE(v->GetState() & SSymView::StateThumbTrack);
  SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  EXPECT_FALSE(v->GetState() & SSymView::StateThumbTrack);
  SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 400), 0);
  EXPECT_EQ(v->GetHistoryCount(), 2u) << "a new drag of the thumb";
  SendMessageW(h, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 400), 0);
  EXPECT_FALSE(v->GetState() & SSymView::StateThumbTrack);

  v->ScaleTo(5000, SSymPoint(0, 0));  // a page of a few scroll units
  const SCROLLINFO before = Bar(v, SB_HORZ);
  ASSERT_LT(before.nPage, 40u);
  SendMessageW(h, WM_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(Bar(v, SB_HORZ).nPos, before.nPos + 1);
  v->DestroyWindow();
}

// ---- the wheel ----------------------------------------------------------------------------------

TEST_F(ViewZoomTest, TheWheelScrollsOneLinePerMessageAndZoomsWithCtrl) {
  SSymView* v = OpenBarView();
  const HWND h = v->GetSafeHwnd();
  const POINT at = Screen(v, POINT{100, 80});
  struct Case {
    const char* name;
    WPARAM keys;
    short delta;
    int dx, dy;  // lines moved
  } const cases[] = {
      {"up", 0, WHEEL_DELTA, 0, -1},
      {"down, however far", 0, -3 * WHEEL_DELTA, 0, 1},
      {"nothing turned", 0, 0, 0, 1},
      {"shift: left", MK_SHIFT, WHEEL_DELTA, -1, 0},
      {"shift: right", MK_SHIFT, -WHEEL_DELTA, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Home(v);
    const SCROLLINFO hx = Bar(v, SB_HORZ), vy = Bar(v, SB_VERT);
    EXPECT_EQ(SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(int(c.keys), c.delta), MAKELPARAM(at.x, at.y)), 1);
    EXPECT_EQ(Bar(v, SB_HORZ).nPos, hx.nPos + c.dx * std::max(int(hx.nPage) / 40, 1));
    EXPECT_EQ(Bar(v, SB_VERT).nPos, vy.nPos + c.dy * std::max(int(vy.nPage) / 40, 1));
    EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 100.0);
  }

  // Ctrl: 10 % about the point under the cursor, which stays put.
  RECT wr{};
  GetWindowRect(h, &wr);
  const POINT dev{at.x - wr.left, at.y - wr.top};
  const SSymPoint under = v->GetCanvas().DPtoVP(dev);
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(int(MK_CONTROL), WHEEL_DELTA), MAKELPARAM(at.x, at.y));
  EXPECT_NEAR(v->GetCanvas().GetZoom(), 110.0, 1e-9);
  SSymPoint now = v->GetCanvas().DPtoVP(dev);
  EXPECT_NEAR(now.x, under.x, 150);
  EXPECT_NEAR(now.y, under.y, 150);
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(int(MK_CONTROL), -WHEEL_DELTA), MAKELPARAM(at.x, at.y));
  EXPECT_NEAR(v->GetCanvas().GetZoom(), 100.0, 1e-9);
  now = v->GetCanvas().DPtoVP(dev);
  EXPECT_NEAR(now.x, under.x, 150);
  EXPECT_NEAR(now.y, under.y, 150);

  // At 4800 the step in is held at 5000.
  v->ScaleTo(4800, SSymPoint(0, 0));
  SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(int(MK_CONTROL), WHEEL_DELTA), MAKELPARAM(at.x, at.y));
  EXPECT_DOUBLE_EQ(v->GetCanvas().GetZoom(), 5000.0);
  v->DestroyWindow();
}

// ---- paper --------------------------------------------------------------------------------------

TEST_F(ViewZoomTest, ThePaperIsThePrintablePageEnlargedByThePrintScale) {
  SSymView* v = OpenView();
  const SIZE page = m_diagram->GetPageSetup()->GetAvailablePageSizeInPoints(500, 500);
  ASSERT_GT(page.cx, 0);
  struct Case {
    LONG scale;
    double factor;
  } const cases[] = {{100, 1.0}, {50, 2.0}, {200, 0.5}, {0, 1.0}, {-25, 1.0}};  // no scale: as printed
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    m_diagram->SetScale(c.scale);
    v->UpdatePaperSize();
    EXPECT_EQ(v->GetCanvas().GetPaperSize(), SSymSize(LONG(page.cx * c.factor), LONG(page.cy * c.factor)));
  }
  v->DestroyWindow();
}

TEST_F(ViewZoomTest, NewMarginsGiveTheWindowsNewPages) {
  SSymView* v = OpenView();
  SPrinterCache* setup = m_diagram->GetPageSetup();
  const SSymSize before = v->GetCanvas().GetPaperSize();
  setup->SetMargins(RECT{2000, 1500, 2000, 1500});
  m_diagram->SetMargins(SRep_Rect{2000, 1500, 2000, 1500});
  const SIZE page = setup->GetAvailablePageSizeInPoints(500, 500);
  EXPECT_EQ(v->GetCanvas().GetPaperSize(), SSymSize(page.cx, page.cy));
  EXPECT_NE(v->GetCanvas().GetPaperSize(), before);
  EXPECT_FALSE(v->GetInvalidations().empty());
  v->DestroyWindow();
}

}  // namespace
