// Creation contexts as undo steps, lockout contexts, skipped and failing records.
#include "support/repfixture.h"

namespace {

// A record that counts its runs, sees the applying context and may fail;
// it touches one object when given.
class TProbe final : public SRepActionBase {
 public:
  TProbe(SRepSession* s, bool fail) : m_session(s), m_fail(fail) { m_type = 77; }
  HRESULT Execute() override {
    ++runs;
    sawApplying = SRepGetApplyingContext(m_session) != nullptr && SRepGetUndoContext(m_session) == nullptr &&
                  SRepSession::m_pUndoContext && SRepSession::m_pUndoContext->GetState() != 0;
    return m_fail ? E_FAIL : S_OK;
  }
  void CollectObjects(SRepObjectBag& objects) override {
    if (touched) objects.Add(touched);
  }
  SRepSession* m_session;
  bool m_fail;
  int runs = 0;
  bool sawApplying = false;
  ISRepObject* touched = nullptr;
};

TEST_F(RepTest, CreationContextIsOneUndoStep) {
  a->m_color = 1;
  b->m_name = SString("B");
  TNode* c = nullptr;
  TColSink sink;
  sink.mirror = {a, b};
  root->Collection(kKids)->Advise(&sink);
  const std::string s0 = Snapshot({root, a, b});
  std::string s1;
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session), 0, 1, 0);
    EXPECT_NE(nullptr, SRepGetUndoContext(session));
    a->SetAttribute(kColor, SRepVariant::Long(5));
    a->SetAttribute(kWidth, SRepVariant::Long(30));
    SRepVariant r;
    r.SetRECT(SRep_Rect{1, 9, 5, 2});
    b->SetAttribute(kRect, r);
    a->SetAttribute(kNote, SRepVariant::Text(SString("changed")));
    c = NewNode(session);
    root->Collection(kKids)->Insert(c, 0);
    c->SetAttribute(kName, SRepVariant::Text(SString("C")));
    {
      SRepCreateContext inner(static_cast<ISRepObject*>(a));  // joins the open step
      root->Collection(kKids)->Move(2, 1);
    }
    root->Collection(kKids)->Remove(root->Collection(kKids)->GetPos(b));
    a->Collection(kLinks)->Insert(b, -1);
    b->Collection(kKids)->Insert(root, -1);  // root gets a second owner link, keeps no parent
    a->Delete();
    s1 = Snapshot({root, a, b, c});
  }
  EXPECT_EQ(nullptr, SRepGetUndoContext(session));
  ASSERT_EQ(1, session->GetUndoCount());
  auto members = [&] {
    std::vector<ISRepObject*> v;
    for (SRepObject* m : root->Collection(kKids)->Items()) v.push_back(m);
    return v;
  };
  EXPECT_EQ(members(), sink.mirror);

  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(s0, Snapshot({root, a, b}));
  EXPECT_TRUE(c->IsDeleted());
  EXPECT_EQ(members(), sink.mirror);
  ASSERT_EQ(S_OK, session->Redo());
  EXPECT_EQ(s1, Snapshot({root, a, b, c}));
  EXPECT_EQ(members(), sink.mirror);
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(s0, Snapshot({root, a, b}));
  EXPECT_EQ(members(), sink.mirror);
  EXPECT_EQ(S_FALSE, session->Undo());
  root->Collection(kKids)->Unadvise(&sink);
  c->Release();
}

TEST_F(RepTest, HookThatThrowsLeavesAnUndoableChange) {
  const std::string s0 = Snapshot({root, a, b});
  TNode* c = NewNode(session);
  c->throwOnInsert = true;
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    EXPECT_THROW(root->Collection(kKids)->Insert(c, 0), SECOMException);
  }
  c->throwOnInsert = false;
  EXPECT_EQ(0, root->Collection(kKids)->GetPos(c)) << "the link stands on both sides";
  EXPECT_EQ(0, c->Collection(kParentCol)->GetPos(root));
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(s0, Snapshot({root, a, b}));
  EXPECT_EQ(0, c->Collection(kParentCol)->GetCount());
  c->Release();
}

