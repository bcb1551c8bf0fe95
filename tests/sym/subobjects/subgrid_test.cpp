// The sub grid: its box when empty or collapsed, the row limit with its
// "..." line, the width it asks for, the zoom below which only printers
// draw it, icons only above their size limit, the row hit at a band
// boundary, the rows following the collection (insert, move, remove,
// delete, attribute change, filter), shortcuts listed by one test live and
// at loading, cell texts, row fonts and the fonts of a grid without rows.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/boundtext_fixture.h"
#include "support/recording_canvas.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/symbol/symintfselection.h"
#include "sym/tools/symeditinplace.h"

namespace {

using namespace titem;

// A recording canvas whose zoom and printer mark a test sets.
class GridCanvas : public RecordingCanvas {
 public:
  void Zoom(double zoom) { SetZoomLevel(zoom, GetViewCenter()); }
  void Printing(bool on) { GetCanvasDC()->m_nFlag = on ? 1 : 0; }
};

class SubGrid : public BoundTextFixture {
 protected:
  // A package holding items named as given.
  SRepObject* Package(std::initializer_list<const char16_t*> names) {
    SRepObject* pkg = Obj(u"Pkg");
    for (const char16_t* n : names) m_items.push_back(Obj(n, pkg));
    return pkg;
  }
  // A grid in the host listing the package's items, one column per id.
  SSymSubGrid* Grid(ISRepObject* pkg, std::initializer_list<long> ids = {kName}, BOOL shortcuts = FALSE,
                    LONG collection = kChildren) {
    auto* g = Hold(new SSymSubGrid(SSymRect(0, 10000, 8000, 0)));
    auto* rows = new SSymSubGridRowFactory(g, pkg, collection, &CLSID_TItem);
    rows->SetListed(CLSID_TItem, collection, shortcuts);
    g->SetRowFactory(rows);
    STableDumb<long> list;
    for (long id : ids) list.Add(id);
    auto* cols = new SSymSubGridColFactory(g, pkg, kChildren, CLSID_TItem, list);
    g->SetColFactory(cols);
    cols->Initialize();
    return g;
  }
  // The names of the grid's rows in order.
  static std::vector<std::string> RowNames(SSymSubGrid* g) {
    std::vector<std::string> out;
    SSymSubGridRowFactory* rows = g->GetSubGridRowFactory();
    for (int i = 0; i < rows->GetRowCount(); ++i) {
      SRepVariant v;
      rows->GetRow(i)->GetObject()->GetAttribute(kName, &v);
      out.push_back(v.GetAsText().ToUtf8());
    }
    return out;
  }
  static std::vector<std::string> Texts(const RecordingCanvas& c) {
    std::vector<std::string> out;
    for (const std::string& call : c.Only("DrawText ")) out.push_back(call.substr(call.rfind(' ') + 1));
    return out;
  }
  static int TextHeight(SSymCanvas& c) { return std::abs(c.GetTextHeight(SString(u"a"), SSymFont(SGetArialString(), 8))); }

