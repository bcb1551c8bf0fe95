// Message maps and command routing: SCmdTarget answers commands and
// update-interface requests from a static table per class chained to its
// base class's table; SCmdUI is the request that asks a handler whether a
// command is enabled or checked.
//
// A class with a map declares it with KV_DECLARE_MESSAGE_MAP() and defines
// it in its source file:
//
//   KV_BEGIN_MESSAGE_MAP(SMyView, SWnd)
//     KV_ON_COMMAND(2520, OnViewRedraw)
//     KV_ON_UPDATE_COMMAND_UI(2520, OnUpdateViewRedraw)
//     KV_ON_WM_PAINT()
//   KV_END_MESSAGE_MAP()
//
// Each entry's handler is called through a small function made by the
// macro, so a handler of the wrong type does not compile. A class's own
// entries are searched first, in their order, then its base's.
#pragma once

#include <string>

#include "kvcore/sobject.h"
#include "win/winuser.h"

class SCmdTarget;
class SCmdUI;

// Notification codes that OnCmdMsg tells apart.
constexpr int CN_COMMAND = 0;
constexpr int CN_UPDATE_COMMAND_UI = -1;

// One call through a map entry.
struct SMsgCall {
  UINT message = 0;
  UINT id = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  void* extra = nullptr;  // SCmdUI* for update requests
  LRESULT result = 0;
};
using SMsgThunk = void (*)(SCmdTarget* target, SMsgCall& call);

struct SMsgMapEntry {
  UINT message;  // 0 ends the table
  UINT code;  // command notification code, CN_UPDATE_COMMAND_UI, or the WM_NOTIFY code
  UINT id;
  UINT lastId;
  SMsgThunk thunk;
};

struct SMsgMap {
  const SMsgMap* (*base)();  // null for the root
  const SMsgMapEntry* entries;
};

// What OnCmdMsg fills in when asked whether a handler exists (no call made).
struct SCmdHandlerInfo {
  SCmdTarget* target = nullptr;
  const SMsgMapEntry* entry = nullptr;
};

class SCmdTarget : public SObject {
 public:
  // Commands (code CN_COMMAND or a control's notification code), and
  // update requests (CN_UPDATE_COMMAND_UI, extra the SCmdUI). With `info`
  // the handler is only looked for. TRUE when a handler took it.
  virtual BOOL OnCmdMsg(UINT id, int code, void* extra, SCmdHandlerInfo* info);
  virtual const SMsgMap* GetMessageMap() const { return GetThisMessageMap(); }

  // The first entry of the map chain for a message, code and id, or null.
  const SMsgMapEntry* FindEntry(UINT message, UINT code, UINT id) const;

  KV_DECLARE_CLASSINFO()

 protected:
  static const SMsgMap* GetThisMessageMap();
};

// An update-interface request for one command. The handler's answer is kept
// in the record; a host derives from it to apply the answer to a menu item
// or a button.
class SCmdUI {
 public:
  virtual ~SCmdUI() = default;
  virtual void Enable(BOOL on = TRUE);
  virtual void SetCheck(int check = 1);  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetRadio(BOOL on = TRUE);
  virtual void SetText(LPCWSTR text);
  // Asks the target; with disableIfNoHandler, a command that no handler
  // serves is disabled. TRUE when an update handler answered.
  BOOL DoUpdate(SCmdTarget* target, BOOL disableIfNoHandler);

  UINT m_nID = 0;
  UINT m_nIndex = 0;
  // The answer.
  bool m_bEnableChanged = false;
  BOOL m_bEnabled = TRUE;
  int m_nCheck = -1;  // -1: not set
  bool m_bRadio = false;
  std::u16string m_strText;
  bool m_bTextChanged = false;
};

#define KV_DECLARE_MESSAGE_MAP()                   \
 protected:                                        \
  static const SMsgMap* GetThisMessageMap();       \
  const SMsgMap* GetMessageMap() const override;   \
                                                   \
 public:

#define KV_BEGIN_MESSAGE_MAP(cls, baseCls)                                          \
  const SMsgMap* cls::GetMessageMap() const { return GetThisMessageMap(); }         \
  const SMsgMap* cls::GetThisMessageMap() {                                         \
    using ThisClass [[maybe_unused]] = cls;                                         \
    using TheBase = baseCls;                                                        \
    static const SMsgMapEntry entries[] = {
#define KV_END_MESSAGE_MAP()                                             \
  {0, 0, 0, 0, nullptr}};                                                \
  static const SMsgMap map = {&TheBase::GetThisMessageMap, entries};     \
  return &map;                                                           \
  }

#define KV_MSG_THUNK(body) [](SCmdTarget * t_, SMsgCall & c_) { (void)c_; body; }
#define KV_THIS static_cast<ThisClass*>(t_)

// ---- commands ----
#define KV_ON_COMMAND(id, fn) {WM_COMMAND, UINT(CN_COMMAND), UINT(id), UINT(id), KV_MSG_THUNK(KV_THIS->fn())},
#define KV_ON_COMMAND_RANGE(id1, id2, fn) \
  {WM_COMMAND, UINT(CN_COMMAND), UINT(id1), UINT(id2), KV_MSG_THUNK(KV_THIS->fn(c_.id))},
#define KV_ON_UPDATE_COMMAND_UI(id, fn)                     \
  {WM_COMMAND, UINT(CN_UPDATE_COMMAND_UI), UINT(id), UINT(id), \
   KV_MSG_THUNK(KV_THIS->fn(static_cast<SCmdUI*>(c_.extra)))},
#define KV_ON_UPDATE_COMMAND_UI_RANGE(id1, id2, fn)             \
  {WM_COMMAND, UINT(CN_UPDATE_COMMAND_UI), UINT(id1), UINT(id2), \
   KV_MSG_THUNK(KV_THIS->fn(static_cast<SCmdUI*>(c_.extra)))},
// A control's notification through WM_COMMAND (BN_CLICKED...).
#define KV_ON_CONTROL(code, id, fn) {WM_COMMAND, UINT(code), UINT(id), UINT(id), KV_MSG_THUNK(KV_THIS->fn())},
#define KV_ON_BN_CLICKED(id, fn) KV_ON_CONTROL(BN_CLICKED, id, fn)
// WM_NOTIFY: fn(NMHDR*, LRESULT*).
#define KV_ON_NOTIFY(code, id, fn)      \
  {WM_NOTIFY, UINT(code), UINT(id), UINT(id), \
   KV_MSG_THUNK(KV_THIS->fn(reinterpret_cast<NMHDR*>(c_.lParam), &c_.result))},
// WM_NOTIFY from any control whose id lies in id1..id2: fn(UINT id, NMHDR*, LRESULT*).
#define KV_ON_NOTIFY_RANGE(code, id1, id2, fn)     \
  {WM_NOTIFY, UINT(code), UINT(id1), UINT(id2),    \
   KV_MSG_THUNK(KV_THIS->fn(c_.id, reinterpret_cast<NMHDR*>(c_.lParam), &c_.result))},
// Any message: LRESULT fn(WPARAM, LPARAM).
#define KV_ON_MESSAGE(msg, fn) {UINT(msg), 0, 0, 0, KV_MSG_THUNK(c_.result = KV_THIS->fn(c_.wParam, c_.lParam))},
