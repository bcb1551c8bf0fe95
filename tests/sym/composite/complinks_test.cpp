// Links over a symbol set: the order in which a container draws the set's
// links, the parts of other links that reach the set from below it, and the
// set's other symbols, read from a recording canvas that notes the pen each
// drawing starts with and the clip in force.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/comp_fixture.h"
#include "support/link_fixture.h"
#include "support/recording_canvas.h"
#include "sym/composite/symcompimpl.h"

namespace {

// Notes the colour of every pen set, with the box of the clip region when
// one is in force (a pen set again unchanged adds nothing), and every
// rectangle drawn.
class PenCanvas : public RecordingCanvas {
 public:
  void SetPen(const SSymPen& pen) override {
    std::string entry = Hex(pen.m_color.GetColor());
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetClipRgn(GetCanvasDC()->GetSafeHdc(), rgn) == 1) {
      RECT box{};
      GetRgnBox(rgn, &box);
      entry += " clip " + std::to_string(box.left) + " " + std::to_string(box.top) + " " + std::to_string(box.right) +
               " " + std::to_string(box.bottom);
    }
    DeleteObject(rgn);
    if (pens.empty() || pens.back() != entry) pens.push_back(entry);
    RecordingCanvas::SetPen(pen);
  }
  void Rectangle(const SSymRect& r) override {
    pens.push_back("box " + R(r));
    RecordingCanvas::Rectangle(r);
  }
  static std::string Hex(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06lx", v);
    return buf;
  }
  std::vector<std::string> pens;
};

class SetLinks : public LinkFixtureOf<CompFixture> {
 protected:
  // A box of its own colour in an owner (the diagram unless told).
  SSymRectangle* Shape(const SSymRect& r, ISSymOwner* owner = nullptr) {
    SSymRectangle* b = Box(r);
    b->m_pen.m_color = NextColour();
    Into(owner, b);
    return b;
  }
  TCompSym* Comp(const SSymRect& r, ISSymOwner* owner = nullptr) {
    TCompSym* c = Make<TCompSym>(r);
    Into(owner, c);
    return c;
  }
  // A link of its own colour from a to b (straight between the two points),
  // held by an owner.
  SSymLinkBase* Line(SSymBase* a, SSymBase* b, SSymPoint from, SSymPoint to, ISSymOwner* owner = nullptr) {
    SSymLinkBase* l = Link(a, b, SSymListPt{from, to});
    l->m_pen.m_color = NextColour();
    Into(owner, l);
    return l;
  }
  void Into(ISSymOwner* owner, SSymBase* s) {
    if (!owner || !SComWrap<ISSymCompSym>(owner).IsNull()) {
      // Children join a composite through its Symbols collection itself.
      if (owner) {
        SComWrap<ISSymCompSym> comp(owner);
        static_cast<SSymBase*>(SSymBase::FromInterface(comp->GetCompSymbol()))
            ->Collection(SymAttr::Symbols)
            ->Insert(s->Obj(), -1);
        return;
      }
      DiagramOwner()->Add(s->Sym());
      return;
    }
    owner->Add(s->Sym());
  }
  DWORD NextColour() { return 0x010101 * static_cast<DWORD>(++m_colours); }
  static std::string Pen(SSymStd* s) { return PenCanvas::Hex(s->m_pen.m_color.GetColor()); }
  // What DrawOverSymbol notes for a link over a symbol on its own.
  static std::vector<std::string> Over(SSymLinkBase* l, int far, ISSymbol* symbol) {
    PenCanvas c;
    SSymLinkBase::DrawOverSymbol(l->Sym(), c, far, symbol);
    return c.pens;
  }
  static std::vector<std::string> Drawn(SSymBase* s) {
    PenCanvas c;
    s->Draw(c);
    return c.pens;
  }
  static std::vector<std::string> Run(SUnsortedComBag<ISSymbol>& set, ISSymbol* container) {
    PenCanvas c;
    DrawSymbolSetLinks(c, set, container);
    return c.pens;
  }
  static void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
    to.insert(to.end(), more.begin(), more.end());
  }
  int m_colours = 0;
};

