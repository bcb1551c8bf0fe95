// The keys of the diagram's spatial index: a symbol is filed under its own
// extent (its rectangle with the margin of its handles and pen), whatever it
// is: a box, a link with arrowheads made before its points and a label, a
// group; a link's boxes of its segments and labels lie within its key. A symbol far from the origin is never found at the origin.
#include "support/link_fixture.h"
#include "sym/composite/symgroup.h"
#include "sym/diagram/symrectindex.h"
#include "sym/links/symlinksym.h"

namespace {

class RectIndexKeys : public LinkFixture {
 protected:
  SSymLinkBase* ArrowedLink(SSymBase* a, SSymBase* b, bool label) {
    SCurrentContextChange outside(Session(), nullptr);
    auto* l = New<SSymLinkSym>(CLSID_SSymLinkSym);
    // The arrowheads come first, while the link has no points yet.
    l->SetArrow(4 | 8, 1, 0);
    const SSymListPt pts{a->m_rect.GetCenter(), b->m_rect.GetCenter()};
    l->ListPt = pts;
    EXPECT_EQ(l->AttachSym(0, a->Linkable(), pts[0]), S_OK);
    EXPECT_EQ(l->AttachSym(1, b->Linkable(), pts[1]), S_OK);
    l->ListPt = pts;
    if (label) l->SetCtrText(SString(u"relation"));
    l->RecomputeClipRect(0, 0);
    return l;
  }
};

TEST_F(RectIndexKeys, NoKeyIsLargerThanItsSymbol) {
  // Everything lies between 50,000 and 80,000 on both axes.
  std::vector<SSymBase*> boxes;
  for (int i = 0; i < 4; ++i) {
    const LONG x = 50000 + (i % 2) * 20000, y = 50000 + (i / 2) * 20000;
    boxes.push_back(Box(SSymRect(x, y + 3000, x + 5000, y)));
    m_diagram->Add(boxes.back()->Sym());
  }
  struct Case {
    int from, to;
    bool label;
  };
  for (const Case& c : {Case{0, 1, false}, Case{1, 3, true}, Case{3, 2, true}}) {
    SSymLinkBase* l = ArrowedLink(boxes[static_cast<std::size_t>(c.from)], boxes[static_cast<std::size_t>(c.to)],
                                  c.label);
    m_diagram->Add(l->Sym());
  }
  auto* group = New<SSymGroup>(CLSID_SSymGroup);
  m_diagram->Add(group->Sym());
  for (const SSymRect& r : {SSymRect(60000, 62000, 61000, 61000), SSymRect(63000, 65000, 64000, 64000)})
    ASSERT_EQ(S_OK, group->Add(Box(r)->Sym()));

  // The margin a key may add to the symbol's rectangle: handles and pen,
  // well under a tenth of the distance to the origin.
  constexpr LONG kMargin = 1000;
  int checked = 0;
  for (SRepObject* o : m_diagram->Collection(SymAttr::Symbols)->Items()) {
    SComWrap<ISSymbol> s(static_cast<ISRepObject*>(o));
    ASSERT_FALSE(s.IsNull());
    SSymRect own = s->GetClipRect(1, 0);
    own.Normalize();
    const SSymRect key = SSymRectIndex::KeyOf(s.Get());
    EXPECT_GE(key.x1, own.x1 - kMargin) << checked;
    EXPECT_LE(key.x2, own.x2 + kMargin) << checked;
    EXPECT_GE(key.y2, own.y2 - kMargin) << checked;
    EXPECT_LE(key.y1, own.y1 + kMargin) << checked;
    // A link's boxes of its segments and labels lie within its key.
    std::vector<SSymRect> boxes;
    if (SSymRectIndex::HitBoxesOf(s.Get(), key, boxes)) {
      EXPECT_FALSE(boxes.empty()) << checked;
      for (const SSymRect& b : boxes) {
        EXPECT_TRUE(b.x1 <= b.x2 && b.y2 <= b.y1) << checked;
        EXPECT_TRUE(key.x1 <= b.x1 && b.x2 <= key.x2 && key.y2 <= b.y2 && b.y1 <= key.y1) << checked;
      }
    }
    ++checked;
  }
  EXPECT_EQ(8, checked);
  std::vector<SSymRectIndex::Found> found;
  ASSERT_TRUE(m_diagram->GetRectIndex()->Collect(SSymRect(-1000, 1000, 1000, -1000), 0, found));
  EXPECT_TRUE(found.empty());
}

}  // namespace
