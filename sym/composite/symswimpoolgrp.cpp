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
  SComOut<ISRepObject> made;
  if (!session || session->CreateObject(CLSID_SSymSwimGroup, IID_ISRepObject, made.Void()) != S_OK || !made)
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
