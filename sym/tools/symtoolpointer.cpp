// The pointer tool's clicks, hover and cursors: selecting by click,
// resizing cursors over handles and swimlane borders, in-place editing on a
// second release, properties on a double click and the context menu on a
// right click. Its captures are in symtoolpointerdrag.cpp.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "kvcore/smodulestate.h"
#include "kvcore/stable.h"
#include "kvcore/stoolbar.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepobject.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/sdsym.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfaction.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/tools/symtool.h"
#include "sym/tools/symtoolview.h"
#include "sym/tools/symtracker.h"
#include "win/wininput.h"
#include "win/winuser.h"

namespace {
constexpr int kPoolType = 12;
constexpr int kColumnType = 13;
constexpr int kMarkType = SSymSelSubSym::SymbolType;
constexpr int kSubGridType = 6;
// A pool's header band reaches this far out of the pool.
constexpr LONG kHeaderBand = 1200;
// An unselected symbol smaller than this on screen, both ways, offers no
// handles to the mouse.
constexpr LONG kMinHandlePixels = 28;
// Sub-objects are picked by clicking only above this zoom (percent).
constexpr double kSubObjectZoom = 40.0;
// The vertical step of a Shift run over sub-objects.
constexpr LONG kRunStep = 450;
// A run never walks more rows than this (a row that does not move the walk
// on ends it).
constexpr int kMaxRunSteps = 100000;
// The window's timer that starts in-place editing, and its delay.
constexpr UINT_PTR kEditTimer = 0xE000;
constexpr UINT kEditDelay = 100;
// The verb that opens an object.
constexpr LONG kOpenVerb = -2;
// The resource cursors of the pool borders.
constexpr UINT kPoolBorderH = 131;
constexpr UINT kPoolBorderV = 132;

// The symbol the last left press found among the selected symbols; not
// counted: it is only compared, and read only while the selection holds it.
ISSymbol* g_pPressed = nullptr;
// The pointer tool's reading of "EditInPlace".
int g_nEditInPlace = 0;

const SSymToolViewSite& Site() { return SSymGetToolViewSite(); }

template <class I>
bool Answers(IUnknown* unknown) {
  return unknown && !SComWrap<I>(unknown).IsNull();
}

bool AnswersComplex(IUnknown* unknown) { return Answers<ISSymComplex>(unknown); }

bool IsPool(ISSymbol* s) { return s && s->GetSymbolType() == kPoolType; }
bool IsMark(ISSymbol* s) { return s && s->GetSymbolType() == kMarkType; }

// The mark behind a symbol of type 18, or null.
SSymSelSubSym* AsMark(ISSymbol* s) {
  return IsMark(s) ? dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(s)) : nullptr;
}

// A pool's header band: left of the pool for orientation 0, above it
// otherwise.
SSymRect HeaderBand(ISSymbol* pool) {
  SSymRect r = pool->GetClipRect(0, 0);
  r.Normalize();
  SComWrap<ISSymSwimPool> p(pool);
  if (!p.IsNull() && p->IsVertical()) return SSymRect(r.x1, r.y1 + kHeaderBand, r.x2, r.y1);
  return SSymRect(r.x1 - kHeaderBand, r.y1, r.x1, r.y2);
}

bool InHeaderBand(ISSymbol* pool, const SSymPoint& point) { return HeaderBand(pool).PtInRect(point); }

// The top-level symbols of the window's diagram, in its order.
std::vector<SComWrap<ISSymbol>> DiagramSymbols(SSymView* view) {
  std::vector<SComWrap<ISSymbol>> out;
  ISSymDiagram* diagram = view ? view->GetDiagramPtr() : nullptr;
  ISRepClassCol* col = nullptr;
  if (!diagram || FAILED(diagram->GetSymbols(&col)) || !col) return out;
  for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
    SComOut<ISRepObject> obj;
    if (FAILED(col->Item(i, &obj)) || !obj) continue;
    SComWrap<ISSymbol> s(obj.Get());
    if (!s.IsNull()) out.push_back(s);
  }
  col->Release();
  return out;
}

