// Wrappers of the dialog controls (win/winctrl.h): each is an SWnd bound to
// a control window (SDlg::AttachDlgItem, SubclassDlgItem) whose calls are
// the control's messages. SComboBoxOwnerDraw draws its own entries: the
// WM_DRAWITEM its parent receives is reflected to it. SColorWellCtrl is the
// colour well, made at run time by SCreateColorWell.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/swnd.h"
#include "win/winctrl.h"

class SButtonCtrl : public SWnd {
 public:
  int GetCheck() const { return int(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) { SendMessage(BM_SETCHECK, WPARAM(check)); }
  UINT GetState() const { return UINT(SendMessage(BM_GETSTATE)); }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
};

class SStaticCtrl : public SWnd {};

class SEditCtrl : public SWnd {
 public:
  void SetText(const SString& text) { SetWindowText(text.c_str()); }
  SString GetText() const {
    SString text;
    GetWindowText(text);
    return text;
  }
  void SetSel(int start, int end) { SendMessage(EM_SETSEL, WPARAM(start), LPARAM(end)); }
  void GetSel(int& start, int& end) const {
    DWORD s = 0, e = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
    start = int(s);
    end = int(e);
  }
  void ReplaceSel(LPCWSTR text) { SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text)); }
  void LimitText(int chars = 0) { SendMessage(EM_LIMITTEXT, WPARAM(chars)); }
  BOOL SetReadOnly(BOOL readOnly = TRUE) { return BOOL(SendMessage(EM_SETREADONLY, WPARAM(readOnly))); }
  int GetLineCount() const { return int(SendMessage(EM_GETLINECOUNT)); }
  BOOL GetModify() const { return BOOL(SendMessage(EM_GETMODIFY)); }
  void SetModify(BOOL modified = TRUE) { SendMessage(EM_SETMODIFY, WPARAM(modified)); }
};

class SRichEditCtrl : public SEditCtrl {
 public:
  // The class a dialog's rich-edit control is made of.
  static LPCWSTR GetInstalledRichEditClass() { return RICHEDIT_CLASSW; }
  DWORD GetEventMask() const { return DWORD(SendMessage(EM_GETEVENTMASK)); }
  DWORD SetEventMask(DWORD mask) { return DWORD(SendMessage(EM_SETEVENTMASK, 0, LPARAM(mask))); }
  // Line width 0 wraps at the window edge, 1 does not wrap.
  BOOL SetTargetDevice(HDC dc, long lineWidth) {
    return BOOL(SendMessage(EM_SETTARGETDEVICE, reinterpret_cast<WPARAM>(dc), LPARAM(lineWidth)));
  }
  COLORREF SetBackgroundColor(BOOL sysColor, COLORREF color) {
    return COLORREF(SendMessage(EM_SETBKGNDCOLOR, WPARAM(sysColor), LPARAM(color)));
  }
  void LimitText(long chars = 0) { SendMessage(EM_EXLIMITTEXT, 0, LPARAM(chars)); }
};

