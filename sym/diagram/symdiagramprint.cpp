// The diagram's page setup and printing: the page attributes kept in step
// with the printer settings the diagram owns, the standard margins, and the
// print of the whole diagram tiled over pages with a header and a footer
// made from templates.
//
// The templates are translated in two passes. The first fills what is the
// same on every page (date, names, the page count); it leaves %COLUMN%,
// %ROW% and %NUMBER% standing, and turns %PAGE% into the page-number
// template itself, so that the second pass, run per page, puts in the
// page's own numbers: "%PAGE% / %TOTALPAGE%" reads "%NUMBER% / 6" after
// the first pass and "1 / 6" on the first page.
#include <cstdlib>
#include <ctime>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sdrawbackground.h"
#include "kvcore/sinteraction.h"
#include "kvcore/swinapp.h"
#include "kvlib/slibitemmanager.h"
#include "kvrep/sreptypelib.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/render/symcanvprinter.h"
#include "sym/render/symcanvview.h"
#include "sym/symbol/symintfsymbol.h"
#include "win/winuser.h"

namespace {

// Standard margins in hundredths of a millimetre: left, top, right, bottom.
constexpr int kStandardMargins[4] = {800, 900, 1100, 900};

// The least margins (thousandths of an inch) the page size of a print keeps
// on every side, whatever the page setup says.
constexpr int kPrintMinMargin = 500;

LONG ClampLong(long long v) {
  return static_cast<LONG>(v < -0x7FFFFFFFLL - 1 ? -0x7FFFFFFFLL - 1 : v > 0x7FFFFFFFLL ? 0x7FFFFFFFLL : v);
}

SString Decimal(long long v) { return SString(std::to_string(v)); }

SString Now(const char* format) {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  char buffer[64];
  const std::size_t n = std::strftime(buffer, sizeof buffer, format, &local);
  return SString(std::string(buffer, n));
}

SString DisplayName(ISRepObject* object) {
  SRepVariant v;
  if (!object || object->GetAttribute(SSymDiagramMem::IdDispName, &v) != S_OK) return SString();
  return v.GetSTRING();
}

// The screen canvas that lays the pages of a print: the view canvas's paper
// grid at the scaled page size, locked on the screen for the time of the
// print so that the printer canvas measures texts as the screen does.
class SSymCanvasDummyView : public SSymCanvasView {
 public:
  explicit SSymCanvasDummyView(SDC& screen) {
    m_dZoom = 100.0;
    InitScale(screen);
    Lock(screen);
  }
  ~SSymCanvasDummyView() override {
    if (m_bLocked) Unlock();
  }
  using SSymCanvasView::GetPaperCorner;
};

// Gives the printer settings their number of copies back however the print ends.
class KeepCopies {
 public:
  explicit KeepCopies(SPrinterCache& cache) : m_cache(cache), m_copies(cache.GetCopies()) {}
  ~KeepCopies() { m_cache.SetCopies(m_copies); }
  KeepCopies(const KeepCopies&) = delete;
  KeepCopies& operator=(const KeepCopies&) = delete;

 private:
  SPrinterCache& m_cache;
  short m_copies;
};

}  // namespace

// ---- page setup ----------------------------------------------------------------------------

SPrinterCache* SSymDiagramImpl::GetPageSetup() {
  if (!m_pPageSetup) return nullptr;
  SPrinterCache& cache = *m_pPageSetup;
  // Everything is read before anything is written: a write may start the
  // orientation repair, which turns the paper and the margins.
  const SRep_Point paper = GetPaperSize();
  const LONG source = GetPaperSource();
  const SRep_Rect margins = GetMargins();
  const LONG format = GetPgFormat();
  const LONG orientation = GetPgOrientation();

  // The orientation first: turning the printer's paper turns its page size
  // and margins, and the attributes, which already state them as oriented,
  // are what the settings keep.
  if (orientation != -1) cache.SetOrientation(static_cast<short>(orientation));
  if (!(margins == SRep_Rect_null)) {
    cache.SetMargins(RECT{margins.x1, margins.y1, margins.x2, margins.y2});
  } else {
    const RECT m = cache.GetMargins();
    SetMargins(SRep_Rect{m.left, m.top, m.right, m.bottom});
  }
  if (!(paper == SRep_Point_null)) {
    cache.SetPageSize(POINT{paper.x, paper.y});
  } else {
    const POINT p = cache.GetPageSize();
    SetPaperSize(SRep_Point{p.x, p.y});
  }
  short value = 0;
  if (format != -1) {
    if (format > 0 && format <= 0x7FFF) cache.SetPaperSize(static_cast<short>(format));
  } else if (cache.GetPaperSize(value)) {
    SRepVariant v;
    v.SetLONG(value);
    SetAttribute(IdPgSize, v);
  }
  if (source != -1) {
    cache.SetDefaultSource(static_cast<short>(source));
  } else if (cache.GetDefaultSource(value)) {
    Set_INT(IdPaperSource, value);
  }
  if (orientation == -1 && cache.GetOrientation(value)) SetPgOrientation(value);
  return m_pPageSetup.get();
}

