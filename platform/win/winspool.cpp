// The spooler's printer catalogue, forms and global memory blocks.
#include "win/winspool.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <new>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "win/wingdi.h"

namespace {

thread_local DWORD t_lastError = 0;

// ---- global memory ----
struct Block {
  std::vector<BYTE> bytes;
  int locks = 0;
};
struct GlobalTable {
  std::mutex mutex;
  std::map<std::uintptr_t, Block> blocks;
  std::uintptr_t next = 0x10000;
};
GlobalTable& Globals() {
  static GlobalTable* t = new GlobalTable;
  return *t;
}

// The block of a handle (the table's lock held); null, with the error set,
// for an unknown handle.
Block* KnownBlock(GlobalTable& t, HGLOBAL mem) {
  auto it = t.blocks.find(reinterpret_cast<std::uintptr_t>(mem));
  if (it != t.blocks.end()) return &it->second;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

// ---- printers and forms ----
struct Form {
  const char16_t* name;
  LONG cx;
  LONG cy;
};
// Built-in forms; form n is paper number n.
const Form kForms[] = {
    {u"Letter", 215900, 279400},           {u"Letter Small", 215900, 279400},
    {u"Tabloid", 279400, 431800},          {u"Ledger", 431800, 279400},
    {u"Legal", 215900, 355600},            {u"Statement", 139700, 215900},
    {u"Executive", 184150, 266700},        {u"A3", 297000, 420000},
    {u"A4", 210000, 297000},               {u"A4 Small", 210000, 297000},
    {u"A5", 148000, 210000},               {u"B4 (JIS)", 257000, 364000},
    {u"B5 (JIS)", 182000, 257000},         {u"Folio", 215900, 330200},
    {u"Quarto", 215000, 275000},           {u"10x14", 254000, 355600},
    {u"11x17", 279400, 431800},            {u"Note", 215900, 279400},
    {u"Envelope #9", 98425, 225425},       {u"Envelope #10", 104775, 241300},
    {u"Envelope #11", 114300, 263525},     {u"Envelope #12", 120650, 279400},
    {u"Envelope #14", 127000, 292100},     {u"C size sheet", 431800, 558800},
    {u"D size sheet", 558800, 863600},     {u"E size sheet", 863600, 1117600},
    {u"Envelope DL", 110000, 220000},      {u"Envelope C5", 162000, 229000},
    {u"Envelope C3", 324000, 458000},      {u"Envelope C4", 229000, 324000},
    {u"Envelope C6", 114000, 162000},      {u"Envelope C65", 114000, 229000},
    {u"Envelope B4", 250000, 353000},      {u"Envelope B5", 176000, 250000},
    {u"Envelope B6", 176000, 125000},      {u"Envelope", 110000, 230000},
    {u"Envelope Monarch", 98425, 190500},  {u"6 3/4 Envelope", 92075, 165100},
    {u"US Std Fanfold", 377825, 279400},   {u"German Std Fanfold", 215900, 304800},
    {u"German Legal Fanfold", 215900, 330200},
};
constexpr int kBuiltinForms = static_cast<int>(sizeof kForms / sizeof kForms[0]);

const char16_t kPrinterName[] = u"PDF Printer";
const char16_t kPortName[] = u"PDF:";
const char16_t kDriverName[] = u"KvPdf";
const char16_t kComment[] = u"Writes each document as a PDF file";
constexpr short kDefaultDpi = 600;

struct UserForm {
  std::u16string name;
  SIZEL size;
  RECTL area;
};
struct Spooler {
  std::mutex mutex;
  std::vector<UserForm> forms;
  std::vector<KvSpoolPrinter> printers;          // the printers beyond the default one
  std::map<std::uintptr_t, std::u16string> open;  // printer handles and the printer each names
  std::uintptr_t next = 0x20000;
  std::string folder;
  std::string lastFile;
};
Spooler& Spool() {
  static Spooler* s = new Spooler;
  return *s;
}

bool SameName(const char16_t* a, const char16_t* b) {
  if (!a || !b) return false;
  for (; *a && *b; ++a, ++b) {
    char16_t x = *a, y = *b;
    if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
    if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
    if (x != y) return false;
  }
  return *a == *b;
}

KvSpoolPrinter DefaultPrinter() {
  KvSpoolPrinter p;
  p.name = kPrinterName;
  p.port = kPortName;
  p.driver = kDriverName;
  p.comment = kComment;
  p.dpi = kDefaultDpi;
  return p;
}

// The printer of that name (null or empty: the default); false, with
// ERROR_INVALID_PRINTER_NAME, for a name the catalogue does not have.
bool FindPrinter(LPCWSTR name, KvSpoolPrinter& out) {
  if (!name || !*name || SameName(name, kPrinterName)) {
    out = DefaultPrinter();
    return true;
  }
  std::lock_guard lock(Spool().mutex);
  for (const KvSpoolPrinter& p : Spool().printers)
    if (SameName(p.name.c_str(), name)) {
      out = p;
      return true;
    }
  SetLastError(ERROR_INVALID_PRINTER_NAME);
  return false;
}

// The printer an open handle names; false with ERROR_INVALID_HANDLE for a
// handle that is not open, ERROR_INVALID_PRINTER_NAME when its printer has
// been removed since.
bool PrinterOfHandle(HANDLE h, KvSpoolPrinter& out) {
  std::u16string name;
  {
    std::lock_guard lock(Spool().mutex);
    auto it = Spool().open.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == Spool().open.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    name = it->second;
  }
  return FindPrinter(name.c_str(), out);
}

// The checks of the form calls: an open handle on a printer still there and
// level 1 (the error set when not).
bool FormCallOk(HANDLE handle, DWORD level, KvSpoolPrinter& printer) {
  if (!PrinterOfHandle(handle, printer)) return false;
  if (level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return false;
  }
  return true;
}

std::size_t Len(const char16_t* s) { return std::char_traits<char16_t>::length(s); }

void CopyName(WCHAR* dst, int cap, const char16_t* src) {
  int i = 0;
  for (; src[i] && i < cap - 1; ++i) dst[i] = src[i];
  for (; i < cap; ++i) dst[i] = 0;
}

struct FormView {
  std::u16string name;
  SIZEL size;
  RECTL area;
  DWORD flags;
  int paper;
};

// The spooler's forms: the built-in ones, then those added with AddFormW.
std::vector<FormView> AllForms() {
  std::vector<FormView> v;
  for (int i = 0; i < kBuiltinForms; ++i)
    v.push_back({kForms[i].name, {kForms[i].cx, kForms[i].cy}, {0, 0, kForms[i].cx, kForms[i].cy}, FORM_BUILTIN,
                 i + 1});
  std::lock_guard lock(Spool().mutex);
  int n = 0;
  for (const auto& f : Spool().forms) v.push_back({f.name, f.size, f.area, FORM_USER, kBuiltinForms + ++n});
  return v;
}

// A printer's forms: its own when it lists any, else the spooler's.
std::vector<FormView> FormsOf(const KvSpoolPrinter& printer) {
  if (printer.forms.empty()) return AllForms();
  std::vector<FormView> v;
  int n = 0;
  for (const KvSpoolForm& f : printer.forms) v.push_back({f.name, {f.cx, f.cy}, {0, 0, f.cx, f.cy}, FORM_PRINTER, ++n});
  return v;
}

// Size of a paper number among a printer's forms ((0, 0) unknown).
SIZEL PaperOf(const std::vector<FormView>& forms, int paper) {
  for (const auto& f : forms)
    if (f.paper == paper) return f.size;
  return {0, 0};
}

void FillDefaultDevMode(DEVMODEW* dm, const KvSpoolPrinter& printer) {
  std::memset(dm, 0, sizeof *dm);
  CopyName(dm->dmDeviceName, CCHDEVICENAME, printer.name.c_str());
  dm->dmSpecVersion = DM_SPECVERSION;
  dm->dmSize = sizeof(DEVMODEW);
  dm->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE | DM_COPIES |
                 DM_DEFAULTSOURCE | DM_PRINTQUALITY | DM_COLOR | DM_YRESOLUTION | DM_COLLATE | DM_FORMNAME;
  dm->dmOrientation = printer.orientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  dm->dmPaperSize = printer.paper;
  const std::vector<FormView> forms = FormsOf(printer);
  const SIZEL size = PaperOf(forms, printer.paper);
  dm->dmPaperWidth = static_cast<short>(size.cx / 100);
  dm->dmPaperLength = static_cast<short>(size.cy / 100);
  dm->dmScale = 100;
  dm->dmCopies = 1;
  dm->dmDefaultSource = DMBIN_AUTO;
  dm->dmPrintQuality = printer.dpi > 0 ? printer.dpi : kDefaultDpi;
  dm->dmYResolution = dm->dmPrintQuality;
  dm->dmColor = DMCOLOR_COLOR;
  for (const auto& f : forms)
    if (f.paper == printer.paper) CopyName(dm->dmFormName, CCHFORMNAME, f.name.c_str());
}

// Writes records then texts into a caller's buffer: the text area grows down
// from the buffer's end, as the spooler does it.
class Packer {
 public:
  Packer(BYTE* buf, DWORD cb, std::size_t recordSize, std::size_t count)
      : buf_(buf), cb_(cb), fixed_(recordSize * count), textEnd_(cb) {}
  // Space for a text (counted in a first pass with a null buffer).
  LPWSTR Put(const char16_t* s) {
    const std::size_t bytes = (Len(s) + 1) * 2;
    textBytes_ += bytes;
    if (!Fits()) return nullptr;
    textEnd_ -= bytes;
    auto* p = reinterpret_cast<char16_t*>(buf_ + textEnd_);
    std::memcpy(p, s, bytes);
    return p;
  }
  template <class T>
  T* Record(std::size_t i) {
    return Fits() ? reinterpret_cast<T*>(buf_) + i : nullptr;
  }
  DWORD Needed() const { return static_cast<DWORD>(fixed_ + textBytes_); }
  bool Fits() const { return buf_ && cb_ >= fixed_ + textBytes_; }

 private:
  BYTE* buf_;
  std::size_t cb_;
  std::size_t fixed_;
  std::size_t textEnd_;
  std::size_t textBytes_ = 0;
};

// Two passes: count with no buffer, then fill when everything fits.
template <class Fill>
BOOL PackRecords(BYTE* buffer, DWORD cbBuf, DWORD* needed, Fill fill) {
  if (!needed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD size = fill(nullptr, 0);
  *needed = size;
  if (!buffer || cbBuf < size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  fill(buffer, cbBuf);
  return TRUE;
}

// A new empty file in `folder` for one spooled document, made under a name
// no file there has (so nothing of the folder's is overwritten); "" when
// the folder cannot take it. The document is the user's file: it gets the
// permissions any new file of theirs gets, not the private ones of a
// temporary file.
std::string NewSpoolFile(const std::string& folder) {
  std::string name = folder + "/.~" + std::to_string(::getpid()) + "-print-XXXXXX.pdf";
  const int fd = ::mkstemps(name.data(), 4);
  if (fd < 0) return std::string();
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  return name;
}

}  // namespace

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

// ---- global memory ----------------------------------------------------------

HGLOBAL GlobalAlloc(UINT, SIZE_T bytes) {
  if (bytes > (SIZE_T{1} << 31)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto& t = Globals();
  std::lock_guard lock(t.mutex);
  const std::uintptr_t h = t.next;
  t.next += 8;
  try {
    t.blocks[h].bytes.assign(std::max<SIZE_T>(bytes, 1), 0);  // always zeroed: deterministic
    t.blocks[h].bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    t.blocks.erase(h);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(h);
}

LPVOID GlobalLock(HGLOBAL mem) {
  auto& t = Globals();
  std::lock_guard lock(t.mutex);
  Block* block = KnownBlock(t, mem);
  if (!block) return nullptr;
  ++block->locks;
  // A zero-sized block still answers a valid (empty) address.
  return block->bytes.empty() ? static_cast<LPVOID>(&block->locks) : block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL mem) {
  auto& t = Globals();
  std::lock_guard lock(t.mutex);
  Block* block = KnownBlock(t, mem);
  if (!block) return FALSE;
  if (block->locks > 0) --block->locks;
  SetLastError(ERROR_SUCCESS);
  return block->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL mem) {
  auto& t = Globals();
  std::lock_guard lock(t.mutex);
  auto it = t.blocks.find(reinterpret_cast<std::uintptr_t>(mem));
  return it == t.blocks.end() ? 0 : it->second.bytes.size();
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  if (!mem) return nullptr;
  auto& t = Globals();
  std::lock_guard lock(t.mutex);
  if (!t.blocks.erase(reinterpret_cast<std::uintptr_t>(mem))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  return nullptr;
}

std::size_t KvGlobalBlockCount() {
  std::lock_guard lock(Globals().mutex);
  return Globals().blocks.size();
}

// ---- printers -------------------------------------------------------------------

const char16_t* KvDefaultPrinterName() { return kPrinterName; }
const char16_t* KvDefaultPrinterPort() { return kPortName; }

namespace {

// Packs printer records of `level` (1 or 2) for `printers` into a caller's
// buffer (see PackRecords).
BOOL PackPrinters(const std::vector<KvSpoolPrinter>& printers, DWORD level, BYTE* buffer, DWORD cbBuf,
                  DWORD* needed) {
  return PackRecords(buffer, cbBuf, needed, [&](BYTE* buf, DWORD cb) -> DWORD {
    if (level == 1) {
      Packer p(buf, cb, sizeof(PRINTER_INFO_1W), printers.size());
      for (std::size_t i = 0; i < printers.size(); ++i) {
        const KvSpoolPrinter& pr = printers[i];
        const std::u16string description = pr.name + u"," + pr.driver + u"," + pr.port;
        LPWSTR desc = p.Put(description.c_str());
        LPWSTR name = p.Put(pr.name.c_str());
        LPWSTR comment = p.Put(pr.comment.c_str());
        if (auto* r = p.Record<PRINTER_INFO_1W>(i)) *r = {PRINTER_ENUM_ICON8, desc, name, comment};
      }
      return p.Needed();
    }
    // Level 2: the records, then each printer's device mode, then the texts.
    const std::size_t record = sizeof(PRINTER_INFO_2W) * printers.size();
    Packer p(buf, cb, sizeof(PRINTER_INFO_2W) + sizeof(DEVMODEW), printers.size());
    for (std::size_t i = 0; i < printers.size(); ++i) {
      const KvSpoolPrinter& pr = printers[i];
      PRINTER_INFO_2W info = {};
      info.pPrinterName = p.Put(pr.name.c_str());
      info.pShareName = p.Put(u"");
      info.pPortName = p.Put(pr.port.c_str());
      info.pDriverName = p.Put(pr.driver.c_str());
      info.pComment = p.Put(pr.comment.c_str());
      info.pLocation = p.Put(pr.location.c_str());
      info.pSepFile = p.Put(u"");
      info.pPrintProcessor = p.Put(u"KvPdfPrint");
      info.pDatatype = p.Put(u"RAW");
      info.pParameters = p.Put(u"");
      info.Attributes = (i == 0 && SameName(pr.name.c_str(), kPrinterName) ? PRINTER_ATTRIBUTE_DEFAULT : 0) |
                        PRINTER_ATTRIBUTE_LOCAL;
      info.Priority = 1;
      if (auto* r = p.Record<PRINTER_INFO_2W>(i)) {
        auto* dm = reinterpret_cast<DEVMODEW*>(buf + record + i * sizeof(DEVMODEW));
        FillDefaultDevMode(dm, pr);
        info.pDevMode = dm;
        *r = info;
      }
    }
    return p.Needed();
  });
}

std::vector<KvSpoolPrinter> Catalogue() {
  std::vector<KvSpoolPrinter> all{DefaultPrinter()};
  std::lock_guard lock(Spool().mutex);
  all.insert(all.end(), Spool().printers.begin(), Spool().printers.end());
  return all;
}

}  // namespace

BOOL EnumPrintersW(DWORD, LPWSTR, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed, DWORD* returned) {
  if (returned) *returned = 0;
  if (level != 1 && level != 2) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  const std::vector<KvSpoolPrinter> all = Catalogue();
  const BOOL ok = PackPrinters(all, level, buffer, cbBuf, needed);
  if (ok && returned) *returned = static_cast<DWORD>(all.size());
  return ok;
}

BOOL OpenPrinterW(LPWSTR printerName, HANDLE* printer, void*) {
  if (!printer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *printer = nullptr;
  KvSpoolPrinter found;
  if (!FindPrinter(printerName, found)) return FALSE;
  std::lock_guard lock(Spool().mutex);
  const std::uintptr_t h = Spool().next;
  Spool().next += 8;
  Spool().open[h] = found.name;
  *printer = reinterpret_cast<HANDLE>(h);
  return TRUE;
}

BOOL ClosePrinter(HANDLE printer) {
  std::lock_guard lock(Spool().mutex);
  if (!Spool().open.erase(reinterpret_cast<std::uintptr_t>(printer))) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

BOOL GetPrinterW(HANDLE printer, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed) {
  KvSpoolPrinter found;
  if (!PrinterOfHandle(printer, found)) return FALSE;
  if (level != 1 && level != 2) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  return PackPrinters({found}, level, buffer, cbBuf, needed);
}

LONG DocumentPropertiesW(HWND, HANDLE printer, LPWSTR deviceName, DEVMODEW* out, DEVMODEW* in, DWORD mode) {
  KvSpoolPrinter found;
  if (printer ? !PrinterOfHandle(printer, found) : !FindPrinter(deviceName, found)) return -1;
  const DWORD bytes = found.devModeBytes ? std::min<DWORD>(found.devModeBytes, sizeof(DEVMODEW)) : sizeof(DEVMODEW);
  if (mode == 0) return static_cast<LONG>(bytes);
  const std::vector<FormView> forms = FormsOf(found);
  DEVMODEW dm;
  FillDefaultDevMode(&dm, found);
  if ((mode & DM_IN_BUFFER) && in) {
    if (in->dmSize < offsetof(DEVMODEW, dmFormName)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    const DWORD f = in->dmFields;
    if ((f & DM_ORIENTATION) && (in->dmOrientation == DMORIENT_PORTRAIT || in->dmOrientation == DMORIENT_LANDSCAPE))
      dm.dmOrientation = in->dmOrientation;
    if (f & DM_PAPERSIZE) {
      const SIZEL s = PaperOf(forms, in->dmPaperSize);
      if (s.cx > 0 && s.cy > 0) {
        dm.dmPaperSize = in->dmPaperSize;
        dm.dmPaperWidth = static_cast<short>(s.cx / 100);
        dm.dmPaperLength = static_cast<short>(s.cy / 100);
        for (const auto& fv : forms)
          if (fv.paper == in->dmPaperSize) CopyName(dm.dmFormName, CCHFORMNAME, fv.name.c_str());
      }
    }
    if ((f & DM_COPIES) && in->dmCopies > 0) dm.dmCopies = in->dmCopies;
    if (f & DM_DEFAULTSOURCE) dm.dmDefaultSource = in->dmDefaultSource;
    if ((f & DM_PRINTQUALITY) && in->dmPrintQuality > 0) dm.dmPrintQuality = dm.dmYResolution = in->dmPrintQuality;
    if ((f & DM_COLOR) && (in->dmColor == DMCOLOR_MONOCHROME || in->dmColor == DMCOLOR_COLOR)) dm.dmColor = in->dmColor;
    if ((f & DM_SCALE) && in->dmScale > 0) dm.dmScale = in->dmScale;
    if (f & DM_COLLATE) dm.dmCollate = in->dmCollate;
  }
  if (mode & DM_OUT_BUFFER) {
    if (!out) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    // A driver that answers a shorter size writes only that much.
    std::memcpy(out, &dm, bytes);
  }
  return 1;  // IDOK
}

BOOL EnumFormsW(HANDLE printer, DWORD level, BYTE* buffer, DWORD cbBuf, DWORD* needed, DWORD* returned) {
  if (returned) *returned = 0;
  KvSpoolPrinter found;
  if (!FormCallOk(printer, level, found)) return FALSE;
  const auto forms = FormsOf(found);
  BOOL ok = PackRecords(buffer, cbBuf, needed, [&](BYTE* buf, DWORD cb) -> DWORD {
    Packer p(buf, cb, sizeof(FORM_INFO_1W), forms.size());
    for (std::size_t i = 0; i < forms.size(); ++i) {
      LPWSTR name = p.Put(forms[i].name.c_str());
      if (auto* r = p.Record<FORM_INFO_1W>(i)) *r = {forms[i].flags, name, forms[i].size, forms[i].area};
    }
    return p.Needed();
  });
  if (ok && returned) *returned = static_cast<DWORD>(forms.size());
  return ok;
}

namespace {
std::atomic<bool> g_refuseForms{false};
}  // namespace

BOOL AddFormW(HANDLE printer, DWORD level, BYTE* form) {
  KvSpoolPrinter found;
  if (!FormCallOk(printer, level, found)) return FALSE;
  const auto* f = reinterpret_cast<const FORM_INFO_1W*>(form);
  if (!f || !f->pName || !*f->pName || f->Size.cx <= 0 || f->Size.cy <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (g_refuseForms) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  for (const auto& fv : AllForms())
    if (SameName(fv.name.c_str(), f->pName)) {
      SetLastError(ERROR_FILE_EXISTS);
      return FALSE;
    }
  std::lock_guard lock(Spool().mutex);
  Spool().forms.push_back({f->pName, f->Size, f->ImageableArea});
  return TRUE;
}

BOOL DeleteFormW(HANDLE printer, LPWSTR formName) {
  KvSpoolPrinter found;
  if (!PrinterOfHandle(printer, found)) return FALSE;
  std::lock_guard lock(Spool().mutex);
  auto& v = Spool().forms;
  auto it = std::find_if(v.begin(), v.end(), [&](const UserForm& f) { return SameName(f.name.c_str(), formName); });
  if (it == v.end()) {
    SetLastError(ERROR_INVALID_FORM_NAME);
    return FALSE;
  }
  v.erase(it);
  return TRUE;
}

int DeviceCapabilitiesW(LPCWSTR device, LPCWSTR, WORD capability, LPWSTR output, const DEVMODEW*) {
  KvSpoolPrinter found;
  if (!FindPrinter(device, found)) return -1;
  const auto forms = FormsOf(found);
  const int n = static_cast<int>(forms.size());
  switch (capability) {
    case DC_PAPERS:
      if (output)
        for (int i = 0; i < n; ++i) reinterpret_cast<WORD*>(output)[i] = static_cast<WORD>(forms[i].paper);
      return n;
    case DC_PAPERSIZE:
      if (output)
        for (int i = 0; i < n; ++i)
          reinterpret_cast<POINT*>(output)[i] = {forms[i].size.cx / 100, forms[i].size.cy / 100};
      return n;
    case DC_PAPERNAMES:
      if (output)
        for (int i = 0; i < n; ++i) CopyName(output + 64 * i, 64, forms[i].name.c_str());
      return n;
    case DC_BINS:
      if (output) reinterpret_cast<WORD*>(output)[0] = static_cast<WORD>(DMBIN_AUTO);
      return 1;
    case DC_BINNAMES:
      if (output) CopyName(output, 24, u"Automatically Select");
      return 1;
    case DC_ENUMRESOLUTIONS:
      if (output) {
        auto* r = reinterpret_cast<LONG*>(output);
        const LONG dpis[] = {300, 600, 1200};
        for (int i = 0; i < 3; ++i) r[2 * i] = r[2 * i + 1] = dpis[i];
      }
      return 3;
    case DC_ORIENTATION:
      return 90;
    case DC_COPIES:
      return 9999;
    case DC_COLORDEVICE:
      return 1;
    case DC_FIELDS:
      return static_cast<int>(DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                              DM_COLOR | DM_FORMNAME);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
  }
}

BOOL GetDefaultPrinterW(LPWSTR buffer, DWORD* cch) {
  if (!cch) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD need = static_cast<DWORD>(Len(kPrinterName) + 1);
  if (!buffer || *cch < need) {
    *cch = need;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, kPrinterName, need * 2);
  *cch = need;
  return TRUE;
}

SIZEL KvPaperSize(int paper) { return PaperOf(AllForms(), paper); }

BOOL KvAddPrinter(const KvSpoolPrinter& printer) {
  if (printer.name.empty() || printer.name.size() >= CCHDEVICENAME) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  KvSpoolPrinter existing;
  if (FindPrinter(printer.name.c_str(), existing)) {
    SetLastError(ERROR_PRINTER_ALREADY_EXISTS);
    return FALSE;
  }
  std::lock_guard lock(Spool().mutex);
  Spool().printers.push_back(printer);
  return TRUE;
}

BOOL KvDeletePrinter(const char16_t* name) {
  if (!name || !*name || SameName(name, kPrinterName)) {
    SetLastError(name && *name ? ERROR_ACCESS_DENIED : ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  std::lock_guard lock(Spool().mutex);
  auto& v = Spool().printers;
  auto it = std::find_if(v.begin(), v.end(), [&](const KvSpoolPrinter& p) { return SameName(p.name.c_str(), name); });
  if (it == v.end()) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  v.erase(it);
  return TRUE;
}

void KvResetSpoolerPrinters() {
  std::lock_guard lock(Spool().mutex);
  Spool().printers.clear();
}

void KvSetSpoolerRefusesForms(bool refuse) { g_refuseForms = refuse; }

void KvResetSpoolerForms() {
  std::lock_guard lock(Spool().mutex);
  Spool().forms.clear();
}

void KvSetPrintFolder(const std::string& folder) {
  std::lock_guard lock(Spool().mutex);
  Spool().folder = folder;
}

std::string KvGetPrintFolder() {
  {
    std::lock_guard lock(Spool().mutex);
    if (!Spool().folder.empty()) return Spool().folder;
  }
  if (const char* env = std::getenv("KV_PRINT_DIR"); env && *env) return env;
  std::error_code ec;
  auto tmp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : tmp.string();
}

std::string KvLastPrintFile() {
  std::lock_guard lock(Spool().mutex);
  return Spool().lastFile;
}

HDC KvCreatePrinterDC(LPCWSTR device, const DEVMODEW* devMode) {
  KvSpoolPrinter found;
  if (!FindPrinter(device, found)) return nullptr;
  DEVMODEW dm;
  FillDefaultDevMode(&dm, found);
  if (devMode) {
    DEVMODEW merged = dm;
    if (DocumentPropertiesW(nullptr, nullptr, const_cast<LPWSTR>(found.name.c_str()), &merged,
                            const_cast<DEVMODEW*>(devMode), DM_OUT_BUFFER | DM_IN_BUFFER) > 0)
      dm = merged;
  }
  const std::vector<FormView> forms = FormsOf(found);
  SIZEL size = PaperOf(forms, dm.dmPaperSize);
  for (std::size_t i = 0; (size.cx <= 0 || size.cy <= 0) && i < forms.size(); ++i) size = forms[i].size;
  if (size.cx <= 0 || size.cy <= 0) size = {kForms[0].cx, kForms[0].cy};
  if (dm.dmOrientation == DMORIENT_LANDSCAPE) std::swap(size.cx, size.cy);
  const std::string path = NewSpoolFile(KvGetPrintFolder());
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  // Thousandths of a millimetre to points.
  HDC dc = KvCreatePdfDC(path.c_str(), size.cx * 72.0 / 25400.0, size.cy * 72.0 / 25400.0,
                         dm.dmPrintQuality > 0 ? dm.dmPrintQuality : kDefaultDpi);
  if (!dc) {
    ::unlink(path.c_str());
    return nullptr;
  }
  std::lock_guard lock(Spool().mutex);
  Spool().lastFile = path;
  return dc;
}
