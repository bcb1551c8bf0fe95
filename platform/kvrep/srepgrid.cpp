#include "kvrep/srepgrid.h"

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <string>

#include "kvrep/srepregistry.h"

// ---- rows and columns --------------------------------------------------------------------------
SRepGridRow::SRepGridRow(ISRepObject* obj) : m_obj(obj) {
  if (m_obj) m_obj->AddRef();
}

SRepGridRow::~SRepGridRow() {
  if (m_obj) m_obj->Release();
}

HRESULT SRepGridRow::GetValue(const SLibGridCol* col, SString& text) const {
  text.Empty();
  auto* repCol = dynamic_cast<const SRepGridCol*>(col);
  SRepAttrEditor* editor = repCol ? repCol->GetEditor() : nullptr;
  if (!editor || !m_obj) return S_FALSE;
  SRepVariant v;
  HRESULT hr = m_obj->GetAttribute(editor->GetAttrId(), &v);
  if (FAILED(hr)) return hr;
  if (hr != S_OK) return S_FALSE;
  text = editor->GetText(v);
  return S_OK;
}

HRESULT SRepGridRow::GetValue(const SLibGridCol* col, SRepVariant& value) const {
  auto* repCol = dynamic_cast<const SRepGridCol*>(col);
  SRepAttrEditor* editor = repCol ? repCol->GetEditor() : nullptr;
  if (!editor || !m_obj) return S_FALSE;
  return m_obj->GetAttribute(editor->GetAttrId(), &value);
}

SString SRepGridCol::OnGetValue(const SRepGridRow& row) const {
  SString text;
  if (OnGetValue(&row, text) != S_OK) text.Empty();
  return text;
}

// ---- column factory ----------------------------------------------------------------------------
SRepGridColFactory::SRepGridColFactory(SLibGrid* grid, const CLSID& objClsid, LONG colId, const CLSID& listed,
                                       const SString& text)
    : SLibGridColFactory(grid), m_title(text) {
  SetObjCLSID(objClsid);
  SetListed(listed, colId, FALSE);
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
  SGridColConf conf;
  conf.m_nIndex = GetColCount();
  conf.m_nCtrlType = GetColCtrlType(col->GetEditor());
  return static_cast<SRepGridCol*>(SLibGridColFactory::AddCol(std::move(col), conf));
}

// ---- row filter --------------------------------------------------------------------------------
namespace {

// Wildcard match, case-folded: "*" any run, "?" one character.
bool MatchPattern(const SString& text, const SString& pattern) {
  SString t = text, p = pattern;
  t.MakeLower();
  p.MakeLower();
  const int n = t.GetLength(), m = p.GetLength();
  int i = 0, j = 0, star = -1, mark = 0;
  while (i < n) {
    if (j < m && (p.GetAt(j) == u'?' || p.GetAt(j) == t.GetAt(i))) {
      ++i, ++j;
    } else if (j < m && p.GetAt(j) == u'*') {
      star = j++;
      mark = i;
    } else if (star >= 0) {
      j = star + 1;
      i = ++mark;
    } else {
      return false;
    }
  }
  while (j < m && p.GetAt(j) == u'*') ++j;
  return j == m;
}

}  // namespace

SRepRowFilter SRepGridRowFactory::ParseRowFilter(const SString& text) {
  SRepRowFilter filter;
  SStringTokenizer entries(text, SString(u";"));
  while (entries.HasMoreTokens()) {
    SString entry = entries.NextToken();
    const int eq = entry.Find(u'=');
    if (eq <= 0) continue;
    SString key = entry.Left(eq);
    key.Trim();
    const std::string digits = key.ToUtf8();
    // The whole key must be the number (no embedded NUL ends it early) and
    // the number must fit an attribute id: a wider one would wrap to another.
    char* end = nullptr;
    errno = 0;
    const long long id = std::strtoll(digits.c_str(), &end, 0);
    if (digits.empty() || end != digits.c_str() + digits.size() || errno == ERANGE || id == 0 ||
        id < std::numeric_limits<LONG>::min() || id > std::numeric_limits<LONG>::max())
      continue;
    SString pattern = entry.Mid(eq + 1);
    pattern.Trim();
    filter.push_back({static_cast<LONG>(id), pattern});
  }
  return filter;
}

