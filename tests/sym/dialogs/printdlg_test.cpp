// The print dialog over an editing window: the options it shows and keeps,
// the page range, the scale texts, the printer it switches to, and the
// diagram's settings put back afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kvcore/sdlg.h"
#include "kvcore/sprintercache.h"
#include "kvlib/suserregistry.h"
#include "support/tools_fixture.h"
#include "sym/dialogs/symprintdlg.h"
#include "sym/edit/symviewedit.h"
#include "win/winspool.h"

namespace {

using D = SSymPrintDlg;

class PrintDialog : public EditDialogFixture {
 protected:
  // A box in the middle of page (col, row) of the page grid (row up).
  TSym* BoxOnPage(int col, int row) {
    const SSymSize paper = m_view->GetCanvas().GetPaperSize();
    const LONG x = col * paper.cx, y = row * paper.cy;
    return AddTo<TSym>(m_diagram, SSymRect(x - 1000, y + 1000, x + 1000, y - 1000));
  }
  // Boxes over 3 pages across and 2 down.
  void SixPages() {
    BoxOnPage(0, 0);
    BoxOnPage(2, -1);
  }
  SString Final(int id) const {
    for (const auto& [control, text] : KvDialogCalls().back().final)
      if (control == id) return text;
    return SString(u"?");
  }
  SString Shown(int id) const {
    for (const auto& [control, text] : KvDialogCalls().back().shown)
      if (control == id) return text;
    return SString(u"?");
  }
};

// Runs the dialog with one answer; the caller restores.
INT_PTR RunDialog(D& dlg, std::vector<KvControlAction> actions, bool ok) {
  KvQueueDialogAnswer({{}, ok, std::move(actions)});
  return dlg.DoModal();
}

TEST_F(PrintDialog, AnEmptyRegistryShowsOneCopyAllPagesAFrameInBlackAndWhite) {
  SSymPrintData data;
  D dlg(data, m_view, nullptr);
  ASSERT_EQ(RunDialog(dlg, {}, true), IDOK);
  EXPECT_EQ(Shown(D::CopiesId), SString(u"1"));
  EXPECT_EQ(data.m_nCopies, 1);
  EXPECT_EQ(data.m_bAllPages, 1);
  EXPECT_EQ(data.m_bFrame, 1);
  EXPECT_EQ(data.m_bCorner, 0);
  EXPECT_EQ(data.m_bColor, 0);
  // An empty diagram still has one page, flagged.
  EXPECT_EQ(dlg.GetXPages(), 1);
  EXPECT_EQ(dlg.GetYPages(), 1);
  ASSERT_NE(dlg.GetValidPages(), nullptr);
  EXPECT_EQ(dlg.GetValidPages()[0], 1);
  // OK wrote the options for the next print.
  const SSymPrintData next;
  EXPECT_EQ(next.m_bFrame, 1);
  EXPECT_EQ(next.m_bColor, 0);
  dlg.RestoreDiagramSettings();
}

TEST_F(PrintDialog, CancelKeepsTheStoredOptions) {
  {
    SSymPrintData stored;
    stored.SetPrintColor(1);
    stored.SetNbCopy(4);
  }
  SSymPrintData data;
  D dlg(data, m_view, nullptr);
  ASSERT_EQ(RunDialog(dlg, {KvClick(D::BlackId), KvClick(D::CornerId)}, false), IDCANCEL);
  EXPECT_EQ(Shown(D::CopiesId), SString(u"4"));
  dlg.RestoreDiagramSettings();
  const SSymPrintData next;
  EXPECT_EQ(next.m_bColor, 1);
  EXPECT_EQ(next.m_bCorner, 0);
  EXPECT_EQ(next.m_nCopies, 4);
}

TEST_F(PrintDialog, CopiesStayWithinTheSpinsRange) {
  const struct {
    std::vector<KvControlAction> actions;
    const char16_t* text;  // the edit at the end
    int stored;
  } cases[] = {
      {{KvSpin(D::CopiesSpinId, -3)}, u"1", 1},
      {{KvSpin(D::CopiesSpinId, 200)}, u"99", 99},
      {{KvType(D::CopiesId, u"12")}, u"12", 12},
      // The spin moves to 99 and the edit keeps what was typed; 99 is stored.
      {{KvType(D::CopiesId, u"250")}, u"250", 99},
      {{KvType(D::CopiesId, u"")}, u"", 1},
      {{KvType(D::CopiesId, u"many")}, u"many", 1},
      {{KvType(D::CopiesId, u"-4")}, u"-4", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.text).ToUtf8());
    SSymPrintData data;
    D dlg(data, m_view, nullptr);
    ASSERT_EQ(RunDialog(dlg, c.actions, true), IDOK);
    EXPECT_EQ(Final(D::CopiesId), SString(c.text));
    EXPECT_EQ(data.m_nCopies, c.stored);
    dlg.RestoreDiagramSettings();
    EXPECT_EQ(SSymPrintData().m_nCopies, c.stored);
  }
}

