// The host's model: its classes and collections, making objects (and
// refusing bad owners), relation ends, verbs, the model's reparenting
// service and the composite definition of processes.
#include <gtest/gtest.h>

#include "apps/symhost/model/hostmodelsyms.h"

namespace {

using namespace SHostId;

class HostModel : public ::testing::Test {
 protected:
  void SetUp() override {
    session = new SRepSession();
    session->AddRef();
    model = SHostNewModel(session, SString(u"M"));
    ASSERT_NE(nullptr, model);
  }
  void TearDown() override {
    model->Release();
    session->Release();
  }
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  SRepSession* session = nullptr;
  SHostPackage* model = nullptr;
};

TEST_F(HostModel, ObjectsLiveInTheirOwnersCollections) {
  SRepObject* sub = SHostAddPackage(Model(), SString(u"Sub"));
  SRepObject* e = SHostAddEntity(sub, SString(u"Customer"));
  SRepObject* a = SHostAddAttribute(e, SString(u"name"), SString(u"text"));
  SRepObject* p = SHostAddProcess(Model(), SString(u"Ordering"));
  SRepObject* l = SHostAddLane(Model(), SString(u"Sales"));
  struct Case {
    SRepObject* object;
    const CLSID* clsid;
    ISRepObject* owner;
    LONG collection;
  } cases[] = {{sub, &CLSID_SHostPackage, Model(), Packages}, {e, &CLSID_SHostEntity, sub, Entities},
               {a, &CLSID_SHostAttribute, e, Attributes},    {p, &CLSID_SHostProcess, Model(), Processes},
               {l, &CLSID_SHostLane, Model(), Lanes}};
  for (const Case& c : cases) {
    ASSERT_NE(nullptr, c.object);
    EXPECT_TRUE(SRepIsKindOf(c.object, *c.clsid));
    EXPECT_EQ(0, SRepClassColPtr(c.owner, c.collection).GetPos(c.object));
    // Every object's model is the top package.
    ISRepObject* top = nullptr;
    ASSERT_EQ(S_OK, c.object->GetModel(&top));
    EXPECT_TRUE(SRepAreSameObjects(top, Model()));
    top->Release();
  }
  SRepVariant type;
  ASSERT_EQ(S_OK, a->GetAttribute(DataType, &type));
  EXPECT_EQ(SString(u"text"), type.GetSTRING());
  EXPECT_EQ(SString(u"Customer"), SHostNameOf(e));
  // Processes and lanes reference entities; the steps are found by class.
  ASSERT_EQ(S_OK, p->Collection(Steps)->Insert(e, -1));
  ISRepClassCol* steps = nullptr;
  ASSERT_EQ(S_OK, SRepGetClassCollection(p, CLSID_SHostEntity, &steps));
  EXPECT_EQ(Steps, steps->GetCollectionId());
  steps->Release();
  EXPECT_EQ(S_OK, l->Collection(Responsible)->Insert(e, -1));
}

TEST_F(HostModel, BadOwnersMakeNothing) {
  SRepObject* e = SHostAddEntity(Model(), SString(u"E"));
  SRepObject* gone = SHostAddEntity(Model(), SString(u"Gone"));
  ASSERT_EQ(S_OK, gone->Delete());
  EXPECT_EQ(nullptr, SHostAddEntity(nullptr, SString(u"x")));
  EXPECT_EQ(nullptr, SHostAddEntity(e, SString(u"x")));  // an entity holds no entities
  EXPECT_EQ(nullptr, SHostAddAttribute(Model(), SString(u"x"), SString()));
  EXPECT_EQ(nullptr, SHostAddAttribute(gone, SString(u"x"), SString()));
  EXPECT_EQ(nullptr, SHostAddRelation(Model(), SString(u"r"), e, nullptr));
  EXPECT_EQ(nullptr, SHostAddRelation(Model(), SString(u"r"), e, Model()));
  EXPECT_EQ(SString(), SHostNameOf(nullptr));
  EXPECT_EQ(1, SRepClassColPtr(Model(), Entities).GetCount());
}

TEST_F(HostModel, RelationsAreLinkObjectsWithSingleEnds) {
  SRepObject* a = SHostAddEntity(Model(), SString(u"A"));
  SRepObject* b = SHostAddEntity(Model(), SString(u"B"));
  SRepObject* r = SHostAddRelation(Model(), SString(u"owns"), a, b);
  ASSERT_NE(nullptr, r);
  EXPECT_TRUE(SHostIsLinkObject(r));
  EXPECT_FALSE(SHostIsLinkObject(a));
  EXPECT_FALSE(SHostIsLinkObject(nullptr));
  EXPECT_EQ(static_cast<ISRepObject*>(a), SHostLinkEnd(r, 0));
  EXPECT_EQ(static_cast<ISRepObject*>(b), SHostLinkEnd(r, 1));
  for (int bad : {-1, 2}) EXPECT_EQ(nullptr, SHostLinkEnd(r, bad));
  EXPECT_EQ(nullptr, SHostLinkEnd(a, 0));
  // Each end holds one entity; the entity lists the relations ending on it.
  EXPECT_EQ(E_INVALIDARG, r->Collection(SecondEnd)->Insert(a, -1));
  EXPECT_EQ(0, SRepClassColPtr(b, SecondEnd ^ SRepReverseBit).GetPos(r));
  ISRepClassColDef* def = nullptr;
  ASSERT_EQ(S_OK, r->Collection(FirstEnd)->GetCollectionDef(&def));
  EXPECT_TRUE(def->IsPrimarySide());
  EXPECT_EQ(SRepCol_Single, def->GetDefFlags() & SRepCol_Single);
}

TEST_F(HostModel, ModelObjectsOfferThePropertiesVerb) {
  SRepObject* e = SHostAddEntity(Model(), SString(u"E"));
  for (ISRepObject* o : {static_cast<ISRepObject*>(e), Model()}) {
    SComWrap<ISVerbSource> verbs(o);
    ASSERT_FALSE(verbs.IsNull());
    EXPECT_EQ(1, verbs->EnumVerbs());
    EXPECT_EQ(S_OK, verbs->DoVerb(SHostVerbProperties, nullptr, nullptr, nullptr));
    EXPECT_EQ(SHOST_E_INVALIDVERB, verbs->DoVerb(7, nullptr, nullptr, nullptr));
    EXPECT_EQ(SHOST_E_INVALIDVERB, verbs->DoVerb(-1, nullptr, nullptr, nullptr));
  }
  EXPECT_EQ(1, static_cast<SHostObject*>(e)->m_nOpened);
  EXPECT_EQ(1, model->m_nOpened);
  SComWrap<ISVerbSource> verbs(static_cast<ISRepObject*>(e));
  ASSERT_EQ(S_OK, e->Delete());
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, verbs->DoVerb(SHostVerbProperties, nullptr, nullptr, nullptr));
}

