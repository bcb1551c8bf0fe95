// Exports of a drawing to EMF, SVG, PNG, BMP and PDF files.
#include "sym/render/symexport.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>

#include "kvcore/sexception.h"
#include "kvcore/spicture.h"
#include "kvcore/sprintercache.h"
#include "kvcore/sstream.h"
#include "sym/render/symcanvbitmap.h"
#include "sym/render/symcanvmeta.h"
#include "sym/render/symcanvsvg.h"

namespace fs = std::filesystem;

namespace {

HRESULT Fail(SString* error, HRESULT hr, const SString& message) {
  if (error) *error = message;
  return hr;
}

// The extension after the last dot of the file name (not of a folder), lower case.
SString ExtensionOf(const SString& path) {
  int cut = -1;
  for (int i = 0; i < path.GetLength(); ++i)
    if (path.GetAt(i) == u'/' || path.GetAt(i) == u'\\') cut = i;
  const int dot = path.ReverseFind(u'.');
  if (dot <= cut + 1 || dot == path.GetLength() - 1) return SString();
  SString ext = path.Mid(dot + 1);
  ext.MakeLower();
  return ext;
}

// Checks the name and its folder before anything is drawn or written.
HRESULT CheckTarget(const SString& path, fs::path& native, SString* error) {
  if (path.IsEmpty()) return Fail(error, E_INVALIDARG, SString("No file name was given"));
  native = fs::path(KvNativePath(path));
  if (!native.has_filename() || native.filename() == "." || native.filename() == "..")
    return Fail(error, E_INVALIDARG, SString("The file name names no file: ") + path);
  const fs::path folder = native.has_parent_path() ? native.parent_path() : fs::path(".");
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    return Fail(error, SSYM_E_PATHNOTFOUND, SString("The folder does not exist: ") + SString::FromUtf8(folder.string()));
  if (fs::is_directory(native, ec))
    return Fail(error, E_INVALIDARG, SString("The file name is a folder: ") + path);
  SSymRemoveStaleStaging(folder);
  return S_OK;
}

// A file beside the target that keeps its extension, written first and
// renamed over the target once complete.
fs::path TempBeside(const fs::path& target) { return SSymStagingPath(target); }

// The name under which a target is kept while its replacement goes in.
fs::path AsideOf(const fs::path& target) {
  return target.parent_path() / (".~" + std::to_string(::getpid()) + "~" + target.filename().string());
}

// Whether a process of that id runs (or may run: one of another user).
bool ProcessRuns(long pid) {
  if (pid <= 0) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

HRESULT Publish(const fs::path& temp, const fs::path& target, const SString& path, SString* error) {
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return Fail(error, SSYM_E_WRITEFAULT, SString("The file could not be written: ") + path);
  }
  return S_OK;
}

// Runs the caller's drawing; an exception is a failure of the export.
bool RunDraw(const SSymExportDraw& draw, SSymCanvas& canvas, SString& message) {
  if (!draw) return true;
  try {
    draw(canvas);
    return true;
  } catch (const SException& e) {
    message = SString("The drawing failed: ") + e.GetMessage();
  } catch (const std::exception& e) {
    message = SString("The drawing failed: ") + SString::FromUtf8(e.what());
  }
  return false;
}

// Writes the file under a temporary name beside the target (so that a failed
// write leaves no partial file under the chosen name), then gives it the
// target's name.
template <class Write>
HRESULT WriteAndPublish(const SString& path, const fs::path& target, SString* error, const char* failure,
                        Write&& write) {
  const fs::path temp = TempBeside(target);
  if (!write(SString::FromUtf8(temp.string()))) {
    std::error_code ec;
    fs::remove(temp, ec);
    return Fail(error, SSYM_E_WRITEFAULT, SString(failure) + path);
  }
  return Publish(temp, target, path, error);
}

// The white ground of the picture, as the bitmap canvas and the printed page
// have it: without it, a viewer shows the metafile or the SVG document on
// whatever lies behind.
void PaintPaper(SSymCanvas& canvas, SSymRect area) {
  area.Normalize();
  canvas.FillRect(area, SSymBrush(SSymColor(0xFFFFFF)));
}

HRESULT ExportEmf(const SString& path, const fs::path& target, const SSymExportDraw& draw, const SSymRect& clip,
                  int color, SString* error) {
  SSymCanvasMetafile canvas(1);
  canvas.m_bColor = color ? 1 : 0;
  canvas.Lock(clip);
  if (!canvas.IsLocked()) return Fail(error, E_FAIL, SString("The metafile recording could not be started"));
  PaintPaper(canvas, clip);
  SString message;
  const bool drawn = RunDraw(draw, canvas, message);
  SMetaFile mf;
  canvas.Unlock(&mf);
  if (!drawn) return Fail(error, E_FAIL, message);
  if (!mf.IsValid()) return Fail(error, E_FAIL, SString("The metafile recording could not be closed"));
  return WriteAndPublish(path, target, error, "The metafile could not be written: ",
                         [&](const SString& temp) { return mf.SaveMetaFile(temp) != FALSE; });
}

HRESULT ExportSvg(const SString& path, const fs::path& target, const SSymExportDraw& draw, const SSymRect& clip,
                  int color, SString* error) {
  // The pictures go to a staging folder and the document to a temporary
  // file; both move into place together once everything is written, so a
  // failed export leaves the earlier document and its pictures as they were.
  const fs::path pictures = target.parent_path() / (target.stem().string() + "_svg_Files");
  const fs::path stagedPictures = SSymStagingPath(pictures);
  const fs::path stagedDocument = TempBeside(target);
  struct Cleanup {
    fs::path a, b;
    ~Cleanup() {
      std::error_code ec;
      fs::remove_all(a, ec);
      fs::remove(b, ec);
    }
  } cleanup{stagedPictures, stagedDocument};
  std::error_code ec;
  fs::remove_all(stagedPictures, ec);

  SSymCanvasSVG canvas;
  canvas.SetFilePath(path);
  canvas.GetSvg().GetDocument().SetPictureFolder(SString::FromUtf8(stagedPictures.string()));
  if (!canvas.Lock(clip)) return Fail(error, E_FAIL, SString("The SVG document could not be created"));
  canvas.m_bColor = color ? 1 : 0;
  SSymRect paper(clip);
  paper.Normalize();
  paper.Inflate(150, 150);  // the whole document: the canvas grows the area so
  PaintPaper(canvas, paper);
  SString message;
  const bool drawn = RunDraw(draw, canvas, message);
  SSVG svg;
  canvas.Unlock(svg);
  if (!drawn) return Fail(error, E_FAIL, message);
  if (svg.GetDocument().HasPictureFailure()) {
    return Fail(error, SSYM_E_WRITEFAULT,
                SString("A picture of the SVG document could not be written beside ") + path);
  }
  if (svg.SaveDocument(SString::FromUtf8(stagedDocument.string()), 3) == 0)
    return Fail(error, SSYM_E_WRITEFAULT, SString("The SVG document could not be written: ") + path);
  // A document without pictures takes the earlier document's picture folder
  // away with it (never a file of that name).
  const bool hasPictures = fs::is_directory(stagedPictures, ec);
  std::vector<SSymStagedFile> files;
  if (hasPictures || fs::is_directory(fs::symlink_status(pictures, ec)))
    files.push_back({hasPictures ? stagedPictures : fs::path(), pictures});
  files.push_back({stagedDocument, target});
  std::string why;
  if (SSymPublishTogether(files, &why) != S_OK) return Fail(error, SSYM_E_WRITEFAULT, SString::FromUtf8(why));
  return S_OK;
}

HRESULT ExportRaster(const SString& path, const fs::path& target, const SSymExportDraw& draw, const SSymRect& clip,
                     int color, SSymExportKind kind, SString* error) {
  SSymCanvasBitmap canvas;
  canvas.m_bColor = color ? 1 : 0;
  canvas.Lock(clip);
  if (!canvas.IsLocked()) return Fail(error, E_OUTOFMEMORY, SString("The bitmap is too large to be made"));
  SString message;
  const bool drawn = RunDraw(draw, canvas, message);
  SBitmap bitmap;
  canvas.Unlock(&bitmap);
  if (!drawn) return Fail(error, E_FAIL, message);
  if (!bitmap.IsValid()) return Fail(error, E_FAIL, SString("The bitmap was lost"));
  // The temporary name keeps the extension, which picks the encoder: PNG
  // for ".png", BMP for the others.
  (void)kind;
  return WriteAndPublish(path, target, error, "The bitmap could not be written: ",
                         [&](const SString& temp) { return bitmap.SaveBitmap(temp) != FALSE; });
}

}  // namespace

