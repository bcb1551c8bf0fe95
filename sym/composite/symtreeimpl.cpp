// The tree's children and its model: membership, the child test, the
// completion from the model. The geometry and drawing are in
// symtreelayout.cpp, expansion in symtreeexpand.cpp.
#include "sym/composite/symtreeimpl.h"

#include <algorithm>
#include <vector>

#include "sym/composite/symtreeutil.h"
#include "sym/foundation/symdate.h"
#include "sym/shapes/symtreeline.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symport.h"

using namespace SSymTreeUtil;

namespace {
ISRepObject* RepOf(ISSymbol* symbol) {
  RepObjWrap obj(symbol);
  return obj.Get();  // the symbol keeps it
}
}  // namespace

// ---- helpers shared by the tree's files -------------------------------------------------------
namespace SSymTreeUtil {

thread_local int g_treeDepth = 0;

RepObjWrap ModelOf(ISSymbol* symbol) {
  RepObjWrap out;
  SComWrap<ISSymObject> so(symbol);
  if (so.IsNull()) return out;
  SComOut<ISRepObject> m;
  if (so->GetModelObject(&m) == S_OK && m && !IsGone(m.Get())) out = m.Get();
  return out;
}

bool IsGone(ISRepObject* object) { return object && (object->IsDeleted() || object->IsDeleting()); }

SComOut<ISRepClassCol> ExistingCollection(ISRepObject* object, LONG id) {
  SComOut<ISRepClassCol> col;
  if (!object || id == 0 || object->HasCollection(id) != S_OK || object->GetCollection(id, &col) != S_OK) col.Reset();
  return col;
}

std::vector<RepObjWrap> MembersOf(ISRepObject* object, LONG id) {
  std::vector<RepObjWrap> out;
  SComOut<ISRepClassCol> col = ExistingCollection(object, id);
  if (!col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) == S_OK && item) out.emplace_back(item.Get());
  }
  return out;
}

RepObjWrap ReplicaOf(ISRepObject* object) { return SRepGetReplicationSource(object); }

RepObjWrap TargetOf(ISRepObject* object) {
  if (!object || !object->IsShortcut()) return RepObjWrap();
  ISRepObject* target = SRepUnrefShct(object, 0, 1);  // not counted: the shortcut keeps it
  return RepObjWrap(target != object ? target : nullptr);
}

bool IsPackage(ISRepObject* object) {
  return object && !SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider>(object).IsNull();
}

bool Same(IUnknown* a, IUnknown* b) { return a && b && SRepAreSameObjects(a, b); }

SSymTreeLine* LineOf(SSymBase& symbol) {
  SRepCollection* col = symbol.FindCollection(SymAttr::Symbols);
  if (!col || col->GetCount() == 0) return nullptr;
  return dynamic_cast<SSymTreeLine*>(col->GetAt(0));
}

std::vector<SComWrap<ISSymbol>> ChildrenOf(ISSymTree* tree) {
  std::vector<SComWrap<ISSymbol>> out;
  if (!tree) return out;
  SComTable<ISSymbol> table;
  tree->GetAllChildren(table, 0, 0);
  for (int i = 0; i < table.GetCount(); ++i) out.emplace_back(table.GetAt(i));
  return out;
}

}  // namespace SSymTreeUtil

// ---- the object -------------------------------------------------------------------------------
const TreeSymData& SSymTreeImpl::NoModel() {
  static const TreeSymData none;
  return none;
}

SSymTreeImpl::SSymTreeImpl(SSymBase& symbol, const TreeSymData& data) : m_symbol(symbol), m_data(data) {}

LONG SSymTreeImpl::GetSpacing() {
  // Asked of the diagram on first use: the symbol is not yet counted while
  // it constructs its tree, and may not be in a diagram yet. The spacing
  // keeps to the grid while the diagram snaps to it: 2000 moved up to the
  // next grid step (an exact multiple moves up one step as well).
  if (m_bSpacingKnown) return m_nSpacing;
  SComOut<ISSymDiagram> diagram;
  if (m_symbol.Sym()->GetDiagram(&diagram) != S_OK || !diagram) return m_nSpacing;
  m_bSpacingKnown = true;
  if (ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get()))
    if (const LONG g = prefs->GetSnapGridSize(); g > 0) m_nSpacing = (kSpacing / g + 1) * g;
  return m_nSpacing;
}

