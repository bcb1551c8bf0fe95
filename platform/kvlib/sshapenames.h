// The user-interface library's own texts: the display names of the
// predefined shapes. Each text is a hint line, a line feed and the name.
#pragma once

#include "kvlib/slibmodule.h"

// The user-interface library's module state; its string table holds the
// shape names (ids 2707, 2708, 2713 and 2900 to 2953).
SLibModuleState* SKvLibGetModuleState();
