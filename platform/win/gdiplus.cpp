// GDI+ over cairo.
#include "win/gdiplus.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <utility>

#include "win/emfstore.h"
#include "win/gdisink.h"
#include "win/image.h"
#include "win/imageicon.h"

namespace Gdiplus {
namespace {

template <class T>
HGDIOBJ Obj(T h) {
  return reinterpret_cast<HGDIOBJ>(h);
}

cairo_surface_t* NewSurface(int w, int h) {
  if (w <= 0 || h <= 0 || static_cast<std::uint64_t>(w) * static_cast<std::uint64_t>(h) > kKvMaxImagePixels) return nullptr;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

// Premultiplied surface pixels from plain ARGB.
cairo_surface_t* SurfaceOf(const KvImage& im, bool opaque) {
  cairo_surface_t* s = NewSurface(im.width, im.height);
  if (!s) return nullptr;
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < im.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride));
    for (int x = 0; x < im.width; ++x) {
      const std::uint32_t v = im.At(x, y);
      const std::uint32_t a = opaque ? 255 : v >> 24;
      auto pm = [&](int sh) { return (((v >> sh) & 0xFF) * a + 127) / 255; };
      row[x] = (a << 24) | (pm(16) << 16) | (pm(8) << 8) | pm(0);
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

std::uint32_t Unpremultiply(std::uint32_t v) {
  const std::uint32_t a = v >> 24;
  if (a == 0) return 0;
  if (a == 255) return v;
  auto ch = [&](int sh) { return std::min<std::uint32_t>(255, (((v >> sh) & 0xFF) * 255 + a / 2) / a); };
  return (a << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
}

KvImage ImageOf(cairo_surface_t* s, bool alpha) {
  KvImage im;
  if (!s) return im;
  cairo_surface_flush(s);
  im.width = cairo_image_surface_get_width(s);
  im.height = cairo_image_surface_get_height(s);
  const int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const bool rgb = cairo_image_surface_get_format(s) == CAIRO_FORMAT_RGB24;
  im.px.reserve(static_cast<std::size_t>(im.width) * static_cast<std::size_t>(im.height));
  for (int y = 0; y < im.height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride));
    for (int x = 0; x < im.width; ++x) im.px.push_back(rgb || !alpha ? (row[x] | 0xFF000000u) : Unpremultiply(row[x]));
  }
  im.hasAlpha = alpha && !rgb;
  return im;
}

// The metafile drawn at w x h: drawn once on black and once on white, which
// gives both the colour and the coverage of every pixel.
cairo_surface_t* RenderEmf(HENHMETAFILE emf, int w, int h) {
  cairo_surface_t* out = NewSurface(w, h);
  if (!out) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  std::vector<std::uint32_t> onBlack;
  bool ok = mem && bm;
  if (ok) {
    HGDIOBJ old = SelectObject(mem, Obj(bm));
    const RECT rc{0, 0, w, h};
    for (int pass = 0; pass < 2 && ok; ++pass) {
      PatBlt(mem, 0, 0, w, h, pass == 0 ? BLACKNESS : WHITENESS);
      PlayEnhMetaFile(mem, emf, &rc);
      cairo_surface_t* s = KvGetBitmapSurface(bm);
      if (!s) {
        ok = false;
        break;
      }
      cairo_surface_flush(s);
      const int sw = std::min(w, cairo_image_surface_get_width(s)), sh = std::min(h, cairo_image_surface_get_height(s));
      const int stride = cairo_image_surface_get_stride(s), ostride = cairo_image_surface_get_stride(out);
      const unsigned char* src = cairo_image_surface_get_data(s);
      unsigned char* dst = cairo_image_surface_get_data(out);
      cairo_surface_flush(out);
      for (int y = 0; y < sh; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(src + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride));
        auto* orow = reinterpret_cast<std::uint32_t*>(dst + static_cast<std::size_t>(y) * static_cast<std::size_t>(ostride));
        for (int x = 0; x < sw; ++x) {
          const std::uint32_t v = row[x] & 0xFFFFFF;
          if (pass == 0) {
            onBlack.push_back(v);
            continue;
          }
          const std::uint32_t b = onBlack[static_cast<std::size_t>(y) * static_cast<std::size_t>(sw) + static_cast<std::size_t>(x)];
          std::uint32_t diff = 0;
          for (int k = 0; k < 24; k += 8) diff = std::max(diff, ((v >> k) & 0xFF) - std::min((v >> k) & 0xFF, (b >> k) & 0xFF));
          const std::uint32_t a = 255 - diff;
          auto ch = [&](int k) { return std::min<std::uint32_t>((b >> k) & 0xFF, a) << k; };
          orow[x] = (a << 24) | ch(16) | ch(8) | ch(0);
        }
      }
      cairo_surface_mark_dirty(out);
    }
    SelectObject(mem, old);
  }
  if (bm) DeleteObject(Obj(bm));
  if (mem) DeleteDC(mem);
  if (!ok) {
    cairo_surface_destroy(out);
    return nullptr;
  }
  return out;
}

bool ReadAll(const WCHAR* file, std::vector<std::uint8_t>& bytes) {
  return file && emf::ReadFileBytes(emf::PathFromWide(file), bytes);
}

const ImageCodecInfo kEncoders[] = {
    {CLSID_BmpEncoder, ImageFormatBMP, u"Built-in BMP Codec", nullptr, u"BMP", u"*.BMP;*.DIB;*.RLE", u"image/bmp",
     0x10007, 1, 0, 0, nullptr, nullptr},
    {CLSID_PngEncoder, ImageFormatPNG, u"Built-in PNG Codec", nullptr, u"PNG", u"*.PNG", u"image/png", 0x10007, 1, 0, 0,
     nullptr, nullptr},
};

bool SameText(const WCHAR* a, const WCHAR* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    auto low = [](WCHAR c) { return c >= u'A' && c <= u'Z' ? static_cast<WCHAR>(c + 32) : c; };
    if (low(*a) != low(*b)) return false;
  }
  return *a == *b;
}

}  // namespace

