// Drag and drop played from the mouse script: a drag from one window to
// another with the targets' answers and the source's cursors, cancels by Esc,
// by the right button and by the end of the script, and the drags that go
// wrong: a target window destroyed on the way, a source or target that throws.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kvcore/sdataobject.h"
#include "support/com_helpers.h"
#include "win/winoledata.h"

namespace {

std::vector<std::string> g_log;

std::string Keys(DWORD k) {
  std::string s;
  if (k & MK_LBUTTON) s += "L";
  if (k & MK_RBUTTON) s += "R";
  if (k & MK_CONTROL) s += "C";
  if (k & MK_SHIFT) s += "S";
  return s.empty() ? "-" : s;
}

// Logs "name:call(x,y,keys)=effect"; answers `answer` for the keys.
class Target final : public IDropTarget {
 public:
  explicit Target(std::string name) : m_name(std::move(name)) {}
  std::function<DWORD(DWORD keys)> answer = [](DWORD keys) {
    return keys & MK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
  };
  std::function<void(const char* call)> hook;  // runs inside each call
  ULONG refs = 1;

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    *ppv = iid == IID_IUnknown || iid == IID_IDropTarget ? this : nullptr;
    if (!*ppv) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }  // lives on the test's stack
  HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL pt, DWORD* effect) override {
    EXPECT_NE(data, nullptr);
    return Answer("enter", keys, pt, effect);
  }
  HRESULT DragOver(DWORD keys, POINTL pt, DWORD* effect) override { return Answer("over", keys, pt, effect); }
  HRESULT DragLeave() override {
    g_log.push_back(m_name + ":leave");
    if (hook) hook("leave");
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD keys, POINTL pt, DWORD* effect) override {
    return Answer("drop", keys, pt, effect);
  }

 private:
  HRESULT Answer(const char* call, DWORD keys, POINTL pt, DWORD* effect) {
    *effect &= answer(keys);
    g_log.push_back(m_name + ":" + call + "(" + std::to_string(pt.x) + "," + std::to_string(pt.y) + "," + Keys(keys) +
                    ")=" + std::to_string(*effect));
    if (hook) hook(call);
    return S_OK;
  }
  std::string m_name;
};

// The usual source, which also shows its own cursor for a move and records
// the cursor in place at each question.
class Source final : public SDropSource {
 public:
  static Source* Make() { return new Source(); }
  std::function<void()> hook;
  std::vector<HCURSOR> cursors;
  HRESULT QueryContinueDrag(BOOL esc, DWORD keys) override {
    cursors.push_back(GetCursor());
    const HRESULT hr = SDropSource::QueryContinueDrag(esc, keys);
    g_log.push_back(std::string("source:") + (hr == S_OK ? "go" : hr == DRAGDROP_S_DROP ? "drop" : "cancel"));
    return hr;
  }
  HRESULT GiveFeedback(DWORD effect) override {
    if (hook) hook();
    if (effect != DROPEFFECT_MOVE) return SDropSource::GiveFeedback(effect);
    SetCursor(kMoveCursor);
    return S_OK;
  }
  static inline const HCURSOR kMoveCursor = reinterpret_cast<HCURSOR>(std::uintptr_t(0x4D0E));
};

class OleDrag : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    g_log.clear();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"DragWindow";
    ASSERT_TRUE(RegisterClassW(&wc));
    a = CreateWindowExW(0, u"DragWindow", nullptr, WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    b = CreateWindowExW(0, u"DragWindow", nullptr, WS_VISIBLE, 300, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    // A child of B without a target of its own: drops on it reach B.
    child = CreateWindowExW(0, u"DragWindow", nullptr, WS_CHILD | WS_VISIBLE, 100, 100, 50, 50, b, nullptr, nullptr,
                            nullptr);
    ASSERT_EQ(RegisterDragDrop(a, &ta), S_OK);
    ASSERT_EQ(RegisterDragDrop(b, &tb), S_OK);
    data = SDataObject::Create();
    source = Source::Make();
    SetCursor(kStartCursor);
    // The button went down on A before the drag began.
    SetCursorPos(50, 50);
    KvSetKeyState(VK_LBUTTON, true);
  }
  void TearDown() override {
    KvWindowsReset();
    EXPECT_EQ(KvDropTargetCount(), 0u);
    EXPECT_EQ(ta.refs, 1u);
    EXPECT_EQ(tb.refs, 1u);
    EXPECT_EQ(data->Release(), 0u);
    EXPECT_EQ(source->Release(), 0u);
  }
  HRESULT Play(const std::vector<KvInputItem>& script, DWORD ok = DROPEFFECT_COPY | DROPEFFECT_MOVE) {
    EXPECT_TRUE(KvPlayInput(script));
    const HRESULT hr = DoDragDrop(data, source, ok, &effect);
    KvClearInput();
    return hr;
  }
  // From A over to B: the moves every drag of these tests starts with.
  static std::vector<KvInputItem> ToB(DWORD t = 2000) {
    return {KvMouseItem(t, WM_MOUSEMOVE, 60, 50), KvMouseItem(t + 10, WM_MOUSEMOVE, 350, 50),
            KvMouseItem(t + 20, WM_MOUSEMOVE, 360, 60)};
  }
  static inline const HCURSOR kStartCursor = reinterpret_cast<HCURSOR>(std::uintptr_t(0x5747));
  HWND a = nullptr, b = nullptr, child = nullptr;
  Target ta{"A"}, tb{"B"};
  SDataObject* data = nullptr;
  Source* source = nullptr;
  DWORD effect = 12345;
};

