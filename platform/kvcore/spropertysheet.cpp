// The property sheet: its own template, page activation, apply and cancel.
#include "kvcore/spropertysheet.h"

#include <algorithm>

#include "win/winhelp.h"

KV_IMPLEMENT_CLASSINFO(SPropertySheet, SDlg);

KV_BEGIN_MESSAGE_MAP(SPropertySheet, SDlg)
KV_ON_NOTIFY(TCN_SELCHANGING, SPropertySheet::TabControlId, OnTabChanging)
KV_ON_NOTIFY(TCN_SELCHANGE, SPropertySheet::TabControlId, OnTabChange)
KV_ON_BN_CLICKED(SPropertySheet::ApplyButtonId, OnApplyNow)
KV_ON_MESSAGE(PSM_CHANGED, OnChanged)
KV_ON_MESSAGE(PSM_UNCHANGED, OnUnchanged)
KV_ON_MESSAGE(PSM_QUERYSIBLINGS, OnQuerySiblings)
KV_ON_MESSAGE(PSM_PRESSBUTTON, OnPressButton)
KV_ON_MESSAGE(PSM_SETCURSEL, OnSetCurSel)
KV_END_MESSAGE_MAP()

namespace {
// Where pages lie in the sheet, in dialog units: inside the tab control,
// below its headers.
constexpr int kPageX = 8;
constexpr int kPageY = 22;
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
}  // namespace

SPropertySheet::SPropertySheet(const SString& caption, SWnd* parent, UINT startPage)
    : SDlg(0, parent), m_title(caption.c_str()), m_template{0, u"", u"MS Sans Serif", 8, 0, 0, {}},
      m_nActive(int(startPage)) {}

SPropertySheet::SPropertySheet(UINT templateId, int listId, int pageAreaId, SWnd* parent)
    : SDlg(templateId, parent), m_template{0, u"", u"MS Sans Serif", 8, 0, 0, {}}, m_nListId(listId),
      m_nPageAreaId(pageAreaId) {}

SPropertySheet::~SPropertySheet() = default;

void SPropertySheet::AddPage(SPropertyPage* page) {
  if (page && GetPageIndex(page) < 0) m_pages.push_back(page);
}

SPropertyPage* SPropertySheet::GetPage(int index) const {
  return index >= 0 && index < int(m_pages.size()) ? m_pages[std::size_t(index)] : nullptr;
}

int SPropertySheet::GetPageIndex(const SPropertyPage* page) const {
  const auto it = std::find(m_pages.begin(), m_pages.end(), page);
  return it == m_pages.end() ? -1 : int(it - m_pages.begin());
}

void SPropertySheet::BuildTemplate() {
  int w = 100, h = 50;
  for (SPropertyPage* p : m_pages) {
    w = std::max(w, p->GetTemplate().cx);
    h = std::max(h, p->GetTemplate().cy);
  }
  constexpr int kButtonW = 50, kGap = 4;
  // Wide enough for the pages and for the four buttons side by side.
  const int sheetW = std::max(w + 2 * kPageX, 4 * (kButtonW + kGap) + kPageX), buttonsY = h + kPageY + 8;
  w = sheetW - 2 * kPageX;
  auto buttonX = [&](int fromRight) { return sheetW - kPageX / 2 - fromRight * (kButtonW + kGap) - kButtonW; };
  m_template = SDlgTemplate{
      0,
      m_title.c_str(),
      u"MS Sans Serif",
      8,
      sheetW,
      buttonsY + 20,
      {
          {TabControlId, SDlgItemKind::Tab, u"", kPageX / 2, 4, w + kPageX, h + kPageY, kShown | WS_TABSTOP},
          {IDOK, SDlgItemKind::Button, u"OK", buttonX(3), buttonsY, kButtonW, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", buttonX(2), buttonsY, kButtonW, 14, kShown | WS_TABSTOP},
          {ApplyButtonId, SDlgItemKind::Button, u"&Apply", buttonX(1), buttonsY, kButtonW, 14,
           kShown | WS_TABSTOP | WS_DISABLED},
          {IDHELP, SDlgItemKind::Button, u"Help", buttonX(0), buttonsY, kButtonW, 14, kShown | WS_TABSTOP},
      }};
  SetTemplate(&m_template);
}

void SPropertySheet::PrepareWindow() {
  if (!m_nListId) BuildTemplate();
  m_changed.clear();
  if (m_nActive < 0 || m_nActive >= int(m_pages.size())) m_nActive = 0;
}

INT_PTR SPropertySheet::DoModal() {
  if (m_pages.empty() || m_hWnd) return -1;
  PrepareWindow();
  return SDlg::DoModal();
}

BOOL SPropertySheet::CreateModeless(HWND owner, DWORD style) {
  if (m_pages.empty() || m_hWnd) return FALSE;
  PrepareWindow();
  return CreateFromTemplate(owner, style);
}

BOOL SPropertySheet::OnInitDialog() {
  STabCtrl tab;
  if (m_nListId) {
    for (SPropertyPage* p : m_pages)
      ::SendDlgItemMessageW(m_hWnd, m_nListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p->GetCaption().c_str()));
  } else if (tab.Attach(::GetDlgItem(m_hWnd, TabControlId))) {
    for (SPropertyPage* p : m_pages) tab.InsertItem(tab.GetItemCount(), p->GetCaption().c_str());
    tab.Detach();
  }
  // The chosen page, else the first one that will show.
  const int first = m_nActive;
  m_nActive = -1;
  if (!Show(first))
    for (int i = 0; i < int(m_pages.size()) && m_nActive < 0 && m_hWnd; ++i)
      if (i != first) Show(i);
  return SDlg::OnInitDialog();
}

