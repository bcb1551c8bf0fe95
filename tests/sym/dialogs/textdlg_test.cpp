// The modeless text dialog of a text symbol: its title and mode, the
// plain/RTF switch, OK as one undo step only on change, a symbol deleted
// while the dialog is open, the remembered placement, and one dialog per
// symbol through the symbol's verb.
#include <gtest/gtest.h>

#include <string>

#include "kvcore/sregistry.h"
#include "kvlib/suserregistry.h"
#include "kvrep/srepextras.h"
#include "support/symtest.h"
#include "sym/dialogs/symtextdlg.h"
#include "sym/symbol/symsolidtext.h"
#include "win/winmsgbox.h"
#include "win/winreg.h"

namespace {

using D = SSymTextDlg;
constexpr const char16_t* kRtf = u"{\\rtf1\\ansi {\\b Bold} text\\par}";

// A text symbol of a chosen type code.
class TNote : public SSymSolidText {
 public:
  TNote(ISRepSession* s, int type) : SSymSolidText(SSymRect(0, 5000, 10000, 0), s), m_type(type) {}
  int GetSymbolType() override { return m_type; }
  HRESULT DrawSymbol(SSymCanvas& canvas) override {
    canvas.Rectangle(m_rect);
    return S_OK;
  }
  int m_type;
};

class TextDialog : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
    m_keepSize = SRepOption::m_bKeepSize;
    m_single = SRepOption::m_bOpenSingleMode;
  }
  void TearDown() override {
    SRepOption::m_bKeepSize = m_keepSize;
    SRepOption::m_bOpenSingleMode = m_single;
    SRegistry key(HKEY_CURRENT_USER, SUserRegistry::sApplicationDialogPref + SString(D::PlacementKey), 0);
    key.DeleteProfile(SString(D::SizeValue));
    key.DeleteProfile(SString(D::PositionValue));
    KvClearMessageBoxLog();
    SymFixture::TearDown();
  }
  TNote* Note(const char16_t* text, int type = 10) {
    TNote* t = Place<TNote>(DiagramOwner(), type);
    SCurrentContextChange outside(Session(), nullptr);
    t->SetText(SString(text), 0);
    return t;
  }
  static ISSymText* Face(TNote* t) { return SComWrap<ISSymText>(t->Sym()).Get(); }
  static SString TextOf(TNote* t) {
    SString s;
    t->GetText(s);
    return s;
  }
  static SString Shown(D& d) { return d.GetEditPart().GetText(); }
  static void Type(D& d, const char16_t* text) { ::SetDlgItemTextW(d.GetWnd(), SSymTextEditPart::RichEditId, text); }
  static bool Checked(D& d, int id) {
    return ::SendDlgItemMessageW(d.GetWnd(), id, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  static bool Click(D& d, int id) { return KvPlayControlAction(d.GetWnd(), KvClick(id)) != FALSE; }
  BOOL m_keepSize = FALSE;
  BOOL m_single = FALSE;
};

TEST_F(TextDialog, OpensInTheTextsModeWithTheTitleOfItsType) {
  const struct {
    const char16_t* text;
    int type;
    bool rtf;
    const char16_t* title;
  } cases[] = {
      {u"plain words", 10, false, u"Text"},
      {kRtf, 10, true, u"Text"},
      {u"a note", D::NoteSymbolType, false, u"Note"},
      {u"", 7, false, u"Text"},
  };
  for (const auto& c : cases) {
    TNote* t = Note(c.text, c.type);
    D dialog(Face(t));
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(Shown(dialog), SString(c.text));
    EXPECT_EQ(dialog.IsRtfMode(), c.rtf);
    EXPECT_EQ(Checked(dialog, SSymTextEditPart::RtfId), c.rtf);
    EXPECT_EQ(Checked(dialog, SSymTextEditPart::PlainId), !c.rtf);
    // The formatting toolbar serves RTF only.
    EXPECT_EQ(::IsWindowEnabled(::GetDlgItem(dialog.GetWnd(), SSymTextEditPart::ToolbarId)) != FALSE, c.rtf);
    std::u16string title(64, u'\0');
    title.resize(std::size_t(::GetWindowTextW(dialog.GetWnd(), title.data(), 64)));
    EXPECT_EQ(title, c.title) << c.type;
    EXPECT_EQ(D::Find(t->Obj()), &dialog);
  }
}

TEST_F(TextDialog, SwitchingToPlainShowsThePlainTextAndBackKeepsIt) {
  TNote* t = Note(kRtf);
  D dialog(Face(t));
  ASSERT_TRUE(dialog.Open());
  ASSERT_TRUE(Click(dialog, SSymTextEditPart::PlainId));
  EXPECT_FALSE(dialog.IsRtfMode());
  EXPECT_TRUE(Checked(dialog, SSymTextEditPart::PlainId));
  const SString plain = Shown(dialog);
  EXPECT_EQ(plain.Find(SString(u"{")), -1) << plain.ToUtf8();
  EXPECT_NE(plain.Find(SString(u"Bold text")), -1) << plain.ToUtf8();
  ASSERT_TRUE(Click(dialog, SSymTextEditPart::RtfId));
  EXPECT_TRUE(dialog.IsRtfMode());
  EXPECT_EQ(Shown(dialog), plain);
  // OK writes what the dialog shows.
  ASSERT_TRUE(Click(dialog, IDOK));
  EXPECT_EQ(TextOf(t), plain);
}

TEST_F(TextDialog, OkWritesOneUndoStepOnlyOnChange) {
  TNote* t = Note(u"before");
  const struct {
    const char16_t* typed;  // null: untouched
    int button;
    const char16_t* after;
    int steps;
  } cases[] = {
      {nullptr, IDOK, u"before", 0},
      {u"before", IDOK, u"before", 0},
      {u"changed", IDCANCEL, u"before", 0},
      {u"Before", IDOK, u"Before", 1},  // a change of case alone is a change
      {u"after", IDOK, u"after", 1},
  };
  for (const auto& c : cases) {
    {
      SCurrentContextChange outside(Session(), nullptr);
      t->SetText(SString(u"before"), 0);
    }
    const int steps = m_session->GetUndoCount();
    D dialog(Face(t));
    ASSERT_TRUE(dialog.Open());
    if (c.typed) Type(dialog, c.typed);
    ASSERT_TRUE(Click(dialog, c.button));
    EXPECT_EQ(dialog.GetWnd(), nullptr) << "the dialog closes";
    EXPECT_EQ(TextOf(t), SString(c.after));
    EXPECT_EQ(m_session->GetUndoCount(), steps + c.steps) << (c.typed ? SString(c.typed).ToUtf8() : "");
    if (c.steps) {
      ASSERT_EQ(m_session->Undo(), S_OK);
      EXPECT_EQ(TextOf(t), SString(u"before"));
    }
  }
}

TEST_F(TextDialog, ASymbolDeletedWhileOpenIsRefusedWithNothingWritten) {
  TNote* t = Note(u"kept");
  D dialog(Face(t));
  ASSERT_TRUE(dialog.Open());
  Type(dialog, u"lost?");
  ASSERT_EQ(t->Delete(), S_OK);
  const int steps = m_session->GetUndoCount();
  ASSERT_TRUE(Click(dialog, IDOK));
  EXPECT_EQ(TextOf(t), SString(u"kept"));
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_NE(KvMessageBoxLog()[0].text.find(u"deleted"), std::u16string::npos);
  // Still open with what was typed; Cancel closes it.
  ASSERT_NE(dialog.GetWnd(), nullptr);
  EXPECT_EQ(Shown(dialog), SString(u"lost?"));
  ASSERT_TRUE(Click(dialog, IDCANCEL));
  EXPECT_EQ(dialog.GetWnd(), nullptr);
}

TEST_F(TextDialog, RemembersItsSizeAndPositionPerUser) {
  SRepOption::m_bKeepSize = TRUE;
  SRepOption::m_bOpenSingleMode = TRUE;
  TNote* t = Note(u"placed");
  auto read = [](const char16_t* name) {
    SRegistry key(HKEY_CURRENT_USER, SUserRegistry::sApplicationDialogPref + SString(D::PlacementKey), 0);
    SString v;
    key.GetProfile(SString(name), v, SString(u"none"));
    return v.ToUtf8();
  };
  {
    D dialog(Face(t));
    ASSERT_TRUE(dialog.Open());
    EXPECT_EQ(read(D::SizeValue), "none") << "opening writes nothing";
    ::SetWindowPos(dialog.GetWnd(), nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SetWindowPos(dialog.GetWnd(), nullptr, 0, 0, 520, 400, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    ::GetClientRect(dialog.GetWnd(), &client);
    EXPECT_EQ(read(D::SizeValue), std::to_string(client.right) + " " + std::to_string(client.bottom));
    EXPECT_EQ(read(D::PositionValue), "40 30");
    // Minimising keeps the size it had.
    ::SendMessageW(dialog.GetWnd(), WM_SIZE, 1, MAKELPARAM(0, 0));
    EXPECT_EQ(read(D::SizeValue), std::to_string(client.right) + " " + std::to_string(client.bottom));
  }
  // Opened again: the same place and the same client size (not shrunk by its frame).
  const std::string size = read(D::SizeValue);
  D again(Face(t));
  ASSERT_TRUE(again.Open());
  RECT window{}, client{};
  ::GetWindowRect(again.GetWnd(), &window);
  ::GetClientRect(again.GetWnd(), &client);
  EXPECT_EQ(window.left, 40);
  EXPECT_EQ(window.top, 30);
  EXPECT_EQ(std::to_string(client.right) + " " + std::to_string(client.bottom), size);
  EXPECT_EQ(read(D::SizeValue), size);
}

TEST_F(TextDialog, DamagedPlacementValuesAreIgnored) {
  SRepOption::m_bKeepSize = TRUE;
  SRepOption::m_bOpenSingleMode = TRUE;
  TNote* t = Note(u"x");
  RECT plain{};
  {
    D dialog(Face(t));
    ASSERT_TRUE(dialog.Open());
    ::GetClientRect(dialog.GetWnd(), &plain);
  }
  for (const char16_t* bad : {u"", u"12", u"a b", u"-5 300", u"400 0", u"300 200 9", u"99999999 300"}) {
    {
      SRegistry key(HKEY_CURRENT_USER, SUserRegistry::sApplicationDialogPref + SString(D::PlacementKey), 1);
      key.WriteProfile(SString(D::SizeValue), SString(bad));
    }
    D dialog(Face(t));
    ASSERT_TRUE(dialog.Open());
    RECT client{};
    ::GetClientRect(dialog.GetWnd(), &client);
    EXPECT_EQ(client.right, plain.right) << SString(bad).ToUtf8();
    EXPECT_EQ(client.bottom, plain.bottom) << SString(bad).ToUtf8();
  }
}

TEST_F(TextDialog, TheVerbOpensOneDialogPerSymbol) {
  TNote* t = Note(u"verb");
  TNote* other = Note(u"other");
  SComWrap<ISVerbSource> verbs(t->Sym());
  ASSERT_FALSE(verbs.IsNull());
  EXPECT_EQ(verbs->DoVerb(0, nullptr, nullptr, nullptr), S_OK);
  D* open = D::Find(t->Obj());
  ASSERT_NE(open, nullptr);
  ASSERT_NE(open->GetWnd(), nullptr);
  EXPECT_EQ(verbs->DoVerb(0, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(D::Find(t->Obj()), open);
  EXPECT_EQ(open->GetShowCount(), 2);
  SComWrap<ISVerbSource>(other->Sym())->DoVerb(0, nullptr, nullptr, nullptr);
  D* second = D::Find(other->Obj());
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, open);
  // OK closes and deletes the dialog; the map forgets it.
  Type(*open, u"verb two");
  ASSERT_TRUE(Click(*open, IDOK));
  EXPECT_EQ(D::Find(t->Obj()), nullptr);
  EXPECT_EQ(TextOf(t), SString(u"verb two"));
  second->Close();
  EXPECT_EQ(D::Find(other->Obj()), nullptr);
}

}  // namespace