class SComboBoxCtrl : public SWnd {
 public:
  int AddString(LPCWSTR text) { return int(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int InsertString(int index, LPCWSTR text) {
    return int(SendMessage(CB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) { return int(SendMessage(CB_DELETESTRING, WPARAM(index))); }
  void ResetContent() { SendMessage(CB_RESETCONTENT); }
  int GetCount() const { return int(SendMessage(CB_GETCOUNT)); }
  int GetCurSel() const { return int(SendMessage(CB_GETCURSEL)); }
  int SetCurSel(int index) { return int(SendMessage(CB_SETCURSEL, WPARAM(index))); }
  // The entry's text; CB_ERR (text emptied) for an entry it lacks.
  int GetLBText(int index, SString& text) const;
  int FindString(int after, LPCWSTR text) const {
    return int(SendMessage(CB_FINDSTRING, WPARAM(after), reinterpret_cast<LPARAM>(text)));
  }
  int FindStringExact(int after, LPCWSTR text) const {
    return int(SendMessage(CB_FINDSTRINGEXACT, WPARAM(after), reinterpret_cast<LPARAM>(text)));
  }
  int SelectString(int after, LPCWSTR text) {
    return int(SendMessage(CB_SELECTSTRING, WPARAM(after), reinterpret_cast<LPARAM>(text)));
  }
  int SetItemData(int index, DWORD_PTR data) { return int(SendMessage(CB_SETITEMDATA, WPARAM(index), LPARAM(data))); }
  DWORD_PTR GetItemData(int index) const { return DWORD_PTR(SendMessage(CB_GETITEMDATA, WPARAM(index))); }
  // The field's text (it selects no entry).
  void SetText(const SString& text) { SetWindowText(text.c_str()); }
  SString GetText() const {
    SString text;
    GetWindowText(text);
    return text;
  }
};

// An owner-drawn combo: DrawItem paints each entry (and the field).
class SComboBoxOwnerDraw : public SComboBoxCtrl {
 public:
  virtual void DrawItem(DRAWITEMSTRUCT* item);
  BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};

// A combo of colours: each entry's data is its colour, drawn as a swatch.
class SComboColorBox : public SComboBoxOwnerDraw {
 public:
  int AddColor(COLORREF color);
  // The colour of the selected entry; `none` without a selection.
  COLORREF GetSelectedColor(COLORREF none = 0xFFFFFFFF) const;
  // Selects the entry of that colour; -1 (no selection) when none has it.
  int SelectColor(COLORREF color);
  void DrawItem(DRAWITEMSTRUCT* item) override;
};

class SListBoxCtrl : public SWnd {
 public:
  int AddString(LPCWSTR text) { return int(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text))); }
  int InsertString(int index, LPCWSTR text) {
    return int(SendMessage(LB_INSERTSTRING, WPARAM(index), reinterpret_cast<LPARAM>(text)));
  }
  int DeleteString(int index) { return int(SendMessage(LB_DELETESTRING, WPARAM(index))); }
  void ResetContent() { SendMessage(LB_RESETCONTENT); }
  int GetCount() const { return int(SendMessage(LB_GETCOUNT)); }
  int GetText(int index, SString& text) const;
  int GetCurSel() const { return int(SendMessage(LB_GETCURSEL)); }
  int SetCurSel(int index) { return int(SendMessage(LB_SETCURSEL, WPARAM(index))); }
  int GetSel(int index) const { return int(SendMessage(LB_GETSEL, WPARAM(index))); }
  int SetSel(int index, BOOL select = TRUE) { return int(SendMessage(LB_SETSEL, WPARAM(select), LPARAM(index))); }
  int GetSelCount() const { return int(SendMessage(LB_GETSELCOUNT)); }
  int GetSelItems(int max, int* out) const { return int(SendMessage(LB_GETSELITEMS, WPARAM(max), reinterpret_cast<LPARAM>(out))); }
  int SetItemData(int index, DWORD_PTR data) { return int(SendMessage(LB_SETITEMDATA, WPARAM(index), LPARAM(data))); }
  DWORD_PTR GetItemData(int index) const { return DWORD_PTR(SendMessage(LB_GETITEMDATA, WPARAM(index))); }
  int FindStringExact(int after, LPCWSTR text) const {
    return int(SendMessage(LB_FINDSTRINGEXACT, WPARAM(after), reinterpret_cast<LPARAM>(text)));
  }
};

class SListViewCtrl : public SWnd {
 public:
  // The list (ImageList_Create) the items' images come from; the previous one.
  HIMAGELIST SetImageList(HIMAGELIST list, int kind) {
    return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_SETIMAGELIST, WPARAM(kind), reinterpret_cast<LPARAM>(list)));
  }
  int InsertItem(int index, LPCWSTR text, int image = -1);
  int GetItemCount() const { return int(SendMessage(LVM_GETITEMCOUNT)); }
  SString GetItemText(int index) const;
  BOOL SetItemData(int index, DWORD_PTR data);
  DWORD_PTR GetItemData(int index) const;
  BOOL SetItemState(int index, UINT state, UINT mask);
  UINT GetItemState(int index, UINT mask) const { return UINT(SendMessage(LVM_GETITEMSTATE, WPARAM(index), LPARAM(mask))); }
  int GetNextItem(int after, UINT flags) const { return int(SendMessage(LVM_GETNEXTITEM, WPARAM(after), LPARAM(flags))); }
  BOOL DeleteAllItems() { return BOOL(SendMessage(LVM_DELETEALLITEMS)); }
};

