#include "sym/symbol/symsolidtext.h"

#include <memory>

#include "kvcore/srtfdocument.h"
#include "sym/foundation/symclassreg.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symcoll.h"

namespace {
LONG Abs(LONG v) { return v < 0 ? -v : v; }
}  // namespace

// The accessors of the text symbol's attributes, by attribute code.
KV_SYM_ACCESSORS(SSymSolidText) {
  KV_SYM_FIELD(Text, m_text);
  KV_SYM_FIELD(Style, m_textStyle);
  KV_SYM_FIELD(Font, m_fontColor);
  KV_SYM_GETSET(FontName, GetFontName, SetFontName);
};
KV_SYM_REGISTER(SSymSolidText, nullptr);

// ---- life -------------------------------------------------------------------------------------
SSymSolidText::SSymSolidText(const SSymRect& rect, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(rect, session, clsid) {
  Init();
}

SSymSolidText::SSymSolidText(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { Init(); }

SSymSolidText::SSymSolidText(const SSymSolidText& source)
    : SRepFaces(source),
      m_text(source.m_text),
      m_font(source.m_font),
      m_fontColor(source.m_fontColor),
      m_textStyle(source.m_textStyle) {}

SSymSolidText::~SSymSolidText() = default;

void SSymSolidText::Init() {
  m_text = SString();
  m_font = SSymFont(SGetArialString(), 8, SSymFont::Normal);
  m_font.m_family = 0;
  m_font.m_pitch = 0;
  m_font.m_option = 1;
  m_font.m_angle = 0;
  m_fontColor = 0;
  m_textStyle = 0x1022;
}

KV_SYM_DEFINE_CLASS_TABLES(SSymSolidText)

HRESULT SSymSolidText::HasAttribute(LONG id) {
  if (id == SymAttr::FontColor || id == SymAttr::TextStyle || id == SymAttr::FontName || id == SymAttr::Text)
    return S_OK;
  return SSymSolid::HasAttribute(id);
}

// ---- text, font and styles --------------------------------------------------------------------
HRESULT SSymSolidText::SetText(const SString& text, int redraw) {
  if (text == m_text) return S_OK;
  if (ISRepContext* ctx = SetterContext()) {
    if (ctx->IsRecording()) {
      ctx->AddAction(std::make_unique<SSymActionText>(TextFace(), m_text));
    } else {
      // Pending: the text reaches the symbol when the context applies it.
      ctx->AddAction(std::make_unique<SSymActionText>(TextFace(), text));
      return S_OK;
    }
  }
  Redrawn(redraw);
  m_text = text;
  Touched();
  Redrawn(redraw);
  return S_OK;
}

HRESULT SSymSolidText::SetFont(const SSymFont& font, int redraw) {
  if (font == m_font) return S_OK;
  Redrawn(redraw);
  m_font.Copy(font);
  Touched();
  Redrawn(redraw);
  return S_OK;
}

HRESULT SSymSolidText::SetFontColor(SSymColor color, int redraw) {
  if (color.GetColor() == m_fontColor) return S_OK;
  m_fontColor = color.GetColor();
  Touched();
  Redrawn(redraw);
  return S_OK;
}

HRESULT SSymSolidText::SetFontStyle(LONG style, int redraw) {
  if (style == m_font.m_style) return S_OK;
  Redrawn(redraw);
  m_font.m_style = style;
  Touched();
  Redrawn(redraw);
  return S_OK;
}

HRESULT SSymSolidText::SetTextStyle(LONG style, int redraw) {
  if (style == m_textStyle) return S_OK;
  Redrawn(redraw);
  m_textStyle = style;
  Touched();
  Redrawn(redraw);
  return S_OK;
}

HRESULT SSymSolidText::SetFontName(const SString& text) {
  if (GetFontName() == text) return 1;
  SSymFont parsed = m_font;
  parsed.SetAsString(text);
  if (ISRepContext* ctx = SetterContext()) {
    SSymFormatEx format;
    Sym()->GetFormat(format);
    format.m_flags = 0;
    if (!ctx->IsRecording()) {
      // The entry that SetFormat applies: the one named "Text", else the
      // first. (Our own entry carries no name, so a lookup by name alone
      // would leave the pending record without the new font.)
      SSymFonts* entry = format.m_fonts.Find(SString(u"Text"));
      if (!entry && format.m_fonts.GetCount() > 0) entry = &format.m_fonts.GetAt(0);
      if (entry) entry->m_font = parsed;
    }
    auto action = std::make_unique<SSymActionFormat>(ctx);
    action->AddSymbol(Sym(), format);
    ctx->AddAction(std::move(action));
    if (InLockoutContext()) return S_OK;
  }
  m_font.Copy(parsed);
  return S_OK;
}

// ---- drawing and measuring --------------------------------------------------------------------
SSymRect SSymSolidText::ApplyMargins(const SSymRect& rect, int sign) {
  const SSymRect m = GetMargin();
  SSymRect r = rect;
  r.Normalize();
  r.x1 += sign * m.x1;
  r.y1 -= sign * m.y1;
  r.x2 -= sign * m.x2;
  r.y2 += sign * m.y2;
  return r;
}

void SSymSolidText::DrawTextW(SSymCanvas& canvas) {
  if (m_text.IsEmpty()) return;
  canvas.SetFont(m_font);
  canvas.SetFontColor(SSymColor(m_fontColor));
  SSymRect r = m_rect;
  r.Normalize();
  SSymRect t = ApplyMargins(r, 1);
  const LONG w = t.Width(), h = t.Height();
  if (SRtfDocument::IsRtf(m_text)) {
    const SSymSize s = canvas.GetRTFTextExtent(m_text, w, 0, -1);
    if (s.cx != 0 && s.cy < h) {
      if (m_textStyle & 0x20) {
        t.y2 = r.y2;
        t.y1 -= (h - s.cy) / 2;
      } else if (m_textStyle & 0x40) {
        t.y2 = r.y2;
        t.y1 = r.y2 + s.cy;
      }
    }
    canvas.DrawRtfText(t, m_text, 0, -1, nullptr);
    return;
  }
  if (canvas.GetTextHeight(m_text, m_textStyle, w) > h) t.y2 += 200;
  if (m_textStyle & 0x2) {
    t.x1 = r.x1;
    t.x2 = r.x2;
  }
  if (m_textStyle & 0x20) {
    t.y1 = r.y1;
    t.y2 = r.y2;
  }
  canvas.DrawText(t, m_text, m_textStyle);
}

HRESULT SSymSolidText::GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) {
  const SSymRect given = rect;  // the caller may pass one rectangle for both
  canvas.SetFont(m_font);
  SSymRect r = out;
  r.Normalize();
  if (r.Width() < MinAdjustWidth) r.SetWidth(MinAdjustWidth);
  SSymRect t = ApplyMargins(r, 1);
  const LONG w = t.Width();
  SSymSize ext;
  if (SRtfDocument::IsRtf(m_text))
    ext = canvas.GetRTFTextExtent(m_text, w, 0, -1);
  else if (m_textStyle & 0x1000)
    ext = canvas.GetWrapTextExtent(m_text, w);
  else
    ext = canvas.GetTextExtent(m_text, m_font);
  t.SetSize(ext.cx, ext.cy);
  r = ApplyMargins(t, -1);
  if (r.Width() < MinAdjustWidth) r.SetWidth(MinAdjustWidth);
  if (r.Height() < MinAdjustHeight) r.SetHeight(MinAdjustHeight);
  SComOut<ISSymDiagram> diagram;
  if (Sym()->GetDiagram(&diagram) == S_OK && diagram) diagram->SnapToGrid(r);
  out = r;
  const LONG moved = Abs(r.x1 - given.x1) + Abs(r.y1 - given.y1) + Abs(r.x2 - given.x2) + Abs(r.y2 - given.y2);
  return moved > 40 ? 1 : 0;
}

BOOL SSymSolidText::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return FALSE;
  if (GetCustomPicture() || !(Flags & FlagTransparent)) return SSymSolid::IsPtInSym(canvas, pt, handle, sub);
  SSymRect r = Sym()->GetClipRect(1, 0);
  r.Normalize();
  // A miss leaves the part as it was, as every other hit test does: a walk
  // over many symbols must not answer a part of a symbol it did not hit.
  if (int index = -1; handle && canvas.HitTestHandles(r, &index, pt)) {
    *handle = index;
    return TRUE;
  }
  SSymRect outer = r;
  outer.Inflate(HitBand, HitBand);
  if (!outer.PtInRect(pt)) return FALSE;
  // A symbol too small to have an inside is its band throughout.
  if (r.Width() <= 2 * HitBand || r.Height() <= 2 * HitBand) return TRUE;
  SSymRect inner = r;
  inner.Inflate(-HitBand, -HitBand);
  return inner.PtInRect(pt) ? FALSE : TRUE;
}

