// GDI on Linux: device contexts, pens, brushes, fonts, bitmaps, regions and
// paths, drawn with cairo and measured with pango on fontconfig.
//
// Handles are entries of one process-wide table and are never reused, so a
// deleted (stale) handle is recognised: every call answers it the way GDI
// answers a bad handle (FALSE, 0, nullptr, CLR_INVALID, GDI_ERROR, ERROR).
//
// A device context draws into a sink (win/gdisink.h): a raster surface
// (memory DCs, the screen), a PDF document, an enhanced metafile or a call
// log. Device y grows downward; right and bottom edges are exclusive.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>

#include "win/windef.h"

using FLOAT = float;
using COLOR16 = USHORT;
using LPINT = INT*;
using LPSIZE = SIZE*;
using LPDWORD = DWORD*;
using LPXFORM = struct XFORM*;

// ---- records ------------------------------------------------------------------
struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // x is the width; y is unused
  COLORREF lopnColor;
};

struct EXTLOGPEN {
  DWORD elpPenStyle;  // PS_COSMETIC/PS_GEOMETRIC | style | end cap | join
  DWORD elpWidth;
  UINT elpBrushStyle;
  COLORREF elpColor;
  ULONG_PTR elpHatch;
  DWORD elpNumEntries;     // user style entries that follow
  DWORD elpStyleEntry[1];  // first of elpNumEntries entries
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // hatch style, or the pattern bitmap handle for BS_PATTERN
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
  LONG lfHeight;  // < 0: character (em) height; > 0: cell height; 0: default
  LONG lfWidth;
  LONG lfEscapement;  // tenths of a degree, counter-clockwise
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTW;

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
using TEXTMETRIC = TEXTMETRICW;

struct ABC {
  int abcA;
  UINT abcB;
  int abcC;
};

struct BITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // > 0 bottom-up, < 0 top-down
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
};

struct XFORM {
  FLOAT eM11;
  FLOAT eM12;
  FLOAT eM21;
  FLOAT eM22;
  FLOAT eDx;
  FLOAT eDy;
};

struct TRIVERTEX {
  LONG x;
  LONG y;
  COLOR16 Red;  // 0..0xFF00
  COLOR16 Green;
  COLOR16 Blue;
  COLOR16 Alpha;
};
struct GRADIENT_RECT {
  ULONG UpperLeft;
  ULONG LowerRight;
};
struct GRADIENT_TRIANGLE {
  ULONG Vertex1;
  ULONG Vertex2;
  ULONG Vertex3;
};

struct BLENDFUNCTION {
  BYTE BlendOp;
  BYTE BlendFlags;
  BYTE SourceConstantAlpha;
  BYTE AlphaFormat;
};

struct RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
};
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];  // nCount RECTs
};

struct DOCINFOW {
  int cbSize;
  LPCWSTR lpszDocName;
  LPCWSTR lpszOutput;
  LPCWSTR lpszDatatype;
  DWORD fwType;
};

struct DRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
};

using LINEDDAPROC = void (*)(int x, int y, LPARAM data);

// ---- constants ----------------------------------------------------------------
constexpr COLORREF CLR_INVALID = 0xFFFFFFFFu;
constexpr DWORD GDI_ERROR = 0xFFFFFFFFu;
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1)))

// Region kinds (also results of CombineRgn, GetClipBox, SelectClipRgn...).
constexpr int ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
constexpr int RGN_ERROR = ERROR;
constexpr int RGN_AND = 1;
constexpr int RGN_OR = 2;
constexpr int RGN_XOR = 3;
constexpr int RGN_DIFF = 4;
constexpr int RGN_COPY = 5;
constexpr DWORD RDH_RECTANGLES = 1;

// Object types (GetObjectType).
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_METADC = 4;
constexpr DWORD OBJ_PAL = 5;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_METAFILE = 9;
constexpr DWORD OBJ_MEMDC = 10;
constexpr DWORD OBJ_EXTPEN = 11;
constexpr DWORD OBJ_ENHMETADC = 12;
constexpr DWORD OBJ_ENHMETAFILE = 13;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int DEFAULT_PALETTE = 15;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;
constexpr int DC_BRUSH = 18;
constexpr int DC_PEN = 19;

