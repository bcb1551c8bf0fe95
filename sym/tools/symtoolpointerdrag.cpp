// The captures the pointer tool runs through the window's capture loop:
// resizing one symbol by a handle, moving, inserting and removing vertices
// of a point-list symbol and re-attaching link ends, and selecting by a
// rubber band. Each drop that changes the model is one undo step: it is made
// inside one creation context of the tool's session.
#include <cstdlib>
#include <memory>
#include <new>

#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "kvrep/srepvariant.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symclassid.h"
#include "sym/links/symlinkbase.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/symbol/symsolid.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtoolview.h"
#include "sym/tools/symtracker.h"
#include "sym/tools/symtrackerpoly.h"

namespace {

constexpr LONG AttrManuallyResized = 0x020100B9;
constexpr LONG AttrAutoAdjustToText = 0x02010009;
constexpr LONG AttrRoutingState = 0x02010030;

// The smallest inclusive size a resize leaves, and the smallest while the
// diagram snaps to its grid.
constexpr LONG MinSize = 150;
constexpr LONG MinGridSize = 800;
// A text of a line changes its width only by this much or more.
constexpr LONG MinTextWidthChange = 45;
// A vertex dropped this near its press point on both axes stays.
constexpr LONG VertexDeadZone = 75;
// Line styles from this one up insert a point on a slanted segment at the
// height of the segment's start.
constexpr LONG StyleFirstPerpendicular = 8;

const SSymToolViewSite& Site() { return SSymGetToolViewSite(); }

bool Answers(IUnknown* unknown, REFIID iid) {
  if (!unknown) return false;
  SComOut<IUnknown> face;
  return unknown->QueryInterface(iid, face.Void()) == S_OK && face;
}

// The model object a symbol stands for: the object it shows, else its own
// repository object.
ISRepObject* ModelOf(ISSymbol* symbol, SComWrap<ISRepObject, &IID_ISRepObject>& keep) {
  SComWrap<ISSymObject> shown(symbol);
  if (!shown.IsNull()) {
    SComOut<ISRepObject> model;
    if (shown->GetModelObject(&model) == S_OK && model) {
      keep = SComWrap<ISRepObject, &IID_ISRepObject>(model.Get());
      return keep;
    }
  }
  return SSymGetRepObject(symbol);
}

bool SameModel(ISSymbol* a, ISSymbol* b) {
  SComWrap<ISRepObject, &IID_ISRepObject> keepA, keepB;
  ISRepObject* ma = ModelOf(a, keepA);
  ISRepObject* mb = ModelOf(b, keepB);
  return ma && mb && SRepAreSameObjects(ma, mb);
}

bool SamePoints(const SSymListPt& a, const SSymListPt& b) {
  if (a.GetCount() != b.GetCount()) return false;
  for (int i = 0; i < a.GetCount(); ++i)
    if (!(a[i] == b[i])) return false;
  return true;
}

bool HasAttribute(ISRepObject* object, LONG id) { return object && object->HasAttribute(id) == S_OK; }

LONG GetLong(ISRepObject* object, LONG id) {
  SRepVariant value;
  if (!object || FAILED(object->GetAttribute(id, &value))) return 0;
  return value.GetLONG();
}

// The routing state after a change of the points: the former state's parts
// joined with the parts that changed (1 the source end, 2 the destination
// end, 4 the middle).
LONG RoutingState(LONG former, unsigned long diff) {
  const unsigned long parts = static_cast<unsigned long>(former) | diff;
  if (parts & 4) return 4;
  if ((parts & 3) == 3) return 3;
  if (parts & 2) return 2;
  if (parts & 1) return 1;
  return 0;
}

// The point inserted on the segment from a to b for a press at p.
SSymPoint InsertedPoint(const SSymPoint& a, const SSymPoint& b, const SSymPoint& p, LONG style) {
  if (a.x == b.x) return SSymPoint(a.x, p.y);
  if (a.y == b.y || style >= StyleFirstPerpendicular) return SSymPoint(p.x, a.y);
  const double along = (static_cast<double>(p.x) - a.x) / (static_cast<double>(b.x) - a.x);
  return SSymPoint(p.x, static_cast<LONG>(a.y + static_cast<LONG>(along * (static_cast<double>(b.y) - a.y))));
}

// Whether point `index` may go from the line: a closed outline keeps three
// points, an open line its ends, and a loop of a link on one symbol does not
// fold into that symbol.
bool MayRemovePoint(ISSymPolyline* line, const SSymListPt& points, int index, bool closed) {
  const int n = points.GetCount();
  if (closed ? n <= 3 : (index == 0 || index == n - 1)) return false;
  SComWrap<ISSymLink> link(line);
  if (link.IsNull()) return true;
  SComOut<ISSymbol> source, target;
  link->GetAttachSym(0, &source);
  link->GetAttachSym(1, &target);
  if (!source || !target || !SRepAreSameObjects(source.Get(), target.Get())) return true;
  const SSymRect inside = source->GetClipRect(0, 0);
  SSymRect r = inside;
  r.Normalize();
  for (int i = 0; i < n; ++i)
    if (i != index && !r.PtInRect(points[i])) return true;
  return false;
}

// The symbol is still in a diagram (a symbol deleted meanwhile has no owner).
bool IsPlaced(ISSymbol* symbol) {
  if (!symbol) return false;
  SComOut<ISSymOwner> owner;
  return SUCCEEDED(symbol->GetOwner(&owner)) && owner;
}

// What a drop works with.
struct DropArgs {
  SSymViewEdit* view;
  SSymView* window;
  ISRepSession* session;
  ISSymbol* symbol;
  SSymPoint pressed;
};

SSymPoint SnapTo(SSymViewEdit* view, const SSymPoint& point) {
  return view && Site().snapToGrid ? Site().snapToGrid(view, point) : point;
}

// The rectangle of a resize held to the smallest size: 150 units, or the
// grid spacing but at least 800 while the diagram snaps to its grid.
SSymRect AtLeastMinimum(SSymRect r, SSymView* window) {
  r.Normalize();
  const SSymDispPref* prefs = window ? window->GetDispPrefPtr() : nullptr;
  if (prefs && prefs->GetSnapGrid()) {
    const LONG least = prefs->GetGridSize() > MinGridSize ? prefs->GetGridSize() : MinGridSize;
    if (r.Height() <= least) r.SetHeight(least);
    if (r.Width() <= least) r.SetWidth(least);
  } else {
    if (r.Width() <= MinSize) r.SetWidth(MinSize);
    if (r.Height() <= MinSize) r.SetHeight(MinSize);
  }
  return r;
}

void Transform(ISSymbol* symbol, const SSymRect& to) {
  SSymMatrix m;
  m.SetTransform(symbol->GetClipRect(0, 0), to);
  symbol->Transform(m, 1);
}

// A symbol sized by one of its handles to `tracked`; a text of a line only
// changes its width.
void DropResize(const DropArgs& d, const SSymRect& tracked) {
  if (d.symbol->IsSubObject()) {
    const SSymRect old = d.symbol->GetClipRect(0, 0);
    SSymRect r = tracked;
    r.Normalize();
    if (std::abs(static_cast<long long>(r.Width()) - old.Width()) < MinTextWidthChange) return;
    r.y1 = old.GetMaxY();
    r.y2 = old.GetMinY();
    SRepCreateContext step(d.session, 1, 1, 0);
    Transform(d.symbol, r);
    return;
  }
  SRepCreateContext step(d.session, 1, 1, 0);
  Transform(d.symbol, AtLeastMinimum(tracked, d.window));
  ISRepObject* object = SSymGetRepObject(d.symbol);
  if (HasAttribute(object, AttrManuallyResized)) object->SetAttribute(AttrManuallyResized, SRepVariant::Bool(true));
  if (HasAttribute(object, AttrAutoAdjustToText) && !ShouldManageTempResize())
    object->SetAttribute(AttrAutoAdjustToText, SRepVariant::Bool(false));
}

// The selection rebuilt from the symbols in the frame; with `add` the
// symbols selected before stay selected.
void DropBand(const DropArgs& d, SSymRect frame, bool add) {
  ISSymDiagram* diagram = d.window ? d.window->GetDiagramPtr() : nullptr;
  ISSymSelection* selection = d.view && Site().selection ? Site().selection(d.view) : nullptr;
  if (!diagram || !selection) return;
  frame.Normalize();
  // The symbols selected before and kept draw no handles at all.
  SSymSelHandleBatch batch(selection);
  SComTable<ISSymbol> before;
  if (add)
    for (int i = 0; i < selection->GetCount(); ++i) before.Add(selection->GetAt(i));
  diagram->AddSymInRectToSel(frame, selection, 1);
  for (int i = 0; i < before.GetCount(); ++i)
    if (!selection->Contains(before[i])) selection->Add(before[i], 1);
}

// A link's end dropped at `final`: re-attached to the symbol there when the
// link takes it. A drop on no symbol, or one the link refuses, changes
// nothing.
void DropLinkEnd(const DropArgs& d, SRepCreateContext& step, ISSymLink* link, SSymTrackerPoly& tracker, int end,
                 const SSymPoint& final) {
  ISSymbol* target = tracker.GetFinalSym(d.view, final);
  if (!target || target->IsSubObject()) return;
  // A symbol hidden in a composite stands for the composite that shows it.
  if (ISSymbol* shown = SSymGetPrntCompHideChild(target, nullptr)) target = shown;
  SComWrap<ISSymLinkable> linkable(target);
  if (linkable.IsNull()) return;
  SComOut<ISSymbol> ends[2];
  link->GetAttachSym(0, &ends[0]);
  link->GetAttachSym(1, &ends[1]);
  ISSymbol* other = ends[1 - end].Get();
  const bool same = ends[end] && other && SameModel(ends[end].Get(), target);
  if (!same) {
    auto* base = dynamic_cast<SSymLinkBase*>(SSymBase::FromInterface(d.symbol));
    SComWrap<ISSymLinkable> kept(other);
    ISSymLinkable* source = end == 0 ? linkable.Get() : kept.Get();
    ISSymLinkable* destination = end == 0 ? kept.Get() : linkable.Get();
    const int accepted = base ? base->CanAttachSym(source, destination) : (source && destination ? 1 : 0);
    if (!accepted) return;
  }
  const SSymPoint at = SnapTo(d.view, final);
  if (ends[end] && SRepAreSameObjects(ends[end].Get(), target)) {
    SComWrap<ISSymPolyline> line(d.symbol);
    SSymListPt former;
    if (!line.IsNull() && SUCCEEDED(line->GetListPt(former)))
      step.AddRepAction(std::make_unique<SSymActionPoly>(d.symbol, former));
    link->SetAttachPoint(end, at, 1);
    return;
  }
  link->AttachSym(end, linkable, at);
}

// A vertex or segment of a line dropped at `final`.
void DropVertex(const DropArgs& d, SSymTrackerPoly& tracker, const SSymPoint& final) {
  if (std::abs(static_cast<long long>(final.x) - d.pressed.x) <= VertexDeadZone &&
      std::abs(static_cast<long long>(final.y) - d.pressed.y) <= VertexDeadZone) {
    d.symbol->Redraw(nullptr);
    return;
  }
  SComWrap<ISSymPolyline> line(d.symbol);
  if (line.IsNull()) return;
  SRepCreateContext step(d.session, 1, 1, 0);
  SSymListPt points = tracker.GetFinalListPt();
  SComWrap<ISSymLink> link(d.symbol);
  if (!link.IsNull() && tracker.IsEndPoint()) {
    DropLinkEnd(d, step, link, tracker, tracker.GetIndex() == 0 ? 0 : 1, final);
    return;
  }
  SSymListPt former;
  if (FAILED(line->GetListPt(former)) || SamePoints(points, former)) return;
  ISRepObject* object = SSymGetRepObject(d.symbol);
  LONG state = GetLong(object, AttrRoutingState);
  if (state < 1 || state > 4) state = 0;
  SSymDispPref* prefs = d.window ? d.window->GetDispPrefPtr() : nullptr;
  const bool manual = !prefs || !prefs->SupportsAutorouting() || !prefs->GetAutoRouting() || state == 4;
  const LONG style = line->GetLineStyle();
  if (manual && (style == SSymLineStyle::Corner || style == SSymLineStyle::RoundCorner) && !link.IsNull()) {
    SComOut<ISSymbol> source, target;
    link->GetAttachSym(0, &source);
    link->GetAttachSym(1, &target);
    if (source && target) points.FormatLink(0, 0, source->GetClipRect(0, 0), target->GetClipRect(0, 0));
  }
  state = RoutingState(state, points.GetDiff(former));
  if (HasAttribute(object, AttrRoutingState)) object->SetAttribute(AttrRoutingState, SRepVariant::Long(state));
  line->SetListPt(points, 1, 0);
}

}  // namespace