// ---- start-up and encoders -------------------------------------------------------
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput*) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  *token = 1;
  return Ok;
}
void GdiplusShutdown(ULONG_PTR) {}

Status GetImageEncodersSize(UINT* num, UINT* size) {
  if (!num || !size) return InvalidParameter;
  *num = 2;
  *size = static_cast<UINT>(sizeof kEncoders);
  return Ok;
}

Status GetImageEncoders(UINT num, UINT size, ImageCodecInfo* encoders) {
  if (!encoders || num != 2 || size < sizeof kEncoders) return InvalidParameter;
  std::memcpy(encoders, kEncoders, sizeof kEncoders);
  return Ok;
}

bool GetEncoderClsid(const WCHAR* mime, CLSID* clsid) {
  for (const ImageCodecInfo& e : kEncoders)
    if (SameText(mime, e.MimeType)) {
      if (clsid) *clsid = e.Clsid;
      return true;
    }
  return false;
}

// ---- pens and brushes ------------------------------------------------------------
Pen::Pen(const Color& color, REAL width) : color_(color), width_(width) {}
Status Pen::SetWidth(REAL w) {
  if (!(w >= 0) || !std::isfinite(w)) return last_ = InvalidParameter;
  width_ = w;
  return last_ = Ok;
}
Status Pen::SetColor(const Color& c) {
  color_ = c;
  return last_ = Ok;
}
Status Pen::GetColor(Color* c) const {
  if (!c) return last_ = InvalidParameter;
  *c = color_;
  return last_ = Ok;
}
Status Pen::SetDashStyle(DashStyle s) {
  if (s < DashStyleSolid || s > DashStyleCustom) return last_ = InvalidParameter;
  dash_ = s;
  return last_ = Ok;
}
Status Pen::SetDashPattern(const REAL* p, INT n) {
  if (!p || n <= 0 || n > 64) return last_ = InvalidParameter;
  for (INT i = 0; i < n; ++i)
    if (!(p[i] > 0) || !std::isfinite(p[i])) return last_ = InvalidParameter;
  pattern_.assign(p, p + n);
  dash_ = DashStyleCustom;
  return last_ = Ok;
}
Status Pen::SetLineCap(LineCap s, LineCap e, DashCap) {
  startCap_ = s;
  endCap_ = e;
  return last_ = Ok;
}
Status Pen::SetStartCap(LineCap c) {
  startCap_ = c;
  return last_ = Ok;
}
Status Pen::SetEndCap(LineCap c) {
  endCap_ = c;
  return last_ = Ok;
}
Status Pen::SetLineJoin(LineJoin j) {
  join_ = j;
  return last_ = Ok;
}
Status Pen::SetMiterLimit(REAL l) {
  if (!(l >= 1)) return last_ = InvalidParameter;
  miter_ = l;
  return last_ = Ok;
}
Status Pen::GetLastStatus() const { return std::exchange(last_, Ok); }
Status Brush::GetLastStatus() const { return std::exchange(last_, Ok); }
Status SolidBrush::GetColor(Color* c) const {
  if (!c) return last_ = InvalidParameter;
  *c = color_;
  return last_ = Ok;
}
Status SolidBrush::SetColor(const Color& c) {
  color_ = c;
  return last_ = Ok;
}

// ---- images --------------------------------------------------------------------------
Image::~Image() {
  if (surface_) cairo_surface_destroy(surface_);
  if (emf_) DeleteEnhMetaFile(emf_);
}

Image* Image::FromFile(const WCHAR* file, BOOL) {
  std::vector<std::uint8_t> bytes;
  if (!ReadAll(file, bytes)) return nullptr;
  if (KvSniffImage(bytes.data(), bytes.size()) == KvImageFormat::Emf) {
    HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!h) return nullptr;
    return new Metafile(h, TRUE);
  }
  auto* b = Bitmap::FromMemory(bytes.data(), bytes.size());
  if (b && b->GetLastStatus() != Ok) {
    delete b;
    return nullptr;
  }
  return b;
}

Image* Image::Clone() const { return nullptr; }

UINT Image::GetWidth() const {
  if (type_ == ImageTypeMetafile) return static_cast<UINT>(KvEnhMetaFileSizePx(emf_).cx);
  return surface_ ? static_cast<UINT>(cairo_image_surface_get_width(surface_)) : 0;
}
UINT Image::GetHeight() const {
  if (type_ == ImageTypeMetafile) return static_cast<UINT>(KvEnhMetaFileSizePx(emf_).cy);
  return surface_ ? static_cast<UINT>(cairo_image_surface_get_height(surface_)) : 0;
}

Status Image::GetRawFormat(GUID* format) const {
  if (!format) return Set(InvalidParameter);
  *format = raw_;
  return Set(Ok);
}

cairo_surface_t* Image::Surface() const {
  if (type_ == ImageTypeMetafile && !surface_ && emf_) {
    const SIZE sz = KvEnhMetaFileSizePx(emf_);
    surface_ = RenderEmf(emf_, sz.cx, sz.cy);
  }
  return surface_;
}

