// The editing window as the source and the target of a drag of symbols:
// the selection dragged out from the pointer tool, and the outline and the
// move of symbols dragged inside the window.
#include "kvcore/scomwrap.h"
#include "kvrep/srepsession.h"
#include "sym/edit/symdatasource.h"
#include "sym/edit/symviewedit.h"
#include "win/winuser.h"

namespace {

// The effect bit chosen with Shift and Alt.
constexpr DWORD kShiftAltEffect = 8;

// The repository data source and the symbols of the data, each null when
// the data does not answer it (not counted: the data object holds them
// while the call lasts).
struct DragData {
  ISRepDataSrc* rep = nullptr;
  ISSymDataSrc* symbols = nullptr;
  explicit DragData(SOleDataObject& data) {
    IDataObject* object = data.GetIDataObject(FALSE);
    if (!object) return;
    rep = QueryOrNull<ISRepDataSrc>(object, IID_ISRepDataSrc);
    symbols = QueryOrNull<ISSymDataSrc>(object, IID_ISSymDataSrc);
  }
  template <class I>
  static I* QueryOrNull(IUnknown* object, REFIID iid) {
    void* out = nullptr;
    const HRESULT hr = object->QueryInterface(iid, &out);
    if (hr == E_NOINTERFACE) return nullptr;
    if (FAILED(hr)) throw SECOMException(__func__, __FILE__, __LINE__, hr);
    auto* i = static_cast<I*>(out);
    if (i) i->Release();
    return i;
  }
  HWND Window() const {
    HWND w = nullptr;
    if (rep) rep->GetWindow(&w);
    return w;
  }
};

}  // namespace

// ---- the source ------------------------------------------------------------------------------------

int SSymViewEdit::DragSelection(const SSymPoint& start) {
  if (!m_pSelection) return 0;
  const HWND hwnd = m_hWnd;
  // Held: the window may be destroyed by what the drag dispatches, and the
  // selection, the tools and the drop target must last until it returns.
  AddRef();
  int result = 0;
  try {
    result = m_pSelection->DoDragDrop(start);
  } catch (...) {
    Release();
    throw;
  }
  if (!::IsWindow(hwnd)) result = 0;
  Release();  // may delete this window object
  return result;
}

// ---- the target ------------------------------------------------------------------------------------

DWORD SSymViewEdit::GetDropEffects(SOleDataObject& data) {
  if (!GetDiagramPtr()) return DROPEFFECT_NONE;
  const DragData drag(data);
  return drag.rep && drag.symbols ? DROPEFFECT_MOVE : DROPEFFECT_NONE;
}

DWORD SSymViewEdit::DropEffectOfKeys(DWORD keys, bool ownWindow) const {
  const DWORD allowed = m_dwDropEffects;
  const bool shift = keys & MK_SHIFT, control = keys & MK_CONTROL, alt = keys & MK_ALT;
  if (shift && alt) return allowed & kShiftAltEffect;
  if (shift && control) return allowed & DROPEFFECT_LINK;
  if (shift) return allowed & DROPEFFECT_MOVE;
  if (control) return allowed & DROPEFFECT_COPY;
  // A drag that starts in this window moves; one from elsewhere would link,
  // which this window does not take.
  return ownWindow ? DROPEFFECT_MOVE : allowed & DROPEFFECT_LINK;
}

DWORD SSymViewEdit::DropEnter(SOleDataObject& data, DWORD keys, POINT) {
  EndDropFeedback();
  m_bDropRightButton = keys & MK_RBUTTON ? 1 : 0;
  m_dwDropEffects = GetDropEffects(data);
  const DragData drag(data);
  // Only symbols dragged inside this window are taken (and outlined).
  if (!drag.rep || !drag.symbols || drag.symbols->GetSymbolCount() <= 0) return DROPEFFECT_NONE;
  if (m_dwDropEffects == DROPEFFECT_NONE || drag.Window() != m_hWnd) return DROPEFFECT_NONE;
  const DWORD effect = DropEffectOfKeys(keys, true);

  _SREPDATADESCRIPTOR d{};
  d.cbSize = sizeof d;
  if (FAILED(drag.rep->GetDescriptor(&d))) return DROPEFFECT_NONE;
  m_pDropLock = std::make_unique<LockCanvas>(this);
  m_bDropActive = 1;
  m_pDropTracker.reset(CreateTrackerMove(SnapToGrid(SSymPoint(d.x, d.y)), SSymRect(d.x1, d.y1, d.x2, d.y2)));
  if (m_pDropTracker) {
    m_pDropTracker->SetDragData(drag.symbols);
    m_pDropTracker->Show();
  }
  return effect;
}

DWORD SSymViewEdit::DropOver(SOleDataObject& data, DWORD keys, POINT point) {
  if (!m_pDropTracker) return DROPEFFECT_NONE;
  m_pDropTracker->SetTargetView(this);
  m_pDropTracker->TrackTo(SnapToGrid(m_canvas.DPtoVP(point)), SMouseFlags(keys));
  return DropEffectOfKeys(keys, DragData(data).Window() == m_hWnd);
}

void SSymViewEdit::DropExit(SOleDataObject&) { EndDropFeedback(); }

void SSymViewEdit::DropScroll(UINT, UINT) {}

void SSymViewEdit::EndDropFeedback() {
  if (m_pDropTracker) {
    m_pDropTracker->Hide();
    m_pDropTracker.reset();
  }
  m_pDropLock.reset();
  m_bDropActive = 0;
  m_dwDropEffects = 0;
  m_bDropRightButton = 0;
}

BOOL SSymViewEdit::Drop(SOleDataObject& data, DWORD effect, POINT) {
  const DragData drag(data);
  if (!drag.rep || !m_pDropTracker) {
    EndDropFeedback();
    return FALSE;
  }
  // The right button's menu of effects is not offered: such a drop is
  // cancelled, as when the menu is dismissed.
  const bool move = !m_bDropRightButton && effect == DROPEFFECT_MOVE && drag.Window() == m_hWnd &&
                    drag.symbols && drag.symbols->GetSymbolCount() > 0 && drag.symbols->GetSymbolAt(0);
  _SREPDATADESCRIPTOR d{};
  d.cbSize = sizeof d;
  if (move && SUCCEEDED(drag.rep->GetDescriptor(&d))) {
    // The outline goes before the symbols draw at their new place.
    m_pDropTracker->Hide();
    const SSymPoint to = SnapToGrid(m_pDropTracker->GetCurrentPoint());
    const SSymPoint from = SnapToGrid(SSymPoint(d.x, d.y));
    const SSymSize offset(to.x - from.x, to.y - from.y);
    SComOut<ISRepSession> session;
    GetSession(&session);
    {
      // One undo step; the diagram's follow-up reads the outline and the
      // drop point from the window's move tracker meanwhile.
      SRepCreateContext step(session.Get(), 1, 1, 0);
      SSymTrackerMover* former = std::exchange(m_pMoveTracker, m_pDropTracker.get());
      try {
        m_pSelection->MoveBy(offset, 1, 1);
      } catch (...) {
        m_pMoveTracker = former;
        m_pDropTracker.reset();
        EndDropFeedback();
        throw;
      }
      m_pMoveTracker = former;
    }
    m_pDropTracker.reset();  // hidden already
  }
  EndDropFeedback();
  // The window made the move itself (or took nothing): the source deletes
  // nothing.
  return FALSE;
}
