// Shortcuts, extended attributes, the dialog map, control holders, object
// maps, the collection iterator that follows changes, and the repository
// data source.
#pragma once

#include <map>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/scomobjectstack.h"
#include "kvcore/sstream.h"
#include "kvrep/srepobject.h"

// ---- shortcuts ------------------------------------------------------------------------
inline constexpr CLSID CLSID_SRepShortcut = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7E01}");

inline constexpr IID IID_ISRepSessionExtern = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D0C}");
inline constexpr IID IID_ISRepSessionExternHelper = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D0D}");

// An external session as a shortcut sees it: the session and the object
// that represents its model.
struct ISRepSessionExtern : IUnknown {
  virtual HRESULT GetSession(ISRepSession** out) = 0;
  virtual HRESULT GetModelObject(ISRepObject** out) = 0;

 protected:
  ~ISRepSessionExtern() = default;
};
// The helper a shortcut hands out; it answers ISRepSessionExtern.
struct ISRepSessionExternHelper : IUnknown {
 protected:
  ~ISRepSessionExternHelper() = default;
};

struct ISRepShortcut : IUnknown {
  // The referenced object (reference added); S_FALSE and null when it is gone.
  virtual HRESULT GetTarget(ISRepObject** out) = 0;
  virtual HRESULT GetTargetCLSID(CLSID* out) = 0;
  // True when the target lies in another session.
  virtual BOOL IsExternal() = 0;
  // The helper of the external session (reference added); S_FALSE and null
  // when the target is not external.
  virtual HRESULT GetExternHelper(ISRepSessionExternHelper** out) = 0;

 protected:
  ~ISRepShortcut() = default;
};

// A shortcut object: stands in its session for an object (possibly of another session).
class SRepShortcut : public SRepObjectMem, public ISRepShortcut {
 public:
  explicit SRepShortcut(ISRepObject* target = nullptr, ISRepSession* session = nullptr);
  SRepShortcut(const SRepShortcut& o);
  ~SRepShortcut() override;
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return SRepObjectMem::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return SRepObjectMem::AddRef(); }
  ULONG Release() override { return SRepObjectMem::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;
  BOOL IsShortcut() override { return TRUE; }
  HRESULT GetTarget(ISRepObject** out) override;
  HRESULT GetTargetCLSID(CLSID* out) override;
  BOOL IsExternal() override;
  HRESULT GetExternHelper(ISRepSessionExternHelper** out) override;
  void SetTarget(ISRepObject* target);

 private:
  ISRepObject* m_target = nullptr;  // counted
};

// The object that obj stands for: the target of a live shortcut, otherwise
// obj itself; null for null. No reference is added. *isShortcut (optional)
// tells whether obj was a shortcut.
ISRepObject* SRepUnrefShct(ISRepObject* obj, int followChain = 1, int liveOnly = 1, BOOL* isShortcut = nullptr);

// The object that obj replicates (counted), or empty: null, no replica, or
// a replication without source.
SComWrap<ISRepObject, &IID_ISRepObject> SRepGetReplicationSource(ISRepObject* obj);

// Where the target of a shortcut lies in its model, as texts that show
// shortcuts name it: the full path is the names of the packages that hold
// the target, from the one below the model down to the target's own,
// joined by "::"; the last package is the name of the target's own package.
// The model itself is not a location: a target held by its model directly
// has none. Empty as well for null, for an object that is not a shortcut
// and for a shortcut whose target is gone.
SString SRepGetShortcutLocation(ISRepObject* shortcut, bool fullPath);

// ---- extended attributes ---------------------------------------------------------------
// The class that decides the object's extended attributes: the class of the
// object a shortcut stands for, otherwise the object's own class. GUID_NULL
// for null.
CLSID SRepGetExtClsid(ISRepObject* obj, LONG attrId = 0);

// A new object identifier, made at random. A failure of the random source
// is thrown as SECOMException.
SRepOID_ SRepNewOID();

// Extended attribute ids: all bits of 0x040E0000 set, and not that value itself.
inline bool SRepIsExtendedAttr(LONG id) { return (id & 0x040E0000) == 0x040E0000 && id != 0x040E0000; }

