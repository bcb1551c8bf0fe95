#include "sym/foundation/sympropmap.h"

#include <cstdio>

#include "kvrep/srepobject.h"

namespace {
// A record class has no property map of its own here.
constexpr bool IsRecordClass(int c) { return g_symClasses[c].mapBase == SYMCLS_RepSRepObjectBase; }

template <int C>
const SPropertyMap* PropertyBase() {
  constexpr int b = g_symClasses[C].mapBase;
  if constexpr (b >= 0)
    return SSymGetPropertyMap(b);
  else
    return &SRepObject::propertyMap;
}
template <int C>
const SAttrEditorMap* EditorBase() {
  constexpr int b = g_symClasses[C].mapBase;
  if constexpr (b >= 0)
    return SSymGetAttrEditorMap(b);
  else if constexpr (b == SYMCLS_RepSRepObjectBase)
    return &SRepObjectBaseRegistry::attrEditorMap;
  else
    return &SRepObject::attrEditorMap;
}

constexpr const SClassInfo* EditorClass(SSymDesc::Editor editor) {
  switch (editor) {
    case SSymDesc::Ed_PLAIN: return &SRepAttrEditor::__clsinf;
    case SSymDesc::Ed_COLOR: return &SRepAttrEditorColor::__clsinf;
    case SSymDesc::Ed_OBJECT: return &SRepAttrEditorObject::__clsinf;
    case SSymDesc::Ed_NONE: break;
  }
  return nullptr;
}

// The own property entries of class C in slot order, then the end entry.
template <int C>
constexpr auto MakePropertyEntries() {
  std::array<SPropertyEntry, sym_detail::OwnPropertyCount(C) + 1> entries{};
  for (const auto& r : sym_detail::kMapRows)
    if (!r.classRow && r.cls == C && r.slot >= 0)
      entries[static_cast<std::size_t>(r.slot)] = SPropertyEntry{
          r.id, SSymDesc::LengthOf(r.type), r.type, nullptr, SSymDesc::MapFlags(r.store), nullptr, nullptr};
  return entries;
}
// The own editor entries of class C in description order, then the end entry.
template <int C>
constexpr auto MakeEditorEntries() {
  std::array<SAttrEditorEntry, sym_detail::OwnEditorCount(C) + 1> entries{};
  std::size_t n = 0;
  for (const auto& r : sym_detail::kMapRows)
    if (!r.classRow && r.cls == C && r.editor != SSymDesc::Ed_NONE) entries[n++] = {r.id, EditorClass(r.editor)};
  return entries;
}
}  // namespace

template <int C>
constinit std::array<SPropertyEntry, sym_detail::OwnPropertyCount(C) + 1> SSymClassMaps<C>::propertyEntries =
    MakePropertyEntries<C>();
template <int C>
constinit const SPropertyMap SSymClassMaps<C>::propertyMap = {&PropertyBase<C>, SSymClassMaps<C>::propertyEntries.data()};
template <int C>
constinit std::array<SAttrEditorEntry, sym_detail::OwnEditorCount(C) + 1> SSymClassMaps<C>::attrEditorEntries =
    MakeEditorEntries<C>();
template <int C>
constinit const SAttrEditorMap SSymClassMaps<C>::attrEditorMap = {&EditorBase<C>,
                                                                  SSymClassMaps<C>::attrEditorEntries.data()};

#define KV_SYM_INSTANTIATE_MAPS(cls) template struct SSymClassMaps<SYMCLS_##cls>;
KV_SYM_CLASSES(KV_SYM_INSTANTIATE_MAPS)
#undef KV_SYM_INSTANTIATE_MAPS

// ---- lookup --------------------------------------------------------------------------
namespace {
struct ClassMaps {
  const SPropertyMap* properties;
  const SAttrEditorMap* editors;
  SPropertyEntry* own;
};

template <int... C>
constexpr std::array<ClassMaps, sizeof...(C)> MakeMapTable(std::integer_sequence<int, C...>) {
  return {ClassMaps{IsRecordClass(C) ? nullptr : &SSymClassMaps<C>::propertyMap, &SSymClassMaps<C>::attrEditorMap,
                    SSymClassMaps<C>::propertyEntries.data()}...};
}
constinit const std::array<ClassMaps, SYMCLS_Count> kMapTable =
    MakeMapTable(std::make_integer_sequence<int, SYMCLS_Count>{});

SPropertyEntry* OwnEntry(int c, DWORD id) {
  if (c < 0 || c >= SYMCLS_Count || id == 0) return nullptr;
  SPropertyEntry* e = kMapTable[static_cast<std::size_t>(c)].own;
  for (; e && e->id != 0; ++e)
    if (e->id == id) return e;
  return nullptr;
}
}  // namespace

const SPropertyMap* SSymGetPropertyMap(int c) {
  return c >= 0 && c < SYMCLS_Count ? kMapTable[static_cast<std::size_t>(c)].properties : nullptr;
}
const SAttrEditorMap* SSymGetAttrEditorMap(int c) {
  return c >= 0 && c < SYMCLS_Count ? kMapTable[static_cast<std::size_t>(c)].editors : nullptr;
}
const SPropertyMap* SSymGetPropertyMap(REFCLSID clsid) { return SSymGetPropertyMap(SSymFindClassIndex(clsid)); }
const SAttrEditorMap* SSymGetAttrEditorMap(REFCLSID clsid) { return SSymGetAttrEditorMap(SSymFindClassIndex(clsid)); }

bool SSymSetPropertyField(int c, DWORD id, const SRepField* field) {
  SPropertyEntry* e = OwnEntry(c, id);
  if (!e) return false;
  e->field = field;
  return true;
}
bool SSymSetPropertyAccessors(int c, DWORD id, SRepGetter getter, SRepSetter setter) {
  SPropertyEntry* e = OwnEntry(c, id);
  if (!e) return false;
  e->getter = getter;
  e->setter = setter;
  return true;
}

const char* SSymAttributeCode(int c, DWORD id) {
  for (const auto& r : sym_detail::kMapRows)
    if (!r.classRow && r.cls == c && r.id == id) return r.code;
  return nullptr;
}

// ---- the load-time self-check ---------------------------------------------------------
namespace {
bool IsBound(const SPropertyEntry& e) {
  if (e.flags == SProp_Field) return e.field != nullptr;
  if (e.flags == SProp_Getter) return e.getter != nullptr;
  return e.getter != nullptr && e.setter != nullptr;
}

std::string Hex(DWORD id) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(id));
  return buf;
}
}  // namespace

std::vector<std::string> SSymCheckClassBindings() {
  std::vector<std::string> faults;
  for (int c = 0; c < SYMCLS_Count; ++c) {
    if (!SSymIsClassRegistered(c) || IsRecordClass(c)) continue;
    const std::string name = g_symClasses[c].name;
    for (int k = c; k >= 0; k = g_symClasses[k].mapBase) {
      if (k != c && !SSymIsClassRegistered(k))
        faults.push_back(name + ": its map base " + g_symClasses[k].name + " is not registered");
      for (const SPropertyEntry* e = kMapTable[static_cast<std::size_t>(k)].own; e->id != 0; ++e) {
        if (IsBound(*e)) continue;
        const char* code = SSymAttributeCode(k, e->id);
        std::string line = name + ": attribute " + (code ? code : "?") + " (" + Hex(e->id) + ")";
        if (k != c) line += std::string(" of ") + g_symClasses[k].name;
        faults.push_back(line + " is declared but not bound");
      }
    }
  }
  return faults;
}
