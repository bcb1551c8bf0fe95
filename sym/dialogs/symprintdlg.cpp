// The print dialog: page choice, scale and placement, print options and the
// printer, all applied to the diagram at once and put back afterwards.
#include "sym/dialogs/symprintdlg.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "kvcore/scascade.h"
#include "kvcore/sprintercache.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/edit/symviewedit.h"
#include "sym/foundation/symstrings.h"

namespace {
constexpr DWORD kShown = WS_VISIBLE | WS_CHILD;
constexpr DWORD kRadio = kShown | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kGroup = kShown | BS_GROUPBOX;
constexpr DWORD kEdit = kShown | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = kShown | WS_TABSTOP;

// A whole decimal number (an optional sign, then digits only); none for
// anything else, an empty text or a number beyond the 32-bit range.
std::optional<long> Number(SString text) {
  text.Trim(SString(u" \t\r\n"));
  const std::u16string& s = text.str();
  std::size_t i = (!s.empty() && (s[0] == u'-' || s[0] == u'+')) ? 1 : 0;
  if (i == s.size()) return std::nullopt;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    v = v * 10 + (s[i] - u'0');
    if (v > 0x7FFFFFFFLL) return std::nullopt;
  }
  return static_cast<long>(s[0] == u'-' ? -v : v);
}

SString Decimal(long long v) { return SString(std::to_string(v).c_str()); }

// Thousandths of a millimetre to thousandths of an inch, half up.
LONG ToThousandthsOfInch(LONG v) { return static_cast<LONG>((static_cast<long long>(v) * 10 + 127) / 254); }

// An open printer, closed when the scope ends.
struct OpenedPrinter {
  HANDLE h = nullptr;
  explicit OpenedPrinter(const SString& name) {
    std::u16string n = name.str();
    if (n.empty() || !OpenPrinterW(n.data(), &h, nullptr)) h = nullptr;
  }
  ~OpenedPrinter() {
    if (h) ClosePrinter(h);
  }
  OpenedPrinter(const OpenedPrinter&) = delete;
  OpenedPrinter& operator=(const OpenedPrinter&) = delete;
};

// A spooler answer packed in a buffer: size query, then the call.
template <class Call>
bool Query(std::vector<BYTE>& buffer, Call call) {
  DWORD needed = 0;
  if (!call(nullptr, 0, &needed) && (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)) return false;
  buffer.assign(needed, 0);
  return call(buffer.data(), needed, &needed) != FALSE;
}

// The printer's PRINTER_INFO_2 (null when it cannot be read).
const PRINTER_INFO_2W* PrinterInfo(HANDLE printer, std::vector<BYTE>& buffer) {
  if (!printer) return nullptr;
  const bool ok = Query(buffer, [&](BYTE* b, DWORD cb, DWORD* needed) { return GetPrinterW(printer, 2, b, cb, needed); });
  return ok && buffer.size() >= sizeof(PRINTER_INFO_2W) ? reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data())
                                                         : nullptr;
}

// The printer's forms; false when they cannot be read.
bool PrinterForms(HANDLE printer, std::vector<BYTE>& buffer, const FORM_INFO_1W*& forms, DWORD& count) {
  count = 0;
  forms = nullptr;
  if (!printer) return false;
  DWORD returned = 0;
  const bool ok = Query(buffer, [&](BYTE* b, DWORD cb, DWORD* needed) {
    return EnumFormsW(printer, 1, b, cb, needed, &returned);
  });
  if (!ok || buffer.size() < static_cast<std::size_t>(returned) * sizeof(FORM_INFO_1W)) return false;
  forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
  count = returned;
  return true;
}

// A form's size in thousandths of an inch, width first, turned for
// landscape; (0, 0) for a form of no size.
POINT FormSize(const FORM_INFO_1W& form, bool landscape) {
  if (form.Size.cx <= 0 || form.Size.cy <= 0) return POINT{0, 0};
  const LONG w = ToThousandthsOfInch(form.Size.cx), h = ToThousandthsOfInch(form.Size.cy);
  return landscape ? POINT{h, w} : POINT{w, h};
}

SString Text(const LPCWSTR s) { return s ? SString(s) : SString(); }

// The bytes of a device mode that the dialog reads.
constexpr std::size_t kDevModeRead = offsetof(DEVMODEW, dmFormName);

// A locked device mode, when the block is as long as the fields the dialog
// reads and as long as the record claims; null otherwise (unlocked again).
DEVMODEW* LockDevMode(HGLOBAL block) {
  const std::size_t size = GlobalSize(block);
  if (size < kDevModeRead) return nullptr;
  auto* dm = static_cast<DEVMODEW*>(GlobalLock(block));
  if (!dm) return nullptr;
  if (dm->dmSize < kDevModeRead || static_cast<std::size_t>(dm->dmSize) + dm->dmDriverExtra > size) {
    GlobalUnlock(block);
    return nullptr;
  }
  return dm;
}

