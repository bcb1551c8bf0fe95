// Shortcuts, extended attributes, dialog map, iterators, data source and grid bases.
#include <string_view>
#include <utility>
#include <vector>

#include "kvrep/srepgrid.h"
#include "support/attrmodel_fixture.h"
#include "support/repfixture.h"

namespace {

TEST_F(RepTest, ShortcutsStandForTheirTarget) {
  auto* sc = new SRepShortcut(a, session);
  sc->AddRef();
  EXPECT_TRUE(sc->IsShortcut());
  BOOL was = FALSE;
  EXPECT_EQ(static_cast<ISRepObject*>(a), SRepUnrefShct(static_cast<SRepObject*>(sc), 1, 1, &was));
  EXPECT_TRUE(was);
  EXPECT_EQ(CLSID_TNode, SRepGetExtClsid(static_cast<SRepObject*>(sc)));
  EXPECT_EQ(static_cast<ISRepObject*>(b), SRepUnrefShct(b));
  EXPECT_EQ(nullptr, SRepUnrefShct(nullptr));
  EXPECT_FALSE(sc->IsExternal());
  ISRepSessionExternHelper* helper = nullptr;
  EXPECT_EQ(S_FALSE, sc->GetExternHelper(&helper));
  {
    auto* other = new SRepSession();
    other->AddRef();
    auto* far = new SRepShortcut(b, other);
    static_cast<SRepObject*>(far)->AddRef();
    EXPECT_TRUE(far->IsExternal());
    ASSERT_EQ(S_OK, far->GetExternHelper(&helper));
    ISRepSessionExtern* ext = nullptr;
    ASSERT_EQ(S_OK, helper->QueryInterface(IID_ISRepSessionExtern, reinterpret_cast<void**>(&ext)));
    ISRepSession* s = nullptr;
    ISRepObject* model = nullptr;
    EXPECT_EQ(S_OK, ext->GetSession(&s));
    EXPECT_EQ(static_cast<ISRepSession*>(session), s);
    EXPECT_EQ(S_OK, ext->GetModelObject(&model));
    EXPECT_EQ(static_cast<ISRepObject*>(root), model);
    s->Release();
    model->Release();
    ext->Release();
    helper->Release();
    static_cast<SRepObject*>(far)->Release();
    other->Release();
  }
  a->Delete();
  ISRepObject* t = nullptr;
  EXPECT_EQ(S_FALSE, sc->GetTarget(&t));
  EXPECT_EQ(nullptr, SRepUnrefShct(static_cast<SRepObject*>(sc)));
  static_cast<SRepObject*>(sc)->Release();

  const LONG ext = 0x040E0011;
  EXPECT_TRUE(SRepIsExtendedAttr(ext));
  EXPECT_FALSE(SRepIsExtendedAttr(0x040E0000));
  SRepExaIntf::Instance().Add(CLSID_TNode, ext, SString("Extra"), true);
  ASSERT_NE(nullptr, SRepExaIntf::GetExaIntf());
  const SRepExaRecord* r = SRepExaIntf::GetExaIntf()->Find(CLSID_TNode, ext);
  ASSERT_NE(nullptr, r);
  EXPECT_EQ(SString("Extra"), r->GetText(1));
  EXPECT_EQ(1, r->IsReadOnly(b));
  EXPECT_EQ(nullptr, SRepExaIntf::GetExaIntf()->Find(CLSID_TNode, ext + 1));
  SRepExaIntf::Instance().Clear();

  int dlg = 0;
  SRepDialogMap::Add(b, &dlg);
  EXPECT_EQ(&dlg, SRepDialogMap::Find(b));
  SRepDialogMap::Remove(b);
  EXPECT_EQ(nullptr, SRepDialogMap::Find(b));
}

// Where a shortcut's target lies: the packages between the model and the
// target, all of them or the nearest; nothing for the model itself, for
// objects that are not shortcuts and for a target that is gone.
TEST_F(RepTest, ShortcutLocationsNameThePackagesAboveTheTarget) {
  TItem* model = NewItem(session, SString(u"Model"), nullptr);
  TItem* pkg = NewItem(session, SString(u"Pkg"), model);
  TItem* sub = NewItem(session, SString(u"Sub"), pkg);
  TItem* deep = NewItem(session, SString(u"deep"), sub);
  TItem* top = NewItem(session, SString(u"top"), model);
  struct Case {
    ISRepObject* target;
    const char16_t* full;
    const char16_t* last;
  };
  for (const Case& c : {Case{deep, u"Pkg::Sub", u"Sub"}, Case{sub, u"Pkg", u"Pkg"}, Case{top, u"", u""},
                        Case{model, u"", u""}}) {
    auto* shortcut = new SRepShortcut(c.target, session);
    static_cast<SRepObject*>(shortcut)->AddRef();
    EXPECT_EQ(SString(c.full), SRepGetShortcutLocation(static_cast<SRepObject*>(shortcut), true));
    EXPECT_EQ(SString(c.last), SRepGetShortcutLocation(static_cast<SRepObject*>(shortcut), false));
    static_cast<SRepObject*>(shortcut)->Release();
  }
  EXPECT_EQ(SString(), SRepGetShortcutLocation(deep, true)) << "not a shortcut";
  EXPECT_EQ(SString(), SRepGetShortcutLocation(nullptr, true));
  auto* orphan = new SRepShortcut(deep, session);
  static_cast<SRepObject*>(orphan)->AddRef();
  ASSERT_EQ(S_OK, deep->Delete());
  EXPECT_EQ(SString(), SRepGetShortcutLocation(static_cast<SRepObject*>(orphan), true)) << "target gone";
  static_cast<SRepObject*>(orphan)->Release();
  for (TItem* o : {top, deep, sub, pkg, model}) o->Release();
}

TEST_F(RepTest, ColIteratorSkipsMembersRemovedWhileWalking) {
  TNode* c = NewNode(session);
  root->Collection(kKids)->Insert(c, -1);
  SRepColIterator it(root, kKids);
  EXPECT_EQ(static_cast<ISRepObject*>(a), it.Next());
  root->Collection(kKids)->Remove(root->Collection(kKids)->GetPos(b));
  EXPECT_EQ(static_cast<ISRepObject*>(c), it.Next());
  EXPECT_EQ(nullptr, it.Next());
  c->Release();
}

TEST_F(RepTest, DataSourceCarriesObjects) {
  auto* ds = new SRepDataSource(nullptr, session);
  ds->AddRef();
  DWORD n = 9;
  EXPECT_EQ(S_FALSE, ds->ContainsData(&n));
  ds->InitRootObj({a, b, a, nullptr});
  EXPECT_EQ(S_OK, ds->ContainsData(&n));
  EXPECT_EQ(2u, n);
  ISRepObject* r = nullptr;
  ASSERT_EQ(S_OK, ds->GetRoot(&r));
  ISRepRootObject* root = nullptr;
  ASSERT_EQ(S_OK, r->QueryInterface(IID_ISRepRootObject, reinterpret_cast<void**>(&root)));
  SRepClassColPtr carried;
  {
    ISRepClassCol* c = nullptr;
    ASSERT_EQ(S_OK, root->GetCarried(&c));
    carried = SRepClassColPtr(c);
    c->Release();
  }
  EXPECT_EQ(0, carried.GetPos(a));
  EXPECT_EQ(1, carried.GetPos(b));
  EXPECT_EQ(0, a->Collection(SRepRootCarried ^ SRepReverseBit)->GetCount()) << "the carried objects are untouched";
  EXPECT_EQ(S_FALSE, a->IsCollectionEmpty(kParentCol)) << "a keeps its parent";
  root->Release();
  r->Release();
  ISRepDataSrc* src = nullptr;
  ASSERT_EQ(S_OK, ds->QueryInterface(IID_ISRepDataSrc, reinterpret_cast<void**>(&src)));
  SRepObjIterator it;
  ASSERT_EQ(S_OK, it.Init(src));
  ASSERT_EQ(2, it.GetCount());
  EXPECT_EQ(static_cast<ISRepObject*>(a), it.Current());
  it.Step();
  ISRepObject* cur = nullptr;
  ASSERT_EQ(S_OK, it.Current(IID_ISRepObject, reinterpret_cast<void**>(&cur)));
  EXPECT_EQ(static_cast<ISRepObject*>(b), cur);
  cur->Release();
  it.Step();
  EXPECT_TRUE(it.IsDone());
  EXPECT_EQ(S_FALSE, it.Current(IID_ISRepObject, reinterpret_cast<void**>(&cur)));
  EXPECT_EQ(E_POINTER, it.Init(static_cast<ISRepDataSrc*>(nullptr)));
  SOutputGlobal data;
  ASSERT_EQ(S_OK, ds->RenderData(data));
  EXPECT_GT(data.GetSize(), 8u);
  _SREPDATADESCRIPTOR d{28, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(E_NOTIMPL, src->GetDescriptor(&d));
  src->Release();
  ds->Release();
}

TEST_F(RepTest, SessionsKnowTheirObjects) {
  EXPECT_TRUE(session->IsObjInSession(a));
  EXPECT_EQ(session, g_sessionMng.FindSession(a));
  auto* other = new SRepSession();
  other->AddRef();
  EXPECT_EQ(E_UNEXPECTED, a->SetSession(other));
  EXPECT_EQ(S_FALSE, a->SetSession(session));
  EXPECT_FALSE(other->IsObjInSession(a));
  EXPECT_EQ(nullptr, g_sessionMng.FindSession(nullptr));
  other->Release();
  EXPECT_TRUE(SRepAreSameObjects(a, static_cast<ISRepObjectBase*>(a)));
  EXPECT_FALSE(SRepAreSameObjects(a, b));
  ISRepObject* model = nullptr;
  ASSERT_EQ(S_OK, a->GetModel(&model));
  EXPECT_EQ(static_cast<ISRepObject*>(root), model);
  model->Release();
}

TEST_F(RepTest, RelatedObjectsAndFolderWalks) {
  TNode* c = NewNode(session);
  a->Collection(kKids)->Insert(c, -1);
  a->Collection(kLinks)->Insert(b, -1);
  SRepListObject list;
  SRepBagObject bag;
  ASSERT_EQ(S_OK, a->GetRelatedObjectList(&list, nullptr, 0, &bag, 0, 0));
  EXPECT_EQ(3, list.GetCount()) << "parent, child and linked object";
  EXPECT_EQ(S_OK, a->GetRelatedObjectList(&list, nullptr, 0, &bag, 0, 0));
  EXPECT_EQ(3, list.GetCount()) << "the bag keeps them once";
  EXPECT_EQ(E_POINTER, a->GetRelatedObjectList(nullptr, nullptr, 0, nullptr, 0, 0));

  SRepRecursiveFolderIterator walk(root, kKids, kLinks);
  std::vector<ISRepObject*> order;
  while (ISRepObject* o = walk.Next()) order.push_back(o);
  EXPECT_EQ((std::vector<ISRepObject*>{root, a, c, b}), order);

  TNodeRegistry().GetCollSetDef()->AddCollection(0x02010077, SRepCol_Ordered);
  EXPECT_EQ(S_OK, a->HasCollection(0x02010077));
  c->Release();
}

TEST_F(RepTest, GridRowsFollowTheCollection) {
  SRepGridRowFactory rows;
  rows.SetListed(CLSID_TNode, kKids, FALSE);
  ASSERT_EQ(S_OK, rows.Init(root));
  ASSERT_EQ(2, rows.GetRowCount());
  TNode* c = NewNode(session);
  root->Collection(kKids)->Insert(c, 1);
  root->Collection(kKids)->Move(2, 0);
  root->Collection(kKids)->Remove(root->Collection(kKids)->GetPos(a));
  ASSERT_EQ(2, rows.GetRowCount());
  EXPECT_EQ(static_cast<ISRepObject*>(b), rows.GetRow(0)->GetObject());
  EXPECT_EQ(static_cast<ISRepObject*>(c), rows.GetRow(1)->GetObject());

  SRepGridColFactory cols;
  SRepAttrEditor* ed = TNodeRegistry().GetAttrEditor(kColor);
  EXPECT_EQ(SRepCtrl_Color, cols.GetColCtrlType(ed));
  SRepGridCol* col = cols.AddCol(std::make_unique<SRepGridCol>(ed));
  b->SetAttribute(kColor, SRepVariant::Long(0x0000FF));
  EXPECT_EQ(SString("FF0000"), col->OnGetValue(*rows.GetRow(0)));
  EXPECT_EQ(kColor, col->GetAttrId());
  rows.Detach();
  c->Release();
}

// A grid's row factory lives in a symbol of the session it lists from: it
// must not keep that session alive, or the session and every object in it
// outlive their last user. It asks the object for the session instead, and
// answers null once the session is gone.
TEST(RepGridRows, TheFactoryDoesNotKeepTheSessionAlive) {
  TNodeRegistry();
  auto* own = new SRepSession();
  own->AddRef();
  TNode* holder = NewNode(own);
  TNode* kid = NewNode(own);
  ASSERT_EQ(S_OK, holder->Collection(kKids)->Insert(kid, -1));
  SRepGridRowFactory rows;
  rows.SetListed(CLSID_TNode, kKids, FALSE);
  ASSERT_EQ(S_OK, rows.Init(holder));
  EXPECT_EQ(static_cast<ISRepSession*>(own), rows.GetSession());
  own->Release();
  EXPECT_FALSE(SRepSession::IsAlive(own));
  EXPECT_EQ(nullptr, rows.GetSession());
  rows.Detach();
  kid->Release();
  holder->Release();
}

// Row filters read "<attribute id>=<pattern>;...": ids that are not whole
// numbers, are zero or do not fit an attribute id are skipped rather than
// wrapped onto another attribute.
TEST(RepGridRows, RowFiltersKeepOnlyWholeIdsThatFit) {
  struct Case {
    std::string_view text;
    std::vector<std::pair<LONG, std::u16string_view>> want;
  };
  const Case cases[] = {
      {"", {}},
      {"12=ab*; 0x10 = c ", {{12, u"ab*"}, {16, u"c"}}},
      {"0=x;=y;abc=z;12x=w", {}},
      {"0x100000000=ed", {}},
      {"4294967297=ed", {}},
      {"99999999999999999999999=ed", {}},
      {"-7=neg", {{-7, u"neg"}}},
      {std::string_view("5\0junk=ed", 9), {}},
  };
  for (const Case& c : cases) {
    const SRepRowFilter got = SRepGridRowFactory::ParseRowFilter(SString::FromUtf8(c.text));
    ASSERT_EQ(c.want.size(), got.size()) << c.text;
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(c.want[i].first, got[i].m_nAttr) << c.text;
      EXPECT_EQ(SString(c.want[i].second), got[i].m_sPattern) << c.text;
    }
  }
}

}  // namespace

