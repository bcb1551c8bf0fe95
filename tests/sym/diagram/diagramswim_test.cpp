// The swimlane heading height of a diagram: the tallest heading text of the
// lanes (wrapped within a lane's width when names wrap) plus a margin, never
// below the minimum, stored only when it moved by more than the tolerance;
// the pools follow it, and windows whose preferences ask for it fit it as
// they draw.
#include <gtest/gtest.h>

#include "support/swim_fixture.h"
#include "support/view_fixture.h"

namespace {
// Preferences with swimlanes whose symbol behaviours a test sets.
class THeadPref : public TDispPref {
 public:
  using TDispPref::TDispPref;
  DWORD GetSymbolBehaviors(const GUID&) override { return m_bits; }
  DWORD m_bits = 0;
};

class THeadDiagram : public TPrefDiagram {
 public:
  explicit THeadDiagram(ISRepSession* s) : TPrefDiagram(s) { m_swimlanes = 1; }
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new THeadPref(RepObject(), m_module, m_swimlanes));
    return S_OK;
  }
  THeadPref* Prefs() { return static_cast<THeadPref*>(GetDispPrefPtr()); }
};

// A lane with a heading text and font.
class TTitledLane : public TSwimLane {
 public:
  using TSwimLane::TSwimLane;
  SString GetLaneText() override { return m_text; }
  SSymFont GetLaneFont() override { return m_font; }
  SString m_text = SString(u"A");
  SSymFont m_font = SSymFont(SString(u"Arial"), 8);
};

const SString kLongTitle(u"Order handling and the billing of every order");

class DiagramSwimHeight : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    m_d = NewDiagram<THeadDiagram>();
    m_d->SetName(SString(u"Model"));  // members entering a pool are arranged only in a named diagram
    m_diagram = m_d;
  }
  // A vertical pool with two lanes of 10000 side by side.
  SSymSwimLane* Pool() {
    m_d->Prefs()->m_bSwimlaneVert = 1;
    SSymSwimLane* pool = Make<SSymSwimLane>();
    pool->InitialSymRect(SSymRect(0, 30000, 20000, 0));
    m_d->Add(pool->Sym());
    for (int i = 0; i < 2; ++i) {
      m_lanes[i] = Make<TTitledLane>(SSymRect(10000 * i, 30000, 10000 * (i + 1), 0));
      EXPECT_EQ(static_cast<ISSymOwner*>(pool)->Add(m_lanes[i]->Sym()), S_OK);
    }
    return pool;
  }
  LONG Stored() {
    SRepVariant v;
    EXPECT_EQ(m_d->GetAttribute(SSymDiagramMem::IdSwimHeight, &v), S_OK);
    return v.GetLONG();
  }
  void Store(LONG h) { ASSERT_EQ(m_d->SetAttribute(SSymDiagramMem::IdSwimHeight, SRepVariant::Long(h)), S_OK); }
  // The diagram's own answer (the interface's operation answers nothing).
  bool Adjust(bool force) { return m_d->SSymDiagramImpl::AdjustSwimHeight(force); }
  // The height the view's canvas gives a lane's heading, wrapped within its
  // width or on one line.
  LONG Measured(SSymView* v, TTitledLane* lane, bool wrapped) {
    SSymView::LockCanvas locked(v);
    SSymCanvas& canvas = v->GetCanvas();
    if (!wrapped) return canvas.GetTextHeight(lane->m_text, lane->m_font);
    const SSymRect r = lane->GetClipRect(0, 0).Normalize();
    return canvas.GetWrapTextExtent(lane->m_text, lane->m_font, r.x2 - r.x1 + 1).cy;
  }

  THeadDiagram* m_d = nullptr;
  TTitledLane* m_lanes[2] = {nullptr, nullptr};
};

TEST_F(DiagramSwimHeight, ShortHeadingsGiveTheMinimumNotTheirHeight) {
  auto* v = OpenView();
  Pool();
  Store(2600);
  EXPECT_LT(Measured(v, m_lanes[0], true) + SSymDiagramImpl::SwimHeadMargin, SSymDiagramImpl::SwimHeightMin);
  EXPECT_TRUE(Adjust(false));
  EXPECT_EQ(Stored(), 2000);
  v->DestroyWindow();
}

TEST(DiagramSwimHeightFor, TheTallestTextPlusTheMarginNeverBelowTheMinimum) {
  const LONG cases[][2] = {{0, 2000}, {1700, 2000}, {1701, 2001}, {1900, 2200}};
  for (const auto& c : cases) EXPECT_EQ(SSymDiagramImpl::SwimHeightFor(c[0]), c[1]) << c[0];
}