// A private copy of a global block (null for none).
HGLOBAL CopyBlock(HGLOBAL source) {
  const SIZE_T size = GlobalSize(source);
  if (!source || size == 0) return nullptr;
  HGLOBAL copy = GlobalAlloc(GHND, size);
  if (!copy) return nullptr;
  const void* from = GlobalLock(source);
  void* to = GlobalLock(copy);
  if (from && to) std::memcpy(to, from, size);
  GlobalUnlock(copy);
  GlobalUnlock(source);
  if (!from || !to) {
    GlobalFree(copy);
    return nullptr;
  }
  return copy;
}

// A device-names block: driver "winspool", the device and its port.
HGLOBAL MakeDeviceNames(const SString& device, const SString& port) {
  const std::u16string driver = u"winspool";
  const std::size_t chars = driver.size() + device.str().size() + port.str().size() + 7;
  HGLOBAL block = GlobalAlloc(GHND, chars * sizeof(char16_t));
  auto* p = block ? static_cast<char16_t*>(GlobalLock(block)) : nullptr;
  if (!p) {
    if (block) GlobalFree(block);
    return nullptr;
  }
  DEVNAMES names;
  names.wDriverOffset = 4;
  names.wDeviceOffset = static_cast<WORD>(driver.size() + 5);
  names.wOutputOffset = static_cast<WORD>(driver.size() + device.str().size() + 6);
  names.wDefault = 0;
  std::memcpy(p, &names, sizeof names);
  std::memcpy(p + names.wDriverOffset, driver.c_str(), (driver.size() + 1) * sizeof(char16_t));
  std::memcpy(p + names.wDeviceOffset, device.c_str(), (device.str().size() + 1) * sizeof(char16_t));
  std::memcpy(p + names.wOutputOffset, port.c_str(), (port.str().size() + 1) * sizeof(char16_t));
  GlobalUnlock(block);
  return block;
}

SSymPoint Centre(SSymRect r) {
  return SSymPoint(static_cast<LONG>((static_cast<long long>(r.x1) + r.x2) / 2),
                   static_cast<LONG>((static_cast<long long>(r.y1) + r.y2) / 2));
}
}  // namespace

const int SSymPrintDlg::Scales[ScaleCount] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 125, 150, 175, 200, 400};
const int SSymPrintDlg::PageTypes[PageTypeCount][2] = {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2},
                                                       {2, 3}, {2, 4}, {3, 1}, {3, 2}, {3, 3}, {3, 4},
                                                       {4, 1}, {4, 2}, {4, 3}, {4, 4}};

const SDlgTemplate& SSymPrintDlg::Template() {
  static const SDlgTemplate t{
      TemplateId,
      u" Print Diagram",
      u"MS Sans Serif",
      8,
      372,
      262,
      {
          {-1, SDlgItemKind::Button, u" Page range ", 7, 4, 150, 70, kGroup},
          {AllId, SDlgItemKind::Button, u"&All", 14, 16, 60, 10, kRadio | WS_GROUP},
          {RangeId, SDlgItemKind::Button, u"Fr&om:", 14, 30, 34, 10, kRadio},
          {FromId, SDlgItemKind::Edit, u"", 50, 29, 26, 12, kEdit},
          {-1, SDlgItemKind::Static, u"&To:", 82, 31, 14, 8, kShown},
          {ToId, SDlgItemKind::Edit, u"", 98, 29, 26, 12, kEdit},
          {SelectedId, SDlgItemKind::Button, u"&Selected", 14, 44, 60, 10, kRadio},
          {-1, SDlgItemKind::Static, u"Pages:", 14, 59, 30, 8, kShown},
          {PageCountId, SDlgItemKind::Static, u"1", 46, 59, 30, 8, kShown},
          {-1, SDlgItemKind::Static, u"Number of &copies:", 7, 82, 66, 8, kShown},
          {CopiesId, SDlgItemKind::Edit, u"1", 76, 80, 30, 12, kEdit | WS_GROUP},
          {CopiesSpinId, SDlgItemKind::UpDown, u"", 106, 80, 10, 12, kShown | UDS_ARROWKEYS | UDS_ALIGNRIGHT},
          {-1, SDlgItemKind::Button, u" Zoom ", 7, 98, 150, 62, kGroup},
          {ScaleId, SDlgItemKind::ComboBox, u"", 14, 110, 60, 80, kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN},
          {FitId, SDlgItemKind::Button, u"Fit &to pages:", 14, 127, 60, 10, kCheck},
          {PageTypeId, SDlgItemKind::ComboBox, u"", 78, 125, 50, 80,
           kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST},
          {CenterId, SDlgItemKind::Button, u"Center in pages", 14, 143, 80, 10, kCheck},
          {-1, SDlgItemKind::Button, u" Print options ", 7, 164, 150, 40, kGroup},
          {FrameId, SDlgItemKind::Button, u"&Frame", 14, 176, 60, 10, kCheck},
          {CornerId, SDlgItemKind::Button, u"Corn&er", 14, 189, 60, 10, kCheck},
          {BlackId, SDlgItemKind::Button, u"&Black && white", 82, 176, 70, 10, kRadio | WS_GROUP},
          {ColorId, SDlgItemKind::Button, u"Co&lor", 82, 189, 70, 10, kRadio},
          {-1, SDlgItemKind::Button, u" Preview ", 164, 4, 201, 146, kGroup},
          {PreviewId, SDlgItemKind::Custom, u"", 170, 15, 189, 129, kShown | WS_BORDER, u"SSymView"},
          {-1, SDlgItemKind::Button, u" Printer ", 164, 152, 201, 86, kGroup},
          {-1, SDlgItemKind::Static, u"&Name:", 170, 165, 40, 8, kShown},
          {PrinterId, SDlgItemKind::ComboBox, u"", 212, 163, 146, 80,
           kShown | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_SORT},
          {-1, SDlgItemKind::Static, u"Type:", 170, 180, 40, 8, kShown},
          {TypeId, SDlgItemKind::Static, u"", 212, 180, 146, 8, kShown},
          {-1, SDlgItemKind::Static, u"Where:", 170, 190, 40, 8, kShown},
          {WhereId, SDlgItemKind::Static, u"", 212, 190, 146, 8, kShown},
          {-1, SDlgItemKind::Static, u"Comment:", 170, 200, 40, 8, kShown},
          {CommentId, SDlgItemKind::Static, u"", 212, 200, 146, 8, kShown},
          {PaperId, SDlgItemKind::Static, u"", 170, 212, 80, 8, kShown},
          {OrientationId, SDlgItemKind::Static, u"", 252, 212, 50, 8, kShown},
          {ResolutionId, SDlgItemKind::Static, u"", 304, 212, 54, 8, kShown},
          {PageSetupId, SDlgItemKind::Button, u"Page Set&up", 212, 222, 70, 13, kButton},
          {PrinterSetupId, SDlgItemKind::Button, u"Printer setup", 288, 222, 70, 13, kButton},
          {IDOK, SDlgItemKind::Button, u"OK", 164, 243, 60, 14, kButton | BS_DEFPUSHBUTTON},
          {IDCANCEL, SDlgItemKind::Button, u"Cancel", 234, 243, 60, 14, kButton},
          {IDHELP, SDlgItemKind::Button, u"&Help", 304, 243, 60, 14, kButton},
      }};
  return t;
}

