#include "sym/symbol/symbase.h"

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <memory>

#include "kvcore/scascade.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/srtfdocument.h"
#include "kvrep/srepalloc.h"
#include "kvrep/srepextras.h"
#include "kvrep/sreppermprofile.h"
#include "sym/foundation/symclassreg.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symdate.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfview.h"
#include "sym/symbol/symrectnotify.h"

bool SSymBase::g_bUpdAllInLockout = false;

namespace {
// The linkable face of a deleted symbol, given back by the undo of its
// deletion and taken again by the redo.
class LinkableAction final : public SRepActionBase, public SRepPooled<LinkableAction> {
 public:
  explicit LinkableAction(SSymBase* symbol) : m_symbol(symbol) { m_symbol->AddRef(); }
  ~LinkableAction() override { m_symbol->Release(); }
  HRESULT Execute() override {
    m_symbol->m_display ^= SSymBase::DispLinkable;
    return S_OK;
  }
  void CollectObjects(SRepObjectBag& objects) override { objects.Add(m_symbol->Obj()); }

 private:
  SSymBase* m_symbol;
};

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The rectangle as the property map stores it.
HRESULT GetRectField(SRepObject* o, SRepVariant& out) {
  out = SSymBase::RectValue(static_cast<SSymBase*>(o)->m_rect);
  return S_OK;
}
HRESULT SetRectField(SRepObject* o, const SRepVariant& in) {
  if (in.GetType() != SRepVT_RECT) return DISP_E_TYPEMISMATCH;
  static_cast<SSymBase*>(o)->PutRect(SSymBase::RectOf(in));
  return S_OK;
}
constexpr SRepField kRectField{&GetRectField, &SetRectField};

HRESULT GetDiagramThunk(SRepObject* o, SRepVariant& out) {
  out.SetIOBJECT(static_cast<SSymBase*>(o)->GetDiagramObject());
  return S_OK;
}
HRESULT GetDispNameThunk(SRepObject* o, SRepVariant& out) {
  out.SetSTRING(static_cast<SSymBase*>(o)->GetDispName());
  return S_OK;
}

// A size grown by a border, saturated at the largest coordinate.
LONG Grow(LONG size, LONG by) {
  return static_cast<LONG>(std::min<long long>(static_cast<long long>(size) + by, 2147483647LL));
}
}  // namespace

// The accessors of the base symbol's attributes, by attribute code.
KV_SYM_ACCESSORS(SSymBase) {
  KV_SYM_FIELD_PLACE(ClipRect, kRectField);
  KV_SYM_FIELD(Flags, Flags);
  KV_SYM_FIELD(CDAT, CDAT);
  KV_SYM_FIELD(MDAT, MDAT);
  KV_SYM_GET_THUNK(Diagram, &GetDiagramThunk);
  KV_SYM_GET_THUNK(DispName, &GetDispNameThunk);
  KV_SYM_GET_THUNK(Name, &GetDispNameThunk);
  KV_SYM_GET_THUNK(Code, &GetDispNameThunk);
  KV_SYM_GETSET(Pos, GetPos, SetPos);
  KV_SYM_GETSET(Size, GetSize, SetSize);
  KV_SYM_GETSET(Hidden, GetHidden, SetHidden);
  KV_SYM_GETSET(Protected, GetProtected, SetProtected);
  KV_SYM_GETSET(Height, GetHeight, SetHeight);
  KV_SYM_GETSET(Width, GetWidth, SetWidth);
  KV_SYM_GETSET(RelPos, GetRelPos, SetRelPos);
};
KV_SYM_REGISTER(SSymBase, nullptr);

SRepVariant SSymBase::RectValue(const SSymRect& r) {
  SRepVariant v;
  v.SetRECT(SRep_Rect{r.x1, r.y1, r.x2, r.y2});
  return v;
}

SSymRect SSymBase::RectOf(const SRepVariant& v) {
  SRep_Rect r = v.GetRECT();
  return SSymRect(r.x1, r.y1, r.x2, r.y2);
}

