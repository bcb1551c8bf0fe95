// The print settings record as the user last left it.
#include <gtest/gtest.h>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "sym/render/symcanvprinter.h"
#include "win/winreg.h"

namespace {

TEST(SSymPrintData, LastChoicesComeFromTheUsersSettings) {
  const struct {
    long stored[5];  // copies, all pages, frame, corner marks, colour; -9 = none stored
    int expected[5];
  } cases[] = {
      {{-9, -9, -9, -9, -9}, {1, 1, 1, 0, 1}},
      {{3, 0, 0, 1, 0}, {3, 0, 0, 1, 0}},
      {{0, -9, -9, -9, -9}, {1, 1, 1, 0, 1}},  // no copies still prints once
  };
  const char16_t* names[5] = {u"PrintDiagNbCopy", u"PrintDiagAllPage", u"PrintDiagFrame", u"PrintDiagCorner",
                              u"PrintDiagColor"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored[0]);
    KvRegReset();
    SRegistry user(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral, 1);
    for (int i = 0; i < 5; ++i)
      if (c.stored[i] != -9) user.WriteProfile(SString(names[i]), c.stored[i]);
    const SSymPrintData d = SSymPrintData::LastChoices();
    const int got[5] = {d.m_nCopies, d.m_bAllPages, d.m_bFrame, d.m_bCorner, d.m_bColor};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got[i], c.expected[i]) << i;
    EXPECT_EQ(d.m_nScale, 100);
  }
  KvRegReset();
}

}  // namespace
