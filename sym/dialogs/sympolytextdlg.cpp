#include "sym/dialogs/sympolytextdlg.h"

#include <memory>
#include <utility>

#include "kvcore/smodulestate.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "kvrep/sreptypelib.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "sym/links/sympolyline.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "win/winmsgbox.h"

namespace {
// The line attributes whose names caption the source and destination pages.
constexpr LONG kSrcTextId = 0x02001418;
constexpr LONG kDstTextId = 0x02001419;
constexpr UINT kSrcTextLabel = 1114;
constexpr UINT kDstTextLabel = 1115;

struct Resources {
  Resources() { SRegisterDlgTemplate(SSymDlgText::Template()); }
  ~Resources() { SUnregisterDlgTemplate(SSymDlgText::TemplateId); }
};
Resources s_resources;

// The shown name of a line attribute: the first line of its label, else
// its name, else `fallback` when the line's class names neither.
SString AttrName(ISRepObject* object, LONG id, UINT label, const char16_t* fallback) {
  SString name;
  {
    SSetModuleState module(SSymGetModuleState());
    name = SSymLoadString(label);
  }
  if (const int end = name.Find(u'\n'); end >= 0) name = name.Left(end);
  CLSID clsid{};
  if (name.IsEmpty() && object && SUCCEEDED(object->GetCLSID(&clsid))) name = SRepGetAttrName(clsid, id);
  return name.IsEmpty() ? SString(fallback) : name;
}

SString Caption() {
  SSetModuleState module(SSymGetModuleState());
  return SSymLoadString(SSymPolyTextDlg::CaptionId);
}
}  // namespace

// ---- the page -----------------------------------------------------------------------------------

KV_BEGIN_MESSAGE_MAP(SSymDlgText, SPropertyPage)
KV_ON_BN_CLICKED(SSymTextEditPart::PlainId, OnPlain)
KV_ON_BN_CLICKED(SSymTextEditPart::RtfId, OnRtf)
KV_END_MESSAGE_MAP()

const SDlgTemplate& SSymDlgText::Template() {
  static const SDlgTemplate t = [] {
    SDlgTemplate d{TemplateId, u"Center Text", u"MS Shell Dlg", 8, 250, 130, {}};
    SSymTextEditPart::AddTemplateItems(d.items, 7, 7, 236, 96, WS_VSCROLL);
    return d;
  }();
  return t;
}

BOOL SSymDlgText::OnInitDialog() {
  m_part.Init(*this, m_text);
  return SPropertyPage::OnInitDialog();
}

BOOL SSymDlgText::OnApply() {
  if (m_part.GetEdit().m_hWnd) m_text = m_part.GetText();
  return SPropertyPage::OnApply();
}

// ---- the sheet ----------------------------------------------------------------------------------

SSymPolyTextDlg::SSymPolyTextDlg(SSymLineTextHelper* helper, ISSymbol* line)
    : SPropertySheet(Caption()), m_pHelper(helper), m_pLine(line), m_pObject(line ? SSymGetRepObject(line) : nullptr) {
  if (m_pLine) m_pLine->AddRef();
  for (int i = 0; i < PageTotal; ++i) {
    if (m_pHelper) m_pages[i].SetText(m_pHelper->GetText(i));
    AddPage(&m_pages[i]);
  }
  m_pages[SourcePage].SetCaption(AttrName(m_pObject, kSrcTextId, kSrcTextLabel, u"Source Text"));
  m_pages[DestinationPage].SetCaption(AttrName(m_pObject, kDstTextId, kDstTextLabel, u"Destination Text"));
}

SSymPolyTextDlg::~SSymPolyTextDlg() {
  // Going now: the window's end must not delete the object a second time;
  // the pages' windows go before the pages do.
  m_bAutoDelete = false;
  if (m_hWnd) DestroyWindow();
  if (m_bRegistered && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  if (ISSymbol* line = std::exchange(m_pLine, nullptr)) line->Release();
}

SSymPolyTextDlg* SSymPolyTextDlg::Find(ISRepObject* object) {
  return object ? static_cast<SSymPolyTextDlg*>(SRepDialogMap::Find(object)) : nullptr;
}

BOOL SSymPolyTextDlg::Display(HWND owner, DWORD style) {
  m_owner = owner;
  m_style = style;
  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(SW_SHOW);
    ++m_nShown;
    return TRUE;
  }
  HWND parent = owner && ::IsWindow(owner) ? owner : nullptr;
  SSetModuleState module(SSymGetModuleState());
  if (!CreateModeless(parent, style)) return FALSE;
  ++m_nShown;
  if (m_pObject) {
    SRepDialogMap::Add(m_pObject, this);
    m_bRegistered = true;
  }
  return TRUE;
}