KV_BEGIN_MESSAGE_MAP(SSymPrintDlg, SDlg)
KV_ON_NOTIFY(UDN_DELTAPOS, SSymPrintDlg::CopiesSpinId, OnSpinCopy)
KV_ON_CONTROL(EN_CHANGE, SSymPrintDlg::CopiesId, OnEditChangedCopy)
KV_ON_BN_CLICKED(SSymPrintDlg::AllId, OnAllPage)
KV_ON_BN_CLICKED(SSymPrintDlg::RangeId, OnRange)
KV_ON_BN_CLICKED(SSymPrintDlg::SelectedId, OnSelection)
KV_ON_CONTROL(EN_CHANGE, SSymPrintDlg::FromId, OnFromChange)
KV_ON_CONTROL(EN_CHANGE, SSymPrintDlg::ToId, OnToChange)
KV_ON_CONTROL(CBN_SELENDOK, SSymPrintDlg::ScaleId, OnScaleSelectChange)
KV_ON_CONTROL(CBN_KILLFOCUS, SSymPrintDlg::ScaleId, OnScaleEditChange)
KV_ON_BN_CLICKED(SSymPrintDlg::FitId, OnFitToPage)
KV_ON_CONTROL(CBN_SELENDOK, SSymPrintDlg::PageTypeId, OnPageTypeChange)
KV_ON_BN_CLICKED(SSymPrintDlg::CenterId, OnCenterInPage)
KV_ON_BN_CLICKED(SSymPrintDlg::BlackId, OnBlack)
KV_ON_BN_CLICKED(SSymPrintDlg::ColorId, OnColor)
KV_ON_CONTROL(CBN_SELENDOK, SSymPrintDlg::PrinterId, OnPrinterChange)
KV_ON_BN_CLICKED(SSymPrintDlg::PageSetupId, OnPrinterProperties)
KV_ON_BN_CLICKED(SSymPrintDlg::PrinterSetupId, OnPrinterConfiguration)
KV_END_MESSAGE_MAP()

SSymPrintDlg::SSymPrintDlg(SSymPrintData& data, SSymViewEdit* view, ISSymDiagram* diagram)
    : SDlg(Template()), m_data(data), m_pView(view) {
  SSymView::RegisterViewClass();
  if (diagram) m_diagram = SComWrap<ISSymDiagram>(diagram);
  else if (view && view->GetDiagramPtr()) m_diagram = SComWrap<ISSymDiagram>(view->GetDiagramPtr());
  SetHelpContext(HelpContextId);
}

SSymPrintDlg::~SSymPrintDlg() {
  if (SSymView* preview = GetPreview()) preview->SetPrintDlg(nullptr);
}

// The preview goes with the dialog's window: only while that window stands
// is it there to be asked.
SSymView* SSymPrintDlg::GetPreview() const {
  if (!m_pPreview || !m_hPreview || !::IsWindow(m_hPreview) || SWnd::FromHandlePermanent(m_hPreview) != m_pPreview)
    return nullptr;
  return m_pPreview;
}

SSymDiagramImpl* SSymPrintDlg::Impl() const {
  return m_diagram.IsNull() ? nullptr : SSymDiagramImpl::FromDiagram(m_diagram.Get());
}

