#include "sym/composite/symswimpool.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include "kvcore/scascade.h"
#include "sym/composite/symcompimpl.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symactionrects.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfview.h"

bool g_bInSwimGroupUpdate = false;

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
constexpr LONG kIdSwimHeight = 0x0201003E;
constexpr LONG kIdDispPrefSave = 0x02010022;
constexpr LONG kIdName = 0x01000002;
constexpr int kMaxDepth = 64;

SComWrap<ISSymDiagram> DiagramOf(ISSymbol* symbol) {
  SComWrap<ISSymDiagram> out;
  SComOut<ISSymDiagram> d;
  if (symbol && symbol->GetDiagram(&d) == S_OK && d) out = d.Get();
  return out;
}

// The pool and its members, in the pool's order.
std::vector<SComWrap<ISSymbol>> PoolAndMembers(SSymSwimLane* pool) {
  std::vector<SComWrap<ISSymbol>> out = pool->Members();
  out.insert(out.begin(), SComWrap<ISSymbol>(pool->Sym()));
  return out;
}

// Arranges the pool's lanes outside the context `ctx` (the current one);
// when it records, the step keeps the arrangement (SSymSwimArrangeStep).
// An undo or a redo arranges nothing: the step it replays kept the
// rectangles of the pool and its lanes, and an arrangement while its
// members come and go one by one would give others (a resize leaves lanes
// unarranged, which a return of a lane would fit).
void ArrangeRecorded(SSymSwimLane* pool, ISRepContext* ctx, int redraw) {
  if (pool->IsInUndoContext()) return;
  SSymSwimArrangeStep step(pool, ctx);
  SCurrentContextChange none(pool->Obj(), nullptr);
  pool->ArrangeLanes(redraw);
}
}  // namespace

int SSymSwimArrangeStep::s_open = 0;

SSymSwimArrangeStep::SSymSwimArrangeStep(SSymSwimLane* pool, ISRepContext* ctx)
    : m_pool(pool), m_ctx(s_open == 0 && ctx && ctx->IsRecording() ? ctx : nullptr) {
  ++s_open;
  if (m_ctx) m_ctx->AddAction(std::make_unique<SSymActionRects>(SSymActionRects::Of(PoolAndMembers(pool)), true));
}

SSymSwimArrangeStep::~SSymSwimArrangeStep() {
  --s_open;
  if (m_ctx && !m_pool->IsDeleted())
    m_ctx->AddAction(std::make_unique<SSymActionRects>(SSymActionRects::Of(PoolAndMembers(m_pool)), false));
}

namespace {
// The members of a symbol's SubSymbols collection, in order.
std::vector<SComWrap<ISSymbol>> SubSymbolsOf(ISRepObject* holder) {
  std::vector<SComWrap<ISSymbol>> out;
  SComOut<ISRepClassCol> col;
  if (!holder || holder->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) return out;
  for (LONG i = 0; i < col->GetCount(); ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) != S_OK || !item) continue;
    SComWrap<ISSymbol> s(item.Get());
    if (!s.IsNull()) out.push_back(s);
  }
  return out;
}

// Adds the lanes under a holder (the pool or a lane group), through nested
// groups, in order; all = 0 leaves hidden members (and all under them) out.
void CollectLanes(ISRepObject* holder, SUnsortedComBag<ISSymbol>& bag, int all, int depth) {
  if (depth > kMaxDepth) return;  // a cycle of groups ends the walk
  for (const SComWrap<ISSymbol>& m : SubSymbolsOf(holder)) {
    if (!all && m->IsHidden()) continue;
    if (m->GetSymbolType() == SSymSwimLane::GroupTypeCode) {
      CollectLanes(RepObjWrap(m).Get(), bag, all, depth + 1);
    } else if (!SComWrap<ISSwimlane>(m).IsNull()) {
      bag.Add(m.Get());
    }
  }
}

// The normalised clip rectangle of a symbol.
SSymRect ClipOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  return r.Normalize();
}

