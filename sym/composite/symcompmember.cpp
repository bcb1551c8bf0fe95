// Composite membership and completion: the owner operations of a composite,
// the child symbol of a model object, the test of a new child, the
// completion that creates the missing children and their links through the
// host's diagram operations, and the stamping of the children's dates.
//
// Membership has two sides that Add keeps together: the child symbol is a
// member of the composite symbol's Symbols collection, and the child's
// model object is a member of one collection of the composite's model
// object (chosen by the child's symbol type through the class's
// definition). What would leave either side half changed is refused before
// anything changes: a symbol that holds the composite (the symbols would
// contain each other), a deleted symbol or model object, a symbol of
// another session, a composite without a definition.
#include <algorithm>
#include <cstdint>
#include <set>
#include <vector>

#include "kvrep/srepextras.h"
#include "kvrep/srepmodel.h"
#include "sym/composite/symcompimpl.h"
#include "sym/composite/symcompupdate.h"
#include "sym/foundation/symdate.h"
#include "sym/symbol/symclone.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symport.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symsolid.h"

namespace {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Member ids of the repository used here.
constexpr LONG kShownBy = 0x04800087;    // the symbols that show a model object
constexpr LONG kShortcuts = 0x0480019F;  // the shortcuts of a model object
constexpr LONG kMdat = 0x01000012;       // ModificationDate
constexpr LONG kLinkFirst = 0x0200001A;  // a link object's first end
constexpr LONG kLinkSecond = 0x02000019; // a link object's second end (its presence marks a link object)
constexpr LONG kDefaultSubObjColl = 0x02000023;
constexpr LONG kNoClassCollection = 0x0200018D;  // never a class collection for a new child
// Collection flags a class collection must carry for the repository checks.
constexpr DWORD kPartNavigable = SRepCol_Part | SRepCol_Navigable;
// The diagram kind whose symbols keep their icon mode when they become children.
constexpr int kDiagramKindKeepsIconMode = 4;
// A symbol in icon mode 2 is not editable; as a child it takes mode 1.
constexpr LONG kIconModeLocked = 2, kIconModeChild = 1;
// Composites nest; a damaged repository or a model whose references close a
// cycle must not make the walks and the recursive completion endless.
constexpr int kMaxDepth = 64;
constexpr int kMaxWalk = 100000;

thread_local int g_completing = 0;
struct CompletionDepth {
  bool ok;
  CompletionDepth() : ok(g_completing < kMaxDepth) { ++g_completing; }
  ~CompletionDepth() { --g_completing; }
  CompletionDepth(const CompletionDepth&) = delete;
  CompletionDepth& operator=(const CompletionDepth&) = delete;
};
thread_local int g_containing = 0;

// The members of a collection (counted), so that a walk survives changes to it.
std::vector<RepObjWrap> Members(ISRepClassCol* col) {
  std::vector<RepObjWrap> out;
  if (!col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) == S_OK && item) out.emplace_back(item.Get());
  }
  return out;
}

// Collection id of an object, or empty; never made by asking (an object
// answers a collection of any id, and one made on an end object would make it
// look like a link object).
SComOut<ISRepClassCol> ExistingCollection(ISRepObject* object, LONG id) {
  SComOut<ISRepClassCol> col;
  if (!object || object->HasCollection(id) != S_OK || object->GetCollection(id, &col) != S_OK) col.Reset();
  return col;
}

// The members of an object's collection id (counted); none when it has no such collection.
std::vector<RepObjWrap> MembersOf(ISRepObject* object, LONG id) {
  SComOut<ISRepClassCol> col = ExistingCollection(object, id);
  return Members(col.Get());
}

// The first member of an object's collection (counted), or empty.
RepObjWrap FirstOf(ISRepObject* object, LONG id) {
  SComOut<ISRepClassCol> col = ExistingCollection(object, id);
  RepObjWrap out;
  if (!col || col->GetCount() == 0) return out;
  SComOut<ISRepObject> first;
  if (col->Item(0, &first) == S_OK) out = first.Get();
  return out;
}

