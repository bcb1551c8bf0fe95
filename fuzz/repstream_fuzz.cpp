// Feeds arbitrary bytes to the repository's data-format reader, loading into
// a session whose classes include the library's text symbol (every attribute
// of its property map set from the stream). A damaged stream must make
// nothing; a crash, an over-read, a leak or undefined behaviour is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzzbox.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/spicture.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = (SExceptionDialog::SetQuiet(true), RegisterFuzzBox(), true);
  (void)ready;
  auto* session = new SRepSession();
  session->AddRef();
  SRepRootObject carried;
  static_cast<SRepObject&>(carried).AddRef();
  std::vector<ISRepObject*> loaded;
  SInputBuffer in(data, size);
  SRepStreamManager manager;
  const HRESULT hr = manager.Load(in, &carried, session, 1, &loaded);
  if (FAILED(hr) && (!loaded.empty() || session->GetObjectCount() != 0)) std::abort();
  for (ISRepObject* o : loaded) o->Release();
  static_cast<SRepObject&>(carried).ReleaseAll();
  session->Release();
  SPictureManager::RemoveAll();
  return 0;
}
