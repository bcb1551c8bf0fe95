#include "sym/subobjects/symsubgroup.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "kvrep/srepextras.h"
#include "sym/render/symcanv.h"
#include "sym/subobjects/symsubtext.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfview.h"

LONG SSymSubGroup::s_nMinWidth = 0;

namespace {
constexpr LONG M = SSymSubGroup::Margin;
// A measured edge closer than this to the proposed one keeps the proposed one.
constexpr LONG kEdgeTolerance = 20;
// Separator ends are pulled in to a linkable owner from at most this far out.
constexpr LONG kPullReach = 3000;

constexpr LONG kName = 0x01000002;
constexpr LONG kDisplayName = 0x0100000B;
constexpr LONG kStereotype = 0x02000005;
constexpr LONG kExtendedFamily = 0x040E0000;

bool IsAttrText(int type) { return type == 0 || type == 2 || type == 4 || type == 7; }

// Resizes r about its centre to inclusive sizes; the odd unit goes to the
// trailing side.
void ResizeAbout(SSymRect& r, LONG w, LONG h) {
  const LONG dw = w - r.Width();
  r.x1 -= dw / 2;
  r.x2 += dw - dw / 2;
  const LONG dh = h - r.Height();
  r.y1 += dh / 2;
  r.y2 -= dh - dh / 2;
}

SSymSubLayout* AsLayout(SSymSubsFonts* m) {
  return m && m->GetSymbolType() == SSymSubGroup::LayoutType ? static_cast<SSymSubLayout*>(m) : nullptr;
}

// Restores the static minimum width at the end of a measurement.
struct MinWidthScope {
  LONG saved = SSymSubGroup::s_nMinWidth;
  ~MinWidthScope() { SSymSubGroup::s_nMinWidth = saved; }
};

// The object and attribute an attribute text edits, when it has them.
bool AttrOf(SSymSubsFonts* m, ISRepObject*& object, LONG& id) {
  auto* text = dynamic_cast<SSymSubText*>(m);
  if (!text || !text->GetBoundObject()) return false;
  object = text->GetBoundObject();
  id = text->GetDispidToEdit(object, text->GetAttrId());
  return true;
}

bool IsReadOnly(ISRepObject* object, LONG id) {
  // The repository answers S_FALSE for a writable attribute.
  if (object->IsAttrReadOnly(id, nullptr) != S_FALSE) return true;
  // An extended attribute must also be known to the extended-attribute
  // interface for the object's class.
  if ((id & kExtendedFamily) == kExtendedFamily && id != kExtendedFamily) {
    SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
    CLSID clsid{};
    if (!exa || object->GetCLSID(&clsid) != S_OK) return true;
    const SRepExaRecord* record = exa->Find(clsid, id);
    if (!record || record->IsReadOnly(object) != 0) return true;
  }
  return false;
}
}  // namespace

SSymSubGroup::SSymSubGroup(ISSymbol* owner) : m_pOwner(owner) {}

SSymSubGroup::~SSymSubGroup() {
  while (m_members.GetCount() > 0) {
    SSymSubsFonts* m = m_members[0];
    m_members.Remove(0);
    if (m) {
      m->Delete();
      m->Release();
    }
  }
}

SSymRect SSymSubGroup::GetClipRect(int a, int b) { return m_pOwner ? m_pOwner->GetClipRect(a, b) : SSymRect(); }

// ---- look-ups -------------------------------------------------------------------------------------
SSymSubsFonts* SSymSubGroup::GetSubSymbolById(LONG id) const {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list) {
    const int type = m->GetSymbolType();
    if (type != 0 && type != 2 && type != 4) continue;
    auto* text = dynamic_cast<SSymSubText*>(m);
    if (text && text->GetAttrId() == id) return m;
  }
  return nullptr;
}

ISRepObject* SSymSubGroup::GetSubObjOnPt(const SSymCanvas& canvas, SSymPoint& pt, SSymSelSubSymData& data) const {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list) {
    if (m->GetSymbolType() != 6) continue;
    auto* grid = dynamic_cast<ISSymSubGridHit*>(m);
    if (!grid) continue;
    SSymSelSubSymData hit;
    ISRepObject* object = grid->GetSubObjWithPt(canvas, pt, hit);
    if (hit.m_pSubGrid) {
      data = hit;
      return object;
    }
  }
  return nullptr;
}

