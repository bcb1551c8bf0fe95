// Exports of a drawing to EMF, SVG, PNG, BMP and PDF files, and their
// failures: bad names, missing or unwritable folders, failed drawings and
// drawings too large for a bitmap. Files are checked with the tools that read
// them (each check skipped when its tool is missing).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "kvcore/spicture.h"
#include "kvcore/spicturefill.h"
#include "sym/render/symcanv.h"
#include "sym/render/symexport.h"

#include "support/file_fixture.h"

namespace {

using namespace kvtest;

// The sample drawing: shapes with pens, brushes, a gradient, a picture fill
// and texts, over (0, 14400) - (21600, 0): three inches by two.
const SSymRect kArea(0, 14400, 21600, 0);

void DrawSample(SSymCanvas& c) {
  c.SetPen(SSymPen(SSymPen::Solid, 150, SSymColor(0x000080)));
  c.SetBrush(SSymBrush(SSymColor(0xC0FFFF)), 0);
  c.Rectangle(SSymRect(600, 13800, 9600, 7800));
  SSymBrush gradient(SSymColor(0xFF8000));
  gradient.SetStyle(SSymBrush::Gradient);
  gradient.SetGradientMode(0x1004);  // top to bottom
  gradient.SetEndColor(SSymColor(0xFFFFFF));
  c.SetBrush(gradient, 0);
  c.SetPen(SSymPen(SSymPen::Dash, 0, SSymColor(0x0000C0)));
  c.Ellipse(SSymRect(12000, 13800, 21000, 7800));
  SSymBrush picture(SSymColor(0xFFFFFF));
  picture.SetStyle(SSymBrush::Picture);
  picture.SetBitmapMode(pfmStretched);
  static SPictureInfo* pic = SmallPicture(8, 8, 0xFF20A040);
  picture.SetPicture(pic);
  c.SetBrush(picture, 0);
  c.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
  c.Polygon(SSymListPt{SSymPoint(600, 6600), SSymPoint(9600, 6600), SSymPoint(5100, 600)});
  c.SetPen(SSymPen(SSymPen::Solid, 75, SSymColor(0x008000)));
  c.Line(SSymPoint(9600, 10800), SSymPoint(12000, 10800));
  c.SetFont(SSymFont(SGetArialString(), 14, SSymFont::Bold));
  c.SetFontColor(SSymColor(0x800000));
  c.DrawText(SSymRect(600, 13800, 9600, 7800), SString(u"Customer\r\nname, address"), 0x122 & ~0x100);
  c.SetFont(SSymFont(SGetArialString(), 10, SSymFont::Italic | SSymFont::Underline));
  c.DrawText(SSymRect(12000, 6000, 21000, 600), SString(u"Orders"), 0x22);
}

void ExpectPng(const fs::path& file, int w, int h) {
  ASSERT_EQ(ReadFile(file).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(SString(file.string())));
  ASSERT_TRUE(bm);
  EXPECT_EQ(bm->GetLastStatus(), Gdiplus::Ok);
  EXPECT_EQ(static_cast<int>(bm->GetWidth()), w);
  EXPECT_EQ(static_cast<int>(bm->GetHeight()), h);
}

void ExpectValidSvg(const fs::path& file) {
  if (HaveTool("xmllint") && fs::exists(kSvgDtd)) {
    EXPECT_EQ(Shell(std::string("xmllint --noout --nonet --dtdvalid ") + kSvgDtd + " " + file.string()), 0)
        << ReadFile(file);
  }
  if (HaveTool("rsvg-convert")) {
    const fs::path png = file.string() + ".png";
    ASSERT_EQ(Shell("rsvg-convert -o " + png.string() + " " + file.string()), 0);
    EXPECT_EQ(ReadFile(png).substr(0, 4), "\x89PNG");
  }
}

void ExpectEmfOpens(const fs::path& file) {
  EXPECT_EQ(ReadFile(file).substr(40, 4), " EMF");
  if (!HaveTool("emf2svg-conv")) return;
  const fs::path svg = file.string() + ".svg";
  ASSERT_EQ(Shell("emf2svg-conv -i " + file.string() + " -o " + svg.string()), 0);
  EXPECT_NE(ReadFile(svg).find("<svg"), std::string::npos);
}

// The id of a process that has ended.
pid_t EndedProcess() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return pid;
}

