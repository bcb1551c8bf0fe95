// Undo records: messages, emptiness, the swap rule (run twice restores, three
// times equals once), whole user steps through the session, move merging,
// and records that outlive or fail on their targets.
#include <algorithm>
#include <functional>
#include <memory>
#include <sstream>

#include "support/symtest.h"

namespace {
std::string RectText(const SSymRect& r) {
  std::ostringstream o;
  o << r.x1 << ',' << r.y1 << ',' << r.x2 << ',' << r.y2 << ';';
  return o.str();
}

// Runs the record three times: the second run restores, the third equals the first.
void CheckSwap(SRepActionBase& record, const std::function<std::string()>& state) {
  const std::string before = state();
  ASSERT_EQ(record.Execute(), S_OK);
  const std::string once = state();
  EXPECT_NE(once, before);
  ASSERT_EQ(record.Execute(), S_OK);
  EXPECT_EQ(state(), before);
  ASSERT_EQ(record.Execute(), S_OK);
  EXPECT_EQ(state(), once);
}

std::string Msg(SRepActionBase& r) { return r.GetMessageW().ToUtf8(); }
}  // namespace

using SymAction = SymFixture;

TEST_F(SymAction, SetRecordsMessagesAndSwap) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  auto rects = [&] { return RectText(a->m_rect) + RectText(b->m_rect); };

  const std::size_t pooled = SSymActionMove::s_alloc.GetUsedCount();
  std::unique_ptr<SSymActionMove> move(new SSymActionMove());
  EXPECT_EQ(SSymActionMove::s_alloc.GetUsedCount(), pooled + 1);
  EXPECT_EQ(move->m_type, 3);
  EXPECT_TRUE(move->IsEmpty());
  move->m_offset = SSymSize(-100, -50);
  move->AddSymbol(a->Sym());
  move->AddSymbol(b->Sym());
  move->AddSymbol(a->Sym());
  EXPECT_EQ(move->GetCount(), 2);
  EXPECT_FALSE(move->IsEmpty());
  EXPECT_EQ(Msg(*move), "Changing position of symbols");
  CheckSwap(*move, rects);
  EXPECT_EQ(move->m_offset, SSymSize(100, 50));

  SSymActionHide hide;
  hide.AddSymbol(a->Sym());
  EXPECT_EQ(hide.m_type, 26);
  EXPECT_EQ(Msg(hide), "Hide a list of symbols");
  CheckSwap(hide, [&] { return std::to_string(a->IsHidden()); });
  EXPECT_EQ(Msg(hide), "Show a list of symbols");

  SSymActionAdjust adjust(true);
  EXPECT_TRUE(adjust.IsEmpty());
  TRich* r = Place<TRich>(DiagramOwner());
  adjust.AddSymbol(r->Sym());
  EXPECT_EQ(adjust.m_type, 30);
  EXPECT_EQ(Msg(adjust), "Changing adjust text of symbols");
  CheckSwap(adjust, [&] { return std::to_string(r->m_adjusted); });

  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint(1, 1));
  SUnsortedComBag<ISSymbol> links;
  links.Add(l->Sym());
  SSymActionInvLink inv(links);
  EXPECT_EQ(Msg(inv), "Inversing link symbol extremities");
  CheckSwap(inv, [&] { return std::to_string(l->m_end[0].IsNull()); });
}

TEST_F(SymAction, ProtectRecordKeepsItsOwnSetAndSelection) {
  TSym* a = Place(DiagramOwner());
  TSym* other = Place(DiagramOwner());
  SSymSelection selection;
  selection.Add(other->Sym(), 1);
  SUnsortedComBag<ISSymbol> set;
  set.Add(a->Sym());
  SSymActionProtect protect(set, 1, &selection);  // made by the unprotect command
  EXPECT_EQ(Msg(protect), "Protecting a list of symbols");
  SRepObjectBag objects;
  protect.CollectObjects(objects);
  ASSERT_EQ(objects.GetCount(), 1);
  EXPECT_EQ(objects.GetAt(0), a->Obj());  // the record's set, not the selection

  ASSERT_EQ(protect.Execute(), S_OK);
  EXPECT_TRUE(a->IsProtected());
  EXPECT_EQ(selection.GetCount(), 0);
  EXPECT_EQ(Msg(protect), "Unprotecting a list of symbols");
  ASSERT_EQ(protect.Execute(), S_OK);
  EXPECT_FALSE(a->IsProtected());
  ASSERT_EQ(selection.GetCount(), 1);
  EXPECT_EQ(selection.GetAt(0), a->Sym());
}

