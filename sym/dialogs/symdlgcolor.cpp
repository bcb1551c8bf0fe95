#include "sym/dialogs/symdlgcolor.h"

#include <iterator>
#include <utility>
#include <vector>

#include "kvcore/sfiledlg.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/shapes/symshapemap.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

// What the picture sample says of a picture: its file's name, else its own.
SString PictureName(const SPictureInfo* picture) {
  const std::u16string& file = picture->GetFileName().str();
  const std::size_t slash = file.find_last_of(u"/\\");
  if (!file.empty()) return SString(slash == std::u16string::npos ? file : file.substr(slash + 1));
  return picture->GetName().IsEmpty() ? SString(u"(picture)") : picture->GetName();
}
// The mode combo's rows: text and display mode.
const struct {
  const char16_t* text;
  LONG mode;
} kModes[] = {{u"<None>", 12}, {u"Center", 8},        {u"Adjust", 10}, {u"Maximize", 11},    {u"Tile", 9},
              {u"Top Left", 0}, {u"Top", 1},          {u"Top Right", 2}, {u"Right", 3},       {u"Bottom Right", 4},
              {u"Bottom", 5},   {u"Bottom Left", 6},  {u"Left", 7}};

struct Templates {
  Templates() { SSymDlgColor::RegisterTemplates(); }
};
Templates s_templates;
}  // namespace

