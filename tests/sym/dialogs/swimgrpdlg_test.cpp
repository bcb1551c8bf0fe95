#include <gtest/gtest.h>

#include "kvcore/sdlg.h"
#include "sym/dialogs/symswimgrpdlg.h"
#include "support/swimgroup_fixture.h"

namespace {

class SwimGroupDialog : public SwimGroupFixture {
 protected:
  void SetUp() override {
    SwimGroupFixture::SetUp();
    KvWindowsReset();
    KvDialogReset();
    SSymSwimLane* pool = NewPool(SSymRect(0, 40000, 30000, 0), 1);
    m_g = NewGroup(pool->Obj(), SSymRect(0, 40000, 30000, 0), u"Sales");
    NewLane(m_g->Obj(), SSymRect(0, 38000, 8000, 0));
  }
  void TearDown() override {
    KvDialogReset();
    KvWindowsReset();
    SwimGroupFixture::TearDown();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  SString Title() {
    SString t;
    m_g->GetText(t);
    return t;
  }
  // Runs the group's verb with one scripted answer.
  void Answer(const char16_t* typed, bool ok) {
    KvQueueDialogAnswer({{{SSymSwimGrpDlg::NameFieldId, SString(typed)}}, ok});
    EXPECT_EQ(m_g->DoVerb(0, nullptr, nullptr, nullptr), 0);
  }
  SSymSwimGroup* m_g = nullptr;
};

TEST_F(SwimGroupDialog, VerbOpensTheDialogAndRenamesAsOneUndoStep) {
  const int steps = m_session->GetUndoCount();
  Answer(u"Marketing", true);
  ASSERT_EQ(KvDialogCalls().size(), 1u);
  const KvDialogCall& call = KvDialogCalls()[0];
  EXPECT_EQ(call.templateId, 159u);
  EXPECT_EQ(call.caption, SString(u"Swimlane Group Name"));
  EXPECT_EQ(call.shown, (SDlgTexts{{160, SString(u"Sales")}}));
  EXPECT_EQ(call.result, IDOK);
  EXPECT_EQ(Title(), SString(u"Marketing"));
  EXPECT_EQ(m_session->GetUndoCount(), steps + 1);
  EXPECT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Title(), SString(u"Sales"));
}

// Cancel, or OK with the same text: no step, no change. A change of case
// alone, or an emptied field, is a new title.
TEST_F(SwimGroupDialog, WritesOnlyAConfirmedDifferentText) {
  struct Case {
    const char16_t* typed;
    bool ok;
    const char16_t* title;
    int steps;
  } cases[] = {{u"Marketing", false, u"Sales", 0},
               {u"Sales", true, u"Sales", 0},
               {u"sales", true, u"sales", 1},
               {u"", true, u"", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(SString(c.typed).ToUtf8());
    m_g->m_text = SString(u"Sales");
    const int steps = m_session->GetUndoCount();
    Answer(c.typed, c.ok);
    EXPECT_EQ(Title(), SString(c.title));
    EXPECT_EQ(m_session->GetUndoCount(), steps + c.steps);
  }
  EXPECT_EQ(KvDialogCalls().size(), 4u);
}

// A dialog on nothing, or on a symbol without a text, shows an empty field
// and changes nothing.
TEST_F(SwimGroupDialog, WithoutATextNothingIsWritten) {
  TSym* plain = Make<TSym>();
  for (ISSymbol* s : {static_cast<ISSymbol*>(nullptr), plain->Sym()}) {
    KvQueueDialogAnswer({{{SSymSwimGrpDlg::NameFieldId, SString(u"x")}}, true});
    SSymSwimGrpDlg dialog(s);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(KvDialogCalls().back().shown, (SDlgTexts{{160, SString()}}));
  }
  EXPECT_EQ(Title(), SString(u"Sales"));
}

// The dialog is made from template 159, one of the library's registered
// templates, with the table the dialog describes.
TEST_F(SwimGroupDialog, MadeFromTheRegisteredTemplate) {
  const SDlgTemplate* t = SFindDlgTemplate(SSymSwimGrpDlg::TemplateId);
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t, &SSymSwimGrpDlg::Template());
  EXPECT_EQ(SString(t->caption), SString(u"Swimlane Group Name"));
  EXPECT_EQ(t->cx, 280);
  EXPECT_EQ(t->cy, 48);
  ASSERT_EQ(t->items.size(), 4u);
  EXPECT_EQ(t->items[1].id, SSymSwimGrpDlg::NameFieldId);
  SSymSwimGrpDlg dialog(m_g->Sym());
  EXPECT_EQ(dialog.GetTemplateId(), 159u);
  EXPECT_EQ(&dialog.GetTemplate(), t);
}

}  // namespace
