// The display preferences dialog: the general page shows a diagram's
// preferences, edits them as a person clicks and types, and writes them into
// the diagram (OK), or as the user's defaults (Set As Default) from which
// Default reads them back. A write the preferences refuse is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>

#include "kvcore/sexception.h"
#include "sym/dialogs/symdispprefdlg.h"
#include "sym/dialogs/symdlgsize.h"
#include "support/diagram_fixture.h"
#include "win/winmsgbox.h"

namespace {
using P = SSymPrefGeneralPage;
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Preferences of a diagram type that chooses what it supports, records the
// keys written and refuses the writes of chosen keys.
class TKindPref : public TDispPref {
 public:
  TKindPref(ISRepObject* diagram, int swimlanes, int tree, int dark)
      : TDispPref(diagram, SString(u"TST"), swimlanes), m_tree(tree), m_dark(dark) {}
  int IsSupportTreeOrientation() override { return m_tree; }
  int IsSupportCompDark() override { return m_dark; }
  void AdjustSwimlaneLabel(SString& label) override {
    if (m_swimlanes) label = SString(u"Pools");
  }
  LONG SetValue(const SString& s, const SString& k, long v, unsigned long w) override {
    return Note(k) ? ERROR_ACCESS_DENIED : SSymDispPref::SetValue(s, k, v, w);
  }
  LONG SetValue(const SString& s, const SString& k, int v, unsigned long w) override {
    return Note(k) ? ERROR_ACCESS_DENIED : SSymDispPref::SetValue(s, k, v, w);
  }
  LONG SetValue(const SString& s, const SString& k, const SString& v, unsigned long w) override {
    return Note(k) ? ERROR_ACCESS_DENIED : SSymDispPref::SetValue(s, k, v, w);
  }
  // True when the key is refused.
  bool Note(const SString& key) {
    m_written.push_back(key.ToUtf8());
    return m_refused.count(key.ToUtf8()) != 0;
  }
  int m_tree, m_dark;
  std::vector<std::string> m_written;
  std::set<std::string> m_refused;
};

class TKindDiagram : public TPrefDiagram {
 public:
  explicit TKindDiagram(ISRepSession* s) : TPrefDiagram(s) {}
  HRESULT CreateDispPref() override {
    SetDispPrefPtr(new TKindPref(RepObject(), s_swimlanes, s_tree, s_dark));
    return S_OK;
  }
  static inline int s_swimlanes = 0, s_tree = 0, s_dark = 0;
};

class DispPrefDialog : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    KvWindowsReset();
    KvDialogReset();
    KvClearMessageBoxLog();
    KvSetMessageBoxQuiet(true);
    TKindDiagram::s_swimlanes = TKindDiagram::s_tree = TKindDiagram::s_dark = 0;
  }
  void TearDown() override {
    m_page.reset();
    m_dlg.reset();
    KvSetMessageBoxQuiet(false);
    KvDialogReset();
    KvWindowsReset();
    DiagramFixture::TearDown();
  }
  TKindDiagram* NewKind(int swimlanes = 0, int tree = 0, int dark = 0) {
    TKindDiagram::s_swimlanes = swimlanes;
    TKindDiagram::s_tree = tree;
    TKindDiagram::s_dark = dark;
    return NewDiagram<TKindDiagram>();
  }
  static TKindPref* Prefs(SSymDiagram* d) { return static_cast<TKindPref*>(d->GetDispPrefPtr()); }
  // Opens the dialog (modeless, so that the test plays a person's actions)
  // with the general page on the diagram.
  void Open(SSymDiagram* d) {
    m_page.reset();
    m_dlg.reset();
    m_dlg = std::make_unique<SSymDispPrefDlg>(d->Diagram());
    m_page = std::make_unique<P>(RepObjWrap(d->Diagram()).Get());
    m_dlg->AddPage(m_page.get());
    ASSERT_TRUE(m_dlg->Create());
    ASSERT_NE(m_page->m_hWnd, nullptr);
  }
  BOOL Play(const KvControlAction& a) { return KvPlayControlAction(m_dlg->m_hWnd, a); }
  HWND Item(int id) const { return ::GetDlgItem(m_page->m_hWnd, id); }
  std::u16string Text(int id) const {
    SString t;
    SWnd::FromHandle(Item(id))->GetWindowText(t);
    return t.str();
  }
  bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
  bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
  // The grid size as the edit shows it in pixels.
  static std::u16string Pixels(LONG graphic) {
    return SString::FromInt(static_cast<long long>(SSymDlgSize::UnitToGraphic(SSymDlgSize::Pixel, graphic, 1))).str();
  }
  std::unique_ptr<SSymDispPrefDlg> m_dlg;
  std::unique_ptr<P> m_page;
};

