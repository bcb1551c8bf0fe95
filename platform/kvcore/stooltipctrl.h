// SToolTipCtrl: the tooltip control (win/wintooltip.h) as a window object.
// A window given as a tool without an id or a rectangle is a tool as a
// whole (TTF_IDISHWND): the notifications asking for its text go to it.
#pragma once

#include "kvcore/swnd.h"
#include "win/wintooltip.h"

class SToolTipCtrl : public SWnd {
 public:
  // A pop-up tooltip owned by `parent`; FALSE when it cannot be made.
  BOOL Create(SWnd* parent, DWORD style = 0);
  // `text` LPSTR_TEXTCALLBACKW asks for the text each time the tip shows.
  // With a rectangle (client coordinates of `wnd`) the tool is that area and
  // needs an id (FALSE for 0).
  BOOL AddTool(SWnd* wnd, LPCWSTR text = LPSTR_TEXTCALLBACKW, const RECT* rect = nullptr, UINT_PTR id = 0);
  void DelTool(SWnd* wnd, UINT_PTR id = 0);
  void UpdateTipText(LPCWSTR text, SWnd* wnd, UINT_PTR id = 0);
  BOOL GetText(SString& text, SWnd* wnd, UINT_PTR id = 0) const;
  int GetToolCount() const;
  void Activate(BOOL activate);
  void SetDelayTime(DWORD which, int time);
  int GetDelayTime(DWORD which) const;
  int SetMaxTipWidth(int width);
  void RelayEvent(LPMSG msg);
  void Pop();
  void Update();

  KV_DECLARE_CLASSINFO()

 private:
  static void FillToolInfo(TTTOOLINFOW& ti, SWnd* wnd, UINT_PTR id);
};