Status Image::SaveToMemory(const CLSID* clsid, std::vector<std::uint8_t>& out) {
  out.clear();
  if (!clsid) return Set(InvalidParameter);
  cairo_surface_t* s = Surface();
  if (!s) return Set(InvalidParameter);
  const bool alpha = format_ == PixelFormat32bppARGB || format_ == PixelFormat32bppPARGB;
  const KvImage im = ImageOf(s, alpha);
  bool ok = false;
  if (*clsid == CLSID_PngEncoder) ok = KvWritePng(im, out);
  else if (*clsid == CLSID_BmpEncoder) ok = KvWriteBmp(im, out);
  else return Set(UnknownImageFormat);
  return Set(ok ? Ok : GenericError);
}

Status Image::Save(const WCHAR* file, const CLSID* clsid, const EncoderParameters*) {
  if (!file) return Set(InvalidParameter);
  std::vector<std::uint8_t> bytes;
  const Status s = SaveToMemory(clsid, bytes);
  if (s != Ok) return s;
  return Set(emf::WriteFileBytes(emf::PathFromWide(file), bytes) ? Ok : Win32Error);
}

Status Image::GetLastStatus() const { return std::exchange(last_, Ok); }

// ---- bitmaps ---------------------------------------------------------------------------
void Bitmap::Adopt(cairo_surface_t* s, PixelFormat format, const GUID& raw) {
  if (surface_) cairo_surface_destroy(surface_);
  surface_ = s;
  type_ = ImageTypeBitmap;
  format_ = format;
  raw_ = raw;
}

Bitmap::Bitmap(INT w, INT h, PixelFormat format) {
  type_ = ImageTypeBitmap;
  cairo_surface_t* s = NewSurface(w, h);
  if (!s) {
    Set(InvalidParameter);
    return;
  }
  Adopt(s, format, ImageFormatMemoryBMP);
}

bool Bitmap::LoadBytes(const std::uint8_t* data, std::size_t size) {
  type_ = ImageTypeBitmap;
  const KvImageFormat kind = KvSniffImage(data, size);
  if (kind == KvImageFormat::Emf) {
    HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(std::min<std::size_t>(size, 0xFFFFFFFFu)), data);
    if (!h) return false;
    SIZE sz = KvEnhMetaFileSizePx(h);
    // A metafile is drawn at its own size up to 8 million pixels; a larger
    // frame is drawn smaller with its proportions (a damaged header can claim
    // any size, and nobody needs a bitmap of a metafile larger than that).
    constexpr double kMaxEmfPixels = 8.0 * 1024 * 1024;
    const double px = static_cast<double>(sz.cx) * static_cast<double>(sz.cy);
    if (px > kMaxEmfPixels) {
      const double f = std::sqrt(kMaxEmfPixels / px);
      sz.cx = std::max<LONG>(1, static_cast<LONG>(sz.cx * f));
      sz.cy = std::max<LONG>(1, static_cast<LONG>(sz.cy * f));
    }
    cairo_surface_t* s = RenderEmf(h, sz.cx, sz.cy);
    DeleteEnhMetaFile(h);
    if (!s) return false;
    Adopt(s, PixelFormat32bppARGB, ImageFormatEMF);
    return true;
  }
  KvImage im;
  if (!KvReadImage(data, size, im)) return false;
  cairo_surface_t* s = SurfaceOf(im, false);
  if (!s) return false;
  const GUID raw = kind == KvImageFormat::Png ? ImageFormatPNG : kind == KvImageFormat::Bmp ? ImageFormatBMP : ImageFormatIcon;
  Adopt(s, im.hasAlpha || kind != KvImageFormat::Bmp ? PixelFormat32bppARGB : PixelFormat32bppRGB, raw);
  return true;
}

Bitmap::Bitmap(const WCHAR* file, BOOL) {
  type_ = ImageTypeBitmap;
  std::vector<std::uint8_t> bytes;
  if (!ReadAll(file, bytes)) {
    Set(file ? FileNotFound : InvalidParameter);
    return;
  }
  if (!LoadBytes(bytes.data(), bytes.size())) Set(UnknownImageFormat);
}

Bitmap::Bitmap(const void* data, std::size_t size) {
  type_ = ImageTypeBitmap;
  if (!data || !LoadBytes(static_cast<const std::uint8_t*>(data), size)) Set(data ? UnknownImageFormat : InvalidParameter);
}

Bitmap::Bitmap(HBITMAP hbm, HPALETTE) {
  type_ = ImageTypeBitmap;
  cairo_surface_t* src = KvGetBitmapSurface(hbm);
  if (!src || cairo_image_surface_get_width(src) <= 0 || cairo_image_surface_get_height(src) <= 0) {
    Set(InvalidParameter);
    return;
  }
  KvImage im = ImageOf(src, false);  // DC bitmaps give opaque pixels
  cairo_surface_t* s = SurfaceOf(im, true);
  if (!s) {
    Set(OutOfMemory);
    return;
  }
  Adopt(s, PixelFormat32bppRGB, ImageFormatMemoryBMP);
}

Bitmap::Bitmap(HICON icon) {
  type_ = ImageTypeBitmap;
  const KvImage* im = KvIconImage(icon);
  cairo_surface_t* s = im ? SurfaceOf(*im, false) : nullptr;
  if (!s) {
    Set(InvalidParameter);
    return;
  }
  Adopt(s, PixelFormat32bppARGB, ImageFormatMemoryBMP);
}

Bitmap* Bitmap::FromFile(const WCHAR* file, BOOL b) { return new Bitmap(file, b); }
Bitmap* Bitmap::FromHBITMAP(HBITMAP hbm, HPALETTE pal) { return new Bitmap(hbm, pal); }
Bitmap* Bitmap::FromHICON(HICON icon) { return new Bitmap(icon); }
Bitmap* Bitmap::FromMemory(const void* data, std::size_t size) { return new Bitmap(data, size); }

