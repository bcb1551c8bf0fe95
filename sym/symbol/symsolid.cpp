#include "sym/symbol/symsolid.h"

#include <cmath>

#include "kvcore/sexception.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symdate.h"
#include "sym/foundation/symclassreg.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfview.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The picture identifier properties as repository object identifiers.
SRepOID_ PictureOID(SPictureInfo* p) { return p ? SRepOID_(p->GetID()) : SRepOID_(); }

HRESULT GetBackgroundID(SRepObject* o, SRepVariant& out) {
  out.SetOID(PictureOID(static_cast<SSymSolid*>(o)->GetBackgroundPicture()));
  return S_OK;
}
HRESULT SetBackgroundID(SRepObject* o, const SRepVariant& in) {
  SRepOID_ id;
  HRESULT hr = SRepFromVariant(in, id);
  if (FAILED(hr)) return hr;
  return static_cast<SSymSolid*>(o)->SetBackgroundPictureID(id.id);
}
HRESULT GetCustomID(SRepObject* o, SRepVariant& out) {
  out.SetOID(SRepOID_(static_cast<SSymSolid*>(o)->GetCustomPictureID()));
  return S_OK;
}
HRESULT SetCustomID(SRepObject* o, const SRepVariant& in) {
  SRepOID_ id;
  HRESULT hr = SRepFromVariant(in, id);
  if (FAILED(hr)) return hr;
  return static_cast<SSymSolid*>(o)->SetCustomPictureID(id.id);
}
template <auto Get>
HRESULT GetText(SRepObject* o, SRepVariant& out) {
  out.SetTEXT((static_cast<SSymSolid*>(o)->*Get)());
  return S_OK;
}

SRepVariant LongValue(LONG v) {
  SRepVariant out;
  SRepToVariant(v, SRepVT_LONG, out);
  return out;
}
SRepVariant BoolValue(bool v) {
  SRepVariant out;
  SRepToVariant(v, SRepVT_BOOL, out);
  return out;
}

// The file name of a picture that is not a predefined shape.
SString PictureFile(SPictureInfo* p) {
  if (!p || p->GetType() == SPictureInfo::ptSymbol) return SString();
  return p->GetFileName();
}
}  // namespace

// The accessors of the solid symbol's attributes, by attribute code.
KV_SYM_ACCESSORS(SSymSolid) {
  KV_SYM_GETSET(Transparent, GetTransparent, SetTransparentProp);
  KV_SYM_GETSET(FillColor, GetFillColor, SetFillColor);
  KV_SYM_GETSET(BrushStyle, GetBrushStyle, SetBrushStyle);
  KV_SYM_GETSET(GradientFillMode, GetGradientFillMode, SetGradientFillMode);
  KV_SYM_GETSET(GradientEndColor, GetGradientEndColor, SetGradientEndColor);
  KV_SYM_GETSET(PictureFillMode, GetPictureFillMode, SetPictureFillMode);
  KV_SYM_FIELD(IsAutoAdjusted, m_bAutoAdjusted);
  KV_SYM_FIELD(IsManuallyResized, m_bManuallyResized);
  KV_SYM_GETSET(KeepAspect, GetKeepAspect, SetKeepAspect);
  KV_SYM_GETSET(KeepCenter, GetKeepCenter, SetKeepCenter);
  KV_SYM_GETSET(KeepSize, GetKeepSize, SetKeepSize);
  KV_SYM_GETSET(CustomPictureType, GetCustomPictureType, SetCustomPictureType);
  KV_SYM_FIELD(CustomTextMode, m_customTextMode);
  KV_SYM_THUNKS(BackgroundPictureID, &GetBackgroundID, &SetBackgroundID);
  KV_SYM_THUNKS(CustomPictureID, &GetCustomID, &SetCustomID);
  KV_SYM_THUNKS(BackgroundPictureFile, &GetText<&SSymSolid::GetBackgroundPictureFile>,
                &SRepSetThunk<&SSymSolid::SetBackgroundPictureFile>);
  KV_SYM_THUNKS(CustomPictureFile, &GetText<&SSymSolid::GetCustomPictureFile>,
                &SRepSetThunk<&SSymSolid::SetCustomPictureFile>);
  KV_SYM_GETSET(CustomShapeType, GetCustomShapeType, SetCustomShapeType);
};
KV_SYM_REGISTER(SSymSolid, nullptr);

// ---- custom picture words ----------------------------------------------------------------
namespace {
std::vector<SPictureInfo*>& PictureWords() {
  static std::vector<SPictureInfo*> words;
  return words;
}
}  // namespace

