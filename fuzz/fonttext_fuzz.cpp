// Feeds arbitrary text to the font cell reader of the format dialog and the
// grid window. A text that is not taken must leave the entry exactly as it
// was; one that is taken gives an entry whose text form is taken again and
// yields the same entry and the same text. A crash, an over-read or
// undefined behaviour is a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sym/dialogs/symdlgfrmtobjt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SString text = SString::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  SSymFonts entry;
  entry.m_font.m_style = SSymFont::Italic;
  const SSymFonts before = entry;
  if (!SSymDlgFrmtObjt::StringToFont(text, &entry)) {
    if (!(entry == before)) std::abort();  // a refused text changed the entry
    return 0;
  }
  const SString once = SSymDlgFrmtObjt::FontToString(entry);
  SSymFonts again;
  if (!SSymDlgFrmtObjt::StringToFont(once, &again)) std::abort();  // its own text form refused
  if (!(again == entry) || !(SSymDlgFrmtObjt::FontToString(again) == once)) std::abort();
  if (SSymDlgFrmtObjt::StringToFont(text, nullptr)) std::abort();  // no entry, nothing read
  return 0;
}
