// SImageList: small images (icons) addressed by index, and the UI library's
// shared list of the small images that stand for object classes (window
// icons, tree and list items).
#pragma once

#include <vector>

#include "win/windef.h"

class SImageList {
 public:
  SImageList() = default;
  ~SImageList();
  SImageList(const SImageList&) = delete;
  SImageList& operator=(const SImageList&) = delete;

  // Takes the icon (the list destroys it); its index, or -1 for a null or
  // dead handle (nothing taken).
  int Add(HICON icon);
  int GetImageCount() const { return static_cast<int>(m_icons.size()); }
  // A new icon with the image at index, for the caller to destroy; null for
  // an index out of range.
  HICON ExtractIcon(int index) const;
  // Destroys every image.
  void RemoveAll();

 private:
  std::vector<HICON> m_icons;
};

class SLibImageList {
 public:
  // The shared list of small images (16 by 16), empty until filled.
  static SImageList& GetSmallImageList();
};
