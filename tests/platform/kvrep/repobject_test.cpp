// Objects, attributes through property maps, collections and sinks.
#include "support/repfixture.h"

namespace {

TEST_F(RepTest, AttributesThroughFieldsAndAccessors) {
  struct Case {
    LONG id;
    SRepVariant value;
  };
  SRepVariant rect, name, width, color, note;
  rect.SetRECT(SRep_Rect{1, 20, 30, 4});
  name.SetSTRING(SString("Node"));
  width.SetLONG(42);
  color.SetSHORT(0x12);  // any integer kind fits an integer field
  note.SetTEXT(SString("a note"));
  for (const Case& c : {Case{kRect, rect}, Case{kName, name}, Case{kWidth, width}, Case{kColor, color},
                        Case{kNote, note}}) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(S_OK, a->SetAttribute(c.id, c.value));
    EXPECT_EQ(S_FALSE, a->SetAttribute(c.id, c.value)) << "no change answers 1";
    SRepVariant back;
    ASSERT_EQ(S_OK, a->GetAttribute(c.id, &back));
    EXPECT_EQ(c.value.GetAsText(), back.GetAsText());
  }
  EXPECT_EQ(42, a->m_width);
  EXPECT_EQ(0x12, a->m_color);
  SRepVariant code;
  EXPECT_EQ(S_OK, a->GetAttribute(kCode, &code));
  EXPECT_EQ(SString("N42"), code.GetSTRING());
}

TEST_F(RepTest, DefaultsReadOnlyAndEditors) {
  SRepVariant v;
  EXPECT_EQ(S_OK, a->GetAttributeDefault(kNote, &v));
  EXPECT_EQ(SString("none"), v.GetTEXT());
  EXPECT_EQ(S_OK, a->GetAttribute(kNote, &v)) << "an unset dynamic member reads its default";
  EXPECT_EQ(SString("none"), v.GetTEXT());
  EXPECT_EQ(S_OK, a->GetAttributeDefault(kRect, &v));
  EXPECT_EQ(SRepVT_RECT, v.GetType());
  EXPECT_EQ(S_OK, a->IsAttrReadOnly(kCode));
  EXPECT_EQ(S_FALSE, a->IsAttrReadOnly(kColor));
  EXPECT_EQ(S_OK, a->HasAttribute(kNote));
  EXPECT_EQ(S_FALSE, a->HasAttribute(0x7777));

  SRepRegistry& reg = TNodeRegistry();
  ASSERT_NE(nullptr, reg.GetAttrEditor(kColor));
  EXPECT_EQ(SRepEditor_Color, reg.GetAttrEditor(kColor)->GetKind());
  EXPECT_EQ(SString("102030"), reg.GetAttrEditor(kColor)->GetText(SRepVariant::Long(0x302010)));
  EXPECT_EQ(SRepEditor_Plain, reg.GetAttrEditor(kName)->GetKind());
  EXPECT_EQ(nullptr, reg.GetAttrEditor(kWidth)) << "no map of the chain names an editor";
}