// ---- members -------------------------------------------------------------------------------------
void SSymSubGroup::Add(SSymSubsFonts* member) { m_members.Add(member); }

void SSymSubGroup::Insert(int pos, SSymSubsFonts* member) {
  if (pos < 0 || pos > m_members.GetCount()) pos = m_members.GetCount();
  m_members.Insert(pos, member);
}

void SSymSubGroup::Remove(int pos) {
  if (pos >= 0 && pos < m_members.GetCount()) m_members.Remove(pos);
}

int SSymSubGroup::GetPos(SSymSubsFonts* member) const { return member ? m_members.Find(member) : -1; }

int SSymSubGroup::GetCount(int nested) const {
  int n = 0;
  for (SSymSubsFonts* m : m_members) {
    if (!m) continue;
    SSymSubLayout* layout = nested ? AsLayout(m) : nullptr;
    n += layout ? layout->GetCount(1) : 1;
  }
  return n;
}

void SSymSubGroup::GetSubSymList(STable<SSymSubsFonts*>& list, int nested) const {
  for (SSymSubsFonts* m : m_members) {
    if (!m) continue;
    if (SSymSubLayout* layout = nested ? AsLayout(m) : nullptr) layout->GetSubSymList(list, 1);
    else list.Add(m);
  }
}

SSymSubsFonts* SSymSubGroup::GetSubSymbol(int index, int nested) const {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, nested);
  if (index == -1) index = list.GetCount() - 1;
  return index >= 0 && index < list.GetCount() ? list[index] : nullptr;
}

bool SSymSubGroup::IsContent(SSymSubsFonts* m) {
  return m && !m->IsHidden() && ((m->GetFlags() & SUBS_KEEPEMPTY) || !m->IsEmpty());
}

SSymSubsFonts* SSymSubGroup::IsTitleOnly() const {
  for (SSymSubsFonts* m : m_members) {
    if (!IsContent(m)) continue;
    const DWORD f = m->GetFlags();
    return (f & SUBS_TITLE) && !(f & SUBS_NOTITLETEST) ? m : nullptr;
  }
  return nullptr;
}

int SSymSubGroup::IsEmptyLastSubSym() const {
  for (int i = m_members.GetCount() - 1; i >= 0; --i) {
    SSymSubsFonts* m = m_members[i];
    if (!m || m->IsHidden()) continue;
    if (!m->IsEmpty()) return 0;
    if (m->GetClipRect(0, 0).Height() > 2) return 1;  // more than 1 unit high
  }
  return 0;
}

// ---- fonts ---------------------------------------------------------------------------------------
int SSymSubGroup::GetFontCount() const {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  int n = 0;
  for (SSymSubsFonts* m : list) n += m->GetFontCount();
  return n;
}

void SSymSubGroup::GetFonts(SSymLstFonts* list) const {
  STable<SSymSubsFonts*> members;
  GetSubSymList(members, 1);
  for (SSymSubsFonts* m : members) m->GetFonts(list);
}

int SSymSubGroup::GetFont(const SString& name, SSymFonts* out) const {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list)
    if (m->GetFont(name, out)) return 1;
  return 0;
}

int SSymSubGroup::SetFont(const SString& name, const SSymFonts& fonts, int redraw) {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  int any = 0;
  for (SSymSubsFonts* m : list) any |= m->SetFont(name, fonts, redraw) ? 1 : 0;
  return any;
}

int SSymSubGroup::CopyFont(const SString& name, const SSymFonts& fonts, int redraw) {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list)
    if (m->CopyFont(name, fonts, redraw)) return 1;
  return 0;
}

int SSymSubGroup::SetFontsColor(SSymColor color) {
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list) m->SetFontsColor(color);
  return 1;
}