TEST_F(PrintDialog, TheRangeIsHeldWithinThePages) {
  SixPages();
  const struct {
    std::vector<KvControlAction> actions;
    const char16_t* from;
    const char16_t* to;
    std::vector<int> flags;
  } cases[] = {
      {{KvType(D::FromId, u"0"), KvType(D::ToId, u"9")}, u"1", u"6", {1, 1, 1, 1, 1, 1}},
      {{KvType(D::ToId, u"3"), KvType(D::FromId, u"5")}, u"3", u"3", {0, 0, 1, 0, 0, 0}},
      {{KvType(D::FromId, u"4"), KvType(D::ToId, u"2")}, u"4", u"4", {0, 0, 0, 1, 0, 0}},
      {{KvType(D::FromId, u"two"), KvType(D::ToId, u"")}, u"1", u"6", {1, 1, 1, 1, 1, 1}},
      {{KvType(D::FromId, u"2"), KvType(D::ToId, u"5")}, u"2", u"5", {0, 1, 1, 1, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.from).ToUtf8());
    SSymPrintData data;
    D dlg(data, m_view, nullptr);
    std::vector<KvControlAction> actions{KvClick(D::RangeId)};
    actions.insert(actions.end(), c.actions.begin(), c.actions.end());
    ASSERT_EQ(RunDialog(dlg, actions, true), IDOK);
    EXPECT_EQ(dlg.GetXPages(), 3);
    EXPECT_EQ(dlg.GetYPages(), 2);
    EXPECT_EQ(Final(D::FromId), SString(c.from));
    EXPECT_EQ(Final(D::ToId), SString(c.to));
    EXPECT_EQ(std::vector<int>(dlg.GetValidPages(), dlg.GetValidPages() + 6), c.flags);
    dlg.RestoreDiagramSettings();
  }
  // "All" after a range flags every page again and empties both edits.
  SSymPrintData data;
  D dlg(data, m_view, nullptr);
  ASSERT_EQ(RunDialog(dlg, {KvClick(D::RangeId), KvType(D::FromId, u"2"), KvClick(D::AllId)}, true), IDOK);
  EXPECT_EQ(Final(D::FromId), SString());
  EXPECT_EQ(Final(D::ToId), SString());
  EXPECT_EQ(std::vector<int>(dlg.GetValidPages(), dlg.GetValidPages() + 6), std::vector<int>(6, 1));
  dlg.RestoreDiagramSettings();
}

TEST_F(PrintDialog, ScaleTextsBetweenOneAndAThousandSetTheScale) {
  BoxOnPage(0, 0);
  const LONG before = m_diagram->GetScale();
  ASSERT_NE(before, 35);
  const struct {
    std::vector<KvControlAction> actions;
    LONG scale;
  } cases[] = {
      {{KvType(D::ScaleId, u"35%"), KvLeave(D::ScaleId)}, 35},
      {{KvType(D::ScaleId, u"35"), KvLeave(D::ScaleId)}, 35},
      {{KvType(D::ScaleId, u"0"), KvLeave(D::ScaleId)}, before},
      {{KvType(D::ScaleId, u"1001"), KvLeave(D::ScaleId)}, before},
      {{KvType(D::ScaleId, u"large"), KvLeave(D::ScaleId)}, before},
      {{KvPick(D::ScaleId, 14)}, 400},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    SSymPrintData data;
    D dlg(data, m_view, nullptr);
    ASSERT_EQ(RunDialog(dlg, c.actions, true), IDOK);
    EXPECT_EQ(m_diagram->GetScale(), c.scale);
    dlg.RestoreDiagramSettings();
    EXPECT_EQ(m_diagram->GetScale(), before);
  }
}

TEST_F(PrintDialog, TheDiagramIsPutBackAfterOkAndAfterCancel) {
  TSym* a = BoxOnPage(0, 0);
  BoxOnPage(1, 0);
  const SSymRect placed = a->m_rect;
  const LONG scale = m_diagram->GetScale();
  const SRep_Point paper = m_diagram->GetPaperSize();
  const LONG orientation = m_diagram->GetPgOrientation();
  const double zoom = m_view->GetCanvas().GetZoom();
  for (bool ok : {true, false}) {
    SCOPED_TRACE(ok);
    SSymPrintData data;
    D dlg(data, m_view, nullptr);
    // A new scale, then the diagram fitted to 2 x 2 pages.
    RunDialog(dlg,
        {KvType(D::ScaleId, u"50"), KvLeave(D::ScaleId), KvClick(D::FitId), KvPick(D::PageTypeId, 5)}, ok);
    EXPECT_NE(a->m_rect, placed);  // the fit moved the symbols
    dlg.RestoreDiagramSettings();
    EXPECT_EQ(m_diagram->GetScale(), scale);
    EXPECT_EQ(m_diagram->GetPaperSize(), paper);
    EXPECT_EQ(m_diagram->GetPgOrientation(), orientation);
    EXPECT_EQ(a->m_rect, placed);
    EXPECT_DOUBLE_EQ(m_view->GetCanvas().GetZoom(), zoom);
  }
}