// The target of a shortcut (counted), or empty.
RepObjWrap TargetOf(ISRepObject* object) {
  if (!object || !object->IsShortcut()) return RepObjWrap();
  ISRepObject* target = SRepUnrefShct(object, 0, 1);  // not counted: the shortcut keeps it
  return RepObjWrap(target != object ? target : nullptr);
}

// A link object: an object with the second-end collection, or a shortcut of one.
bool IsLinkObject(ISRepObject* object) {
  if (!object) return false;
  if (object->IsShortcut()) {
    RepObjWrap target = TargetOf(object);
    return !target.IsNull() && !target->IsShortcut() && target->HasCollection(kLinkSecond) == S_OK;
  }
  return object->HasCollection(kLinkSecond) == S_OK;
}

// The end 0 (first) or 1 (second) of a link object (counted), or empty.
RepObjWrap LinkEnd(ISRepObject* link, int end) {
  if (!IsLinkObject(link)) return RepObjWrap();
  RepObjWrap of(link);
  if (link->IsShortcut()) of = TargetOf(link);  // a shortcut's ends are its target's
  return FirstOf(of.Get(), end == 0 ? kLinkFirst : kLinkSecond);
}

// The model object a symbol shows (counted), or empty.
RepObjWrap ModelOf(ISSymbol* symbol) {
  RepObjWrap out;
  SComWrap<ISSymObject> so(symbol);
  if (so.IsNull()) return out;
  SComOut<ISRepObject> m;
  if (so->GetModelObject(&m) == S_OK && m) out = m.Get();
  return out;
}

bool IsDeleted(ISRepObject* object) { return object && (object->IsDeleted() || object->IsDeleting()); }

bool SameSession(ISRepObject* a, ISRepObject* b) {
  SRepObject* x = SRepObject::FromInterface(a);
  SRepObject* y = SRepObject::FromInterface(b);
  return x && y && (!x->GetSessionImpl() || !y->GetSessionImpl() || x->GetSessionImpl() == y->GetSessionImpl());
}

// Packages end the upward walk of the cycle test: in this repository they
// are the objects that hear of objects moved under them (the model objects).
bool IsPackage(ISRepObject* object) {
  return object && !SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider>(object).IsNull();
}

void StampNow(ISRepObject* object, std::int64_t now) {
  if (!object) return;
  SRepVariant date;
  date.SetDATE(now);
  object->SetAttribute(kMdat, date);
}

// True when the symbol is `self` or holds it at any depth (adding it to
// `self` would make the two contain each other).
bool HoldsComposite(ISSymbol* symbol, ISSymbol* self) {
  if (SRepAreSameObjects(symbol, self)) return true;
  SComWrap<ISSymbol> up(self);
  for (int steps = 0; steps < kMaxDepth && !up.IsNull(); ++steps) {
    SComOut<ISSymOwner> owner;
    if (up->GetOwner(&owner) != S_OK || !owner) return false;
    if (SRepAreSameObjects(owner.Get(), symbol)) return true;
    up = SComWrap<ISSymbol>(owner.Get());
  }
  return !up.IsNull();  // a chain this deep is taken for a cycle
}

bool SpanPoints(const SSymListPt& pts, std::size_t from, std::size_t to, SSymRect& rect) {
  bool any = false;
  for (std::size_t i = from; i + 1 <= to; ++i) {
    const SSymPoint& p = pts[static_cast<int>(i)];
    const SSymPoint& q = pts[static_cast<int>(i + 1)];
    const SSymRect seg(std::min(p.x, q.x), std::max(p.y, q.y), std::max(p.x, q.x), std::min(p.y, q.y));
    rect = any ? Union(rect, seg) : seg;
    any = true;
  }
  return any;
}

// Moves a link symbol the diagram made at its top level into the composite.
void TakeLinkFromTop(SSymCompImpl& comp, ISSymDiagram* diagram, ISSymbol* link) {
  if (!diagram->Contains(link, 0)) return;
  SComWrap<ISSymbol> hold(link);  // the diagram may hold the only reference
  comp.Add(link);
}

}  // namespace

// ---- owner relay ----------------------------------------------------------------------------------
HRESULT SSymCompImpl::GetTopOwner(ISSymOwner** out) {
  if (!out) return E_POINTER;
  return m_pSymbol ? SSymClimbToTopOwner(m_pSymbol->Sym(), out) : S_OK;
}