TEST_F(RepTest, LockoutDefersUntilApplied) {
  a->m_color = 1;
  TNode* d = nullptr;
  {
    SRepLockoutContext lock(session);
    ISRepContext* ctx = lock.GetContext();
    ASSERT_NE(nullptr, ctx);
    EXPECT_FALSE(ctx->IsRecording());
    EXPECT_TRUE(a->InLockoutContext());
    EXPECT_EQ(S_OK, a->SetAttribute(kColor, SRepVariant::Long(9)));
    EXPECT_EQ(S_OK, a->SetAttribute(kWidth, SRepVariant::Long(50)));
    EXPECT_EQ(1, a->m_color) << "the stored value waits";
    EXPECT_EQ(10, a->m_width);
    EXPECT_EQ(9, Get(a, kColor)) << "readers see the pending state";
    EXPECT_EQ(S_OK, root->Collection(kKids)->Remove(1));
    EXPECT_EQ(2, root->Collection(kKids)->GetCount());
    d = NewNode(session);
    EXPECT_TRUE(ctx->IsObjectInContext(d));
    EXPECT_FALSE(d->InLockoutContext());
    d->SetAttribute(kColor, SRepVariant::Long(4));
    EXPECT_EQ(4, d->m_color) << "a new object takes its changes at once";
    ASSERT_EQ(S_OK, root->Collection(kKids)->Insert(d, -1));
    ASSERT_EQ(S_OK, lock.Apply());
    EXPECT_EQ(9, a->m_color);
    EXPECT_EQ(50, a->m_width);
    EXPECT_EQ(-1, root->Collection(kKids)->GetPos(b));
  }
  ASSERT_EQ(1, session->GetUndoCount());
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(1, a->m_color);
  EXPECT_EQ(10, a->m_width);
  EXPECT_EQ(1, root->Collection(kKids)->GetPos(b));
  EXPECT_TRUE(d->IsDeleted());
  d->Release();

  // Closing without applying drops the pending records and the new objects.
  const std::string s0 = Snapshot({root, a, b});
  TNode* e = nullptr;
  const int steps = session->GetUndoCount();
  {
    SRepLockoutContext lock(session);
    a->SetAttribute(kColor, SRepVariant::Long(8));
    e = NewNode(session);
    root->Collection(kKids)->Insert(e, 0);
  }
  EXPECT_EQ(s0, Snapshot({root, a, b}));
  EXPECT_TRUE(e->IsDeleted());
  EXPECT_EQ(steps, session->GetUndoCount()) << "no step";
  e->Release();
}

TEST_F(RepTest, RecordOfDeletedObjectIsSkippedAndFailedStepRollsBack) {
  TNode* x = NewNode(session);
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    x->SetAttribute(kColor, SRepVariant::Long(3));
    a->SetAttribute(kColor, SRepVariant::Long(3));
  }
  {
    SCurrentContextChange none(static_cast<ISRepSession*>(session), nullptr);
    x->Delete();  // outside any step: not undoable
  }
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(0, a->m_color);
  EXPECT_EQ(3, x->m_color) << "skipped";

  // A record made before the object it touches is created in the same step
  // is not skipped on redo.
  auto* early = new TProbe(session, false);
  TNode* made = nullptr;
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    step.AddRepAction(SRepActionPtr(early));
    made = NewNode(session);
    early->touched = made;
    step.AddRepAction(std::make_unique<TProbe>(session, false));
    early->touched = made;
  }
  ASSERT_EQ(S_OK, session->Undo());
  ASSERT_EQ(S_OK, session->Redo());
  EXPECT_EQ(2, early->runs);
  EXPECT_FALSE(made->IsDeleted());
  // The same record touching the deleted x is skipped.
  early->touched = x;
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(2, early->runs);
  made->Release();

  // A failing record is met after a skipped one: the records run before it
  // are run back, the skipped one never runs.
  auto* probe = new TProbe(session, false);
  auto* failing = new TProbe(session, true);
  auto* skipped = new TProbe(session, false);
  skipped->touched = x;
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    step.AddRepAction(SRepActionPtr(failing));
    step.AddRepAction(SRepActionPtr(skipped));
    b->SetAttribute(kColor, SRepVariant::Long(6));
    step.AddRepAction(SRepActionPtr(probe));
    EXPECT_EQ(probe, step.GetContext()->GetLastAction());
    EXPECT_EQ(E_POINTER, step.AddRepAction(nullptr));
  }
  EXPECT_EQ(E_FAIL, session->Undo());
  EXPECT_EQ(6, b->m_color) << "never half applied";
  EXPECT_EQ(2, probe->runs) << "run, then run back";
  EXPECT_EQ(0, skipped->runs);
  EXPECT_TRUE(probe->sawApplying);
  EXPECT_EQ(nullptr, SRepSession::m_pUndoContext);
  EXPECT_TRUE(session->CanUndo());
  x->Release();
}