TEST_F(DispPrefDialog, TemplatesAndTheModalRun) {
  const SDlgTemplate* dialog = SFindDlgTemplate(SSymDispPrefDlg::TemplateId);
  const SDlgTemplate* page = SFindDlgTemplate(P::TemplateId);
  ASSERT_NE(dialog, nullptr);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(SString(dialog->caption), SString(u"Display Preferences"));
  EXPECT_EQ(dialog->cx, 440);
  EXPECT_EQ(dialog->cy, 270);
  EXPECT_EQ(SString(page->caption), SString(u"General"));
  TKindDiagram* d = NewKind();
  SSymDispPrefDlg dlg(d->Diagram());
  EXPECT_EQ(dlg.DoModal(), -1);  // no page: nothing shown
  EXPECT_EQ(dlg.GetGraphUnit(), 2);
  P general(RepObjWrap(d->Diagram()).Get());
  dlg.AddPage(&general);
  // OK without a change writes the diagram's values back unchanged.
  KvQueueDialogAnswer({{}, true});
  EXPECT_EQ(dlg.DoModal(), IDOK);
  ASSERT_EQ(KvDialogCalls().size(), 1u);
  EXPECT_EQ(KvDialogCalls()[0].templateId, 106u);
  EXPECT_EQ(KvDialogCalls()[0].caption, SString(u"Display Preferences"));
  EXPECT_EQ(Prefs(d)->GetGridSize(), 800);  // a grid of 0 is shown and stored as 800
  EXPECT_EQ(Prefs(d)->GetGraphUnit(), 2);
  EXPECT_EQ(dlg.GetGraphUnit(), 2);
  // Cancel writes nothing.
  Prefs(d)->SetChanged(0);
  Prefs(d)->m_written.clear();
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_TRUE(Prefs(d)->m_written.empty());
  EXPECT_EQ(Prefs(d)->IsChanged(), 0);
}

TEST_F(DispPrefDialog, PagesNeedADiagram) {
  TSym* plain = Make<TSym>();
  EXPECT_THROW(P(nullptr), SEConstructor);
  EXPECT_THROW(P(RepObjWrap(plain->Sym()).Get()), SEConstructor);
  // A diagram without preferences: nothing to read or write.
  SSymDiagram* bare = NewDiagram<SSymDiagram>();
  P page(RepObjWrap(bare->Diagram()).Get());
  EXPECT_EQ(page.InitDataCtrl(1), E_POINTER);
  EXPECT_EQ(page.CommitDataCtrl(1), E_POINTER);
  EXPECT_TRUE(page.OnApply());
}

