// The display preferences dialog of a diagram:
//
//   SSymDispPrefDlg      the "Display Preferences" dialog (template 106): a
//                        category list on the left, the chosen page on the
//                        right, OK, Cancel, Help and "Apply &To...";
//   SSymPrefBasePage     a page of it over the diagram's SSymDispPref, with
//                        the "&Default" (24000) and "&Set As Default"
//                        (24001) buttons: Default shows the user's defaults,
//                        Set As Default stores the page as the user's
//                        defaults, Apply (and OK) stores it in the diagram;
//   SSymPrefGeneralPage  the "General" page (template 140): window colour,
//                        unit, grid, page delimiter, labels, links, and the
//                        swimlane, tree orientation or darkening choice the
//                        diagram type supports.
//
// The pages write through SSymDispPref::SetValue. A write the preferences
// refuse is not taken for success: the page answers the first refusal's
// code, tells the person, and OK and Apply keep the dialog open. Writing the
// preferences into the diagram's attribute and redrawing are the owner's.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/slayoutmap.h"
#include "kvrep/sreptreepropdlg.h"
#include "sym/diagram/symdisppref.h"
#include "sym/symbol/symintfowner.h"

class SSymDispPrefDlg : public SRepTreePropDlg {
 public:
  static constexpr UINT TemplateId = 106;
  static constexpr int PageAreaId = 12368;
  static constexpr int FrameId = 1083;
  static constexpr int ApplyToId = 3;

  // The dialog for a diagram; its owner adds the pages.
  explicit SSymDispPrefDlg(ISSymDiagram* diagram, SWnd* parent = nullptr);
  ~SSymDispPrefDlg() override;

  // The unit of the first page that has one (a page answers -1 for none);
  // 2 (pixel) when no page has one.
  LONG GetGraphUnit() const;
  // "Apply &To...": nothing in this dialog; derived dialogs supply it.
  virtual void OnApplyTo() {}
  BOOL OnInitDialog() override;

  // The control table of template 106.
  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 private:
  void OnApplyToCommand() { OnApplyTo(); }
  SButtonCtrl m_applyTo;
  SLayoutMap m_layout;
};

class SSymPrefBasePage : public SPropertyPage {
 public:
  static constexpr int DefaultId = 24000;
  static constexpr int SetAsDefaultId = 24001;

  // A page on a diagram's repository object: SEConstructor ("Constructor
  // exception") when the object is null or not a diagram. The page reads
  // and writes the diagram's display preferences (none: every read and
  // write answers E_POINTER).
  SSymPrefBasePage(ISRepObject* object, UINT templateId);
  ~SSymPrefBasePage() override;

  BOOL OnInitDialog() override;
  // Shows the user's defaults (nothing reaches the diagram).
  virtual HRESULT GetDefault() { return InitDataCtrl(0); }
  // Stores the page as the user's defaults; a refused write is told.
  virtual HRESULT SetAsDefault();
  ISSymDiagram* GetSymDiagram() const { return m_diagram.Get(); }
  SSymDispPref* GetDispPref() const { return m_pPref; }
  // The graphic unit the page shows lengths in; -1 for a page without one.
  virtual LONG GetGraphUnit() const { return -1; }
  // Shows the diagram's values (current non-zero) or the user's defaults.
  virtual HRESULT InitDataCtrl(int current) = 0;
  // Writes the page into the diagram (apply non-zero) or the user's
  // defaults: S_OK, E_POINTER without preferences, or the first write the
  // preferences refused (as an HRESULT).
  virtual HRESULT CommitDataCtrl(int apply) = 0;
  // Stores the page in the diagram; FALSE, with the refusal told, keeps the
  // dialog open.
  BOOL OnApply() override;
  // The last refusal the page told (empty when none).
  const SString& GetRefusal() const { return m_refusal; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnGetDefault() { GetDefault(); }
  void OnSetAsDefault() { SetAsDefault(); }
  // Tells the person that a write was refused; the text is kept.
  void TellRefusal(HRESULT status);

  SSymDispPref* m_pPref = nullptr;
  SComWrap<ISSymDiagram> m_diagram;
  SString m_refusal;
};

class SSymPrefGeneralPage : public SSymPrefBasePage {
 public:
  static constexpr UINT TemplateId = 140;
  enum : int {
    ColorId = 1004,
    UnitGroupId = 999,
    InchId = 1068,
    MillimetreId = 1069,
    PixelId = 1070,
    GridGroupId = 1001,
    SnapGridId = 1002,
    DisplayGridId = 1006,
    SizeLabelId = 1000,
    SizeId = 1003,
    DiagramGroupId = 1009,
    ShowPageId = 1111,
    ConstrainLabelsId = 1146,
    LinksGroupId = 1049,
    IntersectId = 1170,
    AutoRoutingId = 1171,
    SwimGroupId = 1105,
    SwimlaneId = 1108,
    SwimHorzId = 1106,
    SwimVertId = 1107,
    TreeGroupId = 1137,
    TreeHorzId = 1138,
    TreeVertId = 1139,
    DarkGroupId = 1161,
    DarkLabelId = 1162,
    DarkId = 1163,
  };
  // The smallest grid the page shows and stores, in graphic units.
  static constexpr LONG MinGridSize = 800;

