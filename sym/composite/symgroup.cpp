// SSymGroup: membership through the repository collection, the owner
// operations, deletion, duplication and the group's format.
#include "sym/composite/symgroup.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "kvcore/sexception.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sympropmap.h"
#include "sym/links/symlinkbase.h"
#include "sym/symbol/symactionrects.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using SymTable = SComTbl<ISSymbol, ISSymbol*>;

// The object's symbol face (counted), or empty. Never throws: the
// collection callbacks run inside the repository's own changes.
SComOut<ISSymbol> AsSymbol(ISRepObject* object) {
  SComOut<ISSymbol> symbol;
  if (!object || object->QueryInterface(IID_ISSymbol, symbol.Void()) != S_OK) symbol.Reset();
  return symbol;
}
}  // namespace

// ---- life -----------------------------------------------------------------------------------------
SSymGroup::SSymGroup(ISRepSession* session) : SRepFaces(session, CLSID_SSymGroup) {}

SSymGroup::SSymGroup(const SSymGroup& source) : SRepFaces(source) {}

SSymGroup::SSymGroup(const SSymCollection& members, ISRepSession* session)
    : SRepFaces(members, session, CLSID_SSymGroup) {}

SSymGroup::~SSymGroup() = default;

HRESULT SSymGroup::CreateFromCollection(const SSymCollection& members, ISRepSession* session, SSymGroup** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (ISSymbol* member : members.GetList()) {
    if (RepObjWrap(member).IsNull()) return E_INVALIDARG;
    // The new group sits where the member sits now, one level above it.
    SComOut<ISSymOwner> owner;
    SComWrap<ISSymbol> above;
    if (member->GetOwner(&owner) == S_OK && owner) above = SComWrap<ISSymbol>(owner.Get());
    if (const HRESULT hr = SSymCheckNesting(member, above.Get(), 1); FAILED(hr)) return hr;
  }
  SComOut<SSymGroup> group;
  HRESULT hr = S_OK;
  try {
    // The members are linked only once the group is held: a repository
    // object cannot take part in a link before somebody holds it.
    SSymGroup* made = new SSymGroup(members, session);
    made->AddRef();
    group = SComOut<SSymGroup>(made);
    if (session) {
      hr = group->SetSession(session);
      if (FAILED(hr)) throw SECOMException(__PRETTY_FUNCTION__, __FILE__, __LINE__, hr);
    }
    SRepCollection* symbols = group->Symbols();
    for (ISSymbol* member : SymTable(members.GetList())) {
      RepObjWrap obj(member);
      if (symbols->GetPos(obj) >= 0) continue;
      hr = symbols->Insert(obj, -1);
      if (FAILED(hr)) throw SECOMException(__PRETTY_FUNCTION__, __FILE__, __LINE__, hr);
    }
    *out = group.Detach();
    return S_OK;
  } catch (const SECOMException& e) {
    hr = e.GetResult();
  } catch (const SException&) {
    hr = E_FAIL;
  }
  if (group) {
    // Its members go back to no group; they are not deleted with it.
    group->ReleaseChildren();
    SRepCollection* symbols = group->Symbols();
    while (symbols->GetCount() > 0) symbols->Remove(symbols->GetCount() - 1);
    group->SSymBase::Delete();
  }
  return hr;
}

// ---- repository object -------------------------------------------------------------------------
namespace {
// Set while a group deletes the groups nested in it.
bool& DeletingNest() {
  thread_local bool on = false;
  return on;
}

// The groups nested in `top` at any depth, level by level (each once).
std::vector<RepObjWrap> NestedGroups(SSymGroup* top) {
  std::vector<RepObjWrap> out;
  std::unordered_set<SSymGroup*> seen{top};
  std::vector<SSymGroup*> level{top}, next;
  while (!level.empty()) {
    next.clear();
    for (SSymGroup* g : level)
      for (ISSymbol* member : g->GetListSym()->GetList()) {
        RepObjWrap obj(member);
        auto* inner = dynamic_cast<SSymGroup*>(SRepObject::FromInterface(obj.Get()));
        if (!inner || inner->IsDeleted() || !seen.insert(inner).second) continue;
        out.emplace_back(obj.Get());
        next.push_back(inner);
      }
    level.swap(next);
  }
  return out;
}
}  // namespace

