// The labels of a line: anchors at the ends and in the middle, default
// positions, offsets kept through the attributes (and a save and reload of
// them), the distance test with and without "Constrain Labels", reposition,
// adjust and restore, and lines too short or indexes out of range.
#include <gtest/gtest.h>

#include "kvcore/scascade.h"
#include "sym/diagram/symdisppref.h"
#include "sym/links/sympolyline.h"
#include "support/lines_fixture.h"

namespace {

class Prefs : public SSymDispPref {
 public:
  bool GetConstrainLabels() const override { return m_constrain; }
  bool m_constrain = true;
};

class LineText : public LineFixture {
 protected:
  void TearDown() override {
    SSymAttachDispPref(Diagram(), nullptr);
    LineFixture::TearDown();
  }
  SSymPolyline* Make(const SSymListPt& pts, bool placed = false) {
    SSymPolyline* p = MakeLine<SSymPolyline>(CLSID_SSymPolyline, pts, placed);
    p->InitialSym(p->Sym());
    return p;
  }
  // Gives the label of index a text and the size w x h (centred where it is).
  static SSymSubText* Label(SSymPolyline* p, int index, LONG w, LONG h, const char16_t* text = u"label") {
    p->SetText(index, SString(text));
    SSymSubText* l = p->GetLabel(index);
    EXPECT_NE(l, nullptr);
    l->SetRect(SSymRect(0, h - 1, w - 1, 0));
    return l;
  }
  static SSymPoint Centre(SSymSubText* l) { return l->GetClipRect(0, 0).GetCenter(); }
  static SSymPoint At(SSymSubText* l) {
    const SSymRect r = l->GetClipRect(0, 0);
    return SSymPoint((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  }
  void Attach(bool constrain) {
    m_prefs.m_constrain = constrain;
    SSymAttachDispPref(Diagram(), &m_prefs);
  }
  Prefs m_prefs;
};

TEST_F(LineText, EndAnchorsStepAlongTheEndSegment) {
  struct {
    const char* name;
    SSymListPt pts;
    int index;
    SSymPoint anchor;
  } cases[] = {
      {"horizontal source", Pts({{0, 0}, {10000, 0}}), 1, {1200, 0}},
      {"horizontal destination", Pts({{0, 0}, {10000, 0}}), 2, {8800, 0}},
      {"nearly vertical source", Pts({{0, 0}, {35, 10000}}), 1, {0, 1200}},
      {"nearly vertical downward", Pts({{0, 10000}, {-35, 0}}), 1, {0, 8800}},
      {"nearly horizontal leftward", Pts({{5000, 0}, {0, 35}}), 1, {3800, 0}},
      {"diagonal 3-4-5", Pts({{0, 0}, {3000, 4000}}), 1, {720, 960}},
      {"diagonal destination", Pts({{0, 0}, {3000, 4000}}), 2, {2280, 3040}},
      // A zero-length end segment: straight down (the rule for d = (0, 0)).
      {"zero-length end", Pts({{0, 0}, {0, 0}, {5000, 0}}), 1, {0, -1200}},
  };
  for (const auto& c : cases) {
    SSymPolyline* p = Make(c.pts);
    Label(p, c.index, 1000, 200);
    SSymPoint pos(-1, -1), anchor(-1, -1);
    p->RecomputeTextOffset(c.index, pos, anchor);
    EXPECT_EQ(anchor, c.anchor) << c.name;
  }
}

TEST_F(LineText, EndLabelsTouchTheirAnchorWithTheFacingCorner) {
  struct {
    const char* name;
    SSymListPt pts;
    int index;
    const char16_t* text;
    SSymPoint position;
  } cases[] = {
      // hw = 500, hh = 100 for a label of 1000 x 200.
      {"right, flat", Pts({{0, 0}, {10000, 0}}), 1, u"one", {1700, 100}},
      {"left, flat", Pts({{0, 0}, {10000, 0}}), 2, u"one", {8300, -100}},
      // dx 3000, dy 4000: q = 0.6, px = hw * (2q - 1), just under 100 in
      // doubles and truncated.
      {"up and right", Pts({{0, 0}, {3000, 4000}}), 1, u"one", {819, 1060}},
      // dx 3000, dy -4000: q = -0.6, py = hh * (-2q - 1), just under 20.
      {"down and right", Pts({{0, 4000}, {3000, 0}}), 1, u"one", {1220, 3059}},
      // An even number of lines gives no vertical half size.
      {"two lines", Pts({{0, 0}, {10000, 0}}), 1, u"one\r\ntwo", {1700, 0}},
      // Three lines: (h + 1) / 6.
      {"three lines", Pts({{0, 0}, {10000, 0}}), 1, u"a\nb\nc", {1700, 33}},
  };
  for (const auto& c : cases) {
    SSymPolyline* p = Make(c.pts);
    Label(p, c.index, 1000, 200, c.text);
    SSymPoint pos(-1, -1), anchor(-1, -1);
    p->RecomputeTextOffset(c.index, pos, anchor);
    EXPECT_EQ(pos, c.position) << c.name;
  }
}

TEST_F(LineText, CentreAnchorIsTheMiddleOfTheLine) {
  struct {
    const char* name;
    SSymListPt pts;
    SSymPoint anchor, position;
  } cases[] = {
      // Two points: the middle of the ends; flat, so the label stands
      // (h + 1) / 2 + 72 above and the anchor moves with it.
      {"two points", Pts({{0, 0}, {10000, 0}}), {5000, 172}, {5000, 172}},
      // The destination end 600 higher: below the line instead.
      {"rising end", Pts({{0, 0}, {10000, 600}}), {5000, 128}, {5000, 128}},
      {"three points", Pts({{0, 0}, {5000, 5000}, {10000, 0}}), {5000, 5000}, {5000, 5000}},
      // The middle of the middle segment; the line starts flat and ends
      // higher, so the label goes below and the anchor with it.
      {"four points", Pts({{0, 0}, {4000, 0}, {4000, 4000}, {8000, 4000}}), {4000, 1828}, {4000, 1828}},
  };
  for (const auto& c : cases) {
    SSymPolyline* p = Make(c.pts);
    Label(p, 0, 1000, 200);
    SSymPoint pos(-1, -1), anchor(-1, -1);
    p->RecomputeTextOffset(0, pos, anchor);
    EXPECT_EQ(anchor, c.anchor) << c.name;
    EXPECT_EQ(pos, c.position) << c.name;
  }
}

TEST_F(LineText, ArrowheadAtTheSecondEndLiftsTheCentreLabel) {
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}));
  SSymSubText* l = Label(p, 0, 1000, 200);
  p->RepositionSymText(0);
  EXPECT_EQ(At(l), SSymPoint(5000, 172));
  // Gaining the arrowhead moves the automatic label at once.
  p->SetArrow(2, 1, 0);
  EXPECT_EQ(At(l), SSymPoint(5000, 1872));
  p->SetArrow(2, 24, 0);
  EXPECT_EQ(At(l), SSymPoint(5000, 172));
}

