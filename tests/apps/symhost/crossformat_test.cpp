// The sample sheet drawn through the four targets: the bitmap canvas (the
// PNG file), SVG (rendered by rsvg-convert), EMF (replayed by the library's
// own player into a raster context) and PDF (rendered by pdftoppm), compared
// as pictures within a stated tolerance, so that the SVG writer, the
// metafile and the printer path cannot drift from the device-context drawing
// unseen. A difference planted into one target must fail the comparison.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "kvcore/sprintercache.h"
#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "support/file_fixture.h"
#include "support/picture_compare.h"
#include "sym/render/symcanv.h"
#include "sym/render/symexport.h"
#include "win/emf.h"
#include "win/wingdi.h"

namespace {

using namespace kvtest;

// 96 pixels an inch: 75 diagram units a pixel, as the bitmap export draws.
constexpr int kUnitsPerPixel = 75;
// The margin the host's export leaves around the symbols.
constexpr LONG kMargin = 1800;
// The sheet is printed over pages (SHostPlanPdf): each page's printable
// cell is cut out and laid beside the others as the pages run, across then
// down, into one picture of the whole sheet. It is rendered once coarsely
// to find how wide the ink lies, then at the resolution that gives the ink
// the bitmap's width, so the comparison does not lose detail as the sample
// sheet grows; the sheet is then cut out and scaled onto the bitmap's grid.
constexpr int kPdfProbeDpi = 72;
bool RenderPdfPages(const fs::path& pdf, const SHostPdfLayout& layout, int dpi, KvImage& out) {
  SPrinterCache printer;
  printer.SetOrientation(layout.orientation);
  const RECT margins = printer.GetMargins();  // thousandths of an inch
  const SIZE avail = printer.GetAvailablePageSizeInPoints(0, 0);  // 1/7200 inch
  const int left = margins.left * dpi / 1000, top = margins.top * dpi / 1000;
  const int cellW = static_cast<int>(avail.cx * static_cast<long long>(dpi) / 7200);
  const int cellH = static_cast<int>(avail.cy * static_cast<long long>(dpi) / 7200);
  out = KvImage{};
  out.width = static_cast<int>(layout.across) * cellW;
  out.height = static_cast<int>(layout.down) * cellH;
  out.px.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0xFFFFFFFFu);
  for (long long row = 0; row < layout.down; ++row)
    for (long long col = 0; col < layout.across; ++col) {
      KvImage page;
      if (!RenderPdfPage(pdf, static_cast<int>(row * layout.across + col + 1), dpi, page)) return false;
      for (int y = 0; y < cellH && top + y < page.height; ++y)
        for (int x = 0; x < cellW && left + x < page.width; ++x)
          out.px[static_cast<std::size_t>(row * cellH + y) * static_cast<std::size_t>(out.width) +
                 static_cast<std::size_t>(col * cellW + x)] = page.At(left + x, top + y);
    }
  return true;
}

bool RenderPdfAtBitmapScale(const fs::path& pdf, const SHostPdfLayout& layout, const KvImage& bitmap, KvImage& out) {
  KvImage probe;
  if (!RenderPdfPages(pdf, layout, kPdfProbeDpi, probe)) return false;
  const PixelRect printed = InkBounds(probe), drawn = InkBounds(bitmap);
  const int printedWidth = printed.Width(), drawnWidth = drawn.Width();
  if (printedWidth <= 0 || drawnWidth <= 0) return false;
  const int dpi = std::clamp((kPdfProbeDpi * drawnWidth + printedWidth - 1) / printedWidth, kPdfProbeDpi, 600);
  return RenderPdfPages(pdf, layout, dpi, out);
}

// The metafile replayed by the library's player into a white raster context
// of w x h pixels.
bool PlayEmf(const fs::path& emf, int w, int h, KvImage& out) {
  const std::string bytes = ReadFile(emf);
  if (bytes.empty()) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ old = SelectObject(dc, bm);
  PatBlt(dc, 0, 0, w, h, WHITENESS);
  const RECT frame{0, 0, w, h};
  const BOOL played =
      KvPlayEnhMetaFileBytes(dc, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), &frame);
  SelectObject(dc, old);
  TempDir dir("kvtest_emf");
  const fs::path png = dir.path / "emf.png";
  const bool saved = KvSaveBitmapPng(bm, png.string().c_str());
  DeleteObject(bm);
  DeleteDC(dc);
  return played && saved && ReadPictureOnWhite(png, out);
}

// ---- what the comparison allows ---------------------------------------------------------------

