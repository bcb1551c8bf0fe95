// The repository's model contract: collection definitions (primary side,
// flags, reverse ids, lookup by element class), single-object references,
// replication sources, the model's reparenting service, the undo context's
// keep-object test and the session's option word and suppress tests.
#include "kvrep/srepextras.h"
#include "kvrep/srepmodel.h"
#include "support/repfixture.h"

namespace {

// Three classes: a whole, a part and a kind of part; a whole holds parts
// (owning, primary side) and names one favourite part (a single reference).
constexpr CLSID kWhole = MakeGUID("{5E7A0002-0000-4000-8000-000000000001}");
constexpr CLSID kPart = MakeGUID("{5E7A0002-0000-4000-8000-000000000002}");
constexpr CLSID kSpecialPart = MakeGUID("{5E7A0002-0000-4000-8000-000000000003}");
constexpr CLSID kStranger = MakeGUID("{5E7A0002-0000-4000-8000-000000000004}");
constexpr LONG kParts = 0x02000030, kFavourite = 0x02000031;

class TModel : public SRepModelObject {
 public:
  explicit TModel(const CLSID& clsid) : SRepModelObject(clsid) {}
  void OnObjectReparented(ISRepObject* o, int flag) override { seen.push_back({o, flag}); }
  std::vector<std::pair<ISRepObject*, int>> seen;
};

HRESULT Create(const GUID& clsid, ISRepObject** out, ISRepSession* session) {
  SRepObject* o = clsid == kWhole ? new TModel(clsid) : new SRepObjectMem(clsid);
  o->AddRef();
  if (session) o->SetSession(session);
  *out = o;
  return S_OK;
}
template <const CLSID& C>
HRESULT Lookup(const GUID& clsid, SRegClassFunctions* out) {
  *out = SRegClassFunctions{};
  if (clsid != C) return REGDB_E_CLASSNOTREG;
  out->create = [](ISRepObject** o, ISRepSession* s, ISRepObject*) { return Create(C, o, s); };
  return S_OK;
}

void Registries() {
  static SRepRegistry whole(kWhole, 1, 0, [](const GUID& g) { return g == kWhole || g == CLSID_SRepObject; },
                            &Lookup<kWhole>);
  static SRepRegistry part(kPart, 1, 0, [](const GUID& g) { return g == kPart || g == CLSID_SRepObject; },
                           &Lookup<kPart>);
  static SRepRegistry special(
      kSpecialPart, 1, 0, [](const GUID& g) { return g == kSpecialPart || g == kPart || g == CLSID_SRepObject; },
      &Lookup<kSpecialPart>);
  static const bool defs = [] {
    whole.GetClassDef()->AddCollection(kParts, SRepCol_Owning | SRepCol_Ordered | SRepCol_Part | SRepCol_Navigable,
                                       kPart);
    whole.GetClassDef()->AddCollection(kFavourite, SRepCol_Single, kPart);
    // The part's side of the favourite relation: the whole it is the favourite of, at most one.
    part.GetClassDef()->AddCollection(kFavourite ^ SRepReverseBit, SRepCol_Single, kWhole);
    // A reverse id may be declared the primary side.
    special.GetClassDef()->AddCollection(kParts ^ SRepReverseBit, SRepCol_Ordered, kWhole, 1);
    return true;
  }();
  (void)defs;
}

class RepModel : public ::testing::Test {
 protected:
  void SetUp() override {
    Registries();
    session = new SRepSession();
    session->AddRef();
  }
  void TearDown() override {
    for (ISRepObject* o : made) o->Release();
    session->Release();
  }
  SRepObject* New(const CLSID& clsid) {
    ISRepObject* o = nullptr;
    EXPECT_EQ(S_OK, session->CreateObject(clsid, IID_ISRepObject, reinterpret_cast<void**>(&o)));
    made.push_back(o);
    return SRepObject::FromInterface(o);
  }
  SRepSession* session = nullptr;
  std::vector<ISRepObject*> made;
};

TEST_F(RepModel, CollectionDefinitionsGiveSideFlagsAndReverseId) {
  struct Case {
    const CLSID* cls;
    LONG id;
    BOOL primary;
    DWORD flags;
  } cases[] = {
      {&kWhole, kParts, TRUE, SRepCol_Owning | SRepCol_Ordered | SRepCol_Part | SRepCol_Navigable},
      {&kWhole, kFavourite, TRUE, SRepCol_Single},
      {&kPart, kFavourite ^ SRepReverseBit, FALSE, SRepCol_Single},
      {&kSpecialPart, kParts ^ SRepReverseBit, TRUE, SRepCol_Ordered},
  };
  for (const Case& c : cases) {
    SRepObject* o = New(*c.cls);
    SRepClassColPtr col(o, c.id);
    ASSERT_TRUE(col) << std::hex << c.id;
    ISRepClassColDef* def = nullptr;
    ASSERT_EQ(S_OK, col->GetCollectionDef(&def));
    EXPECT_EQ(c.id, def->GetCollectionId());
    EXPECT_EQ(c.primary, def->IsPrimarySide()) << std::hex << c.id;
    EXPECT_EQ(c.flags, def->GetDefFlags());
    EXPECT_EQ(c.id ^ SRepReverseBit, def->GetReverseId());
  }
  // A collection the class does not define has no definition.
  SRepClassColPtr undefined(New(kWhole), 0x02000099);
  ISRepClassColDef* def = reinterpret_cast<ISRepClassColDef*>(1);
  EXPECT_EQ(S_FALSE, undefined->GetCollectionDef(&def));
  EXPECT_EQ(nullptr, def);
}

TEST_F(RepModel, CollectionsAreFoundByElementClass) {
  SRepRegistry* whole = SRepRegistry::Find(kWhole);
  ASSERT_NE(nullptr, whole);
  // A part and a kind of part find the first collection that takes parts.
  for (const CLSID* c : {&kPart, &kSpecialPart}) {
    SRepClassColDef* def = whole->GetClassColDef(*c);
    ASSERT_NE(nullptr, def);
    EXPECT_EQ(kParts, def->GetCollectionId());
  }
  EXPECT_EQ(nullptr, whole->GetClassColDef(kStranger));
  EXPECT_EQ(nullptr, whole->GetClassColDef(GUID_NULL));

  SRepObject* w = New(kWhole);
  SRepObject* p = New(kPart);
  ASSERT_EQ(S_OK, w->Collection(kParts)->Insert(p, -1));
  ISRepClassCol* col = nullptr;
  ASSERT_EQ(S_OK, SRepGetClassCollection(w, kSpecialPart, &col));
  EXPECT_EQ(kParts, col->GetCollectionId());
  EXPECT_EQ(0, col->GetPos(p));
  col->Release();
  EXPECT_EQ(S_FALSE, SRepGetClassCollection(w, kStranger, &col));
  EXPECT_EQ(nullptr, col);
  EXPECT_EQ(E_POINTER, SRepGetClassCollection(nullptr, kPart, &col));
  EXPECT_EQ(E_POINTER, SRepGetClassCollection(w, kPart, nullptr));
}

TEST_F(RepModel, SingleReferencesHoldOneMember) {
  SRepObject* w1 = New(kWhole);
  SRepObject* w2 = New(kWhole);
  SRepObject* p1 = New(kPart);
  SRepObject* p2 = New(kPart);
  ASSERT_EQ(S_OK, w1->Collection(kFavourite)->Insert(p1, -1));
  // A second member is refused on the single side ...
  EXPECT_EQ(E_INVALIDARG, w1->Collection(kFavourite)->Insert(p2, -1));
  // ... and from the other side when that side is single too.
  EXPECT_EQ(E_INVALIDARG, w2->Collection(kFavourite)->Insert(p1, -1));
  EXPECT_EQ(E_INVALIDARG, p2->Collection(kFavourite ^ SRepReverseBit)->Insert(w1, -1));
  // SetObject replaces the member, and the reverse sides follow.
  EXPECT_EQ(S_OK, w1->SetObject(kFavourite, p2));
  ISRepObject* got = nullptr;
  ASSERT_EQ(S_OK, w1->GetObject(kFavourite, &got));
  EXPECT_EQ(static_cast<ISRepObject*>(p2), got);
  got->Release();
  EXPECT_EQ(S_FALSE, p1->GetObject(kFavourite ^ SRepReverseBit, &got));
  EXPECT_EQ(S_OK, w2->Collection(kFavourite)->Insert(p1, -1));
  // Owning, non-single collections take many.
  EXPECT_EQ(S_OK, w1->Collection(kParts)->Insert(p1, -1));
  EXPECT_EQ(S_OK, w1->Collection(kParts)->Insert(p2, -1));
}

TEST_F(RepModel, ReplicationNamesItsSourceAndRefusesCycles) {
  SRepObject* a = New(kPart);
  SRepObject* b = New(kPart);
  SRepObject* c = New(kPart);
  IUnknown* r = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(S_FALSE, a->GetReplicationObject(&r));
  EXPECT_EQ(nullptr, r);

  ASSERT_EQ(S_OK, b->SetReplicationSource(a));
  ASSERT_EQ(S_OK, c->SetReplicationSource(b));
  ASSERT_EQ(S_OK, c->GetReplicationObject(&r));
  SComWrap<ISRepBaseReplication, &IID_ISRepBaseReplication> repl(r);
  r->Release();
  ASSERT_FALSE(repl.IsNull());
  ISRepObject* src = nullptr;
  ASSERT_EQ(S_OK, repl->GetReplicationSource(&src));
  EXPECT_TRUE(SRepAreSameObjects(src, b));
  src->Release();
  EXPECT_EQ(E_POINTER, repl->GetReplicationSource(nullptr));

  // Itself, or around the chain, is refused and changes nothing.
  EXPECT_EQ(E_INVALIDARG, a->SetReplicationSource(a));
  EXPECT_EQ(E_INVALIDARG, a->SetReplicationSource(c));
  EXPECT_EQ(nullptr, a->GetReplicationSourceObject());
  // Clearing lets go of the source.
  EXPECT_EQ(S_OK, c->SetReplicationSource(nullptr));
  EXPECT_EQ(S_FALSE, c->GetReplicationObject(&r));
  // A deleted source is refused.
  ASSERT_EQ(S_OK, a->Delete());
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, c->SetReplicationSource(a));
}

