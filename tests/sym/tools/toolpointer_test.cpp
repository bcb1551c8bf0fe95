// The pointer tool's clicks, hover and cursors: the cursor over handles by
// the symbols' adjust bits, the handle size rule of unselected symbols,
// presses on empty space, on handles and on a selection, the two-release
// start of in-place editing and its setting, sub-object picking by zoom,
// double clicks that open symbols and the selection a right click leaves.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/smodulestate.h"
#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "support/tools_fixture.h"
#include "sym/foundation/sdsym.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfhost.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtoolview.h"
#include "win/wininput.h"

namespace {

// A window that notes the captures, editing starts and context menus asked
// of it instead of running them.
class TRecView : public SSymViewEdit {
 public:
  struct Capture {
    int mode;
    int wait;
  };
  DWORD CaptureMouse(ISSymViewCapture* tool, int waitForDrag) override {
    auto* pointer = dynamic_cast<SSymToolPointer*>(tool);
    captures.push_back({pointer ? pointer->GetCaptureMode() : -1, waitForDrag});
    return answer;
  }
  int EnableEditInPlace(ISSymbol* symbol, const SSymPoint& point) override {
    edits.push_back(symbol);
    editPoints.push_back(point);
    return 1;
  }
  void ContextMenu() override { ++menus; }
  std::vector<Capture> captures;
  std::vector<ISSymbol*> edits;
  std::vector<SSymPoint> editPoints;
  DWORD answer = ISSymViewCapture::Cancel;
  int menus = 0;
};

// A box that opens with a verb and edits in place, noting both.
class TOpenSym : public SRepFaces<TOpenSym, TSym, ISVerbSource> {
 public:
  explicit TOpenSym(ISRepSession* s, SSymRect r) : SRepFaces(s, r) {}
  HRESULT DoVerb(LONG verb, const MSG*, HWND window, const RECT*) override {
    verbs.push_back(verb);
    windows.push_back(window);
    return S_OK;
  }
  LONG EnumVerbs() override { return 1; }
  HRESULT EditInPlace(SSymView*, const SSymPoint&) override {
    ++edited;
    return S_OK;
  }
  std::vector<LONG> verbs;
  std::vector<HWND> windows;
  int edited = 0;
};

// A list of rows inside a symbol: each 1000 units high, from the top of
// its rectangle down, standing for one model object each.
class TRows : public SSymSubsFonts, public ISSymSubGridHit {
 public:
  explicit TRows(const SSymRect& r) : SSymSubsFonts(r) {}
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  HRESULT DrawOrAdjust(SSymCanvas&, int) override { return S_OK; }
  int GetSymbolType() override { return 6; }
  ISRepObject* GetSubObjWithPt(const SSymCanvas&, SSymPoint& pt, SSymSelSubSymData& data) override {
    SSymRect r = m_rect;
    r.Normalize();
    if (!r.PtInRect(pt)) return nullptr;
    const LONG row = (r.y1 - pt.y) / 1000;
    if (row < 0 || row >= LONG(objects.size())) return nullptr;
    data.m_pSubGrid = this;
    data.m_rect = SSymRect(r.x1, r.y1 - row * 1000, r.x2, r.y1 - row * 1000 - 999);
    return objects[row];
  }
  std::vector<ISRepObject*> objects;
};

// A box whose compartments are one list of rows.
class TRowSym : public SRepFaces<TRowSym, TSym, ISSymSubSym> {
 public:
  explicit TRowSym(ISRepSession* s, SSymRect r) : SRepFaces(s, r), rows(r) {}
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG*, LONG*, LONG*, LONG*) override { return 0; }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>& list, int) override {
    list.Add(&rows);
    return 1;
  }
  int GetSubSymCount(int) override { return 1; }
  SSymSubsFonts* GetSubSymbol(int i, int) override { return i == 0 ? &rows : nullptr; }
  int GetSubSymSize(LONG*, LONG*) override { return 0; }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }
  TRows rows;
};