enum Target { kSvg, kEmf, kPdf };
const char* const kTargetNames[] = {"SVG", "EMF", "PDF"};

// The tolerance per target, over the whole sheet (nothing is left out): the
// largest mean channel difference (0 to 255) of a 16-pixel tile after a
// blur of radius 2, and the largest share of pixels whose blurred channels
// move by more than 48. Glyphs rasterised a little differently and strokes
// anti-aliased on one side only stay inside; a symbol missing, added, turned
// the wrong way or filled in another colour (a hatch become a solid box, a
// text background lost) does not. Differences inside one caption's glyphs
// are below what this can see.
struct Tolerance {
  double worstTileMean;
  double differingShare;
};
const Tolerance kTolerance[] = {
    /* SVG */ {50, 0.004},
    /* EMF */ {35, 0.002},
    /* PDF */ {45, 0.004},
};

struct Pictures {
  KvImage bitmap, svg, emf, pdf;
  const KvImage& Of(Target t) const { return t == kSvg ? svg : t == kEmf ? emf : pdf; }
};

// Renders the four files of an export folder named diagram.*.
// The SVG document rendered at its own size (one pixel a pixel: the SVG
// canvas grows the area by 150 units, two pixels, on every side), those two
// pixels cut off so that it lies on the bitmap's grid.
constexpr int kSvgGrowth = 2;
bool RenderSvgOnGrid(const fs::path& svg, const KvImage& bitmap, KvImage& out) {
  KvImage whole;
  if (!RenderSvg(svg, bitmap.width + 2 * kSvgGrowth, whole, bitmap.height + 2 * kSvgGrowth)) return false;
  out = CropAndScale(whole, PixelRect{kSvgGrowth, kSvgGrowth, kSvgGrowth + bitmap.width, kSvgGrowth + bitmap.height},
                     bitmap.width, bitmap.height);
  return true;
}

bool RenderAll(const fs::path& folder, const SHostPdfLayout& layout, Pictures& p) {
  return ReadPictureOnWhite(folder / "diagram.png", p.bitmap) &&
         RenderSvgOnGrid(folder / "diagram.svg", p.bitmap, p.svg) &&
         PlayEmf(folder / "diagram.emf", p.bitmap.width, p.bitmap.height, p.emf) &&
         RenderPdfAtBitmapScale(folder / "diagram.pdf", layout, p.bitmap, p.pdf);
}

class CrossFormat : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir("crossformat");
    s_diagram = new SHostDiagram();
    SBuildSampleSheet(*s_diagram, &s_pictures_row);
    std::vector<SHostExportedFile> written;
    std::string error;
    s_pictures = new Pictures();
    s_ready = HaveTool("rsvg-convert") && HaveTool("pdftoppm") &&
              SHostExportDiagram(*s_diagram, s_dir->path.string(), "diagram", written, error) == S_OK &&
              RenderAll(s_dir->path, SHostPlanPdf(*s_diagram), *s_pictures);
  }
  static void TearDownTestSuite() {
    delete s_pictures;
    delete s_diagram;
    delete s_dir;
  }
  void SetUp() override {
    for (const char* tool : {"rsvg-convert", "pdftoppm"})
      if (!HaveTool(tool)) GTEST_SKIP() << tool << " is missing";
    ASSERT_TRUE(s_ready) << "the sample sheet was not exported and rendered";
  }

  // Where a diagram rectangle lies in the bitmap picture.
  static PixelRect ToPixels(SSymRect r) {
    r.Normalize();
    const SSymRect extent = s_diagram->GetExtent(kMargin);
    return PixelRect{(r.x1 - extent.x1) / kUnitsPerPixel, (extent.y1 - r.y1) / kUnitsPerPixel,
                     (r.x2 - extent.x1 + kUnitsPerPixel - 1) / kUnitsPerPixel,
                     (extent.y1 - r.y2 + kUnitsPerPixel - 1) / kUnitsPerPixel};
  }
  // The comparison of one target: the same pixel grid, or (the printed
  // page) cut to the ink and scaled onto the bitmap's.
  static CompareOptions OptionsFor(Target t) {
    CompareOptions o;
    o.align = t == kPdf ? CompareOptions::Align::ByInk : CompareOptions::Align::SameGrid;
    return o;
  }
  // The sample sheet's symbol whose text is `text`.
  static ISSymbol* WithText(const char16_t* text) {
    for (ISSymbol* s : s_diagram->Symbols()) {
      auto* t = dynamic_cast<SSymSolidText*>(SSymBase::FromInterface(s));
      SString own;
      if (t && SUCCEEDED(t->GetText(own)) && own == SString(text)) return s;
    }
    return nullptr;
  }
  static bool Within(Target t, const PictureDifference& d) {
    return d.worstTileMean <= kTolerance[t].worstTileMean && d.differingShare <= kTolerance[t].differingShare;
  }
  // Keeps a picture for a person to look at, when KV_KEEP_PICTURES names a
  // folder.
  static void Keep(const std::string& name, const KvImage& image) {
    const fs::path folder = KeepFolder("crossformat");
    if (!folder.empty()) KvWritePngFile(image, (folder / (name + ".png")).string());
  }
  // Exports the sample sheet as one file through the library's export,
  // with `draw` in place of the diagram's own drawing.
  static fs::path ExportWith(const char* name, const SSymExportDraw& draw) {
    const fs::path file = s_dir->path / name;
    SString error;
    EXPECT_EQ(SSymExportImage(SString(file.string()), draw, s_diagram->GetExtent(kMargin), 1, &error), S_OK)
        << error.ToUtf8();
    return file;
  }

  static TempDir* s_dir;
  static SHostDiagram* s_diagram;
  static std::vector<ISSymbol*> s_pictures_row;
  static Pictures* s_pictures;
  static bool s_ready;
};
TempDir* CrossFormat::s_dir = nullptr;
SHostDiagram* CrossFormat::s_diagram = nullptr;
std::vector<ISSymbol*> CrossFormat::s_pictures_row;
Pictures* CrossFormat::s_pictures = nullptr;
bool CrossFormat::s_ready = false;

