// SSymSwimGrpDlg: the small modal dialog in which the user renames a user
// lane group (SSymSwimGroup). It shows the group's title in one edit field
// and writes it back, as one undo step, when the user confirms a different
// text; the same text, or Cancel, changes nothing. The group's verb opens it
// through the opener this subsystem installs when the library loads.
#pragma once

#include "kvcore/scomwrap.h"
#include "kvcore/sdlg.h"
#include "sym/symbol/symintfformat.h"

class SSymSwimGrpDlg : public SDlg {
 public:
  static constexpr UINT TemplateId = 159;
  static constexpr int NameFieldId = 160;

  // The dialog on a symbol's text face; a null symbol, or one without a
  // text, leaves the face empty (the dialog then changes nothing).
  explicit SSymSwimGrpDlg(ISSymbol* symbol);
  ~SSymSwimGrpDlg() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  // The control table of the dialog, registered as template 159 while the
  // library is loaded; the dialog is made from the registered template.
  static const SDlgTemplate& Template();

 private:
  SEditCtrl m_edit;
  SComWrap<ISSymText> m_text;
};
