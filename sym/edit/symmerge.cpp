#include "sym/edit/symmerge.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"
#include "sym/layout/symautolayout.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfplace.h"

SRepMapObject SSymMerge::m_mapFoundObj;
SRepBagObject SSymMerge::m_lstObj;

namespace {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using namespace SSymMergeId;

// Owner chains are short; a longer one is a loop in the owner links.
constexpr int kMaxOwnerDepth = 256;
// The symbol type of a swim group.
constexpr int kSymTypeSwimGroup = 17;
// Flags of class members that the merge does not follow: members kept out
// of copies and merges.
constexpr DWORD kNotMerged = 0x10000;

// (a + b) / 2 in integer arithmetic, without overflow on the way.
LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<std::int64_t>(a) + b) / 2); }
SSymPoint CentreOf(const SSymRect& r) { return {Mid(r.x1, r.x2), Mid(r.y1, r.y2)}; }

bool IsComposite(ISRepObject* obj) { return obj && !SComWrap<ISSymCompSym>(obj).IsNull(); }

bool HasMember(ISRepObject* obj, LONG id) { return obj->HasCollection(id) == S_OK || obj->HasAttribute(id) == S_OK; }

// The object a member holds (its first one; counted), or empty. Asks
// nothing of an object that does not have the member, so that no empty
// collection is made on it.
RepObjWrap MemberObject(ISRepObject* obj, LONG id) {
  if (!obj || obj->HasCollection(id) != S_OK || obj->IsCollectionEmpty(id) == S_OK) return {};
  SComOut<ISRepClassCol> col;
  if (FAILED(obj->GetCollection(id, &col)) || !col || col->GetCount() == 0) return {};
  SComOut<ISRepObject> first;
  if (FAILED(col->Item(0, &first)) || !first) return {};
  return RepObjWrap(first.Get());
}

// The repository owner of an object (counted), or empty at the top.
RepObjWrap OwnerOf(ISRepObject* obj) {
  SComOut<ISRepObject> parent;
  if (!obj || obj->GetParent(&parent) != S_OK || !parent) return {};
  return RepObjWrap(parent.Get());
}

bool Listed(const std::vector<RepObjWrap>& list, ISRepObject* obj) {
  return std::any_of(list.begin(), list.end(), [obj](const RepObjWrap& o) { return o.Get() == obj; });
}

// True when `owner` is on the owner chain of `obj` (obj itself excluded).
bool IsOwnerOf(ISRepObject* owner, ISRepObject* obj) {
  RepObjWrap o = OwnerOf(obj);
  for (int depth = 0; !o.IsNull() && depth < kMaxOwnerDepth; ++depth) {
    if (o.Get() == owner) return true;
    o = OwnerOf(o.Get());
  }
  return false;
}

// A lane or a swimlane pool (the symbols set aside from the block's move).
bool IsLaneOrPool(ISSymbol* s) { return !SComWrap<ISSwimlane>(s).IsNull() || !SComWrap<ISSymSwimPool>(s).IsNull(); }

// Gathers obj and, through the stored collections of its class, what it
// holds, each object once.
void Gather(ISRepObject* start, SRepBagObject* bag) {
  std::vector<RepObjWrap> todo{RepObjWrap(start)};
  while (!todo.empty()) {
    RepObjWrap o = todo.back();
    todo.pop_back();
    if (o.IsNull() || bag->Contains(o.Get())) continue;
    bag->Add(o.Get());
    for (SRepClassColDef* def : SRepGetClassCollections(o.Get())) {
      const LONG id = def->GetCollectionId();
      if ((def->GetDefFlags() & kNotMerged) || o->IsCollectionEmpty(id) == S_OK) continue;
      SRepObjIterator it(o.Get(), id);
      while (ISRepObject* member = it.Next()) todo.emplace_back(member);
    }
  }
}

}  // namespace

SSymMerge::SSymMerge(SSymViewEdit* view, ISRepObject* root, SSymSelection* selection, SSymRect* rect,
                     ISRepSession* sourceSession)
    : m_pView(view), m_pRoot(root), m_pSelection(selection), m_pRect(rect), m_pSessSrc(sourceSession) {
  if (!view) return;
  if (m_pSelection) m_pSelection->Clear(1);
  m_diagram = view->GetDiagramPtr();
  m_folder = view->GetTargetFolder();
  m_folderCtx = m_folder;
}

