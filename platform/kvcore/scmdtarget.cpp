// Message-map search, command routing and update-interface requests.
#include "kvcore/scmdtarget.h"

KV_IMPLEMENT_CLASSINFO(SCmdTarget, SObject);

const SMsgMap* SCmdTarget::GetThisMessageMap() {
  static const SMsgMapEntry entries[] = {{0, 0, 0, 0, nullptr}};
  static const SMsgMap map = {nullptr, entries};
  return &map;
}

const SMsgMapEntry* SCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
  for (const SMsgMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const SMsgMapEntry* e = map->entries; e->message; ++e) {
      if (e->message != message) continue;
      if (message == WM_COMMAND || message == WM_NOTIFY || message == KV_WM_REFLECT_BASE + WM_COMMAND ||
          message == KV_WM_REFLECT_BASE + WM_NOTIFY) {
        if (e->code == code && id >= e->id && id <= e->lastId) return e;
      } else {
        return e;
      }
    }
  }
  return nullptr;
}

BOOL SCmdTarget::OnCmdMsg(UINT id, int code, void* extra, SCmdHandlerInfo* info) {
  const SMsgMapEntry* e = FindEntry(WM_COMMAND, UINT(code), id);
  if (!e) return FALSE;
  if (info) {
    info->target = this;
    info->entry = e;
    return TRUE;
  }
  SMsgCall call;
  call.message = WM_COMMAND;
  call.id = id;
  call.extra = extra;
  e->thunk(this, call);
  return TRUE;
}

void SCmdUI::Enable(BOOL on) {
  m_bEnabled = on ? TRUE : FALSE;
  m_bEnableChanged = true;
}

void SCmdUI::SetCheck(int check) { m_nCheck = check; }

void SCmdUI::SetRadio(BOOL on) {
  m_bRadio = true;
  m_nCheck = on ? 1 : 0;
}

void SCmdUI::SetText(LPCWSTR text) {
  m_strText = text ? text : u"";
  m_bTextChanged = true;
}

BOOL SCmdUI::DoUpdate(SCmdTarget* target, BOOL disableIfNoHandler) {
  if (!target) return FALSE;
  m_bEnableChanged = false;
  const BOOL handled = target->OnCmdMsg(m_nID, CN_UPDATE_COMMAND_UI, this, nullptr);
  if (disableIfNoHandler && !m_bEnableChanged) {
    SCmdHandlerInfo info;
    if (!target->OnCmdMsg(m_nID, CN_COMMAND, this, &info)) Enable(FALSE);
  }
  return handled;
}
