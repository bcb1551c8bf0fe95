// The rectangle family: six persistent symbols that each draw one figure in
// the symbol's rectangle. The rectangle, blank rectangle, rounded rectangle,
// ellipse and pie are filled and carry a text (over SSymSolidText); the arc
// is an open curve with a pen only (over SSymStd). Each class supplies its
// figure, its shadow, its hit and link tests and its text margins; the
// rectangle, format, text, custom picture, shadow styles, undo and the
// inherited attributes are the bases' behaviour.
//
// Drawing never changes the stored format: the outline in the fill colour of
// the blank rectangle and of a flagged ellipse, and the hollow brush of a
// transparent symbol, are applied to a copy of the pen and the brush.
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symsolidtext.h"
#include "sym/symbol/symstd.h"

// The symbol type codes of the family.
namespace SSymTypeCode {
inline constexpr int Rectangle = 3;
inline constexpr int RoundRect = 4;
inline constexpr int Ellipse = 5;
inline constexpr int Arc = 6;
inline constexpr int Pie = 16;
inline constexpr int Generic = 79;
}  // namespace SSymTypeCode

// The base of the filled figures: the drawing sequence of a filled figure
// around the figure that each class draws.
class SSymFilledFigure : public SSymSolidText {
 public:
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;
  // The solid base's shape drawing with a hollow copy of the brush for a
  // transparent symbol (the stored brush keeps its kind).
  void DrawSymbolShape(SSymCanvas& canvas) override;

 protected:
  using SSymSolidText::SSymSolidText;
  // The figure in the normalised rectangle r, with the pen and brush set.
  virtual void DrawFigure(SSymCanvas& canvas, const SSymRect& r);
  // True when the outline takes the fill colour.
  virtual bool OutlineInFillColor() { return false; }
};

class SSymRectangle : public SSymFilledFigure {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymRectangle(const SSymRect& rect, const CLSID& clsid = CLSID_SSymRectangle)
      : SSymFilledFigure(rect, nullptr, clsid) {}
  ~SSymRectangle() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::Rectangle; }

 protected:
  explicit SSymRectangle(ISRepSession* session, const CLSID& clsid = CLSID_SSymRectangle)
      : SSymFilledFigure(session, clsid) {}
  SSymRectangle(const SSymRectangle& source) = default;
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};

// A rectangle whose outline is drawn in its fill colour.
class SSymBlankRectangle : public SSymFilledFigure {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymBlankRectangle(const SSymRect& rect) : SSymFilledFigure(rect, nullptr, CLSID_SSymBlankRectangle) {}
  ~SSymBlankRectangle() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::Rectangle; }
  // The shadow is the rectangle's (a plain outline in the shadow pen).

 protected:
  explicit SSymBlankRectangle(ISRepSession* session) : SSymFilledFigure(session, CLSID_SSymBlankRectangle) {}
  SSymBlankRectangle(const SSymBlankRectangle& source) = default;
  bool OutlineInFillColor() override { return true; }
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};

// The shared hit tests of the rounded rectangle and the ellipse.
class SSymRoundFigure : public SSymFilledFigure {
 public:
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // Unlike the base, the refusing bit alone does not refuse the point while
  // no custom picture is shown.
  BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) override;

 protected:
  using SSymFilledFigure::SSymFilledFigure;
  // The point lies inside the figure drawn in the normalised rectangle r.
  virtual bool InFigure(const SSymPoint& pt, const SSymRect& r) = 0;
};

class SSymRoundRect : public SSymRoundFigure {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymRoundRect(const SSymRect& rect) : SSymRoundFigure(rect, nullptr, CLSID_SSymRoundRect) {}
  ~SSymRoundRect() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::RoundRect; }
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  SSymRect GetMargin() override;

 protected:
  explicit SSymRoundRect(ISRepSession* session) : SSymRoundFigure(session, CLSID_SSymRoundRect) {}
  SSymRoundRect(const SSymRoundRect& source) = default;
  void DrawFigure(SSymCanvas& canvas, const SSymRect& r) override;
  bool InFigure(const SSymPoint& pt, const SSymRect& r) override;
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};

class SSymEllipse : public SSymRoundFigure {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymEllipse(const SSymRect& rect) : SSymRoundFigure(rect, nullptr, CLSID_SSymEllipse) {}
  ~SSymEllipse() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::Ellipse; }
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  // Margins that keep the text inside the ellipse: at least 150 and at most
  // half the size on each axis (a flat or thin ellipse included).
  SSymRect GetMargin() override;

  // While set, the outline is drawn in the fill colour. Nothing in the
  // library sets it; it is kept and copied with the symbol.
  BYTE m_bOutlineInFillColor = 0;

 protected:
  explicit SSymEllipse(ISRepSession* session) : SSymRoundFigure(session, CLSID_SSymEllipse) {}
  SSymEllipse(const SSymEllipse& source) = default;
  void DrawFigure(SSymCanvas& canvas, const SSymRect& r) override;
  bool OutlineInFillColor() override { return m_bOutlineInFillColor != 0; }
  bool InFigure(const SSymPoint& pt, const SSymRect& r) override { return IsPtInEllipse(pt, r); }
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};

// The upper half of an ellipse standing on the bottom edge of the rectangle.
class SSymPie : public SSymFilledFigure {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymPie(const SSymRect& rect) : SSymFilledFigure(rect, nullptr, CLSID_SSymPie) {}
  ~SSymPie() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::Pie; }

 protected:
  explicit SSymPie(ISRepSession* session) : SSymFilledFigure(session, CLSID_SSymPie) {}
  SSymPie(const SSymPie& source) = default;
  void DrawFigure(SSymCanvas& canvas, const SSymRect& r) override;
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};

// An open arc, drawn with the pen only. Equal start and end points (every
// new arc) give the default quarter arc, which depends on the direction in
// which the rectangle was drawn.
class SSymArc : public SSymStd {
  KV_SYM_DECLARE_POOL()

 public:
  explicit SSymArc(const SSymRect& rect) : SSymStd(rect, nullptr, CLSID_SSymArc) {}
  ~SSymArc() override = default;
  KV_SYM_CLASS_TABLES()
  int GetSymbolType() override { return SSymTypeCode::Arc; }
  int GetShapeKind() override { return SSymTypeCode::Generic; }
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  BOOL IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink* link, int a) override;
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;

  // The default quarter arc of the stored rectangle: the ellipse rectangle,
  // its start and end, and whether it is centred on the second corner.
  struct Quarter {
    SSymRect ellipse;
    SSymPoint start, end;
    bool onSecondCorner = false;
  };
  Quarter GetQuarter() const;

  SSymPoint m_start;
  SSymPoint m_end;

 protected:
  explicit SSymArc(ISRepSession* session) : SSymStd(session, CLSID_SSymArc) {}
  SSymArc(const SSymArc& source) = default;
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
};
