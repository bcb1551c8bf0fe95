// Message boxes without a screen: logged, answered from the script in order,
// and by the first button of their set once the script is empty.
#include <gtest/gtest.h>

#include "win/winmsgbox.h"

namespace {

TEST(MessageBox, LoggedAndAnsweredFromTheScriptThenByTheFirstButton) {
  KvSetMessageBoxQuiet(true);
  KvClearMessageBoxLog();
  KvScriptMessageBoxAnswers({IDNO, IDCANCEL});
  EXPECT_EQ(MessageBoxW(nullptr, u"Save?", u"Host", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Go on?", u"Host", MB_OKCANCEL), IDCANCEL);
  struct {
    UINT type;
    int answer;
  } firstButtons[] = {{MB_OK | MB_ICONERROR, IDOK},
                      {MB_OKCANCEL, IDOK},
                      {MB_ABORTRETRYIGNORE, IDABORT},
                      {MB_YESNOCANCEL | MB_ICONWARNING, IDYES},
                      {MB_YESNO, IDYES},
                      {MB_RETRYCANCEL, IDRETRY}};
  for (const auto& c : firstButtons) EXPECT_EQ(MessageBoxW(nullptr, u"x", nullptr, c.type), c.answer) << c.type;
  const auto& log = KvMessageBoxLog();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[0].text, u"Save?");
  EXPECT_EQ(log[0].caption, u"Host");
  EXPECT_EQ(log[0].type, MB_YESNO);
  EXPECT_EQ(log[0].answer, IDNO);
  EXPECT_EQ(log[2].caption, u"Error");  // a null caption reads as the system shows it
  EXPECT_EQ(MessageBoxW(nullptr, nullptr, u"Host", MB_OK), IDOK);  // a null text is an empty one
  EXPECT_EQ(KvMessageBoxLog().back().text, u"");
  KvClearMessageBoxLog();
  EXPECT_TRUE(KvMessageBoxLog().empty());
  KvSetMessageBoxQuiet(false);
}

}  // namespace
