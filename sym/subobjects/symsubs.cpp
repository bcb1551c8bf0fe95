#include "sym/subobjects/symsubs.h"

#include <cstdlib>

#include "sym/render/symcanv.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
bool IsNormalised(const SSymRect& r) { return r.x1 <= r.x2 && r.y2 <= r.y1; }
}  // namespace

SSymSubs::SSymSubs() { m_flags = (m_flags & ~SSymSubsFlag::OwnBits) | SSymSubsFlag::Editable | SSymSubsFlag::KeepEmpty; }

SSymSubs::SSymSubs(const SSymRect& rect) : SSymSubs() {
  m_rect = rect;
  m_rect.Normalize();
}

SSymSubs::SSymSubs(const SSymSubs& source, int) : m_rect(source.m_rect), m_flags(source.m_flags) {
  SetParent(source.m_pParent, source.m_bCountedParent);
}

SSymSubs::~SSymSubs() { SetParent(nullptr); }

SSymSubs* SSymSubs::FromInterface(IUnknown* unk) {
  if (!unk) return nullptr;
  void* p = nullptr;
  if (unk->QueryInterface(IID_SSymSubs, &p) != S_OK || !p) return nullptr;
  auto* subs = static_cast<SSymSubs*>(p);
  subs->Release();  // the caller's reference keeps the object
  return subs;
}

HRESULT SSymSubs::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISSymbol || iid == IID_ISSymEditInPlace) {
    *out = static_cast<ISSymEditInPlace*>(this);
  } else if (iid == IID_SSymSubs) {
    *out = this;
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG SSymSubs::Release() {
  const ULONG left = --m_cRef;
  if (left == 0) delete this;
  return left;
}

void SSymSubs::SetParent(ISSymSubSink* parent, bool counted) {
  if (parent == m_pParent && counted == m_bCountedParent) return;
  if (parent && counted) parent->AddRef();
  ISSymSubSink* old = m_pParent;
  const bool oldCounted = m_bCountedParent;
  m_pParent = parent;
  m_bCountedParent = parent && counted;
  if (old && oldCounted) old->Release();
}

ISSymbol* SSymSubs::GetParentSymbol() const {
  if (!m_pParent) return nullptr;
  SComWrap<ISSymbol> s(m_pParent);
  return s.Get();  // the parent reference keeps it
}

void SSymSubs::SetClipRect(const SSymRect& rect) {
  if (IsNormalised(rect)) m_rect = rect;
}

void SSymSubs::InitializeSubSym() {
  if (m_flags & SSymSubsFlag::Initialized) return;
  m_flags |= SSymSubsFlag::Initialized;
  const bool set = !(m_flags & SSymSubsFlag::Updating);
  if (set) m_flags |= SSymSubsFlag::Updating;
  InitValue();
  if (set) m_flags &= ~SSymSubsFlag::Updating;
}

// ---- ISSymbol ------------------------------------------------------------------------------------
HRESULT SSymSubs::DrawHandles(SSymCanvas& canvas) {
  if (!IsHidden()) canvas.DrawHandles(GetClipRect(1, 0));
  return S_OK;
}

HRESULT SSymSubs::DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) {
  if (!IsVisibleInRect(canvas, rect)) {
    if (second) *second = 0;
    return S_OK;
  }
  Draw(canvas);
  const int again = Needs2ndDraw(canvas);
  if (second) *second = again;
  return S_OK;
}

HRESULT SSymSubs::Redraw(SSymCanvas*) {
  if (m_flags & SSymSubsFlag::Drawing) return (m_flags & SSymSubsFlag::Updating) ? 1 : E_FAIL;
  if (!m_pParent) return E_FAIL;
  m_pParent->RedrawSubSym(this);
  return S_OK;
}

HRESULT SSymSubs::Show(int show) {
  if (IsHidden() && show) {
    m_flags &= ~SSymSubsFlag::Hidden;
    Redraw(nullptr);
  } else if (!IsHidden() && !show) {
    m_flags |= SSymSubsFlag::Hidden;
    Redraw(nullptr);
  }
  return S_OK;
}

SSymRect SSymSubs::GetActiveRect(SSymCanvas& canvas, int) {
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  const SSymSize d = canvas.m_scaler.DPtoVP(SIZE{6, 6});
  r.Inflate(std::abs(d.cx), std::abs(d.cy));
  return r;
}

HRESULT SSymSubs::MoveBy(const SSymSize& offset, int redraw) {
  if (offset.cx == 0 && offset.cy == 0) return S_OK;
  if (redraw) Redraw(nullptr);
  m_rect.OffsetRect(offset.cx, offset.cy);
  // A sub-object moved as part of the editing view's selection tells its
  // parent, which keeps where it now stands (a line keeps its label's offset).
  if (m_pParent) {
    SComOut<ISSymDiagram> diagram;
    if (SUCCEEDED(GetDiagram(&diagram)) && diagram) {
      SSymView* view = diagram->GetFirstView();
      if (SSymIsEditView(view) && SSymViewSelectionContains(view, this)) m_pParent->OnSubSymMove(this, redraw);
    }
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubs::Transform(const SSymMatrix& matrix, int redraw) {
  const SSymRect old = m_rect;
  SSymRect t = matrix.Transform(old);
  if (redraw) Redraw(nullptr);
  if (matrix.Get(0, 1) == 0 && matrix.Get(1, 0) == 0) {
    m_rect = t;
  } else {
    // Turned or sheared: the size stays, the centre follows the matrix.
    const SSymPoint c = matrix.Transform(old.GetCenter());
    m_rect.SetCenter(c);
  }
  m_rect.Normalize();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

BOOL SSymSubs::IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsHidden()) return 0;
  SSymRect a = GetActiveRect(canvas, 0);
  SSymRect b = rect;
  b.Normalize();
  return a.Intersects(b) ? 1 : 0;
}

BOOL SSymSubs::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  int index = 0;
  if (handle && canvas.HitTestHandles(r, &index, pt)) {
    *handle = index;
    return 1;
  }
  SSymRect near = r;
  near.Inflate(75, 75);
  if (near.PtInRect(pt)) return 1;
  if (!sub) return 0;
  *sub = nullptr;
  IsPtInSubSym(canvas, pt, handle, sub);
  return *sub ? 1 : 0;
}

HRESULT SSymSubs::Clone(ISSymbol** out, int) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymSubs::AdjustText(SSymCanvas& canvas, int redraw, int) {
  if (!m_pParent) return E_POINTER;
  if (redraw) Redraw(nullptr);
  const HRESULT hr = DrawOrAdjust(canvas, 1);
  if (FAILED(hr)) return hr;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubs::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISSymbol* parent = GetParentSymbol();
  return parent ? parent->GetDiagram(out) : S_OK;
}

HRESULT SSymSubs::GetGroupOwner(ISSymGroup** out, int walk) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return walk ? E_NOINTERFACE : S_OK;
}

HRESULT SSymSubs::IsPtInSubSym(SSymCanvas&, const SSymPoint&, int*, ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

HRESULT SSymSubs::GetMainSymbol(ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = GetParentSymbol();
  if (*out) (*out)->AddRef();
  return S_OK;
}
