// Storages on memory blocks, the class functions, the creation and load
// calls and the servers of this process.
#include "win/winole.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "win/winreg.h"

namespace {

// ---- counted objects ----
template <class Self>
struct Counted {
  std::atomic<ULONG> refs{1};
  ULONG DoAddRef() { return ++refs; }
  ULONG DoRelease(Self* self) {
    const ULONG n = --refs;
    if (n == 0) delete self;
    return n;
  }
};

// ---- lock bytes over one global block ----
class HGlobalLockBytes final : public ILockBytes {
 public:
  HGlobalLockBytes(HGLOBAL mem, bool own) : m_mem(mem), m_own(own), m_size(GlobalSize(mem)) {}
  ~HGlobalLockBytes() {
    if (m_own) GlobalFree(m_mem);
  }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown && iid != IID_ILockBytes) return E_NOINTERFACE;
    *ppv = static_cast<ILockBytes*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return m_count.DoAddRef(); }
  ULONG Release() override { return m_count.DoRelease(this); }

  HRESULT ReadAt(ULONGLONG offset, void* pv, ULONG cb, ULONG* read) override {
    if (read) *read = 0;
    if (!pv && cb) return STG_E_INVALIDPARAMETER;
    if (offset >= m_size) return S_OK;
    const ULONGLONG n = std::min<ULONGLONG>(cb, m_size - offset);
    auto* base = static_cast<const BYTE*>(GlobalLock(m_mem));
    if (!base && n) return STG_E_READFAULT;
    if (n) std::memcpy(pv, base + offset, static_cast<std::size_t>(n));
    GlobalUnlock(m_mem);
    if (read) *read = static_cast<ULONG>(n);
    return S_OK;
  }
  HRESULT WriteAt(ULONGLONG offset, const void* pv, ULONG cb, ULONG* written) override {
    if (written) *written = 0;
    if (!pv && cb) return STG_E_INVALIDPARAMETER;
    if (offset + cb > m_size)
      if (const HRESULT hr = SetSize(offset + cb); FAILED(hr)) return hr;
    auto* base = static_cast<BYTE*>(GlobalLock(m_mem));
    if (cb) std::memcpy(base + offset, pv, cb);
    GlobalUnlock(m_mem);
    if (written) *written = cb;
    return S_OK;
  }
  HRESULT Flush() override { return S_OK; }
  HRESULT SetSize(ULONGLONG cb) override {
    if (cb == m_size) return S_OK;
    // Blocks do not grow in place: the bytes move to a block of the new size.
    HGLOBAL next = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(cb));
    if (!next) return STG_E_MEDIUMFULL;
    const ULONGLONG keep = std::min(cb, m_size);
    if (keep) {
      std::memcpy(GlobalLock(next), GlobalLock(m_mem), static_cast<std::size_t>(keep));
      GlobalUnlock(next);
      GlobalUnlock(m_mem);
    }
    if (m_own) GlobalFree(m_mem);
    m_mem = next;
    m_own = true;
    m_size = cb;
    return S_OK;
  }
  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPARAMETER;
    *stat = STATSTG{};
    stat->type = 3;  // lock bytes
    stat->cbSize = m_size;
    return S_OK;
  }
  HGLOBAL Handle() const { return m_mem; }

 private:
  Counted<HGlobalLockBytes> m_count;
  HGLOBAL m_mem;
  bool m_own;
  ULONGLONG m_size;
};

std::vector<BYTE> AllBytes(ILockBytes* bytes, HRESULT* hr) {
  std::vector<BYTE> out;
  STATSTG st{};
  *hr = bytes->Stat(&st, STATFLAG_NONAME);
  if (FAILED(*hr)) return out;
  if (st.cbSize > (ULONGLONG{1} << 31)) {
    *hr = STG_E_DOCFILECORRUPT;
    return out;
  }
  out.resize(static_cast<std::size_t>(st.cbSize));
  ULONG read = 0;
  *hr = bytes->ReadAt(0, out.data(), static_cast<ULONG>(out.size()), &read);
  if (SUCCEEDED(*hr) && read != out.size()) *hr = STG_E_READFAULT;
  return out;
}

// ---- the storage image ----
// "KVSTG001", class (16 bytes), state bits, stream count, then per stream:
// name length (UTF-16 units), name, data length, data. Little-endian.
constexpr char kMagic[8] = {'K', 'V', 'S', 'T', 'G', '0', '0', '1'};
constexpr std::uint32_t kMaxName = 1024;

