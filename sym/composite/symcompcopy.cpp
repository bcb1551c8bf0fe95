// The copy of a composite's children. Once a composite has been duplicated
// (its model object's sub-objects copied by the repository, but no child
// symbols yet), CopyChildrenSym gives the new composite a copy of every child
// symbol of the old one: at the same place relative to the composite's
// centre, bound to the corresponding new sub-object, with the old child's
// graphic attributes, and links joined to the copies of their ends.
//
// Everything that can refuse the copy is checked before the first symbol is
// made, so a refused copy changes nothing. The copy writes no undo record of
// its own: its changes land in whatever context the caller holds.
#include <algorithm>
#include <vector>

#include "kvrep/srepextras.h"
#include "kvrep/srepmodel.h"
#include "kvrep/srepobject.h"
#include "sym/composite/symcompimpl.h"
#include "sym/symbol/symclone.h"
#include "sym/symbol/symintfhost.h"

namespace {

using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;
constexpr LONG kManuallyResized = 0x020100B9;

// The model object a symbol shows (counted wrapper), or empty.
RepObj ModelOf(IUnknown* symbol) {
  SComWrap<ISSymObject> so(symbol);
  if (so.IsNull()) return {};
  SComOut<ISRepObject> model;
  if (so->GetModelObject(&model) != S_OK) return {};
  return RepObj(model.Get());
}

SComOut<ISRepClassCol> CollectionOf(ISRepObject* obj, LONG id) {
  SComOut<ISRepClassCol> col;
  if (obj && obj->GetCollection(id, &col) != S_OK) col.Reset();
  return col;
}

RepObj ItemOf(ISRepClassCol* col, LONG pos) {
  SComOut<ISRepObject> item;
  if (!col || col->Item(pos, &item) != S_OK) return {};
  return RepObj(item.Get());
}

bool Gone(ISRepObject* obj) { return !obj || obj->IsDeleted() || obj->IsDeleting(); }

// The integer mean of opposite edges, truncated as integer division does.
SSymPoint CentreOf(const SSymRect& r) {
  return SSymPoint(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                   static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
}

LONG Clamp(long long v) { return static_cast<LONG>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); }

IUnknown* SessionOf(ISRepObject* obj) {
  SComOut<ISRepSession> s;
  if (obj) obj->GetSession(&s);
  return s.Get();  // compared only, never used
}

// The model (top of the parent chain) of a model object, or the object itself.
RepObj ModelRootOf(ISRepObject* obj) {
  SComWrap<ISRepObjectBase, &IID_ISRepObjectBase> base(obj);
  SComOut<ISRepObject> root;
  if (!base.IsNull() && base->GetModel(&root) == S_OK && root) return RepObj(root.Get());
  return RepObj(obj);
}

// Pairs the members of two collections by position; false, with nothing
// recorded, when the first is the longer.
bool PairByPosition(ISRepClassCol* from, ISRepClassCol* to, SRepMapObject& map) {
  const LONG n = from ? from->GetCount() : 0;
  if (n > (to ? to->GetCount() : 0)) return false;
  for (LONG i = 0; i < n; ++i) {
    RepObj a = ItemOf(from, i), b = ItemOf(to, i);
    if (!a.IsNull() && !b.IsNull()) map.SetAt(a.Get(), b.Get());
  }
  return true;
}

// Clears the class's copying flag for the length of the copy and puts it
// back as it was, also when an exception leaves the copy.
class CopyingCleared {
 public:
  explicit CopyingCleared(const SSymCompDef& def) : m_def(def), m_had((def.nFlags & SSymCompDef::CompCopying) != 0) {
    m_def.nFlags &= ~static_cast<DWORD>(SSymCompDef::CompCopying);
  }
  ~CopyingCleared() {
    if (m_had) m_def.nFlags |= SSymCompDef::CompCopying;
  }
  CopyingCleared(const CopyingCleared&) = delete;
  CopyingCleared& operator=(const CopyingCleared&) = delete;

