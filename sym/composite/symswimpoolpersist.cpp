// The pool as a repository object: its GroupType attribute, deleting it
// with its members and separator, duplicating it with a separator of its
// own and its members in order, spreading a format to its groups and lanes,
// and copying symbol attributes from another pool.
#include <algorithm>
#include <utility>
#include <vector>

#include "kvcore/scascade.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/foundation/symformat.h"
#include "sym/foundation/symlistpt.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Format bits a pool never passes on: text style and the one above it.
constexpr DWORD kFormatBitsCleared = 0x80 | 0x800;
}  // namespace

namespace {
// Groups are rebuilt from scratch; the formats of parent groups survive it.
void RegroupByMode(SSymSwimLane& pool, int mode) {
  SSymSwimLane::GroupFormats formats;
  pool.DeleteAllGroup(&formats);
  if (mode == 1) pool.CreatePrntGroup(&formats);
}
}  // namespace

SSymSwimLane::RegroupFn SSymSwimLane::s_regroup = RegroupByMode;

// ---- attributes ----------------------------------------------------------------------------------
HRESULT SSymSwimLane::HasAttribute(LONG id) {
  if (id == SymAttr::Group) return S_OK;
  return SRepFaces::HasAttribute(id);
}

HRESULT SSymSwimLane::GetAttributeDefault(LONG id, SRepVariant* value) {
  if (id != SymAttr::Group) return SRepFaces::GetAttributeDefault(id, value);
  if (!value) return E_POINTER;
  value->ReleaseData();
  value->SetSHORT(0);
  return S_OK;
}

HRESULT SSymSwimLane::SetAttribute(LONG id, const SRepVariant& value) {
  const SHORT before = m_nGroupType;
  const HRESULT hr = SRepFaces::SetAttribute(id, value);
  // Regrouping is cascaded work: with cascading off (loading, undo) only the
  // value is stored and the groups stay as they are.
  if (id == SymAttr::Group && g_IsCascadeAllowed() && m_nGroupType != before && s_regroup)
    s_regroup(*this, m_nGroupType);
  return hr;
}

// ---- deleting ------------------------------------------------------------------------------------
HRESULT SSymSwimLane::Delete() {
  RepObjWrap hold(Obj());  // the owner may hold the last reference
  if (!_IsDeletedOrInContext()) {
    // The pool goes as a whole: its emptying must neither delete it again
    // nor rearrange what is left of it on the way.
    SSymSwimGroupUpdate update;
    std::vector<SComWrap<ISSymbol>> members = Members();
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
      RepObjWrap member(it->Get());
      if (!member.IsNull() && !member->IsDeleted()) member->Delete();
    }
  }
  if (!m_pLineSym.IsNull()) {
    if (RepObjWrap line(m_pLineSym.Get()); !line.IsNull() && !line->IsDeleted()) line->Delete();
    SRepSession* session = GetSessionImpl();
    // Undo recording keeps the separator for the pool's return.
    if (!session || !SRepGetUndoContext(session)) {
      SComWrap<ISSymbol> line;
      std::swap(line, m_pLineSym);
      if (SSymSwimColn* coln = SSymSwimColn::FromInterface(line.Get())) coln->SetObjSym(nullptr);
    }
  }
  return SRepFaces::Delete();
}

// ---- duplicating ---------------------------------------------------------------------------------
HRESULT SSymSwimLane::Duplicate(ISRepObject** out, BOOL withChildren) {
  SRepSession* session = GetSessionImpl();
  return Duplicate(out, session ? static_cast<ISRepSession*>(session) : nullptr, withChildren ? 1 : 0, nullptr);
}

HRESULT SSymSwimLane::Duplicate(ISRepObject** out, ISRepSession* session, DWORD flags, SRepMapObject* map) {
  const HRESULT hr = SRepFaces::Duplicate(out, FALSE);
  if (FAILED(hr)) return hr;
  if (!*out) return S_OK;
  CLSID mine{}, theirs{};
  GetCLSID(&mine);
  if ((*out)->GetCLSID(&theirs) != S_OK || theirs != mine) return S_OK;
  SSymSwimLane* copy = FromInterface(*out);
  if (!copy) return S_OK;

  if (copy->m_pLineSym.IsNull() && session) {
    SComOut<ISSymbol> line;
    if (session->CreateObject(CLSID_SSymSwimColn, IID_ISSymbol, line.Void()) == S_OK && line) {
      copy->m_pLineSym = line.Get();
      // Along the source's start edge: the left edge downwards side by side,
      // the bottom edge to the right when stacked.
      SSymRect r = GetClipRect(0, 0);
      r.Normalize();
      const LONG xmin = r.x1, xmax = r.x2, ymin = std::min(r.y1, r.y2), ymax = std::max(r.y1, r.y2);
      SSymListPt pts;
      if (m_bVertical) {
        pts.Add(SSymPoint(xmin, ymax));
        pts.Add(SSymPoint(xmin, ymin));
      } else {
        pts.Add(SSymPoint(xmin, ymin));
        pts.Add(SSymPoint(xmax, ymin));
      }
      // Placed before it knows its pool, so that placing is not taken for a
      // drag of the pool's start edge.
      SComWrap<ISSymPolyline> poly(copy->m_pLineSym);
      if (!poly.IsNull()) poly->SetListPt(pts, 1, 0);
      if (SSymSwimColn* coln = SSymSwimColn::FromInterface(copy->m_pLineSym.Get())) coln->SetObjSym(copy->Sym());
    }
  }

  if (!(flags & 5)) return S_OK;
  SComOut<ISRepClassCol> col;
  if ((*out)->GetCollection(SymAttr::Symbols, &col) != S_OK || !col) return S_OK;
  for (const SComWrap<ISSymbol>& m : Members()) {
    RepObjWrap member(m.Get());
    if (member.IsNull()) continue;
    SComWrap<ISRepObject, &IID_ISRepObject> dup;
    if (map) dup = map->Find(member.Get());
    if (dup.IsNull()) {
      SComOut<ISRepObject> made;
      if (member->Duplicate(&made, TRUE) == S_OK && made) dup = made.Get();
    }
    if (dup.IsNull()) continue;
    const LONG pos = col->GetPos(dup.Get());
    if (pos >= 0) col->Remove(pos);
    col->Insert(dup.Get(), pos);
  }
  return S_OK;
}

// ---- formats -------------------------------------------------------------------------------------
HRESULT SSymSwimLane::SetFormat(const SSymFormatEx& format) {
  // Worked on a copy: the record is often the caller's own, reused for
  // further symbols.
  SSymFormatEx own(format);
  own.m_flags &= ~kFormatBitsCleared;
  const HRESULT hr = SRepFaces::SetFormat(own);
  // Undo gives every member its own format back.
  if (IsInUndoContext()) return hr;
  for (const SComWrap<ISSymbol>& m : Members()) {
    if (SSymSwimGroup* group = SSymSwimGroup::FromInterface(m.Get())) group->SetAllFormat(own);
    else m->SetFormat(own);
  }
  return hr;
}

HRESULT SSymSwimLane::CopySymAttributes(ISSymbol* source, int copySize) {
  if (!source) return E_POINTER;
  SSymSwimLane* other = FromInterface(source);
  if (!other) return 1;
  m_nGroupType = other->m_nGroupType;  // the orientation stays this pool's
  return SRepFaces::CopySymAttributes(source, copySize);
}
