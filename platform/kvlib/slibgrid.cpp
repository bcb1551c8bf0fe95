#include "kvlib/slibgrid.h"

HRESULT SLibGridRow::GetValue(const SLibGridCol*, SString& text) const {
  text.Empty();
  return E_NOTIMPL;
}

HRESULT SLibGridRow::SetValue(const SLibGridCol*, const SString&) { return E_NOTIMPL; }

HRESULT SLibGridCol::OnGetValue(const SLibGridRow* row, SString& text) const {
  if (!row) {
    text.Empty();
    return E_POINTER;
  }
  return row->GetValue(this, text);
}

// ---- row factory -------------------------------------------------------------------------------
SLibGridRowFactory::~SLibGridRowFactory() = default;

void SLibGridRowFactory::Terminate() {
  while (!m_rows.empty()) RemoveRow(GetRowCount() - 1);
}

void SLibGridRowFactory::AddRow(int index, std::unique_ptr<SLibGridRow> row) {
  if (!row) return;
  if (index < 0 || index > GetRowCount()) index = GetRowCount();
  SLibGridRow* added = row.get();
  m_rows.insert(m_rows.begin() + index, std::move(row));
  if (m_pGrid) m_pGrid->OnAddRow(static_cast<unsigned long>(index), added);
}

void SLibGridRowFactory::RemoveRow(int index) {
  if (index < 0 || index >= GetRowCount()) return;
  // The row leaves the table before it is deleted, so that a hook that
  // reads the table never meets it half destroyed.
  std::unique_ptr<SLibGridRow> row = std::move(m_rows[static_cast<std::size_t>(index)]);
  m_rows.erase(m_rows.begin() + index);
  if (m_pGrid) m_pGrid->OnRemoveRow(static_cast<unsigned long>(index));
}

void SLibGridRowFactory::MoveRowTo(int from, int to) {
  if (from < 0 || from >= GetRowCount() || to < 0 || to >= GetRowCount() || from == to) return;
  std::unique_ptr<SLibGridRow> row = std::move(m_rows[static_cast<std::size_t>(from)]);
  m_rows.erase(m_rows.begin() + from);
  m_rows.insert(m_rows.begin() + to, std::move(row));
}

// ---- column factory ----------------------------------------------------------------------------
SLibGridColFactory::~SLibGridColFactory() = default;

void SLibGridColFactory::Terminate() {
  while (!m_cols.empty()) RemoveCol(GetColCount() - 1);
}

SLibGridCol* SLibGridColFactory::AddCol(std::unique_ptr<SLibGridCol> col, const SGridColConf& conf) {
  if (!col) return nullptr;
  col->SetConf(conf);
  SLibGridCol* added = col.get();
  m_cols.push_back(std::move(col));
  if (m_pGrid) m_pGrid->OnAddCol(static_cast<unsigned long>(m_cols.size() - 1), added);
  return added;
}

void SLibGridColFactory::RemoveCol(int index) {
  if (index < 0 || index >= GetColCount()) return;
  std::unique_ptr<SLibGridCol> col = std::move(m_cols[static_cast<std::size_t>(index)]);
  m_cols.erase(m_cols.begin() + index);
  if (m_pGrid) m_pGrid->OnRemoveCol(static_cast<unsigned long>(index));
}

// ---- grid --------------------------------------------------------------------------------------
SLibGrid::~SLibGrid() {
  // The factories may still point at this grid; they must not call back
  // into a grid that is going.
  if (m_pRowFactory) m_pRowFactory->SetGrid(nullptr);
  if (m_pColFactory) m_pColFactory->SetGrid(nullptr);
}

void SLibGrid::SetRowFactory(SLibGridRowFactory* factory) { m_pRowFactory.reset(factory); }

void SLibGrid::SetColFactory(SLibGridColFactory* factory) { m_pColFactory.reset(factory); }

unsigned long SLibGrid::GetRowCount() const {
  return m_pRowFactory ? static_cast<unsigned long>(m_pRowFactory->GetRowCount()) : 0;
}

unsigned long SLibGrid::GetColCount() const {
  return m_pColFactory ? static_cast<unsigned long>(m_pColFactory->GetColCount()) : 0;
}

SLibGridRow* SLibGrid::GetGridRow(unsigned long index) const {
  if (!m_pRowFactory || index >= GetRowCount()) return nullptr;
  return m_pRowFactory->GetRow(static_cast<int>(index));
}

SLibGridCol* SLibGrid::GetGridCol(unsigned long index) const {
  if (!m_pColFactory || index >= GetColCount()) return nullptr;
  return m_pColFactory->GetCol(static_cast<int>(index));
}

int SLibGrid::IsFilterEnabled() const { return m_pRowFactory ? m_pRowFactory->IsFilterEnabled() : 0; }

HRESULT SLibGrid::GetCellValue(unsigned long row, unsigned long col, SString& text) const {
  SLibGridRow* r = GetGridRow(row);
  SLibGridCol* c = GetGridCol(col);
  if (!r || !c) {
    text.Empty();
    return E_INVALIDARG;
  }
  return c->OnGetValue(r, text);
}

HRESULT SLibGrid::SetCellValue(unsigned long row, unsigned long col, const SString& text, int) {
  SLibGridRow* r = GetGridRow(row);
  SLibGridCol* c = GetGridCol(col);
  if (!r || !c) return E_INVALIDARG;
  HRESULT hr = r->SetValue(c, text);
  if (SUCCEEDED(hr)) RedrawRowCol(row, col);
  return hr;
}
