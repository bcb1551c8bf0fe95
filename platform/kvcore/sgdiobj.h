// Owners of GDI objects: SGdiObject and its pens, brushes, fonts, regions
// and bitmaps. Each owns its handle and deletes it when it is destroyed
// (stock objects are never deleted); Attach/Detach move ownership.
#pragma once

#include <cstdint>

#include "kvcore/sobject.h"
#include "kvcore/sstring.h"
#include "win/gdiplus.h"
#include "win/wingdi.h"

class SDC;
class SInputStream;
class SOutputStream;
struct KvImage;

// The pixels of a bitmap as an opaque image, and a 32-bit DIB section made
// from an image (transparent pixels composed over white).
bool KvBitmapToImage(HBITMAP bitmap, KvImage& out);
HBITMAP KvImageToBitmap(const KvImage& image);
// An empty top-down 32-bit DIB section of the image's size, with its pixels
// in *bits; null (and *bits null) for an image without pixels or on failure.
HBITMAP KvCreateImageDib(const KvImage& image, std::uint32_t** bits);

// Handle conversions between the distinct handle types.
template <class To, class From>
inline To KvHandleCast(From h) {
  return reinterpret_cast<To>(h);
}

class SGdiObject : public SObject {
 public:
  SGdiObject() = default;
  explicit SGdiObject(HGDIOBJ h) : m_hObject(h) {}
  ~SGdiObject() override { DeleteObject(); }
  SGdiObject(const SGdiObject&) = delete;
  SGdiObject& operator=(const SGdiObject&) = delete;
  SGdiObject(SGdiObject&& other) noexcept : m_hObject(other.Detach()) {}
  SGdiObject& operator=(SGdiObject&& other) noexcept {
    if (this != &other) {
      DeleteObject();
      m_hObject = other.Detach();
    }
    return *this;
  }

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }
  bool IsValid() const { return m_hObject != nullptr; }
  // Takes ownership of `h` (deleting what was held). FALSE for a null handle.
  BOOL Attach(HGDIOBJ h);
  // Gives the handle up without deleting it.
  HGDIOBJ Detach() {
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
  }
  // Deletes the held object; FALSE when there was none or GDI refused
  // (the handle is given up in both cases).
  BOOL DeleteObject();
  int GetObject(int size, void* out) const { return m_hObject ? GetObjectW(m_hObject, size, out) : 0; }
  DWORD GetObjectType() const { return m_hObject ? ::GetObjectType(m_hObject) : 0; }

  KV_DECLARE_CLASSINFO()

 protected:
  HGDIOBJ m_hObject = nullptr;
};

class SPen : public SGdiObject {
 public:
  SPen() = default;
  SPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  explicit SPen(HPEN h) : SGdiObject(KvHandleCast<HGDIOBJ>(h)) {}
  operator HPEN() const { return KvHandleCast<HPEN>(m_hObject); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(KvHandleCast<HGDIOBJ>(::CreatePen(style, width, color))); }
  BOOL CreatePenIndirect(const LOGPEN* lp) { return lp && Attach(KvHandleCast<HGDIOBJ>(::CreatePenIndirect(lp))); }
  BOOL ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD count = 0, const DWORD* styles = nullptr) {
    return Attach(KvHandleCast<HGDIOBJ>(::ExtCreatePen(style, width, brush, count, styles)));
  }
  // Holds a stock pen (NULL_PEN, BLACK_PEN, WHITE_PEN); never deleted.
  BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
  BOOL GetLogPen(LOGPEN* lp) const;
  // The extended record of any pen (a CreatePen pen answers it as a cosmetic
  // pen of its style, width and colour). FALSE without a pen.
  BOOL GetExtLogPen(EXTLOGPEN* elp) const;
};

class SBrush : public SGdiObject {
 public:
  SBrush() = default;
  explicit SBrush(COLORREF color) { CreateSolidBrush(color); }
  SBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }
  explicit SBrush(HBRUSH h) : SGdiObject(KvHandleCast<HGDIOBJ>(h)) {}
  operator HBRUSH() const { return KvHandleCast<HBRUSH>(m_hObject); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(KvHandleCast<HGDIOBJ>(::CreateSolidBrush(color))); }
  BOOL CreateHatchBrush(int hatch, COLORREF color) { return Attach(KvHandleCast<HGDIOBJ>(::CreateHatchBrush(hatch, color))); }
  BOOL CreatePatternBrush(HBITMAP bitmap) { return bitmap && Attach(KvHandleCast<HGDIOBJ>(::CreatePatternBrush(bitmap))); }
  BOOL CreateBrushIndirect(const LOGBRUSH* lb) { return lb && Attach(KvHandleCast<HGDIOBJ>(::CreateBrushIndirect(lb))); }
  BOOL CreateStockObject(int index) { return Attach(::GetStockObject(index)); }
  BOOL GetLogBrush(LOGBRUSH* lb) const { return lb && GetObject(sizeof(LOGBRUSH), lb) != 0; }
  // Lets the next selection realise the brush origin again; pattern origins
  // are taken from the DC at every fill here, so this only checks the handle.
  BOOL UnrealizeObject() const { return m_hObject != nullptr; }
};

