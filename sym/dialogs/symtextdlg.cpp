#include "sym/dialogs/symtextdlg.h"

#include <cstdio>
#include <string>

#include "kvcore/smodulestate.h"
#include "kvcore/srtfdocument.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/symbase.h"
#include "win/winmsgbox.h"
#include "win/winreg.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr UINT kSizeMinimized = 1;
// A remembered size beyond this is taken for a damaged value.
constexpr long kLargestSize = 16000;

struct Resources {
  Resources() { SRegisterDlgTemplate(SSymTextDlg::Template()); }
  ~Resources() { SUnregisterDlgTemplate(SSymTextDlg::TemplateId); }
};
Resources s_resources;

// Two whole numbers apart by blanks and nothing else; false otherwise.
bool ReadPair(const SString& text, long& a, long& b) {
  const std::string s = text.ToUtf8();
  int used = 0;
  if (std::sscanf(s.c_str(), "%ld %ld %n", &a, &b, &used) != 2) return false;
  return used == int(s.size());
}

SString PlacementPath() { return SUserRegistry::sApplicationDialogPref + SString(SSymTextDlg::PlacementKey); }

void WritePair(const char16_t* value, long a, long b) {
  SRegistry key(HKEY_CURRENT_USER, PlacementPath(), 1);
  if (key.IsOpen()) key.WriteProfile(SString(value), SString::Format("%ld %ld", a, b));
}
}  // namespace

// ---- the editor part ----------------------------------------------------------------------------

void SSymTextEditPart::Init(SDlg& dialog, const SString& text) {
  m_pDialog = &dialog;
  dialog.AttachDlgItem(RichEditId, &m_edit);
  dialog.AttachDlgItem(PlainId, &m_plain);
  dialog.AttachDlgItem(RtfId, &m_rtf);
  m_bRtf = SRtfDocument::IsRtf(text);
  ShowMode();
  m_edit.SetText(text);
}

void SSymTextEditPart::ShowMode() {
  if (m_plain.m_hWnd) m_plain.SetCheck(m_bRtf ? BST_UNCHECKED : BST_CHECKED);
  if (m_rtf.m_hWnd) m_rtf.SetCheck(m_bRtf ? BST_CHECKED : BST_UNCHECKED);
  // Formatting means something in RTF only.
  if (m_pDialog && m_pDialog->m_hWnd)
    if (HWND toolbar = ::GetDlgItem(m_pDialog->m_hWnd, ToolbarId)) ::EnableWindow(toolbar, m_bRtf ? TRUE : FALSE);
}

void SSymTextEditPart::SwitchMode(bool rtf) {
  if (rtf == m_bRtf || !m_edit.m_hWnd) return;
  m_bRtf = rtf;
  SString text = m_edit.GetText();
  if (!rtf && SRtfDocument::IsRtf(text)) text = SRtfDocument::RtfToText(text);
  ShowMode();
  m_edit.SetText(SString());
  m_edit.SetText(text);
}

// ---- the text dialog ----------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymTextDlg, SDlg)
KV_ON_WM_SIZE()
KV_ON_MESSAGE(WM_MOVE, OnMoveMsg)
KV_ON_BN_CLICKED(SSymTextEditPart::PlainId, OnPlain)
KV_ON_BN_CLICKED(SSymTextEditPart::RtfId, OnRtf)
KV_END_MESSAGE_MAP()

void SSymTextEditPart::AddTemplateItems(std::vector<SDlgItem>& items, int x, int y, int cx, int editHeight,
                                        DWORD scrollBars) {
  items.push_back({RichEditId, SDlgItemKind::RichEdit, u"", x, y, cx, editHeight,
                   kShown | WS_BORDER | WS_TABSTOP | scrollBars | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN});
  const int row = y + editHeight + 10;
  items.push_back({-1, SDlgItemKind::Static, u"Text &mode:", x, row + 1, 40, 8, kShown});
  items.push_back({PlainId, SDlgItemKind::Button, u"&Plain text", x + 43, row, 50, 10,
                   kShown | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON});
  items.push_back({RtfId, SDlgItemKind::Button, u"&RTF", x + 97, row, 30, 10, kShown | BS_AUTORADIOBUTTON});
}

const SDlgTemplate& SSymTextDlg::Template() {
  static const SDlgTemplate t = [] {
    SDlgTemplate d{TemplateId, u"Text", u"MS Shell Dlg", 8, 300, 176, {}};
    d.items.push_back({SSymTextEditPart::ToolbarId, SDlgItemKind::Static, u"", 7, 4, 286, 14, kShown | WS_BORDER});
    SSymTextEditPart::AddTemplateItems(d.items, 7, 22, 286, 122, WS_VSCROLL | WS_HSCROLL);
    d.items.push_back(
        {IDOK, SDlgItemKind::Button, u"OK", 189, 152, 50, 14, kShown | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON});
    d.items.push_back({IDCANCEL, SDlgItemKind::Button, u"Cancel", 243, 152, 50, 14, kShown | WS_TABSTOP});
    return d;
  }();
  return t;
}

SSymTextDlg::SSymTextDlg(ISSymText* text) : SDlg(TemplateId) {
  if (!text) return;
  m_text = text;
  m_pObject = SSymGetRepObject(SComWrap<ISSymbol>(text).Get());
}

SSymTextDlg::~SSymTextDlg() {
  // Going now: the window's end must not delete the object a second time.
  m_bAutoDelete = false;
  if (m_hWnd) DestroyWindow();
  if (m_bRegistered && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
}

SSymTextDlg* SSymTextDlg::Find(ISRepObject* object) {
  return object ? static_cast<SSymTextDlg*>(SRepDialogMap::Find(object)) : nullptr;
}

BOOL SSymTextDlg::Open(SWnd* parent) {
  if (m_text.IsNull()) return FALSE;
  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(SW_SHOW);
    ++m_nShown;
    return TRUE;
  }
  SSetModuleState module(SSymGetModuleState());
  if (!Create(parent)) return FALSE;
  ++m_nShown;
  return TRUE;
}

