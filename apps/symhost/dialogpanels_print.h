// The print dialog as a panel of the host's dialog sheet: the dialog over
// an editing window of the host's sample model, open without a screen and
// ready to be painted (KvSaveWindowTreePng on Window()).
#pragma once

#include <memory>
#include <string>

#include "apps/symhost/samplediagram.h"
#include "sym/dialogs/symprintdlg.h"
#include "sym/edit/symviewedit.h"

class SHostPrintDialogPanel {
 public:
  SHostPrintDialogPanel() = default;
  // Closes the dialog, puts the sample's settings back and closes its window.
  ~SHostPrintDialogPanel();
  SHostPrintDialogPanel(const SHostPrintDialogPanel&) = delete;
  SHostPrintDialogPanel& operator=(const SHostPrintDialogPanel&) = delete;

  HWND Window() const { return m_dialog ? m_dialog->GetSafeHwnd() : nullptr; }
  SSymPrintDlg* Dialog() const { return m_dialog.get(); }

 private:
  friend std::unique_ptr<SHostPrintDialogPanel> SHostMakePrintDialogPanel(std::string& error);
  SHostDiagram m_model;
  SSymViewEdit* m_pView = nullptr;
  std::unique_ptr<SSymPrintData> m_data;
  std::unique_ptr<SSymPrintDlg> m_dialog;
};

// The print dialog over the sample model; null with a message in `error`
// when the window or the dialog cannot be made.
std::unique_ptr<SHostPrintDialogPanel> SHostMakePrintDialogPanel(std::string& error);