// The first pool of the diagram whose header band holds the point. Every
// pool is looked at: the diagram keeps plain shapes drawn by the user below
// (before) its pools, so a walk that ended at the first symbol that is no
// pool would miss them.
SComWrap<ISSymbol> PoolHeaderAt(SSymView* view, const SSymPoint& point) {
  for (const SComWrap<ISSymbol>& s : DiagramSymbols(view)) {
    if (IsPool(s.Get()) && !s->IsHidden() && InHeaderBand(s.Get(), point)) return s;
  }
  return SComWrap<ISSymbol>();
}

// Whether a symbol is smaller than the handle size on screen both ways.
bool TooSmallForHandles(SSymView* view, ISSymbol* symbol) {
  const RECT px = view->GetCanvas().VPtoDP(symbol->GetClipRect(0, 0));
  return std::labs(long(px.right) - px.left) < kMinHandlePixels && std::labs(long(px.bottom) - px.top) < kMinHandlePixels;
}

// The model object of the row under the point in the symbol's sub grids,
// with the data a mark of it needs; null when the point misses every row.
ISRepObject* SubObjectAt(SSymView* view, ISSymbol* symbol, SSymPoint point, SSymSelSubSymData& data) {
  SComWrap<ISSymSubSym> subs(symbol);
  if (subs.IsNull()) return nullptr;
  STable<SSymSubsFonts*> list;
  subs->GetSubSymList(list, 1);
  for (SSymSubsFonts* m : list) {
    auto* grid = m && m->GetSymbolType() == kSubGridType ? dynamic_cast<ISSymSubGridHit*>(m) : nullptr;
    if (!grid) continue;
    SSymSelSubSymData hit;
    ISRepObject* object = grid->GetSubObjWithPt(view->GetCanvas(), point, hit);
    if (object && hit.m_pSubGrid) {
      data = hit;
      return object;
    }
  }
  return nullptr;
}

// A new mark of the row under the point (counted), or empty.
SComWrap<ISSymbol> NewMarkAt(SSymView* view, ISSymbol* owner, const SSymPoint& point) {
  SSymSelSubSymData data;
  ISRepObject* object = SubObjectAt(view, owner, point, data);
  if (!object) return SComWrap<ISSymbol>();
  auto* mark = new SSymSelSubSym(object, owner, data);
  return SComWrap<ISSymbol>(mark->Sym());
}

bool SameObject(ISRepObject* a, ISRepObject* b) { return a && b && SRepAreSameObjects(a, b); }

// A host symbol's own handling of a click (double: a double click): true
// when it took the click. Actions come first, then trees (their expand box).
bool SymbolTakesClick(ISSymbol* symbol, const SSymPoint& point, bool twice) {
  SComWrap<ISSymAction> action(symbol);
  if (!action.IsNull() && (twice ? action->DoDblClickAction(point) : action->DoClickAction(point)) != 1) return true;
  SComWrap<ISSymTree> tree(symbol);
  // A tree answers 1 when the click fell in its expand box and folded or
  // unfolded it: that click is taken.
  return !tree.IsNull() && tree->DoAction(point) == 1;
}

ISSymSelection* SelectionOf(SSymViewEdit* view) {
  return view && Site().selection ? Site().selection(view) : nullptr;
}

// The pressed symbol while it is still one of the selected symbols (then
// alive: the selection holds it), else null.
ISSymbol* PressedSelected(SSymViewEdit* view) {
  ISSymSelection* sel = SelectionOf(view);
  return g_pPressed && sel && sel->Contains(g_pPressed) ? g_pPressed : nullptr;
}

HCURSOR LoadLibraryCursor(UINT id) {
  SModuleState* module = SSymGetModuleState();
  SSetModuleState scope(module);
  return LoadCursorW(module ? module->GetResourceHandle() : nullptr, MAKEINTRESOURCEW(id));
}
}  // namespace

// ---- in-place editing, shared with the editing window's timer and F2 --------------------------

