// Whole-process export for the export comparison: builds N text boxes (the
// host's box symbol with shadows, fills, hatches, gradients and a label) on
// a square grid and writes them to an SVG or PNG file (by its extension).
//   kvexport <boxes> <file>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "apps/symhost/hostsymbols.h"
#include "kvrep/srepsession.h"
#include "sym/render/symexport.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: kvexport <boxes> <file.svg|file.png>\n");
    return 2;
  }
  const int n = std::atoi(argv[1]);
  if (n <= 0) return 2;
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(n))));
  constexpr LONG kBoxW = 2400, kBoxH = 1800, kGap = 600;
  auto* session = new SRepSession();
  session->AddRef();
  const DWORD fills[] = {RGB(0xDD, 0xEB, 0xF7), RGB(0xFF, 0xF2, 0xCC), RGB(0xE2, 0xF0, 0xD9), RGB(0xF4, 0xB1, 0x83)};
  const SHostBox::Shape shapes[] = {SHostBox::Rect, SHostBox::RoundRect, SHostBox::Ellipse};
  std::vector<SHostBox*> boxes;
  for (int i = 0; i < n; ++i) {
    const LONG x = (i % side) * (kBoxW + kGap), y = -(i / side) * (kBoxH + kGap);
    auto* b = new SHostBox(session, SSymRect(x, y, x + kBoxW, y - kBoxH), shapes[i % 3]);
    b->AddRef();
    b->SetSession(session);
    b->SetPen(SSymPen(1 + i % 5, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
    SSymBrush brush(SSymColor(fills[i % 4]));
    if (i % 7 == 3) brush = SSymBrush(1 + i % 6, SSymColor(fills[i % 4]));
    if (i % 5 == 2) {
      brush = SSymBrush(SSymBrush::Gradient, 0, SSymColor(RGB(0xFF, 0xFF, 0xFF)));
      brush.m_endColor = SSymColor(fills[i % 4]);
      brush.m_gradientMode = i % 2 ? 0x21 : 0x205;
    }
    b->SetBrush(brush, 0);
    b->SetShadowStyle(static_cast<SHORT>(i % 4), 0);
    b->SetText(SString::Format("N%d", i), 0);
    b->SetFont(SSymFont(SString(u"Arial"), 7, i % 11 == 0 ? SSymFont::Bold : SSymFont::Normal), 0);
    b->SetTextStyle(0x122, 0);
    boxes.push_back(b);
  }
  const int rows = (n + side - 1) / side;
  const SSymRect extent(-1800, 1800, side * (kBoxW + kGap) + 1800, -rows * (kBoxH + kGap) - 1800);
  const SSymExportDraw draw = [&boxes](SSymCanvas& canvas) {
    for (SHostBox* b : boxes) b->Draw(canvas);
  };
  SString error;
  const HRESULT hr = SSymExportImage(SString(argv[2]), draw, extent, 1, &error);
  for (SHostBox* b : boxes) b->Release();
  session->Release();
  if (hr != S_OK) {
    std::fprintf(stderr, "kvexport: %s\n", error.ToUtf8().c_str());
    return 1;
  }
  return 0;
}