class PointerTool : public ToolsFixture {
 protected:
  void SetUp() override {
    ToolsFixture::SetUp();
    SSymToolPointer::ForgetEditInPlaceSetting();
    m_saved = SSymGetToolViewSite();
    SSymToolViewSite site = m_saved;
    site.dragSelection = [](SSymViewEdit*, const SSymPoint&) {
      ++s_drags;
      return s_dragMoves;
    };
    SSymSetToolViewSite(site);
    s_drags = 0;
    s_dragMoves = 0;
    m_view = new TRecView();
    EXPECT_TRUE(m_view->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 300}, SWnd::FromHandle(m_frame), 7));
    m_view->SetDiagram(m_diagram->Diagram());
    m_view->OnActivate(1);
    m_tool = dynamic_cast<SSymToolPointer*>(m_view->GetCurrentTool());
    ASSERT_NE(m_tool, nullptr);
  }
  void TearDown() override {
    SSymSetToolViewSite(m_saved);
    SSymToolPointer::ForgetEditInPlaceSetting();
    ToolsFixture::TearDown();
  }
  // The diagram rectangle over a client rectangle.
  SSymRect Area(RECT r) {
    const SSymPoint a = Logical(m_view, {r.left, r.bottom}), b = Logical(m_view, {r.right, r.top});
    return SSymRect(a.x, b.y, b.x, a.y);
  }
  SSymPoint At(int x, int y) { return Logical(m_view, POINT{x, y}); }
  template <class T = TSym>
  T* Box(RECT r) {
    return AddTo<T>(m_diagram, Area(r));
  }
  std::vector<ISSymbol*> Selected() {
    std::vector<ISSymbol*> out;
    for (int i = 0; i < m_view->GetSelection()->GetCount(); ++i) out.push_back(m_view->GetSelection()->GetAt(i));
    return out;
  }
  void Click(const SSymPoint& p, UINT keys = 0) {
    m_tool->MouseLBtnDown(p, SMouseFlags(SMouseFlags::Left | keys));
    m_tool->MouseLBtnUp(p, SMouseFlags(keys));
  }
  // Lets the window's due timers fire.
  void RunTimers(DWORD ms) {
    KvAdvanceClock(ms);
    MSG m{};
    while (PeekMessageW(&m, m_view->GetSafeHwnd(), WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&m);
  }
  static void WriteEditInPlace(const char16_t* value) {
    SRegistry user(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral, 1);
    user.WriteProfile(SString(u"EditInPlace"), SString(value));
  }

  static int s_drags;
  static int s_dragMoves;
  SSymToolViewSite m_saved;
  TRecView* m_view = nullptr;
  SSymToolPointer* m_tool = nullptr;
};
int PointerTool::s_drags = 0;
int PointerTool::s_dragMoves = 0;

TEST_F(PointerTool, HandleCursorsFollowTheAdjustBits) {
  TSym* box = Box(RECT{100, 60, 300, 220});
  m_view->GetSelection()->Add(box->Sym(), 0);
  const SSymRect r = box->GetClipRect(0, 0);
  const LPCWSTR shapes[8] = {IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE,
                             IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE};
  struct Case {
    DWORD keep;
    unsigned allowed;  // bit i: handle i gives its cursor
  } cases[] = {{0, 0xFF}, {0x40, (1u << 1) | (1u << 5)}, {0x80, (1u << 3) | (1u << 7)}, {0xC0, 0}};
  for (const Case& c : cases) {
    box->m_display = (box->m_display & ~DWORD(0xC0)) | c.keep;
    for (int h = 0; h < 8; ++h) {
      HCURSOR cursor = reinterpret_cast<HCURSOR>(1);
      const int answer = m_tool->SetCursor(SSymRect(r).GetPoint(h), SMouseFlags(0), &cursor);
      const bool allowed = (c.allowed >> h) & 1;
      EXPECT_EQ(answer, allowed ? 1 : 0) << "keep " << c.keep << " handle " << h;
      EXPECT_EQ(cursor, allowed ? LoadCursorW(nullptr, shapes[h]) : nullptr) << "keep " << c.keep << " handle " << h;
    }
  }
  // Inside the symbol, and during a capture, the window's own cursor.
  HCURSOR cursor = nullptr;
  EXPECT_EQ(m_tool->SetCursor(r.GetCenter(), SMouseFlags(0), &cursor), 0);
}

