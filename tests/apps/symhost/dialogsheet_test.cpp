// The dialog sheet of the main job: one PNG of titled panels, every dialog
// cancelled after its picture; a panel that cannot be built leaves nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "apps/symhost/dialogsheet.h"
#include "support/temp_files.h"
#include "win/image.h"
#include "win/winmsgbox.h"

namespace {

TEST(HostDialogSheet, WritesOnePngOfEveryPanel) {
  kvtest::TempDir dir("dialogsheet");
  KvDialogReset();
  KvClearMessageBoxLog();
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteDialogSheet(dir.path.string(), written, error)) << error;
  EXPECT_EQ(dir.Files(), std::vector<std::string>{"dialogs.png"});
  ASSERT_EQ(written.size(), 1u);
  const std::string path = (dir.path / "dialogs.png").string();
  EXPECT_EQ(written[0].path, path);
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 8u);
  EXPECT_EQ(std::string(bytes.data(), 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(written[0].size, bytes.size());
  KvImage sheet;
  ASSERT_TRUE(KvReadImageFile(path, sheet));
  // The display preferences dialog (440 x 270 dialog units) is the widest.
  EXPECT_GT(sheet.width, 600);
  EXPECT_LT(sheet.width, 2000);
  EXPECT_GT(sheet.height, 400);
  EXPECT_LT(sheet.height, 8000);
  // Not a blank page: the dialogs' faces and texts are painted.
  std::size_t white = 0;
  for (std::uint32_t p : sheet.px) white += (p & 0xFFFFFFu) == 0xFFFFFFu;
  EXPECT_LT(white, sheet.px.size() * 9 / 10);
  // One run per modal panel, each cancelled after its picture (the
  // modeless ones are pictured open).
  const auto& calls = KvDialogCalls();
  const auto modal = std::count_if(SHostDialogPanels().begin(), SHostDialogPanels().end(),
                                   [](const SHostDialogPanel& p) { return p.build != nullptr; });
  ASSERT_EQ(std::ptrdiff_t(calls.size()), modal);
  for (const KvDialogCall& c : calls) {
    EXPECT_EQ(c.result, IDCANCEL);
    for (DWORD a : c.actions) EXPECT_EQ(a, 0u);
  }
  EXPECT_EQ(calls[0].caption, SString(u"Display Preferences"));
  EXPECT_TRUE(KvMessageBoxLog().empty());
  KvDialogReset();
}

TEST(HostDialogSheet, APanelWithoutADialogWritesNothing) {
  kvtest::TempDir dir("dialogsheet");
  KvDialogReset();
  const std::vector<SHostDialogPanel> panels = {{"Swimlane group name", &SHostBuildSwimGroupPanel},
                                                {"Nothing", []() { return SHostPanelDialog(); }}};
  std::vector<SHostExportedFile> written;
  std::string error;
  EXPECT_FALSE(SHostWriteDialogSheet(panels, dir.path.string(), "dialogs", written, error));
  EXPECT_NE(error.find("Nothing"), std::string::npos) << error;
  EXPECT_TRUE(written.empty());
  EXPECT_TRUE(dir.Files().empty());
  KvDialogReset();
}

}  // namespace
