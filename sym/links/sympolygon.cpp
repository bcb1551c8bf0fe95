#include "sym/links/sympolygon.h"

#include <span>
#include <vector>

#include "kvcore/spicture.h"
#include "kvrep/srepextras.h"
#include "kvrep/sreppropmap.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"

namespace {
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

HRESULT GetBackgroundID(SRepObject* o, SRepVariant& out) {
  out.SetOID(SRepOID_(static_cast<SSymPolygon*>(o)->GetBackgroundPictureID()));
  return S_OK;
}
HRESULT SetBackgroundID(SRepObject* o, const SRepVariant& in) {
  SRepOID_ id;
  const HRESULT hr = SRepFromVariant(in, id);
  if (FAILED(hr)) return hr;
  return static_cast<SSymPolygon*>(o)->SetBackgroundPictureID(id.id);
}
HRESULT GetBackgroundFile(SRepObject* o, SRepVariant& out) {
  out.SetTEXT(static_cast<SSymPolygon*>(o)->GetBackgroundPictureFile());
  return S_OK;
}

std::vector<SSymPoint> Points(const SSymListPt& list) { return std::vector<SSymPoint>(list.begin(), list.end()); }
}  // namespace

KV_SYM_ACCESSORS(SSymPolygon) {
  KV_SYM_GETSET(Transparent, OnGetTransparent, OnSetTransparent);
  KV_SYM_GETSET(FillColor, GetFillColor, SetFillColor);
  KV_SYM_GETSET(BrushStyle, GetBrushStyle, SetBrushStyle);
  KV_SYM_GETSET(GradientFillMode, GetGradientFillMode, SetGradientFillMode);
  KV_SYM_GETSET(GradientEndColor, GetGradientEndColor, SetGradientEndColor);
  KV_SYM_GETSET(PictureFillMode, GetPictureFillMode, SetPictureFillMode);
  KV_SYM_THUNKS(BackgroundPictureID, &GetBackgroundID, &SetBackgroundID);
  KV_SYM_THUNKS(BackgroundPictureFile, &GetBackgroundFile, &SRepSetThunk<&SSymPolygon::SetBackgroundPictureFile>);
};
KV_SYM_DEFINE_CLASS_TABLES(SSymPolygon)
KV_SYM_IMPLEMENT_POOL(SSymPolygon, g_symClasses[SYMCLS_SSymPolygon].poolBlocks);
KV_SYM_REGISTER(SSymPolygon, &SSymCreateStd<SSymPolygon>);

// ---- construction ------------------------------------------------------------------------------
SSymPolygon::SSymPolygon(const SSymListPt& pts) : SRepFaces(pts, nullptr, CLSID_SSymPolygon) { InitBrush(); }

SSymPolygon::SSymPolygon(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) { InitBrush(); }

SSymPolygon::SSymPolygon(const SSymPolygon& source) : SRepFaces(source), m_brush(source.m_brush) {
  m_display |= DispLinkable;
}

SSymPolygon::~SSymPolygon() { m_brush.SetPicture(nullptr); }

void SSymPolygon::InitBrush() {
  m_brush = SSymBrush(SSymColor(0xFFFFFF));
  m_brush.m_style = SSymBrush::Solid;
  m_brush.m_hatch = 0;
  m_brush.m_bitmapMode = 12;
  m_brush.m_gradientMode = 0;
  m_brush.m_endColor = SSymColor(0x767676);
  SetTransparent(0);
  m_display |= DispLinkable;  // links attach to polygons
}

// ---- properties ------------------------------------------------------------------------------------
bool SSymPolygon::RecordAttr(LONG id, const SRepVariant& now, const SRepVariant& next) {
  ISRepContext* ctx = SetterContext();
  if (!ctx) return false;
  ctx->AddAction(std::make_unique<SRepActionAttr>(Obj(), id, ctx->IsRecording() ? now : next));
  return InLockoutContext() != 0;
}

HRESULT SSymPolygon::OnSetTransparent(bool on) {
  if (on == OnGetTransparent()) return S_OK;
  if (RecordAttr(SymAttr::Transparent, BoolValue(OnGetTransparent()), BoolValue(on))) return S_OK;
  SetTransparent(on ? 1 : 0);
  return S_OK;
}

HRESULT SSymPolygon::SetFillColor(LONG color) {
  if (GetFillColor() == color) return 1;
  if (RecordAttr(SymAttr::FillColor, LongValue(GetFillColor()), LongValue(color))) return S_OK;
  m_brush.m_color = static_cast<DWORD>(color);
  return S_OK;
}

HRESULT SSymPolygon::SetGradientEndColor(LONG color) {
  if (GetGradientEndColor() == color) return 1;
  if (RecordAttr(SymAttr::GradientEndColor, LongValue(GetGradientEndColor()), LongValue(color))) return S_OK;
  m_brush.m_endColor = static_cast<DWORD>(color);
  return S_OK;
}

