// The concrete canvases: the view's paper grid and nested locks, metafile,
// bitmap, printer and report canvases.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/canvas_fixture.h"
#include "kvcore/spicture.h"
#include "sym/diagram/symview.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symcanvmeta.h"
#include "sym/render/symcanvprinter.h"
#include "sym/render/symcanvreport.h"
#include "sym/render/symcanvview.h"
#include "sym/render/symdeftcanv.h"
#include "win/emf.h"
#include "win/emfrecord.h"
#include "win/winspool.h"

namespace {

namespace fs = std::filesystem;

// A view canvas that keeps the lines it is asked to draw, in diagram units.
class LineLogView : public SSymCanvasView {
 public:
  void Line(const SSymPoint& a, const SSymPoint& b) override { lines.emplace_back(a, b); }
  std::vector<std::pair<SSymPoint, SSymPoint>> lines;
};

constexpr COLORREF kWhite = 0xFFFFFF;

}  // namespace

// ---- paper grid ------------------------------------------------------------------------------------

TEST(CanvasTargets, PaperGridOfLetterPages) {
  SSymCanvasView view;
  view.SetPaperSize(SSymSize(61200, 79200));
  const SSymPaperGrid& g = view.GetPaperGrid();
  EXPECT_EQ(g.GetPagesAcross(), 29);  // 1800000 / 61200 = 29, odd
  EXPECT_EQ(g.GetPagesDown(), 23);    // 22, raised to the next odd number
  EXPECT_EQ(view.GetPaperOrigin(), SSymPoint(-(61200 * 29) / 2, -(79200 * 23) / 2));
  EXPECT_EQ(view.GetPaperTotalSize(), SSymSize(61200 * 29, 79200 * 23));

  // The page of (0, 0) is centred on it, its lower-left corner the paper corner.
  const SSymRect page = view.GetPaperRect(SSymPoint(0, 0));
  EXPECT_EQ(page, SSymRect(-30600, 39600, 30600, -39600));
  EXPECT_EQ(SSymPoint(page.x1, page.y2), SSymPoint(-30600, -39600));

  // A rectangle over the corner of four pages touches those four (given in
  // any corner order).
  EXPECT_EQ(view.GetPaperRect(SSymRect(30700, -39700, 30500, -39500)),
            SSymRect(-30600, 39600, 91800, -118800));

  // A size that is not positive leaves the grid as it was.
  view.SetPaperSize(SSymSize(0, 50000));
  view.SetPaperSize(SSymSize(50000, -1));
  EXPECT_EQ(view.GetPaperSize(), SSymSize(61200, 79200));
  EXPECT_EQ(view.GetDefPaperSize(), SSymSize(61200, 79200));
}

TEST(CanvasTargets, PaperGridLinesWithinTheGrid) {
  LineLogView view;
  view.SetPaperSize(SSymSize(61200, 79200));
  view.DrawPaperGrid(SSymRect(-100000, 100000, 100000, -100000));
  // Horizontal lines first, bottom up, then vertical ones, left to right.
  ASSERT_EQ(view.lines.size(), 6u);
  EXPECT_EQ(view.lines[0], std::make_pair(SSymPoint(-100000, -39600), SSymPoint(100000, -39600)));
  EXPECT_EQ(view.lines[1], std::make_pair(SSymPoint(-100000, 39600), SSymPoint(100000, 39600)));
  const LONG xs[4] = {-91800, -30600, 30600, 91800};
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(view.lines[2 + i], std::make_pair(SSymPoint(xs[i], 100000), SSymPoint(xs[i], -100000)));

  // At the edge of the drawing area the lines stop at the grid: only its
  // top edge and its left edge lie in this corner.
  view.lines.clear();
  view.DrawPaperGrid(SSymRect(-2000000, 2000000, -880000, 880000));
  ASSERT_EQ(view.lines.size(), 2u);
  EXPECT_EQ(view.lines[0], std::make_pair(SSymPoint(-887400, 910800), SSymPoint(-880000, 910800)));
  EXPECT_EQ(view.lines[1], std::make_pair(SSymPoint(-887400, 910800), SSymPoint(-887400, 880000)));

  // Nothing without a paper size, nothing outside the grid.
  LineLogView none;
  none.DrawPaperGrid(SSymRect(-100000, 100000, 100000, -100000));
  view.lines.clear();
  view.DrawPaperGrid(SSymRect(1000000, 1000000, 1100000, 950000));
  EXPECT_TRUE(none.lines.empty());
  EXPECT_TRUE(view.lines.empty());
}

