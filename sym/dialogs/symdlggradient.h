// The "Gradient Fill Options" dialog the fill page opens: the gradient on
// or off, a start and an end colour (or one colour and a luminosity for the
// end), and one of forty styles: five shading styles (the radio buttons)
// with eight variants each, every variant a sample window showing it.
//
// A mixed selection (style MixedStyle) opens with "E&nable gradient"
// indeterminate. Left so, OK keeps every symbol's own gradient: the answer
// is "undecided", never "off", which would strip them all.
#pragma once

#include "kvcore/sctrl.h"
#include "kvcore/sdlg.h"
#include "kvcore/sdrawbackground.h"
#include "win/windef.h"

// One variant's sample: a window showing its gradient between the two
// colours, framed, and marked when it is the chosen variant.
class SSymGradientSample : public SWnd {
 public:
  // The gradient shown over the whole client area.
  void SetGradient(COLORREF start, COLORREF end, LONG style);
  LONG GetStyle() const { return m_nStyle; }
  COLORREF GetStartColor() const { return m_crStart; }
  COLORREF GetEndColor() const { return m_crEnd; }
  void SetSelected(bool selected);
  bool IsSelected() const { return m_bSelected; }
  void OnPaint();
  KV_DECLARE_MESSAGE_MAP()

 private:
  COLORREF m_crStart = 0xFFFFFF;
  COLORREF m_crEnd = 0x767676;
  LONG m_nStyle = 0;
  bool m_bSelected = false;
};

class SSymDlgGradient : public SDlg {
 public:
  static constexpr UINT TemplateId = 135;
  static constexpr int EnableId = 1088;
  static constexpr int StartColorId = 1089;
  static constexpr int EndColorId = 1090;
  static constexpr int TwoColorsId = 1095;
  static constexpr int SliderId = 1096;
  static constexpr int DarkId = 1098;
  static constexpr int LightId = 1099;
  static constexpr int SliderValueId = 1101;
  static constexpr int EndLabelId = 1102;
  static constexpr int LuminosityLabelId = 1103;
  static constexpr int FirstSampleId = 1120;
  static constexpr int FirstRowId = 1130;
  static constexpr int RowCount = 5;
  static constexpr int VariantCount = 8;
  // No gradient, and the mark of a selection whose gradients differ.
  static constexpr LONG NoStyle = 0;
  static constexpr LONG MixedStyle = 65535;

  // The style codes by shading style (row) and variant.
  static LONG StyleAt(int row, int variant);
  // The row and variant of a style code; false for NoStyle, MixedStyle and
  // codes no variant has.
  static bool FindStyle(LONG style, int& row, int& variant);
  // S_OK when the dialog can be opened on these values: NoStyle, MixedStyle
  // or a code of the table, and two plain colours; E_INVALIDARG otherwise.
  static HRESULT CheckInput(LONG style, COLORREF start, COLORREF end);

  SSymDlgGradient(SWnd* parent, LONG style, COLORREF start, COLORREF end);
  ~SSymDlgGradient() override;

  // -1 with ERROR_INVALID_PARAMETER, nothing shown, for values CheckInput
  // refuses; otherwise as SDlg, under the library's module state.
  INT_PTR DoModal() override;
  BOOL Create(SWnd* parent = nullptr) override;
  using SDlg::Create;
  BOOL OnInitDialog() override;
  void OnOK() override;
  // Keys that move among the samples: Tab from a shading style (or Shift+Tab
  // from OK) to the chosen sample, Shift+Tab from it back to the checked
  // style, and Home, End and the arrows through the grid of samples (four to
  // a row), choosing as they go.
  BOOL PreTranslateMessage(MSG* msg) override;

  // ---- the answer (after OK) ----
  // "E&nable gradient" was checked.
  bool IsEnabled() const { return m_bEnabled; }
  // The box was left indeterminate: the selection keeps its own gradients.
  bool IsUndecided() const { return m_bUndecided; }
  int GetRow() const { return m_nRow; }
  LONG GetStyle() const { return m_nStyle; }
  COLORREF GetStartColor() const { return m_crStart; }
  COLORREF GetEndColor() const { return m_crEnd; }
  bool IsOneColorMode() const { return !m_bTwoColors; }
  const SSymGradientSample& GetSample(int variant) const { return m_samples[variant]; }

  static const SDlgTemplate& Template();

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnEnable();
  void OnTwoColors();
  void OnHScroll(UINT code, UINT pos, SWnd* bar);
  void OnStartColor(NMHDR* notify, LRESULT* result);
  void OnEndColor(NMHDR* notify, LRESULT* result);
  void OnRow(UINT id);
  void OnSample(UINT id);

 private:
  bool IsEnableChecked() const;
  void ApplyEnableRules();
  void ShowColorMode();
  void DrawSamples(int row);
  void SelectVariant(int variant, bool focus);
  int SelectedVariant() const;
  // The variant a navigation key leads to from `from`; -1 for another key.
  int StepVariant(int from, WPARAM key) const;
  // The end colour of one-colour mode: the start colour's hue and
  // saturation with the slider's luminosity.
  COLORREF OneColorEnd() const;
  static int LuminosityPos(COLORREF color);

  SButtonCtrl m_enable;
  SButtonCtrl m_twoColors;
  SColorWellCtrl m_startWell;
  SColorWellCtrl m_endWell;
  SSliderCtrl m_slider;
  SSymGradientSample m_samples[VariantCount];
  bool m_bEnabled = false;
  bool m_bUndecided = false;
  bool m_bTwoColors = true;
  int m_nRow = 0;
  LONG m_nStyle;
  COLORREF m_crStart;
  COLORREF m_crEnd;
};

// The gradient of a fill as the fill page keeps it.
struct SSymGradientFill {
  LONG style = SSymDlgGradient::NoStyle;
  COLORREF start = 0xFFFFFF;
  COLORREF end = 0x767676;
};

// Runs the gradient dialog on `fill` owned by `parent`. On OK: style
// NoStyle when the gradient was switched off, else the chosen style, with
// the chosen colours; an undecided mixed gradient keeps `fill` as it was.
// S_OK after OK, S_FALSE after Cancel (fill untouched), E_INVALIDARG for
// values the dialog refuses and E_FAIL when it cannot be made (both without
// showing it, fill untouched).
HRESULT SSymEditGradient(SWnd* parent, SSymGradientFill& fill);