// Every file under a folder with its content.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> m;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    m[fs::relative(e.path(), dir).string()] = e.is_regular_file() ? ReadFile(e.path()) : std::string("<folder>");
  return m;
}

// A drawing of a 4 x 4 picture of one colour and `boxes` rectangles.
SSymExportDraw PictureAndBoxes(DWORD color, int boxes) {
  return [color, boxes](SSymCanvas& c) {
    std::vector<std::uint32_t> bits(16, color);
    SBitmap bm;
    bm.CreateBitmap(4, 4, 1, 32, bits.data());
    c.DrawBitmap(SSymRect(0, 300, 300, 0), &bm);
    for (int i = 0; i < boxes; ++i) c.Rectangle(SSymRect(i * 10, 14000, i * 10 + 500, 13000 - i));
  };
}

}  // namespace

TEST(Export, KindsAndBadNames) {
  struct Case {
    const char* name;
    SSymExportKind kind;
  };
  const Case kinds[] = {
      {"a.emf", SSymExportKind::Emf},   {"A.SVG", SSymExportKind::Svg},     {"x/y.Png", SSymExportKind::Png},
      {"a.bmp", SSymExportKind::Bmp},   {"a.dib", SSymExportKind::Bmp},     {"a.rle", SSymExportKind::Bmp},
      {"a.jpeg", SSymExportKind::Unsupported}, {"a.tif", SSymExportKind::Unsupported},
      {"a.gif", SSymExportKind::Unsupported},  {"a.doc", SSymExportKind::Unknown},
      {"noext", SSymExportKind::None},  {"dir.v2/noext", SSymExportKind::None}, {"dir\\v.2\\x", SSymExportKind::None},
      {"trailing.", SSymExportKind::None}, {".hidden", SSymExportKind::None},  {"", SSymExportKind::None},
  };
  for (const Case& c : kinds) EXPECT_EQ(SSymExportKindOf(SString(c.name)), c.kind) << c.name;

  TempDir dir;
  struct Bad {
    SString path;
    HRESULT hr;
  };
  const Bad bad[] = {
      {SString(), E_INVALIDARG},
      {dir.Name("picture"), E_INVALIDARG},
      {dir.Name("picture.doc"), E_INVALIDARG},
      {dir.Name("picture.jpg"), E_NOTIMPL},
      {dir.Name("missing/picture.png"), SSYM_E_PATHNOTFOUND},
  };
  for (const Bad& b : bad) {
    SString error;
    EXPECT_EQ(SSymExportImage(b.path, DrawSample, kArea, 1, &error), b.hr) << b.path.ToUtf8();
    EXPECT_FALSE(error.IsEmpty()) << b.path.ToUtf8();
  }
  // A folder under the chosen name is not overwritten.
  fs::create_directory(dir.path / "taken.svg");
  EXPECT_EQ(SSymExportImage(dir.Name("taken.svg"), DrawSample, kArea, 1), E_INVALIDARG);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"taken.svg"}));
  EXPECT_EQ(SSymExportPdf(dir.Name("missing/print.pdf"), DrawSample, kArea, 1, SSymPrintData(), SString(), SString()),
            SSYM_E_PATHNOTFOUND);
}

