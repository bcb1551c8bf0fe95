// The tool base and the tool protocol: the class tree and its records, how
// the editing window switches and flips tools, the restore-tool flag of a
// toolbar double-click, the view state guard, and what the base does with
// the window's mouse and cursor requests.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kvcore/stoolbar.h"
#include "support/tools_fixture.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtoolstd.h"
#include "win/wininput.h"

namespace {

std::set<const void*> g_deleted;

// A tool that notes what the window asks of it.
class TTool : public SSymToolBase {
 public:
  ~TTool() override { g_deleted.insert(this); }
  void SetToolParam(unsigned long p) override { params.push_back(p); }
  void Activate(SSymViewEdit* v) override {
    ++activations;
    restoreSeen = IsRestoreTool();
    SSymToolBase::Activate(v);
  }
  std::vector<unsigned long> params;
  int activations = 0;
  int restoreSeen = -1;
};

#define T_TOOL(name)                \
  class name : public TTool {       \
    KV_DECLARE_CLASSINFO()          \
  };                                \
  KV_IMPLEMENT_DYNCREATE(name, SSymToolBase)
T_TOOL(TToolA);
T_TOOL(TToolB);
T_TOOL(TToolC);
#undef T_TOOL

TTool* Current(SSymViewEdit* v) { return dynamic_cast<TTool*>(v->GetCurrentTool()); }

class ToolSwitch : public ToolsFixture {
 protected:
  void SetUp() override {
    ToolsFixture::SetUp();
    g_deleted.clear();
    SToolBar::ClearButtonDblClick();
    SSymToolBase::SetRestoreTool(0);
    m_view = OpenEdit();
  }
  void TearDown() override {
    SToolBar::ClearButtonDblClick();
    ToolsFixture::TearDown();
  }
  SSymViewEdit* m_view = nullptr;
};

TEST_F(ToolSwitch, BackToTheFormerToolReusesItAndAThirdDeletesTheFirst) {
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  ASSERT_NE(a, nullptr);
  EXPECT_TRUE(a->IsActive());
  m_view->SetTool(&TToolB::__clsinf, 0);
  TTool* b = Current(m_view);
  EXPECT_EQ(m_view->GetPreviousTool(), a);
  EXPECT_FALSE(a->IsActive());
  m_view->SetTool(&TToolA::__clsinf, 0);
  EXPECT_EQ(Current(m_view), a);
  EXPECT_EQ(m_view->GetPreviousTool(), b);
  EXPECT_EQ(a->activations, 2);
  EXPECT_TRUE(g_deleted.empty());

  m_view->SetTool(&TToolC::__clsinf, 0);
  EXPECT_EQ(g_deleted, std::set<const void*>{b});
  EXPECT_EQ(m_view->GetPreviousTool(), a);
  m_view->SetTool(&TToolB::__clsinf, 0);
  EXPECT_EQ(g_deleted.count(a), 1u);
}

TEST_F(ToolSwitch, ChoosingTheCurrentToolOnlyPassesTheParameter) {
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  m_view->SetTool(&TToolA::__clsinf, 7);
  EXPECT_EQ(Current(m_view), a);
  EXPECT_EQ(a->params, (std::vector<unsigned long>{0, 7}));
  EXPECT_EQ(a->activations, 1);
  EXPECT_EQ(m_view->GetPreviousTool(), m_view->GetDefaultTool());
}

TEST_F(ToolSwitch, NoRecordReturnsToThePointerAndARecordWithoutToolChangesNothing) {
  SSymToolBase* pointer = m_view->GetDefaultTool();
  m_view->SetTool(nullptr, 0);  // already the pointer: nothing
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  EXPECT_EQ(m_view->GetPreviousTool(), nullptr);
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  m_view->SetTool(nullptr, 0);
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  EXPECT_EQ(m_view->GetPreviousTool(), a);
  EXPECT_FALSE(a->IsActive());
  EXPECT_TRUE(pointer->IsActive());
  // Abstract classes and classes that are no tools make nothing.
  for (const SClassInfo* record : {&SSymToolBase::__clsinf, &SSymToolStd::__clsinf, &SObject::__clsinf}) {
    m_view->SetTool(record, 0);
    EXPECT_EQ(m_view->GetCurrentTool(), pointer);
    EXPECT_EQ(m_view->GetPreviousTool(), a);
  }
}

TEST_F(ToolSwitch, ADoubleClickBringsThePreviousToolBackWithTheRestoreFlag) {
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  m_view->SetTool(nullptr, 0);
  SToolBar::SetButtonDblClicked(1);
  m_view->SetTool(nullptr, 0);
  EXPECT_EQ(Current(m_view), a);
  EXPECT_EQ(m_view->GetPreviousTool(), m_view->GetDefaultTool());
  EXPECT_EQ(a->restoreSeen, 1);
  EXPECT_EQ(SSymToolBase::IsRestoreTool(), 0);
  EXPECT_EQ(SToolBar::IsButtonDblClicked(), 0);
  EXPECT_TRUE(a->IsActive());
}

TEST_F(ToolSwitch, FlipTogglesWithThePointerExceptAfterARightDoubleClick) {
  SSymToolBase* pointer = m_view->GetDefaultTool();
  m_view->OnToolFlip();  // no previous tool
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  m_view->OnToolFlip();
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  EXPECT_EQ(m_view->GetPreviousTool(), a);
  m_view->OnToolFlip();
  EXPECT_EQ(Current(m_view), a);
  EXPECT_EQ(m_view->GetPreviousTool(), a);
  m_view->OnToolFlip();
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  EXPECT_TRUE(g_deleted.empty());

  const HWND hwnd = m_view->GetSafeHwnd();
  ::SendMessageW(hwnd, WM_RBUTTONDBLCLK, 0, MAKELPARAM(10, 10));
  m_view->OnToolFlip();
  EXPECT_EQ(m_view->GetCurrentTool(), pointer);
  ::SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  m_view->OnToolFlip();
  EXPECT_EQ(Current(m_view), a);
}

TEST_F(ToolSwitch, TheBaseToolServesTheWindowAndNotesTheRightPress) {
  m_view->SetTool(&TToolA::__clsinf, 0);
  TTool* a = Current(m_view);
  EXPECT_EQ(a->GetView(), m_view);
  EXPECT_NE(a->GetSession(), nullptr);
  EXPECT_EQ(a->GetSymbolType(), SSymToolBase::DefaultSymbolType);
  ::SendMessageW(m_view->GetSafeHwnd(), WM_RBUTTONDOWN, 0, MAKELPARAM(120, 80));
  EXPECT_EQ(a->GetPressPoint(), Logical(m_view, {120, 80}));
  // No cursor of its own: answered, and null hides the mouse cursor.
  HCURSOR cursor = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_EQ(a->SetCursor(SSymPoint(), SMouseFlags(0), &cursor), 1);
  EXPECT_EQ(cursor, nullptr);
  a->SetCursor(9999u, nullptr);  // no such resource
  EXPECT_EQ(a->GetCursor(), nullptr);
  a->Disactivate();
  a->Disactivate();
  EXPECT_FALSE(a->IsActive());
  EXPECT_EQ(a->GetSession(), nullptr);
  a->Activate(nullptr);
  EXPECT_FALSE(a->IsActive());
}

TEST_F(ToolSwitch, TheViewStateGuardSuspendsFlag0x10AndPutsItBack) {
  SSymViewEdit* other = OpenEdit();
  m_view->SetState(m_view->GetState() | SSymToolViewState::Flag);
  other->SetState(other->GetState() & ~SSymToolViewState::Flag);
  {
    SSymToolViewState guard;
    EXPECT_EQ(guard.Bind(m_view), 0);
    EXPECT_EQ(m_view->GetState() & SSymToolViewState::Flag, 0);
    EXPECT_EQ(guard.Bind(other), 1);
    EXPECT_NE(m_view->GetState() & SSymToolViewState::Flag, 0);
    EXPECT_EQ(guard.Bind(nullptr), 0);
    EXPECT_EQ(guard.GetView(), nullptr);
    EXPECT_EQ(guard.Bind(m_view), 0);
  }
  EXPECT_NE(m_view->GetState() & SSymToolViewState::Flag, 0);
  EXPECT_EQ(other->GetState() & SSymToolViewState::Flag, 0);
}

TEST_F(ToolSwitch, TheToolCommandsChooseAndCheckTheirTools) {
  auto command = [this](UINT id) { return m_view->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); };
  auto checked = [this](UINT id) {
    SCmdUI ui;
    ui.m_nID = id;
    m_view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &ui, nullptr);
    EXPECT_TRUE(ui.m_bEnabled);
    return ui.m_nCheck;
  };
  EXPECT_EQ(checked(SSymViewEdit::CmdToolPointer), 1);
  for (UINT id = SSymViewEdit::CmdToolFirst; id <= SSymViewEdit::CmdToolLast; ++id) {
    SCOPED_TRACE(id);
    EXPECT_TRUE(command(id));
    ASSERT_NE(m_view->GetCurrentTool(), nullptr);
    EXPECT_EQ(m_view->GetCurrentTool()->GetClassInfo(), SSymViewEdit::GetToolRecord(id));
    EXPECT_EQ(checked(id), 1);
    EXPECT_EQ(checked(id == SSymViewEdit::CmdToolFirst ? id + 1 : id - 1), 0);
    EXPECT_EQ(checked(SSymViewEdit::CmdToolPointer), 0);
  }
  // The lasso and grabber derive from the pointer but are not it.
  EXPECT_TRUE(command(SSymViewEdit::CmdToolFirst));
  EXPECT_EQ(checked(SSymViewEdit::CmdToolPointer), 0);
  EXPECT_TRUE(command(SSymViewEdit::CmdToolPointer));
  EXPECT_EQ(m_view->GetCurrentTool(), m_view->GetDefaultTool());
  EXPECT_EQ(checked(SSymViewEdit::CmdToolPointer), 1);
  EXPECT_EQ(SSymViewEdit::GetToolRecord(SSymViewEdit::CmdToolLast + 1), nullptr);
}

