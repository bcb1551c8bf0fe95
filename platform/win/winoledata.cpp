// Storage media, streams on memory blocks, the format enumerator and the
// OLE clipboard.
#include "win/winoledata.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "win/comobject.h"
#include "win/emf.h"

namespace {

// ---- copies of data ----

HGLOBAL CopyBlock(HGLOBAL src) {
  const SIZE_T n = GlobalSize(src);
  const void* p = GlobalLock(src);
  if (!p) return nullptr;
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, n);
  if (copy && n) std::memcpy(GlobalLock(copy), p, n);
  if (copy) GlobalUnlock(copy);
  GlobalUnlock(src);
  return copy;
}

HBITMAP CopyBitmap(HBITMAP src) {
  BITMAP bm{};
  if (GetObjectType(src) != OBJ_BITMAP || !GetObjectW(src, sizeof bm, &bm)) return nullptr;
  HBITMAP copy = CreateBitmap(bm.bmWidth, bm.bmHeight, 1, 32, nullptr);
  if (!copy) return nullptr;
  HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
  HGDIOBJ oldFrom = SelectObject(from, src), oldTo = SelectObject(to, copy);
  BitBlt(to, 0, 0, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return copy;
}

// The medium a clipboard format travels in.
DWORD TymedOf(UINT format) {
  if (format == CF_BITMAP) return TYMED_GDI;
  if (format == CF_ENHMETAFILE) return TYMED_ENHMF;
  return TYMED_HGLOBAL;
}

// Whether the medium holds something of its kind.
bool HasData(const STGMEDIUM& m) {
  switch (m.tymed) {
    case TYMED_HGLOBAL: return m.hGlobal != nullptr;
    case TYMED_ENHMF: return m.hEnhMetaFile != nullptr;
    case TYMED_GDI: return m.hBitmap != nullptr;
    case TYMED_ISTREAM: return m.pstm != nullptr;
    case TYMED_ISTORAGE: return m.pstg != nullptr;
    default: return false;
  }
}

// A medium that owns a clipboard handle of the format.
STGMEDIUM MediumOf(UINT format, HANDLE h) {
  STGMEDIUM m{};
  m.tymed = TymedOf(format);
  if (m.tymed == TYMED_GDI)
    m.hBitmap = static_cast<HBITMAP>(h);
  else if (m.tymed == TYMED_ENHMF)
    m.hEnhMetaFile = static_cast<HENHMETAFILE>(h);
  else
    m.hGlobal = static_cast<HGLOBAL>(h);
  return m;
}

// ---- streams ----

// A position over lock bytes on a global memory block.
class HGlobalStream final : public KvComObject<IStream> {
 public:
  explicit HGlobalStream(ILockBytes* bytes) : m_bytes(bytes) {}  // takes the reference
  ~HGlobalStream() override { m_bytes->Release(); }
  HRESULT Read(void* pv, ULONG cb, ULONG* read) override {
    ULONG n = 0;
    const HRESULT hr = m_bytes->ReadAt(m_pos, pv, cb, &n);
    m_pos += n;
    if (read) *read = n;
    return FAILED(hr) ? hr : n < cb ? S_FALSE : S_OK;
  }
  HRESULT Write(const void* pv, ULONG cb, ULONG* written) override {
    ULONG n = 0;
    const HRESULT hr = m_bytes->WriteAt(m_pos, pv, cb, &n);
    m_pos += n;
    if (written) *written = n;
    return hr;
  }
  HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override {
    LONGLONG base = 0;
    if (origin == STREAM_SEEK_CUR) {
      base = LONGLONG(m_pos);
    } else if (origin == STREAM_SEEK_END) {
      STATSTG st{};
      if (const HRESULT hr = m_bytes->Stat(&st, STATFLAG_NONAME); FAILED(hr)) return hr;
      base = LONGLONG(st.cbSize);
    } else if (origin != STREAM_SEEK_SET) {
      return STG_E_INVALIDFUNCTION;
    }
    if ((move < 0 && -(move + 1) >= base) || move > (LONGLONG{1} << 40)) return STG_E_INVALIDFUNCTION;
    m_pos = ULONGLONG(base + move);
    if (newPosition) *newPosition = m_pos;
    return S_OK;
  }
  HRESULT SetSize(ULONGLONG size) override {
    return size > (ULONGLONG{1} << 31) ? STG_E_MEDIUMFULL : m_bytes->SetSize(size);
  }
  HRESULT Stat(STATSTG* stat, DWORD flags) override {
    const HRESULT hr = m_bytes->Stat(stat, flags);
    if (SUCCEEDED(hr)) stat->type = 2;  // a stream
    return hr;
  }
  ILockBytes* Bytes() const { return m_bytes; }

 private:
  ILockBytes* m_bytes;
  ULONGLONG m_pos = 0;
};

// ---- format enumerator ----

class FormatEnumerator final : public KvComObject<IEnumFORMATETC> {
 public:
  explicit FormatEnumerator(std::vector<FORMATETC> formats) : m_formats(std::move(formats)) {}
  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (fetched) *fetched = 0;
    if (!out || (count > 1 && !fetched)) return E_INVALIDARG;
    ULONG n = 0;
    while (n < count && m_next < m_formats.size()) out[n++] = m_formats[m_next++];
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    const std::size_t left = m_formats.size() - m_next;
    m_next += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT Reset() override {
    m_next = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    auto* copy = new FormatEnumerator(m_formats);
    copy->m_next = m_next;
    *out = copy;
    return S_OK;
  }

 private:
  std::vector<FORMATETC> m_formats;
  std::size_t m_next = 0;
};

// ---- the OLE clipboard ----

// A handle of the clipboard's own made from a medium (taken over when the
// medium owns its data, else copied); null when the medium does not fit.
HANDLE HandleFromMedium(UINT format, STGMEDIUM* medium) {
  HANDLE h = nullptr;
  const bool own = medium->pUnkForRelease == nullptr;
  switch (medium->tymed) {
    case TYMED_HGLOBAL:
      if (format == CF_BITMAP || format == CF_ENHMETAFILE) break;
      h = own ? medium->hGlobal : CopyBlock(medium->hGlobal);
      if (own) medium->tymed = TYMED_NULL;
      break;
    case TYMED_ENHMF:
      if (format != CF_ENHMETAFILE) break;
      h = own ? medium->hEnhMetaFile : CopyEnhMetaFileW(medium->hEnhMetaFile, nullptr);
      if (own) medium->tymed = TYMED_NULL;
      break;
    case TYMED_GDI:
      if (format != CF_BITMAP) break;
      h = own ? medium->hBitmap : CopyBitmap(medium->hBitmap);
      if (own) medium->tymed = TYMED_NULL;
      break;
    case TYMED_ISTREAM: {
      if (format == CF_BITMAP || format == CF_ENHMETAFILE || !medium->pstm) break;
      STATSTG st{};
      if (FAILED(medium->pstm->Stat(&st, STATFLAG_NONAME)) || st.cbSize > (ULONGLONG{1} << 31)) break;
      HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(st.cbSize));
      if (!mem) break;
      ULONG read = 0;
      medium->pstm->Seek(0, STREAM_SEEK_SET, nullptr);
      const HRESULT hr = medium->pstm->Read(GlobalLock(mem), ULONG(st.cbSize), &read);
      GlobalUnlock(mem);
      if (FAILED(hr) || read != st.cbSize) {
        GlobalFree(mem);
        break;
      }
      h = mem;
      break;
    }
    default: break;
  }
  ReleaseStgMedium(medium);
  return h;
}

