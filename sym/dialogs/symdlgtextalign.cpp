#include "sym/dialogs/symdlgtextalign.h"

#include <utility>
#include <vector>

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

struct Templates {
  Templates() { SSymDlgTextAlign::RegisterTemplates(); }
};
Templates s_templates;
}  // namespace

void SSymDlgTextAlign::RegisterTemplates() {
  constexpr DWORD kBox = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
  constexpr DWORD kRadio = kShown | WS_TABSTOP | BS_AUTORADIOBUTTON;
  std::vector<SDlgItem> items = {
      {CenterId, SDlgItemKind::Button, u"&Center", 7, 4, 100, 10, kBox},
      {WordWrapId, SDlgItemKind::Button, u"&Word wrapping", 133, 4, 100, 10, kBox},
      {-1, SDlgItemKind::Button, u" Horizontal ", 7, 18, 120, 54, kShown | BS_GROUPBOX},
      {LeftId, SDlgItemKind::Button, u"&Left", 13, 30, 100, 10, kRadio | WS_GROUP},
      {HCenterId, SDlgItemKind::Button, u"Center &horizontally", 13, 44, 100, 10, kRadio},
      {RightId, SDlgItemKind::Button, u"&Right", 13, 58, 100, 10, kRadio},
      {-1, SDlgItemKind::Button, u" Vertical ", 133, 18, 122, 54, kShown | BS_GROUPBOX},
      {TopId, SDlgItemKind::Button, u"&Top", 139, 30, 100, 10, kRadio | WS_GROUP},
      {VCenterId, SDlgItemKind::Button, u"Center &vertically", 139, 44, 100, 10, kRadio},
      {BottomId, SDlgItemKind::Button, u"&Bottom", 139, 58, 100, 10, kRadio},
  };
  SSymAddPreviewItems(items, 7, 76, 248, 64);
  SSymRegisterPageTemplates({TemplateId, TemplateId, u"Text Alignment", nullptr, nullptr}, 262, 144, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymDlgTextAlign, SSymDlgBase)
KV_ON_BN_CLICKED(SSymDlgTextAlign::CenterId, OnMiddle)
KV_ON_BN_CLICKED(SSymDlgTextAlign::WordWrapId, OnWordWrap)
KV_ON_BN_CLICKED(SSymDlgTextAlign::LeftId, OnLeft)
KV_ON_BN_CLICKED(SSymDlgTextAlign::HCenterId, OnHCenter)
KV_ON_BN_CLICKED(SSymDlgTextAlign::RightId, OnRight)
KV_ON_BN_CLICKED(SSymDlgTextAlign::TopId, OnTop)
KV_ON_BN_CLICKED(SSymDlgTextAlign::VCenterId, OnVCenter)
KV_ON_BN_CLICKED(SSymDlgTextAlign::BottomId, OnBottom)
KV_END_MESSAGE_MAP()

SSymDlgTextAlign::SSymDlgTextAlign(SSymFormatEx* format, SSymAllowOption* allow)
    : SSymDlgBase(TemplateId, format, allow) {
  // Its preview is found by the format pages only through their own query.
  m_nQueryCode = 1;
  SetHelpContext(HelpContext);
}

BOOL SSymDlgTextAlign::OnInitDialog() {
  SSymDlgBase::OnInitDialog();
  SetupPreview();
  LONG& style = m_pFormat->m_textStyle;
  // Without the font page texts keep to the left and do not wrap.
  if (m_pAllow && !(m_pAllow->m_mask & 0x40) && style != 0) {
    style = (style & ~(WordWrap | HCenter | Right)) | Left;
    EnableItems({CenterId, WordWrapId, LeftId, HCenterId, RightId}, false);
  }
  // Style 0 is a selection whose texts are aligned differently: no button.
  const bool mixed = style == 0;
  const int h = mixed ? 0 : (style & Left) ? LeftId : (style & HCenter) ? HCenterId : RightId;
  const int v = mixed ? 0 : (style & Top) ? TopId : (style & VCenter) ? VCenterId : BottomId;
  ::CheckRadioButton(m_hWnd, LeftId, RightId, h);
  ::CheckRadioButton(m_hWnd, TopId, BottomId, v);
  SetCheck(CenterId, h == HCenterId && v == VCenterId ? BST_CHECKED : BST_UNCHECKED);
  SetCheck(WordWrapId, (style & WordWrap) ? BST_CHECKED : BST_UNCHECKED);
  RefreshPreview();
  return TRUE;
}

void SSymDlgTextAlign::Changed() {
  RefreshPreview();
  SetModified(TRUE);
}

void SSymDlgTextAlign::SetStyle(LONG keep, LONG add, bool uncheckCenter) {
  if (uncheckCenter) SetCheck(CenterId, BST_UNCHECKED);
  m_pFormat->m_textStyle = (m_pFormat->m_textStyle & keep) | add;
  Changed();
}

void SSymDlgTextAlign::OnMiddle() {
  if (!IsChecked(CenterId)) return;  // unchecking leaves the alignment as it is
  ::CheckRadioButton(m_hWnd, LeftId, RightId, HCenterId);
  ::CheckRadioButton(m_hWnd, TopId, BottomId, VCenterId);
  SetStyle(~0xDDL, HCenter | VCenter, false);
}

void SSymDlgTextAlign::OnWordWrap() {
  LONG& style = m_pFormat->m_textStyle;
  style = IsChecked(WordWrapId) ? (style | WordWrap) : (style & ~WordWrap);
  Changed();
}

void SSymDlgTextAlign::OnHCenter() {
  SetStyle(~0xDL, HCenter, false);
  if (m_pFormat->m_textStyle & VCenter) SetCheck(CenterId, BST_CHECKED);
}

void SSymDlgTextAlign::OnVCenter() {
  SetStyle(~0xD0L, VCenter, false);
  if (m_pFormat->m_textStyle & HCenter) SetCheck(CenterId, BST_CHECKED);
}
