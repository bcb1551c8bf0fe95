#include "kvcore/sflagscope.h"

SFlagScope::SFlagScope(bool& flag, bool value) : m_flag(flag), m_bOld(flag), m_bRestored(false) { m_flag = value; }

void SFlagScope::Restore() {
  if (m_bRestored) return;
  m_bRestored = true;
  Set(m_bOld);
}
