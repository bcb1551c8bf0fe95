// The print spooler: a catalogue of printers, each writing every printed
// document as a PDF file (the default printer always there, others added and
// removed by the host or a test), their paper forms (sizes in thousandths of
// a millimetre), the DEVMODEW and DEVNAMES records, and the global memory
// handles those records travel in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "win/winreg.h"  // the ERROR_* codes
#include "win/windef.h"

using SIZE_T = std::size_t;

// ---- last error of the calling thread ----
#ifndef KV_WIN_LAST_ERROR
#define KV_WIN_LAST_ERROR
DWORD GetLastError();
void SetLastError(DWORD error);
#endif

// ---- global memory --------------------------------------------------------
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// Blocks live in a handle table; handles are never reused, so a freed
// handle is recognised. Null (ERROR_NOT_ENOUGH_MEMORY) when the block
// cannot be had.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The block's bytes (stable for the block's life), null for a bad handle.
LPVOID GlobalLock(HGLOBAL mem);
// FALSE once the lock count is back to 0 (or for a bad handle).
BOOL GlobalUnlock(HGLOBAL mem);
// 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL mem);
// Null on success; the handle itself when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL mem);
// Number of live blocks, for leak checks.
std::size_t KvGlobalBlockCount();

// ---- device modes and names ----------------------------------------------
constexpr int CCHDEVICENAME = 32;
constexpr int CCHFORMNAME = 32;

struct DEVMODEW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;
  WORD dmDriverExtra;
  DWORD dmFields;
  short dmOrientation;
  short dmPaperSize;
  short dmPaperLength;  // tenths of a millimetre
  short dmPaperWidth;
  short dmScale;
  short dmCopies;
  short dmDefaultSource;
  short dmPrintQuality;  // dots per inch when positive
  short dmColor;
  short dmDuplex;
  short dmYResolution;
  short dmTTOption;
  short dmCollate;
  WCHAR dmFormName[CCHFORMNAME];
  WORD dmLogPixels;
  DWORD dmBitsPerPel;
  DWORD dmPelsWidth;
  DWORD dmPelsHeight;
  DWORD dmDisplayFlags;
  DWORD dmDisplayFrequency;
  DWORD dmICMMethod;
  DWORD dmICMIntent;
  DWORD dmMediaType;
  DWORD dmDitherType;
  DWORD dmReserved1;
  DWORD dmReserved2;
  DWORD dmPanningWidth;
  DWORD dmPanningHeight;
};
using DEVMODE = DEVMODEW;
using LPDEVMODEW = DEVMODEW*;

// Offsets in characters from the start of the block to zero-terminated texts.
struct DEVNAMES {
  WORD wDriverOffset;
  WORD wDeviceOffset;
  WORD wOutputOffset;
  WORD wDefault;
};
constexpr WORD DN_DEFAULTPRN = 0x0001;

constexpr DWORD DM_ORIENTATION = 0x00000001;
constexpr DWORD DM_PAPERSIZE = 0x00000002;
constexpr DWORD DM_PAPERLENGTH = 0x00000004;
constexpr DWORD DM_PAPERWIDTH = 0x00000008;
constexpr DWORD DM_SCALE = 0x00000010;
constexpr DWORD DM_COPIES = 0x00000100;
constexpr DWORD DM_DEFAULTSOURCE = 0x00000200;
constexpr DWORD DM_PRINTQUALITY = 0x00000400;
constexpr DWORD DM_COLOR = 0x00000800;
constexpr DWORD DM_DUPLEX = 0x00001000;
constexpr DWORD DM_YRESOLUTION = 0x00002000;
constexpr DWORD DM_COLLATE = 0x00008000;
constexpr DWORD DM_FORMNAME = 0x00010000;
constexpr WORD DM_SPECVERSION = 0x0401;

