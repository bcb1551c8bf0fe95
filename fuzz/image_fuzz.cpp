// Feeds arbitrary bytes to the image readers (PNG, BMP, packed DIB, icon and
// cursor files) and to the GDI+ bitmap made from bytes. A crash, an over-read
// or undefined behaviour is a failure; a refused image is not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "win/gdiplus.h"
#include "win/image.h"
#include "win/imageicon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  KvImage im;
  if (KvReadImage(data, size, im)) {
    if (im.px.size() != static_cast<std::size_t>(im.width) * static_cast<std::size_t>(im.height)) std::abort();
    std::vector<std::uint8_t> png;
    if (im.width <= 256 && im.height <= 256 && !KvWritePng(im, png)) std::abort();
  }
  KvReadPackedDib(data, size, true, im);
  std::vector<KvIconEntry> entries;
  if (KvReadIco(data, size, entries)) {
    HICON icon = KvCreateIconFromFileBytes(data, size, 32, 32, 32);
    if (icon) {
      Gdiplus::Bitmap b(icon);
      Gdiplus::Color c;
      b.GetPixel(0, 0, &c);
      KvDestroyIcon(icon);
    }
  }
  Gdiplus::Bitmap b(data, size);
  if (b.GetLastStatus() == Gdiplus::Ok) {
    Gdiplus::Color c;
    b.GetPixel(static_cast<INT>(b.GetWidth()) - 1, static_cast<INT>(b.GetHeight()) - 1, &c);
  }
  return 0;
}