// ---- positions -----------------------------------------------------------------------------------
int SSymSubGroup::GetRelatedPos(SSymSubsFonts* member) const {
  if (!member) return -1;
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  int number = -1, first = -1, last = -1;
  bool lastEmpty = false;
  int count = 0;
  for (SSymSubsFonts* m : list) {
    if (m->IsHidden()) continue;
    // Empty texts of kind 0 take no place at all.
    if (m->IsEmpty() && m->GetKind() == 0) continue;
    if (m == member) number = count;
    if (first < 0) first = count;
    last = count;
    lastEmpty = m->IsEmpty() && !(m->GetFlags() & SUBS_KEEPEMPTY);
    ++count;
  }
  // A trailing empty text does not count as the last compartment.
  if (lastEmpty) --last;
  if (number < 0) return -1;
  SComWrap<ISSymCompView> view(m_pOwner);
  if (!view.IsNull() && view->IsLastCompLast() == 0) last = last + 1;
  return (number == first ? 1 : 0) | (number == last ? 2 : 0);
}

int SSymSubGroup::LocateNested(SSymSubsFonts* target, int* left, int* right, int* top, int* bottom) const {
  if (!target) return 0;
  if (target == NestedOwner()) return 1;
  STable<SSymSubsFonts*> content;
  for (SSymSubsFonts* m : m_members)
    if (IsContent(m)) content.Add(m);
  const int n = content.GetCount();
  for (int i = 0; i < n; ++i) {
    if (content[i] != target) continue;
    int* before = IsVertical() ? top : left;
    int* after = IsVertical() ? bottom : right;
    if (before) *before = i > 0;
    if (after) *after = i < n - 1;
    return 1;
  }
  for (SSymSubsFonts* m : content)
    if (SSymSubLayout* layout = AsLayout(m); layout && layout->LocateNested(target, left, right, top, bottom)) return 1;
  return 0;
}

// ---- layout --------------------------------------------------------------------------------------
void SSymSubGroup::LayoutMembers(STable<SSymSubsFonts*>& list) const {
  if (!NestedOwner()) {
    SComWrap<ISSymSubSym> host(m_pOwner);
    if (!host.IsNull()) {
      const int n = host->GetSubSymCount(0);
      for (int i = 0; i < n; ++i)
        if (SSymSubsFonts* m = host->GetSubSymbol(i, 0)) list.Add(m);
      return;
    }
  }
  GetSubSymList(list, 0);
}

bool SSymSubGroup::Measure(SSymSubsFonts* m, SSymCanvas& canvas, bool vertical, SSymRect& measured) {
  measured = m->ComputeTextRect(canvas);
  measured.Normalize();
  if (!(m->GetFlags() & SUBS_HOSTADJUST)) return true;
  SComWrap<ISSymSubSym> host(m_pOwner);
  if (host.IsNull()) return true;
  SSymRect offered = measured;
  if (vertical) offered.x2 = offered.x1;
  else offered.y2 = offered.y1;
  host->AdjustSubSymbol(m, &offered, canvas);
  // Nothing left along: the host takes the compartment away.
  if (vertical ? offered.y2 == measured.y1 : offered.x2 == measured.x1) return false;
  if (vertical) {
    measured.y1 = offered.y1;
    measured.y2 = offered.y2;
  } else {
    measured.x1 = offered.x1;
    measured.x2 = offered.x2;
  }
  return true;
}

