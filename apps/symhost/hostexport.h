// The host's export of a diagram to the four files of its output folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/windef.h"

class SHostDiagram;

// One file (or the picture folder of the SVG document) that an export wrote.
// The margin the exports leave around what the symbols cover (diagram units).
inline constexpr LONG kHostExportMargin = 1800;

struct SHostExportedFile {
  std::string path;
  std::uintmax_t size = 0;  // in bytes; for a folder, the sum of its files
};

// Writes `diagram` into `folder` (made when missing) as <base>.svg (with
// its picture folder <base>_svg_Files when it has pictures), <base>.png,
// <base>.emf and <base>.pdf, the PDF on one page of letter paper. The files
// are written whole into a working folder inside `folder` first and moved
// into place together only when all four are complete: when one cannot be
// moved, those already moved are taken out and the files they replaced put
// back, so a failure leaves the folder as it was. Answers S_OK and the
// files written, or the failure's code with a message in `error` that says
// what failed and what became of the folder.
HRESULT SHostExportDiagram(const SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           std::vector<SHostExportedFile>& written, std::string& error);
