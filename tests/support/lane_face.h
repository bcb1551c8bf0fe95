// A do-nothing lane face for test symbols that only need to answer
// ISSwimlane: list it as SRepFaceImpl<TLaneFace> beside ISSwimlane.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symvalues.h"
#include "sym/symbol/symintfplace.h"

struct TLaneFace : ISSwimlane {
  ISSymbol* GetPoolSym() override { return nullptr; }
  ISSymbol* GetColnSym() override { return nullptr; }
  void AddSymInSwim(ISSymDiagram*) override {}
  int IsSymAttached(ISSymbol*) override { return 0; }
  void MoveAllAttachedSym() override {}
  void GetValidBord(int, SSymRect&) override {}
  int IsInnerLane() override { return 0; }
  SString GetLaneText() override { return SString(); }
  SSymFont GetLaneFont() override { return SSymFont(); }
  void SetMoving(int, int) override {}
  int IsPtInLane(const SSymPoint&) override { return 0; }
  LONG GetParentCollectionId() override { return 0; }
  int RefusesChildObject(ISRepObject*) override { return 0; }
};