// Turns a rectangle a quarter about its centre: the horizontal extent
// becomes the old vertical one and the reverse.
SSymRect TurnAboutCentre(SSymRect r) {
  r.Normalize();
  const LONG w = r.Width(), h = r.Height();
  r.SetWidth(h);
  r.SetHeight(w);
  return r;
}

SSymPoint Centre(const SSymRect& r) { return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2); }
}  // namespace

LONG SSymSwimHeadingHeight(ISSymDiagram* diagram) {
  RepObjWrap obj(diagram);
  if (obj.IsNull()) return SSymSwimLane::DefaultHeadingHeight;
  SRepVariant v;
  if (obj->GetAttribute(kIdSwimHeight, &v) != S_OK) return SSymSwimLane::DefaultHeadingHeight;
  const LONG h = v.GetLONG();
  return h > 0 ? h : SSymSwimLane::DefaultHeadingHeight;
}

int SSymSwimIsVertical(ISSymDiagram* diagram) {
  ISSymDispPref* prefs = diagram ? SSymGetDispPrefPtr(diagram) : nullptr;
  return prefs ? prefs->GetSwimlaneVert() : 1;
}

// ---- construction ------------------------------------------------------------------------------
SSymSwimLane::SSymSwimLane(ISRepSession* session) : SRepFaces(session, CLSID_SSymSwimLane) {}

SSymSwimLane::SSymSwimLane(const SSymSwimLane& source)
    : SRepFaces(source),
      m_nGroupType(source.m_nGroupType),
      m_bVertical(source.m_bVertical),
      m_nHeadSize(source.m_nHeadSize) {}

SSymSwimLane::~SSymSwimLane() { ReleaseLine(); }

void SSymSwimLane::ForgetSession() {
  ReleaseLine();
  SSymBasePen::ForgetSession();
}

void SSymSwimLane::ReleaseLine() {
  SComWrap<ISSymbol> line;
  std::swap(line, m_pLineSym);  // cleared before the line goes
  // The line does not count its pool: it must not point to it any more.
  if (SSymSwimColn* coln = SSymSwimColn::FromInterface(line.Get())) coln->SetObjSym(nullptr);
}

HRESULT SSymSwimLane::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  return SSymCreateStd<SSymSwimLane>(out, session, source);
}

ISSymbol* SSymSwimFindPool(ISSymbol* symbol) {
  // Bounded, so that a cycle of owners ends the walk.
  SComWrap<ISSymbol> at(symbol);
  for (int depth = 0; !at.IsNull() && depth < kMaxDepth; ++depth) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) return nullptr;
    at = SComWrap<ISSymbol>(owner.Get());
    if (!SComWrap<ISSymSwimPool>(owner.Get()).IsNull()) return at.Get();  // the owner chain holds it
  }
  return nullptr;
}

SSymSwimLane* SSymSwimLane::PoolOf(ISSymbol* symbol) { return FromInterface(SSymSwimFindPool(symbol)); }

std::vector<SComWrap<ISSymbol>> SSymSwimLane::Members() { return SubSymbolsOf(Obj()); }

// ---- lanes -------------------------------------------------------------------------------------
void SSymSwimLane::GetAllLane(SUnsortedComBag<ISSymbol>& bag, int all) { CollectLanes(Obj(), bag, all, 0); }

void SSymSwimLane::GetAllChildrenSym(SUnsortedComBag<ISSymbol>& bag, int all) {
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, all);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    SComWrap<ISSymCompSym> comp(lanes.GetOrderAt(i));
    if (comp.IsNull()) continue;
    SComTable<ISSymbol> children;
    comp->GetAllChildren(children, 0);
    for (int c = 0; c < children.GetCount(); ++c) bag.Add(children.GetAt(c));
  }
}

int SSymSwimLane::GetHeadSize(SSymCanvas& canvas) {
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return m_nHeadSize;
  // One band of H for the lanes, or the widest group's heading with all
  // its levels.
  int s = SSymSwimHeadingHeight(diagram.Get());
  for (const SComWrap<ISSymbol>& m : Members())
    if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) s = std::max(s, group->GetHeadSize(canvas));
  const int c = m_nHeadSize;
  if (s != c) {
    if (c != 0) {
      SSymRect r = GetClipRect(0, 0);
      if (m_bVertical) r.y1 += s - c;
      else r.x1 -= s - c;
      PutRect(r);
      if (!(m_state & StateNoRedraw)) canvas.InvalidateRectLP(GetActiveRect(canvas, 1), 1);
    }
    m_nHeadSize = s;
  }
  return s;
}

