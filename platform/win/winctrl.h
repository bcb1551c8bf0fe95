// The controls of dialogs, headless: push, check, three-state and radio
// buttons, edit and rich edit fields, combo boxes (drop-down, drop-down list,
// owner-drawn), list boxes (single and multiple selection), the list view
// with an image list, the up-down control with its buddy, the track bar, the
// tab control, statics, the colour well and the preview frame a view takes
// over. Each is a global window class (InitCommonControls registers them, and
// again after the window layer was reset) that keeps its state behind its
// handle, answers its messages and paints itself plainly into its surface.
//
// A test or a host drives them as a person would, through KvPlayControlAction:
// each action moves the focus as a click or a keystroke does and fires the
// notifications the real action fires, in the same order.
#pragma once

#include <string>
#include <vector>

#include "win/winuser.h"

KV_DECLARE_HANDLE(HIMAGELIST);

#define WC_BUTTONW u"Button"
#define WC_EDITW u"Edit"
#define WC_STATICW u"Static"
#define WC_COMBOBOXW u"ComboBox"
#define WC_LISTBOXW u"ListBox"
#define WC_LISTVIEWW u"SysListView32"
#define WC_TABCONTROLW u"SysTabControl32"
#define UPDOWN_CLASSW u"msctls_updown32"
#define TRACKBAR_CLASSW u"msctls_trackbar32"
#define RICHEDIT_CLASSW u"RichEdit20W"
// The colour well and the frame a preview view subclasses.
#define KV_COLORWELL_CLASSW u"KvColorWell"
#define KV_PREVIEW_CLASSW u"KvPreview"

#ifndef KV_ERROR_RESOURCE_NAME_NOT_FOUND
#define KV_ERROR_RESOURCE_NAME_NOT_FOUND
constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
#endif

// Registers every control class (a class already there is kept).
void InitCommonControls();

// ---- messages every control answers ----
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT WM_GETDLGCODE = 0x0087;
constexpr UINT WM_CTLCOLORSTATIC = 0x0138;
constexpr UINT WM_HELP = 0x0053;
// A dialog's default button (DM_GETDEFID answers MAKELONG(id, DC_HASDEFID)).
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr WORD DC_HASDEFID = 0x534B;
constexpr int IDHELP = 9;

// ---- buttons ----
constexpr DWORD BS_PUSHBUTTON = 0x0;
constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
constexpr DWORD BS_CHECKBOX = 0x2;
constexpr DWORD BS_AUTOCHECKBOX = 0x3;
constexpr DWORD BS_RADIOBUTTON = 0x4;
constexpr DWORD BS_3STATE = 0x5;
constexpr DWORD BS_AUTO3STATE = 0x6;
constexpr DWORD BS_GROUPBOX = 0x7;
constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
constexpr DWORD BS_OWNERDRAW = 0xB;
constexpr DWORD BS_TYPEMASK = 0xF;
constexpr DWORD BS_PUSHLIKE = 0x1000;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_SETSTYLE = 0x00F4;
constexpr UINT BM_CLICK = 0x00F5;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;
constexpr int BST_FOCUS = 8;
constexpr UINT BN_SETFOCUS = 6;
constexpr UINT BN_KILLFOCUS = 7;

// ---- edit and rich edit ----
constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_NUMBER = 0x2000;
constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_SCROLLCARET = 0x00B7;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
constexpr UINT EM_EXLIMITTEXT = WM_USER + 53;
constexpr UINT EM_SETBKGNDCOLOR = WM_USER + 67;
constexpr UINT EM_GETEVENTMASK = WM_USER + 59;
constexpr UINT EM_SETEVENTMASK = WM_USER + 69;
constexpr UINT EM_SETTARGETDEVICE = WM_USER + 72;
constexpr UINT EM_SETTEXTMODE = WM_USER + 89;
constexpr UINT EM_GETTEXTMODE = WM_USER + 90;
// Rich edit event mask bits: EN_CHANGE reaches the parent only with ENM_CHANGE.
constexpr DWORD ENM_NONE = 0x0;
constexpr DWORD ENM_CHANGE = 0x1;
constexpr DWORD ENM_UPDATE = 0x2;
constexpr DWORD ENM_LINK = 0x04000000;
constexpr UINT EN_SETFOCUS = 0x0100;
constexpr UINT EN_KILLFOCUS = 0x0200;
constexpr UINT EN_CHANGE = 0x0300;
constexpr UINT EN_UPDATE = 0x0400;
constexpr UINT EN_MAXTEXT = 0x0501;

