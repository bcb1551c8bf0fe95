// The main job's editing session: an editing window over a small model
// (the host model's entities and relations) and a script of steps that a
// person could take in it, each through the command a person would use:
// the format sheet, the layout dialog, moving the selection. After every
// step the window paints and its picture becomes a titled panel of the
// session sheet (out/session.*), so that a reader sees what each step did.
//
// The script is a list: SHostSessionScript answers the host's steps in
// order, and a later feature appends its own (SHostEditSession::Play runs
// any step). A step that adds an undo step is named by its title, and the
// session's undo and redo steps are titled with that name, as an Edit menu
// would show it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"
#include "win/image.h"

class SSymViewEdit;

// One symbol of the model as a step left it.
struct SHostSessionSymbol {
  ISSymbol* symbol = nullptr;  // the model's, not counted
  bool link = false;
  bool selected = false;
  SSymRect rect;  // normalised clip rectangle, without shadow
  DWORD fill = 0;  // the brush's colour
  LONG shadowStyle = 0;
  SSymListPt route;  // a link's points
};

// One played step: its title, how the session's undo and redo histories
// changed, the model's symbols after it and the window's picture.
struct SHostSessionStep {
  SString title;
  bool ok = false;  // the step's command answered success
  int undoDelta = 0, redoDelta = 0;  // undo and redo steps added (negative: taken)
  std::vector<SHostSessionSymbol> symbols;
  KvImage picture;
};

class SHostEditSession;
// A step of the script: its title, and what it does; false when the
// command failed (the session records the step all the same).
struct SHostSessionAction {
  SString title;
  std::function<bool(SHostEditSession&)> run;
};

// An editing window over the model of `diagram`, and the steps played in it.
class SHostEditSession {
 public:
  // The window is made, bound to the diagram and fitted to it; check Open.
  // The window's pictures pass through working files in `scratch`.
  SHostEditSession(SHostDiagram& diagram, const std::string& scratch);
  ~SHostEditSession();
  SHostEditSession(const SHostEditSession&) = delete;
  SHostEditSession& operator=(const SHostEditSession&) = delete;

  // False with the reason in `error` when the window could not be made.
  bool Open(std::string& error) const;
  SHostDiagram& Diagram() { return m_diagram; }
  SSymViewEdit& View() { return *m_view; }
  // The model's symbols the session reads after each step (entities, then
  // their relation links), in the order SHostSessionStep::symbols lists them.
  const std::vector<ISSymbol*>& Symbols() const { return m_symbols; }

  // Runs the action, records the step (title, histories, symbols), refits
  // the window to the diagram and takes its picture. The undo step the
  // action added, if any, is named by its title.
  void Play(const SHostSessionAction& action);
  // The session's undo and redo as steps, titled "Undo <name>" and
  // "Redo <name>" after the step they take back or do again ("Undo" or
  // "Redo" alone, and not ok, when there is nothing to take back or redo).
  void PlayUndo();
  void PlayRedo();
  const std::vector<SHostSessionStep>& Steps() const { return m_steps; }

 private:
  // The session's undo (or redo) as a step, its name moved between the histories.
  void Replay(bool undo);
  // Records a step that the histories' counts before it started.
  void Record(const SString& title, bool ok, int undoBefore, int redoBefore);

  SHostDiagram& m_diagram;
  std::string m_scratch;
  SSymViewEdit* m_view;
  std::string m_error;
  std::vector<ISSymbol*> m_symbols;
  std::vector<SString> m_undoNames, m_redoNames;
  std::vector<SHostSessionStep> m_steps;
};

// The host's script: the start; a fill colour and then a shadow applied to
// two selected entities through the "Symbol Format" sheet; the auto-layout
// command over the whole model through the layout dialog (hierarchic);
// one entity moved, its links re-routed by the layout engine; undo of the
// move, then redo.
std::vector<SHostSessionAction> SHostSessionScript();
// The pointer tool's steps, each played with the headless mouse in the
// editing window: a rubber band from empty space around the two closest
// entities that no other entity lies between, a drag-move of that
// selection a third of the window sideways, and the last entity clicked
// and pulled larger by its lower-right handle. The session plays them after
// the host's script, with the move undone before the resize.
std::vector<SHostSessionAction> SHostPointerScript();
// The offset by which the script moves an entity (diagram units).
inline constexpr LONG kHostSessionMoveX = -16000, kHostSessionMoveY = -3000;

// Builds the small model in `diagram`, plays the host's script and then the
// pointer tool's in an editing window over it and answers the steps (empty, with `error`, when
// the model or the window could not be made). The window's pictures pass
// through working files in `scratch`.
std::vector<SHostSessionStep> SHostPlaySession(SHostDiagram& diagram, const std::string& scratch, std::string& error);
// Plays the session and writes its sheet into `folder` as <base>.svg, .png,
// .emf and .pdf (all or none): one titled panel per step, the window's
// picture in it. False with the reason in `error` when a step failed or a
// file could not be written.
bool SHostWriteSessionSheet(const std::string& folder, const std::string& base, std::vector<SHostExportedFile>& written,
                            std::string& error);
