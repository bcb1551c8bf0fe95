// SSymComposite: the children, the rectangle over them, drawing, moving,
// transforming and the format faces acting on every child.
#include "sym/composite/symcomposite.h"

#include <unordered_set>
#include <vector>

#include "kvrep/srepsession.h"
#include "kvrep/srepstream.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symdepth.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using SymTable = SComTbl<ISSymbol, ISSymbol*>;

}  // namespace

// ---- life -----------------------------------------------------------------------------------------
SSymComposite::SSymComposite(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}

SSymComposite::SSymComposite(const SSymCollection& children, ISRepSession* session, const CLSID& clsid)
    : SRepFaces(session, clsid), m_children(children) {
  // Not through RecomputeClipRect: nobody holds the object yet, and asking
  // for its owner would take and drop the first reference.
  PutRect(m_children.GetCount() > 0 ? m_children.GetClipRect() : SSymRect(0, 0, 0, 0));
}

SSymComposite::SSymComposite(const SSymComposite& source) : SRepFaces(source) {}

SSymComposite::~SSymComposite() = default;

const SSymBrush& SSymComposite::DefaultBrush() {
  static const SSymBrush brush;  // solid white, no picture, grey gradient end
  return brush;
}

const SSymFont& SSymComposite::DefaultFont() {
  static const SSymFont font(SGetArialString(), 8);
  return font;
}

void SSymComposite::ReleaseChildren() {
  // From the end: each removal releases one child, which may take others with it.
  while (m_children.GetCount() > 0) m_children.Remove(m_children.GetAt(m_children.GetCount() - 1));
}

SSymComposite* SSymComposite::Nested(ISSymbol* child) {
  return dynamic_cast<SSymComposite*>(SRepObject::FromInterface(child));
}

template <class I>
SComWrap<I> SSymComposite::FirstChildWith() {
  // Down the chain of first children in place: asking a nested composite
  // would ask its first child in turn, once per level of the nest.
  std::unordered_set<SSymComposite*> seen;
  for (SSymComposite* at = this; seen.insert(at).second;) {
    SComWrap<I> face;
    for (ISSymbol* child : at->m_children.GetList()) {
      face = SComWrap<I>(child);
      if (!face.IsNull()) break;
    }
    if (face.IsNull()) return face;
    SSymComposite* inner = Nested(SComWrap<ISSymbol>(face.Get()).Get());
    if (!inner) return face;
    at = inner;
  }
  return SComWrap<I>();  // a nest that holds itself has no value of its own
}

template <class F>
auto SSymComposite::WithInnermost(F f) {
  bool nested = false;
  for (ISSymbol* child : m_children.GetList()) {
    SSymComposite* inner = Nested(child);
    if (inner && inner->m_children.GetCount() > 0) nested = true;
  }
  if (!nested) return f(m_children);
  // Every member of the nest, and every level between, has the same diagram.
  SSymDiagramLookupScope lookups;
  SSymCollection members(m_children.GetCount() + ChildrenInitial, ChildrenStep);
  WalkNest(
      [&](SSymComposite* c) {
        if (c->m_children.GetCount() > 0) return true;
        // A composite without children is a member of its own: it answers its defaults.
        members.Add(c->Sym());
        return false;
      },
      [&](ISSymbol* s) { members.Add(s); }, [](SSymComposite*) {});
  return f(members);
}

template <class Enter, class Member, class Leave>
bool SSymComposite::WalkNest(Enter enter, Member member, Leave leave) {
  if (!enter(this)) return false;
  // Each level walks a counted copy of its children: a member that leaves
  // while the walk goes on stays alive until the walk is past it.
  struct Level {
    SSymComposite* composite;
    SymTable children;
    int next;
  };
  std::vector<Level> stack;
  std::unordered_set<SSymComposite*> open{this};
  stack.push_back(Level{this, SymTable(m_children.GetList()), 0});
  try {
    while (!stack.empty()) {
      Level& level = stack.back();
      if (level.next >= level.children.GetCount()) {
        SSymComposite* done = level.composite;
        stack.pop_back();
        open.erase(done);
        leave(done);
        continue;
      }
      ISSymbol* child = level.children.GetAt(level.next++);
      SSymComposite* inner = Nested(child);
      if (!inner) {
        member(child);
      } else if (!open.count(inner) && enter(inner)) {
        open.insert(inner);
        stack.push_back(Level{inner, SymTable(inner->m_children.GetList()), 0});
      }
    }
  } catch (...) {
    // The composites still open are left as they were entered.
    while (!stack.empty()) {
      SSymComposite* c = stack.back().composite;
      stack.pop_back();
      leave(c);
    }
    throw;
  }
  return true;
}

