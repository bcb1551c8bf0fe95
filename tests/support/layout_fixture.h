// The layout fixture: a diagram with display preferences, an empty
// registry, and the layout engine's presence decided by the test (absent
// unless it says otherwise), given back at the end.
#pragma once

#include "support/diagram_fixture.h"
#include "sym/layout/symautolayout.h"

class LayoutFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    m_oldProbe = SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(&EngineAbsent);
    m_d = NewDiagram();
  }
  void TearDown() override {
    SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(m_oldProbe);
    DiagramFixture::TearDown();
  }
  static bool EnginePresent() { return true; }
  static bool EngineAbsent() { return false; }
  static void SetEnginePresent(bool present) {
    SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(present ? &EnginePresent : &EngineAbsent);
  }
  ISSymDiagram* Face() { return m_d->Diagram(); }

  TPrefDiagram* m_d = nullptr;
  SSymAutoLayoutOptionMgr::LibraryProbe m_oldProbe = nullptr;
};