TEST_F(RepModel, TheModelHearsOfItsOwnReparentedObjects) {
  auto* m = static_cast<TModel*>(New(kWhole));
  auto* other = static_cast<TModel*>(New(kWhole));
  SRepObject* mine = New(kPart);
  SRepObject* theirs = New(kPart);
  ASSERT_EQ(S_OK, m->Collection(kParts)->Insert(mine, -1));
  ASSERT_EQ(S_OK, other->Collection(kParts)->Insert(theirs, -1));

  SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider> svc(static_cast<ISRepObjectBase*>(m));
  ASSERT_FALSE(svc.IsNull());
  ISRepObject* table[] = {mine, nullptr, theirs};
  EXPECT_EQ(S_OK, svc->ObjectsReparented(table, 3, 1));
  ASSERT_EQ(1u, m->seen.size());
  EXPECT_EQ(static_cast<ISRepObject*>(mine), m->seen[0].first);
  EXPECT_EQ(1, m->seen[0].second);
  EXPECT_EQ(S_FALSE, svc->ObjectsReparented(table + 1, 2, 1));
  EXPECT_EQ(S_FALSE, svc->ObjectsReparented(nullptr, 0, 1));
  EXPECT_EQ(E_POINTER, svc->ObjectsReparented(nullptr, 2, 1));
  EXPECT_EQ(E_INVALIDARG, svc->ObjectsReparented(table, -1, 1));
  EXPECT_EQ(1, m->GetReparentedCount());
  // A plain object is no model.
  SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider> none(static_cast<ISRepObjectBase*>(mine));
  EXPECT_TRUE(none.IsNull());
}

