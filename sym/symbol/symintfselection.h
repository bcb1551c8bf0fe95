// ISSymSelection: the selection of an editing view as the symbol core's
// records use it (its symbols in order, Add and Clear, its view), and the
// active view's selection that new move records are built on. The editing
// subsystem's selection implements it. Records keep selections through
// IsAlive, never as bare pointers that may dangle.
#pragma once

struct ISSymbol;
class SSymView;

class ISSymSelection {
 public:
  ISSymSelection();
  virtual ~ISSymSelection();
  ISSymSelection(const ISSymSelection&) = delete;
  ISSymSelection& operator=(const ISSymSelection&) = delete;

  // Adds a symbol once (redraw: the handles are drawn).
  virtual void Add(ISSymbol* symbol, int redraw) = 0;
  virtual void Clear(int redraw) = 0;
  virtual int GetCount() const = 0;
  virtual ISSymbol* GetAt(int i) const = 0;
  virtual bool Contains(ISSymbol* symbol) const = 0;
  virtual SSymView* GetView() const = 0;

  // True while the selection exists.
  static bool IsAlive(const ISSymSelection* selection);
};

// The selection of the view that last had focus (null without one, or once
// it is gone); new move records are built on it.
ISSymSelection* SSymGetActiveSelection();
void SSymSetActiveSelection(ISSymSelection* selection);
