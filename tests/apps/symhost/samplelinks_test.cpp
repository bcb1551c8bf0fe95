// The links row of the sample sheet: below the rest of the sheet, every
// corner style, a self loop, double lines, and one crossing drawn as a
// bridge; every link attached at both ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <set>

#include "apps/symhost/samplelinks.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "sym/render/symexport.h"
#include "support/recording_canvas.h"
#include "sym/layout/symedgerouter.h"
#include "sym/links/symlinkbase.h"

namespace {

namespace fs = std::filesystem;

TEST(SampleLinks, RowShowsEveryKindOfLinkAttachedAtBothEnds) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildLinkRow(d);
  std::vector<SSymLinkBase*> links;
  for (ISSymbol* s : row) {
    EXPECT_LT(s->GetClipRect(1, 0).GetMaxY(), sheetBottom);
    if (auto* l = dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(s))) links.push_back(l);
  }
  ASSERT_EQ(links.size(), 9u);
  std::set<LONG> styles;
  int selfLoops = 0, doubles = 0, crossings = 0;
  for (SSymLinkBase* l : links) {
    SComOut<ISSymbol> a, b;
    l->GetAttachSym(0, &a);
    l->GetAttachSym(1, &b);
    ASSERT_TRUE(a && b);
    styles.insert(l->LineStyle);
    if (SSymLinkBase::IsSelfLink(a.Get(), b.Get(), nullptr)) {
      ++selfLoops;
      EXPECT_EQ(l->ListPt.GetCount(), 5);
    }
    if ((l->m_pen.m_width + 1) % 75 == 0) ++doubles;
    crossings += SSymEdgeRouter::Instance().GetIntersections(l->Sym()).GetCount();
  }
  EXPECT_EQ(styles, (std::set<LONG>{0, 1, 2, 3}));
  EXPECT_EQ(selfLoops, 1);
  EXPECT_EQ(doubles, 2);
  EXPECT_EQ(crossings, 1);
  // Drawn, the crossing link stores the four points of its bridge.
  RecordingCanvas canvas;
  for (SSymLinkBase* l : links) l->Draw(canvas);
  int bridged = 0;
  for (SSymLinkBase* l : links) bridged += SSymEdgeRouter::Instance().GetBridges(l->Sym()).GetCount();
  EXPECT_EQ(bridged, 4);
}


// ---- the double lines as pictures ---------------------------------------------------------------

// The double lines of the row, with the boxes they end on, exported alone:
// in the bitmap no pixel of the line or its arrowhead passes the tip into
// the box (a mitred wide pen ran a spike through it), and in the metafile,
// read by an outside reader, the box's edge where the line meets it is
// whole (the core's own background-coloured arrowheads cut a notch).
class SampleDoubleLines : public ::testing::Test {
 protected:
  // 96 pixels an inch: 75 diagram units a pixel, as the bitmap export draws.
  static constexpr int kUnitsPerPixel = 75;
  static constexpr LONG kMargin = 1800;

  void SetUp() override {
    SBuildLinkRow(m_diagram);
    for (ISSymbol* s : m_diagram.Symbols())
      if (auto* l = dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(s)); l && (l->m_pen.m_width + 1) % 75 == 0) {
        SComOut<ISSymbol> b;
        l->GetAttachSym(1, &b);
        ASSERT_TRUE(b);
        SSymRect box = b->GetClipRect(0, 0);
        box.Normalize();
        m_targets.push_back(box);
        m_rows.push_back(l->ListPt[l->ListPt.GetCount() - 1].y);
      }
    ASSERT_EQ(m_targets.size(), 2u);
    m_extent = m_diagram.GetExtent(kMargin);
  }
  fs::path Export(const char* name) {
    const fs::path file = m_dir.path / name;
    SString error;
    const SSymExportDraw draw = [this](SSymCanvas& canvas) { m_diagram.Draw(canvas); };
    EXPECT_EQ(SSymExportImage(SString(file.string()), draw, m_extent, 1, &error), S_OK) << error.ToUtf8();
    return file;
  }
  int PixelX(LONG x) const { return (x - m_extent.x1) / kUnitsPerPixel; }
  int PixelY(LONG y) const { return (m_extent.y1 - y) / kUnitsPerPixel; }
  // A pixel of the line or a frame (a dark blue, or its smoothed edge):
  // darker than the boxes' pale fill and the white paper.
  static bool IsLine(std::uint32_t p) {
    const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return r + g + b < 3 * 200;
  }

  SHostDiagram m_diagram;
  kvtest::TempDir m_dir{"doublelines"};
  std::vector<SSymRect> m_targets;
  std::vector<LONG> m_rows;
  SSymRect m_extent;
};

TEST_F(SampleDoubleLines, NothingOfTheLinePassesTheTipIntoTheBox) {
  KvImage png;
  ASSERT_TRUE(kvtest::ReadPictureOnWhite(Export("links.png"), png));
  for (std::size_t i = 0; i < m_targets.size(); ++i) {
    const int edge = PixelX(m_targets[i].x1), y = PixelY(m_rows[i]);
    // Inside the box's frame (a pixel wide) nothing but the fill, on the
    // line's row and the rows of its arrowhead.
    for (int row = y - 6; row <= y + 6; ++row)
      for (int x = edge + 2; x <= edge + 12; ++x)
        EXPECT_FALSE(IsLine(png.At(x, row))) << "line pixel at " << x - edge << " into the box, row " << row - y;
    // The arrowhead reaches the frame: no gap between tip and box.
    EXPECT_TRUE(IsLine(png.At(edge - 1, y))) << "the tip stops short of the box";
  }
}

TEST_F(SampleDoubleLines, TheBoxEdgeIsWholeInTheMetafile) {
  for (const char* tool : {"emf2svg-conv", "rsvg-convert"})
    if (!kvtest::HaveTool(tool)) GTEST_SKIP() << tool << " is missing";
  const fs::path emf = Export("links.emf");
  const fs::path svg = m_dir.path / "links.emf.svg";
  ASSERT_EQ(kvtest::Shell("emf2svg-conv -i " + kvtest::Quoted(emf) + " -o " + kvtest::Quoted(svg)), 0);
  KvImage png;
  const int w = PixelX(m_extent.x2), h = PixelY(m_extent.y2);
  ASSERT_TRUE(kvtest::RenderSvg(svg, w, png, h));
  for (std::size_t i = 0; i < m_targets.size(); ++i) {
    const int edge = PixelX(m_targets[i].x1), y = PixelY(m_rows[i]);
    // The frame's column, a pixel either way for the reader's rounding:
    // dark on every row around the line's end.
    for (int row = y - 4; row <= y + 4; ++row) {
      bool dark = false;
      for (int x = edge - 1; x <= edge + 1; ++x) dark = dark || IsLine(png.At(x, row));
      EXPECT_TRUE(dark) << "the box edge is broken at row " << row - y;
    }
  }
}

}  // namespace
