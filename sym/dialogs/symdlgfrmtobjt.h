// SSymDlgFrmtObjt: the "Sub-Objects" page of the format sheet (template
// 190), and the text forms that its font cells and the sub grids' font
// cells share.
//
// For the one selected symbol the page shows one tab per sub grid of the
// symbol (a collection of sub-objects of its model object), each a grid
// with one row per sub-object: its name, its own font (empty for the
// collection's default) and whether it is displayed ("TRUE" / "FALSE").
// The result is one text in attribute 0x2010099 of the symbol's model
// object, written by the sheet after the format, as one undo step and only
// when the person changed a row.
//
// A font text holds six parts separated by ",": face, size in points,
// style letters, red, green, blue. The style letters are a weight letter,
// "N" (regular), "B" (bold), "I" (italic) or "BI" (bold italic), then the
// effect letters "U" (underline) and "S" (strike-out) in any order. Older
// texts wrote a regular font with effects as the effect letters alone
// ("U", "SU"); they read as a regular font with those effects.
//
// The sub-object format text of a symbol holds one section per collection
// of sub-objects: a header line, the collection's name, one blank and the
// display mode (0 every sub-object shown, 1 none, 2 only the listed ones),
// then one line per entry: a key ("{GUID}" or "#name#") and, after one
// blank, its value (a font text, or "," and a font text for a hidden
// sub-object with a font of its own).
#pragma once

#include <memory>
#include <vector>

#include "kvcore/scomwrap.h"
#include "kvcore/sctrl.h"
#include "kvcore/spropertypage.h"
#include "kvcore/sstring.h"
#include "kvcore/stree.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symvalues.h"
#include "win/windef.h"

class SSymGridWnd;
class SSymSelection;
class SSymSubGrid;
struct ISSymbol;

class SSymDlgFrmtObjt : public SPropertyPage {
 public:
  static constexpr UINT TemplateId = 190;
  static constexpr DWORD HelpContext = 6009;
  enum : int { TabsId = 195, SelectAllId = 1200, UnselectAllId = 1201, SelAllTabsId = 1207, UnselAllTabsId = 1208,
               EditFontId = 85 };
  // The model object's attribute that keeps the text, and the one that
  // names a sub-object in it ("#name#").
  static constexpr LONG FormatAttr = 0x2010099;
  static constexpr LONG KeyAttr = 0x201009A;
  // A sub-object whose boolean attribute of this id is false is not listed.
  static constexpr LONG ListedAttr = 0x100008E;
  // The grid columns.
  enum : unsigned long { NameCol = 0, FontCol = 1, DisplayCol = 2, ColCount = 3 };

  // Key text to value text, the entries of one collection's section.
  using FontMap = SMap<SString, SString>;

  // The entry's font and colour as text; a size below 1 is written as 8 and
  // the weight letter always comes before the effect letters.
  static SString FontToString(const SSymFonts& font);
  // Reads a font text into the entry: the entry, or null with the entry
  // untouched for no entry, an empty text, a text equal to `defaultText`, or
  // a damaged text: not six parts, an empty face or one longer than 31
  // characters, a size that is no whole number, style letters other than a
  // weight letter followed by "U" and "S", or a colour component that is no
  // whole number from 0 to 255. Blanks around a part are allowed; a size
  // below 1 reads as 8.
  static SSymFonts* StringToFont(const SString& text, SSymFonts* font, const SString& defaultText = SString());
  // The style bits of style letters; 0 for letters that are not a weight
  // letter followed by effect letters.
  static LONG StyleFromLetters(const SString& letters);
  // The style letters of style bits, the weight letter first.
  static SString LettersFromStyle(LONG style);

  // Reads the section of `collection`, whose header must start a line, into
  // `entries` (a later key replaces the value of an equal one); its mode in
  // *mode. S_OK when read; S_FALSE, nothing stored, when there is no
  // section; E_INVALIDARG, nothing stored, for a damaged one: a mode that is
  // not 0, 1 or 2, a "{" key without its "}" or a "#" key without its
  // closing "#". The section ends at the first line that holds no entry.
  static HRESULT ReadSection(const SString& text, const SString& collection, FontMap& entries, LONG* mode);
  // The mode of the collection's section, its entries read into `entries`;
  // -1, nothing stored, for no section or a damaged one.
  static LONG FindAllFont(const SString& text, const SString& collection, FontMap& entries);

