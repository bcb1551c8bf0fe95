#include "kvlib/sliboleitem.h"

#include "win/winuser.h"

SOleStorage::SOleStorage(const SOleStorage& other) : m_storage(other.m_storage) {
  if (m_storage) m_storage->AddRef();
}

SOleStorage& SOleStorage::operator=(const SOleStorage& other) {
  if (other.m_storage) other.m_storage->AddRef();
  Release();
  m_storage = other.m_storage;
  return *this;
}

void SOleStorage::Release() {
  if (m_storage) m_storage->Release();
  m_storage = nullptr;
}

HRESULT SOleStorage::OpenStorage(HGLOBAL mem, DWORD mode, ILockBytes** bytes) {
  if (!bytes) return E_POINTER;
  *bytes = nullptr;
  Release();
  HRESULT hr = CreateILockBytesOnHGlobal(mem, TRUE, bytes);
  if (FAILED(hr)) {
    GlobalFree(mem);
    return hr;
  }
  return StgOpenStorageOnILockBytes(*bytes, nullptr, mode, nullptr, 0, &m_storage);
}

HRESULT SOleStorage::CreateStorage(DWORD mode, ILockBytes** bytes) {
  if (!bytes) return E_POINTER;
  *bytes = nullptr;
  Release();
  HRESULT hr = CreateILockBytesOnHGlobal(nullptr, TRUE, bytes);
  if (FAILED(hr)) return hr;
  hr = StgCreateDocfileOnILockBytes(*bytes, mode | STGM_CREATE, 0, &m_storage);
  if (FAILED(hr)) {
    (*bytes)->Release();
    *bytes = nullptr;
  }
  return hr;
}

void SOleStorage::Attach(IStorage* storage) {
  if (storage) storage->AddRef();
  Release();
  m_storage = storage;
}

HRESULT SOleStorage::Commit(DWORD flags) { return m_storage ? m_storage->Commit(flags) : E_POINTER; }

SOleConvertDialog::SOleConvertDialog(IStorage* storage, HENHMETAFILE picture, BOOL linked, DWORD aspect, DWORD flags,
                                     WORD format) {
  m_convert.cbStruct = sizeof m_convert;
  m_convert.dwFlags = flags;
  m_convert.dvAspect = aspect;
  m_convert.fIsLinkedObject = linked;
  m_convert.hMetaPict = picture;
  m_convert.wFormat = format;
  if (storage) {
    ReadClassStg(storage, &m_convert.clsid);
    CLIPFORMAT stored = 0;
    if (SUCCEEDED(ReadFmtUserTypeStg(storage, &stored, &m_userType)) && stored) m_convert.wFormat = stored;
  }
  m_convert.clsidConvertDefault = m_convert.clsidActivateDefault = m_convert.clsid;
  m_convert.lpszUserType = m_userType;
}

SOleConvertDialog::~SOleConvertDialog() {
  CoTaskMemFree(m_userType);
  CoTaskMemFree(m_chosenType);
}

int SOleConvertDialog::DoModal() {
  m_convert.lpszUserType = m_userType;
  m_convert.dwFlags &= ~(CF_SELECTCONVERTTO | CF_SELECTACTIVATEAS);
  const UINT result = OleUIConvertW(&m_convert);
  m_ok = result == OLEUI_OK;
  if (m_ok && m_convert.lpszUserType != m_userType) {
    CoTaskMemFree(m_chosenType);
    m_chosenType = m_convert.lpszUserType;
  }
  m_convert.lpszUserType = m_userType;
  return m_ok ? IDOK : IDCANCEL;
}

int SOleConvertDialog::GetSelectionType() const {
  if (!m_ok) return 0;
  if (m_convert.dwFlags & CF_SELECTACTIVATEAS) return 2;
  return m_convert.dwFlags & CF_SELECTCONVERTTO ? 1 : 0;
}
