// The "Fit to Page" dialog over an editing window: what OK answers for each
// choice, how the check boxes enable each other, the pages the diagram
// covers at its present scale, and a dialog without a diagram.
#include <gtest/gtest.h>

#include <vector>

#include "kvcore/sdlg.h"
#include "support/tools_fixture.h"
#include "sym/dialogs/symfittopagedlg.h"
#include "sym/edit/symviewedit.h"

namespace {

using D = SSymFitToPageDlg;

class FitToPage : public EditDialogFixture {
 protected:
  INT_PTR Run(D& dialog, std::vector<KvControlAction> actions, bool ok = true) {
    KvDialogAnswer answer;
    answer.ok = ok;
    answer.actions = std::move(actions);
    KvQueueDialogAnswer(answer);
    const INT_PTR result = dialog.DoModal();
    for (DWORD played : KvDialogCalls().back().actions) EXPECT_EQ(played, 0u);
    return result;
  }
};

TEST_F(FitToPage, OkAnswersTheChoice) {
  const struct {
    const char* name;
    std::vector<KvControlAction> actions;
    BOOL fit, centre;
    LONG scale, across, down;
  } cases[] = {
      {"nothing chosen", {}, FALSE, FALSE, 100, 1, 1},
      {"2 x 3", {KvClick(D::FitId), KvPick(D::PageTypeId, 6)}, TRUE, FALSE, 100, 2, 3},
      {"4 x 4", {KvClick(D::FitId), KvPick(D::PageTypeId, 15)}, TRUE, FALSE, 100, 4, 4},
      {"fit, first type", {KvClick(D::FitId)}, TRUE, FALSE, 100, 1, 1},
      {"centre", {KvClick(D::CenterId)}, FALSE, TRUE, 100, 1, 1},
      {"centre at 40%", {KvClick(D::CenterId), KvPick(D::ScaleId, 3)}, FALSE, TRUE, 40, 1, 1},
      {"125%", {KvPick(D::ScaleId, 10)}, FALSE, FALSE, 125, 1, 1},
      {"fit then unfit", {KvClick(D::FitId), KvClick(D::FitId), KvClick(D::CenterId)}, FALSE, TRUE, 100, 1, 1},
  };
  for (const auto& c : cases) {
    D dialog(m_view);
    ASSERT_EQ(Run(dialog, c.actions), IDOK) << c.name;
    EXPECT_EQ(KvDialogCalls().back().templateId, 136u);
    EXPECT_EQ(KvDialogCalls().back().caption, SString(u"Fit to Page"));
    EXPECT_EQ(dialog.m_bFit, c.fit) << c.name;
    EXPECT_EQ(dialog.m_bCenter, c.centre) << c.name;
    EXPECT_EQ(dialog.m_nScale, c.scale) << c.name;
    EXPECT_EQ(dialog.m_nAcross, c.across) << c.name;
    EXPECT_EQ(dialog.m_nDown, c.down) << c.name;
  }
}

TEST_F(FitToPage, CancelLeavesTheDiagramAlone) {
  const LONG scale = m_diagram->GetScale();
  D dialog(m_view);
  EXPECT_EQ(Run(dialog, {KvClick(D::FitId), KvPick(D::PageTypeId, 5)}, false), IDCANCEL);
  EXPECT_EQ(m_diagram->GetScale(), scale);
}

// A diagram at another scale: the field shows it, and OK without a chosen
// scale keeps it rather than taking it back to 100.
TEST_F(FitToPage, NoScaleChosenKeepsTheDiagramsScale) {
  {
    SCurrentContextChange outside(Session(), nullptr);
    ASSERT_EQ(m_diagram->SetScale(50), S_OK);
  }
  D dialog(m_view);
  ASSERT_EQ(Run(dialog, {}), IDOK);
  EXPECT_EQ(dialog.m_nScale, 50);
}

TEST_F(FitToPage, CheckBoxesEnableEachOther) {
  D dialog(m_view);
  ASSERT_TRUE(dialog.Create(m_view));
  HWND h = dialog.m_hWnd;
  auto enabled = [h](int id) { return ::IsWindowEnabled(::GetDlgItem(h, id)) != FALSE; };
  EXPECT_FALSE(enabled(D::PageTypeId));
  EXPECT_EQ(::SendDlgItemMessageW(h, D::PageTypeId, CB_GETCOUNT, 0, 0), 16);
  EXPECT_EQ(::SendDlgItemMessageW(h, D::ScaleId, CB_GETCOUNT, 0, 0), 15);
  EXPECT_EQ(::SendDlgItemMessageW(h, D::PageTypeId, CB_GETCURSEL, 0, 0), 0);
  ASSERT_TRUE(KvPlayControlAction(h, KvClick(D::FitId)));
  EXPECT_TRUE(enabled(D::PageTypeId));
  EXPECT_FALSE(enabled(D::CenterId));
  EXPECT_FALSE(enabled(D::ScaleId));
  ASSERT_TRUE(KvPlayControlAction(h, KvClick(D::FitId)));
  EXPECT_TRUE(enabled(D::CenterId));
  EXPECT_TRUE(enabled(D::ScaleId));
  ASSERT_TRUE(KvPlayControlAction(h, KvClick(D::CenterId)));
  EXPECT_FALSE(enabled(D::FitId));
  EXPECT_FALSE(enabled(D::PageTypeId));
  ASSERT_TRUE(KvPlayControlAction(h, KvClick(D::CenterId)));
  EXPECT_TRUE(enabled(D::FitId));
}

TEST_F(FitToPage, CountsThePagesTheDiagramCovers) {
  // Pages of the window's paper size lie centred on the origin: the box
  // reaches into three pages across and two down.
  const SSymSize paper = m_view->GetCanvas().GetPaperSize();
  ASSERT_GT(paper.cx, 0);
  ASSERT_GT(paper.cy, 0);
  AddTo(m_diagram, SSymRect(-paper.cx / 4, paper.cy / 4, 2 * paper.cx, -paper.cy));
  D dialog(m_view);
  ASSERT_TRUE(dialog.Create(m_view));
  std::u16string count(16, u'\0');
  count.resize(std::size_t(::GetDlgItemTextW(dialog.m_hWnd, D::PageCountId, count.data(), 16)));
  EXPECT_EQ(count, u"3 x 2");
  EXPECT_EQ(dialog.m_nAcross, 3);
  EXPECT_EQ(dialog.m_nDown, 2);
  std::u16string scale(16, u'\0');
  scale.resize(std::size_t(::GetDlgItemTextW(dialog.m_hWnd, D::ScaleId, scale.data(), 16)));
  EXPECT_EQ(scale, u"100%");
}

TEST_F(FitToPage, WithoutADiagramNothingIsShown) {
  D dialog(nullptr);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(::GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_TRUE(KvDialogCalls().empty());
}

}  // namespace
