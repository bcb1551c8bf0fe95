// SRtfDocument: rich text (RTF) reduced to plain text with one character
// format, measured and drawn through a device context.
//
// The reader is a real tokenizer: groups, control words with their numeric
// parameter, control symbols, \'hh escapes (Windows-1252), \uN with the \ucN
// skip count of its group, \binN data, ignorable destinations (\*) and the
// destinations that hold no text (font and colour tables, style sheet,
// information, pictures...). Paragraph marks (\par, \line, \sect, \page,
// \row) become "\r" in the document's text, tabs and cells "\t"; hidden
// text (\v) is dropped. Malformed or truncated input gives the text read so
// far, never a failure.
#pragma once

#include "kvcore/sstring.h"
#include "win/wingdi.h"

class SRtfDocument {
 public:
  // The format of the document's first text.
  struct CharFormat {
    SString face;         // the font table's face of \fN, "Arial" when none
    int halfPoints = 24;  // \fsN
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    COLORREF color = 0;  // the colour table's entry of \cfN
  };

  explicit SRtfDocument(HWND parent = nullptr) : m_parent(parent) {}
  explicit SRtfDocument(const SString& rtf, HWND parent = nullptr) : m_parent(parent) { SetRtf(rtf); }

  // True when the text starts (after blanks) with "{\rtf".
  static bool IsRtf(const SString& text);
  // Plain text of an RTF text, paragraphs separated by "\r\n"; a text that is
  // not RTF comes back unchanged.
  static SString RtfToText(const SString& rtf);

  void SetRtf(const SString& rtf);
  const SString& GetRtf() const { return m_rtf; }
  // The plain text with "\r\n" paragraph separators.
  SString RtfToText() const;
  // The document's text as positions count it: one "\r" per paragraph mark.
  const SString& GetText() const { return m_text; }
  int GetTextLength() const { return m_text.GetLength(); }
  const CharFormat& GetCharFormat() const { return m_format; }
  HWND GetParent() const { return m_parent; }

  // Lays out characters first..last (last -1: to the end) in `rcTwips`
  // (twips of `target`'s resolution; the page rectangle bounds the height
  // too) on `hdc` with word wrapping, drawing them when `render` is set.
  // Answers the index after the last character that fits (first when
  // nothing fits or there is no text). A null `hdc` frees the layout cache
  // and answers 0.
  int FormatRange(HDC hdc, HDC target, const RECT& rcTwips, const RECT& pageTwips, int first, int last, BOOL render);
  void FreeFormatCache() {}  // fonts are made per call: nothing is kept
  // The size in device pixels of characters first..last (last -1: to the
  // end) laid out `width` pixels wide on `hdc` (width <= 0: no wrapping).
  SIZE GetExtent(HDC hdc, int width, int first = 0, int last = -1);

 private:
  // A font for the document's format at `hdc`'s vertical resolution.
  HFONT MakeFont(HDC hdc) const;

  HWND m_parent;
  SString m_rtf;
  SString m_text;
  CharFormat m_format;
};
