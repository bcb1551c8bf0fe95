#include <gtest/gtest.h>

#include "support/attrmodel_fixture.h"
#include "support/recording_canvas.h"
#include "support/swimgroup_fixture.h"

namespace {

using RepObj = SComWrap<ISRepObject, &IID_ISRepObject>;

// Notes the font angles and text styles the group draws with.
class TGroupCanvas : public RecordingCanvas {
 public:
  void SetFont(const SSymFont& font) override {
    m_angles.push_back(font.m_angle);
    RecordingCanvas::SetFont(font);
  }
  void DrawText(const SSymRect& r, const SString& text, int style) override {
    m_styles.push_back(style);
    RecordingCanvas::DrawText(r, text, style);
  }
  std::vector<LONG> m_angles;
  std::vector<int> m_styles;
};

// The pool's heading counts its groups' levels: when lanes join a group the
// pool's start edge moves out by the group's band, so pools here start one
// band (or two, for two levels) inside where the groups are expected.
class SwimGroup : public SwimGroupFixture {};

// ---- heading sizes ------------------------------------------------------------------------------
TEST_F(SwimGroup, HeadingIsAtLeastTheMinimumAndAddsTheDeepestMember) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 40000, 0), 1);
  SSymSwimGroup* outer = NewGroup(pool->Obj(), SSymRect(0, 40000, 20000, 0), u"Sales");
  RecordingCanvas canvas;
  // No member: the group's own heading; a short title measures less than the minimum.
  EXPECT_EQ(outer->GetHeadSize(canvas), 2000);
  EXPECT_EQ(outer->m_nHeadSize, 2000);
  // A lane adds H.
  NewLane(outer->Obj(), SSymRect(0, 38000, 8000, 0));
  EXPECT_EQ(outer->GetHeadSize(canvas), 2000 + 2000);
  // A nested group adds its own extent (its heading and its lane's H).
  SSymSwimGroup* inner = NewGroup(outer->Obj(), SSymRect(8000, 38000, 16000, 0), u"East");
  NewLane(inner->Obj(), SSymRect(8000, 36000, 16000, 0));
  EXPECT_EQ(outer->GetHeadSize(canvas), 2000 + 2000 + 2000);
  EXPECT_EQ(inner->m_nHeadSize, 2000);
}

TEST_F(SwimGroup, LargeTitleWidensTheHeadingAndNoDiagramKeepsTheStoredSize) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 40000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 20000, 0), u"Operations");
  g->m_font = SSymFont(SString(u"Arial"), 40);
  RecordingCanvas canvas;
  const int measured = canvas.GetTextHeight(SString(u"Operations"), g->m_font);
  ASSERT_GT(measured, 2000);
  EXPECT_EQ(g->GetHeadSize(canvas), measured);
  // Wrapped to the group's length, the title takes as many lines as it needs.
  Prefs()->m_nSwimHeadMode = SSymSwimGroup::HeadingWrapped;
  g->m_text = SString(u"Operations and logistics of the northern region");
  const int wrapped = g->GetHeadSize(canvas);
  EXPECT_GE(wrapped, measured);

  SSymSwimGroup* loose = Make<SSymSwimGroup>();
  loose->m_nHeadSize = 1234;
  EXPECT_EQ(loose->GetHeadSize(canvas), 1234);
}