constexpr short DMORIENT_PORTRAIT = 1;
constexpr short DMORIENT_LANDSCAPE = 2;
constexpr short DMCOLOR_MONOCHROME = 1;
constexpr short DMCOLOR_COLOR = 2;
constexpr short DMBIN_UPPER = 1;
constexpr short DMBIN_AUTO = 7;
constexpr short DMPAPER_LETTER = 1;
constexpr short DMPAPER_LEGAL = 5;
constexpr short DMPAPER_A3 = 8;
constexpr short DMPAPER_A4 = 9;
constexpr short DMPAPER_A5 = 11;
constexpr short DMPAPER_USER = 256;
constexpr short DMRES_HIGH = -4;

// DocumentPropertiesW modes.
constexpr DWORD DM_UPDATE = 1;
constexpr DWORD DM_COPY = 2;
constexpr DWORD DM_PROMPT = 4;
constexpr DWORD DM_MODIFY = 8;
constexpr DWORD DM_OUT_BUFFER = DM_COPY;
constexpr DWORD DM_IN_BUFFER = DM_MODIFY;
constexpr DWORD DM_IN_PROMPT = DM_PROMPT;

// ---- printers and forms ---------------------------------------------------
struct SIZEL {
  LONG cx;
  LONG cy;
};

constexpr DWORD FORM_USER = 0;
constexpr DWORD FORM_BUILTIN = 1;
constexpr DWORD FORM_PRINTER = 2;

struct FORM_INFO_1W {
  DWORD Flags;
  LPWSTR pName;
  SIZEL Size;  // thousandths of a millimetre
  RECTL ImageableArea;
};

struct PRINTER_INFO_1W {
  DWORD Flags;
  LPWSTR pDescription;
  LPWSTR pName;
  LPWSTR pComment;
};

struct PRINTER_INFO_2W {
  LPWSTR pServerName;
  LPWSTR pPrinterName;
  LPWSTR pShareName;
  LPWSTR pPortName;
  LPWSTR pDriverName;
  LPWSTR pComment;
  LPWSTR pLocation;
  DEVMODEW* pDevMode;
  LPWSTR pSepFile;
  LPWSTR pPrintProcessor;
  LPWSTR pDatatype;
  LPWSTR pParameters;
  void* pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};

constexpr DWORD PRINTER_ENUM_DEFAULT = 0x00000001;
constexpr DWORD PRINTER_ENUM_LOCAL = 0x00000002;
constexpr DWORD PRINTER_ENUM_CONNECTIONS = 0x00000004;
constexpr DWORD PRINTER_ENUM_ICON8 = 0x00800000;
constexpr DWORD PRINTER_ATTRIBUTE_DEFAULT = 0x00000004;
constexpr DWORD PRINTER_ATTRIBUTE_LOCAL = 0x00000040;
constexpr LONG ERROR_PRINTER_ALREADY_EXISTS = 1802;

// DeviceCapabilitiesW capabilities.
constexpr WORD DC_FIELDS = 1;
constexpr WORD DC_PAPERS = 2;      // WORD paper numbers
constexpr WORD DC_PAPERSIZE = 3;   // POINT sizes in tenths of a millimetre
constexpr WORD DC_BINS = 6;        // WORD bin numbers
constexpr WORD DC_PAPERNAMES = 16; // 64-character names
constexpr WORD DC_ORIENTATION = 17;
constexpr WORD DC_COPIES = 18;
constexpr WORD DC_BINNAMES = 12;   // 24-character names
constexpr WORD DC_ENUMRESOLUTIONS = 13;  // LONG pairs
constexpr WORD DC_COLORDEVICE = 32;

// Fill a caller buffer with records followed by their texts. With a buffer
// too small (or null): FALSE, *needed set, last error ERROR_INSUFFICIENT_BUFFER.
// Levels 1 and 2; other levels fail with ERROR_INVALID_LEVEL.
BOOL EnumPrintersW(DWORD flags, LPWSTR name, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed,
                   DWORD* returned);
