// The print settings record: the user's lasting options and the printer blocks it owns.
#include <gtest/gtest.h>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "sym/render/symprintdata.h"
#include "win/winreg.h"
#include "win/winspool.h"

namespace {

const char16_t* const kNames[5] = {u"PrintDiagNbCopy", u"PrintDiagAllPage", u"PrintDiagFrame", u"PrintDiagCorner",
                                   u"PrintDiagColor"};

TEST(SSymPrintData, OptionsComeFromTheUsersSettings) {
  const struct {
    long stored[5];  // copies, all pages, frame, corner marks, colour; -9 = none stored
    int expected[5];
  } cases[] = {
      {{-9, -9, -9, -9, -9}, {1, 1, 1, 0, 0}},
      {{3, 0, 0, 1, 1}, {3, 0, 0, 1, 1}},
      {{0, -9, -9, -9, -9}, {1, 1, 1, 0, 0}},  // no copies still prints once
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored[0]);
    KvRegReset();
    SRegistry user(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral, 1);
    for (int i = 0; i < 5; ++i)
      if (c.stored[i] != -9) user.WriteProfile(SString(kNames[i]), c.stored[i]);
    const SSymPrintData d;
    const int got[5] = {d.m_nCopies, d.m_bAllPages, d.m_bFrame, d.m_bCorner, d.m_bColor};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(got[i], c.expected[i]) << i;
    EXPECT_EQ(d.m_nScale, 100);
    EXPECT_EQ(d.GetDevMode(), nullptr);
    EXPECT_EQ(d.GetDevNames(), nullptr);
  }
  KvRegReset();
}

TEST(SSymPrintData, AMachineValueStandsInForAMissingUserValue) {
  KvRegReset();
  SRegistry machine(HKEY_LOCAL_MACHINE, SUserRegistry::sApplicationGeneral, 1);
  machine.WriteProfile(SString(u"PrintDiagColor"), 1L);
  const SSymPrintData d;
  EXPECT_EQ(d.m_bColor, 1);
  KvRegReset();
}

TEST(SSymPrintData, EachSetterWritesItsValueAtOnce) {
  KvRegReset();
  {
    SSymPrintData d;
    d.SetNbCopy(7);
    d.SetPrintAllPages(0);
    d.SetPrintFrame(0);
    d.SetPrintCorner(1);
    d.SetPrintColor(1);
  }
  SUserRegistry user(SUserRegistry::sApplicationGeneral);
  const long expected[5] = {7, 0, 0, 1, 1};
  for (int i = 0; i < 5; ++i) {
    long v = -1;
    EXPECT_EQ(user.GetUser().GetProfile(SString(kNames[i]), &v, -1), ERROR_SUCCESS) << i;
    EXPECT_EQ(v, expected[i]) << i;
  }
  KvRegReset();
}

TEST(SSymPrintData, TheRecordFreesTheBlocksItHoldsAndACopyHoldsNone) {
  const std::size_t before = KvGlobalBlockCount();
  {
    SSymPrintData d;
    HGLOBAL first = GlobalAlloc(GHND, 8), second = GlobalAlloc(GHND, 8), names = GlobalAlloc(GHND, 8);
    d.SetDevMode(first);
    d.SetDevMode(first);  // the same block again stays
    EXPECT_EQ(GlobalSize(first), 8u);
    d.SetDevMode(second);  // a new one frees the old
    EXPECT_EQ(GlobalSize(first), 0u);
    d.SetDevNames(names);
    d.m_nSavedScale = 35;
    SSymPrintData copy(d);
    EXPECT_EQ(copy.GetDevMode(), nullptr);
    EXPECT_EQ(copy.GetDevNames(), nullptr);
    EXPECT_EQ(copy.m_nSavedScale, 35);
    // Let go without freeing: the blocks outlive the record.
    HGLOBAL kept = d.GetDevMode();
    d.ForgetPrinterBlocks();
    EXPECT_EQ(GlobalSize(kept), 8u);
    GlobalFree(kept);
    GlobalFree(names);
  }
  EXPECT_EQ(KvGlobalBlockCount(), before);
}

}  // namespace
