// The library frame: entry and exit, the module state, the module-wide flags
// and their scopes.
#pragma once

#include "kvcore/sflagscope.h"
#include "kvcore/smodulestate.h"
#include "win/windef.h"

class SLibModuleState;

// The library's module state (the SModuleState part of the one global module
// object). Every resource, dialog and registry access of the library uses it.
SModuleState* SSymGetModuleState();
// The whole module object (its ATL-like module part included).
SLibModuleState* SSymGetLibModuleState();

// The raw entry hook: runs before every start-up initialiser of the library on
// attach (reason 1) and after every global object is destroyed on detach
// (reason 0). Keeps the instance handle and sends notifications 34 and 37.
// Always returns 1.
BOOL RawDllMainHook(HINSTANCE instance, DWORD reason, LPVOID reserved);
// The entry point: attach and detach work of the library. Always returns 1.
BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
// The instance handle kept by the raw entry hook (null before it ran).
HINSTANCE SSymGetInstanceHandle();

// ---- module-wide flags ---------------------------------------------------------
// Read by the solid-symbol constructors; false at load.
bool g_IsSymbolResized();
// Read by the diagram's symbol insertion; true at load.
bool g_IsSymFirstCreation();

// Scope of g_IsSymbolResized.
class SetSymbolResized : public SFlagScope {
 public:
  explicit SetSymbolResized(bool value);
};

// Scope of g_IsSymFirstCreation.
class SetSymFirstCreation : public SFlagScope {
 public:
  explicit SetSymFirstCreation(bool value);
};
