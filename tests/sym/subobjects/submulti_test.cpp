// The multi-attribute text: the pieces of its attributes (labels, formats,
// booleans, the bracketed and ordering attributes, an empty value taking no
// line), following changes of any of them, and editing the attribute shown
// on the line under the pointer, counting the lines each value takes.
#include <gtest/gtest.h>

#include <functional>

#include "support/boundtext_fixture.h"
#include "sym/subobjects/symsubmulti.h"
#include "sym/symbol/symintfview.h"
#include "sym/render/symdeftcanv.h"
#include "sym/tools/symeditinplace.h"

namespace {

using namespace titem;

STable<SSymAttrData> List(std::initializer_list<SSymAttrData> records) {
  STable<SSymAttrData> list;
  for (const SSymAttrData& r : records) list.Add(r);
  return list;
}

class SubMulti : public BoundTextFixture {
 protected:
  SSymSubObjTextMulti* Text(ISRepObject* o, const STable<SSymAttrData>& list, THost* host = nullptr) {
    auto* t = Hold(new SSymSubObjTextMulti(o, list), host);
    t->InitializeSubSym();
    return t;
  }
};

TEST_F(SubMulti, MakesOnePiecePerAttribute) {
  struct Case {
    const char* name;
    std::function<void(ISRepObject*)> model;
    STable<SSymAttrData> list;
    std::vector<const char16_t*> format;
    const char16_t* shown;
  };
  auto named = [](ISRepObject* o) {
    TSetText(o, kCode, u"c");
    TSetText(o, kDisplay, u"display");
  };
  auto flag = [](bool on) {
    return [on](ISRepObject* o) {
      SRepVariant v;
      v.SetBOOL(on);
      o->SetAttribute(kFlag, v);
    };
  };
  const Case cases[] = {
      {"OneLineEachAnEmptyValueTakesNone", named,
       List({SSymAttrData(kName), SSymAttrData(kBracketed), SSymAttrData(kCode)}), {}, u"a\nc"},
      {"LabelsAroundTheValue", named, List({SSymAttrData(kName, SString(u"["), SString(u"]"))}), {}, u"[a]"},
      {"FormatsRunTogether", named, List({SSymAttrData(kName), SSymAttrData(kBare), SSymAttrData(kCode)}),
       {u"%s", u"-%s-", u" (%s)"}, u"a (c)"},
      {"AFormatWithoutTheValueAsWritten", named, List({SSymAttrData(kName), SSymAttrData(kCode)}), {u"%s", u"!"},
       u"a!"},
      {"Bracketed", [](ISRepObject* o) { TSetText(o, kBracketed, u"entity"); }, List({SSymAttrData(kBracketed)}), {},
       u"<<entity>>"},
      {"UnorderedShowsNothing", [](ISRepObject* o) { TSetText(o, kOrdering, u"unordered"); },
       List({SSymAttrData(kName), SSymAttrData(kOrdering)}), {}, u"a"},
      {"UnorderedInFrench", [](ISRepObject* o) { TSetText(o, kOrdering + 1, u"Non ordonnée"); },
       List({SSymAttrData(kName), SSymAttrData(kOrdering + 1)}), {}, u"a"},
      {"OrderedShows", [](ISRepObject* o) { TSetText(o, kOrdering, u"Ascending"); }, List({SSymAttrData(kOrdering)}), {},
       u"Ascending"},
      {"TrueLabel", flag(true), List({SSymAttrData(kName), SSymAttrData(kFlag, SString(u"yes"), SString(u"no"))}), {},
       u"a\nyes"},
      {"FalseLabel", flag(false), List({SSymAttrData(kFlag, SString(u"yes"), SString(u"no"))}), {}, u"no"},
      {"FalseWithoutLabelsTakesNoLine", flag(false), List({SSymAttrData(kFlag), SSymAttrData(kName)}), {}, u"a"},
      {"AttributeTheClassLacks", named, List({SSymAttrData(kMissing), SSymAttrData(kName)}), {}, u"a"},
  };
  for (const Case& c : cases) {
    SRepObject* o = Obj(u"a");
    c.model(o);
    auto* t = new SSymSubObjTextMulti(o, c.list);
    Hold(t);
    SStringTable format;
    for (const char16_t* f : c.format) format.Add(SString(f));
    t->SetFormat(&format);
    t->InitializeSubSym();
    EXPECT_EQ(SString(c.shown), t->Text()) << c.name;
  }
}

TEST_F(SubMulti, BracketsCanBeLeftOutAndNamesRewrittenByTheOwner) {
  SRepObject* o = Obj(u"a");
  TSetText(o, kBracketed, u"entity");
  auto* t = Hold(new SSymSubObjTextMulti(o, List({SSymAttrData(kBracketed)})));
  t->SetFlag(SUBS_NOBRACKETS, true);
  t->InitializeSubSym();
  EXPECT_EQ(SString(u"entity"), t->Text());
  auto* host = AddTo<TCloneHost>(m_prefDiagram);
  EXPECT_EQ(SString(u"a*\n<<entity>>"), Text(o, List({SSymAttrData(kName), SSymAttrData(kBracketed)}), host)->Text());
}

TEST_F(SubMulti, FollowsItsAttributesOnly) {
  SRepObject* o = Obj(u"a");
  SSymSubObjTextMulti* t = Text(o, List({SSymAttrData(kName), SSymAttrData(kCode)}));
  EXPECT_EQ(1, t->GetSymbolType());
  TSetText(o, kCode, u"c");
  EXPECT_EQ(SString(u"a\nc"), t->Text());
  t->_SetText(SString(u"stale"));
  TSetText(o, kBare, u"not shown");
  EXPECT_EQ(SString(u"stale"), t->Text());
  // The same list again changes nothing; another one reloads.
  t->SetLstDispid(List({SSymAttrData(kName), SSymAttrData(kCode)}));
  EXPECT_EQ(SString(u"stale"), t->Text());
  t->SetLstDispid(List({SSymAttrData(kCode)}));
  EXPECT_EQ(SString(u"c"), t->Text());
  EXPECT_EQ(1, t->GetLstDispID().GetCount());
  // Deleted: the text lets the object go and keeps what it showed.
  ASSERT_EQ(S_OK, o->Delete());
  EXPECT_EQ(nullptr, t->GetObject());
  EXPECT_EQ(SString(u"c"), t->Text());
}

// Through a shortcut: the target's values; a flush reloads them; the
// target deleted leaves the text bound to its shortcut, unregistered.
TEST_F(SubMulti, AShortcutShowsItsTargetAndOutlivesIt) {
  SRepObject* o = Obj(u"a");
  TSetText(o, kCode, u"c");
  SRepShortcut* shortcut = Shortcut(o);
  SSymSubObjTextMulti* t = Text(static_cast<SRepObject*>(shortcut), List({SSymAttrData(kName), SSymAttrData(kCode)}));
  EXPECT_EQ(SString(u"a\nc"), t->Text());
  EXPECT_TRUE(t->IsAdvised());
  t->_SetText(SString(u"stale"));
  EXPECT_EQ(S_OK, t->OnFlush(o));
  EXPECT_EQ(SString(u"a\nc"), t->Text());
  ASSERT_EQ(S_OK, o->Delete());
  EXPECT_FALSE(t->IsAdvised());
  EXPECT_TRUE(SRepAreSameObjects(static_cast<SRepObject*>(shortcut), t->GetObject()));
}

TEST_F(SubMulti, RenamesOnlyAWritableDisplayName) {
  SRepObject* o = Obj(u"a");
  EXPECT_EQ(1, Text(o, List({SSymAttrData(kName), SSymAttrData(kDisplay)}))->CanRename());
  EXPECT_EQ(0, Text(o, List({SSymAttrData(kName), SSymAttrData(kCode)}))->CanRename());
  EXPECT_EQ(0, SubRef<SSymSubObjTextMulti>(new SSymSubObjTextMulti())->CanRename());
}

// Editing: the read-only attribute on the first line, the name on the
// next (two lines when it holds a line break), the code last.
class SubMultiEdit : public SubMulti {
 protected:
  void SetUp() override {
    SubMulti::SetUp();
    o = Obj(u"a");
    TSetText(o, kCode, u"c");
    SSymEditInPlaceController::s_lastAttr = 0;
    SSymEditInPlaceController::s_lastInitStart = -1;
    SSymEditInPlaceController::s_lastInitIds.RemoveAll();
  }
  // The rectangle of line i of t, laid as the text lays them.
  SSymRect Line(SSymSubObjTextMulti* t, int i) {
    LONG h = 0;
    SSymLockViewCanvas lock(&view);
    SSymDeftCanvas screen;
    SSymCanvas* canvas = lock.GetCanvas() ? lock.GetCanvas() : &screen;
    h = std::abs(canvas->GetTextExtent(SString(u"W"), t->GetSubFont()).cy);
    SSymRect r = t->GetClipRect(1, 1);
    r.Normalize();
    return SSymRect(r.x1, r.y1 - i * h, r.x2, r.y1 - (i + 1) * h);
  }
  SSymPoint On(SSymSubObjTextMulti* t, int i) {
    SSymRect r = Line(t, i);
    r.Normalize();
    return r.GetCenter();
  }
  SRepObject* o = nullptr;
  SSymView view;
};

TEST_F(SubMultiEdit, EditsTheAttributeShownOnTheLineUnderThePoint) {
  struct Case {
    const char* name;
    const char16_t* nameValue;
    int line;
    int flag;
    HRESULT result;
    int start;  // position among the editable attributes (name, code)
  };
  const Case cases[] = {
      {"ReadOnlyLineEditsNothing", u"a", 0, 1, 1, -1},
      {"NameLine", u"a", 1, 1, S_OK, 0},
      {"CodeLine", u"a", 2, 1, S_OK, 1},
      {"SecondLineOfTheName", u"a\nb", 2, 1, S_OK, 0},
      {"CodeAfterATwoLineName", u"a\nb", 3, 1, S_OK, 1},
      {"BelowEveryLine", u"a", 5, 1, 1, -1},
      {"FlagZeroStartsOnTheName", u"a", 2, 0, S_OK, 0},
  };
  for (const Case& c : cases) {
    TSetText(o, kName, c.nameValue);
    SSymSubObjTextMulti* t = Text(o, List({SSymAttrData(kLocked), SSymAttrData(kName), SSymAttrData(kCode)}));
    SSymEditInPlaceController::s_lastInitStart = -1;
    EXPECT_EQ(c.result, t->EditInPlace(&view, On(t, c.line), c.flag)) << c.name;
    EXPECT_EQ(c.start, SSymEditInPlaceController::s_lastInitStart) << c.name;
    if (c.start >= 0) {
      ASSERT_EQ(2, SSymEditInPlaceController::s_lastInitIds.GetCount()) << c.name;
      EXPECT_EQ(kName, SSymEditInPlaceController::s_lastInitIds[0]);
      EXPECT_EQ(kCode, SSymEditInPlaceController::s_lastInitIds[1]);
    }
    EXPECT_EQ(0, SSymEditInPlaceController::s_nLive) << c.name;
  }
}

TEST_F(SubMultiEdit, OneEditableAttributeIsEditedOverItsOwnLine) {
  SSymSubObjTextMulti* t = Text(o, List({SSymAttrData(kLocked), SSymAttrData(kName)}));
  EXPECT_EQ(1, t->EditInPlace(&view, On(t, 0), 1)) << "the read-only line is not the name's";
  EXPECT_EQ(0, SSymEditInPlaceController::s_lastAttr);
  EXPECT_EQ(S_OK, t->EditInPlace(&view, On(t, 1), 1));
  EXPECT_EQ(kName, SSymEditInPlaceController::s_lastAttr);
  EXPECT_EQ(Line(t, 1), SSymEditInPlaceController::s_lastRect);
  // Off every line the one editable attribute is still the one edited.
  EXPECT_EQ(S_OK, t->EditInPlace(&view, SSymPoint(-90000, -90000), 1));
  // The group's editing asks for an attribute by id: the line that shows it.
  SSymSubObjTextMulti* u = Text(o, List({SSymAttrData(kLocked), SSymAttrData(kName), SSymAttrData(kCode)}));
  EXPECT_EQ(S_OK, u->EditInPlace(nullptr, &view, kCode));
  EXPECT_EQ(kCode, SSymEditInPlaceController::s_lastAttr);
  EXPECT_EQ(Line(u, 2), SSymEditInPlaceController::s_lastRect);
  EXPECT_EQ(1, u->EditInPlace(nullptr, &view, kLocked));
  EXPECT_EQ(1, u->EditInPlace(nullptr, &view, kMissing));
  SSymEditInPlaceController::s_nNextResult = -1;
  EXPECT_EQ(E_FAIL, u->EditInPlace(nullptr, &view, kName));
  SSymEditInPlaceController::s_bFailNextCreate = true;
  EXPECT_EQ(E_OUTOFMEMORY, u->EditInPlace(&view, On(u, 1), 1));
  EXPECT_EQ(0, SSymEditInPlaceController::s_nLive);
}

TEST_F(SubMultiEdit, AnswersWhatCanBeEdited) {
  SSymSubObjTextMulti* t = Text(o, List({SSymAttrData(kLocked), SSymAttrData(kName), SSymAttrData(kBare)}));
  struct Case {
    LONG id;
    HRESULT editable;
  };
  for (const Case& c : {Case{kName, 0}, Case{kLocked, 1}, Case{kBare, 1}, Case{kMissing, 1}})
    EXPECT_EQ(c.editable, t->IsEditableInPlace(nullptr, &view, c.id)) << std::hex << c.id;
  EXPECT_EQ(E_POINTER, t->IsEditableInPlace(nullptr, nullptr, kName));
  EXPECT_EQ(E_POINTER, t->EditInPlace(nullptr, SSymPoint(), 1));
  EXPECT_EQ(E_POINTER, SubRef<SSymSubObjTextMulti>(new SSymSubObjTextMulti())->EditInPlace(&view, SSymPoint(), 1));
  t->SetFlag(SUBS_HIDDEN, true);
  EXPECT_EQ(1, t->IsEditableInPlace(nullptr, &view, kName));
  EXPECT_EQ(1, t->EditInPlace(&view, On(t, 1), 1));
}

}  // namespace