BOOL SSymTextDlg::OnInitDialog() {
  SSetModuleState module(SSymGetModuleState());
  SString text;
  if (!m_text.IsNull()) m_text->GetText(text);
  m_part.Init(*this, text);
  const BOOL result = SDlg::OnInitDialog();
  // A wrapping text wraps at the window's edge, without a horizontal bar.
  const bool wrap = !m_text.IsNull() && (m_text->GetTextStyle() & WordWrapStyle);
  SRichEditCtrl& edit = m_part.GetEdit();
  ::ShowScrollBar(edit.m_hWnd, SB_HORZ, wrap ? FALSE : TRUE);
  edit.SetTargetDevice(nullptr, wrap ? 0 : 1);
  SComWrap<ISSymbol> symbol(m_text.Get());
  if (!symbol.IsNull() && symbol->GetSymbolType() == NoteSymbolType) SetWindowText(SSymLoadString(NoteTitleId).c_str());
  RestorePlacement();
  m_bInitialized = true;
  if (m_pObject) {
    SRepDialogMap::Add(m_pObject, this);
    m_bRegistered = true;
  }
  if (::GetFocus() != edit.m_hWnd) edit.SetFocus();
  return result;
}

void SSymTextDlg::RestorePlacement() {
  if (!SRepOption::m_bKeepSize) return;
  SRegistry key(HKEY_CURRENT_USER, PlacementPath(), 0);
  if (!key.IsOpen()) return;
  SString value;
  long a = 0, b = 0;
  if (SRepOption::m_bOpenSingleMode && key.GetProfile(SString(PositionValue), value, SString()) == ERROR_SUCCESS &&
      ReadPair(value, a, b))
    ::SetWindowPos(m_hWnd, nullptr, int(a), int(b), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The value is the client area's size: the frame comes on top of it.
  if (key.GetProfile(SString(SizeValue), value, SString()) == ERROR_SUCCESS && ReadPair(value, a, b) && a > 0 &&
      b > 0 && a <= kLargestSize && b <= kLargestSize) {
    RECT window{}, client{};
    ::GetWindowRect(m_hWnd, &window);
    ::GetClientRect(m_hWnd, &client);
    const int frameX = (window.right - window.left) - client.right;
    const int frameY = (window.bottom - window.top) - client.bottom;
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, int(a) + frameX, int(b) + frameY,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void SSymTextDlg::OnSize(UINT type, int cx, int cy) {
  if (m_bInitialized && SRepOption::m_bKeepSize && type != kSizeMinimized) WritePair(SizeValue, cx, cy);
  Default();
}

LRESULT SSymTextDlg::OnMoveMsg(WPARAM, LPARAM) {
  if (m_bInitialized && SRepOption::m_bOpenSingleMode) {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    WritePair(PositionValue, window.left, window.top);
  }
  return Default();
}

void SSymTextDlg::OnOK() {
  if (m_text.IsNull()) return Leave(IDOK);
  const SString typed = m_part.GetText();
  SString current;
  m_text->GetText(current);
  if (typed == current) return Leave(IDOK);
  if (m_pObject && m_pObject->IsDeleted()) {
    ::MessageBoxW(m_hWnd, u"The text cannot be written: its symbol was deleted while this dialog was open.",
                  GetTemplate().caption, MB_OK | MB_ICONWARNING);
    return;
  }
  {
    // The text and the size it gives the symbol are one undo step.
    SRepCreateContext step(m_pObject, 0, 1, 0);
    m_text->SetText(typed, 1);
    SComWrap<ISSymAdjust> adjust(m_text.Get());
    if (!adjust.IsNull() && adjust->IsAdjusted()) {
      SString now;
      m_text->GetText(now);
      m_text->SetText(now, 1);
      adjust->AutoAdjustText(1, 1);
      m_text->SetText(now, 1);
    } else if (SComWrap<ISSymbol> symbol(m_text.Get()); !symbol.IsNull()) {
      symbol->Redraw(nullptr);
    }
  }
  Leave(IDOK);
}

void SSymTextDlg::OnCancel() { Leave(IDCANCEL); }

void SSymTextDlg::Leave(int result) {
  if (IsModal()) {
    EndDialog(result);
    return;
  }
  if (m_hWnd) DestroyWindow();  // a dialog made by new goes with it
}

void SSymTextDlg::Close() {
  if (m_hWnd) DestroyWindow();  // a dialog made by new goes with it
  else if (m_bAutoDelete) delete this;
}

void SSymTextDlg::PostNcDestroy() {
  // Closed: the object has no open dialog any more.
  m_bInitialized = false;
  if (m_bRegistered && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  m_bRegistered = false;
  if (m_bAutoDelete) delete this;
}

namespace {
void OpenTextDialog(ISRepObject* object, ISSymText* text) {
  if (SSymTextDlg* open = SSymTextDlg::Find(object)) {
    open->Open();
    return;
  }
  auto* dialog = new SSymTextDlg(text);
  if (!dialog->Open()) {
    delete dialog;
    return;
  }
  dialog->SetAutoDelete(true);
}
struct TextDialogInstaller {
  TextDialogInstaller() { SSymSetTextDialogOpener(&OpenTextDialog); }
  ~TextDialogInstaller() { SSymSetTextDialogOpener(nullptr); }
} g_textDialogInstaller;
}  // namespace