// ---- opening ---------------------------------------------------------------------------------

BOOL SSymPrintDlg::OnInitDialog() {
  // Without a diagram or its window there is nothing to print.
  if (!Impl() || !m_pView) {
    EndDialog(IDCANCEL);
    return FALSE;
  }
  SaveDiagramSettings();
  AttachDlgItem(CopiesId, &m_copies);
  AttachDlgItem(CopiesSpinId, &m_copiesSpin);
  AttachDlgItem(AllId, &m_all);
  AttachDlgItem(RangeId, &m_range);
  AttachDlgItem(SelectedId, &m_selected);
  AttachDlgItem(FromId, &m_from);
  AttachDlgItem(ToId, &m_to);
  AttachDlgItem(PageCountId, &m_pageCount);
  AttachDlgItem(ScaleId, &m_scale);
  AttachDlgItem(FitId, &m_fit);
  AttachDlgItem(PageTypeId, &m_pageType);
  AttachDlgItem(CenterId, &m_center);
  AttachDlgItem(FrameId, &m_frame);
  AttachDlgItem(CornerId, &m_corner);
  AttachDlgItem(BlackId, &m_black);
  AttachDlgItem(ColorId, &m_color);
  AttachDlgItem(PrinterId, &m_printer);
  AttachDlgItem(PageSetupId, &m_pageSetup);
  AttachDlgItem(PrinterSetupId, &m_printerSetup);
  AttachDlgItem(TypeId, &m_type);
  AttachDlgItem(WhereId, &m_where);
  AttachDlgItem(CommentId, &m_comment);
  AttachDlgItem(PaperId, &m_paper);
  AttachDlgItem(OrientationId, &m_orientation);
  AttachDlgItem(ResolutionId, &m_resolution);
  m_copiesSpin.SetBuddy(&m_copies);
  m_copiesSpin.SetRange32(MinCopies, MaxCopies);
  const UDACCEL step{0, 1};
  m_copiesSpin.SetAccel(1, &step);
  m_copies.SetText(Decimal(std::max(m_data.m_nCopies, 1)));

  (m_data.m_bAllPages ? m_all : m_selected).SetCheck(BST_CHECKED);
  Enable(m_from, false);
  Enable(m_to, false);

  FillScaleList();
  FillPageTypeList();
  m_pageType.SetCurSel(0);
  Enable(m_pageType, false);
  m_fit.SetCheck(BST_UNCHECKED);
  m_center.SetCheck(BST_UNCHECKED);

  m_frame.SetCheck(m_data.m_bFrame ? BST_CHECKED : BST_UNCHECKED);
  m_corner.SetCheck(m_data.m_bCorner ? BST_CHECKED : BST_UNCHECKED);
  (m_data.m_bColor ? m_color : m_black).SetCheck(BST_CHECKED);

  m_hPreview = ::GetDlgItem(m_hWnd, PreviewId);
  m_pPreview = m_hPreview ? dynamic_cast<SSymView*>(SWnd::FromHandlePermanent(m_hPreview)) : nullptr;
  if (GetPreview()) {
    GetPreview()->SetDiagram(m_diagram.Get());
    GetPreview()->SetState(GetPreview()->GetState() | SSymView::StatePageSelect | SSymView::StatePreview);
    GetPreview()->SetPrintDlg(this);
    SSymCanvasView& canvas = GetPreview()->GetCanvas();
    canvas.SetPaperSize(m_pView->GetCanvas().GetPaperSize());
    canvas.SetDefPaperSize(m_pView->GetCanvas().GetDefPaperSize());
    canvas.m_bColor = m_data.m_bColor ? 1 : 0;
    GetPreview()->GetDrawBackground()->SetBackColor(0xFFFFFF);
  }
  UpdatePages();
  FillPrinterList();
  UpdatePrinterInfo();
  return SDlg::OnInitDialog();
}

void SSymPrintDlg::SaveDiagramSettings() {
  SSymDiagramImpl* d = Impl();
  if (!d || !m_pView) return;
  m_data.m_nScale = m_data.m_nSavedScale = d->GetScale();
  m_data.m_savedClip = d->GetClipRect();
  m_data.m_dSavedZoom = m_pView->GetCanvas().GetZoom();
  m_data.m_savedZoomPoint = m_pView->GetCanvas().GetViewCenter();
  const SRep_Point paper = d->GetPaperSize();
  m_data.m_savedPaperSize = POINT{paper.x, paper.y};
  m_data.m_nSavedPgSize = d->GetPgSize();
  m_data.m_nSavedPgFormat = d->GetPgFormat();
  m_data.m_nSavedPaperSource = d->GetPaperSource();
  const SRep_Rect margins = d->GetMargins();
  m_data.m_savedMargins = RECT{margins.x1, margins.y1, margins.x2, margins.y2};
  m_data.m_nSavedOrientation = d->GetPgOrientation();
  if (SPrinterCache* cache = d->GetPageSetup()) {
    // A dialog opened again on the same record frees the copies of before.
    if (m_data.m_hSavedDevMode) GlobalFree(m_data.m_hSavedDevMode);
    if (m_data.m_hSavedDevNames) GlobalFree(m_data.m_hSavedDevNames);
    m_data.m_hSavedDevMode = CopyBlock(cache->GetDevMode());
    m_data.m_hSavedDevNames = CopyBlock(cache->GetDevNames());
    m_data.SetDevMode(cache->GetDevMode());
    m_data.SetDevNames(cache->GetDevNames());
  }
  m_bSaved = true;
}

