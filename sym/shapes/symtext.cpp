#include "sym/shapes/symtext.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "kvcore/sexception.h"
#include "kvcore/srtfdocument.h"
#include "kvcore/sstream.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintfeditor.h"

namespace {
// The blob attribute: the getter is the standard symbol's (nothing of the
// older form is written back); the setter reads the font.
HRESULT GetTextBlob(SRepObject* o, SRepVariant& out) {
  out.SetBINARY(static_cast<SSymText*>(o)->GetBlobData().GetBytes());
  return S_OK;
}
HRESULT SetTextBlob(SRepObject* o, const SRepVariant& in) {
  const auto& bytes = in.GetBINARY();
  return static_cast<SSymText*>(o)->SetBlobData(SBlob(bytes.data(), bytes.size()));
}

long long Abs(long long v) { return v < 0 ? -v : v; }

// The font a rich text is drawn in, for its shadow.
SSymFont RtfFont(const SRtfDocument::CharFormat& f) {
  LONG style = 0;
  if (f.bold) style |= SSymFont::Bold;
  if (f.italic) style |= SSymFont::Italic;
  if (f.underline) style |= SSymFont::Underline;
  if (f.strike) style |= SSymFont::StrikeOut;
  return SSymFont(f.face, std::max(1, f.halfPoints / 2), style ? style : SSymFont::Normal);
}

// Text style bits read here: 0x20 middle and 0x40 bottom (rich text), 0x400
// drawn unclipped, 0x1000 wrapped at the symbol's width.
constexpr LONG kMiddle = 0x20, kBottom = 0x40, kNoClip = 0x400, kWrap = 0x1000;
}  // namespace

KV_SYM_ACCESSORS(SSymText) { KV_SYM_THUNKS(BlobData, &GetTextBlob, &SetTextBlob); };
KV_SYM_DEFINE_CLASS_TABLES(SSymText)
KV_SYM_IMPLEMENT_POOL(SSymText, g_symClasses[SYMCLS_SSymText].poolBlocks);
KV_SYM_REGISTER(SSymText, &SSymCreateStd<SSymText>);

// ---- life -------------------------------------------------------------------------------------
SSymText::SSymText(const SSymRect& rect, const SString& text) : SSymSolidText(rect, nullptr, CLSID_SSymText) {
  InitDefaults();
  m_text = text;
}

SSymText::SSymText(ISRepSession* session) : SSymSolidText(session, CLSID_SSymText) { InitDefaults(); }

void SSymText::InitDefaults() {
  m_textStyle = 0x1022;  // wrapped, centred both ways
  m_pen.m_style = SSymPen::NoLine;  // a free text has no border
}

// ---- drawing ----------------------------------------------------------------------------------
SSymRect SSymText::RtfBox(SSymCanvas& canvas, const SSymRect& r) {
  SSymRect box = r;
  const long long height = r.Height();
  const long long text = canvas.GetRTFTextExtent(m_text, r.Width(), 0, -1).cy;
  if (text >= 0 && text < height) {
    // Both stay between the rectangle's edges.
    if (m_textStyle & kMiddle)
      box.y1 = static_cast<LONG>(box.y1 - (height - text) / 2);
    else if (m_textStyle & kBottom)
      box.y1 = static_cast<LONG>(box.y2 + text);
  }
  return box;
}

HRESULT SSymText::DrawSymbol(SSymCanvas& canvas) {
  SSymRect r = m_rect;
  r.Normalize();
  canvas.SetPen(m_pen);
  SSymBrush brush = m_brush;  // a transparent text's hollow brush is a copy
  if (Flags & FlagTransparent) brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(brush, 0);
  canvas.SetFont(m_font);
  canvas.SetFontColor(SSymColor(m_fontColor));
  // Picture and gradient fills paint the inside of the glyphs.
  const int fillText = canvas.m_bFillText;
  const LONG kind = brush.m_style;
  canvas.m_bFillText =
      (kind == SSymBrush::Picture || kind == SSymBrush::Gradient || kind == SSymBrush::GradientPicture);
  if (!SRtfDocument::IsRtf(m_text))
    canvas.DrawText(r, m_text, m_textStyle | kNoClip);
  else
    canvas.DrawRtfText(RtfBox(canvas, r), m_text, 0, -1, nullptr);
  canvas.m_bFillText = fillText;
  return S_OK;
}

