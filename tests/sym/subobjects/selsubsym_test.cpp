// The selection mark of a sub grid row: its highlight over the owner, the
// tooltip, the row's texts and font, renaming in place at a column, and new
// objects added to the listed collection with Ctrl+N and Ctrl+I.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/boundtext_fixture.h"
#include "support/canvas_fixture.h"
#include "support/symsolid_fixture.h"
#include "sym/edit/symselection.h"
#include "sym/render/symdeftcanv.h"
#include "sym/subobjects/symselsubsym.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/tools/symeditinplace.h"

namespace {

using namespace titem;

// Collections of an item, by their definition flags: parts in order, parts
// in no order, and members the item reaches but that are no parts of it.
constexpr LONG kParts = 0x02010051, kLoose = 0x02010052, kRefs = 0x02010053;
constexpr LONG kDescription = 0x2000001;

void DefineCollections() {
  static const bool once = [] {
    SRepClassDef* def = TItemRegistry().GetClassDef();
    def->AddCollection(kParts, SRepCol_Owning | SRepCol_Ordered | SRepCol_Part | SRepCol_Navigable, CLSID_TItem);
    def->AddCollection(kLoose, SRepCol_Owning | SRepCol_Part | SRepCol_Navigable, CLSID_TItem);
    def->AddCollection(kRefs, SRepCol_Owning | SRepCol_Ordered | SRepCol_Navigable, CLSID_TItem);
    def->AddAttribute(kDescription, SRepVT_TEXT);
    return true;
  }();
  (void)once;
}

// A filled symbol showing a model object; it notes the fill colour of every
// drawing.
class TGridOwner : public SRepFaces<TGridOwner, TSolid, ISSymSubSym, ISSymObject, ISSymSubSink> {
 public:
  explicit TGridOwner(ISRepSession* s) : SRepFaces(s, SSymRect(0, 10000, 10000, 0)) {}
  HRESULT Draw(SSymCanvas& canvas) override {
    drawn.push_back(GetBrush().m_color.GetColor());
    if (grid) grid->Draw(canvas);  // lays the rows out
    return S_OK;
  }
  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override {
    *out = model;
    if (model) model->AddRef();
    return model ? S_OK : S_FALSE;
  }
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(this); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
  // ---- ISSymSubSym (the grid is held by the test)
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG*, LONG*, LONG*, LONG*) override { return 0; }
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>&, int) override { return 0; }
  int GetSubSymCount(int) override { return 0; }
  SSymSubsFonts* GetSubSymbol(int, int) override { return nullptr; }
  int GetSubSymSize(LONG*, LONG*) override { return 0; }
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }
  // ---- ISSymSubSink
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override { return S_OK; }
  int IsSubSink() override { return 1; }

  ISRepObject* model = nullptr;
  SSymSubGrid* grid = nullptr;  // drawn with the owner when set (not counted)
  std::vector<COLORREF> drawn;
};

// A symbol that counts its drawings.
class TCounted : public TSolid {
 public:
  TCounted(ISRepSession* s, SSymRect r) : TSolid(s, r) {}
  HRESULT Draw(SSymCanvas&) override {
    ++draws;
    return S_OK;
  }
  int draws = 0;
};

