// Attaching the host's symbols to the host's lanes through the diagram: an
// entity symbol is one of a lane's responsibilities, not a symbol that
// belongs inside it, so attachment by position leaves it alone; it leaves
// its lane for the diagram with its object still the lane's; the lanes'
// contents are editable while the entities' are not.
#include <gtest/gtest.h>

#include "tests/apps/symhost/model/hostlanes_fixture.h"
#include "apps/symhost/model/hostlane.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/samplediagram.h"
#include "sym/composite/symswimcoln.h"
#include "sym/composite/symswimpool.h"
#include "win/winreg.h"

namespace {

class HostAttach : public HostLanesTest {
 protected:
  void SetUp() override {
    HostLanesTest::SetUp();
    if (HasFatalFailure()) return;
    for (const char16_t* name : {u"Order", u"Invoice"})
      entities.push_back(SHostAddEntity(Model(), SString(name)));
    for (int i = 0; i < 2; ++i)
      ASSERT_NE(nullptr, NewLane(SString(i == 0 ? u"Sales" : u"Billing"), SSymRect(20000 * i, 30000, 20000 * (i + 1), 0)));
  }
  // The entity's symbol in the diagram, its centre on (x, y).
  ISSymbol* EntityAt(SRepObject* e, LONG x, LONG y) {
    ISSymbol* s = diagram->CreateSymbolForObject(e, x, y, 1);
    holder.Track(s);
    const SSymRect r = s->GetClipRect(0, 0).Normalize();
    s->MoveBy(SSymSize(x - (r.x1 + r.x2) / 2, y - (r.y1 + r.y2) / 2), 0);
    return s;
  }
  static bool Owns(ISSymbol* owner, ISSymbol* s) {
    SComOut<ISSymOwner> o;
    return s->GetOwner(&o) == S_OK && o && SRepAreSameObjects(o.Get(), owner);
  }

  std::vector<SRepObject*> entities;
};

TEST_F(HostAttach, AnEntityIsNoSymbolThatBelongsInsideALane) {
  // An entity joins a lane as one of its responsibilities (the lane's own
  // Add); attachment by position takes only symbols that belong inside.
  SHostLaneSym* billing = lanes[1];
  const SSymRect r = billing->GetClipRect(0, 0).Normalize();
  ISSymbol* e = EntityAt(entities[1], (r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2 - 3000);
  ASSERT_TRUE(billing->Comp()->CanAddAsChild(SComWrap<ISRepObject, &IID_ISRepObject>(e).Get(), -1, SString()));
  EXPECT_EQ(diagram->AttachToComposite(e), nullptr);
  EXPECT_GE(diagram->GetPos(e), 0);
  ASSERT_EQ(billing->Comp()->Add(e), S_OK);
  // Taken out again, it is the diagram's and the lane stays responsible.
  EXPECT_EQ(diagram->DetachFromComposite(e), billing->Sym());
  EXPECT_GE(diagram->GetPos(e), 0);
  EXPECT_FALSE(Owns(billing->Sym(), e));
  SRepClassColPtr responsible(SHostBoundObject(billing->Obj()), SHostId::Responsible);
  EXPECT_GE(responsible.GetPos(entities[1]), 0);
}

TEST_F(HostAttach, AnEntityOutsideThePoolStaysWhereItIs) {
  ISSymbol* e = EntityAt(entities[0], 100000, 100000);
  EXPECT_EQ(diagram->AttachToComposite(e), nullptr);
  EXPECT_GE(diagram->GetPos(e), 0);
}

TEST_F(HostAttach, LanesAreEditableEntitiesNot) {
  ISSymbol* e = EntityAt(entities[0], 100000, 100000);
  EXPECT_EQ(diagram->IsSymEditable(lanes[0]->Sym(), SHostBoundObject(lanes[0]->Obj())), 1);
  EXPECT_EQ(diagram->IsSymEditable(e, entities[0]), 0);
  // The host's lanes and pools may be attached to its diagrams.
  EXPECT_TRUE(diagram->CanAttachSymbol(lanes[0]->GetPoolSym()));
}
}  // namespace
