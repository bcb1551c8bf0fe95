// Painting of the diagram window: the order of a drawing read from a
// recording context, bridges above 60 percent only, the wait cursor, page
// selection by clicks, a paint limited to its invalid rectangle matching an
// unlimited one pixel for pixel, and paints of odd areas and of a view
// without a diagram.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/canvas_fixture.h"
#include "support/diagram_fixture.h"
#include "support/link_fixture.h"
#include "support/temp_files.h"
#include "sym/diagram/symprintpages.h"
#include "sym/diagram/symrectindex.h"
#include "sym/diagram/symview.h"
#include "sym/links/symlinkstd.h"
#include "sym/render/symdrawarea.h"
#include "sym/shapes/symrectfamily.h"
#include "win/winuser.h"

namespace {

std::vector<std::string> g_events;

// A box that draws its rectangle and says so; some ask for a second pass.
class TLogBox : public TSym {
 public:
  TLogBox(ISRepSession* s, SSymRect r, std::string name, bool second) : TSym(s, r), m_name(std::move(name)), m_second(second) {}
  HRESULT Draw(SSymCanvas& c) override {
    g_events.push_back("draw " + m_name);
    c.Rectangle(m_rect);
    return S_OK;
  }
  int Needs2ndDraw(SSymCanvas&) override { return m_second ? 1 : 0; }
  HRESULT DrawSecondPass(SSymCanvas&) override {
    g_events.push_back("second " + m_name);
    return S_OK;
  }
  std::string m_name;
  bool m_second;
};

class TLogView : public SSymView {
 public:
  void DrawAfterSymbols(const SSymRect&) override { g_events.push_back("after symbols"); }
  void DrawFocusMark() override { g_events.push_back("focus mark"); }
  void DrawSelectionMark() override { g_events.push_back("selection mark"); }
  using SSymView::OnDraw;
};

class ViewPaint : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    KvWindowsReset();
    g_events.clear();
    m_diagram2 = NewDiagram<TPrefDiagram>();
  }
  void TearDown() override {
    KvWindowsReset();
    DiagramFixture::TearDown();
  }
  template <class V = SSymView>
  V* OpenView(SIZE size = {400, 300}) {
    auto* v = new V();
    EXPECT_TRUE(v->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, size.cx, size.cy}, nullptr, 0));
    v->SetDiagram(m_diagram2->Diagram());
    v->SetState((v->GetState() | SSymView::StateAllowErase) & ~SSymView::StateSuspended);
    return v;
  }
  TPrefDiagram* m_diagram2 = nullptr;
};

TEST_F(ViewPaint, DrawingFollowsItsOrderOnTheContext) {
  auto* v = OpenView<TLogView>();
  AddTo<TLogBox>(m_diagram2, SSymRect(0, 3600, 4800, 0), std::string("a"), true);
  AddTo<TLogBox>(m_diagram2, SSymRect(6000, 3600, 9000, 0), std::string("b"), false);
  AddTo<TLogBox>(m_diagram2, SSymRect(500000, 3600, 504800, 0), std::string("far"), true);
  SSymPrintPages dlg;
  dlg.SetPageTable(1, 1);
  *dlg.GetPage(0, 0) = 1;
  v->SetPrintDlg(&dlg);
  v->SetState(v->GetState() | SSymView::StatePageSelect | SSymView::StateSelectionMark | SSymView::StateCtrlSelected);
  RecordingDC dc;
  v->GetCanvas().Lock(dc.dc);
  v->OnDraw(SSymRect(-20000, 20000, 20000, -20000));
  v->GetCanvas().Unlock();
  EXPECT_EQ(g_events, (std::vector<std::string>{"draw a", "draw b", "second a", "after symbols", "selection mark"}));
  // On the context: the paper page first, then the symbols, then the marker of the selected page.
  std::vector<std::string> calls;
  for (const std::string& l : dc.Log())
    if (l.rfind("Rectangle(", 0) == 0 || l.find("Poly") != std::string::npos) calls.push_back(l.substr(0, l.find('(')));
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0], "Rectangle");  // the page
  EXPECT_EQ(calls[1], "Rectangle");  // a
  EXPECT_EQ(calls[2], "Rectangle");  // b
  EXPECT_NE(calls.back().find("Poly"), std::string::npos);  // the folded sheet
  EXPECT_EQ(v->GetState() & SSymView::StateDrawing, 0);
  v->SetPrintDlg(nullptr);
  v->DestroyWindow();
}

