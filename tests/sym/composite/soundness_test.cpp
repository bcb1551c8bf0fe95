// What every owner and symbol promises whatever it is handed: one owner per
// symbol (a symbol another owner holds is taken from it or refused), the
// same answer to a null symbol from every owner, no link ending on itself, a
// transform with a NaN or infinite entry refused with nothing changed, huge
// rectangles in the spatial index.
#include <cmath>
#include <functional>
#include <limits>

#include "support/comp_fixture.h"
#include "support/link_fixture.h"
#include "support/recording_canvas.h"
#include "support/reload.h"
#include "support/tree_fixture.h"
#include "sym/composite/symgroup.h"
#include "sym/composite/symswimgroup.h"
#include "sym/composite/symswimpool.h"
#include "sym/diagram/symrectindex.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

class Soundness : public LinkFixtureOf<TreeFixture> {
 protected:
  SSymGroup* Group() {
    auto* g = New<SSymGroup>(CLSID_SSymGroup);
    EXPECT_EQ(m_diag->Add(g->Sym()), S_OK);
    return g;
  }
  TCompSym* Composite() {
    TCompSym* c = AddTo<TCompSym>(m_diag, SSymRect(0, 36000, 48000, 0), &TCompSym::DefaultDef());
    m_comps.push_back(c);
    return c;
  }
  void TearDown() override {
    for (TCompSym* c : m_comps) c->ReleaseAll();
    LinkFixtureOf<TreeFixture>::TearDown();
  }
  static SComWrap<ISSymOwner> OwnerOf(IUnknown* s) { return SComWrap<ISSymOwner>(s); }
  // The repository objects that list the symbol among their Symbols.
  static std::vector<ISRepObject*> Holders(SSymBase* s) {
    std::vector<ISRepObject*> out;
    if (SRepCollection* col = s->FindCollection(SymAttr::ParentColl))
      for (SRepObject* o : col->Items()) out.push_back(static_cast<ISRepObject*>(o));
    return out;
  }
  static std::vector<SSymPoint> Points(const SSymListPt& l) {
    std::vector<SSymPoint> out;
    for (int i = 0; i < l.GetCount(); ++i) out.push_back(l[i]);
    return out;
  }
  // A nest of `depth` groups around `leaf`, the innermost first, made as a
  // file gives it: through the repository collections, past the owners'
  // nesting check.
  std::vector<SSymGroup*> FileNest(SSymBase* leaf, int depth) {
    std::vector<SSymGroup*> groups;
    ISSymbol* inner = leaf->Sym();
    for (int level = 0; level < depth; ++level) {
      auto* g = New<SSymGroup>(CLSID_SSymGroup);
      EXPECT_EQ(g->Collection(SymAttr::Symbols)->Insert(RepObjWrap(inner).Get(), -1), S_OK);
      groups.push_back(g);
      inner = g->Sym();
    }
    return groups;
  }
  // `top` is a nest of `depth` groups, each holding the next in both its
  // collections, around one rectangle at `rect`.
  static void ExpectNest(ISRepObject* top, int depth, const SSymRect& rect) {
    SRepObject* at = SRepObject::FromInterface(top);
    for (int level = 0; level < depth; ++level) {
      auto* g = dynamic_cast<SSymGroup*>(at);
      ASSERT_NE(g, nullptr) << "level " << level;
      SRepCollection* symbols = g->FindCollection(SymAttr::Symbols);
      ASSERT_TRUE(symbols && symbols->GetCount() == 1) << "level " << level;
      ASSERT_EQ(g->GetCount(), 1) << "level " << level;
      at = symbols->GetAt(0);
      ASSERT_EQ(g->m_children.GetAt(0), SComWrap<ISSymbol>(static_cast<ISRepObject*>(at)).Get()) << "level " << level;
    }
    auto* box = dynamic_cast<SSymRectangle*>(at);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->m_rect, rect);
  }
  std::vector<TCompSym*> m_comps;
};

