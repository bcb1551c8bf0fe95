// The application object and its message loop.
#include "kvcore/swinapp.h"

namespace {
SWinApp* g_app = nullptr;
bool g_viewer = false;
}  // namespace

bool g_IsViewer() { return g_viewer; }
void g_SetViewer(bool viewer) { g_viewer = viewer; }

KV_IMPLEMENT_CLASSINFO(SWinApp, SCmdTarget);

SWinApp* SGetApp() { return g_app; }

SWinApp::SWinApp(const char16_t* appName) : m_strAppName(appName) {
  // The first application object of the process is the one; a second one
  // (a test's own) stands in only while the first is gone.
  if (!g_app) g_app = this;
}

SWinApp::~SWinApp() {
  if (g_app == this) g_app = nullptr;
  SWnd::DeleteTempMap();
}

int SWinApp::ExitInstance() {
  m_bExiting = true;
  SWnd::DeleteTempMap();
  return m_nExitCode;
}

BOOL SWinApp::PreTranslateMessage(MSG* msg) {
  if (!msg) return FALSE;
  for (HWND h = msg->hwnd; h; h = ::GetParent(h)) {
    if (SWnd* w = SWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(msg)) return TRUE;
    if (m_pMainWnd && h == m_pMainWnd->m_hWnd) break;
  }
  return FALSE;
}

BOOL SWinApp::OnIdle(LONG count) {
  if (count == 0) SWnd::DeleteTempMap();
  return FALSE;
}

BOOL SWinApp::PumpMessage() {
  MSG msg;
  const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
  if (got <= 0) {
    m_nExitCode = got == 0 ? int(msg.wParam) : -1;
    return FALSE;
  }
  if (!PreTranslateMessage(&msg)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return TRUE;
}

int SWinApp::Run() {
  for (;;) {
    if (KvWindowsIdle()) {
      for (LONG count = 0; OnIdle(count); ++count) {
      }
      if (KvWindowsIdle()) return ExitInstance();
    }
    if (!PumpMessage()) return ExitInstance();
  }
}
