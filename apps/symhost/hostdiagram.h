// The host's diagram type: the library's diagram with the host's display
// preferences (module code "HOST", swimlanes supported and hideable). The
// model diagram of the main job is one of these.
#pragma once

#include "sym/diagram/symdiagram.h"

class SHostDispPref : public SSymDispPref {
 public:
  explicit SHostDispPref(ISRepObject* diagram) : SSymDispPref(diagram) {}
  SString GetModuleCode() const override { return SString(u"HOST"); }
  // The host's diagrams have swimlanes, which the user may switch off.
  int IsSupportSwimSymbol(int* canHide) override {
    (void)canHide;
    return 1;
  }
  // New symbols take the look of the sample sheet's boxes: a thin dark pen
  // on white, the text in Arial 8.
  void GetSymDefConf(SSymFormat* format) override;
};

class SHostModelDiagram : public SSymDiagram {
 public:
  explicit SHostModelDiagram(ISRepSession* session) : SSymDiagram(session) {}
  SHostModelDiagram(const SHostModelDiagram& source) : SSymDiagram(source) {}
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new SHostDispPref(Obj()));
    return S_OK;
  }
  ISRepObject* Obj() { return static_cast<ISRepObjectBase*>(this); }

  // A new, initialised diagram of the session (counted for the caller).
  static SHostModelDiagram* Create(ISRepSession* session);
};