// FALSE with ERROR_INVALID_PRINTER_NAME for an unknown printer.
BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, void* defaults);
BOOL ClosePrinter(HANDLE printer);
BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed);
// mode 0: the size of the printer's device mode. DM_OUT_BUFFER: fills `out`
// with the printer's defaults, merged with the fields `in` sets when
// DM_IN_BUFFER is given. IDOK (1), or a negative value on failure.
LONG DocumentPropertiesW(HWND hwnd, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in, DWORD mode);
// Built-in forms in paper-number order, then the forms added with AddFormW:
// form n of the list is paper number n (DC_PAPERS answers the same numbers).
BOOL EnumFormsW(HANDLE printer, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed, DWORD* returned);
// Level 1 only; ERROR_FILE_EXISTS when a form of that name exists.
BOOL AddFormW(HANDLE printer, DWORD level, BYTE* form);
BOOL DeleteFormW(HANDLE printer, LPWSTR formName);
// The count of entries (written to `output` when it is not null), -1 on failure.
int DeviceCapabilitiesW(LPCWSTR device, LPCWSTR port, WORD capability, LPWSTR output, const DEVMODEW* devMode);
// cch counts characters with the terminator.
BOOL GetDefaultPrinterW(LPWSTR buffer, DWORD* cch);

// ---- this platform's own calls ----------------------------------------------
// The default printer of the catalogue, always there.
const char16_t* KvDefaultPrinterName();  // u"PDF Printer"
const char16_t* KvDefaultPrinterPort();  // u"PDF:"

// A further printer of the catalogue, as an installation adds one. Its
// forms, when it lists any, are its own (form n is paper number n; a form
// may have a size of 0, as some drivers report); without any it offers the
// spooler's forms. `devModeBytes` other than 0 is the size its driver
// answers for a device mode and the bytes it writes of one, while the
// record's dmSize still claims the whole DEVMODEW (a driver that reports
// less than it claims).
struct KvSpoolForm {
  std::u16string name;
  LONG cx = 0;
  LONG cy = 0;
};
struct KvSpoolPrinter {
  std::u16string name;
  std::u16string port;
  std::u16string driver = u"KvPdf";
  std::u16string comment;
  std::u16string location;
  short paper = DMPAPER_LETTER;
  short orientation = DMORIENT_PORTRAIT;
  short dpi = 600;
  std::vector<KvSpoolForm> forms;
  DWORD devModeBytes = 0;
};
// FALSE with ERROR_INVALID_PARAMETER for an empty name,
// ERROR_PRINTER_ALREADY_EXISTS for a name the catalogue has.
BOOL KvAddPrinter(const KvSpoolPrinter& printer);
// Removes a printer; its open handles then fail every call but
// ClosePrinter with ERROR_INVALID_PRINTER_NAME. FALSE with
// ERROR_INVALID_PRINTER_NAME for an unknown name, ERROR_ACCESS_DENIED for
// the default printer.
BOOL KvDeletePrinter(const char16_t* name);
// Back to the default printer alone.
void KvResetSpoolerPrinters();
// The folder printed documents go to (default: $KV_PRINT_DIR, else the temporary folder); each document
// is a new file of its own there, ".~<pid>-print-<unique>.pdf", never a name a file of the folder has.
void KvSetPrintFolder(const std::string& folder);
std::string KvGetPrintFolder();
// The file the last printer DC writes to ("" before the first one).
std::string KvLastPrintFile();
// A printer DC for the named printer (null or empty: the default) whose pages
// take the paper and orientation of `devMode` (null: the printer's defaults;
// a paper of no size: the printer's first form that has one, else Letter)
// at its print quality in dots per inch. Null for an unknown printer.
HDC KvCreatePrinterDC(LPCWSTR device, const DEVMODEW* devMode);
// Size in thousandths of a millimetre of paper number `paper` (0, 0 unknown).
SIZEL KvPaperSize(int paper);
// Forgets the forms added with AddFormW.
void KvResetSpoolerForms();
// Makes the printer refuse new forms (AddFormW fails with
// ERROR_ACCESS_DENIED), as a printer without form rights does; false again
// accepts them.
void KvSetSpoolerRefusesForms(bool refuse);
