// The diagram's paper: page formats and printer paper forms, snapping to
// the grid, attaching new symbols, fitting symbols to their text and the
// picture export.
#include <cmath>
#include <cstdlib>
#include <vector>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvcore/sfile.h"
#include "kvcore/sgdiobj.h"
#include "kvcore/spicture.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symview.h"
#include "sym/foundation/symstrings.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symcanvmeta.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symcoll.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfview.h"

namespace {
// A pool that is thinner than this across its lanes keeps its orientation.
constexpr LONG kPoolTurnMinExtent = 70;

// An open printer, closed when the scope ends.
struct Printer {
  HANDLE h = nullptr;
  explicit Printer(const SString& device) {
    std::u16string name = device.str();
    if (!OpenPrinterW(name.data(), &h, nullptr)) h = nullptr;
  }
  ~Printer() {
    if (h) ClosePrinter(h);
  }
};
}  // namespace

LONG SSymDiagramImpl::GetEffectiveScale() {
  const LONG scale = GetScale();
  return scale > 0 ? scale : 100;
}

LONG SSymDiagramImpl::GetPgFormat() {
  const SRep_Point size = GetPaperSize();
  if (size.x < 0) return -1;
  DWORD paper = 0;
  return SUCCEEDED(GetPaperForSize(size, paper)) ? static_cast<LONG>(paper) : -1;
}

HRESULT SSymDiagramImpl::PutPgFormat(LONG format) {
  SRep_Point size;
  const DWORD number = static_cast<DWORD>(format);
  const HRESULT hr = format <= 0 ? E_INVALIDARG : GetSize(number, size);
  if (FAILED(hr)) return hr;
  return SetPaperSize(size);
}

HRESULT SSymDiagramImpl::GetPaperForSize(const SRep_Point& size, DWORD& paper) {
  paper = 0xFFFFFFFF;
  // Sizes at or below 0 are refused before the printer is touched.
  if (size.x <= 0 || size.y <= 0) return E_INVALIDARG;
  if (!m_pPageSetup) return E_FAIL;
  const SString device = m_pPageSetup->GetDeviceName();
  if (device.IsEmpty() || !m_pPageSetup->GetDevNames()) return E_FAIL;
  const SString port = m_pPageSetup->GetPortName();
  const int n = DeviceCapabilitiesW(device.c_str(), port.c_str(), DC_PAPERS, nullptr, nullptr);
  if (n <= 0) return E_FAIL;
  std::vector<WORD> papers(static_cast<std::size_t>(n));
  std::vector<POINT> sizes(static_cast<std::size_t>(n));
  const int got = DeviceCapabilitiesW(device.c_str(), port.c_str(), DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()),
                                      nullptr);
  const int gotSizes = DeviceCapabilitiesW(device.c_str(), port.c_str(), DC_PAPERSIZE,
                                           reinterpret_cast<LPWSTR>(sizes.data()), nullptr);
  if (got < 1 || gotSizes < 1) return E_FAIL;
  const bool landscape = GetPgOrientation() == 2;
  // Tenths of a millimetre.
  LONG w = static_cast<LONG>(std::trunc(size.x * 0.254)), h = static_cast<LONG>(std::trunc(size.y * 0.254));
  if (landscape) std::swap(w, h);
  for (int i = 0; i < std::min(got, gotSizes); ++i)
    if (std::labs(sizes[i].x - w) <= 1 && std::labs(sizes[i].y - h) <= 1) {
      paper = papers[i];
      return S_OK;
    }
  // No paper fits: add a form of that size and look again, once.
  const std::string nameFormat = SSymLoadString(1395).ToUtf8();
  char nameBuffer[128];
  std::snprintf(nameBuffer, sizeof nameBuffer, nameFormat.c_str(), static_cast<int>(size.x), static_cast<int>(size.y));
  std::u16string formName = SString(nameBuffer).str();
  FORM_INFO_1W form = {};
  form.Flags = FORM_USER;
  form.pName = formName.data();
  LONG cx = static_cast<LONG>(std::trunc(25.4 * size.x)), cy = static_cast<LONG>(std::trunc(25.4 * size.y));
  if (landscape) std::swap(cx, cy);
  form.Size = {cx, cy};
  form.ImageableArea = {0, 0, cx, cy};
  BOOL added = FALSE;
  {
    Printer printer(device);
    if (!printer.h) return E_FAIL;
    added = AddFormW(printer.h, 1, reinterpret_cast<BYTE*>(&form));
  }
  if (added && !m_bFormRetry) {
    m_bFormRetry = 1;
    const HRESULT hr = GetPaperForSize(size, paper);
    m_bFormRetry = 0;
    return hr;
  }
  paper = 0xFFFFFFFF;
  return E_FAIL;
}

