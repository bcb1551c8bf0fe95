// SSymDlgFrmtObjt: the text forms of the "Sub-Objects" page of the format
// sheet, which its font cells and the sub grids' font cells share.
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

#include <vector>

#include "kvcore/sstring.h"
#include "kvcore/stree.h"
#include "sym/foundation/symvalues.h"
#include "win/windef.h"

class SSymDlgFrmtObjt {
 public:
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
  };
  // One collection of sub-objects: its name in the text, the text of its
  // default font, its rows in order.
  struct Tab {
    SString publicName;
    SString defaultFont;
    std::vector<Row> rows;
  };
  // The rows as the collection's section of `text` shows them: without a
  // section every row displayed with the default font. E_INVALIDARG, the
  // rows set as without a section, for a damaged section; S_OK otherwise.
  static HRESULT FillTab(Tab& tab, const SString& text);
  // The sub-object format text of the tabs, one section each, in order.
  static SString BuildText(const std::vector<Tab>& tabs);
};
