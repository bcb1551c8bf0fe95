#include "sym/dialogs/symfittopagedlg.h"

#include <cstdlib>
#include <utility>

#include "kvcore/smodulestate.h"
#include "sym/edit/symviewedit.h"
#include "sym/foundation/sdsym.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

struct Resources {
  Resources() { SRegisterDlgTemplate(SSymFitToPageDlg::Template()); }
  ~Resources() { SUnregisterDlgTemplate(SSymFitToPageDlg::TemplateId); }
};
Resources s_resources;

// Page type i: (i / 4 + 1) across, (i % 4 + 1) down.
int Across(int type) { return type / 4 + 1; }
int Down(int type) { return type % 4 + 1; }
}  // namespace

KV_BEGIN_MESSAGE_MAP(SSymFitToPageDlg, SDlg)
KV_ON_CONTROL(CBN_SELENDOK, SSymFitToPageDlg::ScaleId, OnScaleSelectChange)
KV_ON_CONTROL(CBN_KILLFOCUS, SSymFitToPageDlg::ScaleId, OnScaleEditChange)
KV_ON_BN_CLICKED(SSymFitToPageDlg::FitId, OnFitToPage)
KV_ON_BN_CLICKED(SSymFitToPageDlg::CenterId, OnCenterInPage)
KV_END_MESSAGE_MAP()

const SDlgTemplate& SSymFitToPageDlg::Template() {
  static const SDlgTemplate t{
      TemplateId,
      u"Fit to Page",
      u"MS Shell Dlg",
      8,
      196,
      104,
      {
          {-1, SDlgItemKind::Static, u"The diagram now covers these pages:", 7, 9, 124, 8, kShown},
          {PageCountId, SDlgItemKind::Static, u"1 x 1", 135, 9, 54, 8, kShown},
          {-1, SDlgItemKind::Static, u"Print &scale:", 7, 28, 60, 8, kShown},
          {ScaleId, SDlgItemKind::ComboBox, u"", 80, 26, 60, 120, kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN},
          {FitId, SDlgItemKind::Button, u"Fit &to pages:", 7, 46, 70, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
          {PageTypeId, SDlgItemKind::ComboBox, u"", 80, 44, 60, 120,
           kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST},
          {CenterId, SDlgItemKind::Button, u"Center in pages", 7, 64, 100, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
          {IDOK, SDlgItemKind::Button, u"OK", 85, 83, 50, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 139, 83, 50, 14, kShown | WS_TABSTOP},
      }};
  return t;
}

SSymFitToPageDlg::SSymFitToPageDlg(SSymViewEdit* view, ISSymDiagram* diagram) : SDlg(TemplateId, view), m_pView(view) {
  if (diagram) {
    m_diagram = diagram;
  } else if (view) {
    SComOut<ISSymDiagram> own;
    if (SUCCEEDED(view->GetDiagram(reinterpret_cast<void**>(&own), IID_ISSymDiagram)) && own) m_diagram = own.Get();
  }
}

SSymFitToPageDlg::~SSymFitToPageDlg() = default;

INT_PTR SSymFitToPageDlg::DoModal() {
  if (m_diagram.IsNull()) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  SSetModuleState module(SSymGetModuleState());
  return SDlg::DoModal();
}

LONG SSymFitToPageDlg::DiagramScale() const { return m_diagram.IsNull() ? 100 : m_diagram->GetScale(); }

BOOL SSymFitToPageDlg::OnInitDialog() {
  AttachDlgItem(PageCountId, &m_pages);
  AttachDlgItem(ScaleId, &m_scale);
  AttachDlgItem(FitId, &m_fit);
  AttachDlgItem(PageTypeId, &m_pageType);
  AttachDlgItem(CenterId, &m_center);
  for (int s : Scales) m_scale.AddString(SString::Format("%d%%", s).c_str());
  for (int i = 0; i < PageTypeCount; ++i) m_pageType.AddString(SString::Format("%d x %d", Across(i), Down(i)).c_str());
  m_pageType.SetCurSel(0);
  m_pageType.EnableWindow(FALSE);
  UpdateFitPages();
  m_scale.SetText(SString::Format("%ld%%", long(DiagramScale())));
  return SDlg::OnInitDialog();
}

void SSymFitToPageDlg::UpdateFitPages() {
  LONG across = 1, down = 1;
  if (m_pView && !m_diagram.IsNull()) {
    SSymCanvasView& canvas = m_pView->GetCanvas();
    const SSymSize paper = canvas.GetPaperSize();
    const SSymRect r = canvas.GetPaperRect(m_diagram->GetClipRect());
    // A paper of no size covers nothing: the count stays one page.
    if (paper.cx > 0) across = std::abs(r.x2 - r.x1) / paper.cx;
    if (paper.cy > 0) down = std::abs(r.y2 - r.y1) / paper.cy;
  }
  m_nAcross = across < 1 ? 1 : across;
  m_nDown = down < 1 ? 1 : down;
  if (m_pages.m_hWnd) m_pages.SetWindowText(SString::Format("%ld x %ld", long(m_nAcross), long(m_nDown)).c_str());
  if (m_scale.m_hWnd) m_scale.SetText(SString::Format("%ld%%", long(DiagramScale())));
}

void SSymFitToPageDlg::OnFitToPage() {
  m_bFit = m_fit.GetCheck() == BST_CHECKED;
  m_pageType.EnableWindow(m_bFit);
  m_center.EnableWindow(!m_bFit);
  m_scale.EnableWindow(!m_bFit);
  if (!m_bFit) return;
  m_center.SetCheck(BST_UNCHECKED);
  UpdateFitPages();
}

void SSymFitToPageDlg::OnCenterInPage() {
  const bool centre = m_center.GetCheck() == BST_CHECKED;
  m_fit.EnableWindow(!centre);
  m_pageType.EnableWindow(!centre);
  if (!centre) return;
  m_scale.EnableWindow(TRUE);
  m_fit.SetCheck(BST_UNCHECKED);
}

void SSymFitToPageDlg::OnOK() {
  if (m_fit.GetCheck() == BST_CHECKED) {
    m_bFit = TRUE;
    const int type = m_pageType.GetCurSel();
    if (type >= 0 && type < PageTypeCount) {
      m_nAcross = Across(type);
      m_nDown = Down(type);
    }
  } else {
    m_bFit = FALSE;
    if (m_center.GetCheck() == BST_CHECKED) m_bCenter = TRUE;
  }
  // No scale chosen: the diagram keeps the scale it has.
  SString chosen;
  const int entry = m_scale.GetCurSel();
  m_nScale = entry >= 0 && m_scale.GetLBText(entry, chosen) > 0 ? chosen.ToLONG() : DiagramScale();
  SDlg::OnOK();
}
