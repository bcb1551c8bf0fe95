// The printed model picture: the host places the model in the page cells
// it prints, so that it takes the fewest pages that hold it at the print
// scale and no page edge cuts a symbol smaller than a page; after the print
// the model, its paper and its scale are as they were.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apps/symhost/hostprint.h"
#include "apps/symhost/model/modelsheet.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "sym/render/symcanvview.h"
#include "win/winreg.h"

namespace {

long long Cells(long long length, long long cell) { return (length + cell - 1) / cell; }

TEST(HostPrint, TheModelTakesTheFewestPagesAndNoEdgeCutsASymbol) {
  KvRegReset();
  // Placed as the print places it.
  SHostDiagram placed;
  SBuildModelSheet(placed);
  SHostModelDiagram* model = placed.Model();
  ASSERT_NE(model, nullptr);
  SHostPlaceForPrint(*model);
  const SSymSize page = model->GetPrintPageExtent();
  ASSERT_GT(page.cx, 0);
  ASSERT_GT(page.cy, 0);
  SSymPaperGrid grid;
  grid.SetPaperSize(page);
  SSymRect used = model->GetClipRect();
  used.Normalize();
  const SSymPoint first = grid.GetPaperCorner(SSymPoint(used.x1, used.y1));
  const SSymPoint last = grid.GetPaperCorner(SSymPoint(used.x2, used.y2));
  const long long across = (static_cast<long long>(last.x) - first.x) / page.cx + 1;
  const long long down = (static_cast<long long>(first.y) - last.y) / page.cy + 1;
  EXPECT_EQ(across, Cells(static_cast<long long>(used.x2) - used.x1 + 1, page.cx));
  EXPECT_EQ(down, Cells(static_cast<long long>(used.y1) - used.y2 + 1, page.cy));
  const std::vector<SSymRect> boxes = SHostPrintedBoxes(*model);
  ASSERT_FALSE(boxes.empty());
  for (const SSymRect& r : boxes) {
    SCOPED_TRACE(std::to_string(r.x1) + " " + std::to_string(r.y1) + " " + std::to_string(r.x2) + " " +
                 std::to_string(r.y2));
    const SSymPoint a = grid.GetPaperCorner(SSymPoint(r.x1, r.y1)), b = grid.GetPaperCorner(SSymPoint(r.x2, r.y2));
    if (r.x2 - r.x1 < page.cx) {
      EXPECT_EQ(a.x, b.x) << "cut by a page's side";
    }
    if (r.y1 - r.y2 < page.cy) {
      EXPECT_EQ(a.y, b.y) << "cut by a page's top or bottom";
    }
  }

  // Printed: as many pages as cells, and the model, its paper and its scale
  // come back.
  if (!kvtest::HaveTool("pdfinfo")) GTEST_SKIP() << "no poppler tools";
  SHostDiagram printed;
  SBuildModelSheet(printed);
  SHostModelDiagram* m = printed.Model();
  const SSymRect before = m->GetClipRect();
  const LONG orientation = m->GetPgOrientation(), scale = m->GetScale();
  kvtest::TempDir dir;
  // A file of the user's under a name the printer might pick stays as it is.
  { std::ofstream(dir.path / "print-1.pdf") << "mine"; }
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostPrintDiagram(printed, dir.path.string(), "model-print", written, error)) << error;
  EXPECT_EQ(kvtest::PdfPages(dir.path / "model-print.pdf"), across * down);
  // No working file of the printer is left beside the document.
  EXPECT_EQ(dir.Files(), (std::vector<std::string>{"model-print.pdf", "print-1.pdf"}));
  std::ifstream mine(dir.path / "print-1.pdf");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(mine), {}), "mine");
  const SSymRect after = m->GetClipRect();
  EXPECT_TRUE(after.x1 == before.x1 && after.y1 == before.y1 && after.x2 == before.x2 && after.y2 == before.y2);
  EXPECT_EQ(m->GetPgOrientation(), orientation);
  EXPECT_EQ(m->GetScale(), scale);
  KvRegReset();
}

// A print that makes no document says why in words, and leaves nothing in
// the folder.
TEST(HostPrint, AFailedPrintSaysWhyInWords) {
  KvRegReset();
  SHostDiagram empty;
  ASSERT_NE(empty.Model(), nullptr);
  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  EXPECT_FALSE(SHostPrintDiagram(empty, dir.path.string(), "model-print", written, error));
  EXPECT_NE(error.find("nothing to print"), std::string::npos) << error;
  EXPECT_EQ(error.find_first_of("0123456789"), std::string::npos) << error;
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(dir.Files().empty());
  KvRegReset();
}

}  // namespace
