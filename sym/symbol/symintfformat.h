// The faces of a symbol's formats and contents: pen, shadow, brush, the
// adjusting and custom-shape faces over the brush, font and text, line
// style and point lists.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfsymbol.h"
#include "win/windef.h"

class SSymCanvas;
class SSymListPt;
class SPictureInfo;

// ---- faces of formats and contents ------------------------------------------------------------------
// The outline pen.
struct ISSymPen : IUnknown {
  static constexpr IID iid = IID_ISSymPen;
  // A copy of the pen.
  virtual SSymPen GetPen() = 0;
  virtual HRESULT SetPen(const SSymPen& pen, int redraw) = 0;
  virtual int CanChangePenStyle() = 0;
};
// The shadow, and the drawing of the bare shape that casts it.
struct ISSymShadow : IUnknown {
  static constexpr IID iid = IID_ISSymShadow;
  virtual const SSymBrush& GetShadow() = 0;
  virtual HRESULT SetShadow(const SSymBrush& brush, int redraw) = 0;
  virtual SHORT GetShadowStyle() = 0;
  virtual HRESULT SetShadowStyle(SHORT style, int redraw) = 0;
  virtual int IsShadowsStyleSupported(SHORT style) = 0;
  // The bare shape with the pen and brush selected on the canvas.
  virtual HRESULT DrawSymbol(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawShadow(SSymCanvas& canvas) = 0;
  virtual HRESULT DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) = 0;
  virtual HRESULT DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) = 0;
};
// The fill brush and the background picture.
struct ISSymBrush : IUnknown {
  static constexpr IID iid = IID_ISSymBrush;
  virtual const SSymBrush& GetBrush() = 0;
  virtual HRESULT SetBrush(const SSymBrush& brush, int redraw) = 0;
  virtual int CanFill() = 0;
  // 1 while the symbol is filled, 0 when transparent.
  virtual int GetFillMode() = 0;
  // Non-zero makes the symbol transparent.
  virtual HRESULT SetFillMode(int transparent) = 0;
  virtual GUID GetBackgroundPictureID() = 0;
  virtual HRESULT SetBackgroundPictureID(const GUID& id) = 0;
  virtual SPictureInfo* GetBackgroundPicture() = 0;
  virtual BOOL SetBackgroundPicture(SPictureInfo* picture) = 0;
  virtual SString GetBackgroundPictureFile() = 0;
  virtual HRESULT SetBackgroundPictureFile(const SString& file) = 0;
};
// Adjusting the symbol to its text (over the brush face).
struct ISSymAdjust : ISSymBrush {
  static constexpr IID iid = IID_ISSymAdjust;
  virtual BOOL IsAdjusted() = 0;
  virtual HRESULT SetAdjust(bool adjusted, int redraw) = 0;
  // The same operation as ISSymbol's.
  virtual HRESULT AdjustText(SSymCanvas& canvas, int redraw, int record) = 0;
  virtual HRESULT AutoAdjustText(int a, int b) = 0;
};
// The keep flags, the custom picture or predefined shape that replaces the
// shape, and the custom text mode (over the adjust and brush faces). The
// custom text mode is GetCustomTextMode/SetCustomTextMode, apart from the
// text style of ISSymFont, which a text symbol answers as well.
struct ISSymCustomShape : ISSymAdjust {
  static constexpr IID iid = IID_ISSymCustomShape;
  virtual bool GetKeepAspect() = 0;
  virtual HRESULT SetKeepAspect(bool on) = 0;
  virtual bool GetKeepCenter() = 0;
  virtual HRESULT SetKeepCenter(bool on) = 0;
  virtual bool GetKeepSize() = 0;
  virtual HRESULT SetKeepSize(bool on) = 0;
  // The rectangle that fits the symbol's text; 0 when it moved the edges by
  // 40 units or less in total.
  virtual HRESULT GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) = 0;
  virtual LONG GetCustomPictureType() = 0;
  virtual HRESULT SetCustomPictureType(LONG type) = 0;
  virtual LONG GetCustomTextMode() = 0;
  virtual HRESULT SetCustomTextMode(LONG mode) = 0;
  virtual GUID GetCustomPictureID() = 0;
  virtual HRESULT SetCustomPictureID(const GUID& id) = 0;
  virtual SPictureInfo* GetCustomPicture() = 0;
  virtual HRESULT SetCustomPicture(SPictureInfo* picture) = 0;
  virtual SString GetCustomPictureFile() = 0;
  virtual HRESULT SetCustomPictureFile(const SString& file) = 0;
  virtual LONG GetCustomShapeType() = 0;
  virtual HRESULT SetCustomShapeType(LONG type) = 0;
  virtual int CustomShapeTest1() = 0;
  virtual int CustomShapeTest2() = 0;
};
// The font, font colour, font style and text style of a text.
struct ISSymFont : IUnknown {
  static constexpr IID iid = IID_ISSymFont;
  virtual const SSymFont& GetFont() = 0;
  virtual HRESULT SetFont(const SSymFont& font, int redraw) = 0;
  virtual SSymColor GetFontColor() = 0;
  virtual HRESULT SetFontColor(SSymColor color, int redraw) = 0;
  virtual LONG GetFontStyle() = 0;
  virtual HRESULT SetFontStyle(LONG style, int redraw) = 0;
  virtual LONG GetTextStyle() = 0;
  virtual HRESULT SetTextStyle(LONG style, int redraw) = 0;
};
// Named font entries (the text compartments of a symbol answer it), over
// the verb face. Names compare exactly, letter case included; an empty
// name matches only an empty name.
struct ISSymFonts : ISVerbSource {
  static constexpr IID iid = IID_ISSymFonts;
  // The number of entries.
  virtual int GetFontCount() = 0;
  // Append the entries to a list (nothing for a null list).
  virtual void GetFonts(SSymLstFonts* list) = 0;
  virtual void GetAllFonts(SSymLstFonts* list) = 0;
  // Copies the entry of a matching name whole to out and answers 1; otherwise 0.
  virtual int GetFont(const SString& name, SSymFonts* out) = 0;
  // When the entry's name equals name: replaces the whole entry by fonts,
  // redraws when redraw is non-zero, and answers 1. Otherwise 0.
  virtual int SetFont(const SString& name, const SSymFonts& fonts, int redraw) = 0;
  // As SetFont, but only the font and colour of fonts are taken (the
  // entry's name and other fields stay).
  virtual int CopyFont(const SString& name, const SSymFonts& fonts, int redraw) = 0;
  // Sets the colour of every entry; 1 when one changed, 0 otherwise. No redraw.
  virtual int SetFontsColor(SSymColor color) = 0;
};
// The text itself (over the font face).
struct ISSymText : ISSymFont {
  static constexpr IID iid = IID_ISSymText;
  virtual HRESULT GetText(SString& text) = 0;
  virtual HRESULT SetText(const SString& text, int redraw) = 0;
  // The same operation as ISSymbol's.
  virtual HRESULT Draw(SSymCanvas& canvas) = 0;
};
struct ISSymLine : IUnknown {
  static constexpr IID iid = IID_ISSymLine;
  virtual LONG GetLineStyle() = 0;
  virtual HRESULT SetLineStyle(LONG style, int redraw) = 0;
};
struct ISSymPolyline : IUnknown {
  static constexpr IID iid = IID_ISSymPolyline;
  virtual HRESULT GetListPt(SSymListPt& out) = 0;
  virtual HRESULT SetListPt(const SSymListPt& pts, int redraw, int flag) = 0;
  virtual LONG GetLineStyle() = 0;
  // The arrowhead type at an end (mask 1, 2, 4 or 8); 24 for none.
  virtual LONG GetArrow(int endMask) = 0;
  virtual HRESULT SetArrow(int endMask, LONG type, int redraw) = 0;
};
