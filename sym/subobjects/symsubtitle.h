// SSymSubSymTitle: the title compartment of a symbol, an attribute text
// showing the name, code or display name of the model object. It follows
// the diagram's wrapping preference and, for a shortcut, shows where the
// shortcut leads on a second line in parentheses. Editing it edits the Name
// or the Code of the object, as the object's repository session shows names
// or codes.
#pragma once

#include "sym/subobjects/symsubobjtext.h"

class SSymSubSymTitle : public SSymSubObjText {
 public:
  SSymSubSymTitle() = default;
  // Bound at once to attribute id of object.
  SSymSubSymTitle(ISRepObject* object, LONG id);
  // The text, style, font and the binding of source; the copy has its own
  // conversion table (a copy), no relay of source's, and registers itself
  // on the object at once.
  SSymSubSymTitle(const SSymSubSymTitle& source);
  SSymSubSymTitle& operator=(const SSymSubSymTitle&) = delete;

  int GetSymbolType() override { return 4; }
  // 1 without drawing while drawing already or hidden; otherwise takes the
  // diagram's wrap mode into the text style (unless told not to) and draws.
  HRESULT Draw(SSymCanvas& canvas) override;
  // The value, rewritten by the owner's clone service, then (unless the
  // object is a sub-object) the shortcut location line under it.
  int UpdateText(SString& text, SSymRect& rect) const override;
  // Name, Code and DisplayName edit the Name when the object's session
  // shows names, else the Code; other ids as the owner decides.
  LONG GetDispidToEdit(ISRepObject* object, LONG id) override;
};
