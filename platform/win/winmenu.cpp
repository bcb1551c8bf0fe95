// Menus: the handle table of menu trees, entry lookup by position and by
// command, the resource tables, and the tracked pop-ups answered by script.
#include "win/winmenu.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_map>

namespace {

struct Item {
  UINT type = MFT_STRING;
  UINT state = 0;
  UINT id = 0;
  HMENU sub = nullptr;
  std::u16string text;
  ULONG_PTR data = 0;
  HBITMAP checked = nullptr, unchecked = nullptr, bitmap = nullptr;
};

struct Menu {
  HMENU self = nullptr;
  bool popup = false;
  std::vector<Item> items;
};

struct State {
  std::unordered_map<std::uintptr_t, std::unique_ptr<Menu>> menus;
  std::uintptr_t next = 0x40000;
  std::deque<UINT> answers;
  std::vector<KvTrackedMenu> log;
};

State& S() {
  static State* s = new State();  // outlives static destructors that may still destroy menus
  return *s;
}

// Pop-ups never nest deeper than this (a guard against trees made by hand).
constexpr int kMaxDepth = 64;

std::uintptr_t Key(HMENU h) { return reinterpret_cast<std::uintptr_t>(h); }

Menu* Get(HMENU h) {
  auto it = S().menus.find(Key(h));
  return it == S().menus.end() ? nullptr : it->second.get();
}

Menu* Check(HMENU h) {
  Menu* m = Get(h);
  if (!m) SetLastError(ERROR_INVALID_MENU_HANDLE);
  return m;
}

HMENU New(bool popup) {
  State& s = S();
  s.next += 4;
  auto m = std::make_unique<Menu>();
  m->popup = popup;
  m->self = reinterpret_cast<HMENU>(s.next);
  s.menus[s.next] = std::move(m);
  return reinterpret_cast<HMENU>(s.next);
}

struct Where {
  Menu* menu = nullptr;
  std::size_t pos = 0;
  Item& item() const { return menu->items[pos]; }
};

// By command: nested pop-ups are searched first, an entry of the pop-up
// itself with that id is the answer only when nothing inside has it.
bool FindCommand(Menu* m, UINT id, Where* out, int depth) {
  if (depth > kMaxDepth) return false;
  Where fallback;
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    Item& it = m->items[i];
    if (it.sub) {
      if (Menu* sub = Get(it.sub); sub && FindCommand(sub, id, out, depth + 1)) return true;
      if (it.id == id && !fallback.menu) fallback = {m, i};
    } else if (it.id == id) {
      *out = {m, i};
      return true;
    }
  }
  if (fallback.menu) *out = fallback;
  return fallback.menu != nullptr;
}

bool Locate(HMENU h, UINT item, UINT flags, Where* out) {
  Menu* m = Check(h);
  if (!m) return false;
  if (flags & MF_BYPOSITION) {
    if (item < m->items.size()) {
      *out = {m, item};
      return true;
    }
  } else if (FindCommand(m, item, out, 0)) {
    return true;
  }
  SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return false;
}

// Whether `target` is `root` or lies inside it.
bool Reaches(HMENU root, HMENU target, int depth) {
  if (root == target) return true;
  Menu* m = Get(root);
  if (!m || depth > kMaxDepth) return false;
  for (const Item& it : m->items)
    if (it.sub && Reaches(it.sub, target, depth + 1)) return true;
  return false;
}