TEST(Export, EveryFormatOfTheSample) {
  TempDir dir;
  SString error;
  ASSERT_EQ(SSymExportImage(dir.Name("sample.svg"), DrawSample, kArea, 1, &error), S_OK) << error.ToUtf8();
  EXPECT_TRUE(error.IsEmpty());
  ASSERT_EQ(SSymExportImage(dir.Name("sample.emf"), DrawSample, kArea, 1, &error), S_OK) << error.ToUtf8();
  ASSERT_EQ(SSymExportImage(dir.Name("sample.png"), DrawSample, kArea, 1, &error), S_OK) << error.ToUtf8();
  ASSERT_EQ(SSymExportImage(dir.Name("sample.BMP"), DrawSample, kArea, 0, &error), S_OK) << error.ToUtf8();
  int pages = 0;
  ASSERT_EQ(SSymExportPdf(dir.Name("sample.pdf"), DrawSample, kArea, 1, SSymPrintData(), SString(u"Header"),
                          SString(u"Footer"), &error, &pages),
            S_OK)
      << error.ToUtf8();
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"sample.BMP", "sample.emf", "sample.pdf", "sample.png",
                                                   "sample.svg", "sample_svg_Files"}));

  // SVG: the pictures beside it, valid and rendered.
  const std::string svg = ReadFile(dir.path / "sample.svg");
  EXPECT_NE(svg.find("xlink:href=\"sample_svg_Files/svg_bitmap1.png\""), std::string::npos);
  EXPECT_NE(svg.find("<linearGradient"), std::string::npos);
  EXPECT_NE(svg.find(">Customer</text>"), std::string::npos);
  // 21900 x 14700 units: 292 x 196 pixels at 96 an inch, three quarters of a point each.
  EXPECT_NE(svg.find("width=\"219pt\" height=\"147pt\" viewBox=\"0 0 292 196\""), std::string::npos);
  EXPECT_EQ(ReadFile(dir.path / "sample_svg_Files" / "svg_bitmap1.png").substr(0, 4), "\x89PNG");
  ExpectValidSvg(dir.path / "sample.svg");

  // PNG at 96 pixels per inch: 3 x 2 inches (and one unit), and it says so
  // (pHYs: 3780 pixels a metre both ways, the unit the metre).
  ExpectPng(dir.path / "sample.png", 288, 192);
  const std::string pngBytes = ReadFile(dir.path / "sample.png");
  const std::size_t phys = pngBytes.find("pHYs");
  ASSERT_NE(phys, std::string::npos);
  EXPECT_LT(phys, pngBytes.find("IDAT"));
  EXPECT_EQ(pngBytes.substr(phys - 4, 4 + 4 + 9), std::string("\0\0\0\x09pHYs\0\0\x0e\xc4\0\0\x0e\xc4\x01", 17));
  // SVG and EMF lie on white paper, as the bitmap and the page do: the SVG's
  // first shape is a white box over its whole view box; the metafile played
  // on black shows white where nothing is drawn.
  const std::size_t firstRect = svg.find("<rect");
  ASSERT_NE(firstRect, std::string::npos);
  const std::string paper = svg.substr(firstRect, svg.find('>', firstRect) - firstRect);
  EXPECT_NE(paper.find("x=\"0\" y=\"0\""), std::string::npos) << paper;
  EXPECT_NE(paper.find("fill=\"#ffffff\""), std::string::npos) << paper;
  {
    const std::string emfBytes = ReadFile(dir.path / "sample.emf");
    SMetaFile mf;
    ASSERT_TRUE(mf.LoadMetaFile(reinterpret_cast<const BYTE*>(emfBytes.data()), emfBytes.size()));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(dc, 288, 192);
    HGDIOBJ old = SelectObject(dc, bm);
    PatBlt(dc, 0, 0, 288, 192, BLACKNESS);
    RECT all{0, 0, 288, 192};
    ::PlayEnhMetaFile(dc, mf, &all);
    EXPECT_EQ(GetPixel(dc, 2, 2), RGB(0xFF, 0xFF, 0xFF));
    EXPECT_EQ(GetPixel(dc, 285, 189), RGB(0xFF, 0xFF, 0xFF));
    SelectObject(dc, old);
    DeleteObject(bm);
    DeleteDC(dc);
  }
  std::unique_ptr<Gdiplus::Bitmap> png(SBitmapPlus::CreateBitmap(SString((dir.path / "sample.png").string())));
  Gdiplus::Color px;
  png->GetPixel(12, 12, &px);  // inside the first rectangle: its light yellow
  EXPECT_EQ(px.GetR(), 0xFF);
  EXPECT_EQ(px.GetB(), 0xC0);
  // BMP in black and white: no colour anywhere.
  std::unique_ptr<Gdiplus::Bitmap> bmp(SBitmapPlus::CreateBitmap(SString((dir.path / "sample.BMP").string())));
  ASSERT_TRUE(bmp);
  EXPECT_EQ(bmp->GetWidth(), 288u);
  bool grey = true;
  for (UINT y = 0; y < bmp->GetHeight(); y += 3)
    for (UINT x = 0; x < bmp->GetWidth(); x += 3) {
      bmp->GetPixel(static_cast<INT>(x), static_cast<INT>(y), &px);
      grey &= px.GetR() == px.GetG() && px.GetG() == px.GetB();
    }
  EXPECT_TRUE(grey);

  ExpectEmfOpens(dir.path / "sample.emf");

  if (HaveTool("pdfinfo")) {
    EXPECT_EQ(PdfPages(dir.path / "sample.pdf"), 1);
    const std::string info = Output("pdfinfo " + (dir.path / "sample.pdf").string() + " 2>&1");
    EXPECT_NE(info.find("612 x 792 pts"), std::string::npos) << info;
  }
  if (HaveTool("pdftoppm")) {
    ASSERT_EQ(Shell("pdftoppm -r 20 -png " + (dir.path / "sample.pdf").string() + " " + (dir.path / "page").string()),
              0);
    bool found = false;
    for (const auto& e : fs::directory_iterator(dir.path))
      found |= e.path().filename().string().rfind("page", 0) == 0 && ReadFile(e.path()).substr(0, 4) == "\x89PNG";
    EXPECT_TRUE(found);
  }
}

