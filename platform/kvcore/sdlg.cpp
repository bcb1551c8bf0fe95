#include "kvcore/sdlg.h"

#include <deque>
#include <map>
#include <string>

#include "win/winhelp.h"

KV_IMPLEMENT_CLASSINFO(SDlg, SWnd);

KV_BEGIN_MESSAGE_MAP(SDlg, SWnd)
KV_ON_MESSAGE(WM_INITDIALOG, OnInitDialogMsg)
KV_ON_COMMAND(IDOK, OnOKCommand)
KV_ON_COMMAND(IDCANCEL, OnCancelCommand)
KV_ON_COMMAND(IDHELP, OnHelpCommand)
KV_ON_WM_CLOSE()
KV_ON_WM_DESTROY()
KV_END_MESSAGE_MAP()

namespace {
constexpr const char16_t* kDialogClass = u"KvDialog";
// Dialog units of an 8-point dialog font, in pixels: 4 across and 8 down
// make one average character.
constexpr int kBaseX = 6;
constexpr int kBaseY = 13;

std::deque<KvDialogAnswer>& Answers() {
  static std::deque<KvDialogAnswer> answers;
  return answers;
}
std::vector<KvDialogCall>& Calls() {
  static std::vector<KvDialogCall> calls;
  return calls;
}
std::map<UINT, const SDlgTemplate*>& Templates() {
  static std::map<UINT, const SDlgTemplate*> templates;
  return templates;
}
const SDlgTemplate& EmptyTemplate() {
  static const SDlgTemplate t{0, u"", u"MS Sans Serif", 8, 0, 0, {}};
  return t;
}

// The window classes are made again after the window layer was reset.
void EnsureDialogClass() {
  InitCommonControls();
  WNDCLASSW wc{};
  if (GetClassInfoW(nullptr, kDialogClass, &wc)) return;
  wc.style = CS_GLOBALCLASS;
  wc.lpfnWndProc = &DefWindowProcW;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = kDialogClass;
  RegisterClassW(&wc);
}

LPCWSTR ClassOf(const SDlgItem& item) {
  switch (item.kind) {
    case SDlgItemKind::Static: return WC_STATICW;
    case SDlgItemKind::Edit: return WC_EDITW;
    case SDlgItemKind::Button: return WC_BUTTONW;
    case SDlgItemKind::ComboBox: return WC_COMBOBOXW;
    case SDlgItemKind::ListBox: return WC_LISTBOXW;
    case SDlgItemKind::ListView: return WC_LISTVIEWW;
    case SDlgItemKind::UpDown: return UPDOWN_CLASSW;
    case SDlgItemKind::Slider: return TRACKBAR_CLASSW;
    case SDlgItemKind::Tab: return WC_TABCONTROLW;
    case SDlgItemKind::RichEdit: return RICHEDIT_CLASSW;
    case SDlgItemKind::ColorWell: return KV_COLORWELL_CLASSW;
    case SDlgItemKind::Preview: return KV_PREVIEW_CLASSW;
    case SDlgItemKind::Custom: return item.className;
  }
  return nullptr;
}

SDlgTexts TextsOf(HWND dialog, const SDlgTemplate& t) {
  SDlgTexts out;
  for (const SDlgItem& item : t.items) {
    if (item.kind != SDlgItemKind::Edit && item.kind != SDlgItemKind::RichEdit) continue;
    HWND h = GetDlgItem(dialog, item.id);
    if (!h) continue;
    std::u16string buffer(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, u'\0');
    const int n = GetWindowTextW(h, buffer.data(), static_cast<int>(buffer.size()));
    out.emplace_back(item.id, SString(buffer.c_str(), n));
  }
  return out;
}
}  // namespace

void SRegisterDlgTemplate(const SDlgTemplate& dialogTemplate) { Templates()[dialogTemplate.id] = &dialogTemplate; }
void SUnregisterDlgTemplate(UINT id) { Templates().erase(id); }
const SDlgTemplate* SFindDlgTemplate(UINT id) {
  const auto it = Templates().find(id);
  return it == Templates().end() ? nullptr : it->second;
}

POINT SDlgUnitsToPixels(int x, int y) { return POINT{x * kBaseX / 4, y * kBaseY / 8}; }

SDlg::SDlg(const SDlgTemplate& dialogTemplate, SWnd* parent)
    : m_pParentWnd(parent), m_pTemplate(&dialogTemplate), m_nIDTemplate(dialogTemplate.id) {}

SDlg::SDlg(UINT templateId, SWnd* parent) : m_pParentWnd(parent), m_pTemplate(nullptr), m_nIDTemplate(templateId) {}

SDlg::~SDlg() {
  DetachItems();
  if (m_hWnd) DestroyWindow();
}

const SDlgTemplate& SDlg::GetTemplate() const {
  const SDlgTemplate* t = m_pTemplate ? m_pTemplate : SFindDlgTemplate(m_nIDTemplate);
  return t ? *t : EmptyTemplate();
}

void SDlg::DetachItems() {
  for (SWnd* w : m_attached)
    if (w->m_hWnd) w->Detach();
  m_attached.clear();
}

void SDlg::EndDialog(int result) {
  m_nResult = result;
  m_bEnded = true;
  if (!m_bModal && m_hWnd) ShowWindow(SW_HIDE);
}

