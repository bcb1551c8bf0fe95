// Composite symbols for tests: a test symbol bound to a model object (a
// TNode) and a composite symbol that attaches the library's composite
// implementation with a definition record the test gives it, and a fixture
// that makes model objects, binds symbols to them and releases the
// repository links at its end.
#pragma once

#include <vector>

#include "support/repfixture.h"
#include "support/symsolid_fixture.h"
#include "support/symtest.h"
#include "sym/composite/symcompimpl.h"
#include "sym/composite/symcompupdate.h"

// Member ids of the model that composites read.
inline constexpr LONG kSubObjects = 0x02000023;  // the default collection children stand for
inline constexpr LONG kShownBy = 0x04800087;     // the symbols that show a model object
inline constexpr LONG kShows = 0x04000087;       // its reverse: the model object a symbol shows

// A symbol over `Base` that shows the model object it is bound to (its
// collection kShows), and draws its rectangle so that a recording shows the
// order.
template <class Base>
class TModelSymOf : public SRepFaces<TModelSymOf<Base>, Base, ISSymObject> {
  using Faces = SRepFaces<TModelSymOf<Base>, Base, ISSymObject>;

 public:
  explicit TModelSymOf(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : Faces(s, r) {}
  HRESULT GetModelObject(ISRepObject** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    SRepCollection* c = this->FindCollection(kShows);
    if (!c || c->GetCount() == 0) return S_FALSE;
    return c->Item(0, out);
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override { ++m_attached; }
  void CompleteLink(int) override {}
  HRESULT Draw(SSymCanvas& canvas) override {
    if (!this->IsHidden()) canvas.Rectangle(this->m_rect);
    return S_OK;
  }
  int m_attached = 0;
};
using TModelSym = TModelSymOf<TSym>;

// The composite implementation of the tests: the deriving class's child
// test excludes the symbols a test lists.
class TCompImpl : public SSymCompImpl {
 public:
  using SSymCompImpl::SSymCompImpl;
  int IsExcludedChild(ISSymbol* s) override {
    for (ISSymbol* e : m_excluded)
      if (SRepAreSameObjects(e, s)) return 1;
    return 0;
  }
  std::vector<ISSymbol*> m_excluded;  // not counted
};

// A composite symbol over `Base`: a model symbol that answers ISSymCompSym
// and ISSymOwner with its composite implementation.
template <class Base>
class TCompSymOf : public TModelSymOf<Base> {
 public:
  TCompSymOf(ISRepSession* s, SSymRect r = SSymRect(0, 36000, 48000, 0), const SSymCompDef* def = &DefaultDef())
      : TModelSymOf<Base>(s, r), m_comp(new TCompImpl(this, def)) {
    m_comp->AddRef();
    if constexpr (requires { this->m_symType; }) this->m_symType = 9;
  }
  ~TCompSymOf() override {
    m_comp->Detach();
    m_comp->Release();
  }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if (iid == IID_ISSymCompSym || iid == IID_ISSymOwner) return m_comp->QueryInterface(iid, ppv);
    return TModelSymOf<Base>::InternalQueryInterface(iid, ppv);
  }
  TCompImpl& Comp() { return *m_comp; }
  ISSymCompSym* CompSym() { return m_comp; }
  // Every test composite class shares this record unless a test gives its own.
  static const SSymCompDef& DefaultDef() {
    static const SSymCompDef def;
    return def;
  }

 private:
  TCompImpl* m_comp;  // counted
};
using TCompSym = TCompSymOf<TSym>;
using TSolidCompSym = TCompSymOf<TSolid>;

class CompFixture : public SymFixture {
 protected:
  void TearDown() override {
    // Collections hold their members: let go of them before the objects go.
    for (SRepObject* o : m_made) o->ReleaseAll();
    SymFixture::TearDown();
  }
  // A model object (owned by the fixture).
  TNode* Node() { return Make<TNode>(); }
  // Binds a symbol to a model object: the model object lists the symbol
  // among the symbols that show it.
  static void Bind(SSymBase* symbol, TNode* model) { symbol->Collection(kShows)->Insert(model, -1); }
  // A composite in the diagram with the definition `def`.
  TCompSym* NewComp(const SSymCompDef* def, SSymRect r = SSymRect(0, 36000, 48000, 0)) {
    return Place<TCompSym>(DiagramOwner(), r, def);
  }
};