HRESULT SSymCompImpl::SymRedraw(ISSymbol* symbol) {
  if (!symbol) return S_OK;
  ISSymOwner* top = this;
  GetTopOwner(&top);
  if (top == this) return S_OK;
  SComOut<ISSymOwner> counted(top);  // any owner but this one came counted
  return counted->SymRedraw(symbol);
}

HRESULT SSymCompImpl::SymResize(ISSymbol* symbol) { return symbol ? SymRedraw(symbol) : S_OK; }

HRESULT SSymCompImpl::CreateChildrenSym(int recursive) { return CompleteAllChildrenSym(recursive); }

// ---- Contains, Remove, FindChildSymbol -------------------------------------------------------------
BOOL SSymCompImpl::Contains(ISSymbol* symbol, int deep) {
  if (!symbol || g_containing >= kMaxDepth) return 0;
  SComOut<ISRepClassCol> col = GetSymbols();
  if (!col) return 0;
  RepObjWrap obj(symbol);
  ++g_containing;
  BOOL found = 0;
  for (const RepObjWrap& item : Members(col.Get())) {
    if (item.Get() == obj.Get() || SRepAreSameObjects(item.Get(), symbol)) {
      found = 1;
      break;
    }
    if (deep) {
      SComWrap<ISSymOwner> sub(item.Get());
      if (!sub.IsNull() && sub.Get() != static_cast<ISSymOwner*>(this) && sub->Contains(symbol, 1)) {
        found = 1;
        break;
      }
    }
  }
  --g_containing;
  return found;
}

HRESULT SSymCompImpl::Remove(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  SComOut<ISRepClassCol> col = GetSymbols();
  RepObjWrap obj(symbol);
  if (!col || obj.IsNull()) return S_FALSE;
  const LONG at = col->GetPos(obj.Get());
  return at >= 0 ? col->Remove(at) : S_FALSE;
}

ISSymbol* SSymCompImpl::FindChildSymbol(ISRepObject* object) {
  SComOut<ISRepClassCol> col = GetSymbols();
  if (!object || !col) return nullptr;
  auto firstChild = [&](ISRepObject* shown) -> ISSymbol* {
    for (const RepObjWrap& s : MembersOf(shown, kShownBy)) {
      if (col->GetPos(s.Get()) < 0) continue;
      // Not counted: the Symbols collection holds the child.
      return SComWrap<ISSymbol>(s.Get()).Get();
    }
    return nullptr;
  };
  if (ISSymbol* child = firstChild(object)) return child;
  for (const RepObjWrap& sc : MembersOf(object, kShortcuts)) {
    if (SComWrap<ISRepShortcut, &IID_ISRepShortcut>(sc.Get()).IsNull()) continue;
    if (ISSymbol* child = firstChild(sc.Get())) return child;
  }
  return nullptr;
}

// ---- Add ------------------------------------------------------------------------------------------
int SSymCompImpl::AttachChildSymbol(ISSymbol* symbol) {
  if (!symbol || !m_pSymbol) return 0;
  ISSymbol* self = m_pSymbol->Sym();
  if (HoldsComposite(symbol, self)) return 0;
  RepObjWrap obj(symbol);
  SComOut<ISRepClassCol> col = GetSymbols();
  if (obj.IsNull() || !col) return 0;
  SComWrap<ISSymbol> hold(symbol);  // its old owner may hold the only reference

  SComOut<ISSymOwner> owner;
  if (symbol->GetOwner(&owner) != S_OK) owner.Reset();
  const bool leaves = owner && !SRepAreSameObjects(owner.Get(), self);
  if (leaves) owner->Remove(symbol);
  if (col->GetPos(obj.Get()) < 0) {
    const bool link = !SComWrap<ISSymLink>(symbol).IsNull();
    if (FAILED(col->Insert(obj.Get(), link ? 0 : -1))) {
      if (leaves) owner->Add(symbol);  // back where it was
      return 0;
    }
  }

  SComOut<ISSymDiagram> diagram;
  self->GetDiagram(&diagram);
  const int kind = diagram ? diagram->GetDiagramKind() : 0;
  if (kind != kDiagramKindKeepsIconMode && obj->HasAttribute(SymAttr::IconMode) == S_OK) {
    SRepVariant mode;
    if (obj->GetAttribute(SymAttr::IconMode, &mode) == S_OK && mode.GetLONG() == kIconModeLocked) {
      mode.SetLONG(kIconModeChild);
      obj->SetAttribute(SymAttr::IconMode, mode);
    }
  }

  // A second symbol of the same model object in this composite: the new
  // child is a copy of the first.
  if (RepObjWrap model = ModelOf(symbol); !model.IsNull()) {
    for (const RepObjWrap& other : MembersOf(model.Get(), kShownBy)) {
      if (SRepAreSameObjects(other.Get(), symbol)) continue;
      SComWrap<ISSymbol> os(other.Get());
      SComOut<ISSymOwner> oo;
      if (os.IsNull() || os->GetOwner(&oo) != S_OK || !oo || !SRepAreSameObjects(oo.Get(), self)) continue;
      SSymCloneSymbolHelper::AddClone(other.Get(), obj.Get());
      break;
    }
  }
  return 1;
}

