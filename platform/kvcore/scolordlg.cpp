#include "kvcore/scolordlg.h"

#include <algorithm>

#include "kvcore/swnd.h"

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

SColorDlg::SColorDlg(COLORREF initial, DWORD flags, SWnd* parent) {
  m_cc.lStructSize = sizeof m_cc;
  m_cc.hwndOwner = parent ? parent->GetSafeHwnd() : nullptr;
  m_cc.rgbResult = initial;
  m_cc.Flags = flags | CC_RGBINIT;
  m_cc.lpCustColors = m_custom;
}

int SColorDlg::DoModal() {
  std::copy(GetCustomColors(), GetCustomColors() + CustomColorCount, m_custom);
  const COLORREF initial = m_cc.rgbResult;
  if (::ChooseColorW(&m_cc)) return IDOK;
  m_cc.rgbResult = initial;
  return IDCANCEL;
}
