// The faces the host implements on its own symbols: the model object a
// symbol shows, clone numbering and sub-symbols.
#pragma once

#include <cstdint>

#include "kvcore/scomwrap.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symformat.h"
#include "win/windef.h"

// ---- model objects and clones (the host implements them) -----------------------------------------
struct ISSymbol;

struct ISSymObject : IUnknown {
  static constexpr IID iid = IID_ISSymObject;
  // The model object shown (counted), or S_FALSE and null.
  virtual HRESULT GetModelObject(ISRepObject** out) = 0;
  // The identifying value of the model object (0 for none).
  virtual std::uintptr_t GetIdent() = 0;

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
};

struct ISSymSubSym : IUnknown {
  static constexpr IID iid = IID_ISSymSubSym;
  virtual int SubSymFirst() = 0;
  virtual int SubSymSecond() = 0;
};
