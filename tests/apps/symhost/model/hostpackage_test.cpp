// The host's package composite over the host's model: completion through the
// diagram's operations (children made, moved in and laid out, links inside
// or left at the top), membership in both modes with the model following,
// the child test's refusals, transforms that keep the children enclosed,
// bad input refused with nothing changed, and the package on the model
// picture.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/model/hostpackagesym.h"
#include "apps/symhost/model/modelsheet.h"
#include "apps/symhost/samplediagram.h"
#include "support/temp_files.h"
#include "sym/composite/symswimpool.h"
#include "sym/symbol/symintflink.h"
#include "win/winreg.h"

namespace {

using namespace SHostId;

SSymRect RectOf(ISSymbol* s) {
  SSymRect r = s->GetClipRect(0, 0);
  r.Normalize();
  return r;
}

bool Encloses(const SSymRect& outer, const SSymRect& inner) {
  return outer.x1 <= inner.x1 && inner.x2 <= outer.x2 && outer.y2 <= inner.y2 && inner.y1 <= outer.y1;
}

// The object a symbol is bound to (not counted), or null.
ISRepObject* Shown(ISSymbol* s) { return s ? SHostBoundObject(SSymBase::FromInterface(s)->Obj()) : nullptr; }

bool InCollection(ISRepObject* owner, LONG id, ISRepObject* member) {
  SRepClassColPtr col(owner, id);
  return col.GetPos(member) >= 0;
}

class HostPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    KvRegReset();
    view = holder.Model();
    ASSERT_NE(nullptr, view);
    model = SHostNewModel(holder.Session(), SString(u"M"));
    pkg = SHostAddPackage(Model(), SString(u"Shipping"));
    a = SHostAddEntity(pkg, SString(u"A"));
    b = SHostAddEntity(pkg, SString(u"B"));
    SHostAddAttribute(a, SString(u"id"), SString(u"integer"));
    rel = SHostAddRelation(pkg, SString(u"ships"), a, b);
    outside = SHostAddEntity(Model(), SString(u"Outside"));
    comp = NewPackage(pkg, 0, 0);
    ASSERT_NE(nullptr, comp);
  }
  void TearDown() override {
    model->Release();
    KvRegReset();
  }
  ISRepObject* Model() { return static_cast<ISRepObjectBase*>(model); }
  // A package symbol in the diagram (the holder draws it and lets go of it).
  SHostPackageSym* NewPackage(ISRepObject* package, LONG x, LONG y) {
    ISSymbol* s = view->CreateSymbolForObject(package, x, y, 1);
    if (!s) return nullptr;
    holder.Track(s);
    return dynamic_cast<SHostPackageSym*>(SSymBase::FromInterface(s));
  }
  ISSymbol* Entity(ISRepObject* e, LONG x, LONG y) {
    ISSymbol* s = view->CreateSymbolForObject(e, x, y, 1);
    holder.Track(s);
    return s;
  }
  std::vector<ISSymbol*> Children(SHostPackageSym* c) {
    SComTable<ISSymbol> t;
    c->Comp()->GetAllChildren(t, 0);
    std::vector<ISSymbol*> out;
    for (int i = 0; i < t.GetCount(); ++i) out.push_back(t.GetAt(i));
    return out;
  }

  SHostDiagram holder;
  SHostModelDiagram* view = nullptr;
  SHostPackage* model = nullptr;
  SRepObject *pkg = nullptr, *a = nullptr, *b = nullptr, *rel = nullptr, *outside = nullptr;
  SHostPackageSym* comp = nullptr;
};

// Completion makes the entities' symbols through the diagram, takes them
// out of the diagram's top level, lays them out in a row below the title
// from the upper left corner inward, draws the relation between them
// inside, and grows the package around them; a second completion adds nothing.
TEST_F(HostPackage, CompletionMakesLaysOutAndEnclosesTheChildren) {
  const SSymRect before = RectOf(comp->Sym());
  ASSERT_EQ(S_OK, comp->Comp()->CompleteAllChildrenSym(1));
  ISSymbol* sa = comp->Comp()->FindChildSymbol(a);
  ISSymbol* sb = comp->Comp()->FindChildSymbol(b);
  ISSymbol* link = comp->Comp()->FindChildSymbol(rel);
  ASSERT_NE(nullptr, sa);
  ASSERT_NE(nullptr, sb);
  ASSERT_NE(nullptr, link) << "both ends are children: the link is inside";
  EXPECT_EQ(3u, Children(comp).size());
  for (ISSymbol* s : {sa, sb, link}) {
    EXPECT_FALSE(view->Contains(s, 0));
    EXPECT_TRUE(view->Contains(s, 1));
    EXPECT_EQ(s, view->FindSymbolOfObject(Shown(s), 0));
  }
  // A row: the first at the inset below the title, the second 300 to its right.
  const LONG inset = 150 + 600;
  EXPECT_EQ(before.x1 + inset, RectOf(sa).x1);
  EXPECT_EQ(before.y1 - 150 - comp->GetTitleHeight() - 600, RectOf(sa).y1);
  EXPECT_EQ(RectOf(sa).y1, RectOf(sb).y1);
  EXPECT_EQ(RectOf(sa).x2 + 301, RectOf(sb).x1);
  const SSymRect grown = RectOf(comp->Sym());
  EXPECT_TRUE(Encloses(grown, RectOf(sa)) && Encloses(grown, RectOf(sb)));
  EXPECT_EQ(before.x1, grown.x1);
  EXPECT_EQ(before.y1, grown.y1);
  EXPECT_EQ(1, comp->Comp()->HasAllChildrenSym(1));

  ASSERT_EQ(S_OK, comp->Comp()->CompleteAllChildrenSym(1));
  EXPECT_EQ(3u, Children(comp).size());
  EXPECT_EQ(grown, RectOf(comp->Sym()));
  EXPECT_EQ(sa, comp->Comp()->FindChildSymbol(a));
}

