// Exporting a large diagram: 10,000 text boxes on a 100 x 100 grid (the
// host's box symbol: rectangles, rounded rectangles and ellipses with fills,
// hatches, gradients, shadows and a label each) written to an SVG document,
// to a PNG file at 96 pixels per inch and to a PDF page the size of the
// drawing.
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
#include <memory>
#include <string>
#include <vector>

#include "bench/exportscene.h"
#include "sym/render/symexport.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 100;  // boxes per row and per column

// The diagram, built once for the process.
class BenchDiagram {
 public:
  BenchDiagram() : m_session(new SRepSession()) {
    m_session->AddRef();
    m_scene = std::make_unique<SBenchScene>(m_session, kSide * kSide, kSide);
  }
  ~BenchDiagram() {
    m_scene.reset();
    m_session->Release();
  }
  void Draw(SSymCanvas& canvas) const {
    for (SHostBox* b : m_scene->boxes) b->Draw(canvas);
  }
  const SSymRect& Extent() const { return m_scene->extent; }

 private:
  SRepSession* m_session;
  std::unique_ptr<SBenchScene> m_scene;
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
    const SString path(file.string());
    const HRESULT hr = file.extension() == ".pdf" ? SBenchExportPdf(path, draw, d.Extent(), &error)
                                                  : SSymExportImage(path, draw, d.Extent(), 1, &error);
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
void BM_ExportPdf(benchmark::State& state) { Export(state, "diagram.pdf"); }

BENCHMARK(BM_ExportSvg)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportPng)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExportPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
