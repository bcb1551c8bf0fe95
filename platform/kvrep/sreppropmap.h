// Property maps and attribute-editor maps: how the repository reaches the
// persistent attributes of a class and which editor shows each of them.
//
// A class writes its property entries as a static array ended by an entry
// of member id 0. Field entries name a member variable through
// SRepFieldOf<&Class::m_member>::field; accessor entries leave the field
// null and get their getter and setter from the class's start-up
// initialiser, e.g.
//   SPropertyEntry SMyObj::propertyEntries[] = {
//     {0x02010001, 0, SRepVT_RECT, &SRepFieldOf<&SMyObj::m_rect>::field, 0, nullptr, nullptr},
//     {0x0201001C, 0, SRepVT_LONG, nullptr, 0xC, nullptr, nullptr},
//     {0, 0, 0, nullptr, 0, nullptr, nullptr}};
//   static const bool s_init = [] {
//     SMyObj::propertyEntries[1].getter = &SRepGetThunk<&SMyObj::GetFill, SRepVT_LONG>;
//     SMyObj::propertyEntries[1].setter = &SRepSetThunk<&SMyObj::SetFill>;
//     return true; }();
//   const SPropertyMap SMyObj::propertyMap = {&BaseMapOf, SMyObj::propertyEntries};
// Value conversions go through SRepToVariant / SRepFromVariant; a class with
// value types of its own adds overloads of both beside those types.
#pragma once

#include <cstdint>
#include <type_traits>
#include <vector>

#include "kvcore/sobject.h"
#include "kvrep/srepintf.h"
#include "kvrep/srepvariant.h"

class SRepObject;

using SRepGetter = HRESULT (*)(SRepObject* obj, SRepVariant& out);
using SRepSetter = HRESULT (*)(SRepObject* obj, const SRepVariant& in);

// The place of a member variable, reached through two typed thunks.
struct SRepField {
  SRepGetter get;
  SRepSetter set;
};

// Entry flags.
enum SPropertyFlags : DWORD {
  SProp_Field = 0x0,
  SProp_Getter = 0x4,
  SProp_Setter = 0x8,
  SProp_GetSet = 0xC,
};

struct SPropertyEntry {
  DWORD id;      // member id; 0 ends the table
  WORD length;   // 254 for bounded strings, else 0
  WORD type;     // metamodel type code (SRepVarType, or 0x8003 for a named object type)
  const SRepField* field;  // the member variable, or null for accessors
  DWORD flags;
  SRepGetter getter;
  SRepSetter setter;

  bool IsField() const { return field != nullptr; }
  bool CanGet() const { return field || getter; }
  bool CanSet() const { return field || setter; }
};

struct SPropertyMap {
  const SPropertyMap* (*base)();  // null at the root
  SPropertyEntry* entries;
};

// Finds id in map, then along its base chain; null when no map has it.
const SPropertyEntry* SRepFindProperty(const SPropertyMap* map, DWORD id);

// ---- attribute editors ----------------------------------------------------
// The kind picks the in-place control that edits the attribute.
enum SRepEditorKind {
  SRepEditor_Plain = 0,
  SRepEditor_Color = 1,
  SRepEditor_Object = 2,
  SRepEditor_List = 3,  // one of a list of values
  SRepEditor_Bool = 4,  // true or false
};

class SStringTable;
struct SRepAttrPicture;
class SRepValueRelay;

// Shows one attribute: its text, its kind and whether it can be edited. The
// services that texts bound to the model call (value text, type word,
// picture, relays, list of values, free text) are defined in
// srepattredit.cpp; kvrep/srepattredit.h declares their types and the
// editors beyond the plain ones.
class SRepAttrEditor : public SObject {
  KV_DECLARE_CLASSINFO()
 public:
  // type: the attribute's metamodel type code (0 when unknown).
  void Init(LONG id, bool readOnly, WORD type = 0) {
    m_id = id;
    m_bReadOnly = readOnly;
    m_type = type;
  }
  LONG GetAttrId() const { return m_id; }
  virtual int GetKind() const { return SRepEditor_Plain; }
  virtual SString GetText(const SRepVariant& value) const { return value.GetAsText(); }
  bool IsReadOnly() const { return m_bReadOnly; }