// Pen styles.
constexpr DWORD PS_SOLID = 0;
constexpr DWORD PS_DASH = 1;
constexpr DWORD PS_DOT = 2;
constexpr DWORD PS_DASHDOT = 3;
constexpr DWORD PS_DASHDOTDOT = 4;
constexpr DWORD PS_NULL = 5;
constexpr DWORD PS_INSIDEFRAME = 6;
constexpr DWORD PS_USERSTYLE = 7;
constexpr DWORD PS_ALTERNATE = 8;
constexpr DWORD PS_STYLE_MASK = 0x0000000F;
constexpr DWORD PS_ENDCAP_ROUND = 0x00000000;
constexpr DWORD PS_ENDCAP_SQUARE = 0x00000100;
constexpr DWORD PS_ENDCAP_FLAT = 0x00000200;
constexpr DWORD PS_ENDCAP_MASK = 0x00000F00;
constexpr DWORD PS_JOIN_ROUND = 0x00000000;
constexpr DWORD PS_JOIN_BEVEL = 0x00001000;
constexpr DWORD PS_JOIN_MITER = 0x00002000;
constexpr DWORD PS_JOIN_MASK = 0x0000F000;
constexpr DWORD PS_COSMETIC = 0x00000000;
constexpr DWORD PS_GEOMETRIC = 0x00010000;
constexpr DWORD PS_TYPE_MASK = 0x000F0000;

// Brush styles and hatches.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;
constexpr UINT BS_HATCHED = 2;
constexpr UINT BS_PATTERN = 3;
constexpr UINT BS_INDEXED = 4;
constexpr UINT BS_DIBPATTERN = 5;
constexpr UINT BS_DIBPATTERNPT = 6;
constexpr UINT BS_PATTERN8X8 = 7;
constexpr UINT BS_DIBPATTERN8X8 = 8;
constexpr int HS_HORIZONTAL = 0;  // -----
constexpr int HS_VERTICAL = 1;    // |||||
constexpr int HS_FDIAGONAL = 2;   // \\\\\ (top left to bottom right)
constexpr int HS_BDIAGONAL = 3;   // ///// (bottom left to top right)
constexpr int HS_CROSS = 4;       // +++++
constexpr int HS_DIAGCROSS = 5;   // xxxxx

// Mix modes (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOTMERGEPEN = 2;
constexpr int R2_MASKNOTPEN = 3;
constexpr int R2_NOTCOPYPEN = 4;
constexpr int R2_MASKPENNOT = 5;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_NOTMASKPEN = 8;
constexpr int R2_MASKPEN = 9;
constexpr int R2_NOTXORPEN = 10;
constexpr int R2_NOP = 11;
constexpr int R2_MERGENOTPEN = 12;
constexpr int R2_COPYPEN = 13;
constexpr int R2_MERGEPENNOT = 14;
constexpr int R2_MERGEPEN = 15;
constexpr int R2_WHITE = 16;

// Background modes, fill modes, graphics modes, arc directions.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;
constexpr int GM_COMPATIBLE = 1;
constexpr int GM_ADVANCED = 2;
constexpr int AD_COUNTERCLOCKWISE = 1;
constexpr int AD_CLOCKWISE = 2;

// Stretch modes.
constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

// Map modes.
constexpr int MM_TEXT = 1;
constexpr int MM_LOMETRIC = 2;
constexpr int MM_HIMETRIC = 3;
constexpr int MM_LOENGLISH = 4;
constexpr int MM_HIENGLISH = 5;
constexpr int MM_TWIPS = 6;
constexpr int MM_ISOTROPIC = 7;
constexpr int MM_ANISOTROPIC = 8;

// ModifyWorldTransform.
constexpr DWORD MWT_IDENTITY = 1;
constexpr DWORD MWT_LEFTMULTIPLY = 2;
constexpr DWORD MWT_RIGHTMULTIPLY = 3;