TEST_F(PointerTool, APoolsHeaderBandShowsTheBorderCursor) {
  SModuleState* module = SSymGetModuleState();
  const HCURSOR border = LoadCursorW(module->GetResourceHandle(), MAKEINTRESOURCEW(131));
  ASSERT_NE(border, nullptr);
  // A pool (without its own orientation: its band lies left of it).
  // A plain shape ahead of the pools in the diagram does not hide them.
  Box(RECT{260, 40, 300, 140});
  TSym* pool = Box(RECT{150, 40, 250, 140});
  pool->m_symType = 12;
  TSym* hidden = Box(RECT{320, 40, 390, 140});
  hidden->m_symType = 12;
  hidden->Show(0);
  const SSymRect p = pool->GetClipRect(0, 0), h = hidden->GetClipRect(0, 0);
  const LONG cy = (p.y1 + p.y2) / 2;
  struct Case {
    SSymPoint at;
    HCURSOR cursor;
  } cases[] = {{SSymPoint(p.x1 - 600, cy), border},        {SSymPoint(p.x1 - 1200, p.y1), border},
               {SSymPoint(p.x1 - 1300, cy), nullptr},      {SSymPoint(p.x1 - 600, p.y1 + 100), nullptr},
               {SSymPoint(h.x1 - 600, (h.y1 + h.y2) / 2), nullptr}};
  for (const Case& c : cases) {
    HCURSOR cursor = nullptr;
    EXPECT_EQ(m_tool->SetCursor(c.at, SMouseFlags(0), &cursor), c.cursor ? 1 : 0) << c.at.x << "," << c.at.y;
    EXPECT_EQ(cursor, c.cursor) << c.at.x << "," << c.at.y;
  }
}

TEST_F(PointerTool, PressOnEmptySpaceClearsUnlessShiftOrControlThenPullsABand) {
  TSym* box = Box(RECT{100, 60, 200, 160});
  for (UINT keys : {0u, UINT(SMouseFlags::Shift), UINT(SMouseFlags::Control)}) {
    m_view->GetSelection()->Clear(0);
    m_view->GetSelection()->Add(box->Sym(), 0);
    m_view->captures.clear();
    m_tool->MouseLBtnDown(At(350, 250), SMouseFlags(SMouseFlags::Left | keys));
    EXPECT_EQ(Selected().size(), keys ? 1u : 0u) << keys;
    ASSERT_EQ(m_view->captures.size(), 1u);
    EXPECT_EQ(m_view->captures[0].mode, SSymToolPointer::CaptureBand);
    EXPECT_EQ(m_view->captures[0].wait, 1);
  }
}

TEST_F(PointerTool, AnUnselectedSymbolOffersHandlesOnlyFromTwentyEightPixels) {
  struct Case {
    RECT rect;
    bool resizes;
  } cases[] = {{RECT{100, 100, 120, 120}, false}, {RECT{100, 100, 128, 110}, true}, {RECT{100, 100, 110, 128}, true}};
  for (const Case& c : cases) {
    m_view->GetSelection()->Clear(0);
    m_view->captures.clear();
    s_drags = 0;
    TSym* box = Box(c.rect);
    m_tool->MouseLBtnDown(box->GetClipRect(0, 0).GetPoint(4), SMouseFlags(SMouseFlags::Left));
    EXPECT_EQ(Selected(), std::vector<ISSymbol*>{box->Sym()});
    if (c.resizes) {
      ASSERT_EQ(m_view->captures.size(), 1u);
      EXPECT_EQ(m_view->captures[0].mode, SSymToolPointer::CaptureResize);
      EXPECT_EQ(s_drags, 0);
    } else {
      EXPECT_TRUE(m_view->captures.empty());
      EXPECT_EQ(s_drags, 1);  // the selection is dragged instead
    }
    box->Show(0);
  }
  // Once selected, even the small symbol is resized by its handle.
  TSym* small = Box(RECT{300, 200, 315, 215});
  m_view->GetSelection()->Clear(0);
  m_view->GetSelection()->Add(small->Sym(), 0);
  m_view->captures.clear();
  m_tool->MouseLBtnDown(small->GetClipRect(0, 0).GetPoint(4), SMouseFlags(SMouseFlags::Left));
  ASSERT_EQ(m_view->captures.size(), 1u);
  EXPECT_EQ(m_view->captures[0].mode, SSymToolPointer::CaptureResize);
}

