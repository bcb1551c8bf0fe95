// The sample host: the sample sheet's content and layout, its export to the
// four files (each checked with the tool that reads it, skipped when the tool
// is missing), all-or-none writing, and the command line's exit codes.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "apps/symhost/arrowheadsheet.h"
#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"
#include "support/file_fixture.h"
#include "support/picture_compare.h"
#include "sym/symbol/syminterfaces.h"
#include "win/image.h"

namespace {

namespace fs = std::filesystem;

using namespace kvtest;

const char* const kFiles[] = {"diagram.svg", "diagram.png", "diagram.emf", "diagram.pdf"};

// ---- the sample sheet --------------------------------------------------------------------------

// The row of the library's figures: each class with each shadow style, below
// the rest of the sheet and not overlapping itself.
TEST(SampleDiagram, FigureRowShowsEachFigureWithEachShadowStyle) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  const LONG sheetBottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> figures = SBuildFigureRow(d);
  ASSERT_EQ(figures.size(), 24u);
  std::set<std::pair<int, int>> seen;  // (symbol type and shape kind, shadow style)
  for (std::size_t i = 0; i < figures.size(); ++i) {
    SComWrap<ISSymShadow> shadow(figures[i]);
    ASSERT_FALSE(shadow.IsNull());
    seen.insert({figures[i]->GetSymbolType() * 100 + static_cast<int>(i % 6), shadow->GetShadowStyle()});
    SSymRect r = figures[i]->GetClipRect(1, 0);
    EXPECT_LT(r.GetMaxY(), sheetBottom);
    for (std::size_t j = i + 1; j < figures.size(); ++j) {
      SSymRect o = figures[j]->GetClipRect(0, 0);
      EXPECT_FALSE(figures[i]->GetClipRect(0, 0).Intersects(o)) << i << " " << j;
    }
  }
  EXPECT_EQ(seen.size(), 24u);
}

// The row of predefined shapes: one symbol of each shape type of the
// library, below the rest and not overlapping; the reference sheet names
// each shape.
TEST(SampleDiagram, PredefinedRowAndShapeSheetShowEveryShape) {
  SHostDiagram d;
  SBuildSampleDiagram(d);
  SBuildFigureRow(d);
  const LONG bottom = d.GetExtent(0).y2;
  const std::vector<ISSymbol*> row = SBuildPredefinedRow(d);
  ASSERT_EQ(row.size(), 53u);
  std::set<int> types;
  for (std::size_t i = 0; i < row.size(); ++i) {
    types.insert(row[i]->GetSymbolType());
    EXPECT_LT(row[i]->GetClipRect(1, 0).GetMaxY(), bottom);
    for (std::size_t j = i + 1; j < row.size(); ++j)
      EXPECT_FALSE(row[i]->GetClipRect(0, 0).Intersects(row[j]->GetClipRect(0, 0))) << i << " " << j;
  }
  EXPECT_EQ(types.size(), 53u);
  SHostDiagram sheet;
  EXPECT_EQ(SBuildShapeSheet(sheet).size(), 53u);
}