TEST_F(LineText, OffsetsSurviveASaveAndReloadOfTheAttributes) {
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}));
  SSymSubText* l = Label(p, 1, 1000, 200);
  p->RepositionSymText(1);
  // The user drags the source label; the line keeps the displacement.
  l->MoveBy(SSymSize(300, 2000), 0);
  p->OnSubSymMove(l->SymFace(), 0);
  EXPECT_EQ(p->Record(1).offset, SSymPoint(1200 + 300 - 1200 + 500, 100 + 2000));
  const SSymPoint moved = At(l);

  // Save the attributes, reload them into a new line with the same text.
  const LONG ids[] = {SymAttr::CtrTxtOffset, SymAttr::SrcTxtOffset, SymAttr::DstTxtOffset,
                      SymAttr::CtrTxtWidth,  SymAttr::SrcTxtWidth,  SymAttr::DstTxtWidth};
  std::vector<SRepVariant> saved;
  for (LONG id : ids) {
    SRepVariant v;
    ASSERT_EQ(p->GetAttribute(id, &v), S_OK) << id;
    saved.push_back(v);
  }
  SSymPolyline* q = Make(Pts({{0, 0}, {10000, 0}}));
  SSymSubText* m = Label(q, 1, 1000, 200);
  for (size_t i = 0; i < saved.size(); ++i) q->SetAttribute(ids[i], saved[i]);
  EXPECT_EQ(q->Record(1).offset, p->Record(1).offset);
  EXPECT_EQ(At(m), moved);
  // The label keeps its displacement from the anchor when the line moves.
  SComWrap<ISSymPolyline> line(q->Sym());
  line->SetListPt(Pts({{0, 5000}, {10000, 5000}}), 0, 0);
  EXPECT_EQ(At(m), SSymPoint(moved.x, moved.y + 5000));
}