HRESULT SSymCompImpl::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  if (!m_pSymbol || !m_pCompDef) return E_UNEXPECTED;
  ISSymbol* self = m_pSymbol->Sym();
  if (SRepAreSameObjects(symbol, self)) return S_FALSE;
  RepObjWrap obj(symbol);
  if (obj.IsNull() || HoldsComposite(symbol, self) || !SameSession(obj.Get(), m_pSymbol->Obj())) return E_INVALIDARG;
  RepObjWrap childObject = ModelOf(symbol);
  SComOut<ISRepObject> model = GetModelObject();
  if (IsDeleted(obj.Get()) || IsDeleted(m_pSymbol->Obj()) || IsDeleted(childObject.Get()) || IsDeleted(model.Get()))
    return CO_E_OBJNOTCONNECTED;
  if (const HRESULT hr = SSymTakeFromOtherOwners(symbol, m_pSymbol->Obj()); FAILED(hr)) return hr;
  if (const HRESULT hr = SSymCheckNesting(symbol, self); FAILED(hr)) return hr;

  if (!AttachChildSymbol(symbol)) return E_FAIL;
  if (GetChildType(symbol) != 2) {  // only children of type 2 are carried into the model
    UpdateRect();
    return S_OK;
  }
  if (!model) return S_OK;
  if (childObject.IsNull()) {
    UpdateRect();
    return S_OK;
  }

  // The collection: the direct map first (the object joins the collection),
  // then the parent map and its entry for type 0 (the object moves under
  // the composite's model object).
  const LONG type = symbol->GetSymbolType();
  LONG id = SSymCompDef::Find(m_pCompDef->mapTypeToColl2, type);
  const bool direct = id != 0;
  if (!direct) id = SSymCompDef::Find(m_pCompDef->mapTypeToColl, type);
  if (!id) id = SSymCompDef::Find(m_pCompDef->mapTypeToColl, 0);
  SComOut<ISRepClassCol> col;
  if (id && model->GetCollection(id, &col) != S_OK) col.Reset();
  if (col && childObject->IsShortcut()) {
    SComOut<ISRepClassColDef> def;
    if (col->GetCollectionDef(&def) != S_OK || !def) return S_OK;
    if (!def->IsPrimarySide()) col.Reset();
  }

  bool changed = false;
  if (col && !direct) {
    // The composite's model object replaces the object's parent: the object
    // leaves the parent's collection for the same collection of the model
    // object. A model object whose class has no such collection takes nothing.
    SComOut<ISRepClassCol> from;
    if (childObject->GetParentColl(&from) != S_OK || !from) return S_OK;
    SComOut<ISRepObject> parent;
    from->GetOwner(&parent);
    if (!SRepAreSameObjects(parent.Get(), model.Get())) {
      const LONG parentId = from->GetCollectionId();
      SRepObject* m = SRepObject::FromInterface(model.Get());
      SRepRegistry* reg = m ? m->GetRegistry() : nullptr;
      if (!reg || !reg->GetClassColDef(parentId)) return S_OK;
      SComOut<ISRepClassCol> to;
      if (model->GetCollection(parentId, &to) != S_OK || !to) return S_OK;
      const LONG at = from->GetPos(childObject.Get());
      if (at < 0 || FAILED(from->Remove(at))) return S_OK;
      if (FAILED(to->Insert(childObject.Get(), -1))) {
        from->Insert(childObject.Get(), at);  // back under its parent: nothing half done
        return S_OK;
      }
      changed = true;
    }
  } else if (col) {
    if (col->GetPos(childObject.Get()) < 0) {
      RepObjWrap target = TargetOf(childObject.Get());
      if (childObject->IsShortcut() && col->GetPos(target.Get()) < 0) {
        changed = SUCCEEDED(col->Insert(childObject.Get(), -1));
      } else {
        SComOut<ISRepClassColDef> def;
        if (col->GetCollectionDef(&def) != S_OK || !def) return S_OK;
        const LONG colId = col->GetCollectionId();
        // The receiving side: the collection itself when it is the primary
        // side, else the object's side of the same relation.
        SComOut<ISRepClassCol> reverse;
        ISRepClassCol* receiving = col.Get();
        ISRepObject* toAdd = childObject.Get();
        if (!def->IsPrimarySide()) {
          if (childObject->GetCollection(colId ^ SRepReverseBit, &reverse) != S_OK || !reverse) return S_OK;
          receiving = reverse.Get();
          toAdd = model.Get();
        }
        SComOut<ISRepClassColDef> receivingDef;
        if (receiving->GetCollectionDef(&receivingDef) == S_OK && receivingDef &&
            (receivingDef->GetDefFlags() & SRepCol_Single)) {
          SComOut<ISRepObject> owner;
          receiving->GetOwner(&owner);
          SRepObject* o = SRepObject::FromInterface(owner.Get());
          changed = o && SUCCEEDED(o->SetObject(receiving->GetCollectionId(), toAdd));
        } else {
          changed = SUCCEEDED(receiving->Insert(toAdd, -1));
        }
      }
    }
  }
  if (col && !direct) {
    SComWrap<ISRepObjectBase, &IID_ISRepObjectBase> base(childObject.Get());
    SComOut<ISRepObject> top;
    if (!base.IsNull() && base->GetModel(&top) == S_OK && top) {
      SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider> provider(top.Get());
      ISRepObject* moved[] = {childObject.Get()};
      if (!provider.IsNull()) provider->ObjectsReparented(moved, 1, 1);
    }
  }
  if (changed) StampNow(childObject.Get(), SSymNowDate());
  if (SComWrap<ISSymObject> so(symbol); !so.IsNull()) so->OnAttachedToComposite();
  UpdateRect();
  return S_OK;
}