// A relation with one end outside the package is drawn at the top level.
TEST_F(HostPackage, ALinkToAnEndOutsideStaysAtTheTop) {
  Entity(outside, 60000, 0);
  SRepObject* cross = SHostAddRelation(pkg, SString(u"crosses"), a, outside);
  comp->Comp()->CompleteAllChildrenSym(1);
  ISSymbol* link = view->FindSymbolOfObject(cross, 0);
  ASSERT_NE(nullptr, link);
  holder.Track(link);
  EXPECT_TRUE(view->Contains(link, 0));
  EXPECT_EQ(nullptr, comp->Comp()->FindChildSymbol(cross));
  EXPECT_EQ(0, comp->Comp()->HasAllChildrenSym(0)) << "a relation of the package is not inside";
}

// Add in parent mode moves the entity under the package and stamps its
// date once; adding it again changes nothing in the model.
TEST_F(HostPackage, AddMovesTheObjectUnderThePackageOnce) {
  ISSymbol* s = Entity(outside, 60000, 0);
  ASSERT_TRUE(InCollection(Model(), Entities, outside));
  ASSERT_EQ(S_OK, comp->Comp()->Add(s));
  EXPECT_FALSE(view->Contains(s, 0));
  EXPECT_TRUE(comp->Comp()->Contains(s, 0));
  EXPECT_FALSE(InCollection(Model(), Entities, outside));
  EXPECT_TRUE(InCollection(pkg, Entities, outside));
  SComOut<ISRepObject> parent;
  ASSERT_EQ(S_OK, outside->GetParent(&parent));
  EXPECT_TRUE(SRepAreSameObjects(parent.Get(), pkg));
  SRepVariant date;
  ASSERT_EQ(S_OK, outside->GetAttribute(ModificationDate, &date));
  EXPECT_NE(0, date.GetDATE());
  EXPECT_EQ(1, dynamic_cast<SHostEntitySym*>(SSymBase::FromInterface(s))->m_nAttached);
  EXPECT_TRUE(Encloses(RectOf(comp->Sym()), RectOf(s))) << "the package grew around its new child";

  SRepVariant never;
  never.SetDATE(0);
  ASSERT_EQ(S_OK, outside->SetAttribute(ModificationDate, never));
  const LONG entities = SRepClassColPtr(pkg, Entities).GetCount();
  ASSERT_EQ(S_OK, comp->Comp()->Add(s));
  EXPECT_EQ(entities, SRepClassColPtr(pkg, Entities).GetCount());
  outside->GetAttribute(ModificationDate, &date);
  EXPECT_EQ(0, date.GetDATE()) << "nothing changed: no new date";
}

// Add as one user step: undone, the symbol is back at the diagram's top
// level and the entity back under the model, its parent restored.
TEST_F(HostPackage, AddIsUndoneWhole) {
  ISSymbol* s = Entity(outside, 60000, 0);
  {
    SRepCreateContext step(holder.Session());
    ASSERT_EQ(S_OK, comp->Comp()->Add(s));
  }
  ASSERT_TRUE(InCollection(pkg, Entities, outside));
  ASSERT_EQ(S_OK, holder.Session()->Undo());
  EXPECT_TRUE(view->Contains(s, 0));
  EXPECT_FALSE(comp->Comp()->Contains(s, 0));
  EXPECT_TRUE(InCollection(Model(), Entities, outside));
  EXPECT_FALSE(InCollection(pkg, Entities, outside));
  SComOut<ISRepObject> parent;
  ASSERT_EQ(S_OK, outside->GetParent(&parent));
  EXPECT_TRUE(SRepAreSameObjects(parent.Get(), Model()));
  ASSERT_EQ(S_OK, holder.Session()->Redo());
  EXPECT_TRUE(comp->Comp()->Contains(s, 0));
  EXPECT_TRUE(InCollection(pkg, Entities, outside));
}

