#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_files.h"
#include "win/winreg.h"

namespace {

class WinReg : public ::testing::Test {
 protected:
  void SetUp() override { KvRegReset(); }
  void TearDown() override { KvRegReset(); }
  static HKEY Create(HKEY root, const char16_t* path) {
    HKEY k = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    return k;
  }
  static void SetSz(HKEY k, const char16_t* name, std::u16string text) {
    ASSERT_EQ(RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * 2)),
              ERROR_SUCCESS);
  }
  static void SetDword(HKEY k, const char16_t* name, DWORD v) {
    ASSERT_EQ(RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), ERROR_SUCCESS);
  }
};

TEST_F(WinReg, CreateOpenAndMissingKeys) {
  DWORD disp = 0;
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disp),
            ERROR_SUCCESS);
  EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
  RegCloseKey(k);
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"software\\a\\b\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, &disp),
            ERROR_SUCCESS);
  EXPECT_EQ(disp, REG_OPENED_EXISTING_KEY);  // names compare without case
  RegCloseKey(k);

  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\A\\Nope", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(k, nullptr);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\A", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\A", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(0x1234), u"X", 0, KEY_READ, &k), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
}

TEST_F(WinReg, TypedValuesAndBufferSizes) {
  HKEY k = Create(HKEY_CURRENT_USER, u"S");
  SetSz(k, u"Text", u"h\u00e9llo");
  SetDword(k, u"Num", 0xDEADBEEF);
  const BYTE bin[3] = {1, 0, 255};
  ASSERT_EQ(RegSetValueExW(k, u"Bin", 0, REG_BINARY, bin, 3), ERROR_SUCCESS);
  const char16_t multi[] = u"a\0bc\0";
  ASSERT_EQ(RegSetValueExW(k, u"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi),
            ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(k, u"text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);  // size query
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 12u);
  char16_t small[2];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExW(k, u"Text", nullptr, &type, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 12u);
  char16_t buf[16];
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExW(k, u"Text", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(buf), u"h\u00e9llo");

  DWORD d = 0;
  size = 4;
  ASSERT_EQ(RegQueryValueExW(k, u"Num", nullptr, &type, reinterpret_cast<BYTE*>(&d), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(d, 0xDEADBEEFu);
  BYTE b[8];
  size = 8;
  ASSERT_EQ(RegQueryValueExW(k, u"Bin", nullptr, &type, b, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(b[2], 255);
  EXPECT_EQ(RegQueryValueExW(k, u"Missing", nullptr, &type, b, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(k, u"Bin", nullptr, &type, b, nullptr), ERROR_INVALID_PARAMETER);

  // Overwrite keeps one value and changes its type.
  SetDword(k, u"TEXT", 7);
  size = 4;
  ASSERT_EQ(RegQueryValueExW(k, u"Text", nullptr, &type, reinterpret_cast<BYTE*>(&d), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(RegDeleteValueW(k, u"text"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(k, u"text"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(k);
}

TEST_F(WinReg, EnumerationAndDeletion) {
  HKEY k = Create(HKEY_CURRENT_USER, u"E");
  RegCloseKey(Create(k, u"zeta"));
  RegCloseKey(Create(k, u"Alpha"));
  HKEY child = Create(k, u"mid\\deep");
  SetDword(k, u"second", 2);
  SetDword(k, u"first", 1);

  std::u16string names;
  char16_t name[32];
  DWORD i = 0;
  for (;; ++i) {
    DWORD cch = 32;
    LSTATUS st = RegEnumKeyExW(k, i, name, &cch, nullptr, nullptr, nullptr, nullptr);
    if (st == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(st, ERROR_SUCCESS);
    EXPECT_EQ(cch, std::u16string(name).size());
    names += std::u16string(name) + u",";
  }
  EXPECT_EQ(names, u"Alpha,mid,zeta,");
  DWORD cch = 3;  // "Alpha" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

  DWORD type = 0, d = 0, size = 4;
  cch = 32;
  ASSERT_EQ(RegEnumValueW(k, 0, name, &cch, nullptr, &type, reinterpret_cast<BYTE*>(&d), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"second");  // values in writing order
  EXPECT_EQ(d, 2u);
  cch = 32;
  EXPECT_EQ(RegEnumValueW(k, 2, name, &cch, nullptr, &type, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  EXPECT_EQ(RegDeleteKeyW(k, u"mid"), ERROR_ACCESS_DENIED);  // has a sub-key
  EXPECT_EQ(RegDeleteKeyW(k, u"mid\\deep"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(k, u"mid\\deep"), ERROR_FILE_NOT_FOUND);
  // A handle to a deleted key answers, it does not crash.
  EXPECT_EQ(RegSetValueExW(child, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4), ERROR_KEY_DELETED);
  RegCloseKey(child);
  RegCloseKey(k);
}

TEST_F(WinReg, SaveAndLoadRoundTrip) {
  HKEY k = Create(HKEY_CURRENT_USER, u"Software\\Q \"x\"");
  SetSz(k, u"Quote\"d", u"line1\nline2 \\ \u00e9");
  SetDword(k, u"", 42);
  const BYTE bin[2] = {0xAB, 0x01};
  RegSetValueExW(k, u"Bin", 0, REG_BINARY, bin, 2);
  RegSetValueExW(k, u"Empty", 0, REG_SZ, nullptr, 0);
  RegCloseKey(k);
  RegCloseKey(Create(HKEY_LOCAL_MACHINE, u"Software\\EmptyKey"));

  kvtest::TempDir dir("winreg");
  const std::string path = (dir.path / "winreg_roundtrip.reg").string();
  ASSERT_EQ(KvRegSaveFile(path), ERROR_SUCCESS);
  KvRegReset();
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Q \"x\"", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(KvRegLoadFile(path), ERROR_SUCCESS);

  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Q \"x\"", 0, KEY_READ, &k), ERROR_SUCCESS);
  char16_t buf[64];
  DWORD type = 0, size = sizeof buf;
  ASSERT_EQ(RegQueryValueExW(k, u"Quote\"d", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(buf), u"line1\nline2 \\ \u00e9");
  DWORD d = 0;
  size = 4;
  ASSERT_EQ(RegQueryValueExW(k, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(&d), &size), ERROR_SUCCESS);
  EXPECT_EQ(d, 42u);
  BYTE b[4];
  size = 4;
  ASSERT_EQ(RegQueryValueExW(k, u"Bin", nullptr, &type, b, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(b[0], 0xAB);
  size = 4;
  ASSERT_EQ(RegQueryValueExW(k, u"Empty", nullptr, &type, b, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 0u);
  RegCloseKey(k);
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\EmptyKey", 0, KEY_READ, &k), ERROR_SUCCESS);
  RegCloseKey(k);

  // A malformed file is refused and leaves the trees as they were.
  for (const char* bad : {"\"v\"=dword:1\n", "[HKEY_NOWHERE\\x]\n", "[HKEY_CURRENT_USER\\x]\n\"v\"=hex(3):0g\n",
                          "[HKEY_CURRENT_USER\\x]\n\"v\"=sz:\"unterminated\n"}) {
    std::ofstream(path, std::ios::trunc) << bad;
    EXPECT_EQ(KvRegLoadFile(path), ERROR_BADDB) << bad;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\EmptyKey", 0, KEY_READ, &k), ERROR_SUCCESS);
    RegCloseKey(k);
  }
  std::remove(path.c_str());
  EXPECT_EQ(KvRegLoadFile(path), ERROR_FILE_NOT_FOUND);
}

// A key name with a line break could not be saved in a form that loads
// again: it is refused when made, and a file cannot smuggle one in through
// an over-long UTF-8 form (malformed UTF-8 reads as U+FFFD).
TEST_F(WinReg, KeyNamesHoldNoLineBreaks) {
  HKEY k = nullptr;
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\two\nlines", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_INVALID_NAME);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &k), ERROR_FILE_NOT_FOUND);
  kvtest::TempDir dir("winreg");
  const std::string path = (dir.path / "linebreak.txt").string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "[HKEY_CURRENT_USER\\a\xC0\x8A" "b]\n";
  ASSERT_EQ(KvRegLoadFile(path), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"a\uFFFDb", 0, KEY_READ, &k), ERROR_SUCCESS);
  RegCloseKey(k);
}

// Names in malformed UTF-8 (code points past U+10FFFF, encoded surrogates,
// over-long forms) read as U+FFFD, so what is saved loads back the same.
TEST_F(WinReg, MalformedNamesLoadAndSaveStably) {
  kvtest::TempDir dir("winreg");
  const std::string path = (dir.path / "malformed.txt").string();
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      << "[HKEY_CURRENT_USER\\x\xF5\xF5\xA0\xBD" "y\xED\xA0\x80" "z\xE0\x80\x80]\n\"v\xF4\x90\x80\x80\"=dword:00000001\n";
  ASSERT_EQ(KvRegLoadFile(path), ERROR_SUCCESS);
  auto saved = [&] {
    EXPECT_EQ(KvRegSaveFile(path), ERROR_SUCCESS);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  };
  const std::string first = saved();
  ASSERT_EQ(KvRegLoadFile(path), ERROR_SUCCESS);
  EXPECT_EQ(saved(), first);
  HKEY k = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"x\uFFFD\uFFFD\uFFFD\uFFFDy\uFFFDz\uFFFD", 0, KEY_READ, &k), ERROR_SUCCESS);
  RegCloseKey(k);
}

}  // namespace