TEST_F(RepTest, BadInputAnswersCodesAndChangesNothing) {
  SRepVariant text = SRepVariant::Text(SString("x"));
  SRepVariant num = SRepVariant::Long(5);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, a->SetAttribute(0x7777, num));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, a->GetAttribute(0x7777, &num));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, a->IsAttrReadOnly(0x7777));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, a->SetAttribute(kColor, text));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, a->SetAttribute(kRect, num));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, a->SetAttribute(kWidth, text));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, a->SetAttribute(kNote, num));
  EXPECT_EQ(E_ACCESSDENIED, a->SetAttribute(kCode, text));
  EXPECT_EQ(E_POINTER, a->GetAttribute(kColor, nullptr));
  EXPECT_EQ(E_INVALIDARG, a->SetAttribute(kWidth, SRepVariant::Long(-1))) << "the setter's own answer";
  EXPECT_EQ(0, a->m_color);
  EXPECT_EQ(10, a->m_width);

  ISRepObject* obj = nullptr;
  EXPECT_EQ(REGDB_E_CLASSNOTREG, session->CreateObject(MakeGUID("{5E7A0001-0000-4000-8000-0000000000FF}"),
                                                       IID_ISRepObject, reinterpret_cast<void**>(&obj)));
  EXPECT_EQ(nullptr, obj);
  EXPECT_EQ(E_POINTER, session->CreateObject(CLSID_TNode, IID_ISRepObject, nullptr));

  ISRepClassCol* kids = root->Collection(kKids);
  std::string before = Snapshot({root, a, b});
  TNode* extra = NewNode(session);
  EXPECT_EQ(DISP_E_BADINDEX, kids->Insert(extra, 5));
  extra->Release();
  EXPECT_EQ(DISP_E_BADINDEX, kids->Insert(a, -2));
  EXPECT_EQ(E_INVALIDARG, kids->Insert(a, 0)) << "already a member";
  EXPECT_EQ(E_POINTER, kids->Insert(nullptr, 0));
  EXPECT_EQ(DISP_E_BADINDEX, kids->Remove(2));
  EXPECT_EQ(DISP_E_BADINDEX, kids->Remove(-1));
  EXPECT_EQ(DISP_E_BADINDEX, kids->Move(0, 2));
  EXPECT_EQ(DISP_E_BADINDEX, kids->Item(2, &obj));
  EXPECT_EQ(-1, kids->GetPos(root));
  EXPECT_EQ(-1, kids->GetPos(nullptr));
  EXPECT_EQ(before, Snapshot({root, a, b}));

  TNode* gone = NewNode(session);
  ASSERT_EQ(S_OK, gone->Delete());
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, gone->Delete());
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, gone->SetAttribute(kColor, num));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, kids->Insert(gone, 0));
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, gone->Collection(kKids)->Insert(a, 0));
  gone->Release();

  session->SetReadOnly(TRUE);
  EXPECT_EQ(E_ACCESSDENIED, a->SetAttribute(kColor, num));
  EXPECT_EQ(E_ACCESSDENIED, kids->Remove(0));
  session->SetReadOnly(FALSE);
  EXPECT_EQ(before, Snapshot({root, a, b}));
}

TEST_F(RepTest, CollectionsKeepBothSidesInStep) {
  TNode* c = NewNode(session);
  ISRepClassCol* kids = root->Collection(kKids);
  ASSERT_EQ(S_OK, kids->Insert(c, 1));
  EXPECT_EQ(3, kids->GetCount());
  EXPECT_EQ(1, kids->GetPos(c));
  EXPECT_EQ(0, c->Collection(kParentCol)->GetPos(root)) << "reverse side";
  ISRepObject* p = nullptr;
  ASSERT_EQ(S_OK, c->GetParent(&p));
  EXPECT_EQ(root, SRepObject::FromInterface(p));
  p->Release();
  EXPECT_EQ(S_OK, kids->Move(1, 2));
  EXPECT_EQ(2, kids->GetPos(c));
  EXPECT_EQ(S_OK, kids->Remove(0));
  EXPECT_EQ(-1, kids->GetPos(a));
  EXPECT_EQ(0, a->Collection(kParentCol)->GetCount());
  EXPECT_EQ(S_FALSE, a->GetParent(&p));
  EXPECT_EQ("+K+K+K-K", root->log);
  EXPECT_EQ("+P-P", a->log);

  // Inserting from the reverse side is the same link.
  ASSERT_EQ(S_OK, a->Collection(kParentCol)->Insert(root, -1));
  EXPECT_EQ(2, kids->GetPos(a));

  // A reference collection makes no parent, and deleting its owner keeps the member.
  ASSERT_EQ(S_OK, c->Collection(kLinks)->Insert(b, -1));
  ASSERT_EQ(S_OK, b->GetParent(&p));
  EXPECT_EQ(root, SRepObject::FromInterface(p));
  p->Release();
  ASSERT_EQ(S_OK, c->Delete());
  EXPECT_FALSE(b->IsDeleted());
  EXPECT_EQ(0, b->Collection(kLinks ^ SRepReverseBit)->GetCount());
  EXPECT_EQ(-1, kids->GetPos(c));
  c->Release();

  SRepObjIterator it(root, kKids);
  std::vector<ISRepObject*> seen;
  while (ISRepObject* o = it.Next()) seen.push_back(o);
  EXPECT_EQ((std::vector<ISRepObject*>{b, a}), seen);
  SRepClassColPtr col(root, kKids);
  EXPECT_EQ(2, col.GetCount());
  ISRepObject* first = col.GetFirst();
  EXPECT_EQ(static_cast<ISRepObject*>(b), first);
  first->Release();
}

