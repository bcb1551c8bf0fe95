#include "sym/composite/symswim.h"

#include <algorithm>
#include <cstdlib>

#include "kvrep/srepsession.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfview.h"

namespace {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Owner chains are short; a damaged chain (a cycle) stops here.
constexpr int kMaxOwnerDepth = 64;

SSymRect Normalized(SSymRect r) {
  r.Normalize();
  return r;
}

LONG Abs(LONG v) { return v < 0 ? -v : v; }

// a + b saturated at the coordinate range.
LONG AddSat(LONG a, long long b) {
  const long long s = static_cast<long long>(a) + b;
  return static_cast<LONG>(std::clamp<long long>(s, -2147483647LL, 2147483647LL));
}

}  // namespace

// No attributes of its own: the maps chain to the text symbol's.
KV_SYM_DEFINE_CLASS_TABLES(SSymSwim)
KV_SYM_IMPLEMENT_POOL(SSymSwim, g_symClasses[SYMCLS_SSymSwim].poolBlocks);
KV_SYM_REGISTER(SSymSwim, &SSymCreateStd<SSymSwim>);

// ---- life -------------------------------------------------------------------------------------
SSymSwim::SSymSwim(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}

// The copy gets a separator of its own when it is placed.
SSymSwim::SSymSwim(const SSymSwim& source) : SRepFaces(source) {}

SSymSwim::~SSymSwim() { ReleaseColn(); }

void SSymSwim::ForgetSession() {
  ReleaseColn();
  SSymSolidText::ForgetSession();
}

void SSymSwim::ReleaseColn() {
  SComWrap<ISSymbol> coln = std::move(m_pColnSym);
  m_pColnSym = SComWrap<ISSymbol>();
  if (SSymSwimColn* line = SSymSwimColn::FromInterface(coln.Get()); line && line->GetObjSym() == Sym())
    line->SetObjSym(nullptr);
}

// ---- the pool -----------------------------------------------------------------------------------
ISSymbol* SSymSwim::GetPoolSym() {
  // A lane inside a lane group is owned by the group: the pool is further up.
  SComWrap<ISSymbol> at(Sym());
  for (int depth = 0; depth < kMaxOwnerDepth && !at.IsNull(); ++depth) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) return nullptr;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) return nullptr;  // the diagram: no pool
    if (!SComWrap<ISSymSwimPool>(up.Get()).IsNull()) return up.Get();  // held by its diagram
    at = up;
  }
  return nullptr;
}

int SSymSwim::PoolOrientation() {
  SComWrap<ISSymSwimPool> pool(GetPoolSym());
  return pool.IsNull() ? 1 : pool->IsVertical();
}

LONG SSymSwim::HeadingHeight() {
  SComOut<ISSymDiagram> diagram;
  Sym()->GetDiagram(&diagram);
  return SSymSwimHeadingHeight(diagram.Get());
}

SSymRect SSymSwim::HolderSpan(ISSymbol* poolSym) {
  SSymRect span = Normalized(poolSym->GetClipRect(0, 0));
  SComOut<ISSymOwner> owner;
  if (Sym()->GetOwner(&owner) != S_OK || !owner) return span;
  SComWrap<ISSymbol> holder(owner.Get());
  SSymSwimGroup* group = SSymSwimGroup::FromInterface(holder.Get());
  if (!group) return span;
  // A lane in a group starts below the group's heading band, which the
  // group draws over it otherwise.
  span = Normalized(holder->GetClipRect(0, 0));
  if (PoolOrientation()) span.y1 = AddSat(span.y1, -static_cast<long long>(group->m_nHeadSize));
  else span.x1 = AddSat(span.x1, group->m_nHeadSize);
  return span;
}

// ---- thickness ---------------------------------------------------------------------------------
HRESULT SSymSwim::SetSize(const SRep_Point& size) {
  return PoolOrientation() == 0 ? SetHeight(size.y) : SetWidth(size.x);
}

HRESULT SSymSwim::SetHeight(int height) { return SetThickness(height, false); }
HRESULT SSymSwim::SetWidth(int width) { return SetThickness(width, true); }

