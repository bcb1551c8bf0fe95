// The layout dialog: before the selection's layout command lays out a
// diagram, the user picks the style, its placement (orientation, or shape
// for the circular style), whether synonyms may be moved to free space, and
// whether the selected symbols or all symbols are laid out.
//
//   SSymAutoLayoutDlgCtrl  the dialog's logic: which styles and placements
//                          the diagram's kind of layout offers, the user's
//                          last choices per style and per scope while the
//                          dialog is open, the chosen options of the run;
//   SSymAutoLayoutDlg      the modal dialog (template 138, "Auto-Layout")
//                          over a controller;
//   SSymLayoutSel          the small dialog that only asks whether all
//                          symbols or the selected ones are meant
//                          (templates 530 and 533);
//   SSymAutoLayoutCommand  the layout command: the dialog, then the run.
//
// "&Default" brings back the user's stored defaults and "Set As D&efault"
// stores the current choice (SSymAutoLayout::SetOptionsToRegistry); nothing
// else the dialog does lasts beyond it.
#pragma once

#include <memory>

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/sdlg.h"
#include "kvcore/slayoutmap.h"
#include "kvcore/sstring.h"
#include "kvcore/stree.h"
#include "sym/layout/symautolayout.h"

// What the caller tells the dialog: the diagram (counted), two flags of the
// caller's (either one set keeps "&All symbols" from being chosen), and the
// number of selected symbols (0 keeps "&Selected symbols" from being chosen
// and chooses all symbols).
struct SSymAutoLayoutDlgCtrlSetting {
  SSymAutoLayoutDlgCtrlSetting() = default;
  SSymAutoLayoutDlgCtrlSetting(ISSymDiagram* diagram, BYTE flag1, LONG selected, BYTE flag2)
      : m_pDiagram(diagram), m_bFlag1(flag1), m_nSelected(selected), m_bFlag2(flag2) {}

  SComWrap<ISSymDiagram> m_pDiagram;
  BYTE m_bFlag1 = 0;
  LONG m_nSelected = 0;
  BYTE m_bFlag2 = 0;
};

// Orders synonym keys by style, then scope.
struct SSymAllowSynonymsKeyOrder {
  int operator()(const SSymAllowSynonymsKey& a, const SSymAllowSynonymsKey& b) const {
    if (a.m_style != b.m_style) return a.m_style < b.m_style ? -1 : 1;
    if ((a.m_bWholeDiagram != 0) != (b.m_bWholeDiagram != 0)) return a.m_bWholeDiagram ? 1 : -1;
    return 0;
  }
};

class SSymAutoLayoutDlgCtrl {
 public:
  using Style = SSymAutoLayoutStyle::Style;
  using Placement = SSymAutoLayoutPlacement::Placement;

  // Keeps the setting and asks the diagram for its layout object (none
  // without a diagram); the last placements and synonym choices start from
  // the option table's defaults, without the user's stored ones.
  explicit SSymAutoLayoutDlgCtrl(const SSymAutoLayoutDlgCtrlSetting& setting);
  virtual ~SSymAutoLayoutDlgCtrl();
  SSymAutoLayoutDlgCtrl(const SSymAutoLayoutDlgCtrl&) = delete;
  SSymAutoLayoutDlgCtrl& operator=(const SSymAutoLayoutDlgCtrl&) = delete;