fs::path SSymStagingPath(const fs::path& target) {
  return target.parent_path() / (".~" + std::to_string(::getpid()) + "-" + target.filename().string());
}

void SSymRemoveStaleStaging(const fs::path& folder) {
  std::error_code ec;
  std::vector<fs::path> entries;
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    entries.push_back(it->path());
  for (const fs::path& p : entries) {
    const std::string name = p.filename().string();
    if (name.size() < 4 || name.compare(0, 2, ".~") != 0) continue;
    std::size_t end = 2;
    while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
    if (end == 2 || end > 12 || end + 1 >= name.size() || (name[end] != '-' && name[end] != '~')) continue;
    const long pid = std::strtol(name.substr(2, end - 2).c_str(), nullptr, 10);
    if (pid == ::getpid() || ProcessRuns(pid)) continue;
    std::error_code rc;
    if (name[end] == '~') {
      // Moved aside by a publish that never finished: back under its name
      // when nothing took that name since.
      const fs::path original = folder / name.substr(end + 1);
      if (!fs::exists(fs::symlink_status(original, rc))) {
        fs::rename(p, original, rc);
        if (!rc) continue;
      }
    }
    fs::remove_all(p, rc);
  }
}

HRESULT SSymPublishTogether(const std::vector<SSymStagedFile>& files, std::string* error) {
  auto fail = [&](const std::string& message) {
    if (error) *error = message;
    return SSYM_E_WRITEFAULT;
  };
  if (error) error->clear();
  std::error_code ec;
  // Names of the other kind are refused before anything moves.
  for (const SSymStagedFile& f : files) {
    if (f.staged.empty()) continue;
    const fs::file_status t = fs::symlink_status(f.target, ec);
    if (!fs::exists(t)) continue;
    const bool folderGoesIn = fs::is_directory(f.staged, ec);
    // Nothing has moved yet, and the message says so as a failed move's does.
    const std::string unchanged = "; nothing was written: the folder is as it was";
    if (fs::is_directory(t) && !folderGoesIn)
      return fail("The file name is taken by a folder: " + f.target.string() + unchanged);
    if (!fs::is_directory(t) && folderGoesIn)
      return fail("The folder name is taken by a file: " + f.target.string() + unchanged);
  }
  struct Step {
    const SSymStagedFile* file;
    bool aside = false;   // the earlier target was moved aside
    bool movedIn = false;
  };
  std::vector<Step> done;
  auto undo = [&](const std::string& what) {
    std::string lost;
    for (auto it = done.rbegin(); it != done.rend(); ++it) {
      std::error_code uc;
      if (it->movedIn) {
        fs::rename(it->file->target, it->file->staged, uc);
        if (uc) fs::remove_all(it->file->target, uc);
      }
      if (it->aside) {
        fs::rename(AsideOf(it->file->target), it->file->target, uc);
        if (uc) lost += (lost.empty() ? "" : ", ") + AsideOf(it->file->target).string();
      }
    }
    if (lost.empty()) return fail(what + "; nothing was written: the folder is as it was");
    return fail(what + "; the earlier files could not all be put back: they are kept as " + lost);
  };
  for (const SSymStagedFile& f : files) {
    done.push_back(Step{&f});
    Step& step = done.back();
    if (fs::exists(fs::symlink_status(f.target, ec))) {
      const fs::path aside = AsideOf(f.target);
      fs::remove_all(aside, ec);
      fs::rename(f.target, aside, ec);
      if (ec) return undo("The file could not be replaced: " + f.target.string() + " (" + ec.message() + ")");
      step.aside = true;
    }
    if (f.staged.empty()) continue;
    fs::rename(f.staged, f.target, ec);
    if (ec) return undo("The file could not be moved into place: " + f.target.string() + " (" + ec.message() + ")");
    step.movedIn = true;
  }
  for (const Step& s : done)
    if (s.aside) fs::remove_all(AsideOf(s.file->target), ec);
  return S_OK;
}