class SelSubSymTest : public BoundTextFixture {
 protected:
  void SetUp() override {
    BoundTextFixture::SetUp();
    DefineCollections();
    SSymSetGroupEditing(false);
    m_root = Obj(u"Model");
    m_pkg = Obj(u"Sales", m_root);
    m_owner = AddTo<TGridOwner>(m_prefDiagram);
    m_owner->model = m_pkg;
  }
  void TearDown() override {
    SSymSetGroupEditing(false);
    SSymSetActiveSelection(nullptr);
    m_owner->grid = nullptr;
    m_marks.clear();
    for (SSymSubGrid* g : m_grids) g->Release();
    m_grids.clear();
    BoundTextFixture::TearDown();
  }
  // A part of the package in collection id.
  SRepObject* Part(const char16_t* name, LONG id = kParts) {
    SRepObject* o = Obj(name);
    m_pkg->Collection(id)->Insert(o, -1);
    return o;
  }
  // A grid listing collection id of the package in columns of ids.
  SSymSubGrid* Grid(LONG id, std::vector<long> ids = {kName, kCode}) {
    auto* grid = new SSymSubGrid(SSymRect(0, 8000, 10000, 0));
    grid->AddRef();
    m_grids.push_back(grid);
    STableDumb<long> list;
    for (long i : ids) list.Add(i);
    auto* cols = new SSymSubGridColFactory(grid, m_pkg, id, CLSID_TItem, list);
    auto* rows = new SSymSubGridRowFactory(grid, m_pkg, id, &CLSID_TItem);
    grid->SetColFactory(cols);
    grid->SetRowFactory(rows);
    cols->Initialize();
    rows->Initialize();
    return grid;
  }
  // The mark of the row of obj in grid (a mark without row when obj is not listed).
  SSymSelSubSym* Mark(SSymSubGrid* grid, ISRepObject* obj) {
    SSymSelSubSymData data;
    data.m_pSubGrid = grid;
    data.m_rect = SSymRect(0, 6000, 10000, 5000);
    SSymSubGridRowFactory* rows = grid ? grid->GetSubGridRowFactory() : nullptr;
    for (int i = 0; rows && i < rows->GetRowCount(); ++i)
      if (rows->GetSubGridRow(i)->GetObject() == obj) data.m_pRow = rows->GetSubGridRow(i);
    auto* mark = new SSymSelSubSym(obj, m_owner->Sym(), data);
    m_marks.emplace_back(mark->Sym());
    return mark;
  }
  LONG Count(LONG id) { return m_pkg->Collection(id)->GetCount(); }

  SRepObject* m_root = nullptr;
  SRepObject* m_pkg = nullptr;
  TGridOwner* m_owner = nullptr;
  std::vector<SSymSubGrid*> m_grids;
  std::vector<SComWrap<ISSymbol>> m_marks;
};

// ---- what the mark is ---------------------------------------------------------------------

TEST_F(SelSubSymTest, TheMarkIsASubObjectOfItsOwnersDiagram) {
  SRepObject* a = Part(u"a");
  SSymSelSubSym* mark = Mark(Grid(kParts), a);
  EXPECT_EQ(mark->GetSymbolType(), 18);
  SComOut<ISSymDiagram> diagram;
  ASSERT_EQ(mark->GetDiagram(&diagram), S_OK);
  EXPECT_TRUE(SRepAreSameObjects(diagram.Get(), m_prefDiagram->RepObject()));
  EXPECT_EQ(mark->GetRow()->GetObject(), a);

  SSymSelSubSymData none;
  auto* loose = new SSymSelSubSym(nullptr, nullptr, none);
  SComWrap<ISSymbol> held(loose->Sym());
  SComOut<ISSymDiagram> nothing;
  EXPECT_EQ(loose->GetDiagram(&nothing), S_FALSE);
  EXPECT_TRUE(nothing.IsNull());
  SString tip(u"x");
  EXPECT_EQ(loose->GetTooltip(tip), 0);
  SString text(u"x");
  loose->GetText(text);
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(loose->GetFont().GetFaceName(), SString(u"Arial"));
  EXPECT_EQ(loose->GetFont().GetSize(), 8);
  EXPECT_EQ(loose->GetFontColor().GetColor(), 0u);
  EXPECT_EQ(loose->GetFontStyle(), 0);
  EXPECT_FALSE(loose->CanRename());
  SSymSelection selection;
  EXPECT_EQ(loose->AddNewSubObj(1, selection), 0);
}

TEST_F(SelSubSymTest, TheTooltipShowsTheFullNameAndTheFirstThirtyLines) {
  SRepObject* line = Part(u"Line");
  SString description;
  SString expected(u"Sales.Line");
  for (int i = 1; i <= 40; ++i) {
    description += SString::Format("line %d\r\n", i);
    if (i <= 30) expected += SString::Format("\r\nline %d", i);
  }
  TSetText(line, kDescription, description.c_str());
  SSymSelSubSym* mark = Mark(Grid(kParts), line);
  SString tip;
  EXPECT_EQ(mark->GetTooltip(tip), 1);
  EXPECT_EQ(tip, expected);

  // A description of blanks adds nothing.
  TSetText(line, kDescription, u" \t\r\n ");
  EXPECT_EQ(mark->GetTooltip(tip), 1);
  EXPECT_EQ(tip, SString(u"Sales.Line"));
}