TEST_F(ViewPaint, BridgesAreComputedAboveSixtyPercentOnly) {
  auto* v = OpenView();
  AddTo<TSym>(m_diagram2, SSymRect(0, 3600, 4800, 0));
  ASSERT_NE(m_diagram2->GetDispPrefPtr(), nullptr);
  m_diagram2->GetDispPrefPtr()->m_bShowIntersect = 1;
  struct Case {
    double zoom;
    int computed;
  } cases[] = {{60.0, 0}, {60.01, 1}, {100.0, 1}, {25.0, 0}};
  for (const Case& c : cases) {
    v->GetCanvas().SetZoomLevel(c.zoom, SSymPoint(0, 0));
    const int before = v->GetBridgeComputations();
    RecordingDC dc;
    v->GetCanvas().Lock(dc.dc);
    v->OnDraw(SSymRect(-10000, 10000, 10000, -10000));
    v->GetCanvas().Unlock();
    EXPECT_EQ(v->GetBridgeComputations() - before, c.computed) << c.zoom;
  }
  m_diagram2->GetDispPrefPtr()->m_bShowIntersect = 0;
  const int before = v->GetBridgeComputations();
  v->OnDraw(SSymRect(-10000, 10000, 10000, -10000));
  EXPECT_EQ(v->GetBridgeComputations(), before);
  v->DestroyWindow();
}

TEST_F(ViewPaint, AWaitCursorOnlyForMoreThanAHundredBufferedSymbols) {
  auto* v = OpenView();
  for (int i = 0; i < 100; ++i) AddTo<TSym>(m_diagram2, SSymRect(i * 10, 3600, i * 10 + 4800, 0));
  struct Case {
    int buffered;
    int extra;
    int shown;
  } cases[] = {{1, 0, 0}, {1, 1, 1}, {0, 0, 0}};
  for (const Case& c : cases) {
    for (int i = 0; i < c.extra; ++i) AddTo<TSym>(m_diagram2, SSymRect(0, 3600, 4800, 0));
    v->SetEnableDoubleBuffering(c.buffered);
    const int before = SSymView::GetWaitCursorCount();
    v->InvalidateAll(1);
    ::UpdateWindow(v->GetSafeHwnd());
    EXPECT_EQ(SSymView::GetWaitCursorCount() - before, c.shown) << c.buffered << " " << c.extra;
  }
  v->DestroyWindow();
}

TEST_F(ViewPaint, ClicksSelectPagesAndARightClickInvertsThem) {
  auto* v = OpenView();
  v->GetCanvas().SetZoomLevel(5.0, SSymPoint(0, 0));
  // Symbols over two pages side by side.
  AddTo<TSym>(m_diagram2, SSymRect(-20000, 3600, -10000, 0));
  AddTo<TSym>(m_diagram2, SSymRect(35000, 3600, 40000, 0));
  v->GetCanvas().SetPaperSize(SSymSize(61200, 79200));
  // The dialog's side: counts the clicks that chose pages.
  struct Pages : SSymPrintPages {
    int selects = 0;
    void SetSelect() override { ++selects; }
  } dlg;
  dlg.SetPageTable(1, 2);
  v->SetPrintDlg(&dlg);
  const POINT left = v->GetCanvas().VPtoDP(SSymPoint(-15000, 1000));
  const POINT right = v->GetCanvas().VPtoDP(SSymPoint(37000, 1000));
  // Outside page-selection mode clicks do nothing.
  v->OnLButtonUp(0, left);
  EXPECT_EQ(dlg.GetPages(), (std::vector<int>{0, 0}));
  v->SetState(v->GetState() | SSymView::StatePageSelect);
  v->OnLButtonUp(0, left);
  EXPECT_EQ(dlg.GetPages(), (std::vector<int>{1, 0}));
  EXPECT_EQ(dlg.selects, 1);
  v->OnLButtonUp(0, right);
  v->OnLButtonUp(0, left);
  EXPECT_EQ(dlg.GetPages(), (std::vector<int>{0, 1}));
  dlg.GetPages()[1] = 5;  // any non-zero value is selected
  v->OnRButtonUp(0, right);
  EXPECT_EQ(dlg.GetPages(), (std::vector<int>{1, 0}));
  // A click off every page changes nothing.
  v->OnLButtonUp(0, v->GetCanvas().VPtoDP(SSymPoint(800000, 800000)));
  EXPECT_EQ(dlg.GetPages(), (std::vector<int>{1, 0}));
  v->SetPrintDlg(nullptr);
  v->DestroyWindow();
}

// Links with labels across a grid of boxes: a small invalid rectangle is
// painted once limited to it and once drawing everything; the window shows
// the same pixels.
class ViewPaintCulling : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    KvWindowsReset();
  }
  void TearDown() override {
    KvWindowsReset();
    SSymDrawArea::SetCulling(true);
    SSymRectIndex::SetEnabled(true);
    LinkFixture::TearDown();
  }
};

