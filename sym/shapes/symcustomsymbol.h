// SSymCustomSymbolHelper: which format a symbol of a model object shows, and
// how a changed format reaches it. A model object may keep a custom format
// for its symbols (reached through the host's ISSymObject and the model's
// ISSymCustomSymbol); otherwise the symbol shows the default format of its
// class from the diagram's display preferences. Applying a changed format is
// one undoable record (SSymActionFormat) in the session's context, and
// stamps the model object's modification date.
//
// Every operation is static, takes the object (any face of the symbol) first
// and answers 0 on success, 1 (S_FALSE) when there was nothing to find or do.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symformat.h"
#include "sym/symbol/symintfdisppref.h"
#include "win/windef.h"

class SSymBase;

class SSymCustomSymbolHelper {
 public:
  // Attributes of the host's model objects that the helper reads and writes.
  static constexpr LONG AttrCustomSymbolText = 0x020100BC;
  static constexpr LONG AttrModified = 0x01000012;  // MDAT

  SSymCustomSymbolHelper() = delete;

  // The display preferences of the symbol's diagram, or null (no symbol, no
  // diagram).
  static ISSymDispPref* GetDispPref(SSymBase* symbol);
  // The object's custom format (and its two texts where asked for). E_POINTER
  // for an object without a symbol face; 1 when the model keeps none; the
  // custom-symbol object's failure, with the outputs unchanged, otherwise.
  static HRESULT GetCustomSymbolFormat(IUnknown* object, SSymFormat& out, SString* text = nullptr,
                                       SString* option = nullptr);
  // The preferences' format for the symbol's class; 1 without symbol,
  // diagram, preferences or a format kept for the class.
  static HRESULT GetDefaultSymbolFormat(IUnknown* object, SSymFormat& out);
  // The custom format when there is one, else the default.
  static HRESULT GetSymbolFormat(IUnknown* object, SSymFormat& out);
  static HRESULT RegisterCustomSymbol(IUnknown* object);

  // Applies a changed custom format and text to the object's symbol as one
  // record. E_POINTER for a missing text (nothing changes); 1 when the
  // object has no symbol or the format is the one shown already.
  static HRESULT OnChangeCustomFormat(IUnknown* object, const SSymFormatEx& format, const SString* text);
  // Applies the default format of the symbol's class the same way.
  static HRESULT OnChangeDefaultFormat(IUnknown* object);

  // True when the two formats show the same: the low 15 flag bits, the
  // option texts and every value of the records agree.
  static bool IsSameFormat(const SSymFormatEx& a, const SSymFormatEx& b);

 private:
  static HRESULT Apply(IUnknown* object, const SSymFormatEx& format, const SString* text);
};