// Text alignment (SetTextAlign).
constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;
constexpr UINT TA_RTLREADING = 256;

// ExtTextOut options.
constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;
constexpr UINT ETO_GLYPH_INDEX = 0x0010;
constexpr UINT ETO_RTLREADING = 0x0080;
constexpr UINT ETO_NUMERICSLOCAL = 0x0400;
constexpr UINT ETO_NUMERICSLATIN = 0x0800;
constexpr UINT ETO_IGNORELANGUAGE = 0x1000;
constexpr UINT ETO_PDY = 0x2000;

// DrawText formats.
constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_NOFULLWIDTHCHARBREAK = 0x00080000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

// Font weights, character sets, precisions, qualities, pitches and families.
constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_EXTRALIGHT = 200;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_REGULAR = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_EXTRABOLD = 800;
constexpr LONG FW_HEAVY = 900;
constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE OEM_CHARSET = 255;
constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE OUT_TT_ONLY_PRECIS = 7;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;
constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;
constexpr BYTE TMPF_FIXED_PITCH = 0x01;  // set when the font is NOT fixed pitch
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;
constexpr BYTE TMPF_DEVICE = 0x08;

// Raster operations (BitBlt, PatBlt).
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

// Bitmaps.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD BI_JPEG = 4;
constexpr DWORD BI_PNG = 5;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

// Gradient fills and alpha blending.
constexpr ULONG GRADIENT_FILL_RECT_H = 0;
constexpr ULONG GRADIENT_FILL_RECT_V = 1;
constexpr ULONG GRADIENT_FILL_TRIANGLE = 2;
constexpr BYTE AC_SRC_OVER = 0;
constexpr BYTE AC_SRC_ALPHA = 1;

// Path point types (GetPath).
constexpr BYTE PT_CLOSEFIGURE = 0x01;
constexpr BYTE PT_LINETO = 0x02;
constexpr BYTE PT_BEZIERTO = 0x04;
constexpr BYTE PT_MOVETO = 0x06;

// GetDeviceCaps indexes.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int CURVECAPS = 28;
constexpr int LINECAPS = 30;
constexpr int POLYGONALCAPS = 32;
constexpr int TEXTCAPS = 34;
constexpr int CLIPCAPS = 36;
constexpr int RASTERCAPS = 38;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int NUMRESERVED = 106;
constexpr int COLORRES = 108;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
constexpr int PHYSICALOFFSETX = 112;
constexpr int PHYSICALOFFSETY = 113;
constexpr int SCALINGFACTORX = 114;
constexpr int SCALINGFACTORY = 115;
constexpr int VREFRESH = 116;
constexpr int DESKTOPVERTRES = 117;
constexpr int DESKTOPHORZRES = 118;
constexpr int SHADEBLENDCAPS = 120;
// TECHNOLOGY answers.
constexpr int DT_PLOTTER = 0;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_RASPRINTER = 2;
constexpr int DT_RASCAMERA = 3;
constexpr int DT_CHARSTREAM = 4;
constexpr int DT_METAFILE = 5;
constexpr int DT_DISPFILE = 6;
// RASTERCAPS bits.
constexpr int RC_BITBLT = 1;
constexpr int RC_BANDING = 2;
constexpr int RC_SCALING = 4;
constexpr int RC_BITMAP64 = 8;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_PALETTE = 0x0100;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

// Print jobs.
constexpr int SP_ERROR = -1;

// ---- device contexts ------------------------------------------------------
// A memory DC: a raster DC holding a 1 x 1 monochrome bitmap until a bitmap is
// selected. `hdc` only gives the resolution; null means the screen.
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
// The screen: GetDC(nullptr) is a 96 pixels-per-inch, 32-bit raster DC of the
// desktop size (1920 x 1080). A window's DC comes from the window layer's
// provider (KvSetWindowDCProvider); without one, GetDC(hwnd) is null.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC GetWindowDC(HWND hwnd);
using KvWindowDCProvider = HDC (*)(HWND hwnd, bool whole);
void KvSetWindowDCProvider(KvWindowDCProvider provider);
int GetDeviceCaps(HDC hdc, int index);
int SaveDC(HDC hdc);                      // the new level, 0 on failure
BOOL RestoreDC(HDC hdc, int savedLevel);  // > 0 absolute, < 0 relative
DWORD GetObjectType(HGDIOBJ h);           // 0 for a bad handle
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
BOOL GdiFlush();