TEST_F(PointerTool, SeveralSelectedDragTheSelectionFromAHandle) {
  TSym* a = Box(RECT{40, 40, 140, 140});
  TSym* b = Box(RECT{200, 40, 300, 140});
  m_view->GetSelection()->Add(a->Sym(), 0);
  m_view->GetSelection()->Add(b->Sym(), 0);
  s_dragMoves = 1;
  m_tool->MouseLBtnDown(a->GetClipRect(0, 0).GetPoint(4), SMouseFlags(SMouseFlags::Left));
  EXPECT_TRUE(m_view->captures.empty());
  EXPECT_EQ(s_drags, 1);
  // A drop that moved the symbols leaves nothing selected.
  EXPECT_TRUE(Selected().empty());
}

TEST_F(PointerTool, ASecondReleaseStartsEditingAfterOneHundredMilliseconds) {
  TSym* a = Box(RECT{40, 40, 140, 140});
  TSym* b = Box(RECT{200, 40, 300, 140});
  const SSymPoint inA = a->GetClipRect(0, 0).GetCenter(), inB = b->GetClipRect(0, 0).GetCenter();
  Click(inA);  // selects a and arms
  EXPECT_EQ(m_view->IsLongClick(), 1);
  RunTimers(500);
  EXPECT_TRUE(m_view->edits.empty());
  Click(inA);
  RunTimers(99);
  EXPECT_TRUE(m_view->edits.empty());
  RunTimers(2);
  ASSERT_EQ(m_view->edits.size(), 1u);
  EXPECT_EQ(m_view->edits[0], a->Sym());
  EXPECT_EQ(m_view->editPoints[0], inA);
  EXPECT_EQ(m_view->IsLongClick(), 0);

  // The first release after choosing another symbol never edits.
  m_view->edits.clear();
  Click(inB);
  RunTimers(500);
  EXPECT_TRUE(m_view->edits.empty());
  // A double click after the second release keeps the editor closed.
  m_tool->MouseLBtnDown(inB, SMouseFlags(SMouseFlags::Left));
  m_tool->MouseLBtnUp(inB, SMouseFlags(0));
  m_tool->MouseLBtnDblClk(inB, SMouseFlags(SMouseFlags::Left));
  RunTimers(500);
  EXPECT_TRUE(m_view->edits.empty());
  EXPECT_EQ(m_view->IsLongClick(), 0);
  // Control on the release disarms.
  Click(inB);
  Click(inB, SMouseFlags::Control);
  RunTimers(500);
  EXPECT_TRUE(m_view->edits.empty());
}

TEST_F(PointerTool, EditInPlaceSettingNoInAnyCaseTurnsEditingOff) {
  struct Case {
    const char16_t* value;  // null: none written
    int edits;
  } cases[] = {{nullptr, 1}, {u"NO", 0}, {u"no", 0}, {u"No", 0}, {u"0", 1}, {u"yes", 1}, {u"nope", 1}};
  for (const Case& c : cases) {
    KvRegReset();
    if (c.value) WriteEditInPlace(c.value);
    SSymToolPointer::ForgetEditInPlaceSetting();
    TOpenSym* box = Box<TOpenSym>(RECT{40, 40, 140, 140});
    const int answer = m_tool->EnableEditInPlace(box->Sym(), box->GetClipRect(0, 0).GetCenter());
    EXPECT_EQ(answer, c.edits) << (c.value ? std::string(c.value, c.value + std::char_traits<char16_t>::length(c.value)) : "none");
    EXPECT_EQ(box->edited, c.edits);
  }
  // The setting is read once: a later change is not seen.
  KvRegReset();
  WriteEditInPlace(u"no");
  TOpenSym* box = Box<TOpenSym>(RECT{200, 40, 300, 140});
  EXPECT_EQ(m_tool->EnableEditInPlace(box->Sym(), box->GetClipRect(0, 0).GetCenter()), 1);
  EXPECT_EQ(m_tool->EnableEditInPlace(nullptr, SSymPoint()), 0);
}

