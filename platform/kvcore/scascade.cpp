#include "kvcore/scascade.h"

namespace {
bool s_cascadeAllowed = true;
bool s_defaultAllowed = true;
}  // namespace

bool g_IsCascadeAllowed() { return s_cascadeAllowed; }
bool g_IsDefaultAllowed() { return s_defaultAllowed; }

SetCascadeAllowed::SetCascadeAllowed(bool value) : m_bOld(s_cascadeAllowed), m_bRestored(false) {
  s_cascadeAllowed = value;
}
void SetCascadeAllowed::Restore() {
  if (m_bRestored) return;
  m_bRestored = true;
  Set(m_bOld);
}
void SetCascadeAllowed::Set(bool value) { s_cascadeAllowed = value; }

SetDefaultAllowed::SetDefaultAllowed(bool value) : m_bOld(s_defaultAllowed), m_bRestored(false) {
  s_defaultAllowed = value;
}
void SetDefaultAllowed::Restore() {
  if (m_bRestored) return;
  m_bRestored = true;
  Set(m_bOld);
}
void SetDefaultAllowed::Set(bool value) { s_defaultAllowed = value; }
