#include "sym/subobjects/symsubgridrow.h"

#include <cstdlib>

#include "kvcore/sexception.h"
#include "kvrep/srepattredit.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/subobjects/symsubgrid.h"

// ---- rows and columns --------------------------------------------------------------------------
void* SSymSubGridRow::operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw SEOutOfMemory("void *__cdecl SSymSubGridRow::operator new(unsigned int)", "sym/h/symgrid", 57);
  return p;
}

void SSymSubGridRow::operator delete(void* p) noexcept { std::free(p); }

void* SSymSubGridCol::operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw SEOutOfMemory("void *__cdecl SSymSubGridCol::operator new(unsigned int)", "sym/h/symgrid", 100);
  return p;
}

void SSymSubGridCol::operator delete(void* p) noexcept { std::free(p); }

namespace {

// The texts of the two boolean values, built once: a cell compares the
// editor's text of its value with them.
const SString& BoolText(bool value) {
  static const SString texts[2] = {SRepVariant::Bool(false).GetAsText(), SRepVariant::Bool(true).GetAsText()};
  return texts[value ? 1 : 0];
}

}  // namespace

HRESULT SSymSubGridRow::GetValue(const SLibGridCol* col, SString& text) const {
  HRESULT hr = SRepGridRow::GetValue(col, text);
  if (FAILED(hr)) return hr;
  auto* repCol = dynamic_cast<const SRepGridCol*>(col);
  SRepAttrEditor* editor = repCol ? repCol->GetEditor() : nullptr;
  if (!editor || text.IsEmpty()) return S_OK;
  const LONG id = editor->GetAttrId();
  if (SRepAttrTypeKind(editor->GetAttrType()) == SRepAttrType_Bool) {
    SRepVariant value;
    bool on = false;
    if (SRepGridRow::GetValue(col, value) == S_OK) on = value.GetAsText() == BoolText(true);
    if (!on) {
      // A false value shows nothing.
      text.Empty();
      return S_OK;
    }
    // A true value shows the attribute's display name when the extended
    // attributes describe it.
    text = BoolText(true);
    if (SRepExaIntf* exa = SRepExaIntf::GetExaIntf()) {
      if (const SRepExaRecord* rec = exa->Find(SRepGetExtClsid(GetObject(), id), id)) text = rec->GetText(1);
    }
  }
  if (id == SSymSubGridAttr::Stereotype && !text.IsEmpty()) text = SString(u"<<") + text + SString(u">>");
  return S_OK;
}

// ---- row factory -------------------------------------------------------------------------------
namespace {

CLSID ClassOf(ISRepObject* obj) {
  CLSID clsid = GUID_NULL;
  if (obj) obj->GetCLSID(&clsid);
  return clsid;
}

}  // namespace

SSymSubGridRowFactory::SSymSubGridRowFactory(SLibGrid* grid, ISRepObject* obj, LONG colId, const GUID* listed)
    : SRepGridRowFactory(grid, obj, ClassOf(obj), colId, listed) {
  if (auto* subGrid = dynamic_cast<SSymSubGrid*>(grid)) m_pDefaultFonts = subGrid->GetOwnFontsEntry();
  EnableFilter(1);
}

SSymSubGridRowFactory::~SSymSubGridRowFactory() = default;

SSymSubGrid* SSymSubGridRowFactory::GetSubGrid() const { return dynamic_cast<SSymSubGrid*>(GetGrid()); }

bool SSymSubGridRowFactory::IsListed(ISRepObject* obj) const {
  // One test for loading and for live insertion, so that a row that
  // appears while the model is edited is also there after a reload.
  return AcceptsClass(obj);
}

