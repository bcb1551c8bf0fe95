// Session switch scopes of the diagram.
#include "sym/diagram/symsessionguards.h"

#include "kvrep/srepsession.h"

namespace {
// The repository's own session behind the interface (counted), or null.
SRepSession* Hold(ISRepSession* session) {
  SRepSession* s = session ? SRepSession::FromInterface(session) : nullptr;
  if (s) s->AddRef();
  return s;
}
}  // namespace

SSessionSwitchesGuard::SSessionSwitchesGuard(ISRepSession* session) : m_pSession(Hold(session)) {
  if (!m_pSession) return;
  m_bBusy = m_pSession->IsBusy();
  m_bNoArrange = m_pSession->IsArrangeSuppressed();
  m_bNoHandling = m_pSession->IsHandlingSuppressed();
}

SSessionSwitchesGuard::~SSessionSwitchesGuard() {
  if (!m_pSession) return;
  if (m_pSession->IsBusy() != m_bBusy) m_pSession->SetBusy(m_bBusy);
  if (m_pSession->IsArrangeSuppressed() != m_bNoArrange || m_pSession->IsHandlingSuppressed() != m_bNoHandling)
    m_pSession->SetSuppressions(m_bNoArrange, m_bNoHandling);
  m_pSession->Release();
}

SSessionSuspendGuard::SSessionSuspendGuard(ISRepSession* session) : m_pSession(Hold(session)) {
  if (!m_pSession) return;
  m_bWasOn = !m_pSession->IsHandlingSuppressed();
  if (m_bWasOn) m_pSession->SetSuppressions(m_pSession->IsArrangeSuppressed(), TRUE);
}

SSessionSuspendGuard::~SSessionSuspendGuard() {
  if (!m_pSession) return;
  if (m_bWasOn) m_pSession->SetSuppressions(m_pSession->IsArrangeSuppressed(), FALSE);
  m_pSession->Release();
}
