// Feeds arbitrary text to the content-text reader of object symbols and to
// the value reader of the content preferences.
//  - A value written by FormatValue reads back as itself (the one form the
//    format cannot express, a value with a blank that ends in a backslash,
//    is left out).
//  - The line of the text's first value as key: when it reads, writing its
//    own values back gives a line that reads the same (but for a filter id
//    that ends the line with a tab: line ends are trimmed and a tab needs
//    no quotes), keeps the number of lines, and writing them again changes
//    nothing; when the key has a line
//    that does not read, the write is refused and the text stays as it was.
//  - A merge that answers 0 leaves the content as it was.
// A crash, an over-read or undefined behaviour is a failure as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sym/diagram/symobjcontent.h"
#include "sym/diagram/symprefshowcoll.h"

namespace {
using H = SObjSymContentHelper;

void ValueRoundTrip(const SString& value) {
  if (value.Find(u' ') >= 0 && value.GetLength() > 0 && value.GetAt(value.GetLength() - 1) == u'\\') return;
  bool damaged = false;
  const std::vector<SString> read = SPrefShowColl::ReadValues(SPrefShowColl::FormatValue(value), &damaged);
  if (damaged || read.size() != 1 || !(read[0] == value)) std::abort();
}

struct Line {
  int show = 0, limit = 0;
  SString filter, selection;
  bool operator==(const Line&) const = default;
};

void ContentRoundTrip(const SString& text) {
  int pos = 0;
  SString key;
  if (!SPrefShowColl::ReadValue(text, pos, key)) return;
  Line v;
  const int read = H::ParseContentLine(&text, key, &v.show, &v.limit, &v.filter, &v.selection);
  int show = 0;
  const int hasLine = H::IsShowKey(text, key, show);
  if (read && !hasLine) std::abort();
  SString copy = text;
  const int wrote = H::AddContentLine(&copy, key, &v.show, &v.limit, &v.filter, &v.selection);
  const bool breaks = key.Find(u'\r') >= 0 || key.Find(u'\n') >= 0;
  if (breaks || (hasLine && !read)) {
    if (wrote || !(copy == text)) std::abort();  // refused, nothing half applied
    return;
  }
  if (!wrote) std::abort();
  Line again;
  if (!H::ParseContentLine(&copy, key, &again.show, &again.limit, &again.filter, &again.selection)) std::abort();
  const bool tabEnds = v.selection.IsEmpty() && v.filter.GetAt(v.filter.GetLength() - 1) == u'\t';
  if (!(again == v) && !tabEnds) std::abort();
  if (read && SSplitLines(copy).size() != SSplitLines(text).size()) std::abort();
  const SString once = copy;
  if (!H::AddContentLine(&copy, key, &v.show, &v.limit, &v.filter, &v.selection) || !(copy == once)) std::abort();
}

void Merge(const SString& text) {
  SString content(u"A 1\r\nB 0 5\r\nC 1 0 \"\" \"\" Code");
  const SString before = content;
  if (!H::MergeContent(content, text) && !(content == before)) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const SString text = SString::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  ValueRoundTrip(text);
  ContentRoundTrip(text);
  Merge(text);
  return 0;
}
