#include "sym/shapes/sympicturecontent.h"

#include <cstdint>

#include "kvcore/spicture.h"

namespace SSymPictureContent {
namespace {
std::uint32_t Le32(const BYTE* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t Le16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
}  // namespace

bool IsMetaFileHeader(const BYTE* data, std::size_t size) {
  if (!data) return false;
  if (size >= 44 && Le32(data) == 1 && Le32(data + 40) == 0x464D4520) {
    const std::uint32_t header = Le32(data + 4);
    if (header == 88 || header == 100 || header >= 108) return true;
  }
  if (size < 6) return false;
  const std::uint16_t type = Le16(data), words = Le16(data + 2), version = Le16(data + 4);
  return (type == 1 || type == 2) && words == 9 && (version == 0x0300 || version == 0x0100);
}

bool IsImageDataForm(const BYTE* data, std::size_t size) {
  if (size <= 68) return true;
  if (!data) return false;
  const std::uint32_t flags = Le32(data);
  const std::uint32_t kind = flags & 3;
  if ((kind != 1 && kind != 2) || (flags & 0xC) == 0 || (flags & ~0xFu) != 0) return false;
  return KvIsBitmapFileHeader(data + 12, size - 12);
}

bool IsRawForm(int type, const BYTE* data, std::size_t size) {
  switch (type) {
    case SPictureInfo::ptMetaFile: return size > 108 && IsMetaFileHeader(data, size);
    case SPictureInfo::ptBitmap: return true;
    case SPictureInfo::ptIcon:
    case SPictureInfo::ptCursor: return size > 68 && !IsImageDataForm(data, size);
    default: return false;
  }
}

}  // namespace SSymPictureContent
