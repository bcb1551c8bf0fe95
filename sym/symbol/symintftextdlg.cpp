#include "sym/symbol/symintftextdlg.h"

namespace {
using Opener = void (*)(ISRepObject*, ISSymText*);
constinit Opener g_textDialogOpener = nullptr;
}  // namespace

void SSymShowTextDialog(ISRepObject* object, ISSymText* text) {
  if (g_textDialogOpener) g_textDialogOpener(object, text);
}
void SSymSetTextDialogOpener(void (*opener)(ISRepObject*, ISSymText*)) { g_textDialogOpener = opener; }