SSymRect SSymSubGroup::ComputeGroupRect(SSymCanvas& canvas, int keepWrap, int width) {
  STable<SSymSubsFonts*> members;
  GetSubSymList(members, 0);
  if (!m_pOwner || members.GetCount() == 0) return SSymRect(0, 0, 0, 0);
  SSymRect R = GetClipRect(0, 0);
  R.Normalize();
  SComWrap<ISSymSubSym> host(m_pOwner);
  if (!host.IsNull() && !NestedOwner()) {
    LONG l = 0, r = 0, t = 0, b = 0;
    if (host->GetSubSymMargins(&l, &r, &t, &b)) {
      R.x1 += l;
      R.x2 -= r;
      R.y1 -= t;
      R.y2 += b;
      if (width) width -= l + r;
    }
  }
  const LONG roomW = R.x2 - R.x1 - 2 * M, roomH = R.y1 - R.y2 - 2 * M;
  int n = 0;
  for (SSymSubsFonts* m : members) {
    if (m->IsHidden()) continue;
    m->InitializeSubSym();
    if (IsContent(m)) ++n;
  }
  width = width == 0 ? 2 * M : width - 2 * M;
  const bool vertical = IsVertical() != 0;
  LONG W = 0, H = 0;
  if (host.IsNull() || !host->GetSubSymMinSize(&W, &H)) W = H = 0;
  else H += M;
  const LONG alongMin = vertical ? H : W, acrossMin = vertical ? W : H;
  const LONG acrossRoom = vertical ? roomW : roomH;

  LONG L = 0, C = 0, passZeroC = 0;
  for (int pass = 0; pass < 2; ++pass) {
    L = M;
    C = vertical ? width : 0;
    s_nMinWidth = pass == 0 ? 0 : passZeroC;
    int r = n;
    bool seenContent = false, pending = false;
    for (int i = 0; i < members.GetCount(); ++i) {
      SSymSubsFonts* m = members[i];
      if (m->IsHidden()) continue;
      const bool content = IsContent(m);
      if (content) --r;
      const bool title = !seenContent && content && r == 0 && !(m->GetFlags() & SUBS_NEVERTITLE);
      m->SetFlag(SUBS_TITLE, title);
      SSymRect proposed = m->GetClipRect(0, 0);
      proposed.Normalize();
      if ((vertical ? proposed.Width() : proposed.Height()) < acrossRoom) {
        if (vertical) {
          proposed.x1 = R.x1 + M;
          proposed.x2 = R.x2 - M;
        } else {
          proposed.y1 = R.y1 - M;
          proposed.y2 = R.y2 + M;
        }
        m->SetClipRect(proposed);
      }
      SSymRect measured;
      bool keep;
      {
        MinWidthScope minScope;
        const bool noWrap = (m->GetFlags() & SUBS_NOWRAPPREF) != 0;
        if (keepWrap) m->SetFlag(SUBS_NOWRAPPREF, true);
        if (pass == 1 && L < alongMin) s_nMinWidth = std::max<LONG>(0, s_nMinWidth - acrossMin);
        keep = Measure(m, canvas, vertical, measured);
        if (keepWrap) m->SetFlag(SUBS_NOWRAPPREF, noWrap);
      }
      if (!keep) {
        if (content) ++r;
        continue;
      }
      SSymRect placed = proposed;
      if (vertical) {
        placed.x1 = measured.x1;
        placed.x2 = measured.x2;
        if (std::abs(measured.y1 - proposed.y1) > kEdgeTolerance) placed.y1 = measured.y1;
        if (std::abs(measured.y2 - proposed.y2) > kEdgeTolerance) placed.y2 = measured.y2;
      } else {
        placed.y1 = measured.y1;
        placed.y2 = measured.y2;
        if (std::abs(measured.x1 - proposed.x1) > kEdgeTolerance) placed.x1 = measured.x1;
        if (std::abs(measured.x2 - proposed.x2) > kEdgeTolerance) placed.x2 = measured.x2;
      }
      const LONG kind = m->GetKind();
      // Only content is parted by separators: an absent compartment neither
      // takes the pending separator's space nor leaves one of its own (it
      // would reserve room for a line that is never drawn).
      if (pending && content) {
        const LONG s = ((kind - 1) / 2 + 1) * M;
        if (vertical) placed.OffsetRect(0, -s);
        else placed.OffsetRect(s, 0);
        L += s;
      }
      m->SetClipRect(placed);
      if (!content) continue;
      pending = r > 0 && kind != 0;
      seenContent = true;
      if (r > 0) L += M;
      const LONG c = vertical ? placed.x2 - placed.x1 : placed.y1 - placed.y2;
      C = std::max(C, c);
      if (vertical && L < H) C = std::max<LONG>(C, c + W);
      L += vertical ? placed.y1 - placed.y2 : placed.x2 - placed.x1;
      LONG gap = M;
      if (kind != 0 && alongMin > 0 && r > 0 && L < alongMin) {
        if (alongMin - L > M) gap = alongMin - L;
        L = alongMin;
      }
      if (i + 1 < members.GetCount() && !members[i + 1]->IsHidden()) {
        SSymSubsFonts* next = members[i + 1];
        SSymRect nr = next->GetClipRect(0, 0);
        nr.Normalize();
        if (vertical) {
          const LONG h = nr.y1 - nr.y2;
          nr.y1 = placed.y2 - gap;
          nr.y2 = nr.y1 - h;
        } else {
          const LONG w = nr.x2 - nr.x1;
          nr.x1 = placed.x2 + gap;
          nr.x2 = nr.x1 + w;
        }
        next->SetClipRect(nr);
      }
    }
    if (pass == 0) passZeroC = C;
  }
  s_nMinWidth = 0;
  const LONG along = std::max(L, alongMin) + M;
  if (vertical) ResizeAbout(R, C, along);
  else ResizeAbout(R, along, C);
  return R;
}

