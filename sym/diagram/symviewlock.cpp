// When a diagram window may draw (the canvas lock, the paint lock, the lock
// of every window of a session) and which symbol lies under a point.
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symrectindex.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

// ---- canvas lock ----------------------------------------------------------------------------

SSymView::LockCanvas::LockCanvas(SSymView* view) : m_pView(view) {
  if (!m_pView || m_pView->m_canvas.IsLocked()) return;
  m_pView->m_canvas.Lock(m_dc.emplace(m_pView->GetSafeHwnd()));
  m_bAttached = 1;
}

SSymView::LockCanvas::~LockCanvas() {
  if (!m_bAttached) return;
  try {
    m_pView->m_canvas.Unlock();
  } catch (SException& e) {
    SExceptionDialog::Show("Destruction of SSymView::LockCanvas", "sym/h/symview", 425,
                           SString(u"Destruction of SSymView::LockCanvas") + e.GetMessage());
  } catch (...) {
  }
}

// ---- paint lock -----------------------------------------------------------------------------

int SSymView::LockPaint::Lock(SSymView* view, int redraw) {
  Release(m_bRedraw);
  m_pView = view;
  m_bRedraw = redraw;
  if (!view) return 0;
  m_nSuspended = view->m_nState & StateSuspended;
  m_nErase = view->m_nState & StateAllowErase;
  view->m_nState |= StateSuspended;
  view->m_nState &= ~StateAllowErase;
  return m_nSuspended ? 0 : 1;
}

int SSymView::LockPaint::Release(int redraw) {
  SSymView* view = m_pView;
  if (!view) return 0;
  m_pView = nullptr;
  // What the bits were while locked; they go back to what the lock found.
  const int whileLocked = view->m_nState & StateSuspended;
  const int eraseWhileLocked = view->m_nState & StateAllowErase;
  view->m_nState = (view->m_nState & ~(StateSuspended | StateAllowErase)) | m_nSuspended | m_nErase;
  m_nSuspended = whileLocked;
  m_nErase = eraseWhileLocked;
  if (redraw) {
    // Erasing only when the view had stopped being suppressed meanwhile;
    // the canvas does nothing while the view is still suppressed.
    view->m_canvas.Invalidate(whileLocked ? 0 : 1);
    if (!(view->m_nState & StateSuspended)) view->m_bRepaintDue = false;
  }
  view->RepaintIfDue();
  return whileLocked;
}

// ---- lock of every window of a session ------------------------------------------------------

__LockDrawAllSessionViewsObject::__LockDrawAllSessionViewsObject(const SComTable<ISRepSessionView>& views) {
  try {
    for (int i = 0; i < views.GetCount(); ++i) {
      ISRepSessionView* v = views.GetAt(i);
      if (!v) continue;
      void* out = nullptr;
      const HRESULT hr = v->QueryInterface(IID_SSymView, &out);
      if (hr == E_NOINTERFACE) continue;  // not a diagram window
      if (FAILED(hr) || !out) throw SECOMException(__func__, __FILE__, __LINE__, FAILED(hr) ? hr : E_POINTER);
      // The reference taken by the query is kept with the lock: a window
      // closed while the session works leaves a view that is still there to
      // be unlocked.
      m_locks.Add(new SSymView::LockPaint(static_cast<SSymView*>(out), 1));
    }
  } catch (...) {
    ReleaseAll();
    throw;
  }
}

__LockDrawAllSessionViewsObject::~__LockDrawAllSessionViewsObject() { ReleaseAll(); }

void __LockDrawAllSessionViewsObject::ReleaseAll() {
  for (SSymView::LockPaint* lock : m_locks) {
    SSymView* view = lock->GetView();
    lock->Release(1);
    delete lock;
    if (view) view->Release();
  }
  m_locks.RemoveAll();
}

// ---- hit testing ----------------------------------------------------------------------------

ISSymbol* SSymView::HitTest(const SSymPoint& point, unsigned long flags, int* part) {
  if (!m_pDiagram) return nullptr;
  int* const partArg = (flags & 1) ? part : nullptr;
  // The diagram's spatial index narrows the walk to the symbols near the
  // point; the answer stays the walk's. The symbols asked may measure their
  // texts, so the canvas is locked to draw once there is a symbol to ask
  // (most points lie near none).
  if (SSymDiagramImpl* impl = SSymDiagramImpl::FromDiagram(m_pDiagram)) {
    const std::vector<SSymRectIndex::Found>& found = impl->GetRectIndex()->HitCandidates(m_canvas, point);
    if (found.empty()) return nullptr;
    LockCanvas lock(this);
    return SSymRectIndex::HitWalk(m_canvas, point, partArg, found);
  }
  ISRepClassCol* col = nullptr;
  if (FAILED(m_pDiagram->GetSymbols(&col)) || !col) return nullptr;
  LockCanvas lock(this);
  std::vector<ISSymbol*> held;  // released before returning
  auto ask = [&](ISSymbol* s) -> ISSymbol* {
    ISSymbol* inner = nullptr;
    const BOOL hit = s->IsPtInSym(m_canvas, point, partArg, &inner);
    if (inner) held.push_back(inner);
    if (!hit) return nullptr;
    return inner ? inner : s;
  };
  ISSymbol* result = nullptr;
  std::vector<ISSymbol*> lines;
  for (LONG i = 0, n = col->GetCount(); i < n && !result; ++i) {
    ISRepObject* obj = nullptr;
    if (FAILED(col->Item(i, &obj)) || !obj) continue;
    ISSymbol* s = nullptr;
    obj->QueryInterface(IID_ISSymbol, reinterpret_cast<void**>(&s));
    obj->Release();
    if (!s) continue;
    held.push_back(s);
    IUnknown* poly = nullptr;
    if (SUCCEEDED(s->QueryInterface(IID_ISSymPolyline, reinterpret_cast<void**>(&poly))) && poly) {
      poly->Release();
      lines.push_back(s);  // lines answer only where no other symbol does
      continue;
    }
    result = ask(s);
  }
  for (std::size_t i = 0; i < lines.size() && !result; ++i) result = ask(lines[i]);
  col->Release();
  for (ISSymbol* s : held) s->Release();
  return result;
}
