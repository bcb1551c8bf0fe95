#include "kvcore/sgdiobj.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sstream.h"
#include "win/image.h"

KV_IMPLEMENT_CLASSINFO(SGdiObject, SObject);

// ---- bitmap pixels <-> images (shared with the picture classes) -------------

bool KvBitmapToImage(HBITMAP bitmap, KvImage& out) {
  BITMAP bm = {};
  if (!bitmap || !GetObjectW(KvHandleCast<HGDIOBJ>(bitmap), sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    return false;
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = bm.bmWidth;
  bmi.bmiHeader.biHeight = -bm.bmHeight;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> px(static_cast<std::size_t>(bm.bmWidth) * static_cast<std::size_t>(bm.bmHeight));
  HDC dc = CreateCompatibleDC(nullptr);
  const int lines = GetDIBits(dc, bitmap, 0, static_cast<UINT>(bm.bmHeight), px.data(), &bmi, DIB_RGB_COLORS);
  DeleteDC(dc);
  if (lines != bm.bmHeight) return false;
  out.width = bm.bmWidth;
  out.height = bm.bmHeight;
  out.hasAlpha = false;
  for (auto& p : px) p |= 0xFF000000u;  // DC bitmaps are opaque
  out.px = std::move(px);
  return true;
}

HBITMAP KvCreateImageDib(const KvImage& image, std::uint32_t** bits) {
  *bits = nullptr;
  if (image.width <= 0 || image.height <= 0 ||
      image.px.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return nullptr;
  BITMAPINFO bmi = {};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = image.width;
  bmi.bmiHeader.biHeight = -image.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (bitmap && !pixels) {
    DeleteObject(KvHandleCast<HGDIOBJ>(bitmap));
    return nullptr;
  }
  *bits = static_cast<std::uint32_t*>(pixels);
  return bitmap;
}

HBITMAP KvImageToBitmap(const KvImage& image) {
  std::uint32_t* dst = nullptr;
  HBITMAP bitmap = KvCreateImageDib(image, &dst);
  if (!bitmap) return nullptr;
  // Transparent pixels are composed over white, as a DC bitmap holds no alpha.
  for (std::size_t i = 0; i < image.px.size(); ++i) {
    const std::uint32_t p = image.px[i];
    const std::uint32_t a = image.hasAlpha ? p >> 24 : 255;
    auto mix = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
    dst[i] = (mix((p >> 16) & 0xFF) << 16) | (mix((p >> 8) & 0xFF) << 8) | mix(p & 0xFF);
  }
  return bitmap;
}

// ---- SGdiObject -----------------------------------------------------------------

BOOL SGdiObject::Attach(HGDIOBJ h) {
  if (!h) return FALSE;
  if (h != m_hObject) DeleteObject();
  m_hObject = h;
  return TRUE;
}

BOOL SGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  HGDIOBJ h = Detach();
  if (KvStockObjectIndex(h) >= 0) return TRUE;  // stock objects stay
  return ::DeleteObject(h);
}

// ---- SPen ---------------------------------------------------------------------------

BOOL SPen::GetLogPen(LOGPEN* lp) const {
  if (!lp || !m_hObject) return FALSE;
  if (GetObject(sizeof(LOGPEN), lp) == static_cast<int>(sizeof(LOGPEN)) && ::GetObjectType(m_hObject) == OBJ_PEN)
    return TRUE;
  EXTLOGPEN elp;
  if (!GetExtLogPen(&elp)) return FALSE;
  lp->lopnStyle = elp.elpPenStyle & PS_STYLE_MASK;
  lp->lopnWidth = {static_cast<LONG>(elp.elpWidth), 0};
  lp->lopnColor = elp.elpColor;
  return TRUE;
}

BOOL SPen::GetExtLogPen(EXTLOGPEN* elp) const {
  if (!elp || !m_hObject) return FALSE;
  std::memset(elp, 0, sizeof *elp);
  if (::GetObjectType(m_hObject) == OBJ_EXTPEN) {
    const int size = GetObjectW(m_hObject, 0, nullptr);
    if (size <= 0) return FALSE;
    std::vector<BYTE> buf(static_cast<std::size_t>(std::max<int>(size, sizeof(EXTLOGPEN))));
    if (!GetObjectW(m_hObject, size, buf.data())) return FALSE;
    std::memcpy(elp, buf.data(), sizeof(EXTLOGPEN));
    elp->elpNumEntries = 0;  // the caller's record holds no room for entries
    return TRUE;
  }
  LOGPEN lp;
  if (GetObjectW(m_hObject, sizeof lp, &lp) != static_cast<int>(sizeof lp)) return FALSE;
  elp->elpPenStyle = PS_COSMETIC | lp.lopnStyle;
  elp->elpWidth = static_cast<DWORD>(std::max<LONG>(lp.lopnWidth.x, 0));
  elp->elpBrushStyle = BS_SOLID;
  elp->elpColor = lp.lopnColor;
  return TRUE;
}

// ---- SFont ------------------------------------------------------------------------

BOOL SFont::CreatePointFont(int tenthsOfPoint, const char16_t* face, SDC* dc) {
  LOGFONTW lf = {};
  HDC h = dc ? dc->GetSafeHdc() : nullptr;
  HDC screen = h ? nullptr : GetDC(nullptr);
  const int dpi = GetDeviceCaps(h ? h : screen, LOGPIXELSY);
  if (screen) ReleaseDC(nullptr, screen);
  lf.lfHeight = -MulDiv(tenthsOfPoint, dpi > 0 ? dpi : 96, 720);
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  for (int i = 0; face && face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirectW(&lf);
}

// ---- SRgn -------------------------------------------------------------------------

int SRgn::CombineRgn(const SRgn* a, const SRgn* b, int mode) {
  if (!a || !a->m_hObject || (mode != RGN_COPY && (!b || !b->m_hObject))) return ERROR;
  if (!m_hObject && !CreateRectRgn(0, 0, 0, 0)) return ERROR;
  return ::CombineRgn(*this, *a, b && b->m_hObject ? static_cast<HRGN>(*b) : nullptr, mode);
}

// ---- SBitmap ----------------------------------------------------------------------

BOOL SBitmap::CreateCompatibleBitmap(SDC* dc, int cx, int cy) {
  return Attach(KvHandleCast<HGDIOBJ>(::CreateCompatibleBitmap(dc ? dc->GetSafeHdc() : nullptr, cx, cy)));
}

SIZE SBitmap::GetSize() const {
  BITMAP bm = {};
  if (!GetBitmap(&bm)) return {0, 0};
  return {bm.bmWidth, bm.bmHeight};
}

BOOL SBitmap::CreateBitmap(SInputStream& in) {
  BYTE head[14];
  if (in.Read(head, sizeof head) != sizeof head || head[0] != 'B' || head[1] != 'M') return FALSE;
  DWORD fileSize;
  std::memcpy(&fileSize, head + 2, 4);
  // A header that claims more than the stream holds is refused before
  // anything is allocated for it.
  if (fileSize < 14 + 40 || fileSize > (1u << 30) || fileSize - 14 > in.GetAvailable()) return FALSE;
  std::vector<BYTE> bytes(fileSize);
  std::memcpy(bytes.data(), head, sizeof head);
  if (in.Read(bytes.data() + 14, fileSize - 14) != fileSize - 14) return FALSE;
  KvImage image;
  if (!KvReadBmp(bytes.data(), bytes.size(), image)) return FALSE;
  return Attach(KvHandleCast<HGDIOBJ>(KvImageToBitmap(image)));
}

BOOL SBitmap::GetStreamBitmap(SOutputStream& out) const {
  KvImage image;
  std::vector<std::uint8_t> bytes;
  if (!KvBitmapToImage(*this, image) || !KvWriteBmp(image, bytes)) return FALSE;
  out.Write(bytes.data(), bytes.size());
  return TRUE;
}

BOOL SBitmap::SaveBitmap(const SString& path) const {
  if (!m_hObject || path.IsEmpty()) return FALSE;
  SString ext = path.Mid(path.ReverseFind(u'.') + 1);
  ext.MakeLower();
  const std::string file = path.ToUtf8();
  if (path.ReverseFind(u'.') >= 0 && ext == "png") return KvSaveBitmapPng(*this, file.c_str());
  KvImage image;
  std::vector<std::uint8_t> bytes;
  if (!KvBitmapToImage(*this, image) || !KvWriteBmp(image, bytes)) return FALSE;
  std::FILE* f = std::fopen(file.c_str(), "wb");
  if (!f) return FALSE;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0 && ok) ? TRUE : FALSE;
}

// ---- SGdiPen ------------------------------------------------------------------------

namespace {

Gdiplus::Color ColorOf(const EXTLOGPEN& elp) {
  if ((elp.elpPenStyle & PS_STYLE_MASK) == PS_NULL || elp.elpBrushStyle == BS_NULL) return Gdiplus::Color(0, 0, 0, 0);
  return Gdiplus::Color(255, GetRValue(elp.elpColor), GetGValue(elp.elpColor), GetBValue(elp.elpColor));
}

Gdiplus::REAL WidthOf(const EXTLOGPEN& elp) {
  if ((elp.elpPenStyle & PS_TYPE_MASK) != PS_GEOMETRIC) return 1.0f;
  return elp.elpWidth > 1 ? static_cast<Gdiplus::REAL>(elp.elpWidth) : 1.0f;
}

}  // namespace

SGdiPen::SGdiPen(const EXTLOGPEN& elp) : Gdiplus::Pen(ColorOf(elp), WidthOf(elp)), m_elp(elp) {
  switch (elp.elpPenStyle & PS_STYLE_MASK) {
    case PS_DASH: SetDashStyle(Gdiplus::DashStyleDash); break;
    case PS_DOT: SetDashStyle(Gdiplus::DashStyleDot); break;
    case PS_DASHDOT: SetDashStyle(Gdiplus::DashStyleDashDot); break;
    case PS_DASHDOTDOT: SetDashStyle(Gdiplus::DashStyleDashDotDot); break;
    case PS_ALTERNATE: {
      const Gdiplus::REAL pattern[2] = {1.0f, 1.0f};
      SetDashPattern(pattern, 2);
      break;
    }
    default: break;
  }
  const bool geometric = (elp.elpPenStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
  if (geometric) {
    const DWORD cap = elp.elpPenStyle & PS_ENDCAP_MASK;
    const Gdiplus::LineCap c = cap == PS_ENDCAP_SQUARE ? Gdiplus::LineCapSquare
                               : cap == PS_ENDCAP_FLAT ? Gdiplus::LineCapFlat
                                                       : Gdiplus::LineCapRound;
    SetLineCap(c, c, c == Gdiplus::LineCapRound ? Gdiplus::DashCapRound : Gdiplus::DashCapFlat);
    const DWORD join = elp.elpPenStyle & PS_JOIN_MASK;
    SetLineJoin(join == PS_JOIN_BEVEL ? Gdiplus::LineJoinBevel
                : join == PS_JOIN_MITER ? Gdiplus::LineJoinMiter
                                        : Gdiplus::LineJoinRound);
  }
}

bool SGdiPen::IsSame(const EXTLOGPEN& elp) const {
  return m_elp.elpPenStyle == elp.elpPenStyle && m_elp.elpWidth == elp.elpWidth &&
         m_elp.elpBrushStyle == elp.elpBrushStyle && m_elp.elpColor == elp.elpColor &&
         m_elp.elpHatch == elp.elpHatch && m_elp.elpNumEntries == elp.elpNumEntries &&
         m_elp.elpStyleEntry[0] == elp.elpStyleEntry[0];
}
