// Links over a symbol set: a container drawn over the symbols it holds (a
// swimlane pool draws its lanes and their contents itself) would hide the
// links joining those symbols whenever the links come earlier in the
// diagram's drawing order. DrawSymbolSetLinks draws the set on top of the
// container with its links: the set's own links, then the parts of the
// other links that reach the set from below the container, last the set's
// other symbols, so that no redrawn link covers a box it ends on.
#include <algorithm>
#include <vector>

#include "sym/composite/symcompimpl.h"
#include "sym/links/symlinkbase.h"
#include "sym/render/symcanv.h"

namespace {

// Attribute of a symbol's repository object whose value 2 makes the symbol
// not editable; a composite set to it shows its descendants' links too.
constexpr LONG kAttrEditMode = 0x02001494;
constexpr LONG kNotEditable = 2;

bool SameObject(IUnknown* a, IUnknown* b) { return a == b || (a && b && SRepAreSameObjects(a, b)); }

// The symbol at one end of a link (counted wrapper), or empty.
SComWrap<ISSymbol> EndOf(ISSymLink* link, int end) {
  SComOut<ISSymbol> s;
  if (link) link->GetAttachSym(end, &s);
  return SComWrap<ISSymbol>(s.Get());
}

bool IsNotEditable(ISSymbol* symbol) {
  SComWrap<ISRepObject, &IID_ISRepObject> obj(symbol);
  SRepVariant v;
  return !obj.IsNull() && obj->GetAttribute(kAttrEditMode, &v) == S_OK && v.GetLONG() == kNotEditable;
}

// A link waiting to be redrawn and the set member it was found through
// (null when it was found below a member).
struct Collected {
  SComWrap<ISSymbol> link;
  ISSymbol* member;
};

class SetLinks {
 public:
  SetLinks(SSymCanvas& canvas, SUnsortedComBag<ISSymbol>& set, ISSymbol* container, ISSymDiagram* diagram)
      : m_canvas(canvas), m_set(set), m_container(container), m_diagram(diagram) {
    m_pos = diagram->GetPos(container);
    m_rect = container->GetClipRect(0, 0);
  }

  void Run() {
    DrawSetLinks();
    Collect();
    RedrawCollected();
    DrawOthers();
  }

 private:
  void DrawSetLinks() {
    for (int i = 0; i < m_set.GetOrderCount(); ++i) {
      ISSymbol* member = m_set.GetOrderAt(i);
      if (!member || SComWrap<ISSymLink>(member).IsNull()) continue;
      member->Draw(m_canvas);
      m_drawn.Add(member);
    }
  }

  void Add(ISSymLink* link, ISSymbol* member) {
    SComWrap<ISSymbol> sym(link);
    if (sym.IsNull() || m_drawn.Contains(sym.Get()) || !m_seen.Add(sym.Get())) return;
    m_collected.push_back({sym, member});
  }

  void Collect() {
    for (int i = 0; i < m_set.GetOrderCount(); ++i) {
      ISSymbol* member = m_set.GetOrderAt(i);
      SComWrap<ISSymLinkable> linkable(member);
      if (linkable.IsNull()) continue;
      // A copy: nothing here changes the table, but the members are held.
      const SComBag<ISSymLink> links(linkable->GetLinks());
      for (int k = 0; k < links.GetCount(); ++k) {
        SComWrap<ISSymbol> sym(links.GetAt(k));
        // A link above the container is drawn after it by the diagram.
        if (sym.IsNull() || m_diagram->GetPos(sym.Get()) > m_pos) continue;
        Add(links.GetAt(k), member);
      }
      SComWrap<ISSymCompSym> comp(member);
      if (comp.IsNull() || !IsNotEditable(member)) continue;
      SComTable<ISSymbol> below;
      comp->GetAllChildren(below, 1);
      for (int j = 0; j < below.GetCount(); ++j) {
        SComWrap<ISSymLinkable> inner(below.GetAt(j));
        if (inner.IsNull()) continue;
        const SComBag<ISSymLink> innerLinks(inner->GetLinks());
        for (int k = 0; k < innerLinks.GetCount(); ++k)
          if (!IsAmong(innerLinks.GetAt(k), below)) Add(innerLinks.GetAt(k), nullptr);
      }
    }
  }

  static bool IsAmong(IUnknown* unk, const SComTable<ISSymbol>& table) {
    for (int i = 0; i < table.GetCount(); ++i)
      if (SameObject(unk, table.GetAt(i))) return true;
    return false;
  }

