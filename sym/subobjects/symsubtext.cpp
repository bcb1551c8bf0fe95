#include "sym/subobjects/symsubtext.h"

#include <algorithm>
#include <cstdlib>

#include "kvcore/spicture.h"
#include "kvcore/srtfdocument.h"
#include "kvrep/srepobject.h"
#include "sym/render/symcanv.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
// Measuring and drawing constants, in diagram units.
constexpr LONG kIndent = 600;         // text indent while adjusting; gap after a picture
constexpr LONG kSideGrowth = 300;     // picture margin; growth on each side when adjusting
constexpr LONG kInnerMargin = 150;    // inner margin of a left- or right-aligned text
constexpr LONG kPictureTop = 140;     // picture inset from the top
constexpr LONG kPictureLine = 75;     // one line of an icon shown alone
constexpr LONG kTolerance = 40;       // label size tolerance; default length of a wrapped line
constexpr LONG kRichNarrow = 2000;    // rich text laid out at this width when there is none
constexpr LONG kRichWide = 6000;      // and never wider than this
constexpr LONG kRichPictureGap = 1200;
constexpr LONG kIconMinimum = 974;    // an icon shown alone needs this much room each way
constexpr LONG kTopGap = 200;

constexpr LONG kCtrText = 0x02001417;
constexpr LONG kSrcText = 0x02001418;
constexpr LONG kDstText = 0x02001419;

// Resizes r about its centre to inclusive sizes w and h; each side moves by
// half the difference, truncated, the odd unit going to the trailing side
// (right, bottom).
void ResizeAbout(SSymRect& r, LONG w, LONG h) {
  const LONG dw = w - r.Width();
  r.x1 -= dw / 2;
  r.x2 += dw - dw / 2;
  const LONG dh = h - r.Height();
  r.y1 += dh / 2;
  r.y2 -= dh - dh / 2;
}

LONG LongestLineLength(const SString& text, SString& longest) {
  LONG best = -1;
  for (const SString& line : SSplitLines(text)) {
    if (line.GetLength() > best) {
      best = line.GetLength();
      longest = line;
    }
  }
  return best;
}

// The diagram's wrapping preferences; false when the parent has none.
bool DiagramWrap(ISSymbol* parent, SPrefDataWrap& wrap, bool* hasPrefs = nullptr) {
  if (hasPrefs) *hasPrefs = false;
  if (!parent) return false;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(parent->GetDiagram(&diagram)) || !diagram) return false;
  ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get());
  if (!pref) return false;
  if (hasPrefs) *hasPrefs = true;
  wrap = pref->GetDataWrap();
  return true;
}
}  // namespace

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

// The pictures are not owned: the holder keeps them.
SSymSubText::~SSymSubText() { m_pPictureIcon = nullptr; }

void* SSymSubText::QueryFamily(REFIID iid) {
  if (iid == IID_ISSymText || iid == IID_ISSymFont) return static_cast<ISSymText*>(this);
  return SSymSubsFonts::QueryFamily(iid);
}

BOOL SSymSubText::IsEmpty() const {
  if (m_flags & SUBS_PICTURE) return HasPicture() ? 0 : 1;
  return m_text.IsEmpty() ? 1 : 0;
}

HRESULT SSymSubText::Draw(SSymCanvas& canvas) {
  if (m_flags & (SUBS_HIDDEN | SUBS_DRAWING)) return 1;
  m_flags |= SUBS_DRAWING;
  struct Clear {
    DWORD& flags;
    ~Clear() { flags &= ~SUBS_DRAWING; }
  } clear{m_flags};
  if (!IsInitialized()) InitializeSubSym();
  ISSymbol* parent = GetParentSymbol();
  if (parent && !(m_flags & SUBS_NOWRAPPREF)) {
    SComWrap<ISSymPolyline> line(parent);
    if (!line.IsNull()) {
      // A line's label follows the diagram's wrap mode. A line drawn
      // outside a diagram (an exported picture, a test) still shows its
      // labels as they stand.
      SPrefDataWrap wrap;
      if (DiagramWrap(parent, wrap)) {
        if (wrap.m_nWrapMode == SPrefDataWrap::Wrap) m_textStyle = (m_textStyle | 0x1000) & ~0x2000;
        else if (wrap.m_nWrapMode == SPrefDataWrap::Truncate) m_textStyle = (m_textStyle | 0x2000) & ~0x1000;
      }
    }
  }
  return DrawOrAdjust(canvas, 0);
}