// ---- ownership ----------------------------------------------------------------------------------
TEST_F(SwimGroup, OwnsLanesAndNestedGroups) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 40000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 20000, 0));
  TGroupLane* a = NewLane(pool->Obj(), SSymRect(20000, 40000, 28000, 0));
  TGroupLane* b = NewLane(pool->Obj(), SSymRect(28000, 40000, 36000, 0));
  SSymSwimGroup* inner = NewGroup(pool->Obj(), SSymRect(36000, 40000, 40000, 0));
  ISSymOwner* owner = g;
  // A lane of the pool leaves the pool for the group: one owner at a time.
  EXPECT_EQ(owner->Add(a->Sym()), S_OK);
  EXPECT_EQ(owner->Add(inner->Sym()), S_OK);
  EXPECT_EQ(static_cast<ISSymOwner*>(inner)->Add(b->Sym()), S_OK);
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{g->Sym()}));
  EXPECT_EQ(MembersOf(g->Obj()), (std::vector<ISSymbol*>{a->Sym(), inner->Sym()}));
  EXPECT_TRUE(owner->Contains(a->Sym(), 0));
  EXPECT_FALSE(owner->Contains(b->Sym(), 0));
  EXPECT_TRUE(owner->Contains(b->Sym(), 1));
  EXPECT_EQ(g->GetSwimSym(), pool->Sym());
  EXPECT_EQ(inner->GetSwimSym(), pool->Sym());
  EXPECT_EQ(g->GetGrpLevel(), 2);
  SUnsortedComBag<ISSymbol> lanes;
  g->GetAllLane(lanes, 1);
  ASSERT_EQ(lanes.GetOrderCount(), 2);
  EXPECT_EQ(lanes.GetOrderAt(0), a->Sym());
  EXPECT_EQ(lanes.GetOrderAt(1), b->Sym());
  // A hidden lane is left out unless all are asked for.
  b->Show(0);
  SUnsortedComBag<ISSymbol> shown;
  g->GetAllLane(shown, 0);
  EXPECT_EQ(shown.GetOrderCount(), 1);

  EXPECT_EQ(owner->Remove(a->Sym()), S_OK);
  EXPECT_FALSE(owner->Contains(a->Sym(), 1));
  EXPECT_TRUE(owner->Contains(b->Sym(), 1));
}

TEST_F(SwimGroup, RefusesWhatItCannotHold) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 40000, 0), 1);
  SSymSwimLane* other = NewPool(SSymRect(0, 40000, 40000, 50000), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 20000, 0));
  SSymSwimGroup* inner = NewGroup(g->Obj(), SSymRect(0, 38000, 20000, 0));
  TGroupLane* foreign = NewLane(other->Obj(), SSymRect(0, 40000, 8000, 0));
  TSym* plain = Make<TSym>();
  ISSymOwner* owner = g;
  struct Case {
    const char* what;
    ISSymOwner* into;
    ISSymbol* symbol;
  } cases[] = {{"not a lane", owner, plain->Sym()},
               {"lane of another pool", owner, foreign->Sym()},
               {"itself", owner, g->Sym()},
               {"its own holder", inner, g->Sym()}};
  for (const Case& c : cases) {
    EXPECT_EQ(c.into->Add(c.symbol), E_INVALIDARG) << c.what;
  }
  EXPECT_EQ(owner->Add(nullptr), E_POINTER);
  // Nothing left its owner and nothing was taken in.
  EXPECT_EQ(MembersOf(other->Obj()), (std::vector<ISSymbol*>{foreign->Sym()}));
  EXPECT_EQ(MembersOf(g->Obj()), (std::vector<ISSymbol*>{inner->Sym()}));
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{g->Sym()}));
}