class SSpinButtonCtrl : public SWnd {
 public:
  void SetRange32(int lower, int upper) { SendMessage(UDM_SETRANGE32, WPARAM(lower), LPARAM(upper)); }
  void GetRange32(int& lower, int& upper) const {
    SendMessage(UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
  }
  int SetPos32(int pos) { return int(SendMessage(UDM_SETPOS32, 0, LPARAM(pos))); }
  int GetPos32(BOOL* error = nullptr) const { return int(SendMessage(UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(error))); }
  SWnd* SetBuddy(SWnd* buddy) {
    return SWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy ? buddy->m_hWnd : nullptr))));
  }
  SWnd* GetBuddy() const { return SWnd::FromHandle(reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY))); }
  BOOL SetAccel(int count, const UDACCEL* accel) {
    return BOOL(SendMessage(UDM_SETACCEL, WPARAM(count), reinterpret_cast<LPARAM>(accel)));
  }
};

class SSliderCtrl : public SWnd {
 public:
  void SetRange(int minPos, int maxPos, BOOL redraw = FALSE) {
    SendMessage(TBM_SETRANGEMIN, FALSE, LPARAM(minPos));
    SendMessage(TBM_SETRANGEMAX, WPARAM(redraw), LPARAM(maxPos));
  }
  int GetRangeMin() const { return int(SendMessage(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return int(SendMessage(TBM_GETRANGEMAX)); }
  void SetPos(int pos) { SendMessage(TBM_SETPOS, TRUE, LPARAM(pos)); }
  int GetPos() const { return int(SendMessage(TBM_GETPOS)); }
  void SetTicFreq(int freq) { SendMessage(TBM_SETTICFREQ, WPARAM(freq)); }
  int SetPageSize(int size) { return int(SendMessage(TBM_SETPAGESIZE, 0, LPARAM(size))); }
  int SetLineSize(int size) { return int(SendMessage(TBM_SETLINESIZE, 0, LPARAM(size))); }
};

class STabCtrl : public SWnd {
 public:
  int InsertItem(int index, LPCWSTR text, LPARAM param = 0);
  int GetItemCount() const { return int(SendMessage(TCM_GETITEMCOUNT)); }
  int GetCurSel() const { return int(SendMessage(TCM_GETCURSEL)); }
  int SetCurSel(int index) { return int(SendMessage(TCM_SETCURSEL, WPARAM(index))); }
  BOOL DeleteAllItems() { return BOOL(SendMessage(TCM_DELETEALLITEMS)); }
};

// The colour well. Its window goes with the object.
class SColorWellCtrl : public SWnd {
 public:
  ~SColorWellCtrl() override;
  // Selects the colour's cell (WM_USER + 7); the cell, -1 when none holds it.
  int SetColor(COLORREF color) { return int(SendMessage(CWM_SETCOLOR, WPARAM(color), -1)); }
  // A cell's colour (WM_USER + 10); FALSE for a cell the well lacks.
  BOOL GetCellColor(int cell, COLORREF& color) const {
    return BOOL(SendMessage(CWM_GETCELLCOLOR, reinterpret_cast<WPARAM>(&color), LPARAM((cell & 0xFFFF) | 0x10000)));
  }
  int GetSelectedCell() const { return int(SendMessage(CWM_GETSEL)); }
  KV_DECLARE_CLASSINFO()
};

// The well as control 100 of `parent`, its top-left corner at (x, y) in
// dialog units, with `cells` colour cells (eight to a row) and the cell
// that asks for the colour dialog below them; FALSE for a parent without a
// window, a well already made, or a window that cannot be made.
BOOL SCreateColorWell(SWnd* parent, SColorWellCtrl* well, DWORD style, int x, int y, int cells);
constexpr int SColorWellId = 100;