BOOL SSymPolyTextDlg::OnInitDialog() {
  const BOOL result = SPropertySheet::OnInitDialog();
  // No Apply and no Help: OK and Cancel take their places.
  HWND apply = ::GetDlgItem(m_hWnd, ApplyButtonId);
  HWND help = ::GetDlgItem(m_hWnd, IDHELP);
  HWND ok = ::GetDlgItem(m_hWnd, IDOK);
  HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
  if (apply && help && ok && cancel) {
    RECT applyAt{}, helpAt{};
    ::GetWindowRect(apply, &applyAt);
    ::GetWindowRect(help, &helpAt);
    ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&applyAt.left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&helpAt.left));
    ::SetWindowPos(ok, nullptr, applyAt.left, applyAt.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(cancel, nullptr, helpAt.left, helpAt.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (apply) ::ShowWindow(apply, SW_HIDE);
  if (help) ::ShowWindow(help, SW_HIDE);
  return result;
}

bool SSymPolyTextDlg::WriteBack() {
  if (!m_pHelper) return true;
  if (m_pObject && m_pObject->IsDeleted()) {
    ::MessageBoxW(m_hWnd, u"The texts cannot be written: the line was deleted while this sheet was open.",
                  Caption().c_str(), MB_OK | MB_ICONWARNING);
    return false;
  }
  std::unique_ptr<SRepCreateContext> step;
  for (int i = 0; i < PageTotal; ++i) {
    // A page never shown holds the text the line had when the sheet was
    // made: it is not the person's and is not written.
    if (!m_pages[i].m_hWnd) continue;
    const SString before = m_pHelper->GetText(i);
    const SString& text = m_pages[i].GetText();
    if (text == before) continue;
    if (!step) step = std::make_unique<SRepCreateContext>(m_pObject, 0, 1, 0);
    m_pHelper->SetText(i, text);
    if (ISSymText* label = m_pHelper->GetSubText(i)) step->AddRepAction(std::make_unique<SSymActionText>(label, before));
  }
  return true;
}

void SSymPolyTextDlg::OnOK() {
  if (!PressButton(PSBTN_APPLYNOW) || !m_hWnd || !WriteBack()) return;
  if (IsModal()) {
    EndDialog(IDOK);
    return;
  }
  DestroyWindow();  // a sheet made by new goes with it
}

void SSymPolyTextDlg::OnCancel() {
  if (IsModal()) {
    SPropertySheet::OnCancel();
    return;
  }
  if (m_hWnd) DestroyWindow();
}

void SSymPolyTextDlg::Close() {
  if (m_hWnd) DestroyWindow();  // a sheet made by new goes with it
  else if (m_bAutoDelete) delete this;
}

void SSymPolyTextDlg::PostNcDestroy() {
  // Closed: the object has no open sheet any more.
  if (m_bRegistered && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  m_bRegistered = false;
  if (m_bAutoDelete) delete this;
}

namespace {
void OpenPolyTextDialog(ISRepObject* object, SSymLineTextHelper* helper, ISSymbol* line, HWND owner) {
  // An open sheet of the same object is shown again.
  if (SSymPolyTextDlg* open = SSymPolyTextDlg::Find(object)) {
    open->Display(owner);
    return;
  }
  auto* sheet = new SSymPolyTextDlg(helper, line);
  if (!sheet->Display(owner)) {
    delete sheet;
    return;
  }
  sheet->SetAutoDelete(true);
}
struct PolyTextDialogInstaller {
  PolyTextDialogInstaller() { SSymSetPolyTextDialogOpener(&OpenPolyTextDialog); }
  ~PolyTextDialogInstaller() { SSymSetPolyTextDialogOpener(nullptr); }
} g_polyTextDialogInstaller;
}  // namespace