// Print documents (PDF DCs; on other DCs they succeed and do nothing).
int StartDocW(HDC hdc, const DOCINFOW* info);  // a job id > 0, SP_ERROR
int EndDoc(HDC hdc);
int AbortDoc(HDC hdc);
int StartPage(HDC hdc);
int EndPage(HDC hdc);

// ---- objects -------------------------------------------------------------------
HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* lp);
HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount, const DWORD* styles);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);  // the brush keeps its own copy
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);
HBRUSH CreateDIBPatternBrushPt(const void* packedDib, UINT usage);
HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face);
HGDIOBJ GetStockObject(int index);
// Brushes: the next use aligns the pattern to the brush origin again. TRUE
// for a live brush (nothing else to do here), FALSE otherwise.
BOOL UnrealizeObject(HGDIOBJ obj);
// Selects a pen, brush, font or bitmap and answers the previous one (null on
// failure); a region is copied into the clip and answers its kind (as a
// handle value), HGDI_ERROR on failure.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
// Stock objects stay (TRUE). A pen, brush or font still selected into a DC
// goes when the last DC deselects it (TRUE); a selected bitmap stays (FALSE).
BOOL DeleteObject(HGDIOBJ obj);
// LOGPEN for CreatePen pens, EXTLOGPEN (with its style entries) for
// ExtCreatePen pens, LOGBRUSH, LOGFONTW, BITMAP or DIBSECTION. With a null
// buffer answers the size needed; 0 on failure.
int GetObjectW(HGDIOBJ h, int size, LPVOID out);
inline int GetObject(HGDIOBJ h, int size, LPVOID out) { return GetObjectW(h, size, out); }
// The typed handles (HPEN, HBRUSH, HFONT, HBITMAP, HRGN, HPALETTE) pass where
// an HGDIOBJ is taken, as they do when HGDIOBJ is a plain pointer.
template <class H>
concept KvTypedGdiHandle = std::is_same_v<H, HPEN> || std::is_same_v<H, HBRUSH> || std::is_same_v<H, HFONT> ||
                           std::is_same_v<H, HBITMAP> || std::is_same_v<H, HRGN> || std::is_same_v<H, HPALETTE>;
template <KvTypedGdiHandle H>
inline HGDIOBJ SelectObject(HDC hdc, H obj) {
  return SelectObject(hdc, reinterpret_cast<HGDIOBJ>(obj));
}
template <KvTypedGdiHandle H>
inline BOOL DeleteObject(H obj) {
  return DeleteObject(reinterpret_cast<HGDIOBJ>(obj));
}
template <KvTypedGdiHandle H>
inline int GetObjectW(H obj, int size, LPVOID out) {
  return GetObjectW(reinterpret_cast<HGDIOBJ>(obj), size, out);
}
template <KvTypedGdiHandle H>
inline int GetObject(H obj, int size, LPVOID out) {
  return GetObjectW(reinterpret_cast<HGDIOBJ>(obj), size, out);
}
template <KvTypedGdiHandle H>
inline DWORD GetObjectType(H obj) {
  return GetObjectType(reinterpret_cast<HGDIOBJ>(obj));
}
template <KvTypedGdiHandle H>
inline BOOL UnrealizeObject(H obj) {
  return UnrealizeObject(reinterpret_cast<HGDIOBJ>(obj));
}