// ---- view canvas ------------------------------------------------------------------------------------

TEST(CanvasTargets, ViewNestedLocksAndInvalidation) {
  SSymView window;
  SSymCanvasView canvas;
  EXPECT_EQ(canvas.GetCanvasType(), 2);
  EXPECT_EQ(canvas.HasBackgroundBitmap(), 0);  // no view yet
  canvas.Init(&window);
  EXPECT_EQ(canvas.GetView(), &window);
  EXPECT_DOUBLE_EQ(canvas.GetScaleX(), 96.0 / 7200.0);  // no window context: the screen's

  RecordingDC first, second;
  canvas.Lock(first.dc);
  canvas.Lock(second.dc);  // a nested lock
  EXPECT_TRUE(canvas.HasRememberedDC());
  EXPECT_EQ(canvas.GetCanvasDC(), &second.dc);
  canvas.Unlock();  // back to the interrupted lock
  EXPECT_EQ(canvas.GetCanvasDC(), &first.dc);
  EXPECT_TRUE(canvas.IsLocked());
  EXPECT_FALSE(canvas.HasRememberedDC());
  canvas.Unlock();
  EXPECT_FALSE(canvas.IsLocked());

  canvas.InvalidateRectLP(SSymRect(0, 0, 7200, -7200), 1);
  canvas.Invalidate(1);
  ASSERT_EQ(window.GetInvalidations().size(), 2u);
  const RECT expected = canvas.VPtoDP(SSymRect(0, 0, 7200, -7200));
  EXPECT_EQ(window.GetInvalidations()[0].rect.right - window.GetInvalidations()[0].rect.left,
            expected.right - expected.left);
  EXPECT_EQ(window.GetInvalidations()[0].erase, 0);  // the view does not allow erasing
  EXPECT_TRUE(window.GetInvalidations()[1].whole);
  window.SetState(SSymView::StateSuspended);
  canvas.Invalidate(1);
  canvas.InvalidateRectDP(RECT{0, 0, 5, 5}, 0);
  EXPECT_EQ(window.GetInvalidations().size(), 2u);

  window.m_bBackgroundPicture = 1;
  EXPECT_EQ(canvas.HasBackgroundBitmap(), 1);
}

// ---- metafile canvas -----------------------------------------------------------------------------------

