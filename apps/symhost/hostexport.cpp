// The host's export of a diagram to SVG, PNG, EMF and PDF files.
#include "apps/symhost/hostexport.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "apps/symhost/hostpages.h"
#include "apps/symhost/samplediagram.h"
#include "sym/render/symdeftcanv.h"
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

// The picture folder of an SVG document: the document links its pictures
// from there.
fs::path SvgPicturesOf(const fs::path& svg) { return svg.parent_path() / (svg.stem().string() + "_svg_Files"); }

// A new SVG document that links no pictures takes the picture folder of
// the earlier one of its name away with it.
void DropOldSvgPictures(std::vector<SSymStagedFile>& files) {
  const std::size_t n = files.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (files[i].staged.empty() || files[i].target.extension() != ".svg") continue;
    const fs::path pictures = SvgPicturesOf(files[i].target);
    const bool comes = std::any_of(files.begin(), files.end(), [&](const SSymStagedFile& f) { return f.target == pictures; });
    std::error_code ec;
    if (!comes && fs::is_directory(fs::symlink_status(pictures, ec))) files.push_back({fs::path(), pictures});
  }
}

// The smallest text a printed page may carry, in points.
constexpr LONG kSmallestPrintedPoints = 6;

// A canvas that draws nothing and notes the smallest font it is given.
class FontMeter : public SSymDeftCanvas {
 public:
  void SetFont(const SSymFont& font) override {
    SSymDeftCanvas::SetFont(font);
    m_smallest = m_smallest == 0 ? font.GetSize() : std::min(m_smallest, font.GetSize());
  }
  LONG Smallest() const { return m_smallest; }  // points; 0 when no font was set

 private:
  LONG m_smallest = 0;
};

}  // namespace

SHostPdfLayout SHostPlanPdf(const SHostDiagram& diagram) {
  SSymRect used = diagram.GetExtent(kMargin);
  const SSymExportDraw draw = [&diagram](SSymCanvas& canvas) { diagram.Draw(canvas); };
  used.Normalize();
  FontMeter meter;
  draw(meter);
  const LONG smallest = meter.Smallest();
  const long long least = smallest > 0 ? (kSmallestPrintedPoints * 100 + smallest - 1) / smallest : 1;
  const std::vector<SSymRect> boxes = SHostBoxesOf(diagram.Symbols());
  SHostPdfLayout best;
  SHostPagePlacement placed;
  bool any = false;
  for (const short orientation : {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) {
    SPrinterCache printer;
    printer.SetOrientation(orientation);
    const SIZE avail = printer.GetAvailablePageSizeInPoints(0, 0);
    for (int scale = 100; scale >= 1; --scale) {
      if ((kScreenDpi * 100) % scale != 0) continue;
      if (scale < 100 && scale < least) break;  // full size stands even for the smallest texts
      // The page extent as the PDF export computes it.
      const SSymSize page(static_cast<LONG>(std::max<long long>(1, avail.cx * 100LL / scale)),
                          static_cast<LONG>(std::max<long long>(1, avail.cy * 100LL / scale)));
      const SHostPagePlacement p = SHostPlaceOnPages(page, used, boxes);
      const bool better = !any || p.Pages() < placed.Pages() || (p.Pages() == placed.Pages() && p.Cuts() < placed.Cuts()) ||
                          (p.Pages() == placed.Pages() && p.Cuts() == placed.Cuts() && scale > best.scale);
      if (better) {
        any = true;
        placed = p;
        best.orientation = orientation;
        best.scale = scale;
      }
    }
  }
  best.area = SSymRect(used.x1 - placed.x.room, used.y1 + placed.y.room, used.x2, used.y2);
  best.across = placed.across;
  best.down = placed.down;
  return best;
}

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
      const SHostPdfLayout layout = SHostPlanPdf(diagram);
      SSymPrintData print;
      print.m_bFrame = 0;
      print.m_nScale = layout.scale;
      SPrinterCache printer;
      printer.SetOrientation(layout.orientation);
      printer.SetPrintQuality(static_cast<short>(kScreenDpi * 100 / layout.scale));
      hr = SSymExportPdf(path, draw, layout.area, 1, print, printer, SString(), SString(), &message);
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
  if (fs::exists(stage.Path() / pictures, ec)) files.push_back({stage.Path() / pictures, out / pictures});
  DropOldSvgPictures(files);
  std::string why;
  if (SSymPublishTogether(files, &why) != S_OK) {
    error = why;
    return SSYM_E_WRITEFAULT;
  }
  for (const SSymStagedFile& f : files)
    if (!f.staged.empty()) written.push_back({f.target.string(), SizeOf(f.target)});
  return S_OK;
}

SHostStage::~SHostStage() {
  std::error_code ec;
  if (!m_path.empty()) fs::remove_all(m_path, ec);
}

bool SHostStage::Open(const std::string& folder, std::string& error) {
  error.clear();
  const fs::path out(folder);
  SSymRemoveStaleStaging(out);
  const fs::path path = SSymStagingPath(out / "symhost-run");
  std::error_code ec;
  fs::remove_all(path, ec);
  if (!fs::create_directory(path, ec) || ec) {
    error = "The output folder cannot be written: " + folder + (ec ? " (" + ec.message() + ")" : std::string()) +
            "; nothing was written";
    return false;
  }
  m_folder = folder;
  m_path = path.string();
  return true;
}

HRESULT SHostStage::Publish(const std::vector<SHostExportedFile>& staged, std::vector<SHostExportedFile>& published,
                            std::vector<std::string>& removed, std::string& error) {
  published.clear();
  removed.clear();
  error.clear();
  if (m_path.empty()) {
    error = "The run has no working folder; nothing was written";
    return E_UNEXPECTED;
  }
  const fs::path out(m_folder), stage(m_path);
  std::vector<SSymStagedFile> files;
  for (const SHostExportedFile& f : staged) {
    const fs::path from(f.path);
    if (from.parent_path() != stage) {
      error = "A file was written outside the run's working folder: " + f.path + "; nothing was written";
      return E_INVALIDARG;
    }
    files.push_back({from, out / from.filename()});
  }
  DropOldSvgPictures(files);
  std::vector<bool> earlier;
  std::error_code ec;
  for (const SSymStagedFile& f : files) earlier.push_back(fs::exists(fs::symlink_status(f.target, ec)));
  if (SSymPublishTogether(files, &error) != S_OK) return SSYM_E_WRITEFAULT;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].staged.empty())
      removed.push_back(files[i].target.string());
    else
      published.push_back({files[i].target.string(), SizeOf(files[i].target), earlier[i]});
  }
  return S_OK;
}
