// The six line and link classes as the repository knows them: registry
// flags, pools and class functions (none for the two link bases), each
// class made by its class function, written in the repository's data format
// and read back alike, and the line attributes every class answers for.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "sym/foundation/sympropmap.h"
#include "sym/links/symlinksym.h"
#include "sym/links/sympolygon.h"
#include "sym/links/sympolyline.h"
#include "support/link_fixture.h"
#include "support/symtest.h"
#include "support/reload.h"

namespace {

struct LineClass {
  int cls;
  CLSID clsid;
  int registryFlag;
  int poolBlocks;  // 0: no pool of its own
  bool created;    // the repository makes it through its class function
};

const LineClass kLineClasses[] = {
    {SYMCLS_SSymPolyBase, CLSID_SSymPolyBase, 0, 10, true},
    {SYMCLS_SSymPolygon, CLSID_SSymPolygon, 1, 10, true},
    {SYMCLS_SSymPolyline, CLSID_SSymPolyline, 1, 10, true},
    {SYMCLS_SSymLinkBase, CLSID_SSymLinkBase, 0, 0, false},
    {SYMCLS_SSymLinkStd, CLSID_SSymLinkStd, 0, 0, false},
    {SYMCLS_SSymLinkSym, CLSID_SSymLinkSym, 1, 10, true},
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
    EXPECT_EQ(r.create != nullptr, c.created);
    EXPECT_EQ(r.attrEditorMap, SSymGetAttrEditorMap(c.cls));
  }
  EXPECT_TRUE(SSymCheckClassBindings().empty());
}

// An object of the class on the session: by its class function, the two
// link bases as their concrete test classes.
ISRepObject* MakeOf(const LineClass& c, ISRepSession* session) {
  SRegClassFunctions r{};
  EXPECT_EQ(SGetSymClassFunctions(c.clsid, &r), S_OK);
  SRegClassFunctions::CreateFn create = r.create;
  if (c.cls == SYMCLS_SSymLinkBase) create = &SSymCreateStd<TLinkBase>;
  if (c.cls == SYMCLS_SSymLinkStd) create = &SSymCreateStd<TLinkStd>;
  ISRepObject* obj = nullptr;
  EXPECT_EQ(create ? create(&obj, session, nullptr) : E_NOTIMPL, S_OK) << g_symClasses[c.cls].name;
  return obj;
}

class LineClassStream : public SymFixture {};

TEST_F(LineClassStream, EachClassMadeByItsClassFunctionReadsBackAlike) {
  const SSymListPt pts{{0, 0}, {4000, 0}, {4000, 3000}};
  std::vector<ISRepObject*> made;
  std::vector<const LineClass*> classes;
  for (const LineClass& c : kLineClasses) {
    if (!c.created) continue;
    ISRepObject* obj = MakeOf(c, Session());
    ASSERT_NE(obj, nullptr);
    classes.push_back(&c);
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
    SCOPED_TRACE(g_symClasses[classes[i]->cls].name);
    CLSID a{}, b{};
    made[i]->GetCLSID(&a);
    loaded[i]->GetCLSID(&b);
    EXPECT_EQ(a, classes[i]->clsid);
    EXPECT_EQ(b, a);
    auto* line = dynamic_cast<SSymPolyBase*>(SRepObject::FromInterface(loaded[i]));
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->ListPt.GetCount(), pts.GetCount());
    for (int k = 0; k < pts.GetCount(); ++k) EXPECT_EQ(line->ListPt[k], pts[k]);
    EXPECT_EQ(line->ARState, 2);
  }
  for (ISRepObject* o : made) o->Release();
}

// Every line answers for its points, corner style, arrowheads, routing state
// and label widths; the link position and size, which repeat the base
// symbol's position and size, and the position and size themselves are not
// its attributes.
class LineClassAttributes : public SymFixture {};

TEST_F(LineClassAttributes, EveryLineClassAnswersForTheLineAttributes) {
  const struct {
    LONG id;
    HRESULT has;
  } kAttributes[] = {
      {SymAttr::ListPt, S_OK},        {SymAttr::LineStyle, S_OK},   {SymAttr::Arrows, S_OK},
      {SymAttr::ARState, S_OK},       {SymAttr::IsARSupported, S_OK}, {SymAttr::CtrTxtWidth, S_OK},
      {SymAttr::SrcTxtWidth, S_OK},   {SymAttr::DstTxtWidth, S_OK}, {SymAttr::LnkPos, S_FALSE},
      {SymAttr::LnkSize, S_FALSE},    {SymAttr::Pos, S_FALSE},      {SymAttr::Size, S_FALSE},
      {SymAttr::ClipRect, S_OK},      {0x02010019, S_OK},  // the pen's colour
      {0x0777ABCD, S_FALSE},
  };
  for (const LineClass& c : kLineClasses) {
    SCOPED_TRACE(g_symClasses[c.cls].name);
    ISRepObject* obj = MakeOf(c, Session());
    ASSERT_NE(obj, nullptr);
    for (const auto& a : kAttributes) EXPECT_EQ(obj->HasAttribute(a.id), a.has) << std::hex << a.id;
    obj->Release();
  }
}

}  // namespace
