#include "kvcore/swinapp.h"

namespace {
bool g_exiting = false;
}

bool SWinApp::IsExiting() { return g_exiting; }
void SWinApp::SetExiting(bool exiting) { g_exiting = exiting; }
