// SSymSwimLane: the pool's lane groups. Dissolving every group, gathering
// selected lanes under a user group, the nesting level and the collection of
// groups across the group tree.
#include <algorithm>
#include <map>
#include <vector>

#include "kvrep/srepsession.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/foundation/sympropmap.h"
#include "sym/foundation/symstrings.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symcoll.h"
#include "sym/symbol/symintfdisppref.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
// The name of a new user group in the library's string table.
constexpr UINT kIdsNewGroup = 1414;

SComOut<ISRepClassCol> SymbolsOf(ISRepObject* holder) {
  SComOut<ISRepClassCol> col;
  if (holder) holder->GetCollection(SymAttr::Symbols, &col);
  return col;
}

SComWrap<ISSymDiagram> DiagramOfPool(ISSymbol* pool) {
  SComWrap<ISSymDiagram> out;
  SComOut<ISSymDiagram> d;
  if (pool->GetDiagram(&d) == S_OK && d) out = d.Get();
  return out;
}

bool IsLaneOrGroup(ISSymbol* s) {
  return SSymSwimGroup::FromInterface(s) != nullptr || !SComWrap<ISSwimlane>(s).IsNull();
}
}  // namespace

int SSymSwimLane::GetGrpLevel() {
  int level = 0;
  for (const SComWrap<ISSymbol>& m : Members())
    if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) level = std::max(level, group->GetGrpLevel());
  return level;
}

void SSymSwimLane::GetAllGrp(SUnsortedComBag<ISSymbol>& bag) {
  for (const SComWrap<ISSymbol>& m : Members()) {
    SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get());
    if (!group || bag.Contains(m.Get())) continue;  // a group met twice is walked once
    bag.Add(m.Get());
    group->GetAllGrp(bag);
  }
}

void SSymSwimLane::DeleteAllGroup(GroupFormats* formats) {
  {
    SSymSwimGroupUpdate update;
    if (m_nGroupType == 1 && formats) {
      SUnsortedComBag<ISSymbol> groups;
      GetAllGrp(groups);
      for (int i = 0; i < groups.GetOrderCount(); ++i) {
        SSymSwimGroup* group = SSymSwimGroup::FromInterface(groups.GetOrderAt(i));
        ISRepObject* object = group ? group->GetObjectW() : nullptr;
        if (!object || formats->Find(object)) continue;
        SSymFormatEx format;
        group->Sym()->GetFormat(format);
        formats->SetAt(object, format);
      }
    }
    SComOut<ISRepClassCol> pool = SymbolsOf(Obj());
    if (pool) {
      LONG p = 0;
      for (const SComWrap<ISSymbol>& m : Members()) {
        SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get());
        if (!group) {
          ++p;
          continue;
        }
        SUnsortedComBag<ISSymbol> lanes;
        group->GetAllLane(lanes, 1);
        for (int i = 0; i < lanes.GetOrderCount(); ++i) {
          SComWrap<ISSymbol> lane(lanes.GetOrderAt(i));  // kept while it changes holder
          SComOut<ISSymOwner> owner;
          if (lane->GetOwner(&owner) == S_OK && owner) owner->Remove(lane.Get());
          if (pool->Insert(RepObjWrap(lane).Get(), p) == S_OK) ++p;
        }
        // Nested groups go too, innermost first, so that none is left
        // behind without a pool.
        SUnsortedComBag<ISSymbol> nested;
        group->GetAllGrp(nested);
        for (int i = nested.GetOrderCount() - 1; i >= 0; --i) RepObjWrap(nested.GetOrderAt(i)).Get()->Delete();
        RepObjWrap(m).Get()->Delete();
      }
    }
    SSymDeftCanvas screen;
    GetHeadSize(screen);
  }
  ArrangeLanes(0);
}

