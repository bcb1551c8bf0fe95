// Faces stated in a base clause: every listed face answered with its own
// subobject, a conditional face refused while its test fails and asked of
// the base, IUnknown the same from every face, the one reference count
// behind all faces, and FromInterface from any face back to its object.
#include "kvrep/srepfaces.h"

#include <functional>
#include <ostream>
#include <string>

#include "support/repfixture.h"

namespace {

#define TEST_IID(name, n) inline constexpr IID name = MakeGUID("{5E7AFACE-0000-4000-8000-0000000000" n "}")
TEST_IID(IID_IFaceA, "01");
TEST_IID(IID_IFaceB, "02");
TEST_IID(IID_IFaceC, "03");
TEST_IID(IID_IFaceD, "04");
TEST_IID(IID_IFaceE, "05");
TEST_IID(IID_IFaceAlias, "06");
TEST_IID(IID_TFaced, "07");
TEST_IID(IID_TFacedMore, "08");
TEST_IID(IID_Unknown, "FF");

struct IFaceA : IUnknown {
  static constexpr IID iid = IID_IFaceA;
  virtual char A() = 0;
};
// Extends A: one subobject answers both.
struct IFaceB : IFaceA {
  static constexpr IID iid = IID_IFaceB;
  virtual char B() = 0;
};
struct IFaceC : IUnknown {
  static constexpr IID iid = IID_IFaceC;
  virtual char C() = 0;
};
struct IFaceD : IUnknown {
  static constexpr IID iid = IID_IFaceD;
  virtual char D() = 0;
};
struct IFaceE : IUnknown {
  static constexpr IID iid = IID_IFaceE;
  virtual char E() = 0;
};
// Implements D for the classes that take it in.
class TDImpl : public IFaceD {
 public:
  char D() override { return 'd'; }
};

// The faces A, B (one subobject), C while `c` is set, D through TDImpl, A
// again under a second identifier, and its own identity.
class TFaced : public SRepFaces<TFaced, TNode, IFaceA, IFaceB, SRepFaceIf<IFaceC>, SRepFaceImpl<TDImpl>, IFaceD,
                                SRepFaceAs<IID_IFaceAlias, IFaceA>, SRepFaceSelf<IID_TFaced>> {
 public:
  explicit TFaced(bool* ended = nullptr) : SRepFaces(nullptr), m_ended(ended) {}
  ~TFaced() override {
    if (m_ended) *m_ended = true;
  }
  bool AnswersFace(SRepFaceTag<IFaceC>) const { return c; }
  char A() override { return 'a'; }
  char B() override { return 'b'; }
  char C() override { return 'c'; }
  bool c = false;
  bool* m_ended;
};

// A class over TFaced: its own face E, C switched on (its base still
// answers C while the base's test holds), and its own identity.
class TFacedMore : public SRepFaces<TFacedMore, TFaced, IFaceE, SRepFaceIf<IFaceC>, SRepFaceSelf<IID_TFacedMore>> {
 public:
  using SRepFaces::SRepFaces;
  bool AnswersFace(SRepFaceTag<IFaceC>) const { return more; }
  char E() override { return 'e'; }
  bool more = false;
};

template <class T>
T* New(bool* ended = nullptr) {
  auto* t = new T(ended);
  static_cast<SRepObject*>(t)->AddRef();
  return t;
}

ULONG Count(SRepObject* o) {
  o->AddRef();
  return o->Release();
}

struct FaceCase {
  std::string name;
  const IID* iid;
  // The pointer the object must answer, or null for E_NOINTERFACE.
  std::function<void*(TFacedMore*)> expect;
};

void PrintTo(const FaceCase& c, std::ostream* os) { *os << c.name; }

class RepFaces : public ::testing::TestWithParam<FaceCase> {};

TEST_P(RepFaces, AnsweredFromTheTable) {
  const FaceCase& c = GetParam();
  // Two objects: the second answers from its own subobjects, not from those
  // of the object that built the class's table.
  TFacedMore* objects[] = {New<TFacedMore>(), New<TFacedMore>()};
  for (TFacedMore* o : objects) {
    void* p = reinterpret_cast<void*>(1);
    const HRESULT hr = static_cast<IFaceE*>(o)->QueryInterface(*c.iid, &p);
    void* want = c.expect(o);
    EXPECT_EQ(want ? S_OK : E_NOINTERFACE, hr);
    EXPECT_EQ(want, p);
    EXPECT_EQ(want ? 2u : 1u, Count(o)) << "an answer adds one reference";
    if (p) static_cast<IUnknown*>(p)->Release();
  }
  for (TFacedMore* o : objects) EXPECT_EQ(0u, static_cast<SRepObject*>(o)->Release());
}

INSTANTIATE_TEST_SUITE_P(
    Faces, RepFaces,
    ::testing::Values(
        FaceCase{"A", &IID_IFaceA, [](TFacedMore* o) -> void* { return static_cast<IFaceA*>(o); }},
        FaceCase{"B", &IID_IFaceB, [](TFacedMore* o) -> void* { return static_cast<IFaceB*>(o); }},
        FaceCase{"AliasOfA", &IID_IFaceAlias, [](TFacedMore* o) -> void* { return static_cast<IFaceA*>(o); }},
        FaceCase{"DThroughImpl", &IID_IFaceD, [](TFacedMore* o) -> void* { return static_cast<IFaceD*>(o); }},
        FaceCase{"EOfTheDerivedClass", &IID_IFaceE, [](TFacedMore* o) -> void* { return static_cast<IFaceE*>(o); }},
        FaceCase{"SelfOfEachLevel", &IID_TFaced, [](TFacedMore* o) -> void* { return static_cast<TFaced*>(o); }},
        FaceCase{"SelfOfTheDerivedClass", &IID_TFacedMore, [](TFacedMore* o) -> void* { return o; }},
        FaceCase{"RepositoryFacesOfTheBase", &IID_ISRepObject,
                 [](TFacedMore* o) -> void* { return static_cast<ISRepObjectBase*>(o); }},
        FaceCase{"CWhileBothTestsFail", &IID_IFaceC, [](TFacedMore*) -> void* { return nullptr; }},
        FaceCase{"Unknown", &IID_Unknown, [](TFacedMore*) -> void* { return nullptr; }}),
    [](const ::testing::TestParamInfo<FaceCase>& info) { return info.param.name; });

TEST(RepFacesUnknown, ConditionalFaceFollowsItsTestAtEachLevel) {
  TFacedMore* o = New<TFacedMore>();
  void* p = reinterpret_cast<void*>(1);
  ASSERT_EQ(E_NOINTERFACE, o->QueryInterface(IID_IFaceC, &p));
  EXPECT_EQ(nullptr, p) << "a refusal clears the answer";
  for (int step = 0; step < 3; ++step) {
    // The derived level's test, then the base level's alone, then off again.
    o->more = step == 0;
    o->c = step == 1;
    const HRESULT hr = o->QueryInterface(IID_IFaceC, &p);
    if (step < 2) {
      ASSERT_EQ(S_OK, hr) << step;
      EXPECT_EQ('c', static_cast<IFaceC*>(p)->C());
      static_cast<IFaceC*>(p)->Release();
    } else {
      EXPECT_EQ(E_NOINTERFACE, hr);
    }
  }
  EXPECT_EQ(E_POINTER, o->QueryInterface(IID_IFaceA, nullptr));
  EXPECT_EQ(1u, Count(o));
  static_cast<SRepObject*>(o)->Release();
}

TEST(RepFacesUnknown, OneIdentityAndOneCountBehindEveryFace) {
  bool ended = false;
  TFacedMore* o = New<TFacedMore>(&ended);
  o->c = true;
  IUnknown* faces[] = {static_cast<IFaceA*>(o), static_cast<IFaceB*>(o), static_cast<IFaceC*>(o),
                       static_cast<IFaceD*>(o), static_cast<IFaceE*>(o), static_cast<ISRepObjectBase*>(o)};
  IUnknown* identity = nullptr;
  ASSERT_EQ(S_OK, faces[0]->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
  identity->Release();
  for (IUnknown* f : faces) {
    IUnknown* u = nullptr;
    ASSERT_EQ(S_OK, f->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&u)));
    EXPECT_EQ(identity, u);
    u->Release();
    EXPECT_TRUE(SRepAreSameObjects(f, faces[5]));
    // AddRef and Release of any face count on the object.
    EXPECT_EQ(2u, f->AddRef());
    EXPECT_EQ(2u, Count(o));
    EXPECT_EQ(1u, f->Release());
  }
  // The last reference, released through any face, ends the object.
  faces[3]->AddRef();
  static_cast<SRepObject*>(o)->Release();
  EXPECT_FALSE(ended);
  EXPECT_EQ(0u, faces[3]->Release());
  EXPECT_TRUE(ended);
}

TEST(RepFacesUnknown, FromInterfaceOfEachLevel) {
  TFacedMore* more = New<TFacedMore>();
  TFaced* plain = New<TFaced>();
  EXPECT_EQ(more, TFacedMore::FromInterface(static_cast<IFaceD*>(more)));
  EXPECT_EQ(static_cast<TFaced*>(more), TFaced::FromInterface(static_cast<IFaceE*>(more)));
  EXPECT_EQ(plain, TFaced::FromInterface(static_cast<IFaceB*>(plain)));
  EXPECT_EQ(nullptr, TFacedMore::FromInterface(static_cast<IFaceB*>(plain))) << "another class";
  EXPECT_EQ(nullptr, TFaced::FromInterface(nullptr));
  EXPECT_EQ(static_cast<SRepObject*>(plain), SRepObject::FromInterface(static_cast<IFaceA*>(plain)));
  EXPECT_EQ(1u, Count(more)) << "no reference kept";
  EXPECT_EQ(1u, Count(plain));
  static_cast<SRepObject*>(more)->Release();
  static_cast<SRepObject*>(plain)->Release();
}

}  // namespace
