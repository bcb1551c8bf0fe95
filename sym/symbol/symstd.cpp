#include "sym/symbol/symstd.h"

#include "kvcore/scolordlg.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "sym/foundation/symclassreg.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"

namespace {
HRESULT GetStdBlob(SRepObject* o, SRepVariant& out) {
  out.SetBINARY(static_cast<SSymStd*>(o)->GetBlobData().GetBytes());
  return S_OK;
}
HRESULT SetStdBlob(SRepObject* o, const SRepVariant& in) {
  const auto& bytes = in.GetBINARY();
  return static_cast<SSymStd*>(o)->SetBlobData(SBlob(bytes.data(), bytes.size()));
}
HRESULT GetBlobBlob(SRepObject* o, SRepVariant& out) {
  out.SetBINARY(static_cast<SSymBlob*>(o)->GetBlobData().GetBytes());
  return S_OK;
}
HRESULT SetBlobBlob(SRepObject* o, const SRepVariant& in) {
  const auto& bytes = in.GetBINARY();
  return static_cast<SSymBlob*>(o)->SetBlobData(SBlob(bytes.data(), bytes.size()));
}

COLORREF Mix(COLORREF a, COLORREF b, int num, int den) { return SDrawGradient::GetMediumColor(a, b, num, den); }
LONG Abs(LONG v) { return v < 0 ? -v : v; }
}  // namespace

// The accessors of the pen, standard and blob symbols' attributes, by
// attribute code.
KV_SYM_ACCESSORS(SSymBasePen) {
  KV_SYM_GETSET(LineColor, GetLineColor, SetLineColor);
  KV_SYM_GETSET(DashStyle, GetPenStyle, SetPenStyle);
  KV_SYM_GETSET(LineWidth, GetLineWidth, SetLineWidth);
};
KV_SYM_REGISTER(SSymBasePen, nullptr);

KV_SYM_ACCESSORS(SSymStd) {
  KV_SYM_GETSET(HasAShadow, GetHasShadow, SetHasShadow);
  KV_SYM_FIELD(ShadowStyle, m_shadowStyle);
  KV_SYM_GETSET(ShadowColor, GetShadowColor, SetShadowColor);
  KV_SYM_THUNKS(BlobData, &GetStdBlob, &SetStdBlob);
};
KV_SYM_REGISTER(SSymStd, nullptr);

KV_SYM_ACCESSORS(SSymBlob) {
  KV_SYM_THUNKS(BlobData, &GetBlobBlob, &SetBlobBlob);
};
KV_SYM_REGISTER(SSymBlob, nullptr);

// ---- line widths and pen styles ------------------------------------------------------------
LONG SSymLineWidthToPen(SHORT v) {
  if (v <= 0) return 0;
  if (v <= 100) return (static_cast<LONG>(v) + 1) * 75;
  return static_cast<LONG>(v) * 75 - 7501;
}

SHORT SSymPenToLineWidth(LONG width) {
  if (width == 0 || width == 75) return 0;
  LONG n = (width + 1) / 75;
  if (n > 10) n = 10;
  if (n * 75 == width + 1) return static_cast<SHORT>(n + 100);
  return static_cast<SHORT>(n - 1);
}

bool SSymIsValidPenStyle(LONG style) {
  if (style & ~0xFF0FL) return false;
  // A bare style above 7 is refused; with style flags (bits 8 to 15) the
  // word is taken as it is (0x108 is accepted, 8 is not).
  return (style & 0xF) <= 7 || (style & 0xFF00) != 0;
}