int SSymSwimLane::GetHeadHeight() {
  if (m_nHeadSize == 0) {
    SSymDeftCanvas canvas;
    m_nHeadSize = GetHeadSize(canvas);
  }
  return m_nHeadSize;
}

void SSymSwimLane::GetLanesValidSpan(LONG& lo, LONG& hi) {
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 1);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    SComWrap<ISSwimlane> lane(lanes.GetOrderAt(i));
    if (lane.IsNull()) continue;
    SSymRect b;
    lane->GetValidBord(m_bVertical, b);
    if (b.x1 == b.x2 && b.y1 == b.y2) continue;
    if (m_bVertical) {
      lo = std::min(lo, b.y2);
      hi = std::max(hi, b.y1);
    } else {
      lo = std::min(lo, b.x1);
      hi = std::max(hi, b.x2);
    }
  }
}

// ---- arrangement -------------------------------------------------------------------------------
void SSymSwimLane::ArrangeLanes(int redraw) {
  if (g_bInSwimGroupUpdate || (GetState() & RepStateNoArrange) || IsDeleted()) return;
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return;
  ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get());
  if (!prefs) return;
  m_bVertical = prefs->GetSwimlaneVert();
  const std::vector<SComWrap<ISSymbol>> members = Members();
  if (members.empty()) return;
  if (redraw) Sym()->Redraw(nullptr);

  const SSymRect p = ClipOf(Sym());
  // The running position: where the next shown member begins.
  LONG pos = m_bVertical ? p.x1 : p.y2;
  for (const SComWrap<ISSymbol>& m : members) {
    if (m->IsHidden()) continue;  // keeps its place in the order, takes no room
    if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) group->ArrangeLanes(redraw);
    const SSymRect l = ClipOf(m.Get());
    SSymSize offset(0, 0);
    // Differences and sums of huge rectangles stop at the ends of the range.
    const auto fit = [](long long v) {
      return static_cast<LONG>(
          std::clamp<long long>(v, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max()));
    };
    if (m_bVertical) {
      offset.cx = fit(static_cast<long long>(pos) - l.x1);
      pos = fit(static_cast<long long>(l.x2) + offset.cx);
    } else {
      offset.cy = fit(static_cast<long long>(pos) - l.y2);
      pos = fit(static_cast<long long>(l.y1) + offset.cy);
    }
    if (offset.cx != 0 || offset.cy != 0) m->MoveBy(offset, redraw);
    SSymRect stretched = ClipOf(m.Get());
    const SSymRect before = stretched;
    if (m_bVertical) {
      stretched.y1 = p.y1;
      stretched.y2 = p.y2;
    } else {
      stretched.x1 = p.x1;
      stretched.x2 = p.x2;
    }
    // Written straight into the member: the arrangement is not a user step.
    if (stretched != before)
      if (SSymBase* base = SSymBase::FromInterface(m.Get())) base->PutRect(stretched);
  }
  const SSymRect fitted = m_bVertical ? SSymRect(p.x1, p.y1, pos, p.y2) : SSymRect(p.x1, pos, p.x2, p.y2);
  const long long moved = std::llabs(static_cast<long long>(fitted.x1) - p.x1) +
                          std::llabs(static_cast<long long>(fitted.y1) - p.y1) +
                          std::llabs(static_cast<long long>(fitted.x2) - p.x2) +
                          std::llabs(static_cast<long long>(fitted.y2) - p.y2);
  if (moved > ArrangeTolerance) PutRect(fitted);
  if (redraw) Sym()->Redraw(nullptr);
}

