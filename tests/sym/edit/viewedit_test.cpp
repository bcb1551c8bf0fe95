// The editing window: its creation and destruction with the tooltip, the
// drop target and the tools; the routing of commands through its own map to
// the selection's command target; the diagram's zoom and put-off work taken
// on binding; snapping; the snap grid; the zoom commands; the hit test that
// knows the selection; and the bad requests each of these meets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "support/repfixture.h"
#include "support/view_fixture.h"
#include "sym/diagram/symdisppref.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/tools/symtool.h"
#include "win/winoledata.h"
#include "win/wingdi.h"

namespace {

// A diagram that notes its layout runs and what they found, and gives the
// model objects a test names composite behaviour and content a test locks.
class TLayoutDiagram : public TPrefDiagram {
 public:
  using TPrefDiagram::TPrefDiagram;
  using TPrefDiagram::AutoLayout;
  bool AutoLayout() override {
    ++layouts;
    return true;
  }
  BOOL HasCompositeBehavior(ISRepObject* object) override {
    return object && std::find(composite.begin(), composite.end(), object) != composite.end();
  }
  BOOL IsSymEditable(ISSymbol* symbol, ISRepObject*) override {
    return std::find(locked.begin(), locked.end(), symbol) == locked.end();
  }
  int layouts = 0;
  std::vector<ISRepObject*> composite;  // not counted
  std::vector<ISSymbol*> locked;        // not counted
};

// A symbol that counts the drawings of its handles (and draws them).
class TCountedHandles : public TSym {
 public:
  using TSym::TSym;
  HRESULT DrawHandles(SSymCanvas& canvas) override {
    ++handles;
    return TSym::DrawHandles(canvas);
  }
  int handles = 0;
};

// A composite that shows a model object, with children hidden or missing
// as a test says.
class TShownComp : public SRepFaces<TShownComp, TComp, ISSymObject> {
 public:
  using SRepFaces::SRepFaces;
  HRESULT GetModelObject(ISRepObject** out) override {
    if (!out) return E_POINTER;
    *out = model;
    if (!model) return S_FALSE;
    model->AddRef();
    return S_OK;
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  int HasAllChildrenSym(int) override { return allChildren; }
  int HasHiddenChildrenSym() override { return hiddenChildren; }
  ISRepObject* model = nullptr;  // not counted
  int allChildren = 1;
  int hiddenChildren = 0;
};

// A model object of the class that keeps no diagram of its own.
class TNoDiagramObject : public SRepObjectMem {
 public:
  explicit TNoDiagramObject(ISRepSession* s) : SRepObjectMem(SSymViewEdit::NoDiagramClass, s) {}
};

// A host's view: notes the answers given through its hooks.
class THostView : public SSymViewEdit {
 public:
  int EnableSelectionCmd(SCmdUI* ui, int enable) override {
    ++asked;
    return SSymViewEdit::EnableSelectionCmd(ui, enable);
  }
  int PostCreate() override {
    ++created;
    return 1;
  }
  int asked = 0;
  int created = 0;
};

class ViewEdit : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    m_edit = NewDiagram<TLayoutDiagram>();
    SExceptionDialog::ClearLog();
    SExceptionDialog::SetQuiet(true);
  }
  void TearDown() override {
    SExceptionDialog::SetQuiet(false);
    ViewFixture::TearDown();
  }
  // An editing window in the frame, bound to the diagram and active.
  template <class V = SSymViewEdit>
  V* Open(int cx = 400, int cy = 300) {
    auto* v = new V();
    EXPECT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, cx, cy}, SWnd::FromHandle(m_frame), 7));
    v->SetDiagram(m_edit->Diagram());
    v->OnActivate(1);
    return v;
  }
  SSymDispPref* Prefs() { return m_edit->GetDispPrefPtr(); }
  void Grid(int snap, LONG size, int display = 0) {
    Prefs()->m_bSnapGrid = snap;
    Prefs()->m_nGridSize = size;
    Prefs()->m_bDisplayGrid = display;
  }
  TSym* Box(SSymRect r) { return AddTo<TSym>(m_edit, r); }
  static BOOL Command(SSymViewEdit* v, UINT id) { return v->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
  static BOOL Update(SSymViewEdit* v, UINT id, SCmdUI& ui) {
    ui.m_nID = id;
    return v->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
  }
  TLayoutDiagram* m_edit = nullptr;
};

