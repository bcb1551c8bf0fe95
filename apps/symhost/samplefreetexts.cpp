#include "apps/symhost/samplefreetexts.h"

#include "sym/render/symdeftcanv.h"
#include "sym/shapes/symtext.h"

namespace {

// The sheet's grid (see samplediagram.cpp): rows of 99000 units, a gap of
// 1500 above each row and a title of 2100 over it.
constexpr LONG kRowW = 99000;
constexpr LONG kRowGap = 1500;
constexpr LONG kTitleH = 2100;
constexpr LONG kTitleGap = 300;
constexpr LONG kGapX = 1800;
constexpr LONG kCellW = 10800;
constexpr LONG kTitleX = 700;

// Text styles: centred both ways, wrapped at the symbol's width or on one
// line. A one-line text fitted to its measure is not wrapped: on a device
// whose hinted glyphs are a little wider (PDF), its last word would go to a
// second line.
constexpr LONG kWrapped = 0x1022;
constexpr LONG kOneLine = 0x22;

constexpr DWORD kInk = RGB(0x20, 0x20, 0x20);
constexpr DWORD kTitleInk = RGB(0x1F, 0x3A, 0x5F);

SSymText* AddText(SHostDiagram& diagram, const SSymRect& r, const char16_t* text) {
  ISSymbol* sym = diagram.AddSymbol(CLSID_SSymText, r);
  auto* t = sym ? dynamic_cast<SSymText*>(SSymBase::FromInterface(sym)) : nullptr;
  if (t) t->SetText(SString(text), 0);
  return t;
}

}  // namespace

std::vector<ISSymbol*> SBuildFreeTextRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top = diagram.GetExtent(0).y2 - kRowGap;
  // The title is a free text too, one line at the left (where the other
  // rows' titles start, inside their margin).
  if (SSymText* title =
          AddText(diagram, SSymRect(kTitleX, top, kRowW, top - kTitleH), u"Free texts, fitted to their text")) {
    title->SetFont(SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0);
    title->SetFontColor(SSymColor(kTitleInk), 0);
    title->SetTextStyle(0x120, 0);
    made.push_back(title->Sym());
  }

  struct Item {
    const char16_t* text;
    const char16_t* face;
    LONG size, fontStyle, textStyle;
    DWORD ink;
    int look;  // 0 plain, 1 gradient-filled glyphs, 2 offset shadow
  };
  const Item items[] = {
      {u"Plain text", u"Arial", 10, SSymFont::Normal, kOneLine, kInk, 0},
      {u"A longer plain text wraps at the symbol's width, and the symbol grows to the lines it needs", u"Arial", 9,
       SSymFont::Normal, kWrapped, kInk, 0},
      {u"{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}{\\colortbl;\\red192\\green0\\blue0;}"
       u"\\f0\\fs28\\b\\i\\cf1 Rich text in its own font and colour}",
       u"Arial", 8, SSymFont::Normal, kWrapped, kInk, 0},
      {u"{\\rtf1\\ansi{\\fonttbl{\\f0 Courier New;}}{\\colortbl;\\red31\\green58\\blue147;}"
       u"\\f0\\fs20\\cf1 A rich text wrapped over several lines of the symbol}",
       u"Arial", 8, SSymFont::Normal, kWrapped, kInk, 0},
      {u"Gradient", u"Arial", 22, SSymFont::Bold, kOneLine, kInk, 1},
      {u"With a shadow", u"Times New Roman", 16, SSymFont::Italic, kOneLine, RGB(0x1F, 0x3A, 0x93), 2},
  };
  SSymDeftCanvas measure;
  const LONG cells = top - kTitleH - kTitleGap;
  LONG x = 0;
  for (const Item& it : items) {
    // Each starts as a cell-wide box and fits itself to its text.
    SSymText* t = AddText(diagram, SSymRect(x, cells, x + kCellW, cells - 3600), it.text);
    if (!t) continue;
    t->SetFont(SSymFont(SString(it.face), it.size, it.fontStyle), 0);
    t->SetFontColor(SSymColor(it.ink), 0);
    t->SetTextStyle(it.textStyle, 0);
    if (it.look == 1) {
      SSymBrush gradient(SSymBrush::Gradient, 0, SSymColor(RGB(0x5B, 0x9B, 0xD5)));
      gradient.m_endColor = SSymColor(RGB(0xC0, 0x00, 0x00));
      gradient.m_gradientMode = 0x21;
      t->SetBrush(gradient, 0);
    } else if (it.look == 2) {
      t->SetShadowStyle(1, 0);
      t->SetShadowColor(static_cast<LONG>(RGB(0xB0, 0xB0, 0xB0)));
    }
    SSymRect fitted = t->m_rect;
    t->GetAdjustRect(measure, fitted, fitted);
    // Fitted about its centre: put back at the row's top left.
    fitted.Normalize();
    fitted.OffsetRect(x - fitted.x1, cells - fitted.y1);
    t->PutRect(fitted);
    x = fitted.x2 + kGapX;
    made.push_back(t->Sym());
  }
  return made;
}