HRESULT SSymSwim::SetThickness(LONG thickness, bool vertical) {
  ISSymbol* poolSym = GetPoolSym();
  SComWrap<ISSymSwimPool> pool(poolSym);
  SSymBase* poolBase = SSymBase::FromInterface(poolSym);
  if (pool.IsNull() || !poolBase) return 1;
  if ((pool->IsVertical() != 0) != vertical) return 1;
  // A thickness of nothing or less would turn the lane inside out.
  if (thickness <= 0) return 1;
  SSymRect l = Normalized(Sym()->GetClipRect(0, 0));
  SSymRect p = Normalized(poolSym->GetClipRect(0, 0));
  const long long now = vertical ? static_cast<long long>(l.x2) - l.x1 : static_cast<long long>(l.y1) - l.y2;
  const long long delta = now - thickness;
  if (std::llabs(delta) < MinResize) return 1;
  // The first lane of the pool grows at its start edge (bottom or left),
  // together with the pool; any other lane at its far edge.
  SRepObjIterator it(poolBase->Obj(), SymAttr::Symbols);
  const bool first = SRepAreSameObjects(it.Next(), Obj());
  if (vertical) {
    if (first) l.x1 = AddSat(l.x1, delta), p.x1 = AddSat(p.x1, delta);
    else l.x2 = AddSat(l.x2, -delta), p.x2 = AddSat(p.x2, -delta);
  } else {
    if (first) l.y2 = AddSat(l.y2, delta), p.y2 = AddSat(p.y2, delta);
    else l.y1 = AddSat(l.y1, -delta), p.y1 = AddSat(p.y1, -delta);
  }
  SetAttrRect(l);
  // The pool arranges its lanes again when its rectangle changes.
  poolBase->SetAttrRect(p);
  return 0;
}

// ---- placing into a pool -----------------------------------------------------------------------
void SSymSwim::AddSymInSwim(ISSymDiagram* diagram) {
  if (!diagram) return;
  const int vertical = SSymSwimIsVertical(diagram);
  const SSymRect own = Normalized(Sym()->GetClipRect(0, 0));

  // The diagram's first pool, else a new one as long as a pool gets and of
  // no thickness: the lanes widen it.
  SComWrap<ISSymbol> poolSym;
  {
    SComOut<ISRepClassCol> symbols;
    if (diagram->GetSymbols(&symbols) == S_OK && symbols) {
      SRepObjIterator it(symbols.Get());
      while (ISRepObject* o = it.Next()) {
        SComWrap<ISSymbol> s(o);
        if (!s.IsNull() && s->GetSymbolType() == SSymSwimLane::TypeCode) {
          poolSym = s;
          break;
        }
      }
    }
  }
  if (poolSym.IsNull()) {
    SRepSession* session = GetSessionImpl();
    if (!session) return;
    SComOut<ISSymbol> made;
    if (FAILED(static_cast<ISRepSession*>(session)->CreateObject(CLSID_SSymSwimLane, IID_ISSymbol, made.Void())) ||
        !made)
      return;
    const SSymRect start = vertical ? SSymRect(own.x1, own.y1, own.x1, AddSat(own.y1, -NewPoolLength))
                                    : SSymRect(own.x1, own.y2, AddSat(own.x1, NewPoolLength), own.y2);
    if (SComWrap<ISSymbolInit> init(made.Get()); !init.IsNull()) init->InitialSymRect(start);
    if (FAILED(diagram->Add(made.Get()))) return;
    poolSym = SComWrap<ISSymbol>(made.Get());
  }
  SComWrap<ISSymSwimPool> pool(poolSym);
  SComWrap<ISSymOwner> owner(poolSym);
  if (pool.IsNull() || owner.IsNull()) return;

  SSymRect n;
  pool->GetNewSwimlaneRect(n);
  n.Normalize();
  const int o = pool->IsVertical();
  // A lane drawn thick enough keeps its own thickness.
  auto extentOf = [&](bool across) {
    return across ? static_cast<long long>(own.x2) - own.x1 : static_cast<long long>(own.y1) - own.y2;
  };
  if (vertical) {
    const long long e = std::llabs(extentOf(o == vertical));
    if (e >= KeepOwnThickness) n.x2 = AddSat(n.x1, e);
  } else {
    const long long e = std::llabs(extentOf(o != 0));
    if (e >= KeepOwnThickness) n.y1 = AddSat(n.y2, e);
  }
  if (!(n == m_rect)) SetAttrRect(n);
  owner->Add(Sym());
  if (!IsSymInitialized()) InitialSym(Sym());
}