void SSymSwimLane::GetNewSwimlaneRect(SSymRect& rect) {
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  const SSymRect p = ClipOf(Sym());
  rect = p;
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 1);
  const int n = lanes.GetOrderCount();
  if (n > 0) {
    ISSymbol* last = lanes.GetOrderAt(n - 1);
    SComWrap<ISSwimlane> lastLane(last);
    if (lastLane.IsNull()) return;
    // A new lane follows the last lane when that is an inner lane; an end
    // lane stays the last, so the new one goes before it.
    ISSymbol* ref = lastLane->IsInnerLane() ? last : (n >= 2 ? lanes.GetOrderAt(n - 2) : last);
    const SSymRect q = ClipOf(ref);
    if (m_bVertical) rect = SSymRect(q.x2, p.y1, q.x2 + NewLaneLength, p.y1 - h);
    else rect = SSymRect(p.x1, q.y1 + NewLaneLength, p.x1 + h, q.y1);
    return;
  }
  if (m_bVertical) {
    rect = p.Width() >= FillEmptyPoolFrom ? SSymRect(p.x1, p.y1, p.x2, p.y1 - h)
                                          : SSymRect(p.x1, p.y1, p.x1 + NewLaneLength, p.y1 - h);
  } else {
    rect = p.Height() >= FillEmptyPoolFrom ? SSymRect(p.x1, p.y1, p.x1 + h, p.y2)
                                           : SSymRect(p.x1, p.y2 + NewLaneLength, p.x1 + h, p.y2);
  }
}

// ---- turning -----------------------------------------------------------------------------------
SSymPoint SSymSwimLane::RotatePointInLane(const SSymPoint& p, const SSymRect& from, const SSymRect& to,
                                          int nowVertical) {
  const LONG a = p.x - from.x1;
  if (!nowVertical) {
    const LONG b = from.y1 - p.y;
    return SSymPoint(to.x1 + b, to.y2 + a);
  }
  const LONG c = p.y - from.y2;
  return SSymPoint(to.x1 + c, to.y1 - a);
}

void SSymSwimLane::RotateLaneAt(ISSymbol* lane, const SSymPoint& anchor) {
  RepObjWrap laneObj(lane);
  if (!lane || laneObj.IsNull()) return;
  // The content's centres before the lane turns.
  std::vector<std::pair<SComWrap<ISSymbol>, SSymPoint>> content;
  for (const SComWrap<ISSymbol>& s : SubSymbolsOf(laneObj.Get()))
    content.emplace_back(s, Centre(s->GetClipRect(0, 0)));

  const SSymRect from = ClipOf(lane);
  SSymRect to = TurnAboutCentre(from);
  // The start corner of the turned lane goes onto the anchor: bottom-left
  // when the pool is now vertical, bottom-right when now horizontal.
  const SSymPoint corner = m_bVertical ? SSymPoint(to.x1, to.y2) : SSymPoint(to.x2, to.y2);
  to.OffsetRect(anchor.x - corner.x, anchor.y - corner.y);
  laneObj->SetAttribute(SymAttr::ClipRect, RectValue(to));

  for (auto& [s, c] : content) {
    SComWrap<ISSymPolyline> poly(s);
    if (poly.IsNull()) {
      const SSymPoint n = RotatePointInLane(c, from, to, m_bVertical);
      s->MoveBy(SSymSize(n.x - c.x, n.y - c.y), 0);
      continue;
    }
    SSymListPt pts;
    if (poly->GetListPt(pts) != S_OK) continue;
    // A link keeps its attached ends; its inner points turn with the lane.
    const bool link = !SComWrap<ISSymLink>(s).IsNull();
    const int count = pts.GetCount();
    for (int i = 0; i < count; ++i) {
      if (link && (i == 0 || i == count - 1)) continue;
      pts.GetAt(i) = RotatePointInLane(pts.GetAt(i), from, to, m_bVertical);
    }
    poly->SetListPt(pts, 0, 0);
  }
}

