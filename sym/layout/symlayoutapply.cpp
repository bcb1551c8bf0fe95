// Applying a placed structure to its symbols: each symbol moves by its
// node's offset (rounded to the grid, kept inside the drawing area), and the
// links of a symbol that moved far lose their bends, a self-link keeping its
// loop.
#include "kvcore/scomwrap.h"
#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symlistpt.h"
#include "sym/layout/symlayoutgraph.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfowner.h"

SSymRect SymLayoutAreaOf(ISSymbol* symbol) {
  SComWrap<ISSymTree> tree(symbol);
  return tree.IsNull() ? symbol->GetClipRect(0, 1) : tree->GetChildrenRect();
}

bool SymLayoutMoveWhole(ISSymbol* symbol, const SSymSize& offset) {
  // A tree's own move leaves its branch line and children where they are,
  // and a branch line carries its tree's children along: so the lines are
  // moved, in pre-order, and each brings the level below it.
  constexpr int kTypeTreeLine = 15;
  bool moved = SUCCEEDED(symbol->MoveBy(offset, 1));
  SComWrap<ISSymTree> tree(symbol);
  if (tree.IsNull()) return moved;
  SComTable<ISSymbol> below;
  tree->GetAllChildren(below, 1, 1);
  for (int i = 0; i < below.GetCount(); ++i) {
    ISSymbol* s = below.GetAt(i);
    if (s && s->GetSymbolType() == kTypeTreeLine && FAILED(s->MoveBy(offset, 1))) moved = false;
  }
  return moved;
}

namespace {

// The largest multiple of grid not above v + grid / 2: halves round upward.
LONG RoundToGrid(LONG v, LONG grid) {
  const long long shifted = static_cast<long long>(v) + grid / 2;
  long long q = shifted / grid;
  if (shifted % grid != 0 && shifted < 0) --q;
  return static_cast<LONG>(q * grid);
}

// The move that keeps a centre inside the drawing area.
LONG ClampMove(LONG centre, LONG d) {
  const long long to = static_cast<long long>(centre) + d;
  if (to > kSymLayoutEdge) return static_cast<LONG>(kSymLayoutEdge - static_cast<long long>(centre));
  if (to < -kSymLayoutEdge) return static_cast<LONG>(-kSymLayoutEdge - static_cast<long long>(centre));
  return d;
}

bool Answers(IUnknown* unknown, const IID& iid) {
  void* p = nullptr;
  if (!unknown || FAILED(unknown->QueryInterface(iid, &p)) || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}

// A move of about 632 units or more takes the bends out of the links.
constexpr long long kStraightenSquare = 400000;

void Straighten(SSymAutoLayoutNode* node, SSymAutoLayoutLink* l, LONG dx, LONG dy) {
  ISSymbol* symbol = l->GetSymbol();
  SComWrap<ISSymLine> line(symbol);
  SComWrap<ISSymPolyline> poly(symbol);
  if (line.IsNull() || poly.IsNull()) return;
  SSymListPt list;
  if (FAILED(poly->GetListPt(list)) || list.GetCount() <= 2) return;
  const int count = list.GetCount();
  if (l->GetSourceNode() == node && l->GetDestNode() == node) {
    // A self-link keeps its loop: its inner points follow the symbol.
    const SSymPoint last = list[count - 1];
    for (int i = 1; i < count - 1 && !(list[i] == last); ++i) {
      list[i].x += dx;
      list[i].y += dy;
    }
  } else {
    SSymListPt ends{list[0], list[count - 1]};
    list = ends;
  }
  poly->SetListPt(list, 1, 0);
}
}  // namespace

int SSymAutoLayoutStruct::MoveSymbols(ISRepContext* /*context*/, LONG grid) {
  int result = 1;
  for (SSymAutoLayoutNode* node : m_placed) {
    LONG dx = node->m_dx, dy = node->m_dy;
    if (grid > 0) {
      dx = RoundToGrid(dx, grid);
      dy = RoundToGrid(dy, grid);
    }
    ISSymbol* symbol = node->GetSymbol();
    if ((!dx && !dy) || !symbol) continue;
    const SSymRect r = symbol->GetClipRect(0, 0);
    const LONG cx = static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2);
    const LONG cy = static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2);
    dx = ClampMove(cx, dx);
    dy = ClampMove(cy, dy);
    if (!dx && !dy) continue;
    // A symbol that refuses to move is reported; the others still move.
    if (!SymLayoutMoveWhole(symbol, SSymSize(dx, dy))) result = 0;
    if (static_cast<long long>(dx) * dx + static_cast<long long>(dy) * dy < kStraightenSquare) continue;
    for (SSymAutoLayoutLink* l : node->m_links) Straighten(node, l, dx, dy);
  }
  return result;
}

int SSymAutoLayoutStruct::ArrangeAttachPoints(ISSymLink* link) {
  if (!link) return 0;
  SComOut<ISSymbol> source, dest;
  link->GetAttachSym(0, &source);
  link->GetAttachSym(1, &dest);
  if (source && (Answers(source.Get(), IID_ISSymSlave) || Answers(source.Get(), IID_ISSymComplex))) return 0;
  if (!source || !dest || SRepAreSameObjects(source.Get(), dest.Get())) return 1;
  SComWrap<ISSymPolyline> poly(link);
  if (poly.IsNull()) throw SECOMException("SSymAutoLayoutStruct::ArrangeAttachPoints", __FILE__, __LINE__, E_POINTER);
  SSymListPt list;
  poly->GetListPt(list);
  // An empty list has no ends to put back.
  if (list.GetCount() == 0) return 0;
  auto target = [&](ISSymbol* s, int end) {
    SSymPoint pt = s->GetClipRect(0, 0).GetCenter();
    SComWrap<ISSymLinkable> linkable(s);
    if (!linkable.IsNull()) {
      SSymPoint def = pt;
      if (linkable->GetDefAttachPt(link, end, def)) pt = def;
    }
    return pt;
  };
  const SSymPoint first = target(source.Get(), 0), last = target(dest.Get(), 1);
  const int n = list.GetCount();
  if (list[0] == first && list[n - 1] == last) return 0;
  list[0] = first;
  if (n > 1) list[n - 1] = last;
  poly->SetListPt(list, 1, 0);
  return 1;
}
