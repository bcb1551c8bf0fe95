#include "kvcore/sexceptiondlg.h"

#include <cstdio>

namespace {
struct DialogState {
  bool active = true;
  bool quiet = false;
  std::vector<SExceptionDialogEntry> log;
  std::function<void(const SExceptionDialogEntry&)> hook;
};
DialogState& State() {
  static DialogState s;
  return s;
}
// A long-running host reports refusals for as long as it runs: the log keeps
// the newest entries only, dropping all but the newest kLogKept once it holds
// twice as many, so a push stays cheap and memory stays bounded.
void TrimLog(std::vector<SExceptionDialogEntry>& log) {
  if (log.size() >= 2 * SExceptionDialog::kLogKept)
    log.erase(log.begin(), log.end() - static_cast<std::ptrdiff_t>(SExceptionDialog::kLogKept));
}
}  // namespace

SExceptionDialog::SExceptionDialog(const char* function, const char* file, int line, const SString& text) {
  Show(function, file, line, text);
}

SExceptionDialog::SExceptionDialog(const char* function, const char* file, int line, const SException& e) {
  Show(function, file, line, e.GetDescription());
}

void SExceptionDialog::Show(const char* function, const char* file, int line, const SString& text) {
  DialogState& s = State();
  if (!s.active) return;
  SExceptionDialogEntry entry{SString(function ? function : ""), SString(file ? file : ""), line, text};
  TrimLog(s.log);
  s.log.push_back(entry);
  if (!s.quiet)
    std::fprintf(stderr, "[exception dialog] %s (%s, line %d)\n%s\n", entry.function.ToUtf8().c_str(),
                 entry.file.ToUtf8().c_str(), line, text.ToUtf8().c_str());
  if (s.hook) s.hook(entry);
}

bool SExceptionDialog::IsActive() { return State().active; }
void SExceptionDialog::SetActive(bool active) { State().active = active; }
const std::vector<SExceptionDialogEntry>& SExceptionDialog::Log() { return State().log; }
void SExceptionDialog::ClearLog() { State().log.clear(); }
void SExceptionDialog::SetQuiet(bool quiet) { State().quiet = quiet; }
void SExceptionDialog::SetHook(std::function<void(const SExceptionDialogEntry&)> hook) {
  State().hook = std::move(hook);
}