TEST(CanvasTargets, EnhancedMetafileFigures) {
  SSymCanvasMetafile canvas;
  EXPECT_EQ(canvas.GetCanvasType(), 3);
  canvas.Lock(SSymRect(0, 7200, 7200, 0));
  ASSERT_TRUE(canvas.IsLocked());
  // MulDiv(96, 7201, 7200) = 96 on the 96 pixels-per-inch screen.
  EXPECT_EQ(canvas.GetDeviceRect().right, 96);
  EXPECT_EQ(canvas.GetDeviceRect().bottom, 96);
  // The frame is the extent, corrected by the screen's ratio of logical to
  // physical pixels per inch, grown by 75 units on each side, in 0.01 mm.
  // The screen (1920 x 1080 at 96, 508 x 286 mm) is 96.0 physical pixels
  // per inch across and 1080 x 25.4 / 286 down.
  const RECT f = canvas.GetFrame();
  EXPECT_EQ(f.left, -75 * 254 / 720);
  EXPECT_EQ(f.top, -75 * 254 / 720);
  EXPECT_EQ(f.right, (7201 + 75) * 254 / 720);
  EXPECT_EQ(f.bottom, static_cast<LONG>((7201 * 96 / (1080 * 25.4 / 286) + 75) * 254 / 720));
  EXPECT_EQ(canvas.GetCanvasDC(), canvas.GetCanvasDC());
  EXPECT_NE(canvas.GetCanvasDC(), nullptr);

  canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
  canvas.SetBrush(SSymBrush(SSymColor(0x0000FF)), 0);
  canvas.Rectangle(SSymRect(1800, 5400, 5400, 1800));
  SMetaFile mf;
  canvas.Unlock(&mf);
  ASSERT_TRUE(mf.IsValid());
  EXPECT_FALSE(canvas.IsLocked());
  ENHMETAHEADER h{};
  ASSERT_NE(GetEnhMetaFileHeader(mf, sizeof h, &h), 0u);
  EXPECT_EQ(h.rclFrame.left, f.left);
  EXPECT_EQ(h.rclFrame.right, f.right);

  // Played back, the red square lands in the middle of the picture.
  RasterDC ras(96, 96);
  RECT all{0, 0, 96, 96};
  ASSERT_TRUE(ras.dc.PlayMetaFile(mf, all));
  EXPECT_EQ(ras.dc.GetPixel(48, 48), 0x0000FFu);
  EXPECT_EQ(ras.dc.GetPixel(5, 5), kWhite);
}

TEST(CanvasTargets, MetafileTextLineByLine) {
  SSymCanvasMetafile canvas;
  canvas.Lock(SSymRect(0, 14400, 14400, 0));
  canvas.SetFont(SSymFont(SGetArialString(), 10));
  canvas.DrawText(SSymRect(0, 14400, 14400, 0), SString(u"first\r\nsecond\r\nthird"), 0x211);
  // Upward text: one column per line, left to right, each from the bottom.
  SSymFont up(SGetArialString(), 10);
  up.m_angle = 900;
  canvas.SetFont(up);
  canvas.DrawText(SSymRect(0, 14400, 14400, 0), SString(u"up\r\nagain"), 0x211);
  SMetaFile mf;
  canvas.Unlock(&mf);
  ASSERT_TRUE(mf.IsValid());
  RecordingDC rec;
  RECT all{0, 0, 192, 192};
  ::PlayEnhMetaFile(rec.dc, mf, &all);
  std::vector<std::pair<int, int>> at;
  for (const auto& l : rec.Log()) {
    int x = 0, y = 0;
    if (std::sscanf(l.c_str(), "ExtTextOut(%d,%d", &x, &y) == 2) at.emplace_back(x, y);
  }
  ASSERT_EQ(at.size(), 5u);
  EXPECT_EQ(at[0].first, at[1].first);  // horizontal lines share the left edge
  EXPECT_LT(at[0].second, at[1].second);
  EXPECT_LT(at[1].second, at[2].second);
  EXPECT_LT(at[3].first, at[4].first);  // columns move right
  EXPECT_EQ(at[3].second, at[4].second);
  EXPECT_GT(at[3].second, at[2].second);  // from the bottom of the box
}

