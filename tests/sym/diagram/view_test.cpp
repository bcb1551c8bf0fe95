#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "kvrep/srepsession.h"
#include "support/diagram_fixture.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symclassid.h"
#include "kvlib/slibimagelist.h"
#include "sym/edit/symviewedit.h"
#include "win/imageicon.h"
#include "win/winuser.h"

namespace {

// A frame window of the host: counts WM_CLOSE and, when asked, destroys
// itself (and so the view inside it) on close.
int g_closes = 0;
bool g_destroyOnClose = false;
WPARAM g_lastCommand = 0;
// The icons the frame was given (WM_SETICON): how many, which, which size.
int g_icons = 0;
HICON g_icon = nullptr;
WPARAM g_iconSize = ICON_BIG;
LRESULT FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_lastCommand = wp;
  if (msg == WM_SETICON) {
    ++g_icons;
    g_iconSize = wp;
    g_icon = reinterpret_cast<HICON>(lp);
  }
  if (msg == WM_CLOSE) {
    ++g_closes;
    if (g_destroyOnClose) DestroyWindow(hwnd);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A symbol hit inside a rectangle, answering an inner symbol when it has one.
template <class Base>
class THit : public Base {
 public:
  // The symbol stands where it is hit (a diagram finds symbols near their rectangles).
  THit(ISRepSession* s, SSymRect hit) : Base(s), m_hit(hit) {
    m_hit.Normalize();
    this->m_rect = m_hit;
  }
  BOOL IsPtInSym(SSymCanvas&, const SSymPoint& pt, int* part, ISSymbol** sub) override {
    if (sub) *sub = nullptr;
    if (!m_hit.PtInRect(pt)) return 0;
    if (part) *part = 7;
    if (sub && m_inner) {
      *sub = m_inner;
      m_inner->AddRef();
    }
    return 1;
  }
  SSymRect m_hit;
  ISSymbol* m_inner = nullptr;
};
using TBox = THit<TSym>;
using TLine = THit<TLink>;

// A view of the host's session: a diagram window, or another kind of view.
class TSessionView : public ISRepSessionView {
 public:
  explicit TSessionView(SSymView* view) : m_view(view) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (iid == IID_SSymView && m_view) return m_view->QueryInterface(iid, ppv);
    if (iid == IID_IUnknown) {
      *ppv = this;
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_ref; }
  ULONG Release() override { return --m_ref; }  // lives on the test's stack
  SSymView* m_view;
  ULONG m_ref = 0;
};

class ViewTest : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    KvWindowsReset();
    g_closes = 0;
    g_destroyOnClose = false;
    g_icons = 0;
    g_icon = nullptr;
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FrameProc;
    wc.lpszClassName = u"TestFrame";
    RegisterClassW(&wc);
    m_frame = CreateWindowExW(0, u"TestFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
    m_diagram2 = NewDiagram<SSymDiagram>();
  }
  void TearDown() override {
    KvWindowsReset();
    DiagramFixture::TearDown();
  }
  // A view window in the frame, bound to the diagram, allowed to erase.
  SSymView* OpenView(bool bind = true) {
    auto* v = new SSymView();
    EXPECT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, SWnd::FromHandle(m_frame), 7));
    if (bind) v->SetDiagram(m_diagram2->Diagram());
    v->SetState(v->GetState() | SSymView::StateAllowErase);
    v->ClearInvalidations();
    return v;
  }
  TBox* Box(SSymRect r) { return AddTo<TBox>(m_diagram2, r); }
  // How many WM_PAINT messages the window gets before its queue is quiet.
  int PaintsUntilQuiet(HWND hwnd) {
    int paints = 0;
    MSG m;
    for (int i = 0; i < 10 && PeekMessageW(&m, hwnd, 0, 0, PM_REMOVE); ++i) {
      if (m.message == WM_PAINT) ++paints;
      DispatchMessageW(&m);
    }
    return paints;
  }
  HWND m_frame = nullptr;
  SSymDiagram* m_diagram2 = nullptr;
};

