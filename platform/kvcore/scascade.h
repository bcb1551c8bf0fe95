// Process-wide switches of cascaded work: g_IsCascadeAllowed (links follow
// the symbols they attach, owners hear of their children) and
// g_IsDefaultAllowed (default placements and values). Both are true at start.
// They change only through their scopes, which save the value, store the new
// one (off unless told otherwise) and restore the saved value once.
#pragma once

#include "kvcore/sflagscope.h"

bool g_IsCascadeAllowed();
bool g_IsDefaultAllowed();

class SetCascadeAllowed : public SFlagScope {
 public:
  explicit SetCascadeAllowed(bool value = false);
};

class SetDefaultAllowed : public SFlagScope {
 public:
  explicit SetDefaultAllowed(bool value = false);
};
