// Applying what the format sheet ended with to the selected symbols.
#include <memory>

#include "kvrep/srepsession.h"
#include "kvrep/srepvariant.h"
#include "sym/diagram/symdisppref.h"
#include "sym/edit/symselection.h"
#include "sym/foundation/symclassdesc.h"
#include "sym/foundation/symclassid.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symsolid.h"

namespace {
// The mark of a colour the selected symbols do not share.
constexpr DWORD kMixedColor = 0xFF000000u;
constexpr LONG kMixedLineStyle = 4;
constexpr LONG kMixedArrow = 255;
constexpr LONG kMixedTriState = 2;
constexpr LONG kMixedShadowStyle = 65535;
// A boolean a model's own symbol classes may carry (this library's classes
// do not): set, it is cleared when the symbol takes a custom picture.
constexpr LONG kPictureMarkAttribute = 0x0201000B;

bool IsMixed(const SSymColor& color) { return color.GetColor() == kMixedColor; }
bool SameColor(const SSymColor& a, const SSymColor& b) { return a.GetColor() == b.GetColor(); }
// A colour the person chose: neither the mixed mark nor the colour shown.
bool ColorChosen(const SSymColor& now, const SSymColor& before) { return !IsMixed(now) && !SameColor(now, before); }
// A word the person chose: not its mixed value and not the value shown.
bool WordChosen(LONG now, LONG before, LONG mixed) { return now != mixed && now != before; }

bool SameFonts(const SSymLstFonts& a, const SSymLstFonts& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (!(a.GetAt(i) == b.GetAt(i))) return false;
  return true;
}

// Merges one chosen font entry into the symbol's entry of the same names.
void MergeFont(SSymFonts& into, const SSymFonts& from) {
  if (!IsMixed(from.m_color)) into.m_color = from.m_color;
  SSymFont& f = into.m_font;
  const SSymFont& n = from.m_font;
  if (!n.m_faceName.IsEmpty()) f.m_faceName = n.m_faceName;
  if (n.m_size <= 0) f.m_size = 8;
  else if (n.m_size > 1) f.m_size = n.m_size;
  if (n.m_style != f.m_style) {
    LONG style = f.m_style;
    if (n.m_style != 0) style = (style & ~7) | (n.m_style & 7);
    if (!(n.m_style & 0x20)) style = (style & ~8) | (n.m_style & 8);
    if (!(n.m_style & 0x40)) style = (style & ~16) | (n.m_style & 16);
    f.m_style = style;
  }
  if (n.m_family != -1) f.m_family = n.m_family;
  if (n.m_pitch != -1) f.m_pitch = n.m_pitch;
  if (n.m_angle != -1) f.m_angle = n.m_angle;
}

// Whether the allow options let a category change: in template mode only
// the categories the template applies; otherwise every category but one a
// template imposes (applied, and users not allowed to modify it). Both bits
// set is the neutral state: fully allowed.
// A boolean attribute of a member's repository object that it has and
// that holds true.
bool AttributeTrue(ISSymbol* s, LONG id) {
  ISRepObject* o = SSymGetRepObject(s);
  SRepVariant v;
  return o && o->HasAttribute(id) == S_OK && o->GetAttribute(id, &v) == S_OK && v.GetLONG() != 0;
}

// Whether a member resized by hand keeps its size (and its adjust words)
// against this change: it does when it takes its first custom picture, a
// predefined shape, whose text does not ask for the shape's own size
// (custom text mode 2). The shape would otherwise throw the person's size away.
bool KeepsManualSize(ISSymbol* s, const SSymFormat& was, const SSymFormat& now) {
  SPictureInfo* picture = SSymCustomPictureFromWord(now.m_margins[3]);
  return picture && !SSymCustomPictureFromWord(was.m_margins[3]) && picture->GetType() == 1 &&
         now.m_margins[4] != 2 && AttributeTrue(s, SymAttr::IsManuallyResized);
}

// Whether a member is a complex symbol (a wrapper of IUnknown would take
// the member's own pointer without asking).
bool AnswersComplex(ISSymbol* s) {
  void* p = nullptr;
  if (FAILED(s->QueryInterface(IID_ISSymComplex, &p)) || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}

bool Allowed(const SSymAllowOption* allow, int category) {
  if (!allow) return true;
  const DWORD word = allow->m_category[category];
  if (allow->m_mask & 0x2000) return (word & SSymAllowOption::AllowApply) != 0;
  return (word & (SSymAllowOption::AllowApply | SSymAllowOption::AllowModify)) != SSymAllowOption::AllowApply;
}
}  // namespace

HRESULT SSymSelection::UpdateLayoutFormat(const SSymFormat* oldFormat, const SSymFormat* newFormat,
                                          const SSymAllowOption* allow) {
  if (!oldFormat || !newFormat) return E_POINTER;
  if (m_diagram.IsNull()) return E_POINTER;
  if (m_order.empty()) {
    // Nothing selected: the sheet edited the diagram's format for new
    // symbols, which its display preferences keep (when they do).
    if (SSymDispPref* prefs = m_diagram->GetDispPrefPtr()) prefs->SetSymDefConf(SSymFormat(*newFormat));
    return S_FALSE;
  }
  // A symbol deleted while the sheet was open refuses the whole change
  // before anything is written: half a format is worse than none.
  for (ISSymbol* s : m_order) {
    ISRepObject* o = SSymGetRepObject(s);
    if (o && o->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  }
  const SSymFormat& was = *oldFormat;
  const SSymFormat& now = *newFormat;
  using F = SSymFormatEx;
  using A = SSymAllowOption;

  SRepCreateContext step(SSymGetRepObject(m_order.front()), 1, 1, 0);
  auto action = std::make_unique<SSymActionFormat>(step.GetContext());
  // A copy: redrawing or adjusting a member must not change what is visited.
  SComTable<ISSymbol> members;
  for (ISSymbol* s : m_order) members.Add(s);
  for (ISSymbol* s : members) {
    F read;
    read.m_flags = 0;
    s->GetFormat(read);
    F w(read);
    w.m_flags = 0;

    if (Allowed(allow, A::LINE) && !SComWrap<ISSymPen>(s).IsNull()) {
      w.m_flags |= F::FlagPen;
      if (now.m_pen.m_style != was.m_pen.m_style) w.m_pen.m_style = now.m_pen.m_style;
      if (ColorChosen(now.m_pen.m_color, was.m_pen.m_color)) w.m_pen.m_color = now.m_pen.m_color;
      if (now.m_pen.m_width >= 0 && now.m_pen.m_width != was.m_pen.m_width) w.m_pen.m_width = now.m_pen.m_width;
    }
    if (Allowed(allow, A::LINE) && !SComWrap<ISSymPolyline>(s).IsNull()) {
      w.m_points.clear();
      if (WordChosen(now.m_lineStyle, was.m_lineStyle, kMixedLineStyle)) {
        w.m_lineStyle = now.m_lineStyle;
        w.m_flags |= F::FlagLineStyle;
      }
      w.m_flags |= F::FlagArrows;
      for (int end = 0; end < 3; ++end)
        if (WordChosen(now.m_arrows[end], was.m_arrows[end], kMixedArrow)) w.m_arrows[end] = now.m_arrows[end];
    }
    if (Allowed(allow, A::FILL) && !SComWrap<ISSymBrush>(s).IsNull()) {
      bool fill = false;
      if (WordChosen(now.m_fill, was.m_fill, kMixedTriState)) {
        w.m_fill = now.m_fill;
        fill = true;
      }
      const SSymBrush& nb = now.m_brush;
      const SSymBrush& ob = was.m_brush;
      SSymBrush& wb = w.m_brush;
      if (nb.GetPicture() != ob.GetPicture()) wb.SetPicture(nb.GetPicture());
      LONG SSymBrush::*const words[] = {&SSymBrush::m_style, &SSymBrush::m_hatch, &SSymBrush::m_bitmapMode,
                                  &SSymBrush::m_gradientMode};
      for (auto word : words)
        if (nb.*word != ob.*word) {
          wb.*word = nb.*word;
          fill = true;
        }
      if (ColorChosen(nb.m_color, ob.m_color)) {
        wb.m_color = nb.m_color;
        fill = true;
      }
      if (ColorChosen(nb.m_endColor, ob.m_endColor)) {
        wb.m_endColor = nb.m_endColor;
        fill = true;
      }
      if (fill || nb.GetPicture() != ob.GetPicture()) w.m_flags |= F::FlagBrush;
    }
    if (Allowed(allow, A::SHAPE) && !SComWrap<ISSymCustomShape>(s).IsNull()) {
      if (now.m_margins[3] != was.m_margins[3]) {
        w.m_margins[3] = now.m_margins[3];
        w.m_flags |= F::FlagCustomShape;
        if (SSymCustomPictureFromWord(now.m_margins[3]) && AttributeTrue(s, kPictureMarkAttribute))
          SSymGetRepObject(s)->SetAttribute(kPictureMarkAttribute, SRepVariant::Bool(false));
      }
      if (now.m_margins[4] >= 0 && now.m_margins[4] != was.m_margins[4]) {
        w.m_margins[4] = now.m_margins[4];
        w.m_flags |= F::FlagCustomShape;
      }
    }
    if (Allowed(allow, A::SHADOW) && !SComWrap<ISSymShadow>(s).IsNull()) {
      w.m_flags |= F::FlagShadowColor | F::FlagShadowStyle;
      if (WordChosen(now.m_shadowStyle, was.m_shadowStyle, kMixedShadowStyle)) w.m_shadowStyle = now.m_shadowStyle;
      if (ColorChosen(now.m_shadowColor, was.m_shadowColor)) w.m_shadowColor = now.m_shadowColor;
    }
    if (Allowed(allow, A::FONT) && !SameFonts(now.m_fonts, was.m_fonts)) {
      if (!SComWrap<ISSymFonts>(s).IsNull()) {
        for (int i = 0; i < now.m_fonts.GetCount(); ++i) {
          const SSymFonts& entry = now.m_fonts.GetAt(i);
          for (int k = 0; k < w.m_fonts.GetCount(); ++k) {
            SSymFonts& mine = w.m_fonts.GetAt(k);
            if (mine.m_label == entry.m_label && mine.m_name == entry.m_name) {
              MergeFont(mine, entry);
              break;
            }
          }
        }
        w.m_flags |= F::FlagFontCategory;
      }
      if (!SComWrap<ISSymFont>(s).IsNull()) w.m_fonts = now.m_fonts;
    }
    if (!SComWrap<ISSymText>(s).IsNull() && now.m_textStyle != 0 && now.m_textStyle != was.m_textStyle) {
      w.m_textStyle = now.m_textStyle;
      w.m_flags |= F::FlagFonts;
    }
    bool sizeAllowed = Allowed(allow, A::SIZE);
    if (!s->IsSubObject() && SComWrap<ISSymGroup>(s).IsNull()) {
      if (sizeAllowed && KeepsManualSize(s, was, now)) sizeAllowed = false;
      if (sizeAllowed && now.m_size.cx > 0 && now.m_size.cx != was.m_size.cx && now.m_size.cx != w.m_size.cx) {
        w.m_size.cx = now.m_size.cx;
        w.m_flags |= F::FlagSize1;
      }
      // A complex symbol's height follows from its parts: it takes a width only.
      if (sizeAllowed && now.m_size.cy > 0 && now.m_size.cy != was.m_size.cy && now.m_size.cy != w.m_size.cy &&
          !AnswersComplex(s)) {
        w.m_size.cy = now.m_size.cy;
        w.m_flags |= F::FlagSize1;
      }
    }
    SComWrap<ISSymAdjust> adjust(s);
    if (sizeAllowed && !adjust.IsNull()) {
      if (WordChosen(now.m_textFlag, was.m_textFlag, kMixedTriState)) {
        w.m_textFlag = now.m_textFlag;
        w.m_flags |= F::FlagTextStyle;
      }
      for (int word = 0; word < 3; ++word)
        if (WordChosen(now.m_margins[word], was.m_margins[word], kMixedTriState)) {
          w.m_margins[word] = now.m_margins[word];
          w.m_flags |= F::FlagMargin1 << word;
        }
    }
    // The record gives back what the symbol had of every part written.
    read.m_flags |= w.m_flags;
    action->AddSymbol(s, read);
    s->SetFormat(w);
    if (!adjust.IsNull() && adjust->IsAdjusted()) adjust->AutoAdjustText(1, 0);
    s->Redraw(nullptr);
  }
  step.AddRepAction(std::move(action));
  return S_OK;
}