TEST_F(CrossFormat, FourTargetsAgreeWithinTheTolerance) {
  const Pictures& p = *s_pictures;
  Keep("bitmap", p.bitmap);
  for (Target t : {kSvg, kEmf, kPdf}) {
    const PictureDifference d = ComparePictures(p.bitmap, p.Of(t), OptionsFor(t));
    Keep(kTargetNames[t], p.Of(t));
    Keep(std::string(kTargetNames[t]) + "-difference", d.difference);
    std::printf("%s against the bitmap: %s\n", kTargetNames[t], d.Describe().c_str());
    EXPECT_GT(d.compared, static_cast<long long>(p.bitmap.px.size()) / 2) << kTargetNames[t];
    EXPECT_LE(d.worstTileMean, kTolerance[t].worstTileMean) << kTargetNames[t] << ": " << d.Describe();
    EXPECT_LE(d.differingShare, kTolerance[t].differingShare) << kTargetNames[t] << ": " << d.Describe();
  }
}

// The sample sheet as a diagram window paints it agrees with the bitmap
// export within the tolerance of the other raster replay (the metafile's).
// The bitmap is exported again: the first drawing fits some symbols to
// their texts, and both pictures frame the sheet as it is now.
TEST_F(CrossFormat, WindowPaintAgreesWithTheBitmap) {
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteViewPng(*s_diagram, s_dir->path.string(), "diagram-view", written, error)) << error;
  KvImage view, bitmap;
  ASSERT_TRUE(ReadPictureOnWhite(s_dir->path / "diagram-view.png", view));
  const SHostDiagram& sheet = *s_diagram;
  ASSERT_TRUE(ReadPictureOnWhite(ExportWith("again.png", [&sheet](SSymCanvas& c) { sheet.Draw(c); }), bitmap));
  EXPECT_EQ(view.width, bitmap.width);
  EXPECT_EQ(view.height, bitmap.height);
  const PictureDifference d = ComparePictures(bitmap, view, OptionsFor(kEmf));
  Keep("view", view);
  Keep("view-difference", d.difference);
  std::printf("window against the bitmap: %s\n", d.Describe().c_str());
  EXPECT_GT(d.compared, static_cast<long long>(bitmap.px.size()) / 2);
  EXPECT_TRUE(Within(kEmf, d)) << d.Describe();
}

