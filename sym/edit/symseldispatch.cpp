#include "sym/edit/symseldispatch.h"

#include "sym/edit/symselection.h"
#include "sym/edit/symviewedit.h"

KV_IMPLEMENT_CLASSINFO(SSymSelectionDispatch, SCmdTarget);

// clang-format off
KV_BEGIN_MESSAGE_MAP(SSymSelectionDispatch, SCmdTarget)
  KV_ON_UPDATE_COMMAND_UI(SSymViewEdit::CmdProperties, OnUpdateNotEmpty)
  KV_ON_UPDATE_COMMAND_UI(SSymViewEdit::CmdViewZoomSel, OnUpdateNotEmpty)
KV_END_MESSAGE_MAP()
// clang-format on

void SSymSelectionDispatch::OnUpdateNotEmpty(SCmdUI* ui) {
  if (!ui) return;
  const int enable = m_pSelection && m_pSelection->GetCount() >= 1 ? 1 : 0;
  auto* view = m_pSelection ? dynamic_cast<SSymViewEdit*>(m_pSelection->GetView()) : nullptr;
  if (view) view->EnableSelectionCmd(ui, enable);
  else ui->Enable(enable);
}