TEST_F(SymAction, ValueRecordsSwap) {
  TRich* r = Place<TRich>(DiagramOwner());

  SSymActionSize size(r->Sym(), SSymRect(1000, 0, 0, 2000));  // corners swapped
  EXPECT_EQ(size.m_rect, SSymRect(0, 2000, 1000, 0));
  EXPECT_EQ(size.m_type, 22);
  EXPECT_FALSE(size.IsEmpty());
  EXPECT_EQ(Msg(size), "Changing size of symbols");
  CheckSwap(size, [&] { return RectText(r->m_rect); });
  SSymActionSize same(r->Sym(), r->m_rect);
  EXPECT_TRUE(same.IsEmpty());
  const SSymRect kept = same.m_rect;
  ASSERT_EQ(same.Execute(), S_OK);
  EXPECT_EQ(same.m_rect, kept);

  SSymActionFontStyle font(r, 2);
  EXPECT_EQ(Msg(font), "Changing font style of symbols");
  EXPECT_FALSE(font.IsEmpty());
  CheckSwap(font, [&] { return std::to_string(r->m_fontStyle); });
  SSymActionTextStyle text(r, 4130);
  EXPECT_EQ(Msg(text), "Changing text style of symbols");
  CheckSwap(text, [&] { return std::to_string(r->m_textStyle); });
  SSymActionLineStyle line(r, 5, 27);
  EXPECT_EQ(line.m_type, 27);
  EXPECT_EQ(Msg(line), "Changing line style of symbols");
  CheckSwap(line, [&] { return std::to_string(r->m_lineStyle); });

  SSymActionText t(r, SString("former"));
  EXPECT_EQ(t.m_type, 24);
  EXPECT_EQ(Msg(t), "Changing text position of symbols");
  CheckSwap(t, [&] { return r->m_text.ToUtf8(); });
  SSymActionText none(nullptr, SString("x"));
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_THROW(none.Execute(), SECOMException);

  SSymActionShadow shadow;
  shadow.Add(r->Sym(), 1);
  EXPECT_EQ(shadow.Add(r->Sym(), 3), 0);
  ASSERT_EQ(shadow.GetCount(), 1);
  EXPECT_EQ(shadow.GetStyle(0), 3);
  EXPECT_FALSE(shadow.IsEmpty());
  EXPECT_EQ(Msg(shadow), "Changing shadow style of a list of symbols");
  CheckSwap(shadow, [&] { return std::to_string(r->m_shadow); });

  TLink* l = Place<TLink>(DiagramOwner());
  SSymActionPoly poly(l->Sym(), SSymListPt{{0, 0}, {100, 0}});
  EXPECT_EQ(poly.m_type, 23);
  EXPECT_EQ(Msg(poly), "Changing list of points of a polyline symbol");
  EXPECT_FALSE(poly.IsEmpty());
  CheckSwap(poly, [&] { return std::to_string(l->m_list.GetCount()); });
  SSymActionPoly notPoly(r->Sym(), SSymListPt{});
  EXPECT_THROW(notPoly.Execute(), SECOMException);
}

TEST_F(SymAction, FormatRecordSwapsAndResizesOnlyWithSizeFlag) {
  TRich* r = Place<TRich>(DiagramOwner());
  SSymActionFormat format(nullptr);
  EXPECT_EQ(format.m_type, 21);
  EXPECT_EQ(Msg(format), "Changing format of symbols");
  SSymFormatEx saved;
  r->GetFormat(saved);
  saved.m_pen = SSymPen(2, 30, SSymColor(0x0000FF));
  saved.m_size = SSymSize(1001, 1001);  // no size flag: never resized
  format.AddSymbol(r->Sym(), saved);
  CheckSwap(format, [&] { return r->m_pen.GetAsString().ToUtf8() + RectText(r->m_rect); });
  EXPECT_EQ(r->m_rect, SSymRect(0, 3600, 4800, 0));

  SSymActionFormat sized(nullptr);
  saved.m_flags |= SSymFormatEx::FlagSize1;
  sized.AddSymbol(r->Sym(), saved);
  CheckSwap(sized, [&] { return r->m_pen.GetAsString().ToUtf8() + RectText(r->m_rect); });
  EXPECT_EQ(r->GetSize(), (SRep_Point{1001, 1001}));  // after an odd number of runs
}

