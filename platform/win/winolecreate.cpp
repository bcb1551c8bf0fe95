// Objects made from data: embedded objects out of "Embed Source", and static
// pictures out of an enhanced metafile.
#include "win/winoledata.h"

namespace {

// A picture with no server behind it: the data cache draws and keeps it.
class StaticPicture final : public IOleObject {
 public:
  explicit StaticPicture(IUnknown* cache) : m_cache(cache) {}  // takes the reference
  ~StaticPicture() { m_cache->Release(); }

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *ppv = static_cast<IOleObject*>(this);
      AddRef();
      return S_OK;
    }
    if (iid == IID_IViewObject || iid == IID_IViewObject2 || iid == IID_IPersistStorage || iid == IID_IOleCache)
      return m_cache->QueryInterface(iid, ppv);
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT Close(DWORD) override { return S_OK; }
  HRESULT DoVerb(LONG, const MSG*, IOleClientSite*, LONG, HWND, const RECT*) override { return OLEOBJ_E_NOVERBS; }
  HRESULT EnumVerbs(IEnumOLEVERB** out) override {
    if (out) *out = nullptr;
    return OLEOBJ_E_NOVERBS;
  }
  HRESULT SetExtent(DWORD, SIZEL*) override { return E_FAIL; }  // a picture keeps its own size
  HRESULT GetExtent(DWORD aspect, SIZEL* size) override {
    IViewObject2* view = nullptr;
    HRESULT hr = m_cache->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view));
    if (FAILED(hr)) return hr;
    hr = view->GetExtent(aspect, -1, nullptr, size);
    view->Release();
    return hr;
  }
  HRESULT Advise(IAdviseSink*, DWORD* connection) override {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
  HRESULT GetMiscStatus(DWORD, DWORD* status) override {
    if (!status) return E_POINTER;
    *status = OLEMISC_STATIC;
    return S_OK;
  }

 private:
  ULONG m_refs = 1;
  IUnknown* m_cache;
};

HRESULT CreateStatic(REFCLSID, IOleClientSite*, IStorage* storage, bool load, IOleObject** out) {
  *out = nullptr;
  IPersistStorage* persist = nullptr;
  HRESULT hr = CreateDataCache(nullptr, CLSID_Picture_EnhMetafile, IID_IPersistStorage, reinterpret_cast<void**>(&persist));
  if (FAILED(hr)) return hr;
  hr = load ? persist->Load(storage) : persist->InitNew(storage);
  if (FAILED(hr)) {
    persist->Release();
    return hr;
  }
  *out = new StaticPicture(persist);
  return S_OK;
}

void ServeStaticPictures() {
  static bool served = false;
  if (served) return;
  KvOleRegisterServer(CLSID_Picture_EnhMetafile, u"Picture (Enhanced Metafile)", &CreateStatic);
  served = true;
}

bool Offers(IDataObject* data, UINT format, DWORD tymed) {
  FORMATETC f{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, tymed};
  return data->QueryGetData(&f) == S_OK;
}

UINT EmbedSource() { return RegisterClipboardFormatW(CFSTR_EMBEDSOURCE); }

// Common checks of the creation calls.
HRESULT Prepare(IDataObject* data, IStorage* storage, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return data && storage ? S_OK : E_INVALIDARG;
}

}  // namespace

HRESULT OleQueryCreateFromData(IDataObject* data) {
  if (!data) return E_INVALIDARG;
  if (Offers(data, EmbedSource(), TYMED_ISTORAGE)) return S_OK;
  if (Offers(data, CF_ENHMETAFILE, TYMED_ENHMF) || Offers(data, CF_METAFILEPICT, TYMED_MFPICT) ||
      Offers(data, CF_DIB, TYMED_HGLOBAL) || Offers(data, CF_BITMAP, TYMED_GDI))
    return OLE_S_STATIC;
  return S_FALSE;
}

HRESULT OleCreateFromData(IDataObject* data, REFIID iid, DWORD, FORMATETC*, IOleClientSite* site, IStorage* storage,
                          void** out) {
  if (const HRESULT hr = Prepare(data, storage, out); FAILED(hr)) return hr;
  ServeStaticPictures();
  FORMATETC f{CLIPFORMAT(EmbedSource()), nullptr, DVASPECT_CONTENT, -1, TYMED_ISTORAGE};
  STGMEDIUM m{};
  HRESULT hr = data->GetData(&f, &m);
  if (FAILED(hr)) return hr == DV_E_TYMED ? DV_E_FORMATETC : hr;
  if (m.tymed != TYMED_ISTORAGE || !m.pstg) {
    ReleaseStgMedium(&m);
    return DV_E_FORMATETC;
  }
  // The object is loaded from the data's storage and saved into the new one,
  // which it is then loaded from: the new object owns a storage of its own.
  IPersistStorage* persist = nullptr;
  hr = OleLoad(m.pstg, IID_IPersistStorage, nullptr, reinterpret_cast<void**>(&persist));
  ReleaseStgMedium(&m);
  if (FAILED(hr)) return hr;
  hr = OleSave(persist, storage, FALSE);
  if (SUCCEEDED(hr)) persist->SaveCompleted(nullptr);
  persist->Release();
  if (SUCCEEDED(hr)) hr = OleLoad(storage, iid, site, out);
  return hr;
}

HRESULT OleCreateLinkFromData(IDataObject* data, REFIID, DWORD, FORMATETC*, IOleClientSite*, IStorage* storage,
                              void** out) {
  if (const HRESULT hr = Prepare(data, storage, out); FAILED(hr)) return hr;
  const UINT link = RegisterClipboardFormatW(CFSTR_LINKSOURCE);
  if (!Offers(data, link, TYMED_ISTREAM) && !Offers(data, link, TYMED_HGLOBAL)) return DV_E_FORMATETC;
  return REGDB_E_CLASSNOTREG;
}

HRESULT OleCreateStaticFromData(IDataObject* data, REFIID iid, DWORD, FORMATETC*, IOleClientSite* site,
                                IStorage* storage, void** out) {
  if (const HRESULT hr = Prepare(data, storage, out); FAILED(hr)) return hr;
  ServeStaticPictures();
  FORMATETC f{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM m{};
  HRESULT hr = data->GetData(&f, &m);
  if (FAILED(hr)) return hr;
  if (m.tymed != TYMED_ENHMF) {
    ReleaseStgMedium(&m);
    return DV_E_FORMATETC;
  }
  IOleObject* object = nullptr;
  hr = WriteClassStg(storage, CLSID_Picture_EnhMetafile);
  if (SUCCEEDED(hr)) hr = CreateStatic(CLSID_Picture_EnhMetafile, site, storage, false, &object);
  IOleCache* cache = nullptr;
  if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_IOleCache, reinterpret_cast<void**>(&cache));
  if (SUCCEEDED(hr)) {
    // The cache copies the picture; the medium stays ours to release.
    hr = cache->SetData(&f, &m, FALSE);
    cache->Release();
  }
  ReleaseStgMedium(&m);
  IPersistStorage* persist = nullptr;
  if (SUCCEEDED(hr)) hr = object->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&persist));
  if (SUCCEEDED(hr)) {
    hr = persist->Save(storage, TRUE);
    persist->Release();
  }
  if (SUCCEEDED(hr)) hr = object->QueryInterface(iid, out);
  if (object) object->Release();
  return hr;
}