HRESULT SSymGroup::Delete() {
  // Each level of the nest looks for its diagram (and view) as it goes.
  SSymDiagramLookupScope lookups;
  if (!_IsDeletedOrInContext()) {
    if (!DeletingNest()) {
      // The nested groups go first, the innermost first, each deleting only
      // what it holds directly: deleting a nest of any depth recurses no
      // deeper than one group.
      const std::vector<RepObjWrap> nested = NestedGroups(this);
      struct Flag {
        Flag() { DeletingNest() = true; }
        ~Flag() { DeletingNest() = false; }
      } flag;
      for (auto it = nested.rbegin(); it != nested.rend(); ++it)
        if (!(*it)->IsDeleted()) (*it)->Delete();
    }
    // From a snapshot: members that leave the group while they are deleted
    // do not disturb the walk.
    for (ISSymbol* member : SymTable(m_children.GetList())) {
      RepObjWrap obj(member);
      if (!obj.IsNull() && !obj->IsDeleted()) obj->Delete();
    }
  }
  if (!_IsDeletedOrInContext()) ReleaseChildren();
  return SSymBase::Delete();
}

namespace {
// The children a group owns (those whose parent it is), in collection order,
// each with the collection that holds it.
std::vector<std::pair<LONG, SRepObject*>> OwnedChildren(SSymGroup* g) {
  std::vector<std::pair<LONG, SRepObject*>> out;
  for (LONG id : g->GetCollectionIds()) {
    if (!g->IsOwning(id)) continue;
    for (SRepObject* k : g->FindCollection(id)->Items()) {
      ISRepObject* p = nullptr;
      k->GetParent(&p);
      const bool mine = SRepObject::FromInterface(p) == g;
      if (p) p->Release();
      if (mine) out.emplace_back(id, k);
    }
  }
  return out;
}
}  // namespace

HRESULT SSymGroup::Duplicate(ISRepObject** out, BOOL withChildren) {
  if (!out) return E_POINTER;
  if (!withChildren) return SSymComposite::Duplicate(out, FALSE);
  *out = nullptr;
  // The groups nested in this one are copied without their children first,
  // then filled from the innermost up, each taking copies made already: a
  // nest of any depth is copied without a call per level, and each copy
  // joins its owner whole (its rectangle settles once).
  std::vector<SSymGroup*> nest{this};
  std::unordered_map<SSymGroup*, std::size_t> at{{this, 0}};
  for (std::size_t i = 0; i < nest.size(); ++i)
    for (const auto& [id, k] : OwnedChildren(nest[i]))
      if (auto* inner = dynamic_cast<SSymGroup*>(k); inner && at.emplace(inner, nest.size()).second)
        nest.push_back(inner);
  std::vector<ISRepObject*> copies(nest.size(), nullptr);
  auto drop = [&copies] {
    for (ISRepObject* c : copies)
      if (c) c->Release();
  };
  for (std::size_t i = 0; i < nest.size(); ++i) {
    const HRESULT hr = nest[i]->SSymComposite::Duplicate(&copies[i], FALSE);
    if (FAILED(hr)) {
      drop();
      return hr;
    }
  }
  for (std::size_t i = nest.size(); i-- > 0;) {
    auto* copy = dynamic_cast<SSymGroup*>(SRepObject::FromInterface(copies[i]));
    if (!copy) continue;
    for (const auto& [id, k] : OwnedChildren(nest[i])) {
      ISRepObject* kc = nullptr;
      auto inner = at.find(dynamic_cast<SSymGroup*>(k));
      if (inner != at.end() && inner->second > i) {
        kc = copies[inner->second];
        kc->AddRef();
      } else if (const HRESULT hr = k->Duplicate(&kc, TRUE); FAILED(hr)) {
        drop();
        return hr;
      }
      copy->Collection(id)->Insert(kc, -1);
      kc->Release();
    }
    // The copies of the members joined the new group's repository collection;
    // its in-memory collection takes any that the callbacks did not bring.
    SRepObjIterator it(copies[i], SymAttr::Symbols);
    while (ISRepObject* member = it.Next()) {
      SComWrap<ISSymbol> symbol(member);
      if (!symbol.IsNull() && !copy->m_children.Contains(symbol)) copy->m_children.Add(symbol);
    }
  }
  *out = copies[0];
  copies[0] = nullptr;
  drop();
  return S_OK;
}

