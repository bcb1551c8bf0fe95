// SSymDlgFrmtObjt: the format dialog of symbols, in its least form until the
// dialogs subsystem brings the real one: the text form of a font entry that
// its font table and the grid window's font cells share.
//
// The text has six parts separated by ",": face, size in points, style
// letters, red, green, blue. The style letters are B (bold), I (italic),
// U (underline) and S (strike-out), or "N" when the font has none of them.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symvalues.h"

class SSymDlgFrmtObjt {
 public:
  // The entry's font and colour as text; a size below 1 is written as 8.
  static SString FontToString(const SSymFonts& font);
  // Reads a text made by FontToString into the entry's font and colour.
  // False (the entry untouched) for a null entry or a text that is not six
  // parts: a face of 1 to 31 characters, a positive whole size, style
  // letters among N B I U S, and three whole colour components 0 to 255
  // (blanks around a part are allowed).
  static bool StringToFont(const SString& text, SSymFonts* font);
};
