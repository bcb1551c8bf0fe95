#include "kvlib/soledroptarget.h"

#include <new>

#include "win/winuser.h"

// ---- SOleDataObject ------------------------------------------------------------------------------

SOleDataObject::SOleDataObject(IDataObject* data) : m_pData(data) {
  if (m_pData) m_pData->AddRef();
}

SOleDataObject::~SOleDataObject() {
  if (m_pData) m_pData->Release();
}

IDataObject* SOleDataObject::GetIDataObject(BOOL addRef) const {
  if (m_pData && addRef) m_pData->AddRef();
  return m_pData;
}

BOOL SOleDataObject::IsDataAvailable(CLIPFORMAT format) const {
  if (!m_pData) return FALSE;
  FORMATETC f{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  return m_pData->QueryGetData(&f) == S_OK;
}

BOOL SOleDataObject::CanCreateObject() const {
  if (!m_pData) return FALSE;
  const HRESULT hr = OleQueryCreateFromData(m_pData);
  return hr == S_OK || hr == OLE_S_STATIC;
}

// ---- SOleDropTarget ------------------------------------------------------------------------------

SOleDropTarget::~SOleDropTarget() {
  Revoke();
  EndDrag();
}

BOOL SOleDropTarget::Register(SWnd* wnd, ISDropTarget* callbacks) {
  if (!wnd || !wnd->GetSafeHwnd() || !callbacks) return FALSE;
  if (IsRegistered()) return FALSE;
  if (FAILED(RegisterDragDrop(wnd->GetSafeHwnd(), this))) return FALSE;
  m_hWnd = wnd->GetSafeHwnd();
  m_pCallbacks = callbacks;
  return TRUE;
}

void SOleDropTarget::Revoke() {
  // A window destroyed first took the registration with it.
  if (m_hWnd && IsWindow(m_hWnd)) RevokeDragDrop(m_hWnd);
  m_hWnd = nullptr;
  m_pCallbacks = nullptr;
}

BOOL SOleDropTarget::IsRegistered() const { return m_hWnd && IsWindow(m_hWnd) ? TRUE : FALSE; }

HRESULT SOleDropTarget::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid != IID_IUnknown && iid != IID_IDropTarget) return E_NOINTERFACE;
  *ppv = static_cast<IDropTarget*>(this);
  AddRef();
  return S_OK;
}

POINT SOleDropTarget::ToClient(POINTL pt) const {
  POINT p{pt.x, pt.y};
  ScreenToClient(m_hWnd, &p);
  return p;
}

void SOleDropTarget::EndDrag() {
  m_lastEffect = DROPEFFECT_NONE;
  delete m_pDrag;
  m_pDrag = nullptr;
}

HRESULT SOleDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  EndDrag();
  *effect = DROPEFFECT_NONE;
  if (!m_pCallbacks) return S_OK;
  m_pDrag = new (std::nothrow) SOleDataObject(data);
  if (!m_pDrag) return E_OUTOFMEMORY;
  *effect = m_lastEffect = m_pCallbacks->DropEnter(*m_pDrag, keyState, ToClient(pt));
  return S_OK;
}

HRESULT SOleDropTarget::DragOver(DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  *effect = m_lastEffect =
      m_pCallbacks && m_pDrag ? m_pCallbacks->DropOver(*m_pDrag, keyState, ToClient(pt)) : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT SOleDropTarget::DragLeave() {
  if (m_pCallbacks && m_pDrag) m_pCallbacks->DropExit(*m_pDrag);
  EndDrag();
  return S_OK;
}

HRESULT SOleDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL pt, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD offered = *effect;
  *effect = DROPEFFECT_NONE;
  (void)keyState;
  // The effect the target answered last, within what the source allows.
  const DWORD chosen = m_lastEffect & offered;
  if (m_pCallbacks) {
    SOleDataObject dropped(data);
    if (chosen != DROPEFFECT_NONE && m_pCallbacks->Drop(dropped, chosen, ToClient(pt))) *effect = chosen;
    else m_pCallbacks->DropExit(dropped);
  }
  EndDrag();
  return S_OK;
}