TEST(SampleDiagram, ShowsEveryStyleOnATidyGrid) {
  SHostDiagram d;
  const std::vector<SHostBox*> boxes = SBuildSampleDiagram(d);
  ASSERT_EQ(boxes.size(), d.Symbols().size());
  std::set<int> shadows, pens, brushes, gradientKinds, fontStyles, shapes;
  std::set<std::string> faces;
  bool rotated = false;
  for (SHostBox* b : boxes) {
    shadows.insert(b->GetShadowStyle());
    pens.insert(b->m_pen.m_style);
    brushes.insert(b->GetTransparent() ? SSymBrush::Hollow : b->m_brush.m_style);
    if (b->m_brush.UseGradient()) gradientKinds.insert(b->m_brush.m_gradientMode & 0x200 ? 2 : 1);
    for (LONG bit : {SSymFont::Bold, SSymFont::Italic, SSymFont::Underline, SSymFont::StrikeOut})
      if (b->m_font.m_style & bit) fontStyles.insert(bit);
    if ((b->m_font.m_style & SSymFont::Underline) && (b->m_font.m_style & SSymFont::StrikeOut)) fontStyles.insert(0);
    faces.insert(b->m_font.m_faceName.ToUtf8());
    rotated |= b->m_font.m_angle != 0;
    shapes.insert(b->GetSymbolType());
  }
  EXPECT_EQ(shadows, (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(pens, (std::set<int>{1, 2, 3, 4, 5, 7}));
  EXPECT_EQ(brushes, (std::set<int>{SSymBrush::Solid, SSymBrush::Hatched, SSymBrush::Hollow, SSymBrush::Gradient}));
  EXPECT_EQ(gradientKinds, (std::set<int>{1, 2}));  // linear and radial
  EXPECT_EQ(fontStyles.size(), 5u);
  EXPECT_GE(faces.size(), 3u);
  EXPECT_TRUE(rotated);
  EXPECT_EQ(shapes, (std::set<int>{3, 4, 5}));

  // No two symbols overlap, shadows included, and the extent holds them all.
  const SSymRect extent = d.GetExtent(0);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    SSymRect a = boxes[i]->GetClipRect(1, 0);
    a.Normalize();
    EXPECT_TRUE(extent.x1 <= a.x1 && a.x2 <= extent.x2 && extent.y2 <= a.y2 && a.y1 <= extent.y1) << i;
    for (std::size_t j = i + 1; j < boxes.size(); ++j) {
      SSymRect b = boxes[j]->GetClipRect(1, 0);
      b.Normalize();
      const bool apart = a.x2 <= b.x1 || b.x2 <= a.x1 || a.y1 <= b.y2 || b.y1 <= a.y2;  // edges may touch
      EXPECT_TRUE(apart) << i << " overlaps " << j;
    }
  }
  // An empty diagram has a margin-sized extent.
  SHostDiagram empty;
  EXPECT_EQ(empty.GetExtent(100), SSymRect(-100, 100, 100, -100));
}

// ---- the export ----------------------------------------------------------------------------------

class SymhostExport : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new TempDir();
    s_diagram = new SHostDiagram();
    SBuildSampleDiagram(*s_diagram);
    s_hr = SHostExportDiagram(*s_diagram, (s_dir->path / "out").string(), "diagram", s_written, s_error);
  }
  static void TearDownTestSuite() {
    delete s_diagram;
    delete s_dir;
  }
  static fs::path Out(const char* name) { return s_dir->path / "out" / name; }

  static TempDir* s_dir;
  static SHostDiagram* s_diagram;
  static HRESULT s_hr;
  static std::vector<SHostExportedFile> s_written;
  static std::string s_error;
};
TempDir* SymhostExport::s_dir = nullptr;
SHostDiagram* SymhostExport::s_diagram = nullptr;
HRESULT SymhostExport::s_hr = E_FAIL;
std::vector<SHostExportedFile> SymhostExport::s_written;
std::string SymhostExport::s_error;

TEST_F(SymhostExport, WritesTheFourFilesIntoAFolderItMakes) {
  ASSERT_EQ(s_hr, S_OK) << s_error;
  EXPECT_TRUE(s_error.empty());
  ASSERT_EQ(s_written.size(), 4u);  // the sample has no pictures: no picture folder
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(s_written[i].path, Out(kFiles[i]).string());
    EXPECT_GT(s_written[i].size, 1000u) << kFiles[i];
    EXPECT_EQ(s_written[i].size, fs::file_size(Out(kFiles[i]))) << kFiles[i];
  }
  // Nothing else is left in the folder (no working folder, no temporary files).
  EXPECT_EQ(s_dir->Entries(s_dir->path / "out"),
            (std::vector<std::string>{"diagram.emf", "diagram.pdf", "diagram.png", "diagram.svg"}));
}

TEST_F(SymhostExport, SvgIsValidAndRenders) {
  ASSERT_EQ(s_hr, S_OK) << s_error;
  if (HaveTool("xmllint") && fs::exists(kSvgDtd)) {
    EXPECT_TRUE(SvgIsValid(Out("diagram.svg")));
  }
  if (!HaveTool("rsvg-convert")) GTEST_SKIP() << "rsvg-convert is missing";
  const fs::path png = s_dir->path / "svg.png";
  ASSERT_EQ(Shell("rsvg-convert -o " + Quoted(png) + " " + Quoted(Out("diagram.svg"))), 0);
  KvImage img;
  ASSERT_TRUE(KvReadImageFile(png.string(), img));
  EXPECT_GT(img.width, 1000);
}

