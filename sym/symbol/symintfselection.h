// ISSymSelection: the selection of an editing view as the symbol core's
// records and the diagram use it (its symbols in order, Add and Clear, its
// view and whether that view accepts a symbol), and the active view's
// selection that new move records are built on. The editing subsystem's
// selection implements it. Records keep selections through IsAlive, never as
// bare pointers that may dangle.
//
// Every change of a selection tells the listeners of the notification
// manager (SSymNotifySelChanged, with the diagram) while the library-wide
// selection-change switch is on. Bulk changes (a rectangle selection, a
// select-all) switch it off for their length with SSymSelChangeNotifyOff and
// send one notification of their own at the end, so a listener that rebuilds
// a property view or a status line does it once per user action.
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
  // Non-zero when the selection's editing view lets the symbol be selected:
  // not null, not hidden, and (unless it is a sub-object or a port) every
  // composite it lies in editable. Add consults it while there is a view.
  virtual int CanSelect(ISSymbol* symbol) = 0;
  // A bulk change of the set (a rectangle selection, a select-all) opens a
  // handle batch for its length: meanwhile handles to be drawn or erased
  // are only noted, and when the outermost batch closes, each symbol whose
  // handles were toggled an odd number of times has them drawn once. Handles
  // toggle, so the window ends as if each had been drawn at once, and a
  // symbol that leaves the set and joins it again is not drawn at all.
  // A selection that draws no handles ignores batches.
  virtual void BeginHandleBatch() {}
  virtual void EndHandleBatch() {}

  // True while the selection exists.
  static bool IsAlive(const ISSymSelection* selection);
};

// Opens a handle batch on a selection (may be null) for the length of the
// scope, and closes it on every exit.
class SSymSelHandleBatch {
 public:
  explicit SSymSelHandleBatch(ISSymSelection* selection) : m_pSelection(selection) {
    if (m_pSelection) m_pSelection->BeginHandleBatch();
  }
  ~SSymSelHandleBatch() {
    if (m_pSelection) m_pSelection->EndHandleBatch();
  }
  SSymSelHandleBatch(const SSymSelHandleBatch&) = delete;
  SSymSelHandleBatch& operator=(const SSymSelHandleBatch&) = delete;

 private:
  ISSymSelection* m_pSelection;
};

// The notification code of a selection change (the pointer: the diagram's
// ISSymDiagram, the number 0).
inline constexpr int SSymNotifySelChanged = 39;

// The library-wide selection-change switch (on at load).
bool SSymGetSelChangeNotify();
void SSymSetSelChangeNotify(bool on);

// Switches selection-change notifications off for the length of the scope
// and puts back the value it found on every exit, exceptions included, so
// nested bulk changes leave the switch as the outermost one found it.
class SSymSelChangeNotifyOff {
 public:
  SSymSelChangeNotifyOff() : m_bSaved(SSymGetSelChangeNotify()) { SSymSetSelChangeNotify(false); }
  ~SSymSelChangeNotifyOff() { SSymSetSelChangeNotify(m_bSaved); }
  SSymSelChangeNotifyOff(const SSymSelChangeNotifyOff&) = delete;
  SSymSelChangeNotifyOff& operator=(const SSymSelChangeNotifyOff&) = delete;

 private:
  bool m_bSaved;
};

// The selection of the view that last had focus (null without one, or once
// it is gone); new move records are built on it.
ISSymSelection* SSymGetActiveSelection();
void SSymSetActiveSelection(ISSymSelection* selection);