namespace {
// A link leaves room for line bridges only in a diagram that shows them;
// one grouped outside its diagram takes that room when its group enters
// the diagram, as any later recomputation would give it, so that the step
// that brings the group in decides the rectangles, not a later undo or
// redo. The groups around a link that changed fit again, the innermost
// first; level by level, so a deep nest costs no stack, and each group once,
// so a nest that holds itself (a damaged file) ends.
void FitNestedLinks(SSymComposite* top) {
  std::vector<SSymComposite*> groups{top};
  std::unordered_set<SSymComposite*> seen{top};
  bool changed = false;
  for (std::size_t i = 0; i < groups.size(); ++i)
    for (ISSymbol* member : SymTable(groups[i]->GetListSym()->GetList())) {
      SSymBase* base = SSymBase::FromInterface(member);
      if (auto* inner = dynamic_cast<SSymComposite*>(base)) {
        if (seen.insert(inner).second) groups.push_back(inner);
      } else if (auto* link = dynamic_cast<SSymLinkBase*>(base)) {
        const SSymRect was = link->m_rect;
        link->RecomputeClipRect(0, 0);
        changed = changed || !(link->m_rect == was);
      }
    }
  if (changed)
    for (std::size_t i = groups.size(); i-- > 0;) groups[i]->RecomputeClipRect(0);
}
}  // namespace

namespace {
// The group and the groups around it, innermost first (each once).
std::vector<SComWrap<ISSymbol>> GroupAndOwners(SSymGroup* g) {
  std::vector<SComWrap<ISSymbol>> out{SComWrap<ISSymbol>(g->Sym())};
  std::unordered_set<ISSymbol*> seen{g->Sym()};
  for (ISSymbol* at = g->Sym(); at;) {
    SComOut<ISSymOwner> owner;
    if (at->GetOwner(&owner) != S_OK || !owner) break;
    SComWrap<ISSymGroup> group(owner.Get());
    SComWrap<ISSymbol> above(owner.Get());
    if (group.IsNull() || above.IsNull() || !seen.insert(above.Get()).second) break;
    out.push_back(above);
    at = above.Get();
  }
  return out;
}

// A member came or went: the group fits its members again, and so do the
// groups around it. A group that a resize left otherwise than its members
// give loses that rectangle here, and a replay of the membership change
// fits again without giving it back; so the step keeps the rectangles they
// had in a record just before the change's own, which an undo runs once
// the member is back (or gone again).
void FitAfterMembership(SSymGroup* g) {
  SRepSession* session = g->GetSessionImpl();
  SRepContext* ctx = session ? session->Current() : nullptr;
  const bool record = ctx && ctx->GetKind() == SRepContext::Kind::Create && g->IsHeld();
  std::vector<SSymActionRects::Entry> before;
  if (record) before = SSymActionRects::Of(GroupAndOwners(g));
  g->RecomputeClipRect(1);
  const bool changed = std::any_of(before.begin(), before.end(), [](const SSymActionRects::Entry& e) {
    const SSymBase* base = SSymBase::FromInterface(e.symbol.Get());
    return base && !(base->m_rect == e.rect);
  });
  if (changed) ctx->AddDoneBeforeCause(std::make_unique<SSymActionRects>(std::move(before), true));
}
}  // namespace

void SSymGroup::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  if (id == SymAttr::Symbols && !InLockoutContext()) {
    SComOut<ISSymbol> symbol = AsSymbol(other);
    if (symbol && !m_children.Contains(symbol.Get())) {
      // Links first: they are drawn beneath the other members.
      SComOut<ISSymLink> link;
      if (symbol->QueryInterface(IID_ISSymLink, link.Void()) == S_OK && link)
        m_children.Insert(0, symbol.Get());
      else
        m_children.Add(symbol.Get());
      FitAfterMembership(this);
    }
  }
  SSymComposite::OnCollectionInsert(id, other, pos);
  if (id == SymAttr::ParentColl && !InLockoutContext()) FitNestedLinks(this);
}

void SSymGroup::OnCollectionRemove(LONG id, ISRepObject* other) {
  if (id == SymAttr::Symbols && !InLockoutContext()) {
    if (SComOut<ISSymbol> symbol = AsSymbol(other)) m_children.Remove(symbol.Get());
    // Also when the last member left: an empty group takes the all-zero
    // rectangle instead of keeping one over an area where nothing shows.
    // Not for the groups of a nest being deleted: the group at its top
    // redraws the whole area once, where each level would climb the nest.
    if (!DeletingNest()) FitAfterMembership(this);
  }
  // The base drops the cached owner when the group leaves its own owner.
  SSymComposite::OnCollectionRemove(id, other);
}

