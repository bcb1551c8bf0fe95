// Tooltip control wrapper: tool records built from window objects, and the
// control's messages.
#include "kvcore/stooltipctrl.h"

KV_IMPLEMENT_CLASSINFO(SToolTipCtrl, SWnd);

BOOL SToolTipCtrl::Create(SWnd* parent, DWORD style) {
  if (!KvRegisterToolTipClass()) return FALSE;
  const RECT none{0, 0, 0, 0};
  return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, none, parent, 0);
}

void SToolTipCtrl::FillToolInfo(TTTOOLINFOW& ti, SWnd* wnd, UINT_PTR id) {
  ti = TTTOOLINFOW{};
  ti.cbSize = sizeof ti;
  ti.hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
  if (id == 0) {
    ti.uFlags = TTF_IDISHWND;
    ti.uId = reinterpret_cast<UINT_PTR>(ti.hwnd);
  } else {
    ti.uId = id;
  }
}

BOOL SToolTipCtrl::AddTool(SWnd* wnd, LPCWSTR text, const RECT* rect, UINT_PTR id) {
  // An area of a window is known by its id: it needs one.
  if (!wnd || !::IsWindow(wnd->GetSafeHwnd()) || (rect && id == 0)) return FALSE;
  TTTOOLINFOW ti;
  FillToolInfo(ti, wnd, id);
  if (rect) ti.rect = *rect;
  ti.lpszText = const_cast<LPWSTR>(text);
  return BOOL(SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
}

void SToolTipCtrl::DelTool(SWnd* wnd, UINT_PTR id) {
  TTTOOLINFOW ti;
  FillToolInfo(ti, wnd, id);
  SendMessage(TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void SToolTipCtrl::UpdateTipText(LPCWSTR text, SWnd* wnd, UINT_PTR id) {
  TTTOOLINFOW ti;
  FillToolInfo(ti, wnd, id);
  ti.lpszText = const_cast<LPWSTR>(text);
  SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

BOOL SToolTipCtrl::GetText(SString& text, SWnd* wnd, UINT_PTR id) const {
  TTTOOLINFOW ti;
  FillToolInfo(ti, wnd, id);
  WCHAR buffer[1024] = {};
  ti.lpszText = buffer;
  if (!SendMessage(TTM_GETTEXTW, sizeof buffer / sizeof buffer[0], reinterpret_cast<LPARAM>(&ti))) return FALSE;
  text = ti.lpszText == LPSTR_TEXTCALLBACKW ? SString() : SString(buffer);
  return TRUE;
}

int SToolTipCtrl::GetToolCount() const { return int(SendMessage(TTM_GETTOOLCOUNT)); }
void SToolTipCtrl::Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
void SToolTipCtrl::SetDelayTime(DWORD which, int time) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(time, 0)); }
int SToolTipCtrl::GetDelayTime(DWORD which) const { return int(SendMessage(TTM_GETDELAYTIME, which)); }
int SToolTipCtrl::SetMaxTipWidth(int width) { return int(SendMessage(TTM_SETMAXTIPWIDTH, 0, width)); }
void SToolTipCtrl::RelayEvent(LPMSG msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }
void SToolTipCtrl::Pop() { SendMessage(TTM_POP); }
void SToolTipCtrl::Update() { SendMessage(TTM_UPDATE); }
