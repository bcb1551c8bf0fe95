// Feeds arbitrary text to the row filter of the repository grids: the text
// up to the first line end is the filter ("<attribute id>=<pattern>;..."),
// the rest the text of the object matched against it. Every entry read has
// a non-zero attribute id and a trimmed pattern; an object matches a filter
// without entries; a pattern of "*" alone matches any text. A crash, an
// over-read, undefined behaviour or a match that runs without bound (the
// fuzzer's timeout) is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzzbox.h"
#include "kvcore/sexceptiondlg.h"
#include "kvrep/srepgrid.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (SExceptionDialog::SetQuiet(true), RegisterFuzzBox(), true);
  (void)ready;
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = all.find('\n');
  const SString filterText = SString::FromUtf8(all.substr(0, cut));
  const SString objectText = SString::FromUtf8(cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1));

  const SRepRowFilter filter = SRepGridRowFactory::ParseRowFilter(filterText);
  for (const SRepRowFilterEntry& e : filter) {
    Check(e.m_nAttr != 0);
    SString trimmed = e.m_sPattern;
    trimmed.Trim();
    Check(trimmed == e.m_sPattern);
  }
  auto* session = new SRepSession();
  session->AddRef();
  ISRepObject* made = nullptr;
  if (FuzzBox::Create(&made, session, nullptr) == S_OK && made) {
    auto* box = static_cast<FuzzBox*>(SRepObject::FromInterface(made));
    box->SetText(objectText, 0);
    Check(SRepGridRowFactory::MatchFilter(made, SRepRowFilter{}));
    (void)SRepGridRowFactory::MatchFilter(made, filter);
    (void)SRepGridRowFactory::MatchFilter(nullptr, filter);
    // Every entry's attribute with the pattern "*": any value matches.
    SRepRowFilter any = filter;
    for (SRepRowFilterEntry& e : any) e.m_sPattern = SString(u"*");
    Check(SRepGridRowFactory::MatchFilter(made, any));
    made->Release();
  }
  session->Release();
  return 0;
}
