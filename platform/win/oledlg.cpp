// The scripted convert dialog.
#include "win/oledlg.h"

#include <cstring>
#include <deque>
#include <string>

namespace {
struct ConvertState {
  std::deque<KvOleConvertAnswer> script;
  std::vector<OLEUICONVERTW> log;
  std::deque<KvOlePasteSpecialAnswer> pasteScript;
  std::vector<KvOlePasteSpecialCall> pasteLog;
};
ConvertState& State() {
  static ConvertState* s = new ConvertState;
  return *s;
}
}  // namespace

UINT OleUIConvertW(OLEUICONVERTW* convert) {
  if (!convert || convert->cbStruct < sizeof(OLEUICONVERTW)) return OLEUI_ERR_STANDARDMIN;
  auto& s = State();
  s.log.push_back(*convert);
  s.log.back().lpszUserType = nullptr;  // the caller's text is not kept
  if (s.script.empty()) return OLEUI_CANCEL;
  const KvOleConvertAnswer a = s.script.front();
  s.script.pop_front();
  if (a.result != OLEUI_OK) return a.result;
  convert->dwFlags = (convert->dwFlags & ~(CF_SELECTCONVERTTO | CF_SELECTACTIVATEAS)) | a.selection;
  convert->clsidNew = a.clsidNew;
  convert->dvAspect = a.aspect;
  convert->lpszUserType = nullptr;
  if (a.userType) {
    const std::size_t n = std::char_traits<char16_t>::length(a.userType) + 1;
    convert->lpszUserType = static_cast<LPWSTR>(CoTaskMemAlloc(n * sizeof(char16_t)));
    if (convert->lpszUserType) std::memcpy(convert->lpszUserType, a.userType, n * sizeof(char16_t));
  }
  return OLEUI_OK;
}

void KvOleConvertScript(const std::vector<KvOleConvertAnswer>& answers) {
  State().script.assign(answers.begin(), answers.end());
}
const std::vector<OLEUICONVERTW>& KvOleConvertLog() { return State().log; }
UINT OleUIPasteSpecialW(OLEUIPASTESPECIALW* paste) {
  if (!paste || paste->cbStruct < sizeof(OLEUIPASTESPECIALW)) return OLEUI_ERR_STANDARDMIN;
  if (!paste->arrPasteEntries || paste->cPasteEntries <= 0) return OLEUI_IOERR_ARRPASTEENTRIESINVALID;
  auto& s = State();
  KvOlePasteSpecialCall call{paste->hWndOwner, paste->lpszCaption ? paste->lpszCaption : u"Paste Special", {}};
  for (int i = 0; i < paste->cPasteEntries; ++i) {
    LPCWSTR name = paste->arrPasteEntries[i].lpstrFormatName;
    call.formats.push_back(name ? name : u"");
  }
  s.pasteLog.push_back(call);
  if (s.pasteScript.empty()) return OLEUI_CANCEL;
  const KvOlePasteSpecialAnswer a = s.pasteScript.front();
  s.pasteScript.pop_front();
  if (a.result != OLEUI_OK || a.index < 0 || a.index >= paste->cPasteEntries) return OLEUI_CANCEL;
  paste->nSelectedIndex = a.index;
  paste->fLink = a.link ? TRUE : FALSE;
  paste->dwFlags = (paste->dwFlags & ~(PSF_SELECTPASTE | PSF_SELECTPASTELINK)) |
                   (a.link ? PSF_SELECTPASTELINK : PSF_SELECTPASTE);
  return OLEUI_OK;
}

void KvOlePasteSpecialScript(const std::vector<KvOlePasteSpecialAnswer>& answers) {
  State().pasteScript.assign(answers.begin(), answers.end());
}
const std::vector<KvOlePasteSpecialCall>& KvOlePasteSpecialLog() { return State().pasteLog; }

void KvOleConvertReset() {
  State().pasteScript.clear();
  State().pasteLog.clear();
  State().script.clear();
  State().log.clear();
}
