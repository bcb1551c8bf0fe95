// Dialogs from templates, driven by scripts of a person's actions: the
// notifications each action fires, the values read back, OK and Cancel, the
// modeless form, pictures of a dialog, and the failures of bad scripts and
// templates.
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sdlg.h"
#include "support/temp_files.h"
#include "win/winhelp.h"

namespace {

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
enum : int {
  kLabel = 1000,
  kName,
  kBold,
  kMixed,
  kLeft,
  kRight,
  kKind,
  kList,
  kMulti,
  kCount,
  kSpin,
  kSlider,
  kStyles,
  kText,
  kColors,
  kWell,
  kTabs,
  kPreview,
  kFrame,
};

const SDlgTemplate& Form() {
  static const SDlgTemplate t{
      700,
      u"Form",
      u"MS Sans Serif",
      8,
      330,
      230,
      {
          {kFrame, SDlgItemKind::Button, u"Options", 4, 2, 322, 60, kShown | BS_GROUPBOX},
          {kLabel, SDlgItemKind::Static, u"&Name:", 8, 12, 30, 8, kShown},
          {kName, SDlgItemKind::Edit, u"", 40, 10, 80, 12, kShown | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL},
          {kBold, SDlgItemKind::Button, u"&Bold", 8, 26, 50, 10, kShown | WS_TABSTOP | BS_AUTOCHECKBOX},
          {kMixed, SDlgItemKind::Button, u"&Mixed", 60, 26, 50, 10, kShown | WS_TABSTOP | BS_AUTO3STATE},
          {kLeft, SDlgItemKind::Button, u"&Left", 8, 40, 40, 10, kShown | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
          {kRight, SDlgItemKind::Button, u"&Right", 50, 40, 40, 10, kShown | BS_AUTORADIOBUTTON},
          {kKind, SDlgItemKind::ComboBox, u"", 130, 10, 60, 60, kShown | WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST},
          {kList, SDlgItemKind::ListBox, u"", 130, 26, 60, 34, kShown | WS_TABSTOP | WS_BORDER | LBS_NOTIFY},
          {kMulti, SDlgItemKind::ListBox, u"", 195, 10, 60, 50, kShown | WS_TABSTOP | LBS_NOTIFY | LBS_MULTIPLESEL},
          {kCount, SDlgItemKind::Edit, u"", 260, 10, 30, 12, kShown | WS_TABSTOP | WS_BORDER},
          {kSpin, SDlgItemKind::UpDown, u"", 290, 10, 10, 12, kShown | UDS_SETBUDDYINT | UDS_AUTOBUDDY},
          {kSlider, SDlgItemKind::Slider, u"", 260, 28, 60, 14, kShown | WS_TABSTOP},
          {kStyles, SDlgItemKind::ListView, u"", 8, 66, 150, 60, kShown | WS_TABSTOP | LVS_SINGLESEL},
          {kText, SDlgItemKind::RichEdit, u"", 165, 66, 155, 40,
           kShown | WS_TABSTOP | ES_MULTILINE | ES_WANTRETURN},
          {kColors, SDlgItemKind::ComboBox, u"", 165, 110, 60, 60,
           kShown | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED},
          {kWell, SDlgItemKind::ColorWell, u"", 8, 130, 80, 70, kShown},
          {kTabs, SDlgItemKind::Tab, u"", 100, 130, 120, 40, kShown},
          {kPreview, SDlgItemKind::Preview, u"", 230, 130, 90, 40, kShown},
          {IDOK, SDlgItemKind::Button, u"OK", 220, 210, 50, 14, kShown | WS_TABSTOP | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 275, 210, 50, 14, kShown | WS_TABSTOP},
      }};
  return t;
}

std::string CodeName(UINT message, UINT code) {
  if (message == WM_HSCROLL || message == WM_VSCROLL) return "scroll " + std::to_string(code);
  switch (code) {
    case EN_SETFOCUS: return "EN_SETFOCUS";
    case EN_KILLFOCUS: return "EN_KILLFOCUS";
    case EN_CHANGE: return "EN_CHANGE";
    case EN_UPDATE: return "EN_UPDATE";
    case UDN_DELTAPOS: return "UDN_DELTAPOS";
    case LVN_ITEMCHANGED: return "LVN_ITEMCHANGED";
    case TCN_SELCHANGING: return "TCN_SELCHANGING";
    case TCN_SELCHANGE: return "TCN_SELCHANGE";
    case CWN_CLICK: return "CWN_CLICK";
    case CWN_DRAWSTATUS: return "CWN_DRAWSTATUS";
    default: break;
  }
  return std::to_string(code);
}

// The form: it logs every notification that reaches it and reads its
// controls back on OK.
class FormDlg : public SDlg {
 public:
  FormDlg() : SDlg(Form()) {}
  std::vector<std::string> log;
  std::vector<std::string> heard;  // through map entries
  SString name, text;
  int bold = -1, mixed = -1, right = -1, kind = -1, list = -1, count = -1, slider = -1, style = -1, tab = -1;
  int wellCell = -99;
  COLORREF color = 0;
  std::vector<int> multi;
  bool refuseDelta = false;
  HIMAGELIST images = nullptr;
  SEditCtrl nameEdit;
  SComboColorBox colors;

  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message == WM_COMMAND && lParam)
      log.push_back(std::to_string(LOWORD(wParam)) + " " + CodeName(message, HIWORD(wParam)));
    if (message == WM_NOTIFY) {
      const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
      if (nm->code != CWN_DRAWSTATUS) log.push_back(std::to_string(nm->idFrom) + " " + CodeName(message, nm->code));
    }
    if (message == WM_HSCROLL || message == WM_VSCROLL)
      log.push_back(std::to_string(::GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) + " " +
                    CodeName(message, LOWORD(wParam)) + " " + std::to_string(short(HIWORD(wParam))));
    return SDlg::OnWndMsg(message, wParam, lParam, result);
  }

