#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sexception.h"
#include "kvcore/spicture.h"
#include "kvcore/sstream.h"
#include "support/temp_files.h"
#include "win/imageicon.h"

namespace {

std::vector<BYTE> PngBytes(int w, int h, std::uint32_t argb, bool alpha) {
  KvImage img;
  img.width = w;
  img.height = h;
  img.hasAlpha = alpha;
  img.px.assign(static_cast<std::size_t>(w * h), argb);
  if (alpha) img.px[0] = 0;  // one transparent corner
  std::vector<std::uint8_t> out;
  EXPECT_TRUE(KvWritePng(img, out));
  return out;
}

// An icon file whose one image is a PNG.
std::vector<BYTE> IcoBytes(int size) {
  const auto png = PngBytes(size, size, 0xFF00FF00u, false);
  std::vector<BYTE> ico(6 + 16 + png.size());
  ico[2] = 1;  // type icon
  ico[4] = 1;  // one entry
  ico[6] = static_cast<BYTE>(size);
  ico[7] = static_cast<BYTE>(size);
  ico[10] = 1;   // planes
  ico[12] = 32;  // bits
  const DWORD len = static_cast<DWORD>(png.size()), off = 22;
  std::memcpy(&ico[14], &len, 4);
  std::memcpy(&ico[18], &off, 4);
  std::memcpy(&ico[22], png.data(), png.size());
  return ico;
}

HENHMETAFILE RecordRectangle() {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Rectangle(rec, 10, 10, 50, 30);
  return CloseEnhMetaFile(rec);
}

class Pictures : public ::testing::Test {
 protected:
  void TearDown() override { SPictureManager::RemoveAll(); }
};

TEST_F(Pictures, TypeFromExtension) {
  struct {
    const char* path;
    int type;
  } cases[] = {{"a.EMF", 2}, {"dir.x/b.wmf", 2}, {"c.png", 3}, {"d.Jpeg", 3}, {"e.bmp", 3}, {"f.ico", 4},
               {"g.cur", 5}, {"h.txt", 0},      {"noext", 0},   {"dir.png/file", 0}, {"", 0}};
  for (auto& c : cases) EXPECT_EQ(SPictureInfo::GetTypeFromExtension(SString(c.path)), c.type) << c.path;
  EXPECT_EQ(SPictureInfo::GetTypeFromText(SPictureInfo::GetTypeAsText(4)), 4);
}

TEST_F(Pictures, MetaFileBlobAndStreamForms) {
  SMetaFile mf(RecordRectangle());
  ASSERT_TRUE(mf.IsValid());
  const SIZE sd = mf.GetSizeCoordSD();
  EXPECT_GT(sd.cx, sd.cy);
  SOutputGlobal out;
  SOutputBinaryStream bout(out);
  bout << mf;
  SInputGlobal in(out.GetData(), out.GetSize());
  SInputBinaryStream bin(in);
  SMetaFile back;
  bin >> back;
  ASSERT_TRUE(back.IsValid());
  EXPECT_TRUE(back.GetBlob() == mf.GetBlob());

  // A truncated stream throws; bytes that are no metafile give an empty one.
  SInputGlobal cut(out.GetData(), out.GetSize() - 8);
  SInputBinaryStream bcut(cut);
  SMetaFile none;
  EXPECT_THROW(bcut >> none, SEEOFException);
  const char junk[] = "\x10\x00\x00\x00garbage-garbage!";
  SInputGlobal g(junk, 20);
  SInputBinaryStream bg(g);
  bg >> none;
  EXPECT_FALSE(none.IsValid());
  kvtest::TempDir dir("spicture");
  EXPECT_FALSE(none.SaveMetaFile(dir.Name("none.emf")));
  EXPECT_EQ(SMetaFile(SBlob("xx", 2)).IsValid(), false);
}

TEST_F(Pictures, ManagerRecordsAreSharedAndCounted) {
  kvtest::TempDir dir("spicture");
  const std::string path = (dir.path / "spicture_test.png").string();
  ASSERT_TRUE(SBlob(PngBytes(20, 10, 0xFF112233u, true)).WriteToFile(SString(path)));
  SPictureManager m1;
  SPictureInfo* p = m1.LoadPicture(SPictureInfo::ptBitmap, SString(path), 0, SString());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->GetPictureSize().cx, 20);
  EXPECT_NE(p->GetID(), GUID_NULL);
  SPictureManager m2;  // another manager sees the same table
  EXPECT_EQ(m2.LoadPicture(SPictureInfo::ptBitmap, SString(path), 0, SString()), p);
  EXPECT_EQ(m2.GetPictureInfo(p->GetID()), p);
  EXPECT_EQ(m2.GetPictureInfoTable().size(), 1u);
  EXPECT_EQ(m2.LoadPicture(SPictureInfo::ptBitmap, SString("/no/such/file.png"), 0, SString()), nullptr);
  EXPECT_EQ(m2.LoadPicture(SPictureInfo::ptIcon, SString(path), 0, SString()), nullptr);  // not an icon

  KvImage mask;
  ASSERT_TRUE(p->GetMask(0, 0, mask));
  EXPECT_EQ(mask.At(0, 0) >> 24, 0u);  // the transparent corner
  EXPECT_EQ(mask.At(5, 5) >> 24, 255u);

