// The registry: HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE as in-memory trees
// of keys with typed values, loadable from and savable to a text file.
//
// Key names compare without regard to case; sub-keys enumerate in
// case-insensitive name order, values in the order they were first written.
#pragma once

#include <string>

#include "win/windef.h"

using REGSAM = DWORD;
using LSTATUS = LONG;

// ---- Windows error codes (the registry and the spooler answer these) ----
#ifndef KV_WIN_ERROR_CODES
#define KV_WIN_ERROR_CODES
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_INVALID_DATA = 13;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_BADDB = 1009;
constexpr LONG ERROR_KEY_DELETED = 1018;
constexpr LONG ERROR_INVALID_PRINTER_NAME = 1801;
constexpr LONG ERROR_INVALID_FORM_NAME = 1902;
constexpr LONG ERROR_FILE_EXISTS = 80;
constexpr LONG ERROR_INVALID_LEVEL = 124;
#endif

// ---- predefined keys ----
inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000u));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));

// ---- value types ----
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// ---- access and options (accepted, not enforced) ----
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens or creates every missing key of the path below `key`;
// ERROR_INVALID_NAME for a name that holds a line break.
LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options, REGSAM sam,
                        void* security, HKEY* result, DWORD* disposition);
// Opens an existing key; ERROR_FILE_NOT_FOUND when a part of the path is missing.
LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM sam, HKEY* result);
LSTATUS RegCloseKey(HKEY key);
// Size query (data null), read, or ERROR_MORE_DATA with the needed size in *cbData.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName);
// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED when it has some).
LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey);
// cchName counts characters with the terminator on input, without it on output.
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* cchName, DWORD* reserved, LPWSTR keyClass,
                      DWORD* cchClass, void* lastWriteTime);
// The older forms: RegOpenKeyW opens an existing key (ERROR_FILE_NOT_FOUND
// when missing); RegSetValueW sets the unnamed value of `subKey` (created
// when missing; null or empty: `key` itself) to the text in `data`, up to
// its terminator. Only REG_SZ is taken (ERROR_INVALID_PARAMETER otherwise).
LSTATUS RegOpenKeyW(HKEY key, LPCWSTR subKey, HKEY* result);
LSTATUS RegSetValueW(HKEY key, LPCWSTR subKey, DWORD type, LPCWSTR data, DWORD cbData);
LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, DWORD* cchValueName, DWORD* reserved, DWORD* type,
                      BYTE* data, DWORD* cbData);

// ---- the stores as files ----
// Writes both trees as UTF-8 text: a "[HIVE\path]" line per key, then its
// values as `"name"=sz:"text"`, `"name"=dword:0000000a` or `"name"=hex(type):01,02`.
LSTATUS KvRegSaveFile(const std::string& path);
// Replaces both trees by the file's content. ERROR_FILE_NOT_FOUND when the
// file cannot be read, ERROR_BADDB (trees unchanged) when it is malformed.
LSTATUS KvRegLoadFile(const std::string& path);
// Empties both trees (open handles to old keys answer ERROR_KEY_DELETED).
void KvRegReset();
