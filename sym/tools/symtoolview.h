// The editing window as the tools and trackers see it. The editing window
// (sym/edit) makes, owns and drives its tools, so the tools cannot include
// it: it fills this site when the library loads, and the tools reach the
// window only through it. Every entry takes the window the tool serves; a
// call without an installed entry does nothing and answers null or 0.
#pragma once

struct ISSymbol;
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

  // ---- what the pointer tool's captures ask
};

// Installs the site; answers the one it replaces.
SSymToolViewSite SSymSetToolViewSite(const SSymToolViewSite& site);
const SSymToolViewSite& SSymGetToolViewSite();
// The window as a diagram window through the site; null without a window
// or a site.
SSymView* SSymToolDiagramView(SSymViewEdit* view);
