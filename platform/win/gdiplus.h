// The GDI+ calls the library uses: anti-aliased lines, Béziers and arcs on a
// device context or a bitmap, bitmaps from DC bitmaps, icons, files and
// memory, pixel reads, metafile images and PNG/BMP encoding. A small class
// layer in namespace Gdiplus with the flat `Gdip` functions beside it.
//
// Every object keeps the status of its last call (GetLastStatus reads and
// resets it); a failed construction leaves an object whose calls fail.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "win/emf.h"
#include "win/wingdi.h"

// The cairo types of the helpers below, declared as cairo declares them, so
// that this header and the library headers over it do not bring in cairo's.
typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace Gdiplus {

using REAL = float;
using ARGB = DWORD;
using PixelFormat = INT;
using GraphicsState = UINT;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};

constexpr PixelFormat PixelFormat24bppRGB = 0x00021808;
constexpr PixelFormat PixelFormat32bppRGB = 0x00022009;
constexpr PixelFormat PixelFormat32bppARGB = 0x0026200A;
constexpr PixelFormat PixelFormat32bppPARGB = 0x000E200B;

enum SmoothingMode {
  SmoothingModeInvalid = -1,
  SmoothingModeDefault = 0,
  SmoothingModeHighSpeed = 1,
  SmoothingModeHighQuality = 2,
  SmoothingModeNone = 3,
  SmoothingModeAntiAlias = 4,
};
enum InterpolationMode {
  InterpolationModeInvalid = -1,
  InterpolationModeDefault = 0,
  InterpolationModeLowQuality = 1,
  InterpolationModeHighQuality = 2,
  InterpolationModeBilinear = 3,
  InterpolationModeBicubic = 4,
  InterpolationModeNearestNeighbor = 5,
  InterpolationModeHighQualityBilinear = 6,
  InterpolationModeHighQualityBicubic = 7,
};
enum DashStyle { DashStyleSolid, DashStyleDash, DashStyleDot, DashStyleDashDot, DashStyleDashDotDot, DashStyleCustom };
enum LineCap { LineCapFlat = 0, LineCapSquare = 1, LineCapRound = 2, LineCapTriangle = 3 };
enum DashCap { DashCapFlat = 0, DashCapRound = 2, DashCapTriangle = 3 };
enum LineJoin { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };
enum ImageType { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };
enum Unit { UnitWorld, UnitDisplay, UnitPixel, UnitPoint, UnitInch, UnitDocument, UnitMillimeter };

class Color {
 public:
  Color() : argb_(0xFF000000) {}
  Color(BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(a, r, g, b)) {}
  explicit Color(ARGB argb) : argb_(argb) {}
  BYTE GetA() const { return static_cast<BYTE>(argb_ >> 24); }
  BYTE GetR() const { return static_cast<BYTE>(argb_ >> 16); }
  BYTE GetG() const { return static_cast<BYTE>(argb_ >> 8); }
  BYTE GetB() const { return static_cast<BYTE>(argb_); }
  BYTE GetAlpha() const { return GetA(); }
  BYTE GetRed() const { return GetR(); }
  BYTE GetGreen() const { return GetG(); }
  BYTE GetBlue() const { return GetB(); }
  ARGB GetValue() const { return argb_; }
  void SetValue(ARGB argb) { argb_ = argb; }
  void SetFromCOLORREF(COLORREF c) { argb_ = MakeARGB(255, GetRValue(c), GetGValue(c), GetBValue(c)); }
  COLORREF ToCOLORREF() const { return RGB(GetR(), GetG(), GetB()); }
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) | b;
  }

 private:
  ARGB argb_;
};

struct PointF {
  REAL X = 0, Y = 0;
  PointF() = default;
  PointF(REAL x, REAL y) : X(x), Y(y) {}
};
struct Point {
  INT X = 0, Y = 0;
  Point() = default;
  Point(INT x, INT y) : X(x), Y(y) {}
};
struct RectF {
  REAL X = 0, Y = 0, Width = 0, Height = 0;
  RectF() = default;
  RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
};
struct Rect {
  INT X = 0, Y = 0, Width = 0, Height = 0;
  Rect() = default;
  Rect(INT x, INT y, INT w, INT h) : X(x), Y(y), Width(w), Height(h) {}
};

