// The tools' fixtures: an editing window in the test frame, a copy of its
// window surface (what the user sees) to compare before and after feedback
// was drawn, and a tool that drags a tracker through the window's mouse
// capture and takes it away at the end, as every dragging tool does.
#pragma once

#include <cairo.h>

#include <cstring>
#include <functional>
#include <vector>

#include "kvcore/sdlg.h"
#include "kvcore/sexceptiondlg.h"
#include "support/view_fixture.h"
#include "sym/edit/symviewedit.h"
#include "sym/tools/symtracker.h"

// A copy of a window's pixels.
inline std::vector<unsigned char> SurfaceBytes(HWND hwnd) {
  cairo_surface_t* s = KvWindowSurface(hwnd);
  if (!s) return {};
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const std::size_t n =
      static_cast<std::size_t>(cairo_image_surface_get_stride(s)) * static_cast<std::size_t>(cairo_image_surface_get_height(s));
  return data ? std::vector<unsigned char>(data, data + n) : std::vector<unsigned char>{};
}

// Drags a tracker: made at the start of the capture, fed every point, and
// hidden and deleted at the drop or the cancel. Keeps the points the
// tracker accepted and, for a rectangle, its last rectangle.
class TTrackTool : public ISSymViewCapture {
 public:
  explicit TTrackTool(std::function<SSymTrackerBase*(const SSymPoint&)> m) : make(std::move(m)) {}
  ~TTrackTool() override { delete tracker; }
  int CaptureStart(SMouseFlags, const SSymPoint& p) override {
    tracker = make(p);
    return tracker != nullptr;
  }
  int CaptureOver(SMouseFlags f, const SSymPoint& p) override {
    if (tracker) accepted.push_back(tracker->TrackTo(p, f));
    return 1;
  }
  DWORD CaptureQueryContinue(UINT message, SMouseFlags, const SSymPoint&) override {
    if (query) return query(message);
    return message == WM_LBUTTONUP ? Drop : message == WM_RBUTTONDOWN ? Cancel : Continue;
  }
  void CapturePreScroll() override {
    if (tracker) tracker->Hide();
  }
  void CapturePostScroll() override {
    if (tracker) tracker->Show();
  }
  void CaptureCancel() override {
    ++cancels;
    End();
  }
  void CaptureDrop(SMouseFlags, const SSymPoint&) override {
    ++drops;
    End();
  }

  std::function<SSymTrackerBase*(const SSymPoint&)> make;
  std::function<DWORD(UINT)> query;  // the answer to each message (the shared rule when unset)
  SSymTrackerBase* tracker = nullptr;
  std::vector<SSymPoint> accepted;
  SSymRect last;
  int drops = 0;
  int cancels = 0;

 private:
  void End() {
    if (!tracker) return;
    if (auto* r = dynamic_cast<SSymTrackerRect*>(tracker)) last = r->GetRect();
    tracker->Hide();
    delete tracker;
    tracker = nullptr;
  }
};

class ToolsFixture : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    SExceptionDialog::SetQuiet(true);
  }
  void TearDown() override {
    SExceptionDialog::SetQuiet(false);
    ViewFixture::TearDown();
  }
  // An editing window in the frame, bound to the diagram, active and drawn.
  SSymViewEdit* OpenEdit(int cx = 400, int cy = 300) {
    auto* v = new SSymViewEdit();
    EXPECT_TRUE(v->CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE, RECT{0, 0, cx, cy}, SWnd::FromHandle(m_frame), 7));
    v->SetDiagram(m_diagram->Diagram());
    v->OnActivate(1);
    v->SetFocus();
    ::UpdateWindow(v->GetSafeHwnd());
    return v;
  }
  static SSymPoint Logical(SSymView* v, POINT client) { return v->GetCanvas().DPtoVP(client); }
  // Presses the left button at `from`, plays the script (milliseconds after
  // the press, client points) and runs the tool's capture.
  static DWORD Drag(SSymView* v, ISSymViewCapture& tool, POINT from, const std::vector<KvInputItem>& script) {
    PressAt(v, from);
    const DWORD pressed = GetTickCount();
    std::vector<KvInputItem> items = script;
    for (KvInputItem& i : items) {
      i.time += pressed;
      if (i.message >= WM_MOUSEFIRST && i.message <= WM_MBUTTONDBLCLK) {
        i.pt = Screen(v, i.pt);
      }
    }
    EXPECT_TRUE(KvPlayInput(items));
    const DWORD result = v->CaptureMouse(&tool, 0);
    KvClearInput();
    return result;
  }
};

// An editing window opened over the fixture's diagram, for dialogs run from
// it; the queued dialog answers and the calls recorded are cleared before
// and after each test.
class EditDialogFixture : public ToolsFixture {
 protected:
  void SetUp() override {
    ToolsFixture::SetUp();
    KvDialogReset();
    m_view = OpenEdit();
  }
  void TearDown() override {
    KvDialogReset();
    ToolsFixture::TearDown();
  }
  SSymViewEdit* m_view = nullptr;
};