TEST(Export, EmptyDrawingsGiveEmptyValidFiles) {
  TempDir dir;
  const SSymRect none(0, 0, 0, 0);
  for (const char* name : {"empty.svg", "empty.emf", "empty.png", "empty.bmp"})
    ASSERT_EQ(SSymExportImage(dir.Name(name), nullptr, none, 1), S_OK) << name;
  ASSERT_EQ(SSymExportPdf(dir.Name("empty.pdf"), nullptr, none, 1, SSymPrintData(), SString(), SString()), S_OK);
  ExpectValidSvg(dir.path / "empty.svg");
  EXPECT_FALSE(fs::exists(dir.path / "empty_svg_Files"));  // no picture, no folder
  ExpectPng(dir.path / "empty.png", 1, 1);
  ExpectEmfOpens(dir.path / "empty.emf");
  if (HaveTool("pdfinfo")) {
    EXPECT_EQ(Shell("pdfinfo " + (dir.path / "empty.pdf").string()), 0);
  }
}

TEST(Export, FailuresLeaveNoFileBehind) {
  TempDir dir;
  // A failed drawing: the earlier file under the name stays as it was.
  std::ofstream(dir.path / "kept.png") << "earlier";
  auto throwing = [](SSymCanvas& c) {
    c.Rectangle(SSymRect(0, 100, 100, 0));
    throw std::runtime_error("lost the model");
  };
  SString error;
  for (const char* name : {"kept.png", "kept.svg", "kept.emf"}) {
    EXPECT_EQ(SSymExportImage(dir.Name(name), throwing, kArea, 1, &error), E_FAIL) << name;
    EXPECT_NE(error.ToUtf8().find("lost the model"), std::string::npos);
  }
  EXPECT_EQ(SSymExportPdf(dir.Name("kept.pdf"), throwing, kArea, 1, SSymPrintData(), SString(), SString()), E_FAIL);
  EXPECT_EQ(ReadFile(dir.path / "kept.png"), "earlier");
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"kept.png"}));

  // The whole drawing area is too large for a bitmap, not for vector files.
  const SSymRect all(SSymCanvas::MinX, SSymCanvas::MaxY, SSymCanvas::MaxX, SSymCanvas::MinY);
  EXPECT_EQ(SSymExportImage(dir.Name("all.png"), DrawSample, all, 1, &error), E_OUTOFMEMORY);
  EXPECT_FALSE(fs::exists(dir.path / "all.png"));
  ASSERT_EQ(SSymExportImage(dir.Name("all.svg"), DrawSample, all, 1), S_OK);
  EXPECT_NE(ReadFile(dir.path / "all.svg").find("viewBox=\"0 0 24004 24004\""), std::string::npos);
  // A print scale that is not positive prints at 100 percent.
  SSymPrintData zero;
  zero.m_nScale = 0;
  int pages = 0;
  EXPECT_EQ(SSymExportPdf(dir.Name("zero.pdf"), DrawSample, kArea, 1, zero, SString(), SString(), nullptr, &pages),
            S_OK);
  EXPECT_EQ(pages, 1);

  // A picture folder that cannot be made fails the SVG export.
  std::ofstream(dir.path / "blocked_svg_Files") << "a file in the way";
  EXPECT_EQ(SSymExportImage(dir.Name("blocked.svg"), DrawSample, kArea, 1, &error), SSYM_E_WRITEFAULT);
  EXPECT_FALSE(fs::exists(dir.path / "blocked.svg"));

  // A folder that cannot be written: a read-only one, or, for a user who may
  // write anywhere, the process folder of the system.
  const bool root = ::geteuid() == 0;
  if (!root || fs::is_directory("/proc/self")) {
    const fs::path ro = root ? fs::path("/proc/self") : dir.path / "readonly";
    if (!root) {
      fs::create_directory(ro);
      fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const std::size_t before = std::distance(fs::directory_iterator(ro), fs::directory_iterator());
    for (const char* name : {"kv_export.png", "kv_export.emf", "kv_export.svg", "kv_export.pdf"}) {
      const SString path((ro / name).string());
      const HRESULT hr = std::string(name) == "kv_export.pdf"
                             ? SSymExportPdf(path, DrawSample, kArea, 1, SSymPrintData(), SString(), SString())
                             : SSymExportImage(path, DrawSample, kArea, 1);
      EXPECT_EQ(hr, SSYM_E_WRITEFAULT) << name;
    }
    EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(ro), fs::directory_iterator())), before);
    if (!root) fs::permissions(ro, fs::perms::owner_all);
  }
}

