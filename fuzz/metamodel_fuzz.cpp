// Feeds arbitrary bytes to the metamodel reader of the type-library manager.
// A metamodel it accepts must be read to its last byte, record by record:
// the independent walk of the same bytes must accept it too and count the
// same classes, members and enumerations. A crash, an over-read or
// undefined behaviour is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "apps/symhost/metadatatotals.h"
#include "kvrep/sreptypelib.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ISRepTypeLibManager* manager = GetTypeLibManager();
  Check(manager != nullptr);
  manager->Clear();
  const HRESULT hr = manager->RegisterBytes(nullptr, 1, std::span<const std::uint8_t>(data, size));
  if (FAILED(hr)) {
    Check(hr == STG_E_READFAULT && manager->GetCount() == 0);
    return 0;
  }
  Check(manager->GetCount() == 1);
  const SRepTypeLib* lib = manager->GetAt(0);
  SMetaTotals totals;
  try {
    totals = SCountMetadata(data, size);
  } catch (const std::runtime_error&) {
    std::abort();  // accepted, but not a whole metamodel
  }
  unsigned attributes = 0, collections = 0, methods = 0, values = 0;
  for (const SRepMetaClass& c : lib->classes)
    for (const SRepMetaMember& m : c.members)
      (m.kind == SRepMetaMember::Attribute ? attributes : m.kind == SRepMetaMember::Collection ? collections : methods)++;
  for (const SRepMetaEnum& e : lib->enums) values += static_cast<unsigned>(e.values.size());
  Check(totals.classes == lib->classes.size() && totals.classes == lib->classCount);
  Check(totals.attributes == attributes && totals.collections == collections && totals.methods == methods);
  Check(totals.enums == lib->enums.size() && totals.values == values);
  manager->Clear();
  return 0;
}
