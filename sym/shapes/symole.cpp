#include "sym/shapes/symole.h"

#include <cstring>
#include <vector>

#include "kvcore/sexception.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "win/winreg.h"
#include "win/winuser.h"

namespace {

// Storages of items are opened read-write and exclusive.
constexpr DWORD kStorageMode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
// Aspect, index and size words ahead of the storage image.
constexpr std::size_t kHeaderBytes = 12;

// HIMETRIC (0.01 mm) to diagram units (1/7200 inch), truncated toward zero.
LONG FromHimetric(LONG v) { return static_cast<LONG>(static_cast<LONGLONG>(v) * 720 / 254); }

void Put32(std::vector<BYTE>& out, DWORD v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}
DWORD Get32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }

template <class I>
void ReleaseRef(I*& p) {
  if (p) p->Release();
  p = nullptr;
}

[[noreturn]] void ThrowNoObject(const char* function) {
  throw SECOMException(function, "lib/h/scomwrap", __LINE__, E_POINTER);
}

}  // namespace

KV_SYM_DEFINE_CLASS_TABLES(SSymOle)
KV_SYM_IMPLEMENT_POOL(SSymOle, g_symClasses[SYMCLS_SSymOle].poolBlocks);
KV_SYM_REGISTER(SSymOle, &SSymCreateStd<SSymOle>);

SSymOle::SSymOle(const SSymRect& rect) : SRepFaces(rect, nullptr, CLSID_SSymOle) {}

SSymOle::SSymOle(ISRepSession* session) : SRepFaces(session, CLSID_SSymOle) {}

SSymOle::SSymOle(const SSymOle& source) : SRepFaces(source) { SetBlobData(const_cast<SSymOle&>(source).GetBlobData()); }

SSymOle::~SSymOle() {
  // Runs in a destructor: nothing may escape.
  try {
    Cleanup();
  } catch (...) {}
  ReleaseStorage();
  ReleaseRef(m_lpObject);
}

IOleObject& SSymOle::Object() {
  if (!m_lpObject) ThrowNoObject(__PRETTY_FUNCTION__);
  return *m_lpObject;
}

void SSymOle::MarkChanged() {
  SetChanged();
  SetSessionModified();
}

void SSymOle::ReleaseStorage() {
  m_storage.Release();
  ReleaseRef(m_lpLockBytes);
}

HRESULT SSymOle::PrepareStorage(IStorage* storage) {
  if (storage) {
    if (storage != m_storage.Get()) {
      ReleaseStorage();
      m_storage.Attach(storage);
    }
    return S_OK;
  }
  ReleaseStorage();
  return m_storage.CreateStorage(kStorageMode, &m_lpLockBytes);
}

// ---- creation ------------------------------------------------------------------------------------

template <class Make>
BOOL SSymOle::CreateWith(IStorage* storage, Make&& make) {
  Cleanup();
  ReleaseRef(m_lpObject);
  HRESULT hr = PrepareStorage(storage);
  if (SUCCEEDED(hr)) {
    void* made = nullptr;
    hr = make(storage ? storage : m_storage.Get(), &made);
    m_lpObject = SUCCEEDED(hr) ? static_cast<IOleObject*>(made) : nullptr;
  }
  return FinishCreate(hr);
}

BOOL SSymOle::Create(REFCLSID clsid, IStorage* storage) {
  return CreateWith(storage, [&](IStorage* s, void** out) {
    return OleCreate(clsid, IID_IOleObject, OLERENDER_DRAW, nullptr, ClientSite(), s, out);
  });
}

BOOL SSymOle::CreateFromFile(const SString& path, IStorage* storage) {
  return CreateWith(storage, [&](IStorage* s, void** out) {
    return OleCreateFromFile(CLSID_NULL, path.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, ClientSite(), s, out);
  });
}

BOOL SSymOle::CreateLinkFromFile(const SString& path, IStorage* storage) {
  return CreateWith(storage, [&](IStorage* s, void** out) {
    return OleCreateLinkToFile(path.c_str(), IID_IOleObject, OLERENDER_DRAW, nullptr, ClientSite(), s, out);
  });
}

BOOL SSymOle::FinishCreate(HRESULT hr) {
  if (FAILED(hr) || !m_lpObject) return 0;
  void* view = nullptr;
  if (m_lpObject->QueryInterface(IID_IViewObject2, &view) == S_OK && view) {
    m_lpViewObject2 = static_cast<IViewObject2*>(view);
    m_lpViewObject = m_lpViewObject2;
    m_lpViewObject->AddRef();
  } else if (m_lpObject->QueryInterface(IID_IViewObject, &view) == S_OK && view) {
    m_lpViewObject = static_cast<IViewObject*>(view);
  } else {
    return 0;
  }
  UpdateObjectType();
  if (m_nType != Static) {
    if (FAILED(m_lpObject->Advise(static_cast<IAdviseSink2*>(this), &m_dwConnection))) return 0;
    m_lpViewObject->SetAdvise(DVASPECT_CONTENT, 0, static_cast<IAdviseSink2*>(this));
  }
  OleSetContainedObject(m_lpObject, TRUE);
  return 1;
}

