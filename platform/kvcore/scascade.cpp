#include "kvcore/scascade.h"

namespace {
bool s_cascadeAllowed = true;
bool s_defaultAllowed = true;
bool s_initLineTextOffset = true;
}  // namespace

bool g_IsCascadeAllowed() { return s_cascadeAllowed; }
bool g_IsDefaultAllowed() { return s_defaultAllowed; }
bool g_IsInitLineTextOffset() { return s_initLineTextOffset; }

SetCascadeAllowed::SetCascadeAllowed(bool value) : SFlagScope(s_cascadeAllowed, value) {}
SetDefaultAllowed::SetDefaultAllowed(bool value) : SFlagScope(s_defaultAllowed, value) {}
SetInitLineTextOffset::SetInitLineTextOffset(bool value) : SFlagScope(s_initLineTextOffset, value) {}
