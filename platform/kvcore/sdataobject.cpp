#include "kvcore/sdataobject.h"

#include <cstring>

// ---- SDataObject --------------------------------------------------------------

SDataObject* SDataObject::Create() { return new SDataObject(); }

SDataObject::~SDataObject() { Clear(); }

void SDataObject::Clear() {
  for (Entry& e : m_entries) ReleaseStgMedium(&e.medium);
  m_entries.clear();
}

SDataObject::Entry* SDataObject::Find(CLIPFORMAT format) {
  for (Entry& e : m_entries)
    if (e.format.cfFormat == format) return &e;
  return nullptr;
}

void SDataObject::Put(Entry entry) {
  if (Entry* e = Find(entry.format.cfFormat)) {
    ReleaseStgMedium(&e->medium);
    *e = std::move(entry);
  } else {
    m_entries.push_back(std::move(entry));
  }
}

HRESULT SDataObject::SetMedium(const FORMATETC& format, STGMEDIUM* medium) {
  if (!medium || format.cfFormat == 0 || medium->tymed == TYMED_NULL) return E_INVALIDARG;
  STGMEDIUM taken = *medium;
  *medium = STGMEDIUM{};
  FORMATETC f = format;
  f.ptd = nullptr;
  f.tymed = taken.tymed;
  Put(Entry{f, taken, nullptr});
  return S_OK;
}

HRESULT SDataObject::SetGlobal(CLIPFORMAT format, const void* bytes, std::size_t size) {
  if (!bytes && size) return E_INVALIDARG;
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!mem) return E_OUTOFMEMORY;
  if (size) std::memcpy(GlobalLock(mem), bytes, size);
  GlobalUnlock(mem);
  STGMEDIUM medium{};
  medium.tymed = TYMED_HGLOBAL;
  medium.hGlobal = mem;
  const HRESULT hr = SetMedium(FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, &medium);
  ReleaseStgMedium(&medium);  // still held only when refused
  return hr;
}

HRESULT SDataObject::SetDelayed(const FORMATETC& format, Render render) {
  if (format.cfFormat == 0 || format.tymed == TYMED_NULL || !render) return E_INVALIDARG;
  FORMATETC f = format;
  f.ptd = nullptr;
  Put(Entry{f, STGMEDIUM{}, std::move(render)});
  return S_OK;
}

HRESULT SDataObject::Match(const FORMATETC* format, Entry** found) {
  *found = nullptr;
  if (!format) return E_INVALIDARG;
  Entry* e = Find(format->cfFormat);
  if (!e || (format->dwAspect && !(format->dwAspect & e->format.dwAspect))) return DV_E_FORMATETC;
  if (!(format->tymed & e->format.tymed)) return DV_E_TYMED;
  *found = e;
  return S_OK;
}

HRESULT SDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
  if (!medium) return E_INVALIDARG;
  *medium = STGMEDIUM{};
  Entry* e = nullptr;
  if (const HRESULT hr = Match(format, &e); FAILED(hr)) return hr;
  if (!e->render) return KvCopyStgMedium(&e->medium, medium);
  FORMATETC asked = e->format;
  asked.tymed &= format->tymed;
  const Render render = e->render;  // the callback may change what is offered
  HRESULT hr;
  try {
    hr = render(asked, medium);
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  if (SUCCEEDED(hr) && !(medium->tymed & asked.tymed)) hr = DV_E_TYMED;
  if (FAILED(hr)) ReleaseStgMedium(medium);
  return hr;
}

HRESULT SDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) { return E_NOTIMPL; }

HRESULT SDataObject::QueryGetData(FORMATETC* format) {
  Entry* e = nullptr;
  return Match(format, &e);
}

HRESULT SDataObject::GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) {
  if (!in || !out) return E_INVALIDARG;
  *out = *in;
  out->ptd = nullptr;
  return DATA_S_SAMEFORMATETC;
}

HRESULT SDataObject::SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) {
  if (!format || !medium) return E_INVALIDARG;
  if (release) return SetMedium(*format, medium);
  STGMEDIUM copy{};
  if (const HRESULT hr = KvCopyStgMedium(medium, &copy); FAILED(hr)) return hr;
  const HRESULT hr = SetMedium(*format, &copy);
  ReleaseStgMedium(&copy);
  return hr;
}

HRESULT SDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (direction != DATADIR_GET) return E_NOTIMPL;
  std::vector<FORMATETC> list;
  for (const Entry& e : m_entries) list.push_back(e.format);
  return CreateFormatEnumerator(UINT(list.size()), list.data(), out);
}

HRESULT SDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT SDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
HRESULT SDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---- SDropSource ---------------------------------------------------------------

SDropSource* SDropSource::Create() { return new SDropSource(); }

HRESULT SDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
  if (escapePressed) return DRAGDROP_S_CANCEL;
  const DWORD buttons = keyState & (MK_LBUTTON | MK_RBUTTON);
  if (!m_button) m_button = buttons & MK_LBUTTON ? DWORD(MK_LBUTTON) : buttons;
  if (!(keyState & m_button)) return DRAGDROP_S_DROP;  // also a drag started with no button down
  if (buttons & ~m_button) return DRAGDROP_S_CANCEL;   // the other button pressed
  return S_OK;
}

HRESULT SDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }
