// SSymDialog: the "Symbol Format" property sheet (caption string 1066): one
// page per part of the format that the allow options' page mask enables,
// each page built on its plain template or, in template mode (mask bit
// 0x2000, the sheet edits a format template), on its second template that
// carries the apply-to and allow-modify check boxes.
#pragma once

#include <vector>

#include "sym/foundation/symallowopt.h"
#include "win/windef.h"

class SSymDialog {
 public:
  static constexpr UINT CaptionId = 1066;

  // The pages, in the order of their tabs.
  enum Page : int { Size, Line, Fill, Shadow, Font, TextAlign, CustomShape, Content, PageCount };
  // The page-mask bits.
  enum : DWORD {
    MaskLine = 0x1,
    MaskLineCorners = 0x2,
    MaskArrows = 0x4,
    MaskFill = 0x8,
    MaskShadow = 0x10,
    MaskFillCheck = 0x20,
    MaskFont = 0x40,
    MaskSizeFields = 0x80,
    MaskSizeAdjust = 0x100,
    MaskTextAlign = 0x200,
    MaskLineStyle = 0x400,
    MaskCustomShape = 0x800,
    MaskContent = 0x1000,
    MaskTemplateMode = 0x2000,
  };
  struct PageChoice {
    Page page;
    UINT templateId;
  };

  // The pages a page mask adds, in tab order, each with its template (the
  // size page once, whether its fields, its adjustment or both are
  // editable). E_INVALIDARG, and no page, for a mask with bits beyond the
  // fourteen in use: a mask from a newer or damaged source is not guessed at.
  static HRESULT ChoosePages(DWORD mask, std::vector<PageChoice>& pages);
  // The template of a page: its plain one, or its template-mode one.
  static UINT TemplateOf(Page page, bool templateMode);
  // The allow-options category a page edits (-1 for the text alignment
  // page, which has none).
  static int CategoryOf(Page page);
};
