// The diagram's page setup and its print on the spooler's PDF printer: the
// printed documents are read back with pdfinfo and pdftotext.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "kvcore/sexception.h"
#include "kvcore/sinteraction.h"
#include "support/diagram_fixture.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "sym/diagram/symview.h"
#include "sym/render/symcanvprinter.h"
#include "sym/render/symcanvview.h"
#include "win/winuser.h"

namespace fs = std::filesystem;

namespace {

// A symbol that writes its word; with a second word it asks for a second
// drawing pass and writes that word then.
class TWordSym : public TSym {
 public:
  TWordSym(ISRepSession* s, SSymRect r, const char* word, const char* later = "")
      : TSym(s, r), m_word(word), m_later(later) {}
  HRESULT Draw(SSymCanvas& canvas) override {
    Write(canvas, m_word);
    return S_OK;
  }
  int Needs2ndDraw(SSymCanvas&) override { return m_later.IsEmpty() ? 0 : 1; }
  HRESULT DrawSecondPass(SSymCanvas& canvas) override {
    Write(canvas, m_later);
    return S_OK;
  }

 private:
  void Write(SSymCanvas& canvas, const SString& word) {
    canvas.SetFont(SSymFont(SGetArialString(), 10));
    canvas.DrawText(GetClipRect(0, 0), word, 0);
  }
  SString m_word, m_later;
};

// A symbol whose drawing fails.
class TFailingSym : public TSym {
 public:
  using TSym::TSym;
  HRESULT Draw(SSymCanvas&) override { throw SECOMException(__func__, __FILE__, __LINE__, E_FAIL); }
};

// A diagram type whose window-opening hook answers what a test chooses
// (and opens nothing).
class TViewlessDiagram : public TPrefDiagram {
 public:
  explicit TViewlessDiagram(ISRepSession* s) : TPrefDiagram(s) {}
  HRESULT OpenView() override {
    ++m_opened;
    return m_answer;
  }
  HRESULT m_answer = S_OK;
  int m_opened = 0;
};

class DiagramPrintTest : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    KvSetPrintFolder(m_dir.path.string());
  }
  void TearDown() override {
    KvSetPrintFolder(std::string());
    DiagramFixture::TearDown();
  }

  // A diagram whose used area covers three pages across and two down at
  // the print scale 100: a word at the middle of the page around the
  // origin, one at the middle of the page two across and one down (with a
  // second pass), and one that straddles no page edge between them.
  TPrefDiagram* ThreeByTwo() {
    TPrefDiagram* d = NewDiagram();
    const SIZE page = d->GetPageSetup()->GetAvailablePageSizeInPoints(500, 500);
    m_w = page.cx;
    m_h = page.cy;
    AddTo<TWordSym>(d, SSymRect(-3600, 720, 3600, -720), "ALPHA");
    AddTo<TWordSym>(d, SSymRect(2 * m_w - 3600, -m_h + 720, 2 * m_w + 3600, -m_h - 720), "OMEGA", "LATER");
    return d;
  }
  // The folder's print files so far.
  std::size_t Printed() const { return m_dir.Files().size(); }

  kvtest::TempDir m_dir{"kvtest_print"};
  LONG m_w = 0, m_h = 0;
};

