// Whole-process export for the export comparison: builds N text boxes (the
// host's box symbol with shadows, fills, hatches, gradients and a label) on
// a square grid and writes them to an SVG, PNG or PDF file (by its
// extension). A PDF is printed on one page the size of the drawing, without
// margins, frame, header or footer, at 96 dots per inch (the resolution of
// the PNG): the same picture as the other formats.
// With --plain the boxes have one-pixel solid outlines and solid fills only.
//   kvexport [--plain] <boxes> <file>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/exportscene.h"
#include "sym/render/symexport.h"

int main(int argc, char** argv) {
  const bool plain = argc > 1 && std::strcmp(argv[1], "--plain") == 0;
  if (plain) {
    --argc;
    ++argv;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: kvexport [--plain] <boxes> <file.svg|file.png|file.pdf>\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  if (n <= 0) return 2;
  const std::string file = argv[2];
  const bool pdf = file.size() > 4 && file.compare(file.size() - 4, 4, ".pdf") == 0;
  auto* session = new SRepSession();
  session->AddRef();
  SString error;
  HRESULT hr;
  {
    SBenchScene scene(session, n, 0, plain);
    const SSymExportDraw draw = [&scene](SSymCanvas& canvas) {
      for (SHostBox* b : scene.boxes) b->Draw(canvas);
    };
    if (pdf) {
      hr = SBenchExportPdf(SString(argv[2]), draw, scene.extent, &error);
    } else {
      hr = SSymExportImage(SString(argv[2]), draw, scene.extent, 1, &error);
    }
  }
  session->Release();
  if (hr != S_OK) {
    std::fprintf(stderr, "kvexport: %s\n", error.ToUtf8().c_str());
    return 1;
  }
  return 0;
}
