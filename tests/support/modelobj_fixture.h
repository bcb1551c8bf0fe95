// A small model class for tests of texts bound to the model: its
// attributes cover the kinds those texts treat apart (plain texts, a
// read-only text, a boolean, an object reference, a text without an
// attribute editor, the bracketed and the ordering attributes), and it
// nests its objects, so that objects have packages above them.
#pragma once

#include "kvrep/srepobject.h"

inline constexpr CLSID CLSID_TModelObj = MakeGUID("{5E7A0002-0000-4000-8000-000000000002}");

namespace TModel {
inline constexpr LONG Name = 0x01000002, Code = 0x01000004, DisplayName = 0x0100000B;
inline constexpr LONG Fixed = 0x04000030;    // text, read-only, "fixed"
inline constexpr LONG Flag = 0x04000031;     // boolean
inline constexpr LONG Ref = 0x04000032;      // object reference
inline constexpr LONG Note = 0x04000033;     // text without an attribute editor
inline constexpr LONG Bracketed = 0x02000005, Ordering = 0x02001408;
inline constexpr LONG Contents = 0x02000050;  // owning: the objects below an object
}  // namespace TModel

// Registers the class (once per process).
void TModelRegister();
// A new object of the class named `name`, in parent's contents when a parent
// is given; counted for the caller.
SRepObject* TModelNew(ISRepSession* session, const SString& name, ISRepObject* parent = nullptr);

// Sets a text attribute.
inline void TSetText(ISRepObject* o, LONG id, const char16_t* text) {
  o->SetAttribute(id, SRepVariant::Text(SString(text)));
}