HRESULT SSymSwimLane::CreateUserGroup(const SSymCollection& selection) {
  // Every check comes before the group is made, so that a refusal leaves
  // nothing behind.
  if (m_nGroupType != 0) return S_FALSE;
  SComWrap<ISSymDiagram> diagram = DiagramOfPool(Sym());
  if (diagram.IsNull() || !SSymGetDispPrefPtr(diagram.Get())) return S_FALSE;
  SComOut<ISRepClassCol> pool = SymbolsOf(Obj());
  if (!pool) return S_FALSE;
  // Only lanes and groups held directly by this pool, each once, ordered by
  // their position in it.
  std::map<LONG, SComWrap<ISSymbol>> byPos;
  for (int i = 0; i < selection.GetCount(); ++i) {
    ISSymbol* s = selection.GetAt(i);
    if (!s || !IsLaneOrGroup(s)) return E_INVALIDARG;
    const LONG pos = pool->GetPos(RepObjWrap(s).Get());
    if (pos < 0 || byPos.count(pos)) return E_INVALIDARG;
    byPos.emplace(pos, SComWrap<ISSymbol>(s));
  }
  if (byPos.size() < 2) return E_INVALIDARG;
  if (SComWrap<ISSwimlane>(byPos.begin()->second).IsNull()) return E_INVALIDARG;  // the first is a lane

  SRepSession* session = GetSessionImpl();
  if (!session) return E_FAIL;
  // The heading as it is before the group, so that the group's band moves
  // the heading edge: a pool never measured would take the new size as
  // the one its rectangle already has.
  GetHeadHeight();
  SComOut<ISRepObject> made;
  if (session->CreateObject(CLSID_SSymSwimGroup, IID_ISRepObject, made.Void()) != S_OK || !made)
    return E_FAIL;
  SSymSwimGroup* group = SSymSwimGroup::FromInterface(made.Get());
  SComOut<ISRepClassCol> into = SymbolsOf(made.Get());
  if (!group || !into) {
    made->Delete();
    return E_FAIL;
  }
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  // The group starts over the lanes it gathers, one heading band wider.
  SSymRect cover = byPos.begin()->second->GetClipRect(0, 0).Normalize();
  for (const auto& entry : byPos) cover |= entry.second->GetClipRect(0, 0).Normalize();
  if (m_bVertical) cover.y1 += h;
  else cover.x1 -= h;
  {
    SSymSwimGroupUpdate update;
    group->m_nHeadSize = h;
    group->PutRect(cover);
    const LONG f = byPos.begin()->first;
    const SComWrap<ISSymbol> first = byPos.begin()->second;
    byPos.erase(byPos.begin());
    // From the highest position down, so that the lower ones stay valid;
    // each goes to the front of the group, which leaves them in pool order.
    for (auto it = byPos.rbegin(); it != byPos.rend(); ++it) {
      pool->Remove(it->first);
      into->Insert(RepObjWrap(it->second).Get(), 0);
    }
    // The group takes the first lane's place; the first lane leads it.
    pool->Insert(made.Get(), f);
    pool->Remove(f + 1);
    into->Insert(RepObjWrap(first).Get(), 0);
    SSymDeftCanvas screen;
    GetHeadSize(screen);
  }
  {
    SCurrentContextChange noContext(Obj(), nullptr);
    group->SetText(SSymLoadString(kIdsNewGroup), 0);
    ArrangeLanes(1);
  }
  return S_OK;
}

namespace {
// The first object of an object's collection id: its parent through that
// collection; null when there is none.
RepObjWrap FirstInCollection(ISRepObject* object, LONG id) {
  RepObjWrap out;
  if (!object || id == 0) return out;
  SComOut<ISRepClassCol> col;
  if (object->GetCollection(id, &col) != S_OK || !col || col->GetCount() == 0) return out;
  SComOut<ISRepObject> first;
  if (col->Item(0, &first) == S_OK && first) out = RepObjWrap(first.Get());
  return out;
}

// The nearest object up both parent chains; null when the chains do not
// meet. A cycle ends a walk.
RepObjWrap CommonAncestor(ISRepObject* a, ISRepObject* b, LONG id) {
  RepObjWrap none;
  if (!a || !b) return none;
  std::vector<ISRepObject*> seen;
  for (RepObjWrap at(a); !at.IsNull(); at = FirstInCollection(at.Get(), id)) {
    if (at.Get() == b) return at;
    if (std::find(seen.begin(), seen.end(), at.Get()) != seen.end()) break;
    seen.push_back(at.Get());
  }
  std::vector<ISRepObject*> again;
  for (RepObjWrap at(b); !at.IsNull(); at = FirstInCollection(at.Get(), id)) {
    if (std::find(seen.begin(), seen.end(), at.Get()) != seen.end()) return at;
    if (std::find(again.begin(), again.end(), at.Get()) != again.end()) break;
    again.push_back(at.Get());
  }
  return none;
}

RepObjWrap ModelOf(ISSymbol* s) {
  RepObjWrap out;
  SComWrap<ISSymObject> host(s);
  SComOut<ISRepObject> model;
  if (!host.IsNull() && host->GetModelObject(&model) == S_OK && model) out = RepObjWrap(model.Get());
  return out;
}
}  // namespace