class SFont : public SGdiObject {
 public:
  SFont() = default;
  explicit SFont(HFONT h) : SGdiObject(KvHandleCast<HGDIOBJ>(h)) {}
  operator HFONT() const { return KvHandleCast<HFONT>(m_hObject); }
  BOOL CreateFontIndirectW(const LOGFONTW* lf) { return lf && Attach(KvHandleCast<HGDIOBJ>(::CreateFontIndirectW(lf))); }
  BOOL CreateFontIndirect(const LOGFONTW* lf) { return CreateFontIndirectW(lf); }
  // A font of `tenthsOfPoint` / 10 points for `dc`'s resolution (null: the screen).
  BOOL CreatePointFont(int tenthsOfPoint, const char16_t* face, SDC* dc = nullptr);
  BOOL GetLogFont(LOGFONTW* lf) const { return lf && GetObject(sizeof(LOGFONTW), lf) != 0; }
};

class SRgn : public SGdiObject {
 public:
  SRgn() = default;
  explicit SRgn(HRGN h) : SGdiObject(KvHandleCast<HGDIOBJ>(h)) {}
  operator HRGN() const { return KvHandleCast<HRGN>(m_hObject); }
  BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(KvHandleCast<HGDIOBJ>(::CreateRectRgn(l, t, r, b))); }
  BOOL CreateRectRgnIndirect(const RECT* rc) { return rc && CreateRectRgn(rc->left, rc->top, rc->right, rc->bottom); }
  BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(KvHandleCast<HGDIOBJ>(::CreateEllipticRgn(l, t, r, b))); }
  BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
    return Attach(KvHandleCast<HGDIOBJ>(::CreateRoundRectRgn(l, t, r, b, w, h)));
  }
  BOOL CreatePolygonRgn(const POINT* pts, int count, int fillMode) {
    return pts && count > 0 && Attach(KvHandleCast<HGDIOBJ>(::CreatePolygonRgn(pts, count, fillMode)));
  }
  // Region results (NULLREGION, SIMPLEREGION, COMPLEXREGION, ERROR).
  int CombineRgn(const SRgn* a, const SRgn* b, int mode);
  int CopyRgn(const SRgn* src) { return CombineRgn(src, nullptr, RGN_COPY); }
  int OffsetRgn(int dx, int dy) { return m_hObject ? ::OffsetRgn(*this, dx, dy) : ERROR; }
  BOOL SetRectRgn(int l, int t, int r, int b) { return m_hObject && ::SetRectRgn(*this, l, t, r, b); }
  BOOL PtInRegion(int x, int y) const { return m_hObject && ::PtInRegion(*this, x, y); }
  BOOL PtInRegion(POINT pt) const { return PtInRegion(pt.x, pt.y); }
  BOOL RectInRegion(const RECT* rc) const { return m_hObject && rc && ::RectInRegion(*this, rc); }
  int GetRgnBox(RECT* rc) const { return m_hObject && rc ? ::GetRgnBox(*this, rc) : ERROR; }
  BOOL EqualRgn(const SRgn* other) const { return m_hObject && other && other->m_hObject && ::EqualRgn(*this, *other); }
};

class SBitmap : public SGdiObject {
 public:
  SBitmap() = default;
  explicit SBitmap(HBITMAP h) : SGdiObject(KvHandleCast<HGDIOBJ>(h)) {}
  operator HBITMAP() const { return KvHandleCast<HBITMAP>(m_hObject); }
  BOOL CreateCompatibleBitmap(SDC* dc, int cx, int cy);
  BOOL CreateBitmap(int cx, int cy, UINT planes, UINT bitsPerPel, const void* bits) {
    return Attach(KvHandleCast<HGDIOBJ>(::CreateBitmap(cx, cy, planes, bitsPerPel, bits)));
  }
  // Reads a bitmap file (BMP) from the stream's position: the stream form of
  // bitmaps. FALSE (stream position unspecified) when the bytes are not one.
  BOOL CreateBitmap(SInputStream& in);
  // Writes the bitmap as a bitmap file (24-bit BMP) to the stream.
  BOOL GetStreamBitmap(SOutputStream& out) const;
  // Writes the bitmap to a file whose extension picks the format: ".png"
  // gives PNG, anything else a BMP file. FALSE without a bitmap or when the
  // file cannot be written.
  BOOL SaveBitmap(const SString& path) const;
  BOOL GetBitmap(BITMAP* bm) const { return bm && GetObject(sizeof(BITMAP), bm) != 0; }
  SIZE GetSize() const;
};

// The GDI+ pen equivalent to a GDI pen: colour, width (at least 1), dash
// style, end caps and joins from the extended pen record. A null pen is
// fully transparent.
class SGdiPen : public Gdiplus::Pen {
 public:
  explicit SGdiPen(const EXTLOGPEN& elp);
  // The record the pen was made from (its first seven words).
  const EXTLOGPEN& GetExtLogPen() const { return m_elp; }
  // True when `elp` has the same seven words.
  bool IsSame(const EXTLOGPEN& elp) const;

 private:
  EXTLOGPEN m_elp;
};
