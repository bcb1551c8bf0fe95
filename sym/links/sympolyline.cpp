#include "sym/links/sympolyline.h"

#include <memory>

#include "kvcore/scascade.h"
#include "kvcore/sexception.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symstrings.h"
#include "sym/foundation/sympropmap.h"
#include "sym/links/symlabelfields.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdrawarea.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfowner.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

using LabelFields = SSymLabelFields<SSymPolyline>;

SSymPoint CentreOf(const SSymRect& r) {
  return SSymPoint(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                   static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
}

using Opener = void (*)(ISRepObject*, SSymLineTextHelper*, ISSymbol*, HWND);
constinit Opener g_polyTextOpener = nullptr;
}  // namespace

void SSymShowPolyTextDialog(ISRepObject* object, SSymLineTextHelper* helper, ISSymbol* line, HWND owner) {
  if (g_polyTextOpener) g_polyTextOpener(object, helper, line, owner);
}
void SSymSetPolyTextDialogOpener(Opener opener) { g_polyTextOpener = opener; }

KV_SYM_ACCESSORS(SSymPolyline) {
  KV_SYM_FIELD_PLACE(CtrTxtOffset, LabelFields::offset<0>);
  KV_SYM_FIELD_PLACE(SrcTxtOffset, LabelFields::offset<1>);
  KV_SYM_FIELD_PLACE(DstTxtOffset, LabelFields::offset<2>);
  KV_SYM_FIELD_PLACE(CtrTxtWidth, LabelFields::width<0>);
  KV_SYM_FIELD_PLACE(SrcTxtWidth, LabelFields::width<1>);
  KV_SYM_FIELD_PLACE(DstTxtWidth, LabelFields::width<2>);
  KV_SYM_FIELD(Style, Style);
  KV_SYM_FIELD(Font, Font);
  KV_SYM_GETSET(FontName, GetFontName, SetFontName);
  KV_SYM_GETSET(CtrText, GetCtrText, SetCtrText);
  KV_SYM_GETSET(SrcText, GetSrcText, SetSrcText);
  KV_SYM_GETSET(DstText, GetDstText, SetDstText);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymPolyline)
KV_SYM_IMPLEMENT_POOL(SSymPolyline, g_symClasses[SYMCLS_SSymPolyline].poolBlocks);
KV_SYM_REGISTER(SSymPolyline, &SSymCreateStd<SSymPolyline>);

// ---- construction ------------------------------------------------------------------------------
void SSymPolyline::InitDefaults() {
  InitLstValue();
  m_bCascade = g_IsCascadeAllowed() ? 1 : 0;
  m_font = SSymFont(SGetArialString(), 8);
  Font = 0;
  Style = 0;
}

SSymPolyline::SSymPolyline(const SSymPoint& a, const SSymPoint& b, ISRepSession* session)
    : SRepFaces(a, b, session, CLSID_SSymPolyline) {
  InitDefaults();
}

SSymPolyline::SSymPolyline(const SSymListPt& pts, ISRepSession* session)
    : SRepFaces(pts, session, CLSID_SSymPolyline) {
  InitDefaults();
}

