// The parts the format pages share: the template-mode check boxes' bits in
// the sheet's allow options, and the preview diagram that every page
// holding it shares and that goes once, with its last holder.
#include <gtest/gtest.h>

#include "support/diagram_fixture.h"
#include "sym/dialogs/symdlgbase.h"

namespace {

using X = SSymXemFrmtOption;

TEST(SSymXemFrmtOption, BoxesWriteTheirBitOfTheirCategoryOnly) {
  const struct {
    int category, box;
    bool checked;
    bool stored;
    DWORD line;  // the LINE word after, starting from both bits
  } cases[] = {
      {SSymAllowOption::LINE, X::ApplyToId, false, true, 2},
      {SSymAllowOption::LINE, X::AllowModifyId, false, true, 1},
      {SSymAllowOption::LINE, X::ApplyToId, true, true, 3},
      {-1, X::ApplyToId, false, false, 3},  // no category set yet
      {SSymAllowOption::CategoryCount, X::ApplyToId, false, false, 3},
      {SSymAllowOption::LINE, 1010, false, false, 3},  // not one of the two boxes
  };
  for (const auto& c : cases) {
    SSymAllowOption allow;
    EXPECT_EQ(X::StoreCheck(&allow, c.category, c.box, c.checked), c.stored) << c.category << " " << c.box;
    EXPECT_EQ(allow.m_category[SSymAllowOption::LINE], c.line);
    for (int i = 0; i < SSymAllowOption::CategoryCount; ++i) {
      if (i != SSymAllowOption::LINE) {
        EXPECT_EQ(allow.m_category[i], 3u);
      }
    }
    EXPECT_EQ(X::ShownCheck(&allow, c.category, c.box), c.stored && c.checked);
  }
  EXPECT_FALSE(X::StoreCheck(nullptr, SSymAllowOption::LINE, X::ApplyToId, true));
  EXPECT_FALSE(X::ShownCheck(nullptr, SSymAllowOption::LINE, X::ApplyToId));
  // Unchecking apply disables allow-modify but leaves its bit.
  SSymAllowOption allow;
  X::StoreCheck(&allow, SSymAllowOption::SIZE, X::ApplyToId, false);
  EXPECT_FALSE(X::AllowModifyEnabled(X::ShownCheck(&allow, SSymAllowOption::SIZE, X::ApplyToId)));
  EXPECT_TRUE(X::ShownCheck(&allow, SSymAllowOption::SIZE, X::AllowModifyId));
}

class PreviewShare : public DiagramFixture {};

TEST_F(PreviewShare, TheLastHolderDeletesTheDiagramOnce) {
  EXPECT_EQ(SSymPreviewShare::Create(nullptr), nullptr);
  TPrefDiagram* d = NewDiagram();
  SSymPreviewShare* share = SSymPreviewShare::Create(d->Diagram());
  ASSERT_NE(share, nullptr);
  for (int page = 0; page < 3; ++page) share->AddHolder();
  EXPECT_FALSE(share->ReleaseHolder());
  EXPECT_FALSE(share->ReleaseHolder());
  EXPECT_FALSE(d->IsDeleted());  // a page still shows it
  EXPECT_TRUE(share->ReleaseHolder());
  EXPECT_TRUE(d->IsDeleted());
}

TEST_F(PreviewShare, ADiagramDeletedMeanwhileIsNotDeletedAgain) {
  TPrefDiagram* d = NewDiagram();
  SSymPreviewShare* share = SSymPreviewShare::Create(d->Diagram());
  share->AddHolder();
  ASSERT_EQ(d->Delete(), S_OK);
  EXPECT_TRUE(share->ReleaseHolder());
  EXPECT_TRUE(d->IsDeleted());
}

}  // namespace