TEST_F(SymhostExport, PngDecodesAtTheDiagramSizeAndShowsIt) {
  ASSERT_EQ(s_hr, S_OK) << s_error;
  KvImage img;
  ASSERT_TRUE(KvReadImageFile(Out("diagram.png").string(), img));
  // 96 pixels an inch, 75 diagram units a pixel.
  const SSymRect extent = s_diagram->GetExtent(1800);
  EXPECT_NEAR(img.width, (extent.x2 - extent.x1) / 75, 2);
  EXPECT_NEAR(img.height, (extent.y1 - extent.y2) / 75, 2);
  // The corner is paper; ink and colour appear elsewhere.
  EXPECT_EQ(img.At(0, 0) & 0xFFFFFF, 0xFFFFFFu);
  std::size_t dark = 0, coloured = 0;
  for (std::uint32_t p : img.px) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    dark += r + g + b < 200;
    coloured += std::max({r, g, b}) - std::min({r, g, b}) > 60;
  }
  EXPECT_GT(dark, img.px.size() / 200);
  EXPECT_GT(coloured, img.px.size() / 50);
}

TEST_F(SymhostExport, PdfAndEmfOpen) {
  ASSERT_EQ(s_hr, S_OK) << s_error;
  if (HaveTool("pdfinfo")) {
    const std::string info = Output("pdfinfo " + Quoted(Out("diagram.pdf")) + " 2>&1");
    const std::size_t at = info.find("Pages:");
    ASSERT_NE(at, std::string::npos) << info;
    const SHostPdfLayout layout = SHostPlanPdf(*s_diagram);
    EXPECT_EQ(std::atoi(info.c_str() + at + 6), layout.across * layout.down) << info;
  }
  if (HaveTool("emf2svg-conv")) {
    const fs::path svg = s_dir->path / "emf.svg";
    EXPECT_EQ(Shell("emf2svg-conv -i " + Quoted(Out("diagram.emf")) + " -o " + Quoted(svg)), 0);
    EXPECT_GT(fs::file_size(svg), 1000u);
  }
}

// The PDF takes letter paper turned to landscape when that needs fewer
// pages. A drawing that a page holds at full size fills it on one page; the
// sample sheet, whose smallest texts are 8 points, would print them below 6
// points on one page, so it is split over pages at a scale that keeps them
// at 6 points or more (at least 75 percent), each page filled.
TEST(SymhostPrint, PageTurnsWithTheDrawingAndIsFilled) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftoppm")) GTEST_SKIP() << "pdfinfo or pdftoppm is missing";
  struct Case {
    int kind;  // 0: a wide drawing, 1: a tall one, 2: the whole sample sheet
    const char* size;
    double printableW, printableH;  // inches: letter with margins of one inch
  };
  const Case cases[] = {{0, "792 x 612 pts", 9.0, 6.5}, {1, "612 x 792 pts", 6.5, 9.0}, {2, "612 x 792 pts", 6.5, 9.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    TempDir dir;
    SHostDiagram d;
    if (c.kind == 2) {
      SBuildSampleSheet(d);
    } else {
      // Eight inches by five (with the export's margin), across or up.
      const LONG along = 8 * 7200 - 2 * kHostExportMargin, other = 5 * 7200 - 2 * kHostExportMargin;
      d.AddCaption(c.kind == 0 ? SSymRect(0, other, along, 0) : SSymRect(0, along, other, 0), SString(u"Filled"),
                   SSymFont(SString(u"Arial"), 8), 0x22)
          ->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)), 0);
    }
    std::vector<SHostExportedFile> written;
    std::string error;
    ASSERT_EQ(SHostExportDiagram(d, dir.path.string(), "diagram", written, error), S_OK) << error;
    const fs::path pdf = dir.path / "diagram.pdf";
    const std::string info = Output("pdfinfo " + Quoted(pdf) + " 2>&1");
    EXPECT_NE(info.find(c.size), std::string::npos) << info;
    const SHostPdfLayout layout = SHostPlanPdf(d);
    EXPECT_EQ(PdfPages(pdf), layout.across * layout.down);
    if (c.kind == 2) {
      EXPECT_GT(layout.across * layout.down, 1);
      EXPECT_GE(layout.scale, 75) << "8-point texts print at 6 points or more";
    } else {
      EXPECT_EQ(layout.across * layout.down, 1);
      EXPECT_EQ(layout.scale, 100);
    }
    constexpr int kDpi = 50;
    KvImage page;
    ASSERT_TRUE(RenderPdf(pdf, kDpi, page));
    const PixelRect ink = InkBounds(page);
    const double fillW = ink.Width() / (c.printableW * kDpi), fillH = ink.Height() / (c.printableH * kDpi);
    EXPECT_LE(std::max(fillW, fillH), 1.02);
    EXPECT_GE(std::max(fillW, fillH), 0.8);
  }
}