// A text asked for on an opaque background keeps it in the metafile: each
// line's cell is filled with the background colour (the text itself is
// still written over a transparent background), level or turned. Every
// text record's bounds hold its text, turned ones included.
TEST(CanvasTargets, MetafileTextOpaqueBackgroundsAndTurnedBounds) {
  SSymCanvasMetafile canvas;
  canvas.Lock(SSymRect(0, 14400, 14400, 0));
  canvas.SetBkBrush(SSymBrush(SSymColor(RGB(0x10, 0x80, 0x40))));
  struct Case {
    LONG angle, style;
    bool opaque;
  };
  const Case cases[] = {{0, 0x922, true}, {900, 0x922, true}, {2700, 0x900, true}, {900, 0x122, false}};
  for (const Case& c : cases) {
    SSymFont font(SGetArialString(), 10);
    font.m_angle = c.angle;
    canvas.SetFont(font);
    canvas.DrawText(SSymRect(0, 14400, 14400, 0), SString(u"Background"), c.style);
  }
  SMetaFile mf;
  canvas.Unlock(&mf);
  ASSERT_TRUE(mf.IsValid());
  const UINT size = ::GetEnhMetaFileBits(mf, 0, nullptr);
  std::vector<std::uint8_t> bytes(size);
  ASSERT_EQ(::GetEnhMetaFileBits(mf, size, bytes.data()), size);
  emf::Header header;
  std::vector<emf::Record> records;
  ASSERT_TRUE(emf::DecodeFile(bytes.data(), bytes.size(), header, records));
  std::vector<const emf::Record*> texts;
  for (const emf::Record& r : records)
    if (r.type == emf::EMR_EXTTEXTOUTW) texts.push_back(&r);
  ASSERT_EQ(texts.size(), 4u);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(i);
    const emf::Record& r = *texts[i];
    const bool opaque = (r.words[emf::ext_text::kOptions] & ETO_OPAQUE) != 0;
    EXPECT_EQ(opaque, cases[i].opaque);
    const long w = r.words[emf::ext_text::kRight] - r.words[emf::ext_text::kLeft];
    const long h = r.words[emf::ext_text::kBottom] - r.words[emf::ext_text::kTop];
    long advance = 0;
    for (std::int32_t d : r.dx) advance += d;
    if (opaque) {
      // The cell: the line's advance along it, one line across it.
      EXPECT_NEAR(cases[i].angle ? h : w, advance, 2);
      EXPECT_LT(cases[i].angle ? w : h, advance / 2);
    }
    // The bounds run along the text as far as its advance (its cell, measured
    // by the canvas, may be a pixel shorter).
    const long bw = r.bounds.right - r.bounds.left, bh = r.bounds.bottom - r.bounds.top;
    EXPECT_GE(cases[i].angle ? bh : bw, advance - 2);
  }
  // Played back, the background shows behind the level line.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(dc, 192, 192);
  HGDIOBJ old = SelectObject(dc, bm);
  PatBlt(dc, 0, 0, 192, 192, WHITENESS);
  RECT all{0, 0, 192, 192};
  ::PlayEnhMetaFile(dc, mf, &all);
  const emf::Record& level = *texts[0];
  const int x = (level.words[emf::ext_text::kLeft] + level.words[emf::ext_text::kRight]) / 2;
  int background = 0;
  for (int y = level.words[emf::ext_text::kTop]; y < level.words[emf::ext_text::kBottom]; ++y)
    background += GetPixel(dc, x, y) == RGB(0x10, 0x80, 0x40);
  EXPECT_GT(background, 2);
  SelectObject(dc, old);
  DeleteObject(bm);
  DeleteDC(dc);
}

TEST(CanvasTargets, MetafileSingleLineInTheMiddleAndAtTheBottom) {
  SSymCanvasMetafile canvas;
  canvas.Lock(SSymRect(0, 14400, 14400, 0));
  canvas.SetFont(SSymFont(SGetArialString(), 10));
  // One line, centred; middle, bottom and top of a box 1 inch high.
  for (LONG style : {0x122, 0x142, 0x102}) canvas.DrawText(SSymRect(0, 7200, 7200, 0), SString(u"Middle"), style);
  SMetaFile mf;
  canvas.Unlock(&mf);
  ASSERT_TRUE(mf.IsValid());
  RecordingDC rec;
  RECT all{0, 0, 192, 192};
  ::PlayEnhMetaFile(rec.dc, mf, &all);
  std::vector<int> ys;
  for (const auto& l : rec.Log()) {
    int x = 0, y = 0;
    if (std::sscanf(l.c_str(), "ExtTextOut(%d,%d", &x, &y) == 2) ys.push_back(y);
  }
  ASSERT_EQ(ys.size(), 3u);
  // The box is the lower half here, 96 pixels from y 96; a 10-point line is about 15.
  EXPECT_NEAR(ys[0], 96 + (96 - 15) / 2, 6);
  EXPECT_NEAR(ys[1], 96 + 96 - 15, 6);
  EXPECT_NEAR(ys[2], 96, 2);
}

