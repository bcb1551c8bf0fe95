// The host's model diagram with host lanes, for the tests of lanes, moves
// and attachment: a model package whose lanes are made on demand and filed
// into the diagram's pools, all of them let go at the end.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/samplediagram.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimpool.h"
#include "win/winreg.h"

class HostLanesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    diagram = holder.Model();
    ASSERT_NE(nullptr, diagram);
    model = SHostNewModel(holder.Session(), SString(u"M"));
  }
  void TearDown() override {
    for (SHostLaneSym* l : lanes) {
      if (auto* line = SSymSwimColn::FromInterface(l->GetColnSym())) line->ReleaseAll();
      l->Release();
    }
    lanes.clear();
    if (model) model->Release();
    KvRegReset();
  }
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  // A host lane on rect: added to `pool`, or filed into the diagram's pools
  // (a first pool is made when there is none).
  SHostLaneSym* NewLane(const SString& name, const SSymRect& rect, SSymSwimLane* pool = nullptr) {
    SRepObject* m = SHostAddLane(Model(), name);
    SHostLaneSym* l = SHostNewLaneSymbol(holder.Session(), m);
    EXPECT_NE(nullptr, l);
    if (!l) return nullptr;
    l->PutRect(rect);
    if (pool)
      EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(l->Sym()), S_OK);
    else
      l->AddSymInSwim(diagram);
    lanes.push_back(l);
    return l;
  }
  static SSymRect RectOf(ISSymbol* s) {
    SSymRect r = s->GetClipRect(0, 0);
    return r.Normalize();
  }

  SHostDiagram holder;
  SHostModelDiagram* diagram = nullptr;
  SHostPackage* model = nullptr;
  std::vector<SHostLaneSym*> lanes;
};