// ---- binding and the collection sink ------------------------------------------------------------

TEST_F(ViewTest, CollectionChangesRepaintWhatTheyTouchUnlessTheViewMayNotDraw) {
  struct Case {
    const char* name;
    std::function<void(SSymView*)> condition;
    size_t expected;  // rectangles invalidated by one insert
  };
  const Case cases[] = {
      {"drawing", [](SSymView*) {}, 1},
      {"suppressed", [](SSymView* v) { v->SetState(v->GetState() | SSymView::StateSuspended); }, 0},
      {"no erasing", [](SSymView* v) { v->SetState(v->GetState() & ~SSymView::StateAllowErase); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SSymView* v = OpenView();
    c.condition(v);
    TBox* b = Box(SSymRect(0, 7200, 7200, 0));
    ASSERT_EQ(v->GetInvalidations().size(), c.expected);
    if (c.expected) {
      const RECT want = v->GetCanvas().VPtoDP(b->GetActiveRect(v->GetCanvas(), 1));
      EXPECT_FALSE(v->GetInvalidations()[0].whole);
      EXPECT_EQ(v->GetInvalidations()[0].rect.left, want.left);
      EXPECT_EQ(v->GetInvalidations()[0].rect.bottom, want.bottom);
    }
    m_diagram2->Remove(b->Sym());
    EXPECT_EQ(v->GetInvalidations().size(), 2 * c.expected);
    v->DestroyWindow();
  }
}

TEST_F(ViewTest, AMoveInTheDrawingOrderRepaintsBothPlaces) {
  SSymView* v = OpenView();
  TBox* a = Box(SSymRect(0, 7200, 7200, 0));
  Box(SSymRect(72000, 7200, 79200, 0));
  v->ClearInvalidations();
  m_diagram2->MoveTo(a->Sym(), 1);
  EXPECT_EQ(v->GetInvalidations().size(), 2u);
  EXPECT_TRUE(m_diagram2->ContainsView(v));
  v->DestroyWindow();  // leaves the diagram and its collection
  EXPECT_FALSE(m_diagram2->ContainsView(v));
  Box(SSymRect(0, 7200, 7200, 0));  // no sink left to call
}

TEST_F(ViewTest, APaintLockHoldsBackRepaintsAndTheOuterReleaseRedraws) {
  SSymView* v = OpenView();
  {
    SSymView::LockPaint outer(v, 1);
    SSymView::LockPaint inner;
    EXPECT_EQ(inner.Lock(v, 1), 0);  // the view is suppressed already
    Box(SSymRect(0, 7200, 7200, 0));
    v->ScaleTo(200);
    v->OnViewRedraw();
    inner.Release(1);
    EXPECT_TRUE(v->GetState() & SSymView::StateSuspended) << "only the outer release lets the view draw";
    EXPECT_TRUE(v->GetInvalidations().empty());
  }
  ASSERT_EQ(v->GetInvalidations().size(), 1u);
  EXPECT_TRUE(v->GetInvalidations()[0].whole);
  EXPECT_EQ(v->GetState() & (SSymView::StateSuspended | SSymView::StateAllowErase), SSymView::StateAllowErase);
  SSymView::LockPaint none;
  EXPECT_EQ(none.Lock(nullptr, 1), 0);
  EXPECT_EQ(none.Release(1), 0);
  v->DestroyWindow();
}

TEST_F(ViewTest, TheSessionWideLockSilencesEveryDiagramWindowUntilItGoes) {
  SSymView* a = OpenView();
  SSymView* b = OpenView();
  b->SetState(b->GetState() | SSymView::StateSuspended);  // suppressed for a reason of its own
  SSymView* closed = OpenView();
  TSessionView va(a), vb(b), vc(closed), other(nullptr);
  m_session->AddView(&va);
  m_session->AddView(&other);  // not a diagram window: passed over
  m_session->AddView(&vb);
  m_session->AddView(&vc);
  {
    SRepSession::LockDrawAllViews lock(m_session);
    closed->DestroyWindow();  // a window closed while the session works is still unlocked safely
    Box(SSymRect(0, 7200, 7200, 0));
    a->ScaleTo(250);
    EXPECT_DOUBLE_EQ(a->GetCanvas().GetZoom(), 250.0);
    EXPECT_TRUE(a->GetInvalidations().empty());
  }
  ASSERT_EQ(a->GetInvalidations().size(), 1u);
  EXPECT_TRUE(a->GetInvalidations()[0].whole);
  EXPECT_TRUE(b->GetInvalidations().empty());
  EXPECT_TRUE(b->GetState() & SSymView::StateSuspended);
  m_session->RemoveView(&va);
  m_session->RemoveView(&other);
  m_session->RemoveView(&vb);
  m_session->RemoveView(&vc);
  a->DestroyWindow();
  b->DestroyWindow();
}

TEST_F(ViewTest, ASuppressedViewPutsItsPaintOffInsteadOfAskingForEver) {
  SSymView* v = OpenView();
  // Activated once while suppressed: it may draw and erase from now on.
  v->SetState((v->GetState() | SSymView::StateSuspended) & ~SSymView::StateAllowErase);
  v->OnActivate(1);
  EXPECT_EQ(v->GetState() & (SSymView::StateSuspended | SSymView::StateActivatedOnce | SSymView::StateAllowErase),
            SSymView::StateActivatedOnce | SSymView::StateAllowErase);
  PaintsUntilQuiet(v->GetSafeHwnd());
  {
    SSymView::LockPaint lock(v, 0);
    ::InvalidateRect(v->GetSafeHwnd(), nullptr, TRUE);  // the window is uncovered
    SendMessageW(v->GetSafeHwnd(), WM_PAINT, 0, 0);
    RECT left{};
    EXPECT_FALSE(GetUpdateRect(v->GetSafeHwnd(), &left, FALSE)) << "a paint put off still validates";
    EXPECT_EQ(PaintsUntilQuiet(v->GetSafeHwnd()), 0);
    EXPECT_TRUE(v->IsRepaintDue());
    v->ClearInvalidations();
  }
  EXPECT_FALSE(v->IsRepaintDue());
  ASSERT_EQ(v->GetInvalidations().size(), 1u) << "the put-off paint comes back with the last lock";
  EXPECT_EQ(PaintsUntilQuiet(v->GetSafeHwnd()), 1);
  v->DestroyWindow();
}

TEST_F(ViewTest, BindingAnotherDiagramOrNoneMovesTheSinkAndSuppression) {
  SSymView* v = OpenView();
  SSymDiagram* other = NewDiagram<SSymDiagram>();
  v->SetDiagram(other->Diagram());
  EXPECT_FALSE(m_diagram2->ContainsView(v));
  EXPECT_TRUE(other->ContainsView(v));
  v->ClearInvalidations();
  Box(SSymRect(0, 7200, 7200, 0));  // the old diagram no longer reaches the view
  EXPECT_TRUE(v->GetInvalidations().empty());
  v->SetState(v->GetState() | SSymView::StateActivatedOnce);
  v->SetDiagram(nullptr);
  EXPECT_TRUE(v->GetState() & SSymView::StateSuspended) << "a view activated once shows nothing without a diagram";
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(v->GetDiagram(&out, IID_ISSymDiagram), E_POINTER);
  EXPECT_EQ(v->GetDispPrefPtr(), nullptr);
  EXPECT_EQ(v->HitTest(SSymPoint(0, 0), 1, nullptr), nullptr);
  v->SetDiagram(m_diagram2->Diagram());
  EXPECT_FALSE(v->GetState() & SSymView::StateSuspended);
  EXPECT_EQ(v->GetDiagram(&out, IID_ISSymDiagram), S_OK);
  static_cast<IUnknown*>(out)->Release();
  v->DestroyWindow();
}

TEST_F(ViewTest, BindingTakesTheWindowColoursOfThePreferences) {
  TPrefDiagram* d = NewDiagram<TPrefDiagram>();
  SSymDispPref* pref = d->GetDispPrefPtr();
  ASSERT_NE(pref, nullptr);
  pref->m_crWindow = 0x123456;
  pref->m_crGradientEnd = 0x654321;
  pref->m_nWatermarkMode = 3;
  SSymView* v = OpenView(false);
  v->SetDiagram(d->Diagram());
  EXPECT_EQ(v->GetDispPrefPtr(), pref);
  EXPECT_EQ(v->GetDrawBackground()->GetBackColor(), 0x123456u);
  EXPECT_EQ(v->GetDrawBackground()->GetEndColor(), 0x654321u);
  EXPECT_EQ(v->GetDrawWatermark()->GetDrawMode(), 3);
  EXPECT_EQ(v->GetCanvas().GetBkBrush().GetColor(), SSymColor(0x123456));
  EXPECT_FALSE(v->GetDrawBackground()->HasPicture());
  v->DestroyWindow();
}

// A diagram type with an image of its own in the small image list.
class TIconDiagram : public SSymDiagram {
 public:
  using SSymDiagram::SSymDiagram;
  int GetImageIndex() override { return m_index; }
  int m_index = -1;
};

TEST_F(ViewTest, BindingGivesTheFrameTheDiagramsSmallIcon) {
  KvImage image;
  image.width = image.height = 16;
  image.px.assign(256, 0xFF336699u);
  TIconDiagram* d = NewDiagram<TIconDiagram>();
  d->m_index = SLibImageList::GetSmallImageList().Add(KvCreateIconFromImage(image));
  ASSERT_GE(d->m_index, 0);
  SSymView* v = OpenView(false);
  v->SetDiagram(d->Diagram());
  EXPECT_EQ(g_icons, 1);
  EXPECT_EQ(g_iconSize, ICON_SMALL);
  const KvImage* shown = KvIconImage(g_icon);
  ASSERT_NE(shown, nullptr) << "the view keeps the icon it gave";
  EXPECT_EQ(shown->width, 16);
  EXPECT_EQ(shown->At(3, 3), 0xFF336699u);
  // A diagram without an image clears the frame's icon.
  v->SetDiagram(m_diagram2->Diagram());
  EXPECT_EQ(g_icons, 2);
  EXPECT_EQ(g_icon, nullptr);
  v->DestroyWindow();
}

// ---- the print scale and texts measured on the window -------------------------------------------

// A scale written to the diagram lays every editing window's pages at it
// (a scale of 0 or below counting as 100, the window holding it within
// 2 .. 5000) and shows them again.
TEST_F(ViewTest, AScaleChangeRelaysTheWindowsPagesAndRepaints) {
  auto* v = new SSymViewEdit();
  ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, SWnd::FromHandle(m_frame), 7));
  v->SetDiagram(m_diagram2->Diagram());
  v->OnActivate(1);  // an editing window repaints once its frame activates it
  v->SetState(v->GetState() | SSymView::StateAllowErase);
  Box(SSymRect(0, 7200, 7200, 0));
  const SIZE page = m_diagram2->GetPageSetup()->GetAvailablePageSizeInPoints(500, 500);
  const struct {
    LONG scale;
    double percent;
  } cases[] = {{50, 50}, {200, 200}, {0, 100}, {-5, 100}, {1, 2}, {9000, 5000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    m_diagram2->SetScale(c.scale == 100 ? 99 : 100);
    v->ClearInvalidations();
    m_diagram2->SetScale(c.scale);
    const SSymSize paper = v->GetCanvas().GetPaperSize();
    EXPECT_EQ(paper.cx, static_cast<LONG>(page.cx / (c.percent / 100)));
    EXPECT_EQ(paper.cy, static_cast<LONG>(page.cy / (c.percent / 100)));
    EXPECT_FALSE(v->GetInvalidations().empty());
  }
  v->DestroyWindow();
}

// Turning the paper turns the window's pages with it.
TEST_F(ViewTest, AnOrientationChangeTurnsTheWindowsPages) {
  SSymView* v = OpenView();
  m_diagram2->SetPaperSize(SRep_Point{8500, 11000});
  m_diagram2->SetPgOrientation(1);
  const SSymSize upright = v->GetCanvas().GetPaperSize();
  ASSERT_LT(upright.cx, upright.cy);
  v->ClearInvalidations();
  m_diagram2->SetPgOrientation(2);
  const SSymSize turned = v->GetCanvas().GetPaperSize();
  EXPECT_GT(turned.cx, turned.cy);
  EXPECT_FALSE(v->GetInvalidations().empty());
  v->DestroyWindow();
}

// A symbol that notes the canvas it is fitted to its text on.
class TFitSym : public TSym {
 public:
  using TSym::TSym;
  HRESULT AdjustText(SSymCanvas& canvas, int, int) override {
    m_canvas = &canvas;
    return 0;
  }
  SSymCanvas* m_canvas = nullptr;
};

TEST_F(ViewTest, TextsAreFittedOnTheWindowsCanvas) {
  TFitSym* s = Make<TFitSym>();
  EXPECT_TRUE(m_diagram2->AdjustSymbolToText(s->Sym(), 0, 0));
  EXPECT_NE(s->m_canvas, nullptr);  // on a screen canvas of its own
  SSymView* v = OpenView();
  EXPECT_TRUE(m_diagram2->AdjustSymbolToText(s->Sym(), 0, 0));
  EXPECT_EQ(s->m_canvas, &v->GetCanvas());
  EXPECT_FALSE(m_diagram2->AdjustSymbolToText(nullptr, 0, 0));
  v->DestroyWindow();
}

// ---- deletion under the view ---------------------------------------------------------------------

TEST_F(ViewTest, DeletingTheDiagramClosesTheFrameAndLeavesTheDiagramOnce) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "the frame goes on close" : "the frame stays");
    g_closes = 0;
    g_destroyOnClose = destroy;
    if (!IsWindow(m_frame))
      m_frame = CreateWindowExW(0, u"TestFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                                nullptr, nullptr);
    SSymDiagram* d = NewDiagram<SSymDiagram>();
    auto refs = [d] {
      d->AddRef();
      return d->Release();
    };
    auto* v = new SSymView();
    ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD, RECT{0, 0, 100, 100}, SWnd::FromHandle(m_frame), 1));
    const ULONG unbound = refs();
    v->SetDiagram(d->Diagram());
    EXPECT_EQ(refs(), unbound + 1);
    const HWND hwnd = v->GetSafeHwnd();
    EXPECT_EQ(d->Delete(), S_OK);
    EXPECT_EQ(refs(), unbound) << "the view let the diagram go exactly once";
    EXPECT_GE(g_closes, 1);
    EXPECT_EQ(d->GetViewCount(), 0);
    if (destroy) {
      EXPECT_FALSE(IsWindow(hwnd));
    } else {
      EXPECT_EQ(v->GetDiagramPtr(), nullptr);
      v->DestroyWindow();
    }
  }
  // The diagrams are released by the fixture: a second release by the view
  // would show as a use after free.
}

