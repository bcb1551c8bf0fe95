// The editing window as the tools and trackers see it. The editing window
// (sym/edit) makes, owns and drives its tools, so the tools cannot include
// it: it fills this site when the library loads, and the tools reach the
// window only through it. Every entry takes the window the tool serves; a
// call without an installed entry does nothing and answers null or 0.
#pragma once

#include "sym/foundation/symgeom.h"

struct ISSymbol;
struct ISSymPolyline;
class ISSymSelection;
class SSymTrackerPoly;
class SSymTrackerSizer;
class SSymView;
class SSymViewEdit;

struct SSymToolViewSite {
  // The window as a diagram window: its diagram, canvas, state word, hit
  // test (the editing window's own) and mouse capture.
  SSymView* (*view)(SSymViewEdit* view) = nullptr;
  // Empties the selection, its handles erased.
  void (*clearSelection)(SSymViewEdit* view) = nullptr;
  // Toggles the symbol's selection; `exclusive` empties the selection first.
  void (*selectSymbol)(SSymViewEdit* view, ISSymbol* symbol, int exclusive) = nullptr;
  // 1 when the symbol is selected.
  int (*selectionContains)(SSymViewEdit* view, ISSymbol* symbol) = nullptr;

  // ---- what the pointer tool's clicks, hover and cursors ask
  // The window's selection.
  ISSymSelection* (*selection)(SSymViewEdit* view) = nullptr;
  // Takes one symbol out of the selection (draw: its handles erased).
  void (*unselect)(SSymViewEdit* view, ISSymbol* symbol, int draw) = nullptr;
  // Selects every symbol of the window.
  void (*selectAll)(SSymViewEdit* view) = nullptr;
  // Whether the window accepts the symbol in its selection.
  int (*canSelect)(SSymViewEdit* view, ISSymbol* symbol) = nullptr;
  // The zoom in percent.
  double (*scale)(SSymViewEdit* view) = nullptr;
  // Detaches, destroys and forgets the composite view the window shows.
  void (*closeCompView)(SSymViewEdit* view) = nullptr;
  // The symbol's text in the host's status bar (null: the symbol under the
  // pointer).
  void (*showStatusText)(SSymViewEdit* view, ISSymbol* symbol) = nullptr;
  // The two-release state of in-place editing: the armed flag and the point
  // where the window's timer starts editing.
  int (*isEditArmed)(SSymViewEdit* view) = nullptr;
  void (*setEditArmed)(SSymViewEdit* view, int armed) = nullptr;
  void (*setEditPoint)(SSymViewEdit* view, const SSymPoint& point) = nullptr;
  // Drags the selection out of the window from the point (OLE drag and
  // drop); non-zero when the drop moved it.
  int (*dragSelection)(SSymViewEdit* view, const SSymPoint& point) = nullptr;
  // Between the pointer tool and the last other tool.
  void (*flipTools)(SSymViewEdit* view) = nullptr;

  // ---- what the pointer tool's captures ask (and the selection above)
  // The point on the diagram's grid while snapping is on, else as given.
  SSymPoint (*snapToGrid)(SSymViewEdit* view, const SSymPoint& point) = nullptr;
  // The sizer of one handle of the symbol, or null for a symbol that keeps
  // its size; the caller owns it.
  SSymTrackerSizer* (*createTrackerSize)(SSymViewEdit* view, ISSymbol* symbol, const SSymPoint& point,
                                         int handle) = nullptr;
  // The rubber band of a vertex or segment of the line; the caller owns it.
  SSymTrackerPoly* (*createTrackerPoly)(SSymViewEdit* view, ISSymPolyline* symbol, int vertex,
                                        const SSymPoint& point, int control) = nullptr;
};

// Installs the site; answers the one it replaces.
SSymToolViewSite SSymSetToolViewSite(const SSymToolViewSite& site);
const SSymToolViewSite& SSymGetToolViewSite();
// The window as a diagram window through the site; null without a window
// or a site.
SSymView* SSymToolDiagramView(SSymViewEdit* view);