bool SSymIsEditInPlaceOn(int& state) {
  if (state == 0) {
    SUserRegistry registry(SUserRegistry::sApplicationGeneral);
    SString value;
    const bool found = registry.GetProfile(SString(u"EditInPlace"), value, SString()) == ERROR_SUCCESS;
    state = found && value.CompareNoCase(SString(u"no")) == 0 ? 1 : 2;
  }
  return state == 2;
}

int SSymStartEditInPlace(SSymView* view, ISSymbol* symbol, const SSymPoint& point, int* part) {
  if (!symbol) return 0;
  SComWrap<ISSymbol> target(symbol);
  if (symbol->IsSubObject()) {
    SComOut<ISSymbol> owner;
    if (SUCCEEDED(symbol->GetMainSymbol(&owner)) && owner && !Answers<ISSymLink>(owner.Get()))
      target = SComWrap<ISSymbol>(owner.Get());
  }
  SComWrap<ISSymEditInPlace> edit(target.Get());
  if (!edit.IsNull() && edit->EditInPlace(view, point) != S_FALSE) return 1;
  if (!view) return 0;
  int at = -1;
  SComOut<ISSymbol> sub;
  symbol->IsPtInSubSym(view->GetCanvas(), point, &at, &sub);
  if (part) *part = at;
  if (!sub) return 0;
  SComWrap<ISSymEditInPlace> subEdit(sub.Get());
  return !subEdit.IsNull() && subEdit->EditInPlace(view, point) != S_FALSE ? 1 : 0;
}

// ---- construction ---------------------------------------------------------------------------------

SSymToolPointer::SSymToolPointer() {
  m_hArrow = LoadCursorW(nullptr, IDC_ARROW);
  m_hMove = LoadCursorW(nullptr, IDC_SIZEALL);
  const LPCWSTR handles[8] = {IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE,
                              IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE};
  for (int i = 0; i < 8; ++i) m_hHandle[i] = LoadCursorW(nullptr, handles[i]);
  m_hPoolBorderV = LoadLibraryCursor(kPoolBorderV);
  m_hPoolBorderH = LoadLibraryCursor(kPoolBorderH);
}

SSymToolPointer::~SSymToolPointer() = default;

void SSymToolPointer::ForgetEditInPlaceSetting() { g_nEditInPlace = 0; }

void SSymToolPointer::Activate(SSymViewEdit* view) {
  if (view && SToolBar::IsButtonDblClicked()) {
    if (Site().selectAll) Site().selectAll(view);
    return;
  }
  m_nCaptureMode = CaptureNone;
  SSymToolBase::Activate(view);
}

// ---- cursors --------------------------------------------------------------------------------------

HCURSOR SSymToolPointer::PoolBorderCursor(ISSymbol* pool) const {
  SComWrap<ISSymSwimPool> p(pool);
  return !p.IsNull() && p->IsVertical() ? m_hPoolBorderV : m_hPoolBorderH;
}

HCURSOR SSymToolPointer::HandleCursor(ISSymbol* symbol, int handle) const {
  if (handle < 0 || handle > 7) return nullptr;
  // The adjust word's pair: 0x40 keeps the width (no left-right handles),
  // 0x80 the height (no up-down handles); corners need both free.
  const SSymBase* base = SSymBase::FromInterface(symbol);
  const DWORD keep = base ? base->m_display & (SSymBase::DispLockHandlesA | SSymBase::DispLockHandlesB) : 0;
  if (keep == (SSymBase::DispLockHandlesA | SSymBase::DispLockHandlesB)) return nullptr;
  if (keep == SSymBase::DispLockHandlesA && handle != 1 && handle != 5) return nullptr;
  if (keep == SSymBase::DispLockHandlesB && handle != 3 && handle != 7) return nullptr;
  return m_hHandle[handle];
}