TEST_F(DispPrefDialog, ShowsTheDiagramsValues) {
  TKindDiagram* d = NewKind();
  TKindPref* p = Prefs(d);
  p->SetValue(u"General", u"Grid size", 14400L, 0);
  p->SetValue(u"General", u"Graphic unit", 0L, 0);
  p->SetValue(u"General", u"Snap Grid", 1, 0);
  p->SetValue(u"General", u"Show Page Delimiter", 0, 0);
  p->SetValue(u"General", u"Window color", SString(u"1, 2, 3"), 0);
  Open(d);
  EXPECT_EQ(Text(P::SizeId), u"2");
  EXPECT_TRUE(Checked(P::InchId));
  EXPECT_FALSE(Checked(P::MillimetreId));
  EXPECT_FALSE(Checked(P::PixelId));
  EXPECT_TRUE(Checked(P::SnapGridId));
  EXPECT_TRUE(Enabled(P::SizeId));
  EXPECT_FALSE(Checked(P::DisplayGridId));
  EXPECT_FALSE(Checked(P::ShowPageId));
  EXPECT_TRUE(Checked(P::IntersectId));
  EXPECT_TRUE(Checked(P::AutoRoutingId));
  EXPECT_TRUE(Checked(P::ConstrainLabelsId));
  EXPECT_EQ(m_page->GetData().GetWinColor(), 0x030201u);
  EXPECT_EQ(m_dlg->GetGraphUnit(), 0);
  // Without the choices of swimlanes, tree orientation and darkening the
  // shared place stays empty; without automatic routing its box is hidden.
  for (int id : {P::SwimGroupId, P::SwimlaneId, P::SwimHorzId, P::SwimVertId, P::TreeGroupId, P::TreeHorzId,
                 P::TreeVertId, P::DarkGroupId, P::DarkLabelId, P::DarkId})
    EXPECT_FALSE(Visible(id)) << id;
  EXPECT_TRUE(Visible(P::AutoRoutingId));
  m_dlg->DestroyWindow();
  p->m_autorouting = 0;
  Open(d);
  EXPECT_FALSE(Visible(P::AutoRoutingId));
  EXPECT_FALSE(Checked(P::AutoRoutingId));
}

// Units: the stored grid converted each time; a typed size in the shown
// unit; anything but a positive number keeps the old size.
TEST_F(DispPrefDialog, UnitsAndTypedSizes) {
  TKindDiagram* d = NewKind();
  Prefs(d)->SetValue(u"General", u"Grid size", 7200L, 0);
  Prefs(d)->SetValue(u"General", u"Snap Grid", 1, 0);  // the size can be edited
  Open(d);
  EXPECT_EQ(Text(P::SizeId), Pixels(7200));
  ASSERT_TRUE(Play(KvClick(P::InchId)));
  EXPECT_EQ(Text(P::SizeId), u"1");
  ASSERT_TRUE(Play(KvClick(P::MillimetreId)));
  EXPECT_EQ(Text(P::SizeId), u"25.4");
  EXPECT_FALSE(Checked(P::InchId));
  ASSERT_TRUE(Play(KvClick(P::InchId)));
  EXPECT_EQ(Text(P::SizeId), u"1");
  EXPECT_FALSE(Checked(P::MillimetreId));
  EXPECT_EQ(m_page->GetGraphUnit(), 0);
  const struct {
    const char16_t* typed;
    LONG size;
  } cases[] = {{u"2", 14400}, {u"", 14400}, {u"abc", 14400}, {u"-1", 14400}, {u"0", 14400}, {u"0.5", 3600}};
  for (const auto& c : cases) {
    SCOPED_TRACE(SString(c.typed).ToUtf8());
    ASSERT_TRUE(Play(KvType(P::SizeId, c.typed)));
    ASSERT_TRUE(Play(KvLeave(P::SizeId)));
    EXPECT_EQ(m_page->GetData().GetGridSize(), c.size);
    EXPECT_EQ(Text(P::SizeId), c.typed);  // the typed text stays
  }
  ASSERT_TRUE(Play(KvClick(IDOK)));
  EXPECT_EQ(Prefs(d)->GetGridSize(), 3600);
  EXPECT_EQ(Prefs(d)->GetGraphUnit(), 0);
}

