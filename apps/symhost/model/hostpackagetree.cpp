#include "apps/symhost/model/hostpackagetree.h"

#include <algorithm>

#include "apps/symhost/model/hostmodelsyms.h"
#include "sym/render/symdeftcanv.h"
#include "sym/shapes/symtreeline.h"

namespace {
constexpr LONG kMinWidth = 5400, kHeight = 1500, kPad = 300;
const SSymFont kNodeFont(SString(u"Arial"), 9, SSymFont::Bold);
}  // namespace

const TreeSymData& SHostPackageTreeData() {
  static const TreeSymData data{0, SHostId::Packages, CLSID_SHostPackage, 0};
  return data;
}

SHostPackageTree::SHostPackageTree(ISRepSession* session, const SSymRect& rect)
    : SRepFaces(session, rect, RoundRect), m_tree(new SSymTreeImpl(*this, SHostPackageTreeData())) {
  m_tree->AddRef();
}

SHostPackageTree::~SHostPackageTree() { m_tree->Release(); }

HRESULT SHostPackageTree::InternalQueryInterface(REFIID iid, void** ppv) {
  if (iid == IID_ISSymTree || iid == IID_ISSymOwner) return m_tree->QueryInterface(iid, ppv);
  return SRepFaces::InternalQueryInterface(iid, ppv);
}

HRESULT SHostPackageTree::Draw(SSymCanvas& canvas) {
  const HRESULT hr = SRepFaces::Draw(canvas);
  if (!IsHidden()) m_tree->DrawChildren(canvas);
  return hr;
}

HRESULT SHostPackageTree::MoveBy(const SSymSize& offset, int redraw) {
  const HRESULT hr = SRepFaces::MoveBy(offset, redraw);
  if (FAILED(hr) || (offset.cx == 0 && offset.cy == 0) || IsInUndoContext()) return hr;
  SComTable<ISSymbol> children;
  m_tree->GetAllChildren(children, 0, 0);
  for (int i = 0; i < children.GetCount(); ++i) children.GetAt(i)->MoveBy(offset, redraw);
  // The line keeps its distance from the node and spans the moved children.
  if (auto* line = dynamic_cast<SSymTreeLine*>(SSymBase::FromInterface(m_tree->GetBranchLine())))
    if (line->IsPlaced()) line->UpdateDist(Sym());
  return hr;
}

HRESULT SHostPackageTree::GetModelObject(ISRepObject** out) {
  if (!out) return E_POINTER;
  *out = SHostBoundObject(Obj());
  if (!*out) return S_FALSE;
  (*out)->AddRef();
  return S_OK;
}

std::uintptr_t SHostPackageTree::GetIdent() { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }

SHostPackageTree* SHostNewPackageTree(ISRepSession* session, ISRepObject* package, const SSymPoint& centre) {
  SRepObject* p = SRepObject::FromInterface(package);
  if (!session || !p || p->IsDeleted() || !SRepIsKindOf(package, CLSID_SHostPackage)) return nullptr;
  const SString name = SHostNameOf(package);
  SSymDeftCanvas canvas;
  const LONG w = std::max<LONG>(kMinWidth, canvas.GetTextWidth(name, kNodeFont) + 2 * kPad);
  SSymRect r(0, kHeight, w, 0);
  r.OffsetRect(centre.x - w / 2, centre.y - kHeight / 2);
  auto* s = new SHostPackageTree(session, r);
  s->AddRef();
  s->SetSession(session);
  s->SetShadowStyle(0, 0);
  if (!SHostBind(s->Obj(), package)) {
    s->Release();
    return nullptr;
  }
  s->SetAdjust(false, 0);  // the node keeps its size
  s->SetFont(kNodeFont, 0);
  s->SetText(name, 0);
  s->SetTextStyle(0x22, 0);
  return s;
}