void SDlg::OnHelp() { ::WinHelpW(m_hWnd, nullptr, HELP_CONTEXT, m_nHelpContext); }

void SDlg::OnClose() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void SDlg::OnDestroy() {
  DetachItems();
  Default();
}

LRESULT SDlg::OnInitDialogMsg(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL SDlg::AttachDlgItem(int id, SWnd* control) {
  if (!m_hWnd || !control) return FALSE;
  HWND h = ::GetDlgItem(m_hWnd, id);
  if (!h || !control->Attach(h)) return FALSE;
  m_attached.push_back(control);
  return TRUE;
}

BOOL SDlg::CreateFromTemplate(HWND parent, DWORD style) {
  const SDlgTemplate* t = m_pTemplate ? m_pTemplate : SFindDlgTemplate(m_nIDTemplate);
  if (m_hWnd) return FALSE;
  if (!t) {
    ::SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return FALSE;
  }
  EnsureDialogClass();
  const POINT size = SDlgUnitsToPixels(t->cx, t->cy);
  // Shown once its controls are in place and initialised.
  HWND dialog = ::CreateWindowExW(0, kDialogClass, t->caption, style & ~WS_VISIBLE, 0, 0, size.x, size.y, parent,
                                  nullptr, nullptr, nullptr);
  if (!dialog) return FALSE;
  // The template gives the client area: the frame and caption come on top.
  RECT client;
  ::GetClientRect(dialog, &client);
  if (client.right != size.x || client.bottom != size.y)
    ::SetWindowPos(dialog, nullptr, 0, 0, 2 * size.x - client.right, 2 * size.y - client.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const SDlgItem& item : t->items) {
    const POINT at = SDlgUnitsToPixels(item.x, item.y);
    const POINT extent = SDlgUnitsToPixels(item.cx, item.cy);
    LPCWSTR cls = ClassOf(item);
    HWND c = cls ? ::CreateWindowExW(0, cls, item.text, WS_CHILD | item.style, at.x, at.y, extent.x, extent.y, dialog,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr)
                 : nullptr;
    if (!c) {
      // The template cannot be made whole: nothing of it stays.
      const DWORD error = cls ? ::GetLastError() : DWORD(ERROR_CANNOT_FIND_WND_CLASS);
      ::DestroyWindow(dialog);
      ::SetLastError(error);
      return FALSE;
    }
  }
  SubclassWindow(dialog);
  m_bEnded = false;
  m_nResult = -1;
  const BOOL focusFirst = BOOL(SendMessage(WM_INITDIALOG, 0, 0));
  if (!m_hWnd) return FALSE;  // destroyed by its own initialisation
  if (style & WS_VISIBLE) ShowWindow(SW_SHOW);
  if (focusFirst && m_hWnd && !(style & WS_CHILD))
    if (HWND first = ::GetNextDlgTabItem(m_hWnd, nullptr, FALSE)) ::SetFocus(first);
  return m_hWnd ? TRUE : FALSE;
}

BOOL SDlg::Create(SWnd* parent) {
  if (parent) m_pParentWnd = parent;
  m_bModal = false;
  return CreateFromTemplate(m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr,
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE);
}

INT_PTR SDlg::DoModal() {
  if (m_hWnd) return -1;
  m_bModal = true;
  const SDlgTemplate& t = GetTemplate();
  KvDialogCall call;
  call.templateId = m_nIDTemplate;
  call.caption = SString(t.caption);
  if (!CreateFromTemplate(m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr,
                          WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE)) {
    DetachItems();
    m_bModal = false;
    return -1;
  }
  HWND dialog = m_hWnd;
  call.shown = TextsOf(dialog, t);

  KvDialogAnswer answer;
  if (!Answers().empty()) {
    answer = Answers().front();
    Answers().pop_front();
  }
  for (const auto& [id, text] : answer.texts) SetDlgItemTextW(dialog, id, text.c_str());
  for (const KvControlAction& a : answer.actions) {
    if (m_bEnded || m_hWnd != dialog) break;
    call.actions.push_back(KvPlayControlAction(dialog, a) ? 0 : ::GetLastError());
  }
  if (!m_bEnded && m_hWnd == dialog)
    SendMessage(WM_COMMAND, MAKEWPARAM(answer.ok ? IDOK : IDCANCEL, BN_CLICKED), 0);
  // A handler that keeps the dialog open meets a user who then closes it.
  if (!m_bEnded && m_hWnd == dialog) EndDialog(IDCANCEL);
  if (m_hWnd == dialog) {
    call.final = TextsOf(dialog, t);
    DetachItems();
    DestroyWindow();
  } else {
    // Destroyed by one of its own handlers: the code it ended with, if any.
    DetachItems();
    if (!m_bEnded) m_nResult = -1;
  }
  call.result = m_nResult;
  Calls().push_back(call);
  m_bModal = false;
  return m_nResult;
}

void KvQueueDialogAnswer(const KvDialogAnswer& answer) { Answers().push_back(answer); }
const std::vector<KvDialogCall>& KvDialogCalls() { return Calls(); }
void KvDialogReset() {
  Answers().clear();
  Calls().clear();
}