void SSymDiagramImpl::DuplicatePageSetup(const SPrinterCache& source) {
  if (m_pPageSetup.get() == &source) return;
  m_pPageSetup = std::make_unique<SPrinterCache>(source);
}

int SSymDiagramImpl::V6PageSetup() {
  // An orientation left unset stays unset: bringing the printer settings
  // into step would otherwise fill it from the printer.
  const LONG orientation = GetPgOrientation();
  SPrinterCache* cache = GetPageSetup();
  // Hundredths of a millimetre to thousandths of an inch, rounded.
  const SRep_Rect m{MulDiv(kStandardMargins[0], 100, 254), MulDiv(kStandardMargins[1], 100, 254),
                    MulDiv(kStandardMargins[2], 100, 254), MulDiv(kStandardMargins[3], 100, 254)};
  SetMargins(m);
  if (cache) cache->SetMargins(RECT{m.x1, m.y1, m.x2, m.y2});
  // Writing the orientation anew runs its reaction again (the paper and the
  // margins brought to the orientation, the windows redrawn).
  SetPgOrientation(-1);
  SetPgOrientation(orientation);
  if (orientation != -1 && cache) cache->SetOrientation(static_cast<short>(orientation));
  return 1;
}

// ---- printing ----------------------------------------------------------------------------------