void Put32(std::vector<BYTE>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

struct Reader {
  const BYTE* p;
  std::size_t left;
  bool Take(void* out, std::size_t n) {
    if (n > left) return false;
    if (n) std::memcpy(out, p, n);
    p += n;
    left -= n;
    return true;
  }
  bool U32(std::uint32_t* v) {
    BYTE b[4];
    if (!Take(b, 4)) return false;
    *v = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return true;
  }
};

constexpr const char16_t* kCompObj =
    u"\x01"
    u"CompObj";
constexpr const char16_t* kOleStream =
    u"\x01"
    u"Ole";
constexpr DWORD kConvertBit = 0x4;

class MemStorage final : public IStorage {
 public:
  explicit MemStorage(ILockBytes* bytes) : m_bytes(bytes) { m_bytes->AddRef(); }
  ~MemStorage() { m_bytes->Release(); }
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (iid != IID_IUnknown && iid != IID_IStorage) return E_NOINTERFACE;
    *ppv = static_cast<IStorage*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return m_count.DoAddRef(); }
  ULONG Release() override { return m_count.DoRelease(this); }

  HRESULT ReadStream(LPCWSTR name, std::vector<BYTE>* bytes) override {
    if (!name || !bytes) return STG_E_INVALIDPARAMETER;
    auto it = m_streams.find(name);
    if (it == m_streams.end()) return STG_E_FILENOTFOUND;
    *bytes = it->second;
    return S_OK;
  }
  HRESULT WriteStream(LPCWSTR name, const BYTE* bytes, ULONG cb) override {
    if (!name || !*name || (!bytes && cb)) return STG_E_INVALIDPARAMETER;
    if (std::char_traits<char16_t>::length(name) > kMaxName) return STG_E_INVALIDPARAMETER;
    m_streams[name].assign(bytes, bytes + cb);
    return S_OK;
  }
  HRESULT Commit(DWORD) override {
    std::vector<BYTE> out(kMagic, kMagic + 8);
    BYTE id[16];
    GuidToBytes(m_clsid, id);
    out.insert(out.end(), id, id + 16);
    Put32(out, m_stateBits);
    Put32(out, static_cast<std::uint32_t>(m_streams.size()));
    for (const auto& [name, data] : m_streams) {
      Put32(out, static_cast<std::uint32_t>(name.size()));
      for (char16_t c : name) {
        out.push_back(static_cast<BYTE>(c));
        out.push_back(static_cast<BYTE>(c >> 8));
      }
      Put32(out, static_cast<std::uint32_t>(data.size()));
      out.insert(out.end(), data.begin(), data.end());
    }
    if (const HRESULT hr = m_bytes->SetSize(out.size()); FAILED(hr)) return hr;
    return m_bytes->WriteAt(0, out.data(), static_cast<ULONG>(out.size()), nullptr);
  }
  HRESULT SetClass(REFCLSID clsid) override {
    m_clsid = clsid;
    return S_OK;
  }
  HRESULT SetStateBits(DWORD bits, DWORD mask) override {
    m_stateBits = (m_stateBits & ~mask) | (bits & mask);
    return S_OK;
  }
  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (!stat) return STG_E_INVALIDPARAMETER;
    *stat = STATSTG{};
    stat->type = 1;  // storage
    stat->clsid = m_clsid;
    stat->grfStateBits = m_stateBits;
    return S_OK;
  }

  // Reads an image; the storage is unchanged when it is refused.
  HRESULT Parse(const std::vector<BYTE>& image) {
    Reader r{image.data(), image.size()};
    char magic[8];
    if (!r.Take(magic, 8) || std::memcmp(magic, kMagic, 8) != 0) return STG_E_INVALIDHEADER;
    BYTE id[16];
    std::uint32_t bits = 0, count = 0;
    if (!r.Take(id, 16) || !r.U32(&bits) || !r.U32(&count)) return STG_E_DOCFILECORRUPT;
    std::map<std::u16string, std::vector<BYTE>> streams;
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint32_t len = 0, size = 0;
      if (!r.U32(&len) || len == 0 || len > kMaxName || len * 2u > r.left) return STG_E_DOCFILECORRUPT;
      std::u16string name(len, u'\0');
      for (auto& c : name) {
        BYTE b[2];
        r.Take(b, 2);
        c = static_cast<char16_t>(b[0] | (b[1] << 8));
      }
      if (!r.U32(&size) || size > r.left) return STG_E_DOCFILECORRUPT;
      std::vector<BYTE> data(size);
      r.Take(data.data(), size);
      if (!streams.emplace(std::move(name), std::move(data)).second) return STG_E_DOCFILECORRUPT;
    }
    if (r.left) return STG_E_DOCFILECORRUPT;
    m_clsid = GuidFromBytes(id);
    m_stateBits = bits;
    m_streams = std::move(streams);
    return S_OK;
  }

 private:
  Counted<MemStorage> m_count;
  ILockBytes* m_bytes;
  CLSID m_clsid = CLSID_NULL;
  DWORD m_stateBits = 0;
  std::map<std::u16string, std::vector<BYTE>> m_streams;
};