bool SRepGridRowFactory::MatchFilter(ISRepObject* obj, const SRepRowFilter& filter) {
  if (filter.empty()) return true;
  if (!obj) return false;
  for (const SRepRowFilterEntry& e : filter) {
    SRepVariant v;
    SString text;
    if (obj->GetAttribute(e.m_nAttr, &v) == S_OK) text = v.GetAsText();
    if (!MatchPattern(text, e.m_sPattern)) return false;
  }
  return true;
}

void SRepGridRowFactory::InitRowFilter() { m_filter = ParseRowFilter(GetRowFilterString()); }

bool SRepGridRowFactory::HasRowFilter(LONG id) const {
  for (const SRepRowFilterEntry& e : m_filter)
    if (e.m_nAttr == id) return true;
  return false;
}

// ---- row factory -------------------------------------------------------------------------------
SRepGridRowFactory::SRepGridRowFactory(SLibGrid* grid, ISRepObject* obj, const CLSID& objClsid, LONG colId,
                                       const CLSID* listed)
    : SLibGridRowFactory(grid) {
  SetObjCLSID(objClsid);
  SetListed(listed ? *listed : GUID_NULL, colId, FALSE);
  if (obj) Attach(obj);
}

SRepGridRowFactory::~SRepGridRowFactory() { Detach(); }

bool SRepGridRowFactory::AcceptsClass(ISRepObject* obj) const {
  if (!obj) return false;
  const CLSID listed = GetCLSID();
  if (listed == GUID_NULL || SRepIsKindOf(obj, listed)) return true;
  if (!GetIncShortcuts() || !obj->IsShortcut()) return false;
  const CLSID ext = SRepGetExtClsid(obj);
  SRepRegistry* reg = SRepRegistry::Find(ext);
  return ext == listed || (reg && reg->IsKindOf(listed));
}

HRESULT SRepGridRowFactory::Attach(ISRepObject* obj) {
  if (!obj) return E_POINTER;
  Detach();
  ISRepClassCol* col = nullptr;
  HRESULT hr = obj->GetCollection(GetDISPID(), &col);
  if (FAILED(hr) || !col) return FAILED(hr) ? hr : E_FAIL;
  m_col = col;
  m_obj = obj;
  m_obj->AddRef();
  m_col->Advise(this);
  return S_OK;
}

ISRepSession* SRepGridRowFactory::GetSession() const {
  ISRepSession* session = nullptr;
  if (!m_obj || m_obj->GetSession(&session) != S_OK || !session) return nullptr;
  // The object's session outlives the call: the reference is not kept.
  session->Release();
  return session;
}

HRESULT SRepGridRowFactory::Init(ISRepObject* obj) {
  HRESULT hr = Attach(obj);
  if (FAILED(hr)) return hr;
  for (LONG i = 0, n = m_col->GetCount(); i < n; ++i) {
    ISRepObject* o = nullptr;
    if (m_col->Item(i, &o) != S_OK || !o) continue;
    if (AcceptsClass(o) && ObjectMatchFilter(o)) {
      AddRow(-1, CreateNewRow(o));
      o->Advise(0, this);
    }
    o->Release();
  }
  SetState(StateLoaded, true);
  return S_OK;
}

void SRepGridRowFactory::ReleaseCollection() {
  if (!m_col) return;
  ISRepClassCol* c = m_col;
  m_col = nullptr;
  c->Unadvise(this);
  c->Release();
}

