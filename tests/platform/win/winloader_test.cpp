#include <gtest/gtest.h>

#include <string>

#include "win/winloader.h"
#include "win/winres.h"

namespace {
const char s_marker = 0;
}

TEST(WinLoader, LibraryNamesMapBesideThePlatformLibraries) {
  const std::string folder = KvLibraryFolder();
  EXPECT_EQ(folder, KV_LIB_DIR);
  EXPECT_EQ(KvMapLibraryName("kvsym16.dll"), folder + "/libkvsym16.so");
  EXPECT_EQ(KvMapLibraryName("KVSYM16.DLL"), folder + "/libkvsym16.so");
  // Not beside the libraries: the plain name goes to the system search.
  EXPECT_EQ(KvMapLibraryName("nosuch16.dll"), "libnosuch16.so");
  EXPECT_EQ(KvMapLibraryName("dir\\libx.so"), "dir/libx.so");
  EXPECT_EQ(KvMapLibraryName("libm.so.6"), "libm.so.6");
}

TEST(WinLoader, LoadLookUpAndFree) {
  EXPECT_EQ(LoadLibraryA("nosuch16.dll"), nullptr);
  EXPECT_NE(KvLastLoadError().find("libnosuch16.so"), std::string::npos) << KvLastLoadError();
  EXPECT_EQ(LoadLibraryW(nullptr), nullptr);
  EXPECT_FALSE(FreeLibrary(nullptr));
  HMODULE m = LoadLibraryA("libm.so.6");
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(KvLastLoadError(), "");
  EXPECT_EQ(LoadLibraryW(u"libm.so.6"), m);  // the same module, counted twice
  EXPECT_NE(GetProcAddress(m, "cos"), nullptr);
  EXPECT_EQ(GetProcAddress(m, "no_such_symbol"), nullptr);
  EXPECT_EQ(GetProcAddress(m, nullptr), nullptr);
  EXPECT_EQ(KvModuleHandleFromAddress(reinterpret_cast<const void*>(GetProcAddress(m, "cos"))), m);
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_TRUE(FreeLibrary(m));
  EXPECT_FALSE(FreeLibrary(m));  // freed as often as loaded
}

TEST(WinLoader, ModuleHandles) {
  HMODULE self = GetModuleHandleW(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(KvModuleHandleFromAddress(&s_marker), self);
  EXPECT_FALSE(KvModuleFileName(self).empty());
  EXPECT_EQ(GetModuleHandleA("nosuch16.dll"), nullptr);
  EXPECT_EQ(KvModuleHandleFromAddress(nullptr), nullptr);
  EXPECT_FALSE(DisableThreadLibraryCalls(nullptr));
  EXPECT_TRUE(DisableThreadLibraryCalls(self));
  EXPECT_TRUE(KvThreadLibraryCallsDisabled(self));
}

TEST(WinLoader, RegisteredMessagesAreUniquePerNameWithoutCase) {
  UINT a = RegisterWindowMessageW(u"MSWHEEL_ROLLMSG");
  UINT b = RegisterWindowMessageW(u"KvTestMessageB");
  EXPECT_GE(a, 0xC000u);
  EXPECT_LE(a, 0xFFFFu);
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterWindowMessageW(u"mswheel_rollmsg"), a);
  EXPECT_EQ(RegisterWindowMessageA("MSWHEEL_ROLLMSG"), a);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
  EXPECT_EQ(RegisterWindowMessageW(nullptr), 0u);
}

TEST(WinRes, ResourcesAreFoundByModuleTypeAndName) {
  HMODULE mod = reinterpret_cast<HMODULE>(const_cast<char*>(&s_marker));
  static const unsigned char bytes[] = {1, 2, 3};
  static const unsigned char other[] = {9};
  EXPECT_FALSE(KvRegisterResource(nullptr, u"METADATA", MAKEINTRESOURCEW(1), bytes, 3));
  {
    KvResourceRegistration reg(mod, u"MetaData", MAKEINTRESOURCEW(1000), bytes, sizeof bytes);
    ASSERT_TRUE(KvRegisterResource(mod, MAKEINTRESOURCEW(10), u"NAMED", other, 1));
    EXPECT_EQ(KvResourceCount(mod), 2);

    HRSRC r = FindResourceW(mod, MAKEINTRESOURCEW(1000), u"METADATA");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(mod, r), 3u);
    EXPECT_EQ(LockResource(LoadResource(mod, r)), bytes);
    EXPECT_EQ(FindResourceA(mod, MAKEINTRESOURCEA(1000), "metadata"), r);
    EXPECT_NE(FindResourceW(mod, u"named", MAKEINTRESOURCEW(10)), nullptr);
    // Wrong id, wrong type, wrong module, bad arguments.
    EXPECT_EQ(FindResourceW(mod, MAKEINTRESOURCEW(1001), u"METADATA"), nullptr);
    EXPECT_EQ(FindResourceW(mod, MAKEINTRESOURCEW(1000), u"BITMAP"), nullptr);
    EXPECT_EQ(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1000), u"METADATA"), nullptr);
    EXPECT_EQ(FindResourceW(mod, nullptr, u"METADATA"), nullptr);
    EXPECT_EQ(LoadResource(mod, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(mod, nullptr), 0u);
    EXPECT_EQ(LockResource(nullptr), nullptr);
  }
  EXPECT_EQ(FindResourceW(mod, MAKEINTRESOURCEW(1000), u"METADATA"), nullptr);
  EXPECT_EQ(KvResourceCount(mod), 1);
  KvUnregisterResources(mod);
  EXPECT_EQ(KvResourceCount(mod), 0);
}