// ---- CanAddAsChild --------------------------------------------------------------------------------
int SSymCompImpl::CanAddAsChild(ISRepObject* candidate, LONG collection, const SString& text) {
  (void)text;
  if (!candidate || !m_pSymbol || !m_pCompDef) return 0;
  ISSymbol* self = m_pSymbol->Sym();
  SComOut<ISSymDiagram> diagram;
  self->GetDiagram(&diagram);
  SComOut<ISRepObject> model = GetModelObject();
  if (!diagram || !model || IsDeleted(model.Get()) || IsDeleted(candidate)) return 0;
  if (!diagram->IsSymEditable(self, model.Get())) return 0;

  RepObjWrap object(candidate);
  SComWrap<ISSymbol> offered(candidate);
  if (!offered.IsNull()) {
    SComOut<ISRepClassCol> col = GetSymbols();
    if (col && col->GetPos(candidate) >= 0) return 0;
    if (HoldsComposite(offered.Get(), self)) return 0;
    if (GetChildType(offered.Get()) < 2) return 0;
    RepObjWrap shown = ModelOf(offered.Get());
    if (shown.IsNull()) {
      if (!SComWrap<ISSymGroup>(candidate).IsNull()) return 0;
      return (m_pCompDef->nFlags & SSymCompDef::CompFreeChildren) ? 1 : 0;
    }
    if (IsDeleted(shown.Get())) return 0;
    object = shown;
  }

  // Replication: neither may be the other's replica.
  if (SRepAreSameObjects(SRepGetReplicationSource(model.Get()).Get(), object.Get())) return 0;
  if (SRepAreSameObjects(SRepGetReplicationSource(object.Get()).Get(), model.Get())) return 0;

  // A collection asked for must be one the class keeps children in.
  if (collection != -1 && m_pCompDef->nSubObjColl != 0 && m_pCompDef->nSubObjColl != collection) {
    const auto& map = m_pCompDef->mapTypeToColl;
    const bool listed =
        std::any_of(map.begin(), map.end(), [&](const std::pair<LONG, LONG>& e) { return e.second == collection; });
    if (!listed) {
      LONG type = 0;
      if (!offered.IsNull()) {
        type = offered->GetSymbolType();
      } else if (RepObjWrap first = FirstOf(object.Get(), kShownBy); !first.IsNull()) {
        SComWrap<ISSymbol> fs(first.Get());
        if (!fs.IsNull()) type = fs->GetSymbolType();
      }
      if (m_pCompDef->mapTypeToColl2.empty() || SSymCompDef::Find(m_pCompDef->mapTypeToColl2, type) != collection)
        return 0;
    }
  }

  // Cycle: no object becomes a child of its own descendant. Walk up from
  // the composite's model object (through the reverse of the children's
  // collection, or through the parents), up to the first package.
  const LONG sub = m_pCompDef->nSubObjColl;
  const LONG up = (sub == 0 || sub == kDefaultSubObjColl) ? 0 : (sub ^ SRepReverseBit);
  {
    RepObjWrap at(model.Get());
    std::set<ISRepObject*> met;
    for (int steps = 0; !at.IsNull() && steps < kMaxWalk; ++steps) {
      if (SRepAreSameObjects(at.Get(), object.Get())) return 0;
      if (!met.insert(at.Get()).second || IsPackage(at.Get())) break;
      RepObjWrap next;
      if (up) {
        if (at->IsCollectionEmpty(up) == S_OK) break;
        next = FirstOf(at.Get(), up);
      } else {
        SComOut<ISRepObject> parent;
        if (at->GetParent(&parent) == S_OK && parent) next = parent.Get();
      }
      at = next;
    }
  }

  // The repository's own checks on a class collection of the model object
  // that holds parts: its owner must be able to take an object of the class.
  const CLSID cls = SRepGetExtClsid(object.Get());
  {
    SComOut<ISRepClassCol> classCol;
    SComOut<ISRepClassColDef> def;
    if (SRepGetClassCollection(model.Get(), cls, &classCol) == S_OK && classCol &&
        classCol->GetCollectionDef(&def) == S_OK && def && def->IsPrimarySide() &&
        (def->GetDefFlags() & kPartNavigable) == kPartNavigable && def->GetCollectionId() != kNoClassCollection) {
      SRepObject* m = SRepObject::FromInterface(model.Get());
      if (!m || m->CanCreateObject(classCol->GetCollectionId(), cls, -1) != S_OK) return 0;
    }
  }

  // Class: the symbol the diagram would make for the object must be of a
  // class the composite takes.
  CLSID symbolClass = GUID_NULL;
  if (diagram->GetSymbolClassForObject(object.Get(), 0, &symbolClass) != S_OK) return 0;
  SRepRegistry* reg = SRepRegistry::Find(symbolClass);
  const auto& classes = m_pCompDef->tabChildClasses;
  const bool taken = std::any_of(classes.begin(), classes.end(), [&](const GUID& g) {
    return g == symbolClass || (reg && reg->IsKindOf(g));
  });
  if (!taken) return 0;
  // A lane decides for itself which objects it takes.
  if (SComWrap<ISSwimlane> lane(self); !lane.IsNull()) return lane->RefusesChildObject(object.Get()) ? 0 : 1;
  return 1;
}