void SSymSwimLane::CreatePrntGroup(GroupFormats* formats) {
  if (m_nGroupType != 1) return;
  SComWrap<ISSymDiagram> diagram = DiagramOfPool(Sym());
  SRepSession* session = GetSessionImpl();
  SComOut<ISRepClassCol> pool = SymbolsOf(Obj());
  if (diagram.IsNull() || !session || !pool) return;
  const LONG h = SSymSwimHeadingHeight(diagram.Get());
  GetHeadHeight();  // known before the groups come, as for a user group
  {
    SSymSwimGroupUpdate update;
    // First pass: the lanes with model objects, their parent collection and
    // the common ancestor of all their parents.
    LONG parentCol = 0;
    RepObjWrap ancestor;
    std::vector<SComWrap<ISSymbol>> lanes;
    for (const SComWrap<ISSymbol>& m : Members()) {
      if (SComWrap<ISSymObject>(m).IsNull()) return;  // a member the host does not know: nothing is grouped
      RepObjWrap object = ModelOf(m.Get());
      if (object.IsNull()) continue;
      if (parentCol == 0) {
        SComWrap<ISSwimlane> lane(m);
        parentCol = lane.IsNull() ? 0 : lane->GetParentCollectionId();
        ancestor = FirstInCollection(object.Get(), parentCol);
      } else if (!ancestor.IsNull()) {
        RepObjWrap parent = FirstInCollection(object.Get(), parentCol);
        ancestor = parent.IsNull() ? RepObjWrap() : CommonAncestor(ancestor.Get(), parent.Get(), parentCol);
      }
      lanes.push_back(m);
    }
    // Second pass: each lane's chain of parents below the common ancestor
    // becomes a chain of nested groups, innermost first; a lane whose
    // parent's group the previous lane just made joins it.
    std::vector<std::pair<ISRepObject*, SSymSwimGroup*>> found;
    auto foundFor = [&found](ISRepObject* o) -> SSymSwimGroup* {
      for (auto& [obj, g] : found)
        if (obj == o) return g;
      return nullptr;
    };
    LONG p = 0;
    SComWrap<ISSymbol> previous;
    for (const SComWrap<ISSymbol>& s : lanes) {
      RepObjWrap object = ModelOf(s.Get());
      RepObjWrap parent = FirstInCollection(object.Get(), parentCol);
      if (parent.IsNull()) {
        ++p;
        previous = SComWrap<ISSymbol>();
        continue;
      }
      SSymRect r = s->GetClipRect(0, 0);
      bool joined = false;
      if (!previous.IsNull()) {
        SComOut<ISSymOwner> owner;
        SComWrap<ISSymbol> up;
        if (previous->GetOwner(&owner) == S_OK && owner) up = SComWrap<ISSymbol>(owner.Get());
        for (int depth = 0; !up.IsNull() && depth < 64; ++depth) {
          SSymSwimGroup* group = SSymSwimGroup::FromInterface(up.Get());
          if (!group) break;
          ISRepObject* groupObject = group->GetGroupObject();
          if (!foundFor(groupObject)) found.emplace_back(groupObject, group);
          if (groupObject == parent.Get()) {
            pool->Remove(p);
            group->Add(s.Get());
            SSymRect gr = group->GetClipRect(0, 0);
            if (m_bVertical) gr.x2 = r.x2;
            else gr.y1 = r.y1;
            group->PutRect(gr);
            joined = true;
            break;
          }
          SComOut<ISSymOwner> next;
          up = SComWrap<ISSymbol>();
          if (group->Sym()->GetOwner(&next) == S_OK && next) up = SComWrap<ISSymbol>(next.Get());
        }
      }
      if (joined) continue;
      previous = s;
      SComWrap<ISSymbol> child;
      std::vector<ISRepObject*> chain{object.Get()};
      RepObjWrap q = parent;
      bool attached = false;
      while (!q.IsNull() && q.Get() != ancestor.Get()) {
        chain.push_back(q.Get());
        if (SSymSwimGroup* existing = foundFor(q.Get())) {
          if (child.IsNull()) {
            pool->Remove(p);
            existing->Add(s.Get());
          } else {
            existing->Add(child.Get());
          }
          attached = true;
          break;
        }
        SComOut<ISSymbol> made;
        if (session->CreateObject(CLSID_SSymSwimGroup, IID_ISSymbol, made.Void()) != S_OK || !made) break;
        SSymSwimGroup* group = SSymSwimGroup::FromInterface(made.Get());
        if (!group) {
          RepObjWrap(made.Get()).Get()->Delete();
          break;
        }
        if (m_bVertical) r.y1 += h;
        else r.x1 -= h;
        group->m_nHeadSize = h;
        group->PutRect(r);
        group->SetObject(q.Get());
        if (formats)
          if (const SSymFormatEx* saved = formats->Find(q.Get())) group->SetFormat(*saved);
        if (child.IsNull()) {
          pool->Remove(p);
          group->Add(s.Get());
        } else {
          group->Add(child.Get());
        }
        child = SComWrap<ISSymbol>(made.Get());
        found.emplace_back(q.Get(), group);
        q = FirstInCollection(q.Get(), parentCol);
        const bool cycle = !q.IsNull() && std::find(chain.begin(), chain.end(), q.Get()) != chain.end();
        if (q.Get() == ancestor.Get() || lanes.size() == 1 || cycle) pool->Insert(RepObjWrap(child).Get(), p);
        if (cycle) break;
      }
      if (!attached) ++p;
    }
    SSymDeftCanvas screen;
    GetHeadSize(screen);
  }
  ArrangeLanes(1);
}