HRESULT SSymText::DrawShadow(SSymCanvas& canvas) {
  SSymRect r = m_rect;
  r.Normalize();
  canvas.SetPen(m_shadowPen);
  canvas.SetBrush(m_shadowBrush, 0);
  canvas.SetFontColor(SSymColor(static_cast<DWORD>(GetShadowColor())));
  if (!SRtfDocument::IsRtf(m_text)) {
    canvas.SetFont(m_font);
    canvas.DrawText(r, m_text, m_textStyle);
    return S_OK;
  }
  // A rich text keeps its own colours, so its shadow is its plain text in
  // its font, wrapped from the top left of where it is drawn.
  const SRtfDocument doc(m_text);
  canvas.SetFont(m_font);
  const SSymRect box = RtfBox(canvas, r);
  canvas.SetFont(RtfFont(doc.GetCharFormat()));
  canvas.DrawText(box, doc.RtfToText(), kWrap);
  return S_OK;
}

// ---- fitting the rectangle to the text --------------------------------------------------------
HRESULT SSymText::GetAdjustRect(SSymCanvas& canvas, const SSymRect& rect, SSymRect& out) {
  const SSymRect current = rect;  // the caller may pass one rectangle for both
  canvas.SetFont(m_font);
  // SetWidth and SetHeight grow about the centre and keep the direction in
  // which the corners were drawn.
  SSymRect r = out;
  if (r.Width() < MinWidth) r.SetWidth(MinWidth);
  const LONG width = r.Width();
  SSymSize ext;
  if (SRtfDocument::IsRtf(m_text))
    ext = canvas.GetRTFTextExtent(m_text, width, 0, -1);
  else if (m_textStyle & kWrap)
    ext = canvas.GetWrapTextExtent(m_text, width);
  else
    ext = canvas.GetTextExtent(m_text, m_font);
  // An extent of 0 (no text) counts as 1: an inclusive size has no 0, and
  // shrinking to nothing and growing back would shift the rectangle by a
  // unit at each fitting.
  r.SetSize(std::max<LONG>(1, ext.cx), std::max<LONG>(1, ext.cy));
  if (r.Width() < MinWidth) r.SetWidth(MinWidth);
  if (r.Height() < MinHeight) r.SetHeight(MinHeight);
  out = r;
  const long long moved =
      Abs(static_cast<long long>(r.x1) - current.x1) + Abs(static_cast<long long>(r.y1) - current.y1) +
      Abs(static_cast<long long>(r.x2) - current.x2) + Abs(static_cast<long long>(r.y2) - current.y2);
  return moved > AdjustTolerance ? 1 : 0;
}

// ---- editing ----------------------------------------------------------------------------------
HRESULT SSymText::EditInPlace(SSymView* view, const SSymPoint&) {
  if (!view) return E_POINTER;
  SString text;
  TextFace()->GetText(text);
  if (text.IsEmpty()) return S_FALSE;
  // The editing runs to its end inside Execute: the controller is ours
  // until then, whatever its outcome.
  std::unique_ptr<ISSymInPlaceEditor> controller(SSymCreateInPlaceEditor());
  if (!controller) return E_OUTOFMEMORY;
  const SSymFont font = m_font;
  controller->CreateTextCtrl(view, font, text, TextFace(), Sym()->GetClipRect(1, 1));
  return controller->Execute(0) < 0 ? E_FAIL : S_OK;
}

// ---- the older blob form ----------------------------------------------------------------------
HRESULT SSymText::SetBlobData(const SBlob& blob) {
  if (blob.IsEmpty()) return S_OK;
  try {
    SInputGlobal in(blob);
    return OnSetBlobData(in);
  } catch (const SECOMException& e) {
    return FAILED(e.GetResult()) ? e.GetResult() : E_FAIL;
  } catch (const SException&) {
    // Short or malformed: the font was not touched.
    return E_FAIL;
  }
}

HRESULT SSymText::OnSetBlobData(SInputStream& stream) {
  SSymInputStream in(stream);
  SString form;
  in >> form;
  // The parse leaves a font alone for a form it does not take (too short,
  // a face too long): a probe that no form can name tells which it was.
  SSymFont probe(SString(u"\u0001"), -1);
  probe.SetAsString(form);
  if (probe.m_faceName == SString(u"\u0001") && probe.m_size == -1) return S_FALSE;
  SSymFont font = m_font;
  font.SetAsString(form);
  m_font.Copy(font);
  return S_OK;
}