TEST_F(DiagramPrintTest, PageSetupFillsUnsetAttributesAndTakesSetOnes) {
  // A new diagram takes the printer's margins, paper and source.
  TPrefDiagram* fresh = NewDiagram();
  SPrinterCache* cache = fresh->GetPageSetup();
  ASSERT_NE(cache, nullptr);
  const RECT m = cache->GetMargins();
  EXPECT_EQ(fresh->GetMargins(), (SRep_Rect{m.left, m.top, m.right, m.bottom}));
  const POINT p = cache->GetPageSize();
  EXPECT_EQ(fresh->GetPaperSize(), (SRep_Point{p.x, p.y}));
  short source = 0;
  ASSERT_TRUE(cache->GetDefaultSource(source));
  EXPECT_EQ(fresh->GetPaperSource(), source);
  // The printer takes the attribute's default orientation, 0 (none chosen);
  // an unset orientation takes the printer's.
  EXPECT_EQ(cache->GetOrientation(), 0);
  ASSERT_TRUE(cache->SetOrientation(DMORIENT_LANDSCAPE));
  fresh->SetPgOrientation(-1);
  EXPECT_EQ(fresh->GetPageSetup()->GetOrientation(), DMORIENT_LANDSCAPE);
  EXPECT_EQ(fresh->GetPgOrientation(), DMORIENT_LANDSCAPE);

  // Set attributes go to the printer settings.
  TPrefDiagram* set = NewDiagram();
  set->SetMargins(SRep_Rect{100, 200, 300, 400});
  set->Set_INT(SSymDiagramMem::IdPaperSource, DMBIN_UPPER);
  set->SetPaperSize(SRep_Point{8500, 14000});  // legal
  set->SetPgOrientation(2);  // turns paper and margins
  cache = set->GetPageSetup();
  const RECT sm = cache->GetMargins();
  EXPECT_EQ((SRep_Rect{sm.left, sm.top, sm.right, sm.bottom}), set->GetMargins());
  EXPECT_EQ(cache->GetPageSize().x, 14000);
  EXPECT_EQ(cache->GetPageSize().y, 8500);
  EXPECT_EQ(cache->GetOrientation(), DMORIENT_LANDSCAPE);
  short paper = 0;
  ASSERT_TRUE(cache->GetPaperSize(paper));
  EXPECT_EQ(paper, DMPAPER_LEGAL);
  ASSERT_TRUE(cache->GetDefaultSource(source));
  EXPECT_EQ(source, DMBIN_UPPER);

  // A copied page setup replaces the settings and leaves the attributes.
  SPrinterCache other;
  other.SetMargins(RECT{1, 2, 3, 4});
  other.SetCopies(4);
  set->DuplicatePageSetup(other);
  EXPECT_EQ(set->GetMargins(), (SRep_Rect{sm.left, sm.top, sm.right, sm.bottom}));
  EXPECT_EQ(set->GetPageSetup()->GetCopies(), 4);
  EXPECT_EQ(set->GetPageSetup()->GetMargins().left, sm.left);  // the attribute wins again
}

TEST_F(DiagramPrintTest, StandardMarginsGoToAttributesAndPrinterKeepingTheOrientation) {
  const struct {
    LONG orientation;
    SRep_Rect margins;
    short printer;
  } cases[] = {
      {1, {315, 354, 433, 354}, DMORIENT_PORTRAIT},
      {2, {315, 354, 433, 354}, DMORIENT_LANDSCAPE},
      // Unset stays unset; the printer keeps its own.
      {-1, {315, 354, 433, 354}, DMORIENT_PORTRAIT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.orientation);
    TPrefDiagram* d = NewDiagram();
    d->SetPaperSize(c.orientation == 2 ? SRep_Point{11000, 8500} : SRep_Point{8500, 11000});
    d->SetPgOrientation(c.orientation);
    EXPECT_EQ(d->V6PageSetup(), 1);
    EXPECT_EQ(d->GetPgOrientation(), c.orientation);
    EXPECT_EQ(d->GetMargins(), c.margins);
    const RECT m = d->GetPageSetup()->GetMargins();
    EXPECT_EQ((SRep_Rect{m.left, m.top, m.right, m.bottom}), c.margins);
    EXPECT_EQ(d->GetPageSetup()->GetOrientation(), c.printer);
  }
}

TEST_F(DiagramPrintTest, PrintsTheUsedPagesWithNumberedFootersInReadingOrder) {
  if (!kvtest::HaveTool("pdftotext") || !kvtest::HaveTool("pdfinfo")) GTEST_SKIP() << "no poppler tools";
  SetInteractionMode unattended(SInteractionUnattended);
  const struct {
    const char* number;  // page-number template
    const char* head;  // header template
    const char* footer[6];
  } cases[] = {
      {"%NUMBER%", "", {"1 / 6", "2 / 6", "3 / 6", "4 / 6", "5 / 6", "6 / 6"}},
      {"%ROW%-%COLUMN%",
       "Sheet %DIAGRAM%",
       {"1-1 / 2-3", "1-2 / 2-3", "1-3 / 2-3", "2-1 / 2-3", "2-2 / 2-3", "2-3 / 2-3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    TPrefDiagram* d = ThreeByTwo();
    d->SetName(SString(u"Plan"));
    d->SetCode(SString(u"Plan"));  // the display name where names are not in use
    d->Set_TEXT(SSymDiagramMem::IdNmbr, SString(c.number));
    d->Set_TEXT(SSymDiagramMem::IdHead, SString(c.head));
    SPrinterCache* cache = d->GetPageSetup();
    cache->SetCopies(2);
    SSymPrintData data;
    data.m_nCopies = 3;
    ASSERT_EQ(d->Print(&data), S_OK);
    EXPECT_EQ(cache->GetCopies(), 2);  // the printer's copies as before
    const fs::path pdf = KvLastPrintFile();
    ASSERT_EQ(kvtest::PdfPages(pdf), 6);
    for (int page = 1; page <= 6; ++page) {
      SCOPED_TRACE(page);
      const std::string text = kvtest::PdfPageText(pdf, page);
      EXPECT_NE(text.find(c.footer[page - 1]), std::string::npos) << text;
      if (*c.head) {
        EXPECT_NE(text.find("Sheet Plan"), std::string::npos) << text;
      }
      // Each word on its own page only; the second pass draws on the last.
      EXPECT_EQ(text.find("ALPHA") != std::string::npos, page == 1) << text;
      EXPECT_EQ(text.find("OMEGA") != std::string::npos, page == 6) << text;
      EXPECT_EQ(text.find("LATER") != std::string::npos, page == 6) << text;
    }
  }
}

TEST_F(DiagramPrintTest, ScaleSetsThePageSizeAndZeroOrBelowPrintsAt100) {
  if (!kvtest::HaveTool("pdfinfo") || !kvtest::HaveTool("pdftotext")) GTEST_SKIP() << "no poppler tools";
  SetInteractionMode unattended(SInteractionUnattended);
  // At 200 percent a page holds half as much each way, drawn twice as
  // large: the words at the middles of pages two apart across and one down
  // lie on pages four apart across and two down.
  const struct {
    LONG scale;
    int pages;
    double magnified;
  } cases[] = {{100, 6, 1}, {0, 6, 1}, {-5, 6, 1}, {200, 15, 2}};
  double plain = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scale);
    TPrefDiagram* d = ThreeByTwo();
    d->SetScale(c.scale);
    ASSERT_EQ(d->Print(), S_OK);
    const fs::path pdf = KvLastPrintFile();
    EXPECT_EQ(kvtest::PdfPages(pdf), c.pages);
    const double width = kvtest::PdfWordWidth(pdf, 1, "ALPHA");
    ASSERT_GT(width, 0);
    if (plain == 0) plain = width;
    EXPECT_NEAR(width / plain, c.magnified, 0.1 * c.magnified);
  }
}

TEST_F(DiagramPrintTest, NothingToPrintAnswersOneAndPrintsNothing) {
  SetInteractionMode unattended(SInteractionUnattended);
  // An empty diagram.
  EXPECT_EQ(NewDiagram()->Print(), S_FALSE);
  // Margins that leave no room on the paper.
  TPrefDiagram* d = ThreeByTwo();
  d->SetMargins(SRep_Rect{5000, 6000, 5000, 6000});
  EXPECT_EQ(d->Print(), S_FALSE);
  EXPECT_EQ(Printed(), 0u);
}

TEST_F(DiagramPrintTest, AFailingSymbolReachesTheCallerWithThePrinterAsItWas) {
  SetInteractionMode unattended(SInteractionUnattended);
  TPrefDiagram* d = NewDiagram();
  TFailingSym* failing = AddTo<TFailingSym>(d, SSymRect(0, 720, 720, 0));
  SPrinterCache* cache = d->GetPageSetup();
  cache->SetCopies(2);
  SSymPrintData data;
  data.m_nCopies = 5;
  EXPECT_THROW(d->Print(&data), SECOMException);
  EXPECT_EQ(cache->GetCopies(), 2);
  // The document was ended: the next print makes a whole one.
  d->Remove(failing->Sym());
  AddTo<TWordSym>(d, SSymRect(0, 720, 720, 0), "AFTER");
  ASSERT_EQ(d->Print(), S_OK);
  if (kvtest::HaveTool("pdfinfo")) {
    EXPECT_EQ(kvtest::PdfPages(KvLastPrintFile()), 1);
  }
}

