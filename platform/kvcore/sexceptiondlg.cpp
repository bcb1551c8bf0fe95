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