TEST_F(RepTest, DeleteTakesChildrenAndDuplicateCopies) {
  TNode* c = NewNode(session);
  ASSERT_EQ(S_OK, a->Collection(kKids)->Insert(c, -1));
  a->m_color = 7;
  ISRepObject* copy = nullptr;
  ASSERT_EQ(S_OK, a->Duplicate(&copy, TRUE));
  TNode* ac = static_cast<TNode*>(SRepObject::FromInterface(copy));
  EXPECT_EQ(7, ac->m_color);
  ASSERT_EQ(1, ac->Collection(kKids)->GetCount());
  EXPECT_NE(c, ac->Collection(kKids)->GetAt(0)) << "the child is copied, not shared";
  ISRepObject* plain = nullptr;
  ASSERT_EQ(S_OK, a->Duplicate(&plain, FALSE));
  EXPECT_EQ(0, SRepObject::FromInterface(plain)->Collection(kKids)->GetCount());

  TColSink sink;
  a->Advise(0, &sink);
  ASSERT_EQ(S_OK, a->Delete());
  EXPECT_TRUE(a->IsDeleted());
  EXPECT_TRUE(c->IsDeleted());
  EXPECT_EQ(1, root->Collection(kKids)->GetCount());
  EXPECT_NE(std::string::npos, sink.log.find('X'));
  a->Unadvise(&sink);
  copy->Release();
  plain->Release();
  c->Release();
}

TEST_F(RepTest, SinksHearChangesByMask) {
  TColSink all, colorOnly, kids;
  ASSERT_EQ(S_OK, a->Advise(0, &all));
  ASSERT_EQ(S_OK, a->Advise(SRepAdviseOneAttr | kColor, &colorOnly));
  EXPECT_EQ(E_POINTER, a->Advise(0, nullptr));
  a->SetAttribute(kColor, SRepVariant::Long(3));
  a->SetAttribute(kWidth, SRepVariant::Long(3));
  a->SetAttribute(kWidth, SRepVariant::Long(3));  // no change, no notice
  EXPECT_EQ((std::vector<LONG>{kColor, kWidth}), all.changes);
  EXPECT_EQ((std::vector<LONG>{kColor}), colorOnly.changes);
  EXPECT_EQ(S_OK, a->Unadvise(&all));
  EXPECT_EQ(S_FALSE, a->Unadvise(&all));
  a->Unadvise(&colorOnly);
  EXPECT_EQ(1u, all.refs);

  ISRepClassCol* col = root->Collection(kKids);
  kids.mirror = {a, b};
  col->Advise(&kids);
  TNode* c = NewNode(session);
  col->Insert(c, 0);
  col->Move(0, 2);
  col->Remove(1);
  std::vector<ISRepObject*> actual;
  for (SRepObject* m : root->Collection(kKids)->Items()) actual.push_back(m);
  EXPECT_EQ(actual, kids.mirror);
  EXPECT_EQ("IMR", kids.log);
  col->Unadvise(&kids);
  c->Release();
}

