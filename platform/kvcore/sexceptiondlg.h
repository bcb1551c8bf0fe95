// The exception dialog. There is no screen: every dialog that would be shown
// is kept in a process-wide log (tests and the host read it) and, unless the
// log is muted, printed on standard error.
#pragma once

#include <functional>
#include <cstddef>
#include <vector>

#include "kvcore/sexception.h"

struct SExceptionDialogEntry {
  SString function;  // function text
  SString file;      // source file text
  int line = 0;
  SString text;      // the message shown
};

class SExceptionDialog {
 public:
  // Shows a message with its location (function text, source file, line).
  SExceptionDialog(const char* function, const char* file, int line, const SString& text);
  // Shows an exception: its full description, at the given location.
  SExceptionDialog(const char* function, const char* file, int line, const SException& e);

  static void Show(const char* function, const char* file, int line, const SString& text);

  // While deactivated, dialogs are not shown (nor logged).
  static bool IsActive();
  static void SetActive(bool active);

  // The newest dialogs, oldest first: at least the last kLogKept of them
  // (older ones are dropped in batches, so the log never exceeds twice that).
  static constexpr std::size_t kLogKept = 4096;
  static const std::vector<SExceptionDialogEntry>& Log();
  static void ClearLog();
  // Silences the standard-error echo (the log is still kept).
  static void SetQuiet(bool quiet);
  // Called for every dialog shown, after logging; null removes the hook.
  static void SetHook(std::function<void(const SExceptionDialogEntry&)> hook);
};

// Scope that switches dialogs on or off and restores the former state.
class SExceptionActivateDialog {
 public:
  explicit SExceptionActivateDialog(bool active) : m_old(SExceptionDialog::IsActive()) {
    SExceptionDialog::SetActive(active);
  }
  ~SExceptionActivateDialog() { SExceptionDialog::SetActive(m_old); }
  SExceptionActivateDialog(const SExceptionActivateDialog&) = delete;
  SExceptionActivateDialog& operator=(const SExceptionActivateDialog&) = delete;

 private:
  bool m_old;
};