void SSymSwimLane::ChangeOrientation() {
  SetCascadeAllowed noCascade(false);
  const SSymRect turned = TurnAboutCentre(GetClipRect(0, 0));
  SetAttrRect(turned);
  m_bVertical = m_bVertical ? 0 : 1;
  SSymRect t = turned;
  SSymPoint anchor = t.GetPoint(m_bVertical ? 6 : 4);
  SSymSwimGroupUpdate update;
  for (const SComWrap<ISSymbol>& m : Members()) {
    const SSymRect before = m->GetClipRect(0, 0);
    if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) group->RotateAt(anchor);
    else RotateLaneAt(m.Get(), anchor);
    // The old extent without the +1, so that turned lanes share their edges.
    if (m_bVertical) anchor.x += std::labs(before.y1 - before.y2);
    else anchor.y += std::labs(before.x2 - before.x1);
  }
}

// ---- sizes -------------------------------------------------------------------------------------
HRESULT SSymSwimLane::SetSize(const SRep_Point& size) {
  SetHeight(size.y);
  SetWidth(size.x);
  return S_OK;
}

HRESULT SSymSwimLane::SetHeight(int height) {
  if (m_bVertical) return SetAlong(height);
  SRep_Point s = SSymBase::GetSize();
  s.y = height;
  SSymBase::SetSize(s);
  return S_OK;
}

HRESULT SSymSwimLane::SetWidth(int width) {
  if (!m_bVertical) return SetAlong(width);
  SRep_Point s = SSymBase::GetSize();
  s.x = width;
  SSymBase::SetSize(s);
  return S_OK;
}

HRESULT SSymSwimLane::SetAlong(LONG extent) {
  const SSymRect current = GetClipRect(0, 0);
  SSymRect r = current;
  r.Normalize();
  LONG lo = 0, hi = 0;
  if (m_bVertical) {
    lo = r.y2;
    hi = r.y1 - m_nHeadSize;
  } else {
    lo = r.x1 + m_nHeadSize;
    hi = r.x2;
  }
  GetLanesValidSpan(lo, hi);
  // The pool never gets shorter than its lanes' contents and its heading.
  const LONG minimum = hi - lo + m_nHeadSize;
  const LONG wanted = std::max(extent, minimum);
  if (m_bVertical) r.SetHeight(wanted);
  else r.SetWidth(wanted);
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (!diagram.IsNull()) diagram->SnapToGrid(r);
  if (r == current) return 1;
  return SetAttrRect(r);
}

// ---- separator line ----------------------------------------------------------------------------
void SSymSwimLane::LinePoints(SSymPoint& a, SSymPoint& b) {
  SSymRect r = GetClipRect(0, 0);
  a = r.GetPoint(m_bVertical ? 0 : 6);
  b = r.GetPoint(m_bVertical ? 6 : 4);
}

void SSymSwimLane::EnsureLineSym(int placeOnCreate) {
  SSymPoint a, b;
  LinePoints(a, b);
  SSymListPt expected;
  expected.Add(a);
  expected.Add(b);
  if (m_pLineSym.IsNull()) {
    SRepSession* session = GetSessionImpl();
    SComOut<ISSymbol> line;
    // Without the separator's class the pool simply has no line.
    if (!session || session->CreateObject(CLSID_SSymSwimColn, IID_ISSymbol, line.Void()) != S_OK || !line) return;
    m_pLineSym = line.Get();
    // Placed before it knows its pool, so that placing is not taken for a
    // drag of the pool's start edge.
    SComWrap<ISSymPolyline> poly(m_pLineSym);
    if (!poly.IsNull()) poly->SetListPt(expected, placeOnCreate, 0);
    if (SSymSwimColn* coln = SSymSwimColn::FromInterface(m_pLineSym.Get())) coln->SetObjSym(Sym());
    return;
  }
  SComWrap<ISSymPolyline> poly(m_pLineSym);
  if (poly.IsNull()) return;
  SSymListPt now;
  poly->GetListPt(now);
  if (now.GetCount() == 2 && now.GetAt(0) == a && now.GetAt(1) == b) return;
  // Outside any recording context the line takes the points as they are.
  SCurrentContextChange none(Obj(), nullptr);
  poly->SetListPt(expected, 0, 0);
}

