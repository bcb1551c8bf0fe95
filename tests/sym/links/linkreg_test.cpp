// The six line and link classes as the repository knows them: registry
// flags, pools and class functions, each class made by its class function,
// written in the repository's data format and read back alike.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "sym/foundation/sympropmap.h"
#include "sym/links/symlinksym.h"
#include "sym/links/sympolygon.h"
#include "sym/links/sympolyline.h"
#include "support/symtest.h"
#include "support/reload.h"

namespace {

struct LineClass {
  int cls;
  CLSID clsid;
  int registryFlag;
  int poolBlocks;  // 0: no pool of its own
};

const LineClass kLineClasses[] = {
    {SYMCLS_SSymPolyBase, CLSID_SSymPolyBase, 0, 10},
    {SYMCLS_SSymPolygon, CLSID_SSymPolygon, 1, 10},
    {SYMCLS_SSymPolyline, CLSID_SSymPolyline, 1, 10},
    {SYMCLS_SSymLinkBase, CLSID_SSymLinkBase, 0, 0},
    {SYMCLS_SSymLinkStd, CLSID_SSymLinkStd, 0, 0},
    {SYMCLS_SSymLinkSym, CLSID_SSymLinkSym, 1, 10},
};

TEST(LineClasses, RegistryEntriesPoolsAndClassFunctions) {
  for (const LineClass& c : kLineClasses) {
    SCOPED_TRACE(g_symClasses[c.cls].name);
    EXPECT_TRUE(SSymIsClassRegistered(c.cls));
    SRepRegistry* reg = SRepRegistry::Find(c.clsid);
    ASSERT_NE(reg, nullptr);
    EXPECT_EQ(reg->GetFlag(), c.registryFlag);
    EXPECT_EQ(SSymGetRegistry_(c.cls), reg);
    EXPECT_EQ(SSymGetRegistry_(c.cls), reg);
    EXPECT_EQ(g_symClasses[c.cls].poolBlocks, c.poolBlocks);
    SRegClassFunctions r{};
    ASSERT_EQ(SGetSymClassFunctions(c.clsid, &r), S_OK);
    EXPECT_NE(r.create, nullptr);
    EXPECT_EQ(r.attrEditorMap, SSymGetAttrEditorMap(c.cls));
  }
  EXPECT_TRUE(SSymCheckClassBindings().empty());
}

class LineClassStream : public SymFixture {};

TEST_F(LineClassStream, EachClassMadeByItsClassFunctionReadsBackAlike) {
  const SSymListPt pts{{0, 0}, {4000, 0}, {4000, 3000}};
  std::vector<ISRepObject*> made;
  for (const LineClass& c : kLineClasses) {
    SRegClassFunctions r{};
    ASSERT_EQ(SGetSymClassFunctions(c.clsid, &r), S_OK);
    ISRepObject* obj = nullptr;
    ASSERT_EQ(r.create(&obj, Session(), nullptr), S_OK) << g_symClasses[c.cls].name;
    ASSERT_NE(obj, nullptr);
    auto* line = dynamic_cast<SSymPolyBase*>(SRepObject::FromInterface(obj));
    ASSERT_NE(line, nullptr);
    {
      SCurrentContextChange outside(Session(), nullptr);
      line->SetListPt(pts, 0, 0, 0);
      line->ARState = 2;
    }
    made.push_back(obj);
  }
  kvtest::Reloaded reloaded;
  kvtest::ReloadInNewSession(std::vector<ISRepObject*>(made.begin(), made.end()), reloaded);
  ASSERT_EQ(reloaded.saved, S_OK);
  ASSERT_EQ(reloaded.loaded, S_OK);
  EXPECT_TRUE(reloaded.silent);
  const std::vector<ISRepObject*>& loaded = reloaded.objects;
  ASSERT_EQ(loaded.size(), made.size());
  for (size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(g_symClasses[kLineClasses[i].cls].name);
    CLSID a{}, b{};
    made[i]->GetCLSID(&a);
    loaded[i]->GetCLSID(&b);
    EXPECT_EQ(a, kLineClasses[i].clsid);
    EXPECT_EQ(b, a);
    auto* line = dynamic_cast<SSymPolyBase*>(SRepObject::FromInterface(loaded[i]));
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->ListPt.GetCount(), pts.GetCount());
    for (int k = 0; k < pts.GetCount(); ++k) EXPECT_EQ(line->ListPt[k], pts[k]);
    EXPECT_EQ(line->ARState, 2);
  }
  for (ISRepObject* o : made) o->Release();
}

}  // namespace
