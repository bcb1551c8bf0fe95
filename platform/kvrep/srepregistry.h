// The class registry: one SRepRegistry entry per persistent class, found by
// class identifier, that creates objects through the class functions record
// of its class and describes the class (collections, attributes, editors).
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "kvcore/smodulestate.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepintf.h"

// The module-state function of a class functions record.
using SRepModuleStateFn = SModuleState* (*)();

// The class functions record: six pointer-sized words.
struct SRegClassFunctions {
  using CreateFn = HRESULT (*)(ISRepObject** out, ISRepSession* session, ISRepObject* source);
  CreateFn create;             // null: the repository must not create instances through this record
  UINT_PTR reserved[3];        // left zero
  SRepModuleStateFn moduleState;
  const SAttrEditorMap* attrEditorMap;
};
static_assert(sizeof(SRegClassFunctions) == 6 * sizeof(void*));

using SRepClassFunctionsFn = HRESULT (*)(const GUID& clsid, SRegClassFunctions* out);
using SRepKindOfFn = bool (*)(const GUID& clsid);

// The definition of one collection of a class.
// primary: 1 or 0 names the side; -1 takes it from the id (the side
// without SRepReverseBit is the primary one).
class SRepClassColDef final : public ISRepClassColDef {
 public:
  SRepClassColDef(LONG id, DWORD flags, const CLSID& element, int primary = -1)
      : m_id(id), m_flags(flags), m_element(element),
        m_primary(primary < 0 ? (id & SRepReverseBit) == 0 : primary != 0) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return 2; }  // owned by its class definition
  ULONG Release() override { return 1; }
  LONG GetCollectionId() override { return m_id; }
  BOOL IsPrimarySide() override { return m_primary ? TRUE : FALSE; }
  DWORD GetDefFlags() override { return m_flags; }
  HRESULT GetElementClass(CLSID* out) override;
  LONG GetReverseId() override { return m_id ^ SRepReverseBit; }

 private:
  LONG m_id;
  DWORD m_flags;
  CLSID m_element;
  bool m_primary;
};

// An attribute that the class keeps without a property-map entry (kept by
// the object in its table of dynamic members).
struct SRepAttrDef {
  LONG id;
  WORD type;
  SRepVariant defaultValue;
  bool readOnly;
};

// What the repository knows of a class beyond its functions record.
class SRepClassDef {
 public:
  explicit SRepClassDef(const CLSID& clsid) : m_clsid(clsid) {}
  const CLSID& GetCLSID() const { return m_clsid; }
  // Adds (or replaces) a collection definition (primary as SRepClassColDef takes it).
  void AddCollection(LONG id, DWORD flags, const CLSID& element = GUID_NULL, int primary = -1);
  SRepClassColDef* GetCollection(LONG id) const;
  // The collection that holds objects of class `element`: the first, in
  // definition order, whose element class `element` is a kind of (by the
  // element's registry entry); null when none.
  SRepClassColDef* FindCollectionFor(const CLSID& element) const;
  const std::vector<std::unique_ptr<SRepClassColDef>>& GetCollections() const { return m_cols; }
  void AddAttribute(LONG id, WORD type, const SRepVariant& defaultValue = {}, bool readOnly = false);
  // The class's own attribute definition, else its parents' (by their
  // registry entries); null when none has it.
  const SRepAttrDef* GetAttribute(LONG id) const;
  void SetParents(const std::vector<CLSID>& parents) { m_parents = parents; }
  const std::vector<CLSID>& GetParents() const { return m_parents; }
  // The icon of the class in repository browsers (-1: none).
  int GetIconIndex() const { return m_iconIndex; }
  void SetIconIndex(int index) { m_iconIndex = index; }

 private:
  CLSID m_clsid;
  std::vector<std::unique_ptr<SRepClassColDef>> m_cols;
  std::vector<SRepAttrDef> m_attrs;
  std::vector<CLSID> m_parents;
  int m_iconIndex = -1;
};

// The collection set of a class: where collections are added on request.
class SRepCollSetColls {
 public:
  explicit SRepCollSetColls(SRepClassDef* def) : m_def(def) {}
  void AddCollection(LONG id, DWORD flags = SRepCol_Ordered | SRepCol_Owning, const CLSID& element = GUID_NULL) {
    m_def->AddCollection(id, flags, element);
  }

 private:
  SRepClassDef* m_def;
};

class SRepRegistry {
 public:
  // Registers the entry process-wide; the destructor unregisters it.
  SRepRegistry(const CLSID& clsid, int flag, int third, SRepKindOfFn kindOf, SRepClassFunctionsFn lookup);
  ~SRepRegistry();
  SRepRegistry(const SRepRegistry&) = delete;
  SRepRegistry& operator=(const SRepRegistry&) = delete;

  // The entry of the class (the latest registered); null when none.
  static SRepRegistry* Find(const CLSID& clsid);
  // The entry of the class of object; a shortcut's is that of the class its
  // target has. Null for a null object or an unknown class.
  static SRepRegistry* FindFor(ISRepObject* object);

  const CLSID& GetCLSID() const { return m_clsid; }
  int GetFlag() const { return m_flag; }
  int GetThird() const { return m_third; }
  // The class's kind-of test; without one, only the class itself and the root.
  bool IsKindOf(const CLSID& clsid) const;
  // Fills out through the class functions lookup.
  HRESULT GetClassFunctions(SRegClassFunctions* out) const;
  SRepClassDef* GetClassDef() { return &m_def; }
  const SAttrEditorMap* GetAttrEditorMap() const;
  // The editor of an attribute (kept by the entry), or null when no map of
  // the class's chain names one.
  SRepAttrEditor* GetAttrEditor(LONG id);
  SRepClassColDef* GetClassColDef(LONG id) { return m_def.GetCollection(id); }
  // The class's collection for objects of class `element` (FindCollectionFor), or null.
  SRepClassColDef* GetClassColDef(const CLSID& element) { return m_def.FindCollectionFor(element); }
  SRepCollSetColls* GetCollSetDef() { return &m_collSet; }

  // Creates an object of this class (a copy of source when given) and
  // attaches it to session. E_NOTIMPL when the class has no creation function.
  HRESULT CreateObject(ISRepSession* session, ISRepObject* source, ISRepObject** out) const;
  // The same by class identifier: REGDB_E_CLASSNOTREG for an unknown class.
  static HRESULT CreateObject(const CLSID& clsid, ISRepSession* session, ISRepObject* source, ISRepObject** out);

 private:
  CLSID m_clsid;
  int m_flag;
  int m_third;
  SRepKindOfFn m_kindOf;
  SRepClassFunctionsFn m_lookup;
  SRepClassDef m_def;
  SRepCollSetColls m_collSet{&m_def};
  std::map<LONG, std::unique_ptr<SRepAttrEditor>> m_editors;
};

// True when the object's class is clsid or derives from it.
bool SRepIsKindOf(ISRepObject* obj, const CLSID& clsid);

// The stored collections of an object's class: the sides the class and its
// parents define as their own (primary sides), each id once, the class's
// own first, in definition order. Empty for null and for unknown classes.
std::vector<SRepClassColDef*> SRepGetClassCollections(ISRepObject* obj);
