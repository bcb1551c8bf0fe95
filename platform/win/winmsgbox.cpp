#include "win/winmsgbox.h"

#include <cstdio>
#include <deque>

#include "win/winutf8.h"

namespace {
struct State {
  std::vector<KvMessageBoxEntry> log;
  std::deque<int> script;
  bool quiet = false;
};
State& Boxes() {
  static State state;
  return state;
}

int FirstButton(UINT type) {
  switch (type & 0xF) {
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    default: return IDOK;
  }
}
}  // namespace

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  State& s = Boxes();
  KvMessageBoxEntry e;
  e.owner = owner;
  e.caption = caption ? std::u16string(caption) : std::u16string(u"Error");
  e.text = text ? std::u16string(text) : std::u16string();
  e.type = type;
  if (s.script.empty()) {
    e.answer = FirstButton(type);
  } else {
    e.answer = s.script.front();
    s.script.pop_front();
  }
  s.log.push_back(e);
  if (!s.quiet) std::fprintf(stderr, "[%s] %s\n", KvUtf16ToUtf8(e.caption).c_str(), KvUtf16ToUtf8(e.text).c_str());
  return e.answer;
}

const std::vector<KvMessageBoxEntry>& KvMessageBoxLog() { return Boxes().log; }
void KvClearMessageBoxLog() { Boxes().log.clear(); }
void KvScriptMessageBoxAnswers(const std::vector<int>& answers) {
  Boxes().script.insert(Boxes().script.end(), answers.begin(), answers.end());
}
void KvSetMessageBoxQuiet(bool quiet) { Boxes().quiet = quiet; }