// ---- the smallest rectangle ---------------------------------------------------------------------
void SSymSwim::GetValidBord(int vertical, SSymRect& out) {
  const SSymRect l = Sym()->GetClipRect(0, 0);
  out = vertical ? SSymRect(l.x1, l.y1, AddSat(l.x1, ValidBord), l.y2)
                 : SSymRect(l.x1, AddSat(l.y2, ValidBord), l.x1, l.y2);
  SComOut<ISSymDiagram> diagram;
  if (Sym()->GetDiagram(&diagram) != S_OK || !diagram || SRepSession::m_pUndoContext) return;
  SComOut<ISRepClassCol> symbols;
  if (diagram->GetSymbols(&symbols) != S_OK || !symbols) return;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  SRepObjIterator it(symbols.Get());
  while (ISRepObject* o = it.Next()) {
    SComWrap<ISSymbol> s(o);
    if (s.IsNull() || SComWrap<ISSymInSwim>(o).IsNull() || !IsSymAttached(s.Get())) continue;
    const SSymRect r = s->GetClipRect(0, 0);
    if (vertical) {
      out.x2 = std::max(out.x2, AddSat(std::max(r.x1, r.x2), AttachedMargin));
      out.y1 = std::max(out.y1, AddSat(r.y1, AttachedMargin));
      out.y2 = std::min(out.y2, AddSat(r.y2, -static_cast<long long>(h) - AttachedMargin));
    } else {
      out.y1 = std::max(out.y1, AddSat(std::max(r.y1, r.y2), AttachedMargin));
      out.x2 = std::max(out.x2, AddSat(r.x2, AttachedMargin));
      out.x1 = std::min(out.x1, AddSat(r.x1, -static_cast<long long>(h) - AttachedMargin));
    }
  }
}

// ---- hit tests -----------------------------------------------------------------------------------
int SSymSwim::IsPtInLane(const SSymPoint& pt) {
  SComOut<ISSymDiagram> diagram;
  SComWrap<ISSymSwimPool> pool(GetPoolSym());
  if (Sym()->GetDiagram(&diagram) != S_OK || !diagram || pool.IsNull()) return 0;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  SSymRect r = Normalized(m_rect);
  // The heading band is not body.
  if (pool->IsVertical()) r.y1 = AddSat(r.y1, -static_cast<long long>(h));
  else r.x1 = AddSat(r.x1, h);
  r.Inflate(-BodyInset, -BodyInset);
  return r.PtInRect(pt) ? 1 : 0;
}

BOOL SSymSwim::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  // The separator first: dragging it resizes the lane.
  if (!m_pColnSym.IsNull() && m_pColnSym->IsPtInSym(canvas, pt, handle, nullptr) && sub) {
    *sub = m_pColnSym.Get();
    (*sub)->AddRef();
    return 1;
  }
  SComOut<ISSymDiagram> diagram;
  ISSymbol* poolSym = GetPoolSym();
  SComWrap<ISSymSwimPool> pool(poolSym);
  if (Sym()->GetDiagram(&diagram) != S_OK || !diagram || pool.IsNull()) return 0;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  // Only the heading band picks the lane: its body belongs to the symbols in it.
  SSymRect r = Normalized(m_rect);
  const SSymRect p = HolderSpan(poolSym);
  if (pool->IsVertical()) r.y2 = AddSat(p.y1, -static_cast<long long>(h));
  else r.x2 = AddSat(p.x1, h);
  return r.PtInRect(pt) ? 1 : 0;
}

// ---- moving ---------------------------------------------------------------------------------------
HRESULT SSymSwim::MoveBy(const SSymSize& offset, int redraw) {
  if (m_nMoving) return 0;
  const HRESULT hr = SSymSolidText::MoveBy(offset, redraw);
  // The separator moves with the lane; a move record being replayed lists
  // the separator itself and moves it on its own.
  SRepSession* session = GetSessionImpl();
  const bool replaying = session && SRepGetApplyingContext(static_cast<ISRepSession*>(session));
  if (!m_pColnSym.IsNull() && !replaying) m_pColnSym->MoveBy(offset, redraw);
  return hr;
}