HRESULT SSymSubText::DrawOrAdjust(SSymCanvas& canvas, int adjust) {
  if (IsHidden()) {
    ResizeAbout(m_rect, 1, 1);
    return 1;
  }
  const bool pictureMode = (m_flags & SUBS_PICTURE) != 0;
  if (pictureMode ? !HasPicture() : m_text.IsEmpty()) {
    // No content: the rectangle collapses to its top-left corner.
    m_rect.x2 = m_rect.x1;
    m_rect.y2 = m_rect.y1;
    return S_OK;
  }
  canvas.SetFont(m_font);
  canvas.SetFontColor(m_fontColor);
  SSymRect r = m_rect;
  r.Normalize();
  const SSymPoint centre((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);

  ISSymbol* parent = GetParentSymbol();
  SPrefDataWrap wrap;
  if (!DiagramWrap(parent, wrap)) wrap = canvas.GetDataWrap();
  const int mode = wrap.m_nWrapMode;

  // A line label's width is kept in its line; -1 there means automatic.
  const bool label = (m_flags & SUBS_LABELWIDTH) != 0;
  LONG fixedWidth = -1;
  if (label) {
    SComWrap<ISRepObject, &IID_ISRepObject> object = ParentObject();
    if (object.IsNull()) return E_POINTER;
    if (const LONG id = GetTpDispid(m_index)) {
      SRepVariant v;
      if (object->GetAttribute(id, &v) == S_OK && !v.IsEmpty() && v.GetLONG() != -1) fixedWidth = v.GetLONG();
    }
    if (fixedWidth >= 0) ResizeAbout(r, fixedWidth, r.Height());
  }

  const SString s = pictureMode ? SString(u"X") : m_text;
  const bool rich = !pictureMode && SRtfDocument::IsRtf(m_text);
  const bool hasPicture = HasPicture();
  const LONG P = hasPicture ? PictureSize() : 0;
  const LONG available = r.Width() - (adjust ? kIndent : 0);
  const int type = GetSymbolType();

  // What the text needs (steps shared by measuring and by a label's width).
  SSymSize ext;
  auto measurePlain = [&]() -> SSymSize {
    if (!(m_textStyle & 0x1000) && mode != SPrefDataWrap::Wrap) {
      if (!(m_textStyle & 0x2000) && mode != SPrefDataWrap::Truncate)
        return fixedWidth >= 0 ? canvas.GetWrapTextExtent(s, fixedWidth) : canvas.GetTextExtent(s);
      const LONG w = mode == SPrefDataWrap::Truncate ? canvas.GetTextExtent(s.Left(wrap.m_nTruncLength)).cx : available;
      return canvas.GetTruncTextExtent(s, w);
    }
    const bool wrapped = ((m_textStyle & 0x1000) && (m_textStyle & 0x200)) ||
                         (mode == SPrefDataWrap::Wrap && (type == 4 || type == 1));
    if (!wrapped) return canvas.GetTextExtent(s);
    LONG w;
    if (fixedWidth < 0 && !(m_flags & SUBS_NOWRAPPREF) && adjust) {
      // The width of the longest line cut to the wrap length, but not
      // narrower than what the group asks of every compartment.
      SString longest;
      LongestLineLength(s, longest);
      const int n = mode == SPrefDataWrap::Wrap ? wrap.m_nWrapLength : kTolerance;
      w = canvas.GetTextExtent(longest.Left(n)).cx;
      const LONG minimum = SSymSubGroup::s_nMinWidth - (hasPicture ? P + kRichPictureGap : kIndent);
      w = std::max(w, minimum);
    } else {
      w = fixedWidth >= 0 ? fixedWidth : available;
    }
    return canvas.GetWrapTextExtent(s, w);
  };
  if (rich) {
    LONG w = available;
    if (w <= 1) w = kRichNarrow;
    else if (w > kRichWide) w = kRichWide;
    if (w != available) ResizeAbout(r, w + (adjust ? kIndent : 0), r.Height());
    ext = canvas.GetRTFTextExtent(m_text, w, 0, -1);
  } else {
    ext = measurePlain();
  }
  ext.cx = std::abs(ext.cx);
  ext.cy = std::abs(ext.cy);
  if (hasPicture) {
    ext.cx += P + kIndent;
    ext.cy = std::max(ext.cy, P + kSideGrowth);
  }
  if (adjust) {
    ResizeAbout(r, ext.cx, ext.cy);
    r.x1 -= kSideGrowth;
    r.x2 += kSideGrowth;
  }

  // The height the content takes.
  if (!((m_flags & SUBS_TITLE) && !(m_flags & SUBS_NOTITLETEST))) {
    LONG height;
    if (!adjust) {
      if (rich) {
        height = ext.cy;
      } else if (s.IsEmpty()) {
        height = (m_flags & SUBS_EMPTYFLAT) ? 0 : canvas.GetTextHeight(SString(u"a"));
      } else {
        const LONG textWidth = r.Width() - (hasPicture ? P + kIndent : 0);
        height = canvas.GetTextHeight(s, static_cast<int>(m_textStyle | (fixedWidth >= 0 ? 0x1000 : 0)),
                                      std::max<LONG>(textWidth, 1));
      }
    } else {
      height = r.Height();
    }
    if (hasPicture && height >= 0) height = std::max(height, P + kSideGrowth);
    if (pictureMode) height = P * kPictureLine;
    const LONG extra = ((m_flags & SUBS_TOPGAP) && m_nKind >= 1) ? kTopGap : 0;
    if (label) {
      const LONG need = height + extra;
      if (adjust || std::abs(r.Height() - need) > kTolerance) ResizeAbout(r, r.Width(), need);
    } else if (height < 0) {
      const LONG top = r.y1;
      r.y2 = top;
      r.y1 = top - height + extra;
    } else {
      const LONG bottom = r.y1 - extra - height - 1;
      if (adjust || (bottom > r.y2 && !(m_textStyle & 0x40))) r.y2 = bottom;
    }
  }

  // A label drawn at a free width takes the width of its text.
  if (label && !adjust && fixedWidth < 0) {
    const LONG need = (rich ? ext.cx : measurePlain().cx) + canvas.GetTextExtent(SString(u"W")).cx;
    const LONG old = r.Width();
    if (std::abs(need - old) > kTolerance) {
      ResizeAbout(r, need, r.Height());
      if (need > old)
        if (ISSymSubSink* sink = GetParent()) sink->OnSubSymResize(SymFace(), 0);
    }
  }
  m_rect = r;
  if (adjust) return S_OK;

  // ---- drawing
  SSymRect box = r;
  if (hasPicture) {
    LONG pw = P, ph = P;
    if (pictureMode && !m_pMetaFile) pw = ph = m_nPictureIconSize * kPictureLine;
    if (m_pMetaFile) {
      const SIZE sz = m_pMetaFile->GetSize();
      if (sz.cx > 0 && sz.cy > 0) pw = static_cast<LONG>(static_cast<long long>(P) * sz.cx / sz.cy);
    }
    SSymRect pic;
    const bool right = (m_flags & SUBS_PICTURERIGHT) != 0;
    pic.x1 = right ? r.x2 - kSideGrowth - pw : r.x1 + kSideGrowth;
    pic.x2 = pic.x1 + pw;
    if (pictureMode) {
      const int h = m_textStyle & 0xF;
      if (h == 2) pic.x1 = centre.x - pw / 2;
      else if (h == 4) pic.x1 = r.x2 - kSideGrowth - pw;
      pic.x2 = pic.x1 + pw;
    }
    pic.y1 = r.y1 - kPictureTop;
    if (m_textStyle & 0x20) pic.y1 = (r.y1 + r.y2) / 2 + ph / 2;
    else if (m_textStyle & 0x40) pic.y1 = r.y2 + kPictureTop + ph;
    pic.y2 = pic.y1 - ph;
    if (pictureMode) {
      if (m_pMetaFile) {
        canvas.DrawMetaFile(pic, *m_pMetaFile);
      } else if (m_pPictureIcon && m_pPictureIcon->GetIcon() && r.Height() >= kIconMinimum &&
                 r.Width() >= kIconMinimum) {
        canvas.DrawIcon(pic, m_pPictureIcon->GetIcon(), 3);
      }
      return S_OK;
    }
    if (m_pMetaFile) canvas.DrawMetaFile(pic, *m_pMetaFile);
    else if (m_pPictureIcon && m_pPictureIcon->GetIcon()) canvas.DrawIcon(pic, m_pPictureIcon->GetIcon(), 3);
    if (right) box.x2 = pic.x1 - kSideGrowth;
    else box.x1 = pic.x2 + kSideGrowth;
  }
  LONG style = m_textStyle | (fixedWidth >= 0 ? 0x1000 : 0);
  const int horizontal = style & 0xF;
  if (box.Width() >= kInnerMargin + 1) {
    if (horizontal == 1) box.x1 += kInnerMargin;
    else if (horizontal == 4) box.x2 -= kInnerMargin;
  }
  if (rich) {
    const LONG textHeight = canvas.GetRTFTextExtent(m_text, box.Width(), 0, -1).cy;
    if (textHeight < box.Height()) {
      if (style & 0x20) box.y1 -= (box.Height() - textHeight) / 2;
      else if (style & 0x40) box.y1 = box.y2 + textHeight;
    }
    canvas.DrawRtfText(box, m_text, 0, -1, nullptr);
    return S_OK;
  }
  // A centred text wider than its box starts at the box's left edge.
  if (horizontal == 2 && !(style & 0x1000) && canvas.GetTextExtent(m_text).cx > box.Width())
    style = (style & ~0xF) | 1;
  canvas.DrawText(box, m_text, static_cast<int>(style));
  return S_OK;
}

BOOL SSymSubText::IsDropPossible(const SSymPoint& pt) {
  ISSymSubSink* sink = GetParent();
  return sink && GetParentSymbol() ? sink->IsDropPossible(SymFace(), pt) : 1;
}

void SSymSubText::GetTextSize(SSymRect& rect) {
  if (m_text.IsEmpty()) return;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(GetDiagram(&diagram)) || !diagram) return;
  SSymView* view = diagram->GetFirstView();
  if (!view) return;
  SSymLockViewCanvas lock(view);
  SSymCanvas* canvas = lock.GetCanvas();
  if (!canvas) return;
  const SSymSize ext = canvas->GetWrapTextExtent(m_text, m_font, rect.Width());
  rect.SetHeight(std::abs(ext.cy));
}