HRESULT SSymPolygon::SetBrushStyle(LONG style) {
  const LONG kept = style >= 1 && style <= 8 ? style : 1;
  if (kept != GetBrushStyle() && RecordAttr(SymAttr::BrushStyle, LongValue(GetBrushStyle()), LongValue(kept)))
    return S_OK;
  m_brush.m_style = kept;
  return S_OK;
}

HRESULT SSymPolygon::SetGradientFillMode(LONG mode) {
  if (mode != GetGradientFillMode() &&
      RecordAttr(SymAttr::GradientFillMode, LongValue(GetGradientFillMode()), LongValue(mode)))
    return S_OK;
  m_brush.m_gradientMode = mode;
  return S_OK;
}

HRESULT SSymPolygon::SetPictureFillMode(LONG mode) {
  if (mode != GetPictureFillMode() &&
      RecordAttr(SymAttr::PictureFillMode, LongValue(GetPictureFillMode()), LongValue(mode)))
    return S_OK;
  m_brush.m_bitmapMode = mode;
  return S_OK;
}

// ---- brush -------------------------------------------------------------------------------------------
HRESULT SSymPolygon::SetBrush(const SSymBrush& brush, int redraw) {
  if (brush == m_brush) return S_OK;
  if (brush.GetPicture() != m_brush.GetPicture()) SetBackgroundPicture(brush.GetPicture());
  m_brush = brush;
  MarkModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymPolygon::SetFillMode(int transparent) {
  SetTransparent(transparent & 1);
  m_brush.m_style = transparent ? SSymBrush::Hollow : SSymBrush::Solid;
  Redraw(nullptr);
  return S_OK;
}

GUID SSymPolygon::GetBackgroundPictureID() {
  SPictureInfo* p = m_brush.GetPicture();
  return p ? p->GetID() : GUID_NULL;
}

HRESULT SSymPolygon::SetBackgroundPictureID(const GUID& id) {
  if (id == GUID_NULL) {
    if (!m_brush.GetPicture()) return 1;
    SetBackgroundPicture(nullptr);
    return S_OK;
  }
  SPictureManager manager;
  SPictureInfo* p = manager.GetPictureInfo(id);
  if (!p) return 1;
  SetBackgroundPicture(p);
  return S_OK;
}

SString SSymPolygon::GetBackgroundPictureFile() {
  SPictureInfo* p = m_brush.GetPicture();
  if (!p || p->GetType() == SPictureInfo::ptSymbol) return SString();
  return p->GetFileName();
}

HRESULT SSymPolygon::SetBackgroundPictureFile(const SString& file) {
  if (file.IsEmpty()) {
    if (!m_brush.GetPicture()) return 1;
    SetBackgroundPicture(nullptr);
    return S_OK;
  }
  SPictureManager manager;
  SPictureInfo* p = manager.LoadPicture(SPictureInfo::GetTypeFromExtension(file), file, 0, SString());
  if (!p) return 1;
  SetBackgroundPicture(p);
  return S_OK;
}

void SSymPolygon::TakePicture(SPictureInfo* picture) {
  m_brush.SetPicture(picture);
  if (picture) {
    if (m_brush.m_bitmapMode == 12) m_brush.m_bitmapMode = 8;
    if (m_brush.m_style != 5 && m_brush.m_style != 7) m_brush.m_style = 5;
  } else {
    m_brush.m_bitmapMode = 12;
    if (m_brush.m_style == 5 || m_brush.m_style == 7) m_brush.m_style = 1;
  }
}

BOOL SSymPolygon::SetBackgroundPicture(SPictureInfo* picture) {
  SPictureInfo* old = m_brush.GetPicture();
  // The session keeps the pictures its symbols use.
  SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> holder;
  if (SRepSession* s = GetSessionImpl())
    holder = SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder>(static_cast<ISRepSession*>(s));
  if (picture == old) {
    if (picture) {
      if (!holder.IsNull()) {
        holder->RemovePicture(Obj(), picture);
        holder->AddPicture(Obj(), picture);
      }
    } else {
      TakePicture(nullptr);
    }
    return TRUE;
  }
  if (!holder.IsNull()) {
    if (old) holder->RemovePicture(Obj(), old);
    if (picture) holder->AddPicture(Obj(), picture);
  }
  TakePicture(picture);
  return TRUE;
}

// ---- hit tests ----------------------------------------------------------------------------------------
BOOL SSymPolygon::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  const int n = ListPt.GetCount();
  BOOL hit = 0;
  if (n > 0) {
    // The closing edge takes part as the segment to a copy of the first point.
    struct Closing {
      SSymListPt& list;
      int n;
      ~Closing() {
        if (list.GetCount() > n) list.Remove(n, list.GetCount() - n);
      }
    } closing{ListPt, n};
    ListPt.Add(ListPt[0]);
    hit = SSymPolyBase::IsPtInSym(canvas, pt, handle, sub);
  } else {
    hit = SSymPolyBase::IsPtInSym(canvas, pt, handle, sub);
  }
  if (sub && *sub) return hit;
  if (!hit && !IsHidden() && !(Flags & FlagTransparent) && n >= 3) {
    const std::vector<SSymPoint> pts = Points(ListPt);
    if (IsPtInPolygon(pt, std::span<const SSymPoint>(pts))) {
      if (handle) *handle = -1;
      return 1;
    }
  }
  if (hit && handle && *handle > n) --*handle;
  return hit;
}