TEST_F(SymAction, AttachRecordRestoresOrDetaches) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(1, b->Linkable(), SSymPoint(5, 5));
  // The end was on a at (1, 1) before it moved to b.
  SSymActionAttach attach(l, 1, a->Linkable(), SSymPoint(1, 1), b->Linkable(), SSymPoint(5, 5));
  EXPECT_EQ(attach.m_type, 29);
  EXPECT_FALSE(attach.IsEmpty());
  EXPECT_EQ(Msg(attach), "Changing link symbol extremity");
  auto state = [&] {
    return std::to_string(SRepAreSameObjects(l->m_end[1], a->Sym())) + std::to_string(l->m_pt[1].x) +
           std::to_string(b->GetLinks().GetCount());
  };
  CheckSwap(attach, state);
  // A record whose former linkable is none detaches the end.
  SSymActionAttach detach(l, 0, nullptr, SSymPoint(), a->Linkable(), SSymPoint());
  l->AttachSym(0, a->Linkable(), SSymPoint());
  ASSERT_EQ(detach.Execute(), S_OK);
  EXPECT_TRUE(l->m_end[0].IsNull());
}

TEST_F(SymAction, GroupRecordMovesMembersBothWays) {
  TSym* m1 = Place(DiagramOwner());
  TSym* x = Place(DiagramOwner());
  TSym* m2 = Place(DiagramOwner());
  TComp* g = Make<TComp>();
  SSymView view;
  SSymSelection selection(&view);
  SSymActionGroup group(SSymActionGroup::Group, Diagram(), selection);
  EXPECT_EQ(group.m_type, 25);
  EXPECT_FALSE(group.IsEmpty());
  SSymActionGroup::Record rec;
  rec.group = SComWrap<ISSymGroup>(g->Sym());
  rec.members.Add(SSymData(-1, m1->Sym()));
  rec.members.Add(SSymData(-1, m2->Sym()));
  group.m_records.Add(rec);
  EXPECT_EQ(Msg(group), "Grouping a list of symbols");
  auto state = [&] {
    std::string s;
    for (SRepObject* o : m_diagram->Collection(SymAttr::Symbols)->Items()) s += std::to_string(reinterpret_cast<std::uintptr_t>(o) % 9973) + ",";
    s += "|" + std::to_string(g->GetCount());
    return s;
  };
  const std::string before = state();
  ASSERT_EQ(group.Execute(), S_OK);
  EXPECT_EQ(Msg(group), "Ungrouping a list of symbols");
  EXPECT_EQ(g->GetCount(), 2);
  EXPECT_EQ(m_diagram->Collection(SymAttr::Symbols)->GetCount(), 2);  // x and the group
  EXPECT_EQ(selection.GetCount(), 1);
  ASSERT_EQ(group.Execute(), S_OK);
  EXPECT_EQ(state(), before);  // the members back in their former places
  EXPECT_EQ(selection.GetCount(), 2);
  CheckSwap(group, state);
  (void)x;
}

TEST_F(SymAction, WholeUserStepUndoneAndRedone) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  TRich* r = Place<TRich>(DiagramOwner());
  TSym* h = Place(DiagramOwner());
  TSym* m1 = Place(DiagramOwner());
  TComp* g = Make<TComp>();
  SSymSelection selection;
  auto state = [&] {
    return RectText(a->m_rect) + RectText(b->m_rect) + r->m_pen.GetAsString().ToUtf8() +
           std::to_string(h->IsHidden()) + std::to_string(g->GetCount()) +
           std::to_string(m_diagram->Collection(SymAttr::Symbols)->GetCount());
  };
  const std::string before = state();
  {
    SRepCreateContext step(Session());
    a->MoveBy(SSymSize(500, 500), 1);                                   // move
    ASSERT_EQ(b->SetSize(SRep_Point{2001, 1001}), S_OK);                // size
    auto* format = new SSymActionFormat(step.GetContext());             // format
    SSymFormatEx former;
    r->GetFormat(former);
    format->AddSymbol(r->Sym(), former);
    step.AddRepAction(SRepActionPtr(format));
    r->m_pen = SSymPen(3, 20, SSymColor(0x00FF00));
    h->Show(0);                                                         // hide
    auto* group = new SSymActionGroup(SSymActionGroup::Group, Diagram(), selection);  // group
    SSymActionGroup::Record rec;
    rec.group = SComWrap<ISSymGroup>(g->Sym());
    rec.members.Add(SSymData(-1, m1->Sym()));
    group->m_records.Add(rec);
    {
      SCurrentContextChange outside(Session(), nullptr);  // the record makes the change
      ASSERT_EQ(group->Execute(), S_OK);
    }
    step.AddRepAction(SRepActionPtr(group));
  }
  const std::string after = state();
  EXPECT_NE(after, before);
  EXPECT_EQ(m_session->GetUndoCount(), 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(state(), before);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(state(), after);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(state(), before);
}