  BOOL OnInitDialog() override {
    AttachDlgItem(kName, &nameEdit);
    AttachDlgItem(kColors, &colors);
    for (const char16_t* s : {u"Class", u"Note", u"Package"}) SendDlgItemMessageW(m_hWnd, kKind, CB_ADDSTRING, 0, LPARAM(s));
    for (const char16_t* s : {u"One", u"Two", u"Three"}) {
      SendDlgItemMessageW(m_hWnd, kList, LB_ADDSTRING, 0, LPARAM(s));
      SendDlgItemMessageW(m_hWnd, kMulti, LB_ADDSTRING, 0, LPARAM(s));
    }
    SendDlgItemMessageW(m_hWnd, kSpin, UDM_SETRANGE32, 0, 10);
    SendDlgItemMessageW(m_hWnd, kSpin, UDM_SETPOS32, 0, 5);
    SendDlgItemMessageW(m_hWnd, kSlider, TBM_SETRANGEMAX, TRUE, 100);
    // Two 16 x 16 images: red and blue.
    images = ImageList_Create(16, 16, ILC_COLOR32, 2, 0);
    HDC screen = ::GetDC(nullptr);
    HBITMAP strip = ::CreateCompatibleBitmap(screen, 32, 16);
    HDC mem = ::CreateCompatibleDC(screen);
    HGDIOBJ old = ::SelectObject(mem, strip);
    RECT a{0, 0, 16, 16}, b{16, 0, 32, 16};
    HBRUSH red = ::CreateSolidBrush(RGB(255, 0, 0)), blue = ::CreateSolidBrush(RGB(0, 0, 255));
    ::FillRect(mem, &a, red);
    ::FillRect(mem, &b, blue);
    ::SelectObject(mem, old);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    ImageList_Add(images, strip, nullptr);
    ::DeleteObject(strip);
    ::DeleteObject(red);
    ::DeleteObject(blue);
    SListViewCtrl styles;
    styles.Attach(::GetDlgItem(m_hWnd, kStyles));
    styles.SetImageList(images, LVSIL_NORMAL);
    styles.InsertItem(0, u"Tree", 0);
    styles.InsertItem(1, u"Orthogonal", 1);
    styles.Detach();
    SendDlgItemMessageW(m_hWnd, kText, EM_SETEVENTMASK, 0, ENM_CHANGE);
    colors.AddColor(RGB(255, 0, 0));
    colors.AddColor(RGB(0, 128, 0));
    STabCtrl tabs;
    tabs.Attach(::GetDlgItem(m_hWnd, kTabs));
    tabs.InsertItem(0, u"First");
    tabs.InsertItem(1, u"Second");
    tabs.Detach();
    ::CheckRadioButton(m_hWnd, kLeft, kRight, kLeft);
    return SDlg::OnInitDialog();
  }
  ~FormDlg() override {
    if (images) ImageList_Destroy(images);
  }

