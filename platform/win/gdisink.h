// The receiver of a device context's drawing.
//
// A DC hands every GDI call, after checking its arguments, to its sink as a
// KvGdiCall (the call's own arguments, in logical units, with the objects it
// uses). Sinks that record calls (the enhanced-metafile writer, the call log)
// work from those. Sinks that render give the DC a cairo context in device
// space (1 unit = 1 device pixel, y down) and the DC draws into it itself,
// exactly once per call, with the DC's state (pens, brushes, fonts, clip,
// mix mode). Raster sinks also give the image surface, on which the mix modes
// other than R2_COPYPEN are exact bitwise operations; vector sinks draw them
// as R2_COPYPEN.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "win/wingdi.h"

enum class KvSinkKind { Raster, Pdf, Emf, Recording, Other };

// What GetDeviceCaps answers for the DC's device.
struct KvDeviceInfo {
  int technology = DT_RASDISPLAY;
  int widthPx = 0;  // HORZRES
  int heightPx = 0;  // VERTRES
  int dpiX = 96;  // LOGPIXELSX
  int dpiY = 96;
  int bitsPixel = 32;
  int widthMm = 0;  // HORZSIZE; 0: computed from widthPx and dpiX
  int heightMm = 0;
  int physicalWidth = 0;  // PHYSICALWIDTH; 0: widthPx
  int physicalHeight = 0;
  int physicalOffsetX = 0;
  int physicalOffsetY = 0;
};

// The GDI calls a DC passes on. State calls come too, so that a recorder can
// keep its own copy of the DC state.
enum class KvGdiOp : int {
  // state
  SelectObject,  // object (pen, brush, font or bitmap)
  SelectClipRgn,  // object (region or null), args[0] mode (RGN_COPY... as ExtSelectClipRgn)
  IntersectClipRect,  // rect
  ExcludeClipRect,  // rect
  OffsetClipRgn,  // args[0], args[1]
  SelectClipPath,  // args[0] mode
  SaveDC,
  RestoreDC,  // args[0] level as given
  SetROP2,  // args[0]
  SetBkMode,  // args[0]
  SetBkColor,  // color
  SetTextColor,  // color
  SetPolyFillMode,  // args[0]
  SetTextAlign,  // args[0]
  SetTextCharacterExtra,  // args[0]
  SetStretchBltMode,  // args[0]
  SetBrushOrgEx,  // args[0], args[1]
  SetArcDirection,  // args[0]
  SetMiterLimit,  // real
  SetMapMode,  // args[0]
  SetWindowOrgEx,  // args[0], args[1] (also after OffsetWindowOrgEx)
  SetWindowExtEx,  // args[0], args[1] (also after ScaleWindowExtEx)
  SetViewportOrgEx,  // args[0], args[1]
  SetViewportExtEx,  // args[0], args[1]
  SetGraphicsMode,  // args[0]
  SetWorldTransform,  // xform (the resulting world transform)
  MoveToEx,  // args[0], args[1]
  // drawing
  LineTo,  // args[0], args[1]
  Polyline,  // points
  PolylineTo,  // points
  PolyPolyline,  // points, counts
  PolyBezier,  // points
  PolyBezierTo,  // points
  Polygon,  // points
  PolyPolygon,  // points, counts
  Arc,  // args[0..7] l t r b xs ys xe ye
  ArcTo,
  Pie,
  Chord,
  Ellipse,  // args[0..3]
  Rectangle,  // args[0..3]
  RoundRect,  // args[0..5]
  FillRect,  // rect, object (brush)
  FrameRect,  // rect, object (brush)
  InvertRect,  // rect
  DrawFocusRect,  // rect
  FillRgn,  // object (region), object2 (brush)
  FrameRgn,  // object (region), object2 (brush), args[0], args[1]
  PaintRgn,  // object (region)
  InvertRgn,  // object (region)
  SetPixel,  // args[0], args[1], color
  ExtTextOut,  // args[0], args[1] (x, y), options, rect (when hasRect), text, dx (always filled)
  PatBlt,  // args[0..3] x y w h, rop
  BitBlt,  // args[0..3] x y w h, args[4..5] xs ys, rop, image (source pixels w x h)
  StretchBlt,  // args[0..3] x y w h, args[4..7] xs ys ws hs, rop, image (source pixels ws x hs)
  AlphaBlend,  // as StretchBlt, args[8] the packed BLENDFUNCTION
  GradientFill,  // vertices, mesh, args[0] mode
  // paths
  BeginPath,
  EndPath,
  AbortPath,
  CloseFigure,
  FillPath,
  StrokePath,
  StrokeAndFillPath,
  FlattenPath,
  WidenPath,
  // documents
  StartDoc,  // text: the document name
  StartPage,
  EndPage,
  EndDoc,
  AbortDoc,
};

// Name of an op ("Rectangle", "SelectObject"...), for logs.
const char* KvGdiOpName(KvGdiOp op);