// ---- arrangement --------------------------------------------------------------------------------
// Lanes at scattered places are packed from the group's start, below the
// heading band (H when no size is known yet), and the group ends with them.
TEST_F(SwimGroup, ArrangesMembersBelowTheHeadingInBothOrientations) {
  struct Case {
    int vertical;
    SSymRect pool, group, lane1, lane2;
    SSymRect want1, want2, wantGroup;
  } cases[] = {
      // Side by side: columns from the group's left, heading band at the top.
      {1, SSymRect(0, 38000, 30000, 0), SSymRect(0, 40000, 30000, 0), SSymRect(9000, 30000, 14000, 5000),
       SSymRect(21000, 12000, 28000, 2000), SSymRect(0, 38000, 5000, 0), SSymRect(5000, 38000, 12000, 0),
       SSymRect(0, 40000, 12000, 0)},
      // Stacked: rows from the group's bottom upward, heading band at the left.
      {0, SSymRect(2000, 40000, 40000, 0), SSymRect(0, 30000, 40000, 0), SSymRect(9000, 30000, 14000, 25000),
       SSymRect(3000, 12000, 28000, 5000), SSymRect(2000, 5000, 40000, 0), SSymRect(2000, 12000, 40000, 5000),
       SSymRect(0, 12000, 40000, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vertical);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(c.pool, c.vertical);
    SSymSwimGroup* g = NewGroup(pool->Obj(), c.group);
    TGroupLane* l1 = NewLane(g->Obj(), c.lane1);
    TGroupLane* l2 = NewLane(g->Obj(), c.lane2);
    g->ArrangeLanes(0);
    EXPECT_EQ(g->m_nHeadSize, 2000);
    EXPECT_EQ(Rect(l1->Sym()), c.want1);
    EXPECT_EQ(Rect(l2->Sym()), c.want2);
    EXPECT_EQ(Rect(g->Sym()), c.wantGroup);
  }
}

// A nested group starts inside its holder's heading band, and its lanes
// inside its own.
TEST_F(SwimGroup, NestedGroupStartsInsideTheHolderHeading) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 36000, 40000, 0), 1);
  SSymSwimGroup* outer = NewGroup(pool->Obj(), SSymRect(0, 40000, 30000, 0));
  SSymSwimGroup* inner = NewGroup(outer->Obj(), SSymRect(4000, 30000, 9000, 0));
  TGroupLane* lane = NewLane(inner->Obj(), SSymRect(6000, 20000, 11000, 0));
  TGroupLane* last = NewLane(outer->Obj(), SSymRect(0, 20000, 6000, 0));
  outer->ArrangeLanes(0);
  EXPECT_EQ(Rect(inner->Sym()), SSymRect(0, 38000, 5000, 0));
  EXPECT_EQ(Rect(lane->Sym()), SSymRect(0, 36000, 5000, 0));
  EXPECT_EQ(Rect(last->Sym()), SSymRect(5000, 38000, 11000, 0));
  EXPECT_EQ(Rect(outer->Sym()), SSymRect(0, 40000, 11000, 0));
}

