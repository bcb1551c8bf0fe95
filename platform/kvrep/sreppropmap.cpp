#include "kvrep/sreppropmap.h"

#include "kvrep/srepobject.h"

KV_IMPLEMENT_DYNCREATE(SRepAttrEditor, SObject);
KV_IMPLEMENT_DYNCREATE(SRepAttrEditorColor, SRepAttrEditor);
KV_IMPLEMENT_DYNCREATE(SRepAttrEditorObject, SRepAttrEditor);

SPropertyEntry SRepObject::propertyEntries[] = {{0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap SRepObject::propertyMap = {nullptr, SRepObject::propertyEntries};
SAttrEditorEntry SRepObject::attrEditorEntries[] = {{0, nullptr}};
const SAttrEditorMap SRepObject::attrEditorMap = {nullptr, SRepObject::attrEditorEntries};

SAttrEditorEntry SRepObjectBaseRegistry::attrEditorEntries[] = {{0, nullptr}};
const SAttrEditorMap SRepObjectBaseRegistry::attrEditorMap = {
    []() -> const SAttrEditorMap* { return &SRepObject::attrEditorMap; }, SRepObjectBaseRegistry::attrEditorEntries};

const SPropertyEntry* SRepFindProperty(const SPropertyMap* map, DWORD id) {
  if (id == 0) return nullptr;
  for (int depth = 0; map && depth < 256; ++depth) {
    if (map->entries)
      for (const SPropertyEntry* e = map->entries; e->id != 0; ++e)
        if (e->id == id) return e;
    map = map->base ? map->base() : nullptr;
  }
  return nullptr;
}

const SClassInfo* SRepFindAttrEditor(const SAttrEditorMap* map, DWORD id) {
  if (id == 0) return nullptr;
  for (int depth = 0; map && depth < 256; ++depth) {
    if (map->entries)
      for (const SAttrEditorEntry* e = map->entries; e->id != 0; ++e)
        if (e->id == id) return e->editor;
    map = map->base ? map->base() : nullptr;
  }
  return nullptr;
}

SString SRepAttrEditorColor::GetText(const SRepVariant& value) const {
  if (!value.IsIntegerKind()) return value.GetAsText();
  DWORD c = value.GetFLAGS();
  return SString::Format("%02X%02X%02X", static_cast<unsigned>(c & 0xFF), static_cast<unsigned>((c >> 8) & 0xFF),
                         static_cast<unsigned>((c >> 16) & 0xFF));
}

SString SRepAttrEditorObject::GetText(const SRepVariant& value) const {
  if (value.GetType() != SRepVT_IOBJECT) return value.GetAsText();
  return value.GetAsText();
}

namespace {
HRESULT IntOf(const SRepVariant& v, std::int64_t& out) {
  if (!v.IsIntegerKind()) return DISP_E_TYPEMISMATCH;
  out = v.GetINT64();
  return S_OK;
}
// An integer value stored in a narrower integer (truncated) or a flag.
template <class T>
HRESULT NarrowInt(const SRepVariant& v, T& out) {
  std::int64_t i = 0;
  HRESULT hr = IntOf(v, i);
  if (SUCCEEDED(hr)) out = static_cast<T>(i);
  return hr;
}
}  // namespace

HRESULT SRepFromVariant(const SRepVariant& v, LONG& out) { return NarrowInt(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, SHORT& out) { return NarrowInt(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, BYTE& out) { return NarrowInt(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, DWORD& out) { return NarrowInt(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, bool& out) { return NarrowInt(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, std::int64_t& out) { return IntOf(v, out); }
HRESULT SRepFromVariant(const SRepVariant& v, SString& out) {
  if (v.GetType() != SRepVT_STRING && v.GetType() != SRepVT_TEXT) return DISP_E_TYPEMISMATCH;
  out = v.GetSTRING();
  return S_OK;
}
HRESULT SRepFromVariant(const SRepVariant& v, std::vector<std::uint8_t>& out) {
  if (v.GetType() != SRepVT_BINARY) return DISP_E_TYPEMISMATCH;
  out = v.GetBINARY();
  return S_OK;
}
HRESULT SRepFromVariant(const SRepVariant& v, SRep_Point& out) {
  if (v.GetType() != SRepVT_POINT) return DISP_E_TYPEMISMATCH;
  out = v.GetPOINT();
  return S_OK;
}
HRESULT SRepFromVariant(const SRepVariant& v, SRep_Rect& out) {
  if (v.GetType() != SRepVT_RECT) return DISP_E_TYPEMISMATCH;
  out = v.GetRECT();
  return S_OK;
}
HRESULT SRepFromVariant(const SRepVariant& v, SRep_PtList& out) {
  if (v.GetType() != SRepVT_PTLIST) return DISP_E_TYPEMISMATCH;
  out = v.GetPLst();
  return S_OK;
}
HRESULT SRepFromVariant(const SRepVariant& v, SRepOID_& out) {
  if (v.GetType() != SRepVT_OID) return DISP_E_TYPEMISMATCH;
  out = v.GetOID();
  return S_OK;
}
