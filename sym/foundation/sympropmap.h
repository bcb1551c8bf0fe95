// The property maps and attribute-editor maps of the library's persistent
// classes: per class, the entries (member id, length, type code, flags,
// editor class) and the chain to the base class's maps, ending at the
// repository's root maps. Entries and chains are made from the class
// descriptions (symclassdesc.h); the accessors are bound at start-up by each
// class's registration (KV_SYM_REGISTER below), and a self-check at load
// refuses a registered class with an attribute left unbound.
//
// The maps of class C are SymMap::C::propertyMap and SymMap::C::attrEditorMap;
// the class answers their addresses from GetPropertyMap and GetAttrEditorMap.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "kvrep/sreppropmap.h"
#include "sym/foundation/symclassreg.h"

// ---- the rows of the descriptions, as the maps read them ------------------------------
namespace sym_detail {
struct SSymMapRow {
  int cls;            // class index
  bool classRow;      // the row that opens a class
  const char* code;   // attribute code, or class name on a class row
  std::uint32_t id;   // member id
  SSymDesc::Type type;
  SSymDesc::Store store;
  int slot;  // position in the class's property map, -1 for none
  SSymDesc::Editor editor;
};

#define KV_SYM_MAPROW_K(cls, ...) SSymMapRow{SYMCLS_##cls, true, #cls, 0, {}, {}, -1, {}},
#define KV_SYM_MAPROW_A(konst, code, name, id, type, store, slot, def, editor, objClass, list, ...) \
  SSymMapRow{-1, false, #code, id, SSymDesc::T_##type, SSymDesc::S_##store, slot, SSymDesc::Ed_##editor},
#define KV_SYM_MAPROW_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_MAPROW_K, KV_SYM_MAPROW_A, KV_SYM_MAPROW_A, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
inline constexpr SSymMapRow kRawMapRows[] = {KV_SYM_CLASSES(KV_SYM_MAPROW_CLASS)};
#undef KV_SYM_MAPROW_CLASS
#undef KV_SYM_MAPROW_A
#undef KV_SYM_MAPROW_K

// The rows with each attribute row given the class of the class row before it.
inline constexpr auto kMapRows = [] {
  std::array<SSymMapRow, std::size(kRawMapRows)> rows{};
  int cls = -1;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i] = kRawMapRows[i];
    if (rows[i].classRow)
      cls = rows[i].cls;
    else
      rows[i].cls = cls;
  }
  return rows;
}();

constexpr int OwnPropertyCount(int c) {
  int n = 0;
  for (const SSymMapRow& r : kMapRows) n += !r.classRow && r.cls == c && r.slot >= 0 ? 1 : 0;
  return n;
}
constexpr int OwnEditorCount(int c) {
  int n = 0;
  for (const SSymMapRow& r : kMapRows) n += !r.classRow && r.cls == c && r.editor != SSymDesc::Ed_NONE ? 1 : 0;
  return n;
}

// Each class's slots number its property-map entries 0..n-1, once each, and
// no member id appears twice among them. A class's rows follow its class row.
constexpr bool SlotsAreAPermutation() {
  for (std::size_t i = 0; i < kMapRows.size(); ++i) {
    const SSymMapRow& a = kMapRows[i];
    if (a.classRow || a.slot < 0) continue;
    if (a.slot >= OwnPropertyCount(a.cls)) return false;
    for (std::size_t j = i + 1; j < kMapRows.size() && !kMapRows[j].classRow; ++j) {
      const SSymMapRow& b = kMapRows[j];
      if (b.slot >= 0 && (b.slot == a.slot || b.id == a.id)) return false;
    }
  }
  return true;
}
static_assert(SlotsAreAPermutation(), "a class description numbers its property-map slots wrongly");
}  // namespace sym_detail

// ---- the maps -----------------------------------------------------------------------
// The maps of the class of index C. A record class (map base
// RepSRepObjectBase: the diagram, the picture file) has no property entries;
// its editor map chains to the repository's record map.
template <int C>
struct SSymClassMaps {
  static std::array<SPropertyEntry, sym_detail::OwnPropertyCount(C) + 1> propertyEntries;
  static const SPropertyMap propertyMap;
  static std::array<SAttrEditorEntry, sym_detail::OwnEditorCount(C) + 1> attrEditorEntries;
  static const SAttrEditorMap attrEditorMap;
};

// Defined and instantiated once, in sympropmap.cpp.
#define KV_SYM_EXTERN_MAPS(cls) extern template struct SSymClassMaps<SYMCLS_##cls>;
KV_SYM_CLASSES(KV_SYM_EXTERN_MAPS)
#undef KV_SYM_EXTERN_MAPS

namespace SymMap {
#define KV_SYM_MAP_ALIAS(cls) using cls = SSymClassMaps<SYMCLS_##cls>;
KV_SYM_CLASSES(KV_SYM_MAP_ALIAS)
#undef KV_SYM_MAP_ALIAS
}  // namespace SymMap

// The record maps of the diagram's and the picture file's class records.
using SSymDiagramRegistry = SSymClassMaps<SYMCLS_SSymDiagram>;
using SSymPictureFileRegistry = SSymClassMaps<SYMCLS_SSymPictureFile>;

// The maps of the class of index c (class identifier clsid). Null for an
// unknown class; the diagram and the picture file have no property map here
// and answer their record maps as attribute-editor maps.
const SPropertyMap* SSymGetPropertyMap(int c);
const SAttrEditorMap* SSymGetAttrEditorMap(int c);
const SPropertyMap* SSymGetPropertyMap(REFCLSID clsid);
const SAttrEditorMap* SSymGetAttrEditorMap(REFCLSID clsid);