// ---- drawing and hit tests ----------------------------------------------------------------------
TEST_F(SwimGroup, DrawsItsBandTitleAndMembers) {
  for (int vertical : {1, 0}) {
    SCOPED_TRACE(vertical);
    FreshDiagram();
    SSymSwimLane* pool = NewPool(vertical ? SSymRect(0, 28000, 20000, 0) : SSymRect(2000, 30000, 20000, 0), vertical);
    SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 30000, 20000, 0), u"Finance");
    TGroupLane* lane = NewLane(g->Obj(), SSymRect(0, 28000, 8000, 0));
    g->m_nHeadSize = 2500;
    Prefs()->m_nSwimHeadMode = SSymSwimGroup::HeadingOneLine;
    TGroupCanvas canvas;
    EXPECT_EQ(g->Draw(canvas), 0);
    // The pool has fitted the group to its one lane along the lanes.
    const SSymRect box = vertical ? SSymRect(0, 30000, 8000, 0) : SSymRect(0, 28000, 20000, 0);
    const SSymRect band = vertical ? SSymRect(0, 30000, 8000, 27500) : SSymRect(0, 28000, 2500, 0);
    EXPECT_EQ(canvas.Only("Rectangle"), std::vector<std::string>{"Rectangle " + RecordingCanvas::R(box)});
    EXPECT_EQ(canvas.Only("DrawText"), std::vector<std::string>{"DrawText " + RecordingCanvas::R(band) + " Finance"});
    EXPECT_LT(canvas.IndexOf("Rectangle"), canvas.IndexOf("DrawText"));
    ASSERT_FALSE(canvas.m_angles.empty());
    EXPECT_EQ(canvas.m_angles.back(), vertical ? 0 : 900);
    // The one-line mode clears the wrap bit and sets the single-line one.
    ASSERT_EQ(canvas.m_styles.size(), 1u);
    EXPECT_EQ(canvas.m_styles[0], (0x22 & ~0x1000) | 0x2000);
    EXPECT_EQ(lane->m_drawn, 1);
    Prefs()->m_nSwimHeadMode = 0;
  }
  // Outside a pool nothing is drawn.
  SSymSwimGroup* loose = Make<SSymSwimGroup>();
  RecordingCanvas canvas;
  EXPECT_EQ(loose->Draw(canvas), 0);
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST_F(SwimGroup, MembersAreHitBeforeTheGroupsBandOfH) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 38000, 40000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 20000, 0));
  TGroupLane* lane = NewLane(g->Obj(), SSymRect(0, 35000, 8000, 0));
  g->m_nHeadSize = 5000;  // the band hit is H thick, not the heading size
  RecordingCanvas canvas;
  SComOut<ISSymbol> hit;
  EXPECT_TRUE(g->IsPtInSym(canvas, SSymPoint(4000, 20000), nullptr, &hit));
  EXPECT_EQ(hit.Get(), lane->Sym());
  hit.Reset();
  EXPECT_TRUE(g->IsPtInSym(canvas, SSymPoint(6000, 39000), nullptr, &hit));
  EXPECT_EQ(hit.Get(), nullptr);
  EXPECT_FALSE(g->IsPtInSym(canvas, SSymPoint(12000, 37000), nullptr, &hit));
  EXPECT_FALSE(g->IsPtInSym(canvas, SSymPoint(21000, 39000), nullptr, &hit));
}

TEST_F(SwimGroup, LanePositionIsTheInnermostGroupAndTheIndexInIt) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 40000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 24000, 0));
  NewLane(g->Obj(), SSymRect(0, 38000, 8000, 0));
  SSymSwimGroup* inner = NewGroup(g->Obj(), SSymRect(8000, 38000, 24000, 0));
  NewLane(inner->Obj(), SSymRect(8000, 36000, 16000, 0));
  NewLane(inner->Obj(), SSymRect(16000, 36000, 24000, 0));
  int index = -1;
  EXPECT_EQ(g->GetLanePosition(SSymPoint(3000, 100), nullptr, index), g->Sym());
  EXPECT_EQ(index, 0);
  EXPECT_EQ(g->GetLanePosition(SSymPoint(21000, 100), nullptr, index), inner->Sym());
  EXPECT_EQ(index, 2);
  index = -1;
  EXPECT_EQ(g->GetLanePosition(SSymPoint(30000, 100), nullptr, index), nullptr);
  EXPECT_EQ(index, -1);
}

// ---- dissolving and self-deletion ---------------------------------------------------------------
TEST_F(SwimGroup, UngroupPutsTheLanesInOrderWhereTheGroupStood) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  TGroupLane* first = NewLane(pool->Obj(), SSymRect(0, 40000, 8000, 0));
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(8000, 40000, 32000, 0));
  TGroupLane* a = NewLane(g->Obj(), SSymRect(8000, 38000, 16000, 0));
  TGroupLane* b = NewLane(g->Obj(), SSymRect(16000, 38000, 24000, 0));
  TGroupLane* c = NewLane(g->Obj(), SSymRect(24000, 38000, 32000, 0));
  TGroupLane* last = NewLane(pool->Obj(), SSymRect(32000, 40000, 40000, 0));
  g->Ungroup();
  EXPECT_TRUE(g->IsDeleted());
  EXPECT_EQ(MembersOf(pool->Obj()),
            (std::vector<ISSymbol*>{first->Sym(), a->Sym(), b->Sym(), c->Sym(), last->Sym()}));
}