// ---- construction -------------------------------------------------------------------------
SSymBase::SSymBase(const SSymRect& rect, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(clsid, session), m_rect(rect) {}

SSymBase::SSymBase(ISRepSession* session, const CLSID& clsid) : SSymBase(SSymRect(), session, clsid) {}

SSymBase::SSymBase(const SSymBase& source)
    : SRepFaces(source),
      m_rect(source.m_rect),
      Flags(source.Flags),
      CDAT(source.CDAT),
      MDAT(source.MDAT) {
  m_display = source.m_display & 0xF;
  if (source.m_display & 0xF0) m_display |= 0x10;
}

SSymBase::~SSymBase() {
  m_owner = nullptr;
  m_links.Destroy();
}

KV_SYM_DEFINE_CLASS_TABLES(SSymBase)

// ---- attributes -----------------------------------------------------------------------------
HRESULT SSymBase::SetAttribute(LONG id, const SRepVariant& value) {
  const SSymRect old = m_rect;
  if (id == SymAttr::ClipRect) {
    if (!(m_state & StateNoRedraw)) Redraw(nullptr);
    if (SRepObjectMem::InLockoutContext() && g_bUpdAllInLockout) {
      if (value.GetType() != SRepVT_RECT) return DISP_E_TYPEMISMATCH;
      PutRect(RectOf(value));
      MDAT = SSymNowDate();
      _PostSetAttribute(SymAttr::MDAT);
      return S_OK;
    }
  }
  if (id == SymAttr::ClipRect && !InLockoutContext() && m_links.GetCount() > 0)
    if (ISRepContext* ctx = OpenContext(); ctx && ctx->IsRecording()) {
      // The links follow the new rectangle by scaling their ends, which an
      // undo (that puts the rectangle back as it was) does not scale back:
      // this record, run after the rectangle is back, gives them their
      // points as they are now, and their new ones on a redo.
      auto links = std::make_unique<SSymActionSize>(Sym(), m_rect);
      links->KeepLinks(SSymActionSize::LinksOf(Sym()));
      ctx->AddAction(std::move(links));
    }
  HRESULT hr = S_OK;
  if (id == SymAttr::BlobData) {
    // A failure while storing the picture data is shown, not passed on.
    try {
      hr = SRepObjectMem::SetAttribute(id, value);
    } catch (const SException& e) {
      SString text("Setting symbol blob attribute on ");
      text += e.GetDescription();
      text += GetObjShortName();
      SExceptionDialog::Show(__PRETTY_FUNCTION__, __FILE__, __LINE__, text);
      return E_FAIL;
    }
  } else {
    hr = SRepObjectMem::SetAttribute(id, value);
  }
  if (hr != S_OK) return hr;
  if ((id == SymAttr::ClipRect || id == SymAttr::CustomPictureID) && !InLockoutContext()) {
    SSymMatrix matrix;
    matrix.SetTransform(old, m_rect);
    if (g_IsCascadeAllowed()) {
      SComBag<ISSymLink> links(m_links);
      for (int i = 0; i < links.GetCount(); ++i) links.GetAt(i)->TransformLinkPt(Linkable(), matrix, 1);
    }
    if (!(m_state & StateNoRedraw)) Redraw(nullptr);
  }
  return S_OK;
}

HRESULT SSymBase::GetAttributeDefault(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  switch (id) {
    case SymAttr::ClipRect: {
      static const SSymRect kDefault(0, 0, 4800, 3600);
      *value = RectValue(kDefault);
      return S_OK;
    }
    case 0x01000010:
    case 0x01000012: value->SetDATE(0); return S_OK;
    case 0x01000009:
    case 0x02001417:
    case 0x02001418:
    case 0x02001419:
    case 0x0201001E:
    case 0x0201001F:
    case 0x02010056:
    case 0x02010057: value->SetTEXT(SString()); return S_OK;
    case 0x0100000A: value->ReleaseData(); return E_NOTIMPL;
    case 0x0200141A: value->SetLONG(1000); return S_OK;
    case 0x02010002:
    case 0x020100B6:
    case 0x020100B7:
    case 0x020100B8:
    case 0x020100B9: value->SetBOOL(false); return S_OK;
    case 0x02010003: value->SetPLst(SRep_PtList{}); return S_OK;
    case 0x02010004:
    case 0x02010006: value->SetLONG(0); return S_OK;
    case 0x02010007: value->SetLONG(0x211); return S_OK;
    case 0x02010008: value->SetLONG(0); return E_NOTIMPL;
    case 0x02010009: value->SetBOOL(true); return S_OK;
    case 0x0201000A: value->SetBINARY({}); return E_NOTIMPL;
    case 0x02010012: value->SetFLAGS(0); return S_OK;
    case 0x02010018: value->SetSHORT(0); return S_OK;
    case 0x02010019:
    case 0x0201001C:
    case 0x0201001D: value->SetLONG(-1); return S_OK;
    case 0x0201001A: value->SetSHORT(1); return S_OK;
    case 0x0201001B: value->SetSHORT(0); return S_OK;
    case 0x02010020: value->SetLONG(1); return S_OK;
    case 0x02010021:
    case 0x02010030:
    case 0x02010050:
    case 0x02010051:
    case 0x020100B4: value->SetLONG(0); return S_OK;
    case 0x02010052:
    case 0x02010053: value->SetOID(SRepOID_()); return S_OK;
    case 0x020100B2: value->SetLONG(0x767676); return S_OK;
    case 0x020100B3: value->SetLONG(12); return S_OK;
    case -1: return DISP_E_MEMBERNOTFOUND;
    default: return SRepObjectMem::GetAttributeDefault(id, value);
  }
}

HRESULT SSymBase::HasAttribute(LONG id) {
  IUnknown* me = Sym();
  auto has = [&](const IID& iid) {
    SComOut<IUnknown> p;
    return me->QueryInterface(iid, p.Void()) == S_OK && p;
  };
  bool yes = false;
  switch (id) {
    case 0x01000002:
    case 0x01000004:
    case 0x0100000A:
    case 0x0100000B:
    case 0x0100000C:
    case 0x01000010:
    case 0x01000012:
    case 0x01000019:
    case 0x0100001B:
    case 0x0100003F:
    case 0x0100004D:
    case 0x01000063:
    case SymAttr::ClipRect:
    case SymAttr::Hidden:
    case SymAttr::Protected:
    case SymAttr::Diagram:
    case SymAttr::RelPos: yes = true; break;
    case SymAttr::Height:
    case SymAttr::Width:
    case SymAttr::Pos:
    case SymAttr::Size: yes = !has(IID_ISSymPolyline); break;
    case 0x02010002:
    case 0x02010018:
    case 0x0201001D: yes = has(IID_ISSymShadow); break;
    case 0x02010006:
    case 0x0201001F: yes = has(IID_ISSymFont); break;
    case 0x02010009:
    case 0x020100B6:
    case 0x020100B7:
    case 0x020100B8: yes = has(IID_ISSymAdjust); break;
    case 0x02010019:
    case 0x0201001A:
    case 0x0201001B: yes = has(IID_ISSymPen); break;
    case 0x0201001C:
    case 0x02010020:
    case 0x02010021:
    case 0x020100B2:
    case 0x020100B3: yes = has(IID_ISSymBrush); break;
    case 0x0201001E: yes = has(IID_ISSymFonts); break;
    case 0x02010050:
    case 0x02010051:
    case 0x02010052:
    case 0x02010053: yes = has(IID_ISSymCustomShape); break;
    case 0x020100B9: yes = has(IID_ISSymGroup) || has(IID_ISSymAdjust); break;
    default: yes = false;
  }
  return yes ? S_OK : S_FALSE;
}

void SSymBase::OnUpdateAttribute(LONG id) {
  if (GetSessionImpl() && !GetSessionImpl()->IsArrangeSuppressed() && id == SymAttr::MDAT)
    SSymAddToEdgeRouter(SComWrap<ISSymbol>(Sym()));
  SRepObjectMem::OnUpdateAttribute(id);
}

void SSymBase::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) {
  if (id == SymAttr::ParentColl) {
    if (!InLockoutContext()) m_owner = SComWrap<ISSymOwner>(owner);
    if (g_IsCascadeAllowed()) SSymAddToEdgeRouter(SComWrap<ISSymbol>(Sym()));
  }
  SRepObjectMem::OnCollectionInsert(id, owner, pos);
}

