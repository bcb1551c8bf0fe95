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
#include "kvcore/sptrowntable.h"
#include "kvcore/stable.h"
#include "kvrep/srepintf.h"

class SSymDispPref;

class SPrefShowColl {
 public:
  explicit SPrefShowColl(long collectionId);

  // A filter id that asks AddFilter to make a new one.
  static const SString g_szNewCodeRequest;
  // Numbers the filter ids made while the application runs under
  // automation (the first made is 1); process-wide.
  static DWORD s_nAutomationCount;

  // ---- values in the preference texts
  static SString FormatValue(const SString& value);
  // Reads the next value at or after `pos` (blanks skipped) and moves `pos`
  // past it; false when no value is left. A quoted value that is never
  // closed takes the rest of the text and raises *damaged (when given).
  static bool ReadValue(const SString& text, int& pos, SString& value, bool* damaged = nullptr);
  // Every value of the text, in order.
  static std::vector<SString> ReadValues(const SString& text, bool* damaged = nullptr);

  // ---- attributes
  // Adds the line of an attribute that has a definition; refused (0) when
  // the text already has a line for the same key (the key followed by a
  // blank or the end of the line). With select or mandatory set the id is
  // put into the selected table at `index` (appended for -1 or an index
  // outside the table) unless it is there already.
  int AddAttribute(long attrId, int select, int mandatory, const SString& label, int index);
  // Reads attribute line `pos` (from 0) and moves pos on; 0 at the end or
  // for a line that cannot be read (pos then stays). Outputs are optional.
  int GetAttribute(int& pos, long* attrId, int* selected, int* mandatory, SString* label,
                   ISRepObject* context) const;
  // Sets the mandatory flag of an attribute: a non-zero flag replaces its
  // line (or appends one) and selects it; 0 removes its line and its
  // selection. 0 only when the attribute has no usable definition.
  int SetAttribute(long attrId, int mandatory);
  // One line per attribute: its label or display name, " (Mandatory)" after
  // a mandatory one.
  SString GetAttributeListDescription(ISRepObject* context) const;
  // The selected attributes that are not mandatory, in the order of the
  // attribute text, separated by blanks.
  SString GetSelAttrList(ISRepObject* context) const;
  // Makes the selected table from a selection text: the mandatory and the
  // listed attributes in attribute-text order, then the listed ones that
  // have no line, by ascending id.
  int SetSelAttrList(const SString& list, ISRepObject* context);

  // ---- filters
  int AddFilter(const SString& code, const SString& value, const SString& id);
  int GetFilter(int& pos, SString* code, SString* value, SString* id) const;
  int GetFilterIdFromCode(const SString& id, SString* reference) const;
  int GetFilterFromId(const SString& reference, SString* code, SString* value, SString* id) const;
  int UpdateFilterIdFromList(SString& reference) const;
  SString GetFilterListDescription() const;

  // ---- options
  int HasCollOptions(int* filterCount, int* selectableCount, int* limitAllowed, int* optionWord) const;
  // Reads the filter, the selection and the limit kept under keyBase in the
  // "Object" section of the preferences. `changed` is only ever raised.
  int InitCollOptsFromReg(const SString& keyBase, SSymDispPref& prefs, int& changed);

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

 private:
  struct AttrLine {
    long id = 0;
    int selected = 0;
    int mandatory = 1;
    SString label;
  };
  bool ReadAttrLine(const SString& line, bool wantId, ISRepObject* context, AttrLine& out) const;
  // The key and line of an attribute from its definition; false without one.
  bool MakeAttrLine(long attrId, int mandatory, const SString& label, SString& key, SString& line) const;
  static SString MakeFilterId();
};

// One boolean show preference of an object class.
class SObjPrefShowKey {
 public:
  SObjPrefShowKey() = default;
  SObjPrefShowKey(const SString& key, int value, int enabled = 1)
      : m_bValue(value), m_nEnabled(enabled), m_strKeyName(key) {}
  virtual ~SObjPrefShowKey() = default;
  SObjPrefShowKey(const SObjPrefShowKey&) = default;
  SObjPrefShowKey& operator=(const SObjPrefShowKey&) = default;

  // Reads the value of the key from the "Object" section of the
  // preferences. 0 for a key not in use; otherwise 1 exactly when the value
  // changed. `changed` becomes 1 when it was set or the value changed, else 0.
  virtual int InitOptsFromReg(SSymDispPref& prefs, int& changed);

  int m_bValue = 0;
  // 0: the key is not in use.
  int m_nEnabled = 1;
  SString m_strKeyName;
};

// To which objects a data class applies; only the restriction word is read
// (0: it applies to repository objects and diagrams, not to symbols).
struct SSymDataApplicability {
  long m_nRestriction = 0;
};

// A show key that stands for a class of objects. Its kind says what it
// holds: 1 collection preferences, 2 a group of show keys, 3 a nested list
// of data classes; any other value a plain show key.
class SSymDataClass : public SObjPrefShowKey {
 public:
  enum : int { KindCollection = 1, KindKeyGroup = 2, KindList = 3 };
  using SObjPrefShowKey::SObjPrefShowKey;

  virtual int GetKind() const { return 0; }
  // Whether the key has options for the object (null: for any object).
  virtual int HasOptions(ISRepObject* object) const;
  // Kind 1: the collection preferences.
  virtual const SPrefShowColl* GetPrefColl() const { return nullptr; }
  // Kind 2: the show keys of the group.
  virtual const std::vector<SObjPrefShowKey>* GetKeys() const { return nullptr; }
  // Kind 3: the nested list.
  virtual const SPtrOwnTable<SSymDataClass>* GetList() const { return nullptr; }

  // Not owned; null: applies everywhere.
  const SSymDataApplicability* m_pApplicability = nullptr;
};

// A data class with collection preferences (kind 1).
class SSymDataCollClass : public SSymDataClass {
 public:
  SSymDataCollClass(const SString& key, int value, long collectionId) : SSymDataClass(key, value), m_prefColl(collectionId) {}
  int GetKind() const override { return KindCollection; }
  const SPrefShowColl* GetPrefColl() const override { return &m_prefColl; }
  SPrefShowColl m_prefColl;
};

// A group of show keys (kind 2).
class SSymDataKeyGroup : public SSymDataClass {
 public:
  int GetKind() const override { return KindKeyGroup; }
  const std::vector<SObjPrefShowKey>* GetKeys() const override { return &m_keys; }
  std::vector<SObjPrefShowKey> m_keys;
};

// A nested list of data classes (kind 3).
class SSymDataList : public SSymDataClass {
 public:
  int GetKind() const override { return KindList; }
  const SPtrOwnTable<SSymDataClass>* GetList() const override { return &m_list; }
  SPtrOwnTable<SSymDataClass> m_list;
};

// The data class of a grid sub-symbol: its key name and collection
// preferences say which attributes the grid's rows show.
class SSubSymGridData : public SSymDataCollClass {
 public:
  using SSymDataCollClass::SSymDataCollClass;
};