// ---- start, over, scrolling, cancel ----------------------------------------------------------------

int SSymToolPointer::CaptureStart(SMouseFlags flags, const SSymPoint& point) {
  m_pTracker.reset();
  SSymViewEdit* view = GetView();
  SSymView* window = GetDiagramView();
  if (!view || !window) return 0;
  switch (m_nCaptureMode) {
    case CaptureResize: {
      if (!m_pDragSym || !Site().createTrackerSize) break;
      int handle = -1;
      m_pDragSym->IsPtInSym(window->GetCanvas(), point, &handle, nullptr);
      // Only a handle resizes.
      if (handle < 0 || handle > 7) break;
      if (m_pDragSym->IsSubObject()) {
        // Of the sub-objects only the texts of lines are sized.
        SComOut<ISSymbol> owner;
        if (FAILED(m_pDragSym->GetMainSymbol(&owner)) || !Answers(owner.Get(), IID_ISSymPolyline)) break;
      }
      m_nSubPart = handle;
      m_pTracker.reset(Site().createTrackerSize(view, m_pDragSym, point, handle));
      break;
    }
    case CaptureBand: {
      auto* focus = new (std::nothrow) SSymTrackerFocus(&window->GetCanvas(), point);
      if (!focus)
        throw SEOutOfMemory("int SSymToolPointer::CaptureStart(SMouseFlags, const SSymPoint&)",
                            "sym/tools/symtoolpointerdrag", __LINE__);
      m_pTracker.reset(focus);
      break;
    }
    case CaptureVertex: {
      SComWrap<ISSymPolyline> line(m_pDragSym);
      if (line.IsNull() || !Site().createTrackerPoly) break;
      int index = -1;
      m_pDragSym->IsPtInSym(window->GetCanvas(), point, &index, nullptr);
      SSymListPt points;
      if (FAILED(line->GetListPt(points))) break;
      const int n = points.GetCount();
      // Neither a point nor a segment of the line.
      if (index < 0 || index >= 2 * n) break;
      if (Answers(m_pDragSym, IID_ISSymComplex) && index >= n && !m_pDragSym->GetClipRect(0, 0).PtInRect(point))
        break;
      const int control = flags.Has(SMouseFlags::Control) ? 1 : 0;
      if (control) {
        const bool closed = Answers(m_pDragSym, IID_ISSymBrush);
        if (closed && n < 3) break;
        if (index < n) {
          if (MayRemovePoint(line, points, index, closed)) {
            SRepCreateContext step(GetSession(), 1, 1, 0);
            points.Remove(index);
            line->SetListPt(points, 1, 0);
            break;
          }
        } else {
          const int i = index - n + 1;
          // The closing segment of an outline ends at the first point.
          const SSymPoint a = points[i - 1], b = points[i % n];
          SSymPoint inserted = InsertedPoint(a, b, point, line->GetLineStyle());
          if (Site().snapToGrid) inserted = Site().snapToGrid(view, inserted);
          SRepCreateContext step(GetSession(), 1, 1, 0);
          points.Insert(i, inserted);
          index = i;
          if (ISRepObject* object = SSymGetRepObject(m_pDragSym); HasAttribute(object, AttrRoutingState))
            object->SetAttribute(AttrRoutingState, SRepVariant::Long(4));
          line->SetListPt(points, 1, 0);
        }
      }
      m_nSubPart = index;
      m_pTracker.reset(Site().createTrackerPoly(view, line, index, point, control));
      break;
    }
    default:
      break;
  }
  return m_pTracker ? 1 : 0;
}