LPWSTR TaskText(const std::u16string& text) {
  auto* p = static_cast<char16_t*>(CoTaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
  if (!p) return nullptr;
  std::memcpy(p, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return p;
}

// ---- servers ----
struct Server {
  std::u16string userType;
  KvOleServerCreate create = nullptr;
};
struct OleState {
  std::mutex mutex;
  std::map<CLSID, Server> servers;
  std::vector<IUnknown*> contained;
};
OleState& State() {
  static OleState* s = new OleState;  // outlives static destructors of callers
  return *s;
}

KvOleServerCreate FindServer(REFCLSID clsid) {
  CLSID served = clsid;
  CoGetTreatAsClass(clsid, &served);
  std::lock_guard lock(State().mutex);
  auto it = State().servers.find(served);
  return it == State().servers.end() ? nullptr : it->second.create;
}

HRESULT Make(KvOleServerCreate create, REFCLSID clsid, IOleClientSite* site, IStorage* storage, bool load, REFIID iid,
             void** out) {
  IOleObject* object = nullptr;
  HRESULT hr = create(clsid, site, storage, load, &object);
  if (FAILED(hr)) return hr;
  if (!object) return E_UNEXPECTED;
  hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

bool FileExists(LPCWSTR path) {
  std::string utf8;
  for (const char16_t* p = path; *p; ++p) utf8 += static_cast<char>(*p < 0x80 ? *p : '?');
  for (auto& c : utf8)
    if (c == '\\') c = '/';
  std::FILE* f = std::fopen(utf8.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

std::u16string ClassKey(REFCLSID clsid) { return u"CLSID\\" + GuidToString16(clsid); }

}  // namespace

// ---- task memory ----
void* CoTaskMemAlloc(std::size_t cb) { return std::malloc(cb ? cb : 1); }
void CoTaskMemFree(void* pv) { std::free(pv); }

// ---- storages ----
HRESULT CreateILockBytesOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, ILockBytes** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  bool own = deleteOnRelease != 0;
  if (!mem) {
    mem = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!mem) return E_OUTOFMEMORY;
    own = true;
  } else if (!GlobalLock(mem)) {
    return E_INVALIDARG;
  } else {
    GlobalUnlock(mem);
  }
  *out = new HGlobalLockBytes(mem, own);
  return S_OK;
}

HRESULT GetHGlobalFromILockBytes(ILockBytes* bytes, HGLOBAL* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  auto* lb = dynamic_cast<HGlobalLockBytes*>(bytes);
  if (!lb) return E_INVALIDARG;
  *out = lb->Handle();
  return S_OK;
}

HRESULT StgIsStorageILockBytes(ILockBytes* bytes) {
  if (!bytes) return STG_E_INVALIDPARAMETER;
  char magic[8];
  ULONG read = 0;
  const HRESULT hr = bytes->ReadAt(0, magic, 8, &read);
  if (FAILED(hr)) return hr;
  return read == 8 && std::memcmp(magic, kMagic, 8) == 0 ? S_OK : S_FALSE;
}

HRESULT StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD, DWORD, IStorage** out) {
  if (!out) return STG_E_INVALIDPARAMETER;
  *out = nullptr;
  if (!bytes) return STG_E_INVALIDPARAMETER;
  auto* storage = new MemStorage(bytes);
  if (const HRESULT hr = storage->Commit(STGC_DEFAULT); FAILED(hr)) {
    storage->Release();
    return hr;
  }
  *out = storage;
  return S_OK;
}

HRESULT StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage*, DWORD, void*, DWORD, IStorage** out) {
  if (!out) return STG_E_INVALIDPARAMETER;
  *out = nullptr;
  if (!bytes) return STG_E_INVALIDPARAMETER;
  HRESULT hr = S_OK;
  const std::vector<BYTE> image = AllBytes(bytes, &hr);
  if (FAILED(hr)) return hr;
  auto* storage = new MemStorage(bytes);
  hr = storage->Parse(image);
  if (FAILED(hr)) {
    storage->Release();
    return hr;
  }
  *out = storage;
  return S_OK;
}

