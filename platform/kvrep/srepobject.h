// Repository objects: the in-memory base of every persistent object, its
// attributes (through the class's property map), its ordered collections
// (whose reverse sides are kept in step) and its advised sinks.
#pragma once

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "kvcore/sstringtable.h"
#include "kvrep/srepaction.h"
#include "kvrep/srepitems.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepregistry.h"

class SRepSession;
class SRepObject;

// Lists and sets of object references.
class SRepListObject : public SComTable<ISRepObject> {};
// Sorted by address, without duplicates.
class SRepBagObject : public SComBag<ISRepObject> {};
// Sorted set that also keeps the order of first insertion.
class SRepBagObjectEx : public SUnsortedComBag<ISRepObject> {};

// An entry of an interface table: the identifier, the offset of the
// interface inside the object, and an optional test that must answer true.
struct SRepIntfEntry {
  const IID* iid;
  std::ptrdiff_t offset;
  bool (*test)(void* object);
};
// Answers iid from a table ended by a null iid (reference added through
// unk); E_NOINTERFACE when no entry matches.
HRESULT SRepQueryTable(void* object, IUnknown* unk, const SRepIntfEntry* table, REFIID iid, void** ppv);
// The offset of interface I inside class C.
template <class C, class I>
std::ptrdiff_t SRepOffsetOf() {
  alignas(C) static char probe[sizeof(C)];
  C* c = reinterpret_cast<C*>(probe);
  return reinterpret_cast<char*>(static_cast<I*>(c)) - reinterpret_cast<char*>(c);
}

// Object state bits.
enum SRepObjState : DWORD {
  SRepState_Changed = 0x1,
  SRepState_Deleting = 0x2,
  SRepState_Deleted = 0x4,
};

// One collection of one object.
class SRepCollection final : public ISRepClassCol {
 public:
  SRepCollection(SRepObject* owner, LONG id, bool oneSided = false)
      : m_owner(owner), m_id(id), m_oneSided(oneSided) {}
  ~SRepCollection();
  // Collections come from one pool: a large diagram has several per symbol.
  static void* operator new(std::size_t size);
  static void operator delete(void* p, std::size_t size) noexcept;
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override;  // counts on the owner
  ULONG Release() override;
  LONG GetCount() override { return static_cast<LONG>(m_items.size()); }
  HRESULT Item(LONG pos, ISRepObject** out) override;
  LONG GetPos(ISRepObject* obj) override;
  HRESULT Insert(ISRepObject* obj, LONG pos = -1) override;
  HRESULT Remove(LONG pos) override;
  HRESULT Move(LONG from, LONG to) override;
  LONG GetCollectionId() override { return m_id; }
  HRESULT GetCollectionDef(ISRepClassColDef** out) override;
  HRESULT GetOwner(ISRepObject** out) override;
  HRESULT Advise(ISRepClassColSink* sink) override;
  HRESULT Unadvise(ISRepClassColSink* sink) override;

  SRepObject* GetOwnerObject() const { return m_owner; }
  SRepObject* GetAt(int pos) const { return m_items[static_cast<std::size_t>(pos)]; }
  int IndexOf(const SRepObject* obj) const { return m_items.IndexOf(obj); }
  // The members in order (range-for, size(), [] and IndexOf without a scan).
  const SRepItemList& Items() const { return m_items; }

 private:
  friend class SRepObject;
  SRepObject* m_owner;
  LONG m_id;
  bool m_oneSided;
  SRepCollection* m_nextCol = nullptr;  // the owner's next collection (by id)
  SRepItemList m_items;  // counted
  std::vector<ISRepClassColSink*> m_sinks;  // counted
};

class SRepObject : public ISRepObjectBase {
 public:
  explicit SRepObject(const CLSID& clsid = CLSID_SRepObject, ISRepSession* session = nullptr);
  // A copy: the class, the dynamic members and (through the derived copy
  // constructors) the fields; no session, no collections, no sinks.
  SRepObject(const SRepObject& source);
  SRepObject& operator=(const SRepObject&) = delete;
  virtual ~SRepObject();