Image* Bitmap::Clone() const {
  auto* b = new Bitmap();
  b->type_ = ImageTypeBitmap;
  if (surface_) {
    const KvImage im = ImageOf(surface_, true);
    b->Adopt(SurfaceOf(im, false), format_, raw_);
  }
  return b;
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) const {
  if (!color || !surface_) return Set(InvalidParameter);
  if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface_) || y >= cairo_image_surface_get_height(surface_))
    return Set(InvalidParameter);
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const std::uint32_t v = reinterpret_cast<const std::uint32_t*>(
      data + static_cast<std::size_t>(y) * static_cast<std::size_t>(cairo_image_surface_get_stride(surface_)))[x];
  color->SetValue(Unpremultiply(v));
  return Set(Ok);
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color) {
  if (!surface_ || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface_) || y >= cairo_image_surface_get_height(surface_))
    return Set(InvalidParameter);
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const ARGB v = color.GetValue();
  const std::uint32_t a = v >> 24;
  auto pm = [&](int sh) { return (((v >> sh) & 0xFF) * a + 127) / 255; };
  reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * static_cast<std::size_t>(cairo_image_surface_get_stride(surface_)))[x] =
      (a << 24) | (pm(16) << 16) | (pm(8) << 8) | pm(0);
  cairo_surface_mark_dirty(surface_);
  return Set(Ok);
}

Status Bitmap::GetHBITMAP(const Color& background, HBITMAP* out) const {
  if (!out || !surface_) return Set(InvalidParameter);
  *out = nullptr;
  const int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  HDC screen = GetDC(nullptr);
  HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
  ReleaseDC(nullptr, screen);
  cairo_surface_t* dst = bm ? KvGetBitmapSurface(bm) : nullptr;
  if (!dst) {
    if (bm) DeleteObject(Obj(bm));
    return Set(OutOfMemory);
  }
  cairo_t* cr = cairo_create(dst);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgb(cr, background.GetR() / 255.0, background.GetG() / 255.0, background.GetB() / 255.0);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_surface(cr, surface_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(dst);
  *out = bm;
  return Set(Ok);
}

Status Bitmap::GetHICON(HICON* out) const {
  if (!out || !surface_) return Set(InvalidParameter);
  *out = KvCreateIconFromImage(ImageOf(surface_, true));
  return Set(*out ? Ok : OutOfMemory);
}

// ---- metafiles -------------------------------------------------------------------------
void Metafile::Init(HENHMETAFILE own) {
  type_ = ImageTypeMetafile;
  format_ = PixelFormat32bppARGB;
  raw_ = ImageFormatEMF;
  emf_ = own;
  if (!own) Set(InvalidParameter);
}

Metafile::Metafile(HENHMETAFILE hemf, BOOL deleteEmf) {
  Init(hemf ? CopyEnhMetaFileW(hemf, nullptr) : nullptr);
  if (deleteEmf && hemf) DeleteEnhMetaFile(hemf);
}

Metafile::Metafile(const WCHAR* file) { Init(file ? GetEnhMetaFileW(file) : nullptr); }

Image* Metafile::Clone() const {
  auto* m = new Metafile();
  m->Init(emf_ ? CopyEnhMetaFileW(emf_, nullptr) : nullptr);
  return m;
}

HENHMETAFILE Metafile::GetHENHMETAFILE() const { return emf_ ? CopyEnhMetaFileW(emf_, nullptr) : nullptr; }

// ---- graphics --------------------------------------------------------------------------
Graphics::Graphics(HDC hdc) : hdc_(hdc) {
  if (!hdc || GetObjectType(Obj(hdc)) == 0) {
    hdc_ = nullptr;
    last_ = InvalidParameter;
    return;
  }
  // The context's logical-to-device mapping, from three mapped points.
  POINT p[3] = {{0, 0}, {1 << 16, 0}, {0, 1 << 16}};
  if (LPtoDP(hdc, p, 3)) {
    m_[4] = p[0].x;
    m_[5] = p[0].y;
    m_[0] = (p[1].x - p[0].x) / 65536.0;
    m_[1] = (p[1].y - p[0].y) / 65536.0;
    m_[2] = (p[2].x - p[0].x) / 65536.0;
    m_[3] = (p[2].y - p[0].y) / 65536.0;
  }
}

Graphics::Graphics(Image* image) : image_(image) {
  if (!image || image->GetType() != ImageTypeBitmap || !image->surface_) {
    image_ = nullptr;
    last_ = InvalidParameter;
    return;
  }
  own_ = cairo_create(image->surface_);
}

Graphics::~Graphics() {
  if (own_) cairo_destroy(own_);
}

Status Graphics::GetLastStatus() const { return std::exchange(last_, Ok); }

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias) return last_ = InvalidParameter;
  smoothing_ = mode;
  return last_ = Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) return last_ = InvalidParameter;
  interpolation_ = mode;
  return last_ = Ok;
}

cairo_t* Graphics::Begin() {
  cairo_t* cr = own_ ? own_ : (hdc_ ? KvGetDCCairo(hdc_) : nullptr);
  if (!cr) return nullptr;
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_set_antialias(cr, smoothing_ == SmoothingModeAntiAlias || smoothing_ == SmoothingModeHighQuality ? CAIRO_ANTIALIAS_GRAY
                                                                                                          : CAIRO_ANTIALIAS_NONE);
  cairo_matrix_t device;
  cairo_get_matrix(cr, &device);  // device pixels, as the context gives them
  const double kept[6] = {device.xx, device.yx, device.xy, device.yy, device.x0, device.y0};
  std::copy(kept, kept + 6, device_);
  if (hdc_) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, m_[0], m_[1], m_[2], m_[3], m_[4], m_[5]);
    cairo_transform(cr, &m);
  }
  return cr;
}