void SSymSwimLane::ReadOrientation() {
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  if (diagram.IsNull()) return;
  if (ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get())) {
    m_bVertical = prefs->GetSwimlaneVert();
    return;
  }
  // Without preferences the saved preference text decides.
  m_bVertical = 1;
  RepObjWrap obj(diagram);
  SRepVariant v;
  if (!obj.IsNull() && obj->GetAttribute(kIdDispPrefSave, &v) == S_OK) {
    const SString text = v.GetAsText();
    if (text.Find(u"SwimlaneVert=No") >= 0) m_bVertical = 0;
  }
}

// ---- notifications -----------------------------------------------------------------------------
void SSymSwimLane::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  SRepFaces::OnCollectionInsert(id, other, pos);
  SRepSession* session = GetSessionImpl();
  const bool arrange = !session || !session->IsArrangeSuppressed();
  if (!InLockoutContext()) {
    if (id == SymAttr::ParentColl) {
      ReadOrientation();
      EnsureLineSym(1);
      return;
    }
    if (id == SymAttr::Symbols && arrange) {
      SComWrap<ISSymbol> member(other);
      if (!member.IsNull() && member->GetSymbolType() == GroupTypeCode) {
        SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
        SSymCanvas* canvas = diagram.IsNull() ? nullptr : SSymGetViewCanvas(diagram->GetFirstView());
        if (canvas) {
          GetHeadSize(*canvas);
        } else {
          SSymDeftCanvas screen;
          GetHeadSize(screen);
        }
      }
      Sym()->Redraw(nullptr);
    }
  }
  if (id != SymAttr::Symbols || !arrange) return;
  SComWrap<ISSymDiagram> diagram = DiagramOf(Sym());
  RepObjWrap diagramObj(diagram);
  SRepVariant name;
  if (diagramObj.IsNull() || diagramObj->GetAttribute(kIdName, &name) != S_OK || name.GetAsText().IsEmpty()) return;
  ArrangeRecorded(this, OpenContext(), 1);
}

void SSymSwimLane::OnCollectionRemove(LONG id, ISRepObject* other) {
  SRepSession* session = GetSessionImpl();
  if (session && session->IsHandlingSuppressed()) return;
  RepObjWrap hold(Obj());  // a pool that deletes itself lives to the end of the notice
  if (id == SymAttr::Symbols) {
    if (!SRepSession::m_pUndoContext && !IsDeleting() && !IsDeleted()) {
      // Every lane and every group keeps the pool: a pool is only deleted
      // when nothing it arranges is left in it, never with lanes in it.
      int kept = 0;
      for (const SComWrap<ISSymbol>& m : Members())
        if (m->GetSymbolType() == GroupTypeCode || !SComWrap<ISSwimlane>(m).IsNull()) ++kept;
      if (kept == 0 && !g_bInSwimGroupUpdate) {
        ISRepContext* undo = session ? SRepGetUndoContext(session) : nullptr;
        if (!(undo && undo->IsKeepObject(Obj()))) {
          Delete();
          return;
        }
      } else {
        ArrangeRecorded(this, OpenContext(), 0);
      }
    }
    SComWrap<ISSymbol> removed(other);
    if (!IsDeleting() && !IsDeleted() && !removed.IsNull() && removed->GetSymbolType() == GroupTypeCode) {
      Sym()->Redraw(nullptr);
      SSymDeftCanvas screen;
      GetHeadSize(screen);
    }
  }
  SRepFaces::OnCollectionRemove(id, other);
  if (id == SymAttr::Symbols && !IsDeleting() && !IsDeleted()) ArrangeRecorded(this, OpenContext(), 1);
}

// ---- links -------------------------------------------------------------------------------------
void SSymSwimLane::CompleteLink(int flag) {
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 0);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    ISSymbol* lane = lanes.GetOrderAt(i);
    SComWrap<ISSymCompSym> comp(lane);
    SComWrap<ISSymObject> obj(lane);
    if (comp.IsNull() || obj.IsNull() || lane->IsHidden()) continue;
    obj->CompleteLink(flag);
    SComTable<ISSymbol> children;
    comp->GetAllChildren(children, 1);
    for (int c = 0; c < children.GetCount(); ++c) {
      ISSymbol* child = children.GetAt(c);
      SComWrap<ISSymObject> childObj(child);
      if (!child->IsHidden() && !childObj.IsNull()) childObj->CompleteLink(flag);
    }
  }
}

