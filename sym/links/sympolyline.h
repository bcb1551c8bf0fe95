// SSymPolyline: the open point-list symbol with up to three labels (centre,
// source end, destination end), one font for all three, verbs that open the
// line-text sheet, and attributes for the texts, their offsets and widths.
// The labels are placed by the line-text base (SSymLineTextHelper).
#pragma once

#include "sym/links/sympolybase.h"
#include "sym/links/symlinetext.h"

class SSymPolyline : public SRepFaces<SSymPolyline, SSymPolyBase, ISVerbSource, ISSymFont, ISSymSubSink>,
                     public SSymLineTextHelper {
  KV_SYM_DECLARE_POOL()

 public:
  KV_SYM_CLASS_TABLES()

  SSymPolyline(const SSymPoint& a, const SSymPoint& b, ISRepSession* session);
  SSymPolyline(const SSymListPt& pts, ISRepSession* session);
  ~SSymPolyline() override;

  int GetSymbolType() override { return 1; }

  // ---- ISRepObject
  HRESULT HasAttribute(LONG id) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  void OnUpdateAttribute(LONG id) override;

  // ---- ISSymbol
  HRESULT Redraw(SSymCanvas* canvas) override;
  SSymRect GetClipRect(int a, int b) override;
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;
  HRESULT IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;
  HRESULT InitialSym(ISSymbol* self) override;
  // ---- ISSymShadow
  HRESULT DrawSymbol(SSymCanvas& canvas) override;

  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol* sub, int redraw) override;
  HRESULT OnSubSymMove(ISSymbol* sub, int redraw) override;
  HRESULT RedrawSubSym(ISSymbol* sub) override;
  int IsSubSink() override { return 1; }

  // ---- ISSymFont
  const SSymFont& GetFont() override { return m_font; }
  HRESULT SetFont(const SSymFont& font, int redraw) override;
  SSymColor GetFontColor() override { return SSymColor(Font); }
  HRESULT SetFontColor(SSymColor color, int redraw) override;
  LONG GetFontStyle() override { return m_font.m_style; }
  HRESULT SetFontStyle(LONG style, int redraw) override;
  LONG GetTextStyle() override { return Style; }
  HRESULT SetTextStyle(LONG style, int redraw) override;

  // ---- ISVerbSource: every verb opens the line-text sheet
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return 1; }

  // ---- SSymPolyBase
  void RecomputeClipRect(int a, int b) override;
  void RecomputePoints(int a, int record, int c, int d) override;
  HRESULT SetListPt(const SSymListPt& pts, int redraw, int a, int b) override;
  using SSymPolyBase::SetListPt;
  HRESULT SetSymArrow(int endMask, long type, int redraw) override;

  // ---- SSymLineTextHelper
  ISSymbol* GetISymbol() override { return Sym(); }

  // ---- own operations
  // The label of slot 0, 1 or 2 (no reference added); null for any other index.
  ISSymbol* GetSubSymbol(int index);
  // A drop of one of the line's own labels at point is possible when the
  // label would stand acceptably there; anything else may be dropped.
  BOOL IsDropPossible(ISSymbol* symbol, SSymPoint point) override;
  using SSymBase::IsDropPossible;
  // Copies the texts of a source that has them.
  HRESULT CopySpecificSymAttributes(ISSymbol* source);

  SString GetFontName() { return m_font.GetAsString(); }
  // 1 when the name equals the current text form of the font.
  HRESULT SetFontName(const SString& name);
  SString GetCtrText() { return GetText(0); }
  HRESULT SetCtrText(const SString& text) { return SetLabelText(0, text); }
  SString GetSrcText() { return GetText(1); }
  HRESULT SetSrcText(const SString& text) { return SetLabelText(1, text); }
  SString GetDstText() { return GetText(2); }
  HRESULT SetDstText(const SString& text) { return SetLabelText(2, text); }


  int m_bCascade = 0;
  SSymFont m_font;
  DWORD Font = 0;  // the font colour
  LONG Style = 0;  // the text style

 protected:
  explicit SSymPolyline(ISRepSession* session, const CLSID& clsid = CLSID_SSymPolyline);
  SSymPolyline(const SSymPolyline& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);
  int OnCopySymAttributes(ISSymbol* source) override;

 private:
  void InitDefaults();
  HRESULT SetLabelText(int index, const SString& text);
  void RememberLabels(SSymPoint (&centres)[TextCount]);
  void RecordLabelMoves(ISRepContext* ctx, const SSymPoint (&before)[TextCount]);
  void MarkChanged() { MarkModified(); }
};

// The line-text sheet of a line, shown modeless: the dialogs subsystem
// installs the opener when the library loads; without it nothing is shown.
void SSymShowPolyTextDialog(ISRepObject* object, SSymLineTextHelper* helper, ISSymbol* line, HWND owner);
void SSymSetPolyTextDialogOpener(void (*opener)(ISRepObject* object, SSymLineTextHelper* helper, ISSymbol* line,
                                                HWND owner));