void SSymPrintDlg::RestoreDiagramSettings() {
  SSymDiagramImpl* d = Impl();
  if (!m_bSaved || !d) return;
  m_bSaved = false;
  d->SetScale(m_data.m_nSavedScale);
  const SSymPoint now = Centre(d->GetClipRect()), then = Centre(m_data.m_savedClip);
  if (m_pView && (now.x != then.x || now.y != then.y)) m_pView->MoveAllSymbols(SSymSize(then.x - now.x, then.y - now.y), 1, 0);
  {
    SetCascadeAllowed noCascade(false);
    d->SetPaperSize(SRep_Point{m_data.m_savedPaperSize.x, m_data.m_savedPaperSize.y});
    d->PutPgSize(m_data.m_nSavedPgSize);
    if (m_data.m_nSavedPgFormat > 0) d->PutPgFormat(m_data.m_nSavedPgFormat);
    d->SetPaperSource(m_data.m_nSavedPaperSource);
    const RECT& m = m_data.m_savedMargins;
    d->SetMargins(SRep_Rect{m.left, m.top, m.right, m.bottom});
    d->SetPgOrientation(m_data.m_nSavedOrientation);
  }
  if (SPrinterCache* cache = d->GetPageSetup()) {
    cache->SetPageSize(m_data.m_savedPaperSize);
    // The cache frees the blocks the record shared with it as it takes the
    // saved copies back.
    if (cache->GetDevMode() == m_data.GetDevMode() && cache->GetDevNames() == m_data.GetDevNames())
      m_data.ForgetPrinterBlocks();
    if (m_data.m_hSavedDevMode) cache->SetDevMode(m_data.m_hSavedDevMode);
    if (m_data.m_hSavedDevNames) cache->SetDevNames(m_data.m_hSavedDevNames);
    m_data.m_hSavedDevMode = m_data.m_hSavedDevNames = nullptr;
  }
  if (m_pView && m_pView->m_hWnd) {
    SSymView::LockCanvas lock(m_pView);
    m_pView->UpdatePaperSize();
    m_pView->GetCanvas().SetZoomLevel(m_data.m_dSavedZoom, m_data.m_savedZoomPoint);
  }
}

// ---- pages ------------------------------------------------------------------------------------

void SSymPrintDlg::UpdatePages() {
  SSymDiagramImpl* d = Impl();
  if (!d || !m_pView) return;
  const SSymSize paper = m_pView->GetCanvas().GetPaperSize();
  long long across = 1, down = 1;
  if (GetPreview()) {
    SSymCanvasView& canvas = GetPreview()->GetCanvas();
    canvas.SetPaperSize(paper);
    canvas.SetDefPaperSize(m_pView->GetCanvas().GetDefPaperSize());
    if (paper.cx > 0 && paper.cy > 0) {
      SSymRect pages = canvas.GetPaperRect(d->GetClipRect());
      GetPreview()->SetViewportRect(pages);
      across = std::llabs(static_cast<long long>(pages.x2) - pages.x1) / paper.cx;
      down = (static_cast<long long>(std::max(pages.y1, pages.y2)) - std::min(pages.y1, pages.y2)) / paper.cy;
    }
  }
  across = std::clamp<long long>(across, 1, 10000);
  down = std::clamp<long long>(down, 1, 10000);
  m_pageCount.SetWindowText(Decimal(across * down).c_str());
  SetPageTable(static_cast<int>(down), static_cast<int>(across), 1);
  if (Checked(m_range)) {
    m_from.SetText(SString(u"1"));
    m_to.SetText(Decimal(across * down));
  }
  if (GetPreview()) {
    GetPreview()->ScaleToUsedPages();
    GetPreview()->GetCanvas().Invalidate(1);
  }
  m_scale.SetText(Decimal(d->GetScale()) + SString(u"%"));
}

void SSymPrintDlg::OnAllPage() {
  bool changed = false;
  for (int& flag : GetPages()) {
    changed = changed || flag != 1;
    flag = 1;
  }
  if (changed && GetPreview()) GetPreview()->GetCanvas().Invalidate(1);
  Enable(m_from, false);
  Enable(m_to, false);
  m_from.SetText(SString());
  m_to.SetText(SString());
}

void SSymPrintDlg::OnRange() {
  Enable(m_from, true);
  Enable(m_to, true);
  m_from.SetText(SString(u"1"));
  m_to.SetText(Decimal(static_cast<long long>(GetPages().size())));
}

void SSymPrintDlg::OnSelection() {
  Enable(m_from, false);
  Enable(m_to, false);
  m_from.SetText(SString());
  m_to.SetText(SString());
}

void SSymPrintDlg::SetSelect() {
  m_selected.SetCheck(BST_CHECKED);
  m_all.SetCheck(BST_UNCHECKED);
  m_range.SetCheck(BST_UNCHECKED);
  OnSelection();
}

