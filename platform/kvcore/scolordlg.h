// SColorDlg: the colour dialog's custom colours. The sixteen places the
// dialog offers are kept for the whole process: symbols add the colours they
// use when their format is read, so that the next colour dialog shows them.
#pragma once

#include "win/windef.h"

class SColorDlg {
 public:
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
};