  void OnOK() override {
    name = nameEdit.GetText();
    bold = int(::IsDlgButtonChecked(m_hWnd, kBold));
    mixed = int(::IsDlgButtonChecked(m_hWnd, kMixed));
    right = int(::IsDlgButtonChecked(m_hWnd, kRight));
    kind = int(SendDlgItemMessageW(m_hWnd, kKind, CB_GETCURSEL, 0, 0));
    list = int(SendDlgItemMessageW(m_hWnd, kList, LB_GETCURSEL, 0, 0));
    int sel[3] = {};
    multi.assign(sel, sel + SendDlgItemMessageW(m_hWnd, kMulti, LB_GETSELITEMS, 3, LPARAM(sel)));
    multi.assign(sel, sel + multi.size());
    BOOL ok = FALSE;
    count = int(::GetDlgItemInt(m_hWnd, kCount, &ok, FALSE));
    slider = int(SendDlgItemMessageW(m_hWnd, kSlider, TBM_GETPOS, 0, 0));
    style = int(SendDlgItemMessageW(m_hWnd, kStyles, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED));
    SWnd::FromHandle(::GetDlgItem(m_hWnd, kText))->GetWindowText(text);
    color = colors.GetSelectedColor();
    tab = int(SendDlgItemMessageW(m_hWnd, kTabs, TCM_GETCURSEL, 0, 0));
    SDlg::OnOK();
  }

  void OnBoldClicked() { heard.push_back("bold"); }
  void OnKindPicked() { heard.push_back("kind " + std::to_string(SendDlgItemMessageW(m_hWnd, kKind, CB_GETCURSEL, 0, 0))); }
  void OnDelta(NMHDR* nm, LRESULT* result) {
    heard.push_back("delta " + std::to_string(reinterpret_cast<NMUPDOWN*>(nm)->iDelta));
    *result = refuseDelta ? 1 : 0;
  }
  void OnWell(NMHDR* nm, LRESULT*) { wellCell = reinterpret_cast<NMCOLORWELL*>(nm)->cell; }

  KV_DECLARE_MESSAGE_MAP()
};

KV_BEGIN_MESSAGE_MAP(FormDlg, SDlg)
KV_ON_BN_CLICKED(kBold, OnBoldClicked)
KV_ON_CONTROL(CBN_SELENDOK, kKind, OnKindPicked)
KV_ON_NOTIFY(UDN_DELTAPOS, kSpin, OnDelta)
KV_ON_NOTIFY(CWN_CLICK, kWell, OnWell)
KV_END_MESSAGE_MAP()

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvDialogReset();
    KvClearHelpRequests();
  }
  void TearDown() override {
    KvDialogReset();
    KvWindowsReset();
    SWnd::DeleteTempMap();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  static INT_PTR Run(SDlg& dialog, std::vector<KvControlAction> actions, bool ok = false) {
    KvDialogAnswer answer;
    answer.actions = std::move(actions);
    answer.ok = ok;
    KvQueueDialogAnswer(answer);
    return dialog.DoModal();
  }
};