TEST_F(LineText, DraggingASelectedLabelKeepsItsOffset) {
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}), true);
  SSymSubText* l = Label(p, 0, 1000, 200);
  SSymSubText* other = Label(p, 2, 1000, 200);
  p->RepositionSymText(0);
  SelectingView view(m_diagram, l->SymFace());
  l->MoveBy(SSymSize(0, 3000), 0);
  EXPECT_EQ(p->Record(0).offset, SSymPoint(0, 3000));
  // A label that is not selected moves without telling the line.
  other->MoveBy(SSymSize(0, 3000), 0);
  EXPECT_EQ(p->Record(2).offset, SSymPoint(0, 0));
}

TEST_F(LineText, LabelsArePulledBackOnlyWhileConstrained) {
  // A wide label on a short line: its default place lies too far from the
  // source end.
  for (bool constrain : {true, false}) {
    Attach(constrain);
    SSymPolyline* p = Make(Pts({{0, 0}, {3000, 0}}), true);
    SSymSubText* l = Label(p, 1, 8000, 200);
    EXPECT_EQ(p->IsCorrectDistance(1, SSymPoint(5200, 100)), constrain ? 0 : 1);
    p->RepositionSymText(1);
    EXPECT_EQ(At(l), constrain ? SSymPoint(1200, 0) : SSymPoint(5200, 100)) << constrain;
    // The centre label far off the line.
    Label(p, 0, 1000, 200);
    EXPECT_EQ(p->IsCorrectDistance(0, SSymPoint(1500, 9000)), constrain ? 0 : 1);
    EXPECT_EQ(p->IsCorrectDistance(0, SSymPoint(1500, 3000)), 1);
  }
}

TEST_F(LineText, WithoutADiagramTheDistanceIsAlwaysCorrect) {
  SSymPolyline* p = Make(Pts({{0, 0}, {3000, 0}}));
  Label(p, 1, 8000, 200);
  EXPECT_EQ(p->IsCorrectDistance(1, SSymPoint(900000, 900000)), 1);
}

TEST_F(LineText, AdjustPutsAMisplacedLabelBackAsOneUndoStep) {
  Attach(true);
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}), true);
  SSymSubText* l = Label(p, 1, 1000, 200);
  p->RepositionSymText(1);
  l->MoveBy(SSymSize(0, 30000), 0);
  {
    SCurrentContextChange outside(Session(), nullptr);
    p->OnSubSymMove(l->SymFace(), 0);
  }
  const SSymPoint far = At(l);
  const SSymPoint offset = p->Record(1).offset;
  ASSERT_NE(offset, SSymPoint(0, 0));
  const int before = m_session->GetUndoCount();
  p->AdjustTextPos(1);
  EXPECT_EQ(p->Record(1).offset, SSymPoint(0, 0));
  EXPECT_EQ(At(l), SSymPoint(1700, 100));
  EXPECT_EQ(m_session->GetUndoCount(), before + 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(At(l), far);
  EXPECT_EQ(p->Record(1).offset, offset);
  // Switched off, nothing is adjusted.
  SetInitLineTextOffset off;
  p->AdjustTextPos(1);
  EXPECT_EQ(At(l), far);
}

