#include "kvrep/srepgrid.h"

SRepGridRow::SRepGridRow(ISRepObject* obj) : m_obj(obj) {
  if (m_obj) m_obj->AddRef();
}

SRepGridRow::~SRepGridRow() {
  if (m_obj) m_obj->Release();
}

SString SRepGridCol::OnGetValue(const SRepGridRow& row) const {
  if (!m_editor || !row.GetObject()) return SString();
  SRepVariant v;
  if (row.GetObject()->GetAttribute(m_editor->GetAttrId(), &v) != S_OK) return SString();
  return m_editor->GetText(v);
}

int SRepGridColFactory::GetColCtrlType(const SRepAttrEditor* editor) const {
  if (!editor) return SRepCtrl_Edit;
  switch (editor->GetKind()) {
    case SRepEditor_Color: return SRepCtrl_Color;
    case SRepEditor_Object: return SRepCtrl_ObjectList;
    default: return SRepCtrl_Edit;
  }
}

SRepGridCol* SRepGridColFactory::AddCol(std::unique_ptr<SRepGridCol> col) {
  if (!col) return nullptr;
  m_cols.push_back(std::move(col));
  return m_cols.back().get();
}

SRepGridRowFactory::~SRepGridRowFactory() { Detach(); }

bool SRepGridRowFactory::Accepts(ISRepObject* obj) const {
  if (!obj) return false;
  CLSID listed = GetCLSID();
  bool kind = listed == GUID_NULL || SRepIsKindOf(obj, listed);
  if (!kind && GetIncShortcuts() && obj->IsShortcut()) {
    CLSID ext = SRepGetExtClsid(obj);
    SRepRegistry* reg = SRepRegistry::Find(ext);
    kind = ext == listed || (reg && reg->IsKindOf(listed));
  }
  return kind && (!HasRowFilter() || ObjectMatchFilter(obj));
}

HRESULT SRepGridRowFactory::Init(ISRepObject* obj) {
  if (!obj) return E_POINTER;
  Detach();
  HRESULT hr = obj->GetCollection(GetDISPID(), &m_col);
  if (FAILED(hr)) return hr;
  for (LONG i = 0, n = m_col->GetCount(); i < n; ++i) {
    ISRepObject* o = nullptr;
    if (m_col->Item(i, &o) != S_OK) continue;
    if (Accepts(o)) {
      AddRow(CreateNewRow(o));
      o->Advise(0, this);
    }
    o->Release();
  }
  m_col->Advise(this);
  return S_OK;
}

void SRepGridRowFactory::Detach() {
  for (auto& r : m_rows)
    if (r->GetObject()) r->GetObject()->Unadvise(this);
  m_rows.clear();
  if (m_col) {
    m_col->Unadvise(this);
    ISRepClassCol* c = m_col;
    m_col = nullptr;
    c->Release();
  }
}

int SRepGridRowFactory::FindObjPosByRows(ISRepObject* obj) const {
  for (int i = 0; i < GetRowCount(); ++i)
    if (m_rows[static_cast<std::size_t>(i)]->GetObject() == obj) return i;
  return -1;
}

void SRepGridRowFactory::AddRow(std::unique_ptr<SRepGridRow> row, int at) {
  if (!row) return;
  if (at < 0 || at > GetRowCount()) at = GetRowCount();
  m_rows.insert(m_rows.begin() + at, std::move(row));
}

void SRepGridRowFactory::RemoveRow(int i) {
  if (i >= 0 && i < GetRowCount()) m_rows.erase(m_rows.begin() + i);
}

void SRepGridRowFactory::MoveRowTo(int from, int to) {
  if (from < 0 || from >= GetRowCount() || to < 0 || to >= GetRowCount() || from == to) return;
  auto row = std::move(m_rows[static_cast<std::size_t>(from)]);
  m_rows.erase(m_rows.begin() + from);
  m_rows.insert(m_rows.begin() + to, std::move(row));
}

HRESULT SRepGridRowFactory::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepClassColSink) *ppv = static_cast<ISRepClassColSink*>(this);
  else if (iid == IID_ISRepObjSink) *ppv = static_cast<ISRepObjSink*>(this);
  else return *ppv = nullptr, E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) {
  if (!Accepts(obj) || FindObjPosByRows(obj) >= 0) return S_OK;
  // Rows keep the collection's order among the accepted members.
  int at = 0;
  for (int i = 0; i < pos; ++i) {
    ISRepObject* o = nullptr;
    if (col->Item(i, &o) == S_OK) {
      if (FindObjPosByRows(o) >= 0) ++at;
      o->Release();
    }
  }
  AddRow(CreateNewRow(obj), at);
  obj->Advise(0, this);
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColMove(ISRepClassCol* col, int, int to) {
  ISRepObject* o = nullptr;
  if (col->Item(to, &o) != S_OK) return S_OK;
  int from = FindObjPosByRows(o);
  if (from >= 0) {
    int at = 0;
    for (int i = 0; i < to; ++i) {
      ISRepObject* p = nullptr;
      if (col->Item(i, &p) == S_OK) {
        if (p != o && FindObjPosByRows(p) >= 0) ++at;
        p->Release();
      }
    }
    MoveRowTo(from, at);
  }
  o->Release();
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColRemove(ISRepClassCol*, ISRepObject* obj) {
  int i = FindObjPosByRows(obj);
  if (i >= 0) {
    obj->Unadvise(this);
    RemoveRow(i);
  }
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColDelete(ISRepClassCol*) { return S_OK; }

HRESULT SRepGridRowFactory::OnChange(ISRepObject* obj, LONG id) {
  int i = FindObjPosByRows(obj);
  if (i >= 0) OnRowChanged(i, id);
  return S_OK;
}