// ---- attributes ----------------------------------------------------------------
int SetROP2(HDC hdc, int rop2);  // previous, 0 on failure
int GetROP2(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);  // previous, CLR_INVALID on failure
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetDCBrushColor(HDC hdc, COLORREF color);
COLORREF SetDCPenColor(HDC hdc, COLORREF color);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);
UINT SetTextAlign(HDC hdc, UINT align);  // previous, GDI_ERROR on failure
UINT GetTextAlign(HDC hdc);
int SetTextCharacterExtra(HDC hdc, int extra);
int GetTextCharacterExtra(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetBrushOrgEx(HDC hdc, LPPOINT pt);
int SetArcDirection(HDC hdc, int dir);
int GetArcDirection(HDC hdc);
BOOL SetMiterLimit(HDC hdc, FLOAT limit, FLOAT* old);
BOOL GetMiterLimit(HDC hdc, FLOAT* limit);

// ---- coordinate spaces ---------------------------------------------------------
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT pt);
BOOL SetWindowExtEx(HDC hdc, int cx, int cy, LPSIZE old);
BOOL GetWindowExtEx(HDC hdc, LPSIZE sz);
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT pt);
BOOL SetViewportExtEx(HDC hdc, int cx, int cy, LPSIZE old);
BOOL GetViewportExtEx(HDC hdc, LPSIZE sz);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL ScaleViewportExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old);
BOOL ScaleWindowExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old);
int SetGraphicsMode(HDC hdc, int mode);
int GetGraphicsMode(HDC hdc);
BOOL SetWorldTransform(HDC hdc, const XFORM* xf);  // needs GM_ADVANCED
BOOL ModifyWorldTransform(HDC hdc, const XFORM* xf, DWORD mode);
BOOL GetWorldTransform(HDC hdc, LPXFORM xf);
BOOL LPtoDP(HDC hdc, LPPOINT pts, int count);
BOOL DPtoLP(HDC hdc, LPPOINT pts, int count);

// ---- lines and shapes (logical coordinates) ----------------------------------------
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT pt);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* pts, int count);
BOOL PolylineTo(HDC hdc, const POINT* pts, DWORD count);
BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, DWORD polys);
BOOL PolyBezier(HDC hdc, const POINT* pts, DWORD count);  // 1 + 3n points
BOOL PolyBezierTo(HDC hdc, const POINT* pts, DWORD count);  // 3n points
BOOL Polygon(HDC hdc, const POINT* pts, int count);
BOOL PolyPolygon(HDC hdc, const POINT* pts, const INT* counts, int polys);
// Arcs, pies and chords run counter-clockwise (AD_COUNTERCLOCKWISE) from the
// ray through (xs, ys) to the ray through (xe, ye).
BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL ArcTo(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL Chord(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye);
BOOL Ellipse(HDC hdc, int l, int t, int r, int b);
BOOL Rectangle(HDC hdc, int l, int t, int r, int b);
BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int cornerW, int cornerH);
int FillRect(HDC hdc, const RECT* rc, HBRUSH brush);
int FrameRect(HDC hdc, const RECT* rc, HBRUSH brush);
BOOL InvertRect(HDC hdc, const RECT* rc);
BOOL DrawFocusRect(HDC hdc, const RECT* rc);  // dotted, XOR: twice restores
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);  // the colour set, -1 outside
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
COLORREF GetPixel(HDC hdc, int x, int y);  // CLR_INVALID outside the clip or surface
BOOL LineDDA(int x1, int y1, int x2, int y2, LINEDDAPROC proc, LPARAM data);
BOOL GradientFill(HDC hdc, const TRIVERTEX* vertices, ULONG nVertices, const void* mesh, ULONG nMesh, ULONG mode);
int MulDiv(int number, int numerator, int denominator);  // rounded; -1 when denominator is 0

// ---- bitmaps and block transfers ---------------------------------------------------
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);  // 32-bit, initially black
HBITMAP CreateBitmap(int cx, int cy, UINT planes, UINT bitsPerPel, const void* bits);
// 32-bit DIB sections (top-down or bottom-up as biHeight says) share their
// pixels with the drawing surface: *bits points at them. Other depths are
// not made (null).
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* bmi, UINT usage, void** bits, HANDLE section, DWORD offset);
// Copies scan lines out as the header asks (24 or 32 bits); with a null `bits`
// fills in the header (biSizeImage...). Answers the lines copied, 0 on failure.
// SetDIBits and StretchDIBits read 1, 4, 8, 16, 24 and 32-bit DIBs.
int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* bmi, UINT usage);
int SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* bmi, UINT usage);
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop);
int StretchDIBits(HDC hdc, int x, int y, int w, int h, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* bmi, UINT usage, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD w, DWORD h, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* bmi, UINT usage);
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, BLENDFUNCTION fn);