void SSymSubGridRowFactory::Initialize() {
  if (!HasState(StateFilterInit)) {
    InitRowFilter();
    SetState(StateFilterInit, true);
  }
  ISRepObject* obj = GetRepObject();
  if (!obj) return;
  ISRepClassCol* col = nullptr;
  if (SUCCEEDED(obj->GetCollection(GetDISPID(), &col)) && col) {
    int index = 0;
    for (LONG i = 0, n = col->GetCount(); i < n; ++i) {
      ISRepObject* child = nullptr;
      if (col->Item(i, &child) != S_OK || !child) continue;
      if (IsListed(child) && FindObjPosByRows(child) < 0) {
        std::unique_ptr<SRepGridRow> made = CreateNewRow(child);
        if (!made)
          throw SException("void __thiscall SSymSubGridRowFactory::Initialize(void)", "sym/src/symgrid", 394);
        SRepGridRow* row = made.get();
        AddRow(index, std::move(made));
        child->Advise(0, this);
        ApplyRowFilter(static_cast<unsigned long>(index), row);
        ChangeRowStyle(static_cast<unsigned long>(index), row);
        ++index;
      }
      child->Release();
    }
    col->Release();
  }
  SetState(StateLoaded, true);
}

std::unique_ptr<SRepGridRow> SSymSubGridRowFactory::CreateNewRow(ISRepObject* obj) {
  return std::unique_ptr<SRepGridRow>(new SSymSubGridRow(obj));
}

int SSymSubGridRowFactory::ApplyRowFilter(unsigned long, SLibGridRow* row) {
  auto* r = dynamic_cast<SSymSubGridRow*>(row);
  if (!r || !r->GetObject()) return 0;
  const int visible = !IsFilterEnabled() || MatchFilter(r->GetObject(), m_filter) ? 1 : 0;
  const int changed = visible != r->m_bVisible ? 1 : 0;
  r->m_bVisible = visible;
  return changed;
}

int SSymSubGridRowFactory::ChangeInContext() const {
  ISRepSession* session = GetSession();
  SComOut<ISRepSession> targetSession;
  ISRepObject* obj = GetRepObject();
  if (obj && obj->IsShortcut()) {
    SComOut<ISRepShortcut> shortcut;
    if (SUCCEEDED(obj->QueryInterface(IID_ISRepShortcut, reinterpret_cast<void**>(&shortcut))) && shortcut) {
      SComOut<ISRepObject> target;
      if (shortcut->GetTarget(&target) == S_OK && target && target->GetSession(&targetSession) == S_OK)
        session = targetSession.Get();
    }
  }
  if (!session) return 1;
  ISRepContext* ctx = SRepGetUndoContext(session);
  if (!ctx) return 1;
  // A context that defers its changes (a lockout) applies them later, when
  // the notifications come again; every other context applies them now.
  return SRepGetContextKind(ctx) == 1 ? 0 : 1;
}

HRESULT SSymSubGridRowFactory::OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) {
  // Before the first load the rows come from the collection itself.
  if (!IsAttached() || !HasState(StateLoaded) || !ChangeInContext()) return S_OK;
  if (!IsListed(obj)) return S_OK;
  const int index = InsertObjectRow(col, obj, pos);
  SSymSubGridRow* row = GetSubGridRow(index);
  if (!row) return S_OK;
  ApplyRowFilter(static_cast<unsigned long>(index), row);
  ChangeRowStyle(static_cast<unsigned long>(index), row);
  SSymSubGrid* grid = GetSubGrid();
  if (!SRepGetUndoContext(GetSession()) && grid && grid->m_nRowDisplayState != 0) row->m_bDisplayed = 0;
  return S_OK;
}

HRESULT SSymSubGridRowFactory::OnObjColMove(ISRepClassCol* col, int, int to) {
  if (!IsAttached() || !ChangeInContext()) return S_OK;
  const int index = MoveObjectRow(col, to);
  SSymSubGridRow* row = GetSubGridRow(index);
  if (!row) return S_OK;
  LONG attr = SSymSubGridAttr::DisplayName;
  SSymSubGrid* grid = GetSubGrid();
  if (grid && grid->GetColCount() > 0) {
    if (auto* first = dynamic_cast<SRepGridCol*>(grid->GetGridCol(0))) attr = first->GetAttrId();
  }
  OnChange(row->GetObject(), attr);
  return S_OK;
}