// ---- statics ----
constexpr DWORD SS_LEFT = 0x0;
constexpr DWORD SS_CENTER = 0x1;
constexpr DWORD SS_RIGHT = 0x2;
constexpr DWORD SS_BLACKFRAME = 0x7;
constexpr DWORD SS_ETCHEDFRAME = 0x12;
constexpr DWORD SS_TYPEMASK = 0x1F;

// ---- combo boxes ----
constexpr DWORD CBS_SIMPLE = 0x1;
constexpr DWORD CBS_DROPDOWN = 0x2;
constexpr DWORD CBS_DROPDOWNLIST = 0x3;
constexpr DWORD CBS_OWNERDRAWFIXED = 0x10;
constexpr DWORD CBS_OWNERDRAWVARIABLE = 0x20;
constexpr DWORD CBS_AUTOHSCROLL = 0x40;
constexpr DWORD CBS_SORT = 0x100;
constexpr DWORD CBS_HASSTRINGS = 0x200;
constexpr UINT CB_GETEDITSEL = 0x0140;
constexpr UINT CB_LIMITTEXT = 0x0141;
constexpr UINT CB_SETEDITSEL = 0x0142;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr LRESULT CB_ERR = -1;
constexpr UINT CBN_SELCHANGE = 1;
constexpr UINT CBN_SETFOCUS = 3;
constexpr UINT CBN_KILLFOCUS = 4;
constexpr UINT CBN_EDITCHANGE = 5;
constexpr UINT CBN_EDITUPDATE = 6;
constexpr UINT CBN_DROPDOWN = 7;
constexpr UINT CBN_CLOSEUP = 8;
constexpr UINT CBN_SELENDOK = 9;

// ---- list boxes ----
constexpr DWORD LBS_NOTIFY = 0x1;
constexpr DWORD LBS_SORT = 0x2;
constexpr DWORD LBS_MULTIPLESEL = 0x8;
constexpr DWORD LBS_HASSTRINGS = 0x40;
constexpr DWORD LBS_EXTENDEDSEL = 0x800;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETSEL = 0x0187;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETSELCOUNT = 0x0190;
constexpr UINT LB_GETSELITEMS = 0x0191;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr LRESULT LB_ERR = -1;
constexpr UINT LBN_SELCHANGE = 1;
constexpr UINT LBN_SETFOCUS = 4;
constexpr UINT LBN_KILLFOCUS = 5;

// ---- image lists ----
constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR32 = 0x0020;
constexpr UINT ILD_NORMAL = 0x0000;
// No mask colour: every pixel of an image is drawn.
constexpr COLORREF CLR_NONE = 0xFFFFFFFFu;
// A bitmap resource: a packed device-independent bitmap (the header, the
// colour table if any, the pixels).
#define RT_BITMAP reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(2))
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
// An image list of cx x cy images; null for a non-positive size.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
// Appends the bitmap cut into images of the list's width; the index of the
// first, -1 for a stale list or bitmap. The mask is ignored.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// As ImageList_Add; the pixels of colour `mask` are transparent when the
// images are drawn (CLR_NONE: none are).
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
// An image list made from the module's bitmap resource `name` (RT_BITMAP),
// images cx wide and as high as the bitmap, `mask` their transparent
// colour. Null when the module has no such bitmap, the bitmap cannot be
// read, or `type` is not IMAGE_BITMAP.
HIMAGELIST ImageList_LoadImageW(HINSTANCE module, LPCWSTR name, int cx, int grow, COLORREF mask, UINT type,
                                UINT flags);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
// Removes one image, or every image for -1.
BOOL ImageList_Remove(HIMAGELIST list, int index);