TEST_F(DiagramPrintTest, InteractionModesDecideWhetherAndHowToPrint) {
  const struct {
    int mode;
    HRESULT hook;
    HRESULT answer;
    int opened;
  } cases[] = {
      {SInteractionNoPrinting, S_OK, E_ABORT, 0},  // refused outright
      {SInteractionInteractive, E_NOTIMPL, E_NOTIMPL, 1},  // the hook's failure as it stands
      {SInteractionInteractive, S_OK, E_FAIL, 1},  // a hook that opens no window
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    SetInteractionMode mode(c.mode);
    auto* d = NewDiagram<TViewlessDiagram>();
    AddTo<TWordSym>(d, SSymRect(0, 720, 720, 0), "X");
    d->m_answer = c.hook;
    EXPECT_EQ(d->Print(), c.answer);
    EXPECT_EQ(d->m_opened, c.opened);
  }
  // The plain diagram class opens no windows.
  SetInteractionMode interactive(SInteractionInteractive);
  EXPECT_EQ(NewDiagram<SSymDiagram>()->Print(), E_NOTIMPL);
  EXPECT_EQ(Printed(), 0u);
}

// A diagram window that counts the print commands it is sent.
class TPrintView : public SSymView {
 public:
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
    if (message == WM_COMMAND && LOWORD(wParam) == SSymDiagramImpl::CmdFilePrint) ++m_prints;
    return SSymView::OnWndMsg(message, wParam, lParam, result);
  }
  int m_prints = 0;
};

// A frame that counts the requests to close it and stays open.
int g_frameCloses = 0;
LRESULT CountingFrame(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CLOSE) return DefWindowProcW(hwnd, message, wParam, lParam);
  ++g_frameCloses;
  return 0;
}

// A diagram type that opens its window in a frame of its own.
class TWindowDiagram : public TPrefDiagram {
 public:
  explicit TWindowDiagram(ISRepSession* s) : TPrefDiagram(s) {}
  HRESULT OpenView() override {
    const HWND frame = CreateWindowExW(0, u"TestPrintFrame", u"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                       nullptr, nullptr);
    m_view = new TPrintView();
    if (!m_view->CreateEx(0, nullptr, u"", WS_CHILD, RECT{0, 0, 200, 100}, SWnd::FromHandle(frame), 1)) return E_FAIL;
    m_view->SetDiagram(Diagram());
    return S_OK;
  }
  TPrintView* m_view = nullptr;
};

TEST_F(DiagramPrintTest, InteractivelyTheWindowsPrintCommandRuns) {
  KvWindowsReset();
  WNDCLASSW wc{};
  wc.lpfnWndProc = &CountingFrame;
  wc.lpszClassName = u"TestPrintFrame";
  RegisterClassW(&wc);
  g_frameCloses = 0;
  SetInteractionMode interactive(SInteractionInteractive);
  auto* d = NewDiagram<TWindowDiagram>();
  // The window opened for the print is closed after it.
  ASSERT_EQ(d->Print(), S_OK);
  ASSERT_NE(d->m_view, nullptr);
  EXPECT_EQ(d->m_view->m_prints, 1);
  EXPECT_EQ(g_frameCloses, 1);
  // A window already open prints and stays.
  TPrintView* open = d->m_view;
  EXPECT_EQ(d->Print(), S_OK);
  EXPECT_EQ(open->m_prints, 2);
  EXPECT_EQ(g_frameCloses, 1);
  EXPECT_EQ(Printed(), 0u);  // the command is the window's: nothing printed here
  KvWindowsReset();
}

}  // namespace
