// SSymSolidText: a solid symbol that carries a text with its font, font
// colour and text style, draws the text inside its margins, fits itself to
// the text, and opens the text for editing in place or in the text dialog.
// The rectangle, rounded rectangle, ellipse, pie, text, predefined-shape and
// swimlane symbols derive from it.
//
// It answers ISSymText and ISSymFont with one face (the text face extends the
// font face) and ISVerbSource over the faces of SSymSolid.
#pragma once

#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintftextdlg.h"
#include "sym/symbol/symintfview.h"
#include "sym/symbol/symsolid.h"

class SSymSolidText : public SRepFaces<SSymSolidText, SSymSolid, ISSymText, ISSymFont, ISVerbSource> {
 public:
  // The text margins.
  static constexpr LONG MarginX = 700;
  static constexpr LONG MarginY = 450;
  // The least size that GetAdjustRect gives.
  static constexpr LONG MinAdjustWidth = 4800;
  static constexpr LONG MinAdjustHeight = 3600;
  // The half width of the hit band of a transparent symbol.
  static constexpr LONG HitBand = 300;

  SSymSolidText(const SSymRect& rect, ISRepSession* session, const CLSID& clsid = CLSID_SSymSolidText);
  ~SSymSolidText() override;

  KV_SYM_CLASS_TABLES()
  HRESULT HasAttribute(LONG id) override;

  // ---- ISSymbol
  // (ISSymText's Draw as well)
  HRESULT Draw(SSymCanvas& canvas) override { return SSymStd::Draw(canvas); }
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  // The hit band of a transparent symbol (an opaque one answers within 75
  // units of its rectangle).
  LONG GetHitReach() override { return HitBand; }
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt) override;
  using SSymBase::EditInPlace;

  // ---- ISSymText
  HRESULT GetText(SString& text) override {
    text = m_text;
    return S_OK;
  }
  HRESULT SetText(const SString& text, int redraw) override;

  // ---- ISSymFont
  const SSymFont& GetFont() override { return m_font; }
  HRESULT SetFont(const SSymFont& font, int redraw) override;
  SSymColor GetFontColor() override { return SSymColor(m_fontColor); }
  HRESULT SetFontColor(SSymColor color, int redraw) override;
  LONG GetFontStyle() override { return m_font.m_style; }
  HRESULT SetFontStyle(LONG style, int redraw) override;
  LONG GetTextStyle() override { return m_textStyle; }
  HRESULT SetTextStyle(LONG style, int redraw) override;

  // ---- ISVerbSource
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return 1; }

  // ---- ISSymCustomShape
  HRESULT GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) override;

  // ---- SSymStd
  HRESULT OnSetBlobData(SInputStream& stream) override;

  // ---- own operations
  virtual SSymRect GetMargin() { return SSymRect(MarginX, MarginY, MarginX, MarginY); }
  // Draws the text inside the margins; the concrete shapes call it after
  // drawing themselves.
  virtual void DrawTextW(SSymCanvas& canvas);
  virtual SString GetFontName() { return m_font.GetAsString(); }
  // The FontName property: records its own undo; 1 for an unchanged value.
  virtual HRESULT SetFontName(const SString& text);

  ISSymText* TextFace() { return this; }
  ISSymFont* FontFace() { return this; }

  // ---- members
  SString m_text;
  SSymFont m_font;
  DWORD m_fontColor = 0;
  LONG m_textStyle = 0x1022;

 protected:
  explicit SSymSolidText(ISRepSession* session, const CLSID& clsid = CLSID_SSymSolidText);
  SSymSolidText(const SSymSolidText& source);

 private:
  void Init();
  void Redrawn(int redraw) {
    if (redraw) Sym()->Redraw(nullptr);
  }
  // The normalised rectangle shrunk by the margins (sign 1) or grown by
  // them (sign -1).
  SSymRect ApplyMargins(const SSymRect& rect, int sign);
  void Touched() {
    SetChanged();
    SetSessionModified();
  }
};
