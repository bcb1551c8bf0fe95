// SSymSubGrid: the sub-object that shows a table inside a symbol: one row per
// object of a repository collection of the symbol's model object, one
// column per chosen attribute, a name column that word-wraps, an optional
// vector icon at the head of every row, per-row fonts and three display
// modes (all rows, a row limit with a "..." line, collapsed to " ...").
// Rows and columns come from its row and column factories
// (symsubgridrow.h), held through the grid model of the user-interface
// library; the grid lays the rows out on every measuring or drawing pass,
// edits one cell in place and finds the repository object of the row under
// a point (for the row selection mark).
//
// Its host makes the factories with the grid, sets them on it, sets the
// display members below and adds the grid to a symbol's sub-object group.
#pragma once

#include "kvcore/sobject.h"
#include "kvlib/slibgrid.h"
#include "sym/foundation/symlistpt.h"
#include "sym/subobjects/symsubgridrow.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/subobjects/symsubs.h"

class SSymView;
class SSymSubGroup;

class SSymSubGrid : public SSymSubsFonts, public SObject, public SLibGrid, public ISSymSubGridHit {
  KV_DECLARE_CLASSINFO()

 public:
  static constexpr int SymbolType = 6;
  // Display modes.
  static constexpr LONG ModeCollapsed = 1;
  static constexpr LONG ModeRowLimit = 2;
  // Layout constants in diagram units.
  static constexpr LONG LeftMargin = 200;
  static constexpr LONG IconSpacing = 240;
  static constexpr double IconWidthFactor = 1.25;
  static constexpr LONG LastColumnGap = 200;
  static constexpr LONG RightInset = 75;
  static constexpr LONG BottomTolerance = 75;
  static constexpr LONG IconOverrun = 300;
  static constexpr double WidthGrowth = 1.03;
  static constexpr LONG CollapsedWidth = 1200;
  static constexpr LONG EditCellExtraHeight = 300;
  static constexpr LONG CellTextStyle = 0x211;
  // At or below this zoom a grid is drawn only on a printer.
  static constexpr double MinimumZoom = 25.0;
  // An icon is drawn when its size times the zoom, over 100, reaches this.
  static constexpr double IconMinimumScaledSize = 400.0;

  SSymSubGrid();
  explicit SSymSubGrid(const SSymRect& rect);
  // Terminates both factories and empties the row fonts.
  ~SSymSubGrid() override;

  // ---- IUnknown (one object behind every face)
  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  // ---- ISSymbol
  HRESULT Draw(SSymCanvas& canvas) override;
  int GetSymbolType() override { return SymbolType; }