  std::vector<SRepObject*> m_items;
};

TEST_F(SubGrid, EmptyAndCollapsedGridsAreBoxes) {
  GridCanvas canvas;
  const int h = TextHeight(canvas);
  // No rows: a 1200-wide box one text line high, nothing written.
  SSymSubGrid* empty = Grid(Package({}));
  EXPECT_EQ(6, empty->GetSymbolType());
  EXPECT_TRUE(empty->IsEmpty());
  EXPECT_EQ(S_OK, empty->Draw(canvas));
  EXPECT_EQ(SSymRect(0, 10000, 1200, 10000 - h), empty->GetClipRect(0, 0));
  EXPECT_TRUE(canvas.Only("DrawText").empty());

  // Collapsed with rows: " ..." in a box whose height follows the setting.
  SSymSubGroup group(m_host->Sym());
  const LONG groupHeight = group.GetClipRect(0, 0).Height();
  struct Case {
    LONG collapsed;
    SSymSubGroup* group;
    LONG height;
  };
  for (const Case& c : {Case{0, nullptr, h}, Case{2500, nullptr, 2500}, Case{-50, &group, groupHeight * 50 / 100},
                        // A percentage without a group: one text line.
                        Case{-50, nullptr, h}}) {
    SSymSubGrid* g = Grid(Package({u"A", u"B"}));
    g->m_nDisplayMode = SSymSubGrid::ModeCollapsed;
    g->m_nCollapsedHeight = c.collapsed;
    g->m_pGroup = c.group;
    GridCanvas draw;
    EXPECT_EQ(S_OK, g->Draw(draw)) << c.collapsed;
    EXPECT_EQ(SSymRect(0, 10000, 1200, 10000 - c.height), g->GetClipRect(0, 0)) << c.collapsed;
    EXPECT_EQ(std::vector<std::string>{"..."}, Texts(draw)) << c.collapsed;
  }
}

TEST_F(SubGrid, RowLimitShowsADotsLineCountedInTheHeight) {
  SSymSubGrid* g = Grid(Package({u"A", u"B", u"C", u"D", u"E"}));
  g->m_nDisplayMode = SSymSubGrid::ModeRowLimit;
  g->SetMaxRowCount(3);
  GridCanvas canvas;
  const int h = TextHeight(canvas);
  ASSERT_EQ(S_OK, g->Draw(canvas));
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "..."}), Texts(canvas));
  EXPECT_EQ(4 * h, g->GetClipRect(0, 0).y1 - g->GetClipRect(0, 0).y2);
  // Without the limit every row shows.
  g->m_nDisplayMode = 0;
  GridCanvas all;
  g->Draw(all);
  EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "D", "E"}), Texts(all));
  EXPECT_EQ(5 * h, g->GetClipRect(0, 0).y1 - g->GetClipRect(0, 0).y2);
}

TEST_F(SubGrid, WidthIsTheColumnAdvanceGrownByThreePercent) {
  SSymSubGrid* g = Grid(Package({u"Alpha", u"Be"}), {kName, kKind});
  ASSERT_EQ(2ul, g->GetColCount());
  GridCanvas canvas;
  ASSERT_EQ(S_OK, g->DrawOrAdjust(canvas, 1));
  auto* name = g->GetSubGridColFactory()->GetSubGridCol(0);
  auto* kind = g->GetSubGridColFactory()->GetSubGridCol(1);
  EXPECT_EQ(canvas.GetTextExtent(SString(u"Alpha"), g->GetSubFont()).cx, name->m_nWidth);
  EXPECT_EQ(canvas.GetTextExtent(SString(u"Entity"), g->GetSubFont()).cx, kind->m_nWidth);
  EXPECT_EQ(600, name->m_nGap);
  // Left margin, the first column and its own gap, the last and 200.
  const LONG advance = 200 + name->m_nWidth + 600 + kind->m_nWidth + 200;
  EXPECT_EQ(static_cast<LONG>(1.03 * advance), g->GetClipRect(0, 0).Width() - 1);
  // An icon adds its column: 1.25 text heights and 240.
  SSymListPt icon{{0, 0}, {100, 100}};
  g->SetIcon(&icon);
  g->DrawOrAdjust(canvas, 1);
  const LONG withIcon = advance + static_cast<LONG>(1.25 * TextHeight(canvas)) + 240;
  EXPECT_EQ(static_cast<LONG>(1.03 * withIcon), g->GetClipRect(0, 0).Width() - 1);
}

TEST_F(SubGrid, AtZoom25OnlyAPrinterDrawsTheGrid) {
  SSymSubGrid* g = Grid(Package({u"A"}));
  struct Case {
    double zoom;
    bool printer;
    bool drawn;
  };
  for (const Case& c : {Case{25, false, false}, Case{25, true, true}, Case{26, false, true}, Case{26, true, true}}) {
    GridCanvas canvas;
    canvas.Zoom(c.zoom);
    canvas.Printing(c.printer);
    EXPECT_EQ(c.drawn ? S_OK : 1, g->Draw(canvas)) << c.zoom << c.printer;
    EXPECT_EQ(c.drawn, !canvas.Only("DrawText").empty()) << c.zoom << c.printer;
  }
}