  // Without a layout object every query answers a neutral value: style 0,
  // placement TopToBottom, false, empty lists.
  // The user's stored style when asked for, valid and offered, else the
  // option table's default style.
  virtual Style GetDefaultStyle(bool fromRegistry) const;
  virtual void GetAvailableStyles(SList<Style>& out) const;
  // False, and the options as they were, for a number that is no style.
  virtual bool SetStyle(LONG style);
  // The style's display name; empty for a number that is no style.
  virtual SString GetStyleName(LONG style) const;
  virtual Placement GetDefaultPlacement(LONG style, bool fromRegistry) const;
  // The last placement chosen for the style while the dialog is open, else
  // its default placement (the user's stored one when valid).
  virtual Placement GetLastPlacement(LONG style) const;
  // The style's placements; `label` the text of the placement label
  // ("Shape :" for the circular style, else "Orientation :").
  virtual void GetAvailablePlacements(LONG style, SList<Placement>& out, SString& label) const;
  // False, and the options as they were, for a number that is no placement
  // (None, for a style without placements, is one).
  virtual bool SetPlacement(LONG placement);
  // Replaces a style's stored last placement; adds none.
  virtual void SetLastPlacement(LONG style, LONG placement);
  // Stores the current placement as the current style's last one.
  virtual void UpdateLastPlacement();
  virtual bool IsAllowSynonymsAvailable(const SSymAllowSynonymsKey& key) const;
  virtual bool IsAllowSynonyms(const SSymAllowSynonymsKey& key, bool fromRegistry) const;
  virtual bool GetLastAllowSynonyms(const SSymAllowSynonymsKey& key) const;
  // Sets the synonyms flag of one scope (whole: all symbols).
  virtual void SetAllowSynonyms(bool whole, bool allow);
  // Replaces a key's stored last choice; adds none.
  virtual void SetLastAllowSynonyms(const SSymAllowSynonymsKey& key, bool allow);
  // Stores the current scope's synonyms flag under (style, scope).
  virtual void UpdateLastAllowSynonyms();
  // "&Selected symbols" is disabled (nothing selected).
  virtual bool IsDisableSelSym() const { return m_nSelected == 0; }
  // "&All symbols" is disabled (either flag of the setting).
  virtual bool IsDisableAllSym() const { return m_bFlag1 != 0 || m_bFlag2 != 0; }
  // All symbols are meant at first (nothing selected).
  virtual bool IsSelectAllSym() const { return m_nSelected == 0; }
  virtual void SetIsSelectAllSym(bool all) { m_options.m_bWholeDiagram = all ? 1 : 0; }
  virtual SSymAutoLayoutParam::SOptions GetResultOptions() const { return m_options; }
  // Stores the current options as the user's defaults of the diagram's kind
  // of layout: the status of the writes; E_FAIL without a layout object,
  // CO_E_OBJNOTCONNECTED (nothing written) when the diagram was deleted.
  virtual LONG SetOptionsAsDefault();

  ISSymDiagram* GetDiagram() const { return m_pDiagram; }
  // True when there is a diagram and it was not deleted.
  bool IsDiagramAlive() const;
  const SSymAutoLayout* GetLayout() const { return m_pLayout.get(); }

 private:
  ISSymDiagram* m_pDiagram = nullptr;
  BYTE m_bFlag1 = 0;
  LONG m_nSelected = 0;
  BYTE m_bFlag2 = 0;
  SSymAutoLayoutParam::SOptions m_options;
  SMap<Style, Placement> m_lastPlacements;
  SMap<SSymAllowSynonymsKey, bool, SSymAllowSynonymsKeyOrder> m_lastSynonyms;
  SMap<Style, SString> m_styleNames;
  std::unique_ptr<SSymAutoLayout> m_pLayout;
};

class SSymAutoLayoutDlg : public SDlg {
 public:
  // The template the layout command uses, and the ids of its controls.
  static constexpr UINT TemplateId = 138;
  static constexpr int AllSymbolsId = 667;
  static constexpr int SelectedSymbolsId = 668;
  static constexpr int HelpId = 1145;
  static constexpr int PlacementId = 1152;
  static constexpr int DefaultId = 1153;
  static constexpr int SetDefaultId = 1154;
  static constexpr int SynonymsId = 1155;
  static constexpr int PlacementLabelId = 1156;
  static constexpr int StylesId = 1157;
  static constexpr int StyleLabelId = 1158;
  static constexpr int PlacementGroupId = 1159;
  static constexpr int ScopeGroupId = 1160;
  // The style images (seven, 48 pixels wide, in style order) and the help
  // context of the dialog.
  static constexpr UINT StyleBitmapId = 149;
  static constexpr int StyleImageWidth = 48;
  static constexpr DWORD HelpContext = 6050;

  SSymAutoLayoutDlg(int templateId, const SSymAutoLayoutDlgCtrlSetting& setting);
  ~SSymAutoLayoutDlg() override;