void SSymBase::OnCollectionRemove(LONG id, ISRepObject* other) {
  if (id == SymAttr::ParentColl && !InLockoutContext()) m_owner = nullptr;
  SRepObjectMem::OnCollectionRemove(id, other);
}

SString SSymBase::GetDispName() {
  SString name = GetClssName();
  if (name.IsEmpty()) {
    static const UINT kTypeStrings[] = {1317, 1308, 1309, 1310, 1311, 1312, 1313, 1314, 1315, 1316};
    const int type = GetSymbolType();
    name = SSymLoadString(type >= 1 && type <= 9 ? kTypeStrings[type] : 1317);
  }
  if (name.IsEmpty()) return name;
  SComWrap<ISSymText> text(Sym());
  if (!text.IsNull()) {
    SString t;
    text->GetText(t);
    if (t.Left(5) == SString(u"{\\rtf")) t = SRtfDocument::RtfToText(t);
    t.Replace(u"\r\n", u" ");
    t.Replace(u"\n", u" ");
    if (!t.IsEmpty()) {
      const int room = 253 - static_cast<int>(name.GetLength()) - 2;
      name += u": ";
      name += t.Left(room > 0 ? room : 0);
    }
  }
  return name;
}

namespace {
// The model object that a symbol shows (counted), or null: through the
// ISSymObject face that symbols of model objects answer.
SComWrap<ISRepObject, &IID_ISRepObject> ModelObjectOf(ISSymbol* symbol) {
  SComWrap<ISSymObject> shown(symbol);
  SComWrap<ISRepObject, &IID_ISRepObject> model;
  if (shown.IsNull()) return model;
  SComOut<ISRepObject> o;
  if (shown->GetModelObject(&o) == S_OK && o) model = o.Get();
  return model;
}

// The class definition of an object; for a shortcut, that of its target.
SRepClassDef* ClassDefOf(ISRepObject* obj) {
  CLSID clsid = GUID_NULL;
  SComWrap<ISRepShortcut, &IID_ISRepShortcut> shortcut(obj);
  if (!shortcut.IsNull()) {
    if (shortcut->GetTargetCLSID(&clsid) != S_OK) return nullptr;
  } else if (obj->GetCLSID(&clsid) != S_OK) {
    return nullptr;
  }
  SRepRegistry* reg = SRepRegistry::Find(clsid);
  return reg ? reg->GetClassDef() : nullptr;
}
}  // namespace

int SSymBase::GetIconIndex() const {
  auto* self = const_cast<SSymBase*>(this);
  SComWrap<ISRepObject, &IID_ISRepObject> model = ModelObjectOf(self->Sym());
  if (model.IsNull()) return SRepObjectMem::GetIconIndex();
  SRepClassDef* def = ClassDefOf(model.Get());
  SRepRegistry* own = GetRegistry();
  if (def && own && def == own->GetClassDef()) return def->GetIconIndex();
  return SRepObjectMem::GetIconIndex();
}

