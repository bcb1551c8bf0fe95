// The faces the host implements on its own symbols and model objects: the
// model object a symbol shows, clone numbering and names, the compartments
// (sub-objects) a symbol holds and whether its last compartment counts as
// last. The library only queries and calls them; where no host class answers,
// a symbol draws no compartments and a composite lays out no children.
#pragma once

#include <cstdint>

#include "kvcore/scomwrap.h"
#include "kvcore/sstring.h"
#include "kvcore/stable.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymCanvas;
class SSymSubsFonts;

// ---- model objects and clones (the host implements them) -----------------------------------------
struct ISSymbol;

struct ISSymObject : IUnknown {
  static constexpr IID iid = IID_ISSymObject;
  // The model object shown (counted), or S_FALSE and null.
  virtual HRESULT GetModelObject(ISRepObject** out) = 0;
  // The identifying value of the model object (0 for none).
  virtual std::uintptr_t GetIdent() = 0;

  // ---- composites and lanes: told, no result used
  // The symbol became a child of a composite (called at the end of the composite's Add).
  virtual void OnAttachedToComposite() = 0;
  // Completes the links of the symbol's model object (flag passed on from the pool).
  virtual void CompleteLink(int flag) = 0;

  // ---- custom symbol formats
  // The model's custom-symbol object for the shown model object (counted; it
  // answers ISSymCustomSymbol), or S_FALSE and null when the model keeps
  // none. A model without custom formats keeps the default.
  virtual HRESULT GetCustomSymbolObject(ISRepObject** out) {
    if (out) *out = nullptr;
    return S_FALSE;
  }
};

// The model's custom-symbol object: the format that symbols of one model
// object show in place of their class's default.
struct ISSymCustomSymbol : IUnknown {
  static constexpr IID iid = IID_ISSymCustomSymbol;
  // Fills the custom format kept for the symbol and, where the pointers are
  // given, the custom symbol text and the format option text. S_FALSE when
  // nothing is kept; a failure (a text asked for that is missing included)
  // leaves every output as it was.
  virtual HRESULT GetCustomFormat(ISSymbol* symbol, SSymFormat& format, SString* text, SString* option) = 0;
  // Registers the symbol of `object` as a user of the custom format.
  virtual HRESULT RegisterSymbol(ISSymObject* object) = 0;
};

struct ISSymClone : IUnknown {
  static constexpr IID iid = IID_ISSymClone;
  // True when displayed names carry the clone number.
  virtual BOOL IsCloneNumbering() = 0;
  // May rewrite a displayed text of the symbol (a name with its clone mark).
  virtual void CloneText(SString& text) = 0;
};

// The compartments of a symbol (answered by symbols and model objects that
// hold them). Sizes are in diagram units; "nested" 1 flattens nested layouts.
struct ISSymSubSym : IUnknown {
  static constexpr IID iid = IID_ISSymSubSym;
  // Non-zero when the compartments are built.
  virtual int IsSubSymReady() = 0;
  // Builds the compartments.
  virtual int PrepareSubSym() = 0;
  // Minimum width and height of the compartment block; 0 (and zeros) when none.
  virtual int GetSubSymMinSize(LONG* width, LONG* height) = 0;
  // Margins between the owner's rectangle and its compartments; 0 (and zeros) when none.
  virtual int GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) = 0;
  // Lets the host adjust a children rectangle in place; non-zero when it changed it.
  virtual int AdjustSubSymRect(SSymRect& rect) = 0;
  // Kept for the order of the operations; answers 0.
  virtual int SubSymReserved() = 0;
  // Appends the sub-objects in display order; the number appended.
  virtual int GetSubSymList(STable<SSymSubsFonts*>& list, int nested) = 0;
  virtual int GetSubSymCount(int nested) = 0;
  // The sub-object at index (not counted), or null out of range.
  virtual SSymSubsFonts* GetSubSymbol(int index, int nested) = 0;
  // The title's size: its height is the height reserved above the children.
  virtual int GetSubSymSize(LONG* width, LONG* height) = 0;
  // May change the rectangle of one compartment measured on canvas; non-zero when it did.
  virtual int AdjustSubSymbol(SSymSubsFonts* sub, SSymRect* rect, SSymCanvas& canvas) = 0;
};

// A composite's view of its compartments.
struct ISSymCompView : IUnknown {
  static constexpr IID iid = IID_ISSymCompView;
  // 0 when the last compartment of a group must not count as the last one
  // (the group then draws a separator after it).
  virtual BOOL IsLastCompLast() = 0;
};
