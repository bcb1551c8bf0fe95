#include "kvcore/sprintercache.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

const SPAGESETUPDLG SPAGESETUPDLG::m_Default{};

namespace {

HGLOBAL CopyBlock(HGLOBAL src) {
  const SIZE_T size = GlobalSize(src);
  if (!size) return nullptr;
  HGLOBAL dst = GlobalAlloc(GHND, size);
  if (!dst) return nullptr;
  void* d = GlobalLock(dst);
  const void* s = GlobalLock(src);
  if (d && s) std::memcpy(d, s, size);
  GlobalUnlock(src);
  GlobalUnlock(dst);
  return dst;
}

// Thousandths of a millimetre to thousandths of an inch, rounded half up.
LONG MilliToInch(LONG v) { return static_cast<LONG>(v / 25.4 + 0.5); }

// The text at a character offset of a device-names block, bounded by the block.
SString NameAt(HGLOBAL names, int which) {
  const SIZE_T size = GlobalSize(names);
  if (size < sizeof(DEVNAMES)) return SString();
  const auto* p = static_cast<const BYTE*>(GlobalLock(names));
  if (!p) return SString();
  DEVNAMES dn;
  std::memcpy(&dn, p, sizeof dn);
  const WORD off = which == 0 ? dn.wDriverOffset : which == 1 ? dn.wDeviceOffset : dn.wOutputOffset;
  std::u16string s;
  for (SIZE_T i = SIZE_T{off} * 2; i + 1 < size; i += 2) {
    char16_t c;
    std::memcpy(&c, p + i, 2);
    if (!c) break;
    s += c;
  }
  GlobalUnlock(names);
  return SString(std::move(s));
}

}  // namespace

SPrinterCache::SPrinterCache(int kind, const SPAGESETUPDLG& setup)
    : m_kind(kind), m_flags(setup.m_flags), m_margins(setup.m_margins) {
  if (!HasPrinter()) return;
  const LONG size = DocumentPropertiesW(nullptr, nullptr, const_cast<LPWSTR>(KvDefaultPrinterName()), nullptr,
                                        nullptr, 0);
  if (size > 0) {
    m_devMode = GlobalAlloc(GHND, static_cast<SIZE_T>(size));
    auto* dm = static_cast<DEVMODEW*>(GlobalLock(m_devMode));
    if (!dm || DocumentPropertiesW(nullptr, nullptr, const_cast<LPWSTR>(KvDefaultPrinterName()), dm, nullptr,
                                   DM_OUT_BUFFER) != 1) {
      GlobalUnlock(m_devMode);
      GlobalFree(m_devMode);
      m_devMode = nullptr;
    } else {
      SIZEL s = KvPaperSize(dm->dmPaperSize);
      m_pageSize = {MilliToInch(s.cx), MilliToInch(s.cy)};
      if (dm->dmOrientation == DMORIENT_LANDSCAPE) std::swap(m_pageSize.x, m_pageSize.y);
      GlobalUnlock(m_devMode);
    }
  }
  m_devNames = MakeDevNames(u"winspool", KvDefaultPrinterName(), KvDefaultPrinterPort());
}

SPrinterCache::SPrinterCache(const SPrinterCache& other) { CopyFrom(other); }

SPrinterCache& SPrinterCache::operator=(const SPrinterCache& other) {
  if (this != &other) {
    Free();
    CopyFrom(other);
  }
  return *this;
}

SPrinterCache::~SPrinterCache() { Free(); }

void SPrinterCache::CopyFrom(const SPrinterCache& o) {
  m_kind = o.m_kind;
  m_flags = o.m_flags;
  m_margins = o.m_margins;
  m_pageSize = o.m_pageSize;
  m_devMode = CopyBlock(o.m_devMode);
  m_devNames = CopyBlock(o.m_devNames);
}

void SPrinterCache::Free() {
  GlobalFree(m_devMode);
  GlobalFree(m_devNames);
  m_devMode = m_devNames = nullptr;
}

bool SPrinterCache::HasPrinter() {
  DWORD cch = 0;
  GetDefaultPrinterW(nullptr, &cch);
  return cch > 1;
}

