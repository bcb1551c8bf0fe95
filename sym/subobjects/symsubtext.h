// SSymSubText: the text sub-object, a string drawn in the sub-object's
// rectangle with its font, font colour and text style. Lines use it for
// their three labels; its slot index tells which (0 centre, 1 source, 2
// destination; -1 for a text that is not a label).
//
// It answers ISSymText and, through it, ISSymFont.
#pragma once

#include "kvcore/sstring.h"
#include "sym/subobjects/symsubs.h"

class SSymSubText : public SSymSubsFonts, public ISSymText {
 public:
  static constexpr LONG DefaultTextStyle = 0x211;

  // An empty text: style 0x211, index -1, no rectangle.
  SSymSubText();
  // A text on its parent, in a rectangle (normalised here).
  SSymSubText(ISSymSubSink* parent, const SString& text, const SSymRect& rect);
  // Copies the text, style and font; the label-width and picture marks are
  // dropped and the index starts at -1.
  SSymSubText(const SSymSubText& source);

  // ---- IUnknown (one object behind both faces)
  HRESULT QueryInterface(REFIID iid, void** out) override;
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  // ---- ISSymbol (and ISSymText's Draw)
  // 1 when hidden or already drawing; else draws once initialised.
  HRESULT Draw(SSymCanvas& canvas) override;
  int GetSymbolType() override { return 3; }
  BOOL CanRename() override { return 1; }
  BOOL IsEmpty() const override { return m_text.IsEmpty(); }
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override;

  // ---- ISSymFont
  const SSymFont& GetFont() override { return m_font; }
  HRESULT SetFont(const SSymFont& font, int redraw) override;
  SSymColor GetFontColor() override { return m_fontColor; }
  HRESULT SetFontColor(SSymColor color, int redraw) override;
  LONG GetFontStyle() override { return m_font.m_style; }
  HRESULT SetFontStyle(LONG style, int redraw) override;
  LONG GetTextStyle() override { return m_textStyle; }
  HRESULT SetTextStyle(LONG style, int redraw) override;
  // ---- ISSymText
  HRESULT GetText(SString& text) override {
    text = m_text;
    return S_OK;
  }
  HRESULT SetText(const SString& text, int redraw) override;

  // Quiet setters: no redraw.
  void _SetText(const SString& text) { m_text = text; }
  void _SetTextStyle(LONG style) { m_textStyle = style; }
  void _SetTp(int index) { m_index = index; }
  int GetTp() const { return m_index; }
  const SString& Text() const { return m_text; }
  ISSymText* TextFace() { return this; }
  ISSymbol* SymFace() { return static_cast<ISSymEditInPlace*>(this); }

 protected:
  SString m_text;
  LONG m_textStyle = DefaultTextStyle;
  int m_index = -1;
};
