// SSymReverseIterator: walks the symbols an owner holds in its Symbols
// collection from the last to the first, the current one held as a counted
// ISSymbol reference (members that are not symbols read as null).
#pragma once

#include "kvrep/srepiter.h"
#include "sym/foundation/symclassid.h"
#include "sym/symbol/symintfsymbol.h"

class SSymReverseIterator : public SRepIter<ISSymbol, &IID_ISSymbol> {
 public:
  // The member id of an owner's Symbols collection.
  static constexpr LONG SymbolsId = 0x02010015;

  SSymReverseIterator() = default;
  explicit SSymReverseIterator(ISRepObject* owner) : SRepIter(owner, SymbolsId, true) {}
  HRESULT Init(ISRepObject* owner) { return SRepIter::Init(owner, SymbolsId, true); }
};