struct OleClip {
  IDataObject* data = nullptr;
  HWND window = nullptr;
  std::vector<UINT> offered;
};
OleClip& O() {
  static OleClip* o = new OleClip();
  return *o;
}

void LetGo() {
  OleClip& o = O();
  IDataObject* data = o.data;
  o.data = nullptr;
  o.offered.clear();
  if (data) data->Release();
}

// Asks the object for one format and sets what it gives; nothing is set
// when it fails.
void RenderFromObject(UINT format) {
  IDataObject* data = O().data;
  if (!data) return;
  data->AddRef();
  FORMATETC fe{CLIPFORMAT(format), nullptr, DVASPECT_CONTENT, -1, TymedOf(format)};
  if (fe.tymed == TYMED_HGLOBAL) fe.tymed |= TYMED_ISTREAM;
  STGMEDIUM medium{};
  HRESULT hr = E_UNEXPECTED;
  try {
    hr = data->GetData(&fe, &medium);
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  data->Release();
  if (FAILED(hr)) {
    ReleaseStgMedium(&medium);  // whatever a failing object left there
    return;
  }
  if (HANDLE h = HandleFromMedium(format, &medium); h && !SetClipboardData(format, h)) {
    STGMEDIUM back = MediumOf(format, h);
    ReleaseStgMedium(&back);
  }
}

void RenderAll(HWND hwnd) {
  if (!OpenClipboard(hwnd)) return;
  for (UINT f : std::vector<UINT>(O().offered)) GetClipboardData(f);
  CloseClipboard();
}

LRESULT ClipProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  switch (m) {
    case WM_RENDERFORMAT: RenderFromObject(UINT(w)); return 0;
    case WM_RENDERALLFORMATS: RenderAll(h); return 0;
    case WM_DESTROYCLIPBOARD: LetGo(); return 0;
    case WM_DESTROY:
      LetGo();
      if (O().window == h) O().window = nullptr;
      return 0;
    default: return DefWindowProcW(h, m, w, l);
  }
}

}  // namespace

