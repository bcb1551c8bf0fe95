#include "kvcore/sshellview.h"

KV_IMPLEMENT_DYNCREATE(SShellView, SCmdTarget);
KV_IMPLEMENT_DYNCREATE(SShellViewClass, SObject);

bool SShellView::SetStatusBarText(const SString& text) {
  if (m_frame.IsNull()) return false;
  SComWrap<ISShellHostStatusBar> bar(m_frame.Get());
  if (bar.IsNull()) return false;
  return SUCCEEDED(bar->SetText(m_site.Get(), 0, text));
}
