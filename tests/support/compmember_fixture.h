// Composites with a title and a diagram that makes the symbols of model
// objects, for the tests of membership, completion and layout: the titled
// composite answers the host's title service (a title height and margins a
// test sets), and the diagram answers the host operations over TNode model
// objects (a symbol of a test-set size at the point asked, a link between
// two symbols, the symbol that shows an object).
#pragma once

#include <functional>
#include <vector>

#include "support/comp_fixture.h"
#include "sym/symbol/symintfhost.h"

// A composite whose title service gives a title height and four margins.
class TTitledComp : public SRepFaces<TTitledComp, TCompSym, ISSymSubSym> {
 public:
  TTitledComp(ISRepSession* s, SSymRect r = SSymRect(0, 36000, 48000, 0), const SSymCompDef* def = &DefaultDef())
      : SRepFaces(s, r, def) {}
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) override {
    if (left) *left = m_margins[0];
    if (right) *right = m_margins[1];
    if (top) *top = m_margins[2];
    if (bottom) *bottom = m_margins[3];
    return m_hasMargins;
  }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>&, int) override { return 0; }
  int GetSubSymCount(int) override { return 0; }
  SSymSubsFonts* GetSubSymbol(int, int) override { return nullptr; }
  int GetSubSymSize(LONG* width, LONG* height) override {
    if (width) *width = m_rect.GetMaxX() - m_rect.GetMinX();
    if (height) *height = m_title;
    return 1;
  }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }

  LONG m_title = 900;
  LONG m_margins[4] = {0, 0, 0, 0};  // left, right, top, bottom
  int m_hasMargins = 0;
};

// The library's diagram with the host operations over model objects: a
// symbol for an object is a TModelSym of m_size with its upper left corner
// at the point asked; a link object gets a TLink between the two symbols.
class TModelDiagram : public TDiagram {
 public:
  explicit TModelDiagram(ISRepSession* s) : TDiagram(s) {}
  ISSymbol* CreateSymbolForObject(ISRepObject* object, int x, int y, int add) override {
    if (!object || !m_makeSymbol || m_refuse) return nullptr;
    m_asked.push_back(SSymPoint(x, y));
    TModelSym* s = m_makeSymbol(SSymRect(x, y, x + m_size.cx, y - m_size.cy));
    s->Collection(kShows)->Insert(object, -1);
    if (add) Add(s->Sym());
    return s->Sym();
  }
  ISSymbol* CreateLinkSymbolForObject(ISRepObject* link, ISSymbol* first, ISSymbol* second) override {
    if (!link || !first || !second || !m_makeLink) return nullptr;
    TLink* l = m_makeLink();
    l->Collection(kShows)->Insert(link, -1);
    l->AttachSym(0, SComWrap<ISSymLinkable>(first).Get(), SSymPoint());
    l->AttachSym(1, SComWrap<ISSymLinkable>(second).Get(), SSymPoint());
    Add(l->Sym());
    return l->Sym();
  }
  ISSymbol* FindSymbolOfObject(ISRepObject* object, int) override {
    SRepObject* o = SRepObject::FromInterface(object);
    SRepCollection* shown = o ? o->FindCollection(kShownBy) : nullptr;
    if (!shown) return nullptr;
    for (SRepObject* s : shown->Items()) {
      SComWrap<ISSymbol> sym(static_cast<ISRepObject*>(s));
      if (!sym.IsNull() && SSymOwnerImpl::Contains(sym.Get(), 1)) return sym.Get();
    }
    return nullptr;
  }
  HRESULT GetSymbolClassForObject(ISRepObject* object, int, CLSID* out) override {
    if (!out) return E_POINTER;
    *out = m_symbolClass;
    return object ? S_OK : S_FALSE;
  }
  int GetDiagramKind() override { return m_kind; }

  std::function<TModelSym*(SSymRect)> m_makeSymbol;
  std::function<TLink*()> m_makeLink;
  SSymSize m_size = SSymSize(1000, 600);
  CLSID m_symbolClass = GUID_NULL;
  int m_kind = 0;
  bool m_refuse = false;
  std::vector<SSymPoint> m_asked;  // where symbols were asked for, in order
};

// A composite fixture whose diagram makes the symbols of model objects.
class CompMemberFixture : public CompFixture {
 protected:
  void SetUp() override {
    TNodeRegistry();
    CompFixture::SetUp();
    m_model = Make<TModelDiagram>();
    m_model->m_makeSymbol = [this](SSymRect r) { return Make<TModelSym>(r); };
    m_model->m_makeLink = [this] { return Make<TLink>(); };
  }
  // A titled composite in the model diagram, bound to a model object when given.
  TTitledComp* NewTitled(const SSymCompDef* def, SSymRect r = SSymRect(0, 36000, 48000, 0), TNode* model = nullptr) {
    TTitledComp* c = Place<TTitledComp>(m_model, r, def);
    if (model) Bind(c, model);
    return c;
  }
  TModelDiagram* m_model = nullptr;
};