void SSymOle::UpdateObjectType() {
  IOleObject& object = Object();
  void* link = nullptr;
  if (object.QueryInterface(IID_IOleLink, &link) == S_OK && link) {
    static_cast<IUnknown*>(link)->Release();
    m_nType = Linked;
    return;
  }
  DWORD status = 0;
  m_nType = object.GetMiscStatus(DVASPECT_CONTENT, &status) == S_OK && !(status & OLEMISC_STATIC) ? Embedded : Static;
}

void SSymOle::Cleanup() {
  if (m_lpViewObject) {
    // Only the aspects are asked for: the sink is this item, which may be
    // in its destructor already.
    DWORD aspects = 0, advf = 0;
    m_lpViewObject->GetAdvise(&aspects, &advf, nullptr);
    m_lpViewObject->SetAdvise(aspects, 0, nullptr);
  }
  ReleaseRef(m_lpViewObject);
  ReleaseRef(m_lpViewObject2);
  if (m_lpObject) {
    if (m_dwConnection) {
      m_lpObject->Unadvise(m_dwConnection);
      m_dwConnection = 0;
    }
    m_lpObject->Close(OLECLOSE_SAVEIFDIRTY);
  }
  ReleaseRef(m_lpObject);
  m_dwConnection = 0;
  m_bOpen = 0;
  m_dwAspect = DVASPECT_CONTENT;
  m_lindex = -1;
}

// ---- sizes ---------------------------------------------------------------------------------------

SSymRect SSymOle::GetDefaultSize() {
  SSymRect r = GetClipRect(0, 0);
  SIZEL size{0, 0};
  if (m_lpViewObject2 && SUCCEEDED(m_lpViewObject2->GetExtent(m_dwAspect, m_lindex, nullptr, &size))) {
    r.SetWidth(FromHimetric(size.cx));
    r.SetHeight(FromHimetric(size.cy));
  }
  return r;
}

void SSymOle::SetToDefaultSize() {
  Redraw(nullptr);
  m_rect = GetDefaultSize();
  MarkChanged();
  Redraw(nullptr);
}

HRESULT SSymOle::RequestNewObjectLayout() {
  IOleObject& object = Object();
  SIZEL size{0, 0};
  HRESULT hr = object.GetExtent(DVASPECT_CONTENT, &size);
  if (FAILED(hr)) return hr;
  hr = object.SetExtent(DVASPECT_CONTENT, &size);
  if (FAILED(hr)) return hr;
  Redraw(nullptr);
  m_rect.Normalize();
  m_rect.SetSize(FromHimetric(size.cx), FromHimetric(size.cy));
  MarkChanged();
  Redraw(nullptr);
  return hr;
}

// ---- drawing -------------------------------------------------------------------------------------

HRESULT SSymOle::Draw(SSymCanvas& canvas) {
  if (IsHidden() || (m_state & StateNoRedraw)) return 1;
  m_state |= StateNoRedraw;
  if (!(m_state & StateInitialized)) InitialSym(Sym());
  SSymRect r = m_rect;
  r.Normalize();
  canvas.DrawViewObject(r, m_lpViewObject, m_dwAspect, m_lindex, static_cast<int>(m_bOpen));
  m_state &= ~static_cast<DWORD>(StateNoRedraw);
  return 0;
}

// ---- verbs and conversion ------------------------------------------------------------------------

HRESULT SSymOle::DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) {
  IOleObject& object = Object();
  RECT own{};
  if (!rect) {
    const SSymRect c = GetClipRect(0, 0);
    own = RECT{c.x1, c.y1, c.x2, c.y2};
    rect = &own;
  }
  MSG copy{};
  if (message) copy = *message;
  return object.DoVerb(verb, message ? &copy : nullptr, ClientSite(), 0, window, rect);
}

LONG SSymOle::EnumVerbs() {
  IEnumOLEVERB* verbs = nullptr;
  if (FAILED(Object().EnumVerbs(&verbs)) || !verbs) return 0;
  LONG count = 0;
  OLEVERB verb{};
  ULONG got = 0;
  while (verbs->Next(1, &verb, &got) == S_OK && got == 1) {
    CoTaskMemFree(verb.lpszVerbName);
    ++count;
  }
  verbs->Release();
  return count;
}

IOleObject* SSymOle::GetOleObject(int addRef) {
  if (addRef && m_lpObject) m_lpObject->AddRef();
  return m_lpObject;
}