LONG SSymBase::InternalAutoFix(SStringTable& messages, int checkParents) {
  SComOut<ISSymDiagram> diagram;
  if (Sym()->GetDiagram(&diagram) != S_OK || !diagram) messages.AddFormat(SSymLoadString(1397), GetObjShortName());
  // The symbol's side of its owners' Symbols collections lists its parents.
  if (checkParents) {
    const SRepCollection* parents = FindCollection(SymAttr::ParentColl);
    if (parents && parents->Items().size() > 1) messages.AddFormat(SSymLoadString(1416), GetObjShortName());
  }
  return 0;
}

void SSymBase::SetSessionModified() {
  if (SRepObjectMem::InLockoutContext()) return;
  // A change of the look (a pen, a shadow, an arrowhead) changes the area
  // the symbol covers as much as a new rectangle does, asked to redraw or not.
  if (IsHeld()) SSymNotifyRectChanged(Sym(), m_rect, m_rect);
  if (!g_IsCascadeAllowed()) return;
  if (SRepSession* s = GetSessionImpl())
    if (!s->IsReadOnly()) s->SetModified(TRUE);
}

void SSymBase::SetTransparent(int transparent) {
  if (transparent) Flags |= FlagTransparent;
  else Flags &= ~static_cast<DWORD>(FlagTransparent);
}

int SSymBase::InLockoutContext() const {
  if (!GetSessionImpl() || g_bUpdAllInLockout || !SRepObjectMem::InLockoutContext()) return 0;
  auto* self = const_cast<SSymBase*>(this);
  SComWrap<ISSymDiagram> diagram;
  SComOut<ISSymDiagram> d;
  if (self->GetDiagram(&d) == S_OK && d) {
    diagram = d.Get();
    if (diagram->ChangeInContext()) return 0;
  }
  return 1;
}

int SSymBase::IsNewInLockout() const {
  SRepSession* s = GetSessionImpl();
  SRepContext* ctx = s ? s->Current() : nullptr;
  if (!ctx || ctx->GetKind() != SRepContext::Kind::Lockout || ctx->IsRecording()) return 0;
  return ctx->IsObjectInContext(const_cast<SSymBase*>(this)->Obj()) ? 1 : 0;
}

void SSymBase::StampModified() {
  SRepVariant now;
  now.SetDATE(SSymNowDate());
  SetAttribute(SymAttr::MDAT, now);
}

// ---- typed accessors -----------------------------------------------------------------------------
SRep_Point SSymBase::GetPos() {
  SComWrap<ISSymSwimPool> pool(Sym());
  if (!pool.IsNull()) return SRep_Point{m_rect.x1, pool->IsVertical() ? m_rect.y1 : m_rect.y2};
  const SSymRect r = GetClipRect(0, 0);
  // In 64 bits: a rectangle read from outside may span the whole range.
  return SRep_Point{static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                    static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2)};
}

HRESULT SSymBase::SetPos(const SRep_Point& pos) {
  const SRep_Point now = GetPos();
  auto offset = [](LONG to, LONG from) {
    const long long v = static_cast<long long>(to) - from;
    return static_cast<LONG>(std::clamp<long long>(v, -2147483647LL, 2147483647LL));
  };
  const SSymSize d(offset(pos.x, now.x), offset(pos.y, now.y));
  if (d.cx == 0 && d.cy == 0) return S_FALSE;
  HRESULT hr = Sym()->MoveBy(d, 1);
  SComWrap<ISSymInSwim> inSwim(Sym());
  if (!inSwim.IsNull()) inSwim->AfterMove();
  return hr;
}

SRep_Point SSymBase::GetSize() {
  const SSymRect r = GetClipRect(0, 0);
  return SRep_Point{r.Width(), r.Height()};
}

HRESULT SSymBase::SetSize(const SRep_Point& size) {
  SSymRect r = GetClipRect(0, 0);
  const SSymRect current = r;
  r.Normalize();
  r.SetSize(size.x, size.y);
  SComOut<ISSymDiagram> d;
  if (GetDiagram(&d) == S_OK && d) d->SnapToGrid(r);
  if (r == current) return S_FALSE;
  return SetAttribute(SymAttr::ClipRect, RectValue(r)) == S_OK ? S_OK : S_FALSE;
}

HRESULT SSymBase::SetHeight(int height) {
  SRep_Point s = GetSize();
  s.y = height;
  SetSize(s);
  return S_OK;
}

HRESULT SSymBase::SetWidth(int width) {
  SRep_Point s = GetSize();
  s.x = width;
  SetSize(s);
  return S_OK;
}

HRESULT SSymBase::SetHidden(bool hidden) {
  // The hide record is made by SaveShowAction whenever the value changes.
  Sym()->Show(!hidden);
  return S_OK;
}

HRESULT SSymBase::SetProtected(bool protect) {
  Sym()->ProtectSymbol(protect);
  return S_OK;
}

