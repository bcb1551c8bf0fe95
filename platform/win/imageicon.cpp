// Icon and cursor handles.
#include "win/imageicon.h"

#include <map>
#include <memory>
#include <mutex>

namespace {

struct Icon {
  KvImage image;
  bool icon = true;
  POINT hot{0, 0};
};

std::mutex g_mutex;
std::map<std::uintptr_t, std::shared_ptr<Icon>>& Table() {
  static std::map<std::uintptr_t, std::shared_ptr<Icon>> table;
  return table;
}
std::uintptr_t g_next = 1;
constexpr std::uintptr_t kTag = 0x1C000000;

std::shared_ptr<Icon> Find(HICON h) {
  const auto v = reinterpret_cast<std::uintptr_t>(h);
  if (v <= kTag || (v - kTag) % 8) return nullptr;
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = Table().find((v - kTag) / 8);
  return it == Table().end() ? nullptr : it->second;
}

}  // namespace

HICON KvCreateIconFromImage(const KvImage& image, bool icon, int hotX, int hotY) {
  if (image.width <= 0 || image.height <= 0 ||
      image.px.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height))
    return nullptr;
  auto ic = std::make_shared<Icon>();
  ic->image = image;
  ic->icon = icon;
  ic->hot = POINT{hotX, hotY};
  std::lock_guard<std::mutex> lock(g_mutex);
  const std::uintptr_t id = g_next++;
  Table()[id] = std::move(ic);
  return reinterpret_cast<HICON>(kTag + id * 8);
}

HICON KvCreateIconFromFileBytes(const std::uint8_t* data, std::size_t size, int width, int height, int bitCount) {
  std::vector<KvIconEntry> entries;
  bool cursor = false;
  if (!KvReadIco(data, size, entries, &cursor)) return nullptr;
  int pick = 0;
  if (width > 0 && height > 0) pick = KvPickIconEntry(entries, width, height, bitCount > 0 ? bitCount : 32);
  if (pick < 0) return nullptr;
  const KvIconEntry& e = entries[static_cast<std::size_t>(pick)];
  return KvCreateIconFromImage(e.image, !cursor, e.hotX, e.hotY);
}

const KvImage* KvIconImage(HICON icon) {
  auto ic = Find(icon);
  return ic ? &ic->image : nullptr;  // the table keeps the object alive
}

bool KvIsCursor(HICON icon) {
  auto ic = Find(icon);
  return ic && !ic->icon;
}

POINT KvIconHotSpot(HICON icon) {
  auto ic = Find(icon);
  return ic ? ic->hot : POINT{0, 0};
}

BOOL KvDestroyIcon(HICON icon) {
  const auto v = reinterpret_cast<std::uintptr_t>(icon);
  if (v <= kTag || (v - kTag) % 8) return FALSE;
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().erase((v - kTag) / 8) ? TRUE : FALSE;
}

std::size_t KvIconCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Table().size();
}