int SSymToolPointer::CaptureOver(SMouseFlags flags, const SSymPoint& point) {
  if (!m_pTracker) return 1;
  SSymPoint p = point;
  if ((m_nCaptureMode == CaptureResize || m_nCaptureMode == CaptureVertex) && Site().snapToGrid && GetView())
    p = Site().snapToGrid(GetView(), p);
  m_pTracker->TrackTo(p, flags);
  return 1;
}

void SSymToolPointer::CapturePreScroll() {
  if (m_pTracker) m_pTracker->Hide();
}

void SSymToolPointer::CapturePostScroll() {
  if (m_pTracker) m_pTracker->Show();
}

void SSymToolPointer::CaptureCancel() {
  if (m_pTracker) m_pTracker->Hide();
  m_pTracker.reset();
  m_nCaptureMode = CaptureNone;
}

// ---- the drop --------------------------------------------------------------------------------------

void SSymToolPointer::CaptureDrop(SMouseFlags flags, const SSymPoint& point) {
  // The tracker and the mode go whatever the drop does.
  struct End {
    SSymToolPointer* tool;
    ~End() {
      tool->m_pTracker.reset();
      tool->m_nCaptureMode = CaptureNone;
    }
  } end{this};
  if (!m_pTracker) return;
  SSymViewEdit* view = GetView();
  const bool snaps = m_nCaptureMode == CaptureResize || m_nCaptureMode == CaptureVertex;
  SSymPoint p = point;
  if (snaps) p = SnapTo(view, p);
  // The last position first, then the feedback goes: hiding first would
  // leave the moved outline drawn.
  const SSymPoint dropped = m_pTracker->TrackTo(p, flags);
  m_pTracker->Hide();
  // A symbol deleted during the drag is left alone.
  if (m_nCaptureMode != CaptureBand && !IsPlaced(m_pDragSym)) return;
  const DropArgs d{view, GetDiagramView(), GetSession(), m_pDragSym, m_pressPoint};
  switch (m_nCaptureMode) {
    case CaptureResize: {
      // A press that was snapped counts as not moved either.
      if (dropped == m_pressPoint || dropped == SnapTo(view, m_pressPoint)) break;
      if (auto* sizer = dynamic_cast<SSymTrackerRect*>(m_pTracker.get())) DropResize(d, sizer->GetRect());
      break;
    }
    case CaptureBand:
      if (dropped != m_pressPoint)
        DropBand(d, SSymRect(m_pressPoint.x, m_pressPoint.y, dropped.x, dropped.y), flags.Has(SMouseFlags::Shift));
      break;
    case CaptureVertex:
      if (auto* poly = dynamic_cast<SSymTrackerPoly*>(m_pTracker.get())) DropVertex(d, *poly, dropped);
      break;
    default:
      break;
  }
}
