// SSymOle: the symbol of an embedded, linked or static OLE object (a
// document of another program placed in a diagram). The object lives in a
// structured storage on a memory block; the symbol's blob is that storage's
// image behind the drawing aspect and index:
//
//   aspect (4 bytes), index (4), n (4), n bytes of the storage image
//
// (little-endian). The symbol draws the object through its view object, runs
// its verbs, converts it, and is its client site and advise sink.
//
// A blob whose object no server of this system can load keeps its bytes:
// the item draws the presentation stored with it (when it has one) and
// writes the same blob back. A blob whose size word runs past its end is
// refused: the item is left empty and the read answers STG_E_READFAULT.
#pragma once

#include "kvlib/sliboleitem.h"
#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symstd.h"

namespace SSymTypeCode {
inline constexpr int Generic = 79;
}  // namespace SSymTypeCode

struct ISSymOle : ISVerbSource {
  static constexpr IID iid = IID_ISSymOle;
  // The object (null when none), with a reference added when `addRef`.
  virtual IOleObject* GetOleObject(int addRef) = 0;
  virtual IViewObject* GetViewObject(int addRef) = 0;
  virtual DWORD GetAspect() = 0;
  virtual SOleStorage GetStorage() = 0;
  // Shows the convert dialog and applies the choice: 0 when the chosen
  // conversion failed, else 1 (cancelled included).
  virtual BOOL Convert() = 0;
};

class SSymOle : public SRepFaces<SSymOle, SSymBlob, ISSymOle, ISVerbSource, IOleClientSite, IAdviseSink2, IAdviseSink> {
  KV_SYM_DECLARE_POOL()

 public:
  // The object kinds (GetObjectType).
  enum ObjectType : LONG { Static = 0, Embedded = 1, Linked = 2 };

  explicit SSymOle(const SSymRect& rect);
  ~SSymOle() override;
  KV_SYM_CLASS_TABLES()

  // ---- creation: each answers non-zero when the item holds the new object.
  // A null storage gives the item a new storage of its own on a memory
  // block; a storage handed in is used as it is (the blob then holds only
  // what the item's own lock bytes hold).
  BOOL Create(REFCLSID clsid, IStorage* storage);
  virtual BOOL CreateFromFile(const SString& path, IStorage* storage);
  virtual BOOL CreateLinkFromFile(const SString& path, IStorage* storage);
  // The clip rectangle sized to the view object's extent (HIMETRIC to
  // diagram units, 2540 to 7200) when it answers one.
  virtual SSymRect GetDefaultSize();
  virtual void SetToDefaultSize();
  // Disconnects and releases the object and its view object (none is fine),
  // closes the open state and resets aspect and index.
  virtual void Cleanup();
  virtual BOOL FinishCreate(HRESULT hr);
  virtual void UpdateObjectType();
  virtual BOOL ConvertTo(REFCLSID clsidNew);
  virtual BOOL ActivateAs(const char16_t* userType, REFCLSID clsidOld, REFCLSID clsidNew);

  // ---- ISSymbol, SSymBlob
  HRESULT Draw(SSymCanvas& canvas) override;
  int GetSymbolType() override { return SSymTypeCode::Generic; }
  HRESULT OnGetBlobData(SOutputStream& out) override;
  HRESULT OnSetBlobData(SInputStream& in) override;

  // ---- ISVerbSource, ISSymOle
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override;
  IOleObject* GetOleObject(int addRef) override;
  IViewObject* GetViewObject(int addRef) override;
  DWORD GetAspect() override { return m_dwAspect; }
  SOleStorage GetStorage() override { return m_storage; }
  BOOL Convert() override;

  // ---- IOleClientSite
  HRESULT SaveObject() override;
  HRESULT GetMoniker(DWORD assign, DWORD which, IUnknown** moniker) override;
  HRESULT GetContainer(IUnknown** container) override;
  HRESULT ShowObject() override { return S_OK; }
  HRESULT OnShowWindow(BOOL show) override;
  HRESULT RequestNewObjectLayout() override;

  // ---- IAdviseSink2
  void OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void OnViewChange(DWORD aspect, LONG index) override;
  void OnRename(IUnknown*) override {}
  void OnSave() override;
  void OnClose() override {}
  void OnLinkSrcChange(IUnknown*) override {}

  LONG GetObjectType() const { return m_nType; }
  bool IsOpen() const { return m_bOpen != 0; }
  LONG GetIndex() const { return m_lindex; }
  DWORD GetConnection() const { return m_dwConnection; }
  IOleClientSite* ClientSite() { return this; }

 protected:
  explicit SSymOle(ISRepSession* session);
  SSymOle(const SSymOle& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  // The object, or SECOMException with E_POINTER.
  IOleObject& Object();
  // Gives the item a new storage when `storage` is null, else takes it.
  HRESULT PrepareStorage(IStorage* storage);
  // Forgets storage and lock bytes.
  void ReleaseStorage();
  // After a load no server served: the stored presentation as view object.
  void ShowStoredPresentation();
  void MarkChanged();
  template <class Make>
  BOOL CreateWith(IStorage* storage, Make&& make);

  ILockBytes* m_lpLockBytes = nullptr;
  IOleObject* m_lpObject = nullptr;
  IViewObject* m_lpViewObject = nullptr;
  IViewObject2* m_lpViewObject2 = nullptr;
  SOleStorage m_storage;
  DWORD m_bOpen = 0;
  DWORD m_dwAspect = DVASPECT_CONTENT;
  LONG m_lindex = -1;
  DWORD m_dwConnection = 0;
  LONG m_nType = Static;
};