IViewObject* SSymOle::GetViewObject(int addRef) {
  if (addRef && m_lpViewObject) m_lpViewObject->AddRef();
  return m_lpViewObject;
}

BOOL SSymOle::Convert() {
  BOOL linked = FALSE;
  if (m_lpObject) {
    void* link = nullptr;
    if (m_lpObject->QueryInterface(IID_IOleLink, &link) == S_OK && link) {
      static_cast<IUnknown*>(link)->Release();
      linked = TRUE;
    }
  }
  SOleConvertDialog dialog(m_storage, nullptr, linked, m_dwAspect, 0, 8);
  if (dialog.DoModal() != IDOK) return 1;
  const CLSID chosen = dialog.GetClassID();
  if (chosen != CLSID_NULL) {
    CLSID old = CLSID_NULL;
    if (m_storage.Get()) ReadClassStg(m_storage, &old);
    bool ok = true;
    if (dialog.GetSelectionType() == 1)
      ok = ConvertTo(chosen) != 0;
    else if (dialog.GetSelectionType() == 2)
      ok = ActivateAs(dialog.GetUserType(), old, chosen) != 0;
    if (!ok) return 0;
  }
  if (dialog.GetDrawAspect() != m_dwAspect) m_dwAspect = dialog.GetDrawAspect();
  return 1;
}

BOOL SSymOle::ConvertTo(REFCLSID clsidNew) {
  IStorage* storage = m_storage.Get();
  if (!storage) return FALSE;
  CLSID old{};
  if (FAILED(ReadClassStg(storage, &old))) return FALSE;
  CLIPFORMAT format = 0;
  LPWSTR oldType = nullptr, newType = nullptr;
  ReadFmtUserTypeStg(storage, &format, &oldType);
  if (FAILED(OleRegGetUserType(clsidNew, USERCLASSTYPE_FULL, &newType))) newType = nullptr;
  HRESULT hr = WriteClassStg(storage, clsidNew);
  if (SUCCEEDED(hr)) {
    hr = WriteFmtUserTypeStg(storage, format, newType ? newType : u"");
    if (SUCCEEDED(hr)) hr = SetConvertStg(storage, TRUE);
    if (FAILED(hr)) {
      WriteClassStg(storage, old);
      WriteFmtUserTypeStg(storage, format, oldType ? oldType : u"");
    }
  }
  CoTaskMemFree(oldType);
  CoTaskMemFree(newType);
  return SUCCEEDED(hr);
}

BOOL SSymOle::ActivateAs(const char16_t* userType, REFCLSID clsidOld, REFCLSID clsidNew) {
  if (SUCCEEDED(CoTreatAsClass(clsidOld, clsidNew))) return TRUE;
  if (!userType) return FALSE;
  // The old class gets its key (named by its user type) so that it can be
  // treated as the new one.
  LPWSTR text = nullptr;
  if (FAILED(StringFromCLSID(clsidOld, &text))) return FALSE;
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, u"CLSID", &key) != ERROR_SUCCESS) {
    // A registry without the classes' key gets it first.
    RegCreateKeyExW(HKEY_CLASSES_ROOT, u"CLSID", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  }
  if (key) {
    const DWORD bytes = static_cast<DWORD>(std::char_traits<char16_t>::length(userType) * sizeof(char16_t));
    RegSetValueW(key, text, REG_SZ, userType, bytes);
    RegCloseKey(key);
  }
  CoTaskMemFree(text);
  return SUCCEEDED(CoTreatAsClass(clsidOld, clsidNew));
}

// ---- persistence ---------------------------------------------------------------------------------

HRESULT SSymOle::OnGetBlobData(SOutputStream& out) {
  std::vector<BYTE> blob;
  Put32(blob, m_dwAspect);
  Put32(blob, static_cast<DWORD>(m_lindex));
  HRESULT result = S_OK;
  if (m_lpObject && m_storage.Get()) {
    // Bring the storage up to date; when that fails, the image as it was
    // last written is kept, so nothing stored before is lost.
    void* p = nullptr;
    if (m_lpObject->QueryInterface(IID_IPersistStorage, &p) == S_OK && p) {
      auto* persist = static_cast<IPersistStorage*>(p);
      if (persist->IsDirty() == S_OK) {
        result = OleSave(persist, m_storage, FALSE);
        persist->SaveCompleted(nullptr);
      }
      persist->Release();
    } else {
      result = E_POINTER;
    }
    if (SUCCEEDED(result)) result = m_storage.Commit(STGC_OVERWRITE);
  }
  std::vector<BYTE> image;
  if (m_lpLockBytes) {
    STATSTG stat{};
    HRESULT hr = m_lpLockBytes->Stat(&stat, STATFLAG_NONAME);
    if (SUCCEEDED(hr)) {
      image.resize(static_cast<std::size_t>(static_cast<DWORD>(stat.cbSize)));
      ULONG read = 0;
      hr = m_lpLockBytes->ReadAt(0, image.data(), static_cast<ULONG>(image.size()), &read);
      if (SUCCEEDED(hr) && read != image.size()) hr = STG_E_READFAULT;
    }
    if (FAILED(hr)) {
      image.clear();
      if (SUCCEEDED(result)) result = hr;
    }
  }
  // An item without an image writes size 0: the blob is always whole.
  Put32(blob, static_cast<DWORD>(image.size()));
  blob.insert(blob.end(), image.begin(), image.end());
  out.Write(blob.data(), blob.size());
  return result;
}