// ---- completion -----------------------------------------------------------------------------------
HRESULT SSymCompImpl::CompleteAllChildrenSym(int recursive) {
  if (!m_pSymbol || !m_pCompDef) return E_UNEXPECTED;
  ISSymbol* self = m_pSymbol->Sym();
  if (SComWrap<ISSymCustomShape> shape(self); !shape.IsNull() && shape->GetCustomPicture()) return S_FALSE;
  SComOut<ISRepObject> model = GetModelObject();
  if (!model || model->IsShortcut()) return S_FALSE;
  if (IsDeleted(model.Get()) || IsDeleted(m_pSymbol->Obj())) return CO_E_OBJNOTCONNECTED;
  CompletionDepth depth;
  if (!depth.ok) return E_UNEXPECTED;  // a cycle of composites in the model

  SComOut<ISSymDiagram> diagram;
  self->GetDiagram(&diagram);
  SUnsortedComBag<ISSymbol> added;
  const SSymRect r = self->GetClipRect(0, 0);
  SSymPoint at(static_cast<LONG>((static_cast<std::int64_t>(r.x1) + r.x2) / 2),
               static_cast<LONG>((static_cast<std::int64_t>(r.y1) + r.y2) / 2));

  std::set<LONG> ids;
  if (m_pCompDef->nSubObjColl) ids.insert(m_pCompDef->nSubObjColl);
  else
    for (const auto& e : m_pCompDef->mapTypeToColl) ids.insert(e.second);

  SSymCompUpdate guard(this, false);
  for (LONG id : ids) CreateChildSymbolsForCollection(diagram.Get(), id, recursive, added, at);
  for (LONG id : m_pCompDef->tabChildColls) CreateChildSymbolsForCollection(diagram.Get(), id, 0, added, at);
  for (LONG id : ids) CreateChildLinkSymbols(diagram.Get(), id);
  for (LONG id : m_pCompDef->tabChildColls) CreateChildLinkSymbols(diagram.Get(), id);
  if (m_pCompDef->nFlags & SSymCompDef::CompCompleteAll) CreateLinksOfChildren(diagram.Get());
  LayoutChildrenSym(added);
  guard.Done();
  UpdateRect();
  return S_OK;
}

