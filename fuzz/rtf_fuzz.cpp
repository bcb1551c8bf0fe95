// Feeds arbitrary bytes, as UTF-8 text, to the RTF reader, then lays the
// document out and draws it. Laying out is what costs (every line is
// measured glyph by glyph, the ranges by bisection), so each input takes
// one way through it, picked by its last byte, and the rest is the text:
// 0 the reader alone (plain text, both ways), 1 extents at a few widths,
// 2 formatted ranges rendered into a raster context, 3 the canvas's RTF
// text drawn on a bitmap and measured, 4 the same recorded as a metafile.
// A crash, an over-read or undefined behaviour is a failure, as is a layout
// that answers a position outside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "kvcore/spicture.h"
#include "kvcore/srtfdocument.h"
#include "sym/render/symcanvbitmap.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 4096) return 0;  // long texts only take longer to lay out
  static HDC raster = [] {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(CreateCompatibleBitmap(screen, 64, 64)));
    ReleaseDC(nullptr, screen);
    return dc;
  }();
  const int way = data[size - 1] % 5;
  const SString rtf = SString::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size - 1));
  SRtfDocument doc(rtf);
  const int length = doc.GetTextLength();
  Check(length >= 0);
  if (way == 0) {
    (void)doc.RtfToText();
    (void)SRtfDocument::RtfToText(rtf);
    return 0;
  }
  if (way == 1) {
    for (int width : {0, 40, 400}) {
      const SIZE ext = doc.GetExtent(raster, width);
      Check(ext.cx >= 0 && ext.cy >= 0);
    }
    return 0;
  }
  const RECT box{0, 0, 1440, 1440}, page{0, 0, 1440, 2880};
  if (way == 2) {
    int at = 0;
    for (int pass = 0; pass < 4 && at < length; ++pass) {
      const int next = doc.FormatRange(raster, raster, box, page, at, -1, TRUE);
      Check(next >= at && next <= length);
      if (next == at) break;
      at = next;
    }
    doc.FormatRange(nullptr, nullptr, box, page, 0, -1, FALSE);
    return 0;
  }

  // Through the canvas: drawn on a bitmap, or recorded as a metafile.
  SSymCanvasBitmap canvas;
  const SSymRect area(0, 2400, 4800, 0);
  canvas.Lock(area);
  int end = 0;
  if (way == 3) {
    canvas.DrawRtfText(SSymRect(100, 2300, 4700, 100), rtf, 0, -1, &end);
    (void)canvas.GetRTFTextExtent(rtf, 3000, 0, 0);
    (void)canvas.GetRTFTextLength(rtf, 3000, 1200, 0);
  } else {
    SMetaFile mf;
    canvas.RTFToEMF(mf, rtf, SSymRect(0, 1200, 2400, 0), 0, -1, &end, nullptr);
  }
  canvas.Unlock(nullptr);
  return 0;
}
