// The least of the later subsystems' services that the solid text symbol
// calls, until those subsystems bring their own:
//   - ISVerbSource: the verb face of symbols;
//   - SSymEditInPlaceController: the in-place text editor of a symbol;
//   - SSymTextDlg: the text dialog of a text symbol, one per repository
//     object (kept in SRepDialogMap while open);
//   - SSymLockViewCanvas: a canvas of a view to measure on outside painting.
// Each is declared the way its subsystem declares it, so that the real one
// replaces it without touching the callers.
#pragma once

#include <memory>

#include "kvcore/sstring.h"
#include "sym/foundation/symclassid.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/syminterfaces.h"

class SSymDeftCanvas;

// ---- verbs ---------------------------------------------------------------------------------------
struct ISVerbSource : IUnknown {
  static constexpr IID iid = IID_ISVerbSource;
  virtual HRESULT DoVerb(LONG verb, SSymView* view) = 0;
  // The number of verbs the symbol offers.
  virtual LONG EnumVerbs() = 0;
};

// ---- in-place editing ----------------------------------------------------------------------------
class SSymEditInPlaceController {
 public:
  SSymEditInPlaceController() { ++s_nLive; }
  ~SSymEditInPlaceController() { --s_nLive; }
  SSymEditInPlaceController(const SSymEditInPlaceController&) = delete;
  SSymEditInPlaceController& operator=(const SSymEditInPlaceController&) = delete;

  void Init(SSymView* view, ISSymbol* symbol, const SString& text, const SSymRect& rect);
  // Runs the editing; negative on failure.
  int Execute(int flag);

  SSymView* m_pView = nullptr;
  ISSymbol* m_pSymbol = nullptr;
  SString m_text;
  SSymRect m_rect;

  // Test seams: the answer of the next Execute, whether the next creation
  // fails, and the controllers alive and the last one initialised.
  static int s_nNextResult;
  static bool s_bFailNextCreate;
  static int s_nLive;
  static SString s_lastText;
  static SSymRect s_lastRect;
  // A new controller, or null when it cannot be made.
  static SSymEditInPlaceController* Create();
};

// ---- the text dialog ------------------------------------------------------------------------------
class SSymTextDlg {
 public:
  // Registers itself as the open dialog of the text's repository object.
  explicit SSymTextDlg(ISSymText* text);
  ~SSymTextDlg();
  SSymTextDlg(const SSymTextDlg&) = delete;
  SSymTextDlg& operator=(const SSymTextDlg&) = delete;

  void Show() { ++m_nShown; }
  int GetShowCount() const { return m_nShown; }
  ISSymText* GetText() const { return m_pText; }
  // Closes the dialog: it leaves the map and is deleted.
  void Close() { delete this; }
  // The open dialog of a repository object, or null.
  static SSymTextDlg* Find(ISRepObject* object);

 private:
  ISSymText* m_pText;  // counted
  ISRepObject* m_pObject;
  int m_nShown = 0;
};

// ---- measuring on a view ---------------------------------------------------------------------------
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
  std::unique_ptr<SSymDeftCanvas> m_own;
};