TEST(CanvasTargets, OldStyleMetafileComesOverEnhanced) {
  SSymCanvasMetafile canvas(0);
  canvas.Lock(SSymRect(0, 7200, 7200, 0));
  EXPECT_EQ(canvas.IsEnhanced(), 0);
  // 0.01 mm: one inch is 2540 units; the lower edge lands on the bottom.
  EXPECT_EQ(canvas.GetDeviceRect().right, 7201 * 254 / 720);
  EXPECT_EQ(canvas.VPtoDP(SSymPoint(0, 0)).y, 7201 * 254 / 720);
  EXPECT_EQ(canvas.GetCanvasDC(), nullptr);  // no measuring context given
  canvas.Rectangle(SSymRect(0, 7200, 3600, 3600));
  SMetaFile mf;
  canvas.Unlock(&mf);
  ASSERT_TRUE(mf.IsValid());
  ENHMETAHEADER h{};
  ASSERT_NE(GetEnhMetaFileHeader(mf, sizeof h, &h), 0u);
  EXPECT_NEAR(h.rclFrame.right - h.rclFrame.left, 2540, 2);  // one inch wide
}

// ---- bitmap canvas -------------------------------------------------------------------------------------

TEST(CanvasTargets, BitmapOfSevenThousandByThreeThousand) {
  SSymCanvasBitmap canvas;
  EXPECT_EQ(canvas.GetCanvasType(), 4);
  canvas.Lock(SSymRect(0, 3600, 7200, 0));
  ASSERT_TRUE(canvas.IsLocked());
  EXPECT_EQ(canvas.GetSizeDP().cx, 96);
  EXPECT_EQ(canvas.GetSizeDP().cy, 48);
  SDC* dc = canvas.GetCanvasDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(dc->GetPixel(0, 0), kWhite);  // filled white before drawing
  EXPECT_EQ(dc->GetPixel(95, 47), kWhite);
  canvas.FillRect(SSymRect(0, 3600, 3599, 0), SSymBrush(SSymColor(0)));
  SBitmap bitmap;
  canvas.Unlock(&bitmap);
  ASSERT_TRUE(bitmap.IsValid());
  EXPECT_EQ(bitmap.GetSize().cx, 96);
  EXPECT_EQ(bitmap.GetSize().cy, 48);
  SDC mem;
  mem.CreateCompatibleDC(nullptr);
  HGDIOBJ old = mem.SelectObject(bitmap);
  EXPECT_EQ(mem.GetPixel(10, 10), 0u);
  EXPECT_EQ(mem.GetPixel(80, 10), kWhite);
  mem.SelectObject(old);

  // Too large to be made: no context, no bitmap, no crash.
  SSymCanvasBitmap huge;
  huge.Lock(SSymRect(SSymCanvas::MinX, SSymCanvas::MaxY, SSymCanvas::MaxX, SSymCanvas::MinY));
  EXPECT_FALSE(huge.IsLocked());
  huge.Rectangle(SSymRect(0, 100, 100, 0));
  SBitmap none;
  huge.Unlock(&none);
  EXPECT_FALSE(none.IsValid());
}

// ---- printer canvas ------------------------------------------------------------------------------------

