// SWinApp: the application object's process-wide state, in the least form
// the library needs: whether the application is shutting down.
#pragma once

class SWinApp {
 public:
  // True once the application has begun to exit; tables built on first use
  // are then left empty.
  static bool IsExiting();
  static void SetExiting(bool exiting);
};
