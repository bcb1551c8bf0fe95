#include "apps/symhost/model/modelmerge.h"

#include "apps/symhost/model/hostmodelsyms.h"
#include "kvrep/srepsession.h"

namespace {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The model object a symbol shows (counted), or empty.
RepObjWrap ShownBy(ISRepObject* symbol) {
  SComWrap<ISSymObject> so(symbol);
  if (so.IsNull()) return {};
  SComOut<ISRepObject> o;
  if (so->GetModelObject(&o) != S_OK || !o) return {};
  return RepObjWrap(o.Get());
}

// Links and their end symbols hold each other: the ends of the diagram's
// links are let go before the diagram and its session go.
void DetachLinks(ISSymDiagram* diagram) {
  SComOut<ISRepClassCol> symbols;
  if (!diagram || diagram->GetSymbols(&symbols) != S_OK || !symbols) return;
  SRepObjIterator it(symbols.Get());
  while (ISRepObject* o = it.Next())
    if (SComWrap<ISSymLink> link(o); !link.IsNull()) {
      link->DetachEnd(0);
      link->DetachEnd(1);
    }
}

ISRepSession* SessionOf(ISRepObject* o) {
  SRepObject* impl = SRepObject::FromInterface(o);
  return impl ? static_cast<ISRepSession*>(impl->GetSessionImpl()) : nullptr;
}

}  // namespace

SHostModelMerge::SHostModelMerge(SSymViewEdit* view, ISRepObject* root, SSymRect* rect,
                                 ISRepSession* sourceSession)
    : SSymMerge(view, root, view ? view->GetSelection() : nullptr, rect, sourceSession) {}

SHostModelMerge::~SHostModelMerge() {
  for (ISSymbol* s : m_merged) s->Release();
}

int SHostModelMerge::NeedsAutoLayout(ISRepObject* object, DWORD) {
  SComWrap<ISSymbol> s(object);
  return !s.IsNull() && s->GetClipRect(0, 0).IsDegenerate() ? 1 : 0;
}

int SHostModelMerge::CanMergeObject(ISRepObject* object) {
  return GetSessSrc() && SRepAreSameObjects(SessionOf(object), GetSessSrc()) ? 1 : 0;
}

void SHostModelMerge::BuildSelectedObject(ISRepClassCol* collection, SComBag<ISRepObject, ISRepObject*>*) {
  m_noted.RemoveAll();
  m_bOrphans = false;
  SRepObjIterator it(collection);
  while (ISRepObject* o = it.Next()) {
    m_noted.Add(o);
    RepObjWrap shown = ShownBy(o);
    if (!shown.IsNull())
      m_noted.Add(shown.Get());
    else if (SSymBase* s = SSymBase::FromInterface(o);
             s && (dynamic_cast<SHostEntitySym*>(s) || dynamic_cast<SHostRelationLink*>(s)))
      m_bOrphans = true;  // its model object was deleted: the symbol lost it
  }
}

int SHostModelMerge::VerifySelectedObject() {
  if (m_bOrphans) return 0;
  for (ISRepObject* o : m_noted)
    if (o->IsDeleted()) return 0;
  return 1;
}

int SHostModelMerge::HasDeleted(ISRepObject* object) { return object->IsDeleted() ? 1 : 0; }

ISRepObject* SHostModelMerge::TargetEntityFor(ISRepObject* source) {
  if (ISRepObject* known = m_mapFound.Find(source)) return known;
  SRepObject* entity = SHostAddEntity(GetFolder(), SHostNameOf(source));
  if (!entity) return nullptr;
  SRepObjIterator attributes(source, SHostId::Attributes);
  while (ISRepObject* a = attributes.Next()) {
    SString type;
    if (SRepObject* impl = SRepObject::FromInterface(a)) impl->Get_TEXT(SHostId::DataType, type);
    SHostAddAttribute(static_cast<ISRepObjectBase*>(entity), SHostNameOf(a), type);
  }
  ISRepObject* made = static_cast<ISRepObjectBase*>(entity);
  // The source entity is merged now: the merge passes over it from here on.
  m_mapFound.SetAt(source, made);
  m_made.push_back(made);
  return made;
}

void SHostModelMerge::Keep(ISSymbol* made) {
  made->AddRef();
  m_merged.push_back(made);
  if (SSymSelection* sel = GetSelection()) sel->Add(made, 1);
}

int SHostModelMerge::AttachSymbol(ISSymbol* symbol) {
  ISSymDiagram* diagram = GetTargetDiagram();
  RepObjWrap source = ShownBy(RepObjWrap(symbol));
  if (!diagram || source.IsNull() || !SRepIsKindOf(source.Get(), CLSID_SHostEntity)) return 1;
  ISRepObject* entity = TargetEntityFor(source.Get());
  if (!entity) return 0;
  ISSymbol* copy = diagram->CopySymbolForObject(entity, symbol, 1, SSymSize(0, 0), 0, nullptr);
  if (!copy) return 0;
  m_symbolCopy[symbol] = copy;
  Keep(copy);
  return 1;
}

