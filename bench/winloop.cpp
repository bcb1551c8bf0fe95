// The headless window system: 1,000,000 posted messages dispatched through
// the loop to a window procedure, and a full 1920 x 1080 window painted
// (invalidated, erased by the class brush, filled and outlined) per pass.
#include <benchmark/benchmark.h>

#include "win/wingdi.h"
#include "win/winuser.h"

namespace {

long g_seen = 0;

LRESULT CountingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) {
    g_seen += long(w);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

LRESULT PaintingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m != WM_PAINT) return DefWindowProcW(h, m, w, l);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  HBRUSH fill = CreateSolidBrush(RGB(120, 200, 255));
  for (int i = 0; i < 100; ++i) {
    const int x = (i * 97) % 1800, y = (i * 61) % 1000;
    RECT r{x, y, x + 120, y + 80};
    FillRect(dc, &r, fill);
    Rectangle(dc, x + 10, y + 10, x + 110, y + 70);
  }
  DeleteObject(fill);
  EndPaint(h, &ps);
  return 0;
}

HWND MakeWindow(const char16_t* cls, WNDPROC proc, int cx, int cy) {
  KvWindowsReset();
  WNDCLASSW wc{};
  wc.lpfnWndProc = proc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_WINDOW + 1));
  wc.lpszClassName = cls;
  RegisterClassW(&wc);
  return CreateWindowExW(0, cls, nullptr, WS_VISIBLE, 0, 0, cx, cy, nullptr, nullptr, nullptr, nullptr);
}

void PostedMessages(benchmark::State& state) {
  HWND h = MakeWindow(u"Counting", &CountingProc, 100, 100);
  UpdateWindow(h);
  constexpr long kCount = 1000000;
  for (auto _ : state) {
    g_seen = 0;
    for (long i = 0; i < kCount; ++i) PostMessageW(h, WM_USER, 1, 0);
    MSG m;
    while (g_seen < kCount && GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    benchmark::DoNotOptimize(g_seen);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  KvWindowsReset();
}
BENCHMARK(PostedMessages)->Unit(benchmark::kMillisecond);

void PaintFullHd(benchmark::State& state) {
  HWND h = MakeWindow(u"Painting", &PaintingProc, 1920, 1080);
  for (auto _ : state) {
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
  }
  KvClearInvalidationLog();
  KvWindowsReset();
}
BENCHMARK(PaintFullHd)->Unit(benchmark::kMillisecond);

}  // namespace
