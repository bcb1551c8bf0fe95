// Feeds arbitrary bytes to the picture readers: the content of a picture
// file of each picture type (raw files and the stream forms, told apart by
// the recognition rules), and the blobs of the bitmap symbol (old bitmap
// files) and of the metafile symbol (its metafile). The first byte picks the
// reader: 0-5 a picture file of that type, 6 the bitmap symbol, 7 the
// metafile symbol. Content that is refused must leave the picture file's
// picture and content as they were, a refused metafile blob the symbol's
// blob; content taken must be given back unchanged.
// A metafile is drawn into a bitmap of its frame's size (up to 8 million
// pixels, twice): that drawing is what costs, so metafiles whose frame is
// over a million pixels are left to the unit tests of that limit and the
// fuzzer spends its time on the readers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/spicture.h"
#include "sym/shapes/sympicturecontent.h"
#include "sym/shapes/sympicturefile.h"
#include "sym/shapes/sympictures.h"
#include "win/emf.h"

namespace {

// Whether the bytes read as a metafile whose frame is drawn larger than a
// million pixels.
bool HugeMetafile(const std::uint8_t* data, std::size_t size) {
  HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(size), data);
  if (!h) return false;
  const SIZE px = KvEnhMetaFileSizePx(h);
  DeleteEnhMetaFile(h);
  return static_cast<double>(px.cx) * static_cast<double>(px.cy) > 1024.0 * 1024.0;
}

void PictureFile(int type, const SBlob& content) {
  ISRepObject* obj = nullptr;
  if (SSymPictureFile::CreateInstance(&obj, nullptr, nullptr) != S_OK) std::abort();
  auto* f = static_cast<ISSymPictureFile*>(obj);
  f->SetPictureType(type);
  const HRESULT hr = f->SetContent(content);
  SBlob back;
  const HRESULT got = f->GetContent(back);
  if (FAILED(hr)) {
    if (f->GetPicture() || !back.IsEmpty()) std::abort();  // a refused content left a picture behind
  } else if (hr == S_OK) {
    if (!f->GetPicture() || FAILED(got) || !(back == content)) std::abort();  // taken content is kept as it came
  }
  obj->Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    SExceptionDialog::SetQuiet(true);
    return true;
  }();
  (void)quiet;
  if (size < 1) return 0;
  const int mode = data[0] % 8;
  // A metafile begins 40 bytes before its " EMF" signature, in the raw
  // content and in the stream forms alike.
  for (std::size_t at = 41; at + 4 <= size; ++at)
    if (std::memcmp(data + at, " EMF", 4) == 0 && HugeMetafile(data + at - 40, size - (at - 40))) return 0;
  const SBlob content(data + 1, size - 1);
  for (int t = 0; t <= 6; ++t) SSymPictureContent::IsRawForm(t, content.GetData(), content.GetSize());
  if (mode <= 5) {
    PictureFile(mode, content);
  } else if (mode == 6) {
    auto* s = new SSymBitmap(static_cast<SPictureInfo*>(nullptr), SSymRect(0, 3600, 4800, 0));
    s->AddRef();
    if (FAILED(s->SetBlobData(content))) std::abort();  // the old blob is read or ignored, never refused
    s->Release();
  } else {
    auto* s = new SSymMetafile(nullptr, SSymRect(0, 3600, 4800, 0));
    s->AddRef();
    const SBlob before = s->GetBlobData();
    if (FAILED(s->SetBlobData(content)) && !(s->GetBlobData() == before)) std::abort();
    s->GetBlobData();
    s->Release();
  }
  SPictureManager::RemoveAll();
  SExceptionDialog::ClearLog();
  return 0;
}
