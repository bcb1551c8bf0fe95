// The group of compartments: its member table (direct and flattened), the
// rectangle it computes, the placement and separator lines it draws
// (stacked, side by side, nested, pulled in to an elliptic outline), the
// font operations over its members, in-place editing on the compartment
// under a point, and its answers to groups without owner, host or members.
#include <gtest/gtest.h>

#include <cmath>

#include "support/compartments_fixture.h"
#include "support/recording_canvas.h"
#include "support/repfixture.h"
#include "sym/tools/symeditinplace.h"

namespace {

class SubGroup : public SymFixture {
 protected:
  THost* Host() { return Place<THost>(DiagramOwner()); }
  static std::vector<std::string> Lines(const RecordingCanvas& c) { return c.Only("Line "); }
  static SSymRect Rect(SSymSubs* s) {
    SSymRect r = s->GetClipRect(0, 0);
    return r.Normalize();
  }
};

TEST_F(SubGroup, KeepsItsMembersDirectAndFlattened) {
  THost* h = Host();
  TBox* a = h->Add(new TBox(100, 100));
  auto* layout = h->Add(new SSymSubLayout(h->Sym(), 0));
  TBox* b = h->Add(new TBox(100, 100), layout);
  TBox* c = h->Add(new TBox(100, 100), layout);
  TBox* d = h->Add(new TBox(100, 100));
  SSymSubGroup& g = h->m_group;
  EXPECT_EQ(g.GetCount(0), 3);
  EXPECT_EQ(g.GetCount(1), 4);
  EXPECT_EQ(g.GetSubSymbol(1, 0), layout);
  EXPECT_EQ(g.GetSubSymbol(1, 1), b);
  EXPECT_EQ(g.GetSubSymbol(2, 1), c);
  EXPECT_EQ(g.GetSubSymbol(-1, 1), d);
  EXPECT_EQ(g.GetSubSymbol(4, 1), nullptr);  // index equal to the count
  EXPECT_EQ(g.GetSubSymbol(3, 0), nullptr);
  EXPECT_EQ(g.GetSubSymbol(-2, 0), nullptr);
  EXPECT_EQ(g.GetPos(a), 0);
  EXPECT_EQ(g.GetPos(b), -1);  // nested: not a direct member
  EXPECT_EQ(g.GetPos(nullptr), -1);
  TBox* e = new TBox(1, 1);
  e->AddRef();
  g.Insert(-5, e);  // a negative position appends
  EXPECT_EQ(g.GetSubSymbol(-1, 0), e);
  g.Remove(99);  // out of range: nothing
  EXPECT_EQ(g.GetCount(0), 4);
  g.Remove(3);  // taken out, not released
  EXPECT_EQ(g.GetCount(0), 3);
  EXPECT_EQ(e->Release(), 0u);
  STable<SSymSubsFonts*> list;
  g.GetSubSymList(list, 1);
  ASSERT_EQ(list.GetCount(), 4);
  EXPECT_EQ(list[3], d);
}

TEST_F(SubGroup, WithoutOwnerHostOrMembersComputesAndDrawsNothing) {
  RecordingCanvas canvas;
  SSymSubGroup orphan(nullptr);
  EXPECT_EQ(orphan.ComputeGroupRect(canvas, 0, 0), SSymRect(0, 0, 0, 0));
  orphan.DrawSubSymbol(canvas);
  EXPECT_EQ(orphan.GetSubSymbol(0, 1), nullptr);
  EXPECT_EQ(orphan.EditInPlace(nullptr, SSymPoint(0, 0), 1), E_POINTER);
  EXPECT_EQ(orphan.IsTitleOnly(), nullptr);
  EXPECT_EQ(orphan.IsEmptyLastSubSym(), 0);
  EXPECT_EQ(orphan.GetRelatedPos(nullptr), -1);

  THost* h = Host();
  EXPECT_EQ(h->m_group.ComputeGroupRect(canvas, 0, 0), SSymRect(0, 0, 0, 0));  // no members

  // An owner that does not answer the host's face: nothing drawn.
  TSym* plain = Place<TSym>(DiagramOwner());
  SSymSubGroup g(plain->Sym());
  auto* box = new TBox(100, 100);
  box->AddRef();
  g.Add(box);
  g.DrawSubSymbol(canvas);
  EXPECT_EQ(box->m_draws, 0);
  EXPECT_TRUE(canvas.Calls().empty());
}

// Three compartments 2000 wide and 1000 high stacked in a 10000 square: 150
// above, below and between, plus the space of the separator lines.
struct StackCase {
  const char* name;
  LONG kind;
  LONG height;               // what ComputeGroupRect gives
  std::vector<LONG> lines;   // y of the separator lines drawn
};

class SubGroupStack : public SubGroup, public ::testing::WithParamInterface<StackCase> {};

TEST_P(SubGroupStack, ReservesAndDrawsTheSeparatorsOfItsKind) {
  const StackCase& p = GetParam();
  THost* h = Host();
  TBox* box[3];
  for (auto*& b : box) b = h->Add(new TBox(2000, 1000, p.kind));
  RecordingCanvas canvas;
  const SSymRect need = h->m_group.ComputeGroupRect(canvas, 0, 0);
  EXPECT_EQ(need.Height(), p.height);
  EXPECT_EQ(need.Width(), 2000);
  EXPECT_NEAR(need.GetCenter().x, 5000, 1);  // about the owner's centre
  EXPECT_NEAR(need.GetCenter().y, 5000, 1);

  h->Sym()->Draw(canvas);
  std::vector<std::string> want;
  for (LONG y : p.lines) want.push_back("Line 0 " + std::to_string(y) + " 10000 " + std::to_string(y));
  EXPECT_EQ(Lines(canvas), want);
  // The first compartment starts 150 inside the top; each one is as high and
  // as wide as it measured (a box keeps its left edge), not as wide as the frame.
  EXPECT_EQ(Rect(box[0]), SSymRect(150, 9850, 2150, 8850));
  for (TBox* b : box) EXPECT_EQ(b->m_draws, 1);
  const LONG step = 1000 + 150 + 150 * static_cast<LONG>(p.lines.size() / 2);
  EXPECT_EQ(Rect(box[1]).y1, 8850 - step + 1000);
  EXPECT_EQ(Rect(box[2]).y1, Rect(box[1]).y2 - (step - 1000));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SubGroupStack,
                         ::testing::Values(StackCase{"Kind0NoLines", 0, 3600, {}},
                                           StackCase{"Kind1OneLine", 1, 3900, {8700, 7400}},
                                           StackCase{"Kind2OneLine", 2, 3900, {8700, 7400}},
                                           StackCase{"Kind3TwoLines", 3, 4200, {8700, 8550, 7250, 7100}}),
                         CaseName());

// A drawn compartment covers what it measured across the group, not the
// whole frame: a point of the frame just beside a narrow compartment (or,
// side by side, below a low one) does not hit it.
struct AcrossCase {
  const char* name;
  int vertical;
};

class SubGroupAcross : public SubGroup, public ::testing::WithParamInterface<AcrossCase> {};

TEST_P(SubGroupAcross, EachCompartmentCoversItsMeasuredSizeAcross) {
  const bool vertical = GetParam().vertical != 0;
  THost* h = Host();
  SSymSubGroup* g = &h->m_group;
  if (!vertical) g = h->Add(new SSymSubLayout(h->Sym(), 0));
  TBox* big = h->Add(vertical ? new TBox(3000, 1000) : new TBox(1500, 1000), g);
  TBox* small = h->Add(vertical ? new TBox(2000, 1000) : new TBox(1500, 600), g);
  RecordingCanvas canvas;
  h->Sym()->Draw(canvas);
  for (TBox* b : {big, small}) {
    const SSymRect r = Rect(b);
    EXPECT_EQ(r.x2 - r.x1, b->m_w);
    EXPECT_EQ(r.y1 - r.y2, b->m_h);
    const SSymPoint beside = vertical ? SSymPoint(r.x2 + 150, r.GetCenter().y) : SSymPoint(r.GetCenter().x, r.y2 - 150);
    EXPECT_FALSE(b->IsPtInSym(canvas, beside, nullptr, nullptr));
    EXPECT_TRUE(b->IsPtInSym(canvas, r.GetCenter(), nullptr, nullptr));
  }
}

INSTANTIATE_TEST_SUITE_P(Orientations, SubGroupAcross,
                         ::testing::Values(AcrossCase{"Stacked", 1}, AcrossCase{"SideBySide", 0}), CaseName());

TEST_F(SubGroup, SeparatorEndsArePulledInToALinkableOutline) {
  THost* h = Host();
  h->m_ellipse = true;
  for (int i = 0; i < 2; ++i) h->Add(new TBox(2000, 1000, 1));
  RecordingCanvas canvas;
  h->Sym()->Draw(canvas);
  ASSERT_EQ(Lines(canvas).size(), 1u);
  int x1, y1, x2, y2;
  ASSERT_EQ(std::sscanf(Lines(canvas)[0].c_str(), "Line %d %d %d %d", &x1, &y1, &x2, &y2), 4);
  EXPECT_EQ(y1, 8700);
  EXPECT_EQ(y2, 8700);
  // Both ends lie on the ellipse, inside the rectangle.
  for (int x : {x1, x2}) {
    const double u = (x - 5000) / 5000.0, v = (8700 - 5000) / 5000.0;
    EXPECT_NEAR(u * u + v * v, 1.0, 0.01) << x;
  }
  EXPECT_GT(x1, 1000);
  EXPECT_LT(x2, 9000);
}

TEST_F(SubGroup, TitleBitGoesToTheOnlyContent) {
  THost* h = Host();
  TBox* empty = h->Add(new TBox(100, 100));
  empty->m_empty = true;
  empty->SetFlag(SUBS_KEEPEMPTY, false);
  TBox* title = h->Add(new TBox(1000, 500));
  TBox* hidden = h->Add(new TBox(100, 100));
  hidden->SetFlag(SUBS_HIDDEN, true);
  RecordingCanvas canvas;
  const SSymRect need = h->m_group.ComputeGroupRect(canvas, 0, 0);
  EXPECT_TRUE(title->GetFlags() & SUBS_TITLE);
  EXPECT_FALSE(empty->GetFlags() & SUBS_TITLE);
  EXPECT_EQ(h->m_group.IsTitleOnly(), title);
  EXPECT_EQ(need.Height(), 150 + 500 + 150);
  title->SetFlag(SUBS_NEVERTITLE, true);
  h->m_group.ComputeGroupRect(canvas, 0, 0);
  EXPECT_FALSE(title->GetFlags() & SUBS_TITLE);
  EXPECT_EQ(h->m_group.IsTitleOnly(), nullptr);
  // Nothing but hidden and empty compartments: the margins alone.
  title->SetFlag(SUBS_HIDDEN, true);
  EXPECT_EQ(h->m_group.ComputeGroupRect(canvas, 0, 0).Height(), 300);
}

TEST_F(SubGroup, AMeasuredEdgeWithin20UnitsKeepsTheProposedOne) {
  for (const LONG off : {20, 21}) {
    THost* h = Host();
    TBox* b = h->Add(new TBox(1000, 1000));
    b->ForceRect(SSymRect(0, 5000, 100, 5000 - 1000 - off));
    RecordingCanvas canvas;
    h->m_group.ComputeGroupRect(canvas, 0, 0);
    EXPECT_EQ(Rect(b).y1 - Rect(b).y2, off == 20 ? 1020 : 1000) << off;
  }
}

TEST_F(SubGroup, HostSizesMarginsAndAdjustmentShapeTheBlock) {
  THost* h = Host();
  TBox* a = h->Add(new TBox(2000, 1000));
  TBox* gone = h->Add(new TBox(2000, 1000));
  gone->SetFlag(SUBS_HOSTADJUST, true);
  h->m_adjust = [&](SSymSubsFonts* s, SSymRect& r) {
    if (s == gone) r.y2 = r.y1;  // the host takes all its length
  };
  RecordingCanvas canvas;
  h->m_minW = 4000;
  h->m_minH = 3000;  // taken 150 larger
  const SSymRect need = h->m_group.ComputeGroupRect(canvas, 0, 0);
  EXPECT_EQ(need.Height(), 3150 + 150);
  EXPECT_GE(need.Width(), 2000);
  h->m_margin = 500;
  h->Sym()->Draw(canvas);
  EXPECT_EQ(Rect(a).x1, 650);
  EXPECT_EQ(Rect(a).y1, 9350);
  EXPECT_EQ(gone->m_draws, 0);
}

TEST_F(SubGroup, NestedLayoutsStackAndStandSideBySide) {
  THost* h = Host();
  TBox* top = h->Add(new TBox(3000, 800, 1));
  auto* row = h->Add(new SSymSubLayout(h->Sym(), 0));
  row->_SetKind(1);
  TBox* left = h->Add(new TBox(1500, 1000, 1), row);
  TBox* right = h->Add(new TBox(1500, 1000, 1), row);
  TBox* bottom = h->Add(new TBox(3000, 800, 0));
  RecordingCanvas canvas;
  h->Sym()->Draw(canvas);
  const SSymRect rr = Rect(row), lr = Rect(left), rg = Rect(right);
  // Stacked: the row lies between the other two.
  EXPECT_LT(rr.y1, Rect(top).y2);
  EXPECT_GT(rr.y2, Rect(bottom).y1);
  // Side by side inside the row, 150 plus the separator's space apart.
  EXPECT_EQ(lr.y1, rg.y1);
  EXPECT_EQ(rg.x1 - lr.x2, 300);
  // The row is as wide as it measured (150, 1500, 300, 1500, 150), centred
  // in the owner as its measurement is; its frame is inset at its outer
  // sides only: it adjoins compartments above and below.
  EXPECT_EQ(lr.x1, 5000 - 3600 / 2 + 150);
  EXPECT_EQ(rg.x2, 5000 + 3600 / 2 - 150);
  EXPECT_EQ(lr.y1, Rect(top).y2 - 300);
  // One vertical line between left and right, from 150 above the row to its
  // bottom: the row's own edge, which its inclusive measure puts up to one
  // unit above the exclusive one of its compartments.
  const auto lines = Lines(canvas);
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, verticals = 0;
  for (const std::string& l : lines) {
    if (std::sscanf(l.c_str(), "Line %d %d %d %d", &x1, &y1, &x2, &y2) != 4 || x1 != x2) continue;
    ++verticals;
    EXPECT_EQ(x1, lr.x2 + 150);
    EXPECT_EQ(y1, rr.y1 + 150);
    EXPECT_NEAR(y2, rr.y2, 1);
  }
  EXPECT_EQ(verticals, 1) << ::testing::PrintToString(lines);
  // Two horizontal lines of the outer group: after the top and after the row.
  EXPECT_EQ(lines.size(), 3u);
  int adjoin[4] = {9, 9, 9, 9};
  EXPECT_EQ(h->m_group.LocateNested(row, &adjoin[0], &adjoin[1], &adjoin[2], &adjoin[3]), 1);
  EXPECT_EQ(adjoin[2], 1);
  EXPECT_EQ(adjoin[3], 1);
  EXPECT_EQ(h->m_group.LocateNested(left, &adjoin[0], &adjoin[1], &adjoin[2], &adjoin[3]), 1);
  EXPECT_EQ(adjoin[0], 0);  // first of the row
  EXPECT_EQ(adjoin[1], 1);
  EXPECT_EQ(h->m_group.LocateNested(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
}

TEST_F(SubGroup, AnEmptyTextTakesNoRoomNorCountsLast) {
  THost* h = Host();
  TBox* a = h->Add(new TBox(2000, 1000, 1));
  auto* empty = h->Add(new SSymSubText());
  empty->_SetKind(1);
  TBox* b = h->Add(new TBox(2000, 1000, 0));
  auto* trailing = h->Add(new SSymSubText());
  trailing->_SetKind(1);
  RecordingCanvas canvas;
  h->Sym()->Draw(canvas);
  EXPECT_EQ(Rect(b).y1, Rect(a).y2 - 300);  // one separator, as though the text were not there
  EXPECT_EQ(Lines(canvas).size(), 1u);
  EXPECT_TRUE(Rect(empty).IsDegenerate());
  EXPECT_TRUE(canvas.Only("DrawText").empty());
  EXPECT_EQ(h->m_group.ComputeGroupRect(canvas, 0, 0).Height(), 150 + 1000 + 300 + 1000 + 150);
  EXPECT_EQ(h->m_group.GetRelatedPos(a), 1);
  EXPECT_EQ(h->m_group.GetRelatedPos(empty), 0);
  EXPECT_EQ(h->m_group.GetRelatedPos(b), 2);  // the trailing empty text does not count as last
  EXPECT_EQ(h->m_group.GetRelatedPos(trailing), 0);
  EXPECT_EQ(h->m_group.IsEmptyLastSubSym(), 0);  // collapsed to a point
}

TEST_F(SubGroup, FontsFanOutToEveryMatchingMember) {
  THost* h = Host();
  auto named = [&](const char16_t* name, SSymSubGroup* g = nullptr) {
    auto* t = h->Add(new SSymSubText(), g);
    SSymFonts e;
    e.m_name = SString(name);
    t->_SetFonts(e);
    return t;
  };
  SSymSubText* a1 = named(u"Attr");
  SSymSubText* n = named(u"Name");
  auto* layout = h->Add(new SSymSubLayout(h->Sym()));
  SSymSubText* a2 = named(u"Attr", layout);
  SSymSubGroup& g = h->m_group;
  EXPECT_EQ(g.GetFontCount(), 3);  // the layout stands for its members
  SSymFonts bold;
  bold.m_name = SString(u"Other");
  bold.m_font = SSymFont(SString(u"Courier New"), 12, SSymFont::Bold);
  EXPECT_EQ(g.SetFont(SString(u"Missing"), bold, 0), 0);
  EXPECT_EQ(g.CopyFont(SString(u"Attr"), bold, 0), 1);
  EXPECT_EQ(a1->GetSubFont(), bold.m_font);
  EXPECT_NE(a2->GetSubFont(), bold.m_font);  // only the first
  EXPECT_EQ(a1->GetFontsEntry().m_name, SString(u"Attr"));
  bold.m_name = SString(u"Attr");
  EXPECT_EQ(g.SetFont(SString(u"Attr"), bold, 0), 1);
  EXPECT_EQ(a2->GetSubFont(), bold.m_font);  // nested members too
  EXPECT_NE(n->GetSubFont(), bold.m_font);
  SSymFonts out;
  EXPECT_EQ(g.GetFont(SString(u"Name"), &out), 1);
  EXPECT_EQ(g.SetFontsColor(SSymColor(0x0000FF)), 1);
  EXPECT_EQ(n->GetSubFontColor().GetColor(), 0x0000FFu);
  EXPECT_EQ(a2->GetSubFontColor().GetColor(), 0x0000FFu);
}

// A text bound to an attribute of a repository object.
class TAttr : public SSymSubText {
 public:
  TAttr(ISRepObject* o, LONG id, const char16_t* text) : m_obj(o), m_id(id) { _SetText(SString(text)); }
  int GetSymbolType() override { return 0; }
  ISRepObject* GetBoundObject() const override { return m_obj; }
  LONG GetAttrId() const override { return m_id; }
  ISRepObject* m_obj;
  LONG m_id;
};

struct EditCase {
  const char* name;
  SSymPoint pt;
  int atPoint;
  HRESULT result;
  int start;  // -1: no editor ran
  bool noView = false;
};

class SubGroupEdit : public SubGroup, public ::testing::WithParamInterface<EditCase> {};

// Compartments: the code (read-only) at the top, the name in the middle, a
// plain text at the bottom.
TEST_P(SubGroupEdit, StartsOnTheCompartmentUnderThePoint) {
  const EditCase& p = GetParam();
  TNodeRegistry();
  TNode* node = NewNode(Session());
  THost* h = Host();
  h->Add(new TAttr(node, kCode, u"N10"))->SetRect(SSymRect(0, 9000, 10000, 7000));
  h->Add(new TAttr(node, kName, u"name"))->SetRect(SSymRect(0, 6000, 10000, 4000));
  h->Add(new SSymSubText(nullptr, SString(u"plain"), SSymRect(0, 3000, 10000, 1000)));
  SSymView view;
  SSymEditInPlaceController::s_lastGroupStart = -1;
  EXPECT_EQ(h->m_group.EditInPlace(p.noView ? nullptr : &view, p.pt, p.atPoint), p.result);
  EXPECT_EQ(SSymEditInPlaceController::s_lastGroupStart, p.start);
  if (p.start >= 0) {
    EXPECT_EQ(SSymEditInPlaceController::s_lastGroupCount, 3);
  }
  node->Release();
}

INSTANTIATE_TEST_SUITE_P(Points, SubGroupEdit,
                         ::testing::Values(EditCase{"OnTheName", {5000, 5000}, 1, S_OK, 1},
                                           EditCase{"OnTheReadOnlyCode", {5000, 8000}, 1, 1, -1},
                                           EditCase{"OnThePlainText", {5000, 2000}, 1, 1, -1},
                                           EditCase{"NowhereStartsOnTheName", {-9000, -9000}, 0, S_OK, 1},
                                           EditCase{"NoView", {5000, 5000}, 1, E_POINTER, -1, true}),
                         CaseName());

TEST_F(SubGroup, NothingEditableEditsNothing) {
  TNodeRegistry();
  TNode* node = NewNode(Session());
  THost* h = Host();
  h->Add(new TAttr(node, kCode, u"N10"))->SetRect(SSymRect(0, 9000, 10000, 7000));
  SSymView view;
  SSymEditInPlaceController::s_lastGroupStart = -1;
  EXPECT_EQ(h->m_group.EditInPlace(&view, SSymPoint(5000, 8000), 0), 1);
  EXPECT_EQ(SSymEditInPlaceController::s_lastGroupStart, -1);
  node->Release();
}

}  // namespace
