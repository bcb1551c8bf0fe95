#include "sym/shapes/symtreeline.h"

#include <algorithm>

#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfowner.h"

namespace {
// The first member of one of the line's collections, as a symbol (not
// counted; the collection keeps it), or null.
ISSymbol* FirstSymbolOf(SRepObject& self, LONG id) {
  SRepCollection* col = self.FindCollection(id);
  if (!col || col->GetCount() == 0) return nullptr;
  SComWrap<ISSymbol> sym(static_cast<ISRepObjectBase*>(col->GetAt(0)));
  return sym.Get();  // the collection holds the object
}

LONG Mid(LONG a, LONG b) { return static_cast<LONG>((static_cast<long long>(a) + b) / 2); }
}  // namespace

ISSymbol* SSymTreeLine::GetParentSym() { return FirstSymbolOf(*this, SymAttr::ParentSymbol); }

bool SSymTreeLine::Orientation(ISSymbol* parent, int* vertical) {
  *vertical = 0;
  if (!parent) return false;
  // A tree without display preferences grows downward.
  *vertical = 1;
  SComOut<ISSymDiagram> diagram;
  if (parent->GetDiagram(&diagram) != S_OK || !diagram) return true;
  ISSymDispPref* prefs = SSymGetDispPrefPtr(diagram.Get());
  if (prefs) *vertical = prefs->GetTreeOrientation() != 0 ? 1 : 0;
  return true;
}

void SSymTreeLine::UpdateDist(ISSymbol* parent) {
  if (!parent) return;
  SComWrap<ISSymTree> tree(parent);
  if (tree.IsNull()) return;
  int vertical = 0;
  if (!Orientation(parent, &vertical)) return;
  const SSymRect r = tree->GetNodeRect(parent);
  SComTable<ISSymbol> children;
  tree->GetAllChildren(children, 0, 0);

  SSymPoint start, end;
  if (!vertical) {
    const LONG x = r.GetMaxX() + m_nDistance;
    LONG lo = Mid(r.y1, r.y2), hi = lo;
    for (int i = 0; i < children.GetCount(); ++i) {
      const SSymRect c = children.GetAt(i)->GetClipRect(0, 0);
      const LONG m = Mid(c.y1, c.y2);
      lo = std::min(lo, m);
      hi = std::max(hi, m);
    }
    start = SSymPoint(x, lo);
    end = SSymPoint(x, hi);
  } else {
    const LONG y = r.GetMinY() - m_nDistance;
    LONG lo = Mid(r.x1, r.x2), hi = lo;
    for (int i = 0; i < children.GetCount(); ++i) {
      const SSymRect c = children.GetAt(i)->GetClipRect(0, 0);
      const LONG m = Mid(c.x1, c.x2);
      lo = std::min(lo, m);
      hi = std::max(hi, m);
    }
    start = SSymPoint(lo, y);
    end = SSymPoint(hi, y);
  }
  if (start == m_start && end == m_end) return;
  m_start = start;
  m_end = end;
  // The rectangle keeps a band around the line so that it can be seen and
  // picked even when the line is a single point.
  SSymRect rect(start.x, end.y, end.x, start.y);
  if (!vertical) rect.SetWidth(Thickness);
  else rect.SetHeight(Thickness);
  PutRect(rect);
}

HRESULT SSymTreeLine::Draw(SSymCanvas& canvas) {
  if (!IsPlaced()) {
    ISSymbol* parent = GetParentSym();
    if (!parent) return S_FALSE;
    UpdateDist(parent);
  }
  canvas.SetPen(m_pen);
  canvas.Line(m_start, m_end);
  return S_OK;
}

BOOL SSymTreeLine::IsHidden() {
  SRepCollection* col = FindCollection(SymAttr::ParentColl);
  if (!col || col->GetCount() == 0) return 1;
  IUnknown* owner = static_cast<ISRepObjectBase*>(col->GetAt(0));
  SComWrap<ISSymbol> ownerSym(owner);
  if (!ownerSym.IsNull() && ownerSym->IsHidden()) return 1;
  SComWrap<ISSymTree> tree(owner);
  if (tree.IsNull()) return 0;
  return tree->IsExpand(0) == 0 ? 1 : 0;
}