void SSymSubGroup::DrawSeparator(SSymCanvas& canvas, LONG along, const SSymRect& frame, const SSymRect& group,
                                 const SSymRect& owner, const int adjoin[4]) {
  const bool vertical = IsVertical() != 0;
  // No line at or beyond the frame's far edge.
  if (vertical ? along <= frame.y2 : along >= frame.x2) return;
  SSymPoint a, b;
  bool outerA, outerB;
  if (vertical) {
    outerA = !adjoin[0];
    outerB = !adjoin[1];
    a = SSymPoint(outerA ? std::max(frame.x1 - M, owner.x1) : group.x1 - M, along);
    b = SSymPoint(outerB ? std::min(frame.x2 + M, owner.x2) : group.x2, along);
  } else {
    outerA = !adjoin[2];
    outerB = !adjoin[3];
    a = SSymPoint(along, outerA ? std::min(frame.y1 + M, owner.y1) : group.y1 + M);
    b = SSymPoint(along, outerB ? std::max(frame.y2 - M, owner.y2) : group.y2);
  }
  // A linkable owner's outline is not a rectangle: its ends are pulled in
  // to where the outline crosses the line.
  SComWrap<ISSymLinkable> linkable(m_pOwner);
  if (!linkable.IsNull()) {
    const SSymPoint centre((a.x + b.x) / 2, (a.y + b.y) / 2);
    auto pull = [&](SSymPoint& end) {
      const LONG dx = end.x == centre.x ? 0 : (end.x < centre.x ? -1 : 1);
      const LONG dy = end.y == centre.y ? 0 : (end.y < centre.y ? -1 : 1);
      for (LONG d = 0; d < kPullReach; d += M) {
        const SSymPoint from(end.x + dx * d, end.y + dy * d);
        SSymPoint at = from;
        if (linkable->GetIntersection(SSymSegment(from.x, from.y, centre.x, centre.y), &at)) {
          end = at;
          return;
        }
      }
    };
    if (outerA) pull(a);
    if (outerB) pull(b);
  }
  if (!owner.PtInRect(a) || !owner.PtInRect(b)) return;
  canvas.Line(a, b);
}