LONG SSymCustomPictureWord(SPictureInfo* picture) {
  if (!picture) return 0;
  auto& words = PictureWords();
  for (std::size_t i = 0; i < words.size(); ++i)
    if (words[i] == picture) return static_cast<LONG>(i + 1);
  words.push_back(picture);
  return static_cast<LONG>(words.size());
}

SPictureInfo* SSymCustomPictureFromWord(LONG word) {
  const auto& words = PictureWords();
  if (word <= 0 || static_cast<std::size_t>(word) > words.size()) return nullptr;
  return words[static_cast<std::size_t>(word) - 1];
}

// ---- construction -------------------------------------------------------------------------
SSymSolid::SSymSolid(const SSymRect& rect, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(rect, session, clsid) {
  Init();
}

SSymSolid::SSymSolid(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { Init(); }

void SSymSolid::Init() {
  // Counted in the session the symbol is made in; a copy is not counted
  // (it has no session when it is built).
  if (SRepSession* s = GetSessionImpl()) {
    s->AddLiveSymbol();
    m_pCountedIn = s;
  }
  m_brush = SSymBrush(1, 0, SSymColor(0xFFFFFF));
  m_brush.m_bitmapMode = 12;
  m_brush.m_gradientMode = 0;
  m_brush.m_endColor = SSymColor(0x767676);
  m_bAutoAdjusted = 1;
  m_bManuallyResized = g_IsSymbolResized() ? 1 : 0;
}

SSymSolid::SSymSolid(const SSymSolid& source)
    : SRepFaces(source),
      m_brush(source.m_brush),
      m_bAutoAdjusted(source.m_bAutoAdjusted),
      m_bManuallyResized(source.m_bManuallyResized),
      m_customPictureType(source.m_customPictureType),
      m_customTextMode(source.m_customTextMode) {
  // Taken over through the setter so that it is registered again.
  if (source.m_pCustomPicture) ReplaceCustomPicture(source.m_pCustomPicture);
}

SSymSolid::~SSymSolid() {
  if (m_pCountedIn && SRepSession::IsAlive(m_pCountedIn)) m_pCountedIn->RemoveLiveSymbol();
  SComOut<SPictureInfo> drop(std::exchange(m_pCustomPicture, nullptr));
}

KV_SYM_DEFINE_CLASS_TABLES(SSymSolid)

HRESULT SSymSolid::HasAttribute(LONG id) {
  if (id == SymAttr::BackgroundPictureFile || id == SymAttr::CustomPictureFile || id == SymAttr::CustomShapeType ||
      id == SymAttr::Transparent)
    return S_OK;
  return SSymBase::HasAttribute(id);
}

// ---- fill and transparency ---------------------------------------------------------------------
HRESULT SSymSolid::SetBrush(const SSymBrush& brush, int redraw) {
  if (brush == m_brush) return S_OK;
  if (brush.GetPicture() != m_brush.GetPicture()) SetBackgroundPicture(brush.GetPicture());
  m_brush = brush;
  SetChanged();
  SetSessionModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::SetFillMode(int transparent) {
  if (CanFill()) {
    SetTransparent(transparent & 1);
    if (transparent) m_brush.m_style = SSymBrush::Hollow;
    else if (m_brush.m_style == SSymBrush::Hollow) m_brush.m_style = SSymBrush::Solid;
  }
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::SetTransparentProp(bool on) {
  SetTransparent(on ? 1 : 0);
  return S_OK;
}

HRESULT SSymSolid::SetBrushStyle(LONG style) {
  m_brush.m_style = style >= 1 && style <= 8 ? style : 1;
  return S_OK;
}

void SSymSolid::DrawSymbolShape(SSymCanvas& canvas) {
  if (IsHidden()) return;
  if ((Flags & FlagTransparent) && m_brush.m_style != SSymBrush::Hollow) m_brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(m_brush, 0);
  SSymStd::DrawSymbolShape(canvas);
}

void SSymSolid::DrawCustomSymbol(SSymCanvas& canvas) {
  SComWrap<ISSymCustomShape> face(Sym());
  SPictureInfo* picture = face.IsNull() ? nullptr : face->GetCustomPicture();
  if (!picture) {
    ShadowFace()->DrawSymbol(canvas);
    return;
  }
  SSymRect r = m_rect;
  r.Normalize();
  canvas.DrawPicture(r, picture, (Flags & FlagTransparent) ? 1 : 0);
}

bool SSymSolid::RecordAttrChange(LONG id, const SRepVariant& now, const SRepVariant& next) {
  ISRepContext* ctx = SetterContext();
  if (!ctx) return false;
  ctx->AddAction(std::make_unique<SRepActionAttr>(Obj(), id, ctx->IsRecording() ? now : next));
  return InLockoutContext() != 0;
}

HRESULT SSymSolid::SetFillColor(LONG color) {
  if (GetFillColor() == color) return 1;
  if (RecordAttrChange(SymAttr::FillColor, LongValue(GetFillColor()), LongValue(color))) return S_OK;
  m_brush.m_color = static_cast<DWORD>(color);
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::SetGradientFillMode(LONG mode) {
  if (GetGradientFillMode() == mode) return 1;
  if (RecordAttrChange(SymAttr::GradientFillMode, LongValue(GetGradientFillMode()), LongValue(mode))) return S_OK;
  m_brush.m_gradientMode = mode;
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::SetGradientEndColor(LONG color) {
  if (GetGradientEndColor() == color) return 1;
  if (RecordAttrChange(SymAttr::GradientEndColor, LongValue(GetGradientEndColor()), LongValue(color)))
    return S_OK;
  m_brush.m_endColor = static_cast<DWORD>(color);
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::SetPictureFillMode(LONG mode) {
  if (GetPictureFillMode() == mode) return 1;
  const bool removePicture = mode == 12 && m_brush.GetPicture();
  if (RecordFormatChange(SSymFormatEx::FlagBrush, [&](SSymFormatEx& f) {
        if (removePicture) {
          f.m_brush.SetPicture(nullptr);
          if (f.m_brush.m_style == 5 || f.m_brush.m_style == 7) f.m_brush.m_style = 1;
        }
        f.m_brush.m_bitmapMode = mode;
      }))
    return S_OK;
  if (removePicture) SetBackgroundPicture(nullptr);
  else m_brush.m_bitmapMode = mode;
  return S_OK;
}

// ---- background picture --------------------------------------------------------------------------
GUID SSymSolid::GetBackgroundPictureID() {
  SPictureInfo* p = m_brush.GetPicture();
  return p ? p->GetID() : GUID_NULL;
}

HRESULT SSymSolid::SetBackgroundPictureID(const GUID& id) {
  if (ISRepContext* ctx = SetterContext()) {
    SRepVariant v;
    v.SetOID(ctx->IsRecording() ? SRepOID_(GetBackgroundPictureID()) : SRepOID_(id));
    ctx->AddAction(std::make_unique<SRepActionAttr>(Obj(), SymAttr::BackgroundPictureID, v));
    if (InLockoutContext()) return S_OK;
  }
  if (id != GUID_NULL) {
    SPictureManager manager;
    if (SPictureInfo* p = manager.GetPictureInfo(id)) SetBackgroundPicture(p);
  } else if (m_brush.GetPicture()) {
    SetBackgroundPicture(nullptr);
  }
  return S_OK;
}

SString SSymSolid::GetBackgroundPictureFile() { return PictureFile(m_brush.GetPicture()); }

HRESULT SSymSolid::SetBackgroundPictureFile(const SString& file) {
  SPictureManager manager;
  SPictureInfo* p = file.IsEmpty() ? nullptr
                                   : manager.LoadPicture(SPictureInfo::GetTypeFromExtension(file), file, 0, SString());
  // A file that cannot be read leaves the symbol as it is.
  if (!file.IsEmpty() && !p) return E_FAIL;
  SetBackgroundPicture(p);
  return S_OK;
}

SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> SSymSolid::PictureHolder() {
  SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> holder;
  if (SRepSession* s = GetSessionImpl()) holder = SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder>(
                                             static_cast<ISRepSession*>(s));
  return holder;
}

namespace {
// The brush after taking a picture (or losing it).
void TakePicture(SSymBrush& brush, SPictureInfo* picture) {
  brush.SetPicture(picture);
  if (picture) {
    if (brush.m_bitmapMode == 12) brush.m_bitmapMode = 8;
    if (brush.m_style != 5 && brush.m_style != 7) brush.m_style = 5;
  } else {
    brush.m_bitmapMode = 12;
    if (brush.m_style == 5 || brush.m_style == 7) brush.m_style = 1;
  }
}
}  // namespace

BOOL SSymSolid::SetBackgroundPicture(SPictureInfo* picture) {
  auto holder = PictureHolder();
  if (picture == m_brush.GetPicture()) {
    if (picture && !holder.IsNull()) {
      holder->RemovePicture(Obj(), picture);
      holder->AddPicture(Obj(), picture);
    }
    return TRUE;
  }
  if (ISRepContext* ctx = SetterContext()) {
    SSymFormatEx format;
    Sym()->GetFormat(format);
    format.m_flags = SSymFormatEx::FlagBrush;
    if (!ctx->IsRecording()) TakePicture(format.m_brush, picture);
    auto action = std::make_unique<SSymActionFormat>(ctx);
    action->AddSymbol(Sym(), format);
    ctx->AddAction(std::move(action));
    if (InLockoutContext()) return FALSE;
  }
  if (!holder.IsNull()) {
    if (m_brush.GetPicture()) holder->RemovePicture(Obj(), m_brush.GetPicture());
    if (picture) holder->AddPicture(Obj(), picture);
  }
  TakePicture(m_brush, picture);
  return TRUE;
}

// ---- custom picture ---------------------------------------------------------------------------------
SPictureInfo* SSymSolid::GetCustomPicture() {
  if (!m_pCustomPicture) return nullptr;
  if (HasIconMode()) {
    SRepVariant v;
    if (GetAttribute(SymAttr::IconMode, &v) == S_OK && v.GetLONG() == 1) return nullptr;
  }
  return m_pCustomPicture;
}

void SSymSolid::ReplaceCustomPicture(SPictureInfo* picture) {
  auto holder = PictureHolder();
  if (!holder.IsNull()) {
    if (m_pCustomPicture) holder->RemovePicture(Obj(), m_pCustomPicture);
    if (picture) holder->AddPicture(Obj(), picture);
  }
  if (picture) picture->AddRef();
  SComOut<SPictureInfo> old(std::exchange(m_pCustomPicture, picture));
}

HRESULT SSymSolid::SetCustomPicture(SPictureInfo* picture) {
  SRepSession* s = GetSessionImpl();
  if (s && !s->IsBusy() && (Flags & 0x100)) return S_OK;
  if (picture == m_pCustomPicture) {
    if (!picture) {
      m_customPictureType = 0;
      m_customTextMode = 0;
    } else {
      auto holder = PictureHolder();
      if (!holder.IsNull() && !holder->HasPicture(Obj(), picture)) holder->AddPicture(Obj(), picture);
    }
    return S_OK;
  }
  ReplaceCustomPicture(picture);
  if (!picture) {
    m_customPictureType = 0;
    m_customTextMode = 0;
    return S_OK;
  }
  m_customPictureType = picture->GetType();
  SSymRect r = m_rect;
  r.Normalize();
  if (r.Width() <= 201 || r.Height() <= 201) {
    SIZE px = picture->GetPictureSize();
    if (px.cx > 64) px.cx = 64;
    if (px.cy > 64) px.cy = 64;
    SSymDeftCanvas screen;
    SSymSize units = screen.DPtoVP(px);
    SSymRect to = r;
    to.SetSize(units.cx < 0 ? -units.cx : units.cx, units.cy < 0 ? -units.cy : units.cy);
    PutRect(to);
  }
  return S_OK;
}

GUID SSymSolid::GetCustomPictureID() {
  SPictureInfo* p = GetCustomPicture();
  return p ? p->GetID() : GUID_NULL;
}

HRESULT SSymSolid::SetCustomPictureID(const GUID& id) {
  if (ISRepContext* ctx = SetterContext()) {
    SRepVariant v;
    v.SetOID(ctx->IsRecording() ? SRepOID_(GetCustomPictureID()) : SRepOID_(id));
    ctx->AddAction(std::make_unique<SRepActionAttr>(Obj(), SymAttr::CustomPictureID, v));
    if (InLockoutContext()) return S_OK;
  }
  if (id != GUID_NULL) {
    SPictureManager manager;
    if (SPictureInfo* p = manager.GetPictureInfo(id)) SetCustomPicture(p);
  } else if (m_pCustomPicture) {
    SetCustomPicture(nullptr);
  }
  return S_OK;
}

SString SSymSolid::GetCustomPictureFile() { return PictureFile(GetCustomPicture()); }

HRESULT SSymSolid::SetCustomPictureFile(const SString& file) {
  SPictureManager manager;
  SPictureInfo* p = file.IsEmpty() ? nullptr
                                   : manager.LoadPicture(SPictureInfo::GetTypeFromExtension(file), file, 0, SString());
  // A file that cannot be read leaves the symbol as it is.
  if (!file.IsEmpty() && !p) return E_FAIL;
  ISRepContext* ctx = SetterContext();
  SComOut<ISSymDiagram> d;
  if (ctx && GetDiagram(&d) == S_OK && d) {
    SSymView* view = d->GetFirstView();
    d.Reset();
    SSymFormatEx before;
    Sym()->GetFormat(before);
    auto action = std::make_unique<SSymActionFormat>(ctx);
    action->AddSymbol(Sym(), before);
    ctx->AddAction(std::move(action));
    SSymFormatEx next;
    next.m_flags = SSymFormatEx::FlagCustomShape;
    next.m_margins[3] = SSymCustomPictureWord(p);
    next.m_margins[4] = m_customTextMode;
    if (p) {
      struct Scale : ISSymPixelScale {
        SSymView* view;
        explicit Scale(SSymView* v) : view(v) {}
        SSymSize PixelsToUnits(const SSymSize& px) const override {
          return SSymPixelsToUnits(view, SIZE{px.cx, px.cy});
        }
      } scale(view);
      SSymRect r = m_rect;
      r.Normalize();
      const SIZE px = p->GetPictureSize();
      next.m_flags |= SSymFormatEx::FlagSize1;
      next.m_size = ComputePictureSymbolSize(scale, SSymSize(r.Width(), r.Height()), SSymSize(px.cx, px.cy));
    }
    // The format keeps the rest of the symbol as it is.
    SSymFormatEx current;
    Sym()->GetFormat(current);
    next.m_fill = current.m_fill;
    Redraw(nullptr);
    Sym()->SetFormat(next);
    Redraw(nullptr);
    return S_OK;
  }
  return SetCustomPicture(p);
}

LONG SSymSolid::GetCustomPictureType() {
  SPictureInfo* p = GetCustomPicture();
  return p ? p->GetType() : m_customPictureType;
}

HRESULT SSymSolid::SetCustomPictureType(LONG type) {
  if (type != 0) m_customPictureType = type;
  else if (m_pCustomPicture) SetCustomPicture(nullptr);
  else m_customPictureType = 0;
  return S_OK;
}

HRESULT SSymSolid::SetCustomTextMode(LONG mode) {
  m_customTextMode = mode;
  return S_OK;
}

LONG SSymSolid::GetCustomShapeType() {
  SPictureInfo* p = GetCustomPicture();
  return p && p->GetType() == SPictureInfo::ptSymbol ? p->GetSymbolType() : 0;
}

HRESULT SSymSolid::SetCustomShapeType(LONG type) {
  if (type != 0) {
    SPictureInfo* p = SSymFindSymbolPicture(type);
    if (!p) return 1;
    SetCustomPicture(p);
    return S_OK;
  }
  if (m_pCustomPicture && m_pCustomPicture->GetType() == SPictureInfo::ptSymbol) {
    SetCustomPicture(nullptr);
    return S_OK;
  }
  return 1;
}

// ---- display preferences and icon mode ---------------------------------------------------------------
ISSymDispPref* SSymSolid::GetDispPref() {
  SRepSession* s = GetSessionImpl();
  if (!s || s->IsBusy()) return nullptr;
  SComOut<ISSymDiagram> d;
  if (GetDiagram(&d) != S_OK || !d) return nullptr;
  return SSymGetDispPrefPtr(d);
}

bool SSymSolid::HasIconMode() {
  if (SSymBase::HasAttribute(SymAttr::IconMode) != S_OK) return false;
  SComOut<ISRepObject> parent;
  if (Obj()->GetParent(&parent) != S_OK || !parent) return false;
  RepObjWrap parentObj;
  parentObj = parent.Get();
  SComWrap<ISSymCompSym> comp(parentObj);
  if (comp.IsNull()) return false;
  SComWrap<ISSymObject> shown(parentObj);
  if (shown.IsNull()) return false;
  SComOut<ISRepObject> model;
  if (shown->GetModelObject(&model) != S_OK || !model) return false;
  const CLSID cls = SRepGetExtClsid(model);
  ISSymDispPref* prefs = GetDispPref();
  return prefs && (prefs->GetClassFlags(cls) & ISSymDispPref::ClassIcon);
}

// ---- natural size ---------------------------------------------------------------------------------------
SSymSize SSymSolid::GetNormalSize() {
  if (SPictureInfo* p = GetCustomPicture()) {
    SComOut<ISSymDiagram> d;
    if (_GetOwner(d.Void(), IID_ISSymDiagram) == S_OK && d) {
      SSymView* view = d->GetFirstView();
      d.Reset();
      if (view) return SSymPixelsToUnits(view, p->GetPictureSize());
    }
  }
  return SSymSize(4800, 3600);
}

HRESULT SSymSolid::NormalSize(int redraw) {
  if (Flags & 0x8) return S_OK;
  SSymRect from = m_rect;
  from.Normalize();
  SSymRect to = from;
  const SSymSize size = GetNormalSize();
  to.SetSize(size.cx, size.cy);
  SComOut<ISSymDiagram> d;
  if (GetDiagram(&d) == S_OK && d) d->SnapToGrid(to);
  if (!(to == from)) return TransformOnto(to, redraw);
  return S_OK;
}

// ---- adjustment to the text ------------------------------------------------------------------------------
HRESULT SSymSolid::AdjustText(SSymCanvas& canvas, int redraw, int record) {
  SRepSession* s = GetSessionImpl();
  if (!s || IsDeleting() || s->IsBusy() || s->IsHandlingSuppressed()) return S_OK;
  if (redraw) Redraw(nullptr);
  const SHORT style = m_shadowStyle;
  m_shadowStyle = 0;
  const SSymRect clip = GetClipRect(0, 0);
  SSymRect fitted = clip;
  const HRESULT answer = GetAdjustRect(canvas, clip, fitted);
  if (answer == 0) {
    if (record) CreateUndoSizeInfo(fitted, 1);
    else if (!(fitted == clip)) TransformOnto(fitted, 1);
  } else if (answer == 1 && CustomShapeTest1() == 0) {
    if (!(fitted == clip)) TransformOnto(fitted, 1);
  }
  m_shadowStyle = style;
  if (redraw) Redraw(nullptr);
  PostAdjustToText();
  return S_OK;
}

HRESULT SSymSolid::AutoAdjustText(int a, int b) {
  if (m_display & SSymKeep::Size) return 0;
  SComOut<ISSymDiagram> d;
  if (GetDiagram(&d) != S_OK || !d) return 1;
  return d->AdjustSymbolToText(Sym(), a != 0, b != 0) ? 0 : 1;
}

HRESULT SSymSolid::SetAdjust(bool adjusted, int redraw) {
  m_bAutoAdjusted = adjusted ? 1 : 0;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSolid::PostAdjustToText() {
  if (HasAttribute(SymAttr::IsManuallyResized) == S_OK) SetAttribute(SymAttr::IsManuallyResized, BoolValue(false));
  if (!ShouldManageTempResize()) SetAttribute(SymAttr::IsAutoAdjusted, BoolValue(false));
  return S_OK;
}

int SSymSolid::CreateUndoAdjust(int flag) {
  SRepSession* s = GetSessionImpl();
  if (!s) return 1;
  SRepContext* ctx = s->Current();
  if (!ctx) return 1;
  const bool recording = ctx->IsRecording() != 0;
  if (recording || InLockoutContext()) {
    SRepActionBase* last = ctx->GetLastAction();
    if (last && last->m_type == SSymAction_Adjust) {
      auto* adjust = static_cast<SSymActionAdjust*>(last);
      if (!adjust->Contains(Sym())) adjust->AddSymbol(Sym());
    } else {
      auto adjust = std::make_unique<SSymActionAdjust>(recording ? !flag : flag != 0);
      adjust->AddSymbol(Sym());
      ctx->AddAction(std::move(adjust));
    }
    return recording ? 1 : 0;
  }
  SRepVariant now;
  now.SetDATE(SSymNowDate());
  SetAttribute(SymAttr::MDAT, now);
  m_bAutoAdjusted = flag ? 1 : 0;
  return 0;
}

HRESULT SSymSolid::SetAttribute(LONG id, const SRepVariant& value) {
  const HRESULT hr = SSymBase::SetAttribute(id, value);
  if (SRepObjectMem::InLockoutContext() && g_bUpdAllInLockout) {
    if (id == SymAttr::IsAutoAdjusted) m_bAutoAdjusted = value.GetLONG() ? 1 : 0;
    else if (id == SymAttr::IsManuallyResized) m_bManuallyResized = value.GetLONG() ? 1 : 0;
  }
  return hr;
}

// ---- formats ----------------------------------------------------------------------------------------------------
HRESULT SSymSolid::GetFormat(SSymFormatEx& format) {
  if (!(Flags & FlagTransparent)) {
    format.m_flags |= SSymFormatEx::FlagBrush;
    format.m_fill = 1;
    format.m_brush = m_brush;
  } else {
    format.m_flags &= ~static_cast<DWORD>(SSymFormatEx::FlagBrush);
    format.m_fill = 0;
  }
  format.m_flags |= SSymFormatEx::FlagTextStyle;
  format.m_textFlag = m_bAutoAdjusted;
  SSymKeepToFormat(*this, format);
  format.m_flags |= SSymFormatEx::FlagCustomShape;
  format.m_margins[3] = SSymCustomPictureWord(m_pCustomPicture);
  format.m_margins[4] = m_customTextMode;
  return SSymStd::GetFormat(format);
}

HRESULT SSymSolid::SetFormat(const SSymFormatEx& format) {
  bool changed = false;
  // 1. transparency
  const int transparent = format.m_fill == 1 ? 0 : 1;
  if (transparent != (GetFillMode() ? 0 : 1)) {
    SetFillMode(transparent);
    changed = true;
  }
  // 2. the brush
  if (format.m_flags & SSymFormatEx::FlagBrush) {
    const SSymBrush& b = format.m_brush;
    if (b != m_brush) {
      if (b.GetPicture() != m_brush.GetPicture()) SetBackgroundPicture(b.GetPicture());
      m_brush.SetPicture(b.GetPicture());
      m_brush.m_style = b.m_style;
      m_brush.m_hatch = b.m_hatch;
      m_brush.m_color = b.m_color;
      m_brush.m_bitmapMode = b.m_bitmapMode;
      m_brush.m_gradientMode = b.m_gradientMode;
      m_brush.m_endColor = b.m_endColor;
      changed = true;
    }
  }
  // 3. auto-adjustment
  if ((format.m_flags & SSymFormatEx::FlagTextStyle) && (format.m_textFlag != 0) != (m_bAutoAdjusted != 0)) {
    m_bAutoAdjusted = format.m_textFlag ? 1 : 0;
    if (m_bAutoAdjusted && (format.m_flags & SSymFormatEx::FlagApplyMarks)) m_bManuallyResized = 0;
    changed = true;
  }
  // 4. keep flags
  const DWORD keepChanged = SSymKeepFromFormat(*this, format);
  if (keepChanged) changed = true;
  if (keepChanged & SSymKeep::Size) {
    SComWrap<ISSymCompSym> comp(Sym());
    if (!comp.IsNull()) {
      if (!GetKeepSize() && !IsInUndoContext()) {
        SComWrap<ISSymGroup> group(Sym());
        if (!group.IsNull()) group->RecomputeClipRect(1);  // the composite fits itself again
      }
      SComTable<ISSymbol> children;
      comp->GetAllChildren(children, 1);
      SUnsortedComBag<ISSymbol> redraw;
      for (int i = 0; i < children.GetCount(); ++i) {
        ISSymbol* child = children.GetAt(i);
        if (!child || child->IsHidden()) continue;
        redraw.Add(child);
        SComWrap<ISSymLinkable> linkable(child);
        if (linkable.IsNull()) continue;
        const SComBag<ISSymLink>& links = linkable->GetLinks();
        for (int k = 0; k < links.GetCount(); ++k) {
          SComWrap<ISSymbol> link(links.GetAt(k));
          if (!link.IsNull()) redraw.Add(link);
        }
      }
      for (int i = 0; i < redraw.GetOrderCount(); ++i) redraw.GetOrderAt(i)->Redraw(nullptr);
    }
  }
  // 5. custom picture
  if (format.m_flags & SSymFormatEx::FlagCustomShape) {
    SPictureInfo* p = SSymCustomPictureFromWord(format.m_margins[3]);
    if (p != m_pCustomPicture) {
      SetCustomPicture(p);
      changed = true;
    }
    if (p && format.m_margins[4] != m_customTextMode) {
      SetCustomTextMode(format.m_margins[4]);
      changed = true;
    }
  }
  // 6. size
  if (format.m_flags & SSymFormatEx::FlagSize1) {
    SSymRect clip = GetClipRect(0, 0);
    clip.Normalize();
    if (clip.Width() != format.m_size.cx || clip.Height() != format.m_size.cy) {
      SSymRect to = clip;
      to.SetSize(format.m_size.cx, format.m_size.cy);
      TransformOnto(to, 1);
      changed = true;
    }
  }
  if (changed) {
    SetChanged();
    SetSessionModified();
  }
  return SSymStd::SetFormat(format);
}

// ---- collection membership ----------------------------------------------------------------------------------
void SSymSolid::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) {
  if (id == SymAttr::ParentColl && m_pCustomPicture) {
    auto holder = PictureHolder();
    if (!holder.IsNull()) holder->AddPicture(Obj(), m_pCustomPicture);
  }
  SSymBase::OnCollectionInsert(id, owner, pos);
}

void SSymSolid::OnCollectionRemove(LONG id, ISRepObject* other) {
  if (id == SymAttr::ParentColl && m_pCustomPicture) {
    auto holder = PictureHolder();
    if (!holder.IsNull()) {
      holder->RemovePicture(Obj(), m_pCustomPicture);
      if (m_brush.GetPicture()) holder->RemovePicture(Obj(), m_brush.GetPicture());
    }
  }
  SSymBase::OnCollectionRemove(id, other);
}

// ---- blobs -----------------------------------------------------------------------------------------------------------
HRESULT SSymSolid::OnSetBlobData(SInputStream& stream) {
  SSymInputStream in(stream);
  SSymBrush brush;
  in >> brush;
  const SSymBrush before = m_brush;
  m_brush = brush;
  try {
    return SSymStd::OnSetBlobData(stream);
  } catch (...) {
    m_brush = before;  // never half read
    throw;
  }
}

// ---- free functions ---------------------------------------------------------------------------------------------
namespace {
int& ManageTempResizeState() {
  static int state = -1;
  return state;
}
}  // namespace

bool ShouldManageTempResize() {
  int& state = ManageTempResizeState();
  if (state < 0) {
    SUserRegistry reg(SUserRegistry::sApplicationGeneral);
    SString value;
    reg.GetProfile(SString(u"DisableAdjustOnResize"), &value, SString());
    SString no(u"no");
    state = value.CompareNoCase(no) == 0 ? 1 : 0;
  }
  return state == 1;
}

void SSymResetManageTempResize() { ManageTempResizeState() = -1; }

LONG SSymGet3DCubeEdge(const SSymRect& rect) {
  SSymRect r = rect;
  r.Normalize();
  LONG edge = r.Width() / 5;
  const LONG h = r.Height() / 5;
  if (h < edge) edge = h;
  if (edge < 600) edge = 600;
  if (edge > 1200) edge = 1200;
  return edge;
}

int GetDarkenColor(ISSymbol* symbol, SSymColor& color) {
  ISRepObject* start = SSymGetRepObject(symbol);
  if (!start) return 0;
  int level = 0;
  RepObjWrap current;
  current = start;
  for (;;) {
    SComOut<ISRepObject> parent;
    if (current->GetParent(&parent) != S_OK || !parent) break;
    RepObjWrap p;
    p = parent.Get();
    SComOut<ISSymCompSym> comp;
    HRESULT hr = p->QueryInterface(IID_ISSymCompSym, comp.Void());
    if (FAILED(hr) && hr != E_NOINTERFACE) throw SECOMException("GetDarkenColor", __FILE__, __LINE__, hr);
    if (!comp) break;
    SComOut<ISSymBrush> brushFace;
    hr = p->QueryInterface(IID_ISSymBrush, brushFace.Void());
    if (FAILED(hr) && hr != E_NOINTERFACE) throw SECOMException("GetDarkenColor", __FILE__, __LINE__, hr);
    if (brushFace) {
      const SSymBrush& b = brushFace->GetBrush();
      const bool gradient = (b.m_style == 6 || b.m_style == 7) && b.m_gradientMode != 0;
      const DWORD effective = gradient ? b.m_endColor.GetColor() : b.m_color.GetColor();
      if (effective != color.GetColor()) break;
    }
    ++level;
    current = p;
  }
  if (level == 0) return 0;
  SSymSolid* solid = SSymSolid::FromInterface(symbol);
  ISSymDispPref* prefs = nullptr;
  if (solid) {
    prefs = solid->GetDispPref();
  } else {
    SComOut<ISSymDiagram> d;
    if (symbol->GetDiagram(&d) == S_OK && d) prefs = SSymGetDispPrefPtr(d);
  }
  if (!prefs || prefs->GetDarkenPercent() <= 0) return 0;
  double h = 0, s = 0, l = 0;
  color.GetHSLColor(h, s, l);
  for (int i = 0; i < level; ++i) l -= l * prefs->GetDarkenPercent() / SSymCanvas::ScaleNorm;
  color.SetHSLColor(h, s, l);
  return 1;
}
