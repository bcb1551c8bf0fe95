// Feeds arbitrary text to the option list's text form, the form in which a
// diagram keeps its display preferences. A text is either refused with
// SEIOException or read; a text that was read writes back to a text that
// reads to the same list and writes back unchanged. A crash, an over-read or
// undefined behaviour is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "kvcore/sexception.h"
#include "kvlib/sliboptlist.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// A list with keys of each type, as a diagram type declares them.
void Declare(SLibOptList& list) {
  list.AddOptSection(u"General");
  list.AddBoolOptProfile(u"General", u"Snap Grid", 0, 0, 2);
  list.AddLongOptProfile(u"General", u"Grid size", 0, 0, 2);
  list.AddOptProfile(u"General", u"Window color", 0, SString(u"255, 255, 255"), 2);
  list.AddOptProfile(u"Object", u"Word Text", 0, SString(u"!\"#"), 2);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SString text(std::u16string(reinterpret_cast<const char16_t*>(data), size / 2));
  SLibOptList list;
  Declare(list);
  try {
    list.FillFromINI(text);
  } catch (const SEIOException&) {
    return 0;
  }
  SString first;
  list.SaveOptions(first);
  SLibOptList again;
  Declare(again);
  try {
    again.FillFromINI(first);
  } catch (const SEIOException&) {
    Check(false);  // what the list wrote it must read
  }
  SString second;
  again.SaveOptions(second);
  Check(first == second);
  return 0;
}
