// The child-object text: the referenced object's value in front of the
// bound object's own, following both objects and the reference between
// them, the location line of a shortcut as the preferences ask, and the
// answers to unbound texts, missing attributes and deleted objects.
#include <gtest/gtest.h>

#include "support/boundtext_fixture.h"
#include "sym/subobjects/symsubchild.h"

namespace {

using namespace titem;

class SubChild : public BoundTextFixture {
 protected:
  // A text showing kName of `own` and of the object its kRef refers to.
  SSymSubChildObjText* Text(ISRepObject* own, THost* host = nullptr) {
    auto* t = Hold(new SSymSubChildObjText(own, kRef, kName), host);
    t->InitializeSubSym();
    return t;
  }
  static void Refer(ISRepObject* from, ISRepObject* to) {
    SRepVariant v;
    v.SetIOBJECT(to);
    ASSERT_EQ(S_OK, from->SetAttribute(kRef, v));
  }
};

TEST_F(SubChild, ShowsTheChildInFrontOfItsOwnValue) {
  struct Case {
    const char16_t* child;  // null: no reference
    const char16_t* shown;
  };
  for (const Case& c : {Case{u"Product", u"Product.code"}, Case{nullptr, u"code"}, Case{u"", u"code"}}) {
    SRepObject* own = Obj(u"code");
    if (c.child) Refer(own, Obj(c.child));
    SSymSubChildObjText* t = Text(own);
    EXPECT_EQ(2, t->GetSymbolType());
    EXPECT_EQ(SString(c.shown), t->Text());
    SSymRect r = t->GetClipRect(0, 0);
    r.Normalize();
    EXPECT_GT(r.Width(), 0);
  }
}

TEST_F(SubChild, FollowsBothObjectsAndTheReference) {
  SRepObject* own = Obj(u"code");
  SRepObject* product = Obj(u"Product");
  SRepObject* stock = Obj(u"Stock");
  Refer(own, product);
  SSymSubChildObjText* t = Text(own);
  own->SetAttribute(kName, SRepVariant::Text(SString(u"key")));
  EXPECT_EQ(SString(u"Product.key"), t->Text());
  product->SetAttribute(kName, SRepVariant::Text(SString(u"Article")));
  EXPECT_EQ(SString(u"Article.key"), t->Text());
  // A new reference: the new child is heard, the old one no more.
  Refer(own, stock);
  EXPECT_EQ(SString(u"Stock.key"), t->Text());
  EXPECT_TRUE(SRepAreSameObjects(stock, t->GetChild()));
  product->SetAttribute(kName, SRepVariant::Text(SString(u"Goods")));
  stock->SetAttribute(kCode, SRepVariant::Text(SString(u"ST")));  // not the shown attribute
  EXPECT_EQ(SString(u"Stock.key"), t->Text());
  // A deleted child goes; the text stays bound to its own object.
  ASSERT_EQ(S_OK, stock->Delete());
  EXPECT_EQ(nullptr, t->GetChild());
  EXPECT_EQ(SString(u"key"), t->Text());
  EXPECT_TRUE(SRepAreSameObjects(own, t->GetObject()));
  own->SetAttribute(kName, SRepVariant::Text(SString(u"code")));
  EXPECT_EQ(SString(u"code"), t->Text());
}

TEST_F(SubChild, TheOwnerMayRewriteTheValue) {
  auto* host = AddTo<TCloneHost>(m_prefDiagram);
  SRepObject* own = Obj(u"code");
  Refer(own, Obj(u"Product"));
  EXPECT_EQ(SString(u"Product.code*"), Text(own, host)->Text());
}

// Where a shortcut leads, on a second line: within the model the full path
// or the last package; into another model that model's name (or code) and
// the location, each as the preferences say.
TEST_F(SubChild, AShortcutShowsItsLocationAsThePreferencesSay) {
  struct Case {
    const char* name;
    bool external;
    DWORD otherOptions;
    std::vector<std::pair<const char16_t*, int>> prefs;
    const char16_t* shown;
  };
  const Case cases[] = {
      {"InternalLastPackageByDefault", false, 0, {}, u"code\n(Sub)"},
      {"InternalFullPathBeforeLastPackage", false, 0, {{u"Shortcut IntFullPath", 1}}, u"code\n(Top::Sub)"},
      {"InternalWithoutLocation", false, 0, {{u"Shortcut IntLoct", 0}}, u"code"},
      {"InternalNeitherPathNorPackage", false, 0, {{u"Shortcut IntLastPackage", 0}}, u"code"},
      {"ExternalModelNameOnly", true, 0x40, {}, u"code\n(<Other>)"},
      {"ExternalModelCode", true, 0, {}, u"code\n(<OTH>)"},
      {"ExternalModelAndLastPackage", true, 0x40, {{u"Shortcut ExtLoct", 1}}, u"code\n(<Other>Sub)"},
      {"ExternalFullPath", true, 0x40, {{u"Shortcut ExtLoct", 1}, {u"Shortcut ExtFullPath", 1}},
       u"code\n(<Other>Pkg::Sub)"},
      {"ExternalWithoutModel", true, 0x40, {{u"Shortcut ExtIncludeModl", 0}}, u"code"},
  };
  const std::pair<const char16_t*, int> defaults[] = {
      {u"Shortcut IntLoct", 1}, {u"Shortcut IntFullPath", 0}, {u"Shortcut IntLastPackage", 1},
      {u"Shortcut ExtLoct", 0}, {u"Shortcut ExtFullPath", 0}, {u"Shortcut ExtLastPackage", 1},
      {u"Shortcut ExtIncludeModl", 1}};
  for (const Case& c : cases) {
    for (const auto& [key, on] : defaults) SetPref(key, on);
    ISRepSession* session = c.external ? OtherSession(c.otherOptions) : Session();
    SRepObject* top = Obj(c.external ? u"Other" : u"Model", nullptr, session);
    top->SetAttribute(kCode, SRepVariant::Text(SString(u"OTH")));
    SRepObject* pkg = Obj(c.external ? u"Pkg" : u"Top", top, session);
    SRepObject* sub = Obj(u"Sub", pkg, session);
    SRepObject* target = Obj(u"code", sub, session);
    for (const auto& [key, on] : c.prefs) SetPref(key, on);
    EXPECT_EQ(SString(c.shown), Text(Shortcut(target))->Text()) << c.name;
  }
}

TEST_F(SubChild, UnboundMissingAndDeleted) {
  // Unbound: nothing to show or to let go.
  SubRef<SSymSubChildObjText> none(new SSymSubChildObjText());
  none->InitValue();
  EXPECT_EQ(SString(), none->Text());
  EXPECT_EQ(S_OK, none->Delete());
  EXPECT_EQ(S_OK, none->OnDelete(nullptr, 0));
  // A reference attribute the class lacks: the own value alone.
  SRepObject* own = Obj(u"code");
  auto* t = Hold(new SSymSubChildObjText(own, kMissing, kName));
  t->InitializeSubSym();
  EXPECT_EQ(SString(u"code"), t->Text());
  // A shown attribute without an attribute editor keeps its text: the child
  // is not put in front of it again at every reload.
  auto* kept = Hold(new SSymSubChildObjText(own, kRef, kBare));
  Refer(own, Obj(u"Product"));
  kept->_SetText(SString(u"kept"));
  for (int i = 0; i < 2; ++i) kept->InitValue();
  EXPECT_EQ(SString(u"kept"), kept->Text());
  // The bound object deleted: the text lets it and its child go, keeping what it showed.
  SSymSubChildObjText* u = Text(own);
  ASSERT_EQ(S_OK, own->Delete());
  EXPECT_EQ(nullptr, u->GetObject());
  EXPECT_EQ(nullptr, u->GetChild());
  EXPECT_EQ(SString(u"Product.code"), u->Text());
}

}  // namespace