 private:
  const SSymCompDef& m_def;
  bool m_had;
};

// Nested copies below this depth only: a cycle of owners in a damaged
// repository ends the copy there.
constexpr int kMaxCopyDepth = 64;
int g_copyDepth = 0;
struct DepthScope {
  DepthScope() { ++g_copyDepth; }
  ~DepthScope() { --g_copyDepth; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;
};

}  // namespace

HRESULT SSymCompImpl::CopyChildrenSym(ISSymbol* source, ISSymbol* destination, int deep,
                                      SMap<ISSymbol*, ISSymbol*>* map) {
  if (!source || !destination) return E_POINTER;
  if (!m_pSymbol || !m_pCompDef) return E_UNEXPECTED;
  RepObj srcObj(source), dstObj(destination);
  if (Gone(srcObj) || Gone(dstObj)) return CO_E_OBJNOTCONNECTED;
  if (source->GetSymbolType() != destination->GetSymbolType()) return S_FALSE;
  RepObj srcModel = ModelOf(source), dstModel = ModelOf(destination);
  if (srcModel.IsNull() || dstModel.IsNull() || dstModel->IsShortcut()) return S_FALSE;
  // A destination inside the source would receive copies of itself, and a
  // deep copy would follow them without end.
  if (SComWrap<ISSymOwner> holder(source); !holder.IsNull() && holder->Contains(destination, 1)) return E_INVALIDARG;
  if (g_copyDepth >= kMaxCopyDepth) return E_UNEXPECTED;
  const SSymCompDef& def = *m_pCompDef;

  // Gather the children, the boxes before the links (the ends of a link are
  // copied before it), and pair each collection of the source model that
  // holds a child's object with the same collection of the destination's.
  std::vector<SComWrap<ISSymbol>> children, lines;
  SRepMapObject objects;
  {
    std::vector<LONG> paired;
    SComOut<ISRepClassCol> symbols = CollectionOf(srcObj, SymAttr::Symbols);
    const LONG n = symbols ? symbols->GetCount() : 0;
    for (LONG i = 0; i < n; ++i) {
      SComWrap<ISSymbol> child(ItemOf(symbols.Get(), i));
      if (child.IsNull()) continue;
      LONG coll = def.GetCollForType(child->GetSymbolType());
      if (!coll) coll = SSymCompDef::Find(def.mapTypeToColl, 0);
      if (!coll) continue;
      (SComWrap<ISSymPolyline>(child).IsNull() ? children : lines).push_back(child);
      if (std::find(paired.begin(), paired.end(), coll) != paired.end()) continue;
      paired.push_back(coll);
      SComOut<ISRepClassCol> from = CollectionOf(srcModel, coll), to = CollectionOf(dstModel, coll);
      if (!PairByPosition(from.Get(), to.Get(), objects)) return S_FALSE;
    }
  }
  SComWrap<ISSymOwner> owner(destination);
  if (owner.IsNull()) return S_FALSE;
  children.insert(children.end(), lines.begin(), lines.end());

  const SSymPoint from = CentreOf(source->GetClipRect(0, 0)), to = CentreOf(destination->GetClipRect(0, 0));
  const SSymSize d(Clamp(static_cast<long long>(to.x) - from.x), Clamp(static_cast<long long>(to.y) - from.y));
  {
    SRepVariant manual;
    if (srcObj->GetAttribute(kManuallyResized, &manual) == S_OK) dstObj->SetAttribute(kManuallyResized, manual);
  }
  SComOut<ISSymDiagram> diagram;
  if (destination->GetDiagram(&diagram) != S_OK || !diagram) source->GetDiagram(&diagram);
  const bool sameSession = SessionOf(srcModel) == SessionOf(dstModel);

  std::vector<SComWrap<ISSymbol>> copies;
  SMap<ISSymbol*, ISSymbol*> local;  // source child -> its copy (the copies are held in `copies`)
  {
    CopyingCleared copying(def);
    DepthScope nested;
    for (const SComWrap<ISSymbol>& child : children) {
      // A link is copied only between the copies of both its ends, so a
      // link reaching out of the composite stays behind.
      SComWrap<ISSymLink> link(child);
      ISSymbol* endCopy[2] = {nullptr, nullptr};
      SSymPoint endPt[2];
      if (!link.IsNull()) {
        for (int e = 0; e < 2; ++e) {
          SComOut<ISSymbol> end;
          link->GetAttachSym(e, &end);
          SComWrap<ISSymbol> endSym(end.Get());
          ISSymbol* const* c = endSym.IsNull() ? nullptr : local.Find(endSym.Get());
          endCopy[e] = c ? *c : nullptr;
          link->GetAttachPoint(endPt[e], e);
        }
        if (!endCopy[0] || !endCopy[1]) continue;
      }

      // The symbol of an object that is deleted or going stays behind.
      RepObj childModel = ModelOf(child);
      if (!childModel.IsNull() && Gone(childModel)) continue;
      SComWrap<ISSymbol> copy;
      if (SComWrap<ISSymObject>(child).IsNull()) {
        // A child that shows no model object is copied by the repository.
        SComOut<ISRepObject> dup;
        if (RepObj(child)->Duplicate(&dup, FALSE) == S_OK && dup) copy = SComWrap<ISSymbol>(dup.Get());
      } else if (diagram) {
        if (childModel.IsNull()) continue;
        ISRepObject* target = objects.Find(childModel.Get());
        if (!target && sameSession) {
          target = childModel.Get();
        } else if (!target) {
          // Another session: the members of the object's class are paired
          // by position between the two models.
          const CLSID cls = SRepGetExtClsid(childModel);
          SComOut<ISRepClassCol> a, b;
          if (SRepGetClassCollection(ModelRootOf(childModel), cls, &a) == S_OK &&
              SRepGetClassCollection(ModelRootOf(dstModel), cls, &b) == S_OK)
            PairByPosition(a.Get(), b.Get(), objects);
          target = objects.Find(childModel.Get());
        }
        if (!target || Gone(target)) continue;
        copy = SComWrap<ISSymbol>(link.IsNull()
                                      ? diagram->CopySymbolForObject(target, child, 1, d, 0, nullptr)
                                      : diagram->CopyLinkSymbolForObject(target, endCopy[0], endCopy[1], link, d));
      } else {
        SComWrap<ISSymClone> clone(child);
        SComOut<ISSymbol> made;
        if (!clone.IsNull() && clone->IsCloneNumbering() && child->Clone(&made, 1) == S_OK)
          copy = SComWrap<ISSymbol>(made.Get());
      }
      if (copy.IsNull()) continue;

      SSymRect r = child->GetClipRect(0, 0);
      {
        SRepVariant rect;
        if (RepObj(child)->GetAttribute(SymAttr::ClipRect, &rect) == S_OK) r = SSymBase::RectOf(rect);
      }
      r.OffsetRect(d.cx, d.cy);
      if (RepObj copyObj(copy); !copyObj.IsNull()) copyObj->SetAttribute(SymAttr::ClipRect, SSymBase::RectValue(r));
      if (FAILED(owner->Add(copy))) {
        // A copy the destination refuses would be left lying in the
        // diagram: it goes again.
        if (RepObj copyObj(copy); !copyObj.IsNull()) copyObj->Delete();
        continue;
      }
      copy->CopySymAttributes(child, 0);
      copies.push_back(copy);
      local.SetAt(child.Get(), copy.Get());
      if (map) map->SetAt(child.Get(), copy.Get());

      if (SComWrap<ISSymLink> copied(copy); !copied.IsNull() && !link.IsNull()) {
        for (int e = 0; e < 2; ++e)
          if (SComWrap<ISSymLinkable> target(endCopy[e]); !target.IsNull()) copied->AttachSym(e, target, endPt[e]);
      }
      if (deep) {
        SComWrap<ISSymCompSym> comp(child);
        if (comp.IsNull()) comp = SComWrap<ISSymCompSym>(copy);
        if (!comp.IsNull()) comp->CopyChildrenSym(child, copy, deep, map);
      }
    }
  }

  // Copies that show one model object are clones of the first of them.
  for (size_t i = 0; i < copies.size(); ++i) {
    RepObj model = ModelOf(copies[i]);
    if (model.IsNull()) continue;
    for (size_t k = i + 1; k < copies.size();) {
      RepObj other = ModelOf(copies[k]);
      if (!other.IsNull() && SRepAreSameObjects(model, other)) {
        SSymCloneSymbolHelper::AddClone(RepObj(copies[i]), RepObj(copies[k]));
        copies.erase(copies.begin() + static_cast<std::ptrdiff_t>(k));
      } else {
        ++k;
      }
    }
  }
  return S_OK;
}
