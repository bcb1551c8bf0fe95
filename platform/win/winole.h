// In-process OLE: embedded and linked documents of other programs, kept in
// structured storages that live in memory blocks.
//
// There is no object server on this system. A document's class is served
// only when a server was registered in this process (KvOleRegisterServer);
// every creation and load of another class answers REGDB_E_CLASSNOTREG and
// makes no object. What a document showed when it was last saved stays
// drawable without its server: the data cache (CreateDataCache) reads the
// stored presentation from the storage and draws it.
//
// A storage holds its class, its clipboard format and user type, its
// convert bit and named streams; streams are read and written whole. Its
// image in the lock bytes is this system's own layout (StgIsStorageILockBytes
// tells it apart); an image in any other layout does not open
// (STG_E_INVALIDHEADER) and is left as it is.
#pragma once

#include <string>
#include <vector>

#include "win/wingdi.h"
#include "win/winspool.h"

// ---- result codes ----
constexpr HRESULT STG_E_INVALIDHEADER = static_cast<HRESULT>(0x800300FBu);
constexpr HRESULT STG_E_DOCFILECORRUPT = static_cast<HRESULT>(0x80030109u);
constexpr HRESULT STG_E_INVALIDPARAMETER = static_cast<HRESULT>(0x80030057u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT OLE_E_NOCONNECTION = static_cast<HRESULT>(0x80040004u);
constexpr HRESULT OLE_E_ADVISENOTSUPPORTED = static_cast<HRESULT>(0x80040003u);
constexpr HRESULT REGDB_E_READREGDB = static_cast<HRESULT>(0x80040150u);
constexpr HRESULT OLEOBJ_E_NOVERBS = static_cast<HRESULT>(0x80040180u);

// ---- flags ----
constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;
constexpr DWORD OLEMISC_STATIC = 0x8;
constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STGM_READWRITE = 0x2;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
constexpr DWORD STGM_CREATE = 0x1000;
constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD OLERENDER_NONE = 0;
constexpr DWORD OLERENDER_DRAW = 1;
constexpr DWORD OLERENDER_FORMAT = 2;
constexpr WORD CF_ENHMETAFILE = 14;
constexpr DWORD TYMED_ENHMF = 64;
using OLERENDER = DWORD;
using CLIPFORMAT = WORD;

inline constexpr IID IID_ILockBytes = MakeGUID("{0000000A-0000-0000-C000-000000000046}");
inline constexpr IID IID_IStorage = MakeGUID("{0000000B-0000-0000-C000-000000000046}");
inline constexpr IID IID_IPersistStorage = MakeGUID("{0000010A-0000-0000-C000-000000000046}");
inline constexpr IID IID_IOleObject = MakeGUID("{00000112-0000-0000-C000-000000000046}");
inline constexpr IID IID_IOleClientSite = MakeGUID("{00000118-0000-0000-C000-000000000046}");
inline constexpr IID IID_IOleLink = MakeGUID("{0000011D-0000-0000-C000-000000000046}");
inline constexpr IID IID_IOleCache = MakeGUID("{0000011E-0000-0000-C000-000000000046}");
inline constexpr IID IID_IViewObject = MakeGUID("{0000010D-0000-0000-C000-000000000046}");
inline constexpr IID IID_IViewObject2 = MakeGUID("{00000127-0000-0000-C000-000000000046}");
inline constexpr IID IID_IAdviseSink = MakeGUID("{0000010F-0000-0000-C000-000000000046}");
inline constexpr IID IID_IAdviseSink2 = MakeGUID("{00000125-0000-0000-C000-000000000046}");
inline constexpr IID IID_IEnumOLEVERB = MakeGUID("{00000104-0000-0000-C000-000000000046}");
inline constexpr IID IID_IMoniker = MakeGUID("{0000000F-0000-0000-C000-000000000046}");
inline constexpr IID IID_IOleContainer = MakeGUID("{0000011B-0000-0000-C000-000000000046}");
inline constexpr CLSID CLSID_NULL = GUID_NULL;

// ---- records ----
struct STATSTG {
  LPWSTR pwcsName;  // null with STATFLAG_NONAME
  DWORD type;
  ULONGLONG cbSize;
  CLSID clsid;
  DWORD grfStateBits;
};
struct DVTARGETDEVICE;
struct FORMATETC {
  CLIPFORMAT cfFormat;
  DVTARGETDEVICE* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};
struct IStream;
struct IStorage;
// The data of one format: `tymed` says which member holds it (see
// win/winoledata.h); ReleaseStgMedium frees it.
struct STGMEDIUM {
  DWORD tymed;
  union {
    HENHMETAFILE hEnhMetaFile;
    HGLOBAL hGlobal;
    HBITMAP hBitmap;
    IStream* pstm;
    IStorage* pstg;
  };
  IUnknown* pUnkForRelease;
};
struct OLEVERB {
  LONG lVerb;
  LPWSTR lpszVerbName;
  DWORD fuFlags;
  DWORD grfAttribs;
};
struct MSG;

// ---- interfaces ----
// Bytes of a storage image. Here always over one global memory block.
struct ILockBytes : IUnknown {
  static constexpr IID iid = IID_ILockBytes;
  virtual HRESULT ReadAt(ULONGLONG offset, void* pv, ULONG cb, ULONG* read) = 0;
  virtual HRESULT WriteAt(ULONGLONG offset, const void* pv, ULONG cb, ULONG* written) = 0;
  virtual HRESULT Flush() = 0;
  virtual HRESULT SetSize(ULONGLONG cb) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

struct IStorage : IUnknown {
  static constexpr IID iid = IID_IStorage;
  // Whole streams by name: STG_E_FILENOTFOUND for a missing one.
  virtual HRESULT ReadStream(LPCWSTR name, std::vector<BYTE>* bytes) = 0;
  virtual HRESULT WriteStream(LPCWSTR name, const BYTE* bytes, ULONG cb) = 0;
  // Writes the storage's image to its lock bytes.
  virtual HRESULT Commit(DWORD flags) = 0;
  virtual HRESULT SetClass(REFCLSID clsid) = 0;
  virtual HRESULT SetStateBits(DWORD bits, DWORD mask) = 0;
  virtual HRESULT Stat(STATSTG* stat, DWORD flags) = 0;
};

struct IPersistStorage : IUnknown {
  static constexpr IID iid = IID_IPersistStorage;
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
  virtual HRESULT IsDirty() = 0;
  virtual HRESULT InitNew(IStorage* storage) = 0;
  virtual HRESULT Load(IStorage* storage) = 0;
  virtual HRESULT Save(IStorage* storage, BOOL sameAsLoad) = 0;
  virtual HRESULT SaveCompleted(IStorage* storage) = 0;
  virtual HRESULT HandsOffStorage() = 0;
};

struct IAdviseSink : IUnknown {
  static constexpr IID iid = IID_IAdviseSink;
  virtual void OnDataChange(FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnRename(IUnknown* moniker) = 0;
  virtual void OnSave() = 0;
  virtual void OnClose() = 0;
};
struct IAdviseSink2 : IAdviseSink {
  static constexpr IID iid = IID_IAdviseSink2;
  virtual void OnLinkSrcChange(IUnknown* moniker) = 0;
};

struct IEnumOLEVERB : IUnknown {
  static constexpr IID iid = IID_IEnumOLEVERB;
  // S_FALSE once fewer than `count` verbs were left.
  virtual HRESULT Next(ULONG count, OLEVERB* verbs, ULONG* fetched) = 0;
};

struct IOleClientSite : IUnknown {
  static constexpr IID iid = IID_IOleClientSite;
  virtual HRESULT SaveObject() = 0;
  virtual HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) = 0;
  virtual HRESULT GetContainer(IUnknown** container) = 0;
  virtual HRESULT ShowObject() = 0;
  virtual HRESULT OnShowWindow(BOOL show) = 0;
  virtual HRESULT RequestNewObjectLayout() = 0;
};

struct IOleObject : IUnknown {
  static constexpr IID iid = IID_IOleObject;
  virtual HRESULT Close(DWORD saveOption) = 0;
  virtual HRESULT DoVerb(LONG verb, const MSG* message, IOleClientSite* site, LONG index, HWND parent,
                         const RECT* rect) = 0;
  virtual HRESULT EnumVerbs(IEnumOLEVERB** out) = 0;
  virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT Unadvise(DWORD connection) = 0;
  virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
};

// Answered by linked objects; its operations are not used here.
struct IOleLink : IUnknown {
  static constexpr IID iid = IID_IOleLink;
};

struct IViewObject : IUnknown {
  static constexpr IID iid = IID_IViewObject;
  // Draws into `hdcDraw` within `bounds` (device coordinates).
  virtual HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC hdcTarget, HDC hdcDraw,
                       const RECTL* bounds, const RECTL* wBounds, BOOL (*pfnContinue)(ULONG_PTR),
                       ULONG_PTR continueArg) = 0;
  virtual HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) = 0;
  virtual HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) = 0;
};
struct IViewObject2 : IViewObject {
  static constexpr IID iid = IID_IViewObject2;
  // The extent in HIMETRIC (0.01 mm); OLE_E_BLANK when nothing is shown.
  virtual HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, SIZEL* size) = 0;
};

