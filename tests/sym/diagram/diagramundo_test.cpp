// Undo and redo over diagram edits restore exactly, and a lockout context
// that is abandoned changes nothing: the reduced cases an editing session
// once broke, each compared against full snapshots of the session.
#include "support/link_fixture.h"
#include "support/session_state.h"
#include "support/swim_fixture.h"
#include "sym/composite/symgroup.h"
#include "sym/edit/symselection.h"
#include "sym/symbol/symcoll.h"
#include "sym/symbol/symstd.h"

namespace {

class DiagramUndo : public LinkFixture {
 protected:
  SessionState State() { return SessionState::Take(m_diagram, m_seen); }
  void ExpectSound(const char* when) {
    EXPECT_EQ(SessionState::Check(m_diagram, m_seen), "") << when;
  }
  SSymStd* PlacedBox(const SSymRect& r) {
    auto* b = New<SSymStd>(CLSID_SSymRectangle);
    b->InitialSymRect(r);
    m_diagram->Add(b->Sym());
    return b;
  }
  // Undoes every step (exactly as many as the session counts), expecting
  // `first`, then redoes every one, expecting `last`.
  void ExpectUndoAllRedoAll(const SessionState& first, const SessionState& last) {
    const int steps = m_session->GetUndoCount();
    for (int i = 0; i < steps; ++i) ASSERT_EQ(m_session->Undo(), S_OK) << "undo " << i;
    EXPECT_FALSE(m_session->CanUndo());
    EXPECT_EQ(SessionState::Diff(first, State()), "") << "after undoing all";
    ExpectSound("after undoing all");
    for (int i = 0; i < steps; ++i) ASSERT_EQ(m_session->Redo(), S_OK) << "redo " << i;
    EXPECT_FALSE(m_session->CanRedo());
    EXPECT_EQ(SessionState::Diff(last, State()), "") << "after redoing all";
    ExpectSound("after redoing all");
  }
  static SSymPen WidePen() {
    SSymPen pen;
    pen.m_width = 400;
    pen.m_style = 1;
    return pen;
  }
  std::set<SRepObject*> m_seen;
};

TEST_F(DiagramUndo, DeletingALinkedBoxAndUndoingBringsTheLinkBackAttached) {
  SSymStd* a = PlacedBox(SSymRect(0, 3600, 4800, 0));
  SSymStd* b = PlacedBox(SSymRect(10000, 3600, 14800, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt({SSymPoint(4800, 1800), SSymPoint(10000, 1800)}));
  m_diagram->Add(l->Sym());
  const SessionState before = State();
  ExpectSound("linked");
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(a->Delete(), S_OK);
  }
  EXPECT_TRUE(l->IsDeleted());
  ExpectSound("deleted");
  const SessionState deleted = State();
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(End(l, 0), a->Sym());
  EXPECT_EQ(End(l, 1), b->Sym());
  EXPECT_TRUE(a->GetLinks().Contains(SComWrap<ISSymLink>(l->Sym()).Get()));
  EXPECT_TRUE(b->GetLinks().Contains(SComWrap<ISSymLink>(l->Sym()).Get()));
  EXPECT_EQ(SessionState::Diff(before, State()), "");
  ExpectSound("undone");
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(SessionState::Diff(deleted, State()), "");
  ExpectSound("redone");
  // The box came back linkable: deleting it again takes the link again.
  ASSERT_EQ(m_session->Undo(), S_OK);
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(a->Delete(), S_OK);
  }
  EXPECT_TRUE(l->IsDeleted());
  ExpectSound("deleted again");
}

TEST_F(DiagramUndo, AGroupFormattedThroughASelectionAndDeletedUndoesAndRedoesExactly) {
  SSymStd* a = PlacedBox(SSymRect(0, 3600, 4800, 0));
  SSymStd* b = PlacedBox(SSymRect(10000, 3600, 14800, 0));
  const SessionState first = State();
  SSymGroup* group = nullptr;
  {
    SRepCreateContext step(Session());
    m_diagram->Remove(a->Sym());
    m_diagram->Remove(b->Sym());
    SSymCollection members;
    members.Add(a->Sym());
    members.Add(b->Sym());
    ASSERT_EQ(SSymGroup::CreateFromCollection(members, Session(), &group), S_OK);
    Own<SSymGroup>(group->Obj());
    ASSERT_EQ(m_diagram->Add(group->Sym()), S_OK);
  }
  ExpectSound("grouped");
  {
    SSymCollection selection;
    selection.Add(group->Sym());
    selection.SetPen(WidePen(), 1);
  }
  ExpectSound("formatted");
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(group->Delete(), S_OK);
  }
  EXPECT_TRUE(group->IsDeleted());
  ExpectSound("deleted");
  const SessionState last = State();
  EXPECT_EQ(m_session->GetUndoCount(), 3);
  ExpectUndoAllRedoAll(first, last);
  EXPECT_TRUE(group->IsDeleted());
}