// ---- ISSymbol ------------------------------------------------------------------------------------
HRESULT SSymGroup::Show(int show) {
  SSymBase::Show(show);
  for (ISSymbol* member : SymTable(m_children.GetList())) member->Show(show);
  return S_OK;
}

HRESULT SSymGroup::GetFormat(SSymFormatEx& format) {
  // No keep or auto bits: the base's part is not asked.
  format.m_brush = GetBrush();
  format.m_flags |= SSymFormatEx::FlagBrush;
  format.m_pen = GetPen();
  format.m_flags |= SSymFormatEx::FlagPen;
  SSymFonts font;
  font.m_font = GetFont();
  format.m_fonts.Add(font);
  format.m_shadowColor = GetShadow().m_color;
  format.m_flags |= SSymFormatEx::FlagShadowColor;
  format.m_shadowStyle = GetShadowStyle();
  format.m_flags |= SSymFormatEx::FlagShadowStyle;
  const SSymRect r = GetClipRect(0, 0);
  format.m_size = SSymSize(std::abs(r.x2 - r.x1) + 1, std::abs(r.y1 - r.y2) + 1);
  return S_OK;
}

HRESULT SSymGroup::SetFormat(const SSymFormatEx& format) {
  if (m_children.GetCount() == 0) return S_OK;
  if (format.m_flags & SSymFormatEx::FlagBrush) SetBrush(format.m_brush, 1);
  if (format.m_flags & SSymFormatEx::FlagPen) SetPen(format.m_pen, 1);
  if (format.m_fonts.GetCount() > 0) SetFont(format.m_fonts.GetAt(0).m_font, 1);
  if (format.m_flags & SSymFormatEx::FlagShadowColor) {
    const SSymBrush& shadow = GetShadow();
    if (shadow.m_color.GetColor() != format.m_shadowColor.GetColor()) {
      SSymBrush changed(shadow);
      changed.m_color = format.m_shadowColor;
      SetShadow(changed, 1);
    }
  }
  if (format.m_flags & SSymFormatEx::FlagShadowStyle) SetShadowStyle(static_cast<SHORT>(format.m_shadowStyle), 1);
  return S_OK;
}

// ---- ISSymOwner ------------------------------------------------------------------------------------
HRESULT SSymGroup::Add(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  RepObjWrap obj(symbol);
  if (obj.IsNull() || SRepAreSameObjects(obj, Obj())) return E_INVALIDARG;
  // A group that holds this one cannot become its member: the nesting would close a cycle.
  SComWrap<ISSymGroup> group(symbol);
  if (!group.IsNull() && group->Contains(Sym(), 1)) return E_INVALIDARG;
  SRepCollection* symbols = Symbols();
  if (symbols->GetPos(obj) >= 0) return S_FALSE;
  if (const HRESULT hr = SSymTakeFromOtherOwners(symbol, Obj()); FAILED(hr)) return hr;
  if (const HRESULT hr = SSymCheckNesting(symbol, Sym()); FAILED(hr)) return hr;
  return symbols->Insert(obj, -1);
}

HRESULT SSymGroup::Remove(ISSymbol* symbol) {
  if (!symbol) return E_POINTER;
  HRESULT hr = S_FALSE;
  RepObjWrap obj(symbol);
  if (SRepCollection* symbols = FindCollection(SymAttr::Symbols); symbols && !obj.IsNull()) {
    const LONG at = symbols->GetPos(obj);
    if (at >= 0) hr = symbols->Remove(at);
  }
  if (m_children.GetCount() == 0 && !IsDeleted() && !IsDeleting()) {
    // The caller's reference keeps the object while it deletes itself.
    const HRESULT deleted = Obj()->Delete();
    if (FAILED(deleted)) return deleted;
  }
  return hr;
}

HRESULT SSymGroup::SymResize(ISSymbol* symbol) {
  RecomputeClipRect(0);
  return SymRedraw(symbol);
}

HRESULT SSymGroup::SymRedraw(ISSymbol* symbol) {
  ISSymOwner* top = nullptr;
  GetTopOwner(&top);
  if (!top) return S_OK;
  SComOut<ISSymOwner> held(top);  // GetTopOwner handed over a reference
  return held->SymRedraw(symbol);
}

// ---- class ------------------------------------------------------------------------------------------
KV_SYM_DEFINE_CLASS_TABLES(SSymGroup)
KV_SYM_IMPLEMENT_POOL(SSymGroup, g_symClasses[SYMCLS_SSymGroup].poolBlocks);
KV_SYM_REGISTER(SSymGroup, &SSymCreateStd<SSymGroup>);
