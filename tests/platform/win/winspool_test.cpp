#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kvcore/sprintercache.h"
#include "support/temp_files.h"
#include "win/wingdi.h"
#include "win/winspool.h"

namespace {

TEST(WinSpool, GlobalBlocksAndStaleHandles) {
  const std::size_t before = KvGlobalBlockCount();
  HGLOBAL h = GlobalAlloc(GHND, 16);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GlobalSize(h), 16u);
  auto* p = static_cast<BYTE*>(GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[15], 0);  // zero-initialised
  p[0] = 7;
  EXPECT_EQ(GlobalUnlock(h), FALSE);  // lock count back to 0
  EXPECT_EQ(static_cast<BYTE*>(GlobalLock(h))[0], 7);
  GlobalUnlock(h);
  EXPECT_EQ(GlobalFree(h), nullptr);
  // A freed handle is recognised everywhere.
  EXPECT_EQ(GlobalLock(h), nullptr);
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_EQ(GlobalFree(h), h);
  EXPECT_EQ(KvGlobalBlockCount(), before);
}

TEST(WinSpool, PaperFormsInThousandthsOfAMillimetre) {
  struct {
    int paper;
    LONG cx, cy;
  } cases[] = {{DMPAPER_LETTER, 215900, 279400}, {DMPAPER_LEGAL, 215900, 355600}, {DMPAPER_A3, 297000, 420000},
               {DMPAPER_A4, 210000, 297000},     {DMPAPER_A5, 148000, 210000},    {0, 0, 0},
               {9999, 0, 0}};
  for (auto& c : cases) {
    SIZEL s = KvPaperSize(c.paper);
    EXPECT_EQ(s.cx, c.cx) << c.paper;
    EXPECT_EQ(s.cy, c.cy) << c.paper;
  }
  // DeviceCapabilities answers the same papers in tenths of a millimetre.
  const int n = DeviceCapabilitiesW(KvDefaultPrinterName(), nullptr, DC_PAPERS, nullptr, nullptr);
  ASSERT_GE(n, 11);
  std::vector<WORD> papers(n);
  std::vector<POINT> sizes(n);
  ASSERT_EQ(DeviceCapabilitiesW(KvDefaultPrinterName(), nullptr, DC_PAPERS, reinterpret_cast<LPWSTR>(papers.data()),
                                nullptr),
            n);
  ASSERT_EQ(DeviceCapabilitiesW(KvDefaultPrinterName(), nullptr, DC_PAPERSIZE, reinterpret_cast<LPWSTR>(sizes.data()),
                                nullptr),
            n);
  EXPECT_EQ(papers[8], DMPAPER_A4);
  EXPECT_EQ(sizes[8].x, 2100);
  EXPECT_EQ(sizes[8].y, 2970);
  EXPECT_EQ(DeviceCapabilitiesW(u"No Such Printer", nullptr, DC_PAPERS, nullptr, nullptr), -1);
}

