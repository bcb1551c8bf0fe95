// Selection by rectangle: which top-level symbols, which children of
// composites and which children of a pool's lanes a selection frame takes.
#include <set>
#include <vector>

#include "kvcore/snotify.h"
#include "kvrep/srepiter.h"
#include "sym/composite/symcompselect.h"
#include "sym/composite/symcompupdate.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symlistpt.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfselection.h"

namespace {
constexpr LONG kSymbols = 0x02010015;
constexpr int kTypePool = 12;
constexpr int kTypeSwimGroup = 17;
// Nesting is shallow; a deeper descent is a loop in the Symbols collections.
constexpr int kMaxDepth = 256;
// How many symbols ahead a walk over a whole diagram asks the memory for.
constexpr std::size_t kAhead = 8;

// The members of an object's Symbols collection, taken before the walk so
// that what the selection does meanwhile cannot disturb it.
std::vector<SComWrap<ISSymbol>> SymbolsOf(IUnknown* owner) {
  std::vector<SComWrap<ISSymbol>> out;
  SComWrap<ISRepObject, &IID_ISRepObject> obj(owner);
  if (obj.IsNull() || obj->HasCollection(kSymbols) != S_OK) return out;
  for (SRepIter<ISSymbol> it(obj, kSymbols); !it.IsDone(); ++it)
    if (it.Get()) out.push_back(it.Current());
  return out;
}

// Whether the rectangle lies wholly within the frame (normalised), borders
// included. Compared corner by corner: an intersection would answer the
// all-zero rectangle for rectangles that miss each other, and so would take a
// symbol that has no extent yet (all zero) into every frame.
bool Within(const SSymRect& frame, SSymRect r) {
  r.Normalize();
  return r.x1 >= frame.x1 && r.x2 <= frame.x2 && r.y2 >= frame.y2 && r.y1 <= frame.y1;
}

// Whether the frame (normalised) encloses the symbol: every point of a
// polyline, the whole clip rectangle of anything else.
// points: a scratch list the caller keeps across symbols (one allocation for
// a whole frame, not one per line).
bool Encloses(const SSymRect& frame, ISSymbol* symbol, SSymListPt& points) {
  SComWrap<ISSymPolyline> poly(symbol);
  if (!poly.IsNull()) {
    if (FAILED(poly->GetListPt(points))) return false;
    // A line without points yet is judged by its rectangle, not taken by
    // every frame.
    if (points.GetCount() == 0) return Within(frame, symbol->GetClipRect(0, 0));
    for (int i = 0; i < points.GetCount(); ++i)
      if (!frame.PtInRect(points.GetAt(i))) return false;
    return true;
  }
  return Within(frame, symbol->GetClipRect(0, 0));
}

// The children of a pool's shown lanes (those inside its swim groups
// included), in the order the pool lists them.
void AddLaneChildren(ISSymbol* pool, ISSymSelection& selection) {
  SComWrap<ISSymSwimPool> swim(pool);
  if (swim.IsNull()) return;
  SUnsortedComBag<ISSymbol> children;
  swim->GetAllChildrenSym(children, 0);
  for (int i = 0; i < children.GetOrderCount(); ++i) selection.Add(children.GetOrderAt(i), 1);
}

struct Descent {
  SSymDiagramImpl& diagram;
  const SSymRect& frame;
  ISSymSelection& selection;
  int depth = 0;
};
}  // namespace

HRESULT SSymDiagramImpl::AddSymInRectToSel(const SSymRect& rect, ISSymSelection* selection, int children) {
  if (!selection) return E_POINTER;
  // A frame dragged up or to the left arrives with its corners swapped: it
  // encloses the same symbols.
  SSymRect frame(rect);
  frame.Normalize();
  {
    SSymSelChangeNotifyOff quiet;
    // One client context for every handle drawn on the way (the members'
    // own locks find the canvas locked).
    SSymView::LockCanvas lock(selection->GetView());
    // Handles erased and drawn again (everything selected before and
    // enclosed now) cost nothing: only the net change is drawn, at the end.
    SSymSelHandleBatch batch(selection);
    selection->Clear(1);
    if (!selection->GetView()) return S_OK;
    // The members as they are now: what the selection does meanwhile
    // cannot disturb the walk. The collection counts its members, so an
    // address is live while its object is still a member; only when the
    // collection changed during the walk is that asked again.
    const SRepItemList& items = Collection(IdSymbols)->Items();
    const std::vector<SRepObject*> members = items.ToVector();
    const unsigned long changes = items.Changes();
    SSymListPt points;
    for (std::size_t i = 0; i < members.size(); ++i) {
      // A frame around a large diagram visits every symbol once: the next
      // ones are fetched while this one is looked at.
      if (i + kAhead < members.size()) __builtin_prefetch(members[i + kAhead]);
      if (items.Changes() != changes && !items.Contains(members[i])) continue;
      SComWrap<ISSymbol> s(static_cast<ISRepObject*>(members[i]));
      if (s.IsNull()) continue;
      if (Encloses(frame, s, points)) {
        // Add asks the view whether the symbol may be selected; one it
        // refused brings none of its children either.
        selection->Add(s, 1);
        if (!selection->Contains(s)) continue;
        if (!children) continue;
        if (s->GetSymbolType() == kTypePool)
          AddLaneChildren(s, *selection);
        else
          AddCompChildrenToSel(s, *selection);
      } else if (ShouldAddSubSymToSel(s)) {
        AddSubSymInRectToSel(s, frame, *selection);
      }
    }
  }
  SNotificationManager::Notify(SSymNotifySelChanged, Diagram(), 0);
  return S_OK;
}

int SSymDiagramImpl::ShouldAddSubSymToSel(ISSymbol* symbol) {
  if (!symbol) return 0;
  const int type = symbol->GetSymbolType();
  if (type == kTypePool || type == kTypeSwimGroup) return 1;
  if (!SComWrap<ISSymTree>(symbol).IsNull()) return 1;
  if (!SComWrap<ISSymCompSym>(symbol).IsNull()) return SSymIsEditable(symbol, nullptr, Diagram());
  return 0;
}

namespace {
void Descend(Descent& d, ISSymbol* parent, std::set<IUnknown*>& walked);
}

void SSymDiagramImpl::AddSubSymInRectToSel(ISSymbol* parent, const SSymRect& frame, ISSymSelection& selection) {
  Descent d{*this, frame, selection};
  std::set<IUnknown*> walked;
  Descend(d, parent, walked);
}

namespace {
void Descend(Descent& d, ISSymbol* parent, std::set<IUnknown*>& walked) {
  if (!parent || !d.selection.GetView() || d.depth > kMaxDepth) return;
  // A parent met again (Symbols collections that loop) is not walked twice.
  SComWrap<IUnknown> identity(parent);
  if (identity.IsNull() || !walked.insert(identity.Get()).second) return;
  for (const auto& c : SymbolsOf(parent)) {
    if (!d.selection.CanSelect(c)) continue;
    if (Within(d.frame, c->GetClipRect(0, 0))) {
      if (IsSymInCompAncestors(c, parent)) {
        d.selection.Add(c, 1);
        AddCompChildrenToSel(c, d.selection);
      }
    } else if (d.diagram.ShouldAddSubSymToSel(c)) {
      ++d.depth;
      Descend(d, c, walked);
      --d.depth;
    }
  }
}
}  // namespace
