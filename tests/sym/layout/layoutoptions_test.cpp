// The layout options: what each option table offers, the answers of the
// option queries, the user's defaults per kind of layout in the registry
// (with the machine-wide copy behind them), the order of their writes, and
// the defaults a diagram's parameters load.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "support/layout_fixture.h"
#include "sym/foundation/symstrings.h"
#include "sym/layout/symautolayout.h"

namespace {

using P = SSymAutoLayoutPlacement;
using S = SSymAutoLayoutStyle;

template <class T>
std::vector<LONG> Values(const SList<T>& list) {
  std::vector<LONG> out;
  for (T v : list) out.push_back(v);
  return out;
}

// A layout of the multi-dimensional kind, which no class of the library uses.
class TMultiDimLayout : public SSymAutoLayoutEx {
 public:
  using SSymAutoLayoutEx::SSymAutoLayoutEx;
  const SSymAutoLayoutOptionTable& GetOptionTable() const override {
    return SSymAutoLayoutOptionMgr::GetMultiDimTable();
  }
};

// A layout whose key the registry refuses (a name with a line break).
class TBadKeyLayout : public SSymAutoLayout {
 public:
  using SSymAutoLayout::SSymAutoLayout;
  SString GetRegistrySubKey() const override { return SString(u"Bad\nKey\\"); }
};

class LayoutOptions : public LayoutFixture {
 protected:
  // Writes a number under a layout's key, the user's or the machine-wide copy.
  static void Write(const SSymAutoLayout& layout, const char16_t* name, long value, HKEY hive = HKEY_CURRENT_USER) {
    SRegistry key(hive, layout.GetRegistryKey(), 1);
    ASSERT_EQ(key.WriteProfile(SString(name), value), ERROR_SUCCESS);
  }
};

// ---- the tables -------------------------------------------------------------------------------------

TEST(LayoutOptionTables, EachTableOffersItsStylesPlacementsAndSynonymRules) {
  using Entry = std::pair<std::vector<LONG>, LONG>;  // placements, default
  const std::vector<LONG> four = {1450, 1451, 1452, 1453};
  const std::map<LONG, Entry> engine = {{6, {{}, -1}},   {0, {four, 1450}},         {1, {{}, -1}},
                                        {2, {four, 1450}}, {3, {{1454, 1455}, 1454}}, {4, {four, 1450}}};
  struct Case {
    const char* name;
    const SSymAutoLayoutOptionTable& table;
    std::vector<LONG> styles;
    LONG defaultStyle;
    std::map<LONG, Entry> placements;
    int fixed, available, byDefault;
  } cases[] = {
      {"basic", SSymAutoLayoutOptionMgr::GetBasicTable(), {6}, 6, {{6, {{}, -1}}}, 0, 1, 1},
      {"external", SSymAutoLayoutOptionMgr::GetExternalTable(), {6, 0, 1, 2, 3, 4}, 0, engine, 0, 1, 1},
      {"composite", SSymAutoLayoutOptionMgr::GetCompositeTable(), {6, 0, 1, 2, 3, 4}, 0, engine, 0, 1, 1},
      {"general", SSymAutoLayoutOptionMgr::GetGeneralTable(), {6, 0, 1, 2, 3, 4}, 1, engine, 0, 1, 1},
      {"multi-dimensional", SSymAutoLayoutOptionMgr::GetMultiDimTable(), {3}, 3, {{3, {{1454}, 1454}}}, 1, 0, 1},
      {"process flow", SSymAutoLayoutOptionMgr::GetProcFlowTable(), {6, 0}, 0,
       {{6, {{}, -1}}, {0, {four, 1450}}}, 0, 1, 1},
      {"horizontal flow", SSymAutoLayoutOptionMgr::GetHorzFlowTable(), {6, 0}, 0,
       {{6, {{}, -1}}, {0, {{1452, 1453, 1450, 1451}, 1452}}}, 0, 1, 1},
      {"tree hierarchy", SSymAutoLayoutOptionMgr::GetTreeHierTable(), {6, 4}, 4,
       {{6, {{}, -1}}, {4, {{1450, 1452}, 1450}}}, 0, 1, 1},
      {"block", SSymAutoLayoutOptionMgr::GetBlockTable(), {6, 0}, 0, {{6, {{}, -1}}, {0, {{1450, 1452}, 1452}}}, 1, 0,
       0},
      {"constrained activity", SSymAutoLayoutOptionMgr::GetConstrActivityTable(), {6, 0}, 0,
       {{6, {{}, -1}}, {0, {four, 1450}}}, 0, 1, 1},
      {"constrained sequence", SSymAutoLayoutOptionMgr::GetConstrSequenceTable(), {6, 0}, 0,
       {{6, {{}, -1}}, {0, {{1452, 1453}, 1452}}}, 0, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Values(c.table.m_styles), c.styles) << c.name;
    EXPECT_EQ(c.table.m_nDefaultStyle, c.defaultStyle) << c.name;
    std::map<LONG, Entry> placements;
    for (const auto& item : c.table.m_placements)
      placements[item.key] = {Values(item.value.m_list), item.value.m_nDefault};
    EXPECT_EQ(placements, c.placements) << c.name;
    EXPECT_EQ(c.table.m_bSynonymsFixed, c.fixed) << c.name;
    EXPECT_EQ(c.table.m_bSynonymsAvailable, c.available) << c.name;
    EXPECT_EQ(c.table.m_bSynonymsDefault, c.byDefault) << c.name;
    EXPECT_FALSE(c.table.HasStyle(S::Snowflake)) << c.name << ": no table offers Snowflake";
  }
  EXPECT_EQ(&SSymAutoLayoutOptionMgr::GetCompositeTable(), &SSymAutoLayoutOptionMgr::GetExternalTable());
}

TEST(LayoutOptionTables, StyleAndPlacementNamesAreInTheStringTable) {
  const char16_t* styles[] = {u"Hierarchical", u"Organic", u"Orthogonal", u"Circular",
                              u"Tree",         u"Snowflake", u"Basic"};
  for (UINT s = 0; s < 7; ++s) EXPECT_EQ(SSymLoadString(S::NameStringBase + s), SString(styles[s])) << s;
  const char16_t* placements[] = {u"Top to Bottom", u"Bottom to Top", u"Left to Right", u"Right to Left",
                                  u"Radiation",     u"Cycle",         u"Snowflake",     u"Basic"};
  for (UINT p = 0; p < 8; ++p) EXPECT_EQ(SSymLoadString(P::TopToBottom + p), SString(placements[p])) << p;
}

// ---- the queries of a layout object -------------------------------------------------------------

TEST_F(LayoutOptions, EachClassAnswersItsTableAndSubKey) {
  struct Case {
    std::unique_ptr<SSymAutoLayout> layout;
    const SSymAutoLayoutOptionTable& table;
    const char16_t* subKey;
  };
  Case cases[] = {
      {std::make_unique<SSymAutoLayout>(Face()), SSymAutoLayoutOptionMgr::GetBasicTable(), u"Basic\\"},
      {std::make_unique<SSymAutoLayoutEx>(Face()), SSymAutoLayoutOptionMgr::GetExternalTable(), u"External\\"},
      {std::make_unique<SSymAutoLayoutGeneral>(Face()), SSymAutoLayoutOptionMgr::GetGeneralTable(), u"General\\"},
      {std::make_unique<SSymAutoLayoutProcFlow>(Face()), SSymAutoLayoutOptionMgr::GetProcFlowTable(),
       u"ProcessFlow\\"},
      {std::make_unique<SSymAutoLayoutHorzFlow>(Face()), SSymAutoLayoutOptionMgr::GetHorzFlowTable(),
       u"HorizontalFlow\\"},
      {std::make_unique<SSymAutoLayoutTreeHier>(Face()), SSymAutoLayoutOptionMgr::GetTreeHierTable(), u"TreeHier\\"},
      {std::make_unique<SSymAutoLayoutBlock>(Face()), SSymAutoLayoutOptionMgr::GetBlockTable(), u"Block\\"},
      {std::make_unique<SSymAutoLayoutComposite>(Face()), SSymAutoLayoutOptionMgr::GetExternalTable(),
       u"Composite\\"},
      {std::make_unique<SSymAutoLayoutConstrActivity>(Face()), SSymAutoLayoutOptionMgr::GetConstrActivityTable(),
       u"ConstrainedActivity\\"},
      {std::make_unique<SSymAutoLayoutConstrSequence>(Face()), SSymAutoLayoutOptionMgr::GetConstrSequenceTable(),
       u"ConstrainedSequence\\"},
  };
  for (const Case& c : cases) {
    const char* name = c.layout->GetClassInfo()->GetName();
    EXPECT_EQ(&c.layout->GetOptionTable(), &c.table) << name;
    EXPECT_EQ(c.layout->GetRegistrySubKey(), SString(c.subKey)) << name;
    // The key: the options key, the diagram class's public name, the sub key.
    EXPECT_EQ(c.layout->GetRegistryKey(),
              SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions\\BaseDiagram\\") + SString(c.subKey))
        << name;
    SList<S::Style> styles;
    styles.AddTail(S::Snowflake);  // emptied first
    c.layout->GetAvailableStyles(styles);
    EXPECT_EQ(Values(styles), Values(c.table.m_styles)) << name;
    EXPECT_FALSE(c.layout->IsReady()) << name;
  }
  // Without a diagram the key has no class part.
  SSymAutoLayoutBlock none(static_cast<ISSymDiagram*>(nullptr));
  EXPECT_EQ(none.GetRegistryKey(), SUserRegistry::sApplicationRoot + SString(u"AutoLayoutOptions\\Block\\"));
}

TEST_F(LayoutOptions, PlacementQueriesWithoutTheRegistry) {
  SSymAutoLayoutGeneral general(Face());
  SSymAutoLayout basic(Face());
  TMultiDimLayout multi(Face());
  auto placements = [](const SSymAutoLayout& layout, LONG style) {
    SList<P::Placement> list;
    list.AddTail(P::Snowflake);  // emptied first
    layout.GetAvailablePlacements(style, list);
    return Values(list);
  };
  EXPECT_EQ(placements(general, S::Organic), std::vector<LONG>{}) << "an empty list";
  EXPECT_EQ(placements(general, S::Snowflake), std::vector<LONG>{1457}) << "no entry";
  EXPECT_EQ(placements(general, S::Circular), (std::vector<LONG>{1454, 1455}));
  EXPECT_EQ(placements(basic, S::Hierarchic), std::vector<LONG>{1457});
  // The default of Basic: none where the table lists it, Basic where not.
  EXPECT_EQ(general.GetDefaultPlacement(S::Basic, false), -1);
  EXPECT_EQ(basic.GetDefaultPlacement(S::Basic, false), -1);
  EXPECT_EQ(multi.GetDefaultPlacement(S::Basic, false), 1457);
  EXPECT_EQ(multi.GetDefaultPlacement(S::Circular, false), 1454);
  EXPECT_EQ(general.GetDefaultPlacement(S::Circular, false), 1454);
  EXPECT_EQ(general.GetDefaultStyle(false), S::Organic);
}

TEST_F(LayoutOptions, SynonymsPerKey) {
  SSymAutoLayoutGeneral general(Face());
  SSymAutoLayoutBlock block(Face());
  TMultiDimLayout multi(Face());
  struct Case {
    const SSymAutoLayout& layout;
    S::Style style;
    BYTE whole;
    bool available, byDefault;
  } cases[] = {
      {general, S::Hierarchic, 0, true, true},   {general, S::Hierarchic, 1, false, false},
      {general, S::Basic, 1, true, true},        {general, S::Basic, 0, true, true},
      {general, S::Circular, 1, false, false},   {block, S::Hierarchic, 0, false, false},
      {block, S::Hierarchic, 1, false, false},   {block, S::Basic, 1, false, false},
      {multi, S::Circular, 0, false, true},      {multi, S::Circular, 1, false, true},
  };
  for (const Case& c : cases) {
    const SSymAllowSynonymsKey key{c.style, c.whole};
    const char* name = c.layout.GetClassInfo()->GetName();
    EXPECT_EQ(c.layout.GetAllowSynonymsAvailable(key), c.available) << name << " " << c.style << " " << int(c.whole);
    EXPECT_EQ(c.layout.GetDefaultAllowSynonyms(key, true), c.byDefault)
        << name << " " << c.style << " " << int(c.whole) << ": nothing stored";
  }
  // A stored choice answers for its scope only, and only with the registry.
  Write(general, u"SynonymsAll", 1);
  Write(general, u"SynonymsPartial", 0);
  EXPECT_TRUE(general.GetDefaultAllowSynonyms({S::Hierarchic, 1}, true));
  EXPECT_FALSE(general.GetDefaultAllowSynonyms({S::Hierarchic, 1}, false));
  EXPECT_FALSE(general.GetDefaultAllowSynonyms({S::Hierarchic, 0}, true));
  Write(general, u"SynonymsAll", 2);
  bool allow = true;
  EXPECT_TRUE(general.GetDefaultAllowSynonymsFromRegistry({S::Hierarchic, 1}, allow));
  EXPECT_FALSE(allow) << "allowed exactly when 1";
  EXPECT_FALSE(block.GetDefaultAllowSynonymsFromRegistry({S::Hierarchic, 1}, allow)) << "another kind's key";
}

// ---- the user's defaults --------------------------------------------------------------------------

TEST_F(LayoutOptions, RegistryDefaultsAreTakenWhenValid) {
  SSymAutoLayoutHorzFlow horz(Face());
  SSymAutoLayoutGeneral general(Face());
  S::Style style = S::Basic;
  P::Placement placement = P::None;
  EXPECT_FALSE(horz.GetDefaultStyleFromRegistry(style)) << "nothing stored";
  EXPECT_FALSE(horz.GetDefaultPlacementFromRegistry(placement, P::Cycle));
  EXPECT_EQ(placement, P::Cycle);

  struct Case {
    long style, placement;
    bool styleTaken;
    LONG wantStyle;  // GetDefaultStyle(true)
    bool placementTaken;
    LONG wantPlacement;  // GetDefaultPlacement(0, true)
  } cases[] = {
      {4, 1454, true, 4, true, 1454},  // taken although the table offers neither
      {9, 1449, false, 0, false, 1452},
      {-1, 1458, false, 0, false, 1452},
      {6, 1457, true, 6, true, 1457},
      {0, 1450, true, 0, true, 1450},
  };
  for (const Case& c : cases) {
    Write(horz, u"Style", c.style);
    Write(horz, u"Placement", c.placement);
    style = S::Basic;
    EXPECT_EQ(horz.GetDefaultStyleFromRegistry(style), c.styleTaken) << c.style;
    if (!c.styleTaken) {
      EXPECT_EQ(style, S::Hierarchic) << "an invalid style reads as 0";
    }
    EXPECT_EQ(horz.GetDefaultStyle(true), c.wantStyle) << c.style;
    EXPECT_EQ(horz.GetDefaultStyle(false), S::Hierarchic);
    EXPECT_EQ(horz.GetDefaultPlacementFromRegistry(placement, P::Basic), c.placementTaken) << c.placement;
    EXPECT_EQ(horz.GetDefaultPlacement(S::Hierarchic, true), c.wantPlacement) << c.placement;
    EXPECT_EQ(horz.GetDefaultPlacement(S::Hierarchic, false), 1452);
    // Each kind keeps its own.
    EXPECT_FALSE(general.GetDefaultStyleFromRegistry(style));
  }
}

TEST_F(LayoutOptions, MachineWideDefaultsStandInForTheUsers) {
  SSymAutoLayoutTreeHier tree(Face());
  Write(tree, u"Style", 6, HKEY_LOCAL_MACHINE);
  Write(tree, u"Placement", 1452, HKEY_LOCAL_MACHINE);
  EXPECT_EQ(tree.GetDefaultStyle(true), S::Basic);
  EXPECT_EQ(tree.GetDefaultPlacement(S::Tree, true), 1452);
  // The user's own value wins.
  Write(tree, u"Style", 4);
  EXPECT_EQ(tree.GetDefaultStyle(true), S::Tree);
  // "ForceInternal" likewise.
  EXPECT_FALSE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal());
  SRegistry machine(HKEY_LOCAL_MACHINE, SSymAutoLayoutOptionMgr::GetOptionsKey(), 1);
  machine.WriteProfile(SString(u"ForceInternal"), 1L);
  EXPECT_TRUE(SSymAutoLayoutOptionMgr::IsRegistryForceInternal());
}

TEST_F(LayoutOptions, OptionsAreWrittenInOrderToTheKindsKey) {
  SSymAutoLayoutBlock block(Face());
  SSymAutoLayoutParam::SOptions options;
  options.m_nStyle = S::Hierarchic;
  options.m_nPlacement = P::LeftToRight;
  options.m_bSynonymsAll = 7;  // any non-zero flag is written as 1
  options.m_bSynonymsPartial = 0;
  EXPECT_EQ(block.SetOptionsToRegistry(options), ERROR_SUCCESS);
  SRegistry key(HKEY_CURRENT_USER, block.GetRegistryKey(), 0);
  ASSERT_TRUE(key.IsOpen());
  std::vector<std::pair<SString, SString>> written;
  SString name, value;
  DWORD type = 0;
  for (DWORD i = 0; key.GetEnumValue(i, name, value, type) == ERROR_SUCCESS; ++i) {
    EXPECT_EQ(type, REG_DWORD) << name.ToUtf8();
    written.emplace_back(name, value);
  }
  const std::vector<std::pair<SString, SString>> expected = {{SString(u"Style"), SString(u"0")},
                                                             {SString(u"Placement"), SString(u"1452")},
                                                             {SString(u"SynonymsAll"), SString(u"1")},
                                                             {SString(u"SynonymsPartial"), SString(u"0")}};
  EXPECT_EQ(written, expected);
  // They read back as the kind's defaults.
  EXPECT_EQ(block.GetDefaultPlacement(S::Hierarchic, true), P::LeftToRight);
  EXPECT_TRUE(block.GetDefaultAllowSynonyms({S::Hierarchic, 1}, true));
  EXPECT_FALSE(block.GetDefaultAllowSynonyms({S::Hierarchic, 0}, true));

  // A key the registry refuses: a negative status, nothing written.
  TBadKeyLayout bad(Face());
  EXPECT_LT(bad.SetOptionsToRegistry(options), 0);
  S::Style style = S::Basic;
  EXPECT_FALSE(bad.GetDefaultStyleFromRegistry(style));
}

TEST_F(LayoutOptions, ParametersLoadTheDefaultsOfTheKindTheDiagramChooses) {
  struct Case {
    const char* name;
    bool library;
    std::vector<std::pair<const char16_t*, long>> stored;  // under the chosen kind's key
    LONG style, placement;
    BYTE partial, all;
  } cases[] = {
      {"own layout, table", false, {}, 6, -1, 1, 1},
      {"general engine layout, table", true, {}, 1, -1, 1, 0},
      {"own layout, registry", false, {{u"Placement", 1455}, {u"SynonymsAll", 0}, {u"SynonymsPartial", 0}}, 6, 1455,
       0, 0},
      {"general, registry style", true, {{u"Style", 3}}, 3, 1454, 1, 0},
      {"general, registry style and placement", true, {{u"Style", 0}, {u"Placement", 1451}, {u"SynonymsAll", 1}}, 0,
       1451, 1, 1},
      {"general, invalid style", true, {{u"Style", 12}}, 1, -1, 1, 0},
  };
  for (const Case& c : cases) {
    KvRegReset();
    SetEnginePresent(c.library);
    {
      std::unique_ptr<SSymAutoLayout> kind(Face()->CreateAutoLayoutMgr(nullptr));
      for (const auto& [name, value] : c.stored) Write(*kind, name, value);
    }
    SSymAutoLayoutParam param(Face());
    param.m_options.m_bWholeDiagram = 1;
    param.LoadDefaultOptions();
    EXPECT_EQ(param.m_options.m_nStyle, c.style) << c.name;
    EXPECT_EQ(param.m_options.m_nPlacement, c.placement) << c.name;
    EXPECT_EQ(param.m_options.m_bSynonymsPartial, c.partial) << c.name;
    EXPECT_EQ(param.m_options.m_bSynonymsAll, c.all) << c.name;
    EXPECT_EQ(param.m_options.m_bWholeDiagram, 0) << c.name;
  }
}

}  // namespace