TEST(WinSpool, EnumerationsSizeQueryThenFill) {
  DWORD needed = 0, count = 0;
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buf(needed);
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 1, buf.data(), needed, &needed, &count));
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(std::u16string(reinterpret_cast<PRINTER_INFO_1W*>(buf.data())->pName), KvDefaultPrinterName());

  HANDLE printer = nullptr;
  EXPECT_FALSE(OpenPrinterW(const_cast<LPWSTR>(u"Nobody"), &printer, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  ASSERT_TRUE(OpenPrinterW(const_cast<LPWSTR>(KvDefaultPrinterName()), &printer, nullptr));
  EXPECT_FALSE(GetPrinterW(printer, 2, nullptr, 0, &needed));
  buf.assign(needed, 0);
  ASSERT_TRUE(GetPrinterW(printer, 2, buf.data(), needed, &needed));
  auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
  EXPECT_EQ(std::u16string(info->pPortName), KvDefaultPrinterPort());
  ASSERT_NE(info->pDevMode, nullptr);
  EXPECT_EQ(info->pDevMode->dmPaperSize, DMPAPER_LETTER);

  // A custom form is added once, then listed after the built-in ones.
  KvResetSpoolerForms();
  EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
  const DWORD builtins = [&] {
    std::vector<BYTE> b(needed);
    EnumFormsW(printer, 1, b.data(), needed, &needed, &count);
    return count;
  }();
  FORM_INFO_1W form = {FORM_USER, const_cast<LPWSTR>(u"custom size (5000 x 7000)"), {127000, 177800}, {0, 0, 127000, 177800}};
  ASSERT_TRUE(AddFormW(printer, 1, reinterpret_cast<BYTE*>(&form)));
  EXPECT_FALSE(AddFormW(printer, 1, reinterpret_cast<BYTE*>(&form)));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EnumFormsW(printer, 1, nullptr, 0, &needed, &count);
  buf.assign(needed, 0);
  ASSERT_TRUE(EnumFormsW(printer, 1, buf.data(), needed, &needed, &count));
  ASSERT_EQ(count, builtins + 1);
  auto* forms = reinterpret_cast<FORM_INFO_1W*>(buf.data());
  EXPECT_EQ(forms[count - 1].Size.cx, 127000);
  EXPECT_EQ(forms[0].Size.cy, 279400);
  EXPECT_EQ(KvPaperSize(static_cast<int>(count)).cy, 177800);  // form n is paper n
  KvResetSpoolerForms();

  // Document properties: size, then defaults merged with the caller's fields.
  const LONG size = DocumentPropertiesW(nullptr, printer, nullptr, nullptr, nullptr, 0);
  ASSERT_EQ(size, static_cast<LONG>(sizeof(DEVMODEW)));
  DEVMODEW in = {};
  in.dmSize = sizeof in;
  in.dmFields = DM_ORIENTATION | DM_PAPERSIZE;
  in.dmOrientation = DMORIENT_LANDSCAPE;
  in.dmPaperSize = DMPAPER_A4;
  DEVMODEW out;
  ASSERT_EQ(DocumentPropertiesW(nullptr, printer, nullptr, &out, &in, DM_OUT_BUFFER | DM_IN_BUFFER), 1);
  EXPECT_EQ(out.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(out.dmPaperSize, DMPAPER_A4);
  EXPECT_EQ(std::u16string(out.dmFormName), u"A4");
  EXPECT_EQ(out.dmCopies, 1);
  EXPECT_TRUE(ClosePrinter(printer));
  EXPECT_FALSE(ClosePrinter(printer));
  EXPECT_FALSE(EnumFormsW(printer, 1, nullptr, 0, &needed, &count));  // stale handle
}

TEST(SPrinterCache, DefaultsCopiesAndPageGeometry) {
  ASSERT_TRUE(SPrinterCache::HasPrinter());
  const std::size_t before = KvGlobalBlockCount();
  {
    SPrinterCache cache(4, SPAGESETUPDLG::m_Default);
    EXPECT_EQ(cache.GetDeviceName(), SString(KvDefaultPrinterName()));
    EXPECT_EQ(cache.GetPortName(), SString(KvDefaultPrinterPort()));
    EXPECT_EQ(cache.GetPageSize().x, 8500);  // Letter, thousandths of an inch
    EXPECT_EQ(cache.GetPageSize().y, 11000);
    EXPECT_TRUE(cache.GetPageSetupFlags() & PSD_INTHOUSANDTHSOFINCHES);

    // A4 gives 8268 x 11693 (rounded half up); landscape swaps it.
    ASSERT_TRUE(cache.SetPaperSize(DMPAPER_A4));
    EXPECT_EQ(cache.GetFormName(), "A4");
    EXPECT_EQ(cache.GetPageSize().x, 8268);
    ASSERT_TRUE(cache.SetOrientation(DMORIENT_LANDSCAPE));
    EXPECT_EQ(cache.GetPageSize().x, 11693);
    EXPECT_EQ(cache.GetOrientation(), DMORIENT_LANDSCAPE);
    EXPECT_FALSE(cache.SetPaperSize(0));
    EXPECT_FALSE(cache.SetOrientation(7));

    cache.SetMargins({315, 354, 433, 354});
    cache.SetPageSize({8500, 11000});
    // Diagram points (7.2 per thousandth of an inch); margins below 500 count as 500.
    const SIZE avail = cache.GetAvailablePageSizeInPoints(500, 500);
    EXPECT_EQ(avail.cx, (8500 - 500 - 500) * 36 / 5);
    EXPECT_EQ(avail.cy, (11000 - 1000) * 36 / 5);
    EXPECT_EQ(cache.GetAvailablePageSizeInPoints(0, 0).cx, (8500 - 315 - 433) * 36 / 5);
    EXPECT_EQ(cache.GetAvailablePageSizeInPoints(5000, 0).cx, 0);  // nothing left

    cache.SetCopies(3);
    cache.SetColor(DMCOLOR_MONOCHROME);
    SPrinterCache copy(cache);  // deep copy: separate blocks, same settings
    EXPECT_NE(copy.GetDevMode(), cache.GetDevMode());
    EXPECT_EQ(copy.GetCopies(), 3);
    EXPECT_EQ(copy.GetColor(), DMCOLOR_MONOCHROME);
    EXPECT_EQ(copy.GetMargins().right, 433);
    copy.SetCopies(0);  // below 1 counts as 1
    EXPECT_EQ(copy.GetCopies(), 1);
    EXPECT_EQ(cache.GetCopies(), 3);

    // Without a device mode the getters say so and keep their defaults.
    copy.SetDevMode(nullptr);
    short v = -1;
    EXPECT_FALSE(copy.GetPaperSize(v));
    EXPECT_EQ(v, -1);
    EXPECT_EQ(copy.GetCopies(), 1);
    // A truncated device-names block answers empty names.
    HGLOBAL tiny = GlobalAlloc(GHND, 4);
    copy.SetDevNames(tiny);
    EXPECT_TRUE(copy.GetDeviceName().IsEmpty());
  }
  EXPECT_EQ(KvGlobalBlockCount(), before);  // every block freed
}

// The orientation the diagram passes is kept (0: none chosen); turning the
// paper to or from landscape turns its margins with it; other values are
// refused and change nothing.
TEST(SPrinterCache, OrientationTurnsPaperAndMarginsTogether) {
  SPrinterCache cache;
  cache.SetPageSize({8500, 11000});
  cache.SetMargins({1, 2, 3, 4});
  ASSERT_TRUE(cache.SetOrientation(0));
  EXPECT_EQ(cache.GetOrientation(), 0);
  EXPECT_EQ(cache.GetPageSize().x, 8500);  // upright either way
  const struct {
    short orientation;
    bool taken;
    POINT page;
    RECT margins;
  } steps[] = {
      {DMORIENT_LANDSCAPE, true, {11000, 8500}, {4, 1, 2, 3}},
      {DMORIENT_LANDSCAPE, true, {11000, 8500}, {4, 1, 2, 3}},  // no turn
      {7, false, {11000, 8500}, {4, 1, 2, 3}},
      {-1, false, {11000, 8500}, {4, 1, 2, 3}},
      {DMORIENT_PORTRAIT, true, {8500, 11000}, {1, 2, 3, 4}},
      {0, true, {8500, 11000}, {1, 2, 3, 4}},
  };
  for (const auto& c : steps) {
    SCOPED_TRACE(c.orientation);
    EXPECT_EQ(cache.SetOrientation(c.orientation), c.taken);
    EXPECT_EQ(cache.GetPageSize().x, c.page.x);
    EXPECT_EQ(cache.GetPageSize().y, c.page.y);
    const RECT m = cache.GetMargins();
    EXPECT_EQ((std::array<LONG, 4>{m.left, m.top, m.right, m.bottom}),
              (std::array<LONG, 4>{c.margins.left, c.margins.top, c.margins.right, c.margins.bottom}));
  }
}

TEST(SPrinterCache, PrinterDocumentsArePdfFiles) {
  kvtest::TempDir dir("winspool");
  KvSetPrintFolder(dir.path.string());
  // A file of the user's under a name a printer might pick is never touched.
  { std::ofstream(dir.path / "print-1.pdf") << "mine"; }
  SPrinterCache cache;
  cache.SetPaperSize(DMPAPER_A4);
  cache.SetOrientation(DMORIENT_LANDSCAPE);
  HDC dc = cache.CreatePrinterDC();
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
  EXPECT_GT(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));  // landscape
  DOCINFOW info = {sizeof(DOCINFOW), u"Diagram", nullptr, nullptr, 0};
  EXPECT_GT(StartDocW(dc, &info), 0);
  EXPECT_GT(StartPage(dc), 0);
  Rectangle(dc, 100, 100, 2000, 1000);
  EXPECT_GT(EndPage(dc), 0);
  EXPECT_GT(EndDoc(dc), 0);
  DeleteDC(dc);
  const std::string file = KvLastPrintFile();
  FILE* f = std::fopen(file.c_str(), "rb");
  ASSERT_NE(f, nullptr) << file;
  char head[5] = {};
  EXPECT_EQ(std::fread(head, 1, 4, f), 4u);
  std::fclose(f);
  EXPECT_EQ(std::string(head), "%PDF");
  EXPECT_EQ(std::filesystem::path(file).parent_path(), dir.path);
  // The permissions of any new file of the user's, not the private ones of a temporary file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(file).permissions()), 0666 & ~mask);
  std::ifstream mine(dir.path / "print-1.pdf");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mine), {}), "mine");
  // Every document has a file of its own.
  HDC second = cache.CreatePrinterDC();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(KvLastPrintFile(), file);
  DeleteDC(second);
  // A folder that cannot take the document: no DC, and no file anywhere.
  KvSetPrintFolder((dir.path / "missing").string());
  EXPECT_EQ(cache.CreatePrinterDC(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(dir.path / "missing"));
  KvSetPrintFolder(std::string());
  EXPECT_EQ(KvCreatePrinterDC(u"Nobody", nullptr), nullptr);
}