  // ---- the rows of the page's tabs ----
  // One sub-object: its key ("{GUID}", "#name#", or empty for one that has
  // neither and is never written), the name shown, its own font text (empty
  // for the collection's default font) and whether it is displayed.
  struct Row {
    SString key;
    SString name;
    SString font;
    bool displayed = true;
    friend bool operator==(const Row&, const Row&) = default;
  };
  // One collection of sub-objects: its tab's title, its name in the text,
  // the text of its default font, its rows in order.
  struct Tab {
    SString title;
    SString publicName;
    SString defaultFont;
    std::vector<Row> rows;
    friend bool operator==(const Tab&, const Tab&) = default;
  };
  // The rows as the collection's section of `text` shows them: without a
  // section every row displayed with the default font. E_INVALIDARG, the
  // rows set as without a section, for a damaged section; S_OK otherwise.
  static HRESULT FillTab(Tab& tab, const SString& text);
  // The sub-object format text of the tabs, one section each, in order.
  static SString BuildText(const std::vector<Tab>& tabs);
  // The tabs of a symbol: one per sub grid it holds (nested ones included),
  // its rows the sub grid's listed objects, each grid in *grids (may be
  // null) at the tab's index. No tab for a symbol without sub grids.
  static void CollectTabs(ISSymbol* symbol, std::vector<Tab>& tabs, std::vector<SSymSubGrid*>* grids);

  // ---- the page ----
  // The page for the selection's one symbol (none when the selection holds
  // none or several).
  explicit SSymDlgFrmtObjt(SSymSelection* selection);
  ~SSymDlgFrmtObjt() override;
  SSymDlgFrmtObjt(const SSymDlgFrmtObjt&) = delete;
  SSymDlgFrmtObjt& operator=(const SSymDlgFrmtObjt&) = delete;

  BOOL OnInitDialog() override;
  // A font cell that cannot be read keeps the person on the page.
  BOOL OnKillActive() override;
  // Builds the edited text from the rows (when they differ from the rows
  // as read), then as the base.
  BOOL OnApply() override;
  // Writes the edited text into the model object's attribute as one undo
  // step, when a text was built and it differs from the attribute's; a
  // symbol adjusted to its text is adjusted again. S_OK written, S_FALSE
  // nothing to write, CO_E_OBJNOTCONNECTED for a model object deleted
  // meanwhile, else the repository's refusal.
  HRESULT WriteAttribute();

  ISSymbol* GetSymbol() const { return m_pSymbol; }
  // The rows as the page holds them (shown and edited), one entry per tab.
  const std::vector<Tab>& GetTabs() const { return m_tabs; }
  // The text built by the last OnApply; empty when none was built.
  const SString& GetEditedText() const { return m_edited; }
  bool HasEditedText() const { return m_bEdited; }
  // The tabs whose saved section could not be read (shown as defaults).
  int GetDamagedCount() const { return m_nDamaged; }

  void OnSelectAll() { SetDisplayed(true, ::GetKeyState(VK_CONTROL) < 0); }
  void OnUnselectAll() { SetDisplayed(false, ::GetKeyState(VK_CONTROL) < 0); }
  void OnSelAllTabs() { SetDisplayed(true, true); }
  void OnUnSelAllTabs() { SetDisplayed(false, true); }
  void OnEditFont();
  void OnTabChange(NMHDR* notify, LRESULT* result);
  void OnDestroy();

  KV_DECLARE_MESSAGE_MAP()

 private:
  // The display column of every row of the active tab (or of every tab).
  void SetDisplayed(bool displayed, bool allTabs);
  // The grid of the active tab (null without one).
  SSymGridWnd* ActiveGrid() const;
  // The shown cell texts of a tab's grid, from its rows.
  void ShowRows(std::size_t tab);
  void DestroyGrids();

  ISSymbol* m_pSymbol = nullptr;  // not counted: the selection holds it
  SComWrap<ISRepObject, &IID_ISRepObject> m_model;
  std::vector<Tab> m_tabs;
  std::vector<Tab> m_read;  // the rows as read, to tell a change
  std::vector<SSymSubGrid*> m_subGrids;
  std::vector<std::unique_ptr<SSymGridWnd>> m_grids;
  STabCtrl m_tabCtrl;
  SString m_edited;
  bool m_bEdited = false;
  int m_nDamaged = 0;
};