struct GdiplusStartupInput {
  std::uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
struct GdiplusStartupOutput {
  void* NotificationHook = nullptr;
  void* NotificationUnhook = nullptr;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
void GdiplusShutdown(ULONG_PTR token);

// Encoders: PNG and BMP.
struct ImageCodecInfo {
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  DWORD Flags;
  DWORD Version;
  DWORD SigCount;
  DWORD SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};
struct EncoderParameters;  // accepted and ignored
inline constexpr CLSID CLSID_BmpEncoder = MakeGUID("{557CF400-1A04-11D3-9A73-0000F81EF32E}");
inline constexpr CLSID CLSID_PngEncoder = MakeGUID("{557CF406-1A04-11D3-9A73-0000F81EF32E}");
inline constexpr GUID ImageFormatBMP = MakeGUID("{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}");
inline constexpr GUID ImageFormatPNG = MakeGUID("{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}");
inline constexpr GUID ImageFormatEMF = MakeGUID("{B96B3CAC-0728-11D3-9D7B-0000F81EF32E}");
inline constexpr GUID ImageFormatIcon = MakeGUID("{B96B3CB5-0728-11D3-9D7B-0000F81EF32E}");
inline constexpr GUID ImageFormatMemoryBMP = MakeGUID("{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}");
// Number of encoders and the bytes GetImageEncoders needs.
Status GetImageEncodersSize(UINT* numEncoders, UINT* size);
Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);
// Our helper: the encoder of a MIME type ("image/png"); false when none.
bool GetEncoderClsid(const WCHAR* mimeType, CLSID* clsid);

class Pen {
 public:
  explicit Pen(const Color& color, REAL width = 1.0f);
  Pen* Clone() const { return new Pen(*this); }
  Status SetWidth(REAL width);
  REAL GetWidth() const { return width_; }
  Status SetColor(const Color& color);
  Status GetColor(Color* color) const;
  Status SetDashStyle(DashStyle style);
  DashStyle GetDashStyle() const { return dash_; }
  // Dash and gap lengths in multiples of the width.
  Status SetDashPattern(const REAL* pattern, INT count);
  Status SetLineCap(LineCap startCap, LineCap endCap, DashCap dashCap);
  Status SetStartCap(LineCap cap);
  Status SetEndCap(LineCap cap);
  LineCap GetStartCap() const { return startCap_; }
  LineCap GetEndCap() const { return endCap_; }
  Status SetLineJoin(LineJoin join);
  LineJoin GetLineJoin() const { return join_; }
  Status SetMiterLimit(REAL limit);
  Status GetLastStatus() const;

 private:
  friend class Graphics;
  Color color_;
  REAL width_;
  DashStyle dash_ = DashStyleSolid;
  std::vector<REAL> pattern_;
  LineCap startCap_ = LineCapFlat, endCap_ = LineCapFlat;
  LineJoin join_ = LineJoinMiter;
  REAL miter_ = 10.0f;
  mutable Status last_ = Ok;
};

class Brush {
 public:
  virtual ~Brush() = default;
  Status GetLastStatus() const;

 protected:
  mutable Status last_ = Ok;
};
class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color) : color_(color) {}
  Status GetColor(Color* color) const;
  Status SetColor(const Color& color);

 private:
  friend class Graphics;
  Color color_;
};

class Image {
 public:
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
  // A bitmap for image files (PNG, BMP, ICO), a metafile for EMF files.
  static Image* FromFile(const WCHAR* file, BOOL useEmbeddedColorManagement = FALSE);
  virtual Image* Clone() const;
  UINT GetWidth() const;
  UINT GetHeight() const;
  PixelFormat GetPixelFormat() const { return format_; }
  ImageType GetType() const { return type_; }
  Status GetRawFormat(GUID* format) const;
  // Encodes the image (a metafile is drawn at its own size first) with the
  // PNG or BMP encoder. The same pixels give the same bytes.
  Status Save(const WCHAR* file, const CLSID* clsidEncoder, const EncoderParameters* params = nullptr);
  // Encoded bytes (our helper).
  Status SaveToMemory(const CLSID* clsidEncoder, std::vector<std::uint8_t>& out);
  // Reads and resets the status of the last call.
  Status GetLastStatus() const;

  // Our helpers: the pixels as an ARGB32 (premultiplied) cairo surface, null
  // when there are none. For metafiles, the picture drawn at its own size.
  cairo_surface_t* Surface() const;

 protected:
  Image() = default;
  Status Set(Status s) const { return last_ = s; }

  ImageType type_ = ImageTypeUnknown;
  PixelFormat format_ = PixelFormat32bppARGB;
  GUID raw_ = GUID_NULL;
  mutable cairo_surface_t* surface_ = nullptr;  // bitmaps: the pixels; metafiles: a cached rendering
  HENHMETAFILE emf_ = nullptr;  // metafiles: an own copy
  mutable Status last_ = Ok;
  friend class Graphics;
  friend class Bitmap;
};

