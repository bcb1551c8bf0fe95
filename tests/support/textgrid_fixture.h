// Grid test kit: rows that keep their cell texts, and a grid model filled
// with a given number of such rows and plain columns, as a host fills a
// settings table through the grid library's factories.
#pragma once

#include <map>
#include <memory>

#include "kvlib/slibgrid.h"

class TTextRow : public SLibGridRow {
 public:
  HRESULT GetValue(const SLibGridCol* col, SString& text) const override {
    auto it = m_cells.find(col);
    text = it == m_cells.end() ? SString() : it->second;
    return S_OK;
  }
  HRESULT SetValue(const SLibGridCol* col, const SString& text) override {
    m_cells[col] = text;
    return S_OK;
  }

 private:
  std::map<const SLibGridCol*, SString> m_cells;
};

// Gives the grid new factories holding `rows` text rows and `cols` columns.
inline void TFillTextGrid(SLibGrid& grid, int rows, int cols) {
  auto* colFactory = new SLibGridColFactory(&grid);
  grid.SetColFactory(colFactory);
  for (int c = 0; c < cols; ++c) colFactory->AddCol(std::make_unique<SLibGridCol>(), SGridColConf{});
  auto* rowFactory = new SLibGridRowFactory(&grid);
  grid.SetRowFactory(rowFactory);
  for (int r = 0; r < rows; ++r) rowFactory->AddRow(-1, std::make_unique<TTextRow>());
}