// ---- formats ----------------------------------------------------------------------------------
HRESULT SSymSolidText::GetFormat(SSymFormatEx& format) {
  format.m_flags |= SSymFormatEx::FlagFonts | SSymFormatEx::FlagTextStyle;
  format.m_textStyle = m_textStyle;
  format.m_textFlag = m_bAutoAdjusted;
  SSymFonts entry;
  entry.m_font = m_font;
  entry.m_color = SSymColor(m_fontColor);
  format.m_fonts.Add(entry);
  return SSymSolid::GetFormat(format);
}

HRESULT SSymSolidText::SetFormat(const SSymFormatEx& format) {
  const bool wasAdjusted = m_bAutoAdjusted != 0;
  bool styleSet = false, colorChanged = false, fontChanged = false;
  if (format.m_flags & SSymFormatEx::FlagFonts) {
    m_textStyle = format.m_textStyle;
    styleSet = true;
  }
  if (const SSymFonts* entry = SSymFormatTextFont(format.m_fonts)) {
    if (entry->m_color.GetColor() != m_fontColor) {
      m_fontColor = entry->m_color.GetColor();
      colorChanged = true;
    }
    if (entry->m_font != m_font) {
      m_font.Copy(entry->m_font);
      fontChanged = true;
    }
  }
  const HRESULT hr = SSymSolid::SetFormat(format);
  if ((format.m_flags & SSymFormatEx::FlagTextStyle) && format.m_textFlag == 1 && (!wasAdjusted || fontChanged) &&
      !m_text.IsEmpty()) {
    SComOut<ISSymDiagram> diagram;
    if (Sym()->GetDiagram(&diagram) == S_OK && diagram) {
      SSymView* view = diagram->GetFirstView();
      diagram.Reset();
      if (view) {
        SSymLockViewCanvas lock(view);
        Sym()->AdjustText(*lock.GetCanvas(), 0, 0);
        Touched();
        Sym()->Redraw(nullptr);
        return hr;
      }
    }
  }
  if (styleSet || colorChanged || fontChanged) {
    Touched();
    Sym()->Redraw(nullptr);
  }
  return hr;
}