HRESULT SSymDiagramImpl::Print(SSymPrintData* given) {
  const int mode = g_GetInteractionMode();
  if (mode == SInteractionNoPrinting) return E_ABORT;
  if (mode == SInteractionInteractive) {
    // The window's print command runs the print dialog and prints.
    SSymView* view = GetFirstView();
    bool opened = false;
    if (!view) {
      const HRESULT hr = OpenView();
      if (FAILED(hr)) return hr;
      view = GetFirstView();
      if (!view) return E_FAIL;
      opened = true;
    }
    view->SendMessage(WM_COMMAND, CmdFilePrint, 0);
    if (opened) view->Close();
    return S_OK;
  }

  SPrinterCache* cache = GetPageSetup();
  if (!cache) return E_FAIL;
  // The given settings, or the user's last choices.
  SSymPrintData choices = given ? *given : SSymPrintData();
  const LONG scale = GetEffectiveScale();
  const SIZE page = cache->GetAvailablePageSizeInPoints(kPrintMinMargin, kPrintMinMargin);
  const SSymSize extent = GetPrintPageExtent();
  const LONG w = extent.cx, h = extent.cy;
  // Margins that leave no room, or a scale so large that a page holds less
  // than one unit, give no page to print on.
  if (w <= 0 || h <= 0) return S_FALSE;
  SSymRect used = GetClipRect();
  // An empty diagram has no used rectangle, not one at the origin.
  if (used.x1 == 0 && used.y1 == 0 && used.x2 == 0 && used.y2 == 0) return S_FALSE;
  used.Normalize();

  SScreenDC screen;
  SSymCanvasDummyView measure(screen);
  measure.SetPaperSize(SSymSize(w, h));
  measure.SetDefPaperSize(SSymSize(page.cx, page.cy));
  const SSymRect sheets = measure.GetPaperRect(used);
  const long long cols = std::llabs(static_cast<long long>(sheets.x2) - sheets.x1) / w;
  const long long rows = std::llabs(static_cast<long long>(sheets.y1) - sheets.y2) / h;
  if (cols * rows == 0) return S_FALSE;

  // The printer canvas maps the unscaled page size onto the paper at the
  // print data's scale: at the diagram's scale, a page of w by h units
  // fills the paper, as the page grid was laid.
  choices.m_nScale = scale;

  KeepCopies keep(*cache);
  cache->SetCopies(static_cast<short>(std::clamp(choices.m_nCopies, 1, 0x7FFF)));
  cache->SetColor(choices.m_bColor ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME);

  SSymCanvasPrinter printer(*cache, GetName(), choices, SSymSize(page.cx, page.cy));
  printer.SetMeasureCanvas(&measure);
  printer.Lock();

  // The grid starts at the page of the used rectangle's upper-left point
  // and ends at the page of its lower-right point (lower-left page corners).
  const SSymPoint first = measure.GetPaperCorner(SSymPoint(used.x1, used.y1));
  const SSymPoint last = measure.GetPaperCorner(SSymPoint(used.x2, used.y2));

  SLibItemManager document, pages;
  document.SetItem(SString(u"DATE"), Now("%x"));
  document.SetItem(SString(u"TIME"), Now("%X"));
  // A diagram at the top of its repository belongs to no model and no folder.
  SComOut<ISRepObject> parent, model;
  if (GetParent(&parent) == S_OK && parent.Get()) {
    document.SetItem(SString(u"PACKAGE"), DisplayName(parent.Get()));
    if (GetModel(&model) == S_OK && model.Get()) {
      document.SetItem(SString(u"MODEL"), DisplayName(model.Get()));
      CLSID clsid{};
      if (SUCCEEDED(model->GetCLSID(&clsid))) document.SetItem(SString(u"MODULE"), SRepGetClassName(clsid));
    }
  }
  document.SetItem(SString(u"DIAGRAM"), GetDispName());
  document.SetItem(SString(u"LOCATION"), GetLocation());
  if (SWinApp* app = SGetApp()) document.SetItem(SString(u"APPNAME"), app->m_strAppName);
  pages.SetItem(SString(u"COLUMN"), Decimal(cols));
  pages.SetItem(SString(u"ROW"), Decimal(rows));
  pages.SetItem(SString(u"NUMBER"), Decimal(cols * rows));
  const SString number = GetNmbr();
  document.SetItem(SString(u"TOTALPAGE"), pages.Translate(number));
  document.SetItem(SString(u"PAGE"), number);
  const SString head = document.Translate(GetHead());
  const SString foot = document.Translate(GetFoot());

  SDrawBackground background(nullptr, 12, 0);
  if (SSymDispPref* pref = GetDispPrefPtr()) {
    background.LoadPicture(pref->GetBackBitmapFile());
    background.SetDrawMode(pref->GetDrawBackMode());
  }

  std::vector<SComWrap<ISSymbol>> symbols;
  for (SRepObject* item : Collection(IdSymbols)->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
    if (!s.IsNull()) symbols.push_back(s);
  }
  std::vector<SComWrap<ISSymbol>> second;
  second.reserve(100);
  long long row = 0, count = 0;
  for (long long y = first.y; y >= last.y; y -= h) {
    ++row;
    long long col = 0;
    for (long long x = first.x; x <= last.x; x += w) {
      ++col;
      ++count;
      pages.SetItem(SString(u"COLUMN"), Decimal(col));
      pages.SetItem(SString(u"ROW"), Decimal(row));
      pages.SetItem(SString(u"NUMBER"), Decimal(count));
      const SSymRect area(ClampLong(x), ClampLong(y + h), ClampLong(x + w), ClampLong(y));
      if (!printer.StartPage(area, pages.Translate(head), pages.Translate(foot))) continue;
      if (background.UsePicture()) printer.DrawBackground(background, area, area, 0, 1);
      for (SComWrap<ISSymbol>& s : symbols) {
        int again = 0;
        s->DrawIfVisible(printer, area, &again);
        if (again) second.push_back(s);
      }
      for (SComWrap<ISSymbol>& s : second) s->DrawSecondPass(printer);
      printer.EndPage();
      second.clear();
    }
  }
  printer.Unlock();
  // A document the printer could not start or finish is not a print.
  return printer.Succeeded() ? S_OK : E_FAIL;
}

SSymSize SSymDiagramImpl::GetPrintPageExtent() {
  SPrinterCache* cache = GetPageSetup();
  if (!cache) return SSymSize(0, 0);
  // The scale divides the page: a stored scale of 0 or below prints at 100.
  const LONG scale = GetEffectiveScale();
  const SIZE page = cache->GetAvailablePageSizeInPoints(kPrintMinMargin, kPrintMinMargin);
  const LONG w = MulDiv(page.cx, 100, scale), h = MulDiv(page.cy, 100, scale);
  return w > 0 && h > 0 ? SSymSize(w, h) : SSymSize(0, 0);
}

SString SSymDiagramImpl::GetLocation() {
  // The display names of the folders above the diagram, outermost first.
  std::vector<SString> names;
  SComOut<ISRepObject> up;
  for (HRESULT hr = GetParent(&up); hr == S_OK && up.Get() && names.size() < 256;) {
    names.push_back(DisplayName(up.Get()));
    SComOut<ISRepObject> next;
    hr = up->GetParent(&next);
    up = std::move(next);
  }
  SString out;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!out.IsEmpty()) out += SString(u"::");
    out += *it;
  }
  return out;
}