HCURSOR SSymToolPointer::CursorAt(SSymView* view, const SSymPoint& point) const {
  int part = -1;
  if (ISSymbol* s = view->HitTest(point, 3, &part)) {
    if (part < 0) return nullptr;
    if (s->GetSymbolType() == kColumnType) {
      if (part != 2) return nullptr;
      SSymDispPref* pref = view->GetDispPrefPtr();
      return pref && pref->GetSwimlaneVert() ? m_hHandle[3] : m_hHandle[1];
    }
    if (Answers<ISSwimlane>(s)) return nullptr;
    if (Answers<ISSymPolyline>(s) && !AnswersComplex(s)) return nullptr;
    return HandleCursor(s, part);
  }
  part = -1;
  if (ISSymbol* s = view->HitTest(point, 5, &part)) {
    if (part >= 0 && TooSmallForHandles(view, s)) return nullptr;
    SComWrap<ISSwimlane> lane(s);
    if (!lane.IsNull()) {
      ISSymbol* pool = lane->GetPoolSym();
      if (!pool || !s->GetClipRect(0, 0).PtInRect(point) || pool->GetClipRect(0, 0).PtInRect(point)) return nullptr;
      return PoolBorderCursor(pool);
    }
    if (s->GetSymbolType() == kColumnType) return part >= 0 && part <= 7 ? m_hHandle[part] : nullptr;
  }
  SComWrap<ISSymbol> pool = PoolHeaderAt(view, point);
  return pool.IsNull() ? nullptr : PoolBorderCursor(pool.Get());
}

int SSymToolPointer::SetCursor(const SSymPoint& point, SMouseFlags, HCURSOR* cursor) {
  if (cursor) *cursor = nullptr;
  SSymView* view = GetDiagramView();
  if (m_nCaptureMode != CaptureNone || !view) return 0;
  HCURSOR found = CursorAt(view, point);
  // A cursor that could not be loaded leaves the window's own.
  if (!found) return 0;
  if (cursor) *cursor = found;
  return 1;
}

// ---- hover ----------------------------------------------------------------------------------------

void SSymToolPointer::MouseMove(const SSymPoint&, SMouseFlags flags) {
  if (flags.Has(SMouseFlags::Right) && GetView() && Site().showStatusText) Site().showStatusText(GetView(), nullptr);
}

// ---- the left button -----------------------------------------------------------------------------

DWORD SSymToolPointer::RunCapture(int mode, int waitForDrag) {
  SSymView* view = GetDiagramView();
  if (!view) return ISSymViewCapture::Cancel;
  m_nCaptureMode = mode;
  return view->CaptureMouse(this, waitForDrag);
}

void SSymToolPointer::SelectRun(SSymView* view, const SSymPoint& point) {
  ISSymSelection* sel = SelectionOf(GetView());
  if (!sel || sel->GetCount() == 0) return;
  SComWrap<ISSymbol> lastSym(sel->GetAt(sel->GetCount() - 1));
  SSymSelSubSym* last = AsMark(lastSym.Get());
  if (!last || !last->GetOwnerSymbol()) return;
  ISSymbol* owner = last->GetOwnerSymbol();
  for (int i = sel->GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = sel->GetAt(i);
    if (s != lastSym.Get() && Site().unselect) Site().unselect(GetView(), s, 1);
  }
  SSymRect edge = last->GetClipRect(0, 0);
  edge.Normalize();
  const bool up = point.y > edge.y1;
  SSymPoint at(edge.x1 + kRunStep, up ? edge.y1 + kRunStep : edge.y2 - kRunStep);
  ISRepObject* previous = last->GetObject();
  for (int n = 0; n < kMaxRunSteps && (up ? at.y <= point.y : at.y >= point.y); ++n) {
    SComWrap<ISSymbol> mark = NewMarkAt(view, owner, at);
    SSymSelSubSym* m = AsMark(mark.Get());
    if (!m || SameObject(m->GetObject(), previous)) {
      at.y += up ? kRunStep : -kRunStep;
      continue;
    }
    previous = m->GetObject();
    sel->Add(mark.Get(), 1);
    SSymRect r = mark->GetClipRect(0, 0);
    r.Normalize();
    at.y = up ? r.y1 + kRunStep : r.y2 - kRunStep;
  }
}

