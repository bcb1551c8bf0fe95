// The layout dialog: what it shows for each style (the placement label, the
// placements, the synonyms box), the scope buttons, its width, the last
// choices it keeps while open, the user's defaults it stores and brings
// back, and what OK and Cancel do to the diagram, seen by the recording
// layout engine. Bad input: numbers that are no style, a diagram deleted
// while the dialog is open, no engine, no diagram.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcore/sregistry.h"
#include "support/layout_fixture.h"
#include "support/raster_fixture.h"
#include "sym/layout/symautolayoutdlg.h"
#include "sym/layout/symlayoutengine.h"
#include "sym/layout/testengine/testengine_load.h"
#include "win/winloader.h"
#include "win/winmsgbox.h"

namespace {

using D = SSymAutoLayoutDlg;
using P = SSymAutoLayoutPlacement;
using S = SSymAutoLayoutStyle;

std::u16string TextOf(HWND dialog, int id) {
  HWND h = ::GetDlgItem(dialog, id);
  std::u16string text(std::size_t(::GetWindowTextLengthW(h)) + 1, u'\0');
  text.resize(std::size_t(::GetWindowTextW(h, text.data(), int(text.size()))));
  return text;
}
std::vector<std::u16string> ComboEntries(HWND dialog) {
  std::vector<std::u16string> out;
  HWND combo = ::GetDlgItem(dialog, D::PlacementId);
  for (LRESULT i = 0, n = ::SendMessageW(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
    std::u16string text(std::size_t(::SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(i), 0)) + 1, u'\0');
    text.resize(std::size_t(::SendMessageW(combo, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text.data()))));
    out.push_back(text);
  }
  return out;
}
// The placement the combo shows (None without a selection).
LONG ShownPlacement(HWND dialog) {
  HWND combo = ::GetDlgItem(dialog, D::PlacementId);
  const LRESULT at = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
  return at < 0 ? LONG(P::None) : LONG(::SendMessageW(combo, CB_GETITEMDATA, WPARAM(at), 0));
}
// The style of the selected icon, -1 with none.
LONG ShownStyle(HWND dialog) {
  HWND list = ::GetDlgItem(dialog, D::StylesId);
  const LRESULT at = ::SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED);
  if (at < 0) return -1;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = int(at);
  ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return LONG(item.lParam);
}
int StyleCount(HWND dialog) { return int(::SendMessageW(::GetDlgItem(dialog, D::StylesId), LVM_GETITEMCOUNT, 0, 0)); }
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }
bool Checked(HWND dialog, int id) { return ::IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
LONG Width(HWND window) {
  RECT r{};
  ::GetWindowRect(window, &r);
  return r.right - r.left;
}
RECT PlaceIn(HWND dialog, int id) {
  RECT r{};
  ::GetWindowRect(::GetDlgItem(dialog, id), &r);
  POINT a{r.left, r.top}, b{r.right, r.bottom};
  ::ScreenToClient(dialog, &a);
  ::ScreenToClient(dialog, &b);
  return RECT{a.x, a.y, b.x, b.y};
}

// The index of a style's icon in the list of the engine's kinds of layout
// (General: Basic, Hierarchical, Organic, Orthogonal, Circular, Tree).
int IconOf(LONG style) { return style == S::Basic ? 0 : int(style) + 1; }

class LayoutDialog : public LayoutFixture {
 protected:
  void SetUp() override {
    LayoutFixture::SetUp();
    KvDialogReset();
    KvSetMessageBoxQuiet(true);
    // The engine's presence is the bridge's own answer: the recording engine.
    SSymAutoLayoutOptionMgr::SetLayoutLibraryProbe(nullptr);
    m_state = LoadTestEngine(m_probe);
    ASSERT_NE(m_state, nullptr) << KvLastLoadError();
    SSymLayoutEngine::Reset(TestEngineFile("kvlayoutprobe"));
    for (int i = 0; i < 4; ++i) {
      TSym* s = AddTo(m_d, SSymRect(i * 9000, 3600, i * 9000 + 4800, 0));
      m_symbols.push_back(s->Sym());
    }
  }
  void TearDown() override {
    m_dialog.reset();
    SSymLayoutEngine::Reset(SString());
    if (m_probe) FreeLibrary(m_probe);
    KvSetMessageBoxQuiet(false);
    KvDialogReset();
    LayoutFixture::TearDown();
  }
  // The first `n` symbols, as a selection.
  SComTable<ISSymbol> Selection(int n) const {
    SComTable<ISSymbol> out(5, 5);
    for (int i = 0; i < n; ++i) out.Add(m_symbols[std::size_t(i)]);
    return out;
  }
  // Opens the dialog modeless so that a test looks at it between actions.
  HWND Open(LONG selected, BYTE flag1 = 0, BYTE flag2 = 0, ISSymDiagram* diagram = nullptr, int id = D::TemplateId) {
    m_dialog = std::make_unique<D>(id, SSymAutoLayoutDlgCtrlSetting(diagram ? diagram : Face(), flag1, selected, flag2));
    EXPECT_TRUE(m_dialog->Create());
    return m_dialog->GetSafeHwnd();
  }
  void Play(const KvControlAction& action) {
    ASSERT_TRUE(KvPlayControlAction(m_dialog->GetSafeHwnd(), action)) << ::GetLastError();
  }
  // The layout kind's key of the user's defaults.
  SString DefaultsKey() {
    std::unique_ptr<SSymAutoLayout> layout(Face()->CreateAutoLayoutMgr(nullptr));
    return layout->GetRegistryKey();
  }
  void WriteDefault(const char16_t* name, long value) {
    SRegistry key(HKEY_CURRENT_USER, DefaultsKey(), 1);
    ASSERT_EQ(key.WriteProfile(SString(name), value), ERROR_SUCCESS);
  }
  bool ReadDefault(const char16_t* name, long& value) {
    SRegistry key(HKEY_CURRENT_USER, DefaultsKey(), 0);
    return key.GetProfile(SString(name), &value, 0) == ERROR_SUCCESS;
  }
  std::vector<SSymRect> Rects() const {
    std::vector<SSymRect> out;
    for (ISSymbol* s : m_symbols) out.push_back(s->GetClipRect(0, 0));
    return out;
  }

  HMODULE m_probe = nullptr;
  TestEngineState* m_state = nullptr;
  std::vector<ISSymbol*> m_symbols;
  std::unique_ptr<D> m_dialog;
};

// ---- what each style shows -------------------------------------------------------------------------

TEST_F(LayoutDialog, EachStyleShowsItsLabelPlacementsAndSynonymsBox) {
  const std::vector<std::u16string> four = {u"Top to Bottom", u"Bottom to Top", u"Left to Right", u"Right to Left"};
  struct Case {
    LONG style;
    const char16_t* label;
    std::vector<std::u16string> placements;
    LONG shown;
    bool comboEnabled;
    bool synonymsForPart;  // the box is enabled with "Selected symbols"
    bool synonymsForAll;   // and with "All symbols"
  } cases[] = {
      {S::Basic, u"Orientation :", {}, P::None, false, true, true},
      {S::Hierarchic, u"Orientation :", four, P::TopToBottom, true, true, false},
      {S::Organic, u"Orientation :", {}, P::None, false, true, false},
      {S::Orthogonal, u"Orientation :", four, P::TopToBottom, true, true, false},
      {S::Circular, u"Shape :", {u"Radiation", u"Cycle"}, P::Radiation, true, true, false},
      {S::Tree, u"Orientation :", four, P::TopToBottom, true, true, false},
  };
  HWND dialog = Open(2);
  ASSERT_EQ(StyleCount(dialog), 6);
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.style);
    Play(KvPick(D::StylesId, IconOf(c.style)));
    EXPECT_EQ(ShownStyle(dialog), c.style) << name;
    EXPECT_EQ(TextOf(dialog, D::PlacementLabelId), c.label) << name;
    EXPECT_EQ(ComboEntries(dialog), c.placements) << name;
    EXPECT_EQ(ShownPlacement(dialog), c.shown) << name;
    EXPECT_EQ(Enabled(dialog, D::PlacementId), c.comboEnabled) << name;
    EXPECT_EQ(Enabled(dialog, D::SynonymsId), c.synonymsForPart) << name;
    Play(KvClick(D::AllSymbolsId));
    EXPECT_EQ(Enabled(dialog, D::SynonymsId), c.synonymsForAll) << name;
    Play(KvClick(D::SelectedSymbolsId));
  }
}