// ---- the window -----------------------------------------------------------------------------------

TEST_F(ViewEdit, CreatedWithToolTipDropTargetAndPointerToolAndDestroyedWithout) {
  const std::size_t targets = KvDropTargetCount();
  auto* v = new THostView();
  EXPECT_NE(v->GetSelection(), nullptr) << "a window made without a selection makes its own";
  EXPECT_EQ(v->GetSelection()->GetView(), v);
  EXPECT_TRUE(v->GetState() & SSymView::StateSuspended) << "nothing is drawn before the first activation";
  EXPECT_EQ(v->GetToolTip(), nullptr);
  EXPECT_EQ(v->GetCurrentTool(), nullptr);
  EXPECT_EQ(v->GetCurrentPoint(), SSymPoint(900000, 900000));

  ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE | WS_BORDER, RECT{0, 0, 400, 300},
                          SWnd::FromHandle(m_frame), 7));
  EXPECT_EQ(v->created, 1);
  EXPECT_TRUE(v->GetStyle() & WS_HSCROLL);
  EXPECT_TRUE(v->GetStyle() & WS_VSCROLL);
  EXPECT_FALSE(v->GetStyle() & WS_BORDER);
  EXPECT_TRUE(v->GetExStyle() & WS_EX_CLIENTEDGE);
  EXPECT_EQ(v->GetCanvas().GetPaperSize(), SSymSize(61200, 79200));
  EXPECT_TRUE(v->IsDropTargetRegistered());
  EXPECT_EQ(KvDropTargetCount(), targets + 1);
  SToolTipCtrl* tip = v->GetToolTip();
  ASSERT_NE(tip, nullptr);
  EXPECT_EQ(tip->GetToolCount(), 1);
  EXPECT_EQ(tip->SetMaxTipWidth(300), 300);
  EXPECT_EQ(tip->GetDelayTime(TTDT_AUTOPOP), 32767);
  EXPECT_EQ(tip->GetDelayTime(TTDT_INITIAL), 200);
  EXPECT_EQ(tip->GetDelayTime(TTDT_RESHOW), 200);
  SSymToolBase* tool = v->GetDefaultTool();
  ASSERT_NE(tool, nullptr);
  EXPECT_TRUE(tool->IsKindOf(&SSymToolPointer::__clsinf));
  EXPECT_EQ(v->GetCurrentTool(), tool);
  EXPECT_FALSE(tool->IsActive()) << "a tool serves the window once it has a diagram";
  v->SetDiagram(m_edit->Diagram());
  EXPECT_EQ(tool->GetView(), v);

  const HWND tipWnd = tip->GetSafeHwnd();
  v->AddRef();  // kept past the window's end, to look at it
  v->DestroyWindow();
  EXPECT_EQ(v->GetToolTip(), nullptr);
  EXPECT_FALSE(IsWindow(tipWnd));
  EXPECT_FALSE(v->IsDropTargetRegistered());
  EXPECT_EQ(KvDropTargetCount(), targets);
  EXPECT_FALSE(tool->IsActive());
  EXPECT_EQ(v->GetDiagramPtr(), nullptr);
  v->Release();
}

TEST_F(ViewEdit, AWindowOwnsTheSelectionItIsGiven) {
  auto* given = new SSymSelection();
  {
    SSymViewEdit v(given);
    EXPECT_EQ(v.GetSelection(), given);
  }  // deletes it: a leak or a double free shows under the sanitizers
  SSymViewEdit never;  // never created: no tools, no tooltip, nothing to undo
  EXPECT_EQ(never.GetDefaultTool(), nullptr);
}

