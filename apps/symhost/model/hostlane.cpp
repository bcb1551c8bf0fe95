#include "apps/symhost/model/hostlane.h"

#include "apps/symhost/model/hostmodelsyms.h"

#include "sym/composite/symcompupdate.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintflink.h"

namespace {

constexpr LONG kMargin = 300;       // between the lane's outline and its children
constexpr LONG kTitleStyle = 0x22;  // centred both ways
const SSymFont kTitleFont(SString(u"Arial"), 9, SSymFont::Bold);

}  // namespace

// The composite part: nothing the lane holds is kept out of it.
class SHostLaneSym::Impl : public SSymCompImpl {
 public:
  using SSymCompImpl::SSymCompImpl;
  int IsExcludedChild(ISSymbol*) override { return 0; }
};

const SSymCompDef& SHostLaneCompDef() {
  static const SSymCompDef def = [] {
    SSymCompDef d;
    d.nMarginX = kMargin;
    d.nMarginY = kMargin;
    // Entity boxes join the lane's responsibilities (a reference: the
    // entity stays in its package).
    d.mapTypeToColl2 = {{SHostBox::Rect, SHostId::Responsible}};
    d.nSubObjColl = SHostId::Responsible;
    d.tabChildClasses = {CLSID_SSymSolidText};
    return d;
  }();
  return def;
}

SHostLaneSym::SHostLaneSym(ISRepSession* session) : SRepFaces(session), m_comp(new Impl(this, &SHostLaneCompDef())) {
  m_comp->AddRef();
  m_font = kTitleFont;
}

SHostLaneSym::~SHostLaneSym() {
  m_comp->Detach();
  m_comp->Release();
}

HRESULT SHostLaneSym::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymCompSym || iid == IID_ISSymOwner) return m_comp->QueryInterface(iid, ppv);
  return SRepFaces::InternalQueryInterface(iid, ppv);
}

ISSymCompSym* SHostLaneSym::Comp() { return m_comp; }

HRESULT SHostLaneSym::GetModelObject(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = SHostBoundObject(Obj());
  if (!*out) return S_FALSE;
  (*out)->AddRef();
  return S_OK;
}

std::uintptr_t SHostLaneSym::GetIdent() { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }

SString SHostLaneSym::GetLaneText() { return SHostNameOf(SHostBoundObject(Obj())); }

int SHostLaneSym::RefusesChildObject(ISRepObject* candidate) {
  return candidate && SRepIsKindOf(candidate, CLSID_SHostEntity) ? 0 : 1;
}

HRESULT SHostLaneSym::Draw(SSymCanvas& canvas) {
  const HRESULT hr = SSymSwim::Draw(canvas);
  if (hr != S_OK) return hr;  // hidden, already drawing, or no pool or diagram
  // The heading band at the start of the span the lane's holder gives it:
  // the pool's, or below the band of the lane group that holds it.
  const SSymRect p = HolderSpan(GetPoolSym());
  SSymRect l = m_rect;
  l.Normalize();
  const LONG h = HeadingHeight();
  const SSymRect band = PoolOrientation() ? SSymRect(l.x1, p.y1, l.x2, p.y1 - h) : SSymRect(p.x1, l.y1, p.x1 + h, l.y2);
  canvas.SetFont(m_font);
  canvas.SetFontColor(SSymColor(m_fontColor));
  canvas.DrawText(band, GetLaneText(), kTitleStyle);
  m_comp->DrawChildren(canvas);
  return S_OK;
}

HRESULT SHostLaneSym::MoveBy(const SSymSize& offset, int redraw) {
  if (GetMoving()) return 0;  // the pool moves the lane and its contents
  const HRESULT hr = SSymSwim::MoveBy(offset, redraw);
  if (FAILED(hr) || (offset.cx == 0 && offset.cy == 0)) return hr;
  // The lane has moved: its children follow without growing it on the way.
  SSymCompUpdate hold(m_comp, false);
  SComTable<ISSymbol> children;
  m_comp->GetAllChildren(children, 0);
  for (int i = 0; i < children.GetCount(); ++i)
    if (ISSymbol* c = children.GetAt(i); c && SComWrap<ISSymLink>(c).IsNull()) c->MoveBy(offset, redraw);
  return hr;
}

SHostLaneSym* SHostNewLaneSymbol(ISRepSession* session, ISRepObject* lane) {
  SRepObject* l = SRepObject::FromInterface(lane);
  if (!session || !l || l->IsDeleted() || !SRepIsKindOf(lane, CLSID_SHostLane)) return nullptr;
  auto* s = new SHostLaneSym(session);
  s->AddRef();
  s->SetSession(session);
  if (!SHostBind(s->Obj(), lane)) {
    s->Release();
    return nullptr;
  }
  return s;
}
