// The clone chain: numbering, counts, walks bounded and cycles cut, the
// chain kept closed by the hooks, and clones of links with their ends.
#include "sym/symbol/symclone.h"
#include "support/symtest.h"

namespace {
using Helper = SSymCloneSymbolHelper;

// A symbol whose names carry the clone number and that shows a model object.
class TCloneSym : public SRepFaces<TCloneSym, TSym, ISSymClone, ISSymObject> {
 public:
  explicit TCloneSym(ISRepSession* s) : SRepFaces(s) {}
  BOOL IsCloneNumbering() override { return 1; }
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = m_model;
    if (m_model) m_model->AddRef();
    return m_model ? S_OK : S_FALSE;
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(m_model); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  void CloneText(SString&) override {}
  ISRepObject* m_model = nullptr;
};

std::string Name(ISRepObject* o) {
  SString s;
  Helper::GetName(o, o, &s);
  return s.ToUtf8();
}

void Link(ISRepObject* from, ISRepObject* to) {
  ISRepClassCol* col = nullptr;
  from->GetCollection(Helper::SuccColl, &col);
  col->Insert(to, -1);
  col->Release();
}
}  // namespace

class SymClone : public SymFixture {
 protected:
  ISRepObject* Obj(TSym* s) { return s->Obj(); }
};