TEST_F(DispPrefDialog, GridDisplayImpliesSnapping) {
  TKindDiagram* d = NewKind();
  Open(d);
  EXPECT_FALSE(Checked(P::SnapGridId));
  EXPECT_FALSE(Enabled(P::SizeId));
  ASSERT_TRUE(Play(KvClick(P::DisplayGridId)));
  EXPECT_TRUE(Checked(P::SnapGridId));
  EXPECT_TRUE(Enabled(P::SizeId));
  // Snapping cannot be switched off while the grid is displayed.
  ASSERT_TRUE(Play(KvClick(P::SnapGridId)));
  EXPECT_TRUE(Checked(P::SnapGridId));
  ASSERT_TRUE(Play(KvClick(P::DisplayGridId)));
  EXPECT_FALSE(Enabled(P::SizeId));
  ASSERT_TRUE(Play(KvClick(P::SnapGridId)));
  EXPECT_FALSE(Checked(P::SnapGridId));
  ASSERT_TRUE(Play(KvClick(P::DisplayGridId)));
  ASSERT_TRUE(Play(KvClick(P::ShowPageId)));
  ASSERT_TRUE(Play(KvClick(P::IntersectId)));
  ASSERT_TRUE(Play(KvClick(P::ConstrainLabelsId)));
  ASSERT_TRUE(Play(KvClick(P::AutoRoutingId)));
  ASSERT_TRUE(Play(KvPick(P::ColorId, 4)));
  // Nothing reaches the diagram before OK.
  EXPECT_EQ(Prefs(d)->GetDisplayGrid(), 0);
  ASSERT_TRUE(Play(KvClick(IDOK)));
  EXPECT_FALSE(::IsWindowVisible(m_dlg->m_hWnd));
  TKindPref* p = Prefs(d);
  EXPECT_EQ(p->GetDisplayGrid(), 1);
  EXPECT_EQ(p->GetSnapGrid(), 1);
  EXPECT_EQ(p->GetShowPage(), 0);
  EXPECT_EQ(p->GetShowIntersect(), 0);
  EXPECT_FALSE(p->GetConstrainLabels());
  EXPECT_EQ(p->GetAutoRouting(), 0);
  EXPECT_EQ(p->GetWinColor(), 0x0000FFu);
  // Without any choice of the shared place none of its keys is written.
  for (const char* key : {"Show Swimlane", "SwimlaneVert", "TreeVert", "CompDark"})
    EXPECT_EQ(std::count(p->m_written.begin(), p->m_written.end(), key), 0) << key;
}

// The shared place shows the one choice the diagram type supports, and OK
// writes its keys only.
TEST_F(DispPrefDialog, SwimlaneTreeAndDarkeningChoices) {
  {
    TKindDiagram* d = NewKind(1, 1, 1);
    Prefs(d)->SetValue(u"General", u"SwimlaneVert", 0, 0);
    Open(d);
    for (int id : {P::SwimGroupId, P::SwimlaneId, P::SwimHorzId, P::SwimVertId, P::TreeGroupId, P::DarkGroupId})
      EXPECT_TRUE(Visible(id)) << id;
    EXPECT_EQ(Text(P::SwimlaneId), u"Pools");
    EXPECT_FALSE(Enabled(P::SwimlaneId));  // this type's swimlanes cannot be switched off
    EXPECT_TRUE(Checked(P::SwimlaneId));
    EXPECT_TRUE(Checked(P::SwimHorzId));
    EXPECT_FALSE(Checked(P::SwimVertId));
    ASSERT_TRUE(Play(KvClick(P::SwimVertId)));
    ASSERT_TRUE(Play(KvClick(IDOK)));
    EXPECT_EQ(Prefs(d)->GetSwimlaneVert(), 1);
    EXPECT_EQ(std::count(Prefs(d)->m_written.begin(), Prefs(d)->m_written.end(), "TreeVert"), 0);
    m_dlg->DestroyWindow();
  }
  {
    TKindDiagram* d = NewKind(0, 1, 1);
    Open(d);
    EXPECT_FALSE(Visible(P::SwimGroupId));
    EXPECT_TRUE(Checked(P::TreeHorzId));
    ASSERT_TRUE(Play(KvClick(P::TreeVertId)));
    ASSERT_TRUE(Play(KvClick(IDOK)));
    EXPECT_EQ(Prefs(d)->GetTreeVert(), 1);
    EXPECT_EQ(std::count(Prefs(d)->m_written.begin(), Prefs(d)->m_written.end(), "CompDark"), 0);
    m_dlg->DestroyWindow();
  }
  {
    TKindDiagram* d = NewKind(0, 0, 1);
    Prefs(d)->SetValue(u"General", u"CompDark", 10L, 0);
    Open(d);
    EXPECT_FALSE(Visible(P::TreeGroupId));
    EXPECT_TRUE(Visible(P::DarkId));
    EXPECT_EQ(Text(P::DarkId), u"10%");
    ASSERT_TRUE(Play(KvPick(P::DarkId, 5)));
    EXPECT_EQ(Text(P::DarkId), u"25%");
    ASSERT_TRUE(Play(KvClick(IDOK)));
    EXPECT_EQ(Prefs(d)->GetDarkenPercent(), 25);
    EXPECT_EQ(m_page->GetCompDark(), 25);
  }
}