// A pop-up that may go into `target`: a live one that does not hold it.
bool PopupFits(const Menu* target, HMENU sub) {
  if (!Get(sub) || Reaches(sub, target->self, 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

bool FromFlags(UINT flags, UINT_PTR idOrPopup, LPCWSTR text, Item* out) {
  Item it;
  if (flags & MF_SEPARATOR) it.type = MFT_SEPARATOR;
  else if (flags & MF_BITMAP) it.type = MFT_BITMAP;
  else if (flags & MF_OWNERDRAW) it.type = MFT_OWNERDRAW;
  it.type |= flags & MFT_RADIOCHECK;
  it.state = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT);
  if (flags & MF_POPUP) {
    it.sub = reinterpret_cast<HMENU>(idOrPopup);
    if (!Get(it.sub)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  it.id = static_cast<UINT>(idOrPopup);
  if (it.type == MFT_SEPARATOR) it.id = 0;
  else if ((it.type & (MFT_BITMAP | MFT_OWNERDRAW)) == 0 && text) it.text = text;
  *out = std::move(it);
  return true;
}

// Inserts before the entry `item` names; by position, a position past the end appends.
bool InsertAt(HMENU h, UINT item, bool byPosition, Item&& it) {
  Menu* m = Check(h);
  if (!m) return false;
  if (byPosition) {
    if (it.sub && !PopupFits(m, it.sub)) return false;
    const std::size_t pos = item < m->items.size() ? item : m->items.size();
    m->items.insert(m->items.begin() + std::ptrdiff_t(pos), std::move(it));
    return true;
  }
  Where w;
  if (!FindCommand(m, item, &w, 0)) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return false;
  }
  if (it.sub && !PopupFits(w.menu, it.sub)) return false;
  w.menu->items.insert(w.menu->items.begin() + std::ptrdiff_t(w.pos), std::move(it));
  return true;
}

void Destroy(HMENU h, int depth) {
  auto node = S().menus.extract(Key(h));
  if (node.empty() || depth > kMaxDepth) return;
  for (const Item& it : node.mapped()->items)
    if (it.sub) Destroy(it.sub, depth + 1);
}

bool Selectable(const Item& it) {
  return !it.sub && !(it.type & MFT_SEPARATOR) && (it.state & (MF_GRAYED | MF_DISABLED)) == 0;
}

void AppendText(HMENU h, int depth, std::u16string& out) {
  Menu* m = Get(h);
  if (!m || depth > kMaxDepth) return;
  for (const Item& it : m->items) {
    out.append(std::size_t(depth) * 2, u' ');
    if (it.type & MFT_SEPARATOR) {
      out += u"-\n";
      continue;
    }
    if (it.sub) {
      out += u"> " + it.text + u"\n";
      AppendText(it.sub, depth + 1, out);
      continue;
    }
    out += it.text;
    std::string id = " #" + std::to_string(it.id);
    out.append(id.begin(), id.end());
    if (it.state & MF_CHECKED) out += (it.type & MFT_RADIOCHECK) ? u" radio" : u" checked";
    if (it.state & (MF_GRAYED | MF_DISABLED)) out += u" grayed";
    if (it.state & MF_DEFAULT) out += u" default";
    out += u"\n";
  }
}

}  // namespace

// ---- creation and destruction ----

HMENU CreateMenu() { return New(false); }
HMENU CreatePopupMenu() { return New(true); }

BOOL DestroyMenu(HMENU menu) {
  if (!Check(menu)) return FALSE;
  Destroy(menu, 0);
  return TRUE;
}

BOOL IsMenu(HMENU menu) { return Get(menu) ? TRUE : FALSE; }

HMENU KvMenuFromTemplate(const KvMenuTemplateItem* rows, std::size_t count) {
  if (!rows && count) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HMENU root = CreateMenu();
  std::vector<HMENU> open{root};
  for (std::size_t i = 0; i < count; ++i) {
    const KvMenuTemplateItem& r = rows[i];
    if (r.depth < 0 || std::size_t(r.depth) >= open.size() || r.depth > kMaxDepth) {
      DestroyMenu(root);
      SetLastError(ERROR_INVALID_DATA);
      return nullptr;
    }
    open.resize(std::size_t(r.depth) + 1);
    if (r.flags & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      AppendMenuW(open.back(), r.flags, reinterpret_cast<UINT_PTR>(sub), r.text);
      open.push_back(sub);
    } else {
      AppendMenuW(open.back(), r.flags, r.id, r.text);
    }
  }
  return root;
}

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  HRSRC res = FindResourceW(instance, name, RT_MENU);
  if (!res) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const DWORD size = SizeofResource(instance, res);
  const void* data = LockResource(LoadResource(instance, res));
  if (!data || size % sizeof(KvMenuTemplateItem) != 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return KvMenuFromTemplate(static_cast<const KvMenuTemplateItem*>(data), size / sizeof(KvMenuTemplateItem));
}

// ---- entries ----

BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  return InsertMenuW(menu, UINT(-1), flags | MF_BYPOSITION, idOrPopup, text);
}

BOOL InsertMenuW(HMENU menu, UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  if (!Check(menu)) return FALSE;
  Item it;
  if (!FromFlags(flags, idOrPopup, text, &it)) return FALSE;
  return InsertAt(menu, item, (flags & MF_BYPOSITION) != 0, std::move(it)) ? TRUE : FALSE;
}

BOOL ModifyMenuW(HMENU menu, UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  Where w;
  if (!Locate(menu, item, flags, &w)) return FALSE;
  Item it;
  if (!FromFlags(flags, idOrPopup, text, &it) || (it.sub && it.sub != w.item().sub && !PopupFits(w.menu, it.sub)))
    return FALSE;
  HMENU old = w.item().sub;
  // A pop-up replaced by another pop-up goes; one replaced by a plain entry is the caller's.
  if (old && it.sub && old != it.sub) DestroyMenu(old);
  it.data = w.item().data;
  w.item() = std::move(it);
  return TRUE;
}

BOOL DeleteMenu(HMENU menu, UINT item, UINT flags) {
  Where w;
  if (!Locate(menu, item, flags, &w)) return FALSE;
  HMENU sub = w.item().sub;
  w.menu->items.erase(w.menu->items.begin() + std::ptrdiff_t(w.pos));
  if (sub && Get(sub)) Destroy(sub, 0);
  return TRUE;
}

BOOL RemoveMenu(HMENU menu, UINT item, UINT flags) {
  Where w;
  if (!Locate(menu, item, flags, &w)) return FALSE;
  w.menu->items.erase(w.menu->items.begin() + std::ptrdiff_t(w.pos));
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  Where w;
  if (!Locate(menu, item, check, &w)) return DWORD(-1);
  Item& it = w.item();
  const DWORD prev = it.state & MF_CHECKED;
  it.state = (check & MF_CHECKED) ? (it.state | MF_CHECKED) : (it.state & ~MF_CHECKED);
  return prev;
}

BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  Where a, b, c;
  if (!Locate(menu, first, flags, &a) || !Locate(menu, last, flags, &b) || !Locate(menu, check, flags, &c))
    return FALSE;
  if (a.menu != b.menu || a.menu != c.menu || a.pos > b.pos || c.pos < a.pos || c.pos > b.pos) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (std::size_t p = a.pos; p <= b.pos; ++p) {
    Item& it = a.menu->items[p];
    if (p == c.pos) {
      it.type |= MFT_RADIOCHECK;
      it.state |= MF_CHECKED;
    } else if (!(it.type & MFT_SEPARATOR)) {
      it.state &= ~MF_CHECKED;
    }
  }
  return TRUE;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  Where w;
  if (!Locate(menu, item, enable, &w)) return -1;
  Item& it = w.item();
  const BOOL prev = BOOL(it.state & (MF_GRAYED | MF_DISABLED));
  it.state = (it.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return prev;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  Where w;
  if (!Locate(menu, item, flags, &w)) return UINT(-1);
  const Item& it = w.item();
  if (it.sub) {
    Menu* sub = Get(it.sub);
    const UINT count = sub ? UINT(std::min<std::size_t>(sub->items.size(), 0xFF)) : 0;
    return (count << 8) | MF_POPUP | (it.state & 0xFF);
  }
  return it.state | it.type;
}

int GetMenuItemCount(HMENU menu) {
  Menu* m = Check(menu);
  return m ? int(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int pos) {
  Menu* m = Get(menu);
  if (!m || pos < 0 || std::size_t(pos) >= m->items.size()) return UINT(-1);
  const Item& it = m->items[std::size_t(pos)];
  return it.sub ? UINT(-1) : it.id;
}

HMENU GetSubMenu(HMENU menu, int pos) {
  Menu* m = Get(menu);
  if (!m || pos < 0 || std::size_t(pos) >= m->items.size()) return nullptr;
  HMENU sub = m->items[std::size_t(pos)].sub;
  return Get(sub) ? sub : nullptr;
}

static int CopyOut(const std::u16string& text, LPWSTR buffer, int max) {
  if (!buffer || max <= 0) return int(text.size());
  const std::size_t n = std::min(text.size(), std::size_t(max - 1));
  text.copy(buffer, n);
  buffer[n] = 0;
  return int(n);
}

int GetMenuStringW(HMENU menu, UINT item, LPWSTR buffer, int max, UINT flags) {
  Where w;
  if (!Locate(menu, item, flags, &w)) {
    if (buffer && max > 0) buffer[0] = 0;
    return 0;
  }
  return CopyOut(w.item().text, buffer, max);
}

static bool InfoOk(const MENUITEMINFOW* info) {
  if (info && info->cbSize >= sizeof(MENUITEMINFOW)) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, LPMENUITEMINFOW info) {
  if (!InfoOk(info)) return FALSE;
  Where w;
  if (!Locate(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &w)) return FALSE;
  const Item& it = w.item();
  const UINT mask = info->fMask;
  if (mask & (MIIM_FTYPE | MIIM_TYPE)) info->fType = it.type;
  if (mask & MIIM_STATE) info->fState = it.state;
  if (mask & MIIM_ID) info->wID = it.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = Get(it.sub) ? it.sub : nullptr;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = it.checked;
    info->hbmpUnchecked = it.unchecked;
  }
  if (mask & MIIM_DATA) info->dwItemData = it.data;
  if (mask & MIIM_BITMAP) info->hbmpItem = it.bitmap;
  const bool text = (mask & MIIM_STRING) || ((mask & MIIM_TYPE) && (it.type & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0);
  if (text) {
    if (info->dwTypeData && info->cch > 0)
      info->cch = UINT(CopyOut(it.text, info->dwTypeData, int(std::min<UINT>(info->cch, 0x7FFFFFFF))));
    else
      info->cch = UINT(it.text.size());
  }
  return TRUE;
}

// Applies the fields of `info` to `it`; false (nothing changed) when the pop-up does not fit.
// `target` is the menu the entry stands in, or null for one not yet inserted.
static bool ApplyInfo(const Menu* target, Item& it, const MENUITEMINFOW& info) {
  const UINT mask = info.fMask;
  if ((mask & MIIM_SUBMENU) && info.hSubMenu) {
    const bool ok = target ? PopupFits(target, info.hSubMenu) : Get(info.hSubMenu) != nullptr;
    if (!ok) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
  }
  if (mask & (MIIM_FTYPE | MIIM_TYPE)) it.type = info.fType;
  if (mask & MIIM_STATE) it.state = info.fState;
  if (mask & MIIM_ID) it.id = info.wID;
  if (mask & MIIM_SUBMENU) it.sub = info.hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    it.checked = info.hbmpChecked;
    it.unchecked = info.hbmpUnchecked;
  }
  if (mask & MIIM_DATA) it.data = info.dwItemData;
  if (mask & MIIM_BITMAP) it.bitmap = info.hbmpItem;
  if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && (info.fType & (MFT_BITMAP | MFT_SEPARATOR | MFT_OWNERDRAW)) == 0))
    it.text = info.dwTypeData ? info.dwTypeData : u"";
  if (it.type & MFT_SEPARATOR) it.text.clear();
  return true;
}

BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!InfoOk(info)) return FALSE;
  Where w;
  if (!Locate(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &w)) return FALSE;
  Item copy = w.item();
  if (!ApplyInfo(w.menu, copy, *info)) return FALSE;
  w.item() = std::move(copy);
  return TRUE;
}

BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!InfoOk(info) || !Check(menu)) return FALSE;
  Item it;
  if (!ApplyInfo(nullptr, it, *info)) return FALSE;
  return InsertAt(menu, item, byPosition != FALSE, std::move(it)) ? TRUE : FALSE;
}

BOOL SetMenuItemBitmaps(HMENU menu, UINT item, UINT flags, HBITMAP unchecked, HBITMAP checked) {
  Where w;
  if (!Locate(menu, item, flags, &w)) return FALSE;
  w.item().unchecked = unchecked;
  w.item().checked = checked;
  return TRUE;
}

BOOL SetMenuDefaultItem(HMENU menu, UINT item, UINT byPosition) {
  Menu* m = Check(menu);
  if (!m) return FALSE;
  Where w;
  if (item != UINT(-1) && !Locate(menu, item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND, &w)) return FALSE;
  if (w.menu && w.menu != m) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  for (Item& it : m->items) it.state &= ~MF_DEFAULT;
  if (w.menu) w.item().state |= MF_DEFAULT;
  return TRUE;
}