void SHostModelMerge::PostMergeSymbols() {
  ISSymDiagram* diagram = GetTargetDiagram();
  if (!diagram || !GetRoot()) return;
  SRepObjIterator it(GetRoot(), SSymMergeId::RootObjects);
  while (ISRepObject* o = it.Next()) {
    SComWrap<ISSymLink> link(o);
    RepObjWrap relation = ShownBy(o);
    if (link.IsNull() || relation.IsNull() || relation->IsDeleted() || !SHostIsLinkObject(relation.Get())) continue;
    ISSymbol* ends[2] = {};
    for (int end = 0; end < 2; ++end) {
      SComOut<ISSymbol> s;
      if (SUCCEEDED(link->GetAttachSym(end, &s)) && s) {
        auto found = m_symbolCopy.find(SComWrap<ISSymbol>(s.Get()).Get());
        if (found != m_symbolCopy.end()) ends[end] = found->second;
      }
    }
    if (!ends[0] || !ends[1]) continue;  // an end stayed behind: no relation
    ISRepObject* from = ShownBy(RepObjWrap(ends[0])).Get();
    ISRepObject* to = ShownBy(RepObjWrap(ends[1])).Get();
    SRepObject* made = SHostAddRelation(GetFolder(), SHostNameOf(relation.Get()), from, to);
    if (!made) continue;
    ISRepObject* rel = static_cast<ISRepObjectBase*>(made);
    m_made.push_back(rel);
    if (ISSymbol* copy = diagram->CopyLinkSymbolForObject(rel, ends[0], ends[1], link.Get(), SSymSize(0, 0)))
      Keep(copy);
  }
}

// ---- the main job's merge ------------------------------------------------------------------

void SAddModelMerge(SHostDiagram& diagram, ISRepObject* model, const SSymRect& target,
                    std::vector<ISSymbol*>& made) {
  SHostModelDiagram* view = diagram.Model();
  if (!view || !model) return;
  // The other model, in a session of its own, with a diagram that shows it.
  SRepSession* source = new SRepSession();
  source->AddRef();
  SHostPackage* other = SHostNewModel(source, SString(u"Suppliers"));
  SHostModelDiagram* sourceDiagram = other ? SHostModelDiagram::Create(source) : nullptr;
  auto* root = new SRepRootObject();
  root->AddRef();
  root->SetSession(source);
  if (sourceDiagram) {
    ISRepObject* pkg = static_cast<ISRepObjectBase*>(other);
    SRepObject* contract = SHostAddEntity(pkg, SString(u"Contract"));
    SHostAddAttribute(contract, SString(u"number"), SString(u"integer"));
    SHostAddAttribute(contract, SString(u"signed"), SString(u"date"));
    SRepObject* delivery = SHostAddEntity(pkg, SString(u"Delivery"));
    SHostAddAttribute(delivery, SString(u"due"), SString(u"date"));
    SHostAddRelation(pkg, SString(u"schedules"), contract, delivery);
    ISSymbol* a = sourceDiagram->CreateSymbolForObject(contract, 0, 0, 1);
    // Far enough from Contract for the link's label beside its arrowhead.
    ISSymbol* b = sourceDiagram->CreateSymbolForObject(delivery, 15600, -1800, 1);
    SRepCollection* carried = root->OneSidedCollection(SRepRootCarried);
    // The link's ends are carried after it, destination first: the merge
    // still takes them by their places in the source.
    for (ISSymbol* s : {a, b})
      if (auto* e = s ? dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s)) : nullptr) {
        e->SetBrush(SSymBrush(SSymColor(RGB(0xFD, 0xEB, 0xD3))), 0);
        e->CompleteLink(1);
      }
    SComOut<ISRepClassCol> symbols;
    if (sourceDiagram->GetSymbols(&symbols) == S_OK && symbols)
      for (LONG i = 0; i < symbols->GetCount(); ++i) {
        SComOut<ISRepObject> o;
        if (symbols->Item(i, &o) == S_OK && !SComWrap<ISSymLink>(o.Get()).IsNull()) carried->Insert(o.Get(), -1);
      }
    for (ISSymbol* s : {b, a})
      if (s) carried->Insert(SComWrap<ISRepObject, &IID_ISRepObject>(s).Get(), -1);

    // A title at the top of the target; the block lands under it.
    SHostBox* title = diagram.AddCaption(SSymRect(target.x1, target.y1, target.x1 + 21600, target.y1 - 1500),
                                         SString(u"Merged from Suppliers"),
                                         SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0x120);
    made.push_back(title->Sym());
    auto* edit = new SHostEditView(model);
    edit->AddRef();
    edit->SetDiagram(view);
    SSymRect rect(target.x1, target.y1 - 2400, target.x2, target.y2);
    {
      SRepCreateContext step(diagram.Session());
      SHostModelMerge merge(edit, static_cast<ISRepObjectBase*>(root), &rect, source);
      if (merge.MergeModel(1))
        for (ISSymbol* s : merge.GetMerged()) {
          diagram.Track(s);
          made.push_back(s);
        }
    }
    edit->SetDiagram(nullptr);
    edit->Release();
    DetachLinks(sourceDiagram);
    sourceDiagram->Release();
  }
  root->Release();
  if (other) other->Release();
  source->Release();
}
