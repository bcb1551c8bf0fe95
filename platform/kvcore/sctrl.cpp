// The control wrappers' calls that are more than one message.
#include "kvcore/sctrl.h"

#include <string>

#include "kvcore/sdlg.h"

KV_IMPLEMENT_CLASSINFO(SColorWellCtrl, SWnd);

namespace {
// The text of an entry, through the control's length and text messages.
int EntryText(const SWnd& w, UINT lenMsg, UINT textMsg, int index, SString& text) {
  const LRESULT n = w.SendMessage(lenMsg, WPARAM(index));
  if (n < 0) {
    text = SString();
    return int(n);
  }
  std::u16string buffer(std::size_t(n) + 1, u'\0');
  const LRESULT got = w.SendMessage(textMsg, WPARAM(index), reinterpret_cast<LPARAM>(buffer.data()));
  text = SString(buffer.c_str(), int(got < 0 ? 0 : got));
  return int(got);
}
}  // namespace

int SComboBoxCtrl::GetLBText(int index, SString& text) const {
  return EntryText(*this, CB_GETLBTEXTLEN, CB_GETLBTEXT, index, text);
}

int SListBoxCtrl::GetText(int index, SString& text) const {
  return EntryText(*this, LB_GETTEXTLEN, LB_GETTEXT, index, text);
}

void SComboBoxOwnerDraw::DrawItem(DRAWITEMSTRUCT* item) {
  if (!item || int(item->itemID) < 0) return;
  SString text;
  GetLBText(int(item->itemID), text);
  ::SetBkMode(item->hDC, TRANSPARENT);
  RECT rc = item->rcItem;
  ::DrawTextW(item->hDC, text.c_str(), text.GetLength(), &rc, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

BOOL SComboBoxOwnerDraw::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return SComboBoxCtrl::OnChildNotify(message, wParam, lParam, result);
  DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}

int SComboColorBox::AddColor(COLORREF color) {
  const int i = AddString(nullptr);
  if (i >= 0) SetItemData(i, color);
  return i;
}

COLORREF SComboColorBox::GetSelectedColor(COLORREF none) const {
  const int i = GetCurSel();
  return i < 0 ? none : COLORREF(GetItemData(i));
}

int SComboColorBox::SelectColor(COLORREF color) {
  for (int i = 0; i < GetCount(); ++i)
    if (COLORREF(GetItemData(i)) == color) return SetCurSel(i);
  SetCurSel(-1);
  return -1;
}

void SComboColorBox::DrawItem(DRAWITEMSTRUCT* item) {
  if (!item) return;
  RECT rc = item->rcItem;
  ::FillRect(item->hDC, &rc, ::GetSysColorBrush(COLOR_WINDOW));
  if (int(item->itemID) < 0) return;
  RECT swatch{rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2};
  HBRUSH brush = ::CreateSolidBrush(COLORREF(item->itemData));
  ::FillRect(item->hDC, &swatch, brush);
  ::DeleteObject(brush);
  ::FrameRect(item->hDC, &swatch, ::GetSysColorBrush(COLOR_WINDOWTEXT));
}

int SListViewCtrl::InsertItem(int index, LPCWSTR text, int image) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | (image >= 0 ? LVIF_IMAGE : 0u);
  item.iItem = index;
  item.pszText = const_cast<LPWSTR>(text);
  item.iImage = image;
  return int(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

SString SListViewCtrl::GetItemText(int index) const {
  std::u16string buffer(1024, u'\0');
  LVITEMW item{};
  item.pszText = buffer.data();
  item.cchTextMax = int(buffer.size());
  const LRESULT n = SendMessage(LVM_GETITEMTEXTW, WPARAM(index), reinterpret_cast<LPARAM>(&item));
  return SString(buffer.c_str(), int(n));
}

BOOL SListViewCtrl::SetItemData(int index, DWORD_PTR data) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  item.lParam = LPARAM(data);
  return BOOL(SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

DWORD_PTR SListViewCtrl::GetItemData(int index) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  return SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? DWORD_PTR(item.lParam) : 0;
}

BOOL SListViewCtrl::SetItemState(int index, UINT state, UINT mask) {
  LVITEMW item{};
  item.state = state;
  item.stateMask = mask;
  return BOOL(SendMessage(LVM_SETITEMSTATE, WPARAM(index), reinterpret_cast<LPARAM>(&item)));
}

int STabCtrl::InsertItem(int index, LPCWSTR text, LPARAM param) {
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = const_cast<LPWSTR>(text);
  item.lParam = param;
  return int(SendMessage(TCM_INSERTITEMW, WPARAM(index), reinterpret_cast<LPARAM>(&item)));
}

SColorWellCtrl::~SColorWellCtrl() {
  if (m_hWnd) DestroyWindow();
}

BOOL SCreateColorWell(SWnd* parent, SColorWellCtrl* well, DWORD style, int x, int y, int cells) {
  if (!parent || !parent->m_hWnd || !well || well->m_hWnd || cells <= 0) return FALSE;
  InitCommonControls();
  constexpr int kCell = 14;
  const int rows = (cells + 7) / 8;
  const POINT at = SDlgUnitsToPixels(x, y);
  HWND h = ::CreateWindowExW(0, KV_COLORWELL_CLASSW, u"", style | WS_CHILD, at.x, at.y, 8 * kCell,
                             rows * kCell + 22, parent->m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(SColorWellId)), nullptr, &cells);
  if (!h) return FALSE;
  if (!well->SubclassWindow(h)) {
    ::DestroyWindow(h);
    return FALSE;
  }
  return TRUE;
}
