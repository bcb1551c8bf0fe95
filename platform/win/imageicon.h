// Icon and cursor handles: an ARGB image with a hot spot in a handle table.
// Handles are never reused, so a destroyed handle is recognised.
#pragma once

#include "win/image.h"
#include "win/windef.h"

// A new icon (or cursor when `icon` is false) holding a copy of the image;
// null for an empty image.
HICON KvCreateIconFromImage(const KvImage& image, bool icon = true, int hotX = 0, int hotY = 0);
// The best entry of an icon or cursor file for a size (0: the entry's own
// size) and depth; null when the bytes are not an icon or cursor file.
HICON KvCreateIconFromFileBytes(const std::uint8_t* data, std::size_t size, int width, int height, int bitCount);
// The image of a live icon or cursor, null otherwise. The pointer stays valid
// until the handle is destroyed.
const KvImage* KvIconImage(HICON icon);
bool KvIsCursor(HICON icon);
POINT KvIconHotSpot(HICON icon);
// FALSE for a bad or already destroyed handle.
BOOL KvDestroyIcon(HICON icon);
std::size_t KvIconCount();
