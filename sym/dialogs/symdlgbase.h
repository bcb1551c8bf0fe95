// The parts the format sheet's pages share:
//
//   SSymXemFrmtOption  the template-mode pair of check boxes of a page
//                      (405 "apply to symbols", 406 "allow users to
//                      modify") and the allow-options category they govern;
//   SSymPreviewShare   the preview diagram of one sheet, made by the first
//                      page that shows a preview and held by every page
//                      that shows it.
#pragma once

#include "kvcore/scomwrap.h"
#include "sym/foundation/symallowopt.h"
#include "sym/symbol/symintfowner.h"

class SSymXemFrmtOption {
 public:
  static constexpr int ApplyToId = 405;
  static constexpr int AllowModifyId = 406;

  // The allow-modify box is enabled exactly while the apply box is checked
  // (its own check and bit stay as they were when it is disabled).
  static bool AllowModifyEnabled(bool applyChecked) { return applyChecked; }
  // Copies a box's check state into the apply (405) or allow-modify (406)
  // bit of the category's word. False, and nothing written, for a box that
  // is neither, a category index that names none (-1 until the page sets
  // it) or no options.
  static bool StoreCheck(SSymAllowOption* allow, int category, int box, bool checked);
  // The check the box shows for the category: false for what StoreCheck
  // refuses.
  static bool ShownCheck(const SSymAllowOption* allow, int category, int box);

  int m_nCategory = -1;
};

// Every page that shows the preview holds it; the diagram is deleted from
// the repository once, when the last holder lets go, so that the pages
// after the first do not delete a diagram that is gone already.
class SSymPreviewShare {
 public:
  // A share of a diagram with no holder yet; null for no diagram.
  static SSymPreviewShare* Create(ISSymDiagram* diagram);
  SSymPreviewShare(const SSymPreviewShare&) = delete;
  SSymPreviewShare& operator=(const SSymPreviewShare&) = delete;

  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }
  int GetHolderCount() const { return m_nHolders; }
  void AddHolder() { ++m_nHolders; }
  // One holder lets go. The last one deletes the diagram (unless it is
  // deleted already) and the share itself: true then, and the share must
  // not be used again.
  bool ReleaseHolder();

 private:
  explicit SSymPreviewShare(ISSymDiagram* diagram) : m_diagram(diagram) {}
  ~SSymPreviewShare() = default;
  SComWrap<ISSymDiagram> m_diagram;
  int m_nHolders = 0;
};