TEST_F(OleDrag, DragFromOneWindowToAnother) {
  ta.answer = [](DWORD) { return DROPEFFECT_NONE; };  // A takes nothing of its own
  auto script = ToB();
  script.push_back(KvKeyItem(2030, WM_KEYDOWN, VK_CONTROL));
  script.push_back(KvMouseItem(2040, WM_MOUSEMOVE, 420, 120));  // over B's child
  script.push_back(KvMouseItem(2050, WM_LBUTTONUP, 420, 120));
  EXPECT_EQ(Play(script), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_COPY);
  EXPECT_EQ(g_log, (std::vector<std::string>{
                       "source:go", "A:enter(50,50,L)=0",       // the drag starts where the button went down
                       "source:go", "A:over(60,50,L)=0",        //
                       "source:go", "A:leave", "B:enter(350,50,L)=2",  //
                       "source:go", "B:over(360,60,L)=2",       //
                       "source:go", "B:over(360,60,LC)=1",      // Control: copy
                       "source:go", "B:over(420,120,LC)=1",     // the child has no target: B's
                       "source:drop", "B:drop(420,120,C)=1",
                   }));
  // The cursor in place at each question: the default no-drop cursor over A,
  // the source's own for a move, the default copy cursor with Control.
  const HCURSOR none = KvOleDragCursor(DROPEFFECT_NONE), copy = KvOleDragCursor(DROPEFFECT_COPY);
  EXPECT_EQ(source->cursors, (std::vector<HCURSOR>{kStartCursor, none, none, Source::kMoveCursor,
                                                   Source::kMoveCursor, copy, copy}));
  EXPECT_EQ(GetCursor(), kStartCursor) << "the cursor is given back";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Refs(data), 1u);
}

TEST_F(OleDrag, EffectsAreLimitedToWhatTheSourceAllows) {
  auto script = ToB();
  script.push_back(KvKeyItem(2030, WM_KEYDOWN, VK_CONTROL));
  script.push_back(KvMouseItem(2050, WM_LBUTTONUP, 360, 60));
  EXPECT_EQ(Play(script, DROPEFFECT_MOVE), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_NONE) << "copy asked, only move allowed: nothing dropped";
  EXPECT_EQ(g_log.back(), "B:leave");
}

TEST_F(OleDrag, DropOutsideAnyTargetDropsNothing) {
  const std::vector<KvInputItem> script = {KvMouseItem(2000, WM_MOUSEMOVE, 250, 50),
                                           KvMouseItem(2010, WM_LBUTTONUP, 250, 50)};
  EXPECT_EQ(Play(script), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(g_log, (std::vector<std::string>{"source:go", "A:enter(50,50,L)=2", "source:go", "A:leave",
                                             "source:drop"}));
}

TEST_F(OleDrag, CancelledByEscTheRightButtonOrTheEndOfTheScript) {
  struct Case {
    const char* name;
    std::vector<KvInputItem> end;
  };
  const Case cases[] = {
      {"Esc", {KvKeyItem(2030, WM_KEYDOWN, VK_ESCAPE), KvMouseItem(2040, WM_LBUTTONUP, 360, 60)}},
      {"right button", {KvMouseItem(2030, WM_RBUTTONDOWN, 360, 60), KvMouseItem(2040, WM_LBUTTONUP, 360, 60)}},
      {"script ends", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    SetCursorPos(50, 50);
    KvSetKeyState(VK_LBUTTON, true);
    KvSetKeyState(VK_RBUTTON, false);
    auto script = ToB(KvPendingInput() ? 0 : GetTickCount() + 100);
    script.insert(script.end(), c.end.begin(), c.end.end());
    for (std::size_t i = 3; i < script.size(); ++i) script[i].time = script[2].time + DWORD(10 * (i - 2));
    EXPECT_EQ(Play(script), DRAGDROP_S_CANCEL);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    ASSERT_GE(g_log.size(), 2u);
    EXPECT_EQ(g_log.back(), "B:leave");
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "B:leave"), 1);
    EXPECT_EQ(GetCursor(), kStartCursor);
  }
}