// A nested group's lanes go into the enclosing group, where the nested
// group stood, not to the front of the pool.
TEST_F(SwimGroup, UngroupOfANestedGroupStaysInTheEnclosingGroup) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  TGroupLane* before = NewLane(pool->Obj(), SSymRect(0, 40000, 8000, 0));
  SSymSwimGroup* outer = NewGroup(pool->Obj(), SSymRect(8000, 40000, 40000, 0));
  TGroupLane* x = NewLane(outer->Obj(), SSymRect(8000, 38000, 16000, 0));
  SSymSwimGroup* inner = NewGroup(outer->Obj(), SSymRect(16000, 38000, 32000, 0));
  TGroupLane* a = NewLane(inner->Obj(), SSymRect(16000, 36000, 24000, 0));
  TGroupLane* b = NewLane(inner->Obj(), SSymRect(24000, 36000, 32000, 0));
  TGroupLane* y = NewLane(outer->Obj(), SSymRect(32000, 38000, 40000, 0));
  inner->Ungroup();
  EXPECT_TRUE(inner->IsDeleted());
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{before->Sym(), outer->Sym()}));
  EXPECT_EQ(MembersOf(outer->Obj()), (std::vector<ISSymbol*>{x->Sym(), a->Sym(), b->Sym(), y->Sym()}));
}

TEST_F(SwimGroup, UngroupOfAnEmptyGroupDeletesIt) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  TGroupLane* lane = NewLane(pool->Obj(), SSymRect(0, 40000, 8000, 0));
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(8000, 40000, 32000, 0));
  g->Ungroup();
  EXPECT_TRUE(g->IsDeleted());
  EXPECT_EQ(MembersOf(pool->Obj()), (std::vector<ISSymbol*>{lane->Sym()}));
}

TEST_F(SwimGroup, LosingItsLastLaneDeletesTheGroupUnlessGroupsAreRebuilt) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  NewLane(pool->Obj(), SSymRect(0, 40000, 8000, 0));
  SSymSwimGroup* kept = NewGroup(pool->Obj(), SSymRect(8000, 40000, 16000, 0));
  TGroupLane* k = NewLane(kept->Obj(), SSymRect(8000, 38000, 16000, 0));
  {
    SSymSwimGroupUpdate rebuilding;
    EXPECT_EQ(static_cast<ISSymOwner*>(kept)->Remove(k->Sym()), S_OK);
  }
  EXPECT_FALSE(kept->IsDeleted());

  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(16000, 40000, 32000, 0));
  TGroupLane* a = NewLane(g->Obj(), SSymRect(16000, 38000, 24000, 0));
  TGroupLane* b = NewLane(g->Obj(), SSymRect(24000, 38000, 32000, 0));
  ISSymOwner* owner = g;
  EXPECT_EQ(owner->Remove(a->Sym()), S_OK);
  EXPECT_FALSE(g->IsDeleted());
  EXPECT_EQ(owner->Remove(b->Sym()), S_OK);
  EXPECT_TRUE(g->IsDeleted());
}

// ---- formats -----------------------------------------------------------------------------------
// The group's title takes the DisplayName font; the members get the format
// as given, and the caller's record is left as it was.
TEST_F(SwimGroup, FormatSpreadsToMembersAndTheTitleTakesTheNameFont) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 30000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 30000, 0), u"Sales");
  SSymSwimGroup* inner = NewGroup(g->Obj(), SSymRect(0, 38000, 30000, 0), u"East");
  NewLane(inner->Obj(), SSymRect(0, 36000, 8000, 0));
  SSymFormatEx format;
  format.m_flags = SSymFormatEx::FlagFonts;
  format.m_textStyle = 0x22;
  SSymFonts text, name;
  text.m_name = SString(u"Text");
  text.m_font = SSymFont(SString(u"Arial"), 10);
  name.m_name = SString(u"DisplayName");
  name.m_font = SSymFont(SString(u"Arial"), 14);
  format.m_fonts.Add(text);
  format.m_fonts.Add(name);
  const SSymFormatEx before(format);
  g->SetAllFormat(format);
  EXPECT_EQ(g->m_font.m_size, 14);
  EXPECT_EQ(inner->m_font.m_size, 14);
  EXPECT_TRUE(format.m_fonts == before.m_fonts);
}