HRESULT SSymTreeImpl::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISSymOwner || iid == IID_ISSymTree) {
    *ppv = static_cast<ISSymTree*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG SSymTreeImpl::Release() {
  const ULONG left = --m_cRef;
  if (left == 0) delete this;
  return left;
}

bool SSymTreeImpl::IsVertical() {
  SComOut<ISSymDiagram> diagram;
  if (m_symbol.Sym()->GetDiagram(&diagram) != S_OK || !diagram) return true;
  ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get());
  return !prefs || prefs->GetTreeOrientation() != 0;
}

SSymTreeLine* SSymTreeImpl::Line() { return LineOf(m_symbol); }

ISSymbol* SSymTreeImpl::GetBranchLine() {
  SSymTreeLine* line = Line();
  return line ? line->Sym() : nullptr;
}

// ---- owner operations ---------------------------------------------------------------------------
BOOL SSymTreeImpl::Contains(ISSymbol* symbol, int recursive) {
  if (!symbol) return 0;
  TreeDepth depth;
  if (!depth.ok) return 0;
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  if (!col) return 0;
  for (int i = 0; i < col->GetCount(); ++i) {
    IUnknown* item = static_cast<ISRepObjectBase*>(col->GetAt(i));
    if (Same(item, symbol)) return 1;
    if (!recursive) continue;
    SComWrap<ISSymOwner> owner(item);
    if (!owner.IsNull() && owner->Contains(symbol, 1)) return 1;
  }
  return 0;
}

HRESULT SSymTreeImpl::GetTopOwner(ISSymOwner** out) { return SSymClimbToTopOwner(m_symbol.Sym(), out); }

HRESULT SSymTreeImpl::SymRedraw(ISSymbol* symbol) {
  if (!symbol) return S_OK;
  ISSymOwner* top = this;
  GetTopOwner(&top);
  if (top == this) return S_OK;
  SComOut<ISSymOwner> counted(top);
  counted->SymRedraw(symbol);
  return S_OK;
}

