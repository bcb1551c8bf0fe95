#include "sym/dialogs/symdlggradient.h"

#include <cmath>

#include "kvcore/scolor.h"
#include "kvcore/smodulestate.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/foundation/sdsym.h"

namespace {

constexpr LONG kStyles[SSymDlgGradient::RowCount][SSymDlgGradient::VariantCount] = {
    {0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x22, 0x23},
    {0x40, 0x41, 0x42, 0x43, 0x80, 0x81, 0x82, 0x83},
    {0x100, 0x101, 0x200, 0x201, 0x103, 0x102, 0x800, 0x801},
    {0x400, 0x401, 0x402, 0x403, 0x404, 0x405, 0x406, 0x407},
    {0x1001, 0x1002, 0x1003, 0x1004, 0x1005, 0x1006, 0x1007, 0x1008},
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr int kSliderMax = 255;

struct Resources {
  Resources() { SRegisterDlgTemplate(SSymDlgGradient::Template()); }
  ~Resources() { SUnregisterDlgTemplate(SSymDlgGradient::TemplateId); }
};
Resources s_resources;

void Show(HWND dialog, int id, bool shown) { ::ShowWindow(::GetDlgItem(dialog, id), shown ? SW_SHOW : SW_HIDE); }
void Enable(HWND dialog, int id, bool enabled) { ::EnableWindow(::GetDlgItem(dialog, id), enabled ? TRUE : FALSE); }

}  // namespace

// ---- the samples ----------------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymGradientSample, SWnd)
KV_ON_WM_PAINT()
KV_END_MESSAGE_MAP()

void SSymGradientSample::SetGradient(COLORREF start, COLORREF end, LONG style) {
  m_crStart = start;
  m_crEnd = end;
  m_nStyle = style;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void SSymGradientSample::SetSelected(bool selected) {
  if (m_bSelected == selected) return;
  m_bSelected = selected;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

void SSymGradientSample::OnPaint() {
  SPaintDC dc(m_hWnd);
  if (!dc.GetSafeHdc()) return;
  RECT rc{};
  ::GetClientRect(m_hWnd, &rc);
  // The chosen variant is set off by a dark ring around a smaller sample.
  RECT inner = rc;
  if (m_bSelected) {
    HBRUSH ring = ::CreateSolidBrush(RGB(0, 0, 0));
    ::FrameRect(dc, &rc, ring);
    RECT second{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
    ::FrameRect(dc, &second, ring);
    ::DeleteObject(ring);
    inner = RECT{rc.left + 3, rc.top + 3, rc.right - 3, rc.bottom - 3};
  }
  SDrawGradient gradient;
  gradient.SetGradient(inner, inner, m_crStart, m_crEnd, int(m_nStyle), 1);
  gradient.Draw(&dc);
}

// ---- the dialog -----------------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymDlgGradient, SDlg)
KV_ON_BN_CLICKED(SSymDlgGradient::EnableId, OnEnable)
KV_ON_BN_CLICKED(SSymDlgGradient::TwoColorsId, OnTwoColors)
KV_ON_WM_HSCROLL()
KV_ON_NOTIFY(CWN_CLICK, SSymDlgGradient::StartColorId, OnStartColor)
KV_ON_NOTIFY(CWN_CLICK, SSymDlgGradient::EndColorId, OnEndColor)
KV_ON_COMMAND_RANGE(SSymDlgGradient::FirstRowId, SSymDlgGradient::FirstRowId + SSymDlgGradient::RowCount - 1, OnRow)
KV_ON_COMMAND_RANGE(SSymDlgGradient::FirstSampleId,
                    SSymDlgGradient::FirstSampleId + SSymDlgGradient::VariantCount - 1, OnSample)
KV_END_MESSAGE_MAP()

const SDlgTemplate& SSymDlgGradient::Template() {
  static const SDlgTemplate t = [] {
    SDlgTemplate d{TemplateId,
                   u"Gradient Fill Options",
                   u"MS Shell Dlg",
                   8,
                   292,
                   206,
                   {
                       {EnableId, SDlgItemKind::Button, u"E&nable gradient", 7, 7, 100, 10,
                        kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
                       {-1, SDlgItemKind::Static, u"&Start color:", 7, 22, 60, 8, kShown},
                       {StartColorId, SDlgItemKind::ColorWell, u"", 7, 32, 60, 72, kShown | WS_TABSTOP},
                       {EndLabelId, SDlgItemKind::Static, u"&End color:", 75, 22, 60, 8, kShown},
                       {LuminosityLabelId, SDlgItemKind::Static, u"&End color luminosity:", 75, 22, 80, 8, kShown},
                       {EndColorId, SDlgItemKind::ColorWell, u"", 75, 32, 60, 72, kShown | WS_TABSTOP},
                       {SliderId, SDlgItemKind::Slider, u"", 75, 44, 80, 14, kShown | WS_TABSTOP | TBS_HORZ},
                       {DarkId, SDlgItemKind::Static, u"Dark", 75, 60, 20, 8, kShown},
                       {LightId, SDlgItemKind::Static, u"Light", 135, 60, 20, 8, kShown},
                       {SliderValueId, SDlgItemKind::Static, u"", 105, 60, 20, 8, kShown | SS_CENTER},
                       {TwoColorsId, SDlgItemKind::Button, u"Use &two colors", 7, 110, 100, 10,
                        kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
                       {-1, SDlgItemKind::Static, u"Shading st&yle:", 7, 126, 80, 8, kShown},
                       {FirstRowId, SDlgItemKind::Button, u"&Horizontal and vertical", 7, 136, 100, 10,
                        kShown | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
                       {FirstRowId + 1, SDlgItemKind::Button, u"&Diagonal", 7, 148, 100, 10,
                        kShown | BS_AUTORADIOBUTTON},
                       {FirstRowId + 2, SDlgItemKind::Button, u"&Center and corner", 7, 160, 100, 10,
                        kShown | BS_AUTORADIOBUTTON},
                       {FirstRowId + 3, SDlgItemKind::Button, u"3D &button", 7, 172, 100, 10,
                        kShown | BS_AUTORADIOBUTTON},
                       {FirstRowId + 4, SDlgItemKind::Button, u"&Gradient button", 7, 184, 100, 10,
                        kShown | BS_AUTORADIOBUTTON},
                       {-1, SDlgItemKind::Static, u"Gradient &mode:", 165, 7, 80, 8, kShown},
                   }};
    // Four samples to a row, two rows.
    for (int i = 0; i < VariantCount; ++i)
      d.items.push_back({FirstSampleId + i, SDlgItemKind::Button, u"", 165 + (i % 4) * 30, 18 + (i / 4) * 30, 26,
                         26, kShown | WS_TABSTOP | (i == 0 ? WS_GROUP : 0)});
    d.items.push_back({IDOK, SDlgItemKind::Button, u"OK", 181, 186, 50, 14, kShown | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON});
    d.items.push_back({IDCANCEL, SDlgItemKind::Button, u"Cancel", 235, 186, 50, 14, kShown | WS_TABSTOP});
    return d;
  }();
  return t;
}

LONG SSymDlgGradient::StyleAt(int row, int variant) {
  if (row < 0 || row >= RowCount || variant < 0 || variant >= VariantCount) return NoStyle;
  return kStyles[row][variant];
}

bool SSymDlgGradient::FindStyle(LONG style, int& row, int& variant) {
  if (style == NoStyle || style == MixedStyle) return false;
  for (int r = 0; r < RowCount; ++r)
    for (int v = 0; v < VariantCount; ++v)
      if (kStyles[r][v] == style) {
        row = r;
        variant = v;
        return true;
      }
  return false;
}

HRESULT SSymDlgGradient::CheckInput(LONG style, COLORREF start, COLORREF end) {
  int row = 0, variant = 0;
  const bool known = style == NoStyle || style == MixedStyle || FindStyle(style, row, variant);
  return known && SSymIsPlainColor(start) && SSymIsPlainColor(end) ? S_OK : E_INVALIDARG;
}

SSymDlgGradient::SSymDlgGradient(SWnd* parent, LONG style, COLORREF start, COLORREF end)
    : SDlg(TemplateId, parent), m_nStyle(style), m_crStart(start), m_crEnd(end) {}

SSymDlgGradient::~SSymDlgGradient() {
  // The controls bound to the window are members: the window goes while
  // they are still there to be let go.
  if (m_hWnd) DestroyWindow();
}

INT_PTR SSymDlgGradient::DoModal() {
  if (FAILED(CheckInput(m_nStyle, m_crStart, m_crEnd))) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  SSetModuleState module(SSymGetModuleState());
  return SDlg::DoModal();
}

BOOL SSymDlgGradient::Create(SWnd* parent) {
  if (FAILED(CheckInput(m_nStyle, m_crStart, m_crEnd))) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SSetModuleState module(SSymGetModuleState());
  return SDlg::Create(parent);
}

int SSymDlgGradient::LuminosityPos(COLORREF color) {
  double h = 0, s = 0, l = 0;
  SColor(color).GetHSLColor(h, s, l);
  return int(l * kSliderMax + 0.5);
}

COLORREF SSymDlgGradient::OneColorEnd() const {
  double h = 0, s = 0, l = 0;
  SColor(m_crStart).GetHSLColor(h, s, l);
  SColor end;
  end.SetHSLColor(h, s, double(m_slider.GetPos()) / kSliderMax);
  return end.GetColor();
}

BOOL SSymDlgGradient::OnInitDialog() {
  AttachDlgItem(EnableId, &m_enable);
  AttachDlgItem(TwoColorsId, &m_twoColors);
  AttachDlgItem(StartColorId, &m_startWell);
  AttachDlgItem(EndColorId, &m_endWell);
  AttachDlgItem(SliderId, &m_slider);
  for (int i = 0; i < VariantCount; ++i) m_samples[i].SubclassDlgItem(UINT(FirstSampleId + i), this);
  m_startWell.SetColor(m_crStart);
  m_endWell.SetColor(m_crEnd);

  m_slider.SetRange(0, kSliderMax);
  m_slider.SetLineSize(1);
  m_slider.SetPageSize(10);
  m_slider.SetTicFreq(16);
  const int pos = LuminosityPos(m_crEnd);
  m_slider.SetPos(pos);
  ::SetDlgItemInt(m_hWnd, SliderValueId, UINT(pos), FALSE);

  // One colour when the end is the start in another luminosity.
  double h1 = 0, s1 = 0, l1 = 0, h2 = 0, s2 = 0, l2 = 0;
  SColor(m_crStart).GetHSLColor(h1, s1, l1);
  SColor(m_crEnd).GetHSLColor(h2, s2, l2);
  m_bTwoColors = !(h1 == h2 && s1 == s2);
  m_twoColors.SetCheck(m_bTwoColors ? BST_CHECKED : BST_UNCHECKED);
  ShowColorMode();

  int row = 0, variant = 0;
  if (!FindStyle(m_nStyle, row, variant)) row = variant = 0;
  m_nRow = row;
  ::CheckRadioButton(m_hWnd, FirstRowId, FirstRowId + RowCount - 1, FirstRowId + row);
  DrawSamples(row);
  SelectVariant(variant, false);

  m_bEnabled = m_nStyle != NoStyle && m_nStyle != MixedStyle;
  if (m_nStyle == MixedStyle) {
    m_enable.SetButtonStyle(BS_AUTO3STATE);
    m_enable.SetCheck(BST_INDETERMINATE);
  } else {
    m_enable.SetCheck(m_bEnabled ? BST_CHECKED : BST_UNCHECKED);
  }
  ApplyEnableRules();
  return TRUE;
}

bool SSymDlgGradient::IsEnableChecked() const { return m_enable.GetCheck() == BST_CHECKED; }

void SSymDlgGradient::ShowColorMode() {
  const bool two = m_bTwoColors;
  for (int id : {LuminosityLabelId, SliderId, DarkId, LightId, SliderValueId}) Show(m_hWnd, id, !two);
  Show(m_hWnd, EndLabelId, two);
  Show(m_hWnd, EndColorId, two);
  const bool on = IsEnableChecked();
  Enable(m_hWnd, SliderId, on && !two);
  Enable(m_hWnd, EndColorId, on && two);
}

void SSymDlgGradient::ApplyEnableRules() {
  const bool on = IsEnableChecked();
  Enable(m_hWnd, StartColorId, on);
  Enable(m_hWnd, TwoColorsId, on);
  Enable(m_hWnd, EndColorId, on && m_bTwoColors);
  Enable(m_hWnd, SliderId, on && !m_bTwoColors);
  for (int r = 0; r < RowCount; ++r) Enable(m_hWnd, FirstRowId + r, on);
  if (on) {
    DrawSamples(m_nRow);
  } else {
    for (auto& sample : m_samples) sample.ShowWindow(SW_HIDE);
  }
}

void SSymDlgGradient::DrawSamples(int row) {
  for (int i = 0; i < VariantCount; ++i) {
    SSymGradientSample& sample = m_samples[i];
    const LONG code = StyleAt(row, i);
    if (code > 0) sample.SetGradient(m_crStart, m_crEnd, code);
    sample.ShowWindow(code > 0 ? SW_SHOW : SW_HIDE);
    sample.EnableWindow(code >= 1 ? TRUE : FALSE);
    ::InvalidateRect(sample.m_hWnd, nullptr, TRUE);
  }
}

void SSymDlgGradient::SelectVariant(int variant, bool focus) {
  for (int i = 0; i < VariantCount; ++i) m_samples[i].SetSelected(i == variant);
  if (focus && variant >= 0 && variant < VariantCount && ::GetFocus() != m_samples[variant].m_hWnd)
    m_samples[variant].SetFocus();
}

int SSymDlgGradient::SelectedVariant() const {
  for (int i = 0; i < VariantCount; ++i)
    if (m_samples[i].IsSelected()) return i;
  return -1;
}

int SSymDlgGradient::StepVariant(int from, WPARAM key) const {
  constexpr int kColumns = 4;
  int n = 0;
  for (int i = 0; i < VariantCount; ++i) n += StyleAt(m_nRow, i) != NoStyle ? 1 : 0;
  if (n == 0) return -1;
  const int column = from % kColumns;
  switch (key) {
    case VK_HOME: return 0;
    case VK_END: return n - 1;
    case VK_LEFT: return column > 0 ? from - 1 : from;
    case VK_RIGHT: return column + 1 < kColumns && from + 1 < n ? from + 1 : from;
    case VK_UP: return from >= kColumns ? from - kColumns : from;
    case VK_DOWN: return from + kColumns < n ? from + kColumns : from;
    default: return -1;
  }
}

BOOL SSymDlgGradient::PreTranslateMessage(MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN || !m_hWnd) return SDlg::PreTranslateMessage(msg);
  const HWND focus = ::GetFocus();
  const int selected = SelectedVariant();
  const HWND sample = selected >= 0 ? m_samples[selected].m_hWnd : nullptr;
  const bool sampleUsable = sample && ::IsWindowVisible(sample) && ::IsWindowEnabled(sample);
  if (msg->wParam == VK_TAB) {
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    const int focusId = focus && ::GetParent(focus) == m_hWnd ? ::GetDlgCtrlID(focus) : 0;
    const bool onRow = focusId >= FirstRowId && focusId < FirstRowId + RowCount;
    if (sampleUsable && ((!shift && onRow) || (shift && focusId == IDOK))) {
      ::SetFocus(sample);
      return TRUE;
    }
    if (shift && focus && focus == sample) {
      for (int r = 0; r < RowCount; ++r)
        if (::IsDlgButtonChecked(m_hWnd, FirstRowId + r) == BST_CHECKED) {
          ::SetFocus(::GetDlgItem(m_hWnd, FirstRowId + r));
          return TRUE;
        }
    }
  } else if (sampleUsable && focus == sample) {
    const int next = StepVariant(selected, msg->wParam);
    if (next >= 0) {
      SelectVariant(next, true);
      return TRUE;
    }
  }
  return SDlg::PreTranslateMessage(msg);
}

void SSymDlgGradient::OnEnable() { ApplyEnableRules(); }

void SSymDlgGradient::OnTwoColors() {
  m_bTwoColors = m_twoColors.GetCheck() == BST_CHECKED;
  ShowColorMode();
  if (!m_bTwoColors) {
    m_crEnd = OneColorEnd();
    m_endWell.SetColor(m_crEnd);
    DrawSamples(m_nRow);
  }
}

void SSymDlgGradient::OnHScroll(UINT code, UINT, SWnd* bar) {
  if (!bar || bar->m_hWnd != m_slider.m_hWnd || code > TB_ENDTRACK) return;
  ::SetDlgItemInt(m_hWnd, SliderValueId, UINT(m_slider.GetPos()), FALSE);
  const COLORREF end = OneColorEnd();
  if (end == m_crEnd) return;
  m_crEnd = end;
  m_endWell.SetColor(end);
  DrawSamples(m_nRow);
}

void SSymDlgGradient::OnStartColor(NMHDR* notify, LRESULT*) {
  COLORREF color = m_crStart;
  if (!SSymPickWellColor(m_startWell, SSymWellClickedCell(notify), m_crStart, this, color) || color == m_crStart)
    return;
  m_crStart = color;
  if (!m_bTwoColors) {
    m_crEnd = OneColorEnd();
    m_endWell.SetColor(m_crEnd);
  }
  DrawSamples(m_nRow);
}

void SSymDlgGradient::OnEndColor(NMHDR* notify, LRESULT*) {
  COLORREF color = m_crEnd;
  if (!SSymPickWellColor(m_endWell, SSymWellClickedCell(notify), m_crEnd, this, color) || color == m_crEnd) return;
  m_crEnd = color;
  const int pos = LuminosityPos(color);
  m_slider.SetPos(pos);
  ::SetDlgItemInt(m_hWnd, SliderValueId, UINT(pos), FALSE);
  DrawSamples(m_nRow);
}

void SSymDlgGradient::OnRow(UINT id) {
  const int row = int(id) - FirstRowId;
  if (row == m_nRow) return;
  m_nRow = row;
  DrawSamples(row);
  SelectVariant(0, false);
}

void SSymDlgGradient::OnSample(UINT id) { SelectVariant(int(id) - FirstSampleId, false); }

void SSymDlgGradient::OnOK() {
  const int check = m_enable.GetCheck();
  m_bEnabled = check == BST_CHECKED;
  // Indeterminate at the end: the person decided nothing about the mixed
  // gradients, and each symbol keeps its own.
  m_bUndecided = check == BST_INDETERMINATE;
  bool anyRow = false;
  for (int r = 0; r < RowCount; ++r) anyRow = anyRow || ::IsDlgButtonChecked(m_hWnd, FirstRowId + r) == BST_CHECKED;
  const int variant = SelectedVariant();
  if (!m_bUndecided) m_nStyle = anyRow && variant >= 0 ? StyleAt(m_nRow, variant) : NoStyle;
  SDlg::OnOK();
}

HRESULT SSymEditGradient(SWnd* parent, SSymGradientFill& fill) {
  if (FAILED(SSymDlgGradient::CheckInput(fill.style, fill.start, fill.end))) return E_INVALIDARG;
  SSymDlgGradient dialog(parent, fill.style, fill.start, fill.end);
  const INT_PTR answer = dialog.DoModal();
  if (answer == -1) return E_FAIL;
  if (answer != IDOK) return S_FALSE;
  if (dialog.IsUndecided()) return S_OK;
  fill.style = dialog.IsEnabled() ? dialog.GetStyle() : SSymDlgGradient::NoStyle;
  fill.start = dialog.GetStartColor();
  fill.end = dialog.GetEndColor();
  return S_OK;
}