TEST_F(SelSubSymTest, TheTextIsTheRowsCellsAndTheFontTheRowsOrTheGrids) {
  SRepObject* a = Part(u"a");
  a->SetAttribute(kCode, SRepVariant::Text(SString(u"A1")));
  SSymSubGrid* grid = Grid(kParts);
  SSymFonts own;
  own.m_font = SSymFont(SString(u"Courier New"), 12, SSymFont::Bold);
  own.m_color = RGB(1, 2, 3);
  grid->_SetFonts(own);
  SSymSelSubSym* mark = Mark(grid, a);
  SString text;
  mark->GetText(text);
  EXPECT_EQ(text, SString(u"a\tA1"));
  // No font of its own: the grid's.
  EXPECT_EQ(mark->GetFont().GetFaceName(), SString(u"Courier New"));
  EXPECT_EQ(mark->GetFontColor().GetColor(), RGB(1, 2, 3));
  EXPECT_EQ(mark->GetFontStyle(), LONG(SSymFont::Bold));
  // A row font wins.
  SSymFonts rowFont;
  rowFont.m_font = SSymFont(SString(u"Verdana"), 9, SSymFont::Italic);
  rowFont.m_color = RGB(9, 9, 9);
  mark->GetRow()->m_pFonts = &rowFont;
  EXPECT_EQ(mark->GetFont().GetFaceName(), SString(u"Verdana"));
  EXPECT_EQ(mark->GetFontColor().GetColor(), RGB(9, 9, 9));
  EXPECT_EQ(mark->GetFontStyle(), LONG(SSymFont::Italic));
  mark->GetRow()->m_pFonts = nullptr;
  // Setting changes nothing.
  EXPECT_EQ(mark->SetText(SString(u"other"), 1), S_OK);
  mark->GetText(text);
  EXPECT_EQ(text, SString(u"a\tA1"));
}

// ---- the highlight ------------------------------------------------------------------------

TEST(SelSubSymHighlight, LightnessComesFromTheBrush) {
  const struct {
    double brush, highlight;
  } cases[] = {{1.0, 0.4}, {0.0, 0.8}, {0.1, 0.7}, {0.2, 0.15}, {0.5, 0.375}, {0.6, 0.4}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.brush);
    EXPECT_NEAR(SSymSelHighlightLightness(c.brush), c.highlight, 1e-9);
  }
}

class SelSubSymDrawTest : public SelSubSymTest {
 protected:
  void SetUp() override {
    SelSubSymTest::SetUp();
    m_canvas.LockOn(m_dc.dc);
    m_owner->SetBrush(SSymBrush(SSymColor(RGB(255, 255, 255))), 0);
    m_mark = Mark(Grid(kParts), Part(u"a"));
  }
  void TearDown() override {
    m_canvas.Unlock();
    SelSubSymTest::TearDown();
  }
  // A symbol on top of the drawing order.
  TCounted* OnTop(SSymRect r) {
    auto* t = Make<TCounted>(r);
    m_prefDiagram->Insert(-1, t->Sym());
    return t;
  }
  RecordingDC m_dc;
  TestCanvas m_canvas;
  SSymSelSubSym* m_mark = nullptr;
};