// ---- state operations --------------------------------------------------------------------------------
HRESULT SSymBase::Redraw(SSymCanvas* canvas) {
  SRepSession* s = GetSessionImpl();
  if ((s && s->IsBusy()) || (m_state & StateNoRedraw)) return S_OK;
  if (!canvas) {
    SComOut<ISSymOwner> owner;
    if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) owner->SymRedraw(Sym());
    return S_OK;
  }
  InvalidateOn(*canvas);
  return S_OK;
}

BOOL SSymBase::IsHidden() {
  BOOL hidden = (Flags & FlagHidden) != 0;
  if (InLockoutContext()) {
    // The last pending hide record of this symbol wins.
    SRepVariant v;
    v.SetBOOL(hidden);
    if (GetSessionImpl()->Current()->OverlayPending(this, {SRepFacet::Visibility()}, v)) hidden = v.GetBOOL();
  }
  if (!hidden && !m_owner.IsNull()) {
    // A symbol inside a hidden owner is hidden; the walk is bounded so that a
    // cycle of owners cannot loop.
    static thread_local int depth = 0;
    if (depth < 256) {
      SComWrap<ISSymbol> owner(m_owner);
      if (!owner.IsNull() && owner.Get() != Sym()) {
        ++depth;
        hidden = owner->IsHidden();
        --depth;
      }
    }
  }
  return hidden;
}

HRESULT SSymBase::Show(int show) {
  if (m_owner.IsNull()) {
    SComOut<ISRepObject> parent;
    GetParent(&parent);
    SComWrap<ISSymCompSym> comp(parent.Get());
    if (comp.IsNull()) return S_OK;
  }
  if (InLockoutContext()) {
    // Deferred: the record holds the new visibility; the symbol stays as it is.
    const bool hidden = IsHidden() != 0;
    if (hidden == !show) return S_OK;
    SaveShowAction(show);
    return S_OK;
  }
  int saved = 0;
  if (!show && !(Flags & FlagHidden)) {
    Flags |= FlagHidden;
    SetChanged();
    SetSessionModified();
    saved = SaveShowAction(0);
    SComBag<ISSymLink> links(m_links);
    for (int i = 0; i < links.GetCount(); ++i) {
      SComWrap<ISSymbol> link(links.GetAt(i));
      if (!link.IsNull()) link->Show(0);
    }
    Redraw(nullptr);
  } else if (show && (Flags & FlagHidden)) {
    Flags &= ~static_cast<DWORD>(FlagHidden);
    SetChanged();
    SetSessionModified();
    saved = SaveShowAction(show);
    Redraw(nullptr);
  }
  if (saved && GetSessionImpl()) GetSessionImpl()->SetModified(TRUE);
  return S_OK;
}

int SSymBase::SaveShowAction(int show) {
  if (!GetSessionImpl()) return 1;
  ISRepContext* ctx = OpenContext();
  if (!ctx) return 0;
  const int recording = ctx->IsRecording() ? 1 : 0;
  const int value = recording ? !show : (show ? 1 : 0);
  auto* last = dynamic_cast<SSymActionHide*>(ctx->GetLastAction());
  if (last && last->m_type == SSymAction_Hide && last->m_bShow == value) {
    last->AddSymbol(Sym());
    return 1;
  }
  // Any other last record (a hide record of the other direction included):
  // a new record, so that every change of visibility can be undone.
  auto hide = std::make_unique<SSymActionHide>();
  hide->m_bShow = value;
  hide->AddSymbol(Sym());
  ctx->AddAction(std::move(hide));
  return 0;
}

SSymRect SSymBase::GetClipRect(int, int) {
  if (!InLockoutContext()) return m_rect;
  // Moves shift, size records and rectangle attribute records replace, in
  // the order they were made.
  SRepVariant v = RectValue(m_rect);
  if (!GetSessionImpl()->Current()->OverlayPending(this, {SRepFacet::Rect(), SRepFacet::Attribute(SymAttr::ClipRect)},
                                                    v))
    return m_rect;
  return RectOf(v);
}

SSymRect SSymBase::GetClipRectWithBorder() {
  SSymRect r = GetClipRect(0, 0);
  r.Normalize();
  SComWrap<ISSymShadow> shadow(Sym());
  if (!shadow.IsNull() && shadow->GetShadowStyle() == 2) {
    r.SetSize(Grow(r.Width(), 300), Grow(r.Height(), 300));
    return r;
  }
  SComWrap<ISSymPen> pen(Sym());
  if (!pen.IsNull()) {
    const LONG w = pen->GetPen().m_width;
    if (w >= 1) r.SetSize(Grow(r.Width(), w), Grow(r.Height(), w));
  }
  return r;
}

