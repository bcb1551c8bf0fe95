// The main job's layout sheet: the sample model laid out by the library's
// own layout in a first panel titled "Basic", written in four formats.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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
  for (const char* word : {"Basic", "Customer", "Order line", "places"}) EXPECT_NE(svg.find(word), std::string::npos) << word;
  KvRegReset();
}

}  // namespace
