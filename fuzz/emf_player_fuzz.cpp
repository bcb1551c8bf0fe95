// Feeds arbitrary bytes to the enhanced and old-style metafile readers and,
// when they form a metafile, plays it into a raster context, a recording context (whose output
// must read back) and a call log. A crash, an over-read or undefined
// behaviour is a failure; a refused file or record is not.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "win/emf.h"
#include "win/gdisink.h"

namespace {
template <class T>
HGDIOBJ Obj(T h) {
  return reinterpret_cast<HGDIOBJ>(h);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HDC raster = [] {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    SelectObject(dc, Obj(CreateCompatibleBitmap(screen, 48, 48)));
    ReleaseDC(nullptr, screen);
    return dc;
  }();
  // Old-style metafiles: played as they are and converted.
  if (HMETAFILE old = SetMetaFileBitsEx(static_cast<UINT>(size), data)) {
    PlayMetaFile(raster, old);
    DeleteMetaFile(old);
  }
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(size), data);
  if (!mf) mf = SetWinMetaFileBits(static_cast<UINT>(size), data, nullptr, nullptr);
  if (!mf) return 0;
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(mf, sizeof h, &h);
  const RECT rc{2, 3, 45, 40};
  PlayEnhMetaFile(raster, mf, &rc);

  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  PlayEnhMetaFile(rec, mf, &rc);
  HENHMETAFILE copy = CloseEnhMetaFile(rec);
  if (!copy) std::abort();  // what the recorder writes must read back
  DeleteEnhMetaFile(copy);

  HDC log = KvCreateDCOnSink(std::make_unique<KvRecordingSink>());
  PlayEnhMetaFile(log, mf, &rc);
  DeleteDC(log);
  DeleteEnhMetaFile(mf);
  return 0;
}