TEST_F(ViewPaintCulling, ALimitedPaintMatchesAFullOnePixelForPixel) {
  std::vector<SSymRectangle*> boxes;
  for (int i = 0; i < 36; ++i) {
    const LONG x = (i % 6) * 5000 - 15000, y = (i / 6) * 4000 - 12000;
    SSymRectangle* b = Box(SSymRect(x, y + 1800, x + 2400, y));
    m_diagram->Add(b->Sym());
    boxes.push_back(b);
  }
  for (int i = 0; i + 7 < 36; i += 3) {
    SSymLinkBase* l = Link(boxes[static_cast<std::size_t>(i)], boxes[static_cast<std::size_t>(i + 7)],
                           SSymListPt({boxes[static_cast<std::size_t>(i)]->m_rect.GetCenter(),
                                       boxes[static_cast<std::size_t>(i + 7)]->m_rect.GetCenter()}),
                           0, CLSID_SSymLinkStd);
    static_cast<SSymLinkStd*>(l)->SetText(0, SString(u"label of a link"));
    m_diagram->Add(l->Sym());
  }
  auto* v = new SSymView();
  ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_VISIBLE, RECT{0, 0, 500, 400}, nullptr, 0));
  v->SetDiagram(m_diagram->Diagram());
  v->SetState((v->GetState() | SSymView::StateAllowErase) & ~SSymView::StateSuspended);
  HWND hwnd = v->GetSafeHwnd();
  ::InvalidateRect(hwnd, nullptr, TRUE);
  ::UpdateWindow(hwnd);
  kvtest::TempDir dir("viewpaint");
  const std::string path = (dir.path / "viewpaint-culling.png").string();
  auto snapshot = [&] {
    EXPECT_TRUE(KvSaveWindowPng(hwnd, path.c_str()));
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const RECT areas[] = {{120, 90, 320, 290}, {0, 0, 37, 11}, {250, 200, 251, 201}};
  for (const RECT& r : areas) {
    SSymDrawArea::SetCulling(true);
    SSymRectIndex::SetEnabled(true);
    ::InvalidateRect(hwnd, &r, TRUE);
    ::UpdateWindow(hwnd);
    const auto culled = snapshot();
    SSymDrawArea::SetCulling(false);
    SSymRectIndex::SetEnabled(false);
    ::InvalidateRect(hwnd, &r, TRUE);
    ::UpdateWindow(hwnd);
    const auto full = snapshot();
    EXPECT_FALSE(culled.empty());
    EXPECT_TRUE(culled == full) << r.left << "," << r.top;
  }
  v->DestroyWindow();
}

TEST_F(ViewPaint, OddAreasAndAViewWithoutADiagramPaintWithoutSymbols) {
  auto* v = OpenView<TLogView>();
  AddTo<TLogBox>(m_diagram2, SSymRect(0, 3600, 4800, 0), std::string("a"), false);
  RecordingDC dc;
  v->GetCanvas().Lock(dc.dc);
  // Inverted corners are normalised; an empty area far away draws nothing.
  v->OnDraw(SSymRect(20000, -20000, -20000, 20000));
  v->OnDraw(SSymRect(800000, 800000, 800000, 800000));
  v->GetCanvas().Unlock();
  EXPECT_EQ(g_events, (std::vector<std::string>{"draw a", "after symbols", "after symbols"}));
  g_events.clear();
  v->SetState(v->GetState() | SSymView::StateSelectionMark | SSymView::StateCtrlSelected);
  v->SetDiagram(nullptr);
  v->SetState(v->GetState() & ~SSymView::StateSuspended);
  v->InvalidateAll(1);
  ::UpdateWindow(v->GetSafeHwnd());
  EXPECT_EQ(g_events, (std::vector<std::string>{"selection mark"}));
  EXPECT_EQ(v->HitTest(SSymPoint(0, 0), 1, nullptr), nullptr);
  v->DestroyWindow();
}

TEST_F(ViewPaint, AFocusMarkDrawnTwiceIsGoneAndASelectionMarkFramesTheWindow) {
  auto* v = OpenView();
  HWND hwnd = v->GetSafeHwnd();
  ::InvalidateRect(hwnd, nullptr, TRUE);
  ::UpdateWindow(hwnd);
  kvtest::TempDir dir("viewpaint");
  const std::string path = (dir.path / "viewpaint-marks.png").string();
  auto snapshot = [&] {
    EXPECT_TRUE(KvSaveWindowPng(hwnd, path.c_str()));
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const auto plain = snapshot();
  v->DrawFocusMark();
  const auto focused = snapshot();
  v->DrawFocusMark();
  EXPECT_TRUE(focused != plain);
  EXPECT_TRUE(snapshot() == plain);
  v->DrawSelectionMark();
  EXPECT_TRUE(snapshot() != plain);
  v->DestroyWindow();
}

}  // namespace
