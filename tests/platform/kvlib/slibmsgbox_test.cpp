// The error box of the user-interface library: one OK box with the error
// icon and the text as given.
#include <gtest/gtest.h>

#include "kvlib/slibmsgbox.h"
#include "win/winmsgbox.h"

namespace {

TEST(LibMsgBox, ErrorIsAnOkBoxWithTheErrorIcon) {
  KvSetMessageBoxQuiet(true);
  KvClearMessageBoxLog();
  EXPECT_EQ(SLibMsgBox::Error(SString(u"The auto layout library (x) is not up to date.")), IDOK);
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_EQ(KvMessageBoxLog()[0].text, u"The auto layout library (x) is not up to date.");
  EXPECT_EQ(KvMessageBoxLog()[0].type, MB_OK | MB_ICONERROR);
  KvClearMessageBoxLog();
  KvSetMessageBoxQuiet(false);
}

}  // namespace
