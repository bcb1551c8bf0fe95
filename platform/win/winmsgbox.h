// Message boxes, headless: there is no screen, so every box that would be
// shown is kept in a process-wide log (owner, caption, text, style and the
// answer given) and echoed on standard error unless muted. The answers come
// from a script of button ids, taken in order; with the script empty a box
// answers its first button (IDOK for MB_OK and MB_OKCANCEL, IDYES for
// MB_YESNO and MB_YESNOCANCEL, IDABORT for MB_ABORTRETRYIGNORE, IDRETRY for
// MB_RETRYCANCEL).
#pragma once

#include <string>
#include <vector>

#include "win/winuser.h"  // IDOK, IDCANCEL

// Button sets (the low four bits of the style).
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_ABORTRETRYIGNORE = 0x2;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_RETRYCANCEL = 0x5;
// Icons.
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;

constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a box: logs it and answers the next scripted button, or the first
// button of its set. A null caption reads "Error", as the system shows it.
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

struct KvMessageBoxEntry {
  HWND owner = nullptr;
  std::u16string caption;
  std::u16string text;
  UINT type = 0;
  int answer = 0;
};
// Every box shown since the process started (or since the log was cleared).
const std::vector<KvMessageBoxEntry>& KvMessageBoxLog();
void KvClearMessageBoxLog();
// Appends answers (button ids) to the script.
void KvScriptMessageBoxAnswers(const std::vector<int>& answers);
// Silences the standard-error echo (the log is still kept).
void KvSetMessageBoxQuiet(bool quiet);
