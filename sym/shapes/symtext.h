// SSymText: the free text of a diagram. A persistent symbol whose figure is
// its text alone, plain or rich (RTF), drawn into its rectangle with no
// outline by default; it grows its rectangle to fit the text, takes its font
// from the older blob form, and edits its text in place.
//
// The text, font, font colour, text style and fill are the solid text
// symbol's. The fill shows only through the glyphs (picture and gradient
// fills are painted inside the text); the pen, when it has a line, outlines
// them.
//
// Drawing never changes the stored format: the hollow brush of a transparent
// text is a copy. A rich text's shadow is its plain text in the rich text's
// own font, placed where the rich text is drawn (the RTF source itself is
// never drawn as text).
#pragma once

#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symsolidtext.h"

class SSymText : public SSymSolidText {
  KV_SYM_DECLARE_POOL()

 public:
  // The symbol type code and the shape kind (a rectangle).
  static constexpr int TypeCode = 7;
  static constexpr int ShapeKind = 3;
  // The least size GetAdjustRect gives, and the sum of the corner moves up
  // to which an adjustment counts as no change.
  static constexpr LONG MinWidth = 4800;
  static constexpr LONG MinHeight = 3600;
  static constexpr LONG AdjustTolerance = 40;

  SSymText(const SSymRect& rect, const SString& text);
  ~SSymText() override = default;
  KV_SYM_CLASS_TABLES()

  int GetSymbolType() override { return TypeCode; }
  int GetShapeKind() override { return ShapeKind; }

  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  HRESULT DrawShadow(SSymCanvas& canvas) override;

  // Fits `out` to the text, at least MinWidth by MinHeight, keeping the
  // direction in which its corners were drawn: 1 when it moved its corners
  // by more than AdjustTolerance in total from `rect`, else 0.
  HRESULT GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) override;

  // Edits the text in place on `view`: E_POINTER without a view, 1 for an
  // empty text (nothing to edit), E_OUTOFMEMORY without an editor, E_FAIL
  // when the editing fails, else 0.
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt) override;
  using SSymSolidText::EditInPlace;
  LONG EnumVerbs() override { return E_NOTIMPL; }

  // The older blob form: the font's text form as one string. An empty blob
  // (what the getter writes) reads as nothing to take over (0). A form the
  // font parse ignores leaves the font and answers 1; a blob that cannot be
  // read answers a failure code and leaves the font as it was.
  HRESULT SetBlobData(const SBlob& blob) override;
  HRESULT OnSetBlobData(SInputStream& stream) override;

 protected:
  explicit SSymText(ISRepSession* session);
  SSymText(const SSymText& source) = default;
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  void InitDefaults();
  // Where a rich text is drawn in the normalised rectangle r: moved down to
  // the middle (text style 0x20) or to the bottom (0x40) when it is lower
  // than the rectangle.
  SSymRect RtfBox(SSymCanvas& canvas, const SSymRect& r);
};