BOOL SSymTreeLine::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int*, ISSymbol**) {
  if (IsHidden()) return 0;
  const SSymSize s = canvas.DPtoVP(SIZE{6, 6});
  const SSymRect square(pt.x - s.cx / 2, pt.y + s.cy / 2, pt.x + s.cx / 2, pt.y - s.cy / 2);
  // A line shorter than the square lies wholly inside it without crossing it.
  if (square.PtInRect(m_start) || square.PtInRect(m_end)) return 1;
  return Intersects(SSymSegment(m_start, m_end), square, nullptr) ? 1 : 0;
}

HRESULT SSymTreeLine::MoveBy(const SSymSize& offset, int redraw) {
  ISSymbol* parent = GetParentSym();
  if (!parent) return E_FAIL;
  SSymSize by = offset;
  SComWrap<ISSymTree> tree;
  if (!IsPlaced()) {
    UpdateDist(parent);
    tree = SComWrap<ISSymTree>(parent);
  } else {
    parent->Redraw(nullptr);
    tree = SComWrap<ISSymTree>(parent);
    if (tree.IsNull()) return S_FALSE;
    int vertical = 0;
    Orientation(parent, &vertical);
    const SSymRect r = tree->GetNodeRect(parent);
    if (vertical) {
      const LONG d = r.y2 - m_start.y;
      if (by.cy > 0 && d - by.cy < MinDistance) by.cy = d - MinDistance;
      m_nDistance = d - by.cy;
    } else {
      const LONG d = m_start.x - r.GetMaxX();
      if (by.cx < 0 && d + by.cx < MinDistance) by.cx = MinDistance - d;
      m_nDistance = d + by.cx;
    }
  }
  m_start = SSymPoint(m_start.x + by.cx, m_start.y + by.cy);
  m_end = SSymPoint(m_end.x + by.cx, m_end.y + by.cy);
  SSymStd::MoveBy(by, redraw);
  // Replaying undo moves the children through their own records.
  if (!tree.IsNull() && !IsInUndoContext()) {
    SComTable<ISSymbol> children;
    tree->GetAllChildren(children, 0, 0);
    for (int i = 0; i < children.GetCount(); ++i) children.GetAt(i)->MoveBy(by, redraw);
  }
  return S_OK;
}

HRESULT SSymTreeLine::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISSymbol* parent = GetParentSym();
  if (!parent) return S_FALSE;
  return parent->GetDiagram(out);
}

HRESULT SSymTreeLine::SetFormat(const SSymFormatEx& format) {
  const HRESULT hr = SSymStd::SetFormat(format);
  if (ISSymbol* parent = GetParentSym()) parent->Redraw(nullptr);
  return hr;
}

HRESULT SSymTreeLine::SetAttribute(LONG id, const SRepVariant& value) {
  const bool distance = id == SymAttr::Distance;
  if (distance && value.GetLONG() == m_nDistance) return S_OK;
  const HRESULT hr = SSymStd::SetAttribute(id, value);
  if (distance)
    if (ISSymbol* parent = GetParentSym()) UpdateDist(parent);
  return hr;
}

void SSymTreeLine::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) {
  if (id == SymAttr::ParentColl) {
    // Only a symbol may hold the line; the base's owner handling does not apply.
    SComWrap<ISSymbol> check(owner);
    return;
  }
  SSymStd::OnCollectionInsert(id, owner, pos);
}

HRESULT SSymTreeLine::HasAttribute(LONG id) {
  if (id == SymAttr::Distance) return S_OK;
  return SSymStd::HasAttribute(id);
}

HRESULT SSymTreeLine::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  return SSymCreateStd<SSymTreeLine>(out, session, source);
}

KV_SYM_ACCESSORS(SSymTreeLine) { KV_SYM_FIELD(Distance, m_nDistance); };
KV_SYM_DEFINE_CLASS_TABLES(SSymTreeLine)
KV_SYM_IMPLEMENT_POOL(SSymTreeLine, g_symClasses[SYMCLS_SSymTreeLine].poolBlocks);
KV_SYM_REGISTER(SSymTreeLine, &SSymTreeLine::CreateInstance);