  explicit SSymPrefGeneralPage(ISRepObject* object);
  // A derived page on its own template and module state.
  SSymPrefGeneralPage(ISRepObject* object, UINT templateId, SModuleState* state);
  ~SSymPrefGeneralPage() override;

  BOOL OnInitDialog() override;
  HRESULT InitDataCtrl(int current) override;
  HRESULT CommitDataCtrl(int apply) override;
  LONG GetGraphUnit() const override { return m_data.m_nGraphUnit; }
  // The values the page holds.
  const SPrefDataGeneral& GetData() const { return m_data; }
  LONG GetCompDark() const { return m_nCompDark; }
  SLayoutMap& GetLayoutMap() { return m_layout; }

  // The control table of template 140.
  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnSnapGrid();
  void OnDispGrid();
  void OnShowPage() { m_data.m_bShowPage = m_showPage.GetCheck() == BST_CHECKED; }
  void OnShowIntersect() { m_data.m_bShowIntersect = m_intersect.GetCheck() == BST_CHECKED; }
  void OnAutoRouting();
  void OnConstrainLabels() { m_data.m_bConstrainLabels = m_constrain.GetCheck() == BST_CHECKED; }
  void OnInch() { SetUnit(0); }
  void OnMm() { SetUnit(1); }
  void OnPixel() { SetUnit(2); }
  void OnSwimlane();
  void OnSwimHorz() { m_data.m_bSwimlaneVert = m_swimHorz.GetCheck() != BST_CHECKED; }
  void OnSwimVert() { m_data.m_bSwimlaneVert = m_swimVert.GetCheck() == BST_CHECKED; }
  void OnTreeHorz() { m_data.m_bTreeVert = m_treeHorz.GetCheck() != BST_CHECKED; }
  void OnTreeVert() { m_data.m_bTreeVert = m_treeVert.GetCheck() == BST_CHECKED; }
  // A colour picked in the colour combo becomes the window colour.
  void OnClick();
  // The typed grid size, when it is a positive number, in graphic units.
  void OnKillFocusSize();

  SPrefDataGeneral m_data;
  LONG m_nCompDark = 0;

 private:
  void SetUnit(int unit);
  void ShowGridSize();
  SModuleState* m_pModuleState;
  SComboColorBox m_color;
  SButtonCtrl m_inch, m_mm, m_pixel;
  SButtonCtrl m_snap, m_display;
  SEditCtrl m_size;
  SButtonCtrl m_showPage, m_constrain, m_intersect, m_autoRouting;
  SButtonCtrl m_swimGroup, m_swimlane, m_swimHorz, m_swimVert;
  SButtonCtrl m_treeGroup, m_treeHorz, m_treeVert;
  SButtonCtrl m_darkGroup;
  SStaticCtrl m_darkLabel;
  SComboBoxCtrl m_dark;
  SLayoutMap m_layout;
};
