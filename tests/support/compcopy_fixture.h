// The copy of composite children in tests: a diagram that copies the symbols
// of model objects as a host's diagram does (noting each call and the
// composite class flags it saw), a link that shows a model object, and a
// fixture that builds composites of model objects with children and links.
#pragma once

#include <vector>

#include "support/comp_fixture.h"

inline constexpr LONG kLinkObjects = 0x02000030;  // the collection the tests keep link objects in

// A link between two symbols that shows the model object it is bound to.
class TModelLink : public SRepFaces<TModelLink, TLink, ISSymObject> {
 public:
  explicit TModelLink(ISRepSession* s) : SRepFaces(s) {}
  HRESULT GetModelObject(ISRepObject** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    SRepCollection* c = FindCollection(kShows);
    if (!c || c->GetCount() == 0) return S_FALSE;
    return c->Item(0, out);
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
};

// A diagram that copies symbols for model objects: a box (a composite for a
// composite) or a link bound to the object it is given, moved by the offset,
// placed in the diagram. It notes the source of every call and whether the
// class flag CompCopying of `watch` was set at the time; `throwAt` makes the
// call of that number (from 1) throw.
class TCopyDiagram : public TDiagram {
 public:
  explicit TCopyDiagram(ISRepSession* s) : TDiagram(s) {}
  ISSymbol* CopySymbolForObject(ISRepObject* object, ISSymbol* source, int add, const SSymSize& offset, int,
                                SRepMapObject*) override {
    Note(source);
    auto* from = SSymBase::FromInterface(source);
    if (!object || !from) return nullptr;
    SSymRect r = from->m_rect;
    r.OffsetRect(offset.cx, offset.cy);
    auto* comp = dynamic_cast<TCompSym*>(from);
    TModelSym* copy =
        comp ? new TCompSym(GetSessionImpl(), r, comp->Comp().GetCompDef()) : new TModelSym(GetSessionImpl(), r);
    Keep(copy, object);
    if (add) Add(copy->Sym());
    return copy->Sym();
  }
  ISSymbol* CopyLinkSymbolForObject(ISRepObject* object, ISSymbol* first, ISSymbol* second, ISSymLink* source,
                                    const SSymSize&) override {
    Note(SComWrap<ISSymbol>(source).Get());
    if (!object || !first || !second) return nullptr;
    auto* copy = new TModelLink(GetSessionImpl());
    Keep(copy, object);
    m_links->push_back(copy);
    copy->AttachSym(0, SComWrap<ISSymLinkable>(first), SSymPoint());
    copy->AttachSym(1, SComWrap<ISSymLinkable>(second), SSymPoint());
    Add(copy->Sym());
    return copy->Sym();
  }

  std::vector<ISSymbol*> m_calls;  // the source of each call, in order
  std::vector<bool> m_copyingSeen;
  const SSymCompDef* m_watch = nullptr;
  size_t m_throwAt = 0;
  std::vector<SRepObject*>* m_made = nullptr;  // the fixture's: released at its end
  std::vector<TLink*>* m_links = nullptr;  // the fixture's: ends let go at its end

 private:
  void Note(ISSymbol* source) {
    m_calls.push_back(source);
    m_copyingSeen.push_back(m_watch && (m_watch->nFlags & SSymCompDef::CompCopying));
    if (m_calls.size() == m_throwAt) throw SECOMException(E_FAIL);
  }
  void Keep(SSymBase* copy, ISRepObject* object) {
    copy->AddRef();
    copy->SetSession(GetSessionImpl());
    m_made->push_back(copy);
    copy->Collection(kShows)->Insert(object, -1);
  }
};

class CompCopyFixture : public CompFixture {
 protected:
  void SetUp() override {
    TNodeRegistry();
    CompFixture::SetUp();
    m_def.mapTypeToColl = {{0, kSubObjects}, {8, kLinkObjects}};
    m_def.nFlags = SSymCompDef::CompCopying;
    m_copyDiagram = Make<TCopyDiagram>();
    m_copyDiagram->m_made = &m_made;
    m_copyDiagram->m_links = &m_links;
    m_copyDiagram->m_watch = &m_def;
  }
  // A model object holding `subs` sub-objects and `links` link objects.
  TNode* ModelWith(int subs, int links = 0) {
    TNode* m = Node();
    for (int i = 0; i < subs; ++i) m->Collection(kSubObjects)->Insert(Node(), -1);
    for (int i = 0; i < links; ++i) m->Collection(kLinkObjects)->Insert(Node(), -1);
    return m;
  }
  static TNode* Member(TNode* model, LONG coll, int i) {
    return dynamic_cast<TNode*>(model->Collection(coll)->Items()[static_cast<size_t>(i)]);
  }
  // A composite of the test class showing model, in an owner (the copying
  // diagram unless told; null: none).
  TCompSym* CompOf(TNode* model, SSymRect r, const SSymCompDef* def = nullptr) {
    TCompSym* c = Make<TCompSym>(r, def ? def : &m_def);
    if (model) Bind(c, model);
    return c;
  }
  TCompSym* PlacedComp(TNode* model, SSymRect r, const SSymCompDef* def = nullptr) {
    TCompSym* c = CompOf(model, r, def);
    m_copyDiagram->Add(c->Sym());
    return c;
  }
  static void Hold(TCompSym* comp, SSymBase* child) { comp->Collection(SymAttr::Symbols)->Insert(child->Obj(), -1); }
  // A child of comp showing model.
  template <class T = TModelSym>
  T* ChildOf(TCompSym* comp, TNode* model, SSymRect r) {
    T* t = Make<T>(r);
    if (model) Bind(t, model);
    Hold(comp, t);
    return t;
  }
  // A link child of comp showing model, from a to b.
  TModelLink* LinkOf(TCompSym* comp, TNode* model, SSymBase* a, SSymBase* b, SSymPoint pa, SSymPoint pb) {
    TModelLink* l = Make<TModelLink>();
    m_links.push_back(l);
    Bind(l, model);
    l->AttachSym(0, a->Linkable(), pa);
    l->AttachSym(1, b->Linkable(), pb);
    Hold(comp, l);
    return l;
  }
  // The children of a composite, in collection order.
  static std::vector<SSymBase*> Children(TCompSym* comp) {
    std::vector<SSymBase*> out;
    for (SRepObject* o : comp->Collection(SymAttr::Symbols)->Items())
      out.push_back(SSymBase::FromInterface(SComWrap<ISSymbol>(o).Get()));
    return out;
  }
  // The model object a symbol shows (not counted), or null.
  static ISRepObject* Shows(SSymBase* s) {
    SRepCollection* c = s ? s->FindCollection(kShows) : nullptr;
    return c && c->GetCount() ? c->Items()[0] : nullptr;
  }

  SSymCompDef m_def;
  TCopyDiagram* m_copyDiagram = nullptr;
};