SComWrap<ISSymBrush> SSymComposite::OnlyBrushChild() {
  SComWrap<ISSymBrush> only;
  for (ISSymbol* child : m_children.GetList()) {
    SComWrap<ISSymBrush> face(child);
    if (face.IsNull()) continue;
    if (!only.IsNull()) return SComWrap<ISSymBrush>();
    only = face;
  }
  return only;
}

template <class F>
HRESULT SSymComposite::Redrawn(int redraw, F change) {
  if (redraw) Redraw(nullptr);
  change();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

// ---- repository object -------------------------------------------------------------------------
HRESULT SSymComposite::Delete() {
  // The children stay in the repository; only this composite's hold on them goes.
  if (!_IsDeletedOrInContext()) ReleaseChildren();
  return SSymBase::Delete();
}

void SSymComposite::ForgetSession() {
  // Children cache their owner: the in-memory references would otherwise
  // keep both alive after the session let go of them.
  ReleaseChildren();
  SSymBase::ForgetSession();
}

bool SSymComposite::GetIsManuallyResized() {
  // During a save every group of a nest is asked in turn: each answer worked
  // out on the way down is kept, so the nest is read once, not once a level.
  SRepSaveScope* const scope = SRepSaveScope::Current();
  const LONG id = SymAttr::IsManuallyResized;
  auto kept = [scope](SSymComposite* c) { return scope ? scope->Find(c, SymAttr::IsManuallyResized) : nullptr; };
  if (const LONG* answer = kept(this)) return *answer != 0;
  if (m_children.GetCount() == 0) return false;
  // A nested composite answers for its own members: they are read in place,
  // down the nest with a list of its own (one without members holds false).
  // A level is done at its first false, which every level above then holds.
  struct Level {
    SSymComposite* at;
    int next;
    bool all;
  };
  std::vector<Level> stack{{this, 0, true}};
  std::unordered_set<SSymComposite*> open{this};
  for (;;) {
    Level& level = stack.back();
    if (!level.all || level.next >= level.at->m_children.GetCount()) {
      const bool answer = level.all;
      if (scope) scope->Keep(level.at, id, answer ? 1 : 0);
      open.erase(level.at);
      stack.pop_back();
      if (stack.empty()) return answer;
      stack.back().all = answer;
      continue;
    }
    ISSymbol* child = level.at->m_children.GetAt(level.next++);
    if (SSymComposite* inner = Nested(child)) {
      if (const LONG* answer = kept(inner)) level.all = *answer != 0;
      else if (inner->m_children.GetCount() == 0) level.all = false;
      else if (open.insert(inner).second) stack.push_back(Level{inner, 0, true});
      continue;
    }
    RepObjWrap obj(child);
    if (obj.IsNull() || obj->HasAttribute(id) != S_OK) continue;
    SRepVariant v;
    if (obj->GetAttribute(id, &v) == S_OK && !v.GetLONG()) level.all = false;
  }
}

HRESULT SSymComposite::SetIsManuallyResized(bool resized) {
  if (m_children.GetCount() == 0 || !resized) return S_FALSE;
  SRepVariant yes, no;
  yes.SetBOOL(TRUE);
  no.SetBOOL(FALSE);
  SymTable members = WithInnermost([](SSymCollection& m) { return SymTable(m.GetList()); });
  for (ISSymbol* child : members) {
    RepObjWrap obj(child);
    if (obj.IsNull() || Nested(child)) continue;  // a composite without members has nothing to mark
    if (obj->HasAttribute(SymAttr::IsManuallyResized) == S_OK) {
      const HRESULT hr = obj->SetAttribute(SymAttr::IsManuallyResized, yes);
      if (FAILED(hr)) return hr;
    }
    if (obj->HasAttribute(SymAttr::IsAutoAdjusted) == S_OK) {
      const HRESULT hr = obj->SetAttribute(SymAttr::IsAutoAdjusted, no);
      if (FAILED(hr)) return hr;
    }
  }
  return S_OK;
}

// ---- drawing ---------------------------------------------------------------------------------------
HRESULT SSymComposite::Draw(SSymCanvas& canvas) {
  // Each composite of the nest carries the being-drawn mark while its
  // children draw: one reached again meanwhile is skipped.
  const bool drawn = WalkNest(
      [](SSymComposite* c) {
        if (c->IsHidden() || (c->m_state & StateNoRedraw)) return false;
        c->m_state |= StateNoRedraw;
        if (!(c->m_state & StateInitialized)) c->InitialSym(c->Sym());
        return true;
      },
      [&](ISSymbol* s) { s->Draw(canvas); },
      [](SSymComposite* c) { c->m_state &= ~static_cast<DWORD>(StateNoRedraw); });
  return drawn ? S_OK : 1;
}

HRESULT SSymComposite::Redraw(SSymCanvas* canvas) {
  SRepSession* session = GetSessionImpl();
  if ((session && session->IsBusy()) || (m_state & StateNoRedraw)) return S_OK;
  if (canvas) {
    canvas->InvalidateRectLP(GetActiveRect(*canvas, 1), 1);
    return S_OK;
  }
  SComOut<ISSymOwner> owner;
  if (_GetOwner(owner.Void(), IID_ISSymOwner) == S_OK && owner) {
    owner->SymRedraw(Sym());
    return S_OK;
  }
  // A composite made by a tool belongs to no owner: its children's diagram redraws it.
  if (m_children.GetCount() > 0) {
    SComOut<ISSymDiagram> diagram;
    if (m_children.GetAt(0)->GetDiagram(&diagram) == S_OK && diagram) {
      SComWrap<ISSymOwner> relay(diagram.Get());
      if (!relay.IsNull()) relay->SymRedraw(Sym());
    }
  }
  return S_OK;
}

HRESULT SSymComposite::DrawShadow(SSymCanvas& canvas) {
  WalkNest([](SSymComposite* c) { return !c->IsHidden(); },
           [&](ISSymbol* s) {
             SComWrap<ISSymShadow> shadow(s);
             if (!shadow.IsNull()) shadow->DrawShadow(canvas);
           },
           [](SSymComposite*) {});
  return S_OK;
}

HRESULT SSymComposite::DrawSymbol(SSymCanvas& canvas) {
  WalkNest([](SSymComposite* c) { return !c->IsHidden(); },
           [&](ISSymbol* s) {
             SComWrap<ISSymShadow> shadow(s);
             if (!shadow.IsNull())
               shadow->DrawSymbol(canvas);
             else
               s->Draw(canvas);
           },
           [](SSymComposite*) {});
  return S_OK;
}

bool SSymComposite::VisibleInRect(SSymComposite* c, SSymCanvas& canvas, const SSymRect& rect) {
  // Only the composite asked is measured against the rectangle: a nested
  // one is not (its active rectangle reads the pen of every member under
  // it, once per level of the nest), its members each test themselves.
  return c == this ? IsVisibleInRect(canvas, rect) != 0 : !c->IsHidden();
}

HRESULT SSymComposite::DrawShadowInRect(SSymCanvas& canvas, const SSymRect& rect) {
  const bool drawn = WalkNest([&](SSymComposite* c) { return VisibleInRect(c, canvas, rect); },
                              [&](ISSymbol* s) {
                                SComWrap<ISSymShadow> shadow(s);
                                if (!shadow.IsNull()) shadow->DrawShadowInRect(canvas, rect);
                              },
                              [](SSymComposite*) {});
  return drawn ? S_OK : 1;
}

HRESULT SSymComposite::DrawSymbolInRect(SSymCanvas& canvas, const SSymRect& rect) {
  // The members that ask for a second pass get it once the rest of their
  // own composite is drawn.
  std::vector<SymTable> second;
  const bool drawn = WalkNest(
      [&](SSymComposite* c) {
        if (!VisibleInRect(c, canvas, rect)) return false;
        second.emplace_back(50, 100);
        return true;
      },
      [&](ISSymbol* s) {
        SComWrap<ISSymShadow> shadow(s);
        if (!shadow.IsNull()) {
          shadow->DrawSymbolInRect(canvas, rect);
          return;
        }
        int again = 0;
        s->DrawIfVisible(canvas, rect, &again);
        if (again) second.back().Add(s);
      },
      [&](SSymComposite*) {
        const SymTable pass = std::move(second.back());
        second.pop_back();
        for (ISSymbol* s : pass) s->DrawSecondPass(canvas);
      });
  return drawn ? S_OK : 1;
}

// ---- geometry -------------------------------------------------------------------------------------
HRESULT SSymComposite::MoveBy(const SSymSize& offset, int redraw) {
  if (!CreateUndoMove(offset)) return S_OK;
  if (redraw) Redraw(nullptr);
  const SSymRect was = m_rect;
  const SSymRect fitBefore = m_children.GetCount() > 0 ? m_children.GetClipRect() : SSymRect(0, 0, 0, 0);
  m_children.MoveBy(offset, 1);
  if (was == fitBefore || m_children.GetCount() == 0) {
    // The rectangle follows the children; it is not shifted on its own.
    RecomputeClipRect(0);
  } else {
    // A rectangle a resize gave, which the children do not give, goes with
    // them as they went: a move and the move back give it again.
    const SSymRect fitAfter = m_children.GetClipRect();
    SSymRect to = was;
    to.OffsetRect(fitAfter.x1 - fitBefore.x1, fitAfter.y1 - fitBefore.y1);
    PutRect(to);
    SComOut<ISSymGroup> owner;
    if (IsHeld() && _GetOwner(owner.Void(), IID_ISSymGroup) == S_OK && owner) owner->RecomputeClipRect(0);
  }
  SetChanged();
  SetSessionModified();
  SComBag<ISSymLink> links(m_links);
  for (int i = 0; i < links.GetCount(); ++i) links.GetAt(i)->MoveLinkPt(Linkable(), offset, redraw);
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymComposite::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  SSymRect from = InLockoutContext() ? GetClipRect(0, 0) : m_rect;
  from.Normalize();
  const SSymRect to = m_pExactTarget ? *m_pExactTarget : matrix.Transform(from);
  if (!CreateUndoSizeInfo(to, 0)) return S_OK;
  if (redraw) Redraw(nullptr);
  m_children.Transform(matrix, 0);
  PutRect(to);
  SetChanged();
  SetSessionModified();
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymComposite::RecomputeClipRect(int redraw) {
  // Nested groups grow and shrink with their members: up the chain of
  // owners in place, as far as a rectangle changes (an owner over an
  // unchanged member keeps its own), so that a nest of any depth costs no
  // stack and a member added at the bottom of a long nest is paid for once.
  std::vector<SComWrap<ISSymGroup>> held;  // the owners reached stay alive
  std::unordered_set<SSymComposite*> seen;
  for (SSymComposite* at = this; at && seen.insert(at).second;) {
    if (redraw) at->Redraw(nullptr);
    const SSymRect was = at->m_rect;
    at->PutRect(at->m_children.GetCount() > 0 ? at->m_children.GetClipRect() : SSymRect(0, 0, 0, 0));
    if (redraw) at->Redraw(nullptr);
    SComOut<ISSymGroup> owner;
    if (!at->IsHeld() || at->_GetOwner(owner.Void(), IID_ISSymGroup) != S_OK || !owner) break;
    if (at != this && at->m_rect == was) break;
    SSymComposite* up = Nested(SComWrap<ISSymbol>(owner.Get()).Get());
    if (!up) {
      owner->RecomputeClipRect(redraw);  // a group of another kind answers for itself
      break;
    }
    held.emplace_back(owner.Get());
    at = up;
  }
  return S_OK;
}

// ---- members ---------------------------------------------------------------------------------------
HRESULT SSymComposite::Clear(int redraw) {
  if (redraw) Redraw(nullptr);
  // The repository collection empties from the front, once per child; the
  // in-memory children follow only through the collection callbacks.
  const int n = m_children.GetCount();
  for (int i = 0; i < n; ++i) {
    SRepCollection* symbols = FindCollection(SymAttr::Symbols);
    if (!symbols || symbols->GetCount() == 0) break;
    symbols->Remove(0);
  }
  RecomputeClipRect(0);
  return S_OK;
}

BOOL SSymComposite::Contains(ISSymbol* symbol, int deep) {
  SSymDepthGuard guard;
  if (!symbol || !guard.ok) return 0;
  if (m_children.Contains(symbol)) return 1;
  if (!deep) return 0;
  // Level by level through the nested composites, so that a deep nest costs
  // no stack; a group of another kind answers for itself.
  std::vector<SSymComposite*> level{this}, next;
  std::unordered_set<SSymComposite*> seen{this};
  while (!level.empty()) {
    next.clear();
    for (SSymComposite* c : level)
      for (ISSymbol* child : c->m_children.GetList()) {
        SComWrap<ISSymGroup> group(child);
        if (group.IsNull()) continue;
        auto* inner = dynamic_cast<SSymComposite*>(SSymBase::FromInterface(child));
        if (!inner) {
          if (group->Contains(symbol, 1)) return 1;
        } else if (seen.insert(inner).second) {
          if (inner->m_children.Contains(symbol)) return 1;
          next.push_back(inner);
        }
      }
    level.swap(next);
  }
  return 0;
}

HRESULT SSymComposite::GetListSym(SComTable<ISSymbol>& out) {
  for (ISSymbol* child : m_children.GetList()) out.Add(child);
  return S_OK;
}

// ---- pen and line ---------------------------------------------------------------------------------
SSymPen SSymComposite::GetPen() {
  SSymPen pen(1, 0, SSymColor(0));
  if (m_children.GetCount() > 0) WithInnermost([&](SSymCollection& m) { m.GetPen(pen); });
  return pen;
}

HRESULT SSymComposite::SetPen(const SSymPen& pen, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetPen(pen, 0); }); });
}

