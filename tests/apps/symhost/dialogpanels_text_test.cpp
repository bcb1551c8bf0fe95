// The text and fit-to-page dialogs opened for the host's picture sheet:
// each panel's window is made without a screen and paints into a PNG of the
// dialog's size; the panels leave no window behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "apps/symhost/dialogpanels_text.h"
#include "support/temp_files.h"
#include "win/image.h"
#include "win/winctrl.h"
#include "win/winuser.h"

namespace {

TEST(HostDialogPanelsText, EachPanelPaintsItsDialog) {
  kvtest::TempDir dir("dialogpanels_text");
  const struct {
    const char* name;
    std::unique_ptr<SHostDialogPanelText> (*open)(std::string&);
    const char16_t* title;
  } panels[] = {
      {"text", &SHostOpenTextDialogPanel, u"Text"},
      {"fit", &SHostOpenFitToPageDialogPanel, u"Fit to Page"},
  };
  for (const auto& p : panels) {
    const std::size_t before = KvWindowCount();
    {
      std::string error;
      std::unique_ptr<SHostDialogPanelText> panel = p.open(error);
      ASSERT_NE(panel, nullptr) << p.name << ": " << error;
      const HWND h = panel->Window();
      ASSERT_TRUE(::IsWindow(h)) << p.name;
      std::u16string title(32, u'\0');
      title.resize(std::size_t(::GetWindowTextW(h, title.data(), 32)));
      EXPECT_EQ(title, p.title);
      const std::string png = (dir.path / (std::string(p.name) + ".png")).string();
      ASSERT_TRUE(KvSaveWindowTreePng(h, png.c_str())) << p.name;
      KvImage image;
      ASSERT_TRUE(KvReadImageFile(png, image));
      // The dialog's face: at least its client area, at most its window.
      RECT window{}, client{};
      ::GetWindowRect(h, &window);
      ::GetClientRect(h, &client);
      EXPECT_GE(image.width, client.right) << p.name;
      EXPECT_LE(image.width, window.right - window.left) << p.name;
      EXPECT_GE(image.height, client.bottom) << p.name;
      EXPECT_LE(image.height, window.bottom - window.top) << p.name;
      EXPECT_GT(image.width, 200);
    }
    EXPECT_EQ(KvWindowCount(), before) << p.name;
  }
}

}  // namespace
