// The drawing side of the base symbol: visibility in a rectangle, the active
// rectangle, hit tests, handles and invalidation on a canvas.
#include "sym/symbol/symbase.h"

namespace {
LONG IAbs(LONG v) { return v < 0 ? -v : v; }
}  // namespace

void SSymBase::InvalidateOn(SSymCanvas&) {}

HRESULT SSymBase::DrawHandles(SSymCanvas&) { return S_OK; }

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

SSymRect SSymBase::GetActiveRect(SSymCanvas&, int) {
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  SComWrap<ISSymPen> pen(Sym());
  const LONG w = pen.IsNull() ? 0 : pen->GetPenWidth();
  if (w > 1) r.Inflate(w, w);
  return r;
}

BOOL SSymBase::IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsHidden()) return 0;
  SSymRect a = GetActiveRect(canvas, 1);
  SSymRect b = rect;
  b.Normalize();
  return a.GetMaxX() >= b.GetMinX() && b.GetMaxX() >= a.GetMinX() && a.GetMaxY() >= b.GetMinY() &&
         b.GetMaxY() >= a.GetMinY();
}

BOOL SSymBase::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  (void)handle;
  SSymRect r = GetClipRect(0, 0);
  r.Normalize();
  if (pt.x >= r.x1 - 75 && pt.x <= r.x2 + 75 && pt.y >= r.y2 - 75 && pt.y <= r.y1 + 75) return 1;
  if (sub) {
    *sub = nullptr;
    IsPtInSubSym(canvas, pt, handle, sub);
    return *sub != nullptr;
  }
  (void)IAbs;
  return 0;
}

BOOL SSymBase::IsLinkPtInSym(const SSymCanvas& canvas, SSymPoint pt, ISSymLink*, int) {
  if (Flags & FlagHidden) return 0;
  return IsPtInSym(const_cast<SSymCanvas&>(canvas), pt, nullptr, nullptr);
}
