#include "kvcore/sloadlib.h"

namespace {
bool g_disabled = false;
}  // namespace

bool DotNetMixedCallerDisabled() { return g_disabled; }

void KvSetMixedCallerDisabled(bool disabled) { g_disabled = disabled; }