void SSymToolPointer::MouseLBtnDown(const SSymPoint& point, SMouseFlags flags) {
  SSymViewEdit* edit = GetView();
  SSymView* view = GetDiagramView();
  if (view && Site().closeCompView) Site().closeCompView(edit);
  m_pressPoint = point;
  if (!view) return;
  const bool shift = flags.Has(SMouseFlags::Shift), ctrl = flags.Has(SMouseFlags::Control);

  int part = -1;
  ISSymbol* hit = view->HitTest(point, 3, &part);
  g_pPressed = hit;
  bool fromSelected = hit != nullptr;
  bool poolHeader = false;
  SComWrap<ISSymbol> found;  // keeps a symbol found by the walk below alive

  // A selected link or mark lies over other symbols: the one under it wins.
  if (hit && (Answers<ISSymLink>(hit) || IsMark(hit))) {
    for (const SComWrap<ISSymbol>& s : DiagramSymbols(view)) {
      if (s.Get() == hit) break;
      if (IsPool(s.Get()) && InHeaderBand(s.Get(), point)) {
        found = s;
        part = -1;
        poolHeader = true;
        break;
      }
      int at = -1;
      SComOut<ISSymbol> sub;
      if (!s->IsPtInSym(view->GetCanvas(), point, &at, &sub)) continue;
      // A pool or a composite under the link counts only by a handle.
      if (at < 0 && (IsPool(s.Get()) || Answers<ISSymCompSym>(s.Get()))) continue;
      if (sub) {
        found = SComWrap<ISSymbol>(sub.Get());
        part = Answers<ISSymPolyline>(sub.Get()) ? at : -1;
      } else {
        found = s;
        part = at;
      }
      break;
    }
    if (!found.IsNull()) {
      hit = found.Get();
      fromSelected = false;
    }
  }
  if (!hit) {
    part = -1;
    hit = view->HitTest(point, 1, &part);
  }
  if (Site().showStatusText) Site().showStatusText(edit, hit && !hit->IsHidden() ? hit : nullptr);

  if (!hit || hit->IsProtected() || hit->IsHidden()) {
    if (!shift && !ctrl) ClearSelection();
    RunCapture(CaptureBand, 1);
    return;
  }
  if (!fromSelected && part >= 0 && TooSmallForHandles(view, hit)) part = -1;

  ISSymSelection* sel = SelectionOf(edit);
  ISSymbol* target = hit;
  SComWrap<ISSymbol> newMark;
  SComWrap<ISSymbol> pool;  // a pool drag candidate
  if (hit->IsSubObject()) {
    if (Site().canSelect && Site().canSelect(edit, hit)) SelectSymbol(hit, shift || ctrl ? 0 : 1);
  } else {
    SComWrap<ISSymbol> firstSelected(sel && sel->GetCount() > 0 ? sel->GetAt(0) : nullptr);
    SSymSelSubSym* selectedMark = AsMark(firstSelected.Get());
    const bool additive = (shift && !ctrl) || (selectedMark && (shift || ctrl));
    if (!additive && SymbolTakesClick(hit, point, false)) {
      if (selectedMark) ClearSelection();
      return;
    }
    if (selectedMark && Site().scale && Site().scale(edit) > kSubObjectZoom) {
      SSymSelSubSymData data;
      ISRepObject* object = SubObjectAt(view, hit, point, data);
      if (object && selectedMark->GetOwnerSymbol() == hit && SameObject(object, selectedMark->GetObject())) {
        target = firstSelected.Get();
      } else if (object) {
        newMark = SComWrap<ISSymbol>((new SSymSelSubSym(object, hit, data))->Sym());
        target = newMark.Get();
      }
    }
    if (shift && selectedMark && IsMark(target)) {
      SelectRun(view, point);
      return;
    }
    if (additive) {
      SelectSymbol(target, 0);
    } else {
      if (!SelectionContains(target)) SelectSymbol(target, 1);
      if (IsPool(hit) && !poolHeader && !InHeaderBand(hit, point)) pool = SComWrap<ISSymbol>(hit);
    }
  }
  if (!SelectionContains(target)) return;

  sel = SelectionOf(edit);
  const int count = sel ? sel->GetCount() : 0;
  if (part >= 0 && count <= 1) {
    if (Answers<ISSwimlane>(target)) return;
    const bool line = Answers<ISSymPolyline>(target);
    SComWrap<ISSymComplex> complex(target);
    const int mode = !complex.IsNull() && !complex->IsPtOnVertex(point) ? CaptureResize
                     : line                                             ? CaptureVertex
                                                                        : CaptureResize;
    m_pDragSym = target;
    m_nSubPart = part;
    RunCapture(mode, line && ctrl ? 0 : 1);
    m_pDragSym = nullptr;
    return;
  }
  if (!pool.IsNull()) {
    const int former = m_nCaptureMode;
    if (RunCapture(CaptureBand, 1) == ISSymViewCapture::Cancel) {
      m_nCaptureMode = former;
      SelectSymbol(pool.Get(), 1);
    }
    return;
  }
  if (Site().dragSelection && Site().dragSelection(edit, point)) {
    if (ISSymSelection* after = SelectionOf(edit)) after->Clear(1);
  }
}

