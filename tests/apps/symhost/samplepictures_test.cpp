// The pictures row of the sample sheet: a bitmap, an icon and a metafile
// symbol whose pictures can be seen in each of the four exported files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplepictures.h"
#include "kvcore/spicture.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "sym/shapes/sympictures.h"
#include "win/image.h"

namespace {

namespace fs = std::filesystem;
using namespace kvtest;

TEST(SamplePictures, RowHoldsABitmapAnIconAndAMetafileBelowTheRest) {
  SHostDiagram d;
  d.AddBox(SSymRect(0, 0, 1000, -1000));
  const std::vector<ISSymbol*> row = SBuildPictureRow(d);
  ASSERT_EQ(row.size(), 3u);
  const int types[] = {SPictureInfo::ptBitmap, SPictureInfo::ptIcon};
  for (int i = 0; i < 2; ++i) {
    auto* b = dynamic_cast<SSymBitmap*>(SSymBase::FromInterface(row[static_cast<std::size_t>(i)]));
    ASSERT_NE(b, nullptr);
    ASSERT_NE(b->GetPicture(), nullptr);
    EXPECT_EQ(b->GetPicture()->GetType(), types[i]);
  }
  auto* m = dynamic_cast<SSymMetafile*>(SSymBase::FromInterface(row[2]));
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->GetMetaFile().IsValid());
  for (ISSymbol* s : row) EXPECT_LT(s->GetClipRect(0, 0).GetMaxY(), -1000);
}

// The number of pixels within 40 of a colour on every channel.
int Near(const KvImage& img, std::uint32_t rgb) {
  int n = 0;
  for (std::uint32_t p : img.px) {
    auto ch = [](std::uint32_t v, int s) { return static_cast<int>((v >> s) & 0xFF); };
    if (std::abs(ch(p, 16) - ch(rgb, 16)) < 40 && std::abs(ch(p, 8) - ch(rgb, 8)) < 40 &&
        std::abs(ch(p, 0) - ch(rgb, 0)) < 40)
      ++n;
  }
  return n;
}

// The exported metafile drawn on white through the picture classes.
bool DrawEmf(const fs::path& emf, int w, int h, KvImage& out) {
  SMetaFile mf;
  if (!mf.LoadMetaFileFromFile(SString(emf.string()))) return false;
  Gdiplus::Metafile image(mf.GetSafeHandle(), FALSE);
  Gdiplus::Bitmap bitmap(w, h);
  {
    Gdiplus::Graphics g(&bitmap);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    g.DrawImage(&image, 0, 0, w, h);
  }
  TempDir dir("kvtest_pictures_emf");
  const fs::path png = dir.path / "emf.png";
  return SBitmapPlus::Save(&bitmap, SString(png.string())) && ReadPictureOnWhite(png, out);
}

TEST(SamplePictures, PicturesAreSeenInEveryOutputFormat) {
  if (!HaveTool("rsvg-convert") || !HaveTool("pdftoppm")) GTEST_SKIP() << "rsvg-convert or pdftoppm missing";
  SHostDiagram d;
  SBuildPictureRow(d);
  TempDir dir("kvtest_pictures");
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(SHostExportDiagram(d, dir.path.string(), "diagram", written, error), S_OK) << error;
  KvImage png, svg, emf, pdf;
  ASSERT_TRUE(ReadPictureOnWhite(dir.path / "diagram.png", png));
  ASSERT_TRUE(RenderSvg(dir.path / "diagram.svg", png.width, svg));
  ASSERT_TRUE(DrawEmf(dir.path / "diagram.emf", png.width, png.height, emf));
  ASSERT_TRUE(RenderPdf(dir.path / "diagram.pdf", 100, pdf));
  struct {
    const char* what;
    std::uint32_t rgb;
  } colours[] = {{"bitmap's orange band", 0xFF7F0E}, {"icon's red ring", 0xC0392B}, {"metafile's purple bar", 0x9467BD}};
  struct {
    const char* name;
    const KvImage* img;
  } outputs[] = {{"png", &png}, {"svg", &svg}, {"emf", &emf}, {"pdf", &pdf}};
  for (const auto& o : outputs)
    for (const auto& c : colours) EXPECT_GT(Near(*o.img, c.rgb), 20) << o.name << ": " << c.what;
}

}  // namespace