void Graphics::End(cairo_t* cr) {
  cairo_restore(cr);
  if (own_) cairo_surface_flush(image_->surface_);
}

void Graphics::Stroke(cairo_t* cr, const Pen* pen) {
  // The path was built in logical units; the pen is applied in device pixels.
  cairo_matrix_t device;
  cairo_matrix_init(&device, device_[0], device_[1], device_[2], device_[3], device_[4], device_[5]);
  cairo_set_matrix(cr, &device);
  const double scale = hdc_ ? std::sqrt(std::fabs(m_[0] * m_[3] - m_[1] * m_[2])) : 1.0;
  const double width = std::max(1.0, pen->width_ * scale);
  const Color c = pen->color_;
  cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
  cairo_set_line_width(cr, width);
  cairo_set_line_cap(cr, pen->startCap_ == LineCapRound ? CAIRO_LINE_CAP_ROUND
                         : pen->startCap_ == LineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                            : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, pen->join_ == LineJoinRound ? CAIRO_LINE_JOIN_ROUND
                          : pen->join_ == LineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                        : CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr, pen->miter_);
  std::vector<double> dashes;
  switch (pen->dash_) {
    case DashStyleDash: dashes = {3, 1}; break;
    case DashStyleDot: dashes = {1, 1}; break;
    case DashStyleDashDot: dashes = {3, 1, 1, 1}; break;
    case DashStyleDashDotDot: dashes = {3, 1, 1, 1, 1, 1}; break;
    case DashStyleCustom: dashes.assign(pen->pattern_.begin(), pen->pattern_.end()); break;
    default: break;
  }
  for (double& d : dashes) d *= width;
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
  cairo_stroke(cr);
}

namespace {
// The GDI pen closest to a GDI+ pen, for contexts that only record.
HPEN GdiPenOf(const Pen* pen) {
  DWORD style = PS_GEOMETRIC;
  switch (pen->GetDashStyle()) {
    case DashStyleDash: style |= PS_DASH; break;
    case DashStyleDot: style |= PS_DOT; break;
    case DashStyleDashDot: style |= PS_DASHDOT; break;
    case DashStyleDashDotDot: style |= PS_DASHDOTDOT; break;
    default: style |= PS_SOLID; break;
  }
  style |= pen->GetStartCap() == LineCapRound ? PS_ENDCAP_ROUND : pen->GetStartCap() == LineCapSquare ? PS_ENDCAP_SQUARE : PS_ENDCAP_FLAT;
  style |= pen->GetLineJoin() == LineJoinRound ? PS_JOIN_ROUND : pen->GetLineJoin() == LineJoinBevel ? PS_JOIN_BEVEL : PS_JOIN_MITER;
  Color c;
  pen->GetColor(&c);
  LOGBRUSH lb{BS_SOLID, c.ToCOLORREF(), 0};
  const DWORD width = static_cast<DWORD>(std::max(1L, std::lround(pen->GetWidth())));
  return ExtCreatePen(style, width, &lb, 0, nullptr);
}

LONG Round(double v) { return static_cast<LONG>(std::lround(std::clamp(v, -1e8, 1e8))); }

// Parametric angle (radians) of the point of an ellipse seen at `deg` degrees.
double Parametric(double deg, double rx, double ry) {
  const double t = deg * M_PI / 180.0;
  return std::atan2(std::sin(t) * rx, std::cos(t) * ry);
}
}  // namespace

Status Graphics::DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  const PointF pts[2] = {{x1, y1}, {x2, y2}};
  return DrawLines(pen, pts, 2);
}

Status Graphics::DrawLines(const Pen* pen, const PointF* points, INT count) {
  if (!pen || !points || count < 2) return last_ = InvalidParameter;
  if (cairo_t* cr = Begin()) {
    cairo_move_to(cr, points[0].X, points[0].Y);
    for (INT i = 1; i < count; ++i) cairo_line_to(cr, points[i].X, points[i].Y);
    Stroke(cr, pen);
    End(cr);
    return last_ = Ok;
  }
  if (!hdc_) return last_ = last_ == Ok ? WrongState : last_;
  std::vector<POINT> p;
  for (INT i = 0; i < count; ++i) p.push_back(POINT{Round(points[i].X), Round(points[i].Y)});
  HPEN gp = GdiPenOf(pen);
  HGDIOBJ old = SelectObject(hdc_, Obj(gp));
  const BOOL ok = Polyline(hdc_, p.data(), count);
  SelectObject(hdc_, old);
  DeleteObject(Obj(gp));
  return last_ = ok ? Ok : GenericError;
}

Status Graphics::DrawLines(const Pen* pen, const Point* points, INT count) {
  if (!points || count < 2) return last_ = InvalidParameter;
  std::vector<PointF> f;
  for (INT i = 0; i < count; ++i) f.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  return DrawLines(pen, f.data(), count);
}

Status Graphics::DrawBezier(const Pen* pen, const PointF& a, const PointF& b, const PointF& c, const PointF& d) {
  const PointF pts[4] = {a, b, c, d};
  return DrawBeziers(pen, pts, 4);
}