// ---- list view ----
constexpr DWORD LVS_ICON = 0x0;
constexpr DWORD LVS_REPORT = 0x1;
constexpr DWORD LVS_SMALLICON = 0x2;
constexpr DWORD LVS_LIST = 0x3;
constexpr DWORD LVS_SINGLESEL = 0x4;
constexpr DWORD LVS_SHOWSELALWAYS = 0x8;
constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_SETIMAGELIST = LVM_FIRST + 3;
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_DELETEITEM = LVM_FIRST + 8;
constexpr UINT LVM_DELETEALLITEMS = LVM_FIRST + 9;
constexpr UINT LVM_GETNEXTITEM = LVM_FIRST + 12;
// The bounds of an item (wParam) in the view's client area: lParam a RECT
// whose `left` says which part (LVIR_BOUNDS: the whole item); FALSE for an
// item the view lacks.
constexpr UINT LVM_GETITEMRECT = LVM_FIRST + 14;
constexpr int LVIR_BOUNDS = 0;
constexpr UINT LVM_SETITEMSTATE = LVM_FIRST + 43;
constexpr UINT LVM_GETITEMSTATE = LVM_FIRST + 44;
constexpr UINT LVM_GETIMAGELIST = LVM_FIRST + 2;
constexpr UINT LVM_GETITEMW = LVM_FIRST + 75;
constexpr UINT LVM_SETITEMW = LVM_FIRST + 76;
constexpr UINT LVM_INSERTITEMW = LVM_FIRST + 77;
constexpr UINT LVM_GETITEMTEXTW = LVM_FIRST + 115;
constexpr int LVSIL_NORMAL = 0;
constexpr int LVSIL_SMALL = 1;
constexpr UINT LVIF_TEXT = 0x1;
constexpr UINT LVIF_IMAGE = 0x2;
constexpr UINT LVIF_PARAM = 0x4;
constexpr UINT LVIF_STATE = 0x8;
constexpr UINT LVIS_FOCUSED = 0x1;
constexpr UINT LVIS_SELECTED = 0x2;
constexpr UINT LVNI_ALL = 0x0;
constexpr UINT LVNI_FOCUSED = 0x1;
constexpr UINT LVNI_SELECTED = 0x2;
constexpr UINT LVN_FIRST = 0u - 100u;
constexpr UINT LVN_ITEMCHANGING = LVN_FIRST - 0;
constexpr UINT LVN_ITEMCHANGED = LVN_FIRST - 1;
struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};

// ---- up-down ----
constexpr DWORD UDS_WRAP = 0x1;
constexpr DWORD UDS_SETBUDDYINT = 0x2;
constexpr DWORD UDS_ALIGNRIGHT = 0x4;
constexpr DWORD UDS_AUTOBUDDY = 0x10;
constexpr DWORD UDS_ARROWKEYS = 0x20;
constexpr DWORD UDS_HORZ = 0x40;
constexpr DWORD UDS_NOTHOUSANDS = 0x80;
constexpr UINT UDM_SETRANGE = WM_USER + 101;
constexpr UINT UDM_GETRANGE = WM_USER + 102;
constexpr UINT UDM_SETPOS = WM_USER + 103;
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETACCEL = WM_USER + 107;
constexpr UINT UDM_GETACCEL = WM_USER + 108;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;
constexpr UINT UDN_FIRST = 0u - 721u;
constexpr UINT UDN_DELTAPOS = UDN_FIRST - 1;
struct UDACCEL {
  UINT nSec;
  UINT nInc;
};
struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};

// ---- track bar ----
constexpr DWORD TBS_HORZ = 0x0;
constexpr DWORD TBS_VERT = 0x2;
constexpr UINT TBM_GETPOS = WM_USER;
constexpr UINT TBM_GETRANGEMIN = WM_USER + 1;
constexpr UINT TBM_GETRANGEMAX = WM_USER + 2;
constexpr UINT TBM_SETPOS = WM_USER + 5;
constexpr UINT TBM_SETRANGE = WM_USER + 6;
constexpr UINT TBM_SETRANGEMIN = WM_USER + 7;
constexpr UINT TBM_SETRANGEMAX = WM_USER + 8;
constexpr UINT TBM_SETTICFREQ = WM_USER + 20;
constexpr UINT TBM_SETPAGESIZE = WM_USER + 21;
constexpr UINT TBM_SETLINESIZE = WM_USER + 23;
constexpr int TB_THUMBPOSITION = 4;
constexpr int TB_THUMBTRACK = 5;
constexpr int TB_ENDTRACK = 8;

// ---- tab control ----
constexpr UINT TCM_FIRST = 0x1300;
constexpr UINT TCM_GETITEMCOUNT = TCM_FIRST + 4;
constexpr UINT TCM_DELETEALLITEMS = TCM_FIRST + 9;
constexpr UINT TCM_GETCURSEL = TCM_FIRST + 11;
constexpr UINT TCM_SETCURSEL = TCM_FIRST + 12;
constexpr UINT TCM_GETITEMW = TCM_FIRST + 60;
constexpr UINT TCM_INSERTITEMW = TCM_FIRST + 62;
constexpr UINT TCIF_TEXT = 0x1;
constexpr UINT TCN_FIRST = 0u - 550u;
constexpr UINT TCN_SELCHANGE = TCN_FIRST - 1;
constexpr UINT TCN_SELCHANGING = TCN_FIRST - 2;
struct TCITEMW {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPWSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};

// ---- owner drawing ----
constexpr UINT ODT_COMBOBOX = 3;
constexpr UINT ODA_DRAWENTIRE = 0x1;
constexpr UINT ODS_SELECTED = 0x1;
constexpr UINT ODS_COMBOBOXEDIT = 0x1000;
struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};

