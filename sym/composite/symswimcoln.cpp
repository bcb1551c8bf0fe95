#include "sym/composite/symswimcoln.h"

#include <algorithm>

#include "kvrep/srepsession.h"
#include "sym/composite/symswimpool.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"

namespace {

SSymRect Normalized(SSymRect r) {
  r.Normalize();
  return r;
}

// The area a composite lane's children take, or nothing for a lane that is
// not a composite or holds none (an empty composite answers a point).
bool ChildrenArea(ISSymbol* lane, SSymRect& out) {
  SComWrap<ISSymCompSym> comp(lane);
  if (comp.IsNull()) return false;
  const SSymRect r = comp->GetChildrenRect(0);
  if (r.IsDegenerate()) return false;
  out = Normalized(r);
  return true;
}

LONG Clamped(long long v) { return static_cast<LONG>(std::clamp<long long>(v, -2147483647LL, 2147483647LL)); }

}  // namespace

// No attributes of its own: the maps chain to the point-list base's.
KV_SYM_DEFINE_CLASS_TABLES(SSymSwimColn)
KV_SYM_IMPLEMENT_POOL(SSymSwimColn, g_symClasses[SYMCLS_SSymSwimColn].poolBlocks);
KV_SYM_REGISTER(SSymSwimColn, &SSymCreateStd<SSymSwimColn>);

SSymSwimColn::SSymSwimColn(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}

// The copy belongs to nothing until its owner tells it.
SSymSwimColn::SSymSwimColn(const SSymSwimColn& source) : SRepFaces(source) {}

SSymSwimColn::~SSymSwimColn() { m_pObjSym = nullptr; }

ISSymbol* SSymSwimColn::GetSwimSym() {
  if (!m_pObjSym) return nullptr;
  if (m_pObjSym->GetSymbolType() == SSymSwimLane::TypeCode) return m_pObjSym;
  SComWrap<ISSwimlane> lane(m_pObjSym);
  return lane.IsNull() ? nullptr : lane->GetPoolSym();
}

HRESULT SSymSwimColn::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return m_pObjSym ? m_pObjSym->GetDiagram(out) : S_FALSE;
}

// ---- drawing ------------------------------------------------------------------------------------
HRESULT SSymSwimColn::DrawSymbol(SSymCanvas& canvas) {
  ISSymbol* poolSym = GetSwimSym();
  SComWrap<ISSymSwimPool> pool(poolSym);
  if (ListPt.GetCount() != 2 || pool.IsNull()) return S_OK;
  if (SComWrap<ISSymPen> pen(poolSym); !pen.IsNull()) {
    const SSymPen p = pen->GetPen();
    if (!(p == m_pen)) m_pen = p;
  }
  canvas.SetPen(m_pen);
  // The line lies on its lane's far edge (right or top) and spans the pool;
  // the pool's own line keeps its place along the pool.
  const SSymRect r = m_pObjSym->GetClipRect(0, 0);
  const bool lane = m_pObjSym != poolSym;
  SSymListPt pts = ListPt;
  if (pool->IsVertical()) {
    pts[0].y = r.y1;
    pts[1].y = r.y2;
    if (lane) pts[0].x = pts[1].x = r.x2;
  } else {
    pts[0].x = r.x1;
    pts[1].x = r.x2;
    if (lane) pts[0].y = pts[1].y = r.y1;
  }
  if (!(pts[0] == ListPt[0]) || !(pts[1] == ListPt[1])) {
    ListPt = pts;
    RecomputeClipRect(0, 0);
  }
  canvas.Polyline(ListPt, 0);
  return S_OK;
}

// ---- dragging -----------------------------------------------------------------------------------
HRESULT SSymSwimColn::SetListPt(const SSymListPt& pts, int redraw, int a, int b) {
  ISSymbol* poolSym = GetSwimSym();
  if (!poolSym) return SSymPolyBase::SetListPt(pts, redraw, a, b);
  SRepSession* session = GetSessionImpl();
  ISRepSession* s = session ? static_cast<ISRepSession*>(session) : nullptr;
  // Undo and redo replay the points as they were; a session that holds
  // arrangement back, or records nothing, takes them as they come.
  const bool replaying = SRepSession::m_pUndoContext && SRepSession::m_pUndoContext->GetState() != 0;
  if (replaying || !s || s->IsArrangeSuppressed() || !SRepGetUndoContext(s) || pts.GetCount() == 0) {
    const HRESULT hr = SSymPolyBase::SetListPt(pts, redraw, a, b);
    if (redraw) poolSym->Redraw(nullptr);
    return hr;
  }
  if (pts.GetCount() != 2) return S_OK;
  return m_pObjSym == poolSym ? DragPoolEdge(poolSym, pts) : DragLaneEdge(poolSym, pts, redraw);
}