void SSymDlgColor::RegisterTemplates() {
  std::vector<SDlgItem> items = {
      {ColorGroupId, SDlgItemKind::Button, u" &Fill color ", 7, 4, 120, 84, kShown | BS_GROUPBOX},
      {FillId, SDlgItemKind::Button, u"&Fill color", 13, 4, 60, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
      {WellId, SDlgItemKind::ColorWell, u"", 13, 17, 108, 66, kShown | WS_TABSTOP},
      {-1, SDlgItemKind::Button, u"Fill effects", 133, 4, 122, 84, kShown | BS_GROUPBOX},
      {-1, SDlgItemKind::Static, u"Image:", 139, 15, 40, 8, kShown},
      {PictureSampleId, SDlgItemKind::Static, u"<None>", 139, 25, 50, 20, kShown | WS_BORDER},
      {PictureButtonId, SDlgItemKind::Button, u"M&odify...", 195, 25, 54, 14, kShown | WS_TABSTOP | WS_DISABLED},
      {-1, SDlgItemKind::Static, u"Display &mode:", 139, 48, 50, 8, kShown},
      {ModeId, SDlgItemKind::ComboBox, u"", 195, 46, 54, 12, kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST},
      {-1, SDlgItemKind::Static, u"Gradient:", 139, 62, 40, 8, kShown},
      {GradientSampleId, SDlgItemKind::Static, u"", 139, 70, 50, 14, kShown},
      {GradientButtonId, SDlgItemKind::Button, u"Mo&dify...", 195, 68, 54, 14, kShown | WS_TABSTOP},
  };
  SSymAddPreviewItems(items, 7, 92, 248, 48);
  SSymRegisterPageTemplates(
      {TemplateId, TemplateModeId, u"Fill", u"&Apply fill to symbols", u"Allow &users to modify symbol fill"}, 262,
      144, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymDlgColor, SSymDlgBase)
KV_ON_BN_CLICKED(SSymDlgColor::FillId, OnFillColor)
KV_ON_NOTIFY(CWN_CLICK, SSymDlgColor::WellId, OnColor)
KV_ON_BN_CLICKED(SSymDlgColor::GradientButtonId, OnChangeGradient)
KV_ON_BN_CLICKED(SSymDlgColor::PictureButtonId, OnChangeBitmap)
KV_ON_CONTROL(CBN_SELCHANGE, SSymDlgColor::ModeId, OnChangeBitmapMode)
KV_END_MESSAGE_MAP()

SSymDlgColor::SSymDlgColor(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId)
    : SSymDlgBase(templateId, format, allow) {
  SetHelpContext(HelpContext);
}

LONG SSymDlgColor::ModeOfRow(int row) {
  return row >= 0 && row < int(std::size(kModes)) ? kModes[row].mode : NoPicture;
}

int SSymDlgColor::RowOfMode(LONG mode) {
  for (int row = 0; row < int(std::size(kModes)); ++row)
    if (kModes[row].mode == mode) return row;
  return 0;
}

LONG SSymDlgColor::BrushKind(LONG fill, bool picture, bool gradient) {
  if (fill == 0) return SSymBrush::Hollow;
  if (picture && gradient) return SSymBrush::GradientPicture;
  if (gradient) return SSymBrush::Gradient;
  return picture ? SSymBrush::Picture : SSymBrush::Solid;
}

BOOL SSymDlgColor::OnInitDialog() {
  m_nCategory = SSymAllowOption::FILL;
  SSymDlgBase::OnInitDialog();
  const SSymFormatEx& f = *m_pFormat;
  m_gradientSample.SubclassDlgItem(UINT(GradientSampleId), this);
  const DWORD mask = m_pAllow ? m_pAllow->m_mask : 0x28;
  if (mask & 0x20) {
    if (f.m_fill == 2) ::SendDlgItemMessageW(m_hWnd, FillId, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
    SetCheck(FillId, f.m_fill == 2 ? BST_INDETERMINATE : f.m_fill == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemTextW(m_hWnd, ColorGroupId, u"");
  } else {
    ShowItems({FillId}, false);
  }
  // The background part from the brush.
  const SSymBrush& b = f.m_brush;
  m_picture.SetPicture(b.GetPicture());
  m_nMode = b.GetPicture() ? b.m_bitmapMode : NoPicture;
  m_gradient.style = b.m_gradientMode;
  m_gradient.start = SSymIsPlainColor(b.m_color.GetColor()) ? b.m_color.GetColor() : 0xFFFFFF;
  m_gradient.end = SSymIsPlainColor(b.m_endColor.GetColor()) ? b.m_endColor.GetColor() : 0x767676;
  m_gradientSample.SetGradient(m_gradient.start, m_gradient.end, m_gradient.style);
  ShowParts();
  SetupPreview();
  AttachDlgItem(WellId, &m_well);
  if (SSymIsPlainColor(b.m_color.GetColor())) m_well.SetColor(b.m_color.GetColor());
  if (CategoryImposed(SSymAllowOption::FILL))
    EnableItems({FillId, WellId, ModeId, PictureButtonId, GradientButtonId}, false);
  return TRUE;
}

void SSymDlgColor::FillModes() {
  ::SendDlgItemMessageW(m_hWnd, ModeId, CB_RESETCONTENT, 0, 0);
  const bool shown = m_pFormat->m_fill != 0 && m_picture.GetPicture();
  if (shown) {
    for (const auto& row : kModes) ::SendDlgItemMessageW(m_hWnd, ModeId, CB_ADDSTRING, 0, LPARAM(row.text));
    ::SendDlgItemMessageW(m_hWnd, ModeId, CB_SETCURSEL, WPARAM(RowOfMode(m_nMode)), 0);
  }
  EnableItems({ModeId}, shown);
}

void SSymDlgColor::ShowParts() {
  const bool filled = m_pFormat->m_fill != 0;
  const bool gradient = m_gradient.style != SSymDlgGradient::NoStyle && m_gradient.style != SSymDlgGradient::MixedStyle;
  ShowItems({GradientSampleId}, filled && gradient);
  ShowItems({PictureSampleId}, filled);
  EnableItems({PictureButtonId, GradientButtonId}, filled && !CategoryImposed(SSymAllowOption::FILL));
  SPictureInfo* picture = m_nMode == NoPicture ? nullptr : m_picture.GetPicture();
  ::SetDlgItemTextW(m_hWnd, PictureSampleId, picture ? PictureName(picture).c_str() : u"<None>");
  FillModes();
}

void SSymDlgColor::OnFillColor() {
  const UINT check = ::IsDlgButtonChecked(m_hWnd, FillId);
  m_pFormat->m_fill = check == BST_INDETERMINATE ? 2 : check == BST_CHECKED ? 1 : 0;
  ShowParts();
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgColor::OnColor(NMHDR* notify, LRESULT*) {
  if (!TakeWellColor(m_well, notify, m_pFormat->m_brush.m_color)) return;
  // The gradient starts from the fill colour.
  m_gradient.start = m_pFormat->m_brush.m_color.GetColor();
  m_gradientSample.SetGradient(m_gradient.start, m_gradient.end, m_gradient.style);
}

void SSymDlgColor::OnChangeGradient() {
  SSymGradientFill fill = m_gradient;
  const HRESULT hr = SSymEditGradient(this, fill);
  if (hr == E_INVALIDARG) {
    Refuse(SString(u"The gradient of the selected symbols cannot be edited: its style or colours are not valid."));
    return;
  }
  if (hr != S_OK) return;
  const bool same = fill.style == m_gradient.style && fill.start == m_gradient.start && fill.end == m_gradient.end;
  m_gradient = fill;
  m_gradientSample.SetGradient(fill.start, fill.end, fill.style);
  ShowParts();
  if (!same) BackgroundChanged();
}

void SSymDlgColor::OnChangeBitmapMode() {
  const int row = int(::SendDlgItemMessageW(m_hWnd, ModeId, CB_GETCURSEL, 0, 0));
  m_nMode = ModeOfRow(row);
  ShowParts();
  BackgroundChanged();
}

void SSymDlgColor::OnChangeBitmap() {
  const SString shown = m_picture.GetPicture() ? m_picture.GetPicture()->GetFileName() : SString();
  SPictureDlg picker(shown.IsEmpty() ? nullptr : shown.c_str(), this);
  if (picker.DoModal() != IDOK) return;
  const SString file = picker.GetPathName();
  SSymPictureManager manager;
  SPictureInfo* picture =
      file.IsEmpty() ? nullptr : manager.LoadPicture(SPictureInfo::GetTypeFromExtension(file), file, 0, SString());
  if (!picture) {
    Refuse(SString(u"The file cannot be used as the fill picture: it holds no picture this program can show."));
    return;
  }
  m_picture.SetPicture(picture);
  if (m_nMode == NoPicture) m_nMode = 8;  // Center
  ShowParts();
  BackgroundChanged();
}

void SSymDlgColor::StoreIntoFormat() {
  SSymBrush& b = m_pFormat->m_brush;
  b.SetPicture(m_nMode == NoPicture ? nullptr : m_picture.GetPicture());
  b.m_bitmapMode = m_nMode;
  // An undecided mixed gradient stays each symbol's own.
  if (m_gradient.style != SSymDlgGradient::MixedStyle) {
    const bool gradient = m_gradient.style != SSymDlgGradient::NoStyle;
    b.m_gradientMode = gradient ? m_gradient.style : 0;
    b.m_endColor = SSymColor(gradient ? m_gradient.end : 0x767676);
    b.m_style = BrushKind(m_pFormat->m_fill, b.GetPicture() != nullptr, gradient);
  }
}

void SSymDlgColor::BackgroundChanged() {
  m_bTouched = true;
  StoreIntoFormat();
  if (m_gradient.style != SSymDlgGradient::NoStyle && m_gradient.style != SSymDlgGradient::MixedStyle) {
    m_pFormat->m_brush.m_color = SSymColor(m_gradient.start);
    m_well.SetColor(m_gradient.start);
  }
  RefreshPreview();
  SetModified(TRUE);
}

BOOL SSymDlgColor::OnApply() {
  if (!SSymDlgBase::OnApply()) return FALSE;
  if (m_bTouched) StoreIntoFormat();
  return TRUE;
}