// `want` appears in `log` in this order (other entries may lie between).
::testing::AssertionResult InOrder(const std::vector<std::string>& log, const std::vector<std::string>& want) {
  std::size_t at = 0;
  for (const std::string& w : want) {
    while (at < log.size() && log[at] != w) ++at;
    if (at == log.size()) {
      std::string all;
      for (const std::string& l : log) all += l + "; ";
      return ::testing::AssertionFailure() << "missing \"" << w << "\" in order in: " << all;
    }
    ++at;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(DialogTest, ScriptedActionsFireTheirNotificationsAndTheValuesReadBack) {
  FormDlg dialog;
  const INT_PTR result = Run(dialog, {
                                         KvType(kName, u"Alpha"),
                                         KvClick(kBold),
                                         KvClick(kMixed),
                                         KvClick(kMixed),
                                         KvClick(kRight),
                                         KvPick(kKind, 2),
                                         KvPick(kList, 1),
                                         KvSelect(kMulti, 0, true),
                                         KvSelect(kMulti, 2, true),
                                         KvSpin(kSpin, 2),
                                         KvSlide(kSlider, 40),
                                         KvPick(kStyles, 1),
                                         KvType(kText, u"line one\r\nline two"),
                                         KvPick(kColors, 1),
                                         KvPick(kWell, 3),
                                         KvPick(kTabs, 1),
                                         KvClick(IDOK),
                                     });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dialog.name, SString(u"Alpha"));
  EXPECT_EQ(dialog.bold, BST_CHECKED);
  EXPECT_EQ(dialog.mixed, BST_INDETERMINATE);
  EXPECT_EQ(dialog.right, BST_CHECKED);
  EXPECT_EQ(dialog.kind, 2);
  EXPECT_EQ(dialog.list, 1);
  EXPECT_EQ(dialog.multi, (std::vector<int>{0, 2}));
  EXPECT_EQ(dialog.count, 7);
  EXPECT_EQ(dialog.slider, 40);
  EXPECT_EQ(dialog.style, 1);
  EXPECT_EQ(dialog.text, SString(u"line one\r\nline two"));
  EXPECT_EQ(dialog.color, RGB(0, 128, 0));
  EXPECT_EQ(dialog.wellCell, 3);
  EXPECT_EQ(dialog.tab, 1);
  EXPECT_EQ(dialog.heard, (std::vector<std::string>{"bold", "kind 2", "delta 2"}));
  const std::string up = "scroll " + std::to_string(SB_THUMBPOSITION);
  EXPECT_TRUE(InOrder(dialog.log, {
                                      "1001 EN_SETFOCUS", "1001 EN_UPDATE", "1001 EN_CHANGE",
                                      "1001 EN_KILLFOCUS",  // the click on Bold leaves the field
                                      "1002 0", "1003 0", "1003 0", "1005 0",
                                      "1006 " + std::to_string(CBN_SELCHANGE), "1006 " + std::to_string(CBN_SELENDOK),
                                      "1007 " + std::to_string(LBN_SELCHANGE), "1008 " + std::to_string(LBN_SELCHANGE),
                                      "1010 UDN_DELTAPOS", "1009 EN_CHANGE", "1010 " + up + " 7",
                                      "1011 scroll " + std::to_string(TB_THUMBTRACK) + " 40",
                                      "1011 scroll " + std::to_string(TB_THUMBPOSITION) + " 40",
                                      "1012 LVN_ITEMCHANGED", "1013 EN_CHANGE",
                                      "1014 " + std::to_string(CBN_SELCHANGE), "1015 CWN_CLICK",
                                      "1016 TCN_SELCHANGING", "1016 TCN_SELCHANGE", "1 0",
                                  }));
  ASSERT_EQ(KvDialogCalls().size(), 1u);
  EXPECT_EQ(KvDialogCalls()[0].actions, std::vector<DWORD>(17, 0));
  EXPECT_EQ(KvDialogCalls()[0].final, (SDlgTexts{{kName, SString(u"Alpha")},
                                                 {kCount, SString(u"7")},
                                                 {kText, SString(u"line one\r\nline two")}}));
}

TEST_F(DialogTest, OkCancelAndTheKeysEndTheDialogAsAPersonWould) {
  struct Case {
    const char* name;
    std::vector<KvControlAction> actions;
    bool ok;
    INT_PTR result;
  };
  const Case cases[] = {
      {"no answer: closed", {}, false, IDCANCEL},
      {"answer OK", {}, true, IDOK},
      {"Cancel button", {KvClick(IDCANCEL)}, true, IDCANCEL},
      {"Enter on a field: the default button", {KvType(kName, u"x"), KvKey(VK_RETURN)}, false, IDOK},
      {"Escape", {KvKey(VK_ESCAPE)}, true, IDCANCEL},
      {"Tab onto OK, Enter", {KvPick(kColors, 0), KvKey(VK_TAB), KvKey(VK_RETURN)}, false, IDOK},
      {"Tab onto Cancel, Enter", {KvPick(kColors, 0), KvKey(VK_TAB), KvKey(VK_TAB), KvKey(VK_RETURN)}, true, IDCANCEL},
      {"Shift+Tab back onto Colors, Enter", {KvPick(kColors, 0), KvKey(VK_TAB), KvKey(VK_TAB, true), KvKey(VK_RETURN)},
       false, IDOK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FormDlg dialog;
    EXPECT_EQ(Run(dialog, c.actions, c.ok), c.result);
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  // Enter in a multi-line field that wants it is a new line, not OK.
  FormDlg dialog;
  EXPECT_EQ(Run(dialog, {KvType(kText, u"a"), KvKey(VK_RETURN)}, false), IDCANCEL);
  EXPECT_EQ(KvDialogCalls().back().final.back(), (std::pair<int, SString>{kText, SString(u"a\r\n")}));
  // Space on a focused push button clicks it.
  FormDlg spaced;
  EXPECT_EQ(Run(spaced, {KvType(kName, u""), KvKey(VK_TAB), KvKey(VK_SPACE)}, false), IDCANCEL);
  EXPECT_EQ(spaced.heard, (std::vector<std::string>{"bold"}));
}

TEST_F(DialogTest, AControlCanRefuseAndRangesHold) {
  FormDlg dialog;
  dialog.refuseDelta = true;
  EXPECT_EQ(Run(dialog, {KvSpin(kSpin, 1), KvSlide(kSlider, 500), KvType(kCount, u"9"), KvSpin(kSpin, 3), KvClick(IDOK)}),
            IDOK);
  // Every spin refused: the buddy keeps what was typed; the slider stops at its end.
  EXPECT_EQ(dialog.count, 9);
  EXPECT_EQ(dialog.slider, 100);
  FormDlg upper;
  EXPECT_EQ(Run(upper, {KvType(kCount, u"9"), KvSpin(kSpin, 3), KvClick(IDOK)}), IDOK);
  EXPECT_EQ(upper.count, 10);  // read from the buddy, then kept inside 0..10
}

TEST_F(DialogTest, ModelessDialogLivesUntilDestroyed) {
  FormDlg dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(::IsWindowVisible(dialog.m_hWnd));
  EXPECT_TRUE(KvPlayControlAction(dialog.m_hWnd, KvClick(kBold)));
  EXPECT_EQ(dialog.heard, (std::vector<std::string>{"bold"}));
  EXPECT_TRUE(KvPlayControlAction(dialog.m_hWnd, KvClick(IDOK)));
  // Ending a modeless dialog hides it; the window stays for its owner to destroy.
  EXPECT_FALSE(::IsWindowVisible(dialog.m_hWnd));
  EXPECT_EQ(dialog.bold, BST_CHECKED);
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.nameEdit.m_hWnd, nullptr);
  EXPECT_TRUE(KvDialogCalls().empty());
}

TEST_F(DialogTest, HelpRequestsAreLogged) {
  FormDlg dialog;
  dialog.SetHelpContext(6003);
  ASSERT_TRUE(dialog.Create());
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), 0);
  ASSERT_EQ(KvHelpRequests().size(), 1u);
  EXPECT_EQ(KvHelpRequests()[0].command, HELP_CONTEXT);
  EXPECT_EQ(KvHelpRequests()[0].data, 6003u);
}