HRESULT SSymTreeImpl::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  if (Same(symbol, m_symbol.Sym())) return S_FALSE;
  ISRepObject* obj = RepOf(symbol);
  if (!obj) return E_INVALIDARG;
  // A tree that holds this one at any depth cannot become its child: the
  // tree would contain itself. Nor may a child's model object close a cycle
  // in the model.
  if (IsInSubtreeOf(symbol)) return E_INVALIDARG;
  RepObjWrap model = ModelOf(m_symbol.Sym());
  RepObjWrap child = ModelOf(symbol);
  const bool follow = !model.IsNull() && !model->IsShortcut() && !child.IsNull();
  if (follow && ClosesCycle(child.Get(), model.Get())) return E_INVALIDARG;
  if (const HRESULT hr = SSymCheckNesting(symbol, m_symbol.Sym()); FAILED(hr)) return hr;

  SComWrap<ISSymbol> hold(symbol);  // the old owner may hold the only reference
  // A symbol has one owner: it leaves the one it had.
  SComOut<ISSymOwner> old;
  if (symbol->GetOwner(&old) == S_OK && old) {
    SComWrap<ISSymTree> oldTree(old.Get());
    if (oldTree.Get() == static_cast<ISSymTree*>(this)) return S_OK;
    old->Remove(symbol);
  }
  SRepCollection* col = m_symbol.Collection(SymAttr::Symbols);
  if (symbol->GetSymbolType() == SSymTreeLine::TypeCode) return col->Insert(obj, -1);
  if (col->GetCount() == 0) {
    ISRepSession* session = m_symbol.GetSessionImpl();
    void* made = nullptr;
    if (!session || session->CreateObject(CLSID_SSymTreeLine, IID_ISRepObject, &made) != S_OK || !made)
      return E_FAIL;
    SComOut<ISRepObject> line(static_cast<ISRepObject*>(made));
    col->Insert(line.Get(), -1);
    if (SRepObject* impl = SRepObject::FromInterface(line.Get()))
      impl->Collection(SymAttr::ParentSymbol)->Insert(m_symbol.Obj(), -1);
    // In a diagram with preferences the new line takes the pen of their
    // format for branch lines, or of the default format when they keep none
    // for them; the child goes in either way.
    SComOut<ISSymDiagram> diagram;
    if (m_symbol.Sym()->GetDiagram(&diagram) == S_OK && diagram)
      if (ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get())) {
        SSymFormat format;
        prefs->GetClassSymbolFormat(CLSID_SSymTreeLine, format);
        if (SComWrap<ISSymPen> pen(line.Get()); !pen.IsNull()) pen->SetPen(format.m_pen, 1);
      }
  }
  if (col->GetPos(obj) < 0) col->Insert(obj, -1);
  if (!follow || m_data.childCollection == 0) return S_OK;

  // The model follows the drop: the child object takes the tree's object as
  // its parent, and its symbols in other trees go, so that an object has
  // one tree parent at a time.
  const LONG parentId = m_data.childCollection ^ kReverseBit;
  SComOut<ISRepClassCol> parents = ExistingCollection(child.Get(), parentId);
  if (!parents) return S_OK;
  if (parents->GetCount() > 0) {
    SComOut<ISRepObject> first;
    parents->Item(0, &first);
    const bool isModel = Same(first.Get(), model.Get());
    const bool shortcutOfModel = first && first->IsShortcut() && Same(TargetOf(first.Get()).Get(), model.Get());
    if (!isModel && !shortcutOfModel) {
      parents->Remove(0);
      parents->Insert(model.Get(), -1);
    }
  } else {
    parents->Insert(model.Get(), -1);
  }
  for (const RepObjWrap& other : MembersOf(child.Get(), kShownBy)) {
    if (Same(other.Get(), obj)) continue;
    SComWrap<ISSymbol> otherSym(other.Get());
    SComOut<ISSymOwner> owner;
    if (otherSym.IsNull() || otherSym->GetOwner(&owner) != S_OK || !owner) continue;
    SComWrap<ISSymbol> ownerSym(owner.Get());
    RepObjWrap ownerModel = ModelOf(ownerSym.Get());
    SComWrap<ISSymTree> ownerTree(owner.Get());
    if (ownerModel.IsNull() || Same(ownerModel.Get(), model.Get()) || ownerTree.IsNull()) continue;
    ownerTree->Remove(otherSym.Get(), 0);
    other->Delete();
  }
  return S_OK;
}

HRESULT SSymTreeImpl::Remove(ISSymbol* symbol, int withModel) {
  if (!symbol) return S_FALSE;
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  ISRepObject* obj = RepOf(symbol);
  const LONG pos = col && obj ? col->GetPos(obj) : -1;
  SComWrap<ISSymbol> hold(symbol);  // the collection may hold the only reference
  const HRESULT hr = pos < 0 ? S_FALSE : col->Remove(pos);
  if (!withModel) return hr;
  RepObjWrap model = ModelOf(m_symbol.Sym());
  RepObjWrap child = ModelOf(symbol);
  if (model.IsNull() || child.IsNull()) return hr;
  SComOut<ISRepClassCol> children = ExistingCollection(model.Get(), m_data.childCollection);
  const LONG at = children ? children->GetPos(child.Get()) : -1;
  if (at < 0) return hr;
  children->Remove(at);
  SRepVariant date;
  date.SetDATE(SSymNowDate());
  model->SetAttribute(kMdat, date);
  return hr;
}

void SSymTreeImpl::UpdateTreeSymbol(ISSymbol* parent, ISSymbol* child) {
  if (!parent || !child) return;
  SComWrap<ISSymOwner> owner(parent);
  if (!owner.IsNull() && !owner->Contains(child, 0)) owner->Add(child);
}

