// Automatic layout's parameters, option tables and the tests behind the
// choice of algorithms: the user's "ForceInternal" value, the engine's
// availability, the defaults a diagram's parameters load.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "support/layout_fixture.h"
#include "sym/layout/symautolayout.h"

namespace {

using P = SSymAutoLayoutPlacement;

std::vector<LONG> Placements(const SSymAutoLayout& layout, LONG style) {
  SList<P::Placement> list;
  list.AddTail(P::Snowflake);  // emptied first
  layout.GetAvailablePlacements(style, list);
  std::vector<LONG> out;
  for (P::Placement p : list) out.push_back(p);
  return out;
}

using AutoLayout = LayoutFixture;

TEST_F(AutoLayout, OptionTablesAnswerStylesAndPlacements) {
  SSymAutoLayout basic(Face());
  SSymAutoLayoutGeneral general(Face());
  EXPECT_EQ(basic.GetOptionTable().m_nDefaultStyle, 6);
  EXPECT_EQ(general.GetOptionTable().m_nDefaultStyle, 1);
  EXPECT_EQ(SSymAutoLayoutOptionMgr::GetExternalTable().m_nDefaultStyle, 0);
  std::vector<LONG> styles;
  for (LONG s : general.GetOptionTable().m_styles) styles.push_back(s);
  EXPECT_EQ(styles, (std::vector<LONG>{6, 0, 1, 2, 3, 4}));
  EXPECT_TRUE(basic.GetOptionTable().HasStyle(6));
  EXPECT_FALSE(basic.GetOptionTable().HasStyle(0));

  EXPECT_EQ(Placements(general, 1), std::vector<LONG>{}) << "Organic has an empty list";
  EXPECT_EQ(Placements(general, 5), std::vector<LONG>{1457}) << "Snowflake has no entry";
  EXPECT_EQ(Placements(general, 3), (std::vector<LONG>{1454, 1455}));
  EXPECT_EQ(Placements(general, 0), (std::vector<LONG>{1450, 1451, 1452, 1453}));
  EXPECT_EQ(Placements(basic, 0), std::vector<LONG>{1457});
  EXPECT_EQ(general.GetDefaultPlacement(6, false), -1);
  EXPECT_EQ(general.GetDefaultPlacement(3, false), 1454);
  EXPECT_EQ(basic.GetDefaultPlacement(6, false), -1);
  EXPECT_EQ(basic.GetDefaultPlacement(2, false), 1457);
}

TEST_F(AutoLayout, ParametersHoldTheDiagramAndCopyEverything) {
  SComTable<ISSymbol> subset, scope;
  const ULONG before = Face()->AddRef() - 1;
  Face()->Release();
  {
    SSymAutoLayoutParam param(Face(), &subset, &scope);
    param.m_options.m_nStyle = 3;
    param.m_options.m_bWholeDiagram = 1;
    param.SetCreateSynonyms(true);
    EXPECT_EQ(param.m_options.m_bSynonymsAll, 1);
    EXPECT_EQ(param.m_options.m_bSynonymsPartial, 1);
    SSymAutoLayoutParam copy(param);
    EXPECT_EQ(copy.GetDiagram(), Face());
    EXPECT_EQ(copy.m_pSubset, &subset);
    EXPECT_EQ(copy.m_pScope, &scope);
    EXPECT_EQ(copy.m_options.m_nStyle, 3);
    SSymAutoLayoutParam other(nullptr);
    other = copy;
    EXPECT_EQ(other.GetDiagram(), Face());
    EXPECT_EQ(Face()->AddRef() - 1, before + 3);
    Face()->Release();
  }
  EXPECT_EQ(Face()->AddRef() - 1, before);
  Face()->Release();
  // The constructor's defaults.
  SSymAutoLayoutParam fresh(nullptr);
  EXPECT_EQ(fresh.m_options.m_nStyle, 0);
  EXPECT_EQ(fresh.m_options.m_nPlacement, 1450);
  EXPECT_EQ(fresh.m_options.m_bAutomatic, 1);
  EXPECT_TRUE(fresh.GetCreateSynonyms());
  fresh.LoadDefaultOptions();  // no diagram: nothing happens
  EXPECT_EQ(fresh.m_options.m_nStyle, 0);
}

TEST_F(AutoLayout, RegistryForcesTheOwnLayout) {
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal()) << "no key";
  SRegistry key(HKEY_CURRENT_USER, SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions"), 1);
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal()) << "no value";
  key.WriteProfile(SString(u"ForceInternal"), 0L);
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal());
  key.WriteProfile(SString(u"ForceInternal"), 1L);
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal());
  // Forcing beats everything else.
  SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(&EnginePresent);
  SSymAutoLayoutParam param(Face());
  SSymAutoLayoutOptionMgr::InternalLayoutStatus status{};
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms(&param, &status));
  EXPECT_EQ(status, SSymAutoLayoutOptionMgr::StatusForcedByUser);
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms(nullptr, nullptr));
}

TEST_F(AutoLayout, EngineWithoutAvailabilityEntryIsNotAvailable) {
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable()) << "probe says no";
  EXPECT_EQ(SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(nullptr), &EngineAbsent);
  // The engine of this build (when it is there at all) has no layout entries.
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable());
  SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(&EnginePresent);
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsLayoutLibraryAvailable());
}

TEST_F(AutoLayout, LayoutOfABareDiagramDoesNotRun) {
  AddTo(m_d);
  SSymAutoLayout bare(Face());
  EXPECT_FALSE(bare.IsReady());
  EXPECT_EQ(bare.GetScope().GetCount(), 0);
  EXPECT_EQ(bare.Invoke(), 0);
  SSymAutoLayoutGeneral general(Face());
  EXPECT_EQ(general.Invoke(), 0);
  EXPECT_EQ(general.GetParam().m_pSubset, nullptr);
  // From parameters: every symbol of the diagram, the subset a copy of them.
  SSymAutoLayoutParam param(Face());
  SSymAutoLayout ready(param);
  EXPECT_TRUE(ready.IsReady());
  EXPECT_EQ(ready.GetScope().GetCount(), 1);
  EXPECT_EQ(ready.GetSubset().GetCount(), 1);
}

}  // namespace
