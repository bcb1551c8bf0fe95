// The symbol format sheet's rules: which pages a page mask adds and on
// which templates, and what the line page's combo entries mean (pen styles,
// widths, corners with the perpendicular arrow, arrowheads) both ways.
#include <gtest/gtest.h>

#include <vector>

#include "sym/dialogs/symdialog.h"
#include "sym/dialogs/symdlgline.h"

namespace {

using D = SSymDialog;
using L = SSymDlgLine;

std::vector<UINT> TemplatesOf(DWORD mask) {
  std::vector<D::PageChoice> pages;
  EXPECT_EQ(D::ChoosePages(mask, pages), S_OK) << mask;
  std::vector<UINT> out;
  for (const auto& p : pages) {
    EXPECT_EQ(p.templateId, D::TemplateOf(p.page, (mask & D::MaskTemplateMode) != 0));
    out.push_back(p.templateId);
  }
  return out;
}

TEST(SSymDialog, PagesComeFromTheMaskInTabOrder) {
  const struct {
    DWORD mask;
    std::vector<UINT> templates;
  } cases[] = {
      {0, {}},
      {0x100, {147}},  // the size page for its adjustment alone
      {0x80 | 0x100, {147}},  // and once for both
      {0x2000 | 0x80, {200}},  // template mode
      {0x1 | 0x2 | 0x4 | 0x400, {142}},  // editing options add no page
      {0x20, {}},
      {0x1000 | 0x200 | 0x40 | 0x1 | 0x80, {147, 142, 104, 144, 190}},
      {0x3FFF, {200, 201, 202, 203, 204, 144, 205, 190}},  // text alignment and content keep theirs
      {0x3FFF & ~0x2000u, {147, 142, 141, 143, 104, 144, 150, 190}},
  };
  for (const auto& c : cases) EXPECT_EQ(TemplatesOf(c.mask), c.templates) << std::hex << c.mask;
}

TEST(SSymDialog, MaskWithUnknownBitsAddsNoPage) {
  for (DWORD mask : {0x4000u, 0x4001u, 0x80000000u, 0xFFFFFFFFu}) {
    std::vector<D::PageChoice> pages = {{D::Line, 142}};
    EXPECT_EQ(D::ChoosePages(mask, pages), E_INVALIDARG) << std::hex << mask;
    EXPECT_TRUE(pages.empty());
  }
}

TEST(SSymDialog, PagesKnowTheirCategory) {
  const struct {
    D::Page page;
    int category;
  } cases[] = {
      {D::Size, SSymAllowOption::SIZE},
      {D::Line, SSymAllowOption::LINE},
      {D::Fill, SSymAllowOption::FILL},
      {D::Shadow, SSymAllowOption::SHADOW},
      {D::Font, SSymAllowOption::FONT},
      {D::CustomShape, SSymAllowOption::SHAPE},
      {D::Content, SSymAllowOption::CONTENT},
      {D::TextAlign, -1},
      {D::Page(-1), -1},
      {D::PageCount, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(D::CategoryOf(c.page), c.category) << c.page;
  EXPECT_EQ(D::TemplateOf(D::PageCount, false), 0u);
}

TEST(SSymDlgLine, PenStylesAndTheirEntries) {
  const struct {
    LONG style;
    int index;
  } both[] = {{0, 0}, {7, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}};
  for (const auto& c : both) {
    EXPECT_EQ(L::StyleToIndex(c.style), c.index) << c.style;
    EXPECT_EQ(L::IndexToStyle(c.index), c.style) << c.index;
  }
  for (LONG style : {6, 8, -1, 100}) EXPECT_EQ(L::StyleToIndex(style), -1) << style;
  for (int index : {-1, 7, 50}) EXPECT_EQ(L::IndexToStyle(index), -1) << index;
}

TEST(SSymDlgLine, WidthsAndTheirEntries) {
  // Each entry's width shows that entry again.
  const LONG widths[] = {0, 150, 225, 300, 375, 450, 299, 374, 449, 524};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(L::IndexToWidth(i), widths[i]) << i;
    EXPECT_EQ(L::WidthToIndex(widths[i], L::WidthCount(false)), i) << widths[i];
  }
  const struct {
    LONG width;
    bool withFill;
    int index;
  } cases[] = {
      {299, false, 6},         {150, false, 1}, {0, false, 0},  {299, true, -1},  // only six widths with a fill page
      {150, true, 1},          {-1, false, -1}, {1, false, -1}, {100, false, 0},
      {225, true, 2},  // 76 to 149 show the thinnest
      {2147483647, false, -1},  // the widest long does not wrap round
  };
  for (const auto& c : cases) EXPECT_EQ(L::WidthToIndex(c.width, L::WidthCount(c.withFill)), c.index) << c.width;
  EXPECT_EQ(L::WidthCount(true), 6);
  for (int index : {-1, 10, 11}) EXPECT_EQ(L::IndexToWidth(index), -1) << index;
}

TEST(SSymDlgLine, CornersAndThePerpendicularArrow) {
  const struct {
    LONG shape;
    int corner;
    bool perpendicular;
  } shown[] = {
      {0, 0, false}, {1, 1, false},  {2, 2, false},  {3, 3, false},  {11, 3, true},  // Bézier with perpendicular arrows
      {8, 0, true},  {4, -1, false}, {5, -1, false}, {12, -1, true}, {-1, -1, false},
  };
  for (const auto& c : shown) {
    EXPECT_EQ(L::ShapeToCornerIndex(c.shape), c.corner) << c.shape;
    EXPECT_EQ(L::HasPerpendicular(c.shape), c.perpendicular) << c.shape;
  }
  const struct {
    int corner;
    bool checked;
    LONG shape;
    bool takes;
  } chosen[] = {
      {0, false, 0, true}, {0, true, 8, true},  {1, true, 1, false},   {2, true, 2, false},  // rounded drops the arrow
      {3, true, 11, true}, {3, false, 3, true}, {4, false, -1, false}, {-1, true, -1, false},
  };
  for (const auto& c : chosen) {
    EXPECT_EQ(L::CornerToShape(c.corner, c.checked), c.shape) << c.corner;
    EXPECT_EQ(L::CornerTakesPerpendicular(c.corner), c.takes) << c.corner;
  }
}

TEST(SSymDlgLine, ArrowheadsAndTheirEntries) {
  EXPECT_EQ(L::ArrowRowCount(L::Source), 40);
  EXPECT_EQ(L::ArrowRowCount(L::Destination), 40);
  EXPECT_EQ(L::ArrowRowCount(L::Centre), 22);
  const struct {
    L::End end;
    LONG type;
    int index;
  } cases[] = {
      {L::Source, -1, 0},  {L::Source, 24, 1},  {L::Source, 0, 2},   {L::Source, 30, 40}, {L::Destination, 70, 30},
      {L::Centre, 41, 21}, {L::Centre, 42, 22}, {L::Centre, 26, 20}, {L::Centre, 27, 0},  // a type the centre does not
                                                                                          // offer shows Notation
      {L::Source, 41, 0},  {L::Source, 255, 0},  // mixed
  };
  for (const auto& c : cases) EXPECT_EQ(L::ArrowToIndex(c.end, c.type), c.index) << c.end << " " << c.type;
  // Every entry gives back a type that shows the same entry.
  for (L::End end : {L::Source, L::Centre, L::Destination})
    for (int i = 0; i <= L::ArrowRowCount(end); ++i) EXPECT_EQ(L::ArrowToIndex(end, L::IndexToArrow(end, i)), i);
  EXPECT_EQ(L::IndexToArrow(L::Centre, 21), 41);
  EXPECT_EQ(L::IndexToArrow(L::Source, 0), -1);
  EXPECT_EQ(L::IndexToArrow(L::Source, 41), -2);
  EXPECT_EQ(L::IndexToArrow(L::Centre, 23), -2);
  EXPECT_EQ(L::IndexToArrow(L::Source, -1), -2);
  EXPECT_EQ(L::IndexToArrow(L::End(3), 1), -2);
}

}  // namespace
