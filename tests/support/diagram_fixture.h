// The diagram fixtures: a diagram type that creates display preferences
// whose module code and swimlane support a test chooses, symbols that stand
// for model objects, and a fixture that starts every test from an empty
// registry, the printer's own forms and no migrated module codes.
#pragma once

#include <gtest/gtest.h>

#include "sym/diagram/symdiagram.h"
#include "win/winreg.h"
#include "win/winspool.h"
#include "sym/symbol/symintfhost.h"
#include "support/symtest.h"

// Display preferences of a chosen module code, with or without swimlanes.
class TDispPref : public SSymDispPref {
 public:
  TDispPref(ISRepObject* diagram, SString module, int swimlanes)
      : SSymDispPref(diagram), m_module(std::move(module)), m_swimlanes(swimlanes) {}
  SString GetModuleCode() const override { return m_module; }
  int IsSupportSwimSymbol(int* canHide) override {
    if (canHide && m_swimlanes) *canHide = 0;
    return m_swimlanes;
  }
  int SupportsAutorouting() override { return m_autorouting; }
  SString m_module;
  int m_swimlanes;
  int m_autorouting = 1;
};

// A diagram type that creates its preferences.
class TPrefDiagram : public SSymDiagram {
 public:
  explicit TPrefDiagram(ISRepSession* s) : SSymDiagram(s) {}
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new TDispPref(RepObject(), m_module, m_swimlanes));
    return S_OK;
  }
  SString m_module = SString(u"TST");
  int m_swimlanes = 0;
};

// A symbol that shows a model object.
class TObjSym : public SRepFaces<TObjSym, TSym, ISSymObject> {
 public:
  explicit TObjSym(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : SRepFaces(s, r) {}
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = nullptr;
    return S_FALSE;
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
};

class DiagramFixture : public SymFixture {
 protected:
  void SetUp() override {
    KvRegReset();
    KvResetSpoolerForms();
    KvResetSpoolerPrinters();
    KvSetSpoolerRefusesForms(false);
    SSymDispPref::ResetMigratedModules();
    SymFixture::SetUp();
  }
  void TearDown() override {
    SymFixture::TearDown();
    KvRegReset();
    KvResetSpoolerForms();
    KvResetSpoolerPrinters();
    KvSetSpoolerRefusesForms(false);
  }
  // A diagram of the session (the base class, or one that has preferences).
  template <class D = TPrefDiagram>
  D* NewDiagram() {
    return Make<D>();
  }
  template <class T = TSym, class... A>
  T* AddTo(SSymDiagramImpl* d, A... args) {
    T* t = Make<T>(args...);
    d->Add(t->Sym());
    return t;
  }
};