// Icons and cursors (win/imageicon.h makes them): drawn with their alpha at
// (x, y), stretched to cx x cy (0 with DI_DEFAULTSIZE or 0 x 0: the image's
// own size). DI_MASK alone draws the shape in black.
constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_COMPAT = 0x0004;
constexpr UINT DI_DEFAULTSIZE = 0x0008;
constexpr UINT DI_NOMIRROR = 0x0010;
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// ---- text ----------------------------------------------------------------------
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
// dx: advance of each character in logical units (null: the font's). With
// ETO_GLYPH_INDEX the text holds glyph indices of the font.
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rc, LPCWSTR text, UINT count, const INT* dx);
// count -1: the text runs to its terminating zero. Answers the text height,
// 0 on failure; DT_CALCRECT measures into rc and draws nothing.
int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rc, UINT format);
int DrawTextExW(HDC hdc, LPWSTR text, int count, LPRECT rc, UINT format, DRAWTEXTPARAMS* params);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size);
BOOL GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size);
// Tabs with no stops expand to 8 average character widths. Answers
// MAKELONG(width, height), 0 on failure.
DWORD GetTabbedTextExtentW(HDC hdc, LPCWSTR text, int count, int nTabs, const INT* tabs);
LONG TabbedTextOutW(HDC hdc, int x, int y, LPCWSTR text, int count, int nTabs, const INT* tabs, int origin);
BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* tm);
BOOL GetCharWidth32W(HDC hdc, UINT first, UINT last, LPINT widths);
BOOL GetCharWidthW(HDC hdc, UINT first, UINT last, LPINT widths);
BOOL GetCharABCWidthsW(HDC hdc, UINT first, UINT last, ABC* abc);
int GetTextFaceW(HDC hdc, int count, LPWSTR face);  // the requested face

// ---- paths ---------------------------------------------------------------------
BOOL BeginPath(HDC hdc);
BOOL EndPath(HDC hdc);
BOOL AbortPath(HDC hdc);
BOOL CloseFigure(HDC hdc);
BOOL FillPath(HDC hdc);
BOOL StrokePath(HDC hdc);
BOOL StrokeAndFillPath(HDC hdc);
BOOL FlattenPath(HDC hdc);
// The area the pen paints, as rectangles of whole device pixels.
BOOL WidenPath(HDC hdc);
// Points in logical units with PT_* types; null buffers answer the count; -1 on failure.
int GetPath(HDC hdc, LPPOINT pts, BYTE* types, int count);
HRGN PathToRegion(HDC hdc);  // consumes the path
BOOL SelectClipPath(HDC hdc, int mode);

// ---- regions (device units) ------------------------------------------------------
HRGN CreateRectRgn(int l, int t, int r, int b);
HRGN CreateRectRgnIndirect(const RECT* rc);
HRGN CreateRoundRectRgn(int l, int t, int r, int b, int cornerW, int cornerH);
HRGN CreateEllipticRgn(int l, int t, int r, int b);
HRGN CreateEllipticRgnIndirect(const RECT* rc);
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN CreatePolyPolygonRgn(const POINT* pts, const INT* counts, int polys, int fillMode);
HRGN ExtCreateRegion(const XFORM* xf, DWORD size, const RGNDATA* data);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
BOOL EqualRgn(HRGN a, HRGN b);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL SetRectRgn(HRGN rgn, int l, int t, int r, int b);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* rc);
int GetRgnBox(HRGN rgn, LPRECT rc);
// The region as RDH_RECTANGLES data; a null buffer answers the size needed; 0 on failure.
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* data);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC hdc, HRGN rgn, HBRUSH brush, int w, int h);
BOOL PaintRgn(HDC hdc, HRGN rgn);
BOOL InvertRgn(HDC hdc, HRGN rgn);

