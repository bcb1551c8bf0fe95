// Property sheets: pages made on first showing, leaving refused, Apply and
// OK on the made pages only, the Apply button following the pages' changes,
// and the sibling query.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "kvcore/spropertysheet.h"
#include "support/temp_files.h"

namespace {

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr int kField = 300;

const SDlgTemplate& PageTemplate(int n) {
  static const SDlgTemplate pages[] = {
      {601, u"Line", u"MS Sans Serif", 8, 180, 90, {{kField, SDlgItemKind::Edit, u"", 8, 8, 80, 12, kShown | WS_TABSTOP}}},
      {602, u"Fill", u"MS Sans Serif", 8, 180, 90, {{kField, SDlgItemKind::Edit, u"", 8, 8, 80, 12, kShown | WS_TABSTOP}}},
      {603, u"Shadow", u"MS Sans Serif", 8, 200, 100, {{kField, SDlgItemKind::Edit, u"", 8, 8, 80, 12, kShown | WS_TABSTOP}}},
  };
  return pages[n];
}

// A page that writes what the sheet asks of it into a shared log and marks
// itself modified when its field is typed into.
class Page : public SPropertyPage {
 public:
  Page(int n, std::vector<std::string>* log) : SPropertyPage(PageTemplate(n)), m_name(std::to_string(n + 1)), m_log(log) {}
  bool refuseLeave = false;
  bool refuseApply = false;
  LRESULT sibling = 0;       // what this page answers to the sibling query
  LRESULT siblingHeard = 0;  // what its own query got back, at initialisation
  SString applied;
  BOOL OnInitDialog() override {
    Log("init");
    siblingHeard = QuerySiblings(0, 0);
    return SPropertyPage::OnInitDialog();
  }
  BOOL OnSetActive() override {
    Log("active");
    return TRUE;
  }
  BOOL OnKillActive() override {
    Log(refuseLeave ? "refuse leave" : "leave");
    return refuseLeave ? FALSE : TRUE;
  }
  BOOL OnApply() override {
    Log(refuseApply ? "refuse apply" : "apply");
    if (refuseApply) return FALSE;
    SWnd::FromHandle(::GetDlgItem(m_hWnd, kField))->GetWindowText(applied);
    return SPropertyPage::OnApply();
  }
  void OnReset() override { Log("reset"); }
  void OnFieldChange() { SetModified(TRUE); }
  LRESULT OnQuery(WPARAM, LPARAM) { return sibling; }
  KV_DECLARE_MESSAGE_MAP()

 private:
  void Log(const char* what) { m_log->push_back(m_name + " " + what); }
  std::string m_name;
  std::vector<std::string>* m_log;
};
KV_BEGIN_MESSAGE_MAP(Page, SPropertyPage)
KV_ON_CONTROL(EN_CHANGE, kField, OnFieldChange)
KV_ON_MESSAGE(PSM_QUERYSIBLINGS, OnQuery)
KV_END_MESSAGE_MAP()

class SheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvDialogReset();
    for (int i = 0; i < 3; ++i) sheet.AddPage(&pages[std::size_t(i)]);
  }
  void TearDown() override {
    KvDialogReset();
    KvWindowsReset();
    SWnd::DeleteTempMap();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  INT_PTR Run(std::vector<KvControlAction> actions, bool ok = false) {
    KvDialogAnswer answer;
    answer.actions = std::move(actions);
    answer.ok = ok;
    KvQueueDialogAnswer(answer);
    return sheet.DoModal();
  }
  std::vector<std::string> log;
  Page pages[3]{Page(0, &log), Page(1, &log), Page(2, &log)};
  SPropertySheet sheet{SString(u"Symbol Format")};
};

constexpr int kTab = SPropertySheet::TabControlId;
constexpr int kApply = SPropertySheet::ApplyButtonId;

TEST_F(SheetTest, ApplyRunsOnTheVisitedPagesOnly) {
  EXPECT_EQ(Run({KvPick(kTab, 1), KvType(kField, u"blue"), KvClick(kApply), KvClick(IDCANCEL)}), IDCANCEL);
  EXPECT_EQ(log, (std::vector<std::string>{"1 init", "1 active", "1 leave", "2 init", "2 active", "2 leave",
                                           "1 apply", "2 apply", "1 reset", "2 reset"}));
  EXPECT_EQ(pages[1].applied, SString(u"blue"));
  EXPECT_EQ(KvDialogCalls().back().actions, std::vector<DWORD>(4, 0));
  EXPECT_FALSE(pages[1].IsModified());
}

TEST_F(SheetTest, OkAppliesAndEnds) {
  EXPECT_EQ(Run({KvPick(kTab, 2), KvType(kField, u"grey"), KvKey(VK_RETURN)}), IDOK);
  EXPECT_EQ(log, (std::vector<std::string>{"1 init", "1 active", "1 leave", "3 init", "3 active", "3 leave",
                                           "1 apply", "3 apply"}));
  EXPECT_EQ(pages[2].applied, SString(u"grey"));
}