TEST_F(RepTest, ViewsAreLockedWhileAStepIsApplied) {
  static int locks = 0, open = 0;
  struct Lock : SRepSession::LockDrawAllViews::ObjectBase {
    Lock() { ++locks, ++open; }
    ~Lock() override { --open; }
  };
  SRepSession::LockDrawAllViews::CreateObject = [](SComTable<ISRepSessionView>&) -> SRepSession::LockDrawAllViews::ObjectBase* {
    return new Lock();
  };
  {
    SRepCreateOrReuseContext step(static_cast<ISRepObject*>(a), 1, 1, 0);
    a->SetAttribute(kColor, SRepVariant::Long(2));
  }
  EXPECT_EQ(0, locks);
  session->Undo();
  EXPECT_EQ(1, locks);
  EXPECT_EQ(0, open);
  SRepSession::LockDrawAllViews::CreateObject = nullptr;
}

TEST(RepSession, QueriesAndPictureHolder) {
  auto* s = new SRepSession();
  s->AddRef();
  EXPECT_FALSE(s->IsModified());
  s->SetOptions(0x40);
  EXPECT_EQ(0x40u, s->GetOptions());
  s->SetSuppressions(TRUE, FALSE);
  EXPECT_TRUE(s->IsArrangeSuppressed());
  EXPECT_FALSE(s->IsHandlingSuppressed());
  ISRepPictureHolder* holder = nullptr;
  ASSERT_EQ(S_OK, s->QueryInterface(IID_ISRepPictureHolder, reinterpret_cast<void**>(&holder)));
  int pic = 0;
  EXPECT_EQ(S_OK, holder->AddPicture(nullptr, &pic));
  EXPECT_EQ(S_FALSE, holder->AddPicture(nullptr, &pic));
  EXPECT_TRUE(holder->HasPicture(nullptr, &pic));
  holder->Release();
  ISRepContext* ctx = nullptr;
  EXPECT_EQ(S_FALSE, s->GetCurrentContext(&ctx));
  EXPECT_EQ(S_FALSE, s->Undo());
  EXPECT_TRUE(SRepIsSessionReadOnly(nullptr) == FALSE);
  EXPECT_EQ(1, g_GetRlshCheckMode());
  {
    SetRlshCheckMode off(0);
    EXPECT_EQ(0, g_GetRlshCheckMode());
    {
      SetRlshCheckMode again(5);
      again.Set();
      EXPECT_EQ(0, g_GetRlshCheckMode());
    }
    EXPECT_EQ(0, g_GetRlshCheckMode()) << "restored once only";
  }
  EXPECT_EQ(1, g_GetRlshCheckMode());
  s->Release();
}

}  // namespace

// The failure texts of the reference tables name their types; they are made
// only when an allocation fails, never on a step, undo or redo that succeeds.
TEST_F(RepTest, UndoAndRedoBuildNoFailureText) {
  std::vector<TNode*> made;
  const long before = kvcom_detail::g_typeNamesBuilt.load();
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session), 0, 1, 0);
    for (int i = 0; i < 300; ++i) {
      TNode* n = NewNode(session);
      made.push_back(n);
      n->SetAttribute(kColor, SRepVariant::Long(i));
      root->Collection(kKids)->Insert(n, -1);
      a->Collection(kLinks)->Insert(n, -1);
    }
    root->Collection(kKids)->Move(0, 200);
    root->Collection(kKids)->Remove(5);
  }
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(S_OK, session->Undo());
    ASSERT_EQ(S_OK, session->Redo());
  }
  EXPECT_EQ(kvcom_detail::g_typeNamesBuilt.load(), before);
  for (TNode* n : made) n->Release();
}

