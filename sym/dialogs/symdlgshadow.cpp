#include "sym/dialogs/symdlgshadow.h"

#include <utility>
#include <vector>

#include "sym/dialogs/symcolorwell.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr int kRadios[] = {SSymDlgShadow::NoneId, SSymDlgShadow::StandardId, SSymDlgShadow::ThreeDId,
                           SSymDlgShadow::GradientId};

struct Templates {
  Templates() { SSymDlgShadow::RegisterTemplates(); }
};
Templates s_templates;
}  // namespace

void SSymDlgShadow::RegisterTemplates() {
  constexpr DWORD kRadio = kShown | WS_TABSTOP | BS_AUTORADIOBUTTON;
  std::vector<SDlgItem> items = {
      {-1, SDlgItemKind::Button, u" Shadow st&yle ", 7, 4, 120, 72, kShown | BS_GROUPBOX},
      {NoneId, SDlgItemKind::Button, u"&None", 13, 16, 100, 10, kRadio | WS_GROUP},
      {StandardId, SDlgItemKind::Button, u"&Standard", 13, 30, 100, 10, kRadio},
      {ThreeDId, SDlgItemKind::Button, u"&3D effect", 13, 44, 100, 10, kRadio},
      {GradientId, SDlgItemKind::Button, u"&Gradient", 13, 58, 100, 10, kRadio},
      {ColorGroupId, SDlgItemKind::Button, u" Shadow &color ", 133, 4, 122, 72, kShown | BS_GROUPBOX | WS_GROUP},
      {WellId, SDlgItemKind::ColorWell, u"", 139, 15, 110, 56, kShown | WS_TABSTOP},
  };
  SSymAddPreviewItems(items, 7, 80, 248, 60);
  SSymRegisterPageTemplates(
      {TemplateId, TemplateModeId, u"Shadow", u"&Apply shadow to symbols", u"Allow &users to modify symbol shadow"},
      262, 144, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymDlgShadow, SSymDlgBase)
KV_ON_BN_CLICKED(SSymDlgShadow::NoneId, OnShadow)
KV_ON_BN_CLICKED(SSymDlgShadow::StandardId, OnShadow)
KV_ON_BN_CLICKED(SSymDlgShadow::ThreeDId, OnShadow)
KV_ON_BN_CLICKED(SSymDlgShadow::GradientId, OnShadow)
KV_ON_NOTIFY(CWN_CLICK, SSymDlgShadow::WellId, OnColor)
KV_END_MESSAGE_MAP()

SSymDlgShadow::SSymDlgShadow(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId)
    : SSymDlgBase(templateId, format, allow) {
  SetHelpContext(HelpContext);
}

BOOL SSymDlgShadow::OnInitDialog() {
  m_nCategory = SSymAllowOption::SHADOW;
  SSymDlgBase::OnInitDialog();
  const LONG style = m_pFormat->m_shadowStyle;
  for (int i = 0; i < 4; ++i) SetCheck(kRadios[i], style == i ? BST_CHECKED : BST_UNCHECKED);
  SetupPreview();
  AttachDlgItem(WellId, &m_well);
  const COLORREF color = m_pFormat->m_shadowColor.GetColor();
  if (SSymIsPlainColor(color)) m_well.SetColor(color);
  if (CategoryImposed(SSymAllowOption::SHADOW)) EnableItems({NoneId, StandardId, ThreeDId, GradientId, WellId}, false);
  return TRUE;
}

LONG SSymDlgShadow::CheckedStyle() const {
  for (int i = 0; i < 4; ++i)
    if (IsChecked(kRadios[i])) return i;
  return MixedStyle;
}

void SSymDlgShadow::OnShadow() {
  const LONG style = CheckedStyle();
  m_pFormat->m_shadowStyle = style;
  if (style != MixedStyle) RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgShadow::OnColor(NMHDR* notify, LRESULT*) { TakeWellColor(m_well, notify, m_pFormat->m_shadowColor); }
