// The pending state of a lockout context, indexed per object and facet:
// facets answered in record order, records of other objects never asked,
// records that take in an object later, done records, and LockObject.
#include <memory>
#include <vector>

#include "support/repfixture.h"

namespace {

// A pending record that names the facets it is given and, when asked to
// overlay, appends its tag to a text value (and counts how often it was asked).
class TFacetRecord final : public SRepActionBase {
 public:
  explicit TFacetRecord(char tag) : m_tag(tag) {}
  HRESULT Execute() override { return S_OK; }
  void CollectFacets(SRepFacetSink& facets) override {
    for (auto& [obj, facet] : m_facets) facets.Add(obj, facet);
  }
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override {
    ++asked;
    value.SetTEXT(value.GetTEXT() + SString(std::string(1, m_tag).c_str()));
  }
  TFacetRecord* Names(ISRepObject* obj, SRepFacet facet) {
    m_facets.emplace_back(obj, facet);
    return this;
  }
  // Takes in one more object once handed to a context.
  void Grow(ISRepObject* obj, SRepFacet facet) {
    m_facets.emplace_back(obj, facet);
    FacetAdded(obj, facet);
  }
  mutable int asked = 0;

 private:
  char m_tag;
  std::vector<std::pair<ISRepObject*, SRepFacet>> m_facets;
};

constexpr SRepFacet kX = SRepFacet::Attribute(kColor), kY = SRepFacet::Attribute(kWidth);

std::string Overlaid(SRepContext* ctx, TNode* n, std::initializer_list<SRepFacet> facets) {
  SRepVariant v;
  v.SetTEXT(SString());
  ctx->OverlayPending(n, facets, v);
  return v.GetTEXT().ToUtf8();
}

using RepPending = RepTest;

TEST_F(RepPending, FacetsAnsweredInRecordOrderFromTheirOwnRecordsOnly) {
  SRepLockoutContext lock(session);
  auto* ctx = static_cast<SRepContext*>(lock.GetContext());
  std::vector<TFacetRecord*> r;
  auto add = [&](TFacetRecord* rec) {
    r.push_back(rec);
    ASSERT_EQ(S_OK, ctx->AddAction(SRepActionPtr(rec)));
  };
  add((new TFacetRecord('1'))->Names(a, kX));
  add((new TFacetRecord('2'))->Names(b, kX));
  add((new TFacetRecord('3'))->Names(a, kY)->Names(a, kX));  // two facets of a: laid once
  add((new TFacetRecord('4'))->Names(a, SRepFacet::Rect()));
  add((new TFacetRecord('5'))->Names(a, kX));

  EXPECT_EQ(Overlaid(ctx, a, {kX}), "135");
  EXPECT_EQ(Overlaid(ctx, a, {kY}), "3");
  EXPECT_EQ(Overlaid(ctx, a, {SRepFacet::Rect(), kX, kY}), "1345");
  EXPECT_EQ(Overlaid(ctx, a, {SRepFacet::Visibility()}), "");
  EXPECT_EQ(Overlaid(ctx, root, {kX}), "");
  EXPECT_EQ(r[1]->asked, 0) << "b's record is never asked for a";
  EXPECT_EQ(ctx->GetPendingPositions(a, kX), (std::vector<int>{0, 2, 4}));

  // A record that takes in b after it was added is filed at its own
  // position, before the later records of b.
  add((new TFacetRecord('6'))->Names(b, kX));
  r[0]->Grow(b, kX);
  r[0]->Grow(b, kX);  // once only
  EXPECT_EQ(Overlaid(ctx, b, {kX}), "126");
  EXPECT_EQ(ctx->GetPendingPositions(b, kX), (std::vector<int>{0, 1, 5}));
}

TEST_F(RepPending, AttributeReadsSeeTheirOwnPendingChangesInOrder) {
  a->m_color = 1;
  b->m_color = 2;
  {
    SRepLockoutContext lock(session);
    ASSERT_EQ(S_OK, a->SetAttribute(kColor, SRepVariant::Long(5)));
    ASSERT_EQ(S_OK, b->SetAttribute(kColor, SRepVariant::Long(6)));
    ASSERT_EQ(S_OK, a->SetAttribute(kColor, SRepVariant::Long(7)));
    EXPECT_EQ(Get(a, kColor), 7);  // the last pending change wins
    EXPECT_EQ(Get(b, kColor), 6);
    EXPECT_EQ(a->m_color, 1);
    auto* ctx = static_cast<SRepContext*>(lock.GetContext());
    EXPECT_EQ(ctx->GetPendingPositions(a, kX), (std::vector<int>{0, 2}));
    EXPECT_TRUE(ctx->IsObjectLocked(a));  // a pending record locks its object
    EXPECT_FALSE(ctx->IsObjectLocked(root));
    ASSERT_EQ(S_OK, lock.Apply());
    // Applied records are done: nothing is laid over the stored values any more.
    EXPECT_TRUE(ctx->GetPendingPositions(a, kX).empty());
    a->m_color = 9;
    EXPECT_EQ(Get(a, kColor), 9);
  }
  // Recording contexts keep the state before each change: nothing is pending.
  SRepCreateContext step(static_cast<ISRepSession*>(session));
  ASSERT_EQ(S_OK, a->SetAttribute(kColor, SRepVariant::Long(3)));
  EXPECT_TRUE(static_cast<SRepContext*>(step.GetContext())->GetPendingPositions(a, kX).empty());
  EXPECT_EQ(Get(a, kColor), 3);
}

TEST_F(RepPending, ClosingWithoutApplyDropsThePendingState) {
  a->m_color = 1;
  {
    SRepLockoutContext lock(session);
    ASSERT_EQ(S_OK, a->SetAttribute(kColor, SRepVariant::Long(5)));
    EXPECT_EQ(Get(a, kColor), 5);
  }
  EXPECT_EQ(Get(a, kColor), 1);
  EXPECT_FALSE(session->CanUndo());
}

TEST_F(RepPending, LockObjectKeepsTheObjectUntilTheContextEnds) {
  TNode* c = NewNode(session);
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    EXPECT_EQ(S_FALSE, step.GetContext()->LockObject(c)) << "a recording context defers nothing";
    EXPECT_FALSE(step.GetContext()->IsObjectLocked(c));
  }
  SRepSession* other = new SRepSession();
  other->AddRef();
  TNode* stranger = NewNode(other);
  {
    SRepLockoutContext lock(session);
    ISRepContext* ctx = lock.GetContext();
    EXPECT_EQ(E_POINTER, ctx->LockObject(nullptr));
    EXPECT_EQ(E_INVALIDARG, ctx->LockObject(stranger));
    EXPECT_FALSE(ctx->IsObjectLocked(nullptr));
    const ULONG before = c->AddRef() - 1;
    c->Release();
    ASSERT_EQ(S_OK, ctx->LockObject(c));
    EXPECT_EQ(S_FALSE, ctx->LockObject(c)) << "locked once";
    EXPECT_TRUE(ctx->IsObjectLocked(c));
    EXPECT_FALSE(ctx->IsObjectLocked(b));
    EXPECT_EQ(c->AddRef() - 1, before + 1) << "the context holds the locked object";
    c->Release();
    // Locking reads nothing: the object answers its stored values.
    c->m_color = 4;
    EXPECT_EQ(Get(c, kColor), 4);
    ASSERT_EQ(S_OK, lock.Apply());
    EXPECT_TRUE(ctx->IsObjectLocked(c)) << "locked until the context ends";
  }
  const ULONG after = c->AddRef() - 1;
  c->Release();
  EXPECT_EQ(after, 2u) << "the session's reference and the test's";
  {
    SRepCreateContext del(static_cast<ISRepSession*>(session));
    ASSERT_EQ(S_OK, c->Delete());
  }
  {
    SRepLockoutContext lock(session);
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, lock.GetContext()->LockObject(c));
  }
  stranger->Release();
  other->Release();
  c->Release();
}

}  // namespace
