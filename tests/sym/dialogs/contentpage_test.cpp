// The "Sub-Objects" page on the format sheet: one tab per sub grid of the
// selected symbol, the display and font of each sub-object read from the
// model object's text and written back as one step only when a row changed;
// no symbol, no model object or a damaged text write nothing.
#include <gtest/gtest.h>

#include <vector>

#include "support/attrmodel_fixture.h"
#include "support/compartments_fixture.h"
#include "support/link_fixture.h"
#include "sym/dialogs/symdialog.h"
#include "sym/dialogs/symdlgfrmtobjt.h"
#include "sym/edit/symselection.h"
#include "sym/subobjects/symsubgrid.h"
#include "win/commdlg.h"
#include "win/winmsgbox.h"

namespace {

using F = SSymDlgFrmtObjt;

// A symbol of a model object that shows the object's children in a sub grid.
class TContentSym : public SRepFaces<TContentSym, THost, ISSymObject> {
 public:
  explicit TContentSym(ISRepSession* s) : SRepFaces(s) {}
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = m_model;
    if (m_model) m_model->AddRef();
    return m_model ? S_OK : S_FALSE;
  }
  std::uintptr_t GetIdent() override { return 0; }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  ISRepObject* m_model = nullptr;
};

class ContentPage : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    KvDialogReset();
    KvCommDlgReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
    // The model's items keep the sub-object text and a sub-object's key.
    SRepClassDef* def = TItemRegistry().GetClassDef();
    for (LONG id : {F::FormatAttr, F::KeyAttr})
      if (!def->GetAttribute(id)) def->AddAttribute(id, SRepVT_TEXT);
    m_owner = NewItem(Session(), "Entity");
    for (const char* name : {"a", "b", "c"}) {
      TItem* part = NewItem(Session(), SString(name), m_owner);
      part->Set_TEXT(F::KeyAttr, "#" + SString(name) + "#");
      m_parts.push_back(part);
    }
    m_sym = Place<TContentSym>(DiagramOwner());
    m_sym->m_model = m_owner;
    auto* grid = m_sym->Add(new SSymSubGrid());
    grid->_SetFont(SSymFont(SString(u"Arial"), 8));
    auto* rows = new SSymSubGridRowFactory(grid, m_owner, titem::kChildren, &CLSID_TItem);
    grid->SetRowFactory(rows);
    rows->Initialize();
    m_selection.SetDiagram(Diagram());
    m_selection.Add(m_sym->Sym(), 0);
  }
  void TearDown() override {
    m_selection.Clear(0);
    for (TItem* p : m_parts) p->Release();
    m_owner->Release();
    KvDialogReset();
    KvCommDlgReset();
    KvClearMessageBoxLog();
    LinkFixture::TearDown();
  }
  // Runs the sheet with the content page alone, the person doing `actions`
  // then OK; the rows the page showed.
  std::vector<F::Tab> Run(std::vector<KvControlAction> actions, SSymSelection* selection = nullptr) {
    SSymFormat format;
    SSymAllowOption allow;
    allow.m_mask = SSymDialog::MaskContent;
    SSymDialog sheet(&format, &allow, SSymDialog::CaptionId, selection ? selection : &m_selection);
    KvDialogAnswer answer;
    answer.ok = true;
    answer.actions = std::move(actions);
    KvQueueDialogAnswer(answer);
    m_result = sheet.DoModal();
    m_damaged = sheet.GetContentPage().GetDamagedCount();
    return sheet.GetContentPage().GetTabs();
  }
  // The section header of the symbol's one collection.
  SString Header() {
    std::vector<F::Tab> tabs;
    F::CollectTabs(m_sym->Sym(), tabs, nullptr);
    return tabs.empty() ? SString() : tabs[0].publicName;
  }
  SString Text() {
    SString text;
    m_owner->Get_TEXT(F::FormatAttr, text);
    return text;
  }
  static std::vector<bool> Shown(const std::vector<F::Tab>& tabs) {
    std::vector<bool> out;
    for (const F::Row& r : tabs.at(0).rows) out.push_back(r.displayed);
    return out;
  }

  TItem* m_owner = nullptr;
  std::vector<TItem*> m_parts;
  TContentSym* m_sym = nullptr;
  SSymSelection m_selection;
  INT_PTR m_result = 0;
  int m_damaged = 0;
};

