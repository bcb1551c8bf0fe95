// Applying the format sheet's result to a selection: only what the person
// changed reaches the symbols, each keeps its own value of what was mixed,
// the whole change is one undo step, and a selection with a deleted symbol
// is refused before anything is written.
#include <set>

#include "kvrep/srepvariant.h"
#include "support/link_fixture.h"
#include "support/picture_bytes.h"
#include "support/session_state.h"
#include "support/temp_files.h"
#include "sym/diagram/symdisppref.h"
#include "sym/edit/symselection.h"
#include "sym/foundation/symclassdesc.h"
#include "sym/foundation/symclassid.h"
#include "sym/shapes/symshapemap.h"
#include "sym/symbol/symsolid.h"
#include "sym/symbol/symstd.h"

namespace {

// A rectangle that answers as a complex symbol (its height follows from
// its parts).
class TComplexBox : public SSymRectangle {
 public:
  explicit TComplexBox(ISRepSession* session) : SSymRectangle(session) {}
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    if (iid == IID_ISSymComplex) return QueryInterface(IID_ISRepObject, ppv);
    return SSymRectangle::InternalQueryInterface(iid, ppv);
  }
};

// Display preferences that keep the format of new symbols.
class TDefaultFormatPrefs : public SSymDispPref {
 public:
  void SetSymDefConf(const SSymFormat& format) override {
    m_kept = format;
    ++m_calls;
  }
  SSymFormat m_kept;
  int m_calls = 0;
};

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

TEST_F(SelectFormat, AnEmptySelectionHandsTheFormatToTheDiagramsPreferences) {
  auto* prefs = new TDefaultFormatPrefs;  // the diagram owns it
  m_diagram->SetDispPrefPtr(prefs);
  const SessionState first = State();
  const int steps = m_session->GetUndoCount();
  SSymSelection none;
  none.SetDiagram(Diagram());
  SSymFormat changed(m_old);
  changed.m_pen.m_width = 450;
  EXPECT_EQ(none.UpdateLayoutFormat(&m_old, &changed, nullptr), S_FALSE);
  EXPECT_EQ(prefs->m_calls, 1);
  EXPECT_EQ(prefs->m_kept.m_pen.m_width, 450);
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  EXPECT_EQ(SessionState::Diff(first, State()), "");
}

// Which members take a new size and keep-centre word: groups and
// sub-objects are left out elsewhere; here a complex symbol takes the width
// only, and a box resized by hand keeps both against its first predefined
// shape, unless its text asks for the shape's size (text mode 2).
TEST_F(SelectFormat, SizeRulesByMember) {
  kvtest::TempDir dir("selectformat");
  const SString png = dir.Name("fill.png");
  ASSERT_TRUE(kvtest::WriteBytes(png.ToUtf8(), kvtest::PngBytes(8, 8, 0xFF336699u)));
  SPictureManager manager;
  SPictureInfo* bitmap = manager.LoadPicture(SPictureInfo::GetTypeFromExtension(png), png, 0, SString());
  ASSERT_NE(bitmap, nullptr);
  SPictureInfo* shape = SSymPictureManager::FindSymbolPicture(25);
  ASSERT_NE(shape, nullptr);
  ASSERT_EQ(shape->GetType(), 1);
  enum Picture { None, Shape, Bitmap };
  const struct {
    const char* name;
    bool complex, resized;
    Picture was, now;
    LONG textMode;
    bool width, height;  // taken
  } cases[] = {
      {"plain", false, false, None, None, 0, true, true},
      {"complex", true, false, None, None, 0, true, false},
      {"resized, no new picture", false, true, None, None, 0, true, true},
      {"resized, first shape", false, true, None, Shape, 0, false, false},
      {"resized, first shape sized by its text", false, true, None, Shape, 2, true, true},
      {"resized, first bitmap", false, true, None, Bitmap, 0, true, true},
      {"resized, shape after a bitmap", false, true, Bitmap, Shape, 0, true, true},
      {"not resized, first shape", false, false, None, Shape, 0, true, true},
  };
  auto word = [&](Picture p) {
    return p == Shape ? SSymCustomPictureWord(shape) : p == Bitmap ? SSymCustomPictureWord(bitmap) : 0;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SSymRectangle* box = nullptr;
    if (c.complex) {
      ISRepObject* made = nullptr;
      ASSERT_EQ(SSymCreateStd<TComplexBox>(&made, Session(), nullptr), S_OK);
      box = Own<SSymRectangle>(made);
      box->m_rect = SSymRect(0, 3600, 4800, 0);
      Diagram()->Add(box->Sym());
    } else {
      box = PutBox(SSymRect(0, 3600, 4800, 0));
    }
    box->m_bAutoAdjusted = 0;
    box->m_bManuallyResized = c.resized ? 1 : 0;
    SSymSelection one;
    one.SetDiagram(Diagram());
    one.Add(box->Sym(), 0);
    SSymFormat was(m_old), now(m_old);
    was.m_size = SSymSize(4800, 3600);
    was.m_margins[3] = word(c.was);
    now.m_size = SSymSize(9600, 7200);
    now.m_margins[1] = 1;  // keep centre
    now.m_margins[3] = word(c.now);
    now.m_margins[4] = c.textMode;
    ASSERT_EQ(one.UpdateLayoutFormat(&was, &now, nullptr), S_OK);
    SSymRect r = box->GetClipRect(0, 0);
    r.Normalize();
    EXPECT_EQ(r.Width() == 9600, c.width) << r.Width();
    EXPECT_EQ(r.Height() == 7200, c.height) << r.Height();
    EXPECT_EQ(box->GetKeepCenter(), c.width);  // the adjust words go with the size allowance
    EXPECT_EQ(box->GetCustomPicture(), SSymCustomPictureFromWord(now.m_margins[3]));
  }
}

TEST_F(SelectFormat, CustomPictureAndTextModeOnlyWhenChosen) {
  SPictureInfo* shape = SSymPictureManager::FindSymbolPicture(25);
  ASSERT_NE(shape, nullptr);
  m_a->m_customTextMode = 1;
  m_b->m_customTextMode = 3;
  SSymFormat changed(m_old);
  changed.m_margins[3] = SSymCustomPictureWord(shape);
  changed.m_margins[4] = -1;  // the modes differed and were not touched
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&m_old, &changed, nullptr), S_OK);
  EXPECT_EQ(m_a->GetCustomPicture(), shape);
  EXPECT_EQ(m_b->GetCustomPicture(), shape);
  EXPECT_EQ(m_a->m_customTextMode, 1);
  EXPECT_EQ(m_b->m_customTextMode, 3);
  // A chosen mode reaches both; a shape category the template imposes keeps them.
  SSymFormat mode(changed);
  mode.m_margins[4] = 2;
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&changed, &mode, nullptr), S_OK);
  EXPECT_EQ(m_a->m_customTextMode, 2);
  EXPECT_EQ(m_b->m_customTextMode, 2);
  SSymAllowOption allow;
  allow.m_category[SSymAllowOption::SHAPE] = SSymAllowOption::AllowApply;
  SSymFormat none(mode);
  none.m_margins[3] = 0;
  ASSERT_EQ(m_selection.UpdateLayoutFormat(&mode, &none, &allow), S_OK);
  EXPECT_EQ(m_a->GetCustomPicture(), shape);
}

}  // namespace
