// The layout engine bridge: a run goes to the engine loaded for the call
// (the test engine records what it is handed), its answer decides the run's,
// and an engine that cannot be asked (out of date, locked, loading forbidden,
// throwing) makes the run fail without a half-done diagram, said once; later
// runs then use the library's own layout. The real engine packs a run that
// keeps its nodes and stays loaded once loaded.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sloadlib.h"
#include "kvlayout/engine/dispatch.h"
#include "support/link_fixture.h"
#include "sym/layout/symautolayout.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/layout/testengine/testengine_load.h"
#include "win/wininput.h"
#include "win/winloader.h"
#include "win/winmsgbox.h"
#include "win/winreg.h"

namespace {

class LayoutBridge : public LinkFixture {
 protected:
  void SetUp() override {
    KvRegReset();
    LinkFixture::SetUp();
    // The engine's presence is the bridge's own answer here.
    m_oldProbe = SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(nullptr);
    KvSetMessageBoxQuiet(true);
    KvClearMessageBoxLog();
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
    // The test holds the recording engine, so its record lasts between calls.
    m_state = LoadTestEngine(m_probe);
    ASSERT_NE(m_state, nullptr) << KvLastLoadError();
    SSymLayoutEngine::Reset(TestEngineFile("kvlayoutprobe"));
    for (int i = 0; i < 3; ++i) m_boxes.push_back(PutBox(SSymRect(i * 30000, 1000 + i * 7000, i * 30000 + 2000, i * 7000)));
    m_links.push_back(PutLink(m_boxes[0], m_boxes[1], SSymListPt{Centre(0), Centre(1)}));
    m_links.push_back(PutLink(m_boxes[1], m_boxes[2], SSymListPt{Centre(1), {40000, 20000}, Centre(2)}));
  }
  void TearDown() override {
    SSymLayoutEngine::Reset(SString());
    KvSetMixedCallerDisabled(false);
    if (m_probe) FreeLibrary(m_probe);
    KvSetMessageBoxQuiet(false);
    SExceptionDialog::SetQuiet(false);
    SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(m_oldProbe);
    LinkFixture::TearDown();
    KvRegReset();
  }
  SSymPoint Centre(int i) const { return m_boxes[size_t(i)]->m_rect.GetCenter(); }
  std::vector<SSymRect> Rects() const {
    std::vector<SSymRect> out;
    for (SSymRectangle* b : m_boxes) out.push_back(b->m_rect);
    return out;
  }
  // A run of the diagram as the user starts it (automatic flag clear).
  bool Run(LONG style = SSymAutoLayoutStyle::Hierarchic, LONG mode = 0) {
    SSymAutoLayoutParam param(Diagram());
    param.m_options.m_nStyle = style;
    param.m_options.m_nMode = mode;
    param.m_options.m_bAutomatic = 0;
    return Diagram()->AutoLayout(param);
  }
  // The engine call itself, on a layout object of the external kind.
  int Call() {
    SSymAutoLayoutParam param(Diagram());
    SSymAutoLayoutGeneral layout(param);
    SSymAutoLayoutParam own(layout.GetParam());
    return layout.CallAutoLayoutMethod(own);
  }
  static std::vector<std::u16string> Messages() {
    std::vector<std::u16string> out;
    for (const auto& m : KvMessageBoxLog()) out.push_back(m.text);
    return out;
  }