TEST_F(SubGrid, IconsAreDrawnOnlyFromTheirSizeLimitUp) {
  SSymSubGrid* g = Grid(Package({u"A"}));
  // Two strokes separated by (-1, -1).
  SSymListPt icon{{0, 0}, {100, 0}, {-1, -1}, {0, 100}, {100, 100}};
  GridCanvas canvas;
  ASSERT_GT(TextHeight(canvas), 400);
  // The size is the smaller of the text height and the cell height; at
  // zoom 100 it must reach 400.
  for (LONG cellHeight : {399, 400}) {
    canvas.ClearCalls();
    SSymRect cell(1000, 5000, 2000, 5000 - cellHeight + 1);
    EXPECT_EQ(S_OK, g->DrawIcon(canvas, cell, &icon));
    EXPECT_EQ(cellHeight == 400 ? 2u : 0u, canvas.Only("Polyline").size()) << cellHeight;
  }
  SSymRect cell(0, 100, 100, 0);
  EXPECT_EQ(1, g->DrawIcon(canvas, cell, nullptr));
  SSymListPt none;
  EXPECT_EQ(1, g->DrawIcon(canvas, cell, &none));

  // Drawn with the grid, each shown row gets its icon.
  g->SetIcon(&icon);
  canvas.ClearCalls();
  g->Draw(canvas);
  EXPECT_EQ(2u, canvas.Only("Polyline").size());
}

TEST_F(SubGrid, APointOnABandBoundaryHitsTheLowerRow) {
  SSymSubGrid* g = Grid(Package({u"A", u"B", u"C"}));
  GridCanvas canvas;
  g->Draw(canvas);
  const int h = TextHeight(canvas);
  const LONG top = g->GetClipRect(0, 0).y1;
  struct Case {
    LONG y;
    int row;  // -1: none
  };
  for (const Case& c : {Case{top, 0}, Case{top - h + 1, 0}, Case{top - h, 1}, Case{top - 2 * h, 2},
                        Case{top - 3 * h, -1}, Case{top + 1, -1}}) {
    SSymPoint pt(500, c.y);
    SSymSelSubSymData data;
    ISRepObject* hit = g->GetSubObjWithPt(canvas, pt, data);
    if (c.row < 0) {
      EXPECT_EQ(nullptr, hit) << c.y;
      continue;
    }
    EXPECT_EQ(static_cast<ISRepObject*>(m_items[static_cast<std::size_t>(c.row)]), hit) << c.y;
    EXPECT_EQ(g, data.m_pSubGrid);
    EXPECT_EQ(top - c.row * h, data.m_rect.y1);
    EXPECT_EQ(top - (c.row + 1) * h, data.m_rect.y2);
  }
  // Neighbours: above the second row is the first; from nothing, the last
  // (upward) or the first (downward).
  SSymSelSubSymData data;
  EXPECT_EQ(static_cast<ISRepObject*>(m_items[0]), g->GetNeighbourRowObject(1, m_items[1], data));
  EXPECT_EQ(nullptr, g->GetNeighbourRowObject(1, m_items[0], data));
  EXPECT_EQ(static_cast<ISRepObject*>(m_items[2]), g->GetNeighbourRowObject(1, nullptr, data));
  EXPECT_EQ(static_cast<ISRepObject*>(m_items[0]), g->GetNeighbourRowObject(-1, nullptr, data));
  EXPECT_EQ(static_cast<ISRepObject*>(m_items[2]), g->GetNeighbourRowObject(-1, m_items[1], data));
}

