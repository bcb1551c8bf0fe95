// SColorDlg: the colour dialog's custom colours. The sixteen places the
// dialog offers are kept for the whole process: symbols add the colours they
// use when their format is read, so that the next colour dialog shows them.
#pragma once

#include "win/commdlg.h"
#include "win/windef.h"

class SWnd;

class SColorDlg {
 public:
  // The colour dialog opened on a colour; DoModal shows it (ChooseColorW,
  // scripted: see win/commdlg.h) with the kept custom colours and answers
  // IDOK or IDCANCEL; GetColor reads the choice (the initial colour after
  // Cancel).
  explicit SColorDlg(COLORREF initial = 0, DWORD flags = 0, SWnd* parent = nullptr);
  virtual ~SColorDlg() = default;
  SColorDlg(const SColorDlg&) = delete;
  SColorDlg& operator=(const SColorDlg&) = delete;
  virtual int DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }
  CHOOSECOLORW m_cc{};

  static constexpr int CustomColorCount = 16;
  // The colour of a place never filled.
  static constexpr COLORREF UnsetColor = 0xFFFFFF;

  // Keeps a colour among the custom colours: a colour already there stays
  // where it is; a new one takes the next place in turn, the oldest being
  // replaced once all sixteen are in use. A word with its high byte set is
  // a mark (mixed, none), not a colour, and is not kept.
  static void AddCustomColor(COLORREF color);
  // The sixteen places, in order.
  static const COLORREF* GetCustomColors();
  // True when the colour is one of the kept ones.
  static bool IsCustomColor(COLORREF color);
  // Every place back to unset.
  static void ResetCustomColors();
 private:
  COLORREF m_custom[CustomColorCount] = {};
};