void SSymToolPointer::MouseLBtnUp(const SSymPoint& point, SMouseFlags flags) {
  SSymViewEdit* edit = GetView();
  SSymView* view = GetDiagramView();
  if (!view) return;
  if (!flags.Has(SMouseFlags::Shift)) {
    ISSymbol* h = view->HitTest(point, 2, nullptr);
    ISSymbol* pressed = PressedSelected(edit);
    SSymSelSubSym* pressedMark = AsMark(pressed);
    if (h && h == pressed && pressedMark) {
      ISSymSelection* sel = SelectionOf(edit);
      for (int i = sel ? sel->GetCount() - 1 : -1; i >= 0; --i) {
        ISSymbol* s = sel->GetAt(i);
        if (s != pressed && Site().unselect) Site().unselect(edit, s, 1);
      }
    } else if (h && Site().scale && Site().scale(edit) > kSubObjectZoom &&
               ((h == g_pPressed && !IsMark(h)) || (pressedMark && pressedMark->GetOwnerSymbol() == h))) {
      SComWrap<ISSymbol> owner(h);  // the selection may hold the last reference
      SComWrap<ISSymbol> mark = NewMarkAt(view, owner.Get(), point);
      if (!mark.IsNull()) {
        ClearSelection();
        SelectSymbol(mark.Get(), 1);
        return;
      }
    }
  }
  // The two-release state of in-place editing.
  if (Site().setEditPoint) Site().setEditPoint(edit, point);
  ISSymSelection* sel = SelectionOf(edit);
  const HWND hwnd = view->GetSafeHwnd();
  if (sel && sel->GetCount() == 1 && !flags.Has(SMouseFlags::Control)) {
    ISSymbol* only = sel->GetAt(0);
    if (only == m_pEditCandidate) {
      if (Site().isEditArmed && Site().isEditArmed(edit)) {
        if (hwnd) ::SetTimer(hwnd, kEditTimer, kEditDelay, nullptr);
      } else if (Site().setEditArmed) {
        Site().setEditArmed(edit, 1);
      }
    } else {
      m_pEditCandidate = only;
      if (hwnd) ::KillTimer(hwnd, kEditTimer);
      if (Site().setEditArmed) Site().setEditArmed(edit, 1);
    }
    return;
  }
  Disarm();
}

void SSymToolPointer::Disarm() {
  m_pEditCandidate = nullptr;
  SSymViewEdit* edit = GetView();
  if (SSymView* view = GetDiagramView(); view && view->GetSafeHwnd()) ::KillTimer(view->GetSafeHwnd(), kEditTimer);
  if (edit && Site().setEditArmed) Site().setEditArmed(edit, 0);
}