namespace {

// A recording context that prints: the recording sink accepts every
// document call unless told to refuse its pages.
struct PrinterRecording {
  struct Sink : KvRecordingSink {
    bool refusePages = false;
    bool StartPage() override { return !refusePages; }
  };
  PrinterRecording() {
    auto s = std::make_unique<Sink>();
    sink = s.get();
    hdc = KvCreateDCOnSink(std::move(s));
  }
  ~PrinterRecording() { ::DeleteDC(hdc); }
  bool Has(const std::string& l) const {
    for (const auto& x : sink->Log())
      if (x == l) return true;
    return false;
  }
  Sink* sink = nullptr;
  HDC hdc = nullptr;
};

// One printable page of the recording device (1920 x 1080 pixels at 96 per
// inch, one-inch margins) at a print scale of 100 percent.
const SSymSize kPage(18000 * 72 / 10, 9250 * 72 / 10);

}  // namespace

TEST(CanvasTargets, PrinterScaleAndCornerMarksAtHalfScale) {
  EXPECT_EQ(SSymCanvasPrinter::CornerSize, 1417);
  EXPECT_EQ(SSymCanvasPrinter::HorzMargin, 500);
  EXPECT_EQ(SSymCanvasPrinter::VertMargin, 500);
  GdiDrawSetting gdi(1);  // lines through GDI, so that the log shows them
  SSymPrintData data;
  data.m_bCorner = 1;
  data.m_nScale = 50;
  PrinterRecording rec;
  SSymCanvasPrinter printer(SPrinterCache(), SString(u"Corners"), data, kPage);
  EXPECT_EQ(printer.GetCanvasType(), 5);
  printer.AttachDC(rec.hdc, false);
  ASSERT_EQ(printer.Lock(), 1);
  // Half of one pixel per 75 units, from the one-inch margins.
  EXPECT_NEAR(printer.GetScaleX(), 96.0 / 7200.0 / 2, 1e-12);
  EXPECT_NEAR(printer.GetScaleY(), 96.0 / 7200.0 / 2, 1e-12);
  EXPECT_EQ(printer.GetCornerLength(), 2834);  // 141700 / 50
  ASSERT_EQ(printer.StartPage(SSymRect(0, 0, 28800, -28800), SString(u"Head"), SString(u"Foot")), 1);
  // The corner mark of the top-left corner: 2834 units at 1/150 pixel each.
  EXPECT_TRUE(rec.Has("MoveToEx(96,96)"));
  EXPECT_TRUE(rec.Has("LineTo(115,96)"));
  EXPECT_TRUE(rec.Has("LineTo(96,115)"));
  EXPECT_TRUE(rec.Has("Rectangle(96,96,289,289)"));  // the frame
  int texts = 0;
  for (const auto& l : rec.sink->Log()) texts += l.rfind("ExtTextOut(", 0) == 0;
  EXPECT_EQ(texts, 2);  // header and footer
  EXPECT_EQ(printer.EndPage(), 1);
  printer.Unlock();
  EXPECT_TRUE(printer.Succeeded());
  // Printed characters keep their proportions: the smaller scale sizes them.
  LOGFONTW lf{};
  lf.lfHeight = 100;
  EXPECT_EQ(printer.GetFontSize(printer.m_scaler, lf).cy, 66);  // 1/150 x 100 x 100
}

TEST(CanvasTargets, PrinterReportsFailedDocumentCalls) {
  SSymPrintData data;
  {
    PrinterRecording rec;
    rec.sink->refusePages = true;
    SSymCanvasPrinter printer(SPrinterCache(), SString(u"Refused"), data, kPage);
    printer.AttachDC(rec.hdc, false);
    ASSERT_EQ(printer.Lock(), 1);
    EXPECT_EQ(printer.StartPage(SSymRect(0, 0, 7200, -7200), SString(), SString()), 0);
    EXPECT_FALSE(rec.Has("Rectangle(96,96,193,193)"));  // nothing drawn on a page not started
    printer.Unlock();
    EXPECT_FALSE(printer.Succeeded());
  }
  {
    // No printer context can be made: the document is not started.
    const std::string folder = KvGetPrintFolder();
    KvSetPrintFolder("/nonexistent/folder/for/printing");
    SSymCanvasPrinter printer(SPrinterCache(), SString(u"Nowhere"), data, kPage);
    EXPECT_EQ(printer.Lock(), 0);
    EXPECT_FALSE(printer.IsLocked());
    EXPECT_EQ(printer.StartPage(SSymRect(0, 0, 7200, -7200), SString(), SString()), 0);
    printer.Unlock();
    EXPECT_FALSE(printer.Succeeded());
    KvSetPrintFolder(folder);
  }
}

