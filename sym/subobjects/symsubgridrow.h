// The rows, columns and factories of a sub grid (SSymSubGrid): the row
// factory lists the objects of one collection of a repository object as
// rows and keeps them in step with the collection (insert, move, remove,
// delete, attribute change), filters them and re-measures the columns; the
// column factory makes one column per attribute id of a list. Rows and
// columns carry the layout and font state the grid's drawing writes and
// reads.
//
// The host makes both factories with the grid and hands them to it
// (SLibGrid::SetRowFactory, SetColFactory); the grid owns them from then on.
#pragma once

#include <new>

#include "kvcore/stable.h"
#include "kvrep/srepgrid.h"
#include "sym/foundation/symvalues.h"

class SSymSubGrid;

// Attribute ids the grid treats apart.
namespace SSymSubGridAttr {
inline constexpr LONG Name = 0x1000002;
inline constexpr LONG Code = 0x1000004;
inline constexpr LONG DisplayName = 0x100000B;
// Never made a column.
inline constexpr LONG Hidden = 0x1000067;
// Shown between "<<" and ">>".
inline constexpr LONG Stereotype = 0x2000005;
}  // namespace SSymSubGridAttr

class SSymSubGridRow : public SRepGridRow {
 public:
  explicit SSymSubGridRow(ISRepObject* obj) : SRepGridRow(obj) {}

  // Taken from the general heap; out of memory throws SEOutOfMemory naming
  // this operator.
  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

  // The cell text: the base's text; an empty text for a false boolean and
  // the attribute's display name for a true one; a stereotype between "<<"
  // and ">>".
  using SRepGridRow::GetValue;
  HRESULT GetValue(const SLibGridCol* col, SString& text) const override;

  // The font entry the row is drawn with: its own pointer, else null (the
  // factory's default applies).
  SSymFonts* GetFontsEntry() const { return m_pFonts; }

  // ---- layout and font state, written by the grid's name column
  LONG m_nStyle = -1;       // font style used for the row; -1: the grid font's
  LONG m_nLineHeight = 0;   // height of one line; 0: the row takes no room
  LONG m_nLines = 1;        // text lines; 0 marks the "..." row
  int m_bSpecificFont = 0;  // the row asks the factory for its font entry
  LONG m_nStyleBits = -1;   // bits combined into the grid font's style; -1: none
  int m_bVisible = 1;       // the row filter's result
  SSymFonts* m_pFonts = nullptr;  // the row's font entry; null: the factory's default
  SSymFonts m_fonts;        // storage for a font given to this row
  int m_bDisplayed = 1;     // the row is shown
};

class SSymSubGridCol : public SRepGridCol {
 public:
  explicit SSymSubGridCol(SRepAttrEditor* editor) : SRepGridCol(editor) {}

  static void* operator new(std::size_t size);
  static void operator delete(void* p) noexcept;

  // A name column shows Name or DisplayName.
  virtual bool IsNameColumn() const {
    const LONG id = GetAttrId();
    return id == SSymSubGridAttr::Name || id == SSymSubGridAttr::DisplayName;
  }

  int m_nCtrlType = 0;    // the cell control type (set by the column factory)
  LONG m_nWidth = 0;      // measured by the grid
  LONG m_nLongestRow = 0; // the row whose cell text is longest
  int m_nWord1 = 0;       // set to 1 by the column factory
  int m_nWord2 = 0;
  LONG m_nGap = 300;      // room after the column (600 from the column factory)
};

class SSymSubGridRowFactory : public SRepGridRowFactory {
 public:
  // The rows of the objects of class `listed` in the collection colId of
  // obj, for the grid (which must be an SSymSubGrid: its font entry is the
  // rows' default font).
  SSymSubGridRowFactory(SLibGrid* grid, ISRepObject* obj, LONG colId, const GUID* listed);
  ~SSymSubGridRowFactory() override;

  // Loads the rows: builds the filter once, then makes a row for each listed
  // member of the collection (none without a repository object).
  void Initialize() override;
  std::unique_ptr<SRepGridRow> CreateNewRow(ISRepObject* obj) override;
  // Sets the row's visible flag from the filter; 1 when it changed.
  virtual int ApplyRowFilter(unsigned long index, SLibGridRow* row);
  SString GetRowFilterString() const override { return m_strFilter; }

  virtual void SetFilterString(const SString& text) { m_strFilter = text; }
  // A hook run after a row is filtered; nothing here.
  virtual void ChangeRowStyle(unsigned long index, SLibGridRow* row) { (void)index, (void)row; }
  // The font entry of a row that asks for a specific one: the grid's own.
  virtual SSymFonts* GetSpecificRowFonts(SSymSubGridRow* row) {
    (void)row;
    return m_pDefaultFonts;
  }
  // 1 when changes from the repository may be applied now.
  int ChangeInContext() const;

  // The grid that shows the rows, or null.
  SSymSubGrid* GetSubGrid() const;
  SSymFonts* GetDefaultFonts() const { return m_pDefaultFonts; }
  // The height of the trailing "..." line (written by the grid's name column).
  LONG GetTrailingHeight() const { return m_nTrailingHeight; }
  void SetTrailingHeight(LONG height) { m_nTrailingHeight = height; }
  SSymSubGridRow* GetSubGridRow(int index) const { return dynamic_cast<SSymSubGridRow*>(GetRow(index)); }

  // ---- ISRepClassColSink, ISRepObjSink
  HRESULT OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) override;
  HRESULT OnObjColMove(ISRepClassCol* col, int from, int to) override;
  HRESULT OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) override;
  HRESULT OnObjColDelete(ISRepClassCol* col) override;
  HRESULT OnChange(ISRepObject* obj, LONG id) override;

 private:
  // Whether obj is listed: of the listed class, or a shortcut (when
  // shortcuts are listed) whose target class is.
  bool IsListed(ISRepObject* obj) const;

  SSymFonts* m_pDefaultFonts = nullptr;  // the grid's own entry
  SString m_strFilter;
  LONG m_nTrailingHeight = 0;
};

class SSymSubGridColFactory : public SRepGridColFactory {
 public:
  SSymSubGridColFactory(SLibGrid* grid, ISRepObject* obj, LONG colId, const GUID& listed,
                        const STableDumb<long>& ids);

  // Makes one column per attribute id that the listed class has an editor
  // for (0x1000067 never).
  void Initialize() override;
  STableDumb<long> GetDispidList() const { return m_ids; }
  SSymSubGridCol* GetSubGridCol(int index) const { return dynamic_cast<SSymSubGridCol*>(GetCol(index)); }

 private:
  STableDumb<long> m_ids;
};
