// Whole-process export for the export comparison: builds N text boxes (the
// host's box symbol with shadows, fills, hatches, gradients and a label) on
// a square grid and writes them to an SVG or PNG file (by its extension).
//   kvexport <boxes> <file>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/exportscene.h"
#include "sym/render/symexport.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kvexport <boxes> <file.svg|file.png>\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  if (n <= 0) return 2;
  auto* session = new SRepSession();
  session->AddRef();
  SString error;
  HRESULT hr;
  {
    SBenchScene scene(session, n);
    const SSymExportDraw draw = [&scene](SSymCanvas& canvas) {
      for (SHostBox* b : scene.boxes) b->Draw(canvas);
    };
    hr = SSymExportImage(SString(argv[2]), draw, scene.extent, 1, &error);
  }
  session->Release();
  if (hr != S_OK) {
    std::fprintf(stderr, "kvexport: %s\n", error.ToUtf8().c_str());
    return 1;
  }
  return 0;
}