SSymExportKind SSymExportKindOf(const SString& path) {
  const SString ext = ExtensionOf(path);
  if (ext.IsEmpty()) return SSymExportKind::None;
  if (ext == "emf") return SSymExportKind::Emf;
  if (ext == "svg") return SSymExportKind::Svg;
  if (ext == "png") return SSymExportKind::Png;
  if (ext == "bmp" || ext == "dib" || ext == "rle") return SSymExportKind::Bmp;
  if (ext == "jpg" || ext == "jpeg" || ext == "gif" || ext == "tif" || ext == "tiff")
    return SSymExportKind::Unsupported;
  return SSymExportKind::Unknown;
}

HRESULT SSymExportImage(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                        SString* error) {
  if (error) error->Empty();
  const SSymExportKind kind = SSymExportKindOf(path);
  switch (kind) {
    case SSymExportKind::None:
      return Fail(error, E_INVALIDARG, SString("The file name has no extension: ") + path);
    case SSymExportKind::Unknown:
      return Fail(error, E_INVALIDARG, SString("The file's extension names no picture format: ") + path);
    case SSymExportKind::Unsupported:
      return Fail(error, E_NOTIMPL,
                  SString("Pictures are written as EMF, SVG, PNG or BMP files; not as ") + ExtensionOf(path));
    default: break;
  }
  fs::path target;
  if (const HRESULT hr = CheckTarget(path, target, error); hr != S_OK) return hr;
  switch (kind) {
    case SSymExportKind::Emf: return ExportEmf(path, target, draw, clip, color, error);
    case SSymExportKind::Svg: return ExportSvg(path, target, draw, clip, color, error);
    default: return ExportRaster(path, target, draw, clip, color, kind, error);
  }
}