namespace {
// A record whose run sets off work that opens a creation context of its own
// (as the hooks of symbols do), and that may fail from its n-th run on.
class TSetsOffWork final : public SRepActionBase {
 public:
  TSetsOffWork(SRepSession* s, TNode* target, int failFrom) : m_session(s), m_target(target), m_failFrom(failFrom) {}
  HRESULT Execute() override {
    ++m_runs;
    if (m_failFrom && m_runs >= m_failFrom) return E_FAIL;
    SRepCreateContext work(static_cast<ISRepSession*>(m_session));
    m_target->SetAttribute(kWidth, SRepVariant::Long(100 + m_runs));
    return S_OK;
  }
  SRepSession* m_session;
  TNode* m_target;
  int m_failFrom;
  int m_runs = 0;
};
}  // namespace

TEST_F(RepTest, WorkSetOffByUndoAndRedoMakesNoStepAndAFailingRedoKeepsTheStacks) {
  for (LONG color : {3, 4, 5}) {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    a->SetAttribute(kColor, SRepVariant::Long(color));
    step.AddRepAction(std::make_unique<TSetsOffWork>(session, b, 0));
  }
  ASSERT_EQ(3, session->GetUndoCount());
  for (int i = 1; i <= 3; ++i) {
    ASSERT_EQ(S_OK, session->Undo());
    EXPECT_EQ(3 - i, session->GetUndoCount());
    EXPECT_EQ(i, session->GetRedoCount());
  }
  EXPECT_EQ(0, a->m_color);
  for (int i = 1; i <= 3; ++i) ASSERT_EQ(S_OK, session->Redo());
  EXPECT_EQ(5, a->m_color);
  EXPECT_EQ(0, session->GetRedoCount());

  // A redo that fails answers the failure and leaves both stacks and the state.
  {
    SRepCreateContext step(static_cast<ISRepSession*>(session));
    a->SetAttribute(kColor, SRepVariant::Long(6));
    step.AddRepAction(std::make_unique<TSetsOffWork>(session, b, 2));
  }
  ASSERT_EQ(S_OK, session->Undo());
  ASSERT_EQ(S_OK, session->Undo());
  const int undo = session->GetUndoCount(), redo = session->GetRedoCount();
  ASSERT_EQ(S_OK, session->Redo());
  EXPECT_EQ(E_FAIL, session->Redo());
  EXPECT_EQ(undo + 1, session->GetUndoCount());
  EXPECT_EQ(redo - 1, session->GetRedoCount());
  EXPECT_EQ(5, a->m_color) << "never half applied";
}

TEST_F(RepTest, ARecordOfAChangeMadeInALockoutWaitsForApply) {
  a->m_color = 1;
  const int steps = session->GetUndoCount();
  auto changeMadeDirectly = [&](LONG color) {
    const LONG before = a->m_color;
    {
      SRepCreateContext step(static_cast<ISRepSession*>(session));  // joins the lockout
      a->m_color = color;
      EXPECT_EQ(S_OK, step.AddRepAction(std::make_unique<SRepActionAttr>(a, kColor, SRepVariant::Long(before))));
    }
    EXPECT_EQ(before, a->m_color) << "taken back until the lockout is applied";
  };
  {
    SRepLockoutContext lock(session);
    changeMadeDirectly(7);
  }
  EXPECT_EQ(1, a->m_color);
  EXPECT_EQ(steps, session->GetUndoCount());
  {
    SRepLockoutContext lock(session);
    changeMadeDirectly(7);
    ASSERT_EQ(S_OK, lock.Apply());
  }
  EXPECT_EQ(7, a->m_color);
  ASSERT_EQ(steps + 1, session->GetUndoCount());
  ASSERT_EQ(S_OK, session->Undo());
  EXPECT_EQ(1, a->m_color);
  ASSERT_EQ(S_OK, session->Redo());
  EXPECT_EQ(7, a->m_color);
}