TEST_F(LayoutDialog, ScopeButtonsFollowTheSelectionAndTheCallersFlags) {
  struct Case {
    LONG selected;
    BYTE flag1, flag2;
    bool selectedEnabled, allEnabled, allChecked;
  } cases[] = {
      {0, 0, 0, false, true, true},  // nothing selected: all symbols
      {3, 0, 0, true, true, false},
      {3, 1, 0, true, false, false},
      {3, 0, 1, true, false, false},
      {0, 1, 1, false, false, true},
  };
  for (const Case& c : cases) {
    const std::string name = std::to_string(c.selected) + "/" + std::to_string(c.flag1) + std::to_string(c.flag2);
    HWND dialog = Open(c.selected, c.flag1, c.flag2);
    EXPECT_EQ(Enabled(dialog, D::SelectedSymbolsId), c.selectedEnabled) << name;
    EXPECT_EQ(Enabled(dialog, D::AllSymbolsId), c.allEnabled) << name;
    EXPECT_EQ(Checked(dialog, D::AllSymbolsId), c.allChecked) << name;
    EXPECT_EQ(Checked(dialog, D::SelectedSymbolsId), !c.allChecked) << name;
    // The table's default style (the engine's kind: Organic) is chosen.
    EXPECT_EQ(ShownStyle(dialog), S::Organic) << name;
  }
}

