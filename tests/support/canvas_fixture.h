// Shared helpers of the canvas tests: a canvas that can be locked on any
// context, recording and raster contexts.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "kvcore/sdc.h"
#include "kvlib/suserregistry.h"
#include "sym/render/symcanv.h"
#include "win/gdisink.h"

// A canvas locked on a given context at zoom 100 (the context's resolution).
class TestCanvas : public SSymCanvas {
 public:
  using SSymCanvas::BuildTransformationMatrices;
  using SSymCanvas::ClearCaches;
  using SSymCanvas::DrawText;
  using SSymCanvas::GetDetailWrapText;
  using SSymCanvas::InitScale;
  using SSymCanvas::LookupBrush;
  using SSymCanvas::LookupFont;
  using SSymCanvas::LookupPen;
  using SSymCanvas::SetZoomLevel;
  using SSymCanvas::Unlock;

  // Scale from dc, optional device size, then lock.
  void LockOn(SDC& dc, SIZE size = {0, 0}) {
    InitScale(dc);
    if (size.cx || size.cy) SetSizeDP(size);
    SSymCanvas::Lock(dc);
  }
  void LockOnly(SDC& dc) { SSymCanvas::Lock(dc); }
  const SSymRect& View() const { return m_rcView; }
  int PenCount() const { return m_penCache.GetCount(); }
  int BrushCount() const { return m_brushCache.GetCount(); }
  int FontCount() const { return m_fontCache.GetCount(); }
  SGdiPen* GdiPen() const { return m_pGdiPen; }
};

// A context on a call log, at `dpi` pixels per inch.
// The stock object index of the context's current brush (-1 for none).
inline int CurrentStockBrush(SDC& dc) { return KvStockObjectIndex(KvHandleCast<HGDIOBJ>(dc.GetCurrentBrush())); }

struct RecordingDC {
  explicit RecordingDC(int dpi = 96) {
    KvDeviceInfo info = KvRecordingSink::DefaultInfo();
    info.dpiX = info.dpiY = dpi;
    auto sink = std::make_unique<KvRecordingSink>(info);
    rec = sink.get();
    dc.Attach(KvCreateDCOnSink(std::move(sink)), true);
  }
  const std::vector<std::string>& Log() const { return rec->Log(); }
  bool Has(const std::string& prefix) const {
    for (const auto& l : Log())
      if (l.rfind(prefix, 0) == 0) return true;
    return false;
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& l : Log())
      if (l.rfind(prefix, 0) == 0) ++n;
    return n;
  }
  SDC dc;
  KvRecordingSink* rec = nullptr;
};

// A white raster context of w x h pixels at 96 pixels per inch.
struct RasterDC {
  RasterDC(int w, int h) {
    dc.CreateCompatibleDC(nullptr);
    SScreenDC screen;
    bitmap.CreateCompatibleBitmap(&screen, w, h);
    old = dc.SelectObject(bitmap);
    RECT rc{0, 0, w, h};
    dc.FillRect(&rc, KvHandleCast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    width = w;
    height = h;
  }
  ~RasterDC() {
    if (old) dc.SelectObject(old);
  }
  std::vector<COLORREF> Pixels() {
    std::vector<COLORREF> px;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) px.push_back(dc.GetPixel(x, y));
    return px;
  }
  SDC dc;
  SBitmap bitmap;
  HGDIOBJ old = nullptr;
  int width, height;
};

// Sets the "DisableGDIDraw" user setting for the life of the scope.
struct GdiDrawSetting {
  explicit GdiDrawSetting(long value) {
    SUserRegistry(SUserRegistry::sApplicationGeneral).WriteProfile(SString(u"DisableGDIDraw"), value);
    SSymCanvas::ResetDisableGDIDraw();
  }
  ~GdiDrawSetting() {
    SUserRegistry(SUserRegistry::sApplicationGeneral).WriteProfile(SString(u"DisableGDIDraw"), 0L);
    SSymCanvas::ResetDisableGDIDraw();
  }
};