BOOL SPropertySheet::Show(int index) {
  SPropertyPage* page = GetPage(index);
  if (!page || !m_hWnd) return FALSE;
  if (!page->m_hWnd) {
    POINT at = SDlgUnitsToPixels(kPageX, kPageY);
    if (m_nPageAreaId) {
      at = POINT{0, 0};
      if (HWND area = ::GetDlgItem(m_hWnd, m_nPageAreaId)) ::MapWindowPoints(area, m_hWnd, &at, 1);
    }
    if (!page->CreatePage(m_hWnd, at.x, at.y)) return FALSE;
  }
  if (!page->OnSetActive() || !m_hWnd || !page->m_hWnd) return FALSE;
  if (SPropertyPage* old = GetActivePage(); old && old != page && old->m_hWnd) old->ShowWindow(SW_HIDE);
  m_nActive = index;
  page->ShowWindow(SW_SHOW);
  if (m_nListId)
    ::SendDlgItemMessageW(m_hWnd, m_nListId, LB_SETCURSEL, WPARAM(index), 0);
  else
    ::SendDlgItemMessageW(m_hWnd, TabControlId, TCM_SETCURSEL, WPARAM(index), 0);
  return TRUE;
}

BOOL SPropertySheet::SetActivePage(int index) {
  if (!GetPage(index)) return FALSE;
  if (!m_hWnd) {
    m_nActive = index;
    return TRUE;
  }
  if (index == m_nActive) return TRUE;
  if (SPropertyPage* old = GetActivePage(); old && old->m_hWnd && !old->OnKillActive()) return FALSE;
  return Show(index);
}

void SPropertySheet::OnTabChanging(NMHDR*, LRESULT* result) {
  SPropertyPage* old = GetActivePage();
  *result = old && old->m_hWnd && !old->OnKillActive() ? TRUE : FALSE;
}

void SPropertySheet::OnTabChange(NMHDR*, LRESULT* result) {
  const int index = int(::SendDlgItemMessageW(m_hWnd, TabControlId, TCM_GETCURSEL, 0, 0));
  // A page that will not show leaves the tab on the page still shown.
  if (!Show(index) && m_hWnd) ::SendDlgItemMessageW(m_hWnd, TabControlId, TCM_SETCURSEL, WPARAM(m_nActive), 0);
  *result = 0;
}

void SPropertySheet::ChooseFromList() {
  if (!m_hWnd || !m_nListId) return;
  const int index = int(::SendDlgItemMessageW(m_hWnd, m_nListId, LB_GETCURSEL, 0, 0));
  if (!SetActivePage(index) && m_hWnd) ::SendDlgItemMessageW(m_hWnd, m_nListId, LB_SETCURSEL, WPARAM(m_nActive), 0);
}

BOOL SPropertySheet::ApplyPages() {
  for (int i = 0; i < int(m_pages.size()); ++i) {
    SPropertyPage* p = m_pages[std::size_t(i)];
    if (!p->m_hWnd) continue;  // never shown: nothing to apply
    if (!p->OnApply()) {
      if (m_hWnd && i != m_nActive) Show(i);
      return FALSE;
    }
    if (!m_hWnd) return FALSE;
    p->m_bModified = false;
  }
  m_changed.clear();
  EnableApply();
  return TRUE;
}

BOOL SPropertySheet::ApplyNow() {
  SPropertyPage* shown = GetActivePage();
  if (shown && shown->m_hWnd && !shown->OnKillActive()) return FALSE;
  return ApplyPages();
}

BOOL SPropertySheet::OnApply() { return ApplyNow(); }

void SPropertySheet::OnOK() {
  if (!ApplyNow() || !m_hWnd) return;
  EndDialog(IDOK);
}

void SPropertySheet::OnCancel() {
  SPropertyPage* shown = GetActivePage();
  if (shown && shown->m_hWnd && !shown->OnQueryCancel()) return;
  for (SPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnReset();
  EndDialog(IDCANCEL);
}

void SPropertySheet::OnHelp() {
  SPropertyPage* shown = GetActivePage();
  const DWORD context = shown && shown->GetHelpContext() ? shown->GetHelpContext() : GetHelpContext();
  ::WinHelpW(m_hWnd, nullptr, HELP_CONTEXT, context);
}

LRESULT SPropertySheet::QuerySiblings(WPARAM wParam, LPARAM lParam) {
  for (SPropertyPage* p : m_pages) {
    if (!p->m_hWnd) continue;
    if (const LRESULT r = p->SendMessage(PSM_QUERYSIBLINGS, wParam, lParam)) return r;
  }
  return 0;
}

BOOL SPropertySheet::PressButton(int button) {
  if (!m_hWnd) return FALSE;
  switch (button) {
    case PSBTN_OK: SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); return TRUE;
    case PSBTN_CANCEL: SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); return TRUE;
    case PSBTN_HELP: OnHelp(); return TRUE;
    // The system's own apply pass: it does not come back to OnApply.
    case PSBTN_APPLYNOW: return ApplyNow();
    default: return FALSE;
  }
}

LRESULT SPropertySheet::OnChanged(WPARAM wParam, LPARAM) {
  m_changed.insert(reinterpret_cast<HWND>(wParam));
  EnableApply();
  return 0;
}

LRESULT SPropertySheet::OnUnchanged(WPARAM wParam, LPARAM) {
  m_changed.erase(reinterpret_cast<HWND>(wParam));
  EnableApply();
  return 0;
}

void SPropertySheet::EnableApply() {
  if (HWND apply = m_hWnd ? ::GetDlgItem(m_hWnd, ApplyButtonId) : nullptr)
    ::EnableWindow(apply, m_changed.empty() ? FALSE : TRUE);
}