int SSymTreeImpl::CanMoveToParent(ISRepObject* a, ISRepObject* b) {
  if (!a || !b) return 0;
  CLSID ca = GUID_NULL, cb = GUID_NULL;
  a->GetCLSID(&ca);
  b->GetCLSID(&cb);
  return ca == cb ? 1 : 0;
}

int SSymTreeImpl::CanComplet(ISRepObject* object) {
  if (!object) return 0;
  if (object->IsShortcut() && object->HasCollection(m_data.shortcutCollection) == S_OK &&
      object->IsCollectionEmpty(m_data.shortcutCollection) != S_OK)
    return 0;
  return 1;
}

// ---- listing ------------------------------------------------------------------------------------
// The walks below keep the trees they entered: a tree met a second time
// (a cycle made behind the tree's back) is listed but not entered again, so
// no walk runs forever.
HRESULT SSymTreeImpl::GetAllChildren(SComTable<ISSymbol>& out, int recursive, int withLine) {
  std::vector<SSymTreeImpl*> entered;
  return Walk(out, recursive, withLine, entered);
}

HRESULT SSymTreeImpl::Walk(SComTable<ISSymbol>& out, int recursive, int withLine, std::vector<SSymTreeImpl*>& entered) {
  entered.push_back(this);
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  if (!col) return S_OK;
  HRESULT hr = S_OK;
  for (int i = 0; i < col->GetCount(); ++i) {
    SComWrap<ISSymbol> sym(static_cast<ISRepObjectBase*>(col->GetAt(i)));
    if (sym.IsNull() || (i == 0 && !withLine)) continue;
    out.Add(sym.Get());
    if (!recursive) continue;
    SComWrap<ISSymTree> sub(sym);
    if (sub.IsNull()) continue;
    auto* impl = dynamic_cast<SSymTreeImpl*>(sub.Get());
    if (!impl) {
      TreeDepth depth;
      if (depth.ok) sub->GetAllChildren(out, recursive, withLine);
      else hr = E_UNEXPECTED;
    } else if (std::find(entered.begin(), entered.end(), impl) != entered.end()) {
      hr = E_UNEXPECTED;  // a cycle
    } else if (impl->Walk(out, recursive, withLine, entered) != S_OK) {
      hr = E_UNEXPECTED;
    }
  }
  return hr;
}

int SSymTreeImpl::HasChildren() {
  for (const auto& child : ChildrenOf(this))
    if (!child->IsHidden()) return 1;
  return 0;
}

ISSymbol* SSymTreeImpl::GetParentSym(int toRoot) {
  SRepCollection* col = m_symbol.FindCollection(SymAttr::ParentColl);
  if (!col || col->GetCount() == 0) return nullptr;
  SComWrap<ISSymbol> parent(static_cast<ISRepObjectBase*>(col->GetAt(0)));
  if (parent.IsNull() || !toRoot) return parent.Get();  // the collection holds it
  SComWrap<ISSymTree> tree(parent);
  if (tree.IsNull()) return parent.Get();
  TreeDepth depth;
  if (!depth.ok) return parent.Get();
  ISSymbol* above = tree->GetParentSym(toRoot);
  return above ? above : parent.Get();
}

bool SSymTreeImpl::IsInSubtreeOf(ISSymbol* symbol) {
  if (Same(symbol, m_symbol.Sym())) return true;
  SComWrap<ISSymTree> tree(symbol);
  if (tree.IsNull()) return false;
  SComTable<ISSymbol> below;
  tree->GetAllChildren(below, 1, 1);
  for (int i = 0; i < below.GetCount(); ++i)
    if (Same(below.GetAt(i), m_symbol.Sym())) return true;
  return false;
}

