// Picture files made in memory for the picture tests: PNG, BMP, icon and
// cursor files, enhanced and old-style metafiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/windef.h"

namespace kvtest {

using Bytes = std::vector<BYTE>;

// A w x h image of one colour (0xAARRGGBB); with `alpha`, pixel 0 is transparent.
Bytes PngBytes(int w, int h, std::uint32_t argb, bool alpha = false);
Bytes BmpBytes(int w, int h, std::uint32_t argb);
// An icon (or cursor, hot spot 1,2) file whose one image is a PNG.
Bytes IcoBytes(int size, std::uint32_t argb = 0xFF00FF00u, bool cursor = false);
// An enhanced metafile drawing one filled rectangle (frame about 60 x 40 pixels).
Bytes EmfBytes();
// An enhanced metafile that draws nothing but white.
Bytes WhiteEmfBytes();
// An old-style metafile (memory type) drawing eight filled bars.
Bytes WmfBytes();

// Writes `bytes` as the file `path` (a test's own temporary folder); false
// when it cannot.
bool WriteBytes(const std::string& path, const Bytes& bytes);

void Put16(Bytes& b, std::size_t at, std::uint16_t v);
void Put32(Bytes& b, std::size_t at, std::uint32_t v);

}  // namespace kvtest