LONG SSymComposite::GetLineStyle() {
  return WithInnermost([](SSymCollection& m) { return m.GetLineStyle(); });
}

HRESULT SSymComposite::SetLineStyle(LONG style, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetLineStyle(style, 0); }); });
}

// ---- shadow -----------------------------------------------------------------------------------------
const SSymBrush& SSymComposite::GetShadow() {
  SComWrap<ISSymShadow> first = FirstChildWith<ISSymShadow>();
  return first.IsNull() ? DefaultBrush() : first->GetShadow();  // the child lives in m_children
}

HRESULT SSymComposite::SetShadow(const SSymBrush& brush, int redraw) {
  WithInnermost([&](SSymCollection& m) { m.SetShadow(brush, 0); });
  if (redraw) Redraw(nullptr);
  return S_OK;
}

SHORT SSymComposite::GetShadowStyle() {
  return static_cast<SHORT>(WithInnermost([](SSymCollection& m) { return m.GetShadowStyle(); }));
}

HRESULT SSymComposite::SetShadowStyle(SHORT style, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetShadowStyle(style, 0); }); });
}

// ---- brush ------------------------------------------------------------------------------------------
const SSymBrush& SSymComposite::GetBrush() {
  SComWrap<ISSymBrush> first = FirstChildWith<ISSymBrush>();
  return first.IsNull() ? DefaultBrush() : first->GetBrush();  // the child lives in m_children
}

