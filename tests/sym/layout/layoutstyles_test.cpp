// The layout objects around the engine's run: the steps of a run and its
// one undo step, the run-wide session flag and layout ids, the tree
// hierarchy's orientation kept in step with the display preferences, and
// the composite layout's group ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/comp_fixture.h"
#include "support/layout_fixture.h"

namespace {

using P = SSymAutoLayoutPlacement;
using S = SSymAutoLayoutStyle;

constexpr LONG kDisplayPreferences = 0x02010022;

// An engine's run that notes its steps and moves every symbol to lay out
// by (1000, -1000); what it was handed is kept.
class TRecordingLayout : public SSymAutoLayoutEx {
 public:
  using SSymAutoLayoutEx::SSymAutoLayoutEx;
  void PreLayout() override { m_steps += "pre "; }
  void PostLayout() override { m_steps += "post"; }
  int CallAutoLayoutMethod(SSymAutoLayoutParam& param) override {
    m_steps += "call ";
    m_handed = param.m_pSubset;
    m_inSession = SSymAutoLayoutSession::IsInSession();
    for (int i = 0; i < param.m_pSubset->GetCount(); ++i) param.m_pSubset->GetAt(i)->MoveBy(SSymSize(1000, -1000), 0);
    return 1;
  }
  std::string m_steps;
  const SComTable<ISSymbol>* m_handed = nullptr;
  bool m_inSession = true;
};

class LayoutStyles : public LayoutFixture {
 protected:
  void SetUp() override {
    LayoutFixture::SetUp();
    SSymAutoLayoutIdDistributor::Reset();
  }
  void TearDown() override {
    // Composites' collections hold their members: let go of them first.
    for (SRepObject* o : m_made) o->ReleaseAll();
    LayoutFixture::TearDown();
  }
  SString SavedPreferences() {
    SRepVariant v;
    m_d->RepObject()->GetAttribute(kDisplayPreferences, &v);
    return v.GetTEXT();
  }
};

TEST_F(LayoutStyles, EngineRunTakesItsStepsInOrderAsOneUndoStep) {
  TSym* a = AddTo(m_d, SSymRect(0, 3600, 4800, 0));
  TSym* b = AddTo(m_d, SSymRect(9000, 3600, 13800, 0));
  SComTable<ISSymbol> subset;
  subset.Add(a->Sym());
  subset.Add(b->Sym());
  SSymAutoLayoutParam param(Face(), &subset);
  TRecordingLayout layout(param);
  const int stepsBefore = m_session->GetUndoCount();
  EXPECT_EQ(layout.Invoke(), 1);
  EXPECT_EQ(layout.m_steps, "pre call post");
  EXPECT_EQ(layout.m_handed, &layout.GetSubset()) << "the object's own table, not the caller's";
  EXPECT_FALSE(layout.m_inSession) << "the flag belongs to the library's own run";
  EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(1000, 2600, 5800, -1000));
  EXPECT_EQ(m_session->GetUndoCount(), stepsBefore + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(b->GetClipRect(0, 0), SSymRect(9000, 3600, 13800, 0));

  // A bare object does nothing at all.
  TRecordingLayout bare(Face());
  EXPECT_EQ(bare.Invoke(), 0);
  EXPECT_EQ(bare.m_steps, "");
}

TEST_F(LayoutStyles, SessionFlagAndIdsAreRunWide) {
  EXPECT_FALSE(SSymAutoLayoutSession::IsInSession());
  {
    SSymAutoLayoutSession::Scope outer;
    EXPECT_TRUE(SSymAutoLayoutSession::IsInSession());
    {
      SSymAutoLayoutSession::Scope inner;
    }
    EXPECT_TRUE(SSymAutoLayoutSession::IsInSession()) << "an inner run gives back the flag it found";
  }
  EXPECT_FALSE(SSymAutoLayoutSession::IsInSession());
  try {
    SSymAutoLayoutSession::Scope run;
    throw 1;
  } catch (int) {
  }
  EXPECT_FALSE(SSymAutoLayoutSession::IsInSession()) << "also when an exception leaves the run";
  // The library's own run leaves the flag as it found it.
  AddTo(m_d);
  SSymAutoLayoutParam param(Face());
  SSymAutoLayout own(param);
  EXPECT_NE(own.Invoke(), 0);
  EXPECT_FALSE(SSymAutoLayoutSession::IsInSession());

  EXPECT_EQ(SSymAutoLayoutIdDistributor::CreateID(), 1);
  EXPECT_EQ(SSymAutoLayoutIdDistributor::CreateID(), 2);
  SSymAutoLayoutIdDistributor::Reset();
  EXPECT_EQ(SSymAutoLayoutIdDistributor::CreateID(), 1);
}

TEST_F(LayoutStyles, TreeHierarchyKeepsOrientationAndPlacementInStep) {
  ISSymDispPref* prefs = SSymGetDispPrefPtr(Face());
  ASSERT_NE(prefs, nullptr);
  // The user's choice goes to the preferences, saved with the diagram.
  struct Chosen {
    LONG placement;
    int vertical;  // after the step
  } chosen[] = {{P::LeftToRight, 0}, {P::TopToBottom, 1}, {P::Radiation, 1}, {P::RightToLeft, 0}, {P::BottomToTop, 1}};
  for (const Chosen& c : chosen) {
    SSymAutoLayoutParam param(Face());
    param.m_options.m_bAutomatic = 0;
    param.m_options.m_nPlacement = c.placement;
    SSymAutoLayoutTreeHier layout(param);
    layout.PreLayout();
    EXPECT_EQ(prefs->GetTreeOrientation(), c.vertical) << c.placement;
    EXPECT_NE(SavedPreferences().Find(SString(c.vertical ? u"TreeVert=Yes" : u"TreeVert=No")), -1) << c.placement;
    EXPECT_EQ(layout.GetParam().m_options.m_nPlacement, c.placement) << "the user's placement stays";
  }
  // An automatic run takes its placement from the preferences.
  for (int vertical : {1, 0}) {
    ASSERT_TRUE(prefs->SetTreeOrientation(vertical));
    SSymAutoLayoutParam param(Face());
    param.m_options.m_nPlacement = P::RightToLeft;
    SSymAutoLayoutTreeHier layout(param);
    layout.PreLayout();
    const LONG want = vertical ? P::TopToBottom : P::LeftToRight;
    EXPECT_EQ(layout.GetParam().m_options.m_nPlacement, want) << vertical;
    EXPECT_EQ(layout.GetOptions().m_nPlacement, want) << vertical;
    EXPECT_EQ(prefs->GetTreeOrientation(), vertical) << "an automatic run changes no preference";
  }
  // A diagram without preferences: nothing happens.
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  ASSERT_EQ(SSymGetDispPrefPtr(bare->Diagram()), nullptr);
  SSymAutoLayoutParam param(bare->Diagram());
  param.m_options.m_nPlacement = P::RightToLeft;
  SSymAutoLayoutTreeHier layout(param);
  layout.PreLayout();
  EXPECT_EQ(layout.GetParam().m_options.m_nPlacement, P::RightToLeft);
}

TEST_F(LayoutStyles, CompositeLayoutGivesEachCompositeItsGroup) {
  TCompSym* first = Make<TCompSym>(SSymRect(0, 36000, 48000, 0), &TCompSym::DefaultDef());
  TCompSym* second = Make<TCompSym>(SSymRect(60000, 36000, 108000, 0), &TCompSym::DefaultDef());
  m_d->Add(first->Sym());
  AddTo(m_d, SSymRect(0, -6000, 4800, -9600));  // no composite: no group
  m_d->Add(second->Sym());
  struct Case {
    LONG style;
    std::vector<LONG> ids;  // of first, second; empty: no values at all
  } cases[] = {{S::Hierarchic, {}}, {S::Organic, {}}, {S::Circular, {1, 2}}, {S::Tree, {3, 4}}, {S::Basic, {}}};
  for (const Case& c : cases) {
    SSymAutoLayoutParam param(Face());
    param.m_options.m_nStyle = c.style;
    SSymAutoLayoutComposite layout(param);
    layout.PreLayout();
    SSymAutoLayoutParam handed(layout.GetParam());  // the values go with a copy
    SSymValueMap<ISSymbol*>* groups = handed.FindValueMap(SSymAutoLayoutValueMapKey::CompositeGroup);
    if (c.ids.empty()) {
      EXPECT_EQ(groups, nullptr) << c.style;
      continue;
    }
    ASSERT_NE(groups, nullptr) << c.style;
    EXPECT_EQ(groups->GetCount(), 2) << c.style;
    const SRepVariant* a = groups->Find(first->Sym());
    const SRepVariant* b = groups->Find(second->Sym());
    ASSERT_TRUE(a && b) << c.style;
    EXPECT_EQ(a->GetType(), SRepVT_LONG);
    EXPECT_EQ((std::vector<LONG>{a->GetLONG(), b->GetLONG()}), c.ids) << c.style;
  }
}

TEST_F(LayoutStyles, ParametersCarryTheEngineNumbers) {
  SSymAutoLayoutParam param(Face());
  EXPECT_EQ(param.m_engineNumbers, (SSymAutoLayoutParam::EngineNumbers{0, 4, -1, 600, 1650, 600, 600}));
  param.m_engineNumbers[4] = 99;
  SSymAutoLayoutGeneral layout(param);
  EXPECT_EQ(layout.GetParam().m_engineNumbers[4], 99);
  EXPECT_EQ(layout.GetParam().m_options.m_nPlacement, P::TopToBottom);
}

}  // namespace