TEST_F(LayoutDialog, SixStylesWidenTheDialogAndItsControlsFollow) {
  // The template's own width, as a plain dialog shows it.
  SDlg plain(D::TemplateId);
  ASSERT_TRUE(plain.Create());
  const LONG own = Width(plain.GetSafeHwnd());
  const RECT list0 = PlaceIn(plain.GetSafeHwnd(), D::StylesId), ok0 = PlaceIn(plain.GetSafeHwnd(), IDOK);
  plain.DestroyWindow();
  ASSERT_LT(own, 550);

  HWND dialog = Open(1);
  ASSERT_EQ(StyleCount(dialog), 6);
  RECT item{LVIR_BOUNDS, 0, 0, 0};
  ASSERT_TRUE(::SendMessageW(::GetDlgItem(dialog, D::StylesId), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(item.right - item.left, 90);
  EXPECT_EQ(Width(dialog), 574);
  EXPECT_FALSE(::GetWindowLongPtrW(dialog, GWL_STYLE) & WS_THICKFRAME);
  // The list grows with the dialog; OK keeps its distance to the right edge.
  const LONG grown = 574 - own;
  const RECT list = PlaceIn(dialog, D::StylesId), ok = PlaceIn(dialog, IDOK);
  EXPECT_EQ(list.right - list.left, list0.right - list0.left + grown);
  EXPECT_EQ(ok.left, ok0.left + grown);
  EXPECT_EQ(ok.right - ok.left, ok0.right - ok0.left);
  // Six icons of 90 fit in one row of the widened list.
  RECT last{LVIR_BOUNDS, 0, 0, 0};
  ::SendMessageW(::GetDlgItem(dialog, D::StylesId), LVM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&last));
  EXPECT_EQ(last.top, item.top);

  // Without the engine one icon: five icons' room, or the dialog's own width.
  SetEnginePresent(false);
  dialog = Open(1);
  EXPECT_EQ(StyleCount(dialog), 1);
  EXPECT_EQ(Width(dialog), 24 + std::max(LONG(5 * 90 + 10), own));

  // A dialog wider than the icons need grows by 24 all the same.
  static SDlgTemplate wide = D::Template();
  wide.id = 9138;
  wide.cx = 420;
  SRegisterDlgTemplate(wide);
  SDlg plainWide(wide.id);
  ASSERT_TRUE(plainWide.Create());
  const LONG ownWide = Width(plainWide.GetSafeHwnd());
  plainWide.DestroyWindow();
  SetEnginePresent(true);
  dialog = Open(1, 0, 0, nullptr, int(wide.id));
  EXPECT_EQ(Width(dialog), ownWide + 24);
  m_dialog.reset();
  SUnregisterDlgTemplate(wide.id);
}

TEST_F(LayoutDialog, TheStyleIconsComeFromTheLibrarysBitmap) {
  HWND dialog = Open(1);
  HWND list = ::GetDlgItem(dialog, D::StylesId);
  auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(list, LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 7);
  int cx = 0, cy = 0;
  ASSERT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
  EXPECT_EQ(cx, 48);
  EXPECT_EQ(cy, 48);
  // Each icon's image is its style's; the magenta around the pictures is
  // not drawn.
  for (int i = 0; i < StyleCount(dialog); ++i) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = i;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, int(item.lParam)) << i;
  }
  Raster canvas(48, 48);
  ASSERT_TRUE(ImageList_Draw(images, S::Circular, canvas.dc, 0, 0, ILD_NORMAL));
  int magenta = 0, ink = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) {
      const COLORREF c = ::GetPixel(canvas.dc, x, y);
      magenta += c == RGB(255, 0, 255);
      ink += c != RGB(255, 255, 255);
    }
  EXPECT_EQ(magenta, 0);
  EXPECT_GT(ink, 50);
}

