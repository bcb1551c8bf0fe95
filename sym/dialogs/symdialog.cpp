#include "sym/dialogs/symdialog.h"

#include "kvcore/smodulestate.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symview.h"
#include "sym/edit/symselection.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "win/winmsgbox.h"

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

// ---- the sheet ------------------------------------------------------------------------------------

namespace {
SSymFormatEx WorkingCopy(const SSymFormat* format) { return format ? SSymFormatEx(*format) : SSymFormatEx(); }
SSymAllowOption AllowCopy(const SSymAllowOption* allow) {
  SSymAllowOption copy;
  if (!allow) return copy;
  copy.m_mask = allow->m_mask & SSymAllowOption::MaskBits;
  for (int i = 0; i < SSymAllowOption::CategoryCount; ++i)
    copy.m_category[i] = allow->m_category[i] & (SSymAllowOption::AllowApply | SSymAllowOption::AllowModify);
  return copy;
}
SString Caption(UINT id) {
  SSetModuleState module(SSymGetModuleState());
  return SSymLoadString(id);
}
bool TemplateMode(const SSymAllowOption* allow) { return allow && (allow->m_mask & SSymDialog::MaskTemplateMode); }
}  // namespace

SSymDialog::SSymDialog(SSymFormat* format, SSymAllowOption* allow, UINT captionId, SSymSelection* selection,
                       SWnd* parent)
    : SPropertySheet(Caption(captionId), parent),
      m_pFormat(format),
      m_pAllow(allow),
      m_pSelection(selection),
      m_work(WorkingCopy(format)),
      m_workAllow(AllowCopy(allow)),
      m_size(&m_work, &m_workAllow, TemplateOf(Size, TemplateMode(allow))),
      m_line(&m_work, &m_workAllow, TemplateOf(Line, TemplateMode(allow))),
      m_fill(&m_work, &m_workAllow, TemplateOf(Fill, TemplateMode(allow))),
      m_shadow(&m_work, &m_workAllow, TemplateOf(Shadow, TemplateMode(allow))),
      m_font(&m_work, &m_workAllow, TemplateOf(Font, TemplateMode(allow))),
      m_textAlign(&m_work, &m_workAllow),
      m_content(selection) {
  if (selection) m_diagram = selection->GetDiagram();
  std::vector<PageChoice> pages;
  m_bMaskValid = format && allow && SUCCEEDED(ChoosePages(allow->m_mask, pages));
  for (const PageChoice& p : pages)
    if (SSymDlgBase* page = GetFormatPage(p.page)) {
      page->SetSheet(this);
      AddPage(page);
    } else if (p.page == Content) {
      AddPage(&m_content);
    }
  if (!m_bMaskValid || !selection || selection->GetCount() != 1 || m_diagram.IsNull()) return;
  if (SSymDispPref* prefs = m_diagram->GetDispPrefPtr()) m_pExtra.reset(prefs->CreateFormatPage(selection->GetAt(0), this));
  if (!m_pExtra) return;
  AddPage(m_pExtra.get());
  // A format that says which of its values are meaningful keeps saying so.
  if (const auto* flagged = dynamic_cast<const SSymFormatEx*>(format)) m_work.m_flags = flagged->m_flags;
}

SSymDialog::~SSymDialog() {
  // The pages' windows go before the pages (members) do.
  if (m_hWnd) DestroyWindow();
}

namespace {
SSymView* ParentView(SWnd* parent) { return dynamic_cast<SSymView*>(parent); }
}  // namespace

ISSymDiagram* SSymDialog::GetDiagram() const {
  if (SSymView* view = ParentView(m_pParentWnd)) return view->GetDiagramPtr();
  return m_diagram.Get();
}

void SSymDialog::SetDiagram(ISSymDiagram* diagram) {
  if (ParentView(m_pParentWnd)) return;
  m_diagram = diagram;
}

SSymDlgBase* SSymDialog::GetFormatPage(Page page) {
  switch (page) {
    case Size: return &m_size;
    case Line: return &m_line;
    case Fill: return &m_fill;
    case Shadow: return &m_shadow;
    case Font: return &m_font;
    case TextAlign: return &m_textAlign;
    default: return nullptr;
  }
}

INT_PTR SSymDialog::DoModal() {
  if (!m_bMaskValid) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  SSetModuleState module(SSymGetModuleState());
  return SPropertySheet::DoModal();
}

namespace {
// Whether the pages left every value of the format as the sheet opened with.
bool SameFormat(const SSymFormat& a, const SSymFormat& b) {
  for (int i = 0; i < 3; ++i)
    if (a.m_arrows[i] != b.m_arrows[i]) return false;
  for (int i = 0; i < 5; ++i)
    if (a.m_margins[i] != b.m_margins[i]) return false;
  return a.m_pen == b.m_pen && a.m_lineStyle == b.m_lineStyle && a.m_fill == b.m_fill && a.m_brush == b.m_brush &&
         a.m_shadowColor.GetColor() == b.m_shadowColor.GetColor() && a.m_shadowStyle == b.m_shadowStyle &&
         a.m_fonts == b.m_fonts && a.m_textStyle == b.m_textStyle && a.m_textFlag == b.m_textFlag &&
         a.m_size == b.m_size && a.m_size2 == b.m_size2;
}
}  // namespace

bool SSymDialog::Refused(const char16_t* deleted, const char16_t* other) {
  ::MessageBoxW(m_hWnd, m_lastWrite == CO_E_OBJNOTCONNECTED ? deleted : other, GetTemplate().caption,
                MB_OK | MB_ICONWARNING);
  return false;
}

bool SSymDialog::WriteBack() {
  m_lastWrite = S_OK;
  // A format left as it was is not written: OK without a change adds no
  // undo step.
  if (m_pSelection && !SameFormat(*m_pFormat, m_work)) {
    m_lastWrite = m_pSelection->UpdateLayoutFormat(m_pFormat, &m_work, &m_workAllow);
    if (FAILED(m_lastWrite))
      return Refused(u"The format cannot be applied: a selected symbol was deleted while this sheet was open.",
                     u"The format cannot be applied to the selected symbols.");
  }
  // The sub-objects' display follows the format, as a step of its own.
  if (m_pSelection && (m_workAllow.m_mask & MaskContent)) {
    const HRESULT written = m_content.WriteAttribute();
    if (FAILED(written)) {
      m_lastWrite = written;
      return Refused(u"The sub-objects' display cannot be saved: the symbol was deleted while this sheet was open.",
                     u"The sub-objects' display cannot be saved.");
    }
  }
  *m_pAllow = m_workAllow;
  *m_pFormat = static_cast<const SSymFormat&>(m_work);
  return true;
}

void SSymDialog::OnOK() {
  if (!PressButton(PSBTN_APPLYNOW) || !m_hWnd || !WriteBack()) return;
  EndDialog(IDOK);
}

BOOL SSymDialog::OnApply() { return PressButton(PSBTN_APPLYNOW) && WriteBack() ? TRUE : FALSE; }
