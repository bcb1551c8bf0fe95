// The tool base, the view state guard, the shared capture answers and the
// pointer family's class records; the site through which tools reach the
// editing window.
#include "sym/tools/symtool.h"

#include <utility>

#include "kvcore/smodulestate.h"
#include "kvcore/stoolbar.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symintfowner.h"
#include "sym/tools/symtoolview.h"
#include "win/wininput.h"
#include "win/winres.h"
#include "win/winuser.h"

KV_IMPLEMENT_CLASSINFO(SSymToolBase, SObject);
KV_IMPLEMENT_DYNCREATE(SSymToolPointer, SSymToolBase);
KV_IMPLEMENT_DYNCREATE(SSymToolLasso, SSymToolPointer);
KV_IMPLEMENT_DYNCREATE(SSymToolGrabber, SSymToolPointer);

// ---- the site -------------------------------------------------------------------------------------

namespace {
SSymToolViewSite& Site() {
  static SSymToolViewSite site;
  return site;
}

int g_bRestoreTool = 0;

HCURSOR LoadToolCursor(LPCWSTR name, SModuleState* module) {
  SSetModuleState scope(module);
  return LoadCursorW(module ? module->GetResourceHandle() : nullptr, name);
}
}  // namespace

SSymToolViewSite SSymSetToolViewSite(const SSymToolViewSite& site) { return std::exchange(Site(), site); }
const SSymToolViewSite& SSymGetToolViewSite() { return Site(); }

SSymView* SSymToolDiagramView(SSymViewEdit* view) { return view && Site().view ? Site().view(view) : nullptr; }

// ---- the tool base --------------------------------------------------------------------------------

SSymToolBase::SSymToolBase(unsigned int id, SModuleState* module)
    : m_hCursor(LoadToolCursor(MAKEINTRESOURCEW(id), module)) {}

SSymToolBase::SSymToolBase(const char16_t* name, SModuleState* module)
    : m_hCursor(name ? LoadToolCursor(name, module) : nullptr) {}

SSymToolBase::~SSymToolBase() = default;

void SSymToolBase::SetRestoreTool(int restore) { g_bRestoreTool = restore; }
int SSymToolBase::IsRestoreTool() { return g_bRestoreTool; }

void SSymToolBase::Activate(SSymViewEdit* view) {
  if (!view || SToolBar::IsButtonDblClicked()) return;
  m_pView = view;
  SComWrap<ISRepSession, &IID_ISRepSession> session;
  if (SSymView* v = GetDiagramView())
    if (ISSymDiagram* diagram = v->GetDiagramPtr()) diagram->GetSession(&session);
  m_session = session;
  // The same position again: the window asks the new tool for its cursor.
  POINT at{};
  if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
}

void SSymToolBase::Disactivate() {
  if (!m_pView) return;
  m_pView = nullptr;
  m_session.Reset();
}

void SSymToolBase::SetCursor(const char16_t* name, SModuleState* module) {
  m_hCursor = name ? LoadToolCursor(name, module) : nullptr;
}

void SSymToolBase::SetCursor(unsigned int id, SModuleState* module) {
  m_hCursor = LoadToolCursor(MAKEINTRESOURCEW(id), module);
}

int SSymToolBase::SetCursor(const SSymPoint&, SMouseFlags, HCURSOR* cursor) {
  if (cursor) *cursor = m_hCursor;
  return 1;
}

void SSymToolBase::ClearSelection() {
  if (m_pView && Site().clearSelection) Site().clearSelection(m_pView);
}

void SSymToolBase::SelectSymbol(ISSymbol* symbol, int exclusive) {
  if (m_pView && Site().selectSymbol) Site().selectSymbol(m_pView, symbol, exclusive);
}

int SSymToolBase::SelectionContains(ISSymbol* symbol) const {
  return m_pView && Site().selectionContains ? Site().selectionContains(m_pView, symbol) : 0;
}

SSymView* SSymToolBase::GetDiagramView() const { return SSymToolDiagramView(m_pView); }

// ---- the shared capture answers ------------------------------------------------------------------

DWORD SSymToolCapture::CaptureQueryContinue(UINT message, SMouseFlags, const SSymPoint&) {
  if (message == WM_RBUTTONDOWN) return Cancel;
  if (message == WM_LBUTTONUP) return Drop;
  return Continue;
}

// ---- the view state guard ------------------------------------------------------------------------

int SSymToolViewState::Bind(SSymViewEdit* view) {
  Release();
  SSymView* v = SSymToolDiagramView(view);
  if (!v) {
    m_bSaved = 1;
    return 0;
  }
  m_pView = view;
  const int state = v->GetState();
  m_bSaved = (state & Flag) ? 1 : 0;
  v->SetState(state & ~Flag);
  return m_bSaved ? 0 : 1;
}

void SSymToolViewState::Release() {
  if (!m_pView) return;
  if (SSymView* v = SSymToolDiagramView(m_pView)) v->SetState(m_bSaved ? (v->GetState() | Flag) : (v->GetState() & ~Flag));
  m_pView = nullptr;
}
