// Applying the format sheet's result to a selection: only what the person
// changed reaches the symbols, each keeps its own value of what was mixed,
// the whole change is one undo step, and a selection with a deleted symbol
// is refused before anything is written.
#include <set>

#include "support/link_fixture.h"
#include "support/session_state.h"
#include "sym/edit/symselection.h"
#include "sym/symbol/symstd.h"

namespace {

class SelectFormat : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    m_a = PutBox(SSymRect(0, 3600, 4800, 0));
    m_b = PutBox(SSymRect(9000, 3600, 13800, 0));
    m_line = PutLink(m_a, m_b, SSymListPt({SSymPoint(4800, 1800), SSymPoint(9000, 1800)}));
    m_a->m_brush.m_color = SSymColor(0x0000FF);
    m_b->m_brush.m_color = SSymColor(0x00FF00);
    m_a->m_pen.m_color = SSymColor(0x111111);
    m_b->m_pen.m_color = SSymColor(0x222222);
    m_selection.SetDiagram(Diagram());
    for (SSymBase* s : {static_cast<SSymBase*>(m_a), static_cast<SSymBase*>(m_b), static_cast<SSymBase*>(m_line)})
      m_selection.Add(s->Sym(), 0);
    // What the sheet opens with over the three: the colours differ.
    m_old.m_pen = SSymPen(1, 0, SSymColor(0xFF000000));
    m_old.m_brush.m_color = SSymColor(0xFF000000);
    m_old.m_fill = 1;
    m_old.m_lineStyle = 4;
    for (LONG& arrow : m_old.m_arrows) arrow = 255;
    m_old.m_shadowStyle = 65535;
    m_old.m_shadowColor = SSymColor(0xFF000000);
  }
  SessionState State() { return SessionState::Take(m_diagram, m_seen); }

  SSymRectangle* m_a = nullptr;
  SSymRectangle* m_b = nullptr;
  SSymLinkBase* m_line = nullptr;
  SSymSelection m_selection;
  SSymFormat m_old;
  std::set<SRepObject*> m_seen;
};

TEST_F(SelectFormat, OnlyTheChangedPartsReachTheSymbolsInOneStep) {
  const SessionState first = State();
  const int steps = m_session->GetUndoCount();
  SSymFormat changed(m_old);
  changed.m_pen.m_width = 300;
  changed.m_shadowStyle = 1;
  changed.m_arrows[2] = 1;  // the destination end only
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&m_old, &changed, nullptr), S_OK);
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  for (SSymStd* s : {static_cast<SSymStd*>(m_a), static_cast<SSymStd*>(m_b)}) {
    EXPECT_EQ(s->GetPen().m_width, 300);
    EXPECT_EQ(s->GetShadowStyle(), 1);
  }
  EXPECT_EQ(m_line->GetPen().m_width, 300);
  // The mixed colours stay each symbol's own.
  EXPECT_EQ(m_a->GetBrush().m_color.GetColor(), 0x0000FFu);
  EXPECT_EQ(m_b->GetBrush().m_color.GetColor(), 0x00FF00u);
  EXPECT_EQ(m_a->GetPen().m_color.GetColor(), 0x111111u);
  EXPECT_EQ(m_b->GetPen().m_color.GetColor(), 0x222222u);
  EXPECT_EQ(m_line->GetArrow(8), 1);
  EXPECT_EQ(m_line->GetArrow(4), 24);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
}

TEST_F(SelectFormat, AnUntouchedSheetChangesNothing) {
  const SessionState first = State();
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&m_old, &m_old, nullptr), S_OK);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
}

TEST_F(SelectFormat, AChosenColourReachesEveryFilledSymbol) {
  SSymFormat changed(m_old);
  changed.m_brush.m_color = SSymColor(0x00FFFF);
  changed.m_pen.m_color = SSymColor(0x000080);
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&m_old, &changed, nullptr), S_OK);
  EXPECT_EQ(m_a->GetBrush().m_color.GetColor(), 0x00FFFFu);
  EXPECT_EQ(m_b->GetBrush().m_color.GetColor(), 0x00FFFFu);
  EXPECT_EQ(m_line->GetPen().m_color.GetColor(), 0x000080u);
}

TEST_F(SelectFormat, ADeletedSymbolRefusesTheWholeChange) {
  ASSERT_EQ(m_b->Delete(), S_OK);
  const SessionState first = State();
  const int steps = m_session->GetUndoCount();
  SSymFormat changed(m_old);
  changed.m_pen.m_width = 450;
  EXPECT_EQ(m_selection.UpdateLayoutFormat(&m_old, &changed, nullptr), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  EXPECT_EQ(m_a->GetPen().m_width, 0);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
}

TEST_F(SelectFormat, RefusesMissingFormatsAndLeavesAnEmptySelection) {
  EXPECT_EQ(m_selection.UpdateLayoutFormat(nullptr, &m_old, nullptr), E_POINTER);
  EXPECT_EQ(m_selection.UpdateLayoutFormat(&m_old, nullptr, nullptr), E_POINTER);
  SSymSelection none;
  EXPECT_EQ(none.UpdateLayoutFormat(&m_old, &m_old, nullptr), E_POINTER);  // no diagram
  none.SetDiagram(Diagram());
  EXPECT_EQ(none.UpdateLayoutFormat(&m_old, &m_old, nullptr), S_FALSE);
}

TEST_F(SelectFormat, TheAllowOptionsKeepImposedCategories) {
  SSymFormat changed(m_old);
  changed.m_pen.m_width = 300;
  changed.m_shadowStyle = 2;
  SSymAllowOption allow;
  allow.m_category[SSymAllowOption::LINE] = SSymAllowOption::AllowApply;  // the template imposes the line
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&m_old, &changed, &allow), S_OK);
  EXPECT_EQ(m_a->GetPen().m_width, 0);
  EXPECT_EQ(m_a->GetShadowStyle(), 2);
  // In template mode only the applied categories are written.
  allow.m_mask = 0x2000;
  allow.m_category[SSymAllowOption::SHADOW] = SSymAllowOption::AllowModify;  // not applied by the template
  changed.m_pen.m_width = 450;
  changed.m_shadowStyle = 1;
  SSymFormat was(m_old);
  was.m_shadowStyle = 2;
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&was, &changed, &allow), S_OK);
  EXPECT_EQ(m_a->GetPen().m_width, 450);
  EXPECT_EQ(m_a->GetShadowStyle(), 2);
}

}  // namespace
