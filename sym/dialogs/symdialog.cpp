#include "sym/dialogs/symdialog.h"

namespace {
struct PageRow {
  DWORD bits;  // any of them adds the page
  UINT plain, templateMode;
  int category;
};
// In tab order.
constexpr PageRow kPages[SSymDialog::PageCount] = {
    {SSymDialog::MaskSizeFields | SSymDialog::MaskSizeAdjust, 147, 200, SSymAllowOption::SIZE},
    {SSymDialog::MaskLine, 142, 201, SSymAllowOption::LINE},
    {SSymDialog::MaskFill, 141, 202, SSymAllowOption::FILL},
    {SSymDialog::MaskShadow, 143, 203, SSymAllowOption::SHADOW},
    {SSymDialog::MaskFont, 104, 204, SSymAllowOption::FONT},
    {SSymDialog::MaskTextAlign, 144, 144, -1},
    {SSymDialog::MaskCustomShape, 150, 205, SSymAllowOption::SHAPE},
    {SSymDialog::MaskContent, 190, 190, SSymAllowOption::CONTENT},
};
}  // namespace

UINT SSymDialog::TemplateOf(Page page, bool templateMode) {
  if (page < 0 || page >= PageCount) return 0;
  return templateMode ? kPages[page].templateMode : kPages[page].plain;
}

int SSymDialog::CategoryOf(Page page) { return page < 0 || page >= PageCount ? -1 : kPages[page].category; }

HRESULT SSymDialog::ChoosePages(DWORD mask, std::vector<PageChoice>& pages) {
  pages.clear();
  if (mask & ~SSymAllowOption::MaskBits) return E_INVALIDARG;
  const bool templateMode = (mask & MaskTemplateMode) != 0;
  for (int p = 0; p < PageCount; ++p)
    if (mask & kPages[p].bits) pages.push_back({Page(p), TemplateOf(Page(p), templateMode)});
  return S_OK;
}
