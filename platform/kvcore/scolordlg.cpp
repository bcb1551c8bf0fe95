#include "kvcore/scolordlg.h"

namespace {
struct CustomColors {
  COLORREF colors[SColorDlg::CustomColorCount];
  bool used[SColorDlg::CustomColorCount];
  int next = 0;
  CustomColors() { Reset(); }
  void Reset() {
    for (int i = 0; i < SColorDlg::CustomColorCount; ++i) {
      colors[i] = SColorDlg::UnsetColor;
      used[i] = false;
    }
    next = 0;
  }
};
CustomColors& State() {
  static CustomColors state;
  return state;
}
}  // namespace

void SColorDlg::AddCustomColor(COLORREF color) {
  if (color & 0xFF000000u) return;
  CustomColors& s = State();
  for (int i = 0; i < CustomColorCount; ++i)
    if (s.used[i] && s.colors[i] == color) return;
  s.colors[s.next] = color;
  s.used[s.next] = true;
  s.next = (s.next + 1) % CustomColorCount;
}

const COLORREF* SColorDlg::GetCustomColors() { return State().colors; }

bool SColorDlg::IsCustomColor(COLORREF color) {
  const CustomColors& s = State();
  for (int i = 0; i < CustomColorCount; ++i)
    if (s.used[i] && s.colors[i] == color) return true;
  return false;
}

void SColorDlg::ResetCustomColors() { State().Reset(); }
