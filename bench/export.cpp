// Exporting a large diagram: 10,000 text boxes on a 100 x 100 grid (the
// host's box symbol: rectangles, rounded rectangles and ellipses with fills,
// hatches, gradients, shadows and a label each) written to an SVG document
// and to a PNG file at 96 pixels per inch.
//
// Counters: the peak resident memory of the process during the export
// (peak_MB; the peak mark is reset before each run where the system allows
// it), the resident memory before the export (base_MB) and the size of the
// file written (file_MB).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "apps/symhost/hostsymbols.h"
#include "sym/render/symexport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 100;  // boxes per row and per column
constexpr LONG kBoxW = 2400, kBoxH = 1800, kGap = 600;

// The diagram, built once for the process.
class BenchDiagram {
 public:
  BenchDiagram() : m_session(new SRepSession()) {
    m_session->AddRef();
    const DWORD fills[] = {RGB(0xDD, 0xEB, 0xF7), RGB(0xFF, 0xF2, 0xCC), RGB(0xE2, 0xF0, 0xD9), RGB(0xF4, 0xB1, 0x83)};
    const SHostBox::Shape shapes[] = {SHostBox::Rect, SHostBox::RoundRect, SHostBox::Ellipse};
    for (int i = 0; i < kSide * kSide; ++i) {
      const LONG x = (i % kSide) * (kBoxW + kGap), y = -(i / kSide) * (kBoxH + kGap);
      auto* b = new SHostBox(m_session, SSymRect(x, y, x + kBoxW, y - kBoxH), shapes[i % 3]);
      b->AddRef();
      b->SetSession(m_session);
      b->SetPen(SSymPen(1 + i % 5, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
      SSymBrush brush(SSymColor(fills[i % 4]));
      if (i % 7 == 3) brush = SSymBrush(1 + i % 6, SSymColor(fills[i % 4]));  // hatched
      if (i % 5 == 2) {                                                        // gradient, linear or radial
        brush = SSymBrush(SSymBrush::Gradient, 0, SSymColor(RGB(0xFF, 0xFF, 0xFF)));
        brush.m_endColor = SSymColor(fills[i % 4]);
        brush.m_gradientMode = i % 2 ? 0x21 : 0x205;
      }
      b->SetBrush(brush, 0);
      b->SetShadowStyle(static_cast<SHORT>(i % 4), 0);
      b->SetText(SString::Format("N%d", i), 0);
      b->SetFont(SSymFont(SString(u"Arial"), 7, i % 11 == 0 ? SSymFont::Bold : SSymFont::Normal), 0);
      b->SetTextStyle(0x122, 0);
      m_boxes.push_back(b);
    }
    m_extent = SSymRect(-1800, 1800, kSide * (kBoxW + kGap) + 1800, -kSide * (kBoxH + kGap) - 1800);
  }
  ~BenchDiagram() {
    for (SHostBox* b : m_boxes) b->Release();
    m_session->Release();
  }
  void Draw(SSymCanvas& canvas) const {
    for (SHostBox* b : m_boxes) b->Draw(canvas);
  }
  const SSymRect& Extent() const { return m_extent; }

 private:
  SRepSession* m_session;
  std::vector<SHostBox*> m_boxes;
  SSymRect m_extent;
};

// Resident memory in MB from /proc/self/status ("VmRSS:" or "VmHWM:"), or
// from getrusage for the peak when the file cannot be read.
double StatusMB(const char* key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key, 0) == 0) return std::strtod(line.c_str() + std::strlen(key), nullptr) / 1024.0;
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return static_cast<double>(ru.ru_maxrss) / 1024.0;
}
// Resets the peak-resident mark of the process (Linux 4.0 and later).
void ResetPeak() {
  if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", f);
    std::fclose(f);
  }
}

const BenchDiagram& Diagram() {
  static BenchDiagram d;
  return d;
}

void Export(benchmark::State& state, const char* name) {
  const BenchDiagram& d = Diagram();
  const fs::path dir = fs::temp_directory_path() / ("kv_bench_export_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path file = dir / name;
  const SSymExportDraw draw = [&d](SSymCanvas& canvas) { d.Draw(canvas); };
  double peak = 0, base = 0;
  for (auto _ : state) {
    base = StatusMB("VmRSS:");
    ResetPeak();
    SString error;
    const HRESULT hr = SSymExportImage(SString(file.string()), draw, d.Extent(), 1, &error);
    peak = std::max(peak, StatusMB("VmHWM:"));
    if (hr != S_OK) {
      state.SkipWithError(("export failed: " + error.ToUtf8()).c_str());
      break;
    }
  }
  std::error_code ec;
  state.counters["symbols"] = kSide * kSide;
  state.counters["base_MB"] = base;
  state.counters["peak_MB"] = peak;
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file, ec)) / (1024.0 * 1024.0);
  fs::remove_all(dir, ec);
}

void BM_ExportSvg(benchmark::State& state) { Export(state, "diagram.svg"); }
void BM_ExportPng(benchmark::State& state) { Export(state, "diagram.png"); }

BENCHMARK(BM_ExportSvg)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