Status Graphics::DrawBeziers(const Pen* pen, const PointF* points, INT count) {
  if (!pen || !points || count < 4 || (count - 1) % 3) return last_ = InvalidParameter;
  if (cairo_t* cr = Begin()) {
    cairo_move_to(cr, points[0].X, points[0].Y);
    for (INT i = 1; i + 2 < count; i += 3)
      cairo_curve_to(cr, points[i].X, points[i].Y, points[i + 1].X, points[i + 1].Y, points[i + 2].X, points[i + 2].Y);
    Stroke(cr, pen);
    End(cr);
    return last_ = Ok;
  }
  if (!hdc_) return last_ = WrongState;
  std::vector<POINT> p;
  for (INT i = 0; i < count; ++i) p.push_back(POINT{Round(points[i].X), Round(points[i].Y)});
  HPEN gp = GdiPenOf(pen);
  HGDIOBJ old = SelectObject(hdc_, Obj(gp));
  const BOOL ok = PolyBezier(hdc_, p.data(), static_cast<DWORD>(count));
  SelectObject(hdc_, old);
  DeleteObject(Obj(gp));
  return last_ = ok ? Ok : GenericError;
}

Status Graphics::DrawBeziers(const Pen* pen, const Point* points, INT count) {
  if (!points || count < 1) return last_ = InvalidParameter;
  std::vector<PointF> f;
  for (INT i = 0; i < count; ++i) f.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  return DrawBeziers(pen, f.data(), count);
}

Status Graphics::DrawArc(const Pen* pen, REAL x, REAL y, REAL w, REAL h, REAL start, REAL sweep) {
  if (!pen || !(w > 0) || !(h > 0) || !std::isfinite(start) || !std::isfinite(sweep)) return last_ = InvalidParameter;
  const double rx = w / 2.0, ry = h / 2.0, cx = x + rx, cy = y + ry;
  const bool full = std::fabs(sweep) >= 360;
  const double t0 = Parametric(start, rx, ry);
  double delta = Parametric(static_cast<double>(start) + sweep, rx, ry) - t0;
  if (full) delta = sweep > 0 ? 2 * M_PI : -2 * M_PI;
  else if (sweep >= 0) { while (delta < 0) delta += 2 * M_PI; }
  else { while (delta > 0) delta -= 2 * M_PI; }
  if (cairo_t* cr = Begin()) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    if (delta >= 0) cairo_arc(cr, 0, 0, 1, t0, t0 + delta);
    else cairo_arc_negative(cr, 0, 0, 1, t0, t0 + delta);
    cairo_restore(cr);
    Stroke(cr, pen);
    End(cr);
    return last_ = Ok;
  }
  if (!hdc_) return last_ = WrongState;
  // GDI arcs run counter-clockwise on screen: from the end to the start of a clockwise sweep.
  const double a = delta >= 0 ? t0 + delta : t0, b = delta >= 0 ? t0 : t0 + delta;
  HPEN gp = GdiPenOf(pen);
  HGDIOBJ old = SelectObject(hdc_, Obj(gp));
  const BOOL ok = Arc(hdc_, Round(x), Round(y), Round(x + w), Round(y + h), Round(cx + rx * 2 * std::cos(a)),
                      Round(cy + ry * 2 * std::sin(a)), Round(cx + rx * 2 * std::cos(b)), Round(cy + ry * 2 * std::sin(b)));
  SelectObject(hdc_, old);
  DeleteObject(Obj(gp));
  return last_ = ok ? Ok : GenericError;
}

Status Graphics::DrawRectangle(const Pen* pen, REAL x, REAL y, REAL w, REAL h) {
  const PointF pts[5] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}, {x, y}};
  return DrawLines(pen, pts, 5);
}

Status Graphics::DrawEllipse(const Pen* pen, REAL x, REAL y, REAL w, REAL h) { return DrawArc(pen, x, y, w, h, 0, 360); }

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL w, REAL h) {
  const auto* solid = dynamic_cast<const SolidBrush*>(brush);
  if (!solid) return last_ = InvalidParameter;
  cairo_t* cr = Begin();
  if (!cr) return last_ = WrongState;
  const Color c = solid->color_;
  cairo_rectangle(cr, x, y, w, h);
  cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
  cairo_fill(cr);
  End(cr);
  return last_ = Ok;
}

Status Graphics::FillEllipse(const Brush* brush, REAL x, REAL y, REAL w, REAL h) {
  const auto* solid = dynamic_cast<const SolidBrush*>(brush);
  if (!solid || !(w > 0) || !(h > 0)) return last_ = InvalidParameter;
  cairo_t* cr = Begin();
  if (!cr) return last_ = WrongState;
  const Color c = solid->color_;
  cairo_save(cr);
  cairo_translate(cr, x + w / 2.0, y + h / 2.0);
  cairo_scale(cr, w / 2.0, h / 2.0);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
  cairo_fill(cr);
  End(cr);
  return last_ = Ok;
}

cairo_t* Graphics::BeginClosedFigure(const PointF* points, INT count) {
  cairo_t* cr = Begin();
  if (!cr) return nullptr;
  cairo_move_to(cr, points[0].X, points[0].Y);
  for (INT i = 1; i < count; ++i) cairo_line_to(cr, points[i].X, points[i].Y);
  cairo_close_path(cr);
  return cr;
}

Status Graphics::FillPolygon(const Brush* brush, const PointF* points, INT count) {
  const auto* solid = dynamic_cast<const SolidBrush*>(brush);
  if (!solid || !points || count < 3) return last_ = InvalidParameter;
  cairo_t* cr = BeginClosedFigure(points, count);
  if (!cr) return last_ = WrongState;
  const Color c = solid->color_;
  cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
  cairo_fill(cr);
  End(cr);
  return last_ = Ok;
}