void SSymPrintDlg::OnFromChange() { OnRangeChange(true); }
void SSymPrintDlg::OnToChange() { OnRangeChange(false); }

void SSymPrintDlg::OnRangeChange(bool fromChanged) {
  if (!Checked(m_range)) return;
  const long total = static_cast<long>(GetPages().size());
  // A number of the edit within 1 .. total; the edit shows what was taken
  // when that is not what it held.
  auto read = [total](SEditCtrl& edit, long fallback) {
    const std::optional<long> n = Number(edit.GetText());
    long v = n ? std::clamp(*n, 1L, std::max(total, 1L)) : fallback;
    if (!n || *n != v) edit.SetText(Decimal(v));
    return v;
  };
  long from = read(m_from, 1);
  long to = read(m_to, std::max(total, 1L));
  if (from > to) {
    if (fromChanged) {
      from = to;
      m_from.SetText(Decimal(from));
    }
    to = from;
    m_to.SetText(Decimal(to));
  }
  bool changed = false;
  std::vector<int>& pages = GetPages();
  for (long i = 0; i < total; ++i) {
    const int flag = (i >= from - 1 && i <= to - 1) ? 1 : 0;
    changed = changed || pages[static_cast<std::size_t>(i)] != flag;
    pages[static_cast<std::size_t>(i)] = flag;
  }
  if (changed && GetPreview()) GetPreview()->GetCanvas().Invalidate(1);
}

// ---- copies -----------------------------------------------------------------------------------

void SSymPrintDlg::OnSpinCopy(NMHDR* header, LRESULT* result) {
  const auto* nm = reinterpret_cast<const NMUPDOWN*>(header);
  const long long next = std::clamp<long long>(static_cast<long long>(nm->iPos) + nm->iDelta, MinCopies, MaxCopies);
  m_copiesSpin.SetPos32(static_cast<int>(next));
  m_copies.SetText(Decimal(next));
  *result = 1;  // the spin does not move by itself
}

void SSymPrintDlg::OnEditChangedCopy() {
  const std::optional<long> n = Number(m_copies.GetText());
  const long copies = std::clamp(n && *n >= MinCopies ? *n : 1L, static_cast<long>(MinCopies),
                                 static_cast<long>(MaxCopies));
  m_copiesSpin.SendMessage(UDM_SETPOS, 0, MAKELONG(static_cast<WORD>(copies), 0));
}

// ---- scale and placement ----------------------------------------------------------------------

void SSymPrintDlg::FillScaleList() {
  m_scale.ResetContent();
  for (int s : Scales) m_scale.AddString(SString::Format("%d%%", s).c_str());
}

void SSymPrintDlg::FillPageTypeList() {
  m_pageType.ResetContent();
  for (const auto& t : PageTypes) m_pageType.AddString(SString::Format("%d x %d", t[0], t[1]).c_str());
}

void SSymPrintDlg::OnScaleSelectChange() {
  const int index = m_scale.GetCurSel();
  if (index < 0) return;
  SString text;
  m_scale.GetLBText(index, text);
  ApplyScaleText(text);
}

void SSymPrintDlg::OnScaleEditChange() { ApplyScaleText(m_scale.GetText()); }

void SSymPrintDlg::ApplyScaleText(const SString& text) {
  SSymDiagramImpl* d = Impl();
  if (!d) return;
  SString rest = text;
  rest.Trim(SString(u" \t\r\n"));
  if (!rest.IsEmpty() && rest.GetAt(rest.GetLength() - 1) == u'%') rest = rest.Left(rest.GetLength() - 1);
  const std::optional<long> n = Number(rest);
  if (!n || *n < 1 || *n > 1000) return;  // the next UpdatePages shows the scale in use again
  d->SetScale(*n);
  if (m_pView) {
    m_pView->UpdatePaperSize();
    m_pView->GetCanvas().Invalidate(1);
  }
  UpdatePages();
}

void SSymPrintDlg::OnFitToPage() {
  const bool fit = Checked(m_fit);
  Enable(m_pageType, fit);
  Enable(m_center, !fit);
  Enable(m_scale, !fit);
  if (fit) {
    m_center.SetCheck(BST_UNCHECKED);
    OnPageTypeChange();
  }
}

void SSymPrintDlg::OnPageTypeChange() {
  const int index = m_pageType.GetCurSel();
  if (index < 0 || !m_pView) return;
  SString text;
  m_pageType.GetLBText(index, text);
  if (text.IsEmpty()) return;
  const int across = text.GetAt(0) - u'0', down = text.GetAt(text.GetLength() - 1) - u'0';
  if (across < 1 || across > 9 || down < 1 || down > 9) return;
  m_pView->FitToPages(across, down, 0);
  UpdatePages();
}

void SSymPrintDlg::OnCenterInPage() {
  const bool centre = Checked(m_center);
  Enable(m_fit, !centre);
  Enable(m_pageType, !centre);
  if (centre) {
    Enable(m_scale, true);
    m_fit.SetCheck(BST_UNCHECKED);
    if (m_pView) m_pView->CenterInPages(0);
    UpdatePages();
  }
}

