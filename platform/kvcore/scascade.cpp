#include "kvcore/scascade.h"

namespace {
bool s_cascadeAllowed = true;
bool s_defaultAllowed = true;
}  // namespace

bool g_IsCascadeAllowed() { return s_cascadeAllowed; }
bool g_IsDefaultAllowed() { return s_defaultAllowed; }

SetCascadeAllowed::SetCascadeAllowed(bool value) : SFlagScope(s_cascadeAllowed, value) {}
SetDefaultAllowed::SetDefaultAllowed(bool value) : SFlagScope(s_defaultAllowed, value) {}