SSymPolyline::SSymPolyline(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { InitDefaults(); }

SSymPolyline::SSymPolyline(const SSymPolyline& source) : SRepFaces(source) {
  InitDefaults();
  m_bCascade = 0;
  Style = const_cast<SSymPolyline&>(source).GetTextStyle();
  for (int i = 0; i < TextCount; ++i) {
    SSymSubText* from = source.m_texts[i].text;
    if (!from) continue;
    auto* copy = new SSymSubText();
    copy->AddRef();
    copy->InitializeSubSym();
    copy->SetParent(this, false);
    copy->_SetText(from->Text());
    copy->_SetTextStyle(from->GetTextStyle());
    copy->_SetFont(from->GetFont());
    copy->SetRect(from->GetClipRect(0, 0));
    copy->SetFlag(SSymSubsFlag::TopGap, true);
    SetSubText(i, copy);
  }
}

SSymPolyline::~SSymPolyline() {
  for (int i = 0; i < TextCount; ++i) {
    if (SSymSubText* label = std::exchange(m_texts[i].text, nullptr)) {
      label->Delete();
      DropLabel(label);
    }
  }
}

// ---- attributes ---------------------------------------------------------------------------------------
HRESULT SSymPolyline::HasAttribute(LONG id) {
  switch (id) {
    case SymAttr::CtrText:
    case SymAttr::SrcText:
    case SymAttr::DstText:
    case SymAttr::TextStyle:
    case SymAttr::CtrTxtOffset:
    case SymAttr::SrcTxtOffset:
    case SymAttr::DstTxtOffset: return S_OK;
    default: return SSymPolyBase::HasAttribute(id);
  }
}

HRESULT SSymPolyline::GetAttributeDefault(LONG id, SRepVariant* value) {
  switch (id) {
    case SymAttr::CtrTxtOffset:
    case SymAttr::SrcTxtOffset:
    case SymAttr::DstTxtOffset:
    case SymAttr::CtrTxtWidth:
    case SymAttr::SrcTxtWidth:
    case SymAttr::DstTxtWidth: {
      HRESULT hr = E_FAIL;
      try {
        hr = SRepObject::GetAttributeDefault(id, value);
      } catch (const SECOMException& e) {
        return e.GetResult();
      } catch (...) {
        return E_FAIL;
      }
      // The metamodel's defaults, also where the repository finds no
      // description of the attribute: no offset, no width (-1).
      if (hr == S_OK && value && id != SymAttr::CtrTxtOffset && id != SymAttr::SrcTxtOffset &&
          id != SymAttr::DstTxtOffset && value->GetType() == SRepVT_LONG && value->GetLONG() == 0)
        value->SetLONG(-1);
      return hr;
    }
    default: return SSymBase::GetAttributeDefault(id, value);
  }
}

HRESULT SSymPolyline::SetAttribute(LONG id, const SRepVariant& value) {
  if (id != SymAttr::FontColor) return SSymBase::SetAttribute(id, value);
  const DWORD old = Font;
  const HRESULT hr = SSymBase::SetAttribute(id, value);
  // The colour goes through SetFontColor so that the labels follow.
  const DWORD now = Font;
  Font = old;
  SetFontColor(SSymColor(now), 0);
  return hr;
}

void SSymPolyline::OnUpdateAttribute(LONG id) {
  int index = -1;
  if (id == SymAttr::CtrTxtOffset) index = 0;
  else if (id == SymAttr::SrcTxtOffset) index = 1;
  else if (id == SymAttr::DstTxtOffset) index = 2;
  if (index >= 0 && (m_state & StateInitialized) && m_texts[index].text && !InLockoutContext() &&
      !IsInUndoContext() && g_IsDefaultAllowed())
    RepositionSymText(index);
  SSymBase::OnUpdateAttribute(id);
}

// ---- texts and fonts ---------------------------------------------------------------------------------
HRESULT SSymPolyline::SetLabelText(int index, const SString& text) {
  SetText(index, text);
  // A label given after the first layout is placed at once: otherwise it
  // would wait at the origin for the next change of the line.
  if ((m_state & StateInitialized) && m_texts[index].text) RecomputeClipRect(0, 0);
  // The line covers its labels: a new text (a new label) changes its extent
  // even when its own rectangle stays, and those who keep it must hear so.
  MarkModified();
  return S_OK;
}

ISSymbol* SSymPolyline::GetSubSymbol(int index) {
  SSymSubText* label = GetLabel(index);
  return label ? label->SymFace() : nullptr;
}

HRESULT SSymPolyline::SetFontName(const SString& name) {
  if (name == m_font.GetAsString()) return 1;
  m_font.SetAsString(name);
  ForEachLabel([&](int, SSymSubText& t) { t._SetFont(m_font); });
  return S_OK;
}

HRESULT SSymPolyline::SetFont(const SSymFont& font, int redraw) {
  if (font == m_font) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.Copy(font);
  ForEachLabel([&](int, SSymSubText& t) { t._SetFont(m_font); });
  MarkChanged();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymPolyline::SetFontColor(SSymColor color, int redraw) {
  if (color.GetColor() == Font) return S_OK;
  Font = color.GetColor();
  ForEachLabel([&](int, SSymSubText& t) { t._SetFontColor(color); });
  MarkChanged();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymPolyline::SetFontStyle(LONG style, int redraw) {
  if (style == m_font.m_style) return S_OK;
  if (redraw) Redraw(nullptr);
  m_font.m_style = style;
  MarkChanged();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymPolyline::SetTextStyle(LONG style, int redraw) {
  if (style == Style) return S_OK;
  if (redraw) Redraw(nullptr);
  Style = style;
  MarkChanged();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- arrows and points ----------------------------------------------------------------------------------
HRESULT SSymPolyline::SetSymArrow(int endMask, long type, int redraw) {
  if (type == -1) type = SSymArrowType::None;
  bool passage = false;
  if (g_IsDefaultAllowed() && (endMask == 1 || endMask == 2) && m_texts[0].offset == SSymPoint(0, 0)) {
    const bool had = GetArrow(endMask) != SSymArrowType::None;
    const bool has = SSymArrowType::Sanitize(type) != SSymArrowType::None;
    passage = had != has;
  }
  const HRESULT hr = SSymPolyBase::SetSymArrow(endMask, type, redraw);
  if (passage) RepositionSymText(0);
  return hr;
}

void SSymPolyline::RememberLabels(SSymPoint (&centres)[TextCount]) {
  ForEachLabel([&](int i, SSymSubText& t) { centres[i] = CentreOf(t.GetClipRect(0, 0)); });
}

void SSymPolyline::RecordLabelMoves(ISRepContext* ctx, const SSymPoint (&before)[TextCount]) {
  // One move record per label: each carries its own way back.
  ForEachLabel([&](int i, SSymSubText& t) {
    const SSymPoint now = CentreOf(t.GetClipRect(0, 0));
    const SSymSize back(before[i].x - now.x, before[i].y - now.y);
    if (back.cx == 0 && back.cy == 0) return;
    auto move = std::make_unique<SSymActionMove>();
    move->AddSymbol(t.SymFace());
    move->m_offset = back;
    ctx->AddAction(std::move(move));
  });
}

HRESULT SSymPolyline::SetListPt(const SSymListPt& pts, int redraw, int a, int b) {
  // The new points move the labels before RecomputePoints runs (through
  // RecomputeClipRect): their way back is recorded here, as one step with
  // the points, since the replay of the points does not move them.
  ISRepContext* ctx = OpenContext();
  const bool undo = ctx && a && ctx->IsRecording();
  SSymPoint before[TextCount];
  if (undo) RememberLabels(before);
  const HRESULT hr = SSymPolyBase::SetListPt(pts, redraw, a, b);
  if (undo) RecordLabelMoves(ctx, before);
  return hr;
}

void SSymPolyline::RecomputePoints(int a, int record, int, int) {
  ISRepContext* ctx = OpenContext();
  const bool undo = ctx && record && ctx->IsRecording();
  SSymPoint before[TextCount];
  if (undo) RememberLabels(before);
  if (LineStyle == SSymLineStyle::Corner || LineStyle == SSymLineStyle::RoundCorner) ListPt.FormatLink();
  if (LineStyle != 0 || a != 0) {
    RecomputeClipRect(0, 0);
  } else {
    ForEachLabel([&](int i, SSymSubText& t) {
      if (t.IsInitialized()) RepositionSymText(i);
    });
  }
  if (undo) RecordLabelMoves(ctx, before);
}

void SSymPolyline::RecomputeClipRect(int a, int b) {
  SSymPolyBase::RecomputeClipRect(a, b);
  SSymRect all = m_rect;
  all.Normalize();
  bool any = false;
  ForEachLabel([&](int i, SSymSubText& t) {
    if (!t.IsInitialized()) return;
    RepositionSymText(i);
    SSymRect r = t.GetClipRect(0, 0);
    r.Normalize();
    all = Union(all, r);
    any = true;
  });
  if (any) PutRect(all);
}

SSymRect SSymPolyline::GetClipRect(int a, int b) {
  SSymRect r = SSymBase::GetClipRect(a, b);
  ForEachLabel([&](int, SSymSubText& t) {
    SSymRect l = t.GetClipRect(0, 0);
    if (l.x1 == l.x2 && l.y1 == l.y2) return;
    l.Normalize();
    r.Normalize();
    r = Union(r, l);
  });
  return r;
}

HRESULT SSymPolyline::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  if (redraw) Redraw(nullptr);
  ForEachLabel([&](int, SSymSubText& t) { t.Transform(matrix, redraw); });
  if (redraw) Redraw(nullptr);
  for (int i = 0; i < ListPt.GetCount(); ++i) ListPt[i] = matrix.Transform(ListPt[i]);
  SSymRect r = m_rect;
  r.Normalize();
  PutRect(matrix.Transform(r));
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- drawing --------------------------------------------------------------------------------------------
HRESULT SSymPolyline::DrawSymbol(SSymCanvas& canvas) {
  SSymPolyBase::DrawSymbol(canvas);
  ForEachLabel([&](int i, SSymSubText& t) {
    if (!t.IsInitialized()) t.InitializeSubSym();
    t.SetFlag(SSymSubsFlag::LabelWidth, true);
    t._SetTp(i);
    // A label outside the area being painted would be clipped whole.
    if (SSymDrawArea::Meets(canvas, t.GetActiveRect(canvas, 0))) t.Draw(canvas);
  });
  m_bCascade = 0;
  return S_OK;
}

HRESULT SSymPolyline::Redraw(SSymCanvas* canvas) {
  if (m_state & StateNoRedraw) return 1;
  SSymBase::Redraw(nullptr);
  ForEachLabel([&](int, SSymSubText& t) {
    if (!t.IsInitialized()) t.InitializeSubSym();
    if (canvas) {
      canvas->InvalidateRectLP(t.GetActiveRect(*canvas, 0), 1);
    } else {
      RedrawSubSym(t.SymFace());
    }
  });
  m_bCascade = 0;
  return S_OK;
}

HRESULT SSymPolyline::IsPtInSubSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (!sub) return E_POINTER;
  *sub = nullptr;
  if (IsHidden()) return 1;
  for (int i = 0; i < TextCount; ++i) {
    SSymSubText* t = m_texts[i].text;
    if (!t || !t->IsPtInSym(canvas, pt, handle, nullptr)) continue;
    const SSymRect r = t->GetClipRect(0, 0);
    if (r.x1 != r.x2 || r.y1 != r.y2) {
      *sub = t->SymFace();
      (*sub)->AddRef();
    }
    return S_OK;
  }
  return S_OK;
}

// ---- sub-object notices ------------------------------------------------------------------------------------
HRESULT SSymPolyline::OnSubSymResize(ISSymbol* sub, int redraw) {
  if (redraw && sub) RedrawSubSym(sub);
  return S_OK;
}

HRESULT SSymPolyline::OnSubSymMove(ISSymbol* sub, int redraw) {
  if (KeepMovedLabel(sub) >= 0 && redraw) RedrawSubSym(sub);
  return S_OK;
}

HRESULT SSymPolyline::RedrawSubSym(ISSymbol* sub) {
  // The owner repaints the label's area; asking the label itself would come
  // straight back here.
  if (!sub) return S_OK;
  SComOut<ISSymOwner> owner;
  if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) owner->SymRedraw(sub);
  return S_OK;
}

BOOL SSymPolyline::IsDropPossible(ISSymbol* symbol, SSymPoint point) {
  const int i = IndexOf(symbol);
  return i < 0 ? 1 : IsCorrectDistance(i, point);
}

// ---- format ------------------------------------------------------------------------------------------------
HRESULT SSymPolyline::GetFormat(SSymFormatEx& format) {
  SSymFonts entry;
  entry.m_font = m_font;
  entry.m_color = SSymColor(Font);
  format.m_fonts.Add(entry);
  format.m_textStyle = Style;
  return SSymPolyBase::GetFormat(format);
}

HRESULT SSymPolyline::SetFormat(const SSymFormatEx& format) {
  if (format.m_fonts.GetCount() > 0) {
    const SString text = SSymLoadString(1378);
    int use = 0;
    for (int i = 0; i < format.m_fonts.GetCount(); ++i)
      if (format.m_fonts.GetAt(i).m_name == text) {
        use = i;
        break;
      }
    const SSymFonts& entry = format.m_fonts.GetAt(use);
    SetFontColor(entry.m_color, 0);
    SetFont(entry.m_font, 0);
  }
  Style = format.m_textStyle;
  return SSymPolyBase::SetFormat(format);
}

// ---- copies --------------------------------------------------------------------------------------------------
HRESULT SSymPolyline::CopySpecificSymAttributes(ISSymbol* source) {
  RepObjWrap from(source);
  if (from.IsNull()) return S_OK;
  for (LONG id : {SymAttr::CtrText, SymAttr::SrcText, SymAttr::DstText}) {
    if (from->HasAttribute(id) != S_OK || HasAttribute(id) != S_OK) continue;
    SRepVariant v;
    if (SUCCEEDED(from->GetAttribute(id, &v))) SetAttribute(id, v);
  }
  return S_OK;
}

int SSymPolyline::OnCopySymAttributes(ISSymbol* source) {
  CopySpecificSymAttributes(source);
  return SSymPolyBase::OnCopySymAttributes(source);
}

HRESULT SSymPolyline::InitialSym(ISSymbol*) {
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
HRESULT SSymPolyline::DoVerb(LONG, const MSG*, HWND window, const RECT*) {
  SSymShowPolyTextDialog(Obj(), this, Sym(), window);
  return 1;
}
