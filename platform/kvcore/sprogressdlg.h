// SProgressDlg: the modeless progress dialog of a long task (printing): a
// text, a count of the steps done out of the range, and a Cancel button
// the task polls between steps (CheckCancelButton). A cancel question, when
// set, asks the user to confirm (a message box, Yes or No).
//
// Headless, the user's press of Cancel comes from a script: the position
// at which the user presses it (KvProgressCancelAt).
#pragma once

#include "kvcore/sdlg.h"

class SProgressDlg : public SDlg {
 public:
  static constexpr int TextId = 1000;
  static constexpr int CountId = 1001;

  explicit SProgressDlg(const SString& caption = SString(u"Progress"));
  // Shows the dialog; FALSE when it is already shown or cannot be made.
  BOOL Create(SWnd* parent = nullptr) override;
  void SetRange(int lower, int upper);
  // The previous position; the position is kept inside the range.
  int SetPos(int pos);
  int StepIt() { return SetPos(m_nPos + 1); }
  int GetPos() const { return m_nPos; }
  void SetText(const SString& text);
  void SetCancelQuestion(const SString& question) { m_question = question; }
  // TRUE once the user cancelled (and confirmed).
  BOOL CheckCancelButton() const { return m_bCancelled ? TRUE : FALSE; }
  // Cancel asks the question, if any; the dialog stays until destroyed.
  void OnCancel() override;
  void OnOK() override {}

 private:
  void ShowCount();
  std::u16string m_caption;
  SDlgTemplate m_template;
  SString m_question;
  int m_nLower = 0, m_nUpper = 100, m_nPos = 0;
  bool m_bCancelled = false;
};

// The user presses Cancel when a progress dialog's position reaches `pos`
// (one press per queued position, in order); KvProgressReset forgets them.
void KvProgressCancelAt(int pos);
void KvProgressReset();