void SSymCompImpl::CreateChildSymbolsForCollection(ISSymDiagram* diagram, LONG collection, int recursive,
                                                   SUnsortedComBag<ISSymbol>& added, SSymPoint& at) {
  if (!diagram) return;
  SComOut<ISRepObject> model = GetModelObject();
  if (!model) return;
  for (const RepObjWrap& member : MembersOf(model.Get(), collection)) {
    if (IsDeleted(member.Get()) || IsLinkObject(member.Get())) continue;
    SComWrap<ISSymbol> child(FindChildSymbol(member.Get()));
    if (child.IsNull()) {
      SComWrap<ISSymbol> made(diagram->CreateSymbolForObject(member.Get(), at.x, at.y, 1));
      if (made.IsNull()) continue;
      SComOut<ISSymOwner> owner;
      if (made->GetOwner(&owner) != S_OK) owner.Reset();
      if (!owner || !SRepAreSameObjects(owner.Get(), m_pSymbol->Sym())) {
        if (FAILED(Add(made.Get()))) continue;  // Add leaves the old owner itself, or nothing changes
      }
      at.x = static_cast<LONG>(std::min<std::int64_t>(static_cast<std::int64_t>(at.x) + 300, INT32_MAX));
      at.y = static_cast<LONG>(std::min<std::int64_t>(static_cast<std::int64_t>(at.y) + 300, INT32_MAX));
      added.Add(made.Get());
      child = made;
    }
    if (recursive)
      if (SComWrap<ISSymOwner> sub(child.Get()); !sub.IsNull()) sub->CreateChildrenSym(recursive);
  }
}

void SSymCompImpl::CreateChildLinkSymbols(ISSymDiagram* diagram, LONG collection) {
  if (!diagram) return;
  SComOut<ISRepObject> model = GetModelObject();
  if (!model) return;
  SComTable<ISSymbol> all;
  GetAllChildren(all, 1);
  auto isDescendant = [&](ISSymbol* s) {
    for (int i = 0; i < all.GetCount(); ++i)
      if (SRepAreSameObjects(all.GetAt(i), s)) return true;
    return false;
  };
  for (const RepObjWrap& member : MembersOf(model.Get(), collection)) {
    if (IsDeleted(member.Get()) || !IsLinkObject(member.Get()) || diagram->FindSymbolOfObject(member.Get(), 0))
      continue;
    RepObjWrap e0 = LinkEnd(member.Get(), 0), e1 = LinkEnd(member.Get(), 1);
    ISSymbol* first = e0.IsNull() ? nullptr : diagram->FindSymbolOfObject(e0.Get(), 0);
    ISSymbol* second = e1.IsNull() ? nullptr : diagram->FindSymbolOfObject(e1.Get(), 0);
    if (!first || !second) continue;
    ISSymbol* link = diagram->CreateLinkSymbolForObject(member.Get(), first, second);
    if (link && isDescendant(first) && isDescendant(second)) TakeLinkFromTop(*this, diagram, link);
  }
}

