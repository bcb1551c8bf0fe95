// The loader: LoadLibrary, FreeLibrary, GetProcAddress and friends over dlopen.
//
// Instance handles. A module's instance handle (HINSTANCE, HMODULE) is the
// address at which the loader mapped the module's first page (its ELF header),
// the address that dladdr reports as dli_fbase for any address inside the
// module. LoadLibrary answers that address, and a module finds its own handle
// with KvModuleHandleFromAddress given the address of one of its own
// internal-linkage objects (a module-local marker: a static variable of the
// module, which symbol interposition can never redirect to another module).
// Handles stay valid while the module stays loaded.
//
// Names. "kvsym16.dll"-style names (no folder, ending in ".dll", any case)
// map to "lib<name>.so" in lower case in the folder of the platform libraries
// (the folder of libkvcore.so); if that file does not exist the plain
// "lib<name>.so" is handed to dlopen's own search. Other names (paths,
// ".so" names) go to dlopen unchanged, with '\' read as '/'.
#pragma once

#include <string>

#include "win/windef.h"

using FARPROC = void (*)();

HMODULE LoadLibraryW(LPCWSTR name);
HMODULE LoadLibraryA(LPCSTR name);
inline HMODULE LoadLibrary(LPCWSTR name) { return LoadLibraryW(name); }
// Drops one load made by LoadLibrary; the module unloads when nothing else
// holds it. FALSE for a handle that LoadLibrary did not give (or already
// freed as often as it was loaded).
BOOL FreeLibrary(HMODULE module);
// The address of an exported symbol of a loaded module (null module: the
// whole process), or null.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
// Null: the main program's handle. A name: the handle of that module when it
// is already loaded (the name maps as for LoadLibrary), else null.
HMODULE GetModuleHandleW(LPCWSTR name);
HMODULE GetModuleHandleA(LPCSTR name);
inline HMODULE GetModuleHandle(LPCWSTR name) { return GetModuleHandleW(name); }
// Thread attach and detach notifications do not exist here; the call is
// remembered per module (KvThreadLibraryCallsDisabled) and answers TRUE for a
// non-null handle.
BOOL DisableThreadLibraryCalls(HMODULE module);
// A message number unique to the name (compared without case), from 0xC000
// up; the same name always gives the same number. 0 for a null or empty name.
UINT RegisterWindowMessageW(LPCWSTR name);
UINT RegisterWindowMessageA(LPCSTR name);

// ---- helpers of this platform layer ------------------------------------------
// The instance handle of the module that holds the given address, or null.
HINSTANCE KvModuleHandleFromAddress(const void* address);
// The full path of a module, or empty.
std::string KvModuleFileName(HMODULE module);
// The file that LoadLibrary would open for a name.
std::string KvMapLibraryName(const std::string& name);
// The folder of the platform libraries (no trailing '/').
std::string KvLibraryFolder();
// Why the last LoadLibrary of this thread failed (the loader's message), or
// empty after a success.
std::string KvLastLoadError();
// True once DisableThreadLibraryCalls was called for the module.
bool KvThreadLibraryCallsDisabled(HMODULE module);
