// Element types of the symbol tables: SSymData, one symbol with a word (its
// position in its owner, or a mark of the table that holds it), and
// SSymGroupData, one group with its position and the table of its members.
// Both hold counted references: a copy takes a reference on every symbol
// and group held, and destroying an element releases them.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/stable.h"
#include "sym/symbol/syminterfaces.h"

struct SSymData {
  LONG pos = -1;
  SComWrap<ISSymbol> symbol;

  SSymData() = default;
  SSymData(LONG p, ISSymbol* s) : pos(p), symbol(s) {}
};

struct SSymGroupData {
  SComWrap<ISSymGroup> group;
  LONG pos = -1;
  STable<SSymData> members;
};