void SSymCompImpl::CreateLinksOfChildren(ISSymDiagram* diagram) {
  if (!diagram) return;
  SComOut<ISRepClassCol> col = GetSymbols();
  for (const RepObjWrap& item : Members(col.Get())) {
    SComWrap<ISSymbol> child(item.Get());
    RepObjWrap m = ModelOf(child.Get());
    if (child.IsNull() || m.IsNull()) continue;
    for (int side = 0; side < 2; ++side) {
      // Side 0: links whose first end is m; side 1: links whose second end is m.
      const LONG reverse = (side == 0 ? kLinkFirst : kLinkSecond) ^ SRepReverseBit;
      for (const RepObjWrap& link : MembersOf(m.Get(), reverse)) {
        if (IsDeleted(link.Get()) || diagram->FindSymbolOfObject(link.Get(), 0)) continue;
        RepObjWrap other = LinkEnd(link.Get(), side == 0 ? 1 : 0);
        ISSymbol* otherSym = other.IsNull() ? nullptr : diagram->FindSymbolOfObject(other.Get(), 0);
        if (!otherSym) continue;
        ISSymbol* made = side == 0 ? diagram->CreateLinkSymbolForObject(link.Get(), child.Get(), otherSym)
                                   : diagram->CreateLinkSymbolForObject(link.Get(), otherSym, child.Get());
        if (made && otherSym == FindChildSymbol(other.Get())) TakeLinkFromTop(*this, diagram, made);
      }
    }
  }
}

// ---- dates and completeness -----------------------------------------------------------------------
HRESULT SSymCompImpl::UpdateAllSubSymMdat() {
  SComOut<ISRepClassCol> col = GetSymbols();
  if (!col) return S_FALSE;
  const std::int64_t now = SSymNowDate();  // one time for all of them
  for (const RepObjWrap& item : Members(col.Get())) StampNow(item.Get(), now);
  return S_OK;
}

int SSymCompImpl::HasChildSymbolsOfCollection(LONG collection, int recursive) {
  SComOut<ISRepObject> model = GetModelObject();
  if (!model) return 0;
  for (const RepObjWrap& member : MembersOf(model.Get(), collection)) {
    ISSymbol* child = FindChildSymbol(member.Get());
    if (!child) return 0;
    if (recursive)
      if (SComWrap<ISSymCompSym> sub(child); !sub.IsNull() && !sub->HasAllChildrenSym(recursive)) return 0;
  }
  return 1;
}

int SSymCompImpl::HasChildSymbolsOfCollectionFlat(LONG collection) { return HasChildSymbolsOfCollection(collection, 0); }

// ---- the rectangle of a link child -----------------------------------------------------------------
int SSymCompImpl::GetChildLinkRect(ISSymbol* link, SSymRect& rect) {
  if (!link || !m_pSymbol) return 0;
  SComWrap<ISSymLink> l(link);
  SComWrap<ISSymPolyline> poly(link);
  if (l.IsNull()) return 0;
  SSymListPt pts;
  if (!poly.IsNull()) poly->GetListPt(pts);
  const std::size_t n = static_cast<std::size_t>(pts.GetCount());
  for (int end = 0; end < 2; ++end) {
    SComOut<ISSymbol> at;
    if (l->GetAttachSym(end, &at) != S_OK || !at || !Contains(at.Get(), 0)) continue;
    // The path without the end the composite holds.
    if (n <= 2) return 0;
    return end == 0 ? (SpanPoints(pts, 1, n - 1, rect) ? 1 : 0) : (SpanPoints(pts, 0, n - 2, rect) ? 1 : 0);
  }
  rect = link->GetClipRect(0, 0);
  return 1;
}