  bool InsideContainer(const SSymPoint& pt) const {
    const LONG x1 = std::min(m_rect.x1, m_rect.x2), x2 = std::max(m_rect.x1, m_rect.x2);
    const LONG y1 = std::min(m_rect.y1, m_rect.y2), y2 = std::max(m_rect.y1, m_rect.y2);
    return pt.x >= x1 && pt.x <= x2 && pt.y >= y1 && pt.y <= y2;
  }

  // Whether symbol is the container or one of its descendants.
  bool WithinContainer(ISSymbol* symbol, ISSymCompSym* comp) const {
    if (SameObject(symbol, m_container)) return true;
    SComTable<ISSymbol> all;
    comp->GetAllChildren(all, 1);
    for (int i = 0; i < all.GetCount(); ++i)
      if (all.GetAt(i) == symbol) return true;
    return IsAmong(symbol, all);
  }

  // The ancestor of member (member itself included) that sits directly in
  // the link's owner; empty when the climb runs out first.
  static SComWrap<ISSymbol> UnderOwnerOf(ISSymbol* link, ISSymbol* member) {
    SComOut<ISSymOwner> owner;
    if (!member || FAILED(link->GetOwner(&owner)) || !owner) return {};
    SComWrap<ISSymbol> at(member);
    for (int step = 0; step < 1000 && !at.IsNull(); ++step) {
      SComOut<ISSymOwner> up;
      if (FAILED(at->GetOwner(&up)) || !up) return {};
      if (SameObject(up.Get(), owner.Get())) return at;
      at = SComWrap<ISSymbol>(up.Get());
    }
    return {};
  }

  void RedrawCollected() {
    SComBag<ISSymbol> handled;
    for (const Collected& c : m_collected) {
      ISSymbol* link = c.link.Get();
      if (m_drawn.Contains(link) || !handled.Add(link)) continue;
      SComWrap<ISSymLink> l(link);
      if (l.IsNull()) continue;
      const SComWrap<ISSymbol> end0 = EndOf(l, 0), end1 = EndOf(l, 1);
      const int far = c.member && end1.Get() == c.member ? 0 : 1;
      SSymPoint pt;
      l->GetAttachPoint(pt, far);
      if (!InsideContainer(pt)) {
        SSymLinkBase::DrawOverSymbol(link, m_canvas, far, m_container);
        continue;
      }
      if (Holds(end0, end1)) {
        SSymLinkBase::DrawOverSymbol(link, m_canvas, far, end0.Get());
        continue;
      }
      if (Holds(end1, end0)) {
        SSymLinkBase::DrawOverSymbol(link, m_canvas, far, end1.Get());
        continue;
      }
      ISSymbol* farSym = far == 0 ? end0.Get() : end1.Get();
      SComWrap<ISSymCompSym> comp(m_container);
      if (comp.IsNull() || !WithinContainer(farSym, comp)) {
        // A far end that lies below the container and outside the set is
        // covered by the container anyway.
        const int farPos = farSym ? m_diagram->GetPos(farSym) : -1;
        if (!m_set.Contains(farSym) && farPos >= 0 && farPos < m_pos) continue;
        SSymLinkBase::DrawOverSymbol(link, m_canvas, far, m_container);
        continue;
      }
      SComWrap<ISSymbol> over = UnderOwnerOf(link, c.member);
      if (!over.IsNull()) SSymLinkBase::DrawOverSymbol(link, m_canvas, far, over.Get());
    }
  }

  // Whether outer is a composite holding inner at any depth.
  static bool Holds(const SComWrap<ISSymbol>& outer, const SComWrap<ISSymbol>& inner) {
    if (outer.IsNull() || inner.IsNull() || SComWrap<ISSymCompSym>(outer).IsNull()) return false;
    SComWrap<ISSymOwner> owner(outer);
    return !owner.IsNull() && owner->Contains(inner.Get(), 1);
  }

  void DrawOthers() {
    for (int i = 0; i < m_set.GetOrderCount(); ++i) {
      ISSymbol* member = m_set.GetOrderAt(i);
      if (member && SComWrap<ISSymLink>(member).IsNull()) member->Draw(m_canvas);
    }
  }

  SSymCanvas& m_canvas;
  SUnsortedComBag<ISSymbol>& m_set;
  ISSymbol* m_container;
  ISSymDiagram* m_diagram;
  int m_pos = -1;
  SSymRect m_rect;
  SComBag<ISSymbol> m_drawn;  // the set's links, drawn first
  SComBag<ISSymbol> m_seen;  // links collected
  std::vector<Collected> m_collected;
};

}  // namespace

void DrawSymbolSetLinks(SSymCanvas& canvas, SUnsortedComBag<ISSymbol>& set, ISSymbol* container) {
  if (!container) return;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(container->GetDiagram(&diagram)) || !diagram) return;
  SetLinks(canvas, set, container, diagram.Get()).Run();
}
