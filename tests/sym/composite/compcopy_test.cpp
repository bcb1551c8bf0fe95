// The copy of a composite's children into another composite: children moved
// by the offset between the two centres and bound to the destination's
// corresponding sub-objects, links copied last between the copies of their
// ends, copies of one model object registered as clones, the class's copying
// flag cleared for the length of the copy, nested composites copied on
// request, and the refusals that leave everything as it was.
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "support/compcopy_fixture.h"
#include "sym/shapes/symrectfamily.h"
#include "sym/symbol/symclone.h"

namespace {

// A child that copies itself (it answers ISSymClone and numbers its clones).
class TCloneSym : public SRepFaces<TCloneSym, TModelSym, ISSymClone> {
 public:
  explicit TCloneSym(ISRepSession* s, SSymRect r = SSymRect(0, 3600, 4800, 0)) : SRepFaces(s, r) {}
  BOOL IsCloneNumbering() override { return 1; }
  void CloneText(SString&) override {}
  HRESULT Clone(ISSymbol** out, int) override {
    if (!out) return E_POINTER;
    auto* c = new TCloneSym(GetSessionImpl(), m_rect);
    c->AddRef();
    c->SetSession(GetSessionImpl());
    *out = c->Sym();
    return S_OK;
  }
};

class CompCopy : public CompCopyFixture {
 protected:
  SSymRectangle* Plain(const SSymRect& r) {
    void* p = nullptr;
    EXPECT_EQ(Session()->CreateObject(CLSID_SSymRectangle, IID_ISRepObject, &p), S_OK);
    auto* b = dynamic_cast<SSymRectangle*>(SRepObject::FromInterface(static_cast<ISRepObject*>(p)));
    m_made.push_back(b);
    b->m_rect = r;
    return b;
  }
  static SSymRect Moved(SSymRect r, LONG dx, LONG dy) {
    r.OffsetRect(dx, dy);
    return r;
  }
  HRESULT Copy(TCompSym* from, TCompSym* to, int deep = 1, SMap<ISSymbol*, ISSymbol*>* map = nullptr) {
    return to->CompSym()->CopyChildrenSym(from->Sym(), to->Sym(), deep, map);
  }
};

TEST_F(CompCopy, ChildrenAreMovedByTheOffsetBetweenTheCentres) {
  struct Case {
    const char* name;
    SSymRect source, destination;
    LONG dx, dy;
  };
  // Centres are the truncated means of opposite edges.
  const Case cases[] = {
      {"offset", SSymRect(-1000, 1000, 1000, -1000), SSymRect(1, -1, 2001, -1001), 1001, -501},
      {"truncated", SSymRect(0, 3, 3, 0), SSymRect(0, 0, 0, 0), -1, -1},
      {"towardsZero", SSymRect(-3, 0, 0, -3), SSymRect(0, 0, 0, 0), 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TNode* srcModel = ModelWith(2);
    TNode* dstModel = ModelWith(2);
    TCompSym* source = PlacedComp(srcModel, c.source);
    TCompSym* destination = PlacedComp(dstModel, c.destination);
    const SSymRect ra(100, 900, 400, 600), rb(-700, -100, -200, -400), rp(500, 500, 800, 200);
    TModelSym* a = ChildOf(source, Member(srcModel, kSubObjects, 0), ra);
    TModelSym* b = ChildOf(source, Member(srcModel, kSubObjects, 1), rb);
    SSymRectangle* plain = Plain(rp);  // shows no model object: copied by the repository
    Hold(source, plain);

    SMap<ISSymbol*, ISSymbol*> map;
    ASSERT_EQ(Copy(source, destination, 1, &map), S_OK);
    const std::vector<SSymBase*> copies = Children(destination);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_EQ(copies[0]->m_rect, Moved(ra, c.dx, c.dy));
    EXPECT_EQ(copies[1]->m_rect, Moved(rb, c.dx, c.dy));
    EXPECT_EQ(copies[2]->m_rect, Moved(rp, c.dx, c.dy));
    EXPECT_EQ(Shows(copies[0]), static_cast<ISRepObject*>(Member(dstModel, kSubObjects, 0)));
    EXPECT_EQ(Shows(copies[1]), static_cast<ISRepObject*>(Member(dstModel, kSubObjects, 1)));
    EXPECT_NE(dynamic_cast<SSymRectangle*>(copies[2]), nullptr);
    EXPECT_NE(copies[2], plain);
    ASSERT_EQ(map.GetCount(), 3);
    EXPECT_EQ(*map.Find(a->Sym()), copies[0]->Sym());
    EXPECT_EQ(*map.Find(b->Sym()), copies[1]->Sym());
    EXPECT_EQ(*map.Find(plain->Sym()), copies[2]->Sym());
    EXPECT_EQ(Children(source).size(), 3u) << "the source keeps its children";
  }
}

TEST_F(CompCopy, LinksAreCopiedLastBetweenTheCopiesOfTheirEnds) {
  TNode* srcModel = ModelWith(3, 2);
  TNode* dstModel = ModelWith(3, 2);
  TCompSym* source = PlacedComp(srcModel, SSymRect(0, 10000, 10000, 0));
  TCompSym* destination = PlacedComp(dstModel, SSymRect(20000, 10000, 30000, 0));
  TModelSym* a = Make<TModelSym>(SSymRect(1000, 2000, 2000, 1000));
  TModelSym* b = Make<TModelSym>(SSymRect(5000, 2000, 6000, 1000));
  Bind(a, Member(srcModel, kSubObjects, 0));
  Bind(b, Member(srcModel, kSubObjects, 1));
  // The link comes first in the collection; the outside box is no child.
  TModelLink* link = LinkOf(source, Member(srcModel, kLinkObjects, 0), a, b, {1500, 1500}, {5500, 1500});
  Hold(source, a);
  Hold(source, b);
  TModelSym* outside = Place<TModelSym>(m_copyDiagram, SSymRect(40000, 2000, 41000, 1000));
  TModelLink* out = LinkOf(source, Member(srcModel, kLinkObjects, 1), b, outside, {5500, 1200}, {40500, 1200});

  SMap<ISSymbol*, ISSymbol*> map;
  ASSERT_EQ(Copy(source, destination, 1, &map), S_OK);
  EXPECT_EQ(m_copyDiagram->m_calls, (std::vector<ISSymbol*>{a->Sym(), b->Sym(), link->Sym()}))
      << "the boxes first; a link reaching out of the composite is left behind";
  EXPECT_EQ(Children(destination).size(), 3u);
  ASSERT_EQ(map.GetCount(), 3);
  auto* copied = dynamic_cast<TModelLink*>(SSymBase::FromInterface(*map.Find(link->Sym())));
  ASSERT_NE(copied, nullptr);
  EXPECT_EQ(copied->m_end[0].Get(), *map.Find(a->Sym()));
  EXPECT_EQ(copied->m_end[1].Get(), *map.Find(b->Sym()));
  EXPECT_EQ(copied->m_pt[0], SSymPoint(1500, 1500)) << "the attach points of the source link";
  EXPECT_EQ(copied->m_pt[1], SSymPoint(5500, 1500));
  EXPECT_EQ(Shows(copied), static_cast<ISRepObject*>(Member(dstModel, kLinkObjects, 0)));
  EXPECT_EQ(link->m_end[0].Get(), a->Sym()) << "the source link keeps its ends";
  EXPECT_EQ(out->m_end[1].Get(), outside->Sym());
}

TEST_F(CompCopy, CopiesOfOneModelObjectAreRegisteredAsClones) {
  TNode* srcModel = ModelWith(2);
  TNode* dstModel = ModelWith(2);
  TCompSym* source = PlacedComp(srcModel, SSymRect(0, 10000, 10000, 0));
  TCompSym* destination = PlacedComp(dstModel, SSymRect(0, 10000, 10000, 0));
  ChildOf(source, Member(srcModel, kSubObjects, 0), SSymRect(0, 900, 900, 0));
  ChildOf(source, Member(srcModel, kSubObjects, 1), SSymRect(1000, 900, 1900, 0));
  ChildOf(source, Member(srcModel, kSubObjects, 0), SSymRect(2000, 900, 2900, 0));  // the same object again

  ASSERT_EQ(Copy(source, destination), S_OK);
  const std::vector<SSymBase*> copies = Children(destination);
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(Shows(copies[2]), Shows(copies[0]));
  EXPECT_EQ(SSymCloneSymbolHelper::GetCloneCount(copies[0]->Obj()), 2);
  EXPECT_EQ(SSymCloneSymbolHelper::GetCloneCount(copies[2]->Obj()), 2);
  EXPECT_EQ(SSymCloneSymbolHelper::GetCloneCount(copies[1]->Obj()), 1);
  ASSERT_EQ(copies[0]->Collection(SSymCloneSymbolHelper::SuccColl)->GetCount(), 1);
  EXPECT_EQ(copies[0]->Collection(SSymCloneSymbolHelper::SuccColl)->Items()[0], copies[2])
      << "the later copy follows the first";
}

TEST_F(CompCopy, CopyingFlagIsClearedForTheLengthOfTheCopy) {
  struct Case {
    const char* name;
    DWORD flags;
    size_t throwAt;
  };
  const Case cases[] = {
      {"set", SSymCompDef::CompCopying | SSymCompDef::CompFreeChildren, 0},
      {"clear", SSymCompDef::CompFreeChildren, 0},
      {"setAndTheDiagramThrows", SSymCompDef::CompCopying, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_def.nFlags = c.flags;
    m_copyDiagram->m_calls.clear();
    m_copyDiagram->m_copyingSeen.clear();
    m_copyDiagram->m_throwAt = c.throwAt;
    TNode* srcModel = ModelWith(2);
    TCompSym* source = PlacedComp(srcModel, SSymRect(0, 10000, 10000, 0));
    TCompSym* destination = PlacedComp(ModelWith(2), SSymRect(0, 10000, 10000, 0));
    ChildOf(source, Member(srcModel, kSubObjects, 0), SSymRect(0, 900, 900, 0));
    ChildOf(source, Member(srcModel, kSubObjects, 1), SSymRect(1000, 900, 1900, 0));
    if (c.throwAt) {
      EXPECT_THROW(Copy(source, destination), SECOMException);
    } else {
      EXPECT_EQ(Copy(source, destination), S_OK);
    }
    EXPECT_EQ(m_copyDiagram->m_copyingSeen, std::vector<bool>(c.throwAt ? c.throwAt : 2, false));
    EXPECT_EQ(m_def.nFlags, c.flags) << "put back as it was";
  }
}

TEST_F(CompCopy, NestedCompositesAreCopiedWithTheirChildrenOnRequest) {
  for (int deep : {1, 0}) {
    SCOPED_TRACE(deep);
    TNode* srcModel = ModelWith(1);
    TNode* dstModel = ModelWith(1);
    TNode* srcInner = Member(srcModel, kSubObjects, 0);
    TNode* dstInner = Member(dstModel, kSubObjects, 0);
    srcInner->Collection(kSubObjects)->Insert(Node(), -1);
    dstInner->Collection(kSubObjects)->Insert(Node(), -1);
    TCompSym* source = PlacedComp(srcModel, SSymRect(0, 10000, 10000, 0));
    TCompSym* destination = PlacedComp(dstModel, SSymRect(20000, 10000, 30000, 0));
    TCompSym* inner = Make<TCompSym>(SSymRect(1000, 9000, 9000, 1000), &m_def);
    Bind(inner, srcInner);
    Hold(source, inner);
    TModelSym* grandchild = ChildOf(inner, Member(srcInner, kSubObjects, 0), SSymRect(2000, 3000, 3000, 2000));

    SMap<ISSymbol*, ISSymbol*> map;
    ASSERT_EQ(Copy(source, destination, deep, &map), S_OK);
    const std::vector<SSymBase*> copies = Children(destination);
    ASSERT_EQ(copies.size(), 1u);
    auto* innerCopy = dynamic_cast<TCompSym*>(copies[0]);
    ASSERT_NE(innerCopy, nullptr);
    EXPECT_EQ(Shows(innerCopy), static_cast<ISRepObject*>(dstInner));
    const std::vector<SSymBase*> below = Children(innerCopy);
    if (!deep) {
      EXPECT_TRUE(below.empty());
      EXPECT_EQ(map.GetCount(), 1);
      continue;
    }
    ASSERT_EQ(below.size(), 1u);
    EXPECT_EQ(Shows(below[0]), static_cast<ISRepObject*>(Member(dstInner, kSubObjects, 0)));
    EXPECT_EQ(below[0]->m_rect, SSymRect(22000, 3000, 23000, 2000)) << "moved with its own composite";
    EXPECT_EQ(*map.Find(grandchild->Sym()), below[0]->Sym());
  }
}

// Every refusal comes before the first change: no symbol made, no call to
// the diagram, the destination empty.
TEST_F(CompCopy, RefusedCopiesChangeNothing) {
  struct Case {
    const char* name;
    HRESULT want;
  };
  const Case cases[] = {
      {"noSource", E_POINTER},         {"noDestination", E_POINTER},
      {"otherType", S_FALSE},          {"sourceShowsNothing", S_FALSE},
      {"shorterDestination", S_FALSE}, {"deletedSource", CO_E_OBJNOTCONNECTED},
      {"noDefinition", E_UNEXPECTED},  {"destinationInsideSource", E_INVALIDARG},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    m_copyDiagram->m_calls.clear();
    TNode* srcModel = ModelWith(2);
    TNode* dstModel = ModelWith(name == "shorterDestination" ? 1 : 2);
    TCompSym* source = PlacedComp(name == "sourceShowsNothing" ? nullptr : srcModel, SSymRect(0, 10000, 10000, 0));
    TCompSym* destination = PlacedComp(dstModel, SSymRect(0, 10000, 10000, 0));
    ChildOf(source, Member(srcModel, kSubObjects, 0), SSymRect(0, 900, 900, 0));
    ChildOf(source, Member(srcModel, kSubObjects, 1), SSymRect(1000, 900, 1900, 0));
    if (name == "otherType") destination->m_symType = 10;
    if (name == "destinationInsideSource") Hold(source, destination);
    if (name == "deletedSource") {
      ASSERT_EQ(source->Delete(), S_OK);
    }
    ISSymCompSym* by = destination->CompSym();
    if (name == "noDefinition") {
      auto* none = Make<TCompSym>(SSymRect(0, 10000, 10000, 0), nullptr);
      by = none->CompSym();
    }
    EXPECT_EQ(by->CopyChildrenSym(name == "noSource" ? nullptr : source->Sym(),
                                  name == "noDestination" ? nullptr : destination->Sym(), 1, nullptr),
              c.want);
    EXPECT_TRUE(m_copyDiagram->m_calls.empty());
    EXPECT_TRUE(Children(destination).empty());
  }
}

// Outside any diagram a child that answers ISSymClone copies itself; one
// that does not is left out.
TEST_F(CompCopy, WithoutADiagramChildrenCopyThemselves) {
  TNode* srcModel = ModelWith(2);
  TNode* dstModel = ModelWith(2);
  TCompSym* source = CompOf(srcModel, SSymRect(0, 10000, 10000, 0));
  TCompSym* destination = CompOf(dstModel, SSymRect(10000, 10000, 20000, 0));
  TCloneSym* self = ChildOf<TCloneSym>(source, Member(srcModel, kSubObjects, 0), SSymRect(0, 900, 900, 0));
  ChildOf(source, Member(srcModel, kSubObjects, 1), SSymRect(1000, 900, 1900, 0));  // no ISSymClone

  ASSERT_EQ(Copy(source, destination), S_OK);
  EXPECT_TRUE(m_copyDiagram->m_calls.empty());
  const std::vector<SSymBase*> copies = Children(destination);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_NE(copies[0], self);
  EXPECT_NE(dynamic_cast<TCloneSym*>(copies[0]), nullptr);
  EXPECT_EQ(copies[0]->m_rect, SSymRect(10000, 900, 10900, 0));
}

TEST_F(CompCopy, ChildrenOfDeletedObjectsAreLeftOut) {
  TNode* srcModel = ModelWith(2);
  TNode* dstModel = ModelWith(2);
  TCompSym* source = PlacedComp(srcModel, SSymRect(0, 10000, 10000, 0));
  TCompSym* destination = PlacedComp(dstModel, SSymRect(0, 10000, 10000, 0));
  TNode* gone = Member(srcModel, kSubObjects, 0);
  ChildOf(source, gone, SSymRect(0, 900, 900, 0));
  TModelSym* kept = ChildOf(source, Member(srcModel, kSubObjects, 1), SSymRect(1000, 900, 1900, 0));
  ASSERT_EQ(gone->Delete(), S_OK);

  ASSERT_EQ(Copy(source, destination), S_OK);
  EXPECT_EQ(m_copyDiagram->m_calls, std::vector<ISSymbol*>{kept->Sym()});
  const std::vector<SSymBase*> copies = Children(destination);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(Shows(copies[0]), static_cast<ISRepObject*>(Member(dstModel, kSubObjects, 0)))
      << "the source's remaining sub-objects pair with the destination's by position";
}
}  // namespace