// The host's model picture as a diagram window paints it (the window the
// main job saves as model-view.png) agrees with its bitmap export: entities,
// links, arrowheads, labels and bridges drawn by both paths alike.
TEST_F(CrossFormat, ModelWindowPaintAgreesWithItsBitmap) {
  SHostDiagram model;
  SBuildModelSheet(model);
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteViewPng(model, s_dir->path.string(), "model-view", written, error)) << error;
  ASSERT_EQ(S_OK, SHostExportDiagram(model, s_dir->path.string(), "model", written, error)) << error;
  KvImage view, bitmap;
  ASSERT_TRUE(ReadPictureOnWhite(s_dir->path / "model-view.png", view));
  ASSERT_TRUE(ReadPictureOnWhite(s_dir->path / "model.png", bitmap));
  ASSERT_EQ(view.width, bitmap.width);
  ASSERT_EQ(view.height, bitmap.height);
  const PictureDifference d = ComparePictures(bitmap, view, OptionsFor(kEmf));
  Keep("model-view-difference", d.difference);
  std::printf("model window against its bitmap: %s\n", d.Describe().c_str());
  EXPECT_GT(d.compared, static_cast<long long>(bitmap.px.size()) / 2);
  EXPECT_TRUE(Within(kEmf, d)) << d.Describe();
}

// The model's editing-window picture (model-edit.png): two windows side by
// side, each painted as an editing window without a selection paints the
// model but for its selection: handles over a few symbols on the left, on
// the right one highlighted row of the entity that shows a grid.
TEST_F(CrossFormat, ModelEditPictureShowsHandlesAndARowMark) {
  SHostDiagram model;
  SBuildModelSheet(model);
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteEditViewPng(model, s_dir->path.string(), "model-edit-none", {}, written, error)) << error;
  ASSERT_TRUE(SHostWriteModelEditPng(model, s_dir->path.string(), "model-edit", written, error)) << error;
  KvImage view, edit;
  ASSERT_TRUE(ReadPictureOnWhite(s_dir->path / "model-edit-none.png", view));
  ASSERT_TRUE(ReadPictureOnWhite(s_dir->path / "model-edit.png", edit));
  constexpr int kGap = 16;
  ASSERT_EQ(edit.width, 2 * view.width + kGap);
  ASSERT_EQ(edit.height, view.height);
  // The pixels of a panel that differ from the window without a selection,
  // and their bounds.
  struct Changes {
    long long count = 0;
    int top = -1, bottom = -1;
  };
  auto changes = [&](int left) {
    Changes c;
    for (int y = 0; y < view.height; ++y)
      for (int x = 0; x < view.width; ++x) {
        if ((edit.At(left + x, y) & 0xFFFFFF) == (view.At(x, y) & 0xFFFFFF)) continue;
        ++c.count;
        if (c.top < 0) c.top = y;
        c.bottom = y;
      }
    return c;
  };
  const long long area = static_cast<long long>(view.width) * view.height;
  for (int y = 0; y < edit.height; ++y)
    for (int x = view.width; x < view.width + kGap; ++x) ASSERT_EQ(edit.At(x, y) & 0xFFFFFF, 0xFFFFFFu);
  // Handles: a few hundred pixels, small boxes spread over the symbols.
  const Changes handles = changes(0);
  EXPECT_GT(handles.count, 3 * 6 * 6);
  EXPECT_LT(handles.count, area / 100);
  // The mark: one band of a row's height, nothing else.
  const Changes mark = changes(view.width + kGap);
  EXPECT_GT(mark.count, 100);
  EXPECT_LT(mark.bottom - mark.top, 40) << mark.top << " to " << mark.bottom;
}

