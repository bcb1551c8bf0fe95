// The tracker protocol and the rectangle trackers: mover (with the insertion
// line of dragged sub-object marks), sizer, focus and ellipse rectangles.
#include "sym/tools/symtracker.h"

#include <cmath>
#include <cstdlib>

#include "kvcore/scomwrap.h"
#include "kvcore/sdc.h"
#include "kvrep/srepobject.h"
#include "sym/diagram/symview.h"
#include "sym/render/symcanv.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfdrag.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/tools/symtoolview.h"
#include "win/winuser.h"

KV_IMPLEMENT_CLASSINFO(SSymTrackerBase, SObject);
KV_IMPLEMENT_CLASSINFO(SSymTrackerStd, SSymTrackerBase);
KV_IMPLEMENT_CLASSINFO(SSymTrackerRect, SSymTrackerStd);
KV_IMPLEMENT_CLASSINFO(SSymTrackerMover, SSymTrackerRect);
KV_IMPLEMENT_CLASSINFO(SSymTrackerSizer, SSymTrackerRect);
KV_IMPLEMENT_CLASSINFO(SSymTrackerFocus, SSymTrackerSizer);
KV_IMPLEMENT_CLASSINFO(SSymTrackerEllipse, SSymTrackerSizer);

namespace {
// The sum of two coordinates halved toward zero, without overflow.
LONG Half(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }
}  // namespace

// ---- the rectangle --------------------------------------------------------------------------------

SSymTrackerRect::SSymTrackerRect(SSymCanvas* canvas, const SSymRect& rect) : SSymTrackerStd(canvas), m_rect(rect) {
  // The constructor runs before a derived Draw exists: the plain rectangle.
  SSymTrackerRect::Draw();
}

void SSymTrackerRect::Draw() {
  if (!m_pCanvas || m_rect.IsDegenerate()) return;
  SSymRect r = m_rect;
  m_pCanvas->FocusRect(r.Normalize());
}

void SSymTrackerRect::Retrack(const SSymRect& rect) {
  Hide();
  m_rect = rect;
  Show();
}

// ---- the mover ------------------------------------------------------------------------------------

SSymTrackerMover::SSymTrackerMover(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect)
    : SSymTrackerMover(canvas, start, SSymSize(rect.Width(), rect.Height()),
                       SSymSize(start.x - rect.GetMinX(), start.y - rect.GetMinY())) {}

SSymTrackerMover::SSymTrackerMover(SSymCanvas* canvas, const SSymPoint& start, const SSymSize& size,
                                   const SSymSize& offset)
    : SSymTrackerRect(canvas, SSymRect()), m_start(start), m_current(start), m_size(size), m_offset(offset) {}

SSymTrackerMover::SSymTrackerMover(const SSymRect& outline, const SSymPoint& drop)
    : SSymTrackerRect(nullptr, outline), m_start(drop), m_current(drop), m_size(outline.Width(), outline.Height()) {}

SSymPoint SSymTrackerMover::TrackTo(SSymPoint p, SMouseFlags) {
  if (p == m_current) return m_current;
  Hide();
  const LONG left = p.x - m_offset.cx, bottom = p.y - m_offset.cy;
  m_rect = SSymRect(left, bottom + m_size.cy, left + m_size.cx, bottom);
  m_current = p;
  Show();
  return m_current;
}

void SSymTrackerMover::Draw() {
  if (!m_pCanvas || m_rect.IsDegenerate()) return;
  if (DrawSubSymPosLine(m_current)) return;
  SSymTrackerRect::Draw();
}

