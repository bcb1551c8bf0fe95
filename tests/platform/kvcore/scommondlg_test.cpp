// The scripted common dialogs: colour, file open and save, the picture
// picker, paste special and the cancelable progress dialog.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/scolordlg.h"
#include "kvcore/sfiledlg.h"
#include "kvcore/sprogressdlg.h"
#include "win/oledlg.h"
#include "win/winmsgbox.h"

namespace {

class CommonDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override {
    Reset();
    EXPECT_EQ(KvWindowCount(), 0u);
  }
  static void Reset() {
    KvWindowsReset();
    KvCommDlgReset();
    KvOleConvertReset();
    KvProgressReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
    SColorDlg::ResetCustomColors();
  }
};

TEST_F(CommonDialogTest, ColorDialogAnswersAsTheScriptSays) {
  SColorDlg::AddCustomColor(RGB(1, 2, 3));
  KvQueueColorDialogAnswer({true, RGB(10, 20, 30)});
  SColorDlg pick(RGB(255, 0, 0));
  EXPECT_EQ(pick.DoModal(), IDOK);
  EXPECT_EQ(pick.GetColor(), RGB(10, 20, 30));
  EXPECT_EQ(pick.m_cc.lpCustColors[0], RGB(1, 2, 3));  // the kept colours are offered
  ASSERT_EQ(KvColorDialogCalls().size(), 1u);
  EXPECT_EQ(KvColorDialogCalls()[0].color, RGB(255, 0, 0));
  // Cancel, and no answer left: the colour stays.
  KvQueueColorDialogAnswer({false, RGB(9, 9, 9)});
  SColorDlg cancelled(RGB(0, 0, 255));
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetColor(), RGB(0, 0, 255));
  // Bad records.
  CHOOSECOLORW bad{};
  EXPECT_FALSE(::ChooseColorW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
  bad.lStructSize = sizeof bad;
  EXPECT_FALSE(::ChooseColorW(&bad));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
  EXPECT_FALSE(::ChooseColorW(nullptr));
}

TEST_F(CommonDialogTest, FileDialogsGiveThePathAndItsParts) {
  struct Case {
    const char* name;
    BOOL open;
    const char16_t* defExt;
    std::u16string answer;
    const char16_t* path;
    const char16_t* file;
    const char16_t* ext;
    const char16_t* title;
  };
  const Case cases[] = {
      {"open", TRUE, nullptr, u"/tmp/in/model.kvd", u"/tmp/in/model.kvd", u"model.kvd", u"kvd", u"model"},
      {"save adds the default extension", FALSE, u"svg", u"/tmp/out/picture", u"/tmp/out/picture.svg",
       u"picture.svg", u"svg", u"picture"},
      {"a dot in a folder is no extension", FALSE, u"png", u"/tmp/a.b/c", u"/tmp/a.b/c.png", u"c.png", u"png", u"c"},
      {"a name with its extension keeps it", FALSE, u"png", u"/tmp/c.emf", u"/tmp/c.emf", u"c.emf", u"emf", u"c"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvQueueFileDialogAnswer({true, c.answer, 0});
    SFileDlg dialog(c.open, c.defExt, u"start.kvd", OFN_HIDEREADONLY, u"Models (*.kvd)|*.kvd|All Files (*.*)|*.*||");
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetPathName(), SString(c.path));
    EXPECT_EQ(dialog.GetFileName(), SString(c.file));
    EXPECT_EQ(dialog.GetFileExt(), SString(c.ext));
    EXPECT_EQ(dialog.GetFileTitle(), SString(c.title));
    const KvFileDialogCall& call = KvFileDialogCalls().back();
    EXPECT_EQ(call.save, !c.open);
    EXPECT_EQ(call.initialName, u"start.kvd");
    EXPECT_EQ(call.filters, (std::vector<std::u16string>{u"Models (*.kvd)", u"*.kvd", u"All Files (*.*)", u"*.*"}));
  }
  // Cancel leaves the initial name.
  SFileDlg cancelled(TRUE, nullptr, u"start.kvd");
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.GetPathName(), SString(u"start.kvd"));
  // A path longer than the buffer: the needed size, and failure.
  char16_t small[8] = u"x";
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = small;
  ofn.nMaxFile = 8;
  KvQueueFileDialogAnswer({true, u"/a/long/path.txt", 0});
  EXPECT_FALSE(::GetOpenFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
  EXPECT_EQ(small[0], char16_t(17));
  ofn.lpstrFile = nullptr;
  EXPECT_FALSE(::GetSaveFileNameW(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), CDERR_INITIALIZATION);
}

