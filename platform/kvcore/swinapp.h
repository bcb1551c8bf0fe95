// SWinApp: the application object, one per process, found with SGetApp.
// It runs the message loop, gives each taken message to PreTranslateMessage
// (the window and its parents, then the application) before it is
// dispatched, and knows whether the application is on its way out.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/swnd.h"

class SWinApp : public SCmdTarget {
 public:
  explicit SWinApp(const char16_t* appName = nullptr);
  ~SWinApp() override;
  SWinApp(const SWinApp&) = delete;
  SWinApp& operator=(const SWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  // Marks the application as exiting; the answer is the exit code.
  virtual int ExitInstance();
  // Runs the loop until WM_QUIT, or until nothing more can come (no posted
  // message, paint, due timer or script input): the headless end of a session.
  virtual int Run();
  // Takes one message and handles it; FALSE on WM_QUIT.
  BOOL PumpMessage();
  // The message filter: the target window and its parents first.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual BOOL OnIdle(LONG count);
  bool IsExiting() const { return m_bExiting; }

  SString m_strAppName;
  SWnd* m_pMainWnd = nullptr;

  KV_DECLARE_CLASSINFO()

 protected:
  bool m_bExiting = false;
  int m_nExitCode = 0;
};

// The application object, null when there is none.
SWinApp* SGetApp();

// The application's viewer mode: on in an application that shows models
// without changing them. Off at start.
bool g_IsViewer();
void g_SetViewer(bool viewer);