HRESULT SSymComposite::SetBrush(const SSymBrush& brush, int redraw) {
  WithInnermost([&](SSymCollection& m) { m.SetBrush(brush, 0); });
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymComposite::SetFillMode(int transparent) {
  if (transparent & 1)
    Flags |= FlagTransparent;
  else
    Flags &= ~static_cast<DWORD>(FlagTransparent);
  return S_OK;
}

GUID SSymComposite::GetBackgroundPictureID() {
  SComWrap<ISSymBrush> only = OnlyBrushChild();
  return only.IsNull() ? GUID_NULL : only->GetBackgroundPictureID();
}

HRESULT SSymComposite::SetBackgroundPictureID(const GUID& id) {
  for (ISSymbol* child : SymTable(m_children.GetList())) {
    SComWrap<ISSymBrush> brush(child);
    if (!brush.IsNull()) brush->SetBackgroundPictureID(id);
  }
  return S_OK;
}

SPictureInfo* SSymComposite::GetBackgroundPicture() {
  SComWrap<ISSymBrush> only = OnlyBrushChild();
  return only.IsNull() ? nullptr : only->GetBackgroundPicture();
}

BOOL SSymComposite::SetBackgroundPicture(SPictureInfo* picture) {
  for (ISSymbol* child : SymTable(m_children.GetList())) {
    SComWrap<ISSymBrush> brush(child);
    if (!brush.IsNull()) brush->SetBackgroundPicture(picture);
  }
  return TRUE;
}

SString SSymComposite::GetBackgroundPictureFile() {
  SComWrap<ISSymBrush> only = OnlyBrushChild();
  return only.IsNull() ? SString() : only->GetBackgroundPictureFile();
}

HRESULT SSymComposite::SetBackgroundPictureFile(const SString& file) {
  for (ISSymbol* child : SymTable(m_children.GetList())) {
    SComWrap<ISSymBrush> brush(child);
    if (!brush.IsNull()) brush->SetBackgroundPictureFile(file);
  }
  return S_OK;
}

// ---- font ---------------------------------------------------------------------------------------------
const SSymFont& SSymComposite::GetFont() {
  SComWrap<ISSymFont> first = FirstChildWith<ISSymFont>();
  return first.IsNull() ? DefaultFont() : first->GetFont();  // the child lives in m_children
}

HRESULT SSymComposite::SetFont(const SSymFont& font, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetFont(font, 0); }); });
}

