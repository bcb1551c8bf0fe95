// The trees row of the sample sheet: each tree draws, after its node, its
// expand box (a minus while open, a plus once collapsed), its branch line, a
// connector from the box to the line and one from the line to each visible
// child, then the children; the collapsed tree draws its box with a plus
// and nothing of its hidden children.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "apps/symhost/model/hostpackagetree.h"
#include "apps/symhost/sampletrees.h"
#include "support/recording_canvas.h"

namespace {

// Whether the drawing made a level line that ends at (x, y) (within a unit
// either way, for halves) and reaches on to x + `toward` or beyond.
bool LevelLine(const RecordingCanvas& canvas, LONG x, LONG y, LONG toward) {
  for (const std::string& l : canvas.Only("Line ")) {
    long ax = 0, ay = 0, bx = 0, by = 0;
    if (std::sscanf(l.c_str(), "Line %ld %ld %ld %ld", &ax, &ay, &bx, &by) != 4 || ay != by || std::labs(ay - y) > 1)
      continue;
    for (const auto& [near, far] : {std::pair{ax, bx}, std::pair{bx, ax}})
      if (std::labs(near - x) <= 1 && (toward > 0 ? far >= x + toward : far <= x + toward)) return true;
  }
  return false;
}

TEST(SampleTrees, EveryTreeDrawsItsExpandBoxConnectorsAndVisibleChildren) {
  SHostDiagram d;
  const std::vector<ISSymbol*> row = SBuildTreeRow(d);
  std::vector<SHostPackageTree*> trees;
  for (ISSymbol* s : row)
    if (auto* t = dynamic_cast<SHostPackageTree*>(SSymBase::FromInterface(s))) trees.push_back(t);
  ASSERT_EQ(trees.size(), 3u) << "open, dragged and collapsed";

  for (std::size_t i = 0; i < trees.size(); ++i) {
    SCOPED_TRACE(i);
    SHostPackageTree* tree = trees[i];
    const bool collapsed = i == 2;
    RecordingCanvas canvas;
    ASSERT_EQ(tree->Draw(canvas), S_OK);
    const SSymRect box = tree->Tree().GetExpandBox();
    const SSymPoint c = box.GetCenter();
    EXPECT_GE(canvas.IndexOf("Rectangle " + RecordingCanvas::R(box)), 0) << "the expand box";
    EXPECT_GE(canvas.IndexOf("Line " + RecordingCanvas::P(SSymPoint(c.x - 150, c.y)) + " " +
                             RecordingCanvas::P(SSymPoint(c.x + 150, c.y))),
              0)
        << "its minus stroke";
    EXPECT_EQ(canvas.IndexOf("Line " + RecordingCanvas::P(SSymPoint(c.x, c.y - 150)) + " " +
                             RecordingCanvas::P(SSymPoint(c.x, c.y + 150))) >= 0,
              collapsed)
        << "a plus once collapsed";

    SComTable<ISSymbol> children;
    tree->Tree().GetAllChildren(children, 0, 0);
    ASSERT_EQ(children.GetCount(), 3);
    ISSymbol* line = tree->Tree().GetBranchLine();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->IsHidden() != 0, collapsed);
    if (collapsed) {
      EXPECT_EQ(canvas.Only("DrawText").size(), 1u) << "the node's own name only";
      continue;
    }
    // The children hang beside the node: a connector from the box toward
    // them and one from each child's left edge back toward the box.
    EXPECT_TRUE(LevelLine(canvas, box.GetMaxX(), c.y, 1)) << "from the box";
    for (int k = 0; k < children.GetCount(); ++k) {
      const SSymRect r = children.GetAt(k)->GetClipRect(0, 0);
      EXPECT_TRUE(LevelLine(canvas, r.GetMinX(), (r.y1 + r.y2) / 2, -1)) << "to child " << k;
    }
    EXPECT_EQ(canvas.Only("DrawText").size(), 4u) << "the node and its three children";
  }
}

}  // namespace
