#include "sym/subobjects/symsubgrid.h"

#include <cstdlib>

#include "sym/render/symcanv.h"

KV_IMPLEMENT_CLASSINFO(SSymSubGrid, SObject);

SSymSubGrid::SSymSubGrid() = default;
SSymSubGrid::SSymSubGrid(const SSymRect& rect) : SSymSubsFonts(rect) {}
SSymSubGrid::~SSymSubGrid() = default;
HRESULT SSymSubGrid::Draw(SSymCanvas&) { return E_NOTIMPL; }
HRESULT SSymSubGrid::DrawOrAdjust(SSymCanvas&, int) { return E_NOTIMPL; }
void SSymSubGrid::InitializeSubSym() {}
void SSymSubGrid::AddFonts(SSymLstFonts* list) const { SSymSubsFonts::AddFonts(list); }
HRESULT SSymSubGrid::EditInPlace(SSymEditInPlaceController*, SSymView*, LONG) { return 1; }
HRESULT SSymSubGrid::IsEditableInPlace(SSymEditInPlaceController*, SSymView*, LONG) { return 1; }
int SSymSubGrid::GetFont(const SString& n, SSymFonts* o) { return SSymSubsFonts::GetFont(n, o); }
int SSymSubGrid::SetFont(const SString& n, const SSymFonts& f, int r) { return SSymSubsFonts::SetFont(n, f, r); }
int SSymSubGrid::CopyFont(const SString& n, const SSymFonts& f, int r) { return SSymSubsFonts::CopyFont(n, f, r); }
int SSymSubGrid::SetFontsColor(SSymColor) { return 0; }
void SSymSubGrid::Redraw() {}
void SSymSubGrid::OnAddRow(unsigned long, SLibGridRow*) {}
int SSymSubGrid::GetVisibleRowCount() const { return 0; }
HRESULT SSymSubGrid::DrawOrAdjustGrid(SSymCanvas&, int) { return E_NOTIMPL; }
HRESULT SSymSubGrid::DrawOrAdjustGridNameColumn(SSymCanvas&, int, SSymRect&, int, SSymSubGridCol*, int) { return E_NOTIMPL; }
HRESULT SSymSubGrid::DrawOrAdjustGridColumn(SSymCanvas&, int, SSymRect&, int, SSymSubGridCol*) { return E_NOTIMPL; }
HRESULT SSymSubGrid::DrawOrAdjustIconGridColumn(SSymCanvas&, int, SSymRect&, int, int*) { return E_NOTIMPL; }
HRESULT SSymSubGrid::DrawIcon(SSymCanvas&, SSymRect&, const SSymListPt*) { return 1; }
ISRepObject* SSymSubGrid::GetSubObjWithPt(const SSymCanvas&, SSymPoint&, SSymSelSubSymData&) { return nullptr; }
ISRepObject* SSymSubGrid::GetNeighbourRowObject(int, ISRepObject*, SSymSelSubSymData&) { return nullptr; }
const SSymFonts* SSymSubGrid::_GetRowFonts(const SString&) const { return &m_fonts; }
int SSymSubGrid::_GetRowFontsEx(const SString&, SSymFonts*) const { return 0; }
int SSymSubGrid::_SetRowFonts(const SString&, const SSymFonts&) { return 0; }
int SSymSubGrid::_CopyRowFonts(const SString&, const SSymFonts&) { return 0; }
int SSymSubGrid::_AddRowFonts(const SString&, const SSymFonts&) { return 0; }
void SSymSubGrid::SetSubObjFont(ISRepObject*, SSymFonts*) {}
void SSymSubGrid::SetSubObjDisp(ISRepObject*, int) {}
SSymSubGridRowFactory* SSymSubGrid::GetSubGridRowFactory() const { return dynamic_cast<SSymSubGridRowFactory*>(GetRowFactory()); }
SSymSubGridColFactory* SSymSubGrid::GetSubGridColFactory() const { return dynamic_cast<SSymSubGridColFactory*>(GetColFactory()); }
SSymSubGridCol* SSymSubGrid::GetNameColumn(unsigned long*) const { return nullptr; }
void* SSymSubGrid::QueryFamily(REFIID iid) { return SSymSubsFonts::QueryFamily(iid); }
int SSymSubGrid::TextHeight(SSymCanvas& canvas, const SSymFont& font) { return std::abs(canvas.GetTextHeight(SString(u"a"), font)); }
HRESULT SSymSubGrid::DrawOrAdjustBox(SSymCanvas&, int, int) { return 0; }