SIZE SPrinterCache::GetAvailablePageSizeInPoints(int minHorzMargin, int minVertMargin) const {
  const long long h0 = std::max<long long>(minHorzMargin, 0), v0 = std::max<long long>(minVertMargin, 0);
  const long long w = static_cast<long long>(m_pageSize.x) - std::max<long long>(m_margins.left, h0) -
                      std::max<long long>(m_margins.right, h0);
  const long long h = static_cast<long long>(m_pageSize.y) - std::max<long long>(m_margins.top, v0) -
                      std::max<long long>(m_margins.bottom, v0);
  // Thousandths of an inch to 1/7200 inch, rounded.
  auto conv = [](long long v) { return v <= 0 ? LONG{0} : static_cast<LONG>(std::min<long long>((v * 36 + 2) / 5, 0x7FFFFFFF)); };
  return {conv(w), conv(h)};
}

template <class F>
bool SPrinterCache::WithDevMode(F f) const {
  if (GlobalSize(m_devMode) < sizeof(DEVMODEW)) return false;
  auto* dm = static_cast<DEVMODEW*>(GlobalLock(m_devMode));
  if (!dm) return false;
  f(*dm);
  GlobalUnlock(m_devMode);
  return true;
}

bool SPrinterCache::SetPaperSize(short paper) {
  const SIZEL s = KvPaperSize(paper);
  if (s.cx <= 0) return false;
  // The form name of the paper, from the printer's paper list.
  std::u16string name;
  const SString device = GetDeviceName();
  const int n = DeviceCapabilitiesW(device.c_str(), nullptr, DC_PAPERS, nullptr, nullptr);
  if (n > 0) {
    std::vector<WORD> papers(static_cast<std::size_t>(n));
    std::vector<char16_t> names(static_cast<std::size_t>(n) * 64);
    if (DeviceCapabilitiesW(device.c_str(), nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()), nullptr) ==
            n &&
        DeviceCapabilitiesW(device.c_str(), nullptr, DC_PAPERNAMES, names.data(), nullptr) == n)
      for (int i = 0; i < n; ++i)
        if (papers[static_cast<std::size_t>(i)] == static_cast<WORD>(paper)) name = names.data() + 64 * i;
  }
  short orientation = DMORIENT_PORTRAIT;
  const bool ok = WithDevMode([&](DEVMODEW& dm) {
    dm.dmPaperSize = paper;
    dm.dmFields |= DM_PAPERSIZE | DM_FORMNAME;
    dm.dmPaperWidth = static_cast<short>(s.cx / 100);
    dm.dmPaperLength = static_cast<short>(s.cy / 100);
    std::memset(dm.dmFormName, 0, sizeof dm.dmFormName);
    for (std::size_t k = 0; k + 1 < CCHFORMNAME && k < name.size(); ++k) dm.dmFormName[k] = name[k];
    orientation = dm.dmOrientation;
  });
  if (!ok) return false;
  m_pageSize = {MilliToInch(s.cx), MilliToInch(s.cy)};
  if (orientation == DMORIENT_LANDSCAPE) std::swap(m_pageSize.x, m_pageSize.y);
  return true;
}

bool SPrinterCache::GetPaperSize(short& paper) const {
  return WithDevMode([&](DEVMODEW& dm) { paper = dm.dmPaperSize; });
}

bool SPrinterCache::SetDefaultSource(short source) {
  return WithDevMode([&](DEVMODEW& dm) {
    dm.dmDefaultSource = source;
    dm.dmFields |= DM_DEFAULTSOURCE;
  });
}

bool SPrinterCache::GetDefaultSource(short& source) const {
  return WithDevMode([&](DEVMODEW& dm) { source = dm.dmDefaultSource; });
}

bool SPrinterCache::SetOrientation(short orientation) {
  if (orientation < 0 || orientation > DMORIENT_LANDSCAPE) return false;
  short old = orientation;
  const bool ok = WithDevMode([&](DEVMODEW& dm) {
    old = dm.dmOrientation;
    dm.dmOrientation = orientation;
    dm.dmFields |= DM_ORIENTATION;
  });
  // The paper turns a quarter, and its margins with it: turned to landscape
  // the left margin is the former bottom one, turned back the former top.
  if (ok && (old == DMORIENT_LANDSCAPE) != (orientation == DMORIENT_LANDSCAPE)) {
    std::swap(m_pageSize.x, m_pageSize.y);
    const RECT m = m_margins;
    m_margins = orientation == DMORIENT_LANDSCAPE ? RECT{m.bottom, m.left, m.top, m.right}
                                                  : RECT{m.top, m.right, m.bottom, m.left};
  }
  return ok;
}

