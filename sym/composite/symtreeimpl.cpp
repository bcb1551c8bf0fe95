#include "sym/composite/symtreeimpl.h"

#include <algorithm>
#include <vector>

#include "sym/shapes/symtreeline.h"

namespace {
ISRepObject* RepOf(ISSymbol* symbol) {
  SComWrap<ISRepObject, &IID_ISRepObject> obj(symbol);
  return obj.Get();  // the symbol keeps it
}
}  // namespace

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

BOOL SSymTreeImpl::Contains(ISSymbol* symbol, int deep) {
  if (!symbol) return 0;
  SComTable<ISSymbol> below;
  GetAllChildren(below, deep, 1);
  for (int i = 0; i < below.GetCount(); ++i)
    if (SRepAreSameObjects(below.GetAt(i), symbol)) return 1;
  return 0;
}

HRESULT SSymTreeImpl::GetTopOwner(ISSymOwner** out) {
  if (!out) return E_POINTER;
  SComOut<ISSymOwner> up;
  if (m_symbol.Sym()->GetOwner(&up) != S_OK || !up) return S_OK;
  ISSymOwner* before = *out;
  up->GetTopOwner(out);
  // The owner above is the top when it has none above itself: the caller
  // gets its reference.
  if (*out == before && up.Get() != before) *out = up.Detach();
  return S_OK;
}

HRESULT SSymTreeImpl::SymRedraw(ISSymbol* symbol) {
  if (!symbol) return S_OK;
  ISSymOwner* top = this;
  GetTopOwner(&top);
  if (top == this) return S_OK;
  SComOut<ISSymOwner> counted(top);
  counted->SymRedraw(symbol);
  return S_OK;
}

ULONG SSymTreeImpl::Release() {
  const ULONG left = --m_cRef;
  if (left == 0) delete this;
  return left;
}

HRESULT SSymTreeImpl::Add(ISSymbol* symbol) {
  if (!symbol || SRepAreSameObjects(symbol, m_symbol.Sym())) return S_FALSE;
  ISRepObject* obj = RepOf(symbol);
  if (!obj) return E_INVALIDARG;
  // A tree that holds this one at any depth cannot become its child: the
  // tree would contain itself.
  if (IsInSubtreeOf(symbol)) return E_INVALIDARG;
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
  }
  if (col->GetPos(obj) < 0) col->Insert(obj, -1);
  if (!m_bExpanded) symbol->Show(0);
  return S_OK;
}

HRESULT SSymTreeImpl::RemoveChild(ISSymbol* symbol, int) {
  if (!symbol) return S_FALSE;
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  ISRepObject* obj = RepOf(symbol);
  const LONG pos = col && obj ? col->GetPos(obj) : -1;
  return pos < 0 ? S_FALSE : col->Remove(pos);
}

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
      sub->GetAllChildren(out, recursive, withLine);
    } else if (std::find(entered.begin(), entered.end(), impl) != entered.end()) {
      hr = E_UNEXPECTED;  // a cycle
    } else if (impl->Walk(out, recursive, withLine, entered) != S_OK) {
      hr = E_UNEXPECTED;
    }
  }
  return hr;
}

int SSymTreeImpl::IsExpand(int recursive) {
  if (!m_bExpanded) return 0;
  if (!recursive) return 1;
  SComTable<ISSymbol> below;
  GetAllChildren(below, 1, 0);
  for (int i = 0; i < below.GetCount(); ++i) {
    SComWrap<ISSymTree> sub(below.GetAt(i));
    if (sub.IsNull()) continue;
    auto* impl = dynamic_cast<SSymTreeImpl*>(sub.Get());
    if (impl ? !impl->m_bExpanded : !sub->IsExpand(0)) return 0;
  }
  return 1;
}

SSymRect SSymTreeImpl::GetNodeRect(ISSymbol* symbol) {
  SSymRect r = (symbol ? symbol : m_symbol.Sym())->GetClipRect(0, 0);
  return r.Normalize();
}

bool SSymTreeImpl::IsInSubtreeOf(ISSymbol* symbol) {
  if (SRepAreSameObjects(symbol, m_symbol.Sym())) return true;
  SComWrap<ISSymTree> tree(symbol);
  if (tree.IsNull()) return false;
  SComTable<ISSymbol> below;
  tree->GetAllChildren(below, 1, 1);
  for (int i = 0; i < below.GetCount(); ++i)
    if (SRepAreSameObjects(below.GetAt(i), m_symbol.Sym())) return true;
  return false;
}

HRESULT SSymTreeImpl::Expand(int show, int recursive) {
  m_bExpanded = show != 0;
  // Collapsing hides everything below; expanding shows each level whose
  // tree is (or, recursive, becomes) expanded.
  std::vector<SSymTreeImpl*> open{this}, entered;
  while (!open.empty()) {
    SSymTreeImpl* tree = open.back();
    open.pop_back();
    if (std::find(entered.begin(), entered.end(), tree) != entered.end()) continue;
    entered.push_back(tree);
    SComTable<ISSymbol> children;
    tree->GetAllChildren(children, 0, 0);
    for (int i = 0; i < children.GetCount(); ++i) {
      ISSymbol* child = children.GetAt(i);
      child->Show(show ? 1 : 0);
      SComWrap<ISSymTree> sub(child);
      auto* impl = dynamic_cast<SSymTreeImpl*>(sub.Get());
      if (!impl) continue;
      if (show && recursive) impl->m_bExpanded = true;
      if (!show || impl->m_bExpanded) open.push_back(impl);
    }
  }
  m_symbol.Sym()->Redraw(nullptr);
  return S_OK;
}

ISSymbol* SSymTreeImpl::GetBranchLine() {
  SRepCollection* col = m_symbol.FindCollection(SymAttr::Symbols);
  if (!col || col->GetCount() == 0) return nullptr;
  auto* line = dynamic_cast<SSymTreeLine*>(col->GetAt(0));
  return line ? line->Sym() : nullptr;
}

HRESULT SSymTreeImpl::UpdateTreeLine() {
  ISSymbol* line = GetBranchLine();
  if (!line) return S_FALSE;
  static_cast<SSymTreeLine*>(SSymBase::FromInterface(line))->UpdateDist(m_symbol.Sym());
  return S_OK;
}