// A composite shown as an icon: its descendants are hidden inside it, so
// the links that reach them from outside are drawn over it.
class TIconComp : public TCompSym {
 public:
  using TCompSym::TCompSym;
  HRESULT GetAttribute(LONG id, SRepVariant* v) override {
    if (id == SymAttr::IconMode && m_icon && v) {
      v->SetLONG(2);
      return S_OK;
    }
    return TCompSym::GetAttribute(id, v);
  }
  bool m_icon = true;
};

SUnsortedComBag<ISSymbol> SetOf(std::initializer_list<SSymBase*> members) {
  SUnsortedComBag<ISSymbol> set;
  for (SSymBase* m : members) set.Add(m->Sym());
  return set;
}

TEST_F(SetLinks, PlainContainerDrawsTheSetLinksThenTheLinksFromBelowThenTheBoxes) {
  // Drawing order of the diagram: the links below the container, a box the
  // container covers, the container, a link above it, then the set.
  SSymRectangle* a = Shape(SSymRect(1000, 2000, 2000, 1000));
  SSymRectangle* b = Shape(SSymRect(5000, 2000, 6000, 1000));
  SSymRectangle* z = Shape(SSymRect(1000, 8000, 2000, 7000));
  SSymRectangle* covered = Shape(SSymRect(5000, 8000, 6000, 7000));
  SSymRectangle* outside = Shape(SSymRect(20000, 2000, 21000, 1000));
  SSymLinkBase* below = Line(a, b, {1500, 1500}, {5500, 1500});  // both ends in the set
  SSymLinkBase* out = Line(b, outside, {5500, 1200}, {20500, 1200});  // far end outside
  SSymLinkBase* hidden = Line(covered, z, {5500, 7500}, {1500, 7500});  // far end (its source) covered
  SSymRectangle* container = Shape(SSymRect(0, 10000, 10000, 0));
  SSymLinkBase* above = Line(a, b, {1500, 1800}, {5500, 1800});  // drawn after the container
  SSymLinkBase* own = Line(a, b, {1500, 1300}, {5500, 1300});  // a member of the set
  for (SSymBase* s : {static_cast<SSymBase*>(below), static_cast<SSymBase*>(out), static_cast<SSymBase*>(hidden)})
    Diagram()->MoveTo(s->Sym(), 0);
  ASSERT_LT(Diagram()->GetPos(hidden->Sym()), Diagram()->GetPos(container->Sym()));
  ASSERT_LT(Diagram()->GetPos(covered->Sym()), Diagram()->GetPos(container->Sym()));
  ASSERT_GT(Diagram()->GetPos(above->Sym()), Diagram()->GetPos(container->Sym()));

  SUnsortedComBag<ISSymbol> set = SetOf({a, b, z, own});
  std::vector<std::string> want = Drawn(own);
  Append(want, Over(below, 1, container->Sym()));
  Append(want, Over(out, 1, container->Sym()));
  Append(want, Drawn(a));
  Append(want, Drawn(b));
  Append(want, Drawn(z));
  EXPECT_EQ(Run(set, container->Sym()), want);
  (void)above;
  (void)hidden;
}

TEST_F(SetLinks, ContainerOutsideAnyDiagramDrawsNothing) {
  SSymRectangle* a = Shape(SSymRect(1000, 2000, 2000, 1000));
  SSymRectangle* b = Shape(SSymRect(5000, 2000, 6000, 1000));
  SSymLinkBase* own = Line(a, b, {1500, 1500}, {5500, 1500});
  SSymRectangle* loose = Box(SSymRect(0, 10000, 10000, 0));  // in no diagram
  SUnsortedComBag<ISSymbol> set = SetOf({a, b, own});
  EXPECT_TRUE(Run(set, loose->Sym()).empty());
  EXPECT_TRUE(Run(set, nullptr).empty());
}

