// Image lists made from a module's bitmap resource: the bitmap cut into
// images of the asked width, its mask colour left out when an image is
// drawn, and resources that are missing, of another kind or not whole
// refused.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/raster_fixture.h"
#include "support/test_module.h"
#include "win/winctrl.h"
#include "win/wingdi.h"
#include "win/winres.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A packed bitmap of `images` 4 x 3 images side by side, bottom-up,
// 32 bits: image i is magenta but for one pixel of colour (i + 1) * 40 red
// at its top left.
std::vector<BYTE> Bitmap(int images, WORD bits = 32) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = 4 * images;
  h.biHeight = 3;
  h.biPlanes = 1;
  h.biBitCount = bits;
  std::vector<BYTE> out(sizeof h + std::size_t(h.biWidth) * 3 * 4);
  std::memcpy(out.data(), &h, sizeof h);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < h.biWidth; ++x) {
      BYTE* p = out.data() + sizeof h + (std::size_t(2 - y) * std::size_t(h.biWidth) + std::size_t(x)) * 4;
      const bool corner = x % 4 == 0 && y == 0;
      p[0] = corner ? 0 : 255;                           // blue
      p[1] = 0;                                          // green
      p[2] = corner ? BYTE((x / 4 + 1) * 40) : BYTE(255);  // red
    }
  return out;
}

TEST(ImageListFromBitmap, CutsTheBitmapAndLeavesTheMaskColourOut) {
  const std::vector<BYTE> bytes = Bitmap(3);
  KvResourceRegistration reg(kvtest::TestModule(), RT_BITMAP, MAKEINTRESOURCEW(149), bytes.data(), DWORD(bytes.size()));
  HIMAGELIST list =
      ImageList_LoadImageW(kvtest::TestModule(), MAKEINTRESOURCEW(149), 4, 1, kMagenta, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 4);
  EXPECT_EQ(cy, 3);
  Raster canvas(8, 8);
  ASSERT_TRUE(ImageList_Draw(list, 2, canvas.dc, 1, 1, ILD_NORMAL));
  EXPECT_EQ(GetPixel(canvas.dc, 1, 1), RGB(120, 0, 0)) << "the third image's own pixel";
  EXPECT_EQ(GetPixel(canvas.dc, 2, 1), RGB(255, 255, 255)) << "magenta is not drawn";
  EXPECT_EQ(GetPixel(canvas.dc, 4, 3), RGB(255, 255, 255));
  EXPECT_TRUE(ImageList_Destroy(list));
}

TEST(ImageListFromBitmap, RefusesWhatIsNoWholeBitmap) {
  std::vector<BYTE> truncated = Bitmap(2);
  truncated.resize(truncated.size() - 5);
  std::vector<BYTE> badHeader = Bitmap(2);
  const DWORD huge = 0x7FFFFFFF;
  std::memcpy(badHeader.data(), &huge, sizeof huge);
  const std::vector<BYTE> paletted = Bitmap(2, 8);
  const BYTE tiny[] = {1, 2, 3};
  struct Case {
    const char* name;
    const void* data;
    DWORD size;
    UINT type;
    int cx;
  } cases[] = {
      {"truncated pixels", truncated.data(), DWORD(truncated.size()), IMAGE_BITMAP, 4},
      {"a header larger than the resource", badHeader.data(), DWORD(badHeader.size()), IMAGE_BITMAP, 4},
      {"a paletted bitmap", paletted.data(), DWORD(paletted.size()), IMAGE_BITMAP, 4},
      {"fewer bytes than a header", tiny, DWORD(sizeof tiny), IMAGE_BITMAP, 4},
      {"another image type", nullptr, 0, 1, 4},
      {"no width", nullptr, 0, IMAGE_BITMAP, 0},
  };
  const std::vector<BYTE> whole = Bitmap(2);
  for (const Case& c : cases) {
    const void* data = c.data && c.size ? c.data : whole.data();
    const DWORD size = c.data && c.size ? c.size : DWORD(whole.size());
    KvResourceRegistration reg(kvtest::TestModule(), RT_BITMAP, MAKEINTRESOURCEW(150), data, size);
    EXPECT_EQ(ImageList_LoadImageW(kvtest::TestModule(), MAKEINTRESOURCEW(150), c.cx, 1, kMagenta, c.type, 0), nullptr)
        << c.name;
  }
  EXPECT_EQ(ImageList_LoadImageW(kvtest::TestModule(), MAKEINTRESOURCEW(151), 4, 1, kMagenta, IMAGE_BITMAP, 0), nullptr)
      << "no such resource";
}

}  // namespace