Status Graphics::DrawPolygon(const Pen* pen, const PointF* points, INT count) {
  if (!pen || !points || count < 2) return last_ = InvalidParameter;
  cairo_t* cr = BeginClosedFigure(points, count);
  if (!cr) return last_ = WrongState;
  Stroke(cr, pen);
  End(cr);
  return last_ = Ok;
}

Status Graphics::DrawImage(Image* image, INT x, INT y) {
  if (!image) return last_ = InvalidParameter;
  return DrawImage(image, x, y, static_cast<INT>(image->GetWidth()), static_cast<INT>(image->GetHeight()));
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL w, REAL h) {
  if (!image || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) return last_ = InvalidParameter;
  if (image->GetType() == ImageTypeMetafile && hdc_) {  // vectors stay vectors
    const RECT rc{Round(x), Round(y), Round(x + w), Round(y + h)};
    return last_ = PlayEnhMetaFile(hdc_, image->emf_, &rc) ? Ok : GenericError;
  }
  cairo_surface_t* src = nullptr;
  bool own = false;
  if (image->GetType() == ImageTypeMetafile) {
    src = RenderEmf(image->emf_, std::max<LONG>(1, Round(std::fabs(w))), std::max<LONG>(1, Round(std::fabs(h))));
    own = true;
  } else {
    src = image->Surface();
  }
  if (!src) return last_ = InvalidParameter;
  const int sw = cairo_image_surface_get_width(src), sh = cairo_image_surface_get_height(src);
  Status st = Ok;
  if (cairo_t* cr = Begin()) {
    cairo_translate(cr, x, y);
    cairo_scale(cr, w / sw, h / sh);
    cairo_set_source_surface(cr, src, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr),
                             interpolation_ == InterpolationModeNearestNeighbor ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_rectangle(cr, 0, 0, sw, sh);
    cairo_fill(cr);
    End(cr);
  } else if (hdc_) {  // a recording context: the pixels over white
    KvImage im = ImageOf(src, true);
    std::vector<std::uint8_t> packed(40, 0);
    auto put = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) packed[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put(0, 40);
    put(4, static_cast<std::uint32_t>(sw));
    put(8, static_cast<std::uint32_t>(-sh));
    packed[12] = 1;
    packed[14] = 32;
    for (std::uint32_t v : im.px) {
      const std::uint32_t a = v >> 24;
      for (int k = 0; k < 24; k += 8) packed.push_back(static_cast<std::uint8_t>((((v >> k) & 0xFF) * a + 255 * (255 - a) + 127) / 255));
      packed.push_back(0);
    }
    st = StretchDIBits(hdc_, Round(x), Round(y), Round(w), Round(h), 0, 0, sw, sh, packed.data() + 40,
                       reinterpret_cast<const BITMAPINFO*>(packed.data()), DIB_RGB_COLORS, SRCCOPY)
             ? Ok
             : GenericError;
  } else {
    st = WrongState;
  }
  if (own) cairo_surface_destroy(src);
  return last_ = st;
}

Status Graphics::Clear(const Color& c) {
  cairo_t* cr = Begin();
  if (!cr) return last_ = WrongState;
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, c.GetR() / 255.0, c.GetG() / 255.0, c.GetB() / 255.0, c.GetA() / 255.0);
  cairo_paint(cr);
  End(cr);
  return last_ = Ok;
}

Pen* PenFromExtLogPen(const EXTLOGPEN& lp) {
  const bool geometric = (lp.elpPenStyle & PS_TYPE_MASK) == PS_GEOMETRIC;
  Color c;
  c.SetFromCOLORREF(lp.elpColor);
  auto* pen = new Pen(c, geometric ? static_cast<REAL>(std::max<DWORD>(lp.elpWidth, 1)) : 1.0f);
  switch (lp.elpPenStyle & PS_STYLE_MASK) {
    case PS_DASH: pen->SetDashStyle(DashStyleDash); break;
    case PS_DOT:
    case PS_ALTERNATE: pen->SetDashStyle(DashStyleDot); break;
    case PS_DASHDOT: pen->SetDashStyle(DashStyleDashDot); break;
    case PS_DASHDOTDOT: pen->SetDashStyle(DashStyleDashDotDot); break;
    case PS_NULL: pen->SetColor(Color(0, 0, 0, 0)); break;
    default: break;
  }
  if (geometric) {
    const DWORD cap = lp.elpPenStyle & PS_ENDCAP_MASK, join = lp.elpPenStyle & PS_JOIN_MASK;
    const LineCap lc = cap == PS_ENDCAP_FLAT ? LineCapFlat : cap == PS_ENDCAP_SQUARE ? LineCapSquare : LineCapRound;
    pen->SetLineCap(lc, lc, DashCapFlat);
    pen->SetLineJoin(join == PS_JOIN_MITER ? LineJoinMiter : join == PS_JOIN_BEVEL ? LineJoinBevel : LineJoinRound);
  }
  return pen;
}

BOOL DrawIconImage(HDC hdc, int x, int y, int w, int h, HICON icon) {
  Bitmap b(icon);
  if (b.GetLastStatus() != Ok || w <= 0 || h <= 0) return FALSE;
  Graphics g(hdc);
  if (g.GetLastStatus() != Ok) return FALSE;
  g.SetInterpolationMode(InterpolationModeNearestNeighbor);  // icons stretch pixel by pixel
  return g.DrawImage(&b, x, y, w, h) == Ok ? TRUE : FALSE;
}

}  // namespace Gdiplus

// ---- flat interface ----------------------------------------------------------------------
using namespace Gdiplus;