  // ---- IUnknown
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;

  // ---- ISRepObject
  HRESULT GetCLSID(CLSID* out) override;
  HRESULT GetSession(ISRepSession** out) override;
  HRESULT GetParent(ISRepObject** out) override;
  HRESULT GetParentColl(ISRepClassCol** out) override;
  HRESULT GetAttribute(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  HRESULT HasAttribute(LONG id) override;
  HRESULT IsAttrReadOnly(LONG id, const SRepVariant* value = nullptr) override;
  HRESULT GetCollection(LONG id, ISRepClassCol** out) override;
  HRESULT HasCollection(LONG id) override;
  HRESULT IsCollectionEmpty(LONG id) override;
  BOOL IsDeleted() override { return (m_state & SRepState_Deleted) != 0; }
  BOOL IsDeleting() override { return (m_state & SRepState_Deleting) != 0; }
  BOOL IsShortcut() override { return FALSE; }
  HRESULT Delete() override;
  HRESULT Duplicate(ISRepObject** out, BOOL withChildren) override;
  HRESULT Advise(DWORD mask, ISRepObjSink* sink) override;
  HRESULT Unadvise(ISRepObjSink* sink) override;
  // ---- ISRepObjectBase
  HRESULT GetModel(ISRepObject** out) override;
  HRESULT GetReplicationObject(IUnknown** out) override;
  // Makes the object a replica of source (null: of none). E_INVALIDARG when
  // source is the object itself or a replica of it (around any chain),
  // CO_E_OBJNOTCONNECTED for a deleted object on either side.
  HRESULT SetReplicationSource(ISRepObject* source);
  // The object replicated (not counted), or null.
  ISRepObject* GetReplicationSourceObject() const;

  // ---- class description (overridden per class)
  virtual const SPropertyMap* GetPropertyMap() const { return &propertyMap; }
  virtual const SAttrEditorMap* GetAttrEditorMap() const { return &attrEditorMap; }
  // The registry entry of the object's class (GetCLSID, which classes may override).
  virtual SRepRegistry* GetRegistry() const;

  // ---- commands, checks and typed helpers
  // The after-change notice of an attribute stored by other means.
  void _PostSetAttribute(LONG id) { NotifyChange(id); }
  // A command of the object's class; S_FALSE when not handled.
  virtual HRESULT DoCommand(LONG command) { (void)command; return S_FALSE; }
  // 0 when an object of clsid may be created in collection id at pos;
  // non-zero refuses (message, optional, receives the reason).
  virtual HRESULT CanCreateObject(LONG id, const CLSID& clsid, LONG pos, SString* message = nullptr);
  // The display text of an attribute (through the class's editor when it has one).
  virtual HRESULT GetAttributeText(LONG id, SString* out);
  // The repository's consistency check: adds a message per fault found to
  // messages (checkParents: also the parents' side); the number of repairs made.
  virtual LONG InternalAutoFix(SStringTable& messages, int checkParents) {
    (void)messages, (void)checkParents;
    return 0;
  }
  // The name of the object's class as users read it (the first line of the
  // class's label in its metamodel); empty for a class the registry marks as
  // a base class (registry flag 0) and for a class without label.
  virtual SString GetClssName() const;
  // A short text that names the object in messages: its Name attribute, else
  // its class name, else its class code, else its class identifier.
  virtual SString GetObjShortName();
  // The icon of the object in repository browsers: the icon index of its
  // class definition (-1 when the class has none).
  virtual int GetIconIndex() const;
  HRESULT Get_TEXT(LONG id, SString& out);
  HRESULT Set_TEXT(LONG id, const SString& v) { return SetAttribute(id, SRepVariant::Text(v)); }
  HRESULT Get_CHAR(LONG id, SString& out) { return Get_TEXT(id, out); }
  HRESULT Set_CHAR(LONG id, const SString& v);
  HRESULT Get_INT(LONG id, LONG& out);
  HRESULT Set_INT(LONG id, LONG v) { return SetAttribute(id, SRepVariant::Long(v)); }
  HRESULT Get_OID(LONG id, SRepOID_& out);
  HRESULT Set_OID(LONG id, const SRepOID_& v);

  // The objects related to this one: every object linked to it through a
  // collection (either side), appended to list once (bag, when given,
  // holds the objects already met and receives the new ones).
  virtual HRESULT GetRelatedObjectList(SRepListObject* list, ISRepObject* object, int flags, SRepBagObject* bag,
                                       int depth, int mode);

  // ---- change hooks
  virtual void OnUpdateAttribute(LONG id) { (void)id; }
  virtual void OnCollectionInsert(LONG id, ISRepObject* other, int pos) { (void)id, (void)other, (void)pos; }
  virtual void OnCollectionRemove(LONG id, ISRepObject* other) { (void)id, (void)other; }
  // Answers further interfaces before the repository's own; E_NOINTERFACE by default.
  virtual HRESULT InternalQueryInterface(REFIID iid, void** ppv) { (void)iid, (void)ppv; return E_NOINTERFACE; }

  // ---- session and contexts
  // Attaches the object to its session (once, after construction): the
  // session keeps it and records its creation in the open context.
  // E_UNEXPECTED for a second, different session.
  HRESULT SetSession(ISRepSession* session);
  bool IsAttached() const { return m_bAdopted; }
  SRepSession* GetSessionImpl() const { return m_pSession; }
  // The session's current context (null without one).
  ISRepContext* GetCurrentContext() const;
  // True while the session holds a lockout context that the object is not new in.
  BOOL InLockoutContext() const;
  // True while an undo or redo is being applied to the object's session.
  BOOL IsInUndoContext() const;
  BOOL _IsDeletedOrInContext() const;

  // ---- collections and members
  // The first member of collection id (reference added), or null.
  HRESULT GetObject(LONG id, ISRepObject** out);
  // Makes obj the only member of collection id (null empties it).
  HRESULT SetObject(LONG id, ISRepObject* obj);
  SRepCollection* FindCollection(LONG id) const;
  SRepCollection* Collection(LONG id);  // created on first use
  // A collection without reverse side, hooks or undo (lists kept by the
  // repository itself, such as the objects a data source carries).
  SRepCollection* OneSidedCollection(LONG id);
  BOOL HasDynamicMember(LONG id) const { return m_dynamic.count(id) != 0; }
  const std::map<LONG, SRepVariant>& GetDynamicMembers() const { return m_dynamic; }
  // True when collection id holds the object's children.
  bool IsOwning(LONG id) const;
  // The ids of the collections the object has used, in id order.
  std::vector<LONG> GetCollectionIds() const;
  // Drops a dynamic member's value (back to its default).
  HRESULT SetVoid(LONG id);
  DWORD GetState() const { return m_state; }
  void SetChanged() { m_state |= SRepState_Changed; }

  void SetCLSID(const CLSID& clsid) { m_clsid = clsid; }
  // The implementation behind an interface of a repository object, or null.
  static SRepObject* FromInterface(IUnknown* unk);

  // Root maps.
  static SPropertyEntry propertyEntries[];
  static const SPropertyMap propertyMap;
  static SAttrEditorEntry attrEditorEntries[];
  static const SAttrEditorMap attrEditorMap;

  // ---- used by the repository's records (no recording, no checks)
  HRESULT RawSetAttribute(LONG id, const SRepVariant& value);
  HRESULT RawGetAttribute(LONG id, SRepVariant* value);
  // True when b is a member of a's collection id (looked up on the smaller side).
  static bool IsLinked(const SRepObject* a, LONG id, const SRepObject* b);
  static void RawLink(SRepObject* a, LONG id, SRepObject* b, int posA, int posB);
  // posA and posB: positions to try first (or -1); they receive the
  // positions the link had.
  static void RawUnlink(SRepObject* a, LONG id, SRepObject* b, int* posA, int* posB);
  void RawSetDeleted(bool deleted);
  void NotifyChange(LONG id);
  // Tells the advised sinks to refresh everything they show of the object.
  void Flush();
  void ReleaseAll();  // drops collections and sinks
  // True while somebody holds the object: false in its constructor (before
  // the first reference) and in its destructor, when it must not be handed
  // to code that would take and drop a reference of its own.
  bool IsHeld() const { return m_cRef > 0; }
  // Session teardown: ReleaseAll and no session. A class that holds
  // references of its own to other objects of the session (an in-memory
  // list of members) drops them here first, so that no cycle outlives it.
  virtual void ForgetSession();

 protected:
  // The count a destructor parks the object at: a class whose destruction
  // may take and drop references to the object itself (through the objects
  // it lets go) calls HoldForDestruction first, so that no such release
  // reaches 0 and destroys the object a second time.
  static constexpr ULONG kDestructionRefs = 0x3FFFFFFF;
  void HoldForDestruction() { m_cRef = kDestructionRefs; }

 private:
  enum class Kind { None, Field, Accessor, Dynamic };
  Kind Resolve(LONG id, const SPropertyEntry** entry, const SRepAttrDef** def) const;
  void NotifyDelete();
  bool IsOwningCollection(LONG id) const;

  ULONG m_cRef = 0;
  CLSID m_clsid;
  SRepSession* m_pSession = nullptr;
  bool m_bAdopted = false;
  DWORD m_state = 0;
  SRepObject* m_pParent = nullptr;
  LONG m_parentColl = 0;
  // The collection of id, made (on the pool, as one-sided or not) when missing.
  SRepCollection* MakeCollection(LONG id, bool oneSided);
  // The object's collections in order of their ids, each owned (a list: most
  // objects have one to three, and a map node each cost more than the search).
  SRepCollection* m_cols = nullptr;
  std::map<LONG, SRepVariant> m_dynamic;
  std::vector<std::pair<ISRepObjSink*, DWORD>> m_sinks;  // counted
  ISRepBaseReplication* m_pReplication = nullptr;        // counted
};

// True when both name the same object.
bool SRepAreSameObjects(IUnknown* a, IUnknown* b);

// The in-memory object (the base that persistent classes derive from).
class SRepObjectMem : public SRepObject {
 public:
  using SRepObject::SRepObject;
};

// The base of classes derived from the repository's object-base class.
class SRepObjectBaseImpl : public SRepObjectMem {
 public:
  explicit SRepObjectBaseImpl(const CLSID& clsid = CLSID_SRepObjectBase, ISRepSession* session = nullptr)
      : SRepObjectMem(clsid, session) {}
  SRepObjectBaseImpl(const SRepObjectBaseImpl&) = default;
  HRESULT FinalConstruct() { return S_OK; }
  const SAttrEditorMap* GetAttrEditorMap() const override { return &SRepObjectBaseRegistry::attrEditorMap; }
};

// The root of carried data: its collection 0x02000023 lists the objects
// (one-sided: the objects themselves are not changed).
inline constexpr LONG SRepRootCarried = 0x02000023;
struct ISRepRootObject : IUnknown {
  virtual HRESULT GetCarried(ISRepClassCol** out) = 0;