TEST_F(DiagramSwimHeight, AWrappedHeadingGivesItsWrappedHeightAndThePoolsFollow) {
  auto* v = OpenView();
  SSymSwimLane* pool = Pool();
  m_lanes[1]->m_text = kLongTitle;
  m_lanes[1]->m_font = SSymFont(SString(u"Arial"), 14);
  const LONG wrapped = Measured(v, m_lanes[1], true);
  // Several lines within the lane, taller than the minimum leaves room for.
  ASSERT_GT(wrapped, Measured(v, m_lanes[1], false));
  ASSERT_GT(wrapped + 300, 2000);
  const SSymRect before = pool->GetClipRect(0, 0).Normalize();
  const LONG headBefore = pool->GetHeadHeight();

  m_d->Diagram()->AdjustSwimHeight(0);
  EXPECT_EQ(Stored(), wrapped + 300);
  // The pool measured its heading again and grew it upward by the change.
  EXPECT_EQ(pool->m_nHeadSize, wrapped + 300);
  EXPECT_EQ(pool->GetClipRect(0, 0).Normalize().y1, before.y1 + (wrapped + 300 - headBefore));

  // Names on their lines: the unwrapped height counts.
  m_d->Prefs()->SetValue(SSymDispPref::GetObjectPath(), SString(u"Mode"), 1L, SSymDispPref::LocDiagram);
  EXPECT_TRUE(Adjust(false));
  EXPECT_EQ(Stored(), SSymDiagramImpl::SwimHeightFor(Measured(v, m_lanes[1], false)));
  v->DestroyWindow();
}

TEST_F(DiagramSwimHeight, ChangesOfFortyOrLessAreNotStored) {
  auto* v = OpenView();
  Pool();
  m_lanes[0]->m_text = kLongTitle;
  m_lanes[0]->m_font = SSymFont(SString(u"Arial"), 14);
  const LONG wanted = Measured(v, m_lanes[0], true) + 300;
  ASSERT_GT(wanted - 41, 2000);

  Store(wanted - 40);
  EXPECT_FALSE(Adjust(false));
  EXPECT_EQ(Stored(), wanted - 40);
  // Forced, the pools are processed, but the height stays.
  EXPECT_TRUE(Adjust(true));
  EXPECT_EQ(Stored(), wanted - 40);
  Store(wanted - 41);
  EXPECT_TRUE(Adjust(false));
  EXPECT_EQ(Stored(), wanted);
  // The new height is one step the user can undo.
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Stored(), wanted - 41);
  v->DestroyWindow();
}

TEST_F(DiagramSwimHeight, EarlyStopsLeaveEverythingAsItIs) {
  // Nothing to do: no symbols.
  EXPECT_TRUE(Adjust(true));
  // No window to measure on.
  Pool();
  m_lanes[0]->m_text = kLongTitle;
  m_lanes[0]->m_font = SSymFont(SString(u"Arial"), 24);
  EXPECT_FALSE(Adjust(true));
  EXPECT_EQ(Stored(), 2000);
  // No swimlanes in the preferences, or no preferences at all.
  auto* v = OpenView();
  m_d->Prefs()->m_swimlanes = 0;
  EXPECT_FALSE(Adjust(true));
  EXPECT_EQ(Stored(), 2000);
  v->DestroyWindow();

  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  AddTo<TSym>(bare);
  m_diagram = bare;
  auto* w = OpenView();
  EXPECT_FALSE(bare->SSymDiagramImpl::AdjustSwimHeight(true));
  w->DestroyWindow();
}

TEST_F(DiagramSwimHeight, ADiagramWithoutPoolsGetsTheMinimum) {
  auto* v = OpenView();
  AddTo<TSym>(m_d);
  Store(3000);
  EXPECT_TRUE(Adjust(false));
  EXPECT_EQ(Stored(), 2000);
  v->DestroyWindow();
}

TEST_F(DiagramSwimHeight, WindowsFitTheHeightAsTheyDrawWhenThePreferencesAskForIt) {
  auto* v = OpenView();
  Pool();
  m_lanes[0]->m_text = kLongTitle;
  m_lanes[0]->m_font = SSymFont(SString(u"Arial"), 14);
  const LONG wanted = Measured(v, m_lanes[0], true) + 300;
  auto paint = [&] {
    v->InvalidateAll(1);
    ::UpdateWindow(v->GetSafeHwnd());
  };
  // The standard preferences give no symbol behaviours: drawing leaves it.
  paint();
  paint();
  EXPECT_EQ(Stored(), 2000);
  // With them, every drawing after the first fits it.
  m_d->Prefs()->m_bits = SSymDispPref::BehaviorComposite;
  paint();
  EXPECT_EQ(Stored(), wanted);
  v->DestroyWindow();
}
}  // namespace