// A difference planted into one target is found: the metafile with one
// shape more, the SVG document with one symbol less, the bitmap with one
// box in another colour.
TEST_F(CrossFormat, PlantedDifferenceFails) {
  const Pictures& p = *s_pictures;
  ISSymbol* solid = WithText(u"Solid colour");
  ISSymbol* dark = WithText(u"White on dark");
  ASSERT_TRUE(solid && dark);

  // A filled circle a third of an inch across in the "Solid colour" box.
  const fs::path emf = ExportWith("extra.emf", [solid](SSymCanvas& canvas) {
    s_diagram->Draw(canvas);
    SSymRect r = solid->GetClipRect(0, 0);
    r.Normalize();
    const SSymPoint c((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
    canvas.SetBrush(SSymBrush(SSymColor(RGB(0x20, 0x60, 0x20))), 0);
    canvas.Ellipse(SSymRect(c.x - 1200, c.y + 1200, c.x + 1200, c.y - 1200));
  });
  KvImage extra;
  ASSERT_TRUE(PlayEmf(emf, p.bitmap.width, p.bitmap.height, extra));
  const PictureDifference emfDiff = ComparePictures(p.bitmap, extra, OptionsFor(kEmf));
  EXPECT_FALSE(Within(kEmf, emfDiff)) << emfDiff.Describe();

  // The "White on dark" box left out of the SVG document.
  const fs::path svg = ExportWith("missing.svg", [dark](SSymCanvas& canvas) {
    for (ISSymbol* s : s_diagram->Symbols())
      if (s != dark) s->Draw(canvas);
  });
  KvImage missing;
  ASSERT_TRUE(RenderSvgOnGrid(svg, p.bitmap, missing));
  const PictureDifference svgDiff = ComparePictures(p.bitmap, missing, OptionsFor(kSvg));
  EXPECT_FALSE(Within(kSvg, svgDiff)) << svgDiff.Describe();

  // A hatch written as a solid box of its colour in the SVG document.
  ISSymbol* hatch = WithText(u"Hatched, horizontal");
  ASSERT_TRUE(hatch);
  const fs::path solidHatch = ExportWith("hatch.svg", [hatch](SSymCanvas& canvas) {
    s_diagram->Draw(canvas);
    SSymRect r = hatch->GetClipRect(0, 0);
    r.Normalize();
    const SSymBrush brush = dynamic_cast<SSymSolid*>(SSymBase::FromInterface(hatch))->GetBrush();
    canvas.FillRect(r, SSymBrush(brush.m_color));
  });
  KvImage solidBox;
  ASSERT_TRUE(RenderSvgOnGrid(solidHatch, p.bitmap, solidBox));
  const PictureDifference hatchDiff = ComparePictures(p.bitmap, solidBox, OptionsFor(kSvg));
  EXPECT_FALSE(Within(kSvg, hatchDiff)) << hatchDiff.Describe();

  // The "Solid colour" box filled blue instead of orange in the reference
  // (a colour gone wrong on one target): every other target now differs.
  KvImage patched = p.bitmap;
  SSymRect r = solid->GetClipRect(0, 0);
  r.Normalize();
  const PixelRect box = ToPixels(r);
  FillRect(patched, PixelRect{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3}, 0xFF4080C0u);
  for (Target t : {kSvg, kEmf, kPdf}) {
    const PictureDifference d = ComparePictures(patched, p.Of(t), OptionsFor(t));
    EXPECT_FALSE(Within(t, d)) << kTargetNames[t] << ": " << d.Describe();
  }
}

// A search of the SVG document finds every word of the sheet: the texts
// of all its symbols, turned ones included, read from the text elements as
// a viewer's search reads them. A text cut with an ellipsis shows only its
// beginning: that beginning is found whole. A rich text is drawn into the
// SVG as a picture, so its words are not searched.
TEST_F(CrossFormat, SearchOfTheSvgFindsEveryWord) {
  const std::string svg = ReadFile(s_dir->path / "diagram.svg");
  std::set<std::string> found;
  std::vector<std::string> lines;
  for (std::size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1)) {
    const std::size_t open = svg.find('>', at), close = svg.find("</text>", at);
    if (open == std::string::npos || close == std::string::npos || close < open) continue;
    std::string line = svg.substr(open + 1, close - open - 1);
    for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}})
      for (std::size_t e = line.find(entity); e != std::string::npos; e = line.find(entity, e + c.size()))
        line.replace(e, entity.size(), c);
    lines.push_back(line);
    std::istringstream words(line);
    for (std::string w; words >> w;) found.insert(w);
  }
  int texts = 0;
  for (ISSymbol* s : s_diagram->Symbols()) {
    auto* t = dynamic_cast<SSymSolidText*>(SSymBase::FromInterface(s));
    SString text;
    if (!t || FAILED(t->GetText(text)) || text.IsEmpty()) continue;
    ++texts;
    const std::string utf8 = text.ToUtf8();
    // A rich text is a picture in the SVG document (its words are not text
    // there; the README says so).
    if (utf8.rfind("{\\rtf", 0) == 0) continue;
    if (t->GetTextStyle() & 0x2000) {
      // The drawn line, up to its ellipsis and the word it cuts, begins the text.
      const std::string first = utf8.substr(0, utf8.find(' '));
      bool begins = false;
      for (const std::string& line : lines) {
        const std::size_t cut = line.rfind(' ');
        if (line.rfind(first, 0) == 0 && cut != std::string::npos && utf8.rfind(line.substr(0, cut), 0) == 0)
          begins = true;
      }
      EXPECT_TRUE(begins) << utf8;
      continue;
    }
    std::istringstream words(utf8);
    for (std::string w; words >> w;) EXPECT_TRUE(found.count(w)) << "\"" << w << "\" of \"" << utf8 << "\"";
  }
  EXPECT_GT(texts, 60);
  EXPECT_TRUE(found.count("Rotated"));
  EXPECT_TRUE(found.count("270"));
}

}  // namespace