TEST_F(OleDrag, TargetWindowDestroyedOnTheWay) {
  tb.hook = [this](const char* call) {
    if (std::string(call) == "over") DestroyWindow(b);
  };
  auto script = ToB();
  script.push_back(KvMouseItem(2030, WM_MOUSEMOVE, 370, 70));
  script.push_back(KvMouseItem(2040, WM_LBUTTONUP, 370, 70));
  EXPECT_EQ(Play(script), DRAGDROP_S_DROP);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(KvDropTargetCount(), 1u) << "B's registration went with its window";
  EXPECT_EQ(tb.refs, 1u);
  // B was left once its window had gone, and never asked again.
  const std::vector<std::string> tail(g_log.end() - 5, g_log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"source:go", "B:over(360,60,L)=2", "source:go", "B:leave",
                                            "source:drop"}));
}

TEST_F(OleDrag, ThrowingSourceOrTargetEndsTheDragAsUnexpected) {
  struct Case {
    const char* name;
    std::function<void()> arm;
  };
  const Case cases[] = {
      {"source", [this] { source->hook = [] { if (g_log.back() == "B:over(360,60,L)=2") throw std::runtime_error("source"); }; }},
      {"target", [this] { tb.hook = [](const char* call) { if (std::string(call) == "over") throw 7; }; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_log.clear();
    source->hook = nullptr;
    tb.hook = nullptr;
    c.arm();
    SetCursorPos(50, 50);
    KvSetKeyState(VK_LBUTTON, true);
    auto script = ToB(GetTickCount() + 100);
    script.push_back(KvMouseItem(script.back().time + 10, WM_LBUTTONUP, 360, 60));
    EXPECT_EQ(Play(script), E_UNEXPECTED);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(g_log.back(), "B:leave");
    EXPECT_EQ(tb.refs, 2u) << "only the registration holds B";
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetCursor(), kStartCursor);
  }
  tb.hook = nullptr;
  source->hook = nullptr;
}

TEST_F(OleDrag, RegistrationFailures) {
  EXPECT_EQ(RegisterDragDrop(a, &ta), DRAGDROP_E_ALREADYREGISTERED);
  EXPECT_EQ(RegisterDragDrop(child, nullptr), E_INVALIDARG);
  EXPECT_EQ(RevokeDragDrop(child), DRAGDROP_E_NOTREGISTERED);
  EXPECT_EQ(RevokeDragDrop(nullptr), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(RevokeDragDrop(a), S_OK);
  EXPECT_EQ(ta.refs, 1u);
  DestroyWindow(child);
  EXPECT_EQ(RegisterDragDrop(child, &ta), DRAGDROP_E_INVALIDHWND);
  EXPECT_EQ(ta.refs, 1u);
  EXPECT_EQ(DoDragDrop(nullptr, source, DROPEFFECT_MOVE, &effect), E_INVALIDARG);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
  EXPECT_EQ(DoDragDrop(data, nullptr, DROPEFFECT_MOVE, &effect), E_INVALIDARG);
  EXPECT_EQ(DoDragDrop(data, source, DROPEFFECT_MOVE, nullptr), E_INVALIDARG);
}

TEST(OleDragCursor, DefaultCursorsAreDistinctTokens) {
  std::vector<HCURSOR> seen;
  for (DWORD e : {DROPEFFECT_NONE, DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK}) {
    for (DWORD scroll : {0u, DROPEFFECT_SCROLL}) {
      HCURSOR c = KvOleDragCursor(e | scroll);
      EXPECT_EQ(std::count(seen.begin(), seen.end(), c), 0);
      seen.push_back(c);
    }
  }
}

}  // namespace