struct IOleCache : IUnknown {
  static constexpr IID iid = IID_IOleCache;
  // Takes a presentation (an enhanced metafile, copied); `release` frees the
  // caller's medium.
  virtual HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) = 0;
};

// ---- task memory ----
void* CoTaskMemAlloc(std::size_t cb);
void CoTaskMemFree(void* pv);

// ---- storages on memory blocks ----
// Lock bytes over `mem` (null: a new empty block); with `deleteOnRelease`
// the block is freed with the last reference.
HRESULT CreateILockBytesOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, ILockBytes** out);
HRESULT GetHGlobalFromILockBytes(ILockBytes* bytes, HGLOBAL* out);
// S_OK when the bytes hold a storage image of this system, S_FALSE when not.
HRESULT StgIsStorageILockBytes(ILockBytes* bytes);
HRESULT StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode, DWORD reserved, IStorage** out);
// STG_E_INVALIDHEADER for bytes in another layout, STG_E_DOCFILECORRUPT for
// a damaged image; nothing is opened then.
HRESULT StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage* priority, DWORD mode, void* exclude, DWORD reserved,
                                   IStorage** out);
HRESULT ReadClassStg(IStorage* storage, CLSID* clsid);
HRESULT WriteClassStg(IStorage* storage, REFCLSID clsid);
// Task memory for the user type (CoTaskMemFree); a storage without one
// answers format 0 and an empty text.
HRESULT ReadFmtUserTypeStg(IStorage* storage, CLIPFORMAT* format, LPWSTR* userType);
HRESULT WriteFmtUserTypeStg(IStorage* storage, CLIPFORMAT format, LPCWSTR userType);
HRESULT SetConvertStg(IStorage* storage, BOOL convert);
// S_OK when the convert bit is set, S_FALSE when not.
HRESULT GetConvertStg(IStorage* storage);