SSymMerge::~SSymMerge() = default;

void SSymMerge::SetView(SSymViewEdit* view) {
  m_pView = view;
  m_diagram = view ? view->GetDiagramPtr() : nullptr;
  m_pSelection = view ? view->GetSelection() : nullptr;
}

void SSymMerge::SetDiagram(ISSymDiagram* diagram) {
  m_diagram = diagram;
  m_pSelection = nullptr;
}

void SSymMerge::SetFolder(ISRepObject* folder) { m_folder = folder; }

// ---- hooks of this class -------------------------------------------------------------------

int SSymMerge::CanMergeObject(ISRepObject*) { return 0; }
void SSymMerge::BuildSelectedObject(ISRepClassCol*, SComBag<ISRepObject, ISRepObject*>*) {}
int SSymMerge::VerifySelectedObject() { return 1; }
int SSymMerge::IsSelectedParent(ISRepObject*) { return 0; }
int SSymMerge::MergeShortcut(ISRepObject*, ISRepObject*) { return 0; }
int SSymMerge::DuplicateExternalObj(ISRepObject*, ISSymbol*) { return 0; }
void SSymMerge::PostMergeSymbols() {}
int SSymMerge::IsAutoCommitContext() { return 1; }
int SSymMerge::AttachSymbol(ISSymbol*) { return 0; }
int SSymMerge::HasDeleted(ISRepObject*) { return 0; }

// ---- the merge -----------------------------------------------------------------------------