TEST_F(RepTest, TypedHelpersTextsAndCreationChecks) {
  ASSERT_EQ(S_OK, a->Set_CHAR(kName, SString("Alpha")));
  SString t;
  EXPECT_EQ(S_OK, a->Get_TEXT(kName, t));
  EXPECT_EQ(SString("Alpha"), t);
  LONG n = 0;
  ASSERT_EQ(S_OK, a->Set_INT(kColor, 0x0000FF));
  EXPECT_EQ(S_OK, a->Get_INT(kColor, n));
  EXPECT_EQ(0xFF, n);
  EXPECT_EQ(DISP_E_TYPEMISMATCH, a->Get_INT(kName, n));
  EXPECT_EQ(S_OK, a->GetAttributeText(kColor, &t));
  EXPECT_EQ(SString("FF0000"), t) << "through the colour editor";
  EXPECT_EQ(E_POINTER, a->GetAttributeText(kColor, nullptr));

  SString why;
  EXPECT_EQ(S_OK, root->CanCreateObject(kKids, CLSID_TNode, -1, &why));
  EXPECT_EQ(S_FALSE, root->CanCreateObject(kKids, CLSID_TNode, 7, &why));
  EXPECT_EQ(S_FALSE, root->CanCreateObject(kKids, MakeGUID("{5E7A0001-0000-4000-8000-0000000000FE}"), -1, &why));
  EXPECT_FALSE(why.IsEmpty());
}

// An object with a second face that it answers only while a flag is set.
class TLinkable : public TNode, public ISRepObjSink {
 public:
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return TNode::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return TNode::AddRef(); }
  ULONG Release() override { return TNode::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override {
    static const SRepIntfEntry table[] = {
        {&IID_ISRepObjSink, SRepOffsetOf<TLinkable, ISRepObjSink>(),
         [](void* o) { return static_cast<TLinkable*>(o)->linkable; }},
        {nullptr, 0, nullptr}};
    return SRepQueryTable(this, static_cast<SRepObject*>(this), table, iid, ppv);
  }
  HRESULT OnChange(ISRepObject*, LONG) override { return S_OK; }
  HRESULT OnDelete(ISRepObject*, int) override { return S_OK; }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }
  bool linkable = false;
};

TEST(RepObject, TableDrivenQueryInterface) {
  auto* o = new TLinkable();
  static_cast<SRepObject*>(o)->AddRef();
  void* p = nullptr;
  EXPECT_EQ(E_NOINTERFACE, o->QueryInterface(IID_ISRepObjSink, &p));
  EXPECT_EQ(nullptr, p);
  o->linkable = true;
  ASSERT_EQ(S_OK, o->QueryInterface(IID_ISRepObjSink, &p));
  EXPECT_EQ(static_cast<ISRepObjSink*>(o), p);
  static_cast<ISRepObjSink*>(p)->Release();
  ASSERT_EQ(S_OK, o->QueryInterface(IID_SRepObjectMem, &p));
  EXPECT_EQ(static_cast<SRepObject*>(o), p);
  static_cast<SRepObject*>(o)->Release();
  EXPECT_EQ(E_POINTER, o->QueryInterface(IID_IUnknown, nullptr));
  EXPECT_EQ(0u, static_cast<SRepObject*>(o)->Release()) << "the last reference ends it";
}

TEST(RepVariant, TextsAndKinds) {
  SRepVariant v;
  EXPECT_TRUE(v.IsEmpty());
  v.SetPOINT({3, -4});
  EXPECT_EQ(SString("3, -4"), v.GetAsText());
  v.SetBOOL(true);
  EXPECT_EQ(SString("True"), v.GetAsText());
  v.SetSTRING(SString(u'x', 300));
  EXPECT_EQ(254, v.GetSTRING().GetLength());
  SRep_PtList l1{{{1, 2}, {3, 4}}}, l2 = l1;
  EXPECT_EQ(0, l1.Compare(l2));
  l2.pts.push_back({5, 6});
  EXPECT_NE(0, l1.Compare(l2));
  EXPECT_EQ(E_INVALIDARG, v.GetIOBJECT(IID_ISRepObject, reinterpret_cast<void**>(&v)));
  SRepOID_ oid(SString("{5E7A0001-0000-4000-8000-000000000001}"));
  EXPECT_EQ(CLSID_TNode, oid.id);
  EXPECT_TRUE(SRepOID_(SString("junk")).IsNull());
}

}  // namespace