// ---- objects ----
HRESULT OleCreate(REFCLSID clsid, REFIID iid, DWORD render, FORMATETC* format, IOleClientSite* site, IStorage* storage,
                  void** out);
HRESULT OleCreateFromFile(REFCLSID clsid, LPCWSTR path, REFIID iid, DWORD render, FORMATETC* format,
                          IOleClientSite* site, IStorage* storage, void** out);
HRESULT OleCreateLinkToFile(LPCWSTR path, REFIID iid, DWORD render, FORMATETC* format, IOleClientSite* site,
                            IStorage* storage, void** out);
HRESULT OleLoad(IStorage* storage, REFIID iid, IOleClientSite* site, void** out);
HRESULT OleSave(IPersistStorage* persist, IStorage* storage, BOOL sameAsLoad);
HRESULT OleSetContainedObject(IUnknown* object, BOOL contained);
// The cache of presentations of one object: IPersistStorage (its stored
// presentation), IViewObject2 (draws it) and IOleCache (takes a new one).
HRESULT CreateDataCache(IUnknown* outer, REFCLSID clsid, REFIID iid, void** out);

// ---- classes ----
// Task memory with "{XXXXXXXX-...}".
HRESULT StringFromCLSID(REFCLSID clsid, LPWSTR* out);
HRESULT OleRegGetUserType(REFCLSID clsid, DWORD form, LPWSTR* out);
// Records under HKEY_CLASSES_ROOT\CLSID\{old}\TreatAs that `old` is served
// as `clsidNew` (CLSID_NULL, or the same class, removes it);
// REGDB_E_CLASSNOTREG when the old class has no key there.
HRESULT CoTreatAsClass(REFCLSID clsidOld, REFCLSID clsidNew);
// The class recorded by CoTreatAsClass, or `clsid` itself (S_FALSE).
HRESULT CoGetTreatAsClass(REFCLSID clsid, CLSID* out);

// ---- servers of this process ----
// Makes an object of `clsid`: a new one initialised on `storage`, or, with
// `load`, one loaded from it.
using KvOleServerCreate = HRESULT (*)(REFCLSID clsid, IOleClientSite* site, IStorage* storage, bool load,
                                      IOleObject** out);
// Serves `clsid` (null `create` stops serving it).
void KvOleRegisterServer(REFCLSID clsid, LPCWSTR userType, KvOleServerCreate create);
// Every object OleSetContainedObject was asked to mark, in order (null
// included: such a call answers E_INVALIDARG); for tests.
const std::vector<IUnknown*>& KvOleContainedLog();
void KvOleResetContainedLog();
