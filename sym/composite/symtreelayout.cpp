// The geometry of a tree: the node rectangle, the extent of a subtree, the
// row of children below (vertical) or to the right of (horizontal) their
// parent, the branch line, the limits kept when a tree symbol moves or
// is resized, the drawing of the expand box, branch line, connectors and
// children, and the branch line's pen.
//
// Diagram units have y growing upward; halving truncates toward zero.
#include <cstdlib>
#include <vector>

#include "kvcore/scomds.h"
#include "sym/composite/symtreeimpl.h"
#include "sym/composite/symtreeutil.h"
#include "sym/render/symcanv.h"
#include "sym/shapes/symtreeline.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfformat.h"

using namespace SSymTreeUtil;

namespace {
LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }
SSymRect ClipOf(ISSymbol* symbol) {
  SSymRect r = symbol->GetClipRect(0, 0);
  return r.Normalize();
}
}  // namespace

SSymRect SSymTreeImpl::GetNodeRect(ISSymbol* symbol) {
  if (!symbol) return SSymRect(0, 0, 0, 0);
  const SSymRect r = ClipOf(symbol);
  // A symbol with a custom picture shows its compartments below the
  // picture: the node reaches down over them. A symbol without the
  // custom-shape face has no picture.
  SComWrap<ISSymCustomShape> shape(symbol);
  if (shape.IsNull() || !shape->GetCustomPicture()) return r;
  SComWrap<ISSymSubSym> sub(symbol);
  if (sub.IsNull()) return r;
  LONG cx = 0, cy = 0;
  sub->GetSubSymSize(&cx, &cy);
  SSymRect node = r;
  node.y2 -= cy;
  if (node.Width() < cx) node.SetWidth(cx);
  if (node == r) return r;
  // Only the change in the direction of growth counts.
  if (IsVertical()) return SSymRect(r.x1, r.y1, r.x2, node.y2);
  return SSymRect(node.x1, r.y1, node.x2, r.y2);
}

int SSymTreeImpl::GetSize(int start) {
  TreeDepth depth;
  int s = start;
  if (depth.ok)
    for (const auto& child : ChildrenOf(this)) {
      if (s != 0) s += kGap;
      SComWrap<ISSymTree> sub(child);
      if (!sub.IsNull()) s += sub->GetSize(0);
    }
  const SSymRect n = GetNodeRect(m_symbol.Sym());
  const int extent = IsVertical() ? n.Width() : n.Height();
  return s > extent ? s : extent;
}

SSymRect SSymTreeImpl::GetChildrenRect() {
  SSymRect r = GetNodeRect(m_symbol.Sym());
  SComTable<ISSymbol> all;
  GetAllChildren(all, 1, 0);
  for (int i = 0; i < all.GetCount(); ++i) r = Union(r, ClipOf(all.GetAt(i)));
  return r;
}

HRESULT SSymTreeImpl::LayoutChildrenSym(int recursive) {
  TreeDepth depth;
  if (!depth.ok) return E_UNEXPECTED;
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  if (!col || col->GetCount() == 0) return S_OK;
  ISSymbol* self = m_symbol.Sym();
  self->Redraw(nullptr);
  SSymTreeLine* line = Line();
  if (!line) return S_OK;
  const bool vertical = IsVertical();

  // The branch line keeps 1000 beyond the node; a node smaller than the
  // clip rectangle moves the line out by the difference.
  const SSymRect node = GetNodeRect(self);
  const SSymRect clip = ClipOf(self);
  const LONG d = vertical ? clip.y2 - node.y2 : node.x2 - clip.x2;
  line->SetAttribute(SymAttr::Distance, SRepVariant::Long(d + SSymTreeLine::DefaultDistance));
  line->UpdateDist(self);

  // One slot per child tree, as wide (or high) as its subtree; every child
  // counts toward the gaps.
  std::vector<std::pair<SComWrap<ISSymbol>, int>> slots;
  int n = 0;
  long long total = 0;
  for (const auto& child : ChildrenOf(this)) {
    ++n;
    SComWrap<ISSymTree> sub(child);
    if (sub.IsNull()) continue;
    const int size = sub->GetSize(0);
    slots.emplace_back(child, size);
    total += size;
  }
  total += static_cast<long long>(n - 1) * kGap;
  const LONG t = static_cast<LONG>(total);

  if (vertical) {
    const LONG y0 = node.GetMinY() - kSpacing;
    LONG x = Mid(node.x1, node.x2) - t / 2;
    for (auto& [child, size] : slots) {
      const SSymRect k = ClipOf(child.Get());
      const LONG w = std::abs(k.x2 - k.x1);
      x += (size - w - 1) / 2;
      child->MoveBy(SSymSize(x - k.GetMinX(), y0 - k.GetMaxY()), 1);
      x += kGap + (w + size + 1) / 2;
    }
  } else {
    const LONG x0 = node.GetMaxX() + kSpacing;
    LONG y = Mid(node.y1, node.y2) + t / 2;
    for (auto& [child, size] : slots) {
      const SSymRect k = ClipOf(child.Get());
      const LONG h = std::abs(k.y1 - k.y2);
      y -= (size - h - 1) / 2;
      child->MoveBy(SSymSize(x0 - k.GetMinX(), y - k.GetMaxY()), 1);
      y -= kGap + (h + size + 1) / 2;
    }
  }
  // The line spans the children where they are now.
  line->UpdateDist(self);
  self->Redraw(nullptr);

  if (recursive)
    for (auto& [child, size] : slots) {
      SComWrap<ISSymTree> sub(child);
      if (!sub.IsNull()) sub->LayoutChildrenSym(recursive);
    }
  return S_OK;
}

