#include <gtest/gtest.h>

#include "kvcore/sregistry.h"

namespace {

TEST(SRegistry, InitReadWriteAndEnumerate) {
  KvRegReset();
  SRegistry r;
  EXPECT_EQ(r.Init(HKEY_CURRENT_USER, SString("App\\Old"), 0), -ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(r.IsOpen());
  long n = 5;
  EXPECT_EQ(r.GetProfile(SString("x"), &n, 9), ERROR_INVALID_HANDLE);  // closed: default, no crash
  EXPECT_EQ(n, 9);

  ASSERT_EQ(r.Init(HKEY_CURRENT_USER, SString("App\\Old"), 1), 0);
  EXPECT_EQ(r.WriteProfile(SString("Name"), SString("value")), ERROR_SUCCESS);
  EXPECT_EQ(r.WriteProfile(SString("Count"), -3L), ERROR_SUCCESS);
  EXPECT_EQ(r.WriteProfile(SString("Digits"), SString(" 12")), ERROR_SUCCESS);
  SRegistry sub(HKEY_CURRENT_USER, SString("App\\Old\\Child"), 1);

  SString s;
  EXPECT_EQ(r.GetProfile(SString("name"), s, SString("d")), ERROR_SUCCESS);
  EXPECT_EQ(s, "value");
  EXPECT_EQ(r.GetProfile(SString("Count"), &n, 0), ERROR_SUCCESS);
  EXPECT_EQ(n, -3);
  EXPECT_EQ(r.GetProfile(SString("Count"), s, SString()), ERROR_SUCCESS);
  EXPECT_EQ(s, "-3");
  EXPECT_EQ(r.GetProfile(SString("Digits"), &n, 0), ERROR_SUCCESS);
  EXPECT_EQ(n, 12);
  EXPECT_EQ(r.GetProfile(SString("Missing"), s, SString("dflt")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(s, "dflt");

  SString names;
  SString name, value;
  DWORD type = 0, i = 0;
  while (r.GetEnumValue(i++, name, value, type) == ERROR_SUCCESS) names += name + "=" + value + ";";
  EXPECT_EQ(names, "Name=value;Count=-3;Digits= 12;");
  EXPECT_EQ(r.GetEnumKey(0, name), ERROR_SUCCESS);
  EXPECT_EQ(name, "Child");
  EXPECT_EQ(r.GetEnumKey(1, name), ERROR_NO_MORE_ITEMS);
  r.Done();
  r.Done();
  KvRegReset();
}

}  // namespace
