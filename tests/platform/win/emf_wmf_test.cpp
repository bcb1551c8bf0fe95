// Old-style metafiles: recording, reading (placeable or not), conversion to
// enhanced metafiles and playing.
#include <gtest/gtest.h>

#include <cstring>

#include "win/emf.h"

#include "support/raster_fixture.h"

namespace {

void Shapes(HDC dc) {
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 200));
  HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 0, 0));
  HGDIOBJ op = SelectObject(dc, Obj(pen)), ob = SelectObject(dc, Obj(hatch));
  Rectangle(dc, 5, 5, 45, 30);
  Ellipse(dc, 50, 5, 95, 40);
  const POINT tri[] = {{10, 40}, {40, 70}, {5, 70}};
  Polygon(dc, tri, 3);
  RoundRect(dc, 50, 45, 95, 75, 10, 10);
  Pie(dc, 5, 75, 45, 115, 45, 95, 25, 75);
  SetPixel(dc, 99, 99, RGB(1, 2, 3));
  SelectObject(dc, op);
  SelectObject(dc, ob);
  DeleteObject(Obj(pen));
  DeleteObject(Obj(hatch));
}

int Differences(HDC a, HDC b, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (GetPixel(a, x, y) != GetPixel(b, x, y)) ++n;
  return n;
}

void Put16(std::vector<BYTE>& o, int v) {
  o.push_back(static_cast<BYTE>(v));
  o.push_back(static_cast<BYTE>(v >> 8));
}

}  // namespace

TEST(OldStyleMetafile, RecordsAndPlaysTheSamePixels) {
  HDC rec = CreateMetaFileW(nullptr);
  ASSERT_NE(rec, nullptr);
  Shapes(rec);
  HMETAFILE wmf = CloseMetaFile(rec);
  ASSERT_NE(wmf, nullptr);
  std::vector<BYTE> bytes(GetMetaFileBitsEx(wmf, 0, nullptr));
  ASSERT_GT(bytes.size(), 18u);
  ASSERT_EQ(GetMetaFileBitsEx(wmf, static_cast<UINT>(bytes.size()), bytes.data()), bytes.size());
  EXPECT_TRUE(KvLooksLikeWmf(bytes.data(), bytes.size()));
  EXPECT_EQ(bytes[0] | (bytes[1] << 8), 1);       // in memory
  EXPECT_EQ(bytes[2] | (bytes[3] << 8), 9);       // header words
  EXPECT_EQ(bytes[4] | (bytes[5] << 8), 0x0300);  // version
  EXPECT_EQ(bytes[bytes.size() - 2] | (bytes[bytes.size() - 1] << 8), 0);  // EOF

  Raster direct(100, 120), played(100, 120);
  Shapes(direct.dc);
  EXPECT_TRUE(PlayMetaFile(played.dc, wmf));
  EXPECT_EQ(Differences(direct.dc, played.dc, 100, 120), 0);

  // As an enhanced metafile, the picture fills its frame: drawn 1:1 into a
  // rectangle of its size, where its drawing starts.
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data(), nullptr, nullptr);
  ASSERT_NE(emf, nullptr);
  const SIZE sz = KvEnhMetaFileSizePx(emf);
  EXPECT_EQ(sz.cx, 95);  // 5 .. 99
  EXPECT_EQ(sz.cy, 111);  // 5 .. 115
  Raster fitted(100, 120);
  const RECT rc{5, 5, 5 + sz.cx, 5 + sz.cy};
  EXPECT_TRUE(PlayEnhMetaFile(fitted.dc, emf, &rc));
  EXPECT_EQ(Differences(direct.dc, fitted.dc, 100, 120), 0);
  DeleteEnhMetaFile(emf);
  EXPECT_TRUE(DeleteMetaFile(wmf));
  EXPECT_FALSE(DeleteMetaFile(wmf));
  EXPECT_FALSE(PlayMetaFile(played.dc, wmf));
  EXPECT_EQ(GetMetaFileBitsEx(wmf, 0, nullptr), 0u);
}

TEST(OldStyleMetafile, PlaceableFilesGetTheirFrameAndBadBytesFail) {
  // Placeable header: a box of 0..720 x 0..360 at 720 units per inch (1 x 0.5 inch).
  std::vector<BYTE> f;
  const BYTE key[4] = {0xD7, 0xCD, 0xC6, 0x9A};
  f.insert(f.end(), key, key + 4);
  for (int v : {0, 0, 0, 720, 360, 720, 0, 0, 0}) Put16(f, v);  // hmf, box, inch, reserved (2 words), checksum
  const std::size_t body = f.size();
  for (int v : {1, 9, 0x0300, 0, 0, 1, 0, 0, 0}) Put16(f, v);
  auto rec = [&](int func, std::vector<int> p) {
    Put16(f, static_cast<int>(3 + p.size()));
    Put16(f, 0);
    Put16(f, func);
    for (int v : p) Put16(f, v);
  };
  rec(0x02FC, {0, 0x00FF, 0x0000, 0});  // CREATEBRUSHINDIRECT: solid, COLORREF 0x000000FF (red)
  rec(0x012D, {0});                     // SELECTOBJECT 0
  rec(0x041B, {360, 720, 0, 0});        // RECTANGLE (bottom, right, top, left)
  rec(0x0000, {});                      // EOF
  HENHMETAFILE emf = SetWinMetaFileBits(static_cast<UINT>(f.size()), f.data(), nullptr, nullptr);
  ASSERT_NE(emf, nullptr);
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  EXPECT_EQ(h.rclFrame.right, 2540);
  EXPECT_EQ(h.rclFrame.bottom, 1270);
  EXPECT_EQ(KvEnhMetaFileSizePx(emf).cx, 96);
  Raster r(96, 48);
  const RECT rc{0, 0, 96, 48};
  EXPECT_TRUE(PlayEnhMetaFile(r.dc, emf, &rc));
  EXPECT_EQ(GetPixel(r.dc, 48, 24), RGB(255, 0, 0));
  DeleteEnhMetaFile(emf);

  // Every truncation fails; so do a bad header and a record running past the end.
  for (std::size_t n = 0; n + 1 < f.size(); ++n) {
    EXPECT_EQ(SetWinMetaFileBits(static_cast<UINT>(n), f.data(), nullptr, nullptr), nullptr) << n;
    EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(n), f.data()), nullptr) << n;
  }
  auto bad = f;
  bad[body + 2] = 8;  // header words
  EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(bad.size()), bad.data()), nullptr);
  bad = f;
  bad[body + 18] = 0xFF;  // first record's size
  EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(bad.size()), bad.data()), nullptr);
  EXPECT_FALSE(KvLooksLikeWmf(bad.data(), 10));
  HMETAFILE ok = SetMetaFileBitsEx(static_cast<UINT>(f.size()), f.data());
  ASSERT_NE(ok, nullptr);
  DeleteMetaFile(ok);
}
