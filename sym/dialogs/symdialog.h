// SSymDialog: the "Symbol Format" property sheet (caption string 1066): one
// page per part of the format that the allow options' page mask enables,
// each page built on its plain template or, in template mode (mask bit
// 0x2000, the sheet edits a format template), on its second template that
// carries the apply-to and allow-modify check boxes.
//
// Every page edits one working copy of the caller's format and allow
// options. With exactly one symbol selected, the display preferences of its
// diagram may add a page of their own after the format pages. OK and Apply hand the format the sheet opened with and the
// working one to the selection's UpdateLayoutFormat, one undoable step that
// writes only what the person changed, then copy the working records back
// to the caller. A selection that cannot take the change (a symbol deleted
// while the sheet was open) is refused with a message: nothing is written
// and the sheet stays open.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/spropertysheet.h"
#include "sym/dialogs/symdlgcolor.h"
#include "sym/dialogs/symdlgfont.h"
#include "sym/dialogs/symdlgfrmtobjt.h"
#include "sym/dialogs/symdlgline.h"
#include "sym/dialogs/symdlgshadow.h"
#include "sym/dialogs/symdlgsize.h"
#include "sym/dialogs/symdlgtextalign.h"
#include "sym/foundation/symallowopt.h"
#include "sym/foundation/symformat.h"
#include "win/windef.h"

class SSymSelection;

class SSymDialog : public SPropertySheet {
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

  // The sheet over the caller's format and allow options (both receive the
  // result) and the selection it applies to (none: only the records are
  // written back). The pages are added as the page mask enables them; the
  // "Sub-Objects" page works on the selection's one symbol.
  SSymDialog(SSymFormat* format, SSymAllowOption* allow, UINT captionId, SSymSelection* selection,
             SWnd* parent = nullptr);
  ~SSymDialog() override;
  SSymDialog(const SSymDialog&) = delete;
  SSymDialog& operator=(const SSymDialog&) = delete;

  // -1 with ERROR_INVALID_PARAMETER, nothing shown, for no format or allow
  // options, or a page mask with unknown bits; otherwise as the sheet.
  INT_PTR DoModal() override;
  // OK: every page stores its controls, then the change is written; a
  // refused write keeps the sheet open.
  void OnOK() override;
  BOOL OnApply() override;

  SSymFormatEx& GetWorkingFormat() { return m_work; }
  SSymAllowOption& GetWorkingAllow() { return m_workAllow; }
  SSymSelection* GetSelection() const { return m_pSelection; }
  // The page object of a page (whether the mask added it or not); null for
  // the pages this library does not build.
  SSymDlgBase* GetFormatPage(Page page);
  // The "Sub-Objects" page (whether the mask added it or not).
  SSymDlgFrmtObjt& GetContentPage() { return m_content; }
  // The page the diagram's display preferences added for the one selected
  // symbol (after the format pages); null for none.
  SPropertyPage* GetExtraPage() const { return m_pExtra.get(); }
  // The answer of the last write (S_OK before any).
  HRESULT GetLastWrite() const { return m_lastWrite; }

  // The diagram the sheet formats for: a parent diagram view's, else the
  // one the sheet holds: the selection's, or one given with SetDiagram.
  // Its display preferences give the size page its unit. Null for none.
  ISSymDiagram* GetDiagram() const;
  // Holds `diagram` (null lets go); ignored when the parent is a diagram
  // view, whose diagram the sheet always takes.
  void SetDiagram(ISSymDiagram* diagram);

 private:
  // Writes the working records: to the selection as one step, then back
  // to the caller's. False, nothing written, when the selection refused.
  bool WriteBack();
  // Tells why the last write (m_lastWrite) was refused: `deleted` for an
  // object deleted meanwhile, `other` otherwise. False.
  bool Refused(const char16_t* deleted, const char16_t* other);

  SSymFormat* m_pFormat;
  SSymAllowOption* m_pAllow;
  SSymSelection* m_pSelection;
  SSymFormatEx m_work;
  SSymAllowOption m_workAllow;
  SComWrap<ISSymDiagram> m_diagram;
  std::unique_ptr<SPropertyPage> m_pExtra;
  bool m_bMaskValid = true;
  HRESULT m_lastWrite = S_OK;
  SSymDlgSize m_size;
  SSymDlgLine m_line;
  SSymDlgColor m_fill;
  SSymDlgShadow m_shadow;
  SSymFontPropertyPage m_font;
  SSymDlgTextAlign m_textAlign;
  SSymDlgFrmtObjt m_content;
};