TEST_F(ViewEdit, MouseMessagesReachTheToolTipAndCtrlNWithoutARowIsNotTaken) {
  SSymViewEdit* v = Open();
  MSG move{v->GetSafeHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), 0, {10, 10}};
  EXPECT_FALSE(v->PreTranslateMessage(&move));
  EXPECT_FALSE(v->PreTranslateMessage(nullptr));
  // Ctrl+N and Ctrl+I with two symbols, or one that is not a row's mark.
  TSym* a = Box(SSymRect(0, 1000, 1000, 0));
  TSym* b = Box(SSymRect(2000, 1000, 3000, 0));
  KvSetKeyState(VK_CONTROL, true);
  for (int count : {1, 2}) {
    v->GetSelection()->Clear(0);
    v->GetSelection()->Add(a->Sym(), 0);
    if (count == 2) v->GetSelection()->Add(b->Sym(), 0);
    for (WPARAM key : {WPARAM('N'), WPARAM('I')}) {
      MSG down{v->GetSafeHwnd(), WM_KEYDOWN, key, 0, 0, {0, 0}};
      EXPECT_FALSE(v->PreTranslateMessage(&down)) << count << " " << char(key);
    }
  }
  KvSetKeyState(VK_CONTROL, false);
  v->DestroyWindow();
}

// ---- commands -------------------------------------------------------------------------------------

TEST_F(ViewEdit, CommandsGoToTheWindowsMapThenToTheSelectionsTarget) {
  auto* v = Open<THostView>();
  // The window's own map: a zoom step.
  EXPECT_TRUE(Command(v, SSymViewEdit::CmdViewZoomIn));
  EXPECT_NEAR(v->GetScale(), 140.0, 1e-9);
  // Update requests the window's map does not take reach the selection's
  // target, which answers through the window's hook.
  SCmdUI ui;
  EXPECT_TRUE(Update(v, SSymViewEdit::CmdViewZoomSel, ui));
  EXPECT_FALSE(ui.m_bEnabled) << "nothing selected";
  EXPECT_EQ(v->asked, 1);
  v->GetSelection()->Add(Box(SSymRect(0, 1000, 1000, 0))->Sym(), 0);
  SCmdUI again;
  EXPECT_TRUE(Update(v, SSymViewEdit::CmdProperties, again));
  EXPECT_TRUE(again.m_bEnabled);
  EXPECT_EQ(v->asked, 2);
  // Preview and links are never offered.
  for (UINT id : {104u, 2161u}) {
    SCmdUI off;
    EXPECT_TRUE(Update(v, id, off));
    EXPECT_FALSE(off.m_bEnabled);
  }
  // Ids that no map knows: not handled, nothing changed.
  for (UINT id : {0u, 4242u, 2515u + 1000u, 0xFFFFFFFFu}) {
    SCmdUI none;
    EXPECT_FALSE(Command(v, id)) << id;
    EXPECT_FALSE(Update(v, id, none)) << id;
  }
  EXPECT_NEAR(v->GetScale(), 140.0, 1e-9);
  // The host's WM_COMMAND takes the same road.
  v->SendMessage(WM_COMMAND, SSymViewEdit::CmdViewZoomOut, 0);
  EXPECT_NEAR(v->GetScale(), 100.0, 1e-9);
  v->DestroyWindow();
}

// ---- binding a diagram ----------------------------------------------------------------------------

TEST_F(ViewEdit, BindingTakesTheDiagramsZoomAndDoesItsPutOffWorkOnce) {
  const struct {
    LONG scale, flags;
    double zoom;
    int layouts;
  } cases[] = {{150, 0, 150, 0}, {100, 2, 100, 1}, {100, 3, 100, 1}, {100, 1, 100, 0}, {0, 4, 100, 0},
               {-20, 0, 100, 0}, {9000, 0, 5000, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale * 100 + c.flags);
    auto* d = NewDiagram<TLayoutDiagram>();
    d->SetScale(c.scale);
    d->Diagram()->SetFlags(c.flags);
    auto* v = new SSymViewEdit();
    ASSERT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD, RECT{0, 0, 300, 200}, SWnd::FromHandle(m_frame), 1));
    v->SetDiagram(d->Diagram());
    EXPECT_DOUBLE_EQ(v->GetScale(), c.zoom);
    EXPECT_EQ(d->layouts, c.layouts);
    EXPECT_EQ(d->Diagram()->GetFlags(), c.flags & ~3) << "other bits are kept";
    v->SetDiagram(d->Diagram());  // once only
    EXPECT_EQ(d->layouts, c.layouts);
    EXPECT_EQ(v->GetSelection()->GetDiagram(), d->Diagram());
    v->SetDiagram(nullptr);
    EXPECT_EQ(v->GetSelection()->GetDiagram(), nullptr);
    v->DestroyWindow();
  }
}

