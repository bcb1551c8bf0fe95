#include "kvcore/sinteraction.h"

namespace {
int s_mode = SInteractionInteractive;
bool s_automating = false;
}  // namespace

int g_GetInteractionMode() { return s_mode; }

SetInteractionMode::SetInteractionMode(int mode) : m_nOld(s_mode) { s_mode = mode; }

SetInteractionMode::~SetInteractionMode() { s_mode = m_nOld; }

bool g_IsAutomating() { return s_automating; }

SetAutomating::SetAutomating(bool automating) : m_bOld(s_automating) { s_automating = automating; }

SetAutomating::~SetAutomating() { s_automating = m_bOld; }