BOOL SSymPolygon::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  return IsPtInSym(const_cast<SSymCanvas&>(canvas), pt, nullptr, nullptr);
}

BOOL SSymPolygon::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  if (ListPt.GetCount() < 2) return 0;
  const std::vector<SSymPoint> pts = Points(ListPt);
  return IntersectsPolygon(segment, std::span<const SSymPoint>(pts), out) ? 1 : 0;
}

// ---- drawing ---------------------------------------------------------------------------------------------
SSymListPt SSymPolygon::ClosedBezier(const SSymListPt& pts) {
  SSymListPt curve = pts;
  const int n = curve.GetCount();
  if (n < 2) return curve;
  const SSymPoint m(static_cast<LONG>((static_cast<long long>(pts[0].x) + pts[1].x) / 2),
                    static_cast<LONG>((static_cast<long long>(pts[0].y) + pts[1].y) / 2));
  curve.Add(pts[0]);
  curve.Add(m);
  curve[0] = m;
  return curve;
}

void SSymPolygon::DrawFigure(SSymCanvas& canvas) {
  if (ListPt.GetCount() < 2) return;
  if (LineStyle != SSymLineStyle::Bezier) {
    canvas.Polygon(ListPt);
    return;
  }
  const SSymListPt curve = ClosedBezier(ListPt);
  SSymRect r = m_rect;
  r.Normalize();
  canvas.BeginPath();
  canvas.PolyBezier(curve, 0, 0);
  canvas.EndPath();
  canvas.FillPath(r);
  canvas.PolyBezier(curve, 0, 0);
}

HRESULT SSymPolygon::DrawSymbol(SSymCanvas& canvas) {
  if (!(m_state & StateInitialized)) InitialSym(Sym());
  canvas.SetPen(m_pen);
  if ((Flags & FlagTransparent) && m_brush.m_style != SSymBrush::Hollow) m_brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(m_brush, 0);
  DrawFigure(canvas);
  return S_OK;
}

HRESULT SSymPolygon::DrawShadow(SSymCanvas& canvas) {
  DrawFigure(canvas);
  return S_OK;
}

void SSymPolygon::DrawSymbolShape(SSymCanvas& canvas) {
  if (IsHidden()) return;
  if ((Flags & FlagTransparent) && m_brush.m_style != SSymBrush::Hollow) m_brush.m_style = SSymBrush::Hollow;
  canvas.SetBrush(m_brush, 0);
  SSymStd::DrawSymbolShape(canvas);
}

// ---- format ----------------------------------------------------------------------------------------------
HRESULT SSymPolygon::GetFormat(SSymFormatEx& format) {
  format.m_flags |= SSymFormatEx::FlagBrush;
  format.m_brush = m_brush;
  return SSymPolyBase::GetFormat(format);
}

HRESULT SSymPolygon::SetFormat(const SSymFormatEx& format) {
  bool changed = false;
  const bool transparent = format.m_fill != 1;
  if (transparent != OnGetTransparent()) {
    SetFillMode(transparent ? 1 : 0);
    changed = true;
  }
  if ((format.m_flags & SSymFormatEx::FlagBrush) && !(format.m_brush == m_brush)) {
    if (format.m_brush.GetPicture() != m_brush.GetPicture()) SetBackgroundPicture(format.m_brush.GetPicture());
    m_brush = format.m_brush;
    changed = true;
  }
  if (changed) MarkModified();
  return SSymPolyBase::SetFormat(format);
}

// ---- moves and deletion ------------------------------------------------------------------------------------
HRESULT SSymPolygon::MoveBy(const SSymSize& offset, int redraw) {
  const HRESULT hr = SSymPolyBase::MoveBy(offset, redraw);
  if (offset.cx == 0 && offset.cy == 0) return hr;
  if (!GetSessionImpl()) return hr;
  SComWrap<ISSymOwner> owner;
  {
    SComOut<ISSymOwner> o;
    GetOwner(&o);
    owner = SComWrap<ISSymOwner>(o.Get());
  }
  if (SComWrap<ISSymDiagram>(owner).IsNull()) return hr;
  ISRepContext* ctx = OpenContext();
  if (ctx && !ctx->IsRecording()) return hr;
  // The links follow in the order of the symbol's link table.
  SComBag<ISSymLink> links(m_links);
  for (int i = 0; i < links.GetCount(); ++i) links.GetAt(i)->MoveLinkPt(Linkable(), offset, redraw);
  return hr;
}

HRESULT SSymPolygon::Delete() {
  if (SPictureInfo* picture = m_brush.GetPicture(); picture && GetSessionImpl()) {
    SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> holder(static_cast<ISRepSession*>(GetSessionImpl()));
    if (!holder.IsNull()) holder->RemovePicture(Obj(), picture);
  }
  return SSymPolyBase::Delete();
}

HRESULT SSymPolygon::OnSetBlobData(SInputStream& stream) {
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