TEST_F(SelSubSymDrawTest, TheOwnerIsDrawnInTheHighlightThenTheSymbolsAboveIt) {
  auto* above = OnTop(SSymRect(5000, 5500, 20000, 0));     // overlaps the mark
  auto* elsewhere = OnTop(SSymRect(20000, 30000, 30000, 20000));
  ASSERT_EQ(m_mark->DrawHandles(m_canvas), S_OK);
  // White (lightness 1) gives a grey of lightness 0.4. The owner is drawn
  // once, highlighted (drawn again in its own brush it would hide the
  // highlight), and its brush is put back.
  EXPECT_EQ(m_owner->drawn, std::vector<COLORREF>{RGB(102, 102, 102)});
  EXPECT_EQ(m_owner->GetBrush().m_color.GetColor(), RGB(255, 255, 255));
  EXPECT_EQ(above->draws, 1);
  EXPECT_EQ(elsewhere->draws, 0);

  // Erasing draws the owner in its own brush and the symbol above again.
  m_owner->drawn.clear();
  EXPECT_EQ(m_mark->RemoveFromSelection(m_canvas), S_OK);
  EXPECT_EQ(m_owner->drawn, std::vector<COLORREF>{RGB(255, 255, 255)});
  EXPECT_EQ(above->draws, 2);

  // A black brush gives a light highlight.
  m_owner->drawn.clear();
  m_owner->SetBrush(SSymBrush(SSymColor(0u)), 0);
  m_mark->DrawHandles(m_canvas);
  EXPECT_EQ(m_owner->drawn, std::vector<COLORREF>{RGB(204, 204, 204)});
}

TEST_F(SelSubSymDrawTest, AMarkCoveredByASymbolAboveDrawsNothing) {
  auto* cover = OnTop(SSymRect(-100, 7000, 10100, 4000));
  // A symbol below the owner is no cover.
  auto* below = Make<TCounted>(SSymRect(-100, 7000, 10100, 4000));
  m_prefDiagram->Insert(0, below->Sym());
  EXPECT_EQ(m_mark->DrawHandles(m_canvas), S_OK);
  EXPECT_TRUE(m_owner->drawn.empty());
  EXPECT_EQ(m_mark->RemoveFromSelection(m_canvas), S_OK);
  EXPECT_TRUE(m_owner->drawn.empty());
  EXPECT_EQ(cover->draws, 0);
}

TEST_F(SelSubSymDrawTest, ACompositeThatClipsItsChildrenLimitsTheHighlight) {
  auto* comp = Make<TSolidComp>();
  m_prefDiagram->Insert(-1, comp->Sym());  // above the other owner, which would cover the mark
  auto* inner = Make<TGridOwner>();
  inner->model = m_pkg;
  ASSERT_EQ(comp->Add(inner->Sym()), S_OK);
  SSymSelSubSymData data;
  data.m_pSubGrid = m_mark->GetSubGrid();
  data.m_rect = SSymRect(0, 6000, 10000, 5000);
  auto* mark = new SSymSelSubSym(nullptr, inner->Sym(), data);
  SComWrap<ISSymbol> held(mark->Sym());
  comp->m_childRect = SSymRect(20000, 30000, 30000, 20000);  // away from the mark

  // Children not clipped to the composite: the highlight is drawn.
  ASSERT_EQ(mark->DrawHandles(m_canvas), S_OK);
  EXPECT_EQ(inner->drawn.size(), 1u);
  // Clipped to a children area that misses the mark: nothing to draw.
  inner->drawn.clear();
  SSymBase::FromInterface(comp->Sym())->m_state |= 0x4000;
  ASSERT_EQ(mark->DrawHandles(m_canvas), S_OK);
  EXPECT_TRUE(inner->drawn.empty());
}

TEST_F(SelSubSymDrawTest, AnOwnerWithoutBrushOrDiagramIsRefused) {
  auto* bare = Make<TObjSym>();
  SSymSelSubSymData data;
  data.m_rect = SSymRect(0, 100, 100, 0);
  auto* noBrush = new SSymSelSubSym(nullptr, bare->Sym(), data);
  SComWrap<ISSymbol> held(noBrush->Sym());
  EXPECT_EQ(noBrush->DrawHandles(m_canvas), E_POINTER);

  auto* away = Make<TGridOwner>();  // in no diagram
  auto* noDiagram = new SSymSelSubSym(nullptr, away->Sym(), data);
  SComWrap<ISSymbol> held2(noDiagram->Sym());
  EXPECT_EQ(noDiagram->DrawHandles(m_canvas), E_FAIL);
}

// ---- composition, renaming and editing ---------------------------------------------------------