// ---- snapping -------------------------------------------------------------------------------------

TEST_F(ViewEdit, PointsAndRectanglesGoToTheNearestGridPoint) {
  SSymViewEdit* v = Open();
  Grid(1, 100);
  const struct {
    SSymPoint in, out;
  } points[] = {{{149, 151}, {100, 200}},     {{-149, -151}, {-100, -200}}, {{150, -150}, {200, -100}},
                {{0, 0}, {0, 0}},             {{-50, 50}, {0, 100}},        {{-51, 49}, {-100, 0}},
                {{INT32_MAX, INT32_MIN}, {2147483600, -2147483600}}};
  for (const auto& c : points) EXPECT_EQ(v->SnapToGrid(c.in), c.out) << c.in.x << "," << c.in.y;
  const struct {
    SSymRect in, out;
  } rects[] = {{SSymRect(30, 480, 260, 120), SSymRect(0, 500, 200, 100)},
               // corners in the other order: the far corner is where it stands
               {SSymRect(260, 120, 30, 480), SSymRect(200, 100, 0, 500)},
               {SSymRect(-149, 0, -49, -151), SSymRect(-100, 0, 0, -200)}};
  for (const auto& c : rects) EXPECT_EQ(v->SnapToGrid(c.in), c.out);
  v->DestroyWindow();
}

// Without snapping, with a grid of 0 or less (a damaged stored size), and
// without a diagram, points and rectangles pass unchanged.
TEST_F(ViewEdit, SnappingOffOrWithoutAGridLeavesInputUnchanged) {
  SSymViewEdit* v = Open();
  const SSymPoint p(149, -151);
  const SSymRect r(30, 480, 260, 120);
  const struct {
    int snap;
    LONG size;
  } cases[] = {{0, 100}, {1, 0}, {1, -100}, {1, -1}, {1, INT32_MIN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    Grid(c.snap, c.size);
    EXPECT_EQ(v->SnapToGrid(p), p);
    EXPECT_EQ(v->SnapToGrid(r), r);
  }
  Grid(1, 100);
  v->SetDiagram(nullptr);
  EXPECT_EQ(v->SnapToGrid(p), p);
  EXPECT_EQ(v->SnapToGrid(r), r);
  v->DestroyWindow();
}

// ---- the grid -------------------------------------------------------------------------------------

// The black pixels of the window's client area.
int BlackPixels(HWND hwnd) {
  HDC dc = GetDC(hwnd);
  RECT rc{};
  GetClientRect(hwnd, &rc);
  int n = 0;
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) n += GetPixel(dc, x, y) == RGB(0, 0, 0);
  ReleaseDC(hwnd, dc);
  return n;
}

TEST_F(ViewEdit, TheSnapGridIsDrawnOnlyWhereItsPointsStandApart) {
  SSymViewEdit* v = Open(200, 150);
  Prefs()->m_bShowPage = 0;
  const struct {
    LONG size;
    double zoom;
    bool drawn;
  } cases[] = {{500, 100, false}, {500, 120, true}, {600, 100, true}, {100, 500, false}, {0, 5000, false},
               {-600, 100, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size * 10000 + c.zoom);
    Grid(0, c.size, 1);
    v->SetScale(c.zoom);
    EXPECT_EQ(v->IsSnapGridVisible(c.size), c.drawn);
    ::InvalidateRect(v->GetSafeHwnd(), nullptr, TRUE);
    ::UpdateWindow(v->GetSafeHwnd());
    EXPECT_EQ(BlackPixels(v->GetSafeHwnd()) > 0, c.drawn);
  }
  v->DestroyWindow();
}

// ---- zoom -----------------------------------------------------------------------------------------