void SSymToolPointer::MouseLBtnDblClk(const SSymPoint& point, SMouseFlags) {
  SSymViewEdit* edit = GetView();
  SSymView* view = GetDiagramView();
  if (!view) return;
  ISSymbol* h = view->HitTest(point, 0, nullptr);
  ISSymbol* pressed = PressedSelected(edit);
  if (g_pPressed && !h) return;
  SComWrap<ISSymbol> held(h);
  if (h && IsMark(h) && pressed && !IsMark(pressed)) {
    held = SComWrap<ISSymbol>(pressed);
    SelectSymbol(pressed, 1);
  }
  h = held.Get();
  if (!h || h->IsHidden()) return;
  if (h->IsProtected()) {
    ISRepSession* session = GetSession();
    // A read-only session opens no protected symbol.
    if (!session || session->IsReadOnly()) return;
  }
  if (SymbolTakesClick(h, point, true)) return;
  Disarm();
  SSymSelSubSym* mark = AsMark(h);
  SComWrap<ISVerbSource> verbs = mark ? SComWrap<ISVerbSource>(mark->GetObject()) : SComWrap<ISVerbSource>(h);
  if (!verbs.IsNull()) verbs->DoVerb(kOpenVerb, nullptr, view->GetSafeHwnd(), nullptr);
}

// ---- in-place editing and properties --------------------------------------------------------------

int SSymToolPointer::EnableEditInPlace(ISSymbol* symbol, const SSymPoint& point) {
  if (!SSymIsEditInPlaceOn(g_nEditInPlace) || !symbol) return 0;
  return SSymStartEditInPlace(GetDiagramView(), symbol, point, &m_nSubPart);
}

void SSymToolPointer::EditProperties(ISRepObject* object) {
  if (!object) return;
  SComWrap<ISVerbSource> verbs(object);
  if (verbs.IsNull()) return;
  SSymView* view = GetDiagramView();
  verbs->DoVerb(kOpenVerb, nullptr, view ? view->GetSafeHwnd() : nullptr, nullptr);
}

// ---- the right button ----------------------------------------------------------------------------

void SSymToolPointer::MouseRBtnDown(const SSymPoint& point, SMouseFlags flags) {
  SSymToolBase::MouseRBtnDown(point, flags);
  SSymViewEdit* edit = GetView();
  SSymView* view = GetDiagramView();
  if (!view || flags.Has(SMouseFlags::Control)) return;
  ISSymbol* h = view->HitTest(point, 0, nullptr);
  if (Site().showStatusText) Site().showStatusText(edit, h && !h->IsHidden() ? h : nullptr);
  if (h && SelectionContains(h) && !h->IsProtected() && !h->IsHidden() && Site().dragSelection)
    Site().dragSelection(edit, point);
}

void SSymToolPointer::MouseRBtnUp(const SSymPoint& point, SMouseFlags flags) {
  SSymViewEdit* edit = GetView();
  SSymView* view = GetDiagramView();
  ISSymSelection* sel = SelectionOf(edit);
  if (!view || !sel) return;
  if (flags.Has(SMouseFlags::Control)) {
    ClearSelection();
    if (ISSymbol* h = view->HitTest(point, 0, nullptr)) EnableEditInPlace(h, point);
    return;
  }
  std::vector<SComWrap<ISSymbol>> copy;
  for (int i = 0; i < sel->GetCount(); ++i) copy.emplace_back(sel->GetAt(i));
  const bool keptMark = !copy.empty() && IsMark(copy.front().Get());
  if (!keptMark) ClearSelection();

  SComWrap<ISSymbol> hit(view->HitTest(point, 0, nullptr));
  if (hit.IsNull()) hit = PoolHeaderAt(view, point);
  if (!hit.IsNull() && !hit->IsProtected()) {
    bool wasSelected = false;
    for (const SComWrap<ISSymbol>& s : copy) wasSelected = wasSelected || s.Get() == hit.Get();
    if (!wasSelected) {
      sel->Add(hit.Get(), 1);
    } else if (!keptMark) {
      for (const SComWrap<ISSymbol>& s : copy) sel->Add(s.Get(), 1);
    }
  } else {
    ClearSelection();
  }
  view->ContextMenu();
}

void SSymToolPointer::MouseRBtnDblClk(const SSymPoint&, SMouseFlags flags) {
  if (flags.Has(SMouseFlags::Control) && GetView() && Site().flipTools) Site().flipTools(GetView());
}