int SSymSwim::CreateUndoMove(const SSymSize& offset) {
  SRepSession* session = GetSessionImpl();
  if (!session) return 1;
  ISRepContext* ctx = OpenContext();
  if (!ctx) return 1;
  // Recording: the record keeps the way back and the lane moves now (1).
  // Lockout: the record carries the move and the lane waits for it (0).
  const int recording = ctx->IsRecording() ? 1 : 0;
  if (!recording && !InLockoutContext()) {
    StampModified();
    return 1;
  }
  const SSymSize stored = recording ? SSymSize(-offset.cx, -offset.cy) : offset;
  if (auto* last = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
      last && last->m_type == SSymAction_Move && !last->m_bStopMerge) {
    // A group's move carries its lanes along.
    if (!last->m_group.IsNull()) return recording;
    if (last->m_offset.cx == stored.cx && last->m_offset.cy == stored.cy) {
      // Not listed when a holder up the chain (its group or pool) moves
      // with the record: the holder carries the lane, in replays too.
      if (!last->Contains(Sym()) && !HolderListedIn(*last)) last->AddSymbol(Sym());
      return recording;
    }
  }
  auto move = std::make_unique<SSymActionMove>(nullptr);
  move->m_offset = stored;
  {
    SComOut<ISSymDiagram> diagram;
    if (Sym()->GetDiagram(&diagram) == S_OK && diagram) move->m_diagram = diagram.Get();
  }
  // The lane is listed in either case: a pending record must know what to move.
  move->AddSymbol(Sym());
  ctx->AddAction(std::move(move));
  return recording;
}

bool SSymSwim::HolderListedIn(SSymActionBase& record) {
  SComWrap<ISSymbol> at(Sym());
  for (int depth = 0; depth < kMaxOwnerDepth && !at.IsNull(); ++depth) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) return false;
    SComWrap<ISSymbol> up(owner.Get());
    if (up.IsNull()) return false;  // the diagram
    if (record.Contains(up.Get())) return true;
    at = up;
  }
  return false;
}

// ---- drawing ----------------------------------------------------------------------------------------
HRESULT SSymSwim::Draw(SSymCanvas& canvas) {
  if (IsHidden() || m_bDrawing) return 1;
  ISSymbol* poolSym = GetPoolSym();
  SComWrap<ISSymSwimPool> pool(poolSym);
  if (pool.IsNull()) return E_FAIL;
  struct Drawing {
    bool& flag;
    ~Drawing() { flag = false; }
  } drawing{m_bDrawing = true};
  if (!(m_state & StateInitialized)) InitialSym(Sym());

  const SSymRect p = HolderSpan(poolSym);
  SSymRect l = Normalized(m_rect);
  const int o = pool->IsVertical();
  // The lane always spans what its holder gives it (the pool, or its lane
  // group below the group's band); a stored start further off than the
  // tolerance is brought back (arrangement, not a user change: no undo).
  if (o) {
    const LONG d = p.y1 - l.y1;
    if (Abs(d) > AlignTolerance) {
      SSymRect moved = m_rect;
      moved.OffsetRect(0, d);
      PutRect(moved);
    }
    l.y1 = p.y1;
    l.y2 = p.y2;
  } else {
    const LONG d = p.x1 - l.x1;
    if (Abs(d) > AlignTolerance) {
      SSymRect moved = m_rect;
      moved.OffsetRect(d, 0);
      PutRect(moved);
    }
    l.x1 = p.x1;
    l.x2 = p.x2;
  }
  if (SComWrap<ISSymPen> pen(poolSym); !pen.IsNull()) canvas.SetPen(pen->GetPen());
  canvas.SetBrush(m_brush, 0);
  canvas.FillRect(l, m_brush);
  canvas.Line(SSymPoint(l.x1, l.y1), SSymPoint(l.x2, l.y1));
  canvas.Line(SSymPoint(l.x2, l.y1), SSymPoint(l.x2, l.y2));
  canvas.Line(SSymPoint(l.x2, l.y2), SSymPoint(l.x1, l.y2));
  canvas.Line(SSymPoint(l.x1, l.y2), SSymPoint(l.x1, l.y1));

  SComOut<ISSymDiagram> diagram;
  if (Sym()->GetDiagram(&diagram) != S_OK || !diagram) return 1;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  if (o) {
    const LONG y = AddSat(l.y1, -static_cast<long long>(h));
    canvas.Line(SSymPoint(l.x1, y), SSymPoint(l.x2, y));
  } else {
    const LONG x = AddSat(l.x1, h);
    canvas.Line(SSymPoint(x, l.y1), SSymPoint(x, l.y2));
  }
  if (!m_text.IsEmpty()) {
    canvas.SetFont(m_font);
    canvas.SetFontColor(SSymColor(m_fontColor));
    canvas.DrawText(Normalized(m_rect), m_text, LaneTextStyle);
  }
  return 0;
}

