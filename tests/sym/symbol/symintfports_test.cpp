// The ports through which the render and symbol folders reach the subsystems
// above them: each is filled by its owner when the library loads, and the
// lower folder still answers soundly when one is left empty.
#include <gtest/gtest.h>

#include <memory>

#include "sym/layout/symedgerouter.h"
#include "sym/render/symcanv.h"
#include "sym/render/symviewsite.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfrouter.h"
#include "sym/symbol/symintfshapes.h"
#include "sym/symbol/symintfview.h"
#include "sym/tools/symeditinplace.h"
#include "support/symtest.h"

namespace {

using SymbolPorts = SymFixture;

TEST_F(SymbolPorts, EachIsFilledByItsOwnerWhenTheLibraryLoads) {
  EXPECT_NE(SSymGetViewSite(), nullptr);
  EXPECT_NE(SSymGetViewQueries(), nullptr);
  EXPECT_EQ(SSymGetEdgeRouter(), &SSymEdgeRouter::Instance());
  std::unique_ptr<ISSymInPlaceEditor> editor(SSymCreateInPlaceEditor());
  EXPECT_NE(dynamic_cast<SSymEditInPlaceController*>(editor.get()), nullptr);
  EXPECT_EQ(SSymFindSymbolPicture(17), nullptr);  // no predefined shapes yet
}

TEST_F(SymbolPorts, SymbolsReachTheRouterOnlyThroughTheInstalledOne) {
  TSym* s = Place(DiagramOwner());
  SSymEdgeRouter& router = SSymEdgeRouter::Instance();
  router.Clear();
  SSymAddToEdgeRouter(SComWrap<ISSymbol>(s->Sym()));
  SSymAddToEdgeRouter(SComWrap<ISSymbol>(s->Sym()));
  EXPECT_TRUE(router.Contains(s->Sym()));
  EXPECT_EQ(router.GetCount(), 1);  // once

  router.Clear();
  SSymSetEdgeRouter(nullptr);
  SSymAddToEdgeRouter(SComWrap<ISSymbol>(s->Sym()));
  SSymSetEdgeRouter(&router);
  EXPECT_EQ(router.GetCount(), 0);
}

TEST_F(SymbolPorts, AViewAnswersTheSymbolCoreWithOrWithoutItsQueries) {
  SSymView view;
  const SSymSize screen = SSymPixelsToUnits(nullptr, SIZE{48, 48});
  ISSymViewQueries* installed = SSymGetViewQueries();
  for (ISSymViewQueries* queries : {installed, static_cast<ISSymViewQueries*>(nullptr)}) {
    SCOPED_TRACE(queries ? "installed" : "none");
    SSymSetViewQueries(queries);
    EXPECT_FALSE(SSymIsEditView(&view));
    EXPECT_EQ(SSymGetViewCanvas(&view), nullptr);
    EXPECT_EQ(SSymPixelsToUnits(&view, SIZE{48, 48}), screen);
    SSymLockViewCanvas lock(&view);
    ASSERT_NE(lock.GetCanvas(), nullptr);  // a text can always be measured
    EXPECT_GT(lock.GetCanvas()->GetTextExtent(SString("Wq")).cx, 0);
    SSymViewNotifyRemove(&view, nullptr);
  }
  SSymSetViewQueries(installed);
}

TEST_F(SymbolPorts, TheActiveSelectionIsForgottenWhenItGoes) {
  auto selection = std::make_unique<SSymSelection>();
  SSymSetActiveSelection(selection.get());
  EXPECT_EQ(SSymGetActiveSelection(), selection.get());
  selection.reset();
  EXPECT_EQ(SSymGetActiveSelection(), nullptr);
}

}  // namespace