// ---- in-place editing --------------------------------------------------------------------------
HRESULT SSymSubText::RunEditor(ISSymInPlaceEditor* editor, bool madeHere, SSymView* view) {
  SSymFont font = m_font;
  editor->CreateTextCtrl(view, font, m_text, TextFace(), GetClipRect(1, 1));
  const int result = editor->Execute(0);
  // The editor runs the whole editing before it returns: one made here goes.
  if (madeHere) delete editor;
  return result >= 0 ? S_OK : E_FAIL;
}

HRESULT SSymSubText::EditInPlace(SSymEditInPlaceController* controller, SSymView* view, const SSymPoint&) {
  if (!view) return E_POINTER;
  if (IsHidden() || m_text.IsEmpty()) return 1;
  if (controller) return RunEditor(SSymEditorFace(controller), false, view);
  ISSymInPlaceEditor* editor = SSymCreateInPlaceEditor();
  if (!editor) return E_OUTOFMEMORY;
  return RunEditor(editor, true, view);
}

HRESULT SSymSubText::EditInPlace(SSymView* view, const SSymPoint&, int) {
  if (!view) return E_POINTER;
  if (IsHidden() || m_text.IsEmpty()) return 1;
  // A label edits its link's text attribute (by its position among the
  // link's three texts): nothing when that is read-only.
  if (ISSymbol* parent = GetParentSymbol(); parent && m_index >= 0 && m_index < 3) {
    SComWrap<ISSymLink> link(parent);
    SComWrap<ISRepObject, &IID_ISRepObject> object(parent);
    static constexpr LONG ids[3] = {kCtrText, kSrcText, kDstText};
    if (!link.IsNull() && !object.IsNull() && object->IsAttrReadOnly(ids[m_index], nullptr) == S_OK) return 1;
  }
  ISSymInPlaceEditor* editor = SSymCreateInPlaceEditor();
  if (!editor) return E_OUTOFMEMORY;
  STable<SSymSubsFonts*> members;
  members.Add(this);
  editor->InitGroup(view, GetClipRect(0, 0), members, 0, STable<LONG>());
  return RunEditor(editor, true, view);
}

// ---- ISSymFont and ISSymText -------------------------------------------------------------------
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
