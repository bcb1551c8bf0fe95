// The host operations of the host's diagram: symbols of model objects.
#include "apps/symhost/hostdiagram.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/hostpackagesym.h"
#include "apps/symhost/model/hostpackagetree.h"
#include "kvrep/srepextras.h"
#include "sym/symbol/symintflink.h"

namespace {

SSymPoint Centre(SSymBase* s) {
  SSymRect r = s->m_rect;
  r.Normalize();
  return r.GetCenter();
}

// A relation link between two symbols, styled as the host draws relations,
// bound to the relation; null when an end is not a symbol of this library.
SHostRelationLink* MakeLink(ISRepSession* session, ISRepObject* relation, ISSymbol* first, ISSymbol* second,
                            ISSymbol* lookOf) {
  SSymBase* a = SSymBase::FromInterface(first);
  SSymBase* b = SSymBase::FromInterface(second);
  if (!a || !b) return nullptr;
  auto* l = new SHostRelationLink(session);
  l->AddRef();
  l->SetSession(session);
  l->SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(RGB(0x2F, 0x55, 0x97))), 0);
  l->SetShadowStyle(0, 0);
  const SSymListPt pts{Centre(a), Centre(b)};
  l->SetListPt(pts, 0, 0, 0);
  l->SetArrow(8, 0, 0);
  l->SetFontName(SString(u"Arial,8"));
  if (lookOf) l->CopySymAttributes(lookOf, 0);
  l->AttachSym(0, a->Linkable(), pts[0]);
  l->AttachSym(1, b->Linkable(), pts[1]);
  l->SetCtrText(SHostNameOf(relation));
  if (!SHostBind(l->Obj(), relation)) {
    l->DetachEnd(0);
    l->DetachEnd(1);
    l->Release();
    return nullptr;
  }
  return l;
}

}  // namespace

SHostModelDiagram::~SHostModelDiagram() {
  for (ISSymbol* s : m_kept) s->Release();
}

bool SHostModelDiagram::InMySession(ISRepObject* object) {
  SRepObject* o = SRepObject::FromInterface(object);
  return o && !o->IsDeleted() && o->GetSessionImpl() && o->GetSessionImpl() == GetSessionImpl();
}

ISSymbol* SHostModelDiagram::Place(ISSymbol* symbol, int add) {
  if (add && SUCCEEDED(SSymDiagramImpl::Add(symbol))) {
    symbol->Release();  // the diagram's collection holds it
    return symbol;
  }
  m_kept.push_back(symbol);
  return symbol;
}

ISSymbol* SHostModelDiagram::CreateSymbolForObject(ISRepObject* object, int x, int y, int add) {
  if (InMySession(object) && SRepIsKindOf(object, CLSID_SHostPackage)) {
    SHostPackageSym* p = SHostNewPackageSymbol(GetSessionImpl(), object, x, y);
    return p ? Place(p->Sym(), add) : nullptr;
  }
  if (!InMySession(object) || !SRepIsKindOf(object, CLSID_SHostEntity)) return nullptr;
  auto* s = new SHostEntitySym(GetSessionImpl(), SSymRect(x, y, x + 1, y - 1));
  s->AddRef();
  s->SetSession(GetSessionImpl());
  s->SetShadowStyle(0, 0);
  if (!SHostBind(s->Obj(), object)) {
    s->Release();
    return nullptr;
  }
  SHostBuildEntitySymbol(s, object);
  return Place(s->Sym(), add);
}

ISSymbol* SHostModelDiagram::CreateLinkSymbolForObject(ISRepObject* link, ISSymbol* first, ISSymbol* second) {
  if (!InMySession(link) || !SHostIsLinkObject(link) || !first || !second) return nullptr;
  SHostRelationLink* l = MakeLink(GetSessionImpl(), link, first, second, nullptr);
  return l ? Place(l->Sym(), 1) : nullptr;
}

ISSymbol* SHostModelDiagram::CopySymbolForObject(ISRepObject* object, ISSymbol* source, int add,
                                                 const SSymSize& offset, int flag, SRepMapObject* map) {
  (void)flag;
  SSymBase* from = SSymBase::FromInterface(source);
  if (!from || !dynamic_cast<SHostEntitySym*>(from)) return nullptr;
  SSymRect r = from->m_rect;
  r.Normalize();
  ISSymbol* copy = CreateSymbolForObject(object, r.x1 + offset.cx, r.y1 + offset.cy, add);
  if (!copy) return nullptr;
  copy->CopySymAttributes(source, 0);
  SHostBuildEntitySymbol(dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(copy)), object);
  if (map) map->SetAt(from->Obj(), SSymBase::FromInterface(copy)->Obj());
  return copy;
}

ISSymbol* SHostModelDiagram::CopyLinkSymbolForObject(ISRepObject* object, ISSymbol* first, ISSymbol* second,
                                                     ISSymLink* source, const SSymSize& offset) {
  (void)offset;  // the copy runs between the copies of the ends, which have moved already
  if (!InMySession(object) || !SHostIsLinkObject(object) || !first || !second || !source) return nullptr;
  SComWrap<ISSymbol> look(source);
  SHostRelationLink* l = MakeLink(GetSessionImpl(), object, first, second, look.Get());
  return l ? Place(l->Sym(), 1) : nullptr;
}

ISSymbol* SHostModelDiagram::FindSymbolOfObject(ISRepObject* object, int flag) {
  (void)flag;
  if (!InMySession(object)) return nullptr;
  SRepObjIterator it(object, SHostId::ShownBy);
  while (ISRepObject* o = it.Next()) {
    SSymBase* s = SSymBase::FromInterface(o);
    if (!s) continue;
    if (SSymDiagramImpl::Contains(s->Sym(), 1)) return s->Sym();
    for (ISSymbol* k : m_kept)
      if (k == s->Sym()) return k;
  }
  return nullptr;
}

HRESULT SHostModelDiagram::GetSymbolClassForObject(ISRepObject* object, int flag, CLSID* out) {
  (void)flag;
  if (!out) return E_POINTER;
  *out = GUID_NULL;
  if (!InMySession(object)) return S_FALSE;
  if (SRepIsKindOf(object, CLSID_SHostEntity)) *out = CLSID_SSymSolidText;
  else if (SRepIsKindOf(object, CLSID_SHostRelation)) *out = CLSID_SSymLinkSym;
  else if (SRepIsKindOf(object, CLSID_SHostPackage)) *out = CLSID_SHostPackageSym;
  return *out == GUID_NULL ? S_FALSE : S_OK;
}

ISSymbol* SHostModelDiagram::AttachObject(ISRepObject* object, const SSymPoint& centre, int complete) {
  (void)complete;  // a node is completed by the tree that takes it
  if (!InMySession(object)) return nullptr;
  if (SRepIsKindOf(object, CLSID_SHostPackage)) {
    SHostPackageTree* t = SHostNewPackageTree(GetSessionImpl(), object, centre);
    return t ? Place(t->Sym(), 1) : nullptr;
  }
  return CreateSymbolForObject(object, centre.x, centre.y, 1);
}