struct KvGdiCall {
  KvGdiOp op;
  int args[9] = {};
  std::vector<POINT> points;
  std::vector<INT> counts;  // PolyPolygon, PolyPolyline
  RECT rect = {};
  bool hasRect = false;
  UINT options = 0;  // ExtTextOut options
  std::u16string text;
  std::vector<INT> dx;  // ExtTextOut advances in logical units
  COLORREF color = 0;
  DWORD rop = 0;
  double real = 0;
  XFORM xform = {};
  HGDIOBJ object = nullptr;  // look it up with GetObjectW / GetRegionData / GetDIBits
  HGDIOBJ object2 = nullptr;
  std::vector<TRIVERTEX> vertices;
  std::vector<ULONG> mesh;  // 2 (rects) or 3 (triangles) indices per element
  // Source pixels of block transfers: top-down, 32-bit 0x00RRGGBB words
  // (0xAARRGGBB premultiplied for AlphaBlend).
  int imageWidth = 0;
  int imageHeight = 0;
  std::vector<std::uint32_t> image;
  // Device-space bounds of what the call may touch, clip not applied
  // (right and bottom exclusive); empty for state calls.
  RECT bounds = {};
};

class KvGdiSink {
 public:
  virtual ~KvGdiSink() = default;
  virtual KvSinkKind Kind() const = 0;
  virtual KvDeviceInfo DeviceInfo() const = 0;
  // Called once, when the DC is made on the sink.
  virtual void Attach(HDC dc) { dc_ = dc; }
  HDC Dc() const { return dc_; }
  // Every call of the DC, in order, before the DC renders it.
  virtual void OnCall(const KvGdiCall& call) { (void)call; }
  // False for sinks that only render (OnCall does nothing): the DC then
  // spares itself describing calls that nothing reads.
  virtual bool WantsCalls() const { return true; }
  // The cairo context to render into, or null when the sink only records.
  virtual cairo_t* Cairo() { return nullptr; }
  // The image surface (CAIRO_FORMAT_RGB24 or ARGB32) for exact raster work
  // (mix modes, GetPixel, BitBlt sources), or null.
  virtual cairo_surface_t* Surface() { return nullptr; }
  // Page bracket; false means failure. Default: nothing to do.
  virtual bool StartDoc(const std::u16string& name) { (void)name; return true; }
  virtual bool StartPage() { return true; }
  virtual bool EndPage() { return true; }
  virtual bool EndDoc() { return true; }
  // Called by DeleteDC before the sink is destroyed.
  virtual void Finish() {}

 private:
  HDC dc_ = nullptr;
};

// A DC drawing into `sink` (null on a null sink). The DC owns the sink.
HDC KvCreateDCOnSink(std::unique_ptr<KvGdiSink> sink);
// The sink of a DC, null for a bad handle.
KvGdiSink* KvGetDCSink(HDC hdc);
// The cairo context of a DC that renders, in device space with the DC's clip
// applied (for GDI+ style drawing); null otherwise. Owned by the DC.
cairo_t* KvGetDCCairo(HDC hdc);
// The pixels of a bitmap as a cairo image surface (shared, not a copy; owned
// by the bitmap); null for a bad handle.
cairo_surface_t* KvGetBitmapSurface(HBITMAP bitmap);
// The pixels of a pattern brush (its own copy, RGB24; owned by the brush),
// null for other brushes. *mono tells a brush made from a 1-bit bitmap
// (black pixels take the text colour, white ones the background colour).
cairo_surface_t* KvGetBrushPattern(HBRUSH brush, bool* mono);
// Appends to `cr` the device-space outline of a drawing call (shapes, lines,
// Béziers, arcs, rectangles) made on `hdc`, with the DC's current transform.
// Closed shapes are closed; open ones are not. False when the call draws no
// outline (text, blts...).
bool KvGdiCallToCairoPath(HDC hdc, const KvGdiCall& call, cairo_t* cr);

// A call log: each call is one line such as "Rectangle(10,10,50,40)" or
// "SelectObject(pen 0x1 1 #ff0000)" (style word, width, colour). It draws
// nothing.
class KvRecordingSink : public KvGdiSink {
 public:
  explicit KvRecordingSink(KvDeviceInfo info = DefaultInfo()) : info_(info) {}
  KvSinkKind Kind() const override { return KvSinkKind::Recording; }
  KvDeviceInfo DeviceInfo() const override { return info_; }
  void OnCall(const KvGdiCall& call) override;
  const std::vector<std::string>& Log() const { return log_; }
  void Clear() { log_.clear(); }
  static KvDeviceInfo DefaultInfo();

 private:
  KvDeviceInfo info_;
  std::vector<std::string> log_;
};
// One log line for a call, as KvRecordingSink writes it.
std::string KvFormatGdiCall(const KvGdiCall& call);

// The font options every DC lays text out with (hinted metrics, no hinting
// of outlines, kerning and ligatures off come with the layouts), so that
// other renderers (SVG) can lay text out the same way.
const cairo_font_options_t* KvGdiFontOptions();
