// SSymGroup: the group symbol, a composite (symcomposite.h) that owns its
// members. It keeps its in-memory member collection in step with its
// repository Symbols collection through the collection callbacks (except
// while undo or redo replay changes in a lockout context), puts link members
// first so that they are drawn beneath the others, deletes its members when
// it is deleted, and deletes itself when its last member leaves through
// Remove. A group that empties otherwise (Clear, the repository removing its
// members) stays, with the all-zero rectangle, so that it covers no area.
//
// Groups are made by the repository through the class's creation function
// (with a session, or as a copy of another group: the copy has no members),
// and from a set of symbols by CreateFromCollection.
#pragma once

#include "sym/composite/symcomposite.h"
#include "sym/symbol/symport.h"

class SSymGroup : public SRepFaces<SSymGroup, SSymComposite, ISSymOwner, SRepFaceImpl<ISSymOwnerImpl<SSymGroup>>> {
  KV_SYM_DECLARE_POOL()

 public:
  static constexpr int TypeCode = 9;
  // The form type that picks a predefined shape (a plain composite answers 79).
  static constexpr int FormType = 3;

  explicit SSymGroup(ISRepSession* session);
  // A group of the source's class and look, without members.
  SSymGroup(const SSymGroup& source);
  ~SSymGroup() override;
  KV_SYM_CLASS_TABLES()

  // A new group of the given symbols, attached to the session, with one
  // reference for the caller in *out: the members, in the collection's
  // order, become the members of its Symbols collection (they should have
  // left their former owner). E_POINTER for a null out, E_INVALIDARG for a
  // member without repository object or one whose nest would pass
  // SSymMaxNesting with the new group around it; on failure nothing is left behind.
  static HRESULT CreateFromCollection(const SSymCollection& members, ISRepSession* session, SSymGroup** out);

  // ---- repository object
  HRESULT Delete() override;
  HRESULT Duplicate(ISRepObject** out, BOOL withChildren) override;
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;
  int GetSymbolFormType() override { return FormType; }

  // ---- ISSymbol
  HRESULT Show(int show) override;
  int GetSymbolType() override { return TypeCode; }
  HRESULT GetFormat(SSymFormatEx& format) override;
  HRESULT SetFormat(const SSymFormatEx& format) override;

  // ---- ISSymOwner (and ISSymGroup's Contains)
  // Appends the symbol's object to Symbols (S_FALSE when it is there
  // already). E_POINTER for null; E_INVALIDARG for a symbol without object,
  // the group itself or a group that holds this one.
  HRESULT Add(ISSymbol* symbol) override;
  // Takes the symbol's object out of Symbols; a group left without members
  // deletes itself. E_POINTER for null.
  HRESULT Remove(ISSymbol* symbol) override;
  BOOL Contains(ISSymbol* symbol, int deep) override { return SSymComposite::Contains(symbol, deep); }
  HRESULT SymResize(ISSymbol* symbol) override;
  HRESULT SymRedraw(ISSymbol* symbol) override;
  SSymGroup* GetOwnerT() override { return this; }

 private:
  SSymGroup(const SSymCollection& members, ISRepSession* session);
};