TEST_F(CommonDialogTest, ThePicturePickerOffersPictureFiles) {
  KvQueueFileDialogAnswer({true, u"/pictures/logo.png", 1});
  SPictureDlg picker(u"");
  EXPECT_EQ(picker.DoModal(), IDOK);
  EXPECT_EQ(picker.GetFileExt(), SString(u"png"));
  EXPECT_FALSE(KvFileDialogCalls().back().save);
  EXPECT_EQ(KvFileDialogCalls().back().filters.at(1), u"*.bmp;*.png;*.emf;*.wmf");
}

TEST_F(CommonDialogTest, PasteSpecialAnswersWithAnOfferedEntry) {
  OLEUIPASTEENTRYW entries[2]{};
  entries[0].lpstrFormatName = u"Picture (Enhanced Metafile)";
  entries[1].lpstrFormatName = u"Unformatted Text";
  OLEUIPASTESPECIALW paste{};
  paste.cbStruct = sizeof paste;
  paste.arrPasteEntries = entries;
  paste.cPasteEntries = 2;
  KvOlePasteSpecialScript({{OLEUI_OK, 1, false}, {OLEUI_OK, 5, false}, {OLEUI_CANCEL, 0, false}});
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_OK);
  EXPECT_EQ(paste.nSelectedIndex, 1);
  EXPECT_EQ(paste.dwFlags & PSF_SELECTPASTE, PSF_SELECTPASTE);
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_CANCEL);  // an entry it did not offer
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_CANCEL);
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_CANCEL);  // no script left
  ASSERT_EQ(KvOlePasteSpecialLog().size(), 4u);
  EXPECT_EQ(KvOlePasteSpecialLog()[0].formats,
            (std::vector<std::u16string>{u"Picture (Enhanced Metafile)", u"Unformatted Text"}));
  paste.cPasteEntries = 0;
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_IOERR_ARRPASTEENTRIESINVALID);
  paste.cbStruct = 4;
  EXPECT_EQ(::OleUIPasteSpecialW(&paste), OLEUI_ERR_STANDARDMIN);
  EXPECT_EQ(::OleUIPasteSpecialW(nullptr), OLEUI_ERR_STANDARDMIN);
  EXPECT_EQ(KvOlePasteSpecialLog().size(), 4u);
}

TEST_F(CommonDialogTest, TheProgressDialogIsCancelledWhenTheUserConfirms) {
  struct Case {
    const char* name;
    const char16_t* question;
    std::vector<int> answers;  // message box buttons
    int cancelledAt;           // the first position at which the task sees the cancel; -1 never
  };
  const Case cases[] = {
      {"no question", u"", {}, 2},
      {"confirmed", u"Do you want to abort print?", {IDYES}, 2},
      {"refused, then confirmed", u"Do you want to abort print?", {IDNO, IDYES}, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvProgressCancelAt(2);
    KvProgressCancelAt(3);
    KvScriptMessageBoxAnswers(c.answers);
    SProgressDlg progress(SString(u"Printing"));
    progress.SetCancelQuestion(SString(c.question));
    ASSERT_TRUE(progress.Create());
    progress.SetRange(0, 5);
    int seen = -1;
    for (int page = 1; page <= 5 && seen < 0; ++page) {
      progress.StepIt();
      if (progress.CheckCancelButton()) seen = page;
    }
    EXPECT_EQ(seen, c.cancelledAt);
    EXPECT_EQ(KvMessageBoxLog().size(), c.answers.size());
    progress.DestroyWindow();
    KvProgressReset();
    KvClearMessageBoxLog();
  }
  // Without a window the positions only count.
  SProgressDlg idle;
  idle.SetRange(0, 3);
  EXPECT_EQ(idle.SetPos(9), 0);
  EXPECT_EQ(idle.GetPos(), 3);
  EXPECT_FALSE(idle.CheckCancelButton());
}

}  // namespace