int SSymMerge::MergeModel(int autoLayout) {
  m_bLaidOut = false;
  // A root that is gone, or that carries nothing, merges nothing and
  // changes nothing (asking for the collection would make an empty one).
  if (!m_pRoot || m_pRoot->IsDeleted() || m_pRoot->HasCollection(RootObjects) != S_OK) return 0;
  SRepClassColPtr collection(m_pRoot, RootObjects);
  if (!collection) return 0;

  {
    // The host looks at the source outside any change context of the
    // target's session. Without a folder the wrapper throws.
    SComOut<ISRepSession> session;
    m_folder->GetSession(&session);
    SCurrentContextChange none(session.Get(), nullptr);
    BuildSelectedObject(collection.Get(), nullptr);
    if (!VerifySelectedObject()) {
      DeleteAllObjects(collection.Get(), nullptr);
      return 0;
    }
    m_lstObj.RemoveAll();
  }

  AddObjectsAsNewInContext(collection.Get());

  // Links and relations wait for their ends; every other object goes to the
  // object list, owners before their parts.
  std::vector<RepObjWrap> objects, links, relations;
  std::map<ISRepObject*, ISRepObject*> walked;
  m_rectMerge = SSymRect(0, 0, 0, 0);
  {
    SRepObjIterator it(collection);
    while (ISRepObject* o = it.Next()) {
      if (!SComWrap<ISSymLink>(o).IsNull() || (HasMember(o, RelationFrom) && HasMember(o, RelationTo)))
        links.emplace_back(o);
      else
        AddOrdered(objects, walked, o);
      SComWrap<ISSymbol> symbol(o);
      if (!symbol.IsNull()) m_rectMerge = Union(m_rectMerge, symbol->GetClipRect(0, 0));
    }
  }
  // A link symbol brings its ends (the one that stands earlier in the
  // source first) and is not merged itself; a relation brings its ends and
  // follows them.
  for (const RepObjWrap& l : links) {
    SComWrap<ISSymLink> link(l.Get());
    if (!link.IsNull()) {
      RepObjWrap ends[2];
      for (int end = 0; end < 2; ++end) {
        SComOut<ISSymbol> s;
        if (SUCCEEDED(link->GetAttachSym(end, &s)) && s) ends[end] = RepObjWrap(s.Get());
      }
      // An end outside the source collection counts as standing last.
      auto pos = [&](const RepObjWrap& e) {
        const LONG p = e.IsNull() ? -1 : collection.GetPos(e.Get());
        return p < 0 ? std::numeric_limits<LONG>::max() : p;
      };
      const bool swap = pos(ends[1]) < pos(ends[0]);
      for (int i = 0; i < 2; ++i) {
        const RepObjWrap& e = ends[swap ? 1 - i : i];
        if (!e.IsNull()) AddOrdered(objects, walked, e.Get());
      }
    } else {
      for (LONG id : {RelationFrom, RelationTo}) {
        RepObjWrap end = MemberObject(l.Get(), id);
        if (!end.IsNull()) AddOrdered(objects, walked, end.Get());
      }
      relations.push_back(l);
    }
  }

  for (const auto* list : {&objects, &relations})
    for (const RepObjWrap& o : *list)
      if (!MergeSymbol(o.Get())) {
        // What was merged stays; the handled objects are forgotten.
        m_lstObj.RemoveAll();
        return 0;
      }

  PostMergeSymbols();

  // Lanes and pools move on their own: moved with the block they would take
  // the block's symbols along into lanes as they pass.
  std::vector<SComWrap<ISSymbol>> setAside;
  if (m_pSelection) {
    for (int i = 0; i < m_pSelection->GetCount(); ++i)
      if (IsLaneOrPool(m_pSelection->GetAt(i))) setAside.emplace_back(m_pSelection->GetAt(i));
    for (const auto& s : setAside) m_pSelection->Remove(s.Get(), 1);
  }

  if (autoLayout && (setAside.empty() || m_pSessSrc) && m_pSelection && m_pSelection->GetCount() > 0 &&
      WantsLayout(collection))
    m_bLaidOut = LayOut();

  if (m_pSelection) {
    const SSymPoint target = m_pRect ? CentreOf(*m_pRect) : SSymPoint{0, 0};
    const bool block = m_pSelection->GetCount() > 0;
    const SSymPoint from = CentreOf(m_pSelection->GetClipRect());
    const SSymSize offset(target.x - from.x, target.y - from.y);
    if (block) m_pSelection->MoveBy(offset, 1, 1);
    if (!setAside.empty()) {
      // With the block they keep their places beside it; alone they are
      // centred on the target themselves.
      SSymSize own = offset;
      if (!block) {
        SSymRect r(0, 0, 0, 0);
        for (const auto& s : setAside) r = Union(r, s->GetClipRect(0, 0));
        const SSymPoint c = CentreOf(r);
        own = SSymSize(target.x - c.x, target.y - c.y);
      }
      for (const auto& s : setAside) {
        // A lane whose pool moves moves with it.
        SComWrap<ISSwimlane> lane(s.Get());
        ISSymbol* pool = lane.IsNull() ? nullptr : lane->GetPoolSym();
        const bool withPool = pool && std::any_of(setAside.begin(), setAside.end(), [pool](const auto& o) {
                                return SRepAreSameObjects(o.Get(), pool);
                              });
        if (!withPool) s->MoveBy(own, 1);
      }
    }
    // The block's symbols that landed in a lane join it.
    SComTable<ISSymbol> placed;
    for (int i = 0; i < m_pSelection->GetCount(); ++i) placed.Add(m_pSelection->GetAt(i));
    for (ISSymbol* s : placed) AttachToLane(s);
    for (const auto& s : setAside) m_pSelection->Add(s.Get(), 1);
  }
  return 1;
}