TEST_F(SelSubSymTest, OnlyACompositionTakesNewObjectsAndRenaming) {
  const struct {
    LONG collection;
    bool composite;
    int ordered;
  } cases[] = {{kParts, true, 1}, {kLoose, true, 0}, {kRefs, false, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.collection);
    SSymSelSubSym* mark = Mark(Grid(c.collection), Part(u"p", c.collection));
    EXPECT_EQ(mark->IsCompositeSubObj(), c.composite);
    int ordered = 0;
    EXPECT_EQ(mark->CanAddNewSubObj(ordered), c.composite);
    EXPECT_EQ(ordered, c.ordered);
    EXPECT_EQ(bool(mark->CanRename()), c.composite);
  }
  // Without a name column nothing is renamed.
  SSymSelSubSym* noName = Mark(Grid(kParts, {kFlag, kKind}), Part(u"q"));
  EXPECT_FALSE(noName->CanRename());
}

TEST_F(SelSubSymTest, EditingAtAPointTakesTheColumnUnderIt) {
  SSymSubGrid* grid = Grid(kParts);
  SSymSelSubSym* mark = Mark(grid, Part(u"a"));
  SSymSubGridColFactory* cols = grid->GetSubGridColFactory();
  ASSERT_EQ(cols->GetColCount(), 2);
  cols->GetSubGridCol(0)->m_nWidth = 1000;  // 150 .. 1150
  cols->GetSubGridCol(1)->m_nWidth = 2000;  // 1150 .. 3150
  const struct {
    LONG x;
    int atPoint;
    int column;
  } cases[] = {{500, 1, 0}, {1150, 1, 0}, {2000, 1, 1}, {9000, 1, 1}, {9000, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.x);
    SSymEditInPlaceController::s_lastInitStart = -1;
    // The grid takes no cell (its cells are not editable here): nothing edited.
    EXPECT_EQ(mark->EditInPlace(nullptr, SSymPoint(c.x, 5500), c.atPoint), 1);
    EXPECT_EQ(SSymEditInPlaceController::s_lastInitStart, c.column);
  }
  EXPECT_EQ(SSymEditInPlaceController::s_lastInitIds.GetCount(), 2);
  // Right of every column: the last column with a width.
  cols->GetSubGridCol(1)->m_nWidth = 0;
  mark->EditInPlace(nullptr, SSymPoint(9000, 5500), 1);
  EXPECT_EQ(SSymEditInPlaceController::s_lastInitStart, 0);

  // While the in-place editing code edits a group, the mark runs the group.
  SSymSetGroupEditing(true);
  SSymEditInPlaceController::s_lastGroupStart = -1;
  EXPECT_EQ(mark->EditInPlace(nullptr, SSymPoint(500, 5500), 1), 0);
  EXPECT_EQ(SSymEditInPlaceController::s_lastGroupStart, 0);
}

TEST_F(SelSubSymTest, NothingIsEditedWithoutRenaming) {
  SSymSelSubSym* refs = Mark(Grid(kRefs), Part(u"r", kRefs));
  SSymEditInPlaceController::s_lastInitStart = -7;
  EXPECT_EQ(refs->EditInPlace(nullptr, SSymPoint(), 0), 1);
  EXPECT_EQ(SSymEditInPlaceController::s_lastInitStart, -7);
  SSymSelSubSymData data;
  data.m_rect = SSymRect(0, 100, 100, 0);
  auto* gridless = new SSymSelSubSym(nullptr, m_owner->Sym(), data);
  SComWrap<ISSymbol> held(gridless->Sym());
  EXPECT_EQ(gridless->EditInPlace(nullptr, SSymPoint(), 0), E_POINTER);
}

// ---- adding objects ------------------------------------------------------------------------