void SRepGridRowFactory::Detach() {
  for (auto& r : m_rows) {
    auto* row = dynamic_cast<SRepGridRow*>(r.get());
    if (row && row->GetObject()) row->GetObject()->Unadvise(this);
  }
  // Rows go without telling the grid: the factory is being let go.
  m_rows.clear();
  SetState(StateLoaded, false);
  ReleaseCollection();
  if (m_obj) {
    ISRepObject* o = m_obj;
    m_obj = nullptr;
    o->Release();
  }
}

void SRepGridRowFactory::Terminate() {
  for (auto& r : m_rows) {
    auto* row = dynamic_cast<SRepGridRow*>(r.get());
    if (row && row->GetObject()) row->GetObject()->Unadvise(this);
  }
  SLibGridRowFactory::Terminate();
  Detach();
}

int SRepGridRowFactory::FindObjPosByRows(ISRepObject* obj) const {
  if (!obj) return -1;
  for (int i = 0; i < GetRowCount(); ++i) {
    SRepGridRow* row = GetRow(i);
    if (row && row->GetObject() == obj) return i;
  }
  return -1;
}

HRESULT SRepGridRowFactory::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_ISRepClassColSink) *ppv = static_cast<ISRepClassColSink*>(this);
  else if (iid == IID_ISRepObjSink) *ppv = static_cast<ISRepObjSink*>(this);
  else return *ppv = nullptr, E_NOINTERFACE;
  AddRef();
  return S_OK;
}

int SRepGridRowFactory::InsertObjectRow(ISRepClassCol* col, ISRepObject* obj, int pos) {
  if (!obj || FindObjPosByRows(obj) >= 0) return -1;
  // Rows keep the collection's order among the listed members.
  int at = 0;
  if (col) {
    for (int i = 0; i < pos; ++i) {
      ISRepObject* o = nullptr;
      if (col->Item(i, &o) == S_OK && o) {
        if (FindObjPosByRows(o) >= 0) ++at;
        o->Release();
      }
    }
  }
  if (at > GetRowCount()) at = GetRowCount();
  AddRow(at, CreateNewRow(obj));
  obj->Advise(0, this);
  return at;
}

int SRepGridRowFactory::MoveObjectRow(ISRepClassCol* col, int to) {
  if (!col) return -1;
  ISRepObject* o = nullptr;
  if (col->Item(to, &o) != S_OK || !o) return -1;
  int from = FindObjPosByRows(o);
  int at = -1;
  if (from >= 0) {
    at = 0;
    for (int i = 0; i < to; ++i) {
      ISRepObject* p = nullptr;
      if (col->Item(i, &p) == S_OK && p) {
        if (p != o && FindObjPosByRows(p) >= 0) ++at;
        p->Release();
      }
    }
    MoveRowTo(from, at);
  }
  o->Release();
  return at;
}

int SRepGridRowFactory::RemoveObjectRow(ISRepObject* obj) {
  int i = FindObjPosByRows(obj);
  if (i >= 0) {
    obj->Unadvise(this);
    RemoveRow(i);
  }
  return i;
}

HRESULT SRepGridRowFactory::OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) {
  if (AcceptsClass(obj) && ObjectMatchFilter(obj)) InsertObjectRow(col, obj, pos);
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColMove(ISRepClassCol* col, int, int to) {
  MoveObjectRow(col, to);
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColRemove(ISRepClassCol*, ISRepObject* obj) {
  RemoveObjectRow(obj);
  return S_OK;
}

HRESULT SRepGridRowFactory::OnObjColDelete(ISRepClassCol*) {
  ReleaseCollection();
  SetState(StateLoaded, false);
  while (GetRowCount() > 0) {
    SRepGridRow* row = GetRow(GetRowCount() - 1);
    if (row && row->GetObject()) row->GetObject()->Unadvise(this);
    RemoveRow(GetRowCount() - 1);
  }
  return S_OK;
}

HRESULT SRepGridRowFactory::OnChange(ISRepObject* obj, LONG id) {
  int i = FindObjPosByRows(obj);
  if (i >= 0) OnRowChanged(i, id);
  return S_OK;
}
