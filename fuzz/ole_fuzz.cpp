// Feeds arbitrary bytes to the OLE item's blob reader. The first byte picks
// the form: even, the bytes are the blob itself; odd, they are a storage
// image placed behind a sound aspect, index and size (so that the storage
// and the stored picture are read). A blob that is taken is written back as
// it was read (its first 12 + n bytes); a refused one leaves the item empty;
// a null object is never marked as contained.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "sym/shapes/symole.h"

namespace {
void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SExceptionDialog::SetQuiet(true);
    return true;
  }();
  (void)quiet;
  if (size < 1) return 0;
  std::vector<std::uint8_t> blob;
  if (data[0] % 2) {
    blob.assign(12, 0);
    Put32(blob, 0, 1);
    Put32(blob, 4, 0xFFFFFFFFu);
    Put32(blob, 8, static_cast<std::uint32_t>(size - 1));
  }
  blob.insert(blob.end(), data + 1, data + size);
  KvOleResetContainedLog();
  auto* s = new SSymOle(SSymRect(0, 3600, 4800, 0));
  s->AddRef();
  const HRESULT hr = s->SetBlobData(SBlob(blob.data(), blob.size()));
  const std::vector<std::uint8_t> back = s->GetBlobData().GetBytes();
  if (hr == S_OK) {
    std::size_t used = 12;
    if (blob.size() >= 12) used += blob[8] | (blob[9] << 8) | (blob[10] << 16) | (std::size_t{blob[11]} << 24);
    if (blob.empty()) {
      if (back.size() != 12) std::abort();
    } else if (used > blob.size() || back.size() != used || std::memcmp(back.data(), blob.data(), used) != 0) {
      std::abort();  // a taken blob comes back unchanged
    }
  } else {
    const std::uint8_t empty[12] = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    if (back.size() != 12 || std::memcmp(back.data(), empty, 12) != 0) std::abort();  // refused: left empty
    if (s->GetViewObject(0) || s->GetOleObject(0)) std::abort();
  }
  for (IUnknown* o : KvOleContainedLog())
    if (!o) std::abort();
  s->Release();
  return 0;
}
