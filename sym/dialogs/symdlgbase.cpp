#include "sym/dialogs/symdlgbase.h"

#include "kvrep/srepobject.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The category bit a box governs; 0 for a box that is neither, or no word.
DWORD BitOf(const SSymAllowOption* allow, int category, int box) {
  if (!allow || category < 0 || category >= SSymAllowOption::CategoryCount) return 0;
  if (box == SSymXemFrmtOption::ApplyToId) return SSymAllowOption::AllowApply;
  if (box == SSymXemFrmtOption::AllowModifyId) return SSymAllowOption::AllowModify;
  return 0;
}
}  // namespace

bool SSymXemFrmtOption::StoreCheck(SSymAllowOption* allow, int category, int box, bool checked) {
  const DWORD bit = BitOf(allow, category, box);
  if (!bit) return false;
  DWORD& word = allow->m_category[category];
  word = checked ? (word | bit) : (word & ~bit);
  return true;
}

bool SSymXemFrmtOption::ShownCheck(const SSymAllowOption* allow, int category, int box) {
  const DWORD bit = BitOf(allow, category, box);
  return bit && (allow->m_category[category] & bit) != 0;
}

SSymPreviewShare* SSymPreviewShare::Create(ISSymDiagram* diagram) {
  return diagram ? new SSymPreviewShare(diagram) : nullptr;
}

bool SSymPreviewShare::ReleaseHolder() {
  if (--m_nHolders > 0) return false;
  RepObjWrap object(m_diagram.Get());
  if (!object.IsNull() && !object->IsDeleted()) object->Delete();
  delete this;
  return true;
}
