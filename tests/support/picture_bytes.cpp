#include "support/picture_bytes.h"

#include <cstring>
#include <fstream>

#include "win/emf.h"
#include "win/image.h"
#include "win/wingdi.h"

namespace kvtest {

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<BYTE>(v);
  b[at + 1] = static_cast<BYTE>(v >> 8);
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4);
  for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<BYTE>(v >> (8 * i));
}

namespace {
KvImage Plain(int w, int h, std::uint32_t argb, bool alpha) {
  KvImage img;
  img.width = w;
  img.height = h;
  img.hasAlpha = alpha;
  img.px.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), argb);
  if (alpha) img.px[0] = 0;
  return img;
}

Bytes Record(bool white) {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  if (white) {
    RECT r{0, 0, 60, 40};
    FillRect(rec, &r, reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  } else {
    SelectObject(rec, GetStockObject(BLACK_BRUSH));
    Rectangle(rec, 0, 0, 60, 40);
  }
  HENHMETAFILE h = CloseEnhMetaFile(rec);
  Bytes out = KvEnhMetaFileBytes(h);
  DeleteEnhMetaFile(h);
  return out;
}
}  // namespace

Bytes PngBytes(int w, int h, std::uint32_t argb, bool alpha) {
  Bytes out;
  KvWritePng(Plain(w, h, argb, alpha), out);
  return out;
}

Bytes BmpBytes(int w, int h, std::uint32_t argb) {
  Bytes out;
  KvWriteBmp(Plain(w, h, argb, false), out);
  return out;
}

Bytes IcoBytes(int size, std::uint32_t argb, bool cursor) {
  const Bytes png = PngBytes(size, size, argb);
  Bytes ico(6 + 16 + png.size());
  Put16(ico, 2, cursor ? 2 : 1);
  Put16(ico, 4, 1);
  ico[6] = static_cast<BYTE>(size);
  ico[7] = static_cast<BYTE>(size);
  Put16(ico, 10, cursor ? 1 : 1);  // planes, or the hot spot's x
  Put16(ico, 12, cursor ? 2 : 32);  // bits, or the hot spot's y
  Put32(ico, 14, static_cast<std::uint32_t>(png.size()));
  Put32(ico, 18, 22);
  std::memcpy(&ico[22], png.data(), png.size());
  return ico;
}

Bytes EmfBytes() { return Record(false); }
Bytes WhiteEmfBytes() { return Record(true); }

Bytes WmfBytes() {
  HDC rec = CreateMetaFileW(nullptr);
  SelectObject(rec, GetStockObject(BLACK_BRUSH));
  for (int i = 0; i < 8; ++i) Rectangle(rec, i * 8, 0, i * 8 + 6, 40);
  HMETAFILE wmf = CloseMetaFile(rec);
  Bytes out(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(out.size()), out.data());
  DeleteMetaFile(wmf);
  return out;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace kvtest
