// Feeds arbitrary bytes, as UTF-8 text, to the RTF reader, then lays the
// document out and draws it: plain text and the first character format,
// extents at a few widths, a formatted range rendered into a raster
// context, and the canvas's RTF text drawn on a bitmap and recorded as a
// metafile. A crash, an over-read or undefined behaviour is a failure, as
// is a layout that answers a position outside the text.
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
  if (size > 4096) return 0;  // long texts only take longer to lay out
  static HDC raster = [] {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(CreateCompatibleBitmap(screen, 64, 64)));
    ReleaseDC(nullptr, screen);
    return dc;
  }();
  const SString rtf = SString::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  SRtfDocument doc(rtf);
  const int length = doc.GetTextLength();
  (void)doc.RtfToText();
  (void)SRtfDocument::RtfToText(rtf);
  for (int width : {0, 40, 400}) {
    const SIZE ext = doc.GetExtent(raster, width);
    Check(ext.cx >= 0 && ext.cy >= 0);
  }
  const RECT box{0, 0, 1440, 1440}, page{0, 0, 1440, 2880};
  int at = 0;
  for (int pass = 0; pass < 4 && at < length; ++pass) {
    const int next = doc.FormatRange(raster, raster, box, page, at, -1, TRUE);
    Check(next >= at && next <= length);
    if (next == at) break;
    at = next;
  }
  doc.FormatRange(nullptr, nullptr, box, page, 0, -1, FALSE);

  // Through the canvas: drawn on a bitmap, then recorded as a metafile.
  SSymCanvasBitmap canvas;
  const SSymRect area(0, 2400, 4800, 0);
  canvas.Lock(area);
  int end = 0;
  canvas.DrawRtfText(SSymRect(100, 2300, 4700, 100), rtf, 0, -1, &end);
  (void)canvas.GetRTFTextExtent(rtf, 3000, 0, 0);
  (void)canvas.GetRTFTextLength(rtf, 3000, 1200, 0);
  SMetaFile mf;
  canvas.RTFToEMF(mf, rtf, SSymRect(0, 1200, 2400, 0), 0, -1, &end, nullptr);
  canvas.Unlock(nullptr);
  return 0;
}