TEST_F(SubGrid, RowsFollowTheCollection) {
  SRepObject* pkg = Package({u"A", u"B"});
  SSymSubGrid* g = Grid(pkg);
  GridCanvas canvas;
  g->Draw(canvas);
  ASSERT_EQ((std::vector<std::string>{"A", "B"}), RowNames(g));
  SRepCollection* kids = pkg->Collection(kChildren);
  // Insert, move, remove.
  SRepObject* c = NewItem(Session(), "C");
  kids->Insert(c, 1);
  c->Release();
  EXPECT_EQ((std::vector<std::string>{"A", "C", "B"}), RowNames(g));
  kids->Move(0, 2);
  EXPECT_EQ((std::vector<std::string>{"C", "B", "A"}), RowNames(g));
  kids->Remove(kids->GetPos(m_items[1]));
  EXPECT_EQ((std::vector<std::string>{"C", "A"}), RowNames(g));
  // An attribute change re-measures the column.
  GridCanvas again;
  g->Draw(again);
  const LONG before = g->GetSubGridColFactory()->GetSubGridCol(0)->m_nWidth;
  TSetText(m_items[0], kName, u"A much longer name");
  g->Draw(again);
  EXPECT_GT(g->GetSubGridColFactory()->GetSubGridCol(0)->m_nWidth, before);
  SString cell;
  EXPECT_EQ(S_OK, g->GetCellValue(1, 0, cell));
  EXPECT_EQ(SString(u"A much longer name"), cell);
  // The collection's deletion drops every row.
  g->GetSubGridRowFactory()->OnObjColDelete(kids);
  EXPECT_EQ(0ul, g->GetRowCount());
  EXPECT_FALSE(g->GetSubGridRowFactory()->HasState(SLibGridRowFactory::StateLoaded));
}

TEST_F(SubGrid, ARowThatStopsMatchingTheFilterIsHidden) {
  SRepObject* pkg = Package({u"Apple", u"Avocado", u"Banana"});
  SSymSubGrid* g = Grid(pkg);
  g->GetSubGridRowFactory()->SetFilterString(SString(u"0x1000002=A*"));
  GridCanvas canvas;
  g->Draw(canvas);
  EXPECT_EQ(2, g->GetVisibleRowCount());
  EXPECT_EQ((std::vector<std::string>{"Apple", "Avocado"}), Texts(canvas));
  TSetText(m_items[1], kName, u"Cherry");
  EXPECT_EQ(1, g->GetVisibleRowCount());
  TSetText(m_items[2], kName, u"Apricot");
  EXPECT_EQ(2, g->GetVisibleRowCount());
}

// A shortcut inserted while the grid shows its rows passes the same class
// test as at loading: its target must be of the listed class.
TEST_F(SubGrid, ALiveShortcutIsListedByTheLoadingTest) {
  constexpr CLSID kOther = MakeGUID("{5E7A0001-0000-4000-8000-0000000000F1}");
  auto* other = new SRepObjectMem(kOther, Session());
  other->AddRef();
  other->SetSession(Session());
  m_objects.push_back(other);
  // A collection that takes members of any class.
  constexpr LONG kAny = 0x02010078;
  static const bool defined = [] {
    TItemRegistry().GetClassDef()->AddCollection(kAny, SRepCol_Ordered);
    return true;
  }();
  (void)defined;
  for (BOOL listed : {FALSE, TRUE}) {
    SRepObject* pkg = Obj(u"Pkg");
    SRepObject* good = Shortcut(Obj(u"Target"));
    SRepObject* bad = Shortcut(other);
    SRepCollection* any = pkg->Collection(kAny);
    ASSERT_EQ(S_OK, any->Insert(Obj(u"A"), -1));
    SSymSubGrid* g = Grid(pkg, {kName}, listed, kAny);
    GridCanvas canvas;
    g->Draw(canvas);
    ASSERT_EQ(1ul, g->GetRowCount());
    ASSERT_EQ(S_OK, any->Insert(good, -1));
    ASSERT_EQ(S_OK, any->Insert(bad, -1));
    EXPECT_EQ(listed ? 2ul : 1ul, g->GetRowCount()) << listed;
    // A reload finds the same rows.
    SSymSubGrid* reloaded = Grid(pkg, {kName}, listed, kAny);
    reloaded->Draw(canvas);
    EXPECT_EQ(g->GetRowCount(), reloaded->GetRowCount()) << listed;
  }
}

