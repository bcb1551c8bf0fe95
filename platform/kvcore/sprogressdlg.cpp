// The progress dialog and its scripted Cancel.
#include "kvcore/sprogressdlg.h"

#include <algorithm>
#include <deque>
#include <string>

#include "win/winmsgbox.h"

namespace {
std::deque<int>& CancelPositions() {
  static std::deque<int> positions;
  return positions;
}
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
}  // namespace

SProgressDlg::SProgressDlg(const SString& caption)
    : SDlg(0), m_caption(caption.c_str()), m_template{0, u"", u"MS Sans Serif", 8, 200, 60, {}} {
  m_template.caption = m_caption.c_str();
  m_template.items = {
      {TextId, SDlgItemKind::Static, u"", 8, 8, 184, 10, kShown},
      {CountId, SDlgItemKind::Static, u"", 8, 22, 184, 10, kShown},
      {IDCANCEL, SDlgItemKind::Button, u"Cancel", 75, 40, 50, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
  };
  SetTemplate(&m_template);
}

BOOL SProgressDlg::Create(SWnd* parent) {
  m_bCancelled = false;
  if (!SDlg::Create(parent)) return FALSE;
  ShowCount();
  return TRUE;
}

void SProgressDlg::SetRange(int lower, int upper) {
  m_nLower = lower;
  m_nUpper = std::max(lower, upper);
  m_nPos = std::clamp(m_nPos, m_nLower, m_nUpper);
  ShowCount();
}

int SProgressDlg::SetPos(int pos) {
  const int old = m_nPos;
  m_nPos = std::clamp(pos, m_nLower, m_nUpper);
  ShowCount();
  auto& at = CancelPositions();
  if (m_hWnd && !at.empty() && m_nPos >= at.front()) {
    at.pop_front();
    KvPlayControlAction(m_hWnd, KvClick(IDCANCEL));
  }
  return old;
}

void SProgressDlg::SetText(const SString& text) {
  if (m_hWnd) ::SetDlgItemTextW(m_hWnd, TextId, text.c_str());
}

void SProgressDlg::ShowCount() {
  if (!m_hWnd) return;
  const std::string s = std::to_string(m_nPos - m_nLower) + " / " + std::to_string(m_nUpper - m_nLower);
  ::SetDlgItemTextW(m_hWnd, CountId, std::u16string(s.begin(), s.end()).c_str());
}

void SProgressDlg::OnCancel() {
  if (m_bCancelled) return;
  if (!m_question.IsEmpty() &&
      ::MessageBoxW(m_hWnd, m_question.c_str(), m_caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  m_bCancelled = true;
  if (m_hWnd) ::EnableWindow(::GetDlgItem(m_hWnd, IDCANCEL), FALSE);
}

void KvProgressCancelAt(int pos) { CancelPositions().push_back(pos); }
void KvProgressReset() { CancelPositions().clear(); }
