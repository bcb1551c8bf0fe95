// Menu wrapper: ownership, lookups, copies, separator pruning, update requests.
#include "kvcore/smenu.h"

#include <map>
#include <memory>

#include "kvcore/smodulestate.h"
#include "kvcore/swnd.h"

namespace {

std::map<HMENU, std::unique_ptr<SMenu>>& Temporary() {
  static auto* temp = new std::map<HMENU, std::unique_ptr<SMenu>>();
  return *temp;
}

// Pop-ups copied or pruned never nest deeper than this.
constexpr int kMaxDepth = 64;

bool IsSeparator(HMENU menu, int pos) {
  const UINT state = ::GetMenuState(menu, UINT(pos), MF_BYPOSITION);
  return state != UINT(-1) && !(state & MF_POPUP) && (state & MF_SEPARATOR);
}

void Clean(HMENU menu, int depth) {
  if (depth > kMaxDepth) return;
  // From the end: a separator goes when it ends the menu, begins it, or follows another.
  for (int pos = ::GetMenuItemCount(menu) - 1; pos >= 0; --pos) {
    if (HMENU sub = ::GetSubMenu(menu, pos)) Clean(sub, depth + 1);
    if (!IsSeparator(menu, pos)) continue;
    const int count = ::GetMenuItemCount(menu);
    if (pos == 0 || pos == count - 1 || IsSeparator(menu, pos - 1) || IsSeparator(menu, pos + 1))
      ::DeleteMenu(menu, UINT(pos), MF_BYPOSITION);
  }
}

bool Copy(HMENU from, HMENU to, int depth) {
  if (depth > kMaxDepth) return false;
  const int count = ::GetMenuItemCount(from);
  for (int pos = 0; pos < count; ++pos) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA | MIIM_STRING | MIIM_CHECKMARKS |
                 MIIM_BITMAP;
    if (!::GetMenuItemInfoW(from, UINT(pos), TRUE, &info)) return false;
    // The first call measured the text; the second reads it.
    std::u16string buffer(std::size_t(info.cch) + 1, u'\0');
    info.dwTypeData = buffer.data();
    info.cch = UINT(buffer.size());
    if (!::GetMenuItemInfoW(from, UINT(pos), TRUE, &info)) return false;
    if (info.hSubMenu) {
      HMENU sub = ::CreatePopupMenu();
      if (!Copy(info.hSubMenu, sub, depth + 1)) {
        ::DestroyMenu(sub);
        return false;
      }
      info.hSubMenu = sub;
    }
    if (!::InsertMenuItemW(to, UINT(-1), TRUE, &info)) {
      if (info.hSubMenu) ::DestroyMenu(info.hSubMenu);
      return false;
    }
  }
  return true;
}

void Update(HMENU menu, SCmdTarget* target, BOOL disableIfNoHandler, int depth) {
  if (depth > kMaxDepth) return;
  for (int pos = 0; pos < ::GetMenuItemCount(menu); ++pos) {
    if (HMENU sub = ::GetSubMenu(menu, pos)) {
      Update(sub, target, disableIfNoHandler, depth + 1);
      continue;
    }
    const UINT id = ::GetMenuItemID(menu, pos);
    if (id == 0 || id == UINT(-1) || IsSeparator(menu, pos)) continue;
    SMenuCmdUI ui(menu);
    ui.m_nID = id;
    ui.m_nIndex = UINT(pos);
    ui.DoUpdate(target, disableIfNoHandler);
  }
}

}  // namespace

SMenu::~SMenu() {
  if (!m_temporary) DestroyMenu();
}

SMenu* SMenu::FromHandle(HMENU menu) {
  if (!::IsMenu(menu)) return nullptr;
  auto& temp = Temporary();
  auto& slot = temp[menu];
  if (!slot) {
    slot = std::make_unique<SMenu>();
    slot->m_hMenu = menu;
    slot->m_temporary = true;
  }
  return slot.get();
}

void SMenu::DeleteTempMap() { Temporary().clear(); }

BOOL SMenu::Attach(HMENU menu) {
  if (m_hMenu || !::IsMenu(menu)) return FALSE;
  m_hMenu = menu;
  return TRUE;
}

HMENU SMenu::Detach() {
  HMENU h = m_hMenu;
  m_hMenu = nullptr;
  return h;
}

BOOL SMenu::CreateMenu() { return m_hMenu ? FALSE : Attach(::CreateMenu()); }
BOOL SMenu::CreatePopupMenu() { return m_hMenu ? FALSE : Attach(::CreatePopupMenu()); }

BOOL SMenu::LoadMenuW(UINT id) { return LoadMenuW(MAKEINTRESOURCEW(id)); }

BOOL SMenu::LoadMenuW(LPCWSTR name) {
  if (m_hMenu) return FALSE;
  SModuleState* state = SGetCurrentModuleState();
  HMENU menu = ::LoadMenuW(state ? state->GetResourceHandle() : nullptr, name);
  return menu ? Attach(menu) : FALSE;
}