class Bitmap : public Image {
 public:
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
  explicit Bitmap(const WCHAR* file, BOOL useEmbeddedColorManagement = FALSE);
  Bitmap(HBITMAP hbm, HPALETTE hpal);
  explicit Bitmap(HICON icon);
  // Image file bytes: PNG, BMP, ICO (its first image), or EMF drawn at its own size.
  Bitmap(const void* data, std::size_t size);
  static Bitmap* FromFile(const WCHAR* file, BOOL useEmbeddedColorManagement = FALSE);
  static Bitmap* FromHBITMAP(HBITMAP hbm, HPALETTE hpal);
  static Bitmap* FromHICON(HICON icon);
  static Bitmap* FromMemory(const void* data, std::size_t size);
  Image* Clone() const override;
  Status GetPixel(INT x, INT y, Color* color) const;
  Status SetPixel(INT x, INT y, const Color& color);
  // A new DC bitmap of the pixels composed over `background`.
  Status GetHBITMAP(const Color& background, HBITMAP* out) const;
  // A new icon of the pixels.
  Status GetHICON(HICON* out) const;

 private:
  Bitmap() = default;
  void Adopt(cairo_surface_t* s, PixelFormat format, const GUID& raw);
  bool LoadBytes(const std::uint8_t* data, std::size_t size);
};

class Metafile : public Image {
 public:
  // An image of the metafile (a copy of it; the handle is deleted when
  // `deleteEmf` is set).
  Metafile(HENHMETAFILE hemf, BOOL deleteEmf = FALSE);
  explicit Metafile(const WCHAR* file);
  Image* Clone() const override;
  // A copy of the metafile, owned by the caller.
  HENHMETAFILE GetHENHMETAFILE() const;

 private:
  Metafile() = default;
  void Init(HENHMETAFILE own);
};

class Graphics {
 public:
  explicit Graphics(HDC hdc);
  explicit Graphics(Image* image);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  static Graphics* FromHDC(HDC hdc) { return new Graphics(hdc); }
  static Graphics* FromImage(Image* image) { return new Graphics(image); }

  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const { return smoothing_; }
  // How images are resampled: nearest neighbour, or smooth for the others.
  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const { return interpolation_; }
  Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
  Status DrawLine(const Pen* pen, const PointF& a, const PointF& b) { return DrawLine(pen, a.X, a.Y, b.X, b.Y); }
  Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2) {
    return DrawLine(pen, static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
  }
  Status DrawLines(const Pen* pen, const PointF* points, INT count);
  Status DrawLines(const Pen* pen, const Point* points, INT count);
  Status DrawBezier(const Pen* pen, const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4);
  Status DrawBeziers(const Pen* pen, const PointF* points, INT count);  // 1 + 3n points
  Status DrawBeziers(const Pen* pen, const Point* points, INT count);
  // Angles in degrees, clockwise from the x axis (y grows downward).
  Status DrawArc(const Pen* pen, REAL x, REAL y, REAL width, REAL height, REAL startAngle, REAL sweepAngle);
  Status DrawArc(const Pen* pen, const RectF& r, REAL startAngle, REAL sweepAngle) {
    return DrawArc(pen, r.X, r.Y, r.Width, r.Height, startAngle, sweepAngle);
  }
  Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawEllipse(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  // A closed figure through the points (WrongState on a context that has no
  // drawing surface of its own, such as a metafile recorder).
  Status FillPolygon(const Brush* brush, const PointF* points, INT count);
  Status DrawPolygon(const Pen* pen, const PointF* points, INT count);
  Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height) {
    return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
  }
  Status DrawImage(Image* image, const RectF& r) { return DrawImage(image, r.X, r.Y, r.Width, r.Height); }
  Status DrawImage(Image* image, const Rect& r) { return DrawImage(image, r.X, r.Y, r.Width, r.Height); }
  Status DrawImage(Image* image, INT x, INT y);
  Status Clear(const Color& color);
  Status Flush() { return Ok; }
  Status GetLastStatus() const;

 private:
  cairo_t* Begin();  // the context to draw with, its state saved; null on failure
  // Begin with the closed figure through the points as the path.
  cairo_t* BeginClosedFigure(const PointF* points, INT count);
  void End(cairo_t* cr);
  void Stroke(cairo_t* cr, const Pen* pen);

  HDC hdc_ = nullptr;
  Image* image_ = nullptr;
  cairo_t* own_ = nullptr;  // on an image
  SmoothingMode smoothing_ = SmoothingModeDefault;
  InterpolationMode interpolation_ = InterpolationModeDefault;
  double m_[6] = {1, 0, 0, 1, 0, 0};  // the DC's logical-to-device mapping
  double device_[6] = {1, 0, 0, 1, 0, 0};  // the drawing context's own matrix (device pixels), as cairo orders it
  mutable Status last_ = Ok;
};

