// The dialog pictures of the main job: the format sheet over the sample
// model's selection is written with one panel per page, and leaves the
// model and the folder as they were but for the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "apps/symhost/hostdialogs.h"
#include "kvcore/sdlg.h"
#include "support/temp_files.h"
#include "win/image.h"
#include "win/winmsgbox.h"

namespace {

TEST(HostDialogs, FormatSheetHasOnePanelPerPage) {
  kvtest::TempDir dir("hostdialogs");
  KvDialogReset();
  KvClearMessageBoxLog();
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_TRUE(SHostWriteDialogPictures(dir.path.string(), written, error)) << error;
  const std::vector<std::string> files = dir.Files();
  EXPECT_EQ(files, (std::vector<std::string>{"dialog-layout.png", "dialog-sheet.png", "format-sheet.png"}));
  KvImage sheet;
  ASSERT_TRUE(KvReadImageFile((dir.path / "format-sheet.png").string(), sheet));
  // Six pages one under the other.
  EXPECT_GT(sheet.height, 6 * 200);
  EXPECT_GT(sheet.height, 3 * sheet.width);
  // The format sheet (shown before the other sheet) was cancelled with
  // every page shown: nothing refused, nothing written to the model.
  const auto& calls = KvDialogCalls();
  const auto format = std::find_if(calls.begin(), calls.end(),
                                   [](const KvDialogCall& c) { return c.caption == SString(u"Symbol Format") && c.templateId == 0; });
  ASSERT_NE(format, calls.end());
  EXPECT_EQ(format->result, IDCANCEL);
  EXPECT_EQ(format->actions.size(), 12u);
  EXPECT_EQ(std::count(format->actions.begin(), format->actions.end(), 0u), std::ptrdiff_t(format->actions.size()));
  EXPECT_TRUE(KvMessageBoxLog().empty());
  KvDialogReset();
}

}  // namespace