HRESULT SSymOle::OnSetBlobData(SInputStream& in) {
  const std::size_t available = in.GetAvailable();
  BYTE head[kHeaderBytes];
  const bool empty = available == 0;
  bool sound = empty || (available >= kHeaderBytes && in.Read(head, kHeaderBytes) == kHeaderBytes);
  const DWORD size = sound && !empty ? Get32(head + 8) : 0;
  // The size word is checked against what the blob holds before anything
  // is allocated: a damaged word must not make a huge block.
  if (sound && size > available - (empty ? 0 : kHeaderBytes)) sound = false;
  HGLOBAL mem = nullptr;
  if (sound && size) {
    mem = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!mem) return E_OUTOFMEMORY;
    auto* bytes = static_cast<BYTE*>(GlobalLock(mem));
    sound = in.Read(bytes, size) == size;
    GlobalUnlock(mem);
    if (!sound) {
      GlobalFree(mem);
      mem = nullptr;
    }
  }
  Cleanup();
  ReleaseStorage();
  if (!sound) return STG_E_READFAULT;  // left empty
  if (empty) return S_OK;
  m_dwAspect = Get32(head);
  m_lindex = static_cast<LONG>(Get32(head + 4));
  if (!mem) return S_OK;  // the blob of an empty item
  // The lock bytes keep the image whether or not it opens as a storage.
  if (FAILED(m_storage.OpenStorage(mem, kStorageMode, &m_lpLockBytes))) return S_OK;
  void* object = nullptr;
  const HRESULT hr = OleLoad(m_storage, IID_IOleObject, ClientSite(), &object);
  m_lpObject = SUCCEEDED(hr) ? static_cast<IOleObject*>(object) : nullptr;
  const DWORD aspect = m_dwAspect;
  const LONG index = m_lindex;
  if (!FinishCreate(hr)) {
    Cleanup();
    ShowStoredPresentation();
  }
  m_dwAspect = aspect;
  m_lindex = index;
  return S_OK;
}

void SSymOle::ShowStoredPresentation() {
  CLSID clsid = CLSID_NULL;
  ReadClassStg(m_storage, &clsid);
  void* p = nullptr;
  if (FAILED(CreateDataCache(nullptr, clsid, IID_IPersistStorage, &p)) || !p) return;
  auto* cache = static_cast<IPersistStorage*>(p);
  void* view = nullptr;
  if (SUCCEEDED(cache->Load(m_storage)) && cache->QueryInterface(IID_IViewObject2, &view) == S_OK && view) {
    // A storage without a stored picture leaves nothing to draw.
    SIZEL size{0, 0};
    auto* cached = static_cast<IViewObject2*>(view);
    if (SUCCEEDED(cached->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size))) {
      m_lpViewObject2 = cached;
      m_lpViewObject = m_lpViewObject2;
      m_lpViewObject->AddRef();
    } else {
      cached->Release();
    }
  }
  cache->Release();
}

// ---- client site and advise sink -----------------------------------------------------------------

HRESULT SSymOle::SaveObject() {
  if (!m_lpObject) return S_OK;  // nothing to save
  void* p = nullptr;
  if (m_lpObject->QueryInterface(IID_IPersistStorage, &p) != S_OK || !p) return E_NOINTERFACE;
  auto* persist = static_cast<IPersistStorage*>(p);
  HRESULT hr = S_OK;
  if (persist->IsDirty() == S_OK) {
    hr = OleSave(persist, m_storage, TRUE);
    persist->SaveCompleted(nullptr);
    MarkChanged();
  }
  persist->Release();
  return hr;
}

HRESULT SSymOle::GetMoniker(DWORD, DWORD, IUnknown** moniker) {
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymOle::GetContainer(IUnknown** container) {
  if (!container) return E_POINTER;
  *container = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymOle::OnShowWindow(BOOL show) {
  m_bOpen = show ? 1 : 0;
  Redraw(nullptr);
  return S_OK;
}

void SSymOle::OnViewChange(DWORD aspect, LONG) {
  if (aspect != m_dwAspect) return;
  MarkChanged();
  Redraw(nullptr);
}

void SSymOle::OnSave() { MarkChanged(); }
