// The title: the name of the model object under the diagram's wrapping
// preference, the location line of a shortcut under the value (also when
// asked for its text before any drawing), the attribute edited by the
// session's choice of names or codes, a deleted shortcut target registered
// again at the next drawing, ancestors' display names heard, and copies
// that register themselves.
#include <gtest/gtest.h>

#include "support/boundtext_fixture.h"
#include "support/recording_canvas.h"
#include "sym/subobjects/symsubtitle.h"

namespace {

using namespace titem;

class SubTitle : public BoundTextFixture {
 protected:
  SSymSubSymTitle* Title(ISRepObject* o, LONG id = kName) { return Hold(new SSymSubSymTitle(o, id)); }
  // An object three levels down: Model / Pkg / Sub / name.
  SRepObject* Nested(const char16_t* name) {
    model = Obj(u"Model");
    pkg = Obj(u"Pkg", model);
    sub = Obj(u"Sub", pkg);
    return Obj(name, sub);
  }
  SRepObject *model = nullptr, *pkg = nullptr, *sub = nullptr;
};

TEST_F(SubTitle, DrawsTheNameInTheDiagramsWrapMode) {
  SSymSubSymTitle* t = Title(Obj(u"Customer"));
  EXPECT_EQ(4, t->GetSymbolType());
  struct Case {
    int mode;
    LONG style;
  };
  // Wrapping (the preferences' default), truncating, neither.
  for (const Case& c : {Case{2, 0x1211}, Case{1, 0x2211}, Case{0, 0x2211}}) {
    m_prefDiagram->GetDispPrefPtr()->SetValue(SSymDispPref::GetObjectPath(), SString(u"Mode"), long{c.mode},
                                              SSymDispPref::LocDiagram);
    RecordingCanvas canvas;
    EXPECT_EQ(S_OK, t->Draw(canvas)) << c.mode;
    EXPECT_EQ(c.style, t->GetTextStyle()) << c.mode;
  }
  EXPECT_EQ(SString(u"Customer"), t->Text());
  // Told not to follow the preference, the style stays.
  t->SetFlag(SUBS_NOWRAPPREF, true);
  t->_SetTextStyle(0x211);
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_EQ(0x211, t->GetTextStyle());
  // Drawing already (a paint within a paint) or hidden: nothing drawn.
  for (DWORD bit : {SUBS_DRAWING, SUBS_HIDDEN}) {
    t->SetFlag(bit, true);
    RecordingCanvas again;
    EXPECT_EQ(1, t->Draw(again));
    EXPECT_TRUE(again.Only("DrawText").empty());
    t->SetFlag(bit, false);
  }
}

// Asked for its text before its first drawing (its stored text still
// empty), a shortcut's title answers the value with the location under it.
TEST_F(SubTitle, AShortcutShowsItsLocationUnderTheValue) {
  SSymSubSymTitle* t = Title(Shortcut(Nested(u"Customer")));
  SString text;
  ASSERT_EQ(S_OK, t->GetText(text));
  EXPECT_EQ(SString(u"Customer\n(Sub)"), text);
  EXPECT_EQ(SString(), t->Text()) << "the stored text is left alone";
  t->InitializeSubSym();
  EXPECT_EQ(SString(u"Customer\n(Sub)"), t->Text());
  // An object that lives in another's compartments shows no location.
  SRepRegisterSubObjectClass(CLSID_TItem, true);
  SSymSubSymTitle* u = Title(Shortcut(Nested(u"Column")));
  u->InitializeSubSym();
  SRepRegisterSubObjectClass(CLSID_TItem, false);
  EXPECT_EQ(SString(u"Column"), u->Text());
}

TEST_F(SubTitle, EditsNameOrCodeAsTheSessionShows) {
  SRepObject* o = Obj(u"Customer");
  SSymSubSymTitle* t = Title(o, kDisplay);
  struct Case {
    DWORD options;
    LONG asked;
    LONG edited;
  };
  for (const Case& c : {Case{0x40, kDisplay, kName}, Case{0, kDisplay, kCode}, Case{0x40, kCode, kName},
                        Case{0, kName, kCode}, Case{0x40, kLocked, kLocked}}) {
    m_session->SetOptions(c.options);
    EXPECT_EQ(c.edited, t->GetDispidToEdit(o, c.asked)) << c.options << " " << c.asked;
  }
  EXPECT_EQ(0, t->GetDispidToEdit(nullptr, kName));
}

TEST_F(SubTitle, ADeletedTargetIsRegisteredAgainAtTheNextDrawing) {
  SRepObject* target = Nested(u"Customer");
  SSymSubSymTitle* t = Title(Shortcut(target));
  t->InitializeSubSym();
  ASSERT_TRUE(t->IsAdvised());
  // Heard inside the user's step: the diagram's control holder says so.
  SRepControlHolder holder;
  holder.SetChangeInContext(1);
  m_prefDiagram->SetHolder(&holder);
  {
    SRepCreateContext step(Session());
    ASSERT_EQ(S_OK, target->Delete());
  }
  EXPECT_FALSE(t->IsAdvised());
  EXPECT_NE(nullptr, t->GetObject()) << "a shortcut's title stays bound";
  ASSERT_EQ(S_OK, m_session->Undo());
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_TRUE(t->IsAdvised());
  target->SetAttribute(kName, SRepVariant::Text(SString(u"Client")));
  EXPECT_EQ(SString(u"Client\n(Sub)"), t->Text());
  m_prefDiagram->SetHolder(nullptr);
}

TEST_F(SubTitle, HearsItsTargetsAncestorsDisplayNames) {
  SRepObject* target = Nested(u"Customer");
  TSetText(target, kDisplay, u"Customer");
  SSymSubSymTitle* t = Title(Shortcut(target), kDisplay);
  t->InitializeSubSym();
  t->_SetText(SString(u"stale"));
  for (SRepObject* ancestor : {sub, pkg, model}) {
    t->_SetText(SString(u"stale"));
    ancestor->SetAttribute(kDisplay, SRepVariant::Text(SString(u"renamed")));
    EXPECT_EQ(SString(u"Customer\n(Sub)"), t->Text());
  }
}

TEST_F(SubTitle, ACopyRegistersItselfAndOutlivesItsSource) {
  SRepObject* o = Obj(u"Customer");
  SSymSubSymTitle* t = Title(o);
  t->InitializeSubSym();
  auto* copy = Hold(new SSymSubSymTitle(*t));
  EXPECT_TRUE(copy->IsAdvised());
  EXPECT_EQ(t->GetAttrEditor(), copy->GetAttrEditor());
  EXPECT_EQ(SString(u"Customer"), copy->Text());
  t->Delete();
  o->SetAttribute(kName, SRepVariant::Text(SString(u"Client")));
  EXPECT_EQ(SString(u"Client"), copy->Text());
  EXPECT_EQ(SString(u"Customer"), t->Text());
}

}  // namespace

namespace {

// A shortcut that leads nowhere: nothing to show, registered on the
// shortcut itself, and drawing does not fail.
TEST_F(SubTitle, AShortcutToNothingShowsNothing) {
  SSymSubSymTitle* t = Title(Shortcut(nullptr));
  SString text(u"x");
  ASSERT_EQ(S_OK, t->GetText(text));
  EXPECT_EQ(SString(), text);
  RecordingCanvas canvas;
  t->Draw(canvas);
  EXPECT_TRUE(t->IsAdvised());
  EXPECT_EQ(SString(), t->Text());
}

}  // namespace