TEST_F(DiagramUndo, ALassoMoveUndoesAndRedoesExactly) {
  SSymStd* a = PlacedBox(SSymRect(0, 3600, 4800, 0));
  SSymStd* b = PlacedBox(SSymRect(10000, 3600, 14800, 0));
  PlacedBox(SSymRect(40000, 3600, 44800, 0));
  SSymLinkBase* l = Link(a, b, SSymListPt({SSymPoint(4800, 1800), SSymPoint(10000, 1800)}));
  m_diagram->Add(l->Sym());
  const SessionState first = State();
  SSymSelection selection;
  ASSERT_EQ(m_diagram->AddSymInRectToSel(SSymRect(-100, 4000, 20000, -100), &selection, 0), S_OK);
  selection.Clear(0);
  selection.Add(a->Sym(), 0);
  selection.Add(b->Sym(), 0);
  selection.Add(l->Sym(), 0);
  ASSERT_EQ(selection.MoveBy(SSymSize(3000, -2000), 0, 0), S_OK);
  ExpectSound("moved");
  const SessionState last = State();
  EXPECT_NE(SessionState::Diff(first, last), "");
  ExpectUndoAllRedoAll(first, last);
}

TEST_F(DiagramUndo, AnAbandonedLockoutLeavesFormatsAndTheIndexAsTheyWere) {
  SSymStd* a = PlacedBox(SSymRect(0, 3600, 4800, 0));
  PlacedBox(SSymRect(4900, 3600, 9700, 0));
  ASSERT_TRUE(m_diagram->GetRectIndex()->IsConsistent());
  const SessionState first = State();
  const int steps = m_session->GetUndoCount();
  {
    SRepLockoutContext lockout(Session());
    SSymCollection selection;
    selection.Add(a->Sym());
    selection.SetPen(WidePen(), 1);
  }
  EXPECT_EQ(SessionState::Diff(first, State()), "");
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  ExpectSound("abandoned");
  // Applied, the same change is there and is one undo step.
  {
    SRepLockoutContext lockout(Session());
    SSymCollection selection;
    selection.Add(a->Sym());
    selection.SetPen(WidePen(), 1);
    ASSERT_EQ(lockout.Apply(), S_OK);
  }
  EXPECT_EQ(a->GetPen().m_width, WidePen().m_width);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  ExpectSound("applied");
  const SessionState last = State();
  ExpectUndoAllRedoAll(first, last);
}

TEST_F(DiagramUndo, AWideningPenWithoutRedrawReachesTheIndex) {
  SSymStd* a = PlacedBox(SSymRect(0, 3600, 4800, 0));
  PlacedBox(SSymRect(4900, 3600, 9700, 0));
  ASSERT_TRUE(m_diagram->GetRectIndex()->IsConsistent());
  ASSERT_EQ(a->SetPen(WidePen(), 0), S_OK);
  EXPECT_TRUE(m_diagram->GetRectIndex()->IsConsistent());
  {
    SSymCollection selection;
    selection.Add(a->Sym());
    SSymPen thin;
    thin.m_width = 1;
    thin.m_style = 1;
    selection.SetPen(thin, 0);
  }
  EXPECT_TRUE(m_diagram->GetRectIndex()->IsConsistent());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(m_diagram->GetRectIndex()->IsConsistent());
}

}  // namespace

namespace {

class PoolLockout : public SwimFixture {};

TEST_F(PoolLockout, APoolResizedInAnAbandonedLockoutLeavesTheIndexAnsweringAsTheWalk) {
  SSymSwimLane* pool = NewPool(SSymRect(0, 20000, 30000, 0), 0);
  AddLane(pool, SSymRect(0, 20000, 15000, 0));
  auto* box = Make<TSym>(SSymRect(40000, 3600, 44800, 0));
  m_d->Add(box->Sym());
  ASSERT_TRUE(m_d->GetRectIndex()->IsConsistent());
  std::set<SRepObject*> seen;
  const SessionState first = SessionState::Take(m_d, seen);
  const int steps = m_session->GetUndoCount();
  {
    SRepLockoutContext lockout(Session());
    pool->SetSize(SRep_Point{50000, 30000});
  }
  EXPECT_EQ(SessionState::Diff(first, SessionState::Take(m_d, seen)), "");
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  EXPECT_EQ(SessionState::Check(m_d, seen), "");
  {
    SRepLockoutContext lockout(Session());
    pool->SetSize(SRep_Point{50000, 30000});
    ASSERT_EQ(lockout.Apply(), S_OK);
  }
  EXPECT_EQ(SessionState::Check(m_d, seen), "");
  const SessionState last = SessionState::Take(m_d, seen);
  EXPECT_NE(SessionState::Diff(first, last), "");
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(SessionState::Diff(first, SessionState::Take(m_d, seen)), "");
  EXPECT_EQ(SessionState::Check(m_d, seen), "");
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(SessionState::Diff(last, SessionState::Take(m_d, seen)), "");
}

}  // namespace