 protected:
  ~ISRepRootObject() = default;
};
class SRepRootObject : public SRepObjectMem, public ISRepRootObject {
 public:
  SRepRootObject() : SRepObjectMem(CLSID_SRepObjectBase) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return SRepObjectMem::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return SRepObjectMem::AddRef(); }
  ULONG Release() override { return SRepObjectMem::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;
  HRESULT GetCarried(ISRepClassCol** out) override;
  HRESULT GetCollection(LONG id, ISRepClassCol** out) override;
  // The carried collection is there from the start, empty or not.
  HRESULT HasCollection(LONG id) override;
};

// The record of an object's creation (deleteNext) or deletion.
SRepActionPtr SRepMakeLifeAction(SRepObject* obj, bool deleteNext);
// The object of such a record, or null for any other record.
SRepObject* SRepLifeActionObject(SRepActionBase* action);

using SRepObjectImpl = SRepObjectBaseImpl;

// A counted reference to one collection of an object.
class SRepClassColPtr {
 public:
  SRepClassColPtr() = default;
  SRepClassColPtr(ISRepObject* obj, LONG id);
  explicit SRepClassColPtr(ISRepClassCol* col);
  SRepClassColPtr(const SRepClassColPtr& o) : SRepClassColPtr(o.m_col) {}
  SRepClassColPtr& operator=(const SRepClassColPtr& o);
  ~SRepClassColPtr();
  ISRepClassCol* operator->() const { return m_col; }
  ISRepClassCol* Get() const { return m_col; }
  explicit operator bool() const { return m_col != nullptr; }
  LONG GetCount() const { return m_col ? m_col->GetCount() : 0; }
  LONG GetPos(ISRepObject* obj) const { return m_col ? m_col->GetPos(obj) : -1; }
  // The first member (reference added), or null.
  ISRepObject* GetFirst() const;
  ISRepObject* GetAt(LONG pos) const;  // reference added
  HRESULT ClearAll();

