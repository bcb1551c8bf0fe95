// SPropertyPage: one page of a property sheet. The part that the library's
// pages and grid windows rely on so far: the page knows whether it holds
// changes not yet applied, and tells its sheet (the parent window) with
// PSM_CHANGED and PSM_UNCHANGED as the sheet's Apply button expects. Each
// SetModified call is recorded, so that a test sees what a control asked.
#pragma once

#include <vector>

#include "kvcore/swnd.h"

constexpr UINT PSM_CHANGED = WM_USER + 104;
constexpr UINT PSM_UNCHANGED = WM_USER + 109;

class SPropertyPage : public SWnd {
 public:
  explicit SPropertyPage(UINT templateId = 0) : m_nIDTemplate(templateId) {}

  void SetModified(BOOL changed = TRUE);
  BOOL IsModified() const { return m_bModified ? TRUE : FALSE; }
  const std::vector<BOOL>& GetModifiedCalls() const { return m_modifiedCalls; }
  UINT GetTemplateId() const { return m_nIDTemplate; }

  KV_DECLARE_CLASSINFO()

 protected:
  UINT m_nIDTemplate;
  bool m_bModified = false;
  std::vector<BOOL> m_modifiedCalls;
};
