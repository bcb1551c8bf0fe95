// The least of the neighbouring services that the symbol core calls, until
// the lines, composite, diagram and editing subsystems bring their own:
//   - SSymSelection: the selection of an editing view (its symbols in order,
//     Add and Clear), with a check that a selection still exists;
//   - the active view's selection, which new move records are built on;
//   - SSymEdgeRouter: the set of symbols to bring in step with the link router;
//   - the view queries of the editing view (is it one, tell it of a removal,
//     its canvas);
//   - the texts of the symbol core's string table;
//   - the repository date of now.
// Each is declared the way its subsystem declares it, so that the real one
// replaces it without touching the callers.
#pragma once

#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/sstring.h"
#include "sym/symbol/syminterfaces.h"

// ---- selection ---------------------------------------------------------------------------
class SSymSelection {
 public:
  explicit SSymSelection(SSymView* view = nullptr);
  ~SSymSelection();
  SSymSelection(const SSymSelection&) = delete;
  SSymSelection& operator=(const SSymSelection&) = delete;

  // Adds a symbol once (redraw: handles drawn, here nothing to draw).
  void Add(ISSymbol* symbol, int redraw);
  void Clear(int redraw);
  int GetCount() const { return m_symbols.GetCount(); }
  ISSymbol* GetAt(int i) const { return m_symbols.GetAt(i); }
  bool Contains(ISSymbol* symbol) const;
  SSymView* GetView() const { return m_pView; }

  // True while the selection exists: records keep selections through this
  // check, never as bare pointers that may dangle.
  static bool IsAlive(const SSymSelection* selection);

 private:
  SSymView* m_pView;
  SComTable<ISSymbol> m_symbols;
};

// The selection of the view that last had focus (null without one); new
// move records are built on it.
SSymSelection* SSymGetActiveSelection();
void SSymSetActiveSelection(SSymSelection* selection);

// ---- link routing -------------------------------------------------------------------------
class SSymEdgeRouter {
 public:
  static SSymEdgeRouter& Instance();
  // Adds the symbol once to the symbols to bring in step.
  void AddSymbol(const SComWrap<ISSymbol>& symbol);
  bool Contains(ISSymbol* symbol) const;
  int GetCount() const { return m_symbols.GetCount(); }
  void Clear() { m_symbols.RemoveAll(); }

 private:
  SComBag<ISSymbol> m_symbols;
};

// ---- links ---------------------------------------------------------------------------------
// The link class's flag that tells it a format applies a custom symbol; the
// format record sets it for the length of its Execute.
extern int g_SymApplyCustomSymbol;

// ---- views ---------------------------------------------------------------------------------
// True when the view is an editing view.
bool SSymIsEditView(SSymView* view);
// Tells an editing view that a symbol was removed.
void SSymViewNotifyRemove(SSymView* view, ISSymbol* symbol);
// The view canvas of a view, or null.
SSymCanvasView* SSymGetViewCanvas(SSymView* view);

// ---- string table ---------------------------------------------------------------------------
// The text of a string of the symbol core (action messages 1327 to 1344,
// symbol type names 1308 to 1317, check messages 1397 and 1416); empty for
// any other id.
SString SSymLoadString(UINT id);

// ---- time ----------------------------------------------------------------------------------------
// The repository date of now (seconds since 1970, 32 bits).
LONG SSymNowDate();