// ---- showing, titles, deletion ------------------------------------------------------------------
TEST_F(SwimGroup, HidingHidesTheLanesAndShowingLeavesThemHidden) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 16000, 0));
  TGroupLane* lane = NewLane(g->Obj(), SSymRect(0, 38000, 8000, 0));
  g->Show(0);
  EXPECT_TRUE(g->IsHidden());
  EXPECT_TRUE(lane->IsHidden());
  g->Show(1);
  EXPECT_FALSE(g->IsHidden());
  EXPECT_TRUE(lane->IsHidden());
}

TEST_F(SwimGroup, UserGroupTitleIsItsOwnTextAndHasTheGroupStyle) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 48000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 16000, 0), u"Old");
  EXPECT_EQ(g->m_textStyle, 0x22);
  EXPECT_EQ(g->GetObjectW(), nullptr);
  EXPECT_EQ(g->SetText(SString(u"New"), 1), S_OK);
  SString text;
  g->GetText(text);
  EXPECT_EQ(text, SString(u"New"));
  EXPECT_EQ(g->GetSymbolType(), 17);
}

// A group that stands for a model object shows and edits the object's
// display name; renaming the object refits the heading height.
TEST_F(SwimGroup, ParentGroupTitleIsTheObjectsDisplayName) {
  TItemRegistry();
  SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 30000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 30000, 0), u"own");
  SComOut<TItem> item(NewItem(m_session, "Item"));
  item->m_display = SString(u"Region");
  g->SetObject(item.Get());
  SString text;
  g->GetText(text);
  EXPECT_EQ(text, SString(u"Region"));
  EXPECT_EQ(g->SetText(SString(u"North"), 1), S_OK);
  EXPECT_EQ(item->m_display, SString(u"North"));
  EXPECT_EQ(g->m_text, SString(u"own"));
  // The set itself and the object's notice each ask for the refit.
  EXPECT_EQ(m_d->m_adjusted, (std::vector<int>{1, 1}));
  g->SetObject(nullptr);
}

// A group that cannot be deleted (no diagram) keeps its model object.
TEST_F(SwimGroup, RefusedDeletionKeepsTheModelObject) {
  SSymSwimGroup* g = Make<SSymSwimGroup>();
  TSym* object = Make<TSym>();
  g->SetObject(object->Obj());
  EXPECT_EQ(g->Delete(), 1);
  EXPECT_FALSE(g->IsDeleted());
  EXPECT_EQ(g->GetGroupObject(), object->Obj());
  g->SetObject(nullptr);
  EXPECT_EQ(g->GetGroupObject(), nullptr);
}

TEST_F(SwimGroup, MovingMovesTheMembersAndNeedsAPool) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 38000, 48000, 0), 1);
  SSymSwimGroup* g = NewGroup(pool->Obj(), SSymRect(0, 40000, 16000, 0));
  TGroupLane* lane = NewLane(g->Obj(), SSymRect(0, 38000, 8000, 0));
  EXPECT_EQ(g->MoveBy(SSymSize(1000, 0), 0), S_OK);
  EXPECT_EQ(Rect(g->Sym()), SSymRect(1000, 40000, 9000, 0));  // fitted to its lane by the pool
  EXPECT_EQ(Rect(lane->Sym()), SSymRect(1000, 38000, 9000, 0));
  SSymSwimGroup* loose = Make<SSymSwimGroup>();
  EXPECT_EQ(loose->MoveBy(SSymSize(1000, 0), 0), E_FAIL);
}

}  // namespace
