// The labels of a line that is a link: end points on the end symbols'
// outlines, a free end that leaves the labels alone, an emptied text that
// keeps its label, and labels put back when they overlap an end symbol.
#include <gtest/gtest.h>

#include "sym/diagram/symdisppref.h"
#include "sym/links/symlinetext.h"
#include "support/symtest.h"

namespace {

// A test link that carries labels.
class TLabelLink : public TLink, public SSymLineTextHelper {
 public:
  explicit TLabelLink(ISRepSession* s) : TLink(s) {}
  ~TLabelLink() override {
    for (int i = 0; i < TextCount; ++i) DropLabel(std::exchange(m_texts[i].text, nullptr));
  }
  ISSymbol* GetISymbol() override { return Sym(); }
};

class LinkText : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    m_src = Place<TSym>(DiagramOwner(), SSymRect(0, 3600, 4800, 0));
    m_dst = Place<TSym>(DiagramOwner(), SSymRect(20000, 3600, 30000, 0));
    m_link = Place<TLabelLink>(DiagramOwner());
    m_link->m_list = SSymListPt({SSymPoint(2400, 1800), SSymPoint(25000, 1800)});
    m_link->AttachSym(0, m_src->Linkable(), SSymPoint(2400, 1800));
    m_link->AttachSym(1, m_dst->Linkable(), SSymPoint(25000, 1800));
  }
  void TearDown() override {
    m_link->DetachEnd(0);
    m_link->DetachEnd(1);
    SSymAttachDispPref(Diagram(), nullptr);
    SymFixture::TearDown();
  }
  SSymSubText* Label(int index, LONG w, LONG h) {
    m_link->SetText(index, SString(u"label"));
    SSymSubText* l = m_link->GetLabel(index);
    EXPECT_NE(l, nullptr);
    l->SetRect(SSymRect(0, h - 1, w - 1, 0));
    return l;
  }
  TSym* m_src = nullptr;
  TSym* m_dst = nullptr;
  TLabelLink* m_link = nullptr;
};

TEST_F(LinkText, EndsAreWhereTheLineLeavesItsSymbols) {
  SSymPoint end, next;
  ASSERT_EQ(m_link->GetIntersectPoint(1, end, next), 1);
  EXPECT_EQ(end.y, 1800);
  EXPECT_GE(end.x, 4799);
  EXPECT_LE(end.x, 4801);
  EXPECT_EQ(next, SSymPoint(25000, 1800));
  const SSymPoint e1 = end;
  ASSERT_EQ(m_link->GetIntersectPoint(2, end, next), 1);
  EXPECT_GE(end.x, 19999);
  EXPECT_LE(end.x, 20001);
  EXPECT_EQ(next, SSymPoint(2400, 1800));
  // The centre anchor lies between the outlines, not between the stored ends.
  Label(0, 1000, 200);
  SSymPoint pos, anchor;
  m_link->RecomputeTextOffset(0, pos, anchor);
  EXPECT_EQ(anchor.x, (e1.x + end.x) / 2);
  EXPECT_NE(anchor.x, (2400 + 25000) / 2);
}

TEST_F(LinkText, AFreeEndLeavesTheLabelsWhereTheyAre) {
  SSymSubText* l = Label(1, 1000, 200);
  m_link->DetachEnd(1);
  const SSymRect before = l->GetClipRect(0, 0);
  SSymPoint pos(1, 2), anchor(3, 4);
  m_link->RecomputeTextOffset(1, pos, anchor);
  EXPECT_EQ(pos, SSymPoint(1, 2));
  EXPECT_EQ(anchor, SSymPoint(3, 4));
  m_link->RepositionSymText(1);
  m_link->AdjustTextPos(1);
  m_link->RestoreOldTextPos(1);
  EXPECT_EQ(l->GetClipRect(0, 0), before);
  SSymRect r = before;
  EXPECT_EQ(m_link->IsTextIn(1, r), 0);
}

TEST_F(LinkText, AnEmptiedTextKeepsTheLinksLabel) {
  Label(2, 1000, 200);
  m_link->SetText(2, SString());
  ASSERT_NE(m_link->GetLabel(2), nullptr);
  EXPECT_EQ(m_link->GetText(2), SString());
}

TEST_F(LinkText, ALabelOverAnEndSymbolGoesBack) {
  SSymSubText* l = Label(1, 1000, 200);
  m_link->RepositionSymText(1);
  const SSymPoint home = l->GetClipRect(0, 0).GetCenter();
  SSymRect r = l->GetClipRect(0, 0);
  EXPECT_EQ(m_link->IsTextIn(1, r), 0);
  // Dragged over the source symbol.
  l->MoveBy(SSymSize(-4000, 0), 0);
  r = l->GetClipRect(0, 0);
  EXPECT_EQ(m_link->IsTextIn(1, r), 1);
  m_link->AdjustTextPos(1);
  EXPECT_EQ(l->GetClipRect(0, 0).GetCenter(), home);
}

}  // namespace
