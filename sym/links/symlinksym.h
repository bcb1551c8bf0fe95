// SSymLinkSym: the link with texts. A standard link whose three labels are
// reachable as text attributes, with one font and font colour for the link
// and all its labels, a text style of its own, a verb that opens the
// line-text sheet, and a format exchange that carries the link's font.
#pragma once

#include "sym/links/symlinkstd.h"

class SSymLinkSym : public SRepFaces<SSymLinkSym, SSymLinkStd, ISVerbSource, ISSymFont> {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  SSymLinkSym(ISSymLinkable* src, ISSymLinkable* dst, const SSymPoint& from, const SSymPoint& to, int arrowMask,
              int arrow, ISRepSession* session);
  SSymLinkSym(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
              ISRepSession* session);
  ~SSymLinkSym() override;

  // ---- ISRepObject
  HRESULT HasAttribute(LONG id) override;
  // The font colour goes on to every label.
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;

  // ---- ISSymbol
  HRESULT GetFormat(SSymFormatEx& format) override;
  // Takes the first font entry named "Text" after the first entry, else the
  // first entry.
  HRESULT SetFormat(const SSymFormatEx& format) override;
  // 0 the first time, 1 once done.
  HRESULT InitialSym(ISSymbol* self) override;

  // ---- ISSymFont: the link's font is the font of all its labels
  const SSymFont& GetFont() override { return m_font; }
  HRESULT SetFont(const SSymFont& font, int redraw) override;
  SSymColor GetFontColor() override { return SSymColor(Font); }
  HRESULT SetFontColor(SSymColor color, int redraw) override;
  LONG GetFontStyle() override { return m_font.m_style; }
  HRESULT SetFontStyle(LONG style, int redraw) override;
  LONG GetTextStyle() override { return Style; }
  HRESULT SetTextStyle(LONG style, int redraw) override;

  // ---- ISVerbSource: every verb opens the line-text sheet, one per link
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return 1; }

  // ---- own operations
  // Copies the texts of a source that has them; a text the source cannot
  // read is skipped.
  HRESULT CopySpecificSymAttributes(ISSymbol* source);

  SString GetFontName() { return m_font.GetAsString(); }
  // 1, and nothing changed, when the name equals the current text form.
  HRESULT SetFontName(const SString& name);
  SString GetCtrText() { return GetText(0); }
  HRESULT SetCtrText(const SString& text) { return SetLabelText(0, text); }
  SString GetSrcText() { return GetText(1); }
  HRESULT SetSrcText(const SString& text) { return SetLabelText(1, text); }
  SString GetDstText() { return GetText(2); }
  HRESULT SetDstText(const SString& text) { return SetLabelText(2, text); }

  SSymFont m_font;
  DWORD Font = 0;  // the font colour
  LONG Style = 0;  // the text style

 protected:
  explicit SSymLinkSym(ISRepSession* session, const CLSID& clsid = CLSID_SSymLinkSym);
  SSymLinkSym(const SSymLinkSym& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
  int OnCopySymAttributes(ISSymbol* source) override;

 private:
  void InitDefaults();
  HRESULT SetLabelText(int index, const SString& text);
};
