// The attribute-editor services texts bound to the model call: type words,
// value texts (and their failures), lists of values, pictures of coded
// values, the relay of a reference, and the extended-attribute family of
// an advised sink.
#include <gtest/gtest.h>

#include "support/attrmodel_fixture.h"
#include "support/repfixture.h"

using titem::kDisplay;
using titem::kFlag;
using titem::kKind;
using titem::kRef;
using titem::kExt;

namespace {

class AttrEdit : public ::testing::Test {
 protected:
  void SetUp() override {
    session = new SRepSession();
    session->AddRef();
    reg = &TItemRegistry();
    item = NewItem(session, "Order");
  }
  void TearDown() override {
    item->Release();
    session->Release();
  }
  SRepAttrEditor* Editor(LONG id) { return reg->GetAttrEditor(id); }

  SRepSession* session = nullptr;
  SRepRegistry* reg = nullptr;
  TItem* item = nullptr;
};

TEST_F(AttrEdit, EditorsGiveTypeKindTextListAndFreeText) {
  struct Case {
    LONG id;
    int kind;
    DWORD typeKind;
    SRepVariant value;
    const char* text;
    int listed;  // entries of the list of values; -1: no list
    BOOL freeText;
  };
  const Case cases[] = {
      {titem::kName, SRepEditor_Plain, 0, SRepVariant::Text(SString("Order")), "Order", -1, 1},
      {kFlag, SRepEditor_Bool, SRepAttrType_Bool, SRepVariant::Long(1), "True", 2, 0},
      {kFlag, SRepEditor_Bool, SRepAttrType_Bool, SRepVariant::Long(0), "False", 2, 0},
      {kExt, SRepEditor_Bool, SRepAttrType_Bool, SRepVariant::Long(1), "True", 2, 0},
      {kKind, SRepEditor_List, 0, SRepVariant::Long(2), "Table", 3, 0},
      {kKind, SRepEditor_List, 0, SRepVariant::Long(9), "9", 3, 0},  // not listed: raw
      {kRef, SRepEditor_Object, 0, SRepVariant(), "", -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SRepAttrEditor* e = Editor(c.id);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->GetKind(), c.kind);
    EXPECT_EQ(SRepAttrTypeKind(e->GetAttrType()), c.typeKind);
    EXPECT_EQ(e->GetText(c.value), SString(c.text));
    SStringTable list;
    EXPECT_EQ(e->GetValueList(item, list), c.listed < 0 ? S_FALSE : S_OK);
    EXPECT_EQ(list.GetCount(), c.listed < 0 ? 0 : c.listed);
    EXPECT_EQ(e->IsFreeText(0, 0), c.freeText);
  }
  // A plain editor of a boolean attribute reports the boolean type too.
  SRepAttrEditor plain;
  plain.Init(kFlag, false, SRepVT_BOOL);
  EXPECT_EQ(SRepAttrTypeKind(plain.GetAttrType()), SRepAttrType_Bool);
  EXPECT_EQ(plain.GetAttrType() & 0xFFFF, static_cast<DWORD>(SRepVT_BOOL));
}

TEST_F(AttrEdit, ValueTextOfObjectsThatCannotAnswerIsEmptyWithTheirCode) {
  SString text;
  EXPECT_EQ(Editor(titem::kName)->GetValueText(item, text), S_OK);
  EXPECT_EQ(text, SString("Order"));
  // The attribute is not the object's: the repository's code.
  TNodeRegistry();
  TNode* other = NewNode(session);
  EXPECT_EQ(Editor(kFlag)->GetValueText(other, text), DISP_E_MEMBERNOTFOUND);
  EXPECT_TRUE(text.IsEmpty());
  other->Release();
  EXPECT_EQ(Editor(titem::kName)->GetValueText(nullptr, text), E_POINTER);
  ASSERT_EQ(item->Delete(), S_OK);
  text = SString("stale");
  EXPECT_EQ(Editor(titem::kName)->GetValueText(item, text), CO_E_OBJNOTCONNECTED);
  EXPECT_TRUE(text.IsEmpty());
}

TEST_F(AttrEdit, OnlyListedValuesWithAPictureHaveOne) {
  SRepAttrPicture pic;
  item->m_kind = 2;
  EXPECT_EQ(Editor(kKind)->GetValuePicture(item, pic), S_OK);
  EXPECT_NE(pic.icon, nullptr);
  EXPECT_EQ(pic.metafile, nullptr);
  for (LONG kind : {1, 9}) {
    item->m_kind = kind;
    EXPECT_LT(Editor(kKind)->GetValuePicture(item, pic), 0);
    EXPECT_EQ(pic.icon, nullptr);
  }
  EXPECT_LT(Editor(titem::kName)->GetValuePicture(item, pic), 0);  // plain values have none
  EXPECT_LT(Editor(kKind)->GetValuePicture(nullptr, pic), 0);
  EXPECT_FALSE(Editor(titem::kName)->HasRelay());
  SRepValueRelay* none = nullptr;
  EXPECT_EQ(Editor(titem::kName)->CreateRelay(item, SRepVariant(), nullptr, &none), E_NOTIMPL);
}

TEST_F(AttrEdit, AReferenceRelayTellsOfTheRenamingOfTheObjectReferredTo) {
  TItem* customer = NewItem(session, "Customer");
  SRepVariant v;
  v.SetIOBJECT(customer);
  ASSERT_EQ(item->SetAttribute(kRef, v), S_OK);
  TColSink sink;
  SRepAttrEditor* e = Editor(kRef);
  ASSERT_TRUE(e->HasRelay());
  EXPECT_EQ(e->CreateRelay(item, v, &sink, nullptr), E_POINTER);
  SRepValueRelay* relay = nullptr;
  ASSERT_EQ(e->CreateRelay(item, v, &sink, &relay), S_OK);
  ASSERT_NE(relay, nullptr);
  customer->Set_CHAR(titem::kName, SString("Client"));
  customer->Set_CHAR(kDisplay, SString("Client (sales)"));
  customer->m_flag = true;
  customer->_PostSetAttribute(kFlag);  // not a name: not told
  EXPECT_EQ(sink.changes, (std::vector<LONG>{kRef, kRef}));
  // The reference cleared: the old object is no longer heard.
  SRepVariant nothing;
  nothing.SetIOBJECT(nullptr);
  ASSERT_EQ(item->SetAttribute(kRef, nothing), S_OK);
  customer->Set_CHAR(titem::kName, SString("Buyer"));
  EXPECT_EQ(sink.changes.size(), 2u);
  // Detached: nothing more, and nothing is left advised.
  v.SetIOBJECT(customer);
  item->SetAttribute(kRef, v);
  relay->Detach();
  customer->Set_CHAR(titem::kName, SString("Again"));
  EXPECT_EQ(sink.changes.size(), 2u);
  delete relay;
  v.ReleaseData();
  item->SetAttribute(kRef, nothing);
  customer->Release();
}

TEST_F(AttrEdit, ASinkAdvisedOnTheExtendedFamilyHearsEveryExtendedAttribute) {
  TColSink sink;
  ASSERT_EQ(item->Advise(0x040E0000 | SRepAdviseOneAttr, &sink), S_OK);
  SRepVariant on;
  on.SetBOOL(true);
  item->SetAttribute(kExt, on);
  item->SetAttribute(kFlag, on);
  EXPECT_EQ(sink.changes, (std::vector<LONG>{kExt}));
  item->Unadvise(&sink);
}

}  // namespace
