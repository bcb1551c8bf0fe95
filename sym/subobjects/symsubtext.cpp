#include "sym/subobjects/symsubtext.h"

#include <cstdlib>

#include "sym/render/symcanv.h"

SSymSubText::SSymSubText() { m_flags &= ~SSymSubsFlag::KeepEmpty; }

SSymSubText::SSymSubText(ISSymSubSink* parent, const SString& text, const SSymRect& rect)
    : SSymSubsFonts(rect), m_text(text) {
  // An empty text counts as absent.
  m_flags &= ~SSymSubsFlag::KeepEmpty;
  SetParent(parent);
}

SSymSubText::SSymSubText(const SSymSubText& source)
    : SSymSubsFonts(source, 0), m_text(source.m_text), m_textStyle(source.m_textStyle) {
  m_flags &= ~(SSymSubsFlag::LabelWidth | SSymSubsFlag::PictureRight);
}

HRESULT SSymSubText::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_ISSymText || iid == IID_ISSymFont) {
    *out = static_cast<ISSymText*>(this);
    AddRef();
    return S_OK;
  }
  return SSymSubs::QueryInterface(iid, out);
}

HRESULT SSymSubText::Draw(SSymCanvas& canvas) {
  if (m_flags & (SSymSubsFlag::Hidden | SSymSubsFlag::Drawing)) return 1;
  m_flags |= SSymSubsFlag::Drawing;
  struct Clear {
    DWORD& flags;
    ~Clear() { flags &= ~SSymSubsFlag::Drawing; }
  } clear{m_flags};
  if (!IsInitialized()) InitializeSubSym();
  return DrawOrAdjust(canvas, 0);
}

HRESULT SSymSubText::DrawOrAdjust(SSymCanvas& canvas, int adjust) {
  if (IsHidden()) {
    const SSymPoint c = m_rect.GetCenter();
    m_rect = SSymRect(c.x, c.y, c.x, c.y);
    return 1;
  }
  if (m_text.IsEmpty()) {
    // No content: the rectangle collapses to its top-left corner.
    m_rect.x2 = m_rect.x1;
    m_rect.y2 = m_rect.y1;
    return S_OK;
  }
  canvas.SetFont(m_font);
  canvas.SetFontColor(m_fontColor);
  if (adjust) {
    // The text on one line, centred where the rectangle was.
    const SSymSize ext = canvas.GetTextExtent(m_text, m_font);
    const SSymPoint c = m_rect.GetCenter();
    SSymRect r = m_rect;
    r.Normalize();
    r.SetSize(std::abs(ext.cx), std::abs(ext.cy));
    r.SetCenter(c);
    m_rect = r;
    return S_OK;
  }
  SSymRect r = m_rect;
  r.Normalize();
  canvas.DrawText(r, m_text, static_cast<int>(m_textStyle));
  return S_OK;
}

HRESULT SSymSubText::SetFont(const SSymFont& font, int redraw) {
  if (font == m_font) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.Copy(font);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubText::SetFontColor(SSymColor color, int redraw) {
  if (color.GetColor() == m_fontColor.GetColor()) return S_OK;
  m_fontColor = color;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubText::SetFontStyle(LONG style, int redraw) {
  if (style == m_font.m_style) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.m_style = style;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubText::SetTextStyle(LONG style, int redraw) {
  if (style == m_textStyle) return S_OK;
  if (redraw) Redraw(nullptr);
  m_textStyle = style;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubText::SetText(const SString& text, int redraw) {
  if (text == m_text) return S_OK;
  if (redraw) Redraw(nullptr);
  m_text = text;
  if (redraw) Redraw(nullptr);
  return S_OK;
}