HRESULT SSymSwimColn::DragLaneEdge(ISSymbol* poolSym, const SSymListPt& pts, int redraw) {
  SComWrap<ISSymSwimPool> pool(poolSym);
  SSymBase* lane = SSymBase::FromInterface(m_pObjSym);
  SSymBase* poolBase = SSymBase::FromInterface(poolSym);
  if (pool.IsNull() || !lane || !poolBase) return S_OK;
  const bool vertical = pool->IsVertical() != 0;
  SSymRect l = Normalized(m_pObjSym->GetClipRect(0, 0));
  SSymRect children;
  const bool hasChildren = ChildrenArea(m_pObjSym, children);
  // The far edge: the top of a stacked lane, the right of a lane side by side.
  LONG& far = vertical ? l.x2 : l.y1;
  const LONG nearEdge = vertical ? l.x1 : l.y2;
  const LONG to = vertical ? pts[0].x : pts[0].y;
  const long long d = static_cast<long long>(to) - far;
  if (d == 0) return S_OK;
  LONG edge = to;
  if (d < 0) {
    // Inward: the lane keeps MinThickness (counted inclusively) and its children.
    const long long thickness = static_cast<long long>(far) - nearEdge;
    edge = thickness + 1 + d < MinThickness ? Clamped(static_cast<long long>(nearEdge) + MinThickness)
                                            : Clamped(far + d);
    if (hasChildren) edge = std::max(edge, vertical ? children.x2 : children.y1);
  }
  if (edge == far) return S_OK;
  const long long moved = static_cast<long long>(edge) - far;
  far = edge;
  const SSymListPt line = vertical ? SSymListPt{SSymPoint(edge, l.y1), SSymPoint(edge, l.y2)}
                                   : SSymListPt{SSymPoint(l.x1, edge), SSymPoint(l.x2, edge)};
  if (redraw) poolSym->Redraw(nullptr);
  SSymPolyBase::SetListPt(line, 0, 0, 0);
  lane->SetAttrRect(l);
  SSymRect p = Normalized(poolSym->GetClipRect(0, 0));
  if (vertical) p.x2 = Clamped(p.x2 + moved);
  else p.y1 = Clamped(p.y1 + moved);
  poolBase->SetAttrRect(p);
  pool->ArrangeLanes(0);
  if (redraw) poolSym->Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSwimColn::DragPoolEdge(ISSymbol* poolSym, const SSymListPt& pts) {
  SComWrap<ISSymSwimPool> pool(poolSym);
  SSymSwimLane* poolImpl = SSymSwimLane::FromInterface(poolSym);
  if (pool.IsNull() || !poolImpl || ListPt.GetCount() != 2) return S_OK;
  // The lane at the pool's start edge: its first shown lane in pool order,
  // through a leading group (the bag's own index order is by address).
  SUnsortedComBag<ISSymbol> lanes;
  poolImpl->GetAllLane(lanes, 0);
  ISSymbol* first = lanes.GetOrderAt(0);
  SSymBase* lane = SSymBase::FromInterface(first);
  if (!lane) return S_OK;
  const bool vertical = pool->IsVertical() != 0;
  const long long d = vertical ? static_cast<long long>(pts[0].x) - ListPt[0].x
                               : static_cast<long long>(pts[0].y) - ListPt[0].y;
  if (d == 0) return S_OK;
  SSymRect p = Normalized(poolSym->GetClipRect(0, 0));
  SSymRect l = Normalized(first->GetClipRect(0, 0));
  // The start edge: the left of side-by-side lanes, the bottom of stacked ones.
  LONG& poolStart = vertical ? p.x1 : p.y2;
  LONG& laneStart = vertical ? l.x1 : l.y2;
  LONG edge;
  if (d < 0) {
    edge = Clamped(poolStart + d);
  } else {
    // Inward: the first lane keeps MinThickness and its children.
    edge = Clamped(poolStart + d);
    edge = std::min(edge, Clamped(static_cast<long long>(vertical ? l.x2 : l.y1) - MinThickness));
    SSymRect children;
    if (ChildrenArea(first, children)) edge = std::min(edge, vertical ? children.x1 : children.y2);
    // A lane already thinner than that is not moved outward by an inward drag.
    if (edge <= laneStart) return S_OK;
  }
  if (edge == poolStart && edge == laneStart) return S_OK;
  poolStart = edge;
  laneStart = edge;
  lane->SetAttrRect(l);
  SSymBase::FromInterface(poolSym)->SetAttrRect(p);
  SSymListPt line = ListPt;
  if (vertical) line[0].x = line[1].x = edge;
  else line[0].y = line[1].y = edge;
  SSymPolyBase::SetListPt(line, 0, 0, 0);
  pool->ArrangeLanes(0);
  return S_OK;
}