  // The type word: the kind of value in the high half (SRepAttrType_Bool for
  // booleans), the metamodel type code in the low half.
  virtual DWORD GetAttrType() const;
  // The value text of the attribute of obj. A failure (null object, deleted
  // object, attribute the class lacks) leaves out empty and answers the
  // repository's code.
  virtual HRESULT GetValueText(ISRepObject* obj, SString& out) const;
  // The picture of the attribute's value of obj; negative when the value has
  // none (out then holds two nulls).
  virtual HRESULT GetValuePicture(ISRepObject* obj, SRepAttrPicture& out) const;
  // Non-zero when a text showing the attribute needs a relay to hear of
  // changes that do not reach the object itself.
  virtual BOOL HasRelay() const { return 0; }
  // Makes the relay for the current value of obj, telling sink; the relay
  // goes to *slot (the caller owns it). E_NOTIMPL without relays.
  virtual HRESULT CreateRelay(ISRepObject* obj, const SRepVariant& value, ISRepObjSink* sink,
                              SRepValueRelay** slot) const;
  // Appends the texts of the values the attribute may take; S_FALSE when it
  // has no list.
  virtual HRESULT GetValueList(ISRepObject* obj, SStringTable& out) const;
  // Non-zero when any text may be typed (otherwise one of the list).
  virtual BOOL IsFreeText(int, int) const { return 1; }

 protected:
  LONG m_id = 0;
  bool m_bReadOnly = false;
  WORD m_type = 0;
};

// Colours: the text is the six hexadecimal digits RRGGBB of a 0x00BBGGRR word.
class SRepAttrEditorColor : public SRepAttrEditor {
  KV_DECLARE_CLASSINFO()
 public:
  int GetKind() const override { return SRepEditor_Color; }
  SString GetText(const SRepVariant& value) const override;
};

// Object references: the text is the referenced object's Name, or empty.
class SRepAttrEditorObject : public SRepAttrEditor {
  KV_DECLARE_CLASSINFO()
 public:
  int GetKind() const override { return SRepEditor_Object; }
  SString GetText(const SRepVariant& value) const override;
  // A text showing the reference hears of the referenced object's renaming
  // through a relay advised on that object (srepattredit.cpp).
  BOOL HasRelay() const override { return 1; }
  HRESULT CreateRelay(ISRepObject* obj, const SRepVariant& value, ISRepObjSink* sink,
                      SRepValueRelay** slot) const override;
};

struct SAttrEditorEntry {
  DWORD id;  // 0 ends the table
  const SClassInfo* editor;
};

struct SAttrEditorMap {
  const SAttrEditorMap* (*base)();
  SAttrEditorEntry* entries;
};

// The editor class of id in map or along its chain; null when none has it.
const SClassInfo* SRepFindAttrEditor(const SAttrEditorMap* map, DWORD id);

class SRepObjectBaseRegistry {
 public:
  static SAttrEditorEntry attrEditorEntries[];
  static const SAttrEditorMap attrEditorMap;
};

// ---- value conversions ----------------------------------------------------
inline void SRepToVariant(LONG v, WORD type, SRepVariant& out) {
  switch (type) {
    case SRepVT_SHORT: out.SetSHORT(static_cast<SHORT>(v)); break;
    case SRepVT_BOOL: out.SetBOOL(v != 0); break;
    case SRepVT_FLAGS: out.SetFLAGS(static_cast<DWORD>(v)); break;
    case SRepVT_BYTE: out.SetBYTE(static_cast<BYTE>(v)); break;
    case SRepVT_DATE: out.SetDATE(v); break;
    default: out.SetLONG(v); break;
  }
}
inline void SRepToVariant(SHORT v, WORD type, SRepVariant& out) { SRepToVariant(static_cast<LONG>(v), type, out); }
inline void SRepToVariant(BYTE v, WORD type, SRepVariant& out) { SRepToVariant(static_cast<LONG>(v), type, out); }
inline void SRepToVariant(DWORD v, WORD type, SRepVariant& out) { SRepToVariant(static_cast<LONG>(v), type, out); }
inline void SRepToVariant(bool v, WORD type, SRepVariant& out) { SRepToVariant(static_cast<LONG>(v), type, out); }
inline void SRepToVariant(std::int64_t v, WORD type, SRepVariant& out) {
  if (type == SRepVT_DATE) out.SetDATE(v);
  else SRepToVariant(static_cast<LONG>(v), type, out);
}
inline void SRepToVariant(const SString& v, WORD type, SRepVariant& out) {
  if (type == SRepVT_STRING) out.SetSTRING(v);
  else out.SetTEXT(v);
}
inline void SRepToVariant(const std::vector<std::uint8_t>& v, WORD, SRepVariant& out) { out.SetBINARY(v); }
inline void SRepToVariant(const SRep_Point& v, WORD, SRepVariant& out) { out.SetPOINT(v); }
inline void SRepToVariant(const SRep_Rect& v, WORD, SRepVariant& out) { out.SetRECT(v); }
inline void SRepToVariant(const SRep_PtList& v, WORD, SRepVariant& out) { out.SetPLst(v); }
inline void SRepToVariant(const SRepOID_& v, WORD, SRepVariant& out) { out.SetOID(v); }
inline void SRepToVariant(ISRepObject* v, WORD, SRepVariant& out) { out.SetIOBJECT(v); }