// Removes the printers a test added, whatever the test's outcome.
struct AddedPrinters {
  ~AddedPrinters() { KvResetSpoolerPrinters(); }
};

KvSpoolPrinter LinePrinter() {
  KvSpoolPrinter p;
  p.name = u"P1";
  p.port = u"LPT1:";
  p.driver = u"Line";
  p.comment = u"Second floor";
  p.location = u"Room 12";
  p.paper = 2;
  p.orientation = DMORIENT_LANDSCAPE;
  p.dpi = 300;
  p.forms = {{u"Strip", 100000, 50000}, {u"Card", 148000, 105000}, {u"Blank", 0, 0}};
  return p;
}

TEST(WinSpool, PrintersAreListedOpenedAndRemoved) {
  AddedPrinters guard;
  ASSERT_TRUE(KvAddPrinter(LinePrinter()));
  // Names the catalogue refuses.
  KvSpoolPrinter unnamed;
  EXPECT_FALSE(KvAddPrinter(unnamed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(KvAddPrinter(LinePrinter()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRINTER_ALREADY_EXISTS));

  DWORD needed = 0, count = 0;
  EXPECT_FALSE(EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, nullptr, 0, &needed, &count));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 1, buffer.data(), needed,
                            &needed, &count));
  ASSERT_EQ(count, 2u);
  const auto* list = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
  EXPECT_EQ(std::u16string(list[0].pName), KvDefaultPrinterName());
  EXPECT_EQ(std::u16string(list[1].pName), u"P1");

  std::u16string name = u"p1";  // names are matched without regard to case
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  ASSERT_FALSE(GetPrinterW(h, 2, nullptr, 0, &needed));
  buffer.assign(needed, 0);
  ASSERT_TRUE(GetPrinterW(h, 2, buffer.data(), needed, &needed));
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  EXPECT_EQ(std::u16string(info->pPrinterName), u"P1");
  EXPECT_EQ(std::u16string(info->pPortName), u"LPT1:");
  EXPECT_EQ(std::u16string(info->pDriverName), u"Line");
  EXPECT_EQ(std::u16string(info->pLocation), u"Room 12");
  EXPECT_EQ(info->pDevMode->dmPaperSize, 2);
  EXPECT_EQ(info->pDevMode->dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(info->pDevMode->dmPrintQuality, 300);

  // The printer's own forms, a form of no size among them.
  ASSERT_FALSE(EnumFormsW(h, 1, nullptr, 0, &needed, &count));
  buffer.assign(needed, 0);
  ASSERT_TRUE(EnumFormsW(h, 1, buffer.data(), needed, &needed, &count));
  ASSERT_EQ(count, 3u);
  const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
  EXPECT_EQ(std::u16string(forms[1].pName), u"Card");
  EXPECT_EQ(forms[1].Size.cx, 148000);
  EXPECT_EQ(forms[2].Size.cx, 0);
  // Its device mode takes only papers of a size.
  DEVMODEW in{}, out{};
  in.dmSize = sizeof in;
  in.dmFields = DM_PAPERSIZE;
  in.dmPaperSize = 3;
  EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, &out, &in, DM_OUT_BUFFER | DM_IN_BUFFER), 1);
  EXPECT_EQ(out.dmPaperSize, 2);
  in.dmPaperSize = 1;
  EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, &out, &in, DM_OUT_BUFFER | DM_IN_BUFFER), 1);
  EXPECT_EQ(out.dmPaperSize, 1);

  // The default printer cannot go; P1 can, and its open handle then fails.
  EXPECT_FALSE(KvDeletePrinter(KvDefaultPrinterName()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(KvDeletePrinter(u"P1"));
  EXPECT_FALSE(KvDeletePrinter(u"P1"));
  EXPECT_FALSE(GetPrinterW(h, 2, buffer.data(), static_cast<DWORD>(buffer.size()), &needed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_FALSE(EnumFormsW(h, 1, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count));
  EXPECT_LT(DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_FALSE(OpenPrinterW(name.data(), &h, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_EQ(KvCreatePrinterDC(u"P1", nullptr), nullptr);
}

TEST(WinSpool, ADriverMayWriteLessDeviceModeThanItClaims) {
  AddedPrinters guard;
  KvSpoolPrinter shortMode = LinePrinter();
  shortMode.devModeBytes = 72;  // up to dmFields
  ASSERT_TRUE(KvAddPrinter(shortMode));
  std::u16string name = u"P1";
  HANDLE h = nullptr;
  ASSERT_TRUE(OpenPrinterW(name.data(), &h, nullptr));
  EXPECT_EQ(DocumentPropertiesW(nullptr, h, nullptr, nullptr, nullptr, 0), 72);
  std::vector<BYTE> block(sizeof(DEVMODEW), 0xEE);
  ASSERT_EQ(DocumentPropertiesW(nullptr, h, nullptr, reinterpret_cast<DEVMODEW*>(block.data()), nullptr, DM_OUT_BUFFER),
            1);
  // The bytes past the answered size are not touched, while the record claims them all.
  EXPECT_EQ(block[72], 0xEE);
  DEVMODEW head{};
  std::memcpy(&head, block.data(), 72);
  EXPECT_EQ(head.dmSize, sizeof(DEVMODEW));
  ClosePrinter(h);
}

TEST(WinSpool, APrinterOfUnsizedPaperPrintsOnItsFirstSizedForm) {
  AddedPrinters guard;
  kvtest::TempDir dir("winspool");
  KvSpoolPrinter blank = LinePrinter();
  blank.paper = 3;  // the form of no size
  blank.orientation = DMORIENT_PORTRAIT;
  ASSERT_TRUE(KvAddPrinter(blank));
  KvSetPrintFolder(dir.path.string());
  HDC dc = KvCreatePrinterDC(u"P1", nullptr);
  KvSetPrintFolder(std::string());
  ASSERT_NE(dc, nullptr);
  // The Strip form: 100 mm by 50 mm at 300 dots per inch.
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
  EXPECT_NEAR(GetDeviceCaps(dc, HORZSIZE), 100, 1);
  EXPECT_NEAR(GetDeviceCaps(dc, VERTSIZE), 50, 1);
  DeleteDC(dc);
}

}  // namespace