TEST(CanvasTargets, PrinterMeasuresWithItsMeasuringCanvas) {
  SSymPrintData data;
  PrinterRecording rec;
  SSymCanvasPrinter printer(SPrinterCache(), SString(u"Measure"), data, SSymSize(kPage.cx * 3, kPage.cy * 3));
  SSymDeftCanvas measure;
  printer.SetMeasureCanvas(&measure);
  printer.AttachDC(rec.hdc, false);
  ASSERT_EQ(printer.Lock(), 1);
  const SSymFont font(SGetArialString(), 12, SSymFont::Bold);
  printer.SetFont(font);
  const SString text(u"Measured the same way\r\non two lines");
  EXPECT_EQ(printer.GetTextExtent(text), measure.GetTextExtent(text));
  EXPECT_EQ(printer.GetWrapTextExtent(text, 20000), measure.GetWrapTextExtent(text, 20000));
  EXPECT_EQ(printer.GetTextWidth(text, font), measure.GetTextWidth(text, font));
  printer.Unlock();
}

// ---- report canvases --------------------------------------------------------------------------------------

TEST(CanvasTargets, ReportCanvasesMapTheRectangle) {
  RecordingDC ref, target;
  const SSymRect r(0, 7200, 14400, 0);
  {
    SSymCanvasReportPrn prn(&ref.dc, &target.dc);
    EXPECT_EQ(target.dc.m_nFlag, 1);  // marked for the background painter
    EXPECT_EQ(prn.GetCanvasType(), 7);
    prn.Lock(r);
    ASSERT_TRUE(prn.IsLocked());
    EXPECT_EQ(prn.GetDeviceRect().right, MulDiv(96, 14401, 7200));
    EXPECT_EQ(prn.VPtoDP(SSymPoint(0, 7200)).x, 0);  // top-left on the origin
    EXPECT_EQ(prn.VPtoDP(SSymPoint(0, 7200)).y, 0);
    EXPECT_EQ(prn.VPtoDP(SSymPoint(0, 0)).y, MulDiv(96, 7201, 7200));
    prn.Unlock();
    EXPECT_FALSE(prn.IsLocked());
  }
  {
    SSymCanvasReportRTF rtf(&ref.dc, &target.dc);
    EXPECT_EQ(rtf.GetCanvasType(), 8);
    rtf.Lock(r);
    EXPECT_EQ(rtf.GetSizeDP().cx, static_cast<LONG>(14401 * 96.0 / 7200 + 0.5));
    EXPECT_EQ(rtf.VPtoDP(SSymPoint(0, 7200)).y, 0);
    // Text goes line by line, each with the platform's DrawText in its band.
    rtf.SetFont(SSymFont(SGetArialString(), 10));
    rtf.DrawText(r, SString(u"one\r\ntwo"), 0x211);
    EXPECT_EQ(target.Count("ExtTextOut("), 2);
    rtf.Unlock();
  }
  {
    // Without a target nothing is locked and nothing breaks.
    SSymCanvasReportPrn lost(&ref.dc, nullptr);
    lost.Lock(r);
    EXPECT_FALSE(lost.IsLocked());
    lost.Rectangle(r);
    lost.Unlock();
  }
}
