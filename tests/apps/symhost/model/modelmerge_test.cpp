// The host's merge of another session's entities into the model diagram:
// new entities, attributes and relations in the target package, copies of
// the symbols placed as one selected block on the target, ends taken by
// their places in the source, one undo step, and sources the host refuses
// whole (deleted objects, another session's objects).
#include <gtest/gtest.h>

#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/modelmerge.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "kvrep/srepsession.h"
#include "sym/composite/symswimcoln.h"
#include "win/winreg.h"

namespace {

using namespace SHostId;
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

ISRepObject* ObjOf(SRepObject* o) { return static_cast<ISRepObjectBase*>(o); }

// The names of the objects of a package's collection, in order.
std::vector<SString> Names(ISRepObject* package, LONG id) {
  std::vector<SString> out;
  SRepObjIterator it(package, id);
  while (ISRepObject* o = it.Next())
    if (!o->IsDeleted()) out.push_back(SHostNameOf(o));
  return out;
}

ISRepObject* Shown(ISSymbol* s) {
  SComWrap<ISSymObject> so(s);
  if (so.IsNull()) return nullptr;
  SComOut<ISRepObject> o;
  so->GetModelObject(&o);
  return o.Get();
}

class HostMerge : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    model = SHostNewModel(holder.Session(), SString(u"Orders"));
    source = new SRepSession();
    source->AddRef();
    other = SHostNewModel(source, SString(u"Suppliers"));
    sourceDiagram = SHostModelDiagram::Create(source);
    contract = SHostAddEntity(Other(), SString(u"Contract"));
    SHostAddAttribute(contract, SString(u"number"), SString(u"integer"));
    delivery = SHostAddEntity(Other(), SString(u"Delivery"));
    relation = SHostAddRelation(Other(), SString(u"schedules"), contract, delivery);
    a = sourceDiagram->CreateSymbolForObject(contract, 100000, 50000, 1);
    b = sourceDiagram->CreateSymbolForObject(delivery, 112000, 48200, 1);
    ASSERT_TRUE(a && b);
    dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(a))->CompleteLink(1);
    link = sourceDiagram->FindSymbolOfObject(relation, 0);
    ASSERT_NE(nullptr, link);
    root = new SRepRootObject();
    root->AddRef();
    root->SetSession(source);
    // The link first, then its ends, destination first.
    for (ISSymbol* s : {link, b, a}) root->OneSidedCollection(SRepRootCarried)->Insert(RepObjWrap(s).Get(), -1);
    edit = new SHostEditView(Model());
    edit->AddRef();
    edit->SetDiagram(holder.Model());
  }
  void TearDown() override {
    edit->SetDiagram(nullptr);
    edit->Release();
    root->Release();
    // Links and their ends hold each other: let go of the ends first.
    SComOut<ISRepClassCol> symbols;
    if (sourceDiagram->GetSymbols(&symbols) == S_OK && symbols) {
      SRepObjIterator it(symbols.Get());
      while (ISRepObject* o = it.Next())
        if (SComWrap<ISSymLink> l(o); !l.IsNull()) {
          l->DetachEnd(0);
          l->DetachEnd(1);
        }
    }
    sourceDiagram->Release();
    other->Release();
    source->Release();
    model->Release();
    KvRegReset();
  }
  ISRepObject* Model() { return ObjOf(model); }
  ISRepObject* Other() { return ObjOf(other); }
  ISRepObject* Root() { return ObjOf(root); }
  int TargetCount() { return holder.Model()->GetCount(); }

  SHostDiagram holder;
  SHostPackage* model = nullptr;
  SRepSession* source = nullptr;
  SHostPackage* other = nullptr;
  SHostModelDiagram* sourceDiagram = nullptr;
  SRepObject *contract = nullptr, *delivery = nullptr, *relation = nullptr;
  ISSymbol *a = nullptr, *b = nullptr, *link = nullptr;
  SRepRootObject* root = nullptr;
  SHostEditView* edit = nullptr;
};

