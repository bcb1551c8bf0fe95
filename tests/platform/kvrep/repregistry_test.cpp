// Registry entries, property-map chains, object pools and the type-library manager.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <vector>

#include "kvrep/srepalloc.h"
#include "kvrep/sreptypelib.h"
#include "support/repfixture.h"

namespace {

constexpr CLSID kOther = MakeGUID("{5E7A0001-0000-4000-8000-000000000002}");

TEST(RepRegistry, EntriesAreFoundUntilDestroyed) {
  SRepRegistry& node = TNodeRegistry();
  EXPECT_EQ(&node, SRepRegistry::Find(CLSID_TNode));
  EXPECT_EQ(nullptr, SRepRegistry::Find(kOther));
  {
    SRepRegistry other(kOther, 0, 0, nullptr, nullptr);
    EXPECT_EQ(&other, SRepRegistry::Find(kOther));
    EXPECT_TRUE(other.IsKindOf(CLSID_SRepObject));
    ISRepObject* obj = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, other.CreateObject(nullptr, nullptr, &obj)) << "no class functions";
  }
  EXPECT_EQ(nullptr, SRepRegistry::Find(kOther));

  SRegClassFunctions f{};
  ASSERT_EQ(S_OK, node.GetClassFunctions(&f));
  EXPECT_NE(nullptr, f.create);
  EXPECT_EQ(0u, f.reserved[0] | f.reserved[1] | f.reserved[2]);
  EXPECT_EQ(&TNode::attrEditorMap, f.attrEditorMap);
  EXPECT_EQ(E_POINTER, node.GetClassFunctions(nullptr));
  EXPECT_TRUE(node.IsKindOf(CLSID_TNode));
  EXPECT_FALSE(node.IsKindOf(CLSID_SRepObjectBase));

  ISRepObject* obj = nullptr;
  ASSERT_EQ(S_OK, SRepRegistry::CreateObject(CLSID_TNode, nullptr, nullptr, &obj));
  EXPECT_TRUE(SRepIsKindOf(obj, CLSID_SRepObject));
  CLSID id{};
  obj->GetCLSID(&id);
  EXPECT_EQ(CLSID_TNode, id);
  ISRepSession* s = nullptr;
  EXPECT_EQ(S_FALSE, obj->GetSession(&s));
  EXPECT_EQ(E_NOINTERFACE, obj->QueryInterface(IID_ISRepSession, reinterpret_cast<void**>(&s)));
  obj->Release();
  EXPECT_EQ(REGDB_E_CLASSNOTREG, SRepRegistry::CreateObject(kOther, nullptr, nullptr, &obj));
  EXPECT_EQ(nullptr, obj);
}

