#include "sym/links/symlinksym.h"

#include "kvcore/sexception.h"
#include "kvrep/sreppropmap.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstrings.h"
#include "sym/links/sympolyline.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
}  // namespace

KV_SYM_ACCESSORS(SSymLinkSym) {
  KV_SYM_FIELD(Style, Style);
  KV_SYM_FIELD(Font, Font);
  KV_SYM_GETSET(FontName, GetFontName, SetFontName);
  KV_SYM_GETSET(CtrText, GetCtrText, SetCtrText);
  KV_SYM_GETSET(SrcText, GetSrcText, SetSrcText);
  KV_SYM_GETSET(DstText, GetDstText, SetDstText);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymLinkSym)
KV_SYM_IMPLEMENT_POOL(SSymLinkSym, g_symClasses[SYMCLS_SSymLinkSym].poolBlocks);
KV_SYM_REGISTER(SSymLinkSym, &SSymCreateStd<SSymLinkSym>);

// ---- construction ------------------------------------------------------------------------------
void SSymLinkSym::InitDefaults() {
  m_font = SSymFont(SGetArialString(), 8);
  Font = 0;
  Style = 0;
}

SSymLinkSym::SSymLinkSym(ISSymLinkable* src, ISSymLinkable* dst, const SSymPoint& from, const SSymPoint& to,
                         int arrowMask, int arrow, ISRepSession* session)
    : SRepFaces(src, dst, from, to, arrowMask, arrow, session, CLSID_SSymLinkSym) {
  InitDefaults();
}

SSymLinkSym::SSymLinkSym(ISSymLinkable* src, ISSymLinkable* dst, const SSymListPt& pts, int arrowMask, int arrow,
                         ISRepSession* session)
    : SRepFaces(src, dst, pts, arrowMask, arrow, session, CLSID_SSymLinkSym) {
  InitDefaults();
}

SSymLinkSym::SSymLinkSym(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { InitDefaults(); }

SSymLinkSym::SSymLinkSym(const SSymLinkSym& source) : SRepFaces(source) {
  auto& from = const_cast<SSymLinkSym&>(source);
  m_font.Copy(from.GetFont());
  Font = from.GetFontColor().GetColor();
  Style = from.GetTextStyle();
}

SSymLinkSym::~SSymLinkSym() = default;

// ---- attributes ---------------------------------------------------------------------------------------
HRESULT SSymLinkSym::HasAttribute(LONG id) {
  switch (id) {
    case SymAttr::CtrText:
    case SymAttr::SrcText:
    case SymAttr::DstText: return S_OK;
    default: return SSymLinkStd::HasAttribute(id);
  }
}

HRESULT SSymLinkSym::SetAttribute(LONG id, const SRepVariant& value) {
  if (id != SymAttr::FontColor) return SSymLinkStd::SetAttribute(id, value);
  const DWORD old = Font;
  const HRESULT hr = SSymLinkStd::SetAttribute(id, value);
  // The colour goes through SetFontColor so that the labels follow.
  const DWORD now = Font;
  Font = old;
  SetFontColor(SSymColor(now), 0);
  return hr;
}

// ---- texts and fonts ---------------------------------------------------------------------------------
HRESULT SSymLinkSym::SetLabelText(int index, const SString& text) {
  SetText(index, text);
  // A label given after the first layout is placed at once: otherwise it
  // would wait at the origin for the next change of the link.
  if ((m_state & StateInitialized) && GetLabel(index)) RecomputeClipRect(0, 1);
  // The link covers its labels: a new text (a new label) changes its extent
  // even when its own rectangle stays, and those who keep it must hear so.
  MarkModified();
  return S_OK;
}

HRESULT SSymLinkSym::SetFontName(const SString& name) {
  if (name == m_font.GetAsString()) return 1;
  m_font.SetAsString(name);
  ForEachLabel([&](int, SSymSubText& t) { t._SetFont(m_font); });
  return S_OK;
}

HRESULT SSymLinkSym::SetFont(const SSymFont& font, int redraw) {
  if (font == m_font) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.Copy(font);
  ForEachLabel([&](int, SSymSubText& t) { t._SetFont(m_font); });
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkSym::SetFontColor(SSymColor color, int redraw) {
  if (color.GetColor() == Font) return S_OK;
  Font = color.GetColor();
  ForEachLabel([&](int, SSymSubText& t) { t._SetFontColor(color); });
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkSym::SetFontStyle(LONG style, int redraw) {
  if (style == m_font.m_style) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.m_style = style;
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymLinkSym::SetTextStyle(LONG style, int redraw) {
  if (style == Style) return S_OK;
  if (redraw) Redraw(nullptr);
  Style = style;
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- format ------------------------------------------------------------------------------------------------
HRESULT SSymLinkSym::GetFormat(SSymFormatEx& format) {
  SSymFonts entry;
  entry.m_font = m_font;
  entry.m_color = SSymColor(Font);
  format.m_fonts.Add(entry);
  return SSymPolyBase::GetFormat(format);
}

HRESULT SSymLinkSym::SetFormat(const SSymFormatEx& format) {
  const int count = format.m_fonts.GetCount();
  if (count > 0) {
    // The first entry is the format's own; the text entry, when named,
    // follows it.
    const SString text = SSymLoadString(1378);
    int use = 0;
    for (int i = 1; i < count; ++i)
      if (format.m_fonts.GetAt(i).m_name == text) {
        use = i;
        break;
      }
    const SSymFonts& entry = format.m_fonts.GetAt(use);
    SetFontColor(entry.m_color, 0);
    SetFont(entry.m_font, 0);
  }
  return SSymPolyBase::SetFormat(format);
}

// ---- copies --------------------------------------------------------------------------------------------------
HRESULT SSymLinkSym::CopySpecificSymAttributes(ISSymbol* source) {
  RepObjWrap from(source);
  if (from.IsNull()) return S_OK;
  for (LONG id : {SymAttr::CtrText, SymAttr::SrcText, SymAttr::DstText}) {
    if (from->HasAttribute(id) != S_OK || HasAttribute(id) != S_OK) continue;
    SRepVariant v;
    if (SUCCEEDED(from->GetAttribute(id, &v))) SetAttribute(id, v);
  }
  return S_OK;
}

int SSymLinkSym::OnCopySymAttributes(ISSymbol* source) {
  CopySpecificSymAttributes(source);
  return SSymLinkStd::OnCopySymAttributes(source);
}

HRESULT SSymLinkSym::InitialSym(ISSymbol*) {
  if (m_state & StateInitialized) return 1;
  const bool guard = !(m_state & 2);
  if (guard) m_state |= 2;
  RecomputeClipRect(0, 0);
  if (guard) m_state &= ~static_cast<DWORD>(2);
  m_state |= StateInitialized;
  if (Flags & 0x8) m_display |= DispFormatBit3;
  else m_display &= ~static_cast<DWORD>(DispFormatBit3);
  return S_OK;
}

// ---- verbs ----------------------------------------------------------------------------------------------------
HRESULT SSymLinkSym::DoVerb(LONG, const MSG*, HWND window, const RECT*) {
  SSymShowPolyTextDialog(Obj(), this, Sym(), window);
  return 1;
}
