// Dragging the selection out of its window.
#include <memory>

#include "kvcore/scomwrap.h"
#include "kvrep/srepobject.h"
#include "sym/edit/symdatasource.h"
#include "sym/edit/symselection.h"
#include "sym/diagram/symview.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfowner.h"
#include "win/winoledata.h"

namespace {

// The effects a drag of the selection allows: copy, move and link.
constexpr DWORD kDragEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
// The symbol type of a tree line.
constexpr int kTreeLineType = 15;

bool IsComposite(ISSymbol* symbol) {
  ISRepObject* o = SSymGetRepObject(symbol);
  CLSID c{};
  return o && o->GetCLSID(&c) == S_OK && c == CLSID_SSymComposite;
}

// The tree line's repository parent as a symbol, or null.
ISSymbol* ParentSymbol(ISSymbol* line) {
  ISRepObject* o = SSymGetRepObject(line);
  if (!o) return nullptr;
  SComOut<ISRepObject> parent;
  if (o->GetParent(&parent) != S_OK || !parent) return nullptr;
  return PostOleInCast(parent.Get());
}

struct SourceRelease {
  void operator()(SSymDataSource* s) const { s->Release(); }
};
using SourcePtr = std::unique_ptr<SSymDataSource, SourceRelease>;

}  // namespace

int SSymSelection::FillDataSourceDelayed(SSymDataSource*) { return 1; }

int SSymSelection::DoDragDrop(const SSymPoint& start) {
  if (m_order.empty()) return 0;
  SComOut<ISRepSession> session;
  if (!m_diagram.IsNull()) m_diagram->GetSession(&session);
  SWnd* window = m_pView && m_pView->GetSafeHwnd() ? m_pView : nullptr;
  const HWND hwnd = window ? window->GetSafeHwnd() : nullptr;

  // A single composite goes as its members.
  if (m_order.size() == 1 && IsComposite(m_order.front())) {
    SComWrap<ISSymGroup> group(m_order.front());
    if (group.IsNull()) throw SECOMException(__func__, __FILE__, __LINE__, E_POINTER);
    SComTable<ISSymbol> members;
    group->GetListSym(members);
    SourcePtr source(new SSymDataSource(hwnd, session.Get(), members, start, this));
    FillDataSourceDelayed(source.get());
    source->DoDragDrop(window, kDragEffects, nullptr);
    return source->GetDropResult();
  }

  // Tree lines whose parent is dragged go with that parent.
  for (bool again = true; again;) {
    again = false;
    for (ISSymbol* s : m_order) {
      if (s->GetSymbolType() != kTreeLineType) continue;
      ISSymbol* parent = ParentSymbol(s);
      if (parent && Contains(parent)) {
        Remove(s, 1);
        again = true;
        break;
      }
    }
  }
  if (m_order.empty()) return 0;

  SComTable<ISSymbol> symbols;
  for (ISSymbol* s : m_order) symbols.Add(s);
  SourcePtr source(new SSymDataSource(hwnd, session.Get(), symbols, start, this));
  FillDataSourceDelayed(source.get());
  source->DoDragDrop(window, kDragEffects, nullptr);
  return source->GetDropResult();
}