// ---- the colour well ----
// Selects a colour (wParam; lParam -1); the cell index of it, -1 when no
// cell holds it (the well then shows no selection).
constexpr UINT CWM_SETCOLOR = WM_USER + 7;
// The colour of a cell: wParam the address of a COLORREF, lParam the cell
// index in the low word plus 0x10000; FALSE for an index outside the well.
constexpr UINT CWM_GETCELLCOLOR = WM_USER + 10;
// The selected cell (-1 none).
constexpr UINT CWM_GETSEL = WM_USER + 11;
// Notifications (WM_NOTIFY): a cell was clicked (NMCOLORWELL; cell -2 is the
// one that asks for the full colour dialog), and the well asks its owner to
// draw its status line (sent as it paints).
constexpr UINT CWN_CLICK = 0u - 900u;
constexpr UINT CWN_DRAWSTATUS = 0u - 904u;
constexpr int CW_DIALOGCELL = -2;
struct NMCOLORWELL {
  NMHDR hdr;
  int cell;
};
// The number of colour cells a well made with lpParam null has.
constexpr int CW_DEFAULTCELLS = 64;

// ---- dialog helpers ----
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks the other buttons of first..last.
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
UINT GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
// The next (or previous) visible, enabled WS_TABSTOP child after `control`
// in creation order, wrapping; null when there is none.
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
// The control of that id in the dialog or, for a property sheet, in one of
// its pages (a shown one first); null with ERROR_CONTROL_ID_NOT_FOUND.
HWND KvFindDlgControl(HWND dialog, int id);

// ---- the test driver ----------------------------------------------------------
// What a person does to one control of a dialog.
enum class KvActionKind {
  Click,     // a button: BM_CLICK (the button's own state change, then BN_CLICKED)
  Pick,      // an entry of a combo, list box, list view or tab, a cell of a colour well
  Select,    // an entry of a multiple-selection list box on (`on`) or off
  Type,      // replaces the text of an edit, rich edit or drop-down combo
  Leave,     // the focus leaves the control for the next tab stop
  Spin,      // an up-down control's arrows, `value` steps (up is positive)
  Slide,     // a track bar's thumb to `value`
  Key,       // VK_TAB (with `on` for Shift), VK_RETURN, VK_ESCAPE or VK_SPACE to the dialog
  Snapshot,  // saves the dialog as PNG at `text` (a path), controls included
};
struct KvControlAction {
  KvActionKind kind = KvActionKind::Click;
  int id = 0;
  int value = 0;
  bool on = true;
  std::u16string text;
};
inline KvControlAction KvClick(int id) { return {KvActionKind::Click, id, 0, true, {}}; }
inline KvControlAction KvPick(int id, int index) { return {KvActionKind::Pick, id, index, true, {}}; }
inline KvControlAction KvSelect(int id, int index, bool on) { return {KvActionKind::Select, id, index, on, {}}; }
inline KvControlAction KvType(int id, std::u16string text) {
  return {KvActionKind::Type, id, 0, true, std::move(text)};
}
inline KvControlAction KvLeave(int id) { return {KvActionKind::Leave, id, 0, true, {}}; }
inline KvControlAction KvSpin(int id, int steps) { return {KvActionKind::Spin, id, steps, true, {}}; }
inline KvControlAction KvSlide(int id, int pos) { return {KvActionKind::Slide, id, pos, true, {}}; }
inline KvControlAction KvKey(UINT vk, bool shift = false) { return {KvActionKind::Key, 0, int(vk), shift, {}}; }
inline KvControlAction KvSnapshot(std::u16string path) {
  return {KvActionKind::Snapshot, 0, 0, true, std::move(path)};
}
// Plays one action on a dialog (or property sheet) window. FALSE, and
// nothing sent, with: ERROR_INVALID_WINDOW_HANDLE for a stale dialog,
// ERROR_CONTROL_ID_NOT_FOUND for a control the dialog does not have,
// ERROR_ACCESS_DENIED for a disabled or hidden control (input does not reach
// it), ERROR_INVALID_PARAMETER for an action the control does not take or an
// entry it does not have, ERROR_CANNOT_MAKE for a snapshot not written.
BOOL KvPlayControlAction(HWND dialog, const KvControlAction& action);
constexpr LONG ERROR_CANNOT_MAKE = 82;

// Writes a window and its visible descendants, each painted first, as one
// RGB PNG: a window with a caption gets a plain title bar above its client
// area. FALSE for a stale handle or an unwritable path.
BOOL KvSaveWindowTreePng(HWND hwnd, const char* path);
