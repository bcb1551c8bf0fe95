// How the application meets its user: g_GetInteractionMode answers
// 1 (interactive: printing goes through the print dialog of a window),
// 2 (no printing at all, as a viewer run refuses it) or any other value
// (unattended: print directly, with the user's last choices and no
// dialog). The application starts interactive. Hosts and tests change the
// mode through SetInteractionMode, which puts the old mode back when it ends.
#pragma once

enum SInteractionMode : int {
  SInteractionUnattended = 0,
  SInteractionInteractive = 1,
  SInteractionNoPrinting = 2,
};

int g_GetInteractionMode();

class SetInteractionMode {
 public:
  explicit SetInteractionMode(int mode);
  ~SetInteractionMode();
  SetInteractionMode(const SetInteractionMode&) = delete;
  SetInteractionMode& operator=(const SetInteractionMode&) = delete;

 private:
  int m_nOld;
};

// Whether another program drives the application through automation. Code
// that would otherwise make values no one could foresee (such as new
// identifiers) makes repeatable ones then. Off at start; SetAutomating
// changes it for a scope and puts the old state back when it ends.
bool g_IsAutomating();

class SetAutomating {
 public:
  explicit SetAutomating(bool automating);
  ~SetAutomating();
  SetAutomating(const SetAutomating&) = delete;
  SetAutomating& operator=(const SetAutomating&) = delete;

 private:
  bool m_bOld;
};
