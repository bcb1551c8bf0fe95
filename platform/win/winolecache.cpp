// The data cache: the presentation an object showed when it was last saved,
// kept in its storage's presentation stream and drawn without the object's
// server.
//
// The stream holds the extent in HIMETRIC (two 32-bit words) followed by an
// enhanced metafile.
#include <atomic>
#include <cstring>

#include "win/emf.h"
#include "win/winole.h"

namespace {

constexpr const char16_t* kPresStream =
    u"\x02"
    u"OlePres000";

class DataCache final : public IPersistStorage, public IViewObject2, public IOleCache {
 public:
  explicit DataCache(REFCLSID clsid) : m_clsid(clsid) {}
  ~DataCache() {
    if (m_sink) m_sink->Release();
  }

  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_IPersistStorage)
      *ppv = static_cast<IPersistStorage*>(this);
    else if (iid == IID_IViewObject || iid == IID_IViewObject2)
      *ppv = static_cast<IViewObject2*>(this);
    else if (iid == IID_IOleCache)
      *ppv = static_cast<IOleCache*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }

  // ---- IPersistStorage
  HRESULT GetClassID(CLSID* clsid) override {
    if (!clsid) return E_POINTER;
    *clsid = m_clsid;
    return S_OK;
  }
  HRESULT IsDirty() override { return m_dirty ? S_OK : S_FALSE; }
  HRESULT InitNew(IStorage* storage) override { return storage ? S_OK : E_INVALIDARG; }
  HRESULT Load(IStorage* storage) override {
    if (!storage) return E_INVALIDARG;
    std::vector<BYTE> data;
    const HRESULT hr = storage->ReadStream(kPresStream, &data);
    if (hr == STG_E_FILENOTFOUND) return S_OK;  // nothing was shown: the cache stays blank
    if (FAILED(hr)) return hr;
    if (data.size() < 8) return STG_E_DOCFILECORRUPT;
    SIZEL extent{};
    std::memcpy(&extent.cx, data.data(), 4);
    std::memcpy(&extent.cy, data.data() + 4, 4);
    HENHMETAFILE check = SetEnhMetaFileBits(static_cast<UINT>(data.size() - 8), data.data() + 8);
    if (!check) return STG_E_DOCFILECORRUPT;
    DeleteEnhMetaFile(check);
    m_extent = extent;
    m_picture.assign(data.begin() + 8, data.end());
    m_dirty = false;
    return S_OK;
  }
  HRESULT Save(IStorage* storage, BOOL) override {
    if (!storage) return E_INVALIDARG;
    if (m_picture.empty()) return S_OK;
    std::vector<BYTE> data(8 + m_picture.size());
    std::memcpy(data.data(), &m_extent.cx, 4);
    std::memcpy(data.data() + 4, &m_extent.cy, 4);
    std::memcpy(data.data() + 8, m_picture.data(), m_picture.size());
    return storage->WriteStream(kPresStream, data.data(), static_cast<ULONG>(data.size()));
  }
  HRESULT SaveCompleted(IStorage*) override {
    m_dirty = false;
    return S_OK;
  }
  HRESULT HandsOffStorage() override { return S_OK; }

  // ---- IViewObject2
  HRESULT Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC hdcDraw, const RECTL* bounds, const RECTL*,
               BOOL (*)(ULONG_PTR), ULONG_PTR) override {
    if (!hdcDraw || !bounds) return E_INVALIDARG;
    if (m_picture.empty()) return OLE_E_BLANK;
    const RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    return KvPlayEnhMetaFileBytes(hdcDraw, m_picture.data(), m_picture.size(), &r) ? S_OK : E_FAIL;
  }
  HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override {
    if (sink) sink->AddRef();
    if (m_sink) m_sink->Release();
    m_sink = sink;
    m_aspects = aspects;
    m_advf = advf;
    return S_OK;
  }
  HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override {
    if (aspects) *aspects = m_aspects;
    if (advf) *advf = m_advf;
    if (sink) {
      *sink = m_sink;
      if (m_sink) m_sink->AddRef();
    }
    return S_OK;
  }
  HRESULT GetExtent(DWORD, LONG, DVTARGETDEVICE*, SIZEL* size) override {
    if (!size) return E_POINTER;
    if (m_picture.empty()) return OLE_E_BLANK;
    *size = m_extent;
    return S_OK;
  }

  // ---- IOleCache
  HRESULT SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    if (!format || !medium) return E_INVALIDARG;
    if (format->cfFormat != CF_ENHMETAFILE || medium->tymed != TYMED_ENHMF || !medium->hEnhMetaFile)
      return DV_E_FORMATETC;
    const UINT n = GetEnhMetaFileBits(medium->hEnhMetaFile, 0, nullptr);
    ENHMETAHEADER head{};
    if (n == 0 || !GetEnhMetaFileHeader(medium->hEnhMetaFile, sizeof head, &head)) return DV_E_FORMATETC;
    std::vector<BYTE> bytes(n);
    GetEnhMetaFileBits(medium->hEnhMetaFile, n, bytes.data());
    m_picture = std::move(bytes);
    // The frame is in 0.01 mm, which is HIMETRIC.
    m_extent = SIZEL{head.rclFrame.right - head.rclFrame.left, head.rclFrame.bottom - head.rclFrame.top};
    m_dirty = true;
    if (release) {
      DeleteEnhMetaFile(medium->hEnhMetaFile);
      medium->hEnhMetaFile = nullptr;
    }
    if (m_sink && (m_aspects & DVASPECT_CONTENT)) m_sink->OnViewChange(DVASPECT_CONTENT, -1);
    return S_OK;
  }

 private:
  std::atomic<ULONG> m_refs{1};
  CLSID m_clsid;
  std::vector<BYTE> m_picture;  // enhanced metafile bytes, empty when blank
  SIZEL m_extent{0, 0};
  bool m_dirty = false;
  DWORD m_aspects = 0, m_advf = 0;
  IAdviseSink* m_sink = nullptr;
};

}  // namespace

HRESULT CreateDataCache(IUnknown* outer, REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  auto* cache = new DataCache(clsid);
  const HRESULT hr = cache->QueryInterface(iid, out);
  cache->Release();
  return hr;
}