TEST_F(SubGrid, RowDisplayStateFollowsInsertionsAndRemovals) {
  SRepObject* pkg = Package({u"A", u"B"});
  SSymSubGrid* g = Grid(pkg);
  GridCanvas canvas;
  g->Draw(canvas);
  // Outside any undo context, into a grid that does not show every row,
  // a new row arrives not displayed.
  g->m_nRowDisplayState = 2;
  g->SetSubObjDisp(m_items[1], 0);
  SRepObject* c = NewItem(Session(), "C");
  pkg->Collection(kChildren)->Insert(c, -1);
  SSymSubGridRowFactory* rows = g->GetSubGridRowFactory();
  EXPECT_EQ(0, rows->GetSubGridRow(rows->FindObjPosByRows(c))->m_bDisplayed);
  // Removing the rows not displayed leaves every remaining row displayed.
  pkg->Collection(kChildren)->Remove(pkg->Collection(kChildren)->GetPos(c));
  c->Release();
  EXPECT_EQ(2, g->m_nRowDisplayState);
  pkg->Collection(kChildren)->Remove(pkg->Collection(kChildren)->GetPos(m_items[1]));
  EXPECT_EQ(0, g->m_nRowDisplayState);
  // Rows not displayed are told by a trailing "...".
  g->SetSubObjDisp(m_items[0], 0);
  GridCanvas dots;
  g->Draw(dots);
  EXPECT_EQ(std::vector<std::string>{"..."}, Texts(dots));
}

TEST_F(SubGrid, CellTextsOfBooleansAndStereotypes) {
  SRepObject* pkg = Package({u"A", u"B"});
  SSymSubGrid* g = Grid(pkg, {kName, kFlag, kBracketed, 0x1000067});
  // The hidden attribute makes no column.
  ASSERT_EQ(3ul, g->GetColCount());
  m_items[0]->SetAttribute(kFlag, SRepVariant::Bool(true));
  TSetText(m_items[0], kBracketed, u"table");
  g->Draw(*std::make_unique<GridCanvas>());
  SString text;
  g->GetCellValue(0, 1, text);
  EXPECT_EQ(SString(u"True"), text);
  g->GetCellValue(1, 1, text);
  EXPECT_EQ(SString(), text);
  g->GetCellValue(0, 2, text);
  EXPECT_EQ(SString(u"<<table>>"), text);
  g->GetCellValue(1, 2, text);
  EXPECT_EQ(SString(), text);
}

TEST_F(SubGrid, RowFontsAndTheGridsOwnFont) {
  SSymSubGrid* g = Grid(Package({u"A", u"B"}));
  SSymFonts row;
  row.m_name = SString(u"Row1");
  row.m_font = SSymFont(SGetArialString(), 12);
  EXPECT_EQ(0, g->_AddRowFonts(SString(u"Other"), row));
  EXPECT_EQ(1, g->_AddRowFonts(SString(u"Row1"), row));
  SSymFonts got;
  EXPECT_EQ(1, g->GetFont(SString(u"Row1"), &got));
  EXPECT_EQ(12, got.m_font.m_size);
  EXPECT_EQ(0, g->GetFont(SString(u"Missing"), &got));
  row.m_font.m_size = 14;
  EXPECT_EQ(1, g->SetFont(SString(u"Row1"), row, 0));
  SSymLstFonts all;
  g->AddFonts(&all);
  ASSERT_EQ(2, all.GetCount());
  EXPECT_EQ(14, all[1].m_font.m_size);
  // The grid's own colour changes; the row entry keeps its own.
  EXPECT_EQ(1, g->SetFontsColor(SSymColor(0xFF0000)));
  EXPECT_EQ(0xFF0000ul, g->GetSubFontColor().GetColor());
  // A row given a font is drawn with it and measured by it.
  SSymFonts big;
  big.m_font = SSymFont(SGetArialString(), 20);
  GridCanvas canvas;
  g->Draw(canvas);
  g->SetSubObjFont(m_items[1], &big);
  g->Draw(canvas);
  auto* r1 = g->GetSubGridRowFactory()->GetSubGridRow(1);
  EXPECT_EQ(std::abs(canvas.GetTextHeight(SString(u"a"), big.m_font)), r1->m_nLineHeight);

  // Without a row factory nothing is coloured.
  auto* bare = Hold(new SSymSubGrid());
  EXPECT_EQ(0, bare->SetFontsColor(SSymColor(0x00FF00)));
  EXPECT_EQ(1, bare->DrawOrAdjustGrid(canvas, 1)) << "no column";
}