// ---- the choices it keeps ----------------------------------------------------------------------------

TEST_F(LayoutDialog, EachStyleKeepsItsLastPlacementWhileTheDialogIsOpen) {
  HWND dialog = Open(2);
  Play(KvPick(D::StylesId, IconOf(S::Hierarchic)));
  Play(KvPick(D::PlacementId, 2));
  EXPECT_EQ(ShownPlacement(dialog), P::LeftToRight);
  Play(KvPick(D::StylesId, IconOf(S::Tree)));
  EXPECT_EQ(ShownPlacement(dialog), P::TopToBottom);
  Play(KvPick(D::StylesId, IconOf(S::Hierarchic)));
  EXPECT_EQ(ShownPlacement(dialog), P::LeftToRight);
  Play(KvClick(IDOK));
  const SSymAutoLayoutParam::SOptions chosen = m_dialog->GetResultOptions();
  EXPECT_EQ(chosen.m_nStyle, S::Hierarchic);
  EXPECT_EQ(chosen.m_nPlacement, P::LeftToRight);
  EXPECT_EQ(chosen.m_bWholeDiagram, 0);
}

TEST_F(LayoutDialog, EachScopeKeepsItsSynonymsChoiceAndTheResultCarriesBoth) {
  HWND dialog = Open(2);
  Play(KvPick(D::StylesId, IconOf(S::Hierarchic)));
  // A part of the diagram: offered and allowed by default.
  EXPECT_TRUE(Enabled(dialog, D::SynonymsId));
  EXPECT_TRUE(Checked(dialog, D::SynonymsId));
  Play(KvClick(D::SynonymsId));
  EXPECT_FALSE(Checked(dialog, D::SynonymsId));
  // The whole diagram: not offered for an engine style, not allowed.
  Play(KvClick(D::AllSymbolsId));
  EXPECT_FALSE(Enabled(dialog, D::SynonymsId));
  EXPECT_FALSE(Checked(dialog, D::SynonymsId));
  // Back: the part's own last choice.
  Play(KvClick(D::SelectedSymbolsId));
  EXPECT_FALSE(Checked(dialog, D::SynonymsId));
  // Basic offers them for the whole diagram too, allowed.
  Play(KvPick(D::StylesId, IconOf(S::Basic)));
  Play(KvClick(D::AllSymbolsId));
  EXPECT_TRUE(Enabled(dialog, D::SynonymsId));
  EXPECT_TRUE(Checked(dialog, D::SynonymsId));
  Play(KvClick(IDOK));
  const SSymAutoLayoutParam::SOptions chosen = m_dialog->GetResultOptions();
  EXPECT_EQ(chosen.m_nStyle, S::Basic);
  EXPECT_EQ(chosen.m_nPlacement, P::None);
  EXPECT_EQ(chosen.m_bWholeDiagram, 1);
  EXPECT_EQ(chosen.m_bSynonymsAll, 1);
  EXPECT_EQ(chosen.m_bSynonymsPartial, 1) << "Basic's own choice for a part";
}

