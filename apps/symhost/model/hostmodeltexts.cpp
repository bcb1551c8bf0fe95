// The compartments of an entity symbol that show the model: the title
// bound to the entity's Name, and one text per attribute, bound to the
// attribute: its name and type through a multi-attribute text, or, for an
// attribute that refers to another entity, that entity's name in front of
// its own through a child-object text.
#include "apps/symhost/model/hostmodelsyms.h"
#include "sym/subobjects/symsubchild.h"
#include "sym/subobjects/symsubmulti.h"
#include "sym/subobjects/symsubtitle.h"

namespace {
using namespace SHostId;
}  // namespace

SSymSubText* SHostAddTitleText(SHostEntitySym* symbol, ISRepObject* entity) {
  if (!symbol || !entity) return nullptr;
  return symbol->AddCompartment(new SSymSubSymTitle(entity, Name), 1, 0x212, SSymFont::Bold);
}

SSymSubText* SHostAddAttributeText(SHostEntitySym* symbol, ISRepObject* attribute) {
  if (!symbol || !attribute) return nullptr;
  SRepVariant reference;
  const bool refers = attribute->GetAttribute(References, &reference) == S_OK && reference.GetIOBJECT();
  if (refers)
    return symbol->AddCompartment(new SSymSubChildObjText(attribute, References, Name), 0, 0x211, SSymFont::Normal);
  STable<SSymAttrData> shown;
  shown.Add(SSymAttrData(Name));
  shown.Add(SSymAttrData(DataType));
  auto* text = new SSymSubObjTextMulti(attribute, shown);
  // "name : type"; an attribute without a type shows its name alone.
  SStringTable format;
  format.Add(SString(u"%s"));
  format.Add(SString(u" : %s"));
  text->SetFormat(&format);
  return symbol->AddCompartment(text, 0, 0x211, SSymFont::Normal);
}

SSymSubGrid* SHostAddAttributeGrid(SHostEntitySym* symbol, ISRepObject* entity, LONG maxRows) {
  if (!symbol || !entity) return nullptr;
  // A column glyph in the icon's 100 x 100 box: a frame with two rules.
  static const SSymListPt icon{{15, 10}, {85, 10}, {85, 90}, {15, 90}, {15, 10}, {-1, -1}, {15, 63},
                               {85, 63}, {-1, -1}, {15, 36}, {85, 36}};
  auto* grid = new SSymSubGrid();
  grid->AddRef();
  grid->SetParent(static_cast<ISSymSubSink*>(symbol), false);
  grid->_SetKind(0);
  grid->_SetFont(SSymFont(SString(u"Arial"), 8));
  auto* rows = new SSymSubGridRowFactory(grid, entity, Attributes, &CLSID_SHostAttribute);
  grid->SetRowFactory(rows);
  STableDumb<long> shown;
  shown.Add(Name);
  shown.Add(DataType);
  auto* cols = new SSymSubGridColFactory(grid, entity, Attributes, CLSID_SHostAttribute, shown);
  grid->SetColFactory(cols);
  cols->Initialize();
  grid->SetIcon(&icon);
  if (maxRows > 0) {
    grid->m_nDisplayMode = SSymSubGrid::ModeRowLimit;
    grid->SetMaxRowCount(maxRows);
  }
  symbol->m_group.Add(grid);
  // The key, the first attribute, in bold.
  rows->Initialize();
  if (SSymSubGridRow* first = rows->GetSubGridRow(0)) {
    SSymFonts key;
    key.m_font = SSymFont(SString(u"Arial"), 8, SSymFont::Bold);
    grid->SetSubObjFont(first->GetObject(), &key);
  }
  grid->InitializeSubSym();
  return grid;
}

// ---- the entity's list of attributes ----------------------------------------------------------
void SHostEntitySym::WatchAttributes(ISRepObject* entity) { m_watch.Start(entity); }

void SHostEntitySym::AttributeWatch::Start(ISRepObject* entity) {
  SComOut<ISRepClassCol> col;
  if (entity && !entity->IsDeleted()) entity->GetCollection(Attributes, &col);
  if (col.Get() == m_col) return;
  Stop();
  if (!col || FAILED(col->Advise(this))) return;
  m_col = col.Detach();
}

void SHostEntitySym::AttributeWatch::Stop() {
  if (!m_col) return;
  ISRepClassCol* col = m_col;
  m_col = nullptr;
  col->Unadvise(this);
  col->Release();
}

HRESULT SHostEntitySym::AttributeWatch::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_ISRepClassColSink) return E_NOINTERFACE;
  *out = static_cast<ISRepClassColSink*>(this);
  return S_OK;
}

void SHostEntitySym::AttributeWatch::Rebuild() {
  // Building anew starts the watch again on the same collection: nothing
  // to do there while this runs.
  if (m_rebuilding) return;
  m_rebuilding = true;
  m_owner->Redraw(nullptr);
  SHostBuildEntitySymbol(m_owner, SHostBoundObject(m_owner->Obj()));
  m_owner->Redraw(nullptr);
  m_rebuilding = false;
}

HRESULT SHostEntitySym::AttributeWatch::OnObjColInsert(ISRepClassCol*, ISRepObject*, int) {
  Rebuild();
  return S_OK;
}
HRESULT SHostEntitySym::AttributeWatch::OnObjColMove(ISRepClassCol*, int, int) {
  Rebuild();
  return S_OK;
}
HRESULT SHostEntitySym::AttributeWatch::OnObjColRemove(ISRepClassCol*, ISRepObject*) {
  Rebuild();
  return S_OK;
}
HRESULT SHostEntitySym::AttributeWatch::OnObjColDelete(ISRepClassCol*) {
  // The entity goes: its title lets it go; the list is no longer heard.
  Stop();
  return S_OK;
}