TEST_F(SelSubSymTest, CtrlNAppendsAndCtrlIInsertsAboveTheRowInOneStep) {
  Part(u"a");
  SRepObject* b = Part(u"b");
  SSymSubGrid* grid = Grid(kParts);
  SSymSelection selection;
  {
    // The selection holds the only reference to the mark.
    SSymSelSubSym* mark = new SSymSelSubSym(b, m_owner->Sym(), SSymSelSubSymData{grid, nullptr, {}});
    selection.Add(mark->Sym(), 0);
    EXPECT_EQ(mark->AddNewSubObj(1, selection), 1);
  }
  ASSERT_EQ(Count(kParts), 3);
  SComOut<ISRepObject> appended;
  ASSERT_EQ(m_pkg->Collection(kParts)->Item(2, &appended), S_OK);
  EXPECT_NE(appended.Get(), static_cast<ISRepObject*>(b));
  EXPECT_EQ(grid->GetSubGridRowFactory()->GetRowCount(), 3);  // the grid follows

  SSymSelSubSym* mark = Mark(grid, b);
  EXPECT_EQ(mark->AddNewSubObj(0, selection), 1);
  ASSERT_EQ(Count(kParts), 4);
  EXPECT_EQ(m_pkg->Collection(kParts)->GetPos(b), 2);  // the new object took b's place

  // Each addition is one undo step.
  ASSERT_EQ(Session()->Undo(), S_OK);
  EXPECT_EQ(Count(kParts), 3);
  EXPECT_EQ(m_pkg->Collection(kParts)->GetPos(b), 1);
}

TEST_F(SelSubSymTest, TheNewRowIsSelectedAndItsNameEditedInPlace) {
  SRepObject* a = Part(u"a");
  SRepObject* b = Part(u"b");
  SSymSubGrid* grid = Grid(kParts);
  m_owner->grid = grid;
  grid->SetParent(static_cast<ISSymSubSink*>(m_owner), false);
  SSymDeftCanvas canvas;
  m_owner->Draw(canvas);
  SSymSelection selection;
  SSymSetActiveSelection(&selection);

  SSymEditInPlaceController::s_lastInitStart = -1;
  EXPECT_EQ(Mark(grid, b)->AddNewSubObj(0, selection), 1);
  ASSERT_EQ(Count(kParts), 3);
  SComOut<ISRepObject> inserted;
  ASSERT_EQ(m_pkg->Collection(kParts)->Item(1, &inserted), S_OK);
  ASSERT_EQ(selection.GetCount(), 1);
  auto* mark = dynamic_cast<SSymSelSubSym*>(SSymBase::FromInterface(selection.GetAt(0)));
  ASSERT_NE(mark, nullptr);
  EXPECT_TRUE(SRepAreSameObjects(mark->GetObject(), inserted.Get()));
  EXPECT_EQ(mark->GetRow()->GetObject(), mark->GetObject());
  EXPECT_EQ(SSymEditInPlaceController::s_lastInitStart, 0);  // renaming was started on it

  // A row with a name is renamed through the name attribute's control.
  selection.Clear(0);
  SSymSelSubSym* named = Mark(grid, a);
  selection.Add(named->Sym(), 0);
  SSymEditInPlaceController::s_lastObject = nullptr;
  SSymEditInPlaceController::s_lastAttr = 0;
  EXPECT_EQ(named->EditInPlace(nullptr, SSymPoint(), 0), 0);
  EXPECT_EQ(SSymEditInPlaceController::s_lastObject, static_cast<ISRepObject*>(a));
  EXPECT_EQ(SSymEditInPlaceController::s_lastAttr, kName);
}

TEST_F(SelSubSymTest, CtrlIOnAnUnorderedCollectionDoesNothing) {
  SRepObject* a = Part(u"a", kLoose);
  SSymSelSubSym* mark = Mark(Grid(kLoose), a);
  SSymSelection selection;
  EXPECT_EQ(mark->AddNewSubObj(0, selection), 0);
  EXPECT_EQ(Count(kLoose), 1);
  EXPECT_EQ(mark->AddNewSubObj(1, selection), 1);
  EXPECT_EQ(Count(kLoose), 2);

  // No composition: nothing added either way.
  SSymSelSubSym* refs = Mark(Grid(kRefs), Part(u"r", kRefs));
  EXPECT_EQ(refs->AddNewSubObj(1, selection), 0);
  EXPECT_EQ(Count(kRefs), 1);

  // A row object that has left the collection gives no place to insert at.
  SSymSelSubSym* gone = Mark(Grid(kParts), m_root);
  EXPECT_EQ(gone->AddNewSubObj(0, selection), 0);
  EXPECT_EQ(Count(kParts), 0);
}

}  // namespace