namespace {
// Where dragged sub-object marks would go in the symbol under `point`: its
// clip rectangle and the height of the insertion line. False unless every
// dragged symbol is a mark, the symbol under the point shows a model object
// and that object takes the class of one of the marks' objects.
bool FindInsertionLine(SSymViewEdit* target, ISSymDataSrc* data, SSymCanvas& canvas, const SSymPoint& point,
                       SSymRect& rect, LONG& y) {
  const int n = data->GetSymbolCount();
  if (n <= 0) return false;
  for (int i = 0; i < n; ++i) {
    ISSymbol* s = data->GetSymbolAt(i);
    if (!s || s->GetSymbolType() != SSymSelSubSym::SymbolType) return false;
  }
  SSymView* view = SSymToolDiagramView(target);
  ISSymbol* over = view ? view->HitTest(point, 0, nullptr) : nullptr;
  SComWrap<ISSymObject> shown(over);
  if (!over || shown.IsNull()) return false;
  SComWrap<ISRepObject, &IID_ISRepObject> model;
  if (shown->GetModelObject(&model) != S_OK || model.IsNull()) return false;
  SRepObject* support = SRepObject::FromInterface(model);
  if (!support) return false;
  bool accepted = false;
  for (int i = 0; i < n && !accepted; ++i) {
    auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(data->GetSymbolAt(i)));
    ISRepObject* object = mark ? mark->GetObject() : nullptr;
    CLSID cls{};
    if (!object || FAILED(object->GetCLSID(&cls))) continue;
    SString text;
    accepted = support->CanCreateObject(-1, cls, -1, &text) == 0;
  }
  if (!accepted) return false;
  rect = over->GetClipRect(0, 0);
  y = Half(rect.y1, rect.y2);
  SComWrap<ISSymSubSymAt> subs(over);
  SSymSubSymHit hit;
  if (!subs.IsNull() && subs->FindSubSymAt(canvas, point, hit)) {
    y = point.y >= Half(hit.rect.y1, hit.rect.y2) ? hit.rect.y1 : hit.rect.y2;
  }
  return true;
}
}  // namespace

int SSymTrackerMover::DrawSubSymPosLine(const SSymPoint& point) {
  if (!m_pCanvas || !m_pDragData || !m_pTargetView) return 0;
  SDC* dc = m_pCanvas->GetCanvasDC();
  SSymRect target;
  LONG y = 0;
  if (!dc || !FindInsertionLine(m_pTargetView, m_pDragData, *m_pCanvas, point, target, y)) return 0;
  const SSymPoint p1(target.x1 + LineInset, y), p2(target.x2 - LineInset, y);
  SSymPen pen(SSymPen::Solid, 0, 0);
  m_pCanvas->GetPen(pen);
  if (pen.GetColor() == 0) pen.SetColor(LineColor);
  const int former = dc->SetROP2(R2_XORPEN);
  m_pCanvas->SetPen(pen);
  m_pCanvas->Line(p1, p2);
  m_pCanvas->Line(SSymPoint(p1.x - LineSpread, y), SSymPoint(p2.x - LineSpread, y));
  m_pCanvas->Line(SSymPoint(p1.x + LineSpread, y), SSymPoint(p2.x + LineSpread, y));
  m_pCanvas->Line(SSymPoint(p1.x, y - TickHalf), SSymPoint(p1.x, y + TickHalf));
  m_pCanvas->Line(SSymPoint(p2.x, y - TickHalf), SSymPoint(p2.x, y + TickHalf));
  dc->SetROP2(former);
  return 1;
}

// ---- the sizer ------------------------------------------------------------------------------------

SSymTrackerSizer::SSymTrackerSizer(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect, int handle,
                                   int keepProportions, unsigned int modeFlags)
    : SSymTrackerRect(canvas, rect), m_initial(rect), m_start(start), m_current(start) {
  SSymRect normal = rect;
  m_anchor = normal.GetPoint(((handle % 8) + 8 + 4) % 8);
  m_center = SSymPoint(Half(rect.x1, rect.x2), Half(rect.y1, rect.y2));
  m_bKeepCenter = (modeFlags & ModeKeepCenter) ? 1 : 0;
  m_bKeepProportions = keepProportions;
  if (modeFlags & ModeWidthFixed) {
    m_anchor.x = normal.x1;
    m_bWidthFixed = 1;
  }
  if (modeFlags & ModeHeightFixed) {
    m_anchor.y = normal.y1;
    m_bHeightFixed = 1;
  }
  int h = handle;
  if (m_bWidthFixed) {
    if (h == 0 || h == 2) h = 1;
    if (h == 4 || h == 6) h = 5;
  } else if (m_bHeightFixed) {
    if (h == 0 || h == 6) h = 7;
    if (h == 2 || h == 4) h = 3;
  }
  if (h == 1 || h == 5) {
    m_anchor.x = normal.x1;
    m_bXLocked = 1;
  } else if (h == 3 || h == 7) {
    m_anchor.y = normal.y1;
    m_bYLocked = 1;
  }
  m_width = std::fabs(static_cast<double>(rect.x2) - rect.x1) + 1.0;
  m_height = std::fabs(static_cast<double>(rect.y1) - rect.y2) + 1.0;
  m_nHandle = h;
  m_lastFlags = GetKeyState(VK_MENU) < 0 ? UINT(SMouseFlags::Alt) : 0u;
}

