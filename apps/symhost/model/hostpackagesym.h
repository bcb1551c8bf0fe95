// The host's composite symbol: a package drawn as a box with its name in a
// title band above the symbols of its contents. The symbols of the
// package's entities and relations are the composite's children: the
// library's composite implementation keeps them in step with the package
// (a child added moves its object into the package), completes them from
// the package (the missing ones made through the diagram's host
// operations and laid out in rows), grows the box around them, and draws
// them. Moving the box moves its children; resizing it keeps them inside.
#pragma once

#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symcompimpl.h"
#include "sym/symbol/symintfhost.h"

// The class the diagram names for the symbol of a package (it tells the
// package composite from the symbols a composite takes as children).
inline constexpr CLSID CLSID_SHostPackageSym = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1101}");

// The composite definition of packages: entity symbols stand for the
// package's entities, relation links for its relations; entity and relation
// symbols may stand for new children.
const SSymCompDef& SHostPackageCompDef();

class SHostPackageSym : public SRepFaces<SHostPackageSym, SHostBox, ISSymObject, ISSymSubSym> {
 public:
  // The symbol type of package composites (the entity box is 3).
  static constexpr int Type = 20;

  // def: the composite definition (none: the composite refuses its
  // operations, which need one).
  SHostPackageSym(ISRepSession* session, const SSymRect& rect, const SSymCompDef* def = &SHostPackageCompDef());
  ~SHostPackageSym() override;

  int GetSymbolType() override { return Type; }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;
  // The outline, the title band, then the children.
  HRESULT DrawSymbol(SSymCanvas& canvas) override;
  // The children move with the box.
  HRESULT MoveBy(const SSymSize& offset, int redraw) override;
  // The children keep their places unless the new box would leave them
  // outside; then they are transformed with it into the box that holds both.
  HRESULT Transform(const SSymMatrix& matrix, int redraw) override;

  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override;
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}

  // ---- ISSymSubSym: no compartments; the title band is the "title" the
  // composite reserves above its children, and the margins keep the
  // children off the outline.
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) override;
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>&, int) override { return 0; }
  int GetSubSymCount(int) override { return 0; }
  SSymSubsFonts* GetSubSymbol(int, int) override { return nullptr; }
  // The box's width and the height of the title band.
  int GetSubSymSize(LONG* width, LONG* height) override;
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }

  // Shows `name` in the title band (the band fits the name).
  void SetTitle(const SString& name);
  LONG GetTitleHeight() const { return m_titleHeight; }
  // The composite face (not counted).
  ISSymCompSym* Comp();

 private:
  class Impl;
  Impl* m_comp;  // counted
  LONG m_titleHeight = 0;
};

// A new package symbol bound to `package` with its top left corner at (x, y)
// and the width of a title (counted for the caller), or null for a null,
// deleted or non-package object and for the top package (the model itself).
SHostPackageSym* SHostNewPackageSymbol(ISRepSession* session, ISRepObject* package, LONG x, LONG y);
