// The repository's data format: objects, children and links written and read back.
#include "kvrep/srepstream.h"
#include "support/repfixture.h"

namespace {

TEST_F(RepTest, ObjectsRoundTripThroughTheDataFormat) {
  a->m_color = 0x123456;
  a->m_name = SString("Alpha");
  a->m_width = 77;
  b->m_rect = SRep_Rect{1, 2, 3, 4};
  a->SetAttribute(kNote, SRepVariant::Text(SString("note")));
  a->Collection(kLinks)->Insert(b, -1);
  TNode* outside = NewNode(session);
  b->Collection(kLinks)->Insert(outside, -1);  // leaves the written set: dropped

  SOutputGlobal out;
  SRepStreamManager mgr;
  ASSERT_EQ(S_OK, mgr.Save(out, {root}));
  b->Collection(kLinks)->Remove(0);  // what the copy should look like

  auto* other = new SRepSession();
  other->AddRef();
  SRepRootObject carried;
  static_cast<SRepObject&>(carried).AddRef();
  std::vector<ISRepObject*> loaded;
  SInputBuffer in(out.GetData(), out.GetSize());
  ASSERT_EQ(S_OK, mgr.Load(in, &carried, other, 1, &loaded));
  ASSERT_EQ(3u, loaded.size());
  std::vector<TNode*> nodes;
  for (ISRepObject* o : loaded) nodes.push_back(static_cast<TNode*>(SRepObject::FromInterface(o)));
  EXPECT_EQ(Snapshot({root, a, b}), Snapshot(nodes));
  EXPECT_EQ(1, carried.OneSidedCollection(SRepRootCarried)->GetCount());
  EXPECT_TRUE(other->IsObjInSession(loaded[1]));

  // A damaged stream or an unknown class makes nothing.
  const int before = other->GetObjectCount();
  std::vector<BYTE> bytes = out.GetBytes();
  for (std::size_t cut : {std::size_t{3}, std::size_t{20}, bytes.size() - 1}) {
    SInputBuffer part(bytes.data(), cut);
    EXPECT_EQ(STG_E_READFAULT, mgr.Load(part, nullptr, other)) << cut;
  }
  std::vector<BYTE> alien = bytes;
  alien[12] ^= 0xFF;  // the first class identifier
  SInputBuffer bad(alien.data(), alien.size());
  EXPECT_EQ(REGDB_E_CLASSNOTREG, mgr.Load(bad, nullptr, other));
  EXPECT_EQ(before, other->GetObjectCount());
  EXPECT_EQ(E_POINTER, mgr.Save(out, {nullptr}));

  for (ISRepObject* o : loaded) o->Release();
  static_cast<SRepObject&>(carried).ReleaseAll();
  other->Release();
  outside->Release();
}

}  // namespace