// ---- one owner per symbol ----------------------------------------------------------------------------
// A box held by a group (with a second member, so the group stays when the
// box leaves) is offered to each kind of owner: the owner takes it from the
// group; never are both holding it.
TEST_F(Soundness, ASymbolHeldByAGroupIsMovedByEveryOtherOwner) {
  struct Case {
    const char* name;
    std::function<IUnknown*()> owner;
    HRESULT expected;  // S_OK: the owner takes the box from the group
  };
  const Case cases[] = {
      {"second group", [this]() -> IUnknown* { return Group()->Sym(); }, S_OK},
      {"composite", [this]() -> IUnknown* { return Composite()->Sym(); }, S_OK},
      {"tree", [this]() -> IUnknown* { return NewTree()->Sym(); }, S_OK},
      {"diagram", [this]() -> IUnknown* { return m_diag->RepObject(); }, S_OK},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SSymGroup* first = Group();
    SSymRectangle* box = Box(SSymRect(0, 3600, 4800, 0));
    SSymRectangle* other = Box(SSymRect(6000, 3600, 9000, 0));
    ASSERT_EQ(first->Add(box->Sym()), S_OK);
    ASSERT_EQ(first->Add(other->Sym()), S_OK);
    IUnknown* target = k.owner();
    const HRESULT hr = OwnerOf(target)->Add(box->Sym());
    EXPECT_EQ(hr, k.expected);
    ISRepObject* taker = RepObjWrap(target).Get();
    const std::vector<ISRepObject*> holders = Holders(box);
    ASSERT_EQ(holders.size(), 1u);
    EXPECT_TRUE(SRepAreSameObjects(holders[0], SUCCEEDED(hr) ? taker : first->Obj()));
    EXPECT_EQ(first->Contains(box->Sym(), 0), SUCCEEDED(hr) ? 0 : 1);
  }
}

// The reproducer: a box in one group added to a second group leaves the first.
TEST_F(Soundness, ASymbolAddedToASecondGroupLeavesTheFirst) {
  SSymGroup* a = Group();
  SSymGroup* b = Group();
  SSymRectangle* box = Box(SSymRect(0, 3600, 4800, 0));
  SSymRectangle* other = Box(SSymRect(6000, 3600, 9000, 0));
  ASSERT_EQ(a->Add(box->Sym()), S_OK);
  ASSERT_EQ(a->Add(other->Sym()), S_OK);
  EXPECT_EQ(b->Add(box->Sym()), S_OK);
  EXPECT_EQ(a->GetCount(), 1);
  EXPECT_EQ(b->GetCount(), 1);
  EXPECT_EQ(a->Contains(box->Sym(), 1), 0);
  SComOut<ISSymOwner> owner;
  ASSERT_EQ(box->GetOwner(&owner), S_OK);
  EXPECT_TRUE(SRepAreSameObjects(owner.Get(), b->Obj()));
  EXPECT_EQ(Holders(box).size(), 1u);
}