HRESULT SSymExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                      const SSymPrintData& data, const SString& header, const SString& footer, SString* error,
                      int* pages) {
  return SSymExportPdf(path, draw, clip, color, data, SPrinterCache(), header, footer, error, pages);
}

HRESULT SSymExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                      const SSymPrintData& data, const SPrinterCache& printer, const SString& header,
                      const SString& footer, SString* error, int* pages) {
  if (error) error->Empty();
  if (pages) *pages = 0;
  fs::path target;
  if (const HRESULT hr = CheckTarget(path, target, error); hr != S_OK) return hr;
  SPrinterCache cache(printer);
  POINT paper = cache.GetPageSize();  // thousandths of an inch
  if (paper.x <= 0 || paper.y <= 0) {
    paper = POINT{8500, 11000};
    cache.SetPageSize(paper);
  }
  const SIZE avail = cache.GetAvailablePageSizeInPoints(0, 0);
  if (avail.cx <= 0 || avail.cy <= 0) return Fail(error, E_FAIL, SString("The page margins leave no room to print"));
  SSymPrintData settings = data;
  if (settings.m_nScale <= 0) settings.m_nScale = 100;
  // The diagram extent of one printed page at the print scale.
  const long long pw = std::max<long long>(1, static_cast<long long>(avail.cx) * 100 / settings.m_nScale);
  const long long ph = std::max<long long>(1, static_cast<long long>(avail.cy) * 100 / settings.m_nScale);
  SSymRect area(clip);
  area.Normalize();
  const long long w = static_cast<long long>(area.x2) - area.x1 + 1, h = static_cast<long long>(area.y1) - area.y2 + 1;
  const long long across = (w + pw - 1) / pw, down = (h + ph - 1) / ph;
  constexpr long long kMaxPages = 10000;
  if (across * down > kMaxPages)
    return Fail(error, E_INVALIDARG, SString("The drawing would take more than 10000 pages at this print scale"));

  const fs::path temp = TempBeside(target);
  const short dpi = cache.GetPrintQuality();
  HDC pdf = dpi > 0 ? KvCreatePdfDC(temp.string().c_str(), paper.x * 72.0 / 1000.0, paper.y * 72.0 / 1000.0, dpi)
                    : KvCreatePdfDC(temp.string().c_str(), paper.x * 72.0 / 1000.0, paper.y * 72.0 / 1000.0);
  if (!pdf) return Fail(error, SSYM_E_WRITEFAULT, SString("The PDF document could not be created: ") + path);
  SString message;
  bool drawn = true;
  int printed = 0;
  {
    SSymCanvasPrinter printer(cache, SString::FromUtf8(target.filename().string()), settings,
                              SSymSize(avail.cx, avail.cy));
    printer.AttachDC(pdf, true);
    printer.m_bColor = color ? 1 : 0;
    if (printer.Lock()) {
      for (long long row = 0; row < down && drawn; ++row) {
        for (long long col = 0; col < across && drawn; ++col) {
          const long long x1 = area.x1 + col * pw, y1 = area.y1 - row * ph;
          const SSymRect page(static_cast<LONG>(x1), static_cast<LONG>(y1), static_cast<LONG>(x1 + pw - 1),
                              static_cast<LONG>(y1 - ph + 1));
          if (!printer.StartPage(page, header, footer)) break;
          drawn = RunDraw(draw, printer, message);
          if (printer.EndPage()) ++printed;
        }
      }
      printer.Unlock();
    }
    if (drawn && !printer.Succeeded()) message = SString("The PDF document could not be written: ") + path;
    if (drawn && printer.Succeeded()) message.Empty();
    if (!drawn || !printer.Succeeded()) {
      std::error_code ec;
      fs::remove(temp, ec);
      return Fail(error, drawn ? SSYM_E_WRITEFAULT : E_FAIL, message);
    }
  }
  if (pages) *pages = printed;
  return Publish(temp, target, path, error);
}