HRESULT SSymDiagramImpl::GetSize(const DWORD& number, SRep_Point& size) {
  // Form numbers count from 1: 0 names no form.
  if (number == 0 || !m_pPageSetup) return E_FAIL;
  const SString device = m_pPageSetup->GetDeviceName();
  if (device.IsEmpty()) return E_FAIL;
  Printer printer(device);
  if (!printer.h) return E_FAIL;
  DWORD needed = 0, count = 0;
  if (!EnumFormsW(printer.h, 1, nullptr, 0, &needed, &count) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return E_FAIL;
  std::vector<BYTE> buffer(needed);
  if (!EnumFormsW(printer.h, 1, buffer.data(), needed, &needed, &count) || number > count) return E_FAIL;
  const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
  const FORM_INFO_1W& f = forms[number - 1];
  LONG x = static_cast<LONG>(std::trunc(f.Size.cx / 25.4 + 0.5)), y = static_cast<LONG>(std::trunc(f.Size.cy / 25.4 + 0.5));
  if (GetPgOrientation() == 2) std::swap(x, y);
  size = SRep_Point{x, y};
  return S_OK;
}

// ---- grid ----
namespace {
LONG Upper(LONG v, LONG g) {
  const LONG r = v % g;
  if (r > 0) return v - r + g;
  if (r < 0) return v - r;
  return v;
}
}  // namespace

HRESULT SSymDiagramImpl::SnapToGrid(SSymPoint& point) {
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !prefs->GetSnapGrid() || prefs->GetGridSize() == 0) return S_OK;
  const LONG g = prefs->GetGridSize();
  point.x = SSymSnapToStep(point.x, g);
  point.y = SSymSnapToStep(point.y, g);
  return S_OK;
}

HRESULT SSymDiagramImpl::SnapToGrid(SSymRect& r) {
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !prefs->GetSnapGrid() || prefs->GetGridSize() == 0) return S_OK;
  const LONG g = prefs->GetGridSize();
  const LONG mx = std::min(r.x1, r.x2), my = std::min(r.y1, r.y2);
  const LONG dx = SSymSnapToStep(mx, g) - mx, dy = SSymSnapToStep(my, g) - my;
  r.x1 += dx, r.x2 += dx, r.y1 += dy, r.y2 += dy;
  if (r.x2 < r.x1) r.x1 = Upper(r.x1, g);
  else r.x2 = Upper(r.x2, g);
  if (r.y2 <= r.y1) r.y1 = Upper(r.y1, g);
  else r.y2 = Upper(r.y2, g);
  return S_OK;
}

int SSymDiagramImpl::IsLink(ISSymbol* symbol) const {
  if (!symbol) return 0;
  SComWrap<ISSymLink> link(symbol);
  return link.IsNull() ? 0 : 1;
}

void SSymDiagramImpl::GetSymDefConf(ISSymbol* symbol, SSymFormat* format) {
  if (!symbol || !format) return;
  if (SSymDispPref* prefs = GetDispPrefPtr()) prefs->GetSymDefConf(format);
}