void SSymSubGroup::DrawSubSymbol(SSymCanvas& canvas) {
  if (!m_pOwner || GetCount(0) == 0) return;
  SComWrap<ISSymSubSym> host(m_pOwner);
  if (host.IsNull()) return;
  SSymRect group = GetClipRect(0, 0);
  group.Normalize();
  SSymRect owner = m_pOwner->GetClipRect(0, 0);
  owner.Normalize();

  STable<SSymSubsFonts*> members;
  LayoutMembers(members);
  int adjoin[4] = {0, 0, 0, 0};  // left, right, top, bottom
  if (SSymSubsFonts* self = NestedOwner()) {
    // Sides that adjoin neighbouring compartments of the enclosing layouts.
    STable<SSymSubsFonts*> top;
    const int n = host->GetSubSymCount(0);
    for (int i = 0; i < n; ++i)
      if (SSymSubsFonts* m = host->GetSubSymbol(i, 0)) top.Add(m);
    SSymSubGroup outer(m_pOwner);
    for (SSymSubsFonts* m : top) outer.m_members.Add(m);
    outer.LocateNested(self, &adjoin[0], &adjoin[1], &adjoin[2], &adjoin[3]);
    outer.m_members.RemoveAll();  // the members are only borrowed
  }
  SSymRect frame = group;
  if (!adjoin[0]) frame.x1 += M;
  if (!adjoin[1]) frame.x2 -= M;
  if (!adjoin[2]) frame.y1 -= M;
  if (!adjoin[3]) frame.y2 += M;
  if (!NestedOwner()) {
    LONG l = 0, r = 0, t = 0, b = 0;
    if (host->GetSubSymMargins(&l, &r, &t, &b)) {
      frame.x1 += l;
      frame.x2 -= r;
      frame.y1 -= t;
      frame.y2 += b;
    }
  }
  const bool vertical = IsVertical() != 0;
  int contentCount = 0;
  for (SSymSubsFonts* m : members) {
    if (m->IsHidden()) continue;
    m->InitializeSubSym();
    if (IsContent(m)) ++contentCount;
  }

  // Where the block of compartments starts.
  if (m_bCenterBlock && contentCount >= 2) {
    const SSymRect need = ComputeGroupRect(canvas, 1, 0);
    if (owner.Height() > need.Height()) frame.y1 -= (owner.Height() - need.Height()) / 2;
  } else if (!vertical) {
    const LONG align = GetTextStyle() & 0xF;
    if (align == 2 || align == 4) {
      const LONG block = ComputeGroupRect(canvas, 1, 0).Width() - 2 * M;
      const LONG free = frame.Width() - block;
      if (free > 0) frame.x1 += align == 2 ? free / 2 : free;
    }
  }

  LONG position = vertical ? frame.y1 : frame.x1;
  int r = contentCount;
  bool seenContent = false;
  int lines = 0;  // separator lines owed to the previous content compartment
  for (SSymSubsFonts* m : members) {
    if (m->IsHidden()) continue;
    const bool content = IsContent(m);
    if (content) --r;
    m->SetFlag(SUBS_TITLE, !seenContent && content && r == 0 && !(m->GetFlags() & SUBS_NEVERTITLE));
    if (!content) {
      // An absent compartment keeps a point at the running position.
      SSymRect p = vertical ? SSymRect(frame.x1, position, frame.x1, position)
                            : SSymRect(position, frame.y1, position, frame.y1);
      m->SetClipRect(p);
      continue;
    }
    if (seenContent) {
      // The previous compartment's separator lines, then the gap.
      for (int k = 0; k < lines; ++k) {
        position += vertical ? -M : M;
        DrawSeparator(canvas, position, frame, group, owner, adjoin);
      }
      position += vertical ? -M : M;
    }
    SSymRect proposed = vertical ? SSymRect(frame.x1, position, frame.x2, position)
                                 : SSymRect(position, frame.y1, position, frame.y2);
    m->SetClipRect(proposed);
    SSymRect measured;
    bool keep;
    {
      MinWidthScope minScope;
      s_nMinWidth = vertical ? frame.Width() : 0;
      m->SetFlag(SUBS_DRAWING, true);
      keep = Measure(m, canvas, vertical, measured);
      m->SetFlag(SUBS_DRAWING, false);
    }
    s_nMinWidth = 0;
    if (!keep) {
      if (content) ++r;
      continue;
    }
    // A compartment is as wide (or, side by side, as high) as it measured,
    // where it measured: hit bands and handles cover its content, not the
    // whole frame.
    SSymRect placed = proposed;
    if (vertical) {
      placed.x1 = measured.x1;
      placed.x2 = measured.x2;
      placed.y2 = position - (measured.y1 - measured.y2);
    } else {
      placed.y1 = measured.y1;
      placed.y2 = measured.y2;
      placed.x2 = position + (measured.x2 - measured.x1);
    }
    m->SetClipRect(placed);
    m->Draw(canvas);
    SSymRect drawn = m->GetClipRect(0, 0);
    drawn.Normalize();
    position = vertical ? std::min(drawn.y2, placed.y2) : std::max(drawn.x2, placed.x2);
    seenContent = true;
    const LONG kind = m->GetKind();
    lines = kind > 0 ? static_cast<int>((kind + 1) / 2) : 0;
  }
}