// ---- the model ----------------------------------------------------------------------------------
namespace {

// True when `target` is an item, at any depth, of the child collection below `root`.
bool InSubtree(ISRepObject* root, ISRepObject* target, LONG id, std::vector<ISRepObject*>& seen) {
  if (!root || !target || std::find(seen.begin(), seen.end(), root) != seen.end()) return false;
  if (seen.size() > static_cast<std::size_t>(kMaxWalk)) return true;  // taken for a cycle
  seen.push_back(root);
  for (const RepObjWrap& item : MembersOf(root, id))
    if (Same(item.Get(), target) || InSubtree(item.Get(), target, id, seen)) return true;
  return false;
}

// The replica-aware test of the subtree of n against m: n is m, n replicates
// m, or an item below n fails the same test.
bool HoldsReplicaAware(ISRepObject* n, ISRepObject* m, LONG id, std::vector<ISRepObject*>& seen) {
  if (!n || std::find(seen.begin(), seen.end(), n) != seen.end()) return false;
  if (seen.size() > static_cast<std::size_t>(kMaxWalk)) return true;
  seen.push_back(n);
  if (Same(n, m) || Same(ReplicaOf(n).Get(), m)) return true;
  for (const RepObjWrap& item : MembersOf(n, id))
    if (HoldsReplicaAware(item.Get(), m, id, seen)) return true;
  return false;
}

}  // namespace

bool SSymTreeImpl::ClosesCycle(ISRepObject* object, ISRepObject* model) {
  if (Same(object, model)) return true;
  const LONG id = m_data.childCollection;
  RepObjWrap replicaOfModel = ReplicaOf(model);
  RepObjWrap replicaOfObject = ReplicaOf(object);
  if (Same(replicaOfModel.Get(), object)) return true;
  std::vector<ISRepObject*> seen;
  if (!replicaOfModel.IsNull() && InSubtree(object, replicaOfModel.Get(), id, seen)) return true;
  if (Same(replicaOfObject.Get(), model)) return true;
  seen.clear();
  if (HoldsReplicaAware(object, model, id, seen)) return true;
  // Up from the model: its parent always, further ancestors until a package.
  SComOut<ISRepObject> up;
  model->GetParent(&up);
  for (int steps = 0; up && steps < kMaxWalk; ++steps) {
    if (Same(up.Get(), object) || Same(up.Get(), replicaOfObject.Get())) return true;
    SComOut<ISRepObject> next;
    up->GetParent(&next);
    if (!next || IsPackage(next.Get())) break;
    up = std::move(next);
  }
  return false;
}

int SSymTreeImpl::CanBeChild(ISRepObject* object) {
  if (!object || IsGone(object)) return 0;
  RepObjWrap candidate(object);
  if (SSymBase* sym = SSymBase::FromInterface(object)) {
    RepObjWrap shown = ModelOf(sym->Sym());
    if (shown.IsNull()) {
      if (sym->GetSymbolType() == SSymTreeLine::TypeCode) return 0;
      if (!(m_data.flags & 1)) return 0;
      return SComWrap<ISSymLinkable>(sym->Sym()).IsNull() ? 0 : 1;
    }
    candidate = shown;
  }
  if (candidate->IsShortcut()) return 0;
  CLSID clsid = GUID_NULL;
  if (candidate->GetCLSID(&clsid) != S_OK || clsid != m_data.childClass) return 0;
  RepObjWrap model = ModelOf(m_symbol.Sym());
  if (model.IsNull() || model->IsShortcut() || Same(candidate.Get(), model.Get())) return 0;
  SComOut<ISRepObject> parent;
  if (candidate->GetParent(&parent) == S_OK && Same(parent.Get(), model.Get())) return 1;
  return ClosesCycle(candidate.Get(), model.Get()) ? 0 : 1;
}

int SSymTreeImpl::HasObjChildren() {
  RepObjWrap model = ModelOf(m_symbol.Sym());
  if (model.IsNull() || model->IsShortcut()) return 0;
  SComOut<ISRepClassCol> col = ExistingCollection(model.Get(), m_data.childCollection);
  for (LONG i = 0, n = col ? col->GetCount() : 0; i < n; ++i) {
    SComOut<ISRepObject> item;
    if (col->Item(i, &item) == S_OK && item && !IsGone(item.Get())) return 1;
  }
  return 0;
}