// Add in direct mode: a process's steps are a reference; the entity joins
// the collection and stays where the model keeps it.
TEST_F(HostPackage, AddInDirectModeJoinsTheCollection) {
  static const SSymCompDef def = [] {
    SSymCompDef d = SHostProcessCompDef();
    return d;
  }();
  SRepObject* process = SHostAddProcess(Model(), SString(u"Ship"));
  auto* ps = new SHostPackageSym(holder.Session(), SSymRect(0, -20000, 9000, -30000), &def);
  ps->AddRef();
  ps->SetSession(holder.Session());
  ASSERT_TRUE(SHostBind(ps->Obj(), process));
  view->Add(ps->Sym());
  holder.Track(ps->Sym());
  ps->Release();
  ISSymbol* s = Entity(outside, 60000, 0);
  ASSERT_EQ(S_OK, ps->Comp()->Add(s));
  EXPECT_TRUE(InCollection(process, Steps, outside));
  EXPECT_TRUE(InCollection(Model(), Entities, outside)) << "a step keeps its package";
  ASSERT_EQ(S_OK, ps->Comp()->Add(s));
  EXPECT_EQ(1, SRepClassColPtr(process, Steps).GetCount());
}

// The child test refuses a symbol already inside, the composite's own
// model object and its ancestors, replicas either way, and objects whose
// symbol class the package does not take; it takes an entity from outside.
TEST_F(HostPackage, CanAddAsChildRefusals) {
  comp->Comp()->CompleteAllChildrenSym(1);
  ISSymbol* sa = comp->Comp()->FindChildSymbol(a);
  SRepObject* copy = SHostAddEntity(Model(), SString(u"Copy"));
  SRepObject* source = SHostAddEntity(Model(), SString(u"Source"));
  ASSERT_EQ(S_OK, copy->SetReplicationSource(pkg));
  ASSERT_EQ(S_OK, pkg->SetReplicationSource(source));
  ISSymbol* so = Entity(outside, 60000, 0);
  struct Case {
    const char* name;
    ISRepObject* candidate;
    LONG collection;
    int expected;
  } cases[] = {
      {"an entity from outside", outside, -1, 1},
      {"its symbol", SSymBase::FromInterface(so)->Obj(), -1, 1},
      {"a listed collection", outside, Relations, 1},
      {"a collection the class does not keep children in", outside, Attributes, 0},
      {"a child already", SSymBase::FromInterface(sa)->Obj(), -1, 0},
      {"its own model object", pkg, -1, 0},
      {"the package's replica", copy, -1, 0},
      {"what the package replicates", source, -1, 0},
      {"an attribute: no symbol class taken", SHostAddAttribute(a, SString(u"x"), SString()), -1, 0},
      {"a package: no symbol class taken", SHostAddPackage(Model(), SString(u"Other")), -1, 0},
      {"null", nullptr, -1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, comp->Comp()->CanAddAsChild(c.candidate, c.collection, SString())) << c.name;
}

// Bad input: the package itself, a package that holds this one, a deleted
// symbol and a composite without a definition are refused with nothing changed.
TEST_F(HostPackage, BadInputIsRefusedWithNothingChanged) {
  SRepObject* inner = SHostAddPackage(pkg, SString(u"Inner"));
  SHostPackageSym* innerSym = NewPackage(inner, 0, -40000);
  ASSERT_EQ(S_OK, comp->Comp()->Add(innerSym->Sym()));
  ASSERT_TRUE(comp->Comp()->Contains(innerSym->Sym(), 0));
  EXPECT_EQ(S_FALSE, comp->Comp()->Add(comp->Sym()));
  EXPECT_EQ(E_INVALIDARG, innerSym->Comp()->Add(comp->Sym())) << "its own child";
  EXPECT_TRUE(view->Contains(comp->Sym(), 0));
  EXPECT_FALSE(innerSym->Comp()->Contains(comp->Sym(), 1));
  EXPECT_EQ(0, innerSym->Comp()->CanAddAsChild(SSymBase::FromInterface(comp->Sym())->Obj(), -1, SString()));

  ISSymbol* s = Entity(outside, 60000, 0);
  SComWrap<ISSymbol> hold(s);
  ASSERT_EQ(S_OK, SSymBase::FromInterface(s)->Delete());
  EXPECT_EQ(CO_E_OBJNOTCONNECTED, comp->Comp()->Add(s)) << "a deleted symbol";
  EXPECT_FALSE(comp->Comp()->Contains(s, 0));
  EXPECT_TRUE(InCollection(Model(), Entities, outside));

  // The children of a deleted package: none is made.
  SRepObject* gone = SHostAddPackage(Model(), SString(u"Gone"));
  SHostAddEntity(gone, SString(u"Lost"));
  SHostPackageSym* goneSym = NewPackage(gone, 0, -80000);
  const int before = view->GetCount();
  ASSERT_EQ(S_OK, gone->Delete());
  EXPECT_NE(S_OK, goneSym->Comp()->CompleteAllChildrenSym(1));
  EXPECT_EQ(before, view->GetCount());
  EXPECT_EQ(0u, Children(goneSym).size());

  // Without a definition: every operation that needs one refuses.
  auto* bare = new SHostPackageSym(holder.Session(), SSymRect(0, -60000, 9000, -69000), nullptr);
  bare->AddRef();
  bare->SetSession(holder.Session());
  ASSERT_TRUE(SHostBind(bare->Obj(), pkg));
  view->Add(bare->Sym());
  holder.Track(bare->Sym());
  bare->Release();
  ISSymbol* sb = Entity(b, 60000, -20000);
  EXPECT_EQ(E_UNEXPECTED, bare->Comp()->Add(sb));
  EXPECT_EQ(E_UNEXPECTED, bare->Comp()->CompleteAllChildrenSym(1));
  EXPECT_EQ(0, bare->Comp()->CanAddAsChild(b, -1, SString()));
  EXPECT_TRUE(view->Contains(sb, 0));
  EXPECT_TRUE(InCollection(pkg, Entities, b));
}

// Moving the package moves its children; shrinking it past them keeps
// them enclosed (they are transformed with it and it grows back around them).
TEST_F(HostPackage, MovesAndTransformsKeepTheChildrenEnclosed) {
  comp->Comp()->CompleteAllChildrenSym(1);
  ISSymbol* sa = comp->Comp()->FindChildSymbol(a);
  const SSymRect childBefore = RectOf(sa);
  ASSERT_EQ(S_OK, comp->MoveBy(SSymSize(1200, -2400), 0));
  SSymRect moved = childBefore;
  moved.OffsetRect(1200, -2400);
  EXPECT_EQ(moved, RectOf(sa));
  EXPECT_TRUE(Encloses(RectOf(comp->Sym()), RectOf(sa)));

  const SSymRect box = RectOf(comp->Sym());
  SSymMatrix shrink;
  shrink.SetTransform(box, SSymRect(box.x1, box.y1, box.x1 + 1000, box.y1 - 1000));
  ASSERT_EQ(S_OK, comp->Sym()->Transform(shrink, 0));
  for (ISSymbol* s : Children(comp))
    if (SComWrap<ISSymLink>(s).IsNull()) {
      EXPECT_TRUE(Encloses(RectOf(comp->Sym()), RectOf(s)));
    }
}

// The model picture holds the package "Shipping" with its two entities and
// the relation between them inside, and the files show their words.
TEST(HostModelSheetPackage, ThePictureHoldsAPackageOfEntitiesAndARelation) {
  KvRegReset();
  SHostDiagram sheet;
  const std::vector<ISSymbol*> made = SBuildModelSheet(sheet);
  SHostPackageSym* package = nullptr;
  for (ISSymbol* s : made)
    if (auto* p = dynamic_cast<SHostPackageSym*>(SSymBase::FromInterface(s))) package = p;
  ASSERT_NE(nullptr, package);
  int entities = 0, links = 0;
  SComTable<ISSymbol> children;
  package->Comp()->GetAllChildren(children, 0);
  for (int i = 0; i < children.GetCount(); ++i) {
    SSymBase* c = SSymBase::FromInterface(children.GetAt(i));
    entities += dynamic_cast<SHostEntitySym*>(c) ? 1 : 0;
    links += dynamic_cast<SHostRelationLink*>(c) ? 1 : 0;
    EXPECT_TRUE(Encloses(RectOf(package->Sym()), RectOf(children.GetAt(i))));
  }
  EXPECT_EQ(2, entities);
  EXPECT_EQ(1, links);
  // Below the rest of the picture, but for the swimlane pool under it.
  for (ISSymbol* s : made)
    if (s != package->Sym() && s->GetSymbolType() != SSymSwimLane::TypeCode) {
      EXPECT_LT(RectOf(package->Sym()).y1, RectOf(s).y2);
    }

  kvtest::TempDir dir;
  std::vector<SHostExportedFile> written;
  std::string error;
  ASSERT_EQ(S_OK, SHostExportDiagram(sheet, dir.path.string(), "model", written, error)) << error;
  std::ifstream in(dir.path / "model.svg");
  const std::string svg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* word : {"Shipping", "Shipment", "Carrier", "carried by"})
    EXPECT_NE(svg.find(word), std::string::npos) << word;
  KvRegReset();
}

}  // namespace