TEST_F(PointerTool, ADoubleClickOpensTheSymbolWithVerbMinusTwo) {
  TOpenSym* box = Box<TOpenSym>(RECT{40, 40, 140, 140});
  const SSymPoint in = box->GetClipRect(0, 0).GetCenter();
  Click(in);
  m_tool->MouseLBtnDown(in, SMouseFlags(SMouseFlags::Left));
  m_tool->MouseLBtnDblClk(in, SMouseFlags(SMouseFlags::Left));
  EXPECT_EQ(box->verbs, std::vector<LONG>{-2});
  EXPECT_EQ(box->windows, std::vector<HWND>{m_view->GetSafeHwnd()});
  EXPECT_EQ(m_view->IsLongClick(), 0);
  // Hidden symbols and empty space open nothing.
  box->Show(0);
  m_tool->MouseLBtnDblClk(in, SMouseFlags(SMouseFlags::Left));
  EXPECT_EQ(box->verbs.size(), 1u);
  // Properties of a model object take the same verb.
  box->Show(1);
  m_tool->EditProperties(SSymGetRepObject(box->Sym()));
  EXPECT_EQ(box->verbs, (std::vector<LONG>{-2, -2}));
  m_tool->EditProperties(nullptr);
}

TEST_F(PointerTool, ARightClickKeepsOrReplacesTheSelectionAndOpensTheMenu) {
  TSym* a = Box(RECT{40, 40, 100, 100});
  TSym* b = Box(RECT{150, 40, 210, 100});
  TSym* c = Box(RECT{260, 40, 320, 100});
  TSym* locked = Box(RECT{40, 180, 100, 240});
  locked->ProtectSymbol(1);
  struct Case {
    const char* name;
    SSymPoint at;
    std::vector<ISSymbol*> after;
  } cases[] = {
      {"on a selected symbol", a->GetClipRect(0, 0).GetCenter(), {a->Sym(), b->Sym()}},
      {"on another symbol", c->GetClipRect(0, 0).GetCenter(), {c->Sym()}},
      {"on a protected symbol", locked->GetClipRect(0, 0).GetCenter(), {}},
      {"on empty space", At(380, 280), {}},
  };
  for (const Case& k : cases) {
    m_view->GetSelection()->Clear(0);
    m_view->GetSelection()->Add(a->Sym(), 0);
    m_view->GetSelection()->Add(b->Sym(), 0);
    const int menus = m_view->menus;
    m_tool->MouseRBtnUp(k.at, SMouseFlags(0));
    EXPECT_EQ(Selected(), k.after) << k.name;
    EXPECT_EQ(m_view->menus, menus + 1) << k.name;
  }
  // Control: the selection goes and the symbol is edited in place.
  m_view->GetSelection()->Add(a->Sym(), 0);
  TOpenSym* editable = Box<TOpenSym>(RECT{150, 180, 210, 240});
  m_tool->MouseRBtnUp(editable->GetClipRect(0, 0).GetCenter(), SMouseFlags(SMouseFlags::Control));
  EXPECT_TRUE(Selected().empty());
  EXPECT_EQ(editable->edited, 1);
}

