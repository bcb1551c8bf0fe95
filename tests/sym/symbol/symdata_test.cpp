// The element types of the symbol tables: copies of SSymData and
// SSymGroupData take a reference on every symbol and group they hold, and
// destroying them gives the references back.
#include "sym/symbol/symdata.h"

#include "support/com_helpers.h"
#include "support/symtest.h"

namespace {

class SymData : public SymFixture {};

TEST_F(SymData, CopiesCountTheirReferences) {
  TSym* a = Make<TSym>();
  TSym* b = Make<TSym>();
  TComp* g = Make<TComp>();
  const ULONG ra = Refs(a->Sym()), rb = Refs(b->Sym()), rg = Refs(g->Sym());
  {
    STable<SSymGroupData> groups;
    SSymGroupData one;
    one.group = SComWrap<ISSymGroup>(g->Sym());
    one.members.Add(SSymData(0, a->Sym()));
    one.members.Add(SSymData(-1, b->Sym()));
    groups.Add(one);
    EXPECT_EQ(Refs(a->Sym()), ra + 2);  // `one` and the table's copy
    EXPECT_EQ(Refs(g->Sym()), rg + 2);
    {
      STable<SSymGroupData> copy(groups);  // the nested tables are copied
      EXPECT_EQ(Refs(a->Sym()), ra + 3);
      EXPECT_EQ(Refs(b->Sym()), rb + 3);
      EXPECT_EQ(Refs(g->Sym()), rg + 3);
      ASSERT_EQ(copy.GetAt(0).members.GetCount(), 2);
      EXPECT_EQ(copy.GetAt(0).members.GetAt(0).pos, 0);
      EXPECT_EQ(copy.GetAt(0).members.GetAt(1).symbol.Get(), b->Sym());
      copy.GetAt(0).members.Remove(0);
      EXPECT_EQ(Refs(a->Sym()), ra + 2);
    }
    EXPECT_EQ(Refs(b->Sym()), rb + 2);
    // Growing the table moves its elements without counting again.
    for (int i = 0; i < 40; ++i) groups.Add(SSymGroupData());
    EXPECT_EQ(Refs(a->Sym()), ra + 2);
    EXPECT_EQ(groups.GetAt(0).members.GetCount(), 2);
  }
  EXPECT_EQ(Refs(a->Sym()), ra);
  EXPECT_EQ(Refs(b->Sym()), rb);
  EXPECT_EQ(Refs(g->Sym()), rg);
}

TEST_F(SymData, EmptyEntries) {
  SSymData none;
  EXPECT_EQ(none.pos, -1);
  EXPECT_TRUE(none.symbol.IsNull());
  SSymData copy(none);  // a null reference copies as null
  EXPECT_TRUE(copy.symbol.IsNull());
  SSymGroupData group;
  EXPECT_TRUE(group.group.IsNull());
  EXPECT_EQ(group.members.GetCount(), 0);
}

}  // namespace
