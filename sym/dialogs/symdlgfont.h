// SSymFontPropertyPage: the "Font" page of the format sheet. A format
// carries a list of named font entries (one per text part of a symbol: its
// name, its comment, ...). The page lists them by name, lets the person
// select one or several, shows their common font (face, style, size,
// strike-out, underline, colour, a sample) and writes what the person
// edited back into every selected entry.
//
// Where the selected entries differ, the control shows nothing (an empty
// face or size, no style line, an undetermined check box, no colour) and
// the sample says "Multiple selection". A field the entries do not share is
// left as each entry has it unless the person sets it: only what is common
// or edited is written.
#pragma once

#include <optional>
#include <vector>

#include "kvcore/sctrl.h"
#include "sym/dialogs/symdlgbase.h"

// The font the page shows: each field present when the selected entries
// share it or the person set it.
struct SSymFontChoice {
  std::optional<SString> face;
  std::optional<LONG> size;
  std::optional<bool> bold, italic, underline, strikeOut;
  std::optional<COLORREF> color;

  // What the given entries share (no entry: nothing).
  static SSymFontChoice Common(const SSymLstFonts& fonts, const std::vector<int>& entries);
  // Writes the present fields into each given entry; the others stay.
  void StoreInto(SSymLstFonts& fonts, const std::vector<int>& entries) const;
};

class SSymFontPropertyPage : public SSymDlgBase {
 public:
  static constexpr UINT TemplateId = 104;
  static constexpr UINT TemplateModeId = 204;
  static constexpr DWORD HelpContext = 6003;
  enum : int {
    ListId = 1067,
    StrikeOutId = 1014,
    UnderlineId = 1015,
    SampleId = 1016,
    FaceId = 1017,
    StyleId = 1018,
    SizeId = 1019,
    ColorId = 1020,
  };
  // The lines of the style combo.
  enum : int { StyleRegular, StyleItalic, StyleBold, StyleBoldItalic };
  // The sample's text, and the one shown when the faces differ (string 1050).
  static constexpr const char16_t* SampleText = u"AaBbYyZz";
  static constexpr UINT MultipleSelectionString = 1050;

  SSymFontPropertyPage(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId = TemplateId);
  static void RegisterTemplates();

  BOOL OnInitDialog() override;
  // Refuses leaving the page (with a message, nothing stored) while the
  // face or size the person typed cannot be a font.
  BOOL OnKillActive() override;
  // The controls into the selected entries.
  BOOL OnApply() override;

  // Recounts the entries, selects the first alone, refills the list and
  // shows it; 1.
  int UpdateFontList();
  // The selected entries (indexes into the working format's font list).
  const std::vector<int>& GetSelectedEntries() const { return m_selected; }
  // The font the controls show now.
  SSymFontChoice ReadControls() const;
  // The sample's text as last drawn: SampleText, or "Multiple selection"
  // while no common face is shown.
  const SString& GetSampleText() const { return m_sample; }

  KV_DECLARE_MESSAGE_MAP()

 protected:
  void OnSelChangeFont();
  void OnFontChange();
  void OnEffect(int id);
  void OnStrikeOut() { OnEffect(StrikeOutId); }
  void OnUnderline() { OnEffect(UnderlineId); }
  void OnColor(NMHDR* notify, LRESULT* result);

 private:
  // Shows the common font of the selected entries.
  void SetSymFont();
  // Stores what the controls show into the selected entries; false, nothing
  // stored, when a typed face or size is refused.
  bool GetSymFont();
  // Why the typed face or size cannot be taken (empty when they can).
  SString CheckTyped() const;
  SSymLstFonts* Fonts() const { return m_pFormat ? &m_pFormat->m_fonts : nullptr; }
  void ShowSample();

  SListBoxCtrl m_list;
  SButtonCtrl m_strike;
  SButtonCtrl m_underline;
  SComboBoxCtrl m_face;
  SComboBoxCtrl m_style;
  SComboBoxCtrl m_size;
  SColorWellCtrl m_well;
  std::optional<COLORREF> m_color;  // the colour shown, when common or chosen
  std::vector<int> m_selected;
  bool m_bShowing = false;
  SString m_sample{SampleText};  // SetSymFont fills the controls: no edit
};