struct SRepExaRecord {
  CLSID clsid;
  LONG id;
  SString text;      // the descriptive text
  bool readOnly;
  SString GetText(int flag = 0) const { (void)flag; return text; }
  int IsReadOnly(ISRepObject* obj) const { (void)obj; return readOnly ? 1 : 0; }
};

inline constexpr IID IID_ISRepClassAttrDef = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D21}");

// The definition of an attribute of a class; it knows its attribute id.
struct ISRepClassAttrDef : IUnknown {
  virtual LONG GetAttributeId() = 0;

 protected:
  ~ISRepClassAttrDef() = default;
};

class SRepExaIntf {
 public:
  // The process-wide interface, or null while it holds neither a record nor
  // an attribute definition (Clear makes it absent again).
  static SRepExaIntf* GetExaIntf();
  static SRepExaIntf& Instance();
  void Add(const CLSID& clsid, LONG id, const SString& text, bool readOnly);
  const SRepExaRecord* Find(const CLSID& clsid, LONG id) const;
  void Clear();

  // ---- attribute definitions of the items of a collection
  // An attribute is defined either by a class attribute definition
  // (ISRepClassAttrDef) or by a repository object (an extended attribute,
  // known by its GUID). Each has a code and a display name. Declaring the
  // same (collection, attribute) again replaces the earlier definition.
  void AddClassAttr(LONG collId, LONG attrId, const SString& code, const SString& name);
  // `def` (counted while declared) stands for the attribute; it normally
  // answers ISRepObjectBase.
  void AddObjectAttr(LONG collId, LONG attrId, IUnknown* def, const GUID& guid, const SString& code,
                     const SString& name);
  // The definition of (collection, attribute), not counted; null when none.
  IUnknown* GetAttrDef(LONG collId, LONG attrId) const;
  // The definition of the collection's items whose code is `text`, or whose
  // braced GUID text is `text` (either case); null when none. The context
  // object and the flags of the lookup (0x10, 0x11) select nothing more here.
  IUnknown* FindAttrDef(LONG collId, const SString& text, ISRepObject* context, DWORD flags) const;
  // The code (which 0) or the display name (which 1) of a definition; empty
  // for a definition not declared here.
  SString GetDefText(IUnknown* def, int which) const;
  // The GUID of a definition made by a repository object; false for any other.
  bool GetDefGuid(IUnknown* def, GUID* out) const;
  // The attribute id whose definition FindAttrDef finds; 0 when none.
  LONG FindAttrId(LONG collId, const SString& text, ISRepObject* context, DWORD flags, int exact) const;

  SRepExaIntf() = default;
  ~SRepExaIntf();
  SRepExaIntf(const SRepExaIntf&) = delete;
  SRepExaIntf& operator=(const SRepExaIntf&) = delete;

 private:
  struct AttrDef {
    LONG collId;
    LONG attrId;
    IUnknown* def;  // counted
    bool byObject;
    GUID guid;
    SString code;
    SString name;
  };
  void PutAttr(AttrDef def);
  const AttrDef* FindDef(IUnknown* def) const;
  std::vector<SRepExaRecord> m_records;
  std::vector<AttrDef> m_attrs;
};

// Sub-object classes (classes whose objects live inside another object's compartments).
void SRepRegisterSubObjectClass(const CLSID& clsid, bool isSubObject);
bool SRepIsSubObjectClass(const CLSID& clsid);

// Options of the repository, shared by the process.
struct SRepOption {
  static SString m_sOutputLogPath;  // the folder of log files
  static BOOL m_bOpenSingleMode;
  static BOOL m_bKeepSize;  // windows keep their remembered size
};

// ---- dialogs and control holders ---------------------------------------------------------
// The open property dialog of each object (one per object).
class SRepDialogMap {
 public:
  static void* Find(ISRepObject* obj);
  // Replaces an earlier entry of the object; a null dialog removes it.
  static void Add(ISRepObject* obj, void* dialog);
  static void Remove(ISRepObject* obj);
};

