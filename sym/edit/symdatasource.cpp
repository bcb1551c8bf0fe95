#include "sym/edit/symdatasource.h"

#include <cstdlib>
#include <new>

#include "kvcore/sexception.h"
#include "kvcore/swnd.h"
#include "kvlib/sliboleconst.h"
#include "sym/edit/symselection.h"
#include "sym/symbol/symbase.h"
#include "win/winclip.h"
#include "win/winuser.h"

namespace {

// The object descriptor of the window system's "Object Descriptor" format.
struct ObjectDescriptor {
  DWORD cbSize;
  CLSID clsid;
  DWORD dwDrawAspect;
  LONG cx, cy;
  LONG x, y;
  DWORD dwStatus;
  DWORD dwFullUserTypeName;
  DWORD dwSrcOfCopy;
};
static_assert(sizeof(ObjectDescriptor) == 52);

// Diagram units (7200 an inch) to hundredths of a millimetre.
LONG ToHimetric(LONG v) { return static_cast<LONG>(static_cast<long long>(v) * 254 / 720); }

bool ButtonDown() { return GetKeyState(VK_LBUTTON) < 0 || GetKeyState(VK_RBUTTON) < 0; }

// Waits, holding the mouse for `hwnd`, until the pointer leaves the drag
// rectangle around where it was pressed or the drag delay passes with the
// button held: true. A button, Esc, a lost capture or a window gone first:
// false, and a button or Esc stays in the queue for the window.
bool WaitForDragStart(HWND hwnd) {
  if (!ButtonDown()) return false;
  POINT start{};
  GetCursorPos(&start);
  const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
  const DWORD began = GetTickCount();
  SetCapture(hwnd);
  bool drag = false;
  for (;;) {
    if (!IsWindow(hwnd) || GetCapture() != hwnd) break;
    MSG msg{};
    if (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE)) {
      if (msg.message != WM_MOUSEMOVE) break;  // a button: a click, not a drag
      PeekMessageW(&msg, msg.hwnd, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
      if (std::abs(msg.pt.x - start.x) > cx || std::abs(msg.pt.y - start.y) > cy) {
        drag = true;
        break;
      }
    } else if (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE)) {
      if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == WPARAM(VK_ESCAPE)) break;
      // Other keys only change the key state the drag reads.
      PeekMessageW(&msg, msg.hwnd, msg.message, msg.message, PM_REMOVE);
    } else if (GetTickCount() - began > g_oleConst.m_nDragDelay) {
      drag = ButtonDown();
      break;
    }
  }
  if (IsWindow(hwnd) && GetCapture() == hwnd) ReleaseCapture();
  return drag;
}

}  // namespace

UINT SSymDragFormat() {
  static const UINT format = RegisterClipboardFormatW(SSymDataSource::DragFormatName);
  return format;
}

const void* SSymDataSource::ProcessMark() {
  static const char mark = 0;
  return &mark;
}

void* SSymDataSource::operator new(std::size_t size) {
  void* p = ::operator new(size, std::nothrow);
  if (!p) throw SEOutOfMemory("void *__cdecl SSymDataSource::operator new(unsigned int)", "sym/h/symdobj", 56);
  return p;
}

void SSymDataSource::operator delete(void* p) { ::operator delete(p); }

SSymDataSource::SSymDataSource(HWND window, ISRepSession* session, const SComTable<ISSymbol>& symbols,
                               const SSymPoint& start, SSymSelection* selection)
    : SRepDataSource(window, session),
      m_tblSymbols(symbols),
      m_ptStart(start),
      m_pSelection(selection),
      m_pData(SDataObject::Create()) {
  SRepDataSource::AddRef();
  if (m_pSelection) m_rcBound = m_pSelection->GetClipRect();
  InitRootObj(CarriedObjects());
  RegisterFormats(window);
}

SSymDataSource::~SSymDataSource() { m_pData->Release(); }

std::vector<ISRepObject*> SSymDataSource::CarriedObjects() const {
  std::vector<ISRepObject*> objects;
  for (ISSymbol* s : m_tblSymbols)
    if (ISRepObject* o = SSymGetRepObject(s)) objects.push_back(o);  // repeats are passed over
  return objects;
}

void SSymDataSource::RegisterFormats(HWND window) {
  SSymRect bound = m_rcBound;
  bound.Normalize();
  ObjectDescriptor d{};
  d.cbSize = sizeof d;
  d.dwDrawAspect = DVASPECT_CONTENT;
  d.cx = ToHimetric(m_rcBound.Width());
  d.cy = ToHimetric(m_rcBound.Height());
  d.x = ToHimetric(m_ptStart.x - bound.GetMinX());
  d.y = ToHimetric(bound.GetMaxY() - m_ptStart.y);
  RegisterGlobalData(CLIPFORMAT(RegisterClipboardFormatW(CFSTR_OBJECTDESCRIPTOR)), &d, sizeof d);
  const DragMark mark{ProcessMark(), window};
  RegisterGlobalData(CLIPFORMAT(SSymDragFormat()), &mark, sizeof mark);
}

HRESULT SSymDataSource::RegisterFormat(const FORMATETC& format, SDataObject::Render render) {
  return m_pData->SetDelayed(format, std::move(render));
}

HRESULT SSymDataSource::RegisterGlobalData(CLIPFORMAT format, const void* bytes, std::size_t size) {
  return m_pData->SetGlobal(format, bytes, size);
}

HRESULT SSymDataSource::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISRepDataSrc)
    *ppv = static_cast<ISRepDataSrc*>(this);
  else if (iid == IID_IDataObject)
    *ppv = static_cast<IDataObject*>(this);
  else if (iid == IID_ISSymDataSrc)
    *ppv = static_cast<ISSymDataSrc*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT SSymDataSource::GetDescriptor(_SREPDATADESCRIPTOR* out) {
  if (!out) return E_POINTER;
  out->x = m_ptStart.x;
  out->y = m_ptStart.y;
  out->x1 = m_rcBound.x1;
  out->y1 = m_rcBound.y1;
  out->x2 = m_rcBound.x2;
  out->y2 = m_rcBound.y2;
  return S_OK;
}

DWORD SSymDataSource::DoDragDrop(SWnd* window, DWORD okEffects, IDropSource* source) {
  const HWND hwnd = window ? window->GetSafeHwnd() : nullptr;
  if (!hwnd || !WaitForDragStart(hwnd)) return DROPEFFECT_NONE;
  SDropSource* own = source ? nullptr : SDropSource::Create();
  DWORD effect = DROPEFFECT_NONE;
  ::DoDragDrop(static_cast<IDataObject*>(this), source ? source : own, okEffects, &effect);
  if (own) own->Release();
  return effect;
}
