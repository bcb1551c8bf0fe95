#include "kvcore/sdlg.h"

#include <deque>
#include <string>

namespace {
constexpr const char16_t* kDialogClass = u"KvDialog";
constexpr const char16_t* kItemClass = u"KvDialogItem";
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

// The window classes are made again after the window layer was reset.
void EnsureClass(LPCWSTR name) {
  WNDCLASSW wc{};
  if (GetClassInfoW(nullptr, name, &wc)) return;
  wc.lpfnWndProc = &DefWindowProcW;
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

SDlgTexts TextsOf(HWND dialog, const SDlgTemplate& t) {
  SDlgTexts out;
  for (const SDlgItem& item : t.items) {
    if (item.kind != SDlgItemKind::Edit) continue;
    HWND h = GetDlgItem(dialog, item.id);
    if (!h) continue;
    std::u16string buffer(static_cast<std::size_t>(GetWindowTextLengthW(h)) + 1, u'\0');
    const int n = GetWindowTextW(h, buffer.data(), static_cast<int>(buffer.size()));
    out.emplace_back(item.id, SString(buffer.c_str(), n));
  }
  return out;
}
}  // namespace

SDlg::SDlg(const SDlgTemplate& dialogTemplate, SWnd* parent) : m_template(dialogTemplate), m_pParent(parent) {}

SDlg::~SDlg() {
  for (SWnd* w : m_attached) w->Detach();
  m_attached.clear();
  if (m_hWnd) {
    HWND h = Detach();
    ::DestroyWindow(h);
  }
}

void SDlg::EndDialog(int result) {
  m_nResult = result;
  m_bEnded = true;
}

BOOL SDlg::AttachDlgItem(int id, SWnd* control) {
  if (!m_hWnd || !control) return FALSE;
  HWND h = ::GetDlgItem(m_hWnd, id);
  if (!h || !control->Attach(h)) return FALSE;
  m_attached.push_back(control);
  return TRUE;
}

INT_PTR SDlg::DoModal() {
  EnsureClass(kDialogClass);
  EnsureClass(kItemClass);
  HWND owner = m_pParent ? m_pParent->GetSafeHwnd() : nullptr;
  HWND dialog = CreateWindowExW(0, kDialogClass, m_template.caption, WS_POPUP | WS_CAPTION, 0, 0,
                                m_template.cx * kBaseX / 4, m_template.cy * kBaseY / 8, owner, nullptr, nullptr,
                                nullptr);
  if (!dialog) return -1;
  for (const SDlgItem& item : m_template.items) {
    CreateWindowExW(0, kItemClass, item.text, WS_CHILD | item.style, item.x * kBaseX / 4, item.y * kBaseY / 8,
                    item.cx * kBaseX / 4, item.cy * kBaseY / 8, dialog,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), nullptr, nullptr);
  }
  Attach(dialog);
  m_bEnded = false;
  m_nResult = IDCANCEL;

  KvDialogCall call;
  call.templateId = m_template.id;
  call.caption = SString(m_template.caption);
  OnInitDialog();
  call.shown = TextsOf(dialog, m_template);

  KvDialogAnswer answer;
  if (!Answers().empty()) {
    answer = Answers().front();
    Answers().pop_front();
  }
  for (const auto& [id, text] : answer.texts) SetDlgItemTextW(dialog, id, text.c_str());
  if (answer.ok) OnOK();
  else OnCancel();
  // A handler that keeps the dialog open meets a user who then closes it.
  if (!m_bEnded) EndDialog(IDCANCEL);
  call.final = TextsOf(dialog, m_template);
  call.result = m_nResult;
  Calls().push_back(call);

  for (SWnd* w : m_attached) w->Detach();
  m_attached.clear();
  Detach();
  ::DestroyWindow(dialog);
  return m_nResult;
}

void KvQueueDialogAnswer(const KvDialogAnswer& answer) { Answers().push_back(answer); }
const std::vector<KvDialogCall>& KvDialogCalls() { return Calls(); }
void KvDialogReset() {
  Answers().clear();
  Calls().clear();
}
