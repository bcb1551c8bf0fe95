// Process-wide switches of cascaded work: g_IsCascadeAllowed (links follow
// the symbols they attach, owners hear of their children) and
// g_IsDefaultAllowed (default placements and values), and
// g_IsInitLineTextOffset (misplaced line labels go back to their automatic
// place when their line changes). All are true at start.
// They change only through their scopes, which save the value, store the new
// one (off unless told otherwise) and restore the saved value once.
#pragma once

#include "kvcore/sflagscope.h"

bool g_IsCascadeAllowed();
bool g_IsDefaultAllowed();
bool g_IsInitLineTextOffset();

class SetCascadeAllowed : public SFlagScope {
 public:
  explicit SetCascadeAllowed(bool value = false);
};

class SetDefaultAllowed : public SFlagScope {
 public:
  explicit SetDefaultAllowed(bool value = false);
};

class SetInitLineTextOffset : public SFlagScope {
 public:
  explicit SetInitLineTextOffset(bool value = false);
};