// ---- bad input ----

// A dialog that destroys itself from its own click handler, first ending
// itself or not.
class SelfDestroying : public FormDlg {
 public:
  bool endFirst = false;
  void OnBoldClicked() {
    if (endFirst) EndDialog(IDOK);
    DestroyWindow();
  }
  KV_DECLARE_MESSAGE_MAP()
};
KV_BEGIN_MESSAGE_MAP(SelfDestroying, FormDlg)
KV_ON_BN_CLICKED(kBold, OnBoldClicked)
KV_END_MESSAGE_MAP()

// Disables Bold and hides Mixed when it starts.
class Restricted : public FormDlg {
 public:
  BOOL OnInitDialog() override {
    const BOOL r = FormDlg::OnInitDialog();
    ::EnableWindow(::GetDlgItem(m_hWnd, kBold), FALSE);
    ::ShowWindow(::GetDlgItem(m_hWnd, kMixed), SW_HIDE);
    return r;
  }
};

TEST_F(DialogTest, BadActionsGetTheFailureAnswerAndChangeNothing) {
  struct Case {
    const char* name;
    KvControlAction action;
    DWORD error;
  };
  const Case cases[] = {
      {"missing control", KvClick(4242), DWORD(ERROR_CONTROL_ID_NOT_FOUND)},
      {"disabled check box", KvClick(kBold), DWORD(ERROR_ACCESS_DENIED)},
      {"hidden check box", KvClick(kMixed), DWORD(ERROR_ACCESS_DENIED)},
      {"spin on a button", KvSpin(kRight, 1), DWORD(ERROR_INVALID_PARAMETER)},
      {"entry a combo lacks", KvPick(kKind, 9), DWORD(ERROR_INVALID_PARAMETER)},
      {"negative entry", KvPick(kList, -1), DWORD(ERROR_INVALID_PARAMETER)},
      {"typing into a drop-down list", KvType(kKind, u"x"), DWORD(ERROR_INVALID_PARAMETER)},
      {"deselect in a single list", KvSelect(kList, 0, false), DWORD(ERROR_INVALID_PARAMETER)},
      {"click on a group box", KvClick(kFrame), DWORD(ERROR_INVALID_PARAMETER)},
      {"unknown key", KvKey(VK_F1), DWORD(ERROR_INVALID_PARAMETER)},
      {"well cell it lacks", KvPick(kWell, 64), DWORD(ERROR_INVALID_PARAMETER)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restricted dialog;
    EXPECT_EQ(Run(dialog, {c.action, KvClick(IDOK)}), IDOK);
    EXPECT_EQ(KvDialogCalls().back().actions, (std::vector<DWORD>{c.error, 0}));
    EXPECT_EQ(dialog.bold, BST_UNCHECKED);
    EXPECT_EQ(dialog.mixed, BST_UNCHECKED);
    EXPECT_EQ(dialog.kind, -1);
    EXPECT_EQ(dialog.list, -1);
    EXPECT_TRUE(dialog.heard.empty());
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  // A dialog handle that is gone.
  FormDlg gone;
  ASSERT_TRUE(gone.Create());
  HWND stale = gone.m_hWnd;
  gone.DestroyWindow();
  EXPECT_FALSE(KvPlayControlAction(stale, KvClick(kBold)));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(DialogTest, ADialogDestroyedInItsOwnHandlerStopsTheScript) {
  for (const bool endFirst : {false, true}) {
    SCOPED_TRACE(endFirst ? "ended, then destroyed" : "destroyed");
    SelfDestroying dialog;
    dialog.endFirst = endFirst;
    EXPECT_EQ(Run(dialog, {KvType(kName, u"x"), KvClick(kBold), KvClick(kRight), KvClick(IDOK)}, true),
              endFirst ? IDOK : -1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.nameEdit.m_hWnd, nullptr);
    EXPECT_EQ(KvDialogCalls().back().actions, (std::vector<DWORD>{0, 0}));  // nothing after the click
    EXPECT_EQ(dialog.right, -1);                                          // OnOK never ran
    EXPECT_EQ(KvWindowCount(), 0u);
  }
}

// A modeless dialog that deletes itself with its window.
class SelfDeleting : public SelfDestroying {
 public:
  static int alive;
  SelfDeleting() { ++alive; }
  ~SelfDeleting() override { --alive; }
  void PostNcDestroy() override { delete this; }
};
int SelfDeleting::alive = 0;

TEST_F(DialogTest, AModelessDialogThatDeletesItselfInItsHandler) {
  auto* dialog = new SelfDeleting;
  ASSERT_TRUE(dialog->Create());
  HWND h = dialog->m_hWnd;
  EXPECT_TRUE(KvPlayControlAction(h, KvClick(kBold)));
  EXPECT_FALSE(::IsWindow(h));
  EXPECT_EQ(SelfDeleting::alive, 0);
  EXPECT_FALSE(KvPlayControlAction(h, KvClick(kRight)));
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(DialogTest, TemplatesThatCannotBeMadeLeaveNothing) {
  static const SDlgTemplate unknownClass{
      701, u"Bad", u"MS Sans Serif", 8, 100, 50,
      {{1, SDlgItemKind::Static, u"x", 0, 0, 10, 10, kShown},
       {2, SDlgItemKind::Custom, u"", 0, 12, 10, 10, kShown, u"NoSuchControl"}}};
  static const SDlgTemplate unknownKind{
      702, u"Bad", u"MS Sans Serif", 8, 100, 50,
      {{1, SDlgItemKind::Static, u"x", 0, 0, 10, 10, kShown}, {2, static_cast<SDlgItemKind>(99), u"", 0, 12, 10, 10, kShown}}};
  static const SDlgTemplate noClassName{
      703, u"Bad", u"MS Sans Serif", 8, 100, 50, {{2, SDlgItemKind::Custom, u"", 0, 12, 10, 10, kShown}}};
  struct Case {
    const char* name;
    const SDlgTemplate* t;
    UINT id;
    DWORD error;
  };
  const Case cases[] = {
      {"control of an unknown class", &unknownClass, 0, DWORD(ERROR_CANNOT_FIND_WND_CLASS)},
      {"unknown control kind", &unknownKind, 0, DWORD(ERROR_CANNOT_FIND_WND_CLASS)},
      {"custom control without a class", &noClassName, 0, DWORD(ERROR_CANNOT_FIND_WND_CLASS)},
      {"template id nobody registered", nullptr, 9999, DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)},
  };
  class Counting : public SDlg {
   public:
    using SDlg::SDlg;
    int inits = 0;
    BOOL OnInitDialog() override {
      ++inits;
      return TRUE;
    }
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Counting dialog = c.t ? Counting(*c.t) : Counting(c.id);
    KvQueueDialogAnswer({{}, true, {}});
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(::GetLastError(), c.error);
    EXPECT_EQ(dialog.inits, 0);
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(KvWindowCount(), 0u);
    EXPECT_FALSE(dialog.Create());
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  // Answers wait for a dialog that shows.
  EXPECT_EQ(KvDialogCalls().size(), 0u);
  KvDialogReset();
  // A registered template is found by id.
  SRegisterDlgTemplate(Form());
  SDlg byId(Form().id);
  EXPECT_EQ(byId.DoModal(), IDCANCEL);
  SUnregisterDlgTemplate(Form().id);
  EXPECT_EQ(SFindDlgTemplate(Form().id), nullptr);
}

// ---- pictures ----

COLORREF PixelAt(cairo_surface_t* s, int x, int y) {
  const unsigned char* p = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4;
  return RGB(p[2], p[1], p[0]);
}

TEST_F(DialogTest, ADialogSavedAsPngShowsItsControlsAndTheirState) {
  kvtest::TempDir dir("kvdlg");
  const std::string shot = (dir.path / "snap.png").string();
  FormDlg dialog;
  EXPECT_EQ(Run(dialog, {KvClick(kBold), KvPick(kList, 1), KvPick(kColors, 0),
                         KvSnapshot(std::u16string(shot.begin(), shot.end())), KvClick(IDOK)}),
            IDOK);
  EXPECT_EQ(KvDialogCalls().back().actions, std::vector<DWORD>(5, 0));
  cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  const int top = ::GetSystemMetrics(SM_CYCAPTION);
  // The client area below a title bar.
  const POINT size = SDlgUnitsToPixels(Form().cx, Form().cy);
  EXPECT_EQ(cairo_image_surface_get_width(png), size.x);
  EXPECT_EQ(cairo_image_surface_get_height(png), size.y + top);
  // The caption bar, the selected list entry (second row) and the red swatch.
  EXPECT_EQ(PixelAt(png, 2, 2), ::GetSysColor(COLOR_ACTIVECAPTION));
  const POINT list = SDlgUnitsToPixels(130, 26);
  EXPECT_EQ(PixelAt(png, list.x + 4, top + list.y + 1 + 16 + 2), ::GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_NE(PixelAt(png, list.x + 4, top + list.y + 1 + 2), ::GetSysColor(COLOR_HIGHLIGHT));
  const POINT combo = SDlgUnitsToPixels(165, 110);
  EXPECT_EQ(PixelAt(png, combo.x + 8, top + combo.y + 8), RGB(255, 0, 0));
  // The checked box has ink inside it; the unchecked one has none.
  const POINT bold = SDlgUnitsToPixels(8, 26), mixed = SDlgUnitsToPixels(60, 26);
  const int cy = SDlgUnitsToPixels(0, 10).y / 2;
  auto inkInBox = [&](POINT at) {
    int ink = 0;
    for (int y = 2; y < 11; ++y)
      for (int x = 2; x < 11; ++x)
        if (PixelAt(png, at.x + x, top + at.y + cy - 6 + y) != ::GetSysColor(COLOR_WINDOW)) ++ink;
    return ink;
  };
  EXPECT_GT(inkInBox(bold), 5);
  EXPECT_EQ(inkInBox(mixed), 0);
  cairo_surface_destroy(png);
  // A path that cannot be written fails the action and nothing else.
  FormDlg other;
  EXPECT_EQ(Run(other, {KvSnapshot(u"/no/such/folder/x.png"), KvClick(IDOK)}), IDOK);
  EXPECT_EQ(KvDialogCalls().back().actions, (std::vector<DWORD>{DWORD(ERROR_CANNOT_MAKE), 0}));
  if (const auto keep = kvtest::KeepFolder("dialogs"); !keep.empty())
    std::filesystem::copy_file(shot, keep / "form.png", std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