// ---- failures: nothing is written, nothing is left ---------------------------------------------

// The arrowhead sheet: each of the 71 types at the end of a horizontal and
// of a diagonal line, written as four valid files.
TEST(ArrowheadSheet, EveryTypeTwiceAndAValidSvg) {
  SHostDiagram d;
  const std::vector<ISSymbol*> lines = SBuildArrowheadSheet(d);
  ASSERT_EQ(lines.size(), 142u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SComWrap<ISSymPolyline> line(lines[i]);
    ASSERT_FALSE(line.IsNull()) << i;
    EXPECT_EQ(line->GetArrow(8), static_cast<LONG>(i / 2)) << i;
  }
  TempDir dir;
  std::vector<SHostExportedFile> written;
  ASSERT_TRUE(SHostWriteArrowheadSheet(dir.path.string(), written));
  ASSERT_EQ(written.size(), 4u);
  for (const char* f : {"arrowheads.svg", "arrowheads.png", "arrowheads.emf", "arrowheads.pdf"})
    EXPECT_TRUE(fs::exists(dir.path / f)) << f;
  if (HaveTool("xmllint") && fs::exists(kSvgDtd)) {
    EXPECT_TRUE(SvgIsValid(dir.path / "arrowheads.svg"));
  }
  // The figures are drawn: filled and open arrowheads, rings and arcs.
  std::ifstream in(dir.path / "arrowheads.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* element : {"<polygon", "<polyline", "<ellipse", "<path"})
    EXPECT_NE(svg.find(element), std::string::npos) << element;
}

TEST(SymhostExportFailure, ClearErrorAndNoFiles) {
  TempDir dir;
  SHostDiagram d;
  SBuildSampleDiagram(d);
  std::vector<SHostExportedFile> written;
  std::string error;

  // A folder that is a file, and one below a file.
  std::ofstream(dir.path / "plain") << "x";
  EXPECT_TRUE(FAILED(SHostExportDiagram(d, (dir.path / "plain").string(), "diagram", written, error)));
  EXPECT_NE(error.find("is a file"), std::string::npos) << error;
  EXPECT_TRUE(FAILED(SHostExportDiagram(d, (dir.path / "plain" / "sub").string(), "diagram", written, error)));
  EXPECT_NE(error.find("cannot be made"), std::string::npos) << error;
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(FAILED(SHostExportDiagram(d, "", "diagram", written, error)));
  EXPECT_TRUE(FAILED(SHostExportDiagram(d, dir.path.string(), "a/b", written, error)));

  // A folder that cannot be written: a read-only one, or, for a user who may
  // write anywhere, the process folder of the system.
  const bool root = ::geteuid() == 0;
  const fs::path ro = root ? fs::path("/proc/self") : dir.path / "readonly";
  if (!root) {
    fs::create_directory(ro);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
  }
  if (fs::is_directory(ro)) {
    const std::size_t before = std::distance(fs::directory_iterator(ro), fs::directory_iterator());
    EXPECT_TRUE(FAILED(SHostExportDiagram(d, ro.string(), "diagram", written, error)));
    EXPECT_NE(error.find("cannot be written"), std::string::npos) << error;
    EXPECT_TRUE(written.empty());
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(ro), fs::directory_iterator())), before);
  }

  // One name taken by a folder: the other three are not written either, and
  // the earlier files stay as they were.
  const fs::path out = dir.path / "out";
  fs::create_directories(out / "diagram.png");
  std::ofstream(out / "diagram.svg") << "earlier";
  EXPECT_TRUE(FAILED(SHostExportDiagram(d, out.string(), "diagram", written, error)));
  EXPECT_NE(error.find("diagram.png"), std::string::npos) << error;
  EXPECT_EQ(dir.Entries(out), (std::vector<std::string>{"diagram.png", "diagram.svg"}));
  std::ifstream in(out / "diagram.svg");
  std::string text;
  in >> text;
  EXPECT_EQ(text, "earlier");
}