TEST_F(LayoutDialog, SetAsDefaultStoresTheChoiceAndDefaultBringsItBack) {
  HWND dialog = Open(2);
  // Without stored values "Default" shows the table's defaults.
  Play(KvPick(D::StylesId, IconOf(S::Tree)));
  Play(KvClick(D::DefaultId));
  EXPECT_EQ(ShownStyle(dialog), S::Organic);
  EXPECT_EQ(ShownPlacement(dialog), P::None);
  // Circular with Cycle, stored.
  Play(KvPick(D::StylesId, IconOf(S::Circular)));
  Play(KvPick(D::PlacementId, 1));
  Play(KvClick(D::SetDefaultId));
  long style = -1, placement = -1, all = -1, part = -1;
  ASSERT_TRUE(ReadDefault(u"Style", style));
  ASSERT_TRUE(ReadDefault(u"Placement", placement));
  ASSERT_TRUE(ReadDefault(u"SynonymsAll", all));
  ASSERT_TRUE(ReadDefault(u"SynonymsPartial", part));
  EXPECT_EQ(style, S::Circular);
  EXPECT_EQ(placement, P::Cycle);
  EXPECT_EQ(all, 0);
  EXPECT_EQ(part, 1);
  // Elsewhere, then "Default": the stored choice.
  Play(KvPick(D::StylesId, IconOf(S::Orthogonal)));
  Play(KvClick(D::DefaultId));
  EXPECT_EQ(ShownStyle(dialog), S::Circular);
  EXPECT_EQ(ShownPlacement(dialog), P::Cycle);
  // A new dialog starts from it.
  dialog = Open(2);
  EXPECT_EQ(ShownStyle(dialog), S::Circular);
  EXPECT_EQ(ShownPlacement(dialog), P::Cycle);
  EXPECT_EQ(TextOf(dialog, D::PlacementLabelId), u"Shape :");
}

// ---- OK and Cancel -----------------------------------------------------------------------------------

TEST_F(LayoutDialog, OkLaysOutTheChoiceAndCancelChangesNothing) {
  struct Case {
    const char* name;
    int selected;
    std::vector<KvControlAction> actions;
    bool ok;
    HRESULT result;
    int layouts;
    long style, placement;
    int subset;  // the symbols the engine laid out
    int whole;
  } cases[] = {
      {"cancel", 2, {KvPick(D::StylesId, IconOf(S::Circular))}, false, S_FALSE, 0, -1, 0, -1, -1},
      {"circular, cycle, over the selection", 2,
       {KvPick(D::StylesId, IconOf(S::Circular)), KvPick(D::PlacementId, 1)}, true, S_OK, 1, S::Circular, P::Cycle, 2,
       0},
      {"tree over all symbols", 2, {KvPick(D::StylesId, IconOf(S::Tree)), KvClick(D::AllSymbolsId)}, true, S_OK, 1,
       S::Tree, P::TopToBottom, 4, 1},
      {"nothing selected: the whole diagram", 0, {KvPick(D::StylesId, IconOf(S::Orthogonal))}, true, S_OK, 1,
       S::Orthogonal, P::TopToBottom, 4, 1},
      {"the default choice", 3, {}, true, S_OK, 1, S::Organic, P::None, 3, 0},
  };
  for (const Case& c : cases) {
    m_state->Reset();
    m_state->move = SSymSize(1000, 0);
    const std::vector<SSymRect> before = Rects();
    const int steps = m_session->GetUndoCount();
    KvQueueDialogAnswer({{}, c.ok, c.actions});
    EXPECT_EQ(SSymAutoLayoutCommand(Face(), Selection(c.selected)), c.result) << c.name;
    ASSERT_FALSE(KvDialogCalls().empty()) << c.name;
    EXPECT_EQ(KvDialogCalls().back().templateId, D::TemplateId) << c.name;
    EXPECT_EQ(KvDialogCalls().back().caption, SString(u"Auto-Layout")) << c.name;
    EXPECT_EQ(KvDialogCalls().back().actions, std::vector<DWORD>(c.actions.size(), 0)) << c.name;
    EXPECT_EQ(m_state->layouts, c.layouts) << c.name;
    if (c.layouts == 0) {
      EXPECT_EQ(Rects(), before) << c.name;
      EXPECT_EQ(m_session->GetUndoCount(), steps) << c.name;
      continue;
    }
    EXPECT_EQ(m_state->style, c.style) << c.name;
    EXPECT_EQ(m_state->placement, c.placement) << c.name;
    EXPECT_EQ(m_state->subset, c.subset) << c.name;
    EXPECT_EQ(m_state->whole, c.whole) << c.name;
    EXPECT_EQ(m_state->automatic, 0) << c.name << ": the user chose";
    // The run is one undo step.
    EXPECT_EQ(m_session->GetUndoCount(), steps + 1) << c.name;
    ASSERT_EQ(m_session->Undo(), S_OK) << c.name;
    EXPECT_EQ(Rects(), before) << c.name;
  }
}

// ---- bad input ---------------------------------------------------------------------------------------