HRESULT SSymSwim::DrawHandles(SSymCanvas& canvas) {
  if (IsHidden()) return S_OK;
  SSymRect r = Normalized(m_rect);
  if (!m_pColnSym.IsNull()) r = Union(r, Normalized(m_pColnSym->GetClipRect(0, 0)));
  canvas.DrawHandles(r);
  return S_OK;
}

SSymRect SSymSwim::GetActiveRect(SSymCanvas& canvas, int a) {
  SSymRect r = SSymSolidText::GetActiveRect(canvas, a);
  if (!m_pColnSym.IsNull()) r = Union(Normalized(r), Normalized(m_pColnSym->GetActiveRect(canvas, a)));
  return r;
}

HRESULT SSymSwim::InitialSym(ISSymbol*) {
  if (m_state & StateInitialized) return 1;
  m_state |= StateInitialized;
  return 0;
}

// ---- the separator --------------------------------------------------------------------------------
void SSymSwim::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) {
  SSymSolid::OnCollectionInsert(id, owner, pos);
  if (InLockoutContext() || id != SymAttr::ParentColl || !m_pColnSym.IsNull()) return;
  SRepSession* session = GetSessionImpl();
  if (!session) return;
  SComOut<ISSymbol> made;
  if (FAILED(static_cast<ISRepSession*>(session)->CreateObject(CLSID_SSymSwimColn, IID_ISSymbol, made.Void())) ||
      !made)
    return;
  SSymSwimColn* line = SSymSwimColn::FromInterface(made.Get());
  if (!line) return;
  m_pColnSym = SComWrap<ISSymbol>(made.Get());
  line->SetObjSym(Sym());
  SComWrap<ISSymbol> parent(owner);
  if (parent.IsNull()) return;
  const SSymRect p = parent->GetClipRect(0, 0);
  const SSymRect l = Sym()->GetClipRect(0, 0);
  const LONG right = std::max(l.x1, l.x2), top = std::max(l.y1, l.y2);
  const SSymListPt pts = PoolOrientation() ? SSymListPt{SSymPoint(right, p.y1), SSymPoint(right, p.y2)}
                                           : SSymListPt{SSymPoint(p.x2, top), SSymPoint(p.x1, top)};
  // The first placing of the line, not a drag of it.
  line->SSymPolyBase::SetListPt(pts, 0, 0, 0);
}

void SSymSwim::OnCollectionRemove(LONG id, ISRepObject* other) { SSymSolid::OnCollectionRemove(id, other); }

// ---- deleting -----------------------------------------------------------------------------------------
HRESULT SSymSwim::Delete() {
  SComWrap<ISSymbol> keep(Sym());  // the owner may hold the last reference
  if (!InLockoutContext())
    if (SSymView* view = GetView()) SSymViewNotifyRemove(view, Sym());
  {
    SComOut<ISSymOwner> owner;
    if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) owner->Remove(Sym());
  }
  if (!m_pColnSym.IsNull()) {
    if (RepObjWrap line(m_pColnSym.Get()); !line.IsNull()) line->Delete();
    SRepSession* session = GetSessionImpl();
    // Undo recording keeps the separator for the lane's return.
    if (!session || !SRepGetUndoContext(session)) ReleaseColn();
  }
  return SSymSolidText::Delete();
}