// ---- SSymBasePen --------------------------------------------------------------------------
SSymBasePen::SSymBasePen(const SSymRect& rect, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(rect, session, clsid) {}
SSymBasePen::SSymBasePen(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}
SSymBasePen::SSymBasePen(const SSymBasePen& source) : SRepFaces(source), m_pen(source.m_pen) {}

KV_SYM_DEFINE_CLASS_TABLES(SSymBasePen)

HRESULT SSymBasePen::SetPen(const SSymPen& pen, int redraw) {
  if (pen == m_pen) return S_OK;
  if (redraw) Redraw(nullptr);
  m_pen = pen;
  SetChanged();
  SetSessionModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

ISRepContext* SSymBasePen::SetterContext() {
  SRepSession* s = GetSessionImpl();
  if (!s) return nullptr;
  SComOut<ISRepContext> held;
  if (s->GetLockoutContext(&held) != S_OK || !held) return nullptr;
  ISRepContext* ctx = held;  // the session keeps it
  if (ctx->IsObjectInContext(Obj())) return nullptr;
  return ctx;
}

HRESULT SSymBasePen::SetLineColor(LONG color) {
  if (GetLineColor() == color) return 1;
  if (RecordFormatChange(SSymFormatEx::FlagPen, [&](SSymFormatEx& f) { f.m_pen.m_color = static_cast<DWORD>(color); }))
    return S_OK;
  m_pen.m_color = static_cast<DWORD>(color);
  return S_OK;
}

HRESULT SSymBasePen::SetPenStyle(SHORT style) {
  if (GetPenStyle() == style) return 1;
  const LONG word = static_cast<LONG>(style);
  // Checked on the 16-bit value: a negative style widens to bits above 15.
  if (!SSymIsValidPenStyle(word & 0xFFFF)) return E_FAIL;
  if (RecordFormatChange(SSymFormatEx::FlagPen, [&](SSymFormatEx& f) { f.m_pen.m_style = word; })) return S_OK;
  m_pen.m_style = word;
  return S_OK;
}

HRESULT SSymBasePen::SetLineWidth(SHORT index) {
  if (GetLineWidth() == index) return 1;
  // A pending record carries the new width: one that kept the current width
  // would lose the change when the lockout is applied.
  const LONG width = SSymLineWidthToPen(index);
  if (RecordFormatChange(SSymFormatEx::FlagPen, [&](SSymFormatEx& f) { f.m_pen.m_width = width; })) return S_OK;
  m_pen.m_width = width;
  return S_OK;
}

HRESULT SSymBasePen::GetFormat(SSymFormatEx& format) {
  format.m_flags |= SSymFormatEx::FlagPen;
  format.m_pen = m_pen;
  SColorDlg::AddCustomColor(m_pen.m_color.GetColor());
  return SSymBase::GetFormat(format);
}

HRESULT SSymBasePen::SetFormat(const SSymFormatEx& format) {
  if ((format.m_flags & SSymFormatEx::FlagPen) && format.m_pen != m_pen) {
    static_cast<ISSymPen*>(this)->SetPen(format.m_pen, 1);
    SetChanged();
    SetSessionModified();
  }
  return SSymBase::SetFormat(format);
}

// ---- SSymStd ------------------------------------------------------------------------------
SSymStd::SSymStd(const SSymRect& rect, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(rect, session, clsid),
      m_shadowBrush(1, 0, SSymColor(0x808080)),
      m_shadowPen(1, 0, SSymColor(0x808080)),
      m_shadowStyle(1) {}

SSymStd::SSymStd(ISRepSession* session, const CLSID& clsid)
    : SRepFaces(session, clsid),
      m_shadowBrush(1, 0, SSymColor(0xFFFFFF)),
      m_shadowPen(1, 0, SSymColor(0)),
      m_shadowStyle(0) {}

SSymStd::SSymStd(const SSymStd& source)
    : SRepFaces(source),
      m_shadowBrush(source.m_shadowBrush),
      m_shadowPen(source.m_shadowPen),
      m_shadowStyle(source.m_shadowStyle) {}

KV_SYM_DEFINE_CLASS_TABLES(SSymStd)

int SSymStd::GetSymbolFormType() {
  if (!GetHasCustomPicture()) return SSymBase::GetSymbolFormType();
  SComOut<ISSymCustomShape> shape;
  const HRESULT hr = QueryInterface(IID_ISSymCustomShape, shape.Void());
  if (FAILED(hr) && hr != E_NOINTERFACE) throw SECOMException("SSymStd::GetSymbolFormType", __FILE__, __LINE__, hr);
  return 79;
}

HRESULT SSymStd::SetPen(const SSymPen& pen, int redraw) {
  SSymPen next = pen;
  if (next.m_style == 0) next.m_style = m_pen.m_style;
  if (next == m_pen) return S_OK;
  if (redraw) Redraw(nullptr);
  m_pen = next;
  m_shadowPen.m_style = next.m_style;
  m_shadowPen.m_width = next.m_width;
  SetChanged();
  SetSessionModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymStd::SetShadowStyle(SHORT style, int redraw) {
  if (style == m_shadowStyle) return S_OK;
  if ((Flags & 0x40) || style < 0) return S_OK;
  if (redraw) Redraw(nullptr);
  m_shadowStyle = style;
  SetChanged();
  SetSessionModified();
  // The shadow widens or narrows the clip rectangle, which the group around
  // the symbol encloses: the group fits itself again now, as it would when
  // the member came back to it, so that an undo or redo gives the group the
  // rectangle it had at that point.
  SComOut<ISSymGroup> group;
  if (IsHeld() && !InLockoutContext() && _GetOwner(group.Void(), IID_ISSymGroup) == S_OK && group)
    group->RecomputeClipRect(0);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymStd::SetShadow(const SSymBrush& brush, int redraw) {
  if (brush == m_shadowBrush) return S_OK;
  m_shadowBrush = brush;  // the picture and the six words
  m_shadowPen.m_color = brush.m_color;
  SetChanged();
  SetSessionModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymStd::SetHasShadow(bool has) {
  if (GetHasShadow() == has) return 1;
  if (RecordFormatChange(SSymFormatEx::FlagShadowStyle,
                         [&](SSymFormatEx& f) { f.m_shadowStyle = has ? 1 : 0; }))
    return S_OK;
  SetShadowStyle(has ? 1 : 0, 0);
  return S_OK;
}

HRESULT SSymStd::SetShadowColor(LONG color) {
  if (GetShadowColor() == color) return 1;
  if (RecordFormatChange(SSymFormatEx::FlagShadowColor,
                         [&](SSymFormatEx& f) { f.m_shadowColor = static_cast<DWORD>(color); }))
    return S_OK;
  m_shadowBrush.m_color = static_cast<DWORD>(color);
  m_shadowPen.m_color = static_cast<DWORD>(color);
  return S_OK;
}

// ---- drawing ------------------------------------------------------------------------------
HRESULT SSymStd::Draw(SSymCanvas& canvas) {
  if (IsHidden() || (m_state & StateNoRedraw)) return 1;
  struct NoRedraw {
    DWORD& state;
    explicit NoRedraw(DWORD& s) : state(s) { state |= StateNoRedraw; }
    ~NoRedraw() { state &= ~static_cast<DWORD>(StateNoRedraw); }
  } scope(m_state);
  if (!(m_state & StateInitialized)) InitialSym(Sym());
  if (GetHasShadow()) DrawShadowByStyle(canvas);
  DrawSymbolShape(canvas);
  return S_OK;
}

void SSymStd::DrawShadowByStyle(SSymCanvas& canvas) {
  switch (m_shadowStyle) {
    case 1:
      canvas.m_bDrawShadow = 1;
      canvas.m_scalerSave = canvas.m_scaler;
      canvas.OffsetViewport(SSymSize(300, -300));
      DrawSymbolShadow(canvas);
      canvas.m_scaler = canvas.m_scalerSave;
      canvas.m_bDrawShadow = 0;
      break;
    case 2: Draw3DEffect(canvas); break;
    case 3: DrawSoftShadow(canvas); break;
    default: break;
  }
}

void SSymStd::Draw3DEffect(SSymCanvas& canvas) {
  const COLORREF c = m_shadowPen.m_color.GetColor();
  const COLORREF d40 = Mix(c, 0, 40, 100), l60 = Mix(c, 0xFFFFFF, 60, 100);
  const COLORREF d20 = Mix(c, 0, 20, 100), l30 = Mix(c, 0xFFFFFF, 30, 100);
  SComWrap<ISSymPolyline> poly(Sym());
  if (!poly.IsNull()) {
    const SSymPen pen = m_pen, shadowPen = m_shadowPen;
    const SSymColor shadowColor = m_shadowBrush.m_color;
    struct Pass {
      SSymSize offset;
      COLORREF color;
      LONG width;
    } passes[4] = {{SSymSize(75, -75), d40, 75}, {SSymSize(-75, 75), l60, 225}, {SSymSize(0, 0), d20, 75},
                   {SSymSize(-75, 75), l30, 75}};
    for (const Pass& p : passes) {
      canvas.m_scalerSave = canvas.m_scaler;
      if (p.offset.cx || p.offset.cy) canvas.OffsetViewport(p.offset);
      m_pen.m_width = m_shadowPen.m_width = p.width;
      m_pen.m_color = m_shadowPen.m_color = m_shadowBrush.m_color = p.color;
      DrawSymbolShadow(canvas);
      canvas.m_scaler = canvas.m_scalerSave;
    }
    m_pen.m_color = d20;
    m_pen.m_width = 0;
    DrawSymbolShape(canvas);
    m_pen = pen;
    m_shadowPen = shadowPen;
    m_shadowBrush.m_color = shadowColor;
    m_shadowPen.m_color = c;
    return;
  }
  const SSymRect rect = m_rect;
  struct Pass {
    LONG inflate, dx, dy;
    COLORREF color;
  } passes[4] = {{150, 0, 0, d40}, {75, -75, 75, l60}, {75, 0, 0, d20}, {0, -75, 75, l30}};
  for (const Pass& p : passes) {
    SSymRect r = rect;
    r.Normalize();
    r.x1 -= p.inflate;
    r.x2 += p.inflate;
    r.y1 += p.inflate;
    r.y2 -= p.inflate;
    r.OffsetRect(p.dx, p.dy);
    m_rect = r;  // for this drawing only, put back below: no change to tell observers of
    m_shadowBrush.m_color = m_shadowPen.m_color = p.color;
    DrawSymbolShadow(canvas);
  }
  m_rect = rect;
  m_shadowBrush.m_color = m_shadowPen.m_color = c;
}

void SSymStd::DrawSoftShadow(SSymCanvas& canvas) {
  const LONG n = Abs(canvas.VPtoDP(SSymSize(450, 0)).cx);
  const SSymSize p = canvas.DPtoVP(SIZE{1, 1});
  const SSymSize step(-Abs(p.cx), Abs(p.cy));
  const COLORREF b = canvas.GetBkBrush().m_color.GetColor();
  const COLORREF s = m_shadowBrush.m_color.GetColor();
  // The middle of the ramp: the background a third of the way to near black.
  const COLORREF m = Mix(b, static_cast<COLORREF>(n), n / 3, n);
  canvas.m_bDrawShadow = 1;
  canvas.m_scalerSave = canvas.m_scaler;
  canvas.OffsetViewport(SSymSize(450, -450));
  const LONG half = n / 2;
  for (LONG i = 0; i < n; ++i) {
    const COLORREF col = i < half ? Mix(b, m, i, half) : Mix(m, s, i - half, n - half);
    m_shadowBrush.m_color = m_shadowPen.m_color = col;
    DrawSymbolShadow(canvas);
    canvas.OffsetViewport(step);
  }
  canvas.m_bDrawShadow = 0;
  canvas.m_scaler = canvas.m_scalerSave;
  m_shadowBrush.m_color = m_shadowPen.m_color = s;
}

void SSymStd::DrawSymbolShape(SSymCanvas& canvas) {
  if (IsHidden()) return;
  canvas.SetPen(m_pen);
  if (GetHasCustomPicture()) DrawCustomSymbol(canvas);
  else ShadowFace()->DrawSymbol(canvas);
}

void SSymStd::DrawSymbolShadow(SSymCanvas& canvas) {
  if (IsHidden()) return;
  canvas.SetPen(m_shadowPen);
  canvas.SetBrush(m_shadowBrush, 0);
  if (GetHasCustomPicture()) DrawCustomShadow(canvas);
  else ShadowFace()->DrawShadow(canvas);
}

namespace {
// The custom-shape face's picture getter lives with the solid symbol; this
// base only needs to know whether the face is there.
bool HasCustomShapeFace(IUnknown* unk, const char* function) {
  SComOut<IUnknown> face;
  const HRESULT hr = unk->QueryInterface(IID_ISSymCustomShape, face.Void());
  if (FAILED(hr) && hr != E_NOINTERFACE) throw SECOMException(function, __FILE__, __LINE__, hr);
  return SUCCEEDED(hr) && face;
}
}  // namespace

// Custom pictures exist only on symbols with the custom-shape face (the
// solid symbol draws them itself); here the bare shape stands.
void SSymStd::DrawCustomSymbol(SSymCanvas& canvas) {
  HasCustomShapeFace(Sym(), "SSymStd::DrawCustomSymbol");
  ShadowFace()->DrawSymbol(canvas);
}

void SSymStd::DrawCustomShadow(SSymCanvas& canvas) {
  HasCustomShapeFace(Sym(), "SSymStd::DrawCustomShadow");
  ShadowFace()->DrawShadow(canvas);
}

HRESULT SSymStd::DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (!IsVisibleInRect(canvas, rect)) return 1;
  ShadowFace()->DrawSymbol(canvas);
  return S_OK;
}

HRESULT SSymStd::DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (!GetHasShadow() || !IsVisibleInRect(canvas, rect)) return 1;
  canvas.m_scalerSave = canvas.m_scaler;
  canvas.m_bDrawShadow = 1;
  canvas.OffsetViewport(SSymSize(300, -300));
  ShadowFace()->DrawShadow(canvas);
  canvas.m_scaler = canvas.m_scalerSave;
  canvas.m_bDrawShadow = 0;
  return S_OK;
}

SSymRect SSymStd::GetClipRect(int withShadow, int b) {
  SSymRect r = SSymBase::GetClipRect(withShadow, b);
  r.Normalize();
  if (withShadow && GetHasShadow()) {
    switch (m_shadowStyle) {
      case 1:
        r.x2 += 300;
        r.y2 -= 300;
        break;
      case 2:
        r.x1 -= 150;
        r.x2 += 150;
        r.y1 += 150;
        r.y2 -= 150;
        break;
      case 3:
        r.x2 += 450;
        r.y2 -= 450;
        break;
      default: break;
    }
  }
  return r;
}

// ---- formats ------------------------------------------------------------------------------
HRESULT SSymStd::GetFormat(SSymFormatEx& format) {
  format.m_flags |= SSymFormatEx::FlagPen | SSymFormatEx::FlagShadowColor | SSymFormatEx::FlagShadowStyle;
  format.m_pen = m_pen;
  format.m_shadowColor = m_shadowBrush.m_color;
  format.m_shadowStyle = m_shadowStyle;
  SColorDlg::AddCustomColor(m_pen.m_color.GetColor());
  SColorDlg::AddCustomColor(m_shadowBrush.m_color.GetColor());
  return SSymBase::GetFormat(format);
}

HRESULT SSymStd::SetFormat(const SSymFormatEx& format) {
  bool changed = false;
  if ((format.m_flags & SSymFormatEx::FlagPen) && format.m_pen != m_pen) {
    static_cast<ISSymPen*>(this)->SetPen(format.m_pen, 1);
    m_shadowPen.m_style = m_pen.m_style;
    m_shadowPen.m_width = m_pen.m_width;
    changed = true;
  }
  if ((format.m_flags & SSymFormatEx::FlagShadowColor) &&
      format.m_shadowColor.GetColor() != m_shadowBrush.m_color.GetColor()) {
    m_shadowBrush.m_color = format.m_shadowColor;
    m_shadowPen.m_color = format.m_shadowColor;
    changed = true;
  }
  if ((format.m_flags & SSymFormatEx::FlagShadowStyle) && format.m_shadowStyle != m_shadowStyle) {
    SetShadowStyle(static_cast<SHORT>(format.m_shadowStyle), 1);
    changed = true;
  }
  if (changed) {
    SetChanged();
    SetSessionModified();
  }
  return SSymBase::SetFormat(format);
}

// ---- blobs ----------------------------------------------------------------------------------
HRESULT SSymStd::SetBlobData(const SBlob& blob) {
  // The standard symbol writes an empty blob: reading it back is not an
  // error, there is simply no older form to take over.
  if (blob.IsEmpty()) return S_OK;
  try {
    SInputGlobal in(blob);
    return OnSetBlobData(in);
  } catch (const SException& e) {
    SString text(u"Set Blob Data of ");
    text += GetDispName();
    text += SString(u" ");
    text += e.GetText();
    SExceptionDialog::Show("SSymStd::SetBlobData", "sym/src/symbase", __LINE__, text);
    if (const auto* com = dynamic_cast<const SECOMException*>(&e))
      if (FAILED(com->GetResult())) return com->GetResult();
    return E_FAIL;
  }
}

HRESULT SSymStd::OnSetBlobData(SInputStream& stream) {
  SSymInputStream in(stream);
  SSymPen pen;
  LONG outline = 0, shadow = 0;
  in >> pen;
  in >> outline;
  in >> shadow;
  // Read whole before anything changes.
  if (pen.m_width > 225) pen.m_width = 0;
  m_pen = pen;
  m_shadowPen.m_color = static_cast<DWORD>(outline);
  m_shadowBrush.m_color = static_cast<DWORD>(shadow);
  return S_OK;
}

// ---- SSymBlob -----------------------------------------------------------------------------
KV_SYM_DEFINE_CLASS_TABLES(SSymBlob)

SBlob SSymBlob::GetBlobData() {
  SOutputGlobal out;
  OnGetBlobData(out);
  return out.GetBlob();
}

HRESULT SSymBlob::SetBlobData(const SBlob& blob) {
  SInputGlobal in(blob);
  // The reader's answer is passed on: a blob it could not read is not success.
  return OnSetBlobData(in);
}

HRESULT SSymBlob::GetFormat(SSymFormatEx& format) {
  SSymKeepToFormat(*this, format);
  return S_OK;
}

HRESULT SSymBlob::SetFormat(const SSymFormatEx& format) {
  const bool changed = SSymKeepFromFormat(*this, format) != 0;
  if (changed) {
    SetChanged();
    SetSessionModified();
  }
  return S_OK;
}