HWND KvOleWindow() {
  OleClip& o = O();
  if (o.window && IsWindow(o.window)) return o.window;
  static const char16_t kClass[] = u"KvOleClipboardWindow";
  WNDCLASSW wc{};
  wc.lpfnWndProc = &ClipProc;
  wc.lpszClassName = kClass;
  WNDCLASSW known{};
  if (!GetClassInfoW(nullptr, kClass, &known)) RegisterClassW(&wc);
  o.window = CreateWindowExW(0, kClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  return o.window;
}

namespace {

// Reads the clipboard: what OleGetClipboard answers when no object is on it.
class ClipboardReader final : public KvComObject<IDataObject> {
 public:
  HRESULT GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    if (const HRESULT hr = QueryGetData(format); hr != S_OK) return hr;
    if (!OpenClipboard(KvOleWindow())) return CLIPBRD_E_CANT_OPEN;
    HANDLE h = GetClipboardData(format->cfFormat);
    HRESULT hr = h ? S_OK : DV_E_FORMATETC;
    if (h) hr = Give(format->cfFormat, format->tymed, h, medium);
    CloseClipboard();
    return hr;
  }
  HRESULT GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    if (!IsClipboardFormatAvailable(format->cfFormat)) return DV_E_FORMATETC;
    return format->tymed & Tymeds(format->cfFormat) ? S_OK : DV_E_TYMED;
  }
  HRESULT GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> list;
    if (OpenClipboard(KvOleWindow())) {
      for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f))
        list.push_back(FORMATETC{CLIPFORMAT(f), nullptr, DVASPECT_CONTENT, -1, Tymeds(f)});
      CloseClipboard();
    }
    return CreateFormatEnumerator(UINT(list.size()), list.data(), out);
  }
  HRESULT DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  // Blocks are also read as streams and as storages (a storage image).
  static DWORD Tymeds(UINT format) {
    const DWORD t = TymedOf(format);
    return t == TYMED_HGLOBAL ? t | TYMED_ISTREAM | TYMED_ISTORAGE : t;
  }
  static HRESULT Give(UINT format, DWORD wanted, HANDLE h, STGMEDIUM* medium) {
    const DWORD t = TymedOf(format);
    if (t == TYMED_ENHMF) {
      medium->hEnhMetaFile = CopyEnhMetaFileW(static_cast<HENHMETAFILE>(h), nullptr);
    } else if (t == TYMED_GDI) {
      medium->hBitmap = CopyBitmap(static_cast<HBITMAP>(h));
    } else {
      HGLOBAL copy = CopyBlock(static_cast<HGLOBAL>(h));
      if (!copy) return E_OUTOFMEMORY;
      if (wanted & TYMED_HGLOBAL) {
        medium->hGlobal = copy;
      } else if (wanted & TYMED_ISTREAM) {
        if (const HRESULT hr = CreateStreamOnHGlobal(copy, TRUE, &medium->pstm); FAILED(hr)) {
          GlobalFree(copy);
          return hr;
        }
        medium->tymed = TYMED_ISTREAM;
        return S_OK;
      } else {
        ILockBytes* bytes = nullptr;
        if (const HRESULT hr = CreateILockBytesOnHGlobal(copy, TRUE, &bytes); FAILED(hr)) {
          GlobalFree(copy);
          return hr;
        }
        const HRESULT hr = StgOpenStorageOnILockBytes(bytes, nullptr, STGM_READWRITE, nullptr, 0, &medium->pstg);
        bytes->Release();
        if (FAILED(hr)) return hr;
        medium->tymed = TYMED_ISTORAGE;
        return S_OK;
      }
    }
    medium->tymed = t;
    if (HasData(*medium)) return S_OK;
    medium->tymed = TYMED_NULL;
    return E_OUTOFMEMORY;
  }
};

}  // namespace