// Set As Default stores the page as the user's defaults without touching
// the diagram; Default shows them on another diagram.
TEST_F(DispPrefDialog, SetAsDefaultThenDefault) {
  TKindDiagram* first = NewKind();
  TKindDiagram* second = NewKind();  // made before the defaults change
  ASSERT_NE(Prefs(second), nullptr);
  Open(first);
  ASSERT_TRUE(Play(KvClick(P::DisplayGridId)));
  ASSERT_TRUE(Play(KvClick(P::MillimetreId)));
  ASSERT_TRUE(Play(KvClick(P::SetAsDefaultId)));
  EXPECT_EQ(Prefs(first)->GetDisplayGrid(), 0);
  EXPECT_EQ(Prefs(first)->GetGraphUnit(), 2);
  m_dlg->DestroyWindow();
  Open(second);
  EXPECT_FALSE(Checked(P::DisplayGridId));
  ASSERT_TRUE(Play(KvClick(P::DefaultId)));
  EXPECT_TRUE(Checked(P::DisplayGridId));
  EXPECT_TRUE(Checked(P::SnapGridId));
  EXPECT_TRUE(Checked(P::MillimetreId));
  EXPECT_FALSE(Checked(P::PixelId));
  EXPECT_EQ(Text(P::SizeId), u"2.8222");  // 800 graphic units
  EXPECT_EQ(Prefs(second)->GetDisplayGrid(), 0);  // the diagram is untouched until OK
  EXPECT_TRUE(KvMessageBoxLog().empty());
}

// A write the preferences refuse is not success: the page answers the
// first refusal, tells the person, and the dialog stays open.
TEST_F(DispPrefDialog, RefusedWritesAreReported) {
  TKindDiagram* d = NewKind();
  TKindPref* p = Prefs(d);
  p->m_refused = {"Grid size", "Window color"};
  Open(d);
  EXPECT_EQ(m_page->CommitDataCtrl(1), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  // Every other key is still written.
  EXPECT_EQ(p->m_written.size(), 16u);
  ASSERT_TRUE(Play(KvClick(P::DisplayGridId)));
  ASSERT_TRUE(Play(KvClick(IDOK)));
  EXPECT_TRUE(::IsWindowVisible(m_dlg->m_hWnd));  // kept open
  ASSERT_EQ(KvMessageBoxLog().size(), 1u);
  EXPECT_NE(m_page->GetRefusal().Find(SString(u"0x80070005")), -1);
  ASSERT_TRUE(Play(KvClick(P::SetAsDefaultId)));
  EXPECT_EQ(KvMessageBoxLog().size(), 2u);
  p->m_refused.clear();
  ASSERT_TRUE(Play(KvClick(IDOK)));
  EXPECT_FALSE(::IsWindowVisible(m_dlg->m_hWnd));
  EXPECT_EQ(p->GetDisplayGrid(), 1);
}

}  // namespace