// Each answers DISP_E_TYPEMISMATCH when the variant holds another kind.
HRESULT SRepFromVariant(const SRepVariant& v, LONG& out);
HRESULT SRepFromVariant(const SRepVariant& v, SHORT& out);
HRESULT SRepFromVariant(const SRepVariant& v, BYTE& out);
HRESULT SRepFromVariant(const SRepVariant& v, DWORD& out);
HRESULT SRepFromVariant(const SRepVariant& v, bool& out);
HRESULT SRepFromVariant(const SRepVariant& v, std::int64_t& out);
HRESULT SRepFromVariant(const SRepVariant& v, SString& out);
HRESULT SRepFromVariant(const SRepVariant& v, std::vector<std::uint8_t>& out);
HRESULT SRepFromVariant(const SRepVariant& v, SRep_Point& out);
HRESULT SRepFromVariant(const SRepVariant& v, SRep_Rect& out);
HRESULT SRepFromVariant(const SRepVariant& v, SRep_PtList& out);
HRESULT SRepFromVariant(const SRepVariant& v, SRepOID_& out);

// ---- thunks -------------------------------------------------------------------
namespace srep_detail {
template <class M>
struct MemberTraits;
template <class C, class T>
struct MemberTraits<T C::*> {
  using Class = C;
  using Type = T;
};
template <class F>
struct FnTraits;
template <class C, class R, class A>
struct FnTraits<R (C::*)(A)> {
  using Class = C;
  using Ret = R;
  using Arg = std::remove_cvref_t<A>;
};
template <class C, class R, class A>
struct FnTraits<R (C::*)(A) const> {
  using Class = C;
  using Ret = R;
  using Arg = std::remove_cvref_t<A>;
};
template <class C, class R>
struct FnTraits<R (C::*)() const> {
  using Class = C;
  using Ret = R;
};
template <class C, class R>
struct FnTraits<R (C::*)()> {
  using Class = C;
  using Ret = R;
};
}  // namespace srep_detail

// The field thunks of one member variable; Type is the metamodel type code
// used when the value goes out as a variant.
template <auto Member, WORD Type = 0>
struct SRepFieldOf {
  using Traits = srep_detail::MemberTraits<decltype(Member)>;
  using C = typename Traits::Class;
  static HRESULT Get(SRepObject* o, SRepVariant& out) {
    SRepToVariant(static_cast<C*>(o)->*Member, Type, out);
    return S_OK;
  }
  static HRESULT Set(SRepObject* o, const SRepVariant& in) {
    typename Traits::Type v{};
    HRESULT hr = SRepFromVariant(in, v);
    if (FAILED(hr)) return hr;
    static_cast<C*>(o)->*Member = std::move(v);
    return S_OK;
  }
  static constexpr SRepField field{&Get, &Set};
};

// Getter thunk of `T C::Get() const`.
template <auto Getter, WORD Type = 0>
HRESULT SRepGetThunk(SRepObject* o, SRepVariant& out) {
  using C = typename srep_detail::FnTraits<decltype(Getter)>::Class;
  SRepToVariant((static_cast<C*>(o)->*Getter)(), Type, out);
  return S_OK;
}
// Setter thunk of `R C::Set(T)` or `R C::Set(const T&)`; R converts to the result code.
template <auto Setter>
HRESULT SRepSetThunk(SRepObject* o, const SRepVariant& in) {
  using Tr = srep_detail::FnTraits<decltype(Setter)>;
  typename Tr::Arg v{};
  HRESULT hr = SRepFromVariant(in, v);
  if (FAILED(hr)) return hr;
  if constexpr (std::is_void_v<typename Tr::Ret>) {
    (static_cast<typename Tr::Class*>(o)->*Setter)(v);
    return S_OK;
  } else {
    return static_cast<HRESULT>((static_cast<typename Tr::Class*>(o)->*Setter)(v));
  }
}