TEST_F(ContentPage, RowsComeFromTheSubGridAndTheSavedText) {
  const SString header = Header();
  ASSERT_FALSE(header.IsEmpty());
  const struct {
    SString text;
    std::vector<bool> shown;
    SString fontOfB;
  } cases[] = {
      {SString(), {true, true, true}, SString()},  // no text: all shown, default font
      {header + " 1\n#b# Arial,10,B,0,0,0\n", {false, false, false}, SString(u"Arial,10,B,0,0,0")},
      {header + " 2\n#a#\n#c# ,Arial,9,N,0,0,0\n", {true, false, false}, SString()},
      {header + " 0\n#b# Arial,8,N,0,0,0\n", {true, true, true}, SString()},  // the default font is none
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.ToUtf8());
    m_owner->Set_TEXT(F::FormatAttr, c.text);
    const std::vector<F::Tab> tabs = Run({});
    ASSERT_EQ(tabs.size(), 1u);
    ASSERT_EQ(tabs[0].rows.size(), 3u);
    EXPECT_EQ(tabs[0].rows[0].name, SString(u"a"));
    EXPECT_EQ(tabs[0].rows[1].key, SString(u"#b#"));
    EXPECT_EQ(Shown(tabs), c.shown);
    EXPECT_EQ(tabs[0].rows[1].font, c.fontOfB);
  }
}

TEST_F(ContentPage, SelectAndUnselectAllWriteOneStepOnlyWhenTheRowsChange) {
  const struct {
    std::vector<KvControlAction> actions;
    int steps;
    const char16_t* mode;  // the header's mode after OK (null: text unchanged)
  } cases[] = {
      {{}, 0, nullptr},                                // OK without a change
      {{KvClick(F::SelectAllId)}, 0, nullptr},         // every row was shown already
      {{KvClick(F::UnselectAllId)}, 1, u" 1\n"},
      {{KvClick(F::SelectAllId)}, 1, u" 0\n"},
      {{KvClick(F::UnselectAllId), KvClick(F::SelectAllId)}, 0, nullptr},  // back as read
  };
  const SString header = Header();
  for (const auto& c : cases) {
    const SString before = Text();
    const int steps = m_session->GetUndoCount();
    Run(c.actions);
    EXPECT_EQ(m_result, IDOK);
    EXPECT_EQ(m_session->GetUndoCount(), steps + c.steps);
    EXPECT_EQ(Text(), c.mode ? header + c.mode : before);
  }
  // The step takes the text back.
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(Text(), header + " 1\n");
}

TEST_F(ContentPage, AnEditedFontIsWrittenAndReadBack) {
  KvFontDialogAnswer font;
  font.ok = true;
  font.color = RGB(255, 0, 0);
  KvQueueFontDialogAnswer(font);
  Run({KvClick(F::EditFontId)});  // the current cell is on the first row
  ASSERT_EQ(KvFontDialogCalls().size(), 1u);
  const SString header = Header();
  EXPECT_EQ(Text(), header + " 0\n#a# Arial,8,N,255,0,0\n");
  const std::vector<F::Tab> tabs = Run({});
  EXPECT_EQ(tabs.at(0).rows.at(0).font, SString(u"Arial,8,N,255,0,0"));
  EXPECT_EQ(Shown(tabs), (std::vector<bool>{true, true, true}));
}

TEST_F(ContentPage, WithoutOneSymbolOrItsModelObjectNothingIsWritten) {
  const int steps = m_session->GetUndoCount();
  // No model object behind the symbol.
  m_sym->m_model = nullptr;
  EXPECT_TRUE(Run({KvClick(F::UnselectAllId)}).empty());
  m_sym->m_model = m_owner;
  // A box without a model object.
  SSymSelection boxOnly;
  boxOnly.SetDiagram(Diagram());
  boxOnly.Add(PutBox(SSymRect(0, 1000, 1000, 0))->Sym(), 0);
  EXPECT_TRUE(Run({KvClick(F::UnselectAllId)}, &boxOnly).empty());
  // Two symbols.
  boxOnly.Add(m_sym->Sym(), 0);
  EXPECT_TRUE(Run({KvClick(F::UnselectAllId)}, &boxOnly).empty());
  EXPECT_EQ(m_result, IDOK);
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  EXPECT_TRUE(Text().IsEmpty());
  boxOnly.Clear(0);
}

TEST_F(ContentPage, ADamagedTextIsShownAsDefaultsAndKeptUnlessChanged) {
  const SString header = Header();
  const SString damaged = header + " 7\n#a\n";
  m_owner->Set_TEXT(F::FormatAttr, damaged);
  const int steps = m_session->GetUndoCount();
  EXPECT_EQ(Shown(Run({})), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(m_damaged, 1);
  EXPECT_EQ(Text(), damaged);
  EXPECT_EQ(m_session->GetUndoCount(), steps);
  // A change replaces it with a sound text.
  Run({KvClick(F::UnselectAllId)});
  EXPECT_EQ(Text(), header + " 1\n");
  EXPECT_EQ(m_damaged, 1);
}

}  // namespace