int SSymMerge::MergeSymbol(ISRepObject* object) {
  if (!object || m_lstObj.Contains(object)) return 1;
  if (static_cast<const SMap<ISRepObject*, ISRepObject*>&>(m_mapFound).Find(object)) return 1;
  if (!CanMergeObject(object)) return 0;
  if (HasDeleted(object)) return 1;
  // Model objects come with their symbols; sub-objects with their symbol.
  SComWrap<ISSymbol> symbol(object);
  if (symbol.IsNull() || symbol->IsSubObject()) return 1;

  RepObjWrap content = MemberObject(object, Content);
  if (!content.IsNull() && !m_lstObj.Contains(content.Get())) {
    const int decision = MergeShortcut(content.Get(), nullptr);
    if (decision == 1) return 0;
    if (decision == 3) return DuplicateExternalObj(content.Get(), symbol.Get());
  }

  SComOut<ISSymOwner> owner;
  const bool top =
      FAILED(symbol->GetOwner(&owner)) || !owner || !SComWrap<ISSymDiagram>(owner.Get()).IsNull();
  if (top && !m_diagram.IsNull()) {
    // A lane or swim group keeps its place relative to the source block.
    const bool lane = !SComWrap<ISSwimlane>(symbol.Get()).IsNull() || symbol->GetSymbolType() == kSymTypeSwimGroup;
    if (lane && m_pSessSrc && m_pRect) {
      const SSymPoint to = CentreOf(*m_pRect), from = CentreOf(m_rectMerge);
      if (SSymBase* b = SSymBase::FromInterface(symbol.Get())) {
        SSymRect r = symbol->GetClipRect(0, 0);
        r.OffsetRect(to.x - from.x, to.y - from.y);
        b->PutRect(r);
      }
    }
    return AttachSymbol(symbol.Get());
  }
  // Left to the host: it comes with its owner.
  m_lstObj.Add(object);
  return 1;
}

void SSymMerge::AddOrdered(std::vector<RepObjWrap>& list, std::map<ISRepObject*, ISRepObject*>& walked,
                           ISRepObject* obj) {
  if (!obj || walked.count(obj) || Listed(list, obj)) return;
  ISRepObject* walk = obj;
  if (IsComposite(obj)) {
    // A composite comes with a composite above it that is already listed.
    RepObjWrap o = OwnerOf(obj);
    for (int depth = 0; !o.IsNull() && depth < kMaxOwnerDepth; ++depth) {
      if (IsComposite(o.Get()) && walked.count(o.Get())) return;
      o = OwnerOf(o.Get());
    }
    // Its model object stands for it in the owner walk.
    RepObjWrap content = MemberObject(obj, Content);
    if (!content.IsNull()) walk = content.Get();
  }
  walked[obj] = walk;
  // Right after the nearest owner already listed.
  RepObjWrap o = OwnerOf(walk);
  for (int depth = 0; !o.IsNull() && depth < kMaxOwnerDepth; ++depth) {
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i].Get() == o.Get() || walked[list[i].Get()] == o.Get()) {
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(i) + 1, RepObjWrap(obj));
        return;
      }
    o = OwnerOf(o.Get());
  }
  // Before the first listed object it owns (whether or not it has an owner
  // of its own: an owner must precede its parts), otherwise last.
  for (std::size_t i = 0; i < list.size(); ++i) {
    ISRepObject* listed = list[i].Get();
    if (IsOwnerOf(walk, walked[listed]) || IsOwnerOf(walk, listed)) {
      list.insert(list.begin() + static_cast<std::ptrdiff_t>(i), RepObjWrap(obj));
      return;
    }
  }
  list.emplace_back(obj);
}

bool SSymMerge::WantsLayout(const SRepClassColPtr& collection) {
  SRepObjIterator it(collection);
  while (ISRepObject* o = it.Next()) {
    if (IsComposite(o)) return false;
    if (NeedsAutoLayout(o, 0)) return true;
  }
  return false;
}

bool SSymMerge::LayOut() {
  if (m_diagram.IsNull() || !m_pSelection) return false;
  // The merged symbols are laid out among every symbol of the diagram.
  SComTable<ISSymbol> merged(4, 4), all(4, 4);
  for (int i = 0; i < m_pSelection->GetCount(); ++i) merged.Add(m_pSelection->GetAt(i));
  SComOut<ISRepClassCol> symbols;
  if (SUCCEEDED(m_diagram->GetSymbols(&symbols)) && symbols) {
    SRepObjIterator it(symbols.Get());
    while (ISRepObject* o = it.Next()) {
      SComWrap<ISSymbol> s(o);
      if (!s.IsNull()) all.Add(s.Get());
    }
  }
  SSymAutoLayoutParam param(m_diagram.Get(), &merged, &all);
  param.LoadDefaultOptions();
  return m_diagram->AutoLayout(param);
}

