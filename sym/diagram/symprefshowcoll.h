// The object-content preferences: what an object symbol shows of a
// collection of its model object.
//
// SPrefShowColl holds, for one collection, the attributes of its item class
// that can be shown (the attribute list text), those shown and their order
// (the selected table), the filters (the filter list text) with the active
// one (the filter reference), and the item limit. The host edits the texts
// in its preference pages; the diagram's display preferences keep them per
// collection.
//
// Every value written into these texts, and into the content text of a
// symbol (symobjcontent.h), is formatted by FormatValue and read back by
// ReadValue:
//   - an empty value is written as "" (two double quotes);
//   - every double quote is written as backslash and double quote;
//   - the value is put in double quotes when it holds a blank (tabs do not
//     count).
// Reading splits at blanks; a token that begins with a double quote runs to
// the next double quote that has no backslash before it and loses its
// enclosing quotes; in every token backslash and double quote become one
// double quote (other backslashes stay). A value written by FormatValue
// reads back as itself, with one exception the form cannot express: a value
// that holds a blank and ends with a backslash (its closing quote reads as
// an escaped one).
//
// Attribute definitions live in the repository and are reached through
// SRepExaIntf; without it the operations fail and change nothing.
//
// SObjPrefShowKey is one boolean show preference of an object class;
// SSymDataClass is a show key for a class of objects and may carry an
// SPrefShowColl. The host creates and fills them.
#pragma once

#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/stable.h"
#include "kvrep/srepintf.h"

class SSymDispPref;

class SPrefShowColl {
 public:
  explicit SPrefShowColl(long collectionId);

  // A filter id that asks AddFilter to make a new one.
  static const SString g_szNewCodeRequest;

  // ---- values in the preference texts
  static SString FormatValue(const SString& value);
  // Reads the next value at or after `pos` (blanks skipped) and moves `pos`
  // past it; false when no value is left. A quoted value that is never
  // closed takes the rest of the text and raises *damaged (when given).
  static bool ReadValue(const SString& text, int& pos, SString& value, bool* damaged = nullptr);
  // Every value of the text, in order.
  static std::vector<SString> ReadValues(const SString& text, bool* damaged = nullptr);

  // The repository member id of the collection whose items are described;
  // the first argument of every attribute lookup.
  long m_nCollectionId = 0;
  // The attribute ids shown, in display order, without duplicates.
  STableDumb<long> m_selAttrs;
  // One line per available attribute, CR LF separated: the formatted code,
  // for an attribute defined by a repository object a blank and its braced
  // GUID, a blank and the mandatory flag (0 or 1), optionally a blank and the
  // formatted label. A mandatory attribute is always shown.
  SString m_attrList;
  // One line per filter, CR LF separated; the first is the default filter:
  // the formatted code, two blanks, the id, a blank, the formatted value.
  SString m_filterList;
  // The active filter: its formatted code, a blank, its formatted id.
  SString m_filterRef;
  // When set the item limit is read from and kept in the preferences.
  int m_bLimitAllowed = 0;
  // Handed out by HasCollOptions, for the host.
  int m_nOptionWord = 0;
  long m_nLimit = 0;
};
