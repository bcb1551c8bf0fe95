// A tiny user of the installed library: reads the library's metamodel,
// finds one of its persistent classes in the repository's registry and
// writes a drawing of two rectangles and a caption as an SVG file.
//
//   consumer <file.svg>      exits 0 when all three worked
#include <cstdio>

#include "kvrep/srepregistry.h"
#include "sym/foundation/symmetadata.h"
#include "sym/render/symcanv.h"
#include "sym/render/symexport.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: consumer <file.svg>\n");
    return 2;
  }
  const SResourceBytes metadata = SSymGetMetadata();
  if (!metadata || metadata.size == 0) {
    std::fprintf(stderr, "consumer: the library has no metamodel\n");
    return 1;
  }
  // The first persistent class of the library (the symbol base).
  if (!SRepRegistry::Find(MakeGUID("{36083F59-1A49-11D1-83D9-444553540000}"))) {
    std::fprintf(stderr, "consumer: the library registered no classes\n");
    return 1;
  }
  const SSymRect area(0, 7200, 14400, 0);
  SString message;
  const HRESULT hr = SSymExportImage(
      SString::FromUtf8(argv[1]),
      [](SSymCanvas& canvas) {
        canvas.Rectangle(SSymRect(720, 6480, 6480, 720));
        canvas.Rectangle(SSymRect(7920, 6480, 13680, 720));
      },
      area, 1, &message);
  if (hr != S_OK) {
    std::fprintf(stderr, "consumer: export failed: %s\n", message.ToUtf8().c_str());
    return 1;
  }
  std::printf("consumer: metamodel of %u bytes, drawing written to %s\n", static_cast<unsigned>(metadata.size),
              argv[1]);
  return 0;
}