TEST_F(HostMerge, EntitiesAndTheirRelationLandAsOneSelectedBlockOnTheTarget) {
  SSymRect target(0, 0, 30000, -10000);
  SHostModelMerge merge(edit, Root(), &target, source);
  {
    SRepCreateContext step(holder.Session());
    ASSERT_EQ(merge.MergeModel(1), 1);
  }
  EXPECT_FALSE(merge.HasLaidOut());  // every symbol has its place
  // Ends by their places in the source: Delivery was carried first.
  EXPECT_EQ(Names(Model(), Entities), (std::vector<SString>{SString(u"Delivery"), SString(u"Contract")}));
  EXPECT_EQ(Names(Model(), Relations), std::vector<SString>{SString(u"schedules")});
  ISRepObject* made = merge.GetMadeObjects()[1];
  EXPECT_EQ(Names(made, Attributes), std::vector<SString>{SString(u"number")});
  ISRepObject* rel = merge.GetMadeObjects()[2];
  EXPECT_TRUE(SRepAreSameObjects(SHostLinkEnd(rel, 0), made));  // from Contract, as in the source
  EXPECT_TRUE(SRepAreSameObjects(SHostLinkEnd(rel, 1), merge.GetMadeObjects()[0]));

  ASSERT_EQ(merge.GetMerged().size(), 3u);
  SSymSelection* sel = edit->GetSelection();
  EXPECT_EQ(sel->GetCount(), 3);
  EXPECT_EQ(TargetCount(), 3);
  const SSymRect block = sel->GetClipRect();
  // Centres are halved sums in integers: within one unit.
  EXPECT_NEAR((block.x1 + block.x2) / 2, 15000, 1);
  EXPECT_NEAR((block.y1 + block.y2) / 2, -5000, 1);
  // The copies keep the source's arrangement.
  const SSymRect ra = merge.GetMerged()[1]->GetClipRect(0, 0), rb = merge.GetMerged()[0]->GetClipRect(0, 0);
  const SSymRect sa = a->GetClipRect(0, 0), sb = b->GetClipRect(0, 0);
  EXPECT_EQ(rb.x1 - ra.x1, sb.x1 - sa.x1);
  EXPECT_EQ(rb.y1 - ra.y1, sb.y1 - sa.y1);
  // The link runs between the copies.
  SComWrap<ISSymLink> l(merge.GetMerged()[2]);
  ASSERT_FALSE(l.IsNull());
  SComOut<ISSymbol> from;
  l->GetAttachSym(0, &from);
  EXPECT_EQ(from.Get(), merge.GetMerged()[1]);

  // One step: undone whole.
  holder.Session()->Undo();
  EXPECT_TRUE(Names(Model(), Entities).empty());
  EXPECT_EQ(TargetCount(), 0);
}

TEST_F(HostMerge, ASourceHoldingADeletedObjectIsRefusedWhole) {
  struct Case {
    const char* name;
    bool symbol;  // the carried symbol, else the entity it shows
  } cases[] = {{"deleted entity", false}, {"deleted symbol", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    if (c.symbol)
      RepObjWrap(a)->Delete();
    else
      contract->Delete();
    SHostModelMerge merge(edit, Root(), nullptr, source);
    EXPECT_EQ(merge.MergeModel(1), 0);
    EXPECT_TRUE(Names(Model(), Entities).empty());
    EXPECT_TRUE(Names(Model(), Relations).empty());
    EXPECT_EQ(TargetCount(), 0);
    EXPECT_EQ(edit->GetSelection()->GetCount(), 0);
    // The refused source is emptied and what it carried deleted.
    EXPECT_EQ(root->OneSidedCollection(SRepRootCarried)->GetCount(), 0);
    EXPECT_TRUE(RepObjWrap(b)->IsDeleted());
  }
}

TEST_F(HostMerge, ObjectsOfAnotherSessionStopTheMergeBeforeAnythingIsMade) {
  SHostModelMerge merge(edit, Root(), nullptr, holder.Session());  // names the wrong source
  EXPECT_EQ(merge.MergeModel(0), 0);
  EXPECT_TRUE(Names(Model(), Entities).empty());
  EXPECT_EQ(TargetCount(), 0);
  EXPECT_FALSE(contract->IsDeleted());  // a stopped merge deletes nothing
}

TEST_F(HostMerge, EntitiesThatLandInALaneJoinIt) {
  SHostLaneSym* lane = SHostNewLaneSymbol(holder.Session(), SHostAddLane(Model(), SString(u"Purchasing")));
  ASSERT_NE(nullptr, lane);
  lane->PutRect(SSymRect(0, 30000, 60000, 0));
  lane->AddSymInSwim(holder.Model());
  SSymRect target(10000, 20000, 50000, 10000);
  {
    SHostModelMerge merge(edit, Root(), &target, source);
    ASSERT_EQ(merge.MergeModel(0), 1);
    SComTable<ISSymbol> children;
    lane->Comp()->GetAllChildren(children, 0);
    int entities = 0;
    for (int i = 0; i < children.GetCount(); ++i)
      entities += dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(children.GetAt(i))) ? 1 : 0;
    EXPECT_EQ(entities, 2);
    EXPECT_EQ(edit->GetSelection()->GetCount(), 3);  // still selected
    for (ISSymbol* s : merge.GetMerged()) holder.Track(s);  // the holder lets go of the links' ends
  }
  edit->GetSelection()->Clear(0);
  if (auto* line = SSymSwimColn::FromInterface(lane->GetColnSym())) line->ReleaseAll();
  lane->Release();
}

TEST_F(HostMerge, TheModelPictureShowsTheMergedBlockRightOfTheRest) {
  SHostDiagram sheet;
  const std::vector<ISSymbol*> made = SBuildModelSheet(sheet);
  std::vector<ISSymbol*> merged;
  LONG rightmostOther = 0;
  for (ISSymbol* s : made) {
    ISRepObject* o = Shown(s);
    if (!o) continue;  // headings and captions
    const SString name = SHostNameOf(o);
    const SSymRect r = s->GetClipRect(0, 0);
    if (name == SString(u"Contract") || name == SString(u"Delivery") || name == SString(u"schedules"))
      merged.push_back(s);
    else
      rightmostOther = std::max({rightmostOther, r.x1, r.x2});
  }
  ASSERT_EQ(merged.size(), 3u);
  for (ISSymbol* s : merged) EXPECT_GT(std::min(s->GetClipRect(0, 0).x1, s->GetClipRect(0, 0).x2), rightmostOther);
}

}  // namespace
