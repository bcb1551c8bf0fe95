// SSymDlgTextAlign: the "Text Alignment" page of the format sheet: the
// horizontal and vertical alignment and the word wrapping of symbol texts,
// bits of the format's text style, shown on the sheet's sample symbols.
// It has no category of its own and no template-mode boxes.
#pragma once

#include "sym/dialogs/symdlgbase.h"

class SSymDlgTextAlign : public SSymDlgBase {
 public:
  static constexpr UINT TemplateId = 144;
  static constexpr DWORD HelpContext = 6001;
  enum : int {
    CenterId = 1020, LeftId = 1021, HCenterId = 1022, RightId = 1023,
    TopId = 1024, VCenterId = 1025, BottomId = 1026, WordWrapId = 1027,
  };
  // Text style bits.
  enum : LONG { Left = 0x1, HCenter = 0x2, Right = 0x4, Top = 0x10, VCenter = 0x20, Bottom = 0x40, WordWrap = 0x1000 };

  SSymDlgTextAlign(SSymFormatEx* format, SSymAllowOption* allow);
  BOOL OnInitDialog() override;
  static void RegisterTemplates();

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnMiddle();
  void OnWordWrap();
  void OnLeft() { SetStyle(~0xEL, Left, true); }
  void OnHCenter();
  void OnRight() { SetStyle(~0xBL, Right, true); }
  void OnTop() { SetStyle(~0xE0L, Top, true); }
  void OnVCenter();
  void OnBottom() { SetStyle(~0xB0L, Bottom, true); }

 private:
  // style = (style AND keep) OR add; unchecks "&Center" when asked; then
  // the preview shows it and the page is modified.
  void SetStyle(LONG keep, LONG add, bool uncheckCenter);
  void Changed();
};