// A derived map whose own entry wins over the base's.
SPropertyEntry g_derived[] = {{kColor, 0, SRepVT_SHORT, nullptr, SProp_Getter, nullptr, nullptr},
                              {0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap g_derivedMap = {[]() { return &TNode::propertyMap; }, g_derived};
SAttrEditorEntry g_derivedEd[] = {{kLinks, &SRepAttrEditorObject::__clsinf}, {0, nullptr}};
const SAttrEditorMap g_derivedEdMap = {[]() { return &TNode::attrEditorMap; }, g_derivedEd};

TEST(RepMaps, LookupWalksTheChain) {
  TNodeRegistry();
  EXPECT_EQ(&g_derived[0], SRepFindProperty(&g_derivedMap, kColor));
  EXPECT_EQ(&TNode::entries[1], SRepFindProperty(&g_derivedMap, kRect));
  EXPECT_EQ(nullptr, SRepFindProperty(&g_derivedMap, 0x7777));
  EXPECT_EQ(nullptr, SRepFindProperty(&g_derivedMap, 0));
  EXPECT_FALSE(TNode::entries[4].CanSet());
  EXPECT_EQ(&SRepAttrEditorObject::__clsinf, SRepFindAttrEditor(&g_derivedEdMap, kLinks));
  EXPECT_EQ(&SRepAttrEditorColor::__clsinf, SRepFindAttrEditor(&g_derivedEdMap, kColor));
  EXPECT_EQ(nullptr, SRepFindAttrEditor(&g_derivedEdMap, kWidth));
  EXPECT_EQ(nullptr, SRepFindAttrEditor(&SRepObjectBaseRegistry::attrEditorMap, kName));
  EXPECT_TRUE(SRepAttrEditorColor::__clsinf.IsDerivedFrom(&SRepAttrEditor::__clsinf));
}

TEST(RepAlloc, BlocksAreReusedAndKeepTheClassSize) {
  SRepObjectAllocator pool(sizeof(TNode), 2, "TNode");
  EXPECT_EQ(sizeof(TNode), pool.GetBlockSize());
  void* p1 = pool.Alloc();
  void* p2 = pool.Alloc();
  void* p3 = pool.Alloc();  // a second chunk
  EXPECT_NE(p1, p2);
  EXPECT_NE(p2, p3);
  EXPECT_EQ(3, pool.GetInUse());
  pool.Free(p2);
  EXPECT_EQ(p2, pool.Alloc());
  pool.Free(nullptr);
  pool.Free(p1);
  pool.Free(p2);
  pool.Free(p3);
  EXPECT_EQ(0, pool.GetInUse());
  SRepObjectAllocator tiny(1, 0);
  EXPECT_GE(tiny.GetBlockSize(), sizeof(void*));
  EXPECT_EQ(1, tiny.GetBlockCount());
  tiny.Free(tiny.Alloc());
}

TEST(RepAlloc, AGrowingPoolHandsOutDistinctWritableBlocks) {
  // Enough blocks for the pool to take its large chunks (whole pages of 2 MB
  // from on 2 MB of blocks) several times over.
  constexpr std::size_t kSize = 120;
  constexpr int kBlocks = 200000;
  SRepObjectAllocator pool(kSize, 16, "grows");
  std::vector<unsigned char*> blocks;
  for (int i = 0; i < kBlocks; ++i) {
    auto* b = static_cast<unsigned char*>(pool.Alloc());
    std::fill_n(b, kSize, static_cast<unsigned char>(i));
    blocks.push_back(b);
  }
  EXPECT_EQ(kBlocks, pool.GetInUse());
  for (int i = 0; i < kBlocks; ++i) {
    const unsigned char* b = blocks[static_cast<std::size_t>(i)];
    ASSERT_EQ(0u, reinterpret_cast<std::uintptr_t>(b) % alignof(void*)) << i;
    ASSERT_TRUE(std::all_of(b, b + kSize, [&](unsigned char c) { return c == static_cast<unsigned char>(i); })) << i;
  }
  std::sort(blocks.begin(), blocks.end());
  for (std::size_t i = 1; i < blocks.size(); ++i) ASSERT_GE(blocks[i] - blocks[i - 1], static_cast<std::ptrdiff_t>(kSize));
  for (unsigned char* b : blocks) pool.Free(b);
  EXPECT_EQ(0, pool.GetInUse());
  // Given-back blocks come first.
  void* again = pool.Alloc();
  EXPECT_TRUE(std::binary_search(blocks.begin(), blocks.end(), static_cast<unsigned char*>(again)));
  pool.Free(again);
}

std::vector<std::uint8_t> MiniMetamodel() {
  std::vector<std::uint8_t> b = {0x21, 0x53, 0x29, 0x56};
  b.resize(4 + 28, 0);
  auto u = [&](std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  auto text = [&](const char* s) {
    std::string t(s);
    b.push_back(static_cast<std::uint8_t>(t.size() + 1));
    b.insert(b.end(), t.begin(), t.end());
    b.push_back(0);
  };
  auto guid = [&](const GUID& g) {
    std::uint8_t x[16];
    GuidToBytes(g, x);
    b.insert(b.end(), x, x + 16);
  };
  b.push_back(3);
  text("Sym");
  text("KvCommon");
  guid(MakeGUID("{2B975AA0-A490-11D1-A8B7-006097355D43}"));
  u(401, 4), u(255, 2), u(255, 2), u(16, 2), u(100, 2);
  u(0, 4);  // named types
  u(0, 4);  // identifiers
  u(1, 4);  // classes
  guid(MakeGUID("{362D41E4-9D82-11D1-8E5D-444553540000}"));
  b.push_back(2);
  text("SSymBase");
  text("BaseSymbol");
  u(0x90440d, 4);
  guid(MakeGUID("{36083F70-1A49-11D1-83D9-444553540000}"));
  u(18, 4), u(1059, 4), u(0, 4);
  u(1, 4);
  text("Rep::SRepObject");
  guid(CLSID_SRepObject);
  u(0, 4);  // members
  u(0, 4);  // enumerations
  return b;
}

std::vector<std::uint8_t> g_resource;
std::span<const std::uint8_t> Lookup(void*, UINT id, LPCWSTR type) {
  if (id != 1000 || std::u16string(type) != u"METADATA") return {};
  return g_resource;
}

TEST(RepTypeLib, RegistersAndReadsBack) {
  ISRepTypeLibManager* m = GetTypeLibManager();
  ASSERT_NE(nullptr, m);
  m->Clear();
  SRepSetResourceLookup(&Lookup);
  g_resource = MiniMetamodel();
  int state = 0;
  ASSERT_EQ(S_OK, m->RegisterTypeLib(&state, 1000, 0, u"METADATA"));
  ASSERT_EQ(1, m->GetCount());
  const SRepTypeLib* lib = m->GetAt(0);
  EXPECT_EQ(&state, lib->moduleState);
  EXPECT_EQ(g_resource, lib->bytes);
  EXPECT_EQ("Sym", lib->moduleCode);
  EXPECT_EQ(SString("BaseSymbol"), SRepGetPublicName(MakeGUID("{36083F70-1A49-11D1-83D9-444553540000}")));
  ASSERT_EQ(1u, lib->classes.size());
  EXPECT_EQ("SSymBase", lib->classes[0].code);
  EXPECT_EQ(CLSID_SRepObject, lib->classes[0].parentIds.at(0));
  EXPECT_EQ(S_OK, m->RegisterTypeLib(&state, 1000, 0, u"METADATA")) << "again: replaces";
  EXPECT_EQ(1, m->GetCount());

  EXPECT_EQ(E_FAIL, m->RegisterTypeLib(&state, 1001, 0, u"METADATA"));
  EXPECT_EQ(E_POINTER, m->RegisterTypeLib(&state, 1000, 0, nullptr));
  g_resource.resize(20);
  EXPECT_EQ(STG_E_READFAULT, m->RegisterTypeLib(&state, 1000, 0, u"METADATA"));
  g_resource[0] = 'X';
  EXPECT_EQ(STG_E_READFAULT, m->RegisterBytes(&state, 1000, g_resource));
  EXPECT_EQ(1, m->GetCount());

  SRepEnableTypeLibManager(false);
  EXPECT_EQ(nullptr, GetTypeLibManager());
  SRepEnableTypeLibManager(true);
  SRepSetResourceLookup(nullptr);
  m->Clear();
}

}  // namespace

namespace {

// The library's own metamodel, when the build has written it.
TEST(RepTypeLib, ReadsTheLibraryMetamodelToItsLastByte) {
  FILE* f = std::fopen(KV_BINARY_DIR "/sym/generated/symmetadata.bin", "rb");
  if (!f) GTEST_SKIP() << "the metamodel has not been written by this build";
  std::vector<std::uint8_t> bytes;
  for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<std::uint8_t>(c));
  std::fclose(f);
  ISRepTypeLibManager* m = GetTypeLibManager();
  m->Clear();
  ASSERT_EQ(S_OK, m->RegisterBytes(nullptr, 1000, bytes));
  const SRepTypeLib* lib = m->GetAt(0);
  int attrs = 0, cols = 0, methods = 0;
  for (const SRepMetaClass& c : lib->classes)
    for (const SRepMetaMember& mem : c.members)
      ++(mem.kind == SRepMetaMember::Attribute ? attrs : mem.kind == SRepMetaMember::Collection ? cols : methods);
  EXPECT_EQ(33u, lib->classes.size());
  EXPECT_EQ(119, attrs);
  EXPECT_EQ(11, cols);
  EXPECT_EQ(66, methods);
  EXPECT_EQ(4u, lib->enums.size());
  const GUID diagram = MakeGUID("{36083F6D-1A49-11D1-83D9-444553540000}");
  const GUID rectangle = MakeGUID("{36083F61-1A49-11D1-83D9-444553540000}");
  EXPECT_EQ(SString("BaseDiagram"), SRepGetPublicName(diagram));
  EXPECT_EQ(SString("SSymDiagram"), SRepGetClassName(diagram));
  EXPECT_EQ(SString("Symbols"), SRepGetCollName(diagram, 0x02010015));
  EXPECT_EQ(SString(), SRepGetAttrName(diagram, 0x02010015)) << "a collection, not an attribute";
  EXPECT_EQ(SString("FillColor"), SRepGetAttrName(rectangle, 0x0201001C)) << "found up the parent chain";
  bytes.pop_back();
  EXPECT_EQ(STG_E_READFAULT, m->RegisterBytes(nullptr, 1001, bytes));
  m->Clear();
}

}  // namespace