  SSymAutoLayoutOptionMgr::LibraryProbe m_oldProbe = nullptr;
  HMODULE m_probe = nullptr;
  TestEngineState* m_state = nullptr;
  std::vector<SSymRectangle*> m_boxes;
  std::vector<SSymLinkBase*> m_links;
};

TEST_F(LayoutBridge, TheRunAnswersWhatTheEngineAnswered) {
  struct {
    const char* name;
    int answer;
    bool throws;
    bool done;
  } cases[] = {
      {"success", 0, false, true},
      {"the engine answers 3", 3, false, false},
      {"the engine answers garbage", -123456, false, false},
      {"the engine throws", 0, true, false},
  };
  for (const auto& c : cases) {
    m_state->Reset();
    m_state->answer = c.answer;
    m_state->throwInCall = c.throws;
    SExceptionDialog::ClearLog();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(Run(SSymAutoLayoutStyle::Circular), c.done) << c.name;
    EXPECT_EQ(m_state->layouts, 1) << c.name;
    EXPECT_EQ(m_state->style, SSymAutoLayoutStyle::Circular) << c.name;
    EXPECT_EQ(m_state->subset, 5) << c.name;
    EXPECT_EQ(m_state->scope, 5) << c.name;
    // Resolved before each call and released after it: the availability
    // check and the run each load the engine once.
    EXPECT_EQ(m_state->resolved, 2) << c.name;
    EXPECT_EQ(m_state->released, 2) << c.name;
    EXPECT_EQ(m_state->cursor, u"IDC_WAIT") << c.name;
    EXPECT_EQ(KvCurrentCursorName(), u"IDC_ARROW") << c.name;
    EXPECT_FALSE(SSymLayoutEngine::IsLocked()) << c.name;
    // An exception is reported, once, with the engine's words.
    ASSERT_EQ(SExceptionDialog::Log().size(), c.throws ? 1u : 0u) << c.name;
    if (c.throws) {
      EXPECT_EQ(SExceptionDialog::Log()[0].text, SString("the test engine failed")) << c.name;
    }
  }
  EXPECT_TRUE(Messages().empty());
}

TEST_F(LayoutBridge, TheEngineMovesSymbolsInsideTheRunsOneUndoStep) {
  m_state->move = SSymSize(5000, -3000);
  const std::vector<SSymRect> before = Rects();
  const int steps = m_session->GetUndoCount();
  ASSERT_TRUE(Run());
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(m_boxes[0]->m_rect, SSymRect(5000, -2000, 7000, -3000));
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Rects(), before);
}

TEST_F(LayoutBridge, AnOutdatedEngineIsSaidOnceThenTheOwnLayoutRuns) {
  SSymLayoutEngine::Reset(TestEngineFile("kvlayoutold"));
  const std::vector<SSymRect> before = Rects();
  EXPECT_FALSE(Run());
  EXPECT_EQ(Rects(), before) << "nothing moved";
  const std::vector<std::u16string> once{u"The auto layout library (libkvlayoutold.so) is not up to date."};
  EXPECT_EQ(Messages(), once);
  EXPECT_EQ(KvMessageBoxLog()[0].type, MB_OK | MB_ICONERROR);
  EXPECT_TRUE(SSymLayoutEngine::IsLockedOut());
  // Silent afterwards; the library's own layout does the work.
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable());
  EXPECT_TRUE(Run());
  EXPECT_NE(Rects(), before);
  EXPECT_EQ(Messages(), once);
  EXPECT_EQ(Call(), 0);
  EXPECT_EQ(Messages(), once);
}

TEST_F(LayoutBridge, NoEngineRunsTheOwnLayoutWithoutAMessage) {
  SSymLayoutEngine::Reset(SString("kvlayout16-absent.dll"));
  const std::vector<SSymRect> before = Rects();
  EXPECT_TRUE(Run(SSymAutoLayoutStyle::Hierarchic));
  EXPECT_NE(Rects(), before);
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(SSymLayoutEngine::IsLocked());
}

TEST_F(LayoutBridge, AnEngineThatCannotBeAskedMakesTheCallFail) {
  struct {
    const char* name;
    bool forbidden, throwInResolve, nested;
    size_t messages;
  } cases[] = {
      {"loading forbidden", true, false, false, 0},
      {"resolution throws", false, true, false, 1},
      {"called from inside the engine", false, false, true, 0},
  };
  for (const auto& c : cases) {
    SSymLayoutEngine::Reset(TestEngineFile("kvlayoutprobe"));
    KvSetMixedCallerDisabled(c.forbidden);
    KvClearMessageBoxLog();
    m_state->Reset();
    m_state->throwInResolve = c.throwInResolve;
    int inner = -1;
    if (c.nested) m_state->during = [&] { inner = Call(); };
    const std::vector<SSymRect> before = Rects();
    EXPECT_EQ(Call(), c.nested ? 1 : 0) << c.name;
    EXPECT_EQ(Rects(), before) << c.name;
    EXPECT_EQ(Messages().size(), c.messages) << c.name;
    EXPECT_EQ(m_state->layouts, c.nested ? 1 : 0) << c.name << ": the engine is never entered twice";
    if (c.nested) {
      EXPECT_EQ(inner, 0) << c.name;
      EXPECT_EQ(m_state->resolved, 1) << c.name << ": not loaded again";
    }
    // The layout the user asked for still happens: the library's own.
    if (!c.nested) {
      EXPECT_TRUE(Run()) << c.name;
      EXPECT_EQ(m_state->layouts, 0) << c.name;
      EXPECT_EQ(Messages().size(), c.messages) << c.name;
    }
  }
}

// ---- the real engine ------------------------------------------------------------------------------------------