HRESULT SSymSubGridRowFactory::OnObjColRemove(ISRepClassCol*, ISRepObject* obj) {
  if (!IsAttached() || !ChangeInContext()) return S_OK;
  ISRepSession* session = GetSession();
  const bool relayout = HasState(StateLoaded) && session && !session->IsHandlingSuppressed();
  RemoveObjectRow(obj);
  SSymSubGrid* grid = GetSubGrid();
  if (grid && grid->m_nRowDisplayState == 2) {
    int displayed = 0, rows = 0;
    for (int i = 0; i < GetRowCount(); ++i) {
      SSymSubGridRow* row = GetSubGridRow(i);
      if (!row) continue;
      ++rows;
      if (row->m_bDisplayed) ++displayed;
    }
    if (displayed == rows) grid->m_nRowDisplayState = 0;
    else if (displayed == 0) grid->m_nRowDisplayState = 1;
  }
  if (relayout && grid) grid->OnResize();
  return S_OK;
}

HRESULT SSymSubGridRowFactory::OnObjColDelete(ISRepClassCol* col) {
  if (!IsAttached() || !ChangeInContext()) return S_OK;
  return SRepGridRowFactory::OnObjColDelete(col);
}

HRESULT SSymSubGridRowFactory::OnChange(ISRepObject* obj, LONG id) {
  if (HasState(StateSuspended) || !IsAttached() || !ChangeInContext()) return S_OK;
  SSymSubGrid* grid = GetSubGrid();
  bool redraw = false, resize = false;
  if (obj && HasRowFilter(id)) {
    const int index = FindObjPosByRows(obj);
    if (SSymSubGridRow* row = GetSubGridRow(index)) {
      if (ApplyRowFilter(static_cast<unsigned long>(index), row)) redraw = resize = true;
      ChangeRowStyle(static_cast<unsigned long>(index), row);
    }
  }
  const unsigned long cols = grid ? grid->GetColCount() : 0;
  for (unsigned long c = 0; c < cols; ++c) {
    auto* col = dynamic_cast<SSymSubGridCol*>(grid->GetGridCol(c));
    if (!col) continue;
    const LONG attr = col->GetAttrId();
    if (id != 0 && attr != 0 && attr != id) continue;
    redraw = true;
    int longest = -1, best = -1;
    for (int r = 0; r < GetRowCount(); ++r) {
      SSymSubGridRow* row = GetSubGridRow(r);
      if (!row || !row->m_bVisible) continue;
      SString text;
      col->OnGetValue(row, text);
      if (text.GetLength() > best) {
        best = text.GetLength();
        longest = r;
      }
      if (id == 0 && obj && row->GetObject() == obj) break;
    }
    if (longest >= 0) col->m_nLongestRow = longest;
    if (best > 0) resize = true;
  }
  if (HasState(StateLoaded) && grid) {
    if (resize) grid->OnResize();
    if (redraw) grid->Redraw();
  }
  return S_OK;
}

// ---- column factory ----------------------------------------------------------------------------
SSymSubGridColFactory::SSymSubGridColFactory(SLibGrid* grid, ISRepObject* obj, LONG colId, const GUID& listed,
                                             const STableDumb<long>& ids)
    : SRepGridColFactory(grid, ClassOf(obj), colId, listed, SString()), m_ids(ids) {}

void SSymSubGridColFactory::Initialize() {
  if (GetColCount() > 0) return;  // made once
  SRepRegistry* reg = SRepRegistry::Find(GetCLSID());
  if (!reg) return;
  for (long id : m_ids) {
    if (id == SSymSubGridAttr::Hidden) continue;
    SRepAttrEditor* editor = reg->GetAttrEditor(static_cast<LONG>(id));
    if (!editor) continue;
    std::unique_ptr<SSymSubGridCol> col(new SSymSubGridCol(editor));
    if (!col) throw SException("void __thiscall SSymSubGridColFactory::Initialize(void)", "sym/src/symgrid", 287);
    SGridColConf conf;
    conf.m_nIndex = GetColCount();
    conf.m_nWidth = 60;
    conf.m_nMinWidth = 60;
    conf.m_nFlags = SGridColConf::DefaultFlags;
    conf.m_nCtrlType = GetColCtrlType(editor);
    col->m_nCtrlType = conf.m_nCtrlType;
    col->m_nWord1 = 1;
    col->m_nWord2 = 1;
    col->m_nGap = 600;
    SLibGridColFactory::AddCol(std::move(col), conf);
  }
}
