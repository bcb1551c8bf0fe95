// The class functions lookup, kind-of tests, registry entries, the standard
// creation function and the per-class pools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symclassreg.h"
#include "sym/foundation/sympropmap.h"

namespace {

SRegClassFunctions Garbage() {
  SRegClassFunctions r;
  std::memset(static_cast<void*>(&r), 0xAB, sizeof(r));
  return r;
}

bool IsCleared(const SRegClassFunctions& r) {
  static const SRegClassFunctions zero{};
  return std::memcmp(&r, &zero, sizeof(r)) == 0;
}

SRepModuleStateFn ModuleStateWord() { return &SSymGetModuleState; }

TEST(SGetSymClassFunctions, NullRecord) {
  EXPECT_EQ(SGetSymClassFunctions(GUID_NULL, nullptr), S_FALSE);
  EXPECT_EQ(SGetSymClassFunctions(CLSID_SSymRectangle, nullptr), E_POINTER);
  EXPECT_EQ(SGetSymClassFunctions(MakeGUID("{00000000-0000-0000-0000-000000000001}"), nullptr), E_POINTER);
}

TEST(SGetSymClassFunctions, RecordAlreadyFilledComesBackUnchanged) {
  SRegClassFunctions r = Garbage();
  r.moduleState = ModuleStateWord();
  const SRegClassFunctions before = r;
  for (const CLSID& id : {CLSID_SSymRectangle, CLSID_SSymDiagram, MakeGUID("{36083F6E-1A49-11D1-83D9-444553540000}"),
                          GUID_NULL}) {
    EXPECT_EQ(SGetSymClassFunctions(id, &r), S_FALSE);
    EXPECT_EQ(std::memcmp(&r, &before, sizeof(r)), 0);
  }
}

TEST(SGetSymClassFunctions, FailuresClearTheRecord) {
  struct Case {
    GUID id;
    HRESULT expected;
  };
  const Case cases[] = {
      {MakeGUID("{36083F6E-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},  // hole
      {MakeGUID("{36083F5A-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},  // hole 5A..5F
      {MakeGUID("{36083F5F-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},
      {MakeGUID("{36083F77-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},  // hole 77..7F
      {MakeGUID("{36083F7F-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},
      {MakeGUID("{36083F58-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},  // below the range
      {MakeGUID("{36083F8A-1A49-11D1-83D9-444553540000}"), REGDB_E_CLASSNOTREG},  // above the range
      {GUID_NULL, REGDB_E_CLASSNOTREG},
      {CLSID_RepSRepObject, REGDB_E_CLASSNOTREG},
      {MakeGUID("{36083F61-0000-0000-0000-000000000000}"), E_FAIL},  // right first word, wrong rest
      {MakeGUID("{36083F59-1A49-11D1-83D9-444553540001}"), E_FAIL},
      {MakeGUID("{36083F89-1A49-11D2-83D9-444553540000}"), E_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GuidToString(c.id));
    SRegClassFunctions r = Garbage();
    EXPECT_EQ(SGetSymClassFunctions(c.id, &r), c.expected);
    EXPECT_TRUE(IsCleared(r));
  }
}

TEST(SGetSymClassFunctions, KnownClassesGetTheirConstantRecord) {
  for (int c = 0; c < SYMCLS_Count; ++c) {
    SCOPED_TRACE(g_symClasses[c].name);
    SRegClassFunctions r = Garbage();
    ASSERT_EQ(SGetSymClassFunctions(g_symClasses[c].clsid, &r), S_OK);
    EXPECT_EQ(r.reserved[0], 0u);
    EXPECT_EQ(r.reserved[1], 0u);
    EXPECT_EQ(r.reserved[2], 0u);
    EXPECT_EQ(r.moduleState, ModuleStateWord());
    EXPECT_EQ(r.attrEditorMap, SSymGetAttrEditorMap(g_symClasses[c].clsid));
    EXPECT_NE(r.attrEditorMap, nullptr);
    EXPECT_EQ(std::memcmp(&r, SSymGetClassRecord(c), sizeof(r)), 0);
    // A second call with the filled record leaves it as it is.
    EXPECT_EQ(SGetSymClassFunctions(g_symClasses[c].clsid, &r), S_FALSE);
  }
  // A class without creation function: null first word, the other words filled.
  SRegClassFunctions r = Garbage();
  ASSERT_EQ(SGetSymClassFunctions(CLSID_SSymSolid, &r), S_OK);
  EXPECT_EQ(r.create, nullptr);
  EXPECT_EQ(r.moduleState, ModuleStateWord());
  EXPECT_EQ(r.attrEditorMap, &SymMap::SSymSolid::attrEditorMap);
  // The diagram's and the picture file's records carry their record maps.
  ASSERT_EQ(SGetSymClassFunctions(CLSID_SSymDiagram, &(r = Garbage())), S_OK);
  EXPECT_EQ(r.attrEditorMap, &SSymDiagramRegistry::attrEditorMap);
  ASSERT_EQ(SGetSymClassFunctions(CLSID_SSymPictureFile, &(r = Garbage())), S_OK);
  EXPECT_EQ(r.attrEditorMap, &SSymPictureFileRegistry::attrEditorMap);
}

// Only concrete classes carry a creation function: the base classes, the
// composite, the arrowhead and the two link bases are never made by the
// repository, and the session refuses to make them.
TEST(SGetSymClassFunctions, OnlyConcreteClassesCarryACreationFunction) {
  const int kAbstract[] = {SYMCLS_SSymBase,     SYMCLS_SSymBasePen,  SYMCLS_SSymStd,      SYMCLS_SSymBlob,
                           SYMCLS_SSymSolid,    SYMCLS_SSymSolidText, SYMCLS_SSymArrow,   SYMCLS_SSymComposite,
                           SYMCLS_SSymLinkBase, SYMCLS_SSymLinkStd};
  auto* session = new SRepSession();
  session->AddRef();
  for (int c = 0; c < SYMCLS_Count; ++c) {
    SCOPED_TRACE(g_symClasses[c].name);
    const bool abstract = std::find(std::begin(kAbstract), std::end(kAbstract), c) != std::end(kAbstract);
    SRegClassFunctions r = Garbage();
    ASSERT_EQ(SGetSymClassFunctions(g_symClasses[c].clsid, &r), S_OK);
    EXPECT_EQ(r.create == nullptr, abstract);
    if (!abstract) continue;
    void* p = reinterpret_cast<void*>(&r);
    EXPECT_EQ(session->CreateObject(g_symClasses[c].clsid, IID_ISRepObject, &p), E_NOTIMPL);
    EXPECT_EQ(p, nullptr);
  }
  EXPECT_EQ(session->GetObjectCount(), 0);
  session->Release();
}

TEST(SymKindOf, AcceptsTheClassItsAncestorsAndTheRoot) {
  struct Case {
    int cls;
    CLSID id;
    bool expected;
  };
  const CLSID wrongRest = MakeGUID("{36083F72-0000-0000-0000-000000000000}");
  const Case cases[] = {
      {SYMCLS_SSymRectangle, CLSID_SSymRectangle, true},
      {SYMCLS_SSymRectangle, CLSID_SSymSolidText, true},
      {SYMCLS_SSymRectangle, CLSID_SSymSolid, true},
      {SYMCLS_SSymRectangle, CLSID_SSymStd, true},
      {SYMCLS_SSymRectangle, CLSID_SSymBasePen, true},
      {SYMCLS_SSymRectangle, CLSID_SSymBase, true},
      {SYMCLS_SSymRectangle, CLSID_RepSRepObject, true},
      {SYMCLS_SSymRectangle, CLSID_SSymEllipse, false},
      {SYMCLS_SSymRectangle, CLSID_RepSRepObjectBase, false},
      {SYMCLS_SSymRectangle, CLSID_SSymPolyBase, false},
      {SYMCLS_SSymRectangle, wrongRest, false},
      {SYMCLS_SSymRectangle, GUID_NULL, false},
      {SYMCLS_SSymSwimColn, CLSID_SSymSwimColn, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymPolyline, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymPolyBase, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymStd, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymBasePen, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymBase, true},
      {SYMCLS_SSymSwimColn, CLSID_RepSRepObject, true},
      {SYMCLS_SSymSwimColn, CLSID_SSymSolid, false},
      {SYMCLS_SSymSwimColn, CLSID_SSymLinkBase, false},
      {SYMCLS_SSymGroup, CLSID_SSymGroup, true},
      {SYMCLS_SSymGroup, CLSID_SSymComposite, true},
      {SYMCLS_SSymGroup, CLSID_SSymBase, true},
      {SYMCLS_SSymGroup, CLSID_RepSRepObject, true},
      {SYMCLS_SSymGroup, CLSID_SSymStd, false},
      {SYMCLS_SSymBitmap, CLSID_SSymBlob, true},
      {SYMCLS_SSymMetafile, CLSID_SSymBlob, true},
      {SYMCLS_SSymOle, CLSID_SSymOle, true},
      {SYMCLS_SSymOle, CLSID_SSymBlob, true},
      {SYMCLS_SSymOle, CLSID_SSymBase, true},
      {SYMCLS_SSymOle, CLSID_SSymStd, false},
      {SYMCLS_SSymOle, CLSID_SSymBitmap, false},
      {SYMCLS_SSymLinkSym, CLSID_SSymLinkStd, true},
      {SYMCLS_SSymLinkSym, CLSID_SSymLinkBase, true},
      {SYMCLS_SSymLinkSym, CLSID_SSymPolyBase, true},
      {SYMCLS_SSymLinkSym, CLSID_SSymPolyline, false},
      {SYMCLS_SSymSwimLane, CLSID_SSymBasePen, true},
      {SYMCLS_SSymSwimLane, CLSID_SSymStd, false},
      {SYMCLS_SSymBase, CLSID_SSymBase, true},
      {SYMCLS_SSymBase, CLSID_RepSRepObject, true},
      {SYMCLS_SSymBase, CLSID_RepSRepObjectBase, false},
      {SYMCLS_SSymBase, CLSID_SSymStd, false},
      {SYMCLS_SSymDiagram, CLSID_SSymDiagram, true},
      {SYMCLS_SSymDiagram, CLSID_RepSRepObject, true},
      {SYMCLS_SSymDiagram, CLSID_RepSRepObjectBase, true},
      {SYMCLS_SSymDiagram, CLSID_SSymBase, false},
      {SYMCLS_SSymPictureFile, CLSID_SSymPictureFile, true},
      {SYMCLS_SSymPictureFile, CLSID_RepSRepObject, true},
      {SYMCLS_SSymPictureFile, CLSID_RepSRepObjectBase, true},
      {SYMCLS_SSymPictureFile, CLSID_SSymDiagram, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(g_symClasses[c.cls].name) + " " + GuidToString(c.id));
    EXPECT_EQ(SSymGetKindOfTest(c.cls)(c.id), c.expected);
  }
  EXPECT_EQ(SSymGetKindOfTest(-1), nullptr);
  EXPECT_EQ(SSymGetKindOfTest(SYMCLS_Count), nullptr);
}

TEST(SymRegistry, OneEntryPerClassWithFlagKindOfAndLookup) {
  const int baseClasses[] = {SYMCLS_SSymBase,      SYMCLS_SSymBasePen,  SYMCLS_SSymStd,      SYMCLS_SSymBlob,
                             SYMCLS_SSymSolid,     SYMCLS_SSymSolidText, SYMCLS_SSymArrow,   SYMCLS_SSymPolyBase,
                             SYMCLS_SSymLinkBase,  SYMCLS_SSymLinkStd};
  for (int c = 0; c < SYMCLS_Count; ++c) {
    SCOPED_TRACE(g_symClasses[c].name);
    SRepRegistry* reg = SRepRegistry::Find(g_symClasses[c].clsid);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(SSymGetRegistry_(c), reg);
    EXPECT_EQ(SSymGetRegistry_(c), reg);  // kept
    const bool isBase = std::find(std::begin(baseClasses), std::end(baseClasses), c) != std::end(baseClasses);
    EXPECT_EQ(reg->GetFlag(), isBase ? 0 : 1);
    EXPECT_EQ(reg->GetThird(), 0);
    EXPECT_TRUE(reg->IsKindOf(g_symClasses[c].clsid));
    EXPECT_TRUE(reg->IsKindOf(CLSID_RepSRepObject));
    SRegClassFunctions r{};
    EXPECT_EQ(reg->GetClassFunctions(&r), S_OK);
    EXPECT_EQ(r.attrEditorMap, SSymGetClassRecord(c)->attrEditorMap);
  }
  EXPECT_TRUE(SRepRegistry::Find(CLSID_SSymRectangle)->IsKindOf(CLSID_SSymSolid));
  EXPECT_FALSE(SRepRegistry::Find(CLSID_SSymRectangle)->IsKindOf(CLSID_SSymEllipse));
  EXPECT_EQ((SSymGetRegistry_<SYMCLS_SSymRectangle>()), SRepRegistry::Find(CLSID_SSymRectangle));
  EXPECT_EQ(SSymGetRegistry_(SYMCLS_Count), nullptr);
}

// ---- the standard creation function and the pools, on a small class ----------------
constexpr CLSID kFakeClsid = MakeGUID("{5B0D7C1E-2F4A-4E8B-9C3D-6A1F0E2B4C5D}");

struct FakeControl {
  int throwInCtor = 0;         // 1 SECOMException, 2 SEConstructor, 3 std::runtime_error
  int throwInSetSession = 0;   // as above
  int deletes = 0;
  int destroyed = 0;
};
FakeControl g_fake;

void ThrowAs(int kind) {
  if (kind == 1) throw SECOMException("FakeSym", __FILE__, __LINE__, E_ACCESSDENIED);
  if (kind == 2) throw SEConstructor("FakeSym", __FILE__, __LINE__);
  if (kind == 3) throw std::runtime_error("fake");
}

class FakeSym : public SRepObjectMem {
  KV_SYM_DECLARE_POOL()
 public:
  explicit FakeSym(ISRepSession* session) : SRepObjectMem(kFakeClsid, nullptr), m_session(session) {
    ThrowAs(g_fake.throwInCtor);
  }
  FakeSym(const FakeSym& o) : SRepObjectMem(o), m_value(o.m_value), m_copied(true) { ThrowAs(g_fake.throwInCtor); }
  ~FakeSym() override { ++g_fake.destroyed; }
  HRESULT SetSession(ISRepSession* session) {
    ThrowAs(g_fake.throwInSetSession);
    m_attached = session;
    return SRepObjectMem::SetSession(session);
  }
  HRESULT Delete() override {
    ++g_fake.deletes;
    return SRepObjectMem::Delete();
  }

  ISRepSession* m_session = nullptr;
  ISRepSession* m_attached = nullptr;
  int m_value = 7;
  bool m_copied = false;
};
KV_SYM_IMPLEMENT_POOL(FakeSym, 4);

// A derived class of another size: heap storage, never a block of the base's pool.
class FakeSymBig : public FakeSym {
 public:
  FakeSymBig() : FakeSym(nullptr) {}
  char m_more[64] = {};
};

class CreateStd : public ::testing::Test {
 protected:
  void SetUp() override { g_fake = FakeControl{}; }
};

TEST_F(CreateStd, WithoutSourceOrSession) {
  ISRepObject* out = reinterpret_cast<ISRepObject*>(1);
  ASSERT_EQ(SSymCreateStd<FakeSym>(&out, nullptr, nullptr), S_OK);
  ASSERT_NE(out, nullptr);
  auto* sym = dynamic_cast<FakeSym*>(out);
  ASSERT_NE(sym, nullptr);
  EXPECT_FALSE(sym->m_copied);
  EXPECT_EQ(sym->m_attached, nullptr);
  out->Release();
  EXPECT_EQ(g_fake.destroyed, 1);
}

TEST_F(CreateStd, WithSessionAttaches) {
  auto* session = new SRepSession();
  session->AddRef();
  ISRepObject* out = nullptr;
  ASSERT_EQ(SSymCreateStd<FakeSym>(&out, session, nullptr), S_OK);
  auto* sym = dynamic_cast<FakeSym*>(out);
  ASSERT_NE(sym, nullptr);
  EXPECT_EQ(sym->m_session, session);
  EXPECT_EQ(sym->m_attached, session);
  out->Release();
  session->Release();
}

TEST_F(CreateStd, WithSourceCopies) {
  FakeSym* source = new FakeSym(nullptr);
  source->AddRef();
  source->m_value = 42;
  ISRepObject* out = nullptr;
  ASSERT_EQ(SSymCreateStd<FakeSym>(&out, nullptr, source), S_OK);
  auto* copy = dynamic_cast<FakeSym*>(out);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, source);
  EXPECT_TRUE(copy->m_copied);
  EXPECT_EQ(copy->m_value, 42);
  out->Release();
  source->Release();
}

TEST_F(CreateStd, ExceptionsBecomeResultCodesAndANullObject) {
  struct Case {
    int inCtor;
    int inSetSession;
    HRESULT expected;
    int deletes;  // the repository Delete of a half-made object
  };
  const Case cases[] = {
      {1, 0, E_ACCESSDENIED, 0},
      {2, 0, E_FAIL, 0},
      {3, 0, E_FAIL, 0},
      {0, 1, E_ACCESSDENIED, 1},
      {0, 2, E_FAIL, 1},
      {0, 3, E_FAIL, 1},
  };
  auto* session = new SRepSession();
  session->AddRef();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.inCtor << "/" << c.inSetSession);
    g_fake = FakeControl{c.inCtor, c.inSetSession};
    const int inUse = FakeSym::m_allocator.GetInUse();
    ISRepObject* out = reinterpret_cast<ISRepObject*>(1);
    EXPECT_EQ(SSymCreateStd<FakeSym>(&out, session, nullptr), c.expected);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_fake.deletes, c.deletes);
    EXPECT_EQ(g_fake.destroyed, c.deletes);  // a half-made object is released to its end
    EXPECT_EQ(FakeSym::m_allocator.GetInUse(), inUse);  // storage given back
  }
  session->Release();
}

TEST_F(CreateStd, BadArguments) {
  EXPECT_EQ(SSymCreateStd<FakeSym>(nullptr, nullptr, nullptr), E_POINTER);
  // A source that is not of the class.
  auto* other = new SRepObjectMem(CLSID_RepSRepObject, nullptr);
  other->AddRef();
  ISRepObject* out = reinterpret_cast<ISRepObject*>(1);
  EXPECT_EQ(SSymCreateStd<FakeSym>(&out, nullptr, other), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  other->Release();
}

// The creation function in a class record, reached through the repository's
// session: the record's function type fits and the session gets one counted
// object that it keeps until it ends.
HRESULT FakeLookup(const GUID& clsid, SRegClassFunctions* record) {
  if (!record) return E_POINTER;
  *record = SRegClassFunctions{};
  if (clsid != kFakeClsid) return REGDB_E_CLASSNOTREG;
  record->create = &SSymCreateStd<FakeSym>;
  return S_OK;
}
bool FakeKindOf(const GUID& clsid) { return clsid == kFakeClsid; }

TEST_F(CreateStd, ThroughTheSessionAndARegistryEntry) {
  SRepRegistry entry(kFakeClsid, 1, 0, &FakeKindOf, &FakeLookup);
  auto* session = new SRepSession();
  session->AddRef();
  void* p = nullptr;
  ASSERT_EQ(session->CreateObject(kFakeClsid, IID_ISRepObject, &p), S_OK);
  auto* obj = static_cast<ISRepObject*>(p);
  auto* sym = dynamic_cast<FakeSym*>(obj);
  ASSERT_NE(sym, nullptr);
  EXPECT_EQ(sym->m_attached, session);
  EXPECT_EQ(session->GetObjectCount(), 1);
  obj->Release();
  EXPECT_EQ(g_fake.destroyed, 0);  // the session keeps it
  session->Release();
  EXPECT_EQ(g_fake.destroyed, 1);
}

TEST(SymPool, ClassSizeTakesPoolBlocksOtherSizesTheHeap) {
  SRepObjectAllocator& pool = FakeSym::m_allocator;
  EXPECT_EQ(pool.GetBlockSize(), sizeof(FakeSym));
  EXPECT_EQ(pool.GetBlockCount(), 4);
  EXPECT_EQ(pool.GetName(), nullptr);
  const int inUse = pool.GetInUse();
  std::vector<FakeSym*> objs;
  for (int i = 0; i < 6; ++i) objs.push_back(new FakeSym(nullptr));  // more than one chunk
  EXPECT_EQ(pool.GetInUse(), inUse + 6);
  FakeSymBig* big = new FakeSymBig();
  EXPECT_EQ(pool.GetInUse(), inUse + 6);  // from the heap
  for (FakeSym* o : objs) delete o;
  EXPECT_EQ(pool.GetInUse(), inUse);
  FakeSym* asBase = big;
  delete asBase;  // back to the heap, not into the pool
  EXPECT_EQ(pool.GetInUse(), inUse);
  // A freed block is handed out again.
  FakeSym* a = new FakeSym(nullptr);
  void* first = a;
  delete a;
  FakeSym* b = new FakeSym(nullptr);
  EXPECT_EQ(static_cast<void*>(b), first);
  delete b;
}

}  // namespace

// A class's registration fills its creation function into its record, and
// the repository then creates the class through it. (The arc symbol's
// record lends itself, and its own creation function is put back.)
TEST_F(CreateStd, RegistrationFillsTheCreationFunction) {
  static int binds = 0;
  binds = 0;
  const SRegClassFunctions::CreateFn own = SSymGetClassRecord(SYMCLS_SSymArc)->create;
  EXPECT_TRUE(SSymRegisterClass(SYMCLS_SSymArc, &SSymCreateStd<FakeSym>, [] { ++binds; }));
  EXPECT_EQ(binds, 1);
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymArc));
  SRegClassFunctions r = Garbage();
  ASSERT_EQ(SGetSymClassFunctions(CLSID_SSymArc, &r), S_OK);
  EXPECT_EQ(r.create, &SSymCreateStd<FakeSym>);
  EXPECT_EQ(r.attrEditorMap, &SymMap::SSymArc::attrEditorMap);

  auto* session = new SRepSession();
  session->AddRef();
  void* p = nullptr;
  EXPECT_EQ(session->CreateObject(CLSID_SSymArc, IID_ISRepObject, &p), S_OK);
  auto* obj = static_cast<ISRepObject*>(p);
  EXPECT_NE(dynamic_cast<FakeSym*>(obj), nullptr);
  if (obj) obj->Release();
  session->Release();

  SSymRegisterClass(SYMCLS_SSymArc, own, nullptr);
  EXPECT_EQ(SSymGetClassRecord(SYMCLS_SSymArc)->create, own);
  // An index outside the table registers nothing.
  EXPECT_FALSE(SSymRegisterClass(-1, &SSymCreateStd<FakeSym>, [] { ++binds; }));
  EXPECT_FALSE(SSymRegisterClass(SYMCLS_Count, &SSymCreateStd<FakeSym>, [] { ++binds; }));
  EXPECT_EQ(binds, 1);
}