// A holder of in-place controls; while it reports a change in its own
// context, symbols treat themselves as outside a lockout.
class SRepControlHolder {
 public:
  virtual ~SRepControlHolder() = default;
  virtual BOOL ChangeInContext() const { return m_bChangeInContext; }
  void SetChangeInContext(BOOL v) { m_bChangeInContext = v; }

 private:
  BOOL m_bChangeInContext = FALSE;
};

// ---- maps and sets of objects ------------------------------------------------------------------
// Object to object; one reference to each non-null mapped value.
class SRepMapObject : public SComMap<ISRepObject*, ISRepObject*> {};

// Walks a collection in order; members removed while walking are skipped.
// It listens to the collection for the length of its scope: a local object
// whose listening face counts the collection's hold on it and no more.
class SRepColIterator final : public SComObjectStack<ISRepClassColSink, &IID_ISRepClassColSink> {
 public:
  SRepColIterator(ISRepObject* obj, LONG id);
  ~SRepColIterator();
  SRepColIterator(const SRepColIterator&) = delete;
  SRepColIterator& operator=(const SRepColIterator&) = delete;
  // The next member (no reference added), or null at the end.
  ISRepObject* Next();
  void Unadvise();

  HRESULT OnObjColInsert(ISRepClassCol*, ISRepObject*, int) override { return S_OK; }
  HRESULT OnObjColMove(ISRepClassCol*, int, int) override { return S_OK; }
  HRESULT OnObjColRemove(ISRepClassCol*, ISRepObject* obj) override;
  HRESULT OnObjColDelete(ISRepClassCol*) override;

 private:
  ISRepObject* m_obj = nullptr;   // counted
  ISRepClassCol* m_col = nullptr;  // counted
  std::vector<ISRepObject*> m_items;  // counted
  std::size_t m_at = 0;
};

// ---- data source ------------------------------------------------------------------------------
struct _SREPDATADESCRIPTOR {
  DWORD cbSize;  // 28, set by the caller
  LONG x, y;     // the start point of the drag
  LONG x1, y1, x2, y2;  // the bounding rectangle of the data
};
static_assert(sizeof(_SREPDATADESCRIPTOR) == 28);

struct ISRepDataSrc : IUnknown {
  virtual HRESULT GetWindow(HWND* out) = 0;
  virtual HRESULT ContainsData(DWORD* out) = 0;
  virtual HRESULT GetRoot(ISRepObject** out) = 0;
  virtual HRESULT GetSession(ISRepSession** out) = 0;
  virtual HRESULT GetDescriptor(_SREPDATADESCRIPTOR* out) = 0;

 protected:
  ~ISRepDataSrc() = default;
};

// Repository objects carried in-process: the data holds the objects
// themselves (counted), so a paste in the same process rebuilds from them.
class SRepDataSource : public ISRepDataSrc {
 public:
  // The name of the repository's own data format.
  static constexpr const char16_t* FormatName = u"KvRepository Objects";
  SRepDataSource(HWND wnd, ISRepSession* session);
  virtual ~SRepDataSource();
  SRepDataSource(const SRepDataSource&) = delete;
  SRepDataSource& operator=(const SRepDataSource&) = delete;

  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  ULONG AddRef() override { return ++m_cRef; }
  ULONG Release() override;
  HRESULT GetWindow(HWND* out) override;
  // *out: the number of objects carried.
  HRESULT ContainsData(DWORD* out) override;
  // The root object: it answers ISRepRootObject, whose carried collection
  // lists the objects in order.
  HRESULT GetRoot(ISRepObject** out) override;
  HRESULT GetSession(ISRepSession** out) override;
  HRESULT GetDescriptor(_SREPDATADESCRIPTOR*) override { return E_NOTIMPL; }

  // Keeps the objects (in the order of first insertion; null and repeated
  // entries are passed over).
  HRESULT InitRootObj(const std::vector<ISRepObject*>& objects);
  int GetObjectCount() const;
  // Writes the carried objects in the repository's data format
  // (SRepStreamManager), the form a paste reads back.
  HRESULT RenderData(SOutputStream& out) const;

 private:
  ULONG m_cRef = 0;
  HWND m_wnd;
  ISRepSession* m_session;  // counted
  SRepRootObject* m_root;   // counted
};
