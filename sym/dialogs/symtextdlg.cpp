#include "sym/dialogs/symtextdlg.h"

#include "kvrep/srepextras.h"
#include "sym/symbol/symbase.h"

SSymTextDlg::SSymTextDlg(ISSymText* text) : m_pText(text), m_pObject(text ? SSymGetRepObject(SComWrap<ISSymbol>(text).Get()) : nullptr) {
  if (m_pText) m_pText->AddRef();
  if (m_pObject) SRepDialogMap::Add(m_pObject, this);
}

SSymTextDlg::~SSymTextDlg() {
  if (m_pObject && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  SComOut<ISSymText> drop(std::exchange(m_pText, nullptr));
}

SSymTextDlg* SSymTextDlg::Find(ISRepObject* object) {
  return object ? static_cast<SSymTextDlg*>(SRepDialogMap::Find(object)) : nullptr;
}

namespace {
void OpenTextDialog(ISRepObject* object, ISSymText* text) {
  SSymTextDlg* dialog = SSymTextDlg::Find(object);
  if (!dialog) dialog = new SSymTextDlg(text);
  dialog->Show();
}
struct TextDialogInstaller {
  TextDialogInstaller() { SSymSetTextDialogOpener(&OpenTextDialog); }
  ~TextDialogInstaller() { SSymSetTextDialogOpener(nullptr); }
} g_textDialogInstaller;
}  // namespace
