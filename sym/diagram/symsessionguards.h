// Scopes over switches of a repository session that the diagram turns for
// the time of one piece of work and must give back as it found them, on
// every path out (an exception included). Each holds its session for its
// lifetime and acts once, when it ends; it touches its own session only, and
// a null session (or one of another repository) makes it do nothing.
#pragma once

#include "kvrep/srepintf.h"

class SRepSession;

// Keeps the session's three switches (busy, arrangement suppressed,
// handling suppressed) as they are when made; on exit each one that differs
// from the kept value is set back. The work inside may flip any of them
// (creating display preferences runs code that does).
class SSessionSwitchesGuard {
 public:
  explicit SSessionSwitchesGuard(ISRepSession* session);
  ~SSessionSwitchesGuard();
  SSessionSwitchesGuard(const SSessionSwitchesGuard&) = delete;
  SSessionSwitchesGuard& operator=(const SSessionSwitchesGuard&) = delete;

 private:
  SRepSession* m_pSession = nullptr;  // counted
  BOOL m_bBusy = FALSE, m_bNoArrange = FALSE, m_bNoHandling = FALSE;
};

// Turns the session's handling of changes off when made (the handling of
// deletions and arrangement that symbols do on their own); on exit turns it
// back on, but only when it was on before: nested guards and a caller that
// had it off already keep it off.
class SSessionSuspendGuard {
 public:
  explicit SSessionSuspendGuard(ISRepSession* session);
  ~SSessionSuspendGuard();
  SSessionSuspendGuard(const SSessionSuspendGuard&) = delete;
  SSessionSuspendGuard& operator=(const SSessionSuspendGuard&) = delete;
  // Whether the guard turned the handling off (it was on when made).
  bool Suspended() const { return m_bWasOn; }

 private:
  SRepSession* m_pSession = nullptr;  // counted
  bool m_bWasOn = false;
};