TEST_F(PointerTool, ARightPressOnTheSelectionDragsItAndControlRightDoubleClickFlips) {
  TSym* a = Box(RECT{40, 40, 100, 100});
  TSym* b = Box(RECT{150, 40, 210, 100});
  m_view->GetSelection()->Add(a->Sym(), 0);
  m_tool->MouseRBtnDown(b->GetClipRect(0, 0).GetCenter(), SMouseFlags(SMouseFlags::Right));
  EXPECT_EQ(s_drags, 0);
  EXPECT_EQ(m_tool->GetPressPoint(), b->GetClipRect(0, 0).GetCenter());
  m_tool->MouseRBtnDown(a->GetClipRect(0, 0).GetCenter(), SMouseFlags(SMouseFlags::Right));
  EXPECT_EQ(s_drags, 1);
  m_tool->MouseRBtnDown(a->GetClipRect(0, 0).GetCenter(), SMouseFlags(SMouseFlags::Right | SMouseFlags::Control));
  EXPECT_EQ(s_drags, 1);

  m_view->SetTool(SSymViewEdit::GetToolRecord(SSymViewEdit::CmdToolFirst), 0);
  m_view->SetTool(nullptr, 0);
  ASSERT_EQ(m_view->GetCurrentTool(), m_tool);
  m_tool->MouseRBtnDblClk(At(10, 10), SMouseFlags(SMouseFlags::Right));
  EXPECT_EQ(m_view->GetCurrentTool(), m_tool);
  m_tool->MouseRBtnDblClk(At(10, 10), SMouseFlags(SMouseFlags::Right | SMouseFlags::Control));
  EXPECT_NE(m_view->GetCurrentTool(), m_tool);
}

TEST_F(PointerTool, RowsArePickedOnlyAboveFortyPercent) {
  for (double zoom : {40.0, 40.5}) {
    m_view->GetSelection()->Clear(0);
    m_view->SetScale(zoom);
    TRowSym* table = AddTo<TRowSym>(m_diagram, SSymRect(2000, 8000, 12000, 0));
    TSym* first = Make<TSym>();
    TSym* second = Make<TSym>();
    table->rows.objects = {SSymGetRepObject(first->Sym()), SSymGetRepObject(second->Sym())};
    const SSymPoint row2(5000, 6500);
    Click(row2);  // the first click selects the symbol
    ASSERT_EQ(Selected(), std::vector<ISSymbol*>{table->Sym()}) << zoom;
    Click(row2);  // the second picks the row under it
    ASSERT_EQ(Selected().size(), 1u);
    auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(Selected()[0]));
    if (zoom == 40.0) {
      EXPECT_EQ(mark, nullptr);
    } else {
      ASSERT_NE(mark, nullptr);
      EXPECT_EQ(mark->GetObject(), SSymGetRepObject(second->Sym()));
      EXPECT_EQ(mark->GetOwnerSymbol(), table->Sym());
    }
    m_view->GetSelection()->Clear(0);
    table->Show(0);
  }
}

TEST_F(PointerTool, ShiftOnARowSelectsTheRunFromTheLastSelectedRow) {
  m_view->SetScale(100.0);
  TRowSym* table = AddTo<TRowSym>(m_diagram, SSymRect(2000, 8000, 12000, 0));
  std::vector<TSym*> objects;
  for (int i = 0; i < 8; ++i) {
    objects.push_back(Make<TSym>());
    table->rows.objects.push_back(SSymGetRepObject(objects.back()->Sym()));
  }
  auto rowsSelected = [&] {
    std::vector<int> rows;
    for (ISSymbol* s : Selected()) {
      auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(s));
      for (int i = 0; mark && i < 8; ++i)
        if (mark->GetObject() == table->rows.objects[i]) rows.push_back(i);
    }
    return rows;
  };
  Click(SSymPoint(5000, 6500));
  Click(SSymPoint(5000, 6500));  // row 1
  ASSERT_EQ(rowsSelected(), std::vector<int>{1});
  Click(SSymPoint(5000, 3500), SMouseFlags::Shift);  // down to row 4
  EXPECT_EQ(rowsSelected(), (std::vector<int>{1, 2, 3, 4}));
  Click(SSymPoint(5000, 7500), SMouseFlags::Shift);  // up from row 4 to row 0
  EXPECT_EQ(rowsSelected(), (std::vector<int>{4, 3, 2, 1, 0}));
}

}  // namespace