HRESULT SSymTreeImpl::UpdateTreeLine() {
  SSymTreeLine* line = Line();
  if (!line) return S_FALSE;
  ISSymbol* self = m_symbol.Sym();
  self->Redraw(nullptr);
  // A line never placed takes its distance from the node first.
  if (!line->IsPlaced()) line->UpdateDist(self);
  const bool vertical = IsVertical();
  const SSymRect node = GetNodeRect(self);
  LONG lo = vertical ? Mid(node.x1, node.x2) : Mid(node.y1, node.y2), hi = lo;
  for (const auto& child : ChildrenOf(this)) {
    if (child->IsHidden()) continue;
    const SSymRect k = ClipOf(child.Get());
    const LONG c = vertical ? Mid(k.x1, k.x2) : Mid(k.y1, k.y2);
    lo = std::min(lo, c);
    hi = std::max(hi, c);
  }
  SSymRect band;
  if (vertical) {
    line->m_start.x = lo;
    line->m_end.x = hi;
    const LONG y = line->m_start.y;
    band = SSymRect(lo, y + SSymTreeLine::Thickness / 2, hi, y + SSymTreeLine::Thickness / 2 - (SSymTreeLine::Thickness - 1));
  } else {
    line->m_start.y = lo;
    line->m_end.y = hi;
    const LONG x = line->m_start.x;
    band = SSymRect(x - SSymTreeLine::Thickness / 2, hi, x - SSymTreeLine::Thickness / 2 + SSymTreeLine::Thickness - 1, lo);
  }
  line->PutRect(band);
  self->Redraw(nullptr);
  return S_OK;
}

HRESULT SSymTreeImpl::RecomputeMoveSize(SSymSize& offset) {
  ISSymbol* parent = GetParentSym(0);
  SSymBase* p = SSymBase::FromInterface(parent);
  SSymTreeLine* line = p ? LineOf(*p) : nullptr;
  if (!line) return S_FALSE;
  const SSymRect node = GetNodeRect(m_symbol.Sym());
  if (IsVertical()) {
    const LONG limit = line->m_start.y - SSymTreeLine::MinDistance;
    if (node.y1 + offset.cy > limit) offset.cy = limit - node.y1;
  } else {
    const LONG limit = line->m_start.x + SSymTreeLine::MinDistance;
    if (node.x1 + offset.cx < limit) offset.cx = limit - node.x1;
  }
  return S_OK;
}

HRESULT SSymTreeImpl::PostResize(SSymRect& oldRect, SSymRect& newRect) {
  if (oldRect == newRect) return S_OK;
  const bool vertical = IsVertical();
  // The branch line follows the edge the children grow from.
  LONG dx = 0, dy = 0;
  if (vertical) dy = newRect.GetMinY() - oldRect.GetMinY();
  else dx = newRect.GetMaxX() - oldRect.GetMaxX();
  if (std::abs(dx) > 70 || std::abs(dy) > 70)
    if (SSymTreeLine* line = Line()) line->MoveBy(SSymSize(dx, dy), 1);

  // The symbol keeps its spacing from its parent's edge.
  ISSymbol* parent = GetParentSym(0);
  if (!parent) return S_OK;
  const SSymRect pn = GetNodeRect(parent);
  m_nSpacing = kSpacing;
  m_bSpacingKnown = true;
  dx = dy = 0;
  if (vertical) {
    const LONG v = pn.GetMinY() - newRect.GetMaxY() - kSpacing;
    dy = v < 0 ? v : 0;
  } else {
    const LONG v = pn.GetMaxX() - newRect.GetMinX() + kSpacing;
    dx = v > 0 ? v : 0;
  }
  if (std::abs(dx) > 30 || std::abs(dy) > 30) {
    m_symbol.Sym()->MoveBy(SSymSize(dx, dy), 1);
    parent->Redraw(nullptr);
  }
  return S_OK;
}