TEST_F(SubGrid, BadInputGetsTheNamedResults) {
  SSymSubGrid* g = Grid(Package({u"A"}));
  GridCanvas canvas;
  SSymRect r(0, 100, 100, 0);
  EXPECT_EQ(E_POINTER, g->DrawOrAdjustGridColumn(canvas, 1, r, 100, nullptr));
  EXPECT_EQ(E_POINTER, g->DrawOrAdjustGridNameColumn(canvas, 1, r, 100, nullptr, 1));
  SSymRect inverted(100, 0, 0, 100);
  EXPECT_EQ(1, g->DrawOrAdjustGridColumn(canvas, 0, inverted, 100, g->GetSubGridColFactory()->GetSubGridCol(0)));
  EXPECT_EQ(1, g->DrawOrAdjustIconGridColumn(canvas, 0, r, 100, nullptr)) << "no icon";
  // A deleted row object shows an empty cell.
  m_items[0]->Delete();
  SString text;
  g->GetCellValue(0, 0, text);
  EXPECT_EQ(SString(), text);
  EXPECT_EQ(E_INVALIDARG, g->GetCellValue(5, 0, text));
}

TEST_F(SubGrid, ANameColumnThatIsNotFirstIsDrawnAtItsOwnPlace) {
  SSymSubGrid* g = Grid(Package({u"Alpha", u"Beta"}), {kKind, kName});
  GridCanvas canvas;
  ASSERT_EQ(S_OK, g->Draw(canvas));
  auto* kind = g->GetSubGridColFactory()->GetSubGridCol(0);
  const LONG nameLeft = 200 + kind->m_nWidth + 600;
  std::vector<std::string> texts;
  for (const std::string& call : canvas.Only("DrawText ")) {
    const std::string text = call.substr(call.rfind(' ') + 1);
    texts.push_back(text);
    if (text == "Alpha" || text == "Beta") {
      EXPECT_EQ(0u, call.find("DrawText " + std::to_string(nameLeft) + " ")) << call;
    }
  }
  EXPECT_EQ((std::vector<std::string>{"Entity", "Entity", "Alpha", "Beta"}), texts);
  // The rows were laid out by the name column.
  EXPECT_EQ(TextHeight(canvas), g->GetSubGridRowFactory()->GetSubGridRow(1)->m_nLineHeight);
}

// In an attribute column a first row ending 74 below the bottom is drawn
// whole; 75 below, cut at the bottom and the walk goes on; 76 below, cut
// and the walk ends.
TEST_F(SubGrid, AnAttributeColumnCutsRowsAtItsBottom) {
  SSymSubGrid* g = Grid(Package({u"A", u"B"}), {kName, kKind});
  GridCanvas canvas;
  g->Draw(canvas);
  const int h = TextHeight(canvas);
  SSymSubGridCol* kind = g->GetSubGridColFactory()->GetSubGridCol(1);
  struct Case {
    LONG below;
    LONG cellBottom;  // relative to the rectangle's bottom
    size_t rows;
  };
  for (const Case& c : {Case{74, -74, 2}, Case{75, 0, 2}, Case{76, 0, 1}}) {
    const LONG top = 5000, bottom = top - h + c.below;
    SSymRect rect(0, top, 4000, bottom);
    canvas.ClearCalls();
    ASSERT_EQ(S_OK, g->DrawOrAdjustGridColumn(canvas, 0, rect, h, kind)) << c.below;
    const std::vector<std::string> calls = canvas.Only("DrawText ");
    ASSERT_EQ(c.rows, calls.size()) << c.below;
    EXPECT_EQ("DrawText 0 5000 4000 " + std::to_string(bottom + c.cellBottom) + " Entity", calls[0]) << c.below;
    EXPECT_EQ(SSymRect(0, top, 4000, bottom), rect) << "the caller's rectangle is not changed";
  }
}

