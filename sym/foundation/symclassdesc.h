// The one description of the library's persistent classes.
//
// Each persistent class is described once, by a macro KV_SYM_DESC_<class> in
// the family header that holds it (symdescdiagram.h, symdescsymbol.h,
// symdescshapes.h, symdesclines.h, symdescgroups.h). Everything else is made
// from these macros:
//   - the metamodel bytes of the METADATA resource (res/symmetagen.cpp),
//   - the class identifiers CLSID_<class> (symclassid.h),
//   - the attribute constants SymAttr::<name> (below),
//   - the class table, its indexes and the class-functions records
//     (symclassreg.h), the property and attribute-editor maps
//     (sympropmap.h).
// The header includes nothing from the platform: the metamodel generator, a
// build-time program, reads it too.
//
// A class macro takes six row macros, KV_SYM_DESC_<class>(K, A, AX, CF, CB, M),
// and calls them in this order:
//
//   K(Class, "MetaName", Parent, MapBase, ClassId, MetaFlags, Number, Label, "LabelText", "ShortCode",
//     "Plural", RegistryFlag, PoolBlocks)
//       Parent is the metamodel parent, MapBase the class whose property and
//       editor maps this class's maps chain to: a class, or one of the
//       repository roots RepSRepObject and RepSRepObjectBase. A class whose
//       map base is RepSRepObjectBase is a record class: it has no property
//       map here, and its editor map chains to the repository's record map.
//       ClassId is the first word of {360836xx-1A49-11D1-83D9-444553540000}.
//       Label is the string id of the class's label string, made of
//       LabelText, ShortCode and Plural (SSymGetClassLabel).
//
//   A(Const, Code, "Name", Id, Type, Store, Slot, "Default", Editor, ObjClass, List, Label, "LabelText")
//       one attribute, in metamodel order.
//       Const    the name of its constant SymAttr::Const; empty when another
//                row already names the same member id.
//       Code     the metamodel code, and the name under which the class binds
//                its accessor (see KV_SYM_REGISTER in sympropmap.h).
//       Type     OID SMALL INT BOOL FLAGS DATE STR TEXT BIN PT RECT PTLIST SYM
//                (STR is a bounded string of 254 characters).
//       Store    FIELD (a member variable), GETSET (getter and setter), GET
//                (getter only), BLOB (a getter and setter that stream a blob).
//       Slot     the position of the entry in the class's property map, -1
//                for an attribute the property map does not carry (the
//                repository then finds it along the map chain, or not at all).
//       Editor   NONE PLAIN COLOR OBJECT: the attribute editor of its editor
//                map row (editor rows follow the attribute order).
//       ObjClass the class an object-valued attribute refers to, or NONE.
//       List     the list of values shown for it: NONE or one of KV_SYM_LISTS
//                (DASH WIDTH SHADOW GROUP ORIENT DIAGFLAGS CORNER).
//       Label    the string id of the member's label in the library's string
//                table, and LabelText its text: the label, a line break and
//                the short code ("Fill Color\nFILLCOLR"), at times further
//                lines. Members that stand
//                for the same thing in several classes share one id and one
//                text; the string table refuses to build otherwise.
//   AX(...)  the same columns: a property-map entry that the metamodel does
//            not list.
//   CF(Const, Code, "Name", Id, Relation, ElementClass, Label, "LabelText")   owning collection
//   CB(Const, Code, "Name", Id, Relation, Label, "LabelText")                 its reverse side
//       (Label 0 with an empty text: a collection without a label of its own)
//   M("Code", Id, "Result", P("name", "native"[, "default"]) | PO("name", "native") ...)
//       a method of the metamodel, with its parameters (PO: an out parameter).
//
// KV_SYM_CLASSES lists the classes in metamodel order, which is the order of
// the METADATA resource; the class table orders them by identifier.
#pragma once

#include <cstdint>

#include "sym/foundation/symdescdiagram.h"
#include "sym/foundation/symdescgroups.h"
#include "sym/foundation/symdesclines.h"
#include "sym/foundation/symdescshapes.h"
#include "sym/foundation/symdescsymbol.h"

#define KV_SYM_CLASSES(X)                                                                                 \
  X(SSymDiagram) X(SSymBase) X(SSymBasePen) X(SSymStd) X(SSymBlob) X(SSymSolid) X(SSymArrow) X(SSymPolyBase) \
  X(SSymPolygon) X(SSymPolyline) X(SSymArc) X(SSymSolidText) X(SSymRectangle) X(SSymPie)                     \
  X(SSymBlankRectangle) X(SSymRoundRect) X(SSymEllipse) X(SSymText) X(SSymPredefined) X(SSymLinkBase)        \
  X(SSymLinkStd) X(SSymLinkSym) X(SSymBitmap) X(SSymMetafile) X(SSymComposite) X(SSymGroup) X(SSymOle)       \
  X(SSymSwimLane) X(SSymSwimColn) X(SSymSwimGroup) X(SSymPictureFile) X(SSymSwim) X(SSymTreeLine)

