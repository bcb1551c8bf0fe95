// SSymDlgColor: the "Fill" page of the format sheet: whether symbols are
// filled, the fill colour (a colour well), the display mode of the
// background picture and the gradient (the gradient dialog), shown on the
// sheet's sample symbols.
//
// The page writes the background part (picture, its mode, gradient, brush kind)
// into the format only once the person changed one of them: a page merely
// shown over a mixed selection must not give every symbol the first one's
// brush kind.
#pragma once

#include "kvcore/sctrl.h"
#include "kvcore/spicture.h"
#include "sym/dialogs/symdlgbase.h"
#include "sym/dialogs/symdlggradient.h"

class SSymDlgColor : public SSymDlgBase {
 public:
  static constexpr UINT TemplateId = 141;
  static constexpr UINT TemplateModeId = 202;
  static constexpr DWORD HelpContext = 6002;
  enum : int {
    WellId = 100, PictureSampleId = 1011, GradientSampleId = 1012, FillId = 1018,
    PictureButtonId = 1086, ModeId = 1087, GradientButtonId = 1088, ColorGroupId = 1122,
  };
  // The display mode of no picture.
  static constexpr LONG NoPicture = 12;

  SSymDlgColor(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId = TemplateId);
  BOOL OnInitDialog() override;
  BOOL OnApply() override;
  static void RegisterTemplates();
  // The display mode of a row of the mode combo, and the row of a mode
  // (row 0, "<None>", for a mode no row has).
  static LONG ModeOfRow(int row);
  static int RowOfMode(LONG mode);
  // The brush kind of a fill: hollow when not filled, else by picture and gradient.
  static LONG BrushKind(LONG fill, bool picture, bool gradient);
  const SSymGradientFill& GetGradient() const { return m_gradient; }
  SPictureInfo* GetPicture() const { return m_picture.GetPicture(); }
  LONG GetPictureMode() const { return m_nMode; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnFillColor();
  void OnColor(NMHDR* notify, LRESULT* result);
  void OnChangeGradient();
  void OnChangeBitmapMode();
  // "M&odify...": a picture file chosen in the picture picker becomes the
  // background picture (shown centred when it was shown as none); a file
  // that holds no picture is refused and the picture stays as it was.
  void OnChangeBitmap();

 private:
  // The background part was changed: into the format, onto the samples.
  void BackgroundChanged();
  void StoreIntoFormat();
  void ShowParts();
  void FillModes();
  SColorWellCtrl m_well;
  SSymGradientSample m_gradientSample;
  SSymGradientFill m_gradient;
  // The background picture the page shows and stores (counted).
  SPictureHolder m_picture;
  LONG m_nMode = NoPicture;
  bool m_bTouched = false;
};
