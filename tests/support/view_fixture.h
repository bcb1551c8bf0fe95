// A diagram window in a frame of the headless window system, for tests that
// zoom, scroll and drag; and a tool that records what a mouse capture calls
// it back with and answers as a test tells it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/diagram_fixture.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfcapture.h"
#include "win/winuser.h"

class ViewFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    KvWindowsReset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = &DefWindowProcW;
    wc.lpszClassName = u"TestViewFrame";
    RegisterClassW(&wc);
    m_frame = CreateWindowExW(0, u"TestViewFrame", u"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                              nullptr, nullptr, nullptr, nullptr);
    m_diagram = NewDiagram<SSymDiagram>();
  }
  void TearDown() override {
    KvWindowsReset();
    DiagramFixture::TearDown();
  }
  // A view window of the client size given, bound to the diagram, allowed
  // to erase, with the focus.
  SSymView* OpenView(DWORD style = WS_CHILD | WS_VISIBLE, int cx = 400, int cy = 300) {
    auto* v = new SSymView();
    EXPECT_TRUE(v->CreateEx(0, nullptr, u"", style, RECT{0, 0, cx, cy}, SWnd::FromHandle(m_frame), 7));
    v->SetDiagram(m_diagram->Diagram());
    v->SetState(v->GetState() | SSymView::StateAllowErase);
    v->SetFocus();
    v->ClearInvalidations();
    return v;
  }
  // A client point of the view in screen coordinates (input scripts use them).
  static POINT Screen(SSymView* v, POINT client) {
    ClientToScreen(v->GetSafeHwnd(), &client);
    return client;
  }
  // Plays a press of the left button at a client point and takes it, as the
  // tool's mouse handler would have, so that the capture starts there.
  static void PressAt(SSymView* v, POINT client) {
    const POINT s = Screen(v, client);
    ASSERT_TRUE(KvPlayInput({KvMouseItem(GetTickCount(), WM_LBUTTONDOWN, s.x, s.y)}));
    MSG m{};
    // (A second press soon after comes as a double click.)
    ASSERT_TRUE(PeekMessageW(&m, v->GetSafeHwnd(), WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, PM_REMOVE));
  }
  SSymDiagram* m_diagram = nullptr;
  HWND m_frame = nullptr;
};

// What a capture called, in order: "start", "over", "query", "pre", "post",
// "drop", "cancel", each with the message (query), flags and point given.
struct TCaptureCall {
  std::string what;
  UINT message = 0;
  UINT flags = 0;
  SSymPoint point;
  DWORD time = 0;  // the virtual clock at the call
};

class TCaptureTool : public ISSymViewCapture {
 public:
  int CaptureOver(SMouseFlags f, const SSymPoint& p) override {
    Note("over", 0, f, p);
    return over ? over(p) : 1;
  }
  DWORD CaptureQueryContinue(UINT message, SMouseFlags f, const SSymPoint& p) override {
    Note("query", message, f, p);
    if (query) return query(message);
    // The answers of the shape tools: the left button's release drops, the
    // right button cancels.
    return message == WM_LBUTTONUP ? Drop : message == WM_RBUTTONDOWN ? Cancel : Continue;
  }
  int CaptureStart(SMouseFlags f, const SSymPoint& p) override {
    Note("start", 0, f, p);
    return start;
  }
  void CapturePreScroll() override { Note("pre", 0, SMouseFlags(0), SSymPoint()); }
  void CapturePostScroll() override { Note("post", 0, SMouseFlags(0), SSymPoint()); }
  void CaptureCancel() override { Note("cancel", 0, SMouseFlags(0), SSymPoint()); }
  void CaptureDrop(SMouseFlags f, const SSymPoint& p) override { Note("drop", 0, f, p); }

  // The names of the calls, in order.
  std::vector<std::string> Names() const {
    std::vector<std::string> out;
    for (const TCaptureCall& c : calls) out.push_back(c.what);
    return out;
  }
  int Count(const std::string& what, UINT message = 0) const {
    int n = 0;
    for (const TCaptureCall& c : calls) n += c.what == what && (!message || c.message == message);
    return n;
  }

  std::vector<TCaptureCall> calls;
  int start = 1;
  std::function<int(const SSymPoint&)> over;  // CaptureOver's answer (1 when unset)
  std::function<DWORD(UINT)> query;           // CaptureQueryContinue's answer

 private:
  void Note(const char* what, UINT message, const SMouseFlags& f, const SSymPoint& p) {
    calls.push_back(TCaptureCall{what, message, f.GetFlags(), p, GetTickCount()});
  }
};
