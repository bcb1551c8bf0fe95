// The host's diagram type: the library's diagram with the host's display
// preferences (module code "HOST", swimlanes supported and hideable), and
// the host operations that make, find and copy the symbols of the host's
// model objects (apps/symhost/model). The model diagram of the main job is
// one of these.
#pragma once

#include <vector>

#include "sym/diagram/symdiagram.h"

class SHostDispPref : public SSymDispPref {
 public:
  explicit SHostDispPref(ISRepObject* diagram) : SSymDispPref(diagram) {}
  SString GetModuleCode() const override { return SString(u"HOST"); }
  // The host's diagrams have swimlanes, which the user may switch off.
  int IsSupportSwimSymbol(int* canHide) override {
    (void)canHide;
    return 1;
  }
  // New symbols take the look of the sample sheet's boxes: a thin dark pen
  // on white, the text in Arial 8.
  void GetSymDefConf(SSymFormat* format) override;
};

class SHostModelDiagram : public SSymDiagram {
 public:
  explicit SHostModelDiagram(ISRepSession* session) : SSymDiagram(session) {}
  SHostModelDiagram(const SHostModelDiagram& source) : SSymDiagram(source) {}
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new SHostDispPref(Obj()));
    return S_OK;
  }
  ISRepObject* Obj() { return RepObject(); }

  ~SHostModelDiagram() override;
  // A new, initialised diagram of the session (counted for the caller).
  static SHostModelDiagram* Create(ISRepSession* session);

  // ---- host operations (apps/symhost/model/hostmodeldiagram.cpp). An
  // entity gets an entity symbol, a relation a relation link, a package
  // inside a model a package composite (apps/symhost/model/hostpackagesym.h;
  // the model itself, the top package, is what the diagram shows); any other
  // object, a null or deleted one, or one of another session gets none.
  // A symbol made but not added to the diagram is kept by the diagram.
  ISSymbol* CreateSymbolForObject(ISRepObject* object, int x, int y, int add) override;
  ISSymbol* CreateLinkSymbolForObject(ISRepObject* link, ISSymbol* first, ISSymbol* second) override;
  ISSymbol* CopySymbolForObject(ISRepObject* object, ISSymbol* source, int add, const SSymSize& offset, int flag,
                                SRepMapObject* map) override;
  ISSymbol* CopyLinkSymbolForObject(ISRepObject* object, ISSymbol* first, ISSymbol* second, ISSymLink* source,
                                    const SSymSize& offset) override;
  // The first symbol of the object that is one of this diagram's own symbols.
  ISSymbol* FindSymbolOfObject(ISRepObject* object, int flag) override;
  // The class of the symbol an object would get (a package: the package
  // composite's; none for objects without a symbol kind).
  HRESULT GetSymbolClassForObject(ISRepObject* object, int flag, CLSID* out) override;
  // The symbol a tree makes for a child object: a package gets a package
  // tree node (apps/symhost/model/hostpackagetree.h), which the tree that
  // asked completes; an entity its entity symbol. Added to the diagram.
  ISSymbol* AttachObject(ISRepObject* object, const SSymPoint& centre, int complete) override;

 protected:
  // The host's diagrams have swimlane pools: a move re-files lanes and pools.
  int IsSupportSwimSymbol() override { return 1; }

 private:
  bool InMySession(ISRepObject* object);
  // Adds the symbol to the diagram (add non-zero) or keeps it; answers it.
  ISSymbol* Place(ISSymbol* symbol, int add);
  std::vector<ISSymbol*> m_kept;  // counted: made but not added
};