// ---- the class tree --------------------------------------------------------------------------------

struct ClassCase {
  const SClassInfo* record;
  const char* name;
  const SClassInfo* base;
  bool creatable;
  bool captures;
  int symbolType;
};

TEST(ToolClasses, RecordsNameTheTreeAndMakeTheConcreteTools) {
  const ClassCase cases[] = {
      {&SSymToolBase::__clsinf, "SSymToolBase", &SObject::__clsinf, false, false, 0},
      {&SSymToolPointer::__clsinf, "SSymToolPointer", &SSymToolBase::__clsinf, true, true, 79},
      {&SSymToolLasso::__clsinf, "SSymToolLasso", &SSymToolPointer::__clsinf, true, true, 79},
      {&SSymToolGrabber::__clsinf, "SSymToolGrabber", &SSymToolPointer::__clsinf, true, true, 79},
      {&SSymToolStd::__clsinf, "SSymToolStd", &SSymToolBase::__clsinf, false, false, 0},
      {&SSymToolProperties::__clsinf, "SSymToolProperties", &SSymToolStd::__clsinf, true, false, 79},
      {&SSymToolDelete::__clsinf, "SSymToolDelete", &SSymToolStd::__clsinf, true, false, 79},
      {&SSymToolZoomBase::__clsinf, "SSymToolZoomBase", &SSymToolStd::__clsinf, false, false, 0},
      {&SSymToolZoomIn::__clsinf, "SSymToolZoomIn", &SSymToolZoomBase::__clsinf, true, true, 79},
      {&SSymToolZoomOut::__clsinf, "SSymToolZoomOut", &SSymToolZoomBase::__clsinf, true, true, 79},
      {&SSymToolSymbol::__clsinf, "SSymToolSymbol", &SSymToolStd::__clsinf, false, false, 0},
      {&SSymToolRectangle::__clsinf, "SSymToolRectangle", &SSymToolSymbol::__clsinf, true, true, 3},
      {&SSymToolRoundRect::__clsinf, "SSymToolRoundRect", &SSymToolSymbol::__clsinf, true, true, 4},
      {&SSymToolEllipse::__clsinf, "SSymToolEllipse", &SSymToolSymbol::__clsinf, true, true, 5},
      {&SSymToolText::__clsinf, "SSymToolText", &SSymToolSymbol::__clsinf, true, true, 7},
      {&SSymToolLine::__clsinf, "SSymToolLine", &SSymToolSymbol::__clsinf, true, true, 1},
      {&SSymToolArc::__clsinf, "SSymToolArc", &SSymToolSymbol::__clsinf, true, true, 6},
      {&SSymToolPredefinedSym::__clsinf, "SSymToolPredefinedSym", &SSymToolSymbol::__clsinf, true, true, 79},
      {&SSymToolPoly::__clsinf, "SSymToolPoly", &SSymToolSymbol::__clsinf, false, false, 0},
      {&SSymToolPolyline::__clsinf, "SSymToolPolyline", &SSymToolPoly::__clsinf, true, true, 1},
      {&SSymToolPolygon::__clsinf, "SSymToolPolygon", &SSymToolPoly::__clsinf, true, true, 2},
      {&SSymToolLinkSym::__clsinf, "SSymToolLinkSym", &SSymToolPoly::__clsinf, true, true, 8},
  };
  for (const ClassCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(std::string(c.record->GetName()), c.name);
    EXPECT_EQ(c.record->GetBase(), c.base);
    std::unique_ptr<SObject> made(c.record->CreateObject());
    ASSERT_EQ(made != nullptr, c.creatable);
    if (!made) continue;
    EXPECT_EQ(made->GetClassInfo(), c.record);
    auto* tool = dynamic_cast<SSymToolBase*>(made.get());
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(dynamic_cast<ISSymViewCapture*>(tool) != nullptr, c.captures);
    EXPECT_EQ(tool->GetSymbolType(), c.symbolType);
    EXPECT_FALSE(tool->IsActive());
  }
}

TEST(ToolClasses, ThePointerReleasesDropAndTheRightButtonCancels) {
  SSymToolPointer pointer;
  ISSymViewCapture& capture = pointer;
  EXPECT_EQ(capture.CaptureQueryContinue(WM_LBUTTONUP, SMouseFlags(0), SSymPoint()), ISSymViewCapture::Drop);
  EXPECT_EQ(capture.CaptureQueryContinue(WM_RBUTTONDOWN, SMouseFlags(0), SSymPoint()), ISSymViewCapture::Cancel);
  EXPECT_EQ(capture.CaptureQueryContinue(WM_MOUSEMOVE, SMouseFlags(0), SSymPoint()), ISSymViewCapture::Continue);
  EXPECT_EQ(capture.CaptureQueryContinue(WM_RBUTTONUP, SMouseFlags(0), SSymPoint()), ISSymViewCapture::Continue);
}

}  // namespace
