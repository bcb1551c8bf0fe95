// The main job's layout sheet: the sample model laid out by the library's
// own layout in a first panel titled "Basic", then by the layout engine in
// a panel per style and placement, and a data model of 300 tables; written
// in four formats.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "apps/symhost/layoutsheet.h"
#include "support/temp_files.h"
#include "sym/layout/symautolayout.h"
#include "win/winreg.h"

namespace {

bool Apart(const SSymRect& a, const SSymRect& b) {
  return a.GetMaxX() < b.GetMinX() || b.GetMaxX() < a.GetMinX() || a.GetMaxY() < b.GetMinY() ||
         b.GetMaxY() < a.GetMinY();
}

TEST(HostLayoutSheet, FirstPanelIsTheOwnLayoutTitledWithItsStyle) {
  KvRegReset();
  SHostDiagram holder;
  const std::vector<SHostLayoutPanel> panels = SBuildLayoutSheet(holder);
  ASSERT_FALSE(panels.empty());
  const SHostLayoutPanel& basic = panels[0];
  EXPECT_EQ(basic.style, SSymAutoLayoutStyle::Basic);
  EXPECT_TRUE(basic.laidOut);
  ASSERT_NE(basic.title, nullptr);
  ASSERT_NE(basic.frame, nullptr);
  SComWrap<ISSymText> title(basic.title);
  ASSERT_FALSE(title.IsNull());
  SString text;
  ASSERT_EQ(title->GetText(text), S_OK);
  EXPECT_EQ(text, SString(u"Basic"));

  // The frame holds the title and every symbol of the model, the title
  // above them all; the model's top-level symbols stand apart.
  const SSymRect frame = basic.frame->GetClipRect(0, 0);
  const SSymRect head = basic.title->GetClipRect(0, 0);
  EXPECT_TRUE(frame.ContainsRect(head));
  SHostModelDiagram* model = holder.Model();
  std::vector<SSymRect> placed;
  for (ISSymbol* s : basic.symbols) {
    const SSymRect r = s->GetClipRect(0, 0);
    EXPECT_TRUE(frame.ContainsRect(r));
    EXPECT_LT(r.GetMaxY(), head.GetMinY());
    if (!model->IsLink(s) && model->Contains(s, 0)) placed.push_back(r);
  }
  ASSERT_GT(placed.size(), 5u);
  for (std::size_t i = 0; i < placed.size(); ++i)
    for (std::size_t j = i + 1; j < placed.size(); ++j) EXPECT_TRUE(Apart(placed[i], placed[j])) << i << " " << j;
  KvRegReset();
}

// Each of the engine's panels ran through the diagram's layout: its title
// names the style (and placement), its figures were counted, the model's
// top-level symbols stand apart, everything lies inside its frame, and no
// two frames overlap.
TEST(HostLayoutSheet, EachPanelLaidOutWithoutOverlapsAndCounted) {
  KvRegReset();
  SHostDiagram holder;
  const std::vector<SHostLayoutPanel> panels = SBuildLayoutSheet(holder);
  using Style = SSymAutoLayoutStyle;
  using Placement = SSymAutoLayoutPlacement;
  struct Want {
    LONG style, placement;
    bool dataModel;
    const char16_t* title;
  };
  const Want wants[] = {
      {Style::Basic, Placement::None, false, u"Basic"},
      {Style::Hierarchic, Placement::TopToBottom, false, u"Hierarchical, Top to Bottom"},
      {Style::Hierarchic, Placement::BottomToTop, false, u"Hierarchical, Bottom to Top"},
      {Style::Hierarchic, Placement::LeftToRight, false, u"Hierarchical, Left to Right"},
      {Style::Hierarchic, Placement::RightToLeft, false, u"Hierarchical, Right to Left"},
      {Style::Organic, Placement::None, false, u"Organic"},
      {Style::Tree, Placement::TopToBottom, false, u"Tree, Top to Bottom"},
      {Style::Snowflake, Placement::None, false, u"Snowflake"},
      {Style::Circular, Placement::Radiation, false, u"Circular, Radiation"},
      {Style::Circular, Placement::Cycle, false, u"Circular, Cycle"},
      {Style::Orthogonal, Placement::TopToBottom, false, u"Orthogonal, Top to Bottom"},
      {Style::Hierarchic, Placement::TopToBottom, true, u"Hierarchical, Top to Bottom"},
  };
  ASSERT_EQ(panels.size(), std::size(wants));
  SHostModelDiagram* model = holder.Model();
  for (std::size_t k = 0; k < panels.size(); ++k) {
    const SHostLayoutPanel& p = panels[k];
    const Want& w = wants[k];
    SCOPED_TRACE(k);
    EXPECT_EQ(p.style, w.style);
    EXPECT_EQ(p.placement, w.placement);
    EXPECT_EQ(p.dataModel, w.dataModel);
    EXPECT_TRUE(p.laidOut);
    ASSERT_NE(p.title, nullptr);
    ASSERT_NE(p.figures, nullptr);
    ASSERT_NE(p.frame, nullptr);
    SString text;
    ASSERT_EQ(SComWrap<ISSymText>(p.title)->GetText(text), S_OK);
    EXPECT_EQ(text, SString(w.title));
    ASSERT_EQ(SComWrap<ISSymText>(p.figures)->GetText(text), S_OK);
    EXPECT_NE(text.ToUtf8().find(" ms, "), std::string::npos) << text.ToUtf8();
    EXPECT_NE(text.ToUtf8().find("crossing"), std::string::npos) << text.ToUtf8();
    EXPECT_GE(p.crossings, 0);
    EXPECT_GT(p.width, 0);
    EXPECT_GT(p.height, 0);
    EXPECT_FALSE(p.links.empty());

    const SSymRect frame = p.frame->GetClipRect(0, 0);
    std::vector<SSymRect> placed;
    for (ISSymbol* s : p.symbols) {
      EXPECT_TRUE(frame.ContainsRect(s->GetClipRect(0, 0)));
      if (!model->IsLink(s) && model->Contains(s, 0)) placed.push_back(s->GetClipRect(0, 0));
    }
    if (w.dataModel) {
      EXPECT_EQ(placed.size(), std::size_t(kHostLayoutDataTables));
    }
    int overlaps = 0;
    for (std::size_t i = 0; i < placed.size(); ++i)
      for (std::size_t j = i + 1; j < placed.size(); ++j) overlaps += Apart(placed[i], placed[j]) ? 0 : 1;
    EXPECT_EQ(overlaps, 0);
    // The counted crossings are the panel's own: its links each belong to it
    // once.
    EXPECT_EQ(std::set<ISSymbol*>(p.links.begin(), p.links.end()).size(), p.links.size());
    for (std::size_t j = 0; j < k; ++j)
      EXPECT_TRUE(Apart(frame, panels[j].frame->GetClipRect(0, 0))) << "frames " << j << " and " << k;
  }
  KvRegReset();
}

TEST(HostLayoutSheet, WrittenInFourFormatsWithTheStyleName) {
  KvRegReset();
  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteLayoutSheet(dir.path.string(), "layout", written, error)) << error;
  ASSERT_EQ(written.size(), 4u);
  for (const SHostExportedFile& f : written) EXPECT_GT(f.size, 0u) << f.path;
  std::ifstream in(dir.path / "layout.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word :
       {"Basic", "Customer", "Order line", "places", "Hierarchical, Top to Bottom", "Organic", "Tree, Top to Bottom",
        "Snowflake", "Circular, Radiation", "Circular, Cycle", "Orthogonal, Top to Bottom", "T300"})
    EXPECT_NE(svg.find(word), std::string::npos) << word;
  KvRegReset();
}

}  // namespace
