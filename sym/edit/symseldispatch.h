// SSymSelectionDispatch: the command target of an editing window's
// selection, which the window offers every command its own map does not
// take. In its least form until the selection's commands come: it answers
// the update requests of the commands that act on a non-empty selection
// (properties, zoom to the selection) and takes no command itself, so an
// id it does not know stays unhandled.
#pragma once

#include "kvcore/scmdtarget.h"

class SSymSelection;

class SSymSelectionDispatch : public SCmdTarget {
  KV_DECLARE_CLASSINFO()
  KV_DECLARE_MESSAGE_MAP()

 public:
  // Serves `selection` (not owned; null serves none).
  explicit SSymSelectionDispatch(SSymSelection* selection) : m_pSelection(selection) {}
  SSymSelection* GetSelection() const { return m_pSelection; }

  // Enabled while the selection holds a symbol; the answer goes through the
  // selection's view (EnableSelectionCmd) when it has one, so that a host
  // view can override it.
  void OnUpdateNotEmpty(SCmdUI* ui);

 private:
  SSymSelection* m_pSelection;
};