TEST_F(RepModel, TheUndoContextKeepsMarkedObjects) {
  SRepObject* kept = New(kPart);
  SRepObject* other = New(kPart);
  EXPECT_EQ(nullptr, SRepGetUndoContext(session));
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    ISRepContext* ctx = SRepGetUndoContext(session);
    ASSERT_NE(nullptr, ctx);
    EXPECT_EQ(0, ctx->GetState());
    static_cast<SRepContext*>(ctx)->KeepObject(kept);
    EXPECT_TRUE(ctx->IsKeepObject(kept));
    // The same object through another of its interfaces.
    EXPECT_TRUE(ctx->IsKeepObject(static_cast<ISRepObjectBase*>(kept)));
    EXPECT_FALSE(ctx->IsKeepObject(other));
    EXPECT_FALSE(ctx->IsKeepObject(nullptr));
  }
}

TEST_F(RepModel, SessionOptionWordAndSuppressTests) {
  ISRepSession* s = session;
  EXPECT_EQ(0u, s->GetOptions() & SRepOpt_NameDisplay);
  EXPECT_FALSE(s->IsArrangeSuppressed());
  EXPECT_FALSE(s->IsHandlingSuppressed());
  session->SetOptions(SRepOpt_NameDisplay);
  session->SetSuppressions(TRUE, FALSE);
  EXPECT_EQ(SRepOpt_NameDisplay, s->GetOptions() & SRepOpt_NameDisplay);
  EXPECT_TRUE(s->IsArrangeSuppressed());
  EXPECT_FALSE(s->IsHandlingSuppressed());
  session->SetSuppressions(FALSE, TRUE);
  EXPECT_FALSE(s->IsArrangeSuppressed());
  EXPECT_TRUE(s->IsHandlingSuppressed());
}

TEST_F(RepModel, ObjectMapsAndListsHoldReferences) {
  SRepObject* a = New(kPart);
  SRepObject* b = New(kPart);
  const ULONG before = a->AddRef() - 1;
  a->Release();
  {
    SRepMapObject map;
    EXPECT_EQ(1, map.SetAt(a, b));
    EXPECT_EQ(static_cast<ISRepObject*>(b), map.Find(a));
    EXPECT_EQ(nullptr, map.Find(b));
    SRepListObject list;
    list.Add(a);
    list.Add(a);
    EXPECT_EQ(2, list.GetCount());
    EXPECT_EQ(before + 2, a->AddRef() - 1);
    a->Release();
  }
  EXPECT_EQ(before, a->AddRef() - 1);
  a->Release();
}

}  // namespace
