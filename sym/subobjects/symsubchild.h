// SSymSubChildObjText: an attribute text that shows, in front of the bound
// object's value, the same attribute of a second object: the one an
// object-valued attribute of the bound object refers to (the child). The
// text reads "child value.own value" ("Product.code"), followed, for a
// shortcut, by the shortcut's location on a second line in parentheses.
//
// It hears every change of the bound object (the reference included) and
// the shown attribute of the child; a new reference moves its registration
// to the new child, and a deleted child only drops the child part.
#pragma once

#include "sym/subobjects/symsubobjtext.h"

class SSymSubChildObjText : public SSymSubObjText {
 public:
  // Unbound: no object, attributes 0, no child.
  SSymSubChildObjText();
  // Shows attribute `id` of object and of the object its attribute
  // `childId` refers to; binds at once when object is not null.
  SSymSubChildObjText(ISRepObject* object, LONG childId, LONG id);
  ~SSymSubChildObjText() override;

  int GetSymbolType() override { return 2; }
  // Registers on the bound object (a live shortcut target instead) for all
  // its changes, then on the child for the shown attribute.
  void AdviseToObject() override;
  // The own value (as every attribute text), then the child's in front.
  void InitValue() override;
  // The value, rewritten by the owner's clone service, then the shortcut
  // location line.
  int UpdateText(SString& text, SSymRect& rect) const override;
  // Unbinds, then lets the child go.
  HRESULT Delete() override;

  // ---- ISRepObjSink
  HRESULT OnChange(ISRepObject* object, LONG id) override;
  HRESULT OnDelete(ISRepObject* object, int flag) override;

  LONG GetChildDispid() const { return m_dispidChild; }
  ISRepObject* GetChild() const { return m_pChild; }

 protected:
  LONG m_dispidChild = 0;
  ISRepObject* m_pChild = nullptr;  // counted
  // The sink is registered on m_pChild (it has the shown attribute and is
  // not the object registered already).
  bool m_bChildAdvised = false;

 private:
  // The object the reference designates now (counted), or null: read on the
  // bound object, else on the object a shortcut stands for.
  ISRepObject* ReadChild() const;
  // Takes the registration off the held child and lets it go.
  void DropChild();
  // Reads the child again and registers on it for the shown attribute.
  void LookupChild();
  // InitValue and a redraw once initialised, else the first initialisation.
  void Reload();
};
