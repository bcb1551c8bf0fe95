// SMenu: a menu handle with the operations the views use on their pop-up
// menus: loading from the current module's resources, entries by position
// or by command, looking entries up by command or label, copying pop-ups,
// pruning separators, update-interface requests and tracking.
//
// An SMenu owns the menu it created, loaded or attached: its destructor
// destroys it (Detach first to hand the menu on). GetSubMenu and FromHandle
// answer temporary objects that own nothing; they live until
// DeleteTempMap.
#pragma once

#include "kvcore/scmdtarget.h"
#include "kvcore/sstring.h"
#include "win/winmenu.h"

class SWnd;

class SMenu {
 public:
  SMenu() = default;
  virtual ~SMenu();
  SMenu(const SMenu&) = delete;
  SMenu& operator=(const SMenu&) = delete;

  HMENU m_hMenu = nullptr;
  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }

  static SMenu* FromHandle(HMENU menu);  // null for a null or stale handle
  static void DeleteTempMap();
  BOOL Attach(HMENU menu);  // FALSE for a stale handle or when one is held
  HMENU Detach();

  BOOL CreateMenu();
  BOOL CreatePopupMenu();
  // From the resources of the current module (SGetCurrentModuleState).
  BOOL LoadMenuW(UINT id);
  BOOL LoadMenuW(LPCWSTR name);
  BOOL DestroyMenu();

  BOOL AppendMenuW(UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr);
  BOOL InsertMenuW(UINT item, UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr);
  BOOL ModifyMenuW(UINT item, UINT flags, UINT_PTR idOrPopup = 0, LPCWSTR text = nullptr);
  BOOL DeleteMenu(UINT item, UINT flags);
  BOOL RemoveMenu(UINT item, UINT flags);
  UINT CheckMenuItem(UINT item, UINT check);
  UINT EnableMenuItem(UINT item, UINT enable);
  UINT GetMenuState(UINT item, UINT flags) const;
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int pos) const;
  int GetMenuStringW(UINT item, SString& text, UINT flags) const;
  SMenu* GetSubMenu(int pos) const;
  BOOL GetMenuItemInfoW(UINT item, LPMENUITEMINFOW info, BOOL byPosition = FALSE) const;
  BOOL SetMenuItemInfoW(UINT item, const MENUITEMINFOW* info, BOOL byPosition = FALSE);
  BOOL InsertMenuItemW(UINT item, const MENUITEMINFOW* info, BOOL byPosition = FALSE);

  // The position of the entry with this command among this menu's own
  // entries (pop-ups not searched); FALSE when there is none.
  BOOL GetPosition(UINT id, int& pos) const;
  // The position of the entry whose text is exactly `label`; FALSE when none.
  BOOL GetPositionByLabel(LPCWSTR label, int& pos) const;
  // Appends copies of the entries of `source` (its pop-ups copied whole,
  // as new pop-ups) to this menu.
  BOOL CopySubMenu(HMENU source);
  // Drops leading, trailing and doubled separators, here and in the pop-ups.
  void CleanSeparators();
  // Asks `target` about each entry (pop-ups included) through SMenuCmdUI,
  // so that the answers reach the entries.
  void UpdateCmdUI(SCmdTarget* target, BOOL disableIfNoHandler = TRUE);

  // See TrackPopupMenu in win/winmenu.h: with TPM_RETURNCMD the command chosen.
  BOOL TrackPopupMenu(UINT flags, int x, int y, SWnd* owner, const RECT* rect = nullptr);

 private:
  bool m_temporary = false;
};

// An update-interface request for one menu entry (m_nIndex, by position):
// the handler's answer is applied to the entry as well as recorded.
class SMenuCmdUI : public SCmdUI {
 public:
  explicit SMenuCmdUI(HMENU menu) : m_hMenu(menu) {}
  void Enable(BOOL on = TRUE) override;
  void SetCheck(int check = 1) override;
  void SetRadio(BOOL on = TRUE) override;
  void SetText(LPCWSTR text) override;
  HMENU m_hMenu;
};