HRESULT ReadClassStg(IStorage* storage, CLSID* clsid) {
  if (!storage || !clsid) return E_INVALIDARG;
  STATSTG st{};
  const HRESULT hr = storage->Stat(&st, STATFLAG_NONAME);
  *clsid = SUCCEEDED(hr) ? st.clsid : CLSID_NULL;
  return hr;
}

HRESULT WriteClassStg(IStorage* storage, REFCLSID clsid) {
  if (!storage) return E_INVALIDARG;
  return storage->SetClass(clsid);
}

HRESULT ReadFmtUserTypeStg(IStorage* storage, CLIPFORMAT* format, LPWSTR* userType) {
  if (!storage) return E_INVALIDARG;
  if (format) *format = 0;
  if (userType) *userType = nullptr;
  std::vector<BYTE> data;
  const HRESULT hr = storage->ReadStream(kCompObj, &data);
  std::u16string text;
  std::uint32_t fmt = 0, len = 0;
  if (SUCCEEDED(hr)) {
    Reader r{data.data(), data.size()};
    if (!r.U32(&fmt) || !r.U32(&len) || len > r.left / 2) return STG_E_DOCFILECORRUPT;
    for (std::uint32_t i = 0; i < len; ++i) {
      BYTE b[2];
      r.Take(b, 2);
      text += static_cast<char16_t>(b[0] | (b[1] << 8));
    }
  } else if (hr != STG_E_FILENOTFOUND) {
    return hr;
  }
  if (format) *format = static_cast<CLIPFORMAT>(fmt);
  if (userType && !(*userType = TaskText(text))) return E_OUTOFMEMORY;
  return S_OK;
}

HRESULT WriteFmtUserTypeStg(IStorage* storage, CLIPFORMAT format, LPCWSTR userType) {
  if (!storage) return E_INVALIDARG;
  const std::u16string text = userType ? userType : u"";
  std::vector<BYTE> data;
  Put32(data, format);
  Put32(data, static_cast<std::uint32_t>(text.size()));
  for (char16_t c : text) {
    data.push_back(static_cast<BYTE>(c));
    data.push_back(static_cast<BYTE>(c >> 8));
  }
  return storage->WriteStream(kCompObj, data.data(), static_cast<ULONG>(data.size()));
}

HRESULT SetConvertStg(IStorage* storage, BOOL convert) {
  if (!storage) return E_INVALIDARG;
  std::vector<BYTE> data;
  Put32(data, convert ? kConvertBit : 0);
  return storage->WriteStream(kOleStream, data.data(), static_cast<ULONG>(data.size()));
}

HRESULT GetConvertStg(IStorage* storage) {
  if (!storage) return E_INVALIDARG;
  std::vector<BYTE> data;
  const HRESULT hr = storage->ReadStream(kOleStream, &data);
  if (hr == STG_E_FILENOTFOUND) return S_FALSE;
  if (FAILED(hr)) return hr;
  Reader r{data.data(), data.size()};
  std::uint32_t flags = 0;
  if (!r.U32(&flags)) return STG_E_DOCFILECORRUPT;
  return flags & kConvertBit ? S_OK : S_FALSE;
}

// ---- objects ----
HRESULT OleCreate(REFCLSID clsid, REFIID iid, DWORD, FORMATETC*, IOleClientSite* site, IStorage* storage, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!storage) return E_INVALIDARG;
  KvOleServerCreate create = FindServer(clsid);
  if (!create) return REGDB_E_CLASSNOTREG;
  if (const HRESULT hr = WriteClassStg(storage, clsid); FAILED(hr)) return hr;
  return Make(create, clsid, site, storage, false, iid, out);
}

