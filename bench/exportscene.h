// The export benchmarks' scene: N text boxes (the host's box symbol as
// rectangles, rounded rectangles and ellipses with fills, hatches, gradients,
// shadows and a label each) on a square grid. One builder, so the in-process
// benchmark and the whole-process comparison draw the same diagram. A plain
// scene has the same shapes and labels with one-pixel solid outlines and
// solid fills only (no shadows, hatches or gradients): what a peer draws
// exactly alike.
#pragma once

#include <cmath>
#include <vector>

#include "apps/symhost/hostsymbols.h"
#include "kvcore/sprintercache.h"
#include "kvrep/srepsession.h"
#include "sym/render/symexport.h"

struct SBenchScene {
  static constexpr LONG kBoxW = 2400, kBoxH = 1800, kGap = 600;
  std::vector<SHostBox*> boxes;  // each holds one reference
  SSymRect extent;

  // Builds n boxes in `session`, `side` to a row (0: the square root, rounded up).
  SBenchScene(SRepSession* session, int n, int side = 0, bool plain = false) {
    if (side <= 0) side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
    const DWORD fills[] = {RGB(0xDD, 0xEB, 0xF7), RGB(0xFF, 0xF2, 0xCC), RGB(0xE2, 0xF0, 0xD9), RGB(0xF4, 0xB1, 0x83)};
    const SHostBox::Shape shapes[] = {SHostBox::Rect, SHostBox::RoundRect, SHostBox::Ellipse};
    for (int i = 0; i < n; ++i) {
      const LONG x = (i % side) * (kBoxW + kGap), y = -(i / side) * (kBoxH + kGap);
      auto* b = new SHostBox(session, SSymRect(x, y, x + kBoxW, y - kBoxH), shapes[i % 3]);
      b->AddRef();
      b->SetSession(session);
      b->SetPen(SSymPen(plain ? SSymPen::Solid : 1 + i % 5, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
      SSymBrush brush{SSymColor(fills[i % 4])};
      if (plain) {
        b->SetBrush(brush, 0);
        b->SetShadowStyle(0, 0);
        Label(b, i);
        continue;
      }
      if (i % 7 == 3) brush = SSymBrush(1 + i % 6, SSymColor(fills[i % 4]));  // hatched
      if (i % 5 == 2) {                                                        // gradient, linear or radial
        brush = SSymBrush(SSymBrush::Gradient, 0, SSymColor(RGB(0xFF, 0xFF, 0xFF)));
        brush.m_endColor = SSymColor(fills[i % 4]);
        brush.m_gradientMode = i % 2 ? 0x21 : 0x205;
      }
      b->SetBrush(brush, 0);
      b->SetShadowStyle(static_cast<SHORT>(i % 4), 0);
      Label(b, i);
    }
    const int rows = (n + side - 1) / side;
    extent = SSymRect(-1800, 1800, side * (kBoxW + kGap) + 1800, -rows * (kBoxH + kGap) - 1800);
  }
  ~SBenchScene() {
    for (SHostBox* b : boxes) b->Release();
  }
  SBenchScene(const SBenchScene&) = delete;
  // "N<i>" in Arial 7 (bold every eleventh box), centred; the box is kept.
  void Label(SHostBox* b, int i) {
    b->SetText(SString::Format("N%d", i), 0);
    b->SetFont(SSymFont(SString(u"Arial"), 7, i % 11 == 0 ? SSymFont::Bold : SSymFont::Normal), 0);
    b->SetTextStyle(0x122, 0);
    boxes.push_back(b);
  }
  SBenchScene& operator=(const SBenchScene&) = delete;
};

// Prints `draw` over `extent` to the PDF file `path` on one page the size of
// the drawing, without margins, frame, header or footer, at 96 dots per inch
// (the resolution of the PNG export): the same picture as the other formats.
inline HRESULT SBenchExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& extent,
                               SString* error) {
  SPrinterCache printer;
  SSymRect area = extent;
  area.Normalize();
  // Diagram points are 1/7200 inch, the page is in 1/1000 inch.
  printer.SetPageSize(POINT{(area.x2 - area.x1 + 1) * 10 / 72 + 1, (area.y1 - area.y2 + 1) * 10 / 72 + 1});
  printer.SetMargins(RECT{0, 0, 0, 0});
  printer.SetPrintQuality(96);
  SSymPrintData data;
  data.m_bFrame = 0;
  return SSymExportPdf(path, draw, extent, 1, data, printer, SString(), SString(), error);
}