BOOL SMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  HMENU h = Detach();
  Temporary().erase(h);
  return ::DestroyMenu(h);
}

BOOL SMenu::AppendMenuW(UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  return ::AppendMenuW(m_hMenu, flags, idOrPopup, text);
}
BOOL SMenu::InsertMenuW(UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  return ::InsertMenuW(m_hMenu, item, flags, idOrPopup, text);
}
BOOL SMenu::ModifyMenuW(UINT item, UINT flags, UINT_PTR idOrPopup, LPCWSTR text) {
  return ::ModifyMenuW(m_hMenu, item, flags, idOrPopup, text);
}
BOOL SMenu::DeleteMenu(UINT item, UINT flags) { return ::DeleteMenu(m_hMenu, item, flags); }
BOOL SMenu::RemoveMenu(UINT item, UINT flags) { return ::RemoveMenu(m_hMenu, item, flags); }
UINT SMenu::CheckMenuItem(UINT item, UINT check) { return UINT(::CheckMenuItem(m_hMenu, item, check)); }
UINT SMenu::EnableMenuItem(UINT item, UINT enable) { return UINT(::EnableMenuItem(m_hMenu, item, enable)); }
UINT SMenu::GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
int SMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
UINT SMenu::GetMenuItemID(int pos) const { return ::GetMenuItemID(m_hMenu, pos); }

int SMenu::GetMenuStringW(UINT item, SString& text, UINT flags) const {
  const int n = ::GetMenuStringW(m_hMenu, item, nullptr, 0, flags);
  std::u16string buffer(std::size_t(n) + 1, u'\0');
  const int got = ::GetMenuStringW(m_hMenu, item, buffer.data(), n + 1, flags);
  buffer.resize(std::size_t(got));
  text = SString(std::move(buffer));
  return got;
}

SMenu* SMenu::GetSubMenu(int pos) const { return FromHandle(::GetSubMenu(m_hMenu, pos)); }

BOOL SMenu::GetMenuItemInfoW(UINT item, LPMENUITEMINFOW info, BOOL byPosition) const {
  return ::GetMenuItemInfoW(m_hMenu, item, byPosition, info);
}
BOOL SMenu::SetMenuItemInfoW(UINT item, const MENUITEMINFOW* info, BOOL byPosition) {
  return ::SetMenuItemInfoW(m_hMenu, item, byPosition, info);
}
BOOL SMenu::InsertMenuItemW(UINT item, const MENUITEMINFOW* info, BOOL byPosition) {
  return ::InsertMenuItemW(m_hMenu, item, byPosition, info);
}

BOOL SMenu::GetPosition(UINT id, int& pos) const {
  const int count = GetMenuItemCount();
  for (int i = 0; i < count; ++i) {
    if (::GetSubMenu(m_hMenu, i) || IsSeparator(m_hMenu, i) || ::GetMenuItemID(m_hMenu, i) != id) continue;
    pos = i;
    return TRUE;
  }
  return FALSE;
}

BOOL SMenu::GetPositionByLabel(LPCWSTR label, int& pos) const {
  if (!label) return FALSE;
  const int count = GetMenuItemCount();
  for (int i = 0; i < count; ++i) {
    SString text;
    GetMenuStringW(UINT(i), text, MF_BYPOSITION);
    if (text == SString(label)) {
      pos = i;
      return TRUE;
    }
  }
  return FALSE;
}

BOOL SMenu::CopySubMenu(HMENU source) {
  if (!::IsMenu(m_hMenu) || !::IsMenu(source) || source == m_hMenu) return FALSE;
  return Copy(source, m_hMenu, 0) ? TRUE : FALSE;
}

void SMenu::CleanSeparators() {
  if (::IsMenu(m_hMenu)) Clean(m_hMenu, 0);
}

void SMenu::UpdateCmdUI(SCmdTarget* target, BOOL disableIfNoHandler) {
  if (target && ::IsMenu(m_hMenu)) Update(m_hMenu, target, disableIfNoHandler, 0);
}

BOOL SMenu::TrackPopupMenu(UINT flags, int x, int y, SWnd* owner, const RECT* rect) {
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->GetSafeHwnd() : nullptr, rect);
}

// ---- SMenuCmdUI ----

void SMenuCmdUI::Enable(BOOL on) {
  SCmdUI::Enable(on);
  ::EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
}

void SMenuCmdUI::SetCheck(int check) {
  SCmdUI::SetCheck(check);
  ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
}

void SMenuCmdUI::SetRadio(BOOL on) {
  SCmdUI::SetRadio(on);
  if (on) {
    ::CheckMenuRadioItem(m_hMenu, m_nIndex, m_nIndex, m_nIndex, MF_BYPOSITION);
  } else {
    ::CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | MF_UNCHECKED);
  }
}

void SMenuCmdUI::SetText(LPCWSTR text) {
  SCmdUI::SetText(text);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = const_cast<LPWSTR>(text ? text : u"");
  ::SetMenuItemInfoW(m_hMenu, m_nIndex, TRUE, &info);
}