  {
    SPictureHolder h1;
    ASSERT_TRUE(h1.LoadPicture(SString(path)));
    SPictureHolder h2(h1);
    EXPECT_EQ(p->GetRefCount(), 2u);
    EXPECT_TRUE(h2.UseBitmap());
    EXPECT_FALSE(h2.UseMetaFile());
    EXPECT_FALSE(h2.LoadPicture(SString("/no/such/file.png")));
    EXPECT_EQ(h2.GetPicture(), p);  // a failed load keeps the picture
  }
  EXPECT_EQ(p->GetRefCount(), 0u);

  // Records from bytes, metafiles and icons.
  SPictureInfo* fromBytes =
      m1.AddPicture(SPictureInfo::ptBitmap, SString("b"), 1, 1, SString(), SBlob(PngBytes(3, 3, 0xFF000000u, false)));
  ASSERT_NE(fromBytes, nullptr);
  EXPECT_NE(fromBytes->GetID(), p->GetID());
  EXPECT_EQ(m1.AddPicture(SPictureInfo::ptBitmap, SString("bad"), 1, 1, SString(), SBlob("nope", 4)), nullptr);
  SPictureInfo* meta = m1.AddMetaFile(new SMetaFile(RecordRectangle()), SString(), 0, SString("m"), SBlob());
  ASSERT_NE(meta, nullptr);
  EXPECT_NE(meta->GetMetaFileW(1), nullptr);
  EXPECT_EQ(m1.AddMetaFile(new SMetaFile(), SString(), 0, SString(), SBlob()), nullptr);
  auto* icon = new SIconFile;
  ASSERT_TRUE(icon->LoadImageW(SBlob(IcoBytes(16))));
  SPictureInfo* ic = m1.AddIcon(icon, SString(), 0, SString("i"), SBlob());
  ASSERT_NE(ic, nullptr);
  EXPECT_EQ(ic->GetPictureSize().cx, 16);
  SIconFile broken;
  auto ico = IcoBytes(16);
  ico.resize(30);
  EXPECT_FALSE(broken.LoadImageW(SBlob(ico)));
  EXPECT_EQ(broken.GetImage(16, 16, 32), nullptr);
}

TEST_F(Pictures, IconsInTheSerializedForm) {
  SImageData data;
  data.flags = 2;  // a cursor
  data.hotX = 3;
  data.hotY = 4;
  data.image.width = 4;
  data.image.height = 2;
  data.image.hasAlpha = true;
  data.image.px = {0xFFFF0000u, 0, 0xFF00FF00u, 0xFF0000FFu, 0, 0, 0xFF123456u, 0xFFFFFFFFu};
  SOutputGlobal out;
  SOutputBinaryStream bout(out);
  bout << data;
  ASSERT_GT(out.GetSize(), 12u + 14u);
  EXPECT_EQ(out.GetData()[12], 'B');  // a bitmap file follows the three words

  SInputGlobal in(out.GetData(), out.GetSize());
  SInputBinaryStream bin(in);
  SCursor cursor;
  bin >> cursor;
  ASSERT_NE(cursor.GetSafeHandle(), nullptr);
  const KvImage* img = KvIconImage(cursor.GetIcon());
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(img->At(1, 0) >> 24, 0u);  // transparent stays transparent
  EXPECT_EQ(KvIconHotSpot(cursor.GetIcon()).y, 4);
  SCursorFile file(cursor.GetSafeHandle());
  EXPECT_EQ(file.GetSize().cx, 4);

  // Truncated data throws; a bad flag word gives nothing.
  SInputGlobal cut(out.GetData(), out.GetSize() - 10);
  SInputBinaryStream bcut(cut);
  SIcon none;
  EXPECT_THROW(bcut >> none, SEEOFException);
  const DWORD bad[3] = {0x13, 0, 0};
  SInputGlobal b(bad, sizeof bad);
  SInputBinaryStream bb(b);
  bb >> none;
  EXPECT_EQ(none.GetIcon(), nullptr);
}

TEST_F(Pictures, DrawnThroughTheDC) {
  SDC dc;
  dc.CreateCompatibleDC(nullptr);
  SBitmap bm;
  bm.CreateCompatibleBitmap(&dc, 40, 40);
  HGDIOBJ old = dc.SelectObject(bm);
  RECT all = {0, 0, 40, 40};
  dc.FillSolidRect(&all, 0xFFFFFF);
  SIconFile icon;
  ASSERT_TRUE(icon.LoadImageW(SBlob(IcoBytes(16))));
  EXPECT_TRUE(dc.DrawIcon({0, 0, 16, 16}, &icon, nullptr));
  EXPECT_EQ(dc.GetPixel(8, 8), RGB(0, 255, 0));
  SMetaFile mf(RecordRectangle());
  EXPECT_TRUE(dc.PlayMetaFile(mf, {20, 20, 40, 40}));
  EXPECT_FALSE(dc.PlayMetaFile(SMetaFile(), all));
  EXPECT_FALSE(dc.DrawIcon(all, nullptr, nullptr));
  dc.SelectObject(old);
}

}  // namespace
