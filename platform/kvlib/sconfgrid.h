// The grid configuration records of the user-interface library: one column
// record (SConfCol) and one row record (SConfRow) per grid column and row,
// which the grid factories read when they build a grid. Both are copied
// field by field; tables of them are STableMem<SConfCol> and
// STableMem<SConfRow>.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/sstringtable.h"
#include "win/windef.h"

struct SConfCol {
  // The defaults of a new column (STableMem<SConfCol>::AddNew).
  static constexpr LONG DefaultWidth = 50;
  static constexpr LONG DefaultStyle = 0xCD20;

  LONG m_nWidth = DefaultWidth;
  LONG m_nStyle = DefaultStyle;
  SString m_sTitle;
  SString m_sTip;
};

struct SConfRow {
  LONG m_nId = 0;
  SString m_sName;
  // The values the row's cell offers, and the texts shown for them.
  SStringTable m_values;
  SStringTable m_texts;
  LONG m_nFlags = 0;
};