// Stores the value place, or the getter and setter, of the own entry id of
// the property map of class c; false when the class's own map has no such
// entry.
bool SSymSetPropertyField(int c, DWORD id, const SRepField* field);
bool SSymSetPropertyAccessors(int c, DWORD id, SRepGetter getter, SRepSetter setter);

// The code of the attribute id that class c describes, or null.
const char* SSymAttributeCode(int c, DWORD id);

// ---- the load-time self-check ---------------------------------------------------------
// One line per fault of the registered classes: an entry along a registered
// class's map chain left without its value place or accessors (a getter-only
// entry needs its getter, the others their getter and setter), or a map base
// that did not register. Empty when every registered class is whole. The
// library runs it at attach and stops the process on any fault.
std::vector<std::string> SSymCheckClassBindings();

// ---- registration -----------------------------------------------------------------------
// A class's source binds the accessors of its own attributes by name: a
// specialisation of SSymAccessors holds one static member per attribute, named
// after the attribute's Code in the description, e.g.
//   KV_SYM_ACCESSORS(SSymSolid) {
//     KV_SYM_GETSET(FillColor, GetFillColor, SetFillColor);    // getter and setter
//     KV_SYM_FIELD(IsAutoAdjusted, m_bAutoAdjusted);           // a member variable
//     KV_SYM_THUNKS(BackgroundPictureID, &GetId, &SetId);      // ready-made thunks
//   };
//   KV_SYM_REGISTER(SSymSolid, nullptr);
// The value type of each thunk is the attribute's type in the description; a
// binding that does not fit the attribute's store (a field for an accessor
// attribute, a setter for a getter-only one) does not compile. An attribute
// without a binding is left unbound, and the self-check names it.
template <class T>
struct SSymAccessors {};
template <class T>
struct SSymAccessorsOf {
  using Self = T;
};

template <auto Member>
struct SSymBindField {
  static constexpr bool isField = true, hasSetter = true;
  template <SSymDesc::Type type>
  void Apply(int c, DWORD id) const {
    SSymSetPropertyField(c, id, &SRepFieldOf<Member, static_cast<WORD>(type)>::field);
  }
};
struct SSymBindPlace {
  static constexpr bool isField = true, hasSetter = true;
  const SRepField* field;
  template <SSymDesc::Type>
  void Apply(int c, DWORD id) const {
    SSymSetPropertyField(c, id, field);
  }
};
template <auto Getter, auto Setter>
struct SSymBindGetSet {
  static constexpr bool isField = false, hasSetter = true;
  template <SSymDesc::Type type>
  void Apply(int c, DWORD id) const {
    SSymSetPropertyAccessors(c, id, &SRepGetThunk<Getter, static_cast<WORD>(type)>, &SRepSetThunk<Setter>);
  }
};
template <auto Getter>
struct SSymBindGet {
  static constexpr bool isField = false, hasSetter = false;
  template <SSymDesc::Type type>
  void Apply(int c, DWORD id) const {
    SSymSetPropertyAccessors(c, id, &SRepGetThunk<Getter, static_cast<WORD>(type)>, nullptr);
  }
};
template <bool Setter>
struct SSymBindThunks {
  static constexpr bool isField = false, hasSetter = Setter;
  SRepGetter getter;
  SRepSetter setter;
  template <SSymDesc::Type>
  void Apply(int c, DWORD id) const {
    SSymSetPropertyAccessors(c, id, getter, setter);
  }
};

#define KV_SYM_ACCESSORS(cls) \
  template <>                 \
  struct SSymAccessors<cls> : SSymAccessorsOf<cls>
#define KV_SYM_FIELD(code, member) static constexpr SSymBindField<&Self::member> code{}
#define KV_SYM_FIELD_PLACE(code, place) static constexpr SSymBindPlace code{&place}
#define KV_SYM_GETSET(code, getter, setter) static constexpr SSymBindGetSet<&Self::getter, &Self::setter> code{}
#define KV_SYM_GET(code, getter) static constexpr SSymBindGet<&Self::getter> code{}
#define KV_SYM_THUNKS(code, getter, setter) static constexpr SSymBindThunks<true> code{getter, setter}
#define KV_SYM_GET_THUNK(code, getter) static constexpr SSymBindThunks<false> code{getter, nullptr}

namespace sym_detail {
template <SSymDesc::Type type, SSymDesc::Store store, class Binding>
void Bind(int c, DWORD id, const Binding& binding) {
  static_assert(Binding::isField == (store == SSymDesc::S_FIELD), "a field binding for an accessor attribute, or the reverse");
  static_assert(Binding::hasSetter == (store != SSymDesc::S_GET), "a setter for a getter-only attribute, or none for one that is set");
  binding.template Apply<type>(c, id);
}
}  // namespace sym_detail

#define KV_SYM_BIND_ROW(konst, code, name, id, type, store, slot, ...)                         \
  if constexpr ((slot) >= 0) {                                                                \
    if constexpr (requires { Acc::code; })                                                    \
      ::sym_detail::Bind<SSymDesc::T_##type, SSymDesc::S_##store>(c, id, Acc::code);          \
  }

// In a class's source, after its accessors: registers the class, with its
// creation function (nullptr for a class the repository must not create).
#define KV_SYM_REGISTER(cls, create)                                                                            \
  template <class Acc>                                                                                          \
  static void KvSymBind_##cls() {                                                                               \
    [[maybe_unused]] constexpr int c = SYMCLS_##cls;                                                            \
    KV_SYM_DESC_##cls(KV_SYM_SKIP, KV_SYM_BIND_ROW, KV_SYM_BIND_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)     \
  }                                                                                                             \
  [[maybe_unused]] static const bool kv_sym_registered_##cls =                                                  \
      SSymRegisterClass(SYMCLS_##cls, create, &KvSymBind_##cls<SSymAccessors<cls>>)