TEST_F(SheetTest, APageThatRefusesToBeLeftKeepsTheSheetOnIt) {
  pages[1].refuseLeave = true;
  EXPECT_EQ(Run({KvPick(kTab, 1), KvPick(kTab, 2), KvClick(IDOK), KvClick(IDCANCEL)}), IDCANCEL);
  EXPECT_EQ(sheet.GetActiveIndex(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"1 init", "1 active", "1 leave", "2 init", "2 active", "2 refuse leave",
                                           "2 refuse leave", "1 reset", "2 reset"}));
}

TEST_F(SheetTest, APageThatRefusesToApplyIsShownAndTheSheetStaysOpen) {
  pages[0].refuseApply = true;
  EXPECT_EQ(Run({KvPick(kTab, 1), KvClick(IDOK)}), IDCANCEL);
  EXPECT_EQ(sheet.GetActiveIndex(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"1 init", "1 active", "1 leave", "2 init", "2 active", "2 leave",
                                           "1 refuse apply", "1 active", "1 reset", "2 reset"}));
}

TEST_F(SheetTest, ApplyFollowsThePagesChanges) {
  // Nothing changed: the Apply button takes no click.
  EXPECT_EQ(Run({KvClick(kApply), KvType(kField, u"x"), KvClick(kApply), KvClick(kApply)}), IDCANCEL);
  EXPECT_EQ(KvDialogCalls().back().actions,
            (std::vector<DWORD>{DWORD(ERROR_ACCESS_DENIED), 0, 0, DWORD(ERROR_ACCESS_DENIED)}));
  EXPECT_EQ(pages[0].GetModifiedCalls(), (std::vector<BOOL>{TRUE}));
}

TEST_F(SheetTest, SiblingsAnswerInOrderAndTheStartPageIsChosen) {
  pages[0].sibling = 7;
  pages[1].sibling = 9;
  sheet.SetActivePage(1);
  EXPECT_EQ(Run({KvPick(kTab, 0), KvPick(kTab, 2)}), IDCANCEL);
  // Page 2 was made first and asked alone (itself); page 3 found page 1's answer first.
  EXPECT_EQ(pages[1].siblingHeard, 9);
  EXPECT_EQ(pages[2].siblingHeard, 7);
  EXPECT_EQ(log.front(), "2 init");
}

TEST_F(SheetTest, ASheetSavedAsPngShowsTheShownPage) {
  kvtest::TempDir dir("kvsheet");
  const std::string shot = (dir.path / "sheet.png").string();
  EXPECT_EQ(Run({KvPick(kTab, 1), KvType(kField, u"blue"), KvSnapshot(std::u16string(shot.begin(), shot.end()))}),
            IDCANCEL);
  cairo_surface_t* png = cairo_image_surface_create_from_png(shot.c_str());
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  // The page's field, inside the tab's body below the caption.
  const POINT field = SDlgUnitsToPixels(8 + 8, 22 + 8);
  const int top = ::GetSystemMetrics(SM_CYCAPTION);
  const unsigned char* p = cairo_image_surface_get_data(png) + (top + field.y + 4) * cairo_image_surface_get_stride(png) +
                           (field.x + 70) * 4;
  EXPECT_EQ(RGB(p[2], p[1], p[0]), ::GetSysColor(COLOR_WINDOW));
  cairo_surface_destroy(png);
  if (const auto keep = kvtest::KeepFolder("dialogs"); !keep.empty())
    std::filesystem::copy_file(shot, keep / "sheet.png", std::filesystem::copy_options::overwrite_existing);
}

TEST_F(SheetTest, BadRequests) {
  EXPECT_FALSE(sheet.SetActivePage(3));
  EXPECT_FALSE(sheet.SetActivePage(nullptr));
  EXPECT_FALSE(sheet.PressButton(PSBTN_OK));  // not shown
  SPropertySheet empty;
  EXPECT_EQ(empty.DoModal(), -1);
  // A page of an unknown template cannot be shown: the sheet opens on the next.
  SPropertyPage broken(4711);
  SPropertySheet mixed;
  mixed.AddPage(&broken);
  mixed.AddPage(&pages[0]);
  mixed.AddPage(&pages[0]);  // added once
  EXPECT_EQ(mixed.GetPageCount(), 2);
  KvQueueDialogAnswer({{}, false, {KvPick(kTab, 0), KvPick(kField, 0)}});
  EXPECT_EQ(mixed.DoModal(), IDCANCEL);
  EXPECT_EQ(mixed.GetActiveIndex(), 1);
  EXPECT_EQ(KvDialogCalls().back().actions,
            (std::vector<DWORD>{0, DWORD(ERROR_INVALID_PARAMETER)}));
}

}  // namespace