// The extended attributes of a grid's column factory: each definition owns
// its texts, so copies of the list are whole and independent, and taking a
// definition out keeps the others intact.
TEST(ExaAttrDefLst, CopiesAreWholeAndEntriesKeepTheirTexts) {
  SRepGridColFactory cols;
  ExaAttrDefLst& list = cols.GetExaAttrDefLst();
  EXPECT_TRUE(list.IsEmpty());
  for (int i = 0; i < 3; ++i) {
    _ExaAttrDef def;
    def.m_nId = 0x04000010 + i;
    for (int t = 0; t < 6; ++t) def.m_texts[t] = SString::Format("attribute %d text %d", i, t);
    for (int w = 0; w < 12; ++w) def.m_words[w] = i * 100 + w;
    list.Add(def);
  }

  ExaAttrDefLst copy(list);
  copy[0].m_texts[5] = SString("changed");
  copy[0].m_words[11] = -1;
  EXPECT_EQ(SString("attribute 0 text 5"), list[0].m_texts[5]);
  EXPECT_EQ(11, list[0].m_words[11]);

  list.Remove(1);
  ASSERT_EQ(2, list.GetCount());
  EXPECT_EQ(0x04000012, list[1].m_nId);
  EXPECT_EQ(SString("attribute 2 text 0"), list[1].m_texts[0]);
  EXPECT_EQ(211, list[1].m_words[11]);

  copy = list;
  ASSERT_EQ(2, copy.GetCount());
  EXPECT_EQ(SString("attribute 0 text 5"), copy[0].m_texts[5]);
  EXPECT_EQ(SString("attribute 2 text 5"), copy[1].m_texts[5]);
  list.RemoveAll();
  EXPECT_EQ(SString("attribute 2 text 3"), copy[1].m_texts[3]);
}