void SSymSwimLane::DrawLaneLinks(SSymCanvas& canvas) {
  SUnsortedComBag<ISSymbol> lanes;
  GetAllLane(lanes, 0);
  SUnsortedComBag<ISSymbol> children;
  SUnsortedComBag<ISSymLink> laneLinks;
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    ISSymbol* lane = lanes.GetOrderAt(i);
    SComWrap<ISSymCompSym> comp(lane);
    if (!comp.IsNull()) {
      SComTable<ISSymbol> table;
      comp->GetAllChildren(table, 0);
      for (int c = 0; c < table.GetCount(); ++c) children.Add(table.GetAt(c));
    }
    // A lane that takes no links has none to draw.
    SComWrap<ISSymLinkable> linkable(lane);
    if (linkable.IsNull()) continue;
    const SComBag<ISSymLink>& links = linkable->GetLinks();
    for (int l = 0; l < links.GetCount(); ++l) laneLinks.Add(links.GetAt(l));
  }
  DrawSymbolSetLinks(canvas, children, Sym());
  for (int l = 0; l < laneLinks.GetOrderCount(); ++l) {
    SComWrap<ISSymShadow> shadow(laneLinks.GetOrderAt(l));
    if (!shadow.IsNull()) shadow->DrawSymbol(canvas);
  }
}

// ---- drawing -----------------------------------------------------------------------------------
HRESULT SSymSwimLane::Draw(SSymCanvas& canvas) {
  if (IsHidden() || (m_state & StateNoRedraw)) return 1;
  m_state |= StateNoRedraw;
  struct Clear {
    DWORD& state;
    ~Clear() { state &= ~static_cast<DWORD>(StateNoRedraw); }
  } clear{m_state};
  if (!(m_state & StateInitialized)) InitialSym(Sym());
  m_nHeadSize = GetHeadSize(canvas);
  EnsureLineSym(0);
  {
    SCurrentContextChange none(Obj(), nullptr);
    ArrangeLanes(0);
  }
  canvas.SetPen(m_pen);
  {
    // The pool draws its lanes' contents itself, over every lane and with
    // their links (DrawLaneLinks): a composite lane drawing its children as
    // well would draw them twice, so its own child drawing rests meanwhile.
    LaneChildDrawPause pause(*this);
    for (const SComWrap<ISSymbol>& m : Members())
      if (!m->IsHidden()) m->Draw(canvas);
  }
  DrawLaneLinks(canvas);
  return S_OK;
}

SSymSwimLane::LaneChildDrawPause::LaneChildDrawPause(SSymSwimLane& pool) {
  SUnsortedComBag<ISSymbol> lanes;
  pool.GetAllLane(lanes, 0);
  for (int i = 0; i < lanes.GetOrderCount(); ++i) {
    ISSymbol* lane = lanes.GetOrderAt(i);
    SSymBase* base = SComWrap<ISSymCompSym>(lane).IsNull() ? nullptr : SSymBase::FromInterface(lane);
    if (!base || (base->m_state & SSymCompImpl::StateNoChildDraw)) continue;
    base->m_state |= SSymCompImpl::StateNoChildDraw;
    m_paused.emplace_back(lane);
  }
}

SSymSwimLane::LaneChildDrawPause::~LaneChildDrawPause() {
  for (const SComWrap<ISSymbol>& lane : m_paused)
    if (SSymBase* base = SSymBase::FromInterface(lane.Get()))
      base->m_state &= ~static_cast<DWORD>(SSymCompImpl::StateNoChildDraw);
}

KV_SYM_ACCESSORS(SSymSwimLane) { KV_SYM_FIELD(Group, m_nGroupType); };
KV_SYM_DEFINE_CLASS_TABLES(SSymSwimLane)
KV_SYM_IMPLEMENT_POOL(SSymSwimLane, g_symClasses[SYMCLS_SSymSwimLane].poolBlocks);
KV_SYM_REGISTER(SSymSwimLane, &SSymSwimLane::CreateInstance);