BOOL SSymBase::IsProtected() {
  // While a permission profile is active, the symbol of a model object that
  // the user may not change is protected whatever its own flag says.
  if (g_pPermProfileIntf) {
    SComWrap<ISRepObject, &IID_ISRepObject> model = ModelObjectOf(Sym());
    if (!model.IsNull()) {
      SComOut<ISRepSession> session;
      const BOOL readOnly = model->GetSession(&session) == S_OK && session ? SRepIsSessionReadOnly(session) : FALSE;
      if (readOnly || g_pPermProfileIntf->IsObjectReadOnly(model.Get())) return TRUE;
    }
  }
  return (Flags & FlagProtected) != 0;
}

HRESULT SSymBase::ProtectSymbol(int protect) {
  const bool want = protect != 0;
  if (((Flags & FlagProtected) != 0) == want) return S_OK;
  SComOut<ISSymDiagram> diagram;
  if (_GetOwner(diagram.Void(), IID_ISSymDiagram) != S_OK || !diagram) return S_OK;
  if (want) Flags |= FlagProtected;
  else Flags &= ~static_cast<DWORD>(FlagProtected);
  Redraw(nullptr);
  SetChanged();
  SetSessionModified();
  return S_OK;
}

void SSymBase::NotifyCompositeOwner() {
  SComOut<ISSymCompSym> comp;
  if (_GetOwner(comp.Void(), IID_ISSymCompSym) == S_OK && comp) comp->UpdateRect();
}