KvSpoolPrinter LinePrinter(const char16_t* name) {
  KvSpoolPrinter p;
  p.name = name;
  p.port = u"LPT1:";
  p.driver = u"Line";
  p.comment = u"Second floor";
  p.paper = 2;
  p.forms = {{u"Strip", 100000, 50000}, {u"Card", 148000, 105000}, {u"Blank", 0, 0}};
  return p;
}

// The printer list is sorted: the entry of a name.
int Entry(const char16_t* name) {
  std::vector<std::u16string> names = {KvDefaultPrinterName(), name};
  std::sort(names.begin(), names.end());
  return names[0] == name ? 0 : 1;
}

TEST_F(PrintDialog, ChoosingAPrinterGivesItsDeviceNamesAndItsPaper) {
  ASSERT_TRUE(KvAddPrinter(LinePrinter(u"P1")));
  SSymPrintData data;
  D dlg(data, m_view, nullptr);
  ASSERT_EQ(RunDialog(dlg, {KvPick(D::PrinterId, Entry(u"P1"))}, true), IDOK);
  HGLOBAL names = data.GetDevNames();
  ASSERT_NE(names, nullptr);
  // "winspool", "P1" and "LPT1:" after a header of four words: 8 + 2 + 5 + 7 characters.
  ASSERT_EQ(GlobalSize(names), 22 * sizeof(char16_t));
  const auto* p = static_cast<const char16_t*>(GlobalLock(names));
  DEVNAMES header;
  std::memcpy(&header, p, sizeof header);
  EXPECT_EQ(header.wDriverOffset, 4);
  EXPECT_EQ(header.wDeviceOffset, 13);
  EXPECT_EQ(header.wOutputOffset, 16);
  EXPECT_EQ(header.wDefault, 0);
  EXPECT_EQ(std::u16string(p + 4), u"winspool");
  EXPECT_EQ(std::u16string(p + 13), u"P1");
  EXPECT_EQ(std::u16string(p + 16), u"LPT1:");
  GlobalUnlock(names);
  // The printer cache shares the blocks; the diagram takes the printer's paper.
  SPrinterCache* cache = m_diagram->GetPageSetup();
  EXPECT_EQ(cache->GetDevNames(), names);
  EXPECT_EQ(cache->GetDeviceName(), SString(u"P1"));
  EXPECT_EQ(m_diagram->GetPaperSize(), (SRep_Point{5827, 4134}));  // the card, 148 x 105 mm
  dlg.RestoreDiagramSettings();
  EXPECT_EQ(cache->GetDeviceName(), SString(KvDefaultPrinterName()));
}

// A dialog that lets the printer go between listing and use.
class VanishingPrinterDlg : public D {
 public:
  using D::D;
  void OnPrinterChange() override {
    KvDeletePrinter(u"P1");
    D::OnPrinterChange();
  }
};

TEST_F(PrintDialog, APrinterThatCannotBeUsedIsRefusedAndNothingChanges) {
  const struct {
    const char* what;
    KvSpoolPrinter printer;
    bool vanish;
  } cases[] = {
      {"vanished", LinePrinter(u"P1"), true},
      {"short device mode", [] { auto p = LinePrinter(u"P1"); p.devModeBytes = 72; return p; }(), false},
      {"paper of no size", [] { auto p = LinePrinter(u"P1"); p.paper = 3; return p; }(), false},
      {"unknown paper", [] { auto p = LinePrinter(u"P1"); p.paper = 40; return p; }(), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    KvResetSpoolerPrinters();
    ASSERT_TRUE(KvAddPrinter(c.printer));
    SPrinterCache* cache = m_diagram->GetPageSetup();
    const HGLOBAL mode = cache->GetDevMode();
    const SRep_Point paper = m_diagram->GetPaperSize();
    const std::size_t blocks = KvGlobalBlockCount();
    SSymPrintData data;
    {
      std::unique_ptr<D> dlg(c.vanish ? new VanishingPrinterDlg(data, m_view, nullptr) : new D(data, m_view, nullptr));
      ASSERT_EQ(RunDialog(*dlg, {KvPick(D::PrinterId, Entry(u"P1"))}, true), IDOK);
      EXPECT_EQ(cache->GetDevMode(), mode);
      EXPECT_EQ(data.GetDevMode(), mode);
      EXPECT_EQ(cache->GetDeviceName(), SString(KvDefaultPrinterName()));
      EXPECT_EQ(m_diagram->GetPaperSize(), paper);
      dlg->RestoreDiagramSettings();
    }
    EXPECT_EQ(KvGlobalBlockCount(), blocks);
  }
}

TEST_F(PrintDialog, WithoutADiagramTheDialogEndsAtOnce) {
  SSymPrintData data;
  D dlg(data, nullptr, nullptr);
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  dlg.RestoreDiagramSettings();  // nothing saved, nothing put back
  EXPECT_EQ(data.GetDevMode(), nullptr);
}

}  // namespace
