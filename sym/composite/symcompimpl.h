// SSymCompImpl: the shared implementation of the composite interface
// ISSymCompSym. A composite symbol is a symbol whose child symbols stand for
// the sub-objects of its model object; the children are the members of the
// composite symbol's own Symbols collection in the repository, so this
// object keeps no state of its own beyond its count, the class's definition
// record and the symbol it serves: every operation reads the children, the
// rectangle and the flags afresh.
//
// A concrete composite class attaches one of these to its symbol, answers
// ISSymCompSym and ISSymOwner with it, and supplies IsExcludedChild (and,
// if it needs to, FinalRelease). Every other interface asked of this object
// is asked of the symbol, so a composite answers ISSymbol, ISRepObject and
// the rest, and the identity (IUnknown) is the symbol's.
//
// The symbol is held without a reference; the symbol calls Detach when it
// goes, after which every operation refuses (a result code, nothing done).
// A composite without a definition record refuses the operations that need
// one the same way.
//
// The bodies live in several files: the measuring, testing and drawing of
// children and the children area here (symcompimpl.cpp); membership and completion
// (symcompmember.cpp); the layout of new children (symcomplayout.cpp); the
// copy of children (symcompcopy.cpp); links over a set (symcomplinks.cpp).
#pragma once

#include "sym/composite/symcompdef.h"
#include "sym/symbol/symbase.h"

class SSymCompImpl : public ISSymCompSym {
 public:
  // Bits of the composite symbol's state word (SSymBase::m_state) that the
  // composite reads.
  enum : DWORD {
    StateNoRectUpdate = 0x02,  // UpdateRect does nothing
    StateNoChildDraw = 0x08,   // DrawChildren draws nothing
    StateNoGrow = 0xC000,      // the rectangle is not grown (children are clipped to it)
  };
  // Distances of the children rectangle, in diagram units.
  static constexpr LONG ChildInflate = 600;  // around the children's union
  static constexpr LONG SnapDistance = 10;   // an edge nearer than this to the composite's takes its value

  // `symbol` is the composite symbol it serves (not counted); `def` the
  // class's definition record (not owned; may be null: the operations that
  // need it then refuse).
  SSymCompImpl(SSymBase* symbol, const SSymCompDef* def) : m_pCompDef(def), m_pSymbol(symbol) {}
  SSymCompImpl(const SSymCompImpl&) = delete;
  SSymCompImpl& operator=(const SSymCompImpl&) = delete;

  // The symbol went away: every later operation refuses.
  void Detach() { m_pSymbol = nullptr; }
  SSymBase* GetSymbolObject() const { return m_pSymbol; }

  // ---- IUnknown
  // ISSymCompSym and ISSymOwner give this object; everything else (IUnknown
  // included) is the symbol's; E_NOINTERFACE once the symbol is gone.
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  // At 0 calls FinalRelease.
  ULONG Release() override;

  // ---- ISSymOwner (membership, symcompmember.cpp)
  // Takes the symbol as a child (leaving its old owner) and joins its model
  // object to the composite's model object; nothing for null, for the
  // composite itself or for a composite without a definition.
  HRESULT Add(ISSymbol* symbol) override;
  // Takes the child out of the Symbols collection only.
  HRESULT Remove(ISSymbol* symbol) override;
  BOOL Contains(ISSymbol* symbol, int deep) override;
  HRESULT GetTopOwner(ISSymOwner** out) override;
  HRESULT SymResize(ISSymbol* symbol) override;
  HRESULT SymRedraw(ISSymbol* symbol) override;
  HRESULT CreateChildrenSym(int recursive) override;

  // ---- ISSymCompSym
  SSymRect GetChildrenRect(int header) override;
  int UpdateRect() override;
  int CanAddAsChild(ISRepObject* candidate, LONG collection, const SString& text) override;  // symcompmember.cpp
  HRESULT GetAllChildren(SComTable<ISSymbol>& out, int deep) override;
  HRESULT Remove(ISSymbol* symbol, int withObject) override;
  int GetChildType(ISSymbol* symbol) override;
  int GetChildRect(ISSymbol* symbol, SSymRect& rect) override;
  HRESULT DrawChildren(SSymCanvas& canvas) override;
  HRESULT CompleteAllChildrenSym(int recursive) override;  // symcompmember.cpp
  int HasAllChildrenSym(int recursive) override;
  int HasHiddenChildrenSym() override;
  HRESULT CopyChildrenSym(ISSymbol* source, ISSymbol* destination, int deep,
                          SMap<ISSymbol*, ISSymbol*>* map) override;  // symcompcopy.cpp
  HRESULT LayoutChildrenSym(SUnsortedComBag<ISSymbol>& added) override;       // symcomplayout.cpp
  HRESULT RecomputeMatrix(const SSymMatrix& move, SSymMatrix& children) override;  // symcomplayout.cpp
  HRESULT UpdateAllSubSymMdat() override;                                     // symcompmember.cpp
  ISSymbol* FindChildSymbol(ISRepObject* object) override;                    // symcompmember.cpp
  int IsExcludedChild(ISSymbol* symbol) override = 0;                         // the deriving class
  ISSymbol* GetCompSymbol() override { return m_pSymbol ? m_pSymbol->Sym() : nullptr; }
  const SSymCompDef* GetCompDef() override { return m_pCompDef; }
  // The children area: the composite below its title, 75 units in from
  // each side (the whole rectangle without a title).
  SSymRect GetDrawRect() override;

  // ---- helpers shared by the composite's files
  // The model object the composite shows (counted), or empty: the symbol's
  // ISSymObject gives it.
  SComOut<ISRepObject> GetModelObject();
  // The composite symbol's Symbols collection (counted), or empty.
  SComOut<ISRepClassCol> GetSymbols();
  // 1 with the link's rectangle among the children (the path without the
  // end the composite holds), 0 when it takes none (symcompmember.cpp).
  int GetChildLinkRect(ISSymbol* link, SSymRect& rect);
  // Every member of the model object's collection has its child symbol
  // (recursive: and every child composite has all of its own).
  int HasChildSymbolsOfCollection(LONG collection, int recursive);  // symcompmember.cpp
  int HasChildSymbolsOfCollectionFlat(LONG collection);            // symcompmember.cpp

 protected:
  virtual ~SSymCompImpl() = default;
  // Called when the count reaches 0; the deriving class decides what it
  // frees (this object by default).
  virtual void FinalRelease() { delete this; }

  // ---- membership helpers (symcompmember.cpp)
  // Puts the symbol into the Symbols collection (links at the front); 0 for
  // null or the composite itself.
  int AttachChildSymbol(ISSymbol* symbol);
  void CreateChildSymbolsForCollection(ISSymDiagram* diagram, LONG collection, int recursive,
                                       SUnsortedComBag<ISSymbol>& added, SSymPoint& at);
  void CreateChildLinkSymbols(ISSymDiagram* diagram, LONG collection);
  void CreateLinksOfChildren(ISSymDiagram* diagram);

  ULONG m_cRef = 0;
  const SSymCompDef* m_pCompDef;  // read only
  SSymBase* m_pSymbol;            // not counted; null once the symbol went
};

// Draws a set of symbols over a container symbol with their links: the set's
// links, then the parts of other links that reach the set from below the
// container, then the set's other symbols (symcomplinks.cpp).
void DrawSymbolSetLinks(SSymCanvas& canvas, SUnsortedComBag<ISSymbol>& set, ISSymbol* container);