 private:
  ISRepClassCol* m_col = nullptr;
};

struct ISRepDataSrc;

// Walks the members of a collection in order (or in reverse order), as
// they are at Init. Position: Reset puts it on the first element, Step
// moves on, Current is the element there (null past the end).
class SRepObjIteratorBase {
 public:
  SRepObjIteratorBase() = default;
  SRepObjIteratorBase(ISRepObject* obj, LONG id, bool reverse = false) { Init(obj, id, reverse); }
  explicit SRepObjIteratorBase(ISRepClassCol* col, bool reverse = false) { Init(col, reverse); }
  explicit SRepObjIteratorBase(const SRepClassColPtr& col, bool reverse = false) { Init(col.Get(), reverse); }
  virtual ~SRepObjIteratorBase() { Clear(); }
  SRepObjIteratorBase(const SRepObjIteratorBase&) = delete;
  SRepObjIteratorBase& operator=(const SRepObjIteratorBase&) = delete;
  HRESULT Init(ISRepObject* obj, LONG id, bool reverse = false);
  HRESULT Init(ISRepClassCol* col, bool reverse = false);
  // The objects a data source carries, in order.
  HRESULT Init(ISRepDataSrc* src);
  // The next member (no reference added; the iterator holds one), or null at the end.
  ISRepObject* Next();
  void Reset() { m_at = 0; }
  void Step() { if (m_at < m_items.size()) ++m_at; }
  bool IsDone() const { return m_at >= m_items.size(); }
  ISRepObject* Current() const { return IsDone() ? nullptr : m_items[m_at]; }
  // Current queried for iid (reference added); S_FALSE and null past the end.
  HRESULT Current(REFIID iid, void** out) const;
  int GetPos() const { return static_cast<int>(m_at); }
  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsReverse() const { return m_reverse; }

 private:
  void Clear();
  std::vector<ISRepObject*> m_items;
  std::size_t m_at = 0;
  bool m_reverse = false;
};
using SRepObjIterator = SRepObjIteratorBase;

// Walks an object and, depth first, the members of two of its collections
// (and theirs), each object once.
class SRepRecursiveFolderIterator {
 public:
  SRepRecursiveFolderIterator(ISRepObject* start, LONG id1, LONG id2);
  ~SRepRecursiveFolderIterator();
  SRepRecursiveFolderIterator(const SRepRecursiveFolderIterator&) = delete;
  SRepRecursiveFolderIterator& operator=(const SRepRecursiveFolderIterator&) = delete;
  // The next object (no reference added), or null at the end.
  ISRepObject* Next();

 private:
  std::vector<ISRepObject*> m_items;  // counted
  std::size_t m_at = 0;
};
class SRepObjReverseIterator : public SRepObjIteratorBase {
 public:
  SRepObjReverseIterator(ISRepObject* obj, LONG id) : SRepObjIteratorBase(obj, id, true) {}
  explicit SRepObjReverseIterator(const SRepClassColPtr& col) : SRepObjIteratorBase(col, true) {}
};