TEST_F(LineText, RestoreMovesOnlyBeyondSeventyUnits) {
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}));
  SSymSubText* l = Label(p, 1, 1000, 200);
  p->RepositionSymText(1);
  const SSymPoint home = At(l);  // (1700, 100)
  struct {
    SSymSize nudge;
    bool back;
  } cases[] = {{{40, 30}, false}, {{70, 0}, false}, {{71, 0}, true}, {{-50, 21}, true}};
  for (const auto& c : cases) {
    l->MoveBy(c.nudge, 0);
    const SSymPoint nudged = At(l);
    p->RestoreOldTextPos(1);
    EXPECT_EQ(At(l), c.back ? home : nudged) << c.nudge.cx << "," << c.nudge.cy;
    if (!c.back) l->MoveBy(SSymSize(-c.nudge.cx, -c.nudge.cy), 0);
  }
}

TEST_F(LineText, ShortLinesAndForeignIndexesAreRefused) {
  for (const SSymListPt& pts : {Pts({}), Pts({{100, 100}})}) {
    SSymPolyline* p = Make(pts, true);
    SSymSubText* l = Label(p, 1, 1000, 200);
    const SSymPoint before = At(l);
    SSymPoint pos(7, 7), anchor(8, 8), end(9, 9), next(10, 10);
    p->RecomputeTextOffset(1, pos, anchor);
    EXPECT_EQ(pos, SSymPoint(7, 7));
    EXPECT_EQ(anchor, SSymPoint(8, 8));
    EXPECT_EQ(p->GetIntersectPoint(0, end, next), 0);
    p->RepositionSymText(1);
    p->RestoreOldTextPos(1);
    p->AdjustTextPos(1);
    EXPECT_EQ(At(l), before);  // left where it was, not thrown onto the origin
    EXPECT_EQ(p->IsCorrectDistance(1, SSymPoint(0, 0)), 1);
  }
  SSymPolyline* p = Make(Pts({{0, 0}, {10000, 0}}));
  for (int index : {-1, 3, 1000}) {
    p->SetText(index, SString(u"x"));
    EXPECT_EQ(p->GetText(index), SString()) << index;
    EXPECT_EQ(p->GetSubText(index), nullptr) << index;
    EXPECT_EQ(p->GetSubSymbol(index), nullptr) << index;
    EXPECT_EQ(p->CreateSubSym(index), 0) << index;
    SSymPoint end, next;
    EXPECT_EQ(p->GetIntersectPoint(index, end, next), 0) << index;
    EXPECT_EQ(p->IsCorrectDistance(index, SSymPoint(0, 0)), 1) << index;
    p->RepositionSymText(index);
    p->RestoreOldTextPos(index);
    p->AdjustTextPos(index);
    p->DeleteText(index);
    p->RemoveSubSym(index);
  }
  // Far corners of the drawing area do not overflow the distance test.
  Attach(true);
  SSymPolyline* far = Make(Pts({{-1800000, -1800000}, {1800000, 1800000}}), true);
  Label(far, 0, 1000, 200);
  EXPECT_EQ(far->IsCorrectDistance(0, SSymPoint(0, 0)), 1);
}

TEST_F(LineText, LineCountOfLabelTexts) {
  struct {
    const char16_t* text;
    int lines;
  } cases[] = {{u"", 0}, {u"a", 1}, {u"a\r\nb", 2}, {u"a\nb\rc", 3}, {u"a\r\n", 1}, {u"\n\n", 2}};
  for (const auto& c : cases) EXPECT_EQ(SSymLineTextHelper::CountLines(SString(c.text)), c.lines);
}

}  // namespace
