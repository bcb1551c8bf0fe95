// SSymDlgShadow: the "Shadow" page of the format sheet: the shadow style
// (none, standard, 3D effect, gradient) and the shadow colour, shown on the
// sheet's sample symbols.
#pragma once

#include "kvcore/sctrl.h"
#include "sym/dialogs/symdlgbase.h"

class SSymDlgShadow : public SSymDlgBase {
 public:
  static constexpr UINT TemplateId = 143;
  static constexpr UINT TemplateModeId = 203;
  static constexpr DWORD HelpContext = 6006;
  enum : int { NoneId = 1085, StandardId = 1018, ThreeDId = 1087, GradientId = 1088, ColorGroupId = 1121, WellId = 100 };
  // The style of a selection whose shadows differ.
  static constexpr LONG MixedStyle = 65535;

  SSymDlgShadow(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId = TemplateId);
  BOOL OnInitDialog() override;
  static void RegisterTemplates();
  // The style the radio buttons show: MixedStyle when none is checked.
  LONG CheckedStyle() const;

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnShadow();
  void OnColor(NMHDR* notify, LRESULT* result);

 private:
  SColorWellCtrl m_well;
};