// The reported case: an earlier diagram.png that cannot be replaced (read
// only, owned by another user, in a sticky folder that this user may write
// to) while diagram.svg can. The run fails, says so, and leaves every
// earlier file as it was: the new diagram.svg does not stay behind. Root
// makes the folder and the other user's file, then runs the export as
// "nobody" in a child process.
TEST(SymhostExportFailure, ALateFileThatCannotBeReplacedPutsBackTheEarlierOnes) {
  if (::geteuid() != 0) GTEST_SKIP() << "making a file of another user needs root";
  TempDir dir;
  const uid_t nobody = 65534;
  fs::permissions(dir.path, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path out = dir.path / "shared";
  fs::create_directory(out);
  ASSERT_EQ(::chmod(out.c_str(), 01777), 0);  // sticky, writable by all
  std::ofstream(out / "diagram.svg") << "earlier svg";
  std::ofstream(out / "diagram.emf") << "earlier emf";
  std::ofstream(out / "diagram.png") << "earlier png";
  ASSERT_EQ(::chown((out / "diagram.svg").c_str(), nobody, nobody), 0);
  ASSERT_EQ(::chown((out / "diagram.emf").c_str(), nobody, nobody), 0);
  ASSERT_EQ(::chmod((out / "diagram.png").c_str(), 0444), 0);  // root's, read only

  int pipe[2];
  ASSERT_EQ(::pipe(pipe), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(3);
    SHostDiagram d;
    SBuildSampleDiagram(d);
    std::vector<SHostExportedFile> written;
    std::string error;
    const HRESULT hr = SHostExportDiagram(d, out.string(), "diagram", written, error);
    (void)!::write(pipe[1], error.data(), error.size());
    ::_exit(FAILED(hr) && written.empty() ? 0 : 1);
  }
  ::close(pipe[1]);
  std::string error;
  char buf[512];
  for (ssize_t n; (n = ::read(pipe[0], buf, sizeof buf)) > 0;) error.append(buf, static_cast<std::size_t>(n));
  ::close(pipe[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 3) << "cannot become nobody";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the export did not fail: " << error;
  EXPECT_NE(error.find("diagram.png"), std::string::npos) << error;
  EXPECT_NE(error.find("nothing was written"), std::string::npos) << error;
  auto read = [&](const char* name) {
    std::ifstream in(out / name);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  EXPECT_EQ(read("diagram.svg"), "earlier svg");
  EXPECT_EQ(read("diagram.emf"), "earlier emf");
  EXPECT_EQ(read("diagram.png"), "earlier png");
  EXPECT_EQ(dir.Entries(out), (std::vector<std::string>{"diagram.emf", "diagram.png", "diagram.svg"}));
}

// A killed run leaves its working folder, named with its process id; the
// next run removes it once that process has ended.
TEST(SymhostExportFailure, AKilledRunsWorkingFolderIsRemovedByTheNextRun) {
  TempDir dir;
  const fs::path out = dir.path / "out";
  fs::create_directory(out);
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const fs::path stale = out / (".~" + std::to_string(ended) + "-symhost");
  fs::create_directories(stale / "diagram_svg_Files");
  std::ofstream(stale / "diagram.svg") << "half written";
  SHostDiagram d;
  SBuildSampleDiagram(d);
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(SHostExportDiagram(d, out.string(), "diagram", written, error), S_OK) << error;
  for (const std::string& e : dir.Entries(out)) EXPECT_EQ(e.rfind(".", 0), std::string::npos) << e;
}

// ---- the command line ------------------------------------------------------------------------------

TEST(SymhostProgram, ExitCodesAndMessages) {
  const fs::path program = fs::path(KV_BINARY_DIR) / "apps/symhost/symhost";
  if (!fs::exists(program)) GTEST_SKIP() << "symhost is not built";
  TempDir dir;
  const fs::path out = dir.path / "files";
  const fs::path errors = dir.path / "stderr";
  const std::string ok = Output(Quoted(program) + " --out " + Quoted(out) + " 2>" + Quoted(errors) + "; echo rc=$?");
  EXPECT_NE(ok.find("rc=0"), std::string::npos) << ok;
  // Nothing on standard error: the library found the layout engine beside
  // it (a missing one is reported there, and makes the run fail).
  EXPECT_EQ(ReadFile(errors), "");
  // The library's own counts only when asked for.
  EXPECT_EQ(ok.find("persistent classes"), std::string::npos) << ok;
  for (const char* f : kFiles) {
    EXPECT_NE(ok.find("wrote " + (out / f).string() + " ("), std::string::npos) << f;
    EXPECT_TRUE(fs::exists(out / f)) << f;
  }
  // One line per file written, then where they are, what they replaced
  // (nothing in a new folder) and which to open first.
  const long files = std::count(ok.begin(), ok.end(), '\n') - 2;
  const std::string last = "symhost: " + std::to_string(files) + " files in " + out.string() +
                           "/, replacing none of the earlier files: open " + out.string() + "/model.png first";
  EXPECT_NE(ok.find("\n" + last), std::string::npos) << ok;
  EXPECT_EQ(ok.substr(ok.find(last)).find("rc=0"), ok.substr(ok.find(last)).find('\n') + 1) << ok;
  // Only the files: no working file of the run or the printer stays behind.
  EXPECT_EQ(static_cast<long>(std::distance(fs::directory_iterator(out), fs::directory_iterator())), files) << ok;

  // A second run replaces every file, and says so on each line and at the end.
  const std::string again = Output(Quoted(program) + " --out " + Quoted(out) + " 2>&1; echo rc=$?");
  EXPECT_NE(again.find("rc=0"), std::string::npos) << again;
  EXPECT_EQ(static_cast<long>(std::count(again.begin(), again.end(), '\n') - 2), files) << again;
  for (const char* f : kFiles)
    EXPECT_NE(again.find("wrote " + (out / f).string() + " ("), std::string::npos) << f;
  EXPECT_NE(again.find(", replacing " + std::to_string(files) + " earlier files: model.svg, model.png, model.emf, "
                       "model.pdf, model-view.png, model-print.pdf, "),
            std::string::npos)
      << again;

  // A run that cannot put one file in place (its name is taken by a folder)
  // writes none: every earlier file stays as it was, and the run says so.
  const fs::path blocked = dir.path / "blocked";
  fs::create_directories(blocked / "compartments.pdf");
  { std::ofstream(blocked / "model.svg") << "earlier"; }
  const std::string none = Output(Quoted(program) + " --out " + Quoted(blocked) + " 2>&1; echo rc=$?");
  EXPECT_NE(none.find("rc=1"), std::string::npos) << none;
  EXPECT_NE(none.find("compartments.pdf"), std::string::npos) << none;
  EXPECT_NE(none.find("the folder is as it was"), std::string::npos) << none;
  EXPECT_EQ(none.find("wrote "), std::string::npos) << none;
  EXPECT_EQ(dir.Entries(blocked), (std::vector<std::string>{"compartments.pdf", "model.svg"}));
  EXPECT_EQ(ReadFile(blocked / "model.svg"), "earlier");

  // A folder that cannot be used: said once, nothing drawn, a failure; the
  // counts come with --verbose.
  std::ofstream(dir.path / "plain") << "x";
  const std::string bad =
      Output(Quoted(program) + " --verbose --out " + Quoted(dir.path / "plain") + " 2>&1; echo rc=$?");
  EXPECT_NE(bad.find("rc=1"), std::string::npos) << bad;
  EXPECT_NE(bad.find("persistent classes registered with the repository: 33"), std::string::npos) << bad;
  EXPECT_NE(bad.find("The output folder is a file"), std::string::npos) << bad;
  EXPECT_NE(bad.find("nothing was written"), std::string::npos) << bad;
  EXPECT_EQ(bad.find("wrote "), std::string::npos) << bad;

  // --help lists every option and succeeds; a bad command line exits 2.
  const std::string help = Output(Quoted(program) + " --help; echo rc=$?");
  for (const char* option : {"--out <folder>", "--verbose", "-h, --help", "rc=0"})
    EXPECT_NE(help.find(option), std::string::npos) << option << "\n" << help;
  EXPECT_NE(Output(Quoted(program) + " --out 2>&1; echo rc=$?").find("rc=2"), std::string::npos);
  EXPECT_NE(Output(Quoted(program) + " --bogus 2>&1; echo rc=$?").find("rc=2"), std::string::npos);
}

}  // namespace