bool SSymTreeImpl::ShownAbove(ISRepObject* object) {
  SComWrap<ISSymbol> at(m_symbol.Sym());
  for (int steps = 0; !at.IsNull() && steps < kMaxDepth; ++steps) {
    if (Same(ModelOf(at.Get()).Get(), object)) return true;
    SComWrap<ISSymTree> tree(at);
    if (tree.IsNull()) return false;
    at = SComWrap<ISSymbol>(tree->GetParentSym(0));
  }
  return !at.IsNull();  // a chain this deep is taken for a cycle
}

int SSymTreeImpl::Complete(int recursive, int create) {
  TreeDepth depth;
  if (!depth.ok) return 0;
  return CompleteStep(recursive, create);
}

int SSymTreeImpl::CompleteStep(int recursive, int create) {
  if (m_data.childCollection == 0) return 0;
  RepObjWrap model = ModelOf(m_symbol.Sym());
  if (model.IsNull() || model->IsShortcut()) return 0;
  const std::vector<RepObjWrap> objects = MembersOf(model.Get(), m_data.childCollection);
  if (objects.empty()) return 0;
  const SSymPoint centre = GetNodeRect(m_symbol.Sym()).GetCenter();
  SComTable<ISSymbol> children;
  GetAllChildren(children, 0, 0);
  auto inTree = [&](ISRepObject* candidate) -> ISSymbol* {
    SComWrap<ISSymbol> sym(candidate);
    if (sym.IsNull()) return nullptr;
    for (int i = 0; i < children.GetCount(); ++i)
      if (Same(children.GetAt(i), sym.Get())) return children.GetAt(i);
    return nullptr;
  };

  int result = 0;
  bool created = false;
  for (const RepObjWrap& object : objects) {
    if (IsGone(object.Get()) || !CanComplet(object.Get())) continue;
    // An object already shown by this tree or a tree above it would make
    // the hierarchy of symbols endless: a model whose parent chain closes a
    // cycle gets no symbol for it.
    if (ShownAbove(object.Get())) continue;
    ISSymbol* found = nullptr;
    for (const RepObjWrap& s : MembersOf(object.Get(), kShownBy))
      if ((found = inTree(s.Get()))) break;
    if (!found)
      for (const RepObjWrap& shortcut : MembersOf(object.Get(), kShortcuts)) {
        SComWrap<ISRepShortcut, &IID_ISRepShortcut> sc(shortcut.Get());
        if (sc.IsNull()) continue;
        for (const RepObjWrap& s : MembersOf(shortcut.Get(), kShownBy))
          if ((found = inTree(s.Get()))) break;
        if (found) break;
      }
    SComWrap<ISSymbol> symbol(found);
    if (!found) {
      if (!create) return 1;
      SComOut<ISSymDiagram> diagram;
      ISSymbol* made = nullptr;
      if (m_symbol.Sym()->GetDiagram(&diagram) == S_OK && diagram) made = diagram->AttachObject(object.Get(), centre, 1);
      if (!made) {
        result = 0;
        break;
      }
      symbol = SComWrap<ISSymbol>(made);
      UpdateTreeSymbol(m_symbol.Sym(), made);
      if (!Contains(made, 0)) {
        // Refused (its object would close a cycle in the model): the
        // symbol made for it goes again.
        if (RepObjWrap obj(made); !obj.IsNull()) obj->Delete();
        continue;
      }
      result = 1;
      created = true;
    }
    if (recursive) {
      SComWrap<ISSymTree> sub(symbol);
      if (!sub.IsNull() && sub->Complete(recursive, create)) {
        result = 1;
        if (!create) return 1;
      }
    }
  }
  if (created) LayoutChildrenSym(0);
  return result;
}

int SSymTreeImpl::IsComplete(int recursive) {
  if (ModelOf(m_symbol.Sym()).IsNull()) return 0;
  return Complete(recursive, 0) == 0 ? 1 : 0;
}
