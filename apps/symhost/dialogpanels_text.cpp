#include "apps/symhost/dialogpanels_text.h"

#include "apps/symhost/hostviewpng.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "kvcore/scomwrap.h"
#include "kvrep/srepsession.h"
#include "sym/dialogs/symfittopagedlg.h"
#include "sym/dialogs/symtextdlg.h"
#include "sym/edit/symviewedit.h"
#include "sym/shapes/symtext.h"

namespace {

constexpr const char16_t* kSampleText =
    u"{\\rtf1\\ansi {\\b Order} received:\\par the customer's {\\i order} is checked and filed.\\par}";

class TextPanel : public SHostDialogPanelText {
 public:
  bool Open(std::string& error) {
    ISSymbol* symbol = m_sample.AddSymbol(CLSID_SSymText, SSymRect(0, 6000, 12000, 0));
    SComWrap<ISSymText> text(symbol);
    if (text.IsNull()) {
      error = "the text dialog's sample text could not be made";
      return false;
    }
    {
      SCurrentContextChange outside(m_sample.Session(), nullptr);
      text->SetText(SString(kSampleText), 0);
    }
    m_dialog = std::make_unique<SSymTextDlg>(text.Get());
    if (!m_dialog->Open()) {
      error = "the text dialog could not be opened";
      return false;
    }
    return true;
  }
  ~TextPanel() override { m_dialog.reset(); }
  HWND Window() const override { return m_dialog ? m_dialog->GetWnd() : nullptr; }

 private:
  SHostDiagram m_sample;
  std::unique_ptr<SSymTextDlg> m_dialog;
};

class FitToPagePanel : public SHostDialogPanelText {
 public:
  bool Open(std::string& error) {
    SBuildModelSheet(m_sample);
    m_view = new SSymViewEdit();
    if (!SHostOpenDiagramWindow(m_sample, *m_view, error)) return false;
    m_dialog = std::make_unique<SSymFitToPageDlg>(m_view);
    if (!m_dialog->Create(m_view)) {
      error = "the fit-to-page dialog could not be opened";
      return false;
    }
    const HWND h = m_dialog->m_hWnd;
    if (!KvPlayControlAction(h, KvClick(SSymFitToPageDlg::FitId)) ||
        !KvPlayControlAction(h, KvPick(SSymFitToPageDlg::PageTypeId, 6))) {
      error = "the fit-to-page dialog did not take its choice";
      return false;
    }
    return true;
  }
  ~FitToPagePanel() override {
    m_dialog.reset();
    // The window deletes its object when it goes.
    if (m_view && m_view->GetSafeHwnd()) m_view->DestroyWindow();
    else delete m_view;
  }
  HWND Window() const override { return m_dialog ? m_dialog->m_hWnd : nullptr; }

 private:
  SHostDiagram m_sample;
  SSymViewEdit* m_view = nullptr;
  std::unique_ptr<SSymFitToPageDlg> m_dialog;
};

template <class Panel>
std::unique_ptr<SHostDialogPanelText> OpenPanel(std::string& error) {
  auto panel = std::make_unique<Panel>();
  if (!panel->Open(error)) return nullptr;
  return panel;
}

}  // namespace

std::unique_ptr<SHostDialogPanelText> SHostOpenTextDialogPanel(std::string& error) {
  return OpenPanel<TextPanel>(error);
}

std::unique_ptr<SHostDialogPanelText> SHostOpenFitToPageDialogPanel(std::string& error) {
  return OpenPanel<FitToPagePanel>(error);
}
