#include "kvcore/sinteraction.h"

namespace {
int s_mode = SInteractionInteractive;
}  // namespace

int g_GetInteractionMode() { return s_mode; }

SetInteractionMode::SetInteractionMode(int mode) : m_nOld(s_mode) { s_mode = mode; }

SetInteractionMode::~SetInteractionMode() { s_mode = m_nOld; }
