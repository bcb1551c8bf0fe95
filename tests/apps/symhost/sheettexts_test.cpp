// Texts of the sample sheets stay inside what holds them: the names under
// the shapes sheet's cells, the compartments of a box drawn as an ellipse,
// and a text turned to read downward.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>

#include "apps/symhost/compartmentsheet.h"
#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/samplediagram.h"
#include "support/outside_readers.h"
#include "support/recording_canvas.h"
#include "support/temp_files.h"
#include "sym/render/symexport.h"

namespace {

namespace fs = std::filesystem;

// The rectangle (normalised) of the first box of the holder that `pick`
// accepts; false when there is none.
template <class Pick>
bool FindBox(const SHostDiagram& d, Pick pick, SSymRect& rect) {
  for (ISSymbol* s : d.Symbols()) {
    auto* box = dynamic_cast<SHostBox*>(SSymBase::FromInterface(s));
    if (!box || !pick(*box)) continue;
    rect = s->GetClipRect(0, 0);
    rect.Normalize();
    return true;
  }
  return false;
}

TEST(SheetTexts, EveryShapeNameFitsItsLabel) {
  SHostDiagram d;
  SBuildShapeSheet(d);
  RecordingCanvas canvas;
  int names = 0;
  bool longest = false;
  for (ISSymbol* s : d.Symbols()) {
    auto* box = dynamic_cast<SHostBox*>(SSymBase::FromInterface(s));
    SString text;
    if (!box || FAILED(box->GetText(text)) || text.IsEmpty()) continue;
    SSymRect r = s->GetClipRect(0, 0);
    r.Normalize();
    const SSymSize extent = canvas.GetTextExtent(text, box->GetFont());
    EXPECT_LE(extent.cx, r.x2 - r.x1) << text.ToUtf8();
    longest = longest || text == SString(u"Inheritance (complete, two bars)");
    ++names;
  }
  EXPECT_GT(names, 40);
  EXPECT_TRUE(longest);
}

// The compartment texts of the ellipse box, as drawn: each line's extent
// from where it is written lies inside the ellipse.
TEST(SheetTexts, CompartmentsOfAnEllipseKeepTheirTextsInside) {
  SHostDiagram d;
  SBuildCompartmentSheet(d);
  SSymRect ellipse;
  ASSERT_TRUE(FindBox(d, [](SHostBox& b) { return b.GetSymbolType() == SHostBox::Ellipse; }, ellipse));
  const double cx = (static_cast<double>(ellipse.x1) + ellipse.x2) / 2, cy = (static_cast<double>(ellipse.y1) + ellipse.y2) / 2;
  const double a = (static_cast<double>(ellipse.x2) - ellipse.x1) / 2, b = (static_cast<double>(ellipse.y1) - ellipse.y2) / 2;
  auto inside = [&](double x, double y) { return std::pow((x - cx) / a, 2) + std::pow((y - cy) / b, 2) <= 1.0; };

  RecordingCanvas canvas;
  d.Draw(canvas);
  const SSymFont font(SString(u"Arial"), 8);
  int checked = 0;
  for (const char* word : {"Account", "balance", "limit", "Close()"}) {
    for (const std::string& call : canvas.Only("DrawText ")) {
      long x1 = 0, y1 = 0, x2 = 0, y2 = 0;
      if (std::sscanf(call.c_str(), "DrawText %ld %ld %ld %ld", &x1, &y1, &x2, &y2) != 4) continue;
      if (x1 < ellipse.x1 - 1800 || x2 > ellipse.x2 + 1800 || y1 > ellipse.y1 || y2 < ellipse.y2) continue;
      const std::string& text = call;
      const std::size_t at = text.find(word);
      if (at == std::string::npos) continue;
      const SSymSize e = canvas.GetTextExtent(SString(word), font);
      // Left-aligned lines (the title is centred); a second line lies one
      // line lower.
      const double line = text.find('\n') < at ? 1 : 0;
      double left = std::min(x1, x2), top = std::max(y1, y2) - line * e.cy;
      if (std::string(word) == "Account") left = (x1 + x2) / 2.0 - e.cx / 2.0;
      for (double x : {left, left + e.cx})
        for (double y : {top, top - e.cy}) EXPECT_TRUE(inside(x, y)) << word << " at " << x << ", " << y;
      ++checked;
      break;
    }
  }
  EXPECT_EQ(checked, 4);
}

// The text turned to read downward starts inside its frame in the bitmap:
// the row just under the frame's top holds no ink of the text.
TEST(SheetTexts, ATextReadingDownwardStartsInsideItsFrame) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  SSymRect frame;
  ASSERT_TRUE(FindBox(
      d,
      [](SHostBox& b) {
        SString text;
        return SUCCEEDED(b.GetText(text)) && text == SString(u"Rotated 270");
      },
      frame));
  kvtest::TempDir dir("rotated");
  constexpr LONG kMargin = 1800;
  constexpr int kUnitsPerPixel = 75;
  const SSymRect extent = d.GetExtent(kMargin);
  const fs::path png = dir.path / "sheet.png";
  SString error;
  const SSymExportDraw draw = [&d](SSymCanvas& canvas) { d.Draw(canvas); };
  ASSERT_EQ(SSymExportImage(SString(png.string()), draw, extent, 1, &error), S_OK) << error.ToUtf8();
  KvImage image;
  ASSERT_TRUE(kvtest::ReadPictureOnWhite(png, image));
  const int left = (frame.x1 - extent.x1) / kUnitsPerPixel, right = (frame.x2 - extent.x1) / kUnitsPerPixel;
  const int top = (extent.y1 - frame.y1) / kUnitsPerPixel;
  // The frame's top row: the first dark row at the top edge.
  auto dark = [&image](int x, int y) {
    const std::uint32_t p = image.At(x, y);
    return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128;
  };
  int frameRow = top - 2;
  while (frameRow < top + 2 && !dark(left + 2, frameRow)) ++frameRow;
  for (int x = left + 3; x <= right - 3; ++x) {
    const std::uint32_t p = image.At(x, frameRow + 1) & 0xFFFFFF;
    EXPECT_EQ(p, 0xFFFFFFu) << "ink under the frame at column " << x - left;
  }
}

}  // namespace