ISSymbol* SSymDiagramImpl::AttachSymbol(ISSymbol* symbol, int setDefaults) {
  if (!symbol) return nullptr;
  if (symbol->GetSymbolType() == 12) {
    // A pool comes in the lanes' orientation of the diagram: one of the
    // other orientation turns, unless it is too thin to hold a lane.
    SComWrap<ISSymSwimPool> pool(symbol);
    SSymDispPref* prefs = GetDispPrefPtr();
    if (!pool.IsNull() && prefs) {
      const int vertical = pool->IsVertical() != 0;
      const SSymRect r = symbol->GetClipRect(0, 0);
      const LONG e = vertical ? std::labs(r.x2 - r.x1) + 1 : std::labs(r.y1 - r.y2) + 1;
      if ((prefs->GetSwimlaneVert() != 0) != (vertical != 0) && e > kPoolTurnMinExtent) pool->ChangeOrientation();
    }
  }
  if (setDefaults) {
    SSymFormatEx format;
    GetSymDefConf(symbol, &format);
    DWORD& flags = format.m_flags;
    flags |= 0x1FFFF;
    flags &= ~DWORD{0x4 | 0x80 | 0x800};
    symbol->SetFormat(format);
  }
  Add(symbol);
  return symbol;
}

BOOL SSymDiagramImpl::AdjustSymbolToText(ISSymbol* symbol, int redraw, int undo) {
  if (!symbol) return FALSE;
  // Texts measure as the diagram's window shows them.
  if (SSymView* view = GetFirstView()) {
    SSymView::LockCanvas locked(view);
    symbol->AdjustText(view->GetCanvas(), redraw, undo);
    return TRUE;
  }
  SSymDeftCanvas canvas;
  symbol->AdjustText(canvas, redraw, undo);
  return TRUE;
}

// ---- picture export ----
void SSymDiagramImpl::RecordMetafile(const SSymRect& area, const std::vector<ISSymbol*>& symbols, SMetaFile& out) {
  SSymCanvasMetafile canvas(1);
  canvas.Lock(area);
  for (ISSymbol* s : symbols) s->Draw(canvas);
  canvas.Unlock(&out);
}

HRESULT SSymDiagramImpl::ExportImage(const SString& file) {
  if (file.IsEmpty()) return E_INVALIDARG;
  try {
    SString path;
    const HRESULT prepared = SFile::CreateFilePath(file, path, 1);
    if (prepared != S_OK) return prepared;
    std::vector<ISSymbol*> symbols;
    SSymRect area(0, 0, 0, 0);
    for (SRepObject* item : Collection(IdSymbols)->Items()) {
      SComWrap<ISSymbol> s(static_cast<ISRepObject*>(item));
      if (s.IsNull()) continue;
      symbols.push_back(s.Get());
      area = Union(area, s->GetClipRect(1, 1));
    }
    const int dot = file.ReverseFind(u'.');
    SString ext = dot < 0 ? SString() : file.Mid(dot + 1);
    ext.MakeLower();
    BOOL saved = FALSE;
    if (ext == u"emf") {
      SMetaFile mf;
      RecordMetafile(area, symbols, mf);
      // Nothing recorded writes no file: a failure, not a success.
      saved = mf.IsValid() && mf.SaveMetaFile(file);
    } else {
      SSymRect r = area;
      r.Normalize();
      r.y2 -= 72;
      r.x2 += 72;
      SSymCanvasBitmap canvas;
      canvas.Lock(r);
      for (ISSymbol* s : symbols) s->Draw(canvas);
      SBitmap bitmap;
      canvas.Unlock(&bitmap);
      saved = bitmap.SaveBitmap(file);
    }
    return saved ? S_OK : E_FAIL;
  } catch (const SException& e) {
    SExceptionDialog::Show(__func__, __FILE__, __LINE__, SString(u"SSymDiagramImpl::ExportImage()") + e.GetText());
    return E_FAIL;
  }
}
