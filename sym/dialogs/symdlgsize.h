// SSymDlgSize: lengths of the diagram (graphic units of 1/7200 inch) as the
// user reads and types them in dialogs, in inches (unit 0), millimetres
// (unit 1) or screen pixels (unit 2), in its least form: the two
// conversions the preference pages rely on; and the "Size" page of the
// format sheet, which shows and edits the symbols' current size in one of
// those units and their four size options.
#pragma once

#include "kvcore/sstring.h"
#include "sym/dialogs/symdlgbase.h"
#include "win/windef.h"

class SSymDlgSize : public SSymDlgBase {
 public:
  static constexpr UINT TemplateId = 147;
  static constexpr UINT TemplateModeId = 200;
  static constexpr DWORD HelpContext = 6007;
  enum : int {
    NormalWidthId = 1042, NormalHeightId = 1043, WidthId = 1044, HeightId = 1045,
    CurrentGroupId = 1062, NormalGroupId = 1064,
    AutoAdjustId = 1072, KeepAspectId = 1110, KeepCenterId = 1120, KeepSizeId = 1121,
  };
  SSymDlgSize(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId = TemplateId);
  // The unit the page shows sizes in. When the page opens on a sheet whose
  // diagram has display preferences, their graphic unit; otherwise the one
  // set here, inches until set. False, and the unit unchanged, for a unit
  // that is none of the three (a damaged preference is not guessed at).
  bool SetUnit(int unit);
  int GetUnit() const { return m_nUnit; }
  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  // Reads every control into the format; refuses (and stays) while a typed
  // size cannot be read, with nothing of the page stored.
  BOOL OnKillActive() override;
  static void RegisterTemplates();

  enum Unit { Inch = 0, Millimetre = 1, Pixel = 2 };

  // A graphic length in `unit`. Pixels use the screen's logical pixels per
  // inch across (horizontal non-zero) or down, rounded half up to a whole
  // pixel. Any other unit answers the length in inches.
  static double UnitToGraphic(int unit, long graphic, int horizontal);
  // The inverse: a length typed in `unit` as graphic units, cut toward zero
  // and kept within the range of a long (a value that is not a number is 0).
  static long GraphicToUnit(int unit, double value, int horizontal);
  // The screen's logical pixels per inch across or down (96 without a screen).
  static int ScreenPixelsPerInch(int horizontal);

  // Puts the unit's name ("inch", "mm", "pixel") into a caption in place of
  // what stands between its first "(" and the first ")" after it (to the
  // end without one). False, and the caption unchanged, without a "(".
  static bool ReplaceUnitText(int unit, SString& caption);

  // The largest size a box takes, in graphic units (about 3.7 km): a symbol
  // of that size still has room on the diagram's 32-bit plane.
  static constexpr LONG MaxLength = 0x3FFFFFFF;
  // What reading a typed size found.
  enum ReadResult { ReadOk = 0, ReadEmpty, ReadNotANumber, ReadNotPositive, ReadTooLarge };
  // A size typed in `unit` (blanks around it allowed; digits with at most
  // one decimal point, a leading minus only to be refused as not positive)
  // as graphic units in `graphic`; any other answer leaves `graphic` as it
  // was: a word, an exponent or trailing text is not a number, a size of 0
  // graphic units or less is not positive, one beyond MaxLength too large.
  static ReadResult ReadTypedLength(int unit, const SString& text, int horizontal, LONG& graphic);

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnAutoAdjust();
  void OnKeepAspect() { StoreOption(KeepAspectId, m_pFormat->m_margins[0]); }
  void OnKeepCenter() { StoreOption(KeepCenterId, m_pFormat->m_margins[1]); }
  void OnKeepSize();

 private:
  // A box's state as an option word (0, 1 or 2 when indeterminate); true
  // when it changed the word.
  bool StoreOption(int id, LONG& word);
  void ShowOption(int id, LONG word);
  void ShowSizes();
  // A typed size into the stored one; false with a refusal shown.
  bool ReadSize(int id, LONG& stored, LONG initial, int horizontal);
  int m_nUnit = Inch;
  SSymSize m_initial;
};