TEST(Export, MultiPagePrintWithCornerMarks) {
  TempDir dir;
  SSymPrintData data;
  data.m_bCorner = 1;
  data.m_nScale = 200;  // one printed page shows 3.25 x 4.5 inches
  int pages = 0;
  const SSymRect wide(0, 14400, 43200, 0);  // six inches by two
  ASSERT_EQ(SSymExportPdf(dir.Name("wide.pdf"), DrawSample, wide, 1, data, SString(u"Model"), SString(u"Page"),
                          nullptr, &pages),
            S_OK);
  EXPECT_EQ(pages, 2);
  if (HaveTool("pdfinfo")) {
    EXPECT_EQ(PdfPages(dir.path / "wide.pdf"), 2);
  }
}

// An SVG export whose document cannot be written (the file-size limit of
// the process is below its size, not below its picture's) leaves the
// earlier document and its pictures as they were: none of its pictures
// reaches the picture folder.
TEST(Export, FailedSvgDocumentLeavesEarlierDocumentAndPictures) {
  TempDir dir;
  ASSERT_EQ(SSymExportImage(dir.Name("model.svg"), PictureAndBoxes(0x00FF0000, 1), kArea, 1), S_OK);
  const auto before = Snapshot(dir.path);
  ASSERT_EQ(before.count("model_svg_Files/svg_bitmap1.png"), 1u);

  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
    const rlimit limit{16384, 16384};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    SString error;
    const HRESULT hr = SSymExportImage(dir.Name("model.svg"), PictureAndBoxes(0x000000FF, 400), kArea, 1, &error);
    ::_exit(hr == SSYM_E_WRITEFAULT && error.ToUtf8().find("model.svg") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the export did not fail with a write fault naming the document";
  EXPECT_EQ(Snapshot(dir.path), before);

  // Without the limit the same export replaces both together.
  ASSERT_EQ(SSymExportImage(dir.Name("model.svg"), PictureAndBoxes(0x000000FF, 400), kArea, 1), S_OK);
  const auto after = Snapshot(dir.path);
  EXPECT_NE(after.at("model_svg_Files/svg_bitmap1.png"), before.at("model_svg_Files/svg_bitmap1.png"));
  EXPECT_EQ(after.size(), before.size());
  // A document without pictures takes the earlier pictures away.
  ASSERT_EQ(SSymExportImage(dir.Name("model.svg"), nullptr, kArea, 1), S_OK);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"model.svg"}));
}