TEST_F(LayoutBridge, TheEngineStaysLoadedOnceLoaded) {
  SSymLayoutEngine::Reset(SString());
  const SString engine(SSymLayoutEngine::FileName());
  if (GetModuleHandleW(engine.c_str())) GTEST_SKIP() << "loaded before the test";
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable());
  // Loaded and freed by the bridge, yet still there: what it keeps between
  // calls survives, and "only when loaded" calls reach it.
  const HMODULE first = GetModuleHandleW(engine.c_str());
  ASSERT_NE(first, nullptr);
  const HMODULE again = LoadLibraryW(engine.c_str());
  EXPECT_EQ(again, first);
  FreeLibrary(again);
  EXPECT_EQ(GetModuleHandleW(engine.c_str()), first);
}

TEST_F(LayoutBridge, TheRealEnginePacksARunThatKeepsItsNodes) {
  SSymLayoutEngine::Reset(SString());
  // A lone box far away, and the linked three: two components.
  m_boxes.push_back(PutBox(SSymRect(-400000, 5000, -396000, 0)));
  const std::vector<SSymRect> before = Rects();
  const int steps = m_session->GetUndoCount();
  ASSERT_TRUE(Run(SSymAutoLayoutStyle::Organic, 1));
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  const std::vector<SSymRect> after = Rects();
  // Each component kept its shape; no two boxes overlap; all inside the area.
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(after[i].GetCenter().x - after[0].GetCenter().x, before[i].GetCenter().x - before[0].GetCenter().x);
    EXPECT_EQ(after[i].GetCenter().y - after[0].GetCenter().y, before[i].GetCenter().y - before[0].GetCenter().y);
  }
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_LE(std::abs(after[i].GetMinX()), 900000);
    EXPECT_LE(std::abs(after[i].GetMaxY()), 900000);
    for (size_t j = i + 1; j < after.size(); ++j) {
      const SSymRect& a = after[i];
      const SSymRect& b = after[j];
      EXPECT_TRUE(a.GetMaxX() < b.GetMinX() || b.GetMaxX() < a.GetMinX() || a.GetMaxY() < b.GetMinY() ||
                  b.GetMaxY() < a.GetMinY())
          << i << " " << j;
    }
  }
  // The links came with their ends.
  EXPECT_EQ(m_links[0]->ListPt[0], after[0].GetCenter());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Rects(), before);
  // A style this engine does not have yet: a failure that writes nothing.
  for (LONG style = 0; style <= SSymAutoLayoutStyle::Snowflake; ++style) {
    if (kvl::HasStyle(static_cast<kvl::LStyle>(style))) continue;
    EXPECT_FALSE(Run(style)) << style;
    EXPECT_EQ(Rects(), before) << style;
  }
  EXPECT_TRUE(Messages().empty());
}

// The orthogonal style through the diagram's run: one undo step that gives
// back every rectangle and every route exactly; in between the boxes stand
// apart and the links run horizontally and vertically.
TEST_F(LayoutBridge, TheRealEnginesOrthogonalRunIsUndoneExactly) {
  SSymLayoutEngine::Reset(SString());
  m_links.push_back(PutLink(m_boxes[0], m_boxes[2], SSymListPt{Centre(0), {-9000, 30000}, Centre(2)}));
  auto lists = [&] {
    std::vector<std::vector<SSymPoint>> out;
    for (SSymLinkBase* l : m_links) {
      out.emplace_back();
      for (int i = 0; i < l->ListPt.GetCount(); ++i) out.back().push_back(l->ListPt[i]);
    }
    return out;
  };
  const std::vector<SSymRect> rectsBefore = Rects();
  const auto listsBefore = lists();
  const int steps = m_session->GetUndoCount();
  ASSERT_TRUE(Run(SSymAutoLayoutStyle::Orthogonal));
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  const std::vector<SSymRect> after = Rects();
  EXPECT_NE(after, rectsBefore);
  for (std::size_t i = 0; i < after.size(); ++i)
    for (std::size_t j = i + 1; j < after.size(); ++j) {
      const SSymRect& a = after[i];
      const SSymRect& b = after[j];
      EXPECT_TRUE(a.GetMaxX() < b.GetMinX() || b.GetMaxX() < a.GetMinX() || a.GetMaxY() < b.GetMinY() ||
                  b.GetMaxY() < a.GetMinY())
          << i << " " << j;
    }
  for (const auto& route : lists())
    for (std::size_t k = 1; k < route.size(); ++k)
      EXPECT_TRUE(route[k - 1].x == route[k].x || route[k - 1].y == route[k].y) << k;
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Rects(), rectsBefore);
  EXPECT_EQ(lists(), listsBefore);
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