SSymPoint SSymTrackerSizer::TrackTo(SSymPoint q, SMouseFlags mouse) {
  const UINT flags = mouse.GetFlags();
  if (q == m_current && flags == m_lastFlags) return m_current;
  SSymRect r;
  const bool moveX = m_bWidthFixed && (m_nHandle == 3 || m_nHandle == 7);
  const bool moveY = m_bHeightFixed && (m_nHandle == 1 || m_nHandle == 5);
  if (moveX || moveY || (m_bWidthFixed && m_bHeightFixed)) {
    // An extent that cannot change: the pointer moves the rectangle.
    r = m_initial;
    const bool both = m_bWidthFixed && m_bHeightFixed;
    r.OffsetRect(moveX || both ? q.x - m_start.x : 0, moveY || both ? q.y - m_start.y : 0);
  } else {
    SSymPoint a = m_anchor;
    if (m_bXLocked) q.x = m_initial.GetMaxX();
    if (m_bYLocked) q.y = m_initial.GetMinY();
    const bool control = (flags & SMouseFlags::Control) != 0;
    if (!m_bWidthFixed && (control || m_bXLocked)) a.x = 2 * m_center.x - q.x;
    if (!m_bHeightFixed && (control || m_bYLocked)) a.y = 2 * m_center.y - q.y;
    const bool shift = (flags & SMouseFlags::Shift) != 0 && ShiftKeepsProportions();
    if (!m_bWidthFixed && !m_bHeightFixed && (m_bKeepProportions || shift)) {
      const double dx = static_cast<double>(q.x) - a.x, dy = static_cast<double>(q.y) - a.y;
      const double rx = std::fabs(dx / m_width), ry = std::fabs(dy / m_height);
      // An offset is carried over to the other axis only when both ratios
      // are known: a zero offset stays zero.
      auto scaled = [](double d, double ratio, double over) { return over == 0.0 ? 0L : SSymTruncate(d * ratio / over); };
      if (m_bYLocked)
        q.y = a.y + scaled(dy, rx, ry);
      else if (m_bXLocked)
        q.x = a.x + scaled(dx, ry, rx);
      else if (ry >= rx)
        q.x = a.x + scaled(dx, ry, rx);
      else
        q.y = a.y + scaled(dy, rx, ry);
    }
    r = SSymRect(a.x, q.y, q.x, a.y);
    if (m_bXLocked || control || m_bKeepCenter) r.OffsetRect(m_center.x - Half(a.x, q.x), 0);
    if (m_bYLocked || control || m_bKeepCenter) r.OffsetRect(0, m_center.y - Half(a.y, q.y));
  }
  Retrack(r);
  m_current = q;
  m_lastFlags = flags;
  return m_current;
}

// ---- rectangles pulled open from a point -------------------------------------------------------

SSymTrackerFocus::SSymTrackerFocus(SSymCanvas* canvas, const SSymPoint& start)
    : SSymTrackerSizer(canvas, start, SSymRect(start.x, start.y, start.x, start.y), 4, 0, 0) {}

SSymTrackerEllipse::SSymTrackerEllipse(SSymCanvas* canvas, const SSymPoint& start)
    : SSymTrackerSizer(canvas, start, SSymRect(start.x, start.y, start.x, start.y), 4, 0, 0) {}

SSymTrackerEllipse::SSymTrackerEllipse(SSymCanvas* canvas, const SSymPoint& start, const SSymRect& rect, int handle,
                                       int keepProportions, int modeFlags)
    : SSymTrackerSizer(canvas, start, rect, handle, keepProportions, static_cast<unsigned int>(modeFlags)) {}