// A composite container holding a lane-like composite whose members form the
// set: a link found through a member is redrawn over the member's ancestor
// that sits in the link's owner, and a link between a composite member and
// its own child over that member.
TEST_F(SetLinks, InsideACompositeContainerLinksAreRedrawnOverTheSymbolsUnderTheirOwner) {
  TCompSym* container = Comp(SSymRect(0, 20000, 20000, 0));
  TCompSym* lane = Comp(SSymRect(1000, 15000, 15000, 1000), container->CompSym());
  SSymRectangle* m1 = Shape(SSymRect(2000, 4000, 3000, 3000), lane->CompSym());
  SSymRectangle* m2 = Shape(SSymRect(6000, 4000, 7000, 3000), lane->CompSym());
  TCompSym* p = Comp(SSymRect(2000, 12000, 8000, 8000), lane->CompSym());
  SSymRectangle* c = Shape(SSymRect(3000, 10000, 4000, 9000), p->CompSym());
  SSymRectangle* n = Shape(SSymRect(17000, 4000, 18000, 3000), container->CompSym());
  SSymLinkBase* toN = Line(m1, n, {2500, 3500}, {17500, 3500}, container->CompSym());
  SSymLinkBase* toP = Line(m2, p, {6500, 3800}, {6500, 8000}, lane->CompSym());
  // Held by the container: the climb from p would stop at the lane.
  SSymLinkBase* inP = Line(p, c, {5000, 10000}, {3500, 9500}, container->CompSym());

  SUnsortedComBag<ISSymbol> set = SetOf({m1, m2, p});
  std::vector<std::string> want = Over(toN, 1, lane->Sym());
  Append(want, Over(toP, 1, m2->Sym()));
  Append(want, Over(inP, 1, p->Sym()));
  Append(want, Drawn(m1));
  Append(want, Drawn(m2));
  Append(want, Drawn(p));
  EXPECT_EQ(Run(set, container->Sym()), want);
  // The three redraws are told apart by their clips.
  EXPECT_NE(Over(toN, 1, lane->Sym()), Over(toN, 1, container->Sym()));
  EXPECT_NE(Over(toP, 1, m2->Sym()), Over(toP, 1, lane->Sym()));
  EXPECT_NE(Over(inP, 1, p->Sym()), Over(inP, 1, lane->Sym()));
}

TEST_F(SetLinks, LinksOfTheDescendantsOfAnIconAreRedrawnOverTheContainer) {
  for (bool icon : {true, false}) {
    SCOPED_TRACE(icon ? "icon" : "open");
    SSymRectangle* outside = Shape(SSymRect(20000, 6000, 21000, 5000));
    TIconComp* p = Make<TIconComp>(SSymRect(1000, 8000, 8000, 1000));
    p->m_icon = icon;
    DiagramOwner()->Add(p->Sym());
    SSymRectangle* c = Shape(SSymRect(2000, 6000, 3000, 5000), p->CompSym());
    SSymRectangle* c2 = Shape(SSymRect(5000, 6000, 6000, 5000), p->CompSym());
    SSymLinkBase* inner = Line(c, c2, {2500, 5500}, {5500, 5500}, p->CompSym());
    SSymLinkBase* away = Line(c, outside, {2500, 5800}, {20500, 5800});
    SSymRectangle* container = Shape(SSymRect(0, 10000, 10000, 0));
    Diagram()->MoveTo(away->Sym(), 0);
    (void)inner;

    SUnsortedComBag<ISSymbol> set = SetOf({p});
    std::vector<std::string> want = icon ? Over(away, 1, container->Sym()) : std::vector<std::string>{};
    Append(want, Drawn(p));
    EXPECT_EQ(Run(set, container->Sym()), want);
  }
}
}  // namespace