TEST_F(SymAction, MovesMergeWhileOffsetsStayClose) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  TSym* c = Place(DiagramOwner());
  TSym* d = Place(DiagramOwner());
  TSym* e = Place(DiagramOwner());
  SRepCreateContext step(Session());
  ISRepContext* ctx = step.GetContext();
  const int start = ctx->GetActionCount();
  a->MoveBy(SSymSize(100, 100), 0);
  b->MoveBy(SSymSize(100, 100), 0);
  a->MoveBy(SSymSize(100, 100), 0);  // already in the record
  ASSERT_EQ(ctx->GetActionCount(), start + 1);
  auto* first = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetCount(), 2);
  EXPECT_EQ(first->m_offset, SSymSize(-100, -100));
  c->MoveBy(SSymSize(130, 100), 0);  // 30 apart: a new record
  ASSERT_EQ(ctx->GetActionCount(), start + 2);
  d->MoveBy(SSymSize(110, 100), 0);  // within 30 of the last record
  EXPECT_EQ(ctx->GetActionCount(), start + 2);
  auto* stop = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
  stop->m_bStopMerge = 1;
  e->MoveBy(SSymSize(130, 100), 0);
  EXPECT_EQ(ctx->GetActionCount(), start + 3);
  SSymSize zero;
  a->MoveBy(zero, 0);
  EXPECT_EQ(ctx->GetActionCount(), start + 3);
}

TEST_F(SymAction, ShowAfterHideInOneStepIsRecorded) {
  TSym* a = Place(DiagramOwner());
  a->Show(0);
  {
    SRepCreateContext step(Session());
    a->Show(1);
    a->Show(0);  // the last record is a hide record of the other direction
  }
  EXPECT_TRUE(a->IsHidden());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(a->IsHidden());
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_TRUE(a->IsHidden());
  // SetHidden through the attribute records the same way.
  {
    SRepCreateContext step(Session());
    a->SetHidden(false);
  }
  EXPECT_FALSE(a->IsHidden());
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_TRUE(a->IsHidden());
}

TEST_F(SymAction, RecordsApplyWholeOrNotAtAll) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  b->m_failMove = 1;
  SSymActionMove move;
  move.m_offset = SSymSize(10, 10);
  move.AddSymbol(a->Sym());
  move.AddSymbol(b->Sym());
  EXPECT_EQ(move.Execute(), E_FAIL);
  EXPECT_EQ(a->m_rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(move.m_offset, SSymSize(10, 10));

  SSymActionSize size(b->Sym(), SSymRect(0, 10, 10, 0));
  EXPECT_EQ(size.Execute(), E_FAIL);
  EXPECT_EQ(size.m_rect, SSymRect(0, 10, 10, 0));

  TRich* r1 = Place<TRich>(DiagramOwner());
  TRich* r2 = Place<TRich>(DiagramOwner());
  SSymActionFormat format(nullptr);
  SSymFormatEx f;
  r1->GetFormat(f);
  f.m_pen = SSymPen(4, 9, SSymColor(0x123456));
  f.m_flags |= SSymFormatEx::FlagSize1;
  f.m_size = SSymSize(100, 100);
  format.AddSymbol(r1->Sym(), f);
  format.AddSymbol(r2->Sym(), f);
  // The second entry fails: the first, applied before it, is put back.
  r1->m_failMove = 0;
  r2->m_failMove = 1;
  const SSymPen pen1 = r1->m_pen, pen2 = r2->m_pen;
  EXPECT_EQ(format.Execute(), E_FAIL);
  EXPECT_EQ(r1->m_pen, pen1);
  EXPECT_EQ(r2->m_pen, pen2);
  EXPECT_EQ(r1->m_rect, SSymRect(0, 3600, 4800, 0));
  EXPECT_EQ(r2->m_rect, SSymRect(0, 3600, 4800, 0));
}