// A selection of no view holding the symbols given.
class TSelection : public ISSymSelection {
 public:
  void Add(ISSymbol* symbol, int) override { m_items.push_back(symbol); }
  void Clear(int) override { m_items.clear(); }
  int GetCount() const override { return static_cast<int>(m_items.size()); }
  ISSymbol* GetAt(int i) const override { return m_items[static_cast<std::size_t>(i)]; }
  bool Contains(ISSymbol* s) const override { return std::find(m_items.begin(), m_items.end(), s) != m_items.end(); }
  SSymView* GetView() const override { return nullptr; }
  int CanSelect(ISSymbol*) override { return 1; }
  std::vector<ISSymbol*> m_items;
};

TEST_F(SubGrid, EditsOneCellInPlace) {
  SSymSubGrid* g = Grid(Package({u"A", u"B"}), {kName, kDisplay});
  TSetText(m_items[0], kDisplay, u"Shown");
  GridCanvas canvas;
  g->Draw(canvas);
  SSymEditInPlaceController controller;
  controller.m_rect = SSymRect(1000, 5000, 9000, 4000);
  // No object under edit, or an empty text: nothing to edit.
  EXPECT_EQ(1, g->EditInPlace(&controller, nullptr, kName));
  controller.SetEditObject(m_items[1]);
  EXPECT_EQ(1, g->IsEditableInPlace(&controller, nullptr, kDisplay));
  EXPECT_EQ(1, g->EditInPlace(&controller, nullptr, kDisplay));
  EXPECT_EQ(0, g->IsEditableInPlace(&controller, nullptr, kName));
  // The selected row mark must be a text.
  SSymSetActiveSelection(nullptr);
  EXPECT_EQ(E_FAIL, g->EditInPlace(&controller, nullptr, kName));
  TSelection selection;
  auto* mark = new SSymSubText();
  mark->AddRef();
  selection.Add(mark->SymFace(), 0);
  SSymSetActiveSelection(&selection);

  controller.SetEditObject(m_items[0]);
  SSymEditInPlaceController::s_nNextResult = 0;
  ASSERT_EQ(0, g->EditInPlace(&controller, nullptr, kName));
  EXPECT_EQ(kName, SSymEditInPlaceController::s_lastAttr);
  EXPECT_EQ(1000, SSymEditInPlaceController::s_lastRect.x1);
  // A display name cell edits Name or Code as the session shows objects,
  // in the cell of its column, one text line and 300 high.
  const LONG nameWidth = g->GetSubGridColFactory()->GetSubGridCol(0)->m_nWidth;
  auto* session = SRepSession::FromInterface(Session());
  for (DWORD options : {DWORD{SRepOpt_NameDisplay}, DWORD{0}}) {
    session->SetOptions(options);
    controller.m_rect = SSymRect(1000, 5000, 9000, 4000);
    ASSERT_EQ(0, g->EditInPlace(&controller, nullptr, kDisplay)) << options;
    EXPECT_EQ(options ? kName : kCode, SSymEditInPlaceController::s_lastAttr);
    const SSymRect cell = SSymEditInPlaceController::s_lastRect;
    EXPECT_EQ(1000 + nameWidth + 600, cell.x1);
    EXPECT_EQ(cell.x1 + g->GetSubGridColFactory()->GetSubGridCol(1)->m_nWidth, cell.x2);
    EXPECT_GT(cell.Height(), 300);
  }
  session->SetOptions(0);
  // A failed edit is E_FAIL.
  SSymEditInPlaceController::s_nNextResult = E_FAIL;
  EXPECT_EQ(E_FAIL, g->EditInPlace(&controller, nullptr, kName));
  SSymEditInPlaceController::s_nNextResult = 0;
  SSymSetActiveSelection(nullptr);
  mark->Release();
}

}  // namespace
