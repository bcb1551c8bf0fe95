// The parts the format sheet's pages share:
//
//   SSymXemFrmtOption  the template-mode pair of check boxes of a page
//                      (405 "apply to symbols", 406 "allow users to
//                      modify") and the allow-options category they govern;
//   SSymPreviewShare   the preview diagram of one sheet, made by the first
//                      page that shows a preview and held by every page
//                      that shows it;
//   SSymDlgBase        a page of the sheet that edits one category of the
//                      working format, with the two boxes and the preview.
#pragma once

#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/spropertypage.h"
#include "sym/foundation/symallowopt.h"
#include "sym/foundation/symformat.h"
#include "sym/symbol/symintfowner.h"

class SSymDialog;
class SSymView;

class SSymXemFrmtOption {
 public:
  static constexpr int ApplyToId = 405;
  static constexpr int AllowModifyId = 406;

  // The allow-modify box is enabled exactly while the apply box is checked
  // (its own check and bit stay as they were when it is disabled).
  static bool AllowModifyEnabled(bool applyChecked) { return applyChecked; }
  // Copies a box's check state into the apply (405) or allow-modify (406)
  // bit of the category's word. False, and nothing written, for a box that
  // is neither, a category index that names none (-1 until the page sets
  // it) or no options.
  static bool StoreCheck(SSymAllowOption* allow, int category, int box, bool checked);
  // The check the box shows for the category: false for what StoreCheck
  // refuses.
  static bool ShownCheck(const SSymAllowOption* allow, int category, int box);

  int m_nCategory = -1;
};

// Every page that shows the preview holds it; the diagram is deleted from
// the repository once, when the last holder lets go, so that the pages
// after the first do not delete a diagram that is gone already.
class SSymPreviewShare {
 public:
  // A share of a diagram with no holder yet; null for no diagram.
  static SSymPreviewShare* Create(ISSymDiagram* diagram);
  SSymPreviewShare(const SSymPreviewShare&) = delete;
  SSymPreviewShare& operator=(const SSymPreviewShare&) = delete;

  ISSymDiagram* GetDiagram() const { return m_diagram.Get(); }
  int GetHolderCount() const { return m_nHolders; }
  void AddHolder() { ++m_nHolders; }
  // One holder lets go. The last one deletes the diagram (unless it is
  // deleted already) and the share itself: true then, and the share must
  // not be used again.
  bool ReleaseHolder();

 private:
  explicit SSymPreviewShare(ISSymDiagram* diagram) : m_diagram(diagram) {}
  ~SSymPreviewShare() = default;
  SComWrap<ISSymDiagram> m_diagram;
  int m_nHolders = 0;
};

// The pages' templates: the controls of a page, and in template mode the
// two boxes below them.
struct SSymPageTexts {
  UINT plainId, templateModeId;
  const char16_t* caption;
  const char16_t* applyText;   // box 405 in template mode
  const char16_t* modifyText;  // box 406 in template mode
};
// Registers the page's plain template and (when it has one of its own) its
// template-mode one; the preview group goes at (x, y) when cx is not 0.
void SSymRegisterPageTemplates(const SSymPageTexts& texts, int cx, int cy, std::vector<SDlgItem> items);
// A group box and the preview view (control 1010) inside it.
void SSymAddPreviewItems(std::vector<SDlgItem>& items, int x, int y, int cx, int cy);

class SSymDlgBase : public SPropertyPage, public SSymXemFrmtOption {
 public:
  static constexpr int PreviewId = 1010;

  // A page on its template, editing `format` (the sheet's working format)
  // under `allow` (its working allow options); neither is owned.
  SSymDlgBase(UINT templateId, SSymFormatEx* format, SSymAllowOption* allow);
  ~SSymDlgBase() override;
  SSymDlgBase(const SSymDlgBase&) = delete;
  SSymDlgBase& operator=(const SSymDlgBase&) = delete;

  // The sheet the page is on; the boxes write the sheet's allow options
  // only while the page is on one.
  void SetSheet(SSymDialog* sheet) { m_pSheet = sheet; }
  SSymDialog* GetSheet() const { return m_pSheet; }
  SSymFormatEx* GetFormat() const { return m_pFormat; }
  SSymAllowOption* GetAllow() const { return m_pAllow; }
  bool InTemplateMode() const { return m_pAllow && (m_pAllow->m_mask & 0x2000) != 0; }
  // Outside template mode a category a template imposes (applied, and
  // users not allowed to modify it) is shown but cannot be edited; both
  // bits set is the neutral state, fully editable.
  bool CategoryImposed(int category) const;

  // Template mode: the two boxes show and edit the category's bits.
  BOOL OnInitDialog() override;
  void OnApplyTo();
  void OnAllowModify();
  // The sibling query: the page's preview share, for the query code the
  // page answers (0; the text alignment page answers 1).
  LRESULT OnQuerySibling(WPARAM wParam, LPARAM lParam);

  // ---- the preview ----
  // Finds control 1010 and shows the sheet's preview diagram in it: a
  // sibling's when one answers, else a new one of the two sample symbols.
  // 1 when the page has a preview window, 0 otherwise.
  int SetupPreview();
  // The sample symbols take the working format again and are redrawn.
  void RefreshPreview();
  ISSymDiagram* GetPreviewDiagram() const;
  SSymView* GetPreviewView() const { return m_pPreview; }
  // The colour a brush shows: the end colour of a gradient that has one,
  // else its colour; white for a colour the selection does not share.
  static COLORREF PreviewColor(const SSymBrush& brush);
  // The colour the samples show for a brush: PreviewColor, darkened as the
  // symbol shows it inside its composites when the sheet formats exactly
  // one symbol.
  COLORREF ShownColor(const SSymBrush& brush) const;
  COLORREF ShownColor(COLORREF color) const;
  // Gives the preview's sample symbols a format, with what a mixed
  // selection leaves undetermined drawn as plain defaults, filled with
  // `fill`.
  static void FormatSample(ISSymbol* symbol, const SSymFormat& format, COLORREF fill);

  // The last refusal of bad input the page showed (empty when none).
  const SString& GetRefusal() const { return m_refusal; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  // A click on a colour well of the page: the colour chosen (one of the
  // well's cells, or its colour dialog's) becomes `stored` when it differs,
  // the preview shows it and the page is modified. True when it changed.
  bool TakeWellColor(SColorWellCtrl& well, NMHDR* notify, SSymColor& stored);
  // Shows why a value cannot be taken, and keeps it for GetRefusal.
  void Refuse(const SString& text);
  void ClearRefusal() { m_refusal = SString(); }
  // Enables or disables the page's controls of these ids.
  void EnableItems(std::initializer_list<int> ids, bool enabled);
  void ShowItems(std::initializer_list<int> ids, bool shown);
  bool IsChecked(int id) const;
  // The text of a control of the page (empty without one).
  SString GetDlgItemText(int id) const;
  void SetCheck(int id, int check);

  SSymFormatEx* m_pFormat;
  SSymAllowOption* m_pAllow;
  SSymDialog* m_pSheet = nullptr;
  int m_nQueryCode = 0;

 private:
  void LetPreviewGo();
  SSymPreviewShare* m_pShare = nullptr;
  SSymView* m_pPreview = nullptr;
  SString m_refusal;
};