// A record runs its symbols in the order it took them, never in the order
// of their addresses, so that replaying the same session gives the same
// result run after run; a symbol taken again keeps its first place.
TEST_F(SymAction, RecordsKeepTheOrderTheSymbolsCameIn) {
  std::vector<TSym*> boxes{Place(DiagramOwner()), Place(DiagramOwner()), Place(DiagramOwner())};
  for (bool ascending : {true, false}) {
    SCOPED_TRACE(ascending ? "ascending addresses" : "descending addresses");
    std::sort(boxes.begin(), boxes.end(), [&](TSym* x, TSym* y) {
      return ascending ? std::less<TSym*>()(x, y) : std::less<TSym*>()(y, x);
    });
    SSymActionHide hide;
    SSymActionShadow shadow;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      hide.AddSymbol(boxes[i]->Sym());
      EXPECT_EQ(shadow.Add(boxes[i]->Sym(), static_cast<SHORT>(i)), static_cast<int>(i));
    }
    hide.AddSymbol(boxes[0]->Sym());
    EXPECT_EQ(shadow.Add(boxes[0]->Sym(), 7), 0);
    ASSERT_EQ(hide.GetCount(), 3);
    ASSERT_EQ(shadow.GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(hide.GetAt(i), boxes[static_cast<std::size_t>(i)]->Sym());
      EXPECT_EQ(shadow.GetStyle(i), i == 0 ? 7 : i);
    }
  }
}

TEST_F(SymAction, GoneTargetsAreSkipped) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  auto* selection = new SSymSelection();
  SSymActionMove move(selection);
  move.m_offset = SSymSize(10, 10);
  move.AddSymbol(a->Sym());
  move.AddSymbol(b->Sym());
  ASSERT_EQ(b->Obj()->Delete(), S_OK);
  delete selection;  // the record outlives its selection
  EXPECT_EQ(move.GetSelection(), nullptr);
  ASSERT_EQ(move.Execute(), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(10, 3610, 4810, 10));
  EXPECT_EQ(b->m_rect, SSymRect(0, 3600, 4800, 0));
  SRepObjectBag objects;
  move.CollectObjects(objects);
  EXPECT_EQ(objects.GetCount(), 2);

  // A deleted symbol in a step: the records of the step skip it, and the
  // step still undoes the rest.
  {
    SRepCreateContext step(Session());
    a->MoveBy(SSymSize(5, 5), 0);
  }
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->m_rect, SSymRect(10, 3610, 4810, 10));
}

TEST_F(SymAction, MoveRecordReroutesLinksAndForgetsEmptyGroups) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  TLink* half = Place<TLink>(DiagramOwner());  // only one end moves with it
  TLink* whole = Place<TLink>(DiagramOwner());  // both ends move with it
  TLink* curved = Place<TLink>(DiagramOwner());
  curved->m_lineStyle = 3;
  half->AttachSym(0, a->Linkable(), SSymPoint());
  half->AttachSym(1, b->Linkable(), SSymPoint());
  whole->AttachSym(0, a->Linkable(), SSymPoint());
  whole->AttachSym(1, a->Linkable(), SSymPoint(10, 10));
  curved->AttachSym(0, b->Linkable(), SSymPoint());
  SSymActionMove move;
  move.m_offset = SSymSize(50, 0);
  for (ISSymbol* s : {a->Sym(), half->Sym(), whole->Sym(), curved->Sym()}) move.AddSymbol(s);
  ASSERT_EQ(move.Execute(), S_OK);
  EXPECT_EQ(half->m_rerouted, 1);
  EXPECT_EQ(whole->m_rerouted, 0);
  EXPECT_EQ(curved->m_rerouted, 0);
  SRepObjectBag objects;
  move.CollectObjects(objects);
  EXPECT_EQ(objects.GetCount(), 4);  // a, its links and the curved link

  TComp* g = Place<TComp>(DiagramOwner());
  SSymActionMove grouped;
  grouped.m_group = SComWrap<ISSymGroup>(g->Sym());
  grouped.m_offset = SSymSize(7, 7);
  grouped.AddSymbol(b->Sym());
  ASSERT_EQ(grouped.Execute(), S_OK);  // the empty group is forgotten, the set moves
  EXPECT_TRUE(grouped.m_group.IsNull());
  EXPECT_EQ(b->m_rect, SSymRect(7, 3607, 4807, 7));
  EXPECT_EQ(g->m_rect, SSymRect(0, 36000, 48000, 0));
}