// ---- tracking ----

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  if (!Check(menu)) return FALSE;
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!(flags & TPM_NONOTIFY)) SendMessageW(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
  // The owner may have destroyed either while it prepared the menu.
  Menu* m = Check(menu);
  if (!m) return FALSE;
  if (!IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  State& s = S();
  KvTrackedMenu entry;
  entry.owner = owner;
  entry.flags = flags;
  entry.pt = {x, y};
  entry.text = KvMenuText(menu);
  if (!s.answers.empty()) {
    const UINT wanted = s.answers.front();
    s.answers.pop_front();
    Where w;
    if (wanted && FindCommand(m, wanted, &w, 0) && Selectable(w.item())) entry.answer = wanted;
  }
  const UINT chosen = entry.answer;
  s.log.push_back(std::move(entry));
  if (flags & TPM_RETURNCMD) return BOOL(chosen);
  if (chosen) PostMessageW(owner, WM_COMMAND, MAKEWPARAM(int(chosen), 0), 0);
  return TRUE;
}

BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, const void*) {
  return TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

// ---- the test driver ----

std::u16string KvMenuText(HMENU menu) {
  std::u16string out;
  AppendText(menu, 0, out);
  return out;
}

const std::vector<KvTrackedMenu>& KvMenuLog() { return S().log; }
void KvClearMenuLog() { S().log.clear(); }
void KvScriptMenuAnswers(const std::vector<UINT>& ids) { S().answers.insert(S().answers.end(), ids.begin(), ids.end()); }
std::size_t KvPendingMenuAnswers() { return S().answers.size(); }
std::size_t KvMenuCount() { return S().menus.size(); }

void KvMenusReset() {
  S().answers.clear();
  S().log.clear();
}
