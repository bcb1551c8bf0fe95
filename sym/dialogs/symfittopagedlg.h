// SSymFitToPageDlg: the modal "Fit to Page" dialog (template 136) of the
// editing view's fit-to-page command. It only collects the person's choice
// -- a print scale, a number of pages across and down to fit the diagram
// to, or centring in its pages -- and shows how many pages the diagram
// covers at its present scale; the caller applies the result after OK.
//
// After OK: fit is 1 when "Fit &to pages:" was checked (across and down
// then come from the chosen "%d x %d" entry); otherwise centre is 1 when
// "Center in pages" was checked; scale is the chosen scale entry, or the
// diagram's present scale when none was chosen (100 on a new diagram).
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/sdlg.h"
#include "sym/symbol/symintfowner.h"

class SSymViewEdit;

class SSymFitToPageDlg : public SDlg {
 public:
  static constexpr UINT TemplateId = 136;
  enum : int { PageCountId = 1072, ScaleId = 1131, FitId = 1132, PageTypeId = 1133, CenterId = 1142 };
  // The scale list, in percent, and the page types, across then down.
  static constexpr int ScaleCount = 15;
  static constexpr int Scales[ScaleCount] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 125, 150, 175, 200, 400};
  static constexpr int PageTypeCount = 16;

  // The dialog over the editing view and a diagram; with no diagram, the
  // view's. Without either, DoModal shows nothing and answers -1.
  SSymFitToPageDlg(SSymViewEdit* view, ISSymDiagram* diagram = nullptr);
  ~SSymFitToPageDlg() override;

  // -1 with ERROR_INVALID_PARAMETER, nothing shown, without a diagram.
  INT_PTR DoModal() override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  virtual void OnScaleSelectChange() { UpdateFitPages(); }
  virtual void OnScaleEditChange() { UpdateFitPages(); }
  virtual void OnFitToPage();
  virtual void OnCenterInPage();

  // Counts the pages the diagram covers at its present scale, shows the
  // count and puts the diagram's scale back into the scale field.
  void UpdateFitPages();

  BOOL m_bFit = FALSE;
  BOOL m_bCenter = FALSE;
  LONG m_nScale = 100;
  LONG m_nAcross = 1;
  LONG m_nDown = 1;

  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }
  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 private:
  LONG DiagramScale() const;
  SSymViewEdit* m_pView;
  SComWrap<ISSymDiagram> m_diagram;
  SStaticCtrl m_pages;
  SComboBoxCtrl m_scale;
  SButtonCtrl m_fit;
  SComboBoxCtrl m_pageType;
  SButtonCtrl m_center;
};
