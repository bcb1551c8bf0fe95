#include "apps/symhost/dialogpanels_print.h"

#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/model/modelsheet.h"

SHostPrintDialogPanel::~SHostPrintDialogPanel() {
  if (m_dialog) {
    if (m_dialog->GetSafeHwnd()) m_dialog->DestroyWindow();
    m_dialog->RestoreDiagramSettings();
    m_dialog.reset();
  }
  if (m_pView) m_pView->DestroyWindow();
}

std::unique_ptr<SHostPrintDialogPanel> SHostMakePrintDialogPanel(std::string& error) {
  auto panel = std::make_unique<SHostPrintDialogPanel>();
  SBuildModelSheet(panel->m_model);
  panel->m_pView = new SSymViewEdit();
  if (!SHostOpenDiagramWindow(panel->m_model, *panel->m_pView, error)) {
    delete panel->m_pView;
    panel->m_pView = nullptr;
    return nullptr;
  }
  panel->m_data = std::make_unique<SSymPrintData>();
  panel->m_dialog = std::make_unique<SSymPrintDlg>(*panel->m_data, panel->m_pView, nullptr);
  if (!panel->m_dialog->Create(nullptr)) {
    error = "the print dialog could not be made";
    return nullptr;
  }
  return panel;
}
