// The host's export of a diagram to SVG, PNG, EMF and PDF files.
#include "apps/symhost/hostexport.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "apps/symhost/samplediagram.h"
#include "sym/render/symexport.h"

namespace fs = std::filesystem;

namespace {

// The margin around the symbols in the exported pictures (a quarter inch).
constexpr LONG kMargin = kHostExportMargin;
// The resolution of the screen the bitmap is drawn for (pixels per inch).
constexpr int kScreenDpi = 96;

// A failure before anything moved into place: the message says so.
HRESULT Fail(std::string& error, HRESULT hr, std::string message) {
  error = std::move(message) + "; nothing was written";
  return hr;
}

std::uintmax_t SizeOf(const fs::path& p) {
  std::error_code ec;
  if (!fs::is_directory(p, ec)) {
    const std::uintmax_t n = fs::file_size(p, ec);
    return ec ? 0 : n;
  }
  std::uintmax_t total = 0;
  for (auto it = fs::recursive_directory_iterator(p, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file(ec)) total += it->file_size(ec);
  return total;
}

// A working folder inside the output folder, removed with what it holds
// unless released.
class Staging {
 public:
  explicit Staging(fs::path p) : m_path(std::move(p)) {}
  ~Staging() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

// The printer settings for the sheet: letter paper turned to landscape when
// the sheet is wider than tall, the print scale (percent) that puts it
// whole on one page, and a resolution at which one pixel of the bitmap is
// one printer dot: pens and hatches come out as wide and as close as on the
// screen, and texts take the screen's integer metrics, so the page shows the
// bitmap's picture scaled to fit.
int FitOnOnePage(const SSymRect& r, SPrinterCache& printer) {
  const long long w = static_cast<long long>(r.x2) - r.x1 + 1, h = static_cast<long long>(r.y1) - r.y2 + 1;
  if (w > h) printer.SetOrientation(DMORIENT_LANDSCAPE);
  const SIZE avail = printer.GetAvailablePageSizeInPoints(0, 0);
  long long scale = 100;
  if (w > 0 && avail.cx > 0) scale = std::min(scale, avail.cx * 100LL / w);
  if (h > 0 && avail.cy > 0) scale = std::min(scale, avail.cy * 100LL / h);
  // A scale that divides the screen's 9600 exactly: the resolution is then
  // whole and the drawing's scale on the page is the bitmap's to the last
  // bit, so every font is realised at the screen's pixel height.
  scale = std::max(1LL, scale);
  while (scale > 1 && (kScreenDpi * 100) % scale != 0) --scale;
  printer.SetPrintQuality(static_cast<short>(kScreenDpi * 100 / scale));
  return static_cast<int>(scale);
}

}  // namespace

HRESULT SHostExportDiagram(const SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           std::vector<SHostExportedFile>& written, std::string& error) {
  written.clear();
  error.clear();
  if (folder.empty()) return Fail(error, E_INVALIDARG, "No output folder was given");
  if (base.empty() || base.find('/') != std::string::npos)
    return Fail(error, E_INVALIDARG, "The file name is not a plain name: \"" + base + "\"");
  const fs::path out(folder);
  std::error_code ec;
  if (fs::exists(out, ec) && !fs::is_directory(out, ec))
    return Fail(error, SSYM_E_PATHNOTFOUND, "The output folder is a file: " + folder);
  fs::create_directories(out, ec);
  if (ec || !fs::is_directory(out))
    return Fail(error, SSYM_E_PATHNOTFOUND, "The output folder cannot be made: " + folder + " (" + ec.message() + ")");

  // What killed runs left behind goes first; this run's working folder
  // carries its process id, so a later run can tell when it is stale.
  SSymRemoveStaleStaging(out);
  const fs::path stagePath = SSymStagingPath(out / "symhost");
  fs::remove_all(stagePath, ec);
  if (!fs::create_directory(stagePath, ec) || ec)
    return Fail(error, SSYM_E_WRITEFAULT,
                "The output folder cannot be written: " + folder + (ec ? " (" + ec.message() + ")" : std::string()));
  Staging stage(stagePath);

  const SSymRect extent = diagram.GetExtent(kMargin);
  const SSymExportDraw draw = [&diagram](SSymCanvas& canvas) { diagram.Draw(canvas); };
  const char* const kinds[] = {".svg", ".png", ".emf", ".pdf"};
  for (const char* ext : kinds) {
    const SString path = SString::FromUtf8((stage.Path() / (base + ext)).string());
    SString message;
    HRESULT hr;
    if (std::string(ext) == ".pdf") {
      SSymPrintData print;
      print.m_bFrame = 0;
      SPrinterCache printer;
      print.m_nScale = FitOnOnePage(extent, printer);
      hr = SSymExportPdf(path, draw, extent, 1, print, printer, SString(), SString(), &message);
    } else {
      hr = SSymExportImage(path, draw, extent, 1, &message);
    }
    if (hr != S_OK) {
      const std::string target = (out / (base + ext)).string();
      return Fail(error, FAILED(hr) ? hr : E_FAIL,
                  "The " + std::string(ext + 1) + " file could not be written: " + target + ": " +
                      (message.IsEmpty() ? std::string("failed") : message.ToUtf8()));
    }
  }

  // Everything is written: the four files (and the SVG pictures) move into
  // place together, or the folder is left as it was. A document without
  // pictures takes the pictures of an earlier one away.
  std::vector<SSymStagedFile> files;
  for (const char* ext : kinds) files.push_back({stage.Path() / (base + ext), out / (base + ext)});
  const fs::path pictures(base + "_svg_Files");
  if (fs::exists(stage.Path() / pictures, ec))
    files.push_back({stage.Path() / pictures, out / pictures});
  else if (fs::is_directory(fs::symlink_status(out / pictures, ec)))
    files.push_back({fs::path(), out / pictures});
  std::string why;
  if (SSymPublishTogether(files, &why) != S_OK) {
    error = why;
    return SSYM_E_WRITEFAULT;
  }
  for (const SSymStagedFile& f : files)
    if (!f.staged.empty()) written.push_back({f.target.string(), SizeOf(f.target)});
  return S_OK;
}