TEST_F(SymClone, ChainNumbersItsClones) {
  TCloneSym* head = Place<TCloneSym>(DiagramOwner());
  EXPECT_EQ(Helper::GetCloneCount(Obj(head)), 1);
  EXPECT_EQ(Helper::GetCloneNo(head), 0);
  EXPECT_EQ(Name(Obj(head)), "Rectangle");

  TCloneSym* c1 = Place<TCloneSym>(DiagramOwner());
  TCloneSym* c2 = Place<TCloneSym>(DiagramOwner());
  Helper::AddClone(Obj(head), Obj(c1));
  Helper::AddClone(Obj(c1), Obj(c2));  // appended at the end of the chain
  Helper::AddClone(Obj(head), Obj(c2));  // already in it: nothing changes
  EXPECT_EQ(Helper::GetCloneCount(Obj(c1)), 3);
  EXPECT_EQ(Name(Obj(head)), "Rectangle : 1");
  EXPECT_EQ(Name(Obj(c1)), "Rectangle : 2");
  EXPECT_EQ(Name(Obj(c2)), "Rectangle : 3");
  SString disp;
  EXPECT_EQ(Helper::GetDispName(Obj(c2), Obj(c2), &disp), 1);
  EXPECT_EQ(disp, SString("Rectangle : 3"));
  EXPECT_EQ(Helper::GetCode(Obj(c2), Obj(c2), nullptr), 0);

  ISSymClone* found = nullptr;
  ASSERT_EQ(Helper::GetClone(Obj(c2), 1, &found), S_OK);
  EXPECT_EQ(found, static_cast<ISSymClone*>(c1));
  found->Release();
  EXPECT_EQ(Helper::GetClone(Obj(head), 3, &found), S_FALSE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(Helper::GetClone(nullptr, 0, &found), E_POINTER);
  EXPECT_EQ(Helper::GetCloneCount(nullptr), 0);

  // Out of the middle: the chain closes over the gap.
  Helper::RemoveClone(Obj(c1));
  EXPECT_EQ(Helper::GetCloneCount(Obj(head)), 2);
  EXPECT_EQ(Name(Obj(c2)), "Rectangle : 2");
  EXPECT_EQ(Name(Obj(c1)), "Rectangle");
  // Out of the head: the first clone heads the chain.
  Helper::RemoveClone(Obj(head));
  EXPECT_EQ(Helper::GetCloneNo(c2), 0);
  EXPECT_EQ(Helper::GetCloneCount(Obj(c2)), 1);
}

TEST_F(SymClone, CyclesAreCutAndWalksBounded) {
  TCloneSym* a = Place<TCloneSym>(DiagramOwner());
  TCloneSym* b = Place<TCloneSym>(DiagramOwner());
  TCloneSym* c = Place<TCloneSym>(DiagramOwner());
  Link(Obj(a), Obj(b));
  Link(Obj(b), Obj(c));
  Link(Obj(c), Obj(a));  // closes a cycle
  EXPECT_EQ(Helper::GetCloneNo(a), 100);  // the walk stops at its bound
  EXPECT_EQ(Helper::GetCloneCount(Obj(a)), 3);  // and cuts the closing link
  EXPECT_EQ(Helper::GetCloneNo(a), 0);
  EXPECT_EQ(Name(Obj(a)), "Rectangle : 1");
  EXPECT_EQ(Name(Obj(b)), "Rectangle : 2");
  EXPECT_EQ(Name(Obj(c)), "Rectangle : 3");
}

TEST_F(SymClone, HooksKeepTheChainClosed) {
  TCloneSym* a = Place<TCloneSym>(DiagramOwner());
  TCloneSym* b = Place<TCloneSym>(DiagramOwner());
  TCloneSym* c = Place<TCloneSym>(DiagramOwner());
  Helper::AddClone(Obj(a), Obj(b));
  Helper::AddClone(Obj(a), Obj(c));
  EXPECT_EQ(Helper::OnDiagramDetach(Obj(b), nullptr, 1), 1);
  EXPECT_EQ(Helper::GetCloneCount(Obj(a)), 3);  // a non-zero flag changes nothing
  EXPECT_EQ(Helper::OnDiagramDetach(Obj(b), nullptr, 0), 1);
  EXPECT_EQ(Helper::GetCloneCount(Obj(a)), 2);
  EXPECT_EQ(Helper::GetCloneNo(c), 1);
  EXPECT_GT(c->m_refreshed, 0);
  EXPECT_EQ(Helper::OnDiagramDetach(nullptr, nullptr, 0), 0);

  c->m_refreshed = 0;
  EXPECT_EQ(Helper::OnClonePredInsert(Obj(c), Obj(a)), 1);
  EXPECT_EQ(a->m_refreshed, 1);
  EXPECT_EQ(c->m_refreshed, 1);
  EXPECT_EQ(Helper::OnClonePredInsert(nullptr, Obj(a)), 0);
  EXPECT_EQ(Helper::OnCloneSuccRemove(Obj(c), Obj(a)), 1);
  EXPECT_EQ(a->m_refreshed, 2);  // a heads the chain

  Helper::AddClone(Obj(a), Obj(b));  // a, c, b
  EXPECT_EQ(Helper::OnCloneDeletion(Obj(c)), 1);
  EXPECT_EQ(Helper::GetCloneNo(b), 1);
}

TEST_F(SymClone, DiagramAttachJoinsClonesOfTheSameModelObject) {
  auto* model = Make<TSym>();  // any repository object serves as the model object
  TCloneSym* s1 = Place<TCloneSym>(DiagramOwner());
  TCloneSym* s2 = Place<TCloneSym>(DiagramOwner());
  TCloneSym* other = Place<TCloneSym>(DiagramOwner());
  other->m_symType = 5;
  for (TCloneSym* s : {other, s1, s2}) {
    s->m_model = model->Obj();
    ISRepClassCol* col = nullptr;
    model->Obj()->GetCollection(0x4800087, &col);
    col->Insert(s->Obj(), -1);
    col->Release();
  }
  EXPECT_EQ(Helper::OnDiagramAttach(Obj(s2), m_diagram->GetOwnerObject()), 1);
  EXPECT_EQ(Helper::GetCloneCount(Obj(s1)), 2);
  EXPECT_EQ(Helper::GetCloneNo(s2), 1);
  EXPECT_EQ(Helper::GetCloneCount(Obj(other)), 1);  // another symbol type
  TCloneSym* bare = Place<TCloneSym>(DiagramOwner());
  EXPECT_EQ(Helper::OnDiagramAttach(Obj(bare), m_diagram->GetOwnerObject()), 0);  // no model object
}

TEST_F(SymClone, LinkClonesAttachToTheirEndsCopies) {
  TSym* a = Place(DiagramOwner());
  TSym* b = Place(DiagramOwner(), SSymRect(10000, 3600, 14800, 0));
  TLink* l = Place<TLink>(DiagramOwner());
  l->AttachSym(0, a->Linkable(), SSymPoint(2400, 1800));
  l->AttachSym(1, b->Linkable(), SSymPoint(12400, 1800));

  SRepMapObject map;
  ISSymbol* ca = Helper::CreateClone(a->Sym(), &map, nullptr, nullptr);
  ISSymbol* cb = Helper::CreateClone(b->Sym(), &map, nullptr, nullptr);
  ASSERT_TRUE(ca && cb);
  EXPECT_EQ(Helper::CreateClone(a->Sym(), &map, nullptr, nullptr), ca);  // mapped once
  ISSymbol* cl = Helper::CreateClone(l->Sym(), &map, nullptr, nullptr);
  ASSERT_NE(cl, nullptr);
  auto* link = static_cast<TLink*>(SSymBase::FromInterface(cl));
  m_links.push_back(link);
  EXPECT_EQ(link->m_end[0].Get(), ca);
  EXPECT_EQ(link->m_end[1].Get(), cb);
  EXPECT_EQ(Helper::GetCloneCount(Obj(l)), 2);
  EXPECT_EQ(Helper::GetCloneCount(Obj(a)), 2);

  // Without a map the ends are cloned too and handed out.
  ISSymbol *src = nullptr, *dst = nullptr;
  ISSymbol* cl2 = Helper::CreateClone(l->Sym(), nullptr, &src, &dst);
  ASSERT_NE(cl2, nullptr);
  m_links.push_back(static_cast<TLink*>(SSymBase::FromInterface(cl2)));
  ASSERT_TRUE(src && dst);
  EXPECT_EQ(Helper::GetCloneCount(Obj(a)), 3);
  EXPECT_EQ(Helper::CreateClone(nullptr, nullptr, nullptr, nullptr), nullptr);
}
