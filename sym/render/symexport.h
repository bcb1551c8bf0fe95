// Exporting a drawing to a file: an enhanced metafile, an SVG document (with
// its pictures as PNG files in a folder beside it) or a bitmap, chosen by the
// file's extension, and a printed PDF document through the printer canvas.
//
// The drawing is given as a function that draws on the canvas it receives
// (the selection's symbols, or whatever the caller draws) and the diagram
// rectangle to export. A file is either written whole or not at all: every
// failure is answered with an error code and a message, and no partly
// written file is left under the chosen name.
#pragma once

#include <functional>

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

// Prints `draw` over `clip` into the PDF file `path`: letter paper with
// margins of one inch, pages of the printable size at the print data's
// scale, laid from the top-left corner of `clip` across and down; each page
// is one StartPage (frame, corner marks, header, footer as `data` and the
// texts ask), the drawing, and EndPage. `pages` (when given) receives the
// number of pages printed.
HRESULT SSymExportPdf(const SString& path, const SSymExportDraw& draw, const SSymRect& clip, int color,
                      const SSymPrintData& data, const SString& header, const SString& footer,
                      SString* error = nullptr, int* pages = nullptr);