// ---- in-place editing ----------------------------------------------------------------------------
HRESULT SSymSubGroup::EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint) {
  if (!view) return E_POINTER;
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 1);
  STable<LONG> ids;
  int namePos = -1, single = -1;
  bool editable = false, cancelled = false;
  for (int i = 0; i < list.GetCount(); ++i) {
    SSymSubsFonts* m = list[i];
    LONG id = 0;
    ISRepObject* object = nullptr;
    if (!IsAttrText(m->GetSymbolType()) || !AttrOf(m, object, id)) continue;
    ids.Add(id);
    if (id == kName || id == kDisplayName) namePos = i;
    if (IsReadOnly(object, id)) continue;
    editable = true;
    if (namePos >= 0 || id == kStereotype) continue;
    if (single < 0 && !cancelled) single = i;
    else if (single >= 0 && single != i) {
      single = -1;
      cancelled = true;
    }
  }
  if (!editable) return 1;

  // The compartment under the point.
  int hit = -1;
  SSymLockViewCanvas lock(view);
  if (SSymCanvas* canvas = lock.GetCanvas()) {
    for (int i = 0; i < list.GetCount(); ++i) {
      SSymSubsFonts* m = list[i];
      if (m->IsEmpty()) continue;
      if (!m->IsPtInSym(*canvas, pt, nullptr, nullptr)) continue;
      if (!(m->GetFlags() & SUBS_EDITABLE)) break;
      const int type = m->GetSymbolType();
      if (IsAttrText(type)) {
        LONG id = 0;
        ISRepObject* object = nullptr;
        if (AttrOf(m, object, id) && !IsReadOnly(object, id)) hit = i;
        if (hit >= 0) break;
        continue;
      }
      if (type == 5 || type == 6) {
        hit = i;
        break;
      }
    }
  }
  if (atPoint && hit < 0) return 1;
  int start;
  if (atPoint) start = hit;
  else if (namePos >= 0) start = namePos;
  else if (single >= 0) start = single;
  else if (hit >= 0) start = hit;
  else start = 0;

  SSymRect rect = GetClipRect(1, 1);
  SComWrap<ISSymCustomShape> custom(m_pOwner);
  if (!custom.IsNull() && lock.GetCanvas()) {
    SSymRect adjusted;
    if (custom->GetAdjustRect(*lock.GetCanvas(), rect, adjusted)) {
      adjusted.Normalize();
      const SSymPoint c = rect.GetCenter();
      rect = adjusted;
      rect.SetCenter(c);
    }
  }
  // The editor runs the whole editing before it returns.
  std::unique_ptr<ISSymInPlaceEditor> editor(SSymCreateInPlaceEditor());
  if (!editor) return E_FAIL;
  editor->InitGroup(view, rect, list, start, ids);
  return editor->ExecuteGroup() < 0 ? E_FAIL : S_OK;
}

// ---- nested layout -------------------------------------------------------------------------------
SSymSubLayout::SSymSubLayout(ISSymbol* owner, int vertical) : SSymSubGroup(owner), m_bVertical(vertical ? 1 : 0) {}

void SSymSubLayout::SetClipRect(const SSymRect& rect) {
  m_layoutRect = rect;
  SSymSubs::SetClipRect(rect);
  STable<SSymSubsFonts*> list;
  GetSubSymList(list, 0);
  for (SSymSubsFonts* m : list) m->SetClipRect(rect);
}

HRESULT SSymSubLayout::Draw(SSymCanvas& canvas) {
  if (m_flags & (SUBS_HIDDEN | SUBS_DRAWING)) return 1;
  m_flags |= SUBS_DRAWING;
  const HRESULT hr = DrawOrAdjust(canvas, 0);
  m_flags &= ~SUBS_DRAWING;
  return hr;
}

HRESULT SSymSubLayout::DrawOrAdjust(SSymCanvas& canvas, int adjust) {
  SSymRect r;
  if (adjust) {
    r = ComputeGroupRect(canvas, 0, 0);
  } else {
    DrawSubSymbol(canvas);
    STable<SSymSubsFonts*> list;
    GetSubSymList(list, 0);
    bool any = false;
    for (SSymSubsFonts* m : list) {
      if (!IsContent(m)) continue;
      SSymRect c = m->GetClipRect(0, 0);
      c.Normalize();
      if (!any) r = c;
      else r |= c;
      any = true;
    }
    if (!any) return S_OK;
  }
  r.Normalize();
  if (r.x1 <= r.x2 && r.y2 <= r.y1) {
    m_layoutRect = r;
    m_rect = r;
  }
  return S_OK;
}
