// SSymPrintDlg: the print dialog of a diagram (template 149, " Print
// Diagram"). It shows and edits the print settings record (SSymPrintData):
// copies, which pages (all, a range, or the pages clicked in the live
// preview), black and white or colour, frame and corner marks, and the
// diagram's print scale, its fit-to-pages or centred placement and its
// printer and paper, which it changes on the diagram at once so that the
// preview and the print show them.
//
// OnInitDialog saves the diagram's page settings into the record; whatever
// the outcome, the caller puts them back with RestoreDiagramSettings after
// printing (or after Cancel): the scale, paper and placement chosen here
// last for one print. OK persists copies (held within the spin's 1 .. 99),
// all pages, frame, corner and colour through the record's setters; Cancel
// persists nothing. After OK the caller prints the pages flagged in
// GetValidPages (GetXPages across, GetYPages down, row by row).
//
// A dialog without a diagram ends at once with Cancel; a printer that
// cannot be opened or read any more, a device mode shorter than it claims
// and a paper of no size are refused: the printer in use stays, nothing of
// the diagram or the record changes.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/sdlg.h"
#include "sym/diagram/symprintpages.h"
#include "sym/render/symprintdata.h"
#include "sym/symbol/symintfowner.h"

class SSymView;
class SSymViewEdit;
class SSymDiagramImpl;

class SSymPrintDlg : public SDlg, public SSymPrintPages {
 public:
  static constexpr UINT TemplateId = 149;
  static constexpr DWORD HelpContextId = 5300;
  enum : int {
    PreviewId = 1010,
    CopiesId = 1069,
    CopiesSpinId = 1141,
    AllId = 1063,
    RangeId = 1128,
    SelectedId = 1064,
    FromId = 1129,
    ToId = 1130,
    PageCountId = 1072,
    ScaleId = 1131,
    FitId = 1132,
    PageTypeId = 1133,
    CenterId = 1142,
    FrameId = 1065,
    CornerId = 1066,
    BlackId = 1067,
    ColorId = 1068,
    PrinterId = 1070,
    PageSetupId = 1135,
    PrinterSetupId = 1165,
    TypeId = 1136,
    WhereId = 1137,
    CommentId = 1138,
    PaperId = 1139,
    OrientationId = 1140,
    ResolutionId = 1071,
  };
  // The spin's range of copies.
  static constexpr int MinCopies = 1;
  static constexpr int MaxCopies = 99;

  // The scale list (percent, shown "%d%%") and the page types (across,
  // down, shown "%d x %d"), shared with the fit-to-page dialog.
  static constexpr int ScaleCount = 15;
  static const int Scales[ScaleCount];
  static constexpr int PageTypeCount = 16;
  static const int PageTypes[PageTypeCount][2];

  // The dialog on the record, the editing view and the diagram (null: the
  // view's diagram).
  SSymPrintDlg(SSymPrintData& data, SSymViewEdit* view, ISSymDiagram* diagram);
  ~SSymPrintDlg() override;

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void SaveDiagramSettings();
  // Puts back what SaveDiagramSettings saved; nothing when it did not run.
  void RestoreDiagramSettings();
  // A page was clicked in the preview: the range becomes the selection.
  void SetSelect() override;

  int GetXPages() const { return GetPageCols(); }
  int GetYPages() const { return GetPageRows(); }
  int* GetValidPages() { return GetPages().empty() ? nullptr : GetPages().data(); }
  // The preview window while the dialog is open.
  // The page preview window while the dialog is open; null after.
  SSymView* GetPreview() const;

  // Handlers of the message map.
  virtual void OnSpinCopy(NMHDR* header, LRESULT* result);
  virtual void OnEditChangedCopy();
  virtual void OnAllPage();
  virtual void OnRange();
  virtual void OnSelection();
  virtual void OnFromChange();
  virtual void OnToChange();
  virtual void OnScaleSelectChange();
  virtual void OnScaleEditChange();
  virtual void OnFitToPage();
  virtual void OnPageTypeChange();
  virtual void OnCenterInPage();
  virtual void OnBlack();
  virtual void OnColor();
  virtual void OnPrinterChange();
  virtual void OnPrinterProperties();
  virtual void OnPrinterConfiguration();

  // The control table of the dialog.
  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void UpdatePages();
  void UpdatePrinterInfo();
  void FillPrinterList();
  void FillScaleList();
  void FillPageTypeList();
  void OnRangeChange(bool fromChanged);
  void ApplyScaleText(const SString& text);

 private:
  SSymDiagramImpl* Impl() const;
  // Takes a printer's new blocks: the record and the printer cache share
  // them, the cache's old ones freed once.
  void ShareBlocks(HGLOBAL devMode, HGLOBAL devNames);
  // Sets the cache's page size and the diagram's paper from a locked device
  // mode of `printer`; false (nothing changed) for a paper of no size.
  bool TakePaper(HANDLE printer, const DEVMODEW& mode);
  void RefreshAfterPrinter();
  bool Checked(SButtonCtrl& box) const { return box.m_hWnd && box.GetCheck() == BST_CHECKED; }
  void Enable(SWnd& control, bool on) {
    if (control.m_hWnd) control.EnableWindow(on ? TRUE : FALSE);
  }

  SSymPrintData& m_data;
  SSymView* m_pPreview = nullptr;
  HWND m_hPreview = nullptr;
  SSymViewEdit* m_pView;
  SComWrap<ISSymDiagram> m_diagram;
  SString m_printerName;
  bool m_bSaved = false;

  SEditCtrl m_copies;
  SSpinButtonCtrl m_copiesSpin;
  SButtonCtrl m_all, m_range, m_selected;
  SEditCtrl m_from, m_to;
  SStaticCtrl m_pageCount;
  SComboBoxCtrl m_scale;
  SButtonCtrl m_fit;
  SComboBoxCtrl m_pageType;
  SButtonCtrl m_center, m_frame, m_corner, m_black, m_color;
  SComboBoxCtrl m_printer;
  SButtonCtrl m_pageSetup, m_printerSetup;
  SStaticCtrl m_type, m_where, m_comment, m_paper, m_orientation, m_resolution;
};
