// ISSymViewQueries: what the symbol core asks of a diagram window (whether
// it is an editing view, the notice of a removed symbol, its canvas, the
// conversion of picture pixels to diagram units, a canvas to measure on).
// The window belongs to the diagram subsystem, above the symbol core: the
// core holds it as an opaque SSymView pointer, calls the functions below,
// and they answer through the queries that subsystem installs at load.
// Without a window (null view) or without installed queries, a view is not
// an editing view, has no canvas, and measures on the screen.
#pragma once

#include <memory>

#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SSymCanvas;
class SSymCanvasView;
class SSymView;
struct ISSymbol;

class ISSymViewQueries {
 public:
  virtual ~ISSymViewQueries() = default;
  virtual bool IsEditView(SSymView* view) = 0;
  virtual void NotifyRemove(SSymView* view, ISSymbol* symbol) = 0;
  virtual SSymCanvasView* GetCanvas(SSymView* view) = 0;
  virtual SSymSize PixelsToUnits(SSymView* view, SIZE pixels) = 0;
  // A locked canvas of the view to measure on; a canvas made for the purpose
  // goes to `own` and lives as long as the caller keeps it.
  virtual SSymCanvas* LockCanvas(SSymView* view, std::unique_ptr<SSymCanvas>& own) = 0;
  // Of an editing view: true while it moves its selection, and whether its
  // selection holds the symbol (also inside a selected group). The editing
  // view answers them; a window that is not one answers false.
  virtual bool IsMovingSelection(SSymView*) { return false; }
  virtual bool SelectionContains(SSymView*, ISSymbol*) { return false; }
  // True while the view holds drawing back: redraw requests of symbols are
  // ignored meanwhile. By default the view's suspended state bit, as its
  // installed site reports it (false without a site).
  virtual bool DefersDrawing(SSymView* view);
};

// The installed queries, or null while no diagram subsystem is loaded.
ISSymViewQueries* SSymGetViewQueries();
void SSymSetViewQueries(ISSymViewQueries* queries);

// True when the view is an editing view.
bool SSymIsEditView(SSymView* view);
// Of an editing view: whether it is moving its selection, and whether its
// selection holds the symbol. False without a view or without queries.
bool SSymViewIsMovingSelection(SSymView* view);
bool SSymViewSelectionContains(SSymView* view, ISSymbol* symbol);
// Whether a view holds drawing back; false without a view or without queries.
bool SSymViewDefersDrawing(SSymView* view);
// Tells an editing view that a symbol was removed.
void SSymViewNotifyRemove(SSymView* view, ISSymbol* symbol);
// The view canvas of a view, or null.
SSymCanvasView* SSymGetViewCanvas(SSymView* view);
// A size in device pixels converted to diagram units through a view's scaler
// (null: the screen at the normal scale).
SSymSize SSymPixelsToUnits(SSymView* view, SIZE pixels);
// The same conversion on the screen at the normal scale.
SSymSize SSymScreenPixelsToUnits(SIZE pixels);

// A locked canvas for the length of the scope on which a symbol of the view
// can be measured.
class SSymLockViewCanvas {
 public:
  explicit SSymLockViewCanvas(SSymView* view);
  ~SSymLockViewCanvas();
  SSymLockViewCanvas(const SSymLockViewCanvas&) = delete;
  SSymLockViewCanvas& operator=(const SSymLockViewCanvas&) = delete;
  SSymCanvas* GetCanvas() const { return m_pCanvas; }

 private:
  SSymCanvas* m_pCanvas = nullptr;
  std::unique_ptr<SSymCanvas> m_own;
};