// ---- clipping ------------------------------------------------------------------
int SelectClipRgn(HDC hdc, HRGN rgn);  // device units; null removes the clip
int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
int IntersectClipRect(HDC hdc, int l, int t, int r, int b);  // logical units
int ExcludeClipRect(HDC hdc, int l, int t, int r, int b);
int OffsetClipRgn(HDC hdc, int dx, int dy);
int GetClipBox(HDC hdc, LPRECT rc);  // logical units
int GetClipRgn(HDC hdc, HRGN rgn);  // 1 copied, 0 no clip, -1 error
BOOL PtVisible(HDC hdc, int x, int y);
BOOL RectVisible(HDC hdc, const RECT* rc);

// ---- rectangles --------------------------------------------------------------------
BOOL SetRect(LPRECT rc, int l, int t, int r, int b);
BOOL SetRectEmpty(LPRECT rc);
BOOL CopyRect(LPRECT dst, const RECT* src);
BOOL InflateRect(LPRECT rc, int dx, int dy);
BOOL OffsetRect(LPRECT rc, int dx, int dy);
BOOL IsRectEmpty(const RECT* rc);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL PtInRect(const RECT* rc, POINT pt);
BOOL IntersectRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL UnionRect(LPRECT dst, const RECT* a, const RECT* b);
BOOL SubtractRect(LPRECT dst, const RECT* a, const RECT* b);

// ---- this platform's own calls -----------------------------------------------------
// A PDF document of pages widthPt x heightPt points, drawn at `dpi` device
// pixels per inch (GetDeviceCaps answers DT_RASPRINTER). Pages run from
// StartPage to EndPage; EndDoc or DeleteDC finishes the file. The creation
// date is fixed, so the same drawing gives the same file. Null on failure.
HDC KvCreatePdfDC(const char* path, double widthPt, double heightPt, int dpi = 600);
// A smooth radial gradient over `rc` (logical units) on a PDF page: the
// family of ellipses whose centre runs from the focus (fx, fy) at size 0 to
// (cx, cy) at radii rx, ry, coloured `inner` up to the fraction `innerAt` of
// the way out and `outer` from `outerAt` on, smoothly between. FALSE, with
// nothing drawn, on every other context: raster and recording contexts draw
// such a fill as stepped rings, whose pixels and calls are the reference the
// smooth gradient stands in for on paper.
struct KvRadialGradient {
  double fx = 0, fy = 0, cx = 0, cy = 0, rx = 0, ry = 0;
  COLORREF inner = 0, outer = 0;
  double innerAt = 0, outerAt = 1;
};
BOOL KvRadialGradientFill(HDC hdc, const RECT* rc, const KvRadialGradient& gradient);
// Writes the bitmap as an 8-bit RGB (no alpha) PNG; the same pixels give the
// same bytes. FALSE for a bad handle or an unwritable path.
BOOL KvSaveBitmapPng(HBITMAP bitmap, const char* path);
// Test hook: on (the default), curved figures that come back moved by whole
// pixels are drawn from the coverage kept of their first drawing; off, every
// figure is scan-converted anew (the pixels are the same either way).
void KvSetCoverageCache(bool on);
// Test hook: on (the default), plain one-line texts are itemized and shaped
// directly; off, every text goes through a pango layout (the glyphs are the
// same either way).
void KvSetDirectShaping(bool on);
// The family fontconfig gives for a face name ("Arial" -> "Liberation Sans").
std::string KvResolveFontFamily(LPCWSTR face);
// Whether a handle names a live object of the table (of any kind).
bool KvIsLiveGdiHandle(const void* handle);
// The stock index (WHITE_BRUSH ... DC_PEN) of a stock object, -1 otherwise.
int KvStockObjectIndex(HGDIOBJ obj);
// Number of live objects (not counting stock objects); for leak checks.
std::size_t KvGdiObjectCount();
