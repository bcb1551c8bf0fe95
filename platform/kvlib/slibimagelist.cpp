#include "kvlib/slibimagelist.h"

#include "win/imageicon.h"

SImageList::~SImageList() { RemoveAll(); }

int SImageList::Add(HICON icon) {
  if (!icon || !KvIconImage(icon)) return -1;
  m_icons.push_back(icon);
  return GetImageCount() - 1;
}

HICON SImageList::ExtractIcon(int index) const {
  if (index < 0 || index >= GetImageCount()) return nullptr;
  const HICON icon = m_icons[static_cast<std::size_t>(index)];
  const KvImage* image = KvIconImage(icon);
  if (!image) return nullptr;
  const POINT hot = KvIconHotSpot(icon);
  return KvCreateIconFromImage(*image, !KvIsCursor(icon), hot.x, hot.y);
}

void SImageList::RemoveAll() {
  for (HICON icon : m_icons) KvDestroyIcon(icon);
  m_icons.clear();
}

SImageList& SLibImageList::GetSmallImageList() {
  // Never destroyed: its icons live in the handle table to the end.
  static SImageList* list = new SImageList;
  return *list;
}