TEST_F(HostModel, TheModelHearsOfMovedObjects) {
  SRepObject* sub = SHostAddPackage(Model(), SString(u"Sub"));
  SRepObject* e = SHostAddEntity(Model(), SString(u"E"));
  // Moved into the sub-package by the caller, then reported.
  ASSERT_EQ(S_OK, SRepClassColPtr(Model(), Entities)->Remove(0));
  ASSERT_EQ(S_OK, sub->Collection(Entities)->Insert(e, -1));
  SComWrap<ISRepModelServiceProvider, &IID_ISRepModelServiceProvider> svc(Model());
  ASSERT_FALSE(svc.IsNull());
  ISRepObject* moved[] = {e};
  EXPECT_EQ(S_OK, svc->ObjectsReparented(moved, 1, 1));
  EXPECT_EQ(1, model->GetReparentedCount());
}

TEST(HostProcess, CompositeDefinitionNamesTheSteps) {
  const SSymCompDef& def = SHostProcessCompDef();
  EXPECT_EQ(Steps, def.GetCollForType(SHostBox::Rect));
  EXPECT_EQ(0, def.GetCollForType(12));
  EXPECT_EQ(0, def.GetCollForType(-1));
  EXPECT_EQ(Steps, def.GetSubObjColl());
  EXPECT_TRUE(def.nFlags & SSymCompDef::CompAdjustChildRect);
  ASSERT_EQ(1u, def.tabChildClasses.size());
  SSymCompDef empty;
  EXPECT_EQ(0x02000023, empty.GetSubObjColl());
}

}  // namespace