TEST_F(ViewTest, CloseAllViewsWithoutViewsDoesNothing) {
  EXPECT_EQ(m_diagram2->CloseAllViews(), 0);
  EXPECT_EQ(g_closes, 0);
  SSymView* v = OpenView();
  EXPECT_EQ(m_diagram2->CloseAllViews(), 0);
  EXPECT_EQ(g_closes, 1);
  v->DestroyWindow();
}

// ---- hit testing ---------------------------------------------------------------------------------

TEST_F(ViewTest, HitTestAsksLinesLastAndAnswersInnerSymbols) {
  SSymView* v = OpenView();
  // A line crossing a box, a box holding an inner symbol; the line is first
  // in the drawing order (links lie at the bottom).
  auto* line = Make<TLine>(SSymRect(-36000, 1000, 36000, -1000));
  m_diagram2->Insert(0, line->Sym());
  TBox* box = Box(SSymRect(0, 7200, 7200, 0));
  TBox* holder = Box(SSymRect(20000, 7200, 27200, 0));
  TSym* inner = Make<TSym>();
  holder->m_inner = inner->Sym();
  struct Case {
    const char* name;
    SSymPoint pt;
    ISSymbol* expected;
  };
  const Case cases[] = {
      {"box over the line", SSymPoint(100, 0), box->Sym()},
      {"line alone", SSymPoint(-20000, 0), line->Sym()},
      {"inner symbol", SSymPoint(21000, 100), inner->Sym()},
      {"nothing", SSymPoint(-20000, 5000), nullptr},
      {"far outside", SSymPoint(INT_MIN, INT_MAX), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(v->HitTest(c.pt, 0, nullptr), c.expected);
  }
  int part = -5;
  v->HitTest(SSymPoint(100, 0), 0, &part);
  EXPECT_EQ(part, -5) << "without bit 1 the part is left alone";
  v->HitTest(SSymPoint(100, 0), 1, &part);
  EXPECT_EQ(part, 7);
  v->DestroyWindow();
}

TEST_F(ViewTest, MessagesReachTheirHandlers) {
  SSymView* v = OpenView();
  const HWND h = v->GetSafeHwnd();
  // The redraw command repaints the whole window.
  SendMessageW(h, WM_COMMAND, SSymView::CmdViewRedraw, 0);
  ASSERT_EQ(v->GetInvalidations().size(), 1u);
  EXPECT_TRUE(v->GetInvalidations()[0].whole);
  // A click on a control-selectable view takes the focus and tells the dialog.
  g_lastCommand = 0;
  SendMessageW(h, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(g_lastCommand, 0u) << "not a control";
  v->SetState(v->GetState() | SSymView::StateCtrlSelectable);
  SendMessageW(h, WM_LBUTTONDOWN, 0, 0);
  EXPECT_EQ(g_lastCommand, 7u);
  EXPECT_EQ(GetFocus(), h);
  // The history commands are disabled while there is no history.
  SCmdUI ui;
  ui.m_nID = SSymView::CmdPrevView;
  EXPECT_TRUE(ui.DoUpdate(v, TRUE));
  EXPECT_FALSE(ui.m_bEnabled);
  // While a capture runs, WM_CANCELMODE is put back in the queue for its loop.
  SSymView::m_bCaptureInProgress = 1;
  SendMessageW(h, WM_CANCELMODE, 0, 0);
  SSymView::m_bCaptureInProgress = 0;
  MSG m;
  EXPECT_TRUE(PeekMessageW(&m, h, WM_CANCELMODE, WM_CANCELMODE, PM_REMOVE));
  // The window's size reaches the canvas.
  v->MoveWindow(0, 0, 123, 45);
  EXPECT_EQ(v->GetCanvas().GetSizeDP().cx, 123);
  EXPECT_EQ(v->GetCanvas().GetSizeDP().cy, 45);
  v->DestroyWindow();
}

// ---- creation, identity and the class -----------------------------------------------------------

TEST_F(ViewTest, AWindowMadeByClassNameGetsAViewOfItsOwn) {
  SSymView::RegisterViewClass();
  const HWND h = CreateWindowExW(0, u"SSymView", u"", WS_CHILD, 0, 0, 50, 50, m_frame, nullptr, nullptr, nullptr);
  ASSERT_NE(h, nullptr);
  auto* view = dynamic_cast<SSymView*>(SWnd::FromHandlePermanent(h));
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(SSymView::GetHookBag().Contains(view));
  SendMessageW(h, WM_MOUSEMOVE, 0, 0);  // default handling does not make another view
  EXPECT_EQ(SWnd::FromHandlePermanent(h), view);
  DestroyWindow(h);
  EXPECT_EQ(SSymView::GetHookBag().GetCount(), 0);
  const SClassInfo* info = SClassInfo::Find("SSymView");
  ASSERT_NE(info, nullptr);
  SObject* made = info->CreateObject();
  EXPECT_NE(dynamic_cast<SSymView*>(made), nullptr);
  delete made;
}

TEST_F(ViewTest, IdentityAndControlSelection) {
  SSymView* v = OpenView();
  EXPECT_EQ(SSymView::PostOleInCast(static_cast<ISRepClassColSink*>(v)), v);
  TSessionView notView(nullptr);
  EXPECT_EQ(SSymView::PostOleInCast(&notView), nullptr);
  EXPECT_EQ(SSymView::PostOleInCast(nullptr), nullptr);
  EXPECT_EQ(v->SetCtrlSelected(1), 0);
  EXPECT_FALSE(v->GetState() & SSymView::StateCtrlSelected) << "ignored unless control-selectable";
  v->SetState(v->GetState() | SSymView::StateCtrlSelectable);
  v->ClearInvalidations();
  EXPECT_EQ(v->SetCtrlSelected(1), 0);
  EXPECT_EQ(v->SetCtrlSelected(1), 1);
  EXPECT_EQ(v->GetInvalidations().size(), 1u) << "only a change repaints";
  v->SetActiveView(1);
  EXPECT_EQ(SSymView::m_pActiveView, v);
  v->DestroyWindow();
  EXPECT_EQ(SSymView::m_pActiveView, nullptr);
}

TEST_F(ViewTest, ShowingHiddenSymbolsIsOneUndoStep) {
  SSymView* v = OpenView();
  TBox* a = Box(SSymRect(0, 7200, 7200, 0));
  TBox* b = Box(SSymRect(9000, 7200, 16200, 0));
  Box(SSymRect(18000, 7200, 25200, 0));
  {
    SCurrentContextChange outside(Session(), nullptr);
    a->Show(0);
    b->Show(0);
  }
  const int steps = m_session->GetUndoCount();
  v->OnShowHiddenSymbols();
  EXPECT_FALSE(a->IsHidden());
  EXPECT_FALSE(b->IsHidden());
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_TRUE(b->IsHidden());
  v->DestroyWindow();
}

// ---- object creation in a diagram ----------------------------------------------------------------

class TCreateDiagram : public SSymDiagram {
 public:
  using SSymDiagram::SSymDiagram;
  using SSymDiagramImpl::CreateObject;
};

TEST_F(ViewTest, CreateObjectPlacesSymbolsAndDropsWhatHasNoCollection) {
  auto* d = NewDiagram<TCreateDiagram>();
  const int checks = g_GetRlshCheckMode();
  EXPECT_EQ(d->CreateObject(CLSID_SSymRectangle, nullptr, IID_ISRepObject, -1, -1, false), E_POINTER);
  void* out = nullptr;
  ASSERT_EQ(d->CreateObject(CLSID_SSymRectangle, &out, IID_ISRepObject, 5, -1, false), S_OK);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(d->GetCount(), 1) << "a symbol joins the diagram whatever the kind";
  EXPECT_EQ(d->CreateObject(CLSID_SSymRectangle, &out, IID_ISRepObject, -1, -1, false), S_OK);  // releases the former
  EXPECT_EQ(d->GetCount(), 2);
  static_cast<IUnknown*>(out)->Release();
  out = nullptr;
  EXPECT_EQ(d->CreateObject(CLSID_SSymDiagram, &out, IID_ISRepObject, -1, -1, false), E_FAIL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(g_GetRlshCheckMode(), checks);
  const CLSID null{};
  EXPECT_EQ(d->GetSymCLSID(CLSID_SSymRectangle), null);
  EXPECT_EQ(d->GetSymCLSID(null), null);

  auto* unplaced = new TCreateDiagram(nullptr);
  unplaced->AddRef();
  EXPECT_EQ(unplaced->CreateObject(CLSID_SSymRectangle, &out, IID_ISRepObject, -1, -1, false), E_POINTER);
  unplaced->Release();
}

}  // namespace
