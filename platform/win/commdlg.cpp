// The scripted common dialogs.
#include "win/commdlg.h"

#include <cstdlib>
#include <deque>

namespace {

struct DialogState {
  std::deque<KvFontDialogAnswer> fontAnswers;
  std::vector<KvFontDialogCall> fontCalls;
  DWORD error = 0;
};

DialogState& D() {
  static DialogState d;
  return d;
}

}  // namespace

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
  D().error = 0;
}