  // The chosen options (valid after OK).
  virtual SSymAutoLayoutParam::SOptions GetResultOptions() const { return m_ctrl.GetResultOptions(); }
  virtual SLayoutMap& GetLayoutMap() { return m_layoutMap; }
  // Widens the dialog so that the style icons fit in one row (never
  // narrows it), and lets the list, the combo and the group boxes grow with
  // it and the bottom buttons follow its right edge.
  virtual void InitSize();
  virtual void OnDefault();
  virtual void OnSetDefault();
  virtual void OnChangeScope();
  virtual void OnChangeAllowSynonyms();
  virtual void OnChangePlacement();
  // The list's item changed: 0 in *result when it became selected and
  // focused (then the placement and the synonyms box show that style's last
  // choices), else E_FAIL and nothing else happens.
  virtual void OnChangeStyle(NMHDR* notify, LRESULT* result);
  virtual void UpdateStyleStatus();
  virtual SSymAutoLayoutStyle::Style UpdateStyle(bool fromRegistry);
  virtual void UpdatePlacementStatus(LONG style);
  virtual void UpdatePlacement(LONG style, bool useDefault, bool fromRegistry);
  virtual void UpdateAllowSynonymsStatus(const SSymAllowSynonymsKey& key);
  virtual void UpdateAllowSynonyms(const SSymAllowSynonymsKey& key, bool useDefault, bool fromRegistry);
  // Reads the controls into the controller's options.
  virtual void SaveCurrentData();

  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnHelp() override { SDlg::OnHelp(); }

  SSymAutoLayoutDlgCtrl& GetCtrl() { return m_ctrl; }

  // The control tables of the templates (138; 530 and 533 are
  // SSymLayoutSel's), registered when the library loads.
  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 private:
  void OnHelpClicked() { OnHelp(); }
  void OnChangeStyleNotify(NMHDR* notify, LRESULT* result) { OnChangeStyle(notify, result); }
  bool IsControlChecked(int id) const;
  // Empties a combo box by deleting its first entry once per entry.
  static void ClearCombobox(SComboBoxCtrl& combo);

  SLayoutMap m_layoutMap;
  SListViewCtrl m_styles;
  HIMAGELIST m_images = nullptr;
  SComboBoxCtrl m_placement;
  SButtonCtrl m_synonyms;
  SStaticCtrl m_placementLabel;
  SButtonCtrl m_allSymbols;
  SButtonCtrl m_selectedSymbols;
  SButtonCtrl m_default;
  SButtonCtrl m_setDefault;
  SSymAutoLayoutDlgCtrl m_ctrl;
  // The handlers wait until the controls are attached: selecting the
  // first style while the dialog starts notifies before that.
  bool m_bReady = false;
};

class SSymLayoutSel : public SDlg {
 public:
  static constexpr UINT LayoutTemplateId = 530;
  static constexpr UINT LinkTemplateId = 533;

  // The template (530 or 533) and whether "&All symbols" may be chosen.
  SSymLayoutSel(int templateId, int allowAll);
  ~SSymLayoutSel() override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  // 1 when all symbols were chosen (after OK), else 0.
  DWORD GetResult() const { return m_nResult; }

  static const SDlgTemplate& Template(UINT id);

 private:
  SButtonCtrl m_allSymbols;
  SButtonCtrl m_selectedSymbols;
  int m_bAllowAll;
  DWORD m_nResult = 0;
};

// The selection's layout command: shows the layout dialog for the diagram
// and the selected symbols and, on OK, lays out the selected symbols, or
// the whole diagram when the user chose all symbols or nothing is
// selected, with the chosen options as one undo step. S_OK when the layout
// ran, S_FALSE when the user cancelled or the diagram did not lay itself
// out; E_POINTER without a diagram; CO_E_OBJNOTCONNECTED when the diagram
// is deleted (also while the dialog was open: nothing is laid out);
// E_INVALIDARG when a selected symbol is null, deleted or not the
// diagram's (the dialog is not shown).
HRESULT SSymAutoLayoutCommand(ISSymDiagram* diagram, const SComTable<ISSymbol>& selected);
// The run of a choice made in the dialog: the options with the automatic
// flag clear, over the selected symbols unless the options ask for the
// whole diagram or nothing is selected. The same answers as the command.
HRESULT SSymRunChosenLayout(ISSymDiagram* diagram, const SSymAutoLayoutParam::SOptions& chosen,
                            const SComTable<ISSymbol>& selected);