SSymRect SSymTreeImpl::GetExpandBox() {
  const SSymRect r = ClipOf(m_symbol.Sym());
  const SSymPoint c = IsVertical() ? SSymPoint(Mid(r.x1, r.x2), r.GetMinY() - kBoxHalf)
                                   : SSymPoint(r.GetMaxX() + kBoxHalf, Mid(r.y1, r.y2));
  // 600 units counted inclusively: corners 599 apart, touching the symbol.
  return SSymRect(c.x - kBoxHalf, c.y + kBoxHalf, c.x + kBoxHalf - 1, c.y - kBoxHalf + 1);
}

HRESULT SSymTreeImpl::DrawChildren(SSymCanvas& canvas) {
  if (m_symbol.m_state & kStateNoChildren) return S_OK;
  // The expand box: only for a model object with child objects; a minus
  // while expanded, a plus while collapsed.
  if (!HasObjChildren()) return S_OK;
  const bool vertical = IsVertical();
  const SSymRect box = GetExpandBox();
  const SSymPoint c = box.GetCenter();
  {
    SSymBrush brush;
    SSymPen pen;
    canvas.GetBrush(brush);
    canvas.GetPen(pen);
    canvas.SetBrush(SSymBrush(SSymColor(0xFFFFFF)), 0);
    canvas.SetPen(SSymPen(SSymPen::Solid, 0, SSymColor(0)));
    canvas.Rectangle(box);
    canvas.SetPen(SSymPen(SSymPen::Solid, 75, SSymColor(0)));
    canvas.Line(SSymPoint(c.x - 150, c.y), SSymPoint(c.x + 150, c.y));
    if (!IsExpand(0)) canvas.Line(SSymPoint(c.x, c.y - 150), SSymPoint(c.x, c.y + 150));
    canvas.SetBrush(brush, 0);
    canvas.SetPen(pen);
  }

  SSymTreeLine* line = Line();
  std::vector<SComWrap<ISSymbol>> visible;
  for (const auto& child : ChildrenOf(this))
    if (!child->IsHidden()) visible.push_back(child);
  if (!line || visible.empty()) return S_OK;

  // The connectors use the pen the branch line leaves on the canvas; when
  // the line did not draw they end level with the box's edge.
  const SSymPoint p = vertical ? SSymPoint(c.x, box.GetMinY()) : SSymPoint(box.GetMaxX(), c.y);
  const bool drawn = line->Draw(canvas) == S_OK;
  const LONG at = drawn ? (vertical ? line->m_start.y : line->m_start.x) : (vertical ? p.y : p.x);
  if (drawn) canvas.Line(p, vertical ? SSymPoint(p.x, at) : SSymPoint(at, p.y));
  for (const auto& child : visible) {
    const SSymRect k = ClipOf(child.Get());
    if (vertical) canvas.Line(SSymPoint(Mid(k.x1, k.x2), k.GetMaxY()), SSymPoint(Mid(k.x1, k.x2), at));
    else canvas.Line(SSymPoint(k.GetMinX(), Mid(k.y1, k.y2)), SSymPoint(at, Mid(k.y1, k.y2)));
  }
  for (const auto& child : visible) child->Draw(canvas);
  return S_OK;
}

HRESULT SSymTreeImpl::SetBranchFormat(SSymFormat& format, int recursive) {
  TreeDepth depth;
  if (!depth.ok) return E_UNEXPECTED;
  if (SSymTreeLine* line = Line()) {
    SSymFormatEx before;
    line->Sym()->GetFormat(before);
    SSymFormatEx after = before;
    after.m_flags |= SSymFormatEx::FlagPen;
    after.m_pen = format.m_pen;
    SRepSession* session = m_symbol.GetSessionImpl();
    SComOut<ISRepContext> ctx;
    if (session) session->GetCurrentContext(&ctx);
    if (ctx) {
      // The format record of the step: the current one, or a new one.
      auto* action = dynamic_cast<SSymActionFormat*>(ctx->GetLastAction());
      if (!action || action->m_type != SSymAction_Format) {
        auto made = std::make_unique<SSymActionFormat>(ctx.Get());
        action = made.get();
        ctx->AddAction(std::move(made));
      }
      if (ctx->IsRecording()) {
        action->AddSymbol(line->Sym(), before);  // undo gives the old pen back
        line->SetFormat(after);
      } else {
        action->AddSymbol(line->Sym(), after);
      }
    } else {
      line->SetFormat(after);
    }
  }
  if (recursive)
    for (const auto& child : ChildrenOf(this)) {
      SComWrap<ISSymTree> sub(child);
      if (!sub.IsNull()) sub->SetBranchFormat(format, recursive);
    }
  return S_OK;
}