GpStatus GdipCreateFromHDC(HDC hdc, GpGraphics** g) {
  if (!g) return InvalidParameter;
  *g = nullptr;
  auto* x = new Graphics(hdc);
  if (x->GetLastStatus() != Ok) {
    delete x;
    return OutOfMemory;  // what GDI+ answers for a bad context
  }
  *g = x;
  return Ok;
}
GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** g) {
  if (!g || !image) return InvalidParameter;
  auto* x = new Graphics(image);
  if (x->GetLastStatus() != Ok) {
    delete x;
    *g = nullptr;
    return InvalidParameter;
  }
  *g = x;
  return Ok;
}
GpStatus GdipDeleteGraphics(GpGraphics* g) {
  if (!g) return InvalidParameter;
  delete g;
  return Ok;
}
GpStatus GdipSetSmoothingMode(GpGraphics* g, SmoothingMode m) { return g ? g->SetSmoothingMode(m) : InvalidParameter; }
GpStatus GdipCreatePen1(ARGB color, REAL width, Unit, GpPen** pen) {
  if (!pen) return InvalidParameter;
  *pen = new Pen(Color(color), width);
  return Ok;
}
GpStatus GdipDeletePen(GpPen* pen) {
  if (!pen) return InvalidParameter;
  delete pen;
  return Ok;
}
GpStatus GdipSetPenDashStyle(GpPen* pen, DashStyle s) { return pen ? pen->SetDashStyle(s) : InvalidParameter; }
GpStatus GdipDrawLine(GpGraphics* g, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  return g ? g->DrawLine(pen, x1, y1, x2, y2) : InvalidParameter;
}
GpStatus GdipDrawLines(GpGraphics* g, GpPen* pen, const PointF* pts, INT n) { return g ? g->DrawLines(pen, pts, n) : InvalidParameter; }
GpStatus GdipDrawBeziers(GpGraphics* g, GpPen* pen, const PointF* pts, INT n) {
  return g ? g->DrawBeziers(pen, pts, n) : InvalidParameter;
}
GpStatus GdipDrawArc(GpGraphics* g, GpPen* pen, REAL x, REAL y, REAL w, REAL h, REAL a, REAL s) {
  return g ? g->DrawArc(pen, x, y, w, h, a, s) : InvalidParameter;
}
GpStatus GdipDrawImageRectI(GpGraphics* g, GpImage* image, INT x, INT y, INT w, INT h) {
  return g ? g->DrawImage(image, x, y, w, h) : InvalidParameter;
}
GpStatus GdipCreateBitmapFromScan0(INT w, INT h, INT stride, PixelFormat format, BYTE* scan0, GpBitmap** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  auto* b = new Bitmap(w, h, format);
  if (b->GetLastStatus() != Ok) {
    delete b;
    return InvalidParameter;
  }
  if (scan0) {
    if (stride < w * 4 && stride > -w * 4) {
      delete b;
      return InvalidParameter;
    }
    for (INT y = 0; y < h; ++y)
      for (INT x = 0; x < w; ++x) {
        const BYTE* p = scan0 + static_cast<std::ptrdiff_t>(y) * stride + x * 4;
        ARGB v = static_cast<ARGB>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<ARGB>(p[3]) << 24));
        if (format != PixelFormat32bppARGB && format != PixelFormat32bppPARGB) v |= 0xFF000000u;
        b->SetPixel(x, y, Color(v));
      }
  }
  *out = b;
  return Ok;
}
namespace {
GpStatus Wrap(Bitmap* b, GpBitmap** out) {
  const Status s = b->GetLastStatus();
  if (s != Ok) {
    delete b;
    *out = nullptr;
    return s;
  }
  *out = b;
  return Ok;
}
}  // namespace
GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE pal, GpBitmap** out) {
  return out ? Wrap(new Bitmap(hbm, pal), out) : InvalidParameter;
}
GpStatus GdipCreateBitmapFromHICON(HICON icon, GpBitmap** out) { return out ? Wrap(new Bitmap(icon), out) : InvalidParameter; }
GpStatus GdipCreateBitmapFromFile(const WCHAR* file, GpBitmap** out) { return out ? Wrap(new Bitmap(file), out) : InvalidParameter; }
GpStatus GdipLoadImageFromFile(const WCHAR* file, GpImage** out) {
  if (!out) return InvalidParameter;
  *out = Image::FromFile(file);
  return *out ? Ok : (file ? UnknownImageFormat : InvalidParameter);
}
GpStatus GdipCreateMetafileFromEmf(HENHMETAFILE hemf, BOOL deleteEmf, GpMetafile** out) {
  if (!out) return InvalidParameter;
  *out = nullptr;
  if (!KvIsEnhMetaFile(hemf)) return InvalidParameter;
  *out = new Metafile(hemf, deleteEmf);
  return Ok;
}
GpStatus GdipBitmapGetPixel(GpBitmap* b, INT x, INT y, ARGB* color) {
  if (!b || !color) return InvalidParameter;
  Color c;
  const Status s = b->GetPixel(x, y, &c);
  if (s == Ok) *color = c.GetValue();
  return s;
}
GpStatus GdipGetImageWidth(GpImage* image, UINT* w) {
  if (!image || !w) return InvalidParameter;
  *w = image->GetWidth();
  return Ok;
}
GpStatus GdipGetImageHeight(GpImage* image, UINT* h) {
  if (!image || !h) return InvalidParameter;
  *h = image->GetHeight();
  return Ok;
}
GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* file, const CLSID* encoder, const EncoderParameters* params) {
  return image ? image->Save(file, encoder, params) : InvalidParameter;
}
GpStatus GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}