// ---- null symbols: one answer from every owner ------------------------------------------------------
TEST_F(Soundness, EveryOwnerAnswersANullSymbolWithEPointer) {
  struct Case {
    const char* name;
    std::function<IUnknown*()> owner;
  };
  const Case cases[] = {
      {"diagram", [this]() -> IUnknown* { return m_diag->RepObject(); }},
      {"group", [this]() -> IUnknown* { return Group()->Sym(); }},
      {"composite", [this]() -> IUnknown* { return Composite()->Sym(); }},
      {"tree", [this]() -> IUnknown* { return NewTree()->Sym(); }},
      {"pool", [this]() -> IUnknown* { return Make<SSymSwimLane>()->Sym(); }},
      {"lane group", [this]() -> IUnknown* { return Make<SSymSwimGroup>()->Sym(); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SComWrap<ISSymOwner> owner = OwnerOf(k.owner());
    ASSERT_FALSE(owner.IsNull());
    EXPECT_EQ(owner->Add(nullptr), E_POINTER);
    EXPECT_EQ(owner->Remove(nullptr), E_POINTER);
    EXPECT_EQ(owner->Contains(nullptr, 1), 0);
  }
  EXPECT_EQ(m_diag->Insert(-1, nullptr), E_POINTER);
}

// ---- links do not end on themselves -------------------------------------------------------------------
TEST_F(Soundness, ALinkRefusesToEndOnItself) {
  SSymRectangle* a = Box(SSymRect(0, 3600, 4800, 0));
  SSymRectangle* b = Box(SSymRect(9600, 3600, 14400, 0));
  SSymLinkBase* link = Link(a, b, SSymListPt({SSymPoint(4800, 1800), SSymPoint(9600, 1800)}));
  const std::vector<SSymPoint> before = Points(link->ListPt);
  for (int end : {0, 1}) {
    SCOPED_TRACE(end);
    EXPECT_EQ(link->AttachSym(end, link->Linkable(), SSymPoint(0, 0)), E_INVALIDARG);
  }
  EXPECT_EQ(End(link, 0), a->Sym());
  EXPECT_EQ(End(link, 1), b->Sym());
  EXPECT_EQ(Points(link->ListPt), before);
  // Nor does a link list itself among the links that end on it.
  EXPECT_EQ(link->AttachLink(link), E_INVALIDARG);
  EXPECT_EQ(link->GetLinks().GetCount(), 0);
  // A loop on one box is a link of its own kind and stays allowed.
  SSymLinkBase* loop = Link(a, a, SSymListPt({SSymPoint(4800, 1800), SSymPoint(4800, 600)}));
  EXPECT_EQ(End(loop, 0), a->Sym());
  EXPECT_EQ(End(loop, 1), a->Sym());
}

// ---- transforms with NaN or infinity ------------------------------------------------------------------
TEST_F(Soundness, ATransformWithANonFiniteEntryIsRefusedAndChangesNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Entry {
    int row, col;
    double value;
  };
  const Entry entries[] = {{0, 0, nan}, {1, 1, inf}, {0, 2, -inf}, {1, 0, nan}, {2, 2, inf}};
  SSymRectangle* a = Box(SSymRect(0, 3600, 4800, 0));
  SSymRectangle* b = Box(SSymRect(9600, 3600, 14400, 0));
  SSymLinkBase* link =
      Link(a, b, SSymListPt({SSymPoint(4800, 1800), SSymPoint(7000, 1800), SSymPoint(7000, 1000), SSymPoint(9600, 1000)}));
  SSymGroup* group = Group();
  ASSERT_EQ(group->Add(Box(SSymRect(20000, 3600, 24800, 0))->Sym()), S_OK);
  SSymBase* symbols[] = {a, link, group};
  for (const Entry& e : entries) {
    SSymMatrix m;
    m.Set(e.row, e.col, e.value);
    EXPECT_FALSE(m.IsFinite());
    for (SSymBase* s : symbols) {
      SCOPED_TRACE(testing::Message() << e.row << e.col << " " << s->Sym()->GetSymbolType());
      const SSymRect rect = s->Sym()->GetClipRect(0, 0);
      const std::vector<SSymPoint> points = Points(link->ListPt);
      EXPECT_EQ(s->Sym()->Transform(m, 1), E_INVALIDARG);
      EXPECT_EQ(s->Sym()->GetClipRect(0, 0), rect);
      EXPECT_EQ(Points(link->ListPt), points);
    }
  }
}

// ---- nesting ---------------------------------------------------------------------------------------------
// Groups nest up to the documented limit through every way of making a nest;
// one level more is refused and nothing changes.
TEST_F(Soundness, NestingPastTheLimitIsRefused) {
  SSymRectangle* leaf = Box(SSymRect(0, 3600, 4800, 0));
  ISSymbol* inner = leaf->Sym();
  std::vector<SSymGroup*> groups;
  for (int level = 1; level <= SSymMaxNesting; ++level) {
    auto* g = New<SSymGroup>(CLSID_SSymGroup);
    ASSERT_EQ(g->Add(inner), S_OK) << level;
    groups.push_back(g);
    inner = g->Sym();
  }
  auto* over = New<SSymGroup>(CLSID_SSymGroup);
  EXPECT_EQ(over->Add(inner), E_INVALIDARG);
  EXPECT_EQ(over->GetCount(), 0);
  SSymCollection members;
  members.Add(inner);
  SSymGroup* made = nullptr;
  EXPECT_EQ(SSymGroup::CreateFromCollection(members, Session(), &made), E_INVALIDARG);
  EXPECT_EQ(made, nullptr);
  // The innermost group takes a box (at the limit) but no group with a member.
  EXPECT_EQ(groups[0]->Add(Box(SSymRect(0, 10, 10, 0))->Sym()), S_OK);
  auto* pair = New<SSymGroup>(CLSID_SSymGroup);
  ASSERT_EQ(pair->Add(Box(SSymRect(0, 10, 10, 0))->Sym()), S_OK);
  EXPECT_EQ(groups[0]->Add(pair->Sym()), E_INVALIDARG);
  EXPECT_EQ(SComWrap<ISSymOwner>(NewTree()->Sym())->Add(inner), E_INVALIDARG);
  // The whole nest is held once by the diagram, and the walks reach the leaf.
  ASSERT_EQ(m_diag->Add(inner), S_OK);
  SComOut<ISSymDiagram> d;
  ASSERT_EQ(leaf->GetDiagram(&d), S_OK);
  EXPECT_NE(d.Get(), nullptr);
  EXPECT_EQ(groups.back()->Contains(leaf->Sym(), 1), 1);
}

// A nest far deeper than the limit, as an old file could hold it (made
// through the repository collections, which the owners' checks do not see):
// the walks up from the leaf, drawing, hit tests, bounds, formats and
// deletion reach every level without running out of stack.
constexpr int kFarPastTheLimit = 10000;

TEST_F(Soundness, ANestFarPastTheLimitIsWalkedDrawnFormattedAndDeleted) {
  const SSymRect leafRect(0, 3600, 4800, 0);
  SSymRectangle* leaf = Box(leafRect);
  const std::vector<SSymGroup*> groups = FileNest(leaf, kFarPastTheLimit);
  ISSymbol* top = groups.back()->Sym();
  ASSERT_EQ(m_diag->Insert(-1, top), S_OK);
  SComOut<ISSymDiagram> d;
  ASSERT_EQ(leaf->GetDiagram(&d), S_OK);
  EXPECT_NE(d.Get(), nullptr);
  EXPECT_EQ(m_diag->Contains(leaf->Sym(), 1), 1);
  // However deep, a level's top owner is the diagram, handed over counted.
  SComOut<ISSymOwner> diagram;
  ASSERT_EQ(m_diag->GetTopOwner(&diagram), S_OK);
  for (SSymGroup* g : {groups.front(), groups[kFarPastTheLimit / 2], groups.back()}) {
    ISSymOwner* found = nullptr;
    ASSERT_EQ(SComWrap<ISSymOwner>(g->Sym())->GetTopOwner(&found), S_OK);
    SComOut<ISSymOwner> held(found);
    EXPECT_EQ(found, diagram.Get());
  }
  // The bounds of every level are the leaf's.
  EXPECT_EQ(top->GetClipRect(0, 0), leaf->GetClipRect(0, 0));
  ASSERT_EQ(groups.back()->RecomputeClipRect(0), S_OK);
  EXPECT_EQ(top->GetClipRect(0, 0), leaf->GetClipRect(0, 0));
  // Drawn down to the leaf, in every drawing pass a composite has that draws the symbol.
  SComWrap<ISSymShadow> shadow(top);
  ASSERT_FALSE(shadow.IsNull());
  const std::pair<const char*, std::function<HRESULT(SSymCanvas&)>> passes[] = {
      {"Draw", [&](SSymCanvas& c) { return top->Draw(c); }},
      {"DrawSymbol", [&](SSymCanvas& c) { return shadow->DrawSymbol(c); }},
      {"DrawSymbolInRect", [&](SSymCanvas& c) { return shadow->DrawSymbolInRect(c, leafRect); }},
  };
  for (const auto& [name, pass] : passes) {
    SCOPED_TRACE(name);
    RecordingCanvas canvas;
    EXPECT_EQ(pass(canvas), S_OK);
    EXPECT_EQ(canvas.Only("Rectangle").size(), 1u);
  }
  {
    RecordingCanvas canvas;
    EXPECT_EQ(shadow->DrawShadow(canvas), S_OK);
    EXPECT_EQ(shadow->DrawShadowInRect(canvas, leafRect), S_OK);
  }
  // Hit where the leaf is, missed elsewhere.
  {
    RecordingCanvas canvas;
    EXPECT_TRUE(top->IsPtInSym(canvas, SSymPoint(2400, 1800), nullptr, nullptr));
    EXPECT_FALSE(top->IsPtInSym(canvas, SSymPoint(90000, 90000), nullptr, nullptr));
  }
  // A format set on the top reaches the leaf and is read back from the top.
  SSymFormatEx format;
  format.m_flags = SSymFormatEx::FlagPen;
  format.m_pen = SSymPen(1, 30, SSymColor(0x00FF00));
  EXPECT_EQ(top->SetFormat(format), S_OK);
  EXPECT_EQ(leaf->GetPen(), format.m_pen);
  SSymFormatEx back;
  EXPECT_EQ(top->GetFormat(back), S_OK);
  EXPECT_EQ(back.m_pen, format.m_pen);
  EXPECT_EQ(back.m_brush, leaf->GetBrush());
  SComWrap<ISRepObject, &IID_ISRepObject>(top)->Delete();
  for (SSymGroup* g : groups) ASSERT_TRUE(g->IsDeleted());
  EXPECT_TRUE(leaf->IsDeleted());
  EXPECT_EQ(m_diag->GetCount(), 0);
}

// Saved and read back, or duplicated, the same nest keeps every level and its leaf.
TEST_F(Soundness, ANestFarPastTheLimitKeepsEveryLevelThroughSaveReloadAndDuplicate) {
  const SSymRect leafRect(0, 3600, 4800, 0);
  SSymRectangle* leaf = Box(leafRect);
  const std::vector<SSymGroup*> groups = FileNest(leaf, kFarPastTheLimit);
  {
    kvtest::Reloaded reloaded;
    kvtest::ReloadInNewSession({groups.back()->Obj()}, reloaded);
    ASSERT_EQ(reloaded.saved, S_OK);
    ASSERT_EQ(reloaded.loaded, S_OK);
    ASSERT_EQ(reloaded.objects.size(), static_cast<size_t>(kFarPastTheLimit) + 1);
    ExpectNest(reloaded.objects[0], kFarPastTheLimit, leafRect);
  }
  ISRepObject* copy = nullptr;
  ASSERT_EQ(groups.back()->Duplicate(&copy, TRUE), S_OK);
  ASSERT_NE(copy, nullptr);
  ExpectNest(copy, kFarPastTheLimit, leafRect);
  copy->Delete();
  copy->Release();
}

// ---- huge rectangles in the spatial index ---------------------------------------------------------------
TEST_F(Soundness, TheSpatialIndexTakesRectanglesAsWideAsTheCoordinates) {
  const LONG big = 0x7FFFFFFF;
  const SSymRect rects[] = {SSymRect(-big, big, big, -big), SSymRect(-big, 10, big, 0), SSymRect(0, big, 10, -big),
                            SSymRect(big - 10, big, big, big - 10)};
  std::vector<ISSymbol*> boxes;
  for (const SSymRect& r : rects) {
    SSymRectangle* box = Box(r);
    ASSERT_EQ(m_diag->Add(box->Sym()), S_OK);
    boxes.push_back(box->Sym());
  }
  SSymRectIndex* index = m_diag->GetRectIndex();
  ASSERT_TRUE(index->IsConsistent());
  std::vector<SSymRectIndex::Found> found;
  ASSERT_TRUE(index->Collect(SSymPoint(5, 5), 0, found));
  EXPECT_EQ(found.size(), 3u);  // all but the one in the far corner
  found.clear();
  ASSERT_TRUE(index->Collect(SSymPoint(big - 5, big - 5), 0, found));
  EXPECT_EQ(found.size(), 2u);  // the whole plane and the far corner
}

}  // namespace