void SSymPrintDlg::OnBlack() {
  if (!GetPreview()) return;
  GetPreview()->GetCanvas().m_bColor = 0;
  GetPreview()->GetCanvas().Invalidate(1);
}

void SSymPrintDlg::OnColor() {
  if (!GetPreview()) return;
  GetPreview()->GetCanvas().m_bColor = 1;
  GetPreview()->GetCanvas().Invalidate(1);
}

// ---- printer ---------------------------------------------------------------------------------

void SSymPrintDlg::FillPrinterList() {
  std::vector<BYTE> buffer;
  DWORD count = 0;
  const bool ok = Query(buffer, [&](BYTE* b, DWORD cb, DWORD* needed) {
    return EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, b, cb, needed, &count);
  });
  if (!ok || buffer.size() < static_cast<std::size_t>(count) * sizeof(PRINTER_INFO_1W)) return;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (printers[i].pName) m_printer.AddString(printers[i].pName);
}

void SSymPrintDlg::UpdatePrinterInfo() {
  SSymDiagramImpl* d = Impl();
  SPrinterCache* cache = d ? d->GetPageSetup() : nullptr;
  if (!cache) return;
  const SString device = cache->GetDeviceName();
  if (device.IsEmpty() || m_printer.SelectString(-1, device.c_str()) < 0) m_printer.SetCurSel(0);
  const int index = m_printer.GetCurSel();
  if (index >= 0) m_printer.GetLBText(index, m_printerName);
  OpenedPrinter printer(device.IsEmpty() ? m_printerName : device);
  std::vector<BYTE> infoBuffer;
  if (const PRINTER_INFO_2W* info = PrinterInfo(printer.h, infoBuffer)) {
    m_type.SetWindowText(Text(info->pDriverName).c_str());
    const SString location = Text(info->pLocation), port = Text(info->pPortName);
    if (!location.IsEmpty()) m_where.SetWindowText(location.c_str());
    else if (!port.IsEmpty()) m_where.SetWindowText(port.c_str());
    m_comment.SetWindowText(Text(info->pComment).c_str());
  }

  // The paper: the diagram's form when the printer has one of its size.
  const LONG code = d->GetPgFormat();
  const SRep_Point size = d->GetPaperSize();
  const bool landscape = cache->GetOrientation() == DMORIENT_LANDSCAPE;
  std::vector<BYTE> formBuffer;
  const FORM_INFO_1W* forms = nullptr;
  DWORD count = 0;
  SString paper;
  if (PrinterForms(printer.h, formBuffer, forms, count) && code >= 0 && code <= static_cast<LONG>(count)) {
    auto matches = [&](const FORM_INFO_1W& f) {
      const POINT s = FormSize(f, landscape);
      return s.x > 0 && s.x == size.x && s.y == size.y;
    };
    if (code >= 1 && matches(forms[code - 1])) paper = Text(forms[code - 1].pName);
    for (DWORD i = 0; paper.IsEmpty() && i < count; ++i)
      if (matches(forms[i])) paper = Text(forms[i].pName);
  }
  if (paper.IsEmpty()) paper = cache->GetFormName();
  if (paper.IsEmpty()) {
    const POINT page = cache->GetPageSize();
    if (cache->GetPageSetupFlags() & PSD_INTHOUSANDTHSOFINCHES)
      paper = SString::Format("%.2f x %.2f ", page.x / 1000.0, page.y / 1000.0) + SSymLoadString(1082);
    else
      paper = SString::Format("%d x %d ", MulDiv(page.x, 254, 10000), MulDiv(page.y, 254, 10000)) +
              SSymLoadString(1081);
  }
  m_paper.SetWindowText(paper.c_str());
  m_orientation.SetWindowText(SSymLoadString(landscape ? 1080 : 1079).c_str());
  m_resolution.SetWindowText((SString::Format("%d ", cache->GetPrintQuality()) + SSymLoadString(1078)).c_str());
}

void SSymPrintDlg::ShareBlocks(HGLOBAL devMode, HGLOBAL devNames) {
  SSymDiagramImpl* d = Impl();
  SPrinterCache* cache = d ? d->GetPageSetup() : nullptr;
  // The record lets go of what it shares with the cache; the cache frees it.
  if (cache && m_data.GetDevMode() == cache->GetDevMode()) m_data.ForgetPrinterBlocks();
  if (cache) {
    cache->SetDevMode(devMode);
    cache->SetDevNames(devNames);
  }
  m_data.SetDevMode(devMode);
  m_data.SetDevNames(devNames);
}

bool SSymPrintDlg::TakePaper(HANDLE printer, const DEVMODEW& mode) {
  SSymDiagramImpl* d = Impl();
  SPrinterCache* cache = d ? d->GetPageSetup() : nullptr;
  if (!cache) return false;
  std::vector<BYTE> formBuffer;
  const FORM_INFO_1W* forms = nullptr;
  DWORD count = 0;
  POINT size{0, 0};
  const int paper = mode.dmPaperSize;
  if (PrinterForms(printer, formBuffer, forms, count) && paper >= 1 && paper <= static_cast<int>(count))
    size = FormSize(forms[paper - 1], mode.dmOrientation == DMORIENT_LANDSCAPE);
  if (size.x <= 0 || size.y <= 0) return false;
  cache->SetPageSize(size);
  SetCascadeAllowed noCascade(false);
  d->SetPaperSize(SRep_Point{size.x, size.y});
  d->PutPgFormat(paper);
  d->SetPaperSource(paper);
  d->SetPgOrientation(mode.dmOrientation);
  return true;
}

