// OLE objects drawn through their view objects: the view object gets the
// canvas's context and the device rectangle, an open object is hatched over,
// a missing view object draws nothing but the hatch; the SVG canvas writes
// the view object's drawing as a picture and the hatch as a pattern.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/canvas_fixture.h"
#include "support/file_fixture.h"
#include "sym/render/symcanvsvg.h"
#include "sym/render/symdeftcanv.h"
#include "win/winole.h"

namespace {

using namespace kvtest;

// Fills its bounds red and remembers them.
class RedView final : public IViewObject {
 public:
  HRESULT QueryInterface(REFIID, void** ppv) override {
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC hdc, const RECTL* bounds, const RECTL*,
               BOOL (*)(ULONG_PTR), ULONG_PTR) override {
    ++draws;
    lastAspect = aspect;
    lastIndex = index;
    last = *bounds;
    const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    ::FillRect(hdc, &r, red);
    DeleteObject(red);
    return S_OK;
  }
  HRESULT SetAdvise(DWORD, DWORD, IAdviseSink*) override { return S_OK; }
  HRESULT GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
  int draws = 0;
  DWORD lastAspect = 0;
  LONG lastIndex = 0;
  RECTL last{};
};

TEST(CanvasOle, ViewObjectDrawsInTheDeviceRectAndOpenItemsAreHatched) {
  struct Case {
    bool view, open;
    COLORREF fill;  // what the object leaves inside
    bool hatched;
  };
  const Case cases[] = {
      {true, false, RGB(255, 0, 0), false},
      {true, true, RGB(255, 0, 0), true},
      {false, true, RGB(255, 255, 255), true},
      {false, false, RGB(255, 255, 255), false},
  };
  for (const Case& c : cases) {
    RasterDC target(200, 200);
    TestCanvas canvas;
    canvas.LockOn(target.dc, {200, 200});
    RedView view;
    const SSymRect r(1500, 6000, 6000, 1500);
    canvas.DrawViewObject(r, c.view ? &view : nullptr, DVASPECT_CONTENT, -1, c.open ? 1 : 0);
    const RECT d = canvas.VPtoDP(r);
    EXPECT_EQ(view.draws, c.view ? 1 : 0);
    if (c.view) {
      EXPECT_EQ(view.lastIndex, -1);
      EXPECT_EQ(view.last.left, std::min(d.left, d.right));
      EXPECT_EQ(view.last.top, std::min(d.top, d.bottom));
    }
    int dark = 0, fill = 0, outside = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) {
        const COLORREF px = target.dc.GetPixel(x, y);
        if (!c.view) continue;
        const bool in = x >= view.last.left && x < view.last.right && y >= view.last.top && y < view.last.bottom;
        if (!in) outside += px != RGB(255, 255, 255);
        if (in) (px == RGB(0, 0, 0) ? dark : fill) += 1;
      }
    if (c.view) {
      EXPECT_EQ(outside, 0);
      EXPECT_EQ(dark > 0, c.hatched);
      EXPECT_GT(fill, dark);  // the hatch leaves the object readable
    } else {
      // Without a view object only the hatch is drawn.
      const POINT mid = canvas.VPtoDP(SSymPoint(3750, 3750));
      int marks = 0;
      for (int x = mid.x - 10; x < mid.x + 10; ++x) marks += target.dc.GetPixel(x, mid.y) == RGB(0, 0, 0);
      EXPECT_EQ(marks > 0, c.hatched);
    }
    canvas.Unlock();
  }
}

TEST(CanvasOle, SvgWritesThePictureAndTheHatch) {
  TempDir dir;
  const fs::path file = dir.path / "ole.svg";
  SSymCanvasSVG canvas;
  // The document's path decides where its pictures go: beside it, never
  // into the working folder.
  canvas.SetFilePath(SString(file.string()));
  ASSERT_EQ(canvas.Lock(SSymRect(0, 7050, 7050, 0)), 1);
  RedView view;
  canvas.DrawViewObject(SSymRect(750, 6000, 6000, 750), &view, DVASPECT_CONTENT, -1, 1);
  canvas.DrawViewObject(SSymRect(750, 6000, 6000, 750), nullptr, DVASPECT_CONTENT, -1, 0);
  EXPECT_EQ(view.draws, 1);
  EXPECT_GT(view.last.right - view.last.left, 60);
  SSVG out;
  canvas.Unlock(out);
  ASSERT_EQ(out.SaveDocument(SString(file.string()), 3), 1);
  const std::string text = ReadFile(file);
  EXPECT_NE(text.find("<image"), std::string::npos);
  EXPECT_NE(text.find("<pattern"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir.path / "ole_svg_Files" / "svg_bitmap1.png"));

  // The measuring canvas draws nothing, with or without a view object.
  SSymDeftCanvas measure;
  measure.DrawViewObject(SSymRect(0, 100, 100, 0), &view, DVASPECT_CONTENT, -1, 1);
  measure.DrawViewObject(SSymRect(0, 100, 100, 0), nullptr, DVASPECT_CONTENT, -1, 1);
  EXPECT_EQ(view.draws, 1);
}

}  // namespace
