#include <gtest/gtest.h>

#include "kvlib/suserregistry.h"

namespace {

class SUserRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    SRegistry m(HKEY_LOCAL_MACHINE, SUserRegistry::sApplicationGeneral, 1);
    m.WriteProfile(SString("BridgesRadius"), 250L);
    m.WriteProfile(SString("EditInPlace"), SString("No"));
  }
  void TearDown() override { KvRegReset(); }
};

TEST_F(SUserRegistryTest, ReadRuleUserThenMachineCopiedToUser) {
  SUserRegistry reg(SUserRegistry::sApplicationGeneral);
  ASSERT_TRUE(reg.IsUserOpen());
  long v = 0;
  EXPECT_EQ(reg.GetProfile(SString("BridgesRadius"), &v, 400), ERROR_SUCCESS);
  EXPECT_EQ(v, 250);
  // The machine value now lives in the user's copy too.
  SRegistry user(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral);
  EXPECT_EQ(user.GetProfile(SString("BridgesRadius"), &v, 0), ERROR_SUCCESS);
  EXPECT_EQ(v, 250);
  // A user value wins over the machine one.
  EXPECT_EQ(reg.WriteProfile(SString("BridgesRadius"), 10L), ERROR_SUCCESS);
  EXPECT_EQ(reg.GetProfile(SString("BridgesRadius"), &v, 400), ERROR_SUCCESS);
  EXPECT_EQ(v, 10);
  // Absent everywhere: the default and a failure code.
  EXPECT_EQ(reg.GetProfile(SString("DisableGDIDraw"), &v, 0), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(v, 0);
  SString s;
  EXPECT_EQ(reg.GetProfile(SString("PrintDiagHeader"), &s, SString("<There is no value here>")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(s, "<There is no value here>");
}

TEST_F(SUserRegistryTest, WithoutCopyingTheMachineValueIsReadInPlace) {
  SUserRegistry reg(SUserRegistry::sApplicationGeneral, false);
  SString s;
  EXPECT_EQ(reg.GetProfile(SString("EditInPlace"), s, SString("yes")), ERROR_SUCCESS);
  EXPECT_EQ(s, "No");
  EXPECT_EQ(reg.CopyHKLM(SString("EditInPlace")), ERROR_ACCESS_DENIED);
  SRegistry user(HKEY_CURRENT_USER, SUserRegistry::sApplicationGeneral);
  EXPECT_EQ(user.GetProfile(SString("EditInPlace"), s, SString()), ERROR_FILE_NOT_FOUND);
}

TEST_F(SUserRegistryTest, SectionsNestUnderTheRoot) {
  EXPECT_EQ(SUserRegistry::sApplicationGeneral.Left(SUserRegistry::sApplicationRoot.GetLength()),
            SUserRegistry::sApplicationRoot);
  EXPECT_EQ(SUserRegistry::sApplicationDialogPref.Right(1), "\\");
  SUserRegistry reg(SUserRegistry::sApplicationRoot + "ModelOptions\\Tool");
  long v = -1;
  EXPECT_NE(reg.GetProfile(SString("LinkSymbolAttachPointMode"), &v, 0), ERROR_SUCCESS);
  EXPECT_EQ(v, 0);
}

}  // namespace