TEST_F(ViewEdit, ZoomStepsAndTheFixedTable) {
  SSymViewEdit* v = Open();
  EXPECT_DOUBLE_EQ(v->GetScale(), 100.0);
  v->OnViewZoomIn();
  EXPECT_NEAR(v->GetScale(), 140.0, 1e-9);
  v->SetScale(100);
  v->OnViewZoomOut();
  EXPECT_NEAR(v->GetScale(), 71.43, 0.005);
  const struct {
    UINT id;
    double zoom;
  } table[] = {{2500, 25},  {2501, 33},  {2502, 50},  {2503, 66},  {2504, 75},  {2505, 100},
               {2506, 125}, {2507, 150}, {2508, 175}, {2509, 200}, {2510, 400}, {2531, 100}};
  for (const auto& t : table) {
    v->SetScale(300);
    EXPECT_TRUE(Command(v, t.id));
    EXPECT_DOUBLE_EQ(v->GetScale(), t.zoom) << t.id;
  }
  v->SetScale(300);
  v->OnViewScaleX(2511);  // not an id of the table
  EXPECT_DOUBLE_EQ(v->GetScale(), 300.0);
  v->SetScale(100);
  for (int i = 0; i < 40; ++i) v->OnViewZoomIn();
  EXPECT_DOUBLE_EQ(v->GetScale(), 5000.0);
  for (int i = 0; i < 40; ++i) v->OnViewZoomOut();
  EXPECT_DOUBLE_EQ(v->GetScale(), 2.0);
  v->DestroyWindow();
}

TEST_F(ViewEdit, ZoomRequestsOutOfRangeAreHeldAndOnesWithoutANumberIgnored) {
  SSymViewEdit* v = Open();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double request, zoom;
  } cases[] = {{0, 2}, {-5, 2}, {1, 2}, {1e12, 5000}, {-std::numeric_limits<double>::infinity(), 2},
               {std::numeric_limits<double>::infinity(), 5000}, {nan, 5000}, {250, 250}};
  for (const auto& c : cases) {
    v->SetScale(c.request);
    EXPECT_DOUBLE_EQ(v->GetScale(), c.zoom) << c.request;
  }
  v->DestroyWindow();
}

TEST_F(ViewEdit, FittingSymbolsAnEmptyDiagramAndTheSelection) {
  SSymViewEdit* v = Open();
  v->SetScale(300);
  v->OnViewGlobal();
  EXPECT_DOUBLE_EQ(v->GetScale(), 100.0);
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(0, 0));
  // A small symbol fits at actual size: shown about its centre.
  TSym* small = Box(SSymRect(10000, 2000, 12000, 0));
  v->SetScale(300);
  v->OnViewGlobal();
  EXPECT_DOUBLE_EQ(v->GetScale(), 100.0);
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(11000, 1000));
  // A large one does not: the window fits it.
  Box(SSymRect(-400000, 300000, 400000, -300000));
  v->OnViewGlobal();
  EXPECT_LT(v->GetScale(), 100.0);
  // The selection in the same way.
  v->GetSelection()->Add(small->Sym(), 0);
  v->OnViewZoomSel();
  EXPECT_DOUBLE_EQ(v->GetScale(), 100.0);
  EXPECT_EQ(v->GetCanvas().GetViewCenter(), SSymPoint(11000, 1000));
  v->OnViewAllPages();
  EXPECT_LT(v->GetScale(), 100.0);
  v->DestroyWindow();
}

