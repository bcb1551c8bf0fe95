// What the repository says of an object for users: its class name, its
// short name in messages, and its icon; and the labels read through the
// string lookup of the module that registered the metamodel.
#include <gtest/gtest.h>

#include "kvrep/sreptypelib.h"
#include "support/repfixture.h"

namespace {

TEST(RepNames, ShortNameFallsBackToTheClass) {
  TNodeRegistry();
  SRepSession* s = new SRepSession();
  s->AddRef();
  TNode* n = NewNode(s);
  n->m_name = SString("alpha");
  EXPECT_EQ(n->GetObjShortName(), SString("alpha"));
  n->m_name = SString();
  // A class that no metamodel describes: neither class name nor code.
  EXPECT_EQ(n->GetClssName(), SString());
  EXPECT_EQ(n->GetObjShortName(), SString(GuidToString16(CLSID_TNode)));
  ASSERT_EQ(n->Delete(), S_OK);
  EXPECT_FALSE(n->GetObjShortName().IsEmpty()) << "a deleted object is still named";
  n->Release();
  s->Release();
}

TEST(RepNames, IconOfTheClassDefinition) {
  SRepClassDef* def = TNodeRegistry().GetClassDef();
  SRepSession* s = new SRepSession();
  s->AddRef();
  TNode* n = NewNode(s);
  EXPECT_EQ(n->GetIconIndex(), -1) << "no icon given";
  def->SetIconIndex(7);
  EXPECT_EQ(n->GetIconIndex(), 7);
  def->SetIconIndex(-1);
  SRepObjectMem loose(MakeGUID("{5E7A0001-0000-4000-8000-0000000000FF}"));
  loose.AddRef();
  EXPECT_EQ(loose.GetIconIndex(), -1) << "a class without registry entry";
  n->Release();
  s->Release();
}

TEST(RepNames, LabelsNeedTheStringLookup) {
  const GUID any = MakeGUID("{36083F61-1A49-11D1-83D9-444553540000}");
  SRepSetStringLookup(nullptr);
  EXPECT_EQ(SRepGetClassLabel(any), SString());
  SRepSetStringLookup([](void*, UINT) { return SString("Label\nL"); });
  EXPECT_EQ(SRepGetClassLabel(any), SString()) << "no registered metamodel knows the class";
  SRepSetStringLookup(nullptr);
}

}  // namespace