bool SPrinterCache::GetOrientation(short& orientation) const {
  return WithDevMode([&](DEVMODEW& dm) { orientation = dm.dmOrientation; });
}

short SPrinterCache::GetOrientation() const {
  short o = DMORIENT_PORTRAIT;
  GetOrientation(o);
  return o;
}

short SPrinterCache::GetCopies() const {
  short c = 1;
  WithDevMode([&](DEVMODEW& dm) { c = dm.dmCopies; });
  return c;
}

void SPrinterCache::SetCopies(short copies) {
  if (copies < 1) copies = 1;
  WithDevMode([&](DEVMODEW& dm) {
    dm.dmCopies = copies;
    dm.dmFields |= DM_COPIES;
  });
}

short SPrinterCache::GetColor() const {
  short c = DMCOLOR_COLOR;
  WithDevMode([&](DEVMODEW& dm) { c = dm.dmColor; });
  return c;
}

void SPrinterCache::SetColor(short color) {
  if (color != DMCOLOR_MONOCHROME && color != DMCOLOR_COLOR) return;
  WithDevMode([&](DEVMODEW& dm) {
    dm.dmColor = color;
    dm.dmFields |= DM_COLOR;
  });
}

short SPrinterCache::GetPrintQuality() const {
  short q = 0;
  WithDevMode([&](DEVMODEW& dm) { q = dm.dmPrintQuality; });
  return q;
}

void SPrinterCache::SetPrintQuality(short dpi) {
  if (dpi <= 0) return;
  WithDevMode([&](DEVMODEW& dm) {
    dm.dmPrintQuality = dpi;
    dm.dmYResolution = dpi;
    dm.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
  });
}

SString SPrinterCache::GetDeviceName() const { return NameAt(m_devNames, 1); }
SString SPrinterCache::GetDriverName() const { return NameAt(m_devNames, 0); }
SString SPrinterCache::GetPortName() const { return NameAt(m_devNames, 2); }

SString SPrinterCache::GetFormName() const {
  std::u16string s;
  WithDevMode([&](DEVMODEW& dm) {
    for (int i = 0; i < CCHFORMNAME && dm.dmFormName[i]; ++i) s += dm.dmFormName[i];
  });
  return SString(std::move(s));
}

void SPrinterCache::SetDevMode(HGLOBAL devMode) {
  if (devMode == m_devMode) return;
  GlobalFree(m_devMode);
  m_devMode = devMode;
}

void SPrinterCache::SetDevNames(HGLOBAL devNames) {
  if (devNames == m_devNames) return;
  GlobalFree(m_devNames);
  m_devNames = devNames;
}

HGLOBAL SPrinterCache::MakeDevNames(const char16_t* driver, const char16_t* device, const char16_t* port) {
  const std::u16string d1 = driver ? driver : u"", d2 = device ? device : u"", d3 = port ? port : u"";
  const std::size_t chars = 4 + d1.size() + 1 + d2.size() + 1 + d3.size() + 1;
  if (chars > 0xFFFF) return nullptr;
  HGLOBAL h = GlobalAlloc(GHND, chars * 2);
  auto* p = static_cast<char16_t*>(GlobalLock(h));
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  DEVNAMES dn;
  dn.wDriverOffset = 4;
  dn.wDeviceOffset = static_cast<WORD>(4 + d1.size() + 1);
  dn.wOutputOffset = static_cast<WORD>(dn.wDeviceOffset + d2.size() + 1);
  dn.wDefault = DN_DEFAULTPRN;
  std::memcpy(p, &dn, sizeof dn);
  std::memcpy(p + dn.wDriverOffset, d1.c_str(), (d1.size() + 1) * 2);
  std::memcpy(p + dn.wDeviceOffset, d2.c_str(), (d2.size() + 1) * 2);
  std::memcpy(p + dn.wOutputOffset, d3.c_str(), (d3.size() + 1) * 2);
  GlobalUnlock(h);
  return h;
}

HDC SPrinterCache::CreatePrinterDC() const {
  const SString device = GetDeviceName();
  DEVMODEW dm;
  bool have = WithDevMode([&](DEVMODEW& d) { dm = d; });
  return KvCreatePrinterDC(device.IsEmpty() ? nullptr : device.c_str(), have ? &dm : nullptr);
}
