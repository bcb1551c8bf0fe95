// The host's export of a diagram to the four files of its output folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sym/foundation/symgeom.h"
#include "win/windef.h"

class SHostDiagram;

// One file (or the picture folder of the SVG document) that an export wrote.
// The margin the exports leave around what the symbols cover (diagram units).
inline constexpr LONG kHostExportMargin = 1800;

struct SHostExportedFile {
  std::string path;
  std::uintmax_t size = 0;  // in bytes; for a folder, the sum of its files
  bool replaced = false;    // it took the place of an earlier file (or folder) of its name
};

// The working folder of one run of the host: every step writes its files
// into Path() (never into the output folder itself), and Publish moves all
// of them into the output folder together once every step succeeded, so
// that a run that fails anywhere leaves the folder as it was. The working
// folder carries the process id (SSymStagingPath): the next run removes it
// when this one was killed; it is removed with what was not published when
// the stage goes.
class SHostStage {
 public:
  SHostStage() = default;
  ~SHostStage();
  SHostStage(const SHostStage&) = delete;
  SHostStage& operator=(const SHostStage&) = delete;

  // Makes the working folder inside the output folder `folder` (which
  // exists), removing first those that killed runs left. False with the
  // reason in `error`.
  bool Open(const std::string& folder, std::string& error);
  // Where the steps write their files (empty before Open).
  const std::string& Path() const { return m_path; }

  // Moves each of `staged` (files and folders that the steps wrote
  // directly inside Path()) to its name in the output folder, all together
  // or none: on success `published` holds them under their new paths (with
  // `replaced` set where an earlier one was replaced) and `removed` the
  // SVG picture folders taken away because the new SVG document of their
  // name links none; on failure `error` says what failed and what became of
  // the folder.
  HRESULT Publish(const std::vector<SHostExportedFile>& staged, std::vector<SHostExportedFile>& published,
                  std::vector<std::string>& removed, std::string& error);

 private:
  std::string m_folder;
  std::string m_path;
};

// Writes `diagram` into `folder` (made when missing) as <base>.svg (with
// its picture folder <base>_svg_Files when it has pictures), <base>.png,
// <base>.emf and <base>.pdf, the PDF on letter paper as SHostPlanPdf lays it. The files
// are written whole into a working folder inside `folder` first and moved
// into place together only when all four are complete: when one cannot be
// moved, those already moved are taken out and the files they replaced put
// back, so a failure leaves the folder as it was. Answers S_OK and the
// files written, or the failure's code with a message in `error` that says
// what failed and what became of the folder.
HRESULT SHostExportDiagram(const SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           std::vector<SHostExportedFile>& written, std::string& error);

// How the PDF of a diagram goes on letter paper: portrait or landscape, at
// a print scale (percent) that keeps every text the drawing sets at six
// points or more, on the fewest pages, whose edges cut the fewest symbols,
// at the largest such scale up to full size: a diagram that a page holds
// fills it, a larger one is split over pages. The scales divide the
// screen's 9600, so that the resolution at which one pixel of the bitmap is
// one printer dot is whole: pens and hatches come out as wide and as close
// as on the screen, and texts take the screen's integer metrics. `area` is
// the diagram's extent (with the export's margin) grown in front, so that
// the pages tiled from its top-left corner put their edges where they cut
// the fewest symbols; the pages run across, then down.
struct SHostPdfLayout {
  short orientation = 1;  // DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE
  int scale = 100;
  SSymRect area;
  long long across = 1, down = 1;
};
SHostPdfLayout SHostPlanPdf(const SHostDiagram& diagram);