// A window without a diagram, and one whose diagram was deleted under it:
// the zoom commands show the error, snapping and hit tests answer plainly.
TEST_F(ViewEdit, AWindowWithoutItsDiagramAnswersPlainly) {
  for (bool deleted : {false, true}) {
    SCOPED_TRACE(deleted);
    SSymViewEdit* v = Open();
    v->AddRef();  // deleting the diagram closes the frame and the window in it
    Grid(1, 100, 1);
    TSym* a = Box(SSymRect(0, 1000, 1000, 0));
    v->GetSelection()->Add(a->Sym(), 0);
    if (deleted) {
      EXPECT_EQ(m_edit->Delete(), S_OK);
    } else {
      v->SetDiagram(nullptr);
    }
    EXPECT_EQ(v->GetDiagramPtr(), nullptr);
    EXPECT_THROW(v->ScaleToSymbols(), SECOMException);
    SExceptionDialog::ClearLog();
    v->OnViewGlobal();
    EXPECT_EQ(SExceptionDialog::Log().size(), 1u);
    v->OnViewZoomIn();
    v->OnViewUsed();
    v->OnViewPage();
    EXPECT_EQ(v->SnapToGrid(SSymPoint(149, 151)), SSymPoint(149, 151));
    EXPECT_EQ(v->HitTest(SSymPoint(5000, 5000), 4, nullptr), nullptr);
    if (v->GetSafeHwnd()) {
      ::InvalidateRect(v->GetSafeHwnd(), nullptr, TRUE);
      ::UpdateWindow(v->GetSafeHwnd());
      v->DestroyWindow();
    }
    v->Release();
    m_edit = NewDiagram<TLayoutDiagram>();
    if (!IsWindow(m_frame))
      m_frame = CreateWindowExW(0, u"TestViewFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                                nullptr, nullptr, nullptr, nullptr);
  }
}

// ---- hit testing ----------------------------------------------------------------------------------

TEST_F(ViewEdit, HitTestsKnowTheSelection) {
  SSymViewEdit* v = Open();
  TSym* below = Box(SSymRect(0, 2000, 2000, 0));
  TSym* above = Box(SSymRect(1000, 3000, 3000, 1000));
  const SSymPoint both(1500, 1500), onlyBelow(500, 500);
  v->GetSelection()->Add(below->Sym(), 0);
  const struct {
    SSymPoint at;
    unsigned long flags;
    ISSymbol* hit;
  } cases[] = {{both, 0, below->Sym()},  {both, 2, below->Sym()}, {both, 4, above->Sym()},
               {onlyBelow, 4, nullptr},  {onlyBelow, 2, below->Sym()}, {SSymPoint(2500, 2500), 2, nullptr},
               {SSymPoint(2500, 2500), 0, above->Sym()}};
  for (const auto& c : cases) EXPECT_EQ(v->HitTest(c.at, c.flags, nullptr), c.hit) << c.flags;
  v->DestroyWindow();
}

// ---- handles in the window -------------------------------------------------------------------------

// Every pixel of the window's client area, row by row.
std::vector<COLORREF> Pixels(SSymViewEdit* v) {
  HDC dc = GetDC(v->GetSafeHwnd());
  RECT rc{};
  GetClientRect(v->GetSafeHwnd(), &rc);
  std::vector<COLORREF> out;
  for (int y = 0; y < rc.bottom; ++y)
    for (int x = 0; x < rc.right; ++x) out.push_back(GetPixel(dc, x, y));
  ReleaseDC(v->GetSafeHwnd(), dc);
  return out;
}

// Only the members whose handles reach into the window draw them, when they
// join, all at once and when they leave: the rest has nothing on the screen.
TEST_F(ViewEdit, OnlyMembersReachingIntoTheWindowDrawTheirHandles) {
  SSymViewEdit* v = Open();
  SSymCanvas& canvas = v->GetCanvas();
  const SSymRect shown = canvas.GetViewportVP();
  const SSymSize unit = canvas.DPtoVP(SIZE{1, 1});
  const LONG px = std::abs(unit.cx), py = std::abs(unit.cy);
  const LONG left = shown.GetMinX(), right = shown.GetMaxX(), top = shown.GetMaxY(), bottom = shown.GetMinY();
  // A box of 20 x 20 pixels with its upper-left corner at (x, y).
  auto box = [&](LONG x, LONG y) { return SSymRect(x, y, x + 20 * px, y - 20 * py); };
  const struct {
    const char* where;
    SSymRect rect;
    int drawn;
  } cases[] = {
      {"inside", box(left + 50 * px, top - 50 * py), 1},
      {"across the right edge", box(right - 10 * px, top - 50 * py), 1},
      {"two pixels right of the window: its handles reach in", box(right + 2 * px, top - 50 * py), 1},
      {"forty pixels left of the window", box(left - 60 * px, top - 50 * py), 0},
      {"forty pixels below the window", box(left + 50 * px, bottom - 40 * py), 0},
      {"far above", box(left, top + 100000), 0},
  };
  std::vector<TCountedHandles*> made;
  SSymSelection& sel = *v->GetSelection();
  for (const auto& c : cases) {
    made.push_back(AddTo<TCountedHandles>(m_edit, c.rect));
    sel.Add(made.back()->Sym(), 1);
  }
  {
    SSymView::LockCanvas lock(v);
    sel.DrawHandles(canvas);  // erased
  }
  sel.Remove(made.front()->Sym(), 1);  // drawn once more: on the screen again
  sel.Clear(1);                        // the others once more
  for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(made[i]->handles, 3 * cases[i].drawn) << cases[i].where;
  // The window shows what it showed before: every handle drawn was erased.
  const std::vector<COLORREF> before = Pixels(v);
  for (TCountedHandles* s : made) sel.Add(s->Sym(), 1);
  EXPECT_NE(Pixels(v), before);
  sel.Clear(1);
  EXPECT_EQ(Pixels(v), before);
  v->DestroyWindow();
}

// ---- the hooks of the context menu ------------------------------------------------------------------

TEST_F(ViewEdit, ObjectsKeepDiagramsUnlessOfTheClassWithout) {
  SSymViewEdit* v = Open();
  EXPECT_EQ(v->IsObjHasDiagram(nullptr), 0);
  EXPECT_EQ(v->IsObjHasDiagram(Make<TNode>()), 1);
  EXPECT_EQ(v->IsObjHasDiagram(Make<TNoDiagramObject>()), 0);
  v->DestroyWindow();
}

TEST_F(ViewEdit, TheCompositeViewEntriesFollowTheSymbolsContent) {
  SSymViewEdit* v = Open();
  TNode* model = Make<TNode>();
  TNoDiagramObject* folder = Make<TNoDiagramObject>();
  m_edit->composite = {model, folder};
  auto comp = [&](ISRepObject* shows) {
    TShownComp* c = AddTo<TShownComp>(m_edit, SSymRect(0, 36000, 48000, 0));
    c->model = shows;
    return c;
  };
  TShownComp* editable = comp(model);
  TShownComp* locked = comp(model);
  m_edit->locked.push_back(locked->Sym());
  locked->allChildren = 0;
  locked->hiddenChildren = 1;
  TShownComp* noDiagram = comp(folder);
  TShownComp* plain = comp(Make<TNode>());  // no composite behaviour
  TShownComp* empty = comp(nullptr);        // no model object

  // The mode; the entries that do not apply by position (4 hidden, 5 all
  // children, 6 adjust to read-only); whether the object opens a diagram.
  const struct {
    const char* what;
    ISSymbol* symbol;
    int id, mask, opens;
  } cases[] = {
      {"editable, all children shown", editable->Sym(), 2222, 0x70, 1},
      {"read-only, children hidden and missing", locked->Sym(), 2223, 0x00, 1},
      {"an object without diagrams", noDiagram->Sym(), 2222, 0x70, 0},
      {"no composite behaviour", plain->Sym(), 0, -1, -1},
      {"no model object", empty->Sym(), 0, -1, -1},
      {"a symbol that is no composite", Box(SSymRect(0, 100, 100, 0))->Sym(), 0, -1, -1},
      {"no symbol", nullptr, 0, -1, -1},
  };
  for (const auto& c : cases) {
    int mask = -1, opens = -1;  // left as they are when the answer is 0
    EXPECT_EQ(v->GetCompViewMenuID(c.symbol, &mask, &opens), c.id) << c.what;
    EXPECT_EQ(mask, c.mask) << c.what;
    EXPECT_EQ(opens, c.opens) << c.what;
  }
  EXPECT_EQ(v->GetCompViewMenuID(editable->Sym(), nullptr, nullptr), 2222);
  // A window without a diagram has no preferences to ask.
  v->SetDiagram(nullptr);
  int mask = -1;
  EXPECT_EQ(v->GetCompViewMenuID(editable->Sym(), &mask, nullptr), 0);
  EXPECT_EQ(mask, -1);
  v->DestroyWindow();
}

}  // namespace