void SSymMerge::AttachToLane(ISSymbol* symbol) {
  if (!symbol || m_diagram.IsNull() || IsLaneOrPool(symbol) || !SComWrap<ISSymLink>(symbol).IsNull()) return;
  if (!m_diagram->Contains(symbol, 0)) return;
  SComOut<ISRepClassCol> symbols;
  if (FAILED(m_diagram->GetSymbols(&symbols)) || !symbols) return;
  const SSymPoint centre = CentreOf(symbol->GetClipRect(0, 0));
  // The innermost lane that holds the centre: the pools' Symbols hold their
  // lanes and swim groups, a group its lanes, and a lane comes after the
  // groups that hold it.
  constexpr LONG kSymbols = 0x02010015;
  SComWrap<ISSymbol> lane;
  std::vector<RepObjWrap> holders;
  {
    SRepObjIterator it(symbols.Get());
    while (ISRepObject* o = it.Next())
      if (!SComWrap<ISSymSwimPool>(o).IsNull()) holders.emplace_back(o);
  }
  for (std::size_t i = 0; i < holders.size() && i < 4096; ++i) {
    if (holders[i]->IsCollectionEmpty(kSymbols) == S_OK) continue;
    SRepObjIterator members(holders[i].Get(), kSymbols);
    while (ISRepObject* m = members.Next()) {
      SComWrap<ISSymbol> s(m);
      if (s.IsNull()) continue;
      SComWrap<ISSwimlane> l(m);
      if (!l.IsNull() && l->IsPtInLane(centre)) lane = s.Get();
      if (!l.IsNull() || s->GetSymbolType() == kSymTypeSwimGroup) holders.emplace_back(m);
    }
  }
  SComWrap<ISSymCompSym> comp(lane.Get());
  if (!comp.IsNull()) comp->Add(symbol);
}

// ---- the source's objects ------------------------------------------------------------------

void SSymMerge::DeleteAllObjects(ISRepClassCol* collection, SRepBagObject* bag) {
  if (!collection) return;
  if (bag) {
    SRepObjIterator it(collection);
    while (ISRepObject* o = it.Next()) Gather(o, bag);
    return;
  }
  SRepBagObject all;
  DeleteAllObjects(collection, &all);
  {
    // The source is emptied outside the target's change context: its
    // objects are no part of the user's step.
    SCurrentContextChange none(m_folderCtx.Get(), nullptr);
    SRepClassColPtr(collection).ClearAll();
  }
  for (ISRepObject* o : all)
    if (!o->IsDeleted()) o->Delete();
}

void SSymMerge::AddObjectsAsNewInContext(ISRepClassCol* collection) {
  if (!collection) return;
  SComOut<ISRepObject> owner;
  if (FAILED(collection->GetOwner(&owner)) || !owner) return;
  if (SComWrap<ISRepRootObject, &IID_ISRepRootObject>(owner.Get()).IsNull()) return;
  SComOut<ISRepSession> session;
  m_folder->GetSession(&session);
  SRepSession* s = SRepSession::FromInterface(session.Get());
  SRepContext* context = s ? s->Current() : nullptr;
  if (!context) return;
  SRepBagObject met;
  std::vector<RepObjWrap> todo;
  SRepObjIterator it(collection);
  while (ISRepObject* o = it.Next()) todo.emplace_back(o);
  std::reverse(todo.begin(), todo.end());
  while (!todo.empty()) {
    RepObjWrap o = todo.back();
    todo.pop_back();
    if (o.IsNull() || met.Contains(o.Get())) continue;
    met.Add(o.Get());
    if (!SComWrap<ISRepRootObject, &IID_ISRepRootObject>(o.Get()).IsNull()) continue;
    if (SRepObject* impl = SRepObject::FromInterface(o.Get())) context->AddNewObject(impl);
    // What the object holds or reaches through its stored members.
    for (SRepClassColDef* def : SRepGetClassCollections(o.Get())) {
      const LONG id = def->GetCollectionId();
      if (!(def->GetDefFlags() & (SRepCol_Owning | SRepCol_Part | SRepCol_Navigable))) continue;
      if (o->IsCollectionEmpty(id) == S_OK) continue;
      SRepObjIterator members(o.Get(), id);
      while (ISRepObject* m = members.Next()) todo.emplace_back(m);
    }
  }
}
