// Drag and drop: one drag of 1,000 scripted mouse moves back and forth
// between two windows with drop targets, each move asking the target under
// the point and the source, ending with the drop.
#include <benchmark/benchmark.h>

#include <vector>

#include "kvcore/sdataobject.h"
#include "win/winoledata.h"

namespace {

// Answers move everywhere; counts what it is asked.
class CountingTarget final : public IDropTarget {
 public:
  long calls = 0;
  HRESULT QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT DragEnter(IDataObject*, DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
  HRESULT DragOver(DWORD, POINTL, DWORD* effect) override { return Answer(effect); }
  HRESULT DragLeave() override {
    ++calls;
    return S_OK;
  }
  HRESULT Drop(IDataObject*, DWORD, POINTL, DWORD* effect) override { return Answer(effect); }

 private:
  HRESULT Answer(DWORD* effect) {
    ++calls;
    *effect &= DROPEFFECT_MOVE;
    return S_OK;
  }
};

void DragBetweenTwoWindows(benchmark::State& state) {
  KvWindowsReset();
  WNDCLASSW wc{};
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = u"DragBench";
  RegisterClassW(&wc);
  HWND a = CreateWindowExW(0, u"DragBench", nullptr, WS_VISIBLE, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExW(0, u"DragBench", nullptr, WS_VISIBLE, 500, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
  CountingTarget ta, tb;
  RegisterDragDrop(a, &ta);
  RegisterDragDrop(b, &tb);
  SDataObject* data = SDataObject::Create();
  data->SetGlobal(CF_TEXT, "moved", 6);
  SDropSource* source = SDropSource::Create();
  constexpr int kMoves = 1000;
  std::vector<KvInputItem> script;
  for (auto _ : state) {
    state.PauseTiming();
    script.clear();
    const DWORD t0 = GetTickCount() + 1;
    for (int i = 0; i < kMoves; ++i) {
      const int x = (i / 50) % 2 ? 600 + i % 50 : 100 + i % 50;  // 50 moves in one window, then the other
      script.push_back(KvMouseItem(t0 + DWORD(i), WM_MOUSEMOVE, x, 100 + i % 100));
    }
    script.push_back(KvMouseItem(t0 + kMoves, WM_LBUTTONUP, 650, 150));
    KvPlayInput(script);
    SetCursorPos(100, 100);
    KvSetKeyState(VK_LBUTTON, true);
    state.ResumeTiming();
    DWORD effect = 0;
    benchmark::DoNotOptimize(DoDragDrop(data, source, DROPEFFECT_MOVE | DROPEFFECT_COPY, &effect));
    benchmark::DoNotOptimize(effect);
  }
  state.SetItemsProcessed(state.iterations() * kMoves);
  source->Release();
  data->Release();
  KvWindowsReset();
}
BENCHMARK(DragBetweenTwoWindows)->Unit(benchmark::kMillisecond);

}  // namespace
