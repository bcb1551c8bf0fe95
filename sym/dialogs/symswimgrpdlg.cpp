#include "sym/dialogs/symswimgrpdlg.h"

#include "kvcore/smodulestate.h"
#include "kvrep/srepsession.h"
#include "sym/composite/symswimgroup.h"
#include "sym/foundation/sdsym.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
constexpr DWORD kShown = WS_VISIBLE | WS_CHILD;

void RunGroupDialog(ISSymbol* group) {
  SSetModuleState module(SSymGetModuleState());
  SSymSwimGrpDlg dialog(group);
  dialog.DoModal();
}

// The dialog's template is one of the library's resources while it is
// loaded, and the group's verb opens the dialog through the opener.
struct GroupDialogInstaller {
  GroupDialogInstaller() {
    SRegisterDlgTemplate(SSymSwimGrpDlg::Template());
    SSymSetSwimGroupDialogOpener(&RunGroupDialog);
  }
  ~GroupDialogInstaller() {
    SSymSetSwimGroupDialogOpener(nullptr);
    SUnregisterDlgTemplate(SSymSwimGrpDlg::TemplateId);
  }
} g_groupDialogInstaller;
}  // namespace

const SDlgTemplate& SSymSwimGrpDlg::Template() {
  static const SDlgTemplate t{
      TemplateId,
      u"Swimlane Group Name",
      u"MS Sans Serif",
      8,
      280,
      48,
      {
          {-1, SDlgItemKind::Static, u"&Name:", 7, 7, 22, 8, kShown},
          {NameFieldId, SDlgItemKind::Edit, u"", 45, 7, 219, 12, kShown | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {IDOK, SDlgItemKind::Button, u"OK", 172, 26, 44, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 220, 26, 44, 14, kShown | WS_TABSTOP},
      }};
  return t;
}

SSymSwimGrpDlg::SSymSwimGrpDlg(ISSymbol* symbol) : SDlg(TemplateId) {
  if (symbol) m_text = SComWrap<ISSymText>(symbol);
}

SSymSwimGrpDlg::~SSymSwimGrpDlg() = default;

BOOL SSymSwimGrpDlg::OnInitDialog() {
  AttachDlgItem(NameFieldId, &m_edit);
  // A symbol without a text shows an empty field.
  SString text;
  if (!m_text.IsNull()) m_text->GetText(text);
  m_edit.SetText(text);
  return SDlg::OnInitDialog();
}

void SSymSwimGrpDlg::OnOK() {
  const SString typed = m_edit.GetText();
  if (!m_text.IsNull()) {
    SString current;
    m_text->GetText(current);
    // Exact comparison: a change of case alone is a new title.
    if (typed != current) {
      RepObjWrap object(m_text);
      // The rename is one undo step.
      SRepCreateContext step(object.Get(), 0, 1, 0);
      m_text->SetText(typed, 1);
    }
  }
  SDlg::OnOK();
}
