// The heading height the swimlane pools of a diagram share (SwimHeight):
// fitted to the tallest heading text of their lanes, measured on the
// diagram's first window, then every pool re-measures its heading band and
// re-arranges its lanes.
//
// Drawing calls this on every paint of a window whose preferences ask for
// it, so small differences (measurements that move by a few units with the
// zoom) neither touch the model nor re-arrange anything.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "kvrep/srepsession.h"
#include "kvrep/srepvariant.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/render/symcanvview.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
// The top-level pools of the diagram's Symbols, in drawing order.
std::vector<SComWrap<ISSymbol>> TopLevelPools(SRepCollection* symbols) {
  std::vector<SComWrap<ISSymbol>> out;
  for (SRepObject* item : symbols->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
    if (!s.IsNull() && s->GetSymbolType() == SSymSwimLane::TypeCode) out.push_back(s);
  }
  return out;
}

// The height a lane's heading text takes: wrapped within the lane's width
// across the heading band when names wrap ("Mode" 2), else on its lines.
LONG HeadingTextHeight(SSymCanvas& canvas, ISSymbol* lane, ISSwimlane& face, int wrap, int vertical) {
  const SString text = face.GetLaneText();
  const SSymFont font = face.GetLaneFont();
  if (wrap != 2) return canvas.GetTextHeight(text, font);
  const SSymRect r = lane->GetClipRect(0, 0);
  const LONG width = vertical ? std::labs(r.x2 - r.x1) + 1 : std::labs(r.y1 - r.y2) + 1;
  return canvas.GetWrapTextExtent(text, font, static_cast<int>(width)).cy;
}
}  // namespace

LONG SSymDiagramImpl::SwimHeightFor(LONG text) { return std::max(text + SwimHeadMargin, SwimHeightMin); }

bool SSymDiagramImpl::AdjustSwimHeight(bool force) {
  SRepCollection* symbols = Collection(IdSymbols);
  if (symbols->GetCount() == 0) return true;
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !prefs->IsSupportSwimSymbol()) return false;
  SSymView* view = GetFirstView();
  if (!view) return false;

  const LONG current = Int(IdSwimHeight);
  const std::vector<SComWrap<ISSymbol>> pools = TopLevelPools(symbols);
  {
    // Every lane of every pool, hidden ones left out, pools in drawing order.
    SUnsortedComBag<ISSymbol> lanes;
    for (const SComWrap<ISSymbol>& p : pools)
      if (SSymSwimLane* pool = SSymSwimLane::FromInterface(p.Get())) pool->GetAllLane(lanes, 0);

    SSymView::LockCanvas locked(view);
    SSymCanvas& canvas = view->GetCanvas();
    const int wrap = static_cast<int>(prefs->GetWrapMode());
    const int vertical = prefs->GetSwimlaneVert();
    LONG tallest = 0;
    for (int i = 0; i < lanes.GetOrderCount(); ++i) {
      ISSymbol* lane = lanes.GetOrderAt(i);
      SComWrap<ISSwimlane> face(lane);
      if (face.IsNull()) continue;
      tallest = std::max(tallest, HeadingTextHeight(canvas, lane, *face.Get(), wrap, vertical));
    }

    const LONG wanted = SwimHeightFor(tallest);
    if (std::labs(wanted - current) > SwimHeightTolerance) {
      SRepCreateOrReuseContext step(static_cast<ISRepObject*>(static_cast<ISRepObjectBase*>(this)), 1, 1, 0);
      Set_INT(IdSwimHeight, wanted);
    } else if (!SRepGetUndoContext(static_cast<ISRepSession*>(GetSessionImpl())) && !force) {
      return false;
    }
  }

  // Each pool measures its heading band again (moving its heading edge when
  // the band changed) and lays its lanes out under it.
  for (const SComWrap<ISSymbol>& p : pools) {
    if (!GetFirstView()) break;
    p->Redraw(nullptr);
    if (SSymSwimLane* pool = SSymSwimLane::FromInterface(p.Get())) {
      SSymView::LockCanvas locked(GetFirstView());
      pool->GetHeadSize(GetFirstView()->GetCanvas());
    }
    if (SComWrap<ISSymSwimPool> face(p.Get()); !face.IsNull()) face->ArrangeLanes(1);
    p->Redraw(nullptr);
  }
  return true;
}