// Our helpers.
// The GDI+ pen equivalent to a GDI pen: colour, width (cosmetic pens 1),
// dash style, end cap and join.
Pen* PenFromExtLogPen(const EXTLOGPEN& lp);
// Draws an icon or cursor image stretched to (x, y, w, h) of a context,
// blended by its alpha (over white on contexts that only record).
BOOL DrawIconImage(HDC hdc, int x, int y, int w, int h, HICON icon);

// ---- flat interface -------------------------------------------------------------
using GpGraphics = Graphics;
using GpPen = Pen;
using GpBrush = Brush;
using GpSolidFill = SolidBrush;
using GpImage = Image;
using GpBitmap = Bitmap;
using GpMetafile = Metafile;
using GpStatus = Status;

}  // namespace Gdiplus

Gdiplus::GpStatus GdipCreateFromHDC(HDC hdc, Gdiplus::GpGraphics** graphics);
Gdiplus::GpStatus GdipGetImageGraphicsContext(Gdiplus::GpImage* image, Gdiplus::GpGraphics** graphics);
Gdiplus::GpStatus GdipDeleteGraphics(Gdiplus::GpGraphics* graphics);
Gdiplus::GpStatus GdipSetSmoothingMode(Gdiplus::GpGraphics* graphics, Gdiplus::SmoothingMode mode);
Gdiplus::GpStatus GdipCreatePen1(Gdiplus::ARGB color, Gdiplus::REAL width, Gdiplus::Unit unit, Gdiplus::GpPen** pen);
Gdiplus::GpStatus GdipDeletePen(Gdiplus::GpPen* pen);
Gdiplus::GpStatus GdipSetPenDashStyle(Gdiplus::GpPen* pen, Gdiplus::DashStyle style);
Gdiplus::GpStatus GdipDrawLine(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, Gdiplus::REAL x1, Gdiplus::REAL y1,
                               Gdiplus::REAL x2, Gdiplus::REAL y2);
Gdiplus::GpStatus GdipDrawLines(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, const Gdiplus::PointF* points, INT count);
Gdiplus::GpStatus GdipDrawBeziers(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, const Gdiplus::PointF* points, INT count);
Gdiplus::GpStatus GdipDrawArc(Gdiplus::GpGraphics* g, Gdiplus::GpPen* pen, Gdiplus::REAL x, Gdiplus::REAL y,
                              Gdiplus::REAL width, Gdiplus::REAL height, Gdiplus::REAL startAngle, Gdiplus::REAL sweepAngle);
Gdiplus::GpStatus GdipDrawImageRectI(Gdiplus::GpGraphics* g, Gdiplus::GpImage* image, INT x, INT y, INT width, INT height);
Gdiplus::GpStatus GdipCreateBitmapFromScan0(INT width, INT height, INT stride, Gdiplus::PixelFormat format, BYTE* scan0,
                                            Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE hpal, Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateBitmapFromHICON(HICON icon, Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipCreateBitmapFromFile(const WCHAR* file, Gdiplus::GpBitmap** bitmap);
Gdiplus::GpStatus GdipLoadImageFromFile(const WCHAR* file, Gdiplus::GpImage** image);
Gdiplus::GpStatus GdipCreateMetafileFromEmf(HENHMETAFILE hemf, BOOL deleteEmf, Gdiplus::GpMetafile** metafile);
Gdiplus::GpStatus GdipBitmapGetPixel(Gdiplus::GpBitmap* bitmap, INT x, INT y, Gdiplus::ARGB* color);
Gdiplus::GpStatus GdipGetImageWidth(Gdiplus::GpImage* image, UINT* width);
Gdiplus::GpStatus GdipGetImageHeight(Gdiplus::GpImage* image, UINT* height);
Gdiplus::GpStatus GdipSaveImageToFile(Gdiplus::GpImage* image, const WCHAR* file, const CLSID* encoder,
                                      const Gdiplus::EncoderParameters* params);
Gdiplus::GpStatus GdipDisposeImage(Gdiplus::GpImage* image);
