// SSymSubText: the text compartment, a string drawn in the sub-object's
// rectangle with its font, font colour and text style, wrapped or truncated
// by the style and by the diagram's wrapping preferences, optionally with a
// picture (a metafile or an icon) beside it or in its place. It measures
// itself for the group layout (SSymSubGroup), keeps the width of a line
// label in the line's attributes, streams its font and starts in-place
// editing of its text. Lines use it for their three labels; the position
// index tells which (0 centre, 1 source, 2 destination; -1 for a text that
// is not a label).
//
// It answers ISSymText and, through it, ISSymFont.
#pragma once

#include "kvcore/sstring.h"
#include "sym/subobjects/symsubs.h"

class SMetaFile;
class SIcon;
class ISSymInPlaceEditor;

class SSymSubText : public SSymSubsFonts, public ISSymText {
 public:
  static constexpr LONG DefaultTextStyle = 0x211;

  // An empty text: kind 2, style 0x211, index -1, no rectangle.
  SSymSubText();
  // A text on its parent, in a rectangle (normalised here); kind 1.
  SSymSubText(ISSymSubSink* parent, const SString& text, const SSymRect& rect);
  // Copies the text, style and font; the label-width and picture marks are
  // dropped, there is no picture and the index starts at -1.
  SSymSubText(const SSymSubText& source);
  ~SSymSubText() override;

  // ---- IUnknown (one object behind every face)
  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  // ---- ISSymbol (and ISSymText's Draw)
  // 1 when hidden or already drawing; a label of a line without a diagram
  // (or without display preferences) is not drawn either (1). Otherwise
  // draws once initialised.
  HRESULT Draw(SSymCanvas& canvas) override;
  int GetSymbolType() override { return 3; }
  BOOL CanRename() override { return 1; }
  // Whether a drop at pt may land on the text: its holder's answer (a line
  // refuses a label pulled too far from it); 1 without a holder.
  using SSymSubs::IsDropPossible;
  BOOL IsDropPossible(const SSymPoint& pt);
  // ---- the family
  // With the picture mark: no picture; otherwise: no text.
  BOOL IsEmpty() const override;
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override;
  // A proposed rectangle takes the height of the text wrapped at its width
  // (measured on the diagram's first view).
  void GetTextSize(SSymRect& rect) override;
  // In-place editing of the text: E_POINTER without a view, 1 when hidden
  // or empty (or a label whose link text is read-only), E_OUTOFMEMORY when
  // no editor can be made, E_FAIL when it does not start, 0 when it runs.
  using SSymSubs::EditInPlace;
  HRESULT EditInPlace(SSymEditInPlaceController* controller, SSymView* view, const SSymPoint& pt) override;
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint) override;

  // ---- ISSymFont
  using SSymSubsFonts::GetFont;
  using SSymSubsFonts::SetFont;
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

  // The picture shown beside the text (or, with the picture mark, in its
  // place); neither is owned. The size is in diagram units for a metafile
  // and for an icon beside a text; an icon shown alone is that many lines
  // of 75 units high.
  void _SetMetaFile(SMetaFile* picture, LONG size) {
    m_pMetaFile = picture;
    m_nMetaFileSize = size;
  }
  void _SetPictureIcon(SIcon* icon, LONG size) {
    m_pPictureIcon = icon;
    m_nPictureIconSize = size;
  }
  bool HasPicture() const { return m_pMetaFile || m_pPictureIcon; }
  LONG PictureSize() const { return m_pMetaFile ? m_nMetaFileSize : m_nPictureIconSize; }

  // The repository object and attribute a text shows, for texts bound to
  // the model; none for a plain text.
  virtual ISRepObject* GetBoundObject() const { return nullptr; }
  virtual LONG GetAttrId() const { return 0; }

  // The line's text-width attribute of a label position, or 0.
  static LONG GetTpDispid(int index) { return LabelWidthId(index); }

 protected:
  void* QueryFamily(REFIID iid) override;
  int LabelPosition() override { return m_index; }

  SString m_text;
  LONG m_textStyle = DefaultTextStyle;
  SMetaFile* m_pMetaFile = nullptr;
  SIcon* m_pPictureIcon = nullptr;
  LONG m_nMetaFileSize = 0;
  LONG m_nPictureIconSize = 0;
  int m_index = -1;

 private:
  // The editor's run over a prepared controller (shared by both overloads).
  HRESULT RunEditor(ISSymInPlaceEditor* editor, bool madeHere, SSymView* view);
};