// ---- media ----

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else {
    switch (medium->tymed) {
      case TYMED_HGLOBAL: GlobalFree(medium->hGlobal); break;
      case TYMED_ENHMF: DeleteEnhMetaFile(medium->hEnhMetaFile); break;
      case TYMED_GDI: DeleteObject(medium->hBitmap); break;
      case TYMED_ISTREAM:
        if (medium->pstm) medium->pstm->Release();
        break;
      case TYMED_ISTORAGE:
        if (medium->pstg) medium->pstg->Release();
        break;
      default: break;
    }
  }
  *medium = STGMEDIUM{};
}

HRESULT KvCopyStgMedium(const STGMEDIUM* source, STGMEDIUM* copy) {
  if (!source || !copy) return E_INVALIDARG;
  STGMEDIUM out{};
  out.tymed = source->tymed;
  switch (source->tymed) {
    case TYMED_HGLOBAL: out.hGlobal = CopyBlock(source->hGlobal); break;
    case TYMED_ENHMF: out.hEnhMetaFile = CopyEnhMetaFileW(source->hEnhMetaFile, nullptr); break;
    case TYMED_GDI: out.hBitmap = CopyBitmap(source->hBitmap); break;
    case TYMED_ISTREAM:
      out.pstm = source->pstm;
      if (out.pstm) out.pstm->AddRef();
      break;
    case TYMED_ISTORAGE:
      out.pstg = source->pstg;
      if (out.pstg) out.pstg->AddRef();
      break;
    case TYMED_NULL: break;
    default: return DV_E_TYMED;
  }
  if (out.tymed != TYMED_NULL && !HasData(out)) return E_OUTOFMEMORY;
  *copy = out;
  return S_OK;
}

HRESULT CreateFormatEnumerator(UINT count, const FORMATETC* formats, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (count && !formats) return E_INVALIDARG;
  *out = new FormatEnumerator(std::vector<FORMATETC>(formats, formats + count));
  return S_OK;
}

// ---- streams ----

HRESULT CreateStreamOnHGlobal(HGLOBAL mem, BOOL deleteOnRelease, IStream** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  ILockBytes* bytes = nullptr;
  if (const HRESULT hr = CreateILockBytesOnHGlobal(mem, deleteOnRelease, &bytes); FAILED(hr)) return hr;
  *out = new HGlobalStream(bytes);
  return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  auto* s = dynamic_cast<HGlobalStream*>(stream);
  return s ? GetHGlobalFromILockBytes(s->Bytes(), out) : E_INVALIDARG;
}

// ---- the OLE clipboard ----

HRESULT OleSetClipboard(IDataObject* data) {
  HWND window = KvOleWindow();
  if (!window || !OpenClipboard(window)) return CLIPBRD_E_CANT_OPEN;
  EmptyClipboard();  // the object before (ours or not) hears WM_DESTROYCLIPBOARD
  LetGo();
  HRESULT hr = S_OK;
  if (data) {
    IEnumFORMATETC* formats = nullptr;
    try {
      hr = data->EnumFormatEtc(DATADIR_GET, &formats);
    } catch (...) {
      hr = E_UNEXPECTED;
    }
    if (SUCCEEDED(hr) && !formats) hr = E_UNEXPECTED;
    if (SUCCEEDED(hr)) {
      OleClip& o = O();
      data->AddRef();
      o.data = data;
      FORMATETC fe{};
      ULONG got = 0;
      while (formats->Next(1, &fe, &got) == S_OK && got == 1) {
        if (std::find(o.offered.begin(), o.offered.end(), fe.cfFormat) != o.offered.end()) continue;
        if (!(fe.tymed & (TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_ENHMF | TYMED_GDI))) continue;
        SetClipboardData(fe.cfFormat, nullptr);  // delayed: answers null, success told by the error
        if (GetLastError() == ERROR_SUCCESS) o.offered.push_back(fe.cfFormat);
      }
    }
    if (formats) formats->Release();
  }
  CloseClipboard();
  return hr;
}

HRESULT OleGetClipboard(IDataObject** out) {
  if (!out) return E_INVALIDARG;
  if (IDataObject* data = O().data) {
    data->AddRef();
    *out = data;
    return S_OK;
  }
  *out = new ClipboardReader();
  return S_OK;
}

HRESULT OleFlushClipboard() {
  OleClip& o = O();
  if (!o.data) return S_OK;
  if (!o.window || !OpenClipboard(o.window)) return CLIPBRD_E_CANT_OPEN;
  for (UINT f : std::vector<UINT>(o.offered)) GetClipboardData(f);
  CloseClipboard();
  LetGo();
  return S_OK;
}

HRESULT OleIsCurrentClipboard(IDataObject* data) { return data && data == O().data ? S_OK : S_FALSE; }