TEST_F(LayoutDialog, BadCallsAreRefusedBeforeTheDialogShows) {
  TPrefDiagram* other = NewDiagram();
  TSym* foreign = AddTo(other);
  TSym* loose = Make<TSym>();
  SComTable<ISSymbol> withForeign = Selection(1), withLoose = Selection(1), withNull = Selection(1);
  withForeign.Add(foreign->Sym());
  withLoose.Add(loose->Sym());
  withNull.Add(nullptr);
  const SComTable<ISSymbol> none = Selection(0);
  TPrefDiagram* gone = NewDiagram();
  gone->Delete();
  struct Case {
    const char* name;
    ISSymDiagram* diagram;
    const SComTable<ISSymbol>& selected;
    HRESULT result;
  } cases[] = {
      {"no diagram", nullptr, withNull, E_POINTER},
      {"a deleted diagram", gone->Diagram(), none, CO_E_OBJNOTCONNECTED},
      {"another diagram's symbol", Face(), withForeign, E_INVALIDARG},
      {"a symbol of no diagram", Face(), withLoose, E_INVALIDARG},
      {"a null symbol", Face(), withNull, E_INVALIDARG},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SSymAutoLayoutCommand(c.diagram, c.selected), c.result) << c.name;
    EXPECT_TRUE(KvDialogCalls().empty()) << c.name;
  }
  EXPECT_EQ(m_state->layouts, 0);
}