// ---- editing ----------------------------------------------------------------------------------
HRESULT SSymSolidText::EditInPlace(SSymView* view, const SSymPoint&) {
  if (!view) return E_POINTER;
  SString text;
  GetText(text);
  // The controller is ours for the length of the editing, whatever its outcome.
  std::unique_ptr<ISSymInPlaceEditor> controller(SSymCreateInPlaceEditor());
  if (!controller) return E_OUTOFMEMORY;
  controller->Init(view, Sym(), text, Sym()->GetClipRect(0, 0));
  if (controller->Execute(0) < 0) return E_FAIL;
  return S_OK;
}

HRESULT SSymSolidText::DoVerb(LONG, const MSG*, HWND, const RECT*) {
  SSymShowTextDialog(Obj(), TextFace());
  return S_OK;
}

// ---- the older blob form ----------------------------------------------------------------------
HRESULT SSymSolidText::OnSetBlobData(SInputStream& stream) {
  SSymInputStream in(stream);
  SString form;
  in >> form;
  SSymFont font(SGetArialString(), 8);
  font.SetAsString(form);
  // The writer marks a symbol without a text part by the face "Error"; the
  // text form alone may be too short for the parser to take it as a face.
  SString face = SStringTokenizer(form, SString(u","), true).NextToken();
  face.Trim(SString(u" \t\r\n"));
  const bool hasText = font.m_faceName != SString(u"Error") && face != SString(u"Error");
  LONG color = 0, style = 0;
  SString text;
  if (hasText) {
    in >> color;
    in >> style;
    in.ReadSymText(text);
  }
  // The solid part follows; the text part is stored only once the whole
  // blob has been read, so a short blob changes nothing of the text.
  const HRESULT hr = SSymSolid::OnSetBlobData(stream);
  if (FAILED(hr) || !hasText) return hr;
  m_font.Copy(font);
  m_fontColor = static_cast<DWORD>(color);
  m_textStyle = style;
  m_text = text;
  return hr;
}