HRESULT SSymBase::MoveBy(const SSymSize& offset, int redraw) {
  if ((offset.cx == 0 && offset.cy == 0) || !CreateUndoMove(offset)) return S_OK;
  if (redraw) Redraw(nullptr);
  SSymRect moved = m_rect;
  moved.OffsetRect(offset.cx, offset.cy);
  PutRect(moved);
  SComBag<ISSymLink> links(m_links);
  for (int i = 0; i < links.GetCount(); ++i) links.GetAt(i)->MoveLinkPt(Linkable(), offset, redraw);
  if (!IsInUndoContext() && g_IsCascadeAllowed()) NotifyCompositeOwner();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

int SSymBase::CreateUndoMove(const SSymSize& offset) {
  if (!GetSessionImpl()) return 1;
  ISRepContext* ctx = OpenContext();
  if (!ctx) return 1;
  const bool recording = ctx->IsRecording() != 0;
  const bool lockout = InLockoutContext() != 0;
  if (!recording && !lockout) {
    StampModified();
    return 1;
  }
  // A result of 0 in a lockout: the pending record makes the move.
  const int result = lockout ? 0 : 1;
  {
    SComOut<ISSymCompSym> comp;
    if (_GetOwner(comp.Void(), IID_ISSymCompSym) == S_OK && comp) {
      SSymBase* owner = FromInterface(comp);
      if (owner && (owner->m_state & StateKeepChildMoves)) return 1;
    }
  }
  auto* last = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
  if (last && last->m_type == SSymAction_Move && !last->m_bStopMerge) {
    const long long lx = last->m_offset.cx, ly = last->m_offset.cy;
    const long long cx = recording ? lx + offset.cx : lx - offset.cx;
    const long long cy = recording ? ly + offset.cy : ly - offset.cy;
    if (std::llabs(cx) < 30 && std::llabs(cy) < 30) {
      // The links the move changes are kept as they were, so that the
      // record gives them back exactly.
      if (recording) last->KeepLinks(Sym());
      if (last->Contains(Sym())) return result;
      SComWrap<ISSymTree> tree(Sym());
      if (tree.IsNull()) {
        // Not added when an owner up the chain already moves with the record.
        SComWrap<ISSymbol> up(Sym());
        for (int steps = 0; steps < 256 && !up.IsNull(); ++steps) {
          SComOut<ISSymOwner> o;
          if (up->GetOwner(&o) != S_OK || !o) break;
          SComWrap<ISSymbol> next(o.Get());
          if (next.IsNull()) break;
          if (last->Contains(next.Get())) return result;
          up = next;
        }
      }
      last->AddSymbol(Sym());
      return result;
    }
  }
  auto move = std::make_unique<SSymActionMove>(SSymGetActiveSelection());
  move->m_offset = recording ? SSymSize(-offset.cx, -offset.cy) : offset;
  {
    SComOut<ISSymDiagram> diagram;
    if (Sym()->GetDiagram(&diagram) == S_OK && diagram) move->m_diagram = diagram.Get();
  }
  move->AddSymbol(Sym());
  if (recording) move->KeepLinks(Sym());
  ctx->AddAction(std::move(move));
  return result;
}

int SSymBase::CreateUndoSizeInfo(const SSymRect& newRect, int force) {
  if (!GetSessionImpl()) return 1;
  ISRepContext* ctx = OpenContext();
  if (!ctx && !force) return 1;
  const bool lockout = InLockoutContext() != 0;
  if (m_owner.IsNull()) return (!ctx || !lockout) ? 1 : 0;
  SComWrap<ISSymDiagram> d(m_owner);
  SComWrap<ISSymCompSym> c(m_owner);
  SComWrap<ISSymTree> t(m_owner);
  if (d.IsNull() && c.IsNull() && t.IsNull() && ctx) {
    if (!lockout) {
      StampModified();
      return 1;
    }
    return 0;
  }
  if (!ctx) {
    SRepCreateContext step(static_cast<ISRepSession*>(GetSessionImpl()), 0, 1, 0);
    auto size = std::make_unique<SSymActionSize>(Sym(), newRect);
    // The record makes the change: run it once, outside any recording.
    {
      std::vector<SSymActionSize::LinkState> before = SSymActionSize::LinksOf(Sym());
      SCurrentContextChange none(static_cast<ISRepSession*>(GetSessionImpl()), nullptr);
      size->Execute();
      size->KeepLinks(std::move(before));
    }
    step.AddRepAction(std::move(size));
    return 0;
  }
  if (!ctx->IsRecording()) {
    if (lockout) {
      ctx->AddAction(std::make_unique<SSymActionSize>(Sym(), newRect));
      return 0;
    }
    return 1;
  }
  auto size = std::make_unique<SSymActionSize>(Sym(), m_rect);
  size->KeepLinks(SSymActionSize::LinksOf(Sym()));
  ctx->AddAction(std::move(size));
  return 1;
}

HRESULT SSymBase::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;  // NaN or infinity would land in every coordinate
  const SSymRect from = InLockoutContext() ? GetClipRect(0, 0) : m_rect;
  const bool shear = matrix.Get(0, 1) != 0 || matrix.Get(1, 0) != 0;
  SSymRect to;
  if (m_pExactTarget) {
    to = *m_pExactTarget;
  } else if (!shear || (m_display & DispFullTransform)) {
    to = matrix.Transform(from);
  } else {
    const SSymPoint c((from.x1 + from.x2) / 2, (from.y1 + from.y2) / 2);
    const SSymPoint nc = matrix.Transform(c);
    to = from;
    to.OffsetRect(nc.x - c.x, nc.y - c.y);
  }
  if (!CreateUndoSizeInfo(to, 0)) {
    NotifyCompositeOwner();
    return S_OK;
  }
  if (redraw) Redraw(nullptr);
  PutRect(to);
  SComBag<ISSymLink> links(m_links);
  for (int i = 0; i < links.GetCount(); ++i) links.GetAt(i)->TransformLinkPt(Linkable(), matrix, redraw);
  if (!IsInUndoContext() && !SRepGetApplyingContext(GetSessionImpl())) NotifyCompositeOwner();
  if (GetSessionImpl()) GetSessionImpl()->SetModified(TRUE);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymBase::TransformOnto(const SSymRect& to, int redraw) {
  SSymMatrix m;
  m.SetTransform(InLockoutContext() ? GetClipRect(0, 0) : m_rect, to);
  const SSymRect* saved = m_pExactTarget;
  m_pExactTarget = &to;
  HRESULT hr = S_OK;
  try {
    hr = Sym()->Transform(m, redraw);
  } catch (...) {
    m_pExactTarget = saved;
    throw;
  }
  m_pExactTarget = saved;
  return hr;
}

HRESULT SSymBase::Clone(ISSymbol** out, int) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymBase::IsPtInSubSym(SSymCanvas&, const SSymPoint&, int*, ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

HRESULT SSymBase::GetMainSymbol(ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymBase::GetFormat(SSymFormatEx& format) {
  format.m_fill = (Flags & FlagTransparent) ? 0 : 1;
  format.m_size = SSymSize(m_rect.Width(), m_rect.Height());
  format.m_flags = (format.m_flags & ~0x1FC0000u) | ((Flags & FlagFormatMask) << 15);
  return S_OK;
}

HRESULT SSymBase::SetFormat(const SSymFormatEx& format) {
  if (format.m_flags & SSymFormatEx::FlagApplyMarks) {
    Flags = (Flags & ~static_cast<DWORD>(FlagFormatMask)) | ((format.m_flags >> 15) & FlagFormatMask);
    if (Flags & 0x8) m_display |= DispFormatBit3;
    else m_display &= ~static_cast<DWORD>(DispFormatBit3);
  }
  return S_OK;
}

HRESULT SSymBase::CopySymAttributes(ISSymbol* source, int copySize) {
  if (!source) return S_OK;
  if (SRepAreSameObjects(source, Obj())) return S_OK;
  RepObjWrap src(source);
  if (copySize && !src.IsNull() && src->HasAttribute(SymAttr::IsManuallyResized) == S_OK &&
      HasAttribute(SymAttr::IsManuallyResized) == S_OK) {
    SRepVariant v;
    if (src->GetAttribute(SymAttr::IsManuallyResized, &v) == S_OK) SetAttribute(SymAttr::IsManuallyResized, v);
  }
  SSymFormatEx format;
  source->GetFormat(format);
  format.m_points.clear();
  if (source->GetSymbolType() != GetSymbolType()) {
    format.m_flags &= ~0x4u;
    SComWrap<ISSymPen> pen(Sym());
    if (!pen.IsNull()) format.m_pen.m_style = static_cast<SHORT>(pen->GetPen().m_style & 0xFFFF);
  }
  Sym()->SetFormat(format);
  if (source->IsHidden()) Sym()->Show(0);
  SComWrap<ISSymLink> link(Sym());
  if (copySize && link.IsNull()) {
    const SSymRect s = source->GetClipRect(0, 0);
    SSymRect to = m_rect;
    to.SetSize(s.Width(), s.Height());
    SSymMatrix m;
    m.SetTransform(m_rect, to);
    Sym()->Transform(m, 0);
  }
  const int hook = OnCopySymAttributes(source);
  return hook < 0 ? hook : S_OK;
}

HRESULT SSymBase::GetRelatedObjectList(SRepListObject* list, ISRepObject*, int, SRepBagObject* bag, int, int mode) {
  if (!list) return E_INVALIDARG;
  if (mode != 0) return S_OK;
  for (int i = 0; i < m_links.GetCount(); ++i) {
    ISSymLink* link = m_links.GetAt(i);
    RepObjWrap obj(link);
    if (obj.IsNull()) continue;
    if (!bag) {
      list->Add(obj.Get());
      continue;
    }
    bool both = true;
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> s;
      link->GetAttachSym(end, &s);
      ISRepObject* o = s ? SSymGetRepObject(s) : nullptr;
      if (!o || !bag->Contains(o)) both = false;
    }
    if (both) list->Add(obj.Get());
  }
  if (bag) {
    SComWrap<ISSymLink> self(Sym());
    if (!self.IsNull()) {
      SComOut<ISSymbol> a, b;
      self->GetAttachSym(0, &a);
      self->GetAttachSym(1, &b);
      if (a && b) {
        if (ISRepObject* o = SSymGetRepObject(a)) list->Add(o);
        if (ISRepObject* o = SSymGetRepObject(b)) list->Add(o);
      }
    }
  }
  return S_OK;
}

HRESULT SSymBase::InitialSymRect(const SSymRect& rect) {
  PutRect(rect);
  return S_OK;
}

void SSymBase::PutRect(const SSymRect& to) {
  if (to == m_rect) return;
  const SSymRect from = m_rect;
  m_rect = to;
  // A symbol being made or destroyed is in no diagram yet (or any more), and
  // an observer that held it would destroy it on letting go.
  if (IsHeld()) SSymNotifyRectChanged(Sym(), from, to);
}

// ---- rectangle observers ------------------------------------------------------------------------
namespace {
std::vector<ISSymRectObserver*>& RectObservers() {
  static std::vector<ISSymRectObserver*> observers;
  return observers;
}
}  // namespace

void SSymAddRectObserver(ISSymRectObserver* observer) {
  auto& v = RectObservers();
  if (observer && std::find(v.begin(), v.end(), observer) == v.end()) v.push_back(observer);
}

void SSymRemoveRectObserver(ISSymRectObserver* observer) {
  auto& v = RectObservers();
  v.erase(std::remove(v.begin(), v.end(), observer), v.end());
}

void SSymNotifyRectChanged(ISSymbol* symbol, const SSymRect& from, const SSymRect& to) {
  // A copy: an observer may add or remove observers while it is told.
  const std::vector<ISSymRectObserver*> observers = RectObservers();
  for (ISSymRectObserver* o : observers) o->OnSymbolRectChanged(symbol, from, to);
}

HRESULT SSymBase::InitialSym(ISSymbol*) {
  if (m_state & StateInitialized) return S_FALSE;
  m_state |= StateInitialized;
  if (Flags & 0x8) m_display |= DispFormatBit3;
  else m_display &= ~static_cast<DWORD>(DispFormatBit3);
  return S_OK;
}

HRESULT SSymBase::Delete() {
  if (!(HasCollection(SymAttr::ModelSymbols) == S_OK && _IsDeletedOrInContext())) {
    if (m_display & DispLinkable) {
      SComBag<ISSymLink> links(m_links);
      for (int i = 0; i < links.GetCount(); ++i) {
        ISSymLink* link = links.GetAt(i);
        if (SRepAreSameObjects(link, Obj())) continue;
        link->DetachSym(Linkable());
      }
    }
  }
  const bool lockout = InLockoutContext() != 0;
  if (!lockout) {
    SComWrap<ISSymDiagram> d(m_owner);
    if (d.IsNull())
      if (SSymView* view = GetView()) SSymViewNotifyRemove(view, Sym());
  }
  if (m_display & DispLinkable) {
    // Undoing the deletion gives the symbol its linkable face back before
    // the links it had return, so that they attach to it again.
    SRepContext* ctx = GetSessionImpl() ? GetSessionImpl()->Current() : nullptr;
    if (ctx && ctx->GetKind() != SRepContext::Kind::Applying) ctx->AddDone(std::make_unique<LinkableAction>(this));
  }
  m_display &= ~static_cast<DWORD>(DispLinkable);
  SComWrap<ISSymCompSym> comp(m_owner);
  HRESULT hr = SRepObjectMem::Delete();
  if (!lockout && !comp.IsNull() && !IsInUndoContext()) {
    SComWrap<ISSymAdjust> adjust(comp);
    if (!adjust.IsNull() && adjust->IsAdjusted()) adjust->AutoAdjustText(0, 0);
  }
  return hr;
}
