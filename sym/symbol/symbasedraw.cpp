// The drawing side of the base symbol: visibility in a rectangle, the active
// rectangle, hit tests, handles and invalidation on a canvas.
#include "sym/render/symcanv.h"
#include "sym/symbol/symbase.h"

void SSymBase::InvalidateOn(SSymCanvas& canvas) { canvas.InvalidateRectLP(GetActiveRect(canvas, 1), 0); }

HRESULT SSymBase::DrawHandles(SSymCanvas& canvas) {
  if (!IsHidden()) canvas.DrawHandles(GetClipRect(1, 0));
  return S_OK;
}

HRESULT SSymBase::DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) {
  if (IsVisibleInRect(canvas, rect)) {
    Draw(canvas);
    if (second) *second = Needs2ndDraw(canvas);
  } else if (second) {
    *second = 0;
  }
  return S_OK;
}

HRESULT SSymBase::DrawSecondPassIfVisible(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsVisibleInRect(canvas, rect)) DrawSecondPass(canvas);
  return S_OK;
}

SSymRect SSymBase::GetActiveRect(SSymCanvas& canvas, int) {
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  const SSymSize six = canvas.DPtoVP(SIZE{6, 6});
  r.Inflate(six.cx < 0 ? -six.cx : six.cx, six.cy < 0 ? -six.cy : six.cy);
  SComWrap<ISSymPen> pen(Sym());
  const LONG w = pen.IsNull() ? 0 : pen->GetPen().m_width;
  if (w > 1) r.Inflate(w, w);
  return r;
}

BOOL SSymBase::IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsHidden()) return 0;
  const SSymRect a = GetActiveRect(canvas, 1);
  SSymRect b = rect;
  b.Normalize();
  return a.GetMaxX() >= b.GetMinX() && b.GetMaxX() >= a.GetMinX() && a.GetMaxY() >= b.GetMinY() &&
         b.GetMaxY() >= a.GetMinY();
}

BOOL SSymBase::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  SSymRect r = GetClipRect(0, 0);
  if (handle) {
    int index = -1;
    if (canvas.HitTestHandles(r, &index, pt)) {
      if (m_display & (DispLockHandlesA | DispLockHandlesB)) {
        if (index % 2 == 0) index = -1;
        else if ((m_display & DispLockHandlesA) && index % 4 == 3) index = -1;
        else if ((m_display & DispLockHandlesB) && index % 4 == 1) index = -1;
      }
      *handle = index;
      return 1;
    }
  }
  r.Normalize();
  // Without a predefined shape the hit is the rectangle widened by 75 units.
  using W = long long;  // no overflow for rectangles at the ends of the coordinate range
  if (pt.x >= W{r.x1} - 75 && pt.x <= W{r.x2} + 75 && pt.y >= W{r.y2} - 75 && pt.y <= W{r.y1} + 75) return 1;
  if (sub) {
    *sub = nullptr;
    IsPtInSubSym(canvas, pt, handle, sub);
    return *sub != nullptr;
  }
  return 0;
}

BOOL SSymBase::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  if (Flags & FlagHidden) return 0;
  return IsPtInSym(const_cast<SSymCanvas&>(canvas), pt, nullptr, nullptr);
}