HRESULT OleCreateFromFile(REFCLSID, LPCWSTR path, REFIID, DWORD, FORMATETC*, IOleClientSite*, IStorage* storage,
                          void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!path || !storage) return E_INVALIDARG;
  // No file type is associated with a server here.
  return FileExists(path) ? REGDB_E_CLASSNOTREG : STG_E_FILENOTFOUND;
}

HRESULT OleCreateLinkToFile(LPCWSTR path, REFIID iid, DWORD render, FORMATETC* format, IOleClientSite* site,
                            IStorage* storage, void** out) {
  return OleCreateFromFile(CLSID_NULL, path, iid, render, format, site, storage, out);
}

HRESULT OleLoad(IStorage* storage, REFIID iid, IOleClientSite* site, void** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (!storage) return E_INVALIDARG;
  CLSID clsid{};
  if (const HRESULT hr = ReadClassStg(storage, &clsid); FAILED(hr)) return hr;
  KvOleServerCreate create = FindServer(clsid);
  if (!create) return REGDB_E_CLASSNOTREG;
  return Make(create, clsid, site, storage, true, iid, out);
}

HRESULT OleSave(IPersistStorage* persist, IStorage* storage, BOOL sameAsLoad) {
  if (!persist || !storage) return E_INVALIDARG;
  CLSID clsid{};
  HRESULT hr = persist->GetClassID(&clsid);
  if (SUCCEEDED(hr)) hr = WriteClassStg(storage, clsid);
  if (SUCCEEDED(hr)) hr = persist->Save(storage, sameAsLoad);
  return hr;
}

HRESULT OleSetContainedObject(IUnknown* object, BOOL) {
  std::lock_guard lock(State().mutex);
  State().contained.push_back(object);
  return object ? S_OK : E_INVALIDARG;
}

const std::vector<IUnknown*>& KvOleContainedLog() { return State().contained; }
void KvOleResetContainedLog() {
  std::lock_guard lock(State().mutex);
  State().contained.clear();
}

// ---- classes ----
HRESULT StringFromCLSID(REFCLSID clsid, LPWSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = TaskText(GuidToString16(clsid));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT OleRegGetUserType(REFCLSID clsid, DWORD, LPWSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  std::u16string text;
  {
    std::lock_guard lock(State().mutex);
    auto it = State().servers.find(clsid);
    if (it == State().servers.end()) return REGDB_E_CLASSNOTREG;
    text = it->second.userType;
  }
  *out = TaskText(text);
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT CoTreatAsClass(REFCLSID clsidOld, REFCLSID clsidNew) {
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, ClassKey(clsidOld).c_str(), &key) != ERROR_SUCCESS) return REGDB_E_CLASSNOTREG;
  LSTATUS st;
  if (clsidNew == CLSID_NULL || clsidNew == clsidOld) {
    st = RegDeleteKeyW(key, u"TreatAs");
    if (st == ERROR_FILE_NOT_FOUND) st = ERROR_SUCCESS;
  } else {
    st = RegSetValueW(key, u"TreatAs", REG_SZ, GuidToString16(clsidNew).c_str(), 0);
  }
  RegCloseKey(key);
  return st == ERROR_SUCCESS ? S_OK : REGDB_E_CLASSNOTREG;
}

HRESULT CoGetTreatAsClass(REFCLSID clsid, CLSID* out) {
  if (!out) return E_INVALIDARG;
  *out = clsid;
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, (ClassKey(clsid) + u"\\TreatAs").c_str(), &key) != ERROR_SUCCESS) return S_FALSE;
  char16_t text[64] = {};
  DWORD cb = sizeof text - sizeof(char16_t), type = 0;
  const LSTATUS st = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &cb);
  RegCloseKey(key);
  GUID treated{};
  if (st != ERROR_SUCCESS || type != REG_SZ || !GuidFromString(std::u16string(text), &treated)) return S_FALSE;
  *out = treated;
  return S_OK;
}

void KvOleRegisterServer(REFCLSID clsid, LPCWSTR userType, KvOleServerCreate create) {
  std::lock_guard lock(State().mutex);
  if (!create) {
    State().servers.erase(clsid);
    return;
  }
  State().servers[clsid] = Server{userType ? userType : u"", create};
  // A served class has its key, as an installed server's class has.
  const std::u16string text = userType ? userType : u"";
  RegSetValueW(HKEY_CLASSES_ROOT, ClassKey(clsid).c_str(), REG_SZ, text.c_str(), 0);
}