// Work files of an export carry their process id: a later export removes
// those of processes that have ended, puts back what was moved aside when
// its name is free, and leaves those of running processes alone.
TEST(Export, StaleWorkFilesOfEndedProcessesAreRemoved) {
  TempDir dir;
  const std::string dead = std::to_string(EndedProcess()), live = std::to_string(::getppid());
  std::ofstream(dir.path / (".~" + dead + "-x.svg")) << "partial";
  fs::create_directory(dir.path / (".~" + dead + "-x_svg_Files"));
  std::ofstream(dir.path / (".~" + dead + "-x_svg_Files") / "svg_bitmap1.png") << "png";
  std::ofstream(dir.path / (".~" + dead + "~kept.svg")) << "moved aside";
  std::ofstream(dir.path / (".~" + dead + "~both.svg")) << "moved aside";
  std::ofstream(dir.path / "both.svg") << "its replacement";
  std::ofstream(dir.path / (".~" + live + "-busy.svg")) << "being written";
  std::ofstream(dir.path / ".~notapid-x.svg") << "someone else's";

  ASSERT_EQ(SSymExportImage(dir.Name("new.png"), PictureAndBoxes(0x00FF0000, 1), kArea, 1), S_OK);
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{".~" + live + "-busy.svg", ".~notapid-x.svg", "both.svg",
                                                   "kept.svg", "new.png"}));
  EXPECT_EQ(ReadFile(dir.path / "kept.svg"), "moved aside");
  EXPECT_EQ(ReadFile(dir.path / "both.svg"), "its replacement");
}

// Publishing a set: a move that fails puts back everything moved before it.
TEST(Export, PublishingIsAllOrNothing) {
  TempDir dir;
  fs::create_directory(dir.path / "stage");
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) std::ofstream(dir.path / "stage" / n) << "new " << n;
  std::ofstream(dir.path / "a.txt") << "old a";
  std::ofstream(dir.path / "c.txt") << "old c";
  const auto before = Snapshot(dir.path);
  std::vector<SSymStagedFile> files;
  for (const char* n : {"a.txt", "b.txt", "c.txt"}) files.push_back({dir.path / "stage" / n, dir.path / n});
  files.push_back({dir.path / "stage" / "missing.txt", dir.path / "d.txt"});  // fails last
  std::string error;
  EXPECT_EQ(SSymPublishTogether(files, &error), SSYM_E_WRITEFAULT);
  EXPECT_NE(error.find("d.txt"), std::string::npos) << error;
  EXPECT_NE(error.find("nothing was written"), std::string::npos) << error;
  EXPECT_EQ(Snapshot(dir.path), before);
  // A name taken by a folder is refused before anything moves, and the
  // message says the folder is as it was.
  fs::create_directory(dir.path / "d.txt");
  files.back() = {dir.path / "stage" / "c.txt", dir.path / "d.txt"};
  EXPECT_EQ(SSymPublishTogether(files, &error), SSYM_E_WRITEFAULT);
  EXPECT_NE(error.find("taken by a folder"), std::string::npos) << error;
  EXPECT_NE(error.find("the folder is as it was"), std::string::npos) << error;
  fs::remove(dir.path / "d.txt");
  EXPECT_EQ(Snapshot(dir.path), before);

  files.pop_back();
  files.erase(files.begin() + 2);
  files.push_back({fs::path(), dir.path / "c.txt"});  // c goes away
  ASSERT_EQ(SSymPublishTogether(files, &error), S_OK) << error;
  EXPECT_EQ(ReadFile(dir.path / "a.txt"), "new a.txt");
  EXPECT_EQ(ReadFile(dir.path / "b.txt"), "new b.txt");
  EXPECT_FALSE(fs::exists(dir.path / "c.txt"));
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"a.txt", "b.txt", "stage"}));
}
