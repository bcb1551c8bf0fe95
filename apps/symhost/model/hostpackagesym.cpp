#include "apps/symhost/model/hostpackagesym.h"

#include <algorithm>

#include "apps/symhost/model/hostmodelsyms.h"
#include "sym/composite/symcompupdate.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symintflink.h"

namespace {

using namespace SHostId;

constexpr LONG kMargin = 150;        // between the outline and the children's area
constexpr LONG kTitlePad = 150;      // above and below the name in the title band
constexpr LONG kMinWidth = 6600;     // the narrowest package
constexpr LONG kTitleStyle = 0x22;   // centred both ways
const SSymFont kTitleFont(SString(u"Arial"), 9, SSymFont::Bold);

// The direct children of a composite (counted).
SComTable<ISSymbol> ChildrenOf(ISSymCompSym* comp) {
  SComTable<ISSymbol> out;
  if (comp) comp->GetAllChildren(out, 0);
  return out;
}

}  // namespace

// The composite part: nothing the package holds is kept out of it.
class SHostPackageSym::Impl : public SSymCompImpl {
 public:
  using SSymCompImpl::SSymCompImpl;
  int IsExcludedChild(ISSymbol*) override { return 0; }
};

const SSymCompDef& SHostPackageCompDef() {
  static const SSymCompDef def = [] {
    SSymCompDef d;
    // The children keep as far from the outline as the layout puts them.
    d.nMarginX = kMargin;
    d.nMarginY = kMargin;
    d.nFlags = SSymCompDef::CompAdjustChildRect;
    // Entity boxes (type 3) and relation links (type 8) move their objects
    // under the package; the children stand for the entities, and every
    // relation of the package between two children is drawn inside.
    d.mapTypeToColl = {{SHostBox::Rect, Entities}, {8, Relations}};
    d.tabChildColls = {Relations};
    d.tabChildClasses = {CLSID_SSymSolidText, CLSID_SSymLinkSym};
    d.nSubObjColl = Entities;
    return d;
  }();
  return def;
}

SHostPackageSym::SHostPackageSym(ISRepSession* session, const SSymRect& rect, const SSymCompDef* def)
    : SRepFaces(session, rect, Rect), m_comp(new Impl(this, def)) {
  m_comp->AddRef();
}

SHostPackageSym::~SHostPackageSym() {
  m_comp->Detach();
  m_comp->Release();
}

HRESULT SHostPackageSym::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymCompSym || iid == IID_ISSymOwner) return m_comp->QueryInterface(iid, ppv);
  return SRepFaces::InternalQueryInterface(iid, ppv);
}

ISSymCompSym* SHostPackageSym::Comp() { return m_comp; }

HRESULT SHostPackageSym::DrawSymbol(SSymCanvas& canvas) {
  SSymRect r = m_rect;
  r.Normalize();
  canvas.Rectangle(r);
  const LONG band = std::min<LONG>(m_titleHeight, r.y1 - r.y2);
  canvas.Line(SSymPoint(r.x1, r.y1 - band), SSymPoint(r.x2, r.y1 - band));
  canvas.SetFont(kTitleFont);
  canvas.SetFontColor(SSymColor(m_fontColor));
  canvas.DrawText(SSymRect(r.x1, r.y1, r.x2, r.y1 - band), m_text, kTitleStyle);
  m_comp->DrawChildren(canvas);
  return S_OK;
}

HRESULT SHostPackageSym::MoveBy(const SSymSize& offset, int redraw) {
  const HRESULT hr = SRepFaces::MoveBy(offset, redraw);
  if (FAILED(hr) || (offset.cx == 0 && offset.cy == 0)) return hr;
  // The box has moved: its children follow without growing it on the way.
  SSymCompUpdate hold(m_comp, false);
  SComTable<ISSymbol> children = ChildrenOf(m_comp);
  for (int i = 0; i < children.GetCount(); ++i)
    if (ISSymbol* c = children.GetAt(i); c && SComWrap<ISSymLink>(c).IsNull()) c->MoveBy(offset, redraw);
  return hr;
}

HRESULT SHostPackageSym::Transform(const SSymMatrix& matrix, int redraw) {
  SSymMatrix children;
  const bool follow = m_comp->RecomputeMatrix(matrix, children) == S_OK;
  const HRESULT hr = SRepFaces::Transform(matrix, redraw);
  if (FAILED(hr) || !follow) return hr;
  {
    SSymCompUpdate hold(m_comp, false);
    SComTable<ISSymbol> all = ChildrenOf(m_comp);
    for (int i = 0; i < all.GetCount(); ++i)
      if (ISSymbol* c = all.GetAt(i); c && SComWrap<ISSymLink>(c).IsNull()) c->Transform(children, redraw);
  }
  m_comp->UpdateRect();
  return hr;
}

HRESULT SHostPackageSym::GetModelObject(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = SHostBoundObject(Obj());
  if (!*out) return S_FALSE;
  (*out)->AddRef();
  return S_OK;
}

std::uintptr_t SHostPackageSym::GetIdent() { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }

int SHostPackageSym::GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) {
  for (LONG* m : {left, right, top, bottom})
    if (m) *m = kMargin;
  return 1;
}

int SHostPackageSym::GetSubSymSize(LONG* width, LONG* height) {
  SSymRect r = m_rect;
  r.Normalize();
  if (width) *width = r.x2 - r.x1;
  if (height) *height = m_titleHeight;
  return 1;
}

void SHostPackageSym::SetTitle(const SString& name) {
  // The box fits its children, never its text.
  SetAdjust(false, 0);
  SetFont(kTitleFont, 0);
  SetText(name, 0);
  SetTextStyle(kTitleStyle, 0);
  SSymDeftCanvas canvas;
  m_titleHeight = canvas.GetTextHeight(name.IsEmpty() ? SString(u" ") : name, kTitleFont) + 2 * kTitlePad;
  SSymRect r = m_rect;
  r.Normalize();
  const LONG w = std::max<LONG>({r.x2 - r.x1, kMinWidth, canvas.GetTextWidth(name, kTitleFont) + 4 * kTitlePad});
  const LONG h = std::max<LONG>(r.y1 - r.y2, m_titleHeight + 2 * kMargin);
  PutRect(SSymRect(r.x1, r.y1, r.x1 + w, r.y1 - h));
}

SHostPackageSym* SHostNewPackageSymbol(ISRepSession* session, ISRepObject* package, LONG x, LONG y) {
  SRepObject* p = SRepObject::FromInterface(package);
  SComOut<ISRepObject> parent;
  if (!session || !p || p->IsDeleted() || !SRepIsKindOf(package, CLSID_SHostPackage) ||
      p->GetParent(&parent) != S_OK || !parent)
    return nullptr;
  auto* s = new SHostPackageSym(session, SSymRect(x, y, x + 1, y - 1));
  s->AddRef();
  s->SetSession(session);
  s->SetShadowStyle(0, 0);
  if (!SHostBind(s->Obj(), package)) {
    s->Release();
    return nullptr;
  }
  s->SetTitle(SHostNameOf(package));
  return s;
}
