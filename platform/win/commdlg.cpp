// The scripted common dialogs.
#include "win/commdlg.h"

#include <cstdlib>
#include <algorithm>
#include <deque>
#include <string>

namespace {

struct DialogState {
  std::deque<KvFontDialogAnswer> fontAnswers;
  std::vector<KvFontDialogCall> fontCalls;
  std::deque<KvColorDialogAnswer> colorAnswers;
  std::vector<KvColorDialogCall> colorCalls;
  std::deque<KvFileDialogAnswer> fileAnswers;
  std::vector<KvFileDialogCall> fileCalls;
  DWORD error = 0;
};

DialogState& D() {
  static DialogState d;
  return d;
}

template <class T>
bool Take(std::deque<T>& answers, T& out) {
  if (answers.empty()) return false;
  out = answers.front();
  answers.pop_front();
  return true;
}

BOOL FileDialog(OPENFILENAMEW* ofn, bool save) {
  DialogState& d = D();
  if (!ofn || ofn->lStructSize != sizeof(OPENFILENAMEW)) {
    d.error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
    d.error = CDERR_INITIALIZATION;
    return FALSE;
  }
  d.error = 0;
  KvFileDialogCall call{save, ofn->hwndOwner, ofn->Flags, ofn->lpstrTitle ? ofn->lpstrTitle : u"", {}, {}};
  std::u16string initial(ofn->lpstrFile);
  if (initial.size() >= ofn->nMaxFile) initial.resize(ofn->nMaxFile - 1);
  call.initialName = initial;
  for (LPCWSTR f = ofn->lpstrFilter; f && *f; f += std::char_traits<char16_t>::length(f) + 1) call.filters.push_back(f);
  d.fileCalls.push_back(call);
  KvFileDialogAnswer a;
  if (!Take(d.fileAnswers, a) || !a.ok) return FALSE;
  std::u16string path = a.path;
  std::size_t name = path.find_last_of(u"/\\");
  name = name == std::u16string::npos ? 0 : name + 1;
  std::size_t dot = path.find_last_of(u'.');
  if ((dot == std::u16string::npos || dot < name) && ofn->lpstrDefExt && *ofn->lpstrDefExt) {
    path += u'.';
    path += ofn->lpstrDefExt;
    dot = path.find_last_of(u'.');
  }
  if (path.size() + 1 > ofn->nMaxFile) {
    // The size the path needs, in the buffer's first characters.
    const std::size_t need = path.size() + 1;
    ofn->lpstrFile[0] = char16_t(need & 0xFFFF);
    if (ofn->nMaxFile > 1) ofn->lpstrFile[1] = char16_t(need >> 16);
    d.error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  std::copy(path.begin(), path.end(), ofn->lpstrFile);
  ofn->lpstrFile[path.size()] = u'\0';
  ofn->nFileOffset = WORD(name);
  ofn->nFileExtension = dot == std::u16string::npos || dot < name ? 0 : WORD(dot + 1);
  if (a.filterIndex) ofn->nFilterIndex = a.filterIndex;
  if (ofn->lpstrFileTitle && ofn->nMaxFileTitle) {
    const std::u16string title = path.substr(name).substr(0, ofn->nMaxFileTitle - 1);
    std::copy(title.begin(), title.end(), ofn->lpstrFileTitle);
    ofn->lpstrFileTitle[title.size()] = u'\0';
  }
  return TRUE;
}

}  // namespace

BOOL ChooseColorW(CHOOSECOLORW* cc) {
  DialogState& d = D();
  if (!cc || cc->lStructSize != sizeof(CHOOSECOLORW)) {
    d.error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!cc->lpCustColors) {
    d.error = CDERR_INITIALIZATION;
    return FALSE;
  }
  d.error = 0;
  d.colorCalls.push_back({cc->hwndOwner, cc->Flags, (cc->Flags & CC_RGBINIT) ? cc->rgbResult : 0});
  KvColorDialogAnswer a;
  if (!Take(d.colorAnswers, a) || !a.ok) return FALSE;
  cc->rgbResult = a.color & 0xFFFFFF;
  return TRUE;
}

BOOL GetOpenFileNameW(OPENFILENAMEW* ofn) { return FileDialog(ofn, false); }
BOOL GetSaveFileNameW(OPENFILENAMEW* ofn) { return FileDialog(ofn, true); }

void KvQueueColorDialogAnswer(const KvColorDialogAnswer& answer) { D().colorAnswers.push_back(answer); }
const std::vector<KvColorDialogCall>& KvColorDialogCalls() { return D().colorCalls; }
void KvQueueFileDialogAnswer(const KvFileDialogAnswer& answer) { D().fileAnswers.push_back(answer); }
const std::vector<KvFileDialogCall>& KvFileDialogCalls() { return D().fileCalls; }

BOOL ChooseFontW(CHOOSEFONTW* cf) {
  DialogState& d = D();
  if (!cf || cf->lStructSize != sizeof(CHOOSEFONTW)) {
    d.error = CDERR_STRUCTSIZE;
    return FALSE;
  }
  if (!cf->lpLogFont) {
    d.error = CDERR_INITIALIZATION;
    return FALSE;
  }
  d.error = 0;
  KvFontDialogCall call{cf->hwndOwner, cf->Flags, LOGFONTW{}, cf->rgbColors};
  if (cf->Flags & CF_INITTOLOGFONTSTRUCT) call.font = *cf->lpLogFont;
  d.fontCalls.push_back(call);
  if (d.fontAnswers.empty()) return FALSE;
  KvFontDialogAnswer a = d.fontAnswers.front();
  d.fontAnswers.pop_front();
  if (!a.ok) return FALSE;
  if (a.font) *cf->lpLogFont = *a.font;
  else if (!(cf->Flags & CF_INITTOLOGFONTSTRUCT)) *cf->lpLogFont = LOGFONTW{};
  if ((cf->Flags & CF_EFFECTS) && a.color) cf->rgbColors = *a.color;
  // The dialog lists whole point sizes: the height is read back at 96 dpi,
  // rounded to the nearest point, so a size set from points comes back the same.
  const int h = std::abs(cf->lpLogFont->lfHeight);
  cf->iPointSize = 10 * MulDiv(h, 72, 96);
  cf->nFontType = SCREEN_FONTTYPE;
  return TRUE;
}

DWORD CommDlgExtendedError() { return D().error; }

void KvQueueFontDialogAnswer(const KvFontDialogAnswer& answer) { D().fontAnswers.push_back(answer); }
const std::vector<KvFontDialogCall>& KvFontDialogCalls() { return D().fontCalls; }

void KvCommDlgReset() {
  D().fontAnswers.clear();
  D().fontCalls.clear();
  D().colorAnswers.clear();
  D().colorCalls.clear();
  D().fileAnswers.clear();
  D().fileCalls.clear();
  D().error = 0;
}
