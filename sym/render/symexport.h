// Exporting a drawing to a file: an enhanced metafile, an SVG document (with
// its pictures as PNG files in a folder beside it) or a bitmap, chosen by the
// file's extension, and a printed PDF document through the printer canvas.
//
// The drawing is given as a function that draws on the canvas it receives
// (the selection's symbols, or whatever the caller draws) and the diagram
// rectangle to export. A file is either written whole or not at all: every
// failure is answered with an error code and a message, and no partly
// written file is left under the chosen name. An SVG document and its
// picture folder are written under work names and moved into place
// together. Each export first removes the work files that killed exports
// left in its folder.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "kvcore/sstring.h"
#include "sym/foundation/symgeom.h"
#include "sym/render/symcanvprinter.h"
#include "win/windef.h"

class SSymCanvas;

using SSymExportDraw = std::function<void(SSymCanvas&)>;

// Result codes besides S_OK, E_INVALIDARG (no file name, no extension, an
// unknown extension), E_NOTIMPL (a raster format this build cannot encode)
// and E_OUTOFMEMORY (a bitmap too large to be made).
constexpr HRESULT SSYM_E_PATHNOTFOUND = HRESULT_FROM_WIN32(3);  // the folder does not exist
constexpr HRESULT SSYM_E_WRITEFAULT = HRESULT_FROM_WIN32(29);   // a file could not be written

// What an extension exports to.
enum class SSymExportKind { None, Emf, Svg, Png, Bmp, Unsupported, Unknown };
// The kind for a file name (its extension, case-insensitive): "emf"; "svg";
// "png"; "bmp", "dib" and "rle" (written as BMP files); "jpg", "jpeg",
// "gif", "tif" and "tiff" are Unsupported; no extension is None.
SSymExportKind SSymExportKindOf(const SString& path);

// Draws `draw` over the rectangle `clip` into the file `path`, in colour
// unless `color` is 0:
//   - "emf": on a metafile canvas, the metafile saved;
//   - "svg": on an SVG canvas whose file path is `path`, saved with options 3;
//   - a raster extension: on a bitmap canvas at 96 pixels per inch, saved as
//     PNG (".png") or BMP.
// A null `draw` exports an empty drawing. `error` (when given) receives a
// message on failure and is emptied on success.
HRESULT SSymExportImage(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                        SString* error = nullptr);

// ---- staging and publishing ----
// Work files of an export carry the id of the process that made them in
// their names: ".~<pid>-<name>" for a file or folder being written,
// ".~<pid>~<name>" for a file or folder moved aside while its replacement
// goes into place.

// The name of a work file for `name` beside it (".~<pid>-<name>").
std::filesystem::path SSymStagingPath(const std::filesystem::path& target);

// Removes from `folder` the work files of processes that no longer run (an
// export that was killed): files and folders being written are deleted;
// one moved aside is put back under its name when that name is free, and
// deleted otherwise. Work files of running processes are left alone.
void SSymRemoveStaleStaging(const std::filesystem::path& folder);

// One file or folder to publish: `staged` goes to `target`; an empty
// `staged` removes `target` (a folder that the new set no longer has).
struct SSymStagedFile {
  std::filesystem::path staged;
  std::filesystem::path target;
};

// Moves the staged files into place all together or not at all. A target
// name taken by something of the other kind (a folder where a file goes, or
// a file where a folder goes) is refused before anything moves. Each target
// that exists is moved aside first and deleted once every file is in
// place; when a move fails, the files moved in are taken out again and
// those moved aside are put back. Answers S_OK, or SSYM_E_WRITEFAULT with a
// message (when `error` is given) that names the file that could not be
// moved, why, and whether the folder was left as it was.
HRESULT SSymPublishTogether(const std::vector<SSymStagedFile>& files, std::string* error);

// Prints `draw` over `clip` into the PDF file `path`: letter paper with
// margins of one inch, pages of the printable size at the print data's
// scale, laid from the top-left corner of `clip` across and down; each page
// is one StartPage (frame, corner marks, header, footer as `data` and the
// texts ask), the drawing, and EndPage. `pages` (when given) receives the
// number of pages printed.
HRESULT SSymExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                      const SSymPrintData& data, const SString& header, const SString& footer,
                      SString* error = nullptr, int* pages = nullptr);
// The same on the paper, orientation, margins and resolution of `printer`
// (the page is a PDF page of the printer's page size; the printer's print
// quality, in dots per inch, is the resolution the drawing is laid out at:
// a pen of one pixel is one dot wide, a hatch repeats every eight dots and
// texts take the integer metrics of that resolution).
HRESULT SSymExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                      const SSymPrintData& data, const SPrinterCache& printer, const SString& header,
                      const SString& footer, SString* error = nullptr, int* pages = nullptr);
