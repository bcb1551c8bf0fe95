// Where a symbol belongs: into the composite or lane that lies under it,
// back out to the diagram, and whether pools and lane groups may be attached
// to the diagram at all.
#include <vector>

#include "kvcore/sstring.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symdiagram.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The composite takes the symbol when it accepts the symbol's object and
// counts the symbol as one that belongs inside it.
bool Takes(ISSymCompSym& comp, ISSymbol* symbol, ISRepObject* object) {
  return comp.CanAddAsChild(object, -1, SString()) && comp.GetChildType(symbol) == 3;
}

SSymPoint CentreOf(ISSymbol* symbol) {
  const SSymRect r = symbol->GetClipRect(0, 0);
  return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
}
}  // namespace

ISSymbol* SSymDiagramImpl::AttachToComposite(ISSymbol* symbol) {
  if (!symbol) return nullptr;
  RepObjWrap object(symbol);
  SComWrap<ISSymbol> hold(symbol);  // leaving the diagram may drop its last reference
  const SSymPoint centre = CentreOf(symbol);
  // A copy of the drawing order: adding the symbol changes the collection.
  std::vector<SComWrap<ISSymbol>> tops;
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    SComWrap<ISSymbol> t(static_cast<ISRepObject*>(item));
    if (!t.IsNull()) tops.push_back(t);
  }
  for (const SComWrap<ISSymbol>& top : tops) {
    if (SRepAreSameObjects(top.Get(), symbol)) continue;
    if (top->GetSymbolType() == SSymSwimLane::TypeCode) {
      // The first pool met decides: the lane under the centre takes the
      // symbol, or nothing does.
      SSymSwimLane* pool = SSymSwimLane::FromInterface(top.Get());
      if (!pool) return nullptr;
      SUnsortedComBag<ISSymbol> lanes;
      pool->GetAllLane(lanes, 1);
      for (int i = 0; i < lanes.GetOrderCount(); ++i) {
        SComWrap<ISSwimlane> lane(lanes.GetOrderAt(i));
        if (lane.IsNull() || !lane->IsPtInLane(centre)) continue;
        SComWrap<ISSymCompSym> comp(lanes.GetOrderAt(i));
        if (comp.IsNull() || !Takes(*comp.Get(), symbol, object.Get())) return nullptr;
        return SUCCEEDED(comp->Add(symbol)) ? top.Get() : nullptr;
      }
      return nullptr;
    }
    SComWrap<ISSymCompSym> comp(top.Get());
    if (comp.IsNull() || !Takes(*comp.Get(), symbol, object.Get())) continue;
    // The diagram's collection holds the composite (not counted for the caller).
    return SUCCEEDED(comp->Add(symbol)) ? top.Get() : nullptr;
  }
  return nullptr;
}

ISSymbol* SSymDiagramImpl::DetachFromComposite(ISSymbol* symbol) {
  if (!symbol) return nullptr;
  SComOut<ISSymOwner> owner;
  if (symbol->GetOwner(&owner) != S_OK || !owner) return nullptr;
  SComWrap<ISSymCompSym> comp(owner.Get());
  if (comp.IsNull()) return nullptr;
  SComWrap<ISSymbol> former(owner.Get());
  SComWrap<ISSymbol> hold(symbol);  // the composite may hold its only reference
  if (FAILED(comp->Remove(symbol, 0))) return nullptr;
  AttachSymbol(symbol, 0);
  // Not counted: the former owner stays where it was.
  return former.Get();
}

BOOL SSymDiagramImpl::CanAttachSymbol(ISSymbol* symbol) {
  // The preferences are made on first request where the diagram type has them.
  SSymDispPref* prefs = symbol ? GetDispPrefPtr() : nullptr;
  if (!prefs) return 0;
  const int type = symbol->GetSymbolType();
  if (type != SSymSwimLane::TypeCode && type != SSymSwimLane::GroupTypeCode) return 1;
  if (!prefs->IsSupportSwimSymbol()) return 0;
  if (type == SSymSwimLane::GroupTypeCode) {
    // A group the user made may come; one standing for a model object
    // belongs to the pool that groups its lanes by their parents.
    SSymSwimGroup* group = SSymSwimGroup::FromInterface(symbol);
    return !group || !group->GetObjectW();
  }
  if (GetCount() == 0) return 1;
  return prefs->CanDrop() ? 1 : 0;
}

bool SSymDiagramImpl::HasCompositeBehavior(ISRepObject* object) {
  SSymDispPref* prefs = object ? GetDispPrefPtr() : nullptr;
  CLSID clsid = GUID_NULL;
  if (!prefs || FAILED(object->GetCLSID(&clsid))) return false;
  return (prefs->GetSymbolBehaviors(clsid) & SSymDispPref::BehaviorComposite) != 0;
}