// The lists of values that the List column names: the string id of each and
// its text in the library's string table, a label line, then one line per
// value (the value, a colon and its text).
// clang-format off
#define KV_SYM_LISTS(X) \
  X(DASH,      1600, "Dash Style\n1:Solid\n2:Dash\n3:Dot\n4:Dash Dot\n5:Dash Dot Dot\n6:Alternate\n7:No Line") \
  X(WIDTH,     1094, "Line Width\n0:Single\n1:Double\n2:Triple\n3:4 points\n4:5 points\n5:6 points\n" \
                     "103:3 points empty\n104:4 points empty\n105:5 points empty\n106:6 points empty") \
  X(SHADOW,    1098, "Shadow Style\n0:No Shadow\n1:Shadow\n2:3D Effect") \
  X(GROUP,     1164, "Swimlane Group Type\n0:User-Defined\n1:By Parent") \
  X(ORIENT,    1604, "Page Orientation\n0:Default\n1:Portrait\n2:Landscape") \
  X(DIAGFLAGS, 1605, "Flags\n1:Auto Adjust\n2:Auto Layout\n4:Copy Symbol") \
  X(CORNER,    1606, "Corner Style\n0:Normal\n1:Corner\n2:Round Corner\n3:Bezier\n" \
                     "8:Normal with Perpendicular Arrow\n11:Bezier with Perpendicular Arrow")
// clang-format on

// A row macro that takes any row and makes nothing.
#define KV_SYM_SKIP(...)

// ---- the vocabulary of the columns --------------------------------------------------
namespace SSymDesc {
// Metamodel type codes (the repository's value types).
enum Type : std::uint16_t {
  T_OID = 0x1,
  T_SMALL = 0x2,
  T_INT = 0x3,
  T_BOOL = 0x4,
  T_FLAGS = 0x6,
  T_DATE = 0x8,
  T_STR = 0x9,
  T_TEXT = 0xA,
  T_BIN = 0xB,
  T_PT = 0xE,
  T_RECT = 0xF,
  T_PTLIST = 0x10,
  T_SYM = 0x8003,  // [ISSymbol]
};

enum Store : std::uint8_t { S_FIELD, S_GETSET, S_GET, S_BLOB };
enum Editor : std::uint8_t { Ed_NONE, Ed_PLAIN, Ed_COLOR, Ed_OBJECT };

// String ids of the lists of values (List_NONE: none), from KV_SYM_LISTS.
enum List : std::uint32_t {
  List_NONE = 0,
#define KV_SYM_LIST_ENUM(name, id, text) List_##name = id,
  KV_SYM_LISTS(KV_SYM_LIST_ENUM)
#undef KV_SYM_LIST_ENUM
};

// The bounded string is the one type with a length.
constexpr std::uint16_t LengthOf(Type type) { return type == T_STR ? 254 : 0; }

// The flags of a property-map entry.
constexpr std::uint32_t MapFlags(Store store) {
  switch (store) {
    case S_FIELD: return 0x0;
    case S_GET: return 0x4;
    case S_BLOB: return 0x8;
    case S_GETSET: return 0xC;
  }
  return 0;
}

// The computed word of a metamodel attribute: 0 for a stored value, 0xC for
// a getter and setter, 0xD for a getter alone.
constexpr std::uint32_t MetaComputed(Store store) {
  switch (store) {
    case S_FIELD: return 0x0;
    case S_GET: return 0xD;
    case S_BLOB:
    case S_GETSET: return 0xC;
  }
  return 0;
}

// The first word of the identifier of a class of the library.
constexpr std::uint32_t kClassIdFamily = 0x36083F00u;
}  // namespace SSymDesc

// ---- the attribute constants ------------------------------------------------------------
// SymAttr::<Const> for every attribute and collection row that names one.
#define KV_SYM_CONST_IMPL(id, ...) __VA_OPT__(inline constexpr std::int32_t __VA_ARGS__ = static_cast<std::int32_t>(id);)
#define KV_SYM_CONST_A(konst, code, name, id, ...) KV_SYM_CONST_IMPL(id, konst)
#define KV_SYM_CONST_C(konst, code, name, id, ...) KV_SYM_CONST_IMPL(id, konst)
#define KV_SYM_CONST_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_SKIP, KV_SYM_CONST_A, KV_SYM_CONST_A, KV_SYM_CONST_C, KV_SYM_CONST_C, KV_SYM_SKIP)
namespace SymAttr {
KV_SYM_CLASSES(KV_SYM_CONST_CLASS)
}  // namespace SymAttr
#undef KV_SYM_CONST_CLASS
#undef KV_SYM_CONST_C
#undef KV_SYM_CONST_A
#undef KV_SYM_CONST_IMPL