void SSymPrintDlg::RefreshAfterPrinter() {
  if (m_pView) {
    m_pView->UpdatePaperSize();
    m_pView->GetCanvas().Invalidate(1);
  }
  OnFitToPage();
  OnCenterInPage();
  UpdatePages();
  UpdatePrinterInfo();
}

void SSymPrintDlg::OnPrinterChange() {
  const int index = m_printer.GetCurSel();
  SString name;
  if (index < 0 || m_printer.GetLBText(index, name) < 0 || name == m_printerName) return;
  SSymDiagramImpl* d = Impl();
  SPrinterCache* cache = d ? d->GetPageSetup() : nullptr;
  bool taken = false;
  if (cache) {
    OpenedPrinter printer(name);
    const LONG size = printer.h ? DocumentPropertiesW(m_hWnd, printer.h, nullptr, nullptr, nullptr, 0) : -1;
    HGLOBAL mode = size >= static_cast<LONG>(kDevModeRead) ? GlobalAlloc(GHND, static_cast<SIZE_T>(size)) : nullptr;
    bool filled = false;
    if (mode) {
      auto* raw = static_cast<DEVMODEW*>(GlobalLock(mode));
      filled = raw && DocumentPropertiesW(m_hWnd, printer.h, nullptr, raw, nullptr, DM_OUT_BUFFER) > 0;
      GlobalUnlock(mode);
    }
    std::vector<BYTE> infoBuffer;
    const PRINTER_INFO_2W* info = filled ? PrinterInfo(printer.h, infoBuffer) : nullptr;
    HGLOBAL names = info ? MakeDeviceNames(name, Text(info->pPortName)) : nullptr;
    DEVMODEW* dm = names ? LockDevMode(mode) : nullptr;
    if (dm) {
      // The printer keeps the orientation in use and brings its own paper.
      if (DEVMODEW* current = LockDevMode(cache->GetDevMode())) {
        dm->dmOrientation = current->dmOrientation;
        GlobalUnlock(cache->GetDevMode());
      }
      const DEVMODEW chosen = *dm;
      GlobalUnlock(mode);
      // A paper of no size is refused with the printer.
      std::vector<BYTE> formBuffer;
      const FORM_INFO_1W* forms = nullptr;
      DWORD count = 0;
      const bool sized = PrinterForms(printer.h, formBuffer, forms, count) && chosen.dmPaperSize >= 1 &&
                         chosen.dmPaperSize <= static_cast<int>(count) &&
                         FormSize(forms[chosen.dmPaperSize - 1], false).x > 0;
      if (sized) {
        ShareBlocks(mode, names);
        taken = TakePaper(printer.h, chosen);
      }
    }
    if (!taken) {
      if (mode) GlobalFree(mode);
      if (names) GlobalFree(names);
    }
  }
  if (!taken) {
    // The printer in use stays shown.
    if (m_printer.SelectString(-1, m_printerName.c_str()) < 0) m_printer.SetCurSel(-1);
    return;
  }
  RefreshAfterPrinter();
}

void SSymPrintDlg::OnPrinterProperties() {
  SSymDiagramImpl* d = Impl();
  if (!d || !d->PageSetup()) return;
  SPrinterCache* cache = d->GetPageSetup();
  if (!cache) return;
  m_data.ForgetPrinterBlocks();
  m_data.SetDevMode(cache->GetDevMode());
  m_data.SetDevNames(cache->GetDevNames());
  if (DEVMODEW* dm = LockDevMode(cache->GetDevMode())) {
    const DEVMODEW chosen = *dm;
    GlobalUnlock(cache->GetDevMode());
    OpenedPrinter printer(cache->GetDeviceName());
    TakePaper(printer.h, chosen);
  }
  RefreshAfterPrinter();
}

void SSymPrintDlg::OnPrinterConfiguration() {
  SSymDiagramImpl* d = Impl();
  if (!d) return;
  if (d->PrinterSetup()) RefreshAfterPrinter();
}

// ---- closing ----------------------------------------------------------------------------------

void SSymPrintDlg::OnOK() {
  m_data.SetPrintAllPages(Checked(m_all) ? 1 : 0);
  m_data.SetPrintFrame(Checked(m_frame) ? 1 : 0);
  m_data.SetPrintCorner(Checked(m_corner) ? 1 : 0);
  m_data.SetPrintColor(Checked(m_color) ? 1 : 0);
  // The copies as the spin holds them: a number beyond its range is taken
  // at its end, as the spin shows it.
  const std::optional<long> typed = Number(m_copies.GetText());
  const long copies = std::clamp(typed.value_or(1L), static_cast<long>(MinCopies), static_cast<long>(MaxCopies));
  m_data.SetNbCopy(static_cast<int>(copies));
  SDlg::OnOK();
}

void SSymPrintDlg::OnCancel() { SDlg::OnCancel(); }