TEST_F(SymAction, MovesInsideMovingOwnersAreNotRecordedTwice) {
  TComp* comp = Place<TComp>(DiagramOwner());
  TSym* child = Place(static_cast<ISSymOwner*>(comp));
  SRepCreateContext step(Session());
  ISRepContext* ctx = step.GetContext();
  comp->MoveBy(SSymSize(100, 0), 0);
  child->MoveBy(SSymSize(100, 0), 0);  // its owner is in the record already
  auto* move = dynamic_cast<SSymActionMove*>(ctx->GetLastAction());
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->GetCount(), 1);
  // A composite that keeps its children's moves out of the records.
  comp->m_state |= SSymBase::StateKeepChildMoves;
  const int n = ctx->GetActionCount();
  child->MoveBy(SSymSize(5000, 0), 0);
  EXPECT_EQ(ctx->GetActionCount(), n);
  EXPECT_EQ(child->m_rect.x1, 5100);
}

// In a lockout context each symbol answers its rectangle and visibility from
// its own pending records, in order: moves shift, sizes and rectangle
// attributes replace, the last hide record wins; a move that another symbol
// joins later counts for both; other symbols' records change nothing.
TEST_F(SymAction, PendingRecordsAnswerOnlyTheirOwnSymbols) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  TSym* c = Place(DiagramOwner(), SSymRect(20000, 3600, 24800, 0));
  SRepLockoutContext lock(Session());
  auto* ctx = static_cast<SRepContext*>(lock.GetContext());
  a->MoveBy(SSymSize(100, 100), 0);
  b->MoveBy(SSymSize(100, 100), 0);  // joins a's record
  ASSERT_EQ(ctx->GetActionCount(), 1);
  EXPECT_EQ(b->GetClipRect(0, 0), SSymRect(10100, 3700, 14900, 100));
  ASSERT_EQ(b->SetAttrRect(SSymRect(0, 500, 500, 0)), S_OK);
  b->MoveBy(SSymSize(1000, 0), 0);  // after the replacement: shifts it
  EXPECT_EQ(b->GetClipRect(0, 0), SSymRect(1000, 500, 1500, 0));
  EXPECT_EQ(a->GetClipRect(0, 0), SSymRect(100, 3700, 4900, 100));
  a->Show(0);
  b->Show(0);
  b->Show(1);
  EXPECT_TRUE(a->IsHidden());
  EXPECT_FALSE(b->IsHidden());
  EXPECT_EQ(c->GetClipRect(0, 0), c->m_rect);  // nothing pending for c
  EXPECT_FALSE(c->IsHidden());
  EXPECT_FALSE(ctx->IsObjectLocked(c));
  EXPECT_EQ(ctx->GetPendingPositions(a, SRepFacet::Rect()), (std::vector<int>{0}));
  EXPECT_EQ(ctx->GetPendingPositions(b, SRepFacet::Rect()), (std::vector<int>{0, 2}));
  EXPECT_EQ(ctx->GetPendingPositions(b, SRepFacet::Attribute(SymAttr::ClipRect)), (std::vector<int>{1}));
  ASSERT_EQ(lock.Apply(), S_OK);
  EXPECT_EQ(b->m_rect, SSymRect(1000, 500, 1500, 0));
  EXPECT_EQ(a->m_rect, SSymRect(100, 3700, 4900, 100));
}

// The point-list and attach records name their facets and lay their values.
TEST_F(SymAction, PointAndLinkEndRecordsOverlayTheirValues) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner());
  TLink* l = Place<TLink>(DiagramOwner());
  SRepLockoutContext lock(Session());
  auto* ctx = static_cast<SRepContext*>(lock.GetContext());
  ctx->AddAction(std::make_unique<SSymActionPoly>(l->Sym(), SSymListPt{{0, 0}, {100, 50}}));
  ctx->AddAction(std::make_unique<SSymActionAttach>(l, 1, a->Linkable(), SSymPoint(1, 1), b->Linkable(), SSymPoint()));
  SRepVariant v;
  ASSERT_EQ(ctx->OverlayPending(l, {SRepFacet::Points()}, v), 1);
  EXPECT_EQ(v.GetPLst(), (SRep_PtList{{{0, 0}, {100, 50}}}));
  EXPECT_EQ(ctx->OverlayPending(l, {SRepFacet::LinkEnd(0)}, v), 0);
  ASSERT_EQ(ctx->OverlayPending(l, {SRepFacet::LinkEnd(1)}, v), 1);
  EXPECT_TRUE(SRepAreSameObjects(v.GetIOBJECT(), a->Sym()));
  EXPECT_EQ(ctx->OverlayPending(a, {SRepFacet::LinkEnd(1)}, v), 0);
}
