#include "kvcore/stoolbar.h"

namespace {
int g_bButtonDblClicked = 0;
}  // namespace

int SToolBar::IsButtonDblClicked() { return g_bButtonDblClicked; }
void SToolBar::SetButtonDblClicked(int clicked) { g_bButtonDblClicked = clicked ? 1 : 0; }
