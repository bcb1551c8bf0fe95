// Feeds arbitrary text to the readers of a collection's show preferences:
// the attribute lines, the filter lines, the active filter and a selection
// text (the input's parts, split at the byte 0x01), each read every way the
// display and the preference pages read them. Reading a line moves on, or
// stops; a crash, an over-read, undefined behaviour or a reader that does
// not move on is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "kvrep/srepextras.h"
#include "sym/diagram/symprefshowcoll.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// The collection whose item class has three attributes (the seeds' lines
// name them), and one no class has.
constexpr long kColl = 0x02010100, kOther = 0x7FFF;
void DefineAttributes() {
  SRepExaIntf& exa = SRepExaIntf::Instance();
  exa.Clear();
  exa.AddClassAttr(kColl, 0x101, SString(u"Code"), SString(u"Code"));
  exa.AddClassAttr(kColl, 0x102, SString(u"Name"), SString(u"Name"));
  exa.AddClassAttr(kColl, 0x104, SString(u"Comment"), SString(u"Comment"));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool defined = (DefineAttributes(), true);
  (void)defined;
  if (size < 1) return 0;
  // The first byte picks the collection.
  SPrefShowColl coll(data[0] % 2 ? kOther : kColl);
  std::vector<SString> parts;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  for (int i = 0; i < 3; ++i) {
    const std::size_t cut = rest.find('\x01');
    parts.push_back(SString::FromUtf8(rest.substr(0, cut)));
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  parts.push_back(SString::FromUtf8(rest));
  coll.m_attrList = parts[0];
  coll.m_filterList = parts[1];
  coll.m_filterRef = parts[2];

  int pos = 0;
  for (int n = 0; n <= coll.m_attrList.GetLength() + 1; ++n) {
    const int before = pos;
    long id = 0;
    int selected = 0, mandatory = 0;
    SString label;
    if (!coll.GetAttribute(pos, &id, &selected, &mandatory, &label, nullptr)) {
      Check(pos == before);  // a line that cannot be read leaves pos
      break;
    }
    Check(pos > before);
  }
  (void)coll.GetAttributeListDescription(nullptr);
  (void)coll.GetSelAttrList(nullptr);
  coll.SetSelAttrList(parts[3], nullptr);
  (void)coll.GetSelAttrList(nullptr);

  pos = 0;
  for (int n = 0; n <= coll.m_filterList.GetLength() + 1; ++n) {
    const int before = pos;
    SString code, value, id;
    if (!coll.GetFilter(pos, &code, &value, &id)) break;
    Check(pos > before);
    SString foundCode, foundValue, foundId;
    coll.GetFilterFromId(id, &foundCode, &foundValue, &foundId);
    SString reference;
    coll.GetFilterIdFromCode(code, &reference);
  }
  SString reference = coll.m_filterRef;
  coll.UpdateFilterIdFromList(reference);
  (void)coll.GetFilterListDescription();
  int filters = 0, selectable = 0, limit = 0, word = 0;
  coll.HasCollOptions(&filters, &selectable, &limit, &word);
  // The parts as a new filter's code and value.
  coll.AddFilter(parts[2], parts[3], SString());
  (void)coll.GetFilterListDescription();
  return 0;
}
