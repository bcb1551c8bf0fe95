// SSymViewEdit: the editing window of a diagram, in its least form until the
// editing subsystem brings the real one: a diagram window with its selection
// and the folder that receives new objects. Host classes derive from it to
// name their folder; a merge reads the diagram, the selection and the folder
// from it.
#pragma once

#include "sym/diagram/symview.h"
#include "sym/edit/symselection.h"

class SSymViewEdit : public SSymView {
 public:
  SSymViewEdit();
  ~SSymViewEdit() override;

  // Binds the window to the diagram and names the diagram in the
  // selection's notifications.
  void SetDiagram(ISSymDiagram* diagram) override;

  // The selection of the window (owned by it).
  SSymSelection* GetSelection() { return &m_selection; }
  // The repository folder that receives new objects (not counted); none in
  // the library's own window, a host class supplies it.
  virtual ISRepObject* GetTargetFolder() { return nullptr; }

 private:
  SSymSelection m_selection;
};