  // ---- the family
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override;
  // Initialises only when the row factory exists and has its object.
  void InitializeSubSym() override;
  void AddFonts(SSymLstFonts* list) const override;
  BOOL IsEmpty() const override { return GetVisibleRowCount() == 0; }
  using SSymSubs::EditInPlace;
  HRESULT EditInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG dispid) override;
  virtual HRESULT IsEditableInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG dispid);
  using SSymSubs::IsEditableInPlace;

  // ---- ISSymFonts
  int GetFont(const SString& name, SSymFonts* out) override;
  int SetFont(const SString& name, const SSymFonts& fonts, int redraw) override;
  int CopyFont(const SString& name, const SSymFonts& fonts, int redraw) override;
  // The grid's own entry takes the colour (1); rows keep theirs. Nothing
  // (0) without a row factory.
  int SetFontsColor(SSymColor color) override;

  // ---- SLibGrid hooks
  // Redraws the whole sub-object (the family's Redraw, no canvas).
  void Redraw() override;
  void RedrawCol(unsigned long) override { Redraw(); }
  void RedrawRow(unsigned long) override { Redraw(); }
  void RedrawRowCol(unsigned long, unsigned long) override { Redraw(); }
  // A row added after loading re-measures every column and tells the parent.
  void OnAddRow(unsigned long index, SLibGridRow* row) override;
  void InsertRows(unsigned long, unsigned long) override {}
  void OnAddCol(unsigned long, SLibGridCol*) override {}
  void OnRemoveCol(unsigned long) override {}
  void OnRemoveRow(unsigned long) override {}

  // ---- the grid's own operations
  // Rows whose filter result (visible flag) is set.
  virtual int GetVisibleRowCount() const;
  virtual void SetMaxRowCount(LONG rows) { m_nMaxRows = rows; }
  virtual const SSymListPt* SetIcon(const SSymListPt* icon) { return m_pIcon = icon; }
  // 0; 1 without a column; E_POINTER when column 0 is missing; E_FAIL
  // without a row factory.
  virtual HRESULT DrawOrAdjustGrid(SSymCanvas& canvas, int adjust);
  // Each: 0 when done, 1 when the rectangle has no room (the caller stops),
  // E_POINTER for a null column, E_FAIL without a row factory.
  virtual HRESULT DrawOrAdjustGridNameColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                             SSymSubGridCol* col, int layoutRows);
  virtual HRESULT DrawOrAdjustGridColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                         SSymSubGridCol* col);
  virtual HRESULT DrawOrAdjustIconGridColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                             int* width);
  // A hook for derived grids; 0.
  virtual int GridHook(int, int) { return 0; }
  // 0; 1 for a null or empty icon.
  virtual HRESULT DrawIcon(SSymCanvas& canvas, SSymRect& cell, const SSymListPt* icon);
  virtual LONG GetTextStyle(SSymSubGridCol* col) {
    (void)col;
    return CellTextStyle;
  }

  // ---- ISSymSubGridHit
  // The repository object of the row under the point (not counted), data
  // filled; null when no row is hit.
  ISRepObject* GetSubObjWithPt(const SSymCanvas& canvas, SSymPoint& pt, SSymSelSubSymData& data) override;
  // The object of the row above (direction 1) or below (-1) the row of obj
  // (null: from the end), data filled; null when there is none.
  ISRepObject* GetNeighbourRowObject(int direction, ISRepObject* obj, SSymSelSubSymData& data);

  // ---- row fonts
  // The entry of that key, else the grid's own entry.
  const SSymFonts* _GetRowFonts(const SString& name) const;
  int _GetRowFontsEx(const SString& name, SSymFonts* out) const;
  int _SetRowFonts(const SString& name, const SSymFonts& fonts);
  int _CopyRowFonts(const SString& name, const SSymFonts& fonts);
  int _AddRowFonts(const SString& name, const SSymFonts& fonts);
  SSymLstFonts& _GetAllRowFonts() { return m_lstRowFonts; }
  // The row of obj takes a copy of fonts as its own entry (null: none) and
  // is displayed; the displayed flag of obj's row. No row: nothing.
  void SetSubObjFont(ISRepObject* obj, SSymFonts* fonts);
  void SetSubObjDisp(ISRepObject* obj, int displayed);

  // The grid's own font entry (the rows' default).
  SSymFonts* GetOwnFontsEntry() { return &m_fonts; }
  SSymSubGridRowFactory* GetSubGridRowFactory() const;
  SSymSubGridColFactory* GetSubGridColFactory() const;
  // The column shown with the name: the first name column, else column 0
  // (may be null); its index in *index.
  SSymSubGridCol* GetNameColumn(unsigned long* index) const;
  const SSymListPt* GetIcon() const { return m_pIcon; }
  LONG GetMaxRowCount() const { return m_nMaxRows; }

  // ---- display members the host sets
  // Height when collapsed: 0 one text line, positive diagram units,
  // negative -p: p percent of the height of m_pGroup's clip rectangle.
  LONG m_nCollapsedHeight = 0;
  LONG m_nDisplayMode = 0;
  SSymSubGroup* m_pGroup = nullptr;
  // 0 every row displayed, 1 none, 2 some.
  LONG m_nRowDisplayState = 0;

 protected:
  void* QueryFamily(REFIID iid) override;

 private:
  // The text height of a font on the canvas, as a magnitude.
  static int TextHeight(SSymCanvas& canvas, const SSymFont& font);
  // The box of a collapsed or empty grid.
  HRESULT DrawOrAdjustBox(SSymCanvas& canvas, int adjust, int visible);

  LONG m_nMaxRows = -1;
  SSymLstFonts m_lstRowFonts;
  const SSymListPt* m_pIcon = nullptr;
};
