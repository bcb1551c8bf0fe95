// SPrinterCache: the printer settings of one document: the chosen printer
// (its device-mode and device-names blocks), page size and margins in
// thousandths of an inch, paper, source, orientation, copies, colour.
#pragma once

#include "kvcore/sstring.h"
#include "win/winspool.h"

// Page-setup flags (the PSD_* words of the page setup dialog).
constexpr DWORD PSD_DEFAULTMINMARGINS = 0x00000000;
constexpr DWORD PSD_INWININIINTLMEASURE = 0x00000000;
constexpr DWORD PSD_MINMARGINS = 0x00000001;
constexpr DWORD PSD_MARGINS = 0x00000002;
constexpr DWORD PSD_INTHOUSANDTHSOFINCHES = 0x00000004;
constexpr DWORD PSD_INHUNDREDTHSOFMILLIMETERS = 0x00000008;

// The defaults a page setup starts from.
struct SPAGESETUPDLG {
  DWORD m_flags = PSD_MARGINS | PSD_INTHOUSANDTHSOFINCHES;
  RECT m_margins = {1000, 1000, 1000, 1000};  // left, top, right, bottom
  RECT m_minMargins = {0, 0, 0, 0};
  static const SPAGESETUPDLG m_Default;
};

class SPrinterCache {
 public:
  // `kind` is kept for callers that name the use of the settings; the page
  // setup gives flags and margins. The default printer's settings fill the rest.
  explicit SPrinterCache(int kind = 4, const SPAGESETUPDLG& setup = SPAGESETUPDLG::m_Default);
  SPrinterCache(const SPrinterCache& other);  // deep copy of both blocks
  SPrinterCache& operator=(const SPrinterCache& other);
  ~SPrinterCache();

  // True when the spooler has a printer.
  static bool HasPrinter();

  // Margins (left, top, right, bottom) in thousandths of an inch.
  void SetMargins(const RECT& margins) { m_margins = margins; }
  RECT GetMargins() const { return m_margins; }
  // Page size (x = width, y = height) in thousandths of an inch, as oriented.
  void SetPageSize(const POINT& size) { m_pageSize = size; }
  POINT GetPageSize() const { return m_pageSize; }
  // The printable size of the page in diagram points (1/7200 inch): the
  // page size minus the margins, each margin at least `minHorzMargin`
  // (left, right) or `minVertMargin` (top, bottom) thousandths of an inch.
  // (0, 0) when the margins leave nothing.
  SIZE GetAvailablePageSizeInPoints(int minHorzMargin, int minVertMargin) const;

  // Device-mode words; the getters answer false when there is no device mode.
  bool SetPaperSize(short paper);  // also sets the page size from the form
  bool GetPaperSize(short& paper) const;
  bool SetDefaultSource(short source);
  bool GetDefaultSource(short& source) const;
  // 0 (not chosen: upright), DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE; any
  // other value is refused (false, nothing changed). Turning to or from
  // landscape swaps the page size and turns the margins a quarter with it.
  bool SetOrientation(short orientation);
  bool GetOrientation(short& orientation) const;
  short GetOrientation() const;  // DMORIENT_PORTRAIT when there is no device mode
  short GetCopies() const;       // 1 when there is no device mode
  void SetCopies(short copies);
  short GetColor() const;  // DMCOLOR_MONOCHROME 1 or DMCOLOR_COLOR 2
  void SetColor(short color);
  short GetPrintQuality() const;  // dots per inch
  void SetPrintQuality(short dpi);  // both resolutions; ignored unless positive

  DWORD GetPageSetupFlags() const { return m_flags; }
  int GetKind() const { return m_kind; }

  // Names from the device-names block ("" without one).
  SString GetDeviceName() const;
  SString GetDriverName() const;
  SString GetPortName() const;
  // The device mode's form name.
  SString GetFormName() const;

  // The blocks; the cache owns them. Setting a block frees the one it held
  // (unless it is the same handle).
  HGLOBAL GetDevMode() const { return m_devMode; }
  HGLOBAL GetDevNames() const { return m_devNames; }
  void SetDevMode(HGLOBAL devMode);
  void SetDevNames(HGLOBAL devNames);

  // A printer DC (a PDF document) for the chosen printer, the device mode's
  // paper and orientation and the cache's copies and colour; null on failure.
  // The caller deletes it.
  HDC CreatePrinterDC() const;

  // A device-names block for driver, device and port texts.
  static HGLOBAL MakeDevNames(const char16_t* driver, const char16_t* device, const char16_t* port);

 private:
  template <class F>
  bool WithDevMode(F f) const;
  void CopyFrom(const SPrinterCache& other);
  void Free();

  int m_kind;
  DWORD m_flags;
  RECT m_margins;
  POINT m_pageSize = {0, 0};
  HGLOBAL m_devMode = nullptr;
  HGLOBAL m_devNames = nullptr;
};