TEST_F(LayoutDialog, ADiagramDeletedWhileTheDialogIsOpenIsNeitherLaidOutNorStored) {
  HWND dialog = Open(2);
  Play(KvPick(D::StylesId, IconOf(S::Circular)));
  m_d->Delete();
  ASSERT_FALSE(m_dialog->GetCtrl().IsDiagramAlive());
  // "Set As Default" stores nothing for a diagram that is gone.
  Play(KvClick(D::SetDefaultId));
  long value = 0;
  EXPECT_FALSE(ReadDefault(u"Style", value));
  EXPECT_EQ(m_dialog->GetCtrl().SetOptionsAsDefault(), CO_E_OBJNOTCONNECTED);
  // OK closes the dialog; the run it asks for is refused.
  Play(KvClick(IDOK));
  EXPECT_FALSE(::IsWindowVisible(dialog));
  EXPECT_EQ(SSymRunChosenLayout(Face(), m_dialog->GetResultOptions(), Selection(2)), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(m_state->layouts, 0);
}

TEST_F(LayoutDialog, NumbersThatAreNoStyleAreRefused) {
  const SSymAutoLayoutDlgCtrlSetting setting(Face(), 0, 2, 0);
  SSymAutoLayoutDlgCtrl ctrl(setting);
  for (LONG bad : {-1L, 7L, 9L, 1457L}) {
    const std::string name = std::to_string(bad);
    EXPECT_FALSE(ctrl.SetStyle(bad)) << name;
    EXPECT_EQ(ctrl.GetResultOptions().m_nStyle, S::Hierarchic) << name;
    EXPECT_TRUE(ctrl.GetStyleName(bad).IsEmpty()) << name;
    SList<P::Placement> placements;
    SString label;
    ctrl.GetAvailablePlacements(bad, placements, label);
    EXPECT_TRUE(placements.IsEmpty()) << name;
    ctrl.SetLastPlacement(bad, P::Cycle);
    EXPECT_EQ(ctrl.GetLastPlacement(bad), ctrl.GetDefaultPlacement(bad, true)) << name;
    SSymAutoLayoutParam::SOptions chosen;
    chosen.m_nStyle = bad;
    EXPECT_EQ(SSymRunChosenLayout(Face(), chosen, Selection(2)), E_INVALIDARG) << name;
  }
  EXPECT_FALSE(ctrl.SetPlacement(1449));
  EXPECT_FALSE(ctrl.SetPlacement(1458));
  EXPECT_TRUE(ctrl.SetPlacement(P::None));
  SSymAutoLayoutParam::SOptions chosen;
  chosen.m_nPlacement = 42;
  EXPECT_EQ(SSymRunChosenLayout(Face(), chosen, Selection(2)), E_INVALIDARG);
  EXPECT_EQ(m_state->layouts, 0);
  // The known ones.
  EXPECT_TRUE(ctrl.SetStyle(S::Tree));
  EXPECT_EQ(ctrl.GetStyleName(S::Snowflake), SString(u"Snowflake"));
  EXPECT_EQ(ctrl.GetStyleName(S::Basic), SString(u"Basic"));
}

TEST_F(LayoutDialog, AStoredStyleTheLayoutDoesNotOfferGivesWayToTheDefault) {
  struct Case {
    long stored;
    LONG shown;
  } cases[] = {{S::Snowflake, S::Organic}, {9, S::Organic}, {S::Tree, S::Tree}};
  for (const Case& c : cases) {
    WriteDefault(u"Style", c.stored);
    m_state->Reset();
    KvQueueDialogAnswer({{}, true, {}});
    EXPECT_EQ(SSymAutoLayoutCommand(Face(), Selection(2)), S_OK) << c.stored;
    EXPECT_EQ(m_state->style, c.shown) << c.stored;
  }
}

TEST_F(LayoutDialog, WithoutTheEngineOnlyTheOwnLayoutIsOffered) {
  SetEnginePresent(false);
  HWND dialog = Open(2);
  ASSERT_EQ(StyleCount(dialog), 1);
  EXPECT_EQ(ShownStyle(dialog), S::Basic);
  EXPECT_FALSE(Enabled(dialog, D::StylesId));
  EXPECT_TRUE(ComboEntries(dialog).empty());
  EXPECT_FALSE(Enabled(dialog, D::PlacementId));
  m_dialog.reset();
  // OK runs the library's own layout.
  KvQueueDialogAnswer({{}, true, {}});
  EXPECT_EQ(SSymAutoLayoutCommand(Face(), Selection(0)), S_OK);
  EXPECT_EQ(m_state->layouts, 0);
}

TEST_F(LayoutDialog, WithoutADiagramTheDialogShowsTheNeutralChoice) {
  m_dialog = std::make_unique<D>(D::TemplateId, SSymAutoLayoutDlgCtrlSetting(nullptr, 0, 0, 0));
  ASSERT_TRUE(m_dialog->Create());
  HWND dialog = m_dialog->GetSafeHwnd();
  ASSERT_EQ(StyleCount(dialog), 1);
  EXPECT_EQ(ShownStyle(dialog), S::Hierarchic);
  EXPECT_FALSE(Enabled(dialog, D::StylesId));
  EXPECT_TRUE(ComboEntries(dialog).empty());
  EXPECT_FALSE(Enabled(dialog, D::PlacementId));
  EXPECT_FALSE(Enabled(dialog, D::SynonymsId));
  EXPECT_FALSE(Checked(dialog, D::SynonymsId));
  EXPECT_EQ(m_dialog->GetCtrl().SetOptionsAsDefault(), E_FAIL);
}

// ---- the scope question -------------------------------------------------------------------------------

TEST_F(LayoutDialog, TheScopeQuestionAnswersAllSymbolsOnlyWhenAllowedAndChosen) {
  struct Case {
    UINT id;
    const char16_t* caption;
    int allowAll;
    std::vector<KvControlAction> actions;
    bool ok;
    DWORD result;
  } cases[] = {
      {SSymLayoutSel::LayoutTemplateId, u" Auto-Layout Selection", 1, {KvClick(D::AllSymbolsId)}, true, 1},
      {SSymLayoutSel::LayoutTemplateId, u" Auto-Layout Selection", 1, {}, true, 0},
      {SSymLayoutSel::LinkTemplateId, u" Complete Link Selection", 1, {KvClick(D::AllSymbolsId)}, false, 0},
      {SSymLayoutSel::LinkTemplateId, u" Complete Link Selection", 0, {KvClick(D::AllSymbolsId)}, true, 0},
  };
  for (const Case& c : cases) {
    SSymLayoutSel question(int(c.id), c.allowAll);
    KvQueueDialogAnswer({{}, c.ok, c.actions});
    EXPECT_EQ(question.DoModal(), c.ok ? IDOK : IDCANCEL);
    EXPECT_EQ(KvDialogCalls().back().caption, SString(c.caption));
    EXPECT_EQ(question.GetResult(), c.result);
    // A disabled "All symbols" does not take the click.
    EXPECT_EQ(KvDialogCalls().back().actions,
              std::vector<DWORD>(c.actions.size(), c.allowAll ? 0 : DWORD(ERROR_ACCESS_DENIED)));
  }
}

}  // namespace
