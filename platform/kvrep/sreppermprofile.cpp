#include "kvrep/sreppermprofile.h"

ISRepPermProfile* g_pPermProfileIntf = nullptr;

namespace {
// The one face by which a repository object is kept and compared.
ISRepObject* Canonical(ISRepObject* obj) {
  SRepObject* impl = SRepObject::FromInterface(obj);
  return impl ? static_cast<ISRepObjectBase*>(impl) : obj;
}
}  // namespace

SRepPermProfile::~SRepPermProfile() {
  if (g_pPermProfileIntf == this) g_pPermProfileIntf = nullptr;
  m_objects.RemoveAll();
}

HRESULT SRepPermProfile::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepPermProfile) {
    *ppv = static_cast<ISRepPermProfile*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

int SRepPermProfile::IsObjectReadOnly(ISRepObject* obj) {
  if (!obj) return 0;
  if (m_bAll) return 1;
  return m_objects.Contains(Canonical(obj)) ? 1 : 0;
}

void SRepPermProfile::SetReadOnly(ISRepObject* obj, bool readOnly) {
  if (!obj) return;
  ISRepObject* key = Canonical(obj);
  if (readOnly) {
    if (!m_objects.Contains(key)) m_objects.Add(key);
  } else {
    m_objects.Remove(key);
  }
}