SSymColor SSymComposite::GetFontColor() {
  return SSymColor(WithInnermost([](SSymCollection& m) { return m.GetFontColor(); }));
}

HRESULT SSymComposite::SetFontColor(SSymColor color, int redraw) {
  WithInnermost([&](SSymCollection& m) { m.SetFontColor(color.GetColor(), 0); });
  if (redraw) Redraw(nullptr);
  return S_OK;
}

LONG SSymComposite::GetFontStyle() {
  return WithInnermost([](SSymCollection& m) { return m.GetFontStyle(); });
}

HRESULT SSymComposite::SetFontStyle(LONG style, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetFontStyle(style, 0); }); });
}

LONG SSymComposite::GetTextStyle() {
  return WithInnermost([](SSymCollection& m) { return m.GetTextStyle(); });
}

HRESULT SSymComposite::SetTextStyle(LONG style, int redraw) {
  return Redrawn(redraw, [&] { WithInnermost([&](SSymCollection& m) { m.SetTextStyle(style, 0); }); });
}

// ---- class ------------------------------------------------------------------------------------------
KV_SYM_ACCESSORS(SSymComposite) { KV_SYM_GETSET(IsManuallyResized, GetIsManuallyResized, SetIsManuallyResized); };
KV_SYM_DEFINE_CLASS_TABLES(SSymComposite)
KV_SYM_IMPLEMENT_POOL(SSymComposite, g_symClasses[SYMCLS_SSymComposite].poolBlocks);
// The repository cannot make a plain composite: tools build them from a collection.
KV_SYM_REGISTER(SSymComposite, nullptr);
